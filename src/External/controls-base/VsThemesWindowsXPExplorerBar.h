// The explorer bar theme: headers and the normal and special groups.
#pragma once

#include "VsThemesWindowsXP.h"

// A close, collapse or expand button of the explorer bar: states 1..3.
using TWindowsXPThemeExplorerBarButton = TWindowsXPThemeStatePart;

class TWindowsXPThemeExplorerBar : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeExplorerBar(TWindowsXPThemeManager* Manager);
};
