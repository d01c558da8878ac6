// The spin theme: the control and its four arrow buttons.
#pragma once

#include "VsThemesWindowsXP.h"

// An arrow button of a spin control: states 1..4.
using TWindowsXPThemeSpinButton = TWindowsXPThemeStatePart;

class TWindowsXPThemeSpin : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeSpin(TWindowsXPThemeManager* Manager);
};
