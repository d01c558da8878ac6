// The grade journal inside the main window: the stored results of the
// current user, clearing them, and closing with Esc.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Lists.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

const char* const UserName = "Tester";

class Journal : public ::testing::Test {
protected:
  void SetUp() override {
    FreshSettingsFor(UserName);
    DeleteFile(ResultFile(UserName));
    Application->CreateForm(FMain);
    FMain->Show();
    PumpFor(200);
    ASSERT_EQ(FMain->CurrentUser->Name(), UserName);
  }
  void TearDown() override {
    CloseMainRemoving(UserName);
  }

  // Stores the records as a finished test would; the stamps are the
  // journal's date texts from just before and just after.
  void StoreResults() {
    StampBefore = DateTimeToStr(Now());
    TDUser* User = FMain->CurrentUser.get();
    User->ClearResults();
    User->AddResult("Angielski", 8, 10);
    User->AddResult("Niemiecki", 3, 4);
    User->AddResult("Angielski", 5, 5);
    User->Save();
    StampAfter = DateTimeToStr(Now());
  }

  TFDzienn* OpenJournal() {
    FMain->Oceny1Click(nullptr);
    PumpFor(200);
    return dynamic_cast<TFDzienn*>(FMain->ActiveMDIChild());
  }

  // Chooses an entry the way a user does: the box's selection, then its
  // change notification to the parent.
  static void ChooseTest(TFDzienn* Form, int Index) {
    HWND Box = Form->CBTests->Handle();
    SendMessageA(Box, CB_SETCURSEL, Index, 0);
    SendMessageA(GetParent(Box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Box));
  }

  // Clicks "clear" and answers its question; what the question showed.
  static TBoxSeen ClickClear(TFDzienn* Form, int Answer) {
    const TBoxAnswerer Answerer(Answer, 100);
    SendMessageA(Form->BClear->Handle(), BM_CLICK, 0, 0);
    return Answerer.Last();
  }

  bool IsGrade(const AnsiString& Line, const AnsiString& Rest) const {
    return Line == "[" + StampBefore + "] " + Rest || Line == "[" + StampAfter + "] " + Rest;
  }

  AnsiString StampBefore;
  AnsiString StampAfter;
};

TEST_F(Journal, ListsTheTestedDictionariesAndTheChosenOnesGrades) {
  StoreResults();
  TFDzienn* Form = OpenJournal();
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->Caption(), "Oceny");
  // The name shows in the journal's Unicode edit.
  ASSERT_TRUE(IsWindowUnicode(Form->EName->Handle()));
  WideChar Shown[64] = {};
  GetWindowTextW(Form->EName->Handle(), Shown, 64);
  EXPECT_EQ(WideString(Shown), AnsiToWide(UserName));
  EXPECT_EQ(Lines(Form->CBTests->Items()), (std::vector<AnsiString>{"Angielski", "Niemiecki"}));
  EXPECT_EQ(Form->CBTests->ItemIndex(), -1);
  EXPECT_EQ(Form->LBMarks->Items()->Count(), 0);
  EXPECT_EQ(Form->Top(), (FMain->ClientHeight() - (Form->Height() + FMain->PTop->Height())) / 2);
  EXPECT_EQ(Form->Left(), (FMain->ClientWidth() - Form->Width()) / 2);

  ChooseTest(Form, 0);
  std::vector<AnsiString> Marks = Lines(Form->LBMarks->Items());
  ASSERT_EQ(Marks.size(), 2u);
  EXPECT_TRUE(IsGrade(Marks[0], "8/10 = 80 %")) << Marks[0];
  EXPECT_TRUE(IsGrade(Marks[1], "5/5 = 100 %")) << Marks[1];

  ChooseTest(Form, 1);
  Marks = Lines(Form->LBMarks->Items());
  ASSERT_EQ(Marks.size(), 1u);
  EXPECT_TRUE(IsGrade(Marks[0], "3/4 = 75 %")) << Marks[0];

  // The main window's size is fixed, but minimising and restoring it still
  // re-place the journal, which must keep what the user is looking at; a
  // second request while the journal is open opens no second one.
  Form->SetLeft(0);
  FMain->FormResize(FMain);
  EXPECT_EQ(Form->Left(), (FMain->ClientWidth() - Form->Width()) / 2);
  EXPECT_EQ(Form->CBTests->ItemIndex(), 1);
  EXPECT_EQ(Form->LBMarks->Items()->Count(), 1);
  FMain->Oceny1Click(nullptr);
  PumpFor(100);
  EXPECT_EQ(FMain->MDIChildCount(), 1);
}

TEST_F(Journal, ShowsNothingForAUserWithoutResults) {
  TFDzienn* Form = OpenJournal();
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->CBTests->Items()->Count(), 0);
  EXPECT_EQ(Form->LBMarks->Items()->Count(), 0);
}

TEST_F(Journal, ClearsTheResultsOnlyWhenConfirmed) {
  StoreResults();
  TFDzienn* Form = OpenJournal();
  ASSERT_NE(Form, nullptr);
  ChooseTest(Form, 1);

  TBoxSeen Box = ClickClear(Form, IDNO);
  EXPECT_EQ(Box.Text, L"Czy na pewno chcesz wyczyścić oceny?");
  EXPECT_EQ(Box.Caption, L"Potwierdź usuwanie");
  EXPECT_EQ(Form->CBTests->Items()->Count(), 2);
  EXPECT_EQ(Form->LBMarks->Items()->Count(), 1);
  EXPECT_EQ(TDUser(UserName).TestedDictionaries()->Count(), 2);

  Box = ClickClear(Form, IDYES);
  EXPECT_EQ(Box.Text, L"Czy na pewno chcesz wyczyścić oceny?");
  EXPECT_EQ(Form->CBTests->Items()->Count(), 0);
  EXPECT_EQ(Form->LBMarks->Items()->Count(), 0);
  // Cleared on disk too, for every dictionary.
  EXPECT_EQ(TDUser(UserName).TestedDictionaries()->Count(), 0);
}

TEST_F(Journal, EscClosesAndFreesTheWindow) {
  TFDzienn* Form = OpenJournal();
  ASSERT_NE(Form, nullptr);
  const int Before = Application->ComponentCount();
  PostMessageA(Form->CBTests->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  EXPECT_EQ(Application->ComponentCount(), Before - 1);
}

// Another copy of the trainer stores a test while the journal is open here;
// clearing clears what the file holds then, that result too, and what the
// other copy stores later is kept.
TEST_F(Journal, ClearingClearsWhatAnotherCopyStoredMeanwhile) {
  StoreResults();
  TFDzienn* Form = OpenJournal();
  ASSERT_NE(Form, nullptr);
  TDUser OtherCopy(UserName);
  OtherCopy.AddResult("Francuski", 1, 2);
  OtherCopy.Save();
  EXPECT_EQ(TDUser(UserName).TestedDictionaries()->Count(), 3);

  ClickClear(Form, IDYES);
  EXPECT_EQ(Form->CBTests->Items()->Count(), 0);
  EXPECT_EQ(TDUser(UserName).TestedDictionaries()->Count(), 0);
  OtherCopy.AddResult("Hiszpanski", 2, 2);
  OtherCopy.Save();
  EXPECT_EQ(Lines(TDUser(UserName).TestedDictionaries().get()), (std::vector<AnsiString>{"Hiszpanski"}));
}

}  // namespace
