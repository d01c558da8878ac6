#include "VsThemesWindowsXPTab.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Tab", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {10, "Tab.Body", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {9, "Tab.Pane", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {1, "Tab.TabItem", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {4, "Tab.TabItemBothEdge", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {2, "Tab.TabItemLeftEdge", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {3, "Tab.TabItemRightEdge", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {5, "Tab.TopTabItem", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {8, "Tab.TopTabItemBothEdge", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {6, "Tab.TopTabItemLeftEdge", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
    {7, "Tab.TopTabItemRightEdge", MakeWindowsXPPart<TWindowsXPThemeTabPart>, 5, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeTab::TWindowsXPThemeTab(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}

void TWindowsXPThemeTabPart::GetThemeBackgroundContentRect(HDC, int, const RECT* BoundingRect, RECT* ContentRect) {
  if (!BoundingRect || !ContentRect) return;
  *ContentRect = *BoundingRect;
  if (IsOwnPropertyDefined(TmId::ContentMargins))
    MoveInByMargins(*ContentRect, GetMargins(TmId::ContentMargins));
  else if (IsOwnPropertyDefined(TmId::SizingMargins))
    MoveInByMargins(*ContentRect, GetMargins(TmId::SizingMargins));
}
