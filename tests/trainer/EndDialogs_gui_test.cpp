// The end-of-exercise dialog and the wrong-answer list: their texts, the
// results their buttons give, and where they appear over the main window.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <functional>

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

const char* const UserName = "Tester";

// Runs the modal call with Action done once Form is showing, from inside
// the dialog's own message loop.
int RunModal(TForm* Form, const std::function<void()>& Action, const std::function<int()>& Modal) {
  const TWhenReady Run([Form] { return Form->Showing(); }, Action, 50, "the dialog " + Form->Name());
  return Modal();
}

struct TSeen {
  AnsiString Caption;
  AnsiString Message;
  AnsiString Buttons[3];
  int Top = 0;
  int Left = 0;
};

class EndDialogs : public ::testing::Test {
protected:
  void SetUp() override {
    FreshSettingsFor(UserName);
    Application->CreateForm(FMain);
    Application->CreateForm(EndLearnDlg);
    Application->CreateForm(FBledy);
    FMain->Show();
    // Away from the corner, so the main window's own place shows in the
    // dialogs' places.
    FMain->SetLeft(37);
    FMain->SetTop(29);
    PumpFor(200);
  }
  void TearDown() override {
    FreeAndNil(FBledy);
    FreeAndNil(EndLearnDlg);
    CloseMainRemoving(UserName);
  }

  static int ExpectedTop(TForm* Dialog) {
    return (FMain->ClientHeight() - (Dialog->Height() + FMain->PTop->Height())) / 2 + FMain->Top();
  }
  static int ExpectedLeft(TForm* Dialog) { return (FMain->ClientWidth() - Dialog->Width()) / 2 + FMain->Left(); }

  // Executes the end dialog, notes what it shows, then does Press.
  int Execute(const WideString& Caption, const WideString& Message, const std::function<void()>& Press) {
    return RunModal(
        EndLearnDlg,
        [this, Press] {
          Seen.Caption = EndLearnDlg->Caption();
          Seen.Message = EndLearnDlg->MMessage->Caption();
          Seen.Buttons[0] = EndLearnDlg->BYes->Caption();
          Seen.Buttons[1] = EndLearnDlg->BOther->Caption();
          Seen.Buttons[2] = EndLearnDlg->BFinish->Caption();
          Seen.Top = EndLearnDlg->Top();
          Seen.Left = EndLearnDlg->Left();
          Press();
        },
        [&] { return EndLearnDlg->Execute(Caption, Message); });
  }

  TSeen Seen;
};

void Click(TButton* Button) { SendMessageA(Button->Handle(), BM_CLICK, 0, 0); }

TEST_F(EndDialogs, EachButtonGivesItsResultUnderTheGivenTexts) {
  struct TCase {
    TButton* TEndLearnDlg::* Button;
    int Result;
  };
  const TCase Cases[] = {{&TEndLearnDlg::BYes, 4}, {&TEndLearnDlg::BOther, 5}, {&TEndLearnDlg::BFinish, 2}};
  const WideString Message = WideFormat(sEndTestMsg, 75);
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Result);
    Seen = TSeen{};
    EXPECT_EQ(Execute(sEndTestCaption, Message, [&] { Click(EndLearnDlg->*Case.Button); }), Case.Result);
    EXPECT_EQ(Seen.Caption, WideToAnsi(L"Test zakończony"));
    EXPECT_EQ(Seen.Message, WideToAnsi(L"Twoja efektywność wynosi: 75 %.\r\rCzy chcesz jeszcze raz sprawdzić "
                                       L"znajomość słówek z tego słownika?"));
    EXPECT_EQ(Seen.Buttons[0], "Tak");
    EXPECT_EQ(Seen.Buttons[1], WideToAnsi(L"Inny słownik"));
    EXPECT_EQ(Seen.Buttons[2], WideToAnsi(L"Zakończ"));
    EXPECT_EQ(Seen.Top, ExpectedTop(EndLearnDlg));
    EXPECT_EQ(Seen.Left, ExpectedLeft(EndLearnDlg));
    EXPECT_FALSE(EndLearnDlg->Showing());
  }
}

TEST_F(EndDialogs, EnterAndTheCloseBoxFinish) {
  // Enter goes to the focused window as the keyboard would send it.
  const auto PressEnter = [] {
    HWND Focus = GetFocus();
    PostMessageA(Focus, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(Focus, WM_KEYUP, VK_RETURN, 0xC0000001);
  };
  EXPECT_EQ(Execute(sEndLearnCaption, sEndLearnMsg, PressEnter), 2);
  EXPECT_EQ(Seen.Caption, WideToAnsi(L"Koniec nauki"));
  EXPECT_EQ(Seen.Message, WideToAnsi(L"Gratulacje! Opanowałeś wszystkie słówka z tego słownika.\r\rCzy chcesz "
                                     L"jeszcze raz przerobić ten słownik?"));

  // Once more after the user had pressed another button: the focus must not
  // stay on it, or Enter would repeat that choice.
  EXPECT_EQ(Execute(sEndLearnCaption, sEndLearnMsg, [] { Click(EndLearnDlg->BYes); }), 4);
  EXPECT_EQ(Execute(sEndLearnCaption, sEndLearnMsg, PressEnter), 2);

  EXPECT_EQ(Execute(sEndLearnCaption, sEndLearnMsg,
                    [] { PostMessageA(EndLearnDlg->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }),
            2);
}

TEST_F(EndDialogs, WrongAnswerListScrollsWithItsOwnBarAsTheSystemCounts) {
  for (int I = 0; I < 60; ++I) FBledy->LBB->Items()->Add(L"słowo " + std::to_wstring(I) + L" => ōrb");
  TRect Bar{};
  SCROLLINFO Info{};
  RunModal(
      FBledy,
      [&] {
        TVsListBox* List = FBledy->LBB;
        ASSERT_TRUE(List->UseCustomScrollBars()) << "the wrong-answer list has no custom bars";
        List->SetTopIndex(25);
        Info.cbSize = sizeof Info;
        Info.fMask = SIF_ALL;
        GetScrollInfo(List->Handle(), SB_VERT, &Info);
        const TVsCtrlScrollBarStyles* V = List->VertScrollBarStyles();
        Bar = TRect{V->Min(), V->Max(), V->Page(), V->Position()};
        Click(FBledy->Button1);
      },
      [] { return FBledy->ShowModal(); });
  EXPECT_EQ(Bar.left, Info.nMin);
  EXPECT_EQ(Bar.top, Info.nMax);
  EXPECT_EQ(Bar.right, static_cast<int>(Info.nPage));
  EXPECT_EQ(Bar.bottom, Info.nPos);
  EXPECT_EQ(Info.nPos, 25);
  EXPECT_EQ(Info.nMax, 59);
}

TEST_F(EndDialogs, WrongAnswerListShowsItsLinesAndClosesWithOne) {
  FBledy->LBB->Items()->Add(L"dom => house, home");
  FBledy->LBB->Items()->Add(L"żaba => frōg");
  int Count = -1;
  WideString Second;
  AnsiString Caption, Close;
  int Top = 0, Left = 0;
  const int Result = RunModal(
      FBledy,
      [&] {
        HWND Box = FBledy->LBB->Handle();
        Count = static_cast<int>(SendMessageA(Box, LB_GETCOUNT, 0, 0));
        Second = FBledy->LBB->Items()->Strings(1);
        Caption = FBledy->Caption();
        Close = FBledy->Button1->Caption();
        Top = FBledy->Top();
        Left = FBledy->Left();
        Click(FBledy->Button1);
      },
      [] { return FBledy->ShowModal(); });
  EXPECT_EQ(Result, 1);
  EXPECT_EQ(Count, 2);
  EXPECT_EQ(Second, L"żaba => frōg");
  EXPECT_EQ(Caption, WideToAnsi(L"Lista błędnych odpowiedzi"));
  EXPECT_EQ(Close, "Zamknij");
  EXPECT_EQ(Top, ExpectedTop(FBledy));
  EXPECT_EQ(Left, ExpectedLeft(FBledy));
  // The list outlives the showing, for the next look at it.
  EXPECT_EQ(FBledy->LBB->Items()->Count(), 2);
}

}  // namespace
