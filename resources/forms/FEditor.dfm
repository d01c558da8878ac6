object FEdit: TFEdit
  Left = 0
  Top = 0
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  Caption = 'Edytor s'#322'ownik'#243'w'
  ClientHeight = 436
  ClientWidth = 600
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  FormStyle = fsMDIChild
  PixelsPerInch = 96
  OnClose = FormClose
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnShow = FormShow
  object LWord: TLabel
    Left = 8
    Top = 8
    Caption = 'S'#322#243'wko'
  end
  object EQ: TVsEdit
    Left = 8
    Top = 24
    Width = 264
    Height = 21
    MaxLength = 50
    TabOrder = 0
    OnKeyDown = EQKeyDown
    OnKeyPress = EQKeyPress
  end
  object LAnswers: TLabel
    Left = 8
    Top = 54
    Caption = 'Odpowiedzi'
  end
  object L1: TLabel
    Left = 10
    Top = 74
    Caption = '1'
  end
  object EA1: TVsEdit
    Left = 24
    Top = 70
    Width = 248
    Height = 21
    MaxLength = 50
    TabOrder = 1
    OnKeyDown = EQKeyDown
    OnKeyPress = EQKeyPress
  end
  object L2: TLabel
    Left = 10
    Top = 101
    Caption = '2'
  end
  object EA2: TVsEdit
    Left = 24
    Top = 97
    Width = 248
    Height = 21
    MaxLength = 50
    TabOrder = 2
    OnKeyDown = EQKeyDown
    OnKeyPress = EQKeyPress
  end
  object L3: TLabel
    Left = 10
    Top = 128
    Caption = '3'
  end
  object EA3: TVsEdit
    Left = 24
    Top = 124
    Width = 248
    Height = 21
    MaxLength = 50
    TabOrder = 3
    OnKeyDown = EQKeyDown
    OnKeyPress = EQKeyPress
  end
  object L4: TLabel
    Left = 10
    Top = 155
    Caption = '4'
  end
  object EA4: TVsEdit
    Left = 24
    Top = 151
    Width = 248
    Height = 21
    MaxLength = 50
    TabOrder = 4
    OnKeyDown = EQKeyDown
    OnKeyPress = EQKeyPress
  end
  object IBAdd: TImgBtn
    Left = 8
    Top = 182
    Width = 30
    Height = 30
    Flat = True
    ParentShowHint = False
    ShowHint = True
    OnClick = IBAddClick
  end
  object IBReplace: TImgBtn
    Tag = 1
    Left = 42
    Top = 182
    Width = 30
    Height = 30
    Flat = True
    ParentShowHint = False
    ShowHint = True
    OnClick = IBAddClick
  end
  object IBDel: TImgBtn
    Tag = 1
    Left = 76
    Top = 182
    Width = 30
    Height = 30
    Flat = True
    ParentShowHint = False
    ShowHint = True
    OnClick = IBDelClick
  end
  object IBSort: TImgBtn
    Left = 110
    Top = 182
    Width = 30
    Height = 30
    Flat = True
    ParentShowHint = False
    ShowHint = True
    OnClick = IBSortClick
  end
  object IBOpen: TSpeedButton
    Left = 8
    Top = 222
    Width = 100
    Height = 25
    ParentShowHint = False
    ShowHint = True
    OnClick = IBOpenClick
  end
  object IBSave: TSpeedButton
    Left = 112
    Top = 222
    Width = 100
    Height = 25
    ParentShowHint = False
    ShowHint = True
    OnClick = IBSaveClick
  end
  object IBImport: TSpeedButton
    Left = 216
    Top = 222
    Width = 56
    Height = 25
    ParentShowHint = False
    ShowHint = True
    Visible = False
    OnClick = IBImportClick
  end
  object LTitle: TLabel
    Left = 8
    Top = 258
    Caption = 'Tytu'#322' s'#322'ownika'
  end
  object EQL: TVsEdit
    Left = 8
    Top = 274
    Width = 264
    Height = 21
    MaxLength = 81
    TabStop = False
    TabOrder = 5
  end
  object LDescription: TLabel
    Left = 8
    Top = 304
    Caption = 'Opis s'#322'ownika'
  end
  object MDesc: TVsMemo
    Left = 8
    Top = 320
    Width = 264
    Height = 84
    MaxLength = 160
    ScrollBars = ssVertical
    TabOrder = 6
    WordWrap = True
  end
  object CBResizeFont: TCheckBox
    Left = 8
    Top = 412
    Width = 264
    Height = 17
    Caption = 'Zmie'#324' rozmiar czcionki'
    TabOrder = 7
  end
  object LBQ: TVsListBox
    Left = 280
    Top = 8
    Width = 150
    Height = 420
    HideSelection = False
    ItemHeight = 18
    TabStop = False
    UseCustomScrollBars = False
    TabOrder = 8
    OnClick = LBQClick
  end
  object LBA: TVsListBox
    Left = 436
    Top = 8
    Width = 156
    Height = 420
    HideSelection = False
    ItemHeight = 18
    TabStop = False
    UseCustomScrollBars = False
    TabOrder = 9
    OnClick = LBAClick
  end
  object OD: TOpenDialog
    Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]
  end
end
