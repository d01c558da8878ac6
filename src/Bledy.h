#pragma once

#include "Forms.h"

class TFBledy : public TForm {
public:
  using TForm::TForm;
};

extern TFBledy* FBledy;

void RegisterBledy();
