// Window messages as the framework passes them to controls and objects, and
// the framework's own message numbers.
#pragma once

#include "System.h"
#include "Win.h"

// One message: its number, parameters and the result the handler sets.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = TMethodPtr<void(TMessage& Message)>;

// ---------------------------------------------------------------------------
// Component messages: sent by the framework to controls (through Perform or
// to their windows). Where a message concerns a control, LParam is that
// control (TControl*) unless said otherwise.

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0x00;
constexpr UINT CM_DEACTIVATE = CM_BASE + 0x01;
constexpr UINT CM_CANCELMODE = CM_BASE + 0x04;
// WParam the virtual key, LParam the key data; non-zero Result: handled.
constexpr UINT CM_DIALOGKEY = CM_BASE + 0x05;
// WParam the 8-bit character code, LParam the key data; non-zero: handled.
constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x06;
// LParam the control that got the focus.
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 0x07;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 0x08;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 0x09;
// LParam the point (client coordinates of the control); Result 0: not hit.
constexpr UINT CM_HITTEST = CM_BASE + 0x0A;
// WParam the new Visible.
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 0x0B;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 0x0C;
// The system colours changed (sent to every window by the theme engine).
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 0x0D;
// The control's own Color changed.
constexpr UINT CM_COLORCHANGED = CM_BASE + 0x0E;
constexpr UINT CM_FONTCHANGED = CM_BASE + 0x0F;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 0x10;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 0x11;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 0x12;
// LParam the control the mouse entered or left.
constexpr UINT CM_MOUSEENTER = CM_BASE + 0x13;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 0x14;
constexpr UINT CM_MENUCHANGED = CM_BASE + 0x15;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 0x16;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 0x17;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 0x18;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 0x19;
constexpr UINT CM_ENTER = CM_BASE + 0x1A;
constexpr UINT CM_EXIT = CM_BASE + 0x1B;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 0x1C;
constexpr UINT CM_ICONCHANGED = CM_BASE + 0x1D;
// WParam the virtual key; non-zero Result: the control handles the key
// itself although it is a dialog key.
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 0x1E;
constexpr UINT CM_RELEASE = CM_BASE + 0x21;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 0x22;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 0x23;
// WParam and LParam of WM_SETTINGCHANGE.
constexpr UINT CM_WININICHANGE = CM_BASE + 0x25;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 0x28;
constexpr UINT CM_UIACTIVATE = CM_BASE + 0x29;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 0x2C;
// WParam the virtual key, LParam the control that has the focus; sent up
// from that control to its parents before dialog keys; non-zero: handled.
constexpr UINT CM_CHILDKEY = CM_BASE + 0x2E;
// LParam the hint information record (THintInfo*); non-zero Result: no hint.
constexpr UINT CM_HINTSHOW = CM_BASE + 0x30;
constexpr UINT CM_RECREATEWND = CM_BASE + 0x33;
constexpr UINT CM_INVALIDATE = CM_BASE + 0x34;
// Sent to a parent: WParam the child (TControl*), LParam 1 when it was
// inserted, 0 when it was removed.
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 0x36;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 0x3A;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 0x3F;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 0x40;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 0x41;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 0x42;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 0x43;

// ---------------------------------------------------------------------------
// Notifications reflected to the control they concern: the parent passes
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM... of a child window on to the child as
// CN_BASE + the message, with the same parameters; the child's Result is
// the parent's answer. Keyboard messages reach a control as CN_KEYDOWN...
// from the message loop before they are dispatched (non-zero: consumed).

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---------------------------------------------------------------------------
// Typed views of a message's parameters (they read and write the message).

// WM_KEYDOWN, WM_KEYUP, WM_CHAR, their WM_SYS and CN_ forms, CM_DIALOGKEY.
struct TWMKey {
  TMessage& Message;
  Word CharCode() const { return static_cast<Word>(Message.WParam); }
  void SetCharCode(Word Value) { Message.WParam = Value; }
  LPARAM KeyData() const { return Message.LParam; }
};

// Mouse button and move messages: the key flags (MK_...) and the point in
// client coordinates (signed: a captured mouse may be left of or above it).
struct TWMMouse {
  TMessage& Message;
  WPARAM Keys() const { return Message.WParam; }
  int XPos() const { return static_cast<short>(LOWORD(Message.LParam)); }
  int YPos() const { return static_cast<short>(HIWORD(Message.LParam)); }
};

// Packs a point for the LParam of a mouse message.
inline LPARAM PointToLParam(int X, int Y) {
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(static_cast<short>(X)), static_cast<WORD>(static_cast<short>(Y))));
}
