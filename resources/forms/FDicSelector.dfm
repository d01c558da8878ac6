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
  Position = poMainFormCenter
  PixelsPerInch = 96
end
