// What the list box tests share: a list box that records the texts its rows
// draw, and the units it needs, started in order.
#pragma once

#include <map>

#include "Forms.h"
#include "StdCtrls.h"
#include "Threads.h"
#include "VsFrameworkUtils.h"
#include "VsHintWindow.h"
#include "VsListBox.h"
#include "VsSBController.h"
#include "VsTools.h"

class TRecorder : public TVsListBox {
public:
  using TVsListBox::TVsListBox;
  std::map<int, WideString> Drawn;

protected:
  void DrawItemText(int Index, TRect& Rect) override {
    Drawn[Index] = Items()->Strings(Index);
    TVsListBox::DrawItemText(Index, Rect);
  }
};

inline void InitializeListBoxUnits() {
  InitializeForms();
  InitializeStdCtrls();
  InitializeThreads();
  InitializeVsTools();
  InitializeVsFrameworkUtils();
  InitializeVsSBController();
  InitializeVsHintWindow();
  InitializeVsListBox();
}
