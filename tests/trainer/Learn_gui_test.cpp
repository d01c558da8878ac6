// The learning drill and the test on real windows: the order of the words,
// the end after the needed correct answers, the feedback, the statistics,
// the stored test result, the end dialog's choices and the main window's
// ways of starting an exercise.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FileUtils.h"
#include "IniFiles.h"
#include "Streams.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

const char* const UserName = "Tester";

AnsiString FixtureDir() { return IncludeTrailingPathDelimiter(DictionariesDir()) + "learn-tests"; }

// A file in the fixture folder; the folder goes with all it holds after each
// test, so that no other test finds it among the shipped dictionaries.
AnsiString FixturePath(const AnsiString& Name) { return IncludeTrailingPathDelimiter(FixtureDir()) + Name; }

// A dictionary file in the fixture folder, written by the dictionary's own
// save.
AnsiString MakeDict(const AnsiString& Name, const std::vector<TEntry>& Entries, const WideString& Title = L"Próba",
                    bool ResizeFont = false) {
  return SaveDict(FixturePath(Name), Entries, Title, L"Słówka na próbę", ResizeFont);
}

const std::vector<TEntry> Three = {{L"dom", {L"house", L"home"}}, {L"kot", {L"cat"}}, {L"pies", {L"dog"}}};

// What the modal windows showed, in the order they came, and how the
// answering timer replies to them.
struct TSeen {
  std::vector<std::string> Order;  // "end", "bledy", "box", "chooser"
  AnsiString EndCaption, EndMessage;
  std::vector<AnsiString> Bledy;
  std::wstring BoxText, BoxCaption;
  DWORD EndAt = 0, ChooserAt = 0;
};
TSeen Seen;
TButton* TEndLearnDlg::* EndButton = &TEndLearnDlg::BFinish;
bool ChooserOk = true;

void Click(TButton* Button) { SendMessageA(Button->Handle(), BM_CLICK, 0, 0); }

// Answers every modal window of the thread as it comes up, each showing
// once: a form is answered while it awaits an answer, whichever tick sees
// it first.
void Answer() {
  if (HWND Box = FindMessageBox()) {
    const TBoxSeen Read = ReadMessageBox(Box);
    Seen.BoxText = Read.Text;
    Seen.BoxCaption = Read.Caption;
    Seen.Order.push_back("box");
    PostMessageW(Box, WM_COMMAND, IDOK, 0);
    return;
  }
  if (AwaitsAnswer(EndLearnDlg)) {
    Seen.Order.push_back("end");
    Seen.EndCaption = EndLearnDlg->Caption();
    Seen.EndMessage = EndLearnDlg->MMessage->Caption();
    Seen.EndAt = GetTickCount();
    Click(EndLearnDlg->*EndButton);
  }
  if (AwaitsAnswer(FBledy)) {
    Seen.Order.push_back("bledy");
    Seen.Bledy = Lines(FBledy->LBB->Items());
    Click(FBledy->Button1);
  }
  if (AwaitsAnswer(FSelDic)) {
    Seen.Order.push_back("chooser");
    Seen.ChooserAt = GetTickCount();
    Click(ChooserOk ? FSelDic->BOk : FSelDic->BCancel);
  }
}

class Learn : public ::testing::Test {
protected:
  void SetUp() override {
    FreshSettingsFor(UserName);
    DeleteRecentLists();
    // What a run that died left in the fixture folder goes first.
    RemoveTree(FixtureDir());
    ForceDirectories(FixtureDir());
    DeleteFile(ResultFile(UserName));
    Setting("randomize", "0");
    Seen = TSeen{};
    EndButton = &TEndLearnDlg::BFinish;
    ChooserOk = true;
    Application->CreateForm(FMain);
    Application->CreateForm(FSelDic);
    Application->CreateForm(FBledy);
    Application->CreateForm(EndLearnDlg);
    FMain->Show();
    PumpFor(100);
    Answerer = std::make_unique<TTickTimer>(30, Answer);
  }
  void TearDown() override {
    Answerer.reset();
    for (int Tries = 0; Window_() && Tries < 5; ++Tries) {
      TFLearn* Window = Window_();
      Window->Close();
      WaitUntil("the exercise window to close", [&] { return Window_() != Window; });
    }
    FreeAndNil(EndLearnDlg);
    FreeAndNil(FBledy);
    FreeAndNil(FSelDic);
    const AnsiString Results = ResultFile(UserName);
    FreeAndNil(FMain);
    DeleteFile(Results);
    DeleteFile(ConfigPath());
    DeleteRecentLists();
    RemoveTree(FixtureDir());
  }

  // "test" settings must be in the file before the window reads them.
  static void Setting(const char* Key, const char* Value) {
    WritePrivateProfileStringA("test", Key, Value, ConfigPath().c_str());
  }

  static TFLearn* Window_() { return FMain ? dynamic_cast<TFLearn*>(FMain->ActiveMDIChild()) : nullptr; }

  static TFLearn* Start(const AnsiString& Path, bool Test) {
    FSelDic->FLDic->SetFileName(Path);
    Create<TFLearn>(Application, Test);
    WaitUntil("the exercise window", [] { return Window_() != nullptr; });
    return Window_();
  }

  // Enter in the answer edit, as the keyboard sends it.
  static void PressKey(TFLearn* Window, Word Key) {
    PostMessageA(Window->EA->Handle(), WM_KEYDOWN, Key, 1);
    PostMessageA(Window->EA->Handle(), WM_KEYUP, Key, 0xC0000001);
  }

  // Types Text and presses Enter; returns once the feedback shows (or the
  // window is gone).
  static void Type(TFLearn* Window, const WideString& Text) {
    Window->EA->SetText(Text);
    PressKey(Window, VK_RETURN);
    WaitUntil("the feedback on the answer", [Window] { return Window_() != Window || Window->FeedbackShown; });
  }

  // Ends the feedback with Enter; the next word shows, or the exercise
  // ends and the answering timer replies to what comes.
  static void MoveOn(TFLearn* Window) {
    PressKey(Window, VK_RETURN);
    WaitUntil("the feedback to end", [Window] { return Window_() != Window || !Window->FeedbackShown; });
    PumpFor(50);
  }

  static WideString RightAnswer(TFLearn* Window) { return Window->Question->GetAnswer(1); }

  std::unique_ptr<TTickTimer> Answerer;
};

TEST_F(Learn, TestAsksEachWordOnceAndStoresTheResult) {
  Setting("randomize", "1");
  Setting("Errors", "1");
  TFLearn* Window = Start(MakeDict("three.dic", Three), true);
  ASSERT_NE(Window, nullptr);
  EXPECT_EQ(Window->Caption(), WideToAnsi(L"Próba"));
  std::vector<int> Asked;
  for (int I = 0; I < 3; ++I) {
    ASSERT_EQ(Window_(), Window);
    Asked.push_back(Window->Current);
    // The second word is answered wrongly.
    Type(Window, I == 1 ? WideString(L"zle") : RightAnswer(Window));
    MoveOn(Window);
  }
  std::sort(Asked.begin(), Asked.end());
  EXPECT_EQ(Asked, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 1000)) << "Finish closes the window";

  // The end dialog first, then the wrong answers, then the choice.
  EXPECT_EQ(Seen.Order, (std::vector<std::string>{"end", "bledy"}));
  EXPECT_EQ(Seen.EndCaption, WideToAnsi(L"Test zakończony"));
  EXPECT_EQ(Seen.EndMessage, WideToAnsi(L"Twoja efektywność wynosi: 67 %.\r\rCzy chcesz jeszcze raz sprawdzić "
                                        L"znajomość słówek z tego słownika?"));
  ASSERT_EQ(Seen.Bledy.size(), 1u);
  EXPECT_NE(Seen.Bledy[0].find(" => "), AnsiString::npos);

  // The record in the user's file: the file name without its folder, good
  // 2 of 3.
  TFileStream File(ResultFile(UserName), fmOpenRead);
  ASSERT_EQ(File.Size(), ResultRecordBytes);
  unsigned char Record[ResultRecordBytes];
  File.ReadBuffer(Record, ResultRecordBytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(Record + 1), Record[0]), "three.dic");
  const auto Int32At = [&](int At) {
    return Record[At] | (Record[At + 1] << 8) | (Record[At + 2] << 16) | (Record[At + 3] << 24);
  };
  EXPECT_EQ(Int32At(160), 2);
  EXPECT_EQ(Int32At(164), 3);
}

TEST_F(Learn, SequentialOrderAndTheStatistics) {
  TFLearn* Window = Start(MakeDict("three.dic", Three), true);
  ASSERT_NE(Window, nullptr);
  EXPECT_EQ(Window->Caption(), WideToAnsi(L"Próba"));
  EXPECT_EQ(Window->LLEffi->Caption(), WideToAnsi(L"Skuteczność"));
  EXPECT_EQ(Window->LQuestion->Caption(), WideToAnsi(L"Przetłumacz:"));
  for (int I = 0; I < 3; ++I) {
    SCOPED_TRACE(I);
    EXPECT_EQ(Window->Current, I);
    EXPECT_EQ(WideToAnsi(Window->EQ->Text()), WideToAnsi(Three[I].Word));
    EXPECT_EQ(Window->LQNo->Caption(), IntToStr(I + 1) + " z 3");
    Type(Window, I == 0 ? RightAnswer(Window) : WideString(L"zle"));
    EXPECT_EQ(Window->LQCount->Caption(), IntToStr(I + 1));
    EXPECT_EQ(Window->LGAns->Caption(), "1");
    if (I < 2) MoveOn(Window);
  }
  EXPECT_EQ(Window->LEffi->Caption(), "33 %");
}

TEST_F(Learn, PlacedOverTheMainWindowWithTheDictionarysAnswerFont) {
  Setting("LStats", "0");
  struct TCase {
    bool ResizeFont;
    bool Test;
    int Below;  // the answer edit's top under the frame's
    int Height;
    int Points;  // at 96 pixels per inch
    bool Stats;
  };
  const TCase Cases[] = {{false, false, 8, 24, 15, false}, {true, true, 2, 35, 20, true}};
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.ResizeFont);
    TFLearn* Window = Start(MakeDict("font.dic", Three, L"Próba", Case.ResizeFont), Case.Test);
    ASSERT_NE(Window, nullptr);
    EXPECT_EQ(Window->Top(), (FMain->ClientHeight() - (Window->Height() + FMain->PTop->Height())) / 2 - 23);
    EXPECT_EQ(Window->Left(), (FMain->ClientWidth() - Window->Width()) / 2);
    EXPECT_EQ(Window->EA->Top(), Window->Shape2->Top() + Case.Below);
    EXPECT_EQ(Window->EA->Height(), Case.Height);
    EXPECT_EQ(Window->EA->Font()->Size(), Case.Points * 96 / Screen->PixelsPerInch());
    EXPECT_EQ(Window->PStats->Visible(), Case.Stats);
    EXPECT_EQ(Window->Caption(), WideToAnsi(L"Próba"));
    Window->Close();
    ASSERT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 1000));
  }
}

TEST_F(Learn, EffectivenessRoundsHalvesToEven) {
  std::vector<TEntry> Eight;
  const wchar_t* Words[] = {L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h"};
  for (const wchar_t* Word : Words) Eight.push_back({Word, {L"x"}});
  TFLearn* Window = Start(MakeDict("eight.dic", Eight), false);
  ASSERT_NE(Window, nullptr);
  for (int I = 0; I < 8; ++I) {
    Type(Window, I == 0 ? WideString(L"x") : WideString(L"zle"));
    if (I < 7) MoveOn(Window);
  }
  EXPECT_EQ(Window->LQCount->Caption(), "8");
  EXPECT_EQ(Window->LEffi->Caption(), "12 %");
}

TEST_F(Learn, DrillEndsAfterEveryWordIsAnsweredRepetitionsTimes) {
  struct TCase {
    const char* RepeatCount;
    const char* Randomize;
    int Entries;
    int Needed;  // correct answers to the end
  };
  const TCase Cases[] = {
      {"2", "0", 2, 4},
      {"2", "1", 2, 4},
      // The wrongly answered word is left alone with answers to give, in
      // random order: it is asked again.
      {"3", "1", 2, 6},
      {"3", "1", 3, 9},
      // Out of the options' range: held to 1..5.
      {"9", "1", 1, 5},
      {"0", "0", 2, 2},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(std::string(Case.RepeatCount) + "/" + Case.Randomize);
    Setting("repeat count", Case.RepeatCount);
    Setting("randomize", Case.Randomize);
    Seen = TSeen{};
    std::vector<TEntry> Entries(Three.begin(), Three.begin() + Case.Entries);
    TFLearn* Window = Start(MakeDict("drill.dic", Entries), false);
    ASSERT_NE(Window, nullptr);
    // The first answer is wrong, and so is the last word's while any other
    // still needs answers and once more when it is left alone: then it is
    // the only word to ask. Wrong answers change nothing of what is still
    // needed.
    const int Last = Case.Entries - 1;
    int Correct = 0;
    bool WrongAlone = false;
    for (int Answers = 0; Window_() == Window && Answers < 40; ++Answers) {
      EXPECT_TRUE(Seen.Order.empty()) << "ended after " << Correct;
      bool OthersLeft = false;
      for (int I = 0; I < Last; ++I) OthersLeft = OthersLeft || Window->Remaining[I] > 0;
      bool Wrong = Answers == 0 || (Window->Current == Last && (OthersLeft || !WrongAlone));
      if (Wrong && !OthersLeft && Answers > 0) WrongAlone = true;
      const std::vector<unsigned char> Before = Window->Remaining;
      Type(Window, Wrong ? WideString(L"zle") : RightAnswer(Window));
      if (Wrong)
        EXPECT_EQ(Window->Remaining, Before);
      else
        ++Correct;
      MoveOn(Window);
    }
    EXPECT_EQ(Correct, Case.Needed);
    EXPECT_EQ(Seen.Order, (std::vector<std::string>{"end"}));
    EXPECT_EQ(Seen.EndCaption, WideToAnsi(L"Koniec nauki"));
  }
}

TEST_F(Learn, FeedbackNamesEveryAnswerAndAnyKeyMovesOn) {
  TFLearn* Window = Start(MakeDict("three.dic", Three), false);
  ASSERT_NE(Window, nullptr);
  EXPECT_EQ(Window->Caption(), WideToAnsi(L"Próba"));

  Type(Window, L"zle");
  ASSERT_TRUE(Window->FeedbackShown);
  EXPECT_TRUE(Window->LABad->Visible());
  EXPECT_TRUE(Window->IMBad->Visible());
  const WideString Bad = Window->LABad->Caption();
  const WideString Expected = L" \"house\" lub \"home\".";
  bool Known = false;
  for (const WideString& Start : sCorrection) Known = Known || Bad == Start + Expected;
  EXPECT_TRUE(Known) << WideToAnsi(Bad);
  SaveShot(FMain->Handle(), "learn-feedback-correction");
  ASSERT_EQ(FBledy->LBB->Items()->Count(), 1);
  EXPECT_EQ(FBledy->LBB->Items()->Strings(0), L"dom => house, home");

  // Any key but Enter ends the feedback at once and shows the next word.
  const DWORD Pressed = GetTickCount();
  PressKey(Window, VK_SPACE);
  EXPECT_TRUE(PumpUntil([Window] { return !Window->FeedbackShown; }, 1000));
  EXPECT_LT(GetTickCount() - Pressed, 1500u);
  EXPECT_FALSE(Window->LABad->Visible());
  EXPECT_EQ(Window->Current, 1);

  Type(Window, L"cat");
  EXPECT_TRUE(Window->LAGood->Visible());
  const WideString Praise = Window->LAGood->Caption();
  EXPECT_TRUE(Praise == sGoodAnswer[0] || Praise == sGoodAnswer[1] || Praise == sGoodAnswer[2]) << WideToAnsi(Praise);
  // Left alone, the feedback goes after two seconds.
  EXPECT_TRUE(PumpUntil([Window] { return !Window->FeedbackShown; }, 3000));
  EXPECT_EQ(Window->Current, 2);
}

// A correction with letters outside the 8-bit code page shows them whole,
// drawn as the platform's DrawTextW draws the same text in the same font.
TEST_F(Learn, TheCorrectionShowsAnswersOutsideTheCodePageWhole) {
  TFLearn* Window = Start(MakeDict("maja.dic", {{L"dom", {L"m\u0101ja"}}}), false);
  ASSERT_NE(Window, nullptr);
  Type(Window, L"zle");
  ASSERT_TRUE(Window->FeedbackShown);
  TVsLabel* Bad = Window->LABad;
  const WideString Text = Bad->Caption();
  EXPECT_NE(Text.find(L"\"m\u0101ja\"."), WideString::npos) << WideToAnsi(Text);

  const int Width = Bad->Width(), Height = Bad->Height();
  TShot Shot(Bad, RGB(255, 0, 255));
  TMemoryDC Reference(Width, Height, RGB(255, 0, 255));
  const HDC DC = Reference.DC();
  RECT R{0, 0, Width, Height};
  HGDIOBJ OldFont = SelectObject(DC, Bad->Font()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(Bad->Font()->Color())));
  const UINT Format = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS;
  RECT Measured = R;
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Measured, Format | DT_CALCRECT);
  OffsetRect(&R, 0, (Height - Measured.bottom) / 2);
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
  int Different = 0, Inked = 0;
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      Different += GetPixel(DC, X, Y) != Shot.At(X, Y);
      Inked += Shot.At(X, Y) != RGB(255, 0, 255);
    }
  SelectObject(DC, OldFont);
  EXPECT_EQ(Different, 0);
  EXPECT_GT(Inked, 0);
  SaveShot(FMain->Handle(), "learn-feedback-maja");
}

TEST_F(Learn, FeedbackPicturesShowOverTheWindow) {
  TFLearn* Window = Start(MakeDict("three.dic", Three), true);
  ASSERT_NE(Window, nullptr);
  // The pictures' fill colours are theirs alone in the window.
  const auto Painted = [Window](COLORREF Colour) { return TShot(Window).Count(Colour); };
  const COLORREF Green = RGB(0x2E, 0x9E, 0x48), Red = RGB(0xD0, 0x3A, 0x2E);
  EXPECT_EQ(Painted(Green), 0);

  Type(Window, RightAnswer(Window));
  PumpFor(100);
  EXPECT_GT(Painted(Green), 300);
  SaveShot(FMain->Handle(), "learn-feedback-good");
  MoveOn(Window);

  Type(Window, L"zle");
  PumpFor(100);
  EXPECT_GT(Painted(Red), 300);
  EXPECT_EQ(Painted(Green), 0);
  SaveShot(FMain->Handle(), "learn-feedback-bad");
}

TEST_F(Learn, ShortcutTypesItsCharacterAndOtherKeysStillEdit) {
  FMain->KeyHelpers->Add("81=261");  // Q alone types U+0105
  TFLearn* Window = Start(MakeDict("three.dic", Three), false);
  ASSERT_NE(Window, nullptr);
  TVsEdit* Edit = Window->EA;
  Edit->SetText(L"ab");
  Edit->SetSelStart(1);
  const auto Press = [&](Word Key) {
    PressKey(Window, Key);
    PumpFor(100);
  };
  // The shortcut's character at the caret, and not the key's own.
  Press('Q');
  EXPECT_EQ(Edit->Text(), L"a\u0105b");
  EXPECT_EQ(Edit->SelStart(), 2);
  // The next key is the edit's again, arrows and Backspace too.
  Press('X');
  EXPECT_EQ(Edit->Text(), L"a\u0105xb");
  Press(VK_LEFT);
  Press(VK_BACK);
  EXPECT_EQ(Edit->Text(), L"axb");
  Press(VK_END);
  Press(VK_BACK);
  EXPECT_EQ(Edit->Text(), L"ax");
  EXPECT_FALSE(Window->FeedbackShown);
}

TEST_F(Learn, DamagedOrMissingDictionaryLeavesAnEmptyUsableWindow) {
  const AnsiString Damaged = FixturePath("damaged.dic");
  {
    TFileStream File(Damaged, fmCreate);
    const char Junk[100] = {1, 2, 3};
    File.WriteBuffer(Junk, sizeof Junk);
  }
  struct TCase {
    AnsiString Path;
    bool Box;
  };
  const TCase Cases[] = {{Damaged, true}, {IncludeTrailingPathDelimiter(FixtureDir()) + "missing.dic", false}};
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Path);
    Seen = TSeen{};
    TFLearn* Window = Start(Case.Path, true);
    ASSERT_NE(Window, nullptr);
    PumpFor(100);
    if (Case.Box) {
      EXPECT_EQ(Seen.BoxText, L"Nie można załadować słownika. Plik jest uszkodzony.");
      EXPECT_EQ(Seen.BoxCaption, L"Błąd pliku");
    } else {
      EXPECT_TRUE(Seen.Order.empty());
    }
    EXPECT_EQ(Window->Dict->Count(), 0);
    EXPECT_EQ(Window->Caption(), "Test");
    // Enter counts nothing, shows nothing and ends nothing.
    Window->EA->SetText(AnsiToWide("x"));
    PressKey(Window, VK_RETURN);
    PumpFor(150);
    EXPECT_FALSE(Window->FeedbackShown);
    EXPECT_EQ(Window->Good, 0);
    EXPECT_EQ(FBledy->LBB->Items()->Count(), 0);
    EXPECT_EQ(Window_(), Window);
    EXPECT_FALSE(FileExists(ResultFile(UserName)));
    Window->Close();
    EXPECT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 1000));
  }
}

TEST_F(Learn, OnceMoreRestartsInPlace) {
  EndButton = &TEndLearnDlg::BYes;
  TFLearn* Window = Start(MakeDict("one.dic", {{L"kot", {L"cat"}}}), false);
  ASSERT_NE(Window, nullptr);
  Type(Window, L"zle");
  MoveOn(Window);
  Type(Window, L"cat");
  MoveOn(Window);
  EXPECT_EQ(Seen.Order, (std::vector<std::string>{"end"}));
  ASSERT_EQ(Window_(), Window) << "the same window goes on";
  EXPECT_EQ(Window->Asked, 1);
  EXPECT_EQ(Window->Good, 0);
  EXPECT_EQ(Window->LGAns->Caption(), "0");
  EXPECT_EQ(FBledy->LBB->Items()->Count(), 0) << "the wrong answers start again too";
}

TEST_F(Learn, AnotherDictionaryOpensTheChooserHalfASecondLater) {
  EndButton = &TEndLearnDlg::BOther;
  const AnsiString Path = MakeDict("one.dic", {{L"kot", {L"cat"}}});
  TFLearn* Window = Start(Path, true);
  ASSERT_NE(Window, nullptr);
  Type(Window, L"cat");
  PressKey(Window, VK_RETURN);
  ASSERT_TRUE(PumpUntil([] { return Seen.Order.size() >= 2; }, 2000));
  EXPECT_EQ(Seen.Order[0], "end");
  EXPECT_EQ(Seen.Order[1], "chooser");
  const DWORD Delay = Seen.ChooserAt - Seen.EndAt;
  EXPECT_GE(Delay, 400u);
  EXPECT_LE(Delay, 1200u);
  // OK in the chooser starts a new test on the chosen dictionary.
  EXPECT_TRUE(PumpUntil([] { return Window_() != nullptr; }, 1000));
  ASSERT_NE(Window_(), nullptr);
  EXPECT_TRUE(Window_()->TestMode);
  EXPECT_EQ(Window_()->Dict->FileName(), Path);
}

TEST_F(Learn, StartsAreRefusedWhileAWindowIsOpenAndTestsNeedAUser) {
  const AnsiString Path = MakeDict("three.dic", Three);
  FSelDic->FLDic->SetFileName(Path);

  // Through the menu: the chooser, then a drill.
  FMain->Uczsi1Click(FMain->Uczsi1);
  ASSERT_NE(Window_(), nullptr);
  EXPECT_FALSE(Window_()->TestMode);
  EXPECT_EQ(Seen.Order, (std::vector<std::string>{"chooser"}));

  // With a window open neither a start nor a restart opens the chooser.
  FMain->Sprawdsi1Click(FMain->Sprawdsi1);
  FMain->RestartLater(0);
  PumpFor(800);
  EXPECT_EQ(Seen.Order, (std::vector<std::string>{"chooser"}));
  EXPECT_EQ(FMain->MDIChildCount(), 1);
  Window_()->Close();
  ASSERT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 1000));

  // The drill put its dictionary on the recent list: the item opens it
  // without the chooser.
  ASSERT_TRUE(FMain->LL41->Visible());
  EXPECT_EQ(FMain->LL41->Hint(), Path);
  FMain->LL44Click(nullptr);
  EXPECT_EQ(Window_(), nullptr);
  FMain->LL44Click(FMain->LL41);
  ASSERT_NE(Window_(), nullptr);
  EXPECT_FALSE(Window_()->TestMode);
  EXPECT_EQ(Seen.Order, (std::vector<std::string>{"chooser"}));
  Window_()->Close();
  ASSERT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 1000));

  // A listed file outside the dictionaries folder is not opened.
  const AnsiString Outside = ExtractFilePath(Application->ExeName()) + "outside.dic";
  TOwned<TDict>(new TDict())->SaveToFile(Outside);
  FMain->LL41->SetHint(Outside);
  FMain->LL44Click(FMain->LL41);
  DeleteFile(Outside);
  EXPECT_EQ(Window_(), nullptr);

  // Without a user a test is refused, from the menu after the chooser and
  // from a recent item.
  FMain->CurrentUser->SelectUser("noname");
  FMain->Sprawdsi1Click(FMain->Sprawdsi1);
  EXPECT_EQ(Window_(), nullptr);
  EXPECT_EQ(Seen.Order, (std::vector<std::string>{"chooser", "chooser", "box"}));
  EXPECT_EQ(Seen.BoxText, L"Przed rozpoczęciem pracy musisz utworzyć użytkownika.");
  FMain->TL41->SetHint(Path);
  FMain->LL44Click(FMain->TL41);
  PumpFor(200);
  EXPECT_EQ(Window_(), nullptr);
  EXPECT_EQ(Seen.Order.back(), "box");
  EXPECT_EQ(Seen.Order.size(), 4u);
}

TEST_F(Learn, StatisticsCountTheAnswersGivenWhileTheNextWordIsAsked) {
  TFLearn* Window = Start(MakeDict("three.dic", Three), true);
  ASSERT_NE(Window, nullptr);
  struct TCase {
    bool Right;
    const char* Count;  // answers given
    const char* Correct;
    const char* Effectiveness;
  };
  const TCase Cases[] = {{true, "1", "1", "100 %"}, {false, "2", "1", "50 %"}};
  for (int I = 0; I < 2; ++I) {
    SCOPED_TRACE(I);
    const TCase& Case = Cases[I];
    Type(Window, Case.Right ? RightAnswer(Window) : WideString(L"zle"));
    MoveOn(Window);
    // The next word is up, not yet answered: it counts for nothing yet.
    ASSERT_EQ(Window->Current, I + 1);
    EXPECT_EQ(Window->LQNo->Caption(), IntToStr(I + 2) + " z 3");
    EXPECT_EQ(Window->LQCount->Caption(), Case.Count);
    EXPECT_EQ(Window->LGAns->Caption(), Case.Correct);
    EXPECT_EQ(Window->LEffi->Caption(), Case.Effectiveness);
  }
}

// --- the feedback key, long words, closing under a dialog ------------------

// Types Text key by key into the answer edit, as the keyboard sends it (the
// message loop makes each character from its key), then Enter; returns once
// the feedback shows. Letters and digits only.
void TypeKeys(TFLearn* Window, const WideString& Text) {
  for (wchar_t Char : Text) {
    const Word Key = static_cast<Word>(towupper(Char));
    PostMessageA(Window->EA->Handle(), WM_KEYDOWN, Key, 1);
    PostMessageA(Window->EA->Handle(), WM_KEYUP, Key, 0xC0000001);
  }
  PostMessageA(Window->EA->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageA(Window->EA->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
  EXPECT_TRUE(PumpUntil([Window] { return FMain->ActiveMDIChild() != Window || Window->FeedbackShown; }, 2000))
      << "no feedback after typing " << WideToAnsi(Text);
}

TEST_F(Learn, TheKeyThatEndsTheFeedbackTypesNothingIntoTheNextAnswer) {
  Setting("repeat count", "2");
  TFLearn* Window = Start(MakeDict("three.dic", Three), false);
  ASSERT_NE(Window, nullptr);
  const Word Keys[] = {VK_SPACE, 'X', '5', VK_RIGHT};
  for (Word Key : Keys) {
    SCOPED_TRACE(Key);
    ASSERT_EQ(Window_(), Window);
    TypeKeys(Window, L"zle");
    ASSERT_TRUE(Window->LABad->Visible());
    PressKey(Window, Key);
    EXPECT_TRUE(PumpUntil([Window] { return !Window->FeedbackShown; }, 1000)) << "the key did not end the feedback";
    // Whatever of the key could still arrive has arrived.
    PumpFor(100);
    EXPECT_EQ(WideToAnsi(Window->EA->Text()), "");
    const int Good = Window->Good;
    TypeKeys(Window, RightAnswer(Window));
    EXPECT_TRUE(Window->LAGood->Visible()) << WideToAnsi(RightAnswer(Window)) << " was not taken";
    EXPECT_EQ(Window->Good, Good + 1);
    MoveOn(Window);
  }
}

TEST_F(Learn, AWordWiderThanTheQuestionBoxIsShownBrokenAtItsEdge) {
  // 81 units, the most an entry holds, and not one blank.
  WideString Long;
  while (Long.size() < 81) Long += L"Wszechstronności";
  Long.resize(81);
  for (bool Test : {false, true}) {
    SCOPED_TRACE(Test);
    TFLearn* Window = Start(MakeDict("long.dic", {{Long.c_str(), {L"x"}}}), Test);
    ASSERT_NE(Window, nullptr);
    PumpFor(200);
    // All of the word, in lines.
    AnsiString Text = WideToAnsi(Window->EQ->Text());
    std::erase_if(Text, [](char C) { return C == '\r' || C == '\n'; });
    EXPECT_EQ(AnsiToWide(Text), Long);
    // The edit's own layout: the word takes several lines, from the first
    // to the last all inside the box.
    HWND Box = Window->EQ->Handle();
    const WPARAM LastChar = GetWindowTextLengthW(Box) - 1;
    EXPECT_GE(SendMessageW(Box, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(Box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    RECT Client;
    GetClientRect(Box, &Client);
    const LRESULT First = SendMessageW(Box, EM_POSFROMCHAR, 0, 0);
    const LRESULT Last = SendMessageW(Box, EM_POSFROMCHAR, LastChar, 0);
    const LRESULT Second = SendMessageW(Box, EM_POSFROMCHAR, SendMessageW(Box, EM_LINEINDEX, 1, 0), 0);
    const int LineHeight = static_cast<short>(HIWORD(Second)) - static_cast<short>(HIWORD(First));
    ASSERT_GT(LineHeight, 0);
    EXPECT_GE(static_cast<short>(HIWORD(First)), 0);
    EXPECT_LE(static_cast<short>(HIWORD(Last)) + LineHeight, Client.bottom);
    // Ink on the screen in the last line, where the word ends, inside the
    // box.
    POINT Origin{0, static_cast<short>(HIWORD(Last))};
    ClientToScreen(Box, &Origin);
    POINT Bottom{0, Client.bottom};
    ClientToScreen(Box, &Bottom);
    HDC Screen = GetDC(nullptr);
    int Ink = 0;
    for (int Y = Origin.y; Y < std::min<LONG>(Origin.y + LineHeight, Bottom.y); ++Y)
      for (int X = Origin.x; X < Origin.x + Client.right; ++X) {
        const COLORREF C = GetPixel(Screen, X, Y);
        Ink += GetRValue(C) + GetGValue(C) + GetBValue(C) < 300;
      }
    ReleaseDC(nullptr, Screen);
    EXPECT_GT(Ink, 30) << "the end of the word is not on the screen";
    SaveShot(FMain->Handle(), Test ? "learn-long-word-test" : "learn-long-word");
    Window->Close();
    ASSERT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 1000)) << "the window did not close";
  }
}

// A close sent while a dialog of the window is up (the answering timer is
// not running: each test answers its dialogs itself).
class LearnClosedUnderADialog : public Learn {
protected:
  void SetUp() override {
    Learn::SetUp();
    Answerer.reset();
    Closes.clear();
    Unexpected.clear();
  }
  // The dialog's window, once shown, gets a WM_CLOSE sent to the exercise
  // window; a later tick notes whether the window still stands and clicks
  // the button.
  struct TClose {
    TCustomForm* Dialog;
    TButton* Button;
    HWND Window = nullptr;
    int Ticks = 0;
    bool Alive = false;
    bool Clicked = false;
  };
  std::vector<TClose> Closes;
  // Windows that should not have come, closed so that no wait is left
  // without its end.
  std::vector<std::string> Unexpected;
  void Tick() {
    if (HWND Box = FindMessageBox()) {
      Unexpected.push_back("box");
      PostMessageW(Box, WM_COMMAND, IDOK, 0);
      return;
    }
    if (FSelDic->Showing() && FSelDic->ModalResult() == mrNone) {
      Unexpected.push_back("chooser");
      Click(FSelDic->BCancel);
      return;
    }
    for (TClose& Close : Closes) {
      if (Close.Clicked || !Close.Dialog->Showing()) continue;
      if (Close.Ticks++ == 0) {
        SendMessageW(Close.Window, WM_CLOSE, 0, 0);
      } else if (Close.Ticks > 4) {
        Close.Alive = IsWindow(Close.Window) && Window_() && Window_()->Handle() == Close.Window;
        Close.Clicked = true;
        Click(Close.Button);
      }
      return;
    }
  }
};

TEST_F(LearnClosedUnderADialog, TheWindowClosesOnceTheDialogIsDoneAndTheProgramGoesOn) {
  struct TCase {
    const char* Name;
    bool Test;
    bool Errors;
    bool UnderList;  // closed under the wrong-answer list, not the end dialog
    TButton* TEndLearnDlg::* Answer;
  };
  const TCase Cases[] = {
      {"test, end dialog, finish", true, false, false, &TEndLearnDlg::BFinish},
      {"test, end dialog, once more", true, false, false, &TEndLearnDlg::BYes},
      {"test, wrong-answer list", true, true, true, &TEndLearnDlg::BFinish},
      {"drill, end dialog, other dictionary", false, false, false, &TEndLearnDlg::BOther},
  };
  // The user's results, one record per test.
  DWORD Records = 0;
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Setting("Errors", Case.Errors ? "1" : "0");
    Seen = TSeen{};
    TFLearn* Window = Start(MakeDict("one.dic", {{L"kot", {L"cat"}}}), Case.Test);
    ASSERT_NE(Window, nullptr);
    Closes.clear();
    Unexpected.clear();
    if (Case.UnderList) {
      Closes.push_back({EndLearnDlg, EndLearnDlg->*Case.Answer});
      Closes[0].Ticks = 5;  // answered without a close
      Closes.push_back({FBledy, FBledy->Button1});
    } else {
      Closes.push_back({EndLearnDlg, EndLearnDlg->*Case.Answer});
    }
    for (TClose& Close : Closes) Close.Window = Window->Handle();
    const TTickTimer Answering(30, [this] { Tick(); });
    TypeKeys(Window, L"cat");
    PressKey(Window, VK_RETURN);
    EXPECT_TRUE(PumpUntil([this] { return Closes.back().Clicked; }, 5000)) << "the dialog never came";
    EXPECT_TRUE(Closes.back().Alive) << "the window was freed under the dialog";
    EXPECT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 2000)) << "the window did not close after the dialog";
    // Neither a restart in place nor the chooser: the close came first.
    PumpFor(800);
    EXPECT_EQ(FMain->MDIChildCount(), 0);
    EXPECT_EQ(Unexpected, std::vector<std::string>{});
    if (Case.Test) {
      WIN32_FILE_ATTRIBUTE_DATA Data{};
      EXPECT_TRUE(GetFileAttributesExA(ResultFile(UserName).c_str(), GetFileExInfoStandard, &Data));
      EXPECT_EQ(Data.nFileSizeLow, ++Records * ResultRecordBytes) << "the result was not stored";
    }
  }
  // The program goes on and ends as it should, writing its last user.
  WritePrivateProfileStringA("global", "LastUser", "x", ConfigPath().c_str());
  FreeAndNil(EndLearnDlg);
  FreeAndNil(FBledy);
  FreeAndNil(FSelDic);
  FreeAndNil(FMain);
  char LastUser[64] = {};
  GetPrivateProfileStringA("global", "LastUser", "", LastUser, sizeof LastUser, ConfigPath().c_str());
  EXPECT_STREQ(LastUser, UserName);
}

TEST_F(LearnClosedUnderADialog, ARestartWhoseDictionaryNoLongerLoadsClosesUnderItsMessage) {
  const AnsiString Path = MakeDict("one.dic", {{L"kot", {L"cat"}}});
  TFLearn* Window = Start(Path, false);
  ASSERT_NE(Window, nullptr);
  const HWND Handle = Window->Handle();
  // "Tak" once the file is damaged; the load's message then gets a close
  // for the window and, some ticks later, OK.
  bool Restarted = false, Alive = false, Answered = false;
  int Ticks = 0;
  const TTickTimer Answering(30, [&] {
    if (!Restarted && EndLearnDlg->Showing()) {
      TFileStream File(Path, fmCreate);
      const char Junk[100] = {1, 2, 3};
      File.WriteBuffer(Junk, sizeof Junk);
      Restarted = true;
      Click(EndLearnDlg->BYes);
      return;
    }
    HWND Box = FindMessageBox();
    if (!Box || Answered) return;
    if (Ticks++ == 0) {
      SendMessageW(Handle, WM_CLOSE, 0, 0);
    } else if (Ticks > 4) {
      Alive = IsWindow(Handle) != FALSE;
      Answered = true;
      PostMessageW(Box, WM_COMMAND, IDOK, 0);
    }
  });
  TypeKeys(Window, L"cat");
  PressKey(Window, VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return Answered; }, 5000)) << "the load's message never came";
  EXPECT_TRUE(Alive) << "the window was freed under the message";
  EXPECT_TRUE(PumpUntil([] { return Window_() == nullptr; }, 2000)) << "the window did not close after the message";
}

TEST_F(Learn, TheLayoutHasItsPicturesAndFramesAndTheRatioFollowsTheAnswers) {
  TFLearn* Window = Start(MakeDict("three.dic", Three), true);
  ASSERT_NE(Window, nullptr);
  ExpectExerciseLayout(Window);
  EXPECT_EQ(Window->Ratio, 0);
  TypeKeys(Window, RightAnswer(Window));
  EXPECT_EQ(Window->Ratio, 1);
  MoveOn(Window);
  TypeKeys(Window, L"zle");
  EXPECT_EQ(Window->Ratio, 0.5);
}

TEST_F(Learn, AMacronTypedWithCtrlAIsShownAndAccepted) {
  const std::vector<TEntry> Macron = {{L"mama", {L"m\u0101"}}};
  TFLearn* Window = Start(MakeDict("macron.dic", Macron), false);
  ASSERT_NE(Window, nullptr);
  SetForegroundWindow(FMain->Handle());
  Window->EA->SetFocus();
  PumpFor(100);
  ASSERT_EQ(GetFocus(), Window->EA->Handle());
  PressKeys({'M'});
  PressKeys({VK_CONTROL, 'A'});
  EXPECT_EQ(Window->EA->Text(), L"m\u0101") << "Ctrl+A types the macron, selects nothing";
  EXPECT_EQ(Window->EA->SelLength(), 0);
  SaveShot(FMain->Handle(), "learn-macron-answer", 200);
  PressKeys({VK_RETURN});
  WaitUntil("the feedback on the answer", [Window] { return Window_() != Window || Window->FeedbackShown; });
  EXPECT_EQ(Window->Good, 1);
}

}  // namespace
