#include "VsThemedControl.h"

#include "TypInfo.h"
#include "VsUxTheme.h"

UINT ThemedBevelEdge(TBevelCut Inner, TBevelCut Outer) {
  static const UINT InnerStyles[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
  static const UINT OuterStyles[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
  return InnerStyles[Inner] | OuterStyles[Outer];
}

UINT ThemedBevelFlags(TBevelKind Kind, TBevelEdges Edges, bool Ctl3D) {
  static const UINT EdgeStyles[] = {0, 0, BF_SOFT, BF_FLAT};
  UINT Flags = EdgeStyles[Kind] | (Ctl3D ? 0 : BF_MONO) | BF_ADJUST;
  if (Edges.Contains(beLeft)) Flags |= BF_LEFT;
  if (Edges.Contains(beTop)) Flags |= BF_TOP;
  if (Edges.Contains(beRight)) Flags |= BF_RIGHT;
  if (Edges.Contains(beBottom)) Flags |= BF_BOTTOM;
  return Flags;
}

TVsXPThemedControl::TVsXPThemedControl(TComponent* AOwner)
    : TCustomControl(AOwner), FStyleLink(std::make_unique<TVsStyleMgrChangeLink>()) {
  FStyleLink->OnChange = TNotifyEvent(this, &TVsXPThemedControl::StyleMgrChanged);
}

TVsXPThemedControl::~TVsXPThemedControl() { SetStyleManager(nullptr); }

void TVsXPThemedControl::SetUseXPThemes(bool Value) {
  if (FUseXPThemes == Value) return;
  FUseXPThemes = Value;
  if (!ThemesAvailable || !HandleAllocated() || ComponentState().Contains(csDestroying)) return;
  if (Value)
    CreateThemeHandle();
  else
    FreeThemeHandle();
  RecreateWnd();
}

void TVsXPThemedControl::CreateThemeHandle() {
  FTheme = ThemesAvailable && VsUxThemeApi.OpenThemeData
               ? VsUxThemeApi.OpenThemeData(Handle(), GetThemedClassName().c_str())
               : nullptr;
}

void TVsXPThemedControl::FreeThemeHandle() {
  if (ThemesAvailable && FTheme && VsUxThemeApi.CloseThemeData) VsUxThemeApi.CloseThemeData(FTheme);
  FTheme = nullptr;
}

void TVsXPThemedControl::CreateWnd() {
  TCustomControl::CreateWnd();
  if (FUseXPThemes && !IsThemeApplied()) CreateThemeHandle();
}

void TVsXPThemedControl::DestroyWnd() {
  TCustomControl::DestroyWnd();
  if (IsThemeApplied()) FreeThemeHandle();
}

void TVsXPThemedControl::SetStyleManager(TVsStyleManager* Value) {
  if (RelinkStyleManager(this, FStyleLink.get(), FStyleManager, Value)) UpdateStyle();
}

void TVsXPThemedControl::SetStyleName(const AnsiString& Value) {
  if (FStyleName == Value) return;
  FStyleName = Value;
  UpdateStyle();
}

void TVsXPThemedControl::UpdateStyle() {
  if (!FStyleManager) return;
  const bool Window = HandleAllocated();
  if (Window) SendMessageW(FHandle, WM_SETREDRAW, 0, 0);
  try {
    FStyleManager->ApplyStyle(this, FStyleName);
  } catch (...) {
    // The control must not stay frozen when a style value is refused.
    if (HandleAllocated()) SendMessageW(FHandle, WM_SETREDRAW, 1, 0);
    throw;
  }
  if (HandleAllocated()) {
    SendMessageW(FHandle, WM_SETREDRAW, 1, 0);
    Invalidate();
  }
}

void TVsXPThemedControl::StyleMgrChanged(TObject*) { UpdateStyle(); }

void TVsXPThemedControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FStyleManager) SetStyleManager(nullptr);
}

void TVsXPThemedControl::PaintThemedBevel() {
  if (!IsThemeApplied() || (BevelKind() == bkNone && BorderWidth() <= 0)) return;
  HDC DC = GetWindowDC(FHandle);
  if (!DC) return;
  RECT RC, RW;
  GetClientRect(FHandle, &RC);
  GetWindowRect(FHandle, &RW);
  MapWindowPoints(nullptr, FHandle, reinterpret_cast<POINT*>(&RW), 2);
  OffsetRect(&RC, -RW.left, -RW.top);
  ExcludeClipRect(DC, RC.left, RC.top, RC.right, RC.bottom);
  InflateRect(&RC, BorderWidth(), BorderWidth());
  RW = RC;
  if (BevelKind() != bkNone) {
    int EdgeSize = 0;
    if (BevelInner() != bvNone) EdgeSize += BevelWidth();
    if (BevelOuter() != bvNone) EdgeSize += BevelWidth();
    const TBevelEdges Edges = BevelEdges();
    if (Edges.Contains(beLeft)) RW.left -= EdgeSize;
    if (Edges.Contains(beTop)) RW.top -= EdgeSize;
    if (Edges.Contains(beRight)) RW.right += EdgeSize;
    if (Edges.Contains(beBottom)) RW.bottom += EdgeSize;
    const LONG Style = GetWindowLongW(FHandle, GWL_STYLE);
    // The vertical bar sits on the left of a window laid out right to left.
    if (Style & WS_VSCROLL) {
      if (GetWindowLongW(FHandle, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)
        RW.left -= GetSystemMetrics(SM_CXVSCROLL);
      else
        RW.right += GetSystemMetrics(SM_CXVSCROLL);
    }
    if (Style & WS_HSCROLL) RW.bottom += GetSystemMetrics(SM_CYHSCROLL);
    if (VsUxThemeApi.DrawThemeEdge)
      VsUxThemeApi.DrawThemeEdge(FTheme, DC, 0, 0, &RW, ThemedBevelEdge(BevelInner(), BevelOuter()),
                                 ThemedBevelFlags(BevelKind(), Edges, Ctl3D()), &RC);
  }
  IntersectClipRect(DC, RW.left, RW.top, RW.right, RW.bottom);
  if (VsUxThemeApi.DrawThemeBackground) VsUxThemeApi.DrawThemeBackground(FTheme, DC, 0, 0, &RC, nullptr);
  ReleaseDC(FHandle, DC);
}

void TVsXPThemedControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT:
      if (!IsThemeApplied()) break;
      PaintThemedBevel();
      DefaultHandler(&Message);
      return;
    case VS_GETTHEMEHANDLE:
      Message.Result = reinterpret_cast<LRESULT>(FTheme);
      return;
    case VS_THEMECHANGED:
      if (ThemesAvailable && FUseXPThemes) {
        FreeThemeHandle();
        CreateThemeHandle();
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
        RedrawWindow(FHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
      }
      Message.Result = 1;
      return;
    default:
      break;
  }
  TCustomControl::WndProc(Message);
}

void InitializeVsThemedControl() {
  InitializeVsStyleMgr();
  RegisterClass<TVsXPThemedControl, TCustomControl>()
      .Object("StyleManager", &TVsXPThemedControl::StyleManager, &TVsXPThemedControl::SetStyleManager)
      .Str("StyleName", &TVsXPThemedControl::StyleName, &TVsXPThemedControl::SetStyleName);
}
