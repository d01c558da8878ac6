// The Unicode memo, list box, label, button and string grid: wide texts
// checked against the system controls' own wide messages and against the
// system's wide text drawing in the same font.
#include "GuiTestSupport.h"
#include "UniGuiTestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Filer.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "UniActnList.h"
#include "UniGrids.h"
#include "UniMenus.h"
#include "UniStdCtrls.h"
#include "UniSysUtils.h"

namespace {

class TStdCtrlsEnvironment : public TUniGuiEnvironment {
public:
  void SetUp() override {
    TUniGuiEnvironment::SetUp();
    InitializeUniStdCtrls();
    InitializeUniGrids();
  }
};

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TStdCtrlsEnvironment);

// The row's text by the system list box's own wide message.
WideString RowW(HWND List, int Index) {
  const LRESULT Len = SendMessageW(List, LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (Len < 0) return L"<none>";
  WideString Text(static_cast<size_t>(Len) + 1, L'\0');
  const LRESULT Got = SendMessageW(List, LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Text.data()));
  Text.resize(static_cast<size_t>(std::max<LRESULT>(Got, 0)));
  return Text;
}

LRESULT RowData(HWND List, int Index) { return SendMessageW(List, LB_GETITEMDATA, static_cast<WPARAM>(Index), 0); }

WideString LongWindowTextW(HWND Wnd) {
  WideString Text(static_cast<size_t>(GetWindowTextLengthW(Wnd)) + 1, L'\0');
  Text.resize(static_cast<size_t>(GetWindowTextW(Wnd, Text.data(), static_cast<int>(Text.size()))));
  return Text;
}

TObject* Data(UINT_PTR Value) { return reinterpret_cast<TObject*>(Value); }

// Counts clicks and what a memo's window was told.
class TClickLog : public TObject {
public:
  void Click(TObject*) { ++Clicks; }
  int Clicks = 0;
};

class TCountingMemo : public TUniCustomMemo {
public:
  using TUniCustomMemo::TUniCustomMemo;
  int ReadOnlyMessages = 0;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == EM_SETREADONLY && IsWindowMessage(Message)) ++ReadOnlyMessages;
    TUniCustomMemo::WndProc(Message);
  }
};

// A W x H memory picture filled with Back, Font selected in its DC with
// its colour as the text colour and Back as the background colour, for the
// system to draw a reference text into.
class TReference {
public:
  TReference(TFont* Font, TColor Back, int W, int H) : FW(W), FH(H) {
    HDC Screen = GetDC(nullptr);
    FDC = CreateCompatibleDC(Screen);
    FBitmap = CreateCompatibleBitmap(Screen, W, H);
    ReleaseDC(nullptr, Screen);
    FOldBitmap = SelectObject(FDC, FBitmap);
    FOldFont = SelectObject(FDC, Font->Handle());
    SetTextColor(FDC, static_cast<COLORREF>(ColorToRGB(Font->Color())));
    SetBkColor(FDC, static_cast<COLORREF>(ColorToRGB(Back)));
    const RECT R{0, 0, W, H};
    ExtTextOutW(FDC, 0, 0, ETO_OPAQUE, &R, nullptr, 0, nullptr);
  }
  ~TReference() {
    SelectObject(FDC, FOldFont);
    SelectObject(FDC, FOldBitmap);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TReference(const TReference&) = delete;
  TReference& operator=(const TReference&) = delete;
  HDC DC() const { return FDC; }
  RECT Rect() const { return RECT{0, 0, FW, FH}; }
  // Pixels that differ from the shot's, whose picture starts at (X, Y).
  int Differences(const TShot& Shot, int X, int Y) const {
    int N = 0;
    for (int J = 0; J < FH; ++J)
      for (int I = 0; I < FW; ++I) N += GetPixel(FDC, I, J) != Shot.At(X + I, Y + J);
    return N;
  }

private:
  int FW, FH;
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOldBitmap, FOldFont;
};

// A 40 x 20 grid cell as the system writes Text (wide, or as its 8-bit
// bytes) at (2, 2).
std::unique_ptr<TReference> CellReference(TUniStringGrid* Grid, const WideString* Wide, const AnsiString* Ansi) {
  auto R = std::make_unique<TReference>(Grid->Font(), Grid->Color(), 40, 20);
  const RECT Cell = R->Rect();
  if (Wide)
    ExtTextOutW(R->DC(), 2, 2, ETO_CLIPPED | ETO_OPAQUE, &Cell, Wide->c_str(), static_cast<UINT>(Wide->size()), nullptr);
  else
    ExtTextOutA(R->DC(), 2, 2, ETO_CLIPPED | ETO_OPAQUE, &Cell, Ansi->c_str(), static_cast<UINT>(Ansi->size()), nullptr);
  return R;
}

class UniStdCtrlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    IsUnicodePlatform = true;
    UniFarEastLocale = false;
    Application->CreateForm(Form);
    Form->SetBounds(60, 60, 480, 360);
    Form->Show();
  }
  void TearDown() override {
    IsUnicodePlatform = true;
    UniFarEastLocale = false;
    FreeAndNil(Form);
  }
  template <class T> T* Make(int Left, int Top, int W = 150, int H = 24) {
    T* C = new T(Form);  // owned by the form
    C->SetParent(Form);
    C->SetBounds(Left, Top, W, H);
    return C;
  }
  // A string grid whose current cell, shown in full, is away from the cells
  // a test draws.
  template <class T = TUniStringGrid> T* MakeGrid() {
    auto* Grid = Make<T>(10, 10, 200, 120);
    Grid->SetFixedCols(0);
    Grid->SetFixedRows(0);
    Grid->SetBorderStyle(bsNone);
    Grid->SetDefaultColWidth(40);
    Grid->SetDefaultRowHeight(20);
    Grid->SetCol(3);
    Grid->SetRow(3);
    return Grid;
  }

  TForm* Form = nullptr;
};

}  // namespace

TEST_F(UniStdCtrlsTest, EdgeCases) {
  const std::vector<std::pair<const char*, std::function<void()>>> Cases = {
      {"a grid cell keeps UTF-8 and draws the wide text",
       [&] {
         TUniStringGrid* Grid = MakeGrid();
         Grid->SetCells(0, 0, L"\u0105");
         EXPECT_EQ(Grid->TStringGrid::Cells(0, 0), "\xC4\x85");
         EXPECT_EQ(Grid->Cells(0, 0), L"\u0105");
         PumpFor(20);
         TShot Shot(Grid);
         const WideString Wide = L"\u0105";
         const AnsiString Bytes = "\xC4\x85";
         EXPECT_EQ(CellReference(Grid, &Wide, nullptr)->Differences(Shot, 0, 0), 0);
         EXPECT_GT(CellReference(Grid, nullptr, &Bytes)->Differences(Shot, 0, 0), 0);
       }},
      {"a list keeps a wide row, ItemIndex and TopIndex over a new window",
       [&] {
         auto* List = Make<TUniListBox>(10, 140, 150, 60);
         for (int I = 0; I < 30; ++I) List->Items()->AddObject(L"\u0101 " + std::to_wstring(I), Data(100 + I));
         List->SetTopIndex(10);
         List->SetItemIndex(12);
         const HWND Old = List->Handle();
         List->SetBorderStyle(bsNone);  // makes the window again
         ASSERT_NE(List->Handle(), Old);
         EXPECT_TRUE(IsWindowUnicode(List->Handle()));
         EXPECT_EQ(SendMessageW(List->Handle(), LB_GETCOUNT, 0, 0), 30);
         EXPECT_EQ(RowW(List->Handle(), 12), L"\u0101 12");
         EXPECT_EQ(RowData(List->Handle(), 12), 112);
         EXPECT_EQ(List->ItemIndex(), 12);
         EXPECT_EQ(List->TopIndex(), 10);
       }},
      {"Put keeps the row's data and ItemIndex",
       [&] {
         auto* List = Make<TUniListBox>(10, 140, 150, 60);
         List->Items()->AddObject(L"a", Data(1));
         List->Items()->AddObject(L"b", Data(2));
         List->Items()->AddObject(L"c", Data(3));
         List->SetItemIndex(2);
         List->Items()->Put(1, L"\u0101");
         EXPECT_EQ(RowW(List->Handle(), 1), L"\u0101");
         EXPECT_EQ(RowData(List->Handle(), 1), 2);
         EXPECT_EQ(List->ItemIndex(), 2);
       }},
      {"Exchange and Move carry texts, data and the selection",
       [&] {
         auto* List = Make<TUniListBox>(10, 140, 150, 60);
         for (const wchar_t* Row : {L"a", L"\u0101", L"c", L"d"}) List->Items()->AddObject(Row, Data(Row[0]));
         List->SetItemIndex(1);
         List->Items()->Exchange(1, 3);
         EXPECT_EQ(RowW(List->Handle(), 1), L"d");
         EXPECT_EQ(RowW(List->Handle(), 3), L"\u0101");
         EXPECT_EQ(RowData(List->Handle(), 3), 0x101);
         EXPECT_EQ(List->ItemIndex(), 3);
         List->Items()->Move(3, 0);
         EXPECT_EQ(RowW(List->Handle(), 0), L"\u0101");
         EXPECT_EQ(RowData(List->Handle(), 0), 0x101);
         EXPECT_EQ(RowW(List->Handle(), 1), L"a");
         EXPECT_EQ(RowW(List->Handle(), 3), L"c");
       }},
      {"Alt with a wide accelerator clicks its button, a doubled & none",
       [&] {
         TClickLog Log;
         auto* Focused = Make<TEdit>(10, 140);
         auto* Wide = Make<TUniButton>(10, 180);
         auto* Doubled = Make<TUniButton>(10, 210);
         Wide->SetCaption(L"&\u0104b");
         Doubled->SetCaption(L"A&&B");
         Wide->OnClick = TNotifyEvent(&Log, &TClickLog::Click);
         Doubled->OnClick = TNotifyEvent(&Log, &TClickLog::Click);
         EXPECT_TRUE(IsWideCharAccel(0xB9, Wide->Caption()));
         EXPECT_TRUE(IsWideCharAccel(0x0105, Wide->Caption()));
         for (Word Key : {Word('A'), Word('a'), Word('B'), Word('&')}) EXPECT_FALSE(IsWideCharAccel(Key, L"A&&B")) << Key;
         Focused->SetFocus();
         ASSERT_TRUE(WaitUntil("the focus on the edit", [&] { return GetFocus() == Focused->Handle(); }));
         for (char Key : {'a', 'b'}) PostMessageA(Focused->Handle(), WM_SYSCHAR, static_cast<Byte>(Key), 0x20000001);
         PostMessageA(Focused->Handle(), WM_SYSCHAR, 0xB9, 0x20000001);
         ASSERT_TRUE(WaitUntil("the click of Alt+\u0105", [&] { return Log.Clicks > 0; }));
         PumpFor(20);
         EXPECT_EQ(Log.Clicks, 1);
         EXPECT_EQ(WindowTextW(Wide->Handle()), L"&\u0104b");
       }},
      {"a label's accelerator focuses its control",
       [&] {
         auto* From = Make<TEdit>(10, 140);
         auto* To = Make<TEdit>(10, 180);
         auto* Label = Make<TUniLabel>(200, 180);
         Label->SetCaption(L"&\u0104b");
         Label->SetFocusControl(To);
         From->SetFocus();
         ASSERT_TRUE(WaitUntil("the focus on the first edit", [&] { return GetFocus() == From->Handle(); }));
         PostMessageA(From->Handle(), WM_SYSCHAR, 0xB9, 0x20000001);
         WaitUntil("the focus on the label's control", [&] { return GetFocus() == To->Handle(); });
       }},
      {"an empty label, or a lone &, is one line high",
       [&] {
         auto* Empty = Make<TUniLabel>(10, 140);
         auto* Amp = Make<TUniLabel>(10, 170);
         auto* Letter = Make<TUniLabel>(10, 200);
         Empty->SetCaption(L"x");
         Empty->SetCaption(L"");
         Amp->SetCaption(L"&");
         Letter->SetCaption(L"\u0101");
         EXPECT_GT(Letter->Height(), 0);
         EXPECT_EQ(Empty->Height(), Letter->Height());
         EXPECT_EQ(Amp->Height(), Letter->Height());
         EXPECT_GT(Empty->Width(), 0);
       }},
      {"a memo's text gets CR LF line breaks",
       [&] {
         auto* Memo = Make<TUniCustomMemo>(10, 140, 150, 80);
         Memo->Lines()->SetText(L"a\nb\u0101");
         EXPECT_EQ(WindowTextW(Memo->Handle()), L"a\r\nb\u0101");
         EXPECT_EQ(Memo->Lines()->Count(), 2);
         EXPECT_EQ(Memo->Lines()->Strings(1), L"b\u0101");
       }},
  };
  for (const auto& [Name, Case] : Cases) {
    SCOPED_TRACE(Name);
    for (int I = Form->ComponentCount() - 1; I >= 0; --I) Form->Components(I)->Free();
    Case();
  }
}

TEST_F(UniStdCtrlsTest, ListRowsErrorsAndSearch) {
  auto* List = Make<TUniListBox>(10, 10, 150, 80);
  TUniStrings* Items = List->Items();
  Items->Add(L"\u0104la");
  Items->Add(L"be");
  // The system compares without case.
  EXPECT_EQ(Items->IndexOf(L"\u0105LA"), 0);
  EXPECT_EQ(Items->IndexOf(L"BE"), 1);
  EXPECT_EQ(Items->IndexOf(L"b"), -1);
  try {
    (void)Items->Strings(-1);
    ADD_FAILURE() << "no error for row -1";
  } catch (const EStringListError& E) {
    EXPECT_EQ(E.Message(), "List index out of bounds (-1)");
  }
  EXPECT_THROW((void)Items->Strings(2), EStringListError);
  try {
    Items->Insert(5, L"x");
    ADD_FAILURE() << "no error for a row the window refused";
  } catch (const EOutOfResources& E) {
    EXPECT_EQ(E.Message(), "Unable to insert a line");
  }
  EXPECT_EQ(Items->Count(), 2);
  // A row holding a zero reads up to it.
  const WideChar WithZero[] = {L'a', L'\0', L'b', L'\0'};
  SendMessageW(List->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WithZero));
  EXPECT_EQ(Items->Strings(2), L"a");

  // Rows given before the window exists are kept wide until it comes.
  auto* Late = new TUniListBox(Form);  // owned by the form
  Late->SetItemIndex(1);
  Late->Items()->AddObject(L"\u0101", Data(7));
  Late->Items()->Add(L"\u014D");
  EXPECT_EQ(Late->ItemIndex(), 1);
  EXPECT_EQ(Late->Items()->Strings(0), L"\u0101");
  Late->SetParent(Form);
  ASSERT_TRUE(Late->HandleAllocated());
  EXPECT_EQ(RowW(Late->Handle(), 0), L"\u0101");
  EXPECT_EQ(RowW(Late->Handle(), 1), L"\u014D");
  EXPECT_EQ(RowData(Late->Handle(), 0), 7);
  EXPECT_EQ(Late->ItemIndex(), 1);
}

TEST_F(UniStdCtrlsTest, VirtualListAnswersWideTextAndItsLength) {
  struct TSource : TObject {
    void Data(TWinControl*, int Index, WideString& Text) { Text = L"\u0101\u0101\u0101" + std::to_wstring(Index); }
  } Source;
  auto* List = Make<TUniListBox>(10, 10, 150, 80);
  List->SetStyle(lbVirtual);
  List->SetCount(3);
  HWND Wnd = List->Handle();
  // No source yet: no row has a text.
  EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXTLEN, 1, 0), LB_ERR);
  List->OnData = TLBGetWideDataEvent(&Source, &TSource::Data);
  for (int Index : {-1, 3}) {
    WideChar Buffer[16] = {};
    EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0), LB_ERR) << Index;
    EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Buffer)), LB_ERR);
  }
  WideChar Buffer[16] = {};
  EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXTLEN, 2, 0), 4);
  EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(Buffer)), 4);
  EXPECT_EQ(WideString(Buffer), L"\u0101\u0101\u01012");
  EXPECT_EQ(List->Items()->Strings(1), L"\u0101\u0101\u01011");
}

TEST_F(UniStdCtrlsTest, MemoLinesThroughTheWindow) {
  auto* Memo = Make<TUniCustomMemo>(10, 10, 300, 120);
  TUniStrings* Lines = Memo->Lines();
  Lines->SetText(L"\u0101b\r\n\u014Dd");
  Lines->Put(0, L"x\u0101");
  Lines->Insert(1, L"\u016B");
  EXPECT_EQ(WindowTextW(Memo->Handle()), L"x\u0101\r\n\u016B\r\n\u014Dd");
  // Past a last line that has text: a new line behind it.
  Lines->Insert(3, L"e");
  EXPECT_EQ(WindowTextW(Memo->Handle()), L"x\u0101\r\n\u016B\r\n\u014Dd\r\ne");
  // Past the end, or behind an empty last line: nothing.
  Lines->Insert(9, L"z");
  Lines->SetText(L"a\r\n");
  Lines->Insert(2, L"z");
  EXPECT_EQ(WindowTextW(Memo->Handle()), L"a\r\n");

  // A line longer than the 16-bit size word comes back cut, nothing more.
  const WideString Long(70000, L'\u0101');
  Memo->SetWordWrap(false);
  Memo->SetText(Long);
  ASSERT_EQ(LongWindowTextW(Memo->Handle()).size(), Long.size());
  EXPECT_EQ(Lines->Strings(0), Long.substr(0, 65535));

  // Selection in UTF-16 units.
  Memo->SetText(L"\u0101\u0101bc");
  Memo->SetSelStart(1);
  Memo->SetSelLength(2);
  EXPECT_EQ(Memo->SelText(), L"\u0101b");
  EXPECT_EQ(Memo->SelStart(), 1);
}

// What a grid's wide edit events were given.
class TEditLog : public TObject {
public:
  void Get(TObject*, int ACol, int ARow, WideString&) { Gets.push_back(ACol * 10 + ARow); }
  void Set(TObject*, int ACol, int ARow, const WideString& Value) {
    Sets.push_back(std::to_wstring(ACol * 10 + ARow) + L":" + Value);
  }
  std::vector<int> Gets;
  std::vector<WideString> Sets;
};

TEST_F(UniStdCtrlsTest, TypedLetterEndsInTheCellAsUtf8) {
  // Typed with real key events into either grid; the draw grid keeps no
  // text but hands it to its event.
  const auto TypeInto = [&](auto* Grid, TEditLog& Log) {
    TGridOptions Options = Grid->Options();
    Options << goEditing;
    Grid->SetOptions(Options);
    Grid->SetCol(1);
    Grid->SetRow(1);
    Grid->OnGetEditText = TUniGetEditEvent(&Log, &TEditLog::Get);
    Grid->OnSetEditText = TUniSetEditEvent(&Log, &TEditLog::Set);
    SetForegroundWindow(Form->Handle());
    Grid->SetFocus();
    ASSERT_TRUE(WaitUntil("the focus on the grid", [&] { return GetFocus() == Grid->Handle(); }));
    INPUT In[2] = {};
    for (int I = 0; I < 2; ++I) {
      In[I].type = INPUT_KEYBOARD;
      In[I].ki.wScan = 0x0101;
      In[I].ki.dwFlags = KEYEVENTF_UNICODE | (I ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, In, sizeof(INPUT));
    ASSERT_TRUE(WaitUntil("the editor holding the typed letter", [&] {
      return Grid->InplaceEditor() && WideGetControlText(Grid->InplaceEditor()) == L"\u0101";
    }));
    EXPECT_TRUE(IsWindowUnicode(Grid->InplaceEditor()->Handle()));
    SendMessageW(Grid->InplaceEditor()->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Log.Gets, std::vector<int>{11});
    EXPECT_EQ(Log.Sets, std::vector<WideString>{L"11:\u0101"});
  };
  TEditLog Strings, Draw;
  auto* Grid = MakeGrid();
  TypeInto(Grid, Strings);
  EXPECT_EQ(Grid->TStringGrid::Cells(1, 1), "\xC4\x81");
  EXPECT_EQ(Grid->Cells(1, 1), L"\u0101");
  Grid->Free();
  TypeInto(MakeGrid<TUniCustomDrawGrid>(), Draw);
}

TEST_F(UniStdCtrlsTest, OwnerDrawnRowIsTheWideText) {
  auto* List = Make<TUniListBox>(10, 10, 150, 80);
  List->SetStyle(lbOwnerDrawFixed);
  List->SetBorderStyle(bsNone);
  List->Items()->Add(L"\u0101&\u014D");
  const TShot Shot(List);
  const TRect Row = List->ItemRect(0);
  ASSERT_GT(Row.bottom, Row.top);
  const TReference Reference(List->Font(), List->Color(), Row.right - Row.left, Row.bottom - Row.top);
  RECT R = Reference.Rect();
  R.left += 2;
  DrawTextW(Reference.DC(), L"\u0101&\u014D", -1, &R, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  EXPECT_EQ(Reference.Differences(Shot, Row.left, Row.top), 0);

  // The rows keep their height in a new window, and a variable style is
  // asked for each row's: the parent finds the list by its id.
  struct TMeasure : TObject {
    void Measure(TWinControl*, int Index, int& Height) { Height = 20 + Index; }
  } Measure;
  auto* Fixed = Make<TUniListBox>(200, 10, 150, 80);
  Fixed->SetStyle(lbOwnerDrawFixed);
  Fixed->SetItemHeight(18);
  Fixed->Items()->Add(L"x");
  Fixed->SetBorderStyle(bsNone);
  EXPECT_EQ(Fixed->ItemRect(0).bottom - Fixed->ItemRect(0).top, 18);
  auto* Variable = Make<TUniListBox>(200, 100, 150, 80);
  Variable->SetStyle(lbOwnerDrawVariable);
  Variable->OnMeasureItem = TMeasureItemEvent(&Measure, &TMeasure::Measure);
  Variable->Items()->Add(L"x");
  Variable->Items()->Add(L"y");
  EXPECT_EQ(Variable->ItemRect(1).bottom - Variable->ItemRect(1).top, 21);
}

TEST_F(UniStdCtrlsTest, EightBitPathsOffTheUnicodePlatform) {
  IsUnicodePlatform = false;
  auto* List = Make<TUniListBox>(10, 10, 150, 80);
  auto* Memo = Make<TUniCustomMemo>(10, 100, 150, 60);
  auto* Label = Make<TUniLabel>(200, 10);
  EXPECT_FALSE(IsWindowUnicode(List->Handle()));
  EXPECT_FALSE(IsWindowUnicode(Memo->Handle()));
  List->Items()->Add(L"\u0105\u0101");
  char Row[16] = {};
  SendMessageA(List->Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(Row));
  EXPECT_EQ(AnsiString(Row), WideToAnsi(L"\u0105\u0101"));
  EXPECT_EQ(List->Items()->Strings(0), AnsiToWide(WideToAnsi(L"\u0105\u0101")));

  // Selection positions are converted from the 8-bit ones.
  Memo->SetText(L"\u0105\u0105cd");
  Memo->SetSelStart(1);
  Memo->SetSelLength(2);
  EXPECT_EQ(Memo->SelText(), L"\u0105c");
  EXPECT_EQ(Memo->SelStart(), 1);
  EXPECT_EQ(Memo->SelLength(), 2);

  Label->SetCaption(L"");
  EXPECT_GT(Label->Height(), 0);
}

TEST_F(UniStdCtrlsTest, FarEastReadOnlyEditIsMadeWritableThenSet) {
  IsUnicodePlatform = false;
  UniFarEastLocale = true;
  auto* Memo = new TCountingMemo(Form);  // owned by the form
  Memo->SetReadOnly(true);
  Memo->SetParent(Form);
  ASSERT_TRUE(Memo->HandleAllocated());
  EXPECT_EQ(Memo->ReadOnlyMessages, 1);
  EXPECT_NE(GetWindowLongA(Memo->Handle(), GWL_STYLE) & ES_READONLY, 0);

  // Without the flag the style is given at creation.
  UniFarEastLocale = false;
  Memo->RecreateWnd();
  EXPECT_EQ(Memo->ReadOnlyMessages, 1);
  EXPECT_NE(GetWindowLongA(Memo->Handle(), GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(UniStdCtrlsTest, LayoutsAndActionsGiveWideTexts) {
  const std::string Layout = "object Holder: TForm\n"
                             "  object L1: TUniLabel\n"
                             "    Caption = 'x'#257\n"
                             "    Hint = #333'|long'\n"
                             "  end\n"
                             "  object B1: TUniButton\n"
                             "    Caption = '&'#260'b'\n"
                             "  end\n"
                             "  object LB1: TUniListBox\n"
                             "    Items.Strings = (\n"
                             "      #363\n"
                             "      'b')\n"
                             "  end\n"
                             "  object G1: TUniStringGrid\n"
                             "    FixedCols = 0\n"
                             "  end\n"
                             "end\n";
  TStringStream Stream(Layout);
  ReadComponentLayout(&Stream, Form);
  auto* Label = dynamic_cast<TUniLabel*>(Form->FindComponent("L1"));
  auto* Button = dynamic_cast<TUniButton*>(Form->FindComponent("B1"));
  auto* List = dynamic_cast<TUniListBox*>(Form->FindComponent("LB1"));
  ASSERT_TRUE(Label && Button && List && Form->FindComponent("G1"));
  EXPECT_EQ(Label->Caption(), L"x\u0101");
  EXPECT_EQ(Label->Hint(), L"\u014D|long");
  EXPECT_EQ(WindowTextW(Button->Handle()), L"&\u0104b");
  EXPECT_EQ(RowW(List->Handle(), 0), L"\u016B");

  // A label's hint goes to the wide hint window, in its 8-bit form.
  THintInfo Info;
  Info.HintControl = Label;
  Label->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_EQ(Info.HintWindowClass, ClassInfoOf<TUniHintWindow>());
  EXPECT_EQ(Info.HintStr, WideToAnsi(L"\u014D"));

  // A wide action gives its caption to the button.
  auto* Action = new TUniAction(Form);  // owned by the form
  Action->SetCaption(L"\u0112kran");
  Button->SetAction(Action);
  EXPECT_EQ(WindowTextW(Button->Handle()), L"\u0112kran");
  Action->SetCaption(L"\u0101");
  EXPECT_EQ(Button->Caption(), L"\u0101");
}

TEST_F(UniStdCtrlsTest, LabelDrawsLikeTheSystemsWideText) {
  struct TCase {
    bool Enabled;
    const wchar_t* Caption;
  };
  for (const TCase& Case : {TCase{true, L"\u0101b&c"}, TCase{false, L"\u0101b"}}) {
    SCOPED_TRACE(Case.Enabled);
    auto* Label = Make<TUniLabel>(10, 10);
    Label->SetAutoSize(false);
    Label->SetBounds(10, 10, 60, 20);
    Label->SetCaption(Case.Caption);
    Label->SetEnabled(Case.Enabled);
    const TShot Shot(Label);
    const TReference Reference(Label->Font(), Label->Color(), 60, 20);
    HDC DC = Reference.DC();
    RECT R = Reference.Rect();
    SetBkMode(DC, TRANSPARENT);
    const UINT Flags = DT_EXPANDTABS | DT_LEFT;
    if (!Case.Enabled) {
      RECT Moved{1, 1, 61, 21};
      SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
      DrawTextW(DC, Case.Caption, -1, &Moved, Flags);
      SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
    }
    DrawTextW(DC, Case.Caption, -1, &R, Flags);
    const int Differences = Reference.Differences(Shot, 0, 0);
    int Ink = 0;
    for (int Y = 0; Y < 20; ++Y)
      for (int X = 0; X < 60; ++X) Ink += Shot.At(X, Y) != static_cast<COLORREF>(ColorToRGB(Label->Color()));
    EXPECT_EQ(Differences, 0);
    EXPECT_GT(Ink, 0);
    Label->Free();
  }
}

TEST_F(UniStdCtrlsTest, CopySelectionIsWideWhereTheDestinationTakesIt) {
  auto* From = Make<TUniListBox>(10, 10, 150, 80);
  auto* Wide = Make<TUniListBox>(170, 10, 150, 80);
  auto* Ansi = Make<TListBox>(10, 100, 150, 80);
  From->Items()->AddObject(L"\u0101", Data(1));
  From->Items()->AddObject(L"\u0105", Data(2));
  From->SetItemIndex(1);
  From->CopySelection(Wide);
  From->CopySelection(Ansi);
  EXPECT_EQ(RowW(Wide->Handle(), 0), L"\u0105");
  EXPECT_EQ(RowData(Wide->Handle(), 0), 2);
  EXPECT_EQ(Ansi->Items()->Strings(0), "\xB9");
  EXPECT_EQ(Ansi->Items()->Objects(0), Data(2));

  From->SetMultiSelect(true);
  From->SetSelected(0, true);
  From->SetSelected(1, true);
  From->CopySelection(Wide);
  EXPECT_EQ(Wide->Items()->Count(), 3);
  EXPECT_EQ(RowW(Wide->Handle(), 1), L"\u0101");
  EXPECT_EQ(RowData(Wide->Handle(), 2), 2);
}

// ---- bad input ---------------------------------------------------------------

TEST_F(UniStdCtrlsTest, RandomBytesInGridCellsAreDecodedNeverDrawnRaw) {
  TUniStringGrid* Grid = MakeGrid();
  std::mt19937 Random(24);
  std::uniform_int_distribution<int> Byte(0, 255);
  std::uniform_int_distribution<int> Length(0, 12);
  for (int N = 0; N < 10000; ++N) {
    std::string Bytes;
    for (int I = Length(Random); I > 0; --I) Bytes += static_cast<char>(Byte(Random));
    Grid->TStringGrid::SetCells(0, 0, Bytes);
    WideString Expected(Bytes.size() + 1, L'\0');
    Expected.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, Bytes.data(), static_cast<int>(Bytes.size()), Expected.data(),
                            static_cast<int>(Expected.size()))));
    ASSERT_EQ(Grid->Cells(0, 0), Expected) << "sample " << N;
    if (N % 100 != 0 || Expected.empty()) continue;
    const TShot Shot(Grid);
    ASSERT_EQ(CellReference(Grid, &Expected, nullptr)->Differences(Shot, 0, 0), 0) << "sample " << N;
  }
}

TEST_F(UniStdCtrlsTest, RandomRowsThroughPutExchangeMoveAndNewWindows) {
  // Hidden, so that the system list does not paint at every change; its
  // window is made again by hand.
  auto* List = Make<TUniListBox>(10, 10, 150, 100);
  List->SetVisible(false);
  List->HandleNeeded();
  TUniStrings* Items = List->Items();
  std::mt19937 Random(104);
  std::uniform_int_distribution<int> Unit(0, 0xFFFF);
  std::uniform_int_distribution<int> Length(0, 300);
  auto RandomRow = [&] {
    WideString Row;
    for (int I = Length(Random); I > 0; --I) {
      const int Kind = Random() % 8;
      Row += Kind == 0 ? L'\0' : Kind == 1 ? static_cast<WideChar>(0xD800 + Random() % 0x800) : static_cast<WideChar>(Unit(Random));
    }
    return Row;
  };
  auto UpToZero = [](const WideString& S) { return S.substr(0, S.find(L'\0')); };
  struct TRow {
    WideString Text;
    UINT_PTR Data;
  };
  std::vector<TRow> Model;
  for (UINT_PTR I = 0; I < 1000; ++I) {
    const WideString Row = RandomRow();
    Items->AddObject(Row, Data(I + 1));
    Model.push_back({UpToZero(Row), I + 1});
  }
  auto Check = [&](int Step) {
    ASSERT_EQ(Items->Count(), static_cast<int>(Model.size())) << "step " << Step;
    for (size_t I = 0; I < Model.size(); ++I) {
      ASSERT_EQ(RowW(List->Handle(), static_cast<int>(I)), Model[I].Text) << "step " << Step << ", row " << I;
      ASSERT_EQ(static_cast<UINT_PTR>(RowData(List->Handle(), static_cast<int>(I))), Model[I].Data)
          << "step " << Step << ", row " << I;
    }
  };
  std::uniform_int_distribution<int> Index(0, 999);
  for (int Step = 0; Step < 500; ++Step) {
    const int A = Index(Random), B = Index(Random);
    switch (Random() % 3) {
      case 0: {
        const WideString Row = RandomRow();
        Items->Put(A, Row);
        Model[static_cast<size_t>(A)].Text = UpToZero(Row);
        break;
      }
      case 1:
        Items->Exchange(A, B);
        std::swap(Model[static_cast<size_t>(A)], Model[static_cast<size_t>(B)]);
        break;
      default: {
        Items->Move(A, B);
        const TRow Moved = Model[static_cast<size_t>(A)];
        Model.erase(Model.begin() + A);
        Model.insert(Model.begin() + B, Moved);
        break;
      }
    }
    if (Step % 100 == 99) {
      List->SetItemIndex(A);
      List->RecreateWnd();
      List->HandleNeeded();
      ASSERT_EQ(List->ItemIndex(), A) << "step " << Step;
      Check(Step);
    }
  }
}
