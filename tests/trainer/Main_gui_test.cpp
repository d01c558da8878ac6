// The main window on real windows: the first start without a user, the
// remembered user, and the recent-dictionary lists with their menus.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
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

// A message box of this thread: a dialog of another program on the same
// desktop, or one that is no message box, is not one of the trainer's.
BOOL CALLBACK FindOwnMessageBox(HWND Window, LPARAM Found) {
  wchar_t Class[16] = {};
  GetClassNameW(Window, Class, 16);
  if (std::wcscmp(Class, L"#32770") != 0 || !IsWindowVisible(Window) || !GetDlgItem(Window, 0xFFFF)) return TRUE;
  *reinterpret_cast<HWND*>(Found) = Window;
  return FALSE;
}

void CALLBACK AnswerEveryBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND Box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindOwnMessageBox, reinterpret_cast<LPARAM>(&Box));
  if (!Box || Box == LastBoxAnswered) return;
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
  std::wstring Texts;
  for (const std::wstring& Text : BoxesSeen) Texts += L"[" + Text + L"] ";
  ASSERT_EQ(BoxesSeen.size(), 2u) << WideToAnsi(Texts).c_str();
  EXPECT_FALSE(BoxesSeen[0].empty());
  EXPECT_NE(BoxesSeen[0], BoxesSeen[1]);
  EXPECT_EQ(BoxesSeen[1], L"Przed rozpoczęciem pracy musisz utworzyć użytkownika.");
  // The rest of the start-up ran.
  EXPECT_TRUE(FMain->KeyHelpers);
  EXPECT_EQ(FMain->ImageList1->Count(), 7);
  EXPECT_GT(FMain->WImage1->Picture()->Width(), 0);
}

// Clicks the screen point with the real mouse.
void ClickAt(const POINT& P) {
  SetCursorPos(P.x, P.y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

TEST_F(MainWindow, AToolBarHintGoesWhenAMenuOpensAKeyIsPressedOrTheWindowIsLeft) {
  // The mouse goes back where it was and no menu stays open, also when the
  // test fails.
  struct TRestore {
    POINT Cursor{};
    TRestore() { GetCursorPos(&Cursor); }
    ~TRestore() {
      EndMenu();
      Application->CancelHint();
      SetCursorPos(Cursor.x, Cursor.y);
    }
  } Restore;
  OpenMain();
  // The options window of the first start is not needed here.
  while (TCustomForm* Child = FMain->ActiveMDIChild()) {
    Child->Close();
    if (!PumpUntil([Child] { return FMain->ActiveMDIChild() != Child; }, 2000)) break;
  }
  SetForegroundWindow(FMain->Handle());
  PumpFor(100);
  TToolButton* Button = FMain->ToolButton1;
  // Brings the mouse onto the tool button and waits for its hint.
  auto HintComes = [Button] {
    Application->CancelHint();
    // From the background, so that the button is entered anew.
    const TPoint Away = FMain->ClientToScreen(Point(FMain->ClientWidth() / 2, FMain->ClientHeight() / 2));
    SetCursorPos(Away.x, Away.y);
    PumpFor(100);
    const TPoint P = Button->ClientToScreen(Point(Button->Width() / 2, Button->Height() / 2));
    SetCursorPos(P.x, P.y);
    return PumpUntil([] { return VisibleHintWindow() != nullptr; }, 3000);
  };

  // A menu opened, with the mouse or by the menu's own key: the hint goes,
  // and none shows while the mouse moves over the menu where it covers the
  // tool bar.
  RECT Item;
  ASSERT_TRUE(GetMenuItemRect(FMain->Handle(), GetMenu(FMain->Handle()), 0, &Item));
  const TRect Bar = FMain->ToolBar1->BoundsRect();
  const TPoint BarTopLeft = FMain->ToolBar1->Parent()->ClientToScreen(Point(Bar.left, Bar.top));
  const RECT BarOnScreen{BarTopLeft.x, BarTopLeft.y, BarTopLeft.x + Bar.right - Bar.left,
                         BarTopLeft.y + Bar.bottom - Bar.top};
  struct TCase {
    const char* How;
    std::function<void()> Open;
  };
  const TCase Cases[] = {
      {"mouse", [&] { ClickAt({(Item.left + Item.right) / 2, (Item.top + Item.bottom) / 2}); }},
      {"menu key", [] { PostMessageA(FMain->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0); }},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.How);
    ASSERT_TRUE(HintComes()) << "no hint came over the tool button";
    ASSERT_EQ(VisibleHintWindow()->Caption(), WideToAnsi(L"Ucz się"));
    bool MenuOpened = false, Dropped = false, OverBar = false, HintWithMenu = false, Sampled = false;
    DWORD OpenedAt = 0;
    const TTickTimer WhileMenuOpen(50, [&] {
      GUITHREADINFO Gui{};
      Gui.cbSize = sizeof(Gui);
      const bool InMenu = GetGUIThreadInfo(GetCurrentThreadId(), &Gui) && (Gui.flags & GUI_INMENUMODE);
      HWND Menu = FindWindowA("#32768", nullptr);
      const bool Shown = Menu && IsWindowVisible(Menu);
      if ((!InMenu && !Shown) || Sampled) return;
      HintWithMenu = HintWithMenu || VisibleHintWindow() != nullptr;
      if (!MenuOpened) {
        MenuOpened = true;
        OpenedAt = GetTickCount();
      }
      if (!Shown) {
        // The menu bar is selected from the keyboard: a real key drops it.
        keybd_event(VK_DOWN, 0, 0, 0);
        keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
        return;
      }
      if (!Dropped) {
        Dropped = true;
        RECT Popup, Both;
        GetWindowRect(Menu, &Popup);
        OverBar = IntersectRect(&Both, &Popup, &BarOnScreen) != 0;
        if (OverBar) SetCursorPos((Both.left + Both.right) / 2, (Both.top + Both.bottom) / 2);
        return;
      }
      // Longer than the hint's pause; then the menu is closed again.
      if (GetTickCount() - OpenedAt < static_cast<DWORD>(Application->HintPause()) + 500) return;
      Sampled = true;
      EndMenu();
    });
    Case.Open();
    EXPECT_TRUE(PumpUntil([&] { return Sampled; }, 4000)) << "the menu did not open or close";
    EndMenu();
    EXPECT_TRUE(OverBar) << "the menu does not cover the tool bar";
    EXPECT_FALSE(HintWithMenu) << "a hint showed while the menu was open";
    PumpFor(100);
  }

  // A key pressed with the mouse still on the button.
  ASSERT_TRUE(HintComes());
  keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(PumpUntil([] { return VisibleHintWindow() == nullptr; }, 1000)) << "the hint stayed after a key";

  // Another window made active.
  ASSERT_TRUE(HintComes());
  HWND Other = CreateWindowExA(0, "STATIC", "inne okno", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(Other);
  SetForegroundWindow(Other);
  const bool Gone = PumpUntil([] { return VisibleHintWindow() == nullptr; }, 1000);
  DestroyWindow(Other);
  EXPECT_TRUE(Gone) << "the hint stayed after the window was left";
}

// The files of a compiled help file: name, content section, offset and
// length, from the directory chunks; and the bytes of a file of the
// uncompressed section.
class TCompiledHelp {
public:
  struct TEntry {
    std::uint64_t Section, Offset, Length;
  };
  explicit TCompiledHelp(const AnsiString& Path) {
    std::ifstream File(Path, std::ios::binary);
    FBytes.assign(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
    if (FBytes.size() < 0x60 || FBytes.compare(0, 4, "ITSF") != 0) return;
    const std::uint64_t Directory = U64(0x48);
    FContent = U32(4) >= 3 ? U64(0x58) : Directory + U64(0x50);
    if (Directory + 0x54 > FBytes.size() || FBytes.compare(Directory, 4, "ITSP") != 0) return;
    const std::uint32_t ChunkSize = U32(Directory + 0x10);
    const std::uint32_t Chunks = U32(Directory + 0x2C);
    for (std::uint32_t I = 0; I < Chunks; ++I) {
      const size_t Chunk = Directory + 0x54 + size_t(I) * ChunkSize;
      if (Chunk + ChunkSize > FBytes.size() || FBytes.compare(Chunk, 4, "PMGL") != 0) continue;
      size_t At = Chunk + 20;
      const size_t End = Chunk + ChunkSize - U32(Chunk + 4);
      while (At < End) {
        const std::uint64_t NameLength = EncInt(At);
        const std::string Name = FBytes.substr(At, NameLength);
        At += NameLength;
        TEntry Entry;
        Entry.Section = EncInt(At);
        Entry.Offset = EncInt(At);
        Entry.Length = EncInt(At);
        Files[Name] = Entry;
      }
    }
  }
  // A file of the uncompressed section; empty when there is none.
  std::string Uncompressed(const std::string& Name) const {
    const auto It = Files.find(Name);
    if (It == Files.end() || It->second.Section != 0) return {};
    return FBytes.substr(FContent + It->second.Offset, It->second.Length);
  }
  // A text record of the "#SYSTEM" file: 0 the contents, 2 the first page,
  // 3 the title.
  std::string SystemRecord(unsigned Code) const {
    const std::string System = Uncompressed("/#SYSTEM");
    for (size_t At = 4; At + 4 <= System.size();) {
      const unsigned RecordCode = Byte(System, At) | Byte(System, At + 1) << 8;
      const size_t Length = Byte(System, At + 2) | Byte(System, At + 3) << 8;
      if (RecordCode == Code) return std::string(System.c_str() + At + 4);
      At += 4 + Length;
    }
    return {};
  }
  std::map<std::string, TEntry> Files;

private:
  static unsigned Byte(const std::string& S, size_t At) { return static_cast<unsigned char>(S[At]); }
  std::uint32_t U32(size_t At) const {
    std::uint32_t V = 0;
    for (int I = 3; I >= 0; --I) V = V << 8 | Byte(FBytes, At + size_t(I));
    return V;
  }
  std::uint64_t U64(size_t At) const { return U32(At) | std::uint64_t(U32(At + 4)) << 32; }
  std::uint64_t EncInt(size_t& At) const {
    std::uint64_t V = 0;
    while (At < FBytes.size()) {
      const unsigned B = Byte(FBytes, At++);
      V = V << 7 | (B & 0x7F);
      if (!(B & 0x80)) break;
    }
    return V;
  }
  std::string FBytes;
  std::uint64_t FContent = 0;
};

// The pages a contents file of the help sources names, in order.
std::vector<std::string> ContentsPages(const AnsiString& Contents) {
  std::ifstream File(Contents, std::ios::binary);
  const std::string Text{std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
  std::vector<std::string> Pages;
  const std::string Key = "<param name=\"Local\" value=\"";
  for (size_t At = Text.find(Key); At != std::string::npos; At = Text.find(Key, At)) {
    At += Key.size();
    Pages.push_back(Text.substr(At, Text.find('"', At) - At));
  }
  return Pages;
}

TEST(HelpFiles, EachOpensAtItsFirstPageWithItsContentsAndEveryPageItLists) {
  const AnsiString Sources = AnsiString(FIXTURES_DIR) + "/../../resources/help/";
  struct TCase {
    const char* File;  // as the main window opens it
    const char* Contents;
    const char* FirstPage;
    const wchar_t* Title;
  };
  const TCase Cases[] = {
      {sHelpFile, "Slovanta.hhc", "index.htm", L"Vardo Slovanta"},
      {sInfoHelpFile, "Info.hhc", "info.htm", L"Ważne informacje"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    const TCompiledHelp Help(ExtractFilePath(Application->ExeName()) + Case.File);
    ASSERT_FALSE(Help.Files.empty()) << "no compiled help beside the program";
    EXPECT_EQ(Help.SystemRecord(0), Case.Contents);
    EXPECT_EQ(Help.SystemRecord(2), Case.FirstPage);
    EXPECT_EQ(Help.SystemRecord(3), WideToAnsi(Case.Title));
    EXPECT_TRUE(Help.Files.count(std::string("/") + Case.Contents)) << "the contents are missing";
    const std::vector<std::string> Pages = ContentsPages(Sources + Case.Contents);
    ASSERT_FALSE(Pages.empty());
    EXPECT_EQ(Pages.front(), Case.FirstPage);
    for (const std::string& Page : Pages) {
      const auto It = Help.Files.find("/" + Page);
      EXPECT_TRUE(It != Help.Files.end() && It->second.Length > 0) << Page << " is listed but not compiled";
    }
  }
}


// Another copy of the trainer, the program itself started beside this test
// program on the same folder and settings; ended when the test ends, also
// when it fails.
class TSecondCopy {
public:
  TSecondCopy() {
    const AnsiString Exe = ExtractFilePath(Application->ExeName()) + "Slovanta.exe";
    STARTUPINFOA Startup{};
    Startup.cb = sizeof Startup;
    AnsiString CommandLine = "\"" + Exe + "\"";
    FStarted = CreateProcessA(Exe.c_str(), CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              ExtractFilePath(Exe).c_str(), &Startup, &FProcess) != 0;
  }
  ~TSecondCopy() {
    if (!FStarted) return;
    if (FWindow) PostMessageW(FWindow, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(FProcess.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(FProcess.hProcess, 1);
    CloseHandle(FProcess.hThread);
    CloseHandle(FProcess.hProcess);
  }
  TSecondCopy(const TSecondCopy&) = delete;
  TSecondCopy& operator=(const TSecondCopy&) = delete;

  bool Started() const { return FStarted; }
  // Its main window once it is on the screen, or null after the deadline.
  HWND WaitForWindow(DWORD TimeoutMs) {
    PumpUntil([this] { return (FWindow = FindWindowOf(FProcess.dwProcessId)) != nullptr; }, TimeoutMs);
    return FWindow;
  }

private:
  struct TSearch {
    DWORD Process;
    HWND Found;
  };
  static BOOL CALLBACK Visit(HWND Wnd, LPARAM Data) {
    auto* Search = reinterpret_cast<TSearch*>(Data);
    DWORD Owner = 0;
    GetWindowThreadProcessId(Wnd, &Owner);
    char Caption[64] = {};
    GetWindowTextA(Wnd, Caption, sizeof Caption);
    if (Owner != Search->Process || !IsWindowVisible(Wnd) || std::strcmp(Caption, "Vardo Slovanta") != 0) return TRUE;
    Search->Found = Wnd;
    return FALSE;
  }
  static HWND FindWindowOf(DWORD Process) {
    TSearch Search{Process, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&Search));
    return Search.Found;
  }

  PROCESS_INFORMATION FProcess{};
  bool FStarted = false;
  HWND FWindow = nullptr;
};

// The other copy marks its windows as this one does; the mouse over them,
// met by the hint check whenever this copy is idle, once made this copy
// follow the other one's pointers and die.
TEST_F(MainWindow, AnotherCopysWindowUnderTheMouseIsNoneOfOurs) {
  WritePrivateProfileStringA("global", "LastUser", "Kopia", ConfigPath().c_str());
  OpenMain();
  FMain->SetBounds(0, 0, FMain->Width(), FMain->Height());
  // The mouse goes back where it was when the test ends.
  struct TCursorBack {
    POINT At{};
    TCursorBack() { GetCursorPos(&At); }
    ~TCursorBack() { SetCursorPos(At.x, At.y); }
  } CursorBack;
  // Over this copy's own window until the test moves it.
  SetCursorPos(FMain->Width() / 2, FMain->Height() / 2);
  TSecondCopy Other;
  ASSERT_TRUE(Other.Started());
  HWND OtherMain = Other.WaitForWindow(20000);
  ASSERT_NE(OtherMain, nullptr) << "the second copy's main window did not come up";
  SetWindowPos(OtherMain, HWND_TOP, 400, 400, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  PumpFor(300);

  // A point of the other copy's window that ours does not cover.
  RECT R;
  GetWindowRect(OtherMain, &R);
  const POINT P{R.right - 60, R.bottom - 60};
  HWND Under = WindowFromPoint(P);
  DWORD Owner = 0;
  GetWindowThreadProcessId(Under, &Owner);
  ASSERT_NE(Owner, GetCurrentProcessId()) << "the point is not on the other copy's window";

  ASSERT_EQ(FindControl(Under), nullptr);
  EXPECT_EQ(FindDragTarget(P, false), nullptr);
  // This copy idles with the mouse over the other one.
  SetCursorPos(P.x, P.y);
  const TTickTimer Wake(20, [] {});
  for (int I = 0; I < 5; ++I) Application->HandleMessage();
  EXPECT_EQ(FindDragTarget(P, false), nullptr);
}

// A recent list that cannot be read (here held open by another program)
// is reported once and left as it is; the start goes on as without it, to
// the first-start question and the users page.
TEST_F(MainWindow, UnreadableRecentListIsReportedAndTheStartGoesOn) {
  const char* const Kept = "C:\\a.dic=Pierwszy";
  {
    TOwned<TStringList> List(new TStringList());
    List->Add(Kept);
    List->SaveToFile(RecentListFile(1));
  }
  TOwned<TDict> Dict = MakeDict("nowy.dic", L"Nowy");
  {
    // Let go of also when the test fails.
    struct THeld {
      HANDLE Handle;
      ~THeld() { CloseHandle(Handle); }
    } Held{CreateFileA(RecentListFile(1).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr)};
    ASSERT_NE(Held.Handle, INVALID_HANDLE_VALUE);
    const TBoxAnswerer Answerer(IDOK);
    Application->CreateForm(FMain);
    FMain->Show();
    const bool Opened = PumpUntil([] { return dynamic_cast<TFOptions*>(FMain->ActiveMDIChild()) != nullptr; }, 5000);
    FMain->AddRecent(Dict.get(), 1);
    PumpFor(200);
    EXPECT_TRUE(Opened) << "the users page did not open in 5 s";
    EXPECT_EQ(Answerer.Texts(),
              (std::vector<std::wstring>{
                  L"Nie można odczytać listy ostatnio używanych słowników „Last4T.lsn”. Lista została pominięta.",
                  L"Przed rozpoczęciem pracy musisz utworzyć użytkownika."}));
  }
  EXPECT_EQ(ListLines(1), (std::vector<AnsiString>{Kept}));
  EXPECT_FALSE(FMain->TL41->Visible());
  // Readable again, it is used again.
  FMain->AddRecent(Dict.get(), 1);
  EXPECT_EQ(ListLines(1), (std::vector<AnsiString>{Dict->FileName() + "=Nowy", Kept}));
  EXPECT_TRUE(FMain->TL42->Visible());
}

TEST(RecentLine, SplitsAtTheDictionaryExtensionElseAtTheFirstEquals) {
  const struct {
    const char* Line;
    const char* Path;
    const char* Title;
  } Cases[] = {
      {"C:\\s\\a=b.dic=x=y", "C:\\s\\a=b.dic", "x=y"},
      {"C:\\s\\A=B.DIC=T", "C:\\s\\A=B.DIC", "T"},
      {"C:\\s\\a.dic=t.dic=u", "C:\\s\\a.dic", "t.dic=u"},
      {"C:\\s\\a.txt=T=U", "C:\\s\\a.txt", "T=U"},
      {"C:\\s\\a.dic=", "C:\\s\\a.dic", ""},
      {"bez tytu\xB3u", "bez tytu\xB3u", ""},
  };
  for (const auto& Case : Cases) {
    AnsiString Path, Title;
    SplitRecentLine(Case.Line, Path, Title);
    EXPECT_EQ(Path, Case.Path) << Case.Line;
    EXPECT_EQ(Title, Case.Title) << Case.Line;
  }
}

// A dictionary whose file name holds "=" (a letter file names may have),
// with a title holding one too, is listed once and its item names it.
TEST_F(MainWindow, RecentDictionaryWhosePathHoldsEqualsIsFoundAgain) {
  OpenMain();
  TOwned<TDict> Dict = MakeDict("a=b.dic", L"x = y");
  FMain->AddRecent(Dict.get(), 0);
  FMain->AddRecent(Dict.get(), 0);
  EXPECT_EQ(ListLines(0), (std::vector<AnsiString>{Dict->FileName() + "=x = y"}));
  ASSERT_TRUE(FMain->LL41->Visible());
  EXPECT_FALSE(FMain->LL42->Visible());
  EXPECT_EQ(FMain->LL41->Caption(), "x = y");
  EXPECT_EQ(FMain->LL41->Hint(), Dict->FileName());

  // The item opens the dictionary its hint names, when that is a file there.
  EXPECT_TRUE(FileExists(FMain->LL41->Hint()));
  EXPECT_TRUE(IsInDictionariesDir(FMain->LL41->Hint()));
}

// A result file cut off in a record: the user is told once, with the name
// of the copy kept of the file, and the whole records are used; the save
// at the end writes whole records only.
TEST_F(MainWindow, DamagedResultsOfTheLastUserAreToldOnceAndMended) {
  const AnsiString User = "Uszkodzony";
  const AnsiString Results = ExtractFilePath(Application->ExeName()) + UserFileName(User);
  const auto Remove = [&Results] {
    DeleteFile(Results);
    DeleteFile(Results + ".bak");
  };
  struct TAtEnd {
    std::function<void()> Run;
    ~TAtEnd() { Run(); }
  } AtEnd{Remove};
  Remove();
  {
    TDUser Writer(User);
    Writer.AddResult("Angielski", 4, 5);
  }
  {
    TFileStream Tail(Results, fmOpenReadWrite);
    Tail.Seek(0, soEnd);
    Tail.WriteBuffer("xyz", 3);
  }
  WritePrivateProfileStringA("global", "LastUser", User.c_str(), ConfigPath().c_str());
  {
    const TBoxAnswerer Answerer(IDOK);
    Application->CreateForm(FMain);
    FMain->Show();
    EXPECT_TRUE(PumpUntil([&Answerer] { return !Answerer.Seen().empty(); })) << "no message in 3 s";
    PumpFor(200);
    EXPECT_EQ(Answerer.Texts(), (std::vector<std::wstring>{L"Plik z wynikami użytkownika „Uszkodzony” był uszkodzony. "
                                                           L"Wczytano z niego wszystkie całe wyniki, a plik w dawnej "
                                                           L"postaci zachowano jako „" +
                                                           AnsiToWide(UserFileName(User)) + L".bak”."}));
    EXPECT_EQ(Answerer.Last().Caption, L"Błąd pliku");
  }
  EXPECT_EQ(FMain->CurrentUser->Name(), User);
  EXPECT_EQ(FMain->CurrentUser->TestedDictionaries()->Count(), 1);
  EXPECT_EQ(TFileStream(Results + ".bak", fmOpenRead).Size(), ResultRecordBytes + 3);
  CloseMain();
  EXPECT_EQ(TFileStream(Results, fmOpenRead).Size(), ResultRecordBytes);
}

}  // namespace
