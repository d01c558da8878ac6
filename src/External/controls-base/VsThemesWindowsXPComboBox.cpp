#include "VsThemesWindowsXPComboBox.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "ComboBox", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "ComboBox.DropDownButton", MakeWindowsXPPart<TWindowsXPThemeComboBoxDropDown>, 4, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeComboBox::TWindowsXPThemeComboBox(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
