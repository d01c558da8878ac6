// The shared drawing routines on memory DCs: colour arithmetic, edges and
// frames against the system's own where it has one, arrows, scroll bars,
// gradients, bitmaps and wide text against DrawTextW.
#include "GuiTestSupport.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "Forms.h"
#include "Graphics.h"
#include "VsFrameworkUtils.h"
#include "VsTools.h"

namespace {

COLORREF Sys(int Index) { return GetSysColor(Index); }

// A 32-bit top-down DIB in a memory DC, filled with a background colour,
// with a fixed font selected.
class TSurface {
public:
  TSurface(int W, int H, COLORREF Background = RGB(255, 0, 255)) : FW(W), FH(H) {
    FDC = CreateCompatibleDC(nullptr);
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = -H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    void* Bits = nullptr;
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    FBits = static_cast<DWORD*>(Bits);
    FOld = SelectObject(FDC, FBitmap);
    FFont = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    FOldFont = SelectObject(FDC, FFont);
    Fill(Background);
  }
  ~TSurface() {
    SelectObject(FDC, FOldFont);
    DeleteObject(FFont);
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;

  void Fill(COLORREF C) {
    HBRUSH B = CreateSolidBrush(C);
    const RECT R{0, 0, FW, FH};
    FillRect(FDC, &R, B);
    DeleteObject(B);
  }
  HDC DC() const { return FDC; }
  HBITMAP Bitmap() const { return FBitmap; }
  COLORREF At(int X, int Y) const { return GetPixel(FDC, X, Y); }
  DWORD* Bits() const { return FBits; }
  bool SameAs(const TSurface& O) const {
    GdiFlush();
    return std::equal(FBits, FBits + FW * FH, O.FBits);
  }
  // The picture as rows of letters, one per pixel, from a colour legend.
  std::vector<std::string> Map(const std::vector<std::pair<char, COLORREF>>& Legend) const {
    std::vector<std::string> Rows;
    for (int Y = 0; Y < FH; ++Y) {
      std::string Row;
      for (int X = 0; X < FW; ++X) {
        char C = '?';
        for (const auto& L : Legend)
          if (At(X, Y) == L.second) {
            C = L.first;
            break;
          }
        Row += C;
      }
      Rows.push_back(Row);
    }
    return Rows;
  }

private:
  int FW, FH;
  HDC FDC;
  HBITMAP FBitmap;
  DWORD* FBits = nullptr;
  HGDIOBJ FOld;
  HFONT FFont;
  HGDIOBJ FOldFont;
};

const COLORREF Magenta = RGB(255, 0, 255);

// Letters for the system colours of frames (white is shared by highlight
// and window on the test prefix: W).
std::vector<std::pair<char, COLORREF>> FrameLegend() {
  return {{'.', Magenta},          {'W', Sys(COLOR_WINDOW)},     {'H', Sys(COLOR_BTNHIGHLIGHT)},
          {'F', Sys(COLOR_BTNFACE)}, {'S', Sys(COLOR_BTNSHADOW)}, {'D', Sys(COLOR_3DDKSHADOW)},
          {'K', Sys(COLOR_WINDOWFRAME)}, {'a', RGB(200, 0, 0)},   {'b', RGB(0, 0, 200)}};
}

class VsDrawTest : public ::testing::Test {
protected:
  void SetUp() override {
    FinalizeVsFrameworkUtils();
    InitializeVsFrameworkUtils();
  }
  void TearDown() override { FinalizeVsFrameworkUtils(); }
};

}  // namespace

// ---- colours ----------------------------------------------------------------

TEST(VsColors, LightenDarkenAndParts) {
  const TColor C = VsRGBToColor(10, 100, 200);
  EXPECT_EQ(VsGetRValue(C), 10);
  EXPECT_EQ(VsGetGValue(C), 100);
  EXPECT_EQ(VsGetBValue(C), 200);
  EXPECT_EQ(LightenColor(C, 100), VsRGBToColor(255, 255, 255));
  EXPECT_EQ(LightenColor(C, 0), C);
  EXPECT_EQ(LightenColor(C, 50), VsRGBToColor(133, 178, 228));
  EXPECT_EQ(DarkenColor(C, 0), 0);
  EXPECT_EQ(DarkenColor(C, 100), C);
  EXPECT_EQ(DarkenColor(C, 50), VsRGBToColor(5, 50, 100));
  // Above 100 % each part stays in its own byte.
  EXPECT_EQ(DarkenColor(VsRGBToColor(128, 100, 200), 200), VsRGBToColor(0, 200, 144));
  // System colours are resolved first.
  EXPECT_EQ(static_cast<COLORREF>(LightenColor(clBtnFace, 0)), Sys(COLOR_BTNFACE));
  EXPECT_EQ(VsGetRValue(clBtnShadow), GetRValue(Sys(COLOR_BTNSHADOW)));
}

TEST(VsColors, HLSTablesAndRoundTrip) {
  struct TCase {
    TColor Color;
    int H, L, S;
  };
  const TCase Cases[] = {
      {VsRGBToColor(0, 0, 0), 168, 0, 0},       {VsRGBToColor(255, 255, 255), 168, 252, 0},
      {VsRGBToColor(128, 128, 128), 168, 126, 0}, {VsRGBToColor(255, 0, 0), 0, 126, 252},
      {VsRGBToColor(0, 255, 0), 84, 126, 252},  {VsRGBToColor(0, 0, 255), 168, 126, 252},
  };
  for (const TCase& C : Cases) {
    const TColor HLS = ColorToHLS(C.Color);
    EXPECT_EQ(HLS & 0xFF, C.H) << std::hex << C.Color;
    EXPECT_EQ((HLS >> 8) & 0xFF, C.L) << std::hex << C.Color;
    EXPECT_EQ((HLS >> 16) & 0xFF, C.S) << std::hex << C.Color;
  }
  EXPECT_EQ(HLSToColor(VsRGBToColor(0, 126, 0)), VsRGBToColor(127, 127, 127));
  const TColor Colors[] = {VsRGBToColor(255, 0, 0), VsRGBToColor(12, 200, 90), VsRGBToColor(240, 230, 20),
                           VsRGBToColor(90, 10, 160), VsRGBToColor(245, 245, 245)};
  for (TColor C : Colors) {
    const TColor Back = HLSToColor(ColorToHLS(C));
    for (int Shift : {0, 8, 16}) EXPECT_LE(std::abs(((Back >> Shift) & 0xFF) - ((C >> Shift) & 0xFF)), 3) << std::hex << C;
  }
  int Hue = -10;
  WrapHue(Hue);
  EXPECT_EQ(Hue, 242);
  Hue = 260;
  WrapHue(Hue);
  EXPECT_EQ(Hue, 8);
  EXPECT_EQ(HueToRGBPart(0, 252, 21), 126);
}

TEST(VsColors, KeyboardTimes) {
  EXPECT_EQ(GetKeybTimes(SPI_GETKEYBOARDSPEED), 31);
  EXPECT_EQ(GetKeybTimes(SPI_GETKEYBOARDDELAY), 500);
  int Raw = 0;
  SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &Raw, 0);
  EXPECT_EQ(GetKeybTimes(SPI_GETKEYBOARDDELAY), 250 * Raw + 250);
}

// ---- rectangles, edges, frames ----------------------------------------------

TEST_F(VsDrawTest, ThreeDRectSidesLeaveTheCornersToTheBottomRight) {
  TSurface S(6, 5);
  const TColor A = VsRGBToColor(200, 0, 0), B = VsRGBToColor(0, 0, 200);
  Draw3dRect(S.DC(), 0, 0, 6, 5, A, B);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"aaaaab", "a....b", "a....b", "a....b", "bbbbbb"}));
  S.Fill(Magenta);
  Draw3dRectSides(S.DC(), 0, 0, 6, 5, A, B, TVsBorderSides{ebsTop, ebsRight});
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"aaaaab", ".....b", ".....b", ".....b", ".....b"}));
  S.Fill(Magenta);
  TRect Inner;
  DrawLinesBySides(S.DC(), Rect(0, 0, 6, 5), A, B, TVsBorderSides{ebsLeft, ebsBottom}, Inner);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"a.....", "a.....", "a.....", "a.....", "bbbbbb"}));
  EXPECT_TRUE(EqualRect(&Inner, &static_cast<const RECT&>(Rect(1, 0, 6, 4))));
  S.Fill(Magenta);
  DrawSystemEdgeRect(S.DC(), Rect(0, 0, 6, 5), COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_BTNFACE, COLOR_WINDOW);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"SSSSSD", "SFFFWD", "SF..WD", "SWWWWD", "DDDDDD"}));
}

TEST_F(VsDrawTest, EdgesAreTheSystemsWithBtnFaceForItsLightColour) {
  // The system's raised outer border uses 3DLIGHT where this one uses BTNFACE.
  auto Expected = [](COLORREF C) { return C == Sys(COLOR_3DLIGHT) ? Sys(COLOR_BTNFACE) : C; };
  const UINT Edges[] = {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP, BDR_RAISEDOUTER, BDR_SUNKENINNER};
  const UINT Flags[] = {BF_RECT, BF_LEFT | BF_TOP, BF_RIGHT | BF_BOTTOM, BF_RECT | BF_MIDDLE, BF_TOP | BF_RIGHT};
  for (UINT Edge : Edges)
    for (UINT Flag : Flags) {
      TSurface Ours(12, 10), Theirs(12, 10);
      TRect R1 = Rect(1, 1, 11, 9), R2 = R1;
      VsDrawEdge(Ours.DC(), R1, Edge, Flag | BF_ADJUST);
      DrawEdge(Theirs.DC(), &R2, Edge, Flag | BF_ADJUST);
      for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 12; ++X)
          ASSERT_EQ(Ours.At(X, Y), Expected(Theirs.At(X, Y))) << "edge " << Edge << " flags " << Flag << " at " << X << "," << Y;
      EXPECT_TRUE(EqualRect(&R1, &R2)) << "edge " << Edge << " flags " << Flag;
    }
}

TEST_F(VsDrawTest, FlatAndMonoEdges) {
  TSurface S(6, 6);
  TRect R = Rect(0, 0, 6, 6);
  VsDrawEdge(S.DC(), R, EDGE_RAISED, BF_RECT | BF_FLAT | BF_ADJUST);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"SSSSSS", "SFFFFS", "SF..FS", "SF..FS", "SFFFFS", "SSSSSS"}));
  EXPECT_TRUE(EqualRect(&R, &static_cast<const RECT&>(Rect(2, 2, 4, 4))));
  R = Rect(0, 0, 6, 6);
  VsDrawEdge(S.DC(), R, EDGE_SUNKEN, BF_RECT | BF_MONO);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"FFFFFF", "FDDDDF", "FD..DF", "FD..DF", "FDDDDF", "FFFFFF"}));
}

TEST_F(VsDrawTest, FlatFrameStripsPerBorderType) {
  // A 12 x 10 frame drawn at (2, 2) on a 16 x 14 picture: its pixels (the
  // picture around it stays untouched). F button face, S shadow, D dark
  // shadow, W highlight or window, K window frame, a and b the two colours.
  struct TCase {
    TVsFlatBorderType Type;
    std::vector<std::string> Map;
  };
  const TCase Cases[] = {
      {fbtFlat,
       {"SSSSSSSSSSSW", "SbbbbbbbbbbW", "Sb........bW", "Sb........bW", "Sb........bW",
        "Sb........bW", "Sb........bW", "Sb........bW", "SbbbbbbbbbbW", "WWWWWWWWWWWW"}},
      {fbtSunken,
       {"SSSSSSSSSSSW", "SDDDDDDDDDFW", "SD........FW", "SD........FW", "SD........FW",
        "SD........FW", "SD........FW", "SD........FW", "SFFFFFFFFFFW", "WWWWWWWWWWWW"}},
      {fbtSunkenInner,
       {"DDDDDDDDDDDF", "DFFFFFFFFFFF", "DF........FF", "DF........FF", "DF........FF",
        "DF........FF", "DF........FF", "DF........FF", "DFFFFFFFFFFF", "FFFFFFFFFFFF"}},
      {fbtSunkenOuter,
       {"SSSSSSSSSSSW", "SFFFFFFFFFFW", "SF........FW", "SF........FW", "SF........FW",
        "SF........FW", "SF........FW", "SF........FW", "SFFFFFFFFFFW", "WWWWWWWWWWWW"}},
      {fbtRaised,
       {"FFFFFFFFFFFD", "FWWWWWWWWWSD", "FWSSSSSSSWSD", "FWSbbbbbbWSD", "FWSb....bWSD",
        "FWSb....bWSD", "FWSbbbbbbWSD", "FWWWWWWWWWSD", "FSSSSSSSSSSD", "DDDDDDDDDDDD"}},
      {fbtRaisedInner,
       {"WWWWWWWWWWWS", "WFFFFFFFFFFS", "WF........FS", "WF........FS", "WF........FS",
        "WF........FS", "WF........FS", "WF........FS", "WFFFFFFFFFFS", "SSSSSSSSSSSS"}},
      {fbtRaisedOuter,
       {"FFFFFFFFFFFS", "FFFFFFFFFFFS", "FF........FS", "FF........FS", "FF........FS",
        "FF........FS", "FF........FS", "FF........FS", "FFFFFFFFFFFS", "SSSSSSSSSSSS"}},
      {fbtBump,
       {"FFFFFFFFFFFD", "FSSSSSSSSSSD", "FS........SD", "FS........SD", "FS........SD",
        "FS........SD", "FS........SD", "FS........SD", "FSSSSSSSSSSD", "DDDDDDDDDDDD"}},
      {fbtBigBump,
       {"FFFFFFFFFFFD", "FSSSSSSSSSSD", "FSWWWWWWWWSD", "FSW......WSD", "FSW......WSD",
        "FSW......WSD", "FSW......WSD", "FSWWWWWWWWSD", "FSSSSSSSSSSD", "DDDDDDDDDDDD"}},
      {fbtEtched,
       {"SSSSSSSSSSSW", "SFFFFFFFFFSW", "SW........SW", "SW........SW", "SW........SW",
        "SW........SW", "SW........SW", "SW........SW", "SSSSSSSSSSSW", "WWWWWWWWWWWW"}},
      {fbtFramed,
       {"FFFFFFFFFFFD", "FFFFFFFFFFSD", "FF........SD", "FF........SD", "FF........SD",
        "FF........SD", "FF........SD", "FF........SD", "FSSSSSSSSSSD", "DDDDDDDDDDDD"}},
      {fbtLine,
       {"bbbbbbbbbbbb", "bbbbbbbbbbbb", "bb........bb", "bb........bb", "bb........bb",
        "bb........bb", "bb........bb", "bb........bb", "bbbbbbbbbbbb", "KKKKKKKKKKKK"}},
      {fbtLineBorder,
       {"KKKKKKKKKKKK", "KbbbbbbbbbbK", "Kb........bK", "Kb........bK", "Kb........bK",
        "Kb........bK", "Kb........bK", "Kb........bK", "KbbbbbbbbbbK", "KKKKKKKKKKKK"}},
      {fbtNone,
       {"bbbbbbbbbbbb", "bbbbbbbbbbbb", "bb........bb", "bb........bb", "bb........bb",
        "bb........bb", "bb........bb", "bb........bb", "bbbbbbbbbbbb", "bbbbbbbbbbbb"}},
      {fbtColorLineBorder,
       {"aaaaaaaaaaaa", "abbbbbbbbbba", "ab........ba", "ab........ba", "ab........ba",
        "ab........ba", "ab........ba", "ab........ba", "abbbbbbbbbba", "aaaaaaaaaaaa"}},
  };
  for (const TCase& C : Cases) {
    TSurface S(16, 14);
    DrawFlatFrame(S.DC(), Rect(2, 2, 14, 12), VsRGBToColor(200, 0, 0), VsRGBToColor(0, 0, 200), AllBorderSides, C.Type);
    std::vector<std::string> Frame;
    const std::vector<std::string> Map = S.Map(FrameLegend());
    for (int Y = 0; Y < 14; ++Y) {
      const std::string& Row = Map[static_cast<size_t>(Y)];
      if (Y >= 2 && Y < 12)
        Frame.push_back(Row.substr(2, 12));
      else
        EXPECT_EQ(Row, std::string(16, '.')) << "type " << C.Type;
      EXPECT_EQ(Row.substr(0, 2) + Row.substr(14), "....") << "type " << C.Type;
    }
    EXPECT_EQ(Frame, C.Map) << "type " << C.Type;
  }
  // Sides left out stay untouched.
  TSurface S(16, 14);
  DrawFlatFrame(S.DC(), Rect(2, 2, 14, 12), 0, VsRGBToColor(0, 0, 200), TVsBorderSides{ebsLeft}, fbtSunken);
  // (columns 2 and 3 are the two borders of the left side)
  for (int X = 4; X < 16; ++X) EXPECT_EQ(S.At(X, 2), Magenta) << X;
}

TEST_F(VsDrawTest, FlatFrameExAndButtonFrames) {
  TSurface S(5, 5);
  DrawFlatFrameEx(S.DC(), Rect(0, 0, 5, 5), VsRGBToColor(0, 0, 200), false);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"SSSSW", "SbbbW", "Sb.bW", "SbbbW", "WWWWW"}));
  S.Fill(Magenta);
  DrawButtonFrameEx(S.DC(), Rect(0, 0, 5, 5), true, false, clBtnFace, false, AllBorderSides);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"WWWWD", "WFFSD", "WF.SD", "WSSSD", "DDDDD"}));
  S.Fill(Magenta);
  DrawButtonFrameEx(S.DC(), Rect(0, 0, 5, 5), true, true, clBtnFace, true, AllBorderSides);
  EXPECT_EQ(S.Map(FrameLegend()), (std::vector<std::string>{"SSSSW", "S...W", "S...W", "S...W", "WWWWW"}));
  // Another base colour: its lighter and darker variants of the same hue.
  const TColor Base = VsRGBToColor(0, 0, 200);
  const int H = ColorToHLS(Base) & 0xFF, L = (ColorToHLS(Base) >> 8) & 0xFF, Sat = (ColorToHLS(Base) >> 16) & 0xFF;
  S.Fill(Magenta);
  DrawButtonFrameEx(S.DC(), Rect(0, 0, 5, 5), false, false, Base, false, AllBorderSides);
  EXPECT_EQ(S.At(0, 0), static_cast<COLORREF>(HLSToColor(H | std::min(239, L + L / 3) << 8 | Sat << 16)));
  EXPECT_EQ(S.At(4, 4), static_cast<COLORREF>(HLSToColor(H | std::min(239, L - L / 3) << 8 | Sat << 16)));
  EXPECT_EQ(S.At(1, 1), static_cast<COLORREF>(Base));
}

TEST_F(VsDrawTest, ArrowsAreFourStrokesCentredInTheirBox) {
  TSurface S(10, 9);
  TCanvas Canvas;
  Canvas.SetHandle(S.DC());
  Canvas.Pen()->SetColor(VsRGBToColor(1, 2, 3));
  const std::vector<std::pair<char, COLORREF>> Legend = {{'.', Magenta}, {'#', RGB(0, 0, 200)},
                                                         {'H', Sys(COLOR_BTNHIGHLIGHT)}, {'S', Sys(COLOR_BTNSHADOW)}};
  VsDrawArrow(&Canvas, 0, Rect(0, 0, 10, 9), VsRGBToColor(0, 0, 200), true);
  EXPECT_EQ(S.Map(Legend), (std::vector<std::string>{"..........", "......#...", ".....##...", "....###...", "...####...",
                                                     "....###...", ".....##...", "......#...", ".........."}));
  EXPECT_EQ(Canvas.Pen()->Color(), VsRGBToColor(1, 2, 3));
  S.Fill(Magenta);
  VsDrawArrow(&Canvas, 3, Rect(0, 0, 10, 9), VsRGBToColor(0, 0, 200), false);
  EXPECT_EQ(S.Map(Legend), (std::vector<std::string>{"..........", "..........", "..SSSSSSS.", "...SSSSSHH",
                                                     "....SSSHH.", ".....SHH..", "......H...", "..........", ".........."}));
  // Too small: nothing.
  S.Fill(Magenta);
  VsDrawArrow(&Canvas, 0, Rect(0, 0, 2, 9), VsRGBToColor(0, 0, 200), true);
  VsDrawArrow(&Canvas, 1, Rect(0, 0, 10, 2), VsRGBToColor(0, 0, 200), true);
  EXPECT_EQ(S.Map(Legend), (std::vector<std::string>(9, "..........")));
  Canvas.SetHandle(nullptr);
}

TEST_F(VsDrawTest, FlatScrollBarsPlaceArrowsAndThumb) {
  HWND Wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VSCROLL | WS_HSCROLL | WS_BORDER, 0, 0, 120, 200, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(Wnd, nullptr);
  SCROLLINFO Info{sizeof Info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 40, 0};
  SetScrollInfo(Wnd, SB_VERT, &Info, FALSE);
  const int E = GetSystemMetrics(SM_CXBORDER), Bar = GetSystemMetrics(SM_CXHSCROLL), HBar = GetSystemMetrics(SM_CYVSCROLL);
  const int X = 120 - E - Bar;
  const LONG Style = GetWindowLongA(Wnd, GWL_STYLE), ExStyle = GetWindowLongA(Wnd, GWL_EXSTYLE);
  // The thumb box of a bar of Length: page 20 of 100 at position 40 of 80.
  auto ThumbOf = [&](int Length) {
    const int Track = Length - 2 * Bar;
    const int Thumb = std::max(MulDiv(20, Track, 100), 8);
    return std::pair<int, int>(E + Bar + MulDiv(40, Track - Thumb, 80), Thumb);
  };
  {
    // Both bars: the vertical one stops above the horizontal one; the corner
    // square is button face.
    TSurface S(120, 200);
    DrawFlatScrollbars(Wnd, S.DC(), Rect(0, 0, 120, 200), false, sbkBoth, false, false, false, Style, ExStyle);
    EXPECT_EQ(S.At(X + 2, 200 - E - 2), Sys(COLOR_BTNFACE));
    EXPECT_EQ(S.At(X, E), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(S.At(X, 200 - E - HBar - Bar), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(S.At(E, 200 - E - HBar), Sys(COLOR_BTNHIGHLIGHT));  // the horizontal bar's left box
    const auto [Top, Thumb] = ThumbOf(200 - 2 * E - HBar);
    EXPECT_EQ(S.At(X, Top), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(S.At(X, Top - 1), Magenta);
    EXPECT_EQ(S.At(X + Bar - 1, Top + Thumb - 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(S.At(X, Top + Thumb), Magenta);
  }
  {
    // Only the vertical bar, over the whole height; tracking leaves the
    // arrow boxes out.
    TSurface S(120, 200);
    DrawFlatScrollbars(Wnd, S.DC(), Rect(0, 0, 120, 200), true, sbkVertical, false, true, false, Style, ExStyle);
    EXPECT_EQ(S.At(X, E), Magenta);
    EXPECT_EQ(S.At(E, 200 - E - HBar), Magenta);
    const auto [Top, Thumb] = ThumbOf(200 - 2 * E);
    EXPECT_EQ(S.At(X, Top), Sys(COLOR_BTNFACE));  // raised: outer top-left button face
    EXPECT_EQ(S.At(X + Bar - 1, Top + Thumb - 1), Sys(COLOR_3DDKSHADOW));
  }
  {
    TSurface S(120, 200);
    DrawFlatScrollbars(Wnd, S.DC(), Rect(0, 0, 120, 200), false, sbkNone, false, false, false, Style, ExStyle);
    EXPECT_EQ(S.At(X, E), Magenta);
    EXPECT_EQ(S.At(X + 2, 200 - E - 2), Sys(COLOR_BTNFACE));
  }
  DestroyWindow(Wnd);
}

// ---- gradients and bitmaps ---------------------------------------------------

TEST_F(VsDrawTest, GradientThroughMsimg32MatchesTheBandsAtTheirCentres) {
  ASSERT_NE(GradientFillProc, nullptr);
  TSurface Smooth(256, 4), Bands(256, 4);
  const TColor From = VsRGBToColor(0, 255, 10), To = VsRGBToColor(255, 0, 200);
  VsGradientFill(Smooth.DC(), Rect(0, 0, 256, 4), From, To, 16, false);
  const TGradientFillProc Saved = GradientFillProc;
  GradientFillProc = nullptr;
  VsGradientFill(Bands.DC(), Rect(0, 0, 256, 4), From, To, 16, false);
  GradientFillProc = Saved;
  for (int I = 0; I < 16; ++I) {
    const int X = I * 16 + 8;
    const COLORREF A = Smooth.At(X, 2), B = Bands.At(X, 2);
    // A band's colour is the gradient's at i / (steps - 1), the smooth one's
    // at its centre (i + 0.5) / steps: at most 255 / 30 apart.
    for (int Shift : {0, 8, 16}) EXPECT_LE(std::abs(int((A >> Shift) & 0xFF) - int((B >> Shift) & 0xFF)), 10) << I;
    EXPECT_EQ(Bands.At(I * 16, 2), B) << I;
    EXPECT_EQ(Bands.At(I * 16 + 15, 1), B) << I;
  }
  EXPECT_EQ(Bands.At(0, 0), RGB(0, 255, 10));
  EXPECT_EQ(Bands.At(255, 0), RGB(255, 0, 200));
  // Vertical bands; one step paints the start colour; none paints nothing.
  TSurface V(4, 30);
  GradientFillProc = nullptr;
  VsGradientFill(V.DC(), Rect(0, 0, 4, 30), From, To, 3, true);
  EXPECT_EQ(V.At(1, 0), RGB(0, 255, 10));
  EXPECT_EQ(V.At(1, 15), RGB(MulDiv(1, 255, 2), 255 + MulDiv(1, -255, 2), 10 + MulDiv(1, 190, 2)));
  EXPECT_EQ(V.At(1, 29), RGB(255, 0, 200));
  VsGradientFill(V.DC(), Rect(0, 0, 4, 30), To, From, 1, true);
  EXPECT_EQ(V.At(1, 29), RGB(255, 0, 200));
  V.Fill(Magenta);
  VsGradientFill(V.DC(), Rect(0, 0, 4, 30), To, From, 0, true);
  EXPECT_EQ(V.At(1, 15), Magenta);
  GradientFillProc = Saved;
}

TEST_F(VsDrawTest, GradientOfEqualColoursIsSolidAndOffsetsScrollIt) {
  TSurface S(20, 4);
  VsGradientFill(S.DC(), Rect(0, 0, 20, 4), clBtnFace, static_cast<TColor>(Sys(COLOR_BTNFACE)), 5, false);
  for (int X = 0; X < 20; ++X) EXPECT_EQ(S.At(X, 1), Sys(COLOR_BTNFACE));

  // The DC point p shows the gradient at p + offset.
  const TColor From = VsRGBToColor(0, 0, 0), To = VsRGBToColor(200, 200, 200);
  TSurface Whole(40, 4), Scrolled(20, 4);
  VsGradientFillEx(Whole.DC(), Rect(0, 0, 40, 4), Rect(0, 0, 40, 4), Point(0, 0), From, To, 8, false);
  VsGradientFillEx(Scrolled.DC(), Rect(0, 0, 20, 4), Rect(0, 0, 40, 4), Point(15, 0), From, To, 8, false);
  for (int X = 0; X < 20; ++X) EXPECT_EQ(Scrolled.At(X, 2), Whole.At(X + 15, 2)) << X;
  // An offset past the gradient paints nothing.
  TSurface Outside(20, 4);
  VsGradientFillEx(Outside.DC(), Rect(0, 0, 20, 4), Rect(0, 0, 40, 4), Point(60, 0), From, To, 8, false);
  for (int X = 0; X < 20; ++X) EXPECT_EQ(Outside.At(X, 2), Magenta);
}

TEST_F(VsDrawTest, TransparentCopyKeepsTheBackgroundWhereTheColourIs) {
  TSurface Source(2, 2), Dest(4, 4, RGB(9, 9, 9));
  SetPixel(Source.DC(), 0, 0, RGB(10, 20, 30));
  SetPixel(Source.DC(), 1, 0, RGB(0, 255, 0));
  SetPixel(Source.DC(), 0, 1, RGB(0, 255, 0));
  SetPixel(Source.DC(), 1, 1, RGB(40, 50, 60));
  GdiFlush();
  const std::vector<DWORD> Before(Source.Bits(), Source.Bits() + 4);
  HDC Screen = GetDC(nullptr);
  HBITMAP Bmp = CreateCompatibleBitmap(Screen, 2, 2);
  ReleaseDC(nullptr, Screen);
  HDC Tmp = CreateCompatibleDC(nullptr);
  HGDIOBJ Old = SelectObject(Tmp, Bmp);
  BitBlt(Tmp, 0, 0, 2, 2, Source.DC(), 0, 0, SRCCOPY);
  SelectObject(Tmp, Old);
  DrawTransparentBitmapEx(Dest.DC(), Bmp, 1, 1, Rect(0, 0, 2, 2), VsRGBToColor(0, 255, 0));
  EXPECT_EQ(Dest.At(1, 1), RGB(10, 20, 30));
  EXPECT_EQ(Dest.At(2, 1), RGB(9, 9, 9));
  EXPECT_EQ(Dest.At(1, 2), RGB(9, 9, 9));
  EXPECT_EQ(Dest.At(2, 2), RGB(40, 50, 60));
  EXPECT_EQ(Dest.At(0, 0), RGB(9, 9, 9));
  // The bitmap itself is as it was.
  Old = SelectObject(Tmp, Bmp);
  EXPECT_EQ(GetPixel(Tmp, 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(Tmp, 0, 0), RGB(10, 20, 30));
  SelectObject(Tmp, Old);
  DeleteDC(Tmp);
  DeleteObject(Bmp);
}

TEST_F(VsDrawTest, BlendAlphaAndAlphaChannelOnTwoByTwoPixels) {
  TSurface Source(2, 2), Dest(2, 2);
  // The mask is a bitmap of its own, selected nowhere.
  BITMAPINFO MaskInfo{};
  MaskInfo.bmiHeader.biSize = sizeof MaskInfo.bmiHeader;
  MaskInfo.bmiHeader.biWidth = 2;
  MaskInfo.bmiHeader.biHeight = -2;
  MaskInfo.bmiHeader.biPlanes = 1;
  MaskInfo.bmiHeader.biBitCount = 32;
  void* MaskBits = nullptr;
  HBITMAP Mask = CreateDIBSection(nullptr, &MaskInfo, DIB_RGB_COLORS, &MaskBits, nullptr, 0);
  const DWORD Src[4] = {0x00FF0000, 0x00008000, 0x00000040, 0x00FFFFFF};
  const DWORD Msk[4] = {0x000000FF, 0x00000080, 0x00000000, 0x000000FF};
  const DWORD Dst[4] = {0x10000000, 0x000000FF, 0x00102030, 0x80000000};
  GdiFlush();
  std::copy(Src, Src + 4, Source.Bits());
  std::copy(Msk, Msk + 4, static_cast<DWORD*>(MaskBits));
  std::copy(Dst, Dst + 4, Dest.Bits());
  // Alpha 127: a = 128; pixel 0: m = 127, x = 127/255; source red 255 -> 127;
  // red = round(127 x + 0), alpha byte = round(16 (1 - x) + 127).
  DrawBitmapBlended(Dest.DC(), Rect(0, 0, 2, 2), Source.DC(), Rect(0, 0, 2, 2), Mask, 127);
  GdiFlush();
  DeleteObject(Mask);
  const double X0 = 127 / 255.0, X1 = 64 / 255.0;
  auto Px = [](int A, int R, int G, int B) { return DWORD(A) << 24 | DWORD(R) << 16 | DWORD(G) << 8 | DWORD(B); };
  EXPECT_EQ(Dest.Bits()[0], Px(std::lround(16 * (1 - X0) + 127), std::lround(127 * X0), 0, 0));
  EXPECT_EQ(Dest.Bits()[1], Px(64, 0, std::lround(64 * X1), std::lround(255 * (1 - X1))));
  EXPECT_EQ(Dest.Bits()[2], Px(0, 0x10, 0x20, 0x30));
  EXPECT_EQ(Dest.Bits()[3], Px(std::lround(128 * (1 - X0) + 127), std::lround(127 * X0), std::lround(127 * X0),
                               std::lround(127 * X0)));

  // The alpha channel: none in a 32-bit bitmap of zero top bytes; one as
  // soon as the last pixel has it; never in a 24-bit bitmap.
  TSurface Plain(2, 2, RGB(1, 2, 3));
  EXPECT_TRUE(HasNoAlphaChannel(Plain.Bitmap()));
  GdiFlush();
  Plain.Bits()[3] |= 0x01000000;
  EXPECT_FALSE(HasNoAlphaChannel(Plain.Bitmap()));
  HBITMAP Rgb = CreateBitmap(2, 2, 1, 24, nullptr);
  EXPECT_TRUE(HasNoAlphaChannel(Rgb));
  DeleteObject(Rgb);

  TSurface Fill(2, 2, RGB(100, 0, 200));
  TCanvas Canvas;
  Canvas.SetHandle(Fill.DC());
  AlphaFillRect(&Canvas, Rect(0, 0, 1, 2), VsRGBToColor(0, 200, 0), 64);
  Canvas.SetHandle(nullptr);
  // ((256 - 64) p + 64 c) >> 8 per part.
  EXPECT_EQ(Fill.At(0, 0), RGB(75, 50, 150));
  EXPECT_EQ(Fill.At(0, 1), RGB(75, 50, 150));
  EXPECT_EQ(Fill.At(1, 0), RGB(100, 0, 200));
}

// ---- text --------------------------------------------------------------------

namespace {

// Draws Text with both routines on equal surfaces; the pictures and the
// results must agree.
void ExpectLikeDrawText(const std::wstring& Text, UINT Format, const TRect& R) {
  TSurface Ours(200, 60, RGB(255, 255, 255)), Theirs(200, 60, RGB(255, 255, 255));
  TRect R1 = R, R2 = R;
  const int H1 = VsDrawTextW(Ours.DC(), Text.c_str(), -1, R1, Format);
  const int H2 = DrawTextW(Theirs.DC(), Text.c_str(), -1, &R2, Format);
  EXPECT_EQ(H1, H2) << WideToUTF8(Text) << " format " << Format;
  EXPECT_TRUE(EqualRect(&R1, &R2)) << WideToUTF8(Text) << " format " << Format << ": " << R1.right << "," << R1.bottom
                                   << " against " << R2.right << "," << R2.bottom;
  EXPECT_TRUE(Ours.SameAs(Theirs)) << WideToUTF8(Text) << " format " << Format;
}

}  // namespace

TEST_F(VsDrawTest, TextIsDrawnLikeTheSystemsDrawText) {
  const TRect Box = Rect(5, 5, 195, 55);
  ExpectLikeDrawText(L"Zażółć gęślą jaźń", DT_SINGLELINE, Box);
  ExpectLikeDrawText(L"Zażółć gęślą jaźń", DT_SINGLELINE | DT_CENTER | DT_VCENTER, Box);
  ExpectLikeDrawText(L"Zażółć", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, Box);
  ExpectLikeDrawText(L"&Plik i &&", DT_SINGLELINE, Box);
  ExpectLikeDrawText(L"pierwszy wiersz\r\ndrugi, dłuższy wiersz", DT_CALCRECT, Rect(5, 5, 0, 0));
  ExpectLikeDrawText(L"pierwszy\ndrugi", DT_LEFT, Box);
}

// Breaks at a space: a line that fits exactly keeps its last word when a
// space follows; the space that ends a line is consumed and not part of its
// width (the system's DrawTextW counts a trailing space that fits, so only
// the lines are compared with it: each expected line drawn by DrawTextW on
// its own must give the same picture).
TEST_F(VsDrawTest, WordBreakLinesAreTheSystemsDrawnLineByLine) {
  TSurface S(10, 10);
  TEXTMETRICA M;
  GetTextMetricsA(S.DC(), &M);
  auto Width = [&](const std::wstring& T) {
    SIZE Sz;
    GetTextExtentPoint32W(S.DC(), T.c_str(), static_cast<int>(T.size()), &Sz);
    return static_cast<int>(Sz.cx);
  };
  struct TCase {
    const wchar_t* Text;
    const wchar_t* Fits;  // the available width is its extent plus Extra
    int Extra;
    std::vector<std::wstring> Lines;
  };
  const TCase Cases[] = {
      {L"ala ma kota", L"ala ma", 0, {L"ala ma", L"kota"}},
      {L"ala ma kota", L"ala ma", -1, {L"ala", L"ma", L"kota"}},
      {L"ala ma kota", L"ala ma ", 0, {L"ala ma", L"kota"}},
      {L"words that wrap", L"words that", 0, {L"words that", L"wrap"}},
      {L"words that wrap", L"words that", -1, {L"words", L"that wrap"}},
      {L"words that wrap", L"words that ", 1, {L"words that", L"wrap"}},
  };
  for (const TCase& C : Cases) {
    const int Available = Width(C.Fits) + C.Extra;
    const std::string What = WideToUTF8(C.Text) + " at " + std::to_string(Available);
    int Widest = 0;
    for (const std::wstring& L : C.Lines) Widest = std::max(Widest, Width(L) + static_cast<int>(M.tmOverhang));
    const int Height = static_cast<int>(C.Lines.size()) * M.tmHeight;

    TRect R = Rect(5, 5, 5 + Available, 0);
    EXPECT_EQ(VsDrawTextW(S.DC(), C.Text, -1, R, DT_CALCRECT | DT_WORDBREAK), Height) << What;
    EXPECT_EQ(R.right, 5 + Widest) << What;

    TSurface Ours(200, 60, RGB(255, 255, 255)), Theirs(200, 60, RGB(255, 255, 255));
    R = Rect(5, 5, 5 + Available, 60);
    VsDrawTextW(Ours.DC(), C.Text, -1, R, DT_WORDBREAK);
    for (size_t I = 0; I < C.Lines.size(); ++I) {
      RECT Line = {5, 5 + static_cast<int>(I) * M.tmHeight, 5 + Available, 60};
      DrawTextW(Theirs.DC(), C.Lines[I].c_str(), -1, &Line, DT_SINGLELINE);
    }
    EXPECT_TRUE(Ours.SameAs(Theirs)) << What;
  }
}

TEST_F(VsDrawTest, PrefixesUnderlineTheirLetter) {
  TSurface S(100, 30, RGB(255, 255, 255));
  TRect R = Rect(0, 0, 100, 30);
  VsDrawTextW(S.DC(), L"&Plik", -1, R, DT_SINGLELINE);
  TEXTMETRICA M;
  GetTextMetricsA(S.DC(), &M);
  SIZE P;
  GetTextExtentPoint32W(S.DC(), L"P", 1, &P);
  const int Y = M.tmAscent + 1;
  EXPECT_EQ(S.At(0, Y), RGB(0, 0, 0));
  EXPECT_EQ(S.At(P.cx - 2, Y), RGB(0, 0, 0));
  EXPECT_EQ(S.At(P.cx, Y), RGB(255, 255, 255));
  // Two ampersands: one is drawn, nothing underlined; DT_HIDEPREFIX hides it.
  for (const wchar_t* Text : {L"&&Plik", L"&Plik"}) {
    TSurface T(100, 30, RGB(255, 255, 255));
    R = Rect(0, 0, 100, 30);
    VsDrawTextW(T.DC(), Text, -1, R, DT_SINGLELINE | (Text[1] == L'&' ? 0 : DT_HIDEPREFIX));
    int Dark = 0;
    for (int X = 0; X < 100; ++X) Dark += T.At(X, Y) == RGB(0, 0, 0);
    EXPECT_LT(Dark, 3) << WideToUTF8(Text);
  }
}

TEST_F(VsDrawTest, CalcRectWordBreakAndEllipsis) {
  TSurface S(10, 10);
  TEXTMETRICA M;
  GetTextMetricsA(S.DC(), &M);
  auto Width = [&](const wchar_t* T) {
    SIZE Sz;
    GetTextExtentPoint32W(S.DC(), T, static_cast<int>(std::wcslen(T)), &Sz);
    return Sz.cx;
  };
  TRect R = Rect(0, 0, 0, 0);
  EXPECT_EQ(VsDrawTextW(S.DC(), L"krótki\r\nznacznie dłuższy", -1, R, DT_CALCRECT), 2 * M.tmHeight);
  EXPECT_EQ(R.right, Width(L"znacznie dłuższy") + M.tmOverhang);
  EXPECT_EQ(R.bottom, 2 * M.tmHeight);

  // Broken after the last space that fits; a word wider than the line ends
  // its own line after the letter that passes the width.
  R = Rect(0, 0, Width(L"ala ma ko"), 0);
  EXPECT_EQ(VsDrawTextW(S.DC(), L"ala ma kota", -1, R, DT_CALCRECT | DT_WORDBREAK), 2 * M.tmHeight);
  EXPECT_EQ(R.right, Width(L"ala ma"));
  R = Rect(0, 0, Width(L"abc"), 0);
  EXPECT_EQ(VsDrawTextW(S.DC(), L"abcdefgh", -1, R, DT_CALCRECT | DT_WORDBREAK), 2 * M.tmHeight);
  EXPECT_EQ(R.right, std::max(Width(L"abcd"), Width(L"efgh")) + M.tmOverhang);

  // Ellipses, read back through DT_MODIFYSTRING.
  struct TCase {
    const wchar_t* Text;
    UINT Format;
    const wchar_t* Fits;
    const wchar_t* Result;
  };
  const TCase Cases[] = {
      {L"słownik angielski", DT_END_ELLIPSIS, L"słownik...", L"słownik..."},
      {L"C:\\dane\\slowniki\\podstawy.dic", DT_PATH_ELLIPSIS, L"C:\\da...podstawy.dic", L"C:\\da...podstawy.dic"},
      {L"krótki", DT_END_ELLIPSIS, L"krótki", L"krótki"},
  };
  for (const TCase& C : Cases) {
    wchar_t Buffer[64] = {};
    std::wcscpy(Buffer, C.Text);
    R = Rect(0, 0, Width(C.Fits), 20);
    VsDrawTextW(S.DC(), Buffer, -1, R, DT_SINGLELINE | DT_MODIFYSTRING | C.Format);
    EXPECT_EQ(std::wstring(Buffer), C.Result) << WideToUTF8(C.Text);
  }

  // Several lines: only the last line's ellipsis is written back, so the
  // lines still to be drawn are never overwritten.
  {
    wchar_t Buffer[64] = L"pierwszy bardzo długi wiersz\ndrugi bardzo długi wiersz";
    R = Rect(0, 0, Width(L"pierwszy"), 100);
    VsDrawTextW(S.DC(), Buffer, -1, R, DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_EQ(std::wstring(Buffer).substr(0, 29), L"pierwszy bardzo długi wiersz\n");
    EXPECT_EQ(std::wstring(Buffer).substr(29, 3), L"dru");
    EXPECT_EQ(std::wstring(Buffer).back(), L'.');
  }

  // Empty text: an empty rectangle.
  R = Rect(3, 4, 50, 60);
  EXPECT_EQ(VsDrawTextW(S.DC(), L"", -1, R, DT_CALCRECT), 0);
  EXPECT_EQ(R.right, 3);
  EXPECT_EQ(R.bottom, 4);
}

TEST_F(VsDrawTest, LongTextsAreDrawnLikeTheirShortStart) {
  std::wstring Long;
  while (Long.size() < 8300) Long += L"Zażółć gęślą jaźń. ";
  for (int Count : {8188, 8300}) {
    TSurface A(200, 20, RGB(255, 255, 255)), B(200, 20, RGB(255, 255, 255));
    TRect R1 = Rect(0, 0, 200, 20), R2 = R1;
    VsDrawTextW(A.DC(), Long.c_str(), Count, R1, DT_SINGLELINE);
    VsDrawTextW(B.DC(), Long.c_str(), 100, R2, DT_SINGLELINE);
    EXPECT_TRUE(A.SameAs(B)) << Count;
  }
  // Tabs expanded past the line's capacity end the line there.
  const std::wstring Tabs(9000, L'\t');
  TSurface T(200, 20);
  TRect R = Rect(0, 0, 0, 0);
  EXPECT_GT(VsDrawTextW(T.DC(), Tabs.c_str(), -1, R, DT_CALCRECT | DT_EXPANDTABS), 0);
  const std::wstring ShortTabs(100, L'\t');
  R = Rect(0, 0, 0, 0);
  EXPECT_EQ(VsDrawTextW(T.DC(), ShortTabs.c_str(), -1, R, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE), 15);
}

TEST(VsMisc, ShortHintAndFreeAndNil) {
  EXPECT_EQ(GetWideShortHint(L"Krótka|Długa podpowiedź"), L"Krótka");
  EXPECT_EQ(GetWideShortHint(L"bez kreski"), L"bez kreski");
  EXPECT_EQ(GetWideShortHint(L"|"), L"");
  TObject* Obj = new TObject();
  VsFreeAndNil(Obj);
  EXPECT_EQ(Obj, nullptr);
  VsFreeAndNil(Obj);
}
