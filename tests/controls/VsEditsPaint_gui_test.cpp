// The themed edit's background and window styles on real windows: the
// style bits of each property, the erase and paint steps (colour, disabled
// colour, tiled picture, the parent through a transparent edit, the
// theme's edit fill in each state, an image form's picture), which setters
// repaint, and the image form's notification after a move.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <windows.h>
#include <vsstyle.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "Filer.h"
#include "Forms.h"
#include "Streams.h"
#include "VsEdits.h"
#include "VsImageForm.h"
#include "VsTools.h"
#include "VsUxTheme.h"

namespace {

constexpr COLORREF FormColor = RGB(0, 128, 64);
constexpr COLORREF EditColor = RGB(250, 240, 200);

COLORREF PixelAt(HWND Wnd, int X, int Y) {
  HDC DC = GetDC(Wnd);
  const COLORREF C = GetPixel(DC, X, Y);
  ReleaseDC(Wnd, DC);
  return C;
}

// Paints the window now, erasing first, as the system would after it was uncovered.
void Refresh(TWinControl* Control) {
  RedrawWindow(Control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool HasUpdate(TWinControl* Control) { return GetUpdateRect(Control->Handle(), nullptr, FALSE) != 0; }

// The pixels of the client area that differ from Expected(X, Y), and the first of them.
struct TMismatch {
  int Count = 0;
  int X = -1, Y = -1;
  COLORREF Got = 0, Wanted = 0;
};

TMismatch CompareClient(HWND Wnd, const std::function<COLORREF(int, int)>& Expected) {
  RECT R{};
  GetClientRect(Wnd, &R);
  HDC DC = GetDC(Wnd);
  TMismatch M;
  for (int Y = 0; Y < R.bottom; ++Y)
    for (int X = 0; X < R.right; ++X) {
      const COLORREF Got = GetPixel(DC, X, Y), Wanted = Expected(X, Y);
      if (Got == Wanted) continue;
      if (M.Count++ == 0) M = TMismatch{1, X, Y, Got, Wanted};
    }
  ReleaseDC(Wnd, DC);
  return M;
}

std::string Describe(const TMismatch& M) {
  char S[128];
  wsprintfA(S, "%d pixels differ, first at %d,%d: %06X instead of %06X", M.Count, M.X, M.Y, M.Got, M.Wanted);
  return S;
}

// Counts its paints and erases.
class TCountingMemo : public TVsMemo {
public:
  using TVsMemo::TVsMemo;
  int Paints = 0;
  int Erases = 0;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_ERASEBKGND) ++Erases;
    TVsMemo::WndProc(Message);
  }

protected:
  void Paint() override {
    ++Paints;
    TVsMemo::Paint();
  }
};

// Counts the image form notifications it is passed.
class TNotifiedChild : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
  int Notified = 0;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == VS_IMAGEFORMCHANGED) ++Notified;
    TGraphicControl::WndProc(Message);
  }
};

class EditPaint : public ::testing::Test {
protected:
  void SetUp() override {
    UnbindUxTheme();
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 420, 260);
    Form->SetColor(static_cast<TColor>(FormColor));
    Form->Show();
    SetForegroundWindow(Form->Handle());
    PumpFor(30);
  }
  void TearDown() override {
    Form->Free();
    UnbindUxTheme();
  }

  // A memo of no text and no bars: its client area is all background.
  template <class T = TVsMemo> T* MakeMemo() {
    T* M = Create<T>(Form);
    M->SetBounds(20, 20, 120, 70);
    M->SetColor(static_cast<TColor>(EditColor));
    M->SetParent(Form);
    Refresh(M);
    return M;
  }

  TForm* Form = nullptr;
};

TEST_F(EditPaint, WindowStylesFollowTheProperties) {
  const TScrollStyle Bars[] = {ssNone, ssHorizontal, ssVertical, ssBoth};
  for (int Bits = 0; Bits < 64; ++Bits)
    for (const TScrollStyle Bar : Bars) {
      const bool Single = Bits & 1, Multi = Bits & 2, View = Bits & 4, RTL = Bits & 8, Clear = Bits & 16,
                 Flat = Bits & 32;
      SCOPED_TRACE(testing::Message() << "single " << Single << " multi " << Multi << " bars " << Bar << " view "
                                      << View << " rtl " << RTL << " transparent " << Clear << " flat " << Flat);
      TVsEdit* E = Create<TVsEdit>(Form);
      E->SetBorderStyle(Single ? bsSingle : bsNone);
      E->SetMultiline(Multi);
      E->SetScrollBars(Bar);
      E->SetRightAlignedView(View);
      E->SetRightAlignedText(RTL);
      E->SetTransparent(Clear);
      E->SetFlat(Flat);
      E->SetParent(Form);
      const DWORD Style = GetWindowLongW(E->Handle(), GWL_STYLE);
      const DWORD Ex = GetWindowLongW(E->Handle(), GWL_EXSTYLE);
      EXPECT_EQ((Style & ES_MULTILINE) != 0, Multi);
      EXPECT_EQ((Style & WS_VSCROLL) != 0, Multi && (Bar == ssVertical || Bar == ssBoth));
      EXPECT_EQ((Style & WS_HSCROLL) != 0, Multi && (Bar == ssHorizontal || Bar == ssBoth));
      EXPECT_EQ(Style & WS_BORDER, 0u) << "the 3D border is the client edge";
      // Unthemed, the flat frame is the edit's own drawing.
      EXPECT_EQ((Ex & WS_EX_CLIENTEDGE) != 0, Single && !Flat);
      EXPECT_EQ((Ex & WS_EX_LEFTSCROLLBAR) != 0, View);
      EXPECT_EQ(Ex & (WS_EX_RTLREADING | WS_EX_RIGHT), RTL ? DWORD(WS_EX_RTLREADING | WS_EX_RIGHT) : 0u);
      EXPECT_EQ((Ex & WS_EX_TRANSPARENT) != 0, Clear);
      EXPECT_EQ(GetClassLongW(E->Handle(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), 0u);
      E->Free();
    }
}

TEST_F(EditPaint, BorderStylesOfTwoDimensionalAndThemedFlatEdits) {
  const struct {
    bool Ctl3D, Themed, Flat;
    DWORD Border, ClientEdge;
  } Cases[] = {{false, false, false, WS_BORDER, 0},       {false, false, true, 0, 0},
               {true, true, true, 0, WS_EX_CLIENTEDGE},    {false, true, true, WS_BORDER, 0},
               {true, true, false, 0, WS_EX_CLIENTEDGE}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "3D " << C.Ctl3D << " themed " << C.Themed << " flat " << C.Flat);
    if (C.Themed) {
      BindUxTheme();
      ASSERT_TRUE(ThemesAvailable) << "the platform's theme library did not bind";
    } else {
      UnbindUxTheme();
    }
    TVsEdit* E = Create<TVsEdit>(Form);
    E->SetCtl3D(C.Ctl3D);
    E->SetFlat(C.Flat);
    E->SetParent(Form);
    EXPECT_EQ(GetWindowLongW(E->Handle(), GWL_STYLE) & WS_BORDER, C.Border);
    EXPECT_EQ(GetWindowLongW(E->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, C.ClientEdge);
    E->Free();
  }
}

TEST_F(EditPaint, RecreatingSettersChangeTheLiveWindow) {
  TVsEdit* E = Create<TVsEdit>(Form);
  E->SetParent(Form);
  E->SetTransparent(true);
  EXPECT_TRUE(GetWindowLongW(E->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  E->SetRightAlignedText(true);
  EXPECT_TRUE(GetWindowLongW(E->Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING);
  E->SetTransparent(false);
  EXPECT_FALSE(GetWindowLongW(E->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

TEST_F(EditPaint, FlatClassicFrameTakesItsSidesFromTheClient) {
  TVsEdit* E = Create<TVsEdit>(Form);
  E->SetAutoSize(false);
  E->SetFlat(true);
  E->SetBorderSides(TVsBorderSides{ebsLeft, ebsTop});
  E->SetParent(Form);
  E->SetBounds(10, 10, 200, 40);
  RECT Window{}, Client{};
  GetWindowRect(E->Handle(), &Window);
  GetClientRect(E->Handle(), &Client);
  POINT Origin{0, 0};
  ClientToScreen(E->Handle(), &Origin);
  EXPECT_EQ(Origin.x - Window.left, GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(Origin.y - Window.top, GetSystemMetrics(SM_CYEDGE));
  EXPECT_EQ(Window.right - (Origin.x + Client.right), 0);
  EXPECT_EQ(Window.bottom - (Origin.y + Client.bottom), 0);
}

TEST_F(EditPaint, EraseAndPaintFillWithTheColourOrTheDisabledColour) {
  TVsMemo* M = MakeMemo();
  constexpr COLORREF Disabled = RGB(90, 20, 160);
  M->SetDisabledColor(static_cast<TColor>(Disabled));
  const struct {
    bool Enabled, UseDisabled;
    COLORREF Wanted;
  } Cases[] = {{true, false, EditColor}, {true, true, EditColor}, {false, false, EditColor}, {false, true, Disabled}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "enabled " << C.Enabled << " disabled colours " << C.UseDisabled);
    M->SetEnabled(C.Enabled);
    M->SetUseDisabledColors(C.UseDisabled);
    Refresh(M);
    const TMismatch D = CompareClient(M->Handle(), [&](int, int) { return C.Wanted; });
    EXPECT_EQ(D.Count, 0) << Describe(D);
    // The erase alone fills the clip box inside the client and no more.
    TMemoryDC Shot(M->Width() + 10, M->Height() + 10, RGB(255, 0, 255));
    IntersectClipRect(Shot.DC(), 0, 0, 30, 20);
    EXPECT_EQ(M->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Shot.DC()), 0), 1);
    SelectClipRgn(Shot.DC(), nullptr);
    EXPECT_EQ(Shot.Count(TRect{0, 0, 30, 20}, C.Wanted), 30 * 20);
    EXPECT_EQ(Shot.At(30, 5), RGB(255, 0, 255));
  }
}

TEST_F(EditPaint, TiledBackgroundRepeatsFromTheClientsCorner) {
  TVsMemo* M = MakeMemo();
  // Two colours in a 3 x 2 picture: the first column of the first row
  // and the last two of the second are red.
  auto Colour = [](int X, int Y) { return (Y == 0) == (X == 0) ? RGB(255, 0, 0) : RGB(0, 0, 255); };
  TOwned<TBitmap> B(new TBitmap());
  B->SetSize(3, 2);
  for (int Y = 0; Y < 2; ++Y)
    for (int X = 0; X < 3; ++X) SetPixel(B->Canvas()->Handle(), X, Y, Colour(X, Y));
  M->Background()->Assign(B.get());
  Refresh(M);
  EXPECT_EQ(PixelAt(M->Handle(), 4, 4), EditColor) << "the picture is used only when asked for";
  M->SetUseBackground(true);
  Refresh(M);
  TMismatch D = CompareClient(M->Handle(), [&](int X, int Y) { return Colour(X % 3, Y % 2); });
  EXPECT_EQ(D.Count, 0) << Describe(D);
  // A new picture repaints by itself.
  UpdateWindow(M->Handle());
  B->SetSize(2, 2);
  for (int Y = 0; Y < 2; ++Y)
    for (int X = 0; X < 2; ++X) SetPixel(B->Canvas()->Handle(), X, Y, X == Y ? RGB(0, 255, 0) : RGB(0, 0, 0));
  M->Background()->Assign(B.get());
  EXPECT_TRUE(HasUpdate(M));
  UpdateWindow(M->Handle());
  D = CompareClient(M->Handle(), [](int X, int Y) { return X % 2 == Y % 2 ? RGB(0, 255, 0) : RGB(0, 0, 0); });
  EXPECT_EQ(D.Count, 0) << Describe(D);
}

TEST_F(EditPaint, TransparentEditShowsTheParentAndItsGraphicControls) {
  TShape* Shape = Create<TShape>(Form);
  Shape->SetBounds(60, 0, 200, 200);
  Shape->Brush()->SetColor(static_cast<TColor>(RGB(255, 255, 0)));
  Shape->Pen()->SetColor(static_cast<TColor>(RGB(255, 255, 0)));
  Shape->SetParent(Form);
  TVsEdit* E = Create<TVsEdit>(Form);
  E->SetAutoSize(false);
  E->SetColor(static_cast<TColor>(EditColor));
  E->SetBounds(20, 20, 120, 40);
  E->SetTransparent(true);
  E->SetParent(Form);
  POINT Origin{0, 0};
  MapWindowPoints(E->Handle(), Form->Handle(), &Origin, 1);
  const auto Under = [&](int X) { return Origin.x + X >= 60 ? RGB(255, 255, 0) : FormColor; };
  RECT Client{};
  GetClientRect(E->Handle(), &Client);
  // Erased alone, over a picture of another colour: above and below the
  // line too, not only inside the text band.
  TMemoryDC Erased(Client.right, Client.bottom);
  E->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Erased.DC()), 0);
  int Different = 0;
  for (int Y = 0; Y < Client.bottom; ++Y)
    for (int X = 0; X < Client.right; ++X) Different += Erased.At(X, Y) != Under(X);
  EXPECT_EQ(Different, 0);
  Refresh(Form);
  Refresh(E);
  const TMismatch D = CompareClient(E->Handle(), [&](int X, int) { return Under(X); });
  EXPECT_EQ(D.Count, 0) << Describe(D);
}

TEST_F(EditPaint, ThemedEraseDrawsTheEditFillOfItsState) {
  BindUxTheme();
  ASSERT_TRUE(ThemesAvailable) << "the platform's theme library did not bind";
  TVsEdit* E = Create<TVsEdit>(Form);
  E->SetAutoSize(false);
  E->SetBounds(20, 20, 120, 30);
  E->SetParent(Form);
  ASSERT_TRUE(E->IsThemeApplied());
  HTHEME Oracle = VsUxThemeApi.OpenThemeData(E->Handle(), L"EDIT");
  ASSERT_NE(Oracle, nullptr);
  const struct {
    const char* Name;
    std::function<void()> Arrange;
    int State;
  } Cases[] = {
      {"normal", [] {}, ETS_NORMAL},
      {"read-only", [E] { E->SetReadOnly(true); }, ETS_READONLY},
      {"focused", [E] { E->SetFocus(); }, ETS_FOCUSED},
      {"disabled", [E] { E->SetEnabled(false); }, ETS_DISABLED},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    C.Arrange();
    if (C.State == ETS_FOCUSED) {
      ASSERT_TRUE(WaitUntil("the edit to take the focus", [E] { return GetFocus() == E->Handle(); }));
    }
    TMemoryDC Ours(E->Width(), E->Height()), Theirs(E->Width(), E->Height());
    EXPECT_EQ(E->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Ours.DC()), 0), 1);
    const RECT R{0, 0, E->Width(), E->Height()};
    VsUxThemeApi.DrawThemeBackground(Oracle, Theirs.DC(), EP_EDITTEXT, C.State, &R, nullptr);
    int Different = 0;
    for (int Y = 0; Y < E->Height(); ++Y)
      for (int X = 0; X < E->Width(); ++X) Different += Ours.At(X, Y) != Theirs.At(X, Y);
    EXPECT_EQ(Different, 0);
  }
  VsUxThemeApi.CloseThemeData(Oracle);
  E->Free();
}

TEST_F(EditPaint, ImageFormPaintsTheBackgroundAtTheEditsPlace) {
  TOwned<TBitmap> B(new TBitmap());
  B->SetSize(7, 5);
  for (int Y = 0; Y < 5; ++Y)
    for (int X = 0; X < 7; ++X) SetPixel(B->Canvas()->Handle(), X, Y, RGB(30 * X + 5, 40 * Y + 7, 99));
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  Image->SetBackground(B.get());
  Image->SetBackgroundType(bgtTileBitmap);
  TVsMemo* M = MakeMemo();
  M->SetImageForm(Image);
  Refresh(Form);
  Refresh(M);
  RECT Client{};
  GetClientRect(M->Handle(), &Client);
  TMemoryDC Expected(Client.right, Client.bottom);
  const TPoint Offset = Form->ScreenToClient(M->ClientToScreen(TPoint{0, 0}));
  Image->PaintBkgnd(Expected.DC(), TRect{0, 0, Client.right, Client.bottom}, false, Offset);
  TMismatch D = CompareClient(M->Handle(), [&](int X, int Y) { return Expected.At(X, Y); });
  EXPECT_EQ(D.Count, 0) << Describe(D);
  EXPECT_NE(Expected.At(0, 0), Expected.At(1, 0)) << "the picture is not one colour";
  // A colour fill leaves the edit its own colour.
  Image->SetBackgroundType(bgtColorFill);
  Refresh(M);
  D = CompareClient(M->Handle(), [](int, int) { return EditColor; });
  EXPECT_EQ(D.Count, 0) << Describe(D);
  // The form going away leaves the edit without it.
  Image->Free();
  EXPECT_EQ(M->ImageForm(), nullptr);
  Refresh(M);
  EXPECT_EQ(PixelAt(M->Handle(), 3, 3), EditColor);
}

TEST_F(EditPaint, AMoveNotifiesAndRepaintsOnlyWithAnImageForm) {
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  Image->SetBackgroundType(bgtVertGradient);
  auto* M = MakeMemo<TCountingMemo>();
  auto* Child = Create<TNotifiedChild>(Form);
  Child->SetBounds(0, 0, 5, 5);
  Child->SetParent(M);
  for (const bool WithForm : {false, true}) {
    SCOPED_TRACE(WithForm ? "with an image form" : "without");
    M->SetImageForm(WithForm ? Image : nullptr);
    Refresh(M);
    const int Paints = M->Paints;
    Child->Notified = 0;
    M->SetBounds(M->Left() + 7, M->Top() + 3, M->Width(), M->Height());
    EXPECT_EQ(Child->Notified, WithForm ? 1 : 0);
    if (WithForm) {
      EXPECT_TRUE(HasUpdate(M));
    }
    UpdateWindow(M->Handle());
    if (WithForm) {
      EXPECT_GT(M->Paints, Paints);
    }
  }
  // A change of the image form repaints the edit.
  UpdateWindow(M->Handle());
  Image->SetBackgroundType(bgtHorzGradient);
  EXPECT_TRUE(HasUpdate(M));
  UpdateWindow(M->Handle());
  // Its paint takes up the erased picture: any repaint erases first, or
  // the last text would stay under the new.
  for (const TVsBkGndType Type : {bgtColorFill, bgtTileBitmap}) {
    Image->SetBackgroundType(Type);
    UpdateWindow(M->Handle());
    const int Erases = M->Erases;
    M->Invalidate();
    UpdateWindow(M->Handle());
    EXPECT_EQ(M->Erases - Erases, Type == bgtColorFill ? 0 : 1) << Type;
  }
}

TEST_F(EditPaint, SettersRepaintOnlyWhatIsOnScreen) {
  TVsMemo* M = MakeMemo();
  M->SetText(L"abc def");
  M->SelectAll();
  M->SetHideSelection(false);
  enum { Unfocused, Focused, Disabled, DisabledColours } ;
  const struct {
    const char* Name;
    int State;
    std::function<void()> Set;
    bool Repaints;
  } Cases[] = {
      {"focused colour, focused", Focused, [M] { M->SetFocusedSelectColor(clRed); }, true},
      {"focused colour, unfocused", Unfocused, [M] { M->SetFocusedSelectColor(clLime); }, false},
      {"focused text colour, focused", Focused, [M] { M->SetFocusedSelectTextColor(clRed); }, true},
      {"hidden colour, unfocused", Unfocused, [M] { M->SetHideSelectColor(clRed); }, true},
      {"hidden text colour, focused", Focused, [M] { M->SetHideSelectTextColor(clRed); }, false},
      {"same focused colour again", Focused, [M] { M->SetFocusedSelectColor(M->FocusedSelectColor()); }, false},
      {"alpha, focused", Focused, [M] { M->SetHighlightAlphaLevel(100); }, true},
      {"disabled colour, enabled", Unfocused, [M] { M->SetDisabledColor(clRed); }, false},
      {"disabled colour, disabled", Disabled, [M] { M->SetDisabledColor(clLime); }, false},
      {"disabled colour, disabled colours", DisabledColours, [M] { M->SetDisabledColor(clRed); }, true},
      {"disabled font colour, disabled colours", DisabledColours, [M] { M->SetDisabledFontColor(clRed); }, true},
      {"disabled colours on, disabled", Disabled, [M] { M->SetUseDisabledColors(true); }, true},
      {"disabled colours on, enabled", Unfocused, [M] { M->SetUseDisabledColors(true); }, false},
      {"disabling, plain colours", Unfocused, [M] { M->SetEnabled(false); }, false},
      {"disabling, disabled colours", Unfocused, [M] {
         M->SetUseDisabledColors(true);
         UpdateWindow(M->Handle());
         M->SetEnabled(false);
       }, true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    M->SetUseDisabledColors(C.State == DisabledColours);
    M->SetEnabled(C.State != Disabled && C.State != DisabledColours);
    if (C.State == Focused) {
      M->SetFocus();
      ASSERT_TRUE(WaitUntil("the memo to take the focus", [M] { return GetFocus() == M->Handle(); }));
    } else {
      SetFocus(nullptr);
    }
    UpdateWindow(M->Handle());
    ASSERT_FALSE(HasUpdate(M));
    C.Set();
    EXPECT_EQ(HasUpdate(M), C.Repaints);
  }
}

TEST_F(EditPaint, HighlightAlphaIsClampedAndBlendsTheSelection) {
  TVsMemo* M = MakeMemo();
  M->SetHighlightAlphaLevel(300);
  EXPECT_EQ(M->HighlightAlphaLevel(), 255);
  M->SetHighlightAlphaLevel(-5);
  EXPECT_EQ(M->HighlightAlphaLevel(), 0);
  M->SetHighlightAlphaLevel(128);
  M->SetColor(clWhite);
  M->SetFocusedSelectColor(clBlue);
  // Blanks: the cell holds the blend and no ink.
  M->SetText(L"          ");
  M->SetFocus();
  ASSERT_TRUE(WaitUntil("the memo to take the focus", [M] { return GetFocus() == M->Handle(); }));
  M->SelectAll();
  HideCaret(M->Handle());
  Refresh(M);
  const int Baseline = M->LineHeight() + M->TopMargin();
  const COLORREF P = PixelAt(M->Handle(), 10, Baseline - 3);
  SCOPED_TRACE(testing::Message() << std::hex << P);
  EXPECT_GT(GetRValue(P), 0);
  EXPECT_LT(GetRValue(P), 255);
  EXPECT_GT(GetGValue(P), 0);
  EXPECT_LT(GetGValue(P), 255);
  EXPECT_EQ(GetBValue(P), 255);
  EXPECT_NEAR(GetRValue(P), 127, 3);
}

TEST_F(EditPaint, BackgroundPropertiesAreReadFromALayout) {
  const char* Layout =
      "object F: TForm\r\n"
      "  object IF: TVsImageForm\r\n"
      "    BackgroundType = bgtVertGradient\r\n"
      "  end\r\n"
      "  object E: TVsEdit\r\n"
      "    ImageForm = IF\r\n"
      "    UseBackground = True\r\n"
      "    Transparent = True\r\n"
      "  end\r\n"
      "end\r\n";
  TForm* F = nullptr;
  Application->CreateForm(F);
  TMemoryStream Stream;
  Stream.Write(Layout, static_cast<int>(std::strlen(Layout)));
  Stream.SetPosition(0);
  ReadComponentLayout(&Stream, F);
  auto* E = dynamic_cast<TVsEdit*>(F->FindComponent("E"));
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(E->ImageForm(), F->FindComponent("IF"));
  EXPECT_TRUE(E->UseBackground());
  EXPECT_TRUE(E->Transparent());
  F->Free();
}

class TPaintEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeVsTools();
    InitializeVsEdits();
    InitializeVsImageForm();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const PaintEnvironment = ::testing::AddGlobalTestEnvironment(new TPaintEnvironment);

}  // namespace
