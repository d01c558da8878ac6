#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TypInfo.h"

namespace {

// Steps run one per timer tick, inside the modal loops of the dialogs.
std::vector<std::function<void()>> Steps;
size_t NextStep = 0;
UINT_PTR StepTimer = 0;

void CALLBACK RunStep(HWND, UINT, UINT_PTR Id, DWORD) {
  if (NextStep >= Steps.size()) {
    KillTimer(nullptr, Id);
    if (Id == StepTimer) StepTimer = 0;
    return;
  }
  Steps[NextStep++]();
}

void StartSteps(std::vector<std::function<void()>> List) {
  if (StepTimer) KillTimer(nullptr, StepTimer);
  Steps = std::move(List);
  NextStep = 0;
  StepTimer = SetTimer(nullptr, 0, 80, RunStep);
}

// Steps a failed test left go with it: they hold its locals.
[[maybe_unused]] const bool StepsCleared = AfterEachTest([] {
  if (StepTimer) KillTimer(nullptr, StepTimer);
  StepTimer = 0;
  Steps.clear();
  NextStep = 0;
});

// The input dialog's controls while it is up.
TCustomForm* ActiveDialog() { return Screen->ActiveForm(); }

template <class T> T* FindChild(TCustomForm* Form, const AnsiString& Caption = AnsiString()) {
  for (int I = 0; I < Form->ComponentCount(); ++I)
    if (auto* C = dynamic_cast<T*>(Form->Components(I)); C && (Caption.empty() || C->Caption() == Caption)) return C;
  return nullptr;
}

void PostKey(HWND Wnd, WPARAM Key) {
  PostMessageA(Wnd, WM_KEYDOWN, Key, 1);
  PostMessageA(Wnd, WM_KEYUP, Key, 0xC0000001);
}

}  // namespace

// Stands in for the system dialog: records what it was given and answers
// as a user would.
class TScriptedDialog : public TOpenDialog {
public:
  using TOpenDialog::TOpenDialog;

  // What the dialog got.
  std::string GotFilter;
  DWORD GotFilterIndex = 0;
  std::string GotFile;
  DWORD GotMaxFile = 0;
  std::string GotInitialDir, GotTitle, GotDefExt;
  DWORD GotFlags = 0;
  HWND GotOwner = nullptr;
  // The answer: the buffer's new contents (zeros included) or a cancel.
  std::string Answer;
  DWORD AnswerFilterIndex = 1;
  bool Chooses = true;

protected:
  bool RunDialog(OPENFILENAMEA& P) override {
    GotFilter.clear();
    if (P.lpstrFilter) {
      const char* F = P.lpstrFilter;
      while (*F) F += std::strlen(F) + 1;
      GotFilter.assign(P.lpstrFilter, static_cast<size_t>(F - P.lpstrFilter) + 1);
    }
    GotFilterIndex = P.nFilterIndex;
    GotFile = P.lpstrFile;
    GotMaxFile = P.nMaxFile;
    GotInitialDir = P.lpstrInitialDir ? P.lpstrInitialDir : "(none)";
    GotTitle = P.lpstrTitle ? P.lpstrTitle : "(none)";
    GotDefExt = P.lpstrDefExt ? P.lpstrDefExt : "(none)";
    GotFlags = P.Flags;
    GotOwner = P.hwndOwner;
    if (!Chooses) return false;
    std::memcpy(P.lpstrFile, Answer.data(), Answer.size());
    P.nFilterIndex = AnswerFilterIndex;
    return true;
  }
};

class TDialogsMain : public TForm {
public:
  using TForm::TForm;
};
TDialogsMain* MainRef = nullptr;

namespace {

class TDialogsEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeDialogs();
    RegisterClass<TDialogsMain, TForm>();
    Application->CreateForm(MainRef);
    Application->SetTitle("Vardo Slovanta");
    MainRef->Show();
    WaitUntil("the main form to be active", [] { return Screen->ActiveForm() == MainRef; });
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const DialogsEnvironment = ::testing::AddGlobalTestEnvironment(new TDialogsEnvironment);

}  // namespace

// ---- open and save dialogs ------------------------------------------------------

TEST(OpenDialog, FilterPairsBecomeTheSystemsZeroSeparatedList) {
  struct TCase {
    const char* Filter;
    std::string System;
  };
  const TCase Cases[] = {
      {"S\xB3owniki (*.dic)|*.dic", std::string("S\xB3owniki (*.dic)\0*.dic\0\0", 24)},
      {"Teksty|*.txt;*.lsn|Wszystkie|*.*", std::string("Teksty\0*.txt;*.lsn\0Wszystkie\0*.*\0\0", 34)},
  };
  for (const TCase& C : Cases) {
    TOwned<TScriptedDialog> D(new TScriptedDialog(nullptr));
    D->SetFilter(C.Filter);
    D->Chooses = false;
    EXPECT_FALSE(D->Execute());
    EXPECT_EQ(D->GotFilter, C.System) << C.Filter;
  }
  TOwned<TScriptedDialog> None(new TScriptedDialog(nullptr));
  None->Chooses = false;
  None->Execute();
  EXPECT_EQ(None->GotFilter, "");
}

TEST(OpenDialog, ExecutePassesTheSettingsAndTakesTheChoice) {
  TOwned<TScriptedDialog> D(new TScriptedDialog(nullptr));
  D->SetFilter("S\xB3owniki|*.dic|Wszystkie|*.*");
  D->SetFilterIndex(1);
  D->SetInitialDir("C:\\Vardo");
  D->SetTitle("Wybierz s\xB3ownik");
  D->SetDefaultExt(".dic");
  D->SetFileName("stary.dic");
  D->SetOptions(D->Options() << ofFileMustExist << ofNoChangeDir);
  D->Answer = std::string("C:\\Vardo\\nowy.dic\0", 18);
  D->AnswerFilterIndex = 2;
  ASSERT_TRUE(D->Execute());
  EXPECT_EQ(D->GotFile, "stary.dic");
  EXPECT_GE(D->GotMaxFile, static_cast<DWORD>(MAX_PATH));
  EXPECT_EQ(D->GotFilterIndex, 1u);
  EXPECT_EQ(D->GotInitialDir, "C:\\Vardo");
  EXPECT_EQ(D->GotTitle, "Wybierz s\xB3ownik");
  EXPECT_EQ(D->GotDefExt, "dic");
  EXPECT_EQ(D->GotFlags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR |
                                         OFN_EXPLORER));
  EXPECT_EQ(D->GotOwner, MainRef->Handle());
  EXPECT_EQ(D->FileName(), "C:\\Vardo\\nowy.dic");
  EXPECT_EQ(D->FilterIndex(), 2);
  ASSERT_EQ(D->Files()->Count(), 1);
  EXPECT_EQ(D->Files()->Strings(0), "C:\\Vardo\\nowy.dic");

  // A cancel changes nothing.
  D->Chooses = false;
  EXPECT_FALSE(D->Execute());
  EXPECT_EQ(D->FileName(), "C:\\Vardo\\nowy.dic");
}

TEST(OpenDialog, SeveralFilesComeAsTheFolderAndTheirNames) {
  TOwned<TScriptedDialog> D(new TScriptedDialog(nullptr));
  D->SetOptions(D->Options() << ofAllowMultiSelect);
  D->SetFileName(std::string(5000, 'a'));
  D->Answer = std::string("C:\\Vardo\0pierwszy.dic\0drugi.dic\0\0", 33);
  ASSERT_TRUE(D->Execute());
  // A long name given fits whole, with room for many answers.
  EXPECT_EQ(D->GotFile.size(), 5000u);
  EXPECT_GT(D->GotMaxFile, 5000u);
  EXPECT_TRUE(D->GotFlags & OFN_ALLOWMULTISELECT);
  ASSERT_EQ(D->Files()->Count(), 2);
  EXPECT_EQ(D->Files()->Strings(0), "C:\\Vardo\\pierwszy.dic");
  EXPECT_EQ(D->Files()->Strings(1), "C:\\Vardo\\drugi.dic");
  EXPECT_EQ(D->FileName(), "C:\\Vardo\\pierwszy.dic");

  // One file chosen with multi-select on is its full name.
  D->Answer = std::string("C:\\Vardo\\jeden.dic\0\0", 20);
  ASSERT_TRUE(D->Execute());
  ASSERT_EQ(D->Files()->Count(), 1);
  EXPECT_EQ(D->FileName(), "C:\\Vardo\\jeden.dic");
}

// ---- input dialog -----------------------------------------------------------------

TEST(InputQuery, EnterTakesTheTypedValueAndTheDialogFitsItsPrompt) {
  const AnsiString Prompt = "Podaj nazw\xEA katalogu, w kt\xF3rym zostan\xB9 zapisane wszystkie nowe s\xB3owniki u\xBFytkownika";
  AnsiString Value = "stary";
  bool Fits = false;
  AnsiString Shown, Buttons;
  StartSteps({[&] {
                TCustomForm* D = ActiveDialog();
                TLabel* Label = FindChild<TLabel>(D);
                TEdit* Edit = FindChild<TEdit>(D);
                TButton* Ok = FindChild<TButton>(D, "OK");
                TButton* Cancel = FindChild<TButton>(D, "Anuluj");
                if (!Label || !Edit || !Ok || !Cancel) return;
                Shown = Edit->Text();
                Buttons = Ok->Caption() + "/" + Cancel->Caption();
                const int Width = D->ClientWidth(), Height = D->ClientHeight();
                Fits = Label->Left() + Label->Width() <= Width && Edit->Top() >= Label->Top() + Label->Height() &&
                       Edit->Left() + Edit->Width() <= Width && Ok->Top() >= Edit->Top() + Edit->Height() &&
                       Ok->Left() + Ok->Width() <= Cancel->Left() && Cancel->Left() + Cancel->Width() <= Width &&
                       Ok->Top() + Ok->Height() <= Height && GetFocus() == Edit->Handle();
                Edit->SetText("nowy katalog");
              },
              [] { PostKey(GetFocus(), VK_RETURN); }});
  EXPECT_TRUE(InputQuery("Nowy katalog", Prompt, Value));
  EXPECT_EQ(Value, "nowy katalog");
  EXPECT_EQ(Shown, "stary");
  EXPECT_EQ(Buttons, "OK/Anuluj");
  EXPECT_TRUE(Fits);
}

TEST(InputQuery, EscapeOrCancelLeavesTheValue) {
  AnsiString Value = "stary";
  StartSteps({[] { FindChild<TEdit>(ActiveDialog())->SetText("inny"); }, [] { PostKey(GetFocus(), VK_ESCAPE); }});
  EXPECT_FALSE(InputQuery("Nowy katalog", "Nazwa:", Value));
  EXPECT_EQ(Value, "stary");

  StartSteps({[] { FindChild<TEdit>(ActiveDialog())->SetText("inny"); },
              [] { SendMessageA(FindChild<TButton>(ActiveDialog(), "Anuluj")->Handle(), BM_CLICK, 0, 0); }});
  EXPECT_EQ(InputBox("Nowy katalog", "Nazwa:", "domy\x9Clny"), "domy\x9Clny");
}

// ---- message box -------------------------------------------------------------------

TEST(ShowMessage, ShowsTheTextCaptionedWithTheApplicationsTitle) {
  std::string Caption, Text;
  StartSteps({[&] {
    HWND Box = FindWindowA("#32770", nullptr);
    char Buffer[256] = {};
    GetWindowTextA(Box, Buffer, sizeof(Buffer));
    Caption = Buffer;
    GetDlgItemTextA(Box, 0xFFFF, Buffer, sizeof(Buffer));
    Text = Buffer;
    PostMessageA(Box, WM_COMMAND, IDOK, 0);
  }});
  ShowMessage("Nie znaleziono s\xB3ownika.");
  EXPECT_EQ(Caption, "Vardo Slovanta");
  EXPECT_EQ(Text, "Nie znaleziono s\xB3ownika.");
}
