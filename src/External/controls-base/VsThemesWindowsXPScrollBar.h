// The scroll bar theme: arrows, thumbs, tracks, grippers and the size box.
#pragma once

#include "VsThemesWindowsXP.h"

// A thumb, track or gripper of a scroll bar, and the bar itself: states 1..4.
using TWindowsXPThemeScrollBarPart = TWindowsXPThemeStatePart;
// An arrow button of a scroll bar: states 1..16.
using TWindowsXPThemeScrollBarButton = TWindowsXPThemeStatePart;
// The size box of a scroll bar: states 1..2.
using TWindowsXPThemeScrollBarSizeBox = TWindowsXPThemeStatePart;

class TWindowsXPThemeScrollBar : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeScrollBar(TWindowsXPThemeManager* Manager);
};
