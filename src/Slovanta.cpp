// The program body: start the libraries in their order (the framework, the
// control foundation, the Unicode layer, the trainer's texts; the page kit's DIB
// pictures register beside the framework's), create the forms in their order
// (the first is the main window), run the message loop,
// shut down in reverse.
#include "Bledy.h"
#include "DIB.h"
#include "Dict_Strings.h"
#include "Dziennik.h"
#include "FAbout.h"
#include "FDName.h"
#include "FDicSelector.h"
#include "FEditor.h"
#include "FDisplayer.h"
#include "FEndLearnDlg.h"
#include "FLearner.h"
#include "Finformations.h"
#include "Framework.h"
#include "ImgBtn.h"
#include "JEdit.h"
#include "Main.h"
#include "Options.h"
#include "Symb.h"
#include "UniClasses.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniSysUtils.h"
#include "UniSystem.h"
#include "VsIni.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "WImage.h"
#include "Win.h"

namespace {

// The trainer's own controls and forms, which layouts create by class name.
void RegisterTrainerClasses() {
  RegisterImgBtn();
  RegisterWImage();
  RegisterJEdit();
  RegisterMain();
  RegisterFDicSelector();
  RegisterFDName();
  RegisterSymb();
  RegisterBledy();
  RegisterFEndLearnDlg();
  RegisterFLearner();
  RegisterFAbout();
  RegisterFinformations();
  RegisterDziennik();
  RegisterFEditor();
  RegisterOptions();
  RegisterFDisplayer();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeFramework();
  InitializeDIB();
  InitializeVsTools();
  InitializeVsIni();
  InitializeUniSysUtils();
  InitializeUniSystem();
  InitializeUniClasses();
  InitializeUniControls();
  InitializeUniMenus();
  InitializeUniForms();
  InitializeDict_Strings();
  try {
    RegisterTrainerClasses();
    Application->Initialize();
    Application->SetTitle(WideToAnsi(sAppTitle));
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
  FinalizeUniForms();
  FinalizeUniMenus();
  FinalizeDIB();
  FinalizeFramework();
  FinalizeUniControls();
  FinalizeDict_Strings();
  FinalizeUniSystem();
  FinalizeVsStrUtils();
  return 0;
}
