// The themed list box on real windows: its placeholder rows against Items,
// the drawn texts, selection and messages, check boxes, search by typing,
// pixels, the custom bars and layouts.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "GuiTestSupport.h"
#include "ListBoxTestSupport.h"
#include "Streams.h"
#include "Threads.h"
#include "TypInfo.h"
#include "VsCLabel.h"
#include "VsFrameworkUtils.h"
#include "VsHook.h"
#include "VsListBox.h"
#include "VsSBController.h"
#include "VsSBPatch.h"
#include "VsTools.h"
#include "VsUxTheme.h"

namespace {

// Records what each row draws and opens the search and the row widths.
class TProbe : public TRecorder {
public:
  using TRecorder::TRecorder;
  using TCustomVsListBox::DoIncrementalSearch;
  using TCustomVsListBox::GetItemWidth;
};

// The system list box's procedure, refusing every new row.
WNDPROC SystemListProc = nullptr;
LRESULT CALLBACK RefusingListProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == LB_INSERTSTRING) return LB_ERRSPACE;
  return CallWindowProcW(SystemListProc, Wnd, Msg, W, L);
}

// What the list box's events saw, in order.
struct TEvents : TObject {
  std::vector<std::string> Log;
  int Clicks = 0;
  void Click(TObject*) { ++Clicks; }
  void StateChange(TObject*, int Index) { Log.push_back("state " + std::to_string(Index)); }
  void BoxChange(TObject*, int Index, TCheckBoxState S) {
    Log.push_back("box " + std::to_string(Index) + "=" + std::to_string(static_cast<int>(S)));
  }
};

// The list messages that reach a control's window procedure.
struct TSpy : TObject {
  std::vector<UINT> Seen;
  void Before(TObject*, TMessage& Msg, bool&) {
    if (Msg.Msg >= LB_ADDSTRING && Msg.Msg <= LB_MSGMAX) Seen.push_back(Msg.Msg);
  }
};

class ListBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    UnbindUxTheme();
    Application->CreateForm(Form);
    Form->SetBounds(0, 0, 400, 400);
    List = Create<TProbe>(Form);
    List->SetParent(Form);
    List->SetBounds(10, 10, 200, 190);
    List->SetItemHeight(18);
    List->SetUseCustomScrollBars(false);
    Events = std::make_unique<TEvents>();
    List->OnClick = TNotifyEvent(Events.get(), &TEvents::Click);
    Form->Show();
    List->HandleNeeded();
  }
  void TearDown() override {
    Form->Free();
    UnbindUxTheme();
    PumpFor(10);
  }

  // The visible rows painted afresh.
  void Paint() {
    List->Drawn.clear();
    InvalidateRect(List->Handle(), nullptr, TRUE);
    UpdateWindow(List->Handle());
  }
  int WindowCount() { return static_cast<int>(SendMessageW(List->Handle(), LB_GETCOUNT, 0, 0)); }
  // Rows and drawn texts agree with Items; Where names the step.
  void ExpectInStep(const std::string& Where) {
    ASSERT_EQ(WindowCount(), List->Items()->Count()) << Where;
    Paint();
    const int Visible = std::min(List->Items()->Count() - List->TopIndex(), List->ClientHeight() / 18);
    for (int I = List->TopIndex(); I < List->TopIndex() + Visible; ++I)
      EXPECT_EQ(List->Drawn[I], List->Items()->Strings(I)) << Where << ", row " << I;
  }
  void Fill(std::initializer_list<const wchar_t*> Rows) {
    for (const wchar_t* R : Rows) List->Items()->Add(R);
  }
  // A key typed as a real key-down with its scan code, served at once.
  void Key(WORD VirtualKey) {
    const UINT Scan = MapVirtualKeyW(VirtualKey, 0);
    SendMessageW(List->Handle(), WM_KEYDOWN, VirtualKey, 1 | (Scan << 16));
  }
  void Type(const char* Letters) {
    for (const char* P = Letters; *P; ++P) Key(static_cast<WORD>(VkKeyScanA(*P) & 0xFF));
  }
  // A click at a client point, button down and up as the mouse gives them.
  void Click(int X, int Y) {
    PostMessageW(List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    PostMessageW(List->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
    PumpFor(30);
  }

  TForm* Form = nullptr;
  TProbe* List = nullptr;
  std::unique_ptr<TEvents> Events;
};

TEST_F(ListBoxTest, WindowRowsAndDrawnTextsFollowEveryChangeOfItems) {
  struct TStep {
    const char* Name;
    std::function<void(TVsListBoxStrings*)> Do;
  };
  const std::vector<TStep> Steps = {
      {"add", [](TVsListBoxStrings* I) { for (auto* S : {L"ala", L"ōma", L"ζήτα", L"kot"}) I->Add(S); }},
      {"insert in the middle", [](TVsListBoxStrings* I) { I->Insert(1, L"ąę"); }},
      {"insert at the end", [](TVsListBoxStrings* I) { I->Insert(I->Count(), L"koniec"); }},
      {"delete", [](TVsListBoxStrings* I) { I->Delete(0); }},
      {"put", [](TVsListBoxStrings* I) { I->Put(0, L"āb"); }},
      {"exchange", [](TVsListBoxStrings* I) { I->Exchange(0, 3); }},
      {"move", [](TVsListBoxStrings* I) { I->Move(4, 0); }},
      {"re-creation", [this](TVsListBoxStrings*) { List->SetBorderStyle(bsNone); }},
      {"sorted", [this](TVsListBoxStrings*) { List->SetSorted(true); }},
      {"sorted duplicate ignored", [](TVsListBoxStrings* I) { I->Add(L"kot"); }},
      {"sorted add", [](TVsListBoxStrings* I) { I->Add(L"b"); }},
      {"update block", [](TVsListBoxStrings* I) {
         I->BeginUpdate();
         for (int N = 0; N < 20; ++N) I->Add(L"w" + std::to_wstring(N));
         I->EndUpdate();
       }},
      {"clear", [](TVsListBoxStrings* I) { I->Clear(); }},
  };
  for (const TStep& Step : Steps) {
    Step.Do(List->Items());
    ExpectInStep(Step.Name);
  }
  EXPECT_EQ(List->ItemIndex(), -1);
}

TEST_F(ListBoxTest, SortedDuplicateAddsNoRowAndRefusedRowTakesItsStringBack) {
  List->SetSorted(true);
  Fill({L"b", L"a"});
  EXPECT_EQ(List->Items()->Add(L"a"), 0);
  EXPECT_EQ(WindowCount(), 2);
  SystemListProc = List->DefWndProc();
  List->SetDefWndProc(&RefusingListProc);
  EXPECT_THROW(List->Items()->Add(L"c"), EOutOfResources);
  EXPECT_THROW(List->Items()->Insert(0, L"d"), EStringListError);  // a sorted list refuses Insert
  List->SetSorted(false);
  try {
    List->Items()->Insert(1, L"d");
    ADD_FAILURE() << "no error for a refused row";
  } catch (const EOutOfResources& E) {
    EXPECT_STREQ(E.what(), "Unable to insert a line");
  }
  List->SetDefWndProc(SystemListProc);
  EXPECT_EQ(List->Items()->Count(), 2);
  ExpectInStep("after refused rows");
}

TEST_F(ListBoxTest, BadIndexesRaiseListErrorsAndChangeNothing) {
  Fill({L"a", L"b"});
  const std::vector<std::pair<const char*, std::function<void()>>> Cases = {
      {"delete -1", [this] { List->Items()->Delete(-1); }},
      {"delete count", [this] { List->Items()->Delete(2); }},
      {"insert past the end", [this] { List->Items()->Insert(3, L"x"); }},
      {"exchange", [this] { List->Items()->Exchange(0, 5); }},
      {"move", [this] { List->Items()->Move(-2, 0); }},
      {"selected", [this] { List->Selected(7); }},
  };
  for (const auto& [Name, Do] : Cases) {
    try {
      Do();
      ADD_FAILURE() << Name << ": no error";
    } catch (const EListError& E) {
      EXPECT_NE(std::string(E.what()).find("List index out of bounds ("), std::string::npos) << Name;
    }
  }
  ExpectInStep("after bad indexes");
  // Row data outside the rows reads as nothing and takes no change.
  List->SetState(5, cbChecked);
  EXPECT_EQ(List->State(5), cbUnchecked);
  EXPECT_EQ(List->ImageIndex(-1), -1);
}

TEST_F(ListBoxTest, SettingTheCurrentIndexesSendsNothing) {
  for (int I = 0; I < 30; ++I) List->Items()->Add(L"w" + std::to_wstring(I));
  List->SetItemIndex(3);
  List->SetTopIndex(5);
  TSpy Spy;
  auto* Hook = Create<TVsHook>(Form);
  Hook->OnBeforeProcess = TVsHookEvent(&Spy, &TSpy::Before);
  Hook->SetControl(List);
  Hook->SetActive(true);
  List->SetItemIndex(3);
  List->SetTopIndex(5);
  const std::vector<UINT> Same = Spy.Seen;
  Spy.Seen.clear();
  List->SetItemIndex(4);
  List->SetTopIndex(6);
  const std::vector<UINT> Changed = Spy.Seen;
  Hook->SetActive(false);
  const auto Has = [](const std::vector<UINT>& V, UINT M) { return std::find(V.begin(), V.end(), M) != V.end(); };
  EXPECT_FALSE(Has(Same, LB_SETCURSEL));
  EXPECT_FALSE(Has(Same, LB_SETTOPINDEX));
  EXPECT_TRUE(Has(Changed, LB_SETCURSEL));
  EXPECT_TRUE(Has(Changed, LB_SETTOPINDEX));
  EXPECT_EQ(Events->Clicks, 0);
}

TEST_F(ListBoxTest, CheckStatesImagesAndSelectionGoWithTheirRows) {
  Fill({L"r0", L"r1", L"r2", L"r3"});
  List->SetAllowGrayed(true);
  List->SetState(0, cbChecked);
  List->SetState(2, cbGrayed);
  List->SetImageIndex(2, 7);
  List->SetItemIndex(0);
  List->Items()->Exchange(0, 2);
  EXPECT_EQ(List->ItemIndex(), 2);
  EXPECT_EQ(List->State(0), cbGrayed);
  EXPECT_EQ(List->ImageIndex(0), 7);
  EXPECT_EQ(List->State(2), cbChecked);
  List->Items()->Move(0, 3);  // r2 r1 r0 r3 -> r1 r0 r3 r2
  EXPECT_EQ(List->Items()->Strings(3), L"r2");
  EXPECT_EQ(List->State(3), cbGrayed);
  EXPECT_EQ(List->ImageIndex(3), 7);
  EXPECT_EQ(List->State(1), cbChecked);
  List->Items()->Insert(0, L"new");
  EXPECT_EQ(List->State(0), cbUnchecked);
  EXPECT_EQ(List->State(2), cbChecked);
  EXPECT_EQ(List->State(4), cbGrayed);
  List->Items()->Delete(0);
  EXPECT_EQ(List->State(1), cbChecked);
  List->SetAllowGrayed(false);
  EXPECT_EQ(List->State(3), cbUnchecked);
  ExpectInStep("after moving rows");
}

TEST_F(ListBoxTest, ClicksOnACheckBoxCycleItsStateAndReportInOrder) {
  Fill({L"a", L"b"});
  List->SetShowCheckBox(true);
  List->OnCheckStateChange = TVsCheckStateChangeEvent(Events.get(), &TEvents::StateChange);
  List->OnCheckBoxChange = TVsCheckBoxChangeEvent(Events.get(), &TEvents::BoxChange);
  struct TCase {
    bool AllowGrayed;
    std::vector<TCheckBoxState> States;
  };
  for (const TCase& C : {TCase{true, {cbGrayed, cbChecked, cbUnchecked}}, TCase{false, {cbChecked, cbUnchecked}}}) {
    List->SetAllowGrayed(C.AllowGrayed);
    Events->Log.clear();
    std::vector<std::string> Expected;
    for (TCheckBoxState S : C.States) {
      Click(8, 18 + 9);
      EXPECT_EQ(List->State(1), S) << "AllowGrayed " << C.AllowGrayed;
      Expected.push_back("state 1");
      Expected.push_back("box 1=" + std::to_string(static_cast<int>(S)));
    }
    EXPECT_EQ(Events->Log, Expected);
  }
  // The box takes the click: the selection stays where it was.
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_EQ(Events->Clicks, 0);
}

TEST_F(ListBoxTest, OneClickFiresOneOnClickAndKeysStillFireIt) {
  Fill({L"a", L"b", L"c"});
  Click(50, 18 + 5);
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(Events->Clicks, 1);
  Click(50, 36 + 5);
  EXPECT_EQ(Events->Clicks, 2);
  SetFocus(List->Handle());
  PostMessageW(List->Handle(), WM_KEYDOWN, VK_UP, 1 | (MapVirtualKeyW(VK_UP, 0) << 16));
  PumpFor(30);
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(Events->Clicks, 3);
}

TEST_F(ListBoxTest, TypedLettersSelectThePrefixUntilAPause) {
  List->SetIncrementalSearchTimeout(100);
  Fill({L"xyz", L"Abend", L"abc", L"ABX", L"b"});
  SetFocus(List->Handle());
  Type("ab");
  EXPECT_EQ(List->SearchText(), L"ab");
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(Events->Clicks, 1);
  Type("x");
  EXPECT_EQ(List->ItemIndex(), 3);
  Key(VK_BACK);
  EXPECT_EQ(List->SearchText(), L"ab");
  EXPECT_EQ(List->ItemIndex(), 1);
  // Space goes to the list only.
  Key(VK_SPACE);
  EXPECT_EQ(List->SearchText(), L"ab");
  // Nothing found: no selection change, no click.
  const int Clicks = Events->Clicks;
  Type("q");
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(Events->Clicks, Clicks);
  WaitUntil("the typed text to end after the pause", [this] { return List->SearchText().empty(); }, 2000);
  PumpFor(400);
  Type("b");
  EXPECT_EQ(List->SearchText(), L"b");
  EXPECT_EQ(List->ItemIndex(), 4);
}

TEST_F(ListBoxTest, SearchComparesUtf16TextOutsideTheCodePage) {
  Fill({L"zdanie", L"Źdźbło", L"ōra", L"Āla"});
  // Under code page 1250 ā and ō have no 8-bit form, ź has one.
  List->DoIncrementalSearch(L"źd");
  EXPECT_EQ(List->ItemIndex(), 1);
  List->DoIncrementalSearch(L"ō");
  EXPECT_EQ(List->ItemIndex(), 2);
  List->DoIncrementalSearch(L"āl");
  EXPECT_EQ(List->ItemIndex(), 3);
  List->DoIncrementalSearch(L"ālx");
  EXPECT_EQ(List->ItemIndex(), 3);
}

TEST_F(ListBoxTest, InputMethodResultSearchesWhole) {
  const HMODULE Imm = LoadLibraryA("IMM32");
  using TSetString = BOOL(WINAPI*)(HIMC, DWORD, LPVOID, DWORD, LPVOID, DWORD);
  using TNotify = BOOL(WINAPI*)(HIMC, DWORD, DWORD, DWORD);
  auto SetString = reinterpret_cast<TSetString>(reinterpret_cast<void*>(GetProcAddress(Imm, "ImmSetCompositionStringW")));
  auto Notify = reinterpret_cast<TNotify>(reinterpret_cast<void*>(GetProcAddress(Imm, "ImmNotifyIME")));
  ASSERT_TRUE(SetString && Notify);
  Fill({L"ala", L"āla", L"ālb"});
  SetFocus(List->Handle());
  const HIMC Context = ImmGetContext(List->Handle());
  ASSERT_NE(Context, nullptr);
  WCHAR Text[] = L"\x0101lb";
  EXPECT_TRUE(SetString(Context, SCS_SETSTR, Text, sizeof(Text) - sizeof(WCHAR), nullptr, 0));
  EXPECT_TRUE(Notify(Context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  ImmReleaseContext(List->Handle(), Context);
  WaitUntil("the input method's result to select its row", [this] { return List->ItemIndex() == 2; }, 2000);
  EXPECT_EQ(Events->Clicks, 1);
}

TEST_F(ListBoxTest, FreedWhileItsSearchThreadSleepsNothingIsCalled) {
  List->SetIncrementalSearchTimeout(100);
  Fill({L"abc"});
  Type("a");
  const int Clicks = Events->Clicks;
  TSearchTextTimeoutThread* Thread = List->SearchThread();
  ASSERT_NE(Thread, nullptr);
  const HANDLE Handle = [Thread] {
    HANDLE H = nullptr;
    DuplicateHandle(GetCurrentProcess(), Thread->Handle(), GetCurrentProcess(), &H, SYNCHRONIZE, FALSE, 0);
    return H;
  }();
  ASSERT_NE(Handle, nullptr);
  List->Free();
  List = nullptr;
  // The thread ends at its next wake-up; its end reaches no list box.
  EXPECT_TRUE(PumpUntil([Handle] { return WaitForSingleObject(Handle, 0) == WAIT_OBJECT_0; }, 3000))
      << "waited for the search thread to end";
  PumpFor(50);
  CloseHandle(Handle);
  EXPECT_EQ(Events->Clicks, Clicks);
}

// --- pixels ------------------------------------------------------------------

COLORREF PixelAt(HWND Wnd, int X, int Y) {
  HDC DC = GetDC(Wnd);
  const COLORREF C = GetPixel(DC, X, Y);
  ReleaseDC(Wnd, DC);
  return C;
}

TEST_F(ListBoxTest, SelectionColoursFollowFocusAndAlphaBlends) {
  Fill({L"", L"", L""});
  List->SetFocusedSelectColor(0x0000C0);
  List->SetHideSelectColor(0x00C000);
  List->SetHideSelection(false);
  List->SetColor(0xFFFFFF);
  List->SetItemIndex(1);
  SetForegroundWindow(Form->Handle());
  SetFocus(List->Handle());
  ASSERT_TRUE(WaitUntil("the list box to take the focus", [this] { return GetFocus() == List->Handle(); }));
  Paint();
  EXPECT_EQ(PixelAt(List->Handle(), 100, 18 + 9), 0x0000C0u);
  EXPECT_EQ(PixelAt(List->Handle(), 100, 9), 0xFFFFFFu);
  SetFocus(nullptr);
  Paint();
  EXPECT_EQ(PixelAt(List->Handle(), 100, 18 + 9), 0x00C000u);
  List->SetHideSelection(true);
  Paint();
  EXPECT_EQ(PixelAt(List->Handle(), 100, 18 + 9), 0xFFFFFFu);
  List->SetHideSelection(false);
  List->SetHighlightAlphaLevel(128);
  List->SetHighlightAlphaLevel(300);  // ignored
  List->SetHighlightAlphaLevel(-1);   // ignored
  EXPECT_EQ(List->HighlightAlphaLevel(), 128);
  Paint();
  const COLORREF Blend = PixelAt(List->Handle(), 100, 18 + 9);
  // The mean of 0x00C000 and white.
  EXPECT_NEAR(GetRValue(Blend), 0x80, 3);
  EXPECT_NEAR(GetGValue(Blend), 0xE0, 3);
  EXPECT_NEAR(GetBValue(Blend), 0x80, 3);
}

TEST_F(ListBoxTest, CheckBoxesMatchThePlatformsClassicAndThemedBoxes) {
  Fill({L"a", L"b", L"c"});
  List->SetColor(0xFFFFFF);
  List->SetShowCheckBox(true);
  List->SetAllowGrayed(true);
  List->SetState(1, cbChecked);
  List->SetState(2, cbGrayed);
  for (const bool Themed : {false, true}) {
    if (Themed) {
      BindUxTheme();
      ASSERT_TRUE(ThemesAvailable) << "the platform's theme library did not bind";
      List->SetBorderStyle(bsNone);  // a new window opens its theme
    }
    ASSERT_EQ(List->IsThemeApplied(), Themed);
    Paint();
    HDC Window = GetDC(List->Handle());
    for (int Row = 0; Row < 3; ++Row) {
      SIZE Size{13, 13};
      const int ThemeState = 1 + 4 * Row;
      if (Themed)
        VsUxThemeApi.GetThemePartSize(List->Theme(), Window, 3, ThemeState, nullptr, TS_DRAW, &Size);
      const int Top = Row * 18 + (18 - Size.cy) / 2;
      TMemoryDC Oracle(Size.cx, Size.cy, 0xFFFFFF);
      RECT Box{0, 0, Size.cx, Size.cy};
      if (Themed) {
        HTHEME Theme = VsUxThemeApi.OpenThemeData(List->Handle(), L"BUTTON");
        VsUxThemeApi.DrawThemeBackground(Theme, Oracle.DC(), 3, ThemeState, &Box, nullptr);
        VsUxThemeApi.CloseThemeData(Theme);
      } else {
        const UINT Flags[] = {0, DFCS_CHECKED, DFCS_CHECKED | DFCS_BUTTON3STATE};
        DrawFrameControl(Oracle.DC(), &Box, DFC_BUTTON, DFCS_BUTTONCHECK | Flags[Row]);
      }
      int Different = 0;
      for (int Y = 0; Y < Size.cy; ++Y)
        for (int X = 0; X < Size.cx; ++X) Different += GetPixel(Window, 2 + X, Top + Y) != Oracle.At(X, Y);
      EXPECT_EQ(Different, 0) << (Themed ? "themed" : "classic") << " row " << Row;
    }
    ReleaseDC(List->Handle(), Window);
  }
  UnbindUxTheme();
}

TEST_F(ListBoxTest, FlatBorderTakesOneEdgePerChosenSide) {
  struct TCase {
    bool Flat;
    TVsBorderSides Sides;
    int Left, Top, Right, Bottom;  // in edges
  };
  const std::vector<TCase> Cases = {
      {false, AllBorderSides, 1, 1, 1, 1},
      {true, AllBorderSides, 1, 1, 1, 1},
      {true, TVsBorderSides{ebsLeft, ebsTop}, 1, 1, 0, 0},
      {false, TVsBorderSides{ebsRight}, 0, 0, 1, 0},
  };
  const int CX = GetSystemMetrics(SM_CXEDGE);
  const int CY = GetSystemMetrics(SM_CYEDGE);
  List->SetColor(0xFFFFFF);
  for (const TCase& C : Cases) {
    List->SetFlat(C.Flat);
    List->SetBorderSides(C.Sides);
    RECT W{}, Client{};
    GetWindowRect(List->Handle(), &W);
    GetClientRect(List->Handle(), &Client);
    POINT Origin{0, 0};
    ClientToScreen(List->Handle(), &Origin);
    EXPECT_EQ(Origin.x - W.left, C.Left * CX) << "flat " << C.Flat;
    EXPECT_EQ(Origin.y - W.top, C.Top * CY) << "flat " << C.Flat;
    if (!(GetWindowLongW(List->Handle(), GWL_STYLE) & WS_VSCROLL)) {
      EXPECT_EQ(W.right - (Origin.x + Client.right), C.Right * CX) << "flat " << C.Flat;
    }
  }
  // The flat frame is drawn by the control: the window's edge is not the
  // client's white.
  List->SetFlat(true);
  List->SetBorderSides(AllBorderSides);
  RedrawWindow(List->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  HDC DC = GetWindowDC(List->Handle());
  EXPECT_NE(GetPixel(DC, 0, 50), 0xFFFFFFu);
  ReleaseDC(List->Handle(), DC);
}

TEST_F(ListBoxTest, HorizontalExtentIsTheWidestRow) {
  List->SetHorizontalScroll(true);
  Fill({L"krótki", L"znacznie dłuższy wiersz listy", L"średni wiersz"});
  const auto Extent = [this] { return static_cast<int>(SendMessageW(List->Handle(), LB_GETHORIZONTALEXTENT, 0, 0)); };
  EXPECT_EQ(Extent(), List->GetItemWidth(1));
  EXPECT_GT(List->GetItemWidth(1), List->GetItemWidth(2));
  List->Items()->Delete(1);
  EXPECT_EQ(Extent(), List->GetItemWidth(1));
  List->Items()->Clear();
  EXPECT_EQ(Extent(), 0);
}

TEST_F(ListBoxTest, CustomBarFollowsTheSystemsScrollInfo) {
  List->VertScrollBarStyles()->SetUseSystemMetrics(false);
  List->VertScrollBarStyles()->SetWidth(GetSystemMetrics(SM_CXVSCROLL) + 7);
  List->SetUseCustomScrollBars(true);
  ASSERT_TRUE(List->UseCustomScrollBars()) << "the controller did not take the list box";
  RECT Before{};
  GetClientRect(List->Handle(), &Before);
  for (int I = 0; I < 40; ++I) List->Items()->Add(L"wiersz " + std::to_wstring(I));
  List->SetTopIndex(12);
  SCROLLINFO Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(List->Handle(), SB_VERT, &Info));
  TVsCtrlScrollBarStyles* Bar = List->VertScrollBarStyles();
  EXPECT_EQ(Bar->Min(), Info.nMin);
  EXPECT_EQ(Bar->Max(), Info.nMax);
  EXPECT_EQ(Bar->Page(), static_cast<int>(Info.nPage));
  EXPECT_EQ(Bar->Position(), Info.nPos);
  EXPECT_EQ(Info.nPos, 12);
  RECT After{};
  GetClientRect(List->Handle(), &After);
  EXPECT_EQ(Before.right - After.right, GetSystemMetrics(SM_CXVSCROLL) + 7);
}

TEST_F(ListBoxTest, PackedHintSplitsOnlyItsOwnParts) {
  // "ż" is U+017C: its low byte is the bar's.
  List->SetHint(L"żółw|opis żółwia");
  THintInfo Info;
  Info.HintStr = GetShortHint(List->TControl::Hint());
  List->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
  WideString Wide;
  ASSERT_TRUE(UnpackWideHint(Info.HintStr, Wide));
  EXPECT_EQ(Wide, L"żółw");
  List->SetHint(L"");
  Info.HintStr = "x";
  List->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_TRUE(Info.HintStr.empty());
}

// --- published defaults and layouts ------------------------------------------

TEST(ListBoxLayout, StoredDefaultsAreWhatANewListBoxHas) {
  TOwned<TVsListBox> Fresh(new TVsListBox(nullptr));
  for (const TPropInfo* P : GetPropList(Fresh.get())) {
    if (!P->Default() || (P->Kind() != tkInteger && P->Kind() != tkEnumeration && P->Kind() != tkSet)) continue;
    if (P->Name() == "ItemIndex" || P->Name() == "TopIndex") continue;
    EXPECT_EQ(GetOrdProp(Fresh.get(), P), *P->Default()) << P->Name();
  }
}

TEST(ListBoxLayout, OldColourNamesAndVirtualStylesReadIntoTheirPlaces) {
  TOwned<TForm> Form(new TForm(nullptr));
  const std::string Layout =
      "object F: TForm\n"
      "  object LB: TVsListBox\n"
      "    SelectedColor = clRed\n"
      "    SelectedFontColor = 65280\n"
      "    Style = lbVirtualOwnerDraw\n"
      "    ItemHeight = -4\n"
      "    TabWidth = -3\n"
      "    HighlightAlphaLevel = 300\n"
      "    AllowGrayed = True\n"
      "    Items.Strings = (\n"
      "      'jeden'\n"
      "      'dwa')\n"
      "  end\n"
      "end\n";
  TStringStream S(Layout);
  ReadComponentLayout(&S, Form.get());
  auto* LB = dynamic_cast<TVsListBox*>(Form->FindComponent("LB"));
  ASSERT_NE(LB, nullptr);
  EXPECT_EQ(LB->FocusedSelectColor(), clRed);
  EXPECT_EQ(LB->FocusedSelectTextColor(), 0x00FF00);
  EXPECT_EQ(LB->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(LB->ItemHeight(), 16);
  EXPECT_EQ(LB->TabWidth(), 0);
  EXPECT_EQ(LB->HighlightAlphaLevel(), 255);
  EXPECT_TRUE(LB->AllowGrayed());
  EXPECT_EQ(LB->Items()->Count(), 2);
}

class TListBoxEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeListBoxUnits();
    InitScrollBarPatch();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override {
    DoneScrollBarPatch();
    FinalizeForms();
  }
};

[[maybe_unused]] const auto* const ListBoxEnvironment = ::testing::AddGlobalTestEnvironment(new TListBoxEnvironment);

}  // namespace
