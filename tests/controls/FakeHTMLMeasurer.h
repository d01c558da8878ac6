// A measurer with a fixed advance, so that layouts can be worked out by hand:
// every unit is 6 pixels wide, a font is as high as its height says (11 for
// the default 0), a quarter of it below the baseline.
#pragma once

#include <cstdlib>

#include "VsHTMLRender.h"

class TFakeHTMLMeasurer : public TVsHTMLMeasurer {
public:
  static constexpr int Advance = 6;
  static constexpr int AveCharWidth = 5;
  static constexpr int MaxCharWidth = 8;

  static int HeightOf(int FontHeight) { return FontHeight == 0 ? 11 : std::abs(FontHeight); }

  int TextExtent(const TVsHTMLFont&, const WideString& Text) override {
    return Advance * static_cast<int>(Text.size());
  }
  TVsHTMLFontMetrics FontMetrics(const TVsHTMLFont& Font) override {
    const int H = HeightOf(Font.Height);
    return {H, H / 4, AveCharWidth, MaxCharWidth};
  }
};
