// The themed edit and memo on real windows: text and selection messages
// beside the platform's EDIT, the change notifications, keys typed through
// SendInput, the clipboard, dead keys, the input method, borders, scrolling
// and the linked control; then random message sequences whose replies stay
// inside buffers that end at a guard page, against a plain string model.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "Streams.h"
#include "VsEdits.h"
#include "VsTools.h"

namespace {

// Counts the events it is handed.
struct TCounter : TObject {
  int N = 0;
  void Hit(TObject*) { ++N; }
};

class EditWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 420, 260);
    Edit = Create<TVsEdit>(Form);
    Edit->SetBounds(10, 10, 300, 24);
    Edit->SetParent(Form);
    Edit->OnChange = TNotifyEvent(&Counter, &TCounter::Hit);
    Form->Show();
    SetForegroundWindow(Form->Handle());
    Edit->SetFocus();
    PumpFor(50);
    Changes = 0;
  }
  void TearDown() override {
    if (Oracle) DestroyWindow(Oracle);
    Form->Free();
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }

  // The platform's edit, single- or multi-line, for comparison.
  HWND MakeOracle(bool Multiline) {
    Oracle = CreateWindowExA(0, "EDIT", "", WS_CHILD | (Multiline ? ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL : ES_AUTOHSCROLL),
                             0, 100, 300, 100, Form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    return Oracle;
  }

  void Start(const WideString& Text, int From, int To) {
    // As a program's message: the text comes without an undo step of its
    // own, so Ctrl+Z takes back only what a case did.
    Edit->Perform(WM_SETTEXT, 1, reinterpret_cast<LPARAM>(Text.c_str()));
    Edit->Perform(EM_SETSEL, From, To);
    Changes = 0;
  }

  TForm* Form = nullptr;
  TVsEdit* Edit = nullptr;
  HWND Oracle = nullptr;
  TCounter Counter;
  int& Changes = Counter.N;
};

void PutClipboard(UINT Format, const void* Data, size_t Bytes) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL Block = nullptr;
  if (Data) {
    Block = GlobalAlloc(GMEM_MOVEABLE, Bytes);
    std::memcpy(GlobalLock(Block), Data, Bytes);
    GlobalUnlock(Block);
  }
  SetClipboardData(Format, Block);
  CloseClipboard();
}

WideString ClipboardUnicode() {
  WideString R;
  if (!OpenClipboard(nullptr)) return R;
  if (HANDLE H = GetClipboardData(CF_UNICODETEXT)) {
    R = static_cast<const wchar_t*>(GlobalLock(H));
    GlobalUnlock(H);
  }
  CloseClipboard();
  return R;
}

TEST_F(EditWindow, GetTextCopiesWholeCharactersIntoAnyBufferAsThePlatformEditDoes) {
  const HWND Platform = MakeOracle(false);
  const char* Text = "za\xBF\xF3\xB3\xE6 g\xEAs";  // "zażółć gęś" in code page 1250
  SetWindowTextA(Platform, Text);
  Edit->SetText(AnsiToWide(Text));
  EXPECT_EQ(Edit->Perform(WM_GETTEXTLENGTH, 0, 0), SendMessageA(Platform, WM_GETTEXTLENGTH, 0, 0));
  for (int Size = 0; Size <= 14; ++Size) {
    SCOPED_TRACE(Size);
    char Ours[16], Theirs[16];
    std::memset(Ours, '#', sizeof(Ours));
    std::memset(Theirs, '#', sizeof(Theirs));
    const LRESULT A = Edit->Perform(WM_GETTEXT, Size, reinterpret_cast<LPARAM>(Ours));
    const LRESULT B = SendMessageA(Platform, WM_GETTEXT, Size, reinterpret_cast<LPARAM>(Theirs));
    EXPECT_EQ(A, B);
    EXPECT_EQ(std::string(Ours, static_cast<size_t>(A) + (Size ? 1 : 0)),
              std::string(Theirs, static_cast<size_t>(B) + (Size ? 1 : 0)));
    EXPECT_EQ(Ours[Size], '#') << "nothing written past the buffer";
  }
  Edit->Perform(WM_SETTEXT, 0, 0);
  EXPECT_EQ(Edit->Text(), L"") << "no text is an empty text";
}

TEST_F(EditWindow, SelectionMessagesAgreeWithThePlatformEdit) {
  const HWND Platform = MakeOracle(false);
  SetWindowTextA(Platform, "abcdefgh");
  Edit->SetText(L"abcdefgh");
  const struct {
    int From, To;
  } Cases[] = {{2, 5}, {5, 2}, {0, -1}, {3, -1}, {-1, 0}, {-3, 2}, {1, 1000}, {6, 6}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.From << "," << C.To);
    SendMessageA(Platform, EM_SETSEL, 1, 4);
    Edit->Perform(EM_SETSEL, 1, 4);
    SendMessageA(Platform, EM_SETSEL, static_cast<WPARAM>(C.From), C.To);
    Edit->Perform(EM_SETSEL, static_cast<WPARAM>(C.From), C.To);
    DWORD A0 = 0, A1 = 0, B0 = 0, B1 = 0;
    const LRESULT RA = Edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&A0), reinterpret_cast<LPARAM>(&A1));
    const LRESULT RB = SendMessageA(Platform, EM_GETSEL, reinterpret_cast<WPARAM>(&B0), reinterpret_cast<LPARAM>(&B1));
    EXPECT_EQ(A0, B0);
    EXPECT_EQ(A1, B1);
    EXPECT_EQ(RA, RB);
  }
  // The caret stands where the selection was ended, and SelStart says so.
  Edit->Perform(EM_SETSEL, 5, 2);
  EXPECT_EQ(Edit->SelStart(), 2);
  EXPECT_EQ(Edit->SelLength(), 3);
  Edit->Perform(EM_SETSEL, 2, 5);
  EXPECT_EQ(Edit->SelStart(), 5);
}

TEST_F(EditWindow, LineMessagesOfAMemoAgreeWithThePlatformEdit) {
  TVsMemo* Memo = Create<TVsMemo>(Form);
  Memo->SetParent(Form);
  const HWND Platform = MakeOracle(true);
  const char* Text = "one\r\n\r\nthree lines\r\nfour";
  SetWindowTextA(Platform, Text);
  Memo->SetText(AnsiToWide(Text));
  EXPECT_EQ(Memo->Perform(EM_GETLINECOUNT, 0, 0), SendMessageA(Platform, EM_GETLINECOUNT, 0, 0));
  for (int Line = 0; Line <= 5; ++Line) {
    EXPECT_EQ(Memo->Perform(EM_LINEINDEX, static_cast<WPARAM>(Line), 0),
              SendMessageA(Platform, EM_LINEINDEX, static_cast<WPARAM>(Line), 0))
        << "line " << Line;
  }
  for (int Index = 0; Index <= 25; ++Index)
    EXPECT_EQ(Memo->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(Index), 0),
              SendMessageA(Platform, EM_LINEFROMCHAR, static_cast<WPARAM>(Index), 0))
        << "index " << Index;
  char Buffer[8];
  for (int Room = 0; Room <= 6; ++Room) {
    std::memset(Buffer, '#', sizeof(Buffer));
    *reinterpret_cast<WORD*>(Buffer) = static_cast<WORD>(Room);
    const LRESULT N = Memo->Perform(EM_GETLINE, 2, reinterpret_cast<LPARAM>(Buffer));
    EXPECT_EQ(N, std::min(Room, 11)) << "room " << Room;
    EXPECT_EQ(Buffer[std::max(Room, 2)], '#') << "room " << Room;
  }
  EXPECT_EQ(Memo->Perform(EM_GETLINE, 9, reinterpret_cast<LPARAM>(Buffer)), 0);
}

TEST_F(EditWindow, OnChangeFollowsNotifyUserChangeOnly) {
  const WideString Clip = L"\u0105";
  const struct {
    const char* What;
    std::function<void(TVsEdit*)> Act;
    int WhenUserOnly, WhenEvery;
  } Cases[] = {
      {"typing", [](TVsEdit*) { PressKeys({'X'}); }, 1, 1},
      {"Ctrl+V", [](TVsEdit*) { PressKeys({VK_CONTROL, 'V'}); }, 1, 1},
      {"WM_PASTE", [](TVsEdit* E) { SendMessageA(E->Handle(), WM_PASTE, 0, 0); }, 0, 1},
      {"Text :=", [](TVsEdit* E) { E->SetText(L"new"); }, 0, 1},
      {"WM_SETTEXT", [](TVsEdit* E) { SendMessageA(E->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new")); }, 0, 1},
      {"menu paste", [](TVsEdit* E) { SendMessageA(E->Handle(), WM_COMMAND, vsEditMenuPaste, 0); }, 0, 1},
  };
  for (bool UserOnly : {true, false}) {
    for (const auto& C : Cases) {
      SCOPED_TRACE(testing::Message() << C.What << (UserOnly ? " user changes only" : " every change"));
      PutClipboard(CF_UNICODETEXT, Clip.c_str(), (Clip.size() + 1) * 2);
      Edit->SetNotifyUserChangeOnly(UserOnly);
      Start(L"ab", 2, 2);
      C.Act(Edit);
      EXPECT_NE(Edit->Text(), L"ab");
      EXPECT_EQ(Changes, UserOnly ? C.WhenUserOnly : C.WhenEvery);
    }
  }
}

struct TKeyCase {
  const char* What;
  const wchar_t* Before;
  int From, To;
  std::vector<std::vector<Word>> Presses;
  const wchar_t* After;
  int SelStart, SelLength, Changes;
  const wchar_t* Undone;
};

TEST_F(EditWindow, KeysEditMoveAndUndoAsTheTableSays) {
  const TKeyCase Cases[] = {
      {"a letter at the caret", L"ab", 1, 1, {{'X'}}, L"axb", 2, 0, 1, L"ab"},
      {"a letter over a selection", L"abc", 0, 3, {{'X'}}, L"x", 1, 0, 1, L"abc"},
      {"Backspace", L"abc", 2, 2, {{VK_BACK}}, L"ac", 1, 0, 1, L"abc"},
      {"Backspace at the start", L"abc", 0, 0, {{VK_BACK}}, L"abc", 0, 0, 1, L"abc"},
      {"Delete", L"abc", 0, 0, {{VK_DELETE}}, L"bc", 0, 0, 1, L"abc"},
      {"Shift+Backspace notifies", L"abc", 3, 3, {{VK_SHIFT, VK_BACK}}, L"ab", 2, 0, 1, L"abc"},
      {"Ctrl+Backspace takes the word", L"ab cd", 5, 5, {{VK_CONTROL, VK_BACK}}, L"ab ", 3, 0, 1, L"ab cd"},
      {"Ctrl+Delete takes the word and its gap", L"ab cd", 0, 0, {{VK_CONTROL, VK_DELETE}}, L"cd", 0, 0, 1, L"ab cd"},
      {"Shift+Left selects", L"abc", 2, 2, {{VK_SHIFT, VK_LEFT}}, L"abc", 1, 1, 0, L"abc"},
      {"Shift+Home selects to the start", L"abc", 2, 2, {{VK_SHIFT, VK_HOME}}, L"abc", 0, 2, 0, L"abc"},
      {"End, then Left", L"abc", 0, 0, {{VK_END}, {VK_LEFT}}, L"abc", 2, 0, 0, L"abc"},
      {"Down in one line moves right", L"abc", 0, 0, {{VK_DOWN}}, L"abc", 1, 0, 0, L"abc"},
      {"Ctrl+A, then a letter", L"abc", 1, 1, {{VK_CONTROL, 'A'}, {'Y'}}, L"y", 1, 0, 1, L"abc"},
      {"Ctrl+Right to the next word", L"ab cd", 0, 0, {{VK_CONTROL, VK_RIGHT}}, L"ab cd", 3, 0, 0, L"ab cd"},
      {"Enter in one line inserts nothing", L"ab", 1, 1, {{VK_RETURN}}, L"ab", 1, 0, 1, L"ab"},
  };
  for (const TKeyCase& C : Cases) {
    SCOPED_TRACE(C.What);
    Start(C.Before, C.From, C.To);
    for (const auto& P : C.Presses) {
      if (P.size() == 1) PressKeys({P[0]});
      if (P.size() == 2) PressKeys({P[0], P[1]});
    }
    EXPECT_EQ(Edit->Text(), C.After);
    EXPECT_EQ(Edit->SelStart(), C.SelStart);
    EXPECT_EQ(Edit->SelLength(), C.SelLength);
    EXPECT_EQ(Changes, C.Changes);
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Edit->Text(), C.Undone);
  }
}

TEST_F(EditWindow, MaxLengthDropsKeysUnlessASelectionMakesRoom) {
  Edit->SetMaxLength(3);
  Start(L"abc", 3, 3);
  PressKeys({'X'});
  EXPECT_EQ(Edit->Text(), L"abc");
  Edit->Perform(EM_SETSEL, 1, 2);
  PressKeys({'X'});
  EXPECT_EQ(Edit->Text(), L"axc");
  // Pasting over a selection counts the selection as room.
  Edit->SetMaxLength(4);
  Start(L"abcd", 1, 3);
  PutClipboard(CF_UNICODETEXT, L"xyz", 8);
  Edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Edit->Text(), L"axyd");
}

TEST_F(EditWindow, ReadOnlyKeepsItsTextButMovesAndCopies) {
  Start(L"ab cd", 5, 5);
  Edit->SetReadOnly(true);
  for (auto Press : std::vector<std::vector<Word>>{{'X'}, {VK_BACK}, {VK_SHIFT, VK_BACK}, {VK_CONTROL, VK_BACK},
                                                   {VK_CONTROL, VK_DELETE}, {VK_CONTROL, 'Z'}, {VK_CONTROL, 'X'}}) {
    if (Press.size() == 1) PressKeys({Press[0]});
    if (Press.size() == 2) PressKeys({Press[0], Press[1]});
  }
  EXPECT_EQ(Edit->Perform(WM_UNDO, 0, 0), 0);
  Edit->Perform(EM_SETSEL, 0, 2);
  Edit->Perform(WM_CLEAR, 0, 0);
  EXPECT_EQ(Edit->Text(), L"ab cd");
  EXPECT_EQ(Changes, 0);
  PressKeys({VK_CONTROL, 'C'});
  EXPECT_EQ(ClipboardUnicode(), L"ab");
  PressKeys({VK_END});
  EXPECT_EQ(Edit->SelStart(), 5);
  HMENU Menu = Edit->BuildEditMenu();
  ASSERT_NE(Menu, nullptr);
  EXPECT_TRUE(GetMenuState(Menu, vsEditMenuUndo, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(Menu, vsEditMenuPaste, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(GetMenuState(Menu, EM_UNDO, MF_BYCOMMAND), static_cast<UINT>(-1)) << "Undo has the id the commands use";
  DestroyMenu(Menu);
}

TEST_F(EditWindow, PasteReadsOnlyWhatTheClipboardHolds) {
  // No terminating zero: the block's end ends the text (the system's
  // clipboard may cut its last unit off; nothing beyond the block is read).
  Start(L"", 0, 0);
  PutClipboard(CF_UNICODETEXT, L"xyz", 6);
  Edit->Perform(WM_PASTE, 0, 0);
  EXPECT_GE(Edit->Text().size(), 2u);
  EXPECT_EQ(Edit->Text(), WideString(L"xyz").substr(0, Edit->Text().size()));
  // Only 8-bit text: converted from the code page.
  Start(L"", 0, 0);
  PutClipboard(CF_TEXT, "ab\xB9", 4);
  Edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Edit->Text(), L"ab\u0105");
  // A format announced without data: nothing pasted, nothing broken.
  Start(L"keep", 4, 4);
  PutClipboard(CF_UNICODETEXT, nullptr, 0);
  Edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Edit->Text(), L"keep");
  // Copy replaces every format of the clipboard.
  PutClipboard(CF_TEXT, "old", 4);
  Edit->Perform(EM_SETSEL, 0, 2);
  Edit->Perform(WM_COPY, 0, 0);
  EXPECT_EQ(ClipboardUnicode(), L"ke");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE Text = GetClipboardData(CF_TEXT);
  EXPECT_STREQ(Text ? static_cast<const char*>(GlobalLock(Text)) : "", "ke");
  if (Text) GlobalUnlock(Text);
  CloseClipboard();
}

TEST_F(EditWindow, DeadKeysComposeWithTheNextLetter) {
  const struct {
    unsigned char Dead;
    Word Key;
    const wchar_t* Typed;
  } Cases[] = {{'^', 'E', L"\u00EA"}, {0xA8, 'E', L"\u00EB"}, {0xA1, 'Z', L"\u017E"}, {'^', 'X', L"^x"}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Start(L"", 0, 0);
    // What the message loop makes of a dead key and the next letter.
    SendMessageA(Edit->Handle(), WM_DEADCHAR, C.Dead, 0);
    SendMessageA(Edit->Handle(), WM_KEYDOWN, C.Key, 1);
    SendMessageA(Edit->Handle(), WM_CHAR, static_cast<WPARAM>(C.Key | 0x20), 1);
    EXPECT_EQ(Edit->Text(), C.Typed);
  }
}

TEST_F(EditWindow, InputMethodTextIsCutToTheRoomAndUndoneInOneStep) {
  const HMODULE Imm = LoadLibraryA("IMM32");
  using TSetString = BOOL(WINAPI*)(HIMC, DWORD, LPVOID, DWORD, LPVOID, DWORD);
  auto SetString =
      reinterpret_cast<TSetString>(reinterpret_cast<void*>(GetProcAddress(Imm, "ImmSetCompositionStringW")));
  ASSERT_NE(SetString, nullptr);
  const auto Compose = [&](const WideString& S) {
    const HIMC Context = ImmGetContext(Edit->Handle());
    ASSERT_NE(Context, nullptr);
    WideString T = S;
    SetString(Context, SCS_SETSTR, T.data(), static_cast<DWORD>(T.size() * 2), nullptr, 0);
    ImmNotifyIME(Context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
    ImmReleaseContext(Edit->Handle(), Context);
    PumpFor(50);
  };
  Start(L"xy", 1, 1);
  Compose(L"\u0105bc");
  EXPECT_EQ(Edit->Text(), L"x\u0105bcy");
  EXPECT_EQ(Changes, 1);
  PressKeys({VK_CONTROL, 'Z'});
  EXPECT_EQ(Edit->Text(), L"xy");
  Edit->SetMaxLength(4);
  Start(L"xy", 2, 2);
  Compose(L"\u0105bc");
  EXPECT_EQ(Edit->Text(), L"xy\u0105b");
}

TEST_F(EditWindow, DialogCodesFollowTheKeysTheEditWants) {
  const UINT Base = DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
  const struct {
    bool WantTabs, HandleDialogKeys, Multiline, WantReturns;
    UINT Extra;
  } Cases[] = {{false, false, false, false, 0},
               {true, false, false, false, DLGC_WANTTAB},
               {false, true, false, false, DLGC_WANTALLKEYS},
               {false, false, true, false, 0},
               {false, false, true, true, DLGC_WANTALLKEYS},
               {false, false, false, true, 0}};
  for (const auto& C : Cases) {
    Edit->SetWantTabs(C.WantTabs);
    Edit->SetHandleDialogKeys(C.HandleDialogKeys);
    Edit->SetMultiline(C.Multiline);
    Edit->SetWantReturns(C.WantReturns);
    const auto Code = static_cast<UINT>(SendMessageA(Edit->Handle(), WM_GETDLGCODE, 0, 0));
    EXPECT_EQ(Code & (Base | DLGC_WANTTAB | DLGC_WANTALLKEYS), Base | C.Extra)
        << C.WantTabs << C.HandleDialogKeys << C.Multiline << C.WantReturns;
  }
}

TEST_F(EditWindow, AMemoScrollsByBarWheelAndCode) {
  TVsMemo* Memo = Create<TVsMemo>(Form);
  Memo->Font()->SetHeight(-13);
  Memo->SetBorderStyle(bsNone);
  Memo->SetScrollBars(ssVertical);
  Memo->SetParent(Form);
  Memo->SetBounds(10, 40, 200, 4 * 15 + Memo->TopMargin());
  WideString Text;
  for (int I = 0; I < 10; ++I) Text += (I ? L"\r\n" : L"") + WideString(1, static_cast<wchar_t>(L'a' + I));
  Memo->SetText(Text);
  ASSERT_EQ(Memo->VisibleLines(), 4);
  SendMessageA(Memo->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Memo->TopLine(), 6);
  Memo->SetTopLine(0);
  Memo->SetTopLine(8);
  EXPECT_EQ(Memo->TopLine(), 6);
  SCROLLINFO SI{};
  SI.cbSize = sizeof(SI);
  SI.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(Memo->Handle(), SB_VERT, &SI));
  EXPECT_EQ(SI.nMin, 0);
  EXPECT_EQ(SI.nMax, 9);
  EXPECT_EQ(SI.nPage, 4u);
  EXPECT_EQ(SI.nPos, 6);
  UINT Saved = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &Saved, 0);
  const struct {
    UINT Lines;
    int Delta, Top;
  } Wheel[] = {{3, -120, 3}, {3, -240, 6}, {150, -120, 6}, {WHEEL_PAGESCROLL, -120, 4}, {0, -120, 1}, {3, -60, 1}};
  for (const auto& W : Wheel) {
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, W.Lines, nullptr, 0);
    Memo->SetTopLine(0);
    SendMessageA(Memo->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(W.Delta)), 0);
    EXPECT_EQ(Memo->TopLine(), W.Top) << "lines " << W.Lines << " delta " << W.Delta;
  }
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, Saved, nullptr, 0);
}

TEST_F(EditWindow, ASecondKeyDownIsNotReportedForAConsumedKey) {
  int Calls = 0;
  struct THandler : TObject {
    int* Calls;
    bool Consume;
    void KeyDown(TObject*, Word& Key, TShiftState) {
      ++*Calls;
      if (Consume) Key = 0;
    }
  } Handler;
  Handler.Calls = &Calls;
  Edit->OnKeyDown = TKeyEvent(&Handler, &THandler::KeyDown);
  for (bool Consume : {true, false}) {
    Handler.Consume = Consume;
    Calls = 0;
    Start(L"", 0, 0);
    PressKeys({VK_SHIFT, 'A'});
    // Shift itself goes down first: its own call, and a second one.
    const int ShiftCalls = Consume ? 1 : 2;
    EXPECT_EQ(Calls, ShiftCalls + (Consume ? 1 : 2)) << (Consume ? "consumed" : "kept");
  }
  Edit->OnKeyDown = nullptr;
}

TEST_F(EditWindow, ALinkedControlStandsWhereItsPositionSays) {
  TVsEdit* Other = Create<TVsEdit>(Form);
  Other->SetParent(Form);
  Other->SetBounds(200, 150, 30, 13);
  Edit->SetBounds(100, 100, 80, 20);
  Edit->SetLinkedControlSpacing(2);
  Edit->SetLinkedControl(Other);
  const struct {
    TVsLinkCtlPos Position;
    int Left, Top;
  } Cases[] = {{lcpLeftTop, 68, 100},    {lcpLeftBottom, 68, 107},  {lcpLeftCenter, 68, 103},
               {lcpTopLeft, 100, 85},    {lcpTopRight, 150, 85},    {lcpTopCenter, 125, 85},
               {lcpRightTop, 182, 100},  {lcpRightBottom, 182, 107}, {lcpRightCenter, 182, 103},
               {lcpBottomLeft, 100, 122}, {lcpBottomRight, 150, 122}, {lcpBottomCenter, 125, 122}};
  for (const auto& C : Cases) {
    Edit->SetLinkedControlPosition(C.Position);
    EXPECT_EQ(Other->Left(), C.Left) << C.Position;
    EXPECT_EQ(Other->Top(), C.Top) << C.Position;
    EXPECT_EQ(Other->Width(), 30);
    EXPECT_EQ(Other->Height(), 13);
  }
  // Moving the edit takes the control along; two edits linked to each other
  // move once, not for ever.
  Edit->SetLinkedControlPosition(lcpTopLeft);
  Other->SetLinkedControl(Edit);
  Edit->SetBounds(110, 120, 80, 20);
  EXPECT_EQ(Other->Left(), 110);
  EXPECT_EQ(Other->Top(), 105);
  Edit->SetLinkedControl(Edit);
  EXPECT_EQ(Edit->LinkedControl(), Other) << "no link to itself";
  Other->Free();
  EXPECT_EQ(Edit->LinkedControl(), nullptr);
}

TEST_F(EditWindow, BordersGiveTheClientWhatTheirSidesDoNotDraw) {
  const int EdgeX = GetSystemMetrics(SM_CXEDGE), EdgeY = GetSystemMetrics(SM_CYEDGE);
  const int LineX = GetSystemMetrics(SM_CXBORDER), LineY = GetSystemMetrics(SM_CYBORDER);
  const struct {
    TBorderStyle Style;
    bool Ctl3D;
    TVsBorderSides Sides;
    int Left, Top, Right, Bottom;  // frame widths in units of the side's width
  } Cases[] = {{bsSingle, true, AllBorderSides, 1, 1, 1, 1},
               {bsSingle, true, TVsBorderSides{ebsRight, ebsTop, ebsBottom}, 0, 1, 1, 1},
               {bsSingle, true, TVsBorderSides{ebsLeft, ebsRight}, 1, 0, 1, 0},
               {bsSingle, true, TVsBorderSides{}, 0, 0, 0, 0},
               {bsSingle, false, AllBorderSides, 1, 1, 1, 1},
               {bsSingle, false, TVsBorderSides{ebsTop}, 0, 1, 0, 0},
               {bsNone, true, AllBorderSides, 0, 0, 0, 0},
               {bsNone, true, TVsBorderSides{ebsLeft}, 0, 0, 0, 0}};
  Edit->SetAutoSize(false);
  for (bool Themed : {true, false}) {
    Edit->SetUseXPThemes(Themed);
    for (const auto& C : Cases) {
      SCOPED_TRACE(testing::Message() << "themed " << Themed << " single " << (C.Style == bsSingle) << " 3D "
                                      << C.Ctl3D << " sides " << C.Left << C.Top << C.Right << C.Bottom);
      Edit->SetBorderStyle(C.Style);
      Edit->SetCtl3D(C.Ctl3D);
      Edit->SetBorderSides(C.Sides);
      Edit->SetBounds(10, 10, 200, 40);
      RECT Window, Client;
      GetWindowRect(Edit->Handle(), &Window);
      GetClientRect(Edit->Handle(), &Client);
      POINT Origin{0, 0};
      ClientToScreen(Edit->Handle(), &Origin);
      const int W = C.Ctl3D ? EdgeX : LineX, H = C.Ctl3D ? EdgeY : LineY;
      EXPECT_EQ(Origin.x - Window.left, C.Left * W);
      EXPECT_EQ(Origin.y - Window.top, C.Top * H);
      EXPECT_EQ(Window.right - (Origin.x + Client.right), C.Right * W);
      EXPECT_EQ(Window.bottom - (Origin.y + Client.bottom), C.Bottom * H);
    }
  }
}

TEST(EditLayout, PropertiesAndOlderNamesAreReadFromALayout) {
  const char* Layout =
      "object F: TForm\r\n"
      "  object E: TVsEdit\r\n"
      "    MaxLength = 5\r\n"
      "    RTLContent = True\r\n"
      "    ChangeDisabledText = True\r\n"
      "    LinkControlPosition = lcpRightCenter\r\n"
      "    ReadOnly = True\r\n"
      "    Text = 'abc'\r\n"
      "  end\r\n"
      "  object M: TVsMemo\r\n"
      "    WordWrap = True\r\n"
      "  end\r\n"
      "end\r\n";
  TForm* Form = nullptr;
  Application->CreateForm(Form);
  TMemoryStream Stream;
  Stream.Write(Layout, static_cast<int>(std::strlen(Layout)));
  Stream.SetPosition(0);
  ReadComponentLayout(&Stream, Form);
  auto* E = dynamic_cast<TVsEdit*>(Form->FindComponent("E"));
  auto* M = dynamic_cast<TVsMemo*>(Form->FindComponent("M"));
  ASSERT_NE(E, nullptr);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(E->MaxLength(), 5);
  EXPECT_TRUE(E->RightAlignedText());
  EXPECT_TRUE(E->UseDisabledColors());
  EXPECT_EQ(E->LinkedControlPosition(), lcpRightCenter);
  EXPECT_TRUE(E->ReadOnly());
  EXPECT_EQ(E->Text(), L"abc");
  EXPECT_FALSE(E->Multiline());
  EXPECT_TRUE(M->Multiline());
  EXPECT_TRUE(M->WantReturns());
  EXPECT_TRUE(M->WordWrap());
  EXPECT_EQ(M->Width(), 185);
  Form->Free();
}

// --- random message sequences ---------------------------------------------


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
    Model = AnsiToWide(Multi ? Start : Start.substr(0, Start.find('\r')));
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
          ReplaceInModel(AnsiToWide(Multi ? S : S.substr(0, S.find('\r'))));
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
          ReplaceInModel(AnsiToWide(std::string(1, C)));
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

class TEditEnvironment : public ::testing::Environment {
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

[[maybe_unused]] const auto* const EditEnvironment = ::testing::AddGlobalTestEnvironment(new TEditEnvironment);

}  // namespace
