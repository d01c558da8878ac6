// Device-independent bitmaps as a picture class: TDIB reads and writes BMP
// files and the CF_DIB clipboard format (1 to 32 bits, bit fields, RLE4 and
// RLE8 kept compressed), shares its image copy on write, and takes its
// palettes from a cache that makes one GDI palette per distinct colour table.
#pragma once

#include <memory>
#include <vector>

#include "Graphics.h"
#include "Streams.h"

// Masks of the three channels, their bit counts and the shifts to and from
// an 8-bit channel.
struct TDIBPixelFormat {
  Integer RBitMask, GBitMask, BBitMask;
  Integer RBitCount, GBitCount, BBitCount;
  Integer RShift, GShift, BShift;
  Integer RShift2, GShift2, BShift2;
};

TDIBPixelFormat MakeDIBPixelFormat(int RBitCount, int GBitCount, int BBitCount);

// Decodes Count bytes of RLE8 (or, with Four, RLE4) data into Height
// bottom-up rows of WidthBytes bytes. Reads stay inside the input; runs are
// clipped at the row's end and pixels outside the image are dropped.
void DecodeRLE(const Byte* In, std::size_t Count, Byte* Out, int Width, int Height, int WidthBytes, bool Four);

class TDIB;

// The pixels and the header of one image, shared by every TDIB that shows
// it. Either a memory image (the bits in global memory, RLE data among them)
// or a DIB section selected into a memory DC of its own.
class TDIBSharedImage : public TSharedImage {
public:
  ~TDIBSharedImage() override;

  // A new image of the given form with one reference. Pixel formats other
  // than 8-8-8 (16 bits: 5-5-5 or 5-6-5) raise EInvalidGraphicOperation.
  static std::unique_ptr<TDIBSharedImage> NewImage(int AWidth, int AHeight, bool ACompressed, bool AMemoryImage,
                                                   const RGBQUAD* Colors, const TDIBPixelFormat& APixelFormat,
                                                   int ABitCount);
  // Reads the info header, colour table and bits (the CF_DIB form); a stream
  // at its end gives the empty image (nullptr).
  static std::unique_ptr<TDIBSharedImage> Read(TStream* Stream, bool AMemoryImage);
  // An unshared, uncompressed copy (RLE data decoded).
  std::unique_ptr<TDIBSharedImage> Decompressed(bool AMemoryImage) const;

  int BitCount() const { return FBitCount; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int WidthBytes() const { return FWidthBytes; }
  int Size() const { return FSize; }
  bool Compressed() const { return FCompressed; }
  bool MemoryImage() const { return FMemoryImage; }
  const void* Bits() const { return FBits; }
  HDC DC() const { return FDC; }
  const TDIBPixelFormat& PixelFormat() const { return FPixelFormat; }
  const RGBQUAD* ColorTable() const { return FColorTable; }
  int ColorTableSize() const { return FColorTableSize; }

private:
  friend class TDIB;
  friend void FinalizeDIB();
  TDIBSharedImage() = default;
  // The one empty image of the program (made on first use; the unit's
  // shut-down drops its reference).
  static TDIBSharedImage* EmptyImage();
  HPALETTE Palette();
  void SetColorTable(const RGBQUAD* Colors);

  int FBitCount = 0;
  std::vector<Byte> FBitmapInfo;
  bool FPaletteChanged = true;
  RGBQUAD FColorTable[256]{};
  int FColorTableOffset = 40;
  bool FCompressed = false;
  HDC FDC = nullptr;
  HBITMAP FSection = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  int FHeight = 0;
  int FWidth = 0;
  bool FMemoryImage = true;
  int FNextLine = 0;
  HPALETTE FPalette = nullptr;
  int FColorTableSize = 0;
  void* FBits = nullptr;
  TDIBPixelFormat FPixelFormat{};
  int FSize = 0;
  Byte* FTopPBits = nullptr;
  int FWidthBytes = 0;
};

class TDIB : public TGraphic {
public:
  TDIB();
  ~TDIB() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, const TRect& R) override;
  bool Empty() const override { return FImage->FSize == 0; }
  int Width() const override { return FImage->FWidth; }
  int Height() const override { return FImage->FHeight; }
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  HPALETTE Palette() override;
  void SetPalette(HPALETTE Value) override;

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;

  // Back to the empty image.
  void Clear();
  // A new image of the size (pixels not kept); 0 or less empties.
  void SetSize(int AWidth, int AHeight, int ABitCount);
  // A canvas on the image's DC (the image becomes a DIB section).
  TCanvas* Canvas();
  // The pixels, writable: the image is made unshared and uncompressed.
  void* Bits();
  // Replaces a shared or compressed image (and, with AMemoryImage false, a
  // memory image) with an unshared decompressed copy.
  void Changing(bool AMemoryImage);
  // Writes ColorTable into the image when they differ.
  void UpdatePalette();
  // Makes the image a DIB section with a DC.
  void ToDIBSection();

  int BitCount() const { return FImage->FBitCount; }
  int WidthBytes() const { return FImage->FWidthBytes; }
  int Size() const { return FImage->FSize; }
  const TDIBPixelFormat& PixelFormat() const { return FImage->FPixelFormat; }
  // The colour table that UpdatePalette and SetSize use.
  RGBQUAD* ColorTable() { return FColorTable; }
  // The pixel format of the images SetSize makes.
  TDIBPixelFormat NowPixelFormat;
  const TDIBSharedImage* SharedImage() const { return FImage; }

protected:
  void DefineProperties(TFiler* Filer) override;

private:
  void SetImage(TDIBSharedImage* Value);
  void CanvasChanging(TObject* Sender);

  TOwned<TCanvas> FCanvas;
  TDIBSharedImage* FImage = nullptr;
  RGBQUAD FColorTable[256]{};
};

// One GDI palette per distinct colour table, counted by its users.
class TPaletteManager {
public:
  ~TPaletteManager();
  HPALETTE CreatePalette(const RGBQUAD* Colors, int Count);
  // Drops one reference to Palette (nullptr is ignored) and clears it.
  void DeletePalette(HPALETTE& Palette);

private:
  struct TPaletteItem {
    Integer CheckSum;
    HPALETTE Palette;
    int RefCount;
    int ColorCount;
    RGBQUAD Colors[256];
  };
  std::vector<TPaletteItem> FItems;
};

TPaletteManager* PaletteManager();

// A read view of a global memory block: locked for the stream's life.
class TGlobalMemoryStream : public TCustomMemoryStream {
public:
  explicit TGlobalMemoryStream(HGLOBAL AHandle);
  ~TGlobalMemoryStream() override;

  // Reading only: writing transfers nothing, sizing raises EStreamError.
  int Write(const void* Buffer, int Count) override;
  void SetSize(Int64 NewSize) override;

private:
  HGLOBAL FHandle;
};

// Unit start-up: TDIB registered for "dib" files and CF_DIB. Shut-down
// unregisters it and frees the empty image and the palette cache.
void InitializeDIB();
void FinalizeDIB();
