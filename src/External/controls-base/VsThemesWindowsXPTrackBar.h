// The track bar theme: the tracks, the thumbs by shape and the tick marks.
#pragma once

#include "VsThemesWindowsXP.h"

// A thumb of a track bar: states 1..5.
using TWindowsXPThemeTrackBarThumb = TWindowsXPThemeStatePart;

// The tick marks of a track bar. A part with a "Color" of its own draws a
// one-pixel line of it along the bottom of a wide rectangle or down the
// right of any other; else it draws as any part.
class TWindowsXPThemeTrackBarTics : public TWindowsXPThemeStatePart {
public:
  using TWindowsXPThemeStatePart::TWindowsXPThemeStatePart;
  void DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) override;
};

class TWindowsXPThemeTrackBar : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeTrackBar(TWindowsXPThemeManager* Manager);
};
