// The effects label: wide caption and hint, the packed hint at hint time,
// auto-size, and its pixels beside the platform's DrawTextW.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "Graphics.h"
#include "Streams.h"
#include "VsCLabel.h"
#include "VsLabel.h"
#include "VsThemedControl.h"
#include "VsUxTheme.h"

namespace {

using namespace std::string_literals;

constexpr COLORREF Magenta = RGB(255, 0, 255);

class VsLabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(0, 0, 300, 200);
    Label = Create<TVsLabel>(Form);
    Label->SetParent(Form);
  }
  void TearDown() override {
    Form->Free();
    UnbindUxTheme();
  }

  TForm* Form = nullptr;
  TVsLabel* Label = nullptr;
};

// Counts the text changes a control is told of.
class TTextChanges : public TObject {
public:
  explicit TTextChanges(TControl* Control) : FControl(Control), FOriginal(Control->WindowProc) {
    Control->WindowProc = TWndMethod(this, &TTextChanges::Spy);
  }
  ~TTextChanges() override { FControl->WindowProc = FOriginal; }
  int Count = 0;

private:
  void Spy(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED) ++Count;
    FOriginal(Message);
  }
  TControl* FControl;
  TWndMethod FOriginal;
};

TEST_F(VsLabelTest, WideCaptionKeepsEveryLetterAndChangesOnlyOnADifference) {
  TTextChanges Changes(Label);
  Label->SetCaption(L"m\u0101ja \u017C");
  EXPECT_EQ(Label->Caption(), L"m\u0101ja \u017C");
  EXPECT_EQ(Label->TCustomLabel::Caption(), WideToAnsi(L"m\u0101ja \u017C"));
  EXPECT_EQ(Changes.Count, 1);
  Label->SetCaption(L"m\u0101ja \u017C");
  EXPECT_EQ(Changes.Count, 1);
  // Another wide text with the same 8-bit form is still a change.
  Label->SetCaption(L"m\u0103ja \u017C");
  EXPECT_EQ(Changes.Count, 2);
}

TEST_F(VsLabelTest, AutoSizeMeasuresLikeDrawTextAndAnEmptyCaptionKeepsOneLine) {
  Label->Font()->SetName("Tahoma");
  Label->Font()->SetHeight(-20);
  HDC Screen = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(Screen, Label->Font()->Handle());
  auto Extent = [&](const WideString& Text) {
    RECT R{0, 0, 0, 0};
    DrawTextW(Screen, Text.c_str(), static_cast<int>(Text.size()), &R, DT_CALCRECT | DT_EXPANDTABS);
    return R;
  };
  const RECT Space = Extent(L" ");
  const RECT Word = Extent(L"S\u0142owo");
  SelectObject(Screen, Old);
  ReleaseDC(nullptr, Screen);

  Label->SetCaption(L"");
  EXPECT_EQ(Label->Height(), Space.bottom);
  EXPECT_GT(Label->Height(), 0);
  Label->SetCaption(L"S\u0142owo");
  EXPECT_EQ(Label->Width(), Word.right);
  EXPECT_EQ(Label->Height(), Word.bottom);
  // Emboss and outline draw one pixel beyond the text on each side.
  Label->SetStyle(ltsEmbossed);
  EXPECT_EQ(Label->Width(), Word.right + 1);
  EXPECT_EQ(Label->Height(), Word.bottom + 1);
  Label->SetStyle(ltsNormal);
  Label->SetEffect(lesShadow);
  EXPECT_EQ(Label->Width(), Word.right + 2);
  // A right-justified label keeps its right edge.
  Label->SetEffect(lesNone);
  Label->SetAlignment(taRightJustify);
  const int Right = Label->Left() + Label->Width();
  Label->SetCaption(L"S");
  EXPECT_EQ(Label->Left() + Label->Width(), Right);
}

TEST_F(VsLabelTest, HintIsPackedAndCutAtTheWideBarAtHintTime) {
  Label->SetHint(L"\u017C|opis");
  EXPECT_EQ(Label->TCustomLabel::Hint(), PackWideHint(L"\u017C|opis"));

  struct Case {
    const char* What;
    WideString Hint;
    // Null: the framework's own short hint is shown.
    const AnsiString* Shown;
    AnsiString Expected;
  };
  const AnsiString Other = "inny";
  const AnsiString Ansi = WideToAnsi(L"\u017C");
  const Case Cases[] = {
      {"short hint", L"\u017C|opis", nullptr, PackWideHint(Ansi, L"\u017C")},
      {"no bar", L"\u017C\u017C", nullptr, PackWideHint(L"\u017C\u017C")},
      {"text changed by a handler", L"\u017C|opis", &Other, PackWideHint(L"\u017C|opis")},
      {"empty hint", L"", nullptr, ""},
  };
  for (const Case& C : Cases) {
    Label->SetHint(C.Hint);
    THintInfo Info;
    Info.HintControl = Label;
    Info.HintStr = C.Shown ? *C.Shown : GetShortHint(Label->TCustomLabel::Hint());
    Label->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
    EXPECT_EQ(Info.HintStr, C.Expected) << C.What;
    WideString Wide;
    if (!C.Expected.empty()) {
      ASSERT_TRUE(UnpackWideHint(Info.HintStr, Wide)) << C.What;
      EXPECT_EQ(Wide.find(L'|') == WideString::npos, C.Shown == nullptr) << C.What;
    }
  }
}

// --- pixels ---

// A picture drawn with the platform's DrawTextW: each copy of the text at
// its offset in its colour, in order, over magenta.
class TReference : public TMemoryDC {
public:
  TReference(int Width, int Height, HFONT Font)
      : TMemoryDC(Width, Height, Magenta), FWidth(Width), FHeight(Height), FOldFont(SelectObject(DC(), Font)) {
    SetBkMode(DC(), TRANSPARENT);
  }
  ~TReference() { SelectObject(DC(), FOldFont); }
  void Text(const WideString& Text, int DX, int DY, COLORREF Color) {
    RECT R{DX, DY, FWidth + DX, FHeight + DY};
    SetTextColor(DC(), Color);
    DrawTextW(DC(), Text.c_str(), static_cast<int>(Text.size()), &R, DT_EXPANDTABS);
  }

private:
  int FWidth, FHeight;
  HGDIOBJ FOldFont;
};

struct TCopy {
  int DX, DY;
  COLORREF Color;
};

TEST_F(VsLabelTest, EffectsDrawTheCopiesOfTheTextBesideDrawText) {
  constexpr COLORREF Text = RGB(0, 0, 160), Light = RGB(250, 250, 0), Dark = RGB(0, 120, 0),
                     Shadow = RGB(90, 90, 90), Outline = RGB(0, 200, 200);
  struct Case {
    const char* What;
    std::function<void(TVsLabel*)> Set;
    std::vector<TCopy> Copies;
  };
  const Case Cases[] = {
      {"normal", [](TVsLabel*) {}, {{0, 0, Text}}},
      {"shadow",
       [](TVsLabel* L) {
         L->SetEffect(lesShadow);
         L->SetXOffset(3);
         L->SetYOffset(-2);
       },
       {{3, -2, Shadow}, {0, 0, Text}}},
      {"embossed", [](TVsLabel* L) { L->SetStyle(ltsEmbossed); }, {{-1, -1, Light}, {1, 1, Dark}, {0, 0, Text}}},
      {"recessed", [](TVsLabel* L) { L->SetStyle(ltsRecessed); }, {{-1, -1, Dark}, {1, 1, Light}, {0, 0, Text}}},
      {"outlined",
       [](TVsLabel* L) { L->SetStyle(ltsOutlined); },
       {{-1, -1, Outline}, {-1, 1, Outline}, {1, -1, Outline}, {1, 1, Outline}, {0, 0, Text}}},
      {"disabled emboss",
       [](TVsLabel* L) {
         L->SetStyle(ltsEmbossed);
         L->SetEnabled(false);
       },
       {{1, 1, Light}, {0, 0, Dark}}},
      {"extrusion",
       [](TVsLabel* L) {
         L->SetEffect(lesExtrude);
         L->SetDepth(4);
         L->SetExtrudePosition(lepLeftBottom);
         L->SetNearColor(RGB(0, 0, 0));
         L->SetFarColor(RGB(255, 0, 0));
       },
       {{-4, 4, RGB(255, 0, 0)}, {-3, 3, RGB(191, 0, 0)}, {-2, 2, RGB(128, 0, 0)}, {-1, 1, RGB(64, 0, 0)},
        {0, 0, Text}}},
      {"striated extrusion",
       [](TVsLabel* L) {
         L->SetEffect(lesExtrude);
         L->SetDepth(4);
         L->SetExtrudePosition(lepTop);
         L->SetStriated(true);
         L->SetNearColor(RGB(0, 0, 0));
         L->SetFarColor(RGB(255, 0, 0));
       },
       {{0, -4, RGB(63, 0, 0)}, {0, -3, RGB(189, 0, 0)}, {0, -2, RGB(31, 0, 0)}, {0, -1, RGB(63, 0, 0)},
        {0, 0, Text}}},
      {"no extrusion at depth 0",
       [](TVsLabel* L) {
         L->SetEffect(lesExtrude);
         L->SetDepth(0);
       },
       {{0, 0, Text}}},
  };
  for (const Case& C : Cases) {
    TVsLabel* L = Create<TVsLabel>(Form);
    L->SetAutoSize(false);
    L->SetBounds(10, 10, 70, 60);
    L->Font()->SetName("Tahoma");
    L->Font()->SetHeight(-44);
    L->Font()->SetStyle({fsBold});
    L->Font()->SetColor(static_cast<TColor>(Text));
    L->SetLightColor(static_cast<TColor>(Light));
    L->SetDarkColor(static_cast<TColor>(Dark));
    L->SetDisabledLightColor(static_cast<TColor>(Light));
    L->SetDisabledDarkColor(static_cast<TColor>(Dark));
    L->SetShadowColor(static_cast<TColor>(Shadow));
    L->SetOutlineColor(static_cast<TColor>(Outline));
    L->SetCaption(L"W");
    C.Set(L);
    L->SetParent(Form);
    TShot Shot(L, Magenta);
    TReference Reference(70, 60, L->Font()->Handle());
    for (const TCopy& Copy : C.Copies) Reference.Text(L"W", Copy.DX, Copy.DY, Copy.Color);
    int Different = 0;
    for (int Y = 0; Y < 60; ++Y)
      for (int X = 0; X < 70; ++X) Different += Shot.At(X, Y) != Reference.At(X, Y);
    EXPECT_EQ(Different, 0) << C.What;
    EXPECT_EQ(Shot.Count(Magenta) < 70 * 60, true) << C.What << ": nothing drawn";
    L->Free();
  }
}

TEST_F(VsLabelTest, BackgroundIsTheCanvasTheColourOrTheThemedParentsAndNothingAtZeroSize) {
  Label->SetAutoSize(false);
  Label->SetBounds(20, 30, 40, 20);
  Label->SetCaption(L"");
  {
    TShot Shot(Label, Magenta);
    EXPECT_EQ(Shot.Count(Magenta), 40 * 20);
  }
  Label->SetTransparent(false);
  Label->SetColor(static_cast<TColor>(RGB(0, 128, 255)));
  {
    TShot Shot(Label, Magenta);
    EXPECT_EQ(Shot.Count(RGB(0, 128, 255)), 40 * 20);
  }
  // Nothing to paint, and no failure, at a width or height of 0.
  for (const TRect Bounds : {TRect{20, 30, 20, 50}, TRect{20, 30, 60, 30}}) {
    Label->SetBoundsRect(Bounds);
    TMemoryDC Surface(1, 1);
    EXPECT_NO_THROW(Label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Surface.DC()), 0));
    EXPECT_EQ(Surface.At(0, 0), Magenta);
  }
}

// A themed parent that paints its background in one colour.
class TThemedHost : public TVsXPThemedControl {
public:
  using TVsXPThemedControl::TVsXPThemedControl;
  int Erased = 0;
  POINT OriginSeen{};

protected:
  WideString GetThemedClassName() const override { return L"BUTTON"; }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_ERASEBKGND) {
      ++Erased;
      HDC DC = reinterpret_cast<HDC>(Message.WParam);
      GetViewportOrgEx(DC, &OriginSeen);
      HBRUSH Fill = CreateSolidBrush(RGB(255, 255, 0));
      const RECT R{0, 0, Width(), Height()};
      FillRect(DC, &R, Fill);
      DeleteObject(Fill);
      Message.Result = 1;
      return;
    }
    TVsXPThemedControl::WndProc(Message);
  }
};

TEST_F(VsLabelTest, OnAThemedParentTheBackgroundIsThePartOfTheParentUnderTheLabel) {
  BindUxTheme();
  ASSERT_TRUE(ThemesAvailable);
  TThemedHost* Host = Create<TThemedHost>(Form);
  Host->SetBounds(0, 0, 200, 100);
  Host->SetParent(Form);
  Host->HandleNeeded();
  ASSERT_NE(Host->Theme(), nullptr) << "the platform opened no BUTTON theme";
  Label->SetParent(Host);
  Label->SetAutoSize(false);
  Label->SetBounds(20, 30, 40, 20);
  Label->SetCaption(L"");
  Label->SetTransparent(false);
  Label->SetColor(static_cast<TColor>(RGB(0, 128, 255)));

  TMemoryDC Surface(40, 20);
  const HDC DC = Surface.DC();
  Label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  EXPECT_EQ(Host->Erased, 1);
  EXPECT_EQ(Host->OriginSeen.x, -20);
  EXPECT_EQ(Host->OriginSeen.y, -30);
  POINT After{1, 1};
  GetViewportOrgEx(DC, &After);
  EXPECT_EQ(After.x, 0);
  EXPECT_EQ(After.y, 0);
  EXPECT_EQ(GetPixel(DC, 0, 0), RGB(255, 255, 0));
  EXPECT_EQ(GetPixel(DC, 39, 19), RGB(255, 255, 0));

  // Without themes the label's own colour is used again.
  Label->SetUseXPThemes(false);
  Label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  EXPECT_EQ(GetPixel(DC, 0, 0), RGB(0, 128, 255));
}

// A layout with a style manager (its styles stored as binary data) and a
// label that takes a style class from it.
TEST_F(VsLabelTest, LayoutsCreateLabelsAndManagersAndTheStyleIsAppliedOnceRead) {
  TOwned<TVsStyleManager> Source(new TVsStyleManager(nullptr));
  Source->Store()->WriteString("\\.Warning", "Color", "clRed");
  Source->Store()->WriteBool("\\.Warning", "Transparent", false);
  TMemoryStream Styles;
  Source->SaveStyleData(&Styles);
  std::string Hex;
  for (int I = 0; I < static_cast<int>(Styles.Size()); ++I) {
    char Pair[3];
    std::snprintf(Pair, sizeof Pair, "%02X", static_cast<const unsigned char*>(Styles.Memory())[I]);
    Hex += Pair;
  }
  const std::string Layout = "object Host: TForm\n"
                             "  object Styles: TVsStyleManager\n"
                             "    Style = {" + Hex + "}\n"
                             "  end\n"
                             "  object Note: TVsLabel\n"
                             "    Caption = 'm'#257'ja'\n"
                             "    StyleManager = Styles\n"
                             "    StyleName = '.Warning'\n"
                             "  end\n"
                             "end\n";
  TForm* Host = nullptr;
  Application->CreateForm(Host);
  TStringStream Text(Layout);
  ReadComponentLayout(&Text, Host);
  auto* Note = dynamic_cast<TVsLabel*>(Host->FindComponent("Note"));
  auto* Manager = dynamic_cast<TVsStyleManager*>(Host->FindComponent("Styles"));
  ASSERT_NE(Note, nullptr);
  ASSERT_NE(Manager, nullptr);
  EXPECT_EQ(Note->Caption(), L"m\u0101ja");
  EXPECT_EQ(Note->StyleManager(), Manager);
  EXPECT_EQ(Note->Color(), clRed);
  EXPECT_FALSE(Note->Transparent());
  Host->Free();
}

class TLabelEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeVsLabel();
    InitializeVsThemedControl();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const LabelEnvironment = ::testing::AddGlobalTestEnvironment(new TLabelEnvironment);

}  // namespace
