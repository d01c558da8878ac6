#include "VsThemesGeneral.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "VsThemesWindowsXP.h"

namespace {

// Every theme that exists; a theme handle is valid exactly when it is here.
std::vector<TTheme*> ThemeRegistry;

TThemeManager* CurrentThemeManager = nullptr;

// Copies Text into Buffer as far as it fits with its terminator; nothing for
// a nil buffer or one without room.
void CopyToBuffer(const WideString& Text, LPWSTR Buffer, int BufferChars) {
  if (!Buffer || BufferChars <= 0) return;
  const size_t Count = std::min(Text.size(), static_cast<size_t>(BufferChars - 1));
  std::copy_n(Text.data(), Count, Buffer);
  Buffer[Count] = L'\0';
}

// The system's non-client metrics in their 8-bit layout without the padded
// border width (340 bytes), which every system version accepts.
NONCLIENTMETRICSA NonClientMetrics() {
  NONCLIENTMETRICSA Metrics = {};
  Metrics.cbSize = 340;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, Metrics.cbSize, &Metrics, 0);
  return Metrics;
}

// Font with its face name in UTF-16 (at most 31 units and a terminator).
LOGFONTW WideFont(const LOGFONTA& Font) {
  LOGFONTW Result = {};
  std::memcpy(&Result, &Font, offsetof(LOGFONTA, lfFaceName));
  char Face[LF_FACESIZE + 1] = {};
  std::memcpy(Face, Font.lfFaceName, LF_FACESIZE);
  CopyToBuffer(AnsiToWide(Face), Result.lfFaceName, LF_FACESIZE);
  return Result;
}

[[noreturn]] void UnknownMetric(const char* Kind, int Id) {
  throw EThemeError(Format("Unknown system metric %s [%d]", Kind, Id));
}

}  // namespace

bool IsThemeHandle(HTHEME Handle) { return ThemeOfHandle(Handle) != nullptr; }

TTheme* ThemeOfHandle(HTHEME Handle) {
  if (!Handle) return nullptr;
  for (TTheme* Theme : ThemeRegistry)
    if (Theme->Handle() == Handle) return Theme;
  return nullptr;
}

// TTheme

TTheme::TTheme(TThemeManager* Manager) : FManager(Manager) { ThemeRegistry.push_back(this); }

TTheme::~TTheme() {
  if (OnDestroy) OnDestroy(this);
  ClearParts();
  std::erase(ThemeRegistry, this);
}

void TTheme::AddPart(int PartId, TThemePart* Part) {
  TOwned<TThemePart> Owned(Part);
  FPartIds.push_back(PartId);
  FParts.push_back(std::move(Owned));
}

void TTheme::ClearParts() {
  FParts.clear();
  FPartIds.clear();
}

TThemePart* TTheme::GetPart(int PartId) const {
  const auto It = std::find(FPartIds.begin(), FPartIds.end(), PartId);
  return It == FPartIds.end() ? nullptr : FParts[It - FPartIds.begin()].get();
}

TThemePart* TTheme::Part(int PartId) const {
  TThemePart* Result = GetPart(PartId);
  if (!Result) throw EThemeError(Format("Unknown theme part [%d]", PartId));
  return Result;
}

void TTheme::DrawThemeBackground(HDC DC, int PartId, int StateId, const RECT* Rect, const RECT* ClipRect) {
  Part(PartId)->DrawThemeBackground(DC, StateId, Rect, ClipRect);
}
void TTheme::DrawThemeEdge(HDC DC, int PartId, int StateId, const RECT* DestRect, UINT Edge, UINT Flags,
                           RECT* ContentRect) {
  Part(PartId)->DrawThemeEdge(DC, StateId, DestRect, Edge, Flags, ContentRect);
}
void TTheme::DrawThemeIcon(HDC DC, int PartId, int StateId, const RECT* Rect, HIMAGELIST ImageList, int ImageIndex) {
  Part(PartId)->DrawThemeIcon(DC, StateId, Rect, ImageList, ImageIndex);
}
void TTheme::DrawThemeText(HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                           DWORD TextFlags2, const RECT* Rect) {
  Part(PartId)->DrawThemeText(DC, StateId, Text, CharCount, TextFlags, TextFlags2, Rect);
}
void TTheme::GetThemeBackgroundContentRect(HDC DC, int PartId, int StateId, const RECT* BoundingRect,
                                           RECT* ContentRect) {
  Part(PartId)->GetThemeBackgroundContentRect(DC, StateId, BoundingRect, ContentRect);
}
void TTheme::GetThemeBackgroundExtent(HDC DC, int PartId, int StateId, const RECT* ContentRect, RECT* ExtentRect) {
  Part(PartId)->GetThemeBackgroundExtent(DC, StateId, ContentRect, ExtentRect);
}
void TTheme::GetThemeBackgroundRegion(HDC DC, int PartId, int StateId, const RECT* Rect, HRGN* Region) {
  Part(PartId)->GetThemeBackgroundRegion(DC, StateId, Rect, Region);
}
void TTheme::GetThemeBool(int PartId, int StateId, int PropId, bool& Value) {
  Part(PartId)->GetThemeBool(StateId, PropId, Value);
}
void TTheme::GetThemeColor(int PartId, int StateId, int PropId, COLORREF& Color) {
  Part(PartId)->GetThemeColor(StateId, PropId, Color);
}
void TTheme::GetThemeEnumValue(int PartId, int StateId, int PropId, int& Value) {
  Part(PartId)->GetThemeEnumValue(StateId, PropId, Value);
}
void TTheme::GetThemeFilename(int PartId, int StateId, int PropId, LPWSTR Buffer, int BufferChars) {
  Part(PartId)->GetThemeFilename(StateId, PropId, Buffer, BufferChars);
}
void TTheme::GetThemeFont(HDC DC, int PartId, int StateId, int PropId, LOGFONTW& Font) {
  Part(PartId)->GetThemeFont(DC, StateId, PropId, Font);
}
void TTheme::GetThemeInt(int PartId, int StateId, int PropId, int& Value) {
  Part(PartId)->GetThemeInt(StateId, PropId, Value);
}
void TTheme::GetThemeIntList(int PartId, int StateId, int PropId, INTLIST& List) {
  Part(PartId)->GetThemeIntList(StateId, PropId, List);
}
void TTheme::GetThemeMargins(HDC DC, int PartId, int StateId, int PropId, const RECT* Rect, MARGINS& Margins) {
  TThemePart* Target = Part(PartId);
  RECT Copy = Rect ? *Rect : RECT{};
  Target->GetThemeMargins(DC, StateId, PropId, Rect ? &Copy : nullptr, Margins);
}
void TTheme::GetThemeMetric(HDC DC, int PartId, int StateId, int PropId, int& Value) {
  Part(PartId)->GetThemeMetric(DC, StateId, PropId, Value);
}
void TTheme::GetThemePartSize(HDC DC, int PartId, int StateId, RECT* Rect, THEMESIZE Kind, SIZE& Size) {
  Part(PartId)->GetThemePartSize(DC, StateId, Rect, Kind, Size);
}
void TTheme::GetThemePosition(int PartId, int StateId, int PropId, POINT& Point) {
  Part(PartId)->GetThemePosition(StateId, PropId, Point);
}
void TTheme::GetThemePropertyOrigin(int PartId, int StateId, int PropId, PROPERTYORIGIN& Origin) {
  Part(PartId)->GetThemePropertyOrigin(StateId, PropId, Origin);
}
void TTheme::GetThemeRect(int PartId, int StateId, int PropId, RECT& Rect) {
  Part(PartId)->GetThemeRect(StateId, PropId, Rect);
}
void TTheme::GetThemeString(int PartId, int StateId, int PropId, LPWSTR Buffer, int BufferChars) {
  Part(PartId)->GetThemeString(StateId, PropId, Buffer, BufferChars);
}

bool TTheme::GetThemeSysBool(int BoolId) {
  if (BoolId != 1001) UnknownMetric("boolean", BoolId);
  BOOL Flat = FALSE;
  SystemParametersInfoW(SPI_GETFLATMENU, 0, &Flat, 0);
  return Flat != FALSE;
}

COLORREF TTheme::GetThemeSysColor(int ColorId) { UnknownMetric("color", ColorId); }

HBRUSH TTheme::GetThemeSysColorBrush(int ColorId) { UnknownMetric("color", ColorId); }

void TTheme::GetThemeSysFont(int FontId, LOGFONTW& Font) {
  if (FontId == 806) {
    LOGFONTA IconFont = {};
    SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof IconFont, &IconFont, 0);
    Font = WideFont(IconFont);
    return;
  }
  if (FontId < 801 || FontId > 805) UnknownMetric("font", FontId);
  const NONCLIENTMETRICSA Metrics = NonClientMetrics();
  const LOGFONTA* Fonts[] = {&Metrics.lfCaptionFont, &Metrics.lfSmCaptionFont, &Metrics.lfMenuFont,
                             &Metrics.lfStatusFont, &Metrics.lfMessageFont};
  Font = WideFont(*Fonts[FontId - 801]);
}

void TTheme::GetThemeSysInt(int IntId, int& Value) {
  static constexpr int Caps[] = {LOGPIXELSX, LOGPIXELSY, BITSPIXEL};
  if (IntId < 1301 || IntId > 1303) UnknownMetric("int", IntId);
  HDC Screen = GetDC(nullptr);
  Value = GetDeviceCaps(Screen, Caps[IntId - 1301]);
  ReleaseDC(nullptr, Screen);
}

int TTheme::GetThemeSysSize(int SizeId) {
  if (SizeId < 1201 || SizeId > 1209) UnknownMetric("size", SizeId);
  const NONCLIENTMETRICSA M = NonClientMetrics();
  const int Sizes[] = {M.iBorderWidth,      M.iScrollWidth,   M.iScrollHeight, M.iCaptionWidth, M.iCaptionHeight,
                       M.iSmCaptionWidth,   M.iSmCaptionHeight, M.iMenuWidth,  M.iMenuHeight};
  return Sizes[SizeId - 1201];
}

void TTheme::GetThemeSysString(int StringId, LPWSTR Buffer, int BufferChars) {
  if (StringId < 1401 || StringId > 1402 || !Buffer || BufferChars <= 0) UnknownMetric("string", StringId);
  Buffer[0] = L'\0';
}

void TTheme::GetThemeTextExtent(HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                                const RECT* BoundingRect, RECT& ExtentRect) {
  TThemePart* Target = Part(PartId);
  ExtentRect = BoundingRect ? *BoundingRect : RECT{};
  RECT Copy = BoundingRect ? *BoundingRect : RECT{};
  Target->GetThemeTextExtent(DC, StateId, Text, CharCount, TextFlags, BoundingRect ? &Copy : nullptr, ExtentRect);
}
void TTheme::GetThemeTextMetrics(HDC DC, int PartId, int StateId, TEXTMETRIC& Metrics) {
  Part(PartId)->GetThemeTextMetrics(DC, StateId, Metrics);
}
void TTheme::HitTestThemeBackground(HDC DC, int PartId, int StateId, DWORD Options, const RECT* Rect, HRGN Region,
                                    POINT Point, WORD& HitTestCode) {
  Part(PartId)->HitTestThemeBackground(DC, StateId, Options, Rect, Region, Point, HitTestCode);
}
bool TTheme::IsThemeBackgroundPartiallyTransparent(int PartId, int StateId) {
  return Part(PartId)->IsThemeBackgroundPartiallyTransparent(StateId);
}
bool TTheme::IsThemePartDefined(int PartId, int StateId) { return Part(PartId)->IsThemePartDefined(StateId); }

// TThemeManager

TThemeManager::TThemeManager() : FThemes(new TVsWideStringList), FColorSchemes(new TVsWideStringList) {
  FThemes->SetSorted(true);
}

TThemeManager::~TThemeManager() { Unload(); }

WideString TThemeManager::GetColorScheme(int Index) const { return FColorSchemes->Strings(Index); }

int TThemeManager::GetColorSchemeCount() const { return FColorSchemes->Count(); }

void TThemeManager::RegisterTheme(const WideString& ClassList, TTheme* Theme) {
  Theme->OnDestroy = TNotifyEvent(this, &TThemeManager::ThemeDestroyed);
  FThemes->AddObject(ClassList, Theme);
}

void TThemeManager::ThemeDestroyed(TObject* Sender) {
  const int Index = IndexOfTheme(static_cast<TTheme*>(Sender));
  if (Index >= 0) FThemes->Delete(Index);
}

void TThemeManager::FreeThemes() {
  for (int I = 0; I < FThemes->Count(); ++I) {
    TObject* Object = FThemes->Objects(I);
    FThemes->PutObject(I, nullptr);
    TTheme* Theme = ThemeOfHandle(reinterpret_cast<HTHEME>(static_cast<TTheme*>(Object)));
    if (!Theme) continue;
    Theme->SetManager(nullptr);
    Theme->OnDestroy = nullptr;
    Theme->Free();
  }
  FThemes->Clear();
}

TTheme* TThemeManager::GetTheme(const WideString& ClassList) {
  int Index = 0;
  if (FThemes->Find(ClassList, Index)) return static_cast<TTheme*>(FThemes->Objects(Index));
  TTheme* Theme = CreateTheme(ClassList);
  if (Theme) RegisterTheme(ClassList, Theme);
  return Theme;
}

int TThemeManager::IndexOfTheme(TTheme* Theme) const { return FThemes->IndexOfObject(Theme); }

void TThemeManager::CloseThemeData(HTHEME) {}

void TThemeManager::DrawThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                        const RECT* ClipRect) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->DrawThemeBackground(DC, PartId, StateId, Rect, ClipRect);
}
void TThemeManager::DrawThemeEdge(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* DestRect, UINT Edge,
                                  UINT Flags, RECT* ContentRect) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->DrawThemeEdge(DC, PartId, StateId, DestRect, Edge, Flags, ContentRect);
}
void TThemeManager::DrawThemeIcon(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                  HIMAGELIST ImageList, int ImageIndex) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->DrawThemeIcon(DC, PartId, StateId, Rect, ImageList, ImageIndex);
}

void TThemeManager::DrawThemeParentBackground(HWND Window, HDC DC, const RECT* Rect) {
  const HWND Parent = GetParent(Window);
  if (!Parent) return;
  // Where Window's client area lies in its parent's.
  POINT Origin = {0, 0};
  MapWindowPoints(Window, Parent, &Origin, 1);
  const int Saved = SaveDC(DC);
  if (Rect) IntersectClipRect(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  SetMapMode(DC, MM_ANISOTROPIC);
  OffsetViewportOrgEx(DC, -Origin.x, -Origin.y, nullptr);
  SendMessageW(Parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  RestoreDC(DC, Saved);
}

void TThemeManager::DrawThemeText(HTHEME Theme, HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount,
                                  DWORD TextFlags, DWORD TextFlags2, const RECT* Rect) {
  if (TTheme* T = ThemeOfHandle(Theme))
    T->DrawThemeText(DC, PartId, StateId, Text, CharCount, TextFlags, TextFlags2, Rect);
}
void TThemeManager::EnableThemeDialogTexture(HWND, DWORD) {}
void TThemeManager::EnableTheming(bool) {}

void TThemeManager::GetCurrentThemeName(LPWSTR NameBuffer, int NameChars, LPWSTR ColorBuffer, int ColorChars,
                                        LPWSTR SizeBuffer, int SizeChars) {
  CopyToBuffer(FFileName, NameBuffer, NameChars);
  CopyToBuffer(FColorSchemeName, ColorBuffer, ColorChars);
  CopyToBuffer(WideString(), SizeBuffer, SizeChars);
}

DWORD TThemeManager::GetThemeAppProperties() { return STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS; }

void TThemeManager::GetThemeBackgroundContentRect(HTHEME Theme, HDC DC, int PartId, int StateId,
                                                  const RECT* BoundingRect, RECT* ContentRect) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeBackgroundContentRect(DC, PartId, StateId, BoundingRect, ContentRect);
}
void TThemeManager::GetThemeBackgroundExtent(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* ContentRect,
                                             RECT* ExtentRect) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeBackgroundExtent(DC, PartId, StateId, ContentRect, ExtentRect);
}
void TThemeManager::GetThemeBackgroundRegion(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                             HRGN* Region) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeBackgroundRegion(DC, PartId, StateId, Rect, Region);
}
void TThemeManager::GetThemeBool(HTHEME Theme, int PartId, int StateId, int PropId, bool& Value) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeBool(PartId, StateId, PropId, Value);
}
void TThemeManager::GetThemeColor(HTHEME Theme, int PartId, int StateId, int PropId, COLORREF& Color) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeColor(PartId, StateId, PropId, Color);
}
void TThemeManager::GetThemeDocumentationProperty(LPCWSTR, LPCWSTR, LPWSTR Buffer, int BufferChars) {
  CopyToBuffer(WideString(), Buffer, BufferChars);
}
void TThemeManager::GetThemeEnumValue(HTHEME Theme, int PartId, int StateId, int PropId, int& Value) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeEnumValue(PartId, StateId, PropId, Value);
}
void TThemeManager::GetThemeFilename(HTHEME Theme, int PartId, int StateId, int PropId, LPWSTR Buffer,
                                     int BufferChars) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeFilename(PartId, StateId, PropId, Buffer, BufferChars);
}
void TThemeManager::GetThemeFont(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, LOGFONTW& Font) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeFont(DC, PartId, StateId, PropId, Font);
}
void TThemeManager::GetThemeInt(HTHEME Theme, int PartId, int StateId, int PropId, int& Value) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeInt(PartId, StateId, PropId, Value);
}
void TThemeManager::GetThemeIntList(HTHEME Theme, int PartId, int StateId, int PropId, INTLIST& List) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeIntList(PartId, StateId, PropId, List);
}
void TThemeManager::GetThemeMargins(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, const RECT* Rect,
                                    MARGINS& Margins) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeMargins(DC, PartId, StateId, PropId, Rect, Margins);
}
void TThemeManager::GetThemeMetric(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, int& Value) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeMetric(DC, PartId, StateId, PropId, Value);
}
void TThemeManager::GetThemePartSize(HTHEME Theme, HDC DC, int PartId, int StateId, RECT* Rect, THEMESIZE Kind,
                                     SIZE& Size) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemePartSize(DC, PartId, StateId, Rect, Kind, Size);
}
void TThemeManager::GetThemePosition(HTHEME Theme, int PartId, int StateId, int PropId, POINT& Point) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemePosition(PartId, StateId, PropId, Point);
}
void TThemeManager::GetThemePropertyOrigin(HTHEME Theme, int PartId, int StateId, int PropId,
                                           PROPERTYORIGIN& Origin) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemePropertyOrigin(PartId, StateId, PropId, Origin);
}
void TThemeManager::GetThemeRect(HTHEME Theme, int PartId, int StateId, int PropId, RECT& Rect) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeRect(PartId, StateId, PropId, Rect);
}
void TThemeManager::GetThemeString(HTHEME Theme, int PartId, int StateId, int PropId, LPWSTR Buffer,
                                   int BufferChars) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeString(PartId, StateId, PropId, Buffer, BufferChars);
}

bool TThemeManager::GetThemeSysBool(HTHEME Theme, int BoolId) {
  if (TTheme* T = ThemeOfHandle(Theme)) return T->GetThemeSysBool(BoolId);
  UnknownMetric("boolean", BoolId);
}
COLORREF TThemeManager::GetThemeSysColor(HTHEME Theme, int ColorId) {
  if (TTheme* T = ThemeOfHandle(Theme)) return T->GetThemeSysColor(ColorId);
  UnknownMetric("color", ColorId);
}
HBRUSH TThemeManager::GetThemeSysColorBrush(HTHEME Theme, int ColorId) {
  if (TTheme* T = ThemeOfHandle(Theme)) return T->GetThemeSysColorBrush(ColorId);
  UnknownMetric("color", ColorId);
}
void TThemeManager::GetThemeSysFont(HTHEME Theme, int FontId, LOGFONTW& Font) {
  TTheme* T = ThemeOfHandle(Theme);
  if (!T) UnknownMetric("font", FontId);
  T->GetThemeSysFont(FontId, Font);
}
void TThemeManager::GetThemeSysInt(HTHEME Theme, int IntId, int& Value) {
  TTheme* T = ThemeOfHandle(Theme);
  if (!T) UnknownMetric("int", IntId);
  T->GetThemeSysInt(IntId, Value);
}
int TThemeManager::GetThemeSysSize(HTHEME Theme, int SizeId) {
  if (TTheme* T = ThemeOfHandle(Theme)) return T->GetThemeSysSize(SizeId);
  UnknownMetric("size", SizeId);
}
void TThemeManager::GetThemeSysString(HTHEME Theme, int StringId, LPWSTR Buffer, int BufferChars) {
  TTheme* T = ThemeOfHandle(Theme);
  if (!T) UnknownMetric("string", StringId);
  T->GetThemeSysString(StringId, Buffer, BufferChars);
}

void TThemeManager::GetThemeTextExtent(HTHEME Theme, HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount,
                                       DWORD TextFlags, const RECT* BoundingRect, RECT& ExtentRect) {
  if (TTheme* T = ThemeOfHandle(Theme))
    T->GetThemeTextExtent(DC, PartId, StateId, Text, CharCount, TextFlags, BoundingRect, ExtentRect);
  else if (BoundingRect)
    ExtentRect = *BoundingRect;
}
void TThemeManager::GetThemeTextMetrics(HTHEME Theme, HDC DC, int PartId, int StateId, TEXTMETRIC& Metrics) {
  if (TTheme* T = ThemeOfHandle(Theme)) T->GetThemeTextMetrics(DC, PartId, StateId, Metrics);
}
HTHEME TThemeManager::GetWindowTheme(HWND) { return nullptr; }
void TThemeManager::HitTestThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, DWORD Options,
                                           const RECT* Rect, HRGN Region, POINT Point, WORD& HitTestCode) {
  if (TTheme* T = ThemeOfHandle(Theme))
    T->HitTestThemeBackground(DC, PartId, StateId, Options, Rect, Region, Point, HitTestCode);
}
bool TThemeManager::IsThemeBackgroundPartiallyTransparent(HTHEME Theme, int PartId, int StateId) {
  TTheme* T = ThemeOfHandle(Theme);
  return T && T->IsThemeBackgroundPartiallyTransparent(PartId, StateId);
}
bool TThemeManager::IsThemeDialogTextureEnabled(HWND) { return false; }
bool TThemeManager::IsThemePartDefined(HTHEME Theme, int PartId, int StateId) {
  TTheme* T = ThemeOfHandle(Theme);
  return T && T->IsThemePartDefined(PartId, StateId);
}
TTheme* TThemeManager::OpenThemeData(HWND, const WideString& ClassList) { return GetTheme(ClassList); }
void TThemeManager::SetThemeAppProperties(DWORD) {}
void TThemeManager::SetWindowTheme(HWND, LPCWSTR, LPCWSTR) {}

void TThemeManager::LoadFromFile(const WideString& FileName) { FFileName = FileName; }

void TThemeManager::Unload() {
  FreeThemes();
  FColorSchemes->Clear();
  FFileName.clear();
}

void TThemeManager::Activate(const WideString& SchemeName) { SetColorScheme(SchemeName); }

void TThemeManager::SetColorScheme(const WideString& SchemeName) {
  if (!SchemeName.empty() && FColorSchemes->IndexOf(SchemeName) < 0)
    throw EThemeError(Format("Unknown theme color scheme [%s]", WideToAnsi(SchemeName)));
  FColorSchemeName = SchemeName;
}

void TThemeManager::Deactivate() {
  FreeThemes();
  FColorSchemeName.clear();
}

// The manager routines

TOwned<TThemeManager> CreateThemeManager(LPCWSTR FileName) {
  try {
    TOwned<TThemeManager> Manager(new TWindowsXPThemeManager);
    Manager->LoadFromFile(FileName ? FileName : L"");
    return Manager;
  } catch (...) {
    return nullptr;
  }
}

HRESULT FreeThemeManager(TOwned<TThemeManager> Manager) {
  try {
    if (Manager.get() == CurrentThemeManager) ClearCurrentThemeManager();
    Manager.reset();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT ActivateThemeManager(TThemeManager* Manager, LPCWSTR SchemeName) {
  if (!Manager) return E_FAIL;
  const WideString Name = SchemeName ? SchemeName : L"";
  try {
    if (Manager == CurrentThemeManager) {
      Manager->SetColorScheme(Name);
      return S_OK;
    }
    TThemeManager* Old = CurrentThemeManager;
    Manager->Activate(Name);
    CurrentThemeManager = Manager;
    if (Old) Old->Deactivate();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

void ClearCurrentThemeManager() {
  TThemeManager* Old = CurrentThemeManager;
  CurrentThemeManager = nullptr;
  if (!Old) return;
  try {
    Old->Deactivate();
  } catch (...) {
  }
}

TThemeManager* GetCurrentThemeManager() { return CurrentThemeManager; }

// The wrappers

namespace {

// Calls Call with the current manager; Failure when there is none or
// anything raised.
template <class R, class F> R Guarded(R Failure, F&& Call) noexcept {
  try {
    if (CurrentThemeManager) return Call(*CurrentThemeManager);
  } catch (...) {
  }
  return Failure;
}

// The same for operations whose only result is whether they raised.
template <class F> HRESULT GuardedCall(F&& Call) noexcept {
  return Guarded(E_FAIL, [&](TThemeManager& M) {
    Call(M);
    return S_OK;
  });
}

BOOL AsBool(bool Value) { return Value ? TRUE : FALSE; }

BOOL WINAPI WrapIsThemeActive() noexcept { return AsBool(CurrentThemeManager != nullptr); }

HRESULT WINAPI WrapEnableTheming(BOOL Enable) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.EnableTheming(Enable != FALSE); });
}

HTHEME WINAPI WrapOpenThemeData(HWND Window, LPCWSTR ClassList) noexcept {
  return Guarded(HTHEME(nullptr), [&](TThemeManager& M) {
    TTheme* Theme = M.OpenThemeData(Window, ClassList ? ClassList : L"");
    return Theme ? Theme->Handle() : nullptr;
  });
}

// A handle of the current manager stays open; one that outlived its manager
// (or any handle while no manager is current) is freed here.
HRESULT WINAPI WrapCloseThemeData(HTHEME Handle) noexcept {
  try {
    TTheme* Theme = ThemeOfHandle(Handle);
    if (!Theme) return E_FAIL;
    if (CurrentThemeManager && Theme->Manager() == CurrentThemeManager)
      CurrentThemeManager->CloseThemeData(Handle);
    else
      Theme->Free();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT WINAPI WrapDrawThemeParentBackground(HWND Window, HDC DC, RECT* Rect) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.DrawThemeParentBackground(Window, DC, Rect); });
}

HRESULT WINAPI WrapDrawThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                       const RECT* ClipRect) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.DrawThemeBackground(Theme, DC, PartId, StateId, Rect, ClipRect); });
}

HRESULT WINAPI WrapDrawThemeText(HTHEME Theme, HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount,
                                 DWORD TextFlags, DWORD TextFlags2, const RECT* Rect) noexcept {
  return GuardedCall([&](TThemeManager& M) {
    M.DrawThemeText(Theme, DC, PartId, StateId, Text, CharCount, TextFlags, TextFlags2, Rect);
  });
}

HRESULT WINAPI WrapGetThemeBackgroundContentRect(HTHEME Theme, HDC DC, int PartId, int StateId,
                                                 const RECT* BoundingRect, RECT* ContentRect) noexcept {
  return GuardedCall([&](TThemeManager& M) {
    M.GetThemeBackgroundContentRect(Theme, DC, PartId, StateId, BoundingRect, ContentRect);
  });
}

HRESULT WINAPI WrapGetThemeBackgroundExtent(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* ContentRect,
                                            RECT* ExtentRect) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.GetThemeBackgroundExtent(Theme, DC, PartId, StateId, ContentRect, ExtentRect); });
}

HRESULT WINAPI WrapGetThemePartSize(HTHEME Theme, HDC DC, int PartId, int StateId, RECT* Rect, THEMESIZE Kind,
                                    SIZE* Size) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemePartSize(Theme, DC, PartId, StateId, Rect, Kind, *Size); });
}

HRESULT WINAPI WrapGetThemeTextExtent(HTHEME Theme, HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount,
                                      DWORD TextFlags, const RECT* BoundingRect, RECT* ExtentRect) noexcept {
  return GuardedCall([&](TThemeManager& M) {
    M.GetThemeTextExtent(Theme, DC, PartId, StateId, Text, CharCount, TextFlags, BoundingRect, *ExtentRect);
  });
}

HRESULT WINAPI WrapGetThemeTextMetrics(HTHEME Theme, HDC DC, int PartId, int StateId, TEXTMETRIC* Metrics) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeTextMetrics(Theme, DC, PartId, StateId, *Metrics); });
}

HRESULT WINAPI WrapGetThemeBackgroundRegion(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                            HRGN* Region) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeBackgroundRegion(Theme, DC, PartId, StateId, Rect, Region); });
}

HRESULT WINAPI WrapHitTestThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, DWORD Options,
                                          const RECT* Rect, HRGN Region, POINT Point, WORD* HitTestCode) noexcept {
  return GuardedCall([&](TThemeManager& M) {
    M.HitTestThemeBackground(Theme, DC, PartId, StateId, Options, Rect, Region, Point, *HitTestCode);
  });
}

HRESULT WINAPI WrapDrawThemeEdge(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* DestRect, UINT Edge,
                                 UINT Flags, RECT* ContentRect) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.DrawThemeEdge(Theme, DC, PartId, StateId, DestRect, Edge, Flags, ContentRect); });
}

HRESULT WINAPI WrapDrawThemeIcon(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                 HIMAGELIST ImageList, int ImageIndex) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.DrawThemeIcon(Theme, DC, PartId, StateId, Rect, ImageList, ImageIndex); });
}

BOOL WINAPI WrapIsThemePartDefined(HTHEME Theme, int PartId, int StateId) noexcept {
  return Guarded(BOOL(FALSE), [&](TThemeManager& M) { return AsBool(M.IsThemePartDefined(Theme, PartId, StateId)); });
}

BOOL WINAPI WrapIsThemeBackgroundPartiallyTransparent(HTHEME Theme, int PartId, int StateId) noexcept {
  return Guarded(BOOL(FALSE), [&](TThemeManager& M) {
    return AsBool(M.IsThemeBackgroundPartiallyTransparent(Theme, PartId, StateId));
  });
}

HRESULT WINAPI WrapGetThemeColor(HTHEME Theme, int PartId, int StateId, int PropId, COLORREF* Color) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeColor(Theme, PartId, StateId, PropId, *Color); });
}

HRESULT WINAPI WrapGetThemeMetric(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, int* Value) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeMetric(Theme, DC, PartId, StateId, PropId, *Value); });
}

HRESULT WINAPI WrapGetThemeString(HTHEME Theme, int PartId, int StateId, int PropId, LPWSTR Buffer,
                                  int BufferChars) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.GetThemeString(Theme, PartId, StateId, PropId, Buffer, BufferChars); });
}

HRESULT WINAPI WrapGetThemeBool(HTHEME Theme, int PartId, int StateId, int PropId, BOOL* Value) noexcept {
  return GuardedCall([&](TThemeManager& M) {
    bool B = *Value != FALSE;
    M.GetThemeBool(Theme, PartId, StateId, PropId, B);
    *Value = AsBool(B);
  });
}

HRESULT WINAPI WrapGetThemeInt(HTHEME Theme, int PartId, int StateId, int PropId, int* Value) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeInt(Theme, PartId, StateId, PropId, *Value); });
}

HRESULT WINAPI WrapGetThemeEnumValue(HTHEME Theme, int PartId, int StateId, int PropId, int* Value) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeEnumValue(Theme, PartId, StateId, PropId, *Value); });
}

HRESULT WINAPI WrapGetThemePosition(HTHEME Theme, int PartId, int StateId, int PropId, POINT* Point) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemePosition(Theme, PartId, StateId, PropId, *Point); });
}

HRESULT WINAPI WrapGetThemeFont(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, LOGFONTW* Font) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeFont(Theme, DC, PartId, StateId, PropId, *Font); });
}

HRESULT WINAPI WrapGetThemeRect(HTHEME Theme, int PartId, int StateId, int PropId, RECT* Rect) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeRect(Theme, PartId, StateId, PropId, *Rect); });
}

HRESULT WINAPI WrapGetThemeMargins(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, RECT* Rect,
                                   MARGINS* Margins) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.GetThemeMargins(Theme, DC, PartId, StateId, PropId, Rect, *Margins); });
}

HRESULT WINAPI WrapGetThemeIntList(HTHEME Theme, int PartId, int StateId, int PropId, INTLIST* List) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeIntList(Theme, PartId, StateId, PropId, *List); });
}

HRESULT WINAPI WrapGetThemePropertyOrigin(HTHEME Theme, int PartId, int StateId, int PropId,
                                          PROPERTYORIGIN* Origin) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemePropertyOrigin(Theme, PartId, StateId, PropId, *Origin); });
}

HRESULT WINAPI WrapSetWindowTheme(HWND Window, LPCWSTR SubAppName, LPCWSTR SubIdList) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.SetWindowTheme(Window, SubAppName, SubIdList); });
}

HRESULT WINAPI WrapGetThemeFilename(HTHEME Theme, int PartId, int StateId, int PropId, LPWSTR Buffer,
                                    int BufferChars) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.GetThemeFilename(Theme, PartId, StateId, PropId, Buffer, BufferChars); });
}

COLORREF WINAPI WrapGetThemeSysColor(HTHEME Theme, int ColorId) noexcept {
  return Guarded(COLORREF(0), [&](TThemeManager& M) { return M.GetThemeSysColor(Theme, ColorId); });
}

HBRUSH WINAPI WrapGetThemeSysColorBrush(HTHEME Theme, int ColorId) noexcept {
  return Guarded(HBRUSH(nullptr), [&](TThemeManager& M) { return M.GetThemeSysColorBrush(Theme, ColorId); });
}

int WINAPI WrapGetThemeSysSize(HTHEME Theme, int SizeId) noexcept {
  return Guarded(0, [&](TThemeManager& M) { return M.GetThemeSysSize(Theme, SizeId); });
}

BOOL WINAPI WrapGetThemeSysBool(HTHEME Theme, int BoolId) noexcept {
  return Guarded(BOOL(FALSE), [&](TThemeManager& M) { return AsBool(M.GetThemeSysBool(Theme, BoolId)); });
}

HRESULT WINAPI WrapGetThemeSysFont(HTHEME Theme, int FontId, LOGFONTW* Font) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeSysFont(Theme, FontId, *Font); });
}

HRESULT WINAPI WrapGetThemeSysString(HTHEME Theme, int StringId, LPWSTR Buffer, int BufferChars) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeSysString(Theme, StringId, Buffer, BufferChars); });
}

HRESULT WINAPI WrapGetThemeSysInt(HTHEME Theme, int IntId, int* Value) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.GetThemeSysInt(Theme, IntId, *Value); });
}

BOOL WINAPI WrapIsAppThemed() noexcept { return TRUE; }

HTHEME WINAPI WrapGetWindowTheme(HWND Window) noexcept {
  return Guarded(HTHEME(nullptr), [&](TThemeManager& M) { return M.GetWindowTheme(Window); });
}

HRESULT WINAPI WrapEnableThemeDialogTexture(HWND Window, DWORD Flags) noexcept {
  return GuardedCall([&](TThemeManager& M) { M.EnableThemeDialogTexture(Window, Flags); });
}

BOOL WINAPI WrapIsThemeDialogTextureEnabled(HWND Window) noexcept {
  return Guarded(BOOL(FALSE), [&](TThemeManager& M) { return AsBool(M.IsThemeDialogTextureEnabled(Window)); });
}

DWORD WINAPI WrapGetThemeAppProperties() noexcept {
  return Guarded(DWORD(0), [&](TThemeManager& M) { return M.GetThemeAppProperties(); });
}

void WINAPI WrapSetThemeAppProperties(DWORD Flags) noexcept {
  GuardedCall([&](TThemeManager& M) { M.SetThemeAppProperties(Flags); });
}

HRESULT WINAPI WrapGetCurrentThemeName(LPWSTR NameBuffer, int NameChars, LPWSTR ColorBuffer, int ColorChars,
                                       LPWSTR SizeBuffer, int SizeChars) noexcept {
  return GuardedCall([&](TThemeManager& M) {
    M.GetCurrentThemeName(NameBuffer, NameChars, ColorBuffer, ColorChars, SizeBuffer, SizeChars);
  });
}

HRESULT WINAPI WrapGetThemeDocumentationProperty(LPCWSTR ThemeName, LPCWSTR PropertyName, LPWSTR Buffer,
                                                 int BufferChars) noexcept {
  return GuardedCall(
      [&](TThemeManager& M) { M.GetThemeDocumentationProperty(ThemeName, PropertyName, Buffer, BufferChars); });
}

}  // namespace

const TVsUxThemeApi VsThemeWrapperApi = {
    WrapIsThemeActive,
    WrapEnableTheming,
    WrapOpenThemeData,
    WrapCloseThemeData,
    WrapDrawThemeParentBackground,
    WrapDrawThemeBackground,
    WrapDrawThemeText,
    WrapGetThemeBackgroundContentRect,
    WrapGetThemeBackgroundExtent,
    WrapGetThemePartSize,
    WrapGetThemeTextExtent,
    WrapGetThemeTextMetrics,
    WrapGetThemeBackgroundRegion,
    WrapHitTestThemeBackground,
    WrapDrawThemeEdge,
    WrapDrawThemeIcon,
    WrapIsThemePartDefined,
    WrapIsThemeBackgroundPartiallyTransparent,
    WrapGetThemeColor,
    WrapGetThemeMetric,
    WrapGetThemeString,
    WrapGetThemeBool,
    WrapGetThemeInt,
    WrapGetThemeEnumValue,
    WrapGetThemePosition,
    WrapGetThemeFont,
    WrapGetThemeRect,
    WrapGetThemeMargins,
    WrapGetThemeIntList,
    WrapGetThemePropertyOrigin,
    WrapSetWindowTheme,
    WrapGetThemeFilename,
    WrapGetThemeSysColor,
    WrapGetThemeSysColorBrush,
    WrapGetThemeSysSize,
    WrapGetThemeSysBool,
    WrapGetThemeSysFont,
    WrapGetThemeSysString,
    WrapGetThemeSysInt,
    WrapIsAppThemed,
    WrapGetWindowTheme,
    WrapEnableThemeDialogTexture,
    WrapIsThemeDialogTextureEnabled,
    WrapGetThemeAppProperties,
    WrapSetThemeAppProperties,
    WrapGetCurrentThemeName,
    WrapGetThemeDocumentationProperty,
};
