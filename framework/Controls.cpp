#include "Controls.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "ActnList.h"
#include "Consts.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "UtilWindow.h"

namespace {

// The window property that binds a window to its control.
const char* const ControlProp = "VardoSlovantaControl";

// The control whose window CreateWnd is making (saved and restored around
// nested creations).
TWinControl* GCreationControl = nullptr;
// The message currently delivered by the window procedure (innermost).
const TMessage* GWindowMessage = nullptr;
// Nesting depth of window procedure calls; device contexts that canvases
// took on their own are given back when the outermost call ends.
int GWndProcDepth = 0;
// The control the mouse is over, and the windowless control that holds the
// mouse through its parent's capture.
TControl* GMouseControl = nullptr;
TControl* GCaptureControl = nullptr;
// Control canvases holding a DC they made themselves.
std::vector<TControlCanvas*> GCanvasList;

UINT GNextControlID = 0x100;

TCursor DefaultScreenCursor() { return crDefault; }

TWinControl* AsWindowed(TControl* C) { return dynamic_cast<TWinControl*>(C); }

bool IsInside(const TControl* Control, const TControl* Container) {
  for (const TControl* C = Control; C; C = C->Parent())
    if (C == Container) return true;
  return false;
}

void FreeDeviceContexts() {
  while (!GCanvasList.empty()) GCanvasList.back()->FreeHandle();
}

// Passes a message that came through the window procedure to the control,
// inside the exception barrier. The control may be freed by its handler:
// nothing of it is touched afterwards.
void DeliverWindowMessage(TWinControl* Control, TMessage& Message) {
  const TMessage* Saved = GWindowMessage;
  GWindowMessage = &Message;
  ++GWndProcDepth;
  try {
    if (Control->WindowProc)
      Control->WindowProc(Message);
    else
      Control->WndProc(Message);
  } catch (...) {
    HandleCallbackException();
  }
  GWindowMessage = Saved;
  if (--GWndProcDepth == 0) {
    try {
      FreeDeviceContexts();
    } catch (...) {
      HandleCallbackException();
    }
  }
}

// The windowless control (if any) or windowed control that holds the mouse.
TControl* GetCaptureControl() {
  HWND Wnd = GetCapture();
  TWinControl* C = Wnd ? FindControl(Wnd) : nullptr;
  if (!C) return nullptr;
  if (GCaptureControl && GCaptureControl->Parent() == C) return GCaptureControl;
  return C;
}

// The deepest control at a point of Container's client area.
TControl* DeepControlAtPos(TWinControl* Container, TPoint P) {
  for (;;) {
    TControl* C = Container->ControlAtPos(P, false, true);
    if (!C) return Container;
    TWinControl* W = AsWindowed(C);
    if (!W) return C;
    P.x -= W->Left();
    P.y -= W->Top();
    Container = W;
  }
}

void SetMouseControl(TControl* New) {
  if (GMouseControl == New) return;
  TControl* Old = GMouseControl;
  GMouseControl = New;
  if (Old) Old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Old));
  // A leave handler may have freed the new control (which clears the record).
  if (New && GMouseControl == New) New->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(New));
}

// The mouse and capture records must never outlive the control they name.
void ForgetControl(TControl* Control) {
  if (GMouseControl && IsInside(GMouseControl, Control)) GMouseControl = nullptr;
  if (GCaptureControl && IsInside(GCaptureControl, Control)) {
    GCaptureControl = nullptr;
    if (TWinControl* W = FindControl(GetCapture()); W && IsInside(W, Control)) ReleaseCapture();
  }
}

// A double click on a control that takes no double clicks is a second press.
UINT SingleClickMessage(UINT Msg) {
  switch (Msg) {
    case WM_LBUTTONDBLCLK: return WM_LBUTTONDOWN;
    case WM_RBUTTONDBLCLK: return WM_RBUTTONDOWN;
    case WM_MBUTTONDBLCLK: return WM_MBUTTONDOWN;
    default: return Msg;
  }
}

// Releases what BeginPaint took, also when painting raises.
class TPaintGuard {
public:
  TPaintGuard(HWND Wnd, HDC DC) : FWnd(Wnd), FDC(DC) {
    if (!FDC) FDC = BeginPaint(FWnd, &FPaint), FOwn = true;
  }
  ~TPaintGuard() {
    if (FOwn) EndPaint(FWnd, &FPaint);
  }
  TPaintGuard(const TPaintGuard&) = delete;
  TPaintGuard& operator=(const TPaintGuard&) = delete;
  HDC DC() const { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
  PAINTSTRUCT FPaint{};
  bool FOwn = false;
};

// Lends a paint DC to a canvas for one paint call.
class TCanvasDCGuard {
public:
  TCanvasDCGuard(TControlCanvas* Canvas, HDC DC) : FCanvas(Canvas) {
    FCanvas->FreeHandle();
    FCanvas->Lock();
    FCanvas->SetHandle(DC);
  }
  ~TCanvasDCGuard() {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
  }
  TCanvasDCGuard(const TCanvasDCGuard&) = delete;
  TCanvasDCGuard& operator=(const TCanvasDCGuard&) = delete;

private:
  TControlCanvas* FCanvas;
};

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

LRESULT CallWide(WNDPROC Proc, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return Proc ? CallWindowProcW(Proc, Wnd, Msg, WParam, LParam) : DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// The framework's own text messages carry 8-bit text; a Unicode window's
// procedure would write UTF-16 into (and read it from) that buffer. Convert
// through the system code page instead.
void WideTextMessage(WNDPROC Proc, HWND Wnd, TMessage& Message) {
  if (Message.Msg == WM_SETTEXT) {
    const char* Text = reinterpret_cast<const char*>(Message.LParam);
    const WideString Wide = AnsiToWide(Text ? Text : "");
    Message.Result = CallWide(Proc, Wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide.c_str()));
    return;
  }
  const int Len = static_cast<int>(CallWide(Proc, Wnd, WM_GETTEXTLENGTH, 0, 0));
  WideString Wide(static_cast<size_t>(std::max(Len, 0)) + 1, L'\0');
  const int Got = static_cast<int>(CallWide(Proc, Wnd, WM_GETTEXT, Wide.size(), reinterpret_cast<LPARAM>(Wide.data())));
  Wide.resize(static_cast<size_t>(std::clamp(Got, 0, std::max(Len, 0))));
  const AnsiString Text = WideToAnsi(Wide);
  if (Message.Msg == WM_GETTEXTLENGTH) {
    Message.Result = static_cast<LRESULT>(Text.size());
    return;
  }
  char* Buffer = reinterpret_cast<char*>(Message.LParam);
  if (!Buffer || Message.WParam == 0) {
    Message.Result = 0;
    return;
  }
  const size_t N = std::min(Text.size(), static_cast<size_t>(Message.WParam) - 1);
  std::memcpy(Buffer, Text.data(), N);
  Buffer[N] = '\0';
  Message.Result = static_cast<LRESULT>(N);
}

// The same for the framework's list-box and edit messages that carry 8-bit
// strings; true when Message was one of them. A list drawn by its owner
// without strings keeps its item data and gets the message as it is.
bool WideStringMessage(WNDPROC Proc, HWND Wnd, TMessage& Message) {
  auto HasStrings = [Wnd] {
    const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
    return !(Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (Style & LBS_HASSTRINGS);
  };
  switch (Message.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING:
    case EM_REPLACESEL: {
      if (Message.Msg != EM_REPLACESEL && !HasStrings()) return false;
      const char* Text = reinterpret_cast<const char*>(Message.LParam);
      const WideString Wide = AnsiToWide(Text ? Text : "");
      Message.Result = CallWide(Proc, Wnd, Message.Msg, Message.WParam, reinterpret_cast<LPARAM>(Wide.c_str()));
      return true;
    }
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
      if (!HasStrings()) return false;
      const LRESULT Len = CallWide(Proc, Wnd, LB_GETTEXTLEN, Message.WParam, 0);
      if (Len < 0) {
        Message.Result = LB_ERR;
        return true;
      }
      WideString Wide(static_cast<size_t>(Len) + 1, L'\0');
      const LRESULT Got = CallWide(Proc, Wnd, LB_GETTEXT, Message.WParam, reinterpret_cast<LPARAM>(Wide.data()));
      if (Got < 0) {
        Message.Result = LB_ERR;
        return true;
      }
      Wide.resize(static_cast<size_t>(std::min(Got, Len)));
      const AnsiString Text = WideToAnsi(Wide);
      char* Buffer = reinterpret_cast<char*>(Message.LParam);
      if (Message.Msg == LB_GETTEXT) {
        // The caller sized the buffer by LB_GETTEXTLEN, which gives this length.
        if (!Buffer) {
          Message.Result = LB_ERR;
          return true;
        }
        std::memcpy(Buffer, Text.data(), Text.size());
        Buffer[Text.size()] = '\0';
      }
      Message.Result = static_cast<LRESULT>(Text.size());
      return true;
    }
    case EM_GETLINE: {
      char* Buffer = reinterpret_cast<char*>(Message.LParam);
      Message.Result = 0;
      if (!Buffer) return true;
      WORD Size = 0;
      std::memcpy(&Size, Buffer, sizeof Size);
      const LRESULT Index = CallWide(Proc, Wnd, EM_LINEINDEX, Message.WParam, 0);
      if (Index < 0 || Size == 0) return true;
      const LRESULT Len = std::min<LRESULT>(CallWide(Proc, Wnd, EM_LINELENGTH, static_cast<WPARAM>(Index), 0), 0xFFFE);
      WideString Wide(static_cast<size_t>(std::max<LRESULT>(Len, 1)) + 1, L'\0');
      Wide[0] = static_cast<WideChar>(Wide.size());
      const LRESULT Got = CallWide(Proc, Wnd, EM_GETLINE, Message.WParam, reinterpret_cast<LPARAM>(Wide.data()));
      Wide.resize(static_cast<size_t>(std::clamp<LRESULT>(Got, 0, static_cast<LRESULT>(Wide.size()))));
      const AnsiString Text = WideToAnsi(Wide);
      const size_t N = std::min(Text.size(), static_cast<size_t>(Size));
      std::memcpy(Buffer, Text.data(), N);
      Message.Result = static_cast<LRESULT>(N);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

TPopupMenuHandler PopupMenuHandler = nullptr;
TCursor (*GetScreenCursor)() = DefaultScreenCursor;
HCURSOR (*GetCursorHandle)(TCursor Cursor) = SystemCursorHandle;

// ---------------------------------------------------------------------------
// Free functions

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState S;
  if (Keys & MK_SHIFT) S << ssShift;
  if (Keys & MK_CONTROL) S << ssCtrl;
  if (Keys & MK_LBUTTON) S << ssLeft;
  if (Keys & MK_RBUTTON) S << ssRight;
  if (Keys & MK_MBUTTON) S << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) S << ssAlt;
  return S;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState S;
  if (GetKeyState(VK_SHIFT) < 0) S << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) S << ssCtrl;
  if (KeyData & 0x20000000) S << ssAlt;
  return S;
}

TShiftState KeyboardStateToShiftState(const BYTE* KeyboardState) {
  TShiftState S;
  if (KeyboardState[VK_SHIFT] & 0x80) S << ssShift;
  if (KeyboardState[VK_CONTROL] & 0x80) S << ssCtrl;
  if (KeyboardState[VK_MENU] & 0x80) S << ssAlt;
  if (KeyboardState[VK_LBUTTON] & 0x80) S << ssLeft;
  if (KeyboardState[VK_RBUTTON] & 0x80) S << ssRight;
  if (KeyboardState[VK_MBUTTON] & 0x80) S << ssMiddle;
  return S;
}

TShiftState KeyboardStateToShiftState() {
  BYTE State[256] = {};
  if (!GetKeyboardState(State)) return {};
  return KeyboardStateToShiftState(State);
}

namespace {

// The "|" between the short and the long hint. Only the text before the
// first zero byte is searched: a themed control packs its UTF-16 hint after
// that byte, and a unit such as U+017C holds the byte 0x7C.
size_t HintBar(const AnsiString& Hint) {
  const size_t Bar = Hint.find('|');
  return Bar < Hint.find('\0') ? Bar : AnsiString::npos;
}

}  // namespace

AnsiString GetShortHint(const AnsiString& Hint) {
  const size_t Bar = HintBar(Hint);
  return Bar == AnsiString::npos ? Hint : Hint.substr(0, Bar);
}

AnsiString GetLongHint(const AnsiString& Hint) {
  const size_t Bar = HintBar(Hint);
  return Bar == AnsiString::npos ? Hint : Hint.substr(Bar + 1);
}

TWinControl* FindControl(HWND Wnd) {
  if (!Wnd) return nullptr;
  // Another copy of the program marks its windows with the same property,
  // and a window of another process can be met under the mouse; its
  // pointer means nothing here.
  DWORD Process = 0;
  if (!GetWindowThreadProcessId(Wnd, &Process) || Process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(Wnd, ControlProp));
}

TWinControl* CreationControl() { return GCreationControl; }

bool IsWindowMessage(const TMessage& Message) { return GWindowMessage == &Message; }

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  HWND Wnd = WindowFromPoint(Pos);
  TWinControl* Control = nullptr;
  while (Wnd && !(Control = FindControl(Wnd))) Wnd = GetParent(Wnd);
  if (!Control) return nullptr;
  TControl* Child = Control->ControlAtPos(Control->ScreenToClient(Pos), AllowDisabled);
  return Child ? Child : Control;
}

bool IsKeyMsg(MSG& Msg) {
  switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
      break;
    default:
      return false;
  }
  HWND Wnd = Msg.hwnd;
  while (Wnd && !FindControl(Wnd)) Wnd = GetParent(Wnd);
  if (!Wnd) return false;
  return SendMessageA(Wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

HCURSOR SystemCursorHandle(TCursor Cursor) {
  const char* Id = IDC_ARROW;
  switch (Cursor) {
    case -1: return nullptr;  // crNone
    case crCross: Id = IDC_CROSS; break;
    case crIBeam: Id = IDC_IBEAM; break;
    case crSizeNESW: Id = IDC_SIZENESW; break;
    case crSizeNS:
    case crVSplit: Id = IDC_SIZENS; break;
    case crSizeNWSE: Id = IDC_SIZENWSE; break;
    case crSizeWE:
    case crHSplit: Id = IDC_SIZEWE; break;
    case crUpArrow: Id = IDC_UPARROW; break;
    case crHourGlass:
    case crSQLWait: Id = IDC_WAIT; break;
    case crNoDrop:
    case crNo: Id = IDC_NO; break;
    case crAppStart: Id = IDC_APPSTARTING; break;
    case crHelp: Id = IDC_HELP; break;
    case crHandPoint: Id = IDC_HAND; break;
    case crSizeAll: Id = IDC_SIZEALL; break;
    default: break;  // crDefault, crArrow, crDrag, crMultiDrag and unknown ids
  }
  return LoadCursorA(nullptr, Id);
}

LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* Control = FindControl(Wnd);
  if (!Control) {
    Control = GCreationControl;
    if (!Control || Control->FHandle) {
      return IsWindowUnicode(Wnd) ? DefWindowProcW(Wnd, Msg, WParam, LParam) : DefWindowProcA(Wnd, Msg, WParam, LParam);
    }
    // The first message of a new window (WM_GETMINMAXINFO or WM_NCCREATE):
    // from now on the control knows its window.
    SetPropA(Wnd, ControlProp, Control);
    Control->FHandle = Wnd;
  }
  TMessage Message{Msg, WParam, LParam, 0};
  DeliverWindowMessage(Control, Message);
  return Message.Result;
}

// ---------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::SetValue(int& Field, int Value) {
  if (Value < 0) Value = 0;
  if (Field == Value) return;
  Field = Value;
  Change();
}

void TSizeConstraints::SetMinWidth(int Value) {
  if (Value > 0 && FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
  SetValue(FMinWidth, Value);
}

void TSizeConstraints::SetMinHeight(int Value) {
  if (Value > 0 && FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
  SetValue(FMinHeight, Value);
}

void TSizeConstraints::SetMaxWidth(int Value) {
  if (Value > 0 && Value < FMinWidth) FMinWidth = Value;
  SetValue(FMaxWidth, Value);
}

void TSizeConstraints::SetMaxHeight(int Value) {
  if (Value > 0 && Value < FMinHeight) FMinHeight = Value;
  SetValue(FMaxHeight, Value);
}

void TSizeConstraints::AssignTo(TPersistent* Dest) {
  auto* D = dynamic_cast<TSizeConstraints*>(Dest);
  if (!D) {
    TPersistent::AssignTo(Dest);
    return;
  }
  D->FMinWidth = FMinWidth;
  D->FMinHeight = FMinHeight;
  D->FMaxWidth = FMaxWidth;
  D->FMaxHeight = FMaxHeight;
  D->Change();
}

void TSizeConstraints::Change() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(new TSizeConstraints(this)), FFont(new TFont()) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  FConstraints->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  // Reached without BeforeDestruction only when deleted directly.
  ForgetControl(this);
  if (FParent) FParent->RemoveControl(this);
}

void TControl::BeforeDestruction() {
  Destroying();
  ForgetControl(this);
  if (FParent) FParent->RemoveControl(this);
  TComponent::BeforeDestruction();
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent && IsInside(AParent, this))
    throw EInvalidOperation(LoadStr(SControlParentSelf));
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* W = dynamic_cast<TWinControl*>(Value)) SetParent(W);
}

void TControl::ApplyConstraints(int& W, int& H) const {
  if (FConstraints->MinWidth() > 0 && W < FConstraints->MinWidth()) W = FConstraints->MinWidth();
  if (FConstraints->MaxWidth() > 0 && W > FConstraints->MaxWidth()) W = FConstraints->MaxWidth();
  if (FConstraints->MinHeight() > 0 && H < FConstraints->MinHeight()) H = FConstraints->MinHeight();
  if (FConstraints->MaxHeight() > 0 && H > FConstraints->MaxHeight()) H = FConstraints->MaxHeight();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize) {
    int W = AWidth, H = AHeight;
    if (CanAutoSize(W, H)) AWidth = W, AHeight = H;
  }
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  ApplyConstraints(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool Sized = AWidth != FWidth || AHeight != FHeight;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  if (!FAnchoring) UpdateAnchorRules();
  RequestAlign();
  if (Sized) Resize();
}

TRect TControl::ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

int TControl::ClientWidth() const {
  const TRect R = ClientRect();
  return R.right - R.left;
}

int TControl::ClientHeight() const {
  const TRect R = ClientRect();
  return R.bottom - R.top;
}

void TControl::SetClientWidth(int Value) { SetWidth(FWidth - ClientWidth() + Value); }
void TControl::SetClientHeight(int Value) { SetHeight(FHeight - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() const {
  if (!FParent) throw EInvalidOperation(FmtLoadStr(SParentRequired, Name()));
  TPoint P = FParent->ClientOrigin();
  return Point(P.x + FLeft, P.y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& P) const {
  const TPoint O = ClientOrigin();
  return Point(P.x + O.x, P.y + O.y);
}

TPoint TControl::ScreenToClient(const TPoint& P) const {
  const TPoint O = ClientOrigin();
  return Point(P.x - O.x, P.y - O.y);
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (FAnchors == Value) return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!FParent) {
    FAnchorRulesValid = false;
    return;
  }
  FAnchorBounds = BoundsRect();
  FAnchorParentSize = Point(FParent->ClientWidth(), FParent->ClientHeight());
  FAnchorRulesValid = true;
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

bool TControl::CanAutoSize(int&, int&) { return true; }

void TControl::AdjustSize() {
  if (FAutoSize) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::ConstraintsChanged(TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); }

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::Show() {
  SetVisible(true);
  UpdateControlState();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (Value && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (Value && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

AnsiString TControl::GetText() const {
  auto* Self = const_cast<TControl*>(this);
  const int Len = static_cast<int>(Self->Perform(WM_GETTEXTLENGTH, 0, 0));
  if (Len <= 0) return {};
  std::vector<char> Buffer(static_cast<size_t>(Len) + 1);
  const int Got = static_cast<int>(Self->Perform(WM_GETTEXT, Buffer.size(), reinterpret_cast<LPARAM>(Buffer.data())));
  return AnsiString(Buffer.data(), static_cast<size_t>(std::clamp(Got, 0, Len)));
}

void TControl::SetText(const AnsiString& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value.c_str());
}

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0)); }

int TControl::GetTextBuf(char* Buffer, int BufSize) {
  if (!Buffer || BufSize <= 0) return 0;
  return static_cast<int>(Perform(WM_GETTEXT, static_cast<WPARAM>(BufSize), reinterpret_cast<LPARAM>(Buffer)));
}

void TControl::SetTextBuf(const char* Buffer) {
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer ? Buffer : ""));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (Value && FParent) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TComponent* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  if (!Value) {
    GCaptureControl = nullptr;
    ReleaseCapture();
    return;
  }
  if (TWinControl* W = AsWindowed(this)) {
    GCaptureControl = nullptr;
    SetCapture(W->Handle());
  } else if (FParent) {
    SetCapture(FParent->Handle());
    GCaptureControl = this;
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  if (WindowProc)
    WindowProc(Message);
  else
    WndProc(Message);
  return Message.Result;
}

void TControl::DefaultHandler(void* Msg) {
  // A control without a window keeps its text itself.
  TMessage& Message = *static_cast<TMessage*>(Msg);
  switch (Message.Msg) {
    case WM_GETTEXT: {
      char* Buffer = reinterpret_cast<char*>(Message.LParam);
      if (!Buffer || Message.WParam == 0) {
        Message.Result = 0;
        break;
      }
      const size_t N = std::min(FText.size(), static_cast<size_t>(Message.WParam) - 1);
      std::memcpy(Buffer, FText.data(), N);
      Buffer[N] = '\0';
      Message.Result = static_cast<LRESULT>(N);
      break;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      break;
    case WM_SETTEXT: {
      const char* Text = reinterpret_cast<const char*>(Message.LParam);
      FText = Text ? Text : "";
      Message.Result = 1;
      break;
    }
    default:
      break;
  }
}

void TControl::WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Extra) {
  if (Button == mbLeft) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    FControlState << csLButtonDown;
    if (FControlStyle.Contains(csClickEvents)) FControlState << csClicked;
  }
  if (!FControlStyle.Contains(csNoStdEvents)) {
    const TWMMouse M{Message};
    MouseDown(Button, KeysToShiftState(M.Keys()) + Extra, M.XPos(), M.YPos());
  }
}

void TControl::WMMouseUp(TMessage& Message, TMouseButton Button) {
  const TWMMouse M{Message};
  if (Button == mbLeft) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    FControlState >> csLButtonDown;
    if (FControlState.Contains(csClicked)) {
      FControlState >> csClicked;
      const TRect R = ClientRect();
      const POINT P{M.XPos(), M.YPos()};
      if (PtInRect(&R, P)) Click();
    }
  }
  if (!FControlStyle.Contains(csNoStdEvents)) MouseUp(Button, KeysToShiftState(M.Keys()), M.XPos(), M.YPos());
}

void TControl::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0) return;
  const TWMMouse M{Message};
  const TPoint ScreenPos = Point(M.XPos(), M.YPos());
  const bool FromKeyboard = ScreenPos.x == -1 && ScreenPos.y == -1;
  const TPoint ClientPos = FromKeyboard ? ScreenPos : ScreenToClient(ScreenPos);
  bool Handled = false;
  DoContextPopup(ClientPos, Handled);
  if (Handled) {
    Message.Result = 1;
    return;
  }
  if (FPopupMenu && PopupMenuHandler &&
      PopupMenuHandler(FPopupMenu, this, FromKeyboard ? ClientToScreen(Point(0, 0)) : ScreenPos)) {
    Message.Result = 1;
    return;
  }
  Dispatch(&Message);
}

void TControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      Dispatch(&Message);
      WMMouseDown(Message, mbLeft, {});
      return;
    case WM_LBUTTONDBLCLK:
      Dispatch(&Message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) DblClick();
      if (!FControlStyle.Contains(csNoStdEvents)) {
        const TWMMouse M{Message};
        MouseDown(mbLeft, KeysToShiftState(M.Keys()) + TShiftState{ssDouble}, M.XPos(), M.YPos());
      }
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      Dispatch(&Message);
      WMMouseDown(Message, mbRight, Message.Msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      Dispatch(&Message);
      WMMouseDown(Message, mbMiddle, Message.Msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    case WM_LBUTTONUP:
      Dispatch(&Message);
      WMMouseUp(Message, mbLeft);
      return;
    case WM_RBUTTONUP:
      Dispatch(&Message);
      WMMouseUp(Message, mbRight);
      return;
    case WM_MBUTTONUP:
      Dispatch(&Message);
      WMMouseUp(Message, mbMiddle);
      return;
    case WM_MOUSEMOVE:
      Dispatch(&Message);
      if (!FControlStyle.Contains(csNoStdEvents)) {
        const TWMMouse M{Message};
        MouseMove(KeysToShiftState(M.Keys()), M.XPos(), M.YPos());
      }
      return;
    case WM_CONTEXTMENU:
      WMContextMenu(Message);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      // Parents hear of it too, with the control concerned in LParam.
      TControl* Concerned = Message.LParam ? reinterpret_cast<TControl*>(Message.LParam) : this;
      if (FParent) FParent->Perform(Message.Msg, 0, reinterpret_cast<LPARAM>(Concerned));
      if (Concerned == this) {
        const TNotifyEvent& Event = Message.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave;
        if (Event) Event(this);
      }
      return;
    }
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      // The area the control had (or now takes) in its parent.
      if (FParent && FParent->HandleAllocated()) {
        const TRect R = BoundsRect();
        InvalidateRect(FParent->Handle(), &R, TRUE);
      }
      return;
    case CM_PARENTFONTCHANGED:
      if (FParentFont && FParent) {
        FFont->Assign(FParent->Font());
        FParentFont = true;
      }
      return;
    case CM_PARENTCOLORCHANGED:
      if (FParentColor && FParent) {
        const TColor C = FParent->Color();
        if (FColor != C) {
          FColor = C;
          Perform(CM_COLORCHANGED, 0, 0);
        }
      }
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (FParentShowHint && FParent && FShowHint != FParent->ShowHint()) {
        FShowHint = FParent->ShowHint();
        Perform(CM_SHOWHINTCHANGED, 0, 0);
      }
      return;
    case CM_HITTEST:
      Message.Result = HTCLIENT;
      return;
    default:
      break;
  }
  Dispatch(&Message);
}

void TControl::Invalidate() {
  if (!FParent || !FParent->HandleAllocated()) return;
  if (!FVisible) return;
  const TRect R = BoundsRect();
  InvalidateRect(FParent->Handle(), &R, !FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::SetZOrder(bool TopMost) {
  if (!FParent) return;
  auto& List = FParent->FControls;
  auto It = std::find(List.begin(), List.end(), this);
  if (It == List.end()) return;
  List.erase(It);
  if (TopMost)
    List.push_back(this);
  else
    List.insert(List.begin(), this);
  Invalidate();
}

void TControl::SetName(const AnsiString& NewName) {
  // A control made in code shows its name until it gets a caption.
  const bool ChangeText = FControlStyle.Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                          Name() == GetText() &&
                          !(Owner() && Owner()->ComponentState().Contains(csLoading));
  TComponent::SetName(NewName);
  if (ChangeText) SetText(NewName);
}

void TControl::Click() {
  if (OnClick)
    OnClick(this);
  else if (FActionLink)
    FActionLink->Execute();
}

TAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TAction* Value) {
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) {
    FActionLink = GetActionLinkClass()->Create(this);
    FActionLink->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  }
  FActionLink->SetAction(Value);
  ActionChange(Value, ComponentState().Contains(csLoading));
}

void TControl::DoActionChange(TObject* Sender) { ActionChange(Sender, false); }

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  const auto* A = dynamic_cast<const TAction*>(Sender);
  if (!A) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(A->Caption());
  if (!CheckDefaults || FEnabled) SetEnabled(A->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(A->Hint());
  if (!CheckDefaults || FVisible) SetVisible(A->Visible());
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::DoContextPopup(const TPoint& MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::Loaded() {
  TComponent::Loaded();
  UpdateAnchorRules();
}

// ---------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FControlID(GNextControlID++) {
  if (GNextControlID > 0xFFFF) GNextControlID = 0x100;
}

TWinControl::~TWinControl() {
  // Only a control deleted without Free still has a window or children here:
  // cut the window loose first so that no message reaches the dying object.
  if (FHandle) {
    HWND Wnd = FHandle;
    RemovePropA(Wnd, ControlProp);
    FHandle = nullptr;
    DestroyWindow(Wnd);
  }
  for (TControl* C : FControls) C->FParent = nullptr;
  FControls.clear();
  if (FBrush) DeleteObject(FBrush);
}

void TWinControl::BeforeDestruction() {
  Destroying();
  // The children go first (also those owned by others), then the window.
  while (!FControls.empty()) {
    TControl* C = FControls.back();
    RemoveControl(C);
    C->Free();
  }
  DestroyHandle();
  TControl::BeforeDestruction();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParentWindow == Value) return;
  if (!FParent) DestroyHandle();
  FParentWindow = Value;
  UpdateControlState();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  if (FParent) {
    Params.WndParent = FParent->Handle();
  } else {
    Params.WndParent = FParentWindow;
    // A control of its own on the desktop is a plain pop-up window.
    if (!FParentWindow) Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP;
  }
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle.Contains(csDoubleClicks)) Params.WindowClass.style |= CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = nullptr;
  Params.WindowClass.hInstance = ModuleInstance();
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName) {
  WNDCLASSA System{};
  if (!GetClassInfoA(nullptr, ControlClassName, &System) && !GetClassInfoA(ModuleInstance(), ControlClassName, &System))
    throw EOSError(FmtLoadStr(SWindowClassNotFound, ControlClassName), GetLastError());
  const AnsiString Saved = Params.WinClassName;
  Params.WindowClass = System;
  Params.WindowClass.hInstance = ModuleInstance();
  Params.WindowClass.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  Params.WindowClass.lpszClassName = nullptr;
  Params.WindowClass.lpszMenuName = nullptr;
  Params.WinClassName = Saved;
}

void TWinControl::CreateWnd() {
  TCreateParams Params;
  CreateParams(Params);
  if ((Params.Style & WS_CHILD) && !Params.WndParent)
    throw EInvalidOperation(FmtLoadStr(SParentRequired, Name()));
  FDefWndProc = Params.WindowClass.lpfnWndProc;
  WNDCLASSA Registered{};
  const char* ClassName = Params.WinClassName.c_str();
  const HINSTANCE Instance = Params.WindowClass.hInstance;
  if (!GetClassInfoA(Instance, ClassName, &Registered) || Registered.lpfnWndProc != InitWndProc) {
    if (Registered.lpfnWndProc) UnregisterClassA(ClassName, Instance);
    WNDCLASSA Class = Params.WindowClass;
    Class.lpfnWndProc = InitWndProc;
    Class.lpszClassName = ClassName;
    if (!RegisterClassA(&Class))
      throw EOSError(FmtLoadStr(SCannotRegisterClass, Params.WinClassName), GetLastError());
  }
  TWinControl* Saved = GCreationControl;
  GCreationControl = this;
  try {
    CreateWindowHandle(Params);
  } catch (...) {
    GCreationControl = Saved;
    throw;
  }
  GCreationControl = Saved;
  if (!FHandle) throw EOSError(FmtLoadStr(SWindowCreateError, this->ClassName()), GetLastError());
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  const HMENU Id = (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(FControlID)) : nullptr;
  CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style, Params.X, Params.Y,
                  Params.Width, Params.Height, Params.WndParent, Id, Params.WindowClass.hInstance, Params.Param);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  // Keep the window's place among the siblings' windows: below the nearest
  // windowed sibling above it.
  if (FParent) {
    auto& List = FParent->FControls;
    auto It = std::find(List.begin(), List.end(), this);
    for (++It; It != List.end(); ++It) {
      TWinControl* W = AsWindowed(*It);
      if (W && W->FHandle) {
        SetWindowPos(FHandle, W->FHandle, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
      }
    }
  }
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  FreeDeviceContexts();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  FControlState << csDestroyingHandle;
  HWND Wnd = FHandle;
  if (!DestroyWindow(Wnd)) {
    // The window is gone for us either way; never keep a stale binding.
    RemovePropA(Wnd, ControlProp);
    FHandle = nullptr;
    FShowing = false;
  }
  FControlState >> csDestroyingHandle;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* C : FControls)
    if (TWinControl* W = AsWindowed(C)) W->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::UpdateControlState() {
  for (TWinControl* P = FParent; P; P = P->FParent)
    if (!P->FShowing) return;
  UpdateShowing();
}

void TWinControl::UpdateShowing() {
  const bool Should = FVisible;
  if (Should) {
    if (!FHandle) CreateHandle();
    const std::vector<TControl*> Children = FControls;
    for (TControl* C : Children)
      if (TWinControl* W = AsWindowed(C); W && ContainsControl(W)) W->UpdateShowing();
  }
  if (FHandle && FShowing != Should) {
    FShowing = Should;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      FShowing = !Should;
      throw;
    }
  }
}

bool TWinControl::Showing() const { return FShowing && (!FParent || FParent->Showing()); }

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError(FmtLoadStr(SListIndexError, Index));
  return FControls[static_cast<size_t>(Index)];
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWindowed) const {
  auto Hit = [&](TControl* C) {
    if (!C->Visible() || (!AllowDisabled && !C->Enabled())) return false;
    const TRect R = C->BoundsRect();
    if (!PtInRect(&R, Pos)) return false;
    return C->Perform(CM_HITTEST, 0, PointToLParam(Pos.x - C->Left(), Pos.y - C->Top())) != 0;
  };
  if (AllowWindowed)
    for (auto It = FControls.rbegin(); It != FControls.rend(); ++It)
      if (AsWindowed(*It) && Hit(*It)) return *It;
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It)
    if (!AsWindowed(*It) && Hit(*It)) return *It;
  return nullptr;
}

bool TWinControl::ContainsControl(const TControl* Control) const { return Control && IsInside(Control, this); }

void TWinControl::InsertControl(TControl* AControl) {
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (TWinControl* W = AsWindowed(AControl)) W->InsertIntoTabList();
  // The child takes what it inherits from its new parent.
  AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
  AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  AControl->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  AControl->UpdateAnchorRules();
  AControl->Invalidate();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  AlignControl(AControl);
  AControl->UpdateControlState();
}

void TWinControl::InsertIntoTabList() {
  FParent->FTabList.push_back(this);
  const int Wanted = FTabOrder;
  if (Wanted >= 0 && !ComponentState().Contains(csLoading)) SetTabOrder(Wanted);
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (!AControl || AControl->FParent != this) return;
  if (TWinControl* W = AsWindowed(AControl)) {
    TopLevel()->DefocusControl(W, true);
    W->DestroyHandle();
    W->FShowing = false;
    auto It = std::find(FTabList.begin(), FTabList.end(), W);
    if (It != FTabList.end()) FTabList.erase(It);
  } else {
    AControl->Invalidate();
  }
  ForgetControl(AControl);
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
  AControl->FAnchorRulesValid = false;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (!ComponentState().Contains(csDestroying)) Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
  const std::vector<TControl*> Children = FControls;
  for (TControl* C : Children) {
    if (!ContainsControl(C) || C->FParent != this) continue;
    C->WindowProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage Message{Msg, 0, 0, 0};
  Broadcast(Message);
}

// --- alignment ---

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (FAligning) return;
  if (FAlignLevel > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    FControlState << csAlignmentNeeded;
    return;
  }
  FAligning = true;
  try {
    TRect R = ClientRect();
    AdjustClientRect(R);
    AlignControls(AControl, R);
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
  FControlState >> csAlignmentNeeded;
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  const TPoint ParentSize = Point(ClientWidth(), ClientHeight());
  auto Key = [](TControl* C, TAlign A) {
    switch (A) {
      case alTop: return C->Top();
      case alBottom: return -(C->Top() + C->Height());
      case alLeft: return C->Left();
      case alRight: return -(C->Left() + C->Width());
      default: return 0;
    }
  };
  for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> List;
    for (TControl* C : FControls)
      if (C->FAlign == A && C->FVisible) List.push_back(C);
    // By position; on a tie the control that moved goes first.
    std::stable_sort(List.begin(), List.end(), [&](TControl* X, TControl* Y) {
      const int KX = Key(X, A), KY = Key(Y, A);
      if (KX != KY) return KX < KY;
      return X == AControl && Y != AControl;
    });
    for (TControl* C : List) {
      const int RW = std::max<int>(Rect.right - Rect.left, 0);
      const int RH = std::max<int>(Rect.bottom - Rect.top, 0);
      const bool FixedW = C->FControlStyle.Contains(csFixedWidth);
      const bool FixedH = C->FControlStyle.Contains(csFixedHeight);
      switch (A) {
        case alTop:
          C->SetBounds(Rect.left, Rect.top, FixedW ? C->Width() : RW, C->Height());
          Rect.top += C->Height();
          break;
        case alBottom:
          C->SetBounds(Rect.left, Rect.bottom - C->Height(), FixedW ? C->Width() : RW, C->Height());
          Rect.bottom -= C->Height();
          break;
        case alLeft:
          C->SetBounds(Rect.left, Rect.top, C->Width(), FixedH ? C->Height() : RH);
          Rect.left += C->Width();
          break;
        case alRight:
          C->SetBounds(Rect.right - C->Width(), Rect.top, C->Width(), FixedH ? C->Height() : RH);
          Rect.right -= C->Width();
          break;
        default:
          C->SetBounds(Rect.left, Rect.top, FixedW ? C->Width() : RW, FixedH ? C->Height() : RH);
          break;
      }
    }
  }
  // Anchored controls keep their distances to the edges they are anchored to.
  const std::vector<TControl*> Children = FControls;
  for (TControl* C : Children) {
    if (C->FAlign != alNone || C->FAnchors == TAnchors{akLeft, akTop}) continue;
    if (!C->FAnchorRulesValid) {
      C->UpdateAnchorRules();
      continue;
    }
    const TRect& B = C->FAnchorBounds;
    const int DX = ParentSize.x - C->FAnchorParentSize.x;
    const int DY = ParentSize.y - C->FAnchorParentSize.y;
    int L = B.left, T = B.top, W = B.right - B.left, H = B.bottom - B.top;
    const bool AL = C->FAnchors.Contains(akLeft), AR = C->FAnchors.Contains(akRight);
    const bool AT = C->FAnchors.Contains(akTop), AB = C->FAnchors.Contains(akBottom);
    if (AL && AR)
      W += DX;
    else if (AR)
      L += DX;
    else if (!AL)
      L += DX / 2;
    if (AT && AB)
      H += DY;
    else if (AB)
      T += DY;
    else if (!AT)
      T += DY / 2;
    C->FAnchoring = true;
    try {
      C->SetBounds(L, T, W, H);
    } catch (...) {
      C->FAnchoring = false;
      throw;
    }
    C->FAnchoring = false;
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize) {
    int W = AWidth, H = AHeight;
    if (CanAutoSize(W, H)) AWidth = W, AHeight = H;
  }
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  ApplyConstraints(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle && !IsIconic(FHandle)) {
    // The window reports its new bounds back (WM_WINDOWPOSCHANGED, WM_SIZE).
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const bool Sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (Sized) Realign();
  }
  if (!FAnchoring) UpdateAnchorRules();
  RequestAlign();
}

TRect TWinControl::ClientRect() const {
  if (FHandle) {
    RECT R;
    if (GetClientRect(FHandle, &R)) return R;
  }
  TRect R = Rect(0, 0, FWidth, FHeight);
  InflateRect(&R, -FBorderWidth, -FBorderWidth);
  const int E = EdgeSize();
  if (FBevelEdges.Contains(beLeft)) R.left += E;
  if (FBevelEdges.Contains(beTop)) R.top += E;
  if (FBevelEdges.Contains(beRight)) R.right -= E;
  if (FBevelEdges.Contains(beBottom)) R.bottom -= E;
  R.right = std::max(R.right, R.left);
  R.bottom = std::max(R.bottom, R.top);
  return Rect(0, 0, R.right - R.left, R.bottom - R.top);
}

TPoint TWinControl::ClientOrigin() const {
  if (FHandle) {
    POINT P{0, 0};
    ::ClientToScreen(FHandle, &P);
    return P;
  }
  if (!FParent) return Point(FLeft, FTop);
  const TPoint P = FParent->ClientOrigin();
  return Point(P.x + FLeft, P.y + FTop);
}

void TWinControl::UpdateBounds() {
  RECT R;
  if (!GetWindowRect(FHandle, &R)) return;
  if (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) {
    if (HWND ParentWnd = GetParent(FHandle)) MapWindowPoints(HWND_DESKTOP, ParentWnd, reinterpret_cast<POINT*>(&R), 2);
  }
  FLeft = R.left;
  FTop = R.top;
  FWidth = R.right - R.left;
  FHeight = R.bottom - R.top;
}

// --- tab order and focus ---

int TWinControl::TabOrder() const {
  if (!FParent) return FTabOrder;
  auto It = std::find(FParent->FTabList.begin(), FParent->FTabList.end(), this);
  return It == FParent->FTabList.end() ? -1 : static_cast<int>(It - FParent->FTabList.begin());
}

void TWinControl::SetTabOrder(int Value) {
  FTabOrder = Value;
  if (!FParent || ComponentState().Contains(csLoading)) return;
  auto& List = FParent->FTabList;
  auto It = std::find(List.begin(), List.end(), this);
  if (It == List.end()) return;
  List.erase(It);
  const int Index = std::clamp(Value, 0, static_cast<int>(List.size()));
  List.insert(List.begin() + Index, this);
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    const LONG Style = GetWindowLongA(FHandle, GWL_STYLE);
    SetWindowLongA(FHandle, GWL_STYLE, Value ? (Style | WS_TABSTOP) : (Style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

bool TWinControl::CanFocus() const {
  for (const TWinControl* C = this; C; C = C->FParent)
    if (!C->FVisible || !C->FEnabled) return false;
  return true;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() { TopLevel()->FocusControl(this); }

void TWinControl::FocusControl(TWinControl* Control) {
  if (!Control->CanFocus()) throw EInvalidOperation(LoadStr(SCannotFocus));
  ::SetFocus(Control->Handle());
}

TWinControl* TWinControl::TopLevel() {
  TWinControl* C = this;
  while (C->FParent) C = C->FParent;
  return C;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  for (TWinControl* C : FTabList) {
    List.push_back(C);
    C->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> List;
  GetTabOrderList(List);
  if (List.empty()) return nullptr;
  const int Count = static_cast<int>(List.size());
  auto It = std::find(List.begin(), List.end(), CurControl);
  int Start = It == List.end() ? (GoForward ? Count - 1 : 0) : static_cast<int>(It - List.begin());
  int I = Start;
  do {
    I = GoForward ? (I + 1) % Count : (I + Count - 1) % Count;
    TWinControl* C = List[static_cast<size_t>(I)];
    if (C != CurControl && C->CanFocus() && (!CheckTabStop || C->FTabStop) && (!CheckParent || C->FParent == this))
      return C;
  } while (I != Start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* C = FindNextControl(CurControl, GoForward, CheckTabStop, false)) C->SetFocus();
}

bool TWinControl::SetFocusedControl(TWinControl* Control) {
  if (FFocusedControl == Control) return true;
  std::vector<TWinControl*> OldChain, NewChain;
  for (TWinControl* C = FFocusedControl; C && C != this; C = C->FParent) OldChain.push_back(C);
  for (TWinControl* C = Control; C && C != this; C = C->FParent) NewChain.push_back(C);
  FFocusedControl = Control;
  auto In = [](const std::vector<TWinControl*>& L, TWinControl* C) { return std::find(L.begin(), L.end(), C) != L.end(); };
  for (TWinControl* C : OldChain) {
    if (In(NewChain, C)) continue;
    C->Perform(CM_EXIT, 0, 0);
    // A handler moved the focus elsewhere (or freed the control).
    if (FFocusedControl != Control) return false;
  }
  for (auto It = NewChain.rbegin(); It != NewChain.rend(); ++It) {
    if (In(OldChain, *It)) continue;
    (*It)->Perform(CM_ENTER, 0, 0);
    if (FFocusedControl != Control) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return true;
}

void TWinControl::DefocusControl(TWinControl* Control, bool Removing) {
  if (!FFocusedControl || !Control->ContainsControl(FFocusedControl)) return;
  FFocusedControl = (Removing && Control->FParent && Control->FParent != this) ? Control->FParent : nullptr;
}

// --- keys ---

bool TWinControl::DoKeyDown(TMessage& Message) {
  TWinControl* Top = TopLevel();
  if (Top != this && Top->PreviewsKeys() && Top->DoKeyDown(Message)) return true;
  TWMKey K{Message};
  Word Key = K.CharCode();
  if (!FControlStyle.Contains(csNoStdEvents)) KeyDown(Key, KeyDataToShiftState(K.KeyData()));
  K.SetCharCode(Key);
  return Key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TWinControl* Top = TopLevel();
  if (Top != this && Top->PreviewsKeys() && Top->DoKeyPress(Message)) return true;
  const char Original = static_cast<char>(Message.WParam);
  char Key = Original;
  if (!FControlStyle.Contains(csNoStdEvents)) KeyPress(Key);
  // A kept key keeps the whole parameter (a Unicode window's wide character
  // rides in its high word).
  if (Key != Original) Message.WParam = static_cast<unsigned char>(Key);
  return Key == '\0';
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TWinControl* Top = TopLevel();
  if (Top != this && Top->PreviewsKeys() && Top->DoKeyUp(Message)) return true;
  TWMKey K{Message};
  Word Key = K.CharCode();
  if (!FControlStyle.Contains(csNoStdEvents)) KeyUp(Key, KeyDataToShiftState(K.KeyData()));
  K.SetCharCode(Key);
  return Key == 0;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  const TWMKey K{Message};
  const Word Key = K.CharCode();
  if (Perform(CM_CHILDKEY, Key, reinterpret_cast<LPARAM>(this)) != 0) return;
  LRESULT Mask = 0;
  switch (Key) {
    case VK_TAB:
      Mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      Mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      Mask = DLGC_WANTALLKEYS;
      break;
    default:
      break;
  }
  if (Mask != 0 && Perform(CM_WANTSPECIALKEY, Key, Message.LParam) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & Mask) == 0 &&
      TopLevel()->Perform(CM_DIALOGKEY, Key, Message.LParam) != 0)
    return;
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  const bool Wanted = Message.Msg == CN_CHAR ? (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0
                                             : Message.WParam == VK_SPACE;  // Alt+Space is the system menu
  if (!Wanted && TopLevel()->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  Message.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& Message) {
  // A top-level container moves the focus with Tab and Shift+Tab itself.
  if (!FParent && Message.WParam == VK_TAB) {
    const TShiftState Shift = KeyDataToShiftState(Message.LParam);
    if (!Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt)) {
      SelectNext(FFocusedControl, !Shift.Contains(ssShift), true);
      Message.Result = 1;
      return;
    }
  }
  Broadcast(Message);
}

// --- painting ---

void TWinControl::PaintWindow(HDC DC) {
  // A system class paints its own face into the DC given.
  if (!FDefWndProc) return;
  TMessage Message{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(&Message);
}

void TWinControl::WMPaint(TMessage& Message) {
  const bool HasGraphic = std::any_of(FControls.begin(), FControls.end(), [](TControl* C) { return !AsWindowed(C); });
  if (Message.WParam == 0 && !HasGraphic && FDefWndProc) {
    Dispatch(&Message);
    return;
  }
  if (Message.WParam == 0 && !FHandle) return;
  TPaintGuard Paint(FHandle, reinterpret_cast<HDC>(Message.WParam));
  PaintWindow(Paint.DC());
  PaintControls(Paint.DC(), nullptr);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto It = FControls.begin();
  if (First) {
    It = std::find(FControls.begin(), FControls.end(), First);
    if (It == FControls.end()) It = FControls.begin();
  }
  const std::vector<TControl*> List(It, FControls.end());
  for (TControl* C : List) {
    if (AsWindowed(C) || !C->FVisible || !ContainsControl(C)) continue;
    const TRect R = C->BoundsRect();
    if (!RectVisible(DC, &R)) continue;
    const int Saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, C->Left(), C->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, C->Width(), C->Height());
    try {
      C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    } catch (...) {
      RestoreDC(DC, Saved);
      throw;
    }
    RestoreDC(DC, Saved);
  }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  const int Saved = SaveDC(DC);
  try {
    OffsetViewportOrgEx(DC, X, Y, nullptr);
    IntersectClipRect(DC, 0, 0, FWidth, FHeight);
    if (FHandle) {
      // The frame, then the client area at its place inside it.
      Perform(WM_PRINT, reinterpret_cast<WPARAM>(DC), PRF_NONCLIENT);
      RECT W;
      POINT P{0, 0};
      GetWindowRect(FHandle, &W);
      ::ClientToScreen(FHandle, &P);
      OffsetViewportOrgEx(DC, P.x - W.left, P.y - W.top, nullptr);
    }
    IntersectClipRect(DC, 0, 0, ClientWidth(), ClientHeight());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    const std::vector<TControl*> List = FControls;
    for (TControl* C : List)
      if (TWinControl* W = AsWindowed(C); W && W->FVisible && ContainsControl(W)) W->PaintTo(DC, W->Left(), W->Top());
  } catch (...) {
    RestoreDC(DC, Saved);
    throw;
  }
  RestoreDC(DC, Saved);
}

HBRUSH TWinControl::BrushHandle() {
  const COLORREF C = static_cast<COLORREF>(ColorToRGB(FColor));
  if (!FBrush || C != FBrushColor) {
    if (FBrush) DeleteObject(FBrush);
    FBrush = CreateSolidBrush(C);
    FBrushColor = C;
  }
  return FBrush;
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  if (FColor != clNone) {
    const TRect R = ClientRect();
    FillRect(reinterpret_cast<HDC>(Message.WParam), &R, BrushHandle());
  }
  Message.Result = 1;
}

void TWinControl::CNCtlColor(TMessage& Message) {
  HDC DC = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
  SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(FColor)));
  Message.Result = reinterpret_cast<LRESULT>(BrushHandle());
}

void TWinControl::ReflectNotification(TMessage& Message) {
  TWinControl* Child = nullptr;
  switch (Message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      Child = FindControl(reinterpret_cast<HWND>(Message.LParam));
      break;
    case WM_NOTIFY:
      if (Message.LParam) Child = FindControl(reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom);
      break;
    case WM_DRAWITEM: {
      auto* S = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (S && S->CtlType != ODT_MENU) Child = FindControl(S->hwndItem);
      break;
    }
    case WM_DELETEITEM: {
      auto* S = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
      if (S) Child = FindControl(S->hwndItem);
      break;
    }
    case WM_COMPAREITEM: {
      auto* S = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
      if (S) Child = FindControl(S->hwndItem);
      break;
    }
    case WM_MEASUREITEM: {
      auto* S = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (!S || S->CtlType == ODT_MENU) break;
      for (TControl* C : FControls)
        if (TWinControl* W = AsWindowed(C); W && W->FControlID == S->CtlID) Child = W;
      break;
    }
    default:
      break;
  }
  if (Child && Child != this && Child->FParent == this) {
    Message.Result = Child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  Dispatch(&Message);
}

// --- mouse ---

void TWinControl::TrackMouse(const TMessage& Message) {
  const TWMMouse M{const_cast<TMessage&>(Message)};
  const TPoint P = Point(M.XPos(), M.YPos());
  const TRect R = ClientRect();
  TControl* Target;
  if (!PtInRect(&R, P))
    Target = FindDragTarget(ClientToScreen(P), false);  // captured and dragged outside
  else if (GetCapture() == FHandle)
    Target = DeepControlAtPos(this, P);
  else {
    Target = ControlAtPos(P, false);
    if (!Target) Target = this;
  }
  TRACKMOUSEEVENT Track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
  TrackMouseEvent(&Track);
  SetMouseControl(Target);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* Target = nullptr;
  TControl* Capture = GetCaptureControl();
  if (Capture) {
    if (Capture->FParent == this && !AsWindowed(Capture)) Target = Capture;
  } else {
    const TWMMouse M{Message};
    Target = ControlAtPos(Point(M.XPos(), M.YPos()), false);
  }
  if (!Target) return false;
  const TWMMouse M{Message};
  UINT Msg = Message.Msg;
  if (!Target->FControlStyle.Contains(csDoubleClicks)) Msg = SingleClickMessage(Msg);
  const LRESULT Result =
      Target->Perform(Msg, Message.WParam, PointToLParam(M.XPos() - Target->Left(), M.YPos() - Target->Top()));
  Message.Result = Result;
  return true;
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle) {
    TCursor Cursor = GetScreenCursor();
    if (Cursor == crDefault && LOWORD(Message.LParam) == HTCLIENT) {
      POINT P;
      GetCursorPos(&P);
      TControl* Child = ControlAtPos(ScreenToClient(P), false);
      Cursor = Child ? Child->FCursor : crDefault;
      if (Cursor == crDefault) Cursor = FCursor;
    }
    if (Cursor != crDefault) {
      ::SetCursor(GetCursorHandle(Cursor));
      Message.Result = 1;
      return;
    }
  }
  Dispatch(&Message);
}

// --- frame: border width and bevels ---

int TWinControl::EdgeSize() const {
  if (FBevelKind == bkNone) return 0;
  return (FBevelInner != bvNone ? FBevelWidth : 0) + (FBevelOuter != bvNone ? FBevelWidth : 0);
}

void TWinControl::NonClientSizeChanged() {
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

void TWinControl::SetBorderWidth(int Value) {
  Value = std::max(Value, 0);
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  NonClientSizeChanged();
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TWinControl::SetBevelKind(TBevelKind Value) {
  if (FBevelKind == Value) return;
  FBevelKind = Value;
  NonClientSizeChanged();
}

void TWinControl::SetBevelInner(TBevelCut Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  NonClientSizeChanged();
}

void TWinControl::SetBevelOuter(TBevelCut Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  NonClientSizeChanged();
}

void TWinControl::SetBevelEdges(TBevelEdges Value) {
  if (FBevelEdges == Value) return;
  FBevelEdges = Value;
  NonClientSizeChanged();
}

void TWinControl::SetBevelWidth(int Value) {
  Value = std::max(Value, 1);
  if (FBevelWidth == Value) return;
  FBevelWidth = Value;
  NonClientSizeChanged();
}

void TWinControl::WMNCCalcSize(TMessage& Message) {
  Dispatch(&Message);
  const int E = EdgeSize();
  if (FBorderWidth == 0 && E == 0) return;
  // The first rectangle is the same field in both forms of the message.
  RECT& R = *reinterpret_cast<RECT*>(Message.LParam);
  InflateRect(&R, -FBorderWidth, -FBorderWidth);
  if (FBevelEdges.Contains(beLeft)) R.left += E;
  if (FBevelEdges.Contains(beTop)) R.top += E;
  if (FBevelEdges.Contains(beRight)) R.right -= E;
  if (FBevelEdges.Contains(beBottom)) R.bottom -= E;
  R.right = std::max(R.right, R.left);
  R.bottom = std::max(R.bottom, R.top);
}

void TWinControl::WMNCPaint(TMessage& Message) {
  Dispatch(&Message);
  const int E = EdgeSize();
  if (FBorderWidth == 0 && E == 0) return;
  HDC DC = GetWindowDC(FHandle);
  if (!DC) return;
  RECT W, C;
  GetWindowRect(FHandle, &W);
  GetClientRect(FHandle, &C);
  MapWindowPoints(FHandle, HWND_DESKTOP, reinterpret_cast<POINT*>(&C), 2);
  OffsetRect(&C, -W.left, -W.top);
  RECT R = C;
  InflateRect(&R, FBorderWidth, FBorderWidth);
  if (FBevelEdges.Contains(beLeft)) R.left -= E;
  if (FBevelEdges.Contains(beTop)) R.top -= E;
  if (FBevelEdges.Contains(beRight)) R.right += E;
  if (FBevelEdges.Contains(beBottom)) R.bottom += E;
  ExcludeClipRect(DC, C.left, C.top, C.right, C.bottom);
  if (FBevelKind != bkNone) {
    static const UINT Inner[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
    static const UINT Outer[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
    static const UINT Kind[] = {0, 0, BF_SOFT, BF_FLAT};
    UINT Flags = BF_ADJUST | Kind[FBevelKind];
    if (FBevelEdges.Contains(beLeft)) Flags |= BF_LEFT;
    if (FBevelEdges.Contains(beTop)) Flags |= BF_TOP;
    if (FBevelEdges.Contains(beRight)) Flags |= BF_RIGHT;
    if (FBevelEdges.Contains(beBottom)) Flags |= BF_BOTTOM;
    if (!FCtl3D) Flags |= BF_MONO;
    const UINT Edge = Inner[FBevelInner] | Outer[FBevelOuter];
    if (Edge) DrawEdge(DC, &R, Edge, Flags);
  }
  // What is left between the bevel and the client area: the border width
  // (and bevel width beyond the drawn lines) in the control's colour.
  FillRect(DC, &R, BrushHandle());
  ReleaseDC(FHandle, DC);
}

// --- frame properties ---

void TWinControl::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (Value && FParent) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  // Tab orders read from a layout were kept; put the children in that order.
  std::stable_sort(FTabList.begin(), FTabList.end(), [](TWinControl* A, TWinControl* B) {
    const int KA = A->FTabOrder < 0 ? INT_MAX : A->FTabOrder;
    const int KB = B->FTabOrder < 0 ? INT_MAX : B->FTabOrder;
    return KA < KB;
  });
  Realign();
}

// --- messages ---

void TWinControl::DefaultHandler(void* Msg) {
  if (!FHandle) {
    TControl::DefaultHandler(Msg);
    return;
  }
  TMessage& M = *static_cast<TMessage*>(Msg);
  const bool Wide = IsWindowUnicode(FHandle);
  if (Wide && !IsWindowMessage(M) && (M.Msg == WM_GETTEXT || M.Msg == WM_GETTEXTLENGTH || M.Msg == WM_SETTEXT)) {
    WideTextMessage(FDefWndProc, FHandle, M);
    return;
  }
  if (Wide && !IsWindowMessage(M) && WideStringMessage(FDefWndProc, FHandle, M)) return;
  if (FDefWndProc)
    M.Result = Wide ? CallWindowProcW(FDefWndProc, FHandle, M.Msg, M.WParam, M.LParam)
                    : CallWindowProcA(FDefWndProc, FHandle, M.Msg, M.WParam, M.LParam);
  else
    M.Result = Wide ? DefWindowProcW(FHandle, M.Msg, M.WParam, M.LParam) : DefWindowProcA(FHandle, M.Msg, M.WParam, M.LParam);
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      TopLevel()->SetFocusedControl(this);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      break;
    case CN_KEYDOWN:
      CNKeyDown(Message);
      return;
    case CN_CHAR:
    case CN_SYSCHAR:
      CNChar(Message);
      return;
    case CN_KEYUP:
    case CN_SYSKEYDOWN:
      Message.Result = 0;
      return;
    case CM_DIALOGKEY:
      CMDialogKey(Message);
      return;
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
      Broadcast(Message);
      return;
    case CM_CHILDKEY:
      if (FParent)
        FParent->WindowProc(Message);
      else
        Message.Result = 0;
      return;
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case WM_MOUSEMOVE:
      TrackMouse(Message);
      [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      if (IsControlMouseMsg(Message)) {
        // A windowless child took it; the window's own default handling
        // still runs (a right-button release brings WM_CONTEXTMENU).
        if (Message.Result == 0 && FHandle) {
          if (IsWindowUnicode(FHandle))
            DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
          else
            DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
        }
        return;
      }
      break;
    case WM_MOUSELEAVE:
      if (GMouseControl && (GMouseControl == this || (GMouseControl->FParent == this && !AsWindowed(GMouseControl))) &&
          GetCapture() != FHandle)
        SetMouseControl(nullptr);
      break;
    case WM_CAPTURECHANGED:
      if (GCaptureControl && GCaptureControl->FParent == this && reinterpret_cast<HWND>(Message.LParam) != FHandle)
        GCaptureControl = nullptr;
      break;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(Message.WParam) == FHandle) {
        const TWMMouse M{Message};
        if (!(M.XPos() == -1 && M.YPos() == -1)) {
          if (TControl* Child = ControlAtPos(ScreenToClient(Point(M.XPos(), M.YPos())), false)) {
            Message.Result = Child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
            if (Message.Result) return;
          }
        }
      }
      break;
    case WM_PAINT:
      WMPaint(Message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(Message);
      return;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      ReflectNotification(Message);
      return;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC:
      CNCtlColor(Message);
      return;
    case WM_WINDOWPOSCHANGED:
      UpdateBounds();
      break;
    case WM_MOVE:
      UpdateBounds();
      break;
    case WM_SIZE:
      UpdateBounds();
      Dispatch(&Message);
      if (Message.WParam != SIZE_MINIMIZED) Realign();
      Resize();
      return;
    case WM_GETMINMAXINFO: {
      Dispatch(&Message);
      auto* Info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      const TSizeConstraints* C = Constraints();
      if (C->MinWidth() > 0) Info->ptMinTrackSize.x = C->MinWidth();
      if (C->MinHeight() > 0) Info->ptMinTrackSize.y = C->MinHeight();
      if (C->MaxWidth() > 0) Info->ptMaxTrackSize.x = C->MaxWidth();
      if (C->MaxHeight() > 0) Info->ptMaxTrackSize.y = C->MaxHeight();
      return;
    }
    case WM_SETCURSOR:
      WMSetCursor(Message);
      return;
    case WM_NCCALCSIZE:
      WMNCCalcSize(Message);
      return;
    case WM_NCPAINT:
      WMNCPaint(Message);
      return;
    case WM_SETTINGCHANGE:
      if (!FParent) Perform(CM_WININICHANGE, Message.WParam, Message.LParam);
      break;
    case WM_NCDESTROY:
      Dispatch(&Message);
      RemovePropA(FHandle, ControlProp);
      FHandle = nullptr;
      FShowing = false;
      return;
    case CM_WININICHANGE:
    case CM_SYSCOLORCHANGE: {
      // Every child hears of it; the windowed ones get the system colour
      // change through their own windows from whoever broadcasts it.
      const std::vector<TControl*> Children = FControls;
      for (TControl* C : Children) {
        if (!ContainsControl(C)) continue;
        if (Message.Msg == CM_WININICHANGE || !AsWindowed(C)) C->WindowProc(Message);
      }
      return;
    }
    case CM_SHOWINGCHANGED:
      SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                       (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      return;
    case CM_VISIBLECHANGED:
      if (!FVisible && FParent) TopLevel()->DefocusControl(this, false);
      UpdateControlState();
      return;
    case CM_ENABLEDCHANGED:
      if (!FEnabled && FParent) TopLevel()->DefocusControl(this, false);
      if (FHandle) EnableWindow(FHandle, FEnabled);
      Invalidate();
      return;
    case CM_COLORCHANGED:
      Invalidate();
      NotifyControls(CM_PARENTCOLORCHANGED);
      return;
    case CM_FONTCHANGED:
      if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
      Invalidate();
      NotifyControls(CM_PARENTFONTCHANGED);
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_CTL3DCHANGED:
      NotifyControls(CM_PARENTCTL3DCHANGED);
      return;
    case CM_PARENTCTL3DCHANGED:
      if (FParentCtl3D && FParent && FCtl3D != FParent->FCtl3D) {
        FCtl3D = FParent->FCtl3D;
        Perform(CM_CTL3DCHANGED, 0, 0);
      }
      return;
    case CM_RECREATEWND:
      DestroyHandle();
      UpdateControlState();
      return;
    default:
      break;
  }
  TControl::WndProc(Message);
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::SetZOrder(bool TopMost) {
  if (!FParent) {
    if (FHandle) SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  TControl::SetZOrder(TopMost);
  if (FHandle)
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Canvases and the painted controls

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (FControl == Value) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  TWinControl* Wnd = AsWindowed(FControl);
  const bool Windowless = !Wnd;
  if (Windowless) Wnd = FControl->Parent();
  if (!Wnd) return;
  FWindowHandle = Wnd->Handle();
  FDeviceContext = GetDCEx(FWindowHandle, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!FDeviceContext) throw EOutOfResources(LoadStr(SOutOfResources));
  if (Windowless) {
    SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
    IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
  }
  GCanvasList.push_back(this);
  SetHandle(FDeviceContext);
  UpdateTextFlags();
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  HDC DC = FDeviceContext;
  FDeviceContext = nullptr;
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, DC);
  auto It = std::find(GCanvasList.begin(), GCanvasList.end(), this);
  if (It != GCanvasList.end()) GCanvasList.erase(It);
}

void TControlCanvas::UpdateTextFlags() { SetTextFlags(TextFlags() & ~ETO_RTLREADING); }

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TControlCanvas()) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    // Painted by the parent, with the DC moved and clipped to this control.
    if (Message.WParam) {
      TCanvasDCGuard Guard(FCanvas.get(), reinterpret_cast<HDC>(Message.WParam));
      Paint();
    }
    return;
  }
  TControl::WndProc(Message);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas()) {
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC) {
  TCanvasDCGuard Guard(FCanvas.get(), DC);
  const int Saved = SaveDC(DC);
  try {
    Paint();
  } catch (...) {
    RestoreDC(DC, Saved);
    throw;
  }
  RestoreDC(DC, Saved);
}

// ---------------------------------------------------------------------------
// Published properties

namespace {

const TEnumNames AlignNames{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
const TEnumNames AnchorNames{"akLeft", "akTop", "akRight", "akBottom"};
const TEnumNames BevelKindNames{"bkNone", "bkTile", "bkSoft", "bkFlat"};
const TEnumNames BevelCutNames{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const TEnumNames BevelEdgeNames{"beLeft", "beTop", "beRight", "beBottom"};

void RegisterControlClasses() {
  RegisterClass<TSizeConstraints, TPersistent>()
      .Int("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth, 0)
      .Int("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight, 0)
      .Int("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth, 0)
      .Int("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight, 0);
  RegisterClass<TControl, TComponent>()
      .Int("Left", &TControl::Left, &TControl::SetLeft, 0)
      .Int("Top", &TControl::Top, &TControl::SetTop, 0)
      .Int("Width", &TControl::Width, &TControl::SetWidth)
      .Int("Height", &TControl::Height, &TControl::SetHeight)
      .Int("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth)
      .Int("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight)
      .Enum("Align", &TControl::Align, &TControl::SetAlign, alNone, AlignNames)
      .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop}, AnchorNames, "TAnchors")
      .Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, false)
      .Str("Caption", &TControl::Caption, &TControl::SetCaption, "TCaption")
      .Int("Color", &TControl::Color, &TControl::SetColor, clWindow, "TColor")
      .Object("Constraints", &TControl::Constraints)
      .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault, "TCursor")
      .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Object("Font", &TControl::Font)
      .Str("Hint", &TControl::Hint, &TControl::SetHint)
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
      .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
      .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Object("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
      .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
      .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Event("OnClick", &TControl::OnClick)
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseUp", &TControl::OnMouseUp)
      .Event("OnMouseEnter", &TControl::OnMouseEnter)
      .Event("OnMouseLeave", &TControl::OnMouseLeave)
      .Event("OnResize", &TControl::OnResize)
      .Event("OnContextPopup", &TControl::OnContextPopup);
  RegisterClass<TWinControl, TControl>()
      .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
      .Bool("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, true)
      .Bool("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
      .Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
      .Enum("BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind, bkNone, BevelKindNames)
      .Enum("BevelInner", &TWinControl::BevelInner, &TWinControl::SetBevelInner, bvRaised, BevelCutNames)
      .Enum("BevelOuter", &TWinControl::BevelOuter, &TWinControl::SetBevelOuter, bvLowered, BevelCutNames)
      .Set("BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges,
           TBevelEdges{beLeft, beTop, beRight, beBottom}, BevelEdgeNames, "TBevelEdges")
      .Int("BevelWidth", &TWinControl::BevelWidth, &TWinControl::SetBevelWidth, 1)
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit)
      .Event("OnKeyDown", &TWinControl::OnKeyDown)
      .Event("OnKeyPress", &TWinControl::OnKeyPress)
      .Event("OnKeyUp", &TWinControl::OnKeyUp);
  RegisterClass<TGraphicControl, TControl>();
  RegisterClass<TCustomControl, TWinControl>();
}

// The registry is built on first use, so this may run in any order with
// other units' registrations.
const struct TControlsRegistration {
  TControlsRegistration() { RegisterControlClasses(); }
} ControlsRegistration;

}  // namespace
