// Times the background layouts and the effects label beside the platform's
// own drawing of the same work in one run: tiling a 64 x 64 picture over
// 1024 x 768 beside a pattern brush's PatBlt, stretching beside one
// StretchBlt, and the label's two-line centred bold caption beside DrawTextW
// of the same text and font (with shadow, outline and extrusion as figures).
// Each figure is the best of a few runs; a ratio is our time / theirs.
#include "BenchSupport.h"
#include <cstdio>

#include "Forms.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "VsExtBkgnd.h"
#include "VsLabel.h"
#include "Win.h"

namespace {

constexpr int Repeats = 50;

void Report(const char* What, const char* Theirs, double Ours, double Platform) {
  std::printf("%-30s ours %8.2f ms   %-12s %8.2f ms   ratio %5.2f\n", What, Ours * 1000, Theirs, Platform * 1000,
              Ours / Platform);
}

}  // namespace

int main() {
  InitializeForms();
  InitializeStdCtrls();
  InitializeVsLabel();
  HDC Screen = GetDC(nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HBITMAP Surface = CreateCompatibleBitmap(Screen, 1024, 768);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldSurface = SelectObject(DC, Surface);

  TOwned<TBitmap> Tile(new TBitmap());
  Tile->SetSize(64, 64);
  for (int Y = 0; Y < 64; ++Y)
    for (int X = 0; X < 64; ++X) SetPixel(Tile->Canvas()->Handle(), X, Y, RGB(X * 4, Y * 4, (X ^ Y) * 4));
  const TRect Area{0, 0, 1024, 768};

  const double Tiled = Best([&] {
    for (int I = 0; I < Repeats; ++I) ExtDrawBkgndEx(DC, Area, bgtTileBitmap, Tile.get(), clWhite);
  });
  HBRUSH Pattern = CreatePatternBrush(Tile->Handle());
  const double Patterned = Best([&] {
    HGDIOBJ Old = SelectObject(DC, Pattern);
    for (int I = 0; I < Repeats; ++I) PatBlt(DC, 0, 0, 1024, 768, PATCOPY);
    SelectObject(DC, Old);
  });
  DeleteObject(Pattern);
  Report("tile 64x64 over 1024x768", "PatBlt", Tiled, Patterned);

  const double Stretched = Best([&] {
    for (int I = 0; I < Repeats; ++I) ExtDrawBkgndEx(DC, Area, bgtStretchBitmap, Tile.get(), clWhite);
  });
  const double Platform = Best([&] {
    SetStretchBltMode(DC, COLORONCOLOR);
    for (int I = 0; I < Repeats; ++I)
      StretchBlt(DC, 0, 0, 1024, 768, Tile->Canvas()->Handle(), 0, 0, 64, 64, SRCCOPY);
  });
  Report("stretch 64x64 to 1024x768", "StretchBlt", Stretched, Platform);

  // The label as the drill shows it: two centred bold lines.
  TOwned<TVsLabel> Label(new TVsLabel(nullptr));
  Label->SetAutoSize(false);
  Label->SetWordWrap(true);
  Label->SetAlignment(taCenter);
  Label->SetBounds(0, 0, 464, 78);
  Label->Font()->SetName("Tahoma");
  Label->Font()->SetHeight(-16);
  Label->Font()->SetStyle({fsBold});
  const WideString Text = L"Niestety. Chodziło o \"māja\" lub \"nams\".\r\nSpróbuj jeszcze raz.";
  Label->SetCaption(Text);
  const auto PaintLabel = [&] {
    for (int I = 0; I < Repeats; ++I) Label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  };
  const double Plain = Best(PaintLabel);
  HGDIOBJ OldFont = SelectObject(DC, Label->Font()->Handle());
  const double Drawn = Best([&] {
    SetBkMode(DC, TRANSPARENT);
    for (int I = 0; I < Repeats; ++I) {
      RECT R{0, 0, 464, 78};
      DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS);
    }
  });
  SelectObject(DC, OldFont);
  Report("label, two centred bold lines", "DrawTextW", Plain, Drawn);
  Label->SetEffect(lesShadow);
  Report("label with shadow", "DrawTextW", Best(PaintLabel), Drawn);
  Label->SetEffect(lesNone);
  Label->SetStyle(ltsOutlined);
  Report("label outlined", "DrawTextW", Best(PaintLabel), Drawn);
  Label->SetStyle(ltsNormal);
  Label->SetEffect(lesExtrude);
  Report("label extruded (depth 10)", "DrawTextW", Best(PaintLabel), Drawn);

  Label.reset();
  SelectObject(DC, OldSurface);
  DeleteObject(Surface);
  DeleteDC(DC);
  FinalizeForms();
  return 0;
}
