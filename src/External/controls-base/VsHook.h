// Message handlers run before and after the window procedure of any control
// of the class framework. Nothing is subclassed: the control's WindowProc
// method pointer is swapped for that of a small per-control object.
#pragma once

#include <memory>

#include "Classes.h"
#include "Controls.h"
#include "Messages.h"
#include "System.h"
#include "VsList.h"

// Handled set by a before-handler keeps the control's own procedure from
// running; in either phase it stops the handlers attached earlier.
using TVsHookEvent = TMethodPtr<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TVsHook : public TComponent {
public:
  explicit TVsHook(TComponent* AOwner) : TComponent(AOwner) {}
  // Detaches from the control while the whole object still exists.
  void BeforeDestruction() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Hooks also while the component (or its owner) is designed.
  bool DesignActive() const { return FDesignActive; }
  void SetDesignActive(bool Value);
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value);

  TVsHookEvent OnBeforeProcess;
  TVsHookEvent OnAfterProcess;

protected:
  virtual void DoBeforeProcess(TMessage& Msg, bool& Handled);
  virtual void DoAfterProcess(TMessage& Msg, bool& Handled);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TCtlHook;
  bool CanHook() const;
  void Attach();
  void Detach();

  bool FActive = false;
  bool FDesignActive = false;
  TControl* FControl = nullptr;
};

// The hooks of one control and the procedure they stand in front of.
class TCtlHook : public TObject {
public:
  explicit TCtlHook(TControl* AControl);
  ~TCtlHook() override;

  void AddHook(TVsHook* Hook);
  // The empty object stays registered for the next hook of the control.
  void RemoveHook(TVsHook* Hook);
  int HookCount() const { return FHooks.Count(); }
  TControl* Control() const { return FControl; }
  // Takes the control's current WindowProc as the saved one and installs
  // the own procedure in front of it.
  void Install();
  // The control's WindowProc is the own procedure.
  bool Installed() const { return FControl->WindowProc == FWindowProc; }

private:
  void HookWndProc(TMessage& Msg);
  bool Attached(TVsHook* Hook) const { return FHooks.IndexOf(Hook) >= 0; }

  TVsList FHooks;
  TWndMethod FWindowProc;
  TWndMethod FSavedProc;
  TControl* FControl;
  bool FDestroying = false;
};

// Messages of the hook list's window: LParam is a TCtlHook.
constexpr UINT VSM_FREECTLHOOK = 0x473;    // free it when it has no hooks left
constexpr UINT VSM_REINSTALLHOOK = 0x474;  // put its procedure in front again

// Every TCtlHook of the program, made when the first hook attaches.
class TVsHookList : public TObject {
public:
  TVsHookList();
  ~TVsHookList() override;

  TCtlHook* FindHook(TControl* Control) const;
  void Add(TCtlHook* Hook) { FList.Add(Hook); }
  HWND Handle() const { return FHandle; }

private:
  void WndProc(TMessage& Msg);
  void FreeCtlHook(TObject* Sender, void* Item);
  TCtlHook* Registered(LPARAM Item) const;

  TVsList FList;
  HWND FHandle = nullptr;
};

// The global list; nullptr while no hook was ever attached (or after the
// list freed itself).
TVsHookList* VsHookList();

// Registers TVsHook with the class registry, so that layouts can hold hooks.
void InitializeVsHook();
// Frees the global list at program end.
void FinalizeVsHook();
