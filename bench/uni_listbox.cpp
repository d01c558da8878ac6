// Times 10,000 rows added to a Unicode list box and read back: once through
// TUniListBox.Items (Add, then Strings), once with SendMessageW LB_ADDSTRING
// and LB_GETTEXTLEN / LB_GETTEXT on the same window. The list is emptied
// outside the timing. The ratio is Items / plain messages, each the best of
// three rounds.
#include "BenchSupport.h"
#include <cstdio>
#include <string>
#include <vector>

#include "Forms.h"
#include "Startup.h"
#include "UniStdCtrls.h"
#include "Win.h"

namespace {

constexpr int RowCount = 10000;

std::vector<WideString> Rows() {
  std::vector<WideString> Result;
  for (int I = 0; I < RowCount; ++I) Result.push_back(L"Ctrl+\u0101=" + std::to_wstring(I) + L" \u014D\u016B");
  return Result;
}

// The total length of the rows read back, to check both ways read the same.
size_t ThroughItems(TUniListBox* List, const std::vector<WideString>& Rows) {
  TUniStrings* Items = List->Items();
  for (const WideString& Row : Rows) Items->Add(Row);
  size_t Total = 0;
  for (int I = 0; I < RowCount; ++I) Total += Items->Strings(I).size();
  return Total;
}

size_t ThroughMessages(HWND List, const std::vector<WideString>& Rows) {
  for (const WideString& Row : Rows) SendMessageW(List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Row.c_str()));
  size_t Total = 0;
  WideString Buffer;
  for (int I = 0; I < RowCount; ++I) {
    const LRESULT Len = SendMessageW(List, LB_GETTEXTLEN, static_cast<WPARAM>(I), 0);
    Buffer.assign(static_cast<size_t>(Len) + 1, L'\0');
    Total += static_cast<size_t>(
        SendMessageW(List, LB_GETTEXT, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(Buffer.data())));
  }
  return Total;
}

}  // namespace

int main() {
  InitializeTrainerUnits();
  InitializeUniStdCtrls();
  int Code = 0;
  try {
    TForm* Form = nullptr;
    Application->CreateForm(Form);
    auto* List = new TUniListBox(Form);  // owned by the form
    List->SetParent(Form);
    List->SetBounds(10, 10, 300, 200);
    Form->Show();
    HWND Wnd = List->Handle();
    const std::vector<WideString> Data = Rows();
    size_t ItemsTotal = 0, PlainTotal = 0;
    const auto Empty = [Wnd] { SendMessageW(Wnd, LB_RESETCONTENT, 0, 0); };
    const double Items = Best([&] { ItemsTotal = ThroughItems(List, Data); }, Empty);
    const double Plain = Best([&] { PlainTotal = ThroughMessages(Wnd, Data); }, Empty);
    if (ItemsTotal != PlainTotal || ItemsTotal == 0) {
      std::printf("the two ways read different rows: %u and %u units\n", static_cast<unsigned>(ItemsTotal),
                  static_cast<unsigned>(PlainTotal));
      Code = 1;
    } else {
      std::printf("%d rows added and read back   TUniListBox.Items %8.1f ms   SendMessageW %8.1f ms   ratio %5.2f\n",
                  RowCount, Items * 1000, Plain * 1000, Items / Plain);
    }
  } catch (...) {
    std::printf("the benchmark failed\n");
    Code = 1;
  }
  FinalizeTrainerUnits();
  return Code;
}
