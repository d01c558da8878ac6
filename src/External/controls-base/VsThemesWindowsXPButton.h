// The button theme: push buttons, radio buttons, check boxes and group boxes.
#pragma once

#include "VsThemesWindowsXP.h"

// A group box: always frame 0.
using TWindowsXPThemeGroupBox = TWindowsXPThemeStatePart;

// A push button: states 1..5; the disabled state (4) draws its background
// and text by the section "Button.PushButton(Disabled)".
class TWindowsXPThemePushButton : public TWindowsXPThemeStatePart {
public:
  TWindowsXPThemePushButton(TTheme* Theme, TWindowsXPThemePart* ParentPart, const AnsiString& SectionName, int States);
};
using TWindowsXPThemePushButtonDisabled = TWindowsXPThemeStatePart;

// A radio button: states 1..8; unchecked disabled (4) and checked disabled
// (8) draw by sections of their own.
class TWindowsXPThemeRadioButton : public TWindowsXPThemeStatePart {
public:
  TWindowsXPThemeRadioButton(TTheme* Theme, TWindowsXPThemePart* ParentPart, const AnsiString& SectionName, int States);
};
using TWindowsXPThemeRadioButtonDisabled = TWindowsXPThemeStatePart;

// A check box: states 1..12; unchecked, checked and mixed disabled (4, 8,
// 12) draw by sections of their own.
class TWindowsXPThemeCheckBox : public TWindowsXPThemeStatePart {
public:
  TWindowsXPThemeCheckBox(TTheme* Theme, TWindowsXPThemePart* ParentPart, const AnsiString& SectionName, int States);
};
using TWindowsXPThemeCheckBoxDisabled = TWindowsXPThemeStatePart;

class TWindowsXPThemeButton : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeButton(TWindowsXPThemeManager* Manager);
};
