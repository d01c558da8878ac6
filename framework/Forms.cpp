#include "Forms.h"

#include <algorithm>

#include "ActnList.h"
#include "Consts.h"
#include "Filer.h"
#include "Threads.h"
#include "UtilWindow.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TMainMenuHooks MainMenuHooks;

namespace {

// Own the globals between InitializeForms and FinalizeForms.
TOwned<TApplication> TheApplication;
TOwned<TScreen> TheScreen;

// The controls' cursor hooks as they were before InitializeForms.
TCursor (*SavedGetScreenCursor)() = nullptr;
HCURSOR (*SavedGetCursorHandle)(TCursor) = nullptr;

// Timers of the application window that drive the hints.
constexpr UINT_PTR HintShowTimer = 1;
constexpr UINT_PTR HintHideTimer = 2;
// While the mouse rests over a hinted control the cursor is checked now and
// then, so that leaving for another program's window is noticed too.
constexpr UINT_PTR HintTrackTimer = 3;
constexpr int HintTrackInterval = 100;

// The MDICLIENT class's own procedure (shared by every MDI client window).
WNDPROC MDIClientDefProc = nullptr;

AnsiString ModuleFileName() {
  char Path[MAX_PATH + 1] = {};
  DWORD Len = GetModuleFileNameA(nullptr, Path, MAX_PATH);
  return AnsiString(Path, Len);
}

// The callback exception hook while the application exists.
void ApplicationCallbackException() {
  if (Application)
    Application->HandleException(nullptr);
  else
    ShowCallbackException();
}

TCursor ScreenCursor() { return Screen ? Screen->Cursor() : crDefault; }
HCURSOR ScreenCursorHandle(TCursor Cursor) { return Screen ? Screen->Cursors(Cursor) : SystemCursorHandle(Cursor); }

// Keys and clicks end a hint.
bool IsHintCancelMessage(const MSG& Msg) {
  switch (Msg.message) {
    case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR:
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN: case WM_MOUSEWHEEL: case WM_ACTIVATE: case WM_ACTIVATEAPP: case WM_CANCELMODE:
      return true;
    default:
      return false;
  }
}

// The control whose hint shows for the control under the mouse: the
// nearest one (the control or a parent) that shows hints.
TControl* HintControlOf(TControl* Control) {
  for (TControl* C = Control; C; C = C->Parent())
    if (C->ShowHint()) return C;
  return nullptr;
}

// The hint text of a control: its own, or its nearest parent's.
AnsiString HintTextOf(TControl* Control) {
  for (TControl* C = Control; C; C = C->Parent())
    if (!C->Hint().empty()) return C->Hint();
  return AnsiString();
}

// How far the cursor image reaches below its hot spot.
int CursorHeightBelowHotSpot() {
  int Height = GetSystemMetrics(SM_CYCURSOR);
  ICONINFO Info{};
  HCURSOR Cursor = GetCursor();
  if (Cursor && GetIconInfo(Cursor, &Info)) {
    Height -= static_cast<int>(Info.yHotspot);
    if (Info.hbmMask) DeleteObject(Info.hbmMask);
    if (Info.hbmColor) DeleteObject(Info.hbmColor);
  }
  return Height;
}

// The visible enabled top-level windows of this thread except one: those a
// modal form disables.
struct TTaskWindows {
  HWND Except;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectTaskWindow(HWND Wnd, LPARAM Data) {
  try {
    auto* List = reinterpret_cast<TTaskWindows*>(Data);
    if (Wnd != List->Except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) List->Windows.push_back(Wnd);
    return TRUE;
  } catch (...) {
    HandleCallbackException();
    return FALSE;
  }
}

std::vector<HWND> DisableTaskWindows(HWND Except) {
  TTaskWindows List{Except, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectTaskWindow, reinterpret_cast<LPARAM>(&List));
  for (HWND Wnd : List.Windows) EnableWindow(Wnd, FALSE);
  return List.Windows;
}

void EnableTaskWindows(const std::vector<HWND>& Windows) {
  for (HWND Wnd : Windows)
    if (IsWindow(Wnd)) EnableWindow(Wnd, TRUE);
}

bool IsWindowsXPOrLater() {
  OSVERSIONINFOA Info{};
  Info.dwOSVersionInfoSize = sizeof(Info);
  if (!GetVersionExA(&Info)) return false;
  return Info.dwMajorVersion > 5 || (Info.dwMajorVersion == 5 && Info.dwMinorVersion >= 1);
}

// Styles of a form's window from its border style, icons and form style.
void FormWindowStyles(TFormStyle FormStyle, TFormBorderStyle BorderStyle, TBorderIcons Icons, DWORD& Style,
                      DWORD& ExStyle) {
  Style &= ~(WS_CHILD | WS_POPUP | WS_TABSTOP | WS_GROUP | WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME |
             WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  ExStyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP | WS_EX_CLIENTEDGE |
               WS_EX_TOPMOST | WS_EX_CONTROLPARENT);
  Style |= WS_CLIPCHILDREN;
  const bool MDIChild = FormStyle == fsMDIChild;
  if (MDIChild) Style |= WS_CHILD | WS_CLIPSIBLINGS;
  switch (BorderStyle) {
    case bsNone:
      if (!MDIChild) Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      if (!MDIChild) Style |= WS_POPUP;
      Style |= WS_CAPTION;
      ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (BorderStyle == bsToolWindow || BorderStyle == bsSizeToolWin) ExStyle |= WS_EX_TOOLWINDOW;
  if (BorderStyle != bsNone && Icons.Contains(biSystemMenu)) {
    Style |= WS_SYSMENU;
    const bool MinMax = BorderStyle == bsSingle || BorderStyle == bsSizeable;
    if (MinMax && Icons.Contains(biMinimize)) Style |= WS_MINIMIZEBOX;
    if (MinMax && Icons.Contains(biMaximize)) Style |= WS_MAXIMIZEBOX;
    // The help button shows only in a caption without minimise and maximise.
    if (Icons.Contains(biHelp) && !(Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FormStyle == fsStayOnTop) ExStyle |= WS_EX_TOPMOST;
  // Tab moves through the controls of nested containers too.
  ExStyle |= WS_EX_CONTROLPARENT;
}

int ShowCommand(TWindowState State) {
  switch (State) {
    case wsMinimized: return SW_SHOWMINIMIZED;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

// A key down that is a shortcut of the main menu of the form it is typed on
// (for an MDI child without one: of the frame's) clicks that menu item.
bool IsMenuShortCut(const MSG& Msg) {
  if ((Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) || !MainMenuHooks.ShortCut) return false;
  TWinControl* Control = nullptr;
  for (HWND Wnd = Msg.hwnd; Wnd && !Control; Wnd = GetParent(Wnd)) Control = FindControl(Wnd);
  TCustomForm* Form = Control ? GetParentForm(Control) : nullptr;
  if (!Form) return false;
  if (!Form->Menu() && Form->FormStyle() == fsMDIChild && Application) Form = Application->MainForm();
  if (!Form || !Form->Menu()) return false;
  return MainMenuHooks.ShortCut(Form->Menu(), static_cast<Word>(Msg.wParam), KeyDataToShiftState(Msg.lParam));
}

}  // namespace

// The form a control is on.
TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* Top = Control;
  while (Top->Parent()) Top = Top->Parent();
  return dynamic_cast<TCustomForm*>(Top);
}

// --- THintWindow ---

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  // Shown and hidden by ActivateHint and ReleaseHandle only.
  FVisible = false;
  SetParentColor(false);
  SetColor(clInfoBk);
  SetParentFont(false);
  if (Screen) SetFont(Screen->HintFont());
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = Application ? Application->Handle() : nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
  if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void THintWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      // The hint never takes the mouse from the control under it.
      Message.Result = HTTRANSPARENT;
      return;
    case CM_TEXTCHANGED:
      if (!FActivating && HandleAllocated()) {
        TRect R = CalcHintRect(Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN), Caption(), nullptr);
        SetBounds(Left(), Top(), R.right - R.left, R.bottom - R.top);
        Invalidate();
      }
      return;
    default:
      TCustomControl::WndProc(Message);
  }
}

void THintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  struct TActivating {
    bool& Flag;
    explicit TActivating(bool& F) : Flag(F) { Flag = true; }
    ~TActivating() { Flag = false; }
  } Guard(FActivating);
  SetCaption(AnsiString(AHint.c_str()));
  const int W = Rect.right - Rect.left;
  const int H = Rect.bottom - Rect.top;
  TRect R = Rect;
  // Keep the hint on the desktop.
  const TRect Desktop = Screen ? Screen->DesktopRect() : ::Rect(0, 0, GetSystemMetrics(SM_CXSCREEN),
                                                                 GetSystemMetrics(SM_CYSCREEN));
  if (R.top + H > Desktop.bottom) R.top = Desktop.bottom - H;
  if (R.left + W > Desktop.right) R.left = Desktop.right - W;
  if (R.left < Desktop.left) R.left = Desktop.left;
  if (R.top < Desktop.top) R.top = Desktop.top;
  UpdateBoundsRect(Bounds(R.left, R.top, W, H));
  SetWindowPos(Handle(), HWND_TOPMOST, R.left, R.top, W, H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(const TRect& Rect, const AnsiString& AHint, void*) { ActivateHint(Rect, AHint); }

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  TRect R = Rect(0, 0, MaxWidth, 0);
  HDC DC = GetDC(nullptr);
  HGDIOBJ OldFont = SelectObject(DC, Font()->Handle());
  DrawTextA(DC, AHint.c_str(), -1, &R, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(DC, OldFont);
  ReleaseDC(nullptr, DC);
  R.right += 6;
  R.bottom += 2;
  return R;
}

bool THintWindow::IsHintMsg(const MSG& Msg) { return IsHintCancelMessage(Msg); }

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) DestroyHandle();
}

void THintWindow::UpdateBoundsRect(const TRect& Rect) {
  FLeft = Rect.left;
  FTop = Rect.top;
  FWidth = Rect.right - Rect.left;
  FHeight = Rect.bottom - Rect.top;
}

void THintWindow::Paint() {
  TRect R = ClientRect();
  R.left += 2;
  R.top += 2;
  TCanvas* C = Canvas();
  C->Font()->Assign(Font());
  C->RequiredState(TCanvasState{csHandleValid, csFontValid});
  HDC DC = C->Handle();
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  const AnsiString Text = Caption();
  DrawTextA(DC, Text.c_str(), -1, &R, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

// --- TCustomForm ---

TCustomForm::TCustomForm(TComponent* AOwner)
    : TCustomControl(AOwner), FIcon(new TIcon), FPixelsPerInch(ScreenPixelsPerInch()) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  SetParentColor(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  FIcon->OnChange = TNotifyEvent(this, &TCustomForm::IconChanged);
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  // Reached without BeforeDestruction when a derived constructor failed.
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  TCustomControl::AfterConstruction();
  FFormState << fsCreating;
  try {
    InitInheritedComponent(this);
  } catch (...) {
    FFormState >> fsCreating;
    throw;
  }
  DoCreate();
  FFormState >> fsCreating;
  // A Visible form (and every MDI child) shows once it is complete.
  if (FFormStyle == fsMDIChild || FVisible) {
    FVisible = false;
    SetVisible(true);
  }
}

void TCustomForm::BeforeDestruction() {
  if (!FDestroyFired) {
    FDestroyFired = true;
    DoDestroy();
  }
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
  TCustomControl::BeforeDestruction();
  // The focus and the activation may have moved while the windows went.
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::DoCreate() {
  if (!OnCreate) return;
  // An error in OnCreate is reported and the form stays usable, as it
  // would after an error in any other handler.
  try {
    OnCreate(this);
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}

void TCustomForm::DoDestroy() {
  if (!OnDestroy) return;
  // Destruction must complete whatever the handler does.
  try {
    OnDestroy(this);
  } catch (...) {
    if (Application)
      Application->HandleException(this);
    else
      ShowCallbackException();
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  FFormState << fsActivated;
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) {
    FMenu = nullptr;
    MenuChanged();
  }
  if (FActiveControl && AComponent == static_cast<TComponent*>(FActiveControl)) FActiveControl = nullptr;
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  if (HandleAllocated()) RecreateWnd();
}

TWindowState TCustomForm::WindowState() const {
  if (FHandle && Showing()) {
    if (IsIconic(FHandle)) return wsMinimized;
    if (IsZoomed(FHandle)) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (!FHandle || !Showing()) return;
  switch (Value) {
    case wsMinimized: ShowWindow(FHandle, SW_MINIMIZE); break;
    case wsMaximized: ShowWindow(FHandle, SW_MAXIMIZE); break;
    case wsNormal: ShowWindow(FHandle, SW_RESTORE); break;
  }
}

void TCustomForm::SetMenu(TComponent* Value) {
  if (FMenu == Value) return;
  if (FMenu) FMenu->RemoveFreeNotification(this);
  FMenu = Value;
  if (FMenu) FMenu->FreeNotification(this);
  MenuChanged();
}

void TCustomForm::MenuChanged() {
  if (!FHandle || FFormStyle == fsMDIChild) return;
  HMENU Bar = FMenu && MainMenuHooks.Handle ? MainMenuHooks.Handle(FMenu) : nullptr;
  if (GetMenu(FHandle) != Bar) ::SetMenu(FHandle, Bar);
  DrawMenuBar(FHandle);
}

void TCustomForm::IconChanged(TObject*) { UpdateIcon(); }

// The program's own icon (the resource "MAINICON"), shown by forms that have
// none of their own.
static HICON ProgramIcon() {
  static const HICON Icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  return Icon;
}

void TCustomForm::UpdateIcon() {
  if (!FHandle) return;
  HICON Icon = FIcon->Empty() ? ProgramIcon() : FIcon->Handle();
  SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
  SendMessageA(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  if (Control && (Control == this || GetParentForm(Control) != this))
    throw EInvalidOperation(FmtLoadStr(SNotOnForm, Control->Name()));
  if (Control && !FFormState.Contains(fsCreating) && Showing() && !Control->CanFocus())
    throw EInvalidOperation(LoadStr(SCannotFocus));
  FActiveControl = Control;
  if (Control && Active()) Control->SetFocus();
}

bool TCustomForm::Active() const {
  if (!FHandle) return false;
  if (FFormStyle == fsMDIChild) {
    HWND Client = GetParent(FHandle);
    return Client && reinterpret_cast<HWND>(SendMessageA(Client, WM_MDIGETACTIVE, 0, 0)) == FHandle &&
           GetActiveWindow() == GetParent(Client);
  }
  return GetActiveWindow() == FHandle;
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  // Set first: OnEnter / OnExit handlers already see the new active control.
  // The form itself getting the focus (on activation) keeps the control
  // that gets it back.
  if (Control != this) FActiveControl = Control;
  if (Screen && !ComponentState().Contains(csDestroying)) Screen->SetActiveControl(Control);
  return TCustomControl::SetFocusedControl(Control);
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  auto Within = [Control](TWinControl* C) { return C && (C == Control || Control->ContainsControl(C)); };
  if (Within(FActiveControl)) FActiveControl = nullptr;
  if (Screen && Within(Screen->ActiveControl())) Screen->SetActiveControl(nullptr);
  TCustomControl::DefocusControl(Control, Removing);
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (!Showing()) {
    // Focused when the form becomes active.
    FActiveControl = Control;
    return;
  }
  if (!Active()) {
    FActiveControl = Control;
    Show();
    if (Active()) return;
  }
  TCustomControl::FocusControl(Control);
}

void TCustomForm::RestoreFocus() {
  if (FFormStyle == fsMDIForm) {
    if (TCustomForm* Child = ActiveMDIChild()) {
      Child->RestoreFocus();
      return;
    }
  }
  if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
  if (FActiveControl && FActiveControl->CanFocus())
    ::SetFocus(FActiveControl->Handle());
  else if (FHandle)
    ::SetFocus(FHandle);
}

void TCustomForm::SetVisible(bool Value) {
  if (FFormState.Contains(fsCreating)) {
    // Read from the layout: shown once the form is complete.
    FVisible = Value;
    return;
  }
  TCustomControl::SetVisible(Value);
}

void TCustomForm::Show() {
  SetVisible(true);
  if (!FHandle) return;
  if (FFormStyle == fsMDIChild)
    SendMessageA(GetParent(FHandle), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
  else {
    SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(FHandle);
  }
}

void TCustomForm::ApplyPosition() {
  TRect Area{};
  auto FormArea = [&Area](TCustomForm* Form) {
    if (!Form || !Form->HandleAllocated() || !IsWindowVisible(Form->FHandle)) return false;
    GetWindowRect(Form->FHandle, &Area);
    return true;
  };
  TCustomForm* Main = Application ? Application->MainForm() : nullptr;
  if (Main == this) Main = nullptr;
  switch (FPosition) {
    case poDesktopCenter:
      Area = Screen ? Screen->DesktopRect() : Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      break;
    case poOwnerFormCenter: {
      auto* OwnerForm = dynamic_cast<TCustomForm*>(Owner());
      if (OwnerForm != this && FormArea(OwnerForm)) break;
      if (FormArea(Main)) break;
      Area = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      break;
    }
    case poMainFormCenter:
      if (FormArea(Main)) break;
      Area = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      break;
    case poScreenCenter:
      Area = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      break;
    default:
      return;
  }
  if (FFormStyle == fsMDIChild) {
    // Centred in the frame's client window, in its coordinates.
    HWND Client = GetParent(FHandle);
    GetClientRect(Client, &Area);
  }
  const int X = std::max<int>(Area.left, Area.left + (Area.right - Area.left - Width()) / 2);
  const int Y = std::max<int>(Area.top, Area.top + (Area.bottom - Area.top - Height()) / 2);
  SetBounds(X, Y, Width(), Height());
}

void TCustomForm::ShowingChanged(TMessage&) {
  if (!FHandle) return;
  if (Showing()) {
    DoShow();
    if (!Showing() || !FHandle) return;  // OnShow hid or destroyed the window
    ApplyPosition();
    ShowWindow(FHandle, ShowCommand(FWindowState));
    if (FFormStyle == fsMDIChild)
      SendMessageA(GetParent(FHandle), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
    else if (FFormStyle == fsStayOnTop)
      SetWindowPos(FHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  } else {
    DoHide();
    if (!FHandle) return;
    if (FFormStyle == fsMDIChild && IsWindowVisible(FHandle))
      SendMessageA(GetParent(FHandle), WM_MDINEXT, reinterpret_cast<WPARAM>(FHandle), 0);
    ShowWindow(FHandle, SW_HIDE);
  }
}

bool TCustomForm::CloseQuery() {
  if (FFormStyle == fsMDIForm)
    for (int I = 0; I < MDIChildCount(); ++I)
      if (!MDIChildren(I)->CloseQuery()) return false;
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  return CanClose;
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction Action = FFormStyle == fsMDIChild ? caMinimize : caHide;
  DoClose(Action);
  if (Action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (Action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    case caNone: break;
  }
}

void TCustomForm::Release() { PostMessageA(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::CloseModal() {
  TCloseAction Action = caNone;
  if (CloseQuery()) {
    Action = caHide;
    DoClose(Action);
  }
  switch (Action) {
    case caNone: FModalResult = mrNone; break;  // refused: the dialog stays
    case caFree: Release(); break;
    default: break;
  }
}

int TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation(LoadStr(SVisibleModal));
  if (!Application) throw EInvalidOperation(LoadStr(SModalNeedsApplication));
  if (HWND Capture = GetCapture()) SendMessageA(Capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  if (Application) Application->CancelHint();
  FFormState << fsModal;
  HWND ActiveWindow = GetActiveWindow();
  const std::vector<HWND> Disabled = DisableTaskWindows(Handle());
  try {
    Show();
    FModalResult = mrNone;
    do {
      try {
        Application->HandleMessage();
      } catch (...) {
        Application->HandleException(this);
      }
      if (Application->Terminated())
        FModalResult = mrCancel;
      else if (FModalResult != mrNone)
        CloseModal();
    } while (FModalResult == mrNone);
  } catch (...) {
    EnableTaskWindows(Disabled);
    FFormState >> fsModal;
    if (FReleaseAfterModal) {
      FReleaseAfterModal = false;
      Release();
    }
    throw;
  }
  Hide();
  EnableTaskWindows(Disabled);
  if (ActiveWindow && IsWindow(ActiveWindow)) SetActiveWindow(ActiveWindow);
  FFormState >> fsModal;
  if (FReleaseAfterModal) {
    FReleaseAfterModal = false;
    Release();
  }
  return FModalResult;
}

TRect TCustomForm::ClientRect() const {
  if (FHandle) return TCustomControl::ClientRect();
  // No window yet: the frame its styles will give it.
  DWORD Style = 0;
  DWORD ExStyle = 0;
  FormWindowStyles(FFormStyle, FBorderStyle, FBorderIcons, Style, ExStyle);
  const bool HasMenu = FMenu && MainMenuHooks.Handle && FFormStyle != fsMDIChild;
  RECT Frame{0, 0, 0, 0};
  AdjustWindowRectEx(&Frame, Style, HasMenu, ExStyle);
  const int W = std::max<int>(0, Width() - (Frame.right - Frame.left));
  const int H = std::max<int>(0, Height() - (Frame.bottom - Frame.top));
  return Rect(0, 0, W, H);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  FormWindowStyles(FFormStyle, FBorderStyle, FBorderIcons, Params.Style, Params.ExStyle);
  Params.Style &= ~WS_VISIBLE;
  if (FFormStyle == fsMDIChild) {
    // An MDI child lives in the client window of the frame.
    TCustomForm* Frame = MDIParentForm();
    if (Frame) Frame->HandleNeeded();
    if (!Frame || !Frame->FClientHandle)
      throw EInvalidOperation(LoadStr(SNoMDIForm));
    Params.WndParent = Frame->FClientHandle;
    Params.ExStyle &= ~WS_EX_CONTROLPARENT;
    if (FWindowState == wsMaximized) Params.Style |= WS_MAXIMIZE;
  } else {
    // The main form owns the others; it has the taskbar button itself.
    TCustomForm* Main = Application ? Application->MainForm() : nullptr;
    if (Main == this)
      Params.WndParent = nullptr;
    else if (Main && Main->HandleAllocated())
      Params.WndParent = Main->FHandle;
    else
      Params.WndParent = Application ? Application->Handle() : nullptr;
  }
  if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
    Params.X = static_cast<int>(CW_USEDEFAULT);
    Params.Y = static_cast<int>(CW_USEDEFAULT);
  }
  if (FPosition == poDefault || FPosition == poDefaultSizeOnly) {
    Params.Width = static_cast<int>(CW_USEDEFAULT);
    Params.Height = static_cast<int>(CW_USEDEFAULT);
  }
  Params.WindowClass.style |= CS_DBLCLKS;
}

TCustomForm* TCustomForm::MDIParentForm() const {
  auto IsFrame = [](TCustomForm* F) { return F && F->FFormStyle == fsMDIForm; };
  if (auto* OwnerForm = dynamic_cast<TCustomForm*>(Owner()); IsFrame(OwnerForm)) return OwnerForm;
  if (Application && IsFrame(Application->MainForm())) return Application->MainForm();
  if (Screen)
    for (int I = 0; I < Screen->FormCount(); ++I)
      if (IsFrame(Screen->Forms(I))) return Screen->Forms(I);
  return nullptr;
}

void TCustomForm::CreateWnd() {
  TCustomControl::CreateWnd();
  if (FFormStyle == fsMDIForm && !FClientHandle) {
    CLIENTCREATESTRUCT Client{};
    Client.idFirstChild = 0xFF00;
    RECT R;
    GetClientRect(FHandle, &R);
    FClientHandle = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL |
                                        WS_HSCROLL | MDIS_ALLCHILDSTYLES,
                                    0, 0, R.right, R.bottom, FHandle, nullptr, GetModuleHandleA(nullptr), &Client);
    if (!FClientHandle) throw EOutOfResources(LoadStr(SMDIClientError));
    SetWindowPos(FClientHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    WNDPROC Old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(FClientHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomForm::MDIClientProc)));
    if (!MDIClientDefProc) MDIClientDefProc = Old;
    Realign();
  }
  MenuChanged();
  UpdateIcon();
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
  if (FFormStyle != fsMDIChild) {
    TCustomControl::CreateWindowHandle(Params);
    return;
  }
  MDICREATESTRUCTA Create{};
  Create.szClass = Params.WinClassName.c_str();
  Create.szTitle = Params.Caption.c_str();
  Create.hOwner = GetModuleHandleA(nullptr);
  Create.x = Params.X;
  Create.y = Params.Y;
  Create.cx = Params.Width;
  Create.cy = Params.Height;
  Create.style = Params.Style;
  Create.lParam = reinterpret_cast<LPARAM>(Params.Param);
  SendMessageA(Params.WndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&Create));
}

void TCustomForm::DestroyWindowHandle() {
  if (FHandle) {
    // The menu bar belongs to the menu object: the window must not take it
    // along.
    if (FFormStyle != fsMDIChild && GetMenu(FHandle)) ::SetMenu(FHandle, nullptr);
    if (FFormStyle == fsMDIChild) {
      if (HWND Client = GetParent(FHandle)) {
        SendMessageA(Client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
        return;
      }
    }
  }
  TCustomControl::DestroyWindowHandle();
  FClientHandle = nullptr;
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
  TCustomControl::AlignControls(AControl, Rect);
  if (FClientHandle)
    SetWindowPos(FClientHandle, nullptr, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (FFormStyle != fsMDIForm || !FClientHandle) return nullptr;
  HWND Child = reinterpret_cast<HWND>(SendMessageA(FClientHandle, WM_MDIGETACTIVE, 0, 0));
  return Child ? dynamic_cast<TCustomForm*>(FindControl(Child)) : nullptr;
}

int TCustomForm::MDIChildCount() const {
  int Count = 0;
  if (FClientHandle && Screen)
    for (int I = 0; I < Screen->FormCount(); ++I) {
      TCustomForm* F = Screen->Forms(I);
      if (F->FFormStyle == fsMDIChild && F->FHandle && GetParent(F->FHandle) == FClientHandle) ++Count;
    }
  return Count;
}

TCustomForm* TCustomForm::MDIChildren(int Index) const {
  if (FClientHandle && Screen && Index >= 0)
    for (int I = 0; I < Screen->FormCount(); ++I) {
      TCustomForm* F = Screen->Forms(I);
      if (F->FFormStyle == fsMDIChild && F->FHandle && GetParent(F->FHandle) == FClientHandle && Index-- == 0) return F;
    }
  throw EListError(FmtLoadStr(SListIndexError, Index));
}

LRESULT CALLBACK TCustomForm::MDIClientProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    auto* Frame = dynamic_cast<TCustomForm*>(FindControl(GetParent(Wnd)));
    if (Frame && Frame->FClientHandle == Wnd) {
      TMessage Message{Msg, WParam, LParam, 0};
      Frame->ClientWndProc(Message);
      return Message.Result;
    }
    return CallWindowProcA(MDIClientDefProc, Wnd, Msg, WParam, LParam);
  } catch (...) {
    HandleCallbackException();
    return 0;
  }
}

void TCustomForm::ClientWndProc(TMessage& Message) {
  if (Message.Msg == WM_ERASEBKGND && PaintClientBackground(reinterpret_cast<HDC>(Message.WParam))) {
    Message.Result = 1;
    return;
  }
  Message.Result = CallWindowProcA(MDIClientDefProc, FClientHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TCustomForm::PaintClientBackground(HDC DC) {
  bool HasGraphic = false;
  for (int I = 0; I < ControlCount() && !HasGraphic; ++I)
    HasGraphic = Controls(I)->Visible() && !dynamic_cast<TWinControl*>(Controls(I));
  if (!HasGraphic) return false;
  RECT R;
  GetClientRect(FClientHandle, &R);
  FillRect(DC, &R, GetSysColorBrush(COLOR_APPWORKSPACE));
  // The controls lie in the frame's client coordinates.
  POINT Origin{0, 0};
  MapWindowPoints(FClientHandle, FHandle, &Origin, 1);
  const int Saved = SaveDC(DC);
  OffsetViewportOrgEx(DC, -Origin.x, -Origin.y, nullptr);
  PaintControls(DC, nullptr);
  RestoreDC(DC, Saved);
  return true;
}

void TCustomForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_RELEASE:
      if (FFormState.Contains(fsModal)) {
        // ShowModal is still running on this form; it frees it on return.
        FReleaseAfterModal = true;
        return;
      }
      // Nothing may touch the form after this.
      Free();
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_SHOWINGCHANGED:
      ShowingChanged(Message);
      return;
    case WM_SETFOCUS:
      TCustomControl::WndProc(Message);
      // The form passes the focus on to its active control.
      if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
      return;
    case WM_ACTIVATE:
      TCustomControl::WndProc(Message);
      if (LOWORD(Message.WParam) != WA_INACTIVE) {
        if (Screen) Screen->SetActiveForm(this);
        if (!HIWORD(Message.WParam)) RestoreFocus();
        Activate();
      } else {
        // Both are sent, not posted, so the message loop never sees them.
        if (Application) Application->CancelHint();
        Deactivate();
      }
      return;
    case WM_ENTERMENULOOP:
      if (Application) Application->CancelHint();
      break;
    case WM_MDIACTIVATE:
      TCustomControl::WndProc(Message);
      if (FFormStyle == fsMDIChild) {
        if (reinterpret_cast<HWND>(Message.LParam) == FHandle) {
          RestoreFocus();
          Activate();
        } else if (reinterpret_cast<HWND>(Message.WParam) == FHandle) {
          Deactivate();
        }
      }
      return;
    case WM_COMMAND:
      if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu && MainMenuHooks.Command &&
          MainMenuHooks.Command(FMenu, LOWORD(Message.WParam))) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_MENUSELECT:
      if (FMenu && MainMenuHooks.Select)
        MainMenuHooks.Select(FMenu, LOWORD(Message.WParam), HIWORD(Message.WParam),
                             reinterpret_cast<HMENU>(Message.LParam));
      break;
    case WM_INITMENUPOPUP:
      if (FMenu && MainMenuHooks.InitPopup) MainMenuHooks.InitPopup(FMenu, reinterpret_cast<HMENU>(Message.WParam));
      break;
    default:
      break;
  }
  TCustomControl::WndProc(Message);
}

void TCustomForm::DefaultHandler(void* Message) {
  auto& M = *static_cast<TMessage*>(Message);
  // The framework's own messages never go to the system's procedures.
  if (FHandle && M.Msg < CM_BASE) {
    if (FFormStyle == fsMDIForm && FClientHandle) {
      // The client window is placed by AlignControls, not by the frame
      // procedure's WM_SIZE handling.
      M.Result = DefFrameProcA(FHandle, M.Msg == WM_SIZE ? nullptr : FClientHandle, M.Msg, M.WParam, M.LParam);
      return;
    }
    if (FFormStyle == fsMDIChild) {
      M.Result = DefMDIChildProcA(FHandle, M.Msg, M.WParam, M.LParam);
      return;
    }
  }
  TCustomControl::DefaultHandler(Message);
}

// --- TScreen ---

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner), FHintFont(new TFont) {
  NONCLIENTMETRICSA Metrics{};
  Metrics.cbSize = sizeof(Metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0)) {
    const LOGFONTA& Font = Metrics.lfStatusFont;
    FHintFont->SetName(Font.lfFaceName);
    FHintFont->SetHeight(Font.lfHeight);
    FHintFont->SetCharset(Font.lfCharSet);
    TFontStyles Style;
    if (Font.lfWeight >= FW_BOLD) Style << fsBold;
    if (Font.lfItalic) Style << fsItalic;
    FHintFont->SetStyle(Style);
  }
  FHintFont->SetColor(clInfoText);
}

TScreen::~TScreen() = default;

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::DesktopRect() const {
  return Bounds(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}
int TScreen::DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
int TScreen::DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }

TRect TScreen::WorkAreaRect() const {
  TRect R{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &R, 0)) R = Rect(0, 0, Width(), Height());
  return R;
}
int TScreen::WorkAreaWidth() const {
  TRect R = WorkAreaRect();
  return R.right - R.left;
}
int TScreen::WorkAreaHeight() const {
  TRect R = WorkAreaRect();
  return R.bottom - R.top;
}

TCustomForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount())
    throw EListError(FmtLoadStr(SListIndexError, Index));
  return FForms[static_cast<size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  auto It = std::find(FForms.begin(), FForms.end(), Form);
  if (It != FForms.end()) FForms.erase(It);
  if (FActiveForm == Form) SetActiveForm(nullptr);
  if (FActiveControl && GetParentForm(FActiveControl) == Form) SetActiveControl(nullptr);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (FActiveForm == Form) return;
  FActiveForm = Form;
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  FActiveControl = Control;
  if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  if (Value != crDefault) {
    ::SetCursor(Cursors(Value));
    return;
  }
  // The control under the mouse sets its own cursor again.
  POINT P;
  if (GetCursorPos(&P)) SetCursorPos(P.x, P.y);
}

// --- TApplication ---

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FHandle = AllocateHWnd(TWndMethod(this, &TApplication::WndProc));
  // The default title is the executable's name without folder and extension.
  AnsiString Name = ModuleFileName();
  size_t Slash = Name.find_last_of("\\/:");
  if (Slash != AnsiString::npos) Name.erase(0, Slash + 1);
  size_t Dot = Name.rfind('.');
  if (Dot != AnsiString::npos && Dot > 0) Name.erase(Dot);
  SetTitle(Name);
  SetHintWindowClass(nullptr);
}

TApplication::~TApplication() {
  if (FHandle) DeallocateHWnd(FHandle);
}

void TApplication::BeforeDestruction() {
  CancelHint();
  SetHintControl(nullptr);
  // The forms go first (last created first), while the window still exists.
  TComponent::BeforeDestruction();
  if (FHandle) {
    DeallocateHWnd(FHandle);
    FHandle = nullptr;
  }
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FMainForm && AComponent == static_cast<TComponent*>(FMainForm)) FMainForm = nullptr;
  if (FHintWindow && AComponent == static_cast<TComponent*>(FHintWindow)) FHintWindow = nullptr;
  if (FHintControl && AComponent == static_cast<TComponent*>(FHintControl)) {
    FHintControl = nullptr;
    CancelHint();
    StopHintTimer(HintTrackTimer);
  }
}

void TApplication::FormCreated(TComponent* Instance) {
  if (!FMainForm)
    if (auto* Form = dynamic_cast<TCustomForm*>(Instance)) FMainForm = Form;
}

void TApplication::FormCreateFailed(TComponent* Instance) {
  if (FMainForm && static_cast<TComponent*>(FMainForm) == Instance) FMainForm = nullptr;
  Instance->Free();
}

void TApplication::SetTitle(const AnsiString& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, FTitle.c_str());
}

AnsiString TApplication::ExeName() const { return ModuleFileName(); }

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool Handled = false;
  if (OnMessage) OnMessage(Msg, Handled);
  if (!Handled && !IsHintMsg(Msg) && !IsMDIMsg(Msg) && !IsMenuShortCut(Msg) && !IsKeyMsg(Msg) && !IsDlgMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  return true;
}

bool TApplication::IsHintMsg(const MSG& Msg) {
  if (Msg.message == WM_MOUSEMOVE || Msg.message == WM_NCMOUSEMOVE || Msg.message == WM_MOUSELEAVE)
    HintMouseCheck();
  else if (FHintControl && (FHintWindow ? FHintWindow->IsHintMsg(Msg) : IsHintCancelMessage(Msg)))
    CancelHint();
  // The message goes on as usual.
  return false;
}

bool TApplication::IsMDIMsg(MSG& Msg) {
  if (!FMainForm || FMainForm->FFormStyle != fsMDIForm || !FMainForm->FClientHandle) return false;
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST || !FMainForm->ActiveMDIChild()) return false;
  return TranslateMDISysAccel(FMainForm->FClientHandle, &Msg);
}

bool TApplication::IsDlgMsg(MSG& Msg) {
  return FDialogHandle && IsWindow(FDialogHandle) && IsDialogMessageA(FDialogHandle, &Msg);
}

void TApplication::ProcessMessages() {
  MSG Msg;
  while (ProcessMessage(Msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG Msg;
  if (!ProcessMessage(Msg)) Idle();
}

namespace {

// The actions of the visible controls in Control, brought up to date.
void UpdateVisibleActions(TControl* Control) {
  if (!Control->Visible()) return;
  if (TAction* A = Control->Action()) A->Update();
  if (auto* W = dynamic_cast<TWinControl*>(Control))
    for (int I = 0; I < W->ControlCount(); ++I) UpdateVisibleActions(W->Controls(I));
}

}  // namespace

void TApplication::Idle() {
  HintMouseCheck();
  if (Screen)
    for (int I = 0; I < Screen->FormCount(); ++I) UpdateVisibleActions(Screen->Forms(I));
  bool Done = true;
  if (OnIdle) OnIdle(this, Done);
  if (MainThreadID() == GetCurrentThreadId() && CheckSynchronize()) Done = false;
  if (Done) WaitMessage();
}

void TApplication::Run() {
  if (!FMainForm) return;
  try {
    FMainForm->Show();
  } catch (...) {
    HandleException(this);
  }
  while (!FTerminated && FMainForm) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr Current = std::current_exception();
  if (!Current) return;
  if (HWND Capture = GetCapture()) SendMessageA(Capture, WM_CANCELMODE, 0, 0);
  auto Report = [this, Sender](Exception& E) {
    if (OnException)
      OnException(Sender, &E);
    else
      ShowException(&E);
  };
  try {
    try {
      std::rethrow_exception(Current);
    } catch (const EAbort&) {
    } catch (Exception& E) {
      Report(E);
    } catch (const std::exception& E) {
      Exception Wrapped(E.what());
      Report(Wrapped);
    } catch (...) {
      Exception Wrapped(LoadStr(SUnknownException));
      Report(Wrapped);
    }
  } catch (...) {
    // A failing handler must not take the program down with it; its own
    // error is shown instead.
    try {
      ShowCallbackException();
    } catch (...) {
    }
  }
}

void TApplication::ShowException(Exception* E) {
  MessageBoxA(BoxOwner(), E->Message().c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}

HWND TApplication::BoxOwner() const {
  auto Usable = [](TCustomForm* F) { return F && F->FHandle && IsWindowVisible(F->FHandle); };
  if (Screen && Usable(Screen->ActiveForm())) return Screen->ActiveForm()->FHandle;
  if (Usable(FMainForm)) return FMainForm->FHandle;
  return GetActiveWindow();
}

int TApplication::MessageBox(const char* Text, const char* Caption, UINT Flags) {
  return MessageBoxA(BoxOwner(), Text, Caption ? Caption : FTitle.c_str(), Flags);
}

void TApplication::BringToFront() {
  if (HWND Wnd = BoxOwner()) SetForegroundWindow(Wnd);
}

void TApplication::HookMainWindow(TWindowHook Hook) {
  if (std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook) == FWindowHooks.end())
    FWindowHooks.push_back(Hook);
}

void TApplication::UnhookMainWindow(TWindowHook Hook) {
  auto It = std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook);
  if (It != FWindowHooks.end()) FWindowHooks.erase(It);
}

void TApplication::WndProc(TMessage& Message) {
  // A hook may unhook itself (or others) while it runs.
  const std::vector<TWindowHook> Hooks = FWindowHooks;
  for (auto It = Hooks.rbegin(); It != Hooks.rend(); ++It)
    if (std::find(FWindowHooks.begin(), FWindowHooks.end(), *It) != FWindowHooks.end() && (*It)(Message)) return;
  if (Message.Msg == WM_TIMER) {
    switch (Message.WParam) {
      case HintShowTimer: {
        StopHintTimer(HintShowTimer);
        POINT P;
        if (GetCursorPos(&P)) ActivateHint(P);
        return;
      }
      case HintHideTimer:
        StopHintTimer(HintHideTimer);
        HideHintWindow();
        return;
      case HintTrackTimer:
        HintMouseCheck();
        return;
      default:
        break;
    }
  }
  DefUtilWindowHandler(FHandle, Message);
}

// --- hints ---

void TApplication::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (!Value) {
    CancelHint();
    SetHintControl(nullptr);
  }
}

void TApplication::SetHintWindowClass(const TClassInfo* Value) {
  FHintWindowClass = Value ? Value : ClassInfoOf<THintWindow>();
}

void TApplication::StartHintTimer(UINT_PTR Id, int Milliseconds) {
  SetTimer(FHandle, Id, static_cast<UINT>(std::max(Milliseconds, 1)), nullptr);
}

void TApplication::StopHintTimer(UINT_PTR Id) { KillTimer(FHandle, Id); }

bool TApplication::HintShowing() const {
  return FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->Handle());
}

void TApplication::HideHintWindow() {
  if (FHintWindow) FHintWindow->ReleaseHandle();
}

void TApplication::CancelHint() {
  StopHintTimer(HintShowTimer);
  StopHintTimer(HintHideTimer);
  HideHintWindow();
  FHintActive = false;
}

void TApplication::SetHintControl(TControl* Control) {
  if (FHintControl == Control) return;
  if (FHintControl) FHintControl->RemoveFreeNotification(this);
  FHintControl = Control;
  if (Control) {
    Control->FreeNotification(this);
    StartHintTimer(HintTrackTimer, HintTrackInterval);
  } else {
    StopHintTimer(HintTrackTimer);
  }
}

void TApplication::HintMouseCheck() {
  POINT P;
  if (!GetCursorPos(&P)) return;
  TControl* Target = FindDragTarget(P, false);
  if (FHintWindow && Target == FHintWindow) return;
  TControl* Control = FShowHint ? HintControlOf(Target) : nullptr;
  if (Control == FHintControl) {
    if (Control && HintShowing() && !PtInRect(&FHintCursorRect, Control->ScreenToClient(P))) {
      HideHintWindow();
      StopHintTimer(HintHideTimer);
      StartHintTimer(HintShowTimer, FHintShortPause);
    }
    return;
  }
  const bool WasActive = FHintActive || HintShowing();
  StopHintTimer(HintShowTimer);
  StopHintTimer(HintHideTimer);
  HideHintWindow();
  SetHintControl(Control);
  SetHint(Control ? GetLongHint(HintTextOf(Control)) : AnsiString());
  FHintActive = WasActive && Control;
  if (Control) StartHintTimer(HintShowTimer, FHintActive ? FHintShortPause : FHintPause);
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  StopHintTimer(HintShowTimer);
  // No hint over an open menu: the menu's own loop serves the timers but
  // keeps the mouse and the keys that would end the hint.
  GUITHREADINFO Gui{};
  Gui.cbSize = sizeof(Gui);
  if (GetGUIThreadInfo(GetCurrentThreadId(), &Gui) && (Gui.flags & GUI_INMENUMODE)) return;
  TControl* Control = FShowHint ? HintControlOf(FindDragTarget(CursorPos, false)) : nullptr;
  SetHintControl(Control);
  if (!Control) return;

  THintInfo Info;
  Info.HintControl = Control;
  Info.HintWindowClass = FHintWindowClass;
  Info.HintPos = Point(CursorPos.x, CursorPos.y + CursorHeightBelowHotSpot());
  Info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  Info.HintColor = FHintColor;
  Info.CursorRect = Control->ClientRect();
  Info.CursorPos = Control->ScreenToClient(CursorPos);
  Info.HideTimeout = FHintHidePause;
  Info.HintStr = GetShortHint(HintTextOf(Control));
  const bool Refused = Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)) != 0;
  if (!Refused && !Info.HintStr.empty())
    if (TActionLink* Link = Control->ActionLink()) Link->DoShowHint(Info.HintStr);
  if (Refused || Info.HintStr.empty()) {
    HideHintWindow();
    return;
  }

  // A window of the class asked for (another class replaces the current one).
  const TClassInfo* Class = Info.HintWindowClass ? Info.HintWindowClass : ClassInfoOf<THintWindow>();
  if (FHintWindow && ClassInfoOf(FHintWindow) != Class) FreeAndNil(FHintWindow);
  if (!FHintWindow) {
    TComponent* Made = Class && Class->CanCreate() ? Class->Create(this) : nullptr;
    FHintWindow = dynamic_cast<THintWindow*>(Made);
    if (!FHintWindow) {
      if (Made) Made->Free();
      FHintWindow = Create<THintWindow>(this);
    }
  }
  FHintWindow->SetColor(Info.HintColor);
  TRect R = FHintWindow->CalcHintRect(Info.HintMaxWidth, Info.HintStr, Info.HintData);
  OffsetRect(&R, Info.HintPos.x, Info.HintPos.y);
  FHintWindow->ActivateHintData(R, Info.HintStr, Info.HintData);
  FHintCursorRect = Info.CursorRect;
  FHintActive = true;
  StopHintTimer(HintHideTimer);
  if (Info.HideTimeout > 0) StartHintTimer(HintHideTimer, Info.HideTimeout);
  if (Info.ReshowTimeout > 0) StartHintTimer(HintShowTimer, Info.ReshowTimeout);
}

// --- unit start-up ---

namespace {

void RegisterFormClasses() {
  RegisterClass<THintWindow, TCustomControl>();
  RegisterClass<TCustomForm, TCustomControl>()
      .Object("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
      .Set<TBorderIcon>("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                        TBorderIcons{biSystemMenu, biMinimize, biMaximize},
                        {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}, "TBorderIcons")
      .Enum("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable,
            {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})
      .Enum("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal,
            {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"})
      .Object("Icon", &TCustomForm::Icon)
      .Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false)
      .Object("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
      .Enum("Position", &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned,
            {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter",
             "poMainFormCenter", "poOwnerFormCenter"})
      .Enum("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState, wsNormal,
            {"wsNormal", "wsMinimized", "wsMaximized"})
      .Bool("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled, true)
      .Int("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
      .Bool("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder, false)
      .Int("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight)
      .Event("OnActivate", &TCustomForm::OnActivate)
      .Event("OnClose", &TCustomForm::OnClose)
      .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
      .Event("OnCreate", &TCustomForm::OnCreate)
      .Event("OnDeactivate", &TCustomForm::OnDeactivate)
      .Event("OnDestroy", &TCustomForm::OnDestroy)
      .Event("OnHide", &TCustomForm::OnHide)
      .Event("OnPaint", &TCustomForm::OnPaint)
      .Event("OnShow", &TCustomForm::OnShow);
  RegisterClass<TForm, TCustomForm>();
}

}  // namespace

void InitializeForms() {
  if (Application) return;
  RegisterFormClasses();
  TheScreen.reset(new TScreen(nullptr));
  Screen = TheScreen.get();
  TheApplication.reset(new TApplication(nullptr));
  Application = TheApplication.get();
  HandleCallbackException = ApplicationCallbackException;
  SavedGetScreenCursor = GetScreenCursor;
  SavedGetCursorHandle = GetCursorHandle;
  GetScreenCursor = ScreenCursor;
  GetCursorHandle = ScreenCursorHandle;
}

void FinalizeForms() {
  if (!Application) return;
  TheApplication.reset();
  Application = nullptr;
  HandleCallbackException = ShowCallbackException;
  GetScreenCursor = SavedGetScreenCursor;
  GetCursorHandle = SavedGetCursorHandle;
  TheScreen.reset();
  Screen = nullptr;
}
