#include "VsThemesWindowsXPSpin.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Spin", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "Spin.Up", MakeWindowsXPPart<TWindowsXPThemeSpinButton>, 4, TWindowsXPPartEntry::Root},
    {2, "Spin.Down", MakeWindowsXPPart<TWindowsXPThemeSpinButton>, 4, TWindowsXPPartEntry::Root},
    {3, "Spin.UpHorz", MakeWindowsXPPart<TWindowsXPThemeSpinButton>, 4, TWindowsXPPartEntry::Root},
    {4, "Spin.DownHorz", MakeWindowsXPPart<TWindowsXPThemeSpinButton>, 4, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeSpin::TWindowsXPThemeSpin(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
