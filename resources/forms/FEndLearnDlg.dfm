object EndLearnDlg: TEndLearnDlg
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Koniec '#263'wiczenia'
  ClientHeight = 160
  ClientWidth = 360
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poMainFormCenter
  PixelsPerInch = 96
end
