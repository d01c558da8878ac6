#include "FAbout.h"

#include "Dict_Strings.h"
#include "Graphics.h"
#include "TypInfo.h"
#include "Win.h"

TAbout* About = nullptr;

void TAbout::FormCreate(TObject*) {
  ProductName->SetCaption(WideToAnsi(sAboutProductName));
  Link->SetCaption(sHomePageUrl);
  // The program's own icon; a build without it simply shows none.
  if (HICON Icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON")) {
    TOwned<TIcon> Picture(new TIcon());
    Picture->SetHandle(CopyIcon(Icon));
    ProgramIcon->Picture()->SetGraphic(Picture.get());
  }
}

void TAbout::LinkClick(TObject*) {
  ShellExecuteA(Handle(), "open", sHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void RegisterFAbout() {
  RegisterClass<TAbout, TForm>()
      .Method("FormCreate", &TAbout::FormCreate)
      .Method("LinkClick", &TAbout::LinkClick)
      .Field("Panel1", &TAbout::Panel1)
      .Field("ProgramIcon", &TAbout::ProgramIcon)
      .Field("ProductName", &TAbout::ProductName)
      .Field("LVersion", &TAbout::LVersion)
      .Field("LCopyright", &TAbout::LCopyright)
      .Field("Link", &TAbout::Link)
      .Field("LRights", &TAbout::LRights)
      .Field("LUser", &TAbout::LUser)
      .Field("LSSL", &TAbout::LSSL)
      .Field("OKButton", &TAbout::OKButton);
}
