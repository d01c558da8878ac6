// The image form: gives a windowed control (a form by default, its owner) a
// background picture or gradient, can shape its window after a picture and
// lets the user drag a form by its client area.
#pragma once

#include <memory>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "VsExtBkgnd.h"
#include "VsHook.h"

// Broadcast to the control's children when its background moved or changed.
constexpr UINT VS_IMAGEFORMCHANGED = 0x1CF5;
// Asked of the control: non-zero when it paints its own background.
constexpr UINT VS_IMAGEFORMOWNBKGND = 0x1CF7;
// Sent to the control with a TRect* of the background's area before painting.
constexpr UINT VS_IMAGEFORMADJUSTRECT = 0x092E;

class TCustomVsImageForm;

using TImgFormChangeEvent = TMethodPtr<void(TCustomVsImageForm* Form)>;

// What a control registers with an image form to hear of its changes.
class TImgFormChangeLink : public TObject {
public:
  ~TImgFormChangeLink() override;
  TCustomVsImageForm* Form() const { return FForm; }
  void SetForm(TCustomVsImageForm* Value) { FForm = Value; }
  TImgFormChangeEvent OnChange;
  virtual void Change();

private:
  TCustomVsImageForm* FForm = nullptr;
};

class TCustomVsImageForm : public TComponent {
public:
  explicit TCustomVsImageForm(TComponent* AOwner);
  ~TCustomVsImageForm() override;
  void BeforeDestruction() override;

  TWinControl* Control() const { return FControl; }
  void SetControl(TWinControl* Value);
  // The control decorated: Control, or the owner when it is a windowed control.
  TWinControl* GetRealControl() const;
  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  TGraphicControl* CaptionControl() const { return FCaptionControl; }
  void SetCaptionControl(TGraphicControl* Value);
  bool ChangeFormRegion() const { return FChangeFormRegion; }
  void SetChangeFormRegion(bool Value);
  TImage* FormImage() const { return FFormImage; }
  void SetFormImage(TImage* Value);
  bool MoveForm() const { return FMoveForm; }
  void SetMoveForm(bool Value) { FMoveForm = Value; }
  TBitmap* Background() const { return FBackground.get(); }
  void SetBackground(TBitmap* Value);
  TVsBkGndType BackgroundType() const { return FBackgroundType; }
  void SetBackgroundType(TVsBkGndType Value);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor Value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor Value);
  int GradientSteps() const { return FGradientSteps; }
  void SetGradientSteps(int Value);

  // Paints the background part R of DC, whose point p shows the control's
  // background at p + Offset; Whole paints the whole area in its own
  // coordinates.
  void PaintBkgnd(HDC DC, const TRect& R, bool Whole, TPoint Offset);

  void RegisterChanges(TImgFormChangeLink* Link);
  void UnregisterChanges(TImgFormChangeLink* Link);
  void NotifyLinks();

  // The region currently owned here: one built but never accepted by a
  // window (nullptr once the window took it).
  HRGN OwnedRegion() const { return FRegion; }

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ApplyFormRegion();
  void RemoveFormRegion();
  void HookControl();
  void UnhookControl();
  void PictureChanged(TObject* Sender);
  void BackgroundChanged(TObject* Sender);
  TColor GetPictureCornerColor() const;

private:
  void BeforeMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  void AfterMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  void RebuildStretched();
  void InvalidateControl(bool Erase);
  void BroadcastChanged();
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  TWinControl* FControl = nullptr;
  TColor FTransparentColor = clNone;
  TGraphicControl* FCaptionControl = nullptr;
  bool FChangeFormRegion = false;
  TImage* FFormImage = nullptr;
  bool FMoveForm = false;
  TOwned<TBitmap> FBackground;
  TVsBkGndType FBackgroundType = bgtColorFill;
  TColor FGradientStartColor = clBlack;
  TColor FGradientEndColor = clWhite;
  int FGradientSteps = 16;
  TVsHook* FHook = nullptr;  // owned as a component
  HRGN FRegion = nullptr;
  std::vector<TImgFormChangeLink*> FLinks;
  TOwned<TBitmap> FStretched;
  TNotifyEvent FSavedPictureChange;
  bool FJustResized = false;
};

class TVsImageForm : public TCustomVsImageForm {
public:
  using TCustomVsImageForm::TCustomVsImageForm;
};

// Moves Client's change link and free notification from Current to Value,
// which becomes Current; false when Value already was.
bool RelinkImageForm(TComponent* Client, TImgFormChangeLink* Link, TVsImageForm*& Current, TVsImageForm* Value);

// The window region of Graphic's pixels that are not Transparent (each of
// red, green and blue within [k, k + Tolerance] of the colour's part k);
// clNone keeps every pixel. nullptr for no graphic; the caller owns it.
HRGN CreateRegionFromBitmap(TGraphic* Graphic, TColor Transparent, int Tolerance);

void InitializeVsImageForm();
