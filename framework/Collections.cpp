#include "Collections.h"

#include <algorithm>
#include <string>

#include "Consts.h"
#include "SysUtils.h"

// --- TCollectionItem ---

TCollectionItem::TCollectionItem(TCollection* ACollection) { SetCollection(ACollection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& Items = FCollection->FItems;
  return static_cast<int>(std::find(Items.begin(), Items.end(), this) - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  const int Current = Index();
  if (Current < 0) return;
  auto& Items = FCollection->FItems;
  const int Target = std::clamp(Value, 0, static_cast<int>(Items.size()) - 1);
  if (Target == Current) return;
  Items.erase(Items.begin() + Current);
  Items.insert(Items.begin() + Target, this);
  Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// --- TCollection ---

TCollection::TCollection(TCollectionItemFactory AItemClass) : FItemClass(AItemClass) {}

TCollection::~TCollection() {
  // No Update calls while the collection goes.
  ++FUpdateCount;
  while (!FItems.empty()) FItems.back()->Free();
}

void TCollection::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(FmtLoadStr(SListIndexError, Index));
}

TCollectionItem* TCollection::Items(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::SetItems(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  if (It == FItems.end()) return;
  FItems.erase(It);
  Item->FCollection = nullptr;
  Changed();
}

TCollectionItem* TCollection::Add() {
  BeginUpdate();
  TCollectionItem* Item = nullptr;
  try {
    // The factory inserts the new item into this collection.
    Item = FItemClass(this);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return Item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) throw EListError(FmtLoadStr(SListIndexError, Index));
  BeginUpdate();
  try {
    TCollectionItem* Item = Add();
    Item->SetIndex(Index);
    EndUpdate();
    return Item;
  } catch (...) {
    EndUpdate();
    throw;
  }
}

void TCollection::Delete(int Index) { Items(Index)->Free(); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) FItems.back()->Free();
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* Item : FItems)
    if (Item->ID() == ID) return Item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TCollection*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* Item : Other->FItems) Add()->Assign(Item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
