// Dialogs: the system's open and save dialogs, a small input dialog and a
// message box.
#pragma once

#include "Classes.h"
#include "Lists.h"
#include "Win.h"

// Each option is the OFN_ flag of the same name.
enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
  ofDontAddToRecent, ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TComponent {
public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  // Pairs of a description and its masks: "Słowniki|*.dic|Wszystkie|*.*"
  // (several masks of one pair separated by ";").
  const AnsiString& Filter() const { return FFilter; }
  void SetFilter(const AnsiString& Value) { FFilter = Value; }
  // The pair shown first, from 1; the one the user left the dialog with.
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const AnsiString& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& Value) { FInitialDir = Value; }
  // The file shown first; the (first) file chosen.
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  // Added to a name typed without an extension (a leading "." is dropped).
  const AnsiString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& Value) { FDefaultExt = Value; }
  // The dialog's caption; empty: the system's.
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }
  // ofReadOnly and ofExtensionDifferent also tell what the user did.
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }
  // The full paths of the files chosen (one without ofAllowMultiSelect).
  TStrings* Files() const { return FFiles.get(); }

  // Shows the dialog, owned by the active form; true when the user chose a
  // file. A failure of the dialog itself (too many files for the buffer,
  // a bad initial name...) raises EInvalidOperation.
  virtual bool Execute();

protected:
  // Shows the system dialog with Params; true when the user chose. An
  // override may stand in for the system (and write into lpstrFile).
  virtual bool RunDialog(OPENFILENAMEA& Params);
  // Raises EInvalidOperation when the last common dialog failed.
  static void CheckDialogError();

private:
  AnsiString FFilter;
  int FFilterIndex = 1;
  AnsiString FInitialDir;
  AnsiString FFileName;
  AnsiString FDefaultExt;
  AnsiString FTitle;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  TOwned<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
public:
  using TOpenDialog::TOpenDialog;

protected:
  bool RunDialog(OPENFILENAMEA& Params) override;
};

// A dialog captioned ACaption asking for one line of text: the prompt, an
// edit holding Value, and "OK" (Enter) and "Anuluj" (Esc) buttons. True and
// Value set to the text on OK; false and Value untouched otherwise.
bool InputQuery(const AnsiString& ACaption, const AnsiString& APrompt, AnsiString& Value);
// The text entered, or ADefault when the dialog was cancelled.
AnsiString InputBox(const AnsiString& ACaption, const AnsiString& APrompt, const AnsiString& ADefault);
// A message box with an OK button, captioned with the application's title.
void ShowMessage(const AnsiString& Msg);

// Unit start-up: registers the classes for layouts.
void InitializeDialogs();
