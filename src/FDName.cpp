#include "FDName.h"

#include "Dialogs.h"
#include "Dict_Strings.h"
#include "Main.h"
#include "SysUtils.h"
#include "TypInfo.h"

TFDicName* FDicName = nullptr;

namespace {

const AnsiString DicExt = ".dic";

// True when Name can be one file or folder name inside the folder shown: no
// path parts ("\", "/", ":", ".."), so nothing lands outside the
// dictionaries folder, no control characters and none of * ? " < > |.
bool IsPlainFileName(const AnsiString& Name) {
  if (Name.empty() || Name.find("..") != AnsiString::npos) return false;
  for (const char C : Name)
    if (static_cast<unsigned char>(C) < 32 || AnsiString("\\/:*?\"<>|").find(C) != AnsiString::npos) return false;
  return true;
}

}  // namespace

void TFDicName::FormCreate(TObject*) {
  // The chooser, made just before, has already said when the folder cannot
  // be made; then the list stays where it is and OK refuses every name.
  const AnsiString Root = DictionariesDir();
  if (ForceDirectories(Root)) {
    DLB->SetDirectory(Root);
    DLB->SetHint(DLB->Directory());
  }
  ApplyCaptions();
}

void TFDicName::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 + FMain->Top());
  SetLeft((FMain->ClientWidth() - Width()) / 2 + FMain->Left());
  // Folders may have been made or removed since the last show; a folder
  // that is gone gives way to the dictionaries folder.
  if (!DirectoryExists(DLB->Directory()) && DirectoryExists(DictionariesDir())) DLB->SetDirectory(DictionariesDir());
  DLB->Update();
}

void TFDicName::FormCloseQuery(TObject*, bool& CanClose) {
  // Only OK waits for a usable name; the close box and Esc always leave.
  CanClose = FMayClose || ModalResult() != mrOk;
}

void TFDicName::DLBChange(TObject*) {
  if (IsInDictionariesDir(DLB->Directory()))
    DLB->SetHint(DLB->Directory());
  else if (!DLB->Hint().empty())
    DLB->SetDirectory(DLB->Hint());
}

void TFDicName::BOkClick(TObject*) {
  FMayClose = false;
  if (EDN->Text().empty()) return;
  if (!IsPlainFileName(BaseName()) || !IsInDictionariesDir(DLB->Directory())) {
    ShowAppMessage(sMsgBadDicName, sCapBadDicName, MB_OK);
    return;
  }
  FMayClose = !FileExists(GetDictionaryPath()) || ShowAppMessage(sMsgFileExists, sCapConfirmReplace, MB_YESNO) == IDYES;
}

void TFDicName::BCancelClick(TObject*) { FMayClose = true; }

void TFDicName::BCreateClick(TObject*) {
  AnsiString Name;
  InputQuery(sNewFolderCaption, sNewFolderPrompt, Name);
  if (Name.empty()) return;
  const AnsiString Folder = IncludeTrailingPathDelimiter(DLB->Directory()) + Name;
  if (IsPlainFileName(Name) && IsInDictionariesDir(DLB->Directory()) && ForceDirectories(Folder))
    DLB->SetDirectory(Folder);
  else
    ShowAppMessage(sMsgCannotCreateDir, sCapError, MB_ICONERROR);
}

void TFDicName::ApplyCaptions() {
  SetCaption(WideToAnsi(sDicNameCaption));
  BOk->SetCaption(WideToAnsi(sDicNameOK));
  BCancel->SetCaption(WideToAnsi(sDicNameCancel));
  BCreate->SetCaption(WideToAnsi(sDicNameNewFolder));
}

AnsiString TFDicName::BaseName() const {
  const AnsiString Name = EDN->Text();
  if (Name.size() >= DicExt.size() && AnsiSameText(Name.substr(Name.size() - DicExt.size()), DicExt))
    return Name.substr(0, Name.size() - DicExt.size());
  return Name;
}

AnsiString TFDicName::GetDictionaryPath() const {
  return IncludeTrailingPathDelimiter(DLB->Directory()) + BaseName() + DicExt;
}

void RegisterFDName() {
  RegisterClass<TFDicName, TForm>()
      .Method("FormCreate", &TFDicName::FormCreate)
      .Method("FormShow", &TFDicName::FormShow)
      .Method("FormCloseQuery", &TFDicName::FormCloseQuery)
      .Method("DLBChange", &TFDicName::DLBChange)
      .Method("BOkClick", &TFDicName::BOkClick)
      .Method("BCancelClick", &TFDicName::BCancelClick)
      .Method("BCreateClick", &TFDicName::BCreateClick)
      .Field("DLB", &TFDicName::DLB)
      .Field("EDN", &TFDicName::EDN)
      .Field("BOk", &TFDicName::BOk)
      .Field("BCancel", &TFDicName::BCancel)
      .Field("BCreate", &TFDicName::BCreate);
}
