#include "Finformations.h"

#include "Dict_Strings.h"
#include "Streams.h"
#include "TypInfo.h"

TFInfo* FInfo = nullptr;

namespace {

// Each page is held as rich-text source in a hidden memo of the layout; the
// rich edit reads the memo's lines back as rich text.
void LoadPage(TRichEdit* Edit, const TMemo* Source) {
  TMemoryStream Page;
  Source->Lines()->SaveToStream(&Page);
  Page.SetPosition(0);
  Edit->Lines()->LoadFromStream(&Page);
}

}  // namespace

void TFInfo::FormCreate(TObject*) {
  LoadPage(REKontakt, MKontakt);
  LoadPage(REVARDO, MVARDO);
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
  SetCaption(WideToAnsi(Contact ? sInfoContactCaption : sInfoAboutCaption));
  BClose->BringToFront();
  ShowModal();
}

void RegisterFinformations() {
  RegisterClass<TFInfo, TForm>()
      .Method("FormCreate", &TFInfo::FormCreate)
      .Field("PKontakt", &TFInfo::PKontakt)
      .Field("REKontakt", &TFInfo::REKontakt)
      .Field("MKontakt", &TFInfo::MKontakt)
      .Field("PVARDO", &TFInfo::PVARDO)
      .Field("REVARDO", &TFInfo::REVARDO)
      .Field("MVARDO", &TFInfo::MVARDO)
      .Field("BClose", &TFInfo::BClose);
}
