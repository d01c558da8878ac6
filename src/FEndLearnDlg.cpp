#include "FEndLearnDlg.h"

#include "TypInfo.h"

TEndLearnDlg* EndLearnDlg = nullptr;

void RegisterFEndLearnDlg() { RegisterClass<TEndLearnDlg, TForm>(); }
