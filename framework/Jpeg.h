// JPEG pictures, decoded with libjpeg.
#pragma once

#include <vector>

#include "Graphics.h"

// A libjpeg error; the message is "JPEG error #<libjpeg message code>".
class EJPEG : public EInvalidGraphic {
public:
  using EInvalidGraphic::EInvalidGraphic;
};

// A JPEG picture. It is decoded in full when loaded (so a damaged file fails
// then, not while painting) and drawn from a 24-bit bitmap; the file's own
// bytes are kept and saved back unchanged.
class TJPEGImage : public TGraphic {
public:
  TJPEGImage();
  ~TJPEGImage() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* Canvas, const TRect& R) override;
  bool Empty() const override { return FBitmap->Empty(); }
  int Width() const override { return FBitmap->Width(); }
  int Height() const override { return FBitmap->Height(); }
  // The size comes from the picture: both raise EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;

  // Reads the rest of Stream as one JPEG file.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Layout data: a 4-byte little-endian size, then the JPEG file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

private:
  void LoadFromBytes(std::vector<Byte> Data);

  std::vector<Byte> FData;
  TOwned<TBitmap> FBitmap;
};
