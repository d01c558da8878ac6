// Critical sections and worker threads with calls synchronised to the GUI
// thread.
#pragma once

#include <atomic>
#include <exception>

#include "System.h"
#include "Win.h"

// A critical section of the process.
class TCriticalSection : public TObject {
public:
  TCriticalSection();
  ~TCriticalSection() override;

  void Enter();
  void Leave();
  void Acquire() { Enter(); }
  void Release() { Leave(); }
  // Enters when no other thread holds the section; true when entered.
  bool TryEnter();

private:
  CRITICAL_SECTION FSection;
};

// Holds a critical section for the lifetime of the guard.
class TCriticalSectionGuard {
public:
  explicit TCriticalSectionGuard(TCriticalSection& Section) : FSection(Section) { FSection.Enter(); }
  ~TCriticalSectionGuard() { FSection.Leave(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

private:
  TCriticalSection& FSection;
};

using TThreadMethod = TMethodPtr<void()>;

// Makes the calling thread the GUI thread: synchronised calls of worker
// threads run on it, served by any of its message loops (modal ones too)
// through a hidden utility window. The program body calls it once at start;
// when it has not been called, the first thread that constructs a TThread
// becomes the GUI thread.
void InitializeThreads();
// Serves what is still pending and destroys the utility window. Called on
// the GUI thread (EThread otherwise) at the end of the program, after the
// last thread is gone; nothing when threads were never initialised.
void FinalizeThreads();
// Runs the synchronised calls waiting for the GUI thread; true when one ran.
// For loops that pump explicitly; must be called on the GUI thread (EThread
// otherwise).
bool CheckSynchronize();
DWORD MainThreadID();

// A worker thread running Execute.
//
// The system thread is created suspended. With CreateSuspended false it
// starts in AfterConstruction, once the most-derived object is complete, so
// such a thread is created with Create<T>(false); otherwise call Start.
//
// When Execute returns (or throws: the exception is kept in FatalException),
// OnTerminate runs synchronised on the GUI thread. The handler is read when
// the call runs there, not when it is queued, and the object lives until it
// has run; with FreeOnTerminate the thread then frees itself.
//
// Freeing a running thread (without FreeOnTerminate) through Free or TOwned
// sets Terminated and waits for it before any destructor runs; that wait,
// like WaitFor on the GUI thread, keeps serving synchronised calls so the
// thread can finish.
class TThread : public TObject {
public:
  explicit TThread(bool CreateSuspended);
  ~TThread() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Starts a thread created suspended; nothing when it has started already.
  void Start();
  void Resume() { Start(); }
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  // Waits until the thread has ended (and OnTerminate has run) and returns
  // its exit code, which is ReturnValue. Raises EThread on the thread itself
  // and for a thread that was never started.
  DWORD WaitFor();

  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
  int ReturnValue() const { return FReturnValue; }
  void SetReturnValue(int Value) { FReturnValue = Value; }
  HANDLE Handle() const { return FHandle; }
  DWORD ThreadID() const { return FThreadID; }
  // The exception that ended Execute, if any.
  std::exception_ptr FatalException() const { return FFatalException; }

  // Sender is the thread. Set it on the GUI thread.
  TNotifyEvent OnTerminate;

protected:
  virtual void Execute() = 0;
  // Runs Method on the GUI thread and waits for it; an exception it raises
  // is raised again here. Called on the GUI thread it runs at once.
  void Synchronize(TThreadMethod Method);

private:
  static unsigned __stdcall ThreadProc(void* Param);
  DWORD Run();
  void CallOnTerminate();
  // Ends a thread that is still alive before the object goes.
  void Shutdown();

  HANDLE FHandle = nullptr;
  DWORD FThreadID = 0;
  bool FCreateSuspended;
  // Released only so that a never-started thread can end with its object.
  bool FDiscarded = false;
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FFreeOnTerminate{false};
  std::atomic<int> FReturnValue{0};
  std::exception_ptr FFatalException;
};
