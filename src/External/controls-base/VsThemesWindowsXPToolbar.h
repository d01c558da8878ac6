// The toolbar theme: the bar, its buttons and separators.
#pragma once

#include "VsThemesWindowsXP.h"

// A button or separator of a toolbar: states 1..6.
using TWindowsXPThemeToolbarPart = TWindowsXPThemeStatePart;

class TWindowsXPThemeToolbar : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeToolbar(TWindowsXPThemeManager* Manager);
};
