// The trainer's picture button, tiling image and numeric edit on real
// windows.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "ImgBtn.h"
#include "JEdit.h"
#include "Streams.h"
#include "TypInfo.h"
#include "UniControls.h"
#include "UniSysUtils.h"
#include "WImage.h"

namespace {

const COLORREF Magenta = RGB(255, 0, 255);

// A memory DC of a given size, filled with magenta.
class TOffscreen {
public:
  TOffscreen(int Width, int Height) {
    HDC Screen = GetDC(nullptr);
    FDC = CreateCompatibleDC(Screen);
    FBitmap = CreateCompatibleBitmap(Screen, Width, Height);
    ReleaseDC(nullptr, Screen);
    FOld = SelectObject(FDC, FBitmap);
    HBRUSH Fill = CreateSolidBrush(Magenta);
    const RECT R{0, 0, Width, Height};
    FillRect(FDC, &R, Fill);
    DeleteObject(Fill);
  }
  ~TOffscreen() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TOffscreen(const TOffscreen&) = delete;
  TOffscreen& operator=(const TOffscreen&) = delete;
  HDC DC() const { return FDC; }
  COLORREF At(int X, int Y) const { return GetPixel(FDC, X, Y); }

private:
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

void FillBitmap(TBitmap* B, int W, int H, TColor Color) {
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  B->Canvas()->Brush()->SetColor(Color);
  B->Canvas()->FillRect(Rect(0, 0, W, H));
}

std::string HexOf(TMemoryStream& Data) {
  std::string Hex;
  const auto* P = static_cast<const unsigned char*>(Data.Memory());
  for (Int64 I = 0; I < Data.Size(); ++I) {
    char Buf[3];
    std::snprintf(Buf, sizeof Buf, "%02X", P[I]);
    Hex += Buf;
  }
  return Hex;
}

class TPicturesEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeUniSysUtils();
    InitializeUniControls();
    RegisterImgBtn();
    RegisterWImage();
    RegisterJEdit();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    SetCursorPos(2, 2);
  }
  void TearDown() override {
    FinalizeForms();
    FinalizeUniControls();
  }
};

[[maybe_unused]] const auto* const PicturesEnvironment =
    ::testing::AddGlobalTestEnvironment(new TPicturesEnvironment);

class PictureControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(60, 60, 300, 200);
  }
  void TearDown() override {
    FreeAndNil(Form);
    SetCursorPos(2, 2);
    PumpFor(20);
  }
  TForm* Form = nullptr;
};

// ---- Picture button ------------------------------------------------------

enum TStep { Enter, Leave, LeftDown, LeftUp, RightDown, RightUp };

class ImgBtnTest : public PictureControlsTest {
protected:
  void SetUp() override {
    PictureControlsTest::SetUp();
    FillBitmap(&Base, 16, 16, clRed);
    FillBitmap(&Over, 16, 16, clLime);
    FillBitmap(&Down, 16, 16, clBlue);
    Button = Create<TImgBtn>(Form);
    Button->SetBounds(20, 20, 40, 40);
    Button->SetParent(Form);
    Form->Show();
    PumpFor(50);
  }
  // Which picture the glyph holds now.
  std::string Shown() const {
    TBitmap* G = Button->Glyph();
    if (G->Empty()) return "none";
    const TColor C = G->Canvas()->Pixels(8, 8);
    return C == clRed ? "base" : C == clLime ? "over" : C == clBlue ? "down" : "other";
  }
  // Moves the real cursor (the framework tracks enter and leave from it)
  // and posts the buttons at the cursor's place.
  void Do(TStep Step) {
    switch (Step) {
      case Enter: MoveTo(40, 40); break;
      case Leave: MoveTo(200, 120); break;
      case LeftDown: Post(WM_LBUTTONDOWN, MK_LBUTTON); break;
      case LeftUp: Post(WM_LBUTTONUP, 0); break;
      case RightDown: Post(WM_RBUTTONDOWN, MK_RBUTTON); break;
      case RightUp: Post(WM_RBUTTONUP, 0); break;
    }
  }
  void MoveTo(int X, int Y) {
    FAt = Point(X, Y);
    const TPoint P = Form->ClientToScreen(FAt);
    SetCursorPos(P.x, P.y);
    const bool Inside = X >= 20 && X < 60 && Y >= 20 && Y < 60;
    WaitUntil(Inside ? "the mouse over the button" : "the mouse off the button",
              [&] { return Button->MouseInControl() == Inside; });
    PumpFor(20);
  }
  void Post(UINT Msg, WPARAM Keys) {
    PostMessageA(Form->Handle(), Msg, Keys, PointToLParam(FAt.x, FAt.y));
    PumpFor(30);
  }
  TBitmap Base, Over, Down;
  TImgBtn* Button = nullptr;
  TPoint FAt{200, 120};
};

TEST_F(ImgBtnTest, GlyphFollowsTheMouseThroughThePictures) {
  struct TCase {
    const char* Name;
    bool WithBase, WithOver, WithDown;
    std::vector<std::pair<TStep, const char*>> Steps;
  };
  const TCase Cases[] = {
      {"click inside", true, true, true,
       {{Enter, "over"}, {LeftDown, "down"}, {LeftUp, "over"}, {Leave, "base"}}},
      {"dragged out while pressed", true, true, true,
       {{Enter, "over"}, {LeftDown, "down"}, {Leave, "down"}, {LeftUp, "base"}, {Enter, "over"}}},
      {"only the base picture", true, false, false,
       {{Enter, "base"}, {LeftDown, "base"}, {LeftUp, "base"}, {Leave, "base"}}},
      {"the right button holds the hover pictures back", true, true, true,
       {{Enter, "over"}, {RightDown, "over"}, {Leave, "over"}, {Enter, "over"}, {RightUp, "over"}, {Leave, "base"}}},
      {"no base picture: released outside empties the glyph", false, true, true,
       {{Enter, "over"}, {LeftDown, "down"}, {Leave, "down"}, {LeftUp, "none"}}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Do(Leave);
    Button->SetGlyph(nullptr);
    TBitmap Empty;
    Button->SetPicture_Base(Case.WithBase ? &Base : &Empty);
    Button->SetPicture_Over(Case.WithOver ? &Over : &Empty);
    Button->SetPicture_Down(Case.WithDown ? &Down : &Empty);
    // Only the base picture goes into the glyph at once.
    EXPECT_EQ(Shown(), Case.WithBase ? "base" : "none");
    for (size_t I = 0; I < Case.Steps.size(); ++I) {
      Do(Case.Steps[I].first);
      EXPECT_EQ(Shown(), Case.Steps[I].second) << "after step " << I;
    }
  }
}

// ---- Layouts -------------------------------------------------------------

TEST_F(PictureControlsTest, LayoutsCreateTheControlsAndSetTheirProperties) {
  TBitmap Red;
  FillBitmap(&Red, 16, 16, clRed);
  TMemoryStream Data;
  Red.WriteData(&Data);
  const std::string Hex = HexOf(Data);
  const std::string Layout = "object LayoutForm: TForm\n"
                             "  object WImage1: TWImage\n"
                             "    Align = alClient\n"
                             "    Picture.Data = {07544269746D6170" + Hex + "}\n"
                             "  end\n"
                             "  object IBAdd: TImgBtn\n"
                             "    Left = 8\n"
                             "    Top = 8\n"
                             "    Picture_Base.Data = {" + Hex + "}\n"
                             "  end\n"
                             "  object EName: TJEdit\n"
                             "    Alignment = taCenter\n"
                             "    NumericOnly = True\n"
                             "    ReadOnly = True\n"
                             "    Text = 'nieznany'\n"
                             "  end\n"
                             "end\n";
  TStringStream S(Layout);
  ReadComponentLayout(&S, Form);
  auto* Image = dynamic_cast<TWImage*>(Form->FindComponent("WImage1"));
  auto* Button = dynamic_cast<TImgBtn*>(Form->FindComponent("IBAdd"));
  auto* Edit = dynamic_cast<TJEdit*>(Form->FindComponent("EName"));
  ASSERT_NE(Image, nullptr);
  ASSERT_NE(Button, nullptr);
  ASSERT_NE(Edit, nullptr);
  EXPECT_EQ(Image->Align(), alClient);
  EXPECT_EQ(Image->Picture()->Width(), 16);
  // The base picture read in place still shows as the glyph.
  EXPECT_EQ(Button->Picture_Base()->Width(), 16);
  EXPECT_EQ(Button->Glyph()->Width(), 16);
  EXPECT_EQ(Edit->Alignment(), taCenter);
  EXPECT_TRUE(Edit->NumericOnly());
  EXPECT_TRUE(Edit->ReadOnly());
  EXPECT_EQ(Edit->Text(), L"nieznany");
  EXPECT_EQ(Edit->Height(), 21);
  EXPECT_FALSE(Edit->WordWrap());
  EXPECT_TRUE((GetWindowLongA(Edit->Handle(), GWL_STYLE) & ES_CENTER) != 0);
}

// ---- Tiling image ----------------------------------------------------------

// A picture of four coloured quarters, so that a misplaced tile shows.
void MakeQuarters(TBitmap* B, int W, int H) {
  FillBitmap(B, W, H, clRed);
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(clLime);
  C->FillRect(Rect(W / 2, 0, W, H / 2));
  C->Brush()->SetColor(clBlue);
  C->FillRect(Rect(0, H / 2, W / 2, H));
  C->Brush()->SetColor(clYellow);
  C->FillRect(Rect(W / 2, H / 2, W, H));
}

TEST_F(PictureControlsTest, ImageTilesItsPictureOverTheWholeArea) {
  TBitmap Tile;
  MakeQuarters(&Tile, 100, 40);
  TWImage* Image = Create<TWImage>(Form);
  EXPECT_EQ(Image->Width(), 105);
  EXPECT_EQ(Image->Height(), 105);
  Image->SetBounds(0, 0, 250, 100);
  Image->SetParent(Form);
  {
    // Empty: nothing is painted.
    TOffscreen Shot(250, 100);
    Image->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Shot.DC()), 0);
    int Painted = 0;
    for (int Y = 0; Y < 100; Y += 3)
      for (int X = 0; X < 250; X += 3) Painted += Shot.At(X, Y) != Magenta;
    EXPECT_EQ(Painted, 0);
  }
  Image->Picture()->SetBitmap(&Tile);
  TOffscreen Shot(250, 100);
  Image->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Shot.DC()), 0);
  int Wrong = 0;
  for (int Y = 0; Y < 100; ++Y)
    for (int X = 0; X < 250; ++X)
      Wrong += Shot.At(X, Y) != static_cast<COLORREF>(Tile.Canvas()->Pixels(X % 100, Y % 40));
  EXPECT_EQ(Wrong, 0);
}

TEST_F(PictureControlsTest, PictureChangeRepaintsTheImage) {
  TWImage* Image = Create<TWImage>(Form);
  Image->SetBounds(10, 10, 50, 50);
  Image->SetParent(Form);
  Form->Show();
  PumpFor(50);
  ValidateRect(Form->Handle(), nullptr);
  TBitmap Tile;
  FillBitmap(&Tile, 8, 8, clRed);
  TPicture Picture;
  Picture.SetBitmap(&Tile);
  Image->SetPicture(&Picture);
  // Painted at once: copied, and nothing left to paint afterwards.
  EXPECT_EQ(Image->Picture()->Width(), 8);
  RECT Dirty;
  EXPECT_FALSE(GetUpdateRect(Form->Handle(), &Dirty, FALSE));
  // A change of the picture itself invalidates the image's place.
  Image->Picture()->Bitmap()->Canvas()->SetPixel(0, 0, clBlue);
  ASSERT_TRUE(GetUpdateRect(Form->Handle(), &Dirty, FALSE));
  EXPECT_LE(Dirty.left, 10);
  EXPECT_GE(Dirty.right, 60);
}

TEST_F(PictureControlsTest, ImageShowsInsideTheMDIClient) {
  TForm* Frame = nullptr;
  Application->CreateForm(Frame);
  Frame->SetFormStyle(fsMDIForm);
  Frame->SetBounds(20, 20, 400, 300);
  TBitmap Tile;
  MakeQuarters(&Tile, 32, 32);
  TWImage* Image = Create<TWImage>(Frame);
  Image->SetParent(Frame);
  Image->SetAlign(alClient);
  Image->Picture()->SetBitmap(&Tile);
  Frame->Show();
  PumpFor(50);
  ASSERT_NE(Frame->ClientHandle(), nullptr);
  TOffscreen Shot(64, 64);
  SendMessageA(Frame->ClientHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(Shot.DC()), 0);
  // The client window sits at the frame's client origin, so the tiling
  // lines up with its corner.
  for (const TPoint P : {Point(4, 4), Point(20, 4), Point(4, 20), Point(20, 20), Point(36, 36)})
    EXPECT_EQ(Shot.At(P.x, P.y), static_cast<COLORREF>(Tile.Canvas()->Pixels(P.x % 32, P.y % 32)))
        << P.x << "," << P.y;
  FreeAndNil(Frame);
}

// ---- Numeric edit ----------------------------------------------------------

TEST_F(PictureControlsTest, NumericEditTakesOnlyDigitsAndBackspace) {
  struct TCase {
    bool NumericOnly;
    std::string Typed;
    std::string Expected;
  };
  // Characters 3, 22 and 24 are Ctrl+C, Ctrl+V and Ctrl+X; "xyz" is on the
  // clipboard. \xB9 is a Polish letter in the system code page.
  const TCase Cases[] = {
      {true, "12a 3\x09\xB9.9\b4", "1234"},
      {true, "56\x16\x03\x18", "56"},
      {true, "7\r8", "78"},
      {false, "1a\b2 \xB9", "12 \xB9"},
      {false, "5\x16", "5xyz"},
      {false, "7\r8", "78"},
  };
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL Mem = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(Mem), "xyz", 4);
  GlobalUnlock(Mem);
  SetClipboardData(CF_TEXT, Mem);
  CloseClipboard();

  TJEdit* Edit = Create<TJEdit>(Form);
  Edit->SetParent(Form);
  Form->Show();
  PumpFor(30);
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Typed);
    Edit->SetNumericOnly(Case.NumericOnly);
    Edit->SetText(L"");
    for (const char Ch : Case.Typed)
      SendMessageA(Edit->Handle(), WM_CHAR, static_cast<unsigned char>(Ch), 1);
    EXPECT_EQ(Edit->Text(), AnsiToWide(Case.Expected));
  }
  // A letter beyond the system code page reaches the key filter packed as
  // 255: dropped from a numeric edit, typed whole into another.
  ASSERT_TRUE(IsWindowUnicode(Edit->Handle()));
  for (const bool NumericOnly : {true, false}) {
    Edit->SetNumericOnly(NumericOnly);
    Edit->SetText(L"1");
    Edit->SetSelStart(1);
    SendMessageW(Edit->Handle(), WM_CHAR, 0x0101, 1);
    EXPECT_EQ(Edit->Text(), NumericOnly ? L"1" : L"1\u0101") << NumericOnly;
  }
}

}  // namespace
