object FDisplay: TFDisplay
  Left = 0
  Top = 0
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  Caption = 'Poznawanie słówek'
  ClientHeight = 416
  ClientWidth = 560
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
    Width = 560
    Height = 416
    Align = alClient
  end
  object Image1: TImage
    Left = 520
    Top = 3
    Width = 24
    Height = 24
    Stretch = True
    Transparent = True
  end
  object Image2: TImage
    Left = 520
    Top = 80
    Width = 24
    Height = 24
    Stretch = True
    Transparent = True
  end
  object Shape1: TShape
    Left = 14
    Top = 28
    Width = 532
    Height = 50
    Pen.Color = clGray
  end
  object Shape3: TShape
    Left = 16
    Top = 331
    Width = 528
    Height = 1
    Pen.Color = clBtnShadow
  end
  object LQuestion: TLabel
    Left = 16
    Top = 12
    Width = 200
    Height = 13
    AutoSize = False
    Caption = 'Słówko:'
    Font.Charset = 238
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
    Transparent = True
  end
  object LAnswers: TLabel
    Left = 16
    Top = 88
    Width = 200
    Height = 13
    AutoSize = False
    Caption = 'Znaczenia:'
    Font.Charset = 238
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
    Transparent = True
  end
  object Panel1: TPanel
    Left = 16
    Top = 30
    Width = 528
    Height = 46
    BevelOuter = bvNone
    Enabled = False
    TabOrder = 0
    object EQ: TVsMemo
      Left = 0
      Top = 0
      Width = 528
      Height = 46
      Alignment = taCenter
      Font.Charset = 238
      Font.Color = clNavy
      Font.Height = -24
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
      ReadOnly = True
      TabOrder = 0
      WordWrap = False
    end
  end
  object Panel2: TPanel
    Left = 16
    Top = 106
    Width = 528
    Height = 176
    BevelOuter = bvNone
    Enabled = False
    TabOrder = 1
    object Shape2: TShape
      Left = 0
      Top = 0
      Width = 528
      Height = 176
      Pen.Color = clGray
    end
    object EA: TVsEdit
      Left = 8
      Top = 8
      Width = 512
      Height = 160
      Multiline = True
      AutoSize = False
      Alignment = taCenter
      BorderStyle = bsNone
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -20
      Font.Name = 'Tahoma'
      Font.Style = []
      ParentFont = False
      ReadOnly = True
      TabOrder = 0
      WordWrap = False
    end
  end
  object BBRemove: TButton
    Left = 16
    Top = 294
    Width = 120
    Height = 30
    Caption = 'Umiem'
    TabOrder = 2
    OnClick = BBRemoveClick
  end
  object BBLeave: TButton
    Left = 144
    Top = 294
    Width = 120
    Height = 30
    Caption = 'Nie umiem'
    TabOrder = 3
    OnClick = BBLeaveClick
  end
  object BSound: TButton
    Left = 424
    Top = 294
    Width = 120
    Height = 30
    Caption = 'Odsłuchaj'
    Enabled = False
    TabOrder = 4
    OnClick = BSoundClick
  end
  object PStats: TPanel
    Left = 16
    Top = 338
    Width = 528
    Height = 64
    BevelOuter = bvLowered
    TabOrder = 5
    object Shape4: TShape
      Left = 94
      Top = 8
      Width = 1
      Height = 48
      Pen.Color = clBtnShadow
    end
    object Shape5: TShape
      Left = 254
      Top = 8
      Width = 1
      Height = 48
      Pen.Color = clBtnShadow
    end
    object Shape6: TShape
      Left = 388
      Top = 8
      Width = 1
      Height = 48
      Pen.Color = clBtnShadow
    end
    object LLQNo: TLabel
      Left = 4
      Top = 10
      Width = 90
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Słówko'
    end
    object LLQCount: TLabel
      Left = 94
      Top = 10
      Width = 160
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Zaprezentowane słówka'
    end
    object LLGAns: TLabel
      Left = 254
      Top = 10
      Width = 134
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Opanowane słówka'
    end
    object LLEffi: TLabel
      Left = 388
      Top = 10
      Width = 136
      Height = 13
      Alignment = taCenter
      AutoSize = False
      Caption = 'Stopień zapoznania'
    end
    object LQNo: TLabel
      Left = 4
      Top = 32
      Width = 90
      Height = 19
      Alignment = taCenter
      AutoSize = False
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LQCount: TLabel
      Left = 94
      Top = 32
      Width = 160
      Height = 19
      Alignment = taCenter
      AutoSize = False
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LGAns: TLabel
      Left = 254
      Top = 32
      Width = 134
      Height = 19
      Alignment = taCenter
      AutoSize = False
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object LEffi: TLabel
      Left = 388
      Top = 32
      Width = 136
      Height = 19
      Alignment = taCenter
      AutoSize = False
      Font.Charset = 238
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
  end
  object THide: TTimer
    Enabled = False
    Interval = 1
    OnTimer = THideTimer
  end
end
