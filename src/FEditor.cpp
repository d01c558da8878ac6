#include "FEditor.h"

#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "FDName.h"
#include "FDicSelector.h"
#include "Main.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Win.h"

// ---------------------------------------------------------------------------
// TFEdit

namespace {

// The three faces of a picture button from the BITMAP resources
// <Name>_BASE, <Name>_OVER and <Name>_DOWN.
void LoadPictures(TImgBtn* Button, const AnsiString& Name) {
  const HINSTANCE Module = GetModuleHandleA(nullptr);
  TOwned<TBitmap> Picture(new TBitmap());
  Picture->LoadFromResourceName(Module, Name + "_OVER");
  Button->SetPicture_Over(Picture.get());
  Picture->LoadFromResourceName(Module, Name + "_DOWN");
  Button->SetPicture_Down(Picture.get());
  Picture->LoadFromResourceName(Module, Name + "_BASE");
  Button->SetPicture_Base(Picture.get());
}

// The name the save-as dialog proposes for a dictionary file: the file name
// without its ".dic" ending, compared as written (so "X.DIC" proposes
// nothing); empty for a file with another ending.
AnsiString ProposedName(const AnsiString& FileName) {
  const AnsiString Ext = ".dic";
  if (FileName.size() <= Ext.size() || FileName.compare(FileName.size() - Ext.size(), Ext.size(), Ext) != 0)
    return AnsiString();
  return FileName.substr(0, FileName.size() - Ext.size());
}

}  // namespace

TFEdit::TFEdit(TComponent* AOwner) : TForm(AOwner) {}

TFEdit::~TFEdit() = default;

void TFEdit::FormCreate(TObject*) {
  EQ->SetMaxLength(80);
  ApplyCaptions();
  LoadPictures(IBAdd, "BTN_ADD");
  LoadPictures(IBReplace, "BTN_REPLACE");
  LoadPictures(IBDel, "BTN_DELETE");
  LoadPictures(IBSort, "BTN_SORT");
  FDict.reset(new TDict());
  FQuestion.reset(new TQuestion());
  // The dictionary keeps the lists' rows in step with its entries, in UTF-16.
  FDict->SetQuestionsList(LBQ->Items());
  FDict->SetAnswersList(LBA->Items());
  FDicName->EDN->SetText("");
  FCurrent = -1;
  FConsumed = false;
  OD->SetFilter(sImportFilter);
  OD->SetInitialDir(ExtractFilePath(Application->ExeName()));
}

void TFEdit::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2);
  SetLeft((FMain->ClientWidth() - Width()) / 2);
}

void TFEdit::FormClose(TObject*, TCloseAction& Action) { Action = FDialogs.CloseAction(); }

void TFEdit::FormDestroy(TObject*) {
  // Freeing the dictionary would otherwise empty the list boxes row by row.
  if (!FDict) return;
  FDict->SetQuestionsList(nullptr);
  FDict->SetAnswersList(nullptr);
  FDict.reset();
  FQuestion.reset();
}

void TFEdit::IBAddClick(TObject* Sender) {
  if (EQ->Text().empty()) return;
  FQuestion->Clear();
  FQuestion->SetQuestion(EQ->Text());
  // Answers are packed from the first slot: an empty edit leaves no gap.
  for (TVsEdit* Answer : {EA1, EA2, EA3, EA4})
    if (!Answer->Text().empty()) FQuestion->SetAnswer(FQuestion->AnswerCount() + 1, Answer->Text());
  const auto* Button = dynamic_cast<TComponent*>(Sender);
  if (Button && Button->Tag() != 0 && FCurrent != -1) {
    FDict->Put(FCurrent, FQuestion->Record());
  } else {
    FDict->Add(FQuestion->Record());
    FCurrent = FDict->Count() - 1;
  }
  LBQ->SetItemIndex(FCurrent);
  LBA->SetItemIndex(FCurrent);
}

void TFEdit::LBQClick(TObject*) { ListClicked(LBQ, LBA); }

void TFEdit::LBAClick(TObject*) { ListClicked(LBA, LBQ); }

void TFEdit::ListClicked(TVsListBox* Clicked, TVsListBox* Other) {
  Other->SetTopIndex(Clicked->TopIndex());
  Other->SetItemIndex(Clicked->ItemIndex());
  FCurrent = Other->ItemIndex();
  if (FCurrent < 0) return;
  FDict->Get(FCurrent, FQuestion->Record());
  EQ->SetText(FQuestion->GetQuestion());
  EA1->SetText(FQuestion->GetAnswer(1));
  EA2->SetText(FQuestion->GetAnswer(2));
  EA3->SetText(FQuestion->GetAnswer(3));
  EA4->SetText(FQuestion->GetAnswer(4));
  Clicked->Repaint();
  Other->Repaint();
}

void TFEdit::IBDelClick(TObject*) {
  const int Index = LBQ->ItemIndex();
  if (Index < 0) return;
  FCurrent = -1;
  FDict->Delete(Index);
  LBQ->SetItemIndex(-1);
  LBA->SetTopIndex(LBQ->TopIndex());
  LBA->SetItemIndex(-1);
  ClearEdits();
}

void TFEdit::IBSortClick(TObject*) {
  FDict->Sort();
  // The entries moved: a Replace now must not overwrite whatever word took
  // the old position.
  Unselect();
}

void TFEdit::IBOpenClick(TObject*) {
  const TCloseGuard::THold Dialogs(FDialogs);
  // Cancel keeps everything, the title and description being typed too.
  if (FSelDic->ShowModal() != mrOk) return;
  OpenDictionary(FSelDic->FLDic->FileName());
}

void TFEdit::OpenDictionary(const AnsiString& Path) {
  try {
    FDict->LoadFromFile(Path);
  } catch (const Exception&) {
    ShowAppMessage(sMsgDictCorrupt, sCapFileError, MB_OK);
    FDict->Clear();
  }
  Unselect();
  EQL->SetText(FDict->GetTitle());
  MDesc->SetText(FDict->GetDescription());
  CBResizeFont->SetChecked(FDict->HasResizeFont());
  // A later Save proposes the same file, in its own folder, so that it
  // asks before replacing it rather than making a copy elsewhere.
  FDicName->EDN->SetText(ProposedName(ExtractFileName(Path)));
  if (IsInDictionariesDir(ExtractFileDir(Path))) FDicName->DLB->SetDirectory(ExtractFileDir(Path));
  ClearEdits();
}

void TFEdit::IBSaveClick(TObject*) {
  const TCloseGuard::THold Dialogs(FDialogs);
  if (EQL->Text().empty() || MDesc->Text().empty()) {
    ShowAppMessage(sMsgNoTitle, sCapError, MB_ICONERROR);
    return;
  }
  // The description carries the font flag, so the flag goes first.
  FDict->SetTitle(EQL->Text());
  FDict->SetResizeFont(CBResizeFont->Checked());
  FDict->SetDescription(MDesc->Text());
  if (FDicName->ShowModal() != mrOk) return;
  try {
    FDict->SaveToFile(FDicName->GetDictionaryPath());
  } catch (const Exception&) {
    ShowAppMessage(sMsgCannotCreateFile, sCapFileError, MB_OK);
  }
}

void TFEdit::IBImportClick(TObject*) {
  const TCloseGuard::THold Dialogs(FDialogs);
  if (!OD->Execute()) return;
  try {
    FDict->ImportFromFile(OD->FileName());
  } catch (const Exception&) {
    ShowAppMessage(sMsgDictCorrupt, sCapFileError, MB_OK);
  }
  Unselect();
}

void TFEdit::EQKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
  FMain->TranslateShortcutKey(Key, Shift, FConsumed, static_cast<TCustomVsEdit*>(Sender));
  if (FConsumed) Key = 0;
}

void TFEdit::EQKeyPress(TObject*, char& Key) {
  if (FConsumed) Key = 0;
}

void TFEdit::Unselect() {
  FCurrent = -1;
  LBQ->SetItemIndex(-1);
  LBA->SetItemIndex(-1);
}

void TFEdit::ClearEdits() {
  for (TVsEdit* Edit : {EQ, EA1, EA2, EA3, EA4}) Edit->SetText(WideString());
}

void TFEdit::ApplyCaptions() {
  SetCaption(WideToAnsi(sEditCaption));
  LWord->SetCaption(WideToAnsi(sEditWord));
  LAnswers->SetCaption(WideToAnsi(sEditAnswers));
  LTitle->SetCaption(WideToAnsi(sEditDictTitle));
  LDescription->SetCaption(WideToAnsi(sEditDictDescription));
  CBResizeFont->SetCaption(WideToAnsi(sEditFontSize));
  IBAdd->SetHint(WideToAnsi(sEditHintAdd));
  IBDel->SetHint(WideToAnsi(sEditHintDelete));
  IBReplace->SetHint(WideToAnsi(sEditHintReplace));
  IBImport->SetHint(WideToAnsi(sEditHintImport));
  IBSave->SetHint(WideToAnsi(sEditHintSave));
  IBOpen->SetHint(WideToAnsi(sEditHintOpen));
  IBSort->SetHint(WideToAnsi(sEditHintSort));
  // The plain buttons have no pictures: they say what they do.
  IBImport->SetCaption(WideToAnsi(sEditHintImport));
  IBSave->SetCaption(WideToAnsi(sEditHintSave));
  IBOpen->SetCaption(WideToAnsi(sEditHintOpen));
}

void RegisterFEditor() {
  InitializeVsEdits();
  RegisterClass<TFEdit, TForm>()
      .Method("FormCreate", &TFEdit::FormCreate)
      .Method("FormShow", &TFEdit::FormShow)
      .Method("FormClose", &TFEdit::FormClose)
      .Method("FormDestroy", &TFEdit::FormDestroy)
      .Method("IBAddClick", &TFEdit::IBAddClick)
      .Method("LBQClick", &TFEdit::LBQClick)
      .Method("LBAClick", &TFEdit::LBAClick)
      .Method("IBDelClick", &TFEdit::IBDelClick)
      .Method("IBSortClick", &TFEdit::IBSortClick)
      .Method("IBOpenClick", &TFEdit::IBOpenClick)
      .Method("IBSaveClick", &TFEdit::IBSaveClick)
      .Method("IBImportClick", &TFEdit::IBImportClick)
      .Method("EQKeyDown", &TFEdit::EQKeyDown)
      .Method("EQKeyPress", &TFEdit::EQKeyPress)
      .Field("LWord", &TFEdit::LWord)
      .Field("LAnswers", &TFEdit::LAnswers)
      .Field("LTitle", &TFEdit::LTitle)
      .Field("LDescription", &TFEdit::LDescription)
      .Field("L1", &TFEdit::L1)
      .Field("L2", &TFEdit::L2)
      .Field("L3", &TFEdit::L3)
      .Field("L4", &TFEdit::L4)
      .Field("EQ", &TFEdit::EQ)
      .Field("EA1", &TFEdit::EA1)
      .Field("EA2", &TFEdit::EA2)
      .Field("EA3", &TFEdit::EA3)
      .Field("EA4", &TFEdit::EA4)
      .Field("EQL", &TFEdit::EQL)
      .Field("MDesc", &TFEdit::MDesc)
      .Field("LBQ", &TFEdit::LBQ)
      .Field("LBA", &TFEdit::LBA)
      .Field("CBResizeFont", &TFEdit::CBResizeFont)
      .Field("IBAdd", &TFEdit::IBAdd)
      .Field("IBReplace", &TFEdit::IBReplace)
      .Field("IBDel", &TFEdit::IBDel)
      .Field("IBSort", &TFEdit::IBSort)
      .Field("IBOpen", &TFEdit::IBOpen)
      .Field("IBSave", &TFEdit::IBSave)
      .Field("IBImport", &TFEdit::IBImport)
      .Field("OD", &TFEdit::OD);
}
