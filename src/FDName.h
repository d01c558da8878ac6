#pragma once

#include "FileCtrl.h"
#include "Forms.h"
#include "StdCtrls.h"

// The save-as dialog: a folder inside the dictionaries folder (never above
// it) and a file name. Made once at start-up and reused, so it keeps its
// folder between saves. OK closes only with a usable name, after the user
// agreed to replace an existing file; any other way out cancels.
class TFDicName : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void DLBChange(TObject* Sender);
  void BOkClick(TObject* Sender);
  void BCancelClick(TObject* Sender);
  void BCreateClick(TObject* Sender);

  void ApplyCaptions();
  // The folder shown, a delimiter, the typed name (a ".dic" the user typed
  // at its end is not doubled) and ".dic".
  AnsiString GetDictionaryPath() const;

  TDirectoryListBox* DLB = nullptr;
  TEdit* EDN = nullptr;
  TButton* BOk = nullptr;
  TButton* BCancel = nullptr;
  TButton* BCreate = nullptr;

private:
  // The typed name without a final ".dic".
  AnsiString BaseName() const;

  bool FMayClose = false;
};

extern TFDicName* FDicName;

void RegisterFDName();
