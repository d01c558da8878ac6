// The symbol picker: its grid of symbols drawn as UTF-16 text, choosing a
// cell with the mouse, closing by double click, the button or Esc, and its
// place over the main window.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <iterator>

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
  // The symbols by grid row; the first is stored without a byte-order mark.
  const Word Symbols[] = {
      0x009D, 0x00AD, 0x2013, 0x2014, 0x02C6, 0x00A1, 0x00A6, 0x00A8, 0x00AF, 0x00B4, 0x00B8, 0x00BF, 0x02C7, 0x02D8,
      0x02DC, 0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E, 0x2039, 0x203A, 0x00B1, 0x00AB, 0x00BB, 0x00D7, 0x00F7,
      0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A7, 0x00A9, 0x00AC, 0x00AE, 0x00B0, 0x00B5, 0x00B6, 0x00B7, 0x2020, 0x2021,
      0x2022, 0x2026, 0x2030, 0x20AC, 0x00BC, 0x00BD, 0x00BE, 0x00B9, 0x00B2, 0x00B3, 0x00AA, 0x00C1, 0x00E1, 0x00C0,
      0x00E0, 0x00C2, 0x00E2, 0x00C4, 0x00E4, 0x0102, 0x0103, 0x00C3, 0x00E3, 0x00C5, 0x00E5, 0x00C6, 0x00E6, 0x0104,
      0x0105, 0x010C, 0x010D, 0x00C7, 0x00E7, 0x0106, 0x0107, 0x010E, 0x010F, 0x0110, 0x0111, 0x00F0, 0x00C9, 0x00E9,
      0x00C8, 0x00E8, 0x00CA, 0x00EA, 0x00CB, 0x00EB, 0x011A, 0x011B, 0x0118, 0x0119, 0x0192, 0x00CD, 0x00ED, 0x00CC,
      0x00EC, 0x00CE, 0x00EE, 0x00CF, 0x00EF, 0x0139, 0x013A, 0x013D, 0x013E, 0x0142, 0x0141, 0x0147, 0x0148, 0x00D1,
      0x00F1, 0x0143, 0x0144, 0x00BA, 0x00D2, 0x00F2, 0x00D4, 0x00F4, 0x00D6, 0x00F6, 0x00D5, 0x00F5, 0x00D8, 0x00F8,
      0x0152, 0x0153, 0x00D3, 0x00F3, 0x0154, 0x0155, 0x0158, 0x0159, 0x0160, 0x0161, 0x015E, 0x015F, 0x00DF, 0x015A,
      0x015B, 0x0164, 0x0165, 0x0162, 0x00DE, 0x2122, 0x00DA, 0x00FA, 0x00D9, 0x00F9, 0x00DB, 0x00FB, 0x00DC, 0x00FC,
      0x016E, 0x016F, 0x0171, 0x00DD, 0x00FD, 0x0178, 0x017D, 0x017E, 0x0179, 0x017A, 0x017B, 0x017C,
  };
  static_assert(std::size(Symbols) == 166);
  TUniStringGrid* Grid = FSymbol->SGS;
  ASSERT_EQ(Grid->ColCount(), 16);
  ASSERT_EQ(Grid->RowCount(), 11);
  for (int Row = 0; Row < Grid->RowCount(); ++Row)
    for (int Col = 0; Col < 16; ++Col) {
      const size_t I = static_cast<size_t>(Row * 16 + Col);
      const WideString Expected = I < std::size(Symbols) ? WideString(1, static_cast<WideChar>(Symbols[I])) : L"";
      EXPECT_EQ(Grid->Cells(Col, Row), Expected) << Col << "," << Row;
    }
  // The 8-bit cell holds the UTF-8 form.
  EXPECT_EQ(Grid->TStringGrid::Cells(5, 4), "\xC4\x84");
  EXPECT_EQ(FSymbol->ChosenSymbol(), L'?') << "nothing chosen yet";
}

TEST_F(SymbolPicker, ClickChoosesDoubleClickCloses) {
  const TModalResult Result = ShowWith([] {
    ClickCell(3, 4);
    EXPECT_EQ(FSymbol->ChosenSymbol(), 0x00C6);
    // The system's own Unicode button shows it.
    EXPECT_TRUE(IsWindowUnicode(FSymbol->BSym->Handle()));
    WideChar Shown[8] = {};
    GetWindowTextW(FSymbol->BSym->Handle(), Shown, 8);
    EXPECT_EQ(WideString(Shown), L"\u00C6");
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
