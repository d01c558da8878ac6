// The application's side of the Unicode layer: the wide application hint,
// the message hook that takes wide characters typed into Unicode windows past
// the framework's 8-bit message loop, and the accelerator test of wide
// captions.
#pragma once

#include "Forms.h"
#include "System.h"

// Start-up: creates UniApplication and, on the Unicode platform, installs
// the hook (a failure raises the system error). Shut-down: removes the hook
// (a failure is ignored) and frees UniApplication.
void InitializeUniForms();
void FinalizeUniForms();

class TUniAction;

// A 0 x 0 control on the main form whose action keeps the wide application
// hint up to date: the framework updates the actions of visible controls
// when the application is idle.
class TUniAppIdleEventControl : public TControl {
public:
  explicit TUniAppIdleEventControl(TComponent* AOwner);
  ~TUniAppIdleEventControl() override;

private:
  void Idle(TObject* Sender);
};

// The companion of the framework's application. Its hook on the
// application window takes the framework's hint action when it carries the
// wide application hint's 8-bit form, and runs a wide hint action instead.
class TUniApplication : public TComponent {
public:
  TUniApplication();
  ~TUniApplication() override;
  void BeforeDestruction() override;

  // The application's hint in UTF-16, beside the framework's 8-bit one.
  WideString WideHint;
  // The idle control has been made (once the main form exists).
  bool IdleChecked = false;
  TUniAppIdleEventControl* IdleControl = nullptr;

private:
  bool MainWindowHook(TMessage& Message);
};

extern TUniApplication* UniApplication;

// The wide application hint, kept in step with Application->Hint().
WideString GetWideAppHint();
void SetWideAppHint(const WideString& Value);
// The long part of the wide hint of the control under the mouse (or of its
// parents).
void UpdateWideAppHint();

// The hook's step for a message taken from the queue: makes the idle
// control once the main form exists. A WM_CHAR of 128 or more for a Unicode
// window goes through Application->OnMessage, ends the
// hint and is dispatched here (unless handled, or taken by the dialog
// window); true then. Everything else is left to the framework's loop.
bool ProcessWideCharMessage(MSG& Msg);

// The character (an 8-bit code read in the keyboard's code page, or UTF-16
// from 256 on) is the caption's accelerator, ignoring case.
bool IsWideCharAccel(Word CharCode, const WideString& Caption);
