#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Filer.h"
#include "Graphics.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {

const std::string Dir = FIXTURES_DIR "/graphics/";

std::vector<Byte> FileBytes(const std::string& Name) {
  TMemoryStream S;
  S.LoadFromFile(Dir + Name);
  const Byte* P = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(P, P + S.Size());
}

std::vector<Byte> StreamBytes(TMemoryStream& S) {
  const Byte* P = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(P, P + S.Size());
}

void LoadBytes(TGraphic& G, const std::vector<Byte>& Bytes) {
  TMemoryStream S;
  if (!Bytes.empty()) S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  S.SetPosition(0);
  G.LoadFromStream(&S);
}

std::vector<Byte> SavedBytes(TGraphic& G) {
  TMemoryStream S;
  G.SaveToStream(&S);
  return StreamBytes(S);
}

void PutU32(std::vector<Byte>& B, std::size_t At, std::uint32_t V) {
  for (int I = 0; I < 4; ++I) B[At + I] = static_cast<Byte>(V >> (8 * I));
}

// A white 24-bit bitmap to draw on.
TOwned<TBitmap> WhiteBitmap(int W, int H) {
  TOwned<TBitmap> B(new TBitmap);
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  return B;
}

int CountPixelsNot(TBitmap& B, TColor Color) {
  int N = 0;
  for (int Y = 0; Y < B.Height(); ++Y)
    for (int X = 0; X < B.Width(); ++X)
      if (B.Canvas()->Pixels(X, Y) != Color) ++N;
  return N;
}

std::vector<TColor> AllPixels(TBitmap& B) {
  std::vector<TColor> P;
  for (int Y = 0; Y < B.Height(); ++Y)
    for (int X = 0; X < B.Width(); ++X) P.push_back(B.Canvas()->Pixels(X, Y));
  return P;
}

bool Near(TColor A, TColor B, int Tolerance) {
  for (int Shift = 0; Shift < 24; Shift += 8)
    if (std::abs(((A >> Shift) & 0xFF) - ((B >> Shift) & 0xFF)) > Tolerance) return false;
  return true;
}

class TCounter : public TObject {
public:
  int Count = 0;
  void Handle(TObject*) { ++Count; }
};

}  // namespace

// --- colours and cursors ---

TEST(Colors, IdentifiersRoundTripAndParse) {
  struct Case {
    const char* Ident;
    TColor Value;
  };
  const Case Cases[] = {{"clBlack", 0},          {"clRed", 0x0000FF},          {"clBtnFace", TColor(0xFF00000F)},
                        {"clNone", 0x1FFFFFFF},  {"clDefault", 0x20000000},    {"clMenuBar", TColor(0xFF00001E)},
                        {"clInfoBk", TColor(0xFF000018)}, {"clMoneyGreen", 0xC0DCC0}, {"clWindowText", TColor(0xFF000008)}};
  for (const Case& C : Cases) {
    Integer V = -1;
    ASSERT_TRUE(IdentToColor(C.Ident, V)) << C.Ident;
    EXPECT_EQ(V, C.Value) << C.Ident;
    EXPECT_EQ(ColorToString(C.Value), C.Ident);
    EXPECT_EQ(StringToColor(C.Ident), C.Value);
  }
  Integer V = 0;
  EXPECT_TRUE(IdentToColor("CLBTNFACE", V));
  EXPECT_EQ(V, clBtnFace);
  EXPECT_FALSE(IdentToColor("clBogus", V));
  // Aliases map back to the primary name.
  EXPECT_EQ(ColorToString(clLtGray), "clSilver");

  EXPECT_EQ(StringToColor("$00FF0000"), clBlue);
  EXPECT_EQ(StringToColor("$FF00000F"), clBtnFace);
  EXPECT_EQ(StringToColor("-16777201"), clBtnFace);
  EXPECT_EQ(StringToColor("12345"), 12345);
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  for (const char* Bad : {"", "$", "clBogus", "12x", "$123456789", "4294967296"})
    EXPECT_THROW(StringToColor(Bad), EConvertError) << Bad;
}

TEST(Colors, SystemColoursAreLookedUpAndOthersPassThrough) {
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<Integer>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clHighlight), static_cast<Integer>(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
}

TEST(Cursors, IdentifiersRoundTrip) {
  Integer V = 0;
  ASSERT_TRUE(IdentToCursor("crHandPoint", V));
  EXPECT_EQ(V, -21);
  EXPECT_EQ(CursorToString(crSQLWait), "crSQLWait");
  EXPECT_EQ(StringToCursor("crDefault"), 0);
  EXPECT_EQ(StringToCursor("-5"), -5);
  EXPECT_EQ(CursorToString(7), "7");
  EXPECT_THROW(StringToCursor("crBogus"), EConvertError);
}

TEST(Colors, LayoutsReachIdentifiersAndFontProperties) {
  InitializeGraphics();
  int V = 0;
  ASSERT_NE(FindIdentToInt("TColor"), nullptr);
  EXPECT_TRUE(FindIdentToInt("TColor")("clHighlight", V));
  EXPECT_EQ(V, clHighlight);
  ASSERT_NE(FindIdentToInt("TCursor"), nullptr);
  EXPECT_TRUE(FindIdentToInt("TCursor")("crHourGlass", V));
  EXPECT_EQ(V, crHourGlass);

  TFont F;
  SetStrProp(&F, "Name", "Tahoma");
  SetSetProp(&F, "Style", "[fsBold,fsUnderline]");
  SetOrdProp(&F, "Height", -16);
  SetOrdProp(&F, "Charset", 238);
  EXPECT_EQ(F.Name(), "Tahoma");
  EXPECT_EQ(F.Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(F.Height(), -16);
  EXPECT_EQ(F.Charset(), 238);
  EXPECT_EQ(GetPropInfo(&F, "Color")->TypeName(), "TColor");
}

// --- fonts, pens, brushes ---

TEST(Font, DefaultsAndSizeFollowsHeightAt96Dpi) {
  TFont F;
  EXPECT_EQ(F.Name(), "MS Sans Serif");
  EXPECT_EQ(F.Color(), clWindowText);
  EXPECT_EQ(F.Charset(), DEFAULT_CHARSET);
  EXPECT_TRUE(F.Style().Empty());
  F.SetPixelsPerInch(96);
  struct Case {
    int Size, Height;
  };
  for (Case C : {Case{8, -11}, Case{10, -13}, Case{12, -16}, Case{24, -32}}) {
    F.SetSize(C.Size);
    EXPECT_EQ(F.Height(), C.Height) << C.Size;
    F.SetHeight(C.Height);
    EXPECT_EQ(F.Size(), C.Size) << C.Height;
  }
}

TEST(Font, ChangesNotifyOnceAndRemakeTheHandle) {
  TFont F;
  TCounter Counter;
  F.OnChange = TNotifyEvent(&Counter, &TCounter::Handle);
  HFONT Before = F.Handle();
  F.SetHeight(-20);
  F.SetHeight(-20);
  F.SetStyle(TFontStyles{fsItalic});
  EXPECT_EQ(Counter.Count, 2);
  EXPECT_EQ(GetObjectType(Before), 0u) << "the old font was not deleted";
  LOGFONTA LF{};
  ASSERT_EQ(GetObjectA(F.Handle(), sizeof(LF), &LF), static_cast<int>(sizeof(LF)));
  EXPECT_EQ(LF.lfHeight, -20);
  EXPECT_TRUE(LF.lfItalic);
  EXPECT_STREQ(LF.lfFaceName, "MS Sans Serif");

  // Assign copies everything in one change; a different resolution keeps
  // the point size.
  TFont G;
  G.SetPixelsPerInch(120);
  TCounter GCounter;
  G.OnChange = TNotifyEvent(&GCounter, &TCounter::Handle);
  F.SetPixelsPerInch(96);
  F.SetSize(12);
  F.SetName("Tahoma");
  F.SetColor(clRed);
  G.Assign(&F);
  EXPECT_EQ(GCounter.Count, 1);
  EXPECT_EQ(G.Name(), "Tahoma");
  EXPECT_EQ(G.Color(), clRed);
  EXPECT_EQ(G.Style(), TFontStyles{fsItalic});
  EXPECT_EQ(G.Height(), -20);
  EXPECT_EQ(G.Size(), 12);
}

TEST(GdiObjects, ThousandChangesOnACanvasLeaveNoObjectBehind) {
  auto B = WhiteBitmap(8, 8);
  TCanvas* C = B->Canvas();
  C->TextOut(0, 0, "x");
  C->Rectangle(0, 0, 4, 4);
  DWORD Before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int I = 0; I < 1000; ++I) {
    // Each object is selected into the DC when it changes: the canvas must
    // let go of it so that it can really be deleted.
    C->TextOut(0, 0, "x");
    C->Rectangle(0, 0, 4, 4);
    HGDIOBJ OldFont = C->Font()->Handle(), OldPen = C->Pen()->Handle(), OldBrush = C->Brush()->Handle();
    C->Font()->SetSize(9 + I % 5);
    C->Pen()->SetColor(I + 1);
    C->Brush()->SetColor(I);
    ASSERT_EQ(GetObjectType(OldFont), 0u) << I;
    ASSERT_EQ(GetObjectType(OldPen), 0u) << I;
    ASSERT_EQ(GetObjectType(OldBrush), 0u) << I;
  }
  C->TextOut(0, 0, "x");
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), Before);

  // Freeing the bitmap frees its picture, its DC and the canvas's objects.
  std::vector<HGDIOBJ> Owned = {B->Handle(), C->Handle(), C->Font()->Handle(), C->Pen()->Handle(),
                                C->Brush()->Handle()};
  B.reset();
  for (std::size_t I = 0; I < Owned.size(); ++I) EXPECT_EQ(GetObjectType(Owned[I]), 0u) << I;
}

// --- canvas ---

TEST(Canvas, DrawsShapesIntoABitmap) {
  auto B = WhiteBitmap(20, 20);
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(2, 2, 6, 6));
  EXPECT_EQ(C->Pixels(2, 2), clRed);
  EXPECT_EQ(C->Pixels(5, 5), clRed);
  EXPECT_EQ(C->Pixels(6, 6), clWhite);

  C->Pen()->SetColor(clBlue);
  C->MoveTo(0, 10);
  C->LineTo(15, 10);
  EXPECT_EQ(C->Pixels(7, 10), clBlue);
  EXPECT_EQ(C->PenPos().x, 15);

  C->Brush()->SetColor(clLime);
  C->FrameRect(Rect(10, 12, 18, 18));
  EXPECT_EQ(C->Pixels(10, 15), clLime);
  EXPECT_EQ(C->Pixels(14, 15), clWhite);

  C->SetPixel(19, 0, clYellow);
  EXPECT_EQ(C->Pixels(19, 0), clYellow);
  // A system colour is drawn as its RGB value.
  C->Brush()->SetColor(clBtnShadow);
  C->FillRect(Rect(0, 18, 2, 20));
  EXPECT_EQ(C->Pixels(0, 19), ColorToRGB(clBtnShadow));
}

TEST(Canvas, PolishTextDrawsTheSameThroughBothWidths) {
  // "Zażółć gęślą" in code page 1250 and in UTF-16.
  const AnsiString Ansi = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9";
  const WideString Wide = L"Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105";
  auto A = WhiteBitmap(120, 24);
  auto W = WhiteBitmap(120, 24);
  for (TBitmap* B : {A.get(), W.get()}) {
    B->Canvas()->Font()->SetName("Tahoma");
    B->Canvas()->Font()->SetHeight(-16);
  }
  A->Canvas()->TextOut(2, 2, Ansi);
  W->Canvas()->TextOut(2, 2, Wide);
  EXPECT_GT(CountPixelsNot(*A, clWhite), 50);
  EXPECT_EQ(AllPixels(*A), AllPixels(*W));
  EXPECT_EQ(A->Canvas()->TextWidth(Ansi), W->Canvas()->TextWidth(Wide));

  // A larger font measures wider once the canvas takes the change.
  int Narrow = A->Canvas()->TextWidth(Ansi);
  A->Canvas()->Font()->SetHeight(-32);
  EXPECT_GT(A->Canvas()->TextWidth(Ansi), Narrow * 3 / 2);

  // TextRect clips to its rectangle.
  auto R = WhiteBitmap(60, 24);
  R->Canvas()->Brush()->SetStyle(bsClear);
  R->Canvas()->TextRect(Rect(0, 0, 10, 24), 0, 0, Wide);
  for (int Y = 0; Y < 24; ++Y)
    for (int X = 10; X < 60; ++X) ASSERT_EQ(R->Canvas()->Pixels(X, Y), clWhite) << X << "," << Y;
  EXPECT_GT(CountPixelsNot(*R, clWhite), 0);
}

TEST(Canvas, ForeignDcAndCopyRect) {
  auto Src = WhiteBitmap(10, 10);
  Src->Canvas()->Brush()->SetColor(clNavy);
  Src->Canvas()->FillRect(Rect(0, 0, 5, 5));
  auto Dst = WhiteBitmap(10, 10);
  Dst->Canvas()->CopyRect(Rect(5, 5, 10, 10), Src->Canvas(), Rect(0, 0, 5, 5));
  EXPECT_EQ(Dst->Canvas()->Pixels(7, 7), clNavy);
  EXPECT_EQ(Dst->Canvas()->Pixels(2, 2), clWhite);

  // A canvas over a DC it is given draws there and deselects its objects
  // when the DC is taken away.
  HDC Screen = GetDC(nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HBITMAP Bm = CreateCompatibleBitmap(Screen, 8, 8);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldBm = SelectObject(DC, Bm);
  {
    TCanvas C;
    EXPECT_FALSE(C.HandleAllocated());
    EXPECT_THROW(C.Handle(), EInvalidOperation);
    C.SetHandle(DC);
    C.Brush()->SetColor(clTeal);
    C.FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(GetPixel(DC, 4, 4), static_cast<COLORREF>(clTeal));
    C.TextOut(0, 0, "a");
    EXPECT_EQ(GetCurrentObject(DC, OBJ_FONT), C.Font()->Handle());
    C.SetHandle(nullptr);
    EXPECT_NE(GetCurrentObject(DC, OBJ_FONT), C.Font()->Handle());
  }
  SelectObject(DC, OldBm);
  DeleteObject(Bm);
  DeleteDC(DC);
}

TEST(Canvas, ChangeEventsSurroundDrawing) {
  auto B = WhiteBitmap(4, 4);
  TCounter Changing, Changed, BitmapChanged;
  B->Canvas()->OnChanging = TNotifyEvent(&Changing, &TCounter::Handle);
  B->Canvas()->OnChange = TNotifyEvent(&Changed, &TCounter::Handle);
  B->OnChange = TNotifyEvent(&BitmapChanged, &TCounter::Handle);
  B->Canvas()->FillRect(Rect(0, 0, 2, 2));
  B->Canvas()->TextOut(0, 0, "a");
  EXPECT_EQ(Changing.Count, 2);
  EXPECT_EQ(Changed.Count, 2);
  // The bitmap's own canvas feeds the bitmap's OnChange.
  TBitmap Fresh;
  TCounter FreshChanged;
  Fresh.SetSize(4, 4);
  Fresh.OnChange = TNotifyEvent(&FreshChanged, &TCounter::Handle);
  Fresh.Canvas()->FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(FreshChanged.Count, 1);
  EXPECT_TRUE(Fresh.Modified());
}

// --- bitmaps ---

TEST(Bitmap, ScanLinesSizeAndCopies) {
  auto B = WhiteBitmap(3, 2);
  EXPECT_FALSE(B->Empty());
  EXPECT_EQ(B->HandleType(), bmDIB);
  // ScanLine(0) is the top row, pixels in blue, green, red order.
  Byte* Row = static_cast<Byte*>(B->ScanLine(0));
  Row[0] = 0x11;
  Row[1] = 0x22;
  Row[2] = 0x33;
  EXPECT_EQ(B->Canvas()->Pixels(0, 0), 0x112233);
  EXPECT_EQ(B->Canvas()->Pixels(0, 1), clWhite);
  EXPECT_THROW(B->ScanLine(2), EInvalidGraphicOperation);

  TBitmap Copy;
  Copy.Assign(B.get());
  Copy.Canvas()->SetPixel(1, 1, clRed);
  EXPECT_EQ(Copy.PixelFormat(), pf24bit);
  EXPECT_EQ(Copy.Canvas()->Pixels(0, 0), 0x112233);
  EXPECT_EQ(B->Canvas()->Pixels(1, 1), clWhite) << "Assign must copy, not share";

  // Growing keeps the top-left part and fills the rest white.
  B->SetSize(5, 4);
  EXPECT_EQ(B->Canvas()->Pixels(0, 0), 0x112233);
  EXPECT_EQ(B->Canvas()->Pixels(4, 3), clWhite);
  B->SetWidth(0);
  EXPECT_TRUE(B->Empty());
  EXPECT_EQ(B->Handle(), nullptr);

  // A device bitmap keeps its pixels through a format change.
  TBitmap D;
  D.SetSize(4, 4);
  EXPECT_EQ(D.HandleType(), bmDDB);
  D.Canvas()->SetPixel(3, 0, clPurple);
  D.SetPixelFormat(pf32bit);
  EXPECT_EQ(D.HandleType(), bmDIB);
  EXPECT_EQ(D.Canvas()->Pixels(3, 0), clPurple);
}

TEST(Bitmap, LoadsEachDepthFromFiles) {
  struct Pixel {
    int X, Y;
    TColor Color;
  };
  struct Case {
    const char* File;
    TPixelFormat Format;
    int Width, Height, Tolerance;
    std::vector<Pixel> Pixels;
  };
  const std::vector<Pixel> Odd = {{0, 0, 0x4080C0}, {1, 0, 0x302010}, {4, 2, 0x7FFF00}, {2, 1, 0x302010}};
  const Case Cases[] = {
      {"odd24.bmp", pf24bit, 5, 3, 0, Odd},
      {"pal4.bmp", pf4bit, 5, 3, 0, Odd},
      {"argb32.bmp", pf32bit, 5, 3, 0, Odd},
      {"rgb565.bmp", pf16bit, 5, 3, 8, Odd},
      {"pal8.bmp", pf8bit, 20, 3, 0, {{0, 0, 0x0000FF}, {1, 0, 0x0D00F2}, {19, 1, 0xFF0000}, {18, 1, 0xF2000D}}},
  };
  for (const Case& C : Cases) {
    TBitmap B;
    B.LoadFromFile(Dir + C.File);
    EXPECT_EQ(B.PixelFormat(), C.Format) << C.File;
    EXPECT_EQ(B.Width(), C.Width) << C.File;
    EXPECT_EQ(B.Height(), C.Height) << C.File;
    for (const Pixel& P : C.Pixels)
      EXPECT_TRUE(Near(B.Canvas()->Pixels(P.X, P.Y), P.Color, C.Tolerance))
          << C.File << " at " << P.X << "," << P.Y << ": " << std::hex << B.Canvas()->Pixels(P.X, P.Y);
  }
}

TEST(Bitmap, SavesA24BitFileByteForByteAndOtherDepthsFaithfully) {
  for (const char* File : {"odd24.bmp", "quad24.bmp"}) {
    TBitmap B;
    B.LoadFromFile(Dir + File);
    EXPECT_EQ(SavedBytes(B), FileBytes(File)) << File;
  }
  for (const char* File : {"pal8.bmp", "pal4.bmp", "rgb565.bmp", "argb32.bmp"}) {
    TBitmap B, Again;
    B.LoadFromFile(Dir + File);
    LoadBytes(Again, SavedBytes(B));
    EXPECT_EQ(Again.PixelFormat(), B.PixelFormat()) << File;
    EXPECT_EQ(AllPixels(Again), AllPixels(B)) << File;
  }
  // A device bitmap is saved in 24 bits.
  TBitmap D, Again;
  D.SetSize(3, 3);
  D.Canvas()->SetPixel(1, 1, clMaroon);
  LoadBytes(Again, SavedBytes(D));
  EXPECT_EQ(Again.PixelFormat(), pf24bit);
  EXPECT_EQ(Again.Canvas()->Pixels(1, 1), clMaroon);
}

TEST(Bitmap, LoadsABitmapResource) {
  TBitmap File, Res;
  File.LoadFromFile(Dir + "odd24.bmp");
  Res.LoadFromResourceName(GetModuleHandleA(nullptr), "ODD24");
  EXPECT_EQ(Res.PixelFormat(), pf24bit);
  EXPECT_EQ(AllPixels(Res), AllPixels(File));
  EXPECT_THROW(Res.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCH"), EResNotFound);
}

TEST(Bitmap, AcceptsTopDownRowsAndAGapBeforeTheBits) {
  const std::vector<Byte> File = FileBytes("odd24.bmp");
  TBitmap Original;
  LoadBytes(Original, File);

  std::vector<Byte> TopDown(File.begin(), File.begin() + 54);
  PutU32(TopDown, 22, static_cast<std::uint32_t>(-3));
  for (int Row = 2; Row >= 0; --Row) TopDown.insert(TopDown.end(), File.begin() + 54 + 16 * Row, File.begin() + 54 + 16 * (Row + 1));
  TBitmap T;
  LoadBytes(T, TopDown);
  EXPECT_EQ(AllPixels(T), AllPixels(Original));

  std::vector<Byte> Gap = File;
  Gap.insert(Gap.begin() + 54, {0xAA, 0xBB, 0xCC, 0xDD});
  PutU32(Gap, 10, 58);
  TBitmap G;
  LoadBytes(G, Gap);
  EXPECT_EQ(AllPixels(G), AllPixels(Original));
}

TEST(Bitmap, DamagedFilesRaiseAndKeepThePicture) {
  const std::vector<Byte> File = FileBytes("odd24.bmp");
  struct Case {
    const char* What;
    std::size_t At;  // 0 with Value 0: truncate to Size instead
    std::uint32_t Value;
    std::size_t Size;
  };
  const Case Cases[] = {
      {"bad magic", 0, 0x4D41, 0},        {"header size 20", 14, 20, 0},     {"width 0", 18, 0, 0},
      {"height 0", 22, 0, 0},             {"bit count 7", 28, 7, 0},         {"RLE8 in 24 bits", 30, 1, 0},
      {"bits beyond the end", 10, 5000, 0}, {"bits inside the header", 10, 20, 0}, {"huge width", 18, 0x40000000, 0},
      {"truncated bits", 0, 0, File.size() - 1}, {"only the file header", 0, 0, 14}, {"empty", 0, 0, 0},
  };
  for (const Case& C : Cases) {
    std::vector<Byte> Bytes = File;
    if (C.At == 0 && C.Value == 0) Bytes.resize(C.Size);
    else if (C.At == 0) Bytes[0] = 'X';
    else PutU32(Bytes, C.At, C.Value);
    TBitmap B;
    B.LoadFromFile(Dir + "odd24.bmp");
    try {
      LoadBytes(B, Bytes);
      ADD_FAILURE() << C.What << " loaded";
    } catch (const EInvalidGraphic& E) {
      EXPECT_EQ(E.Message(), WideToAnsi(L"Nieprawidłowy obraz mapy bitowej")) << C.What;
    }
    EXPECT_EQ(B.Width(), 5) << C.What;
    EXPECT_EQ(B.Canvas()->Pixels(0, 0), 0x4080C0) << C.What;
  }
  // A palette larger than the depth allows.
  std::vector<Byte> Pal = FileBytes("pal4.bmp");
  PutU32(Pal, 46, 17);
  TBitmap P;
  EXPECT_THROW(LoadBytes(P, Pal), EInvalidGraphic);
}

TEST(Bitmap, TransparentDrawingLeavesTheKeyColourOut) {
  auto Glyph = WhiteBitmap(4, 4);
  Glyph->Canvas()->Brush()->SetColor(clFuchsia);
  Glyph->Canvas()->FillRect(Rect(0, 0, 4, 4));
  Glyph->Canvas()->SetPixel(1, 1, clGreen);
  Glyph->SetTransparent(true);
  EXPECT_EQ(Glyph->TransparentColor(), clFuchsia);  // the bottom-left pixel

  auto Dst = WhiteBitmap(8, 8);
  Dst->Canvas()->Draw(2, 2, Glyph.get());
  EXPECT_EQ(Dst->Canvas()->Pixels(3, 3), clGreen);
  EXPECT_EQ(Dst->Canvas()->Pixels(2, 2), clWhite);
  Glyph->SetTransparentColor(clGreen);
  EXPECT_EQ(Glyph->TransparentMode(), tmFixed);
  auto Stretched = WhiteBitmap(8, 8);
  Stretched->Canvas()->StretchDraw(Rect(0, 0, 8, 8), Glyph.get());
  EXPECT_EQ(Stretched->Canvas()->Pixels(0, 0), clFuchsia);
  EXPECT_EQ(Stretched->Canvas()->Pixels(3, 3), clWhite);
}

// --- icons ---

TEST(Icon, LoadsDrawsAndSavesTheIcoFile) {
  TIcon I;
  I.LoadFromFile(Dir + "icon.ico");
  EXPECT_EQ(I.Width(), GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(I.Height(), GetSystemMetrics(SM_CYICON));
  EXPECT_THROW(I.SetWidth(48), EInvalidGraphicOperation);
  auto B = WhiteBitmap(32, 32);
  B->Canvas()->Draw(0, 0, &I);
  EXPECT_EQ(B->Canvas()->Pixels(4, 16), clBlue);
  EXPECT_EQ(B->Canvas()->Pixels(28, 16), clRed);
  EXPECT_EQ(SavedBytes(I), FileBytes("icon.ico"));

  // An icon made from a handle saves its image too.
  TIcon FromHandle, Again;
  FromHandle.SetHandle(CopyIcon(I.Handle()));
  LoadBytes(Again, SavedBytes(FromHandle));
  auto C = WhiteBitmap(32, 32);
  C->Canvas()->Draw(0, 0, &Again);
  EXPECT_EQ(AllPixels(*C), AllPixels(*B));
}

TEST(Icon, DamagedFilesRaise) {
  const std::vector<Byte> File = FileBytes("icon.ico");
  std::vector<std::vector<Byte>> Bad;
  Bad.push_back({});
  Bad.push_back(std::vector<Byte>(File.begin(), File.begin() + 30));
  Bad.push_back(File);
  Bad.back()[2] = 2;  // a cursor, not an icon
  Bad.push_back(File);
  Bad.back()[4] = 0;  // no images
  Bad.push_back(File);
  PutU32(Bad.back(), 18, 0x7FFFFFF0);  // the first image's offset beyond the file
  for (std::size_t N = 0; N < Bad.size(); ++N) {
    TIcon I;
    EXPECT_THROW(LoadBytes(I, Bad[N]), EInvalidGraphic) << N;
    EXPECT_TRUE(I.Empty());
  }
}

// --- pictures ---

TEST(Picture, LoadFromFileChoosesTheClassByExtension) {
  struct Case {
    const char* File;
    const char* Class;
  };
  for (Case C : {Case{"odd24.bmp", "TBitmap"}, Case{"icon.ico", "TIcon"}, Case{"quad.jpg", "TJPEGImage"}}) {
    TPicture P;
    TCounter Changed;
    P.OnChange = TNotifyEvent(&Changed, &TCounter::Handle);
    P.LoadFromFile(Dir + C.File);
    ASSERT_NE(P.Graphic(), nullptr);
    EXPECT_EQ(P.Graphic()->ClassName(), C.Class);
    EXPECT_GT(P.Width(), 0);
    EXPECT_GE(Changed.Count, 1);
  }
  TPicture P;
  try {
    P.LoadFromFile(Dir + "odd24.xyz");
    ADD_FAILURE() << "unknown extension loaded";
  } catch (const EInvalidGraphic& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"Nieznane rozszerzenie pliku obrazu (.xyz)"));
  }
  // The extension decides, in any case: a bitmap file named as a JPEG is
  // refused by the JPEG reader; a newly registered extension is used.
  TMemoryStream Copy;
  Copy.LoadFromFile(Dir + "odd24.bmp");
  char Temp[MAX_PATH];
  GetTempPathA(MAX_PATH, Temp);
  AnsiString Misnamed = AnsiString(Temp) + "slovanta-graphics-misnamed.JPG";
  Copy.SaveToFile(Misnamed);
  EXPECT_THROW(P.LoadFromFile(Misnamed), EInvalidGraphic);
  DeleteFileA(Misnamed.c_str());
  AnsiString Dib = AnsiString(Temp) + "slovanta-graphics.dib";
  Copy.SaveToFile(Dib);
  TPicture::RegisterFileFormat("DIB", "Device independent bitmaps", [] { return TOwned<TGraphic>(new TBitmap); });
  P.LoadFromFile(Dib);
  EXPECT_EQ(P.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(P.Width(), 5);
  DeleteFileA(Dib.c_str());
}

TEST(Picture, OnChangeFollowsTheGraphicAndBitmapConverts) {
  TPicture P;
  TCounter Changed;
  P.OnChange = TNotifyEvent(&Changed, &TCounter::Handle);
  P.LoadFromFile(Dir + "icon.ico");
  int AfterLoad = Changed.Count;
  TBitmap* B = P.Bitmap();
  EXPECT_EQ(P.Graphic(), B);
  EXPECT_EQ(B->Width(), P.Width());
  EXPECT_EQ(B->Canvas()->Pixels(4, 16), clBlue);
  B->Canvas()->SetPixel(0, 0, clRed);
  EXPECT_GT(Changed.Count, AfterLoad + 1);

  // SetGraphic keeps a copy.
  TBitmap Own;
  Own.LoadFromFile(Dir + "odd24.bmp");
  P.SetGraphic(&Own);
  EXPECT_NE(P.Graphic(), &Own);
  Own.Canvas()->SetPixel(0, 0, clBlack);
  EXPECT_EQ(P.Bitmap()->Canvas()->Pixels(0, 0), 0x4080C0);
  P.SetGraphic(nullptr);
  EXPECT_EQ(P.Width(), 0);
}

TEST(Picture, DataIsTheClassNameThenTheGraphicsOwnData) {
  TPicture P;
  P.LoadFromFile(Dir + "odd24.bmp");
  TMemoryStream S;
  P.WriteData(&S);
  std::vector<Byte> Data = StreamBytes(S);
  std::vector<Byte> Bmp = FileBytes("odd24.bmp");
  std::vector<Byte> Expected = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', static_cast<Byte>(Bmp.size()), 0, 0, 0};
  Expected.insert(Expected.end(), Bmp.begin(), Bmp.end());
  EXPECT_EQ(Data, Expected);

  for (const char* File : {"odd24.bmp", "icon.ico"}) {
    TPicture Source, Copy;
    Source.LoadFromFile(Dir + File);
    TMemoryStream D;
    Source.WriteData(&D);
    D.SetPosition(0);
    Copy.ReadData(&D);
    ASSERT_NE(Copy.Graphic(), nullptr) << File;
    EXPECT_EQ(Copy.Graphic()->ClassName(), Source.Graphic()->ClassName());
    EXPECT_EQ(SavedBytes(*Copy.Graphic()), SavedBytes(*Source.Graphic())) << File;
    EXPECT_EQ(D.Position(), D.Size()) << File;
  }

  std::vector<Byte> Unknown = {4, 'T', 'F', 'o', 'o', 0, 0, 0, 0};
  TMemoryStream U;
  U.WriteBuffer(Unknown.data(), static_cast<int>(Unknown.size()));
  U.SetPosition(0);
  TPicture Bad;
  EXPECT_THROW(Bad.ReadData(&U), EInvalidGraphic);
}

namespace {

// A component with a picture and a bitmap, as images and buttons have.
class TPictureHolder : public TComponent {
public:
  using TComponent::TComponent;
  TPicture* Picture() const { return FPicture.get(); }
  TBitmap* Glyph() const { return FGlyph.get(); }

private:
  TOwned<TPicture> FPicture{new TPicture};
  TOwned<TBitmap> FGlyph{new TBitmap};
};

AnsiString Hex(const std::vector<Byte>& Bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  AnsiString S;
  for (Byte B : Bytes) {
    S += Digits[B >> 4];
    S += Digits[B & 15];
  }
  return S;
}

}  // namespace

TEST(Picture, LayoutsCarryPicturesAndBitmapsAsData) {
  InitializeGraphics();
  RegisterClass<TPictureHolder, TComponent>()
      .Object("Picture", &TPictureHolder::Picture)
      .Object("Glyph", &TPictureHolder::Glyph);
  TPicture Icon;
  Icon.LoadFromFile(Dir + "icon.ico");
  TMemoryStream PictureData;
  Icon.WriteData(&PictureData);
  TBitmap Bmp;
  Bmp.LoadFromFile(Dir + "odd24.bmp");
  TMemoryStream GlyphData;
  Bmp.WriteData(&GlyphData);

  AnsiString Layout = "object Holder: TPictureHolder\n"
                      "  Picture.Data = {\n    " + Hex(StreamBytes(PictureData)) + "}\n"
                      "  Glyph.Data = {\n    " + Hex(StreamBytes(GlyphData)) + "}\n"
                      "end\n";
  TStringStream Text(Layout);
  TOwned<TPictureHolder> Holder(new TPictureHolder(nullptr));
  ReadComponentLayout(&Text, Holder.get());
  ASSERT_NE(Holder->Picture()->Graphic(), nullptr);
  EXPECT_EQ(Holder->Picture()->Graphic()->ClassName(), "TIcon");
  EXPECT_EQ(SavedBytes(*Holder->Picture()->Graphic()), FileBytes("icon.ico"));
  EXPECT_EQ(SavedBytes(*Holder->Glyph()), FileBytes("odd24.bmp"));
}

// --- metafiles ---

namespace {

// A plain metafile of a 100 x 50 window: white, with a red rectangle over
// its right half.
std::vector<Byte> PlainMetafile() {
  HDC DC = CreateMetaFileA(nullptr);
  SetWindowOrgEx(DC, 0, 0, nullptr);
  SetWindowExtEx(DC, 100, 50, nullptr);
  HBRUSH White = CreateSolidBrush(RGB(255, 255, 255)), Red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(DC, GetStockObject(NULL_PEN));
  SelectObject(DC, White);
  Rectangle(DC, 0, 0, 101, 51);
  SelectObject(DC, Red);
  Rectangle(DC, 50, 0, 101, 51);
  HMETAFILE Meta = CloseMetaFile(DC);
  DeleteObject(White);
  DeleteObject(Red);
  std::vector<Byte> Bits(GetMetaFileBitsEx(Meta, 0, nullptr));
  GetMetaFileBitsEx(Meta, static_cast<UINT>(Bits.size()), Bits.data());
  DeleteMetaFile(Meta);
  return Bits;
}

// The placeable header for a box of W x H units at Inch units per inch.
std::vector<Byte> Placeable(const std::vector<Byte>& Bits, int W, int H, int Inch) {
  std::vector<Byte> Out = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0};
  for (int V : {W, H, Inch}) {
    Out.push_back(static_cast<Byte>(V));
    Out.push_back(static_cast<Byte>(V >> 8));
  }
  Out.insert(Out.end(), {0, 0, 0, 0});
  std::uint16_t Sum = 0;
  for (std::size_t I = 0; I < 20; I += 2) Sum ^= static_cast<std::uint16_t>(Out[I] | (Out[I + 1] << 8));
  Out.push_back(static_cast<Byte>(Sum));
  Out.push_back(static_cast<Byte>(Sum >> 8));
  Out.insert(Out.end(), Bits.begin(), Bits.end());
  return Out;
}

}  // namespace

TEST(Metafile, PlainAndPlaceableDrawTheirPictureAndSaveAsRead) {
  const std::vector<Byte> Plain = PlainMetafile();
  // 200 x 100 units at 192 units per inch: 100 x 50 pixels at 96 dpi.
  const std::vector<Byte> WithHeader = Placeable(Plain, 200, 100, 192);
  for (const auto* File : {&Plain, &WithHeader}) {
    SCOPED_TRACE(File == &Plain ? "plain" : "placeable");
    TMetafile M;
    LoadBytes(M, *File);
    ASSERT_FALSE(M.Empty());
    if (File == &WithHeader) {
      EXPECT_EQ(M.Width(), 100);
      EXPECT_EQ(M.Height(), 50);
      EXPECT_EQ(M.Inch(), 192);
    } else {
      EXPECT_GT(M.Width(), 0);
      EXPECT_GT(M.Height(), 0);
    }
    EXPECT_EQ(SavedBytes(M), *File);
    TOwned<TBitmap> B = WhiteBitmap(100, 50);
    B->Canvas()->Brush()->SetColor(clBlue);
    B->Canvas()->FillRect(Rect(0, 0, 100, 50));
    B->Canvas()->StretchDraw(Rect(0, 0, 100, 50), &M);
    EXPECT_EQ(B->Canvas()->Pixels(20, 25), clWhite);
    EXPECT_EQ(B->Canvas()->Pixels(80, 25), clRed);
  }
}

TEST(Metafile, SizeFromCodeMakesItPlaceableAndPicturesOpenWmfFiles) {
  TMetafile M;
  LoadBytes(M, PlainMetafile());
  M.SetWidth(60);
  M.SetHeight(30);
  EXPECT_EQ(M.Width(), 60);
  EXPECT_EQ(M.Height(), 30);
  TMetafile Again;
  LoadBytes(Again, SavedBytes(M));
  EXPECT_EQ(Again.Width(), 60);
  EXPECT_EQ(Again.Height(), 30);
  EXPECT_THROW(M.SetWidth(0), EInvalidGraphicOperation);

  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  const AnsiString Path = AnsiString(Dir) + "slovanta-graphics-picture.WMF";
  DeleteFileA(Path.c_str());
  M.SaveToFile(Path);
  TPicture P;
  try {
    P.LoadFromFile(Path);
  } catch (...) {
    DeleteFileA(Path.c_str());
    throw;
  }
  DeleteFileA(Path.c_str());
  EXPECT_EQ(P.Graphic()->ClassName(), "TMetafile");
  EXPECT_EQ(P.Width(), 60);
}

TEST(Metafile, DamagedFilesRaiseAndKeepThePicture) {
  const std::vector<Byte> Good = PlainMetafile();
  const auto WithU16 = [&](std::size_t At, std::uint16_t V) {
    std::vector<Byte> B = Good;
    B[At] = static_cast<Byte>(V);
    B[At + 1] = static_cast<Byte>(V >> 8);
    return B;
  };
  std::vector<Byte> TooLong = Good, RecordOver = Good, NoEnd = Good;
  PutU32(TooLong, 6, static_cast<std::uint32_t>(Good.size() / 2 + 1));
  // The first record claims more than the file holds.
  PutU32(RecordOver, 18, 0x7FFFFFFF);
  // The end record becomes a record of another function.
  NoEnd[Good.size() - 2] = 0x01;
  const std::vector<std::pair<const char*, std::vector<Byte>>> Cases = {
      {"type 3", WithU16(0, 3)},
      {"header words 8", WithU16(2, 8)},
      {"version 0x200", WithU16(4, 0x200)},
      {"size beyond the file", TooLong},
      {"record beyond the file", RecordOver},
      {"no end record", NoEnd},
      {"placeable, inch 0", Placeable(Good, 200, 100, 0)},
      {"placeable, empty box", Placeable(Good, 0, 100, 96)},
  };
  TMetafile M;
  LoadBytes(M, Good);
  const int W = M.Width();
  for (const auto& [Name, Bytes] : Cases) {
    SCOPED_TRACE(Name);
    EXPECT_THROW(LoadBytes(M, Bytes), EInvalidGraphic);
    EXPECT_EQ(M.Width(), W);
    EXPECT_EQ(SavedBytes(M), Good);
  }
  for (std::size_t Cut = 0; Cut < Good.size(); ++Cut) {
    SCOPED_TRACE(Cut);
    EXPECT_THROW(LoadBytes(M, std::vector<Byte>(Good.begin(), Good.begin() + static_cast<long>(Cut))),
                 EInvalidGraphic);
  }
}
