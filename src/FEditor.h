#pragma once

#include <memory>
#include <vector>

#include "Buttons.h"
#include "CloseGuard.h"
#include "Dialogs.h"
#include "Forms.h"
#include "ImgBtn.h"
#include "StdCtrls.h"
#include "VsEdits.h"
#include "VsListBox.h"
#include "VsUnicodeStrings.h"

class TDict;
class TQuestion;

// The dictionary editor: a child window of the main window in which a
// dictionary is built entry by entry, opened, sorted, imported and saved.
// The question and answer lists show the dictionary's entries row for row.
class TFEdit : public TForm {
public:
  explicit TFEdit(TComponent* AOwner);
  ~TFEdit() override;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  // Add, and Replace (Tag 1) of the current entry.
  void IBAddClick(TObject* Sender);
  void LBQClick(TObject* Sender);
  void LBAClick(TObject* Sender);
  void IBDelClick(TObject* Sender);
  void IBSortClick(TObject* Sender);
  void IBOpenClick(TObject* Sender);
  void IBSaveClick(TObject* Sender);
  void IBImportClick(TObject* Sender);
  // The question and answer edits type special characters through the
  // main window's shortcut keys; a key that typed one loses its character.
  void EQKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void EQKeyPress(TObject* Sender, char& Key);

  void ApplyCaptions();
  // Loads the dictionary file at Path into the editor, as Open does once
  // the chooser names it; a file that cannot be read leaves it empty.
  void OpenDictionary(const AnsiString& Path);

  const TDict* Dict() const { return FDict.get(); }
  // The entry Replace overwrites; -1 for none.
  int CurrentIndex() const { return FCurrent; }

  TLabel* LWord = nullptr;
  TLabel* LAnswers = nullptr;
  TLabel* LTitle = nullptr;
  TLabel* LDescription = nullptr;
  TLabel* L1 = nullptr;
  TLabel* L2 = nullptr;
  TLabel* L3 = nullptr;
  TLabel* L4 = nullptr;
  TVsEdit* EQ = nullptr;
  TVsEdit* EA1 = nullptr;
  TVsEdit* EA2 = nullptr;
  TVsEdit* EA3 = nullptr;
  TVsEdit* EA4 = nullptr;
  TVsEdit* EQL = nullptr;
  TVsMemo* MDesc = nullptr;
  TVsListBox* LBQ = nullptr;
  TVsListBox* LBA = nullptr;
  TCheckBox* CBResizeFont = nullptr;
  TImgBtn* IBAdd = nullptr;
  TImgBtn* IBReplace = nullptr;
  TImgBtn* IBDel = nullptr;
  TImgBtn* IBSort = nullptr;
  TSpeedButton* IBOpen = nullptr;
  TSpeedButton* IBSave = nullptr;
  TSpeedButton* IBImport = nullptr;
  TOpenDialog* OD = nullptr;

private:
  // The other list follows the clicked one; its entry fills the edits.
  void ListClicked(TVsListBox* Clicked, TVsListBox* Other);
  // No entry is current and neither list shows a selection.
  void Unselect();
  void ClearEdits();

  TOwned<TDict> FDict;
  TOwned<TQuestion> FQuestion;
  TCloseGuard FDialogs{*this};
  int FCurrent = -1;
  // The last key-down in the edits typed a special character.
  bool FConsumed = false;
};

void RegisterFEditor();
