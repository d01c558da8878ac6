#include "Startup.h"

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
#include "VsFrameworkUtils.h"
#include "VsHintWindow.h"
#include "VsHook.h"
#include "VsInprocHookAPI.h"
#include "VsSBController.h"
#include "VsSBPatch.h"
#include "VsIni.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "WImage.h"

void InitializeTrainerUnits() {
  InitializeFramework();
  InitializeDIB();
  InitializeVsTools();
  InitializeVsIni();
  InitializeVsInprocHookAPI();
  InitializeVsHook();
  InitializeVsSBController();
  InitScrollBarPatch();
  InitializeVsFrameworkUtils();
  InitializeVsHintWindow();
  InitializeUniSysUtils();
  InitializeUniSystem();
  InitializeUniClasses();
  InitializeUniControls();
  InitializeUniMenus();
  InitializeUniForms();
  InitializeDict_Strings();
}

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

void FinalizeTrainerUnits() {
  FinalizeUniForms();
  FinalizeUniMenus();
  FinalizeVsHook();
  FinalizeDIB();
  FinalizeFramework();
  FinalizeUniControls();
  FinalizeDict_Strings();
  FinalizeUniSystem();
  FinalizeVsFrameworkUtils();
  DoneScrollBarPatch();
  FinalizeVsInprocHookAPI();
  FinalizeVsStrUtils();
}
