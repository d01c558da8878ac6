// The program body: start the libraries in their order (the framework, the
// control foundation, the Unicode layer, the trainer's texts), create the
// forms in their order (the first is the main window), run the message loop,
// shut down in reverse.
#include "Bledy.h"
#include "Dict_Strings.h"
#include "FAbout.h"
#include "FDName.h"
#include "FDicSelector.h"
#include "FEndLearnDlg.h"
#include "Finformations.h"
#include "Main.h"
#include "Startup.h"
#include "Symb.h"
#include "VsHintWindow.h"
#include "Win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeTrainerUnits();
  try {
    RegisterTrainerClasses();
    Application->Initialize();
    Application->SetHintWindowClass(ClassInfoOf<TVsHintWindow>());
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
  FinalizeTrainerUnits();
  return 0;
}
