// The status bar theme: the bar, its panes and the size gripper.
#pragma once

#include "VsThemesWindowsXP.h"

// The size gripper of a status bar: states 1..2.
using TWindowsXPThemeStatusGripper = TWindowsXPThemeStatePart;

// A pane of a status bar: its content lies inside both its own sizing and
// its own content margins.
class TWindowsXPThemeStatusPane : public TWindowsXPThemeStatePart {
public:
  using TWindowsXPThemeStatePart::TWindowsXPThemeStatePart;
  void GetThemeBackgroundContentRect(HDC DC, int StateId, const RECT* BoundingRect, RECT* ContentRect) override;
  void GetThemeBackgroundExtent(HDC DC, int StateId, const RECT* ContentRect, RECT* ExtentRect) override;
};

class TWindowsXPThemeStatus : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeStatus(TWindowsXPThemeManager* Manager);
};
