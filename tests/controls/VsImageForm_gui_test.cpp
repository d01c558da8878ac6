// Background layouts beside per-pixel formulas and StretchBlt, and the image
// form on real windows: erasing, dragging hit tests, re-sent clicks, links,
// and window regions beside PtInRegion and GetWindowRgn.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "VsExtBkgnd.h"
#include "VsHook.h"
#include "VsImageForm.h"

namespace {

constexpr COLORREF Magenta = RGB(255, 0, 255);
constexpr COLORREF Fill = RGB(10, 20, 30);

// A picture whose every pixel has a colour of its own.
TOwned<TBitmap> Picture(int Width, int Height) {
  TOwned<TBitmap> B(new TBitmap());
  B->SetSize(Width, Height);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) SetPixel(B->Canvas()->Handle(), X, Y, RGB(40 * X + 1, 50 * Y + 2, 99));
  return B;
}

TEST(ExtBkgnd, EachLayoutShowsThePictureWhereTheFormulaPutsItAndTheFillElsewhere) {
  TOwned<TBitmap> B = Picture(5, 3);
  const TRect Area{0, 0, 23, 17};
  const TRect Paint{2, 1, 21, 16};
  const TPoint Offset{3, 4};  // the paint rectangle reaches past the area
  // The stretch oracle: the platform's StretchBlt of the picture to the area.
  TMemoryDC Stretched(23, 17);
  SetStretchBltMode(Stretched.DC(), COLORONCOLOR);
  StretchBlt(Stretched.DC(), 0, 0, 23, 17, B->Canvas()->Handle(), 0, 0, 5, 3, SRCCOPY);
  struct Case {
    const char* What;
    TVsBkGndType Type;
    std::function<COLORREF(int X, int Y)> Background;  // in area coordinates
  };
  const auto Pixel = [&](int X, int Y) { return GetPixel(B->Canvas()->Handle(), X, Y); };
  const auto Placed = [&](int Left, int Top) {
    return [&, Left, Top](int X, int Y) {
      return X >= Left && X < Left + 5 && Y >= Top && Y < Top + 3 ? Pixel(X - Left, Y - Top) : Fill;
    };
  };
  const Case Cases[] = {
      {"tile", bgtTileBitmap, [&](int X, int Y) { return Pixel(X % 5, Y % 3); }},
      {"stretch", bgtStretchBitmap, [&](int X, int Y) { return Stretched.At(X, Y); }},
      // Centred: 23 / 2 - 5 / 2 = 9, 17 / 2 - 3 / 2 = 7; its last column and row included.
      {"centre", bgtCenterBitmap, Placed(9, 7)},
      {"top-left", bgtTopLeftBitmap, Placed(0, 0)},
      {"colour", bgtColorFill, [](int, int) { return Fill; }},
  };
  for (const Case& C : Cases) {
    TMemoryDC S(26, 20);
    ExtDrawBkgnd(S.DC(), Paint, Area, Offset, static_cast<TColor>(Fill), B.get(), C.Type);
    int Wrong = 0;
    for (int Y = 0; Y < 20; ++Y)
      for (int X = 0; X < 26; ++X) {
        const POINT P{X, Y};
        const POINT Shown{X + Offset.x, Y + Offset.y};
        const COLORREF Expected = !PtInRect(&Paint, P)        ? Magenta
                                  : !PtInRect(&Area, Shown) ? Fill
                                                            : C.Background(Shown.x, Shown.y);
        Wrong += S.At(X, Y) != Expected;
      }
    EXPECT_EQ(Wrong, 0) << C.What;

    // The whole-area form: the same layout in the area's own coordinates.
    TMemoryDC Whole(23, 17);
    ExtDrawBkgndEx(Whole.DC(), Area, C.Type, B.get(), static_cast<TColor>(Fill));
    int WrongWhole = 0;
    for (int Y = 0; Y < 17; ++Y)
      for (int X = 0; X < 23; ++X) WrongWhole += Whole.At(X, Y) != C.Background(X, Y);
    EXPECT_EQ(WrongWhole, 0) << C.What << " (whole area)";
  }
  // SRCINVERT combines with what is there.
  TMemoryDC Inverted(5, 3);
  ExtDrawBkgndEx(Inverted.DC(), TRect{0, 0, 5, 3}, bgtTileBitmap, B.get(), static_cast<TColor>(Fill), SRCINVERT);
  EXPECT_EQ(Inverted.At(1, 2), Pixel(1, 2) ^ Magenta);
}

TEST(ExtBkgnd, NoPictureOrNoAreaOnlyFills) {
  TOwned<TBitmap> Empty(new TBitmap());
  TOwned<TBitmap> Thin(new TBitmap());
  Thin->SetSize(4, 0);
  TOwned<TBitmap> B = Picture(5, 3);
  struct Case {
    const char* What;
    TBitmap* Bitmap;
    TRect Area;
  };
  const Case Cases[] = {
      {"no bitmap", nullptr, TRect{0, 0, 10, 10}},
      {"0 x 0 bitmap", Empty.get(), TRect{0, 0, 10, 10}},
      {"4 x 0 bitmap", Thin.get(), TRect{0, 0, 10, 10}},
      {"empty area", B.get(), TRect{0, 0, 0, 10}},
  };
  for (const Case& C : Cases)
    for (const TVsBkGndType Type : {bgtTileBitmap, bgtStretchBitmap, bgtCenterBitmap, bgtTopLeftBitmap}) {
      TMemoryDC S(10, 10);
      ExtDrawBkgnd(S.DC(), TRect{1, 1, 9, 9}, C.Area, TPoint{0, 0}, static_cast<TColor>(Fill), C.Bitmap, Type);
      EXPECT_EQ(S.At(1, 1), Fill) << C.What << " " << Type;
      EXPECT_EQ(S.At(8, 8), Fill) << C.What << " " << Type;
      EXPECT_EQ(S.At(0, 0), Magenta) << C.What << " " << Type;
      TMemoryDC W(10, 10);
      ExtDrawBkgndEx(W.DC(), C.Area, Type, C.Bitmap, static_cast<TColor>(Fill));
      if (C.Area.right > 0) {
        EXPECT_EQ(W.At(5, 5), Fill) << C.What << " " << Type << " (whole area)";
      }
    }
}

// --- the image form ---

// A panel that reports its right clicks and may have a scroll bar.
class TTarget : public TPanel {
public:
  using TPanel::TPanel;
  bool VerticalBar = false;
  std::vector<std::string> Clicks;

protected:
  void CreateParams(TCreateParams& Params) override {
    TPanel::CreateParams(Params);
    if (VerticalBar) Params.Style |= WS_VSCROLL;
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_MBUTTONUP)
      Clicks.push_back(std::to_string(Message.Msg) + "@" + std::to_string(static_cast<short>(LOWORD(Message.LParam))) +
                       "," + std::to_string(static_cast<short>(HIWORD(Message.LParam))) + " keys " +
                       std::to_string(Message.WParam));
    TPanel::WndProc(Message);
  }
};

class ImageFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(50, 50, 300, 220);
    Form->SetColor(static_cast<TColor>(RGB(200, 200, 200)));
    Target = Create<TTarget>(Form);
    Target->SetBounds(10, 10, 160, 120);
    Target->SetBevelOuter(bvNone);
    Target->SetParent(Form);
    Form->Show();
    PumpFor(50);
  }
  void TearDown() override { Form->Free(); }

  LRESULT HitTest(TWinControl* Control, int X, int Y) {
    const TPoint P = Control->ClientToScreen(TPoint{X, Y});
    return SendMessageW(Control->Handle(), WM_NCHITTEST, 0, MAKELPARAM(P.x, P.y));
  }

  TForm* Form = nullptr;
  TTarget* Target = nullptr;
};

TEST_F(ImageFormTest, ErasingIsLeftAloneUntilThereIsABackgroundToPaint) {
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  TMemoryDC S(4, 4);
  // A new image form on its owner: the form erases itself.
  EXPECT_EQ(Form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(S.DC()), 0), 1);
  EXPECT_EQ(S.At(0, 0), RGB(200, 200, 200));

  TOwned<TBitmap> B = Picture(3, 2);
  Image->SetBackground(B.get());
  Image->SetBackgroundType(bgtTileBitmap);
  TMemoryDC T(8, 8);
  Form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(T.DC()), 0);
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) ASSERT_EQ(T.At(X, Y), GetPixel(B->Canvas()->Handle(), X % 3, Y % 2)) << X << "," << Y;

  // The top-left picture over the picture's bottom-right colour.
  Image->SetBackgroundType(bgtTopLeftBitmap);
  TMemoryDC U(8, 8);
  Form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(U.DC()), 0);
  EXPECT_EQ(U.At(1, 1), GetPixel(B->Canvas()->Handle(), 1, 1));
  EXPECT_EQ(U.At(6, 6), GetPixel(B->Canvas()->Handle(), 2, 1));
}

TEST_F(ImageFormTest, TilesFollowTheScrollOffset) {
  Target->VerticalBar = true;
  Target->RecreateWnd();
  Target->HandleNeeded();
  SCROLLINFO Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  Info.nMin = 0;
  Info.nMax = 400;
  Info.nPage = 50;
  Info.nPos = 7;
  SetScrollInfo(Target->Handle(), SB_VERT, &Info, FALSE);
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  Image->SetControl(Target);
  TOwned<TBitmap> B = Picture(3, 5);
  Image->SetBackground(B.get());
  Image->SetBackgroundType(bgtTileBitmap);
  TMemoryDC S(6, 6);
  Image->PaintBkgnd(S.DC(), TRect{0, 0, 6, 6}, false, TPoint{1, 0});
  for (int Y = 0; Y < 6; ++Y)
    for (int X = 0; X < 6; ++X)
      ASSERT_EQ(S.At(X, Y), GetPixel(B->Canvas()->Handle(), (X + 1) % 3, (Y + 7) % 5)) << X << "," << Y;
}

TEST_F(ImageFormTest, OnlyTheFreeClientAreaDragsAndItsRightClicksStillArrive) {
  TButton* Child = Create<TButton>(Form);
  Child->SetBounds(10, 10, 40, 20);
  Child->SetParent(Target);
  Target->VerticalBar = true;
  Target->SetBorderWidth(0);
  Target->RecreateWnd();
  Target->HandleNeeded();
  SetWindowLongW(Target->Handle(), GWL_STYLE, GetWindowLongW(Target->Handle(), GWL_STYLE) | WS_THICKFRAME);
  SetWindowPos(Target->Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  Image->SetControl(Target);
  EXPECT_EQ(HitTest(Target, 80, 60), HTCLIENT);  // not asked to move
  Image->SetMoveForm(true);
  const int Width = Target->ClientWidth();
  struct Case {
    const char* What;
    int X, Y;
    LRESULT Expected;
  };
  const Case Cases[] = {
      {"free client area", 80, 60, HTCAPTION},
      {"child control", 15, 15, HTCLIENT},
      {"scroll bar", Width + GetSystemMetrics(SM_CXVSCROLL) / 2, 30, HTVSCROLL},
      {"sizing border", -2, 30, HTLEFT},
  };
  for (const Case& C : Cases) EXPECT_EQ(HitTest(Target, C.X, C.Y), C.Expected) << C.What;

  // A right click on the dragged area comes back as a client click.
  const TPoint Screen = Target->ClientToScreen(TPoint{70, 40});
  // The default handling of a right press on a caption waits for the
  // button to come up: it is already on its way.
  PostMessageW(Target->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(70, 40));
  SendMessageW(Target->Handle(), WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(Screen.x, Screen.y));
  SendMessageW(Target->Handle(), WM_NCMBUTTONUP, HTCAPTION, MAKELPARAM(Screen.x, Screen.y));
  EXPECT_EQ(Target->Clicks,
            (std::vector<std::string>{std::to_string(WM_RBUTTONDOWN) + "@70,40 keys 0",
                                      std::to_string(WM_MBUTTONUP) + "@70,40 keys 0"}));

  // With a caption control only a point inside it drags.
  TLabel* Caption = Create<TLabel>(Form);
  Caption->SetAutoSize(false);
  Caption->SetBounds(100, 80, 40, 20);
  Caption->SetParent(Target);
  Image->SetCaptionControl(Caption);
  EXPECT_EQ(HitTest(Target, 110, 85), HTCAPTION);
  EXPECT_EQ(HitTest(Target, 80, 40), HTCLIENT);
  Caption->Free();  // forgotten through the free notification
  EXPECT_EQ(Image->CaptionControl(), nullptr);
  EXPECT_EQ(HitTest(Target, 80, 40), HTCAPTION);
}

TEST_F(ImageFormTest, LinksAndControlsMayGoInEitherOrder) {
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  int Changes = 0;
  struct TCounter : TObject {
    int* Count;
    void Changed(TCustomVsImageForm*) { ++*Count; }
  } Counter;
  Counter.Count = &Changes;
  auto First = std::make_unique<TImgFormChangeLink>();
  auto Second = std::make_unique<TImgFormChangeLink>();
  First->OnChange = TImgFormChangeEvent(&Counter, &TCounter::Changed);
  Second->OnChange = TImgFormChangeEvent(&Counter, &TCounter::Changed);
  Image->RegisterChanges(First.get());
  Image->RegisterChanges(Second.get());
  Image->SetBackgroundType(bgtVertGradient);
  EXPECT_EQ(Changes, 2);
  First.reset();  // the link goes first: it unregisters itself
  Image->SetBackgroundType(bgtHorzGradient);
  EXPECT_EQ(Changes, 3);
  Image->Free();  // the form goes first: the link forgets it
  EXPECT_EQ(Second->Form(), nullptr);
  Second.reset();

  TVsImageForm* Other = Create<TVsImageForm>(Form);
  Other->SetControl(Target);
  Target->Free();
  Target = nullptr;
  EXPECT_EQ(Other->Control(), nullptr);
}

TEST_F(ImageFormTest, TheWindowTakesTheRegionOfTheOpaquePixelsAndGetsItAgainWhenRecreated) {
  TImage* Shape = Create<TImage>(Form);
  TOwned<TBitmap> B(new TBitmap());
  B->SetSize(40, 30);
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(static_cast<TColor>(RGB(0, 255, 0)));
  C->FillRect(TRect{0, 0, 40, 30});
  C->Brush()->SetColor(static_cast<TColor>(RGB(0, 0, 200)));
  C->FillRect(TRect{5, 4, 25, 20});
  TVsImageForm* Image = Create<TVsImageForm>(Form);
  EXPECT_EQ(Image->TransparentColor(), clNone);
  EXPECT_EQ(Image->GradientStartColor(), clBlack);
  EXPECT_EQ(Image->GradientEndColor(), clWhite);
  Image->SetControl(Target);
  Image->SetFormImage(Shape);
  Image->SetChangeFormRegion(true);
  Shape->Picture()->SetBitmap(B.get());
  EXPECT_EQ(Image->TransparentColor(), static_cast<TColor>(RGB(0, 255, 0)));

  const auto Region = [&] {
    HRGN R = CreateRectRgn(0, 0, 0, 0);
    const int Kind = GetWindowRgn(Target->Handle(), R);
    std::string Shape = Kind == ERROR ? "none" : "";
    if (Kind != ERROR)
      for (const POINT P : {POINT{5, 4}, POINT{24, 19}, POINT{4, 4}, POINT{25, 19}, POINT{30, 25}})
        Shape += PtInRegion(R, P.x, P.y) ? '1' : '0';
    DeleteObject(R);
    return Shape;
  };
  EXPECT_EQ(Region(), "11000");
  EXPECT_EQ(Image->OwnedRegion(), nullptr);  // the window's now

  Target->RecreateWnd();
  Target->HandleNeeded();
  EXPECT_EQ(Region(), "11000");

  // The transparent colour chosen by hand shapes the other way round.
  Image->SetTransparentColor(static_cast<TColor>(RGB(0, 0, 200)));
  EXPECT_EQ(Region(), "00111");
  Image->SetChangeFormRegion(false);
  EXPECT_EQ(Region(), "none");

  // Without a window the region waits, owned here.
  TTarget* Hidden = Create<TTarget>(Form);
  Image->SetControl(Hidden);
  Image->SetChangeFormRegion(true);
  EXPECT_NE(Image->OwnedRegion(), nullptr);
  Hidden->SetBounds(0, 0, 60, 50);
  Hidden->SetParent(Form);
  Hidden->HandleNeeded();  // built afresh for the new window, which takes it
  EXPECT_EQ(Image->OwnedRegion(), nullptr);
  HRGN Taken = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(Hidden->Handle(), Taken), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(Taken, 5, 4));  // still shaped by the colour chosen by hand
  EXPECT_TRUE(PtInRegion(Taken, 30, 25));
  DeleteObject(Taken);
}

// Random pictures: the region holds exactly the pixels outside the
// tolerance of the transparent colour, and no GDI object is left behind.
TEST(RegionFromBitmap, RandomPicturesKeepExactlyTheOpaquePixels) {
  std::mt19937 Random(2506);
  const DWORD ObjectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int Run = 0; Run < 10000; ++Run) {
    const int W = static_cast<int>(Random() % 301), H = static_cast<int>(Random() % 301);
    const int Tolerance = static_cast<int>(Random() % 40);
    const int KR = static_cast<int>(Random() % 256), KG = static_cast<int>(Random() % 256),
              KB = static_cast<int>(Random() % 256);
    TOwned<TBitmap> B(new TBitmap());
    B->SetPixelFormat(pf32bit);
    B->SetSize(W, H);
    // Blocks of colours near the key, some inside its tolerance and some not.
    const int Blocks = 1 + static_cast<int>(Random() % 6);
    std::vector<std::pair<RECT, DWORD>> Fills;
    for (int I = 0; I < Blocks; ++I) {
      const int X1 = W ? static_cast<int>(Random() % W) : 0, Y1 = H ? static_cast<int>(Random() % H) : 0;
      const RECT R{X1, Y1, X1 + 1 + static_cast<int>(Random() % 80), Y1 + 1 + static_cast<int>(Random() % 80)};
      const auto Near = [&](int K) { return std::clamp(K + static_cast<int>(Random() % 60) - 10, 0, 255); };
      Fills.push_back({R, static_cast<DWORD>((Near(KR) << 16) | (Near(KG) << 8) | Near(KB))});
    }
    for (int Y = 0; Y < H && W > 0; ++Y) {
      auto* Row = static_cast<DWORD*>(B->ScanLine(Y));
      for (int X = 0; X < W; ++X) {
        DWORD Colour = static_cast<DWORD>((KR << 16) | (KG << 8) | KB);
        for (const auto& F : Fills)
          if (X >= F.first.left && X < F.first.right && Y >= F.first.top && Y < F.first.bottom) Colour = F.second;
        Row[X] = Colour;
      }
    }
    HRGN Region = CreateRegionFromBitmap(B.get(), static_cast<TColor>(RGB(KR, KG, KB)), Tolerance);
    ASSERT_NE(Region, nullptr) << Run;
    for (int Point = 0; Point < 50 && W > 0 && H > 0; ++Point) {
      const int X = static_cast<int>(Random() % W), Y = static_cast<int>(Random() % H);
      const DWORD P = static_cast<const DWORD*>(B->ScanLine(Y))[X];
      const auto In = [Tolerance](int Part, int K) { return Part >= K && Part <= std::min(255, K + Tolerance); };
      const bool Clear = In((P >> 16) & 0xFF, KR) && In((P >> 8) & 0xFF, KG) && In(P & 0xFF, KB);
      ASSERT_EQ(PtInRegion(Region, X, Y) != 0, !Clear) << "run " << Run << " at " << X << "," << Y;
    }
    DeleteObject(Region);
  }
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), ObjectsBefore);
}

class TImageFormEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeExtCtrls();
    InitializeVsHook();
    InitializeVsImageForm();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const ImageFormEnvironment = ::testing::AddGlobalTestEnvironment(new TImageFormEnvironment);

}  // namespace
