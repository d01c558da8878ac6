object FInfo: TFInfo
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Informacje'
  ClientHeight = 467
  ClientWidth = 583
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  object PKontakt: TPanel
    Left = 8
    Top = 8
    Width = 567
    Height = 415
    BevelOuter = bvLowered
    TabOrder = 0
    object REKontakt: TRichEdit
      Left = 1
      Top = 1
      Width = 565
      Height = 413
      Align = alClient
      BorderStyle = bsNone
      ReadOnly = True
      TabOrder = 0
    end
  end
  object PVARDO: TPanel
    Left = 8
    Top = 8
    Width = 567
    Height = 415
    BevelOuter = bvLowered
    TabOrder = 1
    object REVARDO: TRichEdit
      Left = 1
      Top = 1
      Width = 565
      Height = 413
      Align = alClient
      BorderStyle = bsNone
      ReadOnly = True
      ScrollBars = ssVertical
      TabOrder = 0
    end
  end
  object BClose: TButton
    Left = 254
    Top = 432
    Width = 75
    Height = 25
    Caption = 'Zamknij'
    Default = True
    ModalResult = 1
    TabOrder = 2
  end
end
