#include "FDName.h"

#include "TypInfo.h"

TFDicName* FDicName = nullptr;

void RegisterFDName() { RegisterClass<TFDicName, TForm>(); }
