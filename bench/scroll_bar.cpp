// Times the custom vertical bar of a borderless window (17 x 400, range
// 0..999, page 50, position 500) beside the same window's system bar (the
// controller detached): 2,000 frame repaints (RedrawWindow with RDW_FRAME,
// RDW_INVALIDATE and RDW_UPDATENOW), themed and classic, and 100,000
// WM_NCHITTEST over the bar. The bar model's hit test and a 1,000-move thumb
// drag through the window's own scrolling code are printed as figures.
// Each time is the best of three rounds.
#include "BenchSupport.h"
#include <cstdio>

#include "Forms.h"
#include "StdCtrls.h"
#include "VsFrameworkUtils.h"
#include "VsHook.h"
#include "VsInprocHookAPI.h"
#include "VsSBController.h"
#include "VsSBPatch.h"
#include "VsUxTheme.h"
#include "Win.h"

namespace {

constexpr int Redraws = 2000;
constexpr int HitTests = 100000;
constexpr int ModelHitTests = 1000000;
constexpr int DragMoves = 1000;

// Scrolls with the system's functions, as any window's code does.
class TBenchForm : public TForm {
public:
  explicit TBenchForm(TComponent* AOwner) : TForm(AOwner) {}
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_VSCROLL) {
      const int Code = LOWORD(M.WParam);
      if (Code == SB_THUMBTRACK || Code == SB_THUMBPOSITION) SetScrollPos(Handle(), SB_VERT, HIWORD(M.WParam), TRUE);
      return;
    }
    TForm::WndProc(M);
  }
};

void SetRange(HWND Wnd) {
  SCROLLINFO Info{sizeof Info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 50, 500, 0};
  SetScrollInfo(Wnd, SB_VERT, &Info, TRUE);
}

double RedrawTime(HWND Wnd) {
  return Best(
      [Wnd] {
        for (int I = 0; I < Redraws; ++I) RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      },
      [] {}, 1);
}

double HitTestTime(HWND Wnd, LPARAM Point, LRESULT& Answer) {
  return Best(
      [&] {
        for (int I = 0; I < HitTests; ++I) Answer = SendMessageW(Wnd, WM_NCHITTEST, 0, Point);
      },
      [] {}, 1);
}

}  // namespace

int main() {
  InitializeForms();
  InitializeStdCtrls();
  InitializeVsInprocHookAPI();
  InitializeVsHook();
  InitializeVsFrameworkUtils();
  InitializeVsSBController();
  InitScrollBarPatch();
  int Code = 0;
  try {
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    auto* Form = Create<TBenchForm>(Application);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(20, 20, 300, 400);
    Form->Show();
    HWND Wnd = Form->Handle();
    auto* Ctl = Create<TVsSBController>(Form);
    TVsSBHandlerCustom* Bar = Ctl->VertScrollBarStyles();
    Bar->SetUseSystemMetrics(false);
    Bar->SetWidth(17);
    if (!ScrollBarPatchActive()) throw Exception("the scroll-bar patch is not in force");
    SetRange(Wnd);

    RECT W;
    GetWindowRect(Wnd, &W);
    const LPARAM OverBar = MAKELPARAM(W.right - 8, W.top + 200);

    // Rounds alternate between the system's bar (the controller detached)
    // and the custom one, so that a change of the machine's load falls on
    // both; each figure is the best of its rounds.
    double SystemRedraw = 1e9, SystemHit = 1e9, ClassicRedraw = 1e9, ThemedRedraw = 1e9, CustomHit = 1e9;
    LRESULT SystemAnswer = 0, CustomAnswer = 0;
    bool Themed = false;
    for (int Round = 0; Round < 3; ++Round) {
      Ctl->SetControl(nullptr);
      SetRange(Wnd);
      SystemRedraw = std::min(SystemRedraw, RedrawTime(Wnd));
      SystemHit = std::min(SystemHit, HitTestTime(Wnd, OverBar, SystemAnswer));
      Ctl->SetControl(Form);
      SetRange(Wnd);
      Ctl->SetUseXPThemes(false);
      ClassicRedraw = std::min(ClassicRedraw, RedrawTime(Wnd));
      BindUxTheme();
      Themed = ThemesAvailable && VsUxThemeApi.IsThemeActive && VsUxThemeApi.IsThemeActive();
      Ctl->SetUseXPThemes(true);
      ThemedRedraw = std::min(ThemedRedraw, RedrawTime(Wnd));
      CustomHit = std::min(CustomHit, HitTestTime(Wnd, OverBar, CustomAnswer));
      Ctl->SetUseXPThemes(false);
      UnbindUxTheme();
    }

    // The model alone: points along the bar.
    volatile int Sink = 0;
    const double ModelHit = Best([&] {
      for (int I = 0; I < ModelHitTests; ++I) Sink = Sink + Bar->HitTest(8, I % 400);
    });

    // A drag: press on the thumb, 1,000 moves down and up the bar, release.
    const TRect& R = Bar->BarRect();
    POINT Origin{0, 0};
    ClientToScreen(Wnd, &Origin);
    const int ThumbY = Bar->ThumbOffset() + Bar->ThumbLength() / 2;
    int Reported = 0;
    const double Drag = Best(
        [&] {
          SendMessageW(Wnd, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(W.left + R.left + 8, W.top + R.top + ThumbY));
          for (int I = 0; I < DragMoves; ++I) {
            const int Y = R.top + 17 + (I * 7) % 360;
            SendMessageW(Wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(W.left + R.left + 8 - Origin.x, W.top + Y - Origin.y));
          }
          SendMessageW(Wnd, WM_LBUTTONUP, 0, MAKELPARAM(W.left + R.left + 8 - Origin.x, W.top + R.top + ThumbY - Origin.y));
          Reported = GetScrollPos(Wnd, SB_VERT);
        },
        [&] { SetRange(Wnd); });

    std::printf("vertical bar 17 x 400, range 0..999, page 50, position 500; best of 3 alternating rounds\n");
    std::printf("%d frame repaints   system bar %8.1f ms   custom classic %8.1f ms   ratio %5.2f\n", Redraws,
                SystemRedraw * 1000, ClassicRedraw * 1000, ClassicRedraw / SystemRedraw);
    std::printf("%d frame repaints   system bar %8.1f ms   custom themed  %8.1f ms   ratio %5.2f%s\n", Redraws,
                SystemRedraw * 1000, ThemedRedraw * 1000, ThemedRedraw / SystemRedraw,
                Themed ? "" : "   (no active theme: classic)");
    std::printf("%d WM_NCHITTEST     system bar %8.1f ms   custom bar     %8.1f ms   ratio %5.2f   (answers %ld, %ld)\n",
                HitTests, SystemHit * 1000, CustomHit * 1000, CustomHit / SystemHit, static_cast<long>(SystemAnswer),
                static_cast<long>(CustomAnswer));
    std::printf("model hit test      %.1f ns a point\n", ModelHit / ModelHitTests * 1e9);
    std::printf("thumb drag          %d moves in %.1f ms (%.1f us a move), ended at %d\n", DragMoves, Drag * 1000,
                Drag / DragMoves * 1e6, Reported);
    FreeAndNil(Form);
  } catch (const Exception& E) {
    std::printf("the benchmark failed: %s\n", E.Message().c_str());
    Code = 1;
  } catch (...) {
    std::printf("the benchmark failed\n");
    Code = 1;
  }
  DoneScrollBarPatch();
  FinalizeVsFrameworkUtils();
  FinalizeVsHook();
  FinalizeForms();
  FinalizeVsInprocHookAPI();
  return Code;
}
