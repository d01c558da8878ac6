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

TCloseAction TCloseGuard::CloseAction() {
  if (FReleased) return caNone;
  if (FDepth > 0) {
    FClosePending = true;
    return caNone;
  }
  // The framework releases the window on caFree.
  FReleased = true;
  return caFree;
}

void TCloseGuard::Release() {
  if (FReleased) return;
  FReleased = true;
  FForm.Release();
}

TCloseGuard::THold::~THold() {
  if (--FGuard.FDepth == 0 && FGuard.FClosePending) FGuard.Release();
}

void RegisterFEndLearnDlg() {
  RegisterClass<TEndLearnDlg, TForm>()
      .Method("FormShow", &TEndLearnDlg::FormShow)
      .Field("MMessage", &TEndLearnDlg::MMessage)
      .Field("BYes", &TEndLearnDlg::BYes)
      .Field("BOther", &TEndLearnDlg::BOther)
      .Field("BFinish", &TEndLearnDlg::BFinish);
}
