#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Jpeg.h"
#include "Streams.h"

namespace {

const std::string Dir = FIXTURES_DIR "/graphics/";

std::vector<Byte> FileBytes(const std::string& Name) {
  TMemoryStream S;
  S.LoadFromFile(Dir + Name);
  const Byte* P = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(P, P + S.Size());
}

void LoadBytes(TGraphic& G, const std::vector<Byte>& Bytes) {
  TMemoryStream S;
  if (!Bytes.empty()) S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  S.SetPosition(0);
  G.LoadFromStream(&S);
}

// The largest difference of any channel of any pixel between the picture
// drawn onto a bitmap and a reference bitmap of the same size.
int MaxDifference(TGraphic& Picture, TBitmap& Reference) {
  TBitmap Drawn;
  Drawn.SetPixelFormat(pf24bit);
  Drawn.SetSize(Reference.Width(), Reference.Height());
  Drawn.Canvas()->Draw(0, 0, &Picture);
  int Max = 0;
  for (int Y = 0; Y < Reference.Height(); ++Y)
    for (int X = 0; X < Reference.Width(); ++X) {
      TColor A = Drawn.Canvas()->Pixels(X, Y), B = Reference.Canvas()->Pixels(X, Y);
      for (int Shift = 0; Shift < 24; Shift += 8) Max = std::max(Max, std::abs(((A >> Shift) & 0xFF) - ((B >> Shift) & 0xFF)));
    }
  return Max;
}

}  // namespace

TEST(Jpeg, DecodesColourGreyAndCmykLikeTheReferenceBitmaps) {
  struct Case {
    const char* Jpeg;
    const char* Reference;
  };
  for (Case C : {Case{"quad.jpg", "quad24.bmp"}, Case{"gray.jpg", "gray24.bmp"}, Case{"cmyk.jpg", "quad24.bmp"}}) {
    TJPEGImage J;
    J.LoadFromFile(Dir + C.Jpeg);
    TBitmap Reference;
    Reference.LoadFromFile(Dir + C.Reference);
    EXPECT_EQ(J.Width(), Reference.Width()) << C.Jpeg;
    EXPECT_EQ(J.Height(), Reference.Height()) << C.Jpeg;
    // The quadrants differ by a full channel; JPEG noise stays well below.
    EXPECT_LE(MaxDifference(J, Reference), 40) << C.Jpeg;
  }
}

TEST(Jpeg, DamagedDataRaisesJpegErrors) {
  const std::vector<Byte> Good = FileBytes("quad.jpg");
  std::vector<std::vector<Byte>> Bad = {FileBytes("damaged.jpg"), std::vector<Byte>(Good.begin(), Good.begin() + Good.size() / 2),
                                        FileBytes("odd24.bmp"), {}};
  for (std::size_t N = 0; N < Bad.size(); ++N) {
    TJPEGImage J;
    J.LoadFromFile(Dir + "quad.jpg");
    try {
      LoadBytes(J, Bad[N]);
      ADD_FAILURE() << "case " << N << " loaded";
    } catch (const EJPEG& E) {
      EXPECT_EQ(E.Message().rfind("B\xB3\xB9" "d JPEG nr ", 0), 0u) << E.Message();
      EXPECT_GT(std::atoi(E.Message().c_str() + 12), 0) << E.Message();
    }
    // The picture loaded before stays.
    EXPECT_EQ(J.Width(), 32) << N;
  }
  TJPEGImage J;
  EXPECT_THROW(J.LoadFromFile(Dir + "damaged.jpg"), EInvalidGraphic);
  EXPECT_TRUE(J.Empty());
}

TEST(Jpeg, SavesItsOwnBytesAndTravelsInPictures) {
  TJPEGImage J;
  J.LoadFromFile(Dir + "quad.jpg");
  TMemoryStream Saved;
  J.SaveToStream(&Saved);
  const Byte* P = static_cast<const Byte*>(Saved.Memory());
  EXPECT_EQ(std::vector<Byte>(P, P + Saved.Size()), FileBytes("quad.jpg"));
  EXPECT_THROW(J.SetWidth(10), EInvalidGraphicOperation);

  TPicture Source, Copy;
  Source.LoadFromFile(Dir + "quad.jpg");
  TMemoryStream Data;
  Source.WriteData(&Data);
  Data.SetPosition(0);
  Copy.ReadData(&Data);
  ASSERT_NE(Copy.Graphic(), nullptr);
  EXPECT_EQ(Copy.Graphic()->ClassName(), "TJPEGImage");
  TBitmap Reference;
  Reference.LoadFromFile(Dir + "quad24.bmp");
  EXPECT_LE(MaxDifference(*Copy.Graphic(), Reference), 40);
  // As a bitmap the picture keeps its pixels.
  EXPECT_EQ(Copy.Bitmap()->Width(), 32);
  EXPECT_LE(MaxDifference(*Copy.Bitmap(), Reference), 40);
}
