// Colours, fonts, pens, brushes, the canvas over a device context, and the
// graphic classes (bitmap, icon, metafile, picture).
#pragma once

#include <functional>
#include <vector>

#include "Classes.h"
#include "Win.h"

class TStream;
class TGraphic;
class TBitmap;
class TIcon;

// ---------------------------------------------------------------------------
// Geometry

using TRect = RECT;
using TPoint = POINT;
using TSize = SIZE;

constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect{Left, Top, Right, Bottom}; }
constexpr TRect Bounds(int Left, int Top, int Width, int Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}
constexpr TPoint Point(int X, int Y) { return TPoint{X, Y}; }

// ---------------------------------------------------------------------------
// Colours: 0x00BBGGRR for a fixed colour, 0xFF000000 | COLOR_xxx for a
// system colour that follows the desktop scheme.

using TColor = Integer;

constexpr TColor SystemColor(int Index) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(Index)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of Color; a system colour is looked up now, every time (the
// desktop scheme may be changed or answered by a hook at any moment).
Integer ColorToRGB(TColor Color);

// Colour identifiers ("clBtnFace"): compared case-insensitively.
bool IdentToColor(const AnsiString& Ident, Integer& Color);
bool ColorToIdent(Integer Color, AnsiString& Ident);
// An identifier, "$00FF0000" (hexadecimal) or a decimal number; anything
// else raises EConvertError.
TColor StringToColor(const AnsiString& S);
// The identifier when there is one, else "$" and eight hexadecimal digits.
AnsiString ColorToString(TColor Color);

// ---------------------------------------------------------------------------
// Cursors

using TCursor = Integer;

constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

bool IdentToCursor(const AnsiString& Ident, Integer& Cursor);
bool CursorToIdent(Integer Cursor, AnsiString& Ident);
// An identifier or a decimal number; anything else raises EConvertError.
TCursor StringToCursor(const AnsiString& S);
AnsiString CursorToString(TCursor Cursor);

// Logical pixels per inch of the screen (read once, on first use).
int ScreenPixelsPerInch();

// Unit start-up: registers the colour and cursor identifiers for the integer
// types "TColor" and "TCursor", and the published properties of TFont, TPen
// and TBrush, so that layouts can set them. Safe to call more than once.
void InitializeGraphics();

// ---------------------------------------------------------------------------
// Fonts, pens and brushes

// A drawing attribute that tells its users (OnChange) after every change.
class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
using TFontName = AnsiString;

class TFont : public TGraphicsObject {
public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* Source) override;

  // The font made from the properties; created on first use and kept until
  // a property changes.
  HFONT Handle();

  const TFontName& Name() const { return FName; }
  void SetName(const TFontName& Value);
  // Points; Height is the matching character height in pixels (negative).
  int Size() const;
  void SetSize(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

protected:
  void Changed() override;

private:
  TFontName FName = "MS Sans Serif";
  int FHeight;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch;
  HFONT FHandle = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
public:
  ~TPen() override;
  void Assign(TPersistent* Source) override;

  HPEN Handle();

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  // The raster operation (SetROP2) the canvas uses with this pen.
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);

protected:
  void Changed() override;

private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  HPEN FHandle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
  ~TBrush() override;
  void Assign(TPersistent* Source) override;

  HBRUSH Handle();

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern bitmap (not owned: the caller keeps it alive while the brush
  // uses it). When set it takes precedence over Style.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

protected:
  void Changed() override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
};

// ---------------------------------------------------------------------------
// The canvas

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;
enum TCanvasOrientation { coLeftToRight, coRightToLeft };

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// Drawing on a device context. The DC is either given (SetHandle, the
// caller keeps it) or made by a derived canvas in CreateHandle. Font, pen
// and brush are selected into the DC just before a drawing call needs them
// and deselected when the handle goes.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;

  // The DC; a canvas without one asks CreateHandle and raises
  // EInvalidOperation "Canvas does not allow drawing" when none comes.
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

  TPoint PenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.x, Value.y); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  // Extra ExtTextOut options (ETO_RTLREADING) used by the text calls.
  int TextFlags() const { return FTextFlags; }
  void SetTextFlags(int Value) { FTextFlags = Value; }
  TCanvasOrientation CanvasOrientation();
  TRect ClipRect();

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.left, R.top, R.right, R.bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.left, R.top, R.right, R.bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Polygon(const std::vector<TPoint>& Points);
  void Polyline(const std::vector<TPoint>& Points);
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);

  void TextOut(int X, int Y, const AnsiString& Text);
  void TextOut(int X, int Y, const WideString& Text);
  void TextRect(const TRect& R, int X, int Y, const AnsiString& Text);
  void TextRect(const TRect& R, int X, int Y, const WideString& Text);
  TSize TextExtent(const AnsiString& Text);
  TSize TextExtent(const WideString& Text);
  int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
  int TextWidth(const WideString& Text) { return TextExtent(Text).cx; }
  int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }
  int TextHeight(const WideString& Text) { return TextExtent(Text).cy; }

  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  TColor Pixels(int X, int Y);
  void SetPixel(int X, int Y, TColor Color);

  // Serialises drawing between threads.
  void Lock();
  void Unlock();
  int LockCount() const { return FLockCount; }

  // Makes the DC, font, pen and brush valid as asked (selecting them).
  void RequiredState(TCanvasState ReqState);
  // Fire OnChanging / OnChange around each drawing call.
  virtual void Changing();
  virtual void Changed();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // Overridden by canvases that make their own DC (calling SetHandle).
  virtual void CreateHandle() {}

private:
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);
  void DeselectHandles();

  HDC FHandle = nullptr;
  TCanvasState FState;
  TOwned<TFont> FFont;
  TOwned<TPen> FPen;
  TOwned<TBrush> FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  int FTextFlags = 0;
  CRITICAL_SECTION FLock;
  int FLockCount = 0;
};

// ---------------------------------------------------------------------------
// Graphics

// How far a graphic is in a long operation (decoding a picture).
enum TProgressStage { psStarting, psRunning, psEnding };
// RedrawNow: the part R of the picture is worth showing now.
using TProgressEvent = TMethodPtr<void(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                                       const TRect& R, const AnsiString& Msg)>;

// A picture of some format that can draw itself, load and save.
class TGraphic : public TPersistent {
public:
  // Draws the whole graphic stretched into R of Canvas.
  virtual void Draw(TCanvas* Canvas, const TRect& R) = 0;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);

  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

  // Clipboard data of the graphic: the format, a global memory block and a
  // palette. The graphics that have no clipboard form raise EInvalidGraphic.
  virtual void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette);
  virtual void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette);

  // The palette the graphic is drawn with (nullptr: none). The graphic keeps
  // the handle; SetPalette hands Value over to the graphic.
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  // Set when the palette changed, until the user of the graphic clears it.
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool Value) { FPaletteModified = Value; }

  // The graphic's own layout data (what TPicture stores after the class
  // name): by default the stream format itself.
  virtual void ReadData(TStream* Stream) { LoadFromStream(Stream); }
  virtual void WriteData(TStream* Stream) { SaveToStream(Stream); }

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

protected:
  // Marks the graphic modified and fires OnChange.
  virtual void Changed(TObject* Sender);
  // Fires OnProgress.
  void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                const AnsiString& Msg);
  void DefineProperties(TFiler* Filer) override;

private:
  bool FTransparent = false;
  bool FModified = false;
  bool FPaletteModified = false;
};

// Image data that several graphics share: a reference count, and the object
// freed with the last Release.
class TSharedImage {
public:
  TSharedImage() = default;
  TSharedImage(const TSharedImage&) = delete;
  TSharedImage& operator=(const TSharedImage&) = delete;
  virtual ~TSharedImage() = default;

  void Reference() { ++FRefCount; }
  void Release();
  int RefCount() const { return FRefCount; }

private:
  int FRefCount = 0;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

// A bitmap: a DIB section for the fixed pixel formats, a device-dependent
// bitmap for pfDevice (the default). Streams as a BMP file.
class TBitmap : public TGraphic {
public:
  TBitmap();
  ~TBitmap() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* Canvas, const TRect& R) override;
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  // Resizes, keeping the top-left part of the picture.
  void SetSize(int AWidth, int AHeight);

  // The bitmap (nullptr while empty). SetHandle takes ownership of Value;
  // ReleaseHandle hands the bitmap over to the caller and leaves this empty.
  HBITMAP Handle() const { return FHandle; }
  void SetHandle(HBITMAP Value);
  HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return FPixelFormat == pfDevice ? bmDDB : bmDIB; }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Converts the picture to the new format.
  void SetPixelFormat(TPixelFormat Value);

  // A canvas on a memory DC with the bitmap selected.
  TCanvas* Canvas();
  // Row Row (0 = top) of a DIB; raises EInvalidGraphicOperation for a DDB or
  // a row out of range.
  void* ScanLine(int Row);

  // The colour drawn as transparent: the bottom-left pixel in tmAuto.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Loads a BITMAP resource of Instance.
  void LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName);
  // Layout data: a 4-byte little-endian size, then the BMP file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

private:
  class TBitmapCanvas;
  friend class TBitmapCanvas;
  friend class TBitmapDC;
  // Replaces the picture with Value (owned); the canvas lets go first.
  void ReplaceHandle(HBITMAP Value, int AWidth, int AHeight, TPixelFormat Format);
  void CanvasChanged(TObject* Sender);

  HBITMAP FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  LONG FXPelsPerMeter = 0;
  LONG FYPelsPerMeter = 0;
  TOwned<TCanvas> FCanvas;
};

// An icon; streams in the ICO format (the data it was loaded from is kept
// and saved back unchanged).
class TIcon : public TGraphic {
public:
  ~TIcon() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* Canvas, const TRect& R) override;
  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // An icon's size comes from its image: both raise EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;

  HICON Handle() const { return FHandle; }
  // Takes ownership of Value.
  void SetHandle(HICON Value);
  HICON ReleaseHandle();

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

private:
  void Reset(HICON Value, std::vector<Byte> Data);

  HICON FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  std::vector<Byte> FData;
};

// A Windows metafile, plain or with the placeable header (which gives its
// size); drawn as the enhanced metafile the system converts it to. Streams
// as the WMF file it was read from; a size set from code makes it
// placeable.
class TMetafile : public TGraphic {
public:
  TMetafile();
  ~TMetafile() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* Canvas, const TRect& R) override;
  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // Units per inch of the placeable header (0 for a plain metafile).
  int Inch() const { return FInch; }

  HENHMETAFILE Handle() const { return FHandle; }

  // Reads one metafile (its own header says how long it is) and leaves the
  // stream behind it; a broken one raises EInvalidGraphic and keeps the
  // old picture.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

private:
  void Reset(HENHMETAFILE Handle, std::vector<Byte> Bits, int Inch, const TRect& Box, int AWidth, int AHeight);
  void Resize(int AWidth, int AHeight);

  HENHMETAFILE FHandle = nullptr;
  // The metafile records, header first, without the placeable header.
  std::vector<Byte> FBits;
  int FInch = 0;
  TRect FBox{};
  int FWidth = 0;
  int FHeight = 0;
};

using TGraphicFactory = std::function<TOwned<TGraphic>()>;

// Holds one graphic of any registered format. Stores itself in layouts as
// the binary "Data" property: the graphic's class name (a length byte and
// the characters), then the graphic's own layout data.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Keeps a copy of Value (nullptr empties the picture).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap: another graphic is converted into one, an empty
  // picture gets an empty bitmap.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  // The graphic as an icon: another graphic is replaced by an empty icon.
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // The graphic class is chosen by the extension; an unknown one raises
  // EInvalidGraphic.
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

  // Registers (or replaces) the graphic class for Extension ("bmp", no dot).
  // Bitmaps, icons and JPEG pictures are registered from the start.
  static void RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                 TGraphicFactory Factory);
  // Registers (or replaces) the graphic class that reads the clipboard
  // format AFormat.
  static void RegisterClipboardGraphic(Word AFormat, TGraphicFactory Factory);
  // Removes the graphic class from both registries.
  static void UnregisterGraphicClass(const AnsiString& ClassName);
  static bool SupportsClipboardFormat(Word AFormat);
  // A graphic of the class registered for AFormat, read from AData; an
  // unregistered format raises EInvalidGraphic.
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette);

  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  TNotifyEvent OnChange;
  // The graphic's progress, also while a new one is being read.
  TProgressEvent OnProgress;

protected:
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;
  virtual void Changed(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg);

private:
  void Take(TOwned<TGraphic> Value);
  // A new graphic of the class Factory makes, telling its progress.
  TOwned<TGraphic> Made(const TGraphicFactory& Factory);

  TOwned<TGraphic> FGraphic;
};
