#include "UniForms.h"

#include "FileUtils.h"
#include "UniActnList.h"
#include "UniControls.h"
#include "UniStdActns.h"
#include "UniMenus.h"
#include "UniSysUtils.h"

TUniApplication* UniApplication = nullptr;

namespace {

HHOOK GMessageHook = nullptr;

LRESULT CALLBACK GetMessageHook(int Code, WPARAM WParam, LPARAM LParam) {
  try {
    if (Code >= 0 && WParam == PM_REMOVE && UniApplication && LParam) {
      MSG* Msg = reinterpret_cast<MSG*>(LParam);
      if (ProcessWideCharMessage(*Msg)) Msg->message = WM_NULL;
    }
  } catch (...) {
    if (Application) Application->HandleException(UniApplication);
  }
  return CallNextHookEx(GMessageHook, Code, WParam, LParam);
}

}  // namespace

TUniAppIdleEventControl::TUniAppIdleEventControl(TComponent* AOwner) : TControl(AOwner) {
  SetParentFont(false);
  auto* Action = new TUniAction(this);  // owned by the control
  Action->OnExecute = TNotifyEvent(this, &TUniAppIdleEventControl::Idle);
  Action->OnUpdate = TNotifyEvent(this, &TUniAppIdleEventControl::Idle);
  SetAction(Action);
}

TUniAppIdleEventControl::~TUniAppIdleEventControl() {
  if (UniApplication && UniApplication->IdleControl == this) UniApplication->IdleControl = nullptr;
}

void TUniAppIdleEventControl::Idle(TObject*) { UpdateWideAppHint(); }

TUniApplication::TUniApplication() : TComponent(nullptr) {
  if (Application) Application->HookMainWindow(TWindowHook(this, &TUniApplication::MainWindowHook));
}

TUniApplication::~TUniApplication() = default;

void TUniApplication::BeforeDestruction() {
  if (Application) Application->UnhookMainWindow(TWindowHook(this, &TUniApplication::MainWindowHook));
  if (IdleControl) IdleControl->Free();
  IdleControl = nullptr;
  TComponent::BeforeDestruction();
}

bool TUniApplication::MainWindowHook(TMessage& Message) {
  if (Message.Msg != CM_ACTIONEXECUTE || !Message.LParam) return false;
  auto* Action = reinterpret_cast<TAction*>(Message.LParam);
  if (typeid(*Action) != typeid(THintAction) || Action->Hint() != WideToAnsi(GetWideAppHint())) return false;
  TOwned<TUniHintAction> Wide(new TUniHintAction(Application));  // freed here
  Wide->SetHint(GetWideAppHint());
  Wide->Execute();
  Message.Result = 1;
  return true;
}

WideString GetWideAppHint() {
  if (!UniApplication || !Application) return {};
  return SyncWideRead(UniApplication->WideHint, Application->Hint());
}

void SetWideAppHint(const WideString& Value) {
  if (!UniApplication || !Application) return;
  SyncWideWrite(Value, UniApplication->WideHint, Application->Hint(),
                [](const AnsiString& A) { Application->SetHint(A); });
}

void UpdateWideAppHint() {
  POINT P;
  TControl* Control = GetCursorPos(&P) ? FindDragTarget(P, false) : nullptr;
  SetWideAppHint(Control ? WideGetLongHint(WideGetParentHint(Control)) : WideString());
}

bool ProcessWideCharMessage(MSG& Msg) {
  if (!UniApplication->IdleChecked && Application && Application->MainForm()) {
    UniApplication->IdleChecked = true;
    auto* Control = new TUniAppIdleEventControl(Application->MainForm());  // owned by the main form
    Control->SetBounds(0, 0, 0, 0);
    Control->SetParent(Application->MainForm());
    UniApplication->IdleControl = Control;
  }
  if (Msg.message != WM_CHAR || (Msg.wParam & 0xFFFF) < 128 || !Msg.hwnd || !IsWindowUnicode(Msg.hwnd)) return false;
  bool Handled = false;
  if (Application) {
    if (Application->OnMessage) Application->OnMessage(Msg, Handled);
    Application->CancelHint();
  }
  HWND Dialog = Application ? Application->DialogHandle() : nullptr;
  if (!Handled && !(Dialog && IsWindow(Dialog) && IsDialogMessageW(Dialog, &Msg))) DispatchMessageW(&Msg);
  return true;
}

bool IsWideCharAccel(Word CharCode, const WideString& Caption) {
  const WideString Hotkey = WideGetHotkey(Caption);
  if (Hotkey.empty()) return false;
  return UniSysUtils::WideUpperCase(WideString(1, KeyCharToWide(CharCode))) == UniSysUtils::WideUpperCase(Hotkey);
}

void InitializeUniForms() {
  if (UniApplication) return;
  UniApplication = new TUniApplication;  // freed by FinalizeUniForms
  if (IsUnicodePlatform) {
    GMessageHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
    if (!GMessageHook) {
      const DWORD Error = GetLastError();
      UniApplication->Free();
      UniApplication = nullptr;
      SetLastError(Error);
      RaiseLastOSError();
    }
  }
}

void FinalizeUniForms() {
  // Nothing can be done about a hook the system will not remove; the
  // thread's end removes it anyway.
  if (GMessageHook) UnhookWindowsHookEx(GMessageHook);
  GMessageHook = nullptr;
  if (UniApplication) UniApplication->Free();
  UniApplication = nullptr;
}
