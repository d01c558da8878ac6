#include "JEdit.h"

#include "TypInfo.h"

TJEdit::TJEdit(TComponent* AOwner) : TUniCustomMemo(AOwner) {
  SetHeight(21);
  SetWordWrap(false);
  SetWantReturns(false);
  SetWantTabs(false);
}

void TJEdit::KeyPress(char& Key) {
  // Every other character is dropped, control characters too: Ctrl+C, X
  // and V arrive as characters 3, 24 and 22 and so do nothing here.
  if (FNumericOnly && Key != '\b' && (Key < '0' || Key > '9')) Key = '\0';
  TUniCustomMemo::KeyPress(Key);
}

void RegisterJEdit() {
  InitializeUniStdCtrls();
  RegisterClass<TJEdit, TUniCustomMemo>()
      .Bool("NumericOnly", &TJEdit::NumericOnly, &TJEdit::SetNumericOnly, false)
      // Off from the constructor on, so that is the value a layout leaves out.
      .Bool("WordWrap", &TJEdit::WordWrap, &TJEdit::SetWordWrap, false);
}
