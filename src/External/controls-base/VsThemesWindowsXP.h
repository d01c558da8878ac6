// Reading a visual-style file: a data-only module whose resources hold the
// master ini ("TEXTFILE" "THEMES_INI"), the colour-scheme, scheme-file and
// size name lists (id 1 of "COLORNAMES", "FILERESNAMES", "SIZENAMES") and
// one scheme ini per colour and size.
//
// Style files come from outside the program, so every resource is checked
// against the mapped file before a byte of it is read.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "System.h"
#include "VsIni.h"
#include "VsThemesGeneral.h"
#include "Win.h"

// Errors of the style-file reader.
FRAMEWORK_EXCEPTION(EWindowsXPThemeError, EThemeError)

// Opens FileName as a data-only module; EWindowsXPThemeError "Invalid theme
// file name [%s]" when it does not open. Free it with FreeLibrary.
HMODULE OpenVisualStyleFile(const WideString& FileName);

// The bytes of resource Name of Type. A missing resource raises
// EResNotFound; one whose data does not lie wholly inside the mapped file
// raises EWindowsXPThemeError "Damaged visual style file".
AnsiString ReadStyleResource(HMODULE Module, LPCWSTR Type, LPCWSTR Name);

// The strings of the name list Type (id 1): UTF-16 strings each ended by a
// zero unit, up to the first empty one. A list without its end stops at the
// resource's end; an odd last byte is dropped.
std::vector<WideString> ReadStyleNames(HMODULE Module, LPCWSTR Type);

// The name of the scheme ini of colour scheme SchemeIndex (its place in
// "COLORNAMES"; -1 when there is none): entry SchemeIndex x the number of
// size names of "FILERESNAMES". EWindowsXPThemeError "Cannot find an
// appropriate scheme section" when the list has no such entry.
WideString SchemeIniName(HMODULE Module, int SchemeIndex);

// Loads the UTF-16 text resource "TEXTFILE" Name, converted to the system
// code page, into Ini (emptied first) as text, with the blanks around names
// and values trimmed: the files write "Name = Value".
void ReadStyleIni(HMODULE Module, LPCWSTR Name, TVsIniFile& Ini);

// The [SysMetrics] section of a scheme ini: the style's flat-menu flag
// (1001), system colours (1601-1631) with their brushes, fonts (801-806),
// integers (1301-1303) and sizes (1201-1209), each with a "defined" flag.
// The queries take these ids; one that is not defined (or out of range)
// raises EWindowsXPThemeError "System metrics property [%d] is undefined".
class TWindowsXPThemeMetrics {
public:
  TWindowsXPThemeMetrics() = default;
  TWindowsXPThemeMetrics(const TWindowsXPThemeMetrics&) = delete;
  TWindowsXPThemeMetrics& operator=(const TWindowsXPThemeMetrics&) = delete;
  ~TWindowsXPThemeMetrics();

  // Reads every entry anew from Ini's "SysMetrics" section; the brushes made
  // so far are deleted.
  void Load(TVsIniFile& Ini);

  bool GetBool(int Id) const;
  COLORREF GetColor(int Id) const;
  // The solid brush of a defined colour, made on first request and kept;
  // nullptr for a colour that is not defined.
  HBRUSH GetColorBrush(int Id);
  LOGFONTA GetFont(int Id) const;
  int GetInt(int Id) const;
  int GetSize(int Id) const;

  static constexpr int ColorCount = 31;
  static constexpr int FontCount = 6;
  static constexpr int IntCount = 3;
  static constexpr int SizeCount = 9;

private:
  void DeleteBrushes();

  bool FFlatMenus = false;
  bool FFlatMenusDefined = false;
  COLORREF FColors[ColorCount] = {};
  bool FColorDefined[ColorCount] = {};
  HBRUSH FBrushes[ColorCount] = {};
  LOGFONTA FFonts[FontCount] = {};
  bool FFontDefined[FontCount] = {};
  int FInts[IntCount] = {};
  bool FIntDefined[IntCount] = {};
  int FSizes[SizeCount] = {};
  bool FSizeDefined[SizeCount] = {};
};
