#include "VsThemesWindowsXPStatus.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Status", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "Status.Pane", MakeWindowsXPPart<TWindowsXPThemeStatusPane>, 0, TWindowsXPPartEntry::Root},
    {2, "Status.GripperPane", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {3, "Status.Gripper", MakeWindowsXPPart<TWindowsXPThemeStatusGripper>, 2, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeStatus::TWindowsXPThemeStatus(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}

void TWindowsXPThemeStatusPane::GetThemeBackgroundContentRect(HDC, int, const RECT* BoundingRect, RECT* ContentRect) {
  if (!BoundingRect || !ContentRect) return;
  *ContentRect = *BoundingRect;
  if (IsOwnPropertyDefined(TmId::SizingMargins)) MoveInByMargins(*ContentRect, GetMargins(TmId::SizingMargins));
  if (IsOwnPropertyDefined(TmId::ContentMargins)) MoveInByMargins(*ContentRect, GetMargins(TmId::ContentMargins));
}

void TWindowsXPThemeStatusPane::GetThemeBackgroundExtent(HDC, int, const RECT* ContentRect, RECT* ExtentRect) {
  if (!ContentRect || !ExtentRect) return;
  *ExtentRect = *ContentRect;
  if (IsOwnPropertyDefined(TmId::ContentMargins)) MoveOutByMargins(*ExtentRect, GetMargins(TmId::ContentMargins));
  if (IsOwnPropertyDefined(TmId::SizingMargins)) MoveOutByMargins(*ExtentRect, GetMargins(TmId::SizingMargins));
}
