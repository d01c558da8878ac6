// Times VsDrawTextW beside the system's DrawTextW on the same memory DC,
// font, rectangle and text: 200 lines of Polish text broken at words, one
// long line cut with an ellipsis, and measuring with DT_CALCRECT. Each figure
// is the best of a few runs; the ratio is VsDrawTextW time / DrawTextW time.
#include "BenchSupport.h"
#include <cstdio>
#include <string>

#include "VsFrameworkUtils.h"
#include "VsTools.h"
#include "Win.h"

namespace {

constexpr int Repeats = 20;

void Report(const char* What, double Ours, double Theirs) {
  std::printf("%-34s VsDrawTextW %9.2f ms   DrawTextW %9.2f ms   ratio %5.2f\n", What, Ours * 1000, Theirs * 1000,
              Ours / Theirs);
}

std::wstring PolishText(int Lines) {
  const std::wstring Sentence =
      L"Zażółć gęślą jaźń, pchnąć w tę łódź jeża lub ośm skrzyń fig; ćma i żółw śpią w źródle. ";
  std::wstring Text;
  for (int I = 0; I < Lines; ++I) Text += Sentence + L"\r\n";
  return Text;
}

}  // namespace

int main() {
  InitializeVsTools();
  HDC DC = CreateCompatibleDC(nullptr);
  HDC Screen = GetDC(nullptr);
  HBITMAP Bitmap = CreateCompatibleBitmap(Screen, 800, 600);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldBitmap = SelectObject(DC, Bitmap);
  HFONT Font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "Tahoma");
  HGDIOBJ OldFont = SelectObject(DC, Font);

  struct TCase {
    const char* Name;
    std::wstring Text;
    RECT Rect;
    UINT Format;
  };
  const std::wstring Long = PolishText(1).substr(0, 80) + PolishText(1);
  const TCase Cases[] = {
      {"200 lines, word break", PolishText(200), {0, 0, 300, 600}, DT_WORDBREAK | DT_NOPREFIX},
      {"single line, end ellipsis", Long, {0, 0, 250, 20}, DT_SINGLELINE | DT_END_ELLIPSIS},
      {"200 lines, word break, calc rect", PolishText(200), {0, 0, 300, 0}, DT_WORDBREAK | DT_CALCRECT},
  };
  for (const TCase& C : Cases) {
    const double Ours = Best([&] {
      for (int I = 0; I < Repeats; ++I) {
        RECT R = C.Rect;
        VsDrawTextW(DC, C.Text.c_str(), -1, R, C.Format);
      }
    });
    const double Theirs = Best([&] {
      for (int I = 0; I < Repeats; ++I) {
        RECT R = C.Rect;
        DrawTextW(DC, C.Text.c_str(), -1, &R, C.Format);
      }
    });
    Report(C.Name, Ours, Theirs);
  }

  SelectObject(DC, OldFont);
  DeleteObject(Font);
  SelectObject(DC, OldBitmap);
  DeleteObject(Bitmap);
  DeleteDC(DC);
  return 0;
}
