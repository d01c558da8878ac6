// The input processor under Wine's input method, and the timeout thread
// that ends a typed prefix, with a message loop serving it.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <functional>
#include <memory>

#include "Threads.h"
#include "VsKeyboardInput.h"
#include "VsTools.h"

namespace {

// Serves this thread's messages until Done() holds or the time is up.
bool PumpUntil(const std::function<bool()>& Done, DWORD TimeoutMs) {
  const DWORD Start = GetTickCount();
  for (;;) {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
    if (Done()) return true;
    if (GetTickCount() - Start > TimeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(DWORD Ms) { PumpUntil([] { return false; }, Ms); }

TVsKeyboardInput* Routed = nullptr;

LRESULT CALLBACK ImeProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_IME_COMPOSITION && Routed) {
    TMessage M{Msg, W, L, 0};
    Routed->WMIMEComposition(M);
    if (L & GCS_RESULTSTR) return 0;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

TEST(VsKeyboardInputIme, ResultStringOfTheInputMethodIsAddedWhole) {
  InitializeVsTools();
  const HMODULE Imm = LoadLibraryA("IMM32");
  ASSERT_NE(Imm, nullptr);
  using TSetString = BOOL(WINAPI*)(HIMC, DWORD, LPVOID, DWORD, LPVOID, DWORD);
  using TNotify = BOOL(WINAPI*)(HIMC, DWORD, DWORD, DWORD);
  auto SetString = reinterpret_cast<TSetString>(reinterpret_cast<void*>(GetProcAddress(Imm, "ImmSetCompositionStringW")));
  auto Notify = reinterpret_cast<TNotify>(reinterpret_cast<void*>(GetProcAddress(Imm, "ImmNotifyIME")));
  ASSERT_TRUE(SetString && Notify);
  WNDCLASSA Class{};
  Class.lpfnWndProc = &ImeProc;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.lpszClassName = "VsKeyboardInputIme";
  RegisterClassA(&Class);
  HWND Wnd = CreateWindowExA(0, Class.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                             nullptr, Class.hInstance, nullptr);
  ASSERT_NE(Wnd, nullptr);
  TVsKeyboardInput Input;
  Input.SetTargetWindow(Wnd);
  Routed = &Input;
  Input.DoText(L"x");
  const HIMC Context = VsKeyboardApi().ImmGetContext(Wnd);
  ASSERT_NE(Context, nullptr);
  WCHAR Text[] = L"\x0105" L"bc";
  EXPECT_TRUE(SetString(Context, SCS_SETSTR, Text, sizeof(Text) - sizeof(WCHAR), nullptr, 0));
  EXPECT_TRUE(Notify(Context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  VsKeyboardApi().ImmReleaseContext(Wnd, Context);
  PumpFor(50);
  Routed = nullptr;
  DestroyWindow(Wnd);
  EXPECT_EQ(Input.Text(), L"x\x0105" L"bc");
}

// Every handler call, of any owner.
int HandlerCalls = 0;

// What a list box does with its search text and the thread.
class TSearchOwner : public TObject {
public:
  explicit TSearchOwner(int Timeout) : FTimeout(Timeout) {}
  ~TSearchOwner() override {
    if (Thread) {
      Thread->OnTerminate = nullptr;
      Thread->Terminate();
    }
  }
  void Key(const WideString& S) {
    Input.DoText(S);
    if (!Thread) {
      Thread = Create<TSearchTextTimeoutThread>(TNotifyEvent(this, &TSearchOwner::TimedOut));
      Thread->SetTimeout(FTimeout);
      Thread->Start();
    } else {
      Thread->SetTimeout(FTimeout);
      Thread->SetKeepAlive(true);
    }
  }
  void TimedOut(TObject*) {
    ++HandlerCalls;
    Input.ClearText();
    Thread = nullptr;
    ++Clears;
    ClearedOn = GetCurrentThreadId();
  }

  TVsKeyboardInput Input;
  TSearchTextTimeoutThread* Thread = nullptr;
  int Clears = 0;
  DWORD ClearedOn = 0;

private:
  int FTimeout;
};

class TimeoutThreadTest : public testing::Test {
protected:
  void SetUp() override { InitializeThreads(); }
};

TEST_F(TimeoutThreadTest, KeysWithinTheTimeoutKeepThePrefixAPauseClearsItOnce) {
  // Keys 100 ms apart against a 200 ms timeout; a run the machine stalled
  // (a gap of the whole timeout) proves nothing and is repeated.
  bool Measured = false;
  for (int Attempt = 0; Attempt < 3 && !Measured; ++Attempt) {
    TSearchOwner Owner(200);
    bool Stalled = false;
    DWORD Last = GetTickCount();
    for (WideChar C : WideString(L"abcdef")) {
      Owner.Key(WideString(1, C));
      PumpFor(100);
      const DWORD Now = GetTickCount();
      if (Now - Last >= 190) Stalled = true;
      Last = Now;
    }
    if (Stalled) {
      ASSERT_TRUE(PumpUntil([&] { return Owner.Clears > 0; }, 5000)) << "the prefix was never cleared";
      continue;
    }
    Measured = true;
    EXPECT_EQ(Owner.Clears, 0);
    EXPECT_EQ(Owner.Input.Text(), L"abcdef");
    ASSERT_TRUE(PumpUntil([&] { return Owner.Clears > 0; }, 5000)) << "the prefix was never cleared";
    EXPECT_EQ(Owner.Input.Text(), L"");
    EXPECT_EQ(Owner.ClearedOn, GetCurrentThreadId());
    PumpFor(600);
    EXPECT_EQ(Owner.Clears, 1);
  }
  EXPECT_TRUE(Measured) << "every run stalled";
}

struct TModal {
  TSearchOwner* Owner;
  DWORD Deadline;
};

INT_PTR CALLBACK ModalProc(HWND Dialog, UINT Msg, WPARAM, LPARAM L) {
  if (Msg == WM_INITDIALOG) {
    SetWindowLongPtrA(Dialog, DWLP_USER, L);
    SetTimer(Dialog, 1, 20, nullptr);
    return TRUE;
  }
  if (Msg == WM_TIMER) {
    auto* M = reinterpret_cast<TModal*>(GetWindowLongPtrA(Dialog, DWLP_USER));
    if (M->Owner->Clears > 0 || GetTickCount() > M->Deadline) EndDialog(Dialog, M->Owner->Clears);
    return TRUE;
  }
  return FALSE;
}

TEST_F(TimeoutThreadTest, PauseClearsThePrefixInsideAModalLoop) {
  TSearchOwner Owner(200);
  Owner.Key(L"k");
  // An empty dialog template: the dialog's own loop must serve the thread.
  alignas(DWORD) WORD Template[16] = {};
  auto* T = reinterpret_cast<DLGTEMPLATE*>(Template);
  T->style = WS_POPUP | WS_VISIBLE | DS_MODALFRAME;
  T->cx = 50;
  T->cy = 20;
  TModal M{&Owner, GetTickCount() + 5000};
  const INT_PTR Result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), T, nullptr, &ModalProc,
                                                 reinterpret_cast<LPARAM>(&M));
  EXPECT_EQ(Result, 1) << "the modal loop ended by its deadline without the clear";
  EXPECT_EQ(Owner.Input.Text(), L"");
  EXPECT_EQ(Owner.ClearedOn, GetCurrentThreadId());
}

TEST_F(TimeoutThreadTest, OwnerFreedWhileTheThreadSleepsGetsNoCall) {
  HandlerCalls = 0;
  {
    auto Owner = std::make_unique<TSearchOwner>(200);
    Owner->Key(L"a");
    PumpFor(50);
  }
  // The thread wakes, finds the handler gone and ends; nothing is called on
  // the freed owner.
  PumpFor(600);
  EXPECT_EQ(HandlerCalls, 0);
}

}  // namespace
