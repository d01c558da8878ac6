#include "Finformations.h"

#include "Dict_Strings.h"
#include "Streams.h"
#include "TypInfo.h"
#include "Win.h"

TFInfo* FInfo = nullptr;

namespace {

// The pages are rich text linked into the executable as RCDATA.
void LoadPage(TRichEdit* Edit, const char* ResName) {
  TResourceStream Page(GetModuleHandleA(nullptr), ResName, MAKEINTRESOURCEA(10));
  Edit->Lines()->LoadFromStream(&Page);
}

}  // namespace

void TFInfo::FormCreate(TObject*) {
  LoadPage(REKontakt, "INFO_KONTAKT");
  LoadPage(REVARDO, "INFO_VARDO");
  BClose->SetCaption(WideToAnsi(sMenuClose));
}

void TFInfo::ShowPage(bool Contact) {
  TPanel* Front = Contact ? PKontakt : PVARDO;
  TPanel* Back = Contact ? PVARDO : PKontakt;
  // The panels overlap exactly; the one behind is hidden too, so that it
  // never paints over the page asked for.
  Back->SetVisible(false);
  Front->SetVisible(true);
  Front->BringToFront();
  SetCaption(WideToAnsi(Contact ? sMenuContact : sMenuAbout));
  BClose->BringToFront();
  ShowModal();
}

void RegisterFinformations() {
  RegisterClass<TFInfo, TForm>()
      .Method("FormCreate", &TFInfo::FormCreate)
      .Field("PKontakt", &TFInfo::PKontakt)
      .Field("REKontakt", &TFInfo::REKontakt)
      .Field("PVARDO", &TFInfo::PVARDO)
      .Field("REVARDO", &TFInfo::REVARDO)
      .Field("BClose", &TFInfo::BClose);
}
