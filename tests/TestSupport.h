// Small helpers shared by the test programs.
#pragma once

#include <string>

#include "System.h"
#include "Win.h"

// The message of the E that Body raises, or "(nothing raised)".
template <class E, class F> std::string MessageOf(F&& Body) {
  try {
    Body();
  } catch (const E& Err) {
    return Err.Message();
  }
  return "(nothing raised)";
}

// A path in the temporary folder; Prefix keeps the files of test programs
// that run side by side apart.
inline AnsiString TestTempPath(const char* Prefix, const char* Name) {
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  return AnsiString(Dir) + "slovanta-" + Prefix + "-" + Name;
}
