// Times DrawThemeBackground of the theme engine beside the platform's theme
// library on the same style file, DC (a 32-bpp DIB section), part, state
// and size: one part of each kind of drawing. Each figure is the best of a
// few runs; the ratio is engine time / platform time.
#include "BenchSupport.h"
#include <cstdio>

#include "VsThemesWindowsXP.h"
#include "VsUxTheme.h"
#include "Win.h"

namespace {

constexpr int Calls = 2000;

struct TCase {
  const char* Name;
  const wchar_t* ClassName;
  int PartId, StateId, Width, Height;
};

const TCase Cases[] = {
    {"EDIT 0 (border-fill)", L"EDIT", 0, 0, 60, 21},
    {"LISTVIEW 0 (border-fill)", L"LISTVIEW", 0, 0, 200, 100},
    {"check box 13x13 (true size)", L"BUTTON", 3, 1, 13, 13},
    {"push button 75x23 (alpha nine-grid)", L"BUTTON", 1, 1, 75, 23},
    {"scroll thumb 17x60 (nine-grid)", L"SCROLLBAR", 3, 1, 17, 60},
    {"scroll track 17x200 (nine-grid)", L"SCROLLBAR", 6, 1, 17, 200},
    {"scroll arrow 17x17 (nine-grid + glyph)", L"SCROLLBAR", 1, 1, 17, 17},
};

}  // namespace

int main() {
  BindUxTheme();
  if (!ThemesAvailable || !VsUxThemeApi.OpenThemeData) {
    std::printf("The platform's theme library is not available.\n");
    return 1;
  }
  TOwned<TThemeManager> Manager = CreateThemeManager(L"C:\\windows\\resources\\themes\\light\\light.msstyles");
  if (!Manager) {
    std::printf("The style file does not load.\n");
    return 1;
  }
  Manager->SetColorScheme(L"");

  // A 32-bpp DIB section in a memory DC.
  TVsBlitBuffer Canvas;
  const HDC DC = Canvas.Prepare(256, 256);

  std::printf("%-40s %12s %12s %7s\n", "part", "engine us", "platform us", "ratio");
  for (const TCase& C : Cases) {
    TTheme* Engine = Manager->GetTheme(C.ClassName);
    const HTHEME Platform = VsUxThemeApi.OpenThemeData(nullptr, C.ClassName);
    const RECT R{0, 0, C.Width, C.Height};
    const double Ours = Best([&] {
      for (int I = 0; I < Calls; ++I) Engine->DrawThemeBackground(DC, C.PartId, C.StateId, &R, nullptr);
    });
    const double Theirs = Best([&] {
      for (int I = 0; I < Calls; ++I) VsUxThemeApi.DrawThemeBackground(Platform, DC, C.PartId, C.StateId, &R, nullptr);
    });
    std::printf("%-40s %12.2f %12.2f %7.2f\n", C.Name, Ours * 1e6 / Calls, Theirs * 1e6 / Calls, Ours / Theirs);
    VsUxThemeApi.CloseThemeData(Platform);
  }
  return 0;
}
