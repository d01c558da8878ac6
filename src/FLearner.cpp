#include "FLearner.h"

#include <algorithm>

#include "Bledy.h"
#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "FDicSelector.h"
#include "FEndLearnDlg.h"
#include "FileUtils.h"
#include "IniFiles.h"
#include "Main.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Win.h"

namespace {

// The options offer 1 to 5; a hand-edited value outside would either leave
// nothing to ask or overflow the per-entry counters, and the drill would
// never end.
constexpr int MinRepetitions = 1;
constexpr int MaxRepetitions = 5;

// The recent lists of the main window: 0 learning, 1 test.
int RecentMode(bool Test) { return Test ? 1 : 0; }

// A feedback picture from the executable's BITMAP resources; its magenta
// corner shows the window through.
void LoadPicture(TImage* Image, const char* Name) {
  if (Image->Picture()->Graphic()) return;
  TOwned<TBitmap> Picture(new TBitmap());
  Picture->LoadFromResourceName(GetModuleHandleA(nullptr), Name);
  Image->Picture()->SetGraphic(Picture.get());
}

}  // namespace

TFLearn::TFLearn(TComponent* AOwner, bool ATest) : TForm(AOwner), TestMode(ATest) { FBledy->LBB->Clear(); }

void TFLearn::FormCreate(TObject*) {
  Randomize();
  Dict.reset(new TDict());
  Question.reset(new TQuestion());
  ApplyCaptions();
  LoadPicture(IMGood, "FB_GOOD");
  LoadPicture(IMBad, "FB_BAD");
  SetActiveControl(EA);

  Asked = 0;
  try {
    Dict->LoadFromFile(FSelDic->FLDic->FileName());
    Current = -1;
    LoadFailed = false;
  } catch (...) {
    LoadFailed = true;
  }
  if (LoadFailed) {
    // The window stays open and empty; the dictionary holds nothing.
    Current = 0;
    Dict->Clear();
    ShowAppMessage(sMsgDictCorrupt, sCapFileError, MB_OK);
  } else {
    // The recent list is a convenience: a list that cannot be written is
    // reported, but the exercise goes on.
    try {
      FMain->AddRecent(Dict.get(), RecentMode(TestMode));
    } catch (...) {
      Application->HandleException(this);
    }
    if (!Dict->GetTitle().empty()) SetCaption(WideToAnsi(Dict->GetTitle()));
  }

  Good = 0;
  FeedbackShown = false;
  TIniFile* Config = FMain->Config.get();
  Repetitions = TestMode ? 1
                         : std::clamp(Config->ReadInteger("test", "repeat count", 1), MinRepetitions, MaxRepetitions);
  RandomOrder = Config->ReadBool("test", "randomize", true);
  PStats->SetVisible(Config->ReadBool("test", TestMode ? "TStats" : "LStats", true));
  ExactCheck = true;
  Remaining.assign(static_cast<size_t>(Dict->Count()), static_cast<unsigned char>(Repetitions));
  TestResult[0] = TestResult[1] = 0;

  if (!LoadFailed) {
    NextQuestion();
    RefreshStats();
  }
}

void TFLearn::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 - 23);
  SetLeft((FMain->ClientWidth() - Width()) / 2);
  const int PixelsPerInch = Screen->PixelsPerInch();
  if (Dict->HasResizeFont()) {
    EA->SetTop(Shape2->Top() + 2);
    EA->SetHeight(35);
    EA->Font()->SetSize(1920 / PixelsPerInch);
  } else {
    EA->SetTop(Shape2->Top() + 8);
    EA->SetHeight(24);
    EA->Font()->SetSize(1440 / PixelsPerInch);
  }
}

void TFLearn::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TFLearn::FormDestroy(TObject*) {
  Question.reset();
  Dict.reset();
}

void TFLearn::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (!FeedbackShown || Key == VK_RETURN) return;
  Key = 0;
  EndFeedback();
}

void TFLearn::EAKeyDown(TObject*, Word& Key, TShiftState Shift) {
  FMain->TranslateShortcutKey(Key, Shift, SpecialKeyHandled, EA);
  if (SpecialKeyHandled) Key = 0;
}

void TFLearn::EAKeyPress(TObject*, char& Key) {
  if (SpecialKeyHandled) {
    Key = '\0';
    return;
  }
  if (Key != '\r') return;
  // The single-line edit would only beep at Enter.
  Key = '\0';
  if (FeedbackShown)
    EndFeedback();
  else
    Answer();
}

void TFLearn::THideTimer(TObject*) { EndFeedback(); }

void TFLearn::ApplyCaptions() {
  SetCaption(WideToAnsi(TestMode ? sTestCaption : sLearnCaption));
  LLEffi->SetCaption(WideToAnsi(TestMode ? sTestEfficiency : sLearnEfficiency));
  LQuestion->SetCaption(WideToAnsi(sLearnTranslate));
  LAnswers->SetCaption(WideToAnsi(sLearnYourAnswer));
  LLQNo->SetCaption(WideToAnsi(sLearnQuestion));
  LLQCount->SetCaption(WideToAnsi(sLearnAnswers));
  LLGAns->SetCaption(WideToAnsi(sLearnCorrect));
}

void TFLearn::NextQuestion() {
  const int N = Dict->Count();
  if (N == 0) return;
  const int R = Repetitions;
  bool OthersLeft = false;
  for (int I = 0; I < N && !OthersLeft; ++I) OthersLeft = I != Current && Remaining[I] > 0;
  // Only the current word still needs answers: it is asked again. Checked
  // before any draw, which could otherwise never find another word.
  if (!OthersLeft) {
    if (Current < 0 || Remaining[Current] == 0) return;
  } else if (RandomOrder && Good < N * R - 2) {
    if (N == 1) {
      Current = 0;
    } else {
      int I;
      do I = Random(N);
      while (I == Current || Remaining[I] == 0);
      Current = I;
    }
  } else {
    // Near the end the current word is not skipped, so it may come twice
    // in a row.
    int I = Current < 0 ? 0 : Current;
    while (Remaining[I] == 0 || (I == Current && Good < N * R - 2)) I = (I + 1) % N;
    Current = I;
  }
  Dict->Get(Current, Question->Record());
  EQ->SetText(WideToAnsi(Question->GetQuestion()));
  EA->Clear();
  ++Asked;
  LQNo->SetCaption(IntToStr(Current + 1) + WideToAnsi(sQuestionOf) + IntToStr(N));
}

void TFLearn::RefreshStats() {
  LGAns->SetCaption(IntToStr(Good));
  LQCount->SetCaption(IntToStr(Asked));
  if (TestMode) {
    TestResult[0] = Good;
    TestResult[1] = Asked;
  }
  LEffi->SetCaption(IntToStr(RoundPercent(Good, Asked)) + " %");
}

void TFLearn::Answer() {
  // No word is shown: nothing to answer and nothing to count.
  if (Dict->Count() == 0 || Current < 0) return;
  const bool Correct = Question->CheckAnswer(AnsiToWide(EA->Text()), ExactCheck);
  unsigned char& Left = Remaining[Current];
  if (Correct) {
    ++Good;
    if (Left > 0) --Left;
  } else {
    FBledy->LBB->Items()->Add(
        WideToAnsi(Question->GetQuestion() + L" => " + Dict->ItemText(-1, Question->Record())));
    if (TestMode && Left > 0) --Left;
  }
  ShowFeedback(Correct);
  RefreshStats();
}

void TFLearn::ShowFeedback(bool Correct) {
  if (Correct) {
    LAGood->SetCaption(WideToAnsi(sGoodAnswer[Random(3)]));
    LAGood->SetVisible(true);
    IMGood->SetVisible(true);
  } else {
    WideString Text;
    if (TestMode) {
      Text = sBadAnswer[Random(3)];
    } else {
      // The answers that are filled in, in order, each in quotation marks.
      Text = sCorrection[Random(3)] + L" \"";
      bool First = true;
      for (int I = 1; I < QuestionFieldCount; ++I) {
        const WideString Answer = Question->GetAnswer(I);
        if (Answer.empty()) continue;
        if (!First) Text += L"\" " + sAnswerOr + L" \"";
        Text += Answer;
        First = false;
      }
      Text += L"\".";
    }
    LABad->SetCaption(WideToAnsi(Text));
    LABad->SetVisible(true);
    IMBad->SetVisible(true);
  }
  FeedbackShown = true;
  THide->SetEnabled(true);
}

void TFLearn::EndFeedback() {
  LAGood->SetVisible(false);
  LABad->SetVisible(false);
  IMGood->SetVisible(false);
  IMBad->SetVisible(false);
  THide->SetEnabled(false);
  FeedbackShown = false;
  if (!Showing()) return;
  // The statistics keep counting the answers given; the word now asked
  // joins them when it is answered.
  if (Finished())
    FinishExercise();
  else
    NextQuestion();
}

bool TFLearn::Finished() const {
  const int N = Dict->Count();
  return TestMode ? Asked == N : N * Repetitions == Good;
}

void TFLearn::FinishExercise() {
  if (LoadFailed) return;
  const AnsiString FileName = FSelDic->FLDic->FileName();
  int Choice;
  if (TestMode) {
    FMain->CurrentUser->AddResult(ExtractFileName(FileName), TestResult[0], TestResult[1]);
    // The result stays pending in the user and is written at the latest
    // when the program ends; the end of the test still follows.
    try {
      FMain->CurrentUser->Save();
    } catch (...) {
      Application->HandleException(this);
    }
    const int Percent = static_cast<int>(RoundPercent(TestResult[0], TestResult[1]));
    Choice = EndLearnDlg->Execute(sEndTestCaption, WideFormat(sEndTestMsg, Percent));
    if (FMain->Config->ReadBool("test", "Errors", false)) FBledy->ShowModal();
  } else {
    Choice = EndLearnDlg->Execute(sEndLearnCaption, sEndLearnMsg);
  }
  switch (Choice) {
    case 4:
      Question.reset();
      Dict.reset();
      SpecialKeyHandled = false;
      FBledy->LBB->Clear();
      FormCreate(this);
      break;
    case 5:
      Release();
      FMain->RestartLater(RecentMode(TestMode));
      break;
    default:
      Release();
      break;
  }
}

void RegisterFLearner() {
  RegisterClass<TFLearn, TForm>()
      .Method("FormCreate", &TFLearn::FormCreate)
      .Method("FormShow", &TFLearn::FormShow)
      .Method("FormClose", &TFLearn::FormClose)
      .Method("FormDestroy", &TFLearn::FormDestroy)
      .Method("FormKeyDown", &TFLearn::FormKeyDown)
      .Method("EAKeyDown", &TFLearn::EAKeyDown)
      .Method("EAKeyPress", &TFLearn::EAKeyPress)
      .Method("THideTimer", &TFLearn::THideTimer)
      .Field("Panel1", &TFLearn::Panel1)
      .Field("EQ", &TFLearn::EQ)
      .Field("EA", &TFLearn::EA)
      .Field("LQuestion", &TFLearn::LQuestion)
      .Field("LAnswers", &TFLearn::LAnswers)
      .Field("LAGood", &TFLearn::LAGood)
      .Field("LABad", &TFLearn::LABad)
      .Field("IMGood", &TFLearn::IMGood)
      .Field("IMBad", &TFLearn::IMBad)
      .Field("THide", &TFLearn::THide)
      .Field("PStats", &TFLearn::PStats)
      .Field("LLQNo", &TFLearn::LLQNo)
      .Field("LLQCount", &TFLearn::LLQCount)
      .Field("LLGAns", &TFLearn::LLGAns)
      .Field("LLEffi", &TFLearn::LLEffi)
      .Field("LQNo", &TFLearn::LQNo)
      .Field("LQCount", &TFLearn::LQCount)
      .Field("LGAns", &TFLearn::LGAns)
      .Field("LEffi", &TFLearn::LEffi)
      .Field("Shape1", &TFLearn::Shape1)
      .Field("Shape2", &TFLearn::Shape2);
}
