// Background painting for windows with a picture: tiled, stretched, centred
// or at the top-left corner over a fill colour.
#pragma once

#include "Graphics.h"
#include "System.h"
#include "Win.h"

enum TVsBkGndType {
  bgtTileBitmap, bgtStretchBitmap, bgtColorFill, bgtCenterBitmap, bgtHorzGradient, bgtVertGradient, bgtTopLeftBitmap
};

// Paints the part Paint of a DC whose point p shows the background at
// p + Offset; the background covers Area (F outside it) and is laid out
// by Type. An empty area, a picture of no size or bgtColorFill fill Paint
// with F.
void ExtDrawBkgnd(HDC DC, const TRect& Paint, const TRect& Area, const TPoint& Offset, TColor F, TBitmap* Bitmap,
                  TVsBkGndType Type);
// The same layouts over the whole of Area in its own coordinates, copying
// with Rop (SRCCOPY or SRCINVERT).
void ExtDrawBkgndEx(HDC DC, const TRect& Area, TVsBkGndType Type, TBitmap* Bitmap, TColor F, DWORD Rop = SRCCOPY);
