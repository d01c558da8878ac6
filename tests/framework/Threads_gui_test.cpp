#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "SysUtils.h"
#include "Threads.h"
#include "UtilWindow.h"

namespace {

// Runs the GUI thread's message loop until Done() or the time is up.
bool PumpUntil(const std::function<bool()>& Done, DWORD TimeoutMs = 5000) {
  DWORD Start = GetTickCount();
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

// Replaces the callback exception hook for one test and records what it got.
class TCallbackHookRecorder {
public:
  TCallbackHookRecorder() : FSaved(HandleCallbackException) {
    Calls = 0;
    LastMessage.clear();
    HandleCallbackException = [] {
      ++Calls;
      LastMessage = CurrentExceptionMessage();
    };
  }
  ~TCallbackHookRecorder() { HandleCallbackException = FSaved; }
  static inline int Calls = 0;
  static inline AnsiString LastMessage;

private:
  void (*FSaved)();
};

// ---- utility windows -------------------------------------------------------

const UINT WM_TEST_PING = WM_APP + 10;
const UINT WM_TEST_THROW = WM_APP + 11;
const UINT WM_TEST_FREE_SELF = WM_APP + 12;

class TReceiver : public TObject {
public:
  TReceiver() : Wnd(AllocateHWnd(TWndMethod(this, &TReceiver::WndProc))) {}
  ~TReceiver() override {
    if (Wnd) DeallocateHWnd(Wnd);
  }
  void WndProc(TMessage& Message) {
    switch (Message.Msg) {
      case WM_TEST_PING:
        ++Pings;
        LastWParam = Message.WParam;
        Message.Result = 42;
        break;
      case WM_TEST_THROW:
        throw EInvalidOperation("thrown in a utility window");
      case WM_TEST_FREE_SELF:
        DeallocateHWnd(Wnd);
        Wnd = nullptr;
        break;
      default:
        if (Message.Msg == BroadcastMsg) ++Broadcasts;
        DefUtilWindowHandler(Wnd, Message);
    }
  }
  HWND Wnd;
  int Pings = 0;
  WPARAM LastWParam = 0;
  UINT BroadcastMsg = RegisterWindowMessageA("SlovantaUtilWindowTestBroadcast");
  int Broadcasts = 0;
};

TEST(UtilWindow, PostedAndSentMessagesReachTheMethodAndTheRestTheDefault) {
  TOwned<TReceiver> R(new TReceiver());
  ASSERT_TRUE(IsWindow(R->Wnd));
  EXPECT_FALSE(IsWindowVisible(R->Wnd));
  EXPECT_EQ(nullptr, GetParent(R->Wnd));

  ASSERT_TRUE(PostMessageA(R->Wnd, WM_TEST_PING, 7, 0));
  ASSERT_TRUE(PumpUntil([&] { return R->Pings == 1; }));
  EXPECT_EQ(7u, R->LastWParam);
  EXPECT_EQ(42, SendMessageA(R->Wnd, WM_TEST_PING, 8, 0));

  // Handled by DefWindowProcA through the helper: the text is stored.
  SendMessageA(R->Wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  char Text[8] = {};
  EXPECT_EQ(3, SendMessageA(R->Wnd, WM_GETTEXT, sizeof Text, reinterpret_cast<LPARAM>(Text)));
  EXPECT_STREQ("abc", Text);
}

TEST(UtilWindow, ReceivesBroadcastsAsATopLevelWindow) {
  TOwned<TReceiver> R(new TReceiver());
  ASSERT_TRUE(PostMessageA(HWND_BROADCAST, R->BroadcastMsg, 0, 0));
  EXPECT_TRUE(PumpUntil([&] { return R->Broadcasts == 1; }));
}

TEST(UtilWindow, ExceptionInTheMethodGoesToTheHook) {
  TCallbackHookRecorder Hook;
  TOwned<TReceiver> R(new TReceiver());
  EXPECT_EQ(0, SendMessageA(R->Wnd, WM_TEST_THROW, 0, 0));
  EXPECT_EQ(1, Hook.Calls);
  EXPECT_EQ("thrown in a utility window", Hook.LastMessage);

  PostMessageA(R->Wnd, WM_TEST_THROW, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return Hook.Calls == 2; }));
  // The window still works afterwards.
  EXPECT_EQ(42, SendMessageA(R->Wnd, WM_TEST_PING, 0, 0));
}

TEST(UtilWindow, MethodMayDeallocateItsOwnWindow) {
  TOwned<TReceiver> R(new TReceiver());
  HWND Wnd = R->Wnd;
  SendMessageA(Wnd, WM_TEST_FREE_SELF, 0, 0);
  EXPECT_FALSE(IsWindow(Wnd));
}

// ---- critical sections -----------------------------------------------------

struct TTryEnterArgs {
  TCriticalSection* Section;
  bool Entered;
};

DWORD WINAPI TryEnterThread(void* Param) {
  auto* Args = static_cast<TTryEnterArgs*>(Param);
  Args->Entered = Args->Section->TryEnter();
  if (Args->Entered) Args->Section->Leave();
  return 0;
}

bool TryEnterFromOtherThread(TCriticalSection& Section) {
  TTryEnterArgs Args{&Section, false};
  HANDLE T = CreateThread(nullptr, 0, TryEnterThread, &Args, 0, nullptr);
  WaitForSingleObject(T, INFINITE);
  CloseHandle(T);
  return Args.Entered;
}

TEST(CriticalSection, TryEnterFailsOnAnotherThreadWhileHeld) {
  TCriticalSection Section;
  {
    TCriticalSectionGuard Guard(Section);
    EXPECT_FALSE(TryEnterFromOtherThread(Section));
    EXPECT_TRUE(Section.TryEnter());  // re-entrant on the owning thread
    Section.Leave();
  }
  EXPECT_TRUE(TryEnterFromOtherThread(Section));
}

// ---- threads ---------------------------------------------------------------

// A thread whose body is a function, with probes for the tests.
class TTestThread : public TThread {
public:
  TTestThread(bool Suspended, std::function<void(TTestThread*)> Body)
      : TThread(Suspended), FBody(std::move(Body)) {}
  ~TTestThread() override {
    if (DestroyedFlag) *DestroyedFlag = true;
  }
  void CallSynchronize(TThreadMethod Method) { Synchronize(Method); }

  bool* DestroyedFlag = nullptr;
  std::atomic<bool> Executed{false};

protected:
  void Execute() override {
    Executed = true;
    FBody(this);
  }

private:
  std::function<void(TTestThread*)> FBody;
};

// The GUI side of the tests: handlers that record where and how they ran.
class TObserver : public TObject {
public:
  void ThreadTerminated(TObject* Sender) {
    ++Terminations;
    LastSender = Sender;
    HandlerThread = GetCurrentThreadId();
    if (DestroyedFlag) DestroyedBeforeHandler = *DestroyedFlag;
  }
  void SyncCall() {
    ++SyncCalls;
    SyncThread = GetCurrentThreadId();
  }
  void SyncCallThatThrows() { throw EConvertError("raised on the GUI thread"); }
  void ThrowingHandler(TObject*) { throw EAbort("handler failed"); }

  int Terminations = 0;
  TObject* LastSender = nullptr;
  DWORD HandlerThread = 0;
  int SyncCalls = 0;
  DWORD SyncThread = 0;
  bool* DestroyedFlag = nullptr;
  bool DestroyedBeforeHandler = false;
};

TEST(Thread, OnTerminateRunsOnTheGUIThreadFromTheMessageLoop) {
  TObserver Obs;
  TOwned<TTestThread> T(new TTestThread(true, [](TTestThread* Self) { Self->SetReturnValue(5); }));
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThreadTerminated);
  T->Start();
  ASSERT_TRUE(PumpUntil([&] { return Obs.Terminations == 1; }));
  EXPECT_EQ(GetCurrentThreadId(), Obs.HandlerThread);
  EXPECT_EQ(T.get(), Obs.LastSender);
  EXPECT_EQ(5u, T->WaitFor());
  EXPECT_TRUE(T->Finished());
  EXPECT_EQ(1, Obs.Terminations);
}

TEST(Thread, OnTerminateIsReadWhenItRunsNotWhenQueued) {
  TObserver Obs;
  TOwned<TTestThread> T(new TTestThread(true, [](TTestThread*) {}));
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThreadTerminated);
  PumpFor(20);  // nothing left over in the queue from earlier tests
  T->Start();
  // Wait, without dispatching, until the finished thread has queued its call.
  DWORD Start = GetTickCount();
  while (!(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) && GetTickCount() - Start < 5000)
    Sleep(5);
  ASSERT_TRUE(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE);
  T->OnTerminate = nullptr;  // what an owner freeing itself does
  ASSERT_TRUE(PumpUntil([&] { return T->Finished(); }));
  T.reset();
  PumpFor(50);
  EXPECT_EQ(0, Obs.Terminations);
}

TEST(Thread, FreeOnTerminateFreesAfterTheHandlerHasRun) {
  TObserver Obs;
  bool Destroyed = false;
  auto* T = Create<TTestThread>(true, [](TTestThread*) {});
  T->DestroyedFlag = &Destroyed;
  Obs.DestroyedFlag = &Destroyed;
  T->SetFreeOnTerminate(true);
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThreadTerminated);
  T->Start();  // from here the thread owns itself
  ASSERT_TRUE(PumpUntil([&] { return Destroyed; }));
  EXPECT_EQ(1, Obs.Terminations);
  EXPECT_FALSE(Obs.DestroyedBeforeHandler);
}

TEST(Thread, CreatedRunningThroughCreate) {
  TOwned<TTestThread> T(Create<TTestThread>(false, [](TTestThread* Self) { Self->SetReturnValue(9); }));
  EXPECT_EQ(9u, T->WaitFor());
  EXPECT_TRUE(T->Executed);
}

TEST(Thread, SynchronizeRunsOnTheGUIThreadWhileItWaits) {
  TObserver Obs;
  AnsiString ErrorInWorker;
  TOwned<TTestThread> T(new TTestThread(true, [&](TTestThread* Self) {
    Self->CallSynchronize(TThreadMethod(&Obs, &TObserver::SyncCall));
    try {
      Self->CallSynchronize(TThreadMethod(&Obs, &TObserver::SyncCallThatThrows));
    } catch (const EConvertError& E) {
      ErrorInWorker = E.Message();
    }
    Self->SetReturnValue(Obs.SyncCalls);
  }));
  T->Start();
  // WaitFor on the GUI thread serves the calls; no message loop runs.
  EXPECT_EQ(1u, T->WaitFor());
  EXPECT_EQ(GetCurrentThreadId(), Obs.SyncThread);
  EXPECT_EQ("raised on the GUI thread", ErrorInWorker);
}

TEST(Thread, SynchronizeServedByAMessageLoopAndByCheckSynchronize) {
  TObserver Obs;
  std::atomic<int> Phase{0};
  HANDLE Gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  TOwned<TTestThread> T(new TTestThread(true, [&](TTestThread* Self) {
    Self->CallSynchronize(TThreadMethod(&Obs, &TObserver::SyncCall));
    Phase = 1;
    // Not forever: a test that failed before opening the gate must still
    // be able to free the thread.
    WaitForSingleObject(Gate, 10000);
    Self->CallSynchronize(TThreadMethod(&Obs, &TObserver::SyncCall));
    Phase = 2;
  }));
  T->Start();
  ASSERT_TRUE(PumpUntil([&] { return Phase == 1; }));
  EXPECT_EQ(1, Obs.SyncCalls);
  // The second call: served by an explicit CheckSynchronize, no dispatching.
  SetEvent(Gate);
  DWORD Start = GetTickCount();
  while (!CheckSynchronize() && GetTickCount() - Start < 5000) Sleep(5);
  EXPECT_EQ(2, Obs.SyncCalls);
  T->WaitFor();
  EXPECT_EQ(2, Phase);
  CloseHandle(Gate);
}

TEST(Thread, CheckSynchronizeOffTheGUIThreadRaises) {
  bool Raised = false;
  TOwned<TTestThread> T(new TTestThread(true, [&](TTestThread*) {
    try {
      CheckSynchronize();
    } catch (const EThread&) {
      Raised = true;
    }
  }));
  T->Start();
  T->WaitFor();
  EXPECT_TRUE(Raised);
}

TEST(Thread, ExceptionInExecuteIsKeptAndTheProcessGoesOn) {
  TObserver Obs;
  TOwned<TTestThread> T(new TTestThread(true, [](TTestThread*) { throw EInvalidOperation("worker failed"); }));
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThreadTerminated);
  T->Start();
  T->WaitFor();
  EXPECT_EQ(1, Obs.Terminations);  // OnTerminate still runs
  ASSERT_TRUE(T->FatalException());
  try {
    std::rethrow_exception(T->FatalException());
  } catch (const EInvalidOperation& E) {
    EXPECT_EQ("worker failed", E.Message());
  }
}

TEST(Thread, ExceptionInOnTerminateGoesToTheHook) {
  TCallbackHookRecorder Hook;
  TObserver Obs;
  TOwned<TTestThread> T(new TTestThread(true, [](TTestThread*) {}));
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThrowingHandler);
  T->Start();
  ASSERT_TRUE(PumpUntil([&] { return T->Finished(); }));
  EXPECT_EQ(1, Hook.Calls);
  EXPECT_EQ("handler failed", Hook.LastMessage);
}

TEST(Thread, FreeingARunningThreadTerminatesAndWaits) {
  TObserver Obs;
  std::atomic<bool> Running{false}, Left{false};
  TOwned<TTestThread> T(new TTestThread(true, [&](TTestThread* Self) {
    Running = true;
    while (!Self->Terminated()) Sleep(5);
    Left = true;
  }));
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThreadTerminated);
  T->Start();
  DWORD Start = GetTickCount();
  while (!Running && GetTickCount() - Start < 5000) Sleep(5);
  T.reset();  // waits, serving the OnTerminate call meanwhile
  EXPECT_TRUE(Left);
  EXPECT_EQ(1, Obs.Terminations);
}

TEST(Thread, NeverStartedThreadFreesWithoutRunning) {
  TObserver Obs;
  TOwned<TTestThread> T(new TTestThread(true, [](TTestThread*) {}));
  T->OnTerminate = TNotifyEvent(&Obs, &TObserver::ThreadTerminated);
  EXPECT_THROW(T->WaitFor(), EThread);
  T.reset();
  PumpFor(50);
  EXPECT_EQ(0, Obs.Terminations);
}

TEST(Thread, WaitForOnItselfRaises) {
  bool Raised = false;
  TOwned<TTestThread> T(new TTestThread(true, [&](TTestThread* Self) {
    try {
      Self->WaitFor();
    } catch (const EThread&) {
      Raised = true;
    }
  }));
  T->Start();
  T->WaitFor();
  EXPECT_TRUE(Raised);
}

}  // namespace
