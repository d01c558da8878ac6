// The presentation inside the main window: the answers it shows, marking
// words as known or not, the end and its restarts, and the sound player
// driven through a logging stand-in of the audio library.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FileUtils.h"
#include "QPlayer.h"

namespace {

// The stand-in's own entry points: its log, and emptying it with the entry
// points that are to fail from then on.
using TLogText = const char* (*)();
using TLogReset = void (*)(const char* Failing);
TLogText LogText = nullptr;
TLogReset LogReset = nullptr;

class TDisplayEnvironment : public TTrainerEnvironment {
public:
  void SetUp() override {
    // Loaded by full path first, the stand-in is what the player's load of
    // "Audiere.dll" by bare name finds.
    HMODULE Stub = LoadLibraryA(AUDIERE_STUB);
    ASSERT_NE(Stub, nullptr) << AUDIERE_STUB;
    LogText = reinterpret_cast<TLogText>(reinterpret_cast<void*>(GetProcAddress(Stub, "AudiereLogText")));
    LogReset = reinterpret_cast<TLogReset>(reinterpret_cast<void*>(GetProcAddress(Stub, "AudiereLogReset")));
    ASSERT_TRUE(LogText && LogReset);
    TTrainerEnvironment::SetUp();
  }
};

[[maybe_unused]] const auto* const DisplayEnvironment = ::testing::AddGlobalTestEnvironment(new TDisplayEnvironment);

const char* const UserName = "Tester";

std::vector<std::string> LogLines() {
  std::vector<std::string> Lines;
  std::istringstream In(LogText());
  for (std::string Line; std::getline(In, Line);) Lines.push_back(Line);
  return Lines;
}

// The end dialog, answered with a button once it shows; the presentation's
// count of known words when it showed.
TButton* TEndLearnDlg::* EndAnswer = nullptr;
int EndDialogs = 0;
int GoodAtEnd = -1;

void CALLBACK AnswerEnd(HWND, UINT, UINT_PTR, DWORD) {
  try {
    if (!EndLearnDlg->Showing() || EndLearnDlg->ModalResult() != mrNone) return;
    ++EndDialogs;
    if (auto* Form = dynamic_cast<TFDisplay*>(FMain->ActiveMDIChild())) GoodAtEnd = Form->Good;
    SendMessageA((EndLearnDlg->*EndAnswer)->Handle(), BM_CLICK, 0, 0);
  } catch (...) {
  }
}

// The dictionary chooser, cancelled whenever it shows.
int ChooserShown = 0;
UINT_PTR ChooserTimer = 0;

void CALLBACK CancelChooser(HWND, UINT, UINT_PTR, DWORD) {
  try {
    if (!FSelDic->Showing() || FSelDic->ModalResult() != mrNone) return;
    ++ChooserShown;
    SendMessageA(FSelDic->BCancel->Handle(), BM_CLICK, 0, 0);
  } catch (...) {
  }
}

class Presentation : public ::testing::Test {
protected:
  void SetUp() override {
    FreshSettingsFor(UserName);
    WritePrivateProfileStringA("test", "randomize", "0", ConfigPath().c_str());
    DeleteFile(RecentListFile(2));
    Dir = IncludeTrailingPathDelimiter(DictionariesDir()) + "display-test";
    RemoveTree(Dir);
    ForceDirectories(Dir + "\\words_snd");
    LogReset("");
    EndDialogs = 0;
    GoodAtEnd = -1;
    ChooserShown = 0;
    Answerer.emplace(IDOK, 30);
    Application->CreateForm(FMain);
    Application->CreateForm(FSelDic);
    Application->CreateForm(FBledy);
    Application->CreateForm(EndLearnDlg);
    FMain->Show();
    PumpFor(200);
  }
  void TearDown() override {
    Answerer.reset();
    if (EndTimer) KillTimer(nullptr, EndTimer);
    if (ChooserTimer) KillTimer(nullptr, ChooserTimer);
    ChooserTimer = 0;
    FreeAndNil(EndLearnDlg);
    FreeAndNil(FBledy);
    FreeAndNil(FSelDic);
    CloseMainRemoving(UserName);
    DeleteFile(RecentListFile(2));
    RemoveTree(Dir);
  }

  AnsiString MakeDict(const char* Name, const std::vector<TEntry>& Entries) {
    return SaveDict(Dir + "\\" + Name, Entries);
  }

  // The message boxes seen, each as "caption|text".
  std::vector<std::wstring> Boxes() const {
    std::vector<std::wstring> Result;
    for (const TBoxSeen& Box : Answerer->Seen()) Result.push_back(Box.Caption + L"|" + Box.Text);
    return Result;
  }

  // Three words in order: no sound, a sound, a folder in the sound's place.
  AnsiString MakeWords() {
    const AnsiString Path = MakeDict("words.dic", {{L"cat", {L"kot"}},
                                                   {L" good morning ", {L"dzień dobry", L"witaj"}},
                                                   {L"run", {L"biegać", L"biec", L"uciekać", L"kierować"}}});
    TFileStream(Dir + "\\words_snd\\good_morning.mp3", fmCreate).Write("ID3", 3);
    CreateDirectoryA((Dir + "\\words_snd\\run.mp3").c_str(), nullptr);
    return Path;
  }

  // The presentation of the dictionary, as the chooser's OK starts it.
  TFDisplay* Open(const AnsiString& Path) {
    FSelDic->FLDic->SetFileName(Path);
    // A file made since the list was read shows once it is read again.
    FSelDic->FLDic->Update();
    FSelDic->FLDic->SetFileName(Path);
    EXPECT_EQ(FSelDic->FLDic->FileName(), Path);
    Create<TFDisplay>(Application);
    PumpFor(100);
    return dynamic_cast<TFDisplay*>(FMain->ActiveMDIChild());
  }

  // Answers the end dialog with the button when it comes.
  void AnswerEndWith(TButton* TEndLearnDlg::* Button) {
    EndAnswer = Button;
    if (!EndTimer) EndTimer = SetTimer(nullptr, 0, 30, AnswerEnd);
  }

  // Marks with the button and waits for the step to show the next word.
  static void MarkAndStep(TFDisplay* Form, TButton* Button) {
    SendMessageA(Button->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([Form] { return !Form->FeedbackShown; }));
  }

  // The same with a key pressed while "Umiem" has the focus.
  static void PressAndStep(TFDisplay* Form, Word Key) {
    Form->BBRemove->SetFocus();
    PostMessageA(Form->BBRemove->Handle(), WM_KEYDOWN, Key, 0);
    PostMessageA(Form->BBRemove->Handle(), WM_KEYUP, Key, 0);
    const int Asked = Form->Asked;
    EXPECT_TRUE(PumpUntil([Form, Asked] { return Form->Asked > Asked && !Form->FeedbackShown; }));
  }

  AnsiString Dir;
  // Each message box is noted and answered OK.
  std::optional<TBoxAnswerer> Answerer;
  UINT_PTR EndTimer = 0;
};

TEST(AnswerText, PutsShortListsLowerAndSkipsEmptyAnswers) {
  struct TCase {
    std::vector<const wchar_t*> Answers;
    const wchar_t* Text;
  };
  const TCase Cases[] = {
      {{L"kot"}, L"\r\nkot"},
      {{L"a", L"b"}, L"\r\na\r\nb"},
      {{L"a", L"b", L"c"}, L"a\r\nb\r\nc"},
      {{L"a", L"b", L"c", L"d"}, L"a\r\nb\r\nc\r\nd"},
      {{L"a", L"", L"c"}, L"\r\na\r\nc"},
      {{L"", L"b"}, L"\r\n\r\nb"},
  };
  for (const TCase& Case : Cases) {
    TQuestion Q;
    for (size_t I = 0; I < Case.Answers.size(); ++I) Q.SetAnswer(int(I) + 1, Case.Answers[I]);
    EXPECT_EQ(AnswerText(Q), Case.Text) << Case.Answers.size() << " answers";
  }
}

TEST_F(Presentation, ShowsEachWordWithItsAnswersAndPlaysItsSound) {
  const AnsiString Path = MakeWords();
  TFDisplay* Form = Open(Path);
  ASSERT_NE(Form, nullptr);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form->Caption(), WideToAnsi(L"Próba"));
  EXPECT_EQ(Form->Top(), (FMain->ClientHeight() - (Form->Height() + FMain->PTop->Height())) / 2 - 23);
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "cat");
  EXPECT_EQ(WideToAnsi(Form->EA->Text()), "\r\nkot");
  EXPECT_EQ(Form->LQNo->Caption(), "1 z 3");
  EXPECT_FALSE(Form->BSound->Enabled());
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"OpenDevice autodetect", "ref device"}));

  MarkAndStep(Form, Form->BBLeave);
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), " good morning ");
  EXPECT_EQ(WideToAnsi(Form->EA->Text()), WideToAnsi(L"\r\ndzień dobry\r\nwitaj"));
  EXPECT_TRUE(Form->BSound->Enabled());

  const std::string Sound = Dir + "\\words_snd\\good_morning.mp3";
  LogReset("");
  SendMessageA(Form->BSound->Handle(), BM_CLICK, 0, 0);
  const std::vector<std::string> Opened{"OpenSampleSource " + Sound + " 4",
                                        "ref source",
                                        "OpenSound streaming",
                                        "ref device",
                                        "ref source",
                                        "unref source",
                                        "setRepeat 0",
                                        "ref stream",
                                        "play"};
  EXPECT_EQ(LogLines(), Opened);
  // Again: the sound playing is closed first, then opened and played anew.
  LogReset("");
  SendMessageA(Form->BSound->Handle(), BM_CLICK, 0, 0);
  std::vector<std::string> Again{"stop", "reset", "unref stream", "free stream", "unref source", "free source",
                                 "unref device"};
  Again.insert(Again.end(), Opened.begin(), Opened.end());
  EXPECT_EQ(LogLines(), Again);

  // A folder named like the sound file is no sound.
  PressAndStep(Form, VK_RETURN);
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "run");
  EXPECT_EQ(WideToAnsi(Form->EA->Text()), WideToAnsi(L"biegać\r\nbiec\r\nuciekać\r\nkierować"));
  EXPECT_FALSE(Form->BSound->Enabled());
  EXPECT_EQ(Form->LGAns->Caption(), "1");
  EXPECT_EQ(Form->LQCount->Caption(), "2");
  EXPECT_EQ(Form->LEffi->Caption(), "33 %");

  // With SLOVANTA_SHOTS naming a folder, a picture of the window for a
  // person to look at.
  SaveShot(FMain->Handle(), "display-presentation", 300);

  // Closing stops the sound and releases it, then the device.
  LogReset("");
  Form->Close();
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"stop", "reset", "unref stream", "free stream", "unref source",
                                                  "free source", "unref device", "unref device", "free device"}));
}

TEST_F(Presentation, WithoutADeviceReportsOnceAndWorksWithoutSound) {
  const AnsiString Path = MakeDict("one.dic", {{L"good morning", {L"dzień dobry"}}});
  ForceDirectories(Dir + "\\one_snd");
  TFileStream(Dir + "\\one_snd\\good_morning.mp3", fmCreate).Write("ID3", 3);
  LogReset("device");
  TFDisplay* Form = Open(Path);
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], L"Błąd|Wystąpił problem podczas inicjalizacji odtwarzania dźwięku.\r"
                      L"Proszę sprawdzić czy karta dźwiękowa jest poprawnie zainstalowana i dostępna w systemie.");
  EXPECT_FALSE(Form->Player->Ready());
  // The file is there, so the button is offered; pressing it does nothing.
  EXPECT_TRUE(Form->BSound->Enabled());
  SendMessageA(Form->BSound->Handle(), BM_CLICK, 0, 0);

  // Known: the end; "Tak" starts the same dictionary again in this window,
  // whose new player reports nothing more.
  AnswerEndWith(&TEndLearnDlg::BYes);
  MarkAndStep(Form, Form->BBRemove);
  EXPECT_EQ(EndDialogs, 1);
  EXPECT_EQ(Form->LGAns->Caption(), "0");
  EXPECT_EQ(Form->LQCount->Caption(), "1");
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "good morning");
  EXPECT_EQ(Boxes().size(), 1u);

  AnswerEndWith(&TEndLearnDlg::BFinish);
  MarkAndStep(Form, Form->BBRemove);
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  EXPECT_EQ(EndDialogs, 2);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"OpenDevice autodetect", "OpenDevice autodetect"}));
}

TEST_F(Presentation, ARestartReleasesTheOldDeviceBeforeOpeningANewOne) {
  TFDisplay* Form = Open(MakeDict("one.dic", {{L"dom", {L"house"}}}));
  ASSERT_NE(Form, nullptr);
  LogReset("");
  AnswerEndWith(&TEndLearnDlg::BYes);
  MarkAndStep(Form, Form->BBRemove);
  EXPECT_EQ(EndDialogs, 1);
  EXPECT_EQ(LogLines(),
            (std::vector<std::string>{"unref device", "free device", "OpenDevice autodetect", "ref device"}));
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "dom");
}

TEST_F(Presentation, ASoundTheLibraryCannotOpenLeavesThePlayerWithoutOne) {
  TFDisplay* Form = Open(MakeWords());
  ASSERT_NE(Form, nullptr);
  MarkAndStep(Form, Form->BBLeave);
  ASSERT_TRUE(Form->BSound->Enabled());
  const std::string Opening = "OpenSampleSource " + Dir + "\\words_snd\\good_morning.mp3 4";
  struct TCase {
    const char* Failing;
    std::vector<std::string> Log;
  };
  const TCase Cases[] = {
      {"source", {Opening}},
      {"sound", {Opening, "ref source", "OpenSound streaming", "unref source", "free source"}},
  };
  for (const TCase& Case : Cases) {
    LogReset(Case.Failing);
    SendMessageA(Form->BSound->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(Form->Player->HasStream()) << Case.Failing;
    EXPECT_EQ(LogLines(), Case.Log) << Case.Failing;
  }
  MarkAndStep(Form, Form->BBRemove);
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "run");
}

TEST_F(Presentation, TheMainWindowStartsItAndRestartsItForAnotherDictionary) {
  const AnsiString Path = MakeDict("one.dic", {{L"dom", {L"house"}}});
  ChooserTimer = SetTimer(nullptr, 0, 30, CancelChooser);

  // A recent item whose file is gone does nothing; one that is there opens
  // the presentation, which lists its dictionary first.
  FMain->SL41->SetHint(Dir + "\\gone.dic");
  FMain->LL44Click(FMain->SL41);
  EXPECT_EQ(FMain->MDIChildCount(), 0);
  FMain->SL41->SetHint(Path);
  FMain->LL44Click(FMain->SL41);
  PumpFor(100);
  auto* Form = dynamic_cast<TFDisplay*>(FMain->ActiveMDIChild());
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "dom");
  EXPECT_TRUE(FMain->SL41->Visible());
  EXPECT_EQ(FMain->SL41->Hint(), Path);

  // While it is open, neither the menu, the tool button nor a recent item
  // opens another.
  FMain->Poznajswka1Click(FMain->Poznajswka1);
  FMain->Poznajswka1Click(FMain->ToolButton10);
  FMain->LL44Click(FMain->SL41);
  PumpFor(100);
  EXPECT_EQ(ChooserShown, 0);
  EXPECT_EQ(FMain->MDIChildCount(), 1);

  // "Inny słownik": the window goes, and half a second later the chooser
  // asks for the next dictionary.
  AnswerEndWith(&TEndLearnDlg::BOther);
  SendMessageA(Form->BBRemove->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  const DWORD Ended = GetTickCount();
  EXPECT_TRUE(PumpUntil([] { return ChooserShown == 1; }, 3000));
  EXPECT_GE(GetTickCount() - Ended, 300u);
  KillTimer(nullptr, ChooserTimer);
}

TEST_F(Presentation, ASingleWordNotKnownComesAgainAndCountsOnceWhenKnown) {
  TFDisplay* Form = Open(MakeDict("one.dic", {{L"dom", {L"house", L"home"}}}));
  ASSERT_NE(Form, nullptr);
  PressAndStep(Form, VK_ESCAPE);
  EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "dom");
  EXPECT_EQ(Form->LQNo->Caption(), "1 z 1");
  EXPECT_EQ(Form->Asked, 2);
  EXPECT_EQ(Form->LGAns->Caption(), "0");
  EXPECT_EQ(Form->LEffi->Caption(), "0 %");

  // Enter on the focused "Umiem" and a click before the step has run: the
  // word counts once, and the end comes once.
  AnswerEndWith(&TEndLearnDlg::BFinish);
  Form->BBRemove->SetFocus();
  PostMessageA(Form->BBRemove->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageA(Form->BBRemove->Handle(), WM_KEYUP, VK_RETURN, 0);
  PostMessageA(Form->BBRemove->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  EXPECT_EQ(EndDialogs, 1);
  EXPECT_EQ(GoodAtEnd, 1);
}

TEST_F(Presentation, InRandomOrderAWordDoesNotComeTwiceUntilOnlyItIsLeft) {
  WritePrivateProfileStringA("test", "randomize", "1", ConfigPath().c_str());
  TFDisplay* Form = Open(MakeDict("words.dic", {{L"a", {L"1"}}, {L"b", {L"2"}}, {L"c", {L"3"}}, {L"d", {L"4"}}}));
  ASSERT_NE(Form, nullptr);
  std::set<AnsiString> Known;
  for (int Step = 0; Step < 12; ++Step) {
    const AnsiString Before = WideToAnsi(Form->EQ->Text());
    // Every third word is known, until one is left.
    const bool Know = Step % 3 == 2 && Known.size() < 3;
    if (Know) Known.insert(Before);
    MarkAndStep(Form, Know ? Form->BBRemove : Form->BBLeave);
    EXPECT_EQ(Known.count(WideToAnsi(Form->EQ->Text())), 0u) << "a known word came again";
    if (Known.size() < 3 && !Know) {
      EXPECT_NE(WideToAnsi(Form->EQ->Text()), Before) << "step " << Step;
    }
  }
  ASSERT_EQ(Known.size(), 3u);
  const AnsiString Last = WideToAnsi(Form->EQ->Text());
  for (int Step = 0; Step < 3; ++Step) {
    MarkAndStep(Form, Form->BBLeave);
    EXPECT_EQ(WideToAnsi(Form->EQ->Text()), Last);
  }
  EXPECT_EQ(Form->Good, 3);
}

TEST_F(Presentation, AnEmptyOrDamagedDictionaryCountsNothing) {
  struct TCase {
    const char* Name;
    int Bytes;
    std::vector<std::wstring> Boxes;
  };
  const TCase Cases[] = {
      {"empty.dic", 0, {}},
      {"bad.dic", 100, {L"Błąd pliku|Nie można załadować słownika. Plik jest uszkodzony."}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const AnsiString Path = Dir + "\\" + Case.Name;
    const std::vector<char> Bytes(Case.Bytes, 'x');
    TFileStream(Path, fmCreate).Write(Bytes.data(), Case.Bytes);
    Answerer->Clear();
    TFDisplay* Form = Open(Path);
    ASSERT_NE(Form, nullptr);
    EXPECT_EQ(Boxes(), Case.Boxes);
    Form->BBRemove->SetFocus();
    PostMessageA(Form->BBRemove->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(Form->BBRemove->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(Form->BBRemove->Handle(), BM_CLICK, 0, 0);
    PostMessageA(Form->BBLeave->Handle(), BM_CLICK, 0, 0);
    PumpFor(200);
    EXPECT_FALSE(Form->FeedbackShown);
    EXPECT_EQ(Form->Good, 0);
    EXPECT_EQ(EndDialogs, 0);
    EXPECT_EQ(WideToAnsi(Form->EQ->Text()), "");
    Form->Close();
    EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }));
  }
}

TEST_F(Presentation, ClosedUnderTheEndDialogItClosesOnceTheDialogIsDone) {
  ChooserTimer = SetTimer(nullptr, 0, 30, CancelChooser);
  const AnsiString Path = MakeDict("one.dic", {{L"dom", {L"house"}}});
  for (TButton* TEndLearnDlg::* Answer : {&TEndLearnDlg::BFinish, &TEndLearnDlg::BYes, &TEndLearnDlg::BOther}) {
    SCOPED_TRACE(Answer == &TEndLearnDlg::BFinish ? "finish" : Answer == &TEndLearnDlg::BYes ? "once more" : "other");
    TFDisplay* Form = Open(Path);
    ASSERT_NE(Form, nullptr);
    const HWND Handle = Form->Handle();
    // Under the end dialog the window gets a WM_CLOSE; some ticks later the
    // dialog is answered.
    int Ticks = 0;
    bool Alive = false, Answered = false;
    const TTickTimer Answering(30, [&] {
      if (Answered || !EndLearnDlg->Showing()) return;
      if (Ticks++ == 0) {
        SendMessageW(Handle, WM_CLOSE, 0, 0);
      } else if (Ticks > 4) {
        Alive = IsWindow(Handle) && FMain->MDIChildCount() == 1;
        Answered = true;
        SendMessageA((EndLearnDlg->*Answer)->Handle(), BM_CLICK, 0, 0);
      }
    });
    SendMessageA(Form->BBRemove->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Answered; }, 5000)) << "the end dialog never came";
    EXPECT_TRUE(Alive) << "the window was freed under the dialog";
    EXPECT_TRUE(PumpUntil([] { return FMain->MDIChildCount() == 0; }, 2000)) << "the window did not close";
    // Neither a restart in place nor the chooser: the close came first.
    PumpFor(800);
    EXPECT_EQ(FMain->MDIChildCount(), 0);
    EXPECT_EQ(ChooserShown, 0);
  }
}

TEST_F(Presentation, TheSoundErrorShowsTheTextTablesWordsAsTheyAre) {
  // Letters outside the system code page come through only as UTF-16.
  const WideString Text = sPlayerErrorText, Caption = sPlayerErrorCaption;
  sPlayerErrorText = L"Brak d\u017Awi\u0119ku: \u0101\u014D.";
  sPlayerErrorCaption = L"B\u0142\u0105d \u0101";
  LogReset("device");
  TFDisplay* Form = Open(MakeDict("one.dic", {{L"dom", {L"house"}}}));
  sPlayerErrorText = Text;
  sPlayerErrorCaption = Caption;
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::wstring>{L"B\u0142\u0105d \u0101|Brak d\u017Awi\u0119ku: \u0101\u014D."}));
}

TEST_F(Presentation, TheLayoutHasItsPicturesAndFramesAndTheRatioCountsKnownWords) {
  TFDisplay* Form = Open(MakeWords());
  ASSERT_NE(Form, nullptr);
  ExpectExerciseLayout(Form);
  EXPECT_EQ(Form->Repetitions, 1);
  EXPECT_EQ(Form->Ratio, 0);
  // Known words of all the words, not of those shown.
  MarkAndStep(Form, Form->BBRemove);
  EXPECT_DOUBLE_EQ(Form->Ratio, 1.0 / 3);
  MarkAndStep(Form, Form->BBLeave);
  EXPECT_DOUBLE_EQ(Form->Ratio, 1.0 / 3);
}

}  // namespace
