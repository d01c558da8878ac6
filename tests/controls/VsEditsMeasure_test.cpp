// Fitting text in real fonts: both paths of WideTextFit against measuring
// every prefix with GetTextExtentPoint32W.
#include <gtest/gtest.h>

#include <windows.h>

#include "VsEdits.h"

namespace {

class MeasureFixture : public testing::TestWithParam<const wchar_t*> {
protected:
  void SetUp() override {
    FDC = CreateCompatibleDC(nullptr);
    ASSERT_NE(FDC, nullptr);
    FFont = CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, GetParam());
    ASSERT_NE(FFont, nullptr);
    FOld = SelectObject(FDC, FFont);
  }
  void TearDown() override {
    if (FDC) {
      SelectObject(FDC, FOld);
      DeleteDC(FDC);
    }
    if (FFont) DeleteObject(FFont);
  }
  HDC FDC = nullptr;
  HFONT FFont = nullptr;
  HGDIOBJ FOld = nullptr;
};

TEST_P(MeasureFixture, BothFitPathsAgreeWithMeasuredPrefixes) {
  const WideString Texts[] = {L"Zażółć gęślą jaźń", L"iiiWWW mmm...", L"a", L""};
  TVsGdiMeasurer Measurer(FDC, true);
  for (const WideString& S : Texts) {
    std::vector<int> Prefix;
    for (size_t N = 1; N <= S.size(); ++N) {
      SIZE Size;
      ASSERT_TRUE(GetTextExtentPoint32W(FDC, S.c_str(), static_cast<int>(N), &Size));
      Prefix.push_back(Size.cx);
    }
    EXPECT_EQ(Measurer.CharExtents(S), Prefix);
    EXPECT_EQ(Measurer.Extent(S).cx, Prefix.empty() ? 0 : Prefix.back());
    const int Widest = Prefix.empty() ? 10 : Prefix.back() + 5;
    for (int Width = -1; Width <= Widest; ++Width) {
      int Expected = 0;
      while (Expected < static_cast<int>(Prefix.size()) && Prefix[static_cast<size_t>(Expected)] <= Width) ++Expected;
      EXPECT_EQ(WideTextFit(FDC, S, Width, true), Expected) << Width;
      EXPECT_EQ(WideTextFit(FDC, S, Width, false), Expected) << Width;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, MeasureFixture, testing::Values(L"Tahoma", L"Courier New", L"MS Sans Serif"));

}  // namespace
