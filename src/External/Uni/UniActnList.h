// Actions with a wide caption and hint, and the action links that hand them
// to their clients' wide text and hint.
#pragma once

#include "ActnList.h"
#include "Controls.h"
#include "System.h"
#include "UniControls.h"

class TCustomActionHelper;

// Start-up: registers TUniAction for layouts.
void InitializeUniActnList();

// An action that keeps a wide caption and hint (beside its 8-bit ones, by
// the layer's sync rule) through its helper. An action "is wide" when it
// supports this interface.
class IUniAction {
public:
  virtual ~IUniAction() = default;
  virtual TCustomActionHelper* ActionHelper() = 0;
};

// The wide caption and hint of an action, owned by the action. While a wide
// write changes the action's 8-bit value, readers get the wide value from
// before the change and links get the new one to give their clients.
class TCustomActionHelper : public TComponent {
public:
  explicit TCustomActionHelper(TAction* AAction);

  TAction* Action() const { return FAction; }
  WideString Caption();
  void SetCaption(const WideString& Value);
  WideString Hint();
  void SetHint(const WideString& Value);
  // What a linked client is given.
  WideString LinkCaption();
  WideString LinkHint();

private:
  // One wide value beside one of the action's 8-bit values.
  struct TValue {
    WideString Wide;
    bool Setting = false;
    WideString Old;
    AnsiString NewAnsi;
  };
  WideString Read(TValue& V, const AnsiString& Current);
  void Write(TValue& V, const WideString& Value, const AnsiString& Current, void (TAction::*Set)(const AnsiString&));

  TAction* FAction;
  TValue FCaption;
  TValue FHint;
};

// The action's helper, found among its owned components; made on first
// need when Create is set.
TCustomActionHelper* FindActionHelper(TAction* Action, bool Create);

// The wide caption and hint of any action: a wide action's own, else its
// 8-bit ones converted.
WideString WideGetActionCaption(TAction* Action);
WideString WideGetActionHint(TAction* Action);

class TUniAction : public TAction, public IUniAction {
public:
  using TAction::TAction;

  WideString Caption() { return ActionHelper()->Caption(); }
  void SetCaption(const WideString& Value) { ActionHelper()->SetCaption(Value); }
  WideString Hint() { return ActionHelper()->Hint(); }
  void SetHint(const WideString& Value) { ActionHelper()->SetHint(Value); }

  // From an action: its wide caption and hint. From a control: its wide
  // text and hint.
  void Assign(TPersistent* Source) override;
  TCustomActionHelper* ActionHelper() override { return FindActionHelper(this, true); }

protected:
  void DefineProperties(TFiler* Filer) override;
};

// Copies the wide caption and hint of Source (an action or a control) into
// the wide action Dest; false for any other source.
bool AssignWideAction(IUniAction* Dest, TPersistent* Source);

// ---------------------------------------------------------------------------
// Links: a client's caption (hint) counts as linked when the framework's
// link says so and the action's wide caption (hint) equals the client's
// wide text (hint); a linked client takes the action's wide value.

// Whether the action's wide caption (hint) equals the control's, and what
// a linked control is given when the action's 8-bit value becomes Value.
bool UniCaptionMatches(TAction* Action, TControl* Control);
bool UniHintMatches(TAction* Action, TControl* Control);
WideString UniLinkCaption(TAction* Action, const AnsiString& Value);
WideString UniLinkHint(TAction* Action, const AnsiString& Value);

// The wide links over the framework's control links.
template <class Base> class TUniControlLinkOf : public Base {
public:
  using Base::Base;
  bool IsCaptionLinked() const override {
    return Base::IsCaptionLinked() && UniCaptionMatches(this->Action(), this->Control());
  }
  bool IsHintLinked() const override { return Base::IsHintLinked() && UniHintMatches(this->Action(), this->Control()); }
  void SetCaption(const AnsiString& Value) override {
    if (IsCaptionLinked()) WideSetControlText(this->Control(), UniLinkCaption(this->Action(), Value));
  }
  void SetHint(const AnsiString& Value) override {
    if (IsHintLinked()) WideSetControlHint(this->Control(), UniLinkHint(this->Action(), Value));
  }
};

class TUniControlActionLink : public TUniControlLinkOf<TControlActionLink> {
public:
  using TUniControlLinkOf::TUniControlLinkOf;
  static const TActionLinkClass Class;
};

class TUniWinControlActionLink : public TUniControlLinkOf<TWinControlActionLink> {
public:
  using TUniControlLinkOf::TUniControlLinkOf;
  static const TActionLinkClass Class;
};

class TUniButtonActionLink : public TUniControlLinkOf<TButtonActionLink> {
public:
  using TUniControlLinkOf::TUniControlLinkOf;
  static const TActionLinkClass Class;
};

class TUniSpeedButtonActionLink : public TUniControlLinkOf<TSpeedButtonActionLink> {
public:
  using TUniControlLinkOf::TUniControlLinkOf;
  static const TActionLinkClass Class;
};

class TUniToolButtonActionLink : public TUniControlLinkOf<TToolButtonActionLink> {
public:
  using TUniControlLinkOf::TUniControlLinkOf;
  static const TActionLinkClass Class;
};

// A menu item's caption counts as linked when it equals the action's with
// the accelerator marks taken out, ignoring case.
class TUniMenuActionLink : public TMenuActionLink {
public:
  using TMenuActionLink::TMenuActionLink;
  bool IsCaptionLinked() const override;
  bool IsHintLinked() const override;
  void SetCaption(const AnsiString& Value) override;
  void SetHint(const AnsiString& Value) override;
  static const TActionLinkClass Class;
};

// The wide link class for a client (a menu item, speed button, tool
// button, button, other windowed control or other control, in that order of
// tests). EUniInternalError when it does not derive straight from
// FrameworkClass, the class the client asked for.
const TActionLinkClass* ChooseUniActionLinkClass(TObject* Client, const TActionLinkClass* FrameworkClass);

// For a wide action only: the control's wide text becomes the action's wide
// caption (with CheckDefaults only while the text is empty or the control's
// name), its wide hint the action's (with CheckDefaults only while empty).
void UniActionChange(TControl* Control, TObject* Action, bool CheckDefaults);
