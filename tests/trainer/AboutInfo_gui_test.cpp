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

TEST_F(AboutInfo, EachPageIsTheRichTextHeldInItsHiddenMemo) {
  struct Case {
    TMemo* TFInfo::*Memo;
    TRichEdit* TFInfo::*Page;
    const wchar_t* Heading;
  };
  const Case Cases[] = {
      {&TFInfo::MKontakt, &TFInfo::REKontakt, L"Kontakt z firmą Vardo"},
      {&TFInfo::MVARDO, &TFInfo::REVARDO, L"O firmie Vardo"},
  };
  for (const Case& C : Cases) {
    TMemo* Memo = FInfo->*C.Memo;
    SCOPED_TRACE(Memo->Name());
    EXPECT_FALSE(Memo->Visible());
    ASSERT_GT(Memo->Lines()->Count(), 1);
    EXPECT_EQ(Memo->Lines()->Strings(0).rfind("{\\rtf1", 0), 0u) << Memo->Lines()->Strings(0);
    EXPECT_EQ((FInfo->*C.Page)->Lines()->Strings(0), WideToAnsi(C.Heading));
  }

  // The rich edit reads whatever its memo holds.
  TStringList Saved;
  Saved.Assign(FInfo->MKontakt->Lines());
  FInfo->MKontakt->Lines()->SetText("{\\rtf1\\ansi {\\b Nowa} strona\\par\r\nDrugi wiersz\\par\r\n}");
  FInfo->FormCreate(FInfo);
  const AnsiString First = FInfo->REKontakt->Lines()->Strings(0);
  const AnsiString Second = FInfo->REKontakt->Lines()->Count() > 1 ? FInfo->REKontakt->Lines()->Strings(1) : "";
  FInfo->MKontakt->Lines()->Assign(&Saved);
  FInfo->FormCreate(FInfo);
  EXPECT_EQ(First, "Nowa strona");
  EXPECT_EQ(Second, "Drugi wiersz");
  EXPECT_EQ(FInfo->REKontakt->Lines()->Strings(0), WideToAnsi(L"Kontakt z firmą Vardo"));
}

TEST_F(AboutInfo, TheWindowsCaptionsAreItsOwnTexts) {
  // Reworded alone, the window's caption changes and the menu's does not.
  const WideString Saved = sInfoContactCaption;
  sInfoContactCaption = L"Napisz do nas";
  WhileClosing(FInfo, FInfo->BClose, "kontakt-caption", [] { FMain->Kontakt1->Click(); });
  sInfoContactCaption = Saved;
  EXPECT_TRUE(SeenVisible);
  EXPECT_EQ(FInfo->Caption(), "Napisz do nas");
  EXPECT_EQ(FMain->Kontakt1->Caption(), "Kontakt");
}

}  // namespace
