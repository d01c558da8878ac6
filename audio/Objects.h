// What the library's objects share: the reference count (a new object
// starts at 0 and frees itself when unref brings the count back to 0) and
// the guard of the lock an object is read under from two threads.
#pragma once

#include <windows.h>

template <class Interface> class TCounted : public Interface {
public:
  void __stdcall ref() override { InterlockedIncrement(&FCount); }
  void __stdcall unref() override {
    if (InterlockedDecrement(&FCount) <= 0) delete this;
  }

protected:
  virtual ~TCounted() = default;

private:
  LONG FCount = 0;
};

// Holds a critical section for the rest of a scope.
class TGuard {
public:
  explicit TGuard(CRITICAL_SECTION& Lock) : FLock(Lock) { EnterCriticalSection(&FLock); }
  ~TGuard() { LeaveCriticalSection(&FLock); }
  TGuard(const TGuard&) = delete;
  TGuard& operator=(const TGuard&) = delete;

private:
  CRITICAL_SECTION& FLock;
};
