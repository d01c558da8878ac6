// Random message sequences to a themed edit and memo: every reply stays
// inside its buffer (buffers end at a guard page), nothing crashes, and the
// text always equals that of a plain string model of the same edits.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "Forms.h"
#include "VsEdits.h"
#include "VsTools.h"

namespace {

// A buffer of up to one page whose last byte lies just before a page that
// may not be touched.
class TGuardedBuffer {
public:
  TGuardedBuffer() {
    SYSTEM_INFO Info;
    GetSystemInfo(&Info);
    FPage = Info.dwPageSize;
    FBase = static_cast<char*>(VirtualAlloc(nullptr, 2 * FPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD Old = 0;
    VirtualProtect(FBase + FPage, FPage, PAGE_NOACCESS, &Old);
  }
  ~TGuardedBuffer() { VirtualFree(FBase, 0, MEM_RELEASE); }
  // Size bytes ending at the guard page.
  char* Get(size_t Size) { return FBase + FPage - Size; }

private:
  size_t FPage = 0;
  char* FBase = nullptr;
};

WideString FromAnsi(const std::string& S) { return AnsiToWide(S); }

class EditFuzz : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 420, 260);
    if (GetParam())
      Edit = Create<TVsMemo>(Form);
    else
      Edit = Create<TVsEdit>(Form);
    Edit->SetBounds(10, 10, 300, GetParam() ? 120 : 24);
    if (GetParam()) Edit->SetScrollBars(ssBoth);
    Edit->SetParent(Form);
    // Hidden: the scroll bars take their settings without drawing them.
    Edit->HandleNeeded();
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &SavedWheel, 0);
  }
  void TearDown() override {
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, SavedWheel, nullptr, 0);
    Form->Free();
  }

  TForm* Form = nullptr;
  TCustomVsEdit* Edit = nullptr;
  UINT SavedWheel = 3;
};

TEST_P(EditFuzz, RandomMessagesKeepTheTextAndTheBuffers) {
  const bool Multi = GetParam();
  std::mt19937 Random(Multi ? 4711 : 1147);
  auto Pick = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Random); };
  TGuardedBuffer Guard;
  const HWND Wnd = Edit->Handle();
  const UINT Wheels[] = {0, 3, 150, WHEEL_PAGESCROLL};
  // Random 8-bit text: letters, blanks, a Polish letter, breaks in a memo.
  auto RandomText = [&](int MaxLength) {
    std::string S;
    const int N = Pick(0, MaxLength);
    for (int I = 0; I < N; ++I) {
      const int K = Pick(0, 20);
      if (K == 0 && Multi)
        S += "\r\n";
      else if (K == 1)
        S += ' ';
      else if (K == 2)
        S += '\xB9';
      else
        S += static_cast<char>('a' + Pick(0, 25));
    }
    return S;
  };
  WideString Model;
  auto Selection = [&](int& A, int& B) {
    DWORD S = 0, E = 0;
    SendMessageA(Wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
    A = static_cast<int>(S);
    B = static_cast<int>(E);
  };
  auto ReplaceInModel = [&](const WideString& S) {
    int A, B;
    Selection(A, B);
    Model.replace(static_cast<size_t>(A), static_cast<size_t>(B - A), S);
  };
  for (int Sequence = 0; Sequence < 10000; ++Sequence) {
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, Wheels[Pick(0, 3)], nullptr, 0);
    const std::string Start = RandomText(40);
    SendMessageA(Wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Start.c_str()));
    Model = FromAnsi(Multi ? Start : Start.substr(0, Start.find('\r')));
    ASSERT_EQ(Edit->Text(), Model) << "sequence " << Sequence << " set text";
    for (int Step = 0; Step < 8; ++Step) {
      const int Kind = Pick(0, 11);
      const int Len = static_cast<int>(Model.size());
      switch (Kind) {
        case 0:
          SendMessageA(Wnd, EM_SETSEL, static_cast<WPARAM>(Pick(-5, Len + 5)), Pick(-5, Len + 5));
          break;
        case 1: {
          const size_t Size = static_cast<size_t>(Pick(0, 8));
          char* Buffer = Guard.Get(Size);
          const LRESULT N = SendMessageA(Wnd, WM_GETTEXT, Size, reinterpret_cast<LPARAM>(Buffer));
          ASSERT_LE(N, static_cast<LRESULT>(Size ? Size - 1 : 0));
          if (Size) {
            ASSERT_EQ(Buffer[N], '\0');
          }
          break;
        }
        case 2: {
          const size_t Size = static_cast<size_t>(Pick(2, 8));
          char* Buffer = Guard.Get(Size);
          *reinterpret_cast<WORD*>(Buffer) = static_cast<WORD>(Size);
          const LRESULT N = SendMessageA(Wnd, EM_GETLINE, static_cast<WPARAM>(Pick(-1, 4)), reinterpret_cast<LPARAM>(Buffer));
          ASSERT_LE(N, static_cast<LRESULT>(Size));
          break;
        }
        case 3: {
          const std::string S = RandomText(Pick(0, 1) ? 8 : 400);
          ReplaceInModel(FromAnsi(Multi ? S : S.substr(0, S.find('\r'))));
          SendMessageA(Wnd, EM_REPLACESEL, static_cast<WPARAM>(Pick(0, 1)), reinterpret_cast<LPARAM>(S.c_str()));
          break;
        }
        case 4:
          SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(Pick(-480, 480))), 0);
          break;
        case 5:
          SendMessageA(Wnd, Pick(0, 1) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Pick(0, 9), Pick(-100, 30000)), 0);
          break;
        case 6:
          SendMessageA(Wnd, EM_SCROLL, static_cast<WPARAM>(Pick(0, 9)), 0);
          SendMessageA(Wnd, EM_LINESCROLL, static_cast<WPARAM>(Pick(-50, 50)), Pick(-50, 50));
          break;
        case 7: {
          const char C = Pick(0, 5) ? static_cast<char>('a' + Pick(0, 25)) : '\xEA';
          ReplaceInModel(FromAnsi(std::string(1, C)));
          SendMessageA(Wnd, WM_CHAR, static_cast<unsigned char>(C), 1);
          break;
        }
        case 8: {
          int A, B;
          Selection(A, B);
          if (A != B) {
            Model.erase(static_cast<size_t>(A), static_cast<size_t>(B - A));
          } else if (A > 0) {
            const bool Break = A >= 2 && Model.compare(static_cast<size_t>(A - 2), 2, L"\r\n") == 0;
            Model.erase(static_cast<size_t>(A - (Break ? 2 : 1)), Break ? 2 : 1);
          }
          SendMessageA(Wnd, WM_KEYDOWN, VK_BACK, 1);
          break;
        }
        case 9: {
          int A, B;
          Selection(A, B);
          if (A != B) {
            Model.erase(static_cast<size_t>(A), static_cast<size_t>(B - A));
          } else if (A < static_cast<int>(Model.size())) {
            const bool Break = Model.compare(static_cast<size_t>(A), 2, L"\r\n") == 0;
            Model.erase(static_cast<size_t>(A), Break ? 2 : 1);
          }
          SendMessageA(Wnd, WM_KEYDOWN, VK_DELETE, 1);
          break;
        }
        case 10: {
          const Word Moves[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
          SendMessageA(Wnd, WM_KEYDOWN, Moves[Pick(0, 7)], 1);
          break;
        }
        default:
          ReplaceInModel(WideString());
          SendMessageA(Wnd, WM_CLEAR, 0, 0);
          break;
      }
      ASSERT_EQ(Edit->Text(), Model) << "sequence " << Sequence << " step " << Step << " kind " << Kind;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EditAndMemo, EditFuzz, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& Info) { return Info.param ? "Memo" : "Edit"; });

class TFuzzEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeVsTools();
    InitializeVsEdits();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const FuzzEnvironment = ::testing::AddGlobalTestEnvironment(new TFuzzEnvironment);

}  // namespace
