object FSelDic: TFSelDic
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Wybierz s'#322'ownik'
  ClientHeight = 360
  ClientWidth = 520
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  OnCreate = FormCreate
  OnShow = FormShow
  object LDLang: TLabel
    Left = 264
    Top = 8
    Width = 248
    Height = 13
    AutoSize = False
    Caption = 'Tytu'#322' s'#322'ownika'
  end
  object LDesc: TLabel
    Left = 264
    Top = 56
    Width = 248
    Height = 13
    AutoSize = False
    Caption = 'Opis s'#322'ownika'
  end
  object DLB: TDirectoryListBox
    Left = 8
    Top = 8
    Width = 248
    Height = 140
    FileList = FLDic
    ItemHeight = 16
    TabOrder = 0
    OnChange = DLBChange
  end
  object FLDic: TFileListBox
    Left = 8
    Top = 156
    Width = 248
    Height = 196
    ItemHeight = 16
    Mask = '*.dic'
    ShowGlyphs = True
    TabOrder = 1
    OnClick = FLDicClick
    OnDblClick = FLDicDblClick
  end
  object EQL: TEdit
    Left = 264
    Top = 26
    Width = 248
    Height = 21
    MaxLength = 100
    ReadOnly = True
    TabOrder = 2
  end
  object MDesc: TMemo
    Left = 264
    Top = 74
    Width = 248
    Height = 242
    ReadOnly = True
    ScrollBars = ssVertical
    TabOrder = 3
  end
  object BOk: TButton
    Left = 344
    Top = 327
    Width = 80
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 4
    OnClick = BOkClick
  end
  object BCancel: TButton
    Left = 432
    Top = 327
    Width = 80
    Height = 25
    Cancel = True
    Caption = 'Anuluj'
    ModalResult = 2
    TabOrder = 5
  end
end
