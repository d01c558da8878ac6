// Actions: a command with its caption, hint, shortcut and states kept in one
// place, shown and run by menu items and tool buttons that name it as their
// Action; action lists group them.
#pragma once

#include <vector>

#include "Classes.h"
#include "Menus.h"

class TAction;
class TActionList;

// What a client (a menu item, a tool button) holds to show an action: it
// is told through OnChange (Sender the action) whenever the action's
// properties change. An action that goes leaves its links empty.
class TActionLink : public TObject {
public:
  explicit TActionLink(TNotifyEvent AOnChange) : OnChange(AOnChange) {}
  ~TActionLink() override;

  TAction* Action() const { return FAction; }
  void SetAction(TAction* Value);
  // Runs the action; false without one.
  bool Execute();

  TNotifyEvent OnChange;

private:
  friend class TAction;
  TAction* FAction = nullptr;
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

  // Lets OnUpdate bring the states up to date, then fires OnExecute when
  // the action is enabled. True when OnExecute ran.
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
