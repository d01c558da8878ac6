// Times the edit's text model on 10 KB, 100 KB and 1 MB texts beside the
// system's multi-line EDIT (hidden, same width) doing the same keys: typed
// characters, Backspace, Enter + Backspace and undo, at the start, middle
// and end of the text, with wrapping at 300 px and without. Figures are
// microseconds per keystroke; "ratio" is model / system. Then the window
// run: a visible memo and a visible system EDIT get the same texts and the
// same typed characters, each key followed by UpdateWindow.
#include "BenchSupport.h"

#include <cstdio>
#include <string>

#include "../tests/controls/FakeEditOwner.h"
#include "Forms.h"
#include "VsEdits.h"
#include "VsTools.h"
#include "Win.h"

namespace {

constexpr int EditWidth = 300;

// Paragraphs of Polish words with tabs, CR LF between them, Units long.
WideString MakeText(int Paragraphs) {
  const wchar_t* Words[] = {L"zażółć", L"gęślą", L"jaźń", L"\tłódź", L"pies", L"kot", L"źdźbło"};
  WideString S;
  std::uint32_t Seed = 1234;
  for (int P = 0; P < Paragraphs; ++P) {
    if (P > 0) S += L"\r\n";
    WideString Line;
    while (Line.size() < 22) {
      Seed = Seed * 1664525u + 1013904223u;
      Line += Words[(Seed >> 8) % 7];
      Line += L' ';
    }
    S += Line.substr(0, 24);
  }
  return S;
}

struct TFigures {
  double Type = 0, Backspace = 0, EnterPair = 0, Undo = 0;
};

TFigures TimeModel(HDC DC, const WideString& Text, bool Wrap, double Where, double& Load) {
  TVsGdiMeasurer Measurer(DC, true);
  TFakeEditOwner Owner(EditWidth);
  Owner.FOtherMeasurer = &Measurer;
  Owner.FWordWrap = Wrap;
  Owner.FTabSpaces = 8;
  TVsEditStrings L(&Owner);
  double Start = Seconds();
  L.SetText(Text);
  Load = Seconds() - Start;
  const int At = static_cast<int>(static_cast<double>(L.TextLength()) * Where);
  Owner.FCaret = Owner.FAnchor = Owner.FSelStart = Owner.FSelEnd = L.IndexToCaret(At);
  volatile int Sink = 0;
  TFigures F;
  Start = Seconds();
  for (int I = 0; I < 1000; ++I) {
    L.ReplaceSelection(L"x");
    Sink = Sink + L.CaretToIndex(Owner.FCaret);
  }
  F.Type = (Seconds() - Start) / 1000;
  Start = Seconds();
  for (int I = 0; I < 1000; ++I) {
    L.DeleteBackward();
    Sink = Sink + L.CaretToIndex(Owner.FCaret);
  }
  F.Backspace = (Seconds() - Start) / 1000;
  Start = Seconds();
  for (int I = 0; I < 200; ++I) {
    L.ReplaceSelection(L"\r\n");
    L.DeleteBackward();
    Sink = Sink + L.CaretToIndex(Owner.FCaret);
  }
  F.EnterPair = (Seconds() - Start) / 200;
  int Undos = 0;
  Start = Seconds();
  while (Owner.FUndo.CanUndo()) {
    L.Undo();
    ++Undos;
  }
  F.Undo = Undos ? (Seconds() - Start) / Undos : 0;
  if (L.TextLength() != static_cast<int>(Text.size())) std::printf("model: undo did not restore the text\n");
  return F;
}

TFigures TimeSystem(const WideString& Text, bool Wrap, double Where, double& Load) {
  const DWORD Style = WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | (Wrap ? 0 : ES_AUTOHSCROLL);
  HWND Parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, EditWidth + 50, 200, nullptr, nullptr, nullptr, nullptr);
  HWND Edit = CreateWindowExW(0, L"EDIT", L"", Style, 0, 0, EditWidth, 100, Parent, nullptr, nullptr, nullptr);
  SendMessageW(Edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  double Start = Seconds();
  SendMessageW(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  Load = Seconds() - Start;
  const int At = static_cast<int>(static_cast<double>(Text.size()) * Where);
  SendMessageW(Edit, EM_SETSEL, At, At);
  DWORD Sel = 0;
  TFigures F;
  Start = Seconds();
  for (int I = 0; I < 1000; ++I) {
    SendMessageW(Edit, WM_CHAR, L'x', 1);
    SendMessageW(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&Sel), 0);
  }
  F.Type = (Seconds() - Start) / 1000;
  Start = Seconds();
  for (int I = 0; I < 1000; ++I) {
    SendMessageW(Edit, WM_CHAR, VK_BACK, 1);
    SendMessageW(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&Sel), 0);
  }
  F.Backspace = (Seconds() - Start) / 1000;
  Start = Seconds();
  for (int I = 0; I < 200; ++I) {
    SendMessageW(Edit, WM_CHAR, VK_RETURN, 1);
    SendMessageW(Edit, WM_CHAR, VK_BACK, 1);
    SendMessageW(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&Sel), 0);
  }
  F.EnterPair = (Seconds() - Start) / 200;
  // The system edit keeps one undo step.
  Start = Seconds();
  SendMessageW(Edit, EM_UNDO, 0, 0);
  F.Undo = Seconds() - Start;
  DestroyWindow(Parent);
  return F;
}

// Microseconds per typed character, each painted before the next, in the
// middle of Text: in our memo and in the system's EDIT on the same form.
void TimeWindows(TForm* Form, const WideString& Text, double& Ours, double& System) {
  constexpr int Keys = 200;
  TVsMemo* Memo = Create<TVsMemo>(Form);
  Memo->SetBounds(10, 10, EditWidth, 200);
  Memo->SetParent(Form);
  HWND Edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, EditWidth + 20, 10,
                              EditWidth, 200, Form->Handle(), nullptr, nullptr, nullptr);
  SendMessageW(Edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  SendMessageW(Edit, WM_SETFONT, reinterpret_cast<WPARAM>(Memo->Font()->Handle()), TRUE);
  Memo->SetText(Text);
  SendMessageW(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  const int At = static_cast<int>(Text.size() / 2);
  Memo->SetSelStart(At);
  SendMessageW(Edit, EM_SETSEL, At, At);
  SendMessageW(Edit, EM_SCROLLCARET, 0, 0);
  UpdateWindow(Form->Handle());
  const HWND MemoWnd = Memo->Handle();
  double Start = Seconds();
  for (int I = 0; I < Keys; ++I) {
    SendMessageW(MemoWnd, WM_CHAR, 'x', 1);
    UpdateWindow(MemoWnd);
  }
  Ours = (Seconds() - Start) / Keys;
  Start = Seconds();
  for (int I = 0; I < Keys; ++I) {
    SendMessageW(Edit, WM_CHAR, 'x', 1);
    UpdateWindow(Edit);
  }
  System = (Seconds() - Start) / Keys;
  DestroyWindow(Edit);
  Memo->Free();
}

void WindowRun() {
  InitializeForms();
  InitializeStdCtrls();
  InitializeVsTools();
  InitializeVsEdits();
  TForm* Form = nullptr;
  Application->CreateForm(Form);
  Form->SetBounds(0, 0, 2 * EditWidth + 60, 260);
  Form->Show();
  std::printf("\n== window run: typed character and its paint, microseconds (memo / system EDIT, ratio)\n");
  double Small = 0, SmallSystem = 0, Large = 0, LargeSystem = 0;
  TimeWindows(Form, MakeText(200), Small, SmallSystem);
  TimeWindows(Form, MakeText(20000), Large, LargeSystem);
  std::printf("  10 KB %9.2f / %9.2f (%5.2f)\n", Small * 1e6, SmallSystem * 1e6, Small / SmallSystem);
  std::printf("  1 MB  %9.2f / %9.2f (%5.2f)\n", Large * 1e6, LargeSystem * 1e6, Large / LargeSystem);
  std::printf("  memo at 1 MB / memo at 10 KB: %5.2f\n", Large / Small);
  Form->Free();
  FinalizeForms();
}

}  // namespace

int main() {
  HDC DC = CreateCompatibleDC(nullptr);
  HFONT Font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  SelectObject(DC, Font);
  const struct {
    const char* Name;
    int Paragraphs;
  } Sizes[] = {{"10 KB", 200}, {"100 KB", 2000}, {"1 MB", 20000}};
  const struct {
    const char* Name;
    double Where;
  } Places[] = {{"start", 0.0}, {"middle", 0.5}, {"end", 1.0}};
  std::printf("microseconds per keystroke, model / system (ratio)\n");
  for (bool Wrap : {true, false}) {
    std::printf("\n== wrap %s\n", Wrap ? "at 300 px" : "off");
    for (const auto& Size : Sizes) {
      const WideString Text = MakeText(Size.Paragraphs);
      for (const auto& Place : Places) {
        double ModelLoad = 0, SystemLoad = 0;
        const TFigures M = TimeModel(DC, Text, Wrap, Place.Where, ModelLoad);
        const TFigures S = TimeSystem(Text, Wrap, Place.Where, SystemLoad);
        auto Show = [](const char* What, double Model, double System) {
          std::printf("  %-12s %9.2f / %9.2f (%5.2f)", What, Model * 1e6, System * 1e6, Model / System);
        };
        std::printf("%-6s %-6s (%zu units)\n", Size.Name, Place.Name, Text.size());
        Show("char", M.Type, S.Type);
        Show("backspace", M.Backspace, S.Backspace);
        std::printf("\n");
        Show("enter+bksp", M.EnterPair, S.EnterPair);
        std::printf("  undo step %9.2f (system: one undo %9.2f)\n", M.Undo * 1e6, S.Undo * 1e6);
        std::printf("  load: model %8.2f ms, WM_SETTEXT %8.2f ms (%5.2f)\n", ModelLoad * 1e3, SystemLoad * 1e3,
                    ModelLoad / SystemLoad);
      }
    }
  }
  DeleteDC(DC);
  DeleteObject(Font);
  WindowRun();
  return 0;
}
