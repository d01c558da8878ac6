// The process-wide patch of user32's scroll-bar functions: SetScrollInfo,
// SetScrollRange, SetScrollPos and ShowScrollBar calls for a window with
// custom bars are served by the window's IVsScrollBarAPI, which the window
// hands out through the registered message VS_SBCONTROL. The system bar's
// state is kept in step (the real function still runs, without drawing),
// so GetScrollInfo needs no patch.
//
// The original routines are called through a trampoline (their moved first
// instructions and a jump back) where the entry starts with a prefix known
// to move; elsewhere the saved bytes are written back for the call, under
// the hook lock. Where user32 forwards to win32u (Wine), win32u's
// NtUserSetScrollInfo is patched as well, so that the system's own list box
// and edit reach the custom bars too.
#pragma once

#include "System.h"
#include "Win.h"

// The interface of a window's custom scroll bars. The slots follow the COM
// layout; references are not counted (the controller is a component).
class IVsScrollBarAPI {
public:
  virtual HRESULT __stdcall QueryInterface(REFIID Iid, void** Object) = 0;
  virtual ULONG __stdcall AddRef() = 0;
  virtual ULONG __stdcall Release() = 0;
  virtual BOOL __stdcall EnableScrollBar(int Bar, UINT Arrows) = 0;
  virtual BOOL __stdcall GetScrollRange(int Bar, int* MinPos, int* MaxPos) = 0;
  virtual int __stdcall GetScrollPos(int Bar) = 0;
  virtual BOOL __stdcall GetScrollInfo(int Bar, SCROLLINFO* Info) = 0;
  virtual int __stdcall SetScrollInfo(int Bar, const SCROLLINFO* Info, BOOL Redraw) = 0;
  virtual BOOL __stdcall SetScrollRange(int Bar, int MinPos, int MaxPos, BOOL Redraw) = 0;
  virtual BOOL __stdcall ShowScrollBar(int Bar, BOOL Show) = 0;
  virtual int __stdcall SetScrollPos(int Bar, int Pos, BOOL Redraw) = 0;
  virtual void __stdcall NotifyScrollInfo(int Bar, const SCROLLINFO* Info, BOOL Redraw) = 0;

protected:
  ~IVsScrollBarAPI() = default;
};

extern const GUID IID_IVsScrollBarAPI;

// The registered message: wParam 1 asks for the window's IVsScrollBarAPI
// (0: none), wParam 2 repaints bar lParam (0, 1, or both above 1).
extern UINT VS_SBCONTROL;
constexpr WPARAM SBControlGetAPI = 1, SBControlRepaint = 2;

// The interface of a window of the calling thread, nullptr for any other.
IVsScrollBarAPI* GetScrollBarAPI(HWND Wnd);

// The patch is in force (in every layer this system needs).
bool ScrollBarPatchActive();
// This module's replacements are the ones patched in.
bool ScrollBarPatchOwner();

// How an original routine is called.
enum TVsSBCallMode { scmNone, scmTrampoline, scmRestore };
// By index: EnableScrollBar, SetScrollInfo, SetScrollRange, SetScrollPos,
// ShowScrollBar, then win32u's NtUserSetScrollInfo.
constexpr int SBPatchCount = 6;
TVsSBCallMode ScrollBarCallMode(int Index);
// The length of the entry's known whole-instruction prefix, 0 for none.
int ScrollEntryPrefix(const Byte* Code);
// For tests: the next routine patched as if its prefix were unknown.
void ForceRestoreCallMode(bool Value);

// Counts the replacements of this module that acted, by index.
int ScrollBarPatchHits(int Index);

// The shared block: five records of 12 bytes, the module count, the
// re-patch flag.
struct TVsSBPatchRecord {
  void* SavedBytes;
  void* Proc;
  void* Replacement;
};
struct TVsSBPatchBlock {
  TVsSBPatchRecord Records[5];
  LONG Count;
  Byte Repatch;
};
constexpr DWORD SBPatchBlockSize = 65;
const TVsSBPatchBlock* ScrollBarPatchBlock();

// The first call patches (or joins the patch of another module), later
// ones count; the matching last DoneScrollBarPatch undoes it.
void InitScrollBarPatch();
void DoneScrollBarPatch();
