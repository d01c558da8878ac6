#include "FDicSelector.h"

#include <vector>

#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "Main.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TypInfo.h"

TFSelDic* FSelDic = nullptr;

namespace {

// The little-endian UTF-16 units of Bytes[From, From + Count) up to the
// first 0 unit; what lies beyond the end of Bytes is taken as missing.
WideString ReadField(const std::vector<unsigned char>& Bytes, size_t From, size_t Count) {
  WideString Result;
  for (size_t I = 0; I < Count; ++I) {
    const size_t At = From + 2 * I;
    if (At + 1 >= Bytes.size()) break;
    const wchar_t Unit = static_cast<wchar_t>(Bytes[At] | (Bytes[At + 1] << 8));
    if (Unit == 0) break;
    Result += Unit;
  }
  return Result;
}

}  // namespace

void TFSelDic::FormCreate(TObject*) {
  FRoot = DictionariesDir();
  // Without the folder the chooser has nothing to show, but the program
  // itself can still run.
  if (ForceDirectories(FRoot)) {
    DLB->SetDirectory(FRoot);
    DLB->SetHint(DLB->Directory());
  } else {
    ShowAppMessage(sMsgNoDictFolder, sCapNoDictFolder, MB_ICONERROR);
  }
  ApplyCaptions();
}

void TFSelDic::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 + FMain->Top());
  SetLeft((FMain->ClientWidth() - Width()) / 2 + FMain->Left());
  // Folders and files may have been made or removed meanwhile, in the
  // save-as dialog among others; a folder that is gone gives way to the
  // dictionaries folder.
  if (!DirectoryExists(DLB->Directory()) && DirectoryExists(FRoot)) DLB->SetDirectory(FRoot);
  DLB->Update();
  FLDic->Update();
  EQL->SetText("");
  MDesc->Lines()->Clear();
}

void TFSelDic::SelectFile(const AnsiString& FileName) {
  // The folder list takes the file list along to the file's folder.
  DLB->SetDirectory(ExtractFilePath(FileName));
  FLDic->SetFileName(FileName);
}

void TFSelDic::DLBChange(TObject*) {
  // A path comparison, not a text search: "slowniki2" beside the root
  // contains the root's text but lies outside it.
  if (IsInDictionariesDir(DLB->Directory()))
    DLB->SetHint(DLB->Directory());
  else if (!DLB->Hint().empty())
    DLB->SetDirectory(DLB->Hint());
}

void TFSelDic::FLDicClick(TObject*) {
  const AnsiString FileName = FLDic->FileName();
  if (FileName.empty()) return;
  // Only the header is read; a shorter file previews what it holds.
  std::vector<unsigned char> Header(DictHeaderBytes);
  {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    Header.resize(Stream.Read(Header.data(), DictHeaderBytes));
  }
  EQL->SetText(WideToAnsi(ReadField(Header, 0, DictTitleSize)));
  MDesc->SetText(WideToAnsi(ReadField(Header, 2 * DictTitleSize, DictDescriptionSize)));
}

void TFSelDic::FLDicDblClick(TObject*) {
  if (!FLDic->FileName().empty()) SetModalResult(mrOk);
}

void TFSelDic::BOkClick(TObject*) {
  if (FLDic->FileName().empty()) SetModalResult(mrCancel);
}

void TFSelDic::ApplyCaptions() {
  SetCaption(WideToAnsi(sSelDicCaption));
  BOk->SetCaption(WideToAnsi(sSelDicOK));
  BCancel->SetCaption(WideToAnsi(sSelDicCancel));
  LDLang->SetCaption(WideToAnsi(sEditDictTitle));
  LDesc->SetCaption(WideToAnsi(sEditDictDescription));
}

void RegisterFDicSelector() {
  RegisterClass<TFSelDic, TForm>()
      .Method("FormCreate", &TFSelDic::FormCreate)
      .Method("FormShow", &TFSelDic::FormShow)
      .Method("DLBChange", &TFSelDic::DLBChange)
      .Method("FLDicClick", &TFSelDic::FLDicClick)
      .Method("FLDicDblClick", &TFSelDic::FLDicDblClick)
      .Method("BOkClick", &TFSelDic::BOkClick)
      .Field("DLB", &TFSelDic::DLB)
      .Field("FLDic", &TFSelDic::FLDic)
      .Field("EQL", &TFSelDic::EQL)
      .Field("MDesc", &TFSelDic::MDesc)
      .Field("BOk", &TFSelDic::BOk)
      .Field("BCancel", &TFSelDic::BCancel)
      .Field("LDLang", &TFSelDic::LDLang)
      .Field("LDesc", &TFSelDic::LDesc);
}
