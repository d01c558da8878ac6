#pragma once

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

// The about box: the program, its maker, the current user. Created once at
// start-up and shown modally from the help menu.
class TAbout : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  // Opens the maker's home page.
  void LinkClick(TObject* Sender);

  TPanel* Panel1 = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* ProductName = nullptr;
  TLabel* LVersion = nullptr;
  TLabel* LCopyright = nullptr;
  TLabel* Link = nullptr;
  TLabel* LRights = nullptr;
  TLabel* LUser = nullptr;
  TLabel* LSSL = nullptr;
  TButton* OKButton = nullptr;
};

extern TAbout* About;

void RegisterFAbout();
