// Panels, images, shapes, bevels and timers on real windows.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "Filer.h"
#include "Forms.h"
#include "Jpeg.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {

COLORREF RGBOf(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

// Colours within JPEG noise of each other.
bool Near(COLORREF A, COLORREF B) {
  auto D = [](int X, int Y) { return X > Y ? X - Y : Y - X; };
  return D(GetRValue(A), GetRValue(B)) < 40 && D(GetGValue(A), GetGValue(B)) < 40 && D(GetBValue(A), GetBValue(B)) < 40;
}

const COLORREF Magenta = RGB(255, 0, 255);

AnsiString Fixture(const char* Name) { return AnsiString(FIXTURES_DIR) + "/graphics/" + Name; }

// The hexadecimal text of a layout's binary value.
std::string Hex(TMemoryStream& S) {
  std::string Out;
  const auto* P = static_cast<const unsigned char*>(S.Memory());
  char Buf[3];
  for (Int64 I = 0; I < S.Size(); ++I) {
    std::snprintf(Buf, sizeof Buf, "%02X", P[I]);
    Out += Buf;
  }
  return Out;
}

// Presses and releases the left button at a point of a control, through
// the system's input (so that the window under the point gets it).
void RealClick(TControl* Control, int X, int Y) {
  const TPoint P = Control->ClientToScreen(Point(X, Y));
  SetCursorPos(P.x, P.y);
  PumpFor(30);
  INPUT In[2] = {};
  In[0].type = INPUT_MOUSE;
  In[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  In[1].type = INPUT_MOUSE;
  In[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, In, sizeof(INPUT));
  PumpFor(100);
}

}  // namespace

class TExtRecorder : public TObject {
public:
  std::vector<std::string> Log;
  void Clicked(TObject* Sender) { Log.push_back(dynamic_cast<TComponent*>(Sender)->Name() + " click"); }
};

// Tells when a component goes.
class TGoneWatch : public TComponent {
public:
  using TComponent::TComponent;
  bool Gone = false;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != this) Gone = true;
  }
};

// Counts the ticks of a timer and does what a test asks on each.
class TTicker : public TObject {
public:
  int Ticks = 0;
  std::function<void(TTimer*)> OnEach;
  void Tick(TObject* Sender) {
    ++Ticks;
    if (OnEach) OnEach(static_cast<TTimer*>(Sender));
  }
  std::vector<std::string> Errors;
  void Failed(TObject*, Exception* E) { Errors.push_back(E->Message()); }
};

namespace {

class TExtEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeExtCtrls();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    SetCursorPos(2, 2);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const ExtEnvironment = ::testing::AddGlobalTestEnvironment(new TExtEnvironment);

class ExtCtrlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = nullptr;
    Application->CreateForm(Form);
    Form->SetBounds(60, 60, 440, 340);
  }
  void TearDown() override { FreeAndNil(Form); }
  template <class T> T* Make(TWinControl* Parent, int X, int Y, int W, int H) {
    T* C = Create<T>(Form);
    C->SetBounds(X, Y, W, H);
    C->SetParent(Parent);
    return C;
  }
  void ShowForm() {
    Form->Show();
    PumpFor(50);
  }
  TForm* Form = nullptr;
};

// ---- panels ------------------------------------------------------------------

TEST_F(ExtCtrlsTest, PanelDrawsBevelsAndCaptionAndKeepsAlignedChildrenInside) {
  auto* Panel = Make<TPanel>(Form, 10, 10, 120, 60);
  Panel->SetBevelOuter(bvRaised);
  Panel->SetBevelInner(bvLowered);
  Panel->SetBevelWidth(2);
  Panel->SetColor(clWhite);
  Panel->Font()->SetColor(clBlack);
  Panel->SetCaption("Napis");
  ShowForm();
  {
    TShot Shot(Panel, Magenta);
    // Outer raised: light top-left, dark bottom-right; inner lowered inside
    // it, the other way round.
    EXPECT_EQ(Shot.At(0, 30), RGBOf(clBtnHighlight));
    EXPECT_EQ(Shot.At(1, 30), RGBOf(clBtnHighlight));
    EXPECT_EQ(Shot.At(119, 30), RGBOf(clBtnShadow));
    EXPECT_EQ(Shot.At(2, 30), RGBOf(clBtnShadow));
    EXPECT_EQ(Shot.At(117, 30), RGBOf(clBtnHighlight));
    EXPECT_EQ(Shot.At(6, 30), RGB(255, 255, 255));
    // The caption sits in the middle.
    EXPECT_GT(Shot.Count(Rect(40, 20, 80, 40), RGB(0, 0, 0)), 0);
    EXPECT_EQ(Shot.Count(Rect(4, 4, 116, 15), RGB(0, 0, 0)), 0);
  }
  // Aligned children fill what the bevels leave.
  auto* Inner = Make<TPanel>(Panel, 0, 0, 10, 10);
  Inner->SetAlign(alClient);
  EXPECT_EQ(Inner->BoundsRect().left, 4);
  EXPECT_EQ(Inner->BoundsRect().top, 4);
  EXPECT_EQ(Inner->Width(), 112);
  EXPECT_EQ(Inner->Height(), 52);
  Panel->SetBevelInner(bvNone);
  EXPECT_EQ(Inner->Left(), 2);
  EXPECT_EQ(Inner->Width(), 116);
  Panel->SetBorderStyle(bsSingle);
  EXPECT_TRUE(GetWindowLongA(Panel->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

  // A top panel takes the form's width.
  auto* Top = Make<TPanel>(Form, 0, 0, 10, 30);
  Top->SetAlign(alTop);
  EXPECT_EQ(Top->Width(), Form->ClientWidth());
  EXPECT_EQ(Top->Top(), 0);
}

TEST_F(ExtCtrlsTest, DisabledPanelBlocksItsChildrenAndBringToFrontRaisesIt) {
  TExtRecorder Rec;
  auto* Panel = Make<TPanel>(Form, 10, 10, 200, 80);
  auto* Button = Make<TButton>(Panel, 20, 20, 80, 25);
  Button->SetName("Button");
  Button->OnClick = TNotifyEvent(&Rec, &TExtRecorder::Clicked);
  auto* Edit = Make<TEdit>(Panel, 110, 20, 80, 21);
  ShowForm();
  Panel->SetEnabled(false);
  EXPECT_TRUE(GetWindowLongA(Panel->Handle(), GWL_STYLE) & WS_DISABLED);
  EXPECT_FALSE(Edit->CanFocus());
  RealClick(Button, 10, 10);
  EXPECT_TRUE(Rec.Log.empty());
  Panel->SetEnabled(true);
  RealClick(Button, 10, 10);
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"Button click"});

  // Of two overlapping panels the one brought to the front is on top.
  auto* Other = Make<TPanel>(Form, 50, 30, 200, 80);
  for (TPanel* P : {Panel, Other, Panel}) {
    P->BringToFront();
    EXPECT_EQ(GetWindow(Form->Handle(), GW_CHILD), P->Handle());
    EXPECT_EQ(Form->Controls(Form->ControlCount() - 1), P);
  }
}

// ---- images ------------------------------------------------------------------

TEST_F(ExtCtrlsTest, ImageShowsBitmapsAndJpegs) {
  auto* Image = Make<TImage>(Form, 10, 10, 64, 64);
  Image->SetStretch(true);
  // The picture: red top-left, green top-right, blue bottom-left, white
  // bottom-right quadrant.
  struct TQuadrant {
    int X, Y;
    COLORREF Color;
  };
  const TQuadrant Quadrants[] = {{12, 12, RGB(255, 0, 0)},
                                 {52, 12, RGB(0, 255, 0)},
                                 {12, 52, RGB(0, 0, 255)},
                                 {52, 52, RGB(255, 255, 255)}};
  for (const char* File : {"quad24.bmp", "quad.jpg"}) {
    Image->Picture()->LoadFromFile(Fixture(File));
    TShot Shot(Image, Magenta);
    for (const TQuadrant& Q : Quadrants)
      EXPECT_TRUE(Near(Shot.At(Q.X, Q.Y), Q.Color)) << File << " at " << Q.X << "," << Q.Y;
  }
  EXPECT_NE(dynamic_cast<TJPEGImage*>(Image->Picture()->Graphic()), nullptr);
  // Only a bitmap can be drawn on.
  EXPECT_THROW(Image->Canvas(), EInvalidOperation);

  // An icon at its own size (blue left, red right).
  Image->SetStretch(false);
  Image->Picture()->LoadFromFile(Fixture("icon.ico"));
  {
    TShot Shot(Image, Magenta);
    EXPECT_EQ(Shot.At(4, 16), RGB(0, 0, 255));
    EXPECT_EQ(Shot.At(28, 16), RGB(255, 0, 0));
    EXPECT_EQ(Shot.At(50, 50), Magenta);
  }

  // Unstretched and centred: the picture's own size in the middle.
  Image->Picture()->LoadFromFile(Fixture("quad24.bmp"));
  Image->SetStretch(false);
  Image->SetCenter(true);
  {
    TShot Shot(Image, Magenta);
    EXPECT_EQ(Shot.At(5, 5), Magenta);
    EXPECT_EQ(Shot.At(20, 20), RGB(255, 0, 0));
    EXPECT_EQ(Shot.At(44, 44), RGB(255, 255, 255));
  }
  // Transparent: the bottom-left colour (blue) shows what lies under it.
  Image->SetTransparent(true);
  {
    TShot Shot(Image, Magenta);
    EXPECT_EQ(Shot.At(20, 40), Magenta);
    EXPECT_EQ(Shot.At(20, 20), RGB(255, 0, 0));
  }
}

TEST_F(ExtCtrlsTest, ImageDestinationFollowsStretchProportionalAndCenter) {
  struct TCase {
    int CW, CH;
    bool Stretch, Proportional, Center;
    TRect Expected;
  };
  // The picture is 32 x 32.
  const TCase Cases[] = {
      {64, 64, false, false, false, {0, 0, 32, 32}},  {64, 64, true, false, false, {0, 0, 64, 64}},
      {80, 40, true, true, false, {0, 0, 40, 40}},   {80, 40, true, true, true, {20, 0, 60, 40}},
      {16, 24, false, true, false, {0, 0, 16, 16}},  {64, 64, false, true, true, {16, 16, 48, 48}},
      {16, 16, false, false, true, {-8, -8, 24, 24}},
  };
  auto* Image = Make<TImage>(Form, 0, 0, 10, 10);
  Image->Picture()->LoadFromFile(Fixture("quad24.bmp"));
  for (const TCase& C : Cases) {
    Image->SetBounds(0, 0, C.CW, C.CH);
    Image->SetStretch(C.Stretch);
    Image->SetProportional(C.Proportional);
    Image->SetCenter(C.Center);
    const TRect R = Image->DestRect();
    EXPECT_TRUE(EqualRect(&R, &C.Expected)) << C.CW << "x" << C.CH << " " << C.Stretch << C.Proportional << C.Center
                                            << ": " << R.left << "," << R.top << "," << R.right << "," << R.bottom;
  }
}

TEST_F(ExtCtrlsTest, ImageFromLayoutAndDrawingOnItsCanvas) {
  // The layout's picture data, as a picture writes it.
  TPicture Source;
  Source.LoadFromFile(Fixture("quad24.bmp"));
  TMemoryStream Data;
  Source.WriteData(&Data);
  const std::string Layout = "object LayoutForm: TForm\n"
                             "  object Img: TImage\n"
                             "    Left = 4\n"
                             "    Top = 4\n"
                             "    AutoSize = True\n"
                             "    Picture.Data = {" + Hex(Data) + "}\n"
                             "  end\n"
                             "end\n";
  TStringStream S(Layout);
  ReadComponentLayout(&S, Form);
  auto* Img = dynamic_cast<TImage*>(Form->FindComponent("Img"));
  ASSERT_NE(Img, nullptr);
  EXPECT_EQ(Img->Parent(), Form);
  ASSERT_NE(dynamic_cast<TBitmap*>(Img->Picture()->Graphic()), nullptr);
  EXPECT_EQ(Img->Width(), 32);
  EXPECT_EQ(Img->Height(), 32);
  {
    TShot Shot(Img, Magenta);
    EXPECT_EQ(Shot.At(3, 3), RGB(255, 0, 0));
  }

  // An empty image's canvas is a bitmap of the image's size.
  auto* Blank = Make<TImage>(Form, 50, 4, 20, 10);
  TCanvas* C = Blank->Canvas();
  C->Brush()->SetColor(clLime);
  C->FillRect(Rect(0, 0, 20, 10));
  EXPECT_EQ(Blank->Picture()->Width(), 20);
  TShot Shot(Blank, Magenta);
  EXPECT_EQ(Shot.At(10, 5), RGB(0, 255, 0));
}

// ---- shapes and bevels -------------------------------------------------------

TEST_F(ExtCtrlsTest, ShapesAndBevelsDrawTheirFigures) {
  auto* Shape = Make<TShape>(Form, 0, 0, 40, 20);
  Shape->Brush()->SetColor(clRed);
  Shape->Pen()->SetColor(clBlack);
  {
    TShot Shot(Shape, Magenta);
    EXPECT_EQ(Shot.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(Shot.At(39, 19), RGB(0, 0, 0));
    EXPECT_EQ(Shot.At(20, 10), RGB(255, 0, 0));
  }
  // A circle: the largest square's, centred.
  Shape->SetShape(stCircle);
  {
    TShot Shot(Shape, Magenta);
    EXPECT_EQ(Shot.At(20, 10), RGB(255, 0, 0));
    EXPECT_EQ(Shot.At(4, 10), Magenta);
    EXPECT_EQ(Shot.At(11, 1), Magenta);
  }
  struct TCase {
    TBevelShape Shape;
    TBevelStyle Style;
    int X1, Y1;
    TColor C1;
    int X2, Y2;
    TColor C2;
  };
  const TCase Cases[] = {
      {bsTopLine, bsLowered, 10, 0, clBtnShadow, 10, 1, clBtnHighlight},
      {bsBottomLine, bsRaised, 10, 28, clBtnHighlight, 10, 29, clBtnShadow},
      {bsLeftLine, bsLowered, 0, 10, clBtnShadow, 1, 10, clBtnHighlight},
      {bsRightLine, bsLowered, 38, 10, clBtnShadow, 39, 10, clBtnHighlight},
      {bsBox, bsRaised, 0, 10, clBtnHighlight, 39, 10, clBtnShadow},
      {bsFrame, bsLowered, 0, 10, clBtnShadow, 1, 10, clBtnHighlight},
  };
  auto* Bevel = Make<TBevel>(Form, 0, 0, 40, 30);
  for (const TCase& C : Cases) {
    Bevel->SetShape(C.Shape);
    Bevel->SetStyle(C.Style);
    TShot Shot(Bevel, Magenta);
    EXPECT_EQ(Shot.At(C.X1, C.Y1), RGBOf(C.C1)) << C.Shape;
    EXPECT_EQ(Shot.At(C.X2, C.Y2), RGBOf(C.C2)) << C.Shape;
    EXPECT_EQ(Shot.At(20, 15), Magenta) << C.Shape;
  }
  Bevel->SetShape(bsSpacer);
  TShot Shot(Bevel, Magenta);
  EXPECT_EQ(Shot.Count(Rect(0, 0, 40, 30), Magenta), 40 * 30);
}

// ---- timers ------------------------------------------------------------------

TEST_F(ExtCtrlsTest, TimerFiresUntilDisabled) {
  TTicker Ticker;
  auto* Timer = Create<TTimer>(Form);
  EXPECT_TRUE(Timer->Enabled());
  EXPECT_EQ(Timer->Interval(), 1000u);
  Timer->SetInterval(20);
  Timer->OnTimer = TNotifyEvent(&Ticker, &TTicker::Tick);
  ASSERT_TRUE(PumpUntil([&] { return Ticker.Ticks >= 3; }));
  Timer->SetEnabled(false);
  const int Seen = Ticker.Ticks;
  PumpFor(120);
  EXPECT_EQ(Ticker.Ticks, Seen);

  // Switched off in its own handler: exactly one tick.
  Ticker.Ticks = 0;
  Ticker.OnEach = [](TTimer* T) { T->SetEnabled(false); };
  Timer->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return Ticker.Ticks >= 1; }));
  PumpFor(120);
  EXPECT_EQ(Ticker.Ticks, 1);

  // Interval 0 stops it as well.
  Ticker.Ticks = 0;
  Ticker.OnEach = nullptr;
  Timer->SetInterval(0);
  Timer->SetEnabled(true);
  PumpFor(100);
  EXPECT_EQ(Ticker.Ticks, 0);
}

TEST_F(ExtCtrlsTest, TimerMayReleaseItsFormAndReportsItsErrors) {
  TTicker Ticker;
  // A failing handler: the error reaches the application, the timer goes on.
  Application->OnException = TExceptionEvent(&Ticker, &TTicker::Failed);
  auto* Timer = Create<TTimer>(Form);
  Timer->SetInterval(15);
  Ticker.OnEach = [](TTimer*) { throw EConvertError("zly klucz"); };
  Timer->OnTimer = TNotifyEvent(&Ticker, &TTicker::Tick);
  ASSERT_TRUE(PumpUntil([&] { return Ticker.Ticks >= 2; }));
  Timer->SetEnabled(false);
  ASSERT_GE(Ticker.Errors.size(), 2u);
  EXPECT_EQ(Ticker.Errors[0], "zly klucz");

  // A handler that releases the timer's owner: the form goes, and nothing
  // reaches the freed timer.
  TForm* Doomed = nullptr;
  Application->CreateForm(Doomed);
  TOwned<TGoneWatch> Watch(new TGoneWatch(nullptr));
  Doomed->FreeNotification(Watch.get());
  auto* Owned = Create<TTimer>(Doomed);
  Owned->SetInterval(10);
  Ticker.Ticks = 0;
  Ticker.OnEach = [Doomed](TTimer*) { Doomed->Release(); };
  Owned->OnTimer = TNotifyEvent(&Ticker, &TTicker::Tick);
  ASSERT_TRUE(PumpUntil([&] { return Watch->Gone; }));
  PumpFor(100);
  EXPECT_GE(Ticker.Ticks, 1);
  EXPECT_LE(Ticker.Ticks, 2);
}

TEST_F(ExtCtrlsTest, LayoutSetsPanelAndTimerProperties) {
  const std::string Layout = R"(object LayoutForm: TForm
  ClientWidth = 300
  ClientHeight = 200
  object PTop: TPanel
    Left = 0
    Top = 0
    Width = 300
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    Caption = 'G'#243'ra'
    Alignment = taLeftJustify
    TabOrder = 0
    object Sh: TShape
      Left = 2
      Top = 2
      Shape = stRoundRect
      Brush.Color = clYellow
      Pen.Width = 2
    end
  end
  object Bv: TBevel
    Left = 8
    Top = 60
    Shape = bsTopLine
    Style = bsRaised
  end
  object TimerRestart: TTimer
    Enabled = False
    Interval = 500
  end
end
)";
  TStringStream S(Layout);
  ReadComponentLayout(&S, Form);
  auto* PTop = dynamic_cast<TPanel*>(Form->FindComponent("PTop"));
  auto* Sh = dynamic_cast<TShape*>(Form->FindComponent("Sh"));
  auto* Bv = dynamic_cast<TBevel*>(Form->FindComponent("Bv"));
  auto* Timer = dynamic_cast<TTimer*>(Form->FindComponent("TimerRestart"));
  ASSERT_TRUE(PTop && Sh && Bv && Timer);
  EXPECT_EQ(PTop->Caption(), "G\xF3ra");
  EXPECT_EQ(PTop->BevelOuter(), bvNone);
  EXPECT_EQ(PTop->Alignment(), taLeftJustify);
  EXPECT_EQ(PTop->Width(), 300);
  EXPECT_EQ(Sh->Parent(), PTop);
  EXPECT_EQ(Sh->Shape(), stRoundRect);
  EXPECT_EQ(Sh->Brush()->Color(), clYellow);
  EXPECT_EQ(Sh->Pen()->Width(), 2);
  EXPECT_EQ(Bv->Shape(), bsTopLine);
  EXPECT_EQ(Bv->Style(), bsRaised);
  EXPECT_FALSE(Timer->Enabled());
  EXPECT_EQ(Timer->Interval(), 500u);
}

}  // namespace
