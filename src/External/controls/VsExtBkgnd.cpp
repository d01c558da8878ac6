#include "VsExtBkgnd.h"

#include "VsFrameworkUtils.h"
#include "VsTools.h"

namespace {

bool IsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

TRect Intersection(const TRect& A, const TRect& B) {
  TRect R;
  if (!IntersectRect(&R, &A, &B)) SetRectEmpty(&R);
  return R;
}

// X div Size rounded down, for points left of or above the grid's origin.
int FloorDiv(int X, int Size) { return X >= 0 ? X / Size : -((-X + Size - 1) / Size); }
int FloorMod(int X, int Size) { return X - FloorDiv(X, Size) * Size; }

// Where the picture lies for the layouts that place it once.
TRect PictureRect(const TRect& Area, int Width, int Height, TVsBkGndType Type) {
  TRect R;
  if (Type == bgtCenterBitmap) {
    CenterRect(Width, Area.right - Area.left, Height, Area.bottom - Area.top, R);
    // CenterRect gives the last column and row themselves.
    R.right += 1;
    R.bottom += 1;
  } else {
    R = TRect{0, 0, Width, Height};
  }
  OffsetRect(&R, Area.left, Area.top);
  return R;
}

// Paint (in DC coordinates) shows Area's background at p + Offset; tiles
// start at Grid.
void Draw(HDC DC, const TRect& Paint, const TRect& Area, const TPoint& Offset, TColor F, TBitmap* Bitmap,
          TVsBkGndType Type, DWORD Rop, const TPoint& Grid) {
  const bool NoPicture = !Bitmap || Bitmap->Width() <= 0 || Bitmap->Height() <= 0;
  if (Type == bgtColorFill || NoPicture || IsEmpty(Area) || IsEmpty(Paint)) {
    FillSolidRect(DC, Paint, F);
    return;
  }
  if (Type != bgtTileBitmap && Type != bgtStretchBitmap && Type != bgtCenterBitmap && Type != bgtTopLeftBitmap)
    return;
  TRect Shown = Paint;
  OffsetRect(&Shown, Offset.x, Offset.y);
  TRect Inside;
  if (!IntersectRect(&Inside, &Shown, &Area) || !EqualRect(&Inside, &Shown)) FillSolidRect(DC, Paint, F);
  if (IsEmpty(Inside)) return;
  const int W = Bitmap->Width(), H = Bitmap->Height();
  const HDC Source = Bitmap->Canvas()->Handle();
  switch (Type) {
    case bgtTileBitmap: {
      // One pattern-brush fill lays every tile; the brush origin puts the
      // grid where the offset wants it in device pixels.
      POINT Viewport{}, Window{};
      GetViewportOrgEx(DC, &Viewport);
      GetWindowOrgEx(DC, &Window);
      HBRUSH Brush = GetMapMode(DC) == MM_TEXT ? CreatePatternBrush(Bitmap->Handle()) : nullptr;
      if (Brush) {
        const int Saved = SaveDC(DC);
        SetBrushOrgEx(DC, FloorMod(Grid.x - Offset.x - Window.x + Viewport.x, W),
                      FloorMod(Grid.y - Offset.y - Window.y + Viewport.y, H), nullptr);
        SelectObject(DC, Brush);
        PatBlt(DC, Inside.left - Offset.x, Inside.top - Offset.y, Inside.right - Inside.left,
               Inside.bottom - Inside.top, Rop == SRCINVERT ? PATINVERT : PATCOPY);
        RestoreDC(DC, Saved);
        DeleteObject(Brush);
        break;
      }
      const int FirstColumn = FloorDiv(Inside.left - Grid.x, W), FirstRow = FloorDiv(Inside.top - Grid.y, H);
      for (int Row = FirstRow; Grid.y + Row * H < Inside.bottom; ++Row)
        for (int Column = FirstColumn; Grid.x + Column * W < Inside.right; ++Column) {
          const TRect Tile{Grid.x + Column * W, Grid.y + Row * H, Grid.x + (Column + 1) * W, Grid.y + (Row + 1) * H};
          const TRect D = Intersection(Tile, Inside);
          if (IsEmpty(D)) continue;
          BitBlt(DC, D.left - Offset.x, D.top - Offset.y, D.right - D.left, D.bottom - D.top, Source,
                 FloorMod(D.left - Grid.x, W), FloorMod(D.top - Grid.y, H), Rop);
        }
      break;
    }
    case bgtStretchBitmap: {
      // The picture stretched over the whole area, clipped to the part shown:
      // the same pixels as a stretched copy of the area, in one call.
      const int Saved = SaveDC(DC);
      IntersectClipRect(DC, Inside.left - Offset.x, Inside.top - Offset.y, Inside.right - Offset.x,
                        Inside.bottom - Offset.y);
      SetStretchBltMode(DC, COLORONCOLOR);
      StretchBlt(DC, Area.left - Offset.x, Area.top - Offset.y, Area.right - Area.left, Area.bottom - Area.top, Source,
                 0, 0, W, H, Rop);
      RestoreDC(DC, Saved);
      break;
    }
    default: {
      const TRect Picture = PictureRect(Area, W, H, Type);
      TRect D = Intersection(Picture, Inside);
      if (!IsEmpty(D)) {
        OffsetRect(&D, -Offset.x, -Offset.y);
        BitBlt(DC, D.left, D.top, D.right - D.left, D.bottom - D.top, Source, D.left + Offset.x - Picture.left,
               D.top + Offset.y - Picture.top, Rop);
      }
      const int Saved = SaveDC(DC);
      if (!IsEmpty(D)) ExcludeClipRect(DC, D.left, D.top, D.right, D.bottom);
      FillSolidRect(DC, Paint, F);
      RestoreDC(DC, Saved);
      break;
    }
  }
}

}  // namespace

void ExtDrawBkgnd(HDC DC, const TRect& Paint, const TRect& Area, const TPoint& Offset, TColor F, TBitmap* Bitmap,
                  TVsBkGndType Type) {
  Draw(DC, Paint, Area, Offset, F, Bitmap, Type, SRCCOPY, TPoint{0, 0});
}

void ExtDrawBkgndEx(HDC DC, const TRect& Area, TVsBkGndType Type, TBitmap* Bitmap, TColor F, DWORD Rop) {
  Draw(DC, Area, Area, TPoint{0, 0}, F, Bitmap, Type, Rop, TPoint{Area.left, Area.top});
}
