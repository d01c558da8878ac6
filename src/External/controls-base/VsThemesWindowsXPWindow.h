// The window theme: frames, captions and caption buttons.
#pragma once

#include "VsThemesWindowsXP.h"

// A frame side or caption of a window: states 1..2.
using TWindowsXPThemeWindowFrame = TWindowsXPThemeStatePart;
// A caption button of a window: states 1..8.
using TWindowsXPThemeWindowButton = TWindowsXPThemeStatePart;

class TWindowsXPThemeWindow : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeWindow(TWindowsXPThemeManager* Manager);
};
