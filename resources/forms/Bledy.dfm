object FBledy: TFBledy
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Lista błędnych odpowiedzi'
  ClientHeight = 320
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  OnShow = FormShow
  object LBB: TVsListBox
    Left = 8
    Top = 8
    Width = 424
    Height = 268
    ItemHeight = 13
    TabOrder = 0
  end
  object Button1: TButton
    Left = 180
    Top = 286
    Width = 80
    Height = 25
    Caption = 'Zamknij'
    ModalResult = 1
    TabOrder = 1
  end
end
