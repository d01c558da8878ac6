// Two custom scroll bars in place of a window's system bars: the controller
// hooks the window's procedure, hides the system bars from the window's own
// non-client calculation and painting, reserves room for its bars, paints
// them, routes the mouse to them and turns their requests into WM_HSCROLL
// and WM_VSCROLL. The window's own scrolling code keeps calling the system's
// scroll-bar functions, which the patch routes to IVsScrollBarAPI.
#pragma once

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "VsHook.h"
#include "VsSBPatch.h"
#include "VsScrollBar.h"

using TVsPaintCrossAreaEvent =
    TMethodPtr<void(TObject* Sender, TCanvas* Canvas, const TRect& R, bool& DefaultDraw)>;

class TVsSBController : public TComponent, public IVsScrollBarAPI, public TVsSBOwner {
public:
  explicit TVsSBController(TComponent* AOwner);
  ~TVsSBController() override;

  TWinControl* Control() const;
  void SetControl(TWinControl* Value);
  bool UseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool Value);
  TVsCtrlScrollBarStyles* HorzScrollBarStyles() const { return FHorz.get(); }
  void SetHorzScrollBarStyles(TVsCtrlScrollBarStyles* Value) { FHorz->Assign(Value); }
  TVsCtrlScrollBarStyles* VertScrollBarStyles() const { return FVert.get(); }
  void SetVertScrollBarStyles(TVsCtrlScrollBarStyles* Value) { FVert->Assign(Value); }
  // 0 horizontal, 1 vertical; nullptr for any other index.
  TVsCtrlScrollBarStyles* Bar(int Index) const;
  // A control is set and the patch is in force.
  bool IsActive() const;
  // The window's own border widths from its last non-client calculation.
  const TRect& Borders() const { return FBorders; }
  IVsScrollBarAPI* API() { return this; }

  TVsPaintCrossAreaEvent OnPaintCrossScrollBarsArea;

  // --- IVsScrollBarAPI ---
  HRESULT __stdcall QueryInterface(REFIID Iid, void** Object) override;
  ULONG __stdcall AddRef() override { return 1; }
  ULONG __stdcall Release() override { return 1; }
  BOOL __stdcall EnableScrollBar(int BarIndex, UINT Arrows) override;
  BOOL __stdcall GetScrollRange(int BarIndex, int* MinPos, int* MaxPos) override;
  int __stdcall GetScrollPos(int BarIndex) override;
  BOOL __stdcall GetScrollInfo(int BarIndex, SCROLLINFO* Info) override;
  int __stdcall SetScrollInfo(int BarIndex, const SCROLLINFO* Info, BOOL Redraw) override;
  BOOL __stdcall SetScrollRange(int BarIndex, int MinPos, int MaxPos, BOOL Redraw) override;
  BOOL __stdcall ShowScrollBar(int BarIndex, BOOL Show) override;
  int __stdcall SetScrollPos(int BarIndex, int Pos, BOOL Redraw) override;
  void __stdcall NotifyScrollInfo(int BarIndex, const SCROLLINFO* Info, BOOL Redraw) override;

  // --- TVsSBOwner ---
  HWND BarWindow() const override;
  bool BarLoading() const override;
  bool BarBusy() const override { return FBusy; }
  bool BarWindowEnabled() const override;
  void BarScroll(TVsSBHandlerCustom* Bar, int Code, bool& Accept, int& Position) override;
  void BarCapture() override;
  void BarReleaseCapture() override;
  void BarRepaint(int Index) override;
  void BarRecalcFrame() override;
  HTHEME BarTheme() const override;
  TVsSBHandlerCustom* OtherBar(const TVsSBHandlerCustom* Bar) const override;
  TPoint BarBorderOrigin() const override { return TPoint{FBorders.left, FBorders.top}; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void BeforeMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  void AfterMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  // The control's own procedure, with the scroll styles removed meanwhile
  // when RemoveStyles (the controller busy throughout).
  void CallControl(TMessage& Msg, bool RemoveStyles);
  void NCCalcSize(TMessage& Msg);
  void NCPaint(TMessage& Msg);
  void NCHitTest(TMessage& Msg, bool& Handled);
  void MouseMessage(TMessage& Msg, bool& Handled);
  void LeaveMessage(TMessage& Msg);
  void CancelMode();
  void PaintCorner();
  void PaintBar(TVsSBHandlerCustom* Bar, HDC WindowDC);
  // Screen or client point of the window to window coordinates.
  TPoint ToWindow(TPoint P, bool Screen) const;
  bool LeftScrollBar() const;
  bool HasScrollStyle() const;
  void OpenTheme();
  void CloseTheme();
  void RecalcFrame();

  TVsHook* FHook;
  HWND FSavedCapture = nullptr;
  TOwned<TVsCtrlScrollBarStyles> FHorz;
  TOwned<TVsCtrlScrollBarStyles> FVert;
  TRect FBorders{0, 0, 0, 0};
  HTHEME FTheme = nullptr;
  bool FUseXPThemes = true;
  bool FBusy = false;
};

// Registers the controller's class.
void InitializeVsSBController();
