#include "VsList.h"

#include <algorithm>

void TVsList::BeforeDestruction() {
  Clear();
  TPersistent::BeforeDestruction();
}

TVsList::~TVsList() { TVsList::Clear(); }

void TVsList::Error(int Index) { throw EVsListError(Format("List index [%d] out of bounds...", Index)); }

void TVsList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= FCount) Error(Index);
}

void TVsList::FreeItem(void* Item) {
  try {
    static_cast<TObject*>(Item)->Free();
  } catch (...) {
    // Ownership ends here whatever the object's teardown raised.
  }
}

void TVsList::ShrinkIfSparse() {
  if (FCount < FCapacity / 2) SetCapacity(FCapacity / 2);
}

int TVsList::Add(void* Item) {
  if (FCount == FCapacity) Grow();
  FList[static_cast<size_t>(FCount)] = Item;
  return FCount++;
}

void TVsList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > FCount) Error(Index);
  if (FCount == FCapacity) Grow();
  std::move_backward(FList.begin() + Index, FList.begin() + FCount, FList.begin() + FCount + 1);
  FList[static_cast<size_t>(Index)] = Item;
  ++FCount;
}

int TVsList::IndexOf(void* Item) const {
  for (int I = 0; I < FCount; ++I)
    if (FList[static_cast<size_t>(I)] == Item) return I;
  return -1;
}

int TVsList::Remove(void* Item) {
  const int Index = IndexOf(Item);
  if (Index < 0) return -1;
  NotifyDelete(Item);
  std::move(FList.begin() + Index + 1, FList.begin() + FCount, FList.begin() + Index);
  FList[static_cast<size_t>(--FCount)] = nullptr;
  ShrinkIfSparse();
  return Index;
}

void TVsList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void* TVsList::Last() const { return FCount > 0 ? FList[static_cast<size_t>(FCount) - 1] : nullptr; }

void TVsList::Assign(TPersistent* Source) {
  TVsList* Other = dynamic_cast<TVsList*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  // Clearing first would empty (and, when owning, free) the very items to copy.
  if (Other == this) return;
  Clear();
  SetCapacity(Other->FCapacity);
  SetCount(Other->FCount);
  std::copy(Other->FList.begin(), Other->FList.begin() + Other->FCount, FList.begin());
}

void TVsList::Clear() {
  for (int I = 0; I < FCount; ++I) NotifyDelete(FList[static_cast<size_t>(I)]);
  if (FAutoClearObjects)
    for (int I = 0; I < FCount; ++I)
      if (void* Item = FList[static_cast<size_t>(I)]) FreeItem(Item);
  FCount = 0;
  FCapacity = 0;
  std::vector<void*>().swap(FList);
}

void TVsList::Delete(int Index) {
  CheckIndex(Index);
  if (void* Item = FList[static_cast<size_t>(Index)]) {
    NotifyDelete(Item);
    if (FAutoClearObjects) {
      FList[static_cast<size_t>(Index)] = nullptr;
      FreeItem(Item);
    }
  }
  std::move(FList.begin() + Index + 1, FList.begin() + FCount, FList.begin() + Index);
  FList[static_cast<size_t>(--FCount)] = nullptr;
  ShrinkIfSparse();
}

void TVsList::DeleteRange(int First, int Last) {
  CheckIndex(First);
  CheckIndex(Last);
  if (Last < First) Error(Last);
  for (int I = First; I <= Last; ++I) NotifyDelete(FList[static_cast<size_t>(I)]);
  std::move(FList.begin() + Last + 1, FList.begin() + FCount, FList.begin() + First);
  const int NewCount = FCount - (Last - First + 1);
  std::fill(FList.begin() + NewCount, FList.begin() + FCount, nullptr);
  FCount = NewCount;
  ShrinkIfSparse();
}

void TVsList::SetCount(int NewCount) {
  if (NewCount < 0 || NewCount > VsMaxListSize) Error(NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  // Slots at and beyond Count are always nullptr, so growing needs no fill.
  if (NewCount < FCount) std::fill(FList.begin() + NewCount, FList.begin() + FCount, nullptr);
  FCount = NewCount;
}

void TVsList::SetCapacity(int NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > VsMaxListSize) Error(NewCapacity);
  if (NewCapacity == FCapacity) return;
  std::vector<void*> NewList(static_cast<size_t>(NewCapacity), nullptr);
  std::copy(FList.begin(), FList.begin() + FCount, NewList.begin());
  FList.swap(NewList);
  FCapacity = NewCapacity;
}

void* TVsList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)];
}

void TVsList::Put(int Index, void* Item) {
  CheckIndex(Index);
  void* Old = FList[static_cast<size_t>(Index)];
  // Storing the item already there must not drop (and free) it.
  if (Old == Item) return;
  if (Old) {
    NotifyDelete(Old);
    if (FAutoClearObjects) {
      FList[static_cast<size_t>(Index)] = nullptr;
      FreeItem(Old);
    }
  }
  FList[static_cast<size_t>(Index)] = Item;
}

void TVsList::Grow() { SetCapacity(FCapacity + std::min(2 * FCount + 1, 1280)); }

void TVsList::NotifyDelete(void* Item) {
  if (OnDelete) OnDelete(this, Item);
}
