#include "DIB.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Consts.h"
#include "Filer.h"

namespace {

const char SDIBInvalid[] = "DIB is invalid";
const char SPixelFormatInvalid[] = "PixelFormat in invalid";
const char SBitCountInvalid[] = "Bitcount in invalid (%d)";
const char SCannotMake[] = "%s cannot be made";

// No image is made larger than this (pixels, or the compressed bytes).
constexpr std::int64_t MaxImageBytes = std::int64_t{256} << 20;

TDIBSharedImage* GEmptyImage = nullptr;
std::unique_ptr<TPaletteManager> GPaletteManager;

[[noreturn]] void Invalid() { throw EInvalidGraphic(SDIBInvalid); }

void ReadExact(TStream* Stream, void* Buffer, std::int64_t Count) {
  if (Count > 0 && Stream->Read(Buffer, static_cast<int>(Count)) != Count) Invalid();
}

std::uint32_t U32(const Byte* P) {
  return P[0] | (P[1] << 8) | (P[2] << 16) | (static_cast<std::uint32_t>(P[3]) << 24);
}
std::uint16_t U16(const Byte* P) { return static_cast<std::uint16_t>(P[0] | (P[1] << 8)); }
void PutU32(Byte* P, std::uint32_t V) {
  for (int I = 0; I < 4; ++I) P[I] = static_cast<Byte>(V >> (8 * I));
}
void PutU16(Byte* P, std::uint32_t V) {
  P[0] = static_cast<Byte>(V);
  P[1] = static_cast<Byte>(V >> 8);
}

// The length of the run of 1 bits from the lowest set bit (bits 0 to 30).
int MaskBitCount(std::uint32_t Mask) {
  int Bit = 0;
  while (Bit <= 30 && !(Mask & (1u << Bit))) ++Bit;
  int Count = 0;
  while (Bit <= 30 && (Mask & (1u << Bit))) {
    ++Count;
    ++Bit;
  }
  return Count;
}

bool HasMasks(const TDIBPixelFormat& F, Integer R, Integer G, Integer B) {
  return F.RBitMask == R && F.GBitMask == G && F.BBitMask == B;
}

std::int64_t RowBytes(std::int64_t Width, int BitCount) { return (BitCount * Width + 31) / 32 * 4; }

}  // namespace

void DecodeRLE(const Byte* In, std::size_t Count, Byte* Out, int Width, int Height, int WidthBytes, bool Four) {
  std::int64_t X = 0, Y = 0;
  auto Put = [&](Byte Value) {
    if (X < Width && Y < Height) {
      Byte* Row = Out + Y * WidthBytes;
      if (!Four) {
        Row[X] = Value;
      } else {
        Byte& B = Row[X / 2];
        B = (X % 2) ? static_cast<Byte>((B & 0xF0) | (Value & 0x0F)) : static_cast<Byte>((B & 0x0F) | (Value << 4));
      }
    }
    ++X;
  };
  std::size_t P = 0;
  while (P + 2 <= Count && Y < Height) {
    Byte N = In[P], V = In[P + 1];
    P += 2;
    if (N > 0) {
      for (int I = 0; I < N && X < Width; ++I) Put(Four ? ((I % 2) ? V & 0x0F : V >> 4) : V);
    } else if (V == 0) {
      X = 0;
      ++Y;
    } else if (V == 1) {
      return;
    } else if (V == 2) {
      if (P + 2 > Count) return;
      X += In[P];
      Y += In[P + 1];
      P += 2;
    } else {
      std::size_t Bytes = Four ? (V + 1u) / 2 : V;
      if (P + Bytes > Count) return;
      for (int I = 0; I < V; ++I) Put(Four ? ((I % 2) ? In[P + I / 2] & 0x0F : In[P + I / 2] >> 4) : In[P + I]);
      P += Bytes + (Bytes & 1);
    }
  }
}

TDIBPixelFormat MakeDIBPixelFormat(int RBitCount, int GBitCount, int BBitCount) {
  auto Ones = [](int Bits) { return static_cast<std::uint64_t>((std::uint64_t{1} << Bits) - 1); };
  TDIBPixelFormat F{};
  F.RBitMask = static_cast<Integer>(static_cast<std::uint32_t>(Ones(RBitCount) << (GBitCount + BBitCount)));
  F.GBitMask = static_cast<Integer>(static_cast<std::uint32_t>(Ones(GBitCount) << BBitCount));
  F.BBitMask = static_cast<Integer>(static_cast<std::uint32_t>(Ones(BBitCount)));
  F.RBitCount = RBitCount;
  F.GBitCount = GBitCount;
  F.BBitCount = BBitCount;
  F.RShift = RBitCount + GBitCount + BBitCount - 8;
  F.GShift = GBitCount + BBitCount - 8;
  F.BShift = 8 - BBitCount;
  F.RShift2 = 8 - RBitCount;
  F.GShift2 = 8 - GBitCount;
  F.BShift2 = 8 - BBitCount;
  return F;
}

// ---------------------------------------------------------------------------
// TDIBSharedImage

TDIBSharedImage* TDIBSharedImage::EmptyImage() {
  if (!GEmptyImage) {
    GEmptyImage = new TDIBSharedImage;
    for (int I = 0; I < 256; ++I) {
      Byte V = static_cast<Byte>(I);
      GEmptyImage->FColorTable[I] = RGBQUAD{V, V, V, 0};
    }
    GEmptyImage->FPixelFormat = MakeDIBPixelFormat(8, 8, 8);
    GEmptyImage->FBitCount = 8;
    GEmptyImage->Reference();
  }
  return GEmptyImage;
}

TDIBSharedImage::~TDIBSharedImage() {
  if (FDC) {
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    DeleteDC(FDC);
  }
  if (FSection) DeleteObject(FSection);
  else if (FBits) GlobalFree(static_cast<HGLOBAL>(FBits));
  if (FPalette && GPaletteManager) GPaletteManager->DeletePalette(FPalette);
}

std::unique_ptr<TDIBSharedImage> TDIBSharedImage::NewImage(int AWidth, int AHeight, bool ACompressed,
                                                           bool AMemoryImage, const RGBQUAD* Colors,
                                                           const TDIBPixelFormat& APixelFormat, int ABitCount) {
  switch (ABitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
      if (!HasMasks(APixelFormat, 0xFF0000, 0x00FF00, 0x0000FF))
        throw EInvalidGraphicOperation(SPixelFormatInvalid);
      break;
    case 16:
      if (!HasMasks(APixelFormat, 0x7C00, 0x03E0, 0x001F) && !HasMasks(APixelFormat, 0xF800, 0x07E0, 0x001F))
        throw EInvalidGraphicOperation(SPixelFormatInvalid);
      break;
    default:
      throw EInvalidGraphicOperation(Format(SBitCountInvalid, ABitCount));
  }
  std::int64_t Row = RowBytes(AWidth, ABitCount);
  if (AWidth <= 0 || AHeight <= 0 || Row * AHeight > MaxImageBytes) Invalid();

  std::unique_ptr<TDIBSharedImage> Image(new TDIBSharedImage);
  TDIBSharedImage& I = *Image;
  I.FBitCount = ABitCount;
  I.FWidth = AWidth;
  I.FHeight = AHeight;
  I.FWidthBytes = static_cast<int>(Row);
  I.FNextLine = -I.FWidthBytes;
  I.FSize = static_cast<int>(Row * AHeight);
  I.FColorTableSize = ABitCount <= 8 ? 1 << ABitCount : 0;
  I.FPixelFormat = APixelFormat;
  I.FCompressed = ACompressed;
  std::memcpy(I.FColorTable, Colors, sizeof I.FColorTable);
  bool BitFields = ABitCount == 16 || ABitCount == 32;
  I.FColorTableOffset = BitFields ? 52 : 40;
  I.FBitmapInfo.assign(I.FColorTableOffset + 4 * I.FColorTableSize, 0);
  Byte* H = I.FBitmapInfo.data();
  PutU32(H, 40);
  PutU32(H + 4, static_cast<std::uint32_t>(AWidth));
  PutU32(H + 8, static_cast<std::uint32_t>(AHeight));
  PutU16(H + 12, 1);
  PutU16(H + 14, static_cast<std::uint32_t>(ABitCount));
  std::uint32_t Compression = BitFields                         ? BI_BITFIELDS
                              : ACompressed && ABitCount == 4 ? BI_RLE4
                              : ACompressed && ABitCount == 8 ? BI_RLE8
                                                              : BI_RGB;
  PutU32(H + 16, Compression);
  PutU32(H + 20, static_cast<std::uint32_t>(I.FSize));
  if (BitFields) {
    PutU32(H + 40, static_cast<std::uint32_t>(APixelFormat.RBitMask));
    PutU32(H + 44, static_cast<std::uint32_t>(APixelFormat.GBitMask));
    PutU32(H + 48, static_cast<std::uint32_t>(APixelFormat.BBitMask));
  }
  std::memcpy(H + I.FColorTableOffset, I.FColorTable, 4 * I.FColorTableSize);

  if (ACompressed) {
    I.FMemoryImage = true;
  } else if (AMemoryImage) {
    I.FMemoryImage = true;
    I.FBits = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, I.FSize);
    if (!I.FBits) throw EOutOfMemory(LoadStr(SOutOfMemory));
  } else {
    I.FMemoryImage = false;
    I.FDC = CreateCompatibleDC(nullptr);
    if (I.FDC)
      I.FSection = CreateDIBSection(I.FDC, reinterpret_cast<BITMAPINFO*>(H), DIB_RGB_COLORS, &I.FBits, nullptr, 0);
    if (!I.FSection) throw EOutOfResources(Format(SCannotMake, "DIB"));
    I.FOldBitmap = SelectObject(I.FDC, I.FSection);
  }
  if (I.FBits) I.FTopPBits = static_cast<Byte*>(I.FBits) + static_cast<std::int64_t>(AHeight - 1) * I.FWidthBytes;
  I.Reference();
  return Image;
}

std::unique_ptr<TDIBSharedImage> TDIBSharedImage::Read(TStream* Stream, bool AMemoryImage) {
  Byte SizeBytes[4];
  int Got = Stream->Read(SizeBytes, 4);
  if (Got == 0) return nullptr;
  if (Got != 4) Invalid();
  std::uint32_t HeaderSize = U32(SizeBytes);
  std::int64_t Width, Height;
  int Planes, BitCount;
  std::uint32_t Compression = BI_RGB, ImageSize = 0, ColorsUsed = 0;
  bool Core = HeaderSize == 12;
  if (Core) {
    Byte H[8];
    ReadExact(Stream, H, 8);
    Width = U16(H);
    Height = U16(H + 2);
    Planes = U16(H + 4);
    BitCount = U16(H + 6);
  } else if (HeaderSize == 40) {
    Byte H[36];
    ReadExact(Stream, H, 36);
    Width = static_cast<std::int32_t>(U32(H));
    Height = static_cast<std::int32_t>(U32(H + 4));
    Planes = U16(H + 8);
    BitCount = U16(H + 10);
    Compression = U32(H + 12);
    ImageSize = U32(H + 16);
    ColorsUsed = U32(H + 28);
  } else {
    Invalid();
  }
  bool TopDown = Height < 0;
  Height = TopDown ? -Height : Height;
  bool Compressed = Compression == BI_RLE8 || Compression == BI_RLE4;
  if (Planes != 1 || Width <= 0 || Height == 0) Invalid();
  if (Compression == BI_RLE8 && BitCount != 8) Invalid();
  if (Compression == BI_RLE4 && BitCount != 4) Invalid();
  if (!Compressed && Compression != BI_RGB && Compression != BI_BITFIELDS) Invalid();

  TDIBPixelFormat PixelFormat = MakeDIBPixelFormat(8, 8, 8);
  if (Compression == BI_BITFIELDS) {
    Byte M[12];
    ReadExact(Stream, M, 12);
    std::uint32_t R = U32(M), G = U32(M + 4), B = U32(M + 8);
    PixelFormat = MakeDIBPixelFormat(MaskBitCount(R), MaskBitCount(G), MaskBitCount(B));
    if (!HasMasks(PixelFormat, static_cast<Integer>(R), static_cast<Integer>(G), static_cast<Integer>(B)))
      throw EInvalidGraphicOperation(SPixelFormatInvalid);
  } else if (BitCount == 16) {
    PixelFormat = MakeDIBPixelFormat(5, 5, 5);
  }

  std::uint32_t ColorCount = ColorsUsed ? ColorsUsed : (BitCount <= 8 ? 1u << BitCount : 0);
  ColorCount = std::min<std::uint32_t>(ColorCount, 256);
  RGBQUAD Colors[256]{};
  int EntrySize = Core ? 3 : 4;
  std::vector<Byte> Table(ColorCount * EntrySize);
  ReadExact(Stream, Table.data(), static_cast<std::int64_t>(Table.size()));
  for (std::uint32_t I = 0; I < ColorCount; ++I) {
    const Byte* E = Table.data() + I * EntrySize;
    Colors[I] = RGBQUAD{E[0], E[1], E[2], 0};
  }

  // The bits must be there before memory is taken for them.
  std::int64_t Needed = Compressed ? ImageSize : RowBytes(Width, BitCount) * Height;
  if (Height > 0x7FFFFFFF || Width > 0x7FFFFFFF || Needed > MaxImageBytes ||
      Needed > Stream->Size() - Stream->Position())
    Invalid();

  std::unique_ptr<TDIBSharedImage> Image = NewImage(static_cast<int>(Width), static_cast<int>(Height), Compressed,
                                                    AMemoryImage, Colors, PixelFormat, BitCount);
  TDIBSharedImage& I = *Image;
  if (Compressed) {
    I.FBits = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, std::max<std::uint32_t>(ImageSize, 1));
    if (!I.FBits) throw EOutOfMemory(LoadStr(SOutOfMemory));
    I.FSize = static_cast<int>(ImageSize);
    PutU32(I.FBitmapInfo.data() + 20, ImageSize);
    ReadExact(Stream, I.FBits, ImageSize);
  } else if (!TopDown) {
    ReadExact(Stream, I.FBits, I.FSize);
  } else {
    for (int Row = 0; Row < I.FHeight; ++Row)
      ReadExact(Stream, I.FTopPBits + static_cast<std::int64_t>(Row) * I.FNextLine, I.FWidthBytes);
  }
  return Image;
}

std::unique_ptr<TDIBSharedImage> TDIBSharedImage::Decompressed(bool AMemoryImage) const {
  std::unique_ptr<TDIBSharedImage> Copy =
      NewImage(FWidth, FHeight, false, AMemoryImage, FColorTable, FPixelFormat, FBitCount);
  if (FCompressed) {
    DecodeRLE(static_cast<const Byte*>(FBits), static_cast<std::size_t>(FSize), static_cast<Byte*>(Copy->FBits),
              FWidth, FHeight, FWidthBytes, FBitCount == 4);
  } else {
    if (FDC) GdiFlush();
    std::memcpy(Copy->FBits, FBits, static_cast<std::size_t>(FSize));
  }
  return Copy;
}

HPALETTE TDIBSharedImage::Palette() {
  if (FColorTableSize == 0) return nullptr;
  if (FPaletteChanged) {
    PaletteManager()->DeletePalette(FPalette);
    FPalette = PaletteManager()->CreatePalette(FColorTable, FColorTableSize);
    FPaletteChanged = false;
  }
  return FPalette;
}

void TDIBSharedImage::SetColorTable(const RGBQUAD* Colors) {
  std::memcpy(FColorTable, Colors, sizeof FColorTable);
  if (FDC && FColorTableSize) SetDIBColorTable(FDC, 0, 256, FColorTable);
  if (!FBitmapInfo.empty()) std::memcpy(FBitmapInfo.data() + FColorTableOffset, FColorTable, 4 * FColorTableSize);
  FPaletteChanged = true;
}

// ---------------------------------------------------------------------------
// TDIB

TDIB::TDIB() : NowPixelFormat(MakeDIBPixelFormat(8, 8, 8)) {
  FImage = TDIBSharedImage::EmptyImage();
  FImage->Reference();
  std::memcpy(FColorTable, FImage->FColorTable, sizeof FColorTable);
}

TDIB::~TDIB() {
  FCanvas.reset();
  FImage->Release();
}

void TDIB::SetImage(TDIBSharedImage* Value) {
  TDIBSharedImage* Old = FImage;
  FImage = Value;
  if (FCanvas) FCanvas->SetHandle(FImage->FDC);
  std::memcpy(FColorTable, FImage->FColorTable, sizeof FColorTable);
  Old->Release();
}

void TDIB::Clear() {
  TDIBSharedImage* Empty = TDIBSharedImage::EmptyImage();
  Empty->Reference();
  SetImage(Empty);
  Changed(this);
}

void TDIB::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
  } else if (auto* D = dynamic_cast<TDIB*>(Source)) {
    if (D == this) return;
    D->FImage->Reference();
    SetImage(D->FImage);
    SetPaletteModified(true);
    Changed(this);
  } else if (auto* P = dynamic_cast<TPicture*>(Source)) {
    if (P->Graphic()) Assign(P->Graphic());
    else Clear();
  } else if (auto* B = dynamic_cast<TBitmap*>(Source)) {
    if (B->Empty()) {
      Clear();
      return;
    }
    DIBSECTION Section{};
    bool IsSection = GetObjectA(B->Handle(), sizeof Section, &Section) == sizeof Section;
    int Depth = Section.dsBm.bmBitsPixel;
    // The bitmap's colours: the colour table of a DIB section, else none.
    std::memset(FColorTable, 0, sizeof FColorTable);
    if (IsSection && Depth <= 8) GetDIBColorTable(B->Canvas()->Handle(), 0, 256, FColorTable);
    UpdatePalette();
    if (IsSection && Depth > 8 && Depth < 24 && Section.dsBitfields[0])
      NowPixelFormat = MakeDIBPixelFormat(MaskBitCount(Section.dsBitfields[0]), MaskBitCount(Section.dsBitfields[1]),
                                          MaskBitCount(Section.dsBitfields[2]));
    else if (Depth == 16)
      NowPixelFormat = MakeDIBPixelFormat(5, 5, 5);
    else
      NowPixelFormat = MakeDIBPixelFormat(8, 8, 8);
    SetSize(B->Width(), B->Height(), Depth);
    std::memset(Bits(), 0, static_cast<std::size_t>(Size()));
    Canvas()->Draw(0, 0, B);
  } else if (auto* G = dynamic_cast<TGraphic*>(Source)) {
    if (G->Empty()) {
      Clear();
      return;
    }
    NowPixelFormat = MakeDIBPixelFormat(8, 8, 8);
    SetSize(G->Width(), G->Height(), 24);
    std::memset(Bits(), 0, static_cast<std::size_t>(Size()));
    Canvas()->Draw(0, 0, G);
  } else {
    TGraphic::Assign(Source);
  }
}

void TDIB::Draw(TCanvas* ACanvas, const TRect& R) {
  if (Empty()) return;
  HDC DC = ACanvas->Handle();
  HPALETTE OldPalette = nullptr;
  if (FImage->FColorTableSize) {
    OldPalette = SelectPalette(DC, Palette(), FALSE);
    RealizePalette(DC);
  }
  int OldMode = SetStretchBltMode(DC, COLORONCOLOR);
  GdiFlush();
  if (FImage->FMemoryImage)
    StretchDIBits(DC, R.left, R.top, R.right - R.left, R.bottom - R.top, 0, 0, Width(), Height(), FImage->FBits,
                  reinterpret_cast<const BITMAPINFO*>(FImage->FBitmapInfo.data()), DIB_RGB_COLORS,
                  ACanvas->CopyMode());
  else
    StretchBlt(DC, R.left, R.top, R.right - R.left, R.bottom - R.top, FImage->FDC, 0, 0, Width(), Height(),
               ACanvas->CopyMode());
  SetStretchBltMode(DC, OldMode);
  if (OldPalette) SelectPalette(DC, OldPalette, TRUE);
}

HPALETTE TDIB::Palette() { return FImage->Palette(); }

void TDIB::SetPalette(HPALETTE Value) {
  if (!Value) return;
  PALETTEENTRY Entries[256]{};
  UINT Count = GetPaletteEntries(Value, 0, 256, Entries);
  std::memset(FColorTable, 0, sizeof FColorTable);
  for (UINT I = 0; I < Count && I < 256; ++I)
    FColorTable[I] = RGBQUAD{Entries[I].peBlue, Entries[I].peGreen, Entries[I].peRed, 0};
  DeleteObject(Value);
  UpdatePalette();
}

void TDIB::UpdatePalette() {
  if (std::memcmp(FColorTable, FImage->FColorTable, sizeof FColorTable) == 0) return;
  // The empty image has nothing to colour: the table waits for SetSize.
  if (Empty()) return;
  RGBQUAD Colors[256];
  std::memcpy(Colors, FColorTable, sizeof Colors);
  Changing(true);
  FImage->SetColorTable(Colors);
  std::memcpy(FColorTable, Colors, sizeof Colors);
  SetPaletteModified(true);
  Changed(this);
}

void TDIB::SetWidth(int Value) {
  if (Value <= 0) Clear();
  else if (Empty()) SetSize(Value, std::max(Height(), 1), 8);
  else SetSize(Value, Height(), BitCount());
}

void TDIB::SetHeight(int Value) {
  if (Value <= 0) Clear();
  else if (Empty()) SetSize(std::max(Width(), 1), Value, 8);
  else SetSize(Width(), Value, BitCount());
}

void TDIB::SetSize(int AWidth, int AHeight, int ABitCount) {
  if (AWidth == Width() && AHeight == Height() && ABitCount == BitCount() &&
      std::memcmp(&NowPixelFormat, &FImage->FPixelFormat, sizeof NowPixelFormat) == 0)
    return;
  if (AWidth <= 0 || AHeight <= 0) {
    Clear();
    return;
  }
  std::unique_ptr<TDIBSharedImage> New = TDIBSharedImage::NewImage(AWidth, AHeight, false, FImage->FMemoryImage,
                                                                   FColorTable, NowPixelFormat, ABitCount);
  SetImage(New.release());
  SetPaletteModified(true);
  Changed(this);
}

void TDIB::Changing(bool AMemoryImage) {
  if (Empty()) return;
  if (FImage->RefCount() > 1 || FImage->FCompressed || (!AMemoryImage && FImage->FMemoryImage))
    SetImage(FImage->Decompressed(AMemoryImage && FImage->FMemoryImage).release());
}

void* TDIB::Bits() {
  Changing(true);
  if (!FImage->FMemoryImage) GdiFlush();
  return FImage->FBits;
}

void TDIB::ToDIBSection() {
  if (!Empty() && FImage->FMemoryImage) SetImage(FImage->Decompressed(false).release());
}

void TDIB::CanvasChanging(TObject*) { Changing(false); }

TCanvas* TDIB::Canvas() {
  if (FCanvas && FCanvas->HandleAllocated()) return FCanvas.get();
  ToDIBSection();
  if (!FCanvas) {
    FCanvas.reset(new TCanvas);
    FCanvas->OnChanging = TNotifyEvent(this, &TDIB::CanvasChanging);
  }
  FCanvas->SetHandle(FImage->FDC);
  return FCanvas.get();
}

void TDIB::LoadFromStream(TStream* Stream) {
  Byte Header[14];
  int Got = Stream->Read(Header, 14);
  if (Got == 0) return;
  if (Got != 14 || U16(Header) != 0x4D42) throw EInvalidGraphic(SDIBInvalid);
  ReadData(Stream);
}

void TDIB::ReadData(TStream* Stream) {
  std::unique_ptr<TDIBSharedImage> New = TDIBSharedImage::Read(Stream, FImage->FMemoryImage);
  if (!New) {
    Clear();
    return;
  }
  SetImage(New.release());
  SetPaletteModified(true);
  Changed(this);
}

void TDIB::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  std::uint32_t InfoSize = static_cast<std::uint32_t>(FImage->FBitmapInfo.size());
  Byte Header[14]{'B', 'M'};
  PutU32(Header + 2, static_cast<std::uint32_t>(FImage->FSize) + 14 + InfoSize);
  PutU32(Header + 10, 14 + InfoSize);
  Stream->WriteBuffer(Header, 14);
  WriteData(Stream);
}

void TDIB::WriteData(TStream* Stream) {
  if (Empty()) return;
  if (!FImage->FMemoryImage) GdiFlush();
  Stream->WriteBuffer(FImage->FBitmapInfo.data(), static_cast<int>(FImage->FBitmapInfo.size()));
  Stream->WriteBuffer(FImage->FBits, FImage->FSize);
}

void TDIB::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = CF_DIB;
  APalette = nullptr;
  TMemoryStream Data;
  WriteData(&Data);
  HGLOBAL Block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(Data.Size()));
  if (!Block) throw EOutOfMemory(LoadStr(SOutOfMemory));
  if (Data.Size() > 0) {
    std::memcpy(GlobalLock(Block), Data.Memory(), static_cast<std::size_t>(Data.Size()));
    GlobalUnlock(Block);
  }
  AData = Block;
}

void TDIB::LoadFromClipboardFormat(Word, HANDLE AData, HPALETTE) {
  TGlobalMemoryStream Stream(AData);
  ReadData(&Stream);
}

void TDIB::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "DIB", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); }, !Empty());
}

// ---------------------------------------------------------------------------
// TPaletteManager

TPaletteManager::~TPaletteManager() {
  for (TPaletteItem& Item : FItems) DeleteObject(Item.Palette);
}

HPALETTE TPaletteManager::CreatePalette(const RGBQUAD* Colors, int Count) {
  Count = std::clamp(Count, 0, 256);
  Integer CheckSum = Count;
  for (int I = 0; I < Count; ++I) CheckSum += Colors[I].rgbRed + Colors[I].rgbGreen + Colors[I].rgbBlue;
  for (TPaletteItem& Item : FItems)
    if (Item.CheckSum == CheckSum && Item.ColorCount == Count &&
        std::memcmp(Item.Colors, Colors, sizeof(RGBQUAD) * Count) == 0) {
      ++Item.RefCount;
      return Item.Palette;
    }
  std::vector<Byte> Buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * Count);
  auto* Log = reinterpret_cast<LOGPALETTE*>(Buffer.data());
  Log->palVersion = 0x300;
  Log->palNumEntries = static_cast<WORD>(Count);
  for (int I = 0; I < Count; ++I)
    Log->palPalEntry[I] = PALETTEENTRY{Colors[I].rgbRed, Colors[I].rgbGreen, Colors[I].rgbBlue, 0};
  HPALETTE Palette = ::CreatePalette(Log);
  if (!Palette) throw EOutOfResources(LoadStr(SOutOfResources));
  TPaletteItem Item{CheckSum, Palette, 1, Count, {}};
  std::memcpy(Item.Colors, Colors, sizeof(RGBQUAD) * Count);
  FItems.push_back(Item);
  return Palette;
}

void TPaletteManager::DeletePalette(HPALETTE& Palette) {
  if (!Palette) return;
  auto It = std::find_if(FItems.begin(), FItems.end(), [&](const TPaletteItem& I) { return I.Palette == Palette; });
  Palette = nullptr;
  if (It == FItems.end() || --It->RefCount > 0) return;
  DeleteObject(It->Palette);
  FItems.erase(It);
}

TPaletteManager* PaletteManager() {
  if (!GPaletteManager) GPaletteManager = std::make_unique<TPaletteManager>();
  return GPaletteManager.get();
}

// ---------------------------------------------------------------------------
// TGlobalMemoryStream

TGlobalMemoryStream::TGlobalMemoryStream(HGLOBAL AHandle) : FHandle(AHandle) {
  void* Memory = GlobalLock(FHandle);
  SetPointer(Memory, Memory ? static_cast<int>(GlobalSize(FHandle)) : 0);
}

TGlobalMemoryStream::~TGlobalMemoryStream() {
  GlobalUnlock(FHandle);
  SetPointer(nullptr, 0);
}

int TGlobalMemoryStream::Write(const void*, int) { return 0; }

void TGlobalMemoryStream::SetSize(Int64) { throw EStreamError(LoadStr(SWriteError)); }

// ---------------------------------------------------------------------------
// Unit start-up and shut-down

void InitializeDIB() {
  TGraphicFactory Factory = [] { return TOwned<TGraphic>(new TDIB); };
  TPicture::RegisterFileFormat("dib", "Device Independent Bitmap", Factory);
  TPicture::RegisterClipboardGraphic(CF_DIB, Factory);
}

void FinalizeDIB() {
  TPicture::UnregisterGraphicClass("TDIB");
  if (GEmptyImage) {
    TDIBSharedImage* Empty = GEmptyImage;
    GEmptyImage = nullptr;
    Empty->Release();
  }
  GPaletteManager.reset();
}
