#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <vector>

#include "VsKeyboardInput.h"
#include "VsTools.h"

namespace {

// What the fake ToUnicode gives next, and what it was asked.
struct TFakeKeyboard {
  int Result = 0;
  WideString Units;
  bool Ctrl = false;
  UINT LastScanCode = 0;
  int LastBufferSize = 0;
  int Calls = 0;
};
TFakeKeyboard Fake;

int WINAPI FakeToUnicode(UINT, UINT ScanCode, const BYTE*, LPWSTR Buffer, int BufferSize, UINT) {
  ++Fake.Calls;
  Fake.LastScanCode = ScanCode;
  Fake.LastBufferSize = BufferSize;
  for (int I = 0; I < BufferSize && I < static_cast<int>(Fake.Units.size()); ++I) Buffer[I] = Fake.Units[static_cast<size_t>(I)];
  return Fake.Result;
}

BOOL WINAPI FakeGetKeyboardState(PBYTE State) {
  for (int I = 0; I < 256; ++I) State[I] = 0;
  if (Fake.Ctrl) State[VK_CONTROL] = 0x80;
  return TRUE;
}

// A window that records the characters sent to it.
std::vector<WPARAM> CharsSent;
LRESULT CALLBACK RecordingProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_CHAR) CharsSent.push_back(W);
  return DefWindowProcA(Wnd, Msg, W, L);
}

class KeyboardInputTest : public testing::Test {
protected:
  void SetUp() override {
    InitializeVsTools();
    Fake = TFakeKeyboard();
    CharsSent.clear();
    Saved = VsKeyboardApi();
    VsKeyboardApi().ToUnicode = &FakeToUnicode;
    VsKeyboardApi().GetKeyboardState = &FakeGetKeyboardState;
    WNDCLASSA Class{};
    Class.lpfnWndProc = &RecordingProc;
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.lpszClassName = "VsKeyboardInputTarget";
    RegisterClassA(&Class);
    Target = CreateWindowExA(0, Class.lpszClassName, "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, Class.hInstance, nullptr);
    ASSERT_NE(Target, nullptr);
    Input.SetTargetWindow(Target);
  }
  void TearDown() override {
    VsKeyboardApi() = Saved;
    if (Target) DestroyWindow(Target);
  }
  // A key whose ToUnicode result is Result units of Units.
  void Key(WPARAM VirtualKey, int Result, const WideString& Units, LPARAM LParam = 0x001E0001) {
    Fake.Result = Result;
    Fake.Units = Units;
    TMessage M{WM_KEYDOWN, VirtualKey, LParam, 0};
    Input.WMKeyDown(M);
  }
  void Dead(unsigned char C) {
    TMessage M{WM_DEADCHAR, C, 0, 0};
    Input.WMDeadChar(M);
  }

  TVsKeyboardApi Saved;
  HWND Target = nullptr;
  TVsKeyboardInput Input;
};

// The letter with a combining mark, precomposed by the system.
WideString Precomposed(WideChar Letter, WideChar Mark) {
  const WideChar In[2] = {Letter, Mark};
  WideChar Out[4] = {};
  const int N = FoldStringW(MAP_PRECOMPOSED, In, 2, Out, 4);
  return WideString(Out, static_cast<size_t>(N > 0 ? N : 0));
}

TEST_F(KeyboardInputTest, DeadKeysComposeTheListedLettersAndOtherwiseGiveBothCharacters) {
  struct Case {
    unsigned char Dead;
    WideChar Mark;  // the combining mark of the accent
  };
  const Case Accents[] = {{0x60, 0x300}, {0xB4, 0x301}, {0x5E, 0x302}, {0x7E, 0x303}, {0xA8, 0x308}, {0xA1, 0x30C}};
  const WideString Composable[] = {
      L"AEIOUaeiou", L"AEIOUaeiouYy", L"AEIOUaeiou", L"AOao", L"AEIOUaeiouy", L"CcZzLl"};
  const WideString DeadShown[] = {L"`", L"\x00B4", L"^", L"~", L"\x00A8", L"\x02C7"};
  for (size_t A = 0; A < std::size(Accents); ++A) {
    for (WideChar Letter : WideString(L"AEIOUYaeiouyCcZzLlxS")) {
      const WideString Got = ComposeDeadKey(Accents[A].Dead, Letter);
      if (Composable[A].find(Letter) != WideString::npos)
        EXPECT_EQ(Got, Precomposed(Letter, Accents[A].Mark)) << A << " " << char(Letter);
      else
        EXPECT_EQ(Got, DeadShown[A] + Letter) << A << " " << char(Letter);
    }
  }
  EXPECT_EQ(ComposeDeadKey('x', L'e'), L"");
  // Through the processor: dead circumflex then e, then dead circumflex then x.
  Dead('^');
  Key('E', 1, L"e");
  Dead('^');
  Key('X', 1, L"x");
  Dead('q');
  Key('E', 1, L"e");
  Key('E', 1, L"e");
  EXPECT_EQ(Input.Text(), L"\x00EA^xe");
  EXPECT_EQ(Fake.LastBufferSize, 5);
  EXPECT_EQ(Fake.LastScanCode, 0x001Eu);
}

TEST_F(KeyboardInputTest, MultiUnitResultsWithADeadCharacterAreCountedOnceThenUsed) {
  Dead(0xA8);
  Key('A', 2, L"\x00A8" L"a");  // counted only
  EXPECT_EQ(Input.Text(), L"");
  EXPECT_TRUE(CharsSent.empty());
  Key('A', 2, L"\x00A8" L"a");  // used, the dead character sent on
  EXPECT_EQ(Input.Text(), L"\x00A8" L"a");
  EXPECT_EQ(CharsSent, (std::vector<WPARAM>{0xA8}));
  // The counter starts over: the next pair is counted again.
  Dead('^');
  Key('A', 2, L"^a");
  EXPECT_EQ(Input.Text(), L"\x00A8" L"a");
  Key('A', 2, L"^a");
  EXPECT_EQ(Input.Text(), L"\x00A8" L"a^a");
  // Without a dead character: the units at once.
  Key('A', 3, L"xyz");
  EXPECT_EQ(Input.Text(), L"\x00A8" L"a^axyz");
}

TEST_F(KeyboardInputTest, CtrlEditingKeysAndBackspaceOnEmptyAddNothing) {
  Key(VK_BACK, 0, L"");  // nothing to take off
  EXPECT_EQ(Input.Text(), L"");
  Fake.Ctrl = true;
  Key('A', 1, L"a");
  EXPECT_EQ(Fake.Calls, 0);
  Fake.Ctrl = false;
  for (WPARAM K : {VK_TAB, VK_RETURN, VK_ESCAPE}) Key(K, 1, L"\t");
  EXPECT_EQ(Fake.Calls, 0);
  Key('A', -1, L"");
  Key('B', 0, L"");
  EXPECT_EQ(Input.Text(), L"");
  Key('A', 1, L"a");
  Key('B', 1, L"b");
  Key(VK_BACK, 0, L"");
  EXPECT_EQ(Input.Text(), L"a");
  Input.SetCaseMode(vsCaseUpper);
  EXPECT_EQ(Input.Text(), L"A");
  Key('C', 1, L"\x0105");
  EXPECT_EQ(Input.Text(), L"A\x0104");
  Input.ClearText();
  EXPECT_EQ(Input.Text(), L"");
}

TEST_F(KeyboardInputTest, CharactersPassOnlyOffTheNtPlatform) {
  TMessage M{WM_CHAR, 'a', 0, 0};
  Input.WMChar(M);
  EXPECT_EQ(Input.Text(), L"");
  IsWinNT = false;
  Input.WMChar(M);
  for (WPARAM C : {0, 8, 9, 13, 27, 127}) {
    TMessage Control{WM_CHAR, C, 0, 0};
    Input.WMChar(Control);
  }
  InitializeVsTools();
  EXPECT_EQ(Input.Text(), L"a");
}

LONG WINAPI FakeCompositionW(HIMC, DWORD, LPVOID Buffer, DWORD Length) {
  // Bytes of a result whose units run past a zero.
  static const WCHAR Result[] = {L'a', L'b', 0, L'c'};
  if (!Buffer) return sizeof(Result);
  memcpy(Buffer, Result, Length < sizeof(Result) ? Length : sizeof(Result));
  return sizeof(Result);
}
HIMC WINAPI FakeGetContext(HWND) { return reinterpret_cast<HIMC>(1); }
BOOL WINAPI FakeRelease(HWND, HIMC) { return TRUE; }

TEST_F(KeyboardInputTest, RandomMessageStreamsGrowTheTextOnlyThroughDoText) {
  struct TCounting : TVsKeyboardInput {
    WideString Given;
    void DoText(const WideString& Text) override {
      TVsKeyboardInput::DoText(Text);
      Given += LastText();
    }
  };
  VsKeyboardApi().ImmGetContext = &FakeGetContext;
  VsKeyboardApi().ImmReleaseContext = &FakeRelease;
  VsKeyboardApi().ImmGetCompositionStringW = &FakeCompositionW;
  std::mt19937 Rng(4130);
  auto Pick = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Rng); };
  for (int Stream = 0; Stream < 10000; ++Stream) {
    TCounting P;
    P.SetTargetWindow(Target);
    for (int I = Pick(1, 20); I > 0; --I) {
      const WideString Before = P.Text();
      const size_t GivenBefore = P.Given.size();
      bool Backspace = false;
      bool CaseChange = false;
      switch (Pick(0, 3)) {
        case 0: {
          Fake.Result = Pick(-1, 5);
          Fake.Units.clear();
          for (int U = 0; U < 5; ++U) Fake.Units += static_cast<WideChar>(Pick(1, 0xFFFF));
          Fake.Ctrl = Pick(0, 9) == 0;
          const WPARAM VirtualKey = Pick(0, 5) == 0 ? VK_BACK : static_cast<WPARAM>(Pick(0x30, 0x5A));
          Backspace = VirtualKey == VK_BACK;
          TMessage M{WM_KEYDOWN, VirtualKey, static_cast<LPARAM>(Rng()), 0};
          P.WMKeyDown(M);
          break;
        }
        case 1: {
          TMessage M{WM_DEADCHAR, static_cast<WPARAM>(Pick(0, 0xFFFF)), 0, 0};
          P.WMDeadChar(M);
          break;
        }
        case 2: {
          TMessage M{WM_IME_COMPOSITION, 0, Pick(0, 1) ? GCS_RESULTSTR : GCS_COMPSTR, 0};
          P.WMIMEComposition(M);
          break;
        }
        case 3: {
          P.SetCaseMode(static_cast<unsigned char>(Pick(0, 2)));
          CaseChange = true;
          break;
        }
      }
      const size_t Given = P.Given.size() - GivenBefore;
      if (CaseChange) {
        ASSERT_EQ(P.Text().size(), Before.size());
      } else if (Backspace) {
        ASSERT_EQ(P.Text(), Before.substr(0, Before.empty() ? 0 : Before.size() - 1)) << Stream;
      } else {
        // Only what DoText was given is added.
        ASSERT_EQ(P.Text(), Before + P.Given.substr(GivenBefore)) << Stream;
        ASSERT_LE(Given, 5u);
      }
    }
  }
}

TEST_F(KeyboardInputTest, CompositionResultIsCutAtItsFirstZero) {
  VsKeyboardApi().ImmGetContext = &FakeGetContext;
  VsKeyboardApi().ImmReleaseContext = &FakeRelease;
  VsKeyboardApi().ImmGetCompositionStringW = &FakeCompositionW;
  TMessage Without{WM_IME_COMPOSITION, 0, GCS_COMPSTR, 0};
  Input.WMIMEComposition(Without);
  EXPECT_EQ(Input.Text(), L"");
  TMessage With{WM_IME_COMPOSITION, 0, GCS_RESULTSTR, 0};
  Input.WMIMEComposition(With);
  EXPECT_EQ(Input.Text(), L"ab");
}

}  // namespace
