// The theme-API table: every themed control reaches the theme functions
// through these variables only, and calls them only while ThemesAvailable is
// true. Bound, they are the system library's functions (or nil where the
// library lacks one); the theme engine may redirect them to its own.
#pragma once

#include "Win.h"

#include <uxtheme.h>

// The 47 entries in table order; each has the signature the platform
// publishes for the function of its name. They live in a struct so that
// they do not clash with the platform's declarations.
struct TVsUxThemeApi {
  decltype(&::IsThemeActive) IsThemeActive;
  decltype(&::EnableTheming) EnableTheming;
  decltype(&::OpenThemeData) OpenThemeData;
  decltype(&::CloseThemeData) CloseThemeData;
  decltype(&::DrawThemeParentBackground) DrawThemeParentBackground;
  decltype(&::DrawThemeBackground) DrawThemeBackground;
  decltype(&::DrawThemeText) DrawThemeText;
  decltype(&::GetThemeBackgroundContentRect) GetThemeBackgroundContentRect;
  decltype(&::GetThemeBackgroundExtent) GetThemeBackgroundExtent;
  decltype(&::GetThemePartSize) GetThemePartSize;
  decltype(&::GetThemeTextExtent) GetThemeTextExtent;
  decltype(&::GetThemeTextMetrics) GetThemeTextMetrics;
  decltype(&::GetThemeBackgroundRegion) GetThemeBackgroundRegion;
  decltype(&::HitTestThemeBackground) HitTestThemeBackground;
  decltype(&::DrawThemeEdge) DrawThemeEdge;
  decltype(&::DrawThemeIcon) DrawThemeIcon;
  decltype(&::IsThemePartDefined) IsThemePartDefined;
  decltype(&::IsThemeBackgroundPartiallyTransparent) IsThemeBackgroundPartiallyTransparent;
  decltype(&::GetThemeColor) GetThemeColor;
  decltype(&::GetThemeMetric) GetThemeMetric;
  decltype(&::GetThemeString) GetThemeString;
  decltype(&::GetThemeBool) GetThemeBool;
  decltype(&::GetThemeInt) GetThemeInt;
  decltype(&::GetThemeEnumValue) GetThemeEnumValue;
  decltype(&::GetThemePosition) GetThemePosition;
  decltype(&::GetThemeFont) GetThemeFont;
  decltype(&::GetThemeRect) GetThemeRect;
  decltype(&::GetThemeMargins) GetThemeMargins;
  decltype(&::GetThemeIntList) GetThemeIntList;
  decltype(&::GetThemePropertyOrigin) GetThemePropertyOrigin;
  decltype(&::SetWindowTheme) SetWindowTheme;
  decltype(&::GetThemeFilename) GetThemeFilename;
  decltype(&::GetThemeSysColor) GetThemeSysColor;
  decltype(&::GetThemeSysColorBrush) GetThemeSysColorBrush;
  decltype(&::GetThemeSysSize) GetThemeSysSize;
  decltype(&::GetThemeSysBool) GetThemeSysBool;
  decltype(&::GetThemeSysFont) GetThemeSysFont;
  decltype(&::GetThemeSysString) GetThemeSysString;
  decltype(&::GetThemeSysInt) GetThemeSysInt;
  decltype(&::IsAppThemed) IsAppThemed;
  decltype(&::GetWindowTheme) GetWindowTheme;
  decltype(&::EnableThemeDialogTexture) EnableThemeDialogTexture;
  decltype(&::IsThemeDialogTextureEnabled) IsThemeDialogTextureEnabled;
  decltype(&::GetThemeAppProperties) GetThemeAppProperties;
  decltype(&::SetThemeAppProperties) SetThemeAppProperties;
  decltype(&::GetCurrentThemeName) GetCurrentThemeName;
  decltype(&::GetThemeDocumentationProperty) GetThemeDocumentationProperty;
};

constexpr int VsUxThemeEntryCount = 47;
static_assert(sizeof(TVsUxThemeApi) == VsUxThemeEntryCount * sizeof(FARPROC));

// The system library's export of each entry, in table order.
extern const char* const VsUxThemeExportNames[VsUxThemeEntryCount];

extern TVsUxThemeApi VsUxThemeApi;  // all nil at start
extern bool ThemesAvailable;        // false at start

// Binds the table to uxtheme.dll: only once, only on the NT platform from
// version 5.1 on, and only when the library loads. ThemesAvailable is then
// true; an export the library lacks leaves its entry nil.
void BindUxTheme();
// Clears the table and frees the library; ThemesAvailable becomes false.
void UnbindUxTheme();

// Draws one part of ClassName's theme through the table. E_NOTIMPL when no
// theme of that class opens (or the table cannot open one); else the result
// of DrawThemeBackground.
HRESULT DrawThemedClassBackground(LPCWSTR ClassName, HDC DC, int PartId, int StateId, const RECT* Rect,
                                  const RECT* ClipRect);
