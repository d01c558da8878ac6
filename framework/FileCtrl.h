// List boxes of the file system: the folder list (the drive root, the
// folders down to the current one, then its sub-folders) and the file list
// of one folder, which can follow a folder list.
//
// Paths are 8-bit (system code page), full, and without a final "\"
// except for a drive root ("C:\"). Neither list changes the process's
// current directory.
//
// Start-up: InitializeFileCtrl() registers TDirectoryListBox and
// TFileListBox with the class registry so that layouts can create them.
#pragma once

#include <vector>

#include "StdCtrls.h"

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };
using TFileType = TSet<TFileAttr>;

// The files of Directory that match Mask, sorted without regard to case,
// optionally with a small file picture before each name.
class TFileListBox : public TCustomListBox {
public:
  explicit TFileListBox(TComponent* AOwner);

  // Raises EInOutError for a folder that does not exist.
  const AnsiString& Directory() const { return FDirectory; }
  void SetDirectory(const AnsiString& Value);
  // Patterns with "*" and "?" separated by ";" ("*.dic;*.txt"), matched
  // against the whole file name without regard to case.
  const AnsiString& Mask() const { return FMask; }
  void SetMask(const AnsiString& Value);
  // Which entries are listed: ftNormal the plain files, the others the
  // entries with that attribute too (ftDirectory: folders as "[name]").
  TFileType FileType() const { return FFileType; }
  void SetFileType(TFileType Value);
  bool ShowGlyphs() const { return FShowGlyphs; }
  void SetShowGlyphs(bool Value);

  // The selected file's full path, "" when none is selected. Setting a
  // path with a folder goes to that folder first; then the file of that
  // name is selected (none when it is not listed).
  AnsiString FileName() const;
  void SetFileName(const AnsiString& Value);

  // Reads the folder again (keeping the selected file when it is still
  // there) and repaints.
  void Update() override;
  void Click() override;
  void WndProc(TMessage& Message) override;

  // The selected file changed (FileName is another one).
  TNotifyEvent OnChange;

protected:
  void CreateWnd() override;
  void Loaded() override;
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  // Fires OnChange when FileName is not what it was at the last call.
  virtual void Change();

private:
  // Lists the folder; KeepSelection selects the same name again.
  void ReadFileNames(bool KeepSelection);
  // A folder's row ("[name]", listed with ftDirectory).
  bool IsFolderRow(const AnsiString& Text) const;
  // Goes to the folder (EInOutError when it does not exist); true when the
  // list was read again.
  bool ChangeFolder(const AnsiString& Value);
  void UpdateStyle();

  AnsiString FDirectory;
  AnsiString FMask = "*.*";
  TFileType FFileType{ftNormal};
  bool FShowGlyphs = false;
  bool FRead = false;
  AnsiString FLastFileName;
};

// The folder list: the drive root and each folder down to Directory with an
// open folder picture, indented step by step, then Directory's sub-folders
// (sorted without regard to case) with a closed one. A double click or Enter
// opens the folder of the selected row.
class TDirectoryListBox : public TCustomListBox {
public:
  explicit TDirectoryListBox(TComponent* AOwner);

  // Raises EInOutError for a folder that does not exist. A change updates
  // FileList and DirLabel and fires OnChange.
  const AnsiString& Directory() const { return FDirectory; }
  void SetDirectory(const AnsiString& Value);
  // The file list that shows the files of Directory.
  TFileListBox* FileList() const { return FFileList; }
  void SetFileList(TFileListBox* Value);
  // A label that shows Directory.
  TCustomLabel* DirLabel() const { return FDirLabel; }
  void SetDirLabel(TCustomLabel* Value);

  // The folder row Index stands for; EListError outside the rows.
  AnsiString GetItemPath(int Index);
  // Makes the selected row's folder the Directory.
  void OpenCurrent();

  // Reads the sub-folders again (folders made or removed meanwhile show)
  // and repaints; the Directory stays.
  void Update() override;
  void DblClick() override;
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnChange;

protected:
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  virtual void Change();

private:
  struct TEntry {
    AnsiString Path;
    int Level;
    bool Open;
  };
  void BuildList();
  void UpdateLinks();

  AnsiString FDirectory;
  std::vector<TEntry> FEntries;
  bool FBuilt = false;
  TFileListBox* FFileList = nullptr;
  TCustomLabel* FDirLabel = nullptr;
};

// Registers the unit's classes and their published properties.
void InitializeFileCtrl();
