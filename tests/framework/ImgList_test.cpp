#include <gtest/gtest.h>

#include <vector>

#include "Filer.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Streams.h"

namespace {

const std::string Dir = FIXTURES_DIR "/graphics/";

// A 16x16 fuchsia bitmap with a green square at (4,4)-(8,8).
TOwned<TBitmap> Glyph() {
  TOwned<TBitmap> B(new TBitmap);
  B->SetPixelFormat(pf24bit);
  B->SetSize(16, 16);
  B->Canvas()->Brush()->SetColor(clFuchsia);
  B->Canvas()->FillRect(Rect(0, 0, 16, 16));
  B->Canvas()->Brush()->SetColor(clGreen);
  B->Canvas()->FillRect(Rect(4, 4, 8, 8));
  return B;
}

TOwned<TBitmap> WhiteBitmap(int W, int H) {
  TOwned<TBitmap> B(new TBitmap);
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  return B;
}

class TCounter : public TObject {
public:
  int Count = 0;
  TObject* Sender = nullptr;
  void Handle(TObject* S) {
    ++Count;
    Sender = S;
  }
};

}  // namespace

TEST(ImageList, AddsMaskedImagesAndDrawsThemTransparently) {
  TOwned<TImageList> List(new TImageList(nullptr));
  EXPECT_EQ(List->Width(), 16);
  EXPECT_EQ(List->Count(), 0);
  auto G = Glyph();
  EXPECT_EQ(List->AddMasked(G.get(), clFuchsia), 0);
  // The caller's bitmap is left as it was.
  EXPECT_EQ(G->Canvas()->Pixels(0, 0), clFuchsia);
  EXPECT_EQ(List->Add(G.get(), nullptr), 1);
  TIcon Icon;
  Icon.LoadFromFile(Dir + "icon.ico");
  EXPECT_EQ(List->AddIcon(&Icon), 2);
  EXPECT_EQ(List->Count(), 3);

  auto Dst = WhiteBitmap(40, 20);
  List->Draw(Dst->Canvas(), 2, 2, 0);
  EXPECT_EQ(Dst->Canvas()->Pixels(7, 7), clGreen);
  EXPECT_EQ(Dst->Canvas()->Pixels(2, 2), clWhite);
  List->Draw(Dst->Canvas(), 20, 2, 1);
  EXPECT_EQ(Dst->Canvas()->Pixels(20, 2), clFuchsia);
  EXPECT_THROW(List->Draw(Dst->Canvas(), 0, 0, 3), EInvalidOperation);

  TBitmap Out;
  List->GetBitmap(0, &Out);
  EXPECT_EQ(Out.Width(), 16);
  EXPECT_EQ(Out.Canvas()->Pixels(5, 5), clGreen);

  // Disabled: the shape in shadow, its highlight one pixel down and right;
  // the transparent part untouched.
  auto Disabled = WhiteBitmap(20, 20);
  Disabled->Canvas()->Brush()->SetColor(clBtnFace);
  Disabled->Canvas()->FillRect(Rect(0, 0, 20, 20));
  List->Draw(Disabled->Canvas(), 0, 0, 0, false);
  EXPECT_EQ(Disabled->Canvas()->Pixels(5, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Disabled->Canvas()->Pixels(8, 8), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Disabled->Canvas()->Pixels(1, 1), ColorToRGB(clBtnFace));
}

TEST(ImageList, ChangeLinksHearEveryChange) {
  TOwned<TImageList> List(new TImageList(nullptr));
  TCounter Counter;
  TOwned<TChangeLink> Link(new TChangeLink);
  Link->OnChange = TNotifyEvent(&Counter, &TCounter::Handle);
  List->RegisterChanges(Link.get());
  EXPECT_EQ(Link->Sender(), List.get());
  auto G = Glyph();
  List->AddMasked(G.get(), clFuchsia);
  List->Clear();
  List->SetWidth(24);
  EXPECT_EQ(Counter.Count, 3);
  EXPECT_EQ(Counter.Sender, List.get());
  List->UnRegisterChanges(Link.get());
  List->Add(Glyph().get(), nullptr);
  EXPECT_EQ(Counter.Count, 3);

  // A link freed first unregisters itself; a list freed first lets go of it.
  List->RegisterChanges(Link.get());
  Link.reset();
  List->Clear();
  TChangeLink Survivor;
  List->RegisterChanges(&Survivor);
  List.reset();
  EXPECT_EQ(Survivor.Sender(), nullptr);
}

TEST(ImageList, LayoutDataRestoresImagesAndMasks) {
  TOwned<TImageList> List(new TImageList(nullptr));
  List->AddMasked(Glyph().get(), clFuchsia);
  List->Add(Glyph().get(), nullptr);
  TMemoryStream Data;
  List->WriteData(&Data);

  TOwned<TImageList> Copy(new TImageList(nullptr));
  Copy->SetWidth(32);
  Data.SetPosition(0);
  Copy->ReadData(&Data);
  EXPECT_EQ(Copy->Count(), 2);
  EXPECT_EQ(Copy->Width(), 16);
  for (int I = 0; I < 2; ++I) {
    auto A = WhiteBitmap(16, 16), B = WhiteBitmap(16, 16);
    List->Draw(A->Canvas(), 0, 0, I);
    Copy->Draw(B->Canvas(), 0, 0, I);
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 16; ++X) ASSERT_EQ(A->Canvas()->Pixels(X, Y), B->Canvas()->Pixels(X, Y)) << I << ": " << X << "," << Y;
  }

  // The same data read from a layout.
  InitializeImgList();
  AnsiString Hex;
  const Byte* P = static_cast<const Byte*>(Data.Memory());
  for (Int64 I = 0; I < Data.Size(); ++I) {
    static const char Digits[] = "0123456789ABCDEF";
    Hex += Digits[P[I] >> 4];
    Hex += Digits[P[I] & 15];
  }
  TStringStream Text("object Images: TImageList\n  Bitmap = {\n    " + Hex + "}\nend\n");
  TOwned<TImageList> FromLayout(new TImageList(nullptr));
  ReadComponentLayout(&Text, FromLayout.get());
  EXPECT_EQ(FromLayout->Count(), 2);

  // Damaged data leaves the list as it was.
  Data.SetSize(Data.Size() - 10);
  Data.SetPosition(0);
  TOwned<TImageList> Third(new TImageList(nullptr));
  Third->Add(Glyph().get(), nullptr);
  EXPECT_THROW(Third->ReadData(&Data), EInvalidGraphic);
  EXPECT_EQ(Third->Count(), 1);
}
