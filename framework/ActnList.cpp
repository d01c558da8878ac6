#include "ActnList.h"

#include <algorithm>

#include "Consts.h"
#include "TypInfo.h"

// ---------------------------------------------------------------------------
// TActionLink

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TAction* Value) {
  if (FAction == Value) return;
  if (FAction) {
    auto& Links = FAction->FLinks;
    Links.erase(std::remove(Links.begin(), Links.end(), this), Links.end());
  }
  FAction = Value;
  if (FAction) FAction->FLinks.push_back(this);
}

bool TActionLink::Execute() { return FAction && FAction->Execute(); }

// ---------------------------------------------------------------------------
// TAction

TAction::TAction(TComponent* AOwner) : TComponent(AOwner) {}

TAction::~TAction() {
  // Only an action deleted without Free still has a list or clients here.
  SetActionList(nullptr);
  for (TActionLink* Link : FLinks) Link->FAction = nullptr;
}

void TAction::BeforeDestruction() {
  Destroying();
  SetActionList(nullptr);
  // Clients keep what they show but no longer run the action.
  const std::vector<TActionLink*> Links = std::move(FLinks);
  FLinks.clear();
  for (TActionLink* Link : Links) Link->FAction = nullptr;
  TComponent::BeforeDestruction();
}

void TAction::SetActionList(TActionList* Value) {
  if (FActionList == Value) return;
  if (FActionList) {
    auto& List = FActionList->FActions;
    List.erase(std::remove(List.begin(), List.end(), this), List.end());
  }
  FActionList = Value;
  if (FActionList) FActionList->FActions.push_back(this);
}

int TAction::Index() const {
  if (!FActionList) return -1;
  const auto& List = FActionList->FActions;
  return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TAction::SetParentComponent(TComponent* Value) {
  if (auto* List = dynamic_cast<TActionList*>(Value)) SetActionList(List);
}

void TAction::SetCaption(const AnsiString& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Change();
}

void TAction::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  FHint = Value;
  Change();
}

void TAction::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  FShortCut = Value;
  Change();
}

void TAction::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Change();
}

void TAction::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Change();
}

void TAction::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  Change();
}

void TAction::Change() {
  // A client's handler may drop its link (or free the client).
  const std::vector<TActionLink*> Links = FLinks;
  for (TActionLink* Link : Links)
    if (std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end() && Link->OnChange) Link->OnChange(this);
}

bool TAction::Execute() {
  Update();
  if (!FEnabled || !OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

// ---------------------------------------------------------------------------
// TActionList

void TActionList::BeforeDestruction() {
  Destroying();
  while (!FActions.empty()) FActions.back()->SetActionList(nullptr);
  TComponent::BeforeDestruction();
}

TAction* TActionList::Actions(int Index) const {
  if (Index < 0 || Index >= ActionCount())
    throw EListError(FmtLoadStr(SListIndexError, Index));
  return FActions[static_cast<size_t>(Index)];
}

// ---------------------------------------------------------------------------

void InitializeActnList() {
  RegisterClass<TActionList, TComponent>();
  RegisterClass<TAction, TComponent>()
      .Str("Caption", &TAction::Caption, &TAction::SetCaption, "TCaption")
      .Str("Category", &TAction::Category, &TAction::SetCategory)
      .Bool("Checked", &TAction::Checked, &TAction::SetChecked, false)
      .Bool("Enabled", &TAction::Enabled, &TAction::SetEnabled, true)
      .Str("Hint", &TAction::Hint, &TAction::SetHint)
      .Int("ShortCut", &TAction::ShortCut, &TAction::SetShortCut, 0, "TShortCut")
      .Bool("Visible", &TAction::Visible, &TAction::SetVisible, true)
      .Event("OnExecute", &TAction::OnExecute)
      .Event("OnUpdate", &TAction::OnUpdate);
}
