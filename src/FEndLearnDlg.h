#pragma once

#include "Forms.h"
#include "StdCtrls.h"

// Offered at the end of a learning drill or a test: once more, another
// dictionary, or finish. One instance, created at start-up.
class TEndLearnDlg : public TForm {
public:
  using TForm::TForm;

  // Shows the dialog modally with the caption and message; returns 4 (once
  // more), 5 (another dictionary) or 2 (finish, also when closed).
  int Execute(const WideString& ACaption, const WideString& AMessage);

  void FormShow(TObject* Sender);

  void ApplyCaptions();

  TLabel* MMessage = nullptr;
  TButton* BYes = nullptr;
  TButton* BOther = nullptr;
  TButton* BFinish = nullptr;
};

extern TEndLearnDlg* EndLearnDlg;

// An exercise window must not be freed while one of its own modal windows
// is up (the end dialog, the wrong-answer list, a message box): the modal
// call returns into the window's code. A close asked for meanwhile (the
// close box, WM_CLOSE) waits until the last of them is done; the window is
// then released and starts nothing more.
class TCloseGuard {
public:
  explicit TCloseGuard(TCustomForm& AForm) : FForm(AForm) {}
  TCloseGuard(const TCloseGuard&) = delete;
  TCloseGuard& operator=(const TCloseGuard&) = delete;

  // For the window's OnClose: caFree, or caNone (the close remembered) while
  // a modal window of it is up.
  TCloseAction CloseAction();
  // Releases the window, once.
  void Release();
  // A close waits or the window is going: nothing more may start.
  bool Closing() const { return FClosePending || FReleased; }

  // Alive around each piece of the window's code that runs a modal window;
  // the last to go does a close asked for meanwhile.
  class THold {
  public:
    explicit THold(TCloseGuard& AGuard) : FGuard(AGuard) { ++FGuard.FDepth; }
    ~THold();
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

  private:
    TCloseGuard& FGuard;
  };

private:
  TCustomForm& FForm;
  int FDepth = 0;
  bool FClosePending = false;
  bool FReleased = false;
};

void RegisterFEndLearnDlg();
