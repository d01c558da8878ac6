#pragma once

#include "Forms.h"

class TFSelDic : public TForm {
public:
  using TForm::TForm;
};

extern TFSelDic* FSelDic;

void RegisterFDicSelector();
