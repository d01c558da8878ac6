// Wide text for the framework's controls: a UTF-16 caption and hint kept
// beside the framework's 8-bit ones, Unicode windows for windowed controls,
// and the trap that carries wide text and wide characters between such a
// window and the framework's 8-bit message handling.
//
// A wide value is kept beside an 8-bit one under one rule: it counts only
// while its 8-bit form (system code page) equals the 8-bit value the
// framework holds, since anything may have changed that value meanwhile.
#pragma once

#include <functional>
#include <memory>

#include "Controls.h"
#include "Forms.h"
#include "UniSysUtils.h"

// Start-up: the holder and trap records; registers TUniHintWindow.
// Shut-down (after every control is
// gone): frees them; traps pass nothing on from then on.
void InitializeUniControls();
void FinalizeUniControls();

// ---------------------------------------------------------------------------
// Wide values beside 8-bit ones

// The wide caption (of a control without a Unicode window) and the wide hint
// of one control; made on first need, gone with the control.
class TWideCaptionHolder : public TObject {
public:
  explicit TWideCaptionHolder(TControl* AControl) : Control(AControl) {}
  TControl* Control;
  WideString WideCaption;
  WideString WideHint;
};

// The control's holder; nullptr when it has none and Create is false.
TWideCaptionHolder* FindWideCaptionHolder(TControl* Control, bool Create);

// Sets the framework's 8-bit value.
using TSetAnsiValue = std::function<void(const AnsiString& Value)>;

// Stored is replaced by Current converted when its 8-bit form differs from
// Current; the result is Stored.
WideString SyncWideRead(WideString& Stored, const AnsiString& Current);
// Nothing when NewValue equals what SyncWideRead gives. A NewValue that the
// code page cannot hold, whose 8-bit form equals Current already, first
// sets the empty 8-bit value so that the framework sees a change. Then
// Stored := NewValue and its 8-bit form is set.
void SyncWideWrite(const WideString& NewValue, WideString& Stored, const AnsiString& Current,
                   const TSetAnsiValue& SetAnsi);

// The caption/text of any control in UTF-16: from its Unicode window when it
// has one, else from its holder (while in step with the 8-bit text), else
// the 8-bit text converted.
WideString WideGetControlText(TControl* Control);
// Sets it; on a Unicode window only when it differs (then SetWindowTextW
// and CM_TEXTCHANGED).
void WideSetControlText(TControl* Control, const WideString& Text);
WideString WideGetControlHint(TControl* Control);
void WideSetControlHint(TControl* Control, const WideString& Text);
// The first non-empty wide hint of the control or its parents; empty when
// none has one.
WideString WideGetParentHint(TControl* Control);
// False while the control's action link supplies the caption (hint): then
// the action holds the value, not the control.
bool IsWideCaptionStored(TControl* Control);
bool IsWideHintStored(TControl* Control);
// The part before and after the first "|"; the whole hint without one.
WideString WideGetShortHint(const WideString& Hint);
WideString WideGetLongHint(const WideString& Hint);

// ---------------------------------------------------------------------------
// Unicode windows

// The control whose Unicode window CreateUnicodeHandle is making, else
// nullptr (saved and restored around nested creations).
TWinControl* CreatingUnicodeControl();

// Makes the control's window, for a control's CreateWindowHandle override.
// Off the Unicode platform: the 8-bit window the framework would make.
// Otherwise a window of the class RegisterUnicodeClass gives, with the trap
// on it; with a SystemClass ("EDIT", "LISTBOX"...) the trap's default
// procedure passes on to that class's W procedure, without one the window
// keeps the framework's painting and DefWindowProcW. Failures raise the
// system error.
void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params, const WideChar* SystemClass);
// "<WinClassName>.UnicodeClass", registered with RegisterClassW from the
// whole window class of Params (class procedure the framework's
// InitWndProc); reused when it is registered so already.
WideString RegisterUnicodeClass(const TCreateParams& Params);
// Puts the trap in front of the control's message handler and the
// holder's text (or Caption) on the new window. EUniInternalError when the
// window is not a Unicode window.
void SubClassUnicodeControl(TWinControl* Control, const AnsiString& Caption);

// NFR_UNICODE on the Unicode platform for a Unicode window (or the one being
// made), else NFR_ANSI.
LRESULT WideNotifyFormat(HWND Wnd);

// A WM_CHAR of a Unicode window on its way to the framework's 8-bit
// handling: a code of 128 or more goes to the high word and the low byte
// becomes 255. Back on its way to the window: a 255 with a high word gives
// the code again; a low byte of 128 or more without one (a handler's 8-bit
// key) is read in the keyboard's code page. The high word is cleared.
void PackWideCharMessage(TMessage& Message);
void UnpackWideCharMessage(TMessage& Message);

// The trap of a Unicode window: a handler in front of the control's
// WindowProc and the control's default procedure. A trap outlives every
// handler chain that names it: one unhooked cleanly is kept for reuse, one
// left behind another handler stays until shut-down and, once its control
// is gone, answers 0.
class TWinControlTrap : public TObject {
public:
  TWinControlTrap();
  ~TWinControlTrap() override;

  TWinControl* Control() const { return FControl; }
  // True until the trap is freed (at shut-down).
  bool Alive() const { return FCanary == CanaryValue; }
  // The handler put in front of the control's WindowProc.
  void MessageHandler(TMessage& Message);

private:
  friend struct TUniControlsAccess;
  friend void CreateUnicodeHandle(TWinControl*, const TCreateParams&, const WideChar*);
  friend void SubClassUnicodeControl(TWinControl*, const AnsiString&);
  static constexpr unsigned CanaryValue = 0x54524150;

  unsigned FCanary = CanaryValue;
  TWinControl* FControl = nullptr;
  HWND FWindowHandle = nullptr;
  WNDPROC FSavedDefaultProc = nullptr;
  TWndMethod FSavedMessageHandler;
  // The trap's handler is in the control's chain.
  bool FHooked = false;
  bool FProbing = false;
  bool FProbeAnswered = false;
};

// The control's trap, or nullptr.
TWinControlTrap* FindWinControlTrap(TControl* Control);

// ---------------------------------------------------------------------------
// Wide hints

// The trap's step on CM_HINTSHOW (Unicode platform): the framework's hint
// window class (or none) becomes TUniHintWindow; for that class or a
// descendant the record is marked as a wide hint and its 8-bit text becomes
// the 8-bit form of the wide short hint of the control (or its parents).
// Other hint window classes are left alone.
void WideSubstituteHint(THintInfo& Info);
// Whether Data is the record WideSubstituteHint marked last, for a
// TUniHintWindow class. Nothing but that record is looked at.
bool IsWideHintData(const void* Data);
// The wide text of a marked hint record: the wide short hint while its
// 8-bit form is the record's text (also with the shortcut of the control's
// action behind it, in the wide shortcut text), else that text converted.
WideString WideHintText(const THintInfo& Info);

// A hint window that measures and draws the wide text of a marked hint.
class TUniHintWindow : public THintWindow {
public:
  using THintWindow::THintWindow;

  void ActivateHint(const TRect& Rect, const AnsiString& AHint) override;
  void ActivateHintData(const TRect& Rect, const AnsiString& AHint, void* AData) override;
  TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;
  void WndProc(TMessage& Message) override;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Paint() override;

private:
  bool FActivating = false;
  bool FDataPainting = false;
};
