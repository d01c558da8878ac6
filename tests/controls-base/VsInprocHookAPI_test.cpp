// Code patching on a routine of this program and on user32, import stubs,
// and the hook lock shared with a second module of the process.
#include "TestSupport.h"
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "VsInprocHookAPI.h"

// The cross compiler's import stub of GetSysColor (jmp [slot]; nop; nop),
// not the address the dllimport declaration gives.
extern "C" void GetSysColorStub() __asm__("_GetSysColor@4");

namespace {

__attribute__((noipa)) int Seven(int X) { return 7 + X * 0; }
__attribute__((noipa)) int Eight(int X) { return 8 + X * 0; }

// Keeps the calls from being folded at compile time.
int (*volatile CallSeven)(int) = Seven;

constexpr DWORD FakeColor = 0x00123456;
extern "C" DWORD WINAPI FakeGetSysColor(int) { return FakeColor; }
HBRUSH FakeBrush = nullptr;
extern "C" HBRUSH WINAPI FakeGetSysColorBrush(int) { return FakeBrush; }

using TSaved = std::array<Byte, HookCodeSize>;
bool Zero(const TSaved& S) { return S == TSaved{}; }

void* User32Proc(const char* Name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), Name));
}

}  // namespace

TEST(HookCode, PatchesARoutineOfTheProgramAndPutsItBack) {
  TSaved Original;
  std::memcpy(Original.data(), reinterpret_cast<void*>(&Seven), HookCodeSize);
  TSaved Saved;
  HookCode(reinterpret_cast<void*>(&Seven), reinterpret_cast<void*>(&Eight), Saved.data());
  EXPECT_EQ(CallSeven(0), 8);
  EXPECT_EQ(Saved, Original);
  EXPECT_EQ(*reinterpret_cast<Byte*>(&Seven), 0xE9);
  UnhookCode(reinterpret_cast<void*>(&Seven), Saved.data());
  EXPECT_EQ(CallSeven(0), 7);
  EXPECT_TRUE(Zero(Saved));
  // Nothing saved: nothing is written.
  UnhookCode(reinterpret_cast<void*>(&Seven), Saved.data());
  EXPECT_EQ(CallSeven(0), 7);
}

TEST(HookCode, NilTargetOnlyZeroesTheSavedBytes) {
  TSaved Saved;
  Saved.fill(0xAB);
  HookCode(nullptr, reinterpret_cast<void*>(&Eight), Saved.data());
  EXPECT_TRUE(Zero(Saved));
  UnhookCode(nullptr, Saved.data());
  void* Buffer = nullptr;
  UnhookAndFree(reinterpret_cast<void*>(&Seven), Buffer);
  EXPECT_EQ(CallSeven(0), 7);
}

TEST(HookCode, User32GetSysColorIsRedirectedForItsCallersToo) {
  HDC DC = CreateCompatibleDC(nullptr);
  HBITMAP Bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ Old = SelectObject(DC, Bitmap);
  const RECT R{0, 0, 4, 4};
  FakeBrush = CreateSolidBrush(FakeColor);
  const DWORD Before = GetSysColor(COLOR_BTNFACE);

  void* Saved = nullptr;
  void* Proc = nullptr;
  ASSERT_TRUE(HookModuleProc(GetModuleHandleA("user32.dll"), "GetSysColor",
                             reinterpret_cast<void*>(&FakeGetSysColor), Saved, Proc));
  EXPECT_EQ(Proc, User32Proc("GetSysColor"));
  void* BrushSaved = nullptr;
  void* BrushProc = nullptr;
  HMODULE Module = nullptr;
  ASSERT_TRUE(HookAPI("user32.dll", "GetSysColorBrush", reinterpret_cast<void*>(&FakeGetSysColorBrush),
                      BrushSaved, BrushProc, Module));
  EXPECT_EQ(Module, GetModuleHandleA("user32.dll"));

  // Through the import and through user32's own FillRect with a system
  // colour brush.
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), FakeColor);
  FillRect(DC, &R, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(GetPixel(DC, 1, 1), FakeColor);

  UnhookAndFree(Proc, Saved);
  UnhookAndFree(BrushProc, BrushSaved);
  EXPECT_EQ(Saved, nullptr);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Before);
  FillRect(DC, &R, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(GetPixel(DC, 1, 1), Before);

  SelectObject(DC, Old);
  DeleteObject(Bitmap);
  DeleteDC(DC);
  DeleteObject(FakeBrush);
}

TEST(HookCode, ModuleProcFailuresLeaveNothing) {
  void* Saved = reinterpret_cast<void*>(1);
  void* Proc = reinterpret_cast<void*>(1);
  HMODULE Module = nullptr;
  EXPECT_FALSE(HookModuleProc(GetModuleHandleA("user32.dll"), "NoSuchRoutine", reinterpret_cast<void*>(&Eight),
                              Saved, Proc));
  EXPECT_EQ(Saved, nullptr);
  EXPECT_EQ(Proc, nullptr);
  // The replacement itself is not patched over.
  void* Self = User32Proc("GetSysColor");
  EXPECT_FALSE(HookModuleProc(GetModuleHandleA("user32.dll"), "GetSysColor", Self, Saved, Proc));
  EXPECT_FALSE(HookAPI("nosuchmodule.dll", "X", reinterpret_cast<void*>(&Eight), Saved, Proc, Module));
  EXPECT_FALSE(HookAPI("user32.dll", "", reinterpret_cast<void*>(&Eight), Saved, Proc, Module));
  EXPECT_EQ(Proc, nullptr);
  EXPECT_EQ(AllocExecBuffer(4), nullptr);
}

TEST(ResolveImportThunk, FollowsJumpStubsWithEitherFiller) {
  void* Target = reinterpret_cast<void*>(0x12345678);
  void* Slot = Target;
  void* SlotAddress = &Slot;
  struct TCase {
    Byte Filler[2];
    bool Follows;
  };
  const TCase Cases[] = {{{0x8B, 0xC0}, true}, {{0x90, 0x90}, true}, {{0x90, 0xCC}, false}, {{0x8B, 0xFF}, false}};
  for (const TCase& C : Cases) {
    Byte Stub[8] = {0xFF, 0x25};
    std::memcpy(Stub + 2, &SlotAddress, 4);
    Stub[6] = C.Filler[0];
    Stub[7] = C.Filler[1];
    EXPECT_EQ(ResolveImportThunk(Stub), C.Follows ? Target : static_cast<void*>(Stub)) << int(C.Filler[0]);
  }
  Byte Other[8] = {0xFF, 0x15};
  EXPECT_EQ(ResolveImportThunk(Other), static_cast<void*>(Other));
  // A real stub of this program leads to user32's code; user32's code itself
  // is no stub.
  EXPECT_EQ(ResolveImportThunk(reinterpret_cast<void*>(&GetSysColorStub)), User32Proc("GetSysColor"));
  EXPECT_EQ(ResolveImportThunk(User32Proc("GetSysColor")), User32Proc("GetSysColor"));
}

TEST(Processors, CountAndThreadEntries) {
  InitializeVsInprocHookAPI();
  EXPECT_GE(GetProcessorCount(), 1);
  EXPECT_NE(VsOpenThread, nullptr);
  EXPECT_NE(VsSetThreadIdealProcessor, nullptr);
}

// ---- the hook lock --------------------------------------------------------

namespace {

struct TDll {
  HMODULE Module = LoadLibraryA(HOOKLOCK_DLL);
  template <class F> F Proc(const char* Name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
  }
  ~TDll() { FreeLibrary(Module); }
};

struct TLockProbe {
  void (*Enter)();
  void (*Leave)();
  volatile LONG Got = 0;
};

DWORD WINAPI TakeLock(void* Param) {
  auto* P = static_cast<TLockProbe*>(Param);
  P->Enter();
  InterlockedExchange(&P->Got, 1);
  P->Leave();
  return 0;
}

// Holds the lock through Enter/Leave on this thread and shows that a thread
// going through Other waits for it.
void ExpectSerialised(void (*Enter)(), void (*Leave)(), TLockProbe Other) {
  Enter();
  HANDLE Thread = CreateThread(nullptr, 0, TakeLock, &Other, 0, nullptr);
  ASSERT_NE(Thread, nullptr);
  Sleep(100);
  EXPECT_EQ(Other.Got, 0) << "the second thread got the lock while it was held";
  Leave();
  // A waiter that is not woken by the release gets the lock only when its
  // own wait times out (5 s under Wine).
  EXPECT_EQ(WaitForSingleObject(Thread, 3000), WAIT_OBJECT_0)
      << "the second thread did not get the lock within 3 s of its release";
  WaitForSingleObject(Thread, 10000);
  CloseHandle(Thread);
  EXPECT_EQ(Other.Got, 1);
}

}  // namespace

TEST(HookLock, SharedByTwoModulesOfTheProcess) {
  InitHookLock(false);
  TDll Dll;
  ASSERT_NE(Dll.Module, nullptr) << HOOKLOCK_DLL;
  auto DllInit = Dll.Proc<void (*)(bool)>("TestInitHookLock");
  auto DllEnter = Dll.Proc<void (*)()>("TestEnterHookLock");
  auto DllLeave = Dll.Proc<void (*)()>("TestLeaveHookLock");
  auto DllBlock = Dll.Proc<const TVsHookLockBlock* (*)()>("TestHookLockBlock");
  ASSERT_TRUE(DllInit && DllEnter && DllLeave && DllBlock);

  InitHookLock(true);
  ASSERT_TRUE(HookLockInitialized());
  InitHookLock(true);  // a second call in the same module counts nothing
  DllInit(true);
  ASSERT_NE(DllBlock(), nullptr);
  EXPECT_NE(DllBlock(), HookLockBlock());  // two views of one block
  EXPECT_EQ(HookLockBlock()->Count, 2);
  EXPECT_EQ(DllBlock()->Event, HookLockBlock()->Event);

  ExpectSerialised(EnterHookLock, LeaveHookLock, TLockProbe{DllEnter, DllLeave});
  // Held: the event is not signalled; released: it is.
  EnterHookLock();
  EXPECT_EQ(WaitForSingleObject(HookLockBlock()->Event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  LeaveHookLock();
  EXPECT_EQ(WaitForSingleObject(HookLockBlock()->Event, 0), WAIT_OBJECT_0);

  DllInit(false);
  EXPECT_EQ(DllBlock(), nullptr);
  EXPECT_EQ(HookLockBlock()->Count, 1);
  ExpectSerialised(EnterHookLock, LeaveHookLock, TLockProbe{EnterHookLock, LeaveHookLock});

  InitHookLock(false);
  EXPECT_FALSE(HookLockInitialized());
  // Without the block both do nothing.
  EnterHookLock();
  LeaveHookLock();
}
