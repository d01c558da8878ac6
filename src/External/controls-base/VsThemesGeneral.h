// The theme provider core: a theme manager serves the theme functions from a
// loaded style, a theme is the style of one window class (and the handle the
// theme functions hand out), a part is one of its parts.
//
// The wrappers at the end have the theme-API table's signatures: they
// forward to the current manager and turn every exception into a failure
// result, so none leaves them.
//
// Operations that report failure by a result in the theme functions raise
// EThemeError here instead; the wrappers return S_OK whenever nothing was
// raised.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "System.h"
#include "VsUnicodeStrings.h"
#include "VsUxTheme.h"
#include "Win.h"

// Errors of the theme engine.
FRAMEWORK_EXCEPTION(EThemeError, Exception)

class TTheme;
class TThemeManager;

// One part of a theme. Each operation serves the theme function of its name,
// with that function's arguments less the theme handle and the part id.
class TThemePart : public TObject {
public:
  // ParentPart (may be nil) is the part this one inherits undefined
  // properties from.
  TThemePart(TTheme* Theme, TThemePart* ParentPart) : FTheme(Theme), FParentPart(ParentPart) {}

  virtual void DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) = 0;
  virtual void DrawThemeEdge(HDC DC, int StateId, const RECT* DestRect, UINT Edge, UINT Flags, RECT* ContentRect) = 0;
  virtual void DrawThemeIcon(HDC DC, int StateId, const RECT* Rect, HIMAGELIST ImageList, int ImageIndex) = 0;
  virtual void DrawThemeText(HDC DC, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags, DWORD TextFlags2,
                             const RECT* Rect) = 0;
  virtual void GetThemeBackgroundContentRect(HDC DC, int StateId, const RECT* BoundingRect, RECT* ContentRect) = 0;
  virtual void GetThemeBackgroundExtent(HDC DC, int StateId, const RECT* ContentRect, RECT* ExtentRect) = 0;
  virtual void GetThemeBackgroundRegion(HDC DC, int StateId, const RECT* Rect, HRGN* Region) = 0;
  virtual void GetThemeBool(int StateId, int PropId, bool& Value) = 0;
  virtual void GetThemeColor(int StateId, int PropId, COLORREF& Color) = 0;
  virtual void GetThemeEnumValue(int StateId, int PropId, int& Value) = 0;
  virtual void GetThemeFilename(int StateId, int PropId, LPWSTR Buffer, int BufferChars) = 0;
  virtual void GetThemeFont(HDC DC, int StateId, int PropId, LOGFONTW& Font) = 0;
  virtual void GetThemeInt(int StateId, int PropId, int& Value) = 0;
  virtual void GetThemeIntList(int StateId, int PropId, INTLIST& List) = 0;
  virtual void GetThemeMargins(HDC DC, int StateId, int PropId, RECT* Rect, MARGINS& Margins) = 0;
  virtual void GetThemeMetric(HDC DC, int StateId, int PropId, int& Value) = 0;
  virtual void GetThemePartSize(HDC DC, int StateId, RECT* Rect, THEMESIZE Kind, SIZE& Size) = 0;
  virtual void GetThemePosition(int StateId, int PropId, POINT& Point) = 0;
  virtual void GetThemePropertyOrigin(int StateId, int PropId, PROPERTYORIGIN& Origin) = 0;
  virtual void GetThemeRect(int StateId, int PropId, RECT& Rect) = 0;
  virtual void GetThemeString(int StateId, int PropId, LPWSTR Buffer, int BufferChars) = 0;
  virtual void GetThemeTextExtent(HDC DC, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                                  const RECT* BoundingRect, RECT& ExtentRect) = 0;
  virtual void GetThemeTextMetrics(HDC DC, int StateId, TEXTMETRIC& Metrics) = 0;
  virtual void HitTestThemeBackground(HDC DC, int StateId, DWORD Options, const RECT* Rect, HRGN Region, POINT Point,
                                      WORD& HitTestCode) = 0;
  virtual bool IsThemeBackgroundPartiallyTransparent(int StateId) = 0;
  virtual bool IsThemePartDefined(int StateId) = 0;

  TTheme* Theme() const { return FTheme; }
  TThemePart* ParentPart() const { return FParentPart; }

private:
  TTheme* FTheme;
  TThemePart* FParentPart;
};

// The theme of one window class. A TTheme is a theme handle exactly while it
// exists: IsThemeHandle tells a live theme from any other pointer.
class TTheme : public TObject {
public:
  // Registers the theme; Manager may be nil.
  explicit TTheme(TThemeManager* Manager);
  // Fires OnDestroy, frees the parts and unregisters the theme.
  ~TTheme() override;

  // Appends Part (owned from here on) under PartId.
  virtual void AddPart(int PartId, TThemePart* Part);
  virtual void ClearParts();
  // The part of the first entry with PartId; nil when there is none.
  virtual TThemePart* GetPart(int PartId) const;

  // The part-level operations find the part of PartId (EThemeError "Unknown
  // theme part [%d]" when there is none) and hand it the rest.
  virtual void DrawThemeBackground(HDC DC, int PartId, int StateId, const RECT* Rect, const RECT* ClipRect);
  virtual void DrawThemeEdge(HDC DC, int PartId, int StateId, const RECT* DestRect, UINT Edge, UINT Flags,
                             RECT* ContentRect);
  virtual void DrawThemeIcon(HDC DC, int PartId, int StateId, const RECT* Rect, HIMAGELIST ImageList, int ImageIndex);
  virtual void DrawThemeText(HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                             DWORD TextFlags2, const RECT* Rect);
  virtual void GetThemeBackgroundContentRect(HDC DC, int PartId, int StateId, const RECT* BoundingRect,
                                             RECT* ContentRect);
  virtual void GetThemeBackgroundExtent(HDC DC, int PartId, int StateId, const RECT* ContentRect, RECT* ExtentRect);
  virtual void GetThemeBackgroundRegion(HDC DC, int PartId, int StateId, const RECT* Rect, HRGN* Region);
  virtual void GetThemeBool(int PartId, int StateId, int PropId, bool& Value);
  virtual void GetThemeColor(int PartId, int StateId, int PropId, COLORREF& Color);
  virtual void GetThemeEnumValue(int PartId, int StateId, int PropId, int& Value);
  virtual void GetThemeFilename(int PartId, int StateId, int PropId, LPWSTR Buffer, int BufferChars);
  virtual void GetThemeFont(HDC DC, int PartId, int StateId, int PropId, LOGFONTW& Font);
  virtual void GetThemeInt(int PartId, int StateId, int PropId, int& Value);
  virtual void GetThemeIntList(int PartId, int StateId, int PropId, INTLIST& List);
  // The part gets a copy of Rect.
  virtual void GetThemeMargins(HDC DC, int PartId, int StateId, int PropId, const RECT* Rect, MARGINS& Margins);
  virtual void GetThemeMetric(HDC DC, int PartId, int StateId, int PropId, int& Value);
  virtual void GetThemePartSize(HDC DC, int PartId, int StateId, RECT* Rect, THEMESIZE Kind, SIZE& Size);
  virtual void GetThemePosition(int PartId, int StateId, int PropId, POINT& Point);
  virtual void GetThemePropertyOrigin(int PartId, int StateId, int PropId, PROPERTYORIGIN& Origin);
  virtual void GetThemeRect(int PartId, int StateId, int PropId, RECT& Rect);
  virtual void GetThemeString(int PartId, int StateId, int PropId, LPWSTR Buffer, int BufferChars);

  // The style's system metrics. Here they are the running system's: 1001
  // flat menus; fonts 801-805 caption, small caption, menu, status and
  // message, 806 icon title; integers 1301-1303 the screen's horizontal and
  // vertical pixels per inch and bits per pixel; sizes 1201-1209 border,
  // scroll-bar width and height, caption width and height, small-caption
  // width and height, menu width and height; strings 1401-1402 empty. Any
  // other id, and every colour, raises EThemeError "Unknown system metric
  // <kind> [%d]".
  virtual bool GetThemeSysBool(int BoolId);
  virtual COLORREF GetThemeSysColor(int ColorId);
  virtual HBRUSH GetThemeSysColorBrush(int ColorId);
  virtual void GetThemeSysFont(int FontId, LOGFONTW& Font);
  virtual void GetThemeSysInt(int IntId, int& Value);
  virtual int GetThemeSysSize(int SizeId);
  virtual void GetThemeSysString(int StringId, LPWSTR Buffer, int BufferChars);

  // The extent starts as the bounding rectangle (empty without one); the
  // part gets a copy of the bounding rectangle.
  virtual void GetThemeTextExtent(HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                                  const RECT* BoundingRect, RECT& ExtentRect);
  virtual void GetThemeTextMetrics(HDC DC, int PartId, int StateId, TEXTMETRIC& Metrics);
  virtual void HitTestThemeBackground(HDC DC, int PartId, int StateId, DWORD Options, const RECT* Rect, HRGN Region,
                                      POINT Point, WORD& HitTestCode);
  virtual bool IsThemeBackgroundPartiallyTransparent(int PartId, int StateId);
  virtual bool IsThemePartDefined(int PartId, int StateId);

  TThemeManager* Manager() const { return FManager; }
  void SetManager(TThemeManager* Value) { FManager = Value; }
  HTHEME Handle() { return reinterpret_cast<HTHEME>(this); }

  TNotifyEvent OnDestroy;

private:
  TThemePart* Part(int PartId) const;

  TThemeManager* FManager;
  std::vector<int> FPartIds;
  std::vector<TOwned<TThemePart>> FParts;
};

// True exactly when Handle is a theme that exists.
bool IsThemeHandle(HTHEME Handle);
// The theme of a handle; nil when it is not one.
TTheme* ThemeOfHandle(HTHEME Handle);

// A loaded style: it opens the themes of window classes and answers the
// theme functions. The operations that take a theme handle forward to the
// theme when the handle is valid, and otherwise do nothing and give 0 or
// false -- except the system metrics, which raise "Unknown system metric
// <kind> [%d]".
//
// GetThemeSysColor, GetThemeSysColorBrush and GetThemeSysSize take the
// engine's metric ids (colours 1601 on, sizes 1201 on), not the platform's
// COLOR_ and SM_ indexes that the system functions of those names take.
class TThemeManager : public TObject {
public:
  TThemeManager();
  // Unloads the style.
  ~TThemeManager() override;

  virtual WideString GetColorScheme(int Index) const;
  virtual int GetColorSchemeCount() const;
  virtual WideString GetDisplayName() = 0;
  // Adds Theme as the open theme of ClassList; its destruction removes it.
  virtual void RegisterTheme(const WideString& ClassList, TTheme* Theme);
  // Frees every open theme.
  virtual void FreeThemes();
  // A new theme for ClassList with this manager; nil when the style has none.
  virtual TTheme* CreateTheme(const WideString& ClassList) = 0;
  // The open theme of ClassList, created and registered on first request.
  virtual TTheme* GetTheme(const WideString& ClassList);
  // The row of Theme among the open themes; -1 when absent.
  virtual int IndexOfTheme(TTheme* Theme) const;

  // An open theme stays open until FreeThemes, so this does nothing.
  virtual void CloseThemeData(HTHEME Theme);
  virtual void DrawThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                   const RECT* ClipRect);
  virtual void DrawThemeEdge(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* DestRect, UINT Edge,
                             UINT Flags, RECT* ContentRect);
  virtual void DrawThemeIcon(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect, HIMAGELIST ImageList,
                             int ImageIndex);
  // Has the parent of Window erase its background into DC, placed as it
  // lies behind Window, clipped to Rect (Window's client coordinates; nil:
  // all of it). The DC's state is restored afterwards.
  virtual void DrawThemeParentBackground(HWND Window, HDC DC, const RECT* Rect);
  virtual void DrawThemeText(HTHEME Theme, HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount,
                             DWORD TextFlags, DWORD TextFlags2, const RECT* Rect);
  virtual void EnableThemeDialogTexture(HWND Window, DWORD Flags);
  virtual void EnableTheming(bool Enable);
  // The file name, the colour scheme and an empty size name, each into a
  // buffer that is not nil and has room, cut to fit with its terminator.
  virtual void GetCurrentThemeName(LPWSTR NameBuffer, int NameChars, LPWSTR ColorBuffer, int ColorChars,
                                   LPWSTR SizeBuffer, int SizeChars);
  // Always 3: both the non-client and the client area are themed.
  virtual DWORD GetThemeAppProperties();
  virtual void GetThemeBackgroundContentRect(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* BoundingRect,
                                             RECT* ContentRect);
  virtual void GetThemeBackgroundExtent(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* ContentRect,
                                        RECT* ExtentRect);
  virtual void GetThemeBackgroundRegion(HTHEME Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                        HRGN* Region);
  virtual void GetThemeBool(HTHEME Theme, int PartId, int StateId, int PropId, bool& Value);
  virtual void GetThemeColor(HTHEME Theme, int PartId, int StateId, int PropId, COLORREF& Color);
  // Here: an empty value.
  virtual void GetThemeDocumentationProperty(LPCWSTR ThemeName, LPCWSTR PropertyName, LPWSTR Buffer,
                                             int BufferChars);
  virtual void GetThemeEnumValue(HTHEME Theme, int PartId, int StateId, int PropId, int& Value);
  virtual void GetThemeFilename(HTHEME Theme, int PartId, int StateId, int PropId, LPWSTR Buffer, int BufferChars);
  virtual void GetThemeFont(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, LOGFONTW& Font);
  virtual void GetThemeInt(HTHEME Theme, int PartId, int StateId, int PropId, int& Value);
  virtual void GetThemeIntList(HTHEME Theme, int PartId, int StateId, int PropId, INTLIST& List);
  virtual void GetThemeMargins(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, const RECT* Rect,
                               MARGINS& Margins);
  virtual void GetThemeMetric(HTHEME Theme, HDC DC, int PartId, int StateId, int PropId, int& Value);
  virtual void GetThemePartSize(HTHEME Theme, HDC DC, int PartId, int StateId, RECT* Rect, THEMESIZE Kind,
                                SIZE& Size);
  virtual void GetThemePosition(HTHEME Theme, int PartId, int StateId, int PropId, POINT& Point);
  virtual void GetThemePropertyOrigin(HTHEME Theme, int PartId, int StateId, int PropId, PROPERTYORIGIN& Origin);
  virtual void GetThemeRect(HTHEME Theme, int PartId, int StateId, int PropId, RECT& Rect);
  virtual void GetThemeString(HTHEME Theme, int PartId, int StateId, int PropId, LPWSTR Buffer, int BufferChars);
  virtual bool GetThemeSysBool(HTHEME Theme, int BoolId);
  virtual COLORREF GetThemeSysColor(HTHEME Theme, int ColorId);
  virtual HBRUSH GetThemeSysColorBrush(HTHEME Theme, int ColorId);
  virtual void GetThemeSysFont(HTHEME Theme, int FontId, LOGFONTW& Font);
  virtual void GetThemeSysInt(HTHEME Theme, int IntId, int& Value);
  virtual int GetThemeSysSize(HTHEME Theme, int SizeId);
  virtual void GetThemeSysString(HTHEME Theme, int StringId, LPWSTR Buffer, int BufferChars);
  // Without a valid handle the extent is the bounding rectangle (untouched
  // when there is none).
  virtual void GetThemeTextExtent(HTHEME Theme, HDC DC, int PartId, int StateId, LPCWSTR Text, int CharCount,
                                  DWORD TextFlags, const RECT* BoundingRect, RECT& ExtentRect);
  virtual void GetThemeTextMetrics(HTHEME Theme, HDC DC, int PartId, int StateId, TEXTMETRIC& Metrics);
  virtual HTHEME GetWindowTheme(HWND Window);
  virtual void HitTestThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, DWORD Options, const RECT* Rect,
                                      HRGN Region, POINT Point, WORD& HitTestCode);
  virtual bool IsThemeBackgroundPartiallyTransparent(HTHEME Theme, int PartId, int StateId);
  virtual bool IsThemeDialogTextureEnabled(HWND Window);
  virtual bool IsThemePartDefined(HTHEME Theme, int PartId, int StateId);
  // The theme of ClassList (GetTheme); the window plays no part.
  virtual TTheme* OpenThemeData(HWND Window, const WideString& ClassList);
  virtual void SetThemeAppProperties(DWORD Flags);
  virtual void SetWindowTheme(HWND Window, LPCWSTR SubAppName, LPCWSTR SubIdList);

  // Keeps the file name; a derived manager reads the file.
  virtual void LoadFromFile(const WideString& FileName);
  // Frees the open themes and forgets the schemes and the file name.
  virtual void Unload();
  virtual void Activate(const WideString& SchemeName);
  // A non-empty name that is not a scheme of the style raises EThemeError
  // "Unknown theme color scheme [%s]".
  virtual void SetColorScheme(const WideString& SchemeName);
  // Frees the open themes and forgets the scheme.
  virtual void Deactivate();
  virtual WideString GetColorSchemeDisplayName(const WideString& SchemeName) = 0;

  const WideString& ColorSchemeName() const { return FColorSchemeName; }
  const WideString& FileName() const { return FFileName; }

protected:
  TVsWideStringList& ColorSchemes() { return *FColorSchemes; }

private:
  void ThemeDestroyed(TObject* Sender);

  TOwned<TVsWideStringList> FThemes;  // class list -> TTheme, sorted
  WideString FColorSchemeName;
  TOwned<TVsWideStringList> FColorSchemes;
  WideString FFileName;
};

// A manager of the visual-style file FileName (a TWindowsXPThemeManager);
// nil when anything raises.
TOwned<TThemeManager> CreateThemeManager(LPCWSTR FileName);
// Frees Manager, the current one cleared first. S_OK, or E_FAIL when
// anything raised.
HRESULT FreeThemeManager(TOwned<TThemeManager> Manager);
// Makes Manager current with colour scheme SchemeName (nil or empty: the
// first). Already current, it only changes the scheme; another current
// manager is deactivated once Manager is active. S_OK, or E_FAIL when
// anything raised (the current manager unchanged when Manager did not
// activate).
HRESULT ActivateThemeManager(TThemeManager* Manager, LPCWSTR SchemeName);
// No manager is current from here on; the old one is deactivated, whatever
// that raises swallowed.
void ClearCurrentThemeManager();
TThemeManager* GetCurrentThemeManager();

// The wrappers, in table order: each forwards to the current manager and
// gives its failure result when there is none or anything raised. Booleans
// come back as TRUE (1) or FALSE.
extern const TVsUxThemeApi VsThemeWrapperApi;
