#include "VsThemesWindowsXPHeader.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Header", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "Header.HeaderItem", MakeWindowsXPPart<TWindowsXPThemeHeaderItem>, 3, TWindowsXPPartEntry::Root},
    {2, "Header.HeaderItem", MakeWindowsXPPart<TWindowsXPThemeHeaderItem>, 3, TWindowsXPPartEntry::Root},
    {3, "Header.HeaderItem", MakeWindowsXPPart<TWindowsXPThemeHeaderItem>, 3, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeHeader::TWindowsXPThemeHeader(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
