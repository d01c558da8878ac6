// Typed text for controls that search as the user types: a processor that
// turns key, dead-key and input-method messages into UTF-16 text, the
// accumulating input, the dead-key composition shared with the edit, and
// the thread that ends a typed prefix after a pause.
#pragma once

#include <windows.h>
#include <imm.h>

#include <atomic>

#include "Messages.h"
#include "System.h"
#include "Threads.h"

// The keyboard and input-method entry points, bound by name from "USER32"
// and "IMM32" on first use. Tests put their own in; nullptr disables a path.
struct TVsKeyboardApi {
  int(WINAPI* ToUnicode)(UINT VirtKey, UINT ScanCode, const BYTE* KeyState, LPWSTR Buffer, int BufferSize,
                         UINT Flags) = nullptr;
  BOOL(WINAPI* GetKeyboardState)(PBYTE KeyState) = nullptr;
  HIMC(WINAPI* ImmGetContext)(HWND Wnd) = nullptr;
  BOOL(WINAPI* ImmReleaseContext)(HWND Wnd, HIMC Context) = nullptr;
  LONG(WINAPI* ImmGetCompositionStringW)(HIMC Context, DWORD Index, LPVOID Buffer, DWORD BufferLength) = nullptr;
  LONG(WINAPI* ImmGetCompositionStringA)(HIMC Context, DWORD Index, LPVOID Buffer, DWORD BufferLength) = nullptr;
};
TVsKeyboardApi& VsKeyboardApi();
// The entry points of the system, as VsKeyboardApi starts with.
TVsKeyboardApi VsSystemKeyboardApi();

// 8-bit text in the ANSI code page of the current keyboard layout (the
// system's when the layout names none), precomposed.
WideString AnsiToWideKeyboardCP(const AnsiString& S);

// What a pending dead character (an 8-bit code of code page 1250) and the
// next key's character give: the accented letter, or the dead character
// followed by the key where no letter exists. Empty when DeadChar is no
// accent.
WideString ComposeDeadKey(unsigned char DeadChar, WideChar Key);

// Case modes.
constexpr unsigned char vsCaseNone = 0;
constexpr unsigned char vsCaseUpper = 1;
constexpr unsigned char vsCaseLower = 2;

class TVsKeyboardInputProcessor : public TObject {
public:
  virtual void SetCaseMode(unsigned char Mode);
  // The text one message gave.
  virtual void DoText(const WideString& Text);
  // The low byte of the character becomes the pending dead character.
  virtual void WMDeadChar(TMessage& Message);
  // The result string, with GCS_RESULTSTR and a target window.
  virtual void WMIMEComposition(TMessage& Message);
  // The key's characters through ToUnicode (NT platform).
  virtual void WMKeyDown(TMessage& Message);
  // The character through the system code page (other platforms).
  virtual void WMChar(TMessage& Message);

  unsigned char CaseMode() const { return FCaseMode; }
  const WideString& LastText() const { return FLastText; }
  HWND TargetWindow() const { return FTargetWindow; }
  void SetTargetWindow(HWND Value) { FTargetWindow = Value; }

protected:
  WideString ApplyCase(const WideString& S) const;

  unsigned char FCaseMode = vsCaseNone;
  int FDeadCharCount = 0;
  unsigned char FDeadChar = 0;
  HWND FTargetWindow = nullptr;
  WideString FLastText;
};

// Accumulates the text of every message; Backspace takes the last
// character off.
class TVsKeyboardInput : public TVsKeyboardInputProcessor {
public:
  void SetCaseMode(unsigned char Mode) override;
  void DoText(const WideString& Text) override;
  void WMKeyDown(TMessage& Message) override;
  const WideString& Text() const { return FText; }
  void ClearText() { FText.clear(); }

private:
  WideString FText;
};

// Ends after a pause of one timeout without SetKeepAlive. Created suspended
// with its owner's handler, which runs on the GUI thread when it ends; it
// frees itself then. An owner that goes first clears OnTerminate and calls
// Terminate: the thread then ends at its next wake-up and calls nothing.
class TSearchTextTimeoutThread : public TThread {
public:
  explicit TSearchTextTimeoutThread(TNotifyEvent OnTimeout);
  int Timeout() const { return FTimeout.load(); }
  void SetTimeout(int Milliseconds) { FTimeout.store(Milliseconds); }
  void SetKeepAlive(bool Value);

protected:
  void Execute() override;

private:
  TCriticalSection FSection;
  bool FKeepAlive = false;
  std::atomic<int> FTimeout{0};
};
