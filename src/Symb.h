#pragma once

#include "Forms.h"

class TFSymbol : public TForm {
public:
  using TForm::TForm;
};

extern TFSymbol* FSymbol;

void RegisterSymb();
