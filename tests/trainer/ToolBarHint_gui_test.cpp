// The trainer's hints in its own hint window: the tool bar's hint shown in
// UTF-16 as the system's DrawTextW draws it, and a wide label's packed hint
// whole.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <vector>

#include "TypInfo.h"
#include "controls/HintWindowOracle.h"
#include "VsLabel.h"
#include "VsHintWindow.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

class ToolBarHint : public ::testing::Test {
protected:
  void SetUp() override {
    DeleteFile(ConfigPath());
    GetCursorPos(&Cursor);
    // As the program body sets it.
    Application->SetHintWindowClass(ClassInfoOf<TVsHintWindow>());
  }
  void TearDown() override {
    Application->CancelHint();
    SetCursorPos(Cursor.x, Cursor.y);
    FreeAndNil(FMain);
    Application->SetHintWindowClass(nullptr);
    DeleteFile(ConfigPath());
  }

  // The main window without the options window of a first start.
  void OpenMain() {
    const TBoxAnswerer Answerer(IDOK, 100);
    Application->CreateForm(FMain);
    FMain->Show();
    PumpFor(300);
    while (TCustomForm* Child = FMain->ActiveMDIChild()) {
      Child->Close();
      if (!PumpUntil([Child] { return FMain->ActiveMDIChild() != Child; }, 2000)) break;
    }
    SetForegroundWindow(FMain->Handle());
    PumpFor(100);
  }

  // Brings the mouse onto the control from the middle of the window and
  // waits for the hint.
  THintWindow* HintOver(TControl* Control) {
    Application->CancelHint();
    const TPoint Away = FMain->ClientToScreen(Point(FMain->ClientWidth() / 2, FMain->ClientHeight() / 2));
    SetCursorPos(Away.x, Away.y);
    PumpFor(100);
    const TPoint P = Control->ClientToScreen(Point(Control->Width() / 2, Control->Height() / 2));
    SetCursorPos(P.x, P.y);
    WaitUntil("the hint over the tool button", [] { return VisibleHintWindow() != nullptr; }, 4000);
    return VisibleHintWindow();
  }

  POINT Cursor{};
};

TEST_F(ToolBarHint, TheTestButtonsHintIsAWideHintDrawnAsDrawTextWDrawsIt) {
  OpenMain();
  THintWindow* Shown = HintOver(FMain->ToolButton2);
  ASSERT_NE(Shown, nullptr);
  auto* Hint = dynamic_cast<TVsHintWindow*>(Shown);
  ASSERT_NE(Hint, nullptr) << "shown in " << Shown->ClassName();
  EXPECT_EQ(Hint->WideCaption(), L"Sprawd\u017A si\u0119");

  // The client area beside DrawTextW of the same text, font and colours.
  const std::vector<COLORREF> Expected = DrawTextWOracle(Hint, L"Sprawd\u017A si\u0119", DT_NOPREFIX);
  EXPECT_GT(InkPixels(Expected), 20);
  EXPECT_EQ(PixelDifferences(PaintedClient(Hint), Expected), 0);
}

TEST_F(ToolBarHint, AWideLabelsHintComesWhole) {
  OpenMain();
  // Letters outside the system code page: only the packed hint's wide part
  // holds them.
  const WideString Wide = L"\u014D\u0101 Sprawd\u017A si\u0119";
  auto* Label = new TVsLabel(FMain);  // owned by the main window
  Label->SetParent(FMain);
  Label->SetBounds(10, FMain->ClientHeight() - 40, 120, 20);
  Label->SetCaption(L"etykieta");
  Label->SetHint(Wide);
  Label->SetShowHint(true);
  PumpFor(100);
  auto* Hint = dynamic_cast<TVsHintWindow*>(HintOver(Label));
  ASSERT_NE(Hint, nullptr);
  EXPECT_EQ(Hint->WideCaption(), Wide);
}

}  // namespace
