// Times 100,000 posted WM_CHAR messages (half of them 128 or more) into an
// edit with a Unicode window: once through the framework's message loop with
// the Unicode layer's message hook, once through a plain PeekMessageW /
// DispatchMessageW loop. The messages go in batches of 100 (a queue holds
// only so many, and the edit slows down as its line grows); the edit is
// emptied between batches, outside the timing. The ratio
// is framework loop with hook / plain wide loop, each the best of three
// rounds.
#include "BenchSupport.h"
#include <cstdio>
#include <vector>

#include "Forms.h"
#include "Framework.h"
#include "StdCtrls.h"
#include "UniClasses.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniSysUtils.h"
#include "UniSystem.h"
#include "Win.h"

class TBenchEdit : public TEdit {
public:
  using TEdit::TEdit;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, L"EDIT"); }
};

namespace {

constexpr int MessageCount = 100000;
constexpr int BatchSize = 100;

const WideChar Wide[] = {0x0105, 0x00F1, 0x0101, 0x00F3, 0x00A1, 0x0142, 0x017C, 0x0416};

WPARAM CodeOf(int I) { return I % 2 ? Wide[(I / 2) % 8] : static_cast<WPARAM>('a' + (I / 2) % 26); }

void WidePump() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Msg);
}

// Seconds spent serving the batches with Pump; checks that every character
// arrived.
double Run(HWND Edit, void (*Pump)()) {
  double Total = 0;
  for (int From = 0; From < MessageCount; From += BatchSize) {
    SetWindowTextW(Edit, L"");
    for (int I = From; I < From + BatchSize; ++I) PostMessageW(Edit, WM_CHAR, CodeOf(I), 1);
    const double Start = Seconds();
    Pump();
    Total += Seconds() - Start;
    if (GetWindowTextLengthW(Edit) != BatchSize) {
      std::printf("lost characters: %d of %d arrived\n", GetWindowTextLengthW(Edit), BatchSize);
      return -1;
    }
  }
  return Total;
}

}  // namespace

int main() {
  InitializeFramework();
  InitializeUniSysUtils();
  InitializeUniSystem();
  InitializeUniClasses();
  InitializeUniControls();
  InitializeUniMenus();
  InitializeUniForms();
  int Code = 0;
  try {
    TForm* Form = nullptr;
    Application->CreateForm(Form);
    auto* Edit = new TBenchEdit(Form);  // owned by the form
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 300, 24);
    HWND Wnd = Edit->Handle();
    double Framework = 1e9, Plain = 1e9;
    for (int Round = 0; Round < 3; ++Round) {
      Framework = std::min(Framework, Run(Wnd, [] { Application->ProcessMessages(); }));
      // The plain loop runs without the hook.
      FinalizeUniForms();
      Plain = std::min(Plain, Run(Wnd, WidePump));
      InitializeUniForms();
    }
    if (Framework < 0 || Plain < 0) {
      Code = 1;
    } else {
      std::printf("%d WM_CHAR into a Unicode edit   framework loop + hook %8.1f ms   PeekMessageW/DispatchMessageW "
                  "%8.1f ms   ratio %5.2f\n",
                  MessageCount, Framework * 1000, Plain * 1000, Framework / Plain);
    }
  } catch (...) {
    std::printf("the benchmark failed\n");
    Code = 1;
  }
  FinalizeUniForms();
  FinalizeUniMenus();
  FinalizeFramework();
  FinalizeUniControls();
  FinalizeUniSystem();
  return Code;
}
