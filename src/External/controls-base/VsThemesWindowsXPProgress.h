// The progress bar theme: the bars and their chunks, across and upright.
#pragma once

#include "VsThemesWindowsXP.h"

class TWindowsXPThemeProgress : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeProgress(TWindowsXPThemeManager* Manager);
};
