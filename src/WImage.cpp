#include "WImage.h"

#include "TypInfo.h"

namespace {

// Sets a flag for a scope and puts back its old value, also when the scope
// is left by an exception.
class TFlagScope {
public:
  explicit TFlagScope(bool& Flag) : FFlag(Flag), FOld(Flag) { FFlag = true; }
  ~TFlagScope() { FFlag = FOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

private:
  bool& FFlag;
  bool FOld;
};

}  // namespace

TWImage::TWImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture()) {
  FPicture->OnChange = TNotifyEvent(this, &TWImage::PictureChanged);
  SetBounds(0, 0, 105, 105);
}

TWImage::~TWImage() { FPicture->OnChange = nullptr; }

void TWImage::SetPicture(TPicture* Value) {
  FPicture->Assign(Value);
  Repaint();
}

void TWImage::PictureChanged(TObject*) {
  if (!FPainting) Invalidate();
}

void TWImage::Paint() {
  TCanvas* C = Canvas();
  if (ComponentState().Contains(csDesigning)) {
    C->Pen()->SetStyle(psDash);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(0, 0, Width(), Height());
  }
  const int PW = FPicture->Width(), PH = FPicture->Height();
  if (PW <= 0 || PH <= 0) return;
  TFlagScope Painting(FPainting);
  // Tiles that miss the area being repainted are not drawn: with a small
  // picture a full repaint of a large window is many thousand tiles.
  C->RequiredState({csHandleValid});
  TRect Clip{};
  const bool Clipped = GetClipBox(C->Handle(), &Clip) != ERROR;
  TGraphic* Graphic = FPicture->Graphic();
  for (int Col = 0; Col <= Width() / PW + 1; ++Col) {
    for (int Row = 0; Row <= Height() / PH + 1; ++Row) {
      const TRect Tile = Rect(Col * PW, Row * PH, (Col + 1) * PW, (Row + 1) * PH);
      TRect Visible;
      if (Clipped && !IntersectRect(&Visible, &Tile, &Clip)) continue;
      C->StretchDraw(Tile, Graphic);
    }
  }
}

void RegisterWImage() {
  InitializeGraphics();
  RegisterClass<TWImage, TGraphicControl>().Object("Picture", &TWImage::Picture, &TWImage::SetPicture);
}
