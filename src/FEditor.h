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
#include "VsUnicodeStrings.h"

class TDict;
class TQuestion;

// The rows of a virtual list box as a wide list, so that a dictionary can
// keep them in step with its entries. The texts are kept here, once; the
// list box holds only their number and asks for a row's text (in the system
// code page) when it paints it, so that filling or emptying it costs the
// window nothing per row. Inside BeginUpdate/EndUpdate rows added at the end
// reach the list box once, at the end.
class TListBoxRows : public TVsWideStrings {
public:
  explicit TListBoxRows(TCustomListBox* AListBox);
  ~TListBoxRows() override;

  void Put(int Index, const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void SetCapacity(int NewCapacity) override;

protected:
  WideString Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FRows.size()); }
  void SetUpdateState(bool Updating) override;

private:
  void CheckIndex(int Index, int Last) const;
  // The list box's OnData: the text of a row.
  void ListData(TWinControl* Control, int Index, AnsiString& Data);
  // The list box takes the number of rows, unless an update is going on,
  // and shows the rows afresh.
  void Show();

  TCustomListBox* FListBox;
  std::vector<WideString> FRows;
};

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
  TListBox* LBQ = nullptr;
  TListBox* LBA = nullptr;
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
  void ListClicked(TListBox* Clicked, TListBox* Other);
  // No entry is current and neither list shows a selection.
  void Unselect();
  void ClearEdits();

  TOwned<TListBoxRows> FQuestionRows;
  TOwned<TListBoxRows> FAnswerRows;
  TOwned<TDict> FDict;
  TOwned<TQuestion> FQuestion;
  TCloseGuard FDialogs{*this};
  int FCurrent = -1;
  // The last key-down in the edits typed a special character.
  bool FConsumed = false;
};

void RegisterFEditor();
