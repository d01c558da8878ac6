#pragma once

#include <vector>

#include "CloseGuard.h"
#include "ExtCtrls.h"
#include "FEndLearnDlg.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "VsEdits.h"
#include "VsLabel.h"

class TDict;
class TQuestion;
class TWImage;

// The pictures of the exercise windows' layouts, from the executable's
// resources: a bitmap whose corner colour shows the window through, and
// the tiled wallpaper the main window has too. A picture already there
// stays (a restart keeps it).
void LoadLayoutPicture(TImage* Image, const char* Name);
void LoadWallpaper(TWImage* Wallpaper);

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
  TVsMemo* EQ = nullptr;
  TVsEdit* EA = nullptr;
  TLabel* LQuestion = nullptr;
  TLabel* LAnswers = nullptr;
  TVsLabel* LAGood = nullptr;
  TVsLabel* LABad = nullptr;
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
  TWImage* L_Wallpapper = nullptr;
  TImage* Image1 = nullptr;
  TImage* Image2 = nullptr;
  TShape* Shape1 = nullptr;
  TShape* Shape2 = nullptr;
  TShape* Shape3 = nullptr;
  TShape* Shape4 = nullptr;
  TShape* Shape5 = nullptr;
  TShape* Shape6 = nullptr;

  // The entry being asked and its index (-1 before the first question).
  TOwned<TQuestion> Question;
  int Current = -1;
  TOwned<TDict> Dict;
  bool FeedbackShown = false;
  // Questions put so far, their share answered correctly (0 before the
  // first) and the correct answers; the effectiveness shown is rounded on
  // the two counts, like everywhere else in the trainer.
  int Asked = 0;
  double Ratio = 0;
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
  // Shows the word in EQ, broken at the box's edge: the lines stand centred
  // in Panel1, and a word too long for them at the layout's font gets a
  // smaller one until all of it fits.
  void ShowWord(const WideString& Word);

  TCloseGuard Guard{*this};
  // The word's font height as the layout has it.
  int FWordFontHeight = 0;
};

void RegisterFLearner();
