// The list view theme: one part, the background.
#pragma once

#include "VsThemesWindowsXP.h"

class TWindowsXPThemeListView : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeListView(TWindowsXPThemeManager* Manager);
};
