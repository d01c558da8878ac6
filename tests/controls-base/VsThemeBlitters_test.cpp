#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Graphics.h"
#include "ThemeDibSupport.h"
#include "VsThemesWindowsXP.h"

namespace {

const COLORREF Magenta = RGB(255, 0, 255);
const COLORREF None = static_cast<COLORREF>(clNone);

// Rows of one letter per pixel, each letter a colour of Palette.
void Paint(TTestDib& Dib, const std::vector<std::string>& Rows, const std::string& Letters,
           const std::vector<DWORD>& Palette) {
  for (size_t Y = 0; Y < Rows.size(); ++Y)
    for (size_t X = 0; X < Rows[Y].size(); ++X)
      Dib.Set(static_cast<int>(X), static_cast<int>(Y), Palette[Letters.find(Rows[Y][X])]);
}

// The pixels as rows of letters (colour bytes only); "?" for a colour not in
// Palette.
std::vector<std::string> Letters(const TTestDib& Dib, const std::string& Letters, const std::vector<DWORD>& Palette) {
  std::vector<std::string> Rows;
  for (int Y = 0; Y < Dib.Height(); ++Y) {
    std::string Row;
    for (int X = 0; X < Dib.Width(); ++X) {
      char C = '?';
      for (size_t I = 0; I < Palette.size(); ++I)
        if ((Palette[I] & 0xFFFFFF) == (Dib.Get(X, Y) & 0xFFFFFF)) C = Letters[I];
      Row += C;
    }
    Rows.push_back(Row);
  }
  return Rows;
}

// Colours of the letter pictures: a background, corners, edges, centre.
const std::string Keys = ".abcdefghMxyz";
const std::vector<DWORD> Colors = {0x101010, 0xAA0000, 0x00AA00, 0x0000AA, 0xAAAA00, 0x00AAAA, 0xAA00AA,
                                   0x555555, 0x777777, 0xFF00FF, 0xC0C0C0, 0x303030, 0x606060};

// A 6 x 6 frame for margins 2: corners a b c d, top and bottom edges e f,
// left and right edges g h, and a centre whose pixels differ (x y z) so
// that stretches and tiles show where each came from.
const std::vector<std::string> Grid = {"aaeebb", "aaeebb", "ggxyhh", "ggzxhh", "ccffdd", "ccffdd"};

// Pixel rows expected as letters, the letters mapped by Map.
void ExpectPixels(const TTestDib& Dest, const std::vector<std::string>& Rows, DWORD (*Map)(DWORD)) {
  for (size_t Y = 0; Y < Rows.size(); ++Y)
    for (size_t X = 0; X < Rows[Y].size(); ++X)
      EXPECT_EQ(Dest.Get(static_cast<int>(X), static_cast<int>(Y)) & 0xFFFFFF, Map(Colors[Keys.find(Rows[Y][X])]))
          << X << "," << Y;
}

}  // namespace

TEST(VsThemeBlitters, MaskedCopyKeepsTheKeyColoursDestination) {
  // The frame is read straight from 32-bpp images in either row order and
  // through a copy from a 24-bpp one; it sits at (1, 1) of its image.
  struct TCase {
    int BitCount;
    bool TopDown;
  };
  for (const TCase& Case : {TCase{32, true}, TCase{32, false}, TCase{24, true}}) {
    SCOPED_TRACE(Case.BitCount * 10 + Case.TopDown);
    TTestDib Image(5, 5, Case.BitCount, Case.TopDown);
    Image.Fill(0xC0C0C0);
    Paint(Image, {".....", ".aMMb", ".MccM", ".MddM", ".eMMf"}, Keys, Colors);
    for (COLORREF Key : {Magenta, None}) {
      TTestDib Dest(6, 6);
      Dest.Fill(0x303030);
      TVsBlitBuffers Buffers;
      VsTransparentBlt(Dest.DC(), 1, 2, Image.DC(), RECT{1, 1, 5, 5}, Key, Buffers);
      const std::vector<std::string> Keyed = {"yyyyyy", "yyyyyy", "yaMMby", "yMccMy", "yMddMy", "yeMMfy"};
      std::vector<std::string> Expected = Keyed;
      if (Key == Magenta)
        for (std::string& Row : Expected)
          for (size_t X = 1; X < 5; ++X)
            if (Row[X] == 'M') Row[X] = 'y';
      EXPECT_EQ(Letters(Dest, Keys, Colors), Expected);
    }
  }
}

TEST(VsThemeBlitters, AlphaCopyBlendsEachPixelByItsAlpha) {
  TTestDib Image(3, 1);
  Image.Set(0, 0, 0x00FFFFFF);  // alpha 0: the destination stays
  Image.Set(1, 0, 0x80FF8000);  // alpha 128: halfway
  Image.Set(2, 0, 0xFF204060);  // alpha 255: all but 1/256 of the source
  TTestDib Dest(3, 1);
  Dest.Fill(0xFF0080FF);
  TVsBlitBuffers Buffers;
  VsAlphaBlt(Dest.DC(), 0, 0, Image.DC(), RECT{0, 0, 3, 1}, Buffers);
  EXPECT_EQ(Dest.Get(0, 0), 0x000080FFu);
  EXPECT_EQ(Dest.Get(1, 0),
            DWORD(((0xFF * 128) >> 8) << 16 | ((0x80 * 128 + 0x80 * 128) >> 8) << 8 | ((0xFF * 128) >> 8)));
  EXPECT_EQ(Dest.Get(2, 0),
            DWORD(((0x20 * 255) >> 8) << 16 | ((0x40 * 255 + 0x80) >> 8) << 8 | ((0x60 * 255 + 0xFF) >> 8)));
}

TEST(VsThemeBlitters, NineGridStretchKeepsCornersAndStretchesTheRest) {
  TTestDib Image(6, 6);
  Paint(Image, Grid, Keys, Colors);
  const MARGINS Margins{2, 2, 2, 2};
  struct TCase {
    const char* Name;
    bool BorderOnly;
    COLORREF Key;
    std::vector<std::string> Expected;
  };
  const std::vector<std::string> Whole = {"aaeeeeeebb", "aaeeeeeebb", "ggxxxyyyhh",
                                          "ggzzzxxxhh", "ccffffffdd", "ccffffffdd"};
  const std::vector<std::string> Border = {"aaeeeeeebb", "aaeeeeeebb", "gg......hh",
                                           "gg......hh", "ccffffffdd", "ccffffffdd"};
  for (const TCase& Case : {TCase{"whole", false, None, Whole}, TCase{"border only", true, None, Border},
                            TCase{"keyed border only", true, Magenta, Border}}) {
    SCOPED_TRACE(Case.Name);
    TTestDib Dest(12, 8);
    Dest.Fill(0x101010);
    TVsBlitBuffers Buffers;
    VsNineGridStretchBlt(Dest.DC(), RECT{1, 1, 11, 7}, Image.DC(), RECT{0, 0, 6, 6}, Margins, Case.BorderOnly, Case.Key,
                         Buffers);
    std::vector<std::string> Expected = {std::string(12, '.')};
    for (const std::string& Row : Case.Expected) Expected.push_back("." + Row + ".");
    Expected.push_back(std::string(12, '.'));
    EXPECT_EQ(Letters(Dest, Keys, Colors), Expected);
  }
}

TEST(VsThemeBlitters, NineGridMarginsAreCutToTheFrameAndNoPieceIsMirrored) {
  TTestDib Image(6, 6);
  Paint(Image, Grid, Keys, Colors);
  struct TCase {
    MARGINS Margins;
    RECT Dest;
    std::vector<std::string> Expected;
  };
  const std::vector<TCase> Cases = {
      // Negative margins count as 0: the left four columns and top four
      // rows are the middle, stretched twice as wide.
      {{-3, 2, -1, 2},
       {0, 0, 10, 6},
       {"aaaaeeeebb", "aaaaeeeebb", "ggggxxyyhh", "ggggzzxxhh", "ccccffffdd", "ccccffffdd"}},
      // A left margin of 9 takes the whole frame, and what lies beyond the
      // destination is not drawn.
      {{9, 2, 0, 0}, {0, 0, 4, 6}, {"aaee..", "aaee..", "ggxy..", "ggzx..", "ccff..", "ccff.."}},
      // Smaller than the corners: they overlap, the middle pieces are gone.
      {{2, 2, 2, 2}, {0, 0, 3, 3}, {"abb", "cdd", "cdd"}},
      // Nothing to draw.
      {{2, 2, 2, 2}, {2, 2, 2, 6}, {"......", "......", "......", "......", "......", "......"}},
  };
  for (size_t I = 0; I < Cases.size(); ++I) {
    const TCase& Case = Cases[I];
    SCOPED_TRACE(I);
    const int W = static_cast<int>(Case.Expected[0].size()), H = static_cast<int>(Case.Expected.size());
    TTestDib Dest(W, H);
    Dest.Fill(0x101010);
    TVsBlitBuffers Buffers;
    VsNineGridStretchBlt(Dest.DC(), Case.Dest, Image.DC(), RECT{0, 0, 6, 6}, Case.Margins, false, None, Buffers);
    EXPECT_EQ(Letters(Dest, Keys, Colors), Case.Expected);
  }
}

TEST(VsThemeBlitters, NineGridTileRepeatsTheMiddleAndCutsTheLastTile) {
  TTestDib Image(6, 6);
  Paint(Image, Grid, Keys, Colors);
  const std::vector<std::string> Whole = {"aaeeeeebb", "aaeeeeebb", "ggxyxyxhh", "ggzxzxzhh",
                                          "ggxyxyxhh", "ccfffffdd", "ccfffffdd"};
  const std::vector<std::string> Border = {"aaeeeeebb", "aaeeeeebb", "gg.....hh", "gg.....hh",
                                           "gg.....hh", "ccfffffdd", "ccfffffdd"};
  struct TCase {
    bool BorderOnly;
    COLORREF Key;
    const std::vector<std::string>& Expected;
  };
  for (const TCase& Case : {TCase{false, None, Whole}, TCase{false, Magenta, Whole}, TCase{true, None, Border},
                            TCase{true, Magenta, Border}}) {
    SCOPED_TRACE(Case.BorderOnly * 2 + (Case.Key == Magenta));
    TTestDib Dest(9, 7);
    Dest.Fill(0x101010);
    TVsBlitBuffers Buffers;
    VsNineGridTileBlt(Dest.DC(), RECT{0, 0, 9, 7}, Image.DC(), RECT{0, 0, 6, 6}, MARGINS{2, 2, 2, 2}, Case.BorderOnly,
                      Case.Key, Buffers);
    EXPECT_EQ(Letters(Dest, Keys, Colors), Case.Expected);
  }
}

TEST(VsThemeBlitters, AlphaNineGridBlendsTheStretchedFrameAndNotABorderOnlyCentre) {
  // An opaque frame (alpha 255), in the second frame of its image.
  TTestDib Image(6, 12);
  Image.Fill(0xFFFFFFFF);
  Paint(Image, {"", "", "", "", "", "", "aaeebb", "aaeebb", "ggxyhh", "ggzxhh", "ccffdd", "ccffdd"}, Keys, Colors);
  for (int Y = 6; Y < 12; ++Y)
    for (int X = 0; X < 6; ++X) Image.Set(X, Y, Image.Get(X, Y) | 0xFF000000);
  TTestDib Dest(10, 6);
  Dest.Fill(0x101010);
  TVsBlitBuffers Buffers;
  VsAlphaNineGridBlt(Dest.DC(), RECT{0, 0, 10, 6}, Image.DC(), RECT{0, 6, 6, 12}, MARGINS{2, 2, 2, 2}, true, Buffers);
  ExpectPixels(Dest, {"aaeeeeeebb", "aaeeeeeebb", "gg......hh", "gg......hh", "ccffffffdd", "ccffffffdd"},
               [](DWORD S) -> DWORD {
                 if (S == 0x101010) return S;
                 DWORD R = 0;
                 for (int Shift = 0; Shift < 24; Shift += 8) R |= ((((S >> Shift) & 0xFF) * 255 + 0x10) >> 8) << Shift;
                 return R;
               });
}
