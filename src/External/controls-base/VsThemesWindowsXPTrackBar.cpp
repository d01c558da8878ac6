#include "VsThemesWindowsXPTrackBar.h"

namespace {

// Part id, section, part class, states, parent.
const TWindowsXPPartEntry Parts[] = {
    {0, "TrackBar", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::NoParent},
    {1, "TrackBar.Track", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {2, "TrackBar.TrackVert", MakeWindowsXPPart<TWindowsXPThemePart>, 0, TWindowsXPPartEntry::Root},
    {3, "TrackBar.Thumb", MakeWindowsXPPart<TWindowsXPThemeTrackBarThumb>, 5, TWindowsXPPartEntry::Root},
    {4, "TrackBar.ThumbBottom", MakeWindowsXPPart<TWindowsXPThemeTrackBarThumb>, 5, TWindowsXPPartEntry::Root},
    {5, "TrackBar.ThumbTop", MakeWindowsXPPart<TWindowsXPThemeTrackBarThumb>, 5, TWindowsXPPartEntry::Root},
    {6, "TrackBar.ThumbVert", MakeWindowsXPPart<TWindowsXPThemeTrackBarThumb>, 5, TWindowsXPPartEntry::Root},
    {7, "TrackBar.ThumbLeft", MakeWindowsXPPart<TWindowsXPThemeTrackBarThumb>, 5, TWindowsXPPartEntry::Root},
    {8, "TrackBar.ThumbRight", MakeWindowsXPPart<TWindowsXPThemeTrackBarThumb>, 5, TWindowsXPPartEntry::Root},
    {9, "TrackBar.Tics", MakeWindowsXPPart<TWindowsXPThemeTrackBarTics>, 0, TWindowsXPPartEntry::Root},
    {10, "TrackBar.TicsVert", MakeWindowsXPPart<TWindowsXPThemeTrackBarTics>, 0, TWindowsXPPartEntry::Root},
};

}  // namespace

TWindowsXPThemeTrackBar::TWindowsXPThemeTrackBar(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  AddWindowsXPParts(*this, Parts);
}

void TWindowsXPThemeTrackBarTics::DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) {
  if (!Rect || !IsOwnPropertyDefined(TmId::Color)) {
    TWindowsXPThemeStatePart::DrawThemeBackground(DC, StateId, Rect, ClipRect);
    return;
  }
  // The line lies on the last row or column inside the rectangle.
  const int Width = Rect->right - Rect->left, Height = Rect->bottom - Rect->top;
  const HBRUSH Brush = CreateSolidBrush(GetColor(TmId::Color));
  const HGDIOBJ Old = SelectObject(DC, Brush);
  if (Width > Height)
    PatBlt(DC, Rect->left, Rect->bottom - 1, Width, 1, PATCOPY);
  else
    PatBlt(DC, Rect->right - 1, Rect->top, 1, Height, PATCOPY);
  SelectObject(DC, Old);
  DeleteObject(Brush);
}
