#include "VsSBController.h"

#include <cstring>

#include "Forms.h"
#include "TypInfo.h"
#include "VsThemesGeneral.h"

namespace {

constexpr LONG ScrollStyles = WS_HSCROLL | WS_VSCROLL;
// Sent by the theme engine when a style is applied or removed.
constexpr UINT VS_THEMECHANGED = 0xB528;

bool InRect(const TRect& R, const TPoint& P) {
  return R.right >= R.left && R.bottom >= R.top && P.x >= R.left && P.x <= R.right && P.y >= R.top &&
         P.y <= R.bottom;
}

TPoint PointOf(LPARAM L) {
  return TPoint{static_cast<short>(LOWORD(static_cast<DWORD>(L))), static_cast<short>(HIWORD(static_cast<DWORD>(L)))};
}

}  // namespace

TVsSBController::TVsSBController(TComponent* AOwner) : TComponent(AOwner) {
  FHook = Create<TVsHook>(this);
  FHook->OnBeforeProcess = TVsHookEvent(this, &TVsSBController::BeforeMessage);
  FHook->OnAfterProcess = TVsHookEvent(this, &TVsSBController::AfterMessage);
  FHorz.reset(Create<TVsCtrlScrollBarStyles>(this, false));
  FVert.reset(Create<TVsCtrlScrollBarStyles>(this, true));
}

TVsSBController::~TVsSBController() {
  CloseTheme();
  FHorz.reset();
  FVert.reset();
}

TWinControl* TVsSBController::Control() const { return dynamic_cast<TWinControl*>(FHook->Control()); }

TVsCtrlScrollBarStyles* TVsSBController::Bar(int Index) const {
  if (Index == SB_HORZ) return FHorz.get();
  if (Index == SB_VERT) return FVert.get();
  return nullptr;
}

bool TVsSBController::IsActive() const { return FHook->Control() != nullptr && ScrollBarPatchActive(); }

HWND TVsSBController::BarWindow() const {
  TWinControl* C = Control();
  return C && C->HandleAllocated() ? C->Handle() : nullptr;
}

bool TVsSBController::BarLoading() const {
  TWinControl* C = Control();
  if (!C) return false;
  if (C->ComponentState().Contains(csLoading)) return true;
  return C->Owner() && C->Owner()->ComponentState().Contains(csLoading);
}

bool TVsSBController::BarWindowEnabled() const {
  HWND Wnd = BarWindow();
  return !Wnd || IsWindowEnabled(Wnd);
}

TVsSBHandlerCustom* TVsSBController::OtherBar(const TVsSBHandlerCustom* B) const {
  return B == FHorz.get() ? static_cast<TVsSBHandlerCustom*>(FVert.get()) : FHorz.get();
}

void TVsSBController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FHook->Control()) SetControl(nullptr);
}

void TVsSBController::RecalcFrame() {
  if (HWND Wnd = BarWindow())
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TVsSBController::BarRecalcFrame() { RecalcFrame(); }

void TVsSBController::SetControl(TWinControl* Value) {
  TWinControl* Old = Control();
  if (Value == Old) return;
  FHook->SetActive(false);
  if (FSavedCapture) {
    SetCapture(FSavedCapture);
    FSavedCapture = nullptr;
  }
  CloseTheme();
  if (Old) {
    Old->RemoveFreeNotification(this);
    if (!Value && Old->HandleAllocated() && !Old->ComponentState().Contains(csDestroying)) {
      FHook->SetControl(nullptr);
      SetWindowPos(Old->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
  }
  FHook->SetControl(Value);
  if (!Value) return;
  Value->FreeNotification(this);
  if (BarWindow()) {
    FHorz->ReadSystemState();
    FVert->ReadSystemState();
  }
  FHorz->ApplySystemMetrics();
  FVert->ApplySystemMetrics();
  FHook->SetActive(true);
  RecalcFrame();
}

void TVsSBController::SetUseXPThemes(bool Value) {
  if (Value == FUseXPThemes) return;
  FUseXPThemes = Value;
  if (Value)
    OpenTheme();
  else
    CloseTheme();
  if (HWND Wnd = BarWindow()) {
    RECT R;
    GetWindowRect(Wnd, &R);
    OffsetRect(&R, -R.left, -R.top);
    RedrawWindow(Wnd, &R, nullptr, RDW_FRAME | RDW_INVALIDATE);
    InvalidateRect(Wnd, nullptr, TRUE);
  }
}

void TVsSBController::OpenTheme() {
  if (FTheme || !ThemesAvailable || !VsUxThemeApi.IsThemeActive || !VsUxThemeApi.OpenThemeData) return;
  HWND Wnd = BarWindow();
  if (!Wnd || !VsUxThemeApi.IsThemeActive()) return;
  FTheme = VsUxThemeApi.OpenThemeData(Wnd, L"SCROLLBAR");
}

void TVsSBController::CloseTheme() {
  if (FTheme && VsUxThemeApi.CloseThemeData) VsUxThemeApi.CloseThemeData(FTheme);
  FTheme = nullptr;
}

HTHEME TVsSBController::BarTheme() const {
  if (FUseXPThemes) {
    const_cast<TVsSBController*>(this)->OpenTheme();
    return FTheme;
  }
  HWND Wnd = BarWindow();
  if (Wnd && ThemesAvailable && VsUxThemeApi.GetWindowTheme) return VsUxThemeApi.GetWindowTheme(Wnd);
  return nullptr;
}

// --- painting ---

void TVsSBController::PaintBar(TVsSBHandlerCustom* B, HDC WindowDC) {
  const TRect& R = B->BarRect();
  const int W = R.right - R.left + 1, H = R.bottom - R.top + 1;
  if (W <= 0 || H <= 0) return;
  HDC Mem = CreateCompatibleDC(WindowDC);
  HBITMAP Bitmap = CreateCompatibleBitmap(WindowDC, W, H);
  HGDIOBJ Old = SelectObject(Mem, Bitmap);
  B->Paint(Mem);
  BitBlt(WindowDC, R.left, R.top, W, H, Mem, 0, 0, SRCCOPY);
  SelectObject(Mem, Old);
  DeleteObject(Bitmap);
  DeleteDC(Mem);
}

void TVsSBController::BarRepaint(int Index) {
  HWND Wnd = BarWindow();
  if (!Wnd || !IsActive()) return;
  const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  HDC DC = nullptr;
  for (int I = 0; I < 2; ++I) {
    if (Index <= 1 && Index != I) continue;
    if (!(Style & (I == SB_HORZ ? WS_HSCROLL : WS_VSCROLL))) continue;
    if (!DC) DC = GetWindowDC(Wnd);
    if (DC) PaintBar(Bar(I), DC);
  }
  if (DC) ReleaseDC(Wnd, DC);
}

void TVsSBController::PaintCorner() {
  HWND Wnd = BarWindow();
  const TRect& H = FHorz->BarRect();
  const TRect& V = FVert->BarRect();
  const TRect R{V.left, H.top, V.right + 1 + (LeftScrollBar() ? 1 : 0), H.bottom + 1};
  HDC DC = GetWindowDC(Wnd);
  if (!DC) return;
  TCanvas Canvas;
  Canvas.SetHandle(DC);
  Canvas.Brush()->SetColor(clBtnFace);
  Canvas.Pen()->SetColor(clBtnFace);
  bool DefaultDraw = true;
  if (OnPaintCrossScrollBarsArea) OnPaintCrossScrollBarsArea(Control(), &Canvas, R, DefaultDraw);
  if (DefaultDraw) {
    TRect E = R;
    DrawEdge(DC, &E, EDGE_SUNKEN, BF_MIDDLE);
  }
  Canvas.SetHandle(nullptr);
  ReleaseDC(Wnd, DC);
}

// --- message handling ---

bool TVsSBController::LeftScrollBar() const {
  HWND Wnd = BarWindow();
  return Wnd && (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
}

bool TVsSBController::HasScrollStyle() const {
  HWND Wnd = BarWindow();
  return Wnd && (GetWindowLongW(Wnd, GWL_STYLE) & ScrollStyles);
}

TPoint TVsSBController::ToWindow(TPoint P, bool Screen) const {
  HWND Wnd = BarWindow();
  if (Screen) ScreenToClient(Wnd, &P);
  P.x += FBorders.left;
  P.y += FBorders.top;
  if (LeftScrollBar() && FVert->Visible()) P.x += FVert->Thickness();
  return P;
}

void TVsSBController::CallControl(TMessage& Msg, bool RemoveStyles) {
  HWND Wnd = BarWindow();
  const bool WasBusy = FBusy;
  FBusy = true;
  LONG Style = 0;
  if (RemoveStyles) {
    Style = GetWindowLongW(Wnd, GWL_STYLE);
    RemoveStyles = (Style & ScrollStyles) != 0;
    if (RemoveStyles) SetWindowLongW(Wnd, GWL_STYLE, Style & ~ScrollStyles);
  }
  try {
    Control()->WindowProc(Msg);
  } catch (...) {
    if (RemoveStyles) SetWindowLongW(Wnd, GWL_STYLE, GetWindowLongW(Wnd, GWL_STYLE) | (Style & ScrollStyles));
    FBusy = WasBusy;
    throw;
  }
  if (RemoveStyles) SetWindowLongW(Wnd, GWL_STYLE, GetWindowLongW(Wnd, GWL_STYLE) | (Style & ScrollStyles));
  FBusy = WasBusy;
}

void TVsSBController::NCCalcSize(TMessage& Msg) {
  auto* Params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Msg.LParam);
  const TRect Proposed = Params->rgrc[0];
  HWND Wnd = BarWindow();
  const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  CallControl(Msg, true);
  TRect Client = Params->rgrc[0];
  FBorders = TRect{Client.left - Proposed.left, Client.top - Proposed.top, Proposed.right - Client.right,
                   Proposed.bottom - Client.bottom};
  const bool Left = LeftScrollBar();
  if (Style & WS_HSCROLL) Client.bottom -= FHorz->Thickness();
  if (Style & WS_VSCROLL) {
    if (Left)
      Client.left += FVert->Thickness();
    else
      Client.right -= FVert->Thickness();
  }
  if (Client.bottom < Client.top) Client.bottom = Client.top;
  if (Client.right < Client.left) Client.right = Client.left;
  Params->rgrc[0] = Client;
  const int ClientW = Client.right - Client.left, ClientH = Client.bottom - Client.top;
  TRect H;
  H.left = FBorders.left + ((Left && (Style & WS_VSCROLL)) ? FVert->Thickness() : 0);
  H.right = H.left + ClientW - 1;
  H.top = ClientH + FBorders.top;
  H.bottom = H.top + FHorz->Thickness() - 1;
  FHorz->SetBarRect(H);
  FHorz->SetLength(H.right - H.left + 1);
  TRect V;
  V.left = Left ? FBorders.left : FBorders.left + ClientW;
  V.right = V.left + FVert->Thickness() - 1;
  V.top = FBorders.top;
  V.bottom = V.top + ClientH - 1;
  FVert->SetBarRect(V);
  FVert->SetLength(V.bottom - V.top + 1);
}

void TVsSBController::NCPaint(TMessage& Msg) {
  CallControl(Msg, true);
  HWND Wnd = BarWindow();
  const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  if ((Style & ScrollStyles) == ScrollStyles) PaintCorner();
  BarRepaint(2);
}

void TVsSBController::NCHitTest(TMessage& Msg, bool& Handled) {
  // Asked for at every move of the pointer: the styles are read once.
  HWND Wnd = BarWindow();
  const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  const bool HV = (Style & WS_HSCROLL) != 0, VV = (Style & WS_VSCROLL) != 0;
  if (!HV && !VV) return;
  TPoint P = PointOf(Msg.LParam);
  ScreenToClient(Wnd, &P);
  P.x += FBorders.left;
  P.y += FBorders.top;
  if (VV && (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)) P.x += FVert->Thickness();
  const bool InH = HV && InRect(FHorz->BarRect(), P);
  const bool InV = !InH && VV && InRect(FVert->BarRect(), P);
  for (TVsSBHandlerCustom* B : {static_cast<TVsSBHandlerCustom*>(FHorz.get()), static_cast<TVsSBHandlerCustom*>(FVert.get())}) {
    const bool Under = B == FHorz.get() ? InH : InV;
    if (!Under && B->MouseInside() && !B->Pressed()) {
      B->MouseMove(-1, -1);
      B->MouseLeave(false);
    }
  }
  Handled = true;
  if (InH || InV) {
    Msg.Result = InH ? HTHSCROLL : HTVSCROLL;
    return;
  }
  // The window still has the scroll styles: where its own idea of a
  // system bar reaches beyond the custom ones, a press must not start the
  // system's scroll loop.
  CallControl(Msg, false);
  if (Msg.Result == HTHSCROLL || Msg.Result == HTVSCROLL) Msg.Result = HTNOWHERE;
}

void TVsSBController::MouseMessage(TMessage& Msg, bool& Handled) {
  const bool NonClient = Msg.Msg == WM_NCMOUSEMOVE || Msg.Msg == WM_NCLBUTTONDOWN || Msg.Msg == WM_NCLBUTTONUP ||
                         Msg.Msg == WM_NCLBUTTONDBLCLK;
  const TPoint P = ToWindow(PointOf(Msg.LParam), NonClient);
  const bool Move = Msg.Msg == WM_NCMOUSEMOVE || Msg.Msg == WM_MOUSEMOVE;
  const bool Down = Msg.Msg == WM_NCLBUTTONDOWN || Msg.Msg == WM_NCLBUTTONDBLCLK;
  const bool Up = Msg.Msg == WM_NCLBUTTONUP || Msg.Msg == WM_LBUTTONUP;
  TVsSBHandlerCustom* Bars[2] = {FHorz.get(), FVert.get()};
  // A press on a bar never reaches the window, whose default handling would
  // run the system's scroll loop.
  bool Take = Down && ((Bars[0]->Visible() && InRect(Bars[0]->BarRect(), P)) ||
                       (Bars[1]->Visible() && InRect(Bars[1]->BarRect(), P)));
  for (int I = 0; I < 2; ++I) {
    TVsSBHandlerCustom* B = Bars[I];
    if (!B->Visible()) continue;
    TVsSBHandlerCustom* Other = Bars[1 - I];
    const bool Under = InRect(B->BarRect(), P) && !(Other->Visible() && Other->Pressed());
    const bool Busy = B->Pressed() || B->Dragging();
    const int X = P.x - B->BarRect().left, Y = P.y - B->BarRect().top;
    if (Under) {
      Take = true;
      if (!B->MouseInside()) {
        B->MouseEnter();
        // The window hears when the pointer leaves its frame, so that the
        // bar's hot part goes out again.
        if (NonClient && Move) {
          TRACKMOUSEEVENT Track{sizeof Track, TME_LEAVE | TME_NONCLIENT, BarWindow(), 0};
          TrackMouseEvent(&Track);
        }
      }
      if (Move)
        B->MouseMove(X, Y);
      else if (Down)
        B->MouseDown(X, Y);
      else if (Up)
        B->MouseUp(X, Y);
    } else {
      if (Busy) Take = true;
      if (Move) {
        if (B->MouseInside()) B->MouseLeave(false);
        B->MouseMove(X, Y);
      } else if (Down) {
        if (B->Dragging()) B->ClearPressedPart();
      } else if (Up) {
        B->MouseUp(X, Y);
      }
    }
  }
  if (!Take) {
    // Passed on without the scroll styles: the system would draw its own
    // bar over the custom one.
    if (NonClient) {
      CallControl(Msg, true);
      Handled = true;
    }
    return;
  }
  Handled = true;
  if (Msg.Msg == WM_NCMOUSEMOVE) {
    TMessage Passed = Msg;
    Passed.LParam = MAKELPARAM(-1, -1);
    CallControl(Passed, true);
    Msg.Result = Passed.Result;
  } else {
    Msg.Result = 0;
  }
}

void TVsSBController::LeaveMessage(TMessage& Msg) {
  for (TVsSBHandlerCustom* B : {static_cast<TVsSBHandlerCustom*>(FHorz.get()), static_cast<TVsSBHandlerCustom*>(FVert.get())})
    if (B->Visible()) B->MouseLeave(true);
  (void)Msg;
}

void TVsSBController::CancelMode() {
  BarReleaseCapture();
  for (TVsSBHandlerCustom* B : {static_cast<TVsSBHandlerCustom*>(FHorz.get()), static_cast<TVsSBHandlerCustom*>(FVert.get())}) {
    if (!B->Visible() || !(B->Pressed() || B->Dragging())) continue;
    if (B->MouseInside()) B->MouseLeave(false);
    B->MouseUp(-1, -1);
  }
}

void TVsSBController::BeforeMessage(TObject*, TMessage& Msg, bool& Handled) {
  if (!IsActive() || !BarWindow()) return;
  if (VS_SBCONTROL && Msg.Msg == VS_SBCONTROL) {
    Handled = true;
    if (Msg.WParam == SBControlGetAPI)
      Msg.Result = reinterpret_cast<LRESULT>(static_cast<IVsScrollBarAPI*>(this));
    else if (Msg.WParam == SBControlRepaint)
      BarRepaint(Msg.LParam > 1 ? 2 : static_cast<int>(Msg.LParam));
    return;
  }
  switch (Msg.Msg) {
    case WM_CANCELMODE:
      CancelMode();
      break;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
      if (FBusy) Handled = true;
      break;
    case WM_NCCALCSIZE:
      if (Msg.WParam != 0 && !FBusy) {
        NCCalcSize(Msg);
        Handled = true;
      }
      break;
    case WM_NCPAINT:
    case WM_NCACTIVATE:
      if (!FBusy && HasScrollStyle()) {
        NCPaint(Msg);
        Handled = true;
      }
      break;
    case WM_NCHITTEST:
      if (!FBusy) NCHitTest(Msg, Handled);
      break;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (!FBusy) MouseMessage(Msg, Handled);
      break;
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
      if (!FBusy) {
        LeaveMessage(Msg);
        if (Msg.Msg == WM_NCMOUSELEAVE) {
          CallControl(Msg, true);
          Handled = true;
        }
      }
      break;
    case CM_MOUSELEAVE:
    case CM_EXIT:
      LeaveMessage(Msg);
      break;
    default:
      break;
  }
}

void TVsSBController::AfterMessage(TObject*, TMessage& Msg, bool&) {
  if (!IsActive() || !BarWindow()) return;
  switch (Msg.Msg) {
    case WM_ENABLE:
    case WM_WINDOWPOSCHANGING:
      BarRepaint(2);
      break;
    case CM_WININICHANGE:
      if (Msg.WParam == SPI_SETNONCLIENTMETRICS) {
        FHorz->ApplySystemMetrics();
        FVert->ApplySystemMetrics();
        RecalcFrame();
        RedrawWindow(BarWindow(), nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
      }
      break;
    default:
      if (Msg.Msg == VS_THEMECHANGED && FUseXPThemes) {
        CloseTheme();
        OpenTheme();
      }
      break;
  }
}

// --- the bars' requests ---

void TVsSBController::BarScroll(TVsSBHandlerCustom* B, int Code, bool& Accept, int& Position) {
  Accept = false;
  TWinControl* C = Control();
  if (!C) return;
  const UINT Msg = B->Vertical() ? WM_VSCROLL : WM_HSCROLL;
  auto Send = [&](int SendCode, int Pos) {
    C->Perform(Msg, MAKEWPARAM(static_cast<WORD>(SendCode), static_cast<WORD>(Pos)), 0);
  };
  switch (Code) {
    case SB_LINEUP:
    case SB_LINEDOWN:
      if (B->UseSystemStep()) {
        const int Before = B->Position();
        Send(Code, 0);
        if (B->Position() != Before) return;
      }
      Send(SB_THUMBPOSITION, Position);
      break;
    case SB_PAGEUP:
    case SB_PAGEDOWN:
    case SB_THUMBPOSITION:
      Send(SB_THUMBPOSITION, Position);
      break;
    case SB_THUMBTRACK:
      if (Position != B->TrackPos()) Send(SB_THUMBTRACK, Position);
      break;
    case SB_TOP:
    case SB_BOTTOM:
    case SB_ENDSCROLL:
      Send(Code, 0);
      break;
    case sbcCustomEnd:
    case sbcCustomStart:
      Accept = true;
      break;
    default:
      break;
  }
}

void TVsSBController::BarCapture() {
  HWND Wnd = BarWindow();
  if (!Wnd) return;
  HWND Held = GetCapture();
  if (Held && Held != Wnd) FSavedCapture = Held;
  SetCapture(Wnd);
}

void TVsSBController::BarReleaseCapture() {
  HWND Wnd = BarWindow();
  if ((Wnd && GetCapture() == Wnd) || FSavedCapture) ReleaseCapture();
  FSavedCapture = nullptr;
}

// --- IVsScrollBarAPI ---

HRESULT __stdcall TVsSBController::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (IsEqualGUID(Iid, IID_IVsScrollBarAPI) || IsEqualGUID(Iid, IID_IUnknown)) {
    *Object = static_cast<IVsScrollBarAPI*>(this);
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

BOOL __stdcall TVsSBController::EnableScrollBar(int BarIndex, UINT Arrows) {
  try {
    bool Addressed = false;
    for (int I = 0; I < 2; ++I) {
      if (BarIndex != I && BarIndex != SB_BOTH) continue;
      Addressed = true;
      TVsSBHandlerCustom* B = Bar(I);
      if (Arrows == ESB_ENABLE_BOTH || Arrows == ESB_DISABLE_LTUP)
        B->SetNoDisableButtons(false);
      else if (Arrows == ESB_DISABLE_BOTH)
        B->SetNoDisableButtons(true);
    }
    return Addressed ? FALSE : TRUE;
  } catch (...) {
    return FALSE;
  }
}

BOOL __stdcall TVsSBController::GetScrollRange(int BarIndex, int* MinPos, int* MaxPos) {
  TVsSBHandlerCustom* B = Bar(BarIndex);
  if (!B) return FALSE;
  if (MinPos) *MinPos = B->Min();
  if (MaxPos) *MaxPos = B->Max();
  return TRUE;
}

int __stdcall TVsSBController::GetScrollPos(int BarIndex) {
  TVsSBHandlerCustom* B = Bar(BarIndex);
  return B ? B->Position() : 0;
}

BOOL __stdcall TVsSBController::GetScrollInfo(int BarIndex, SCROLLINFO* Info) {
  TVsSBHandlerCustom* B = Bar(BarIndex);
  return B && Info && B->GetScrollInfo(*Info) ? TRUE : FALSE;
}

int __stdcall TVsSBController::SetScrollInfo(int BarIndex, const SCROLLINFO* Info, BOOL Redraw) {
  try {
    TVsSBHandlerCustom* B = Bar(BarIndex);
    if (!B || !Info) return 0;
    return B->SetScrollInfo(*Info, Redraw != FALSE);
  } catch (...) {
    return 0;
  }
}

BOOL __stdcall TVsSBController::SetScrollRange(int BarIndex, int MinPos, int MaxPos, BOOL Redraw) {
  try {
    TVsSBHandlerCustom* B = Bar(BarIndex);
    if (!B) return FALSE;
    SCROLLINFO Info{};
    Info.cbSize = ScrollInfoMinSize;
    Info.fMask = SIF_RANGE;
    Info.nMin = MinPos;
    Info.nMax = MaxPos;
    B->SetScrollInfo(Info, Redraw != FALSE);
    if (B->Min() != MinPos || B->Max() != MaxPos) return FALSE;
    B->UpdateThumb();
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

BOOL __stdcall TVsSBController::ShowScrollBar(int BarIndex, BOOL Show) {
  try {
    HWND Wnd = BarWindow();
    if (!Wnd) return FALSE;
    LONG Bits = 0;
    if (BarIndex == SB_HORZ || BarIndex == SB_BOTH) Bits |= WS_HSCROLL;
    if (BarIndex == SB_VERT || BarIndex == SB_BOTH) Bits |= WS_VSCROLL;
    const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
    const bool WasBusy = FBusy;
    FBusy = true;
    SetWindowLongW(Wnd, GWL_STYLE, Show ? (Style | Bits) : (Style & ~Bits));
    FBusy = WasBusy;
    RecalcFrame();
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

int __stdcall TVsSBController::SetScrollPos(int BarIndex, int Pos, BOOL Redraw) {
  try {
    TVsSBHandlerCustom* B = Bar(BarIndex);
    if (!B) return 0;
    if (Pos < B->Min() || Pos > B->Max()) return B->Min() - 1;
    const int Old = B->Position();
    B->MovePosition(Pos);
    if (Redraw) B->Repaint();
    return Old;
  } catch (...) {
    return 0;
  }
}

void __stdcall TVsSBController::NotifyScrollInfo(int BarIndex, const SCROLLINFO* Info, BOOL Redraw) {
  try {
    TVsSBHandlerCustom* B = Bar(BarIndex);
    if (B && Info) B->NotifyScrollInfo(*Info, Redraw != FALSE);
  } catch (...) {
  }
}

void InitializeVsSBController() {
  InitializeVsScrollBar();
  RegisterClass<TVsSBController, TComponent>()
      .Bool("UseXPThemes", &TVsSBController::UseXPThemes, &TVsSBController::SetUseXPThemes, true)
      .Object("HorzScrollBarStyles", &TVsSBController::HorzScrollBarStyles,
              &TVsSBController::SetHorzScrollBarStyles)
      .Object("VertScrollBarStyles", &TVsSBController::VertScrollBarStyles,
              &TVsSBController::SetVertScrollBarStyles)
      .Event("OnPaintCrossScrollBarsArea", &TVsSBController::OnPaintCrossScrollBarsArea);
}
