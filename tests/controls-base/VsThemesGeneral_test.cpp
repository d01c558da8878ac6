#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "VsThemesGeneral.h"

namespace {

// Whether the probes below raise instead of answering.
bool ProbeThrows = false;

void MaybeThrow() {
  if (ProbeThrows) throw EThemeError("probe");
}

const COLORREF ProbeColor = 0x00ABCDEF;
const COLORREF ProbeSysColor = 0x00123456;

// A part that answers every query with a fixed value (or raises).
class TProbePart : public TThemePart {
public:
  using TThemePart::TThemePart;

  bool BoolSeen = false;
  RECT RectSeen = {};

  void DrawThemeBackground(HDC, int, const RECT*, const RECT*) override { MaybeThrow(); }
  void DrawThemeEdge(HDC, int, const RECT*, UINT, UINT, RECT*) override { MaybeThrow(); }
  void DrawThemeIcon(HDC, int, const RECT*, HIMAGELIST, int) override { MaybeThrow(); }
  void DrawThemeText(HDC, int, LPCWSTR, int, DWORD, DWORD, const RECT*) override { MaybeThrow(); }
  void GetThemeBackgroundContentRect(HDC, int, const RECT*, RECT*) override { MaybeThrow(); }
  void GetThemeBackgroundExtent(HDC, int, const RECT*, RECT*) override { MaybeThrow(); }
  void GetThemeBackgroundRegion(HDC, int, const RECT*, HRGN*) override { MaybeThrow(); }
  void GetThemeBool(int, int, bool& Value) override {
    MaybeThrow();
    BoolSeen = Value;
    Value = true;
  }
  void GetThemeColor(int, int, COLORREF& Color) override {
    MaybeThrow();
    Color = ProbeColor;
  }
  void GetThemeEnumValue(int, int, int&) override { MaybeThrow(); }
  void GetThemeFilename(int, int, LPWSTR, int) override { MaybeThrow(); }
  void GetThemeFont(HDC, int, int, LOGFONTW&) override { MaybeThrow(); }
  void GetThemeInt(int, int, int&) override { MaybeThrow(); }
  void GetThemeIntList(int, int, INTLIST&) override { MaybeThrow(); }
  void GetThemeMargins(HDC, int, int, RECT* Rect, MARGINS&) override {
    MaybeThrow();
    RectSeen = *Rect;
    Rect->left = 99;  // must not reach the caller's rectangle
  }
  void GetThemeMetric(HDC, int, int, int&) override { MaybeThrow(); }
  void GetThemePartSize(HDC, int, RECT*, THEMESIZE, SIZE&) override { MaybeThrow(); }
  void GetThemePosition(int, int, POINT&) override { MaybeThrow(); }
  void GetThemePropertyOrigin(int, int, PROPERTYORIGIN&) override { MaybeThrow(); }
  void GetThemeRect(int, int, RECT&) override { MaybeThrow(); }
  void GetThemeString(int, int, LPWSTR, int) override { MaybeThrow(); }
  void GetThemeTextExtent(HDC, int, LPCWSTR, int, DWORD, const RECT* BoundingRect, RECT& ExtentRect) override {
    MaybeThrow();
    RectSeen = ExtentRect;  // what the theme set before asking
    ExtentRect.right = BoundingRect ? BoundingRect->left + 7 : 7;
  }
  void GetThemeTextMetrics(HDC, int, TEXTMETRIC&) override { MaybeThrow(); }
  void HitTestThemeBackground(HDC, int, DWORD, const RECT*, HRGN, POINT, WORD&) override { MaybeThrow(); }
  bool IsThemeBackgroundPartiallyTransparent(int) override {
    MaybeThrow();
    return true;
  }
  bool IsThemePartDefined(int) override {
    MaybeThrow();
    return true;
  }
};

// A theme whose part 1 is a probe and whose system metrics are fixed.
class TProbeTheme : public TTheme {
public:
  explicit TProbeTheme(TThemeManager* Manager) : TTheme(Manager) { AddPart(1, new TProbePart(this, nullptr)); }

  bool GetThemeSysBool(int) override {
    MaybeThrow();
    return true;
  }
  COLORREF GetThemeSysColor(int) override {
    MaybeThrow();
    return ProbeSysColor;
  }
  HBRUSH GetThemeSysColorBrush(int) override {
    MaybeThrow();
    return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  }
  void GetThemeSysFont(int, LOGFONTW&) override { MaybeThrow(); }
  void GetThemeSysInt(int, int&) override { MaybeThrow(); }
  int GetThemeSysSize(int) override {
    MaybeThrow();
    return 17;
  }
  void GetThemeSysString(int, LPWSTR, int) override { MaybeThrow(); }
};

const HTHEME ProbeWindowTheme = reinterpret_cast<HTHEME>(0x1234);

// A manager whose themes are probes (none for the class list "NONE"); the
// operations it answers itself raise too while the probes do. Activation
// and deactivation are written to Log.
class TProbeManager : public TThemeManager {
public:
  TProbeManager(std::vector<std::string>& Log, const char* Name) : FLog(Log), FName(Name) {}

  void AddScheme(const WideString& Name) { ColorSchemes().Add(Name); }

  int Created = 0;
  bool ThrowOnDeactivate = false;

  WideString GetDisplayName() override { return L""; }
  WideString GetColorSchemeDisplayName(const WideString&) override { return L""; }
  TTheme* CreateTheme(const WideString& ClassList) override {
    if (ClassList == L"NONE") return nullptr;
    ++Created;
    return new TProbeTheme(this);
  }

  void Activate(const WideString& SchemeName) override {
    FLog.push_back(FName + " activate");
    TThemeManager::Activate(SchemeName);
  }
  void Deactivate() override {
    FLog.push_back(FName + " deactivate");
    TThemeManager::Deactivate();
    if (ThrowOnDeactivate) throw EThemeError("deactivate");
  }
  void LoadFromFile(const WideString& FileName) override {
    MaybeThrow();
    TThemeManager::LoadFromFile(FileName);
  }

  void CloseThemeData(HTHEME) override { MaybeThrow(); }
  void DrawThemeParentBackground(HWND, HDC, const RECT*) override { MaybeThrow(); }
  void EnableThemeDialogTexture(HWND, DWORD) override { MaybeThrow(); }
  void EnableTheming(bool) override { MaybeThrow(); }
  void GetCurrentThemeName(LPWSTR NameBuffer, int NameChars, LPWSTR ColorBuffer, int ColorChars, LPWSTR SizeBuffer,
                           int SizeChars) override {
    MaybeThrow();
    TThemeManager::GetCurrentThemeName(NameBuffer, NameChars, ColorBuffer, ColorChars, SizeBuffer, SizeChars);
  }
  DWORD GetThemeAppProperties() override {
    MaybeThrow();
    return TThemeManager::GetThemeAppProperties();
  }
  void GetThemeDocumentationProperty(LPCWSTR, LPCWSTR, LPWSTR, int) override { MaybeThrow(); }
  HTHEME GetWindowTheme(HWND) override {
    MaybeThrow();
    return ProbeWindowTheme;
  }
  bool IsThemeDialogTextureEnabled(HWND) override {
    MaybeThrow();
    return true;
  }
  TTheme* OpenThemeData(HWND Window, const WideString& ClassList) override {
    MaybeThrow();
    return TThemeManager::OpenThemeData(Window, ClassList);
  }
  void SetThemeAppProperties(DWORD) override { MaybeThrow(); }
  void SetWindowTheme(HWND, LPCWSTR, LPCWSTR) override { MaybeThrow(); }

private:
  std::vector<std::string>& FLog;
  std::string FName;
};

const TVsUxThemeApi& Api = VsThemeWrapperApi;

class ThemeProvider : public ::testing::Test {
protected:
  void TearDown() override {
    ClearCurrentThemeManager();
    ProbeThrows = false;
  }

  std::vector<std::string> Log;
  TOwned<TProbeManager> Manager{new TProbeManager(Log, "first")};
  TOwned<TProbeManager> Other{new TProbeManager(Log, "other")};
};

intptr_t Value(HRESULT R) { return R; }
intptr_t Value(const void* P) { return reinterpret_cast<intptr_t>(P); }
intptr_t Value(unsigned long V) { return static_cast<intptr_t>(V); }
intptr_t Value(int V) { return V; }

}  // namespace

// Every wrapper's result with the manager answering, with it raising and
// with no manager current.
TEST_F(ThemeProvider, WrapperResults) {
  ASSERT_EQ(S_OK, ActivateThemeManager(Manager.get(), nullptr));
  const HTHEME H = Api.OpenThemeData(nullptr, L"PROBE");
  ASSERT_TRUE(IsThemeHandle(H));

  HDC DC = nullptr;
  RECT R = {0, 0, 10, 10};
  RECT Out = {};
  SIZE Size = {};
  TEXTMETRIC Metrics = {};
  HRGN Region = nullptr;
  WORD Code = 0;
  COLORREF Color = 0;
  int I = 0;
  BOOL B = FALSE;
  POINT P = {};
  LOGFONTW Font = {};
  MARGINS Margins = {};
  INTLIST List = {};
  PROPERTYORIGIN Origin = {};
  wchar_t Buf[16] = {};
  const auto Gray = reinterpret_cast<intptr_t>(GetStockObject(GRAY_BRUSH));

  struct TCase {
    const char* Name;
    std::function<intptr_t()> Call;
    intptr_t Answered, Raised, NoManager;
  };
  const intptr_t Ok = S_OK, Fail = E_FAIL;
  const TCase Cases[] = {
      {"IsThemeActive", [&] { return Value(Api.IsThemeActive()); }, 1, 1, 0},
      {"EnableTheming", [&] { return Value(Api.EnableTheming(TRUE)); }, Ok, Fail, Fail},
      {"OpenThemeData", [&] { return Value(Api.OpenThemeData(nullptr, L"PROBE")); }, Value(H), 0, 0},
      {"DrawThemeParentBackground", [&] { return Value(Api.DrawThemeParentBackground(nullptr, DC, &R)); }, Ok, Fail,
       Fail},
      {"DrawThemeBackground", [&] { return Value(Api.DrawThemeBackground(H, DC, 1, 1, &R, nullptr)); }, Ok, Fail,
       Fail},
      {"DrawThemeText", [&] { return Value(Api.DrawThemeText(H, DC, 1, 1, L"a", 1, 0, 0, &R)); }, Ok, Fail, Fail},
      {"GetThemeBackgroundContentRect",
       [&] { return Value(Api.GetThemeBackgroundContentRect(H, DC, 1, 1, &R, &Out)); }, Ok, Fail, Fail},
      {"GetThemeBackgroundExtent", [&] { return Value(Api.GetThemeBackgroundExtent(H, DC, 1, 1, &R, &Out)); }, Ok,
       Fail, Fail},
      {"GetThemePartSize", [&] { return Value(Api.GetThemePartSize(H, DC, 1, 1, &R, TS_TRUE, &Size)); }, Ok, Fail,
       Fail},
      {"GetThemeTextExtent", [&] { return Value(Api.GetThemeTextExtent(H, DC, 1, 1, L"a", 1, 0, &R, &Out)); }, Ok,
       Fail, Fail},
      {"GetThemeTextMetrics", [&] { return Value(Api.GetThemeTextMetrics(H, DC, 1, 1, &Metrics)); }, Ok, Fail, Fail},
      {"GetThemeBackgroundRegion", [&] { return Value(Api.GetThemeBackgroundRegion(H, DC, 1, 1, &R, &Region)); },
       Ok, Fail, Fail},
      {"HitTestThemeBackground",
       [&] { return Value(Api.HitTestThemeBackground(H, DC, 1, 1, 0, &R, nullptr, POINT{1, 1}, &Code)); }, Ok,
       Fail, Fail},
      {"DrawThemeEdge", [&] { return Value(Api.DrawThemeEdge(H, DC, 1, 1, &R, EDGE_RAISED, BF_RECT, &Out)); }, Ok,
       Fail, Fail},
      {"DrawThemeIcon", [&] { return Value(Api.DrawThemeIcon(H, DC, 1, 1, &R, nullptr, 0)); }, Ok, Fail, Fail},
      {"IsThemePartDefined", [&] { return Value(Api.IsThemePartDefined(H, 1, 1)); }, 1, 0, 0},
      {"IsThemeBackgroundPartiallyTransparent", [&] { return Value(Api.IsThemeBackgroundPartiallyTransparent(H, 1, 1)); },
       1, 0, 0},
      {"GetThemeColor", [&] { return Value(Api.GetThemeColor(H, 1, 1, 3801, &Color)); }, Ok, Fail, Fail},
      {"GetThemeMetric", [&] { return Value(Api.GetThemeMetric(H, DC, 1, 1, 2401, &I)); }, Ok, Fail, Fail},
      {"GetThemeString", [&] { return Value(Api.GetThemeString(H, 1, 1, 201, Buf, 16)); }, Ok, Fail, Fail},
      {"GetThemeBool", [&] { return Value(Api.GetThemeBool(H, 1, 1, 2201, &B)); }, Ok, Fail, Fail},
      {"GetThemeInt", [&] { return Value(Api.GetThemeInt(H, 1, 1, 2401, &I)); }, Ok, Fail, Fail},
      {"GetThemeEnumValue", [&] { return Value(Api.GetThemeEnumValue(H, 1, 1, 4001, &I)); }, Ok, Fail, Fail},
      {"GetThemePosition", [&] { return Value(Api.GetThemePosition(H, 1, 1, 3401, &P)); }, Ok, Fail, Fail},
      {"GetThemeFont", [&] { return Value(Api.GetThemeFont(H, DC, 1, 1, 2601, &Font)); }, Ok, Fail, Fail},
      {"GetThemeRect", [&] { return Value(Api.GetThemeRect(H, 1, 1, 3201, &Out)); }, Ok, Fail, Fail},
      {"GetThemeMargins", [&] { return Value(Api.GetThemeMargins(H, DC, 1, 1, 3601, &R, &Margins)); }, Ok, Fail,
       Fail},
      {"GetThemeIntList", [&] { return Value(Api.GetThemeIntList(H, 1, 1, 6000, &List)); }, Ok, Fail, Fail},
      {"GetThemePropertyOrigin", [&] { return Value(Api.GetThemePropertyOrigin(H, 1, 1, 3801, &Origin)); }, Ok,
       Fail, Fail},
      {"SetWindowTheme", [&] { return Value(Api.SetWindowTheme(nullptr, L"", L"")); }, Ok, Fail, Fail},
      {"GetThemeFilename", [&] { return Value(Api.GetThemeFilename(H, 1, 1, 3001, Buf, 16)); }, Ok, Fail, Fail},
      {"GetThemeSysColor", [&] { return Value(static_cast<unsigned long>(Api.GetThemeSysColor(H, 1601))); },
       ProbeSysColor, 0, 0},
      {"GetThemeSysColorBrush", [&] { return Value(Api.GetThemeSysColorBrush(H, 1601)); }, Gray, 0, 0},
      {"GetThemeSysSize", [&] { return Value(Api.GetThemeSysSize(H, 1202)); }, 17, 0, 0},
      {"GetThemeSysBool", [&] { return Value(Api.GetThemeSysBool(H, 1001)); }, 1, 0, 0},
      {"GetThemeSysFont", [&] { return Value(Api.GetThemeSysFont(H, 801, &Font)); }, Ok, Fail, Fail},
      {"GetThemeSysString", [&] { return Value(Api.GetThemeSysString(H, 1401, Buf, 16)); }, Ok, Fail, Fail},
      {"GetThemeSysInt", [&] { return Value(Api.GetThemeSysInt(H, 1301, &I)); }, Ok, Fail, Fail},
      {"IsAppThemed", [&] { return Value(Api.IsAppThemed()); }, 1, 1, 1},
      {"GetWindowTheme", [&] { return Value(Api.GetWindowTheme(nullptr)); }, Value(ProbeWindowTheme), 0, 0},
      {"EnableThemeDialogTexture", [&] { return Value(Api.EnableThemeDialogTexture(nullptr, 0)); }, Ok, Fail, Fail},
      {"IsThemeDialogTextureEnabled", [&] { return Value(Api.IsThemeDialogTextureEnabled(nullptr)); }, 1, 0, 0},
      {"GetThemeAppProperties", [&] { return Value(Api.GetThemeAppProperties()); }, 3, 0, 0},
      {"GetCurrentThemeName", [&] { return Value(Api.GetCurrentThemeName(Buf, 16, Buf, 16, Buf, 16)); }, Ok, Fail,
       Fail},
      {"GetThemeDocumentationProperty",
       [&] { return Value(Api.GetThemeDocumentationProperty(L"x", L"DisplayName", Buf, 16)); }, Ok, Fail, Fail},
      {"SetThemeAppProperties", [&] { return (Api.SetThemeAppProperties(3), intptr_t(0)); }, 0, 0, 0},
  };
  for (const TCase& C : Cases) EXPECT_EQ(C.Answered, C.Call()) << C.Name << " answered";
  ProbeThrows = true;
  for (const TCase& C : Cases) EXPECT_EQ(C.Raised, C.Call()) << C.Name << " raising";
  ProbeThrows = false;
  ClearCurrentThemeManager();
  // A live handle again, of no current manager.
  const HTHEME Live = Manager->GetTheme(L"PROBE")->Handle();
  EXPECT_TRUE(IsThemeHandle(Live));
  for (const TCase& C : Cases) EXPECT_EQ(C.NoManager, C.Call()) << C.Name << " without a manager";
}

// What passes through the wrappers besides the result.
TEST_F(ThemeProvider, WrappersPassValues) {
  ASSERT_EQ(S_OK, ActivateThemeManager(Manager.get(), nullptr));
  TTheme* Theme = Manager->GetTheme(L"PROBE");
  const HTHEME H = Theme->Handle();
  auto* Part = static_cast<TProbePart*>(Theme->GetPart(1));

  COLORREF Color = 0;
  EXPECT_EQ(S_OK, Api.GetThemeColor(H, 1, 1, 3801, &Color));
  EXPECT_EQ(ProbeColor, Color);

  // A BOOL goes in as "non-zero" and comes back as TRUE, not all bits set.
  BOOL B = 5;
  EXPECT_EQ(S_OK, Api.GetThemeBool(H, 1, 1, 2201, &B));
  EXPECT_TRUE(Part->BoolSeen);
  EXPECT_EQ(TRUE, B);

  // The part gets a copy of the margins' rectangle.
  RECT R = {1, 2, 3, 4};
  MARGINS Margins = {};
  EXPECT_EQ(S_OK, Api.GetThemeMargins(H, nullptr, 1, 1, 3601, &R, &Margins));
  EXPECT_EQ(1, Part->RectSeen.left);
  EXPECT_EQ(1, R.left);

  // The extent starts as the bounding rectangle, or empty without one.
  RECT Extent = {-1, -1, -1, -1};
  EXPECT_EQ(S_OK, Api.GetThemeTextExtent(H, nullptr, 1, 1, L"a", 1, 0, &R, &Extent));
  EXPECT_EQ((RECT{1, 2, 3, 4}).bottom, Part->RectSeen.bottom);
  EXPECT_EQ(1, Extent.left);
  EXPECT_EQ(8, Extent.right);
  Extent = {-1, -1, -1, -1};
  EXPECT_EQ(S_OK, Api.GetThemeTextExtent(H, nullptr, 1, 1, L"a", 1, 0, nullptr, &Extent));
  EXPECT_EQ(0, Part->RectSeen.left);
  EXPECT_EQ(0, Part->RectSeen.bottom);
  EXPECT_EQ(7, Extent.right);

  // A part the theme lacks fails; a pointer that is no theme does nothing.
  const RECT Box = {0, 0, 4, 4};
  EXPECT_EQ(E_FAIL, Api.DrawThemeBackground(H, nullptr, 2, 1, &Box, nullptr));
  int NotATheme = 0;
  const HTHEME Bogus = reinterpret_cast<HTHEME>(&NotATheme);
  EXPECT_EQ(S_OK, Api.DrawThemeBackground(Bogus, nullptr, 1, 1, &Box, nullptr));
  EXPECT_EQ(FALSE, Api.IsThemePartDefined(Bogus, 1, 1));
  Extent = {};
  EXPECT_EQ(S_OK, Api.GetThemeTextExtent(Bogus, nullptr, 1, 1, L"a", 1, 0, &R, &Extent));
  EXPECT_EQ(3, Extent.right);
  // System metrics without a theme are unknown here.
  EXPECT_EQ(0u, Api.GetThemeSysColor(nullptr, 1601));
  EXPECT_EQ(nullptr, Api.GetThemeSysColorBrush(nullptr, 1601));
}

TEST_F(ThemeProvider, CurrentThemeNameIsCutToItsBuffers) {
  Manager->LoadFromFile(L"C:\\x\\light.msstyles");
  Manager->AddScheme(L"Blue");
  ASSERT_EQ(S_OK, ActivateThemeManager(Manager.get(), L"Blue"));
  wchar_t Name[5], Color[16], Size[4] = {L'?', L'?', L'?', L'?'};
  EXPECT_EQ(S_OK, Api.GetCurrentThemeName(Name, 5, Color, 16, Size, 4));
  EXPECT_EQ(WideString(L"C:\\x"), Name);
  EXPECT_EQ(WideString(L"Blue"), Color);
  EXPECT_EQ(WideString(), Size);
  // A nil buffer or one without room is left alone.
  wchar_t Untouched[2] = {L'?', L'\0'};
  EXPECT_EQ(S_OK, Api.GetCurrentThemeName(nullptr, 10, Untouched, 0, nullptr, 0));
  EXPECT_EQ(L'?', Untouched[0]);
  // A manager without a documentation section gives empty values.
  Manager->TThemeManager::GetThemeDocumentationProperty(L"x", L"DisplayName", Color, 16);
  EXPECT_EQ(WideString(), Color);
}

// Handles: one theme per class list, kept open for the current manager,
// freed on close once their manager is not current.
TEST_F(ThemeProvider, RegistryAndClosing) {
  ASSERT_EQ(S_OK, ActivateThemeManager(Manager.get(), nullptr));
  const HTHEME H = Api.OpenThemeData(nullptr, L"PROBE");
  EXPECT_EQ(H, Api.OpenThemeData(nullptr, L"PROBE"));
  EXPECT_EQ(1, Manager->Created);
  EXPECT_EQ(nullptr, Api.OpenThemeData(nullptr, L"NONE"));

  EXPECT_EQ(S_OK, Api.CloseThemeData(H));
  EXPECT_TRUE(IsThemeHandle(H));

  // Another manager's theme is freed and leaves that manager's open themes.
  const HTHEME Foreign = Other->GetTheme(L"PROBE")->Handle();
  EXPECT_EQ(S_OK, Api.CloseThemeData(Foreign));
  EXPECT_FALSE(IsThemeHandle(Foreign));
  Other->GetTheme(L"PROBE");
  EXPECT_EQ(2, Other->Created);

  // With no manager current every theme is freed on close.
  ClearCurrentThemeManager();
  EXPECT_FALSE(IsThemeHandle(H));  // deactivation freed it
  const HTHEME Orphan = Manager->GetTheme(L"PROBE")->Handle();
  EXPECT_EQ(S_OK, Api.CloseThemeData(Orphan));
  EXPECT_FALSE(IsThemeHandle(Orphan));
  EXPECT_EQ(E_FAIL, Api.CloseThemeData(Orphan));

  int NotATheme = 0;
  EXPECT_EQ(E_FAIL, Api.CloseThemeData(nullptr));
  EXPECT_EQ(E_FAIL, Api.CloseThemeData(reinterpret_cast<HTHEME>(&NotATheme)));

  // Raising while the current manager closes is a failure, the theme kept.
  ASSERT_EQ(S_OK, ActivateThemeManager(Manager.get(), nullptr));
  const HTHEME Again = Api.OpenThemeData(nullptr, L"PROBE");
  ProbeThrows = true;
  EXPECT_EQ(E_FAIL, Api.CloseThemeData(Again));
  EXPECT_TRUE(IsThemeHandle(Again));
  ProbeThrows = false;

  // A manager's destruction frees its themes.
  const HTHEME Owned = Other->GetTheme(L"OWNED")->Handle();
  EXPECT_EQ(S_OK, FreeThemeManager(TOwned<TThemeManager>(Other.release())));
  EXPECT_FALSE(IsThemeHandle(Owned));
}

TEST_F(ThemeProvider, ActivatingManagers) {
  Manager->AddScheme(L"Blue");
  Manager->AddScheme(L"Olive");

  // No manager current: activated and made current.
  EXPECT_EQ(S_OK, ActivateThemeManager(Manager.get(), L"Blue"));
  EXPECT_EQ(Manager.get(), GetCurrentThemeManager());
  EXPECT_EQ(L"Blue", Manager->ColorSchemeName());
  const HTHEME H = Api.OpenThemeData(nullptr, L"PROBE");

  // Already current: only the scheme changes; its themes stay open.
  EXPECT_EQ(S_OK, ActivateThemeManager(Manager.get(), L"Olive"));
  EXPECT_EQ(L"Olive", Manager->ColorSchemeName());
  EXPECT_TRUE(IsThemeHandle(H));
  EXPECT_EQ(E_FAIL, ActivateThemeManager(Manager.get(), L"Green"));
  EXPECT_EQ(L"Olive", Manager->ColorSchemeName());
  EXPECT_EQ(Manager.get(), GetCurrentThemeManager());

  // A manager that does not activate leaves the current one alone.
  Log.clear();
  EXPECT_EQ(E_FAIL, ActivateThemeManager(Other.get(), L"Green"));
  EXPECT_EQ(Manager.get(), GetCurrentThemeManager());
  EXPECT_TRUE(IsThemeHandle(H));
  EXPECT_EQ(E_FAIL, ActivateThemeManager(nullptr, nullptr));

  // Another current: the new one activates first, then the old deactivates.
  Log.clear();
  EXPECT_EQ(S_OK, ActivateThemeManager(Other.get(), nullptr));
  EXPECT_EQ(Other.get(), GetCurrentThemeManager());
  EXPECT_EQ((std::vector<std::string>{"other activate", "first deactivate"}), Log);
  EXPECT_EQ(L"", Manager->ColorSchemeName());
  EXPECT_FALSE(IsThemeHandle(H));

  // Clearing swallows what deactivation raises.
  Other->ThrowOnDeactivate = true;
  ClearCurrentThemeManager();
  EXPECT_EQ(nullptr, GetCurrentThemeManager());
  EXPECT_EQ(FALSE, Api.IsThemeActive());
}

TEST_F(ThemeProvider, CreatingAndFreeingManagers) {
  const wchar_t Light[] = L"C:\\windows\\resources\\themes\\light\\light.msstyles";
  TOwned<TThemeManager> Loaded = CreateThemeManager(Light);
  ASSERT_NE(nullptr, Loaded.get());
  EXPECT_EQ(Light, Loaded->FileName());
  EXPECT_EQ(L"Light", Loaded->GetDisplayName());

  EXPECT_EQ(nullptr, CreateThemeManager(L"C:\\no\\such.msstyles").get());
  EXPECT_EQ(nullptr, CreateThemeManager(nullptr).get());

  // The current manager is cleared before it is freed.
  ASSERT_EQ(S_OK, ActivateThemeManager(Loaded.get(), nullptr));
  EXPECT_EQ(S_OK, FreeThemeManager(std::move(Loaded)));
  EXPECT_EQ(nullptr, GetCurrentThemeManager());
}

// A theme of its own answers the running system's metrics.
TEST(ThemeBaseMetrics, SystemValues) {
  TOwned<TTheme> Theme(new TTheme(nullptr));
  NONCLIENTMETRICSA Metrics = {};
  Metrics.cbSize = 340;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, Metrics.cbSize, &Metrics, 0));
  EXPECT_EQ(Metrics.iScrollWidth, Theme->GetThemeSysSize(1202));
  EXPECT_EQ(Metrics.iMenuHeight, Theme->GetThemeSysSize(1209));
  LOGFONTW Font = {};
  Theme->GetThemeSysFont(803, Font);
  EXPECT_EQ(AnsiToWide(Metrics.lfMenuFont.lfFaceName), Font.lfFaceName);
  EXPECT_NE(WideString(), Font.lfFaceName);
  EXPECT_EQ(Metrics.lfMenuFont.lfHeight, Font.lfHeight);
  LOGFONTW IconFont = {};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof IconFont, &IconFont, 0));
  Theme->GetThemeSysFont(806, Font);
  EXPECT_EQ(WideString(IconFont.lfFaceName), Font.lfFaceName);
  HDC Screen = GetDC(nullptr);
  const int Bits = GetDeviceCaps(Screen, BITSPIXEL);
  ReleaseDC(nullptr, Screen);
  int Value = 0;
  Theme->GetThemeSysInt(1303, Value);
  EXPECT_EQ(Bits, Value);
  BOOL Flat = FALSE;
  SystemParametersInfoW(SPI_GETFLATMENU, 0, &Flat, 0);
  EXPECT_EQ(Flat != FALSE, Theme->GetThemeSysBool(1001));
  wchar_t Buf[4] = {L'?', L'?', 0, 0};
  Theme->GetThemeSysString(1402, Buf, 4);
  EXPECT_EQ(WideString(), Buf);

  // Any other id is unknown, and so is every colour.
  struct TCase {
    std::function<void()> Call;
    const char* Message;
  };
  const TCase Cases[] = {
      {[&] { Theme->GetThemeSysBool(1002); }, "Unknown system metric boolean [1002]"},
      {[&] { Theme->GetThemeSysColor(1601); }, "Unknown system metric color [1601]"},
      {[&] { Theme->GetThemeSysColorBrush(1602); }, "Unknown system metric color [1602]"},
      {[&] { Theme->GetThemeSysFont(807, Font); }, "Unknown system metric font [807]"},
      {[&] { Theme->GetThemeSysFont(800, Font); }, "Unknown system metric font [800]"},
      {[&] { Theme->GetThemeSysInt(1304, Value); }, "Unknown system metric int [1304]"},
      {[&] { Theme->GetThemeSysSize(1200); }, "Unknown system metric size [1200]"},
      {[&] { Theme->GetThemeSysSize(1210); }, "Unknown system metric size [1210]"},
      {[&] { Theme->GetThemeSysString(1403, Buf, 4); }, "Unknown system metric string [1403]"},
      {[&] { Theme->GetThemeSysString(1401, nullptr, 4); }, "Unknown system metric string [1401]"},
      {[&] { Theme->GetThemeSysString(1401, Buf, 0); }, "Unknown system metric string [1401]"},
      {[&] { Theme->DrawThemeBackground(nullptr, 3, 1, nullptr, nullptr); }, "Unknown theme part [3]"},
  };
  for (const TCase& C : Cases) {
    try {
      C.Call();
      ADD_FAILURE() << C.Message << ": nothing raised";
    } catch (const EThemeError& E) {
      EXPECT_EQ(std::string(C.Message), E.Message());
    }
  }
}

namespace {

// A parent whose background is blue with one red pixel at (15, 25).
LRESULT CALLBACK ParentProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != WM_ERASEBKGND) return DefWindowProcW(Window, Msg, WParam, LParam);
  HDC DC = reinterpret_cast<HDC>(WParam);
  const RECT All = {0, 0, 200, 200}, Dot = {15, 25, 16, 26};
  HBRUSH Blue = CreateSolidBrush(RGB(0, 0, 255)), Red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(DC, &All, Blue);
  FillRect(DC, &Dot, Red);
  DeleteObject(Blue);
  DeleteObject(Red);
  return 1;
}

struct TWindows {
  HWND Parent = nullptr, Child = nullptr;
  TWindows() {
    WNDCLASSW Class = {};
    Class.lpfnWndProc = ParentProc;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = L"VsThemeParentProbe";
    RegisterClassW(&Class);
    Parent = CreateWindowExW(0, L"VsThemeParentProbe", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                             Class.hInstance, nullptr);
    Child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 20, 50, 50, Parent, nullptr,
                            Class.hInstance, nullptr);
  }
  ~TWindows() {
    DestroyWindow(Parent);
    UnregisterClassW(L"VsThemeParentProbe", GetModuleHandleW(nullptr));
  }
};

}  // namespace

// The parent's background lands where it lies behind the window, whatever
// the rectangle, clipped to the rectangle; the DC is left as it was.
TEST_F(ThemeProvider, ParentBackgroundBehindTheWindow) {
  TWindows Windows;
  ASSERT_NE(nullptr, Windows.Child);
  HDC DC = CreateCompatibleDC(nullptr);
  BITMAPINFO Info = {};
  Info.bmiHeader = {sizeof(BITMAPINFOHEADER), 50, 50, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* Bits = nullptr;
  HBITMAP Bitmap = CreateDIBSection(DC, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  HGDIOBJ Old = SelectObject(DC, Bitmap);
  PatBlt(DC, 0, 0, 50, 50, WHITENESS);

  RECT Rect = {5, 5, 40, 40};
  Manager->TThemeManager::DrawThemeParentBackground(Windows.Child, DC, &Rect);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(DC, 5, 5));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(DC, 6, 6));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(DC, 0, 0));    // outside the rectangle
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(DC, 45, 45));  // outside the rectangle
  EXPECT_EQ(MM_TEXT, GetMapMode(DC));
  POINT Origin = {-1, -1};
  GetViewportOrgEx(DC, &Origin);
  EXPECT_EQ(0, Origin.x);
  EXPECT_EQ(0, Origin.y);
  RECT Clip = {};
  GetClipBox(DC, &Clip);
  EXPECT_EQ(50, Clip.right);

  // Without a rectangle all of it.
  Manager->TThemeManager::DrawThemeParentBackground(Windows.Child, DC, nullptr);
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(DC, 45, 45));

  SelectObject(DC, Old);
  DeleteObject(Bitmap);
  DeleteDC(DC);
}
