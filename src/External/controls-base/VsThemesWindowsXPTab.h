// The tab control theme: the body, the pane and the tab items by position.
#pragma once

#include "VsThemesWindowsXP.h"

// A tab item or the pane: states 1..5; the content lies inside its own
// content margins, or its own sizing margins when it has none.
class TWindowsXPThemeTabPart : public TWindowsXPThemeStatePart {
public:
  using TWindowsXPThemeStatePart::TWindowsXPThemeStatePart;
  void GetThemeBackgroundContentRect(HDC DC, int StateId, const RECT* BoundingRect, RECT* ContentRect) override;
};

class TWindowsXPThemeTab : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeTab(TWindowsXPThemeManager* Manager);
};
