#pragma once

#include "Forms.h"

class TAbout : public TForm {
public:
  using TForm::TForm;
};

extern TAbout* About;

void RegisterFAbout();
