#include "UniGraphics.h"

void WideCanvasTextRect(TCanvas* Canvas, const TRect& Rect, int X, int Y, const WideString& Text) {
  Canvas->Changing();
  Canvas->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
  UINT Options = static_cast<UINT>(Canvas->TextFlags()) | ETO_CLIPPED;
  if (Canvas->Brush()->Style() != bsClear) Options |= ETO_OPAQUE;
  if ((Canvas->TextFlags() & ETO_RTLREADING) && Canvas->CanvasOrientation() == coRightToLeft)
    X += WideCanvasTextWidth(Canvas, Text) + 1;
  ExtTextOutW(Canvas->Handle(), X, Y, Options, &Rect, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  Canvas->Changed();
}

TSize WideCanvasTextExtent(TCanvas* Canvas, const WideString& Text) {
  Canvas->RequiredState(TCanvasState{csHandleValid, csFontValid});
  SIZE Size{0, 0};
  if (!GetTextExtentPoint32W(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &Size)) Size = SIZE{0, 0};
  return TSize{Size.cx, Size.cy};
}

int WideCanvasTextWidth(TCanvas* Canvas, const WideString& Text) { return WideCanvasTextExtent(Canvas, Text).cx; }

int WideCanvasTextHeight(TCanvas* Canvas, const WideString& Text) { return WideCanvasTextExtent(Canvas, Text).cy; }
