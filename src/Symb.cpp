#include "Symb.h"

#include "Main.h"
#include "TypInfo.h"
#include "Win.h"

TFSymbol* FSymbol = nullptr;

namespace {

// The picker's symbols as UTF-8 lines, sixteen to a grid row.
const char* const SymbolLines[] = {
    "\u009D", "\u00AD", "\u2013", "\u2014", "\u02C6", "\u00A1", "\u00A6", "\u00A8", "\u00AF", "\u00B4", "\u00B8", "\u00BF", "\u02C7", "\u02D8", "\u02DC", "\u2018",
    "\u2019", "\u201A", "\u201C", "\u201D", "\u201E", "\u2039", "\u203A", "\u00B1", "\u00AB", "\u00BB", "\u00D7", "\u00F7", "\u00A2", "\u00A3", "\u00A4", "\u00A5",
    "\u00A7", "\u00A9", "\u00AC", "\u00AE", "\u00B0", "\u00B5", "\u00B6", "\u00B7", "\u2020", "\u2021", "\u2022", "\u2026", "\u2030", "\u20AC", "\u00BC", "\u00BD",
    "\u00BE", "\u00B9", "\u00B2", "\u00B3", "\u00AA", "\u00C1", "\u00E1", "\u00C0", "\u00E0", "\u00C2", "\u00E2", "\u00C4", "\u00E4", "\u0102", "\u0103", "\u00C3",
    "\u00E3", "\u00C5", "\u00E5", "\u00C6", "\u00E6", "\u0104", "\u0105", "\u010C", "\u010D", "\u00C7", "\u00E7", "\u0106", "\u0107", "\u010E", "\u010F", "\u0110",
    "\u0111", "\u00F0", "\u00C9", "\u00E9", "\u00C8", "\u00E8", "\u00CA", "\u00EA", "\u00CB", "\u00EB", "\u011A", "\u011B", "\u0118", "\u0119", "\u0192", "\u00CD",
    "\u00ED", "\u00CC", "\u00EC", "\u00CE", "\u00EE", "\u00CF", "\u00EF", "\u0139", "\u013A", "\u013D", "\u013E", "\u0142", "\u0141", "\u0147", "\u0148", "\u00D1",
    "\u00F1", "\u0143", "\u0144", "\u00BA", "\u00D2", "\u00F2", "\u00D4", "\u00F4", "\u00D6", "\u00F6", "\u00D5", "\u00F5", "\u00D8", "\u00F8", "\u0152", "\u0153",
    "\u00D3", "\u00F3", "\u0154", "\u0155", "\u0158", "\u0159", "\u0160", "\u0161", "\u015E", "\u015F", "\u00DF", "\u015A", "\u015B", "\u0164", "\u0165", "\u0162",
    "\u00DE", "\u2122", "\u00DA", "\u00FA", "\u00D9", "\u00F9", "\u00DB", "\u00FB", "\u00DC", "\u00FC", "\u016E", "\u016F", "\u0171", "\u00DD", "\u00FD", "\u0178",
    "\u017D", "\u017E", "\u0179", "\u017A", "\u017B", "\u017C",
};

}  // namespace

// ---------------------------------------------------------------------------
// TSymbolButton

void TSymbolButton::SetWideCaption(const WideString& Value) {
  FWideCaption = Value;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TSymbolButton::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

// The face shows the default frame itself; the window keeps drawing it.
void TSymbolButton::SetButtonStyle(bool) {
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TSymbolButton::WndProc(TMessage& Message) {
  if (Message.Msg == CN_DRAWITEM) {
    DrawFace(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam));
    Message.Result = TRUE;
    return;
  }
  TButton::WndProc(Message);
}

void TSymbolButton::DrawFace(const DRAWITEMSTRUCT& Item) {
  RECT R = Item.rcItem;
  HDC DC = Item.hDC;
  const bool Pushed = (Item.itemState & ODS_SELECTED) != 0;
  if (Default() || (Item.itemState & ODS_FOCUS)) {
    FrameRect(DC, &R, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&R, -1, -1);
  }
  DrawFrameControl(DC, &R, DFC_BUTTON, DFCS_BUTTONPUSH | (Pushed ? DFCS_PUSHED : 0));
  if (Pushed) OffsetRect(&R, 1, 1);
  HGDIOBJ OldFont = SelectObject(DC, Font()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, GetSysColor((Item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(DC, FWideCaption.c_str(), static_cast<int>(FWideCaption.size()), &R,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(DC, OldFont);
  if (Item.itemState & ODS_FOCUS) {
    InflateRect(&R, -4, -4);
    DrawFocusRect(DC, &R);
  }
}

// ---------------------------------------------------------------------------
// TFSymbol

void TFSymbol::FormCreate(TObject*) {
  for (const char* Line : SymbolLines) FSymbols.push_back(UTF8ToWide(Line));
  const int Count = static_cast<int>(FSymbols.size());
  SGS->SetRowCount(Count / 16 + 1);
}

void TFSymbol::FormShow(TObject*) {
  SetTop((FMain->ClientHeight() - (Height() + FMain->PTop->Height())) / 2 + FMain->Top());
  SetLeft((FMain->ClientWidth() - Width()) / 2 + FMain->Left());
}

void TFSymbol::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key != VK_ESCAPE) return;
  Key = 0;
  SetModalResult(mrCancel);
}

WideString TFSymbol::Cell(int ACol, int ARow) const {
  const int Index = ARow * 16 + ACol;
  if (ACol < 0 || ACol >= 16 || ARow < 0 || Index >= static_cast<int>(FSymbols.size())) return WideString();
  return FSymbols[static_cast<size_t>(Index)];
}

void TFSymbol::SGSSelectCell(TObject*, int ACol, int ARow, bool&) {
  const WideString Text = Cell(ACol, ARow);
  FChosen = Text.empty() ? L'?' : Text[0];
  BSym->SetWideCaption(WideString(1, FChosen));
}

void TFSymbol::SGSDrawCell(TObject*, int ACol, int ARow, const TRect& Rect, TGridDrawState) {
  const WideString Text = Cell(ACol, ARow);
  if (Text.empty()) return;
  HDC DC = SGS->Canvas()->Handle();
  RECT R = Rect;
  SetBkMode(DC, TRANSPARENT);
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TFSymbol::SGSDblClick(TObject*) { SetModalResult(mrOk); }

void RegisterSymb() {
  RegisterClass<TSymbolButton, TButton>();
  RegisterClass<TFSymbol, TForm>()
      .Method("FormCreate", &TFSymbol::FormCreate)
      .Method("FormShow", &TFSymbol::FormShow)
      .Method("FormKeyDown", &TFSymbol::FormKeyDown)
      .Method("SGSSelectCell", &TFSymbol::SGSSelectCell)
      .Method("SGSDrawCell", &TFSymbol::SGSDrawCell)
      .Method("SGSDblClick", &TFSymbol::SGSDblClick)
      .Field("SGS", &TFSymbol::SGS)
      .Field("BSym", &TFSymbol::BSym);
}
