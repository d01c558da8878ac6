// A picture control of the page kit: the picture stretched, proportional or
// centred, with an optional coloured frame, a colour tint while checked and
// a round answer mark. A background image draws nothing itself; the panel it
// stands on paints it into its own background instead.
#pragma once

#include "Controls.h"
#include "Graphics.h"
#include "PageNode.h"

enum TImageAnswer { iaNone, iaCorrect, iaIncorrect };

class TELearnFramedImage : public TGraphicControl {
public:
  explicit TELearnFramedImage(TComponent* AOwner);
  ~TELearnFramedImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  // The picture's progress; with IncrementalDisplay the image is repainted
  // whenever a part is worth showing.
  TProgressEvent OnProgress;
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }

  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool IncrementalDisplay() const { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool Value) { FIncrementalDisplay = Value; }

  bool HasFrame() const { return FHasFrame; }
  void SetHasFrame(bool Value);
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  int FrameWidth() const { return FFrameWidth; }
  void SetFrameWidth(int Value);

  // While checked every channel of the picture is scaled by the matching
  // channel of CheckedColor.
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TColor CheckedColor() const { return FCheckedColor; }
  void SetCheckedColor(TColor Value);

  bool IsBackground() const { return FIsBackground; }
  void SetIsBackground(bool Value) { FIsBackground = Value; }

  // The answer mark: a circle twice the text height of the mark's font
  // size, in a corner, the middle or over the whole picture (by Align
  // values: alTop top right, alBottom bottom left, alLeft top left, alRight
  // bottom right, alClient the centre, anything else the whole picture).
  TImageAnswer ImageAnswer() const { return FImageAnswer; }
  void SetImageAnswer(TImageAnswer Value);
  TAlign ImageAnswerPos() const { return FImageAnswerPos; }
  void SetImageAnswerPos(TAlign Value);
  int ImageAnswerFontSize() const { return FImageAnswerFontSize; }
  void SetImageAnswerFontSize(int Value);
  TColor ImageAnswerBorderColor() const { return FImageAnswerBorderColor; }
  void SetImageAnswerBorderColor(TColor Value) { FImageAnswerBorderColor = Value; }
  TColor ImageAnswerFillColor() const { return FImageAnswerFillColor; }
  void SetImageAnswerFillColor(TColor Value) { FImageAnswerFillColor = Value; }

  // Where the page placed the image, whether the page made it, and the
  // file its picture came from.
  int OriginX() const { return FOriginX; }
  void SetOriginX(int Value) { FOriginX = Value; }
  int OriginY() const { return FOriginY; }
  void SetOriginY(int Value) { FOriginY = Value; }
  bool MadeByPage() const { return FMadeByPage; }
  void SetMadeByPage(bool Value) { FMadeByPage = Value; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  // The page-settings node the image was made from; its "origin_x" and
  // "origin_y" become the origin (the current values where they are
  // missing; a bad value raises EPageNodeError and changes nothing).
  const TPageNode& Node() const { return FNode; }
  void SetNode(TPageNode Value);

  // Where the picture is drawn, in client coordinates.
  TRect GetDestRect() const;
  // Draws the picture onto Canvas as if the control's client area began at
  // (DX, DY).
  void DrawBackgroundAt(TCanvas* Canvas, int DX, int DY);
  // Fills Dest from the picture drawn at its drawing size, starting at
  // Source's top-left. The drawn picture is kept until the size or the
  // picture changes.
  void DrawCachedPart(TBitmap* Dest, const TRect& Source);

protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;

private:
  void PictureChanged(TObject* Sender);
  void PictureProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                       const AnsiString& Msg);
  void DrawTinted(TCanvas* Canvas, const TRect& R, TGraphic* Graphic);
  void DrawAnswer(TCanvas* Canvas, const TRect& R);

  TOwned<TBitmap> FCache;
  TOwned<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FIncrementalDisplay = false;
  bool FTransparent = false;
  bool FDrawing = false;
  bool FProportional = false;
  bool FHasFrame = false;
  TColor FFrameColor = clBlack;
  bool FChecked = false;
  TColor FCheckedColor = 0xF0CAA6;
  int FFrameWidth = 1;
  bool FIsBackground = false;
  TImageAnswer FImageAnswer = iaNone;
  TAlign FImageAnswerPos = alLeft;
  int FImageAnswerFontSize = 12;
  TColor FImageAnswerBorderColor = 0;
  TColor FImageAnswerFillColor = 0xFFFFFF;
  TPageNode FNode;
  int FOriginX = 0;
  int FOriginY = 0;
  bool FMadeByPage = false;
  AnsiString FFileName;
};

// Registers the class and its published properties, so that layouts can
// hold framed images.
void RegisterELFramedImage();
