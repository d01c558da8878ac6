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
    object MKontakt: TMemo
      Left = 8
      Top = 8
      Width = 185
      Height = 89
      Lines.Strings = (
        '{\rtf1\ansi\ansicpg1250\deff0'
        '{\fonttbl{\f0\fswiss\fcharset238 Tahoma;}}'
        '{\colortbl;\red0\green0\blue160;}'
        '\viewkind4\uc1\pard\sa120\f0\fs28\cf1\b Kontakt z firm\''b9 Vardo\b0\cf0\par'
        '\fs20 Masz pytanie o program, zam\''f3wienie albo kurs? Napisz do nas, ch\''eatnie pomo\''bfemy.\par'
        '\b Biuro obs\''b3ugi klienta:\b0  biuro@example.com\par'
        '\b Pomoc techniczna:\b0  pomoc@example.com\par'
        '\b Zam\''f3wienia:\b0  zamowienia@example.com\par'
        '\b Strona internetowa:\b0  http://www.example.com/\par'
        'Odpowiadamy w dni robocze, zwykle w ci\''b9gu dw\''f3ch dni.\par'
        '}')
      TabOrder = 1
      Visible = False
      WordWrap = False
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
    object MVARDO: TMemo
      Left = 8
      Top = 8
      Width = 185
      Height = 89
      Lines.Strings = (
        '{\rtf1\ansi\ansicpg1250\deff0'
        '{\fonttbl{\f0\fswiss\fcharset238 Tahoma;}}'
        '{\colortbl;\red0\green0\blue160;}'
        '\viewkind4\uc1\pard\sa120\f0\fs28\cf1\b O firmie Vardo\b0\cf0\par'
        '\fs20 Vardo to niewielki zesp\''f3\''b3, kt\''f3ry przygotowuje programy i materia\''b3y do nauki j\''eazyk\''f3w obcych.\par'
        'Vardo Slovanta pomaga codziennie \''e6wiczy\''e6 s\''b3ownictwo: poznawa\''e6 nowe s\''b3\''f3wka, utrwala\''e6 je w nauce i sprawdza\''e6 si\''ea w testach. Wyniki test\''f3w trafiaj\''b9 do dziennika ocen ka\''bfdego u\''bfytkownika.\par'
        'Prowadzimy tak\''bfe kursy j\''eazykowe dla doros\''b3ych i m\''b3odzie\''bfy. Zapisy i zam\''f3wienia przyjmujemy przez nasz\''b9 stron\''ea internetow\''b9.\par'
        'Zapraszamy: http://www.example.com/\par'
        '}')
      TabOrder = 1
      Visible = False
      WordWrap = False
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
