#include "Bledy.h"

#include "Dict_Strings.h"
#include "Main.h"
#include "TypInfo.h"

TFBledy* FBledy = nullptr;

void TFBledy::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 + FMain->Top());
  SetLeft((FMain->ClientWidth() - Width()) / 2 + FMain->Left());
  ApplyCaptions();
}

void TFBledy::ApplyCaptions() {
  SetCaption(WideToAnsi(sBledyCaption));
  Button1->SetCaption(WideToAnsi(sBledyClose));
}

void RegisterBledy() {
  RegisterClass<TFBledy, TForm>()
      .Method("FormShow", &TFBledy::FormShow)
      .Field("LBB", &TFBledy::LBB)
      .Field("Button1", &TFBledy::Button1);
}
