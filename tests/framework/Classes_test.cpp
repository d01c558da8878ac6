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
