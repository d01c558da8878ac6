// The main window on real windows: the first start without a user, the
// remembered user, and the recent-dictionary lists with their menus.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Lists.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

class MainWindow : public ::testing::Test {
protected:
  void SetUp() override {
    DeleteFile(ConfigPath());
    DeleteRecentLists();
    DeleteFile(ResultFile("Ala"));
    ForceDirectories(DictionariesDir());
  }
  void TearDown() override {
    CloseMain();
    DeleteFile(ConfigPath());
    DeleteRecentLists();
    DeleteFile(ResultFile("Ala"));
    // The dictionaries folder is the one the sample dictionaries ship in.
    for (const AnsiString& Path : Made) DeleteFile(Path);
  }

  // Creates and shows the window, answering the "no user" box if it comes.
  void OpenMain() {
    const TBoxAnswerer Answerer(IDOK, 100);
    Application->CreateForm(FMain);
    FMain->Show();
    PumpFor(300);
    Box = Answerer.Last();
  }
  void CloseMain() { FreeAndNil(FMain); }

  // A saved dictionary in the dictionaries folder, loaded so that it has its
  // file name; removed again after the test.
  TOwned<TDict> MakeDict(const AnsiString& Name, const WideString& Title) {
    Made.push_back(SaveDict(IncludeTrailingPathDelimiter(DictionariesDir()) + Name, {}, Title));
    TOwned<TDict> Dict(new TDict());
    Dict->LoadFromFile(Made.back());
    return Dict;
  }
  std::vector<AnsiString> Made;
  // What the "no user" box showed, if it came.
  TBoxSeen Box;

  static std::vector<AnsiString> ListLines(int Mode) {
    TOwned<TStringList> List(new TStringList());
    List->LoadFromFile(RecentListFile(Mode));
    return Lines(List.get());
  }
};

TEST_F(MainWindow, FirstStartWithoutConfigAsksForAUser) {
  OpenMain();
  EXPECT_EQ(FMain->CurrentUser->Name(), "noname");
  EXPECT_EQ(Box.Text, L"Przed rozpoczęciem pracy musisz utworzyć użytkownika.");
  EXPECT_EQ(Box.Caption, L"Brak użytkowników");
  EXPECT_EQ(FMain->Caption(), "Vardo Slovanta");
  EXPECT_EQ(FMain->Uczsi1->Caption(), WideToAnsi(L"Ucz się..."));
  EXPECT_EQ(FMain->Poznajswka1->Hint(), WideToAnsi(L"Poznaj słówka..."));
  EXPECT_EQ(FMain->ImageList1->Count(), 7);
  EXPECT_GT(FMain->WImage1->Picture()->Width(), 0);
}

TEST_F(MainWindow, LastUserIsRememberedAndCurrentAtNextStart) {
  OpenMain();
  FMain->CurrentUser->SelectUser("Ala");
  CloseMain();
  char Value[64] = {};
  GetPrivateProfileStringA("global", "LastUser", "", Value, sizeof Value, "dict.cfg");
  EXPECT_STREQ(Value, "Ala");

  OpenMain();
  EXPECT_EQ(FMain->CurrentUser->Name(), "Ala");
  EXPECT_EQ(FMain->LUser->Caption(), "Ala");
  EXPECT_TRUE(Box.Text.empty()) << "no message for a real user";
  DeleteFile(UserFileName("Ala"));
}

TEST_F(MainWindow, RecentListKeepsFourNewestAndMovesReusedToTop) {
  OpenMain();
  std::vector<TOwned<TDict>> Dicts;
  for (int I = 1; I <= 5; ++I) {
    Dicts.push_back(MakeDict("d" + IntToStr(I) + ".dic", L"Słownik " + std::to_wstring(I)));
    FMain->AddRecent(Dicts.back().get(), 0);
  }
  const AnsiString Dir = IncludeTrailingPathDelimiter(DictionariesDir());
  auto Line = [&](int I) { return Dir + "d" + IntToStr(I) + ".dic=" + WideToAnsi(L"Słownik " + std::to_wstring(I)); };
  EXPECT_EQ(ListLines(0), (std::vector<AnsiString>{Line(5), Line(4), Line(3), Line(2)}));

  Dicts[2]->SetTitle(L"Inny tytuł");
  FMain->AddRecent(Dicts[2].get(), 0);
  EXPECT_EQ(ListLines(0), (std::vector<AnsiString>{Line(3), Line(5), Line(4), Line(2)}));
  EXPECT_FALSE(FileExists(RecentListFile(0) + ".tmp"));
  EXPECT_TRUE(FMain->LL41->Visible());
  EXPECT_EQ(FMain->LL41->Caption(), WideToAnsi(L"Słownik 3"));
  EXPECT_EQ(FMain->LL41->Hint(), Dir + "d3.dic");
}

TEST_F(MainWindow, RecentListRefusesUnlistableDictionariesAndFlattensTitles) {
  OpenMain();
  TOwned<TDict> Unsaved(new TDict());
  FMain->AddRecent(Unsaved.get(), 1);
  EXPECT_FALSE(FileExists(RecentListFile(1))) << "no file name";

  // A folder whose name only starts like the dictionaries folder is outside.
  const AnsiString Outside = DictionariesDir() + "2";
  ForceDirectories(Outside);
  TOwned<TDict> Foreign(new TDict());
  Foreign->SaveToFile(Outside + "\\x.dic");
  Foreign->LoadFromFile(Outside + "\\x.dic");
  FMain->AddRecent(Foreign.get(), 1);
  EXPECT_FALSE(FileExists(RecentListFile(1))) << "outside the dictionaries folder";
  DeleteFile(Outside + "\\x.dic");
  RemoveDir(Outside);

  TOwned<TDict> Multiline = MakeDict("ml.dic", L"a\r\nb");
  FMain->AddRecent(Multiline.get(), 1);
  const AnsiString Upper = AnsiUpperCase(Multiline->FileName());
  ASSERT_EQ(ListLines(1), (std::vector<AnsiString>{Multiline->FileName() + "=a  b"}));
  TOwned<TDict> SameInOtherCase(new TDict());
  SameInOtherCase->LoadFromFile(Upper);
  FMain->AddRecent(SameInOtherCase.get(), 1);
  EXPECT_EQ(ListLines(1).size(), 1u) << "paths compare ignoring case";
}

TEST_F(MainWindow, ListOfTwoLinesShowsTwoItems) {
  OpenMain();
  const UINT Before = GetMenuItemCount(FMain->Nauka1->Handle());
  TOwned<TStringList> List(new TStringList());
  List->Add("C:\\a.dic=Pierwszy");
  List->Add("C:\\b.dic=Drugi");
  List->SaveToFile(RecentListFile(1));
  FMain->BuildRecentMenus();

  HMENU Menu = FMain->Nauka1->Handle();
  ASSERT_EQ(static_cast<UINT>(GetMenuItemCount(Menu)), Before + 2);
  std::vector<std::string> Texts;
  for (int I = 0; I < GetMenuItemCount(Menu); ++I) {
    char Text[128] = {};
    GetMenuStringA(Menu, I, Text, sizeof Text, MF_BYPOSITION);
    Texts.push_back(Text);
  }
  const auto Test = std::find(Texts.begin(), Texts.end(), WideToAnsi(L"Sprawdź się..."));
  ASSERT_NE(Test, Texts.end());
  EXPECT_EQ(*(Test + 1), "Pierwszy");
  EXPECT_EQ(*(Test + 2), "Drugi");
  EXPECT_FALSE(FMain->TL43->Visible());
}

TEST_F(MainWindow, UserLabelTurnsBlueUnderTheMouse) {
  OpenMain();
  FMain->LUser->OnMouseEnter(FMain->LUser);
  EXPECT_EQ(FMain->LUser->Font()->Color(), clBlue);
  FMain->LUser->OnMouseLeave(FMain->LUser);
  EXPECT_EQ(FMain->LUser->Font()->Color(), clBlack);
}

// Every message box that shows while it runs, answered with OK.
std::vector<std::wstring> BoxesSeen;
HWND LastBoxAnswered = nullptr;

void CALLBACK AnswerEveryBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND Box = FindWindowW(L"#32770", nullptr);
  if (!Box || Box == LastBoxAnswered || !IsWindowVisible(Box)) return;
  LastBoxAnswered = Box;
  wchar_t Text[512] = {};
  GetDlgItemTextW(Box, 0xFFFF, Text, 512);
  BoxesSeen.push_back(Text);
  PostMessageW(Box, WM_COMMAND, IDOK, 0);
}

TEST_F(MainWindow, UnreadableResultsOfTheLastUserAreReportedAndTheStartGoesOn) {
  WritePrivateProfileStringA("global", "LastUser", "Ala", "dict.cfg");
  // Held open by someone else, the user's result file cannot be read.
  const AnsiString Results = ExtractFilePath(Application->ExeName()) + UserFileName("Ala");
  HANDLE Lock = CreateFileA(Results.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(Lock, INVALID_HANDLE_VALUE);
  BoxesSeen.clear();
  LastBoxAnswered = nullptr;
  const UINT_PTR Timer = SetTimer(nullptr, 0, 50, AnswerEveryBox);
  Application->CreateForm(FMain);
  FMain->Show();
  PumpFor(800);
  KillTimer(nullptr, Timer);
  CloseHandle(Lock);
  DeleteFile(Results);

  ASSERT_TRUE(FMain->CurrentUser);
  EXPECT_EQ(FMain->CurrentUser->Name(), "noname");
  EXPECT_EQ(FMain->LUser->Caption(), "noname");
  // The error first, then the way to a user.
  ASSERT_EQ(BoxesSeen.size(), 2u);
  EXPECT_FALSE(BoxesSeen[0].empty());
  EXPECT_NE(BoxesSeen[0], BoxesSeen[1]);
  EXPECT_EQ(BoxesSeen[1], L"Przed rozpoczęciem pracy musisz utworzyć użytkownika.");
  // The rest of the start-up ran.
  EXPECT_TRUE(FMain->KeyHelpers);
  EXPECT_EQ(FMain->ImageList1->Count(), 7);
  EXPECT_GT(FMain->WImage1->Picture()->Width(), 0);
}

}  // namespace
