// One custom scroll bar of a window: range, page and position, the layout of
// its buttons, thumb and track, the part under a point, the mouse with
// auto-repeat and thumb dragging, and painting (themed "SCROLLBAR" parts or
// a classic flat or framed look). Its controller places it in the window's
// non-client area and turns its requests into WM_HSCROLL and WM_VSCROLL.
#pragma once

#include <functional>
#include <memory>

#include "ExtCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "System.h"
#include "VsHintWindow.h"
#include "VsUxTheme.h"
#include "Win.h"

enum TVsScrollThumbMode { etmFixed, etmAuto };
enum TVsSecButtonsKind { sbkOpposite, sbkPage, sbkCustom };

// Parts of a bar.
constexpr int sbpNone = 0, sbpStartArrow = 1, sbpEndSecondary = 2, sbpEndArrow = 3, sbpStartSecondary = 4,
              sbpThumb = 5, sbpTrackBefore = 6, sbpTrackAfter = 7;
// Scroll codes of the custom secondary buttons (after the SB_ codes).
constexpr int sbcCustomEnd = 9, sbcCustomStart = 10;
// The smallest SCROLLINFO the services accept.
constexpr UINT ScrollInfoMinSize = 28;

class TVsSBHandlerCustom;

// What a bar needs of the controller that places it in a window.
class TVsSBOwner {
public:
  virtual ~TVsSBOwner() = default;
  // The controlled window, nullptr while it has none.
  virtual HWND BarWindow() const = 0;
  // The controlled window's owner is being read from a layout.
  virtual bool BarLoading() const = 0;
  // The controller is changing the window's styles itself.
  virtual bool BarBusy() const = 0;
  virtual bool BarWindowEnabled() const = 0;
  // The window is told of a scroll request; Accept says whether the bar
  // takes Position itself.
  virtual void BarScroll(TVsSBHandlerCustom* Bar, int Code, bool& Accept, int& Position) = 0;
  virtual void BarCapture() = 0;
  virtual void BarReleaseCapture() = 0;
  // 0 horizontal, 1 vertical, 2 both.
  virtual void BarRepaint(int Index) = 0;
  virtual void BarRecalcFrame() = 0;
  // The theme to draw with, nullptr for the classic look.
  virtual HTHEME BarTheme() const = 0;
  virtual TVsSBHandlerCustom* OtherBar(const TVsSBHandlerCustom* Bar) const = 0;
  // The window's left and top border widths.
  virtual TPoint BarBorderOrigin() const = 0;
};

using TVsScrollHintEvent = TMethodPtr<void(TObject* Sender, int Position, WideString& Hint)>;
using TVsScrollHitTestEvent = TMethodPtr<void(TObject* Sender, int X, int Y, bool& Accept, int& Part)>;

class TVsSBHandlerCustom : public TPersistent {
public:
  TVsSBHandlerCustom(TVsSBOwner* AOwner, bool AVertical);
  ~TVsSBHandlerCustom() override;
  void Assign(TPersistent* Source) override;

  // --- state ---
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  int Page() const { return FPage; }
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  // Takes Value as it is, without telling the window.
  void MovePosition(int Value) {
    FPosition = Value;
    UpdateThumb();
  }
  int TrackPos() const { return FTrackPos; }
  bool Vertical() const { return FVertical; }
  int BarIndex() const { return FVertical ? SB_VERT : SB_HORZ; }
  bool Enabled() const { return FEnabled; }
  TVsSBOwner* Owner() const { return FOwner; }

  // --- geometry ---
  // Along the axis and across it, in pixels.
  int Length() const { return FVertical ? FBarHeight : FBarWidth; }
  int Thickness() const { return FVertical ? FBarWidth : FBarHeight; }
  void SetLength(int Value);
  // The bar in window coordinates, inclusive.
  const TRect& BarRect() const { return FBarRect; }
  void SetBarRect(const TRect& R) { FBarRect = R; }
  int StartButtons() const;
  int EndButtons() const;
  int ButtonLength() const;
  int TrackLength() const;
  int ThumbLength() const;
  int ThumbOffset() const { return FThumbOffset; }
  // Recomputes the thumb offset from the position.
  void UpdateThumb() { FThumbOffset = GetThumbPos(); }
  int HitTest(int X, int Y);
  bool CanScrollUp() const;
  bool CanScrollDown() const;

  // --- services of the controller ---
  bool GetScrollInfo(SCROLLINFO& Info);
  int SetScrollInfo(const SCROLLINFO& Info, bool Redraw);
  void NotifyScrollInfo(const SCROLLINFO& Info, bool Redraw);
  // Takes the system bar's state of the window (or none without one).
  void ReadSystemState();
  // The button size and thickness of the system metrics.
  void ApplySystemMetrics();
  bool Visible();
  void SetVisible(bool Value);

  // --- mouse, in bar coordinates ---
  void MouseDown(int X, int Y);
  void MouseMove(int X, int Y);
  void MouseUp(int X, int Y);
  // A press elsewhere during a drag: the release then reports nothing.
  void ClearPressedPart() { FPressedPart = sbpNone; }
  void MouseEnter();
  // FromWindow: the window itself reported the pointer gone.
  void MouseLeave(bool FromWindow);
  // One auto-repeat step with the pointer at P.
  void RepeatTick(const TPoint& P);
  bool Pressed() const { return FPressed; }
  bool Dragging() const { return FDragging; }
  bool MouseInside() const { return FMouseInside; }
  int PressedPart() const { return FPressedPart; }
  int HotPart() const { return FHotPart; }
  // The auto-repeat timer, made on the first press (nil before it).
  TTimer* RepeatTimer() const { return FTimer.get(); }
  // The track hint while it is on the screen.
  TVsHintWindow* TrackHint() const { return FHint.get(); }

  // Paints the whole bar at (0, 0) of DC.
  void Paint(HDC DC);
  void Repaint();

  // --- published ---
  bool ActiveFlat() const { return FActiveFlat; }
  void SetActiveFlat(bool Value) { SetLook(FActiveFlat, Value); }
  bool AltDisablingArrows() const { return true; }
  void SetAltDisablingArrows(bool) {}
  TColor ArrowColor() const { return FArrowColor; }
  void SetArrowColor(TColor Value) { SetLook(FArrowColor, Value); }
  TColor ArrowHotTrackColor() const { return FArrowHotTrackColor; }
  void SetArrowHotTrackColor(TColor Value) { SetLook(FArrowHotTrackColor, Value); }
  int BarOffset() const { return FBarOffset; }
  void SetBarOffset(int Value) { SetLook(FBarOffset, Value < 0 ? 0 : Value); }
  TColor BarColor() const { return FBarColor; }
  void SetBarColor(TColor Value) { SetLook(FBarColor, Value); }
  bool BlendBackground() const { return FBlendBackground; }
  void SetBlendBackground(bool Value) { SetLook(FBlendBackground, Value); }
  int ButtonSize() const { return FButtonSize; }
  void SetButtonSize(int Value);
  bool ChangeColorsOnScroll() const { return FChangeColorsOnScroll; }
  void SetChangeColorsOnScroll(bool Value) { SetLook(FChangeColorsOnScroll, Value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { SetLook(FColor, Value); }
  int Width() const { return Thickness(); }
  void SetWidth(int Value);
  bool DrawArrowFrames() const { return FDrawArrowFrames; }
  void SetDrawArrowFrames(bool Value) { SetLook(FDrawArrowFrames, Value); }
  bool DrawBars() const { return FDrawBars; }
  void SetDrawBars(bool Value) { SetLook(FDrawBars, Value); }
  bool ShowBorder() const { return FShowBorder; }
  void SetShowBorder(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { SetLook(FFlat, Value); }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  TColor HintTextColor() const { return FHintTextColor; }
  void SetHintTextColor(TColor Value) { FHintTextColor = Value; }
  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool Value) { FIsHTML = Value; }
  int MinThumbSize() const { return FMinThumbSize; }
  void SetMinThumbSize(int Value);
  bool NoDisableButtons() const { return FNoDisableButtons; }
  void SetNoDisableButtons(bool Value) { SetLook(FNoDisableButtons, Value); }
  bool NoSunkenThumb() const { return FNoSunkenThumb; }
  void SetNoSunkenThumb(bool Value) { SetLook(FNoSunkenThumb, Value); }
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value) { SetLook(FOwnerDraw, Value); }
  bool SecondaryButtons() const { return FSecondaryButtons; }
  void SetSecondaryButtons(bool Value) { SetLayout(FSecondaryButtons, Value); }
  TVsSecButtonsKind SecondBtnKind() const { return FSecondBtnKind; }
  void SetSecondBtnKind(TVsSecButtonsKind Value) { SetLook(FSecondBtnKind, Value); }
  bool ShowLeftArrows() const { return FShowLeftArrows; }
  void SetShowLeftArrows(bool Value) { SetLayout(FShowLeftArrows, Value); }
  bool ShowRightArrows() const { return FShowRightArrows; }
  void SetShowRightArrows(bool Value) { SetLayout(FShowRightArrows, Value); }
  bool ShowTrackHint() const { return FShowTrackHint; }
  void SetShowTrackHint(bool Value) { FShowTrackHint = Value; }
  int Step() const { return FStep; }
  void SetStep(int Value) { FStep = Value; }
  bool SystemBkColor() const { return FSystemBkColor; }
  void SetSystemBkColor(bool Value) { SetLook(FSystemBkColor, Value); }
  bool ThinFrame() const { return FThinFrame; }
  void SetThinFrame(bool Value) { SetLook(FThinFrame, Value); }
  TVsScrollThumbMode ThumbMode() const { return FThumbMode; }
  void SetThumbMode(TVsScrollThumbMode Value);
  int ThumbSize() const { return FThumbSize; }
  void SetThumbSize(int Value);
  bool UseSystemMetrics() const { return FUseSystemMetrics; }
  void SetUseSystemMetrics(bool Value);
  bool UseSystemStep() const { return FUseSystemStep; }
  void SetUseSystemStep(bool Value) { FUseSystemStep = Value; }
  bool UseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool Value) { SetLook(FUseXPThemes, Value); }
  TObject* ImageForm() const { return nullptr; }
  void SetImageForm(TObject*) {}
  TNotifyEvent OnChange;

  // Events of the hooks that have no handler of their own.
  TVsScrollHintEvent OnScrollHintNeeded;
  TVsScrollHitTestEvent OnHitTest;

  // Whether a layout keeps the property: only without system metrics.
  bool IsButtonSizeStored() const { return !FUseSystemMetrics; }
  bool IsColorStored() const { return !FUseSystemMetrics; }
  bool IsWidthStored() const { return !FUseSystemMetrics; }

protected:
  virtual int GetThumbPos() const;
  virtual int GetPosFromThumb() const;
  virtual void DoChange();
  virtual void DoScroll(int Code, int& Position, bool& Accept);
  virtual void DoScrollHintNeeded(int Position, WideString& Hint);
  virtual void DoHitTest(int X, int Y, bool& Accept, int& Part);
  void DefineProperties(TFiler* Filer) override;

private:
  template <class T> void SetLook(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Repaint();
  }
  template <class T> void SetLayout(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    UpdateThumb();
    Repaint();
  }
  void ReadThinFrames(TReader* Reader);
  void ReadDrawFrames(TReader* Reader);
  // The scroll code and new position of a press on Part; false when the
  // press cannot act.
  bool PartAction(int Part, int PageStep, int& Code, int& NewPos) const;
  void Scroll(int Code, int Position);
  void StartRepeat();
  void StopRepeat();
  void TimerTick(TObject* Sender);
  TPoint CursorInBar() const;
  void ShowHint();
  void HideHint();
  bool WindowAlive() const;
  bool PaintEnabled() const;
  bool OtherPressed() const;
  int DefaultButtonLength() const;
  int SystemThumbLength() const;

  void PaintThemed(HDC DC, HTHEME Theme);
  void PaintClassic(HDC DC);
  void FillTrack(HDC DC, const TRect& R, HTHEME Theme);
  TRect PartRect(int Part) const;
  // The buttons present, in painting order: the arrows, then the
  // secondary buttons.
  void EachButton(const std::function<void(int Part)>& Paint) const;
  // The track between the buttons.
  TRect WholeTrack() const;
  void DrawSecondaryGlyphs(TCanvas* Canvas, int Part, const TRect& R, TColor Color, bool Enabled) const;
  int ArrowState(int Part, bool CanAct) const;
  bool ArrowCanAct(int Direction) const;
  int PartDirection(int Part) const;

  TVsSBOwner* FOwner;
  int FMin = 0, FMax = -1, FPage = 14, FPosition = -1;
  int FTrackPos = -1;
  bool FVertical;
  int FBarWidth = 121, FBarHeight = 0;
  TRect FBarRect{0, 0, 0, 0};
  bool FUseSystemMetrics = true;
  bool FEnabled = false;
  int FThumbOffset = 0;
  int FThumbSize = 0;
  int FMinThumbSize = 12;
  TVsScrollThumbMode FThumbMode = etmAuto;
  bool FNoSunkenThumb = false;
  int FButtonSize = 17;
  bool FFlat = true, FActiveFlat = false, FThinFrame = false, FShowBorder = true, FDrawArrowFrames = true;
  bool FDrawBars = true;
  int FBarOffset = 2;
  TColor FColor = clBtnFace, FBarColor = clBtnShadow, FArrowColor = clBtnText, FArrowHotTrackColor = clHighlight;
  bool FShowLeftArrows = true, FShowRightArrows = true, FChangeColorsOnScroll = true, FBlendBackground = true;
  bool FShowTrackHint = false, FNoDisableButtons = false, FOwnerDraw = false, FSecondaryButtons = false;
  TVsSecButtonsKind FSecondBtnKind = sbkOpposite;
  bool FIsHTML = false;
  TOwned<TTimer> FTimer;
  int FGrabOffset = 0, FPressPosition = 0, FPressCoord = 0;
  int FPressedPart = sbpNone, FHotPart = sbpNone;
  TOwned<TVsHintWindow> FHint;
  TPoint FPressPoint{0, 0};
  bool FPressed = false, FDragging = false;
  bool FUseXPThemes = true;
  bool FVisible = true;
  TColor FHintColor = clInfoBk, FHintTextColor = clInfoText;
  bool FSystemBkColor = true;
  int FStep = 1;
  bool FUseSystemStep = true;
  bool FMouseInside = false;
};

// The bar as the edit, memo and list box publish it.
class TVsCtrlScrollBarStyles : public TVsSBHandlerCustom {
public:
  using TVsSBHandlerCustom::TVsSBHandlerCustom;
};

// The 8 x 8 track pattern shared by every bar: Color where i xor j is odd,
// else the light colour.
HBITMAP ScrollPatternBitmap();
// The light and dark shades of a track colour.
TColor ScrollLightColor(TColor Color);
TColor ScrollDarkColor(TColor Color);

// Registers the published class.
void InitializeVsScrollBar();
