#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ThemeDibSupport.h"
#include "VsFrameworkUtils.h"
#include "VsThemesWindowsXP.h"
#include "VsUxTheme.h"

// The engine draws each part the trainer's themed controls use, and the
// platform's theme library draws the same part of the same style file, each
// into a 32-bpp DIB over the same background; the colours of every pixel
// must agree. Where alpha is blended the engine's (s x A + d x (256 - A))
// shr 8 may lie up to 2 below the platform's rounded blend: a source of 251
// at alpha 245 over 14 gives 240, the platform 242.

namespace {

const wchar_t LightStyle[] = L"C:\\windows\\resources\\themes\\light\\light.msstyles";

// The border around the drawn rectangle, to show drawing outside it.
constexpr int Border = 3;

// A test DIB painted with a pattern that varies in every channel.
class TCanvasDib : public TTestDib {
public:
  TCanvasDib(int Width, int Height) : TTestDib(Width, Height) {
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X)
        Set(X, Y,
            DWORD((X * 37 + Y * 11) & 0xFF) << 16 | DWORD((X * 7 + Y * 53) & 0xFF) << 8 |
                DWORD((X * 91 ^ Y * 29) & 0xFF));
  }
  DWORD Pixel(int X, int Y) const { return Get(X, Y) & 0xFFFFFF; }
};

// The largest channel difference of two DIBs of one size, and where it is.
struct TDifference {
  int Max = 0;
  int Count = 0;
  int X = -1, Y = -1;
};

TDifference Compare(const TCanvasDib& A, const TCanvasDib& B, int Tolerance) {
  TDifference D;
  for (int Y = 0; Y < A.Height(); ++Y)
    for (int X = 0; X < A.Width(); ++X) {
      const DWORD P = A.Pixel(X, Y), Q = B.Pixel(X, Y);
      int Max = 0;
      for (int Shift = 0; Shift < 24; Shift += 8)
        Max = std::max(Max, std::abs(int((P >> Shift) & 0xFF) - int((Q >> Shift) & 0xFF)));
      if (Max > Tolerance) ++D.Count;
      if (Max > D.Max) {
        D.Max = Max;
        D.X = X;
        D.Y = Y;
      }
    }
  return D;
}

class VsThemeOracle : public ::testing::Test {
protected:
  void SetUp() override {
    BindUxTheme();
    ASSERT_TRUE(ThemesAvailable);
    ASSERT_NE(VsUxThemeApi.OpenThemeData, nullptr);
    FManager = CreateThemeManager(LightStyle);
    ASSERT_NE(FManager, nullptr);
    FManager->SetColorScheme(L"");
  }
  void TearDown() override {
    for (HTHEME Theme : FPlatformThemes) VsUxThemeApi.CloseThemeData(Theme);
    FPlatformThemes.clear();
    FManager.reset();
  }

  HTHEME PlatformTheme(const wchar_t* ClassName) {
    const HTHEME Theme = VsUxThemeApi.OpenThemeData(nullptr, ClassName);
    if (Theme) FPlatformThemes.push_back(Theme);
    return Theme;
  }

  // Draws the part both ways at Width x Height (the platform's rectangle
  // moved right by PlatformShift) and compares.
  void Check(const wchar_t* ClassName, int PartId, int StateId, int Width, int Height, int Tolerance,
             int PlatformShift = 0) {
    SCOPED_TRACE(testing::Message() << WideToAnsi(ClassName) << " part " << PartId << " state " << StateId << " "
                                    << Width << "x" << Height);
    TTheme* Engine = FManager->GetTheme(ClassName);
    ASSERT_NE(Engine, nullptr);
    const HTHEME Platform = PlatformTheme(ClassName);
    ASSERT_NE(Platform, nullptr);
    TCanvasDib Ours(Width + 2 * Border, Height + 2 * Border), Theirs(Width + 2 * Border, Height + 2 * Border);
    const RECT R{Border, Border, Border + Width, Border + Height};
    Engine->DrawThemeBackground(Ours.DC(), PartId, StateId, &R, nullptr);
    const RECT P{R.left + PlatformShift, R.top, R.right + PlatformShift, R.bottom};
    EXPECT_EQ(VsUxThemeApi.DrawThemeBackground(Platform, Theirs.DC(), PartId, StateId, &P, nullptr), S_OK);
    const TDifference D = Compare(Ours, Theirs, Tolerance);
    EXPECT_LE(D.Max, Tolerance) << D.Count << " pixels differ, the most at " << D.X << "," << D.Y << ": " << std::hex
                                << Ours.Pixel(D.X, D.Y) << " against " << Theirs.Pixel(D.X, D.Y);
  }

  TOwned<TThemeManager> FManager;
  std::vector<HTHEME> FPlatformThemes;
};

// The largest difference of an alpha-blended pixel.
constexpr int BlendTolerance = 2;

struct TExtent {
  int Width, Height;
};

}  // namespace

TEST_F(VsThemeOracle, BorderFillEditAndListView) {
  for (const TExtent S : {TExtent{60, 21}, TExtent{200, 100}, TExtent{7, 7}}) {
    Check(L"EDIT", 0, 0, S.Width, S.Height, 0);
    for (int State = 1; State <= 6; ++State) Check(L"EDIT", 1, State, S.Width, S.Height, 0);
    Check(L"LISTVIEW", 0, 0, S.Width, S.Height, 0);
  }
}

TEST_F(VsThemeOracle, CheckBoxesAndRadioButtons) {
  for (int State = 1; State <= 12; ++State)
    for (const TExtent S : {TExtent{13, 13}, TExtent{21, 21}}) Check(L"BUTTON", 3, State, S.Width, S.Height, 0);
  for (int State = 1; State <= 8; ++State) Check(L"BUTTON", 2, State, 13, 13, BlendTolerance);
}

TEST_F(VsThemeOracle, ScrollBarArrowsThumbsAndTracks) {
  for (int State = 1; State <= 16; ++State)
    for (const TExtent S : {TExtent{17, 17}, TExtent{21, 21}, TExtent{15, 15}})
      Check(L"SCROLLBAR", 1, State, S.Width, S.Height, BlendTolerance);
  for (int State = 1; State <= 4; ++State) {
    for (int Part : {2, 3})
      for (const TExtent S : {TExtent{17, 60}, TExtent{60, 17}, TExtent{17, 20}})
        Check(L"SCROLLBAR", Part, State, S.Width, S.Height, 0);
    for (int Part : {4, 5, 6, 7})
      for (const TExtent S : {TExtent{17, 40}, TExtent{40, 17}, TExtent{17, 3}})
        Check(L"SCROLLBAR", Part, State, S.Width, S.Height, 0);
    // The grippers' images hold nothing but zeros: neither side draws.
    for (int Part : {8, 9}) Check(L"SCROLLBAR", Part, State, 17, 30, 0);
  }
}

TEST_F(VsThemeOracle, AnOddLeftoverIsCentredOnePixelLeftOfThePlatform) {
  // 20 - 13 = 7 columns left over: the engine puts 3 on the left, the
  // platform 4.
  Check(L"BUTTON", 3, 1, 20, 17, 0, -1);
}
