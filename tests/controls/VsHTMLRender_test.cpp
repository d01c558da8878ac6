// Parsing, layout and hit test of the HTML renderer with a fixed-advance
// measurer; drawing into a 32-bit bitmap with the screen's fonts.
#include <gtest/gtest.h>

#include <memory>

#include "FakeHTMLMeasurer.h"
#include "Graphics.h"
#include "VsHTMLRender.h"

namespace {

class TRenderEnvironment : public ::testing::Environment {
public:
  void SetUp() override { InitializeGraphics(); }
};

[[maybe_unused]] const auto* const RenderEnvironment = ::testing::AddGlobalTestEnvironment(new TRenderEnvironment);

// The items as a line of text: P paragraph, B line break, S soft break,
// * bullet, L list step, R rule, I image (with its size), T a run.
WideString Describe(TVsHTMLData* Data) {
  WideString S;
  for (int I = 0; I < Data->Count(); ++I) {
    TVsHTMLItem* Item = Data->Items(I);
    if (!S.empty()) S += L' ';
    switch (Item->Kind) {
      case hikText: S += L"[" + Item->Text + L"]"; break;
      case hikSoftBreak: S += L"S"; break;
      case hikLineBreak: S += L"B"; break;
      case hikParagraphBreak: S += L"P"; break;
      case hikImage: S += L"I" + std::to_wstring(Item->Width) + L"x" + std::to_wstring(Item->Height); break;
      case hikRule: S += L"R" + std::to_wstring(Item->Width); break;
      case hikBullet: S += L"*"; break;
      case hikListLevel: S += L"L"; break;
    }
  }
  return S;
}

class HTMLRender : public ::testing::Test {
protected:
  void SetUp() override {
    Render.reset(new TVsHTMLRender);
    Render->SetMeasurer(std::make_unique<TFakeHTMLMeasurer>());
  }

  TVsHTMLData* Prepare(const WideString& Text, int MaxWidth = 10000, bool AutoWrap = false) {
    Render->PrepareText(Text, MaxWidth, AutoWrap);
    return Render->Data();
  }
  // The first text run.
  TVsHTMLItem* Run(const WideString& Text) {
    TVsHTMLData* Data = Prepare(Text);
    for (int I = 0; I < Data->Count(); ++I)
      if (Data->Items(I)->Kind == hikText) return Data->Items(I);
    ADD_FAILURE() << "no run";
    return nullptr;
  }

  TOwned<TVsHTMLRender> Render;
};

TEST_F(HTMLRender, ParsesTextsIntoItems) {
  const struct {
    const wchar_t* Html;
    const wchar_t* Items;
  } Rows[] = {
      {L"", L"P"},
      {L"plain", L"P [plain]"},
      {L"a   b", L"P [a b]"},
      {L"a <b> b", L"P [a ] [ b]"},
      {L"a\r\nb", L"P [a\nb]"},
      {L"&AMP;", L"P [&]"},
      {L"&bogus;x", L"P [x]"},
      {L"&#65;", L"P [A]"},
      {L"& b", L"P [& b]"},
      {L"a&b", L"P [a&b]"},
      {L"&amp", L"P [&amp]"},
      {L"&lt<b>", L"P [&lt]"},
      {L"&#x41;z", L"P [ z]"},
      {L"&#0;z", L"P [z]"},
      {L"&#1114112;z", L"P [z]"},
      {L"&#99999999999999999999;z", L"P [z]"},
      {L"&#128512;", L"P [\U0001F600]"},
      {L"a&nbsp;&nbsp;b", L"P [a  b]"},
      {L"a &nbsp;b", L"P [a  b]"},
      {L"&lt;&gt;&quot;&euro;&sect;&reg;&copy;&para;&trade;", L"P [<>\"\u20AC\u00A7\u00AE\u00A9\u00B6\u2122]"},
      {L"<blink>x</blink>", L"P [x]"},
      {L"a<!-- <b> -->b", L"P [ab]"},
      {L"a<!-- never closed", L"P [a]"},
      {L"<img>x", L"P [x]"},
      {L"<img src=''>x", L"P [x]"},
      {L"<img src=a.bmp width=5 height=7>", L"P I5x7"},
      {L"<img src=a.bmp width=99999 height=-3>", L"P I32767x0"},
      {L"<br>x", L"P B [x]"},
      {L"<p align=center>x", L"P [x]"},
      {L"x</p>y", L"P [x] P [y]"},
      {L"<hr width=40>", L"P B R40 B"},
      {L"<ul><li>a<li>b</ul>", L"P L * [a] * [b] L B"},
      {L"a<b", L"P [a]"},
  };
  for (const auto& Row : Rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&Row - Rows));
    EXPECT_EQ(Describe(Prepare(Row.Html)), Row.Items);
  }
  // A zero unit would end the run for measuring but not for drawing.
  EXPECT_EQ(Describe(Prepare(WideString(L"a\0b", 3))), L"P [ab]");
}

TEST_F(HTMLRender, FontTagsSetAndRestoreTheRunsFont) {
  EXPECT_EQ(Run(L"<font size=+2>x")->FontHeight, -14);
  EXPECT_EQ(Run(L"<font size=-2>x")->FontHeight, -8);
  EXPECT_EQ(Run(L"<font size=3>x")->FontHeight, 3);
  EXPECT_EQ(Run(L"<font size=big>x")->FontHeight, -11);
  EXPECT_EQ(Run(L"<font size=+99999999999>x")->FontHeight, -1000);
  EXPECT_EQ(Run(L"<font size=-99999999999>x")->FontHeight, 1000);

  EXPECT_EQ(Run(L"<font color=\"#FF0000\">x")->Color, 0x0000FF);
  EXPECT_EQ(Run(L"<font bgcolor='#00ff80'>x")->BgColor, 0x80FF00);
  EXPECT_EQ(Run(L"<font color=#12GG56>x")->Color, clWindowText);
  EXPECT_EQ(Run(L"<font color=#FFF>x")->Color, clWindowText);
  EXPECT_EQ(Run(L"<font color=red>x")->Color, clRed);
  EXPECT_EQ(Run(L"<font color=clBtnFace>x")->Color, clBtnFace);
  EXPECT_EQ(Run(L"<font color=nonsense>x")->Color, clWindowText);
  EXPECT_EQ(Run(L"<font face=Arial name=Tahoma>x")->FontName, L"Tahoma");
  EXPECT_EQ(Run(L"</font>x")->Color, clWindowText);

  TVsHTMLData* Data = Prepare(L"<font color=red><font color=blue size=+2><b>a</font>b</font>c");
  ASSERT_EQ(Describe(Data), L"P [a] [b] [c]");
  EXPECT_EQ(Data->Items(1)->Color, clBlue);
  EXPECT_EQ(Data->Items(1)->FontHeight, -14);
  EXPECT_TRUE(Data->Items(1)->Style.Contains(fsBold));
  EXPECT_EQ(Data->Items(2)->Color, clRed);
  EXPECT_EQ(Data->Items(2)->FontHeight, -11);
  EXPECT_FALSE(Data->Items(2)->Style.Contains(fsBold));
  EXPECT_EQ(Data->Items(3)->Color, clWindowText);
}

TEST_F(HTMLRender, StylesLinksAndScriptsMarkTheirRuns) {
  TVsHTMLData* Data = Prepare(L"<B>b</b><i><u>iu</i></u><strikeout>s</strikeout><sub>1</sub><sup>2</sup>"
                              L"<a href=\"go\">l</a>n<a>x");
  ASSERT_EQ(Describe(Data), L"P [b] [iu] [s] [1] [2] [l] [nx]");
  EXPECT_EQ(Data->Items(1)->Style, TFontStyles{fsBold});
  EXPECT_EQ(Data->Items(2)->Style, (TFontStyles{fsItalic, fsUnderline}));
  EXPECT_EQ(Data->Items(3)->Style, TFontStyles{fsStrikeOut});
  EXPECT_EQ(Data->Items(4)->Flags, hifSubscript);
  EXPECT_EQ(Data->Items(5)->Flags, hifSuperscript);
  EXPECT_EQ(Data->Items(6)->Flags, hifLink);
  EXPECT_EQ(Data->Items(6)->Link, L"go");
  EXPECT_EQ(Data->Items(7)->Flags, 0u);
  EXPECT_EQ(Data->Items(7)->Link, L"");
}

TEST_F(HTMLRender, ParagraphsAndListsSetIndentAndAlignment) {
  TVsHTMLData* Data = Prepare(L"<p align=RIGHT indent=10>a<ul><li>b</ul>c<br>d</p>e");
  ASSERT_EQ(Describe(Data), L"P [a] L * [b] L B [c] B [d] P [e]");
  auto Break = [&](int I) { return static_cast<TVsHTMLBreakItem*>(Data->Items(I)); };
  EXPECT_EQ(Break(0)->Alignment, haRight);
  EXPECT_EQ(Break(0)->Indent, 10);
  // The bullet's line: the list step adds to the paragraph's indent.
  EXPECT_EQ(Break(3)->Indent, 10 + TFakeHTMLMeasurer::MaxCharWidth);
  EXPECT_EQ(Break(6)->Indent, 10);
  EXPECT_EQ(Break(8)->Alignment, haRight);
  // "/p" ends the alignment and the indent.
  EXPECT_EQ(Break(10)->Alignment, haLeft);
  EXPECT_EQ(Break(10)->Indent, 0);
  EXPECT_TRUE(Break(10)->Flags & hifClosingParagraph);

  // Stray closers change nothing.
  Data = Prepare(L"</ul></ul><li>x");
  EXPECT_EQ(static_cast<TVsHTMLBreakItem*>(Data->Items(Data->Count() - 2))->Indent, 0);
}

TEST_F(HTMLRender, LaysOutLines) {
  const int A = TFakeHTMLMeasurer::Advance;
  struct {
    const wchar_t* Html;
    int Width, Height;
  } Rows[] = {
      {L"", 0, 11},
      {L"ab", 2 * A + 1, 11},
      {L"ab<br>abcd", 4 * A + 1, 22},
      {L"a<br><br>b", A + 1, 33},
      {L"<font size=20>a</font>b", 2 * (A + 1), 20},
      // Sub- and superscript are two pixels smaller and raise the line by a
      // quarter and two thirds of that.
      {L"<font size=20>a<sub>b</sub>", 2 * (A + 1), 18 + 18 / 4},
      {L"<font size=20>a<sup>b</sup>", 2 * (A + 1), 18 + 18 * 2 / 3},
      // A bullet stands left of its line; the list step indents it.
      {L"<ul><li>ab</ul>", TFakeHTMLMeasurer::MaxCharWidth + 2 * A + 1, 11 + 11},
      {L"<hr width=50>", 50, 11 + 4 + 11},
      {L"<img src=x width=30 height=40>a", 30 + A + 1, 40},
  };
  for (const auto& Row : Rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&Row - Rows));
    TVsHTMLData* Data = Prepare(Row.Html);
    EXPECT_EQ(Data->TextWidth, Row.Width);
    EXPECT_EQ(Data->TextHeight, Row.Height);
  }
}

TEST_F(HTMLRender, WidthsBeyondSixteenBitsStayWhole) {
  EXPECT_EQ(Prepare(WideString(6000, L'm'))->TextWidth, 6000 * TFakeHTMLMeasurer::Advance + 1);
}

TEST_F(HTMLRender, WrapsAtTheLastSpaceOrMovesTheLastCharacter) {
  // "aaa b" would be 31 pixels wide.
  EXPECT_EQ(Describe(Prepare(L"aaa bbb", 30, true)), L"P [aaa ] S [bbb]");
  // Without a space each overflowing character starts the next line.
  EXPECT_EQ(Describe(Prepare(L"abcdefgh", 20, true)), L"P [abc] S [def] S [gh]");
  EXPECT_EQ(Describe(Prepare(L"aaa bbb", 30, false)), L"P [aaa bbb]");
  TVsHTMLData* Data = Prepare(L"one two three four", 30, true);
  EXPECT_LE(Data->TextWidth, 30);
}

TEST_F(HTMLRender, AnImageComesFromTheHandlerWhichKeepsIt) {
  struct TImages : TObject {
    TOwned<TBitmap> Bitmap{new TBitmap};
    int Asked = 0;
    void Needed(TObject*, const WideString& Src, TBitmap*& Image) {
      ++Asked;
      if (Src == L"known") Image = Bitmap.get();
    }
  } Images;
  Images.Bitmap->SetSize(12, 9);
  Render->OnImageNeeded = TVsHTMLImageNeededEvent(&Images, &TImages::Needed);
  EXPECT_EQ(Describe(Prepare(L"<img src=known><img src=known width=3><img src=gone>")), L"P I12x9 I3x9 I0x0");
  EXPECT_EQ(Images.Asked, 3);

  TOwned<TBitmap> Target(new TBitmap);
  Target->SetSize(40, 20);
  Render->DrawText(Target->Canvas(), Point(0, 0), Rect(0, 0, 40, 20));
  EXPECT_EQ(Images.Asked, 6);
  // The handler's bitmap is never freed by the renderer.
  Render.reset();
  EXPECT_EQ(Images.Bitmap->Width(), 12);
}

TEST_F(HTMLRender, AHandlerThatFailsGivesTheEngineErrorWithTheDataCleared) {
  struct TFailing : TObject {
    void Needed(TObject*, const WideString&, TBitmap*&) { throw EConvertError("broken"); }
  } Failing;
  Render->OnImageNeeded = TVsHTMLImageNeededEvent(&Failing, &TFailing::Needed);
  try {
    Prepare(L"a<img src=x>b");
    FAIL() << "no error";
  } catch (const EVsHTMLError& E) {
    EXPECT_STREQ(E.Message().c_str(), "HTML engine error - the text is not valid HTML");
  }
  EXPECT_EQ(Render->Data()->Count(), 0);
  EXPECT_EQ(Render->Data()->TextHeight, 0);
}

TEST_F(HTMLRender, FindsTheLinkUnderAPointInEveryAlignment) {
  const int A = TFakeHTMLMeasurer::Advance;
  const TRect R = Rect(0, 0, 101, 50);
  // "xx" then a four-letter link: 13 + 25 pixels.
  const struct {
    const wchar_t* Align;
    int LinkStart;
  } Rows[] = {{L"left", 2 * A + 1}, {L"center", (101 - 38 - 1) / 2 + 2 * A + 1}, {L"right", 101 - 38 - 1 + 2 * A + 1}};
  for (const auto& Row : Rows) {
    SCOPED_TRACE(Row.Align);
    Prepare(WideString(L"<p align=") + Row.Align + L">xx<a href=\"target\">link</a>");
    WideString HRef = L"stale";
    EXPECT_FALSE(Render->IsCursorOverLink(Point(Row.LinkStart - 1, 5), Point(0, 0), R, HRef));
    EXPECT_EQ(HRef, L"");
    EXPECT_TRUE(Render->IsCursorOverLink(Point(Row.LinkStart, 5), Point(0, 0), R, HRef));
    EXPECT_EQ(HRef, L"target");
    EXPECT_TRUE(Render->IsCursorOverLink(Point(Row.LinkStart + 4 * A, 10), Point(0, 0), R, HRef));
    EXPECT_FALSE(Render->IsCursorOverLink(Point(Row.LinkStart + 4 * A + 1, 5), Point(0, 0), R, HRef));
    EXPECT_FALSE(Render->IsCursorOverLink(Point(Row.LinkStart, 11), Point(0, 0), R, HRef));
    // Scrolled: the point plus the origin.
    EXPECT_TRUE(Render->IsCursorOverLink(Point(Row.LinkStart - 7, 0), Point(7, 3), R, HRef));
  }
}

TEST_F(HTMLRender, ASuperscriptIsHitWhereItIsDrawn) {
  // Line height 18 + 12: the raised run of height 18 sits 9 pixels up.
  Prepare(L"<font size=20>a<sup><a href=s>b</a></sup>");
  const TRect R = Rect(0, 0, 100, 40);
  WideString HRef;
  const int X = TFakeHTMLMeasurer::Advance + 2;
  EXPECT_FALSE(Render->IsCursorOverLink(Point(X, 30 - 9), Point(0, 0), R, HRef));
  EXPECT_TRUE(Render->IsCursorOverLink(Point(X, 30 - 9 - 1), Point(0, 0), R, HRef));
  EXPECT_TRUE(Render->IsCursorOverLink(Point(X, 30 - 9 - 18), Point(0, 0), R, HRef));
  EXPECT_FALSE(Render->IsCursorOverLink(Point(X, 30 - 9 - 19), Point(0, 0), R, HRef));
}

// --- drawing, with the screen's fonts ---

class HTMLDrawing : public ::testing::Test {
protected:
  static constexpr int W = 120;
  static constexpr int H = 60;

  void SetUp() override {
    Render.reset(new TVsHTMLRender);
    Target.reset(new TBitmap);
    Target->SetPixelFormat(pf32bit);
    Target->SetSize(W, H);
    Target->Canvas()->Brush()->SetColor(clWhite);
    Target->Canvas()->FillRect(Rect(0, 0, W, H));
  }

  void Draw(const WideString& Html, const TPoint& Origin = Point(0, 0)) {
    Render->Data()->DefaultFont = "Arial";
    Render->PrepareText(Html, 10000, false);
    Render->DrawText(Target->Canvas(), Origin, Rect(0, 0, W, H));
  }
  TColor At(int X, int Y) { return Target->Canvas()->Pixels(X, Y); }
  bool Ink(int X, int Y) { return At(X, Y) != clWhite; }
  // The lowest and highest rows with ink in columns X0..X1.
  void InkRows(int X0, int X1, int& Top, int& Bottom) {
    Top = H;
    Bottom = -1;
    for (int Y = 0; Y < H; ++Y)
      for (int X = X0; X < X1; ++X)
        if (Ink(X, Y)) {
          Top = std::min(Top, Y);
          Bottom = std::max(Bottom, Y);
        }
  }

  TOwned<TVsHTMLRender> Render;
  TOwned<TBitmap> Target;
};

TEST_F(HTMLDrawing, ALinkIsDrawnInTheLinkColour) {
  Draw(L"ab<a href=x>MMMM</a>");
  TVsHTMLItem* Link = Render->Data()->Items(2);
  const int X0 = Render->Data()->Items(1)->ItemWidth();
  int Blue = 0;
  int Other = 0;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const bool InLink = X >= X0 && X < X0 + Link->ItemWidth();
      if (At(X, Y) == clBlue) (InLink ? Blue : Other)++;
    }
  EXPECT_GT(Blue, 20);
  EXPECT_EQ(Other, 0);
}

TEST_F(HTMLDrawing, ABulletStandsLeftOfItsLine) {
  Draw(L"<ul><li>x</ul>");
  TVsHTMLData* Data = Render->Data();
  int Index = 0;
  int Top = 0;
  for (; Data->Items(Index)->Kind != hikBullet; ++Index)
    if (Data->Items(Index)->IsBreak()) Top += static_cast<TVsHTMLBreakItem*>(Data->Items(Index))->LineHeight;
  auto* Bullet = static_cast<TVsHTMLBreakItem*>(Data->Items(Index));
  const int Start = Bullet->Indent;
  const int Size = Bullet->ItemWidth();
  ASSERT_GT(Size, 2);
  const int Middle = Top + Bullet->LineHeight / 2;
  EXPECT_EQ(At(Start - 1 - Size / 2, Middle), clBlack);
  EXPECT_EQ(At(Start - 1, Middle), clWhite);
  EXPECT_EQ(At(Start - 2 - Size, Middle), clWhite);
}

TEST_F(HTMLDrawing, ARuleIsAShadowAndAFaceLine) {
  Draw(L"<hr>");
  auto* Empty = static_cast<TVsHTMLBreakItem*>(Render->Data()->Items(0));
  const int Y = Empty->LineHeight + VsHTMLRuleHeight / 2 - 1;
  for (int X : {0, W / 2, W - 1}) {
    SCOPED_TRACE(X);
    EXPECT_EQ(At(X, Y - 1), clWhite);
    EXPECT_EQ(At(X, Y), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(X, Y + 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(X, Y + 2), clWhite);
  }
}

TEST_F(HTMLDrawing, SubAndSuperscriptMoveOffTheBaseline) {
  Draw(L"<font size=20>M<sub>M</sub><sup>M</sup>");
  TVsHTMLData* Data = Render->Data();
  const int W1 = Data->Items(1)->ItemWidth();
  const int W2 = Data->Items(2)->ItemWidth();
  const int W3 = Data->Items(3)->ItemWidth();
  int Descent;
  const int Small = Data->Items(2)->ItemHeight(Descent);
  int Top, Plain, Sub, Sup;
  InkRows(0, W1 - 1, Top, Plain);
  InkRows(W1, W1 + W2 - 1, Top, Sub);
  InkRows(W1 + W2, W1 + W2 + W3 - 1, Top, Sup);
  ASSERT_GT(Plain, 0);
  EXPECT_EQ(Sub - Plain, Small / 4);
  EXPECT_EQ(Plain - Sup, Small / 2);
}

TEST_F(HTMLDrawing, ARunMatchesTextOutWithItsFont) {
  Draw(L"<font size=16>Wql</font>");
  TVsHTMLItem* Item = Render->Data()->Items(1);
  auto* Line = static_cast<TVsHTMLBreakItem*>(Render->Data()->Items(0));
  TOwned<TBitmap> Oracle(new TBitmap);
  Oracle->SetPixelFormat(pf32bit);
  Oracle->SetSize(W, H);
  TCanvas* C = Oracle->Canvas();
  C->Brush()->SetColor(clWhite);
  C->FillRect(Rect(0, 0, W, H));
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(Item->FontHeight);
  C->Font()->SetColor(clBlack);
  C->RequiredState(TCanvasState{csHandleValid, csFontValid});
  SetBkMode(C->Handle(), TRANSPARENT);
  SetTextAlign(C->Handle(), TA_BASELINE);
  TextOutW(C->Handle(), 0, Line->LineHeight - Line->LineDescent, L"Wql", 3);
  int Differ = 0;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) Differ += At(X, Y) != C->Pixels(X, Y);
  EXPECT_EQ(Differ, 0);
}

TEST_F(HTMLDrawing, AScrolledTextStartsAtTheOrigin) {
  Draw(L"<font size=20>M</font>");
  int Top, Bottom;
  InkRows(0, W, Top, Bottom);
  ASSERT_GT(Bottom, Top);
  const int Line = static_cast<TVsHTMLBreakItem*>(Render->Data()->Items(0))->LineHeight;
  for (int Scroll : {0, 3}) {
    SCOPED_TRACE(Scroll);
    // The first line scrolled away: the second one takes its place.
    Target->Canvas()->FillRect(Rect(0, 0, W, H));
    Draw(L"<font size=20>x<br>M<br>x<br>x<br>x</font>", Point(0, Line + Scroll));
    int ScrolledTop, ScrolledBottom;
    InkRows(0, W, ScrolledTop, ScrolledBottom);
    EXPECT_EQ(ScrolledTop, Top - Scroll);
  }

  // Nothing outside the rectangle is touched.
  Target->Canvas()->FillRect(Rect(0, 0, W, H));
  Render->DrawText(Target->Canvas(), Point(0, 0), Rect(10, 10, 30, 30));
  InkRows(0, W, Top, Bottom);
  EXPECT_GE(Top, 10);
  EXPECT_LT(Bottom, 30);
}

}  // namespace
