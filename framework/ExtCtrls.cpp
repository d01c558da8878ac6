#include "ExtCtrls.h"

#include <algorithm>

#include "Consts.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "UtilWindow.h"

namespace {

// Draws Width one-pixel frames inward from the edge of R (top and left in
// TopColor, bottom and right in BottomColor) and leaves R inside them.
void Frame3D(TCanvas* Canvas, TRect& R, TColor TopColor, TColor BottomColor, int Width) {
  TBrush* Brush = Canvas->Brush();
  Brush->SetStyle(bsSolid);
  for (int I = 0; I < Width && R.right - R.left > 0 && R.bottom - R.top > 0; ++I) {
    Brush->SetColor(TopColor);
    Canvas->FillRect(Rect(R.left, R.top, R.right - 1, R.top + 1));
    Canvas->FillRect(Rect(R.left, R.top, R.left + 1, R.bottom - 1));
    Brush->SetColor(BottomColor);
    Canvas->FillRect(Rect(R.right - 1, R.top, R.right, R.bottom));
    Canvas->FillRect(Rect(R.left, R.bottom - 1, R.right, R.bottom));
    InflateRect(&R, -1, -1);
  }
}

void DrawBevelCut(TCanvas* Canvas, TRect& R, TBevelCut Cut, int Width, TColor Face) {
  switch (Cut) {
    case bvLowered: Frame3D(Canvas, R, clBtnShadow, clBtnHighlight, Width); break;
    case bvRaised: Frame3D(Canvas, R, clBtnHighlight, clBtnShadow, Width); break;
    case bvSpace: Frame3D(Canvas, R, Face, Face, Width); break;
    case bvNone: break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                   csReplicatable};
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::BevelsChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (FInnerBevel == Value) return;
  FInnerBevel = Value;
  BevelsChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (FOuterBevel == Value) return;
  FOuterBevel = Value;
  BevelsChanged();
}

void TCustomPanel::SetBevelWidth(int Value) {
  Value = std::max(Value, 1);
  if (FPanelBevelWidth == Value) return;
  FPanelBevelWidth = Value;
  BevelsChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  int Size = 0;
  if (FOuterBevel != bvNone) Size += FPanelBevelWidth;
  if (FInnerBevel != bvNone) Size += FPanelBevelWidth;
  InflateRect(&Rect, -Size, -Size);
}

void TCustomPanel::Paint() {
  TCanvas* C = Canvas();
  TRect R = ClientRect();
  DrawBevelCut(C, R, FOuterBevel, FPanelBevelWidth, Color());
  DrawBevelCut(C, R, FInnerBevel, FPanelBevelWidth, Color());
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color());
  C->FillRect(R);
  const AnsiString Text = Caption();
  if (Text.empty()) return;
  C->Brush()->SetStyle(bsClear);
  C->SetFont(Font());
  C->RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT Flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (FAlignment == taCenter) Flags |= DT_CENTER;
  if (FAlignment == taRightJustify) Flags |= DT_RIGHT;
  DrawTextA(C->Handle(), Text.data(), static_cast<int>(Text.size()), &R, Flags);
}

void TCustomPanel::WndProc(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    Invalidate();
    return;
  }
  TCustomControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture()) {
  FControlStyle << csReplicatable;
  FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

TCanvas* TImage::Canvas() {
  if (!FPicture->Graphic()) {
    TOwned<TBitmap> Blank(new TBitmap());
    Blank->SetSize(Width(), Height());
    FPicture->SetGraphic(Blank.get());
  }
  auto* Bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
  if (!Bitmap) throw EInvalidOperation(LoadStr(SImageNeedsBitmap));
  return Bitmap->Canvas();
}

void TImage::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  PictureChanged(this);
}

TRect TImage::DestRect() const {
  int W = FPicture->Width(), H = FPicture->Height();
  const int CW = ClientWidth(), CH = ClientHeight();
  if (FStretch || (FProportional && (W > CW || H > CH))) {
    if (FProportional && W > 0 && H > 0) {
      // The largest size of the picture's shape that fits.
      if (static_cast<long long>(CW) * H <= static_cast<long long>(CH) * W) {
        H = static_cast<int>(static_cast<long long>(CW) * H / W);
        W = CW;
      } else {
        W = static_cast<int>(static_cast<long long>(CH) * W / H);
        H = CH;
      }
    } else {
      W = CW;
      H = CH;
    }
  }
  TRect R = Rect(0, 0, W, H);
  if (FCenter) OffsetRect(&R, (CW - W) / 2, (CH - H) / 2);
  return R;
}

void TImage::Paint() {
  TGraphic* Graphic = FPicture->Graphic();
  if (!Graphic || Graphic->Empty()) return;
  const bool Saved = FDrawing;
  FDrawing = true;
  try {
    TGraphicControl::Canvas()->StretchDraw(DestRect(), Graphic);
  } catch (...) {
    FDrawing = Saved;
    throw;
  }
  FDrawing = Saved;
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FPicture->Width() > 0 && FPicture->Height() > 0) {
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = FPicture->Width();
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = FPicture->Height();
  }
  return true;
}

void TImage::PictureChanged(TObject*) {
  if (AutoSize() && FPicture->Width() > 0 && FPicture->Height() > 0) SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  TGraphic* Graphic = FPicture->Graphic();
  if (Graphic && !dynamic_cast<TIcon*>(Graphic)) Graphic->SetTransparent(FTransparent);
  // An opaque picture covering the whole control needs no background.
  const TRect D = DestRect();
  if (Graphic && !Graphic->Empty() && !Graphic->Transparent() && D.left <= 0 && D.top <= 0 && D.right >= Width() &&
      D.bottom >= Height())
    FControlStyle << csOpaque;
  else
    FControlStyle >> csOpaque;
  if (!FDrawing) Invalidate();
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner), FPen(new TPen()), FBrush(new TBrush()) {
  FControlStyle << csReplicatable;
  FPen->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
  FBrush->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
  SetBounds(0, 0, 65, 65);
}

TShape::~TShape() {
  FPen->OnChange = nullptr;
  FBrush->OnChange = nullptr;
}

void TShape::SetShape(TShapeType Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::Paint() {
  TCanvas* C = TGraphicControl::Canvas();
  C->SetPen(FPen.get());
  C->SetBrush(FBrush.get());
  const int PenWidth = FPen->Width();
  int X = PenWidth / 2, Y = X;
  int W = Width() - PenWidth + 1, H = Height() - PenWidth + 1;
  if (PenWidth == 0) {
    --W;
    --H;
  }
  const int S = std::min(W, H);
  if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    X += (W - S) / 2;
    Y += (H - S) / 2;
    W = S;
    H = S;
  }
  switch (FShape) {
    case stRectangle:
    case stSquare: C->Rectangle(X, Y, X + W, Y + H); break;
    case stRoundRect:
    case stRoundSquare: C->RoundRect(X, Y, X + W, Y + H, S / 4, S / 4); break;
    case stEllipse:
    case stCircle: C->Ellipse(X, Y, X + W, Y + H); break;
  }
}

// ---------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle << csReplicatable;
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* C = TGraphicControl::Canvas();
  TColor Color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor Color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  const int W = Width(), H = Height();
  C->Pen()->SetWidth(1);
  C->Pen()->SetStyle(psSolid);
  auto Line = [&](TColor Color, int X1, int Y1, int X2, int Y2) {
    C->Pen()->SetColor(Color);
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
  };
  // A box: the top-left lines in the first colour, the bottom-right ones in
  // the second.
  auto Box = [&](const TRect& R) {
    C->Pen()->SetColor(Color1);
    C->Polyline({Point(R.left, R.bottom), Point(R.left, R.top), Point(R.right, R.top)});
    C->Pen()->SetColor(Color2);
    C->Polyline({Point(R.right, R.top), Point(R.right, R.bottom), Point(R.left, R.bottom)});
  };
  switch (FShape) {
    case bsBox: Box(Rect(0, 0, W - 1, H - 1)); break;
    case bsFrame:
      std::swap(Color1, Color2);
      Box(Rect(1, 1, W - 1, H - 1));
      std::swap(Color1, Color2);
      Box(Rect(0, 0, W - 2, H - 2));
      break;
    case bsTopLine:
      Line(Color1, 0, 0, W, 0);
      Line(Color2, 0, 1, W, 1);
      break;
    case bsBottomLine:
      Line(Color1, 0, H - 2, W, H - 2);
      Line(Color2, 0, H - 1, W, H - 1);
      break;
    case bsLeftLine:
      Line(Color1, 0, 0, 0, H);
      Line(Color2, 1, 0, 1, H);
      break;
    case bsRightLine:
      Line(Color1, W - 2, 0, W - 2, H);
      Line(Color2, W - 1, 0, W - 1, H);
      break;
    case bsSpacer: break;
  }
}

// ---------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
  UpdateTimer();
}

TTimer::~TTimer() {
  // The window goes with its timer: nothing more reaches this object.
  if (FRunning) KillTimer(FWindow, 1);
  DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FRunning) {
    KillTimer(FWindow, 1);
    FRunning = false;
  }
  if (!FEnabled || FInterval == 0) return;
  if (!SetTimer(FWindow, 1, FInterval, nullptr)) throw EOutOfResources(LoadStr(SNoTimers));
  FRunning = true;
}

void TTimer::Timer() {
  if (FEnabled && OnTimer) OnTimer(this);
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    // The handler may free the timer: nothing of it is touched afterwards.
    // Its exceptions go to the utility window's barrier.
    if (Message.WParam == 1) Timer();
    return;
  }
  DefUtilWindowHandler(FWindow, Message);
}

// ---------------------------------------------------------------------------
// Published properties

void InitializeExtCtrls() {
  InitializeGraphics();
  const TEnumNames BevelCutNames{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
  RegisterClass<TCustomPanel, TCustomControl>()
      .Enum("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taCenter,
            {"taLeftJustify", "taRightJustify", "taCenter"})
      .Enum("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone, BevelCutNames)
      .Enum("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised, BevelCutNames)
      .Int("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
      .Enum("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle, bsNone, {"bsNone", "bsSingle"})
      .Int("Color", &TControl::Color, &TControl::SetColor, clBtnFace, "TColor")
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false);
  RegisterClass<TPanel, TCustomPanel>();
  RegisterClass<TImage, TGraphicControl>()
      .Bool("Center", &TImage::Center, &TImage::SetCenter, false)
      .Object("Picture", &TImage::Picture, &TImage::SetPicture)
      .Bool("Proportional", &TImage::Proportional, &TImage::SetProportional, false)
      .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
      .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
  RegisterClass<TShape, TGraphicControl>()
      .Object("Brush", &TShape::Brush, &TShape::SetBrush)
      .Object("Pen", &TShape::Pen, &TShape::SetPen)
      .Enum("Shape", &TShape::Shape, &TShape::SetShape, stRectangle,
            {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
  RegisterClass<TBevel, TGraphicControl>()
      .Enum("Shape", &TBevel::Shape, &TBevel::SetShape, bsBox,
            {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"})
      .Enum("Style", &TBevel::Style, &TBevel::SetStyle, bsLowered, {"bsLowered", "bsRaised"});
  RegisterClass<TTimer, TComponent>()
      .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
      .Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
      .Event("OnTimer", &TTimer::OnTimer);
}
