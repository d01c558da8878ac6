object FDicName: TFDicName
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Zapisz s'#322'ownik'
  ClientHeight = 320
  ClientWidth = 420
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poMainFormCenter
  PixelsPerInch = 96
end
