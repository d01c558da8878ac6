// Message pumping for the window tests.
#pragma once

#include <functional>

#include "Forms.h"
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
