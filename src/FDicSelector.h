#pragma once

#include "FileCtrl.h"
#include "Forms.h"
#include "StdCtrls.h"

// The dictionary chooser: browses the dictionaries folder (never above it)
// and previews the title and description of the selected dictionary. Made
// once at start-up and reused, so it keeps its folder and selection; on OK
// the caller takes the chosen file from FLDic->FileName().
class TFSelDic : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void DLBChange(TObject* Sender);
  void FLDicClick(TObject* Sender);
  void FLDicDblClick(TObject* Sender);
  void BOkClick(TObject* Sender);

  void ApplyCaptions();
  // Shows and selects FileName, a dictionary inside the dictionaries
  // folder, with both lists in its folder.
  void SelectFile(const AnsiString& FileName);

  TDirectoryListBox* DLB = nullptr;
  TFileListBox* FLDic = nullptr;
  TEdit* EQL = nullptr;
  TMemo* MDesc = nullptr;
  TButton* BOk = nullptr;
  TButton* BCancel = nullptr;
  TLabel* LDLang = nullptr;
  TLabel* LDesc = nullptr;

private:
  AnsiString FRoot;
};

extern TFSelDic* FSelDic;

void RegisterFDicSelector();
