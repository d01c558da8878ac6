#pragma once

#include "Forms.h"
#include "JEdit.h"
#include "StdCtrls.h"

// The grade journal: the current user's stored test results, one
// dictionary at a time. A child window of the main window that exists only
// while open.
class TFDzienn : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void CBTestsChange(TObject* Sender);
  void BOkClick(TObject* Sender);
  void BClearClick(TObject* Sender);

  void ApplyCaptions();

  TLabel* LUserName = nullptr;
  TLabel* LModuleName = nullptr;
  TLabel* LMarks = nullptr;
  TJEdit* EName = nullptr;
  TComboBox* CBTests = nullptr;
  TListBox* LBMarks = nullptr;
  TButton* BOk = nullptr;
  TButton* BClear = nullptr;

private:
  void FillTests();
  void FillMarks();

  bool FFilled = false;
};

void RegisterDziennik();
