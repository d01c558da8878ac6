// The dictionary editor inside the main window, with its chooser and save-as
// dialog: building entries, keeping the two lists in step, saving under a
// new name in a new folder and opening it again, the import, and the names
// and files that are refused.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

// --- a script of user actions run from a timer, inside whichever modal loop
// is running; a step returns false while what it waits for is not there yet.

using TStep = std::function<bool()>;
std::deque<TStep> Steps;
bool InStep = false;
bool InScript = false;
DWORD Deadline = 0;

void Press(TWinControl* Button) { PostMessageA(Button->Handle(), BM_CLICK, 0, 0); }

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
  if (InStep) return;
  InStep = true;
  try {
    if (InScript && GetTickCount() > Deadline) {
      // A step that never came true, or a dialog that never closed: leave
      // every dialog, so the test ends and reports it.
      HWND Active = GetActiveWindow();
      if (Active && (!FMain || Active != FMain->Handle())) PostMessageA(Active, WM_CLOSE, 0, 0);
      if (FDicName && FDicName->Visible() && IsWindowEnabled(FDicName->Handle())) Press(FDicName->BCancel);
    } else if (!Steps.empty() && Steps.front()()) {
      Steps.pop_front();
    }
  } catch (...) {
  }
  InStep = false;
}

// Once the form shows, usable (no box or query over it), runs the action.
TStep OnForm(TCustomForm* Form, std::function<void()> Action) {
  return [=] {
    if (!Form->Visible() || !IsWindowEnabled(Form->Handle()) || FindMessageBox()) return false;
    Action();
    return true;
  };
}

// Notes the message box and answers it.
TStep AnswerBox(int Answer, TBoxSeen* Seen) {
  return [=] {
    HWND Box = FindMessageBox();
    if (!Box) return false;
    *Seen = ReadMessageBox(Box);
    PostMessageW(Box, WM_COMMAND, Answer, 0);
    return true;
  };
}

// Types Name into the new-folder query and presses its OK.
TStep AnswerFolderQuery(const AnsiString& Name) {
  return [=] {
    HWND Window = FindWindowA(nullptr, sNewFolderCaption);
    auto* Query = Window && IsWindowVisible(Window) ? dynamic_cast<TCustomForm*>(FindControl(Window)) : nullptr;
    if (!Query) return false;
    for (int I = 0; I < Query->ComponentCount(); ++I) {
      if (auto* Edit = dynamic_cast<TEdit*>(Query->Components(I))) Edit->SetText(Name);
      if (auto* Button = dynamic_cast<TButton*>(Query->Components(I)); Button && Button->ModalResult() == mrOk)
        Press(Button);
    }
    return true;
  };
}

// Names the file in the system's open dialog and presses its OK.
TStep AnswerOpenDialog(const AnsiString& Path) {
  return [=] {
    HWND Box = FindWindowW(L"#32770", nullptr);
    if (!Box || !IsWindowVisible(Box) || GetDlgItem(Box, 0xFFFF)) return false;
    HWND Name = GetDlgItem(Box, 0x47C);  // the file name box
    if (!Name) Name = GetDlgItem(Box, 0x480);
    if (!Name) return false;
    SetWindowTextA(Name, Path.c_str());
    PostMessageA(Box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

// Runs the action with the script going; every step must have come true.
void RunScript(const std::vector<TStep>& Script, const std::function<void()>& Action) {
  Steps.assign(Script.begin(), Script.end());
  Deadline = GetTickCount() + 5000;
  InScript = true;
  Action();
  PumpUntil([] { return Steps.empty(); }, 500);
  InScript = false;
  EXPECT_TRUE(Steps.empty()) << Steps.size() << " step(s) never came true";
  EXPECT_LT(GetTickCount(), Deadline) << "a dialog did not close by itself";
  Steps.clear();
}

std::vector<AnsiString> Items(TVsListBox* List) { return Lines(List->Items()); }

// An entry as "question|answer 1|...|answer 4".
AnsiString EntryText(const TDict* Dict, int Index) {
  AnsiString Text = WideToAnsi(Dict->ItemText(0, Index));
  for (int Column = 1; Column <= 4; ++Column) Text += "|" + WideToAnsi(Dict->ItemText(Column, Index));
  return Text;
}

std::vector<AnsiString> Entries(const TDict* Dict) {
  std::vector<AnsiString> Result;
  for (int I = 0; I < Dict->Count(); ++I) Result.push_back(EntryText(Dict, I));
  return Result;
}

uintmax_t FileSize(const AnsiString& Path) { return std::filesystem::file_size(Path.c_str()); }

class Editor : public ::testing::Test {
protected:
  void SetUp() override {
    Root = DictionariesDir();
    Tree = Root + "\\editor-test";
    std::filesystem::remove_all(Tree.c_str());
    FreshSettingsFor("Tester");
    Application->CreateForm(FMain);
    FMain->Show();
    PumpFor(200);
    Application->CreateForm(FSelDic);
    Application->CreateForm(FDicName);
    Timer = SetTimer(nullptr, 0, 50, RunStep);
    Edit = OpenEditor();
    ASSERT_NE(Edit, nullptr);
  }
  void TearDown() override {
    KillTimer(nullptr, Timer);
    while (FMain->MDIChildCount() > 0) FMain->MDIChildren(0)->Free();
    FreeAndNil(FDicName);
    FreeAndNil(FSelDic);
    CloseMainRemoving("Tester");
    std::filesystem::remove_all(Tree.c_str());
  }

  // Through the main window's menu or its tool bar, as the user opens it.
  static TFEdit* OpenEditor(bool FromToolBar = false) {
    if (FromToolBar)
      FMain->ToolButton4->Click();
    else
      FMain->Edytujsowniki1->Click();
    PumpFor(100);
    return dynamic_cast<TFEdit*>(FMain->ActiveMDIChild());
  }

  void Enter(const char* Question, const char* A1 = "", const char* A2 = "", const char* A3 = "",
             const char* A4 = "") {
    Edit->EQ->SetText(AnsiToWide(Question));
    Edit->EA1->SetText(AnsiToWide(A1));
    Edit->EA2->SetText(AnsiToWide(A2));
    Edit->EA3->SetText(AnsiToWide(A3));
    Edit->EA4->SetText(AnsiToWide(A4));
  }

  void ExpectListsInStep() {
    std::vector<AnsiString> Questions, Answers;
    for (int I = 0; I < Edit->Dict()->Count(); ++I) {
      Questions.push_back(WideToAnsi(Edit->Dict()->ItemText(0, I)));
      Answers.push_back(WideToAnsi(Edit->Dict()->ItemText(-1, I)));
    }
    EXPECT_EQ(Items(Edit->LBQ), Questions);
    EXPECT_EQ(Items(Edit->LBA), Answers);
    EXPECT_EQ(Edit->LBQ->ItemIndex(), Edit->LBA->ItemIndex());
  }

  // A click on a row the way the mouse gives it.
  static void ClickRow(TVsListBox* List, int Row) {
    const TRect R = List->ItemRect(Row);
    const LPARAM At = MAKELPARAM((R.left + R.right) / 2, (R.top + R.bottom) / 2);
    SendMessageA(List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
    SendMessageA(List->Handle(), WM_LBUTTONUP, 0, At);
  }

  // Saves with the save-as dialog answered: Name typed, then OK.
  void SaveAs(const AnsiString& Name, std::initializer_list<TStep> After = {}) {
    std::vector<TStep> Script{OnForm(FDicName, [Name] {
      FDicName->EDN->SetText(Name);
      Press(FDicName->BOk);
    })};
    Script.insert(Script.end(), After.begin(), After.end());
    RunScript(Script, [this] { Edit->IBSaveClick(nullptr); });
  }

  void Describe(const char* Title, const char* Description, bool LargeFont = false) {
    Edit->EQL->SetText(AnsiToWide(Title));
    Edit->MDesc->SetText(AnsiToWide(Description));
    Edit->CBResizeFont->SetChecked(LargeFont);
  }

  AnsiString Root, Tree;
  UINT_PTR Timer = 0;
  TFEdit* Edit = nullptr;
};

TEST_F(Editor, AddAndReplaceBuildEntriesAndListClicksPickTheCurrentOne) {
  EXPECT_EQ(Edit->Caption(), WideToAnsi(L"Edytor słowników"));
  EXPECT_EQ(Edit->EQ->MaxLength(), 80);
  EXPECT_EQ(Edit->IBReplace->Hint(), WideToAnsi(L"Zamień słówko"));
  EXPECT_FALSE(Edit->IBImport->Visible());
  EXPECT_EQ(OpenEditor(), Edit) << "a second editor only when no child window is active";
  EXPECT_EQ(FMain->MDIChildCount(), 1);

  Enter("", "answer");
  Edit->IBAdd->Click();
  EXPECT_EQ(Edit->Dict()->Count(), 0) << "no question, no entry";

  // Replace with no current entry appends; answers pack from the first slot.
  Enter("kot", "", "", "cat");
  Edit->IBReplace->Click();
  Enter("pies", "dog", "", "", "hound");
  Edit->IBAdd->Click();
  Enter("dom", "house");
  Edit->IBAdd->Click();
  EXPECT_EQ(Entries(Edit->Dict()), (std::vector<AnsiString>{"kot|cat|||", "pies|dog|hound||", "dom|house|||"}));
  EXPECT_EQ(Edit->CurrentIndex(), 2);
  EXPECT_EQ(Edit->LBQ->ItemIndex(), 2);
  ExpectListsInStep();

  // A click in the answer list selects the same row in the question list
  // and shows the entry; Replace then overwrites exactly that entry.
  ClickRow(Edit->LBA, 1);
  EXPECT_EQ(Edit->LBQ->ItemIndex(), 1);
  EXPECT_EQ(Edit->CurrentIndex(), 1);
  EXPECT_EQ(WideToAnsi(Edit->EQ->Text()), "pies");
  EXPECT_EQ(WideToAnsi(Edit->EA2->Text()), "hound");
  Edit->EA1->SetText(AnsiToWide(""));
  Edit->IBReplace->Click();
  EXPECT_EQ(Entries(Edit->Dict()), (std::vector<AnsiString>{"kot|cat|||", "pies|hound|||", "dom|house|||"}));
  EXPECT_EQ(Edit->CurrentIndex(), 1);
  ExpectListsInStep();
}

TEST_F(Editor, DeleteAndSortKeepTheListsInStepAndReplaceOverwritesNoOtherWord) {
  for (const char* Word : {"zebra", "Ala", "mysz", "kot"}) {
    Enter(Word, (AnsiString(Word) + "-1").c_str());
    Edit->IBAdd->Click();
  }
  Edit->LBQ->SetItemIndex(-1);
  Edit->IBDel->Click();
  EXPECT_EQ(Edit->Dict()->Count(), 4) << "nothing selected, nothing deleted";

  ClickRow(Edit->LBQ, 2);
  Edit->IBDel->Click();
  EXPECT_EQ(Entries(Edit->Dict()), (std::vector<AnsiString>{"zebra|zebra-1|||", "Ala|Ala-1|||", "kot|kot-1|||"}));
  EXPECT_EQ(Edit->CurrentIndex(), -1);
  EXPECT_EQ(Edit->LBQ->ItemIndex(), -1);
  EXPECT_TRUE(WideToAnsi(Edit->EQ->Text()).empty());
  ExpectListsInStep();

  // After the sort another word lies at the clicked position: Replace must
  // not overwrite it.
  ClickRow(Edit->LBQ, 0);
  Edit->IBSort->Click();
  EXPECT_EQ(Items(Edit->LBQ), (std::vector<AnsiString>{"Ala", "kot", "zebra"}));
  EXPECT_EQ(Edit->CurrentIndex(), -1);
  ExpectListsInStep();
  Edit->EA1->SetText(AnsiToWide("pasiak"));
  Edit->IBReplace->Click();
  EXPECT_EQ(Entries(Edit->Dict()),
            (std::vector<AnsiString>{"Ala|Ala-1|||", "kot|kot-1|||", "zebra|zebra-1|||", "zebra|pasiak|||"}));
  ExpectListsInStep();
}

TEST_F(Editor, SavedInANewFolderAndOpenedThroughTheChooserGivesTheSameDictionary) {
  Enter("\xBF\xF3\xB3w", "turtle", "tortoise");  // "żółw" in the system code page
  Edit->IBAdd->Click();
  Enter("kot", "cat");
  Edit->IBAdd->Click();
  Enter("pies", "dog");
  Edit->IBAdd->Click();
  Describe("Zwierz\xEAta", "Nazwy zwierz\xB9t", true);
  const std::vector<AnsiString> Saved = Entries(Edit->Dict());

  // An empty name keeps the dialog open; a new folder is made inside the
  // folder shown and the list moves into it.
  FDicName->DLB->SetDirectory(Root);
  SaveAs("", {OnForm(FDicName, [] { Press(FDicName->BCreate); }), AnswerFolderQuery("editor-test"),
              OnForm(FDicName, [this] {
                EXPECT_TRUE(AnsiSameText(FDicName->DLB->Directory(), Tree)) << FDicName->DLB->Directory();
                FDicName->EDN->SetText("zwierzeta.dic");  // a typed ending is not doubled
                PumpFor(100);
                SaveShot(FDicName->Handle(), "editor-saveas");
                Press(FDicName->BOk);
              })});
  PumpFor(100);
  const AnsiString Path = Tree + "\\zwierzeta.dic";
  ASSERT_TRUE(FileExists(Path));
  EXPECT_EQ(FileSize(Path), 484u + 810u * 3u);

  Edit->Close();
  ASSERT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  Edit = OpenEditor(true);
  ASSERT_NE(Edit, nullptr);
  EXPECT_TRUE(FDicName->EDN->Text().empty()) << "a new editor proposes no name";
  RunScript({OnForm(FSelDic,
              [&] {
                FSelDic->DLB->SetDirectory(Tree);
                FSelDic->FLDic->SetFileName(Path);
                FSelDic->FLDic->Click();
                PumpFor(100);
                SaveShot(FSelDic->Handle(), "editor-chooser");
                Press(FSelDic->BOk);
              })},
      [&] { Edit->IBOpenClick(nullptr); });
  EXPECT_EQ(Entries(Edit->Dict()), Saved);
  EXPECT_EQ(WideToAnsi(Edit->EQL->Text()), "Zwierz\xEAta");
  EXPECT_EQ(WideToAnsi(Edit->MDesc->Text()), "Nazwy zwierz\xB9t");
  EXPECT_TRUE(Edit->CBResizeFont->Checked());
  EXPECT_EQ(Edit->CurrentIndex(), -1);
  EXPECT_EQ(Edit->LBQ->ItemIndex(), -1);
  ExpectListsInStep();
  EXPECT_EQ(FDicName->EDN->Text(), "zwierzeta");
  EXPECT_TRUE(AnsiSameText(FDicName->DLB->Directory(), Tree)) << "the save-as dialog follows the opened file";
  FMain->Repaint();
  PumpFor(200);
  SaveShot(FMain->Handle(), "editor-window");
}

TEST_F(Editor, TitleAndDescriptionTakeNoMoreThanTheFileHolds) {
  // Typed as the keyboard gives it: what shows is what is saved.
  auto Type = [](TWinControl* Control, int Count, char C) {
    for (int I = 0; I < Count; ++I) SendMessageA(Control->Handle(), WM_CHAR, static_cast<unsigned char>(C), 0);
  };
  Type(Edit->EQL, 90, 'T');
  Type(Edit->MDesc, 170, 'D');
  EXPECT_EQ(WideToAnsi(Edit->EQL->Text()), AnsiString(81, 'T'));
  EXPECT_EQ(WideToAnsi(Edit->MDesc->Text()), AnsiString(160, 'D'));
  Edit->CBResizeFont->SetChecked(true);
  ASSERT_TRUE(ForceDirectories(Tree));
  FDicName->DLB->SetDirectory(Tree);
  SaveAs("dlugi");
  TDict Saved;
  Saved.LoadFromFile(Tree + "\\dlugi.dic");
  EXPECT_EQ(WideToAnsi(Saved.GetTitle()), WideToAnsi(Edit->EQL->Text()));
  EXPECT_EQ(WideToAnsi(Saved.GetDescription()), WideToAnsi(Edit->MDesc->Text()));
  EXPECT_TRUE(Saved.HasResizeFont());
}

TEST_F(Editor, ReplacingAnExistingFileIsAskedAndTheCloseBoxAlwaysCloses) {
  ASSERT_TRUE(ForceDirectories(Tree));
  FDicName->DLB->SetDirectory(Tree);
  Describe("Tytu\xB3", "Opis");
  Enter("kot", "cat");
  Edit->IBAdd->Click();
  SaveAs("plik");
  const AnsiString Path = Tree + "\\plik.dic";
  ASSERT_EQ(FileSize(Path), 484u + 810u);

  Enter("pies", "dog");
  Edit->IBAdd->Click();
  TBoxSeen Seen;
  // No keeps the dialog open; its close box then leaves without saving.
  SaveAs("plik", {AnswerBox(IDNO, &Seen), OnForm(FDicName, [] { PostMessageA(FDicName->Handle(), WM_CLOSE, 0, 0); })});
  EXPECT_EQ(Seen.Text, L"Plik istnieje. Zastąpić?");
  EXPECT_EQ(Seen.Caption, L"Potwierdź zastępowanie");
  EXPECT_FALSE(FDicName->Visible());
  EXPECT_EQ(FileSize(Path), 484u + 810u);

  SaveAs("plik", {AnswerBox(IDYES, &Seen)});
  EXPECT_EQ(FileSize(Path), 484u + 810u * 2u);
  EXPECT_FALSE(FileExists(Path + ".dic"));
}

TEST_F(Editor, RefusedNamesAndMissingTextsShowTheirMessageAndWriteNothing) {
  TBoxSeen Seen;
  Enter("kot", "cat");
  Edit->IBAdd->Click();
  Describe("Tytu\xB3", "");
  // The save-as dialog must not come up at all.
  RunScript({AnswerBox(IDOK, &Seen)}, [&] { Edit->IBSaveClick(nullptr); });
  EXPECT_EQ(Seen.Text, L"Brak tytułu lub opisu słownika. Uzupełnij dane i zapisz słownik.");
  EXPECT_EQ(Seen.Caption, L"Błąd");

  ASSERT_TRUE(ForceDirectories(Tree));
  FDicName->DLB->SetDirectory(Tree);
  Describe("Tytu\xB3", "Opis");
  for (const char* Name : {"..\\obok", "a/b", "c:x", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", ".dic", "a..b"}) {
    SCOPED_TRACE(Name);
    Seen = {};
    SaveAs(Name, {AnswerBox(IDOK, &Seen), OnForm(FDicName, [] { Press(FDicName->BCancel); })});
    EXPECT_EQ(Seen.Text, L"Nie można utworzyć pliku. Sprawdź czy podana nazwa jest prawidłowa.");
    EXPECT_EQ(Seen.Caption, L"Błąd pliku");
  }
  for (const char* Name : {"..\\..\\obok", "a\\b", "a:b", "a*b", ".."}) {
    SCOPED_TRACE(Name);
    Seen = {};
    RunScript({OnForm(FDicName, [] { Press(FDicName->BCreate); }), AnswerFolderQuery(Name), AnswerBox(IDOK, &Seen),
         OnForm(FDicName, [] { Press(FDicName->BCancel); })},
        [&] { Edit->IBSaveClick(nullptr); });
    EXPECT_EQ(Seen.Text, L"Nie można utworzyć katalogu. Sprawdź czy podana nazwa jest prawidłowa.");
    EXPECT_EQ(Seen.Caption, L"Błąd");
    EXPECT_TRUE(AnsiSameText(FDicName->DLB->Directory(), Tree));
  }
  EXPECT_TRUE(std::filesystem::is_empty(Tree.c_str()));
  EXPECT_FALSE(FileExists(Root + "\\obok.dic"));
  EXPECT_FALSE(DirectoryExists(ExtractFileDir(Root) + "\\obok"));

  // A name that cannot become a file (a folder has it) fails at the save
  // itself: reported, nothing left behind, the dictionary still there.
  ASSERT_TRUE(ForceDirectories(Tree + "\\zajety.dic"));
  Seen = {};
  SaveAs("zajety", {AnswerBox(IDOK, &Seen)});
  EXPECT_EQ(Seen.Text, L"Nie można utworzyć pliku. Sprawdź czy podana nazwa jest prawidłowa.");
  EXPECT_EQ(Seen.Caption, L"Błąd pliku");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Tree.c_str()), {}), 1);
  EXPECT_EQ(Edit->Dict()->Count(), 1);
}

TEST_F(Editor, CancelledOpenKeepsTheWorkAndAnUnreadableFileIsReported) {
  ASSERT_TRUE(ForceDirectories(Tree));
  std::ofstream((Tree + "\\zepsuty.dic").c_str(), std::ios::binary) << std::string(500, 'x');
  Enter("kot", "cat");
  Edit->IBAdd->Click();
  Describe("Nowy tytu\xB3", "Nowy opis");
  FDicName->EDN->SetText("nowy");

  RunScript({OnForm(FSelDic,
              [&] {
                FSelDic->DLB->SetDirectory(Tree);
                FSelDic->FLDic->SetFileName(Tree + "\\zepsuty.dic");
                Press(FSelDic->BCancel);
              })},
      [&] { Edit->IBOpenClick(nullptr); });
  EXPECT_EQ(Entries(Edit->Dict()), std::vector<AnsiString>{"kot|cat|||"});
  EXPECT_EQ(WideToAnsi(Edit->EQL->Text()), "Nowy tytu\xB3");
  EXPECT_EQ(WideToAnsi(Edit->MDesc->Text()), "Nowy opis");
  EXPECT_EQ(FDicName->EDN->Text(), "nowy");

  TBoxSeen Seen;
  RunScript({OnForm(FSelDic, [] { Press(FSelDic->BOk); }), AnswerBox(IDOK, &Seen)}, [&] { Edit->IBOpenClick(nullptr); });
  EXPECT_EQ(Seen.Text, L"Nie można załadować słownika. Plik jest uszkodzony.");
  EXPECT_EQ(Seen.Caption, L"Błąd pliku");
  EXPECT_EQ(Edit->Dict()->Count(), 0);
  ExpectListsInStep();
  EXPECT_EQ(FDicName->EDN->Text(), "zepsuty");
}

TEST_F(Editor, OpeningProposesTheFileNameWithoutItsEnding) {
  ASSERT_TRUE(ForceDirectories(Tree));
  const struct {
    const char* File;
    const char* Proposed;
  } Cases[] = {
      {"angielski.dic", "angielski"},
      {"a.dictionary.dic", "a.dictionary"},  // only the ending goes
      {"WIELKI.DIC", ""},                    // the ending as written, in lower case
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.File);
    const AnsiString Path = Tree + "\\" + Case.File;
    std::ofstream(Path.c_str(), std::ios::binary);  // an empty dictionary
    FDicName->EDN->SetText("stara");
    RunScript({OnForm(FSelDic,
                      [&] {
                        FSelDic->DLB->SetDirectory(Tree);
                        FSelDic->FLDic->SetFileName(Path);
                        Press(FSelDic->BOk);
                      })},
              [&] { Edit->IBOpenClick(nullptr); });
    EXPECT_EQ(FDicName->EDN->Text(), Case.Proposed);
  }
}

TEST_F(Editor, ShortcutKeysTypeTheirCharacterIntoTheEditsAndNothingElse) {
  FMain->KeyHelpers->SetText("81=261");  // the Q key types U+0105
  Edit->EA1->SetText(AnsiToWide("ab"));
  Edit->EA1->SetFocus();
  Edit->EA1->Perform(EM_SETSEL, 1, 1);
  // Real key messages: the key-down, and the character the message loop
  // makes of it.
  PostMessageA(Edit->EA1->Handle(), WM_KEYDOWN, 'Q', 1);
  PostMessageA(Edit->EA1->Handle(), WM_KEYUP, 'Q', 0xC0000001);
  PumpFor(100);
  EXPECT_EQ(WideToAnsi(Edit->EA1->Text()), "a\xB9" "b");
  EXPECT_EQ(Edit->EA1->SelStart(), 2);
  // Other keys type as ever.
  PostMessageA(Edit->EA1->Handle(), WM_KEYDOWN, 'W', 1);
  PostMessageA(Edit->EA1->Handle(), WM_KEYUP, 'W', 0xC0000001);
  PumpFor(100);
  EXPECT_EQ(WideToAnsi(Edit->EA1->Text()), "a\xB9wb");
}

TEST_F(Editor, ImportFillsTheListsFromATabSeparatedFile) {
  ClickRow(Edit->LBQ, 0);
  Enter("stary", "old");
  Edit->IBAdd->Click();
  AnsiString Fixture = AnsiString(FIXTURES_DIR) + "/trainer/import_cp1250.txt";
  for (char& C : Fixture)
    if (C == '/') C = '\\';
  RunScript({AnswerOpenDialog(Fixture)}, [&] { Edit->IBImportClick(nullptr); });
  ASSERT_EQ(Edit->Dict()->Count(), 9);
  EXPECT_EQ(EntryText(Edit->Dict(), 0), "kot|cat|||");
  EXPECT_EQ(EntryText(Edit->Dict(), 8), "\xE6ma|moth|||");
  EXPECT_EQ(Edit->CurrentIndex(), -1);
  ExpectListsInStep();
}

TEST_F(Editor, EntriesOutsideTheCodePageShowWholeAndTypingJumpsToThem) {
  ASSERT_TRUE(ForceDirectories(Tree));
  const AnsiString Path = SaveDict(Tree + "\\obce.dic", {{L"ālo", {L"hello"}},
                                                         {L"żaba", {L"frog"}},
                                                         {L"źdźbło", {L"blade", L"stalk"}},
                                                         {L"ζώο", {L"animal"}},
                                                         {L"ōra", {L"ōrb", L"ring"}}});
  RunScript({OnForm(FSelDic,
                    [&] {
                      FSelDic->DLB->SetDirectory(Tree);
                      FSelDic->FLDic->SetFileName(Path);
                      Press(FSelDic->BOk);
                    })},
            [&] { Edit->IBOpen->Click(); });
  ASSERT_EQ(Edit->LBQ->Items()->Count(), 5);
  EXPECT_EQ(Edit->LBQ->Items()->Strings(0), L"ālo");
  EXPECT_EQ(Edit->LBQ->Items()->Strings(3), L"ζώο");
  EXPECT_EQ(Edit->LBA->Items()->Strings(4), Edit->Dict()->ItemText(-1, 4));
  EXPECT_NE(Edit->LBA->Items()->Strings(4).find(L"ōrb"), WideString::npos);
  EXPECT_EQ(SendMessageW(Edit->LBQ->Handle(), LB_GETCOUNT, 0, 0), 5);
  // "źd" arrives as the input method's result (no key of the test display
  // types it); the answer list follows the question list.
  SetForegroundWindow(FMain->Handle());
  SetFocus(Edit->LBQ->Handle());
  const HIMC Context = ImmGetContext(Edit->LBQ->Handle());
  ASSERT_NE(Context, nullptr);
  WCHAR Typed[] = L"\x017A" L"d";
  ImmSetCompositionStringW(Context, SCS_SETSTR, Typed, sizeof(Typed) - sizeof(WCHAR), nullptr, 0);
  ImmNotifyIME(Context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ImmReleaseContext(Edit->LBQ->Handle(), Context);
  WaitUntil("the question list to jump to \"źdźbło\"", [this] { return Edit->LBQ->ItemIndex() == 2; }, 2000);
  EXPECT_EQ(Edit->LBA->ItemIndex(), 2);
  EXPECT_EQ(Edit->CurrentIndex(), 2);
  SaveShot(Edit->Handle(), "editor-unicode", 100);
}

TEST_F(Editor, ALargeDictionaryKeepsBothListsInStepThroughOpenEditSortAndReopen) {
  ASSERT_TRUE(ForceDirectories(Tree));
  const AnsiString Path = Tree + "\\duzy.dic";
  const int Count = 3000;
  {
    TDict Large;
    Large.SetTitle(L"Du\u017Cy");
    TQuestion Q;
    for (int I = 0; I < Count; ++I) {
      // Descending words, so that the sort turns the order round.
      Q.Clear();
      Q.SetQuestion(L"s\u0142owo" + std::to_wstring(200000 - I));
      Q.SetAnswer(1, L"word" + std::to_wstring(I));
      if (I % 2) Q.SetAnswer(2, L"\u017Cart" + std::to_wstring(I));
      Large.Add(Q.Record());
    }
    Large.SaveToFile(Path);
  }
  auto Open = [&] {
    RunScript({OnForm(FSelDic,
                      [&] {
                        FSelDic->DLB->SetDirectory(Tree);
                        FSelDic->FLDic->SetFileName(Path);
                        Press(FSelDic->BOk);
                      })},
              [&] { Edit->IBOpen->Click(); });
  };
  Open();
  ASSERT_EQ(Edit->Dict()->Count(), Count);
  EXPECT_EQ(WideToAnsi(Edit->EQL->Text()), WideToAnsi(L"Du\u017Cy"));
  EXPECT_EQ(Edit->LBQ->Items()->Count(), Count);
  ExpectListsInStep();

  // A row far down, clicked where the list shows it, then replaced.
  Edit->LBQ->SetTopIndex(2000);
  PumpFor(50);
  ClickRow(Edit->LBQ, 2001);
  EXPECT_EQ(Edit->LBA->ItemIndex(), 2001);
  EXPECT_EQ(Edit->LBA->TopIndex(), Edit->LBQ->TopIndex());
  Edit->EA1->SetText(AnsiToWide("nowe"));
  Edit->IBReplace->Click();
  EXPECT_EQ(EntryText(Edit->Dict(), 2001), WideToAnsi(L"s\u0142owo197999|nowe|\u017Cart2001||"));
  EXPECT_EQ(Edit->LBQ->ItemIndex(), 2001);
  ExpectListsInStep();
  SaveShot(Edit->Handle(), "editor-large", 100);

  ClickRow(Edit->LBQ, 2002);
  Edit->IBDel->Click();
  EXPECT_EQ(Edit->Dict()->Count(), Count - 1);
  ExpectListsInStep();

  Edit->IBSort->Click();
  EXPECT_EQ(Edit->LBQ->Items()->Strings(0), L"s\u0142owo197001");
  ExpectListsInStep();

  // Opened again over itself: the file as saved, nothing of the edits.
  Open();
  ASSERT_EQ(Edit->Dict()->Count(), Count);
  EXPECT_EQ(Edit->LBQ->ItemIndex(), -1);
  ExpectListsInStep();
  Edit->Close();
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; })) << "the editor did not close";
  Edit = nullptr;
}

// --- a close asked for while one of the editor's dialogs is open

// Once Up() holds, the editor gets WM_CLOSE as from its close box.
TStep CloseWhen(TFEdit* Edit, std::function<bool()> Up) {
  return [=] {
    if (!Up()) return false;
    SendMessageA(Edit->Handle(), WM_CLOSE, 0, 0);
    return true;
  };
}

// A tick later, what that close posted has been served (posted messages
// come before timer ones): the editor must still be there.
TStep StillThere(const char* Dialog) {
  return [=] {
    EXPECT_EQ(FMain->MDIChildCount(), 1) << "the editor was freed under " << Dialog;
    return true;
  };
}

bool ChooserUp() { return FSelDic->Visible() && IsWindowEnabled(FSelDic->Handle()); }
bool SaveAsUp() { return FDicName->Visible() && IsWindowEnabled(FDicName->Handle()); }
bool BoxUp() { return FindMessageBox() != nullptr; }
bool OpenDialogUp() {
  HWND Box = FindWindowW(L"#32770", nullptr);
  return Box && IsWindowVisible(Box) && !GetDlgItem(Box, 0xFFFF);
}

TEST_F(Editor, ClosedWhileItsDialogIsOpenItClosesOnceTheDialogIsDone) {
  ASSERT_TRUE(ForceDirectories(Tree));
  const AnsiString Good = SaveDict(Tree + "\\dobry.dic", {{L"kot", {L"cat"}}, {L"pies", {L"dog"}}});
  const AnsiString Damaged = Tree + "\\zepsuty.dic";
  std::ofstream(Damaged.c_str(), std::ios::binary) << std::string(500, 'x');
  AnsiString Fixture = AnsiString(FIXTURES_DIR) + "/trainer/import_cp1250.txt";
  for (char& C : Fixture)
    if (C == '/') C = '\\';
  auto Choose = [](const AnsiString& Path) {
    return OnForm(FSelDic, [=] {
      FSelDic->DLB->SetDirectory(ExtractFileDir(Path));
      FSelDic->FLDic->SetFileName(Path);
      Press(FSelDic->BOk);
    });
  };
  TBoxSeen Seen;

  const struct {
    const char* Dialog;
    std::function<bool()> Up;
    std::function<void(TFEdit*)> Open;  // what opens the dialog
    std::vector<TStep> Answer;
    int Entries;  // the editor's entries once the dialog is done
  } Cases[] = {
      {"the chooser", ChooserUp, [](TFEdit* E) { E->IBOpen->Click(); }, {Choose(Good)}, 2},
      {"the load error", BoxUp, [](TFEdit* E) { E->IBOpen->Click(); }, {AnswerBox(IDOK, &Seen)}, 0},
      {"the save-as dialog", SaveAsUp, [](TFEdit* E) { E->IBSave->Click(); },
       {OnForm(FDicName,
               [] {
                 FDicName->EDN->SetText("zapisany");
                 Press(FDicName->BOk);
               })},
       1},
      {"the missing-title message", BoxUp, [](TFEdit* E) { E->IBSave->Click(); }, {AnswerBox(IDOK, &Seen)}, 1},
      {"the import dialog", OpenDialogUp, [](TFEdit* E) { E->IBImportClick(nullptr); }, {AnswerOpenDialog(Fixture)},
       9},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Dialog);
    if (!Edit) Edit = OpenEditor();
    ASSERT_NE(Edit, nullptr);
    Enter("dom", "house");
    Edit->IBAdd->Click();
    const bool Titled = std::string(Case.Dialog) != "the missing-title message";
    Describe(Titled ? "Tytu\xB3" : "", "Opis");
    FDicName->DLB->SetDirectory(Tree);

    std::vector<TStep> Script;
    if (std::string(Case.Dialog) == "the load error") {
      // The chooser names the damaged file; its message is the dialog.
      Script.push_back(Choose(Damaged));
    }
    Script.push_back(CloseWhen(Edit, Case.Up));
    Script.push_back(StillThere(Case.Dialog));
    Script.insert(Script.end(), Case.Answer.begin(), Case.Answer.end());
    int Entries = -1;
    RunScript(Script, [&] {
      Case.Open(Edit);
      Entries = Edit->Dict()->Count();
    });
    EXPECT_EQ(Entries, Case.Entries) << "the handler went on in the living window";
    EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }))
        << "the editor did not close once " << Case.Dialog << " was done";
    Edit = nullptr;
  }
  EXPECT_EQ(FileSize(Tree + "\\zapisany.dic"), 484u + 810u);
}


TEST_F(Editor, AMacronTypedIntoAnAnswerIsSavedReadBackAndShown) {
  Edit->EQ->SetText(L"kot");
  SetForegroundWindow(FMain->Handle());
  Edit->EA1->SetFocus();
  PumpFor(50);
  ASSERT_EQ(GetFocus(), Edit->EA1->Handle());
  // Real keys: "k", then Ctrl+O for the o with a macron.

  PressKeys({'K'});
  PressKeys({VK_CONTROL, 'O'});
  ASSERT_EQ(Edit->EA1->Text(), L"k\u014D");
  Edit->IBAdd->Click();
  Describe("Makron", "Opis");
  ASSERT_TRUE(ForceDirectories(Tree));
  FDicName->DLB->SetDirectory(Tree);
  SaveAs("makron");
  TDict Saved;
  Saved.LoadFromFile(Tree + "\\makron.dic");
  ASSERT_EQ(Saved.Count(), 1);
  EXPECT_EQ(Saved.ItemText(1, 0), L"k\u014D");
  Edit->EA1->SetText(WideString());
  ClickRow(Edit->LBQ, 0);
  EXPECT_EQ(Edit->EA1->Text(), L"k\u014D") << "the entry shows again";
}

}  // namespace
