#include "Graphics.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "Consts.h"
#include "Filer.h"
#include "Jpeg.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {


// ---------------------------------------------------------------------------
// Identifier tables

struct TIdentEntry {
  Integer Value;
  const char* Name;
};

const TIdentEntry Colors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    // Aliases after the names they share a value with, so that a value maps
    // back to the primary name.
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

const TIdentEntry Cursors[] = {
    {crDefault, "crDefault"},     {crArrow, "crArrow"},         {crCross, "crCross"},
    {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},   {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},       {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},           {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},       {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},     {crNo, "crNo"},               {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
};

char AsciiLower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C; }

bool SameIdent(const AnsiString& A, const char* B) {
  std::size_t N = std::strlen(B);
  if (A.size() != N) return false;
  for (std::size_t I = 0; I < N; ++I)
    if (AsciiLower(A[I]) != AsciiLower(B[I])) return false;
  return true;
}

template <std::size_t N> bool IdentToValue(const TIdentEntry (&Table)[N], const AnsiString& Ident, Integer& Value) {
  for (const TIdentEntry& E : Table)
    if (SameIdent(Ident, E.Name)) {
      Value = E.Value;
      return true;
    }
  return false;
}

template <std::size_t N> bool ValueToIdent(const TIdentEntry (&Table)[N], Integer Value, AnsiString& Ident) {
  for (const TIdentEntry& E : Table)
    if (E.Value == Value) {
      Ident = E.Name;
      return true;
    }
  return false;
}

// A 32-bit integer as written in layouts: decimal with an optional sign, or
// hexadecimal after "$" or "0x" (up to eight digits, taken as the bit pattern).
bool ParseInteger(const AnsiString& S, Integer& Value) {
  std::size_t I = 0;
  bool Negative = false;
  if (I < S.size() && (S[I] == '-' || S[I] == '+')) Negative = S[I++] == '-';
  int Base = 10;
  if (I < S.size() && S[I] == '$') {
    Base = 16;
    ++I;
  } else if (I + 1 < S.size() && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
    Base = 16;
    I += 2;
  }
  if (I == S.size()) return false;
  std::uint64_t Acc = 0;
  for (; I < S.size(); ++I) {
    char C = AsciiLower(S[I]);
    int Digit;
    if (C >= '0' && C <= '9') Digit = C - '0';
    else if (Base == 16 && C >= 'a' && C <= 'f') Digit = C - 'a' + 10;
    else return false;
    Acc = Acc * Base + Digit;
    if (Acc > 0xFFFFFFFFull) return false;
  }
  if (Base == 16) {
    std::uint32_t Bits = static_cast<std::uint32_t>(Acc);
    Value = static_cast<Integer>(Negative ? 0u - Bits : Bits);
    return true;
  }
  if (Acc > (Negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
  Value = static_cast<Integer>(Negative ? -static_cast<Int64>(Acc) : static_cast<Int64>(Acc));
  return true;
}

[[noreturn]] void RaiseNotInteger(const AnsiString& S) {
  throw EConvertError(FmtLoadStr(SInvalidInteger, S));
}

HGDIOBJ CheckHandle(HGDIOBJ Handle) {
  if (!Handle) throw EOutOfResources(LoadStr(SOutOfResources));
  return Handle;
}

// Deletes a GDI object when the scope ends.
class TGdiObjectGuard {
public:
  explicit TGdiObjectGuard(HGDIOBJ Obj) : FObj(Obj) {}
  ~TGdiObjectGuard() { if (FObj) DeleteObject(FObj); }
  TGdiObjectGuard(const TGdiObjectGuard&) = delete;
  TGdiObjectGuard& operator=(const TGdiObjectGuard&) = delete;

private:
  HGDIOBJ FObj;
};

// A memory DC with one bitmap selected, for the scope.
class TMemoryDC {
public:
  explicit TMemoryDC(HBITMAP Bitmap) : FDC(CreateCompatibleDC(nullptr)) {
    if (!FDC) throw EOutOfResources(LoadStr(SOutOfResources));
    FOld = SelectObject(FDC, Bitmap);
  }
  ~TMemoryDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Handle() const { return FDC; }

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// Little-endian fields of the file formats.
std::uint16_t GetU16(const Byte* P) { return static_cast<std::uint16_t>(P[0] | (P[1] << 8)); }
std::uint32_t GetU32(const Byte* P) {
  return static_cast<std::uint32_t>(P[0]) | (static_cast<std::uint32_t>(P[1]) << 8) |
         (static_cast<std::uint32_t>(P[2]) << 16) | (static_cast<std::uint32_t>(P[3]) << 24);
}
std::int32_t GetI32(const Byte* P) { return static_cast<std::int32_t>(GetU32(P)); }
void PutU16(std::vector<Byte>& Out, std::uint32_t V) {
  Out.push_back(static_cast<Byte>(V));
  Out.push_back(static_cast<Byte>(V >> 8));
}
void PutU32(std::vector<Byte>& Out, std::uint32_t V) {
  PutU16(Out, V & 0xFFFF);
  PutU16(Out, V >> 16);
}

// Reads exactly Count bytes or raises EInvalidGraphic with Message.
void ReadExact(TStream* Stream, void* Buffer, std::size_t Count, const wchar_t* Message) {
  if (Count > 0x7FFFFFFF || Stream->Read(Buffer, static_cast<int>(Count)) != static_cast<int>(Count))
    throw EInvalidGraphic(LoadStr(Message));
}

Int64 Remaining(TStream* Stream) { return Stream->Size() - Stream->Position(); }

void WriteBytes(TStream* Stream, const std::vector<Byte>& Bytes) {
  if (!Bytes.empty()) Stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

HDC ScreenDC() { return GetDC(nullptr); }

// ---------------------------------------------------------------------------
// Bitmap helpers

int BitsPerPixel(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

std::uint64_t RowBytes(std::uint64_t Width, int BitCount) { return ((Width * BitCount + 31) / 32) * 4; }

RGBQUAD Quad(int R, int G, int B) {
  return RGBQUAD{static_cast<BYTE>(B), static_cast<BYTE>(G), static_cast<BYTE>(R), 0};
}

// Colour tables for new paletted bitmaps; each ends with white so that
// WHITENESS clears to white.
std::vector<RGBQUAD> DefaultPalette(TPixelFormat Format) {
  std::vector<RGBQUAD> P;
  if (Format == pf1bit) {
    P = {Quad(0, 0, 0), Quad(255, 255, 255)};
  } else if (Format == pf4bit) {
    P = {Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
         Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(128, 128, 128),
         Quad(192, 192, 192), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
         Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};
  } else if (Format == pf8bit) {
    // A 6x6x6 colour cube, then a grey ramp up to white.
    for (int R = 0; R < 6; ++R)
      for (int G = 0; G < 6; ++G)
        for (int B = 0; B < 6; ++B) P.push_back(Quad(R * 51, G * 51, B * 51));
    for (int I = 1; I <= 40; ++I) P.push_back(Quad(I * 255 / 40, I * 255 / 40, I * 255 / 40));
  }
  return P;
}

// A new bitmap of the format, white. Palette (for 1/4/8 bits) may be empty
// for the default one.
HBITMAP NewBitmap(int Width, int Height, TPixelFormat Format, std::vector<RGBQUAD> Palette = {}) {
  HBITMAP Result;
  if (Format == pfDevice) {
    HDC DC = ScreenDC();
    Result = CreateCompatibleBitmap(DC, Width, Height);
    ReleaseDC(nullptr, DC);
  } else {
    int BitCount = BitsPerPixel(Format);
    if (BitCount <= 8 && Palette.empty()) Palette = DefaultPalette(Format);
    std::vector<Byte> Info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* H = reinterpret_cast<BITMAPINFOHEADER*>(Info.data());
    H->biSize = sizeof(BITMAPINFOHEADER);
    H->biWidth = Width;
    H->biHeight = Height;
    H->biPlanes = 1;
    H->biBitCount = static_cast<WORD>(BitCount);
    H->biCompression = BI_RGB;
    if (BitCount <= 8) {
      H->biClrUsed = static_cast<DWORD>(Palette.size());
      std::memcpy(Info.data() + sizeof(BITMAPINFOHEADER), Palette.data(), Palette.size() * sizeof(RGBQUAD));
    } else if (Format == pf16bit) {
      H->biCompression = BI_BITFIELDS;
      const DWORD Masks[3] = {0xF800, 0x07E0, 0x001F};
      std::memcpy(Info.data() + sizeof(BITMAPINFOHEADER), Masks, sizeof(Masks));
    }
    void* Bits = nullptr;
    Result = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(Info.data()), DIB_RGB_COLORS, &Bits, nullptr, 0);
  }
  CheckHandle(Result);
  TMemoryDC DC(Result);
  PatBlt(DC.Handle(), 0, 0, Width, Height, WHITENESS);
  return Result;
}

// The pixel format of a bitmap handle.
TPixelFormat FormatOf(HBITMAP Handle, int& Width, int& Height) {
  DIBSECTION DS{};
  int Size = GetObjectA(Handle, sizeof(DS), &DS);
  if (Size == 0) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  Width = DS.dsBm.bmWidth;
  Height = DS.dsBm.bmHeight;
  if (Size != sizeof(DIBSECTION)) return pfDevice;
  switch (DS.dsBmih.biBitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      if (DS.dsBmih.biCompression == BI_RGB ||
          (DS.dsBitfields[0] == 0x7C00 && DS.dsBitfields[1] == 0x03E0 && DS.dsBitfields[2] == 0x001F))
        return pf15bit;
      if (DS.dsBitfields[0] == 0xF800 && DS.dsBitfields[1] == 0x07E0 && DS.dsBitfields[2] == 0x001F) return pf16bit;
      return pfCustom;
    case 24: return pf24bit;
    case 32:
      if (DS.dsBmih.biCompression == BI_RGB ||
          (DS.dsBitfields[0] == 0xFF0000 && DS.dsBitfields[1] == 0xFF00 && DS.dsBitfields[2] == 0xFF))
        return pf32bit;
      return pfCustom;
    default: return pfCustom;
  }
}

// One channel of a bit-field pixel, scaled to 0..255.
Byte MaskedChannel(std::uint32_t Pixel, std::uint32_t Mask) {
  if (Mask == 0) return 0;
  int Shift = 0;
  while (((Mask >> Shift) & 1) == 0) ++Shift;
  std::uint64_t Max = Mask >> Shift;
  return static_cast<Byte>(((Pixel & Mask) >> Shift) * 255 / Max);
}

}  // namespace

// ---------------------------------------------------------------------------
// Colours and cursors

Integer ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<Integer>(GetSysColor(Color & 0xFF));
  return Color;
}

bool IdentToColor(const AnsiString& Ident, Integer& Color) { return IdentToValue(Colors, Ident, Color); }
bool ColorToIdent(Integer Color, AnsiString& Ident) { return ValueToIdent(Colors, Color, Ident); }

TColor StringToColor(const AnsiString& S) {
  Integer Value;
  if (IdentToColor(S, Value) || ParseInteger(S, Value)) return Value;
  RaiseNotInteger(S);
}

AnsiString ColorToString(TColor Color) {
  AnsiString Ident;
  if (ColorToIdent(Color, Ident)) return Ident;
  char Buffer[16];
  std::snprintf(Buffer, sizeof(Buffer), "$%.8X", static_cast<unsigned>(Color));
  return Buffer;
}

bool IdentToCursor(const AnsiString& Ident, Integer& Cursor) { return IdentToValue(Cursors, Ident, Cursor); }
bool CursorToIdent(Integer Cursor, AnsiString& Ident) { return ValueToIdent(Cursors, Cursor, Ident); }

TCursor StringToCursor(const AnsiString& S) {
  Integer Value;
  if (IdentToCursor(S, Value) || ParseInteger(S, Value)) return Value;
  RaiseNotInteger(S);
}

AnsiString CursorToString(TCursor Cursor) {
  AnsiString Ident;
  if (CursorToIdent(Cursor, Ident)) return Ident;
  return std::to_string(Cursor);
}

int ScreenPixelsPerInch() {
  static const int Value = [] {
    HDC DC = ScreenDC();
    int PPI = GetDeviceCaps(DC, LOGPIXELSY);
    ReleaseDC(nullptr, DC);
    return PPI > 0 ? PPI : 96;
  }();
  return Value;
}

void InitializeGraphics() {
  RegisterIntegerConsts("TColor", IdentToColor, ColorToIdent);
  RegisterIntegerConsts("TCursor", IdentToCursor, CursorToIdent);
  RegisterClass<TGraphicsObject, TPersistent>();
  RegisterClass<TFont, TGraphicsObject>()
      .Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET, "TFontCharset")
      .Int("Color", &TFont::Color, &TFont::SetColor, clWindowText, "TColor")
      .Int("Height", &TFont::Height, &TFont::SetHeight)
      .Str("Name", &TFont::Name, &TFont::SetName, "TFontName")
      .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, fpDefault, {"fpDefault", "fpVariable", "fpFixed"})
      .Int("Size", &TFont::Size, &TFont::SetSize)
      .Set("Style", &TFont::Style, &TFont::SetStyle, TFontStyles{},
           {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, "TFontStyles");
  RegisterClass<TPen, TGraphicsObject>()
      .Int("Color", &TPen::Color, &TPen::SetColor, clBlack, "TColor")
      .Enum("Mode", &TPen::Mode, &TPen::SetMode, pmCopy,
            {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
             "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"})
      .Enum("Style", &TPen::Style, &TPen::SetStyle, psSolid,
            {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"})
      .Int("Width", &TPen::Width, &TPen::SetWidth, 1);
  RegisterClass<TBrush, TGraphicsObject>()
      .Int("Color", &TBrush::Color, &TBrush::SetColor, clWhite, "TColor")
      .Enum("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid,
            {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross",
             "bsDiagCross"});
}

// ---------------------------------------------------------------------------
// Fonts, pens and brushes

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch()) { FHeight = -MulDiv(8, FPixelsPerInch, 72); }

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

void TFont::Changed() {
  // Users deselect the old font in OnChange; only then may it be deleted.
  TGdiObjectGuard Old(FHandle);
  FHandle = nullptr;
  TGraphicsObject::Changed();
}

void TFont::Assign(TPersistent* Source) {
  auto* F = dynamic_cast<TFont*>(Source);
  if (!F) {
    TPersistent::Assign(Source);
    return;
  }
  FName = F->FName;
  FHeight = FPixelsPerInch == F->FPixelsPerInch ? F->FHeight : -MulDiv(F->Size(), FPixelsPerInch, 72);
  FColor = F->FColor;
  FStyle = F->FStyle;
  FCharset = F->FCharset;
  FPitch = F->FPitch;
  Changed();
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA LF{};
    LF.lfHeight = FHeight;
    LF.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    LF.lfItalic = FStyle.Contains(fsItalic);
    LF.lfUnderline = FStyle.Contains(fsUnderline);
    LF.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    LF.lfCharSet = FCharset;
    LF.lfOutPrecision = OUT_DEFAULT_PRECIS;
    LF.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    LF.lfQuality = DEFAULT_QUALITY;
    LF.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    lstrcpynA(LF.lfFaceName, FName.c_str(), LF_FACESIZE);
    FHandle = static_cast<HFONT>(CheckHandle(CreateFontIndirectA(&LF)));
  }
  return FHandle;
}

void TFont::SetName(const TFontName& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }
void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
}

void TPen::Changed() {
  TGdiObjectGuard Old(FHandle);
  FHandle = nullptr;
  TGraphicsObject::Changed();
}

void TPen::Assign(TPersistent* Source) {
  auto* P = dynamic_cast<TPen*>(Source);
  if (!P) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = P->FColor;
  FWidth = P->FWidth;
  FStyle = P->FStyle;
  FMode = P->FMode;
  Changed();
}

HPEN TPen::Handle() {
  // The style values are the PS_ codes.
  if (!FHandle) FHandle = static_cast<HPEN>(CheckHandle(CreatePen(FStyle, FWidth, ColorToRGB(FColor))));
  return FHandle;
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

TBrush::~TBrush() {
  if (FHandle) DeleteObject(FHandle);
}

void TBrush::Changed() {
  TGdiObjectGuard Old(FHandle);
  FHandle = nullptr;
  TGraphicsObject::Changed();
}

void TBrush::Assign(TPersistent* Source) {
  auto* B = dynamic_cast<TBrush*>(Source);
  if (!B) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = B->FColor;
  FStyle = B->FStyle;
  FBitmap = B->FBitmap;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    HBRUSH H;
    if (FBitmap && !FBitmap->Empty()) {
      H = CreatePatternBrush(FBitmap->Handle());
    } else {
      LOGBRUSH LB{};
      LB.lbColor = ColorToRGB(FColor);
      if (FStyle == bsSolid) {
        LB.lbStyle = BS_SOLID;
      } else if (FStyle == bsClear) {
        LB.lbStyle = BS_HOLLOW;
      } else {
        LB.lbStyle = BS_HATCHED;
        LB.lbHatch = static_cast<ULONG_PTR>(HS_HORIZONTAL + (FStyle - bsHorizontal));
      }
      H = CreateBrushIndirect(&LB);
    }
    FHandle = static_cast<HBRUSH>(CheckHandle(H));
  }
  return FHandle;
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  // A colour makes a clear brush solid again.
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  if (Value == FBitmap) return;
  FBitmap = Value;
  Changed();
}

// ---------------------------------------------------------------------------
// The canvas

namespace {
int PenModeCode(TPenMode Mode) {
  static const int Codes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,         R2_COPYPEN,  R2_NOTCOPYPEN,
                              R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN, R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return Codes[Mode];
}
}  // namespace

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  FFont->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  FPen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  FBrush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
  InitializeCriticalSection(&FLock);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  DeleteCriticalSection(&FLock);
}

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (FHandle == Value) return;
  if (FHandle) {
    DeselectHandles();
    FHandle = nullptr;
    FState >> csHandleValid;
  }
  if (Value) {
    FState << csHandleValid;
    FHandle = Value;
  }
}

void TCanvas::DeselectHandles() {
  if (FState.Contains(csFontValid)) SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  if (FState.Contains(csPenValid)) SelectObject(FHandle, GetStockObject(BLACK_PEN));
  if (FState.Contains(csBrushValid)) SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  FState = FState - TCanvasState{csFontValid, csPenValid, csBrushValid};
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  TCanvasState Need = ReqState - FState;
  if (Need.Empty()) return;
  if (Need.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation(LoadStr(SNoCanvas));
  }
  if (Need.Contains(csFontValid)) {
    SelectObject(FHandle, FFont->Handle());
    SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  }
  if (Need.Contains(csPenValid)) {
    SelectObject(FHandle, FPen->Handle());
    SetROP2(FHandle, PenModeCode(FPen->Mode()));
  }
  if (Need.Contains(csBrushValid)) {
    HBRUSH B = FBrush->Handle();
    UnrealizeObject(B);
    SelectObject(FHandle, B);
    if (FBrush->Style() == bsSolid) {
      SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
      SetBkMode(FHandle, OPAQUE);
    } else {
      SetBkColor(FHandle, ~static_cast<COLORREF>(ColorToRGB(FBrush->Color())) & 0xFFFFFF);
      SetBkMode(FHandle, TRANSPARENT);
    }
  }
  FState = FState + Need;
}

void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(csFontValid)) {
    FState >> csFontValid;
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(csPenValid)) {
    FState >> csPenValid;
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(csBrushValid)) {
    FState >> csBrushValid;
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  TPoint P{};
  GetCurrentPositionEx(FHandle, &P);
  return P;
}

TCanvasOrientation TCanvas::CanvasOrientation() {
  RequiredState({csHandleValid});
  return (GetLayout(FHandle) & LAYOUT_RTL) ? coRightToLeft : coLeftToRight;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect R{};
  GetClipBox(FHandle, &R);
  return R;
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, &R, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, &R, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, &R);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  if (CanvasOrientation() == coRightToLeft) X += TextWidth(Text) + 1;
  ExtTextOutA(FHandle, X, Y, FTextFlags, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const WideString& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  if (CanvasOrientation() == coRightToLeft) X += TextWidth(Text) + 1;
  ExtTextOutW(FHandle, X, Y, FTextFlags, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT Options = ETO_CLIPPED | FTextFlags;
  if (FBrush->Style() != bsClear) Options |= ETO_OPAQUE;
  if ((FTextFlags & ETO_RTLREADING) && CanvasOrientation() == coRightToLeft) X += TextWidth(Text) + 1;
  ExtTextOutA(FHandle, X, Y, Options, &R, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const WideString& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT Options = ETO_CLIPPED | FTextFlags;
  if (FBrush->Style() != bsClear) Options |= ETO_OPAQUE;
  if ((FTextFlags & ETO_RTLREADING) && CanvasOrientation() == coRightToLeft) X += TextWidth(Text) + 1;
  ExtTextOutW(FHandle, X, Y, Options, &R, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const AnsiString& Text) {
  RequiredState({csHandleValid, csFontValid});
  TSize S{};
  GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &S);
  return S;
}

TSize TCanvas::TextExtent(const WideString& Text) {
  RequiredState({csHandleValid, csFontValid});
  TSize S{};
  GetTextExtentPoint32W(FHandle, Text.data(), static_cast<int>(Text.size()), &S);
  return S;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  // Monochrome sources take these two colours.
  SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top, Canvas->FHandle,
             Source.left, Source.top, Source.right - Source.left, Source.bottom - Source.top, FCopyMode);
  Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(FHandle, X, Y, ColorToRGB(Color));
  Changed();
}

void TCanvas::Lock() {
  EnterCriticalSection(&FLock);
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  LeaveCriticalSection(&FLock);
}

// ---------------------------------------------------------------------------
// Graphics

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed(this);
  else FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg) {
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::LoadFromFile(const AnsiString& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TGraphic::LoadFromClipboardFormat(Word, HANDLE, HPALETTE) {
  throw EInvalidGraphic(LoadStr(SUnknownClipboardFormat));
}

void TGraphic::SaveToClipboardFormat(Word&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphic(LoadStr(SUnknownClipboardFormat));
}

void TSharedImage::Release() {
  if (--FRefCount == 0) delete this;
}

void TGraphic::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); }, !Empty());
}

// ---------------------------------------------------------------------------
// TBitmap

// The canvas of a bitmap: a memory DC, made on first use, holding the bitmap.
class TBitmap::TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  // Lets go of the bitmap (before it is replaced, read with GetDIBits or
  // selected elsewhere); the next drawing call makes a new DC.
  void FreeContext() {
    if (!HandleAllocated()) return;
    HDC DC = Handle();
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(DC, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(DC);
  }

protected:
  void CreateHandle() override {
    HDC DC = CreateCompatibleDC(nullptr);
    if (!DC) throw EOutOfResources(LoadStr(SOutOfResources));
    if (FBitmap->FHandle) FOldBitmap = SelectObject(DC, FBitmap->FHandle);
    SetHandle(DC);
  }

private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

// A DC holding a bitmap for reading: the bitmap's own canvas DC when it has
// one (a bitmap can be selected into one DC only), else a temporary one.
class TBitmapDC {
public:
  explicit TBitmapDC(TBitmap* Bitmap) {
    if (Bitmap->FCanvas && Bitmap->FCanvas->HandleAllocated()) FDC = Bitmap->FCanvas->Handle();
    else FTemp = std::make_unique<TMemoryDC>(Bitmap->FHandle);
  }
  HDC Handle() const { return FTemp ? FTemp->Handle() : FDC; }

private:
  HDC FDC = nullptr;
  std::unique_ptr<TMemoryDC> FTemp;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::ReplaceHandle(HBITMAP Value, int AWidth, int AHeight, TPixelFormat Format) {
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
  if (FHandle && FHandle != Value) DeleteObject(FHandle);
  FHandle = Value;
  FWidth = AWidth;
  FHeight = AHeight;
  FPixelFormat = Format;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas.reset(new TBitmapCanvas(this));
    FCanvas->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
  }
  return FCanvas.get();
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    ReplaceHandle(nullptr, 0, 0, FPixelFormat);
    Changed(this);
    return;
  }
  if (auto* B = dynamic_cast<TBitmap*>(Source)) {
    if (B == this) return;
    TPixelFormat Format = B->FPixelFormat == pfCustom ? pf32bit : B->FPixelFormat;
    HBITMAP Copy = nullptr;
    if (B->FHandle) {
      TBitmapDC Src(B);
      std::vector<RGBQUAD> Palette;
      if (Format >= pf1bit && Format <= pf8bit) {
        Palette.resize(256);
        Palette.resize(GetDIBColorTable(Src.Handle(), 0, 256, Palette.data()));
      }
      Copy = NewBitmap(B->FWidth, B->FHeight, Format, Palette);
      TMemoryDC Dst(Copy);
      BitBlt(Dst.Handle(), 0, 0, B->FWidth, B->FHeight, Src.Handle(), 0, 0, SRCCOPY);
    }
    ReplaceHandle(Copy, B->FWidth, B->FHeight, Format);
    FTransparentMode = B->FTransparentMode;
    FTransparentColor = B->FTransparentColor;
    FXPelsPerMeter = B->FXPelsPerMeter;
    FYPelsPerMeter = B->FYPelsPerMeter;
    SetTransparent(B->Transparent());
    Changed(this);
    return;
  }
  if (auto* G = dynamic_cast<TGraphic*>(Source)) {
    // Any other picture is drawn onto white.
    ReplaceHandle(G->Empty() ? nullptr : NewBitmap(G->Width(), G->Height(), pf24bit), G->Width(), G->Height(), pf24bit);
    if (FHandle) G->Draw(Canvas(), Rect(0, 0, FWidth, FHeight));
    Changed(this);
    return;
  }
  TPersistent::Assign(Source);
}

void TBitmap::Draw(TCanvas* Canvas, const TRect& R) {
  if (Empty()) return;
  HDC Dst = Canvas->Handle();
  HDC Src = this->Canvas()->Handle();
  int W = R.right - R.left, H = R.bottom - R.top;
  if (Transparent()) {
    TransparentBlt(Dst, R.left, R.top, W, H, Src, 0, 0, FWidth, FHeight,
                   static_cast<UINT>(ColorToRGB(TransparentColor())));
    return;
  }
  int OldMode = SetStretchBltMode(Dst, COLORONCOLOR);
  StretchBlt(Dst, R.left, R.top, W, H, Src, 0, 0, FWidth, FHeight, Canvas->CopyMode());
  SetStretchBltMode(Dst, OldMode);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  HBITMAP New = nullptr;
  if (AWidth > 0 && AHeight > 0) {
    std::vector<RGBQUAD> Palette;
    TPixelFormat Format = FPixelFormat == pfCustom ? pf32bit : FPixelFormat;
    if (FHandle && Format >= pf1bit && Format <= pf8bit) {
      TBitmapDC Src(this);
      Palette.resize(256);
      Palette.resize(GetDIBColorTable(Src.Handle(), 0, 256, Palette.data()));
    }
    New = NewBitmap(AWidth, AHeight, Format, Palette);
    if (FHandle) {
      TBitmapDC Src(this);
      TMemoryDC Dst(New);
      BitBlt(Dst.Handle(), 0, 0, std::min(AWidth, FWidth), std::min(AHeight, FHeight), Src.Handle(), 0, 0, SRCCOPY);
    }
    ReplaceHandle(New, AWidth, AHeight, Format);
  } else {
    ReplaceHandle(nullptr, AWidth, AHeight, FPixelFormat == pfCustom ? pf32bit : FPixelFormat);
  }
  Changed(this);
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  int W = 0, H = 0;
  TPixelFormat Format = Value ? FormatOf(Value, W, H) : FPixelFormat;
  ReplaceHandle(Value, W, std::abs(H), Format);
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  HBITMAP Result = FHandle;
  FHandle = nullptr;
  ReplaceHandle(nullptr, 0, 0, FPixelFormat);
  Changed(this);
  return Result;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat) return;
  if (Value == pfCustom) throw EInvalidGraphicOperation(LoadStr(SInvalidPixelFormat));
  HBITMAP New = nullptr;
  if (FHandle) {
    New = NewBitmap(FWidth, FHeight, Value);
    TBitmapDC Src(this);
    TMemoryDC Dst(New);
    BitBlt(Dst.Handle(), 0, 0, FWidth, FHeight, Src.Handle(), 0, 0, SRCCOPY);
  }
  ReplaceHandle(New, FWidth, FHeight, Value);
  Changed(this);
}

void* TBitmap::ScanLine(int Row) {
  if (Row < 0 || Row >= FHeight || !FHandle) throw EInvalidGraphicOperation(LoadStr(SScanLineIndex));
  DIBSECTION DS{};
  if (GetObjectA(FHandle, sizeof(DS), &DS) != sizeof(DS) || !DS.dsBm.bmBits)
    throw EInvalidGraphicOperation(LoadStr(SScanLineNeedsDIB));
  GdiFlush();
  std::uint64_t Stride = RowBytes(DS.dsBm.bmWidth, DS.dsBm.bmBitsPixel);
  int Index = DS.dsBmih.biHeight > 0 ? FHeight - 1 - Row : Row;
  return static_cast<Byte*>(DS.dsBm.bmBits) + Stride * Index;
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  FTransparentColor = Value;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  SetTransparentColor(Value == tmAuto ? clDefault : TransparentColor());
}

// Reads a device-independent bitmap (info header, masks, colour table, bits)
// from Stream. BitsOffset is where the bits start counted from the info
// header (0: right after the colour table, as in a resource).
static HBITMAP ReadDIB(TStream* Stream, std::uint32_t BitsOffset, int& Width, int& Height, TPixelFormat& Format,
                       LONG& XPels, LONG& YPels) {
  Byte Header[124] = {};
  ReadExact(Stream, Header, 4, SInvalidBitmap);
  std::uint32_t HeaderSize = GetU32(Header);
  if (HeaderSize != 40 && HeaderSize != 52 && HeaderSize != 56 && HeaderSize != 108 && HeaderSize != 124)
    throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  ReadExact(Stream, Header + 4, HeaderSize - 4, SInvalidBitmap);
  std::int32_t W = GetI32(Header + 4), H = GetI32(Header + 8);
  int BitCount = GetU16(Header + 14);
  std::uint32_t Compression = GetU32(Header + 16);
  std::uint32_t ClrUsed = GetU32(Header + 32);
  if (GetU16(Header + 12) != 1 || W <= 0 || H == 0 || H == std::numeric_limits<std::int32_t>::min())
    throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 16 && BitCount != 24 && BitCount != 32)
    throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  if (Compression != BI_RGB && !(Compression == BI_BITFIELDS && (BitCount == 16 || BitCount == 32)))
    throw EInvalidGraphic(LoadStr(SInvalidBitmap));

  std::uint32_t Consumed = HeaderSize;
  std::uint32_t Masks[4] = {0, 0, 0, 0};
  if (Compression == BI_BITFIELDS) {
    if (HeaderSize == 40) {
      Byte M[12];
      ReadExact(Stream, M, sizeof(M), SInvalidBitmap);
      Consumed += sizeof(M);
      for (int I = 0; I < 3; ++I) Masks[I] = GetU32(M + 4 * I);
    } else {
      for (int I = 0; I < 3; ++I) Masks[I] = GetU32(Header + 40 + 4 * I);
      if (HeaderSize >= 56) Masks[3] = GetU32(Header + 52);
    }
  }

  std::vector<RGBQUAD> Palette;
  if (BitCount <= 8) {
    std::uint32_t Count = ClrUsed ? ClrUsed : (1u << BitCount);
    if (Count > (1u << BitCount)) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
    Palette.resize(Count);
    ReadExact(Stream, Palette.data(), Count * sizeof(RGBQUAD), SInvalidBitmap);
    for (RGBQUAD& Q : Palette) Q.rgbReserved = 0;
    Consumed += Count * sizeof(RGBQUAD);
  } else if (BitsOffset == 0) {
    // A packed bitmap may carry a colour table it does not need.
    if (ClrUsed > 256) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
    BitsOffset = Consumed + ClrUsed * sizeof(RGBQUAD);
  }
  if (BitsOffset != 0) {
    if (BitsOffset < Consumed) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
    if (BitsOffset > Consumed) {
      if (Remaining(Stream) < BitsOffset - Consumed) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
      Stream->Seek(BitsOffset - Consumed, soCurrent);
    }
  }

  bool TopDown = H < 0;
  std::uint32_t Rows = static_cast<std::uint32_t>(TopDown ? -H : H);
  std::uint64_t Stride = RowBytes(static_cast<std::uint32_t>(W), BitCount);
  std::uint64_t ImageSize = Stride * Rows;
  if (ImageSize > 0x10000000 || static_cast<std::uint64_t>(Remaining(Stream)) < ImageSize)
    throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  std::vector<Byte> Bits(static_cast<std::size_t>(ImageSize));
  ReadExact(Stream, Bits.data(), Bits.size(), SInvalidBitmap);

  // Choose the bitmap to build; bit fields other than the usual ones are
  // unpacked into 32 bits.
  bool Unpack = false;
  if (BitCount <= 8) Format = BitCount == 1 ? pf1bit : BitCount == 4 ? pf4bit : pf8bit;
  else if (BitCount == 24) Format = pf24bit;
  else if (BitCount == 16) {
    if (Compression == BI_RGB || (Masks[0] == 0x7C00 && Masks[1] == 0x03E0 && Masks[2] == 0x001F)) Format = pf15bit;
    else if (Masks[0] == 0xF800 && Masks[1] == 0x07E0 && Masks[2] == 0x001F) Format = pf16bit;
    else Unpack = true;
  } else {
    if (Compression == BI_RGB || (Masks[0] == 0xFF0000 && Masks[1] == 0xFF00 && Masks[2] == 0xFF)) Format = pf32bit;
    else Unpack = true;
  }
  if (Unpack) Format = pf32bit;
  int Rows32 = static_cast<int>(Rows);
  HBITMAP Result = NewBitmap(W, Rows32, Format, Palette);
  DIBSECTION DS{};
  GetObjectA(Result, sizeof(DS), &DS);
  GdiFlush();
  auto* Dst = static_cast<Byte*>(DS.dsBm.bmBits);
  std::uint64_t DstStride = RowBytes(static_cast<std::uint32_t>(W), BitsPerPixel(Format));
  for (std::uint32_t Y = 0; Y < Rows; ++Y) {
    // The section is bottom-up: memory row 0 is the last picture row.
    const Byte* SrcRow = Bits.data() + Stride * (TopDown ? Rows - 1 - Y : Y);
    Byte* DstRow = Dst + DstStride * Y;
    if (!Unpack) {
      std::memcpy(DstRow, SrcRow, static_cast<std::size_t>(Stride));
      continue;
    }
    for (std::int32_t X = 0; X < W; ++X) {
      std::uint32_t Pixel = BitCount == 16 ? GetU16(SrcRow + 2 * X) : GetU32(SrcRow + 4 * X);
      Byte* P = DstRow + 4 * X;
      P[0] = MaskedChannel(Pixel, Masks[2]);
      P[1] = MaskedChannel(Pixel, Masks[1]);
      P[2] = MaskedChannel(Pixel, Masks[0]);
      P[3] = MaskedChannel(Pixel, Masks[3]);
    }
  }
  Width = W;
  Height = Rows32;
  XPels = GetI32(Header + 24);
  YPels = GetI32(Header + 28);
  return Result;
}

void TBitmap::LoadFromStream(TStream* Stream) {
  Byte FileHeader[14];
  ReadExact(Stream, FileHeader, sizeof(FileHeader), SInvalidBitmap);
  if (FileHeader[0] != 'B' || FileHeader[1] != 'M') throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  std::uint32_t OffBits = GetU32(FileHeader + 10);
  if (OffBits != 0 && OffBits < sizeof(FileHeader)) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  int W, H;
  TPixelFormat Format;
  LONG XPels, YPels;
  HBITMAP New = ReadDIB(Stream, OffBits ? OffBits - sizeof(FileHeader) : 0, W, H, Format, XPels, YPels);
  ReplaceHandle(New, W, H, Format);
  FXPelsPerMeter = XPels;
  FYPelsPerMeter = YPels;
  Changed(this);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName) {
  TResourceStream Stream(Instance, ResName, MAKEINTRESOURCEA(2));
  int W, H;
  TPixelFormat Format;
  LONG XPels, YPels;
  HBITMAP New = ReadDIB(&Stream, 0, W, H, Format, XPels, YPels);
  ReplaceHandle(New, W, H, Format);
  FXPelsPerMeter = XPels;
  FYPelsPerMeter = YPels;
  Changed(this);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  int BitCount = 24;
  DWORD Compression = BI_RGB;
  std::vector<DWORD> Masks;
  std::vector<RGBQUAD> Palette;
  std::vector<Byte> Bits;
  DIBSECTION DS{};
  if (GetObjectA(FHandle, sizeof(DS), &DS) == sizeof(DS) && DS.dsBm.bmBits) {
    BitCount = DS.dsBmih.biBitCount;
    if (DS.dsBmih.biCompression == BI_BITFIELDS) {
      Compression = BI_BITFIELDS;
      Masks.assign(DS.dsBitfields, DS.dsBitfields + 3);
    }
    if (BitCount <= 8) {
      TBitmapDC DC(this);
      Palette.resize(256);
      Palette.resize(GetDIBColorTable(DC.Handle(), 0, 256, Palette.data()));
    }
    GdiFlush();
    std::size_t Stride = static_cast<std::size_t>(RowBytes(FWidth, BitCount));
    const Byte* Src = static_cast<const Byte*>(DS.dsBm.bmBits);
    Bits.resize(Stride * FHeight);
    for (int Y = 0; Y < FHeight; ++Y) {
      int SrcRow = DS.dsBmih.biHeight > 0 ? Y : FHeight - 1 - Y;
      std::memcpy(Bits.data() + Stride * Y, Src + Stride * SrcRow, Stride);
    }
  } else {
    // A device bitmap is saved in 24 bits; GetDIBits wants it unselected.
    if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = FWidth;
    Info.bmiHeader.biHeight = FHeight;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 24;
    Info.bmiHeader.biCompression = BI_RGB;
    Bits.resize(static_cast<std::size_t>(RowBytes(FWidth, 24) * FHeight));
    HDC DC = ScreenDC();
    int Got = GetDIBits(DC, FHandle, 0, FHeight, Bits.data(), &Info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, DC);
    if (Got != FHeight) throw EInvalidGraphicOperation(LoadStr(SBitmapPixelsError));
  }
  std::uint32_t InfoSize = 40 + static_cast<std::uint32_t>(Masks.size() * 4 + Palette.size() * 4);
  std::vector<Byte> Out;
  Out.reserve(14 + InfoSize);
  Out.push_back('B');
  Out.push_back('M');
  PutU32(Out, static_cast<std::uint32_t>(14 + InfoSize + Bits.size()));
  PutU32(Out, 0);
  PutU32(Out, 14 + InfoSize);
  PutU32(Out, 40);
  PutU32(Out, static_cast<std::uint32_t>(FWidth));
  PutU32(Out, static_cast<std::uint32_t>(FHeight));
  PutU16(Out, 1);
  PutU16(Out, static_cast<std::uint32_t>(BitCount));
  PutU32(Out, Compression);
  PutU32(Out, static_cast<std::uint32_t>(Bits.size()));
  PutU32(Out, static_cast<std::uint32_t>(FXPelsPerMeter));
  PutU32(Out, static_cast<std::uint32_t>(FYPelsPerMeter));
  PutU32(Out, static_cast<std::uint32_t>(Palette.size()));
  PutU32(Out, 0);
  for (DWORD M : Masks) PutU32(Out, M);
  for (const RGBQUAD& Q : Palette) {
    Out.push_back(Q.rgbBlue);
    Out.push_back(Q.rgbGreen);
    Out.push_back(Q.rgbRed);
    Out.push_back(0);
  }
  WriteBytes(Stream, Out);
  WriteBytes(Stream, Bits);
}

void TBitmap::ReadData(TStream* Stream) {
  Byte SizeBytes[4];
  ReadExact(Stream, SizeBytes, sizeof(SizeBytes), SInvalidBitmap);
  std::uint32_t Size = GetU32(SizeBytes);
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  if (Size > static_cast<std::uint64_t>(Remaining(Stream))) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  TMemoryStream Data;
  Data.CopyFrom(Stream, Size);
  Data.SetPosition(0);
  LoadFromStream(&Data);
}

void TBitmap::WriteData(TStream* Stream) {
  TMemoryStream Data;
  SaveToStream(&Data);
  std::vector<Byte> SizeBytes;
  PutU32(SizeBytes, static_cast<std::uint32_t>(Data.Size()));
  WriteBytes(Stream, SizeBytes);
  Data.SaveToStream(Stream);
}

// ---------------------------------------------------------------------------
// TIcon

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::Reset(HICON Value, std::vector<Byte> Data) {
  if (FHandle && FHandle != Value) DestroyIcon(FHandle);
  FHandle = Value;
  FData = std::move(Data);
  FWidth = FHeight = 0;
  ICONINFO Info{};
  if (FHandle && GetIconInfo(FHandle, &Info)) {
    BITMAP BM{};
    if (Info.hbmColor && GetObjectA(Info.hbmColor, sizeof(BM), &BM)) {
      FWidth = BM.bmWidth;
      FHeight = BM.bmHeight;
    } else if (GetObjectA(Info.hbmMask, sizeof(BM), &BM)) {
      // A monochrome icon's mask holds the AND and the XOR image.
      FWidth = BM.bmWidth;
      FHeight = BM.bmHeight / 2;
    }
    if (Info.hbmColor) DeleteObject(Info.hbmColor);
    if (Info.hbmMask) DeleteObject(Info.hbmMask);
  }
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    Reset(nullptr, {});
    Changed(this);
    return;
  }
  if (auto* I = dynamic_cast<TIcon*>(Source)) {
    if (I == this) return;
    if (!I->FData.empty()) {
      TMemoryStream Data;
      Data.WriteBuffer(I->FData.data(), static_cast<int>(I->FData.size()));
      Data.SetPosition(0);
      LoadFromStream(&Data);
      return;
    }
    Reset(I->FHandle ? static_cast<HICON>(CheckHandle(CopyIcon(I->FHandle))) : nullptr, {});
    Changed(this);
    return;
  }
  TPersistent::Assign(Source);
}

void TIcon::Draw(TCanvas* Canvas, const TRect& R) {
  if (!FHandle) return;
  DrawIconEx(Canvas->Handle(), R.left, R.top, FHandle, R.right - R.left, R.bottom - R.top, 0, nullptr, DI_NORMAL);
}

void TIcon::SetWidth(int Value) {
  if (Value != FWidth) throw EInvalidGraphicOperation(LoadStr(SIconSizeFixed));
}

void TIcon::SetHeight(int Value) {
  if (Value != FHeight) throw EInvalidGraphicOperation(LoadStr(SIconSizeFixed));
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  Reset(Value, {});
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON Result = FHandle;
  FHandle = nullptr;
  Reset(nullptr, {});
  Changed(this);
  return Result;
}

void TIcon::LoadFromStream(TStream* Stream) {
  // ICONDIR (reserved 0, type 1, count), count 16-byte entries, then images.
  std::vector<Byte> Data(6);
  ReadExact(Stream, Data.data(), 6, SInvalidIcon);
  int Count = GetU16(Data.data() + 4);
  if (GetU16(Data.data()) != 0 || GetU16(Data.data() + 2) != 1 || Count == 0) throw EInvalidGraphic(LoadStr(SInvalidIcon));
  std::size_t DirSize = 6 + 16 * static_cast<std::size_t>(Count);
  Data.resize(DirSize);
  ReadExact(Stream, Data.data() + 6, DirSize - 6, SInvalidIcon);
  std::uint64_t End = DirSize;
  for (int I = 0; I < Count; ++I) {
    const Byte* E = Data.data() + 6 + 16 * I;
    std::uint64_t Size = GetU32(E + 8), Offset = GetU32(E + 12);
    if (Size == 0 || Offset < DirSize) throw EInvalidGraphic(LoadStr(SInvalidIcon));
    End = std::max(End, Offset + Size);
  }
  if (End > 0x4000000 || End - DirSize > static_cast<std::uint64_t>(Remaining(Stream)))
    throw EInvalidGraphic(LoadStr(SInvalidIcon));
  Data.resize(static_cast<std::size_t>(End));
  ReadExact(Stream, Data.data() + DirSize, Data.size() - DirSize, SInvalidIcon);

  // The image nearest the system icon size, the deepest of those.
  int Wanted = GetSystemMetrics(SM_CXICON);
  int Best = -1, BestDistance = 0, BestBits = 0;
  for (int I = 0; I < Count; ++I) {
    const Byte* E = Data.data() + 6 + 16 * I;
    int W = E[0] ? E[0] : 256;
    int Bits = GetU16(E + 6);
    std::uint32_t Offset = GetU32(E + 12);
    if (Bits == 0 && GetU32(E + 8) >= 40 && GetU32(Data.data() + Offset) == 40) Bits = GetU16(Data.data() + Offset + 14);
    int Distance = std::abs(W - Wanted);
    if (Best < 0 || Distance < BestDistance || (Distance == BestDistance && Bits > BestBits)) {
      Best = I;
      BestDistance = Distance;
      BestBits = Bits;
    }
  }
  const Byte* E = Data.data() + 6 + 16 * Best;
  int W = E[0] ? E[0] : 256, H = E[1] ? E[1] : 256;
  HICON Icon = CreateIconFromResourceEx(Data.data() + GetU32(E + 12), GetU32(E + 8), TRUE, 0x00030000, W, H,
                                        LR_DEFAULTCOLOR);
  if (!Icon) throw EInvalidGraphic(LoadStr(SInvalidIcon));
  Reset(Icon, std::move(Data));
  Changed(this);
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!FData.empty()) {
    WriteBytes(Stream, FData);
    return;
  }
  if (!FHandle) return;
  // An icon made from a handle: one image of its colour bits (32 bits) or,
  // for a monochrome icon, its two-part mask in 1 bit, then the AND mask.
  ICONINFO Info{};
  if (!GetIconInfo(FHandle, &Info)) throw EInvalidGraphicOperation(LoadStr(SIconImageError));
  TGdiObjectGuard ColorGuard(Info.hbmColor), MaskGuard(Info.hbmMask);
  bool Mono = Info.hbmColor == nullptr;
  std::vector<Byte> Header(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
  auto* BI = reinterpret_cast<BITMAPINFO*>(Header.data());
  auto Fetch = [&](HBITMAP Bitmap, int BitCount, int Rows) {
    std::vector<Byte> Bits(static_cast<std::size_t>(RowBytes(FWidth, BitCount) * Rows));
    std::memset(Header.data(), 0, Header.size());
    BI->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    BI->bmiHeader.biWidth = FWidth;
    BI->bmiHeader.biHeight = Rows;
    BI->bmiHeader.biPlanes = 1;
    BI->bmiHeader.biBitCount = static_cast<WORD>(BitCount);
    BI->bmiHeader.biCompression = BI_RGB;
    HDC DC = ScreenDC();
    int Got = GetDIBits(DC, Bitmap, 0, Rows, Bits.data(), BI, DIB_RGB_COLORS);
    ReleaseDC(nullptr, DC);
    if (Got != Rows) throw EInvalidGraphicOperation(LoadStr(SIconImageError));
    return Bits;
  };
  std::vector<Byte> XorBits, AndBits;
  if (Mono) {
    XorBits = Fetch(Info.hbmMask, 1, 2 * FHeight);
  } else {
    XorBits = Fetch(Info.hbmColor, 32, FHeight);
    AndBits = Fetch(Info.hbmMask, 1, FHeight);
  }
  int BitCount = Mono ? 1 : 32;
  std::uint32_t PaletteSize = Mono ? 8 : 0;
  std::uint32_t ImageSize = 40 + PaletteSize + static_cast<std::uint32_t>(XorBits.size() + AndBits.size());
  std::vector<Byte> Out;
  PutU16(Out, 0);
  PutU16(Out, 1);
  PutU16(Out, 1);
  Out.push_back(static_cast<Byte>(FWidth < 256 ? FWidth : 0));
  Out.push_back(static_cast<Byte>(FHeight < 256 ? FHeight : 0));
  Out.push_back(Mono ? 2 : 0);
  Out.push_back(0);
  PutU16(Out, 1);
  PutU16(Out, static_cast<std::uint32_t>(BitCount));
  PutU32(Out, ImageSize);
  PutU32(Out, 22);
  PutU32(Out, 40);
  PutU32(Out, static_cast<std::uint32_t>(FWidth));
  PutU32(Out, static_cast<std::uint32_t>(2 * FHeight));
  PutU16(Out, 1);
  PutU16(Out, static_cast<std::uint32_t>(BitCount));
  PutU32(Out, BI_RGB);
  PutU32(Out, static_cast<std::uint32_t>(XorBits.size() + AndBits.size()));
  PutU32(Out, 0);
  PutU32(Out, 0);
  PutU32(Out, 0);
  PutU32(Out, 0);
  if (Mono) {
    PutU32(Out, 0x000000);
    PutU32(Out, 0xFFFFFF);
  }
  Out.insert(Out.end(), XorBits.begin(), XorBits.end());
  Out.insert(Out.end(), AndBits.begin(), AndBits.end());
  WriteBytes(Stream, Out);
}

// ---------------------------------------------------------------------------
// TMetafile

namespace {
constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::size_t PlaceableSize = 22;
constexpr std::size_t MetaHeaderSize = 18;
// Far beyond any picture of a page, and well inside what GDI takes.
constexpr std::uint64_t MaxMetafileBytes = 64u << 20;

std::int16_t GetI16(const Byte* P) { return static_cast<std::int16_t>(GetU16(P)); }

// The enhanced metafile the system makes of Bits; a placeable header's box
// gives its size in HIMETRIC units.
HENHMETAFILE MakeEnhanced(const std::vector<Byte>& Bits, int Inch, const TRect& Box) {
  METAFILEPICT Pict{};
  if (Inch > 0) {
    Pict.mm = MM_ANISOTROPIC;
    Pict.xExt = MulDiv(std::abs(Box.right - Box.left), 2540, Inch);
    Pict.yExt = MulDiv(std::abs(Box.bottom - Box.top), 2540, Inch);
  }
  HENHMETAFILE Handle = SetWinMetaFileBits(static_cast<UINT>(Bits.size()), Bits.data(), nullptr,
                                           Inch > 0 ? &Pict : nullptr);
  if (!Handle) throw EInvalidGraphic(LoadStr(SInvalidMetafile));
  return Handle;
}
}  // namespace

TMetafile::TMetafile() = default;

TMetafile::~TMetafile() {
  if (FHandle) DeleteEnhMetaFile(FHandle);
}

void TMetafile::Reset(HENHMETAFILE Handle, std::vector<Byte> Bits, int Inch, const TRect& Box, int AWidth,
                      int AHeight) {
  if (FHandle) DeleteEnhMetaFile(FHandle);
  FHandle = Handle;
  FBits = std::move(Bits);
  FInch = Inch;
  FBox = Box;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed(this);
}

void TMetafile::Assign(TPersistent* Source) {
  if (!Source) {
    Reset(nullptr, {}, 0, TRect{}, 0, 0);
    return;
  }
  if (auto* M = dynamic_cast<TMetafile*>(Source)) {
    if (M == this) return;
    HENHMETAFILE Handle = M->FBits.empty() ? nullptr : MakeEnhanced(M->FBits, M->FInch, M->FBox);
    Reset(Handle, M->FBits, M->FInch, M->FBox, M->FWidth, M->FHeight);
    return;
  }
  TPersistent::Assign(Source);
}

void TMetafile::Draw(TCanvas* Canvas, const TRect& R) {
  if (!FHandle) return;
  PlayEnhMetaFile(Canvas->Handle(), FHandle, &R);
}

void TMetafile::Resize(int AWidth, int AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  if (FBits.empty() || AWidth <= 0 || AHeight <= 0) throw EInvalidGraphicOperation(LoadStr(SInvalidImageSize));
  // The size lives in the placeable header: a plain metafile gets one.
  const int Inch = FInch > 0 ? FInch : 1440;
  const int Ppi = ScreenPixelsPerInch();
  const int BoxW = MulDiv(AWidth, Inch, Ppi), BoxH = MulDiv(AHeight, Inch, Ppi);
  if (BoxW <= 0 || BoxH <= 0 || FBox.left + BoxW > 32767 || FBox.top + BoxH > 32767)
    throw EInvalidGraphicOperation(LoadStr(SInvalidImageSize));
  const TRect Box = Rect(FBox.left, FBox.top, FBox.left + BoxW, FBox.top + BoxH);
  Reset(MakeEnhanced(FBits, Inch, Box), FBits, Inch, Box, AWidth, AHeight);
}

void TMetafile::SetWidth(int Value) { Resize(Value, FHeight); }

void TMetafile::SetHeight(int Value) { Resize(FWidth, Value); }

void TMetafile::LoadFromStream(TStream* Stream) {
  Byte Head[PlaceableSize];
  ReadExact(Stream, Head, 4, SInvalidMetafile);
  int Inch = 0;
  TRect Box{};
  std::vector<Byte> Bits(MetaHeaderSize);
  if (GetU32(Head) == PlaceableKey) {
    ReadExact(Stream, Head + 4, PlaceableSize - 4, SInvalidMetafile);
    Box = Rect(GetI16(Head + 6), GetI16(Head + 8), GetI16(Head + 10), GetI16(Head + 12));
    Inch = GetU16(Head + 14);
    if (Inch == 0 || Box.right == Box.left || Box.bottom == Box.top) throw EInvalidGraphic(LoadStr(SInvalidMetafile));
    ReadExact(Stream, Bits.data(), MetaHeaderSize, SInvalidMetafile);
  } else {
    std::memcpy(Bits.data(), Head, 4);
    ReadExact(Stream, Bits.data() + 4, MetaHeaderSize - 4, SInvalidMetafile);
  }
  const std::uint16_t Type = GetU16(Bits.data()), HeaderWords = GetU16(Bits.data() + 2),
                      Version = GetU16(Bits.data() + 4);
  const std::uint64_t Size = 2ull * GetU32(Bits.data() + 6);
  if ((Type != 1 && Type != 2) || HeaderWords != 9 || (Version != 0x100 && Version != 0x300) ||
      Size < MetaHeaderSize + 6 || Size > MaxMetafileBytes ||
      Size - MetaHeaderSize > static_cast<std::uint64_t>(Remaining(Stream)))
    throw EInvalidGraphic(LoadStr(SInvalidMetafile));
  Bits.resize(static_cast<std::size_t>(Size));
  ReadExact(Stream, Bits.data() + MetaHeaderSize, Bits.size() - MetaHeaderSize, SInvalidMetafile);
  // Every record (a size in words, a function) lies inside the file, and the
  // last one is the end record: the system never reads past the bits.
  std::size_t At = MetaHeaderSize;
  for (;;) {
    if (Bits.size() - At < 6) throw EInvalidGraphic(LoadStr(SInvalidMetafile));
    const std::uint64_t Record = 2ull * GetU32(Bits.data() + At);
    if (Record < 6 || Record > Bits.size() - At) throw EInvalidGraphic(LoadStr(SInvalidMetafile));
    if (GetU16(Bits.data() + At + 4) == 0) break;
    At += static_cast<std::size_t>(Record);
  }
  HENHMETAFILE Handle = MakeEnhanced(Bits, Inch, Box);
  int W = 0, H = 0;
  if (Inch > 0) {
    const int Ppi = ScreenPixelsPerInch();
    W = MulDiv(std::abs(Box.right - Box.left), Ppi, Inch);
    H = MulDiv(std::abs(Box.bottom - Box.top), Ppi, Inch);
  } else {
    ENHMETAHEADER Header{};
    if (GetEnhMetaFileHeader(Handle, sizeof(Header), &Header)) {
      W = Header.rclBounds.right - Header.rclBounds.left + 1;
      H = Header.rclBounds.bottom - Header.rclBounds.top + 1;
    }
  }
  Reset(Handle, std::move(Bits), Inch, Box, std::max(W, 0), std::max(H, 0));
}

void TMetafile::SaveToStream(TStream* Stream) {
  if (FBits.empty()) return;
  if (FInch > 0) {
    std::vector<Byte> Head;
    PutU32(Head, PlaceableKey);
    PutU16(Head, 0);
    PutU16(Head, static_cast<std::uint16_t>(FBox.left));
    PutU16(Head, static_cast<std::uint16_t>(FBox.top));
    PutU16(Head, static_cast<std::uint16_t>(FBox.right));
    PutU16(Head, static_cast<std::uint16_t>(FBox.bottom));
    PutU16(Head, static_cast<std::uint16_t>(FInch));
    PutU32(Head, 0);
    // The checksum: the first ten words XORed.
    std::uint16_t Sum = 0;
    for (std::size_t I = 0; I < 20; I += 2) Sum ^= GetU16(Head.data() + I);
    PutU16(Head, Sum);
    WriteBytes(Stream, Head);
  }
  WriteBytes(Stream, FBits);
}

// ---------------------------------------------------------------------------
// TPicture

namespace {
struct TFileFormat {
  AnsiString Extension;
  AnsiString Description;
  TGraphicFactory Factory;
  AnsiString ClassName;
};

AnsiString LowerAscii(AnsiString S) {
  for (char& C : S) C = AsciiLower(C);
  return S;
}

std::vector<TFileFormat>& FileFormats() {
  static std::vector<TFileFormat> Formats = [] {
    std::vector<TFileFormat> F;
    F.push_back({"bmp", "Bitmaps", [] { return TOwned<TGraphic>(new TBitmap); }, "TBitmap"});
    F.push_back({"ico", "Icons", [] { return TOwned<TGraphic>(new TIcon); }, "TIcon"});
    F.push_back({"jpg", "JPEG Image File", [] { return TOwned<TGraphic>(new TJPEGImage); }, "TJPEGImage"});
    F.push_back({"jpeg", "JPEG Image File", [] { return TOwned<TGraphic>(new TJPEGImage); }, "TJPEGImage"});
    F.push_back({"wmf", "Metafiles", [] { return TOwned<TGraphic>(new TMetafile); }, "TMetafile"});
    return F;
  }();
  return Formats;
}

struct TClipboardFormat {
  Word Format;
  TGraphicFactory Factory;
  AnsiString ClassName;
};

std::vector<TClipboardFormat>& ClipboardFormats() {
  static std::vector<TClipboardFormat> Formats;
  return Formats;
}

const TClipboardFormat* FindClipboardFormat(Word Format) {
  for (const TClipboardFormat& F : ClipboardFormats())
    if (F.Format == Format) return &F;
  return nullptr;
}

const TFileFormat* FindByClass(const AnsiString& ClassName) {
  for (const TFileFormat& F : FileFormats())
    if (F.ClassName == ClassName) return &F;
  return nullptr;
}

const TGraphicFactory& FactoryOf(const AnsiString& ClassName) {
  const TFileFormat* F = FindByClass(ClassName);
  if (!F) throw EInvalidGraphic(FmtLoadStr(SUnknownPictureFormat, ClassName));
  return F->Factory;
}
}  // namespace

void TPicture::RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                  TGraphicFactory Factory) {
  AnsiString ClassName = Factory()->ClassName();
  AnsiString Ext = LowerAscii(Extension);
  for (TFileFormat& F : FileFormats())
    if (F.Extension == Ext) {
      F = {Ext, Description, std::move(Factory), ClassName};
      return;
    }
  FileFormats().push_back({Ext, Description, std::move(Factory), ClassName});
}

void TPicture::RegisterClipboardGraphic(Word AFormat, TGraphicFactory Factory) {
  AnsiString ClassName = Factory()->ClassName();
  for (TClipboardFormat& F : ClipboardFormats())
    if (F.Format == AFormat) {
      F = {AFormat, std::move(Factory), ClassName};
      return;
    }
  ClipboardFormats().push_back({AFormat, std::move(Factory), ClassName});
}

void TPicture::UnregisterGraphicClass(const AnsiString& ClassName) {
  std::erase_if(FileFormats(), [&](const TFileFormat& F) { return F.ClassName == ClassName; });
  std::erase_if(ClipboardFormats(), [&](const TClipboardFormat& F) { return F.ClassName == ClassName; });
}

bool TPicture::SupportsClipboardFormat(Word AFormat) { return FindClipboardFormat(AFormat) != nullptr; }

void TPicture::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
  const TClipboardFormat* Format = FindClipboardFormat(AFormat);
  if (!Format) throw EInvalidGraphic(LoadStr(SUnknownClipboardFormat));
  TOwned<TGraphic> New = Made(Format->Factory);
  New->LoadFromClipboardFormat(AFormat, AData, APalette);
  Take(std::move(New));
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg) {
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

TOwned<TGraphic> TPicture::Made(const TGraphicFactory& Factory) {
  TOwned<TGraphic> New = Factory();
  New->OnProgress = TProgressEvent(this, &TPicture::Progress);
  return New;
}

void TPicture::Take(TOwned<TGraphic> Value) {
  FGraphic = std::move(Value);
  if (FGraphic) {
    FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
    FGraphic->OnProgress = TProgressEvent(this, &TPicture::Progress);
  }
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic.get()) return;
  if (!Value) {
    Take(nullptr);
    return;
  }
  TOwned<TGraphic> New = Made(FactoryOf(Value->ClassName()));
  New->Assign(Value);
  Take(std::move(New));
}

TBitmap* TPicture::Bitmap() {
  if (auto* B = dynamic_cast<TBitmap*>(FGraphic.get())) return B;
  TOwned<TBitmap> B(new TBitmap);
  if (FGraphic) B->Assign(FGraphic.get());
  TBitmap* Result = B.get();
  Take(std::move(B));
  return Result;
}

TIcon* TPicture::Icon() {
  if (auto* I = dynamic_cast<TIcon*>(FGraphic.get())) return I;
  TOwned<TIcon> I(new TIcon);
  TIcon* Result = I.get();
  Take(std::move(I));
  return Result;
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) SetGraphic(nullptr);
  else if (auto* P = dynamic_cast<TPicture*>(Source)) SetGraphic(P->Graphic());
  else if (auto* G = dynamic_cast<TGraphic*>(Source)) SetGraphic(G);
  else TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (FGraphic) Dest->Assign(FGraphic.get());
  else TPersistent::AssignTo(Dest);
}

void TPicture::LoadFromFile(const AnsiString& FileName) {
  std::size_t Dot = FileName.find_last_of(".\\/:");
  AnsiString Ext = Dot != AnsiString::npos && FileName[Dot] == '.' ? LowerAscii(FileName.substr(Dot + 1)) : "";
  const TFileFormat* Format = nullptr;
  for (const TFileFormat& F : FileFormats())
    if (F.Extension == Ext) Format = &F;
  if (!Format) throw EInvalidGraphic(FmtLoadStr(SUnknownPictureExtension, Ext));
  TOwned<TGraphic> New = Made(Format->Factory);
  New->LoadFromFile(FileName);
  Take(std::move(New));
}

void TPicture::SaveToFile(const AnsiString& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::ReadData(TStream* Stream) {
  Byte Length;
  ReadExact(Stream, &Length, 1, SInvalidPicture);
  AnsiString ClassName(Length, '\0');
  ReadExact(Stream, ClassName.data(), Length, SInvalidPicture);
  if (ClassName.empty()) {
    Take(nullptr);
    return;
  }
  TOwned<TGraphic> New = Made(FactoryOf(ClassName));
  New->ReadData(Stream);
  Take(std::move(New));
}

void TPicture::WriteData(TStream* Stream) {
  // An empty graphic is stored as no graphic: it has no stream of its own.
  bool Has = FGraphic && !FGraphic->Empty();
  AnsiString ClassName = Has ? FGraphic->ClassName() : AnsiString();
  Byte Length = static_cast<Byte>(ClassName.size());
  Stream->WriteBuffer(&Length, 1);
  if (Length) Stream->WriteBuffer(ClassName.data(), Length);
  if (Has) FGraphic->WriteData(Stream);
}

void TPicture::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); },
      FGraphic && !FGraphic->Empty());
}
