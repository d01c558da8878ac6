#include "Threads.h"

#include <process.h>

#include <deque>
#include <memory>
#include <mutex>

#include "Consts.h"
#include "SysUtils.h"
#include "UtilWindow.h"

TCriticalSection::TCriticalSection() { InitializeCriticalSection(&FSection); }
TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&FSection); }
void TCriticalSection::Enter() { EnterCriticalSection(&FSection); }
void TCriticalSection::Leave() { LeaveCriticalSection(&FSection); }
bool TCriticalSection::TryEnter() { return TryEnterCriticalSection(&FSection) != FALSE; }

namespace {

const UINT WM_SYNCHRONIZE = WM_USER + 1;

struct THandleCloser {
  void operator()(HANDLE Handle) const { if (Handle) CloseHandle(Handle); }
};
using TOwnedHandle = std::unique_ptr<void, THandleCloser>;

// A call waiting for the GUI thread; it lives on the waiting thread's stack.
struct TSyncRequest {
  TThreadMethod Method;
  HANDLE Done;
  std::exception_ptr Error;
};

// Receives the "calls are waiting" messages on the GUI thread, whichever of
// its message loops dispatches them.
class TSyncWindow : public TObject {
public:
  TSyncWindow() : FHandle(AllocateHWnd(TWndMethod(this, &TSyncWindow::WndProc))) {}
  ~TSyncWindow() override { DeallocateHWnd(FHandle); }
  HWND Handle() const { return FHandle; }

private:
  void WndProc(TMessage& Message) {
    if (Message.Msg == WM_SYNCHRONIZE)
      CheckSynchronize();
    else
      DefUtilWindowHandler(FHandle, Message);
  }
  HWND FHandle;
};

std::mutex StateLock;
std::atomic<DWORD> GUIThreadID{0};
TOwned<TSyncWindow> SyncWindow;
// Signalled whenever a call is queued, so that a GUI thread blocked in
// WaitFor can serve it.
TOwnedHandle SyncEvent;
std::deque<TSyncRequest*> Pending;

void Queue(TSyncRequest& Request) {
  std::lock_guard<std::mutex> Lock(StateLock);
  if (!SyncWindow) throw EThread(LoadStr(SNoSyncThread));
  Pending.push_back(&Request);
  PostMessageA(SyncWindow->Handle(), WM_SYNCHRONIZE, 0, 0);
  SetEvent(SyncEvent.get());
}

TSyncRequest* NextRequest() {
  std::lock_guard<std::mutex> Lock(StateLock);
  if (Pending.empty()) return nullptr;
  TSyncRequest* Request = Pending.front();
  Pending.pop_front();
  return Request;
}

HANDLE CurrentSyncEvent() {
  std::lock_guard<std::mutex> Lock(StateLock);
  return SyncEvent.get();
}

void RunSynchronized(TThreadMethod Method) {
  if (!Method) return;
  if (GetCurrentThreadId() == GUIThreadID) {
    Method();
    return;
  }
  TOwnedHandle Done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!Done) throw EThread(LoadStr(SSyncEventError));
  TSyncRequest Request{Method, Done.get(), nullptr};
  Queue(Request);
  WaitForSingleObject(Done.get(), INFINITE);
  if (Request.Error) std::rethrow_exception(Request.Error);
}

// Waits for a thread handle; on the GUI thread it keeps serving synchronised
// calls and messages sent from other threads meanwhile, or a thread that
// needs either could never end.
void WaitForThreadHandle(HANDLE Thread) {
  HANDLE Event = GetCurrentThreadId() == GUIThreadID ? CurrentSyncEvent() : nullptr;
  if (!Event) {
    WaitForSingleObject(Thread, INFINITE);
    return;
  }
  HANDLE Handles[2] = {Thread, Event};
  for (;;) {
    DWORD Result = MsgWaitForMultipleObjects(2, Handles, FALSE, INFINITE, QS_SENDMESSAGE);
    if (Result == WAIT_OBJECT_0) return;
    if (Result == WAIT_OBJECT_0 + 1) {
      CheckSynchronize();
    } else if (Result == WAIT_OBJECT_0 + 2) {
      MSG Msg;
      PeekMessageA(&Msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers sent messages
    } else {
      WaitForSingleObject(Thread, INFINITE);
      return;
    }
  }
}

}  // namespace

void InitializeThreads() {
  std::lock_guard<std::mutex> Lock(StateLock);
  if (SyncWindow) return;
  SyncEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!SyncEvent) throw EThread(LoadStr(SSyncEventError));
  SyncWindow.reset(new TSyncWindow());
  GUIThreadID = GetCurrentThreadId();
}

void FinalizeThreads() {
  if (GUIThreadID == 0) return;
  CheckSynchronize();  // raises EThread off the GUI thread
  std::lock_guard<std::mutex> Lock(StateLock);
  SyncWindow.reset();
  SyncEvent.reset();
  GUIThreadID = 0;
}

bool CheckSynchronize() {
  DWORD GUIThread = GUIThreadID;
  if (GUIThread == 0) return false;
  if (GetCurrentThreadId() != GUIThread)
    throw EThread(LoadStr(SSyncNotInMainThread));
  bool Ran = false;
  while (TSyncRequest* Request = NextRequest()) {
    try {
      Request->Method();
    } catch (...) {
      Request->Error = std::current_exception();
    }
    SetEvent(Request->Done);
    Ran = true;
  }
  return Ran;
}

DWORD MainThreadID() { return GUIThreadID; }

TThread::TThread(bool CreateSuspended) : FCreateSuspended(CreateSuspended) {
  InitializeThreads();
  unsigned Id = 0;
  uintptr_t Handle = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &Id);
  if (!Handle) throw EThread(LoadStr(SThreadCreateError));
  FHandle = reinterpret_cast<HANDLE>(Handle);
  FThreadID = Id;
}

TThread::~TThread() { Shutdown(); }

void TThread::AfterConstruction() {
  if (!FCreateSuspended) Start();
}

void TThread::BeforeDestruction() { Shutdown(); }

void TThread::Start() {
  bool Expected = false;
  if (FStarted.compare_exchange_strong(Expected, true)) ResumeThread(FHandle);
}

DWORD TThread::WaitFor() {
  if (GetCurrentThreadId() == FThreadID) throw EThread(LoadStr(SThreadWaitsForItself));
  if (!FStarted) throw EThread(LoadStr(SThreadNotStarted));
  WaitForThreadHandle(FHandle);
  DWORD Code = 0;
  GetExitCodeThread(FHandle, &Code);
  return Code;
}

void TThread::Synchronize(TThreadMethod Method) { RunSynchronized(Method); }

void TThread::Shutdown() {
  if (!FHandle) return;
  if (GetCurrentThreadId() != FThreadID) {
    Terminate();
    bool Expected = false;
    if (FStarted.compare_exchange_strong(Expected, true)) {
      FDiscarded = true;
      ResumeThread(FHandle);
    }
    WaitForThreadHandle(FHandle);
  }
  CloseHandle(FHandle);
  FHandle = nullptr;
}

unsigned __stdcall TThread::ThreadProc(void* Param) {
  try {
    return static_cast<TThread*>(Param)->Run();
  } catch (...) {
    return 0;
  }
}

DWORD TThread::Run() {
  if (FDiscarded) return 0;
  try {
    if (!FTerminated) Execute();
  } catch (...) {
    FFatalException = std::current_exception();
  }
  DWORD Code = static_cast<DWORD>(FReturnValue.load());
  try {
    Synchronize(TThreadMethod(this, &TThread::CallOnTerminate));
  } catch (...) {
    // No GUI thread any more: nobody to tell.
  }
  bool FreeThread = FFreeOnTerminate;
  FFinished = true;
  if (FreeThread) Free();
  return Code;
}

void TThread::CallOnTerminate() {
  try {
    if (OnTerminate) OnTerminate(this);
  } catch (...) {
    // The handler runs for the GUI thread's message loop: report it as that
    // loop's handlers are reported.
    HandleCallbackException();
  }
}
