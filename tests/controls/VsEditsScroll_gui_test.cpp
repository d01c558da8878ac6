// The edit's and memo's scroll bars and frame on real windows: the custom
// bars of the controller beside the system's, the bars shown and the
// ScrollBars property, clicks on a bar, the square between two bars, the
// stored bar styles, the themed frame beside the platform's theme library,
// the flat classic frame's border types and colours and its flat bars, and
// random scrolling with the custom bars in force.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Filer.h"
#include "SBControllerFixture.h"
#include "Streams.h"
#include "ThemeBindingSupport.h"
#include "VsEdits.h"
#include "VsTools.h"
#include "controls-base/ThemeDibSupport.h"

namespace {

constexpr int LineHeight = 15;  // a font of height -13

WideString TenLines() {
  WideString Text;
  for (int I = 0; I < 10; ++I) Text += (I ? L"\r\n" : L"") + WideString(L"line ") + WideString(1, L'0' + I);
  return Text;
}

// The window's rectangle at (0, 0) and its client area in the same
// coordinates.
void WindowGeometry(HWND Wnd, RECT& Window, RECT& Client) {
  GetWindowRect(Wnd, &Window);
  GetClientRect(Wnd, &Client);
  MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&Client), 2);
  OffsetRect(&Client, -Window.left, -Window.top);
  OffsetRect(&Window, -Window.left, -Window.top);
}

bool Inside(const RECT& R, int X, int Y) { return X >= R.left && X < R.right && Y >= R.top && Y < R.bottom; }

// A left click at a screen point, as the mouse gives it.
void ClickAt(POINT P) {
  SetCursorPos(P.x, P.y);
  PumpFor(30);
  INPUT In[2]{};
  In[0].type = In[1].type = INPUT_MOUSE;
  In[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  In[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, In, sizeof(INPUT));
  PumpFor(80);
}

class EditScroll : public ::testing::Test {
protected:
  void SetUp() override {
    UnbindThemes();
    // The pointer away from the windows: a hovered edit is active.
    SetCursorPos(2, 2);
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &SavedWheel, 0);
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 420, 300);
    Form->Show();
    SetForegroundWindow(Form->Handle());
  }
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    Form->Free();
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, SavedWheel, nullptr, 0);
    UnbindThemes();
  }

  // A memo of four visible lines holding ten.
  TVsMemo* FourLineMemo(TScrollStyle Bars, bool Custom, TBorderStyle Border = bsNone) {
    TVsMemo* Memo = Create<TVsMemo>(Form);
    Memo->Font()->SetHeight(-13);
    Memo->SetBorderStyle(Border);
    Memo->SetUseCustomScrollBars(Custom);
    Memo->SetScrollBars(Bars);
    Memo->SetParent(Form);
    const int Frame = Border == bsSingle ? 2 * GetSystemMetrics(SM_CYEDGE) : 0;
    const int Below = Bars == ssBoth || Bars == ssHorizontal ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    Memo->SetBounds(10, 10, 200, 4 * LineHeight + Memo->TopMargin() + Frame + Below);
    Memo->SetText(TenLines());
    PumpFor(30);
    return Memo;
  }

  TForm* Form = nullptr;
  UINT SavedWheel = 3;
};

// System bars, the custom bars with a vertical bar, and the custom bars'
// controller on a memo without bars (the wheel then has no bar to go by).
struct TBarCase {
  const char* Name;
  TScrollStyle Bars;
  bool Custom;
};

class EditScrollInfo : public EditScroll, public ::testing::WithParamInterface<TBarCase> {};

TEST_P(EditScrollInfo, TenLinesInAFourLineMemoScrollByCodeTopLineAndWheel) {
  const TBarCase& C = GetParam();
  TVsMemo* Memo = FourLineMemo(C.Bars, C.Custom);
  ASSERT_EQ(Memo->UseCustomScrollBars(), C.Custom) << "the patch is in force, the custom bars stay on";
  ASSERT_EQ(Memo->Controller()->IsActive(), C.Custom);
  ASSERT_EQ(Memo->VisibleLines(), 4);
  const HWND Wnd = Memo->Handle();
  const bool Bar = C.Bars == ssVertical;
  TVsCtrlScrollBarStyles* Custom = Memo->VertScrollBarStyles();
  auto ExpectBar = [&](int Pos) {
    if (!Bar) return;
    const SCROLLINFO SI = SystemInfo(Wnd, SB_VERT);
    EXPECT_EQ(SI.nMin, 0);
    EXPECT_EQ(SI.nMax, 9);
    EXPECT_EQ(SI.nPage, 4u);
    EXPECT_EQ(SI.nPos, Pos);
    if (!C.Custom) return;
    // What the user sees is the custom bar.
    EXPECT_EQ(Custom->Max(), 9);
    EXPECT_EQ(Custom->Page(), 4);
    EXPECT_EQ(Custom->Position(), Pos);
  };
  ExpectBar(0);
  SendMessageA(Wnd, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Memo->TopLine(), 6);
  ExpectBar(6);
  Memo->SetTopLine(0);
  Memo->SetTopLine(8);
  EXPECT_EQ(Memo->TopLine(), 6) << "the last page ends at the last line";
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
  Memo->SetTopLine(0);
  SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(Memo->TopLine(), 3) << "three lines a notch";
  ExpectBar(3);
  SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
  EXPECT_EQ(Memo->TopLine(), 0);
  ExpectBar(0);
}

INSTANTIATE_TEST_SUITE_P(Bars, EditScrollInfo,
                         ::testing::Values(TBarCase{"SystemBar", ssVertical, false},
                                           TBarCase{"CustomBar", ssVertical, true},
                                           TBarCase{"CustomNoBar", ssNone, true}),
                         [](const ::testing::TestParamInfo<TBarCase>& Info) { return Info.param.Name; });

TEST_F(EditScroll, CustomBarsTurnedOffAndOnKeepTheScrollStateAndTheLook) {
  TVsMemo* Memo = FourLineMemo(ssVertical, true);
  SendMessageA(Memo->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  ASSERT_EQ(Memo->TopLine(), 6);
  Memo->SetUseCustomScrollBars(false);
  EXPECT_FALSE(Memo->Controller()->IsActive());
  EXPECT_EQ(SystemInfo(Memo->Handle(), SB_VERT).nPos, 6) << "the system's bar takes over the position";
  EXPECT_EQ(SystemInfo(Memo->Handle(), SB_VERT).nMax, 9);
  Memo->SetUseCustomScrollBars(true);
  ASSERT_TRUE(Memo->Controller()->IsActive());
  EXPECT_EQ(Memo->VertScrollBarStyles()->Position(), 6);
  EXPECT_EQ(Memo->VertScrollBarStyles()->Max(), 9);
  EXPECT_EQ(Memo->TopLine(), 6);
  Memo->SetUseXPThemes(false);
  EXPECT_FALSE(Memo->Controller()->UseXPThemes());
  Memo->SetUseXPThemes(true);
  EXPECT_TRUE(Memo->Controller()->UseXPThemes());

  // A single-line edit attaches the controller without making its window again.
  TVsEdit* Edit = Create<TVsEdit>(Form);
  Edit->SetParent(Form);
  Edit->SetUseCustomScrollBars(false);
  const HWND Wnd = Edit->Handle();
  EXPECT_FALSE(Edit->Controller()->IsActive());
  Edit->SetUseCustomScrollBars(true);
  EXPECT_TRUE(Edit->Controller()->IsActive());
  EXPECT_EQ(Edit->Handle(), Wnd);
}

TEST_F(EditScroll, ScrollBarsFollowTheCustomBarsShown) {
  TVsMemo* Memo = FourLineMemo(ssBoth, true);
  const struct {
    bool Horz, Vert;
    TScrollStyle Expected;
  } Cases[] = {{true, true, ssBoth}, {false, true, ssVertical}, {true, false, ssHorizontal}, {false, false, ssNone}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "horizontal " << C.Horz << " vertical " << C.Vert);
    Memo->SetScrollBars(ssBoth);
    ASSERT_TRUE(Memo->UseCustomScrollBars());
    const HWND Wnd = Memo->Handle();
    // Through the patch: the controller hides its bar.
    ShowScrollBar(Wnd, SB_HORZ, C.Horz);
    ShowScrollBar(Wnd, SB_VERT, C.Vert);
    TVsCtrlScrollBarStyles* Bar = Memo->VertScrollBarStyles();
    ASSERT_TRUE(Bar->OnChange) << "the bar reports its changes to the memo";
    Bar->OnChange(Bar);
    EXPECT_EQ(Memo->ScrollBars(), C.Expected);
    EXPECT_EQ(Memo->Handle(), Wnd) << "the window already shows those bars";
  }

  // A style assigned from another memo keeps reporting to this one.
  TVsMemo* Other = FourLineMemo(ssBoth, true);
  Other->SetTop(150);
  Memo->SetScrollBars(ssBoth);
  Memo->SetVertScrollBarStyles(Other->VertScrollBarStyles());
  ShowScrollBar(Memo->Handle(), SB_HORZ, FALSE);
  Memo->VertScrollBarStyles()->OnChange(Memo->VertScrollBarStyles());
  EXPECT_EQ(Memo->ScrollBars(), ssVertical);
  EXPECT_EQ(Other->ScrollBars(), ssBoth);
}

TEST_F(EditScroll, AClickOnACustomBarLeavesTheCaret) {
  TVsMemo* Memo = FourLineMemo(ssVertical, true);
  ASSERT_TRUE(Memo->Controller()->IsActive());
  Memo->SetFocus();
  Memo->SetSelStart(0);
  PumpFor(30);
  const HWND Wnd = Memo->Handle();
  const TRect& Bar = Memo->VertScrollBarStyles()->BarRect();
  RECT Window, Client;
  WindowGeometry(Wnd, Window, Client);
  // A press reported in client coordinates that lie on the bar, as while the
  // window holds the mouse.
  const int X = Bar.left + 3 - Client.left, Y = Bar.top + 2 - Client.top;
  SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
  SendMessageA(Wnd, WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  EXPECT_EQ(Memo->CaretX(), 0);
  EXPECT_EQ(Memo->CaretY(), 0);

  // A real click on the track below the thumb pages, the caret stays.
  RECT Screen;
  GetWindowRect(Wnd, &Screen);
  ClickAt(POINT{Screen.left + (Bar.left + Bar.right) / 2, Screen.top + Bar.bottom - 20});
  EXPECT_EQ(Memo->TopLine(), 4) << "the press reached the bar";
  EXPECT_EQ(Memo->CaretX(), 0);
  EXPECT_EQ(Memo->CaretY(), 0);
  // In the text the click places the caret.
  POINT Text{2, 2 * LineHeight + 4};
  ClientToScreen(Wnd, &Text);
  ClickAt(Text);
  EXPECT_EQ(Memo->CaretY(), 6);
}

TEST_F(EditScroll, TheControllerPaintsTheSquareBetweenTheCustomBars) {
  TVsMemo* Memo = FourLineMemo(ssBoth, true);
  Memo->SetText(TenLines() + L"\r\n" + WideString(120, L'w'));
  // The colour the square would have if the memo filled it.
  Memo->VertScrollBarStyles()->SetColor(clRed);
  const HWND Wnd = Memo->Handle();
  const TRect& V = Memo->VertScrollBarStyles()->BarRect();
  const TRect& H = Memo->HorzScrollBarStyles()->BarRect();
  ASSERT_TRUE(Memo->HorzScrollBarStyles()->Visible());
  ASSERT_TRUE(Memo->VertScrollBarStyles()->Visible());
  auto Corner = [&] {
    RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    PumpFor(30);
    HDC DC = GetWindowDC(Wnd);
    std::vector<COLORREF> Pixels;
    for (int Y = H.top + 2; Y <= H.bottom - 2; Y += 3)
      for (int X = V.left + 2; X <= V.right - 2; X += 3) Pixels.push_back(GetPixel(DC, X, Y));
    ReleaseDC(Wnd, DC);
    return Pixels;
  };
  for (COLORREF P : Corner()) ASSERT_EQ(P, GetSysColor(COLOR_BTNFACE));

  struct TCornerPainter : TObject {
    void Paint(TObject*, TCanvas* Canvas, const TRect& R, bool& DefaultDraw) {
      Canvas->Brush()->SetColor(clLime);
      Canvas->FillRect(R);
      DefaultDraw = false;
    }
  } Painter;
  Memo->Controller()->OnPaintCrossScrollBarsArea = TVsPaintCrossAreaEvent(&Painter, &TCornerPainter::Paint);
  for (COLORREF P : Corner()) ASSERT_EQ(P, ColorToRGB(clLime)) << "the controller's handler paints it";
  Memo->Controller()->OnPaintCrossScrollBarsArea = nullptr;
}

TEST_F(EditScroll, BarStylesAreStoredForMultiLineCustomBarsOnly) {
  TVsMemo* Memo = Create<TVsMemo>(Form);
  TVsEdit* Edit = Create<TVsEdit>(Form);
  EXPECT_TRUE(Memo->IsScrollBarStylesStored());
  EXPECT_FALSE(Edit->IsScrollBarStylesStored());
  Edit->SetMultiline(true);
  EXPECT_TRUE(Edit->IsScrollBarStylesStored());
  Memo->SetUseCustomScrollBars(false);
  EXPECT_FALSE(Memo->IsScrollBarStylesStored());

  const char* Layout =
      "object F: TForm\r\n"
      "  Left = 40\r\n"
      "  Top = 40\r\n"
      "  Width = 400\r\n"
      "  Height = 300\r\n"
      "  object M: TVsMemo\r\n"
      "    Left = 10\r\n"
      "    Top = 10\r\n"
      "    Width = 200\r\n"
      "    Height = 90\r\n"
      "    BorderStyle = bsNone\r\n"
      "    ScrollBars = ssVertical\r\n"
      "    FlatFocusedScrollBars = True\r\n"
      "    ActiveBorderType = fbtColorLineBorder\r\n"
      "    LineBorderInactiveColor = clRed\r\n"
      "    VertScrollBarStyles.UseSystemMetrics = False\r\n"
      "    VertScrollBarStyles.Width = 21\r\n"
      "    VertScrollBarStyles.ArrowColor = clBlue\r\n"
      "  end\r\n"
      "  object E: TVsEdit\r\n"
      "    Left = 10\r\n"
      "    Top = 120\r\n"
      "    Multiline = True\r\n"
      "    UseCustomScrollBars = False\r\n"
      "    ScrollBars = ssHorizontal\r\n"
      "  end\r\n"
      "end\r\n";
  TForm* Read = nullptr;
  Application->CreateForm(Read);
  TMemoryStream Stream;
  Stream.Write(Layout, static_cast<int>(std::strlen(Layout)));
  Stream.SetPosition(0);
  ReadComponentLayout(&Stream, Read);
  auto* M = dynamic_cast<TVsMemo*>(Read->FindComponent("M"));
  auto* E = dynamic_cast<TVsEdit*>(Read->FindComponent("E"));
  ASSERT_NE(M, nullptr);
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(M->VertScrollBarStyles()->Width(), 21);
  EXPECT_EQ(M->VertScrollBarStyles()->ArrowColor(), clBlue);
  EXPECT_TRUE(M->FlatFocusedScrollBars());
  EXPECT_EQ(M->ActiveBorderType(), fbtColorLineBorder);
  EXPECT_EQ(M->InactiveBorderType(), fbtSunkenOuter);
  EXPECT_EQ(M->LineBorderInactiveColor(), clRed);
  EXPECT_EQ(M->LineBorderActiveColor(), clBlack);
  EXPECT_EQ(M->ScrollBars(), ssVertical);
  EXPECT_TRUE(M->IsScrollBarStylesStored());
  EXPECT_EQ(E->ScrollBars(), ssHorizontal);
  EXPECT_FALSE(E->IsScrollBarStylesStored());
  Read->Show();
  PumpFor(30);
  ASSERT_TRUE(M->Controller()->IsActive());
  EXPECT_EQ(M->Width() - M->ClientWidth(), 21) << "the bar read takes its width from the client";
  EXPECT_FALSE(E->Controller()->IsActive());
  Read->Free();
}

// A DIB filled with a pattern that varies in every channel.
class TPatternDib : public TTestDib {
public:
  TPatternDib(int Width, int Height) : TTestDib(Width, Height) {
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X) Set(X, Y, Pattern(X, Y));
  }
  static DWORD Pattern(int X, int Y) {
    return DWORD((X * 37 + Y * 11) & 0xFF) << 16 | DWORD((X * 7 + Y * 53) & 0xFF) << 8 | DWORD((X * 91 ^ Y * 29) & 0xFF);
  }
  DWORD Pixel(int X, int Y) const { return Get(X, Y) & 0xFFFFFF; }
};

int ChannelDifference(DWORD P, DWORD Q) {
  int Max = 0;
  for (int Shift = 0; Shift < 24; Shift += 8)
    Max = std::max(Max, std::abs(int((P >> Shift) & 0xFF) - int((Q >> Shift) & 0xFF)));
  return Max;
}

// The platform's theme library, loaded by itself: the oracle of the frame.
struct TPlatformTheme {
  HMODULE Library = LoadLibraryW(L"uxtheme.dll");
  decltype(&::OpenThemeData) Open = Proc<decltype(&::OpenThemeData)>("OpenThemeData");
  decltype(&::CloseThemeData) Close = Proc<decltype(&::CloseThemeData)>("CloseThemeData");
  decltype(&::DrawThemeBackground) Draw = Proc<decltype(&::DrawThemeBackground)>("DrawThemeBackground");
  ~TPlatformTheme() {
    if (Library) FreeLibrary(Library);
  }
  template <class F> F Proc(const char* Name) {
    return Library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Library, Name))) : nullptr;
  }
};

class EditThemedFrame : public EditScroll, public ::testing::WithParamInterface<TThemeBinding> {};

TEST_P(EditThemedFrame, PrintedFrameIsThePlatformsEditBackgroundAroundClientAndBars) {
  const TThemeBinding& B = GetParam();
  ASSERT_TRUE(BindThemes(B)) << B.Name;
  TPlatformTheme Platform;
  ASSERT_TRUE(Platform.Open && Platform.Draw && Platform.Close) << "uxtheme.dll";
  // The engine blends with a rounding of its own (up to 2 below).
  const int Tolerance = B.Engine ? 2 : 0;
  const struct {
    const char* Name;
    bool Memo;
    TScrollStyle Bars;
    bool Custom;
    bool LeftBar;
  } Cases[] = {{"edit", false, ssNone, true, false},
               {"memo with system bars", true, ssBoth, false, false},
               {"memo with custom bars", true, ssBoth, true, false},
               {"right to left memo with system bars", true, ssBoth, false, true},
               {"right to left memo with custom bars", true, ssBoth, true, true}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TCustomVsEdit* Edit = C.Memo ? static_cast<TCustomVsEdit*>(FourLineMemo(C.Bars, C.Custom, bsSingle))
                                 : Create<TVsEdit>(Form);
    if (!C.Memo) {
      Edit->SetParent(Form);
      Edit->SetBounds(10, 200, 150, 24);
    }
    Edit->SetRightAlignedView(C.LeftBar);
    // Custom bars of a width of their own.
    const int Thickness = 21;
    if (C.Custom && C.Bars == ssBoth)
      for (TVsCtrlScrollBarStyles* Bar : {Edit->HorzScrollBarStyles(), Edit->VertScrollBarStyles()}) {
        Bar->SetUseSystemMetrics(false);
        Bar->SetWidth(Thickness);
      }
    const HWND Wnd = Edit->Handle();
    ASSERT_TRUE(Edit->IsThemeApplied());
    ASSERT_EQ(Edit->Controller()->IsActive(), C.Custom);
    RECT Window, Client;
    WindowGeometry(Wnd, Window, Client);
    const int W = Window.right, H = Window.bottom;
    RECT Inner = Client;  // the client with the bars beside it
    if (C.Bars == ssBoth) {
      const int Vertical = C.Custom ? Thickness : GetSystemMetrics(SM_CXVSCROLL);
      if (C.LeftBar)
        Inner.left -= Vertical;
      else
        Inner.right += Vertical;
      Inner.bottom += C.Custom ? Thickness : GetSystemMetrics(SM_CYHSCROLL);
    }
    TPatternDib Ours(W, H), Theirs(W, H), Shown(W, H);
    SendMessageW(Wnd, WM_PRINT, reinterpret_cast<WPARAM>(Ours.DC()), PRF_NONCLIENT);
    // And the frame the window shows.
    RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(20);
    HDC WindowDC = GetWindowDC(Wnd);
    BitBlt(Shown.DC(), 0, 0, W, H, WindowDC, 0, 0, SRCCOPY);
    ReleaseDC(Wnd, WindowDC);
    const HTHEME Theme = Platform.Open(Wnd, L"EDIT");
    ASSERT_NE(Theme, nullptr);
    Platform.Draw(Theme, Theirs.DC(), 0, 0, &Window, nullptr);
    Platform.Close(Theme);
    int Frame = 0, Wrong = 0, WrongShown = 0, Painted = 0;
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X) {
        if (!Inside(Inner, X, Y)) {
          ++Frame;
          Wrong += ChannelDifference(Ours.Pixel(X, Y), Theirs.Pixel(X, Y)) > Tolerance;
          WrongShown += ChannelDifference(Shown.Pixel(X, Y), Theirs.Pixel(X, Y)) > Tolerance;
        } else if (!Inside(Client, X, Y)) {
          // The bars are the system's or the controller's to paint, but for
          // the square between two system bars.
          const bool Corner = !C.Custom && (C.LeftBar ? X < Client.left : X >= Client.right) && Y >= Client.bottom;
          Painted += Corner ? Ours.Color(X, Y) != GetSysColor(COLOR_BTNFACE) : Ours.Pixel(X, Y) != TPatternDib::Pattern(X, Y);
        }
      }
    EXPECT_GT(Frame, 0);
    EXPECT_EQ(Wrong, 0) << "of " << Frame << " printed frame pixels";
    EXPECT_EQ(WrongShown, 0) << "of " << Frame << " frame pixels on the screen";
    EXPECT_EQ(Painted, 0) << "pixels of the bars' area not as expected";
    Edit->Free();
  }
}

INSTANTIATE_TEST_SUITE_P(Bindings, EditThemedFrame, ::testing::ValuesIn(ThemeBindings),
                         [](const ::testing::TestParamInfo<TThemeBinding>& Info) { return Info.param.Name; });

TEST_F(EditScroll, FlatFrameShowsTheBorderTypeAndLineColourOfItsState) {
  TVsEdit* Edit = Create<TVsEdit>(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(10, 10, 150, 24);
  Edit->SetColor(clYellow);
  TVsEdit* Other = Create<TVsEdit>(Form);
  Other->SetParent(Form);
  Other->SetBounds(10, 60, 150, 24);
  ASSERT_FALSE(Edit->IsThemeApplied());
  struct TCounter : TObject {
    int N = 0;
    void Hit(TObject*) { ++N; }
  } Entered, Left;
  Edit->OnMouseEnter = TNotifyEvent(&Entered, &TCounter::Hit);
  Edit->OnMouseLeave = TNotifyEvent(&Left, &TCounter::Hit);
  const COLORREF Shadow = GetSysColor(COLOR_BTNSHADOW), DarkShadow = GetSysColor(COLOR_3DDKSHADOW),
                 Face = GetSysColor(COLOR_BTNFACE);
  // The two outer pixels of the left side, halfway down, as the window
  // shows them now.
  auto LeftEdge = [&] {
    PumpFor(20);
    const HWND Wnd = Edit->Handle();  // made again when Flat goes off
    HDC DC = GetWindowDC(Wnd);
    RECT W;
    GetWindowRect(Wnd, &W);
    const int Y = (W.bottom - W.top) / 2;
    const std::pair<COLORREF, COLORREF> P{GetPixel(DC, 0, Y), GetPixel(DC, 1, Y)};
    ReleaseDC(Wnd, DC);
    return P;
  };
  using TPair = std::pair<COLORREF, COLORREF>;
  const COLORREF Red = ColorToRGB(clRed), Blue = ColorToRGB(clBlue), Yellow = ColorToRGB(clYellow);

  Other->SetFocus();
  EXPECT_EQ(LeftEdge(), (TPair{Shadow, DarkShadow})) << "not flat: sunken";
  Edit->SetFlat(true);
  EXPECT_EQ(LeftEdge(), (TPair{Shadow, Face})) << "flat, inactive: the sunken outer edge";
  // Setters of the state on screen show at once.
  Edit->SetInactiveBorderType(fbtColorLineBorder);
  Edit->SetLineBorderInactiveColor(clRed);
  EXPECT_EQ(LeftEdge(), (TPair{Red, Yellow})) << "the line colour, then the control's colour";
  Edit->SetActiveBorderType(fbtColorLineBorder);
  Edit->SetLineBorderActiveColor(clBlue);
  EXPECT_EQ(LeftEdge(), (TPair{Red, Yellow})) << "the active look waits for the focus";
  Edit->SetFocus();
  EXPECT_EQ(LeftEdge(), (TPair{Blue, Yellow})) << "focused";
  Edit->SetActiveBorderType(fbtSunken);
  EXPECT_EQ(LeftEdge(), (TPair{Shadow, DarkShadow}));

  // Hovering is active too; a leave reported for another control is not
  // the edit's.
  Other->SetFocus();
  Edit->SetActiveBorderType(fbtColorLineBorder);
  Edit->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Edit));
  EXPECT_EQ(LeftEdge(), (TPair{Blue, Yellow})) << "hovered";
  EXPECT_EQ(Entered.N, 1);
  Edit->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Other));
  EXPECT_EQ(Left.N, 0);
  Edit->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Edit));
  EXPECT_EQ(Left.N, 1);
  EXPECT_EQ(LeftEdge(), (TPair{Red, Yellow})) << "left";
  Edit->SetFlat(false);
  EXPECT_EQ(LeftEdge(), (TPair{Shadow, DarkShadow})) << "sunken again";
  EXPECT_EQ(Entered.N, 1);
}

TEST_F(EditScroll, SystemBarsAreFlatUnlessFocusedWithoutFlatFocusedScrollBars) {
  TVsEdit* Other = Create<TVsEdit>(Form);
  Other->SetParent(Form);
  Other->SetBounds(10, 200, 150, 24);
  TVsMemo* Memo = FourLineMemo(ssVertical, false, bsSingle);
  Memo->SetFlat(true);
  // The top arrow box of a window's vertical bar.
  auto ArrowBox = [](HWND Wnd) {
    PumpFor(20);
    RECT Window, Client;
    WindowGeometry(Wnd, Window, Client);
    std::vector<COLORREF> Pixels;
    HDC DC = GetWindowDC(Wnd);
    for (int Y = 0; Y < GetSystemMetrics(SM_CYVSCROLL); ++Y)
      for (int X = 0; X < GetSystemMetrics(SM_CXVSCROLL); ++X)
        Pixels.push_back(GetPixel(DC, Client.right + X, Client.top + Y));
    ReleaseDC(Wnd, DC);
    return Pixels;
  };
  const COLORREF Highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  Other->SetFocus();
  const std::vector<COLORREF> Flat = ArrowBox(Memo->Handle());
  EXPECT_EQ(Flat.front(), Highlight) << "unfocused: flat, its outer edge light";
  Memo->SetFocus();
  const std::vector<COLORREF> System = ArrowBox(Memo->Handle());
  EXPECT_NE(System.front(), Highlight) << "focused: the system paints its bar again";
  Memo->SetFlatFocusedScrollBars(true);
  EXPECT_EQ(ArrowBox(Memo->Handle()), Flat) << "flat also when focused";
  Memo->SetFlatFocusedScrollBars(false);
  Other->SetFocus();
  EXPECT_EQ(ArrowBox(Memo->Handle()), Flat);
}

// Random scrolling, text, sizes and bar settings of a memo whose custom bars
// are in force: the view stays inside the text and the custom bars show it.
TEST_F(EditScroll, RandomScrollingKeepsTheCustomBarsWithTheView) {
  std::mt19937 Random(2711);
  auto Pick = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Random); };
  TVsMemo* Memo = FourLineMemo(ssBoth, true);
  const UINT Wheels[] = {0, 3, 150, WHEEL_PAGESCROLL};
  const TScrollStyle Styles[] = {ssNone, ssHorizontal, ssVertical, ssBoth};
  for (int Step = 0; Step < 1500; ++Step) {
    const int Kind = Pick(0, 9);
    const HWND Wnd = Memo->Handle();
    switch (Kind) {
      case 0:
      case 1:
        SendMessageA(Wnd, WM_VSCROLL, MAKEWPARAM(Pick(0, 8), static_cast<WORD>(Pick(-20, 40))), 0);
        break;
      case 2:
        SendMessageA(Wnd, WM_HSCROLL, MAKEWPARAM(Pick(0, 8), static_cast<WORD>(Pick(-20, 200))), 0);
        break;
      case 3:
        SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, Wheels[Pick(0, 3)], nullptr, 0);
        SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(Pick(-4, 4) * 60)), 0);
        break;
      case 4: {
        WideString Text;
        const int Lines = Pick(0, 30);
        for (int I = 0; I < Lines; ++I) Text += (I ? L"\r\n" : L"") + WideString(static_cast<size_t>(Pick(0, 90)), L'x');
        Memo->SetText(Text);
        break;
      }
      case 5: Memo->SetScrollBars(Styles[Pick(0, 3)]); break;
      case 6: Memo->SetBounds(10, 10, Pick(40, 300), Pick(30, 200)); break;
      case 7: Memo->SetUseCustomScrollBars(!Memo->UseCustomScrollBars()); break;
      case 8: {
        // A hidden bar reported by the style, or a press on the vertical bar.
        if (Pick(0, 1)) {
          ShowScrollBar(Wnd, Pick(0, 1) ? SB_HORZ : SB_VERT, FALSE);
          Memo->VertScrollBarStyles()->OnChange(Memo->VertScrollBarStyles());
        } else {
          const TRect& Bar = Memo->VertScrollBarStyles()->BarRect();
          RECT Window, Client;
          WindowGeometry(Wnd, Window, Client);
          const LPARAM At = MAKELPARAM(Bar.left + 2 - Client.left, Bar.top + Pick(0, 60) - Client.top);
          SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, At);
          SendMessageA(Wnd, WM_LBUTTONUP, 0, At);
        }
        break;
      }
      default: Memo->SetTopLine(Pick(-5, 40)); break;
    }
    const std::string Where = "step " + std::to_string(Step) + " kind " + std::to_string(Kind);
    const int Lines = Memo->Lines()->VisualLineCount();
    ASSERT_GE(Memo->TopLine(), 0) << Where;
    ASSERT_LE(Memo->TopLine(), std::max(0, Lines - 1)) << Where;
    ASSERT_GE(Memo->LeftChar(), 0) << Where;
    ASSERT_LE(Memo->LeftChar(), Memo->Lines()->WidestLength()) << Where;
    const TScrollStyle Bars = Memo->ScrollBars();
    if (!Memo->Controller()->IsActive() || (Bars != ssVertical && Bars != ssBoth) || Lines <= Memo->VisibleLines())
      continue;
    // A view that a taller window left past the last page shows on the bar
    // as the last page, as the system's bar would.
    TVsCtrlScrollBarStyles* V = Memo->VertScrollBarStyles();
    ASSERT_EQ(V->Position(), std::min(Memo->TopLine(), Lines - Memo->VisibleLines())) << Where;
    ASSERT_EQ(V->Max(), Lines - 1) << Where;
    ASSERT_EQ(V->Page(), Memo->VisibleLines()) << Where;
  }
}

// The controller's environment and the edit's units.
class TScrollEnvironment : public TControllerEnvironment {
public:
  void SetUp() override {
    TControllerEnvironment::SetUp();
    InitializeVsTools();
    InitializeVsEdits();
  }
};

[[maybe_unused]] const auto* const ScrollEnvironment = ::testing::AddGlobalTestEnvironment(new TScrollEnvironment);

}  // namespace
