#include "Bledy.h"

#include "TypInfo.h"

TFBledy* FBledy = nullptr;

void RegisterBledy() { RegisterClass<TFBledy, TForm>(); }
