#include "VsLabel.h"

#include <algorithm>
#include <cmath>

#include "Consts.h"
#include "Controls.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"
#include "VsThemedControl.h"
#include "VsUxTheme.h"

namespace {

const POINT ExtrudeSteps[] = {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}};

bool Measuring(UINT Flags) { return (Flags & DT_CALCRECT) != 0; }

// The same typeface, size and style: the canvas's font can stay as it is.
bool SameFace(const TFont* A, const TFont* B) {
  return A->Name() == B->Name() && A->Height() == B->Height() && A->Style() == B->Style() &&
         A->Charset() == B->Charset() && A->Pitch() == B->Pitch();
}

TRect Offset(TRect R, int DX, int DY) {
  OffsetRect(&R, DX, DY);
  return R;
}

TRect Union(const TRect& A, const TRect& B) {
  TRect R;
  UnionRect(&R, &A, &B);
  return R;
}

// The screen's DC as a canvas's handle for one measurement.
class TScreenCanvas {
public:
  explicit TScreenCanvas(TCanvas* Canvas) : FCanvas(Canvas), FDC(GetDC(nullptr)) {
    if (!FDC) throw EOutOfResources(LoadStr(SOutOfResources));
    if (auto* C = dynamic_cast<TControlCanvas*>(FCanvas)) C->FreeHandle();
    FCanvas->SetHandle(FDC);
  }
  ~TScreenCanvas() {
    FCanvas->SetHandle(nullptr);
    ReleaseDC(nullptr, FDC);
  }
  TScreenCanvas(const TScreenCanvas&) = delete;
  TScreenCanvas& operator=(const TScreenCanvas&) = delete;

private:
  TCanvas* FCanvas;
  HDC FDC;
};

}  // namespace

TVsLabel::TVsLabel(TComponent* AOwner) : TCustomVsLabel(AOwner) {}

void TVsLabel::RepaintFor(bool Affected) {
  if (Affected) Invalidate();
}

void TVsLabel::ResizeFor(bool Affected) {
  if (!Affected) return;
  AdjustBounds();
  Invalidate();
}

void TVsLabel::SetDarkColor(TColor Value) {
  if (FDarkColor == Value) return;
  FDarkColor = Value;
  RepaintFor(FStyle == ltsEmbossed || FStyle == ltsRecessed);
}

void TVsLabel::SetDepth(int Value) {
  if (FDepth == Value || Value < 0) return;
  FDepth = Value;
  ResizeFor(FEffect == lesExtrude);
}

void TVsLabel::SetDisabledDarkColor(TColor Value) {
  if (FDisabledDarkColor == Value) return;
  FDisabledDarkColor = Value;
  RepaintFor(!Enabled());
}

void TVsLabel::SetDisabledLightColor(TColor Value) {
  if (FDisabledLightColor == Value) return;
  FDisabledLightColor = Value;
  RepaintFor(!Enabled());
}

void TVsLabel::SetEffect(TVsLabelEffectStyle Value) {
  if (FEffect == Value) return;
  FEffect = Value;
  ResizeFor(true);
}

void TVsLabel::SetExtrudePosition(TVsLabelExtrudePosition Value) {
  if (FExtrudePosition == Value) return;
  FExtrudePosition = Value;
  ResizeFor(FEffect == lesExtrude);
}

void TVsLabel::SetFarColor(TColor Value) {
  if (FFarColor == Value) return;
  FFarColor = Value;
  RepaintFor(FEffect == lesExtrude);
}

void TVsLabel::SetLightColor(TColor Value) {
  if (FLightColor == Value) return;
  FLightColor = Value;
  RepaintFor(FStyle == ltsEmbossed || FStyle == ltsRecessed);
}

void TVsLabel::SetNearColor(TColor Value) {
  if (FNearColor == Value) return;
  FNearColor = Value;
  RepaintFor(FEffect == lesExtrude);
}

void TVsLabel::SetOutlineColor(TColor Value) {
  if (FOutlineColor == Value) return;
  FOutlineColor = Value;
  RepaintFor(FStyle == ltsOutlined);
}

void TVsLabel::SetShadowColor(TColor Value) {
  if (FShadowColor == Value) return;
  FShadowColor = Value;
  RepaintFor(FEffect == lesShadow);
}

void TVsLabel::SetStriated(bool Value) {
  if (FStriated == Value) return;
  FStriated = Value;
  RepaintFor(FEffect == lesExtrude);
}

void TVsLabel::SetStyle(TVsLabelTextStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  ResizeFor(true);
}

void TVsLabel::SetXOffset(int Value) {
  if (FXOffset == Value) return;
  FXOffset = Value;
  RepaintFor(FEffect == lesShadow);
}

void TVsLabel::SetYOffset(int Value) {
  if (FYOffset == Value) return;
  FYOffset = Value;
  RepaintFor(FEffect == lesShadow);
}

void TVsLabel::SetEndEllipsis(bool Value) {
  if (FEndEllipsis == Value) return;
  FEndEllipsis = Value;
  Invalidate();
}

void TVsLabel::SetName(const AnsiString& NewName) {
  const bool Follow = ControlStyle().Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                      !(Owner() && Owner()->ComponentState().Contains(csLoading)) && Caption() == AnsiToWide(Name());
  TCustomVsLabel::SetName(NewName);
  if (Follow) SetCaption(AnsiToWide(NewName));
}

void TVsLabel::SetAutoSize(bool Value) { TCustomVsLabel::SetAutoSize(Value); }

TColor TVsLabel::ExtrudeColor(int D) const {
  const Integer Near = ColorToRGB(FNearColor);
  const Integer Far = ColorToRGB(FFarColor);
  Integer Result = 0;
  for (int Shift = 0; Shift <= 16; Shift += 8) {
    const int N = (Near >> Shift) & 0xFF;
    const int F = (Far >> Shift) & 0xFF;
    int Part;
    if (!FStriated) {
      Part = static_cast<int>(std::nearbyint(N + (F - N) * static_cast<double>(D) / FDepth));
    } else {
      Part = ((F - N) / FDepth + N) * D;
      if (D % 2 == 0) Part /= 4;
    }
    Result |= (Part & 0xFF) << Shift;
  }
  return Result;
}

bool TVsLabel::ParentHasTheme() const {
  TWinControl* Host = Parent();
  if (!Host || !Host->HandleAllocated()) return false;
  HWND Window = Host->Handle();
  if (SendMessageW(Window, VS_GETTHEMEHANDLE, 0, 0) != 0) return true;
  return ThemesAvailable && VsUxThemeApi.GetWindowTheme && VsUxThemeApi.GetWindowTheme(Window) != nullptr;
}

TCanvas* TVsLabel::TextCanvas(UINT Flags) const {
  return Measuring(Flags) || !FBitmap ? Canvas() : FBitmap->Canvas();
}

WideString TVsLabel::TextToDraw(UINT Flags) const {
  WideString Text = Caption();
  if (Measuring(Flags) && (Text.empty() || (ShowAccelChar() && Text == L"&"))) Text += L' ';
  return Text;
}

TRect TVsLabel::Output(const WideString& Text, TRect R, UINT Flags, TColor Color, bool Platform) {
  TCanvas* C = TextCanvas(Flags);
  C->Brush()->SetStyle(bsClear);
  C->RequiredState({csHandleValid, csFontValid, csBrushValid});
  const HDC DC = C->Handle();
  SetBkMode(DC, TRANSPARENT);
  // The colour goes to the DC alone: a font colour change would make the
  // canvas build its font again for every copy of the text.
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(Color)));
  // A failed output loses that one copy of the text, nothing else.
  if (Platform)
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Flags);
  else
    VsDrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), R, Flags);
  return R;
}

void TVsLabel::DoDrawText(TRect& Rect, int Flags) {
  const UINT Format = static_cast<UINT>(Flags) | (ShowAccelChar() ? 0 : DT_NOPREFIX);
  TCanvas* C = TextCanvas(Format);
  if (!SameFace(C->Font(), Font())) C->SetFont(Font());
  TRect R1 = Rect;
  if (FEffect != lesNone) DrawEffect(R1, Format);
  TRect R2 = Rect;
  DrawLabelText(R2, Format | (FEndEllipsis ? DT_END_ELLIPSIS : 0));
  Rect = FEffect != lesNone ? Union(R1, R2) : R2;
}

void TVsLabel::DrawEffect(TRect& Rect, UINT Flags) {
  const WideString Text = TextToDraw(Flags);
  if (FEffect == lesShadow) {
    Rect = Output(Text, Offset(Rect, FXOffset, FYOffset), Flags, FShadowColor);
    return;
  }
  const POINT Step = ExtrudeSteps[FExtrudePosition];
  if (Measuring(Flags)) {
    const TRect Measured = Output(Text, Rect, Flags, Font()->Color());
    Rect = Union(Measured, Offset(Measured, Step.x * FDepth, Step.y * FDepth));
    return;
  }
  // The farthest copy first, the nearest (d = 1) last, under the caption.
  for (int D = FDepth; D >= 1; --D) Output(Text, Offset(Rect, Step.x * D, Step.y * D), Flags, ExtrudeColor(D));
}

void TVsLabel::DrawLabelText(TRect& Rect, UINT Flags) {
  const WideString Text = TextToDraw(Flags);
  const TColor Color = Font()->Color();
  if (!Enabled()) {
    DrawDisabledText(Rect, Flags);
    return;
  }
  if (Measuring(Flags)) {
    Rect = Output(Text, Rect, Flags, Color);
    if (FStyle != ltsNormal) InflateRect(&Rect, 1, 1);
    return;
  }
  switch (FStyle) {
    case ltsNormal:
      Output(Text, Rect, Flags, Color);
      break;
    case ltsEmbossed:
    case ltsRecessed: {
      const TColor First = FStyle == ltsEmbossed ? FLightColor : FDarkColor;
      const TColor Second = FStyle == ltsEmbossed ? FDarkColor : FLightColor;
      Output(Text, Offset(Rect, -1, -1), Flags, First);
      Output(Text, Offset(Rect, 1, 1), Flags, Second);
      Output(Text, Rect, Flags, Color);
      break;
    }
    case ltsOutlined:
      for (const POINT Corner : {POINT{-1, -1}, POINT{-1, 1}, POINT{1, -1}, POINT{1, 1}})
        Output(Text, Offset(Rect, Corner.x, Corner.y), Flags, FOutlineColor);
      Output(Text, Rect, Flags, Color, true);
      break;
  }
}

void TVsLabel::DrawDisabledText(TRect& Rect, UINT Flags) {
  const WideString Text = TextToDraw(Flags);
  if (Measuring(Flags)) {
    Rect = Output(Text, Rect, Flags, FDisabledDarkColor);
    return;
  }
  Output(Text, Offset(Rect, 1, 1), Flags, FDisabledLightColor);
  Output(Text, Rect, Flags, FDisabledDarkColor);
}

void TVsLabel::Paint() {
  const int W = Width();
  const int H = Height();
  // A bitmap of no area cannot be made: nothing to paint.
  if (W <= 0 || H <= 0) return;
  // The off-screen picture is kept from one paint to the next (with its
  // font): only a new size makes it again.
  if (!FBuffer) FBuffer.reset(new TBitmap());
  if (FBuffer->Width() != W || FBuffer->Height() != H) FBuffer->SetSize(W, H);
  TBitmap* const Bitmap = FBuffer.get();
  TCanvas* Target = Canvas();
  const HDC DC = Target->Handle();
  const HDC BitmapDC = Bitmap->Canvas()->Handle();
  if (ThemesAvailable && UseXPThemes() && ParentHasTheme()) {
    // The parent paints its background with its own origin at ours; the
    // DC's state comes back as it was (nothing in between can throw).
    const int Saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, -Left(), -Top(), nullptr);
    SendMessageW(Parent()->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, Saved);
    BitBlt(BitmapDC, 0, 0, W, H, DC, 0, 0, SRCCOPY);
  } else if (Transparent()) {
    BitBlt(BitmapDC, 0, 0, W, H, DC, 0, 0, SRCCOPY);
  } else {
    Bitmap->Canvas()->Brush()->SetStyle(bsSolid);
    Bitmap->Canvas()->Brush()->SetColor(Color());
    Bitmap->Canvas()->FillRect(TRect{0, 0, W, H});
  }
  static const UINT AlignmentFormats[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  const int Format = static_cast<int>((WordWrap() ? DT_WORDBREAK : 0) | DT_EXPANDTABS | AlignmentFormats[Alignment()]);
  TRect R = ClientRect();
  if (Layout() != tlTop) {
    TRect Measured = R;
    DoDrawText(Measured, Format | DT_CALCRECT);
    const int Room = H - Measured.bottom;
    OffsetRect(&R, 0, Layout() == tlBottom ? Room : Room / 2);
  }
  FBitmap = Bitmap;
  try {
    DoDrawText(R, Format);
  } catch (...) {
    FBitmap = nullptr;
    throw;
  }
  FBitmap = nullptr;
  BitBlt(DC, 0, 0, W, H, BitmapDC, 0, 0, SRCCOPY);
}

void TVsLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) return;
  TRect R = ClientRect();
  const int Format = static_cast<int>(DT_EXPANDTABS | DT_CALCRECT | (WordWrap() ? DT_WORDBREAK : 0));
  if (Canvas()->HandleAllocated()) {
    DoDrawText(R, Format);
  } else {
    TScreenCanvas Screen(Canvas());
    DoDrawText(R, Format);
  }
  int X = Left();
  if (Alignment() == taRightJustify) X += Width() - R.right;
  SetBounds(X, Top(), R.right, R.bottom);
}

void InitializeVsLabel() {
  InitializeVsCLabel();
  const TEnumNames Effects{"lesNone", "lesShadow", "lesExtrude"};
  const TEnumNames Positions{"lepLeft", "lepLeftTop", "lepTop", "lepRightTop",
                             "lepRight", "lepRightBottom", "lepBottom", "lepLeftBottom"};
  const TEnumNames Styles{"ltsNormal", "ltsEmbossed", "ltsRecessed", "ltsOutlined"};
  RegisterClass<TVsLabel, TCustomVsLabel>()
      .Int("DarkColor", &TVsLabel::DarkColor, &TVsLabel::SetDarkColor, clBtnShadow, "TColor")
      .Int("Depth", &TVsLabel::Depth, &TVsLabel::SetDepth, 10)
      .Int("DisabledDarkColor", &TVsLabel::DisabledDarkColor, &TVsLabel::SetDisabledDarkColor, clBtnShadow, "TColor")
      .Int("DisabledLightColor", &TVsLabel::DisabledLightColor, &TVsLabel::SetDisabledLightColor, clBtnHighlight,
           "TColor")
      .Enum("Effect", &TVsLabel::Effect, &TVsLabel::SetEffect, lesNone, Effects)
      .Enum("ExtrudePosition", &TVsLabel::ExtrudePosition, &TVsLabel::SetExtrudePosition, lepRightBottom, Positions)
      .Int("FarColor", &TVsLabel::FarColor, &TVsLabel::SetFarColor, 0, "TColor")
      .Int("LightColor", &TVsLabel::LightColor, &TVsLabel::SetLightColor, clBtnHighlight, "TColor")
      .Int("NearColor", &TVsLabel::NearColor, &TVsLabel::SetNearColor, 0, "TColor")
      .Int("OutlineColor", &TVsLabel::OutlineColor, &TVsLabel::SetOutlineColor, 0xFFFFFF, "TColor")
      .Int("ShadowColor", &TVsLabel::ShadowColor, &TVsLabel::SetShadowColor, clBtnShadow, "TColor")
      .Bool("Striated", &TVsLabel::Striated, &TVsLabel::SetStriated, false)
      .Enum("Style", &TVsLabel::Style, &TVsLabel::SetStyle, ltsNormal, Styles)
      .Int("XOffset", &TVsLabel::XOffset, &TVsLabel::SetXOffset, 2)
      .Int("YOffset", &TVsLabel::YOffset, &TVsLabel::SetYOffset, 2)
      .Bool("EndEllipsis", &TVsLabel::EndEllipsis, &TVsLabel::SetEndEllipsis, false);
}
