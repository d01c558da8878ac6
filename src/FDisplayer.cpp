#include "FDisplayer.h"

#include "Bledy.h"
#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "FDicSelector.h"
#include "FEndLearnDlg.h"
#include "FLearner.h"
#include "IniFiles.h"
#include "Main.h"
#include "QPlayer.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "UniSysUtils.h"
#include "WImage.h"
#include "Win.h"

namespace {

// The answer field is a multi-line edit: its lines end in CR LF.
const wchar_t* const LineBreak = L"\r\n";

}  // namespace

WideString AnswerText(const TQuestion& Entry) {
  WideString Text = Entry.GetAnswer(1);
  int Empty = 0;
  for (int I = 2; I <= 4; ++I) {
    const WideString Answer = Entry.GetAnswer(I);
    if (Answer.empty())
      ++Empty;
    else
      Text += LineBreak + Answer;
  }
  for (int I = 0; I < Empty / 2; ++I) Text = LineBreak + Text;
  return Text;
}

TFDisplay::TFDisplay(TComponent* AOwner) : TForm(AOwner) {
  if (FBledy && FBledy->LBB) FBledy->LBB->Clear();
}

TFDisplay::~TFDisplay() = default;

void TFDisplay::FormCreate(TObject*) {
  // The load error and the sound error are message boxes; a close
  // meanwhile waits for them.
  const TCloseGuard::THold Hold(Guard);
  Randomize();
  Dict.reset(new TDict());
  Question.reset(new TQuestion());
  ApplyCaptions();
  LoadLayoutPicture(Image1, "TB_PRESENTATION");
  LoadLayoutPicture(Image2, "TB_LEARNING");
  LoadWallpaper(L_Wallpapper);
  try {
    if (FSelDic && FSelDic->FLDic && !FSelDic->FLDic->FileName().empty()) DictPath = FSelDic->FLDic->FileName();
    Dict->LoadFromFile(DictPath);
    // The recent list is a convenience: a list that cannot be written is
    // reported, but the presentation goes on with the loaded dictionary.
    try {
      FMain->AddRecent(Dict.get(), 2);
    } catch (...) {
      Application->HandleException(this);
    }
    if (!Dict->GetTitle().empty()) SetCaption(WideToAnsi(Dict->GetTitle()));
    Current = -1;
    Asked = 0;
    LoadFailed = false;
  } catch (...) {
    ShowAppMessage(sMsgDictCorrupt, sCapFileError, MB_OK);
    LoadFailed = true;
    Current = 0;
    Asked = 0;
    Dict->Clear();
  }
  Good = 0;
  Ratio = 0;
  FeedbackShown = false;
  Remaining.assign(Dict->Count(), 1);
  Repetitions = 1;
  RandomOrder = FMain->Config->ReadBool("test", "randomize", true);
  if (!LoadFailed) {
    NextQuestion();
    RefreshStatistics();
  }
  // A restart comes here again: the old player goes first, so that its
  // sound stops and its device is released before a new one is opened,
  // and a missing device is reported once per window.
  Player.reset();
  Player.reset(new TPlayer(!FSoundFailureReported));
  if (!Player->Ready()) FSoundFailureReported = true;
}

void TFDisplay::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 - 23);
  SetLeft((FMain->ClientWidth() - Width()) / 2);
  // The field keeps the height of its layout: it shows up to five lines.
  if (Dict && Dict->HasResizeFont()) {
    EA->SetTop(Shape2->Top() + 2);
    EA->Font()->SetSize(1920 / Screen->PixelsPerInch());
  } else {
    EA->SetTop(Shape2->Top() + 8);
    EA->Font()->SetSize(1440 / Screen->PixelsPerInch());
  }
}

void TFDisplay::FormClose(TObject*, TCloseAction& Action) { Action = Guard.CloseAction(); }

void TFDisplay::FormDestroy(TObject*) {
  Question.reset();
  Dict.reset();
  Player.reset();
}

void TFDisplay::FormKeyDown(TObject*, Word& Key, TShiftState) {
  // Handled here only, so that a focused button does not take the same
  // key as a click and count the word twice.
  if (Key == VK_RETURN) {
    Mark(true);
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    Mark(false);
    Key = 0;
  }
}

void TFDisplay::BBRemoveClick(TObject*) { Mark(true); }

void TFDisplay::BBLeaveClick(TObject*) { Mark(false); }

void TFDisplay::BSoundClick(TObject*) {
  const AnsiString Path = SoundPath();
  if (Path.empty() || !WideFileExists(AnsiToWide(Path))) return;
  Player->Close();
  Player->Open(Path);
  Player->Play();
}

void TFDisplay::THideTimer(TObject*) {
  THide->SetEnabled(false);
  if (Showing()) {
    bool Left = false;
    for (unsigned char R : Remaining) Left = Left || R > 0;
    if (Left)
      NextQuestion();
    else
      FinishPresentation();
  }
  FeedbackShown = false;
}

void TFDisplay::ApplyCaptions() {
  SetCaption(WideToAnsi(sDisplayCaption));
  LLEffi->SetCaption(WideToAnsi(sDisplayFamiliarity));
  LQuestion->SetCaption(WideToAnsi(sDisplayWord));
  LAnswers->SetCaption(WideToAnsi(sDisplayMeanings));
  LLQNo->SetCaption(WideToAnsi(sDisplayWordTitle));
  LLQCount->SetCaption(WideToAnsi(sDisplayPresented));
  LLGAns->SetCaption(WideToAnsi(sDisplayMastered));
  BBLeave->SetCaption(WideToAnsi(sDisplayDontKnow));
  BBRemove->SetCaption(WideToAnsi(sDisplayKnow));
}

void TFDisplay::NextQuestion() {
  const int N = Dict->Count();
  if (N == 0) return;
  bool OthersLeft = false;
  for (int I = 0; I < N; ++I) OthersLeft = OthersLeft || (I != Current && Remaining[I] > 0);
  // When only the word shown is still to learn, it comes again.
  if (OthersLeft) {
    if (RandomOrder && Good < N - 1) {
      int Next;
      do Next = Random(N);
      while (Next == Current || Remaining[Next] == 0);
      Current = Next;
    } else {
      int Next = Current < 0 ? 0 : Current;
      while (Remaining[Next] == 0 || (Good < N - 2 && Next == Current)) Next = (Next + 1) % N;
      Current = Next;
    }
  }
  Dict->Get(Current, Question->Record());
  EQ->SetText(Question->GetQuestion());
  EA->SetText(AnswerText(*Question));
  ++Asked;
  LQNo->SetCaption(IntToStr(Current + 1) + WideToAnsi(sQuestionOf) + IntToStr(N));
  const AnsiString Sound = SoundPath();
  BSound->SetEnabled(!Sound.empty() && WideFileExists(AnsiToWide(Sound)));
}

AnsiString TFDisplay::SoundPath() const {
  if (!Dict || Dict->FileName().empty() || !Question) return AnsiString();
  const WideString Word = WideStringReplace(WideTrim(Question->GetQuestion()), L" ", L"_", false, wrfReplaceAll);
  if (Word.empty()) return AnsiString();
  return ChangeFileExt(Dict->FileName(), "") + "_snd\\" + WideToAnsi(Word) + ".mp3";
}

void TFDisplay::Mark(bool Known) {
  // A step already pending counts the word once only; an empty
  // presentation has no word to count.
  if (FeedbackShown || Dict->Count() == 0 || Current < 0) return;
  if (Known) {
    ++Good;
    Remaining[Current] = 0;
  }
  RefreshStatistics();
  FeedbackShown = true;
  THide->SetEnabled(true);
}

void TFDisplay::RefreshStatistics() {
  const int N = Dict->Count();
  LGAns->SetCaption(IntToStr(Good));
  LQCount->SetCaption(IntToStr(Asked));
  Ratio = Asked > 0 ? static_cast<double>(Good) / N : 0;
  // Known words of all, to the nearest per cent, halves to the even one.
  LEffi->SetCaption(IntToStr(Asked > 0 ? RoundPercent(Good, N) : 0) + " %");
}

void TFDisplay::FinishPresentation() {
  if (LoadFailed) return;
  // The window stands until the dialog is done; a close asked for under it
  // ends it here, whatever was chosen.
  const TCloseGuard::THold Hold(Guard);
  const int Choice = EndLearnDlg->Execute(sEndLearnCaption, sEndLearnMsg);
  if (Guard.Closing()) return;
  switch (Choice) {
    case mrRetry:
      Question.reset();
      Dict.reset();
      if (FBledy && FBledy->LBB) FBledy->LBB->Clear();
      FormCreate(this);
      break;
    case mrIgnore:
      Guard.Release();
      FMain->RestartLater(2);
      break;
    default:
      Guard.Release();
      break;
  }
}

void RegisterFDisplayer() {
  InitializeVsEdits();
  RegisterClass<TFDisplay, TForm>()
      .Method("FormCreate", &TFDisplay::FormCreate)
      .Method("FormShow", &TFDisplay::FormShow)
      .Method("FormClose", &TFDisplay::FormClose)
      .Method("FormDestroy", &TFDisplay::FormDestroy)
      .Method("FormKeyDown", &TFDisplay::FormKeyDown)
      .Method("BBRemoveClick", &TFDisplay::BBRemoveClick)
      .Method("BBLeaveClick", &TFDisplay::BBLeaveClick)
      .Method("BSoundClick", &TFDisplay::BSoundClick)
      .Method("THideTimer", &TFDisplay::THideTimer)
      .Field("L_Wallpapper", &TFDisplay::L_Wallpapper)
      .Field("Image1", &TFDisplay::Image1)
      .Field("Image2", &TFDisplay::Image2)
      .Field("Shape1", &TFDisplay::Shape1)
      .Field("Panel1", &TFDisplay::Panel1)
      .Field("EQ", &TFDisplay::EQ)
      .Field("Panel2", &TFDisplay::Panel2)
      .Field("Shape2", &TFDisplay::Shape2)
      .Field("Shape3", &TFDisplay::Shape3)
      .Field("Shape4", &TFDisplay::Shape4)
      .Field("Shape5", &TFDisplay::Shape5)
      .Field("Shape6", &TFDisplay::Shape6)
      .Field("EA", &TFDisplay::EA)
      .Field("LQuestion", &TFDisplay::LQuestion)
      .Field("LAnswers", &TFDisplay::LAnswers)
      .Field("PStats", &TFDisplay::PStats)
      .Field("LLQNo", &TFDisplay::LLQNo)
      .Field("LQNo", &TFDisplay::LQNo)
      .Field("LLQCount", &TFDisplay::LLQCount)
      .Field("LQCount", &TFDisplay::LQCount)
      .Field("LLGAns", &TFDisplay::LLGAns)
      .Field("LGAns", &TFDisplay::LGAns)
      .Field("LLEffi", &TFDisplay::LLEffi)
      .Field("LEffi", &TFDisplay::LEffi)
      .Field("BBRemove", &TFDisplay::BBRemove)
      .Field("BBLeave", &TFDisplay::BBLeave)
      .Field("BSound", &TFDisplay::BSound)
      .Field("THide", &TFDisplay::THide);
}
