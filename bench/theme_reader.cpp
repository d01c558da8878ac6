// Times the style-file reader on the prefix's own style, beside the
// platform's theme library on the same file, best of 5:
//
// 1. Open: OpenThemeData + CloseThemeData of "EDIT", "LISTVIEW", "BUTTON"
//    and "SCROLLBAR" on an applied engine, beside the platform's same calls.
// 2. First open: a fresh manager loaded and activated and the four class
//    lists opened (the class sets read their parts' sections and images),
//    beside the platform's first OpenThemeData of the same lists and one
//    DrawThemeBackground of each of their parts (it loads its images when it
//    first draws). The images of the opened parts are loaded once more
//    alone, to show their share. The platform's first open happens once per
//    process, so each of its runs is a new process of this program. The
//    platform reads the style file itself when it starts, which no published
//    function exposes, so that part has no figure beside the engine's load.
#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Graphics.h"
#include "SysUtils.h"
#include "VsThemesGeneral.h"
#include "VsThemesWindowsXP.h"
#include "VsTmSchema.h"
#include "VsUxTheme.h"
#include "Win.h"

namespace {

const wchar_t Style[] = L"C:\\windows\\resources\\themes\\light\\light.msstyles";
const wchar_t* const Lists[] = {L"EDIT", L"LISTVIEW", L"BUTTON", L"SCROLLBAR"};
constexpr int Rounds = 1000;

// The four classes and their part ids on the platform.
const struct {
  const wchar_t* List;
  std::vector<int> PlatformParts;
} Classes[] = {
    {L"EDIT", {1}},
    {L"LISTVIEW", {1}},
    {L"BUTTON", {1, 2, 3, 4}},
    {L"SCROLLBAR", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
};

int Sink = 0;

double OpenAndClose(const TVsUxThemeApi& Api, HWND Window, const char* Who) {
  for (const wchar_t* List : Lists) {
    const HTHEME Theme = Api.OpenThemeData(Window, List);
    if (!Theme) {
      std::fprintf(stderr, "the %s opens no theme of %ls\n", Who, List);
      std::exit(1);
    }
    Api.CloseThemeData(Theme);
  }
  return Best(
      [&] {
        for (int R = 0; R < Rounds; ++R)
          for (const wchar_t* List : Lists) {
            const HTHEME Theme = Api.OpenThemeData(Window, List);
            Sink += Theme != nullptr;
            Api.CloseThemeData(Theme);
          }
      },
      [] {}, 5);
}

// The platform's first open in this process, in seconds: the four lists
// opened and each of their parts drawn once.
double PlatformFirstOpen(HWND Window) {
  const HDC Screen = GetDC(nullptr);
  const HDC DC = CreateCompatibleDC(Screen);
  const HBITMAP Bitmap = CreateCompatibleBitmap(Screen, 64, 64);
  const HGDIOBJ Old = SelectObject(DC, Bitmap);
  const RECT R = {0, 0, 64, 64};
  const double Start = Seconds();
  for (const auto& C : Classes) {
    const HTHEME Theme = VsUxThemeApi.OpenThemeData(Window, C.List);
    for (int Part : C.PlatformParts) VsUxThemeApi.DrawThemeBackground(Theme, DC, Part, 1, &R, nullptr);
    VsUxThemeApi.CloseThemeData(Theme);
  }
  const double Time = Seconds() - Start;
  SelectObject(DC, Old);
  DeleteObject(Bitmap);
  DeleteDC(DC);
  ReleaseDC(nullptr, Screen);
  return Time;
}

// Runs this program again to time the platform's first open there.
double PlatformFirstOpenInNewProcess() {
  wchar_t Self[MAX_PATH];
  GetModuleFileNameW(nullptr, Self, MAX_PATH);
  std::wstring Command = L"\"" + std::wstring(Self) + L"\" --platform-first";
  STARTUPINFOW Start = {};
  Start.cb = sizeof Start;
  PROCESS_INFORMATION Process = {};
  if (!CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Start, &Process)) {
    std::fprintf(stderr, "cannot start %ls\n", Self);
    std::exit(1);
  }
  if (WaitForSingleObject(Process.hProcess, 60000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "the platform's first open did not end within 60 s\n");
    TerminateProcess(Process.hProcess, 1);
    std::exit(1);
  }
  DWORD Microseconds = 0;
  GetExitCodeProcess(Process.hProcess, &Microseconds);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return Microseconds / 1e6;
}

struct TFirstOpen {
  double Load = 0, Activate = 0, Open = 0, Images = 0;
  double Total() const { return Load + Activate + Open; }
};

// The image names of the parts a theme holds under the ids 0..Last and of
// their parents, each part once.
void CollectImageNames(TTheme* Theme, int Last, std::vector<const TWindowsXPThemePart*>& Seen,
                       std::vector<AnsiString>& Names) {
  for (int Id = 0; Id <= Last; ++Id)
    for (auto* Part = dynamic_cast<const TWindowsXPThemePart*>(Theme->GetPart(Id)); Part; Part = Part->Parent()) {
      if (std::find(Seen.begin(), Seen.end(), Part) != Seen.end()) break;
      Seen.push_back(Part);
      for (const TTmProperty& P : TmProperties(TTmPropertyKind::FileName))
        if (P.Id != 80 && Part->IsOwnPropertyDefined(P.Id))
          Names.push_back(TmImageResourceName(Part->GetFileName(P.Id)));
    }
}

// One first open on a fresh manager; Open includes the parts' sections and
// images, which Images times alone on the same bitmaps.
TFirstOpen EngineFirstOpen() {
  TFirstOpen F;
  double T = Seconds();
  TOwned<TThemeManager> Manager = CreateThemeManager(Style);
  F.Load = Seconds() - T;
  if (!Manager) {
    std::fprintf(stderr, "the style does not load\n");
    std::exit(1);
  }
  T = Seconds();
  if (ActivateThemeManager(Manager.get(), nullptr) != S_OK) {
    std::fprintf(stderr, "the style does not activate\n");
    std::exit(1);
  }
  F.Activate = Seconds() - T;
  std::vector<HTHEME> Handles;
  T = Seconds();
  for (const auto& C : Classes) Handles.push_back(VsThemeWrapperApi.OpenThemeData(nullptr, C.List));
  F.Open = Seconds() - T;

  // The same images again, loaded alone.
  auto* XP = static_cast<TWindowsXPThemeManager*>(Manager.get());
  std::vector<const TWindowsXPThemePart*> Seen;
  std::vector<AnsiString> Names;
  for (HTHEME Handle : Handles) {
    TTheme* Theme = ThemeOfHandle(Handle);
    if (!Theme) {
      std::fprintf(stderr, "the engine opens no theme of a class list\n");
      std::exit(1);
    }
    CollectImageNames(Theme, 16, Seen, Names);
  }
  T = Seconds();
  for (const AnsiString& Name : Names) {
    TBitmap Bitmap;
    Bitmap.LoadFromResourceName(XP->Module(), Name);
    Sink += Bitmap.Width();
  }
  F.Images = Seconds() - T;
  for (HTHEME Handle : Handles) VsThemeWrapperApi.CloseThemeData(Handle);
  FreeThemeManager(std::move(Manager));
  return F;
}

}  // namespace

int main(int argc, char** argv) {
  BindUxTheme();
  const HWND Window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (argc > 1 && std::strcmp(argv[1], "--platform-first") == 0)
    return static_cast<int>(PlatformFirstOpen(Window) * 1e6);
  if (!ThemesAvailable) {
    std::fprintf(stderr, "the platform's theme library is not there\n");
    return 1;
  }

  // 2. First open.
  TFirstOpen Best = EngineFirstOpen();
  for (int I = 1; I < 5; ++I) {
    const TFirstOpen F = EngineFirstOpen();
    if (F.Total() < Best.Total()) Best = F;
  }
  double Platform = 1e9;
  for (int I = 0; I < 5; ++I) Platform = std::min(Platform, PlatformFirstOpenInNewProcess());

  // 1. Open, on an applied engine.
  TOwned<TThemeManager> Manager = CreateThemeManager(Style);
  ActivateThemeManager(Manager.get(), nullptr);
  const double Engine = OpenAndClose(VsThemeWrapperApi, Window, "engine");
  const double System = OpenAndClose(VsUxThemeApi, Window, "platform");
  FreeThemeManager(std::move(Manager));

  std::printf("open + close of 4 class lists, %d times: engine %.2f ms, platform %.2f ms, ratio %.4f\n", Rounds,
              Engine * 1000, System * 1000, Engine / System);
  std::printf("first open: engine %.2f ms (load %.2f, scheme ini and metrics %.2f, opening the lists with "
              "their sections and images %.2f, of which images %.2f), platform %.2f ms, ratio %.2f\n",
              Best.Total() * 1000, Best.Load * 1000, Best.Activate * 1000, Best.Open * 1000, Best.Images * 1000,
              Platform * 1000, Best.Total() / Platform);
  std::printf("load and activation: %.2f ms\n", (Best.Load + Best.Activate) * 1000);
  DestroyWindow(Window);
  return Sink == -1;
}
