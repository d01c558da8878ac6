// The trainer's start-up with the system's visual style, which the theme
// engine takes up, beside its start-up while the system runs no style (the
// prefix's ThemeActive set to "0" for those runs and put back afterwards):
// the time from starting a copy of the trainer until its first window is
// visible, best of 10 each, and their ratio. Then the engine's own share in
// this process: its start and end with the style beside the same with the
// system running none.
//   scripts/wine-run bench_theme_startup.exe
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "BenchSupport.h"
#include "Framework.h"
#include "SysUtils.h"
#include "VsThemesMain.h"
#include "VsTools.h"

namespace {

const wchar_t ThemeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

// The prefix's ThemeActive value while it lives; the old value comes back
// when it ends.
class TThemeActive {
public:
  TThemeActive() {
    RegCreateKeyExW(HKEY_CURRENT_USER, ThemeKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &FKey, nullptr);
    DWORD Size = sizeof FOld - sizeof(wchar_t);
    DWORD Type = 0;
    FHad = RegQueryValueExW(FKey, L"ThemeActive", nullptr, &Type, reinterpret_cast<BYTE*>(FOld), &Size) ==
               ERROR_SUCCESS &&
           Type == REG_SZ;
  }
  ~TThemeActive() {
    if (FHad)
      Set(FOld);
    else
      RegDeleteValueW(FKey, L"ThemeActive");
    RegCloseKey(FKey);
  }
  void Set(const wchar_t* Value) const {
    RegSetValueExW(FKey, L"ThemeActive", 0, REG_SZ, reinterpret_cast<const BYTE*>(Value),
                   static_cast<DWORD>((wcslen(Value) + 1) * sizeof(wchar_t)));
  }
  void Restore() const { Set(FHad ? FOld : L"1"); }

private:
  HKEY FKey = nullptr;
  bool FHad = false;
  wchar_t FOld[16] = {};
};

struct TFind {
  DWORD Process;
  bool Found;
};

BOOL CALLBACK FindVisible(HWND Wnd, LPARAM Data) {
  auto& F = *reinterpret_cast<TFind*>(Data);
  DWORD Process = 0;
  GetWindowThreadProcessId(Wnd, &Process);
  if (Process == F.Process && IsWindowVisible(Wnd)) F.Found = true;
  return !F.Found;
}

// Seconds from starting Exe in its folder until a window of it shows; a
// negative value when it does not show within 60 s.
double StartUp(const std::wstring& Exe, const std::wstring& Folder) {
  STARTUPINFOW Startup = {};
  Startup.cb = sizeof Startup;
  PROCESS_INFORMATION Process = {};
  std::wstring Line = L"\"" + Exe + L"\"";
  const double Start = Seconds();
  if (!CreateProcessW(Exe.c_str(), Line.data(), nullptr, nullptr, FALSE, 0, nullptr, Folder.c_str(), &Startup,
                      &Process))
    return -1;
  TFind F = {Process.dwProcessId, false};
  double Result = -1;
  while (Seconds() - Start < 60) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&F));
    if (F.Found) {
      Result = Seconds() - Start;
      break;
    }
    if (WaitForSingleObject(Process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  TerminateProcess(Process.hProcess, 0);
  WaitForSingleObject(Process.hProcess, 10000);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return Result;
}

double EngineStartAndEnd() {
  return Best(
      [] {
        InitializeVsThemesMain();
        FinalizeVsThemesMain();
      },
      [] {}, 5);
}

}  // namespace

int main() {
  InitializeFramework();
  InitializeVsTools();

  wchar_t Self[MAX_PATH];
  GetModuleFileNameW(nullptr, Self, MAX_PATH);
  std::wstring Trainer(Self);
  Trainer = Trainer.substr(0, Trainer.rfind(L'\\') + 1) + L"Slovanta.exe";
  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  // A copy in a folder of its own, so that nothing the trainer writes beside
  // itself lands where the trainer runs.
  const std::wstring Folder = std::wstring(Temp) + L"slovanta-startup-bench";
  const std::wstring Copy = Folder + L"\\Slovanta.exe";
  CreateDirectoryW(Folder.c_str(), nullptr);
  if (!CopyFileW(Trainer.c_str(), Copy.c_str(), FALSE)) {
    std::printf("cannot copy %ls\n", Trainer.c_str());
    return 1;
  }

  double With = 1e9, Without = 1e9, EngineWith = 0, EngineWithout = 0;
  bool Failed = false;
  {
    TThemeActive Active;
    for (int Run = 0; Run < 10 && !Failed; ++Run) {
      Active.Restore();
      const double A = StartUp(Copy, Folder);
      Active.Set(L"0");
      const double B = StartUp(Copy, Folder);
      Failed = A < 0 || B < 0;
      With = std::min(With, A);
      Without = std::min(Without, B);
    }
    Active.Restore();
    EngineWith = EngineStartAndEnd();
  }
  DeleteFileW(Copy.c_str());
  RemoveDirectoryW(Folder.c_str());
  if (Failed) {
    std::printf("the trainer's window did not show within 60 s\n");
    return 1;
  }
  // Taken for a system before Windows XP, the engine takes up no style.
  IsWinXPUp = false;
  EngineWithout = EngineStartAndEnd();

  std::printf("trainer start-up, first window shown (best of 10):\n");
  std::printf("  with the system's style taken up  %8.1f ms\n", With * 1000);
  std::printf("  with the system running no style  %8.1f ms\n", Without * 1000);
  std::printf("  ratio                             %8.2f\n", With / Without);
  std::printf("theme engine start and end in this process (best of 5):\n");
  std::printf("  taking up the system's style      %8.1f ms\n", EngineWith * 1000);
  std::printf("  taking up nothing                 %8.1f ms\n", EngineWithout * 1000);
  return 0;
}
