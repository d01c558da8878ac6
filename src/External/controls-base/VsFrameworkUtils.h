// Shared routines of the themed controls: colours, rectangles, edges and
// frames, scroll-bar and arrow glyphs, gradients, bitmaps, wide text; and the
// property reader that lets controls take obsolete stored properties with
// dotted paths.
//
// Colours are framework TColor values; system colours (high byte 0xFF) are
// turned into RGB with ColorToRGB before any arithmetic. Rectangles are
// exclusive at right and bottom.
#pragma once

#include "Classes.h"
#include "Filer.h"
#include "Graphics.h"
#include "System.h"
#include "Win.h"

// ---------------------------------------------------------------------------
// Colours

Byte VsGetRValue(TColor Color);
Byte VsGetGValue(TColor Color);
Byte VsGetBValue(TColor Color);
TColor VsRGBToColor(Byte R, Byte G, Byte B);
// Each part p becomes p + MulDiv(255 - p, Percent, 100), kept to 8 bits.
TColor LightenColor(TColor Color, Byte Percent);
// Each part p becomes MulDiv(p, Percent, 100), kept to 8 bits.
TColor DarkenColor(TColor Color, Byte Percent);

// HLS values hold hue, lightness and saturation (each 0..252) in the bytes
// of red, green and blue.
constexpr int HLSMax = 252;
TColor ColorToHLS(TColor Color);
TColor HLSToColor(TColor HLS);
// Brings a hue that is at most one turn out back into 0..252.
void WrapHue(int& Hue);
int HueToRGBPart(int Low, int High, int Hue);

// Milliseconds: the auto-repeat interval for SPI_GETKEYBOARDSPEED, the first
// delay for SPI_GETKEYBOARDDELAY, the raw value for anything else.
int GetKeybTimes(UINT Action);

// ---------------------------------------------------------------------------
// Rectangles, lines, edges and frames

enum TVsBorderSide { ebsLeft, ebsRight, ebsTop, ebsBottom };
using TVsBorderSides = TSet<TVsBorderSide>;
constexpr TVsBorderSides AllBorderSides = TVsBorderSides::FromBits(0x0F);

enum TVsFlatBorderType {
  fbtFlat, fbtSunken, fbtSunkenInner, fbtSunkenOuter, fbtRaised, fbtRaisedInner, fbtRaisedOuter, fbtBump,
  fbtBigBump, fbtEtched, fbtFramed, fbtLine, fbtLineBorder, fbtNone, fbtColorLineBorder
};
// The value names of TVsFlatBorderType, as layouts give them.
extern const TEnumNames FlatBorderTypeNames;

enum TVsScrollBarKind { sbkNone, sbkHorizontal, sbkVertical, sbkBoth };

void FillSolidRect(HDC DC, const TRect& R, TColor Color);
void FillSolidRectXY(HDC DC, int X, int Y, int CX, int CY, TColor Color);
// One-pixel lines on the given sides: top and left in TopLeft, right and
// bottom (which take the corners) in BottomRight.
void Draw3dRectSides(HDC DC, int X, int Y, int CX, int CY, TColor TopLeft, TColor BottomRight, TVsBorderSides Sides);
void Draw3dRect(HDC DC, int X, int Y, int CX, int CY, TColor TopLeft, TColor BottomRight);
// Two rings in system colours (COLOR_ indexes): the outer pair, then the
// inner pair one pixel inside.
void DrawSystemEdgeRect(HDC DC, const TRect& R, int OuterTopLeft, int OuterBottomRight, int InnerTopLeft,
                        int InnerBottomRight);
// Pen lines on the given sides; Inner is R less one pixel on each of them.
void DrawLinesBySides(HDC DC, const TRect& R, TColor First, TColor Second, TVsBorderSides Sides, TRect& Inner);
// The DrawEdge of the themed controls (BDR_ edges, BF_ flags); the raised
// outer border's top-left is clBtnFace. BF_DIAGONAL goes to the system's.
bool VsDrawEdge(HDC DC, TRect& R, UINT Edge, UINT Flags);
// The border of a flat control. The one-pixel strips some types add lie
// outside the adjusted edge: callers leave room for them.
void DrawFlatFrame(HDC DC, const TRect& R, TColor ColorA, TColor ColorB, TVsBorderSides Sides,
                   TVsFlatBorderType BorderType);
void DrawFlatFrameEx(HDC DC, const TRect& R, TColor Color, bool InnerEdge);
// A 7-pixel triangle: Direction 0 left, 1 up, 2 right, 3 down.
void VsDrawArrow(TCanvas* Canvas, int Direction, const TRect& R, TColor Color, bool Enabled);
void DrawButtonFrameEx(HDC DC, const TRect& R, bool Is3D, bool Pressed, TColor BaseColor, bool SingleFrame,
                       TVsBorderSides Sides);
// Flat standard scroll bars in a window's border area (R: the window in DC
// coordinates). Tracking draws the thumb at the track position and leaves
// the arrow boxes out.
void DrawFlatScrollbars(HWND Wnd, HDC DC, const TRect& R, bool Raised, TVsScrollBarKind Kind, bool HTracking,
                        bool VTracking, bool ControlMode, LONG Style, LONG ExStyle);

// ---------------------------------------------------------------------------
// Gradients and bitmaps

using TGradientFillProc = BOOL(WINAPI*)(HDC DC, PTRIVERTEX Vertices, ULONG VertexCount, PVOID Mesh, ULONG MeshCount,
                                        ULONG Mode);
// msimg32's GradientFill, bound at start-up; nullptr without it.
extern TGradientFillProc GradientFillProc;

void VsGradientFill(HDC DC, const TRect& R, TColor StartColor, TColor EndColor, int Steps, bool Vertical);
// A gradient laid over GradRect, of which the DC point p shows p + Offset;
// only PaintRect is painted.
void VsGradientFillEx(HDC DC, const TRect& PaintRect, const TRect& GradRect, const TPoint& Offset, TColor StartColor,
                      TColor EndColor, int Steps, bool Vertical);
// Copies SrcRect of Bitmap to (X, Y), leaving its pixels of TransparentColor
// unpainted.
void DrawTransparentBitmapEx(HDC DC, HBITMAP Bitmap, int X, int Y, const TRect& SrcRect, TColor TransparentColor);
// SrcRect of SrcDC blended onto DestRect through the mask's blue byte and Alpha.
void DrawBitmapBlended(HDC DC, const TRect& DestRect, HDC SrcDC, const TRect& SrcRect, HBITMAP Mask, Byte Alpha);
// True unless the bitmap has 32 bits per pixel and a pixel with a non-zero
// top byte.
bool HasNoAlphaChannel(HBITMAP Bitmap);
void AlphaFillRect(TCanvas* Canvas, const TRect& R, TColor Color, Byte Alpha);

// ---------------------------------------------------------------------------
// Text and miscellany

// DrawTextExW's behaviour, drawn with ExtTextOutW on every system. Count -1:
// zero-terminated. With DT_MODIFYSTRING the shortened single (or last) line
// is written back, terminated: the text must have room for 4 more units, as
// for the system's routine. The height drawn.
int VsDrawTextExW(HDC DC, const wchar_t* Text, int Count, TRect& R, UINT Format, DRAWTEXTPARAMS* Params);
int VsDrawTextW(HDC DC, const wchar_t* Text, int Count, TRect& R, UINT Format);
// The part of a hint before the first "|" (the whole hint without one).
WideString GetWideShortHint(const WideString& Hint);

// Sets the variable to nullptr, then frees the object it held.
template <class T> void VsFreeAndNil(T*& Obj) {
  T* Tmp = Obj;
  Obj = nullptr;
  if (Tmp) Tmp->Free();
}

// ---------------------------------------------------------------------------
// The property reader

// A reader whose methods serve as read procedures of DefineProperty for
// stored properties that are read and dropped.
class TVsReader : public TReader {
public:
  explicit TVsReader(TStream* AStream) : TReader(AStream) {}
  // Reads one Boolean value of Reader and discards it.
  void SkipBoolean(TReader* Reader);
};

// The shared instance (over an empty stream), made on first use.
TVsReader* GetVsReader();

// The property reader installed at start-up. It reads like the framework's
// own, except for a path whose walk stops at an element that is not
// published ("Sub.X" with Sub unpublished): the whole path, then the element
// where the walk stopped, are offered to that object's DefineProperties.
void PatchedReadProperty(TReader* Reader, TPersistent* Instance);

// Skips one value of the form stream, reading at most 256 bytes at a time.
// An unknown tag or a length that is negative or runs past the end of the
// stream raises EReadError "Invalid property value" before its data is read,
// and leaves the stream where the value began.
void SkipStreamValue(TReader* Reader);

// Start-up binds GradientFillProc and installs PatchedReadProperty as the
// reader of every layout (run it before the first form is read); the end
// puts the previous reader back and releases msimg32.
void InitializeVsFrameworkUtils();
void FinalizeVsFrameworkUtils();
