// The DIB picture class against the system's own decoders: every depth,
// bit fields, core headers, top-down rows and RLE data drawn beside
// StretchDIBits of the same bytes; round trips, the clipboard form, sharing,
// the palette cache, and mutated files that must load or fail cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Consts.h"
#include "DIB.h"
#include "Framework.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<Byte>;

void Put16(Bytes& B, std::uint32_t V) {
  B.push_back(static_cast<Byte>(V));
  B.push_back(static_cast<Byte>(V >> 8));
}
void Put32(Bytes& B, std::uint32_t V) {
  Put16(B, V & 0xFFFF);
  Put16(B, V >> 16);
}

// A BMP file: file header, a 40-byte (or 12-byte core) header, masks, the
// colour table and the bits as given. Written the way TDIB writes, so that
// a canonical file saves back byte for byte.
struct TBmp {
  int Width = 0;
  int Height = 0;
  int BitCount = 8;
  std::uint32_t Compression = BI_RGB;
  std::vector<std::uint32_t> Masks;
  std::vector<std::uint32_t> Colors;  // 0x00RRGGBB
  std::uint32_t ColorsUsed = 0;
  bool Core = false;
  Bytes Bits;

  Bytes File() const {
    Bytes Info;
    if (Core) {
      Put32(Info, 12);
      Put16(Info, static_cast<std::uint32_t>(Width));
      Put16(Info, static_cast<std::uint32_t>(Height));
      Put16(Info, 1);
      Put16(Info, static_cast<std::uint32_t>(BitCount));
      for (std::uint32_t C : Colors) {
        Info.push_back(static_cast<Byte>(C));
        Info.push_back(static_cast<Byte>(C >> 8));
        Info.push_back(static_cast<Byte>(C >> 16));
      }
    } else {
      Put32(Info, 40);
      Put32(Info, static_cast<std::uint32_t>(Width));
      Put32(Info, static_cast<std::uint32_t>(Height));
      Put16(Info, 1);
      Put16(Info, static_cast<std::uint32_t>(BitCount));
      Put32(Info, Compression);
      Put32(Info, static_cast<std::uint32_t>(Bits.size()));
      Put32(Info, 0);
      Put32(Info, 0);
      Put32(Info, ColorsUsed);
      Put32(Info, 0);
      for (std::uint32_t M : Masks) Put32(Info, M);
      for (std::uint32_t C : Colors) Put32(Info, C);
    }
    Bytes F{'B', 'M'};
    Put32(F, static_cast<std::uint32_t>(14 + Info.size() + Bits.size()));
    Put32(F, 0);
    Put32(F, static_cast<std::uint32_t>(14 + Info.size()));
    F.insert(F.end(), Info.begin(), Info.end());
    F.insert(F.end(), Bits.begin(), Bits.end());
    return F;
  }
};

std::vector<std::uint32_t> Ramp(int Count) {
  std::vector<std::uint32_t> C;
  for (int I = 0; I < Count; ++I) {
    std::uint32_t V = static_cast<std::uint32_t>(I * 255 / std::max(Count - 1, 1));
    C.push_back((V << 16) | ((255 - V) << 8) | ((V * 7) & 0xFF));
  }
  return C;
}

// Rows of pattern bytes, each padded to four bytes.
Bytes Pattern(int Width, int Height, int BitCount, int Seed = 1) {
  int Row = (BitCount * Width + 31) / 32 * 4;
  Bytes B(static_cast<std::size_t>(Row * Height));
  for (std::size_t I = 0; I < B.size(); ++I) B[I] = static_cast<Byte>(I * 37 + Seed * 11 + (I >> 3));
  return B;
}

TBmp Plain(int BitCount, int Width = 7, int Height = 5) {
  TBmp B;
  B.Width = Width;
  B.Height = Height;
  B.BitCount = BitCount;
  if (BitCount <= 8) B.Colors = Ramp(1 << BitCount);
  if (BitCount == 16 || BitCount == 32) {
    B.Compression = BI_BITFIELDS;
    B.Masks = BitCount == 16 ? std::vector<std::uint32_t>{0x7C00, 0x03E0, 0x001F}
                             : std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF};
  }
  B.Bits = Pattern(Width, Height, BitCount);
  return B;
}

TBmp Rle(int BitCount, int Width, int Height, Bytes Bits) {
  TBmp B;
  B.Width = Width;
  B.Height = Height;
  B.BitCount = BitCount;
  B.Compression = BitCount == 8 ? BI_RLE8 : BI_RLE4;
  B.Colors = Ramp(1 << BitCount);
  B.Bits = std::move(Bits);
  return B;
}

// A run, a literal of odd length (padded), end of line, a delta, a run
// longer than the row, and the end of the image.
TBmp Rle8() {
  return Rle(8, 9, 6, {3, 20, 0, 3, 40, 41, 42, 0, 0, 0, 0, 2, 2, 1, 2, 1, 0, 0, 0, 5, 77, 0,
                       0, 30, 99, 0, 0, 0, 30, 99, 0, 0, 0, 1});
}

// A run of two alternating nibbles, a literal of five nibbles (three bytes,
// padded), a delta, an over-long run, and no end marker after the last end
// of line.
TBmp Rle4() {
  return Rle(4, 11, 5, {5, 0x1A, 0, 5, 0x23, 0x45, 0x60, 0, 0, 0, 0, 2, 2, 1, 4, 0xBC, 0, 0, 40, 0x77, 0, 0});
}

// The small files the tests and the mutations start from.
std::vector<std::pair<std::string, TBmp>> Fixtures() {
  std::vector<std::pair<std::string, TBmp>> F;
  for (int Bits : {1, 4, 8, 24, 32}) F.push_back({std::to_string(Bits) + " bits", Plain(Bits)});
  F.push_back({"16 bits 5-5-5", Plain(16)});
  TBmp B565 = Plain(16);
  B565.Masks = {0xF800, 0x07E0, 0x001F};
  F.push_back({"16 bits 5-6-5", B565});
  TBmp B16 = Plain(16);
  B16.Compression = BI_RGB;
  B16.Masks.clear();
  F.push_back({"16 bits without masks", B16});
  TBmp Core = Plain(8, 6, 3);
  Core.Core = true;
  F.push_back({"core header", Core});
  TBmp Core24 = Plain(24, 3, 2);
  Core24.Core = true;
  F.push_back({"core header, 24 bits", Core24});
  TBmp Top = Plain(24, 5, 4);
  Top.Height = -4;
  F.push_back({"top-down", Top});
  TBmp Few = Plain(8, 4, 2);
  Few.Colors = Ramp(5);
  Few.ColorsUsed = 5;
  F.push_back({"five colours used", Few});
  TBmp Odd = Plain(4, 3, 3);
  F.push_back({"odd row padding", Odd});
  TBmp One = Plain(1, 33, 2);
  F.push_back({"1 bit, 33 wide", One});
  F.push_back({"RLE8", Rle8()});
  F.push_back({"RLE4", Rle4()});
  return F;
}

// A 32-bit top-down DIB section filled with Fill.
struct TTarget {
  HDC DC;
  HBITMAP Bitmap;
  HGDIOBJ Old;
  std::uint32_t* Pixels = nullptr;
  int Width, Height;

  TTarget(int W, int H, std::uint32_t Fill) : Width(W), Height(H) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = -H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    DC = CreateCompatibleDC(nullptr);
    void* Bits = nullptr;
    Bitmap = CreateDIBSection(DC, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    Pixels = static_cast<std::uint32_t*>(Bits);
    Old = SelectObject(DC, Bitmap);
    for (int I = 0; I < W * H; ++I) Pixels[I] = Fill;
  }
  ~TTarget() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
  std::vector<std::uint32_t> Read() {
    GdiFlush();
    return std::vector<std::uint32_t>(Pixels, Pixels + Width * Height);
  }
};

std::vector<std::uint32_t> DrawDIB(TDIB& Dib, int W, int H, std::uint32_t Fill) {
  TTarget T(W, H, Fill);
  TCanvas Canvas;
  Canvas.SetHandle(T.DC);
  Dib.Draw(&Canvas, Rect(0, 0, W, H));
  Canvas.SetHandle(nullptr);
  return T.Read();
}

// The system's drawing of the file's own bytes.
std::vector<std::uint32_t> DrawSystem(const Bytes& File, int W, int H, std::uint32_t Fill) {
  TTarget T(W, H, Fill);
  std::uint32_t Offset = File[10] | (File[11] << 8) | (File[12] << 16) | (File[13] << 24);
  int SrcW = 0, SrcH = 0;
  if (File[14] == 12) {
    SrcW = File[18] | (File[19] << 8);
    SrcH = File[20] | (File[21] << 8);
  } else {
    std::memcpy(&SrcW, &File[18], 4);
    std::memcpy(&SrcH, &File[22], 4);
    SrcH = std::abs(SrcH);
  }
  SetStretchBltMode(T.DC, COLORONCOLOR);
  StretchDIBits(T.DC, 0, 0, W, H, 0, 0, SrcW, SrcH, File.data() + Offset,
                reinterpret_cast<const BITMAPINFO*>(File.data() + 14), DIB_RGB_COLORS, SRCCOPY);
  return T.Read();
}

void Load(TDIB& Dib, const Bytes& File) {
  TMemoryStream S;
  if (!File.empty()) S.WriteBuffer(File.data(), static_cast<int>(File.size()));
  S.SetPosition(0);
  Dib.LoadFromStream(&S);
}

Bytes Save(TDIB& Dib) {
  TMemoryStream S;
  Dib.SaveToStream(&S);
  const Byte* P = static_cast<const Byte*>(S.Memory());
  return Bytes(P, P + S.Size());
}

class DIBTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    InitializeFramework();
    InitializeDIB();
  }
  static void TearDownTestSuite() {
    FinalizeDIB();
    FinalizeFramework();
  }
};

TEST_F(DIBTest, DrawsEveryFormAsTheSystemDoes) {
  for (const auto& [Name, Bmp] : Fixtures()) {
    SCOPED_TRACE(Name);
    Bytes File = Bmp.File();
    TDIB Dib;
    Load(Dib, File);
    ASSERT_EQ(Dib.Width(), Bmp.Width);
    ASSERT_EQ(Dib.Height(), std::abs(Bmp.Height));
    int W = Dib.Width(), H = Dib.Height();
    const std::uint32_t Fill = 0x00123456;
    // At its size and stretched, as kept (RLE still compressed).
    EXPECT_EQ(DrawDIB(Dib, W, H, Fill), DrawSystem(File, W, H, Fill));
    EXPECT_EQ(DrawDIB(Dib, 2 * W + 1, H + 3, Fill), DrawSystem(File, 2 * W + 1, H + 3, Fill));
    // Decoded into pixels: what the RLE data skips takes colour 0, so both
    // targets start in colour 0.
    RGBQUAD C0 = Dib.SharedImage()->ColorTable()[0];
    std::uint32_t Fill0 = Dib.BitCount() <= 8 ? (C0.rgbRed << 16) | (C0.rgbGreen << 8) | C0.rgbBlue : Fill;
    ASSERT_NE(Dib.Bits(), nullptr);
    EXPECT_FALSE(Dib.SharedImage()->Compressed());
    EXPECT_EQ(DrawDIB(Dib, W, H, Fill0), DrawSystem(File, W, H, Fill0));
    // And as a DIB section, through its canvas.
    Dib.Canvas();
    EXPECT_FALSE(Dib.SharedImage()->MemoryImage());
    EXPECT_EQ(DrawDIB(Dib, W, H, Fill0), DrawSystem(File, W, H, Fill0));
  }
}

TEST_F(DIBTest, PlainFilesMatchTheSystemLoader) {
  AnsiString Path = TestTempPath("dib", "plain.bmp");
  DeleteFileA(Path.c_str());
  for (int Bits : {1, 4, 8, 24}) {
    SCOPED_TRACE(Bits);
    Bytes File = Plain(Bits, 13, 6).File();
    {
      TFileStream S(Path, fmCreate);
      S.WriteBuffer(File.data(), static_cast<int>(File.size()));
    }
    HBITMAP System = static_cast<HBITMAP>(
        LoadImageA(nullptr, Path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(System, nullptr);
    TTarget Expected(13, 6, 0);
    HDC Src = CreateCompatibleDC(nullptr);
    HGDIOBJ Old = SelectObject(Src, System);
    BitBlt(Expected.DC, 0, 0, 13, 6, Src, 0, 0, SRCCOPY);
    SelectObject(Src, Old);
    DeleteDC(Src);
    DeleteObject(System);
    TDIB Dib;
    Dib.LoadFromFile(Path);
    EXPECT_EQ(DrawDIB(Dib, 13, 6, 0), Expected.Read());
  }
  DeleteFileA(Path.c_str());
}

TEST_F(DIBTest, SavesWhatItReadsByteForByte) {
  for (const auto& [Name, Bmp] : Fixtures()) {
    if (Bmp.Core || Bmp.Height < 0 || Bmp.ColorsUsed || (Bmp.BitCount == 16 && Bmp.Masks.empty())) continue;
    SCOPED_TRACE(Name);
    TDIB Dib;
    Bytes File = Bmp.File();
    Load(Dib, File);
    EXPECT_EQ(Save(Dib), File);
  }
  // RLE stays compressed after a round trip.
  TDIB Rle;
  Load(Rle, Rle4().File());
  TDIB Again;
  Load(Again, Save(Rle));
  EXPECT_TRUE(Again.SharedImage()->Compressed());
  EXPECT_EQ(Save(Again), Rle4().File());
}

TEST_F(DIBTest, TopDownAndCoreFilesSaveAsBottomUpInfoFiles) {
  TBmp Top = Plain(24, 5, 4);
  Bytes Rows = Top.Bits;
  Top.Height = -4;
  // The same picture bottom-up: the rows in reverse order.
  TBmp Bottom = Plain(24, 5, 4);
  int Row = 16;
  for (int I = 0; I < 4; ++I) std::memcpy(&Bottom.Bits[I * Row], &Rows[(3 - I) * Row], Row);
  TDIB Dib;
  Load(Dib, Top.File());
  EXPECT_EQ(Save(Dib), Bottom.File());

  TBmp Core = Plain(8, 6, 3);
  Core.Core = true;
  TDIB FromCore;
  Load(FromCore, Core.File());
  EXPECT_EQ(Save(FromCore), Plain(8, 6, 3).File());
}

TEST_F(DIBTest, ReadsTheColoursThatExist) {
  // Colours used 0 at 8 bits: all 256; 300: no more than 256 (the other
  // 44 entries then lie where the bits are read from).
  TBmp All = Plain(8, 4, 2);
  TDIB A;
  Load(A, All.File());
  EXPECT_EQ(A.SharedImage()->ColorTableSize(), 256);
  EXPECT_EQ(A.SharedImage()->ColorTable()[255].rgbRed, 255);

  TBmp Many = Plain(8, 4, 2);
  Many.ColorsUsed = 300;
  Many.Colors = Ramp(300);
  TDIB M;
  Load(M, Many.File());
  EXPECT_EQ(M.Width(), 4);

  TBmp Few = Plain(8, 4, 2);
  Few.Colors = Ramp(5);
  Few.ColorsUsed = 5;
  TDIB F;
  Load(F, Few.File());
  const RGBQUAD* T = F.SharedImage()->ColorTable();
  EXPECT_EQ(T[4].rgbRed, 255);
  for (int I = 5; I < 256; ++I) EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(&T[I]), 0u) << I;
}

TEST_F(DIBTest, RefusesBadFilesAndKeepsTheOldPicture) {
  auto With = [](auto Change) {
    TBmp B = Plain(8);
    Change(B);
    return B.File();
  };
  auto Patch = [](Bytes F, std::size_t At, std::uint32_t V, int Size) {
    for (int I = 0; I < Size; ++I) F[At + I] = static_cast<Byte>(V >> (8 * I));
    return F;
  };
  Bytes Good = Plain(8).File();
  Bytes V4 = Good;
  V4[14] = 108;
  Bytes Short = Good;
  Short.resize(Short.size() - 1);
  Bytes Huge = Patch(Patch(Good, 18, 65536, 4), 22, 65536, 4);
  Bytes Swapped = Plain(16).File();
  Swapped = Patch(Patch(Swapped, 54, 0x001F, 4), 62, 0x7C00, 4);
  struct TCase {
    const char* Name;
    Bytes File;
    std::string Message;
  } Cases[] = {
      {"no BM", Patch(Good, 0, 'X', 1), "DIB is invalid"},
      {"14 bytes only", Bytes(Good.begin(), Good.begin() + 14), ""},
      {"13 bytes", Bytes(Good.begin(), Good.begin() + 13), "DIB is invalid"},
      {"header cut", Bytes(Good.begin(), Good.begin() + 30), "DIB is invalid"},
      {"V4 header", V4, "DIB is invalid"},
      {"width 0", Patch(Good, 18, 0, 4), "DIB is invalid"},
      {"width -1", Patch(Good, 18, 0xFFFFFFFF, 4), "DIB is invalid"},
      {"height 0", Patch(Good, 22, 0, 4), "DIB is invalid"},
      {"height -2^31", Patch(Good, 22, 0x80000000, 4), "DIB is invalid"},
      {"planes 2", Patch(Good, 26, 2, 2), "DIB is invalid"},
      {"RLE8 at 4 bits", With([](TBmp& B) { B = Plain(4); B.Compression = BI_RLE8; }), "DIB is invalid"},
      {"RLE4 at 8 bits", With([](TBmp& B) { B.Compression = BI_RLE4; }), "DIB is invalid"},
      {"compression 7", Patch(Good, 30, 7, 4), "DIB is invalid"},
      {"bits cut", Short, "DIB is invalid"},
      {"colour table cut", Bytes(Good.begin(), Good.begin() + 60), "DIB is invalid"},
      {"65536 x 65536", Huge, "DIB is invalid"},
      {"masks 4-4-4", With([](TBmp& B) { B = Plain(16); B.Masks = {0xF00, 0x0F0, 0x00F}; }), "PixelFormat in invalid"},
      {"red and blue swapped", Swapped, "PixelFormat in invalid"},
      {"bit count 7", Patch(Good, 28, 7, 2), "Bitcount in invalid (7)"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TDIB Dib;
    Load(Dib, Plain(4, 3, 2).File());
    const TDIBSharedImage* Before = Dib.SharedImage();
    std::string Got = "(nothing raised)";
    try {
      Load(Dib, C.File);
    } catch (const EInvalidGraphic& E) {
      Got = E.Message();
      EXPECT_EQ(C.Message, "DIB is invalid");
    } catch (const EInvalidGraphicOperation& E) {
      Got = E.Message();
      EXPECT_NE(C.Message, "DIB is invalid");
    }
    EXPECT_EQ(Got, C.Message.empty() ? "(nothing raised)" : C.Message);
    if (!C.Message.empty()) {
      EXPECT_EQ(Dib.SharedImage(), Before);
    }
  }
  // The empty stream changes nothing; the info header at its end empties.
  TDIB Dib;
  Load(Dib, Plain(4, 3, 2).File());
  Load(Dib, {});
  EXPECT_EQ(Dib.Width(), 3);
  Load(Dib, Bytes(Good.begin(), Good.begin() + 14));
  EXPECT_TRUE(Dib.Empty());
}

TEST_F(DIBTest, ClipboardFormatGoesThroughAGlobalBlock) {
  TDIB Dib;
  Bytes File = Plain(24, 4, 3).File();
  Load(Dib, File);
  Word Format = 0;
  HANDLE Data = nullptr;
  HPALETTE Palette = reinterpret_cast<HPALETTE>(1);
  Dib.SaveToClipboardFormat(Format, Data, Palette);
  EXPECT_EQ(Format, CF_DIB);
  EXPECT_EQ(Palette, nullptr);
  ASSERT_NE(Data, nullptr);
  EXPECT_EQ(GlobalSize(Data), File.size() - 14);
  EXPECT_EQ(std::memcmp(GlobalLock(Data), File.data() + 14, File.size() - 14), 0);
  GlobalUnlock(Data);

  ASSERT_TRUE(TPicture::SupportsClipboardFormat(CF_DIB));
  TPicture Picture;
  Picture.LoadFromClipboardFormat(CF_DIB, Data, nullptr);
  auto* Read = dynamic_cast<TDIB*>(Picture.Graphic());
  ASSERT_NE(Read, nullptr);
  EXPECT_EQ(Save(*Read), File);
  GlobalFree(Data);
}

TEST_F(DIBTest, PictureOpensDibFiles) {
  AnsiString Path = TestTempPath("dib", "picture.DIB");
  DeleteFileA(Path.c_str());
  Bytes File = Rle8().File();
  {
    TFileStream S(Path, fmCreate);
    S.WriteBuffer(File.data(), static_cast<int>(File.size()));
  }
  TPicture Picture;
  Picture.LoadFromFile(Path);
  DeleteFileA(Path.c_str());
  auto* Dib = dynamic_cast<TDIB*>(Picture.Graphic());
  ASSERT_NE(Dib, nullptr);
  EXPECT_EQ(Save(*Dib), File);
}

TEST_F(DIBTest, PictureKeepsADibInItsLayoutData) {
  TDIB Dib;
  Load(Dib, Rle4().File());
  TPicture Picture;
  Picture.SetGraphic(&Dib);
  EXPECT_EQ(static_cast<TDIB*>(Picture.Graphic())->SharedImage(), Dib.SharedImage());
  TMemoryStream Data;
  Picture.WriteData(&Data);
  Data.SetPosition(0);
  TPicture Read;
  Read.ReadData(&Data);
  auto* Got = dynamic_cast<TDIB*>(Read.Graphic());
  ASSERT_NE(Got, nullptr);
  EXPECT_TRUE(Got->SharedImage()->Compressed());
  EXPECT_EQ(Save(*Got), Rle4().File());
}

TEST_F(DIBTest, SharesItsImageUntilCanvasOrBits) {
  TDIB A, B, C;
  Load(A, Rle8().File());
  B.Assign(&A);
  C.Assign(&B);
  EXPECT_EQ(A.SharedImage(), B.SharedImage());
  EXPECT_EQ(A.SharedImage()->RefCount(), 3);
  Bytes Before = Save(A);

  // Writing through the canvas gives B its own decoded copy.
  B.Canvas()->Brush()->SetColor(clRed);
  B.Canvas()->FillRect(Rect(0, 0, 2, 2));
  EXPECT_NE(B.SharedImage(), A.SharedImage());
  EXPECT_EQ(A.SharedImage(), C.SharedImage());
  EXPECT_EQ(Save(A), Before);
  EXPECT_TRUE(A.SharedImage()->Compressed());

  void* Bits = C.Bits();
  EXPECT_NE(C.SharedImage(), A.SharedImage());
  EXPECT_EQ(A.SharedImage()->RefCount(), 1);
  std::memset(Bits, 0, C.Size());
  EXPECT_EQ(Save(A), Before);

  // Assigning to itself and from nothing.
  A.Assign(&A);
  EXPECT_EQ(A.SharedImage()->RefCount(), 1);
  A.Assign(nullptr);
  EXPECT_TRUE(A.Empty());
}

TEST_F(DIBTest, EqualTablesShareOnePalette) {
  TDIB A, B, C;
  Load(A, Plain(8).File());
  Load(B, Plain(8, 3, 3).File());
  TBmp Other = Plain(8);
  Other.Colors[7] ^= 0x010000;
  Load(C, Other.File());
  HPALETTE P = A.Palette();
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(B.Palette(), P);
  EXPECT_NE(C.Palette(), P);
  EXPECT_EQ(GetObjectType(P), static_cast<DWORD>(OBJ_PAL));
  A.Clear();
  EXPECT_EQ(GetObjectType(P), static_cast<DWORD>(OBJ_PAL));
  B.Clear();
  EXPECT_EQ(GetObjectType(P), 0u);

  TDIB True;
  Load(True, Plain(24).File());
  EXPECT_EQ(True.Palette(), nullptr);
}

TEST_F(DIBTest, SetPaletteTakesOnlyTheEntriesThatExist) {
  TDIB Dib;
  Load(Dib, Plain(8, 2, 2).File());
  std::vector<Byte> Buffer(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
  auto* Log = reinterpret_cast<LOGPALETTE*>(Buffer.data());
  Log->palVersion = 0x300;
  Log->palNumEntries = 3;
  Log->palPalEntry[0] = {10, 20, 30, 0};
  Log->palPalEntry[1] = {40, 50, 60, 0};
  Log->palPalEntry[2] = {70, 80, 90, 0};
  HPALETTE Given = CreatePalette(Log);
  Dib.SetPaletteModified(false);
  Dib.SetPalette(Given);
  EXPECT_EQ(GetObjectType(Given), 0u);
  EXPECT_TRUE(Dib.PaletteModified());
  const RGBQUAD* T = Dib.SharedImage()->ColorTable();
  EXPECT_EQ(T[2].rgbRed, 70);
  EXPECT_EQ(T[2].rgbBlue, 90);
  for (int I = 3; I < 256; ++I) EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(&T[I]), 0u) << I;
  // The saved header carries the new table.
  Bytes Saved = Save(Dib);
  EXPECT_EQ(Saved[54 + 8], 90);
  EXPECT_EQ(Saved[54 + 10], 70);
}

TEST_F(DIBTest, SizesAndAssignedGraphics) {
  TDIB Dib;
  Dib.SetWidth(5);
  EXPECT_EQ(Dib.Width(), 5);
  EXPECT_EQ(Dib.Height(), 1);
  EXPECT_EQ(Dib.BitCount(), 8);
  Dib.SetHeight(3);
  EXPECT_EQ(Dib.Height(), 3);
  Dib.SetSize(4, 4, 24);
  EXPECT_EQ(Dib.WidthBytes(), 12);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { Dib.SetSize(4, 4, 16); }), "PixelFormat in invalid");
  EXPECT_EQ(Dib.BitCount(), 24);
  Dib.NowPixelFormat = MakeDIBPixelFormat(5, 6, 5);
  Dib.SetSize(4, 4, 16);
  EXPECT_EQ(Dib.PixelFormat().GBitMask, 0x07E0);
  Dib.SetWidth(0);
  EXPECT_TRUE(Dib.Empty());

  // A bitmap drawn into a DIB of its depth.
  TBitmap Bitmap;
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(6, 4);
  Bitmap.Canvas()->Brush()->SetColor(clBlue);
  Bitmap.Canvas()->FillRect(Rect(0, 0, 6, 4));
  Bitmap.Canvas()->SetPixel(2, 1, clLime);
  TDIB FromBitmap;
  FromBitmap.Assign(&Bitmap);
  EXPECT_EQ(FromBitmap.BitCount(), 24);
  std::vector<std::uint32_t> P = DrawDIB(FromBitmap, 6, 4, 0);
  EXPECT_EQ(P[0], 0x0000FFu);
  EXPECT_EQ(P[1 * 6 + 2], 0x00FF00u);

  // An icon: any other graphic goes to 24 bits.
  TIcon Icon;
  Icon.SetHandle(LoadIconA(nullptr, IDI_APPLICATION));
  TDIB FromIcon;
  FromIcon.Assign(&Icon);
  EXPECT_EQ(FromIcon.BitCount(), 24);
  EXPECT_EQ(FromIcon.Width(), Icon.Width());
}

// A buffer whose last byte lies just before a guard page: a read past the
// input faults instead of passing unnoticed.
class TGuarded {
public:
  TGuarded() {
    SYSTEM_INFO Info;
    GetSystemInfo(&Info);
    FPage = Info.dwPageSize;
    FBase = static_cast<Byte*>(VirtualAlloc(nullptr, FSpan + FPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD Old;
    VirtualProtect(FBase + FSpan, FPage, PAGE_NOACCESS, &Old);
  }
  ~TGuarded() { VirtualFree(FBase, 0, MEM_RELEASE); }
  // A copy of Data that ends at the guard page.
  Byte* Place(const Bytes& Data) {
    Byte* Start = FBase + FSpan - Data.size();
    if (!Data.empty()) std::memcpy(Start, Data.data(), Data.size());
    return Start;
  }
  bool InGuardPage(ULONG_PTR Address) const {
    return Address >= reinterpret_cast<ULONG_PTR>(FBase + FSpan) &&
           Address < reinterpret_cast<ULONG_PTR>(FBase + FSpan + FPage);
  }
  static constexpr std::size_t FSpan = 1 << 16;

private:
  Byte* FBase;
  DWORD FPage;
};

// While it lives, a touch of a guard page ends the test program at once
// with the case that did it (instead of a crash report that waits).
class TGuardWatch {
public:
  TGuardWatch(const TGuarded* A, const TGuarded* B, unsigned Seed) {
    GGuards[0] = A;
    GGuards[1] = B;
    GSeed = Seed;
    GCase = -1;
    FHandler = AddVectoredExceptionHandler(1, &Fault);
  }
  ~TGuardWatch() {
    RemoveVectoredExceptionHandler(FHandler);
    GGuards[0] = GGuards[1] = nullptr;
  }
  static void SetCase(int N) { GCase = N; }

private:
  static LONG CALLBACK Fault(EXCEPTION_POINTERS* E) {
    const EXCEPTION_RECORD* R = E->ExceptionRecord;
    if (R->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || R->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    for (const TGuarded* G : GGuards)
      if (G && G->InGuardPage(R->ExceptionInformation[1])) {
        std::fprintf(stderr, "case %d of seed %u %s past its buffer\n", GCase, GSeed,
                     R->ExceptionInformation[0] ? "wrote" : "read");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    return EXCEPTION_CONTINUE_SEARCH;
  }
  static inline const TGuarded* GGuards[2] = {nullptr, nullptr};
  static inline unsigned GSeed = 0;
  static inline int GCase = -1;
  PVOID FHandler;
};

// A memory stream over bytes that it does not own.
class TViewStream : public TCustomMemoryStream {
public:
  TViewStream(const Byte* Data, std::size_t Size) { SetPointer(const_cast<Byte*>(Data), static_cast<int>(Size)); }
  int Write(const void*, int) override { return 0; }
  void SetSize(Int64) override {}
};

TEST_F(DIBTest, MutatedFilesLoadOrFailCleanly) {
  const int Cases = 100000;
  unsigned Seed = static_cast<unsigned>(GetTickCount());
  std::printf("mutation seed %u, %d cases\n", Seed, Cases);
  std::mt19937 Random(Seed);
  std::vector<Bytes> Files;
  for (const auto& F : Fixtures()) Files.push_back(F.second.File());
  TGuarded Guard, OutGuard;
  TGuardWatch Watch(&Guard, &OutGuard, Seed);
  const std::uint32_t Values[] = {0, 1, 0xFFFFFFFF, 65536, 0x7FFFFFFF};
  int Loaded = 0;
  DWORD Slowest = 0;
  for (int N = 0; N < Cases; ++N) {
    TGuardWatch::SetCase(N);
    Bytes F = Files[Random() % Files.size()];
    switch (Random() % 5) {
      case 0:  // bit flips
        for (int I = 1 + Random() % 4; I > 0; --I) F[Random() % F.size()] ^= static_cast<Byte>(1 << (Random() % 8));
        break;
      case 1:  // cut
        F.resize(Random() % F.size());
        break;
      case 2:  // lengthened
        for (int I = 1 + Random() % 64; I > 0; --I) F.push_back(static_cast<Byte>(Random()));
        break;
      case 3: {  // a header field (width, height, planes/bits, compression, sizes, colours)
        static const int Fields[] = {14, 18, 22, 26, 28, 30, 34, 46, 54};
        std::size_t At = Fields[Random() % 9];
        std::uint32_t V = Values[Random() % 5];
        for (int I = 0; I < 4 && At + I < F.size(); ++I) F[At + I] = static_cast<Byte>(V >> (8 * I));
        break;
      }
      default: {  // random RLE opcodes over the bits
        std::size_t Offset = F[10] | (F[11] << 8);
        if (Offset >= F.size()) break;
        for (std::size_t I = Offset; I < F.size(); ++I)
          if (Random() % 3 == 0) F[I] = static_cast<Byte>(Random() % 4 == 0 ? Random() % 3 : Random());
        break;
      }
    }
    if (F.size() > TGuarded::FSpan) F.resize(TGuarded::FSpan);
    Byte* Data = Guard.Place(F);
    DWORD Start = GetTickCount();
    // The decoder on its own, both its input and its rows ending at a guard
    // page: no read past the data, no write past the image.
    if (F.size() >= 54 && (F[30] == BI_RLE8 || F[30] == BI_RLE4) && F[31] == 0) {
      TBmp Shape = F[30] == BI_RLE8 ? Rle8() : Rle4();
      std::size_t Offset = F[10] | (F[11] << 8);
      Bytes In(F.begin() + std::min(Offset, F.size()), F.end());
      int Row = (Shape.BitCount * Shape.Width + 31) / 32 * 4;
      Byte* Out = OutGuard.Place(Bytes(static_cast<std::size_t>(Row * Shape.Height)));
      DecodeRLE(Guard.Place(In), In.size(), Out, Shape.Width, Shape.Height, Row, F[30] == BI_RLE4);
      Data = Guard.Place(F);
    }
    TDIB Dib;
    try {
      TViewStream S(Data, F.size());
      Dib.LoadFromStream(&S);
      ++Loaded;
      if (!Dib.Empty()) {
        DrawDIB(Dib, 8, 8, 0);
        Dib.Bits();
        DrawDIB(Dib, 8, 8, 0);
      }
    } catch (const EInvalidGraphic&) {
    } catch (const EInvalidGraphicOperation&) {
      // A pixel format or bit count that no image has.
    } catch (const EOutOfMemory&) {
      // A valid header of up to 256 MiB where memory runs short.
    } catch (const EOutOfResources&) {
    }
    DWORD Took = GetTickCount() - Start;
    Slowest = std::max(Slowest, Took);
    ASSERT_LT(Took, 10000u) << "case " << N << " of seed " << Seed << " took over 10 s";
  }
  std::printf("%d loaded, slowest %lu ms\n", Loaded, static_cast<unsigned long>(Slowest));
  EXPECT_GT(Loaded, 0);
}

}  // namespace
