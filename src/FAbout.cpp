#include "FAbout.h"

#include "TypInfo.h"

TAbout* About = nullptr;

void RegisterFAbout() { RegisterClass<TAbout, TForm>(); }
