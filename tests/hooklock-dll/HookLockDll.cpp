// A second module of the test process with its own copy of the hook-lock
// code, for the tests that share the lock between modules.
#include "VsInprocHookAPI.h"

extern "C" {
__declspec(dllexport) void TestInitHookLock(bool Init) { InitHookLock(Init); }
__declspec(dllexport) void TestEnterHookLock() { EnterHookLock(); }
__declspec(dllexport) void TestLeaveHookLock() { LeaveHookLock(); }
__declspec(dllexport) const TVsHookLockBlock* TestHookLockBlock() { return HookLockBlock(); }
}
