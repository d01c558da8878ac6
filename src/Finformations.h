#pragma once

#include "Forms.h"

class TFInfo : public TForm {
public:
  using TForm::TForm;
};

extern TFInfo* FInfo;

void RegisterFinformations();
