#include "VsScrollBar.h"

#include <algorithm>
#include <functional>

#include "Filer.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"

namespace {

HBITMAP GPattern = nullptr;
int GPatternUsers = 0;

// Visual-style parts and states of "SCROLLBAR".
constexpr int ThemePartArrow = 1, ThemePartThumbHorz = 2, ThemePartThumbVert = 3, ThemePartLowerTrackHorz = 4,
              ThemePartUpperTrackHorz = 5, ThemePartLowerTrackVert = 6, ThemePartUpperTrackVert = 7,
              ThemePartGripperHorz = 8, ThemePartGripperVert = 9, ThemePartSecondary = 2;
constexpr int StateNormal = 1, StateHot = 2, StatePressed = 3, StateDisabled = 4;
constexpr int ThemeColorScrollBar = 1601;

// Glyph directions of VsDrawArrow.
constexpr int DirLeft = 0, DirUp = 1, DirRight = 2, DirDown = 3;

int Clamp(int V, int Lo, int Hi) { return V < Lo ? Lo : (V > Hi ? Hi : V); }

TColor WithLightness(TColor Color, int Delta) {
  const TColor HLS = ColorToHLS(ColorToRGB(Color));
  const int L = (HLS >> 8) & 0xFF;
  const int NewL = Clamp(L + Delta * (L / 4), 0, 255);
  return HLSToColor((HLS & ~0xFF00) | (NewL << 8));
}

void MakePattern(TColor Color) {
  const COLORREF Light = static_cast<COLORREF>(ColorToRGB(ScrollLightColor(Color)));
  const COLORREF Base = static_cast<COLORREF>(ColorToRGB(Color));
  HDC Screen = GetDC(nullptr);
  GPattern = CreateCompatibleBitmap(Screen, 8, 8);
  HDC DC = CreateCompatibleDC(Screen);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ Old = SelectObject(DC, GPattern);
  for (int I = 0; I < 8; ++I)
    for (int J = 0; J < 8; ++J) SetPixel(DC, I, J, ((I ^ J) & 1) ? Base : Light);
  SelectObject(DC, Old);
  DeleteDC(DC);
}

}  // namespace

HBITMAP ScrollPatternBitmap() { return GPattern; }

TColor ScrollLightColor(TColor Color) {
  if (Color == clBtnFace) return clBtnHighlight;
  return WithLightness(Color, 1);
}

TColor ScrollDarkColor(TColor Color) {
  if (Color == clBtnFace) return clBtnShadow;
  return WithLightness(Color, -1);
}

// --- construction ---

TVsSBHandlerCustom::TVsSBHandlerCustom(TVsSBOwner* AOwner, bool AVertical) : FOwner(AOwner), FVertical(AVertical) {
  FBarHeight = GetSystemMetrics(SM_CYHSCROLL);
  if (FVertical) std::swap(FBarWidth, FBarHeight);
  if (GPatternUsers++ == 0) MakePattern(FColor);
}

TVsSBHandlerCustom::~TVsSBHandlerCustom() {
  FHint.reset();
  FTimer.reset();
  if (--GPatternUsers == 0 && GPattern) {
    DeleteObject(GPattern);
    GPattern = nullptr;
  }
}

void TVsSBHandlerCustom::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TVsSBHandlerCustom*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  SetUseSystemMetrics(S->UseSystemMetrics());
  SetActiveFlat(S->ActiveFlat());
  SetArrowColor(S->ArrowColor());
  SetArrowHotTrackColor(S->ArrowHotTrackColor());
  SetBarOffset(S->BarOffset());
  SetBarColor(S->BarColor());
  SetBlendBackground(S->BlendBackground());
  SetButtonSize(S->ButtonSize());
  SetChangeColorsOnScroll(S->ChangeColorsOnScroll());
  SetColor(S->Color());
  SetWidth(S->Width());
  SetDrawArrowFrames(S->DrawArrowFrames());
  SetDrawBars(S->DrawBars());
  SetShowBorder(S->ShowBorder());
  SetFlat(S->Flat());
  SetHintColor(S->HintColor());
  SetHintTextColor(S->HintTextColor());
  SetIsHTML(S->IsHTML());
  SetMinThumbSize(S->MinThumbSize());
  SetNoDisableButtons(S->NoDisableButtons());
  SetNoSunkenThumb(S->NoSunkenThumb());
  SetOwnerDraw(S->OwnerDraw());
  SetSecondaryButtons(S->SecondaryButtons());
  SetSecondBtnKind(S->SecondBtnKind());
  SetShowLeftArrows(S->ShowLeftArrows());
  SetShowRightArrows(S->ShowRightArrows());
  SetShowTrackHint(S->ShowTrackHint());
  SetStep(S->Step());
  SetSystemBkColor(S->SystemBkColor());
  SetThinFrame(S->ThinFrame());
  SetThumbSize(S->ThumbSize());
  SetThumbMode(S->ThumbMode());
  SetUseSystemStep(S->UseSystemStep());
  SetUseXPThemes(S->UseXPThemes());
  OnChange = S->OnChange;
}

void TVsSBHandlerCustom::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  // Older layouts: read, never written again.
  Filer->DefineProperty("ThinFrames", [this](TReader* R) { ReadThinFrames(R); }, nullptr, false);
  Filer->DefineProperty("DrawFrames", [this](TReader* R) { ReadDrawFrames(R); }, nullptr, false);
  Filer->DefineProperty("Enabled", [](TReader* R) { GetVsReader()->SkipBoolean(R); }, nullptr, false);
}

void TVsSBHandlerCustom::ReadThinFrames(TReader* Reader) { SetThinFrame(Reader->ReadBoolean()); }
void TVsSBHandlerCustom::ReadDrawFrames(TReader* Reader) { SetShowBorder(Reader->ReadBoolean()); }

// --- helpers ---

bool TVsSBHandlerCustom::WindowAlive() const { return FOwner && FOwner->BarWindow(); }

void TVsSBHandlerCustom::Repaint() {
  if (FOwner) FOwner->BarRepaint(BarIndex());
}

int TVsSBHandlerCustom::DefaultButtonLength() const {
  if (FUseSystemMetrics) return GetSystemMetrics(FVertical ? SM_CYVSCROLL : SM_CXHSCROLL);
  return FButtonSize;
}

int TVsSBHandlerCustom::SystemThumbLength() const { return GetSystemMetrics(FVertical ? SM_CYVTHUMB : SM_CXHTHUMB); }

void TVsSBHandlerCustom::SetLength(int Value) {
  (FVertical ? FBarHeight : FBarWidth) = Value;
  UpdateThumb();
}

// --- geometry ---

int TVsSBHandlerCustom::StartButtons() const { return FShowLeftArrows ? (FSecondaryButtons ? 2 : 1) : 0; }
int TVsSBHandlerCustom::EndButtons() const { return FShowRightArrows ? (FSecondaryButtons ? 2 : 1) : 0; }

int TVsSBHandlerCustom::ButtonLength() const {
  const int N = StartButtons() + EndButtons();
  const int Bs = DefaultButtonLength();
  if (N > 0 && Length() < Bs * N) return Length() / N;
  return Bs;
}

int TVsSBHandlerCustom::TrackLength() const {
  return Length() - ButtonLength() * (StartButtons() + EndButtons());
}

int TVsSBHandlerCustom::ThumbLength() const {
  const int T = TrackLength();
  int Thumb;
  if (FThumbMode == etmFixed) {
    Thumb = FUseSystemMetrics ? SystemThumbLength() : FThumbSize;
  } else {
    if (T < 0) return 0;
    const int Range = FMax - FMin + 1;
    if (FPage != 0 && FMax - FMin >= FPage)
      Thumb = ::MulDiv(std::min(FPage, Range), T, Range);
    else if (FPage == 0 && FMax > FMin)
      Thumb = SystemThumbLength();
    else
      Thumb = T;
    Thumb = std::max(Thumb, FMinThumbSize);
  }
  return Thumb > T ? 0 : Thumb;
}

int TVsSBHandlerCustom::GetThumbPos() const {
  const int Bs = ButtonLength();
  const int Start = StartButtons() * Bs;
  const int Thumb = ThumbLength();
  if (Thumb + Bs * (StartButtons() + EndButtons()) < Length() && FMax >= FMin) {
    const int Shown = std::min(FPage, FMax - FMin + 1);
    return Start + std::max(0, ::MulDiv(TrackLength() - Thumb, std::min(FMax - FPage + 1, FPosition) - FMin,
                                        FMax - FMin - Shown + 1));
  }
  return Start;
}

int TVsSBHandlerCustom::GetPosFromThumb() const {
  const int Free = TrackLength() - ThumbLength();
  const int Top = std::max(FMin, FMax - FPage + 1);
  // A thumb that fills the track has nowhere to go: the start of the range.
  if (Free <= 0) return FMin;
  const int Shown = std::min(FPage, FMax - FMin + 1);
  const int P =
      FMin + ::MulDiv(FThumbOffset - StartButtons() * ButtonLength(), FMax - FMin - Shown + 1, Free);
  return Clamp(P, FMin, Top);
}

bool TVsSBHandlerCustom::CanScrollUp() const { return FPosition > FMin && FMax - FMin >= FPage; }
bool TVsSBHandlerCustom::CanScrollDown() const { return FPosition < FMax - FPage + 1 && FMax - FMin >= FPage; }

int TVsSBHandlerCustom::HitTest(int X, int Y) {
  bool Accept = false;
  int Part = sbpNone;
  DoHitTest(X, Y, Accept, Part);
  if (Accept) return Part;
  const int Across = FVertical ? X : Y;
  const int C = FVertical ? Y : X;
  if (Across < 0 || Across > Thickness()) return sbpNone;
  const int Bs = ButtonLength(), L = Length();
  if (FShowLeftArrows && C >= 0 && C <= Bs) return sbpStartArrow;
  if (FShowRightArrows && L - C < Bs) return sbpEndArrow;
  if (FSecondaryButtons) {
    if (FShowLeftArrows && C >= Bs && C <= 2 * Bs) return sbpStartSecondary;
    if (FShowRightArrows && C >= L - 2 * Bs && C <= L - Bs) return sbpEndSecondary;
  }
  if (C < FThumbOffset) return sbpTrackBefore;
  if (C < FThumbOffset + ThumbLength()) return sbpThumb;
  return sbpTrackAfter;
}

// --- position and notifications ---

void TVsSBHandlerCustom::SetPosition(int Value) {
  if (Value == FPosition) return;
  const int Old = FPosition;
  const bool Loading = FOwner && FOwner->BarLoading();
  if (Loading) {
    FPosition = Value;
  } else {
    FPosition = Clamp(Value, FMin, std::max(FMin, FMax));
    UpdateThumb();
    if (FPosition != Old && WindowAlive()) Repaint();
  }
  int Requested = Value;
  bool Accept = true;
  DoScroll(SB_THUMBPOSITION, Requested, Accept);
}

void TVsSBHandlerCustom::DoChange() {
  if (OnChange) OnChange(this);
}

void TVsSBHandlerCustom::DoScroll(int Code, int& Position, bool& Accept) {
  Accept = true;
  if (FOwner) FOwner->BarScroll(this, Code, Accept, Position);
}

void TVsSBHandlerCustom::DoScrollHintNeeded(int Position, WideString& Hint) {
  if (OnScrollHintNeeded) OnScrollHintNeeded(this, Position, Hint);
}

void TVsSBHandlerCustom::DoHitTest(int X, int Y, bool& Accept, int& Part) {
  if (OnHitTest) OnHitTest(this, X, Y, Accept, Part);
}

void TVsSBHandlerCustom::Scroll(int Code, int Position) {
  bool Accept = true;
  DoScroll(Code, Position, Accept);
  if (!Accept) return;
  SetPosition(Position);
  DoChange();
}

// --- services ---

bool TVsSBHandlerCustom::GetScrollInfo(SCROLLINFO& Info) {
  if (Info.cbSize < ScrollInfoMinSize) return false;
  if (Info.fMask & SIF_PAGE) Info.nPage = static_cast<UINT>(FPage);
  if (Info.fMask & SIF_POS) Info.nPos = FPosition;
  if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = GetPosFromThumb();
  if (Info.fMask & SIF_RANGE) {
    Info.nMin = FMin;
    Info.nMax = FMax;
  }
  return true;
}

int TVsSBHandlerCustom::SetScrollInfo(const SCROLLINFO& Info, bool Redraw) {
  if (Info.cbSize < ScrollInfoMinSize) return FPosition;
  const int Page = static_cast<int>(Info.nPage);
  if (Info.fMask & SIF_RANGE) {
    if (Info.nMax >= Info.nMin) {
      if (Info.fMask & SIF_POS) {
        FMin = Info.nMin;
        FMax = Info.nMax;
        FPosition = Clamp(Info.nPos, FMin, FMax);
        if (Info.fMask & SIF_PAGE) FPage = Page;
      } else if (FPosition >= Info.nMin && FPosition <= Info.nMax) {
        FMin = Info.nMin;
        FMax = Info.nMax;
        if (Info.fMask & SIF_PAGE) FPage = Page;
      }
    }
  } else if (Info.fMask & SIF_POS) {
    if (Info.nPos >= FMin && Info.nPos <= FMax) {
      FPosition = Info.nPos;
      if (Info.fMask & SIF_PAGE) FPage = Page;
    }
  } else if (Info.fMask & SIF_PAGE) {
    FPage = Page;
  }
  UpdateThumb();
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  bool StyleSet = false;
  if (Wnd && FVisible) {
    const LONG Bit = FVertical ? WS_VSCROLL : WS_HSCROLL;
    const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
    if (!(Style & Bit)) {
      SetWindowLongW(Wnd, GWL_STYLE, Style | Bit);
      StyleSet = true;
    }
  }
  if (Redraw && Wnd) {
    if (StyleSet)
      FOwner->BarRecalcFrame();
    else
      SendMessageW(Wnd, WM_NCPAINT, 1, 0);
  }
  return FPosition;
}

void TVsSBHandlerCustom::NotifyScrollInfo(const SCROLLINFO& Info, bool Redraw) {
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  int WindowLength = 0;
  if (Wnd) {
    RECT R;
    GetWindowRect(Wnd, &R);
    WindowLength = FVertical ? R.bottom - R.top : R.right - R.left;
    if (TVsSBHandlerCustom* Other = FOwner->OtherBar(this)) WindowLength -= Other->Thickness();
  }
  const bool WasShort = FMax - FMin < WindowLength;
  if (Info.fMask & SIF_RANGE) {
    FMin = Info.nMin;
    FMax = Info.nMax;
  }
  if (Info.fMask & SIF_PAGE) FPage = static_cast<int>(Info.nPage);
  if (Info.fMask & SIF_POS) FPosition = Info.nPos;
  if (Info.fMask & SIF_TRACKPOS) FTrackPos = Info.nTrackPos;
  UpdateThumb();
  FEnabled = !(Info.fMask & SIF_DISABLENOSCROLL) && FMin < FMax;
  const bool CameIntoView = Wnd && WasShort && FMax - FMin >= WindowLength;
  if (!FOwner) return;
  if (Redraw)
    FOwner->BarRepaint(CameIntoView ? 2 : BarIndex());
  else if (CameIntoView)
    FOwner->BarRepaint(1 - BarIndex());
}

void TVsSBHandlerCustom::ReadSystemState() {
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  if (!Wnd) {
    FPosition = -1;
    FTrackPos = -1;
    FThumbOffset = 0;
    return;
  }
  SCROLLINFO Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = SIF_ALL;
  ::GetScrollInfo(Wnd, BarIndex(), &Info);
  NotifyScrollInfo(Info, false);
}

void TVsSBHandlerCustom::ApplySystemMetrics() {
  if (!FUseSystemMetrics) return;
  if (FVertical) {
    FButtonSize = GetSystemMetrics(SM_CYVSCROLL);
    FBarWidth = GetSystemMetrics(SM_CYHSCROLL);
  } else {
    FButtonSize = GetSystemMetrics(SM_CXHSCROLL);
    FBarHeight = GetSystemMetrics(SM_CXVSCROLL);
  }
  UpdateThumb();
}

bool TVsSBHandlerCustom::Visible() {
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  if (Wnd && !FOwner->BarBusy())
    FVisible = (GetWindowLongW(Wnd, GWL_STYLE) & (FVertical ? WS_VSCROLL : WS_HSCROLL)) != 0;
  return FVisible;
}

void TVsSBHandlerCustom::SetVisible(bool Value) {
  FVisible = Value;
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  if (!Value && Wnd && FMin < FMax) {
    SCROLLINFO Info{};
    Info.cbSize = sizeof Info;
    Info.fMask = SIF_RANGE;
    ::SetScrollInfo(Wnd, BarIndex(), &Info, FALSE);
    Repaint();
  }
}

// --- setters ---

void TVsSBHandlerCustom::SetButtonSize(int Value) {
  if (Value <= 0 || Value == FButtonSize) return;
  if (WindowAlive() && Value * 2 > Length()) return;
  FButtonSize = Value;
  UpdateThumb();
  Repaint();
}

void TVsSBHandlerCustom::SetThumbSize(int Value) {
  if (Value <= 0 || Value == FThumbSize) return;
  FThumbSize = Value;
  UpdateThumb();
  Repaint();
}

void TVsSBHandlerCustom::SetMinThumbSize(int Value) {
  if (Value <= 0 || Value == FMinThumbSize) return;
  FMinThumbSize = Value;
  UpdateThumb();
  Repaint();
}

void TVsSBHandlerCustom::SetThumbMode(TVsScrollThumbMode Value) {
  if (Value == FThumbMode) return;
  FThumbMode = Value;
  if (FThumbMode == etmFixed && FUseSystemMetrics) FThumbSize = SystemThumbLength();
  UpdateThumb();
  Repaint();
}

void TVsSBHandlerCustom::SetShowBorder(bool Value) {
  if (Value == FShowBorder) return;
  FShowBorder = Value;
  if (!Value) FDrawArrowFrames = false;
  Repaint();
}

void TVsSBHandlerCustom::SetUseSystemMetrics(bool Value) {
  if (Value == FUseSystemMetrics) return;
  FUseSystemMetrics = Value;
  if (Value && WindowAlive() && !FOwner->BarLoading()) {
    ApplySystemMetrics();
    FOwner->BarRecalcFrame();
  } else {
    UpdateThumb();
  }
}

void TVsSBHandlerCustom::SetWidth(int Value) {
  if (Value == Thickness()) return;
  if (WindowAlive() && FUseSystemMetrics) return;
  (FVertical ? FBarWidth : FBarHeight) = Value;
  if (FOwner) FOwner->BarRecalcFrame();
}

// --- mouse ---

bool TVsSBHandlerCustom::PartAction(int Part, int PageStep, int& Code, int& NewPos) const {
  switch (Part) {
    case sbpStartArrow:
      Code = SB_LINEUP;
      NewPos = std::max(FMin, FPosition - FStep);
      return CanScrollUp();
    case sbpEndArrow:
      Code = SB_LINEDOWN;
      NewPos = std::min(FMax, FPosition + FStep);
      return CanScrollDown();
    case sbpTrackBefore:
      Code = SB_PAGEUP;
      NewPos = std::max(FMin, FPosition - PageStep);
      return true;
    case sbpTrackAfter:
      Code = SB_PAGEDOWN;
      NewPos = std::min(FMax, FPosition + PageStep);
      return true;
    case sbpEndSecondary:
    case sbpStartSecondary: {
      // The opposite kind acts as the arrow at the other end, the page kind
      // pages towards its own end.
      const bool End = Part == sbpEndSecondary;
      if (FSecondBtnKind == sbkOpposite)
        return PartAction(End ? sbpStartArrow : sbpEndArrow, PageStep, Code, NewPos);
      if (FSecondBtnKind == sbkPage) return PartAction(End ? sbpTrackAfter : sbpTrackBefore, PageStep, Code, NewPos);
      Code = End ? sbcCustomEnd : sbcCustomStart;
      NewPos = FPosition;
      return true;
    }
    default:
      return false;
  }
}

void TVsSBHandlerCustom::MouseDown(int X, int Y) {
  if (FPressed) {
    FPressedPart = HitTest(X, Y);
    return;
  }
  const int Part = HitTest(X, Y);
  if (Part == sbpNone) return;
  const int OldPart = FPressedPart;
  FPressedPart = Part;
  const int C = FVertical ? Y : X;
  int Code = 0, NewPos = FPosition;
  bool Can;
  if (Part == sbpThumb) {
    Can = FPage < FMax - FMin + 1 && FMax != FMin;
    if (Can) {
      FPressCoord = C;
      FPressPosition = FPosition;
      FGrabOffset = C - FThumbOffset;
      FTrackPos = FPosition;
    }
  } else {
    Can = PartAction(Part, FPage, Code, NewPos);
  }
  const bool Accepted = Can || (FNoDisableButtons && Part != sbpThumb);
  if (Accepted) {
    FPressed = true;
    if (FOwner) FOwner->BarCapture();
    if (Part == sbpThumb) {
      FDragging = true;
      if (FShowTrackHint) ShowHint();
      Repaint();
    } else {
      FPressPoint = TPoint{X, Y};
      StartRepeat();
      Scroll(Code, NewPos);
    }
  } else {
    FPressedPart = sbpNone;
  }
  if (OldPart != FPressedPart) Repaint();
}

void TVsSBHandlerCustom::StartRepeat() {
  if (!FTimer) {
    // Made on the first press: a timer's window costs milliseconds, and most
    // bars are never pressed.
    FTimer.reset(Create<TTimer>(nullptr));
    FTimer->SetEnabled(false);
    FTimer->OnTimer = TNotifyEvent(this, &TVsSBHandlerCustom::TimerTick);
  }
  FTimer->SetInterval(static_cast<Cardinal>(GetKeybTimes(SPI_GETKEYBOARDDELAY)));
  FTimer->SetEnabled(true);
}

void TVsSBHandlerCustom::StopRepeat() {
  if (FTimer) FTimer->SetEnabled(false);
}

void TVsSBHandlerCustom::TimerTick(TObject*) {
  try {
    RepeatTick(CursorInBar());
  } catch (...) {
    // A timer tick must not let anything escape into the message loop.
    StopRepeat();
  }
}

TPoint TVsSBHandlerCustom::CursorInBar() const {
  TPoint P{0, 0};
  GetCursorPos(&P);
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  if (!Wnd) return P;
  ScreenToClient(Wnd, &P);
  const TPoint Border = FOwner->BarBorderOrigin();
  P.x += Border.x;
  P.y += Border.y;
  if (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)
    if (TVsSBHandlerCustom* V = FVertical ? const_cast<TVsSBHandlerCustom*>(this) : FOwner->OtherBar(this))
      if (V->Visible()) P.x += V->Thickness();
  P.x -= FBarRect.left;
  P.y -= FBarRect.top;
  return P;
}

void TVsSBHandlerCustom::RepeatTick(const TPoint& P) {
  if (FTimer) FTimer->SetInterval(static_cast<Cardinal>(GetKeybTimes(SPI_GETKEYBOARDSPEED)));
  if (!FPressed || FDragging) return;
  const int PageStep = FPage == 0 ? 1 : FPage;
  int Code = 0, NewPos = FPosition;
  switch (FPressedPart) {
    case sbpStartArrow:
    case sbpEndArrow:
    case sbpStartSecondary:
    case sbpEndSecondary:
      if (!PartAction(FPressedPart, PageStep, Code, NewPos) && !FNoDisableButtons) return;
      break;
    case sbpTrackBefore:
    case sbpTrackAfter:
      if (HitTest(P.x, P.y) == FPressedPart) {
        PartAction(FPressedPart, PageStep, Code, NewPos);
      } else {
        Code = FPressedPart == sbpTrackBefore ? SB_PAGEUP : SB_PAGEDOWN;
        NewPos = FPosition;
      }
      break;
    default:
      return;
  }
  Scroll(Code, NewPos);
}

void TVsSBHandlerCustom::MouseMove(int X, int Y) {
  if (FDragging) {
    const int C = FVertical ? Y : X;
    const int L = Length();
    const int Old = FThumbOffset;
    if ((C < 0 && L / 2 < -C) || (C > L && L / 2 < C - L)) {
      // Too far off the bar: the thumb goes back to where it was taken.
      const int Saved = FPosition;
      FPosition = FPressPosition;
      UpdateThumb();
      FPosition = Saved;
      if (FTrackPos != FPressPosition) {
        int P = FPressPosition;
        bool Accept = false;
        DoScroll(SB_THUMBTRACK, P, Accept);
        FTrackPos = FPressPosition;
      }
    } else {
      const int Bs = ButtonLength();
      FThumbOffset = Clamp(C - FGrabOffset, StartButtons() * Bs,
                           std::max(StartButtons() * Bs, L - EndButtons() * Bs - ThumbLength()));
      int P = GetPosFromThumb();
      bool Accept = false;
      DoScroll(SB_THUMBTRACK, P, Accept);
      FTrackPos = GetPosFromThumb();
      if (FShowTrackHint) ShowHint();
    }
    if (FThumbOffset != Old) Repaint();
    return;
  }
  const int Part = HitTest(X, Y);
  if (FPressed) {
    const bool WasOn = FHotPart == FPressedPart;
    FHotPart = Part;
    const bool IsOn = Part == FPressedPart;
    if (WasOn && !IsOn) StopRepeat();
    if (!WasOn && IsOn) StartRepeat();
    if (WasOn != IsOn) Repaint();
    return;
  }
  if (Part != FHotPart) {
    FHotPart = Part;
    Repaint();
  }
}

void TVsSBHandlerCustom::MouseUp(int, int) {
  if (!FPressed) {
    if (FOwner) FOwner->BarReleaseCapture();
    return;
  }
  StopRepeat();
  if (FOwner) FOwner->BarReleaseCapture();
  FPressed = false;
  const bool WasDragging = FDragging;
  FDragging = false;
  if (WasDragging) HideHint();
  if (WasDragging && FPressedPart == sbpThumb)
    Scroll(SB_THUMBPOSITION, GetPosFromThumb());
  else if (!WasDragging && FPressedPart != sbpNone)
    Scroll(SB_ENDSCROLL, FPosition);
  if (WasDragging) FTrackPos = -1;
  UpdateThumb();
  FPressedPart = sbpNone;
  Repaint();
}

void TVsSBHandlerCustom::MouseEnter() {
  FMouseInside = true;
  if (FOwner && FOwner->BarTheme() && FUseXPThemes) Repaint();
}

void TVsSBHandlerCustom::MouseLeave(bool FromWindow) {
  FMouseInside = false;
  const bool Themed = FOwner && FOwner->BarTheme() && FUseXPThemes;
  const bool WasButton = FHotPart >= sbpStartArrow && FHotPart <= sbpStartSecondary;
  // Cleared first: the repaint shows the part no longer lit.
  FHotPart = sbpNone;
  if (Themed || (FromWindow && FFlat && !FActiveFlat) || WasButton) Repaint();
}

// --- track hint ---

void TVsSBHandlerCustom::ShowHint() {
  WideString Text;
  DoScrollHintNeeded(GetPosFromThumb(), Text);
  if (Text.empty()) {
    HideHint();
    return;
  }
  HWND Wnd = FOwner ? FOwner->BarWindow() : nullptr;
  if (!Wnd) return;
  if (!FHint) FHint.reset(Create<TVsHintWindow>(nullptr));
  FHint->SetIsHTML(FIsHTML);
  const RECT Desktop = Screen->DesktopRect();
  TRect R = FHint->CalcHintRectW(Desktop.right, Text);
  // The point beside the thumb, in screen coordinates.
  RECT W;
  GetWindowRect(Wnd, &W);
  TPoint P;
  if (FVertical) {
    P.x = W.left + FBarRect.left;
    P.y = W.top + FBarRect.top + FThumbOffset;
  } else {
    P.x = W.left + FBarRect.left + FThumbOffset;
    P.y = W.top + FBarRect.top;
  }
  // Placed so that its bottom-right corner lies one pixel above and left of
  // the point, inside the desktop: left and top edges first.
  auto Place = [&](int HW, int HH) {
    TRect Q{P.x - 1 - HW, P.y - 1 - HH, 0, 0};
    if (Q.left < Desktop.left) Q.left = Desktop.left;
    if (Q.top < Desktop.top) Q.top = Desktop.top;
    if (Q.left + HW > Desktop.right) Q.left = Desktop.right - HW;
    if (Q.top + HH > Desktop.bottom) Q.top = Desktop.bottom - HH;
    Q.right = Q.left + HW;
    Q.bottom = Q.top + HH;
    return Q;
  };
  FHint->SetColor(FHintColor);
  FHint->Font()->SetColor(FHintTextColor);
  FHint->ActivateHintW(Place(R.right - R.left, R.bottom - R.top), Text);
  // The window may add a margin of its own on showing: placed again by the
  // size it took.
  RECT Shown;
  GetWindowRect(FHint->Handle(), &Shown);
  const TRect Q = Place(Shown.right - Shown.left, Shown.bottom - Shown.top);
  if (Q.left != Shown.left || Q.top != Shown.top) {
    FHint->UpdateBoundsRect(Q);
    SetWindowPos(FHint->Handle(), nullptr, Q.left, Q.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TVsSBHandlerCustom::HideHint() { FHint.reset(); }

// --- painting ---

bool TVsSBHandlerCustom::PaintEnabled() const {
  return FEnabled && (!FOwner || FOwner->BarWindowEnabled());
}

bool TVsSBHandlerCustom::OtherPressed() const {
  if (!FOwner) return false;
  TVsSBHandlerCustom* Other = FOwner->OtherBar(this);
  return Other && Other->FPressed && Other->Visible();
}

TRect TVsSBHandlerCustom::PartRect(int Part) const {
  const int Bs = ButtonLength(), L = Length(), Th = Thickness();
  int A = 0, B = 0;
  switch (Part) {
    case sbpStartArrow: A = 0, B = Bs; break;
    case sbpStartSecondary: A = Bs, B = 2 * Bs; break;
    case sbpEndArrow: A = L - Bs, B = L; break;
    case sbpEndSecondary: A = L - 2 * Bs, B = L - Bs; break;
    case sbpThumb: A = FThumbOffset, B = FThumbOffset + ThumbLength(); break;
    case sbpTrackBefore: A = StartButtons() * Bs, B = FThumbOffset; break;
    case sbpTrackAfter: A = FThumbOffset + ThumbLength(), B = L - EndButtons() * Bs; break;
    default: break;
  }
  return FVertical ? TRect{0, A, Th, B} : TRect{A, 0, B, Th};
}

// The glyph direction of a button: towards its own end for the arrows,
// towards the opposite end for the secondary buttons.
int TVsSBHandlerCustom::PartDirection(int Part) const {
  const bool TowardsStart = Part == sbpStartArrow || Part == sbpEndSecondary;
  if (FVertical) return TowardsStart ? DirUp : DirDown;
  return TowardsStart ? DirLeft : DirRight;
}

bool TVsSBHandlerCustom::ArrowCanAct(int Direction) const {
  if (FNoDisableButtons) return true;
  return (Direction == DirUp || Direction == DirLeft) ? CanScrollUp() : CanScrollDown();
}

int TVsSBHandlerCustom::ArrowState(int Part, bool CanAct) const {
  if (!PaintEnabled() || !CanAct) return StateDisabled;
  if (OtherPressed()) return StateNormal;
  if (FPressed && FPressedPart == Part && FHotPart == Part) return StatePressed;
  if (!FPressed && FMouseInside && FHotPart == Part) return StateHot;
  return StateNormal;
}

void TVsSBHandlerCustom::Paint(HDC DC) {
  HTHEME Theme = (FOwner && FUseXPThemes) ? FOwner->BarTheme() : nullptr;
  if (Theme && ThemesAvailable && VsUxThemeApi.DrawThemeBackground)
    PaintThemed(DC, Theme);
  else
    PaintClassic(DC);
}

// A secondary button's glyphs: two pointing to its own end for the page
// kind, one pointing to the opposite end for the others.
void TVsSBHandlerCustom::DrawSecondaryGlyphs(TCanvas* Canvas, int Part, const TRect& R, TColor Color,
                                             bool Enabled) const {
  if (FSecondBtnKind != sbkPage) {
    VsDrawArrow(Canvas, PartDirection(Part), R, Color, Enabled);
    return;
  }
  const bool Start = Part == sbpStartSecondary;
  const int OwnDir = FVertical ? (Start ? DirUp : DirDown) : (Start ? DirLeft : DirRight);
  for (int Shift : {1, -2}) {
    TRect G = R;
    if (FVertical)
      OffsetRect(&G, 0, Shift);
    else
      OffsetRect(&G, Shift, 0);
    VsDrawArrow(Canvas, OwnDir, G, Color, Enabled);
  }
}

void TVsSBHandlerCustom::EachButton(const std::function<void(int Part)>& Paint) const {
  if (FShowLeftArrows) Paint(sbpStartArrow);
  if (FShowRightArrows) Paint(sbpEndArrow);
  if (FSecondaryButtons) {
    if (FShowLeftArrows) Paint(sbpStartSecondary);
    if (FShowRightArrows) Paint(sbpEndSecondary);
  }
}

TRect TVsSBHandlerCustom::WholeTrack() const {
  const int Bs = ButtonLength();
  const int A = StartButtons() * Bs, B = Length() - EndButtons() * Bs;
  return FVertical ? TRect{0, A, Thickness(), B} : TRect{A, 0, B, Thickness()};
}

void TVsSBHandlerCustom::PaintThemed(HDC DC, HTHEME Theme) {
  auto Draw = [&](int Part, int State, const TRect& R) {
    if (R.right > R.left && R.bottom > R.top) VsUxThemeApi.DrawThemeBackground(Theme, DC, Part, State, &R, nullptr);
  };
  // Arrow states: up 1..4, down 5..8, left 9..12, right 13..16.
  auto ArrowBase = [](int Direction) {
    switch (Direction) {
      case DirUp: return 0;
      case DirDown: return 4;
      case DirLeft: return 8;
      default: return 12;
    }
  };
  auto Button = [&](int Part) {
    const int Dir = PartDirection(Part);
    const bool CanAct = ArrowCanAct(Dir);
    const int State = ArrowState(Part, CanAct);
    const TRect R = PartRect(Part);
    if (Part == sbpStartArrow || Part == sbpEndArrow || FSecondBtnKind == sbkOpposite) {
      Draw(ThemePartArrow, ArrowBase(Dir) + State, R);
      return;
    }
    Draw(ThemePartSecondary, State, R);
    TCanvas Canvas;
    Canvas.SetHandle(DC);
    DrawSecondaryGlyphs(&Canvas, Part, R, State == StateHot ? FArrowHotTrackColor : FArrowColor,
                        State != StateDisabled);
    Canvas.SetHandle(nullptr);
  };
  EachButton(Button);
  const int Thumb = ThumbLength();
  const bool Enabled = PaintEnabled();
  const int LowerTrack = FVertical ? ThemePartLowerTrackVert : ThemePartLowerTrackHorz;
  if (Thumb == 0 || !Enabled) {
    Draw(LowerTrack, StateDisabled, WholeTrack());
    return;
  }
  auto PartState = [&](int Part) {
    if (OtherPressed()) return StateNormal;
    if (FPressed && FPressedPart == Part && (FHotPart == Part || Part == sbpThumb)) return StatePressed;
    if (!FPressed && FMouseInside && FHotPart == Part) return StateHot;
    return StateNormal;
  };
  Draw(FVertical ? ThemePartUpperTrackVert : ThemePartUpperTrackHorz, PartState(sbpTrackBefore),
       PartRect(sbpTrackBefore));
  const TRect ThumbR = PartRect(sbpThumb);
  Draw(FVertical ? ThemePartThumbVert : ThemePartThumbHorz, PartState(sbpThumb), ThumbR);
  if (FDrawBars) {
    TRect Content = ThumbR;
    if (VsUxThemeApi.GetThemeBackgroundContentRect)
      VsUxThemeApi.GetThemeBackgroundContentRect(Theme, DC, FVertical ? ThemePartThumbVert : ThemePartThumbHorz,
                                                 PartState(sbpThumb), &ThumbR, &Content);
    Draw(FVertical ? ThemePartGripperVert : ThemePartGripperHorz, PartState(sbpThumb), Content);
  }
  Draw(LowerTrack, PartState(sbpTrackAfter), PartRect(sbpTrackAfter));
}

void TVsSBHandlerCustom::FillTrack(HDC DC, const TRect& R, HTHEME Theme) {
  if (R.right <= R.left || R.bottom <= R.top) return;
  const bool Pattern = (FBlendBackground && !FSystemBkColor) ||
                       (FSystemBkColor && GetSysColor(COLOR_SCROLLBAR) == GetSysColor(COLOR_BTNFACE));
  if (Pattern && GPattern) {
    HBRUSH Brush = CreatePatternBrush(GPattern);
    // The pattern stays put on the bar whatever part is filled.
    SetBrushOrgEx(DC, 0, 0, nullptr);
    FillRect(DC, &R, Brush);
    DeleteObject(Brush);
    return;
  }
  TColor C;
  COLORREF ThemeColor = 0;
  if (Theme && VsUxThemeApi.GetThemeColor &&
      SUCCEEDED(VsUxThemeApi.GetThemeColor(Theme, 0, 0, ThemeColorScrollBar, &ThemeColor)))
    C = static_cast<TColor>(ThemeColor);
  else
    C = FSystemBkColor ? clScrollBar : FColor;
  FillSolidRect(DC, R, C);
}

void TVsSBHandlerCustom::PaintClassic(HDC DC) {
  TCanvas Canvas;
  Canvas.SetHandle(DC);
  const bool Enabled = PaintEnabled();
  const bool Other = OtherPressed();
  auto Button = [&](int Part) {
    const TRect R = PartRect(Part);
    if (R.right <= R.left || R.bottom <= R.top) return;
    const int Dir = PartDirection(Part);
    const bool CanAct = Enabled && ArrowCanAct(Dir);
    const bool On = FHotPart == Part && !Other;
    const bool Sunken = FPressed && FPressedPart == Part && On;
    if (FDrawArrowFrames) {
      FillSolidRect(DC, R, FColor);
      const bool Raised = !FFlat || (On && !FActiveFlat && !FPressed && CanAct);
      DrawButtonFrameEx(DC, R, Raised, Sunken, FColor, FThinFrame, AllBorderSides);
    } else {
      FillTrack(DC, R, nullptr);
    }
    const TColor Glyph = (On && FMouseInside && !FPressed) ? FArrowHotTrackColor : FArrowColor;
    TRect G = R;
    if (Sunken) OffsetRect(&G, 1, 1);
    if (Part == sbpStartSecondary || Part == sbpEndSecondary)
      DrawSecondaryGlyphs(&Canvas, Part, G, Glyph, CanAct);
    else
      VsDrawArrow(&Canvas, Dir, G, Glyph, CanAct);
  };
  EachButton(Button);
  const int Thumb = ThumbLength();
  if (Thumb == 0 || !Enabled) {
    FillTrack(DC, WholeTrack(), nullptr);
    Canvas.SetHandle(nullptr);
    return;
  }
  for (int Part : {sbpTrackBefore, sbpTrackAfter}) {
    const TRect R = PartRect(Part);
    if (FChangeColorsOnScroll && FPressed && FPressedPart == Part && FHotPart == Part && !Other)
      FillSolidRect(DC, R, ScrollDarkColor(FColor));
    else
      FillTrack(DC, R, nullptr);
  }
  const TRect T = PartRect(sbpThumb);
  FillSolidRect(DC, T, FColor);
  const bool Sunken = FDragging && !FNoSunkenThumb;
  if (FShowBorder) {
    const bool On = FHotPart == sbpThumb && !Other;
    const bool CanMove = FPage < FMax - FMin + 1 && FMax != FMin;
    const bool Raised = !FFlat || (On && !FActiveFlat && CanMove);
    DrawButtonFrameEx(DC, T, Raised, Sunken, FColor, FThinFrame, AllBorderSides);
  }
  const int O = FBarOffset + (FShowBorder ? 1 : 0);
  if (FDrawBars && Thumb > 14 && Thickness() >= 2 * O + 3) {
    HPEN Pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(FBarColor)));
    HGDIOBJ OldPen = SelectObject(DC, Pen);
    const int Centre = (FVertical ? (T.top + T.bottom) : (T.left + T.right)) / 2 + (Sunken ? 1 : 0);
    const int Shift = Sunken ? 1 : 0;
    for (int D : {-3, -1, 1, 3}) {
      if (FVertical) {
        MoveToEx(DC, O + Shift, Centre + D, nullptr);
        LineTo(DC, Thickness() - O + Shift, Centre + D);
      } else {
        MoveToEx(DC, Centre + D, O + Shift, nullptr);
        LineTo(DC, Centre + D, Thickness() - O + Shift);
      }
    }
    SelectObject(DC, OldPen);
    DeleteObject(Pen);
  }
  Canvas.SetHandle(nullptr);
}

// --- registration ---

void InitializeVsScrollBar() {
  RegisterClass<TVsSBHandlerCustom, TPersistent>();
  RegisterClass<TVsCtrlScrollBarStyles, TVsSBHandlerCustom>()
      .Bool("ActiveFlat", &TVsSBHandlerCustom::ActiveFlat, &TVsSBHandlerCustom::SetActiveFlat, false)
      .Bool("AltDisablingArrows", &TVsSBHandlerCustom::AltDisablingArrows, &TVsSBHandlerCustom::SetAltDisablingArrows,
            true)
      .Int("ArrowColor", &TVsSBHandlerCustom::ArrowColor, &TVsSBHandlerCustom::SetArrowColor, clBtnText, "TColor")
      .Int("ArrowHotTrackColor", &TVsSBHandlerCustom::ArrowHotTrackColor, &TVsSBHandlerCustom::SetArrowHotTrackColor,
           clHighlight, "TColor")
      .Int("BarOffset", &TVsSBHandlerCustom::BarOffset, &TVsSBHandlerCustom::SetBarOffset, 2)
      .Int("BarColor", &TVsSBHandlerCustom::BarColor, &TVsSBHandlerCustom::SetBarColor, clBtnShadow, "TColor")
      .Bool("BlendBackground", &TVsSBHandlerCustom::BlendBackground, &TVsSBHandlerCustom::SetBlendBackground, true)
      .Int("ButtonSize", &TVsSBHandlerCustom::ButtonSize, &TVsSBHandlerCustom::SetButtonSize, 17)
      .Bool("ChangeColorsOnScroll", &TVsSBHandlerCustom::ChangeColorsOnScroll,
            &TVsSBHandlerCustom::SetChangeColorsOnScroll, true)
      .Int("Color", &TVsSBHandlerCustom::Color, &TVsSBHandlerCustom::SetColor, clBtnFace, "TColor")
      .Int("Width", &TVsSBHandlerCustom::Width, &TVsSBHandlerCustom::SetWidth)
      .Bool("DrawArrowFrames", &TVsSBHandlerCustom::DrawArrowFrames, &TVsSBHandlerCustom::SetDrawArrowFrames, true)
      .Bool("DrawBars", &TVsSBHandlerCustom::DrawBars, &TVsSBHandlerCustom::SetDrawBars, true)
      .Bool("ShowBorder", &TVsSBHandlerCustom::ShowBorder, &TVsSBHandlerCustom::SetShowBorder, true)
      .Bool("Flat", &TVsSBHandlerCustom::Flat, &TVsSBHandlerCustom::SetFlat, true)
      .Int("HintColor", &TVsSBHandlerCustom::HintColor, &TVsSBHandlerCustom::SetHintColor, clInfoBk, "TColor")
      .Int("HintTextColor", &TVsSBHandlerCustom::HintTextColor, &TVsSBHandlerCustom::SetHintTextColor, clInfoText,
           "TColor")
      .Bool("IsHTML", &TVsSBHandlerCustom::IsHTML, &TVsSBHandlerCustom::SetIsHTML, false)
      .Int("MinThumbSize", &TVsSBHandlerCustom::MinThumbSize, &TVsSBHandlerCustom::SetMinThumbSize, 12)
      .Bool("NoDisableButtons", &TVsSBHandlerCustom::NoDisableButtons, &TVsSBHandlerCustom::SetNoDisableButtons, false)
      .Bool("NoSunkenThumb", &TVsSBHandlerCustom::NoSunkenThumb, &TVsSBHandlerCustom::SetNoSunkenThumb, false)
      .Bool("OwnerDraw", &TVsSBHandlerCustom::OwnerDraw, &TVsSBHandlerCustom::SetOwnerDraw, false)
      .Bool("SecondaryButtons", &TVsSBHandlerCustom::SecondaryButtons, &TVsSBHandlerCustom::SetSecondaryButtons, false)
      .Enum("SecondBtnKind", &TVsSBHandlerCustom::SecondBtnKind, &TVsSBHandlerCustom::SetSecondBtnKind, sbkOpposite,
            {"sbkOpposite", "sbkPage", "sbkCustom"})
      .Bool("ShowLeftArrows", &TVsSBHandlerCustom::ShowLeftArrows, &TVsSBHandlerCustom::SetShowLeftArrows, true)
      .Bool("ShowRightArrows", &TVsSBHandlerCustom::ShowRightArrows, &TVsSBHandlerCustom::SetShowRightArrows, true)
      .Bool("ShowTrackHint", &TVsSBHandlerCustom::ShowTrackHint, &TVsSBHandlerCustom::SetShowTrackHint, false)
      .Int("Step", &TVsSBHandlerCustom::Step, &TVsSBHandlerCustom::SetStep, 1)
      .Bool("SystemBkColor", &TVsSBHandlerCustom::SystemBkColor, &TVsSBHandlerCustom::SetSystemBkColor, true)
      .Bool("ThinFrame", &TVsSBHandlerCustom::ThinFrame, &TVsSBHandlerCustom::SetThinFrame, false)
      .Enum("ThumbMode", &TVsSBHandlerCustom::ThumbMode, &TVsSBHandlerCustom::SetThumbMode, etmAuto,
            {"etmFixed", "etmAuto"})
      .Int("ThumbSize", &TVsSBHandlerCustom::ThumbSize, &TVsSBHandlerCustom::SetThumbSize, 0)
      .Bool("UseSystemMetrics", &TVsSBHandlerCustom::UseSystemMetrics, &TVsSBHandlerCustom::SetUseSystemMetrics, true)
      .Bool("UseSystemStep", &TVsSBHandlerCustom::UseSystemStep, &TVsSBHandlerCustom::SetUseSystemStep, true)
      .Bool("UseXPThemes", &TVsSBHandlerCustom::UseXPThemes, &TVsSBHandlerCustom::SetUseXPThemes, true)
      .Object("ImageForm", &TVsSBHandlerCustom::ImageForm, &TVsSBHandlerCustom::SetImageForm)
      .Event("OnChange", &TVsSBHandlerCustom::OnChange);
}
