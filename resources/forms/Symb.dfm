object FSymbol: TFSymbol
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Symbole'
  ClientHeight = 300
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
