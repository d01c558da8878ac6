// What the window tests of the Unicode layer share: the framework and every
// unit of the layer started (in the program's order, the action units'
// registrations among them), with a main form, and window texts in UTF-16.
#pragma once

#include <gtest/gtest.h>

#include "Forms.h"
#include "Framework.h"
#include "UniActnList.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniStdActns.h"
#include "UniSysUtils.h"
#include "UniSystem.h"
#include "Win.h"

class TUniGuiEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeFramework();
    InitializeUniSysUtils();
    InitializeUniSystem();
    InitializeUniControls();
    InitializeUniMenus();
    InitializeUniActnList();
    InitializeUniStdActns();
    InitializeUniForms();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override {
    FinalizeUniForms();
    FinalizeUniMenus();
    FinalizeFramework();
    FinalizeUniControls();
    FinalizeUniSystem();
  }
};

inline WideString WindowTextW(HWND Wnd) {
  WideChar Buffer[256] = {};
  GetWindowTextW(Wnd, Buffer, 256);
  return Buffer;
}
