#include "VsThemesMain.h"

#include <cstring>

#include "UtilWindow.h"
#include "VsInprocHookAPI.h"
#include "VsTools.h"
#include "VsUxTheme.h"

namespace {

constexpr int SysColorCount = 31;  // system colour indexes 0..30
constexpr int CloseThemeDataEntry = 3;

// The table as it was before the redirection, and its flag.
TVsUxThemeApi SavedThemeApi = {};
bool SavedThemesAvailable = false;
// True from the redirection until the table is restored.
bool Redirected = false;

// The style's colour id of each system colour; COLOR_BTNALTFACE (25) has
// none.
constexpr int SysColorThemeId(int Index) { return Index == 25 ? 0 : 1601 + Index; }

// The system colours as they were when the hooks went in.
DWORD SavedSysColors[SysColorCount] = {};
HBRUSH SavedSysColorBrushes[SysColorCount] = {};

// user32's routines and the bytes the jumps overwrote (zero: not patched).
void* GetSysColorCode = nullptr;
void* GetSysColorBrushCode = nullptr;
Byte SavedGetSysColorBytes[HookCodeSize] = {};
Byte SavedGetSysColorBrushBytes[HookCodeSize] = {};

bool SystemThemeLoaded = false;
bool SystemThemeDropped = false;

bool Started = false;
TOwned<TVsThemeWatcher> Watcher;

using TEntries = FARPROC[VsUxThemeEntryCount];

void ReadEntries(const TVsUxThemeApi& Api, TEntries& Entries) { std::memcpy(Entries, &Api, sizeof Entries); }
void WriteEntries(TVsUxThemeApi& Api, const TEntries& Entries) { std::memcpy(&Api, Entries, sizeof Entries); }

void RedirectThemeApi() {
  SavedThemesAvailable = ThemesAvailable;
  SavedThemeApi = VsUxThemeApi;
  VsUxThemeApi = VsThemeWrapperApi;
  ThemesAvailable = true;
  Redirected = true;
}

// Puts back the saved value of Entry. An entry that was nil stays the
// wrapper: controls still call the table while they are told of the change.
void RestoreEntry(int Entry) {
  TEntries Table, Saved;
  ReadEntries(VsUxThemeApi, Table);
  ReadEntries(SavedThemeApi, Saved);
  if (!Saved[Entry]) return;
  Table[Entry] = Saved[Entry];
  Saved[Entry] = nullptr;
  WriteEntries(VsUxThemeApi, Table);
  WriteEntries(SavedThemeApi, Saved);
}

// Every entry but CloseThemeData, which controls still need for the
// engine's handles they hold.
void RestoreThemeApi() {
  for (int I = 0; I < VsUxThemeEntryCount; ++I)
    if (I != CloseThemeDataEntry) RestoreEntry(I);
}

void RestoreCloseThemeData() {
  RestoreEntry(CloseThemeDataEntry);
  ThemesAvailable = SavedThemesAvailable;
  Redirected = false;
}

// Patches Code under the process's hook lock.
void Patch(void* Code, const void* Replacement, Byte* SavedBytes) {
  EnterHookLock();
  HookCode(Code, Replacement, SavedBytes);
  LeaveHookLock();
}

void Unpatch(void* Code, Byte* SavedBytes) {
  EnterHookLock();
  UnhookCode(Code, SavedBytes);
  LeaveHookLock();
}

void HookSysColors() {
  for (int I = 0; I < SysColorCount; ++I) {
    SavedSysColors[I] = GetSysColor(I);
    SavedSysColorBrushes[I] = GetSysColorBrush(I);
  }
  const HMODULE User = GetModuleHandleA("user32.dll");
  GetSysColorCode = ResolveImportThunk(reinterpret_cast<void*>(GetProcAddress(User, "GetSysColor")));
  GetSysColorBrushCode = ResolveImportThunk(reinterpret_cast<void*>(GetProcAddress(User, "GetSysColorBrush")));
  Patch(GetSysColorCode, reinterpret_cast<const void*>(&ThemedGetSysColor), SavedGetSysColorBytes);
  Patch(GetSysColorBrushCode, reinterpret_cast<const void*>(&ThemedGetSysColorBrush), SavedGetSysColorBrushBytes);
}

void UnhookSysColors() {
  Unpatch(GetSysColorCode, SavedGetSysColorBytes);
  Unpatch(GetSysColorBrushCode, SavedGetSysColorBrushBytes);
}

void BroadcastThemeChange() {
  BroadcastThreadMessage(VS_THEMECHANGED, 0, 0);
  BroadcastThreadMessage(WM_SYSCOLORCHANGE, 0, 0);
  BroadcastThreadMessage(WM_NCPAINT, 1, 0);
  BroadcastThreadMessage(CM_SYSCOLORCHANGE, 0, 0);
}

struct TBroadcast {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// The enumeration of a window's children already reaches their children,
// so each window is sent the message once.
BOOL CALLBACK SendToChild(HWND Wnd, LPARAM Data) noexcept {
  const auto& B = *reinterpret_cast<const TBroadcast*>(Data);
  SendMessageW(Wnd, B.Msg, B.WParam, B.LParam);
  return TRUE;
}

BOOL CALLBACK SendToTopLevel(HWND Wnd, LPARAM Data) noexcept {
  const auto& B = *reinterpret_cast<const TBroadcast*>(Data);
  SendMessageW(Wnd, B.Msg, B.WParam, B.LParam);
  EnumChildWindows(Wnd, SendToChild, Data);
  return TRUE;
}

}  // namespace

TOwned<TThemeManager> LoadTheme(LPCWSTR FileName) { return CreateThemeManager(FileName); }

TThemeManager* CurrentTheme() { return GetCurrentThemeManager(); }

HRESULT ApplyTheme(TThemeManager* Manager, LPCWSTR SchemeName) {
  TThemeManager* const Old = GetCurrentThemeManager();
  const HRESULT Result = ActivateThemeManager(Manager, SchemeName);
  if (FAILED(Result)) return Result;
  if (!Old) {
    RedirectThemeApi();
    HookSysColors();
  } else if (Old != Manager) {
    UnloadTheme(Old);
  }
  BroadcastThemeChange();
  SystemThemeLoaded = false;
  return Result;
}

void RemoveTheme() {
  // Without a redirection there is nothing to restore, and restoring the
  // saved flag would hide a bound table from the controls.
  if (!Redirected) return;
  UnhookSysColors();
  RestoreThemeApi();
  ClearCurrentThemeManager();
  // The controls close their engine handles through the engine's entry
  // (the deactivation freed those themes, so it only answers E_FAIL) and
  // open the system's through the restored ones.
  BroadcastThemeChange();
  RestoreCloseThemeData();
  if (IsWinXPUp && !SystemThemeDropped) LoadSystemTheme();
}

HRESULT UnloadTheme(TThemeManager* Manager) {
  if (!Manager) return 0;
  try {
    if (Manager == GetCurrentThemeManager()) RemoveTheme();
    return FreeThemeManager(TOwned<TThemeManager>(Manager));
  } catch (...) {
    return E_FAIL;
  }
}

void LoadSystemTheme() {
  if (SystemThemeLoaded) return;
  const TVsUxThemeApi& Api = VsUxThemeApi;
  if (!Api.IsThemeActive || !Api.IsThemeActive() || !Api.GetCurrentThemeName) return;
  WCHAR FileName[1024] = {};
  WCHAR SchemeName[100] = {};
  if (FAILED(Api.GetCurrentThemeName(FileName, 1024, SchemeName, 100, nullptr, 0))) return;
  FileName[1023] = L'\0';
  SchemeName[99] = L'\0';
  TOwned<TThemeManager> Manager = LoadTheme(FileName);
  if (!Manager) return;
  if (SUCCEEDED(ApplyTheme(Manager.get(), SchemeName))) Manager.release();
  SystemThemeLoaded = true;
}

void DropSystemTheme() {
  TThemeManager* const Manager = GetCurrentThemeManager();
  if (!SystemThemeLoaded || !Manager) return;
  SystemThemeDropped = true;
  RemoveTheme();
  UnloadTheme(Manager);
}

void BroadcastThreadMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TBroadcast B = {Msg, WParam, LParam};
  EnumThreadWindows(GetCurrentThreadId(), SendToTopLevel, reinterpret_cast<LPARAM>(&B));
}

extern "C" DWORD WINAPI ThemedGetSysColor(int Index) noexcept {
  if (Index < 0 || Index >= SysColorCount) return 0;
  try {
    const TVsUxThemeApi& Api = VsUxThemeApi;
    const int Id = SysColorThemeId(Index);
    if (!Api.GetThemeSysColorBrush || !Api.GetThemeSysColor || !Api.GetThemeSysColorBrush(nullptr, Id))
      return SavedSysColors[Index];
    return Api.GetThemeSysColor(nullptr, Id);
  } catch (...) {
    return SavedSysColors[Index];
  }
}

extern "C" HBRUSH WINAPI ThemedGetSysColorBrush(int Index) noexcept {
  if (Index < 0 || Index >= SysColorCount) return nullptr;
  try {
    const auto ThemeBrush = VsUxThemeApi.GetThemeSysColorBrush;
    const HBRUSH Brush = ThemeBrush ? ThemeBrush(nullptr, SysColorThemeId(Index)) : nullptr;
    return Brush ? Brush : SavedSysColorBrushes[Index];
  } catch (...) {
    return SavedSysColorBrushes[Index];
  }
}

// TVsThemeWatcher

TVsThemeWatcher::TVsThemeWatcher() : FHandle(AllocateHWnd(TWndMethod(this, &TVsThemeWatcher::WndProc))) {}

TVsThemeWatcher::~TVsThemeWatcher() { DeallocateHWnd(FHandle); }

// After the system's first theme change the system library draws: the
// style taken from the system is dropped for good.
void TVsThemeWatcher::WndProc(TMessage& Message) {
  if (Message.Msg != WM_THEMECHANGED) {
    DefUtilWindowHandler(FHandle, Message);
    return;
  }
  if (SystemThemeLoaded) {
    DropSystemTheme();
    LoadSystemTheme();
  }
  BroadcastThemeChange();
}

TVsThemeWatcher* ThemeWatcher() { return Watcher.get(); }

void InitializeVsThemesMain() {
  if (Started) return;
  Started = true;
  BindUxTheme();
  Watcher.reset(new TVsThemeWatcher);
  SystemThemeLoaded = false;
  SystemThemeDropped = false;
  if (IsWinXPUp) LoadSystemTheme();
}

void FinalizeVsThemesMain() {
  if (!Started) return;
  Started = false;
  if (IsWinXPUp) DropSystemTheme();
  // A style applied by the program goes too: the system colours must not
  // stay patched to an engine that has ended.
  if (Redirected) {
    SystemThemeDropped = true;
    TThemeManager* const Manager = GetCurrentThemeManager();
    RemoveTheme();
    UnloadTheme(Manager);
  }
  Watcher.reset();
  UnbindUxTheme();
}
