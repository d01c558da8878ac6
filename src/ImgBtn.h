// The picture button: a speed button whose glyph follows the mouse through
// three pictures (normal, under the mouse, pressed).
#pragma once

#include "Buttons.h"
#include "Graphics.h"

class TImgBtn : public TSpeedButton {
public:
  explicit TImgBtn(TComponent* AOwner);
  ~TImgBtn() override;

  // Setting copies the bitmap. The base picture goes into the glyph at
  // once; the other two show from the next mouse event on.
  TBitmap* Picture_Base() const { return FPicture_Base.get(); }
  void SetPicture_Base(TBitmap* Value);
  TBitmap* Picture_Down() const { return FPicture_Down.get(); }
  void SetPicture_Down(TBitmap* Value) { FPicture_Down->Assign(Value); }
  TBitmap* Picture_Over() const { return FPicture_Over.get(); }
  void SetPicture_Over(TBitmap* Value) { FPicture_Over->Assign(Value); }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  // A layout fills the pictures in place, without their setters: the base
  // picture still has to reach the glyph.
  void Loaded() override;

private:
  void ShowPicture(TBitmap* Picture) { SetGlyph(Picture); }
  // Whether a notification is about this button (parents hear about their
  // children's too).
  bool Concerns(const TMessage& Message) const;

  TOwned<TBitmap> FPicture_Base;
  TOwned<TBitmap> FPicture_Down;
  TOwned<TBitmap> FPicture_Over;
  bool FPressed = false;
  bool FInside = false;
};

// Registers TImgBtn and its published pictures with the class registry.
void RegisterImgBtn();
