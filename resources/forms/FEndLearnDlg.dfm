object EndLearnDlg: TEndLearnDlg
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Koniec ćwiczenia'
  ClientHeight = 160
  ClientWidth = 360
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  OnShow = FormShow
  object MMessage: TLabel
    Left = 12
    Top = 12
    Width = 336
    Height = 96
    Alignment = taCenter
    AutoSize = False
    Layout = tlCenter
    WordWrap = True
  end
  object BYes: TButton
    Left = 12
    Top = 122
    Width = 104
    Height = 25
    Caption = 'Tak'
    ModalResult = 4
    TabOrder = 0
  end
  object BOther: TButton
    Left = 128
    Top = 122
    Width = 104
    Height = 25
    Caption = 'Inny słownik'
    ModalResult = 5
    TabOrder = 1
  end
  object BFinish: TButton
    Left = 244
    Top = 122
    Width = 104
    Height = 25
    Caption = 'Zakończ'
    Default = True
    ModalResult = 2
    TabOrder = 2
  end
end
