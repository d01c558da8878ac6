// The back panel on a real form on the display: its background composed
// from the form's picture and its background images, the plain panel, the
// parent repainted where a panel moved away, the media range, and the form
// background routine with its brightness.
#include "BackPanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ELFramedImage.h"
#include "ExtCtrls.h"
#include "Filer.h"
#include "Framework.h"
#include "GuiTestSupport.h"
#include "Streams.h"

namespace {

class TKitEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeFramework();
    InitializeBackPanel();
    RegisterBackPanel();
    RegisterELFramedImage();
  }
  void TearDown() override {
    FinalizeBackPanel();
    FinalizeFramework();
  }
};

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TKitEnvironment);

// A 24-bit picture: red left of Split, blue from there.
TOwned<TBitmap> TwoColours(int W, int H, int Split, COLORREF Left = RGB(255, 0, 0), COLORREF Right = RGB(0, 0, 255)) {
  TOwned<TBitmap> B(new TBitmap());
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  B->Canvas()->Brush()->SetColor(static_cast<TColor>(Left));
  B->Canvas()->FillRect(Rect(0, 0, Split, H));
  B->Canvas()->Brush()->SetColor(static_cast<TColor>(Right));
  B->Canvas()->FillRect(Rect(Split, 0, W, H));
  return B;
}

// A panel whose background objects are its framed-image children.
class TTestPanel : public TBackPanel {
public:
  using TBackPanel::TBackPanel;
  int Painted = 0;

protected:
  void GetBackgroundObjects(std::vector<TControl*>& List) override {
    List.clear();
    for (int I = 0; I < ControlCount(); ++I) List.push_back(Controls(I));
  }
  bool BackgroundObjectsPainted(bool After) override {
    if (After) ++Painted;
    return false;
  }
};

// What the window shows now, read back from the screen.
COLORREF ScreenAt(HWND Window, int X, int Y) {
  HDC DC = GetDC(Window);
  const COLORREF C = GetPixel(DC, X, Y);
  ReleaseDC(Window, DC);
  return C;
}

class BackPanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = new TForm(Application);
    Form->SetBounds(40, 40, 260, 160);
    Form->SetColor(clWhite);
    Back = new TELearnFramedImage(Form);
    Back->SetName("ELFBack");
    Back->SetParent(Form);
    Back->SetBounds(0, 0, 200, 100);
    Back->Picture()->SetGraphic(TwoColours(200, 100, 100).get());
  }
  void TearDown() override { Form->Free(); }

  // A background image of one colour on Panel at (10, 10), 20 x 20.
  TELearnFramedImage* AddBackgroundImage(TTestPanel* Panel, COLORREF Colour) {
    auto* Image = new TELearnFramedImage(Form);
    Image->SetParent(Panel);
    Image->SetBounds(10, 10, 20, 20);
    Image->Picture()->SetGraphic(TwoColours(20, 20, 20, Colour).get());
    Image->SetIsBackground(true);
    return Image;
  }
  TTestPanel* MakePanel(const TRect& R) {
    auto* P = new TTestPanel(Form);
    P->SetParent(Form);
    P->SetBoundsRect(R);
    return P;
  }
  void ShowAndSettle() {
    Form->Show();
    PumpFor(150);
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(50);
  }

  TForm* Form = nullptr;
  TELearnFramedImage* Back = nullptr;
};

TEST_F(BackPanelTest, ComposesTheFormPictureAndItsBackgroundImages) {
  TTestPanel* Panel = MakePanel(Bounds(50, 20, 100, 60));
  AddBackgroundImage(Panel, RGB(0, 255, 0));
  ShowAndSettle();
  EXPECT_TRUE(Panel->Transparent());
  EXPECT_TRUE(Panel->HasBackgroundObjects());
  const HWND W = Panel->Handle();
  // The form's picture, at the panel's place in the form.
  EXPECT_EQ(ScreenAt(W, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(ScreenAt(W, 45, 5), RGB(255, 0, 0));
  EXPECT_EQ(ScreenAt(W, 55, 5), RGB(0, 0, 255));
  // The background image, drawn by the panel.
  EXPECT_EQ(ScreenAt(W, 15, 15), RGB(0, 255, 0));
  EXPECT_EQ(ScreenAt(W, 29, 29), RGB(0, 255, 0));
  EXPECT_EQ(ScreenAt(W, 31, 31), RGB(255, 0, 0));
  EXPECT_GT(Panel->Painted, 0);
}

TEST_F(BackPanelTest, APanelWithoutBackgroundFillsWithItsColour) {
  TTestPanel* Plain = MakePanel(Bounds(10, 10, 40, 30));
  Plain->SetTransparent(false);
  Plain->SetColor(clYellow);
  // Transparent, but its form has no usable picture: ELFBack hidden.
  TTestPanel* Orphan = MakePanel(Bounds(100, 10, 40, 30));
  Orphan->SetColor(clLime);
  Back->SetVisible(false);
  ShowAndSettle();
  EXPECT_EQ(ScreenAt(Plain->Handle(), 20, 15), RGB(255, 255, 0));
  EXPECT_FALSE(Plain->HasBackgroundObjects());
  EXPECT_EQ(ScreenAt(Orphan->Handle(), 20, 15), RGB(0, 255, 0));
  EXPECT_FALSE(Orphan->Transparent());
}

TEST_F(BackPanelTest, TheParentIsRepaintedWhereAPanelMovedAway) {
  TTestPanel* Panel = MakePanel(Bounds(20, 20, 60, 40));
  Panel->SetTransparent(false);
  Panel->SetColor(clYellow);
  ShowAndSettle();
  const HWND F = Form->Handle();
  ASSERT_EQ(ScreenAt(F, 30, 30), RGB(255, 255, 0));
  Panel->SetBounds(120, 20, 60, 40);
  PumpFor(50);
  // Where the panel stood the form's picture shows again; the panel shows
  // in its new place.
  EXPECT_EQ(ScreenAt(F, 30, 30), RGB(255, 0, 0));
  EXPECT_EQ(ScreenAt(F, 79, 59), RGB(255, 0, 0));
  EXPECT_EQ(ScreenAt(F, 130, 30), RGB(255, 255, 0));
}

TEST_F(BackPanelTest, ResetMediaRangeDrawsTheBackgroundObjectsAgain) {
  TTestPanel* Panel = MakePanel(Bounds(50, 20, 100, 60));
  TELearnFramedImage* Image = AddBackgroundImage(Panel, RGB(0, 255, 0));
  ShowAndSettle();
  const HWND W = Panel->Handle();
  ASSERT_EQ(ScreenAt(W, 15, 15), RGB(0, 255, 0));
  const int Before = Panel->Painted;
  Image->Picture()->SetGraphic(TwoColours(20, 20, 20, RGB(255, 0, 255)).get());
  Panel->Repaint();
  PumpFor(50);
  // The composed background is kept until the range is reset.
  EXPECT_EQ(ScreenAt(W, 15, 15), RGB(0, 255, 0));
  Panel->ResetMediaRange();
  Panel->Repaint();
  PumpFor(50);
  EXPECT_EQ(ScreenAt(W, 15, 15), RGB(255, 0, 255));
  EXPECT_EQ(Panel->Painted, Before + 1);
}

TEST_F(BackPanelTest, HidingDeletesTheBackgroundBitmap) {
  TTestPanel* Panel = MakePanel(Bounds(50, 20, 100, 60));
  ShowAndSettle();
  const HBITMAP Shown = Panel->Background()->Handle();
  ASSERT_NE(Shown, nullptr);
  Panel->SetVisible(false);
  EXPECT_TRUE(Panel->Background()->Empty());
  EXPECT_EQ(GetObjectType(Shown), 0u) << "the hidden panel's bitmap is still there";
  Panel->SetVisible(true);
  PumpFor(50);
  EXPECT_EQ(ScreenAt(Panel->Handle(), 5, 5), RGB(255, 0, 0));
}

// The form background routine into a bitmap: the channels as the formula
// gives them, kept within a byte, and nothing for a form whose ELFBack is
// not a framed image.
TEST_F(BackPanelTest, FormBackgroundDimsAndLiftsEachChannel) {
  Back->Picture()->SetGraphic(TwoColours(200, 100, 100, RGB(200, 100, 10), RGB(0, 0, 255)).get());
  TTestPanel* Panel = MakePanel(Bounds(50, 20, 40, 30));
  const auto Channel = [](int C, int Brightness) { return std::clamp(C * 128 / 255 + Brightness, 0, 255); };
  for (int Brightness : {0, 40, -120, 300}) {
    SCOPED_TRACE(Brightness);
    TOwned<TBitmap> Out(new TBitmap());
    Out->SetPixelFormat(pf24bit);
    Out->SetSize(40, 30);
    ASSERT_TRUE(DrawFormBackground(Panel, Rect(0, 0, 40, 30), Brightness, Out->Canvas()));
    const COLORREF Expected = Brightness == 0 ? RGB(200, 100, 10)
                                              : RGB(Channel(200, Brightness), Channel(100, Brightness),
                                                    Channel(10, Brightness));
    EXPECT_EQ(static_cast<COLORREF>(Out->Canvas()->Pixels(10, 10)), Expected);
  }
  Back->SetName("");
  auto* NotAnImage = new TPanel(Form);
  NotAnImage->SetName("ELFBack");
  TOwned<TBitmap> Out(new TBitmap());
  Out->SetPixelFormat(pf24bit);
  Out->SetSize(10, 10);
  Out->Canvas()->Brush()->SetColor(clAqua);
  EXPECT_FALSE(DrawFormBackground(Panel, Rect(0, 0, 10, 10), 0, Out->Canvas()));
  EXPECT_EQ(Out->Canvas()->Pixels(5, 5), clAqua);
}

TEST_F(BackPanelTest, LayoutsHoldPanelsAndFramedImages) {
  TStringStream Layout(
      "object Page: TForm\n"
      "  object Panel: TBackPanel\n"
      "    Alpha = 150\n"
      "    Transparent = False\n"
      "    object Picture1: TELearnFramedImage\n"
      "      CheckedColor = clRed\n"
      "      ImageAnswer = iaIncorrect\n"
      "      ImageAnswerPos = alClient\n"
      "      IsBackground = True\n"
      "    end\n"
      "  end\n"
      "end\n");
  ReadComponentLayout(&Layout, Form);
  auto* Panel = dynamic_cast<TBackPanel*>(Form->FindComponent("Panel"));
  ASSERT_NE(Panel, nullptr);
  EXPECT_EQ(Panel->Alpha(), 150);
  EXPECT_FALSE(Panel->Transparent());
  auto* Picture = dynamic_cast<TELearnFramedImage*>(Form->FindComponent("Picture1"));
  ASSERT_NE(Picture, nullptr);
  EXPECT_EQ(Picture->Parent(), Panel);
  EXPECT_EQ(Picture->CheckedColor(), clRed);
  EXPECT_EQ(Picture->ImageAnswer(), iaIncorrect);
  EXPECT_EQ(Picture->ImageAnswerPos(), alClient);
  EXPECT_TRUE(Picture->IsBackground());
  EXPECT_EQ(Picture->FrameWidth(), 1);
}

}  // namespace
