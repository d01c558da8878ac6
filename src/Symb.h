#pragma once

#include "Forms.h"
#include "StdCtrls.h"
#include "UniGrids.h"
#include "UniStdCtrls.h"

// The symbol picker: a grid of special characters; the one chosen goes to
// the shortcut being defined.
class TFSymbol : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void SGSSelectCell(TObject* Sender, int ACol, int ARow, bool& CanSelect);
  void SGSDblClick(TObject* Sender);

  // The character last chosen, "?" when none was.
  WideChar ChosenSymbol() const { return FChosen; }

  TUniStringGrid* SGS = nullptr;
  TUniButton* BSym = nullptr;
  // The symbols, one UTF-8 line each.
  TMemo* MChars = nullptr;

private:
  WideChar FChosen = L'?';
};

extern TFSymbol* FSymbol;

void RegisterSymb();
