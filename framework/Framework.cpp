#include "Framework.h"

#include "ActnList.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FileCtrl.h"
#include "Forms.h"
#include "Graphics.h"
#include "Grids.h"
#include "ImgList.h"
#include "Menus.h"
#include "Spin.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "Threads.h"

void InitializeFramework() {
  InitializeSysUtils();
  InitializeThreads();
  InitializeGraphics();
  InitializeImgList();
  InitializeForms();
  InitializeStdCtrls();
  InitializeExtCtrls();
  InitializeButtons();
  InitializeMenus();
  InitializeComCtrls();
  InitializeActnList();
  InitializeSpin();
  InitializeDialogs();
  InitializeGrids();
  InitializeFileCtrl();
}

void FinalizeFramework() {
  FinalizeForms();
  FinalizeComCtrls();
  FinalizeMenus();
  FinalizeThreads();
}
