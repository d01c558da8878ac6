#include "VsThemesWindowsXPProgress.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Progress", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "Progress.Bar", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {2, "Progress.BarVert", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {3, "Progress.Chunk", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {4, "Progress.ChunkVert", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeProgress::TWindowsXPThemeProgress(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
