// More controls: the panel (a container with bevels and a caption), the
// image, shapes and bevels (windowless, drawn here), and the timer.
//
// Start-up: InitializeExtCtrls() registers the classes with the class
// registry so that layouts can create them.
#pragma once

#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "Win.h"

// ---------------------------------------------------------------------------
// Panels

class TCustomPanel : public TCustomControl {
public:
  explicit TCustomPanel(TComponent* AOwner);

  // Where the caption stands (always vertically centred).
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // The bevels drawn inside the panel's client area, the outer first; they
  // are left out of the room for aligned children. These are the panel's
  // own, not the frame bevels of every windowed control.
  TBevelCut BevelInner() const { return FInnerBevel; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FOuterBevel; }
  void SetBevelOuter(TBevelCut Value);
  int BevelWidth() const { return FPanelBevelWidth; }
  void SetBevelWidth(int Value);
  // bsSingle gives the panel a sunken window edge.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  // The bevels, the face in Color and the caption.
  void Paint() override;

private:
  void BevelsChanged();

  TAlignment FAlignment = taCenter;
  TBevelCut FInnerBevel = bvNone;
  TBevelCut FOuterBevel = bvRaised;
  int FPanelBevelWidth = 1;
  TBorderStyle FBorderStyle = bsNone;
};

class TPanel : public TCustomPanel {
public:
  using TCustomPanel::TCustomPanel;
};

// ---------------------------------------------------------------------------
// Images

class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // A canvas on the picture's bitmap (an empty picture becomes a bitmap of
  // the image's size first); EInvalidOperation for other graphics.
  TCanvas* Canvas();
  // Stretch fills the control; Proportional keeps the picture's shape
  // (and shrinks a picture that does not fit); Center centres it.
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  // The picture's transparent colour shows what lies under the image.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);

  // Where the picture is drawn, in client coordinates.
  TRect DestRect() const;

protected:
  void Paint() override;
  // AutoSize takes the picture's size.
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;

private:
  void PictureChanged(TObject* Sender);

  TOwned<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
  bool FDrawing = false;
};

// ---------------------------------------------------------------------------
// Shapes and bevels

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;

  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType Value);
  // The outline and the filling.
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

protected:
  void Paint() override;

private:
  void StyleChanged(TObject* Sender);

  TShapeType FShape = stRectangle;
  TOwned<TPen> FPen;
  TOwned<TBrush> FBrush;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
  explicit TBevel(TComponent* AOwner);

  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

protected:
  void Paint() override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

// ---------------------------------------------------------------------------
// The timer

// Fires OnTimer every Interval milliseconds while Enabled. The handler runs
// inside the framework's exception barrier; it may disable or free the
// timer (also through its owner's Release): no tick reaches a timer that
// is disabled or gone.
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds; 0 stops the timer.
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);

  TNotifyEvent OnTimer;

protected:
  virtual void Timer();

private:
  void WndProc(TMessage& Message);
  void UpdateTimer();

  HWND FWindow = nullptr;
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  bool FRunning = false;
};

// ---------------------------------------------------------------------------
// Start-up of the unit

// Registers the unit's classes and their published properties with the
// class registry (safe to call more than once).
void InitializeExtCtrls();
