// The program body: start the libraries, create the forms in their order
// (the first is the main window), run the message loop, shut down.
#include "Bledy.h"
#include "FAbout.h"
#include "FDName.h"
#include "FDicSelector.h"
#include "FEndLearnDlg.h"
#include "Finformations.h"
#include "Framework.h"
#include "Main.h"
#include "Symb.h"
#include "Win.h"

namespace {

void RegisterForms() {
  RegisterMain();
  RegisterFDicSelector();
  RegisterFDName();
  RegisterSymb();
  RegisterBledy();
  RegisterFEndLearnDlg();
  RegisterFAbout();
  RegisterFinformations();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeFramework();
  try {
    RegisterForms();
    Application->Initialize();
    Application->SetTitle("Vardo Slovanta");
    Application->CreateForm(FMain);
    Application->CreateForm(FSelDic);
    Application->CreateForm(FDicName);
    Application->CreateForm(FSymbol);
    Application->CreateForm(FBledy);
    Application->CreateForm(EndLearnDlg);
    Application->CreateForm(About);
    Application->CreateForm(FInfo);
    Application->Run();
  } catch (...) {
    Application->HandleException(nullptr);
  }
  FinalizeFramework();
  return 0;
}
