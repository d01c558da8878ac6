#pragma once

#include "Buttons.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "ImgBtn.h"
#include "Spin.h"
#include "StdCtrls.h"
#include "UniStdCtrls.h"

// The options: the learning and test settings kept in "dict.cfg", the users
// with their result files, and the user's own shortcut keys. A child window
// of the main window that exists only while open.
class TFOptions : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void LBMenuClick(TObject* Sender);
  void CBUsersChange(TObject* Sender);
  void IBAddUserClick(TObject* Sender);
  void IBDelUserClick(TObject* Sender);
  void IBReplaceUserClick(TObject* Sender);
  void BOkClick(TObject* Sender);
  void BCancelClick(TObject* Sender);
  void BApplyClick(TObject* Sender);
  void HKChange(TObject* Sender);
  void LBSCClick(TObject* Sender);
  void IBDelClick(TObject* Sender);
  void BSCBClick(TObject* Sender);

  // Each shows its page and hides the others.
  void ShowTestPage();
  void ShowUsersPage();
  void ShowShortcutPage();

  // The settings, the user list and the shortcut page from their files, and
  // the current user chosen in the list.
  void LoadOptions();
  // The settings and the user list to "dict.cfg", and the shortcut page's
  // lines to the shortcut-key file when they changed; the main window then
  // takes up the file.
  void SaveOptions();

  // The shortcut in the hot-key control types Ch from now on: its line
  // takes the character, or a new line is added. Nothing without a key.
  void SetShortcutSymbol(WideChar Ch);

  // Makes a new user (or one whose result file is still there) current and
  // lists it. A name that is blank, "noname", holds a double quote, begins
  // and ends with an apostrophe or is already listed is refused with a
  // message; the name is trimmed (and cut to 255 characters) first.
  void AddUserEntry(const AnsiString& AName);
  // Deletes the user's result file and its entry; the first remaining user,
  // or none, becomes current.
  void DeleteUserEntry(const AnsiString& AName);
  // Moves the user's result file to the new name and renames the entry; the
  // new name is checked as for adding.
  void RenameUserEntry(const AnsiString& OldName, const AnsiString& NewName);

  void ApplyCaptions();

  TListBox* LBMenu = nullptr;
  TGroupBox* GBTest = nullptr;
  TLabel* LRepeats = nullptr;
  TSpinEdit* SERep = nullptr;
  TCheckBox* CBRandom = nullptr;
  TCheckBox* CBLStats = nullptr;
  TCheckBox* CBTStats = nullptr;
  TCheckBox* CBBledy = nullptr;
  TGroupBox* GBUsers = nullptr;
  TLabel* LAddUser = nullptr;
  TLabel* LChooseUser = nullptr;
  TImgBtn* IBAddUser = nullptr;
  TImgBtn* IBReplaceUser = nullptr;
  TImgBtn* IBDelUser = nullptr;
  TEdit* EUser = nullptr;
  TComboBox* CBUsers = nullptr;
  TGroupBox* GBSC = nullptr;
  TLabel* LEquals = nullptr;
  TUniLabel* BSC = nullptr;
  TSpeedButton* BSCB = nullptr;
  TImgBtn* IBDel = nullptr;
  THotKey* HK = nullptr;
  TUniListBox* LBSC = nullptr;
  TListBox* LBHK = nullptr;
  TButton* BOk = nullptr;
  TButton* BCancel = nullptr;
  TButton* BApply = nullptr;

private:
  void ShowPage(TGroupBox* Page, int MenuIndex);
  // The user chosen in the list becomes current; the name edit follows.
  void UserChanged();
  // Shows why the name cannot be a new user's; false when it can.
  bool RefuseName(const AnsiString& Name, int Except);
  // The entry of the name: the exact spelling first, then ignoring case.
  int FindUser(const AnsiString& Name) const;

  // Both lists of the shortcut page from the shortcut-key file.
  void LoadShortcuts();
  // The stored lines to the shortcut-key file; the main window reloads it.
  void SaveShortcuts();
  // The line of the shortcut code in the stored list, else -1.
  int FindShortcut(TShortCut Code) const;
  // BSC shows the character of the stored line, or "..." for none.
  void ShowShortcutCharacter(int Index);

  bool FLoaded = false;
  // The stored lines differ from the shortcut-key file.
  bool FShortcutsChanged = false;
};

void RegisterOptions();
