#pragma once

#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TDict;
class TQuestion;

// The learning drill and the test: one word at a time, the typed answer
// checked against the entry's answers, feedback for two seconds, then the
// next word. In the drill every word must be answered correctly Repetitions
// times; in the test every word is asked once and the result goes to the
// current user. A child window of the main window, made for the dictionary
// chosen in the chooser.
class TFLearn : public TForm {
public:
  TFLearn(TComponent* AOwner, bool ATest);

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  // Special characters: a key that typed one is dropped, and so is the
  // character it would bring; every other key works in the edit as usual.
  void EAKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void EAKeyPress(TObject* Sender, char& Key);
  void THideTimer(TObject* Sender);

  void ApplyCaptions();
  // Picks the next entry to ask and shows its word.
  void NextQuestion();
  // The counters, the effectiveness and, in a test, TestResult.
  void RefreshStats();
  // Stores a test's result, offers the end dialog and does what was chosen.
  void FinishExercise();

  TPanel* Panel1 = nullptr;
  TMemo* EQ = nullptr;
  TEdit* EA = nullptr;
  TLabel* LQuestion = nullptr;
  TLabel* LAnswers = nullptr;
  TLabel* LAGood = nullptr;
  TLabel* LABad = nullptr;
  TImage* IMGood = nullptr;
  TImage* IMBad = nullptr;
  TTimer* THide = nullptr;
  TPanel* PStats = nullptr;
  TLabel* LLQNo = nullptr;
  TLabel* LLQCount = nullptr;
  TLabel* LLGAns = nullptr;
  TLabel* LLEffi = nullptr;
  TLabel* LQNo = nullptr;
  TLabel* LQCount = nullptr;
  TLabel* LGAns = nullptr;
  TLabel* LEffi = nullptr;
  TShape* Shape1 = nullptr;
  TShape* Shape2 = nullptr;

  // The entry being asked and its index (-1 before the first question).
  TOwned<TQuestion> Question;
  int Current = -1;
  TOwned<TDict> Dict;
  bool FeedbackShown = false;
  // Questions put so far and correct answers; the effectiveness is their
  // ratio, rounded on integers like everywhere else in the trainer.
  int Asked = 0;
  int Good = 0;
  // Per entry: correct answers still needed (drill), or 1 while still to be
  // asked (test).
  std::vector<unsigned char> Remaining;
  bool LoadFailed = false;
  const bool TestMode;
  // Good and total of a test, as they go into the user's results.
  int TestResult[2] = {0, 0};
  int Repetitions = 1;
  bool RandomOrder = true;
  bool ExactCheck = true;
  // The special-character input typed a character for the last key.
  bool SpecialKeyHandled = false;

private:
  void Answer();
  void ShowFeedback(bool Correct);
  // The feedback goes; the next word follows or the exercise ends.
  void EndFeedback();
  bool Finished() const;
};

void RegisterFLearner();
