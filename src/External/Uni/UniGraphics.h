// Wide text on a framework canvas.
#pragma once

#include "Graphics.h"
#include "System.h"

// Text at (X, Y) clipped to Rect with ExtTextOutW, in the canvas's font;
// the background filled unless the brush is clear. With ETO_RTLREADING in
// the text flags on a right-to-left canvas, X is the text's right end.
void WideCanvasTextRect(TCanvas* Canvas, const TRect& Rect, int X, int Y, const WideString& Text);
// The size of the whole text in the canvas's font; zero when it cannot be
// measured.
TSize WideCanvasTextExtent(TCanvas* Canvas, const WideString& Text);
int WideCanvasTextWidth(TCanvas* Canvas, const WideString& Text);
int WideCanvasTextHeight(TCanvas* Canvas, const WideString& Text);
