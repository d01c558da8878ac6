#include "VsThemesWindowsXPButton.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {1, "Button.PushButton", MakeWindowsXPPart<TWindowsXPThemePushButton>, 5, TWindowsXPPartEntry::NoParent},
    {2, "Button.RadioButton", MakeWindowsXPPart<TWindowsXPThemeRadioButton>, 8, TWindowsXPPartEntry::NoParent},
    {3, "Button.CheckBox", MakeWindowsXPPart<TWindowsXPThemeCheckBox>, 12, TWindowsXPPartEntry::NoParent},
    {4, "Button.GroupBox", MakeWindowsXPPart<TWindowsXPThemeGroupBox>, 0, TWindowsXPPartEntry::NoParent},
};

}  // namespace

TWindowsXPThemeButton::TWindowsXPThemeButton(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}

TWindowsXPThemePushButton::TWindowsXPThemePushButton(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                                     const AnsiString& SectionName, int States)
    : TWindowsXPThemeStatePart(Theme, ParentPart, SectionName, States) {
  AddCompanion(4, MakeWindowsXPPart<TWindowsXPThemePushButtonDisabled>(Theme, this, "Button.PushButton(Disabled)", 5));
}

TWindowsXPThemeRadioButton::TWindowsXPThemeRadioButton(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                                       const AnsiString& SectionName, int States)
    : TWindowsXPThemeStatePart(Theme, ParentPart, SectionName, States) {
  AddCompanion(4, MakeWindowsXPPart<TWindowsXPThemeRadioButtonDisabled>(Theme, this,
                                                                        "Button.RadioButton(UncheckedDisabled)", 8));
  AddCompanion(
      8, MakeWindowsXPPart<TWindowsXPThemeRadioButtonDisabled>(Theme, this, "Button.RadioButton(CheckedDisabled)", 8));
}

TWindowsXPThemeCheckBox::TWindowsXPThemeCheckBox(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                                 const AnsiString& SectionName, int States)
    : TWindowsXPThemeStatePart(Theme, ParentPart, SectionName, States) {
  AddCompanion(
      4, MakeWindowsXPPart<TWindowsXPThemeCheckBoxDisabled>(Theme, this, "Button.CheckBox(UncheckedDisabled)", 12));
  AddCompanion(8,
               MakeWindowsXPPart<TWindowsXPThemeCheckBoxDisabled>(Theme, this, "Button.CheckBox(CheckedDisabled)", 12));
  AddCompanion(12,
               MakeWindowsXPPart<TWindowsXPThemeCheckBoxDisabled>(Theme, this, "Button.CheckBox(MixedDisabled)", 12));
}
