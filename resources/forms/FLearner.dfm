object FLearn: TFLearn
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu, biMinimize]
  BorderStyle = bsSingle
  Caption = 'Nauka'
  ClientHeight = 356
  ClientWidth = 544
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  FormStyle = fsMDIChild
  KeyPreview = True
  PixelsPerInch = 96
  OnClose = FormClose
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnKeyDown = FormKeyDown
  OnShow = FormShow
  object L_Wallpapper: TWImage
    Left = 0
    Top = 0
    Width = 544
    Height = 356
    Align = alClient
  end
  object LQuestion: TLabel
    Left = 16
    Top = 10
    Width = 300
    Height = 13
    AutoSize = False
    Caption = 'Przet'#322'umacz:'
    Transparent = True
  end
  object Image1: TImage
    Left = 504
    Top = 2
    Width = 24
    Height = 24
    Stretch = True
    Transparent = True
  end
  object Shape1: TShape
    Left = 16
    Top = 28
    Width = 512
    Height = 72
    Pen.Color = $00A08060
  end
  object Panel1: TPanel
    Left = 18
    Top = 30
    Width = 508
    Height = 68
    BevelOuter = bvNone
    Color = clWindow
    Enabled = False
    TabOrder = 1
    object EQ: TVsMemo
      Left = 0
      Top = 14
      Width = 508
      Height = 40
      Alignment = taCenter
      BorderStyle = bsNone
      Color = clWindow
      Font.Charset = 238
      Font.Color = $00402010
      Font.Height = -24
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
      ReadOnly = True
      TabOrder = 0
    end
  end
  object LAnswers: TLabel
    Left = 16
    Top = 112
    Width = 300
    Height = 13
    AutoSize = False
    Caption = 'Twoja odpowied'#378':'
    Transparent = True
  end
  object Image2: TImage
    Left = 504
    Top = 104
    Width = 24
    Height = 24
    Stretch = True
    Transparent = True
  end
  object Shape2: TShape
    Left = 16
    Top = 130
    Width = 512
    Height = 40
    Pen.Color = $00A08060
  end
  object EA: TVsEdit
    Left = 22
    Top = 138
    Width = 500
    Height = 24
    AutoSize = False
    BorderStyle = bsNone
    Font.Charset = 238
    Font.Color = clWindowText
    Font.Height = -19
    Font.Name = 'Tahoma'
    Font.Style = []
    ParentFont = False
    TabOrder = 0
    OnKeyDown = EAKeyDown
    OnKeyPress = EAKeyPress
  end
  object Shape3: TShape
    Left = 16
    Top = 174
    Width = 512
    Height = 82
    Pen.Color = $00A08060
  end
  object IMGood: TImage
    Left = 24
    Top = 199
    Width = 32
    Height = 32
    Transparent = True
    Visible = False
  end
  object IMBad: TImage
    Left = 24
    Top = 199
    Width = 32
    Height = 32
    Transparent = True
    Visible = False
  end
  object LAGood: TVsLabel
    Left = 64
    Top = 176
    Width = 464
    Height = 78
    Alignment = taCenter
    AutoSize = False
    Caption = 'Dobrze.'
    Font.Charset = 238
    Font.Color = $00208020
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    Layout = tlCenter
    ParentFont = False
    Visible = False
    Transparent = True
    WordWrap = True
  end
  object LABad: TVsLabel
    Left = 64
    Top = 176
    Width = 464
    Height = 78
    Alignment = taCenter
    AutoSize = False
    Caption = #377'le.'
    Font.Charset = 238
    Font.Color = $002020C0
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    Layout = tlCenter
    ParentFont = False
    Visible = False
    Transparent = True
    WordWrap = True
  end
  object PStats: TPanel
    Left = 16
    Top = 260
    Width = 512
    Height = 72
    BevelOuter = bvLowered
    TabOrder = 2
    object Shape4: TShape
      Left = 130
      Top = 8
      Width = 1
      Height = 56
      Pen.Color = clBtnShadow
    end
    object Shape5: TShape
      Left = 254
      Top = 8
      Width = 1
      Height = 56
      Pen.Color = clBtnShadow
    end
    object Shape6: TShape
      Left = 378
      Top = 8
      Width = 1
      Height = 56
      Pen.Color = clBtnShadow
    end
    object LLQNo: TLabel
      Left = 8
      Top = 10
      Width = 120
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Pytanie'
    end
    object LQNo: TLabel
      Left = 8
      Top = 32
      Width = 120
      Height = 24
      Alignment = taCenter
      AutoSize = False
      Caption = '0 z 0'
      Font.Charset = 238
      Font.Color = $00804020
      Font.Height = -19
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LLQCount: TLabel
      Left = 132
      Top = 10
      Width = 120
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Odpowiedzi'
    end
    object LQCount: TLabel
      Left = 132
      Top = 32
      Width = 120
      Height = 24
      Alignment = taCenter
      AutoSize = False
      Caption = '0'
      Font.Charset = 238
      Font.Color = $00804020
      Font.Height = -19
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LLGAns: TLabel
      Left = 256
      Top = 10
      Width = 120
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Poprawne'
    end
    object LGAns: TLabel
      Left = 256
      Top = 32
      Width = 120
      Height = 24
      Alignment = taCenter
      AutoSize = False
      Caption = '0'
      Font.Charset = 238
      Font.Color = $00804020
      Font.Height = -19
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LLEffi: TLabel
      Left = 380
      Top = 10
      Width = 120
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Skuteczno'#347#263
    end
    object LEffi: TLabel
      Left = 380
      Top = 32
      Width = 120
      Height = 24
      Alignment = taCenter
      AutoSize = False
      Caption = '0 %'
      Font.Charset = 238
      Font.Color = $00804020
      Font.Height = -19
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
  end
  object THide: TTimer
    Enabled = False
    Interval = 2000
    OnTimer = THideTimer
  end
end
