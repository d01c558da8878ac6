// A growable stack of untyped pointers. It never owns what it holds.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "System.h"

// Raised with "VsStack is empty.", "Cannot shift VsStack", "Invalid VsStack
// capacity." or "VsStack index [%d] out of bounds..." before anything changes.
FRAMEWORK_EXCEPTION(EVsStackError, Exception)

class TVsStack : public TObject {
public:
  void Push(void* Item);
  // Takes the top item off.
  void* Pop();
  // Drops the N bottom items.
  void Shift(int N);
  bool Empty() const { return FCount == 0; }

  // Index 0 is the bottom.
  void* Items(int Index) const;
  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }
  void SetCapacity(int NewCapacity);

private:
  std::vector<void*> FList;
  int FCount = 0;
  int FCapacity = 0;
};
