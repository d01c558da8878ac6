object FSymbol: TFSymbol
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Wybierz symbol'
  ClientHeight = 385
  ClientWidth = 320
  Color = clBtnFace
  Font.Charset = 238
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  KeyPreview = True
  PixelsPerInch = 96
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnShow = FormShow
  object SGS: TStringGrid
    Left = 0
    Top = 0
    Width = 320
    Height = 320
    ColCount = 16
    DefaultColWidth = 16
    DefaultRowHeight = 16
    FixedCols = 0
    FixedRows = 0
    GridLineWidth = 0
    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected]
    Font.Charset = 238
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Lucida Sans Unicode'
    Font.Style = []
    ParentFont = False
    ScrollBars = ssVertical
    TabOrder = 0
    OnDblClick = SGSDblClick
    OnDrawCell = SGSDrawCell
    OnSelectCell = SGSSelectCell
  end
  object BSym: TSymbolButton
    Left = 0
    Top = 325
    Width = 319
    Height = 60
    Default = True
    ModalResult = 1
    Font.Charset = 238
    Font.Color = clWindowText
    Font.Height = -20
    Font.Name = 'Lucida Sans Unicode'
    Font.Style = []
    ParentFont = False
    TabOrder = 1
  end
end
