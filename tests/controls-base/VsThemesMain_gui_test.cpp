// Applying and removing a style: the theme-API table, the system colours and
// the messages every window of the thread receives; the start-up binding and
// the watcher of the system's theme changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "VsInprocHookAPI.h"
#include "VsThemesMain.h"
#include "VsTools.h"

namespace {

using TEntries = FARPROC[VsUxThemeEntryCount];

struct TTableState {
  TEntries Entries;
  bool Available;
};

TTableState TableState() {
  TTableState S;
  std::memcpy(S.Entries, &VsUxThemeApi, sizeof S.Entries);
  S.Available = ThemesAvailable;
  return S;
}

void ExpectEntries(const TEntries& Expected, const char* When) {
  TEntries Actual;
  std::memcpy(Actual, &VsUxThemeApi, sizeof Actual);
  for (int I = 0; I < VsUxThemeEntryCount; ++I)
    EXPECT_EQ(Actual[I], Expected[I]) << VsUxThemeExportNames[I] << " " << When;
}

void ExpectWrappers(const char* When) {
  TEntries Wrappers;
  std::memcpy(Wrappers, &VsThemeWrapperApi, sizeof Wrappers);
  ExpectEntries(Wrappers, When);
}

void ExpectRedirected(const char* When) {
  ExpectWrappers(When);
  EXPECT_TRUE(ThemesAvailable) << When;
}

// A style whose system colours are the ids 1601-1631 but 1609 (index 8),
// each a colour of its own; the colour of a nil theme is a system colour.
// Its destruction is noted in Freed.
class TColorManager : public TThemeManager {
public:
  explicit TColorManager(bool* Freed = nullptr) : FFreed(Freed) { ColorSchemes().Add(L"Blue"); }
  ~TColorManager() override {
    for (auto& Entry : FBrushes) DeleteObject(Entry.second);
    if (FFreed) *FFreed = true;
  }

  static bool Defines(int Id) { return Id >= 1601 && Id <= 1631 && Id != 1609; }
  static COLORREF ColorOf(int Id) { return RGB(Id % 256, 7, Id / 256); }

  WideString GetDisplayName() override { return L"Probe"; }
  WideString GetColorSchemeDisplayName(const WideString&) override { return L""; }
  TTheme* CreateTheme(const WideString&) override { return new TTheme(this); }

  COLORREF GetThemeSysColor(HTHEME Theme, int Id) override {
    if (Theme || !Defines(Id)) return TThemeManager::GetThemeSysColor(Theme, Id);
    return ColorOf(Id);
  }
  HBRUSH GetThemeSysColorBrush(HTHEME Theme, int Id) override {
    if (Theme || !Defines(Id)) return TThemeManager::GetThemeSysColorBrush(Theme, Id);
    HBRUSH& Brush = FBrushes[Id];
    if (!Brush) Brush = CreateSolidBrush(ColorOf(Id));
    return Brush;
  }

private:
  bool* FFreed;
  std::map<int, HBRUSH> FBrushes;
};

// What a window was sent of the four theme-change messages, with the state
// of the table it saw when the first arrived.
struct TReceived {
  UINT Msg;
  WPARAM WParam;
  bool Available;
  bool OpenIsWrapper;
  bool CloseIsWrapper;
};

std::map<HWND, std::vector<TReceived>> Received;

// Closing an engine handle from inside the broadcasts, as a control does.
HTHEME HandleToClose = nullptr;
HRESULT CloseResult = S_OK;

bool IsThemeChangeMessage(UINT Msg) {
  return Msg == VS_THEMECHANGED || Msg == WM_SYSCOLORCHANGE || Msg == WM_NCPAINT || Msg == CM_SYSCOLORCHANGE;
}

LRESULT CALLBACK RecorderProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) noexcept {
  if (IsThemeChangeMessage(Msg)) {
    Received[Wnd].push_back({Msg, WParam, ThemesAvailable,
                             VsUxThemeApi.OpenThemeData == VsThemeWrapperApi.OpenThemeData,
                             VsUxThemeApi.CloseThemeData == VsThemeWrapperApi.CloseThemeData});
    if (Msg == VS_THEMECHANGED && HandleToClose && VsUxThemeApi.CloseThemeData) {
      CloseResult = VsUxThemeApi.CloseThemeData(HandleToClose);
      HandleToClose = nullptr;
    }
    if (Msg == WM_NCPAINT) return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// A top-level window with a child and a grandchild, all recording.
struct TRecorders {
  HWND Top = nullptr, Child = nullptr, Grandchild = nullptr;
  TRecorders() {
    WNDCLASSW Class = {};
    Class.lpfnWndProc = RecorderProc;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = L"VsThemesMainRecorder";
    RegisterClassW(&Class);
    Top = CreateWindowExW(0, Class.lpszClassName, L"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                          Class.hInstance, nullptr);
    Child = CreateWindowExW(0, Class.lpszClassName, L"child", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, Top, nullptr,
                            Class.hInstance, nullptr);
    Grandchild = CreateWindowExW(0, Class.lpszClassName, L"grandchild", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, Child,
                                 nullptr, Class.hInstance, nullptr);
    Received.clear();
  }
  ~TRecorders() { DestroyWindow(Top); }
};

// The messages of one theme change, in their order.
const std::vector<std::pair<UINT, WPARAM>> OneChange = {
    {VS_THEMECHANGED, 0}, {WM_SYSCOLORCHANGE, 0}, {WM_NCPAINT, 1}, {CM_SYSCOLORCHANGE, 0}};

std::vector<std::pair<UINT, WPARAM>> MessagesOf(HWND Wnd) {
  std::vector<std::pair<UINT, WPARAM>> Result;
  for (const TReceived& R : Received[Wnd]) Result.push_back({R.Msg, R.WParam});
  return Result;
}

void Unapply() {
  while (TThemeManager* M = CurrentTheme()) {
    RemoveTheme();
    if (CurrentTheme() == M) ClearCurrentThemeManager();
    FreeThemeManager(TOwned<TThemeManager>(M));
  }
}

// Each test starts with no style applied, the table unbound and the system
// taken as one before Windows XP, so that removing a style takes up nothing.
class ThemeActivation : public ::testing::Test {
protected:
  void SetUp() override {
    FinalizeVsThemesMain();
    IsWinXPUp = false;
    Unapply();
    UnbindUxTheme();
    VsUxThemeApi = TVsUxThemeApi{};
    Received.clear();
    HandleToClose = nullptr;
  }
  void TearDown() override {
    FinalizeVsThemesMain();
    Unapply();
    UnbindUxTheme();
    VsUxThemeApi = TVsUxThemeApi{};
  }
};

}  // namespace

// From a bound table and from an unbound one: applying points every entry at
// the engine; removing brings back every entry that was set, CloseThemeData
// only after the windows were told, and the flag.
TEST_F(ThemeActivation, ApplyThenRemoveRestoresTheTable) {
  for (const bool Bound : {true, false}) {
    SCOPED_TRACE(Bound ? "bound" : "unbound");
    if (Bound) BindUxTheme();
    const TTableState Before = TableState();
    TRecorders Windows;

    TOwned<TThemeManager> Manager(new TColorManager);
    ASSERT_EQ(ApplyTheme(Manager.get(), nullptr), S_OK);
    TThemeManager* const Applied = Manager.release();
    EXPECT_EQ(CurrentTheme(), Applied);
    ExpectRedirected("applied");
    EXPECT_TRUE(VsUxThemeApi.IsThemeActive());

    HandleToClose = VsUxThemeApi.OpenThemeData(nullptr, L"BUTTON");
    ASSERT_NE(HandleToClose, nullptr);
    Received.clear();
    RemoveTheme();
    EXPECT_EQ(CurrentTheme(), nullptr);
    EXPECT_EQ(ThemesAvailable, Before.Available);
    // The manager's deactivation freed its themes; the control's close
    // through the engine's entry says so instead of touching freed memory.
    EXPECT_EQ(CloseResult, E_FAIL);
    if (Bound) {
      ExpectEntries(Before.Entries, "removed");
    } else {
      ExpectWrappers("removed from unbound");  // nil entries stay the engine's
      EXPECT_EQ(VsUxThemeApi.OpenThemeData(nullptr, L"BUTTON"), nullptr);
    }
    ASSERT_EQ(Received[Windows.Top].size(), 4u);
    for (const TReceived& R : Received[Windows.Top]) {
      EXPECT_TRUE(R.Available);
      EXPECT_EQ(R.OpenIsWrapper, !Bound);
      EXPECT_TRUE(R.CloseIsWrapper);
    }
    FreeThemeManager(TOwned<TThemeManager>(Applied));
    UnbindUxTheme();
    VsUxThemeApi = TVsUxThemeApi{};
  }
}

TEST_F(ThemeActivation, FailedApplyChangesNothing) {
  BindUxTheme();
  const TTableState Before = TableState();
  TRecorders Windows;
  TOwned<TThemeManager> Manager(new TColorManager);
  EXPECT_EQ(ApplyTheme(Manager.get(), L"NoSuchScheme"), E_FAIL);
  EXPECT_EQ(ApplyTheme(nullptr, nullptr), E_FAIL);
  EXPECT_EQ(CurrentTheme(), nullptr);
  ExpectEntries(Before.Entries, "after a failed apply");
  EXPECT_TRUE(Received.empty());
  // Nothing applied: removing leaves the bound table as it is.
  RemoveTheme();
  ExpectEntries(Before.Entries, "after a remove with nothing applied");
  EXPECT_TRUE(ThemesAvailable);
  EXPECT_TRUE(Received.empty());
}

// The messages reach every window once each, in their order, children after
// their parents.
TEST_F(ThemeActivation, ChangeMessagesReachEveryWindowOnceInOrder) {
  TRecorders Windows;
  TOwned<TThemeManager> Manager(new TColorManager);
  ASSERT_EQ(ApplyTheme(Manager.get(), nullptr), S_OK);
  Manager.release();
  for (HWND Wnd : {Windows.Top, Windows.Child, Windows.Grandchild}) EXPECT_EQ(MessagesOf(Wnd), OneChange);

}

// A second style replaces the first: the first is deactivated and freed,
// the table stays redirected and is told once; removing still restores the
// table of before the first.
TEST_F(ThemeActivation, SecondStyleReplacesTheFirst) {
  BindUxTheme();
  const TTableState Before = TableState();
  TRecorders Windows;
  bool FirstFreed = false;
  TOwned<TThemeManager> First(new TColorManager(&FirstFreed));
  ASSERT_EQ(ApplyTheme(First.get(), nullptr), S_OK);
  First.release();
  Received.clear();

  TOwned<TThemeManager> Second(new TColorManager);
  ASSERT_EQ(ApplyTheme(Second.get(), L"Blue"), S_OK);
  TThemeManager* const Applied = Second.release();
  EXPECT_TRUE(FirstFreed);
  EXPECT_EQ(CurrentTheme(), Applied);
  ExpectRedirected("second applied");
  EXPECT_EQ(MessagesOf(Windows.Top), OneChange);

  EXPECT_EQ(UnloadTheme(Applied), S_OK);
  EXPECT_EQ(CurrentTheme(), nullptr);
  ExpectEntries(Before.Entries, "second removed");
  EXPECT_EQ(UnloadTheme(nullptr), 0);
}

// While a style is applied the system colours come from it, except index 25
// and colours it lacks, which keep the system's values; indexes outside
// 0..30 give 0. Removing the style unpatches user32.
TEST_F(ThemeActivation, SystemColoursFollowTheStyle) {
  DWORD System[31];
  for (int I = 0; I < 31; ++I) System[I] = GetSysColor(I);
  const HBRUSH SystemWindowBrush = GetSysColorBrush(COLOR_WINDOW);
  const HBRUSH SystemBrush8 = GetSysColorBrush(8);
  const HBRUSH SystemBrush25 = GetSysColorBrush(25);
  const auto* Code = reinterpret_cast<const Byte*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSysColor"));
  Byte Original[HookCodeSize];
  std::memcpy(Original, Code, HookCodeSize);

  TOwned<TThemeManager> Manager(new TColorManager);
  ASSERT_EQ(ApplyTheme(Manager.get(), nullptr), S_OK);
  Manager.release();
  for (int I = 0; I < 31; ++I) {
    const int Id = 1601 + I;
    const bool Kept = I == 25 || !TColorManager::Defines(Id);
    EXPECT_EQ(GetSysColor(I), Kept ? System[I] : TColorManager::ColorOf(Id)) << "index " << I;
  }
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
  EXPECT_EQ(GetSysColorBrush(-1), nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_WINDOW), VsUxThemeApi.GetThemeSysColorBrush(nullptr, 1601 + COLOR_WINDOW));
  EXPECT_NE(GetSysColorBrush(COLOR_WINDOW), SystemWindowBrush);
  EXPECT_EQ(GetSysColorBrush(8), SystemBrush8);
  EXPECT_EQ(GetSysColorBrush(25), SystemBrush25);
  EXPECT_EQ(Code[0], 0xE9);

  RemoveTheme();
  EXPECT_EQ(std::memcmp(Code, Original, HookCodeSize), 0);
  for (int I = 0; I < 31; ++I) EXPECT_EQ(GetSysColor(I), System[I]) << "index " << I;
  EXPECT_EQ(GetSysColorBrush(COLOR_WINDOW), SystemWindowBrush);
}

// At start-up the engine serves the style the system runs, "Blue" of the
// prefix's light.msstyles, whose colours are the system's; the system's
// first theme change leaves the system library drawing for good.
TEST_F(ThemeActivation, StartUpTakesUpTheSystemStyleUntilTheSystemChangesIt) {
  InitializeVsTools();
  ASSERT_TRUE(IsWinXPUp);
  DWORD System[31];
  for (int I = 0; I < 31; ++I) System[I] = GetSysColor(I);
  const auto* Code = reinterpret_cast<const Byte*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSysColor"));
  const Byte Original = Code[0];
  TRecorders Windows;

  InitializeVsThemesMain();
  ASSERT_NE(CurrentTheme(), nullptr);
  const WideString File = CurrentTheme()->FileName();
  EXPECT_EQ(File.substr(File.size() - 14), L"light.msstyles");
  EXPECT_EQ(CurrentTheme()->ColorSchemeName(), L"Blue");
  ExpectRedirected("started");
  EXPECT_EQ(Code[0], 0xE9);
  for (int I = 0; I < 31; ++I) EXPECT_EQ(GetSysColor(I), System[I]) << "index " << I;
  EXPECT_EQ(MessagesOf(Windows.Grandchild), OneChange);

  ASSERT_NE(ThemeWatcher(), nullptr);
  for (int Change = 0; Change < 2; ++Change) {
    SCOPED_TRACE(Change == 0 ? "first change" : "second change");
    Received.clear();
    SendMessageW(ThemeWatcher()->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(CurrentTheme(), nullptr);
    const HMODULE Library = GetModuleHandleA("uxtheme.dll");
    TEntries Bound;
    for (int I = 0; I < VsUxThemeEntryCount; ++I) Bound[I] = GetProcAddress(Library, VsUxThemeExportNames[I]);
    ExpectEntries(Bound, "after the change");
    EXPECT_TRUE(ThemesAvailable);
    EXPECT_EQ(Code[0], Original);
    // The removal tells the windows once and the change once more; a later
    // change only tells them.
    std::vector<std::pair<UINT, WPARAM>> Expected = OneChange;
    if (Change == 0) Expected.insert(Expected.end(), OneChange.begin(), OneChange.end());
    EXPECT_EQ(MessagesOf(Windows.Child), Expected);
  }

  FinalizeVsThemesMain();
  EXPECT_EQ(ThemeWatcher(), nullptr);
  EXPECT_FALSE(ThemesAvailable);
  TEntries Nil = {};
  ExpectEntries(Nil, "ended");
}

// A style the program applies replaces the system's; a system theme change
// leaves it in place, and removing it takes up the system's style again.
TEST_F(ThemeActivation, ProgramStyleOverTheSystemStyle) {
  InitializeVsTools();
  InitializeVsThemesMain();
  ASSERT_NE(CurrentTheme(), nullptr);
  const HTHEME SystemButton = VsUxThemeApi.OpenThemeData(nullptr, L"BUTTON");
  ASSERT_TRUE(IsThemeHandle(SystemButton));

  TOwned<TThemeManager> Manager(new TColorManager);
  ASSERT_EQ(ApplyTheme(Manager.get(), nullptr), S_OK);
  TThemeManager* const Applied = Manager.release();
  EXPECT_FALSE(IsThemeHandle(SystemButton));

  SendMessageW(ThemeWatcher()->Handle(), WM_THEMECHANGED, 0, 0);
  EXPECT_EQ(CurrentTheme(), Applied);
  ExpectRedirected("after a system change");

  EXPECT_EQ(UnloadTheme(Applied), S_OK);
  ASSERT_NE(CurrentTheme(), nullptr);
  const WideString File = CurrentTheme()->FileName();
  EXPECT_EQ(File.substr(File.size() - 14), L"light.msstyles");
  ExpectRedirected("system style again");
}

// Run by OlderSystemsTakeUpNothing in a copy of this program that the prefix
// makes believe it runs on an older system.
TEST(ThemeStartupVersions, ChildTakesUpNothing) {
  if (!std::getenv("VSTHEMESMAIN_CHILD")) GTEST_SKIP() << "run by OlderSystemsTakeUpNothing";
  const DWORD Window = GetSysColor(COLOR_WINDOW);
  InitializeVsTools();
  InitializeVsThemesMain();
  EXPECT_FALSE(IsWinXPUp);
  EXPECT_FALSE(ThemesAvailable);
  EXPECT_EQ(CurrentTheme(), nullptr);
  TEntries Nil = {};
  ExpectEntries(Nil, "started");
  ASSERT_NE(ThemeWatcher(), nullptr);
  TRecorders Windows;
  SendMessageW(ThemeWatcher()->Handle(), WM_THEMECHANGED, 0, 0);
  EXPECT_EQ(MessagesOf(Windows.Top), OneChange);
  EXPECT_EQ(CurrentTheme(), nullptr);
  EXPECT_FALSE(ThemesAvailable);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), Window);
  FinalizeVsThemesMain();
  EXPECT_EQ(ThemeWatcher(), nullptr);
}

TEST(ThemeStartupVersions, OlderSystemsTakeUpNothing) {
  for (const char* Version : {"win2k", "win98"}) {
    DWORD Exit = 0;
    EXPECT_EQ(RunCopyOnVersion("vsthemesmain", Version, "ThemeStartupVersions.ChildTakesUpNothing",
                               L"VSTHEMESMAIN_CHILD", Exit),
              "")
        << Version;
    EXPECT_EQ(Exit, 0u) << Version;
  }
}
