// Controls: the windowless and windowed controls every visible component is
// built on, their geometry and alignment, mouse, keyboard and focus
// handling, painting, and the binding of Win32 windows to their objects.
//
// Every message of a control passes through its WindowProc (initially its
// virtual WndProc): the window procedure of windowed controls and Perform of
// any control. WndProc handles the messages of its class and ends in
// Dispatch, which hands the rest to DefaultHandler (for a windowed control:
// the window's default procedure).
#pragma once

#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"
#include "Win.h"

class TControl;
class TWinControl;
class TControlCanvas;
class TCustomForm;
class TAction;
class TActionLink;
class TActionLinkClass;

// ---------------------------------------------------------------------------
// Types

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

// The shift state from the MK_ flags of a mouse message (Alt read from the
// keyboard).
TShiftState KeysToShiftState(WPARAM Keys);
// The shift state for a key message: Shift and Ctrl from the keyboard, Alt
// from bit 29 of the key data.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// The shift state from a 256-byte keyboard state (GetKeyboardState).
TShiftState KeyboardStateToShiftState(const BYTE* KeyboardState);
// The same from the calling thread's current keyboard state.
TShiftState KeyboardStateToShiftState();

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
  csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
  csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint, csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating, csPaintCopy,
  csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;

// Border styles of controls are the first two of a form's.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge>;

using TKeyEvent = TMethodPtr<void(TObject* Sender, Word& Key, TShiftState Shift)>;
// An 8-bit character in the system code page; set to #0 to drop it.
using TKeyPressEvent = TMethodPtr<void(TObject* Sender, char& Key)>;
using TMouseEvent = TMethodPtr<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TMethodPtr<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// MousePos in client coordinates ((-1, -1) when the menu key was used).
using TContextPopupEvent = TMethodPtr<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// The part of a hint before the first "|", and the part after it (the
// whole hint when it has none). Binary-safe: zero bytes are kept.
AnsiString GetShortHint(const AnsiString& Hint);
AnsiString GetLongHint(const AnsiString& Hint);

// ---------------------------------------------------------------------------
// Size constraints: 0 means no limit.

class TSizeConstraints : public TPersistent {
public:
  explicit TSizeConstraints(TControl* Control) : FControl(Control) {}

  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  int MinHeight() const { return FMinHeight; }
  void SetMinHeight(int Value);
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  int MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(int Value);
  TControl* Control() const { return FControl; }

  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void Change();

private:
  void SetValue(int& Field, int Value);

  TControl* FControl;
  int FMinWidth = 0;
  int FMinHeight = 0;
  int FMaxWidth = 0;
  int FMaxHeight = 0;
};

// ---------------------------------------------------------------------------
// The control

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  void BeforeDestruction() override;

  // The windowed control this one sits in (and is painted or clipped by).
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  int Top() const { return FTop; }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  int Width() const { return FWidth; }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  int Height() const { return FHeight; }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Position in the parent's client area (on the screen for a top-level
  // window). Constraints and AutoSize may adjust the size.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top); }

  virtual TRect ClientRect() const;
  int ClientWidth() const;
  void SetClientWidth(int Value);
  int ClientHeight() const;
  void SetClientHeight(int Value);
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(const TPoint& P) const;
  TPoint ScreenToClient(const TPoint& P) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  // Makes the control visible; a top-level control gets its window made
  // and shown even when Visible was already set.
  void Show();
  void Hide() { SetVisible(false); }
  // Visible, and the parents showing.
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);

  // 8-bit text (the window text of a windowed control). Setting an equal
  // text does nothing; a change sends CM_TEXTCHANGED.
  AnsiString Caption() const { return GetText(); }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  AnsiString Text() const { return GetText(); }
  void SetText(const AnsiString& Value);
  int GetTextLen();
  // Copies at most BufSize - 1 characters and a terminating zero; returns
  // the number of characters copied.
  int GetTextBuf(char* Buffer, int BufSize);
  void SetTextBuf(const char* Buffer);

  // 8-bit hint; may hold binary data with zero bytes.
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  // The popup menu shown on a right click (a TPopupMenu of the menus unit,
  // kept as a component; cleared when that component goes).
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }

  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // Every message of the control goes through this; replace it to see them
  // first (keep the old value and call it for what you do not handle).
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  // Calls WindowProc with the message and returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  void DefaultHandler(void* Message) override;

  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }

  // Reading from layouts: a control read inside a windowed control gets it
  // as its Parent.
  void SetParentComponent(TComponent* Value) override;

  void SetName(const AnsiString& NewName) override;

  // Fires OnClick, or without one runs the action.
  virtual void Click();
  virtual void DblClick();

  // The action the control shows (caption, hint, enabled, visible) and runs
  // when clicked without an OnClick of its own; nullptr takes it away.
  TAction* Action() const;
  void SetAction(TAction* Value);
  TActionLink* ActionLink() const { return FActionLink.get(); }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;

protected:
  virtual AnsiString GetText() const;
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void DoContextPopup(const TPoint& MousePos, bool& Handled);
  // AutoSize: may change the new size; false keeps the size asked for.
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  // Re-applies AutoSize.
  virtual void AdjustSize();
  // Moves the control to the top (or bottom) of its siblings.
  virtual void SetZOrder(bool TopMost);
  // Tells the parent that this control's place in the alignment changed.
  void RequestAlign();
  // Keeps the anchored distances to the parent's edges from the current
  // bounds.
  void UpdateAnchorRules();
  // Re-evaluates whether the control shows (windowed controls create and
  // show their windows).
  virtual void UpdateControlState() {}
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  // The action (Sender) changed, or was just given with CheckDefaults set:
  // then only what still has its default value takes the action's.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The class of the link SetAction makes, by the control's kind (windowed
  // control, button, speed button, tool button, other control).
  virtual const TActionLinkClass* GetActionLinkClass() const;

  TControlStyle FControlStyle;
  TControlState FControlState;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  // The text of a windowless control, or of a windowed one without a window.
  AnsiString FText;

private:
  friend class TWinControl;
  // Message handlers of the class.
  void WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Extra);
  void WMMouseUp(TMessage& Message, TMouseButton Button);
  void WMContextMenu(TMessage& Message);
  void FontChanged(TObject* Sender);
  void ConstraintsChanged(TObject* Sender);
  void ApplyConstraints(int& W, int& H) const;

  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  // The bounds and parent client size that anchors keep distances from.
  TRect FAnchorBounds{};
  TPoint FAnchorParentSize{};
  bool FAnchorRulesValid = false;
  bool FAutoSize = false;
  // Set while the parent moves the control for its anchors.
  bool FAnchoring = false;
  TOwned<TSizeConstraints> FConstraints;
  TOwned<TFont> FFont;
  bool FParentFont = true;
  bool FParentColor = true;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  TComponent* FPopupMenu = nullptr;
  TOwned<TActionLink> FActionLink;
  void DoActionChange(TObject* Sender);
};

// Shows a control's popup menu at a screen point; the menus unit installs
// it. Returns true when the menu was shown.
using TPopupMenuHandler = bool (*)(TComponent* PopupMenu, TControl* Control, const TPoint& ScreenPos);
extern TPopupMenuHandler PopupMenuHandler;

// ---------------------------------------------------------------------------
// Window creation

struct TCreateParams {
  AnsiString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  // The class registered under WinClassName. Its lpfnWndProc is the
  // control's default procedure (nullptr: DefWindowProc); the class itself
  // is registered with the framework's InitWndProc.
  WNDCLASSA WindowClass{};
  AnsiString WinClassName;
};

// The window procedure of every window class the framework registers: it
// binds a new window to the control being created (CreationControl) on its
// first message and passes each message to the control's WindowProc. A
// class registered by other code for a control's window (a Unicode class)
// must use it too.
LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// The control bound to a window, or nullptr for a window that is not one of
// ours (a window of another process, another copy of the program too).
TWinControl* FindControl(HWND Wnd);
// The control whose window is being made by CreateWnd right now, or nullptr.
TWinControl* CreationControl();
// True while Message is a message that came through the window procedure
// (not a Perform of the framework).
bool IsWindowMessage(const TMessage& Message);

// The control under a screen point: the windowless child of the window
// there when one is hit, else that window's control; nullptr over foreign
// windows.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);

// The message loop's keyboard step: a key or character message for one of
// our windows is first sent as CN_KEYDOWN / CN_CHAR... to its control; true
// when the control consumed it (do not translate or dispatch it then).
bool IsKeyMsg(MSG& Msg);

// The system cursor for a cursor id (nullptr for crNone, -1).
HCURSOR SystemCursorHandle(TCursor Cursor);
// How WM_SETCURSOR picks cursors; the screen points them at itself (its
// Cursor overrides every control's when not crDefault; its cursor table).
extern TCursor (*GetScreenCursor)();
extern HCURSOR (*GetCursorHandle)(TCursor Cursor);

// The form a control is on: the top-level parent when that is a form, else
// nullptr (defined with the forms).
TCustomForm* GetParentForm(TControl* Control);

// ---------------------------------------------------------------------------
// The windowed control

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // The window; made on first use (with the parents' windows).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // The id a child window is created with; owner-drawn children are found
  // by it when they ask for their row heights.
  UINT ControlID() const { return FControlID; }
  // For a top-level control: the window it is created in (or owned by).
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);
  // Destroys the window and makes a new one at once when the control shows.
  void RecreateWnd();

  // Children, windowless and windowed, bottom to top.
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;
  // The topmost visible (and enabled, unless AllowDisabled) child at Pos
  // (client coordinates); windowed children only with AllowWindowed.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWindowed = false) const;
  bool ContainsControl(const TControl* Control) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // Passes Message to every child's WindowProc until one sets a result.
  void Broadcast(TMessage& Message);
  // Broadcasts Msg with both parameters 0.
  void NotifyControls(UINT Msg);

  void DisableAlign();
  void EnableAlign();
  void Realign();

  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // The next control (in tab order, through nested containers) after
  // CurControl that can take the focus.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // Windowed descendants in tab order (depth first).
  void GetTabOrderList(std::vector<TWinControl*>& List) const;

  bool Showing() const override;
  void Invalidate() override;
  void Update() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;

  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  // Room inside the window's frame, around the client area.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);

  // Paints the control and its children into DC with the control's
  // top-left corner at (X, Y).
  void PaintTo(HDC DC, int X, int Y);
  // Paints the visible windowless children into DC (the control's client
  // DC), those above First only when First is given.
  void PaintControls(HDC DC, TControl* First);
  void WndProc(TMessage& Message) override;
  void DefaultHandler(void* Message) override;
  // The default procedure DefaultHandler calls; nullptr means the system's
  // DefWindowProc (A or W as the window is).
  WNDPROC DefWndProc() const { return FDefWndProc; }
  void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }

  // Focus bookkeeping of a top-level container (a form overrides and calls
  // up). SetFocusedControl: Control got the focus; sends CM_EXIT to the
  // controls losing it and CM_ENTER to those gaining it, then
  // CM_FOCUSCHANGED to the container. DefocusControl: Control (or one of
  // its children) goes; the container forgets it.
  virtual bool SetFocusedControl(TWinControl* Control);
  virtual void DefocusControl(TWinControl* Control, bool Removing);
  // The control of this top-level container that has the focus.
  TWinControl* FocusedControl() const { return FFocusedControl; }
  // Moves the focus to Control; a form makes itself active first.
  virtual void FocusControl(TWinControl* Control);
  // A top-level container that says so sees its controls' keys first
  // through its own DoKeyDown / DoKeyPress / DoKeyUp (a form's KeyPreview).
  virtual bool PreviewsKeys() const { return false; }

  // The key steps: fire KeyDown / KeyPress / KeyUp (after the preview of
  // the top-level container). True when the key was cleared and must go no
  // further.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

protected:
  virtual void CreateParams(TCreateParams& Params);
  // Params become those of a system class (BUTTON, EDIT...) registered
  // again under our class name, the system procedure kept as DefWndProc.
  void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
  // Registers the class and makes the window (CreateWindowHandle).
  virtual void CreateWnd();
  // Makes the window from Params; an override may create it otherwise (a
  // Unicode window with CreateWindowExW). The window binds itself to this
  // control on its first message; no HWND needs to be stored.
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // Saves the window text and destroys the window (DestroyWindowHandle).
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void CreateHandle();
  // Destroys the children's windows, then this one's.
  void DestroyHandle();
  void UpdateShowing();
  void UpdateControlState() override;
  // The client area left for aligned children (a group box leaves its
  // frame out).
  virtual void AdjustClientRect(TRect& Rect);
  // Places the aligned and anchored children in Rect; Rect is left as the
  // part no aligned child took.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // A child's alignment may have changed.
  void AlignControl(TControl* AControl);
  // Paints the window's own face into DC (the default: the window's own
  // painting for a system class, nothing for ours).
  virtual void PaintWindow(HDC DC);
  void SetZOrder(bool TopMost) override;
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();
  void Loaded() override;

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;

private:
  friend LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class TControl;
  bool IsControlMouseMsg(TMessage& Message);
  void TrackMouse(const TMessage& Message);
  void ReflectNotification(TMessage& Message);
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CNCtlColor(TMessage& Message);
  void UpdateBounds();
  TWinControl* TopLevel();
  HBRUSH BrushHandle();
  int EdgeSize() const;
  void NonClientSizeChanged();
  void InsertIntoTabList();

  HWND FParentWindow = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  int FTabOrder = -1;
  bool FTabStop = false;
  bool FShowing = false;
  int FAlignLevel = 0;
  bool FAligning = false;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  int FBorderWidth = 0;
  TBevelKind FBevelKind = bkNone;
  TBevelCut FBevelInner = bvRaised;
  TBevelCut FBevelOuter = bvLowered;
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  int FBevelWidth = 1;
  TWinControl* FFocusedControl = nullptr;
  HBRUSH FBrush = nullptr;
  COLORREF FBrushColor = 0;
  UINT FControlID = 0;
};

// ---------------------------------------------------------------------------
// Windowless and custom-drawn controls

// A canvas on a control: during painting the paint DC; otherwise a DC of
// the control's window (of the parent's, moved and clipped to the control,
// for a windowless control), released after the message being handled.
class TControlCanvas : public TCanvas {
public:
  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value);
  // Releases a DC the canvas made itself.
  void FreeHandle();
  // Updates TextFlags from the control (nothing to add for 8-bit controls).
  void UpdateTextFlags();

protected:
  void CreateHandle() override;

private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindowHandle = nullptr;
};

// A windowless control, painted by its parent.
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const { return FCanvas.get(); }
  void WndProc(TMessage& Message) override;

protected:
  virtual void Paint() {}

private:
  TOwned<TControlCanvas> FCanvas;
};

// A windowed control that paints itself on its Canvas.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas* Canvas() const { return FCanvas.get(); }

protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

private:
  TOwned<TControlCanvas> FCanvas;
};
