#include "VsThemesWindowsXPExplorerBar.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "ExplorerBar", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "ExplorerBar.HeaderBackground", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {2, "ExplorerBar.HeaderClose", MakeWindowsXPPart<TWindowsXPThemeExplorerBarButton>, 3, TWindowsXPPartEntry::Root},
    {5, "ExplorerBar.NormalGroupBackground", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {6, "ExplorerBar.NormalGroupCollapse", MakeWindowsXPPart<TWindowsXPThemeExplorerBarButton>, 3,
     TWindowsXPPartEntry::Root},
    {7, "ExplorerBar.NormalGroupExpand", MakeWindowsXPPart<TWindowsXPThemeExplorerBarButton>, 3,
     TWindowsXPPartEntry::Root},
    {8, "ExplorerBar.NormalGroupHead", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {9, "ExplorerBar.SpecialGroupBackground", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {10, "ExplorerBar.SpecialGroupCollapse", MakeWindowsXPPart<TWindowsXPThemeExplorerBarButton>, 3,
     TWindowsXPPartEntry::Root},
    {11, "ExplorerBar.SpecialGroupExpand", MakeWindowsXPPart<TWindowsXPThemeExplorerBarButton>, 3,
     TWindowsXPPartEntry::Root},
    {12, "ExplorerBar.SpecialGroupHead", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeExplorerBar::TWindowsXPThemeExplorerBar(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
