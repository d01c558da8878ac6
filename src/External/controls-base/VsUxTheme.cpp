#include "VsUxTheme.h"

#include <cstring>

// The library's export is "GetThemeFilename"; there is no "GetThemeFileName".
const char* const VsUxThemeExportNames[VsUxThemeEntryCount] = {
    "IsThemeActive",
    "EnableTheming",
    "OpenThemeData",
    "CloseThemeData",
    "DrawThemeParentBackground",
    "DrawThemeBackground",
    "DrawThemeText",
    "GetThemeBackgroundContentRect",
    "GetThemeBackgroundExtent",
    "GetThemePartSize",
    "GetThemeTextExtent",
    "GetThemeTextMetrics",
    "GetThemeBackgroundRegion",
    "HitTestThemeBackground",
    "DrawThemeEdge",
    "DrawThemeIcon",
    "IsThemePartDefined",
    "IsThemeBackgroundPartiallyTransparent",
    "GetThemeColor",
    "GetThemeMetric",
    "GetThemeString",
    "GetThemeBool",
    "GetThemeInt",
    "GetThemeEnumValue",
    "GetThemePosition",
    "GetThemeFont",
    "GetThemeRect",
    "GetThemeMargins",
    "GetThemeIntList",
    "GetThemePropertyOrigin",
    "SetWindowTheme",
    "GetThemeFilename",
    "GetThemeSysColor",
    "GetThemeSysColorBrush",
    "GetThemeSysSize",
    "GetThemeSysBool",
    "GetThemeSysFont",
    "GetThemeSysString",
    "GetThemeSysInt",
    "IsAppThemed",
    "GetWindowTheme",
    "EnableThemeDialogTexture",
    "IsThemeDialogTextureEnabled",
    "GetThemeAppProperties",
    "SetThemeAppProperties",
    "GetCurrentThemeName",
    "GetThemeDocumentationProperty",
};

TVsUxThemeApi VsUxThemeApi = {};
bool ThemesAvailable = false;

namespace {

HMODULE UxThemeLibrary = nullptr;
bool UxThemeBound = false;

bool ThemesSupported() {
  OSVERSIONINFOA Info = {};
  Info.dwOSVersionInfoSize = sizeof Info;
  if (!GetVersionExA(&Info) || Info.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  return Info.dwMajorVersion > 5 || (Info.dwMajorVersion == 5 && Info.dwMinorVersion >= 1);
}

}  // namespace

void BindUxTheme() {
  if (UxThemeBound || !ThemesSupported()) return;
  UxThemeLibrary = LoadLibraryA("uxtheme.dll");
  if (!UxThemeLibrary) return;
  // Every entry is a plain function pointer, so the table is filled as the
  // array of addresses it is laid out as.
  FARPROC Entries[VsUxThemeEntryCount];
  for (int I = 0; I < VsUxThemeEntryCount; ++I) Entries[I] = GetProcAddress(UxThemeLibrary, VsUxThemeExportNames[I]);
  std::memcpy(&VsUxThemeApi, Entries, sizeof Entries);
  ThemesAvailable = true;
  UxThemeBound = true;
}

void UnbindUxTheme() {
  if (UxThemeBound && UxThemeLibrary) {
    VsUxThemeApi = TVsUxThemeApi{};
    FreeLibrary(UxThemeLibrary);
    UxThemeLibrary = nullptr;
  }
  ThemesAvailable = false;
  UxThemeBound = false;
}

HRESULT DrawThemedClassBackground(LPCWSTR ClassName, HDC DC, int PartId, int StateId, const RECT* Rect,
                                  const RECT* ClipRect) {
  const TVsUxThemeApi& Api = VsUxThemeApi;
  if (!Api.OpenThemeData || !Api.DrawThemeBackground || !Api.CloseThemeData) return E_NOTIMPL;
  const HTHEME Theme = Api.OpenThemeData(nullptr, ClassName);
  if (!Theme) return E_NOTIMPL;
  const HRESULT Result = Api.DrawThemeBackground(Theme, DC, PartId, StateId, Rect, ClipRect);
  Api.CloseThemeData(Theme);
  return Result;
}
