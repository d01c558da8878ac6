#include "VsThemesWindowsXPWindow.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "Window", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {29, "Window.Dialog", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {7, "Window.FrameLeft", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {8, "Window.FrameRight", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {9, "Window.FrameBottom", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {10, "Window.SmallFrameLeft", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {11, "Window.SmallFrameRight", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {12, "Window.SmallFrameBottom", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {1, "Window.Caption", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {3, "Window.MinCaption", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {5, "Window.MaxCaption", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {2, "Window.SmallCaption", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {4, "Window.SmallMinCaption", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {6, "Window.SmallMaxCaption", MakeWindowsXPPart<TWindowsXPThemeWindowFrame>, 2, TWindowsXPPartEntry::Root},
    {18, "Window.CloseButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {17, "Window.MaxButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {15, "Window.MinButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {21, "Window.RestoreButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {23, "Window.HelpButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {19, "Window.SmallCloseButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {20, "Window.MDICloseButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {16, "Window.MDIMinButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
    {22, "Window.MDIRestoreButton", MakeWindowsXPPart<TWindowsXPThemeWindowButton>, 8, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeWindow::TWindowsXPThemeWindow(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}
