object About: TAbout
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Vardo Slovanta - informacje'
  ClientHeight = 280
  ClientWidth = 380
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poMainFormCenter
  PixelsPerInch = 96
end
