// The symbol picker: its grid of symbols drawn as UTF-16 text, choosing a
// cell with the mouse, closing by double click, the button or Esc, and its
// place over the main window.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <functional>

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

LPARAM At(int X, int Y) { return MAKELPARAM(X, Y); }

class SymbolPicker : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    DeleteFile(ConfigPath());
    Application->CreateForm(FMain);
    FMain->SetBounds(40, 30, FMain->Width(), FMain->Height());
  }
  static void TearDownTestSuite() {
    FreeAndNil(FMain);
    DeleteFile(ConfigPath());
  }

  void SetUp() override { Application->CreateForm(FSymbol); }
  void TearDown() override { FreeAndNil(FSymbol); }

  // Shows the picker modally and runs Act once it is up.
  TModalResult ShowWith(const std::function<void()>& Act) {
    TModalResult Result = mrNone;
    EXPECT_TRUE(WhilePickerShown(Act, [&Result] { Result = FSymbol->ShowModal(); }));
    return Result;
  }
  // A click in the middle of a grid cell.
  static void ClickCell(int ACol, int ARow, UINT Down = WM_LBUTTONDOWN) {
    HWND Grid = FSymbol->SGS->Handle();
    SendMessageW(Grid, Down, MK_LBUTTON, At(ACol * 16 + 8, ARow * 16 + 8));
    SendMessageW(Grid, WM_LBUTTONUP, 0, At(ACol * 16 + 8, ARow * 16 + 8));
  }
};

TEST_F(SymbolPicker, GridHoldsTheSymbolsSixteenToARow) {
  EXPECT_EQ(FSymbol->SGS->ColCount(), 16);
  EXPECT_EQ(FSymbol->SGS->RowCount(), 11);
  struct {
    int Col, Row;
    const wchar_t* Text;
  } const Cells[] = {
      {0, 0, L"\u009D"},  // stored without a byte-order mark
      {15, 0, L"\u2018"}, {13, 2, L"\u20AC"}, {5, 4, L"\u0104"}, {11, 6, L"\u0142"},
      {1, 9, L"\u2122"},  {5, 10, L"\u017C"}, {6, 10, L""},      {15, 10, L""},
  };
  for (const auto& C : Cells) EXPECT_EQ(FSymbol->Cell(C.Col, C.Row), C.Text) << C.Col << "," << C.Row;
  EXPECT_EQ(FSymbol->ChosenSymbol(), L'?') << "nothing chosen yet";
}

TEST_F(SymbolPicker, ClickChoosesDoubleClickCloses) {
  const TModalResult Result = ShowWith([] {
    ClickCell(3, 4);
    EXPECT_EQ(FSymbol->ChosenSymbol(), 0x00C6);
    EXPECT_EQ(FSymbol->BSym->WideCaption(), L"\u00C6");
    ClickCell(8, 10);
    EXPECT_EQ(FSymbol->ChosenSymbol(), L'?') << "an empty cell";
    ClickCell(13, 2);
    ClickCell(13, 2, WM_LBUTTONDBLCLK);
  });
  EXPECT_EQ(Result, mrOk);
  EXPECT_EQ(FSymbol->ChosenSymbol(), 0x20AC);
}

TEST_F(SymbolPicker, ButtonTakesTheChoiceEscCancels) {
  EXPECT_EQ(ShowWith([] {
              ClickCell(5, 4);
              SendMessageW(FSymbol->BSym->Handle(), BM_CLICK, 0, 0);
            }),
            mrOk);
  EXPECT_EQ(FSymbol->ChosenSymbol(), 0x0104);

  EXPECT_EQ(ShowWith([] {
              ClickCell(6, 4);
              SetFocus(FSymbol->SGS->Handle());
              SendMessageW(FSymbol->SGS->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            }),
            mrCancel);
  // The choice stands; the caller only takes it on OK.
  EXPECT_EQ(FSymbol->ChosenSymbol(), 0x0105);
}

TEST_F(SymbolPicker, PlacedOverTheMainWindowAndDrawnAsText) {
  ShowWith([] {
    EXPECT_EQ(FSymbol->Top(),
              (FMain->ClientHeight() - (FSymbol->Height() + FMain->PTop->Height())) / 2 + FMain->Top());
    EXPECT_EQ(FSymbol->Left(), (FMain->ClientWidth() - FSymbol->Width()) / 2 + FMain->Left());
    EXPECT_EQ(FSymbol->ClientWidth(), 320);
    EXPECT_EQ(FSymbol->ClientHeight(), 385);
    ClickCell(3, 4);  // a letter the system code page lacks, on the button too
    PumpFor(100);
    // Every row of symbols has ink in it; the rows below the last are bare.
    TShot Grid(FSymbol->SGS, RGB(255, 0, 255));
    for (int Row = 0; Row < 11; ++Row) {
      const TRect Cells{16, Row * 16, 256, Row * 16 + 16};
      EXPECT_GT(Grid.Count(Cells, RGB(0, 0, 0)), 0) << "row " << Row;
    }
    EXPECT_EQ(Grid.Count(TRect{0, 11 * 16, 256, 320}, RGB(0, 0, 0)), 0);
    SaveShot(FSymbol->Handle(), "symb-picker");
    FSymbol->SetModalResult(mrCancel);
  });
}

}  // namespace
