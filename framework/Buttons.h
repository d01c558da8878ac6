// The speed button: a windowless button with a glyph and a caption, which
// may stay down as one of a group.
//
// Start-up: InitializeButtons() registers the class with the class
// registry so that layouts can create it.
#pragma once

#include "Controls.h"
#include "Graphics.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// The faces of a button; also the order of the images in a glyph.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  // The picture: NumGlyphs images side by side (up, disabled, down,
  // exclusive); its bottom-left pixel's colour is transparent. Assigning
  // copies. A glyph whose width is 2, 3 or 4 times its height sets
  // NumGlyphs to that.
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  // A flat button shows its raised frame only while the mouse is over it.
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // A transparent button lets the parent show through where it draws no
  // frame.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Buttons of one parent with the same GroupIndex (not 0) stay down one
  // at a time; AllowAllUp lets the down one come up again.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  // Pixels between the edge and the glyph (-1: the group is centred), and
  // between the glyph and the caption (-1: centred in the rest).
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);

  // The face shown now, and whether the mouse is over the button.
  TButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }

  void WndProc(TMessage& Message) override;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The mouse entered or left the button (Message.LParam is the button).
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  void Paint() override;

private:
  void GlyphChanged(TObject* Sender);
  void UpdateExclusive();
  void ButtonPressed(TMessage& Message);
  // Draws the glyph image for the state at (X, Y) of the canvas.
  void DrawGlyph(int X, int Y, TButtonState ForState);
  void DrawCaption(const TRect& Bounds, TButtonState ForState);

  TOwned<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  bool FFlat = false;
  bool FTransparent = true;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TButtonState FState = bsUp;
  bool FDragging = false;
  bool FMouseInControl = false;
};

// Registers the unit's class and its published properties with the class
// registry (safe to call more than once).
void InitializeButtons();
