#pragma once

#include "Forms.h"
#include "StdCtrls.h"
#include "VsListBox.h"

// The wrong answers of the last exercise, one line each. One instance,
// created at start-up; the exercise window fills and empties LBB.
class TFBledy : public TForm {
public:
  using TForm::TForm;

  void FormShow(TObject* Sender);

  void ApplyCaptions();

  TVsListBox* LBB = nullptr;
  TButton* Button1 = nullptr;
};

extern TFBledy* FBledy;

void RegisterBledy();
