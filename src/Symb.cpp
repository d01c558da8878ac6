#include "Symb.h"

#include "Main.h"
#include "TypInfo.h"
#include "Win.h"

TFSymbol* FSymbol = nullptr;

void TFSymbol::FormCreate(TObject*) {
  TStrings* Lines = MChars->Lines();
  const int Count = Lines->Count();
  SGS->SetRowCount(Count / 16 + 1);
  for (int I = 0; I < Count; ++I) SGS->SetCells(I % 16, I / 16, UTF8ToWide(Lines->Strings(I)));
}

void TFSymbol::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 + FMain->Top());
  SetLeft((FMain->ClientWidth() - Width()) / 2 + FMain->Left());
}

void TFSymbol::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key != VK_ESCAPE) return;
  Key = 0;
  SetModalResult(mrCancel);
}

void TFSymbol::SGSSelectCell(TObject*, int ACol, int ARow, bool&) {
  const WideString Text = SGS->Cells(ACol, ARow);
  FChosen = Text.empty() ? L'?' : Text[0];
  BSym->SetCaption(WideString(1, FChosen));
}

void TFSymbol::SGSDblClick(TObject*) { SetModalResult(mrOk); }

void RegisterSymb() {
  InitializeUniStdCtrls();
  InitializeUniGrids();
  RegisterClass<TFSymbol, TForm>()
      .Method("FormCreate", &TFSymbol::FormCreate)
      .Method("FormShow", &TFSymbol::FormShow)
      .Method("FormKeyDown", &TFSymbol::FormKeyDown)
      .Method("SGSSelectCell", &TFSymbol::SGSSelectCell)
      .Method("SGSDblClick", &TFSymbol::SGSDblClick)
      .Field("SGS", &TFSymbol::SGS)
      .Field("BSym", &TFSymbol::BSym)
      .Field("MChars", &TFSymbol::MChars);
}
