// Wide text beside the framework's 8-bit text, Unicode windows and their
// trap, the framework's string messages to such windows, and wide canvas
// text.
#include "GuiTestSupport.h"
#include "UniGuiTestSupport.h"
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Framework.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "UniControls.h"
#include "UniGraphics.h"
#include "UniSysUtils.h"
#include "UniSystem.h"

// ---- test classes ----------------------------------------------------------

// Framework controls whose windows are Unicode windows.
class TWideEdit : public TEdit {
public:
  using TEdit::TEdit;
  std::vector<int> Keys;
  // Set: every key pressed becomes this 8-bit character.
  char Replace = 0;
  int WindowSetTexts = 0;

  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_SETTEXT && IsWindowMessage(Message)) ++WindowSetTexts;
    TEdit::WndProc(Message);
  }

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, L"EDIT"); }
  void KeyPress(char& Key) override {
    Keys.push_back(static_cast<unsigned char>(Key));
    if (Replace) Key = Replace;
  }
};

class TWideListBox : public TListBox {
public:
  using TListBox::TListBox;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, L"LISTBOX"); }
};

class TWideMemo : public TMemo {
public:
  using TMemo::TMemo;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, L"EDIT"); }
};

// A handler put in front of a control's WindowProc by other code.
class TChainHook : public TObject {
public:
  explicit TChainHook(TControl* Control) : FControl(Control), Saved(Control->WindowProc) {
    Control->WindowProc = TWndMethod(this, &TChainHook::Handler);
  }
  void Unhook() { FControl->WindowProc = Saved; }
  void Handler(TMessage& Message) {
    ++Calls;
    if (Consume && Message.Msg == Consume && IsWindowMessage(Message)) {
      ++Consumed;
      Message.Result = 0;
      return;
    }
    if (Trap && !Trap->Alive()) ++DeadTrapCalls;
    Saved(Message);
  }

  TControl* FControl;
  TWndMethod Saved;
  TWinControlTrap* Trap = nullptr;
  UINT Consume = 0;
  int Calls = 0, Consumed = 0, DeadTrapCalls = 0;
};

namespace {

const WideChar* const AMacron = L"\u0101";  // ā: 'a' in code page 1250, no round trip
const WideChar* const NTilde = L"\u00F1";   // ñ: 'n'

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TUniGuiEnvironment);


std::string WindowTextA(HWND Wnd) {
  char Buffer[256] = {};
  GetWindowTextA(Wnd, Buffer, 256);
  return Buffer;
}

class UniControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    IsUnicodePlatform = true;
    IsXPOrLater = true;
    Application->OnException = nullptr;
    Application->CreateForm(Form);
    Form->SetBounds(60, 60, 400, 300);
  }
  void TearDown() override {
    IsUnicodePlatform = true;
    IsXPOrLater = true;
    FreeAndNil(Form);
  }
  template <class T> T* Make(int Top = 10) {
    T* C = new T(Form);  // owned by the form
    C->SetParent(Form);
    C->SetBounds(10, Top, 200, 24);
    return C;
  }

  TForm* Form = nullptr;
};

}  // namespace

// ---- the sync rule ---------------------------------------------------------

TEST(UniSync, ReadAndWriteTable) {
  struct TCase {
    const WideChar* Stored;
    const char* Current;
    const WideChar* New;
    const WideChar* Read;                 // SyncWideRead before the write
    std::vector<std::string> Sets;        // the 8-bit values set
  };
  const TCase Cases[] = {
      {L"\u0101", "a", L"\u0101", L"\u0101", {}},            // in step: nothing to do
      {L"\u0101", "b", L"\u0101", L"b", {"a"}},               // out of step: "b" counts; ā over "b"
      {L"", "a", L"\u0101", L"a", {"", "a"}},                 // ā over "a": the empty value first
      {L"", "a", L"\u00F1", L"a", {"n"}},                     // ñ over "a": its 8-bit form differs
      {L"", "x", L"\u0105", L"x", {"\xB9"}},                 // ą has a byte of its own
      {L"", "\xB9", L"\u0105", L"\u0105", {}},               // and then is in step already
      {L"\u00F1", "n", L"n", L"\u00F1", {"n"}},              // plain n over ñ: same bytes, set again
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(WideToUTF8(C.New) + " over " + C.Current);
    WideString Stored = C.Stored;
    EXPECT_EQ(SyncWideRead(Stored, C.Current), C.Read);
    Stored = C.Stored;
    std::vector<std::string> Sets;
    std::string Current = C.Current;
    SyncWideWrite(C.New, Stored, Current, [&](const AnsiString& A) { Sets.push_back(A); });
    EXPECT_EQ(Sets, C.Sets);
    if (!Sets.empty()) {
      EXPECT_EQ(Stored, C.New);
    }
  }
}

TEST(UniSync, HintParts) {
  EXPECT_EQ(WideGetShortHint(L"Zapisz|Zapisuje s\u0142ownik"), L"Zapisz");
  EXPECT_EQ(WideGetLongHint(L"Zapisz|Zapisuje s\u0142ownik"), L"Zapisuje s\u0142ownik");
  EXPECT_EQ(WideGetShortHint(L"Zapisz"), L"Zapisz");
  EXPECT_EQ(WideGetLongHint(L"Zapisz"), L"Zapisz");
  EXPECT_EQ(WideGetShortHint(L"a|b|c"), L"a");
  EXPECT_EQ(WideGetLongHint(L"a|b|c"), L"b|c");
}

// ---- windowless controls -----------------------------------------------------

TEST_F(UniControlsTest, LabelHoldsItsWideCaptionWhileInStep) {
  TLabel* Label = Make<TLabel>();
  std::vector<std::string> Seen;
  class TCount : public TObject {
  public:
    explicit TCount(std::vector<std::string>& S, TLabel* L) : Seen(S), Label(L) {}
    void Handler(TMessage& M) {
      if (M.Msg == CM_TEXTCHANGED) Seen.push_back(Label->Caption());
      Saved(M);
    }
    std::vector<std::string>& Seen;
    TLabel* Label;
    TWndMethod Saved;
  } Count(Seen, Label);
  Count.Saved = Label->WindowProc;
  Label->WindowProc = TWndMethod(&Count, &TCount::Handler);

  Label->SetCaption("a");
  Seen.clear();
  WideSetControlText(Label, AMacron);
  // The caption was "a" already: it goes empty first so that a change shows.
  EXPECT_EQ(Seen, (std::vector<std::string>{"", "a"}));
  EXPECT_EQ(WideGetControlText(Label), AMacron);
  Label->SetCaption("b");
  EXPECT_EQ(WideGetControlText(Label), L"b");
  WideSetControlText(Label, NTilde);
  EXPECT_EQ(Label->Caption(), "n");
  EXPECT_EQ(WideGetControlText(Label), NTilde);
  Label->WindowProc = Count.Saved;
}

TEST_F(UniControlsTest, HintsOfControlAndParents) {
  TLabel* Label = Make<TLabel>();
  WideSetControlHint(Form, L"Formularz \u0101");
  EXPECT_EQ(WideGetParentHint(Label), L"Formularz \u0101");
  WideSetControlHint(Label, L"Zapisz|Zapisuje s\u0142ownik \u00F1");
  EXPECT_EQ(Label->Hint(), "Zapisz|Zapisuje s\xB3ownik n");
  EXPECT_EQ(WideGetParentHint(Label), L"Zapisz|Zapisuje s\u0142ownik \u00F1");
  Label->SetHint("inny");
  EXPECT_EQ(WideGetControlHint(Label), L"inny");
  // A packed hint keeps its zero bytes.
  Label->SetHint(std::string("a\0b", 3));
  EXPECT_EQ(WideGetControlHint(Label), WideString(L"a\0b", 3));
}

// ---- Unicode windows -----------------------------------------------------------

TEST_F(UniControlsTest, WindowIsUnicodeAndClassIsShared) {
  TWideEdit* A = Make<TWideEdit>(10);
  TWideEdit* B = Make<TWideEdit>(40);
  HWND WA = A->Handle(), WB = B->Handle();
  EXPECT_TRUE(IsWindowUnicode(WA));
  WideChar Name[128] = {};
  GetClassNameW(WA, Name, 128);
  EXPECT_EQ(WideString(Name), L"TWideEdit.UnicodeClass");
  EXPECT_NE(GetClassLongW(WA, GCW_ATOM), 0u);
  EXPECT_EQ(GetClassLongW(WA, GCW_ATOM), GetClassLongW(WB, GCW_ATOM));
  // The edit's own extra bytes came along with its class.
  WNDCLASSW Edit{};
  ASSERT_TRUE(GetClassInfoW(nullptr, L"EDIT", &Edit));
  EXPECT_EQ(GetClassLongW(WA, GCL_CBWNDEXTRA), static_cast<DWORD>(Edit.cbWndExtra));
  // The framework's id, by which the parent finds an owner-drawn child.
  EXPECT_EQ(GetWindowLongW(WA, GWL_ID), static_cast<LONG>(A->ControlID()));

  WideSetControlText(A, L"\u0101 \u0105");
  EXPECT_EQ(WindowTextW(WA), L"\u0101 \u0105");
  EXPECT_EQ(WindowTextA(WA), "a \xB9");
  EXPECT_EQ(A->Text(), "a \xB9");
  EXPECT_EQ(SendMessageW(WA, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(WA), NF_QUERY), NFR_UNICODE);
  EXPECT_EQ(WideNotifyFormat(Form->Handle()), NFR_ANSI);
  EXPECT_EQ(SendMessageW(WA, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(Form->Handle()), NF_QUERY), NFR_ANSI);
}

TEST_F(UniControlsTest, EqualTextIsSetOnce) {
  TWideEdit* E = Make<TWideEdit>();
  E->HandleNeeded();
  E->WindowSetTexts = 0;
  WideSetControlText(E, L"\u00F1\u0101");
  WideSetControlText(E, L"\u00F1\u0101");
  EXPECT_EQ(E->WindowSetTexts, 1);
  EXPECT_EQ(WideGetControlText(E), L"\u00F1\u0101");
}

TEST_F(UniControlsTest, TextSetWithoutWindowReachesTheWindow) {
  // The wide text set before the window exists shows when it is made.
  TWideEdit* E = Make<TWideEdit>(10);
  WideSetControlText(E, L"\u00F1 \u0101");
  EXPECT_FALSE(E->HandleAllocated());
  EXPECT_EQ(WideGetControlText(E), L"\u00F1 \u0101");
  EXPECT_EQ(WindowTextW(E->Handle()), L"\u00F1 \u0101");

  // An 8-bit text set after it, still without a window, wins.
  TWideEdit* F = Make<TWideEdit>(40);
  WideSetControlText(F, L"\u00F1 \u0101");
  F->SetText("nowy");
  EXPECT_EQ(WideGetControlText(F), L"nowy");
  EXPECT_EQ(WindowTextW(F->Handle()), L"nowy");
}

TEST_F(UniControlsTest, TextSurvivesRecreation) {
  TWideEdit* E = Make<TWideEdit>();
  WideSetControlText(E, L"\u00F1\u0105\u0101");
  HWND Old = E->Handle();
  E->RecreateWnd();
  HWND New = E->Handle();
  EXPECT_NE(Old, New);
  EXPECT_TRUE(IsWindowUnicode(New));
  EXPECT_EQ(WindowTextW(New), L"\u00F1\u0105\u0101");
  // The same trap serves the new window.
  EXPECT_NE(FindWinControlTrap(E), nullptr);
  EXPECT_EQ(E->WindowProc, TWndMethod(FindWinControlTrap(E), &TWinControlTrap::MessageHandler));
}

TEST_F(UniControlsTest, WideCharacterPassesThe8BitKeyHandler) {
  TWideEdit* E = Make<TWideEdit>();
  HWND W = E->Handle();
  SendMessageW(W, WM_CHAR, 0x0101, 1);
  SendMessageW(W, WM_CHAR, 0x00F1, 1);
  SendMessageW(W, WM_CHAR, 'x', 1);
  EXPECT_EQ(E->Keys, (std::vector<int>{255, 255, 'x'}));
  EXPECT_EQ(WindowTextW(W), L"\u0101\u00F1x");
  // A handler's own 8-bit key is read in the keyboard's code page.
  E->Replace = '\xB9';
  SendMessageW(W, WM_CHAR, 0x0101, 1);
  EXPECT_EQ(WindowTextW(W), L"\u0101\u00F1x\u0105");
}

TEST_F(UniControlsTest, ImeCharacterBeforeXPIsSentAsACharacter) {
  TWideEdit* E = Make<TWideEdit>();
  HWND W = E->Handle();
  // From XP on the edit's own procedure takes it as it is.
  SendMessageW(W, WM_IME_CHAR, 0x0101, 1);
  EXPECT_TRUE(E->Keys.empty());
  IsXPOrLater = false;
  SendMessageW(W, WM_IME_CHAR, 0x00F1, 1);
  EXPECT_EQ(E->Keys, (std::vector<int>{255}));
  EXPECT_EQ(WindowTextW(W).back(), L'\u00F1');
}

TEST_F(UniControlsTest, ConsumedWindowMessageLeavesNoStaleOrigin) {
  TWideEdit* E = Make<TWideEdit>();
  WideSetControlText(E, L"x\u0105y\u00F1");
  TChainHook Hook(E);
  Hook.Consume = WM_GETTEXTLENGTH;
  // A system text message eaten in front of the trap...
  EXPECT_EQ(SendMessageW(E->Handle(), WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_GE(Hook.Consumed, 1);
  // ...and the framework's own 8-bit reads after it are still converted.
  char Buffer[16];
  std::fill(std::begin(Buffer), std::end(Buffer), '#');
  EXPECT_EQ(E->GetTextBuf(Buffer, 5), 4);
  EXPECT_EQ(std::string(Buffer, 6), std::string("x\xB9yn\0#", 6));
  EXPECT_EQ(E->Text(), "x\xB9yn");
  Hook.Unhook();
}

TEST_F(UniControlsTest, TrapOutlivesAChainNamingIt) {
  auto* E = Make<TWideEdit>();
  E->HandleNeeded();
  TWinControlTrap* Trap = FindWinControlTrap(E);
  ASSERT_NE(Trap, nullptr);
  TChainHook Hook(E);
  Hook.Trap = Trap;
  WideSetControlText(E, L"\u00F1");
  // A new window: the trap is found behind the hook and not put in twice.
  E->RecreateWnd();
  E->HandleNeeded();
  EXPECT_EQ(FindWinControlTrap(E), Trap);
  EXPECT_EQ(E->WindowProc, TWndMethod(&Hook, &TChainHook::Handler));
  EXPECT_EQ(WindowTextW(E->Handle()), L"\u00F1");
  const int Before = Hook.Calls;
  E->Free();
  EXPECT_GT(Hook.Calls, Before);  // the teardown went through hook and trap
  EXPECT_EQ(Hook.DeadTrapCalls, 0);
  // The hook outlives the control: the trap it names is still a trap.
  EXPECT_TRUE(Trap->Alive());
  TMessage Late{WM_NULL, 0, 0, 7};
  Hook.Saved(Late);
  EXPECT_EQ(Late.Result, 0);
}

TEST_F(UniControlsTest, CleanlyUnhookedTrapIsReused) {
  auto* A = Make<TWideEdit>(10);
  A->HandleNeeded();
  TWinControlTrap* Trap = FindWinControlTrap(A);
  A->Free();
  auto* B = Make<TWideEdit>(40);
  B->HandleNeeded();
  EXPECT_EQ(FindWinControlTrap(B), Trap);
  EXPECT_EQ(Trap->Control(), B);
}

TEST_F(UniControlsTest, FrameworkStringMessagesAreConverted) {
  auto* L = Make<TWideListBox>(10);
  L->SetHeight(80);
  TStrings* Items = L->Items();
  Items->Add("x\xB9y");
  Items->Add("za\xBF\xF3\xB3\xE6");
  Items->Insert(0, "pierwszy");
  HWND W = L->Handle();
  ASSERT_TRUE(IsWindowUnicode(W));
  WideChar Row[32] = {};
  ASSERT_EQ(SendMessageW(W, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(Row)), 3);
  EXPECT_EQ(WideString(Row), L"x\u0105y");
  EXPECT_EQ(Items->Count(), 3);
  EXPECT_EQ(Items->Strings(1), "x\xB9y");
  EXPECT_EQ(Items->Strings(2), "za\xBF\xF3\xB3\xE6");
  EXPECT_EQ(Items->IndexOf("X\xA5Y"), 1);  // case-insensitive, as the list box finds
  // A row added by the system in UTF-16 reads back in 8-bit, sized right.
  SendMessageW(W, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"\u0101\u0101\u0101\u0101"));
  EXPECT_EQ(SendMessageA(W, LB_GETTEXTLEN, 3, 0), 4);
  EXPECT_EQ(Items->Strings(3), "aaaa");
  L->SetItemIndex(1);
  EXPECT_EQ(L->ItemIndex(), 1);

  auto* M = Make<TWideMemo>(100);
  M->SetHeight(80);
  M->Lines()->SetText("ab\xB9\r\ndrugi");
  EXPECT_EQ(WindowTextW(M->Handle()), L"ab\u0105\r\ndrugi");
  EXPECT_EQ(M->Lines()->Strings(0), "ab\xB9");
  EXPECT_EQ(M->Lines()->Strings(1), "drugi");
  M->SetSelStart(0);
  M->SetSelLength(2);
  M->SetSelText("\xF3");
  EXPECT_EQ(WindowTextW(M->Handle()), L"\u00F3\u0105\r\ndrugi");
}

TEST_F(UniControlsTest, AnsiPlatformMakesAnsiWindows) {
  IsUnicodePlatform = false;
  auto* E = Make<TWideEdit>();
  WideSetControlText(E, L"x\u0105");
  EXPECT_EQ(E->Text(), "x\xB9");
  HWND W = E->Handle();
  EXPECT_FALSE(IsWindowUnicode(W));
  EXPECT_EQ(WindowTextA(W), "x\xB9");
  EXPECT_EQ(WideGetControlText(E), L"x\u0105");
  EXPECT_EQ(FindWinControlTrap(E), nullptr);
  EXPECT_EQ(WideNotifyFormat(W), NFR_ANSI);
  // A Unicode window found while the platform counts as 8-bit: 8-bit text only.
  IsUnicodePlatform = true;
  auto* U = Make<TWideEdit>(40);
  WideSetControlText(U, L"\u0101");
  IsUnicodePlatform = false;
  EXPECT_EQ(WideGetControlText(U), L"a");
  WideSetControlHint(U, L"\u0101");
  EXPECT_EQ(WideGetControlHint(U), L"a");
}

TEST_F(UniControlsTest, SubClassingAnAnsiWindowIsAnInternalError) {
  auto* E = Make<TEdit>();
  E->HandleNeeded();
  EXPECT_THROW(SubClassUnicodeControl(E, "x"), EUniInternalError);
}

// ---- bad input: every character through pack, an 8-bit handler and unpack ----

class TKeyProbe : public TEdit {
public:
  using TEdit::TEdit;
  int Replace = -1;

protected:
  void KeyPress(char& Key) override {
    if (Replace >= 0) Key = static_cast<char>(Replace);
  }
};

TEST_F(UniControlsTest, EveryCodeSurvivesPackHandlerAndUnpack) {
  auto* Probe = Make<TKeyProbe>();
  std::mt19937 Random(20261211);
  std::vector<Word> Highs(1000);
  for (Word& H : Highs) H = static_cast<Word>(Random());
  int Failures = 0;
  for (unsigned Code = 0; Code < 0x10000; ++Code) {
    const bool Changes = Code % 3 == 0;
    Probe->Replace = Changes ? static_cast<int>((Code * 7 + 1) & 0xFF) : -1;
    if (Probe->Replace == 0) Probe->Replace = 1;
    TMessage M{WM_CHAR, (static_cast<WPARAM>(Highs[Code % Highs.size()]) << 16) | Code, 1, 0};
    PackWideCharMessage(M);
    Probe->DoKeyPress(M);
    UnpackWideCharMessage(M);
    // A handler that sets the key it was given has kept it.
    const int Key = Probe->Replace;
    const int Seen = Code >= 128 ? 255 : static_cast<int>(Code & 0xFF);
    const WPARAM Expected = !Changes || Key == Seen ? Code : Key >= 128 ? KeyCharToWide(static_cast<Word>(Key)) : Key;
    if (M.WParam != Expected && ++Failures < 5) ADD_FAILURE() << "code " << Code << " gave " << M.WParam;
  }
  EXPECT_EQ(Failures, 0);
}

// ---- canvas text ------------------------------------------------------------------

namespace {

// A 120 x 30 white bitmap with a 14-pixel Arial font on its canvas.
void PrepareCanvas(TBitmap& Bitmap) {
  Bitmap.SetWidth(120);
  Bitmap.SetHeight(30);
  TCanvas* C = Bitmap.Canvas();
  C->Brush()->SetColor(clWhite);
  C->FillRect(Rect(0, 0, 120, 30));
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(-14);
  C->Font()->SetColor(clBlack);
}

std::vector<COLORREF> PixelsOf(TCanvas* C) {
  std::vector<COLORREF> Pixels;
  for (int Y = 0; Y < 30; ++Y)
    for (int X = 0; X < 120; ++X) Pixels.push_back(GetPixel(C->Handle(), X, Y));
  return Pixels;
}

}  // namespace

TEST(UniGraphics, CanvasTextMatchesExtTextOutW) {
  const WideString Text = L"\u0101\u00F1\u0105 \u0416 ok";
  auto Draw = [&](bool Ours, bool Clear) {
    TBitmap Bitmap;
    PrepareCanvas(Bitmap);
    TCanvas* C = Bitmap.Canvas();
    C->Brush()->SetColor(clYellow);
    if (Clear) C->Brush()->SetStyle(bsClear);
    const TRect R = Rect(5, 3, 100, 25);
    if (Ours) {
      WideCanvasTextRect(C, R, 8, 5, Text);
    } else {
      C->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
      ExtTextOutW(C->Handle(), 8, 5, ETO_CLIPPED | (Clear ? 0 : ETO_OPAQUE), &R, Text.c_str(),
                  static_cast<UINT>(Text.size()), nullptr);
    }
    return PixelsOf(C);
  };
  for (bool Clear : {false, true}) {
    SCOPED_TRACE(Clear ? "clear brush" : "solid brush");
    const auto Ours = Draw(true, Clear);
    EXPECT_EQ(Ours, Draw(false, Clear));
    EXPECT_GT(std::count(Ours.begin(), Ours.end(), RGB(0, 0, 0)), 20);
  }

  // Right-to-left reading on a right-to-left canvas: X is the text's end.
  auto DrawRtl = [&](bool Ours) {
    TBitmap Bitmap;
    PrepareCanvas(Bitmap);
    TCanvas* C = Bitmap.Canvas();
    C->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
    SetLayout(C->Handle(), LAYOUT_RTL);
    C->SetTextFlags(ETO_RTLREADING);
    const TRect R = Rect(0, 0, 120, 30);
    if (Ours) {
      WideCanvasTextRect(C, R, 4, 5, Text);
    } else {
      SIZE Size{};
      GetTextExtentPoint32W(C->Handle(), Text.c_str(), static_cast<int>(Text.size()), &Size);
      ExtTextOutW(C->Handle(), 4 + Size.cx + 1, 5, ETO_RTLREADING | ETO_CLIPPED | ETO_OPAQUE, &R, Text.c_str(),
                  static_cast<UINT>(Text.size()), nullptr);
    }
    EXPECT_EQ(C->CanvasOrientation(), coRightToLeft);
    return PixelsOf(C);
  };
  EXPECT_EQ(DrawRtl(true), DrawRtl(false));

  TBitmap Bitmap;
  TCanvas* C = Bitmap.Canvas();
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(-14);
  C->RequiredState(TCanvasState{csHandleValid, csFontValid});
  SIZE Expected{};
  GetTextExtentPoint32W(C->Handle(), Text.c_str(), static_cast<int>(Text.size()), &Expected);
  EXPECT_EQ(WideCanvasTextWidth(C, Text), Expected.cx);
  EXPECT_EQ(WideCanvasTextHeight(C, Text), Expected.cy);
  EXPECT_GT(Expected.cx, 0);
}
