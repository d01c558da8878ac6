// The persistent object and the component: ownership, names, state and free
// notification.
#pragma once

#include <unordered_map>
#include <vector>

#include "SysUtils.h"
#include "System.h"

class TFiler;
class TReader;

// An object that can copy itself from another and store data of its own in
// form layouts.
class TPersistent : public TObject {
public:
  // Copies Source into this object; the default asks Source to do it and,
  // failing that, raises EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(TPersistent* Source);

protected:
  virtual void AssignTo(TPersistent* Dest);
  // Declares data the object reads from and writes to a layout itself.
  virtual void DefineProperties(TFiler* Filer);
  // Raises the "Cannot assign" error for Source into this object.
  [[noreturn]] void AssignError(TPersistent* Source);

  friend class TFiler;
  friend class TReader;
};

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

// A component belongs to its owner, which frees it. Free() runs the whole
// destruction protocol (state csDestroying, free notifications, freeing of
// owned components, removal from the owner) before any C++ destructor runs,
// so no component is ever told about a half-destroyed neighbour.
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;

  const AnsiString& Name() const { return FName; }
  virtual void SetName(const AnsiString& NewName);
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }
  TComponentState ComponentState() const { return FComponentState; }

  // The owned component of that name (compared case-insensitively), or nullptr.
  TComponent* FindComponent(const AnsiString& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();
  // Marks this component and all it owns as being destroyed.
  void Destroying();

  // AComponent (of another owner, usually) will tell this one before it goes.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Called once every property has been read from a layout.
  virtual void Loaded();

  // Component-state changes made by the layout reader.
  void SetLoadingState(bool Loading);

protected:
  // AComponent was inserted into or is being removed from this component's
  // world (owned components and free-notification peers). Overrides clear
  // their references and call up. The base passes a removal on to the owned
  // components, except while this component is being destroyed (references
  // among components that go together are kept by free notification).
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Layout reading. ReadState reads this component's properties and
  // children (Reader->ReadData(this)); an override may bracket it. A child
  // read inside this component is given GetChildParent() through its
  // SetParentComponent (a control takes it as its Parent) and is owned by
  // GetChildOwner(), or by the root when that is nullptr.
  virtual void ReadState(TReader* Reader);
  virtual void SetParentComponent(TComponent*) {}
  virtual TComponent* GetChildParent() { return this; }
  virtual TComponent* GetChildOwner() { return nullptr; }
  friend class TReader;

  void IncludeState(TComponentStateItem Item) { FComponentState << Item; }
  void ExcludeState(TComponentStateItem Item) { FComponentState >> Item; }

private:
  void ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName) const;
  void RemoveFreeNotifications();
  void DetachFromOwner();

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  // The named ones among FComponents by upper-case name (names are ASCII
  // identifiers), so that a name is found, and checked for uniqueness, at
  // the same cost whatever the number of components.
  std::unordered_map<AnsiString, TComponent*> FNames;
  std::vector<TComponent*> FFreeNotifies;
  AnsiString FName;
  int FTag = 0;
  TComponentState FComponentState;
  bool FDestructionDone = false;
};

// True when S is a valid component name: a letter or "_", then letters,
// digits or "_".
bool IsValidIdent(const AnsiString& S);
