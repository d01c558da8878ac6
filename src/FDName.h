#pragma once

#include "Forms.h"

class TFDicName : public TForm {
public:
  using TForm::TForm;
};

extern TFDicName* FDicName;

void RegisterFDName();
