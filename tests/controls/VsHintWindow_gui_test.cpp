// The wide hint window on the screen: its size and pixels beside the
// system's DrawTextW, keeping on the desktop, the 8-bit hint, and clicks on
// the links of an HTML hint.
#include <gtest/gtest.h>

#include <vector>

#include "Framework.h"
#include "GuiTestSupport.h"
#include "HintWindowOracle.h"
#include "TypInfo.h"
#include "VsCLabel.h"
#include "VsFrameworkUtils.h"
#include "VsHintWindow.h"

namespace {

class THintEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeFramework();
    InitializeVsFrameworkUtils();
    InitializeVsHintWindow();
  }
  void TearDown() override {
    FinalizeVsFrameworkUtils();
    FinalizeFramework();
  }
};

[[maybe_unused]] const auto* const HintEnvironment = ::testing::AddGlobalTestEnvironment(new THintEnvironment);

const wchar_t* const Polish = L"Sprawd\u017A si\u0119";

// What a hint window reports.
class TListener : public TObject {
public:
  std::vector<WideString> Links;
  int MouseDowns = 0;
  void LinkClick(TObject*, const WideString& HRef) { Links.push_back(HRef); }
  void MouseDown(TObject*, TMouseButton, TShiftState, int, int) { ++MouseDowns; }
  void FailingImage(TObject*, const WideString&, TBitmap*&) { throw EConvertError("no picture"); }
};

class HintWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Hint = Create<TVsHintWindow>(Application);
    Hint->OnLinkClick = TVsHTMLLinkClickEvent(&Listener, &TListener::LinkClick);
    Hint->OnMouseDown = TMouseEvent(&Listener, &TListener::MouseDown);
  }
  void TearDown() override { FreeAndNil(Hint); }

  // Shows Text at (X, Y) in the size it asks for.
  void Show(const WideString& Text, int X = 100, int Y = 100) {
    TRect R = Hint->CalcHintRectW(10000, Text);
    OffsetRect(&R, X, Y);
    Hint->ActivateHintW(R, Text);
    UpdateWindow(Hint->Handle());
  }

  TVsHintWindow* Hint = nullptr;
  TListener Listener;
};

TEST_F(HintWindow, IsARegisteredHintWindowClass) {
  const TClassInfo* Class = GetClass("TVsHintWindow");
  ASSERT_NE(Class, nullptr);
  EXPECT_TRUE(Class->InheritsFrom(ClassInfoOf<THintWindow>()));
  TOwned<TComponent> Made(Class->Create(nullptr));
  EXPECT_NE(dynamic_cast<TVsHintWindow*>(Made.get()), nullptr);
}

TEST_F(HintWindow, APlainHintIsAsLargeAsDrawTextWSaysPlusTheBorder) {
  const struct {
    const wchar_t* Text;
    int MaxWidth;
    bool WordWrap;
  } Rows[] = {
      {Polish, 10000, false},
      {L"a\nlonger second line", 10000, false},
      {L"words that wrap at a narrow width", 75, true},
      {L"words that do not wrap", 60, false},
      {L"", 10000, false},
  };
  for (const auto& Row : Rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&Row - Rows));
    Hint->SetWordWrap(Row.WordWrap);
    RECT Expected{0, 0, Row.MaxWidth, 0};
    HDC DC = GetDC(nullptr);
    HGDIOBJ Old = SelectObject(DC, Hint->Font()->Handle());
    DrawTextW(DC, Row.Text, -1, &Expected, DT_CALCRECT | DT_NOPREFIX | (Row.WordWrap ? DT_WORDBREAK : 0));
    SelectObject(DC, Old);
    ReleaseDC(nullptr, DC);
    const TRect R = Hint->CalcHintRectW(Row.MaxWidth, Row.Text);
    EXPECT_EQ(R.left, 0);
    EXPECT_EQ(R.top, 0);
    EXPECT_EQ(R.right, Expected.right + 6);
    EXPECT_EQ(R.bottom, Expected.bottom + 2);
  }
}

TEST_F(HintWindow, APlainHintIsDrawnAsDrawTextWDrawsIt) {
  for (bool Wrap : {false, true}) {
    SCOPED_TRACE(Wrap);
    Hint->SetWordWrap(Wrap);
    const WideString Text = WideString(Polish) + L"\nzdanie \u0105\u015B\u017C";
    Show(Text);
    const UINT Format = DT_NOPREFIX | (Wrap ? DT_WORDBREAK : 0);
    EXPECT_EQ(PixelDifferences(PaintedClient(Hint), DrawTextWOracle(Hint, Text, Format)), 0);
  }
}

TEST_F(HintWindow, AnHTMLHintThatCannotBeParsedIsDrawnPlainly) {
  Hint->SetIsHTML(true);
  Hint->OnImageNeeded = TVsHTMLImageNeededEvent(&Listener, &TListener::FailingImage);
  const WideString Text = L"a <img src=x> b";
  Show(Text);
  EXPECT_EQ(PixelDifferences(PaintedClient(Hint), DrawTextWOracle(Hint, Text, DT_NOPREFIX)), 0);
}

TEST_F(HintWindow, The8BitHintIsTakenInTheSystemCodePage) {
  const AnsiString Ansi = WideToAnsi(Polish);
  const TRect Wide = Hint->CalcHintRectW(10000, Polish);
  const TRect Narrow = Hint->CalcHintRect(10000, Ansi, nullptr);
  EXPECT_TRUE(EqualRect(&Wide, &Narrow));
  TRect R = Narrow;
  OffsetRect(&R, 50, 50);
  Hint->ActivateHint(R, Ansi);
  EXPECT_EQ(Hint->WideCaption(), Polish);
  EXPECT_EQ(Hint->Caption(), Ansi);
  // The activation keeps the size it was given, four pixels higher.
  RECT Window;
  GetWindowRect(Hint->Handle(), &Window);
  EXPECT_EQ(Window.right - Window.left, Narrow.right);
  EXPECT_EQ(Window.bottom - Window.top, Narrow.bottom + 4);
}

TEST_F(HintWindow, APackedHintShowsItsWidePartWhole) {
  // Letters outside the system code page survive only in the wide part.
  const WideString Wide = L"\u014D\u0101 Sprawd\u017A si\u0119";
  const AnsiString Packed = PackWideHint(Wide);
  const TRect Size = Hint->CalcHintRect(10000, Packed, nullptr);
  const TRect WideSize = Hint->CalcHintRectW(10000, Wide);
  EXPECT_TRUE(EqualRect(&Size, &WideSize));
  TRect R = Size;
  OffsetRect(&R, 60, 60);
  Hint->ActivateHint(R, Packed);
  EXPECT_EQ(Hint->WideCaption(), Wide);
  UpdateWindow(Hint->Handle());
  EXPECT_EQ(PixelDifferences(PaintedClient(Hint), DrawTextWOracle(Hint, Wide, DT_NOPREFIX)), 0);

  // Anything but the exact layout is an 8-bit text.
  const AnsiString Cut = Packed.substr(0, Packed.size() - 1);
  Hint->ActivateHint(R, Cut);
  EXPECT_EQ(Hint->WideCaption(), AnsiToWide(Cut));
}

TEST_F(HintWindow, ANewCaptionOrWrapFitsTheWindowToItsText) {
  Show(L"short");
  const WideString Long = L"a considerably longer hint text than before";
  Hint->SetWideCaption(Long);
  const TRect Fit = Hint->CalcHintRectW(10000, Long);
  EXPECT_EQ(Hint->Width(), Fit.right);
  EXPECT_EQ(Hint->Height(), Fit.bottom);
  RECT Window;
  GetWindowRect(Hint->Handle(), &Window);
  EXPECT_EQ(Window.right - Window.left, Fit.right);
  Hint->SetWordWrap(true);
  EXPECT_EQ(Hint->Width(), Fit.right);
}

TEST_F(HintWindow, StaysOnTheDesktop) {
  const TRect Desktop = Screen->DesktopRect();
  const struct {
    int X, Y;
    int Left, Top;  // -1: as asked
  } Rows[] = {
      {100, 100, -1, -1},
      {Desktop.right - 20, Desktop.bottom - 10, 1, 1},
      {Desktop.left - 500, Desktop.top - 500, 0, 0},
  };
  for (const auto& Row : Rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&Row - Rows));
    const TRect Size = Hint->CalcHintRectW(10000, Polish);
    Show(Polish, Row.X, Row.Y);
    RECT Window;
    GetWindowRect(Hint->Handle(), &Window);
    const int W = Size.right;
    const int H = Size.bottom + 4;
    EXPECT_EQ(Window.right - Window.left, W);
    EXPECT_EQ(Window.bottom - Window.top, H);
    const int Left = Row.Left < 0 ? Row.X : Row.Left == 0 ? Desktop.left : Desktop.right - W;
    const int Top = Row.Top < 0 ? Row.Y : Row.Top == 0 ? Desktop.top : Desktop.bottom - H;
    EXPECT_EQ(Window.left, Left);
    EXPECT_EQ(Window.top, Top);
    EXPECT_EQ(Hint->Left(), Left);
    EXPECT_EQ(Hint->Top(), Top);
  }
}

TEST_F(HintWindow, AClickOnALinkReportsItAndAnyOtherIsAnOrdinaryMouseDown) {
  Hint->SetIsHTML(true);
  for (const wchar_t* Align : {L"left", L"center", L"right"}) {
    SCOPED_TRACE(testing::Message() << Align);
    Listener.Links.clear();
    Listener.MouseDowns = 0;
    const WideString Text = WideString(L"<p align=") + Align + L">xx <a href=\"target\">MMMM</a> yy";
    Show(Text);
    // Wider than the text, so that the alignment moves the line.
    Hint->SetBounds(Hint->Left(), Hint->Top(), Hint->Width() + 41, Hint->Height());
    UpdateWindow(Hint->Handle());
    const TShot Shot(Hint);
    const COLORREF Blue = RGB(0, 0, 255);
    int First = -1, Last = -1, Row = -1;
    for (int Y = 0; Y < Hint->ClientHeight(); ++Y)
      for (int X = 0; X < Hint->ClientWidth(); ++X)
        if (Shot.At(X + 1, Y + 1) == Blue) {
          if (First < 0 || X < First) First = X;
          Last = std::max(Last, X);
          if (Row < 0) Row = Y;
        }
    ASSERT_GE(First, 0) << "no link drawn";
    auto Click = [&](int X) {
      SendMessageW(Hint->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Row));
      SendMessageW(Hint->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Row));
    };
    Click(First);
    Click(Last);
    EXPECT_EQ(Listener.Links, (std::vector<WideString>{L"target", L"target"}));
    EXPECT_EQ(Listener.MouseDowns, 0);
    Click(Last + 12);
    Click(First - 12);
    EXPECT_EQ(Listener.Links.size(), 2u);
    EXPECT_EQ(Listener.MouseDowns, 2);
  }
}

}  // namespace
