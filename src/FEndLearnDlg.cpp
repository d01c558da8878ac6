#include "FEndLearnDlg.h"

#include "Dict_Strings.h"
#include "Main.h"
#include "TypInfo.h"

TEndLearnDlg* EndLearnDlg = nullptr;

int TEndLearnDlg::Execute(const WideString& ACaption, const WideString& AMessage) {
  ApplyCaptions();
  SetCaption(WideToAnsi(ACaption));
  MMessage->SetCaption(WideToAnsi(AMessage));
  // A focused button takes Enter from the default one; Enter must finish.
  SetActiveControl(BFinish);
  return ShowModal();
}

void TEndLearnDlg::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 + FMain->Top());
  SetLeft((FMain->ClientWidth() - Width()) / 2 + FMain->Left());
}

void TEndLearnDlg::ApplyCaptions() {
  BYes->SetCaption(WideToAnsi(sEndYes));
  BOther->SetCaption(WideToAnsi(sEndOtherDict));
  BFinish->SetCaption(WideToAnsi(sEndFinish));
}

void RegisterFEndLearnDlg() {
  RegisterClass<TEndLearnDlg, TForm>()
      .Method("FormShow", &TEndLearnDlg::FormShow)
      .Field("MMessage", &TEndLearnDlg::MMessage)
      .Field("BYes", &TEndLearnDlg::BYes)
      .Field("BOther", &TEndLearnDlg::BOther)
      .Field("BFinish", &TEndLearnDlg::BFinish);
}
