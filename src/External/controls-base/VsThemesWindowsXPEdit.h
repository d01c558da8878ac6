// The edit theme: the frame and the text area, which reads the same section.
#pragma once

#include "VsThemesWindowsXP.h"

// The text area of an edit: disabled (4) and read-only (6) draw their
// background and text by the sections "Edit.Edittext(Disabled)" and
// "Edit.Edittext(ReadOnly)".
class TWindowsXPThemeEditText : public TWindowsXPThemeStatePart {
public:
  TWindowsXPThemeEditText(TTheme* Theme, TWindowsXPThemePart* ParentPart, const AnsiString& SectionName, int States);
};

class TWindowsXPThemeEdit : public TWindowsXPTheme {
public:
  explicit TWindowsXPThemeEdit(TWindowsXPThemeManager* Manager);
};
