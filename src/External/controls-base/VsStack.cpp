#include "VsStack.h"

#include <algorithm>

#include "VsList.h"

namespace {

[[noreturn]] void StackError(const AnsiString& Message) { throw EVsStackError(Message); }

}  // namespace

void TVsStack::Push(void* Item) {
  if (FCount == FCapacity) SetCapacity(FCapacity + (FCapacity <= 8 ? 4 : FCapacity <= 64 ? 16 : FCapacity / 4));
  FList[static_cast<size_t>(FCount++)] = Item;
}

void* TVsStack::Pop() {
  if (FCount == 0) StackError("VsStack is empty.");
  void* Item = FList[static_cast<size_t>(--FCount)];
  FList[static_cast<size_t>(FCount)] = nullptr;
  if (FCount < FCapacity / 2) SetCapacity(FCapacity / 2);
  return Item;
}

void TVsStack::Shift(int N) {
  if (N < 0 || N > FCount) StackError("Cannot shift VsStack");
  if (FCount == 0) StackError("VsStack is empty.");
  std::move(FList.begin() + N, FList.begin() + FCount, FList.begin());
  FCount -= N;
  std::fill(FList.begin() + FCount, FList.end(), nullptr);
  SetCapacity(FCount);
}

void* TVsStack::Items(int Index) const {
  if (Index < 0 || Index >= FCount) StackError(Format("VsStack index [%d] out of bounds...", Index));
  return FList[static_cast<size_t>(Index)];
}

void TVsStack::SetCapacity(int NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > VsMaxListSize) StackError("Invalid VsStack capacity.");
  if (NewCapacity == FCapacity) return;
  std::vector<void*> NewList(static_cast<size_t>(NewCapacity), nullptr);
  std::copy(FList.begin(), FList.begin() + FCount, NewList.begin());
  FList.swap(NewList);
  FCapacity = NewCapacity;
}
