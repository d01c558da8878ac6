// Timing shared by the benchmark programs.
#pragma once

#include <algorithm>
#include <functional>

#include "Win.h"

// Seconds on the high-resolution counter.
inline double Seconds() {
  LARGE_INTEGER Frequency, Counter;
  QueryPerformanceFrequency(&Frequency);
  QueryPerformanceCounter(&Counter);
  return static_cast<double>(Counter.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

// The best time of Runs runs of Body; Prepare runs untimed before each.
inline double Best(const std::function<void()>& Body, const std::function<void()>& Prepare = [] {}, int Runs = 3) {
  double Result = 1e9;
  for (int I = 0; I < Runs; ++I) {
    Prepare();
    const double Start = Seconds();
    Body();
    Result = std::min(Result, Seconds() - Start);
  }
  return Result;
}
