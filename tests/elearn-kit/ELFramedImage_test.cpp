// The framed image painted into a memory DC: the drawing rectangle, the
// tint of a checked image, the frame, the answer mark, background images
// and the drawn-picture cache.
#include "ELFramedImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Framework.h"

namespace {

constexpr COLORREF Magenta = RGB(255, 0, 255);

// A 24-bit picture: the left part up to Split in Left, the rest in Right.
TOwned<TBitmap> Picture(int W, int H, COLORREF Left, COLORREF Right = CLR_INVALID, int Split = -1) {
  TOwned<TBitmap> B(new TBitmap());
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  if (Split < 0) Split = W;
  B->Canvas()->Brush()->SetColor(static_cast<TColor>(Left));
  B->Canvas()->FillRect(Rect(0, 0, Split, H));
  if (Split < W) {
    B->Canvas()->Brush()->SetColor(static_cast<TColor>(Right));
    B->Canvas()->FillRect(Rect(Split, 0, W, H));
  }
  return B;
}

void SetPicture(TELearnFramedImage* Image, TOwned<TBitmap> B) { Image->Picture()->SetGraphic(B.get()); }

// The control painted into a magenta 32-bit DIB section of its size.
class TShot {
public:
  explicit TShot(TELearnFramedImage* Image) : FWidth(Image->Width()), FHeight(Image->Height()) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = FWidth;
    Info.bmiHeader.biHeight = -FHeight;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
    for (int I = 0; I < FWidth * FHeight; ++I) FBits[I] = 0xFF00FF;
    Image->Perform(WM_PAINT, reinterpret_cast<WPARAM>(FDC), 0);
    GdiFlush();
  }
  ~TShot() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TShot(const TShot&) = delete;
  TShot& operator=(const TShot&) = delete;

  COLORREF At(int X, int Y) const {
    const DWORD P = FBits[Y * FWidth + X];
    return RGB((P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
  }
  bool AllMagenta() const {
    for (int I = 0; I < FWidth * FHeight; ++I)
      if ((FBits[I] & 0xFFFFFF) != 0xFF00FF) return false;
    return true;
  }

private:
  int FWidth, FHeight;
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  DWORD* FBits = nullptr;
};

std::string Hex(COLORREF C) {
  char S[16];
  snprintf(S, sizeof S, "%06lX", static_cast<unsigned long>(C));
  return S;
}

TEST(ELFramedImage, DestRectFollowsStretchProportionalAndCenter) {
  struct TCase {
    int PW, PH, CW, CH;
    bool Stretch, Proportional, Center;
    TRect Expected;
  };
  const TCase Cases[] = {
      // A landscape picture too big for a square client.
      {200, 100, 100, 100, false, true, false, Rect(0, 0, 100, 50)},
      {200, 100, 100, 100, false, true, true, Rect(0, 25, 100, 75)},
      // Landscape, limited by the height.
      {200, 100, 100, 40, false, true, false, Rect(0, 0, 80, 40)},
      // Portrait, and portrait limited by the width.
      {100, 200, 100, 100, false, true, true, Rect(25, 0, 75, 100)},
      {100, 200, 40, 100, false, true, false, Rect(0, 0, 40, 80)},
      // Fractions are cut off.
      {300, 200, 100, 100, false, true, false, Rect(0, 0, 100, 66)},
      // A small picture keeps its size unless stretched.
      {50, 20, 100, 100, false, true, false, Rect(0, 0, 50, 20)},
      {50, 20, 100, 100, false, true, true, Rect(25, 40, 75, 60)},
      {20, 10, 100, 100, true, true, false, Rect(0, 0, 100, 50)},
      // Stretched without keeping the shape fills the client.
      {20, 10, 100, 60, true, false, false, Rect(0, 0, 100, 60)},
      // Neither: the picture's own size, centred even when larger.
      {200, 100, 100, 100, false, false, false, Rect(0, 0, 200, 100)},
      {200, 100, 100, 100, false, false, true, Rect(-50, 0, 150, 100)},
  };
  for (const TCase& C : Cases) {
    TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
    Image->SetBounds(0, 0, C.CW, C.CH);
    SetPicture(Image.get(), Picture(C.PW, C.PH, RGB(0, 0, 0)));
    Image->SetStretch(C.Stretch);
    Image->SetProportional(C.Proportional);
    Image->SetCenter(C.Center);
    const TRect R = Image->GetDestRect();
    EXPECT_TRUE(EqualRect(&R, &C.Expected)) << C.PW << "x" << C.PH << " in " << C.CW << "x" << C.CH << " stretch "
                                            << C.Stretch << " proportional " << C.Proportional << " center " << C.Center
                                            << ": got " << R.left << "," << R.top << "," << R.right << "," << R.bottom;
  }
}

TEST(ELFramedImage, CheckedTintsEachChannelInPlace) {
  TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
  Image->SetBounds(0, 0, 40, 40);
  const COLORREF Source = RGB(200, 100, 50);
  SetPicture(Image.get(), Picture(20, 20, Source));
  Image->SetCenter(true);
  EXPECT_EQ(Image->CheckedColor(), 0xF0CAA6);

  auto Scaled = [&](COLORREF Tint) {
    return RGB(GetRValue(Source) * GetRValue(Tint) / 255, GetGValue(Source) * GetGValue(Tint) / 255,
               GetBValue(Source) * GetBValue(Tint) / 255);
  };
  struct TCase {
    bool Checked;
    TColor Tint;
    COLORREF Expected;
  };
  const TCase Cases[] = {
      {false, 0xF0CAA6, Source},
      {true, 0xFFFFFF, Source},
      {true, 0xF0CAA6, Scaled(0xF0CAA6)},
      // A system colour is taken as the colour it stands for.
      {true, clBtnFace, Scaled(static_cast<COLORREF>(ColorToRGB(clBtnFace)))},
  };
  for (const TCase& C : Cases) {
    Image->SetChecked(C.Checked);
    Image->SetCheckedColor(C.Tint);
    TShot Shot(Image.get());
    const std::string What = "checked " + std::to_string(C.Checked) + " tint " + Hex(static_cast<COLORREF>(C.Tint));
    // The centred picture stays where it is; the control around it is
    // untouched.
    for (const POINT P : {POINT{10, 10}, POINT{29, 29}, POINT{20, 15}})
      EXPECT_EQ(Hex(Shot.At(P.x, P.y)), Hex(C.Expected)) << What << " at " << P.x << "," << P.y;
    for (const POINT P : {POINT{5, 5}, POINT{9, 20}, POINT{30, 20}, POINT{20, 35}})
      EXPECT_EQ(Shot.At(P.x, P.y), Magenta) << What << " at " << P.x << "," << P.y;
  }
}

TEST(ELFramedImage, FrameBarsRunAlongTheDrawingRectangle) {
  TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
  Image->SetBounds(0, 0, 40, 30);
  const COLORREF Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255);
  SetPicture(Image.get(), Picture(20, 10, Green));
  Image->SetCenter(true);  // the picture at (10, 10) - (30, 20)
  Image->SetHasFrame(true);
  Image->SetFrameColor(static_cast<TColor>(Blue));
  Image->SetFrameWidth(2);
  TShot Shot(Image.get());
  struct TPixel {
    int X, Y;
    COLORREF Expected;
  };
  const TPixel Pixels[] = {
      {10, 15, Blue},   {11, 15, Blue},    {12, 15, Green},  {28, 15, Blue},    {29, 15, Blue}, {27, 15, Green},
      {20, 10, Blue},   {20, 11, Blue},    {20, 12, Green},  {20, 18, Blue},    {20, 19, Blue}, {20, 17, Green},
      {9, 15, Magenta}, {30, 15, Magenta}, {20, 9, Magenta}, {20, 20, Magenta},
  };
  for (const TPixel& P : Pixels) EXPECT_EQ(Hex(Shot.At(P.X, P.Y)), Hex(P.Expected)) << P.X << "," << P.Y;
}

TEST(ELFramedImage, AnswerMarkSitsWhereItsPositionSays) {
  TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
  Image->SetBounds(0, 0, 100, 100);
  const COLORREF White = RGB(255, 255, 255), Red = RGB(255, 0, 0);
  SetPicture(Image.get(), Picture(100, 100, White));
  Image->SetImageAnswer(iaCorrect);
  Image->SetImageAnswerFillColor(static_cast<TColor>(Red));
  EXPECT_EQ(Image->ImageAnswerPos(), alLeft);
  EXPECT_EQ(Image->ImageAnswerFontSize(), 12);

  // The diameter is twice the text height at the mark's font size.
  TOwned<TBitmap> Probe(new TBitmap());
  Probe->SetSize(1, 1);
  Probe->Canvas()->Font()->SetSize(12);
  const int D = 2 * Probe->Canvas()->TextHeight(AnsiString("425^%$$^%#"));
  ASSERT_GT(D, 10);
  ASSERT_LT(D, 50);

  struct TCase {
    TAlign Pos;
    int CX, CY;  // the centre of the mark
    int Size;
    POINT Elsewhere;  // a point the mark leaves alone
  };
  const int Near = D / 2, Far = 100 - D / 2;
  const TCase Cases[] = {
      {alTop, Far, Near, D, {Near, Far}},   {alBottom, Near, Far, D, {Far, Near}}, {alLeft, Near, Near, D, {Far, Far}},
      {alRight, Far, Far, D, {Near, Near}}, {alClient, 50, 50, D, {Near, Near}},   {alNone, 50, 50, 100, {2, 2}},
  };
  for (const TCase& C : Cases) {
    Image->SetImageAnswerPos(C.Pos);
    const int FontSize = Image->Canvas()->Font()->Size();
    TShot Shot(Image.get());
    const std::string What = "position " + std::to_string(C.Pos);
    const int In = C.Size / 2 - 3, Out = C.Size / 2 + 2;
    EXPECT_EQ(Hex(Shot.At(C.CX, C.CY)), Hex(Red)) << What;
    EXPECT_EQ(Hex(Shot.At(C.CX - In, C.CY)), Hex(Red)) << What;
    EXPECT_EQ(Hex(Shot.At(C.CX, C.CY + In)), Hex(Red)) << What;
    // Beyond the circle the picture shows.
    if (C.CX + Out < 100) {
      EXPECT_EQ(Hex(Shot.At(C.CX + Out, C.CY)), Hex(White)) << What;
    }
    if (C.CY - Out >= 0) {
      EXPECT_EQ(Hex(Shot.At(C.CX, C.CY - Out)), Hex(White)) << What;
    }
    // Elsewhere, and in the corners of the mark's square.
    EXPECT_EQ(Hex(Shot.At(C.Elsewhere.x, C.Elsewhere.y)), Hex(White)) << What;
    EXPECT_EQ(Hex(Shot.At(C.CX - C.Size / 2 + 1, C.CY - C.Size / 2 + 1)), Hex(White)) << What;
    EXPECT_EQ(Image->Canvas()->Font()->Size(), FontSize) << What;
  }
}

TEST(ELFramedImage, BackgroundImageDrawsOnlyThroughItsOwner) {
  TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
  Image->SetBounds(0, 0, 40, 20);
  const COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);
  SetPicture(Image.get(), Picture(40, 20, Red, Blue, 20));
  Image->SetHasFrame(true);
  Image->SetChecked(true);
  Image->SetImageAnswer(iaIncorrect);
  Image->SetIsBackground(true);
  {
    TShot Shot(Image.get());
    EXPECT_TRUE(Shot.AllMagenta());
  }

  // Drawn onto another canvas at an offset, the picture alone.
  TOwned<TBitmap> Back(Picture(60, 40, Magenta));
  Image->DrawBackgroundAt(Back->Canvas(), 10, 15);
  EXPECT_EQ(Back->Canvas()->Pixels(9, 20), static_cast<TColor>(Magenta));
  EXPECT_EQ(Back->Canvas()->Pixels(10, 15), static_cast<TColor>(Red));
  EXPECT_EQ(Back->Canvas()->Pixels(49, 34), static_cast<TColor>(Blue));
  EXPECT_EQ(Back->Canvas()->Pixels(50, 34), static_cast<TColor>(Magenta));
  EXPECT_EQ(Back->Canvas()->Pixels(30, 35), static_cast<TColor>(Magenta));
}

TEST(ELFramedImage, CachedPartFollowsSizeAndPicture) {
  TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
  Image->SetBounds(0, 0, 40, 20);
  Image->SetStretch(true);
  const COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255), Green = RGB(0, 255, 0);
  SetPicture(Image.get(), Picture(4, 2, Red, Blue, 2));
  TOwned<TBitmap> Part(Picture(10, 10, Magenta));

  auto PartAt = [&](int X, int Y) {
    Image->DrawCachedPart(Part.get(), Rect(X, Y, X + 10, Y + 10));
    return static_cast<COLORREF>(Part->Canvas()->Pixels(0, 0));
  };
  EXPECT_EQ(Hex(PartAt(5, 5)), Hex(Red));
  EXPECT_EQ(Hex(PartAt(25, 5)), Hex(Blue));
  // From the middle: both halves.
  Image->DrawCachedPart(Part.get(), Rect(15, 5, 25, 15));
  EXPECT_EQ(Hex(static_cast<COLORREF>(Part->Canvas()->Pixels(4, 4))), Hex(Red));
  EXPECT_EQ(Hex(static_cast<COLORREF>(Part->Canvas()->Pixels(5, 4))), Hex(Blue));

  // The same picture at another size is drawn anew, and so is another
  // picture of the same size.
  Image->SetBounds(0, 0, 80, 20);
  EXPECT_EQ(Hex(PartAt(35, 5)), Hex(Red));
  Image->SetBounds(0, 0, 40, 20);
  EXPECT_EQ(Hex(PartAt(35, 5)), Hex(Blue));
  SetPicture(Image.get(), Picture(4, 2, Green));
  EXPECT_EQ(Hex(PartAt(25, 5)), Hex(Green));
}

class TSizingImage : public TELearnFramedImage {
public:
  using TELearnFramedImage::CanAutoSize;
  using TELearnFramedImage::TELearnFramedImage;
};

TEST(ELFramedImage, AutoSizeTakesThePictureSizeAlongTheFreeSides) {
  struct TCase {
    TAlign Align;
    int W, H;
  };
  const TCase Cases[] = {{alNone, 30, 20}, {alTop, 7, 20},   {alBottom, 7, 20},
                         {alLeft, 30, 9},  {alRight, 30, 9}, {alClient, 30, 9}};
  for (const TCase& C : Cases) {
    TOwned<TSizingImage> Image(new TSizingImage(nullptr));
    SetPicture(Image.get(), Picture(30, 20, RGB(0, 0, 0)));
    Image->SetAlign(C.Align);
    int W = 7, H = 9;
    EXPECT_TRUE(Image->CanAutoSize(W, H));
    EXPECT_EQ(W, C.W) << "align " << C.Align;
    EXPECT_EQ(H, C.H) << "align " << C.Align;
  }
  // An image made to size itself takes a new picture's size.
  TOwned<TELearnFramedImage> Image(new TELearnFramedImage(nullptr));
  Image->SetAutoSize(true);
  SetPicture(Image.get(), Picture(30, 20, RGB(0, 0, 0)));
  EXPECT_EQ(Image->Width(), 30);
  EXPECT_EQ(Image->Height(), 20);
}

}  // namespace
