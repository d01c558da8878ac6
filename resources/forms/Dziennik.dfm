object FDzienn: TFDzienn
  Left = 0
  Top = 0
  BorderStyle = bsSingle
  Caption = 'Oceny'
  ClientHeight = 422
  ClientWidth = 316
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
  OnKeyDown = FormKeyDown
  OnShow = FormShow
  object LUserName: TLabel
    Left = 8
    Top = 8
    Width = 300
    Height = 13
    Alignment = taCenter
    AutoSize = False
    Caption = 'Użytkownik'
  end
  object LModuleName: TLabel
    Left = 8
    Top = 58
    Width = 300
    Height = 13
    Alignment = taCenter
    AutoSize = False
    Caption = 'Moduł słownikowy'
  end
  object LMarks: TLabel
    Left = 8
    Top = 108
    Width = 300
    Height = 13
    Alignment = taCenter
    AutoSize = False
    Caption = 'Oceny'
  end
  object EName: TJEdit
    Left = 8
    Top = 26
    Width = 300
    Height = 21
    Alignment = taCenter
    ReadOnly = True
    TabOrder = 0
    Text = 'nieznany'
  end
  object CBTests: TComboBox
    Left = 8
    Top = 76
    Width = 300
    Height = 21
    Style = csDropDownList
    ItemHeight = 13
    TabOrder = 1
    OnChange = CBTestsChange
  end
  object LBMarks: TListBox
    Left = 8
    Top = 126
    Width = 300
    Height = 250
    ItemHeight = 13
    TabOrder = 2
  end
  object BOk: TButton
    Left = 64
    Top = 388
    Width = 80
    Height = 25
    Caption = 'OK'
    TabOrder = 3
    OnClick = BOkClick
  end
  object BClear: TButton
    Left = 172
    Top = 388
    Width = 80
    Height = 25
    Caption = 'Wyczyść'
    TabOrder = 4
    OnClick = BClearClick
  end
end
