#include "VsThemesWindowsXPToolbar.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Toolbar", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "Toolbar.Button", MakeWindowsXPPart<TWindowsXPThemeToolbarPart>, 6, TWindowsXPPartEntry::Root},
    {2, "Toolbar.DropdownButton", MakeWindowsXPPart<TWindowsXPThemeToolbarPart>, 6, TWindowsXPPartEntry::Root},
    {3, "Toolbar.SplitButton", MakeWindowsXPPart<TWindowsXPThemeToolbarPart>, 6, TWindowsXPPartEntry::Root},
    {4, "Toolbar.SplitButtonDropdown", MakeWindowsXPPart<TWindowsXPThemeToolbarPart>, 6, TWindowsXPPartEntry::Root},
    {5, "Toolbar.Separator", MakeWindowsXPPart<TWindowsXPThemeToolbarPart>, 6, TWindowsXPPartEntry::Root},
    {6, "Toolbar.SeparatorVert", MakeWindowsXPPart<TWindowsXPThemeToolbarPart>, 6, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeToolbar::TWindowsXPThemeToolbar(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
