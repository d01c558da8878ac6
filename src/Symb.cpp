#include "Symb.h"

#include "TypInfo.h"

TFSymbol* FSymbol = nullptr;

void RegisterSymb() { RegisterClass<TFSymbol, TForm>(); }
