// The header theme: the bar and its items; items 1 to 3 are three parts of one section.
#pragma once

#include "VsThemesWindowsXP.h"

// A header item: states 1..3.
using TWindowsXPThemeHeaderItem = TWindowsXPThemeStatePart;

class TWindowsXPThemeHeader : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeHeader(TWindowsXPThemeManager* Manager);
};
