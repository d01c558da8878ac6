// A style part for the tests of the part data: the data and loading of a
// style part, with nothing drawn.
#pragma once

#include "VsThemesWindowsXP.h"

// A part with the data and loading of a style part and nothing drawn.
class TDataPart : public TWindowsXPThemePart {
public:
  using TWindowsXPThemePart::TWindowsXPThemePart;
  void DrawThemeBackground(HDC, int, const RECT*, const RECT*) override {}
  void DrawThemeEdge(HDC, int, const RECT*, UINT, UINT, RECT*) override {}
  void DrawThemeIcon(HDC, int, const RECT*, HIMAGELIST, int) override {}
  void DrawThemeText(HDC, int, LPCWSTR, int, DWORD, DWORD, const RECT*) override {}
  void GetThemeBackgroundContentRect(HDC, int, const RECT*, RECT*) override {}
  void GetThemeBackgroundExtent(HDC, int, const RECT*, RECT*) override {}
  void GetThemeBackgroundRegion(HDC, int, const RECT*, HRGN*) override {}
  void GetThemeBool(int, int, bool&) override {}
  void GetThemeColor(int, int, COLORREF&) override {}
  void GetThemeEnumValue(int, int, int&) override {}
  void GetThemeFilename(int, int, LPWSTR, int) override {}
  void GetThemeFont(HDC, int, int, LOGFONTW&) override {}
  void GetThemeInt(int, int, int&) override {}
  void GetThemeIntList(int, int, INTLIST&) override {}
  void GetThemeMargins(HDC, int, int, RECT*, MARGINS&) override {}
  void GetThemeMetric(HDC, int, int, int&) override {}
  void GetThemePartSize(HDC, int, RECT*, THEMESIZE, SIZE&) override {}
  void GetThemePosition(int, int, POINT&) override {}
  void GetThemePropertyOrigin(int, int, PROPERTYORIGIN&) override {}
  void GetThemeRect(int, int, RECT&) override {}
  void GetThemeString(int, int, LPWSTR, int) override {}
  void GetThemeTextExtent(HDC, int, LPCWSTR, int, DWORD, const RECT*, RECT&) override {}
  void GetThemeTextMetrics(HDC, int, TEXTMETRIC&) override {}
  void HitTestThemeBackground(HDC, int, DWORD, const RECT*, HRGN, POINT, WORD&) override {}
  bool IsThemeBackgroundPartiallyTransparent(int) override { return false; }
  bool IsThemePartDefined(int) override { return false; }
};
