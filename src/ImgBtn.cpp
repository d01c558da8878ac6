#include "ImgBtn.h"

#include "TypInfo.h"

namespace {

bool HasPicture(const TBitmap* Picture) { return Picture->Width() > 0 && Picture->Height() > 0; }

}  // namespace

TImgBtn::TImgBtn(TComponent* AOwner)
    : TSpeedButton(AOwner), FPicture_Base(new TBitmap()), FPicture_Down(new TBitmap()), FPicture_Over(new TBitmap()) {}

TImgBtn::~TImgBtn() = default;

void TImgBtn::SetPicture_Base(TBitmap* Value) {
  FPicture_Base->Assign(Value);
  ShowPicture(FPicture_Base.get());
}

bool TImgBtn::Concerns(const TMessage& Message) const {
  const auto* Concerned = reinterpret_cast<const TControl*>(Message.LParam);
  return !Concerned || Concerned == this;
}

void TImgBtn::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FPressed = true;
  if (Button == mbLeft) {
    if (HasPicture(FPicture_Down.get()))
      ShowPicture(FPicture_Down.get());
    else if (HasPicture(FPicture_Base.get()))
      ShowPicture(FPicture_Base.get());
  }
  TSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TImgBtn::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (FInside && HasPicture(FPicture_Over.get()))
      ShowPicture(FPicture_Over.get());
    else if (HasPicture(FPicture_Base.get()) || !FInside)
      ShowPicture(FPicture_Base.get());
  }
  FPressed = false;
  // Last: the click it may fire can free the button.
  TSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TImgBtn::CMMouseEnter(TMessage& Message) {
  TSpeedButton::CMMouseEnter(Message);
  if (!Concerns(Message)) return;
  FInside = true;
  if (FPressed) return;
  if (HasPicture(FPicture_Over.get()))
    ShowPicture(FPicture_Over.get());
  else if (HasPicture(FPicture_Base.get()))
    ShowPicture(FPicture_Base.get());
}

void TImgBtn::CMMouseLeave(TMessage& Message) {
  TSpeedButton::CMMouseLeave(Message);
  if (!Concerns(Message)) return;
  FInside = false;
  if (FPressed) return;
  if (HasPicture(FPicture_Base.get())) ShowPicture(FPicture_Base.get());
}

void TImgBtn::Loaded() {
  TSpeedButton::Loaded();
  if (HasPicture(FPicture_Base.get())) ShowPicture(FPicture_Base.get());
}

void RegisterImgBtn() {
  InitializeButtons();
  RegisterClass<TImgBtn, TSpeedButton>()
      .Object("Picture_Base", &TImgBtn::Picture_Base, &TImgBtn::SetPicture_Base)
      .Object("Picture_Over", &TImgBtn::Picture_Over, &TImgBtn::SetPicture_Over)
      .Object("Picture_Down", &TImgBtn::Picture_Down, &TImgBtn::SetPicture_Down);
}
