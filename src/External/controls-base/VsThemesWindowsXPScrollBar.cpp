#include "VsThemesWindowsXPScrollBar.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "ScrollBar", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::NoParent},
    {4, "ScrollBar.LowerTrackHorz", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {6, "ScrollBar.LowerTrackVert", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {2, "ScrollBar.ThumbBtnHorz", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {3, "ScrollBar.ThumbBtnVert", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {5, "ScrollBar.UpperTrackHorz", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {7, "ScrollBar.UpperTrackVert", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {8, "ScrollBar.GripperHorz", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {9, "ScrollBar.GripperVert", MakeWindowsXPPart<TWindowsXPThemeScrollBarPart>, 4, TWindowsXPPartEntry::Root},
    {1, "ScrollBar.ArrowBtn", MakeWindowsXPPart<TWindowsXPThemeScrollBarButton>, 16, TWindowsXPPartEntry::Root},
    {10, "ScrollBar.SizeBox", MakeWindowsXPPart<TWindowsXPThemeScrollBarSizeBox>, 2, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeScrollBar::TWindowsXPThemeScrollBar(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
