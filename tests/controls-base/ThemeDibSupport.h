// A DIB section for the drawing tests of the theme engine.
#pragma once

#include "System.h"
#include "Win.h"

// A DIB section in a memory DC of its own, 32 bpp top-down unless asked
// otherwise. Pixels are read and written as 0xAARRGGBB whatever the depth
// and row order (24 bpp has no alpha).
class TTestDib {
public:
  TTestDib(int Width, int Height, int BitCount = 32, bool TopDown = true)
      : FWidth(Width), FHeight(Height), FBitCount(BitCount), FTopDown(TopDown) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = Width;
    Info.bmiHeader.biHeight = TopDown ? -Height : Height;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = static_cast<WORD>(BitCount);
    Info.bmiHeader.biCompression = BI_RGB;
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
  }
  TTestDib(const TTestDib&) = delete;
  TTestDib& operator=(const TTestDib&) = delete;
  ~TTestDib() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }

  HDC DC() const { return FDC; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  DWORD Get(int X, int Y) const {
    GdiFlush();
    const Byte* P = Pixel(X, Y);
    return FBitCount == 32 ? *reinterpret_cast<const DWORD*>(P) : DWORD(P[2] << 16 | P[1] << 8 | P[0]);
  }
  void Set(int X, int Y, DWORD Value) {
    GdiFlush();
    Byte* P = Pixel(X, Y);
    if (FBitCount == 32) {
      *reinterpret_cast<DWORD*>(P) = Value;
    } else {
      P[0] = Value & 0xFF;
      P[1] = (Value >> 8) & 0xFF;
      P[2] = (Value >> 16) & 0xFF;
    }
  }
  void Fill(DWORD Value) {
    for (int Y = 0; Y < FHeight; ++Y)
      for (int X = 0; X < FWidth; ++X) Set(X, Y, Value);
  }

  // The colour of a pixel as a COLORREF.
  COLORREF Color(int X, int Y) const {
    const DWORD P = Get(X, Y);
    return RGB((P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
  }
  int Count(COLORREF Value) const {
    int N = 0;
    for (int Y = 0; Y < FHeight; ++Y)
      for (int X = 0; X < FWidth; ++X) N += Color(X, Y) == Value;
    return N;
  }
  // Whether every pixel has the colour of Other's (alpha aside).
  bool SameColors(const TTestDib& Other) const {
    for (int Y = 0; Y < FHeight; ++Y)
      for (int X = 0; X < FWidth; ++X)
        if (Color(X, Y) != Other.Color(X, Y)) return false;
    return true;
  }

private:
  Byte* Pixel(int X, int Y) const {
    const int Stride = ((FWidth * FBitCount / 8) + 3) & ~3;
    const int Row = FTopDown ? Y : FHeight - 1 - Y;
    return FBits + Row * Stride + X * FBitCount / 8;
  }

  int FWidth, FHeight, FBitCount;
  bool FTopDown;
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
  Byte* FBits = nullptr;
};
