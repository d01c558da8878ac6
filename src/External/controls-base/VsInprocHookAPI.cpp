#include "VsInprocHookAPI.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FileUtils.h"

static_assert(offsetof(TVsHookLockBlock, Event) == 24 && offsetof(TVsHookLockBlock, Count) == 28 &&
                  sizeof(TVsHookLockBlock) == 32,
              "the hook-lock block is shared with other modules and keeps its layout");

TVsOpenThread VsOpenThread = nullptr;
TVsSetThreadIdealProcessor VsSetThreadIdealProcessor = nullptr;

namespace {

HANDLE GLockMapping = nullptr;
TVsHookLockBlock* GLock = nullptr;

// PAGE_READWRITE | SEC_COMMIT | SEC_NOCACHE.
constexpr DWORD LockProtection = 0x18000004;
constexpr const char* LockNameSuffix = "{8E95C28C-F92F-4DC0-9947-493784419D39}";

void Flush(const void* Address) { FlushInstructionCache(GetCurrentProcess(), Address, HookCodeSize); }

// A critical section that each module enters through its own view of the
// block. Where the system has InitializeCriticalSectionEx the section is
// made without debug information: Wine then waits on a semaphore whose
// handle lives in the section itself (and so is seen through every view)
// instead of on an address of this module's view, which a release through
// another view would not wake.
void InitializeSharedSection(CRITICAL_SECTION* Section) {
  using TInitializeEx = BOOL(WINAPI*)(CRITICAL_SECTION*, DWORD, DWORD);
  constexpr DWORD NoDebugInfo = 0x01000000;  // RTL_CRITICAL_SECTION_FLAG_NO_DEBUG_INFO
  const auto InitializeEx = reinterpret_cast<TInitializeEx>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "InitializeCriticalSectionEx")));
  if (!InitializeEx || !InitializeEx(Section, 0, NoDebugInfo)) InitializeCriticalSection(Section);
}

void UnmapLock() {
  UnmapViewOfFile(GLock);
  GLock = nullptr;
  CloseHandle(GLockMapping);
  GLockMapping = nullptr;
}

}  // namespace

void HookCode(void* Target, const void* Replacement, void* SavedBytes) {
  if (SavedBytes) std::memset(SavedBytes, 0, HookCodeSize);
  if (!Target) return;
  DWORD OldProtect = 0;
  if (!VirtualProtect(Target, HookCodeSize, PAGE_EXECUTE_READWRITE, &OldProtect)) return;
  auto* Code = static_cast<Byte*>(Target);
  if (SavedBytes) std::memcpy(SavedBytes, Code, HookCodeSize);
  const auto Displacement = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(Replacement) -
                                                      reinterpret_cast<std::uintptr_t>(Target) - HookCodeSize);
  Code[0] = 0xE9;
  std::memcpy(Code + 1, &Displacement, sizeof Displacement);
  Flush(Target);
  if (SavedBytes) Flush(SavedBytes);
  VirtualProtect(Target, HookCodeSize, OldProtect, &OldProtect);
}

void UnhookCode(void* Target, void* SavedBytes) {
  if (!Target || !SavedBytes || *static_cast<Byte*>(SavedBytes) == 0) return;
  DWORD OldProtect = 0;
  if (!VirtualProtect(Target, HookCodeSize, PAGE_EXECUTE_READWRITE, &OldProtect)) return;
  std::memcpy(Target, SavedBytes, HookCodeSize);
  std::memset(SavedBytes, 0, HookCodeSize);
  Flush(Target);
  Flush(SavedBytes);
  VirtualProtect(Target, HookCodeSize, OldProtect, &OldProtect);
}

void UnhookAndFree(void* Target, void*& SavedBytes) {
  if (!Target || !SavedBytes) return;
  UnhookCode(Target, SavedBytes);
  FreeExecBuffer(SavedBytes);
}

void* AllocExecBuffer(int Size) {
  if (Size <= 4) return nullptr;
  return VirtualAlloc(nullptr, static_cast<SIZE_T>(Size), MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE);
}

void FreeExecBuffer(void*& P) {
  if (P && VirtualFree(P, 0, MEM_RELEASE)) P = nullptr;
}

bool HookModuleProc(HMODULE Module, const char* ProcName, const void* Replacement, void*& SavedBytes, void*& Proc) {
  SavedBytes = nullptr;
  Proc = Module ? reinterpret_cast<void*>(GetProcAddress(Module, ProcName)) : nullptr;
  if (Proc && Proc != Replacement) {
    SavedBytes = AllocExecBuffer(HookCodeSize);
    if (SavedBytes) {
      HookCode(Proc, Replacement, SavedBytes);
      if (*static_cast<Byte*>(SavedBytes) != 0) return true;
      FreeExecBuffer(SavedBytes);
    }
  }
  Proc = nullptr;
  SavedBytes = nullptr;
  return false;
}

bool HookAPI(const char* ModuleName, const char* ProcName, const void* Replacement, void*& SavedBytes, void*& Proc,
             HMODULE& Module) {
  SavedBytes = nullptr;
  Proc = nullptr;
  if (!Replacement || !ProcName || !*ProcName) return false;
  Module = GetModuleHandleA(ModuleName);
  if (!Module) Module = SafeLoadLibrary(ModuleName, SEM_NOOPENFILEERRORBOX);
  if (!Module) return false;
  return HookModuleProc(Module, ProcName, Replacement, SavedBytes, Proc);
}

void* ResolveImportThunk(void* Address) {
  if (!Address) return Address;
  const auto* B = static_cast<const Byte*>(Address);
  // jmp dword ptr [slot]; the filler is 8B C0 (mov eax, eax) or, in the
  // cross compiler's import stubs, 90 90 (two nops).
  const bool Filler = (B[6] == 0x8B && B[7] == 0xC0) || (B[6] == 0x90 && B[7] == 0x90);
  if (B[0] != 0xFF || B[1] != 0x25 || !Filler) return Address;
  void* const* Slot;
  std::memcpy(&Slot, B + 2, sizeof Slot);
  return *Slot;
}

void InitHookLock(bool Init) {
  if (!Init) {
    if (!GLock) return;
    if (InterlockedDecrement(&GLock->Count) <= 0) {
      DeleteCriticalSection(&GLock->Lock);
      CloseHandle(GLock->Event);
      std::memset(GLock, 0, sizeof *GLock);
    }
    UnmapLock();
    return;
  }
  if (GLock) return;
  const std::string Name = std::to_string(GetCurrentProcessId()) + LockNameSuffix;
  // An existing block (another module made it) comes back with
  // ERROR_ALREADY_EXISTS and a valid handle to it.
  HANDLE Mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, LockProtection, 0, sizeof(TVsHookLockBlock),
                                      Name.c_str());
  if (!Mapping) return;
  const bool Existed = GetLastError() == ERROR_ALREADY_EXISTS;
  void* View = MapViewOfFile(Mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (!View) {
    CloseHandle(Mapping);
    return;
  }
  GLockMapping = Mapping;
  GLock = static_cast<TVsHookLockBlock*>(View);
  // A block left by modules that all released it counts 1 again: new.
  if (Existed && InterlockedIncrement(&GLock->Count) > 1) return;
  std::memset(GLock, 0, sizeof *GLock);
  GLock->Count = 1;
  InitializeSharedSection(&GLock->Lock);
  GLock->Event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!GLock->Event) {
    DeleteCriticalSection(&GLock->Lock);
    std::memset(GLock, 0, sizeof *GLock);
    UnmapLock();
  }
}

void EnterHookLock() {
  if (!GLock) return;
  EnterCriticalSection(&GLock->Lock);
  ResetEvent(GLock->Event);
}

void LeaveHookLock() {
  if (!GLock) return;
  SetEvent(GLock->Event);
  LeaveCriticalSection(&GLock->Lock);
}

bool HookLockInitialized() { return GLock != nullptr; }

const TVsHookLockBlock* HookLockBlock() { return GLock; }

int GetProcessorCount() {
  SYSTEM_INFO Info;
  GetSystemInfo(&Info);
  return static_cast<int>(Info.dwNumberOfProcessors);
}

void InitializeVsInprocHookAPI() {
  HMODULE Kernel = GetModuleHandleA("kernel32.dll");
  VsOpenThread = reinterpret_cast<TVsOpenThread>(reinterpret_cast<void*>(GetProcAddress(Kernel, "OpenThread")));
  VsSetThreadIdealProcessor = reinterpret_cast<TVsSetThreadIdealProcessor>(
      reinterpret_cast<void*>(GetProcAddress(Kernel, "SetThreadIdealProcessor")));
}

void FinalizeVsInprocHookAPI() {
  InitHookLock(false);
  VsOpenThread = nullptr;
  VsSetThreadIdealProcessor = nullptr;
}
