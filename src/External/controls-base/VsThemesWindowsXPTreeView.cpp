#include "VsThemesWindowsXPTreeView.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "TreeView", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {2, "TreeView.Glyph", MakeWindowsXPPart<TWindowsXPThemeTreeViewGlyph>, 2, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeTreeView::TWindowsXPThemeTreeView(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
