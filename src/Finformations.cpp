#include "Finformations.h"

#include "TypInfo.h"

TFInfo* FInfo = nullptr;

void RegisterFinformations() { RegisterClass<TFInfo, TForm>(); }
