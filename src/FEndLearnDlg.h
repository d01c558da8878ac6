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

void RegisterFEndLearnDlg();
