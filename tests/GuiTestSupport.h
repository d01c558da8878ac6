// Message pumping for the window tests.
#pragma once

#include <functional>

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Win.h"

// Serves the application's messages until Done() holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& Done, DWORD TimeoutMs = 3000) {
  const DWORD Start = GetTickCount();
  for (;;) {
    Application->ProcessMessages();
    if (Done()) return true;
    if (GetTickCount() - Start > TimeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Serves the application's messages for Ms milliseconds.
inline void PumpFor(DWORD Ms) { PumpUntil([] { return false; }, Ms); }

// A control painted by itself into a bitmap over a known background, for
// reading its pixels.
class TShot {
public:
  explicit TShot(TControl* Control, COLORREF Background = RGB(255, 0, 255))
      : FWidth(Control->Width()), FHeight(Control->Height()) {
    HDC Screen = GetDC(nullptr);
    FDC = CreateCompatibleDC(Screen);
    FBitmap = CreateCompatibleBitmap(Screen, FWidth, FHeight);
    ReleaseDC(nullptr, Screen);
    FOld = SelectObject(FDC, FBitmap);
    HBRUSH Fill = CreateSolidBrush(Background);
    const RECT R{0, 0, FWidth, FHeight};
    FillRect(FDC, &R, Fill);
    DeleteObject(Fill);
    if (auto* W = dynamic_cast<TWinControl*>(Control))
      W->PaintTo(FDC, 0, 0);
    else
      Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(FDC), 0);
  }
  ~TShot() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TShot(const TShot&) = delete;
  TShot& operator=(const TShot&) = delete;
  COLORREF At(int X, int Y) const { return GetPixel(FDC, X, Y); }
  // How many pixels of the rectangle (or of the whole picture) have the colour.
  int Count(const TRect& R, COLORREF Color) const {
    int N = 0;
    for (int Y = R.top; Y < R.bottom; ++Y)
      for (int X = R.left; X < R.right; ++X) N += At(X, Y) == Color;
    return N;
  }
  int Count(COLORREF Color) const { return Count(TRect{0, 0, FWidth, FHeight}, Color); }

private:
  int FWidth, FHeight;
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

inline BOOL CALLBACK FindVisibleHint(HWND Wnd, LPARAM Data) {
  auto* Hint = dynamic_cast<THintWindow*>(FindControl(Wnd));
  if (Hint && IsWindowVisible(Wnd)) *reinterpret_cast<THintWindow**>(Data) = Hint;
  return TRUE;
}

// The application's hint window while it is on the screen, else null.
inline THintWindow* VisibleHintWindow() {
  THintWindow* Found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleHint, reinterpret_cast<LPARAM>(&Found));
  return Found;
}
