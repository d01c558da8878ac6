#include "Grids.h"

#include <algorithm>

#include "Consts.h"
#include "Filer.h"
#include "TypInfo.h"

namespace {

// A press this close to a line of the fixed area sizes the column or row.
constexpr int SizingMargin = 3;

[[noreturn]] void IndexError() { throw EInvalidGridOperation(LoadStr(SGridIndexError)); }

bool InGridRect(const TGridRect& R, int ACol, int ARow) {
  return ACol >= R.Left && ACol <= R.Right && ARow >= R.Top && ARow <= R.Bottom;
}

// Where an index ends up when the line at From moves to To.
int MovedIndex(int Index, int From, int To) {
  if (Index == From) return To;
  if (From < To && Index > From && Index <= To) return Index - 1;
  if (From > To && Index >= To && Index < From) return Index + 1;
  return Index;
}

// Clears a flag when the scope ends, also by an exception.
class TFlagGuard {
public:
  explicit TFlagGuard(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TFlagGuard() { FFlag = false; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
  bool& FFlag;
};

}  // namespace

// ---------------------------------------------------------------------------
// Geometry of one direction

int TCustomGrid::TAxis::Size(int Index) const { return (*Sizes)[static_cast<size_t>(Index)]; }

int TCustomGrid::TAxis::FixedBoundary() const {
  int P = 0;
  for (int I = 0; I < Fixed; ++I) P += Size(I) + Line;
  return P;
}

int TCustomGrid::TAxis::Start(int Index) const {
  if (Index < 0 || Index >= Count) return -1;
  int P = 0;
  if (Index < Fixed) {
    for (int I = 0; I < Index; ++I) P += Size(I) + Line;
  } else {
    if (Index < First) return -1;
    P = FixedBoundary();
    for (int I = First; I < Index && P < Extent; ++I) P += Size(I) + Line;
  }
  return P < Extent ? P : -1;
}

int TCustomGrid::TAxis::CellAt(int P) const {
  if (P < 0 || P >= Extent) return -1;
  int End = 0;
  for (int I = 0; I < Fixed; ++I) {
    End += Size(I) + Line;
    if (P < End) return I;
  }
  for (int I = First; I < Count; ++I) {
    End += Size(I) + Line;
    if (P < End) return I;
  }
  return -1;
}

int TCustomGrid::TAxis::FullVisible() const {
  int P = FixedBoundary();
  int N = 0;
  for (int I = First; I < Count && P + Size(I) <= Extent; ++I) {
    P += Size(I) + Line;
    ++N;
  }
  return std::max(N, 1);
}

int TCustomGrid::TAxis::FirstToShow(int Index) const {
  const int Room = Extent - FixedBoundary();
  int Used = Size(Index);
  int I = Index;
  while (I - 1 >= Fixed && Used + Line + Size(I - 1) <= Room) {
    Used += Line + Size(I - 1);
    --I;
  }
  return I;
}

int TCustomGrid::TAxis::MaxFirst() const { return FirstToShow(Count - 1); }

TCustomGrid::TAxis TCustomGrid::HorzAxisFor(int Extent) const {
  const bool Lines = FOptions.Contains(goVertLine) || FOptions.Contains(goFixedVertLine);
  return TAxis{FColCount, FFixedCols, FTopLeft.X, Extent, Lines ? FGridLineWidth : 0, &FColWidths};
}

TCustomGrid::TAxis TCustomGrid::VertAxisFor(int Extent) const {
  const bool Lines = FOptions.Contains(goHorzLine) || FOptions.Contains(goFixedHorzLine);
  return TAxis{FRowCount, FFixedRows, FTopLeft.Y, Extent, Lines ? FGridLineWidth : 0, &FRowHeights};
}

TCustomGrid::TAxis TCustomGrid::HorzAxis() const { return HorzAxisFor(ClientWidth()); }
TCustomGrid::TAxis TCustomGrid::VertAxis() const { return VertAxisFor(ClientHeight()); }

// ---------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* AGrid) : TWinControl(AGrid), FGrid(AGrid) {
  FControlStyle >> csSetCaption;
  SetVisible(false);
  SetTabStop(false);
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_LEFT;
}

bool TInplaceEdit::Modified() { return HandleAllocated() && Perform(EM_GETMODIFY, 0, 0) != 0; }

void TInplaceEdit::SelectAll() { Perform(EM_SETSEL, 0, -1); }

bool TInplaceEdit::CaretAtEdge(bool End) {
  DWORD Start = 0;
  DWORD Finish = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&Finish));
  if (Start != Finish) return false;
  return End ? Start == static_cast<DWORD>(GetTextLen()) : Start == 0;
}

void TInplaceEdit::UpdateContents() {
  HandleNeeded();
  SetText(FGrid->GetEditText(FGrid->FEditCell.X, FGrid->FEditCell.Y));
  Perform(EM_LIMITTEXT, static_cast<WPARAM>(std::max(FGrid->GetEditLimit(), 0)), 0);
  Perform(EM_SETMODIFY, FALSE, 0);
  SelectAll();
}

TGridCoord TInplaceEdit::EditCell() const { return FGrid->FEditCell; }

AnsiString TInplaceEdit::GridEditText() const { return FGrid->GetEditText(FGrid->FEditCell.X, FGrid->FEditCell.Y); }

int TInplaceEdit::GridEditLimit() const { return FGrid->GetEditLimit(); }

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  const bool ToGrid = [&] {
    switch (Key) {
      case VK_UP:
      case VK_DOWN:
      case VK_PRIOR:
      case VK_NEXT:
        return true;
      case VK_LEFT:
      case VK_HOME:
        return CaretAtEdge(false);
      case VK_RIGHT:
      case VK_END:
        return CaretAtEdge(true);
      case VK_TAB:
        return FGrid->Options().Contains(goTabs);
      default:
        return false;
    }
  }();
  if (ToGrid) {
    FGrid->KeyDown(Key, Shift);
    Key = 0;
  } else if (Key == VK_RETURN) {
    FGrid->HideEditor(true);
    if (FGrid->Options().Contains(goAlwaysShowEditor)) FGrid->ShowEditor();
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    if (FGrid->Options().Contains(goAlwaysShowEditor))
      UpdateContents();
    else
      FGrid->HideEditor(false);
    Key = 0;
  }
}

void TInplaceEdit::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  // A single-line edit only beeps at these.
  if (Key == '\r' || Key == '\x1b' || Key == '\t') Key = '\0';
}

void TInplaceEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TWinControl::WndProc(Message);
      // Enter and Esc end the edit instead of pressing the form's buttons.
      Message.Result |= DLGC_WANTARROWS | DLGC_WANTALLKEYS;
      if (FGrid->Options().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
      return;
    case WM_KILLFOCUS:
      TWinControl::WndProc(Message);
      if (FGrid->EditorMode() && reinterpret_cast<HWND>(Message.WParam) != FGrid->FHandle) FGrid->HideEditor(true);
      return;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomGrid

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csCaptureMouse, csOpaque, csDoubleClicks};
  FColWidths.assign(static_cast<size_t>(FColCount), FDefaultColWidth);
  FRowHeights.assign(static_cast<size_t>(FRowCount), FDefaultRowHeight);
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  SetBounds(0, 0, FDefaultColWidth * FColCount, FDefaultRowHeight * FRowCount);
}

void TCustomGrid::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FInplaceEdit) {
    FInplaceEdit = nullptr;
    FEditorMode = false;
  }
}

void TCustomGrid::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  // Only newly uncovered parts need painting after a resize.
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateScrollRange();
}

void TCustomGrid::ReadSizes(TReader* Reader, bool Cols) {
  Reader->ReadListBegin();
  for (int I = 0; !Reader->EndOfList(); ++I) {
    const int Value = Reader->ReadInteger();
    // Sizes beyond the counts read so far have no column to go to.
    if (Cols && I < FColCount) SetColWidths(I, Value);
    if (!Cols && I < FRowCount) SetRowHeights(I, Value);
  }
  Reader->ReadListEnd();
}

void TCustomGrid::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  Filer->DefineProperty("ColWidths", [this](TReader* Reader) { ReadSizes(Reader, true); }, nullptr, false);
  Filer->DefineProperty("RowHeights", [this](TReader* Reader) { ReadSizes(Reader, false); }, nullptr, false);
}

// --- counts and sizes ---

void TCustomGrid::SetColCount(int Value) {
  Value = std::max(Value, 1);
  if (Value == FColCount) return;
  HideEditor(true);
  const int Old = FColCount;
  FColCount = Value;
  if (FFixedCols >= Value) FFixedCols = Value - 1;
  FColWidths.resize(static_cast<size_t>(Value), FDefaultColWidth);
  auto Fit = [&](int& X) { X = std::clamp(X, FFixedCols, Value - 1); };
  Fit(FCurrent.X);
  Fit(FAnchor.X);
  Fit(FTopLeft.X);
  SizeChanged(Old, FRowCount);
  Invalidate();
  UpdateScrollRange();
}

void TCustomGrid::SetRowCount(int Value) {
  Value = std::max(Value, 1);
  if (Value == FRowCount) return;
  HideEditor(true);
  const int Old = FRowCount;
  FRowCount = Value;
  if (FFixedRows >= Value) FFixedRows = Value - 1;
  FRowHeights.resize(static_cast<size_t>(Value), FDefaultRowHeight);
  auto Fit = [&](int& Y) { Y = std::clamp(Y, FFixedRows, Value - 1); };
  Fit(FCurrent.Y);
  Fit(FAnchor.Y);
  Fit(FTopLeft.Y);
  SizeChanged(FColCount, Old);
  Invalidate();
  UpdateScrollRange();
}

void TCustomGrid::SetFixedCols(int Value) {
  if (Value == FFixedCols) return;
  if (Value < 0) IndexError();
  if (Value >= FColCount) throw EInvalidGridOperation(LoadStr(SFixedColsTooBig));
  HideEditor(true);
  FFixedCols = Value;
  // The current cell starts over at the first non-fixed cell.
  FTopLeft = {FFixedCols, FFixedRows};
  FCurrent = FTopLeft;
  FAnchor = FTopLeft;
  Invalidate();
  UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int Value) {
  if (Value == FFixedRows) return;
  if (Value < 0) IndexError();
  if (Value >= FRowCount) throw EInvalidGridOperation(LoadStr(SFixedRowsTooBig));
  HideEditor(true);
  FFixedRows = Value;
  FTopLeft = {FFixedCols, FFixedRows};
  FCurrent = FTopLeft;
  FAnchor = FTopLeft;
  Invalidate();
  UpdateScrollRange();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  Value = std::max(Value, 0);
  FDefaultColWidth = Value;
  std::fill(FColWidths.begin(), FColWidths.end(), Value);
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  Value = std::max(Value, 0);
  FDefaultRowHeight = Value;
  std::fill(FRowHeights.begin(), FRowHeights.end(), Value);
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
}

int TCustomGrid::ColWidths(int Index) const {
  if (Index < 0 || Index >= FColCount) IndexError();
  return FColWidths[static_cast<size_t>(Index)];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= FColCount) IndexError();
  int& Width = FColWidths[static_cast<size_t>(Index)];
  Value = std::max(Value, 0);
  if (Width == Value) return;
  Width = Value;
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
}

int TCustomGrid::RowHeights(int Index) const {
  if (Index < 0 || Index >= FRowCount) IndexError();
  return FRowHeights[static_cast<size_t>(Index)];
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= FRowCount) IndexError();
  int& Height = FRowHeights[static_cast<size_t>(Index)];
  Value = std::max(Value, 0);
  if (Height == Value) return;
  Height = Value;
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
}

void TCustomGrid::SetGridLineWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == FGridLineWidth) return;
  FGridLineWidth = Value;
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  if (Value == FOptions) return;
  if (!Value.Contains(goEditing)) HideEditor(true);
  FOptions = Value;
  if (!FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomGrid::SetFixedColor(TColor Value) {
  if (Value == FFixedColor) return;
  FFixedColor = Value;
  Invalidate();
}

// Read by the next painting; DrawCell overrides switch it around their own
// drawing, so it must not ask for painting itself.
void TCustomGrid::SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }

void TCustomGrid::SizeChanged(int, int) {}

// --- current cell, selection and scrolling ---

void TCustomGrid::CheckCell(int ACol, int ARow) const {
  if (ACol < FFixedCols || ACol >= FColCount || ARow < FFixedRows || ARow >= FRowCount) IndexError();
}

void TCustomGrid::SetCol(int Value) {
  if (Value != FCurrent.X) MoveCurrent(Value, FCurrent.Y, true, true);
}

void TCustomGrid::SetRow(int Value) {
  if (Value != FCurrent.Y) MoveCurrent(FCurrent.X, Value, true, true);
}

TGridRect TCustomGrid::Selection() const {
  TGridRect R{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
              std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions.Contains(goRowSelect)) {
    R.Left = FFixedCols;
    R.Right = FColCount - 1;
  }
  return R;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
  CheckCell(Value.Left, Value.Top);
  CheckCell(Value.Right, Value.Bottom);
  HideEditor(true);
  const TGridRect Old = Selection();
  FAnchor = {Value.Left, Value.Top};
  FCurrent = {Value.Right, Value.Bottom};
  if (!FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
  InvalidateGridRect(Old);
  InvalidateGridRect(Selection());
  ClampInView(FCurrent);
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool CanSelect = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, CanSelect);
  return CanSelect;
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
  CheckCell(ACol, ARow);
  if (!SelectCell(ACol, ARow)) return;
  const bool WasEditing = FEditorMode;
  HideEditor(true);
  const TGridRect Old = Selection();
  FCurrent = {ACol, ARow};
  if (MoveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
  InvalidateGridRect(Old);
  InvalidateGridRect(Selection());
  if (Show) ClampInView(FCurrent);
  if (WasEditing && FOptions.Contains(goAlwaysShowEditor)) ShowEditor();
  Click();
}

void TCustomGrid::SetLeftCol(int Value) { SetTopLeft(Value, FTopLeft.Y); }
void TCustomGrid::SetTopRow(int Value) { SetTopLeft(FTopLeft.X, Value); }

void TCustomGrid::SetTopLeft(int ALeft, int ATop) {
  ALeft = std::clamp(ALeft, FFixedCols, std::max(FFixedCols, HorzAxis().MaxFirst()));
  ATop = std::clamp(ATop, FFixedRows, std::max(FFixedRows, VertAxis().MaxFirst()));
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
  FTopLeft = {ALeft, ATop};
  Invalidate();
  UpdateScrollRange();
  UpdateEditor();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::ClampInView(TGridCoord Cell) {
  auto Fit = [](const TAxis& A, int Index) {
    if (Index < A.Fixed) return A.First;
    if (Index < A.First) return Index;
    const int Start = A.Start(Index);
    if (Start >= 0 && Start + A.Size(Index) <= A.Extent) return A.First;
    return std::max(A.First, A.FirstToShow(Index));
  };
  SetTopLeft(Fit(HorzAxis(), Cell.X), Fit(VertAxis(), Cell.Y));
}

int TCustomGrid::VisibleColCount() const { return HorzAxis().FullVisible(); }
int TCustomGrid::VisibleRowCount() const { return VertAxis().FullVisible(); }

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
  const TAxis H = HorzAxis();
  const TAxis V = VertAxis();
  const int X = H.Start(ACol);
  const int Y = V.Start(ARow);
  if (X < 0 || Y < 0) return Rect(0, 0, 0, 0);
  return Bounds(X, Y, H.Size(ACol), V.Size(ARow));
}

TGridCoord TCustomGrid::MouseToCell(int X, int Y) const { return {HorzAxis().CellAt(X), VertAxis().CellAt(Y)}; }

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  const TGridCoord C = MouseToCell(X, Y);
  ACol = C.X;
  ARow = C.Y;
}

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated() || FUpdatingScroll) return;
  TFlagGuard Guard(FUpdatingScroll);
  const bool AllowH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  const bool AllowV = FScrollBars == ssVertical || FScrollBars == ssBoth;
  // The client area without the bars; the bars a size needs follow from it.
  RECT R;
  GetClientRect(FHandle, &R);
  const LONG Style = GetWindowLongA(FHandle, GWL_STYLE);
  const int BarW = GetSystemMetrics(SM_CXVSCROLL);
  const int BarH = GetSystemMetrics(SM_CYHSCROLL);
  const int W = R.right + ((Style & WS_VSCROLL) ? BarW : 0);
  const int H = R.bottom + ((Style & WS_HSCROLL) ? BarH : 0);
  auto NeedsH = [&](int Width) { return AllowH && HorzAxisFor(Width).MaxFirst() > FFixedCols; };
  auto NeedsV = [&](int Height) { return AllowV && VertAxisFor(Height).MaxFirst() > FFixedRows; };
  bool NeedH = NeedsH(W);
  bool NeedV = NeedsV(NeedH ? H - BarH : H);
  if (NeedV && !NeedH) NeedH = NeedsH(W - BarW);
  const TAxis HA = HorzAxisFor(W - (NeedV ? BarW : 0));
  const TAxis VA = VertAxisFor(H - (NeedH ? BarH : 0));
  // A larger area may show the end with less scrolling.
  const TGridCoord Clamped{std::min(FTopLeft.X, std::max(FFixedCols, HA.MaxFirst())),
                           std::min(FTopLeft.Y, std::max(FFixedRows, VA.MaxFirst()))};
  const bool Moved = !(Clamped == FTopLeft);
  FTopLeft = Clamped;
  auto SetBar = [&](int Bar, bool Allowed, bool Needed, const TAxis& A) {
    if (!Allowed) return;
    SCROLLINFO SI{};
    SI.cbSize = sizeof(SI);
    SI.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (Needed) {
      SI.nMax = A.Count - A.Fixed - 1;
      SI.nPage = static_cast<UINT>(A.Count - A.MaxFirst());
      SI.nPos = (Bar == SB_HORZ ? FTopLeft.X : FTopLeft.Y) - A.Fixed;
    }
    SetScrollInfo(FHandle, Bar, &SI, TRUE);
  };
  SetBar(SB_HORZ, AllowH, NeedH, HA);
  SetBar(SB_VERT, AllowV, NeedV, VA);
  if (Moved) {
    Invalidate();
    TopLeftChanged();
  }
}

void TCustomGrid::Scroll(bool Horz, int Code, int Position) {
  const TAxis A = Horz ? HorzAxis() : VertAxis();
  int First = A.First;
  switch (Code) {
    case SB_LINEUP: --First; break;
    case SB_LINEDOWN: ++First; break;
    case SB_PAGEUP: First -= A.FullVisible(); break;
    case SB_PAGEDOWN: First += A.FullVisible(); break;
    case SB_TOP: First = A.Fixed; break;
    case SB_BOTTOM: First = A.MaxFirst(); break;
    case SB_THUMBTRACK:
      if (!FOptions.Contains(goThumbTracking)) return;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      SCROLLINFO SI{};
      SI.cbSize = sizeof(SI);
      SI.fMask = SIF_TRACKPOS;
      GetScrollInfo(FHandle, Horz ? SB_HORZ : SB_VERT, &SI);
      // The message holds only 16 bits of the position.
      const int Pos = (SI.nTrackPos & 0xFFFF) == static_cast<int>(Position) ? SI.nTrackPos : Position;
      First = A.Fixed + Pos;
      break;
    }
    default:
      return;
  }
  if (Horz)
    SetTopLeft(First, FTopLeft.Y);
  else
    SetTopLeft(FTopLeft.X, First);
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateGridRect({ACol, ARow, ACol, ARow}); }

void TCustomGrid::InvalidateGridRect(const TGridRect& R) {
  if (!HandleAllocated()) return;
  // The shown part of the block, grid lines included.
  auto Span = [](const TAxis& A, int Lo, int Hi, int& From, int& To) {
    From = A.Extent;
    To = 0;
    for (int I = Lo; I <= Hi; ++I) {
      const int S = A.Start(I);
      if (S < 0) continue;
      From = std::min(From, S);
      To = std::max(To, S + A.Size(I) + A.Line);
    }
    return From < To;
  };
  RECT Box;
  int L, T, Rt, B;
  if (!Span(HorzAxis(), R.Left, R.Right, L, Rt) || !Span(VertAxis(), R.Top, R.Bottom, T, B)) return;
  Box = {L, T, Rt, B};
  InvalidateRect(FHandle, &Box, FALSE);
}

// --- the in-place editor ---

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

AnsiString TCustomGrid::GetEditText(int, int) { return AnsiString(); }
void TCustomGrid::SetEditText(int, int, const AnsiString&) {}
int TCustomGrid::GetEditLimit() { return 0; }

bool TCustomGrid::IsActive() const {
  if (!HandleAllocated()) return false;
  const HWND Focus = GetFocus();
  return Focus == FHandle || (FInplaceEdit && FInplaceEdit->HandleAllocated() && Focus == FInplaceEdit->Handle());
}

void TCustomGrid::ShowEditor() {
  if (!FOptions.Contains(goEditing) || !Showing() || !CanFocus()) return;
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->SetParent(this);
  }
  ClampInView(FCurrent);
  FEditCell = FCurrent;
  FEditorMode = true;
  FInplaceEdit->SetBoundsRect(CellRect(FEditCell.X, FEditCell.Y));
  FInplaceEdit->UpdateContents();
  FInplaceEdit->SetVisible(true);
  FInplaceEdit->SetFocus();
}

void TCustomGrid::HideEditor(bool Commit) {
  if (!FEditorMode || !FInplaceEdit) return;
  if (Commit && FInplaceEdit->Modified()) SetEditText(FEditCell.X, FEditCell.Y, FInplaceEdit->Text());
  FEditorMode = false;
  // The focus stays in the grid when it was in the editor.
  if (FInplaceEdit->Focused()) ::SetFocus(FHandle);
  FInplaceEdit->SetVisible(false);
  InvalidateCell(FEditCell.X, FEditCell.Y);
}

void TCustomGrid::SetEditorMode(bool Value) {
  if (Value)
    ShowEditor();
  else
    HideEditor(true);
}

void TCustomGrid::UpdateEditor() {
  if (FEditorMode && FInplaceEdit) FInplaceEdit->SetBoundsRect(CellRect(FEditCell.X, FEditCell.Y));
}

// --- moving columns and rows ---

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || FromIndex >= FColCount || ToIndex < 0 || ToIndex >= FColCount) IndexError();
  if (FromIndex == ToIndex) return;
  HideEditor(true);
  const int Width = FColWidths[static_cast<size_t>(FromIndex)];
  FColWidths.erase(FColWidths.begin() + FromIndex);
  FColWidths.insert(FColWidths.begin() + ToIndex, Width);
  FCurrent.X = std::clamp(MovedIndex(FCurrent.X, FromIndex, ToIndex), FFixedCols, FColCount - 1);
  FAnchor.X = std::clamp(MovedIndex(FAnchor.X, FromIndex, ToIndex), FFixedCols, FColCount - 1);
  ColumnMoved(FromIndex, ToIndex);
  Invalidate();
  UpdateScrollRange();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || FromIndex >= FRowCount || ToIndex < 0 || ToIndex >= FRowCount) IndexError();
  if (FromIndex == ToIndex) return;
  HideEditor(true);
  const int Height = FRowHeights[static_cast<size_t>(FromIndex)];
  FRowHeights.erase(FRowHeights.begin() + FromIndex);
  FRowHeights.insert(FRowHeights.begin() + ToIndex, Height);
  FCurrent.Y = std::clamp(MovedIndex(FCurrent.Y, FromIndex, ToIndex), FFixedRows, FRowCount - 1);
  FAnchor.Y = std::clamp(MovedIndex(FAnchor.Y, FromIndex, ToIndex), FFixedRows, FRowCount - 1);
  RowMoved(FromIndex, ToIndex);
  Invalidate();
  UpdateScrollRange();
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

// --- painting ---

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

void TCustomGrid::Paint() {
  const TAxis H = HorzAxis();
  const TAxis V = VertAxis();
  TCanvas* C = Canvas();
  const TRect Clip = C->ClipRect();
  const TGridRect Sel = Selection();
  const bool Active = IsActive();
  const TColor BodyLine = ColorToRGB(Color()) == ColorToRGB(clSilver) ? clGray : clSilver;
  auto Shown = [](const TAxis& A) {
    std::vector<int> List;
    for (int I = 0; I < A.Fixed; ++I)
      if (A.Start(I) >= 0) List.push_back(I);
    for (int I = A.First; I < A.Count && A.Start(I) >= 0; ++I) List.push_back(I);
    return List;
  };
  const std::vector<int> Cols = Shown(H);
  const std::vector<int> Rows = Shown(V);
  auto Fill = [&](const TRect& R, TColor Color) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color);
    C->FillRect(R);
  };
  int Right = 0;
  int Bottom = 0;
  for (int ARow : Rows) {
    for (int ACol : Cols) {
      const TRect R = Bounds(H.Start(ACol), V.Start(ARow), H.Size(ACol), V.Size(ARow));
      Right = std::max<int>(Right, R.right + H.Line);
      Bottom = std::max<int>(Bottom, R.bottom + V.Line);
      const TRect Whole = Rect(R.left, R.top, R.right + H.Line, R.bottom + V.Line);
      TRect Common;
      if (!IntersectRect(&Common, &Whole, &Clip)) continue;
      const bool Fixed = ACol < FFixedCols || ARow < FFixedRows;
      TGridDrawState State;
      if (Fixed) {
        State << gdFixed;
      } else {
        if (InGridRect(Sel, ACol, ARow)) State << gdSelected;
        if (Active && ACol == FCurrent.X && ARow == FCurrent.Y) State << gdFocused;
      }
      const bool Highlight =
          State.Contains(gdSelected) &&
          (!State.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect));
      C->Font()->Assign(Font());
      if (Highlight) C->Font()->SetColor(clHighlightText);
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(Fixed ? FFixedColor : Highlight ? clHighlight : Color());
      if (FDefaultDrawing) C->FillRect(R);
      DrawCell(ACol, ARow, R, State);
      if (FDefaultDrawing && Fixed && Ctl3D() && !IsRectEmpty(&R)) {
        RECT Edge = R;
        DrawEdge(C->Handle(), &Edge, BDR_RAISEDINNER, BF_RECT);
      }
      // The lines to the right of and below the cell.
      const bool VLine = FOptions.Contains(Fixed ? goFixedVertLine : goVertLine);
      const bool HLine = FOptions.Contains(Fixed ? goFixedHorzLine : goHorzLine);
      const TColor LineColor = Fixed ? clBlack : BodyLine;
      const TColor Gap = Fixed ? FFixedColor : Color();
      if (H.Line > 0) Fill(Rect(R.right, R.top, R.right + H.Line, R.bottom + V.Line), VLine ? LineColor : Gap);
      if (V.Line > 0) Fill(Rect(R.left, R.bottom, R.right, R.bottom + V.Line), HLine ? LineColor : Gap);
    }
  }
  // What lies beyond the last cells.
  const TRect Client = ClientRect();
  if (Right < Client.right) Fill(Rect(Right, 0, Client.right, Client.bottom), Color());
  if (Bottom < Client.bottom) Fill(Rect(0, Bottom, std::min<int>(Right, Client.right), Client.bottom), Color());
  if (Active && FDefaultDrawing && !FEditorMode) {
    TRect Focus = CellRect(FCurrent.X, FCurrent.Y);
    if (FOptions.Contains(goRowSelect)) {
      const TRect First = CellRect(std::max(FFixedCols, FTopLeft.X), FCurrent.Y);
      if (!IsRectEmpty(&First)) Focus = Rect(First.left, First.top, std::min<int>(Right, Client.right), First.bottom);
    }
    if (!IsRectEmpty(&Focus)) {
      C->Brush()->SetColor(Color());
      C->Font()->SetColor(Font()->Color());
      C->DrawFocusRect(Focus);
    }
  }
}

// --- keyboard ---

void TCustomGrid::MoveAndScroll(int DCol, int DRow, bool MoveAnchor) {
  const int NewCol = std::clamp(FCurrent.X + DCol, FFixedCols, FColCount - 1);
  const int NewRow = std::clamp(FCurrent.Y + DRow, FFixedRows, FRowCount - 1);
  if (NewCol != FCurrent.X || NewRow != FCurrent.Y) MoveCurrent(NewCol, NewRow, MoveAnchor, true);
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  const bool Ctrl = Shift.Contains(ssCtrl);
  const bool RowSelect = FOptions.Contains(goRowSelect);
  const bool MoveAnchor = !(Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect));
  const int Page = VisibleRowCount();
  switch (Key) {
    case VK_UP:
      MoveAndScroll(0, -1, MoveAnchor);
      break;
    case VK_DOWN:
      MoveAndScroll(0, 1, MoveAnchor);
      break;
    case VK_LEFT:
      if (RowSelect)
        SetLeftCol(FTopLeft.X - 1);
      else
        MoveAndScroll(-1, 0, MoveAnchor);
      break;
    case VK_RIGHT:
      if (RowSelect)
        SetLeftCol(FTopLeft.X + 1);
      else
        MoveAndScroll(1, 0, MoveAnchor);
      break;
    case VK_PRIOR:
      if (Ctrl) {
        MoveAndScroll(0, FTopLeft.Y - FCurrent.Y, MoveAnchor);
      } else {
        SetTopRow(FTopLeft.Y - Page);
        MoveAndScroll(0, -Page, MoveAnchor);
      }
      break;
    case VK_NEXT:
      if (Ctrl) {
        MoveAndScroll(0, FTopLeft.Y + Page - 1 - FCurrent.Y, MoveAnchor);
      } else {
        SetTopRow(FTopLeft.Y + Page);
        MoveAndScroll(0, Page, MoveAnchor);
      }
      break;
    case VK_HOME:
      MoveAndScroll(RowSelect ? 0 : FFixedCols - FCurrent.X, (RowSelect || Ctrl) ? FFixedRows - FCurrent.Y : 0,
                    MoveAnchor);
      break;
    case VK_END:
      MoveAndScroll(RowSelect ? 0 : FColCount - 1 - FCurrent.X, (RowSelect || Ctrl) ? FRowCount - 1 - FCurrent.Y : 0,
                    MoveAnchor);
      break;
    case VK_TAB:
      if (!FOptions.Contains(goTabs) || Ctrl || Shift.Contains(ssAlt)) break;
      if (!Shift.Contains(ssShift)) {
        if (FCurrent.X < FColCount - 1)
          MoveAndScroll(1, 0, true);
        else if (FCurrent.Y < FRowCount - 1)
          MoveAndScroll(FFixedCols - FCurrent.X, 1, true);
      } else {
        if (FCurrent.X > FFixedCols)
          MoveAndScroll(-1, 0, true);
        else if (FCurrent.Y > FFixedRows)
          MoveAndScroll(FColCount - 1 - FCurrent.X, -1, true);
      }
      break;
    case VK_F2:
      if (FOptions.Contains(goEditing)) {
        ShowEditor();
        Key = 0;
      }
      break;
    default:
      break;
  }
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (!FOptions.Contains(goEditing) || FEditorMode) return;
  const unsigned char Code = static_cast<unsigned char>(Key);
  if (Key == '\r') {
    ShowEditor();
    Key = '\0';
  } else if (Code >= 32) {
    // The typed character replaces the cell's text.
    ShowEditor();
    if (FEditorMode) {
      TMessage Char{WM_CHAR, Code, 0, 0};
      FInplaceEdit->DefaultHandler(&Char);
      Key = '\0';
    }
  }
}

// --- mouse ---

int TCustomGrid::SizingLineAt(bool Horz, int P) const {
  const TAxis A = Horz ? HorzAxis() : VertAxis();
  for (int I = 0; I < A.Count; ++I) {
    const int S = A.Start(I);
    if (S < 0) {
      if (I >= A.First) break;
      continue;
    }
    const int Line = S + A.Size(I) + A.Line / 2;
    if (P >= Line - SizingMargin && P <= Line + SizingMargin) return I;
  }
  return -1;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FGridState = gsNormal;
  if (Button == mbLeft) {
    if (CanFocus() && !IsActive()) SetFocus();
    if (!IsActive() && CanFocus()) {
      // A handler took the focus elsewhere: the press does nothing here.
      TCustomControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    if (Shift.Contains(ssDouble)) {
      DblClick();
      TCustomControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    const TAxis H = HorzAxis();
    const TAxis V = VertAxis();
    const TGridCoord Cell = MouseToCell(X, Y);
    int Line;
    if (FOptions.Contains(goColSizing) && Y < V.FixedBoundary() && (Line = SizingLineAt(true, X)) >= 0) {
      FGridState = gsColSizing;
      FSizingIndex = Line;
      FSizingStart = X - FColWidths[static_cast<size_t>(Line)];
    } else if (FOptions.Contains(goRowSizing) && X < H.FixedBoundary() && (Line = SizingLineAt(false, Y)) >= 0) {
      FGridState = gsRowSizing;
      FSizingIndex = Line;
      FSizingStart = Y - FRowHeights[static_cast<size_t>(Line)];
    } else if (Cell.X >= 0 && Cell.Y >= 0) {
      if (Cell.Y < FFixedRows && Cell.X >= FFixedCols && FOptions.Contains(goColMoving)) {
        FGridState = gsColMoving;
        FMoveFrom = Cell.X;
      } else if (Cell.X < FFixedCols && Cell.Y >= FFixedRows && FOptions.Contains(goRowMoving)) {
        FGridState = gsRowMoving;
        FMoveFrom = Cell.Y;
      } else if (Cell.X >= FFixedCols && Cell.Y >= FFixedRows) {
        const bool WasCurrent = Cell == FCurrent && !FEditorMode;
        MoveCurrent(Cell.X, Cell.Y, !(Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect)), true);
        FGridState = gsSelecting;
        FClickedCurrent = WasCurrent;
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FGridState != gsNormal && !Shift.Contains(ssLeft)) FGridState = gsNormal;
  switch (FGridState) {
    case gsSelecting: {
      // Past an edge the selection moves on by one cell, which scrolls.
      const TAxis H = HorzAxis();
      const TAxis V = VertAxis();
      auto Target = [](const TAxis& A, int P, int Current) {
        if (P >= A.Extent) return std::min(A.First + A.FullVisible(), A.Count - 1);
        if (P < A.FixedBoundary()) return A.First > A.Fixed ? A.First - 1 : A.Fixed;
        const int I = A.CellAt(P);
        return I >= A.Fixed ? I : Current;
      };
      const int ACol = Target(H, X, FCurrent.X);
      const int ARow = Target(V, Y, FCurrent.Y);
      if (ACol != FCurrent.X || ARow != FCurrent.Y) {
        FClickedCurrent = false;
        MoveCurrent(ACol, ARow, false, true);
      }
      break;
    }
    case gsColSizing:
      SetColWidths(FSizingIndex, X - FSizingStart);
      break;
    case gsRowSizing:
      SetRowHeights(FSizingIndex, Y - FSizingStart);
      break;
    default:
      break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridState State = FGridState;
  FGridState = gsNormal;
  if (Button == mbLeft) {
    const TGridCoord Cell = MouseToCell(X, Y);
    switch (State) {
      case gsSelecting:
        // A second click on the current cell starts editing it.
        if (FClickedCurrent && Cell == FCurrent && FOptions.Contains(goEditing)) ShowEditor();
        break;
      case gsColMoving:
        if (Cell.X >= FFixedCols && Cell.X != FMoveFrom) MoveColumn(FMoveFrom, Cell.X);
        break;
      case gsRowMoving:
        if (Cell.Y >= FFixedRows && Cell.Y != FMoveFrom) MoveRow(FMoveFrom, Cell.Y);
        break;
      default:
        break;
    }
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

// --- messages ---

void TCustomGrid::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      if (FOptions.Contains(goTabs) && !FOptions.Contains(goRowSelect)) Message.Result |= DLGC_WANTTAB;
      if (FOptions.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // The window's own scroll bars (a scroll bar child would name itself).
      if (Message.LParam == 0) {
        Scroll(Message.Msg == WM_HSCROLL, LOWORD(Message.WParam), HIWORD(Message.WParam));
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      FWheelDelta += static_cast<short>(HIWORD(Message.WParam));
      UINT Lines = 3;
      SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &Lines, 0);
      const int Notches = FWheelDelta / WHEEL_DELTA;
      FWheelDelta -= Notches * WHEEL_DELTA;
      if (Notches != 0) SetTopRow(FTopLeft.Y - Notches * static_cast<int>(std::max<UINT>(Lines, 1)));
      return;
    }
    case WM_ERASEBKGND:
      // Paint covers the whole client area.
      Message.Result = 1;
      return;
    case WM_SIZE:
      TCustomControl::WndProc(Message);
      UpdateScrollRange();
      UpdateEditor();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::WndProc(Message);
      InvalidateGridRect(Selection());
      if (Message.Msg == WM_SETFOCUS && FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor) &&
          !(FInplaceEdit && FInplaceEdit->HandleAllocated() &&
            reinterpret_cast<HWND>(Message.WParam) == FInplaceEdit->Handle()))
        ShowEditor();
      return;
    case WM_SETCURSOR:
      if (FGridState == gsNormal && reinterpret_cast<HWND>(Message.WParam) == FHandle &&
          LOWORD(Message.LParam) == HTCLIENT) {
        POINT P;
        GetCursorPos(&P);
        ::ScreenToClient(FHandle, &P);
        const bool InFixedRows = P.y < VertAxis().FixedBoundary();
        const bool InFixedCols = P.x < HorzAxis().FixedBoundary();
        TCursor Cursor = crDefault;
        if (FOptions.Contains(goColSizing) && InFixedRows && SizingLineAt(true, P.x) >= 0)
          Cursor = crHSplit;
        else if (FOptions.Contains(goRowSizing) && InFixedCols && SizingLineAt(false, P.y) >= 0)
          Cursor = crVSplit;
        if (Cursor != crDefault) {
          ::SetCursor(GetCursorHandle(Cursor));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_CANCELMODE:
      FGridState = gsNormal;
      break;
    case CM_CTL3DCHANGED:
      TCustomControl::WndProc(Message);
      if (FBorderStyle == bsSingle) RecreateWnd();
      return;
    default:
      break;
  }
  TCustomControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TDrawGrid

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, Rect, State);
}

AnsiString TDrawGrid::GetEditText(int ACol, int ARow) {
  AnsiString Value;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, Value);
  return Value;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int FromIndex, int ToIndex) {
  if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ---------------------------------------------------------------------------
// TStringGrid

void TStringGrid::CheckIndex(int ACol, int ARow) const {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) IndexError();
}

AnsiString TStringGrid::Cells(int ACol, int ARow) const {
  CheckIndex(ACol, ARow);
  auto It = FCells.find({ACol, ARow});
  return It == FCells.end() ? AnsiString() : It->second.Text;
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
  CheckIndex(ACol, ARow);
  auto It = FCells.find({ACol, ARow});
  return It == FCells.end() ? nullptr : It->second.Object;
}

void TStringGrid::StoreCell(TKey Key, TCell Cell) {
  if (Cell.Text.empty() && !Cell.Object)
    FCells.erase(Key);
  else
    FCells[Key] = std::move(Cell);
  InvalidateCell(Key.first, Key.second);
}

void TStringGrid::SetCells(int ACol, int ARow, const AnsiString& Value) {
  CheckIndex(ACol, ARow);
  StoreCell({ACol, ARow}, TCell{Value, Objects(ACol, ARow)});
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
  CheckIndex(ACol, ARow);
  StoreCell({ACol, ARow}, TCell{Cells(ACol, ARow), Value});
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) {
  if (DefaultDrawing()) Canvas()->TextRect(Rect, Rect.left + 2, Rect.top + 2, Cells(ACol, ARow));
  TDrawGrid::DrawCell(ACol, ARow, Rect, State);
}

AnsiString TStringGrid::GetEditText(int ACol, int ARow) {
  AnsiString Value = Cells(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, Value);
  return Value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  SetCells(ACol, ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  std::map<TKey, TCell> Moved;
  for (auto& [Key, Cell] : FCells) Moved[{MovedIndex(Key.first, FromIndex, ToIndex), Key.second}] = std::move(Cell);
  FCells = std::move(Moved);
  TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
  std::map<TKey, TCell> Moved;
  for (auto& [Key, Cell] : FCells) Moved[{Key.first, MovedIndex(Key.second, FromIndex, ToIndex)}] = std::move(Cell);
  FCells = std::move(Moved);
  TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  std::erase_if(FCells, [&](const auto& Item) { return Item.first.first >= ColCount() || Item.first.second >= RowCount(); });
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

// ---------------------------------------------------------------------------
// Registration

void InitializeGrids() {
  RegisterClass<TCustomGrid, TCustomControl>()
      .Int("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount, 5)
      .Int("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount, 5)
      .Int("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols, 1)
      .Int("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows, 1)
      .Int("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth, 64)
      .Int("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight, 24)
      .Int("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth, 1)
      .Set("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions,
           TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect},
           {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect", "goDrawFocusSelected",
            "goRowSizing", "goColSizing", "goRowMoving", "goColMoving", "goEditing", "goTabs", "goRowSelect",
            "goAlwaysShowEditor", "goThumbTracking"},
           "TGridOptions")
      .Enum("ScrollBars", &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars, ssBoth,
            {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
      .Enum("BorderStyle", &TCustomGrid::BorderStyle, &TCustomGrid::SetBorderStyle, bsSingle, {"bsNone", "bsSingle"})
      .Int("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor, clBtnFace, "TColor")
      .Bool("DefaultDrawing", &TCustomGrid::DefaultDrawing, &TCustomGrid::SetDefaultDrawing, true)
      .Event("OnSelectCell", &TCustomGrid::OnSelectCell)
      .Event("OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged);
  RegisterClass<TDrawGrid, TCustomGrid>()
      .Event("OnDrawCell", &TDrawGrid::OnDrawCell)
      .Event("OnGetEditText", &TDrawGrid::OnGetEditText)
      .Event("OnSetEditText", &TDrawGrid::OnSetEditText)
      .Event("OnColumnMoved", &TDrawGrid::OnColumnMoved)
      .Event("OnRowMoved", &TDrawGrid::OnRowMoved);
  RegisterClass<TStringGrid, TDrawGrid>();
}
