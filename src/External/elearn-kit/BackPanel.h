// A panel that paints itself from an off-screen bitmap composed of the
// form's background picture (when transparent) and of the background
// pictures and movies standing on it, so that the page's controls seem to
// stand on one continuous background.
//
// Start-up: InitializeBackPanel() makes the lock every composition runs
// in; FinalizeBackPanel() deletes it.
#pragma once

#include <vector>

#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"

class TBackPanel : public TCustomPanel {
public:
  explicit TBackPanel(TComponent* AOwner);
  ~TBackPanel() override;

  // The dimming strength kept for the pages built on the panel.
  int Alpha() const { return FAlpha; }
  void SetAlpha(int Value) { FAlpha = Value; }
  // The form's background picture shows through.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // A frozen panel draws no background, it only fills.
  bool Frozen() const { return FFrozen; }
  void SetFrozen(bool Value) { FFrozen = Value; }
  // The composed background (empty while there is none).
  const TBitmap* Background() const { return FBackground.get(); }
  // Whether the last look at the background objects found one to paint.
  bool HasBackgroundObjects() const { return FHasBackgroundObjects; }

  // Builds the off-screen background when it is due (Force: in any case
  // while showing).
  void ComposeBackground(bool Force);
  // Copies R of the background, moved by (DX, DY), onto Canvas; fills R
  // with the canvas's brush when there is no background to copy.
  void CopyBackground(const TRect& R, TCanvas* Canvas, int DY, int DX);
  // Makes the next composition draw the background objects again.
  void ResetMediaRange();

  void WndProc(TMessage& Message) override;

protected:
  // The controls whose background ones the panel paints (here one empty
  // entry), and the range of media they stand for.
  virtual void GetBackgroundObjects(std::vector<TControl*>& List);
  virtual int GetFirstMediaIndex() { return 0; }
  virtual int GetLastMediaIndex() { return 0; }
  // Told before (After false) and after the background objects are
  // painted.
  virtual bool BackgroundObjectsPainted(bool After);
  void Paint() override;

private:
  void ReleaseBackground();
  void RepaintUncovered();

  int FAlpha = 0;
  bool FComposing = false;
  TOwned<TBitmap> FBackground;
  TRect FLastBounds{};
  bool FVisibilityChanged = false;
  bool FRecompose = true;
  bool FTransparent = true;
  bool FHasBackgroundObjects = false;
  int FFirstMedia = -1;
  int FLastMedia = -1;
  bool FFrozen = false;
};

// Draws the part R of Panel's form background (the form's framed image
// named "ELFBack") onto Canvas at R, every channel dimmed to half and
// lifted by Brightness (kept within 0..255) unless Brightness is 0. Without
// such a picture R is filled with the canvas's brush and the result is
// false.
bool DrawFormBackground(TControl* Panel, const TRect& R, int Brightness, TCanvas* Canvas);

void InitializeBackPanel();
void FinalizeBackPanel();
// Registers the class with its published Alpha and Transparent.
void RegisterBackPanel();
