// Shared by the controller's window tests: a window that scrolls with the
// system's functions, a controller with 23-pixel bars attached to it, and
// the program's start-up with the scroll-bar patch in force.
#pragma once

#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "VsFrameworkUtils.h"
#include "VsHintWindow.h"
#include "VsHook.h"
#include "VsInprocHookAPI.h"
#include "VsSBController.h"
#include "VsSBPatch.h"
#include "VsUxTheme.h"


constexpr int BarWidth = 23;

// A window whose scrolling code knows nothing of custom bars: it reads and
// sets the position with the system's functions.
class TScrollForm : public TForm {
public:
  explicit TScrollForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<int> Codes;
  bool LineScrolls = true;
  std::function<void()> OnSized;

  void WndProc(TMessage& M) override {
    if (M.Msg == WM_VSCROLL || M.Msg == WM_HSCROLL) {
      const int Bar = M.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
      const int Code = LOWORD(M.WParam);
      Codes.push_back(Code);
      int Pos = GetScrollPos(Handle(), Bar);
      if (Code == SB_LINEUP || Code == SB_LINEDOWN) {
        if (!LineScrolls) return;
        Pos += Code == SB_LINEUP ? -1 : 1;
      } else if (Code == SB_THUMBPOSITION || Code == SB_THUMBTRACK) {
        Pos = HIWORD(M.WParam);
      } else {
        return;
      }
      SetScrollPos(Handle(), Bar, Pos, TRUE);
      return;
    }
    TForm::WndProc(M);
    if (M.Msg == WM_SIZE && OnSized) OnSized();
  }
};

inline SCROLLINFO Info(UINT Mask, int Min, int Max, int Page, int Pos) {
  return SCROLLINFO{sizeof(SCROLLINFO), Mask, Min, Max, static_cast<UINT>(Page), Pos, 0};
}

inline SCROLLINFO SystemInfo(HWND Wnd, int Bar) {
  SCROLLINFO I = Info(SIF_ALL, 0, 0, 0, 0);
  GetScrollInfo(Wnd, Bar, &I);
  return I;
}

// Pixels of a bar's rectangle on the window that differ from the bar's own
// painting, every second pixel each way.
inline int ForeignSamples(HWND Wnd, TVsSBHandlerCustom* Bar) {
  const TRect& R = Bar->BarRect();
  const int W = R.right - R.left + 1, H = R.bottom - R.top + 1;
  HDC WindowDC = GetWindowDC(Wnd);
  HDC Mem = CreateCompatibleDC(WindowDC);
  HBITMAP Bitmap = CreateCompatibleBitmap(WindowDC, W, H);
  HGDIOBJ Old = SelectObject(Mem, Bitmap);
  Bar->Paint(Mem);
  int Foreign = 0;
  for (int Y = 0; Y < H; Y += 2)
    for (int X = 0; X < W; X += 2) Foreign += GetPixel(WindowDC, R.left + X, R.top + Y) != GetPixel(Mem, X, Y);
  SelectObject(Mem, Old);
  DeleteObject(Bitmap);
  DeleteDC(Mem);
  ReleaseDC(Wnd, WindowDC);
  return Foreign;
}

// A point of a bar's rectangle in screen coordinates.
inline TPoint OnScreen(HWND Wnd, TVsSBHandlerCustom* Bar, int X, int Y) {
  RECT W;
  GetWindowRect(Wnd, &W);
  return TPoint{W.left + Bar->BarRect().left + X, W.top + Bar->BarRect().top + Y};
}

inline LPARAM Packed(const TPoint& P) { return MAKELPARAM(P.x, P.y); }

class VsSBControllerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(ScrollBarPatchActive());
    Form = Create<TScrollForm>(Application);
    Form->SetBorderStyle(BorderStyle);
    Form->SetBounds(40, 40, 300, 220);
    Form->Show();
    SetForegroundWindow(Form->Handle());
    Ctl = Create<TVsSBController>(Form);
    for (TVsSBHandlerCustom* B : {static_cast<TVsSBHandlerCustom*>(Ctl->HorzScrollBarStyles()),
                                  static_cast<TVsSBHandlerCustom*>(Ctl->VertScrollBarStyles())}) {
      B->SetUseSystemMetrics(false);
      B->SetWidth(BarWidth);
    }
    Ctl->SetControl(Form);
    ASSERT_TRUE(Ctl->IsActive());
  }
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    FreeAndNil(Form);
  }
  HWND Wnd() const { return Form->Handle(); }
  TVsSBHandlerCustom* V() const { return Ctl->VertScrollBarStyles(); }
  TVsSBHandlerCustom* H() const { return Ctl->HorzScrollBarStyles(); }
  void Repaint() {
    RedrawWindow(Wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(20);
  }
  void ExpectBarAsSystem(int Bar) {
    const SCROLLINFO S = SystemInfo(Wnd(), Bar);
    TVsSBHandlerCustom* B = Ctl->Bar(Bar);
    EXPECT_EQ(B->Min(), S.nMin);
    EXPECT_EQ(B->Max(), S.nMax);
    EXPECT_EQ(B->Page(), static_cast<int>(S.nPage));
    EXPECT_EQ(B->Position(), S.nPos);
  }

  TFormBorderStyle BorderStyle = bsSingle;
  TScrollForm* Form = nullptr;
  TVsSBController* Ctl = nullptr;
};

// The program's units, the patch included; each test program adds it once.
class TControllerEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeVsInprocHookAPI();
    InitializeVsHook();
    InitializeVsFrameworkUtils();
    InitializeVsSBController();
    InitializeVsHintWindow();
    InitScrollBarPatch();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override {
    DoneScrollBarPatch();
    FinalizeVsFrameworkUtils();
    FinalizeVsHook();
    FinalizeForms();
    FinalizeVsInprocHookAPI();
  }
};

