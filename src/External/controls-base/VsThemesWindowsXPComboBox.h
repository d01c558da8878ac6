// The combo box theme: the box and its drop-down button.
#pragma once

#include "VsThemesWindowsXP.h"

// The drop-down button of a combo box: states 1..4.
using TWindowsXPThemeComboBoxDropDown = TWindowsXPThemeStatePart;

class TWindowsXPThemeComboBox : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeComboBox(TWindowsXPThemeManager* Manager);
};
