#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <typeinfo>
#include <vector>

#include "TestSupport.h"
#include "ThemeDibSupport.h"
#include "VsFrameworkUtils.h"
#include "VsThemesWindowsXP.h"
#include "VsThemesWindowsXPButton.h"
#include "VsThemesWindowsXPComboBox.h"
#include "VsThemesWindowsXPEdit.h"
#include "VsThemesWindowsXPExplorerBar.h"
#include "VsThemesWindowsXPHeader.h"
#include "VsThemesWindowsXPListView.h"
#include "VsThemesWindowsXPProgress.h"
#include "VsThemesWindowsXPScrollBar.h"
#include "VsThemesWindowsXPSpin.h"
#include "VsThemesWindowsXPStatus.h"
#include "VsThemesWindowsXPTab.h"
#include "VsThemesWindowsXPToolbar.h"
#include "VsThemesWindowsXPTrackBar.h"
#include "VsThemesWindowsXPTreeView.h"
#include "VsThemesWindowsXPWindow.h"

namespace {

const wchar_t LightStyle[] = L"C:\\windows\\resources\\themes\\light\\light.msstyles";

// A test DIB filled with one colour, dark grey unless said.
class TDib : public TTestDib {
public:
  TDib(int Width, int Height, DWORD Fill = 0x101010) : TTestDib(Width, Height) { TTestDib::Fill(Fill); }
};

class VsThemeClasses : public ::testing::Test {
protected:
  void SetUp() override {
    ClearCurrentThemeManager();
    FManager = CreateThemeManager(LightStyle);
    ASSERT_NE(FManager, nullptr);
    FManager->SetColorScheme(L"");
    FXP = dynamic_cast<TWindowsXPThemeManager*>(FManager.get());
    ASSERT_NE(FXP, nullptr);
  }

  TTheme* Theme(const wchar_t* ClassList) {
    TTheme* T = FManager->GetTheme(ClassList);
    EXPECT_NE(T, nullptr) << WideToAnsi(ClassList);
    return T;
  }

  // A part of its own section, written into the scheme ini as Lines of
  // "Name = Value"; the ini goes with the manager at the end of the test.
  TOwned<TWindowsXPThemePart> MadePart(const AnsiString& Section,
                                       const std::vector<std::pair<const char*, const char*>>& Lines,
                                       TWindowsXPThemePart* Parent = nullptr) {
    for (const auto& [Name, Value] : Lines) FXP->SchemeIni().WriteString(Section, Name, Value);
    if (!FTheme) FTheme.reset(new TWindowsXPTheme(FXP));
    return TOwned<TWindowsXPThemePart>(new TWindowsXPThemePart(FTheme.get(), Parent, Section));
  }

  void TearDown() override {
    ClearCurrentThemeManager();
    FTheme.reset();
    FManager.reset();
  }

  TOwned<TThemeManager> FManager;
  TWindowsXPThemeManager* FXP = nullptr;
  TOwned<TWindowsXPTheme> FTheme;
};

}  // namespace

TEST_F(VsThemeClasses, ClassListsOpenTheThemeOfTheirPrefix) {
  struct TCase {
    const wchar_t* ClassList;
    const std::type_info& Class;
  };
  const TCase Cases[] = {
      {L"Globals", typeid(TWindowsXPThemeGlobals)},
      {L"Button", typeid(TWindowsXPThemeButton)},
      {L"combobox", typeid(TWindowsXPThemeComboBox)},
      {L"EDIT", typeid(TWindowsXPThemeEdit)},
      {L"ExplorerBar", typeid(TWindowsXPThemeExplorerBar)},
      {L"Header", typeid(TWindowsXPThemeHeader)},
      {L"lIsTvIeW;Edit", typeid(TWindowsXPThemeListView)},
      {L"ListViewPopup", typeid(TWindowsXPThemeListView)},
      {L"Progress", typeid(TWindowsXPThemeProgress)},
      {L"ScrollBar", typeid(TWindowsXPThemeScrollBar)},
      {L"Spin", typeid(TWindowsXPThemeSpin)},
      {L"Status", typeid(TWindowsXPThemeStatus)},
      {L"Tab", typeid(TWindowsXPThemeTab)},
      {L"Toolbar", typeid(TWindowsXPThemeToolbar)},
      {L"TrackBar", typeid(TWindowsXPThemeTrackBar)},
      {L"TreeView", typeid(TWindowsXPThemeTreeView)},
      {L"Window", typeid(TWindowsXPThemeWindow)},
  };
  for (const TCase& Case : Cases) {
    TTheme* T = Theme(Case.ClassList);
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(typeid(*T), Case.Class) << WideToAnsi(Case.ClassList);
  }
  for (const wchar_t* Unknown : {L"ListBox", L"Menu", L"", L" Edit"}) EXPECT_EQ(FManager->GetTheme(Unknown), nullptr);
}

TEST_F(VsThemeClasses, EachClassHasThePartsOfItsTable) {
  struct TCase {
    const wchar_t* ClassList;
    std::vector<int> PartIds;
  };
  const TCase Cases[] = {
      {L"BUTTON", {1, 2, 3, 4}},
      {L"EDIT", {0, 1}},
      {L"SCROLLBAR", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {L"TAB", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {L"TRACKBAR", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {L"WINDOW", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 18, 19, 20, 21, 22, 23, 29}},
      {L"EXPLORERBAR", {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12}},
  };
  for (const TCase& Case : Cases) {
    TTheme* T = Theme(Case.ClassList);
    ASSERT_NE(T, nullptr);
    for (int Id = 0; Id <= 30; ++Id) {
      const bool Listed = std::find(Case.PartIds.begin(), Case.PartIds.end(), Id) != Case.PartIds.end();
      EXPECT_EQ(T->GetPart(Id) != nullptr, Listed) << WideToAnsi(Case.ClassList) << " part " << Id;
    }
  }
  // Every part but the root inherits from it; the edit's text area reads
  // the same section as its frame.
  TTheme* Edit = Theme(L"EDIT");
  auto* Text = dynamic_cast<TWindowsXPThemePart*>(Edit->GetPart(1));
  ASSERT_NE(Text, nullptr);
  EXPECT_EQ(Text->Parent(), Edit->GetPart(0));
  int Border = 0;
  Text->GetThemeInt(0, 2403, Border);
  EXPECT_EQ(Border, 1);
  EXPECT_EQ(dynamic_cast<TWindowsXPThemePart*>(Theme(L"BUTTON")->GetPart(1))->Parent(), nullptr);
}

TEST_F(VsThemeClasses, DisabledStatesDrawByTheirCompanionSections) {
  // Only the companions define a text colour: grey 189 for the disabled
  // radio buttons; the other states keep the DC's black. The darkest pixel
  // of the (smoothed) text tells which.
  TTheme* Button = Theme(L"Button");
  ASSERT_NE(Button, nullptr);
  for (int State = 1; State <= 8; ++State) {
    TDib Dib(40, 20, 0xFFFFFF);
    const RECT R{0, 0, 40, 20};
    Button->DrawThemeText(Dib.DC(), 2, State, L"WWW", 3, DT_SINGLELINE, 0, &R);
    int Darkest = 255;
    for (int Y = 0; Y < 20; ++Y)
      for (int X = 0; X < 40; ++X) Darkest = std::min(Darkest, int(GetRValue(Dib.Color(X, Y))));
    EXPECT_EQ(Darkest, State == 4 || State == 8 ? 189 : 0) << State;
  }
  // The companions inherit the images: disabled backgrounds are frames 3
  // and 7 of the radio button's image.
  auto* Radio = dynamic_cast<TWindowsXPThemeRadioButton*>(Button->GetPart(2));
  ASSERT_NE(Radio, nullptr);
  EXPECT_NE(Radio->Companion(8), nullptr);
  EXPECT_EQ(Radio->Companion(5), nullptr);
  TDib Routed(13, 13), Direct(13, 13);
  const RECT R{0, 0, 13, 13};
  Button->DrawThemeBackground(Routed.DC(), 2, 8, &R, nullptr);
  Radio->TWindowsXPThemePart::DrawThemeBackground(Direct.DC(), 8, &R, nullptr);
  EXPECT_TRUE(Routed.SameColors(Direct));
}

TEST_F(VsThemeClasses, StatesOutsideAPartsRangeDrawFrameZero) {
  TTheme* Button = Theme(L"BUTTON");
  ASSERT_NE(Button, nullptr);
  const RECT R{0, 0, 13, 13};
  TDib State1(13, 13), State2(13, 13), State13(13, 13), State0(13, 13);
  Button->DrawThemeBackground(State1.DC(), 3, 1, &R, nullptr);
  Button->DrawThemeBackground(State2.DC(), 3, 2, &R, nullptr);
  Button->DrawThemeBackground(State13.DC(), 3, 13, &R, nullptr);
  Button->DrawThemeBackground(State0.DC(), 3, 0, &R, nullptr);
  EXPECT_FALSE(State1.SameColors(State2));
  EXPECT_TRUE(State13.SameColors(State1));
  EXPECT_TRUE(State0.SameColors(State1));
}

TEST_F(VsThemeClasses, GlobalsEdgesMoveTheContentAndAreDrawnWhenAsked) {
  TTheme* Globals = Theme(L"Globals");
  ASSERT_NE(Globals, nullptr);
  const RECT Bounding{0, 0, 30, 20};
  TDib Dib(30, 20);
  RECT Content{};
  Globals->GetThemeBackgroundContentRect(Dib.DC(), 31, 3, &Bounding, &Content);
  EXPECT_EQ(Content.left, 0);
  EXPECT_EQ(Content.top, 2);  // a sunken edge is two lines
  EXPECT_EQ(Content.right, 30);
  EXPECT_EQ(Content.bottom, 20);
  EXPECT_EQ(Dib.Color(15, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(Dib.Color(15, 2), RGB(16, 16, 16));

  RECT Extent{};
  Globals->GetThemeBackgroundExtent(Dib.DC(), 32, 2, &Bounding, &Extent);
  EXPECT_EQ(Extent.left, -2);
  EXPECT_EQ(Extent.top, -2);
  EXPECT_EQ(Extent.right, 32);
  EXPECT_EQ(Extent.bottom, 22);

  Globals->GetThemeBackgroundContentRect(Dib.DC(), 0, 3, &Bounding, &Content);
  EXPECT_EQ(Content.top, 0);
  EXPECT_EQ(Globals->GetPart(33), nullptr);

  // The background is the current style's button face (245, 245, 245),
  // and nothing while no style is current.
  TDib Unstyled(4, 4);
  const RECT Face{0, 0, 4, 4};
  Globals->DrawThemeBackground(Unstyled.DC(), 0, 1, &Face, nullptr);
  EXPECT_EQ(Unstyled.Count(RGB(16, 16, 16)), 16);
  ASSERT_EQ(ActivateThemeManager(FManager.get(), nullptr), S_OK);
  TDib Styled(4, 4);
  Theme(L"Globals")->DrawThemeBackground(Styled.DC(), 0, 1, &Face, nullptr);
  EXPECT_EQ(Styled.Count(RGB(245, 245, 245)), 16);
}

TEST_F(VsThemeClasses, PartSizes) {
  TTheme* Button = Theme(L"BUTTON");
  ASSERT_NE(Button, nullptr);
  const TOwned<TWindowsXPThemePart> Stretched = MadePart(
      "Test.Sized", {{"BgType", "ImageFile"}, {"ImageFile", "blue_button.bmp"}, {"SizingMargins", "3, 4, 5, 6"}});
  const TOwned<TWindowsXPThemePart> Huge = MadePart(
      "Test.Huge",
      {{"BgType", "ImageFile"}, {"ImageFile", "blue_button.bmp"}, {"SizingMargins", "2000000000, 2000000000, -5, 1"}});
  struct TCase {
    TThemePart* Part;
    int StateId;
    THEMESIZE Kind;
    bool WithRect;
    SIZE Expected;
  };
  TThemePart* CheckBox = Button->GetPart(3);
  TThemePart* Arrow = Theme(L"SCROLLBAR")->GetPart(1);
  const TCase Cases[] = {
      {Stretched.get(), 1, TS_MIN, false, {7, 11}},   // the sizing margins
      {Huge.get(), 1, TS_MIN, false, {INT_MAX, -4}},  // no sum wraps round
      {CheckBox, 1, TS_MIN, false, {13, 13}},         // a true-size frame
      {Arrow, 1, TS_MIN, false, {29, 29}},            // sizing margins 8 each, and the 13-pixel glyph
      {CheckBox, 5, TS_TRUE, true, {13, 13}},        {CheckBox, 1, TS_DRAW, true, {30, 20}},
      {CheckBox, 1, TS_DRAW, false, {0, 0}},         {CheckBox, 1, static_cast<THEMESIZE>(3), true, {0, 0}},
  };
  RECT R{5, 5, 35, 25};
  for (const TCase& Case : Cases) {
    SIZE Size{-1, -1};
    Case.Part->GetThemePartSize(nullptr, Case.StateId, Case.WithRect ? &R : nullptr, Case.Kind, Size);
    EXPECT_EQ(Size.cx, Case.Expected.cx) << Case.Kind;
    EXPECT_EQ(Size.cy, Case.Expected.cy) << Case.Kind;
  }
}

TEST_F(VsThemeClasses, GettersAnswerOwnValuesInThePublishedNumbering) {
  TTheme* Button = Theme(L"BUTTON");
  TTheme* Edit = Theme(L"EDIT");
  ASSERT_NE(Button, nullptr);
  ASSERT_NE(Edit, nullptr);
  struct TCase {
    TTheme* Theme;
    int PartId, PropId, Expected;
  };
  const TCase Enums[] = {
      {Button, 1, 4001, 0},  // BgType imagefile
      {Button, 1, 4004, 1},  // SizingType stretch
      {Button, 3, 4004, 0},  // truesize
      {Button, 3, 4013, 2},  // ImageSelectType dpi
      {Edit, 0, 4001, 1},    // borderfill
  };
  for (const TCase& Case : Enums) {
    int Value = -1;
    Case.Theme->GetThemeEnumValue(Case.PartId, 0, Case.PropId, Value);
    EXPECT_EQ(Value, Case.Expected) << Case.PartId << " " << Case.PropId;
  }

  const TOwned<TWindowsXPThemePart> Parent = MadePart("Test.Parent", {{"BorderSize", "3"}});
  const TOwned<TWindowsXPThemePart> Child = MadePart("Test.Child", {{"BorderColor", "1 2 3"}}, Parent.get());
  int Size = 0;
  Parent->GetThemeInt(0, 2403, Size);
  EXPECT_EQ(Size, 3);
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Child->GetThemeInt(0, 2403, Size); }),
            "Theme property [2403] is undefined");
  LOGFONTW Font{};
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Child->GetThemeFont(nullptr, 0, 2601, Font); }),
            "Theme property [2601] is undefined");

  wchar_t Name[5];
  Button->GetThemeFilename(1, 0, 3001, Name, 5);
  EXPECT_STREQ(Name, L"blue");
  EXPECT_EQ(MessageOf<EThemeError>([&] { Button->GetThemeFilename(1, 0, 3001, nullptr, 5); }),
            "Invalid function parameter");
}

TEST_F(VsThemeClasses, HitTestAndContentRectangles) {
  TTheme* Button = Theme(L"BUTTON");
  ASSERT_NE(Button, nullptr);
  const RECT R{10, 10, 30, 20};
  WORD Code = 99;
  Button->HitTestThemeBackground(nullptr, 1, 1, 0, &R, nullptr, POINT{15, 15}, Code);
  EXPECT_EQ(Code, HTCLIENT);
  Button->HitTestThemeBackground(nullptr, 1, 1, 0, &R, nullptr, POINT{30, 15}, Code);
  EXPECT_EQ(Code, HTNOWHERE);

  // The push button's own content margins are 3 on each side.
  RECT Content{}, Extent{};
  Button->GetThemeBackgroundContentRect(nullptr, 1, 1, &R, &Content);
  EXPECT_EQ(Content.left, 13);
  EXPECT_EQ(Content.bottom, 17);
  Button->GetThemeBackgroundExtent(nullptr, 1, 1, &Content, &Extent);
  EXPECT_TRUE(EqualRect(&Extent, &R));
}

TEST_F(VsThemeClasses, GradientsAndBorderFills) {
  const TOwned<TWindowsXPThemePart> Vertical = MadePart("Test.Vertical", {{"BgType", "BorderFill"},
                                                                          {"FillType", "VertGradient"},
                                                                          {"GradientColor1", "255 0 0"},
                                                                          {"GradientColor2", "0 0 255"}});
  const TOwned<TWindowsXPThemePart> Ratios =
      MadePart("Test.Ratios", {{"GradientRatio1", "0"}, {"GradientRatio2", "2000000000"}}, Vertical.get());
  const TOwned<TWindowsXPThemePart> NoBands =
      MadePart("Test.NoBands", {{"GradientRatio1", "7"}, {"GradientRatio2", "7"}}, Vertical.get());
  const TOwned<TWindowsXPThemePart> Filled =
      MadePart("Test.Filled", {{"BgType", "BorderFill"}, {"BorderType", "Rect"}, {"FillColor", "0 255 0"}});

  {
    // One band has the first colour.
    TDib Dib(4, 1);
    const RECT R{0, 0, 4, 1};
    Vertical->DrawThemeBackground(Dib.DC(), 1, &R, nullptr);
    EXPECT_EQ(Dib.Count(RGB(255, 0, 0)), 4);
  }
  {
    // Two thousand million bands are the ten rows there are.
    TDib Dib(2, 10);
    const RECT R{0, 0, 2, 10};
    Ratios->DrawThemeBackground(Dib.DC(), 1, &R, nullptr);
    EXPECT_EQ(Dib.Color(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(Dib.Color(1, 9), RGB(0, 0, 255));
    EXPECT_EQ(Dib.Count(RGB(16, 16, 16)), 0);
  }
  {
    TDib Dib(2, 10);
    const RECT R{0, 0, 2, 10};
    NoBands->DrawThemeBackground(Dib.DC(), 1, &R, nullptr);
    EXPECT_EQ(Dib.Count(RGB(16, 16, 16)), 20);
  }
  {
    // A rectangle without a border colour has no outline, whatever pen
    // the DC holds.
    TDib Dib(8, 8);
    const HPEN Red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    const HGDIOBJ Old = SelectObject(Dib.DC(), Red);
    const RECT R{1, 1, 7, 7};
    Filled->DrawThemeBackground(Dib.DC(), 1, &R, nullptr);
    SelectObject(Dib.DC(), Old);
    DeleteObject(Red);
    EXPECT_EQ(Dib.Count(RGB(255, 0, 0)), 0);
    EXPECT_EQ(Dib.Color(1, 1), RGB(0, 255, 0));
    EXPECT_EQ(Dib.Color(4, 4), RGB(0, 255, 0));
  }
}

TEST_F(VsThemeClasses, TiledAlphaImagesDrawNothing) {
  // The group box is tiled from an image with alpha.
  TTheme* Button = Theme(L"BUTTON");
  ASSERT_NE(Button, nullptr);
  TDib Before(60, 40), After(60, 40);
  const RECT R{0, 0, 60, 40};
  Button->DrawThemeBackground(After.DC(), 4, 1, &R, nullptr);
  EXPECT_TRUE(After.SameColors(Before));
}

TEST_F(VsThemeClasses, ThemeEdgesAreTheLibrarysEdges) {
  TTheme* Button = Theme(L"BUTTON");
  ASSERT_NE(Button, nullptr);
  for (UINT Flags : {UINT(BF_RECT), UINT(BF_RECT | BF_ADJUST)}) {
    TDib Ours(20, 12), Library(20, 12);
    const RECT R{1, 1, 19, 11};
    RECT Content{0, 0, 1, 1};
    Button->DrawThemeEdge(Ours.DC(), 1, 1, &R, EDGE_SUNKEN, Flags, &Content);
    TRect Adjusted = R;
    VsDrawEdge(Library.DC(), Adjusted, EDGE_SUNKEN, Flags);
    EXPECT_TRUE(Ours.SameColors(Library)) << Flags;
    const RECT Expected = Flags & BF_ADJUST ? RECT{3, 3, 17, 9} : RECT{0, 0, 1, 1};
    EXPECT_TRUE(EqualRect(&Content, &Expected)) << Flags;
  }
}

TEST_F(VsThemeClasses, PanesTabsAndTicsOfTheirOwn) {
  struct TCase {
    const wchar_t* ClassList;
    int PartId;
    RECT Expected;
  };
  // Bounding (10, 10, 50, 30). The status pane's sizing margins are 0, 2,
  // 2, 2; the tab pane has sizing margins 2, 4, 2, 4 and no content
  // margins; the tab item's content margins are 0.
  const TCase Cases[] = {
      {L"STATUS", 1, {10, 12, 48, 28}},
      {L"TAB", 9, {12, 12, 46, 26}},
      {L"TAB", 1, {10, 10, 50, 30}},
  };
  const RECT Bounding{10, 10, 50, 30};
  for (const TCase& Case : Cases) {
    TTheme* T = Theme(Case.ClassList);
    ASSERT_NE(T, nullptr);
    RECT Content{};
    T->GetThemeBackgroundContentRect(nullptr, Case.PartId, 1, &Bounding, &Content);
    EXPECT_TRUE(EqualRect(&Content, &Case.Expected)) << WideToAnsi(Case.ClassList) << " " << Case.PartId;
  }
  RECT Extent{};
  const RECT Content{10, 12, 48, 28};
  Theme(L"STATUS")->GetThemeBackgroundExtent(nullptr, 1, 1, &Content, &Extent);
  EXPECT_TRUE(EqualRect(&Extent, &Bounding));

  // The tick marks are one line of their own colour: along the bottom of a
  // wide rectangle, down the right of a tall one.
  TTheme* TrackBar = Theme(L"TRACKBAR");
  ASSERT_NE(TrackBar, nullptr);
  const COLORREF Tic = RGB(174, 174, 174);
  TDib Wide(10, 4), Tall(4, 10);
  const RECT W{0, 0, 10, 4}, T{0, 0, 4, 10};
  TrackBar->DrawThemeBackground(Wide.DC(), 9, 1, &W, nullptr);
  TrackBar->DrawThemeBackground(Tall.DC(), 10, 1, &T, nullptr);
  EXPECT_EQ(Wide.Count(Tic), 10);
  EXPECT_EQ(Wide.Color(0, 3), Tic);
  EXPECT_EQ(Tall.Count(Tic), 10);
  EXPECT_EQ(Tall.Color(3, 0), Tic);
}
