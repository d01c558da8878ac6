#include "UniControls.h"

#include <algorithm>
#include <map>
#include <vector>

#include "ActnList.h"
#include "FileUtils.h"
#include "TypInfo.h"
#include "UniGraphics.h"
#include "UniMenus.h"
#include "UtilWindow.h"

// The records of the layer reach into the trap's fields.
struct TUniControlsAccess {
  static void Reset(TWinControlTrap* Trap, TWinControl* Control);
  static void WindowDestroyed(TWinControlTrap* Trap);
  static void Hook(TWinControlTrap* Trap);
  static void ControlGone(TWinControlTrap* Trap);
  static LRESULT CALLBACK DefaultProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  static TWinControlTrap* TrapFor(TWinControl* Control);
};

namespace {

// What the layer keeps for one control.
struct TControlRecord {
  std::unique_ptr<TWideCaptionHolder> Holder;
  TWinControlTrap* Trap = nullptr;
};

// Told when a control with a record is freed.
class TUniNotifier : public TComponent {
public:
  TUniNotifier() : TComponent(nullptr) {}

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

struct TUniControlsState {
  std::map<TControl*, TControlRecord> Records;
  // Every trap there is; freed at shut-down.
  std::vector<std::unique_ptr<TWinControlTrap>> Traps;
  // Traps unhooked cleanly, free for the next Unicode window.
  std::vector<TWinControlTrap*> Pool;
  TUniNotifier* Notifier = nullptr;
};

TUniControlsState* GState = nullptr;
// The hint record WideSubstituteHint marked last.
const THintInfo* GMarkedHint = nullptr;
bool GShutDown = false;
TWinControl* GCreatingUnicodeControl = nullptr;

TControlRecord* FindRecord(TControl* Control) {
  if (!GState || !Control) return nullptr;
  auto It = GState->Records.find(Control);
  return It == GState->Records.end() ? nullptr : &It->second;
}

TControlRecord& RecordFor(TControl* Control) {
  if (!GState) throw EUniInternalError("Internal Error: UniControls is not initialized.");
  auto [It, Added] = GState->Records.try_emplace(Control);
  if (Added) Control->FreeNotification(GState->Notifier);
  return It->second;
}

void DropRecordIfEmpty(TControl* Control) {
  TControlRecord* R = FindRecord(Control);
  if (R && !R->Holder && !R->Trap) {
    Control->RemoveFreeNotification(GState->Notifier);
    GState->Records.erase(Control);
  }
}

void TUniNotifier::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || !GState) return;
  auto It = GState->Records.find(static_cast<TControl*>(AComponent));
  if (It == GState->Records.end()) return;
  if (It->second.Trap) TUniControlsAccess::ControlGone(It->second.Trap);
  GState->Records.erase(It);
}

TWinControl* AsWindowed(TControl* Control) { return dynamic_cast<TWinControl*>(Control); }

// The control's windowed form when it has a window that is not Unicode, or
// the layer is off the Unicode platform: then only the 8-bit text counts.
bool UsesAnsiText(TControl* Control) {
  if (!IsUnicodePlatform) return true;
  TWinControl* W = AsWindowed(Control);
  return W && W->HandleAllocated() && !IsWindowUnicode(W->Handle());
}

WideString WindowText(HWND Wnd) {
  const int Len = GetWindowTextLengthW(Wnd);
  if (Len <= 0) return {};
  WideString Text(static_cast<size_t>(Len) + 1, L'\0');
  const int Got = GetWindowTextW(Wnd, Text.data(), Len + 1);
  Text.resize(static_cast<size_t>(std::clamp(Got, 0, Len)));
  return Text;
}

// The text a window's own procedure holds, asked without a message through
// the system.
WideString ProcedureText(WNDPROC Proc, HWND Wnd) {
  auto Call = [&](UINT Msg, WPARAM W, LPARAM L) {
    return Proc ? CallWindowProcW(Proc, Wnd, Msg, W, L) : DefWindowProcW(Wnd, Msg, W, L);
  };
  const int Len = static_cast<int>(Call(WM_GETTEXTLENGTH, 0, 0));
  if (Len <= 0) return {};
  WideString Text(static_cast<size_t>(Len) + 1, L'\0');
  const int Got = static_cast<int>(Call(WM_GETTEXT, Text.size(), reinterpret_cast<LPARAM>(Text.data())));
  Text.resize(static_cast<size_t>(std::clamp(Got, 0, Len)));
  return Text;
}

}  // namespace

// ---------------------------------------------------------------------------
// Start-up

void InitializeUniControls() {
  if (GState) return;
  GState = new TUniControlsState;  // freed by FinalizeUniControls
  GState->Notifier = new TUniNotifier;  // freed by FinalizeUniControls
  GShutDown = false;
  GMarkedHint = nullptr;
  RegisterClass<TUniHintWindow, THintWindow>();
}

void FinalizeUniControls() {
  if (!GState) return;
  for (auto& [Control, Record] : GState->Records) Control->RemoveFreeNotification(GState->Notifier);
  GState->Notifier->Free();
  GShutDown = true;
  delete GState;
  GState = nullptr;
}

// ---------------------------------------------------------------------------
// Wide values

TWideCaptionHolder* FindWideCaptionHolder(TControl* Control, bool Create) {
  if (TControlRecord* R = FindRecord(Control); R && R->Holder) return R->Holder.get();
  if (!Create || !Control) return nullptr;
  TControlRecord& R = RecordFor(Control);
  R.Holder = std::make_unique<TWideCaptionHolder>(Control);
  return R.Holder.get();
}

WideString SyncWideRead(WideString& Stored, const AnsiString& Current) {
  if (WideToAnsi(Stored) != Current) Stored = AnsiToWide(Current);
  return Stored;
}

void SyncWideWrite(const WideString& NewValue, WideString& Stored, const AnsiString& Current,
                   const TSetAnsiValue& SetAnsi) {
  if (SyncWideRead(Stored, Current) == NewValue) return;
  const AnsiString Ansi = WideToAnsi(NewValue);
  if (AnsiToWide(Ansi) != NewValue && Current == Ansi) SetAnsi(AnsiString());
  Stored = NewValue;
  SetAnsi(Ansi);
}

WideString WideGetControlText(TControl* Control) {
  if (UsesAnsiText(Control)) return AnsiToWide(Control->Text());
  TWinControl* W = AsWindowed(Control);
  if (W && W->HandleAllocated()) return WindowText(W->Handle());
  if (TWideCaptionHolder* H = FindWideCaptionHolder(Control, false)) return SyncWideRead(H->WideCaption, Control->Text());
  return AnsiToWide(Control->Text());
}

void WideSetControlText(TControl* Control, const WideString& Text) {
  if (UsesAnsiText(Control)) {
    Control->SetText(WideToAnsi(Text));
    return;
  }
  TWinControl* W = AsWindowed(Control);
  if (W && W->HandleAllocated()) {
    if (WideGetControlText(W) == Text) return;
    SetWindowTextW(W->Handle(), Text.c_str());
    W->Perform(CM_TEXTCHANGED, 0, 0);
    return;
  }
  TWideCaptionHolder* H = FindWideCaptionHolder(Control, true);
  SyncWideWrite(Text, H->WideCaption, Control->Text(), [Control](const AnsiString& A) { Control->SetText(A); });
}

WideString WideGetControlHint(TControl* Control) {
  if (IsUnicodePlatform)
    if (TWideCaptionHolder* H = FindWideCaptionHolder(Control, false)) return SyncWideRead(H->WideHint, Control->Hint());
  return AnsiToWide(Control->Hint());
}

void WideSetControlHint(TControl* Control, const WideString& Text) {
  if (!IsUnicodePlatform) {
    Control->SetHint(WideToAnsi(Text));
    return;
  }
  TWideCaptionHolder* H = FindWideCaptionHolder(Control, true);
  SyncWideWrite(Text, H->WideHint, Control->Hint(), [Control](const AnsiString& A) { Control->SetHint(A); });
}

WideString WideGetParentHint(TControl* Control) {
  for (TControl* C = Control; C; C = C->Parent()) {
    WideString Hint = WideGetControlHint(C);
    if (!Hint.empty()) return Hint;
  }
  return {};
}

bool IsWideCaptionStored(TControl* Control) {
  const TActionLink* Link = Control->ActionLink();
  return !(Link && Link->IsCaptionLinked());
}

bool IsWideHintStored(TControl* Control) {
  const TActionLink* Link = Control->ActionLink();
  return !(Link && Link->IsHintLinked());
}

WideString WideGetShortHint(const WideString& Hint) {
  const size_t Bar = Hint.find(L'|');
  return Bar == WideString::npos ? Hint : Hint.substr(0, Bar);
}

WideString WideGetLongHint(const WideString& Hint) {
  const size_t Bar = Hint.find(L'|');
  return Bar == WideString::npos ? Hint : Hint.substr(Bar + 1);
}

// ---------------------------------------------------------------------------
// Unicode windows

TWinControl* CreatingUnicodeControl() { return GCreatingUnicodeControl; }

WideString RegisterUnicodeClass(const TCreateParams& Params) {
  const WideString Name = AnsiToWide(Params.WinClassName.substr(0, 64)) + L".UnicodeClass";
  const HINSTANCE Instance = Params.WindowClass.hInstance;
  WNDCLASSW Found{};
  if (GetClassInfoW(Instance, Name.c_str(), &Found)) {
    if (Found.lpfnWndProc == InitWndProc) return Name;
    if (!UnregisterClassW(Name.c_str(), Instance)) RaiseLastOSError();
  }
  const WNDCLASSA& From = Params.WindowClass;
  WideString MenuName;
  WNDCLASSW Class{};
  Class.style = From.style;
  Class.lpfnWndProc = InitWndProc;
  Class.cbClsExtra = From.cbClsExtra;
  Class.cbWndExtra = From.cbWndExtra;
  Class.hInstance = Instance;
  Class.hIcon = From.hIcon;
  Class.hCursor = From.hCursor;
  Class.hbrBackground = From.hbrBackground;
  if (IS_INTRESOURCE(From.lpszMenuName)) {
    Class.lpszMenuName = reinterpret_cast<LPCWSTR>(From.lpszMenuName);
  } else {
    MenuName = AnsiToWide(From.lpszMenuName);
    Class.lpszMenuName = MenuName.c_str();
  }
  Class.lpszClassName = Name.c_str();
  if (!RegisterClassW(&Class)) RaiseLastOSError();
  return Name;
}

void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params, const WideChar* SystemClass) {
  // A child has the framework's id from the start: an owner-drawn list asks
  // its parent for its row height by that id while it is being created.
  const HMENU Id =
      (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(Control->ControlID())) : nullptr;
  if (!IsUnicodePlatform) {
    CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style, Params.X,
                    Params.Y, Params.Width, Params.Height, Params.WndParent, Id, Params.WindowClass.hInstance,
                    Params.Param);
    if (!Control->HandleAllocated()) RaiseLastOSError();
    return;
  }
  // A window of a system class gets the trap's default procedure in front
  // of the class's own; one without keeps none, so that the framework
  // paints it (DefWindowProcW does the rest).
  WNDPROC DefaultProc = nullptr;
  WNDCLASSW System{};
  if (SystemClass && (GetClassInfoW(Params.WindowClass.hInstance, SystemClass, &System) ||
                      GetClassInfoW(nullptr, SystemClass, &System)))
    DefaultProc = System.lpfnWndProc;
  const WideString ClassName = RegisterUnicodeClass(Params);
  TWinControlTrap* Trap = TUniControlsAccess::TrapFor(Control);
  Trap->FSavedDefaultProc = DefaultProc;
  Control->SetDefWndProc(DefaultProc ? TUniControlsAccess::DefaultProc : nullptr);

  TWinControl* Saved = GCreatingUnicodeControl;
  GCreatingUnicodeControl = Control;
  HWND Wnd = nullptr;
  DWORD Error = 0;
  try {
    Wnd = CreateWindowExW(Params.ExStyle, ClassName.c_str(), nullptr, Params.Style, Params.X, Params.Y, Params.Width,
                          Params.Height, Params.WndParent, Id, Params.WindowClass.hInstance, Params.Param);
    Error = GetLastError();
  } catch (...) {
    GCreatingUnicodeControl = Saved;
    throw;
  }
  GCreatingUnicodeControl = Saved;
  if (!Wnd || !Control->HandleAllocated()) {
    SetLastError(Error);
    RaiseLastOSError();
  }
  SubClassUnicodeControl(Control, Params.Caption);
}

void SubClassUnicodeControl(TWinControl* Control, const AnsiString& Caption) {
  HWND Wnd = Control->HandleAllocated() ? Control->Handle() : nullptr;
  if (!Wnd || !IsWindowUnicode(Wnd))
    throw EUniInternalError("Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  TWinControlTrap* Trap = TUniControlsAccess::TrapFor(Control);
  if (Control->DefWndProc() && Control->DefWndProc() != TUniControlsAccess::DefaultProc) {
    Trap->FSavedDefaultProc = Control->DefWndProc();
    Control->SetDefWndProc(TUniControlsAccess::DefaultProc);
  }
  Trap->FWindowHandle = Wnd;
  TUniControlsAccess::Hook(Trap);
  TWideCaptionHolder* H = FindWideCaptionHolder(Control, false);
  WideSetControlText(Control, H ? SyncWideRead(H->WideCaption, Caption) : AnsiToWide(Caption));
}

LRESULT WideNotifyFormat(HWND Wnd) {
  if (IsUnicodePlatform && Wnd &&
      (IsWindowUnicode(Wnd) || (GCreatingUnicodeControl && FindControl(Wnd) == GCreatingUnicodeControl)))
    return NFR_UNICODE;
  return NFR_ANSI;
}

void PackWideCharMessage(TMessage& Message) {
  const WPARAM Code = Message.WParam & 0xFFFF;
  if (Code >= 128) Message.WParam = (Code << 16) | 255;
}

void UnpackWideCharMessage(TMessage& Message) {
  const Word High = static_cast<Word>(Message.WParam >> 16);
  const Word Low = static_cast<Word>(Message.WParam & 0xFFFF);
  if (High != 0 && Low == 255)
    Message.WParam = High;
  else if (Low >= 128 && Low <= 255)
    Message.WParam = KeyCharToWide(Low);
  else
    Message.WParam = Low;
}

// ---------------------------------------------------------------------------
// The trap

TWinControlTrap::TWinControlTrap() = default;

TWinControlTrap::~TWinControlTrap() { FCanary = 0; }

TWinControlTrap* FindWinControlTrap(TControl* Control) {
  TControlRecord* R = FindRecord(Control);
  return R ? R->Trap : nullptr;
}

void TUniControlsAccess::Reset(TWinControlTrap* Trap, TWinControl* Control) {
  Trap->FControl = Control;
  Trap->FWindowHandle = nullptr;
  Trap->FSavedDefaultProc = nullptr;
  Trap->FSavedMessageHandler = nullptr;
  Trap->FHooked = false;
  Trap->FProbing = false;
  Trap->FProbeAnswered = false;
}

TWinControlTrap* TUniControlsAccess::TrapFor(TWinControl* Control) {
  TControlRecord& R = RecordFor(Control);
  if (R.Trap) return R.Trap;
  TWinControlTrap* Trap;
  if (!GState->Pool.empty()) {
    Trap = GState->Pool.back();
    GState->Pool.pop_back();
  } else {
    GState->Traps.push_back(std::make_unique<TWinControlTrap>());
    Trap = GState->Traps.back().get();
  }
  Reset(Trap, Control);
  R.Trap = Trap;
  return Trap;
}

void TUniControlsAccess::Hook(TWinControlTrap* Trap) {
  TWinControl* Control = Trap->FControl;
  const TWndMethod Mine(Trap, &TWinControlTrap::MessageHandler);
  const TWndMethod Own(Control, &TControl::WndProc);
  if (Control->WindowProc == Mine) return;
  if (Control->WindowProc == Own || !Control->WindowProc) {
    Trap->FSavedMessageHandler = Own;
    Control->WindowProc = Mine;
    Trap->FHooked = true;
    return;
  }
  if (dynamic_cast<TWinControlTrap*>(Control->WindowProc.Data())) return;
  // Another handler is in front: the trap may be behind it already.
  Trap->FProbing = true;
  Trap->FProbeAnswered = false;
  TMessage Probe{0, 0, 0, 0};
  try {
    Control->WindowProc(Probe);
  } catch (...) {
    Trap->FProbing = false;
    throw;
  }
  Trap->FProbing = false;
  if (Trap->FProbeAnswered && Trap->FHooked) return;
  Trap->FSavedMessageHandler = Control->WindowProc;
  Control->WindowProc = Mine;
  Trap->FHooked = true;
}

void TUniControlsAccess::WindowDestroyed(TWinControlTrap* Trap) {
  TWinControl* Control = Trap->FControl;
  const bool Destroying = Control->ComponentState().Contains(csDestroying);
  if (!Destroying) FindWideCaptionHolder(Control, true)->WideCaption = ProcedureText(Trap->FSavedDefaultProc, Trap->FWindowHandle);
  if (Control->WindowProc == TWndMethod(Trap, &TWinControlTrap::MessageHandler)) {
    Control->WindowProc = Trap->FSavedMessageHandler;
    Trap->FHooked = false;
  }
  if (Control->DefWndProc() == DefaultProc) Control->SetDefWndProc(Trap->FSavedDefaultProc);
  Trap->FWindowHandle = nullptr;
  if (Trap->FHooked) return;  // stays with the control, behind the other handler
  TControlRecord* R = FindRecord(Control);
  if (R) R->Trap = nullptr;
  Trap->FControl = nullptr;
  GState->Pool.push_back(Trap);
  DropRecordIfEmpty(Control);
}

void TUniControlsAccess::ControlGone(TWinControlTrap* Trap) {
  // Left behind another handler: kept (answering 0) until shut-down.
  const bool Pool = !Trap->FHooked;
  Trap->FControl = nullptr;
  Trap->FWindowHandle = nullptr;
  if (Pool) GState->Pool.push_back(Trap);
}

LRESULT CALLBACK TUniControlsAccess::DefaultProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    TWinControlTrap* Trap = FindWinControlTrap(FindControl(Wnd));
    WNDPROC Next = Trap ? Trap->FSavedDefaultProc : nullptr;
    switch (Msg) {
      case WM_NOTIFYFORMAT:
        return WideNotifyFormat(reinterpret_cast<HWND>(WParam));
      case WM_CHAR: {
        TMessage M{Msg, WParam, LParam, 0};
        UnpackWideCharMessage(M);
        WParam = M.WParam;
        break;
      }
      case WM_IME_CHAR:
        if (!IsXPOrLater) return SendMessageW(Wnd, WM_CHAR, WParam, LParam);
        break;
      default:
        break;
    }
    return Next ? CallWindowProcW(Next, Wnd, Msg, WParam, LParam) : DefWindowProcW(Wnd, Msg, WParam, LParam);
  } catch (...) {
    HandleCallbackException();
    return 0;
  }
}

void TWinControlTrap::MessageHandler(TMessage& Message) {
  if (FProbing && Message.Msg == 0) {
    FProbeAnswered = true;
    return;
  }
  if (GShutDown || !FControl || !Alive()) {
    Message.Result = 0;
    return;
  }
  const TWndMethod Next = FSavedMessageHandler;
  if (Message.Msg == CM_HINTSHOW && Message.LParam) WideSubstituteHint(*reinterpret_cast<THintInfo*>(Message.LParam));
  if (FControl->HandleAllocated() && IsWindowMessage(Message)) {
    if (Message.Msg == WM_DESTROY)
      TUniControlsAccess::WindowDestroyed(this);
    else if (Message.Msg == WM_CHAR)
      PackWideCharMessage(Message);
  }
  if (Next) Next(Message);
}

// ---------------------------------------------------------------------------
// Wide hints

void WideSubstituteHint(THintInfo& Info) {
  if (!IsUnicodePlatform) return;
  const TClassInfo* Uni = ClassInfoOf<TUniHintWindow>();
  if (!Info.HintWindowClass || Info.HintWindowClass == ClassInfoOf<THintWindow>()) Info.HintWindowClass = Uni;
  if (!Info.HintWindowClass->InheritsFrom(Uni)) return;
  Info.HintData = &Info;
  GMarkedHint = &Info;
  Info.HintStr = WideToAnsi(WideGetShortHint(WideGetParentHint(Info.HintControl)));
}

bool IsWideHintData(const void* Data) {
  if (!Data || Data != GMarkedHint) return false;
  const TClassInfo* Class = GMarkedHint->HintWindowClass;
  return Class && Class->InheritsFrom(ClassInfoOf<TUniHintWindow>());
}

WideString WideHintText(const THintInfo& Info) {
  WideString Result = AnsiToWide(Info.HintStr);
  if (Info.HintStr.empty()) return Result;
  const WideString Short = WideGetShortHint(WideGetParentHint(Info.HintControl));
  if (WideToAnsi(Short) == Info.HintStr) return Short;
  // The hint with the shortcut of the control's action behind it.
  const TAction* Action = Info.HintControl ? Info.HintControl->Action() : nullptr;
  if (Application && Application->HintShortCuts() && Action && Action->ShortCut() &&
      WideToAnsi(Short) + " (" + ShortCutToText(Action->ShortCut()) + ")" == Info.HintStr)
    Result = Short + L" (" + WideShortCutToText(Action->ShortCut()) + L")";
  return Result;
}

namespace {

// Sets a flag for a scope.
struct TFlagScope {
  bool& Flag;
  explicit TFlagScope(bool& F) : Flag(F) { Flag = true; }
  ~TFlagScope() { Flag = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;
};

// The text of a hint up to its first zero (a packed hint shows that far).
WideString UpToZero(const WideString& Text) { return Text.substr(0, Text.find(L'\0')); }

}  // namespace

void TUniHintWindow::CreateWindowHandle(const TCreateParams& Params) { CreateUnicodeHandle(this, Params, nullptr); }

void TUniHintWindow::WndProc(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED && IsUnicodePlatform) {
    if (!FActivating && !Activating()) {
      const WideString Text = WideGetControlText(this);
      SetBounds(Left(), Top(), WideCanvasTextWidth(Canvas(), Text) + 6, WideCanvasTextHeight(Canvas(), Text) + 6);
    }
    return;
  }
  THintWindow::WndProc(Message);
}

void TUniHintWindow::Paint() {
  if (FDataPainting) return;
  if (!IsUnicodePlatform) {
    THintWindow::Paint();
    return;
  }
  TRect R = ClientRect();
  R.left += 2;
  R.top += 2;
  TCanvas* C = Canvas();
  C->Font()->Assign(Font());
  if (Screen) C->Font()->SetColor(Screen->HintFont()->Color());
  C->RequiredState(TCanvasState{csHandleValid, csFontValid});
  HDC DC = C->Handle();
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(C->Font()->Color())));
  const WideString Text = WideGetControlText(this);
  DrawTextW(DC, Text.c_str(), -1, &R, DT_NOPREFIX | DT_WORDBREAK);
}

void TUniHintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  TFlagScope Scope(FActivating);
  THintWindow::ActivateHint(Rect, AHint);
}

void TUniHintWindow::ActivateHintData(const TRect& Rect, const AnsiString& AHint, void* AData) {
  if (!IsUnicodePlatform || !IsWideHintData(AData)) {
    THintWindow::ActivateHintData(Rect, AHint, AData);
    return;
  }
  {
    TFlagScope Painting(FDataPainting);
    TFlagScope ActivatingScope(FActivating);
    WideSetControlText(this, UpToZero(WideHintText(*static_cast<const THintInfo*>(AData))));
    THintWindow::ActivateHintData(Rect, AHint, AData);
  }
  Invalidate();
}

TRect TUniHintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) {
  if (!IsUnicodePlatform || !IsWideHintData(AData)) return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
  const WideString Text = UpToZero(WideHintText(*static_cast<const THintInfo*>(AData)));
  RECT R{0, 0, MaxWidth, 0};
  HDC DC = GetDC(nullptr);
  HGDIOBJ OldFont = SelectObject(DC, Font()->Handle());
  DrawTextW(DC, Text.c_str(), -1, &R, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  SelectObject(DC, OldFont);
  ReleaseDC(nullptr, DC);
  R.right += 6;
  R.bottom += 2;
  return R;
}
