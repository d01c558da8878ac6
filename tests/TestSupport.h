// Small helpers shared by the test programs.
#pragma once

#include <string>

#include "System.h"
#include "Win.h"

// The message of the E that Body raises, or "(nothing raised)".
template <class E, class F> std::string MessageOf(F&& Body) {
  try {
    Body();
  } catch (const E& Err) {
    return Err.Message();
  }
  return "(nothing raised)";
}

// A path in the temporary folder; Prefix keeps the files of test programs
// that run side by side apart.
inline AnsiString TestTempPath(const char* Prefix, const char* Name) {
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  return AnsiString(Dir) + "slovanta-" + Prefix + "-" + Name;
}

// Runs a copy of this test program, named "<Prefix>-<Version>.exe" in the
// temporary folder, that the prefix makes believe it runs on Windows
// Version ("win2k", "win98"), with ChildVariable set to "1" in its
// environment and only Filter's tests. The copy and its version setting are
// removed again. The copy's exit code (0: its tests passed); a text saying
// what went wrong when it did not start or did not end within 60 s.
inline std::string RunCopyOnVersion(const char* Prefix, const char* Version, const char* Filter,
                                    const wchar_t* ChildVariable, DWORD& Exit) {
  Exit = 1234;
  wchar_t Self[MAX_PATH];
  if (!GetModuleFileNameW(nullptr, Self, MAX_PATH)) return "the test program's own name is unknown";
  const std::string ExeName = std::string(Prefix) + "-" + Version + ".exe";
  const std::wstring Copy = AnsiToWide(TestTempPath(Prefix, ExeName.c_str()));
  const std::wstring BaseName = Copy.substr(Copy.rfind(L'\\') + 1);
  const std::wstring Key = L"Software\\Wine\\AppDefaults\\" + BaseName;
  std::string Error;
  HKEY Handle;
  if (!CopyFileW(Self, Copy.c_str(), FALSE)) {
    Error = "cannot copy the test program";
  } else if (RegCreateKeyExW(HKEY_CURRENT_USER, Key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &Handle, nullptr) !=
             ERROR_SUCCESS) {
    Error = "cannot set the copy's version";
  } else {
    const std::wstring Value = AnsiToWide(Version);
    RegSetValueExW(Handle, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                   static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(Handle);
    std::wstring Line = L"\"" + Copy + L"\" --gtest_filter=" + AnsiToWide(Filter);
    STARTUPINFOW Startup = {};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process = {};
    SetEnvironmentVariableW(ChildVariable, L"1");
    const BOOL Started =
        CreateProcessW(Copy.c_str(), Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup, &Process);
    SetEnvironmentVariableW(ChildVariable, nullptr);
    if (!Started) {
      Error = "the copy did not start";
    } else {
      if (WaitForSingleObject(Process.hProcess, 60000) != WAIT_OBJECT_0) {
        Error = "waited 60 s for the copy to end";
        TerminateProcess(Process.hProcess, 4321);
      }
      WaitForSingleObject(Process.hProcess, 10000);
      GetExitCodeProcess(Process.hProcess, &Exit);
      CloseHandle(Process.hThread);
      CloseHandle(Process.hProcess);
    }
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, Key.c_str());
  DeleteFileW(Copy.c_str());
  return Error;
}
