#pragma once

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Buttons.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"

// The main window: the multiple-document frame in which the exercises, the
// editor, the options and the journal open.
class TFMain : public TForm {
public:
  using TForm::TForm;

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
  TImage* WImage1 = nullptr;
  TTimer* TimerRestart = nullptr;
  TImageList* ImageList1 = nullptr;
};

extern TFMain* FMain;

void RegisterMain();
