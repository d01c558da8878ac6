#include "Buttons.h"

#include <algorithm>

#include "Consts.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "TypInfo.h"

namespace {

// The raster operation that paints the brush where the monochrome source
// is black and keeps the destination where it is white.
constexpr DWORD ROP_PSDPxax = 0x00B8074A;

// Keeps a DC's selections and colours across drawing done behind the
// canvas's back.
class TSavedDC {
public:
  explicit TSavedDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
  ~TSavedDC() { RestoreDC(FDC, FSaved); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

private:
  HDC FDC;
  int FSaved;
};

// The face of a button that is down as one of a group: a fine checker of
// the face and highlight colours.
void FillExclusivePattern(TCanvas* Canvas, const TRect& R) {
  TBitmap Pattern;
  Pattern.SetSize(8, 8);
  TCanvas* P = Pattern.Canvas();
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) P->SetPixel(X, Y, ((X + Y) % 2) ? clBtnHighlight : clBtnFace);
  Canvas->Brush()->SetBitmap(&Pattern);
  try {
    Canvas->FillRect(R);
  } catch (...) {
    Canvas->Brush()->SetBitmap(nullptr);
    throw;
  }
  Canvas->Brush()->SetBitmap(nullptr);
}

}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(new TBitmap()) {
  FControlStyle = {csCaptureMouse, csDoubleClicks};
  FGlyph->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = nullptr; }

void TSpeedButton::GlyphChanged(TObject*) {
  const int W = FGlyph->Width(), H = FGlyph->Height();
  if (W > 0 && H > 0 && W % H == 0) {
    const int N = W / H;
    FNumGlyphs = N > 4 ? 1 : N;
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  if (Value)
    FControlStyle >> csOpaque;
  else
    FControlStyle << csOpaque;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  if (Value) {
    if (FState == bsUp) Invalidate();
    FState = bsExclusive;
    UpdateExclusive();
  } else {
    FState = bsUp;
    Repaint();
  }
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  Value = std::max(Value, -1);
  if (FMargin == Value) return;
  FMargin = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  // The other buttons of the group come up and share AllowAllUp.
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage Message{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
                   reinterpret_cast<LPARAM>(static_cast<TControl*>(this)), 0};
  Parent()->Broadcast(Message);
}

void TSpeedButton::ButtonPressed(TMessage& Message) {
  auto* Sender = dynamic_cast<TSpeedButton*>(reinterpret_cast<TControl*>(Message.LParam));
  if (!Sender || Sender == this || Message.WParam != static_cast<WPARAM>(FGroupIndex)) return;
  if (Sender->FDown && FDown) {
    FDown = false;
    FState = bsUp;
    Invalidate();
  }
  FAllowAllUp = Sender->FAllowAllUp;
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const bool Inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
  const TButtonState New = FDown ? bsExclusive : (Inside ? bsDown : bsUp);
  if (New != FState) {
    FState = New;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging || Button != mbLeft) return;
  FDragging = false;
  const bool DoClick = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
  if (FGroupIndex == 0) {
    FState = bsUp;
    Invalidate();
  } else if (DoClick) {
    SetDown(!FDown);
    if (FDown) Repaint();
  } else {
    if (FDown) FState = bsExclusive;
    Repaint();
  }
  // Last: the handler may free the button.
  if (DoClick) Click();
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  const auto* Concerned = reinterpret_cast<TControl*>(Message.LParam);
  if ((Concerned && Concerned != this) || !Enabled()) return;
  FMouseInControl = true;
  if (FFlat) Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  const auto* Concerned = reinterpret_cast<TControl*>(Message.LParam);
  if ((Concerned && Concerned != this) || !FMouseInControl) return;
  FMouseInControl = false;
  if (FFlat) Invalidate();
}

void TSpeedButton::DrawGlyph(int X, int Y, TButtonState ForState) {
  if (FGlyph->Empty()) return;
  const int W = FGlyph->Width() / FNumGlyphs, H = FGlyph->Height();
  if (W <= 0) return;
  int Index = 0;
  switch (ForState) {
    case bsUp: Index = 0; break;
    case bsDisabled: Index = FNumGlyphs > 1 ? 1 : -1; break;
    case bsDown: Index = FNumGlyphs > 2 ? 2 : 0; break;
    case bsExclusive: Index = FNumGlyphs > 3 ? 3 : 0; break;
  }
  TCanvas* C = Canvas();
  C->RequiredState({csHandleValid});
  const HDC Dst = C->Handle();
  const HDC Src = FGlyph->Canvas()->Handle();
  const COLORREF Clear = static_cast<COLORREF>(ColorToRGB(FGlyph->TransparentColor()));
  TSavedDC SavedDst(Dst);
  if (Index >= 0) {
    TransparentBlt(Dst, X, Y, W, H, Src, Index * W, 0, W, H, Clear);
    return;
  }
  // No disabled image: the up image's shape, engraved in the highlight and
  // shadow colours.
  HDC MaskDC = CreateCompatibleDC(Dst);
  HBITMAP Mask = CreateBitmap(W, H, 1, 1, nullptr);
  if (!MaskDC || !Mask) {
    if (Mask) DeleteObject(Mask);
    if (MaskDC) DeleteDC(MaskDC);
    throw EOutOfResources(LoadStr(SOutOfResources));
  }
  HGDIOBJ OldMask = SelectObject(MaskDC, Mask);
  {
    // Colour to monochrome: the transparent colour becomes white.
    TSavedDC SavedSrc(Src);
    SetBkColor(Src, Clear);
    BitBlt(MaskDC, 0, 0, W, H, Src, 0, 0, SRCCOPY);
  }
  SetTextColor(Dst, RGB(0, 0, 0));
  SetBkColor(Dst, RGB(255, 255, 255));
  HBRUSH Light = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
  HBRUSH Dark = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  HGDIOBJ OldBrush = SelectObject(Dst, Light);
  BitBlt(Dst, X + 1, Y + 1, W, H, MaskDC, 0, 0, ROP_PSDPxax);
  SelectObject(Dst, Dark);
  BitBlt(Dst, X, Y, W, H, MaskDC, 0, 0, ROP_PSDPxax);
  SelectObject(Dst, OldBrush);
  DeleteObject(Light);
  DeleteObject(Dark);
  SelectObject(MaskDC, OldMask);
  DeleteObject(Mask);
  DeleteDC(MaskDC);
}

void TSpeedButton::DrawCaption(const TRect& Bounds, TButtonState ForState) {
  const AnsiString Text = Caption();
  if (Text.empty()) return;
  TCanvas* C = Canvas();
  C->Brush()->SetStyle(bsClear);
  C->SetFont(Font());
  TRect R = Bounds;
  const UINT Flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (ForState == bsDisabled) {
    OffsetRect(&R, 1, 1);
    C->Font()->SetColor(clBtnHighlight);
    C->RequiredState({csHandleValid, csFontValid, csBrushValid});
    DrawTextA(C->Handle(), Text.data(), static_cast<int>(Text.size()), &R, Flags);
    OffsetRect(&R, -1, -1);
    C->Font()->SetColor(clBtnShadow);
  }
  C->RequiredState({csHandleValid, csFontValid, csBrushValid});
  DrawTextA(C->Handle(), Text.data(), static_cast<int>(Text.size()), &R, Flags);
}

void TSpeedButton::Paint() {
  if (!Enabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  TCanvas* C = Canvas();
  C->RequiredState({csHandleValid});
  TRect R = Rect(0, 0, Width(), Height());
  const bool Pressed = FState == bsDown || FState == bsExclusive;
  if (!FFlat) {
    DrawFrameControl(C->Handle(), &R, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Pressed ? DFCS_PUSHED : 0));
  } else {
    if (Pressed || (FMouseInControl && FState != bsDisabled)) {
      DrawEdge(C->Handle(), &R, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
    } else if (!FTransparent) {
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(Color());
      C->FillRect(R);
    }
    InflateRect(&R, -1, -1);
  }
  int Offset = 0;
  if (Pressed) {
    if (FState == bsExclusive && (!FFlat || !FMouseInControl)) FillExclusivePattern(C, R);
    Offset = 1;
  }

  // Where the glyph and the caption go.
  const SIZE Client{R.right - R.left, R.bottom - R.top};
  SIZE GlyphSize{0, 0};
  if (!FGlyph->Empty()) GlyphSize = SIZE{FGlyph->Width() / FNumGlyphs, FGlyph->Height()};
  const AnsiString Text = Caption();
  TRect TextBounds = Rect(0, 0, Client.cx, 0);
  if (!Text.empty()) {
    C->SetFont(Font());
    C->RequiredState({csHandleValid, csFontValid});
    DrawTextA(C->Handle(), Text.data(), static_cast<int>(Text.size()), &TextBounds, DT_CALCRECT | DT_SINGLELINE);
  } else {
    TextBounds = Rect(0, 0, 0, 0);
  }
  const SIZE TextSize{TextBounds.right - TextBounds.left, TextBounds.bottom - TextBounds.top};
  const bool Horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
  TPoint GlyphPos{0, 0}, TextPos{0, 0};
  if (Horizontal) {
    GlyphPos.y = (Client.cy - GlyphSize.cy + 1) / 2;
    TextPos.y = (Client.cy - TextSize.cy + 1) / 2;
  } else {
    GlyphPos.x = (Client.cx - GlyphSize.cx + 1) / 2;
    TextPos.x = (Client.cx - TextSize.cx + 1) / 2;
  }
  const int ClientLen = Horizontal ? Client.cx : Client.cy;
  const int GlyphLen = Horizontal ? GlyphSize.cx : GlyphSize.cy;
  const int TextLen = Horizontal ? TextSize.cx : TextSize.cy;
  int Spacing = FSpacing, Margin = FMargin;
  if (TextSize.cx == 0 || GlyphSize.cx == 0) Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      Margin = (ClientLen - GlyphLen - TextLen) / 3;
      Spacing = Margin;
    } else {
      Margin = (ClientLen - (GlyphLen + Spacing + TextLen) + 1) / 2;
    }
  } else if (Spacing == -1) {
    Spacing = (ClientLen - (Margin + GlyphLen) - TextLen) / 2;
  }
  switch (FLayout) {
    case blGlyphLeft:
      GlyphPos.x = Margin;
      TextPos.x = GlyphPos.x + GlyphSize.cx + Spacing;
      break;
    case blGlyphRight:
      GlyphPos.x = Client.cx - Margin - GlyphSize.cx;
      TextPos.x = GlyphPos.x - Spacing - TextSize.cx;
      break;
    case blGlyphTop:
      GlyphPos.y = Margin;
      TextPos.y = GlyphPos.y + GlyphSize.cy + Spacing;
      break;
    case blGlyphBottom:
      GlyphPos.y = Client.cy - Margin - GlyphSize.cy;
      TextPos.y = GlyphPos.y - Spacing - TextSize.cy;
      break;
  }
  DrawGlyph(GlyphPos.x + R.left + Offset, GlyphPos.y + R.top + Offset, FState);
  OffsetRect(&TextBounds, TextPos.x + R.left + Offset, TextPos.y + R.top + Offset);
  DrawCaption(TextBounds, FState);
}

void TSpeedButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      CMMouseEnter(Message);
      return;
    case CM_MOUSELEAVE:
      CMMouseLeave(Message);
      return;
    case CM_BUTTONPRESSED:
      ButtonPressed(Message);
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && Enabled() && Visible() && Parent() &&
          Parent()->Showing()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) FMouseInControl = false;
      break;
    case CM_TEXTCHANGED:
    case CM_SYSCOLORCHANGE:
      Invalidate();
      return;
    default:
      break;
  }
  TGraphicControl::WndProc(Message);
}

void InitializeButtons() {
  InitializeGraphics();
  RegisterClass<TSpeedButton, TGraphicControl>()
      .Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
      .Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0)
      .Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
      .Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
      .Object("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph)
      .Enum("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft,
            {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"})
      .Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1)
      .Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1)
      .Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4)
      .Bool("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent, true);
}
