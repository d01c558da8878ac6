#pragma once

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

// The information window: two rich-text pages, the maker's contact details
// and a page about the maker, one of them in front. Created once at start-up.
class TFInfo : public TForm {
public:
  using TForm::TForm;

  void FormCreate(TObject* Sender);
  // Brings the contact page (Contact) or the page about the maker to the
  // front, with its caption, and shows the window modally.
  void ShowPage(bool Contact);

  TPanel* PKontakt = nullptr;
  TRichEdit* REKontakt = nullptr;
  TMemo* MKontakt = nullptr;
  TPanel* PVARDO = nullptr;
  TRichEdit* REVARDO = nullptr;
  TMemo* MVARDO = nullptr;
  TButton* BClose = nullptr;
};

extern TFInfo* FInfo;

void RegisterFinformations();
