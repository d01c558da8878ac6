#include "Dziennik.h"

#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "Lists.h"
#include "Main.h"
#include "TypInfo.h"
#include "Win.h"

void TFDzienn::FormCreate(TObject*) { ApplyCaptions(); }

void TFDzienn::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2);
  SetLeft((FMain->ClientWidth() - Width()) / 2);
  // The main window re-runs this on every resize; refilling then would
  // throw away the dictionary the user is looking at.
  if (FFilled) return;
  FFilled = true;
  EName->SetText(AnsiToWide(FMain->CurrentUser->Name()));
  FillTests();
  LBMarks->Clear();
}

void TFDzienn::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TFDzienn::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_ESCAPE) Close();
}

void TFDzienn::CBTestsChange(TObject*) { FillMarks(); }

void TFDzienn::BOkClick(TObject*) { Close(); }

void TFDzienn::BClearClick(TObject*) {
  if (ShowAppMessage(sMsgClearGrades, sCapConfirmDelete, MB_YESNO) != IDYES) return;
  FMain->CurrentUser->ClearResults();
  FMain->CurrentUser->Save();
  FillTests();
  FillMarks();
}

void TFDzienn::ApplyCaptions() {
  SetCaption(WideToAnsi(sDziennCaption));
  LUserName->SetCaption(WideToAnsi(sDziennUser));
  LModuleName->SetCaption(WideToAnsi(sDziennModule));
  LMarks->SetCaption(WideToAnsi(sDziennGrades));
  BOk->SetCaption(WideToAnsi(sDziennOK));
  BClear->SetCaption(WideToAnsi(sDziennClear));
}

void TFDzienn::FillTests() {
  CBTests->Items()->Assign(FMain->CurrentUser->TestedDictionaries().get());
  CBTests->SetItemIndex(-1);
}

void TFDzienn::FillMarks() { LBMarks->Items()->Assign(FMain->CurrentUser->Grades(CBTests->Text()).get()); }

void RegisterDziennik() {
  RegisterClass<TFDzienn, TForm>()
      .Method("FormCreate", &TFDzienn::FormCreate)
      .Method("FormShow", &TFDzienn::FormShow)
      .Method("FormClose", &TFDzienn::FormClose)
      .Method("FormKeyDown", &TFDzienn::FormKeyDown)
      .Method("CBTestsChange", &TFDzienn::CBTestsChange)
      .Method("BOkClick", &TFDzienn::BOkClick)
      .Method("BClearClick", &TFDzienn::BClearClick)
      .Field("LUserName", &TFDzienn::LUserName)
      .Field("LModuleName", &TFDzienn::LModuleName)
      .Field("LMarks", &TFDzienn::LMarks)
      .Field("EName", &TFDzienn::EName)
      .Field("CBTests", &TFDzienn::CBTests)
      .Field("LBMarks", &TFDzienn::LBMarks)
      .Field("BOk", &TFDzienn::BOk)
      .Field("BClear", &TFDzienn::BClear);
}
