// A hint window's client area as it paints itself, and as the system's
// DrawTextW draws its text there (at (2, 2) in the window's font and
// colours), pixel by pixel.
#pragma once

#include <vector>

#include "Forms.h"
#include "GuiTestSupport.h"

inline std::vector<COLORREF> DrawTextWOracle(THintWindow* Hint, const WideString& Text, UINT Format) {
  const int W = Hint->ClientWidth();
  const int H = Hint->ClientHeight();
  HDC Screen = GetDC(nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HBITMAP Bitmap = CreateCompatibleBitmap(Screen, W, H);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldBitmap = SelectObject(DC, Bitmap);
  HBRUSH Fill = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Hint->Color())));
  const RECT All{0, 0, W, H};
  FillRect(DC, &All, Fill);
  DeleteObject(Fill);
  HGDIOBJ OldFont = SelectObject(DC, Hint->Font()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(Hint->Font()->Color())));
  RECT R{2, 2, W, H};
  DrawTextW(DC, Text.c_str(), -1, &R, Format);
  std::vector<COLORREF> Pixels;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) Pixels.push_back(GetPixel(DC, X, Y));
  SelectObject(DC, OldFont);
  SelectObject(DC, OldBitmap);
  DeleteObject(Bitmap);
  DeleteDC(DC);
  return Pixels;
}

// The frame is one pixel wide.
inline std::vector<COLORREF> PaintedClient(THintWindow* Hint) {
  const TShot Shot(Hint);
  std::vector<COLORREF> Pixels;
  for (int Y = 0; Y < Hint->ClientHeight(); ++Y)
    for (int X = 0; X < Hint->ClientWidth(); ++X) Pixels.push_back(Shot.At(X + 1, Y + 1));
  return Pixels;
}

// How many pixels differ; -1 for pictures of different sizes.
inline int PixelDifferences(const std::vector<COLORREF>& A, const std::vector<COLORREF>& B) {
  if (A.size() != B.size()) return -1;
  int N = 0;
  for (size_t I = 0; I < A.size(); ++I) N += A[I] != B[I];
  return N;
}

// How many pixels are not the first one's colour (the background's).
inline int InkPixels(const std::vector<COLORREF>& A) {
  int N = 0;
  for (COLORREF C : A) N += C != A.front();
  return N;
}
