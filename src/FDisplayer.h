#pragma once

#include <vector>

#include "CloseGuard.h"
#include "ExtCtrls.h"
#include "FEndLearnDlg.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "VsEdits.h"

class TDict;
class TPlayer;
class TQuestion;
class TWImage;

// The presentation: each word of a dictionary with all its answers, marked
// by the user as known ("Umiem") or not yet ("Nie umiem"), until every word
// is known; the word's recorded pronunciation plays on request. A child
// window of the main window that exists only while open.
class TFDisplay : public TForm {
public:
  explicit TFDisplay(TComponent* AOwner);
  ~TFDisplay() override;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void BBRemoveClick(TObject* Sender);
  void BBLeaveClick(TObject* Sender);
  void BSoundClick(TObject* Sender);
  void THideTimer(TObject* Sender);

  void ApplyCaptions();
  // Shows the next word still to learn.
  void NextQuestion();
  // The sound file of the word shown: beside the dictionary, in the folder
  // named after it with "_snd", the word with blanks as "_", ".mp3".
  AnsiString SoundPath() const;

  TWImage* L_Wallpapper = nullptr;
  TImage* Image1 = nullptr;
  TImage* Image2 = nullptr;
  TShape* Shape1 = nullptr;
  TPanel* Panel1 = nullptr;
  TVsMemo* EQ = nullptr;
  TPanel* Panel2 = nullptr;
  TShape* Shape2 = nullptr;
  TShape* Shape3 = nullptr;
  TShape* Shape4 = nullptr;
  TShape* Shape5 = nullptr;
  TShape* Shape6 = nullptr;
  TVsEdit* EA = nullptr;
  TLabel* LQuestion = nullptr;
  TLabel* LAnswers = nullptr;
  TPanel* PStats = nullptr;
  TLabel* LLQNo = nullptr;
  TLabel* LQNo = nullptr;
  TLabel* LLQCount = nullptr;
  TLabel* LQCount = nullptr;
  TLabel* LLGAns = nullptr;
  TLabel* LGAns = nullptr;
  TLabel* LLEffi = nullptr;
  TLabel* LEffi = nullptr;
  TButton* BBRemove = nullptr;
  TButton* BBLeave = nullptr;
  TButton* BSound = nullptr;
  TTimer* THide = nullptr;

  TOwned<TQuestion> Question;
  int Current = -1;
  TOwned<TDict> Dict;
  bool FeedbackShown = false;
  int Asked = 0;
  // The share of the words known (0 before the first is marked).
  double Ratio = 0;
  int Good = 0;
  // 1 while the entry is still to learn, 0 once known.
  std::vector<unsigned char> Remaining;
  bool LoadFailed = false;
  // Each word is to be known once.
  int Repetitions = 1;
  bool RandomOrder = true;
  AnsiString DictPath;
  TOwned<TPlayer> Player;

private:
  // Counts the word shown as known or not, then moves on.
  void Mark(bool Known);
  void RefreshStatistics();
  void FinishPresentation();

  // The sound error was already reported by this window.
  bool FSoundFailureReported = false;
  TCloseGuard Guard{*this};
};

// The answers of an entry, one a line: answer 1, then each further answer
// that is not empty, with a line break in front of everything for every two
// empty answers among 2 to 4, so that short lists stand lower in the field.
WideString AnswerText(const TQuestion& Entry);

void RegisterFDisplayer();
