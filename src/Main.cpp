#include "Main.h"

#include <initializer_list>

#include "Consts.h"
#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "FAbout.h"
#include "FDisplayer.h"
#include "FDicSelector.h"
#include "FEditor.h"
#include "FLearner.h"
#include "Finformations.h"
#include "Dziennik.h"
#include "ELEngine.h"
#include "Options.h"
#include "IniFiles.h"
#include "Jpeg.h"
#include "Lists.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Win.h"

TFMain* FMain = nullptr;

namespace {

const char* const RecentFiles[3] = {"Last4L.lsn", "Last4T.lsn", "Last4D.lsn"};
const char* const RecentPrefixes[3] = {"LL4", "TL4", "SL4"};
const char* const NoUser = "noname";

AnsiString ExeDir() { return ExtractFilePath(Application->ExeName()); }

// The shell's "open" verb, no parameters, normal show state.
void ShellOpen(const AnsiString& Target) {
  ShellExecuteA(Application->MainForm() ? Application->MainForm()->Handle() : nullptr, "open",
                Target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Writes the list beside the file and puts it in the file's place only when
// complete, so a failed write keeps the previous list.
void SaveListSafely(const TStringList& List, const AnsiString& FileName) {
  const AnsiString Temp = FileName + ".tmp";
  try {
    List.SaveToFile(Temp);
  } catch (...) {
    DeleteFile(Temp);
    throw;
  }
  if (!MoveFileExA(Temp.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD Error = GetLastError();
    DeleteFile(Temp);
    throw EFCreateError(FmtLoadStr(SFCreateError, FileName) + ". " + SysErrorMessage(Error));
  }
}

// The tool-bar images in ImageIndex order, as BITMAP resources.
const char* const ToolBarImages[7] = {"TB_PRESENTATION", "TB_LEARNING", "TB_TEST",    "TB_GRADES",
                                      "TB_EDITOR",       "TB_SETTINGS", "TB_INFO"};

}  // namespace

AnsiString DictionariesDir() { return ExcludeTrailingPathDelimiter(ExpandFileName(ExeDir() + sDictFolder)); }

bool IsInDictionariesDir(const AnsiString& Path) {
  if (Path.empty()) return false;
  const AnsiString Dir = DictionariesDir();
  const AnsiString Full = ExcludeTrailingPathDelimiter(ExpandFileName(Path));
  if (AnsiSameText(Full, Dir)) return true;
  const AnsiString Prefix = IncludeTrailingPathDelimiter(Dir);
  return Full.size() > Prefix.size() && AnsiSameText(Full.substr(0, Prefix.size()), Prefix);
}

AnsiString RecentListFile(int Mode) { return ExeDir() + RecentFiles[Mode]; }

TFMain::TFMain(TComponent* AOwner) : TForm(AOwner) {}

TFMain::~TFMain() = default;

void TFMain::FormCreate(TObject*) {
  Config.reset(new TIniFile("dict.cfg"));
  CurrentUser.reset(new TDUser(AnsiString()));
  CurrentUser->SetLabel(LUser);
  CurrentUser->OnResultsDamaged = TNotifyEvent(this, &TFMain::CurrentUserResultsDamaged);
  // The last user's results may be unreadable (a damaged or locked file):
  // that is reported, and the trainer starts without a user, which leads to
  // the users page, rather than without a working window.
  SelectCurrentUser(Config->ReadString("global", "LastUser", NoUser));
  Randomize();
  KeyHelpers.reset(new TStringList());
  CreateShortcutManager(ExeDir() + "Ravelmark.scd");
  ShortcutKeysFile = ExpandFileName("keys.shc");
  LoadShortcutKeys();

  TOwned<TJPEGImage> Background(new TJPEGImage());
  TResourceStream BackgroundData(GetModuleHandleA(nullptr), "BACKGROUND", MAKEINTRESOURCEA(10));
  Background->LoadFromStream(&BackgroundData);
  WImage1->Picture()->SetGraphic(Background.get());
  for (const char* Name : ToolBarImages) {
    TOwned<TBitmap> Image(new TBitmap());
    Image->LoadFromResourceName(GetModuleHandleA(nullptr), Name);
    ImageList1->AddMasked(Image.get(), clFuchsia);
  }
}

void TFMain::FormShow(TObject*) {
  ApplyCaptions();
  BuildRecentMenus();
  if (CurrentUser->Name() != NoUser) return;
  ShowAppMessage(sMsgNoUsers, sCapNoUsers, MB_OK);
  if (TFOptions* Options = OpenOptions()) Options->ShowUsersPage();
}

void TFMain::FormResize(TObject*) {
  TCustomForm* Child = ActiveMDIChild();
  if (Child && Child->OnShow) Child->OnShow(Child);
}

void TFMain::FormDestroy(TObject*) {
  FreeShortcutManager();
  KeyHelpers.reset();
  if (!CurrentUser) return;
  Config->WriteString("global", "LastUser", CurrentUser->Name());
  CurrentUser.reset();
}

void TFMain::TimerRestartTimer(TObject*) {
  TimerRestart->SetEnabled(false);
  if (RestartHandler) RestartHandler(nullptr);
}

void TFMain::Label1MouseEnter(TObject*) { LUser->Font()->SetColor(clBlue); }

void TFMain::Label1MouseLeave(TObject*) { LUser->Font()->SetColor(clBlack); }

void TFMain::Zamknij1Click(TObject*) { Close(); }

void TFMain::ematy1Click(TObject*) { ShellOpen(ExeDir() + sHelpFile); }

void TFMain::ToolButton6Click(TObject*) { ShellOpen(ExeDir() + sInfoHelpFile); }

void TFMain::Kursyjzykowe1Click(TObject*) { ShellOpen(sCoursesUrl); }

void TFMain::SpeedButton1Click(TObject*) { ShellOpen(sSignUpUrl); }

void TFMain::SpeedButton2Click(TObject*) { ShellOpen(sShopUrl); }

void TFMain::Oprogramie1Click(TObject*) {
  About->LUser->SetCaption(WideToAnsi(sAboutUser) + " " + LUser->Caption());
  About->ShowModal();
}

void TFMain::Kontakt1Click(TObject*) { FInfo->ShowPage(true); }

void TFMain::OVARDO1Click(TObject*) { FInfo->ShowPage(false); }

void TFMain::Oceny1Click(TObject*) {
  // The journal lists results that an open exercise may still change.
  if (ActiveMDIChild()) return;
  Create<TFDzienn>(Application);
}

void TFMain::Edytujsowniki1Click(TObject*) {
  if (ActiveMDIChild()) return;
  Create<TFEdit>(Application);
}

TFOptions* TFMain::OpenOptions() {
  if (ActiveMDIChild()) return nullptr;
  return Create<TFOptions>(Application);
}

void TFMain::Uytkownicy1Click(TObject*) {
  if (TFOptions* Options = OpenOptions()) Options->ShowUsersPage();
}

void TFMain::LUserClick(TObject* Sender) { Uytkownicy1Click(Sender); }

void TFMain::Opcjenaukaitesty1Click(TObject*) {
  if (TFOptions* Options = OpenOptions()) Options->ShowTestPage();
}

void TFMain::KeyHelpers1Click(TObject*) {
  if (TFOptions* Options = OpenOptions()) Options->ShowShortcutPage();
}

void TFMain::Uczsi1Click(TObject*) {
  // Also a restart: a window opened meanwhile keeps it from adding another.
  if (ActiveMDIChild()) return;
  if (FSelDic->ShowModal() != mrOk) return;
  Create<TFLearn>(Application, false);
}

void TFMain::Sprawdsi1Click(TObject*) {
  if (ActiveMDIChild()) return;
  if (FSelDic->ShowModal() != mrOk) return;
  if (!HasRealUser()) {
    ShowAppMessage(sMsgNoUsers, sCapNoUsers, MB_OK);
    return;
  }
  Create<TFLearn>(Application, true);
}

void TFMain::Poznajswka1Click(TObject*) {
  // Also a restart: a window opened meanwhile keeps it from adding another.
  if (ActiveMDIChild()) return;
  if (FSelDic->ShowModal() != mrOk) return;
  Create<TFDisplay>(Application);
}

void TFMain::LL44Click(TObject* Sender) {
  auto* Item = dynamic_cast<TMenuItem*>(Sender);
  if (!Item) return;
  const AnsiString Path = Item->Hint();
  // A hand-edited list may point anywhere; the chooser only knows its folder.
  if (!FileExists(Path) || !IsInDictionariesDir(Path) || ActiveMDIChild()) return;
  FSelDic->SelectFile(Path);
  switch (Item->Tag()) {
    case 0:
      Create<TFLearn>(Application, false);
      break;
    case 1:
      if (HasRealUser())
        Create<TFLearn>(Application, true);
      else
        ShowAppMessage(sMsgNoUsers, sCapNoUsers, MB_OK);
      break;
    case 2:
      Create<TFDisplay>(Application);
      break;
    default:
      break;
  }
}

void TFMain::RestartLater(int Mode) {
  switch (Mode) {
    case 0:
      RestartHandler = TNotifyEvent(this, &TFMain::Uczsi1Click);
      break;
    case 1:
      RestartHandler = TNotifyEvent(this, &TFMain::Sprawdsi1Click);
      break;
    case 2:
      RestartHandler = TNotifyEvent(this, &TFMain::Poznajswka1Click);
      break;
    default:
      return;
  }
  // A full interval from now, also when the start-up tick is still due.
  TimerRestart->SetEnabled(false);
  TimerRestart->SetEnabled(true);
}

bool TFMain::SelectCurrentUser(const AnsiString& Name) {
  try {
    CurrentUser->Save();
  } catch (...) {
    Application->HandleException(this);
    return false;
  }
  try {
    CurrentUser->SelectUser(Name);
  } catch (const Exception&) {
    ShowAppMessage(WideFormat(sMsgResultsUnreadable, Name), sCapFileError, MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void TFMain::CurrentUserResultsDamaged(TObject* Sender) {
  // Also told while the user is being freed, through the sender.
  const auto* User = static_cast<const TDUser*>(Sender);
  ShowAppMessage(WideFormat(sMsgResultsDamaged, User->Name(), ExtractFileName(User->DamagedCopy())), sCapFileError,
                 MB_OK | MB_ICONWARNING);
}

bool TFMain::HasRealUser() const {
  // An empty name is no user either: its results would go to a file no
  // one can select.
  return !CurrentUser->Name().empty() && CurrentUser->Name() != NoUser;
}

void TFMain::ApplyCaptions() {
  const AnsiString Ellipsis = WideToAnsi(sMenuEllipsis);
  SetCaption(WideToAnsi(sMainCaption));
  Application->SetTitle(WideToAnsi(sAppTitle));
  SpeedButton1->SetCaption(WideToAnsi(sBtnCourse));
  SpeedButton2->SetCaption(WideToAnsi(sBtnOrder));
  ToolButton1->SetHint(WideToAnsi(sHintLearn));
  ToolButton10->SetHint(WideToAnsi(sHintDisplay));
  ToolButton2->SetHint(WideToAnsi(sHintTest));
  ToolButton3->SetHint(WideToAnsi(sHintGrades));
  ToolButton4->SetHint(WideToAnsi(sHintEditDicts));
  ToolButton5->SetHint(WideToAnsi(sHintSettings));
  ToolButton6->SetHint(WideToAnsi(sHintInfo));
  Label1->SetCaption(WideToAnsi(sLabelUser));
  Nauka1->SetCaption(WideToAnsi(sMenuLearning));
  Uczsi1->SetCaption(WideToAnsi(sMenuLearn) + Ellipsis);
  Sprawdsi1->SetCaption(WideToAnsi(sMenuTest) + Ellipsis);
  Oceny1->SetCaption(WideToAnsi(sMenuGrades) + Ellipsis);
  Poznajswka1->SetCaption(WideToAnsi(sMenuDisplay) + Ellipsis);
  Poznajswka1->SetHint(Poznajswka1->Caption());
  Zamknij1->SetCaption(WideToAnsi(sMenuClose));
  Ustawienia1->SetCaption(WideToAnsi(sMenuSettings));
  Uytkownicy1->SetCaption(WideToAnsi(sMenuUsers));
  Opcjenaukaitesty1->SetCaption(WideToAnsi(sMenuOptions));
  Sowniki1->SetCaption(WideToAnsi(sMenuDictionaries));
  Edytujsowniki1->SetCaption(WideToAnsi(sMenuEditDicts));
  Kursyjzykowe1->SetCaption(WideToAnsi(sMenuCourses));
  Pomoc1->SetCaption(WideToAnsi(sMenuHelp));
  ematy1->SetCaption(WideToAnsi(sMenuHelpTopics));
  Kontakt1->SetCaption(WideToAnsi(sMenuContact));
  OVARDO1->SetCaption(WideToAnsi(sMenuAbout));
  Oprogramie1->SetCaption(WideToAnsi(sMenuAboutInfo));
  if (FSelDic && FSelDic->FLDic) FSelDic->FLDic->SetMask("*.dic");
}

void TFMain::LoadShortcutKeys() {
  if (FileExists(ShortcutKeysFile)) KeyHelpers->LoadFromFile(ShortcutKeysFile);
}

void TFMain::TranslateShortcutKey(Word& Key, TShiftState Shift, bool& Consumed, TCustomVsEdit* Edit) {
  Consumed = false;
  const auto Code = static_cast<Word>(Key + ShiftStateToShortcutBits(Shift));
  const int Index = KeyHelpers ? KeyHelpers->IndexOfName(IntToStr(Code)) : -1;
  WideChar Ch = 0;
  if (Index < 0 || !ShortcutCharacter(StrToInt(KeyHelpers->ValueFromIndex(Index)), Ch)) {
    const Word Before = Key;
    TELearnPanel::TranslateSpecialKey(Edit, Key, Shift);
    Consumed = Before != 0 && Key == 0;
    return;
  }
  Consumed = true;
  InsertCharAtCaret(Ch, Edit);
}

void SplitRecentLine(const AnsiString& Line, AnsiString& Path, AnsiString& Title) {
  AnsiString Lower = Line;
  for (char& C : Lower)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  size_t Split = Lower.find(".dic=");
  if (Split != AnsiString::npos)
    Split += 4;
  else
    Split = Line.find('=');
  if (Split == AnsiString::npos) {
    Path = Line;
    Title.clear();
    return;
  }
  Path = Line.substr(0, Split);
  Title = Line.substr(Split + 1);
}

bool TFMain::LoadRecentList(int Mode, TStringList& List) {
  const AnsiString ListFile = RecentListFile(Mode);
  if (!FileExists(ListFile)) return false;
  try {
    List.LoadFromFile(ListFile);
  } catch (const Exception&) {
    if (!FRecentListReported[Mode])
      ShowAppMessage(WideFormat(sMsgRecentUnreadable, ExtractFileName(ListFile)), sCapFileError,
                     MB_OK | MB_ICONWARNING);
    FRecentListReported[Mode] = true;
    return false;
  }
  FRecentListReported[Mode] = false;
  return true;
}

void TFMain::AddRecent(const TDict* Dictionary, int Mode) {
  const AnsiString& Path = Dictionary->FileName();
  if (Path.empty() || !IsInDictionariesDir(Path)) return;
  const AnsiString ListFile = RecentListFile(Mode);
  TOwned<TStringList> List(new TStringList());
  // A list that is there but cannot be read is left as it is.
  if (!LoadRecentList(Mode, *List) && FileExists(ListFile)) return;
  int Found = -1;
  AnsiString LinePath, LineTitle;
  for (int I = 0; I < List->Count() && Found < 0; ++I) {
    SplitRecentLine(List->Strings(I), LinePath, LineTitle);
    if (AnsiSameText(LinePath, Path)) Found = I;
  }
  if (Found < 0) {
    // A line break in the title would split the line in two.
    AnsiString Title = WideToAnsi(Dictionary->GetTitle());
    for (char& C : Title)
      if (C == '\r' || C == '\n') C = ' ';
    List->Insert(0, Path + "=" + Title);
  } else {
    List->Move(Found, 0);
  }
  while (List->Count() > 4) List->Delete(4);
  SaveListSafely(*List, ListFile);
  BuildRecentMenus();
}

void TFMain::BuildRecentMenus() {
  for (int Mode : {1, 0, 2}) {
    TOwned<TStringList> List(new TStringList());
    if (!LoadRecentList(Mode, *List)) continue;
    for (int I = 1; I <= 4; ++I) {
      auto* Item = static_cast<TMenuItem*>(FindComponent(RecentPrefixes[Mode] + IntToStr(I)));
      if (!Item) continue;
      if (List->Count() < I) {
        Item->SetVisible(false);
      } else {
        AnsiString Path, Title;
        SplitRecentLine(List->Strings(I - 1), Path, Title);
        Item->SetCaption(Title);
        Item->SetHint(Path);
        Item->SetVisible(true);
      }
    }
  }
}

void RegisterMain() {
  RegisterClass<TFMain, TForm>()
      .Method("FormCreate", &TFMain::FormCreate)
      .Method("FormShow", &TFMain::FormShow)
      .Method("FormResize", &TFMain::FormResize)
      .Method("FormDestroy", &TFMain::FormDestroy)
      .Method("TimerRestartTimer", &TFMain::TimerRestartTimer)
      .Method("Label1MouseEnter", &TFMain::Label1MouseEnter)
      .Method("Label1MouseLeave", &TFMain::Label1MouseLeave)
      .Method("Zamknij1Click", &TFMain::Zamknij1Click)
      .Method("ematy1Click", &TFMain::ematy1Click)
      .Method("ToolButton6Click", &TFMain::ToolButton6Click)
      .Method("Kursyjzykowe1Click", &TFMain::Kursyjzykowe1Click)
      .Method("SpeedButton1Click", &TFMain::SpeedButton1Click)
      .Method("SpeedButton2Click", &TFMain::SpeedButton2Click)
      .Method("Oprogramie1Click", &TFMain::Oprogramie1Click)
      .Method("Kontakt1Click", &TFMain::Kontakt1Click)
      .Method("OVARDO1Click", &TFMain::OVARDO1Click)
      .Method("Oceny1Click", &TFMain::Oceny1Click)
      .Method("Edytujsowniki1Click", &TFMain::Edytujsowniki1Click)
      .Method("Uytkownicy1Click", &TFMain::Uytkownicy1Click)
      .Method("LUserClick", &TFMain::LUserClick)
      .Method("Opcjenaukaitesty1Click", &TFMain::Opcjenaukaitesty1Click)
      .Method("KeyHelpers1Click", &TFMain::KeyHelpers1Click)
      .Method("Uczsi1Click", &TFMain::Uczsi1Click)
      .Method("Sprawdsi1Click", &TFMain::Sprawdsi1Click)
      .Method("Poznajswka1Click", &TFMain::Poznajswka1Click)
      .Method("LL44Click", &TFMain::LL44Click)
      .Field("MainMenu1", &TFMain::MainMenu1)
      .Field("Nauka1", &TFMain::Nauka1)
      .Field("Poznajswka1", &TFMain::Poznajswka1)
      .Field("SL41", &TFMain::SL41)
      .Field("SL42", &TFMain::SL42)
      .Field("SL43", &TFMain::SL43)
      .Field("SL44", &TFMain::SL44)
      .Field("Uczsi1", &TFMain::Uczsi1)
      .Field("LL41", &TFMain::LL41)
      .Field("LL42", &TFMain::LL42)
      .Field("LL43", &TFMain::LL43)
      .Field("LL44", &TFMain::LL44)
      .Field("Sprawdsi1", &TFMain::Sprawdsi1)
      .Field("TL41", &TFMain::TL41)
      .Field("TL42", &TFMain::TL42)
      .Field("TL43", &TFMain::TL43)
      .Field("TL44", &TFMain::TL44)
      .Field("Oceny1", &TFMain::Oceny1)
      .Field("Zamknij1", &TFMain::Zamknij1)
      .Field("Ustawienia1", &TFMain::Ustawienia1)
      .Field("Uytkownicy1", &TFMain::Uytkownicy1)
      .Field("Opcjenaukaitesty1", &TFMain::Opcjenaukaitesty1)
      .Field("KeyHelpers1", &TFMain::KeyHelpers1)
      .Field("Sowniki1", &TFMain::Sowniki1)
      .Field("Edytujsowniki1", &TFMain::Edytujsowniki1)
      .Field("Kursyjzykowe1", &TFMain::Kursyjzykowe1)
      .Field("Pomoc1", &TFMain::Pomoc1)
      .Field("ematy1", &TFMain::ematy1)
      .Field("Kontakt1", &TFMain::Kontakt1)
      .Field("OVARDO1", &TFMain::OVARDO1)
      .Field("Oprogramie1", &TFMain::Oprogramie1)
      .Field("PTop", &TFMain::PTop)
      .Field("ToolBar1", &TFMain::ToolBar1)
      .Field("ToolButton10", &TFMain::ToolButton10)
      .Field("ToolButton1", &TFMain::ToolButton1)
      .Field("ToolButton2", &TFMain::ToolButton2)
      .Field("ToolButton3", &TFMain::ToolButton3)
      .Field("ToolButton4", &TFMain::ToolButton4)
      .Field("ToolButton5", &TFMain::ToolButton5)
      .Field("ToolButton6", &TFMain::ToolButton6)
      .Field("ToolButton7", &TFMain::ToolButton7)
      .Field("ToolButton8", &TFMain::ToolButton8)
      .Field("ToolButton9", &TFMain::ToolButton9)
      .Field("Label1", &TFMain::Label1)
      .Field("LUser", &TFMain::LUser)
      .Field("SpeedButton1", &TFMain::SpeedButton1)
      .Field("SpeedButton2", &TFMain::SpeedButton2)
      .Field("WImage1", &TFMain::WImage1)
      .Field("TimerRestart", &TFMain::TimerRestart)
      .Field("ImageList1", &TFMain::ImageList1);
}
