#pragma once

#include "Forms.h"

class TEndLearnDlg : public TForm {
public:
  using TForm::TForm;
};

extern TEndLearnDlg* EndLearnDlg;

void RegisterFEndLearnDlg();
