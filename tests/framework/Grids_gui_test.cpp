// Grids on real windows: drawing, selection by mouse and keys, scrolling,
// double clicks, the in-place editor, sizing and moving, layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Filer.h"
#include "Grids.h"
#include "Streams.h"

namespace {

void Pump() {
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    if (IsKeyMsg(Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

void SetKeys(std::initializer_list<int> Down) {
  BYTE State[256] = {};
  for (int Key : Down) State[Key] = 0x80;
  SetKeyboardState(State);
}

// A key pressed on the window that has the focus, as the keyboard would.
void PressKey(WORD Key, std::initializer_list<int> Held = {}) {
  SetKeys(Held);
  HWND Target = GetFocus();
  PostMessageA(Target, WM_KEYDOWN, Key, 1);
  Pump();
  PostMessageA(Target, WM_KEYUP, Key, static_cast<LPARAM>(0xC0000001u));
  Pump();
  SetKeys({});
}

void TypeText(const char* Text) {
  for (const char* P = Text; *P; ++P) {
    PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(*P), 1);
    Pump();
  }
}

std::string CellText(TGridCoord C) { return std::to_string(C.X) + "," + std::to_string(C.Y); }

// A top-level host for the grid.
class THost : public TWinControl {
public:
  THost() : TWinControl(nullptr) {
    FControlStyle << csAcceptsControls;
    SetBounds(50, 50, 500, 300);
  }
};

// Receives the grid's events.
class TListener : public TObject {
public:
  std::vector<std::string> Selects;
  int RefuseCol = -1;
  int Clicks = 0;
  int DblClicks = 0;
  void SelectCell(TObject*, int ACol, int ARow, bool& CanSelect) {
    Selects.push_back(std::to_string(ACol) + "," + std::to_string(ARow));
    if (ACol == RefuseCol) CanSelect = false;
  }
  void Click(TObject*) { ++Clicks; }
  void DblClick(TObject*) { ++DblClicks; }
  struct TDrawn {
    int Col, Row;
    TGridDrawState State;
  };
  std::vector<TDrawn> Drawn;
  void DrawCell(TObject*, int ACol, int ARow, const TRect&, TGridDrawState State) {
    Drawn.push_back({ACol, ARow, State});
  }
};

class GridsTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeGrids();
    SetKeys({});
    Host.reset(new THost());
  }
  void TearDown() override {
    Host.reset();
    SetKeys({});
    Pump();
  }
  template <class G> G* MakeGrid() {
    auto* G1 = new G(Host.get());
    G1->SetParent(Host.get());
    G1->OnSelectCell = TSelectCellEvent(&Events, &TListener::SelectCell);
    G1->OnClick = TNotifyEvent(&Events, &TListener::Click);
    G1->OnDblClick = TNotifyEvent(&Events, &TListener::DblClick);
    return G1;
  }
  void Show(TWinControl* Grid) {
    Host->Show();
    Grid->SetFocus();
    Pump();
  }
  void ClickCell(TCustomGrid* Grid, int ACol, int ARow, WPARAM Keys = 0) {
    const TRect R = Grid->CellRect(ACol, ARow);
    ASSERT_FALSE(IsRectEmpty(&R)) << "cell " << ACol << "," << ARow << " not shown";
    const LPARAM At = PointToLParam((R.left + R.right) / 2, (R.top + R.bottom) / 2);
    SendMessageA(Grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | Keys, At);
    SendMessageA(Grid->Handle(), WM_LBUTTONUP, Keys, At);
  }
  static TGridCoord Current(TCustomGrid* Grid) { return {Grid->Col(), Grid->Row()}; }

  TOwned<THost> Host;
  TListener Events;
};

// --- drawing ---

// The pixels of a control painted into a 32-bit bitmap.
class TShot {
public:
  TShot(int W, int H) : FWidth(W), FHeight(H) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = -H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TShot() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TShot(const TShot&) = delete;
  TShot& operator=(const TShot&) = delete;
  HDC DC() const { return FDC; }
  DWORD Pixel(int X, int Y) const {
    GdiFlush();
    return FBits[Y * FWidth + X] & 0xFFFFFF;
  }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

private:
  int FWidth, FHeight;
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
  DWORD* FBits = nullptr;
};

TEST_F(GridsTest, SixteenColumnsWithoutGridLinesDrawTheCellTextsInPlace) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetBorderStyle(bsNone);
  Grid->SetScrollBars(ssNone);
  Grid->SetColCount(16);
  Grid->SetRowCount(3);
  Grid->SetFixedCols(0);
  Grid->SetFixedRows(0);
  Grid->SetDefaultColWidth(16);
  Grid->SetDefaultRowHeight(16);
  Grid->SetGridLineWidth(0);
  Grid->SetBounds(0, 0, 16 * 16, 3 * 16);
  Grid->Font()->SetName("Arial");
  Grid->Font()->SetHeight(-11);
  const char* Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmn";
  for (int R = 0; R < 3; ++R)
    for (int C = 0; C < 16; ++C) Grid->SetCells(C, R, std::string(1, Letters[R * 16 + C]));
  Host->Show();
  Pump();

  // The grid does not have the focus: its current cell (0, 0) shows as
  // selected.
  TShot Got(256, 48);
  Grid->PaintTo(Got.DC(), 0, 0);

  TShot Want(256, 48);
  HFONT Font = Grid->Font()->Handle();
  HGDIOBJ Old = SelectObject(Want.DC(), Font);
  for (int R = 0; R < 3; ++R)
    for (int C = 0; C < 16; ++C) {
      const bool Selected = C == 0 && R == 0;
      SetBkColor(Want.DC(), ColorToRGB(Selected ? clHighlight : clWindow));
      SetTextColor(Want.DC(), ColorToRGB(Selected ? clHighlightText : clWindowText));
      const RECT Cell = Bounds(C * 16, R * 16, 16, 16);
      ExtTextOutA(Want.DC(), Cell.left + 2, Cell.top + 2, ETO_CLIPPED | ETO_OPAQUE, &Cell, &Letters[R * 16 + C], 1,
                  nullptr);
    }
  SelectObject(Want.DC(), Old);

  int Inked = 0;
  const DWORD Window = Want.Pixel(255, 47);  // a corner no letter reaches
  for (int Y = 0; Y < 48; ++Y)
    for (int X = 0; X < 256; ++X) {
      ASSERT_EQ(Got.Pixel(X, Y), Want.Pixel(X, Y)) << "at " << X << "," << Y;
      if (X >= 16 && Want.Pixel(X, Y) != Window) ++Inked;
    }
  EXPECT_GT(Inked, 200);  // the texts really are there
}

TEST_F(GridsTest, DrawGridHandsEachShownCellToOnDrawCellWithItsState) {
  auto* Grid = MakeGrid<TDrawGrid>();
  Grid->OnDrawCell = TDrawCellEvent(&Events, &TListener::DrawCell);
  Grid->SetColCount(4);
  Grid->SetRowCount(4);
  Grid->SetOptions(Grid->Options() << goRangeSelect);
  Grid->SetBounds(0, 0, 300, 120);
  Show(Grid);
  Grid->SetSelection({1, 1, 2, 2});
  Events.Drawn.clear();
  TShot Shot(300, 120);
  Grid->PaintTo(Shot.DC(), 0, 0);

  ASSERT_EQ(Events.Drawn.size(), 16u);
  for (const auto& D : Events.Drawn) {
    const bool Fixed = D.Col == 0 || D.Row == 0;
    const bool Selected = !Fixed && D.Col <= 2 && D.Row <= 2;
    const bool Focused = D.Col == 2 && D.Row == 2;
    const std::string At = std::to_string(D.Col) + "," + std::to_string(D.Row);
    EXPECT_EQ(D.State.Contains(gdFixed), Fixed) << At;
    EXPECT_EQ(D.State.Contains(gdSelected), Selected) << At;
    EXPECT_EQ(D.State.Contains(gdFocused), Focused) << At;
  }
}

// --- selection ---

TEST_F(GridsTest, MouseAndKeysMoveTheCurrentCellAndSelectCellCanRefuse) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetColCount(6);
  Grid->SetRowCount(6);
  Grid->SetBounds(0, 0, 420, 200);  // all cells shown
  Show(Grid);
  EXPECT_EQ(CellText(Current(Grid)), "1,1");

  ClickCell(Grid, 3, 2);
  EXPECT_EQ(CellText(Current(Grid)), "3,2");
  EXPECT_EQ(Events.Selects, (std::vector<std::string>{"3,2"}));
  EXPECT_EQ(Events.Clicks, 1);
  EXPECT_EQ(GetFocus(), Grid->Handle());
  ClickCell(Grid, 0, 4);  // a fixed cell selects nothing
  EXPECT_EQ(CellText(Current(Grid)), "3,2");

  struct Case {
    WORD Key;
    bool Ctrl;
    const char* Expected;
  };
  const Case Cases[] = {
      {VK_RIGHT, false, "4,2"}, {VK_DOWN, false, "4,3"}, {VK_LEFT, false, "3,3"},
      {VK_UP, false, "3,2"},    {VK_HOME, false, "1,2"}, {VK_LEFT, false, "1,2"},  // stays at the first column
      {VK_END, false, "5,2"},   {VK_HOME, true, "1,1"},                          // first cell
      {VK_END, true, "5,5"},                                                     // last cell
  };
  for (const Case& C : Cases) {
    if (C.Ctrl)
      PressKey(C.Key, {VK_CONTROL});
    else
      PressKey(C.Key);
    EXPECT_EQ(CellText(Current(Grid)), C.Expected) << "key " << C.Key << (C.Ctrl ? " with Ctrl" : "");
  }

  // OnSelectCell refusing column 3: neither the keys nor the mouse get there.
  Events.RefuseCol = 3;
  Events.Selects.clear();
  PressKey(VK_LEFT);
  EXPECT_EQ(CellText(Current(Grid)), "4,5");
  PressKey(VK_LEFT);
  EXPECT_EQ(CellText(Current(Grid)), "4,5");
  ClickCell(Grid, 3, 1);
  EXPECT_EQ(CellText(Current(Grid)), "4,5");
  EXPECT_EQ(Events.Selects, (std::vector<std::string>{"4,5", "3,5", "3,1"}));
  EXPECT_THROW(Grid->SetCol(0), EInvalidGridOperation);  // fixed
  EXPECT_THROW(Grid->SetRow(6), EInvalidGridOperation);
}

TEST_F(GridsTest, ShiftAndDraggingExtendARangeSelection) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetColCount(6);
  Grid->SetRowCount(6);
  Grid->SetBounds(0, 0, 420, 200);  // all cells shown
  Show(Grid);
  ClickCell(Grid, 2, 2);
  ClickCell(Grid, 4, 3, MK_SHIFT);
  EXPECT_EQ(Grid->Selection(), (TGridRect{2, 2, 4, 3}));
  PressKey(VK_DOWN, {VK_SHIFT});
  EXPECT_EQ(Grid->Selection(), (TGridRect{2, 2, 4, 4}));
  PressKey(VK_DOWN);
  EXPECT_EQ(Grid->Selection(), (TGridRect{4, 5, 4, 5}));

  // Pressed on one cell, released on another.
  const TRect From = Grid->CellRect(1, 1);
  const TRect To = Grid->CellRect(3, 2);
  SendMessageA(Grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(From.left + 3, From.top + 3));
  SendMessageA(Grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(To.left + 3, To.top + 3));
  SendMessageA(Grid->Handle(), WM_LBUTTONUP, 0, PointToLParam(To.left + 3, To.top + 3));
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(CellText(Current(Grid)), "3,2");

  // Without goRangeSelect the selection is the current cell.
  Grid->SetOptions(Grid->Options() >> goRangeSelect);
  ClickCell(Grid, 2, 2);
  ClickCell(Grid, 4, 4, MK_SHIFT);
  EXPECT_EQ(Grid->Selection(), (TGridRect{4, 4, 4, 4}));

  // With goRowSelect whole rows are selected and Home goes to the first.
  Grid->SetOptions(Grid->Options() << goRowSelect);
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 4, 5, 4}));
  PressKey(VK_HOME);
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 5, 1}));
}

TEST_F(GridsTest, KeysAndScrollBarsScrollSoThatTheCurrentCellStaysShown) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetColCount(3);
  Grid->SetRowCount(40);
  Grid->SetBounds(0, 0, 250, 150);
  Show(Grid);
  auto Shown = [&] {
    const TRect R = Grid->CellRect(Grid->Col(), Grid->Row());
    const TRect C = Grid->ClientRect();
    return !IsRectEmpty(&R) && R.bottom <= C.bottom && R.right <= C.right;
  };
  auto BarPos = [&] {
    SCROLLINFO SI{sizeof(SI), SIF_POS | SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    GetScrollInfo(Grid->Handle(), SB_VERT, &SI);
    return SI.nPos;
  };
  EXPECT_TRUE(GetWindowLongA(Grid->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongA(Grid->Handle(), GWL_STYLE) & WS_HSCROLL);  // three columns fit
  const int Page = Grid->VisibleRowCount();
  ASSERT_GE(Page, 3);

  PressKey(VK_NEXT);
  EXPECT_EQ(Grid->Row(), 1 + Page);
  EXPECT_TRUE(Shown());
  PressKey(VK_END, {VK_CONTROL});
  EXPECT_EQ(Grid->Row(), 39);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(Grid->TopRow(), 40 - Page);
  EXPECT_EQ(BarPos(), Grid->TopRow() - 1);
  PressKey(VK_HOME, {VK_CONTROL});
  EXPECT_EQ(Grid->TopRow(), 1);
  EXPECT_EQ(BarPos(), 0);

  // The scroll bar moves the rows, not the current cell.
  SendMessageA(Grid->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  SendMessageA(Grid->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Grid->TopRow(), 2 + Page);
  EXPECT_EQ(BarPos(), 1 + Page);
  EXPECT_EQ(Grid->Row(), 1);
  SendMessageA(Grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Grid->TopRow(), 40 - Page);
  PressKey(VK_DOWN);  // the current cell comes back into view
  EXPECT_EQ(Grid->Row(), 2);
  EXPECT_TRUE(Shown());

  // Rows that all fit need no scroll bar and no scrolling.
  Grid->SetRowCount(5);
  EXPECT_FALSE(GetWindowLongA(Grid->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(Grid->TopRow(), 1);
}

TEST_F(GridsTest, DoubleClickReachesOnDblClick) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetBounds(0, 0, 330, 130);
  Show(Grid);
  EXPECT_TRUE(GetClassLongA(Grid->Handle(), GCL_STYLE) & CS_DBLCLKS);
  const TRect R = Grid->CellRect(2, 2);
  const LPARAM At = PointToLParam(R.left + 4, R.top + 4);
  SendMessageA(Grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
  SendMessageA(Grid->Handle(), WM_LBUTTONUP, 0, At);
  SendMessageA(Grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At);
  SendMessageA(Grid->Handle(), WM_LBUTTONUP, 0, At);
  EXPECT_EQ(Events.DblClicks, 1);
  EXPECT_EQ(CellText(Current(Grid)), "2,2");
  EXPECT_EQ(GetCapture(), nullptr);
}

// --- the in-place editor ---

TEST_F(GridsTest, EditorStartsWithF2OrTypingCommitsWithEnterAndCancelsWithEsc) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetBounds(0, 0, 330, 130);
  Grid->SetCells(1, 1, "old");
  Show(Grid);
  PressKey(VK_F2);  // no goEditing: no editor
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->InplaceEditor(), nullptr);

  Grid->SetOptions(Grid->Options() << goEditing);
  PressKey(VK_F2);
  ASSERT_TRUE(Grid->EditorMode());
  TInplaceEdit* Editor = Grid->InplaceEditor();
  ASSERT_NE(Editor, nullptr);
  EXPECT_EQ(GetFocus(), Editor->Handle());
  EXPECT_EQ(Editor->Text(), "old");
  TypeText("new");  // replaces the selected text
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_FALSE(IsWindowVisible(Editor->Handle()));
  EXPECT_EQ(GetFocus(), Grid->Handle());
  EXPECT_EQ(Grid->Cells(1, 1), "old");

  TypeText("x");  // typing on the grid starts the editor with that character
  ASSERT_TRUE(Grid->EditorMode());
  TypeText("yz");
  PressKey(VK_RETURN);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 1), "xyz");

  // Moving on commits too, to the cell that was edited.
  PressKey(VK_F2);
  TypeText("\xB9");  // "ą" in code page 1250
  PressKey(VK_DOWN);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 1), "\xB9");
  EXPECT_EQ(CellText(Current(Grid)), "1,2");
}

// --- sizing and moving ---

TEST_F(GridsTest, FixedLinesSizeColumnsAndFixedCellsMoveRowsWithTheirCells) {
  auto* Grid = MakeGrid<TStringGrid>();
  Grid->SetBounds(0, 0, 330, 130);
  Grid->SetOptions(Grid->Options() << goColSizing << goRowMoving);
  for (int R = 0; R < 5; ++R) Grid->SetCells(1, R, "r" + std::to_string(R));
  Show(Grid);

  // Column 1's right line in the fixed row, dragged 20 pixels on.
  const TRect Head = Grid->CellRect(1, 0);
  const int Y = Head.top + 5;
  SendMessageA(Grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Head.right, Y));
  SendMessageA(Grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(Head.right + 20, Y));
  SendMessageA(Grid->Handle(), WM_LBUTTONUP, 0, PointToLParam(Head.right + 20, Y));
  EXPECT_EQ(Grid->ColWidths(1), 84);
  EXPECT_EQ(Grid->ColWidths(2), 64);

  // Row 1's fixed cell dropped on row 3.
  const TRect From = Grid->CellRect(0, 1);
  const TRect To = Grid->CellRect(0, 3);
  SendMessageA(Grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(From.left + 5, From.top + 5));
  SendMessageA(Grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(To.left + 5, To.top + 5));
  SendMessageA(Grid->Handle(), WM_LBUTTONUP, 0, PointToLParam(To.left + 5, To.top + 5));
  std::vector<std::string> Column;
  for (int R = 0; R < 5; ++R) Column.push_back(Grid->Cells(1, R));
  EXPECT_EQ(Column, (std::vector<std::string>{"r0", "r2", "r3", "r1", "r4"}));
}

// --- properties ---

TEST_F(GridsTest, CountsAndCellsRefuseIndexesOutsideTheGrid) {
  auto* Grid = MakeGrid<TStringGrid>();
  EXPECT_THROW(Grid->SetFixedCols(5), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetFixedRows(-1), EInvalidGridOperation);
  EXPECT_THROW(Grid->Cells(5, 0), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetCells(0, -1, "x"), EInvalidGridOperation);
  EXPECT_THROW(Grid->ColWidths(5), EInvalidGridOperation);

  // Fewer columns take the fixed count, the current cell and the cells
  // beyond with them.
  Grid->SetCells(4, 4, "far");
  Grid->SetCol(4);
  Grid->SetColCount(1);
  EXPECT_EQ(Grid->FixedCols(), 0);
  EXPECT_EQ(Grid->Col(), 0);
  Grid->SetColCount(5);
  EXPECT_EQ(Grid->Cells(4, 4), "");
}

// A grid read from a layout, as the symbol picker's is.
class TGridForm : public TWinControl {
public:
  explicit TGridForm(TComponent* AOwner) : TWinControl(AOwner) { FControlStyle << csAcceptsControls; }
};

TEST_F(GridsTest, LayoutSetsTheGridsPublishedPropertiesAndColumnWidths) {
  TOwned<TGridForm> Form(Create<TGridForm>(nullptr));
  TStringStream Layout(
      "object GridForm: TGridForm\n"
      "  object SGS: TStringGrid\n"
      "    Width = 320\n"
      "    Height = 320\n"
      "    ColCount = 16\n"
      "    DefaultColWidth = 16\n"
      "    DefaultRowHeight = 16\n"
      "    FixedCols = 0\n"
      "    FixedRows = 0\n"
      "    GridLineWidth = 0\n"
      "    Options = [goFixedVertLine, goFixedHorzLine, goDrawFocusSelected]\n"
      "    ScrollBars = ssVertical\n"
      "    ColWidths = (\n"
      "      20\n"
      "      30)\n"
      "  end\n"
      "end\n");
  ReadComponentLayout(&Layout, Form.get());
  auto* Grid = dynamic_cast<TStringGrid*>(Form->FindComponent("SGS"));
  ASSERT_NE(Grid, nullptr);
  EXPECT_EQ(Grid->Parent(), Form.get());
  EXPECT_EQ(Grid->ColCount(), 16);
  EXPECT_EQ(Grid->FixedCols(), 0);
  EXPECT_EQ(Grid->GridLineWidth(), 0);
  EXPECT_EQ(Grid->Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goDrawFocusSelected}));
  EXPECT_EQ(Grid->ScrollBars(), ssVertical);
  EXPECT_EQ(Grid->ColWidths(0), 20);
  EXPECT_EQ(Grid->ColWidths(1), 30);
  EXPECT_EQ(Grid->ColWidths(2), 16);
  EXPECT_EQ(CellText(Current(Grid)), "0,0");
}

}  // namespace
