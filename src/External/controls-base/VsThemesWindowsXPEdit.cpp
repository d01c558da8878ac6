#include "VsThemesWindowsXPEdit.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Edit", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "Edit", MakeWindowsXPPart<TWindowsXPThemeEditText>, 0, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeEdit::TWindowsXPThemeEdit(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}

TWindowsXPThemeEditText::TWindowsXPThemeEditText(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                                 const AnsiString& SectionName, int States)
    : TWindowsXPThemeStatePart(Theme, ParentPart, SectionName, States) {
  AddCompanion(4, MakeWindowsXPPart<TWindowsXPThemePart>(Theme, this, "Edit.Edittext(Disabled)", 0));
  AddCompanion(6, MakeWindowsXPPart<TWindowsXPThemePart>(Theme, this, "Edit.Edittext(ReadOnly)", 0));
}
