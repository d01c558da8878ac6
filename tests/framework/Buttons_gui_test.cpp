// Speed buttons on a real window: clicks, the flat hot state, groups and
// glyphs.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Buttons.h"
#include "Filer.h"
#include "Forms.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {

COLORREF RGBOf(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

const COLORREF Magenta = RGB(255, 0, 255);

// A glyph of Count square images of Size pixels: each a filled square of
// its colour on a magenta background (the bottom-left pixel, transparent).
void MakeGlyph(TBitmap* Glyph, int Size, const std::vector<TColor>& Colors) {
  Glyph->SetPixelFormat(pf24bit);
  Glyph->SetSize(Size * static_cast<int>(Colors.size()), Size);
  TCanvas* C = Glyph->Canvas();
  C->Brush()->SetColor(static_cast<TColor>(Magenta));
  C->FillRect(Rect(0, 0, Glyph->Width(), Size));
  for (size_t I = 0; I < Colors.size(); ++I) {
    C->Brush()->SetColor(Colors[I]);
    const int X = static_cast<int>(I) * Size;
    C->FillRect(Rect(X + 4, 4, X + Size - 4, Size - 4));
  }
}

void MoveMouse(TControl* Control, int X, int Y) {
  const TPoint P = Control->ClientToScreen(Point(X, Y));
  SetCursorPos(P.x, P.y);
  for (int I = 0; I < 10; ++I) {
    Sleep(10);
    Application->ProcessMessages();
  }
}

}  // namespace

// A button that notes what its overridable steps see, as the trainer's
// picture button does.
class TNotingButton : public TSpeedButton {
public:
  using TSpeedButton::TSpeedButton;
  std::vector<std::string> Log;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Log.push_back("down");
    TSpeedButton::MouseDown(Button, Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Log.push_back("up");
    TSpeedButton::MouseUp(Button, Shift, X, Y);
  }
  void CMMouseEnter(TMessage& Message) override {
    TSpeedButton::CMMouseEnter(Message);
    Log.push_back(MouseInControl() ? "enter inside" : "enter");
  }
  void CMMouseLeave(TMessage& Message) override {
    TSpeedButton::CMMouseLeave(Message);
    Log.push_back(MouseInControl() ? "leave inside" : "leave");
  }
};

class TClickCounter : public TObject {
public:
  std::vector<std::string> Log;
  void Clicked(TObject* Sender) { Log.push_back(dynamic_cast<TComponent*>(Sender)->Name()); }
};

namespace {

class TButtonsEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeButtons();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    SetCursorPos(2, 2);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const ButtonsEnvironment = ::testing::AddGlobalTestEnvironment(new TButtonsEnvironment);

class ButtonsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(60, 60, 300, 200);
  }
  void TearDown() override { FreeAndNil(Form); }
  template <class T> T* Make(const char* Name, int X, int Y) {
    T* B = Create<T>(Form);
    B->SetName(Name);
    B->SetCaption(AnsiString());
    B->SetBounds(X, Y, 40, 30);
    B->SetParent(Form);
    B->OnClick = TNotifyEvent(&Clicks, &TClickCounter::Clicked);
    return B;
  }
  // Posts a press and a release of the left button at two points of the
  // form's client area.
  void Press(int X1, int Y1, int X2, int Y2) {
    PostMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(X1, Y1));
    if (X2 != X1 || Y2 != Y1) PostMessageA(Form->Handle(), WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(X2, Y2));
    PostMessageA(Form->Handle(), WM_LBUTTONUP, 0, PointToLParam(X2, Y2));
    PumpFor(50);
  }
  TForm* Form = nullptr;
  TClickCounter Clicks;
};

TEST_F(ButtonsTest, ClickFiresOnReleaseOverTheButtonOnly) {
  auto* B = Make<TNotingButton>("B", 10, 10);
  Form->Show();
  PumpFor(50);
  PostMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(20, 20));
  PumpFor(30);
  EXPECT_EQ(B->State(), bsDown);
  PostMessageA(Form->Handle(), WM_LBUTTONUP, 0, PointToLParam(20, 20));
  PumpFor(30);
  EXPECT_EQ(B->State(), bsUp);
  EXPECT_EQ(Clicks.Log, std::vector<std::string>{"B"});
  EXPECT_EQ(B->Log, (std::vector<std::string>{"down", "up"}));

  // Dragged off before the release: no click, the face comes up.
  Press(20, 20, 150, 150);
  EXPECT_EQ(Clicks.Log.size(), 1u);
  EXPECT_EQ(B->State(), bsUp);
  // A disabled button takes no click; Click() from code works.
  B->SetEnabled(false);
  Press(20, 20, 20, 20);
  EXPECT_EQ(Clicks.Log.size(), 1u);
  B->Click();
  EXPECT_EQ(Clicks.Log.size(), 2u);
}

TEST_F(ButtonsTest, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
  auto* B = Make<TNotingButton>("B", 10, 10);
  B->SetFlat(true);
  B->SetTransparent(false);
  B->SetColor(clWhite);
  Form->Show();
  PumpFor(50);
  {
    TShot Shot(B, Magenta);
    EXPECT_EQ(Shot.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(Shot.At(39, 29), RGB(255, 255, 255));
  }
  MoveMouse(B, 20, 15);
  ASSERT_TRUE(PumpUntil([&] { return B->MouseInControl(); }));
  {
    TShot Shot(B, Magenta);
    EXPECT_EQ(Shot.At(0, 0), RGBOf(clBtnHighlight));
    EXPECT_EQ(Shot.At(39, 29), RGBOf(clBtnShadow));
  }
  MoveMouse(Form, 200, 150);
  ASSERT_TRUE(PumpUntil([&] { return !B->MouseInControl(); }));
  TShot Shot(B, Magenta);
  EXPECT_EQ(Shot.At(0, 0), RGB(255, 255, 255));
  // The overriding steps see the button's own handling done first.
  EXPECT_EQ(B->Log, (std::vector<std::string>{"enter inside", "leave"}));
}

TEST_F(ButtonsTest, GroupedButtonsStayDownOneAtATime) {
  auto* A = Make<TSpeedButton>("A", 10, 10);
  auto* B = Make<TSpeedButton>("B", 60, 10);
  auto* Loose = Make<TSpeedButton>("Loose", 110, 10);
  A->SetGroupIndex(1);
  B->SetGroupIndex(1);
  Form->Show();
  PumpFor(50);
  Press(20, 20, 20, 20);
  EXPECT_TRUE(A->Down());
  EXPECT_EQ(A->State(), bsExclusive);
  Press(70, 20, 70, 20);
  EXPECT_TRUE(B->Down());
  EXPECT_FALSE(A->Down());
  // Without AllowAllUp the down button stays down.
  Press(70, 20, 70, 20);
  EXPECT_TRUE(B->Down());
  A->SetAllowAllUp(true);  // shared by the group
  EXPECT_TRUE(B->AllowAllUp());
  Press(70, 20, 70, 20);
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(Clicks.Log, (std::vector<std::string>{"A", "B", "B", "B"}));
  // Down from code excludes the others too; a button outside groups never
  // stays down.
  A->SetDown(true);
  B->SetDown(true);
  EXPECT_FALSE(A->Down());
  Loose->SetDown(true);
  EXPECT_FALSE(Loose->Down());
}

TEST_F(ButtonsTest, GlyphsDrawTransparentlyPerStateAndEngravedWhenDisabled) {
  auto* B = Make<TSpeedButton>("B", 10, 10);
  B->SetBounds(10, 10, 40, 40);
  TBitmap Glyph;
  MakeGlyph(&Glyph, 24, {clRed, clLime});
  B->SetGlyph(&Glyph);
  EXPECT_EQ(B->NumGlyphs(), 2);  // twice as wide as high
  EXPECT_NE(B->Glyph(), &Glyph);  // a copy
  Form->Show();
  PumpFor(50);
  {
    // The up image, centred, its magenta background left out.
    TShot Shot(B, Magenta);
    EXPECT_EQ(Shot.At(20, 20), RGB(255, 0, 0));
    EXPECT_EQ(Shot.Count(Magenta), 0);
    EXPECT_EQ(Shot.Count(RGB(0, 255, 0)), 0);
  }
  B->SetEnabled(false);
  {
    TShot Shot(B, Magenta);
    EXPECT_EQ(Shot.At(20, 20), RGB(0, 255, 0));
  }
  // One image only: the disabled face is the image's shape engraved.
  MakeGlyph(&Glyph, 24, {clRed});
  B->SetGlyph(&Glyph);
  EXPECT_EQ(B->NumGlyphs(), 1);
  {
    TShot Shot(B, Magenta);
    EXPECT_EQ(Shot.Count(RGB(255, 0, 0)), 0);
    EXPECT_EQ(Shot.At(20, 20), RGBOf(clBtnShadow));
  }
  // With a caption the glyph moves left of it.
  B->SetEnabled(true);
  B->SetBounds(10, 10, 120, 40);
  B->SetCaption("Zapisz");
  TShot Shot(B, Magenta);
  EXPECT_NE(Shot.At(60, 20), RGB(255, 0, 0));
  int Leftmost = 1000;
  for (int X = 0; X < 120; ++X)
    if (Shot.At(X, 20) == RGB(255, 0, 0)) Leftmost = std::min(Leftmost, X);
  EXPECT_LT(Leftmost, 40);
}

TEST_F(ButtonsTest, LayoutSetsTheGlyphAndTheGroup) {
  TBitmap Glyph;
  MakeGlyph(&Glyph, 16, {clBlue});
  TMemoryStream Data;
  Glyph.WriteData(&Data);
  std::string Hex;
  const auto* P = static_cast<const unsigned char*>(Data.Memory());
  for (Int64 I = 0; I < Data.Size(); ++I) {
    char Buf[3];
    std::snprintf(Buf, sizeof Buf, "%02X", P[I]);
    Hex += Buf;
  }
  const std::string Layout = "object LayoutForm: TForm\n"
                             "  object SpeedButton1: TSpeedButton\n"
                             "    Left = 8\n"
                             "    Top = 8\n"
                             "    Width = 30\n"
                             "    Height = 30\n"
                             "    Hint = 'Otw'#243'rz'\n"
                             "    Flat = True\n"
                             "    GroupIndex = 3\n"
                             "    Down = True\n"
                             "    Glyph.Data = {" + Hex + "}\n"
                             "  end\n"
                             "end\n";
  TStringStream S(Layout);
  ReadComponentLayout(&S, Form);
  auto* B = dynamic_cast<TSpeedButton*>(Form->FindComponent("SpeedButton1"));
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->Parent(), Form);
  EXPECT_EQ(B->Glyph()->Width(), 16);
  EXPECT_EQ(B->Hint(), "Otw\xF3rz");
  EXPECT_TRUE(B->Flat());
  EXPECT_TRUE(B->Down());
  EXPECT_EQ(B->GroupIndex(), 3);
  TShot Shot(B, Magenta);
  EXPECT_EQ(Shot.At(15, 15), RGB(0, 0, 255));
}

}  // namespace
