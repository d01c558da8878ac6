// Actions: a command with its caption, hint, shortcut and states kept in one
// place, shown and run by controls and menu items that name it as their
// Action; action lists group them.
#pragma once

#include <vector>

#include "Classes.h"
#include "Menus.h"

class TAction;
class TActionList;
class TActionLink;
class TControl;

// A class of action links: its name, the class it derives from, and a
// factory that makes a link for a client. Controls name the class of the
// links they want (GetActionLinkClass).
class TActionLinkClass {
public:
  using TFactory = TActionLink* (*)(TObject* Client);
  TActionLinkClass(const char* Name, const TActionLinkClass* Parent, TFactory Factory)
      : FName(Name), FParent(Parent), FFactory(Factory) {}

  const char* ClassName() const { return FName; }
  const TActionLinkClass* Parent() const { return FParent; }
  // This class or one derived from it.
  bool InheritsFrom(const TActionLinkClass* Other) const;
  TOwned<TActionLink> Create(TObject* Client) const { return TOwned<TActionLink>(FFactory(Client)); }

private:
  const char* FName;
  const TActionLinkClass* FParent;
  TFactory FFactory;
};

// What a client (a control, a menu item) holds to show an action: it is
// told through OnChange (Sender the action) whenever the action's
// properties change. An action that goes leaves its links empty.
class TActionLink : public TObject {
public:
  explicit TActionLink(TNotifyEvent AOnChange) : OnChange(AOnChange) {}
  explicit TActionLink(TObject* AClient) : FClient(AClient) {}
  ~TActionLink() override;

  TAction* Action() const { return FAction; }
  void SetAction(TAction* Value);
  TObject* Client() const { return FClient; }
  // Runs the action; false without one.
  bool Execute();

  // The client shows the action's caption (hint) as it is now.
  virtual bool IsCaptionLinked() const { return FAction != nullptr; }
  virtual bool IsHintLinked() const { return FAction != nullptr; }
  // The action's caption (hint) is about to become Value: a linked client
  // takes it.
  virtual void SetCaption(const AnsiString&) {}
  virtual void SetHint(const AnsiString&) {}
  // The hint about to show for the client: with the application's
  // HintShortCuts, "%s (%s)" of it and the action's shortcut text.
  virtual void DoShowHint(AnsiString& HintStr);

  TNotifyEvent OnChange;

  static const TActionLinkClass Class;

private:
  friend class TAction;
  TAction* FAction = nullptr;
  TObject* FClient = nullptr;
};

// The link of a control: its caption and hint follow the action's while
// they are the action's.
class TControlActionLink : public TActionLink {
public:
  explicit TControlActionLink(TObject* AClient) : TActionLink(AClient) {}
  TControl* Control() const;
  bool IsCaptionLinked() const override;
  bool IsHintLinked() const override;
  void SetCaption(const AnsiString& Value) override;
  void SetHint(const AnsiString& Value) override;
  static const TActionLinkClass Class;
};

// The links of windowed controls, buttons, speed buttons and tool buttons.
class TWinControlActionLink : public TControlActionLink {
public:
  using TControlActionLink::TControlActionLink;
  static const TActionLinkClass Class;
};

class TButtonActionLink : public TWinControlActionLink {
public:
  using TWinControlActionLink::TWinControlActionLink;
  static const TActionLinkClass Class;
};

class TSpeedButtonActionLink : public TControlActionLink {
public:
  using TControlActionLink::TControlActionLink;
  static const TActionLinkClass Class;
};

class TToolButtonActionLink : public TControlActionLink {
public:
  using TControlActionLink::TControlActionLink;
  static const TActionLinkClass Class;
};

// The link of a menu item.
class TMenuActionLink : public TActionLink {
public:
  explicit TMenuActionLink(TObject* AClient) : TActionLink(AClient) {}
  TMenuItem* Item() const;
  bool IsCaptionLinked() const override;
  bool IsHintLinked() const override;
  void SetCaption(const AnsiString& Value) override;
  void SetHint(const AnsiString& Value) override;
  static const TActionLinkClass Class;
};

class TAction : public TComponent {
public:
  explicit TAction(TComponent* AOwner);
  ~TAction() override;
  void BeforeDestruction() override;

  TActionList* ActionList() const { return FActionList; }
  void SetActionList(TActionList* Value);
  // The place in the action list (-1 without one).
  int Index() const;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  // Kept for grouping only.
  const AnsiString& Category() const { return FCategory; }
  void SetCategory(const AnsiString& Value) { FCategory = Value; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);

  // Offers the action to the application window's hooks (CM_ACTIONEXECUTE,
  // LParam the action; a non-zero result takes it); else lets OnUpdate
  // bring the states up to date, then fires OnExecute when the action is
  // enabled. True when a hook or OnExecute ran it.
  virtual bool Execute();
  // Fires OnUpdate; true when there is a handler.
  virtual bool Update();

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

protected:
  // Tells every client.
  virtual void Change();
  // An action written inside an action list in a layout joins that list.
  void SetParentComponent(TComponent* Value) override;

private:
  friend class TActionLink;

  TActionList* FActionList = nullptr;
  std::vector<TActionLink*> FLinks;
  AnsiString FCaption;
  AnsiString FCategory;
  AnsiString FHint;
  TShortCut FShortCut = 0;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
};

// The action the application runs with its hint when that changes, for
// whoever shows hints.
class THintAction : public TAction {
public:
  using TAction::TAction;
};

class TActionList : public TComponent {
public:
  using TComponent::TComponent;
  // The actions stay (they belong to their owner), out of any list.
  void BeforeDestruction() override;

  int ActionCount() const { return static_cast<int>(FActions.size()); }
  TAction* Actions(int Index) const;

private:
  friend class TAction;
  std::vector<TAction*> FActions;
};

// Unit start-up: registers the classes for layouts.
void InitializeActnList();
