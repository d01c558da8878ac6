// The style manager: named style sheets kept in an in-memory settings
// store and applied to any control by setting its published properties.
//
// Keys below the root: "(Default)", one per control class ("TVsLabel"), and
// style classes beginning with "." (".Warning"). A key inherits from the key
// its "InheritsFrom" value names, else from "(Default)". Every other value
// sets one property: Prop, Prop|TypeName, Object.Prop or Object.Prop|TypeName,
// by the value's store type.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "Classes.h"
#include "Lists.h"
#include "System.h"
#include "VsIni.h"

class TPropInfo;
class TVsStyleManager;

// What a control registers with a manager to hear of its changes.
class TVsStyleMgrChangeLink : public TObject {
public:
  TVsStyleManager* StyleManager() const { return FStyleManager; }
  void SetStyleManager(TVsStyleManager* Value) { FStyleManager = Value; }
  TNotifyEvent OnChange;
  // Calls OnChange with the manager as sender.
  virtual void Change();

private:
  TVsStyleManager* FStyleManager = nullptr;
};

class TVsStyleManager : public TComponent {
public:
  explicit TVsStyleManager(TComponent* AOwner);
  ~TVsStyleManager() override;

  void RegisterChanges(TVsStyleMgrChangeLink* Link);
  void UnregisterChanges(TVsStyleMgrChangeLink* Link);
  void BeginUpdate();
  void EndUpdate();

  // Applies the style StyleName to Control. An empty name applies the values
  // of "(Default)" alone; a name beginning with "." applies the control's
  // class key with that style class over it; any other name the class key
  // (or "(Default)" without one). A call made while a style is being applied
  // (from a property setter) runs once the current one is done.
  void ApplyStyle(TComponent* Control, const AnsiString& StyleName);

  // The style sheets themselves.
  TVsIniFile* Store() const { return FStore.get(); }
  void SaveStyleData(TStream* Stream);
  void LoadStyleData(TStream* Stream);

  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  virtual void Changed();
  virtual void NotifyLinks();

private:
  void ApplyNow(TComponent* Control, const AnsiString& StyleName);
  void MergeStyle(const AnsiString& Source, const AnsiString& Target);
  void ApplyStyleKey(TComponent* Control, const AnsiString& Key);
  void ApplyValue(TObject* Target, const TPropInfo* Prop, const AnsiString& Key, const AnsiString& ValueName);

  std::unique_ptr<TVsIniFile> FStore;
  std::vector<TVsStyleMgrChangeLink*> FLinks;
  int FUpdateCount = 0;
  TStringList FVisited;
  TStringList FValueNames;
  bool FApplying = false;
  std::vector<std::pair<TComponent*, AnsiString>> FPending;
};

// Moves a styled component's link from its manager Current to Value, with the
// free notifications; Current becomes Value. True when there is a new
// manager whose style is to be applied.
bool RelinkStyleManager(TComponent* Client, TVsStyleMgrChangeLink* Link, TVsStyleManager*& Current,
                        TVsStyleManager* Value);

// Registers TVsStyleManager with the class registry.
void InitializeVsStyleMgr();
