#pragma once

#include "Forms.h"

// A child window must not be freed while one of its own modal windows is up
// (an exercise's end dialog or wrong-answer list, the editor's open and save
// dialogs, a message box): the modal call returns into the window's code.
// A close asked for meanwhile (the close box, WM_CLOSE) waits until the last
// of them is done; the window is then released and starts nothing more.
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
