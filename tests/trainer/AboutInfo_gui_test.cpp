// The about box and the information window driven as the user meets them:
// opened modally from the main window's help menu and closed with their
// buttons.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

// What the closing timer saw of the modal window before pressing its button.
bool SeenVisible = false;
AnsiString SeenUser;

// Runs Open with a timer that presses the window's button once it shows.
template <class F> void WhileClosing(TCustomForm* Form, TButton* Button, const char* Shot, F Open) {
  SeenUser.clear();
  const TWhenReady Close([Form] { return Form->Visible(); },
                         [=] {
                           if (About && Form == About) SeenUser = About->LUser->Caption();
                           SaveShot(Form->Handle(), Shot);
                           PostMessageA(Button->Handle(), BM_CLICK, 0, 0);
                         },
                         200, std::string("the window ") + Shot);
  Open();
  SeenVisible = Close.Done();
}

class AboutInfo : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    FreshSettingsFor("Ala");
    Application->CreateForm(FMain);
    Application->CreateForm(About);
    Application->CreateForm(FInfo);
    FMain->Show();
    PumpFor(300);
  }
  static void TearDownTestSuite() {
    FreeAndNil(FInfo);
    FreeAndNil(About);
    FreeAndNil(FMain);
    DeleteFile(ConfigPath());
  }
};

TEST_F(AboutInfo, AboutBoxShowsTheCurrentUserAndClosesWithOk) {
  EXPECT_EQ(About->ProductName->Caption(), "Vardo Slovanta");
  EXPECT_EQ(About->LVersion->Caption(), "v 1.31");
  EXPECT_FALSE(About->ProgramIcon->Picture()->Graphic() == nullptr);
  EXPECT_TRUE(About->OKButton->Default());

  FMain->LUser->SetCaption("Ala");
  WhileClosing(About, About->OKButton, "about", [] { FMain->Oprogramie1->Click(); });
  EXPECT_TRUE(SeenVisible);
  EXPECT_EQ(SeenUser, WideToAnsi(L"Użytkownik: Ala"));
  EXPECT_EQ(About->ModalResult(), mrOk);
  EXPECT_FALSE(About->Visible());

  // A renamed user shows on the next opening.
  FMain->LUser->SetCaption(WideToAnsi(L"Żaneta"));
  WhileClosing(About, About->OKButton, "about2", [] { FMain->Oprogramie1->Click(); });
  EXPECT_EQ(SeenUser, WideToAnsi(L"Użytkownik: Żaneta"));
}

TEST_F(AboutInfo, InformationWindowBringsTheAskedPageToTheFront) {
  EXPECT_EQ(FInfo->BClose->Caption(), "Zamknij");
  struct Case {
    TMenuItem* TFMain::*Item;
    const char* Shot;
    const wchar_t* Caption;
    TPanel* TFInfo::*Front;
    TRichEdit* TFInfo::*Page;
    const wchar_t* Word;
  };
  const Case Cases[] = {
      {&TFMain::Kontakt1, "kontakt", L"Kontakt", &TFInfo::PKontakt, &TFInfo::REKontakt, L"obsługi"},
      {&TFMain::OVARDO1, "vardo", L"O Vardo", &TFInfo::PVARDO, &TFInfo::REVARDO, L"słownictwo"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Shot);
    WhileClosing(FInfo, FInfo->BClose, C.Shot, [&] { (FMain->*C.Item)->Click(); });
    EXPECT_TRUE(SeenVisible);
    EXPECT_EQ(FInfo->ModalResult(), mrOk);
    EXPECT_EQ(FInfo->Caption(), WideToAnsi(C.Caption));
    // Only the asked page is left to be seen.
    EXPECT_TRUE((FInfo->*C.Front)->Visible());
    EXPECT_FALSE((FInfo->*C.Front == FInfo->PKontakt ? FInfo->PVARDO : FInfo->PKontakt)->Visible());
    const AnsiString Text = (FInfo->*C.Page)->Lines()->Text();
    EXPECT_NE(Text.find(WideToAnsi(C.Word)), AnsiString::npos) << Text;
    EXPECT_EQ(Text.find("\\rtf"), AnsiString::npos) << "the page was read as plain text";
  }
}

}  // namespace
