#include "FDicSelector.h"

#include "TypInfo.h"

TFSelDic* FSelDic = nullptr;

void RegisterFDicSelector() { RegisterClass<TFSelDic, TForm>(); }
