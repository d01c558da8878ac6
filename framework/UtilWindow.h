// Hidden utility windows whose messages go to a method, and the hook that
// every Win32 callback of the framework hands its exceptions to.
#pragma once

#include "Messages.h"
#include "Win.h"

// Called inside a catch block at a Win32 callback boundary (window and hook
// procedures, timer and enumeration callbacks); it reports the exception
// being handled (std::current_exception). The default shows its message in a
// message box captioned with the executable's name; the application points
// the hook at its own handler. The hook must not throw.
extern void (*HandleCallbackException)();

// The default hook: the message box described above.
void ShowCallbackException();

// The text reported for the exception being handled: Message() of an
// Exception, what() of another std::exception, a fixed text for anything else.
AnsiString CurrentExceptionMessage();

// Creates a hidden top-level window (WS_POPUP, never shown) on the calling
// thread; every message it receives after creation goes to Method, with
// Result preset to 0. A top-level window, unlike a message-only one, also
// receives broadcasts such as WM_THEMECHANGED and WM_SETTINGCHANGE.
// A method that does not handle a message passes it on with
// DefUtilWindowHandler(Wnd, Message). An exception leaving the method goes
// to HandleCallbackException and the message's result is 0.
// Raises EOutOfResources when the window cannot be created.
HWND AllocateHWnd(TWndMethod Method);

// Destroys a window made by AllocateHWnd, on the thread that made it; its
// method receives nothing more (not even WM_DESTROY). Safe to call from
// inside the method itself.
void DeallocateHWnd(HWND Wnd);

// The system's default handling for a message of a utility window: sets
// Message.Result from DefWindowProcA.
void DefUtilWindowHandler(HWND Wnd, TMessage& Message);
