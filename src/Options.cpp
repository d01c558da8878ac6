#include "Options.h"

#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "ELEngine.h"
#include "IniFiles.h"
#include "Lists.h"
#include "Main.h"
#include "Menus.h"
#include "Symb.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Win.h"

namespace {

const char* const NoUser = "noname";

// The name as the user record keeps it: without outer blanks, at most 255
// characters, so that the list holds what the result file is named after.
AnsiString UserNameOf(const AnsiString& Typed) {
  const AnsiString Name = Trim(Typed);
  return Name.size() <= 255 ? Name : TrimRight(Name.substr(0, 255));
}

bool HasResultFile(const AnsiString& Name) {
  return FileExists(ExtractFilePath(Application->ExeName()) + UserFileName(Name));
}

const wchar_t* const NoCharacter = L"...";

// The shortcut code and the character of a stored line "code=character";
// false for a line that is not one.
bool ParseShortcutLine(const AnsiString& Line, TShortCut& Code, WideChar& Ch) {
  const size_t Equals = Line.find('=');
  if (Equals == AnsiString::npos) return false;
  Integer CodeValue = 0, CharValue = 0;
  if (!TryStrToInt(Line.substr(0, Equals), CodeValue) || CodeValue <= 0 || CodeValue > 0xFFFF) return false;
  if (!TryStrToInt(Line.substr(Equals + 1), CharValue) || !ShortcutCharacter(CharValue, Ch)) return false;
  Code = static_cast<TShortCut>(CodeValue);
  return true;
}

// What the display list shows for a stored line: the shortcut's text, "="
// and the character; a line that is no shortcut shows as it stands.
WideString DisplayLine(const AnsiString& Line) {
  TShortCut Code = 0;
  WideChar Ch = 0;
  if (!ParseShortcutLine(Line, Code, Ch)) return AnsiToWide(Line);
  const AnsiString Text = ShortCutToText(Code);
  return AnsiToWide(Text.empty() ? IntToStr(Code) : Text) + L"=" + WideString(1, Ch);
}

}  // namespace

void TFOptions::FormCreate(TObject*) { ApplyCaptions(); }

void TFOptions::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2);
  SetLeft((FMain->ClientWidth() - Width()) / 2);
  // The main window re-runs this on every resize; loading again would throw
  // away what the user changed and not yet saved.
  if (FLoaded) return;
  FLoaded = true;
  ShowUsersPage();
  LoadOptions();
}

void TFOptions::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TFOptions::FormKeyDown(TObject*, Word& Key, TShiftState) {
  // An open user list takes Esc for itself.
  if (Key == VK_ESCAPE && !CBUsers->DroppedDown()) Close();
}

void TFOptions::LBMenuClick(TObject*) {
  if (LBMenu->ItemIndex() == 0) ShowTestPage();
  if (LBMenu->ItemIndex() == 1) ShowUsersPage();
}

void TFOptions::CBUsersChange(TObject*) { UserChanged(); }

void TFOptions::IBAddUserClick(TObject*) { AddUserEntry(EUser->Text()); }

void TFOptions::IBDelUserClick(TObject*) {
  const int Index = CBUsers->ItemIndex();
  if (Index >= 0) DeleteUserEntry(CBUsers->Items()->Strings(Index));
}

void TFOptions::IBReplaceUserClick(TObject*) {
  const int Index = CBUsers->ItemIndex();
  if (Index >= 0) RenameUserEntry(CBUsers->Items()->Strings(Index), EUser->Text());
}

void TFOptions::BOkClick(TObject*) {
  SaveOptions();
  Close();
}

void TFOptions::BCancelClick(TObject*) { Close(); }

void TFOptions::BApplyClick(TObject*) { SaveOptions(); }

void TFOptions::ShowPage(TGroupBox* Page, int MenuIndex) {
  for (TGroupBox* Group : {GBTest, GBUsers, GBSC}) Group->SetVisible(Group == Page);
  LBMenu->SetItemIndex(MenuIndex);
}

void TFOptions::ShowTestPage() { ShowPage(GBTest, 0); }

void TFOptions::ShowUsersPage() { ShowPage(GBUsers, 1); }

// The page list has no entry of its own for the shortcuts.
void TFOptions::ShowShortcutPage() { ShowPage(GBSC, 1); }

void TFOptions::LoadOptions() {
  TIniFile* Config = FMain->Config.get();
  SERep->SetValue(Config->ReadInteger("test", "repeat count", 1));
  CBRandom->SetChecked(Config->ReadBool("test", "randomize", true));
  CBLStats->SetChecked(Config->ReadBool("test", "LStats", true));
  CBTStats->SetChecked(Config->ReadBool("test", "TStats", true));
  CBBledy->SetChecked(Config->ReadBool("test", "Errors", false));

  TOwned<TStringList> Users(new TStringList());
  Config->ReadSectionValues("users", Users.get());
  TStrings* Items = CBUsers->Items();
  Items->Clear();
  for (int I = 0; I < Users->Count(); ++I) {
    const AnsiString Name = Users->ValueFromIndex(I);
    if (!Name.empty()) Items->Add(Name);
  }
  CBUsers->SetItemIndex(FindUser(FMain->CurrentUser->Name()));
  UserChanged();
  LoadShortcuts();
}

void TFOptions::SaveOptions() {
  TIniFile* Config = FMain->Config.get();
  // A number typed into the spin edit is only brought into its range when
  // the edit loses the focus, which Enter on the default button skips.
  SERep->SetValue(SERep->Value());
  Config->WriteInteger("test", "repeat count", SERep->Value());
  Config->WriteBool("test", "randomize", CBRandom->Checked());
  Config->WriteBool("test", "LStats", CBLStats->Checked());
  Config->WriteBool("test", "TStats", CBTStats->Checked());
  Config->WriteBool("test", "Errors", CBBledy->Checked());
  Config->EraseSection("users");
  TStrings* Items = CBUsers->Items();
  for (int I = 0; I < Items->Count(); ++I) Config->WriteString("users", IntToStr(I), Items->Strings(I));
  if (FShortcutsChanged)
    SaveShortcuts();
  else
    FMain->LoadShortcutKeys();
}

void TFOptions::HKChange(TObject*) {
  const int Index = FindShortcut(HK->HotKey());
  if (Index >= 0) LBSC->SetItemIndex(Index);
  ShowShortcutCharacter(Index);
}

void TFOptions::LBSCClick(TObject* Sender) {
  const int Index = Sender == LBHK ? LBHK->ItemIndex() : LBSC->ItemIndex();
  if (Index < 0) return;
  TShortCut Code = 0;
  WideChar Ch = 0;
  if (ParseShortcutLine(LBHK->Items()->Strings(Index), Code, Ch)) HK->SetHotKey(Code);
  ShowShortcutCharacter(Index);
}

void TFOptions::IBDelClick(TObject*) {
  const int Index = HK->HotKey() ? FindShortcut(HK->HotKey()) : -1;
  if (Index < 0) return;
  LBHK->Items()->Delete(Index);
  LBSC->Items()->Delete(Index);
  ShowShortcutCharacter(-1);
  // Should the file refuse the write, OK tries again.
  FShortcutsChanged = true;
  // The deleted shortcut stops typing at once, not only after OK.
  SaveShortcuts();
}

void TFOptions::BSCBClick(TObject*) {
  if (!HK->HotKey()) return;
  if (FSymbol->ShowModal() == mrOk) SetShortcutSymbol(FSymbol->ChosenSymbol());
}

void TFOptions::SetShortcutSymbol(WideChar Ch) {
  const TShortCut Code = HK->HotKey();
  if (!Code) return;
  const AnsiString Line = IntToStr(Code) + "=" + IntToStr(static_cast<int>(Ch));
  int Index = FindShortcut(Code);
  if (Index < 0) {
    Index = LBHK->Items()->Add(Line);
    LBSC->Items()->Add(DisplayLine(Line));
  } else {
    LBHK->Items()->Put(Index, Line);
    LBSC->Items()->Put(Index, DisplayLine(Line));
  }
  LBSC->SetItemIndex(Index);
  BSC->SetCaption(WideString(1, Ch));
  FShortcutsChanged = true;
}

void TFOptions::LoadShortcuts() {
  const AnsiString& File = FMain->ShortcutKeysFile;
  if (FileExists(File)) LBHK->Items()->LoadFromFile(File);
  TUniStrings* Display = LBSC->Items();
  Display->Clear();
  for (int I = 0; I < LBHK->Items()->Count(); ++I) Display->Add(DisplayLine(LBHK->Items()->Strings(I)));
  FShortcutsChanged = false;
  HKChange(HK);
}

void TFOptions::SaveShortcuts() {
  LBHK->Items()->SaveToFile(FMain->ShortcutKeysFile);
  FShortcutsChanged = false;
  FMain->LoadShortcutKeys();
}

int TFOptions::FindShortcut(TShortCut Code) const { return LBHK->Items()->IndexOfName(IntToStr(Code)); }

void TFOptions::ShowShortcutCharacter(int Index) {
  TShortCut Code = 0;
  WideChar Ch = 0;
  const bool Known = Index >= 0 && ParseShortcutLine(LBHK->Items()->Strings(Index), Code, Ch);
  BSC->SetCaption(Known ? WideString(1, Ch) : WideString(NoCharacter));
}

void TFOptions::UserChanged() {
  TDUser* User = FMain->CurrentUser.get();
  const int Index = CBUsers->ItemIndex();
  // Nothing chosen keeps the current user: an empty name is nobody's. A
  // user whose results cannot be read is not taken either, and the list
  // shows again who is current.
  if (Index >= 0 && !FMain->SelectCurrentUser(CBUsers->Items()->Strings(Index)))
    CBUsers->SetItemIndex(FindUser(User->Name()));
  EUser->SetText(User->Name() == NoUser ? AnsiString() : User->Name());
}

bool TFOptions::RefuseName(const AnsiString& Name, int Except) {
  // A name that "dict.cfg" would trim or unquote would come back as another
  // name with another result file.
  const WideString* Text = nullptr;
  if (Name.empty())
    Text = &sMsgEmptyUserName;
  else if (AnsiSameText(Name, NoUser))
    Text = &sMsgReservedUserName;
  else if (Name.find('"') != AnsiString::npos)
    Text = &sMsgQuoteInUserName;
  else if (Name.size() > 1 && Name.front() == '\'' && Name.back() == '\'')
    Text = &sMsgApostrophesAroundUserName;
  if (Text) {
    ShowAppMessage(*Text, sCapBadUserName, MB_OK | MB_ICONWARNING);
    return true;
  }
  const TStrings* Items = CBUsers->Items();
  for (int I = 0; I < Items->Count(); ++I)
    if (I != Except && AnsiSameText(Items->Strings(I), Name)) {
      ShowAppMessage(sMsgUserExists, sCapUserExists, MB_OK);
      return true;
    }
  return false;
}

int TFOptions::FindUser(const AnsiString& Name) const {
  const TStrings* Items = CBUsers->Items();
  for (int I = 0; I < Items->Count(); ++I)
    if (Items->Strings(I) == Name) return I;
  for (int I = 0; I < Items->Count(); ++I)
    if (AnsiSameText(Items->Strings(I), Name)) return I;
  return -1;
}

void TFOptions::AddUserEntry(const AnsiString& AName) {
  const AnsiString Name = UserNameOf(AName);
  if (RefuseName(Name, -1)) return;
  TDUser* User = FMain->CurrentUser.get();
  if (HasResultFile(Name)) {
    // A user whose entry was never saved, or was taken out of "dict.cfg",
    // gets its results back; one whose results cannot be read is not added.
    if (!FMain->SelectCurrentUser(Name)) return;
  } else {
    User->Save();
    User->SetName(Name);
    User->ClearResults();
    User->Save();
  }
  CBUsers->SetItemIndex(CBUsers->Items()->Add(Name));
  EUser->SetText(Name);
}

void TFOptions::DeleteUserEntry(const AnsiString& AName) {
  FMain->CurrentUser->DeleteUser(AName);
  const int Index = FindUser(AName);
  if (Index >= 0) CBUsers->Items()->Delete(Index);
  if (CBUsers->Items()->Count() > 0) {
    CBUsers->SetItemIndex(0);
  } else {
    // Nobody is left: there is no current user, and the label says so.
    CBUsers->SetItemIndex(-1);
    FMain->CurrentUser->SelectUser(NoUser);
  }
  UserChanged();
}

void TFOptions::RenameUserEntry(const AnsiString& OldName, const AnsiString& NewName) {
  const AnsiString Name = UserNameOf(NewName);
  const int Index = FindUser(OldName);
  if (Index < 0 || Name == OldName || RefuseName(Name, Index)) return;
  // The new name's own results would be taken over by this user.
  if (HasResultFile(Name)) {
    ShowAppMessage(sMsgUserExists, sCapUserExists, MB_OK);
    return;
  }
  // A user without a result file is renamed in the list alone.
  if (!FMain->CurrentUser->RenameUser(OldName, Name) && HasResultFile(OldName)) {
    ShowAppMessage(sMsgCannotRenameUser, sCapCannotRenameUser, MB_OK | MB_ICONERROR);
    return;
  }
  CBUsers->Items()->Put(Index, Name);
  CBUsers->SetItemIndex(FindUser(Name));
  UserChanged();
}

void TFOptions::ApplyCaptions() {
  SetCaption(WideToAnsi(sOptionsCaption));
  LBMenu->Items()->Put(0, WideToAnsi(sOptionsPageTest));
  LBMenu->Items()->Put(1, WideToAnsi(sOptionsPageUsers));
  GBTest->SetCaption(WideToAnsi(sOptionsGroupTest));
  GBUsers->SetCaption(WideToAnsi(sOptionsGroupUsers));
  LAddUser->SetCaption(WideToAnsi(sOptionsAddUser));
  LChooseUser->SetCaption(WideToAnsi(sOptionsSelectUser));
  LRepeats->SetCaption(WideToAnsi(sOptionsRepeats));
  CBRandom->SetCaption(WideToAnsi(sOptionsRandom));
  CBLStats->SetCaption(WideToAnsi(sOptionsStatsLearn));
  CBTStats->SetCaption(WideToAnsi(sOptionsStatsTest));
  CBBledy->SetCaption(WideToAnsi(sOptionsShowErrors));
  BOk->SetCaption(WideToAnsi(sOptionsOK));
  BCancel->SetCaption(WideToAnsi(sOptionsCancel));
  BApply->SetCaption(WideToAnsi(sOptionsApply));
}

void RegisterOptions() {
  InitializeUniStdCtrls();
  RegisterClass<TFOptions, TForm>()
      .Method("FormCreate", &TFOptions::FormCreate)
      .Method("FormShow", &TFOptions::FormShow)
      .Method("FormClose", &TFOptions::FormClose)
      .Method("FormKeyDown", &TFOptions::FormKeyDown)
      .Method("LBMenuClick", &TFOptions::LBMenuClick)
      .Method("CBUsersChange", &TFOptions::CBUsersChange)
      .Method("IBAddUserClick", &TFOptions::IBAddUserClick)
      .Method("IBDelUserClick", &TFOptions::IBDelUserClick)
      .Method("IBReplaceUserClick", &TFOptions::IBReplaceUserClick)
      .Method("BOkClick", &TFOptions::BOkClick)
      .Method("BCancelClick", &TFOptions::BCancelClick)
      .Method("BApplyClick", &TFOptions::BApplyClick)
      .Method("HKChange", &TFOptions::HKChange)
      .Method("LBSCClick", &TFOptions::LBSCClick)
      .Method("IBDelClick", &TFOptions::IBDelClick)
      .Method("BSCBClick", &TFOptions::BSCBClick)
      .Field("LBMenu", &TFOptions::LBMenu)
      .Field("GBTest", &TFOptions::GBTest)
      .Field("LRepeats", &TFOptions::LRepeats)
      .Field("SERep", &TFOptions::SERep)
      .Field("CBRandom", &TFOptions::CBRandom)
      .Field("CBLStats", &TFOptions::CBLStats)
      .Field("CBTStats", &TFOptions::CBTStats)
      .Field("CBBledy", &TFOptions::CBBledy)
      .Field("GBUsers", &TFOptions::GBUsers)
      .Field("LAddUser", &TFOptions::LAddUser)
      .Field("LChooseUser", &TFOptions::LChooseUser)
      .Field("IBAddUser", &TFOptions::IBAddUser)
      .Field("IBReplaceUser", &TFOptions::IBReplaceUser)
      .Field("IBDelUser", &TFOptions::IBDelUser)
      .Field("EUser", &TFOptions::EUser)
      .Field("CBUsers", &TFOptions::CBUsers)
      .Field("GBSC", &TFOptions::GBSC)
      .Field("LEquals", &TFOptions::LEquals)
      .Field("BSC", &TFOptions::BSC)
      .Field("BSCB", &TFOptions::BSCB)
      .Field("IBDel", &TFOptions::IBDel)
      .Field("HK", &TFOptions::HK)
      .Field("LBSC", &TFOptions::LBSC)
      .Field("LBHK", &TFOptions::LBHK)
      .Field("BOk", &TFOptions::BOk)
      .Field("BCancel", &TFOptions::BCancel)
      .Field("BApply", &TFOptions::BApply);
}
