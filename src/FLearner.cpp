#include "FLearner.h"

#include <algorithm>
#include <cstdlib>

#include "Bledy.h"
#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "FDicSelector.h"
#include "FEndLearnDlg.h"
#include "FileUtils.h"
#include "IniFiles.h"
#include "Jpeg.h"
#include "Main.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "WImage.h"
#include "Win.h"

namespace {

// The options offer 1 to 5; a hand-edited value outside would either leave
// nothing to ask or overflow the per-entry counters, and the drill would
// never end.
constexpr int MinRepetitions = 1;
constexpr int MaxRepetitions = 5;

// The recent lists of the main window: 0 learning, 1 test.
int RecentMode(bool Test) { return Test ? 1 : 0; }

// Text with every run of letters between blanks that is wider than Width
// (in DC's font) broken into lines at the width; the edit wraps the rest
// at its blanks itself, but a run with no blank it cannot break well.
WideString BreakWideRuns(HDC DC, const WideString& Text, int Width) {
  // What the edit keeps free at a line's ends.
  constexpr int Slack = 2;
  WideString Result;
  size_t At = 0;
  while (At < Text.size()) {
    if (Text[At] == L' ') {
      Result += Text[At++];
      continue;
    }
    size_t End = Text.find(L' ', At);
    if (End == WideString::npos) End = Text.size();
    while (At < End) {
      INT Fit = 0;
      SIZE Size{};
      GetTextExtentExPointW(DC, Text.c_str() + At, static_cast<int>(End - At), std::max(1, Width - Slack), &Fit,
                            nullptr, &Size);
      const size_t Taken = std::max<size_t>(1, static_cast<size_t>(Fit));
      Result.append(Text, At, Taken);
      At += Taken;
      if (At < End) Result += L"\r\n";
    }
  }
  return Result;
}

}  // namespace

void LoadLayoutPicture(TImage* Image, const char* Name) {
  if (Image->Picture()->Graphic()) return;
  TOwned<TBitmap> Picture(new TBitmap());
  Picture->LoadFromResourceName(GetModuleHandleA(nullptr), Name);
  Image->Picture()->SetGraphic(Picture.get());
}

void LoadWallpaper(TWImage* Wallpaper) {
  if (Wallpaper->Picture()->Graphic()) return;
  TOwned<TJPEGImage> Picture(new TJPEGImage());
  TResourceStream Data(GetModuleHandleA(nullptr), "BACKGROUND", MAKEINTRESOURCEA(10));
  Picture->LoadFromStream(&Data);
  Wallpaper->Picture()->SetGraphic(Picture.get());
}

TFLearn::TFLearn(TComponent* AOwner, bool ATest) : TForm(AOwner), TestMode(ATest) { FBledy->LBB->Clear(); }

void TFLearn::FormCreate(TObject*) {
  // The load error is a message box; a close meanwhile waits for it.
  const TCloseGuard::THold Hold(Guard);
  Randomize();
  Dict.reset(new TDict());
  Question.reset(new TQuestion());
  ApplyCaptions();
  LoadLayoutPicture(IMGood, "FB_GOOD");
  LoadLayoutPicture(IMBad, "FB_BAD");
  LoadLayoutPicture(Image1, TestMode ? "TB_TEST" : "TB_LEARNING");
  LoadLayoutPicture(Image2, "TB_EDITOR");
  LoadWallpaper(L_Wallpapper);
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
  Ratio = 0;
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

void TFLearn::FormClose(TObject*, TCloseAction& Action) { Action = Guard.CloseAction(); }

void TFLearn::FormDestroy(TObject*) {
  Question.reset();
  Dict.reset();
}

void TFLearn::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (!FeedbackShown || Key == VK_RETURN) return;
  Key = 0;
  // The key is used up whole: the character the message loop has already
  // made of it would land in the next, emptied answer.
  MSG Char;
  PeekMessageW(&Char, nullptr, WM_CHAR, WM_DEADCHAR, PM_REMOVE);
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
  ShowWord(Question->GetQuestion());
  EA->SetText(WideString());
  ++Asked;
  LQNo->SetCaption(IntToStr(Current + 1) + WideToAnsi(sQuestionOf) + IntToStr(N));
}

void TFLearn::ShowWord(const WideString& Word) {
  // The smallest font still read at a glance.
  constexpr int MinFontHeight = 9;
  if (FWordFontHeight == 0) FWordFontHeight = EQ->Font()->Height();
  const int Area = Panel1->ClientHeight();
  EQ->SetTop(0);
  EQ->SetHeight(Area);
  // The word as the box shows it, its letters in the system code page.
  const WideString Shown = Word;
  int FontHeight = std::abs(FWordFontHeight);
  int LinesHeight = 0;
  for (;; --FontHeight) {
    EQ->Font()->SetHeight(-FontHeight);
    RECT Format{};
    SendMessageW(EQ->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Format));
    TEXTMETRICW Metrics{};
    HDC DC = GetDC(EQ->Handle());
    const HGDIOBJ Old = SelectObject(DC, EQ->Font()->Handle());
    GetTextMetricsW(DC, &Metrics);
    EQ->SetText(BreakWideRuns(DC, Shown, Format.right - Format.left));
    SelectObject(DC, Old);
    ReleaseDC(EQ->Handle(), DC);
    LinesHeight = static_cast<int>(SendMessageW(EQ->Handle(), EM_GETLINECOUNT, 0, 0)) * Metrics.tmHeight;
    if (LinesHeight <= Area || FontHeight <= MinFontHeight) break;
  }
  LinesHeight = std::min(LinesHeight, Area);
  EQ->SetTop((Area - LinesHeight) / 2);
  EQ->SetHeight(LinesHeight);
}

void TFLearn::RefreshStats() {
  LGAns->SetCaption(IntToStr(Good));
  LQCount->SetCaption(IntToStr(Asked));
  Ratio = Asked > 0 ? static_cast<double>(Good) / Asked : 0;
  if (TestMode) {
    TestResult[0] = Good;
    TestResult[1] = Asked;
  }
  LEffi->SetCaption(IntToStr(RoundPercent(Good, Asked)) + " %");
}

void TFLearn::Answer() {
  // No word is shown: nothing to answer and nothing to count.
  if (Dict->Count() == 0 || Current < 0) return;
  const bool Correct = Question->CheckAnswer(EA->Text(), ExactCheck);
  unsigned char& Left = Remaining[Current];
  if (Correct) {
    ++Good;
    if (Left > 0) --Left;
  } else {
    FBledy->LBB->Items()->Add(Question->GetQuestion() + L" => " + Dict->ItemText(-1, Question->Record()));
    if (TestMode && Left > 0) --Left;
  }
  ShowFeedback(Correct);
  RefreshStats();
}

void TFLearn::ShowFeedback(bool Correct) {
  if (Correct) {
    LAGood->SetCaption(sGoodAnswer[Random(3)]);
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
    LABad->SetCaption(Text);
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
  // The window stands until its dialogs are done; a close asked for under
  // them ends it here, whatever was chosen.
  const TCloseGuard::THold Hold(Guard);
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
    if (!Guard.Closing() && FMain->Config->ReadBool("test", "Errors", false)) FBledy->ShowModal();
  } else {
    Choice = EndLearnDlg->Execute(sEndLearnCaption, sEndLearnMsg);
  }
  if (Guard.Closing()) return;
  switch (Choice) {
    case 4:
      Question.reset();
      Dict.reset();
      SpecialKeyHandled = false;
      FBledy->LBB->Clear();
      FormCreate(this);
      break;
    case 5:
      Guard.Release();
      FMain->RestartLater(RecentMode(TestMode));
      break;
    default:
      Guard.Release();
      break;
  }
}

void RegisterFLearner() {
  InitializeVsEdits();
  InitializeVsLabel();
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
      .Field("L_Wallpapper", &TFLearn::L_Wallpapper)
      .Field("Image1", &TFLearn::Image1)
      .Field("Image2", &TFLearn::Image2)
      .Field("Shape1", &TFLearn::Shape1)
      .Field("Shape2", &TFLearn::Shape2)
      .Field("Shape3", &TFLearn::Shape3)
      .Field("Shape4", &TFLearn::Shape4)
      .Field("Shape5", &TFLearn::Shape5)
      .Field("Shape6", &TFLearn::Shape6);
}
