// The tree view theme: the background and the expand glyph.
#pragma once

#include "VsThemesWindowsXP.h"

// The expand and collapse glyph of a tree view: states 1..2.
using TWindowsXPThemeTreeViewGlyph = TWindowsXPThemeStatePart;

class TWindowsXPThemeTreeView : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeTreeView(TWindowsXPThemeManager* Manager);
};
