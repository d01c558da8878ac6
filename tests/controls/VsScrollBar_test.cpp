// The scroll-bar model without a window: geometry, hit test, the mouse
// with repeat and drag, the services, the stored rules and classic
// painting, with an owner that records what the bar asks of it.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Forms.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"
#include "VsSBController.h"
#include "VsScrollBar.h"

namespace {

using TScrolls = std::vector<std::pair<int, int>>;

class TFakeOwner : public TVsSBOwner {
public:
  HWND BarWindow() const override { return nullptr; }
  bool BarLoading() const override { return false; }
  bool BarBusy() const override { return false; }
  bool BarWindowEnabled() const override { return true; }
  void BarScroll(TVsSBHandlerCustom*, int Code, bool& Accept, int& Position) override {
    Scrolls.emplace_back(Code, Position);
    Accept = AcceptAll;
  }
  void BarCapture() override { ++Captures; }
  void BarReleaseCapture() override { ++Releases; }
  void BarRepaint(int) override {}
  void BarRecalcFrame() override {}
  HTHEME BarTheme() const override { return nullptr; }
  TVsSBHandlerCustom* OtherBar(const TVsSBHandlerCustom*) const override { return nullptr; }
  TPoint BarBorderOrigin() const override { return TPoint{0, 0}; }

  TScrolls Scrolls;
  bool AcceptAll = false;
  int Captures = 0, Releases = 0;
};

void SetState(TVsSBHandlerCustom* Bar, int Min, int Max, int Page, int Pos) {
  SCROLLINFO Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  Info.nMin = Min;
  Info.nMax = Max;
  Info.nPage = static_cast<UINT>(Page);
  Info.nPos = Pos;
  Bar->NotifyScrollInfo(Info, false);
}

class VsScrollBarTest : public ::testing::Test {
protected:
  // A vertical bar 17 x Length with 17-pixel buttons.
  TVsCtrlScrollBarStyles* MakeBar(int Length = 100, bool Vertical = true) {
    Bar.reset(Create<TVsCtrlScrollBarStyles>(&Owner, Vertical));
    Bar->SetUseSystemMetrics(false);
    Bar->SetButtonSize(17);
    Bar->SetWidth(17);
    Bar->SetLength(Length);
    return Bar.get();
  }
  TFakeOwner Owner;
  TOwned<TVsCtrlScrollBarStyles> Bar;
};

}  // namespace

TEST_F(VsScrollBarTest, GeometryFollowsRangePageAndLength) {
  struct TCase {
    const char* Name;
    int Length, Min, Max, Page, Pos;
    bool Secondary;
    int FixedThumb;  // 0: automatic
    int Track, Thumb, Offset, FromThumb;
  };
  const int SysThumb = GetSystemMetrics(SM_CYVTHUMB);
  const TCase Cases[] = {
      {"page 10 of 100 at 90", 100, 0, 99, 10, 90, false, 0, 66, 12, 71, 90},
      {"empty initial range", 100, 0, -1, 14, -1, false, 0, 66, 66, 17, 0},
      {"bar shorter than its buttons", 20, 0, 99, 10, 50, false, 0, 0, 0, 10, 0},
      {"page covers the range", 100, 0, 9, 10, 0, false, 0, 66, 66, 17, 0},
      {"fixed thumb fills the track", 100, 0, 99, 10, 50, false, 66, 66, 66, 17, 0},
      {"page 0 takes the system thumb", 100, 0, 99, 0, 50, false, 0, 66, SysThumb,
       17 + MulDiv(66 - SysThumb, 50, 100), MulDiv(MulDiv(66 - SysThumb, 50, 100), 100, 66 - SysThumb)},
      {"secondary buttons", 200, 0, 99, 20, 0, true, 0, 132, 26, 34, 0},
      {"range from 100 at its end", 100, 100, 199, 50, 150, false, 0, 66, 33, 50, 150},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TVsSBHandlerCustom* B = MakeBar(C.Length);
    B->SetSecondaryButtons(C.Secondary);
    if (C.FixedThumb) {
      B->SetThumbMode(etmFixed);
      B->SetThumbSize(C.FixedThumb);
    }
    SetState(B, C.Min, C.Max, C.Page, C.Pos);
    EXPECT_EQ(B->TrackLength(), C.Track);
    EXPECT_EQ(B->ThumbLength(), C.Thumb);
    EXPECT_EQ(B->ThumbOffset(), C.Offset);
    SCROLLINFO Info{};
    Info.cbSize = sizeof Info;
    Info.fMask = SIF_TRACKPOS;
    ASSERT_TRUE(B->GetScrollInfo(Info));
    EXPECT_EQ(Info.nTrackPos, C.FromThumb);
  }
}

TEST_F(VsScrollBarTest, HitTestKeepsThePartOrder) {
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 90);  // thumb 71..82
  const struct {
    int X, Y, Part;
  } Cases[] = {{5, 0, sbpStartArrow},  {5, 17, sbpStartArrow},  {5, 18, sbpTrackBefore}, {5, 70, sbpTrackBefore},
               {5, 71, sbpThumb},      {5, 82, sbpThumb},       {5, 83, sbpTrackAfter},  {5, 84, sbpEndArrow},
               {5, 99, sbpEndArrow},   {-1, 50, sbpNone},       {18, 50, sbpNone},       {17, 50, sbpTrackBefore}};
  for (const auto& C : Cases) EXPECT_EQ(B->HitTest(C.X, C.Y), C.Part) << C.X << "," << C.Y;

  B->SetSecondaryButtons(true);  // 17 + 17 at each end, track 32
  EXPECT_EQ(B->HitTest(5, 20), sbpStartSecondary);
  EXPECT_EQ(B->HitTest(5, 70), sbpEndSecondary);
  B->SetShowLeftArrows(false);
  EXPECT_EQ(B->HitTest(5, 5), sbpTrackBefore);

  // A handler that decides takes the place of the geometry.
  struct TDecider : TObject {
    void Decide(TObject*, int, int Y, bool& Accept, int& Part) {
      Accept = Y < 10;
      Part = sbpThumb;
    }
  } Decider;
  B->OnHitTest = TVsScrollHitTestEvent(&Decider, &TDecider::Decide);
  EXPECT_EQ(B->HitTest(5, 5), sbpThumb);
  EXPECT_EQ(B->HitTest(5, 95), sbpEndArrow);
}

TEST_F(VsScrollBarTest, ArrowPressScrollsRepeatsAndEnds) {
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 50);
  B->MouseDown(5, 90);
  EXPECT_EQ(Owner.Scrolls, (TScrolls{{SB_LINEDOWN, 51}}));
  EXPECT_EQ(Owner.Captures, 1);
  EXPECT_TRUE(B->RepeatTimer()->Enabled());
  EXPECT_EQ(B->RepeatTimer()->Interval(), static_cast<Cardinal>(GetKeybTimes(SPI_GETKEYBOARDDELAY)));
  // The window did not scroll (the fake takes nothing): the same step again.
  B->RepeatTick(TPoint{5, 90});
  EXPECT_EQ(B->RepeatTimer()->Interval(), static_cast<Cardinal>(GetKeybTimes(SPI_GETKEYBOARDSPEED)));
  B->MouseUp(5, 90);
  EXPECT_EQ(Owner.Scrolls, (TScrolls{{SB_LINEDOWN, 51}, {SB_LINEDOWN, 51}, {SB_ENDSCROLL, 50}}));
  EXPECT_FALSE(B->RepeatTimer()->Enabled());
  EXPECT_FALSE(B->Pressed());
  EXPECT_EQ(Owner.Releases, 1);
}

TEST_F(VsScrollBarTest, ArrowAtTheEndActsOnlyWithNoDisableButtons) {
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 90);
  B->MouseDown(5, 90);
  EXPECT_TRUE(Owner.Scrolls.empty());
  EXPECT_EQ(B->PressedPart(), sbpNone);
  EXPECT_EQ(Owner.Captures, 0);
  B->SetNoDisableButtons(true);
  B->MouseDown(5, 90);
  EXPECT_EQ(Owner.Scrolls, (TScrolls{{SB_LINEDOWN, 91}}));
  EXPECT_EQ(B->PressedPart(), sbpEndArrow);
  EXPECT_TRUE(B->RepeatTimer()->Enabled());
  B->MouseUp(5, 90);
}

TEST_F(VsScrollBarTest, PageRepeatPagesOnlyWhileOverThePressedPart) {
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 50);  // thumb 47..58
  B->MouseDown(5, 80);
  B->RepeatTick(TPoint{5, 80});
  B->RepeatTick(TPoint{5, 20});
  B->MouseUp(5, 20);
  EXPECT_EQ(Owner.Scrolls, (TScrolls{{SB_PAGEDOWN, 60}, {SB_PAGEDOWN, 60}, {SB_PAGEDOWN, 50}, {SB_ENDSCROLL, 50}}));
}

TEST_F(VsScrollBarTest, AcceptedScrollMovesTheBarAndFiresOnChange) {
  struct TCounter : TObject {
    int N = 0;
    void Changed(TObject*) { ++N; }
  } Counter;
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 50);
  B->OnChange = TNotifyEvent(&Counter, &TCounter::Changed);
  Owner.AcceptAll = true;
  B->MouseDown(5, 90);
  EXPECT_EQ(B->Position(), 51);
  EXPECT_EQ(Counter.N, 1);
  // Setting the position tells the window where to go.
  EXPECT_EQ(Owner.Scrolls.back(), std::make_pair(int(SB_THUMBPOSITION), 51));
  B->MouseUp(5, 90);
}

TEST_F(VsScrollBarTest, DragTracksSnapsBackAndResumes) {
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 50);  // thumb 47..58
  B->MouseDown(5, 50);
  EXPECT_TRUE(B->Dragging());
  EXPECT_EQ(Owner.Captures, 1);
  B->MouseMove(5, 60);
  EXPECT_EQ(B->ThumbOffset(), 57);
  B->MouseMove(5, 151);  // more than half the length past the end
  EXPECT_EQ(B->ThumbOffset(), 47);
  B->MouseMove(5, 149);  // within half the length: clamped to the end
  EXPECT_EQ(B->ThumbOffset(), 100 - 17 - 12);
  B->MouseMove(5, 60);
  B->MouseUp(5, 60);
  EXPECT_EQ(Owner.Scrolls, (TScrolls{{SB_THUMBTRACK, 67}, {SB_THUMBTRACK, 50}, {SB_THUMBTRACK, 90},
                                     {SB_THUMBTRACK, 67}, {SB_THUMBPOSITION, 67}}));
  EXPECT_FALSE(B->Dragging());
  EXPECT_EQ(Owner.Releases, 1);
  // The window did not take 67: the thumb shows the bar's position again.
  EXPECT_EQ(B->ThumbOffset(), 47);
}

TEST_F(VsScrollBarTest, ThumbFillingTheTrackDragsToTheRangeStart) {
  TVsSBHandlerCustom* B = MakeBar();
  B->SetThumbMode(etmFixed);
  B->SetThumbSize(66);
  SetState(B, 0, 99, 10, 50);
  B->MouseDown(5, 50);
  B->MouseMove(5, 70);
  B->MouseUp(5, 70);
  // Never Min - 1, which a zero divisor would give.
  EXPECT_EQ(Owner.Scrolls, (TScrolls{{SB_THUMBTRACK, 0}, {SB_THUMBPOSITION, 0}}));
}

TEST_F(VsScrollBarTest, PressWithNothingToDragDoesNotCapture) {
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 9, 10, 0);  // the page shows everything
  B->MouseDown(5, 50);
  EXPECT_FALSE(B->Dragging());
  EXPECT_EQ(Owner.Captures, 0);
  EXPECT_TRUE(Owner.Scrolls.empty());
}

TEST_F(VsScrollBarTest, SecondaryButtonsActByKind) {
  TVsSBHandlerCustom* B = MakeBar(200);
  B->SetSecondaryButtons(true);
  SetState(B, 0, 99, 10, 50);
  const struct {
    TVsSecButtonsKind Kind;
    int Y;
    std::pair<int, int> Scroll;
  } Cases[] = {{sbkOpposite, 20, {SB_LINEDOWN, 51}}, {sbkOpposite, 180, {SB_LINEUP, 49}},
               {sbkPage, 20, {SB_PAGEUP, 40}},      {sbkPage, 180, {SB_PAGEDOWN, 60}},
               {sbkCustom, 20, {sbcCustomStart, 50}}, {sbkCustom, 180, {sbcCustomEnd, 50}}};
  for (const auto& C : Cases) {
    Owner.Scrolls.clear();
    B->SetSecondBtnKind(C.Kind);
    B->MouseDown(5, C.Y);
    B->MouseUp(5, C.Y);
    ASSERT_FALSE(Owner.Scrolls.empty());
    EXPECT_EQ(Owner.Scrolls.front(), C.Scroll) << C.Kind << " at " << C.Y;
  }
}

TEST_F(VsScrollBarTest, ServicesTakeRangesPositionsAndPagesByTheirRules) {
  struct TCase {
    const char* Name;
    UINT Size, Mask;
    int Min, Max, Page, Pos;
    int WantMin, WantMax, WantPage, WantPos;
  };
  const TCase Cases[] = {
      {"range without position that excludes it", 28, SIF_RANGE | SIF_PAGE, 0, 40, 5, 0, 0, 99, 10, 50},
      {"range without position that holds it", 28, SIF_RANGE | SIF_PAGE, 20, 60, 5, 0, 20, 60, 5, 50},
      {"range with position clamps", 28, SIF_RANGE | SIF_POS, 0, 40, 0, 70, 0, 40, 10, 40},
      {"inverted range", 28, SIF_RANGE | SIF_POS, 10, 5, 0, 7, 0, 99, 10, 50},
      {"short record", 27, SIF_ALL, 0, 5, 1, 1, 0, 99, 10, 50},
      {"position outside", 28, SIF_POS | SIF_PAGE, 0, 0, 5, 120, 0, 99, 10, 50},
      {"position and page", 28, SIF_POS | SIF_PAGE, 0, 0, 5, 30, 0, 99, 5, 30},
      {"page alone", 28, SIF_PAGE, 0, 0, 20, 0, 0, 99, 20, 50},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TVsSBHandlerCustom* B = MakeBar();
    SetState(B, 0, 99, 10, 50);
    SCROLLINFO Info{C.Size, C.Mask, C.Min, C.Max, static_cast<UINT>(C.Page), C.Pos, 0};
    EXPECT_EQ(B->SetScrollInfo(Info, false), C.WantPos);
    EXPECT_EQ(B->Min(), C.WantMin);
    EXPECT_EQ(B->Max(), C.WantMax);
    EXPECT_EQ(B->Page(), C.WantPage);
    EXPECT_EQ(B->Position(), C.WantPos);
  }
  TVsSBHandlerCustom* B = MakeBar();
  SetState(B, 0, 99, 10, 50);
  SCROLLINFO Short{27, SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_FALSE(B->GetScrollInfo(Short));
  // The notification takes what the system holds, unclamped.
  SCROLLINFO Range{28, SIF_RANGE, 0, 40, 0, 0, 0};
  B->NotifyScrollInfo(Range, false);
  EXPECT_EQ(B->Max(), 40);
  EXPECT_EQ(B->Position(), 50);
  EXPECT_TRUE(B->Enabled());
  SCROLLINFO Disabled{28, SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
  B->NotifyScrollInfo(Disabled, false);
  EXPECT_FALSE(B->Enabled());
}

TEST_F(VsScrollBarTest, SettersRefuseWhatTheyCannotTake) {
  TVsSBHandlerCustom* B = MakeBar();
  B->SetButtonSize(0);
  B->SetThumbSize(-1);
  B->SetMinThumbSize(0);
  B->SetAltDisablingArrows(false);
  EXPECT_EQ(B->ButtonSize(), 17);
  EXPECT_EQ(B->ThumbSize(), 0);
  EXPECT_EQ(B->MinThumbSize(), 12);
  EXPECT_TRUE(B->AltDisablingArrows());
  B->SetShowBorder(false);
  EXPECT_FALSE(B->DrawArrowFrames());
  B->SetUseSystemMetrics(true);
  B->SetThumbMode(etmFixed);
  EXPECT_EQ(B->ThumbSize(), GetSystemMetrics(SM_CYVTHUMB));
}

TEST_F(VsScrollBarTest, StoredDefaultsAreTheConstructorsValues) {
  TVsSBHandlerCustom* B = MakeBar();
  B->SetUseSystemMetrics(true);
  const TClassInfo* Info = ClassInfoOf<TVsCtrlScrollBarStyles>();
  ASSERT_NE(Info, nullptr);
  TOwned<TVsCtrlScrollBarStyles> Fresh(Create<TVsCtrlScrollBarStyles>(&Owner, true));
  int Checked = 0;
  for (const TPropInfo* P : Info->PropList()) {
    if (!P->Default() || P->Kind() == tkMethod || P->Kind() == tkClass) continue;
    EXPECT_EQ(GetOrdProp(Fresh.get(), P), *P->Default()) << P->Name().c_str();
    ++Checked;
  }
  EXPECT_GT(Checked, 0);
  EXPECT_TRUE(B->IsWidthStored() == false && B->IsColorStored() == false && B->IsButtonSizeStored() == false);
  B->SetUseSystemMetrics(false);
  EXPECT_TRUE(B->IsWidthStored() && B->IsColorStored() && B->IsButtonSizeStored());
}

TEST_F(VsScrollBarTest, AssignCopiesEveryPublishedProperty) {
  TVsSBHandlerCustom* Source = MakeBar();
  Source->SetActiveFlat(true);
  Source->SetFlat(false);
  Source->SetThinFrame(true);
  Source->SetColor(clRed);
  Source->SetWidth(23);
  Source->SetSecondBtnKind(sbkPage);
  Source->SetStep(3);
  TOwned<TVsCtrlScrollBarStyles> Copy(Create<TVsCtrlScrollBarStyles>(&Owner, true));
  Copy->Assign(Source);
  const TClassInfo* Info = ClassInfoOf<TVsCtrlScrollBarStyles>();
  for (const TPropInfo* P : Info->PropList()) {
    if (P->Kind() == tkMethod || P->Kind() == tkClass) continue;
    EXPECT_EQ(GetOrdProp(Copy.get(), P), GetOrdProp(Source, P)) << P->Name().c_str();
  }
  EXPECT_TRUE(Copy->ActiveFlat());
}

TEST_F(VsScrollBarTest, LayoutReadsPublishedAndObsoleteProperties) {
  TStringStream Layout(
      "object F: TForm\n"
      "  object C: TVsSBController\n"
      "    VertScrollBarStyles.ActiveFlat = True\n"
      "    VertScrollBarStyles.UseSystemMetrics = False\n"
      "    VertScrollBarStyles.Width = 23\n"
      "    VertScrollBarStyles.ThinFrames = True\n"
      "    VertScrollBarStyles.DrawFrames = False\n"
      "    VertScrollBarStyles.Enabled = False\n"
      "    HorzScrollBarStyles.SecondBtnKind = sbkCustom\n"
      "  end\n"
      "end\n");
  TOwned<TForm> Read(new TForm(nullptr));
  ReadComponentLayout(&Layout, Read.get());
  auto* C = dynamic_cast<TVsSBController*>(Read->FindComponent("C"));
  ASSERT_NE(C, nullptr);
  TVsSBHandlerCustom* V = C->VertScrollBarStyles();
  EXPECT_TRUE(V->ActiveFlat());
  EXPECT_EQ(V->Width(), 23);
  EXPECT_TRUE(V->ThinFrame());
  EXPECT_FALSE(V->ShowBorder());
  EXPECT_FALSE(V->DrawArrowFrames());
  EXPECT_EQ(C->HorzScrollBarStyles()->SecondBtnKind(), sbkCustom);
}

namespace {

// The bar painted into a bitmap of its size.
class TBarShot {
public:
  explicit TBarShot(TVsSBHandlerCustom* Bar) {
    W = Bar->Vertical() ? Bar->Thickness() : Bar->Length();
    H = Bar->Vertical() ? Bar->Length() : Bar->Thickness();
    HDC Screen = GetDC(nullptr);
    DC = CreateCompatibleDC(Screen);
    Bitmap = CreateCompatibleBitmap(Screen, W, H);
    ReleaseDC(nullptr, Screen);
    Old = SelectObject(DC, Bitmap);
    Bar->Paint(DC);
  }
  ~TBarShot() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
  COLORREF At(int X, int Y) const { return GetPixel(DC, X, Y); }
  int Count(const TRect& R, TColor Color) const {
    const COLORREF C = static_cast<COLORREF>(ColorToRGB(Color));
    int N = 0;
    for (int Y = R.top; Y < R.bottom; ++Y)
      for (int X = R.left; X < R.right; ++X) N += At(X, Y) == C;
    return N;
  }
  int W, H;
  HDC DC;
  HBITMAP Bitmap;
  HGDIOBJ Old;
};

COLORREF RGBOf(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

}  // namespace

TEST_F(VsScrollBarTest, ClassicPaintingShowsArrowsTrackAndThumb) {
  TVsSBHandlerCustom* B = MakeBar();
  // The shared track pattern is made in the first bar's colour, the
  // button face.
  B->SetSystemBkColor(false);
  B->SetBarColor(clGreen);
  B->SetArrowColor(clBlue);
  B->SetArrowHotTrackColor(clRed);
  SetState(B, 0, 99, 10, 50);  // thumb 47..58
  {
    TBarShot Shot(B);
    // A glyph of 7 + 5 + 3 + 1 pixels in each arrow.
    EXPECT_EQ(Shot.Count(TRect{0, 0, 17, 17}, clBlue), 16);
    EXPECT_EQ(Shot.Count(TRect{0, 83, 17, 100}, clBlue), 16);
    // The blended track: Color where x xor y is odd, the light colour else.
    const COLORREF Light = RGBOf(ScrollLightColor(clBtnFace));
    EXPECT_EQ(Shot.At(5, 30), RGBOf(clBtnFace));
    EXPECT_EQ(Shot.At(6, 30), Light);
    EXPECT_EQ(Shot.At(6, 70), Light);
    // The thumb face inside its frame; 12 pixels are too short for grip lines.
    EXPECT_EQ(Shot.Count(TRect{2, 49, 15, 57}, clBtnFace), 13 * 8);
  }
  SetState(B, 0, 99, 30, 50);  // thumb 50..69, grip lines at 57, 59, 61, 63
  {
    TBarShot Shot(B);
    EXPECT_EQ(Shot.Count(TRect{3, 57, 14, 58}, clGreen), 11);
    EXPECT_EQ(Shot.Count(TRect{3, 63, 14, 64}, clGreen), 11);
    EXPECT_EQ(Shot.Count(TRect{2, 58, 15, 59}, clGreen), 0);
  }
  SetState(B, 0, 99, 10, 50);
  // Hot arrow, then a pressed page area in the dark colour.
  B->MouseEnter();
  B->MouseMove(5, 5);
  {
    TBarShot Shot(B);
    EXPECT_EQ(Shot.Count(TRect{0, 0, 17, 17}, clRed), 16);
  }
  B->MouseMove(5, 70);
  B->MouseDown(5, 70);
  {
    TBarShot Shot(B);
    EXPECT_EQ(Shot.Count(TRect{0, 59, 17, 83}, ScrollDarkColor(clBtnFace)), 17 * 24);
  }
  B->MouseUp(5, 70);
  // Without blending the track is one colour, and a disabled bar has no thumb.
  B->SetBlendBackground(false);
  SCROLLINFO Off{28, SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
  B->NotifyScrollInfo(Off, false);
  TBarShot Shot(B);
  EXPECT_EQ(Shot.Count(TRect{0, 17, 17, 83}, clBtnFace), 17 * 66);
  EXPECT_EQ(Shot.Count(TRect{0, 0, 17, 17}, clBlue), 0);
}

class TScrollBarEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeVsFrameworkUtils();
    InitializeVsSBController();
  }
  void TearDown() override {
    FinalizeVsFrameworkUtils();
    FinalizeForms();
  }
};

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TScrollBarEnvironment);
