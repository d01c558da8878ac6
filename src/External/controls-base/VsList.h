// A growable list of untyped pointers that can own what it holds and tells
// its user about every item it drops.
#pragma once

#include <vector>

#include "Classes.h"
#include "SysUtils.h"
#include "System.h"

// Raised with "List index [%d] out of bounds..." before anything changes.
FRAMEWORK_EXCEPTION(EVsListError, Exception)

// Fired for each item the list drops (Sender is the list).
using TVsListDeleteEvent = TMethodPtr<void(TObject* Sender, void* Item)>;

// The most slots a list may have (and so the most items).
constexpr int VsMaxListSize = 0x7FFFFFF;

// With AutoClearObjects the items are TObjects that Clear, Delete and Put
// free when they drop them; DeleteRange and Remove never free.
class TVsList : public TPersistent {
public:
  TVsList() = default;
  // Clears the list (notifications and freeing) while the whole object exists.
  void BeforeDestruction() override;
  // Clears what is left when the list was deleted without Free.
  ~TVsList() override;

  int Add(void* Item);
  void Insert(int Index, void* Item);
  int IndexOf(void* Item) const;
  // Drops the first occurrence of Item (notified, never freed); its former
  // index, or -1.
  int Remove(void* Item);
  void Exchange(int Index1, int Index2);
  // The last item; nullptr for an empty list.
  void* Last() const;

  // From another TVsList: clears this one, then copies its pointers.
  void Assign(TPersistent* Source) override;
  virtual void Clear();
  virtual void Delete(int Index);
  // Drops First..Last, notifying each; the objects are never freed.
  virtual void DeleteRange(int First, int Last);

  void* Items(int Index) const { return Get(Index); }
  void SetItems(int Index, void* Item) { Put(Index, Item); }
  int Count() const { return FCount; }
  // Raising the count adds nullptr slots; lowering it drops items silently.
  void SetCount(int NewCount);
  int Capacity() const { return FCapacity; }
  void SetCapacity(int NewCapacity);
  bool AutoClearObjects() const { return FAutoClearObjects; }
  void SetAutoClearObjects(bool Value) { FAutoClearObjects = Value; }

  TVsListDeleteEvent OnDelete;

protected:
  virtual void* Get(int Index) const;
  virtual void Put(int Index, void* Item);
  // Adds Min(2 * Count + 1, 1280) slots.
  virtual void Grow();
  virtual void NotifyDelete(void* Item);

  [[noreturn]] static void Error(int Index);
  void CheckIndex(int Index) const;

private:
  // Frees an owned object, swallowing whatever its destruction raises.
  static void FreeItem(void* Item);
  void ShrinkIfSparse();

  bool FAutoClearObjects = false;
  int FCapacity = 0;
  int FCount = 0;
  std::vector<void*> FList;
};
