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
  object SGS: TUniStringGrid
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
    OnSelectCell = SGSSelectCell
  end
  object BSym: TUniButton
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
  object MChars: TMemo
    Left = 0
    Top = 0
    Width = 185
    Height = 89
    Visible = False
    Lines.Strings = (
      #194#157
      #194#173
      #226#128#147
      #226#128#148
      #203#134
      #194#161
      #194#166
      #194#168
      #194#175
      #194#180
      #194#184
      #194#191
      #203#135
      #203#152
      #203#156
      #226#128#152
      #226#128#153
      #226#128#154
      #226#128#156
      #226#128#157
      #226#128#158
      #226#128#185
      #226#128#186
      #194#177
      #194#171
      #194#187
      #195#151
      #195#183
      #194#162
      #194#163
      #194#164
      #194#165
      #194#167
      #194#169
      #194#172
      #194#174
      #194#176
      #194#181
      #194#182
      #194#183
      #226#128#160
      #226#128#161
      #226#128#162
      #226#128#166
      #226#128#176
      #226#130#172
      #194#188
      #194#189
      #194#190
      #194#185
      #194#178
      #194#179
      #194#170
      #195#129
      #195#161
      #195#128
      #195#160
      #195#130
      #195#162
      #195#132
      #195#164
      #196#130
      #196#131
      #195#131
      #195#163
      #195#133
      #195#165
      #195#134
      #195#166
      #196#132
      #196#133
      #196#140
      #196#141
      #195#135
      #195#167
      #196#134
      #196#135
      #196#142
      #196#143
      #196#144
      #196#145
      #195#176
      #195#137
      #195#169
      #195#136
      #195#168
      #195#138
      #195#170
      #195#139
      #195#171
      #196#154
      #196#155
      #196#152
      #196#153
      #198#146
      #195#141
      #195#173
      #195#140
      #195#172
      #195#142
      #195#174
      #195#143
      #195#175
      #196#185
      #196#186
      #196#189
      #196#190
      #197#130
      #197#129
      #197#135
      #197#136
      #195#145
      #195#177
      #197#131
      #197#132
      #194#186
      #195#146
      #195#178
      #195#148
      #195#180
      #195#150
      #195#182
      #195#149
      #195#181
      #195#152
      #195#184
      #197#146
      #197#147
      #195#147
      #195#179
      #197#148
      #197#149
      #197#152
      #197#153
      #197#160
      #197#161
      #197#158
      #197#159
      #195#159
      #197#154
      #197#155
      #197#164
      #197#165
      #197#162
      #195#158
      #226#132#162
      #195#154
      #195#186
      #195#153
      #195#185
      #195#155
      #195#187
      #195#156
      #195#188
      #197#174
      #197#175
      #197#177
      #195#157
      #195#189
      #197#184
      #197#189
      #197#190
      #197#185
      #197#186
      #197#187
      #197#188)
    TabOrder = 2
  end
end
