// The controller on real windows with the scroll-bar patch in force: the
// window's own scrolling code reaches the custom bars, the bars take their
// room and paint it, the mouse reaches them, and the system's own list box
// and nested calls keep the bars in step with the system's state.
#include "SBControllerFixture.h"

TEST_F(VsSBControllerTest, WindowsOwnCallReachesTheBarWhichTakesItsRoomAndPaintsIt) {
  RECT Before;
  GetClientRect(Wnd(), &Before);
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  EXPECT_EQ(V()->Min(), 0);
  EXPECT_EQ(V()->Max(), 99);
  EXPECT_EQ(V()->Page(), 10);
  EXPECT_EQ(V()->Position(), 5);
  ExpectBarAsSystem(SB_VERT);
  EXPECT_TRUE(GetWindowLongW(Wnd(), GWL_STYLE) & WS_VSCROLL);
  RECT After;
  GetClientRect(Wnd(), &After);
  EXPECT_EQ(Before.right - After.right, BarWidth);
  EXPECT_EQ(After.bottom, Before.bottom);
  Repaint();
  EXPECT_EQ(ForeignSamples(Wnd(), V()), 0);
  // The same samples with the controller gone show the system's bar.
  Ctl->SetControl(nullptr);
  Repaint();
  EXPECT_GT(ForeignSamples(Wnd(), V()), 20);
}

TEST_F(VsSBControllerTest, ProgramsCallIsServedOnceAtUser32AndTheSystemsOwnAtWin32u) {
  const int User32 = ScrollBarPatchHits(1), Win32u = ScrollBarPatchHits(5);
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  EXPECT_EQ(ScrollBarPatchHits(1), User32 + 1);
  EXPECT_EQ(ScrollBarPatchHits(5), Win32u);
  EXPECT_EQ(ScrollBarCallMode(5), scmTrampoline);
}

TEST_F(VsSBControllerTest, HorizontalBarEndsBesideTheVerticalOneWithoutBorders) {
  for (TFormBorderStyle Style : {bsNone, bsSingle}) {
    SCOPED_TRACE(Style);
    Form->SetBorderStyle(Style);
    Ctl->SetControl(nullptr);
    Ctl->SetControl(Form);
    SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 10, 0);
    SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
    SetScrollInfo(Wnd(), SB_HORZ, &I, TRUE);
    RECT Client;
    GetClientRect(Wnd(), &Client);
    const TRect& HR = H()->BarRect();
    const TRect& VR = V()->BarRect();
    EXPECT_EQ(HR.right, HR.left + Client.right - 1);
    EXPECT_EQ(HR.right + 1, VR.left);
    EXPECT_EQ(VR.bottom + 1, HR.top);
    EXPECT_EQ(H()->Length(), Client.right);
    EXPECT_EQ(V()->Length(), Client.bottom);
  }
}

TEST_F(VsSBControllerTest, ArrowPressScrollsThroughTheWindowsOwnCode) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  const int L = V()->Length();
  const TPoint Arrow = OnScreen(Wnd(), V(), BarWidth / 2, L - 5);
  EXPECT_EQ(SendMessageW(Wnd(), WM_NCHITTEST, 0, Packed(Arrow)), HTVSCROLL);
  SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTVSCROLL, Packed(Arrow));
  EXPECT_EQ(GetCapture(), Wnd());
  POINT Client = Arrow;
  ScreenToClient(Wnd(), &Client);
  SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(Client.x, Client.y));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Form->Codes, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
  EXPECT_EQ(V()->Position(), 6);
  EXPECT_EQ(GetScrollPos(Wnd(), SB_VERT), 6);

  // A real click on the arrow.
  Form->Codes.clear();
  SetCursorPos(Arrow.x, Arrow.y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  WaitUntil("the bar to move to 7", [&] { return V()->Position() >= 7; });
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  WaitUntil("the press to end", [&] { return !V()->Pressed(); });
  ASSERT_FALSE(Form->Codes.empty());
  EXPECT_EQ(Form->Codes.front(), SB_LINEDOWN);
  const int Lines = static_cast<int>(std::count(Form->Codes.begin(), Form->Codes.end(), SB_LINEDOWN));
  EXPECT_EQ(V()->Position(), 6 + Lines);
  EXPECT_EQ(GetCapture(), nullptr);

  // The window's SetScrollPos answers with the previous position.
  EXPECT_EQ(SetScrollPos(Wnd(), SB_VERT, 50, TRUE), 6 + Lines);
  EXPECT_EQ(V()->Position(), 50);

  // A window that does not scroll by lines gets the position instead.
  Form->Codes.clear();
  Form->LineScrolls = false;
  SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTVSCROLL, Packed(Arrow));
  SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(Client.x, Client.y));
  EXPECT_EQ(Form->Codes, (std::vector<int>{SB_LINEDOWN, SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_EQ(V()->Position(), 51);
}

TEST_F(VsSBControllerTest, ShowScrollBarThroughTheInterfaceChangesOnlyTheScrollStyles) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  SetScrollInfo(Wnd(), SB_HORZ, &I, TRUE);
  const LONG Style = GetWindowLongW(Wnd(), GWL_STYLE);
  ASSERT_EQ(Style & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
  EXPECT_TRUE(ShowScrollBar(Wnd(), SB_BOTH, FALSE));
  EXPECT_EQ(GetWindowLongW(Wnd(), GWL_STYLE), Style & ~(WS_HSCROLL | WS_VSCROLL));
  EXPECT_TRUE(ShowScrollBar(Wnd(), SB_VERT, TRUE));
  EXPECT_EQ(GetWindowLongW(Wnd(), GWL_STYLE), (Style & ~WS_HSCROLL));
}

TEST_F(VsSBControllerTest, RangeAloneIsTakenWholeThroughThePatchButNotThroughTheInterface) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 50);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  SCROLLINFO Range = Info(SIF_RANGE, 0, 40, 0, 0);
  Ctl->API()->SetScrollInfo(SB_VERT, &Range, TRUE);
  EXPECT_EQ(V()->Max(), 99);
  SetScrollInfo(Wnd(), SB_VERT, &Range, TRUE);
  EXPECT_EQ(V()->Max(), 40);
  EXPECT_EQ(V()->Position(), 50);
  // The interface's other slots.
  int Min = -1, Max = -1;
  EXPECT_TRUE(Ctl->API()->GetScrollRange(SB_VERT, &Min, &Max));
  EXPECT_EQ(Max, 40);
  EXPECT_TRUE(Ctl->API()->SetScrollRange(SB_VERT, 0, 60, FALSE));
  EXPECT_FALSE(Ctl->API()->SetScrollRange(SB_VERT, 70, 80, FALSE));  // the position lies outside
  EXPECT_EQ(Ctl->API()->SetScrollPos(SB_VERT, 61, FALSE), -1);
  EXPECT_EQ(Ctl->API()->SetScrollPos(SB_VERT, 20, FALSE), 50);
  EXPECT_FALSE(Ctl->API()->EnableScrollBar(SB_VERT, ESB_DISABLE_BOTH));
  EXPECT_TRUE(V()->NoDisableButtons());
  EXPECT_TRUE(Ctl->API()->EnableScrollBar(SB_CTL, ESB_ENABLE_BOTH));
  void* Same = nullptr;
  EXPECT_EQ(Ctl->API()->QueryInterface(IID_IVsScrollBarAPI, &Same), S_OK);
  EXPECT_EQ(Same, Ctl->API());
  EXPECT_EQ(reinterpret_cast<IVsScrollBarAPI*>(SendMessageW(Wnd(), VS_SBCONTROL, SBControlGetAPI, 0)), Ctl->API());
}

namespace {

class TCornerPainter : public TObject {
public:
  bool Clear = false;
  void Paint(TObject*, TCanvas* Canvas, const TRect& R, bool& DefaultDraw) {
    if (!Clear) return;
    Canvas->Brush()->SetColor(clRed);
    Canvas->FillRect(R);
    DefaultDraw = false;
  }
};

}  // namespace

TEST_F(VsSBControllerTest, CornerSquareIsButtonFaceUnlessTheHandlerDrawsIt) {
  TCornerPainter Painter;
  Ctl->OnPaintCrossScrollBarsArea = TVsPaintCrossAreaEvent(&Painter, &TCornerPainter::Paint);
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  SetScrollInfo(Wnd(), SB_HORZ, &I, TRUE);
  auto Corner = [&] {
    Repaint();
    HDC DC = GetWindowDC(Wnd());
    const COLORREF C = GetPixel(DC, V()->BarRect().left + BarWidth / 2, H()->BarRect().top + BarWidth / 2);
    ReleaseDC(Wnd(), DC);
    return C;
  };
  EXPECT_EQ(Corner(), static_cast<COLORREF>(GetSysColor(COLOR_BTNFACE)));
  Painter.Clear = true;
  EXPECT_EQ(Corner(), RGB(255, 0, 0));
}

TEST_F(VsSBControllerTest, RealEnableScrollBarLeavesTheCustomBarOnTop) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  Repaint();
  EnableScrollBar(Wnd(), SB_VERT, ESB_DISABLE_BOTH);
  EXPECT_EQ(ForeignSamples(Wnd(), V()), 0);
  EnableScrollBar(Wnd(), SB_VERT, ESB_ENABLE_BOTH);
  EXPECT_EQ(ForeignSamples(Wnd(), V()), 0);
}

TEST_F(VsSBControllerTest, SystemListBoxKeepsItsBarInStep) {
  auto* List = Create<TListBox>(Form);
  List->SetParent(Form);
  List->SetBounds(10, 10, 150, 120);
  auto* ListCtl = Create<TVsSBController>(Form);
  ListCtl->VertScrollBarStyles()->SetUseSystemMetrics(false);
  ListCtl->VertScrollBarStyles()->SetWidth(BarWidth);
  List->HandleNeeded();
  ListCtl->SetControl(List);
  for (int N = 0; N < 50; ++N) List->Items()->Add(AnsiString("row ") + std::to_string(N));
  SendMessageW(List->Handle(), LB_SETTOPINDEX, 20, 0);
  const SCROLLINFO S = SystemInfo(List->Handle(), SB_VERT);
  TVsSBHandlerCustom* B = ListCtl->VertScrollBarStyles();
  EXPECT_EQ(S.nMax, 49);
  EXPECT_EQ(S.nPos, 20);
  EXPECT_EQ(B->Min(), S.nMin);
  EXPECT_EQ(B->Max(), S.nMax);
  EXPECT_EQ(B->Page(), static_cast<int>(S.nPage));
  EXPECT_EQ(B->Position(), S.nPos);
  RECT R;
  GetClientRect(List->Handle(), &R);
  RECT W;
  GetWindowRect(List->Handle(), &W);
  EXPECT_EQ((W.right - W.left) - R.right - ListCtl->Borders().left - ListCtl->Borders().right, BarWidth);
}

// A second patch of this module, as if every routine had an unknown
// prefix, for the length of one test.
class TRestoreMode {
public:
  TRestoreMode() { Reinit(true); }
  ~TRestoreMode() { Reinit(false); }

private:
  static void Reinit(bool Force) {
    DoneScrollBarPatch();
    ForceRestoreCallMode(Force);
    InitScrollBarPatch();
    ForceRestoreCallMode(false);
  }
};

TEST_F(VsSBControllerTest, NestedCallDuringTheRealOneLeavesTheBarAsTheSystem) {
  for (bool Restore : {false, true}) {
    SCOPED_TRACE(Restore ? "restore, call, re-patch" : "trampoline");
    std::unique_ptr<TRestoreMode> Mode;
    if (Restore) Mode = std::make_unique<TRestoreMode>();
    ASSERT_TRUE(ScrollBarPatchActive());
    for (int I = 0; I < 5; ++I)
      EXPECT_EQ(ScrollBarCallMode(I), Restore ? scmRestore : scmTrampoline) << I;
    ShowScrollBar(Wnd(), SB_VERT, FALSE);
    bool Inside = false;
    Form->OnSized = [&] {
      if (Inside) return;
      Inside = true;
      SCROLLINFO Page = Info(SIF_PAGE, 0, 0, 26, 0);
      SetScrollInfo(Wnd(), SB_VERT, &Page, TRUE);
      Inside = false;
    };
    SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
    SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
    Form->OnSized = nullptr;
    EXPECT_EQ(SystemInfo(Wnd(), SB_VERT).nPage, 26u);
    ExpectBarAsSystem(SB_VERT);
    EXPECT_EQ(SetScrollPos(Wnd(), SB_VERT, 30, TRUE), 5);
    ExpectBarAsSystem(SB_VERT);
  }
}

TEST_F(VsSBControllerTest, PointerOverTheBarLeavesItCustomAfterTheSystemDrewOnce) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  Ctl->SetControl(nullptr);
  Repaint();  // the system's bar, once
  Ctl->SetControl(Form);
  Repaint();
  ASSERT_EQ(ForeignSamples(Wnd(), V()), 0);
  for (int Y : {5, 40, 80, V()->Length() - 5}) {
    const TPoint P = OnScreen(Wnd(), V(), BarWidth / 2, Y);
    SetCursorPos(P.x, P.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    PumpFor(30);
  }
  RECT W;
  GetWindowRect(Wnd(), &W);
  ASSERT_TRUE(V()->MouseInside());
  SetCursorPos(W.left - 20, W.top - 20);
  mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
  WaitUntil("the bar to hear that the pointer left", [&] { return !V()->MouseInside(); });
  EXPECT_EQ(ForeignSamples(Wnd(), V()), 0);
}

namespace {

// The interface of a plain window of another thread: counts what reaches it.
class TCountingAPI : public IVsScrollBarAPI {
public:
  HRESULT __stdcall QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG __stdcall AddRef() override { return 1; }
  ULONG __stdcall Release() override { return 1; }
  BOOL __stdcall EnableScrollBar(int, UINT) override { return TRUE; }
  BOOL __stdcall GetScrollRange(int, int*, int*) override { return TRUE; }
  int __stdcall GetScrollPos(int) override { return 0; }
  BOOL __stdcall GetScrollInfo(int, SCROLLINFO* I) override {
    *I = Last;
    return TRUE;
  }
  int __stdcall SetScrollInfo(int, const SCROLLINFO*, BOOL) override { return 0; }
  BOOL __stdcall SetScrollRange(int, int, int, BOOL) override { return TRUE; }
  BOOL __stdcall ShowScrollBar(int, BOOL) override { return TRUE; }
  int __stdcall SetScrollPos(int, int, BOOL) override { return 0; }
  void __stdcall NotifyScrollInfo(int, const SCROLLINFO* I, BOOL) override {
    ++Notified;
    Last.nMin = I->nMin, Last.nMax = I->nMax, Last.nPage = I->nPage, Last.nPos = I->nPos;
  }
  SCROLLINFO Last{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  int Notified = 0;
};

TCountingAPI* GThreadAPI = nullptr;

LRESULT CALLBACK CountingProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (VS_SBCONTROL && Msg == VS_SBCONTROL && W == SBControlGetAPI) return reinterpret_cast<LRESULT>(GThreadAPI);
  return DefWindowProcW(Wnd, Msg, W, L);
}

struct TThreadRun {
  HWND Foreign = nullptr;  // a window of the main thread
  int Calls = 0;
  int Served = 0;
  int ForeignServed = 0;
};

DWORD WINAPI ScrollThread(void* Param) {
  auto* Run = static_cast<TThreadRun*>(Param);
  TCountingAPI API;
  GThreadAPI = &API;
  WNDCLASSW Class{};
  Class.lpfnWndProc = &CountingProc;
  Class.hInstance = GetModuleHandleW(nullptr);
  Class.lpszClassName = L"VsSBThreadWindow";
  RegisterClassW(&Class);
  HWND Wnd = CreateWindowExW(0, Class.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 200, 200, nullptr, nullptr,
                             Class.hInstance, nullptr);
  for (int N = 0; N < 2000; ++N) {
    SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100 + N % 50, 10, N % 60);
    SetScrollInfo(Wnd, SB_VERT, &I, FALSE);
    ++Run->Calls;
  }
  Run->Served = API.Notified;
  // The main thread's window is not asked (it is waiting, not serving).
  const int Before = API.Notified;
  SCROLLINFO I = Info(SIF_POS, 0, 0, 0, 3);
  SetScrollInfo(Run->Foreign, SB_VERT, &I, FALSE);
  Run->ForeignServed = API.Notified - Before;
  DestroyWindow(Wnd);
  UnregisterClassW(Class.lpszClassName, Class.hInstance);
  GThreadAPI = nullptr;
  return 0;
}

}  // namespace

TEST_F(VsSBControllerTest, CallsOfTwoThreadsAreEachServedOnTheirOwnWindow) {
  TThreadRun Run;
  Run.Foreign = Wnd();
  HANDLE Thread = CreateThread(nullptr, 0, &ScrollThread, &Run, 0, nullptr);
  ASSERT_NE(Thread, nullptr);
  for (int N = 0; N < 2000; ++N) {
    SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 200 + N % 50, 10, N % 90);
    SetScrollInfo(Wnd(), SB_VERT, &I, FALSE);
    ASSERT_EQ(V()->Max(), 200 + N % 50);
  }
  const DWORD Waited = WaitForSingleObject(Thread, 10000);
  CloseHandle(Thread);
  ASSERT_EQ(Waited, WAIT_OBJECT_0) << "waited 10 s for the second thread's calls";
  EXPECT_EQ(Run.Calls, 2000);
  EXPECT_EQ(Run.Served, 2000);
  EXPECT_EQ(Run.ForeignServed, 0);
  ExpectBarAsSystem(SB_VERT);
}


namespace {

class THintSource : public TObject {
public:
  void Needed(TObject*, int Position, WideString& Hint) {
    Hint = Position == 0 ? WideString() : L"Pozycja " + std::to_wstring(Position);
  }
};

}  // namespace

TEST_F(VsSBControllerTest, TrackHintFollowsTheThumbAndGoesWithTheRelease) {
  THintSource Source;
  V()->SetShowTrackHint(true);
  V()->OnScrollHintNeeded = TVsScrollHintEvent(&Source, &THintSource::Needed);
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 50);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  const int ThumbY = V()->ThumbOffset() + V()->ThumbLength() / 2;
  const TPoint Thumb = OnScreen(Wnd(), V(), BarWidth / 2, ThumbY);
  SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTVSCROLL, Packed(Thumb));
  ASSERT_TRUE(V()->Dragging());
  ASSERT_NE(V()->TrackHint(), nullptr);
  EXPECT_EQ(V()->TrackHint()->WideCaption(), L"Pozycja 50");
  POINT Client{Thumb.x, Thumb.y + 30};
  ScreenToClient(Wnd(), &Client);
  SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(Client.x, Client.y));
  TVsHintWindow* Hint = V()->TrackHint();
  ASSERT_NE(Hint, nullptr);
  EXPECT_TRUE(IsWindowVisible(Hint->Handle()));
  EXPECT_EQ(Hint->WideCaption(), L"Pozycja " + std::to_wstring(V()->TrackPos()));
  RECT HR;
  GetWindowRect(Hint->Handle(), &HR);
  const TPoint Beside = OnScreen(Wnd(), V(), 0, V()->ThumbOffset());
  EXPECT_EQ(HR.right, Beside.x - 1);
  EXPECT_EQ(HR.bottom, Beside.y - 1);
  // Dragged to the range's start the handler gives no text: no hint.
  POINT Top{Thumb.x, Thumb.y - 200};
  ScreenToClient(Wnd(), &Top);
  SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(Top.x, Top.y));
  EXPECT_EQ(V()->TrackHint(), nullptr);
  SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(Client.x, Client.y));
  EXPECT_NE(V()->TrackHint(), nullptr);
  SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(Client.x, Client.y));
  EXPECT_EQ(V()->TrackHint(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(VsSBControllerTest, PressOnTheOtherBarDuringADragEndsItWithoutAPosition) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 50);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  SetScrollInfo(Wnd(), SB_HORZ, &I, TRUE);
  const TPoint Thumb = OnScreen(Wnd(), V(), BarWidth / 2, V()->ThumbOffset() + 2);
  SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTVSCROLL, Packed(Thumb));
  POINT Client{Thumb.x, Thumb.y + 20};
  ScreenToClient(Wnd(), &Client);
  SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(Client.x, Client.y));
  const TPoint Other = OnScreen(Wnd(), H(), 40, BarWidth / 2);
  SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTHSCROLL, Packed(Other));
  EXPECT_FALSE(H()->Pressed());
  SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(Client.x, Client.y));
  EXPECT_EQ(Form->Codes, (std::vector<int>{SB_THUMBTRACK}));
  EXPECT_FALSE(V()->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
}


// The table bound to the system's theme library for one test.
class TBoundThemes {
public:
  explicit TBoundThemes(TVsSBController* Ctl) : FCtl(Ctl) { BindUxTheme(); }
  ~TBoundThemes() {
    FCtl->SetUseXPThemes(false);
    UnbindUxTheme();
  }

private:
  TVsSBController* FCtl;
};

TEST_F(VsSBControllerTest, ThemedBarDrawsTheSystemsScrollBarParts) {
  TBoundThemes Bound(Ctl);
  if (!ThemesAvailable || !VsUxThemeApi.IsThemeActive || !VsUxThemeApi.IsThemeActive())
    GTEST_SKIP() << "no active system theme";
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 50);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  // The bar and the system's library drawing the same parts beside it.
  const int L = V()->Length();
  HDC Screen = GetDC(nullptr);
  HDC Own = CreateCompatibleDC(Screen), Oracle = CreateCompatibleDC(Screen);
  HBITMAP OwnBitmap = CreateCompatibleBitmap(Screen, BarWidth, L);
  HBITMAP OracleBitmap = CreateCompatibleBitmap(Screen, BarWidth, L);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldOwn = SelectObject(Own, OwnBitmap), OldOracle = SelectObject(Oracle, OracleBitmap);
  V()->Paint(Own);
  HTHEME Theme = VsUxThemeApi.OpenThemeData(Wnd(), L"SCROLLBAR");
  ASSERT_NE(Theme, nullptr);
  const int Bs = V()->ButtonLength();
  const RECT Up{0, 0, BarWidth, Bs}, Down{0, L - Bs, BarWidth, L};
  const RECT Thumb{0, V()->ThumbOffset(), BarWidth, V()->ThumbOffset() + V()->ThumbLength()};
  VsUxThemeApi.DrawThemeBackground(Theme, Oracle, 1, 1, &Up, nullptr);    // up, normal
  VsUxThemeApi.DrawThemeBackground(Theme, Oracle, 1, 5, &Down, nullptr);  // down, normal
  VsUxThemeApi.DrawThemeBackground(Theme, Oracle, 3, 1, &Thumb, nullptr);
  VsUxThemeApi.CloseThemeData(Theme);
  int Compared = 0, Differ = 0;
  for (const RECT& R : {Up, Down, Thumb})
    for (int Y = R.top + 2; Y < R.bottom - 2; Y += 2)
      for (int X = 2; X < BarWidth - 2; X += 2) {
        // The gripper lies over the thumb's middle; its edges are compared.
        if (&R == &Thumb && Y > R.top + 4 && Y < R.bottom - 4) continue;
        const COLORREF A = GetPixel(Own, X, Y), B = GetPixel(Oracle, X, Y);
        ++Compared;
        Differ += std::abs(GetRValue(A) - GetRValue(B)) + std::abs(GetGValue(A) - GetGValue(B)) +
                      std::abs(GetBValue(A) - GetBValue(B)) > 24;
      }
  SelectObject(Own, OldOwn);
  SelectObject(Oracle, OldOracle);
  DeleteObject(OwnBitmap);
  DeleteObject(OracleBitmap);
  DeleteDC(Own);
  DeleteDC(Oracle);
  EXPECT_GT(Compared, 100);
  EXPECT_LE(Differ, Compared / 20);
}

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TControllerEnvironment);

