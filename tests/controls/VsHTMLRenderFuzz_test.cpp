// Mutated HTML texts through the renderer: each is parsed or refused with
// the engine's error, in bounded time, and what is parsed is consistent.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FakeHTMLMeasurer.h"
#include "Graphics.h"
#include "VsHTMLRender.h"

namespace {

const wchar_t* const Seeds[] = {
    L"a   b <b> b</b> &AMP; &#65; & x &bogus; &#0;",
    L"<font size=+2 color=\"#FF0000\" bgcolor='clBtnFace'>big <font face=Arial size=3>x</font></font></font>",
    L"<ul><li>one<ul><li><a href=\"u\">two</a><li>three</ul></ul></ul>",
    L"<p align=center indent=12>centred<br>line</p><p align=right>right<hr width=30><hr></p>",
    L"<!-- a comment <b> --> <img src=pic width=12 height=8><img> text<sub>1</sub><sup>2</sup>",
    L"&nbsp;&nbsp;&lt;&gt;&quot;&euro;&sect;&reg;&copy;&para;&trade;&#128512;&#1114111;&#1114112;",
    L"<a href='x y'>link with spaces</a> <u><i><strikeout>styles</strikeout></i></u>\r\nnext",
    L"<html><blink>unknown</blink><p indent=99999999999>x</p><font size=-99999999999>y</font>",
};

const wchar_t* const Inserts[] = {
    L"<", L">", L"&", L"&#", L";", L"\"", L"'", L"=", L" ", L"<!--", L"-->", L"</font>", L"</ul>", L"</a>",
    L"</p>", L"<li>", L"<br>", L"<ul>", L"<font size=+9>", L"99999999999999999999", L"&#4294967297;",
    L"\xD800", L"\xDFFF", L"\r", L"\n", L"<sup>", L"<sub>", L"<hr width=", L"<img src=", L"#12GG56",
};

class TMutator {
public:
  explicit TMutator(unsigned Seed) : FRandom(Seed) {}

  WideString Next() {
    WideString S = Seeds[Pick(std::size(Seeds))];
    const int Steps = 1 + static_cast<int>(Pick(6));
    for (int I = 0; I < Steps; ++I) Mutate(S);
    return S;
  }

  unsigned Pick(size_t N) { return static_cast<unsigned>(FRandom() % N); }

private:
  void Mutate(WideString& S) {
    const size_t At = S.empty() ? 0 : Pick(S.size() + 1);
    switch (Pick(4)) {
      case 0:  // a flipped unit, any value
        if (!S.empty()) S[std::min(At, S.size() - 1)] = static_cast<WideChar>(FRandom() & 0xFFFF);
        break;
      case 1:  // a cut
        if (!S.empty()) S.erase(std::min(At, S.size() - 1), 1 + Pick(12));
        break;
      case 2:  // a cut tail
        S.erase(At);
        break;
      default:
        S.insert(At, Inserts[Pick(std::size(Inserts))]);
    }
  }

  std::mt19937 FRandom;
};

// The lines' own metrics add up to the text's size; no run holds a zero.
void CheckConsistent(TVsHTMLData* Data, const WideString& Html) {
  ASSERT_GT(Data->Count(), 0) << "no leading break";
  ASSERT_EQ(Data->Items(0)->Kind, hikParagraphBreak);
  long long Width = 0, Height = 0;
  TVsHTMLBreakItem* Line = nullptr;
  long long LineWidth = 0;
  auto EndLine = [&] {
    if (!Line) return;
    ASSERT_EQ(Line->LineWidth, LineWidth);
    Width = std::max(Width, LineWidth);
    Height += Line->LineHeight;
  };
  for (int I = 0; I < Data->Count(); ++I) {
    TVsHTMLItem* Item = Data->Items(I);
    if (Item->Kind == hikText) {
      ASSERT_FALSE(Item->Text.empty());
      ASSERT_EQ(Item->Text.find(L'\0'), WideString::npos) << "a zero in a run of " << testing::PrintToString(Html);
    }
    if (Item->IsBreak()) {
      EndLine();
      Line = static_cast<TVsHTMLBreakItem*>(Item);
      LineWidth = Line->Indent;
    } else if (Item->Kind != hikListLevel) {
      LineWidth += Item->ItemWidth();
    }
    ASSERT_GE(Item->FontHeight, -1000);
    ASSERT_LE(Item->FontHeight, 1000);
    ASSERT_LE(Item->Width, 32767);
    ASSERT_LE(Item->Height, 32767);
  }
  EndLine();
  ASSERT_EQ(Data->TextWidth, Width);
  ASSERT_EQ(Data->TextHeight, Height);
}

TEST(HTMLRenderFuzz, MutatedTextsAreParsedOrRefusedAndStayConsistent) {
  InitializeGraphics();
  TOwned<TVsHTMLRender> Render(new TVsHTMLRender);
  Render->SetMeasurer(std::make_unique<TFakeHTMLMeasurer>());
  TOwned<TBitmap> Target(new TBitmap);
  Target->SetSize(64, 64);
  TMutator Mutator(20261211);
  const DWORD Start = GetTickCount();
  const DWORD Budget = 90000;
  int Refused = 0;
  for (int I = 0; I < 100000; ++I) {
    const WideString Html = Mutator.Next();
    const bool Wrap = I % 3 == 0;
    try {
      Render->PrepareText(Html, static_cast<int>(Mutator.Pick(200)), Wrap);
    } catch (const EVsHTMLError&) {
      ++Refused;
      ASSERT_EQ(Render->Data()->Count(), 0);
      continue;
    }
    CheckConsistent(Render->Data(), Html);
    if (HasFatalFailure()) return;
    if (I % 100 == 0) {
      Render->DrawText(Target->Canvas(), Point(0, 0), Rect(0, 0, 64, 64));
      for (int P = 0; P < 20; ++P) {
        const TPoint At = Point(static_cast<int>(Mutator.Pick(80)) - 8, static_cast<int>(Mutator.Pick(80)) - 8);
        TVsHTMLItem* Item = Render->FindItemAt(At, Point(0, 0), Rect(0, 0, 64, 64));
        if (Item) {
          ASSERT_FALSE(Item->IsBreak());
        }
        WideString HRef;
        if (Render->IsCursorOverLink(At, Point(0, 0), Rect(0, 0, 64, 64), HRef)) {
          ASSERT_TRUE(Item && (Item->Flags & hifLink));
        }
      }
    }
    ASSERT_LT(GetTickCount() - Start, Budget) << "100,000 texts not through in " << Budget << " ms, at " << I;
  }
  // Parsing never fails on its own: only a failing image handler refuses.
  EXPECT_EQ(Refused, 0);
}

}  // namespace
