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

// ---------------------------------------------------------------------------
// Blitters of part images. Each draws a frame (a rectangle of the image
// selected into Source) onto Dest. Transparent is the key colour of a masked
// copy -- pixels of that colour leave the destination as it was -- or clNone
// for a plain copy. The alpha blitters blend every pixel with its own alpha
// A as (source x A + destination x (256 - A)) shr 8 per colour, and leave 0
// in the alpha byte.

// Scratch bitmap of the blitters: a 32-bpp top-down DIB section selected into
// a memory DC of its own, kept between calls and grown when a call needs more.
class TVsBlitBuffer {
public:
  TVsBlitBuffer() = default;
  TVsBlitBuffer(const TVsBlitBuffer&) = delete;
  TVsBlitBuffer& operator=(const TVsBlitBuffer&) = delete;
  ~TVsBlitBuffer() { Free(); }

  // The DC of the buffer, now at least Width x Height; nil when GDI cannot
  // make one that large.
  HDC Prepare(int Width, int Height);
  // Row Y of the pixels (0x00RRGGBB with the alpha in the top byte).
  DWORD* Row(int Y) const { return FBits + static_cast<ptrdiff_t>(Y) * FWidth; }
  int Stride() const { return FWidth; }
  void Free();

private:
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  DWORD* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
};

// The scratch bitmaps one drawing call uses.
struct TVsBlitBuffers {
  TVsBlitBuffer Image;   // the frame brought to the destination size
  TVsBlitBuffer Source;  // a 32-bit copy of the frame
  TVsBlitBuffer Dest;    // a copy of the destination area
  void Free();
};

// The frame at (X, Y) in its own size, by the masked copy when Transparent
// is a colour.
void VsTransparentBlt(HDC Dest, int X, int Y, HDC Source, const RECT& Frame, COLORREF Transparent,
                      TVsBlitBuffers& Buffers);
// The frame stretched onto DestRect in nine pieces (stretch mode
// COLORONCOLOR): the corners in their own size, the edges stretched along
// and the centre both ways -- not at all when BorderOnly, which leaves the
// destination's centre as it was. Margins are of the frame; a negative one
// counts as 0, one larger than what is left of the frame is cut to it, and
// a piece with no extent in either direction is skipped. With all margins 0
// the whole frame is stretched.
void VsNineGridStretchBlt(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins,
                          bool BorderOnly, COLORREF Transparent, TVsBlitBuffers& Buffers);
// As the stretch, but edges and centre are tiled with pieces of the frame's
// middle, the last tile of a row or column cut to fit.
void VsNineGridTileBlt(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins,
                       bool BorderOnly, COLORREF Transparent, TVsBlitBuffers& Buffers);
// The frame blended at (X, Y) in its own size.
void VsAlphaBlt(HDC Dest, int X, int Y, HDC Source, const RECT& Frame, TVsBlitBuffers& Buffers);
// The frame brought to DestRect's size (a straight copy when it has it
// already, else as VsNineGridStretchBlt, with a border-only centre wholly
// transparent), then blended.
void VsAlphaNineGridBlt(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins,
                        bool BorderOnly, TVsBlitBuffers& Buffers);
