// The tiling image: a windowless control that covers its whole area with
// copies of one picture (the main window's background).
#pragma once

#include "Controls.h"
#include "Graphics.h"

class TWImage : public TGraphicControl {
public:
  explicit TWImage(TComponent* AOwner);
  ~TWImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  // Copies the picture and repaints at once.
  void SetPicture(TPicture* Value);

protected:
  void Paint() override;

private:
  void PictureChanged(TObject* Sender);

  TOwned<TPicture> FPicture;
  // Set while painting: a graphic that changes as it is drawn must not
  // invalidate the control again.
  bool FPainting = false;
};

// Registers TWImage and its published picture with the class registry.
void RegisterWImage();
