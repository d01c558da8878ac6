// The themed edit on real windows: the packed hint and what CM_HINTSHOW
// writes, the focusing click and AutoSelect with real mouse events, caret
// points of right-to-left text against the platform's placement, the undo
// step of a text assignment, and the states that must not outlive their
// moment: the mouse-selecting flag, the keep-at-line-end flag, pending
// keyboard text, the room left by MaxLength, the keyboard menu's place and
// the memo's top margin.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <cstring>
#include <string>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "VsEdits.h"
#include "VsTools.h"

namespace {

// The packed hint built byte by byte: the code page 1250 text, a zero, the
// UTF-16LE text, two zeros and FE FF.
std::string Packed(const WideString& Ansi, const WideString& Wide) {
  char Bytes[256] = {};
  const int N = WideCharToMultiByte(1250, 0, Ansi.c_str(), static_cast<int>(Ansi.size()), Bytes, sizeof Bytes,
                                    nullptr, nullptr);
  std::string R(Bytes, static_cast<size_t>(N));
  R.push_back('\0');
  for (wchar_t C : Wide) {
    R.push_back(static_cast<char>(C & 0xFF));
    R.push_back(static_cast<char>(C >> 8));
  }
  R += std::string("\0\0\xFE\xFF", 4);
  return R;
}

// Swallows the letter q as the key press #0.
struct TSwallowQ : TObject {
  void KeyPress(TObject*, char& Key) {
    if (Key == 'q') Key = 0;
  }
};

// Counts the releases of a mouse button over a control.
struct TReleases : TObject {
  int N = 0;
  void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { ++N; }
};

// The edit menu's rectangle once a timer saw it tracked.
RECT GMenuRect{};
bool GMenuSeen = false;

void CALLBACK ReadMenu(HWND, UINT, UINT_PTR, DWORD) {
  const HWND Menu = FindWindowW(L"#32768", nullptr);
  if (!Menu || !IsWindowVisible(Menu)) return;
  GetWindowRect(Menu, &GMenuRect);
  GMenuSeen = true;
  EndMenu();
}

class EditBehave : public ::testing::Test {
protected:
  void SetUp() override {
    ReleaseCapture();
    GMenuSeen = false;
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 420, 260);
    Edit = Create<TVsEdit>(Form);
    Edit->SetBounds(10, 10, 300, 24);
    Edit->SetParent(Form);
    Edit->OnMouseUp = TMouseEvent(&Releases, &TReleases::MouseUp);
    Other = Create<TVsEdit>(Form);
    Other->SetBounds(10, 200, 100, 24);
    Other->SetParent(Form);
    Form->Show();
    SetForegroundWindow(Form->Handle());
    Edit->SetFocus();
    PumpFor(50);
  }
  void TearDown() override {
    ReleaseCapture();
    Form->Free();
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }

  // A memo of the form, word-wrapped into a narrow column when Wrap.
  TVsMemo* MakeMemo(bool Wrap) {
    auto* Memo = Create<TVsMemo>(Form);
    Memo->SetBounds(10, 50, Wrap ? 80 : 300, 120);
    Memo->SetWordWrap(Wrap);
    Memo->SetParent(Form);
    return Memo;
  }

  // The client point of the text's caret index I.
  POINT At(TCustomVsEdit* E, int I) {
    const LRESULT R = E->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(I), 0);
    return POINT{static_cast<short>(LOWORD(R)), static_cast<short>(HIWORD(R))};
  }

  // A left click through the input queue at client point P of E, with Shift
  // held when Shifted.
  void Click(TCustomVsEdit* E, POINT P, bool Shifted = false) {
    ClientToScreen(E->Handle(), &P);
    SetCursorPos(P.x, P.y);
    std::vector<INPUT> In;
    auto Key = [&](DWORD Flags) {
      INPUT I{};
      I.type = INPUT_KEYBOARD;
      I.ki.wVk = VK_SHIFT;
      I.ki.dwFlags = Flags;
      In.push_back(I);
    };
    auto Button = [&](DWORD Flags) {
      INPUT I{};
      I.type = INPUT_MOUSE;
      I.mi.dwFlags = Flags;
      In.push_back(I);
    };
    if (Shifted) Key(0);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    if (Shifted) Key(KEYEVENTF_KEYUP);
    const int Before = Releases.N;
    SendInput(static_cast<UINT>(In.size()), In.data(), sizeof(INPUT));
    WaitUntil("the edit to see the button go up", [&] { return Releases.N > Before; });
    WaitUntil("Shift to go up", [] { return GetKeyState(VK_SHIFT) >= 0; });
  }

  void Refocus() {
    Other->SetFocus();
    PumpFor(30);
    Edit->SetFocus();
    PumpFor(30);
  }

  TForm* Form = nullptr;
  TVsEdit* Edit = nullptr;
  TVsEdit* Other = nullptr;
  TReleases Releases;
};

// ---- hint

TEST_F(EditBehave, TheHintIsPackedAsCodePageTextZeroUtf16AndTrailer) {
  Edit->SetWideHint(L"\u0105b|d");
  EXPECT_EQ(std::string(Edit->Hint()), std::string("\xB9" "b|d\0" "\x05\x01" "b\0|\0d\0" "\0\0\xFE\xFF", 17));
  const WideString Hints[] = {L"\u0105b|d\u0142ugi", L"", L"\u03B1|\u03B2", L"\u017C\u00F3\u0142w"};
  for (const WideString& H : Hints) {
    SCOPED_TRACE(WideToAnsi(H));
    Edit->SetWideHint(H);
    const AnsiString Ansi = WideToAnsi(H);
    EXPECT_EQ(std::string(Edit->Hint()), Packed(H, H));
    EXPECT_EQ(Edit->Hint().size(), Ansi.size() + 2 * H.size() + 5);
  }
}

TEST_F(EditBehave, HintShowWritesTheShortOrTheWholeWideHint) {
  const struct {
    const char* What;
    const wchar_t* Hint;
    // What the framework is about to show; nullptr: the short form of the
    // 8-bit hint, as the framework asks.
    const char* Shown;
    const wchar_t* Written;
  } Cases[] = {
      {"the short form shown", L"\u0105b|d\u0142ugi", nullptr, L"\u0105b"},
      {"another text shown", L"\u0105b|d\u0142ugi", "inny", L"\u0105b|d\u0142ugi"},
      {"letters outside the code page", L"\u03B1|\u03B2", nullptr, L"\u03B1"},
      {"a letter whose UTF-16 holds the bar's byte", L"\u017Cuk", nullptr, L"\u017Cuk"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Edit->SetWideHint(C.Hint);
    THintInfo Info;
    Info.HintControl = Edit;
    Info.HintStr = C.Shown ? AnsiString(C.Shown) : GetShortHint(Edit->Hint());
    EXPECT_EQ(Edit->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)), 0) << "the hint is not refused";
    EXPECT_EQ(std::string(Info.HintStr), Packed(C.Written, C.Written));
  }
  Edit->SetWideHint(L"");
  THintInfo Info;
  Info.HintStr = GetShortHint(Edit->Hint());
  Edit->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_EQ(Info.HintStr, "") << "an empty wide hint shows nothing";
}

// ---- the focusing click

TEST_F(EditBehave, AutoSelectSelectsAllOnFocusByClickOrTabAndLaterClicksPlaceTheCaret) {
  for (bool Auto : {true, false}) {
    SCOPED_TRACE(Auto ? "AutoSelect" : "no AutoSelect");
    Edit->SetText(L"abc def ghi");
    Edit->SetAutoSelect(Auto);
    Other->SetFocus();
    PumpFor(30);
    ASSERT_NE(GetFocus(), Edit->Handle());
    const POINT D = At(Edit, 4);
    Click(Edit, POINT{D.x + 1, D.y + 4});
    EXPECT_EQ(GetFocus(), Edit->Handle()) << "the click focuses";
    EXPECT_EQ(Edit->SelLength(), Auto ? 11 : 0);
    EXPECT_EQ(Edit->SelStart(), Auto ? 11 : 4) << "the caret ends where the selection does";
    // Focused now: a click (away from the first, or the two would make a
    // double click) puts the caret where it lands, a Shift-click extends
    // from there.
    const POINT B = At(Edit, 2);
    Click(Edit, POINT{B.x + 1, B.y + 4});
    EXPECT_EQ(Edit->SelStart(), 2);
    EXPECT_EQ(Edit->SelLength(), 0);
    const POINT H = At(Edit, 8);
    Click(Edit, POINT{H.x + 1, H.y + 4}, true);
    EXPECT_EQ(Edit->SelStart(), 8);
    EXPECT_EQ(Edit->SelText(), L"c def ");
  }
  // Focus that comes by the keyboard selects all as well.
  Edit->SetAutoSelect(true);
  Other->SetFocus();
  PumpFor(30);
  PressKeys({VK_TAB});
  WaitUntil("Tab to bring the focus to the edit", [&] { return GetFocus() == Edit->Handle(); });
  EXPECT_EQ(Edit->SelLength(), 11);
}

// ---- right-to-left text

TEST_F(EditBehave, RightToLeftCaretPointsSumThePlacedWidthsAndHitTheSameColumn) {
  Edit->SetRightAlignedText(true);
  const struct {
    const wchar_t* Text;
    TAlignment Alignment;
  } Cases[] = {{L"\u05D0\u05D1\u05D2", taLeftJustify},
               {L"ab \u05D0\u05D1\u05D2 c", taLeftJustify},
               {L"\u0627\u0644\u0639\u0631\u0628", taLeftJustify},
               {L"ab \u05D0\u05D1\u05D2 c", taRightJustify}};
  HDC DC = CreateCompatibleDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Edit->Font()->Handle());
  for (const auto& C : Cases) {
    const WideString T = C.Text;
    SCOPED_TRACE(testing::Message() << "length " << T.size() << ", alignment " << C.Alignment);
    Edit->SetAlignment(C.Alignment);
    Edit->SetText(T);
    std::vector<int> Dx(T.size());
    GCP_RESULTSW R{};
    R.lStructSize = sizeof(R);
    R.lpDx = Dx.data();
    R.nGlyphs = static_cast<UINT>(T.size());
    if (!GetCharacterPlacementW(DC, T.c_str(), static_cast<int>(T.size()), 0, &R,
                                GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_DIACRITIC)) {
      ADD_FAILURE() << "the platform places nothing";
      continue;
    }
    const int Start = Edit->CaretPosToPoint(0, 0).x;
    int Sum = 0;
    for (int X = 0; X <= static_cast<int>(T.size()); ++X) {
      SCOPED_TRACE(X);
      const TPoint P = Edit->CaretPosToPoint(X, 0);
      EXPECT_EQ(P.x - Start, Sum);
      EXPECT_EQ(Edit->PointToCaretPos(P.x, P.y + 2).X, X);
      if (X < static_cast<int>(T.size())) Sum += Dx[static_cast<size_t>(X)];
    }
  }
  SelectObject(DC, Old);
  DeleteDC(DC);
}

// ---- the undo step of an assignment

TEST_F(EditBehave, SetTextIsUndoneInOneStepWithAndWithoutAWindow) {
  const struct {
    const char* What;
    bool Memo, Window;
    const wchar_t* Before;
  } Cases[] = {
      {"edit, window", false, true, L"a"},      {"edit, no window", false, false, L"a"},
      {"memo, window", true, true, L"a\r\nb"}, {"memo, no window", true, false, L"a\r\nb"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TCustomVsEdit* E = C.Memo ? static_cast<TCustomVsEdit*>(Create<TVsMemo>(Form)) : Create<TVsEdit>(Form);
    if (C.Window) {
      E->SetParent(Form);
      E->HandleNeeded();
    }
    E->SetText(C.Before);
    E->SetText(L"b");
    EXPECT_EQ(E->HandleAllocated(), C.Window);
    EXPECT_TRUE(E->CanUndo());
    E->Undo();
    EXPECT_EQ(E->Text(), C.Before);
    if (C.Window) {
      E->SetText(L"c");
      EXPECT_EQ(E->Perform(WM_UNDO, 0, 0), 1);
      EXPECT_EQ(E->Text(), C.Before) << "the message undoes it too";
    }
  }
}

// ---- states that must not outlive their moment

TEST_F(EditBehave, APressWithoutReleaseEndsWithCaptureCancelOrFocusLoss) {
  const struct {
    const char* What;
    std::function<void()> End;
    const wchar_t* Typed;
  } Cases[] = {
      {"nothing ends it: keys wait for the release", [] {}, L"ab"},
      {"WM_CAPTURECHANGED", [&] { SendMessageW(Edit->Handle(), WM_CAPTURECHANGED, 0, 0); }, L"abx"},
      {"WM_CANCELMODE", [&] { SendMessageW(Edit->Handle(), WM_CANCELMODE, 0, 0); }, L"abx"},
      {"focus loss", [&] { Refocus(); }, L"abx"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Edit->SetText(L"ab");
    const POINT End = At(Edit, 2);
    SendMessageW(Edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(End.x + 3, End.y + 4));
    C.End();
    PressKeys({'X'});
    EXPECT_EQ(Edit->Text(), C.Typed);
    SendMessageW(Edit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(End.x + 3, End.y + 4));
  }
}

TEST_F(EditBehave, ArrowsStepOverAWrapAsOverACharacter) {
  TVsMemo* Memo = MakeMemo(true);
  Memo->SetText(L"aaaa bbbb cccc dddd");
  Memo->SetFocus();
  PumpFor(30);
  ASSERT_GT(Memo->Lines()->VisualLineCount(), 1) << "the text wraps";
  const int First = static_cast<int>(Memo->Lines()->GetVisualLine(0).size());
  const struct {
    const char* What;
    std::vector<Word> Keys;
    int X, Y, SelStart;
  } Cases[] = {
      {"End stays at the end of the line", {VK_END}, First, 0, First},
      {"End, then Right goes past the next line's first letter", {VK_END, VK_RIGHT}, 1, 1, First + 1},
      {"End, Right, Left", {VK_END, VK_RIGHT, VK_LEFT}, 0, 1, First},
      {"Left from the start of a continued line", {VK_DOWN, VK_HOME, VK_LEFT}, First - 1, 0, First - 1},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Memo->Perform(EM_SETSEL, 0, 0);
    for (Word K : C.Keys) PressKeys({K});
    EXPECT_EQ(Memo->CaretX(), C.X);
    EXPECT_EQ(Memo->CaretY(), C.Y);
    EXPECT_EQ(Memo->SelStart(), C.SelStart);
  }
}

TEST_F(EditBehave, PendingKeyboardTextGoesWithTheNextKeyDownKeyPressOrFocusLoss) {
  TSwallowQ Swallow;
  Edit->OnKeyPress = TKeyPressEvent(&Swallow, &TSwallowQ::KeyPress);
  const HWND W = Edit->Handle();
  const struct {
    const char* What;
    std::function<void()> Before;
    const wchar_t* Typed;
  } Cases[] = {
      {"another key goes down",
       [&] {
         SendMessageA(W, WM_KEYDOWN, 'E', 1);
         SendMessageA(W, WM_KEYDOWN, VK_SHIFT, 1);
       },
       L"x"},
      {"the key press is swallowed as #0",
       [&] {
         SendMessageA(W, WM_KEYDOWN, 'Q', 1);
         SendMessageA(W, WM_CHAR, 'q', 1);
       },
       L"x"},
      {"the focus goes",
       [&] {
         SendMessageA(W, WM_KEYDOWN, 'E', 1);
         Refocus();
       },
       L"x"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Edit->SetText(L"");
    C.Before();
    // A character that comes without a key-down of its own (AltGr while
    // Ctrl is down translates none).
    SendMessageA(W, WM_CHAR, 'x', 1);
    EXPECT_EQ(Edit->Text(), C.Typed);
  }
  // A dead key the focus left behind composes with nothing.
  Edit->SetText(L"");
  SendMessageA(W, WM_DEADCHAR, '^', 0);
  Refocus();
  SendMessageA(W, WM_KEYDOWN, 'E', 1);
  SendMessageA(W, WM_CHAR, 'e', 1);
  EXPECT_EQ(Edit->Text(), L"e");
  Edit->OnKeyPress = TKeyPressEvent();
}

TEST_F(EditBehave, AnEditFilledPastMaxLengthByCodeTakesNothingInAndLosesNothing) {
  Edit->SetMaxLength(3);
  const HMODULE Imm = LoadLibraryA("IMM32");
  using TSetString = BOOL(WINAPI*)(HIMC, DWORD, LPVOID, DWORD, LPVOID, DWORD);
  const auto SetString =
      reinterpret_cast<TSetString>(reinterpret_cast<void*>(GetProcAddress(Imm, "ImmSetCompositionStringW")));
  ASSERT_NE(SetString, nullptr);
  const struct {
    const char* What;
    std::function<void()> Insert;
  } Ways[] = {
      {"paste",
       [&] {
         ASSERT_TRUE(OpenClipboard(nullptr));
         EmptyClipboard();
         HGLOBAL Block = GlobalAlloc(GMEM_MOVEABLE, 6);
         std::memcpy(GlobalLock(Block), L"xy", 6);
         GlobalUnlock(Block);
         SetClipboardData(CF_UNICODETEXT, Block);
         CloseClipboard();
         PressKeys({VK_CONTROL, 'V'});
       }},
      {"input method",
       [&] {
         const HIMC Context = ImmGetContext(Edit->Handle());
         ASSERT_NE(Context, nullptr);
         WideString T = L"xy";
         SetString(Context, SCS_SETSTR, T.data(), 4, nullptr, 0);
         ImmNotifyIME(Context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
         ImmReleaseContext(Edit->Handle(), Context);
         PumpFor(50);
       }},
      {"typing", [] { PressKeys({'X'}); }},
  };
  for (const auto& W : Ways) {
    for (int Selected : {0, 1}) {
      SCOPED_TRACE(testing::Message() << W.What << ", " << Selected << " selected");
      Edit->SetText(L"abcdef");
      ASSERT_EQ(Edit->Text(), L"abcdef") << "an assignment is not cut";
      Edit->Perform(EM_SETSEL, 2, 2 + Selected);
      W.Insert();
      EXPECT_EQ(Edit->Text(), L"abcdef");
    }
  }
}

// ---- the keyboard's menu

TEST_F(EditBehave, TheMenuKeyOpensTheMenuAtTheCaret) {
  Edit->SetText(L"abc def");
  Edit->Perform(EM_SETSEL, 4, 4);
  POINT Caret{};
  ASSERT_TRUE(GetCaretPos(&Caret));
  ClientToScreen(Edit->Handle(), &Caret);
  RECT Screen{};
  GetWindowRect(Edit->Handle(), &Screen);
  // The menu's corner: at the point sent, or for the menu key at the caret,
  // below its line's top but not past the line.
  const struct {
    const char* What;
    POINT Sent;
    int Left, TopFrom, TopTo;
  } Cases[] = {
      {"the menu key", {-1, -1}, Caret.x, Caret.y, Caret.y + Edit->LineHeight() + 4},
      {"a right click", {Screen.left + 50, Screen.top + 5}, Screen.left + 50, Screen.top + 5, Screen.top + 5},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    GMenuSeen = false;
    const UINT_PTR Timer = SetTimer(nullptr, 0, 50, ReadMenu);
    {
      TModalDeadline Deadline("the edit menu to open", 3000, [] { return GMenuSeen; });
      SendMessageW(Edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Edit->Handle()),
                   MAKELPARAM(C.Sent.x, C.Sent.y));
    }
    KillTimer(nullptr, Timer);
    ASSERT_TRUE(GMenuSeen);
    EXPECT_EQ(GMenuRect.left, C.Left);
    EXPECT_GE(GMenuRect.top, C.TopFrom);
    EXPECT_LE(GMenuRect.top, C.TopTo);
    EXPECT_EQ(Edit->Text(), L"abc def") << "closing the menu changes nothing";
  }
  HMENU Menu = Edit->BuildEditMenu();
  ASSERT_NE(Menu, nullptr);
  for (UINT Id : {vsEditMenuUndo, vsEditMenuCut, vsEditMenuCopy, vsEditMenuPaste, vsEditMenuDelete, vsEditMenuSelectAll})
    EXPECT_NE(GetMenuState(Menu, Id, MF_BYCOMMAND), static_cast<UINT>(-1)) << Id;
  DestroyMenu(Menu);
}

// ---- layout

TEST_F(EditBehave, AlignBottomLeavesAMemosTopMarginAlone) {
  TVsMemo* Memo = MakeMemo(false);
  Memo->SetText(L"one\r\ntwo");
  const auto AtTheTop = [&] {
    EXPECT_EQ(Memo->TopMargin(), 1);
    EXPECT_EQ(Memo->EditRect().top, 0);
    EXPECT_EQ(At(Memo, 0).y, 1) << "the first line stays at the top";
  };
  Memo->SetAlignBottom(true);
  AtTheTop();
  Memo->SetBounds(10, 50, 300, 150);
  PumpFor(30);
  AtTheTop();
}

class TBehaveEnvironment : public ::testing::Environment {
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

[[maybe_unused]] const auto* const BehaveEnvironment = ::testing::AddGlobalTestEnvironment(new TBehaveEnvironment);

}  // namespace
