#include "Classes.h"

#include <algorithm>

#include "Consts.h"
#include "Filer.h"
#include "Win.h"

namespace {

bool SameName(const AnsiString& A, const AnsiString& B) {
  return A.size() == B.size() && lstrcmpiA(A.c_str(), B.c_str()) == 0;
}

AnsiString NameKey(AnsiString Name) {
  for (char& C : Name)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  return Name;
}

// Searched from the end: components go in the reverse order of their
// coming, so the one sought is usually the last.
void Erase(std::vector<TComponent*>& List, TComponent* Item) {
  auto It = std::find(List.rbegin(), List.rend(), Item);
  if (It != List.rend()) List.erase(std::next(It).base());
}

}  // namespace

// --- TPersistent ---

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::DefineProperties(TFiler*) {}

void TPersistent::AssignError(TPersistent* Source) {
  const AnsiString SourceName = Source ? Source->ClassName() : AnsiString("nil");
  throw EConvertError(FmtLoadStr(SAssignError, SourceName, ClassName()));
}

// --- TComponent ---

bool IsValidIdent(const AnsiString& S) {
  if (S.empty()) return false;
  auto Alpha = [](char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; };
  if (!Alpha(S[0])) return false;
  return std::all_of(S.begin() + 1, S.end(), [&](char C) { return Alpha(C) || (C >= '0' && C <= '9'); });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Reached without Free() only when a component was deleted directly; run
  // the protocol here so that nobody keeps a dangling reference.
  if (!FDestructionDone) TComponent::BeforeDestruction();
}

void TComponent::BeforeDestruction() {
  if (FDestructionDone) return;
  FDestructionDone = true;
  Destroying();
  RemoveFreeNotifications();
  DestroyComponents();
  DetachFromOwner();
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState << csDestroying;
  for (TComponent* C : FComponents) C->Destroying();
}

void TComponent::RemoveFreeNotifications() {
  while (!FFreeNotifies.empty()) {
    TComponent* Peer = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Erase(Peer->FFreeNotifies, this);
    Peer->Notification(this, opRemove);
  }
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* C = FComponents.back();
    RemoveComponent(C);
    C->Free();
  }
}

void TComponent::DetachFromOwner() {
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(FmtLoadStr(SListIndexError, Index));
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto It = std::find(FOwner->FComponents.begin(), FOwner->FComponents.end(), this);
  return static_cast<int>(It - FOwner->FComponents.begin());
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName) const {
  if (NewName.empty() || SameName(CurName, NewName)) return;
  TComponent* Existing = FindComponent(NewName);
  if (Existing && Existing != AComponent)
    throw EComponentError(FmtLoadStr(SDuplicateName, NewName));
}

void TComponent::SetName(const AnsiString& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(FmtLoadStr(SInvalidName, NewName));
  if (FOwner) {
    FOwner->ValidateRename(this, FName, NewName);
    if (!FName.empty()) FOwner->FNames.erase(NameKey(FName));
    if (!NewName.empty()) FOwner->FNames[NameKey(NewName)] = this;
  }
  FName = NewName;
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  const auto It = FNames.find(NameKey(AName));
  return It == FNames.end() ? nullptr : It->second;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  ValidateRename(AComponent, AnsiString(), AComponent->FName);
  FComponents.push_back(AComponent);
  if (!AComponent->FName.empty()) FNames[NameKey(AComponent->FName)] = AComponent;
  AComponent->FOwner = this;
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Erase(FComponents, AComponent);
  if (!AComponent->FName.empty()) FNames.erase(NameKey(AComponent->FName));
  AComponent->FOwner = nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(AComponent);
    AComponent->FFreeNotifies.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  Erase(FFreeNotifies, AComponent);
  Erase(AComponent->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation != opRemove) return;
  Erase(FFreeNotifies, AComponent);
  // The owned components hear of a removal so that none keeps a reference
  // to it; an insertion concerns nobody but the owner. While the owner goes
  // they all go, and a reference among them is a free notification, told
  // by the one that goes: telling every other one of every removal would
  // make freeing an owner take time in the square of its components.
  if (FComponentState.Contains(csDestroying)) return;
  // By index from the end: a handler may free or insert components.
  for (size_t I = FComponents.size(); I-- > 0;) {
    if (I >= FComponents.size()) {
      I = FComponents.size();
      continue;
    }
    TComponent* C = FComponents[I];
    if (C != AComponent) C->Notification(AComponent, Operation);
  }
}

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

void TComponent::Loaded() { FComponentState >> csLoading; }

void TComponent::SetLoadingState(bool Loading) {
  if (Loading)
    FComponentState << csLoading << csReading;
  else
    FComponentState >> csReading;
}
