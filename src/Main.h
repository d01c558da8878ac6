#pragma once

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Buttons.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "WImage.h"

class TDict;
class TDUser;
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
  // Starts the presentation after the dictionary chooser; refused while a
  // child window is open, unless it is a restart (no sender).
  void Poznajswka1Click(TObject* Sender);
  // A recent dictionary chosen from the menu: the exercise of the item's Tag
  // on the file in its hint.
  void LL44Click(TObject* Sender);

  // Texts of the window, its menus, hints and buttons from the text table.
  void ApplyCaptions();
  // Puts the dictionary at the top of the mode's recent list (0 learning,
  // 1 test, 2 presentation), keeps the four newest and rebuilds the menus.
  // A dictionary without a file name, or one outside the dictionaries
  // folder, is not listed.
  void AddRecent(const TDict* Dictionary, int Mode);
  // Shows each mode's recent items from its list file.
  void BuildRecentMenus();
  // The restart timer starts the mode's exercise again in half a second.
  void RestartLater(int Mode);

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

  // Run (with no sender) when the restart timer fires after a finished
  // exercise asked for another dictionary.
  TNotifyEvent RestartHandler;
  TOwned<TDUser> CurrentUser;
  TOwned<TIniFile> Config;
};

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
