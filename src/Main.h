#pragma once

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Buttons.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "WImage.h"

class TCustomVsEdit;

class TDict;
class TDUser;
class TFOptions;
class TIniFile;

// The main window: the multiple-document frame in which the exercises, the
// editor, the options and the journal open.
class TFMain : public TForm {
public:
  explicit TFMain(TComponent* AOwner);
  ~TFMain() override;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void TimerRestartTimer(TObject* Sender);
  void Label1MouseEnter(TObject* Sender);
  void Label1MouseLeave(TObject* Sender);
  void Zamknij1Click(TObject* Sender);
  void ematy1Click(TObject* Sender);
  void ToolButton6Click(TObject* Sender);
  void Kursyjzykowe1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void Oprogramie1Click(TObject* Sender);
  void Kontakt1Click(TObject* Sender);
  void OVARDO1Click(TObject* Sender);
  void Oceny1Click(TObject* Sender);
  void Edytujsowniki1Click(TObject* Sender);
  void Uytkownicy1Click(TObject* Sender);
  void LUserClick(TObject* Sender);
  void Opcjenaukaitesty1Click(TObject* Sender);
  void KeyHelpers1Click(TObject* Sender);
  // Start the learning drill, the test and the presentation after the
  // dictionary chooser; refused while a child window is active, a restart
  // included. A test needs a real user.
  void Uczsi1Click(TObject* Sender);
  void Sprawdsi1Click(TObject* Sender);
  void Poznajswka1Click(TObject* Sender);
  // Any recent item: the exercise of the item's Tag on the dictionary named
  // by its Hint.
  void LL44Click(TObject* Sender);

  // Texts of the window, its menus, hints and buttons from the text table.
  void ApplyCaptions();
  // Puts the dictionary at the top of the mode's recent list (0 learning,
  // 1 test, 2 presentation), keeps the four newest and rebuilds the menus.
  // A dictionary without a file name, or one outside the dictionaries
  // folder, is not listed.
  void AddRecent(const TDict* Dictionary, int Mode);
  // Shows each mode's recent items from its list file. A list that cannot
  // be read is reported and its items stay as they were.
  void BuildRecentMenus();
  // Opens the chooser for the mode's exercise again (0 learning, 1 test,
  // 2 presentation) when the restart timer fires half a second later.
  void RestartLater(int Mode);
  // Replaces KeyHelpers by the lines of the shortcut-key file when it
  // exists; otherwise the list stays as it was.
  void LoadShortcutKeys();
  // The key-down step of the answer edits: a shortcut of the user's list
  // types its character at the caret, else the shortcut manager and the
  // macron vowels get the key. Consumed tells whether a character was
  // typed (or the key used up): the edit must then drop the key and its
  // character. A list value that is not a number raises EConvertError and
  // types nothing.
  void TranslateShortcutKey(Word& Key, TShiftState Shift, bool& Consumed, TCustomVsEdit* Edit);
  // Makes the named user current. When the previous user's results cannot
  // be saved or the named user's cannot be read, says so and keeps the
  // current user; true when the named user is current.
  bool SelectCurrentUser(const AnsiString& Name);
  // Tells the user that its result file was damaged and what was kept.
  void CurrentUserResultsDamaged(TObject* Sender);

  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Nauka1 = nullptr;
  TMenuItem* Poznajswka1 = nullptr;
  TMenuItem* SL41 = nullptr;
  TMenuItem* SL42 = nullptr;
  TMenuItem* SL43 = nullptr;
  TMenuItem* SL44 = nullptr;
  TMenuItem* Uczsi1 = nullptr;
  TMenuItem* LL41 = nullptr;
  TMenuItem* LL42 = nullptr;
  TMenuItem* LL43 = nullptr;
  TMenuItem* LL44 = nullptr;
  TMenuItem* Sprawdsi1 = nullptr;
  TMenuItem* TL41 = nullptr;
  TMenuItem* TL42 = nullptr;
  TMenuItem* TL43 = nullptr;
  TMenuItem* TL44 = nullptr;
  TMenuItem* Oceny1 = nullptr;
  TMenuItem* Zamknij1 = nullptr;
  TMenuItem* Ustawienia1 = nullptr;
  TMenuItem* Uytkownicy1 = nullptr;
  TMenuItem* Opcjenaukaitesty1 = nullptr;
  TMenuItem* KeyHelpers1 = nullptr;
  TMenuItem* Sowniki1 = nullptr;
  TMenuItem* Edytujsowniki1 = nullptr;
  TMenuItem* Kursyjzykowe1 = nullptr;
  TMenuItem* Pomoc1 = nullptr;
  TMenuItem* ematy1 = nullptr;
  TMenuItem* Kontakt1 = nullptr;
  TMenuItem* OVARDO1 = nullptr;
  TMenuItem* Oprogramie1 = nullptr;
  TPanel* PTop = nullptr;
  TToolBar* ToolBar1 = nullptr;
  TToolButton* ToolButton10 = nullptr;
  TToolButton* ToolButton1 = nullptr;
  TToolButton* ToolButton2 = nullptr;
  TToolButton* ToolButton3 = nullptr;
  TToolButton* ToolButton4 = nullptr;
  TToolButton* ToolButton5 = nullptr;
  TToolButton* ToolButton6 = nullptr;
  TToolButton* ToolButton7 = nullptr;
  TToolButton* ToolButton8 = nullptr;
  TToolButton* ToolButton9 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* LUser = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
  TWImage* WImage1 = nullptr;
  TTimer* TimerRestart = nullptr;
  TImageList* ImageList1 = nullptr;

  // The lines of the shortcut-key file: shortcut code "=" character code.
  TOwned<TStringList> KeyHelpers;
  // The shortcut-key file "keys.shc", resolved in the current folder once
  // at start-up, so a later change of folder does not lose it.
  AnsiString ShortcutKeysFile;
  // Run (with no sender) when the restart timer fires after a finished
  // exercise asked for another dictionary.
  TNotifyEvent RestartHandler;
  TOwned<TDUser> CurrentUser;
  TOwned<TIniFile> Config;

private:
  // A new options window, or none while another child window is active.
  TFOptions* OpenOptions();
  // The current user may store results (not "noname", not empty).
  bool HasRealUser() const;
  // The mode's recent list into List; false without a list file, and for
  // one that cannot be read, which is reported once until it reads again.
  bool LoadRecentList(int Mode, TStringList& List);

  bool FRecentListReported[3] = {};
};

// The dictionary path and the title of a recent-list line. A path may hold
// "=", so the line is split at its first ".dic=" (in any letter case), the
// ".dic" staying with the path; a line without one at its first "=".
void SplitRecentLine(const AnsiString& Line, AnsiString& Path, AnsiString& Title);

// The folder the recent lists may point into: "slowniki" beside the
// executable, with no final delimiter.
AnsiString DictionariesDir();
// True when Path is the dictionaries folder or lies below it (compared as
// full paths, ignoring case).
bool IsInDictionariesDir(const AnsiString& Path);
// The full path of a mode's recent list file, beside the executable.
AnsiString RecentListFile(int Mode);

extern TFMain* FMain;

void RegisterMain();
