// Message pumping, waits with deadlines and a watchdog over modal loops for
// the window tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Win.h"

// Serves the application's messages until Done() holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& Done, DWORD TimeoutMs = 3000) {
  const DWORD Start = GetTickCount();
  for (;;) {
    Application->ProcessMessages();
    if (Done()) return true;
    if (GetTickCount() - Start > TimeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Serves the application's messages for Ms milliseconds.
inline void PumpFor(DWORD Ms) { PumpUntil([] { return false; }, Ms); }

// Keys through SendInput, as the keyboard gives them to the focused window:
// pressed in order, released in reverse, then SettleMs of messages served.
inline void PressKeys(std::initializer_list<Word> Keys, DWORD SettleMs = 60) {
  std::vector<INPUT> Inputs;
  for (Word Key : Keys) {
    INPUT In{};
    In.type = INPUT_KEYBOARD;
    In.ki.wVk = Key;
    Inputs.push_back(In);
  }
  for (auto It = Keys.end(); It != Keys.begin();) {
    INPUT In{};
    In.type = INPUT_KEYBOARD;
    In.ki.wVk = *--It;
    In.ki.dwFlags = KEYEVENTF_KEYUP;
    Inputs.push_back(In);
  }
  SendInput(static_cast<UINT>(Inputs.size()), Inputs.data(), sizeof(INPUT));
  PumpFor(SettleMs);
}

// PumpUntil that reports a failure naming What when the time is up.
inline bool WaitUntil(const char* What, const std::function<bool()>& Done, DWORD TimeoutMs = 5000) {
  if (PumpUntil(Done, TimeoutMs)) return true;
  ADD_FAILURE() << "waited " << TimeoutMs << " ms for " << What;
  return false;
}

// A form of the framework in its modal loop that has no answer yet: an
// answer (its ModalResult) ends the loop, and the next ShowModal starts at
// mrNone again. An answerer that acts only on such a form answers each
// showing once, whichever of its ticks comes first, and keeps no flag of
// its own that could outlive the test.
inline bool AwaitsAnswer(TCustomForm* Form) {
  return Form && Form->FormState().Contains(fsModal) && Form->Showing() && Form->ModalResult() == mrNone;
}

inline BOOL CALLBACK CollectWindow(HWND Window, LPARAM List) {
  reinterpret_cast<std::vector<HWND>*>(List)->push_back(Window);
  return TRUE;
}

// Ends every modal loop of the thread: an open menu, the system's dialogs
// and message boxes, and the framework's modal forms. Returns the captions
// of the windows it closed, for a failure message.
inline std::string EndModalLoops() {
  std::string Closed;
  const auto Note = [&Closed](HWND Window) {
    wchar_t Caption[256] = {};
    GetWindowTextW(Window, Caption, 256);
    char Utf8[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, Caption, -1, Utf8, sizeof Utf8, nullptr, nullptr);
    if (!Closed.empty()) Closed += ", ";
    Closed += std::string("\"") + Utf8 + "\"";
  };
  EndMenu();
  std::vector<HWND> Windows;
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&Windows));
  for (HWND Window : Windows) {
    if (!IsWindowVisible(Window)) continue;
    wchar_t Class[16] = {};
    GetClassNameW(Window, Class, 16);
    if (lstrcmpW(Class, L"#32770") == 0) {
      Note(Window);
      // Whichever of the buttons the box has; "No" before "OK", so that a
      // question is refused rather than agreed to.
      for (WPARAM Button : {IDCANCEL, IDNO, IDOK, IDABORT}) PostMessageW(Window, WM_COMMAND, Button, 0);
    } else if (auto* Form = dynamic_cast<TCustomForm*>(FindControl(Window));
               Form && Form->FormState().Contains(fsModal)) {
      Note(Window);
      Form->SetModalResult(mrCancel);
    }
  }
  return Closed;
}

// A deadline for whatever waits inside a modal loop: once TimeoutMs have
// passed and Done() does not hold, a failure names What and the modal
// loops are ended, again at each tick while the deadline lives.
class TModalDeadline {
public:
  TModalDeadline(std::string What, DWORD TimeoutMs, std::function<bool()> Done = [] { return false; })
      : FWhat(std::move(What)), FDone(std::move(Done)), FTimeout(TimeoutMs),
        FId(SetTimer(nullptr, 0, TimeoutMs, Fire)) {
    Live().push_back(this);
  }
  ~TModalDeadline() {
    KillTimer(nullptr, FId);
    std::erase(Live(), this);
  }
  TModalDeadline(const TModalDeadline&) = delete;
  TModalDeadline& operator=(const TModalDeadline&) = delete;
  // Whether the deadline passed.
  bool Expired() const { return FExpired; }

private:
  static std::vector<TModalDeadline*>& Live() {
    static std::vector<TModalDeadline*> Deadlines;
    return Deadlines;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR Id, DWORD) {
    try {
      for (TModalDeadline* Deadline : Live())
        if (Deadline->FId == Id) Deadline->Check();
    } catch (...) {
    }
  }
  // The timer first fires at the deadline, then at short ticks until the
  // loops are gone.
  void Check() {
    if (FDone()) return;
    const std::string Closed = EndModalLoops();
    if (FExpired) return;
    FExpired = true;
    KillTimer(nullptr, FId);
    FId = SetTimer(nullptr, 0, 100, Fire);
    ADD_FAILURE() << "waited " << FTimeout << " ms for " << FWhat
                  << (Closed.empty() ? std::string() : "; closed " + Closed);
  }

  std::string FWhat;
  std::function<bool()> FDone;
  DWORD FTimeout;
  UINT_PTR FId;
  bool FExpired = false;
};

// Every window test runs under a deadline: a test still going after
// WatchdogMs is stuck in a modal loop nobody answers, and fails naming the
// windows that were open, instead of hanging until the test runner kills
// the whole program.
constexpr DWORD WatchdogMs = 30000;

class TModalWatchdog : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& Test) override {
    FDeadline = std::make_unique<TModalDeadline>(std::string("the test ") + Test.name() + " to end", WatchdogMs);
  }
  void OnTestEnd(const ::testing::TestInfo&) override { FDeadline.reset(); }
  std::unique_ptr<TModalDeadline> FDeadline;
};

inline const bool ModalWatchdogInstalled =
    (::testing::UnitTest::GetInstance()->listeners().Append(new TModalWatchdog), true);

// Runs Cleanup after every test of the program, passed or failed: global
// state of a test file (steps that hold a test's locals, timers) goes with
// the test that set it, as a fixture's TearDown does for its own.
class TAfterEachTest : public ::testing::EmptyTestEventListener {
public:
  explicit TAfterEachTest(std::function<void()> Cleanup) : FCleanup(std::move(Cleanup)) {}
  void OnTestEnd(const ::testing::TestInfo&) override { FCleanup(); }

private:
  std::function<void()> FCleanup;
};

inline bool AfterEachTest(std::function<void()> Cleanup) {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TAfterEachTest(std::move(Cleanup)));
  return true;
}

// A memory DC over a bitmap of its own filled with one colour, for drawing
// pictures to compare and reading their pixels.
class TMemoryDC {
public:
  TMemoryDC(int Width, int Height, COLORREF Background = RGB(255, 0, 255)) : FWidth(Width), FHeight(Height) {
    HDC Screen = GetDC(nullptr);
    FDC = CreateCompatibleDC(Screen);
    FBitmap = CreateCompatibleBitmap(Screen, Width, Height);
    ReleaseDC(nullptr, Screen);
    FOld = SelectObject(FDC, FBitmap);
    HBRUSH Fill = CreateSolidBrush(Background);
    const RECT R{0, 0, Width, Height};
    FillRect(FDC, &R, Fill);
    DeleteObject(Fill);
  }
  ~TMemoryDC() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC DC() const { return FDC; }
  COLORREF At(int X, int Y) const { return GetPixel(FDC, X, Y); }
  // How many pixels of the rectangle (or of the whole picture) have the colour.
  int Count(const TRect& R, COLORREF Color) const {
    int N = 0;
    for (int Y = R.top; Y < R.bottom; ++Y)
      for (int X = R.left; X < R.right; ++X) N += At(X, Y) == Color;
    return N;
  }
  int Count(COLORREF Color) const { return Count(TRect{0, 0, FWidth, FHeight}, Color); }

private:
  int FWidth, FHeight;
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

// A control painted by itself into a bitmap over a known background, for
// reading its pixels.
class TShot : public TMemoryDC {
public:
  explicit TShot(TControl* Control, COLORREF Background = RGB(255, 0, 255))
      : TMemoryDC(Control->Width(), Control->Height(), Background) {
    if (auto* W = dynamic_cast<TWinControl*>(Control))
      W->PaintTo(DC(), 0, 0);
    else
      Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC()), 0);
  }
};

inline BOOL CALLBACK FindVisibleHint(HWND Wnd, LPARAM Data) {
  auto* Hint = dynamic_cast<THintWindow*>(FindControl(Wnd));
  if (Hint && IsWindowVisible(Wnd)) *reinterpret_cast<THintWindow**>(Data) = Hint;
  return TRUE;
}

// The application's hint window while it is on the screen, else null.
inline THintWindow* VisibleHintWindow() {
  THintWindow* Found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleHint, reinterpret_cast<LPARAM>(&Found));
  return Found;
}
