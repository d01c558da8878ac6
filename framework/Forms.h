// The application, the screen, forms and hints.
//
// Start-up: InitializeForms() creates the global Application and Screen and
// routes the exceptions of every Win32 callback to Application; the program
// body then creates its forms with Application->CreateForm and calls Run.
// FinalizeForms() frees the application, which frees its forms in reverse
// order of creation, and then the screen.
//
// A form is built in two steps: the C++ constructor makes the object and
// sets its own fields; AfterConstruction then reads the form's layout (the
// RCDATA resource named after the class in upper case, "TFMAIN") and fires
// OnCreate. Forms are therefore always made through Application->CreateForm
// or Create<T>(Owner), never with a bare new.
#pragma once

#include <type_traits>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Messages.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Win.h"

class THintWindow;

// ---------------------------------------------------------------------------
// Hints

// What the application is about to show as a hint; sent to the control with
// CM_HINTSHOW (LParam = THintInfo*), which may change it or refuse the hint
// with a non-zero result.
struct THintInfo {
  TControl* HintControl = nullptr;
  // The class of the window that shows the hint (THintWindow or a
  // descendant registered with the class registry).
  const TClassInfo* HintWindowClass = nullptr;
  // Screen position of the hint window's top-left corner.
  TPoint HintPos{};
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  // In the control's client coordinates: the hint goes when the cursor
  // leaves this rectangle (the whole control by default).
  TRect CursorRect{};
  TPoint CursorPos{};
  // Milliseconds: show the hint again after ReshowTimeout (0: never), hide
  // it after HideTimeout (0: keep it).
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  // 8-bit text; the framework's hint window shows it up to the first zero.
  AnsiString HintStr;
  void* HintData = nullptr;
};

// The window that shows a hint: a top-most bordered pop-up tool window in
// the hint colour.
class THintWindow : public TCustomControl {
public:
  explicit THintWindow(TComponent* AOwner);

  // Shows Hint in Rect (screen coordinates, kept on the desktop) without
  // taking the activation.
  virtual void ActivateHint(const TRect& Rect, const AnsiString& AHint);
  virtual void ActivateHintData(const TRect& Rect, const AnsiString& AHint, void* AData);
  // The size the hint needs (at (0, 0)), wrapped at MaxWidth.
  virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  // True for the messages that end a hint: a key or a mouse click.
  virtual bool IsHintMsg(const MSG& Msg);
  // Hides the hint by destroying its window.
  void ReleaseHandle();
  // Records Rect as the bounds without moving the window.
  void UpdateBoundsRect(const TRect& Rect);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  bool Activating() const { return FActivating; }

private:
  bool FActivating = false;
};

// ---------------------------------------------------------------------------
// Forms

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateItem { fsCreating, fsModal, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = TMethodPtr<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethodPtr<void(TObject* Sender, bool& CanClose)>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// How a form works its main menu (a TMainMenu of the menus unit, kept as a
// component). The menus unit fills these in at its start-up; without them a
// form has no menu bar.
struct TMainMenuHooks {
  // The menu bar for the form's window.
  HMENU (*Handle)(TComponent* Menu) = nullptr;
  // WM_COMMAND from the menu bar with an item's command id; true when an
  // item took it.
  bool (*Command)(TComponent* Menu, WORD CommandId) = nullptr;
  // WM_MENUSELECT: the item (or submenu) under the mouse, as the message
  // gives it; Flags 0xFFFF with a null HMENU when the menu closes.
  void (*Select)(TComponent* Menu, WORD ItemId, WORD Flags, HMENU MenuHandle) = nullptr;
  // WM_INITMENUPOPUP: a submenu of the bar is about to open.
  void (*InitPopup)(TComponent* Menu, HMENU Popup) = nullptr;
  // A key pressed on the form (WM_KEYDOWN or WM_SYSKEYDOWN, from the message
  // loop before the control sees it); true when an item with that shortcut
  // took it.
  bool (*ShortCut)(TComponent* Menu, Word Key, TShiftState Shift) = nullptr;
};
extern TMainMenuHooks MainMenuHooks;

class TCustomForm : public TCustomControl {
public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  // Reads the layout and fires OnCreate; an MDI child then shows.
  void AfterConstruction() override;
  // Fires OnDestroy while every component still exists.
  void BeforeDestruction() override;

  // Asks OnCloseQuery, then OnClose decides: caHide hides, caFree releases,
  // caMinimize minimises, caNone keeps the form. The main form closing ends
  // the application. A modal form only gets ModalResult mrCancel; its loop
  // does the rest.
  void Close();
  // OnCloseQuery (and, for an MDI frame, its children's first).
  virtual bool CloseQuery();
  // Frees the form later, from the message loop: safe in a handler of one
  // of the form's own components.
  void Release();
  void Show();
  void Hide() { SetVisible(false); }
  // Disables the program's other windows and runs a message loop until
  // ModalResult is set and OnCloseQuery lets the form close; then hides it
  // and returns ModalResult. The close box gives mrCancel.
  virtual int ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  TFormState FormState() const { return FFormState; }

  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
  // The main menu (a TMainMenu of the menus unit).
  TComponent* Menu() const { return FMenu; }
  void SetMenu(TComponent* Value);
  // The menus unit calls this when the menu bar of Menu was rebuilt.
  void MenuChanged();
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  // The control that has (or gets, when the form becomes active) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // True while the form is the active window (an MDI child: the frame's
  // active child).
  bool Active() const;

  // Stored in layouts and kept; layouts are made for this screen, so no
  // scaling is done.
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value) { FScaled = Value; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }
  int TextHeight() const { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }

  // MDI frame: the MDICLIENT window (made with the frame's window) and the
  // children in it, in order of creation.
  HWND ClientHandle() const { return FClientHandle; }
  TCustomForm* ActiveMDIChild() const;
  int MDIChildCount() const;
  TCustomForm* MDIChildren(int Index) const;

  void SetVisible(bool Value) override;
  TRect ClientRect() const override;
  bool SetFocusedControl(TWinControl* Control) override;
  void DefocusControl(TWinControl* Control, bool Removing) override;
  void FocusControl(TWinControl* Control) override;
  bool PreviewsKeys() const override { return FKeyPreview; }
  void WndProc(TMessage& Message) override;
  void DefaultHandler(void* Message) override;

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void DestroyWindowHandle() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  // The MDI frame's client window procedure: every message of the
  // MDICLIENT window passes here (the default hands it to the window's own
  // procedure).
  virtual void ClientWndProc(TMessage& Message);
  // Paints the MDI client's background on its WM_ERASEBKGND; false leaves
  // it to the MDICLIENT window. The default, when the frame has visible
  // windowless controls (a tiled picture filling the client area), paints
  // the work-space colour and those controls where they lie under the
  // client window.
  virtual bool PaintClientBackground(HDC DC);

private:
  friend class TApplication;
  static LRESULT CALLBACK MDIClientProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void ShowingChanged(TMessage& Message);
  void ApplyPosition();
  void CloseModal();
  void UpdateIcon();
  void IconChanged(TObject* Sender);
  void RestoreFocus();
  TCustomForm* MDIParentForm() const;

  TFormStyle FFormStyle = fsNormal;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TFormState FFormState;
  TModalResult FModalResult = mrNone;
  TOwned<TIcon> FIcon;
  TComponent* FMenu = nullptr;
  bool FKeyPreview = false;
  TWinControl* FActiveControl = nullptr;
  bool FScaled = true;
  int FPixelsPerInch;
  bool FOldCreateOrder = false;
  int FTextHeight = 13;
  HWND FClientHandle = nullptr;
  bool FDestroyFired = false;
  // Release was asked for while the form's own modal loop runs.
  bool FReleaseAfterModal = false;
};

class TForm : public TCustomForm {
public:
  using TCustomForm::TCustomForm;
};

// ---------------------------------------------------------------------------
// The screen

// The desktop, the forms of the program, and what is active on them.
class TScreen : public TComponent {
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int PixelsPerInch() const { return ScreenPixelsPerInch(); }
  // The primary monitor.
  int Width() const;
  int Height() const;
  // The whole virtual desktop (all monitors).
  TRect DesktopRect() const;
  int DesktopLeft() const { return DesktopRect().left; }
  int DesktopTop() const { return DesktopRect().top; }
  int DesktopWidth() const;
  int DesktopHeight() const;
  // The primary monitor without the taskbar.
  TRect WorkAreaRect() const;
  int WorkAreaLeft() const { return WorkAreaRect().left; }
  int WorkAreaTop() const { return WorkAreaRect().top; }
  int WorkAreaWidth() const;
  int WorkAreaHeight() const;

  // Every form that exists, in order of creation.
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const;
  // The top-level form that is the active window, and the control that has
  // the focus.
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }

  // A cursor other than crDefault is shown over every control of the
  // program, whatever their own Cursor; crDefault gives them theirs back.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor handle of a cursor identifier (crArrow...).
  HCURSOR Cursors(TCursor Index) const { return SystemCursorHandle(Index); }

  // The font of hint windows (the system's status font, clInfoText).
  TFont* HintFont() const { return FHintFont.get(); }

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

private:
  friend class TCustomForm;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control);

  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCursor FCursor = crDefault;
  TOwned<TFont> FHintFont;
};

extern TScreen* Screen;

// ---------------------------------------------------------------------------
// The application

// Sees a message of the application window before the application does;
// true when it handled the message.
using TWindowHook = TMethodPtr<bool(TMessage& Message)>;
// Sees every message taken from the queue before it is dispatched.
using TMessageEvent = TMethodPtr<void(MSG& Msg, bool& Handled)>;
// Done (preset to true) set to false asks for another idle call at once
// instead of waiting for the next message.
using TIdleEvent = TMethodPtr<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TMethodPtr<void(TObject* Sender, Exception* E)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;
  void BeforeDestruction() override;

  // Kept for the program body's usual first call; nothing is left to do.
  void Initialize() {}

  // Creates a form (or another component) owned by the application. The
  // reference is set before the form's layout is read and its OnCreate
  // runs, so handlers of later forms may already use it; the first form
  // created becomes MainForm. When reading the layout fails, the form is
  // freed, the reference cleared and the exception raised again.
  template <class T> void CreateForm(T*& Reference);

  // Shows the main form and runs the message loop until Terminate is called
  // or the main form goes. An exception that reaches the loop goes to
  // HandleException and the loop goes on.
  void Run();
  // Ends the loop: posts WM_QUIT; Terminated becomes true when it is read.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every message waiting in the queue.
  void ProcessMessages();
  // Handles one message; with none waiting, runs the idle step and waits
  // for the next one.
  void HandleMessage();

  // Called inside a catch block: reports the exception being handled to
  // OnException or, without a handler, with ShowException. EAbort is silent.
  // Never raises.
  void HandleException(TObject* Sender);
  // The error box: the exception's message, captioned with Title.
  void ShowException(Exception* E);

  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value);
  // The hidden application window: a top-level WS_POPUP window that is never
  // shown and has no taskbar button.
  HWND Handle() const { return FHandle; }
  TCustomForm* MainForm() const { return FMainForm; }
  // The executable's full path.
  AnsiString ExeName() const;
  // A message box owned by the active form (or the main form); a null
  // Caption means Title. Returns the button pressed (IDOK...).
  int MessageBox(const char* Text, const char* Caption, UINT Flags = MB_OK);

  // Hooks see the application window's messages first, the latest first.
  void HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(TWindowHook Hook);

  // A modeless dialog whose keyboard messages go through IsDialogMessageA.
  HWND DialogHandle() const { return FDialogHandle; }
  void SetDialogHandle(HWND Value) { FDialogHandle = Value; }
  // Brings the active form (or the main form) to the front.
  void BringToFront();

  // The long hint of the control under the mouse (OnHint tells of changes).
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  // Hints of all controls on or off.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  // Milliseconds: the mouse rests this long before a hint shows; moving on
  // to another control while a hint is up shows its hint after the short
  // pause; a hint goes after the hide pause.
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int Value) { FHintShortPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  // The hint of a control whose action has a shortcut ends with the
  // shortcut's text in parentheses.
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool Value) { FHintShortCuts = Value; }
  // The class of the hint windows made from now on (a registered THintWindow
  // descendant); nullptr restores THintWindow.
  const TClassInfo* HintWindowClass() const { return FHintWindowClass; }
  void SetHintWindowClass(const TClassInfo* Value);
  // Hides the hint; it shows again only after the mouse moved to another
  // control.
  void CancelHint();
  // Shows the hint of the control under CursorPos (screen coordinates) now.
  void ActivateHint(const TPoint& CursorPos);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TNotifyEvent OnHint;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TCustomForm;

  void WndProc(TMessage& Message);
  bool ProcessMessage(MSG& Msg);
  void Idle();
  bool IsHintMsg(const MSG& Msg);
  bool IsMDIMsg(MSG& Msg);
  bool IsDlgMsg(MSG& Msg);
  // The window that owns message boxes and error boxes.
  HWND BoxOwner() const;
  void FormCreated(TComponent* Instance);
  void FormCreateFailed(TComponent* Instance);
  // Hints: follow the control under the cursor.
  void HintMouseCheck();
  void SetHintControl(TControl* Control);
  bool HintShowing() const;
  void HideHintWindow();
  void StartHintTimer(UINT_PTR Id, int Milliseconds);
  void StopHintTimer(UINT_PTR Id);

  HWND FHandle = nullptr;
  AnsiString FTitle;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  HWND FDialogHandle = nullptr;
  std::vector<TWindowHook> FWindowHooks;

  AnsiString FHint;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  int FHintPause = 500;
  int FHintShortPause = 50;
  int FHintHidePause = 2500;
  bool FHintShortCuts = true;
  const TClassInfo* FHintWindowClass = nullptr;
  THintWindow* FHintWindow = nullptr;
  TControl* FHintControl = nullptr;
  // The cursor rectangle of the hint on show, in the control's coordinates.
  TRect FHintCursorRect{};
  // A hint was shown over the current run of hinted controls: the next one
  // shows after the short pause.
  bool FHintActive = false;
};

extern TApplication* Application;

// ---------------------------------------------------------------------------
// Start-up and shut-down of the unit

// Registers the unit's classes, creates Application and Screen, points the
// framework's callback exception hook at Application->HandleException and
// the controls' cursor hooks at Screen.
void InitializeForms();
// Frees Application (and with it the forms) and Screen; the hooks go back
// to their defaults.
void FinalizeForms();

// ---------------------------------------------------------------------------

template <class T> void TApplication::CreateForm(T*& Reference) {
  static_assert(std::is_base_of_v<TComponent, T>, "CreateForm makes components");
  T* Instance = new T(this);  // owned by the application from here on
  Reference = Instance;
  FormCreated(Instance);
  try {
    Instance->AfterConstruction();
  } catch (...) {
    Reference = nullptr;
    FormCreateFailed(Instance);
    throw;
  }
}
