#include "VsHook.h"

#include <vector>

#include "TypInfo.h"
#include "UtilWindow.h"

namespace {
TOwned<TVsHookList> GHookList;
}  // namespace

TVsHookList* VsHookList() { return GHookList.get(); }

void InitializeVsHook() {
  RegisterClass<TVsHook, TComponent>()
      .Bool("Active", &TVsHook::Active, &TVsHook::SetActive, false)
      .Bool("DesignActive", &TVsHook::DesignActive, &TVsHook::SetDesignActive, false)
      .Object("Control", &TVsHook::Control, &TVsHook::SetControl)
      .Event("OnBeforeProcess", &TVsHook::OnBeforeProcess, "TVsHookEvent")
      .Event("OnAfterProcess", &TVsHook::OnAfterProcess, "TVsHookEvent");
}

void FinalizeVsHook() { GHookList.reset(); }

// --- TVsHook ---

void TVsHook::BeforeDestruction() {
  SetControl(nullptr);
  TComponent::BeforeDestruction();
}

bool TVsHook::CanHook() const {
  const bool Designing = ComponentState().Contains(csDesigning) ||
                         (Owner() && Owner()->ComponentState().Contains(csDesigning));
  return !Designing || FDesignActive;
}

void TVsHook::Attach() {
  if (!FControl) return;
  if (!GHookList) GHookList.reset(new TVsHookList());
  TCtlHook* Ctl = GHookList->FindHook(FControl);
  if (!Ctl) {
    auto Made = std::make_unique<TCtlHook>(FControl);
    GHookList->Add(Made.get());
    Ctl = Made.release();
  }
  Ctl->AddHook(this);
}

void TVsHook::Detach() {
  if (!FControl || !GHookList) return;
  if (TCtlHook* Ctl = GHookList->FindHook(FControl)) Ctl->RemoveHook(this);
}

void TVsHook::SetActive(bool Value) {
  if (Value == FActive) return;
  if (CanHook()) {
    if (Value)
      Attach();
    else
      Detach();
  }
  FActive = Value;
}

void TVsHook::SetDesignActive(bool Value) {
  FDesignActive = Value;
  if (!ComponentState().Contains(csDesigning)) return;
  if (FActive && FDesignActive)
    Attach();
  else
    Detach();
}

void TVsHook::SetControl(TControl* Value) {
  if (Value == FControl) return;
  // The stored Active survives the change and applies to the new control.
  if (FActive && CanHook()) Detach();
  if (FControl && !FControl->ComponentState().Contains(csDestroying)) RemoveFreeNotification(FControl);
  FControl = Value;
  if (FControl) {
    if (FActive && CanHook()) Attach();
    FreeNotification(FControl);
  }
}

void TVsHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl) SetControl(nullptr);
}

void TVsHook::DoBeforeProcess(TMessage& Msg, bool& Handled) {
  if (OnBeforeProcess) OnBeforeProcess(this, Msg, Handled);
}

void TVsHook::DoAfterProcess(TMessage& Msg, bool& Handled) {
  if (OnAfterProcess) OnAfterProcess(this, Msg, Handled);
}

// --- TCtlHook ---

TCtlHook::TCtlHook(TControl* AControl) : FWindowProc(this, &TCtlHook::HookWndProc), FControl(AControl) {}

TCtlHook::~TCtlHook() {
  FDestroying = true;
  FHooks.Clear();
  if (FSavedProc) FControl->WindowProc = FSavedProc;
}

void TCtlHook::AddHook(TVsHook* Hook) {
  if (Attached(Hook)) return;
  FHooks.Add(Hook);
  if (!FSavedProc) Install();
}

void TCtlHook::Install() {
  FSavedProc = FControl->WindowProc;
  FControl->WindowProc = FWindowProc;
}

void TCtlHook::RemoveHook(TVsHook* Hook) {
  FHooks.Remove(Hook);
  if (FHooks.Count() > 0 || !FSavedProc) return;
  try {
    FControl->WindowProc = FSavedProc;
  } catch (...) {
  }
  FSavedProc = nullptr;
}

void TCtlHook::HookWndProc(TMessage& Msg) {
  // Handlers may attach or detach hooks, even the last one (which puts the
  // saved procedure back and forgets it): work on copies, and skip a hook
  // that is no longer attached when its turn comes.
  std::vector<TVsHook*> Hooks;
  Hooks.reserve(static_cast<size_t>(FHooks.Count()));
  for (int I = 0; I < FHooks.Count(); ++I) Hooks.push_back(static_cast<TVsHook*>(FHooks.Items(I)));
  const TWndMethod Saved = FSavedProc;

  bool Handled = false;
  if (Msg.Msg != WM_QUIT && !FDestroying)
    for (auto It = Hooks.rbegin(); It != Hooks.rend() && !Handled; ++It)
      if (Attached(*It)) (*It)->DoBeforeProcess(Msg, Handled);
  if (!Handled && Saved) Saved(Msg);
  Handled = false;
  for (auto It = Hooks.rbegin(); It != Hooks.rend() && !Handled; ++It)
    if (Attached(*It)) (*It)->DoAfterProcess(Msg, Handled);
}

// --- TVsHookList ---

TVsHookList::TVsHookList() {
  FList.OnDelete = TVsListDeleteEvent(this, &TVsHookList::FreeCtlHook);
  FHandle = AllocateHWnd(TWndMethod(this, &TVsHookList::WndProc));
}

TVsHookList::~TVsHookList() {
  FList.Clear();
  DeallocateHWnd(FHandle);
}

void TVsHookList::FreeCtlHook(TObject*, void* Item) { static_cast<TCtlHook*>(Item)->Free(); }

TCtlHook* TVsHookList::FindHook(TControl* Control) const {
  for (int I = 0; I < FList.Count(); ++I) {
    auto* Hook = static_cast<TCtlHook*>(FList.Items(I));
    if (Hook->Control() == Control) return Hook;
  }
  return nullptr;
}

TCtlHook* TVsHookList::Registered(LPARAM Item) const {
  const int Index = FList.IndexOf(reinterpret_cast<void*>(Item));
  return Index < 0 ? nullptr : static_cast<TCtlHook*>(FList.Items(Index));
}

void TVsHookList::WndProc(TMessage& Msg) {
  switch (Msg.Msg) {
    case VSM_FREECTLHOOK: {
      TCtlHook* Hook = Registered(Msg.LParam);
      if (!Hook || Hook->HookCount() > 0) return;
      FList.Remove(Hook);
      // The very last act: the window may be destroyed from inside its own
      // method, and nothing of this object is touched afterwards.
      if (FList.Count() == 0) GHookList.reset();
      return;
    }
    case VSM_REINSTALLHOOK:
      if (TCtlHook* Hook = Registered(Msg.LParam); Hook && !Hook->Installed()) Hook->Install();
      return;
    case WM_QUERYENDSESSION:
      Msg.Result = 1;
      return;
    default:
      DefUtilWindowHandler(FHandle, Msg);
  }
}
