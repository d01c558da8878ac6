// Reading a visual-style file: a data-only module whose resources hold the
// master ini ("TEXTFILE" "THEMES_INI"), the colour-scheme, scheme-file and
// size name lists (id 1 of "COLORNAMES", "FILERESNAMES", "SIZENAMES") and
// one scheme ini per colour and size.
//
// Style files come from outside the program, so every resource is checked
// against the mapped file before a byte of it is read.
#pragma once

#include <bitset>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

#include "Graphics.h"
#include "SysUtils.h"
#include "System.h"
#include "VsIni.h"
#include "VsThemesGeneral.h"
#include "VsTmSchema.h"
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
// The manager of one style file.

class TWindowsXPThemeManager;

// The window classes a style serves, in the order their class lists are
// matched.
enum class TWindowsXPThemeClass {
  Globals, Button, ComboBox, Edit, ExplorerBar, Header, ListView, Progress,
  ScrollBar, Spin, Status, Tab, ToolBar, TrackBar, TreeView, Window
};
constexpr int WindowsXPThemeClassCount = 16;

// The class a class list names: its beginning, upper-cased, is one of
// "GLOBALS", "BUTTON" ... "WINDOW" (the first match in enumeration order).
// False when it starts with none of them.
bool WindowsXPThemeClassOf(const WideString& ClassList, TWindowsXPThemeClass& Class);

// The theme of Class with Manager (owned by the caller). This is the one
// place that maps a class to its theme class.
TTheme* CreateWindowsXPClassTheme(TWindowsXPThemeManager* Manager, TWindowsXPThemeClass Class);

// A theme of a style file: the system metrics come from its manager's
// [SysMetrics] (the TTheme answers without a manager). The string metrics
// are always the TTheme ones.
class TWindowsXPTheme : public TTheme {
public:
  explicit TWindowsXPTheme(TWindowsXPThemeManager* Manager);

  // nil when the theme has no manager (or not a style-file one).
  TWindowsXPThemeManager* XPManager() const;

  bool GetThemeSysBool(int BoolId) override;
  COLORREF GetThemeSysColor(int ColorId) override;
  HBRUSH GetThemeSysColorBrush(int ColorId) override;
  void GetThemeSysFont(int FontId, LOGFONTW& Font) override;
  void GetThemeSysInt(int IntId, int& Value) override;
  int GetThemeSysSize(int SizeId) override;
};

struct TVsBlitBuffers;

// Serves the theme functions from a visual-style file. LoadFromFile opens
// the file and reads its documentation and colour schemes; SetColorScheme
// reads the scheme's ini and its system metrics.
//
// GetThemeSysColor, GetThemeSysColorBrush and GetThemeSysSize take the
// engine's metric ids (colours 1601 on, sizes 1201 on), not the platform's
// COLOR_ and SM_ indexes. With a nil theme the colour and its brush come
// from this manager's metrics.
class TWindowsXPThemeManager : public TThemeManager {
public:
  TWindowsXPThemeManager();
  ~TWindowsXPThemeManager() override;

  // "DisplayName" of [Documentation]; EWindowsXPThemeError "No display name
  // for this theme" when missing.
  WideString GetDisplayName() override;
  // The theme of the class ClassList names; nil for any other.
  TTheme* CreateTheme(const WideString& ClassList) override;
  // Key PropertyName of [Documentation] into Buffer, cut to fit with its
  // terminator. A nil buffer or name, or no room, raises
  // EWindowsXPThemeError "Invalid function parameter"; a missing key
  // "Documenation property [%s] is undefined". ThemeName is not used.
  void GetThemeDocumentationProperty(LPCWSTR ThemeName, LPCWSTR PropertyName, LPWSTR Buffer,
                                     int BufferChars) override;
  COLORREF GetThemeSysColor(HTHEME Theme, int ColorId) override;
  HBRUSH GetThemeSysColorBrush(HTHEME Theme, int ColorId) override;
  // "DisplayName" of [ColorScheme.<SchemeName>]; empty when missing.
  WideString GetColorSchemeDisplayName(const WideString& SchemeName) override;

  // Opens FileName (a file already open is unloaded first), reads the
  // master ini and the colour-scheme names.
  void LoadFromFile(const WideString& FileName) override;
  // Also empties both inis and frees the file.
  void Unload() override;
  // An empty name is the first scheme. Reads the scheme's ini, frees the
  // open themes and reloads the metrics.
  void SetColorScheme(const WideString& SchemeName) override;

  HMODULE Module() const { return FModule; }
  TWindowsXPThemeMetrics& Metrics() { return *FMetrics; }
  TVsIniFile& SchemeIni() { return *FSchemeIni; }
  TVsIniFile& MasterIni() { return *FMasterIni; }
  // The blitters' scratch bitmaps of every part of this style; freed by Unload.
  TVsBlitBuffers& BlitBuffers();

private:
  HMODULE FModule = nullptr;
  std::unique_ptr<TWindowsXPThemeMetrics> FMetrics;
  TOwned<TVsIniFile> FSchemeIni;
  TOwned<TVsIniFile> FMasterIni;
  std::unique_ptr<TVsBlitBuffers> FBlitBuffers;
};

// ---------------------------------------------------------------------------
// One part of a style: the values of its section of the scheme ini, with the
// undefined ones inherited from the parent part, and its images cut into
// frames.
//
// Properties are named by their internal id (TTmProperty::Id). The images,
// in this order: "GlyphImageFile", "ImageFile", "ImageFile1" .. "ImageFile5".
class TWindowsXPThemePart : public TThemePart {
public:
  static constexpr int ImageCount = 7;
  static constexpr int GlyphImage = 0;
  static constexpr int MainImage = 1;
  // Image k of the sized images "ImageFile1" .. "ImageFile5" (k = 1..5).
  static constexpr int SizedImage(int K) { return MainImage + K; }

  // Loads SectionName of the scheme ini of Theme's manager, when Theme has a
  // style-file manager; a section that does not exist gives a part with no
  // properties of its own.
  TWindowsXPThemePart(TTheme* Theme, TWindowsXPThemePart* ParentPart, const AnsiString& SectionName);

  TWindowsXPThemePart* Parent() const { return FParent; }

  bool IsOwnPropertyDefined(int Id) const;
  // Defined here or in a parent part.
  bool IsPropertyDefined(int Id) const;

  // The typed getters: the part's own value, else the parent's. An id not of
  // the getter's kind raises EWindowsXPThemeError "Invalid function
  // parameter"; one defined nowhere "Theme property [%d] is undefined" with
  // its schema number.
  bool GetBool(int Id) const;
  COLORREF GetColor(int Id) const;
  int GetInt(int Id) const;
  MARGINS GetMargins(int Id) const;
  POINT GetPosition(int Id) const;
  POINT GetSize(int Id) const;
  AnsiString GetFileName(int Id) const;
  int GetEnum(TTmEnumeration Enumeration) const;
  int BgType() const { return GetEnum(TTmEnumeration::BgType); }
  int BorderType() const { return GetEnum(TTmEnumeration::BorderType); }
  int FillType() const { return GetEnum(TTmEnumeration::FillType); }
  int GlyphType() const { return GetEnum(TTmEnumeration::GlyphType); }
  int HAlign() const { return GetEnum(TTmEnumeration::HAlign); }
  int ImageLayout() const { return GetEnum(TTmEnumeration::ImageLayout); }
  int ImageSelectType() const { return GetEnum(TTmEnumeration::ImageSelectType); }
  int SizingType() const { return GetEnum(TTmEnumeration::SizingType); }
  int VAlign() const { return GetEnum(TTmEnumeration::VAlign); }

  // The id of the property of Kind with SchemaNumber when this part defines
  // it itself; else EWindowsXPThemeError "Theme property [%d] is undefined"
  // with SchemaNumber.
  int OwnPropertyId(TTmPropertyKind Kind, int SchemaNumber) const;

  // Image Index (nil when absent or not loadable) and its frames.
  TBitmap* Image(int Index) const { return FImages[Index].get(); }
  const std::vector<RECT>& Frames(int Index) const { return FFrames[Index]; }

  // ---- Drawing and measuring
  void DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) override;
  void DrawThemeEdge(HDC DC, int StateId, const RECT* DestRect, UINT Edge, UINT Flags, RECT* ContentRect) override;
  void DrawThemeIcon(HDC DC, int StateId, const RECT* Rect, HIMAGELIST ImageList, int ImageIndex) override;
  void DrawThemeText(HDC DC, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags, DWORD TextFlags2,
                     const RECT* Rect) override;
  void GetThemeBackgroundContentRect(HDC DC, int StateId, const RECT* BoundingRect, RECT* ContentRect) override;
  void GetThemeBackgroundExtent(HDC DC, int StateId, const RECT* ContentRect, RECT* ExtentRect) override;
  void GetThemeBackgroundRegion(HDC DC, int StateId, const RECT* Rect, HRGN* Region) override;
  // The getters answer the part's own values only, whatever the state.
  void GetThemeBool(int StateId, int PropId, bool& Value) override;
  void GetThemeColor(int StateId, int PropId, COLORREF& Color) override;
  // In the published numbering of each enumeration; a value that has none
  // there ("none" of BorderType and FillType) is undefined.
  void GetThemeEnumValue(int StateId, int PropId, int& Value) override;
  void GetThemeFilename(int StateId, int PropId, LPWSTR Buffer, int BufferChars) override;
  void GetThemeFont(HDC DC, int StateId, int PropId, LOGFONTW& Font) override;
  void GetThemeInt(int StateId, int PropId, int& Value) override;
  void GetThemeIntList(int StateId, int PropId, INTLIST& List) override;
  void GetThemeMargins(HDC DC, int StateId, int PropId, RECT* Rect, MARGINS& Margins) override;
  void GetThemeMetric(HDC DC, int StateId, int PropId, int& Value) override;
  void GetThemePartSize(HDC DC, int StateId, RECT* Rect, THEMESIZE Kind, SIZE& Size) override;
  void GetThemePosition(int StateId, int PropId, POINT& Point) override;
  void GetThemePropertyOrigin(int StateId, int PropId, PROPERTYORIGIN& Origin) override;
  void GetThemeRect(int StateId, int PropId, RECT& Rect) override;
  void GetThemeString(int StateId, int PropId, LPWSTR Buffer, int BufferChars) override;
  void GetThemeTextExtent(HDC DC, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                          const RECT* BoundingRect, RECT& ExtentRect) override;
  void GetThemeTextMetrics(HDC DC, int StateId, TEXTMETRIC& Metrics) override;
  void HitTestThemeBackground(HDC DC, int StateId, DWORD Options, const RECT* Rect, HRGN Region, POINT Point,
                              WORD& HitTestCode) override;
  bool IsThemeBackgroundPartiallyTransparent(int StateId) override;
  bool IsThemePartDefined(int StateId) override;

protected:
  virtual void DrawBorderFillBackground(HDC DC, int StateId, const RECT& Rect);
  virtual void DrawGradientFill(HDC DC, int StateId, bool Vertical, const RECT& Rect);
  virtual void DrawImage(HDC DC, int StateId, const RECT& Rect);
  virtual void DrawGlyph(HDC DC, int StateId, const RECT& Rect);
  virtual void DrawBorderAndFill(HDC DC, int StateId, const RECT& Rect);
  // The sized image ("ImageFile1" .. "ImageFile5") "ImageSelectType" picks
  // for Rect on DC; -1 when it picks none.
  virtual int ChooseSizedImage(HDC DC, const RECT& Rect);

protected:
  // Frames of Bitmap along "ImageLayout" (horizontal when undefined). A
  // Count below 1 is 1; one above the bitmap's length along the layout is
  // that length, so no frame is empty.
  virtual void SplitImageFrames(TBitmap* Bitmap, int Count, std::vector<RECT>& Frames);
  // Splits every loaded image into "ImageCount" frames (1 when undefined).
  virtual void SplitAllImages();
  // The frame of a state; 0 here.
  virtual int StateToFrame(int StateId);
  // Reads the part's properties from section SectionName of Ini, then its
  // images. Runs from the constructor, so only this class's runs.
  virtual void LoadSection(TVsIniFile& Ini, const AnsiString& SectionName);
  // Loads each image defined here or in a parent from the style's bitmap
  // resources; one that fails stays nil.
  virtual void LoadImages();

private:
  // The position of Id in the table of Kind; raises "Invalid function
  // parameter" when Id is not of that kind.
  static int IndexOf(TTmPropertyKind Kind, int Id);
  // The part that defines Id itself, searching up from this one; raises
  // "Theme property [%d] is undefined" when there is none.
  const TWindowsXPThemePart* Definer(TTmPropertyKind Kind, int Index) const;
  // Values[Index of Id] of the part that defines Id.
  template <class T, size_t N>
  const T& Value(TTmPropertyKind Kind, T (TWindowsXPThemePart::*Values)[N], int Id) const;

  TWindowsXPThemePart* FParent;
  bool FBools[13] = {};
  COLORREF FColors[23] = {};
  int FInts[25] = {};
  MARGINS FMargins[3] = {};
  POINT FPositions[2] = {};
  POINT FSizes[7] = {};
  AnsiString FFileNames[8];
  int FEnums[14] = {};
  std::bitset<TmPropertyIdCount> FDefined;
  TOwned<TBitmap> FImages[ImageCount];
  std::vector<RECT> FFrames[ImageCount];

  // ---- Drawing
  // An image as the blitters take it, made on its first use: selected into
  // a memory DC of its own, with whether it has alpha and whether every
  // pixel is 0 (such an image draws nothing).
  struct TDrawnImage {
    TDrawnImage() = default;
    TDrawnImage(const TDrawnImage&) = delete;
    TDrawnImage& operator=(const TDrawnImage&) = delete;
    ~TDrawnImage();
    void Free();
    const TBitmap* Bitmap = nullptr;
    HDC DC = nullptr;
    HGDIOBJ OldBitmap = nullptr;
    bool HasAlpha = false;
    bool AllZero = false;
  };
  // The image to draw of Index; nil when absent, without frames or all 0.
  const TDrawnImage* DrawnImage(int Index);
  // The frame of StateId in image Index: StateToFrame, 0 when out of range.
  const RECT& StateFrame(int Index, int StateId);
  // The frame's size when StateToFrame of StateId names one of image Index.
  bool StateFrameSize(int Index, int StateId, SIZE& Size);
  // The background and glyph images as drawing picks them; -1 for none.
  int BackgroundImage(HDC DC, const RECT& Rect);
  int GlyphImageOf(HDC DC, const RECT& Rect);
  // The key colour of Transparent/TransparentColor (Flag the Boolean asked
  // for); clNone without one.
  COLORREF TransparentColor(int Flag) const;
  void DrawStretched(HDC DC, const RECT& Rect, const TDrawnImage& Image, const RECT& Frame, COLORREF Transparent);
  // The frame in its own size, placed in Rect by HAlign and VAlign.
  void DrawTrueSize(HDC DC, const RECT& Rect, const TDrawnImage& Image, const RECT& Frame, COLORREF Transparent);
  void DrawTiled(HDC DC, const RECT& Rect, const TDrawnImage& Image, const RECT& Frame, COLORREF Transparent);
  // The scratch bitmaps of the theme's manager; nil without one.
  TVsBlitBuffers* BlitBuffers() const;

  TDrawnImage FDrawnImages[ImageCount];
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

// The scratch bitmaps of the blitters; one set serves every drawing call.
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

// ---------------------------------------------------------------------------
// Drawing parts

// Internal ids of the properties drawing reads.
namespace TmId {
constexpr int BgType = 6, BorderColor = 7, BorderOnly = 9, BorderSize = 10, BorderType = 11, Color = 13,
              ContentMargins = 16, FillColor = 22, FillType = 24, GlyphImageFile = 26, GlyphTransparent = 29,
              GlyphType = 30, GradientColor1 = 31, GradientColor2 = 32, GradientRatio1 = 36, GradientRatio2 = 37,
              HAlign = 41, ImageFile = 46, ImageFile1 = 47, ImageSelectType = 53, MinDpi1 = 54, MinSize1 = 60,
              RoundCornerHeight = 72, RoundCornerWidth = 73, SizingMargins = 76, SizingType = 77, TextColor = 83,
              Transparent = 87, TransparentColor = 88, VAlign = 92;
}  // namespace TmId

// Rect moved in (out) by Margins on each side.
void MoveInByMargins(RECT& Rect, const MARGINS& Margins);
void MoveOutByMargins(RECT& Rect, const MARGINS& Margins);

// A part whose states 1..States use frames 0..States - 1 (any other state
// frame 0). Companions, each a part of its own section with this one as its
// parent, draw the background and text of the states routed to them; every
// other operation and state stays with this part.
class TWindowsXPThemeStatePart : public TWindowsXPThemePart {
public:
  TWindowsXPThemeStatePart(TTheme* Theme, TWindowsXPThemePart* ParentPart, const AnsiString& SectionName, int States);

  void DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) override;
  void DrawThemeText(HDC DC, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags, DWORD TextFlags2,
                     const RECT* Rect) override;

  // The companion that draws StateId; nil when this part draws it.
  TWindowsXPThemePart* Companion(int StateId) const;

protected:
  int StateToFrame(int StateId) override;
  void AddCompanion(int StateId, TOwned<TWindowsXPThemePart> Part);

private:
  int FStates;
  std::vector<std::pair<int, TOwned<TWindowsXPThemePart>>> FCompanions;
};

// A part of the class Part of a theme's section SectionName, with
// ParentPart; States is for the classes that map states to frames.
template <class Part>
TOwned<TWindowsXPThemePart> MakeWindowsXPPart(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                              const AnsiString& SectionName, int States) {
  if constexpr (std::is_constructible_v<Part, TTheme*, TWindowsXPThemePart*, const AnsiString&, int>)
    return TOwned<TWindowsXPThemePart>(new Part(Theme, ParentPart, SectionName, States));
  else
    return TOwned<TWindowsXPThemePart>(new Part(Theme, ParentPart, SectionName));
}

// One part a class theme builds.
struct TWindowsXPPartEntry {
  enum TParent { NoParent, Root };  // Root: the class's part 0
  int PartId;
  const char* Section;
  TOwned<TWindowsXPThemePart> (*Create)(TTheme*, TWindowsXPThemePart*, const AnsiString&, int);
  int States;
  TParent Parent;
};

// Creates the parts of Entries in their order and adds them to Theme.
void AddWindowsXPParts(TTheme& Theme, std::span<const TWindowsXPPartEntry> Entries);

// The theme of the "GLOBALS" class: one part, "Globals", that serves part
// ids 0 and 30-32 and answers as the id last asked for.
class TWindowsXPThemeGlobals : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeGlobals(TWindowsXPThemeManager* Manager);
  // The "Globals" part for 0, 30, 31 and 32 (the id is remembered); nil for
  // any other.
  TThemePart* GetPart(int PartId) const override;
  int PartId() const { return FPartId; }

private:
  mutable int FPartId = 0;
};

// The part of the globals theme. Part 0 is the dialog face; 30, 31 and 32
// are edges on the left, the top and all sides, flat (state 1), raised (2)
// or sunken (3), drawn on the DC when their content or extent is asked for.
class TWindowsXPThemeGlobalsPart : public TWindowsXPThemePart {
public:
  using TWindowsXPThemePart::TWindowsXPThemePart;

  // Fills Rect with the style's button face; nothing without that colour.
  void DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) override;
  void GetThemeBackgroundContentRect(HDC DC, int StateId, const RECT* BoundingRect, RECT* ContentRect) override;
  void GetThemeBackgroundExtent(HDC DC, int StateId, const RECT* ContentRect, RECT* ExtentRect) override;
  void HitTestThemeBackground(HDC DC, int StateId, DWORD Options, const RECT* Rect, HRGN Region, POINT Point,
                              WORD& HitTestCode) override;
  bool IsThemeBackgroundPartiallyTransparent(int StateId) override;
  bool IsThemePartDefined(int StateId) override;

private:
  int PartId() const;
  // The edge of PartId in StateId drawn with BF_ADJUST: R becomes the
  // rectangle inside it. Nothing for part 0.
  void DrawEdgeOf(HDC DC, int StateId, RECT& R) const;
};
