// Collections: lists of persistent items that the collection owns, such as
// the columns of a list view; layouts fill them with "< item ... end >".
#pragma once

#include <vector>

#include "Classes.h"
#include "System.h"

class TCollection;

// One item. It is created into a collection (which then owns it) and
// removes itself from it when freed.
class TCollectionItem : public TPersistent {
public:
  explicit TCollectionItem(TCollection* ACollection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  // Moves the item into another collection (or out of any, nullptr).
  void SetCollection(TCollection* Value);
  int Index() const;
  // Moves the item within its collection (clamped to the valid range).
  void SetIndex(int Value);
  // A number unique within the collection, kept when the item moves.
  int ID() const { return FID; }

protected:
  // Tells the collection that this item (AllItems: every item) changed.
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// Creates an item of the collection's item class into ACollection.
using TCollectionItemFactory = TCollectionItem* (*)(TCollection* ACollection);
template <class T> TCollectionItem* CollectionItemOf(TCollection* ACollection) { return new T(ACollection); }

// An ordered list of items of one item class. Index errors raise EListError
// "List index out of bounds (%d)".
class TCollection : public TPersistent {
public:
  explicit TCollection(TCollectionItemFactory AItemClass);
  ~TCollection() override;

  TCollectionItemFactory ItemClass() const { return FItemClass; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;
  // Copies Value into the item at Index (Assign).
  void SetItems(int Index, TCollectionItem* Value);

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;

  // Nested; Update runs once when the outermost bracket ends.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // From another collection: the same number of items, each assigned from
  // its counterpart. Anything else: the default error.
  void Assign(TPersistent* Source) override;

protected:
  // Called after a change outside an update: Item changed, or (nullptr) the
  // collection as a whole. The default does nothing.
  virtual void Update(TCollectionItem* Item);
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void CheckIndex(int Index) const;

  TCollectionItemFactory FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};
