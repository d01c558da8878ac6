#include "VsSBPatch.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "VsInprocHookAPI.h"

static_assert(offsetof(TVsSBPatchBlock, Count) == 60 && offsetof(TVsSBPatchBlock, Repatch) == 64 &&
                  sizeof(TVsSBPatchRecord) == 12,
              "the patch block is shared with other modules and keeps its layout");

const GUID IID_IVsScrollBarAPI = {0x5189F323, 0x8BBE, 0x4249, {0x9A, 0x43, 0x36, 0x40, 0x59, 0x70, 0x22, 0x10}};
UINT VS_SBCONTROL = 0;

namespace {

constexpr const char* BlockNameSuffix = "{55AA105D-AF48-4628-9E3F-2A79D918BBBC}";
constexpr const char* SBControlName = "{7DDF4ADB-4A01-4F4B-83AA-8D91C21E99D2}";
// PAGE_READWRITE | SEC_COMMIT | SEC_NOCACHE.
constexpr DWORD BlockProtection = 0x18000004;
// The buffer of a record: the saved entry bytes, then the trampoline (the
// moved prefix, at most 6 bytes, and a jump back).
constexpr int TrampolineOffset = HookCodeSize;
constexpr int BufferSize = 32;
constexpr int Win32uIndex = 5;
constexpr UINT ScrollInfoSize = 28;

const char* const ProcNames[SBPatchCount] = {"EnableScrollBar", "SetScrollInfo", "SetScrollRange",
                                             "SetScrollPos",    "ShowScrollBar", "NtUserSetScrollInfo"};

using TEnableScrollBar = BOOL(WINAPI*)(HWND, UINT, UINT);
using TSetScrollInfo = int(WINAPI*)(HWND, int, LPCSCROLLINFO, BOOL);
using TSetScrollRange = BOOL(WINAPI*)(HWND, int, int, int, BOOL);
using TSetScrollPos = int(WINAPI*)(HWND, int, int, BOOL);
using TShowScrollBar = BOOL(WINAPI*)(HWND, int, BOOL);

HANDLE GMapping = nullptr;
TVsSBPatchBlock* GBlock = nullptr;
bool GOwner = false;
bool GInForce = false;
HHOOK GCBTHook = nullptr;
int GInitCount = 0;
bool GForceRestore = false;
DWORD GMainThread = 0;

// This module's view of each routine: the record (in the block for the
// five, module-local for win32u's) and how its original is called.
TVsSBPatchRecord GWin32uRecord{};
TVsSBCallMode GModes[SBPatchCount] = {};
int GHits[SBPatchCount] = {};

// User32 replacements under way on this thread; win32u's replacement passes
// straight through above 0.
thread_local int GDepth = 0;
// The first win32u call under a user32 replacement is that call going on.
thread_local bool GContinuation = false;
// The window whose outermost real call is under way, and whether another
// scroll call for it came meanwhile.
thread_local HWND GOuterWnd = nullptr;
thread_local bool GNested = false;

TVsSBPatchRecord& Record(int Index) { return Index == Win32uIndex ? GWin32uRecord : GBlock->Records[Index]; }

void WriteCode(void* Target, const void* Bytes) {
  DWORD Old = 0;
  if (!VirtualProtect(Target, HookCodeSize, PAGE_EXECUTE_READWRITE, &Old)) return;
  std::memcpy(Target, Bytes, HookCodeSize);
  FlushInstructionCache(GetCurrentProcess(), Target, HookCodeSize);
  VirtualProtect(Target, HookCodeSize, Old, &Old);
}

void WriteJump(void* Target, const void* Destination) {
  Byte Jump[HookCodeSize];
  Jump[0] = 0xE9;
  const auto Displacement = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(Destination) -
                                                      reinterpret_cast<std::uintptr_t>(Target) - HookCodeSize);
  std::memcpy(Jump + 1, &Displacement, sizeof Displacement);
  WriteCode(Target, Jump);
}

void* Trampoline(int Index) { return static_cast<Byte*>(Record(Index).SavedBytes) + TrampolineOffset; }

// Patches one routine of Module. The buffer keeps the saved bytes and,
// for a known prefix, the trampoline.
bool PatchOne(int Index, HMODULE Module, const void* Replacement) {
  TVsSBPatchRecord& R = Record(Index);
  R = TVsSBPatchRecord{};
  GModes[Index] = scmNone;
  void* Proc = Module ? reinterpret_cast<void*>(GetProcAddress(Module, ProcNames[Index])) : nullptr;
  if (!Proc) return false;
  auto* Buffer = static_cast<Byte*>(AllocExecBuffer(BufferSize));
  if (!Buffer) return false;
  const int Prefix = GForceRestore ? 0 : ScrollEntryPrefix(static_cast<const Byte*>(Proc));
  if (Prefix > 0) {
    std::memcpy(Buffer + TrampolineOffset, Proc, static_cast<size_t>(Prefix));
    Byte* Back = Buffer + TrampolineOffset + Prefix;
    Back[0] = 0xE9;
    const auto Displacement = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(Proc) + Prefix -
                                                        reinterpret_cast<std::uintptr_t>(Back) - HookCodeSize);
    std::memcpy(Back + 1, &Displacement, sizeof Displacement);
  }
  HookCode(Proc, Replacement, Buffer);
  if (Buffer[0] == 0) {
    void* B = Buffer;
    FreeExecBuffer(B);
    return false;
  }
  FlushInstructionCache(GetCurrentProcess(), Buffer, BufferSize);
  R.SavedBytes = Buffer;
  R.Proc = Proc;
  R.Replacement = const_cast<void*>(Replacement);
  GModes[Index] = Prefix > 0 ? scmTrampoline : scmRestore;
  return true;
}

void RestoreOne(int Index) {
  TVsSBPatchRecord& R = Record(Index);
  if (R.Proc && R.SavedBytes) UnhookAndFree(R.Proc, R.SavedBytes);
  R = TVsSBPatchRecord{};
  GModes[Index] = scmNone;
}

const void* Replacements(int Index);

// Patches the five user32 routines and, where win32u exports it as a known
// stub, NtUserSetScrollInfo. Everything is undone when one of the five fails.
bool PatchAll() {
  HMODULE User32 = GetModuleHandleA("user32.dll");
  if (!User32) User32 = LoadLibraryA("user32.dll");
  for (int I = 0; I < 5; ++I)
    if (!PatchOne(I, User32, Replacements(I))) {
      for (int J = 0; J < I; ++J) RestoreOne(J);
      return false;
    }
  if (HMODULE Win32u = GetModuleHandleA("win32u.dll")) {
    void* Proc = reinterpret_cast<void*>(GetProcAddress(Win32u, ProcNames[Win32uIndex]));
    if (Proc && static_cast<const Byte*>(Proc)[0] == 0xB8) PatchOne(Win32uIndex, Win32u, Replacements(Win32uIndex));
  }
  return true;
}

void RestoreAll() {
  for (int I = 0; I < SBPatchCount; ++I) RestoreOne(I);
}

// Where win32u exports NtUserSetScrollInfo, the patch needs it too.
bool GWin32uNeeded = false;

bool Win32uNeeded() {
  HMODULE Win32u = GetModuleHandleA("win32u.dll");
  return Win32u && GetProcAddress(Win32u, ProcNames[Win32uIndex]);
}

// --- calling the originals ---

template <class F, class... A> auto CallOriginal(int Index, A... Args) {
  TVsSBPatchRecord& R = Record(Index);
  if (GModes[Index] == scmTrampoline) return reinterpret_cast<F>(Trampoline(Index))(Args...);
  // Unknown prefix: the routine is itself again for the call, under the
  // lock that every patch and call holds.
  EnterHookLock();
  WriteCode(R.Proc, R.SavedBytes);
  auto Result = reinterpret_cast<F>(R.Proc)(Args...);
  WriteJump(R.Proc, R.Replacement);
  LeaveHookLock();
  return Result;
}

// Marks a scroll call for the window of an outer real call as nested.
void NoteCall(HWND Wnd) {
  if (GOuterWnd && GOuterWnd == Wnd) GNested = true;
}

// Runs the real call as the outermost one for Wnd (when it is) and tells
// whether anything nested in it.
template <class Call> auto RunReal(HWND Wnd, Call&& C, bool& Nested) {
  const bool Outer = GOuterWnd == nullptr;
  if (Outer) {
    GOuterWnd = Wnd;
    GNested = false;
  }
  struct TReset {
    bool Outer;
    ~TReset() {
      if (Outer) GOuterWnd = nullptr;
    }
  } Reset{Outer};
  auto Result = C();
  Nested = Outer && GNested;
  return Result;
}

// The bar's record after a call: the caller's, unless something nested in
// the call or the routine ran patched-out, when the system's state is read.
void Notify(IVsScrollBarAPI* Api, HWND Wnd, int Bar, const SCROLLINFO& Caller, bool ReadBack, BOOL Redraw) {
  SCROLLINFO System{};
  System.cbSize = sizeof System;
  System.fMask = SIF_ALL;
  if (!::GetScrollInfo(Wnd, Bar, &System)) {
    Api->NotifyScrollInfo(Bar, &Caller, Redraw);
    return;
  }
  // A record the system did not take as it stands (a size it refuses,
  // values it corrects) would leave the bar showing something else than
  // the system holds; only a range without a position keeps the bar's
  // position as it was.
  if (!ReadBack && Caller.cbSize == sizeof(SCROLLINFO)) {
    SCROLLINFO Taken{};
    Taken.cbSize = sizeof Taken;
    Taken.fMask = SIF_ALL;
    Api->GetScrollInfo(Bar, &Taken);
    if (Caller.fMask & SIF_RANGE) {
      Taken.nMin = Caller.nMin;
      Taken.nMax = Caller.nMax;
    }
    if (Caller.fMask & SIF_PAGE) Taken.nPage = Caller.nPage;
    if (Caller.fMask & SIF_POS) Taken.nPos = Caller.nPos;
    const bool PositionKept = (Caller.fMask & SIF_RANGE) && !(Caller.fMask & SIF_POS);
    if (Taken.nMin == System.nMin && Taken.nMax == System.nMax && Taken.nPage == System.nPage &&
        (Taken.nPos == System.nPos || PositionKept)) {
      Api->NotifyScrollInfo(Bar, &Caller, Redraw);
      return;
    }
  }
  System.fMask |= Caller.fMask & SIF_DISABLENOSCROLL;
  Api->NotifyScrollInfo(Bar, &System, Redraw);
}

struct TDepth {
  bool SavedContinuation;
  // Continues: the real routine goes on into win32u's NtUserSetScrollInfo.
  explicit TDepth(bool Continues) : SavedContinuation(GContinuation) {
    ++GDepth;
    GContinuation = Continues;
  }
  ~TDepth() {
    --GDepth;
    GContinuation = SavedContinuation;
  }
};

BOOL WINAPI ReplEnableScrollBar(HWND Wnd, UINT Bar, UINT Arrows) {
  try {
    ++GHits[0];
    TDepth Depth(false);
    const BOOL Result = CallOriginal<TEnableScrollBar>(0, Wnd, Bar, Arrows);
    // The real routine draws the system bar: the custom ones go back on top.
    if (GetScrollBarAPI(Wnd)) SendMessageW(Wnd, VS_SBCONTROL, SBControlRepaint, 2);
    return Result;
  } catch (...) {
    return FALSE;
  }
}

// One of the three routines that set a bar: the window is asked first; with
// custom bars the real routine runs without drawing and the bar hears of
// Record afterwards. RealCall takes the redraw flag to pass on.
template <class Call> auto Serve(int Index, HWND Wnd, int Bar, BOOL Redraw, const SCROLLINFO* Record, Call RealCall) {
  ++GHits[Index];
  NoteCall(Wnd);
  IVsScrollBarAPI* Api = GetScrollBarAPI(Wnd);
  TDepth Depth(true);
  bool Nested = false;
  const auto Result = RunReal(Wnd, [&] { return RealCall(Api ? FALSE : Redraw); }, Nested);
  if (Api && Record) Notify(Api, Wnd, Bar, *Record, Nested || GModes[Index] == scmRestore, Redraw);
  return Result;
}

SCROLLINFO RecordOf(UINT Mask, int MinPos, int MaxPos, int Pos) {
  SCROLLINFO Info{};
  Info.cbSize = ScrollInfoSize;
  Info.fMask = Mask;
  Info.nMin = MinPos;
  Info.nMax = MaxPos;
  Info.nPos = Pos;
  return Info;
}

int WINAPI ReplSetScrollInfo(HWND Wnd, int Bar, LPCSCROLLINFO Info, BOOL Redraw) {
  try {
    return Serve(1, Wnd, Bar, Redraw, Info,
                 [&](BOOL R) { return CallOriginal<TSetScrollInfo>(1, Wnd, Bar, Info, R); });
  } catch (...) {
    return 0;
  }
}

BOOL WINAPI ReplSetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, BOOL Redraw) {
  try {
    const SCROLLINFO Record = RecordOf(SIF_RANGE, MinPos, MaxPos, 0);
    return Serve(2, Wnd, Bar, Redraw, &Record,
                 [&](BOOL R) { return CallOriginal<TSetScrollRange>(2, Wnd, Bar, MinPos, MaxPos, R); });
  } catch (...) {
    return FALSE;
  }
}

int WINAPI ReplSetScrollPos(HWND Wnd, int Bar, int Pos, BOOL Redraw) {
  try {
    const SCROLLINFO Record = RecordOf(SIF_POS, 0, 0, Pos);
    return Serve(3, Wnd, Bar, Redraw, &Record,
                 [&](BOOL R) { return CallOriginal<TSetScrollPos>(3, Wnd, Bar, Pos, R); });
  } catch (...) {
    return 0;
  }
}

BOOL WINAPI ReplShowScrollBar(HWND Wnd, int Bar, BOOL Show) {
  try {
    ++GHits[4];
    if (IVsScrollBarAPI* Api = GetScrollBarAPI(Wnd)) return Api->ShowScrollBar(Bar, Show);
    TDepth Depth(false);
    return CallOriginal<TShowScrollBar>(4, Wnd, Bar, Show);
  } catch (...) {
    return FALSE;
  }
}

// Wine's user32 and its own controls end here.
int WINAPI ReplNtUserSetScrollInfo(HWND Wnd, int Bar, LPCSCROLLINFO Info, BOOL Redraw) {
  try {
    if (GDepth > 0 && GContinuation) {
      // The user32 call going on: it is served there.
      GContinuation = false;
      return CallOriginal<TSetScrollInfo>(Win32uIndex, Wnd, Bar, Info, Redraw);
    }
    NoteCall(Wnd);
    if (GDepth > 0) return CallOriginal<TSetScrollInfo>(Win32uIndex, Wnd, Bar, Info, Redraw);
    ++GHits[Win32uIndex];
    IVsScrollBarAPI* Api = GetScrollBarAPI(Wnd);
    bool Nested = false;
    const int Result = RunReal(
        Wnd, [&] { return CallOriginal<TSetScrollInfo>(Win32uIndex, Wnd, Bar, Info, Api ? FALSE : Redraw); },
        Nested);
    if (Api && Info) Notify(Api, Wnd, Bar, *Info, Nested || GModes[Win32uIndex] == scmRestore, Redraw);
    return Result;
  } catch (...) {
    return 0;
  }
}

const void* Replacements(int Index) {
  switch (Index) {
    case 0: return reinterpret_cast<const void*>(&ReplEnableScrollBar);
    case 1: return reinterpret_cast<const void*>(&ReplSetScrollInfo);
    case 2: return reinterpret_cast<const void*>(&ReplSetScrollRange);
    case 3: return reinterpret_cast<const void*>(&ReplSetScrollPos);
    case 4: return reinterpret_cast<const void*>(&ReplShowScrollBar);
    default: return reinterpret_cast<const void*>(&ReplNtUserSetScrollInfo);
  }
}

// --- threads and modules ---

void BindToFirstProcessor(DWORD ThreadId) {
  HANDLE Thread = nullptr;
  if (VsOpenThread) Thread = VsOpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, ThreadId);
  if (Thread) {
    SetThreadAffinityMask(Thread, 1);
    CloseHandle(Thread);
  } else if (ThreadId == GetCurrentThreadId()) {
    SetThreadAffinityMask(GetCurrentThread(), 1);
  }
}

// A module that is not the owner takes the patch over when the owner left.
bool RepatchCheck() {
  if (GOwner || !GBlock || GBlock->Count <= 0 || !GBlock->Repatch) return false;
  EnterHookLock();
  bool Done = false;
  if (GBlock->Repatch) {
    if (PatchAll()) {
      GOwner = true;
      GBlock->Repatch = 0;
      Done = true;
    } else {
      GInForce = false;
    }
  }
  LeaveHookLock();
  return Done;
}

LRESULT CALLBACK CBTProc(int Code, WPARAM W, LPARAM L) {
  try {
    if (Code == HCBT_CREATEWND) {
      const bool Repatched = RepatchCheck();
      if (GetProcessorCount() >= 2 && !Repatched && GOwner && GetCurrentThreadId() != GMainThread)
        BindToFirstProcessor(GetCurrentThreadId());
    }
  } catch (...) {
  }
  return CallNextHookEx(GCBTHook, Code, W, L);
}

void UnmapBlock() {
  if (GBlock) UnmapViewOfFile(GBlock);
  GBlock = nullptr;
  if (GMapping) CloseHandle(GMapping);
  GMapping = nullptr;
}

}  // namespace

int ScrollEntryPrefix(const Byte* Code) {
  if (!Code) return 0;
  if (Code[0] == 0x8B && Code[1] == 0xFF && Code[2] == 0x55 && Code[3] == 0x8B && Code[4] == 0xEC) return 5;
  if (Code[0] == 0xB8) return 5;
  if (Code[0] == 0xFF && Code[1] == 0x25) return 6;
  return 0;
}

IVsScrollBarAPI* GetScrollBarAPI(HWND Wnd) {
  if (!Wnd || !VS_SBCONTROL || !IsWindow(Wnd)) return nullptr;
  // Only this thread's windows: the controller lives on the window's own
  // thread, and asking another thread would block on it.
  if (GetWindowThreadProcessId(Wnd, nullptr) != GetCurrentThreadId()) return nullptr;
  return reinterpret_cast<IVsScrollBarAPI*>(SendMessageW(Wnd, VS_SBCONTROL, SBControlGetAPI, 0));
}

bool ScrollBarPatchActive() {
  if (!GInForce) return false;
  if (GOwner && GWin32uNeeded) return GModes[Win32uIndex] != scmNone;
  return true;
}

bool ScrollBarPatchOwner() { return GOwner; }
TVsSBCallMode ScrollBarCallMode(int Index) { return Index >= 0 && Index < SBPatchCount ? GModes[Index] : scmNone; }
void ForceRestoreCallMode(bool Value) { GForceRestore = Value; }
int ScrollBarPatchHits(int Index) { return Index >= 0 && Index < SBPatchCount ? GHits[Index] : 0; }
const TVsSBPatchBlock* ScrollBarPatchBlock() { return GBlock; }

void InitScrollBarPatch() {
  if (GInitCount++ > 0) return;
  GMainThread = GetCurrentThreadId();
  GWin32uNeeded = Win32uNeeded();
  if (!HookLockInitialized()) InitHookLock(true);
  if (!HookLockInitialized()) return;
  EnterHookLock();
  const std::string Name = std::to_string(GetCurrentProcessId()) + BlockNameSuffix;
  // An existing block (another module of the process made it) comes back
  // with ERROR_ALREADY_EXISTS.
  GMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, BlockProtection, 0, SBPatchBlockSize, Name.c_str());
  const bool Existed = GMapping && GetLastError() == ERROR_ALREADY_EXISTS;
  if (GMapping) GBlock = static_cast<TVsSBPatchBlock*>(MapViewOfFile(GMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (GBlock) {
    if (!Existed || GBlock->Count <= 0) {
      std::memset(GBlock, 0, SBPatchBlockSize);
      GBlock->Count = 1;
      if (PatchAll()) {
        GOwner = true;
        GInForce = true;
      } else {
        GBlock->Count = 0;
      }
    } else {
      ++GBlock->Count;
      GInForce = true;
    }
  }
  if (!GInForce) UnmapBlock();
  LeaveHookLock();
  VS_SBCONTROL = RegisterWindowMessageA(SBControlName);
  if (!GInForce) return;
  if (GetProcessorCount() >= 2) BindToFirstProcessor(GetCurrentThreadId());
  GCBTHook = SetWindowsHookExA(WH_CBT, &CBTProc, nullptr, GetCurrentThreadId());
}

void DoneScrollBarPatch() {
  if (GInitCount <= 0 || --GInitCount > 0) return;
  if (GCBTHook) UnhookWindowsHookEx(GCBTHook);
  GCBTHook = nullptr;
  if (!GInForce || !GBlock) {
    UnmapBlock();
    return;
  }
  EnterHookLock();
  --GBlock->Count;
  if (GBlock->Count <= 0) {
    RestoreAll();
    UnmapBlock();
  } else if (GOwner) {
    RestoreAll();
    GBlock->Repatch = 1;
    UnmapBlock();
  } else {
    UnmapBlock();
  }
  LeaveHookLock();
  const bool WasOwner = GOwner;
  GOwner = false;
  GInForce = false;
  if (WasOwner) {
    // A window made here runs the re-patch check of any other module's CBT
    // hook on this thread.
    HWND Utility = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (Utility) DestroyWindow(Utility);
  }
}
