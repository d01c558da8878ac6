// The about box and the information window driven as the user meets them:
// opened modally from the main window's help menu and closed with their
// buttons.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Dict_Strings.h"
#include "FAbout.h"
#include "Finformations.h"
#include "Framework.h"
#include "Main.h"
#include "SysUtils.h"
#include "UniClasses.h"
#include "UniSysUtils.h"
#include "UniSystem.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "WImage.h"

namespace {

class TAboutInfoEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeFramework();
    InitializeVsTools();
    InitializeUniSysUtils();
    InitializeUniSystem();
    InitializeUniClasses();
    InitializeDict_Strings();
    RegisterWImage();
    RegisterMain();
    RegisterFAbout();
    RegisterFinformations();
  }
  void TearDown() override {
    FinalizeFramework();
    FinalizeDict_Strings();
    FinalizeUniSystem();
    FinalizeVsStrUtils();
  }
};

[[maybe_unused]] const auto* const AboutInfoEnvironment =
    ::testing::AddGlobalTestEnvironment(new TAboutInfoEnvironment);

AnsiString ConfigPath() {
  char Dir[MAX_PATH];
  GetWindowsDirectoryA(Dir, MAX_PATH);
  return IncludeTrailingPathDelimiter(Dir) + "dict.cfg";
}

// With SLOVANTA_SHOTS set, the window as it stands on the screen is saved
// as <Name>.bmp in the working folder, for looking at the layouts.
void SaveShot(HWND Window, const char* Name) {
  if (!std::getenv("SLOVANTA_SHOTS")) return;
  RECT R;
  GetWindowRect(Window, &R);
  const int W = R.right - R.left, H = R.bottom - R.top;
  HDC Screen = GetDC(nullptr);
  HDC Dc = CreateCompatibleDC(Screen);
  BITMAPINFO Info{};
  Info.bmiHeader = {sizeof(BITMAPINFOHEADER), W, H, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* Bits = nullptr;
  HBITMAP Bitmap = CreateDIBSection(Dc, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  HGDIOBJ Old = SelectObject(Dc, Bitmap);
  BitBlt(Dc, 0, 0, W, H, Screen, R.left, R.top, SRCCOPY);
  const DWORD Size = ((W * 3 + 3) & ~3) * H;
  BITMAPFILEHEADER File{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + Size), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  if (FILE* Out = std::fopen((AnsiString(Name) + ".bmp").c_str(), "wb")) {
    std::fwrite(&File, sizeof File, 1, Out);
    std::fwrite(&Info.bmiHeader, sizeof Info.bmiHeader, 1, Out);
    std::fwrite(Bits, Size, 1, Out);
    std::fclose(Out);
  }
  SelectObject(Dc, Old);
  DeleteObject(Bitmap);
  DeleteDC(Dc);
  ReleaseDC(nullptr, Screen);
}

// What the closing timer saw of the modal window before pressing its button.
TCustomForm* ModalForm = nullptr;
TButton* CloseButton = nullptr;
const char* ShotName = "";
bool SeenVisible = false;
AnsiString SeenUser;

void CALLBACK PressClose(HWND, UINT, UINT_PTR Id, DWORD) {
  try {
    if (!ModalForm->Visible()) return;
    KillTimer(nullptr, Id);
    SeenVisible = true;
    if (About && ModalForm == About) SeenUser = About->LUser->Caption();
    SaveShot(ModalForm->Handle(), ShotName);
    PostMessageA(CloseButton->Handle(), BM_CLICK, 0, 0);
  } catch (...) {
    KillTimer(nullptr, Id);
  }
}

// Runs Open with a timer that presses the window's button once it shows.
template <class F> void WhileClosing(TCustomForm* Form, TButton* Button, const char* Shot, F Open) {
  ModalForm = Form;
  CloseButton = Button;
  ShotName = Shot;
  SeenVisible = false;
  SeenUser.clear();
  const UINT_PTR Timer = SetTimer(nullptr, 0, 200, PressClose);
  Open();
  KillTimer(nullptr, Timer);
}

class AboutInfo : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    WritePrivateProfileStringA("global", "LastUser", "Ala", ConfigPath().c_str());
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
