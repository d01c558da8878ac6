// Times the themed list box beside the system's wide LISTBOX (strings kept
// and drawn by the system), both visible, 200 x 400, with the same 100,000
// Polish words of 3 to 30 letters, some with letters outside code page 1250:
// adding every row inside one update (the system's under WM_SETREDRAW off)
// and emptying the list; 1,000 search prefixes of 1 to 4 letters whose first
// match lies spread over the list (the system's LB_FINDSTRING from -1); and
// 1,000 full repaints at the top, the middle and the end. Prints each pair
// and its ratio. Needs a display (Xvfb under the harness).
#include "BenchSupport.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "Threads.h"
#include "VsFrameworkUtils.h"
#include "VsListBox.h"
#include "VsSBController.h"
#include "VsTools.h"

namespace {

// The search as typing reaches it.
class TBenchListBox : public TVsListBox {
public:
  using TVsListBox::TVsListBox;
  using TCustomVsListBox::DoIncrementalSearch;
};

void Pump() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

std::vector<WideString> MakeWords(int Count) {
  const WideString Letters = L"aąbcćdeęfghijklłmnńoóprsśtuwyzźż";
  const WideString Foreign = L"āōīū";
  std::mt19937 Random(20261211);
  std::vector<WideString> Words;
  Words.reserve(static_cast<size_t>(Count));
  for (int I = 0; I < Count; ++I) {
    const int Length = 3 + static_cast<int>(Random() % 28);
    WideString W;
    for (int J = 0; J < Length; ++J) W += Letters[Random() % Letters.size()];
    if (Random() % 20 == 0) W[Random() % W.size()] = Foreign[Random() % Foreign.size()];
    if (Random() % 4 == 0) W[0] = static_cast<WideChar>(towupper(W[0]));
    Words.push_back(W);
  }
  return Words;
}

void Row(const char* What, double Ours, double System) {
  std::printf("%-34s %10.4f s %10.4f s %7.2f\n", What, Ours, System, Ours / System);
}

}  // namespace

int main() {
  InitializeForms();
  InitializeStdCtrls();
  InitializeThreads();
  InitializeVsTools();
  InitializeVsFrameworkUtils();
  InitializeVsSBController();
  InitializeVsHintWindow();
  InitializeVsListBox();
  int Result = 0;
  try {
    TForm* Form = nullptr;
    Application->CreateForm(Form);
    Form->SetBounds(20, 20, 460, 460);
    Form->Show();
    auto* List = Create<TBenchListBox>(Form);
    List->SetUseCustomScrollBars(false);
    List->SetBounds(10, 10, 200, 400);
    List->SetParent(Form);
    const HWND System = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS |
        LBS_NOINTEGRALHEIGHT, 230, 10, 200, 400, Form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(System, WM_SETFONT, reinterpret_cast<WPARAM>(List->Font()->Handle()), TRUE);
    SendMessageW(System, LB_SETITEMHEIGHT, 0, List->ItemHeight());
    Pump();

    const int Count = 100000;
    const std::vector<WideString> Words = MakeWords(Count);
    std::printf("%d rows; %-23s %12s %12s %7s\n", Count, "", "list box", "system", "ratio");

    const auto AddOurs = [&] {
      List->Items()->BeginUpdate();
      for (const WideString& W : Words) List->Items()->Add(W);
      List->Items()->EndUpdate();
      UpdateWindow(List->Handle());
    };
    const auto AddSystem = [&] {
      SendMessageW(System, WM_SETREDRAW, FALSE, 0);
      for (const WideString& W : Words) SendMessageW(System, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W.c_str()));
      SendMessageW(System, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(System, nullptr, TRUE);
      UpdateWindow(System);
    };
    const auto ClearOurs = [&] { List->Items()->Clear(); };
    const auto ClearSystem = [&] { SendMessageW(System, LB_RESETCONTENT, 0, 0); };
    Row("add 100,000 rows", Best(AddOurs, ClearOurs), Best(AddSystem, ClearSystem));
    Row("clear", Best(ClearOurs, AddOurs), Best(ClearSystem, AddSystem));
    AddOurs();
    AddSystem();
    Pump();

    // Prefixes of rows spread over the list, the last near its end; each
    // one's first match is where it is first found.
    std::vector<WideString> Prefixes;
    long long Spread = 0;
    for (int K = 1; K <= 1000; ++K) {
      const int At = static_cast<int>(static_cast<long long>(K) * (Count - 1) / 1000);
      const size_t Length = 1 + (K % 8 == 0 ? K % 3 : 3);
      Prefixes.push_back(Words[At].substr(0, Length));
      Spread += static_cast<int>(SendMessageW(System, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(Prefixes.back().c_str())));
    }
    std::printf("mean first match of the prefixes: row %lld\n", Spread / 1000);
    const double SearchOurs = Best(
        [&] {
          for (const WideString& P : Prefixes) List->DoIncrementalSearch(P);
        },
        [] {}, 1);
    const double SearchSystem = Best(
        [&] {
          for (const WideString& P : Prefixes)
            SendMessageW(System, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(P.c_str()));
        },
        [] {}, 1);
    Row("1,000 searches", SearchOurs, SearchSystem);

    double PaintAtTop = 0;
    for (const int Top : {0, 50000, 99990}) {
      List->SetTopIndex(Top);
      SendMessageW(System, LB_SETTOPINDEX, static_cast<WPARAM>(Top), 0);
      const auto Repaint = [](HWND Wnd) {
        return Best(
            [Wnd] {
              for (int I = 0; I < 1000; ++I) {
                InvalidateRect(Wnd, nullptr, TRUE);
                UpdateWindow(Wnd);
              }
            },
            [] {}, 1);
      };
      const double Ours = Repaint(List->Handle());
      const double Theirs = Repaint(System);
      if (Top == 0) PaintAtTop = Ours;
      char What[64];
      std::snprintf(What, sizeof What, "1,000 repaints at row %d", Top);
      Row(What, Ours, Theirs);
      if (Top == 99990) std::printf("repaint at row 99,990 against row 0: %.2f\n", Ours / PaintAtTop);
    }
    DestroyWindow(System);
    Form->Free();
    Pump();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Result = 1;
  }
  FinalizeForms();
  return Result;
}
