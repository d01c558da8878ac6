#include "UniActnList.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "UniClasses.h"
#include "UniControls.h"
#include "UniMenus.h"
#include "UniSysUtils.h"

// ---------------------------------------------------------------------------
// The helper

TCustomActionHelper::TCustomActionHelper(TAction* AAction) : TComponent(AAction), FAction(AAction) {}

WideString TCustomActionHelper::Read(TValue& V, const AnsiString& Current) {
  if (V.Setting && Current != V.NewAnsi) return V.Old;
  return SyncWideRead(V.Wide, Current);
}

void TCustomActionHelper::Write(TValue& V, const WideString& Value, const AnsiString& Current,
                                void (TAction::*Set)(const AnsiString&)) {
  V.Old = Read(V, Current);
  V.NewAnsi = WideToAnsi(Value);
  V.Setting = true;
  try {
    SyncWideWrite(Value, V.Wide, Current, [this, &V, Set](const AnsiString& A) {
      (FAction->*Set)(A);
      // The forced change to empty: the clients show empty now.
      if (A.empty() && !V.NewAnsi.empty()) V.Old.clear();
    });
  } catch (...) {
    V.Setting = false;
    throw;
  }
  V.Setting = false;
}

WideString TCustomActionHelper::Caption() { return Read(FCaption, FAction->TAction::Caption()); }

void TCustomActionHelper::SetCaption(const WideString& Value) {
  Write(FCaption, Value, FAction->TAction::Caption(), &TAction::SetCaption);
}

WideString TCustomActionHelper::Hint() { return Read(FHint, FAction->TAction::Hint()); }

void TCustomActionHelper::SetHint(const WideString& Value) {
  Write(FHint, Value, FAction->TAction::Hint(), &TAction::SetHint);
}

WideString TCustomActionHelper::LinkCaption() { return FCaption.Setting ? FCaption.Wide : Caption(); }

WideString TCustomActionHelper::LinkHint() { return FHint.Setting ? FHint.Wide : Hint(); }

TCustomActionHelper* FindActionHelper(TAction* Action, bool Create) {
  for (int I = 0; I < Action->ComponentCount(); ++I)
    if (auto* H = dynamic_cast<TCustomActionHelper*>(Action->Components(I))) return H;
  return Create ? new TCustomActionHelper(Action) : nullptr;  // owned by the action
}

WideString WideGetActionCaption(TAction* Action) {
  if (auto* W = dynamic_cast<IUniAction*>(Action)) return W->ActionHelper()->Caption();
  return AnsiToWide(Action->Caption());
}

WideString WideGetActionHint(TAction* Action) {
  if (auto* W = dynamic_cast<IUniAction*>(Action)) return W->ActionHelper()->Hint();
  return AnsiToWide(Action->Hint());
}

// ---------------------------------------------------------------------------
// TUniAction

bool AssignWideAction(IUniAction* Dest, TPersistent* Source) {
  TCustomActionHelper* H = Dest->ActionHelper();
  if (auto* A = dynamic_cast<TAction*>(Source)) {
    H->SetCaption(WideGetActionCaption(A));
    H->SetHint(WideGetActionHint(A));
    return true;
  }
  if (auto* C = dynamic_cast<TControl*>(Source)) {
    H->SetCaption(WideGetControlText(C));
    H->SetHint(WideGetControlHint(C));
    return true;
  }
  return false;
}

void TUniAction::Assign(TPersistent* Source) {
  if (!AssignWideAction(this, Source)) TAction::Assign(Source);
}

void TUniAction::DefineProperties(TFiler* Filer) {
  TAction::DefineProperties(Filer);
  TUniWideStringPropertyFiler::DefineProperties(Filer, this);
}

// ---------------------------------------------------------------------------
// Links

namespace {

template <class L> TActionLink* MakeLink(TObject* Client) { return new L(Client); }  // owned by the caller

WideString MenuCaption(TMenuItem* Item) {
  auto* W = dynamic_cast<TUniMenuItem*>(Item);
  return W ? W->Caption() : AnsiToWide(Item->Caption());
}

WideString MenuHint(TMenuItem* Item) {
  auto* W = dynamic_cast<TUniMenuItem*>(Item);
  return W ? W->Hint() : AnsiToWide(Item->Hint());
}

}  // namespace

// What a linked client is given: a wide action's new wide value, else the
// 8-bit value converted.
WideString UniLinkCaption(TAction* Action, const AnsiString& Value) {
  auto* W = dynamic_cast<IUniAction*>(Action);
  return W ? W->ActionHelper()->LinkCaption() : AnsiToWide(Value);
}

WideString UniLinkHint(TAction* Action, const AnsiString& Value) {
  auto* W = dynamic_cast<IUniAction*>(Action);
  return W ? W->ActionHelper()->LinkHint() : AnsiToWide(Value);
}

bool UniCaptionMatches(TAction* Action, TControl* Control) {
  return WideGetActionCaption(Action) == WideGetControlText(Control);
}

bool UniHintMatches(TAction* Action, TControl* Control) { return WideGetActionHint(Action) == WideGetControlHint(Control); }

const TActionLinkClass TUniControlActionLink::Class("TUniControlActionLink", &TControlActionLink::Class,
                                                    MakeLink<TUniControlActionLink>);
const TActionLinkClass TUniWinControlActionLink::Class("TUniWinControlActionLink", &TWinControlActionLink::Class,
                                                       MakeLink<TUniWinControlActionLink>);
const TActionLinkClass TUniButtonActionLink::Class("TUniButtonActionLink", &TButtonActionLink::Class,
                                                   MakeLink<TUniButtonActionLink>);
const TActionLinkClass TUniSpeedButtonActionLink::Class("TUniSpeedButtonActionLink", &TSpeedButtonActionLink::Class,
                                                        MakeLink<TUniSpeedButtonActionLink>);
const TActionLinkClass TUniToolButtonActionLink::Class("TUniToolButtonActionLink", &TToolButtonActionLink::Class,
                                                       MakeLink<TUniToolButtonActionLink>);
const TActionLinkClass TUniMenuActionLink::Class("TUniMenuActionLink", &TMenuActionLink::Class,
                                                 MakeLink<TUniMenuActionLink>);

bool TUniMenuActionLink::IsCaptionLinked() const {
  return TMenuActionLink::IsCaptionLinked() && WideSameCaption(WideGetActionCaption(Action()), MenuCaption(Item()));
}
bool TUniMenuActionLink::IsHintLinked() const {
  return TMenuActionLink::IsHintLinked() && WideGetActionHint(Action()) == MenuHint(Item());
}
void TUniMenuActionLink::SetCaption(const AnsiString& Value) {
  if (!IsCaptionLinked()) return;
  if (auto* W = dynamic_cast<TUniMenuItem*>(Item()))
    W->SetCaption(UniLinkCaption(Action(), Value));
  else
    Item()->SetCaption(Value);
}
void TUniMenuActionLink::SetHint(const AnsiString& Value) {
  if (!IsHintLinked()) return;
  if (auto* W = dynamic_cast<TUniMenuItem*>(Item()))
    W->SetHint(UniLinkHint(Action(), Value));
  else
    Item()->SetHint(Value);
}

const TActionLinkClass* ChooseUniActionLinkClass(TObject* Client, const TActionLinkClass* FrameworkClass) {
  const TActionLinkClass* Chosen = &TUniControlActionLink::Class;
  if (dynamic_cast<TMenuItem*>(Client))
    Chosen = &TUniMenuActionLink::Class;
  else if (dynamic_cast<TSpeedButton*>(Client))
    Chosen = &TUniSpeedButtonActionLink::Class;
  else if (dynamic_cast<TToolButton*>(Client))
    Chosen = &TUniToolButtonActionLink::Class;
  else if (dynamic_cast<TButtonControl*>(Client))
    Chosen = &TUniButtonActionLink::Class;
  else if (dynamic_cast<TWinControl*>(Client))
    Chosen = &TUniWinControlActionLink::Class;
  if (Chosen->Parent() != FrameworkClass)
    throw EUniInternalError(AnsiString("Internal Error: ") + Chosen->ClassName() + " does not derive from " +
                            (FrameworkClass ? FrameworkClass->ClassName() : "nil") + ".");
  return Chosen;
}

void UniActionChange(TControl* Control, TObject* Action, bool CheckDefaults) {
  auto* A = dynamic_cast<TAction*>(Action);
  if (!A || !dynamic_cast<IUniAction*>(A)) return;
  const WideString Text = WideGetControlText(Control);
  if (!CheckDefaults || Text.empty() || Text == AnsiToWide(Control->Name()))
    WideSetControlText(Control, WideGetActionCaption(A));
  if (!CheckDefaults || WideGetControlHint(Control).empty()) WideSetControlHint(Control, WideGetActionHint(A));
}

// ---------------------------------------------------------------------------

void InitializeUniActnList() {
  RegisterClass<TUniAction, TAction>()
      .WStr("Caption", &TUniAction::Caption, &TUniAction::SetCaption, "TWideCaption")
      .WStr("Hint", &TUniAction::Hint, &TUniAction::SetHint);
}
