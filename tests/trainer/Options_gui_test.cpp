// The options window inside the main window: its pages, the learning and
// test settings in "dict.cfg", and the users with their result files.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Lists.h"
#include "Menus.h"
#include "Streams.h"
#include "TestSupport.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

std::vector<WideString> WideLines(const TUniStrings* Items) {
  std::vector<WideString> Result;
  for (int I = 0; I < Items->Count(); ++I) Result.push_back(Items->Strings(I));
  return Result;
}

// The size of a user's result file, -1 when there is none.
Int64 ResultSize(const AnsiString& Name) {
  if (!FileExists(ResultFile(Name))) return -1;
  TFileStream File(ResultFile(Name), fmOpenRead);
  return File.Size();
}

AnsiString Profile(const char* Section, const char* Key) {
  char Value[300] = {};
  GetPrivateProfileStringA(Section, Key, "(none)", Value, sizeof Value, ConfigPath().c_str());
  return Value;
}

const char* const TestUsers[] = {"Ala", "Bartek", "Czesiek", "Ewa", "Jan"};

class Options : public ::testing::Test {
protected:
  void SetUp() override {
    DeleteFile(ConfigPath());
    for (const char* Name : TestUsers) DeleteFile(ResultFile(Name));
  }
  void TearDown() override {
    FreeAndNil(FMain);
    DeleteFile(ConfigPath());
    for (const char* Name : TestUsers) DeleteFile(ResultFile(Name));
  }

  // The main window with the user current; no options window is open.
  void OpenMain(const char* User) {
    WritePrivateProfileStringA("global", "LastUser", User, ConfigPath().c_str());
    Application->CreateForm(FMain);
    FMain->Show();
    PumpFor(100);
    ASSERT_EQ(FMain->MDIChildCount(), 0);
  }

  static TFOptions* Current() { return dynamic_cast<TFOptions*>(FMain->ActiveMDIChild()); }

  // The menu item clicked on the real menu, as the user does it.
  static TFOptions* OpenFromMenu(TMenuItem* Item) {
    PostMessageA(FMain->Handle(), WM_COMMAND, MAKEWPARAM(Item->Command(), 0), 0);
    WaitUntil("the options window", [] { return Current() != nullptr; });
    return Current();
  }

  static void Click(TWinControl* Control) { SendMessageA(Control->Handle(), BM_CLICK, 0, 0); }

  // A press and release of the left button on a windowless control.
  static void Click(TControl* Control) {
    const int X = Control->Left() + Control->Width() / 2, Y = Control->Top() + Control->Height() / 2;
    HWND Parent = Control->Parent()->Handle();
    SendMessageA(Parent, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageA(Parent, WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  }

  // Picks a user the way the user does: the box's selection, then its
  // change notification to the parent.
  static void ChooseUser(TFOptions* Form, const AnsiString& Name) {
    HWND Box = Form->CBUsers->Handle();
    const int Index = Form->CBUsers->Items()->IndexOf(Name);
    ASSERT_GE(Index, 0) << Name;
    SendMessageA(Box, CB_SETCURSEL, Index, 0);
    SendMessageA(GetParent(Box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Box));
  }

  static void AddUser(TFOptions* Form, const AnsiString& Name) {
    SetWindowTextA(Form->EUser->Handle(), Name.c_str());
    Click(static_cast<TControl*>(Form->IBAddUser));
  }

  static void ClickPage(TFOptions* Form, int Index) {
    HWND List = Form->LBMenu->Handle();
    SendMessageA(List, LB_SETCURSEL, Index, 0);
    SendMessageA(GetParent(List), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(List), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(List));
  }

  static void CloseWith(TButton* Button) {
    Click(Button);
    WaitUntil("the options window to close", [] { return FMain->MDIChildCount() == 0; });
  }
};

TEST_F(Options, EachEntryPointOpensItsPage) {
  OpenMain("Ala");
  struct TCase {
    const char* Entry;
    TMenuItem* Item;
    TGroupBox* TFOptions::*Page;
    int MenuIndex;
    const char* Shot;
  };
  const TCase Cases[] = {
      {"Użytkownicy", FMain->Uytkownicy1, &TFOptions::GBUsers, 1, "options-users"},
      {"Opcje (nauka i testy)", FMain->Opcjenaukaitesty1, &TFOptions::GBTest, 0, "options-test"},
      {"Klawisze skrótów", FMain->KeyHelpers1, &TFOptions::GBSC, 1, "options-shortcuts"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Entry);
    TFOptions* Form = OpenFromMenu(Case.Item);
    ASSERT_NE(Form, nullptr);
    for (TGroupBox* Group : {Form->GBTest, Form->GBUsers, Form->GBSC})
      EXPECT_EQ(IsWindowVisible(Group->Handle()) != 0, Group == Form->*Case.Page) << Group->Name();
    EXPECT_EQ(SendMessageA(Form->LBMenu->Handle(), LB_GETCURSEL, 0, 0), Case.MenuIndex);
    EXPECT_EQ(Form->Top(), (FMain->ClientHeight() - (Form->Height() + FMain->PTop->Height())) / 2);
    EXPECT_EQ(Form->Left(), (FMain->ClientWidth() - Form->Width()) / 2);
    SaveShot(Form->Handle(), Case.Shot, 100);
    // Another request while the window is open opens no second one.
    FMain->Uytkownicy1Click(nullptr);
    EXPECT_EQ(FMain->MDIChildCount(), 1);
    CloseWith(Form->BCancel);
  }

  // The tool button and the user label, and the page list switching.
  FMain->ToolButton5->Click();
  TFOptions* Form = Current();
  ASSERT_NE(Form, nullptr);
  EXPECT_TRUE(Form->GBTest->Visible());
  ClickPage(Form, 1);
  EXPECT_TRUE(Form->GBUsers->Visible());
  EXPECT_FALSE(Form->GBTest->Visible());
  ClickPage(Form, 0);
  EXPECT_TRUE(Form->GBTest->Visible());
  CloseWith(Form->BCancel);
  Click(static_cast<TControl*>(FMain->LUser));
  ASSERT_NE(Current(), nullptr);
  EXPECT_TRUE(Current()->GBUsers->Visible());
}

TEST_F(Options, SettingsAreWrittenOnOkAndApplyAndNotOnCancel) {
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Opcjenaukaitesty1);
  ASSERT_NE(Form, nullptr);
  // Defaults without a file.
  EXPECT_EQ(Form->SERep->Value(), 1);
  EXPECT_TRUE(Form->CBRandom->Checked());
  EXPECT_TRUE(Form->CBLStats->Checked());
  EXPECT_TRUE(Form->CBTStats->Checked());
  EXPECT_FALSE(Form->CBBledy->Checked());

  Form->SERep->SetValue(3);
  Click(Form->CBRandom);
  // The main window re-places its child on a resize; what the user changed
  // and the page shown stay.
  Form->SetLeft(0);
  FMain->FormResize(FMain);
  EXPECT_EQ(Form->Left(), (FMain->ClientWidth() - Form->Width()) / 2);
  EXPECT_EQ(Form->SERep->Value(), 3);
  EXPECT_FALSE(Form->CBRandom->Checked());
  EXPECT_TRUE(Form->GBTest->Visible());
  CloseWith(Form->BCancel);
  EXPECT_EQ(Profile("test", "repeat count"), "(none)");
  EXPECT_EQ(Profile("test", "randomize"), "(none)");

  Form = OpenFromMenu(FMain->Opcjenaukaitesty1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->SERep->Value(), 1);
  EXPECT_TRUE(Form->CBRandom->Checked());
  Form->SERep->SetValue(4);
  Click(Form->CBRandom);
  Click(Form->CBBledy);
  Click(Form->BApply);
  // What Apply wrote stays after Cancel.
  Click(Form->CBTStats);
  CloseWith(Form->BCancel);
  EXPECT_EQ(Profile("test", "repeat count"), "4");
  EXPECT_EQ(Profile("test", "randomize"), "0");
  EXPECT_EQ(Profile("test", "TStats"), "1");
  EXPECT_EQ(Profile("test", "Errors"), "1");

  Form = OpenFromMenu(FMain->Opcjenaukaitesty1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->SERep->Value(), 4);
  EXPECT_FALSE(Form->CBRandom->Checked());
  EXPECT_TRUE(Form->CBTStats->Checked());
  EXPECT_TRUE(Form->CBBledy->Checked());
  Form->SERep->SetValue(5);
  Click(Form->CBLStats);
  Click(Form->CBTStats);
  CloseWith(Form->BOk);
  EXPECT_EQ(Profile("test", "repeat count"), "5");
  EXPECT_EQ(Profile("test", "LStats"), "0");
  EXPECT_EQ(Profile("test", "TStats"), "0");

  // Esc closes without saving, as Cancel does.
  Form = OpenFromMenu(FMain->Opcjenaukaitesty1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->SERep->Value(), 5);
  EXPECT_FALSE(Form->CBLStats->Checked());
  Form->SERep->SetValue(2);
  PostMessageA(Form->SERep->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  EXPECT_EQ(Profile("test", "repeat count"), "5");
}

TEST_F(Options, UsersAreAddedChosenRenamedAndDeletedWithTheirFiles) {
  {
    TDUser Ala("Ala");
    Ala.AddResult("Angielski", 3, 4);
    Ala.Save();
  }
  WritePrivateProfileStringA("users", "0", "Ala", ConfigPath().c_str());
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala"}));
  EXPECT_EQ(Form->CBUsers->ItemIndex(), 0);
  EXPECT_EQ(Form->EUser->Text(), "Ala");

  // A new user starts with an empty file and is current at once; the
  // previous user's results stay in its file.
  AddUser(Form, "  Bartek ");
  EXPECT_EQ(FMain->CurrentUser->Name(), "Bartek");
  EXPECT_EQ(FMain->LUser->Caption(), "Bartek");
  EXPECT_EQ(ResultSize("Bartek"), 0);
  EXPECT_EQ(ResultSize("Ala"), ResultRecordBytes);
  EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala", "Bartek"}));
  EXPECT_EQ(Form->CBUsers->ItemIndex(), 1);
  SaveShot(Form->Handle(), "options-users-added", 100);

  ChooseUser(Form, "Ala");
  EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
  EXPECT_EQ(FMain->LUser->Caption(), "Ala");
  EXPECT_EQ(Form->EUser->Text(), "Ala");
  EXPECT_EQ(FMain->CurrentUser->Results()->Size(), ResultRecordBytes);

  // Rename: the file moves with the name, the label follows.
  ChooseUser(Form, "Bartek");
  SetWindowTextA(Form->EUser->Handle(), "Czesiek");
  Form->IBReplaceUserClick(Form->IBReplaceUser);
  EXPECT_EQ(ResultSize("Bartek"), -1);
  EXPECT_EQ(ResultSize("Czesiek"), 0);
  EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala", "Czesiek"}));
  EXPECT_EQ(Form->CBUsers->ItemIndex(), 1);
  EXPECT_EQ(FMain->LUser->Caption(), "Czesiek");

  // The list reaches "dict.cfg" only with OK or Apply.
  Click(Form->BApply);
  EXPECT_EQ(Profile("users", "0"), "Ala");
  EXPECT_EQ(Profile("users", "1"), "Czesiek");

  // Delete: the file goes, the first remaining user becomes current; with
  // nobody left there is no user, never a nameless one.
  Click(static_cast<TControl*>(Form->IBDelUser));
  EXPECT_EQ(ResultSize("Czesiek"), -1);
  EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala"}));
  EXPECT_EQ(Form->CBUsers->ItemIndex(), 0);
  EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
  Click(static_cast<TControl*>(Form->IBDelUser));
  EXPECT_EQ(ResultSize("Ala"), -1);
  EXPECT_EQ(Form->CBUsers->Items()->Count(), 0);
  EXPECT_EQ(Form->CBUsers->ItemIndex(), -1);
  EXPECT_EQ(FMain->CurrentUser->Name(), "noname");
  EXPECT_EQ(FMain->LUser->Caption(), "noname");
  EXPECT_EQ(Form->EUser->Text(), "");
  CloseWith(Form->BOk);
  EXPECT_EQ(Profile("users", "0"), "(none)");
}

TEST_F(Options, RefusedNamesShowWhyAndChangeNothing) {
  WritePrivateProfileStringA("users", "0", "Ala", ConfigPath().c_str());
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  const std::wstring Invalid = L"Nieprawidłowe imię";
  struct TCase {
    const char* Name;
    std::wstring Text;
    std::wstring Caption;
  };
  const TCase Cases[] = {
      {"", L"Wpisz imię użytkownika.", Invalid},
      {"   ", L"Wpisz imię użytkownika.", Invalid},
      {"noname", L"Imię „noname” jest zastrzeżone. Wpisz inne imię.", Invalid},
      {" NoName", L"Imię „noname” jest zastrzeżone. Wpisz inne imię.", Invalid},
      {"Jan \"Ewa\"", L"Imię użytkownika nie może zawierać cudzysłowu (\").", Invalid},
      {"\"Jan\"", L"Imię użytkownika nie może zawierać cudzysłowu (\").", Invalid},
      {"ala", L"Nie można utworzyć drugiego użytkownika o takim samym imieniu.", L"Użytkownik istnieje"},
      {" Ala ", L"Nie można utworzyć drugiego użytkownika o takim samym imieniu.", L"Użytkownik istnieje"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TBoxAnswerer Answerer;
    AddUser(Form, Case.Name);
    EXPECT_EQ(Answerer.Texts(), std::vector<std::wstring>{Case.Text});
    EXPECT_EQ(Answerer.Captions(), std::vector<std::wstring>{Case.Caption});
    EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala"}));
    EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
    EXPECT_EQ(ResultSize(Trim(AnsiString(Case.Name))), -1);
  }

  // Renaming checks the new name the same way.
  {
    TBoxAnswerer Answerer;
    Form->RenameUserEntry("Ala", "noname");
    EXPECT_EQ(Answerer.Captions(), std::vector<std::wstring>{Invalid});
    EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala"}));
  }
}

TEST_F(Options, CurrentUserIsFoundByItsExactSpellingFirst) {
  WritePrivateProfileStringA("users", "0", "ala", ConfigPath().c_str());
  WritePrivateProfileStringA("users", "1", "Ala", ConfigPath().c_str());
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->CBUsers->ItemIndex(), 1);
  EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
}

TEST_F(Options, ReaddedUserGetsItsResultsBack) {
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  AddUser(Form, "Ewa");
  FMain->CurrentUser->AddResult("Niemiecki", 5, 8);
  FMain->CurrentUser->Save();
  // Cancel keeps the file but not the list entry.
  CloseWith(Form->BCancel);
  EXPECT_EQ(Profile("users", "0"), "(none)");

  Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->CBUsers->Items()->Count(), 0);
  EXPECT_EQ(FMain->CurrentUser->Name(), "Ewa") << "no selection keeps the current user";
  AddUser(Form, "Ewa");
  EXPECT_EQ(ResultSize("Ewa"), ResultRecordBytes);
  EXPECT_EQ(FMain->CurrentUser->TestedDictionaries()->Count(), 1);
  CloseWith(Form->BOk);
  EXPECT_EQ(Profile("users", "0"), "Ewa");
}

TEST_F(Options, FirstStartEndsOnTheUsersPageAndTheAddedUserIsCurrent) {
  TFOptions* Form = nullptr;
  {
    TBoxAnswerer Answerer;
    Application->CreateForm(FMain);
    FMain->Show();
    WaitUntil("the users page after the first-start question", [] { return Current() != nullptr; });
    Form = Current();
    EXPECT_EQ(Answerer.Texts(), std::vector<std::wstring>{L"Przed rozpoczęciem pracy musisz utworzyć użytkownika."});
    EXPECT_EQ(Answerer.Captions(), std::vector<std::wstring>{L"Brak użytkowników"});
  }
  ASSERT_NE(Form, nullptr);
  EXPECT_TRUE(IsWindowVisible(Form->GBUsers->Handle()));
  EXPECT_FALSE(IsWindowVisible(Form->GBTest->Handle()));
  EXPECT_EQ(SendMessageA(Form->LBMenu->Handle(), LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Form->CBUsers->Items()->Count(), 0);
  EXPECT_EQ(Form->EUser->Text(), "");
  EXPECT_EQ(FMain->CurrentUser->Name(), "noname");
  SaveShot(Form->Handle(), "options-first-start", 100);

  AddUser(Form, "Jan");
  EXPECT_EQ(FMain->CurrentUser->Name(), "Jan");
  EXPECT_EQ(FMain->LUser->Caption(), "Jan");
  EXPECT_EQ(ResultSize("Jan"), 0);
  CloseWith(Form->BOk);
  EXPECT_EQ(Profile("users", "0"), "Jan");
}

// The shortcut page keeps its lines in a file of its own for the test.
class ShortcutPage : public Options {
protected:
  void SetUp() override {
    Options::SetUp();
    DeleteFile(KeysFile());
    Application->CreateForm(FSymbol);
  }
  void TearDown() override {
    FreeAndNil(FSymbol);
    Options::TearDown();
    DeleteFile(KeysFile());
  }

  // "Wybierz symbol" clicked; the picker's cell is chosen and the picker
  // closed with its button (or with Esc when Cancel is set).
  static void PickSymbol(TFOptions* Form, int ACol, int ARow, bool Cancel = false) {
    const auto Pick = [=] {
      HWND Grid = FSymbol->SGS->Handle();
      const LPARAM At = MAKELPARAM(ACol * 16 + 8, ARow * 16 + 8);
      SendMessageW(Grid, WM_LBUTTONDOWN, MK_LBUTTON, At);
      SendMessageW(Grid, WM_LBUTTONUP, 0, At);
      if (Cancel)
        PostMessageW(Grid, WM_KEYDOWN, VK_ESCAPE, 0);
      else
        PostMessageW(FSymbol->BSym->Handle(), BM_CLICK, 0, 0);
    };
    EXPECT_TRUE(WhilePickerShown(Pick, [Form] { Click(static_cast<TControl*>(Form->BSCB)); }));
  }

  static AnsiString KeysFile() { return TestTempPath("options", "keys.shc"); }

  static void WriteKeys(const std::vector<AnsiString>& Keys) {
    TStringList File;
    for (const AnsiString& Line : Keys) File.Add(Line);
    File.SaveToFile(KeysFile());
  }
  static std::vector<AnsiString> FileLines() {
    TStringList File;
    File.LoadFromFile(KeysFile());
    return Lines(&File);
  }

  TFOptions* OpenPage() {
    OpenMain("Ala");
    FMain->ShortcutKeysFile = KeysFile();
    FMain->LoadShortcutKeys();
    return OpenFromMenu(FMain->KeyHelpers1);
  }
};

TEST_F(ShortcutPage, LinesAreAddedReplacedAndDeletedAndTheFileFollows) {
  // A line that is no shortcut shows as it stands and the rest still loads.
  WriteKeys({"16449=261", "broken line", "16450=abc"});
  TFOptions* Form = OpenPage();
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(WideLines(Form->LBSC->Items()), (std::vector<WideString>{L"Ctrl+A=ą", L"broken line", L"16450=abc"}));
  EXPECT_EQ(Form->HK->HotKey(), 16449);
  EXPECT_EQ(Form->BSC->Caption(), L"ą");

  // A key typed into the hot-key control takes Ctrl as its modifier; a new
  // shortcut waits for OK or Apply before it reaches the file.
  PostMessageA(Form->HK->Handle(), WM_KEYDOWN, 'E', MAKELPARAM(1, MapVirtualKeyA('E', 0)));
  WaitUntil("Ctrl+E in the hot-key control", [&] { return Form->HK->HotKey() == (scCtrl | 'E'); });
  ASSERT_EQ(Form->HK->HotKey(), scCtrl | 'E');
  EXPECT_EQ(Form->BSC->Caption(), L"...");
  PickSymbol(Form, 13, 5);
  EXPECT_EQ(Form->BSC->Caption(), L"ę");
  EXPECT_EQ(Form->LBSC->Items()->Strings(3), L"Ctrl+E=ę");
  EXPECT_EQ(Form->LBSC->ItemIndex(), 3);
  EXPECT_EQ(FileLines().size(), 3u);

  // The same shortcut again replaces its character in place.
  Form->HK->SetHotKey(scCtrl | 'A');
  PickSymbol(Form, 12, 3);
  // A cancelled picker changes nothing.
  PickSymbol(Form, 5, 4, true);
  EXPECT_EQ(Form->BSC->Caption(), L"ä");
  Click(Form->BApply);
  const std::vector<AnsiString> Applied{"16449=228", "broken line", "16450=abc", "16453=281"};
  EXPECT_EQ(FileLines(), Applied);
  EXPECT_EQ(Lines(FMain->KeyHelpers.get()), Applied);
  SaveShot(Form->Handle(), "options-shortcut-lines", 100);

  // A line clicked shows its shortcut and character.
  HWND List = Form->LBSC->Handle();
  SendMessageA(List, LB_SETCURSEL, 3, 0);
  SendMessageA(GetParent(List), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(List), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(List));
  EXPECT_EQ(Form->HK->HotKey(), scCtrl | 'E');
  EXPECT_EQ(Form->BSC->Caption(), L"ę");

  // Deleting writes the file at once and the main window's list follows.
  Click(static_cast<TControl*>(Form->IBDel));
  const std::vector<AnsiString> Deleted{"16449=228", "broken line", "16450=abc"};
  EXPECT_EQ(FileLines(), Deleted);
  EXPECT_EQ(Lines(FMain->KeyHelpers.get()), Deleted);
  EXPECT_EQ(Form->LBSC->Items()->Count(), 3);
  EXPECT_EQ(Form->BSC->Caption(), L"...");

  // Without a key (Backspace empties the control) nothing is added.
  Form->HK->SetHotKey(0);
  Form->SetShortcutSymbol(L'x');
  EXPECT_EQ(Form->LBSC->Items()->Count(), 3);

  // Cancel leaves the file as it was.
  Form->HK->SetHotKey(scCtrl | 'O');
  Form->SetShortcutSymbol(L'ö');
  CloseWith(Form->BCancel);
  EXPECT_EQ(FileLines(), Deleted);
}

TEST_F(ShortcutPage, ShortcutWhoseTextHoldsTheSeparatorIsReplacedInPlace) {
  // Ctrl with the "=" key shows as "Ctrl+==ą": its line is found by its
  // code, not by the text before the first "=".
  const TShortCut CtrlEquals = scCtrl | VK_OEM_PLUS;
  WriteKeys({IntToStr(CtrlEquals) + "=261"});
  TFOptions* Form = OpenPage();
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(WideLines(Form->LBSC->Items()), std::vector<WideString>{L"Ctrl+==ą"});
  Form->HK->SetHotKey(CtrlEquals);
  Form->SetShortcutSymbol(L'ó');
  EXPECT_EQ(Lines(Form->LBHK->Items()), std::vector<AnsiString>{IntToStr(CtrlEquals) + "=243"});
  EXPECT_EQ(Form->LBSC->Items()->Count(), 1);
}

TEST_F(ShortcutPage, ALetterBeyondTheCodePageShowsWholeAndIsStored) {
  WriteKeys({});
  TFOptions* Form = OpenPage();
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(Form->HK->HotKey(), 16449);
  PickSymbol(Form, 3, 4);  // Æ, which the system code page lacks
  ASSERT_EQ(Form->LBSC->Items()->Count(), 1);
  HWND List = Form->LBSC->Handle();
  ASSERT_TRUE(IsWindowUnicode(List));
  WideChar Row[32] = {};
  ASSERT_EQ(SendMessageW(List, LB_GETTEXTLEN, 0, 0), 8);
  SendMessageW(List, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(Row));
  EXPECT_EQ(WideString(Row), L"Ctrl+A=\u00C6");
  EXPECT_EQ(Form->BSC->Caption(), L"\u00C6");
  SaveShot(Form->Handle(), "options-shortcut-wide-letter", 100);
  CloseWith(Form->BOk);
  EXPECT_EQ(FileLines(), std::vector<AnsiString>{"16449=198"});
}

TEST_F(ShortcutPage, OkWritesNothingWhenNoLineChanged) {
  WriteKeys({"16449=261"});
  TFOptions* Form = OpenPage();
  ASSERT_NE(Form, nullptr);
  // A file that cannot be written would stop OK if the page wrote it anyway.
  SetFileAttributesA(KeysFile().c_str(), FILE_ATTRIBUTE_READONLY);
  CloseWith(Form->BOk);
  SetFileAttributesA(KeysFile().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(FMain->MDIChildCount(), 0);
  EXPECT_EQ(FileLines(), std::vector<AnsiString>{"16449=261"});
}


// The text of each message box the timer closed, and whether it showed an
// icon (the icon control of the system's message box, under either of its
// known ids).
std::vector<std::wstring> BoxTexts;
std::vector<bool> BoxIcons;

void CALLBACK AnswerBoxNotingIcon(HWND, UINT, UINT_PTR, DWORD) {
  try {
    HWND Box = FindMessageBox();
    if (!Box) return;
    wchar_t Text[256] = {};
    GetDlgItemTextW(Box, 0xFFFF, Text, 256);
    BoxTexts.push_back(Text);
    BoxIcons.push_back(SendDlgItemMessageW(Box, 0x0440, STM_GETICON, 0, 0) != 0 ||
                       SendDlgItemMessageW(Box, 0x0014, STM_GETICON, 0, 0) != 0);
    PostMessageW(Box, WM_COMMAND, IDOK, 0);
  } catch (...) {
  }
}

TEST_F(Options, ATakenNameIsReportedInAPlainBox) {
  WritePrivateProfileStringA("users", "0", "Ala", ConfigPath().c_str());
  // A user whose entry is not listed but whose results are still there.
  {
    TDUser Czesiek("Czesiek");
    Czesiek.ClearResults();
    Czesiek.Save();
  }
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  BoxTexts.clear();
  BoxIcons.clear();
  const UINT_PTR Timer = SetTimer(nullptr, 0, 50, AnswerBoxNotingIcon);
  AddUser(Form, "ALA");
  Form->RenameUserEntry("Ala", "Czesiek");
  // A name of our own refusing keeps its warning sign.
  AddUser(Form, "noname");
  KillTimer(nullptr, Timer);
  const std::wstring Taken = L"Nie można utworzyć drugiego użytkownika o takim samym imieniu.";
  EXPECT_EQ(BoxTexts, (std::vector<std::wstring>{Taken, Taken, L"Imię „noname” jest zastrzeżone. Wpisz inne imię."}));
  EXPECT_EQ(BoxIcons, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(Lines(Form->CBUsers->Items()), std::vector<AnsiString>{"Ala"});
  EXPECT_EQ(ResultSize("Czesiek"), 0);
}

TEST_F(Options, AddedNamesComeBackFromTheSettingsFileAsTyped) {
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  // The settings file drops a pair of apostrophes around a value, so such
  // a name would come back as another user with another result file.
  struct TCase {
    const char* Typed;
    bool Refused;
  };
  const TCase Cases[] = {{"'Ola'", true}, {"''", true}, {"O'Brien", false}, {"'Ola", false}, {"Ola'", false}};
  std::vector<AnsiString> Added;
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Typed);
    TBoxAnswerer Answerer;
    AddUser(Form, Case.Typed);
    if (Case.Refused) {
      EXPECT_EQ(Answerer.Texts(), std::vector<std::wstring>{L"Imię użytkownika nie może zaczynać się i kończyć apostrofem (')."});
      EXPECT_EQ(ResultSize(Case.Typed), -1);
    } else {
      EXPECT_TRUE(Answerer.Texts().empty());
      EXPECT_EQ(FMain->CurrentUser->Name(), Case.Typed);
      Added.push_back(Case.Typed);
    }
  }
  EXPECT_EQ(Lines(Form->CBUsers->Items()), Added);
  CloseWith(Form->BOk);

  Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Lines(Form->CBUsers->Items()), Added);
  CloseWith(Form->BCancel);
  for (const AnsiString& Name : Added) EXPECT_EQ(ResultSize(Name), 0) << Name;
  for (const TCase& Case : Cases) DeleteFile(ResultFile(Case.Typed));
}

TEST_F(Options, RepetitionsTypedOutsideTheirRangeAreWrittenWithinIt) {
  OpenMain("Ala");
  TFOptions* Form = OpenFromMenu(FMain->Opcjenaukaitesty1);
  ASSERT_NE(Form, nullptr);
  // Typed and saved while the spin edit never lost the focus.
  struct TCase {
    const char* Typed;
    const char* Written;
  };
  const TCase Cases[] = {{"9", "5"}, {"0", "1"}, {"-3", "1"}, {"3", "3"}};
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Typed);
    SetWindowTextA(Form->SERep->Handle(), Case.Typed);
    Form->BApplyClick(Form->BApply);
    EXPECT_EQ(Profile("test", "repeat count"), Case.Written);
    EXPECT_EQ(Form->SERep->Text(), Case.Written);
  }
}

// A deletion the file refused to take (the error was shown) is written by
// the next OK, not lost.
TEST_F(ShortcutPage, DeletionTheFileRefusedIsWrittenOnOk) {
  WriteKeys({"16449=261", "16450=322"});
  TFOptions* Form = OpenPage();
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(Form->HK->HotKey(), 16449);
  // A folder in the file's place makes the write fail.
  DeleteFile(KeysFile());
  ASSERT_TRUE(CreateDirectoryA(KeysFile().c_str(), nullptr));
  {
    TBoxAnswerer Answerer;
    Click(static_cast<TControl*>(Form->IBDel));
    EXPECT_EQ(Answerer.Texts().size(), 1u) << "the write error is shown";
  }
  EXPECT_EQ(Lines(Form->LBHK->Items()), std::vector<AnsiString>{"16450=322"});
  RemoveDirectoryA(KeysFile().c_str());
  CloseWith(Form->BOk);
  ASSERT_TRUE(FileExists(KeysFile()));
  EXPECT_EQ(FileLines(), std::vector<AnsiString>{"16450=322"});
  EXPECT_EQ(Lines(FMain->KeyHelpers.get()), std::vector<AnsiString>{"16450=322"});
}

// A user whose result file cannot be read (here held open by another
// program) is never made current with no results, from the list or by
// adding its name again; the file is not written over.
TEST_F(Options, UserWhoseResultsCannotBeReadIsNotTaken) {
  WritePrivateProfileStringA("users", "0", "Ala", ConfigPath().c_str());
  WritePrivateProfileStringA("users", "1", "Bartek", ConfigPath().c_str());
  {
    TDUser Bartek("Bartek");
    Bartek.AddResult("Angielski", 3, 4);
  }
  {
    TDUser Ewa("Ewa");
    Ewa.AddResult("Niemiecki", 1, 2);
  }
  OpenMain("Ala");
  FMain->CurrentUser->AddResult("Angielski", 1, 1);
  FMain->CurrentUser->Save();
  TFOptions* Form = OpenFromMenu(FMain->Uytkownicy1);
  ASSERT_NE(Form, nullptr);

  struct THeld {
    explicit THeld(const AnsiString& Path)
        : Handle(CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~THeld() { CloseHandle(Handle); }
    HANDLE Handle;
  };
  {
    const THeld Bartek(ResultFile("Bartek")), Ewa(ResultFile("Ewa"));
    ASSERT_NE(Bartek.Handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(Ewa.Handle, INVALID_HANDLE_VALUE);
    const TBoxAnswerer Answerer(IDOK);
    ChooseUser(Form, "Bartek");
    ASSERT_EQ(Answerer.Seen().size(), 1u);
    EXPECT_EQ(Answerer.Last().Text, L"Nie można odczytać wyników użytkownika „Bartek”. Plik jest uszkodzony albo "
                                    L"używa go inny program. Użytkownik nie został wybrany.");
    EXPECT_EQ(Answerer.Last().Caption, L"Błąd pliku");
    EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
    EXPECT_EQ(FMain->LUser->Caption(), "Ala");
    EXPECT_EQ(Form->CBUsers->Text(), "Ala");
    EXPECT_EQ(Form->EUser->Text(), "Ala");
    EXPECT_EQ(FMain->CurrentUser->TestedDictionaries()->Count(), 1);

    AddUser(Form, "Ewa");
    ASSERT_EQ(Answerer.Seen().size(), 2u);
    EXPECT_EQ(Answerer.Last().Caption, L"Błąd pliku");
    EXPECT_EQ(Lines(Form->CBUsers->Items()), (std::vector<AnsiString>{"Ala", "Bartek"}));
    EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
    FMain->CurrentUser->AddResult("Angielski", 2, 2);
    FMain->CurrentUser->Save();
  }
  EXPECT_EQ(ResultSize("Ala"), 2 * ResultRecordBytes);
  EXPECT_EQ(ResultSize("Bartek"), ResultRecordBytes);
  EXPECT_EQ(ResultSize("Ewa"), ResultRecordBytes);

  // Once it can be read, it is taken with its results.
  ChooseUser(Form, "Bartek");
  EXPECT_EQ(FMain->CurrentUser->Name(), "Bartek");
  EXPECT_EQ(FMain->CurrentUser->TestedDictionaries()->Count(), 1);
}

}  // namespace
