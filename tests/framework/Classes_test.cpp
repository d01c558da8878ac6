#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Classes.h"

// Records the notifications it receives, by component name.
class TWatcher : public TComponent {
public:
  using TComponent::TComponent;
  std::vector<std::string>* Log = nullptr;
  TComponent* Peer = nullptr;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && AComponent == Peer) {
      Peer = nullptr;
      if (Log) Log->push_back(Name() + " lost " + AComponent->Name());
    }
    TComponent::Notification(AComponent, Operation);
  }
};

class TLoggedComponent : public TComponent {
public:
  TLoggedComponent(TComponent* AOwner, std::vector<std::string>& Log) : TComponent(AOwner), FLog(Log) {}
  ~TLoggedComponent() override { FLog.push_back("~" + Name()); }

private:
  std::vector<std::string>& FLog;
};

TEST(Component, OwnerFreesOwnedComponentsAndFindsThemByName) {
  std::vector<std::string> Log;
  auto* Root = new TComponent(nullptr);
  auto* A = new TLoggedComponent(Root, Log);
  A->SetName("Alpha");
  auto* B = new TLoggedComponent(Root, Log);
  B->SetName("Beta");
  EXPECT_EQ(Root->ComponentCount(), 2);
  EXPECT_EQ(Root->FindComponent("ALPHA"), A);
  EXPECT_EQ(B->ComponentIndex(), 1);
  EXPECT_THROW(B->SetName("alpha"), EComponentError);
  EXPECT_THROW(B->SetName("1x"), EComponentError);
  Root->Free();
  EXPECT_EQ(Log, (std::vector<std::string>{"~Beta", "~Alpha"}));
}

TEST(Component, FreeNotificationArrivesWhileBothAreWhole) {
  std::vector<std::string> Log;
  auto* Root = new TComponent(nullptr);
  auto* W = new TWatcher(Root);
  W->SetName("Watcher");
  W->Log = &Log;
  auto* Other = new TComponent(nullptr);
  Other->SetName("Other");
  W->Peer = Other;
  Other->FreeNotification(W);
  Other->Free();
  EXPECT_EQ(W->Peer, nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"Watcher lost Other"}));

  // A sibling that is freed is announced to the other owned components.
  auto* Sibling = new TComponent(Root);
  Sibling->SetName("Sibling");
  W->Peer = Sibling;
  Sibling->Free();
  EXPECT_EQ(Root->ComponentCount(), 1);
  EXPECT_EQ(Log.back(), "Watcher lost Sibling");
  Root->Free();
}

TEST(Component, NamesFollowRenamesAndMovesBetweenOwners) {
  auto* Root = new TComponent(nullptr);
  auto* Other = new TComponent(nullptr);
  auto* A = new TComponent(Root);
  A->SetName("Alpha");
  A->SetName("Gamma");
  EXPECT_EQ(Root->FindComponent("alpha"), nullptr);
  EXPECT_EQ(Root->FindComponent("GAMMA"), A);
  auto* B = new TComponent(Root);
  B->SetName("Alpha");  // the old name is free again
  EXPECT_EQ(Root->FindComponent("Alpha"), B);
  Other->InsertComponent(A);
  EXPECT_EQ(Root->FindComponent("Gamma"), nullptr);
  EXPECT_EQ(Other->FindComponent("gamma"), A);
  A->SetName("");
  EXPECT_EQ(Other->FindComponent("Gamma"), nullptr);
  B->Free();
  EXPECT_EQ(Root->FindComponent("Alpha"), nullptr);
  auto* C = new TComponent(Root);
  C->SetName("Alpha");
  EXPECT_EQ(Root->FindComponent("alpha"), C);
  Root->Free();
  Other->Free();
}

TEST(Component, SiblingsFreedWithTheirOwnerHearThroughFreeNotification) {
  std::vector<std::string> Log;
  // Owned components go from the last one: a watcher made first outlives
  // what it watches and is told when it goes.
  for (bool WatcherFirst : {true, false}) {
    auto* Root = new TComponent(nullptr);
    TWatcher* W = nullptr;
    TComponent* Watched = nullptr;
    for (int I = 0; I < 2; ++I) {
      if ((I == 0) == WatcherFirst) {
        W = new TWatcher(Root);
        W->SetName("Watcher");
        W->Log = &Log;
      } else {
        Watched = new TComponent(Root);
        Watched->SetName("Watched");
      }
    }
    W->Peer = Watched;
    Watched->FreeNotification(W);
    Log.clear();
    Root->Free();
    EXPECT_EQ(Log, WatcherFirst ? std::vector<std::string>{"Watcher lost Watched"} : std::vector<std::string>{})
        << WatcherFirst;
  }
}

TEST(Component, DestroyingStateIsSetBeforeDestructors) {
  auto* Root = new TComponent(nullptr);
  auto* Child = new TComponent(Root);
  Root->Destroying();
  EXPECT_TRUE(Child->ComponentState().Contains(csDestroying));
  Root->Free();
}

TEST(Persistent, DefaultAssignNamesBothClasses) {
  TPersistent A, B;
  try {
    A.Assign(&B);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"Nie można przypisać TPersistent do TPersistent"));
  }
}
