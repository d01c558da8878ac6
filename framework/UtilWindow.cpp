#include "UtilWindow.h"

#include <cstring>
#include <exception>
#include <mutex>
#include <type_traits>

#include "Consts.h"
#include "SysUtils.h"

namespace {

const char UtilWindowClass[] = "SlovantaUtilWindow";

// A window's method lives in its extra bytes: nothing to look up or to keep
// in step with windows that die, and creation messages, which arrive before
// the method is stored, find none and get the default handling.
static_assert(std::is_trivially_copyable_v<TWndMethod>);
constexpr int MethodLongs = (sizeof(TWndMethod) + sizeof(LONG) - 1) / sizeof(LONG);

TWndMethod GetMethod(HWND Wnd) {
  LONG Longs[MethodLongs];
  for (int I = 0; I < MethodLongs; ++I) Longs[I] = GetWindowLongA(Wnd, I * static_cast<int>(sizeof(LONG)));
  TWndMethod Method;
  std::memcpy(&Method, Longs, sizeof Method);
  return Method;
}

void SetMethod(HWND Wnd, const TWndMethod& Method) {
  LONG Longs[MethodLongs] = {};
  std::memcpy(Longs, &Method, sizeof Method);
  for (int I = 0; I < MethodLongs; ++I) SetWindowLongA(Wnd, I * static_cast<int>(sizeof(LONG)), Longs[I]);
}

void ReportCallbackException() {
  try {
    HandleCallbackException();
  } catch (...) {
    // A failing report must not unwind through Win32 either.
  }
}

LRESULT CALLBACK UtilWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    TWndMethod Method = GetMethod(Wnd);
    if (!Method) return DefWindowProcA(Wnd, Msg, WParam, LParam);
    TMessage Message{Msg, WParam, LParam, 0};
    Method(Message);
    return Message.Result;
  } catch (...) {
    ReportCallbackException();
    return 0;
  }
}

void RegisterUtilWindowClass() {
  static std::once_flag Once;
  std::call_once(Once, [] {
    WNDCLASSA Class{};
    Class.lpfnWndProc = UtilWindowProc;
    Class.cbWndExtra = MethodLongs * sizeof(LONG);
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.lpszClassName = UtilWindowClass;
    if (!RegisterClassA(&Class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw EOutOfResources(LoadStr(SUtilWindowClassError));
  });
}

AnsiString ExecutableName() {
  char Path[MAX_PATH + 1] = {};
  DWORD Len = GetModuleFileNameA(nullptr, Path, MAX_PATH);
  AnsiString Name(Path, Len);
  size_t Slash = Name.find_last_of("\\/:");
  if (Slash != AnsiString::npos) Name.erase(0, Slash + 1);
  size_t Dot = Name.rfind('.');
  if (Dot != AnsiString::npos && Dot > 0) Name.erase(Dot);
  return Name;
}

}  // namespace

void (*HandleCallbackException)() = ShowCallbackException;

AnsiString CurrentExceptionMessage() {
  std::exception_ptr Current = std::current_exception();
  if (!Current) return {};
  try {
    std::rethrow_exception(Current);
  } catch (const Exception& E) {
    return E.Message();
  } catch (const std::exception& E) {
    return E.what();
  } catch (...) {
    return "Unknown exception";
  }
}

void ShowCallbackException() {
  AnsiString Text = CurrentExceptionMessage();
  AnsiString Caption = ExecutableName();
  MessageBoxA(nullptr, Text.c_str(), Caption.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

HWND AllocateHWnd(TWndMethod Method) {
  RegisterUtilWindowClass();
  HWND Wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!Wnd) throw EOutOfResources(LoadStr(SUtilWindowError));
  SetMethod(Wnd, Method);
  return Wnd;
}

void DeallocateHWnd(HWND Wnd) {
  SetMethod(Wnd, TWndMethod());
  DestroyWindow(Wnd);
}

void DefUtilWindowHandler(HWND Wnd, TMessage& Message) {
  Message.Result = DefWindowProcA(Wnd, Message.Msg, Message.WParam, Message.LParam);
}
