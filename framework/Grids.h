// Grids drawn by the framework itself: the grid base with its geometry,
// selection, scrolling, sizing and in-place editor, the draw grid that hands
// cell drawing to an event, and the string grid that keeps 8-bit cell texts.
//
// Start-up: InitializeGrids() registers the grid classes with the class
// registry so that layouts can create them.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Messages.h"
#include "StdCtrls.h"  // TScrollStyle
#include "SysUtils.h"
#include "Win.h"

class TCustomGrid;

FRAMEWORK_EXCEPTION(EInvalidGridOperation, Exception)

enum TGridOption {
  goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goRowSizing,
  goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

// A cell: X is the column, Y the row.
struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// A block of cells, corners included.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

using TSelectCellEvent = TMethodPtr<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TDrawCellEvent =
    TMethodPtr<void(TObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State)>;
using TGetEditEvent = TMethodPtr<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;
using TSetEditEvent = TMethodPtr<void(TObject* Sender, int ACol, int ARow, const AnsiString& Value)>;
using TMovedEvent = TMethodPtr<void(TObject* Sender, int FromIndex, int ToIndex)>;

// The edit window (a system EDIT) a grid shows over its current cell while
// the cell is edited. Its owner and parent is the grid.
class TInplaceEdit : public TWinControl {
public:
  explicit TInplaceEdit(TCustomGrid* AGrid);

  TCustomGrid* Grid() const { return FGrid; }
  // Whether the user changed the text since UpdateContents.
  bool Modified();
  void SelectAll();
  void WndProc(TMessage& Message) override;

  // Loads the grid's edit text of the cell being edited and its length
  // limit; the text is then unmodified and selected.
  virtual void UpdateContents();

protected:
  // For editors that load their contents themselves: the cell being
  // edited, the grid's edit text of it and the grid's edit limit.
  TGridCoord EditCell() const;
  AnsiString GridEditText() const;
  int GridEditLimit() const;
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

private:
  // The caret is at the start (or the end) with nothing selected.
  bool CaretAtEdge(bool End);

  TCustomGrid* FGrid;
};

// The grid: ColCount x RowCount cells, the first FixedCols columns and
// FixedRows rows fixed (always shown, never selected). The current cell is
// (Col, Row); Selection spans it and the anchor of a range selection.
class TCustomGrid : public TCustomControl {
public:
  explicit TCustomGrid(TComponent* AOwner);

  int ColCount() const { return FColCount; }
  void SetColCount(int Value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  // Raise EInvalidGridOperation unless below ColCount / RowCount. A new
  // count starts the current cell over at the first non-fixed cell.
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int Value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int Value);

  // Setting a default gives every column (row) that size. Layouts may
  // list the sizes as ColWidths = (...) and RowHeights = (...).
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  int ColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int Value);

  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  // Off: the cells are left to DrawCell / OnDrawCell entirely. Read while
  // painting; setting it does not repaint (DrawCell overrides switch it).
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value);

  // The current cell. Setting it asks SelectCell (OnSelectCell) first and
  // raises EInvalidGridOperation for a cell outside the non-fixed area.
  int Col() const { return FCurrent.X; }
  void SetCol(int Value);
  int Row() const { return FCurrent.Y; }
  void SetRow(int Value);
  TGridRect Selection() const;
  void SetSelection(const TGridRect& Value);
  // The first non-fixed column and row shown.
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int Value);
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int Value);
  // Non-fixed columns and rows shown in full (at least one).
  int VisibleColCount() const;
  int VisibleRowCount() const;

  // The cell's rectangle in client coordinates (without its grid lines);
  // an empty rectangle when the cell is not shown.
  TRect CellRect(int ACol, int ARow) const;
  // The cell at a client point: -1 for the coordinate that is on no cell.
  TGridCoord MouseToCell(int X, int Y) const;
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;

  // The in-place editor (made on first use), and whether a cell is being
  // edited. Setting EditorMode shows the editor (with goEditing) or ends the
  // edit, keeping the text.
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);

  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);

  void WndProc(TMessage& Message) override;

  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  // Draws one cell into Rect on Canvas; the canvas has the font and brush
  // for State, and the cell is already filled when DefaultDrawing is on.
  virtual void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State);
  // Whether the cell may become the current one (OnSelectCell).
  virtual bool SelectCell(int ACol, int ARow);
  // The in-place editor's text for a cell, and the edited text coming back.
  virtual AnsiString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);
  // The editor's length limit (0: none).
  virtual int GetEditLimit();
  // Makes the in-place editor (owned by the grid).
  virtual TInplaceEdit* CreateEditor();
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  // ColCount or RowCount changed (from the old counts).
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  virtual void TopLeftChanged();

  // Shows the editor over the current cell (with goEditing) and focuses it.
  void ShowEditor();
  // Ends the edit and hides the editor; with Commit a changed text goes to
  // SetEditText for the cell that was edited.
  void HideEditor(bool Commit);
  // Makes a cell current (see SetCol); MoveAnchor collapses the selection
  // onto it, Show scrolls it into view.
  void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
  void InvalidateCell(int ACol, int ARow);
  void InvalidateGridRect(const TGridRect& R);

private:
  friend class TInplaceEdit;

  // Geometry of one direction: columns across, rows down.
  struct TAxis {
    int Count;
    int Fixed;
    int First;    // LeftCol / TopRow
    int Extent;   // client width / height
    int Line;     // effective grid line width
    const std::vector<int>* Sizes;
    int Size(int Index) const;
    // Where the fixed cells end, and where cell Index starts (-1: not shown).
    int FixedBoundary() const;
    int Start(int Index) const;
    // The cell at pixel P, or -1.
    int CellAt(int P) const;
    // Non-fixed cells from First that fit completely (at least one).
    int FullVisible() const;
    // The largest First that still fills the extent.
    int MaxFirst() const;
    // The First that shows Index completely at the far edge.
    int FirstToShow(int Index) const;
  };
  enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

  TAxis HorzAxis() const;
  TAxis VertAxis() const;
  TAxis HorzAxisFor(int Extent) const;
  TAxis VertAxisFor(int Extent) const;
  bool IsActive() const;
  void CheckCell(int ACol, int ARow) const;
  void SetTopLeft(int ALeft, int ATop);
  void ClampInView(TGridCoord Cell);
  void UpdateScrollRange();
  void Scroll(bool Horz, int Code, int Position);
  void UpdateEditor();
  void ReadSizes(TReader* Reader, bool Cols);
  // The sizing line under a point of the fixed area (-1: none).
  int SizingLineAt(bool Horz, int P) const;
  void DrawLines(const TAxis& H, const TAxis& V);
  void MoveAndScroll(int DCol, int DRow, bool MoveAnchor);

  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  int FGridLineWidth = 1;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = bsSingle;
  TColor FFixedColor = clBtnFace;
  bool FDefaultDrawing = true;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  TInplaceEdit* FInplaceEdit = nullptr;
  bool FEditorMode = false;
  TGridCoord FEditCell{};
  TGridState FGridState = gsNormal;
  int FSizingIndex = -1;
  int FSizingStart = 0;
  int FMoveFrom = -1;
  // The press that started a selection was on the current cell.
  bool FClickedCurrent = false;
  // Wheel movement not yet turned into whole notches.
  int FWheelDelta = 0;
  bool FUpdatingScroll = false;
};

// A grid whose cells are drawn by OnDrawCell, with its edit text from
// OnGetEditText and back to OnSetEditText.
class TDrawGrid : public TCustomGrid {
public:
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

  TDrawCellEvent OnDrawCell;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

protected:
  void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
};

// A grid that keeps an 8-bit text (system code page) and an object
// pointer (not owned) per cell, and draws the text. A cell outside the grid
// raises EInvalidGridOperation; shrinking the grid drops the cells outside.
class TStringGrid : public TDrawGrid {
public:
  explicit TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

  AnsiString Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const AnsiString& Value);
  TObject* Objects(int ACol, int ARow) const;
  void SetObjects(int ACol, int ARow, TObject* Value);

protected:
  void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

private:
  struct TCell {
    AnsiString Text;
    TObject* Object = nullptr;
  };
  using TKey = std::pair<int, int>;  // (column, row)
  void CheckIndex(int ACol, int ARow) const;
  void StoreCell(TKey Key, TCell Cell);

  std::map<TKey, TCell> FCells;
};

// Registers the grid classes and their published properties.
void InitializeGrids();
