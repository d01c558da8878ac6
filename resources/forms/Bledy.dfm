object FBledy: TFBledy
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'B'#322#281'dne odpowiedzi'
  ClientHeight = 320
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poMainFormCenter
  PixelsPerInch = 96
end
