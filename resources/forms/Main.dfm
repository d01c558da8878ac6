object FMain: TFMain
  Left = 0
  Top = 0
  Width = 808
  Height = 596
  Caption = 'Vardo Slovanta'
  ClientHeight = 540
  ClientWidth = 792
  Color = clAppWorkSpace
  Constraints.MaxHeight = 596
  Constraints.MaxWidth = 808
  Constraints.MinHeight = 596
  Constraints.MinWidth = 808
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  FormStyle = fsMDIForm
  Menu = MainMenu1
  Position = poScreenCenter
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnResize = FormResize
  OnShow = FormShow
  PixelsPerInch = 96
  object PTop: TPanel
    Left = 0
    Top = 0
    Width = 792
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object Label1: TLabel
      Left = 560
      Top = 5
      Width = 58
      Height = 13
      Caption = 'U'#380'ytkownik:'
    end
    object LUser: TLabel
      Left = 630
      Top = 5
      Width = 42
      Height = 13
      Cursor = crHandPoint
      Caption = 'noname'
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
      OnClick = LUserClick
      OnMouseEnter = Label1MouseEnter
      OnMouseLeave = Label1MouseLeave
    end
    object SpeedButton1: TSpeedButton
      Left = 556
      Top = 20
      Width = 115
      Height = 19
      Caption = 'Zapisz si'#281' na kurs'
      Flat = True
      OnClick = SpeedButton1Click
    end
    object SpeedButton2: TSpeedButton
      Left = 674
      Top = 20
      Width = 112
      Height = 19
      Caption = 'Zam'#243'w program'
      Flat = True
      OnClick = SpeedButton2Click
    end
    object ToolBar1: TToolBar
      Left = 0
      Top = 0
      Width = 540
      Height = 41
      Align = alLeft
      ButtonHeight = 38
      ButtonWidth = 39
      EdgeBorders = []
      Flat = True
      Images = ImageList1
      ParentShowHint = False
      ShowHint = True
      TabOrder = 0
      object ToolButton10: TToolButton
        Hint = 'Poznaj s'#322#243'wka'
        ImageIndex = 0
        OnClick = Poznajswka1Click
      end
      object ToolButton1: TToolButton
        Hint = 'Ucz si'#281
        ImageIndex = 1
        OnClick = Uczsi1Click
      end
      object ToolButton2: TToolButton
        Hint = 'Sprawd'#378' si'#281
        ImageIndex = 2
        OnClick = Sprawdsi1Click
      end
      object ToolButton7: TToolButton
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton3: TToolButton
        Hint = 'Twoje oceny'
        ImageIndex = 3
        OnClick = Oceny1Click
      end
      object ToolButton8: TToolButton
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton4: TToolButton
        Hint = 'Edytuj s'#322'owniki'
        ImageIndex = 4
        OnClick = Edytujsowniki1Click
      end
      object ToolButton5: TToolButton
        Hint = 'Ustawienia'
        ImageIndex = 5
        OnClick = Opcjenaukaitesty1Click
      end
      object ToolButton9: TToolButton
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton6: TToolButton
        Hint = 'Wa'#380'ne informacje'
        ImageIndex = 6
        OnClick = ToolButton6Click
      end
    end
  end
  object WImage1: TWImage
    Left = 0
    Top = 41
    Width = 792
    Height = 499
    Align = alClient
  end
  object MainMenu1: TMainMenu
    object Nauka1: TMenuItem
      Caption = 'Nauka'
      object Poznajswka1: TMenuItem
        Caption = 'Poznaj s'#322#243'wka...'
        Hint = 'Poznaj s'#322#243'wka...'
        OnClick = Poznajswka1Click
      end
      object SL41: TMenuItem
        Tag = 2
        Visible = False
        OnClick = LL44Click
      end
      object SL42: TMenuItem
        Tag = 2
        Visible = False
        OnClick = LL44Click
      end
      object SL43: TMenuItem
        Tag = 2
        Visible = False
        OnClick = LL44Click
      end
      object SL44: TMenuItem
        Tag = 2
        Visible = False
        OnClick = LL44Click
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Uczsi1: TMenuItem
        Caption = 'Ucz si'#281'...'
        OnClick = Uczsi1Click
      end
      object LL41: TMenuItem
        Visible = False
        OnClick = LL44Click
      end
      object LL42: TMenuItem
        Visible = False
        OnClick = LL44Click
      end
      object LL43: TMenuItem
        Visible = False
        OnClick = LL44Click
      end
      object LL44: TMenuItem
        Visible = False
        OnClick = LL44Click
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object Sprawdsi1: TMenuItem
        Caption = 'Sprawd'#378' si'#281'...'
        OnClick = Sprawdsi1Click
      end
      object TL41: TMenuItem
        Tag = 1
        Visible = False
        OnClick = LL44Click
      end
      object TL42: TMenuItem
        Tag = 1
        Visible = False
        OnClick = LL44Click
      end
      object TL43: TMenuItem
        Tag = 1
        Visible = False
        OnClick = LL44Click
      end
      object TL44: TMenuItem
        Tag = 1
        Visible = False
        OnClick = LL44Click
      end
      object N3: TMenuItem
        Caption = '-'
      end
      object Oceny1: TMenuItem
        Caption = 'Twoje oceny...'
        OnClick = Oceny1Click
      end
      object N4: TMenuItem
        Caption = '-'
      end
      object Zamknij1: TMenuItem
        Caption = 'Zamknij'
        OnClick = Zamknij1Click
      end
    end
    object Ustawienia1: TMenuItem
      Caption = 'Ustawienia'
      object Uytkownicy1: TMenuItem
        Caption = 'U'#380'ytkownicy'
        OnClick = Uytkownicy1Click
      end
      object Opcjenaukaitesty1: TMenuItem
        Caption = 'Opcje (nauka i testy)'
        OnClick = Opcjenaukaitesty1Click
      end
      object KeyHelpers1: TMenuItem
        Caption = 'Klawisze skr'#243't'#243'w'
        Visible = False
        OnClick = KeyHelpers1Click
      end
    end
    object Sowniki1: TMenuItem
      Caption = 'S'#322'owniki'
      object Edytujsowniki1: TMenuItem
        Caption = 'Edytuj s'#322'owniki'
        OnClick = Edytujsowniki1Click
      end
    end
    object Kursyjzykowe1: TMenuItem
      Caption = 'Kursy j'#281'zykowe'
      OnClick = Kursyjzykowe1Click
    end
    object Pomoc1: TMenuItem
      Caption = 'Pomoc'
      object ematy1: TMenuItem
        Caption = 'Tematy pomocy'
        OnClick = ematy1Click
      end
      object Kontakt1: TMenuItem
        Caption = 'Kontakt'
        OnClick = Kontakt1Click
      end
      object OVARDO1: TMenuItem
        Caption = 'O Vardo'
        OnClick = OVARDO1Click
      end
      object Oprogramie1: TMenuItem
        Caption = 'Vardo Slovanta - informacje'
        OnClick = Oprogramie1Click
      end
    end
  end
  object TimerRestart: TTimer
    Interval = 500
    OnTimer = TimerRestartTimer
  end
  object ImageList1: TImageList
    Height = 32
    Width = 32
  end
end
