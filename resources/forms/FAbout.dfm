object About: TAbout
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Vardo Slovanta - informacje'
  ClientHeight = 280
  ClientWidth = 380
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  object Panel1: TPanel
    Left = 8
    Top = 8
    Width = 364
    Height = 228
    BevelOuter = bvLowered
    TabOrder = 0
    object ProgramIcon: TImage
      Left = 16
      Top = 16
      Width = 32
      Height = 32
      Center = True
    end
    object ProductName: TLabel
      Left = 64
      Top = 16
      Width = 120
      Height = 19
      Caption = 'Vardo Slovanta'
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LVersion: TLabel
      Left = 64
      Top = 38
      Width = 30
      Height = 13
      Caption = 'v 1.31'
    end
    object LCopyright: TLabel
      Left = 16
      Top = 68
      Width = 150
      Height = 13
      Caption = 'Copyright © 2026 Vardo'
    end
    object LRights: TLabel
      Left = 16
      Top = 86
      Width = 150
      Height = 13
      Caption = 'Wszelkie prawa zastrzeżone.'
    end
    object Link: TLabel
      Left = 16
      Top = 110
      Width = 140
      Height = 13
      Cursor = crHandPoint
      Caption = 'http://www.example.com/'
      Font.Charset = 238
      Font.Color = clBlue
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = [fsUnderline]
      ParentFont = False
      OnClick = LinkClick
    end
    object LUser: TLabel
      Left = 16
      Top = 140
      Width = 60
      Height = 13
      Caption = 'Użytkownik:'
    end
    object LSSL: TLabel
      Left = 16
      Top = 170
      Width = 332
      Height = 40
      AutoSize = False
      Caption = 'Sumy kontrolne MD5 liczy własny moduł programu; program nie korzysta z zewnętrznych bibliotek kryptograficznych.'
      WordWrap = True
    end
  end
  object OKButton: TButton
    Left = 152
    Top = 246
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
end
