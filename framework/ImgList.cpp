#include "ImgList.h"

#include <algorithm>

#include "Consts.h"
#include "Filer.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {


// A copy of a bitmap the image list may select into its own DCs (the
// original may be selected into its canvas's DC).
TOwned<TBitmap> CopyOf(TBitmap* Source) {
  TOwned<TBitmap> Copy(new TBitmap);
  Copy->Assign(Source);
  return Copy;
}

void WriteInt(TStream* Stream, std::uint32_t Value) {
  Byte B[4] = {static_cast<Byte>(Value), static_cast<Byte>(Value >> 8), static_cast<Byte>(Value >> 16),
               static_cast<Byte>(Value >> 24)};
  Stream->WriteBuffer(B, sizeof(B));
}

std::int32_t ReadInt(TStream* Stream) {
  Byte B[4];
  if (Stream->Read(B, sizeof(B)) != sizeof(B)) throw EInvalidGraphic(LoadStr(SInvalidImageList));
  return static_cast<std::int32_t>(B[0] | (B[1] << 8) | (B[2] << 16) | (static_cast<std::uint32_t>(B[3]) << 24));
}

// A monochrome device bitmap in a memory DC. Unlike a 1-bit DIB it is
// converted through the DCs' text and background colours, which is what
// turns a picture into its shape.
class TMonochrome {
public:
  TMonochrome(int Width, int Height)
      : FBitmap(CreateBitmap(Width, Height, 1, 1, nullptr)), FDC(CreateCompatibleDC(nullptr)) {
    if (!FBitmap || !FDC) {
      Release();
      throw EOutOfResources(LoadStr(SOutOfResources));
    }
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TMonochrome() { Release(); }
  TMonochrome(const TMonochrome&) = delete;
  TMonochrome& operator=(const TMonochrome&) = delete;
  HDC Handle() const { return FDC; }

private:
  void Release() {
    if (FDC) {
      if (FOld) SelectObject(FDC, FOld);
      DeleteDC(FDC);
    }
    if (FBitmap) DeleteObject(FBitmap);
  }
  HBITMAP FBitmap;
  HDC FDC;
  HGDIOBJ FOld = nullptr;
};

}  // namespace

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* Link : FLinks) Link->FSender = nullptr;
  FreeHandle();
}

void TCustomImageList::FreeHandle() {
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) {
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (!FHandle) throw EOutOfResources(LoadStr(SOutOfResources));
  }
  return FHandle;
}

int TCustomImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::SetSize(int AWidth, int AHeight) {
  if (AWidth < 1 || AHeight < 1) throw EInvalidOperation(LoadStr(SInvalidImageSize));
  if (AWidth == FWidth && AHeight == FHeight) return;
  FreeHandle();
  FWidth = AWidth;
  FHeight = AHeight;
  Change();
}

void TCustomImageList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(FmtLoadStr(SImageIndexError, Index));
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) throw EInvalidOperation(LoadStr(SImageInsertError));
  TOwned<TBitmap> ImageCopy = CopyOf(Image);
  TOwned<TBitmap> MaskCopy = Mask && !Mask->Empty() ? CopyOf(Mask) : nullptr;
  int Result = ImageList_Add(Handle(), ImageCopy->Handle(), MaskCopy ? MaskCopy->Handle() : nullptr);
  if (Result < 0) throw EInvalidOperation(LoadStr(SImageInsertError));
  Change();
  return Result;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (MaskColor == clNone) return Add(Image, nullptr);
  if (!Image || Image->Empty()) throw EInvalidOperation(LoadStr(SImageInsertError));
  // The platform blackens the masked pixels of the bitmap it is given.
  TOwned<TBitmap> ImageCopy = CopyOf(Image);
  int Result = ImageList_AddMasked(Handle(), ImageCopy->Handle(), static_cast<COLORREF>(ColorToRGB(MaskColor)));
  if (Result < 0) throw EInvalidOperation(LoadStr(SImageInsertError));
  Change();
  return Result;
}

int TCustomImageList::AddIcon(TIcon* Icon) {
  if (!Icon || Icon->Empty()) throw EInvalidOperation(LoadStr(SImageInsertError));
  int Result = ImageList_ReplaceIcon(Handle(), -1, Icon->Handle());
  if (Result < 0) throw EInvalidOperation(LoadStr(SImageInsertError));
  Change();
  return Result;
}

void TCustomImageList::Clear() {
  if (Count() == 0) return;
  ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  CheckIndex(Index);
  HDC DC = Canvas->Handle();
  if (Enabled) {
    ImageList_Draw(FHandle, Index, DC, X, Y, ILD_NORMAL);
    return;
  }
  // The image's shape: monochrome, 0 where the image shows a non-white
  // pixel (the background colour of the source becomes 1). It is then
  // painted twice through a brush: highlight offset by one pixel, shadow on
  // top.
  TOwned<TBitmap> Picture(new TBitmap);
  Picture->SetPixelFormat(pf24bit);
  Picture->SetSize(FWidth, FHeight);
  HDC PictureDC = Picture->Canvas()->Handle();
  ImageList_Draw(FHandle, Index, PictureDC, 0, 0, ILD_NORMAL);
  TMonochrome Shape(FWidth, FHeight);
  HDC ShapeDC = Shape.Handle();
  SetBkColor(PictureDC, RGB(255, 255, 255));
  BitBlt(ShapeDC, 0, 0, FWidth, FHeight, PictureDC, 0, 0, SRCCOPY);

  // Monochrome 0 becomes the text colour: white, so that the raster
  // operation below (pattern where the source is set) paints the shape.
  const DWORD DSPDxax = 0x00E20746;
  COLORREF OldText = SetTextColor(DC, RGB(255, 255, 255));
  COLORREF OldBk = SetBkColor(DC, RGB(0, 0, 0));
  const TColor Colors[2] = {clBtnHighlight, clBtnShadow};
  for (int I = 0; I < 2; ++I) {
    HBRUSH Brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Colors[I])));
    if (!Brush) throw EOutOfResources(LoadStr(SOutOfResources));
    HGDIOBJ Old = SelectObject(DC, Brush);
    BitBlt(DC, X + 1 - I, Y + 1 - I, FWidth, FHeight, ShapeDC, 0, 0, DSPDxax);
    SelectObject(DC, Old);
    DeleteObject(Brush);
  }
  SetTextColor(DC, OldText);
  SetBkColor(DC, OldBk);
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  CheckIndex(Index);
  Image->SetSize(FWidth, FHeight);
  ImageList_Draw(FHandle, Index, Image->Canvas()->Handle(), 0, 0, ILD_NORMAL);
  Image->Canvas()->Changed();
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value) return;
  if (Value->FSender && Value->FSender != this) Value->FSender->UnRegisterChanges(Value);
  Value->FSender = this;
  if (std::find(FLinks.begin(), FLinks.end(), Value) == FLinks.end()) FLinks.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto It = std::find(FLinks.begin(), FLinks.end(), Value);
  if (It == FLinks.end()) return;
  FLinks.erase(It);
  Value->FSender = nullptr;
}

void TCustomImageList::Change() {
  // A link's handler may unregister links.
  const std::vector<TChangeLink*> Links = FLinks;
  for (TChangeLink* Link : Links)
    if (std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end()) Link->Change();
  if (OnChange) OnChange(this);
}

void TCustomImageList::WriteData(TStream* Stream) {
  int N = Count();
  WriteInt(Stream, static_cast<std::uint32_t>(N));
  WriteInt(Stream, static_cast<std::uint32_t>(FWidth));
  WriteInt(Stream, static_cast<std::uint32_t>(FHeight));
  for (int I = 0; I < N; ++I) {
    TOwned<TBitmap> Picture(new TBitmap);
    Picture->SetPixelFormat(pf24bit);
    Picture->SetSize(FWidth, FHeight);
    Picture->Canvas()->Brush()->SetColor(clBlack);
    Picture->Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
    ImageList_Draw(FHandle, I, Picture->Canvas()->Handle(), 0, 0, ILD_NORMAL);
    TOwned<TBitmap> Mask(new TBitmap);
    Mask->SetPixelFormat(pf1bit);
    Mask->SetSize(FWidth, FHeight);
    ImageList_Draw(FHandle, I, Mask->Canvas()->Handle(), 0, 0, ILD_MASK);
    Picture->WriteData(Stream);
    Mask->WriteData(Stream);
  }
}

void TCustomImageList::ReadData(TStream* Stream) {
  std::int32_t N = ReadInt(Stream), W = ReadInt(Stream), H = ReadInt(Stream);
  // Each image takes at least its two size fields.
  if (N < 0 || W < 1 || H < 1 || W > 4096 || H > 4096 || static_cast<Int64>(N) * 8 > Stream->Size() - Stream->Position())
    throw EInvalidGraphic(LoadStr(SInvalidImageList));
  std::vector<std::pair<TOwned<TBitmap>, TOwned<TBitmap>>> Images;
  for (std::int32_t I = 0; I < N; ++I) {
    TOwned<TBitmap> Picture(new TBitmap), Mask(new TBitmap);
    Picture->ReadData(Stream);
    Mask->ReadData(Stream);
    if (Picture->Width() != W || Picture->Height() != H || Mask->Width() != W || Mask->Height() != H)
      throw EInvalidGraphic(LoadStr(SInvalidImageList));
    Images.emplace_back(std::move(Picture), std::move(Mask));
  }
  // Only a complete list replaces the images.
  FreeHandle();
  FWidth = W;
  FHeight = H;
  for (auto& [Picture, Mask] : Images)
    if (ImageList_Add(Handle(), Picture->Handle(), Mask->Handle()) < 0) throw EInvalidOperation(LoadStr(SImageInsertError));
  Change();
}

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); }, Count() > 0);
}

void InitializeImgList() {
  RegisterClass<TCustomImageList, TComponent>()
      .Int("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16)
      .Int("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16)
      .Event("OnChange", &TCustomImageList::OnChange);
  RegisterClass<TImageList, TCustomImageList>();
}
