object FDicName: TFDicName
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Podaj nazw'#281' s'#322'ownika'
  ClientHeight = 320
  ClientWidth = 420
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnShow = FormShow
  object DLB: TDirectoryListBox
    Left = 8
    Top = 8
    Width = 404
    Height = 236
    ItemHeight = 16
    TabOrder = 0
    OnChange = DLBChange
  end
  object EDN: TEdit
    Left = 8
    Top = 252
    Width = 404
    Height = 21
    TabOrder = 1
  end
  object BCreate: TButton
    Left = 8
    Top = 287
    Width = 120
    Height = 25
    Caption = 'Utw'#243'rz katalog'
    TabOrder = 2
    OnClick = BCreateClick
  end
  object BOk: TButton
    Left = 244
    Top = 287
    Width = 80
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 3
    OnClick = BOkClick
  end
  object BCancel: TButton
    Left = 332
    Top = 287
    Width = 80
    Height = 25
    Cancel = True
    Caption = 'Anuluj'
    ModalResult = 2
    TabOrder = 4
    OnClick = BCancelClick
  end
end
