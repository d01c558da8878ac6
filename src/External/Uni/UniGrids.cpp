#include "UniGrids.h"

#include <algorithm>

#include "TypInfo.h"
#include "UniGraphics.h"

void TUniInplaceEdit::UpdateContents() {
  HandleNeeded();
  WideSetControlText(this, WideString());
  const TGridCoord Cell = EditCell();
  WideString Text;
  if (auto* Strings = dynamic_cast<TUniStringGrid*>(Grid()))
    Text = Strings->GetWideEditText(Cell.X, Cell.Y);
  else if (auto* Draw = dynamic_cast<TUniCustomDrawGrid*>(Grid()))
    Text = Draw->GetWideEditText(Cell.X, Cell.Y);
  else
    Text = AnsiToWide(GridEditText());
  WideSetControlText(this, Text);
  Perform(EM_LIMITTEXT, static_cast<WPARAM>(std::max(GridEditLimit(), 0)), 0);
  Perform(EM_SETMODIFY, FALSE, 0);
  SelectAll();
}

void TUniStringGrid::DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) {
  if (!DefaultDrawing()) {
    TStringGrid::DrawCell(ACol, ARow, Rect, State);
    return;
  }
  WideCanvasTextRect(Canvas(), Rect, Rect.left + 2, Rect.top + 2, Cells(ACol, ARow));
  SetDefaultDrawing(false);
  try {
    TStringGrid::DrawCell(ACol, ARow, Rect, State);
  } catch (...) {
    SetDefaultDrawing(true);
    throw;
  }
  SetDefaultDrawing(true);
}

void InitializeUniGrids() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  InitializeGrids();
  RegisterClass<TUniStringGrid, TStringGrid>()
      .WStr("Hint", &TUniStringGrid::Hint, &TUniStringGrid::SetHint)
      .Event("OnGetEditText", &TUniStringGrid::OnGetEditText)
      .Event("OnSetEditText", &TUniStringGrid::OnSetEditText);
  RegisterClass<TUniCustomDrawGrid, TDrawGrid>()
      .WStr("Hint", &TUniCustomDrawGrid::Hint, &TUniCustomDrawGrid::SetHint)
      .Event("OnGetEditText", &TUniCustomDrawGrid::OnGetEditText)
      .Event("OnSetEditText", &TUniCustomDrawGrid::OnSetEditText);
}
