#include "ActnList.h"

#include <algorithm>

#include "Buttons.h"
#include "ComCtrls.h"
#include "Controls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "Consts.h"
#include "TypInfo.h"

// ---------------------------------------------------------------------------
// Link classes

bool TActionLinkClass::InheritsFrom(const TActionLinkClass* Other) const {
  for (const TActionLinkClass* C = this; C; C = C->FParent)
    if (C == Other) return true;
  return false;
}

namespace {

template <class L> TActionLink* MakeLink(TObject* Client) { return new L(Client); }  // owned by the caller

}  // namespace

const TActionLinkClass TActionLink::Class("TActionLink", nullptr, MakeLink<TActionLink>);
const TActionLinkClass TControlActionLink::Class("TControlActionLink", &TActionLink::Class, MakeLink<TControlActionLink>);
const TActionLinkClass TWinControlActionLink::Class("TWinControlActionLink", &TControlActionLink::Class,
                                                    MakeLink<TWinControlActionLink>);
const TActionLinkClass TButtonActionLink::Class("TButtonActionLink", &TWinControlActionLink::Class,
                                                MakeLink<TButtonActionLink>);
const TActionLinkClass TSpeedButtonActionLink::Class("TSpeedButtonActionLink", &TControlActionLink::Class,
                                                     MakeLink<TSpeedButtonActionLink>);
const TActionLinkClass TToolButtonActionLink::Class("TToolButtonActionLink", &TControlActionLink::Class,
                                                    MakeLink<TToolButtonActionLink>);
const TActionLinkClass TMenuActionLink::Class("TMenuActionLink", &TActionLink::Class, MakeLink<TMenuActionLink>);

// The link class of a control's kind; with the link classes, so that the
// controls' units need not know them.
const TActionLinkClass* TControl::GetActionLinkClass() const {
  if (dynamic_cast<const TSpeedButton*>(this)) return &TSpeedButtonActionLink::Class;
  if (dynamic_cast<const TToolButton*>(this)) return &TToolButtonActionLink::Class;
  if (dynamic_cast<const TButtonControl*>(this)) return &TButtonActionLink::Class;
  if (dynamic_cast<const TWinControl*>(this)) return &TWinControlActionLink::Class;
  return &TControlActionLink::Class;
}

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

void TActionLink::DoShowHint(AnsiString& HintStr) {
  if (!FAction || !FAction->ShortCut() || !Application || !Application->HintShortCuts()) return;
  const AnsiString Keys = ShortCutToText(FAction->ShortCut());
  if (!Keys.empty()) HintStr = HintStr + " (" + Keys + ")";
}

TControl* TControlActionLink::Control() const { return static_cast<TControl*>(Client()); }

bool TControlActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && Control()->Caption() == Action()->Caption();
}

bool TControlActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && Control()->Hint() == Action()->Hint();
}

void TControlActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked()) Control()->SetCaption(Value);
}

void TControlActionLink::SetHint(const AnsiString& Value) {
  if (IsHintLinked()) Control()->SetHint(Value);
}

TMenuItem* TMenuActionLink::Item() const { return static_cast<TMenuItem*>(Client()); }

bool TMenuActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && Item()->Caption() == Action()->Caption();
}

bool TMenuActionLink::IsHintLinked() const { return TActionLink::IsHintLinked() && Item()->Hint() == Action()->Hint(); }

void TMenuActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked()) Item()->SetCaption(Value);
}

void TMenuActionLink::SetHint(const AnsiString& Value) {
  if (IsHintLinked()) Item()->SetHint(Value);
}

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
  for (TActionLink* Link : std::vector<TActionLink*>(FLinks))
    if (std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end()) Link->SetCaption(Value);
  FCaption = Value;
  Change();
}

void TAction::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  for (TActionLink* Link : std::vector<TActionLink*>(FLinks))
    if (std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end()) Link->SetHint(Value);
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
  if (Application && Application->Handle() &&
      SendMessageA(Application->Handle(), CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(this)) != 0)
    return true;
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
  RegisterClass<THintAction, TAction>();
}
