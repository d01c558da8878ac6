// Image lists: equally sized images, with masks, kept in a platform image
// list, drawn by index.
#pragma once

#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Win.h"

class TCustomImageList;

// Tells its owner (a tool bar, a menu) when the image list it is registered
// with changes. Freeing the link unregisters it.
class TChangeLink : public TObject {
public:
  ~TChangeLink() override;

  TCustomImageList* Sender() const { return FSender; }
  // Fires OnChange with the image list as sender.
  void Change();

  TNotifyEvent OnChange;

private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // The size of every image; changing it empties the list.
  int Width() const { return FWidth; }
  void SetWidth(int Value) { SetSize(Value, FHeight); }
  int Height() const { return FHeight; }
  void SetHeight(int Value) { SetSize(FWidth, Value); }
  int Count() const;

  // The platform image list (24-bit colour with masks), made on first use.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // Each returns the index of the (first) image added; a bitmap wider than
  // Width adds one image per Width pixels. Failure raises EInvalidOperation.
  // The bitmaps are copied and stay as they were.
  int Add(TBitmap* Image, TBitmap* Mask);
  // MaskColor's pixels become transparent (clNone: none do).
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Icon);
  void Clear();

  // Draws image Index with its mask; a disabled image is drawn embossed in
  // the button highlight and shadow colours.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  // Image Index drawn onto Image (sized to the list's images).
  void GetBitmap(int Index, TBitmap* Image);

  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);

  // Layout data ("Bitmap"): a 32-bit count, width and height, then for each
  // image its picture and its mask, each as a 32-bit size and a BMP file;
  // all numbers little-endian. The picture is the image drawn onto black,
  // the mask black where the image shows and white where it is transparent.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  TNotifyEvent OnChange;

protected:
  virtual void Change();
  void DefineProperties(TFiler* Filer) override;

private:
  void SetSize(int AWidth, int AHeight);
  void FreeHandle();
  void CheckIndex(int Index) const;

  int FWidth = 16;
  int FHeight = 16;
  HIMAGELIST FHandle = nullptr;
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
public:
  using TCustomImageList::TCustomImageList;
};

// Unit start-up: registers the image list classes for layouts.
void InitializeImgList();
