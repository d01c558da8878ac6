// Patching code in this process: the first 5 bytes of a routine become a
// relative jump to a replacement, and are put back later from a saved copy.
// A process-wide lock, shared by every module of the process that patches,
// serialises the patching and the calls through patched code.
//
// A replacement is extern "C" WINAPI with the routine's exact signature and
// catches everything. It never calls the patched routine while it is
// patched: it takes the hook lock, restores the saved bytes, calls the
// routine, and patches it again.
#pragma once

#include "Win.h"

// The jump written over a routine's entry.
constexpr int HookCodeSize = 5;

// Zeroes SavedBytes (when given, HookCodeSize bytes); then, unless Target is
// nullptr, copies Target's first bytes to SavedBytes and writes the jump to
// Replacement. Nothing is written (and SavedBytes stays zero) when the code
// cannot be made writable.
void HookCode(void* Target, const void* Replacement, void* SavedBytes);
// Puts saved bytes back and zeroes them; nothing when Target is nullptr or
// SavedBytes starts with 0 (nothing saved).
void UnhookCode(void* Target, void* SavedBytes);
// UnhookCode and FreeExecBuffer, when both are set.
void UnhookAndFree(void* Target, void*& SavedBytes);

// Executable, writable memory of Size bytes (nullptr for 4 or fewer).
void* AllocExecBuffer(int Size);
// P becomes nullptr once the memory is released.
void FreeExecBuffer(void*& P);

// Patches ProcName of Module unless it is Replacement already. True when
// bytes were saved; else Proc and SavedBytes are nullptr.
bool HookModuleProc(HMODULE Module, const char* ProcName, const void* Replacement, void*& SavedBytes, void*& Proc);
// The same for a module found by name, loaded when it is not loaded yet.
bool HookAPI(const char* ModuleName, const char* ProcName, const void* Replacement, void*& SavedBytes, void*& Proc,
             HMODULE& Module);

// The routine an import stub (jmp [slot] and a two-byte filler) jumps to;
// any other address is returned as it is.
void* ResolveImportThunk(void* Address);

// The lock's shared block: one per process, named after the process id, in
// every module's view of it.
struct TVsHookLockBlock {
  CRITICAL_SECTION Lock;
  HANDLE Event;  // not signalled while the lock is held
  LONG Count;    // modules of the process using the block
};

// True: maps the block (and counts this module); false: releases it.
void InitHookLock(bool Init);
void EnterHookLock();
void LeaveHookLock();
bool HookLockInitialized();
// This module's view of the block; nullptr while not mapped.
const TVsHookLockBlock* HookLockBlock();

int GetProcessorCount();

// kernel32's OpenThread and SetThreadIdealProcessor, nullptr where absent.
using TVsOpenThread = HANDLE(WINAPI*)(DWORD DesiredAccess, BOOL InheritHandle, DWORD ThreadId);
using TVsSetThreadIdealProcessor = DWORD(WINAPI*)(HANDLE Thread, DWORD IdealProcessor);
extern TVsOpenThread VsOpenThread;
extern TVsSetThreadIdealProcessor VsSetThreadIdealProcessor;

// Binds the kernel32 entries; the end releases the hook lock.
void InitializeVsInprocHookAPI();
void FinalizeVsInprocHookAPI();
