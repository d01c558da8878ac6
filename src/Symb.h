#pragma once

#include <vector>

#include "Forms.h"
#include "Grids.h"
#include "StdCtrls.h"

// A push button that shows its caption as UTF-16 text (the symbol chosen in
// the picker), drawing its face itself.
class TSymbolButton : public TButton {
public:
  using TButton::TButton;

  const WideString& WideCaption() const { return FWideCaption; }
  void SetWideCaption(const WideString& Value);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void SetButtonStyle(bool ADefault) override;

private:
  void DrawFace(const DRAWITEMSTRUCT& Item);

  WideString FWideCaption;
};

// The symbol picker: a grid of special characters; the one chosen goes to
// the shortcut being defined.
class TFSymbol : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void SGSSelectCell(TObject* Sender, int ACol, int ARow, bool& CanSelect);
  void SGSDrawCell(TObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State);
  void SGSDblClick(TObject* Sender);

  // The character last chosen, "?" when none was.
  WideChar ChosenSymbol() const { return FChosen; }
  // A cell's text, empty outside the symbols.
  WideString Cell(int ACol, int ARow) const;

  TStringGrid* SGS = nullptr;
  TSymbolButton* BSym = nullptr;

private:
  std::vector<WideString> FSymbols;
  WideChar FChosen = L'?';
};

extern TFSymbol* FSymbol;

void RegisterSymb();
