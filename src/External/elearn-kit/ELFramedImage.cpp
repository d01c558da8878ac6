#include "ELFramedImage.h"

#include "Forms.h"
#include "TypInfo.h"

TELearnFramedImage::TELearnFramedImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture()) {
  FControlStyle << csReplicatable;
  FPicture->OnChange = TNotifyEvent(this, &TELearnFramedImage::PictureChanged);
  FPicture->OnProgress = TProgressEvent(this, &TELearnFramedImage::PictureProgress);
  SetBounds(0, 0, 105, 105);
}

TELearnFramedImage::~TELearnFramedImage() {
  FPicture->OnChange = nullptr;
  FPicture->OnProgress = nullptr;
}

void TELearnFramedImage::PictureProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                                         const TRect& R, const AnsiString& Msg) {
  if (FIncrementalDisplay && RedrawNow) {
    if (FDrawing)
      Update();
    else
      Repaint();
  }
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TELearnFramedImage::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  PictureChanged(this);
}

void TELearnFramedImage::SetCenter(bool Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  PictureChanged(this);
}

void TELearnFramedImage::SetProportional(bool Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  PictureChanged(this);
}

void TELearnFramedImage::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  PictureChanged(this);
}

void TELearnFramedImage::SetHasFrame(bool Value) {
  FHasFrame = Value;
  Repaint();
}

void TELearnFramedImage::SetFrameWidth(int Value) {
  FFrameWidth = Value;
  if (FHasFrame) Repaint();
}

void TELearnFramedImage::SetChecked(bool Value) {
  FChecked = Value;
  Repaint();
}

void TELearnFramedImage::SetCheckedColor(TColor Value) {
  FCheckedColor = Value;
  if (FChecked) Repaint();
}

void TELearnFramedImage::SetImageAnswer(TImageAnswer Value) {
  FImageAnswer = Value;
  Repaint();
}

void TELearnFramedImage::SetImageAnswerPos(TAlign Value) {
  FImageAnswerPos = Value;
  Repaint();
}

void TELearnFramedImage::SetImageAnswerFontSize(int Value) {
  FImageAnswerFontSize = Value;
  Repaint();
}

TRect TELearnFramedImage::GetDestRect() const {
  const int PW = FPicture->Width(), PH = FPicture->Height();
  const int CW = ClientWidth(), CH = ClientHeight();
  int W = PW, H = PH;
  if (FStretch || (FProportional && (PW > CW || PH > CH))) {
    if (FProportional && PW > 0 && PH > 0) {
      const double X = static_cast<double>(PW) / PH;
      if (PH < PW) {
        W = CW;
        H = static_cast<int>(CW / X);
        if (CH < H) {
          W = static_cast<int>(X * CH);
          H = CH;
        }
      } else {
        H = CH;
        W = static_cast<int>(X * CH);
        if (CW < W) {
          W = CW;
          H = static_cast<int>(CW / X);
        }
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

void TELearnFramedImage::DrawTinted(TCanvas* Canvas, const TRect& R, TGraphic* Graphic) {
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return;
  TOwned<TBitmap> Tinted(new TBitmap());
  Tinted->SetPixelFormat(pf24bit);
  Tinted->SetSize(W, H);
  Tinted->Canvas()->StretchDraw(Rect(0, 0, W, H), Graphic);
  GdiFlush();
  const Integer Tint = ColorToRGB(FCheckedColor);
  // Rows hold blue, green, red.
  const int Factor[3] = {(Tint >> 16) & 0xFF, (Tint >> 8) & 0xFF, Tint & 0xFF};
  for (int Y = 0; Y < H; ++Y) {
    auto* Row = static_cast<Byte*>(Tinted->ScanLine(Y));
    for (int I = 0; I < W * 3; ++I) Row[I] = static_cast<Byte>(Row[I] * Factor[I % 3] / 255);
  }
  Canvas->Draw(R.left, R.top, Tinted.get());
}

void TELearnFramedImage::DrawAnswer(TCanvas* Canvas, const TRect& R) {
  TOwned<TFont> SavedFont(new TFont());
  SavedFont->Assign(Canvas->Font());
  try {
    Canvas->Font()->SetSize(FImageAnswerFontSize);
    const int D = 2 * Canvas->TextHeight(AnsiString("425^%$$^%#"));
    TRect Mark = R;
    switch (FImageAnswerPos) {
      case alTop: Mark = Rect(R.right - D, R.top, R.right, R.top + D); break;
      case alBottom: Mark = Rect(R.left, R.bottom - D, R.left + D, R.bottom); break;
      case alLeft: Mark = Rect(R.left, R.top, R.left + D, R.top + D); break;
      case alRight: Mark = Rect(R.right - D, R.bottom - D, R.right, R.bottom); break;
      case alClient: {
        const int X = (R.left + R.right) / 2 - D / 2, Y = (R.top + R.bottom) / 2 - D / 2;
        Mark = Rect(X, Y, X + D, Y + D);
        break;
      }
      default: break;
    }
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetColor(FImageAnswerBorderColor);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FImageAnswerFillColor);
    Canvas->Ellipse(Mark);
  } catch (...) {
    Canvas->SetFont(SavedFont.get());
    throw;
  }
  Canvas->SetFont(SavedFont.get());
}

void TELearnFramedImage::Paint() {
  TCanvas* C = TGraphicControl::Canvas();
  if (ComponentState().Contains(csDesigning)) {
    C->Pen()->SetStyle(psDash);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(0, 0, Width(), Height());
  }
  const bool Saved = FDrawing;
  FDrawing = true;
  try {
    if (!FIsBackground) {
      const TRect R = GetDestRect();
      TGraphic* Graphic = FPicture->Graphic();
      if (Graphic && !Graphic->Empty()) {
        if (FChecked)
          DrawTinted(C, R, Graphic);
        else
          C->StretchDraw(R, Graphic);
      }
      if (FHasFrame) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(FFrameColor);
        C->FillRect(Rect(R.left, R.top, R.right, R.top + FFrameWidth));
        C->FillRect(Rect(R.right - FFrameWidth, R.top, R.right, R.bottom));
        C->FillRect(Rect(R.left, R.bottom - FFrameWidth, R.right, R.bottom));
        C->FillRect(Rect(R.left, R.top, R.left + FFrameWidth, R.bottom));
      }
      if (FImageAnswer != iaNone) DrawAnswer(C, R);
    }
  } catch (...) {
    FDrawing = Saved;
    throw;
  }
  FDrawing = Saved;
}

void TELearnFramedImage::DrawBackgroundAt(TCanvas* Canvas, int DX, int DY) {
  TRect R = GetDestRect();
  OffsetRect(&R, DX, DY);
  Canvas->StretchDraw(R, FPicture->Graphic());
}

void TELearnFramedImage::DrawCachedPart(TBitmap* Dest, const TRect& Source) {
  const TRect R = GetDestRect();
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return;
  if (!FCache || FCache->Width() != W || FCache->Height() != H) {
    TOwned<TBitmap> Cache(new TBitmap());
    Cache->SetPixelFormat(pf24bit);
    Cache->SetSize(W, H);
    Cache->Canvas()->StretchDraw(Rect(0, 0, W, H), FPicture->Graphic());
    FCache = std::move(Cache);
  }
  const int DW = Dest->Width(), DH = Dest->Height();
  Dest->Canvas()->CopyRect(Rect(0, 0, DW, DH), FCache->Canvas(),
                           Rect(Source.left, Source.top, Source.left + DW, Source.top + DH));
}

void TELearnFramedImage::SetNode(TPageNode Value) {
  int X = FOriginX, Y = FOriginY;
  if (Value) {
    X = NodeInteger(Value->Attribute(L"origin_x"), X);
    Y = NodeInteger(Value->Attribute(L"origin_y"), Y);
  }
  FNode = std::move(Value);
  FOriginX = X;
  FOriginY = Y;
}

bool TELearnFramedImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FPicture->Width() > 0 && FPicture->Height() > 0) {
    if (Align() != alTop && Align() != alBottom) NewWidth = FPicture->Width();
    if (Align() != alLeft && Align() != alRight && Align() != alClient) NewHeight = FPicture->Height();
  }
  return true;
}

void TELearnFramedImage::PictureChanged(TObject*) {
  // Whatever changed, the drawn picture kept for the page background is
  // out of date.
  FCache.reset();
  if (AutoSize() && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  TGraphic* Graphic = FPicture->Graphic();
  if (Graphic && !dynamic_cast<TIcon*>(Graphic) && !dynamic_cast<TMetafile*>(Graphic))
    Graphic->SetTransparent(FTransparent);
  // An opaque picture covering the whole control needs no background.
  const TRect D = GetDestRect();
  if (Graphic && !Graphic->Empty() && !Graphic->Transparent() && D.left <= 0 && D.top <= 0 && D.right >= Width() &&
      D.bottom >= Height())
    FControlStyle << csOpaque;
  else
    FControlStyle >> csOpaque;
  if (Graphic && Graphic->PaletteModified()) {
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form->Active() && Form->HandleAllocated()) {
      if (FDrawing)
        Form->Perform(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(Form->Handle()), 0);
      else
        PostMessageA(Form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
    }
    Graphic->SetPaletteModified(false);
  }
  if (FDrawing)
    Update();
  else
    Invalidate();
}

void RegisterELFramedImage() {
  InitializeGraphics();
  RegisterClass<TELearnFramedImage, TGraphicControl>()
      .Bool("Center", &TELearnFramedImage::Center, &TELearnFramedImage::SetCenter, false)
      .Bool("IncrementalDisplay", &TELearnFramedImage::IncrementalDisplay,
            &TELearnFramedImage::SetIncrementalDisplay, false)
      .Object("Picture", &TELearnFramedImage::Picture, &TELearnFramedImage::SetPicture)
      .Bool("Proportional", &TELearnFramedImage::Proportional, &TELearnFramedImage::SetProportional, false)
      .Bool("Stretch", &TELearnFramedImage::Stretch, &TELearnFramedImage::SetStretch, false)
      .Bool("Transparent", &TELearnFramedImage::Transparent, &TELearnFramedImage::SetTransparent, false)
      .Event("OnProgress", &TELearnFramedImage::OnProgress)
      .Bool("HasFrame", &TELearnFramedImage::HasFrame, &TELearnFramedImage::SetHasFrame, false)
      .Int("FrameColor", &TELearnFramedImage::FrameColor, &TELearnFramedImage::SetFrameColor, clBlack, "TColor")
      .Bool("Checked", &TELearnFramedImage::Checked, &TELearnFramedImage::SetChecked, false)
      .Int("CheckedColor", &TELearnFramedImage::CheckedColor, &TELearnFramedImage::SetCheckedColor, 0xF0CAA6,
           "TColor")
      .Int("FrameWidth", &TELearnFramedImage::FrameWidth, &TELearnFramedImage::SetFrameWidth, 1)
      .Bool("IsBackground", &TELearnFramedImage::IsBackground, &TELearnFramedImage::SetIsBackground, false)
      .Enum("ImageAnswer", &TELearnFramedImage::ImageAnswer, &TELearnFramedImage::SetImageAnswer, iaNone,
            {"iaNone", "iaCorrect", "iaIncorrect"})
      .Enum("ImageAnswerPos", &TELearnFramedImage::ImageAnswerPos, &TELearnFramedImage::SetImageAnswerPos, alLeft,
            {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"})
      .Int("ImageAnswerFontSize", &TELearnFramedImage::ImageAnswerFontSize,
           &TELearnFramedImage::SetImageAnswerFontSize, 12)
      .Int("ImageAnswerBorderColor", &TELearnFramedImage::ImageAnswerBorderColor,
           &TELearnFramedImage::SetImageAnswerBorderColor, 0, "TColor")
      .Int("ImageAnswerFillColor", &TELearnFramedImage::ImageAnswerFillColor,
           &TELearnFramedImage::SetImageAnswerFillColor, 0xFFFFFF, "TColor");
}
