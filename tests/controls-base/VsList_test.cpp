#include "TestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "VsList.h"
#include "VsStack.h"

namespace {

// Records the list's delete notifications and the freeing of its objects in
// one log, so their order shows.
class TLog : public TObject {
public:
  std::vector<std::string> Events;
  void Deleted(TObject*, void* Item);
};

class TItem : public TObject {
public:
  TItem(TLog* ALog, std::string AName) : Log(ALog), Name(std::move(AName)) {}
  void BeforeDestruction() override {
    Log->Events.push_back("free " + Name);
    if (Raise) {
      Raise = false;
      throw Exception("teardown failed");
    }
  }
  TLog* Log;
  std::string Name;
  bool Raise = false;
};

void TLog::Deleted(TObject*, void* Item) {
  Events.push_back("delete " + (Item ? static_cast<TItem*>(Item)->Name : std::string("nil")));
}

int Slots[16];

TVsList* Filled(TVsList& L, int N) {
  for (int I = 0; I < N; ++I) L.Add(&Slots[I]);
  return &L;
}

std::vector<void*> ItemsOf(const TVsList& L) {
  std::vector<void*> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Items(I));
  return R;
}

std::vector<void*> SlotsAt(std::initializer_list<int> Indexes) {
  std::vector<void*> R;
  for (int I : Indexes) R.push_back(&Slots[I]);
  return R;
}

}  // namespace

// --- TVsList ---

TEST(VsList, GrowsAndShrinksByItsRules) {
  TVsList L;
  std::vector<int> Grown;
  for (int I = 0; I < 10; ++I) {
    L.Add(&Slots[I]);
    Grown.push_back(L.Capacity());
  }
  EXPECT_EQ(Grown, (std::vector<int>{1, 4, 4, 4, 13, 13, 13, 13, 13, 13}));

  std::vector<int> Shrunk;
  while (L.Count() > 0) {
    L.Delete(L.Count() - 1);
    Shrunk.push_back(L.Capacity());
  }
  // After deletes leaving 9, 8, ... 0 items.
  EXPECT_EQ(Shrunk, (std::vector<int>{13, 13, 13, 13, 6, 6, 6, 3, 3, 1}));

  std::vector<int> Steps;
  TVsList Big;
  for (int I = 0; I < 4000; ++I) {
    const int Before = Big.Capacity();
    Big.Add(nullptr);
    if (Big.Capacity() != Before) Steps.push_back(Big.Capacity());
  }
  EXPECT_EQ(Steps, (std::vector<int>{1, 4, 13, 40, 121, 364, 1093, 2373, 3653, 4933}));
}

TEST(VsList, EditsAndLookups) {
  TVsList L;
  EXPECT_EQ(L.Last(), nullptr);
  EXPECT_EQ(L.Add(&Slots[0]), 0);
  EXPECT_EQ(L.Add(&Slots[1]), 1);
  L.Insert(0, &Slots[2]);
  L.Insert(3, &Slots[3]);
  L.Insert(1, nullptr);
  EXPECT_EQ(ItemsOf(L), (std::vector<void*>{&Slots[2], nullptr, &Slots[0], &Slots[1], &Slots[3]}));
  EXPECT_EQ(L.Last(), &Slots[3]);
  EXPECT_EQ(L.IndexOf(&Slots[1]), 3);
  EXPECT_EQ(L.IndexOf(nullptr), 1);
  EXPECT_EQ(L.IndexOf(&Slots[9]), -1);
  L.Exchange(0, 4);
  EXPECT_EQ(ItemsOf(L), (std::vector<void*>{&Slots[3], nullptr, &Slots[0], &Slots[1], &Slots[2]}));
  L.SetItems(1, &Slots[5]);
  EXPECT_EQ(L.Items(1), &Slots[5]);

  L.SetCount(20);  // beyond the capacity of 13
  EXPECT_EQ(L.Capacity(), 20);
  EXPECT_EQ(L.Items(5), nullptr);
  EXPECT_EQ(L.Items(19), nullptr);
  L.SetCount(2);
  L.SetCount(4);  // the dropped slots come back empty
  EXPECT_EQ(ItemsOf(L), (std::vector<void*>{&Slots[3], &Slots[5], nullptr, nullptr}));
  L.SetCapacity(30);
  EXPECT_EQ(L.Capacity(), 30);
  EXPECT_EQ(L.Count(), 4);
}

TEST(VsList, IndexErrorsChangeNothing) {
  TVsList L;
  Filled(L, 3);
  L.SetAutoClearObjects(false);
  struct Case { const char* What; std::function<void()> Body; int Number; };
  for (const Case& C : std::vector<Case>{
           {"Items(-1)", [&] { L.Items(-1); }, -1},
           {"Items(Count)", [&] { L.Items(3); }, 3},
           {"SetItems", [&] { L.SetItems(3, nullptr); }, 3},
           {"Insert", [&] { L.Insert(4, nullptr); }, 4},
           {"Insert(-1)", [&] { L.Insert(-1, nullptr); }, -1},
           {"Delete", [&] { L.Delete(-1); }, -1},
           {"Exchange", [&] { L.Exchange(0, 3); }, 3},
           {"DeleteRange first", [&] { L.DeleteRange(5, 1); }, 5},
           {"DeleteRange last", [&] { L.DeleteRange(0, 3); }, 3},
           {"DeleteRange reversed", [&] { L.DeleteRange(2, 1); }, 1},
           {"SetCapacity below Count", [&] { L.SetCapacity(2); }, 2},
           {"SetCapacity too big", [&] { L.SetCapacity(0x8000000); }, 0x8000000},
           {"SetCount(-1)", [&] { L.SetCount(-1); }, -1},
           {"SetCount too big", [&] { L.SetCount(0x8000000); }, 0x8000000},
       }) {
    EXPECT_EQ(MessageOf<EVsListError>(C.Body), "List index [" + std::to_string(C.Number) + "] out of bounds...")
        << C.What;
    EXPECT_EQ(ItemsOf(L), SlotsAt({0, 1, 2})) << C.What;
    EXPECT_EQ(L.Capacity(), 4) << C.What;
  }
}

TEST(VsList, DeletingNotifiesAndFreesOwnedObjects) {
  TLog Log;
  TVsList L;
  L.OnDelete = TVsListDeleteEvent(&Log, &TLog::Deleted);
  L.SetAutoClearObjects(true);
  TItem* A = new TItem(&Log, "a");
  TItem* B = new TItem(&Log, "b");
  TItem* C = new TItem(&Log, "c");
  TItem* D = new TItem(&Log, "d");
  L.Add(A);
  L.Add(nullptr);
  L.Add(B);
  L.Add(C);

  L.Delete(1);  // nil: neither notified nor freed
  L.Delete(0);
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"delete a", "free a"}));
  Log.Events.clear();

  L.SetItems(0, B);  // the item already there stays, alive
  EXPECT_EQ(Log.Events, std::vector<std::string>{});
  L.SetItems(0, D);
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"delete b", "free b"}));
  Log.Events.clear();

  // Remove and DeleteRange notify but never free.
  EXPECT_EQ(L.Remove(&Slots[0]), -1);
  EXPECT_EQ(L.Remove(C), 1);
  L.Add(nullptr);
  L.Add(C);
  L.DeleteRange(0, 1);
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"delete c", "delete d", "delete nil"}));
  EXPECT_EQ(ItemsOf(L), std::vector<void*>{C});
  L.SetAutoClearObjects(false);
  L.Clear();
  C->Free();
  D->Free();
}

TEST(VsList, DeleteRangeMovesTheTail) {
  TLog Log;
  TVsList L;
  L.OnDelete = TVsListDeleteEvent(&Log, &TLog::Deleted);
  Filled(L, 10);
  L.DeleteRange(2, 3);
  EXPECT_EQ(ItemsOf(L), SlotsAt({0, 1, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(Log.Events.size(), 2u);
  EXPECT_EQ(L.Capacity(), 13);
  L.DeleteRange(1, 6);
  EXPECT_EQ(ItemsOf(L), SlotsAt({0, 9}));
  EXPECT_EQ(L.Capacity(), 6);  // halved once per removal, however many items went
}

TEST(VsList, ClearNotifiesEverythingBeforeFreeing) {
  TLog Log;
  TVsList L;
  L.OnDelete = TVsListDeleteEvent(&Log, &TLog::Deleted);
  L.SetAutoClearObjects(true);
  TItem* A = new TItem(&Log, "a");
  TItem* B = new TItem(&Log, "b");
  B->Raise = true;  // a failing teardown does not stop the others
  L.Add(A);
  L.Add(nullptr);
  L.Add(B);
  L.Add(new TItem(&Log, "c"));
  L.Clear();
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"delete a", "delete nil", "delete b", "delete c", "free a",
                                                  "free b", "free c"}));
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.Capacity(), 0);
  B->Free();  // its first teardown raised before it was deleted
}

TEST(VsList, AssignCopiesPointersAndCapacity) {
  TLog Log;
  TVsList Source, Dest;
  Filled(Source, 3);
  Source.SetCapacity(9);
  Dest.OnDelete = TVsListDeleteEvent(&Log, &TLog::Deleted);
  Dest.SetAutoClearObjects(true);
  Dest.Add(new TItem(&Log, "old"));
  Dest.Assign(&Source);
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"delete old", "free old"}));
  EXPECT_EQ(ItemsOf(Dest), SlotsAt({0, 1, 2}));
  EXPECT_EQ(Dest.Capacity(), 9);

  // Assigning a list to itself must not clear (and free) what it holds.
  TVsList Own;
  Own.SetAutoClearObjects(true);
  TItem* Kept = new TItem(&Log, "kept");
  Own.Add(Kept);
  Log.Events.clear();
  Own.Assign(&Own);
  EXPECT_EQ(ItemsOf(Own), std::vector<void*>{Kept});
  EXPECT_EQ(Log.Events, std::vector<std::string>{});

  TPersistent Other;
  EXPECT_EQ(MessageOf<EConvertError>([&] { Dest.Assign(&Other); }), WideToAnsi(L"Nie można przypisać TPersistent do TVsList"));
  Dest.SetAutoClearObjects(false);
}

TEST(VsList, DestructionClears) {
  TLog Log;
  {
    TOwned<TVsList> Freed(new TVsList);
    Freed->OnDelete = TVsListDeleteEvent(&Log, &TLog::Deleted);
    Freed->SetAutoClearObjects(true);
    Freed->Add(new TItem(&Log, "a"));
  }
  {
    TVsList Member;  // destroyed without Free, as a field of another object is
    Member.SetAutoClearObjects(true);
    Member.Add(new TItem(&Log, "b"));
  }
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"delete a", "free a", "free b"}));
}

// --- TVsStack ---

TEST(VsStack, PushPopAndGrowth) {
  TVsStack S;
  EXPECT_TRUE(S.Empty());
  std::vector<int> Steps;
  for (int I = 0; I < 100; ++I) {
    const int Before = S.Capacity();
    S.Push(&Slots[I % 16]);
    if (S.Capacity() != Before) Steps.push_back(S.Capacity());
  }
  EXPECT_EQ(Steps, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
  EXPECT_EQ(S.Items(0), &Slots[0]);
  EXPECT_EQ(S.Items(99), &Slots[99 % 16]);

  std::vector<int> Caps;
  for (int I = 99; I >= 0; --I) {
    EXPECT_EQ(S.Pop(), &Slots[I % 16]);
    if (Caps.empty() || Caps.back() != S.Capacity()) Caps.push_back(S.Capacity());
  }
  EXPECT_EQ(Caps, (std::vector<int>{118, 59, 29, 14, 7, 3, 1}));
  EXPECT_TRUE(S.Empty());
}

TEST(VsStack, ShiftDropsTheBottom) {
  TVsStack S;
  for (int I = 0; I < 5; ++I) S.Push(&Slots[I]);
  S.Shift(1);
  EXPECT_EQ(S.Count(), 4);
  EXPECT_EQ(S.Capacity(), 4);
  EXPECT_EQ(S.Items(0), &Slots[1]);
  EXPECT_EQ(S.Items(3), &Slots[4]);
  S.Shift(0);
  EXPECT_EQ(S.Count(), 4);
  S.Shift(4);
  EXPECT_TRUE(S.Empty());
  EXPECT_EQ(S.Capacity(), 0);
  S.Push(&Slots[7]);
  EXPECT_EQ(S.Pop(), &Slots[7]);
}

TEST(VsStack, ErrorsChangeNothing) {
  TVsStack Empty;
  EXPECT_EQ(MessageOf<EVsStackError>([&] { Empty.Pop(); }), "VsStack is empty.");
  EXPECT_EQ(MessageOf<EVsStackError>([&] { Empty.Shift(0); }), "VsStack is empty.");
  EXPECT_EQ(MessageOf<EVsStackError>([&] { Empty.Items(0); }), "VsStack index [0] out of bounds...");

  TVsStack S;
  S.Push(&Slots[0]);
  S.Push(&Slots[1]);
  struct Case { const char* What; std::function<void()> Body; std::string Message; };
  for (const Case& C : std::vector<Case>{
           {"Shift(3)", [&] { S.Shift(3); }, "Cannot shift VsStack"},
           {"Shift(-1)", [&] { S.Shift(-1); }, "Cannot shift VsStack"},
           {"SetCapacity below Count", [&] { S.SetCapacity(1); }, "Invalid VsStack capacity."},
           {"SetCapacity too big", [&] { S.SetCapacity(0x8000000); }, "Invalid VsStack capacity."},
           {"Items(-1)", [&] { S.Items(-1); }, "VsStack index [-1] out of bounds..."},
           {"Items(Count)", [&] { S.Items(2); }, "VsStack index [2] out of bounds..."},
       }) {
    EXPECT_EQ(MessageOf<EVsStackError>(C.Body), C.Message) << C.What;
    EXPECT_EQ(S.Count(), 2) << C.What;
    EXPECT_EQ(S.Capacity(), 4) << C.What;
    EXPECT_EQ(S.Items(1), &Slots[1]) << C.What;
  }
}
