// Random scroll-info records through the patch and random mouse sequences
// over the bars of a controlled window.
#include "SBControllerFixture.h"

#include <random>

namespace {

class VsSBControllerRandom : public VsSBControllerTest {
protected:
  void RunRandomRecords(int Bar, int Count, unsigned Seed);
  void RunMouseSequences(TVsSBHandlerCustom* Target, int Count, unsigned Seed);
};

}  // namespace

// Random records for one bar (any size up to 40, any mask, inverted
// ranges, huge pages) through the patch: the bar then holds what the
// system holds.
void VsSBControllerRandom::RunRandomRecords(int Bar, int Count, unsigned Seed) {
  std::mt19937 Rng(Seed);
  const UINT Masks[] = {SIF_RANGE, SIF_PAGE, SIF_POS, SIF_DISABLENOSCROLL, SIF_TRACKPOS};
  auto Value = [&] {
    switch (Rng() % 4) {
      case 0: return static_cast<int>(Rng() % 200) - 50;
      case 1: return static_cast<int>(Rng());
      case 2: return static_cast<int>(Rng() % 10);
      default: return -static_cast<int>(Rng() % 1000);
    }
  };
  for (int N = 0; N < Count; ++N) {
    SCROLLINFO I{};
    I.cbSize = Rng() % 4 == 0 ? Rng() % 41 : sizeof(SCROLLINFO);
    for (UINT M : Masks)
      if (Rng() % 2) I.fMask |= M;
    I.nMin = Value();
    I.nMax = Value();
    I.nPage = Rng() % 3 == 0 ? Rng() : Rng() % 40;
    I.nPos = Value();
    SetScrollInfo(Wnd(), Bar, &I, Rng() % 2);
    const SCROLLINFO S = SystemInfo(Wnd(), Bar);
    TVsSBHandlerCustom* B = Ctl->Bar(Bar);
    ASSERT_EQ(B->Min(), S.nMin) << N;
    ASSERT_EQ(B->Max(), S.nMax) << N;
    ASSERT_EQ(B->Page(), static_cast<int>(S.nPage)) << N;
    // A range without a position leaves the bar's position as it was.
    const bool PositionKept =
        I.cbSize == sizeof(SCROLLINFO) && (I.fMask & SIF_RANGE) && !(I.fMask & SIF_POS);
    if (!PositionKept) {
      ASSERT_EQ(B->Position(), S.nPos) << N;
    } else {
      SCROLLINFO Pos = Info(SIF_POS, 0, 0, 0, S.nPos);
      SetScrollInfo(Wnd(), Bar, &Pos, FALSE);
    }
  }
}

TEST_F(VsSBControllerRandom, RandomRecordsLeaveTheVerticalBarAsTheSystemHoldsIt) { RunRandomRecords(SB_VERT, 5000, 26); }
TEST_F(VsSBControllerRandom, RandomRecordsLeaveTheHorizontalBarAsTheSystemHoldsIt) {
  RunRandomRecords(SB_HORZ, 5000, 27);
}

// Random mouse sequences around one bar (in window coordinates, up to 30
// pixels beyond it), each ended by a release or a cancel: the positions
// stay in range, no press and no capture are left.
void VsSBControllerRandom::RunMouseSequences(TVsSBHandlerCustom* Target, int Count, unsigned Seed) {
  SCROLLINFO I = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 50);
  SetScrollInfo(Wnd(), SB_VERT, &I, TRUE);
  SetScrollInfo(Wnd(), SB_HORZ, &I, TRUE);
  std::mt19937 Rng(Seed);
  RECT W;
  GetWindowRect(Wnd(), &W);
  const TRect& R = Target->BarRect();
  const UINT Messages[] = {WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONUP,
                           WM_NCMOUSELEAVE, WM_CANCELMODE, WM_NCLBUTTONDBLCLK};
  for (int N = 0; N < Count; ++N) {
    const int Steps = 1 + static_cast<int>(Rng() % 6);
    for (int S = 0; S < Steps; ++S) {
      const UINT Msg = Messages[Rng() % std::size(Messages)];
      TPoint P{W.left + R.left - 30 + static_cast<int>(Rng() % (R.right - R.left + 61)),
               W.top + R.top - 30 + static_cast<int>(Rng() % (R.bottom - R.top + 61))};
      // Non-client messages carry the hit-test code the window gave, kept
      // off the caption and the borders.
      WPARAM Hit = 0;
      if (Msg == WM_NCLBUTTONDOWN || Msg == WM_NCLBUTTONDBLCLK || Msg == WM_NCMOUSEMOVE) {
        Hit = static_cast<WPARAM>(SendMessageW(Wnd(), WM_NCHITTEST, 0, Packed(P)));
        if (Hit != HTVSCROLL && Hit != HTHSCROLL && Hit != HTCLIENT) Hit = HTNOWHERE;
      }
      if (Msg == WM_MOUSEMOVE || Msg == WM_LBUTTONUP) ScreenToClient(Wnd(), &P);
      SendMessageW(Wnd(), Msg, Hit, Packed(P));
    }
    if (Rng() % 2)
      SendMessageW(Wnd(), WM_LBUTTONUP, 0, 0);
    else
      SendMessageW(Wnd(), WM_CANCELMODE, 0, 0);
    for (TVsSBHandlerCustom* B : {V(), H()}) {
      ASSERT_GE(B->Position(), B->Min()) << N;
      ASSERT_LE(B->Position(), std::max(B->Min(), B->Max() - B->Page() + 1)) << N;
      ASSERT_FALSE(B->Pressed()) << N;
    }
    ASSERT_EQ(GetCapture(), nullptr) << N;
  }
}

TEST_F(VsSBControllerRandom, RandomMouseSequencesOverTheVerticalBar) { RunMouseSequences(V(), 5000, 107); }
TEST_F(VsSBControllerRandom, RandomMouseSequencesOverTheHorizontalBar) { RunMouseSequences(H(), 5000, 108); }

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TControllerEnvironment);

