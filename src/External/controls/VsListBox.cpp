#include "VsListBox.h"

#include <algorithm>
#include <cmath>

#include <windowsx.h>

#include "Filer.h"
#include "Forms.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "VsCLabel.h"
#include "VsStrUtils.h"
#include "VsUxTheme.h"

namespace {

const char* const SListIndexOutOfBounds = "List index out of bounds (%d)";
const char* const SUnableToInsertLine = "Unable to insert a line";
const char* const SNoVirtualStyles = "TVsListBox do not support virtual styles: lbVirtual, lbVirtualOwnerDraw";

// Posted to the list box once the line hint's window has hidden itself:
// the window is not freed inside its own procedure.
constexpr UINT VS_LBRELEASEHINT = WM_APP + 0x0B05;
// The rows of a list box window hold at most this height.
constexpr int MaxRowHeight = 255;
constexpr int CheckBoxSize = 13;
// The check-box part of the "BUTTON" class and its first states.
constexpr int BP_CHECKBOX_PART = 3;
constexpr int CBS_UNCHECKED_STATE = 1;
constexpr int CBS_DISABLED_OFFSET = 3;

// Value into Field; false when it was there already.
template <class T> bool Store(T& Field, T Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

// The library's upper case of every UTF-16 unit, so that rows are compared
// in place, unit by unit.
const WideChar* UpperCaseTable() {
  static const WideString Table = [] {
    WideString All(0x10000, L'\0');
    for (int I = 0; I < 0x10000; ++I) All[I] = static_cast<WideChar>(I);
    return VsWideUpperCase(All);
  }();
  return Table.data();
}

// Lends the row's DC to the canvas and gives the DC its own state back.
class TLentCanvas {
public:
  TLentCanvas(TControlCanvas* Canvas, HDC DC) : FCanvas(Canvas), FDC(DC), FSaved(SaveDC(DC)) {
    FCanvas->FreeHandle();
    FCanvas->SetHandle(DC);
  }
  ~TLentCanvas() {
    FCanvas->SetHandle(nullptr);
    RestoreDC(FDC, FSaved);
  }
  TLentCanvas(const TLentCanvas&) = delete;
  TLentCanvas& operator=(const TLentCanvas&) = delete;

private:
  TControlCanvas* FCanvas;
  HDC FDC;
  int FSaved;
};

TColor ReadColor(TReader* Reader) {
  if (Reader->NextValue() == vaIdent) {
    const AnsiString Ident = Reader->ReadIdent();
    Integer Color = 0;
    if (!IdentToColor(Ident, Color)) throw EReadError("Invalid property value: " + Ident);
    return static_cast<TColor>(Color);
  }
  return static_cast<TColor>(Reader->ReadInteger());
}

}  // namespace

// ---------------------------------------------------------------------------
// TVsListBoxStrings

void TVsListBoxStrings::InsertRow(int Index) {
  if (!FListBox->HandleAllocated()) return;
  const LRESULT Result = FListBox->InsertPlaceholder(Index);
  if (Result >= 0) return;
  // The string must not stay without its row.
  TVsWideStringList::Delete(Index);
  FListBox->RowDeleted(Index);
  throw EOutOfResources(SUnableToInsertLine);
}

int TVsListBoxStrings::Add(const WideString& S) {
  FListBox->HandleNeededIfParented();
  const int Before = Count();
  const int Index = TVsWideStringList::Add(S);
  // A sorted list that ignores a duplicate adds nothing.
  if (Count() > Before) {
    FListBox->RowInserted(Index);
    InsertRow(Index);
  }
  return Index;
}

void TVsListBoxStrings::Insert(int Index, const WideString& S) {
  if (Index < 0 || Index > Count()) throw EListError(Format(SListIndexOutOfBounds, Index));
  FListBox->HandleNeededIfParented();
  TVsWideStringList::Insert(Index, S);
  FListBox->RowInserted(Index);
  InsertRow(Index);
}

void TVsListBoxStrings::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexOutOfBounds, Index));
  if (FListBox->HandleAllocated()) FListBox->DeleteString(Index);
  TVsWideStringList::Delete(Index);
  FListBox->RowDeleted(Index);
}

void TVsListBoxStrings::Clear() {
  TVsWideStringList::Clear();
  FListBox->RowsCleared();
  if (FListBox->HandleAllocated()) FListBox->ResetContent();
}

void TVsListBoxStrings::Exchange(int Index1, int Index2) {
  if (Index1 == Index2) return;
  for (int Index : {Index1, Index2})
    if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexOutOfBounds, Index));
  BeginUpdate();
  try {
    TVsWideStringList::Exchange(Index1, Index2);
    FListBox->RowsExchanged(Index1, Index2);
    // The selection stays on its row.
    const int Selected = FListBox->ItemIndex();
    if (Selected == Index1)
      FListBox->SetItemIndex(Index2);
    else if (Selected == Index2)
      FListBox->SetItemIndex(Index1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TVsListBoxStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  for (int Index : {CurIndex, NewIndex})
    if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexOutOfBounds, Index));
  if (Sorted()) Error("Operation not allowed on sorted list", 0);
  BeginUpdate();
  try {
    const TCustomVsListBox::TRowData Row = FListBox->RowAt(CurIndex);
    TVsWideStringList::Move(CurIndex, NewIndex);
    FListBox->SetRowAt(NewIndex, Row);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TVsListBoxStrings::SetUpdateState(bool Updating) {
  if (FListBox->HandleAllocated()) {
    SendMessageW(FListBox->Handle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating) FListBox->Refresh();
  }
  TVsWideStringList::SetUpdateState(Updating);
}

void TVsListBoxStrings::Refill() {
  const HWND Wnd = FListBox->Handle();
  SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
  for (int I = 0, N = Count(); I < N; ++I)
    if (FListBox->InsertPlaceholder(I) < 0) {
      SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0);
      throw EOutOfResources(SUnableToInsertLine);
    }
  if (UpdateCount() == 0) SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0);
}

// ---------------------------------------------------------------------------
// TCustomVsListBox

TCustomVsListBox::TCustomVsListBox(TComponent* AOwner)
    : TVsXPThemedControl(AOwner),
      FController(new TVsSBController(this)),
      FCanvas(new TControlCanvas()),
      FImageFormLink(new TImgFormChangeLink()),
      FItems(new TVsListBoxStrings(this)),
      FBackground(new TBitmap()),
      FSelectedFont(new TFont()),
      FImagesLink(new TChangeLink()),
      FAlphaLink(new TChangeLink()),
      FInput(new TVsKeyboardInput()) {
  SetBounds(Left(), Top(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  FControlStyle = {csSetCaption, csDoubleClicks};
  FCanvas->SetControl(this);
  FSelectedFont->SetColor(clHighlightText);
  FSelectedFont->OnChange = TNotifyEvent(this, &TCustomVsListBox::SelectedFontChanged);
  FBackground->OnChange = TNotifyEvent(this, &TCustomVsListBox::BackgroundChanged);
  FImagesLink->OnChange = TNotifyEvent(this, &TCustomVsListBox::ImagesChanged);
  FAlphaLink->OnChange = TNotifyEvent(this, &TCustomVsListBox::BackgroundChanged);
  FImageFormLink->OnChange = TImgFormChangeEvent(this, &TCustomVsListBox::ImageFormChanged);
  FController->SetUseXPThemes(true);
}

TCustomVsListBox::~TCustomVsListBox() {
  StopSearchThread();
  FInput.reset();
  StopLineHint();
  if (FImageForm) FImageForm->UnregisterChanges(FImageFormLink.get());
  if (FImages) FImages->UnRegisterChanges(FImagesLink.get());
  if (FAlphaForImages) FAlphaForImages->UnRegisterChanges(FAlphaLink.get());
}

LRESULT TCustomVsListBox::InsertPlaceholder(int Index) {
  // Straight to the system list box: a row of a long list costs no trip
  // through the control's message chain.
  const LRESULT Result = CallWindowProcW(DefWndProc(), Handle(), LB_INSERTSTRING, static_cast<WPARAM>(Index),
                                         reinterpret_cast<LPARAM>(L""));
  if (FHorizontalScroll && Result >= 0) {
    const int Width = GetItemWidth(static_cast<int>(Result));
    if (Width > FMaxItemWidth) {
      FMaxItemWidth = Width;
      SetHorizontalExtent();
    }
  }
  return Result;
}

void TCustomVsListBox::HandleNeededIfParented() {
  if (!HandleAllocated() && (Parent() || ParentWindow())) HandleNeeded();
}

TCustomVsListBox::TRowData TCustomVsListBox::RowAt(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FRows.size()) ? FRows[Index] : TRowData();
}

void TCustomVsListBox::SetRowAt(int Index, const TRowData& Row) {
  if (Index >= 0 && Index < static_cast<int>(FRows.size())) FRows[Index] = Row;
}

void TCustomVsListBox::RowInserted(int Index) {
  if (Index >= 0 && Index <= static_cast<int>(FRows.size())) FRows.insert(FRows.begin() + Index, TRowData());
}

void TCustomVsListBox::RowDeleted(int Index) {
  if (Index >= 0 && Index < static_cast<int>(FRows.size())) FRows.erase(FRows.begin() + Index);
  if (FExtentDirty) {
    FExtentDirty = false;
    ResetHorizontalExtent();
  }
}

void TCustomVsListBox::RowsExchanged(int Index1, int Index2) {
  const int N = static_cast<int>(FRows.size());
  if (Index1 >= 0 && Index1 < N && Index2 >= 0 && Index2 < N) std::swap(FRows[Index1], FRows[Index2]);
}

// --- accessors ---------------------------------------------------------------

int TCustomVsListBox::ItemIndex() const {
  if (!HandleAllocated()) return -1;
  auto* Self = const_cast<TCustomVsListBox*>(this);
  return static_cast<int>(Self->Perform(FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomVsListBox::SetItemIndex(int Value) {
  HandleNeededIfParented();
  if (!HandleAllocated() || ItemIndex() == Value) return;
  Perform(FMultiSelect ? LB_SETCARETINDEX : LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

int TCustomVsListBox::TopIndex() const {
  if (!HandleAllocated()) return 0;
  return static_cast<int>(const_cast<TCustomVsListBox*>(this)->Perform(LB_GETTOPINDEX, 0, 0));
}

void TCustomVsListBox::SetTopIndex(int Value) {
  HandleNeededIfParented();
  if (HandleAllocated() && TopIndex() != Value) Perform(LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

int TCustomVsListBox::SelCount() const {
  if (!HandleAllocated()) return 0;
  return static_cast<int>(const_cast<TCustomVsListBox*>(this)->Perform(LB_GETSELCOUNT, 0, 0));
}

bool TCustomVsListBox::Selected(int Index) const {
  const LRESULT Result =
      HandleAllocated() ? const_cast<TCustomVsListBox*>(this)->Perform(LB_GETSEL, static_cast<WPARAM>(Index), 0) : -1;
  if (Result == -1) throw EListError(Format(SListIndexOutOfBounds, Index));
  return Result != 0;
}

int TCustomVsListBox::ItemHeight() const {
  if (HandleAllocated() && FStyle == lbOwnerDrawVariable) {
    RECT R{};
    const_cast<TCustomVsListBox*>(this)->Perform(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&R));
    return R.bottom - R.top;
  }
  return FItemHeight;
}

void TCustomVsListBox::SetItemHeight(int Value) {
  // The system list box keeps no row taller than a byte's worth.
  if (Value <= 0 || Value > MaxRowHeight || Value == FItemHeight) return;
  FItemHeight = Value;
  RecreateWnd();
}

TCheckBoxState TCustomVsListBox::State(int Index) const {
  if (Index < 0 || Index >= FItems->Count() || Index >= static_cast<int>(FRows.size())) return cbUnchecked;
  return static_cast<TCheckBoxState>(FRows[Index].State);
}

void TCustomVsListBox::SetState(int Index, TCheckBoxState Value) {
  if (Index < 0 || Index >= FItems->Count() || Index >= static_cast<int>(FRows.size())) return;
  if (Value == cbGrayed && !FAllowGrayed) Value = cbUnchecked;
  if (FRows[Index].State == Value) return;
  FRows[Index].State = static_cast<unsigned char>(Value);
  if (HandleAllocated()) {
    const TRect R = ItemRect(Index);
    InvalidateRect(Handle(), &R, FALSE);
  }
}

int TCustomVsListBox::ImageIndex(int Index) const {
  if (Index < 0 || Index >= FItems->Count() || Index >= static_cast<int>(FRows.size())) return -1;
  return FRows[Index].Image;
}

void TCustomVsListBox::SetImageIndex(int Index, int Value) {
  if (Index < 0 || Index >= FItems->Count() || Index >= static_cast<int>(FRows.size())) return;
  FRows[Index].Image = Value < 0 ? -1 : Value;
  if (HandleAllocated()) {
    const TRect R = ItemRect(Index);
    InvalidateRect(Handle(), &R, FALSE);
  }
}

TRect TCustomVsListBox::ItemRect(int Index) const {
  const int Count = FItems->Count();
  if (!HandleAllocated() || Index < 0 || Index > Count) return TRect{0, 0, 0, 0};
  auto* Self = const_cast<TCustomVsListBox*>(this);
  RECT R{};
  if (Index < Count || Index == 0) {
    Self->Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&R));
    return R;
  }
  Self->Perform(LB_GETITEMRECT, static_cast<WPARAM>(Count - 1), reinterpret_cast<LPARAM>(&R));
  OffsetRect(&R, 0, R.bottom - R.top);
  return R;
}

int TCustomVsListBox::ItemAtPos(const TPoint& Pos, bool Existing) const {
  if (HandleAllocated()) {
    RECT Client{};
    GetClientRect(const_cast<TCustomVsListBox*>(this)->Handle(), &Client);
    if (PtInRect(&Client, Pos)) {
      for (int I = std::max(TopIndex(), 0), N = FItems->Count(); I < N; ++I) {
        const TRect R = ItemRect(I);
        if (R.top > Client.bottom) break;
        if (PtInRect(&R, Pos)) return I;
      }
      if (!Existing) return FItems->Count();
    }
  }
  return -1;
}

LRESULT TCustomVsListBox::GetItemData(int Index) { return Perform(LB_GETITEMDATA, static_cast<WPARAM>(Index), 0); }

void TCustomVsListBox::SetItemData(int Index, LRESULT Data) {
  Perform(LB_SETITEMDATA, static_cast<WPARAM>(Index), Data);
}

void TCustomVsListBox::ResetContent() { Perform(LB_RESETCONTENT, 0, 0); }

void TCustomVsListBox::DeleteString(int Index) { Perform(LB_DELETESTRING, static_cast<WPARAM>(Index), 0); }

// --- setters ---------------------------------------------------------------

void TCustomVsListBox::SetUseCustomScrollBars(bool Value) {
  if (!Store(FUseCustomScrollBars, Value)) return;
  if (!HandleAllocated()) return;
  if (Value) {
    FController->SetControl(this);
    if (!FController->IsActive()) {
      FUseCustomScrollBars = false;
      FController->SetControl(nullptr);
    }
  } else {
    FController->SetControl(nullptr);
  }
}

void TCustomVsListBox::SetUseXPThemes(bool Value) {
  TVsXPThemedControl::SetUseXPThemes(Value);
  FController->SetUseXPThemes(Value);
}

void TCustomVsListBox::SetBorderStyle(TBorderStyle Value) {
  if (!Store(FBorderStyle, Value)) return;
  RecreateWnd();
}

void TCustomVsListBox::SetColumns(int Value) {
  if (Value < 0) Value = 0;
  if (FColumns == Value) return;
  const bool Switch = (FColumns == 0) != (Value == 0);
  FColumns = Value;
  if (Switch)
    RecreateWnd();
  else
    SetColumnWidth();
}

void TCustomVsListBox::SetColumnWidth() {
  if (HandleAllocated() && FColumns > 0 && Width() > 0)
    Perform(LB_SETCOLUMNWIDTH, static_cast<WPARAM>(std::max(1, (Width() + FColumns - 3) / FColumns)), 0);
}

void TCustomVsListBox::SetExtendedSelect(bool Value) {
  if (!Store(FExtendedSelect, Value)) return;
  RecreateWnd();
}

void TCustomVsListBox::SetIntegralHeight(bool Value) {
  if (!Store(FIntegralHeight, Value)) return;
  RecreateWnd();
  RequestAlign();
}

void TCustomVsListBox::SetMultiSelect(bool Value) {
  if (!Store(FMultiSelect, Value)) return;
  RecreateWnd();
}

void TCustomVsListBox::SetSorted(bool Value) {
  if (!Store(FSorted, Value)) return;
  FItems->SetSorted(Value);
  if (HandleAllocated()) Invalidate();
}

void TCustomVsListBox::SetTabWidth(int Value) {
  if (Value < 0) Value = 0;
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  RecreateWnd();
}

void TCustomVsListBox::SetStyle(TListBoxStyle Value) {
  if (Value == lbVirtual || Value == lbVirtualOwnerDraw) {
    const TComponentState S = ComponentState();
    if (S.Contains(csDesigning) && !S.Contains(csReading)) throw Exception(SNoVirtualStyles);
    Value = Value == lbVirtual ? lbStandard : lbOwnerDrawFixed;
  }
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomVsListBox::SetActiveBorderType(TVsFlatBorderType Value) {
  if (!Store(FActiveBorderType, Value)) return;
  RedrawBorder();
}

void TCustomVsListBox::SetInactiveBorderType(TVsFlatBorderType Value) {
  if (!Store(FInactiveBorderType, Value)) return;
  RedrawBorder();
}

void TCustomVsListBox::SetBorderSides(TVsBorderSides Value) {
  if (!Store(FBorderSides, Value)) return;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomVsListBox::SetFlat(bool Value) {
  if (!Store(FFlat, Value)) return;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomVsListBox::SetFlatFocusedScrollBars(bool Value) {
  if (!Store(FFlatFocusedScrollBars, Value)) return;
  RedrawBorder();
}

void TCustomVsListBox::SetHorizontalScroll(bool Value) {
  if (!Store(FHorizontalScroll, Value)) return;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomVsListBox::SetInvertSelection(bool Value) {
  if (!Store(FInvertSelection, Value)) return;
  RepaintIf(SelCount() > 0 || ItemIndex() >= 0);
}

void TCustomVsListBox::SetTransparent(bool Value) {
  if (!Store(FTransparent, Value)) return;
  if (Value)
    FControlStyle >> csOpaque;
  else
    FControlStyle << csOpaque;
  RecreateWnd();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomVsListBox::SetTransparentSelection(bool Value) {
  if (!Store(FTransparentSelection, Value)) return;
  RepaintIf(ItemIndex() >= 0);
}

void TCustomVsListBox::SetUseBackground(bool Value) {
  if (!Store(FUseBackground, Value)) return;
  RepaintIf(true);
}

void TCustomVsListBox::SetImageForm(TVsImageForm* Value) {
  if (!RelinkImageForm(this, FImageFormLink.get(), FImageForm, Value)) return;
  RecreateWnd();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomVsListBox::SetLineBorderActiveColor(TColor Value) {
  if (!Store(FLineBorderActiveColor, Value)) return;
  if (FFlat && (Focused() || FMouseInside)) RedrawBorder();
}

void TCustomVsListBox::SetLineBorderInactiveColor(TColor Value) {
  if (!Store(FLineBorderInactiveColor, Value)) return;
  if (FFlat && !(Focused() || FMouseInside)) RedrawBorder();
}

void TCustomVsListBox::SetShowCheckBox(bool Value) {
  if (!Store(FShowCheckBox, Value)) return;
  RepaintIf(true);
}

void TCustomVsListBox::SetAllowGrayed(bool Value) {
  if (!Store(FAllowGrayed, Value)) return;
  if (Value) return;
  bool Changed = false;
  for (TRowData& Row : FRows)
    if (Row.State == cbGrayed) {
      Row.State = cbUnchecked;
      Changed = true;
    }
  RepaintIf(Changed);
}

void TCustomVsListBox::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImagesLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImagesLink.get());
    FImages->FreeNotification(this);
    ResetItemHeight();
  }
  RepaintIf(true);
}

void TCustomVsListBox::SetAlphaForImages(TCustomImageList* Value) {
  if (FAlphaForImages == Value) return;
  if (FAlphaForImages) {
    FAlphaForImages->UnRegisterChanges(FAlphaLink.get());
    FAlphaForImages->RemoveFreeNotification(this);
  }
  FAlphaForImages = Value;
  if (FAlphaForImages) {
    FAlphaForImages->RegisterChanges(FAlphaLink.get());
    FAlphaForImages->FreeNotification(this);
  }
  RepaintIf(true);
}

void TCustomVsListBox::SetHint(const WideString& Value) {
  FHint = Value;
  TVsXPThemedControl::SetHint(PackWideHint(Value));
}

void TCustomVsListBox::SetUseSelectedFont(bool Value) {
  if (!Store(FUseSelectedFont, Value)) return;
  RepaintIf(ItemIndex() >= 0);
}

void TCustomVsListBox::SetRightAlignedView(bool Value) {
  if (!Store(FRightAlignedView, Value)) return;
  RecreateWnd();
}

void TCustomVsListBox::SetFocusedSelectColor(TColor Value) {
  if (!Store(FFocusedSelectColor, Value)) return;
  RepaintIf(Focused() || !FHideSelection);
}

void TCustomVsListBox::SetFocusedSelectTextColor(TColor Value) {
  if (!Store(FFocusedSelectTextColor, Value)) return;
  RepaintIf(Focused() || !FHideSelection);
}

void TCustomVsListBox::SetHideSelectColor(TColor Value) {
  if (!Store(FHideSelectColor, Value)) return;
  RepaintIf(!Focused() && !FHideSelection);
}

void TCustomVsListBox::SetHideSelectTextColor(TColor Value) {
  if (!Store(FHideSelectTextColor, Value)) return;
  RepaintIf(!Focused() && !FHideSelection);
}

void TCustomVsListBox::SetHideSelection(bool Value) {
  if (!Store(FHideSelection, Value)) return;
  RepaintIf(!Focused());
}

void TCustomVsListBox::SetHighlightAlphaLevel(int Value) {
  if (Value < 0 || Value > 255 || FHighlightAlphaLevel == Value) return;
  FHighlightAlphaLevel = Value;
  RepaintIf(ItemIndex() >= 0);
}

void TCustomVsListBox::RepaintIf(bool Condition) {
  if (Condition && HandleAllocated()) Invalidate();
}

void TCustomVsListBox::ImagesChanged(TObject*) {
  ResetItemHeight();
  RepaintIf(true);
}

void TCustomVsListBox::BackgroundChanged(TObject*) { RepaintIf(true); }

void TCustomVsListBox::ImageFormChanged(TCustomVsImageForm*) { RepaintIf(FImageForm != nullptr); }

void TCustomVsListBox::SelectedFontChanged(TObject*) {
  if (!FCopyingParentFont) SetParentFont(false);
  RepaintIf(ItemIndex() >= 0);
}

void TCustomVsListBox::ResetItemHeight() {
  int Height = std::abs(Font()->Height()) + 2;
  if (HandleAllocated()) {
    HDC DC = GetDC(Handle());
    HGDIOBJ Old = SelectObject(DC, Font()->Handle());
    TEXTMETRICW Metrics{};
    GetTextMetricsW(DC, &Metrics);
    SelectObject(DC, Old);
    ReleaseDC(Handle(), DC);
    Height = Metrics.tmHeight + 2;
  }
  if (FImages) Height = std::max(Height, FImages->Height());
  SetItemHeight(Height);
}

// --- window ----------------------------------------------------------------

bool TCustomVsListBox::ListViewThemed() const {
  if (!ThemesAvailable || !UseXPThemes() || !VsUxThemeApi.OpenThemeData) return false;
  HTHEME Theme = VsUxThemeApi.OpenThemeData(nullptr, L"LISTVIEW");
  if (!Theme) return false;
  if (VsUxThemeApi.CloseThemeData) VsUxThemeApi.CloseThemeData(Theme);
  return true;
}

void TCustomVsListBox::CreateParams(TCreateParams& Params) {
  TVsXPThemedControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  Params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FColumns != 0) Params.Style |= LBS_MULTICOLUMN;
  if (FTabWidth != 0) Params.Style |= LBS_USETABSTOPS;
  Params.Style |= FStyle == lbOwnerDrawVariable ? LBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWFIXED;
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
    // The flat border is the control's own drawing.
    if (FFlat && !ListViewThemed()) {
      Params.Style &= ~static_cast<DWORD>(WS_BORDER);
      Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    }
  }
  if (FRightAlignedView) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_VREDRAW | CS_HREDRAW);
}

void TCustomVsListBox::CreateWnd() {
  const int W = Width();
  const int H = Height();
  FController->SetControl(nullptr);
  TVsXPThemedControl::CreateWnd();
  Perform(CM_FONTCHANGED, 0, 0);
  SetWindowPos(Handle(), nullptr, 0, 0, W, H, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (FTabWidth != 0) {
    int Stops = FTabWidth;
    Perform(LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&Stops));
  }
  SetColumnWidth();
  Perform(LB_SETITEMHEIGHT, 0, FItemHeight);
  FMaxItemWidth = 0;
  FItems->Refill();
  FInput->SetTargetWindow(Handle());
  FLastTopIndex = 0;
  if (FUseCustomScrollBars) {
    FController->SetControl(this);
    if (!FController->IsActive()) {
      FUseCustomScrollBars = false;
      FController->SetControl(nullptr);
    }
  }
}

void TCustomVsListBox::DestroyWnd() {
  StopLineHint();
  if (FInput) FInput->SetTargetWindow(nullptr);
  TVsXPThemedControl::DestroyWnd();
  FController->SetControl(nullptr);
}

void TCustomVsListBox::Loaded() {
  TVsXPThemedControl::Loaded();
  RecreateWnd();
}

void TCustomVsListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TVsXPThemedControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    RepaintIf(true);
  }
  if (AComponent == FAlphaForImages) {
    FAlphaForImages = nullptr;
    RepaintIf(true);
  }
  if (AComponent == FImageForm) {
    FImageForm = nullptr;
    RepaintIf(true);
  }
}

void TCustomVsListBox::DefineProperties(TFiler* Filer) {
  TVsXPThemedControl::DefineProperties(Filer);
  // Older layouts name the focused selection colours so.
  Filer->DefineProperty("SelectedColor", [this](TReader* R) { SetFocusedSelectColor(ReadColor(R)); }, nullptr,
                        false);
  Filer->DefineProperty("SelectedFontColor", [this](TReader* R) { SetFocusedSelectTextColor(ReadColor(R)); },
                        nullptr, false);
}

// --- drawing -----------------------------------------------------------------

void TCustomVsListBox::CNDrawItem(TMessage& Message) {
  const auto& Item = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  DrawRow(Item.hDC, static_cast<int>(Item.itemID), Item.rcItem, TOwnerDrawState::FromBits(LOWORD(Item.itemState)));
  Message.Result = 1;
}

void TCustomVsListBox::DrawRow(HDC DC, int Index, const TRect& Rect, TOwnerDrawState State) {
  TLentCanvas Lent(FCanvas.get(), DC);
  if (FCanvasStale || OnDrawItem) {
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvasStale = false;
  }
  FCanvas->Brush()->SetColor(Color());
  if (Index >= 0)
    DrawItem(Index, Rect, State);
  else
    FCanvas->FillRect(Rect);
  if (State.Contains(odFocused)) ::DrawFocusRect(DC, &Rect);
}

void TCustomVsListBox::WMPaint(TMessage& Message) {
  // Rows of varying height and columns are laid out by the system list box,
  // which asks for each row. Otherwise the rows are painted here in one
  // pass, without a round trip through the parent for each.
  if (FStyle == lbOwnerDrawVariable || FColumns != 0) {
    TVsXPThemedControl::WndProc(Message);
    return;
  }
  const HWND Wnd = Handle();
  const WNDPROC System = DefWndProc();
  PAINTSTRUCT PS{};
  const HDC DC = Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : BeginPaint(Wnd, &PS);
  RECT Client{};
  GetClientRect(Wnd, &Client);
  const int Count = static_cast<int>(CallWindowProcW(System, Wnd, LB_GETCOUNT, 0, 0));
  const int Top = std::max(0, static_cast<int>(CallWindowProcW(System, Wnd, LB_GETTOPINDEX, 0, 0)));
  const int Current = static_cast<int>(CallWindowProcW(System, Wnd, FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
  const bool HasFocus = GetFocus() == Wnd;
  LONG Bottom = Client.top;
  for (int I = Top; I < Count; ++I) {
    RECT R{};
    if (CallWindowProcW(System, Wnd, LB_GETITEMRECT, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&R)) == LB_ERR)
      break;
    if (R.top >= Client.bottom) break;
    Bottom = R.bottom;
    if (!RectVisible(DC, &R)) continue;
    TOwnerDrawState State;
    const bool Sel = FMultiSelect ? CallWindowProcW(System, Wnd, LB_GETSEL, static_cast<WPARAM>(I), 0) > 0 : I == Current;
    if (Sel) State << odSelected;
    if (HasFocus && I == Current) State << odFocused;
    DrawRow(DC, I, R, State);
  }
  if (Bottom < Client.bottom) {
    const RECT Rest{Client.left, Bottom, Client.right, Client.bottom};
    TLentCanvas Lent(FCanvas.get(), DC);
    FillRowBackground(FCanvas.get(), Rest);
  }
  if (!Message.WParam) EndPaint(Wnd, &PS);
  Message.Result = 0;
}

void TCustomVsListBox::CNMeasureItem(TMessage& Message) {
  auto& Item = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  int Height = FItemHeight;
  if (FStyle == lbOwnerDrawVariable) MeasureItem(static_cast<int>(Item.itemID), Height);
  Item.itemHeight = static_cast<UINT>(std::clamp(Height, 1, MaxRowHeight));
  Message.Result = 1;
}

void TCustomVsListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

bool TCustomVsListBox::SelectionDependsOnFocus() const {
  return FHideSelection || FHideSelectColor != FFocusedSelectColor || FHideSelectTextColor != FFocusedSelectTextColor ||
         (FFlat && FShowCheckBox);
}

void TCustomVsListBox::GetBackground(HDC DC, const TRect& R) {
  TWinControl* P = Parent();
  if (!P || !P->HandleAllocated()) {
    FillSolidRect(DC, R, Color());
    return;
  }
  const int Saved = SaveDC(DC);
  IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
  const TPoint Origin = P->ScreenToClient(ClientToScreen(TPoint{0, 0}));
  POINT Old{};
  OffsetWindowOrgEx(DC, Origin.x, Origin.y, &Old);
  P->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  P->PaintControls(DC, nullptr);
  RestoreDC(DC, Saved);
}

int TCustomVsListBox::GetImageFormClientWidth() {
  TWinControl* C = FImageForm ? FImageForm->GetRealControl() : nullptr;
  return C ? C->ClientWidth() : 0;
}

int TCustomVsListBox::GetImageFormClientHeight() {
  TWinControl* C = FImageForm ? FImageForm->GetRealControl() : nullptr;
  return C ? C->ClientHeight() : 0;
}

TPoint TCustomVsListBox::ImageFormScreenToClient(const TPoint& P) {
  TWinControl* C = FImageForm ? FImageForm->GetRealControl() : nullptr;
  return C ? C->ScreenToClient(P) : P;
}

void TCustomVsListBox::FillRowBackground(TCanvas* Canvas, const TRect& R) {
  const HDC DC = Canvas->Handle();
  if (FImageForm && FImageForm->BackgroundType() != bgtColorFill && !ComponentState().Contains(csDesigning)) {
    // The row shows the part of the form's picture that lies under it.
    const TPoint Offset = ImageFormScreenToClient(ClientToScreen(TPoint{0, 0}));
    FImageForm->PaintBkgnd(DC, R, false, Offset);
    const int Right = GetImageFormClientWidth() - Offset.x;
    const int Bottom = GetImageFormClientHeight() - Offset.y;
    if (R.right > Right) Canvas->FillRect(TRect{std::max(Right, static_cast<int>(R.left)), R.top, R.right, R.bottom});
    if (R.bottom > Bottom)
      Canvas->FillRect(TRect{R.left, std::max(Bottom, static_cast<int>(R.top)), R.right, R.bottom});
  } else if (FTransparent) {
    GetBackground(DC, R);
  } else if (FUseBackground && !FBackground->Empty()) {
    const int Saved = SaveDC(DC);
    IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
    const int BW = FBackground->Width();
    const int BH = FBackground->Height();
    const HDC Src = FBackground->Canvas()->Handle();
    for (int Y = (R.top / BH) * BH; Y < R.bottom; Y += BH)
      for (int X = (R.left / BW) * BW; X < R.right; X += BW) BitBlt(DC, X, Y, BW, BH, Src, 0, 0, SRCCOPY);
    RestoreDC(DC, Saved);
  } else {
    // A row drawn over without its background would keep the old text.
    FillSolidRect(DC, R, Color());
  }
}

TVsFlatBorderType TCustomVsListBox::CurrentBorderType() const {
  return Focused() || FMouseInside ? FActiveBorderType : FInactiveBorderType;
}

TColor TCustomVsListBox::CurrentLineBorderColor() const {
  return Focused() || FMouseInside ? FLineBorderActiveColor : FLineBorderInactiveColor;
}

void TCustomVsListBox::DrawImage(TCanvas* Canvas, const TRect& R, int Image) {
  const int X = R.left + 1;
  const int Y = R.top + (R.bottom - R.top - FImages->Height()) / 2;
  if (FAlphaForImages && Image < FAlphaForImages->Count() && Image < FImages->Count()) {
    TOwned<TBitmap> Picture(new TBitmap());
    TOwned<TBitmap> Alpha(new TBitmap());
    FImages->GetBitmap(Image, Picture.get());
    FAlphaForImages->GetBitmap(Image, Alpha.get());
    const TRect Dest = Bounds(X, Y, FImages->Width(), FImages->Height());
    const TRect Src = Bounds(0, 0, FImages->Width(), FImages->Height());
    DrawBitmapBlended(Canvas->Handle(), Dest, Picture->Canvas()->Handle(), Src, Alpha->Handle(), 255);
  } else {
    FImages->Draw(Canvas, X, Y, Image, Enabled());
  }
}

void TCustomVsListBox::DrawCheckBox(TCanvas* Canvas, const TRect& R, TCheckBoxState State, int& TextLeft) {
  const HDC DC = Canvas->Handle();
  const int Offset = FImages ? FImages->Width() + 2 : 0;
  SIZE Size{CheckBoxSize, CheckBoxSize};
  int ThemeState = CBS_UNCHECKED_STATE + 4 * static_cast<int>(State);
  if (!Enabled()) ThemeState += CBS_DISABLED_OFFSET;
  if (IsThemeApplied() && VsUxThemeApi.GetThemePartSize)
    VsUxThemeApi.GetThemePartSize(Theme(), DC, BP_CHECKBOX_PART, ThemeState, nullptr, TS_DRAW, &Size);
  const int Top = R.top + (R.bottom - R.top - Size.cy) / 2;
  TRect Box = Bounds(R.left + Offset + 2, Top, Size.cx, Size.cy);
  if (IsThemeApplied() && VsUxThemeApi.DrawThemeBackground) {
    VsUxThemeApi.DrawThemeBackground(Theme(), DC, BP_CHECKBOX_PART, ThemeState, &Box, nullptr);
  } else {
    UINT Flags = DFCS_BUTTONCHECK;
    if (State == cbChecked) Flags |= DFCS_CHECKED;
    if (State == cbGrayed) Flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    DrawFrameControl(DC, &Box, DFC_BUTTON, Flags);
    if (FFlat) {
      if (CurrentBorderType() == fbtColorLineBorder) {
        HBRUSH Brush = CreateSolidBrush(ColorToRGB(CurrentLineBorderColor()));
        FrameRect(DC, &Box, Brush);
        DeleteObject(Brush);
      } else {
        DrawFlatFrameEx(DC, Box, Color(), true);
      }
    }
  }
  TextLeft = Box.right + 1;
}

void TCustomVsListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (FStyle != lbStandard && OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  TCanvas* C = FCanvas.get();
  const HDC DC = C->Handle();
  const bool Sel = State.Contains(odSelected);
  const bool HasFocus = Focused();
  const bool Plain = !FInvertSelection && !FTransparentSelection;
  const TColor Selection = HasFocus ? FFocusedSelectColor : FHideSelection ? Color() : FHideSelectColor;
  if (!Sel || !Plain || FHighlightAlphaLevel < 255)
    FillRowBackground(C, Rect);
  else
    FillSolidRect(DC, Rect, Selection);
  if (Sel && FInvertSelection) InvertRect(DC, &Rect);
  FDrawFont = Font();
  FDrawColor = Font()->Color();
  if (Sel && Plain) {
    if (FUseSelectedFont) {
      FDrawFont = FSelectedFont.get();
      FDrawColor = FSelectedFont->Color();
    } else if (HasFocus) {
      FDrawColor = FFocusedSelectTextColor;
    } else if (!FHideSelection) {
      FDrawColor = FHideSelectTextColor;
    }
  }
  if (Index < FItems->Count()) {
    TRect Text = Rect;
    if (FImages) {
      const int Image = ImageIndex(Index);
      if (Image != -1) DrawImage(C, Rect, Image);
      Text.left += FImages->Width() + 3;
    }
    if (FShowCheckBox) {
      int Left = Text.left;
      DrawCheckBox(C, Rect, TCustomVsListBox::State(Index), Left);
      Text.left = Left;
    }
    Text.right -= 2;
    DrawItemText(Index, Text);
  }
  if (Sel && Plain && FHighlightAlphaLevel < 255)
    AlphaFillRect(C, Rect, Selection, static_cast<Byte>(FHighlightAlphaLevel));
}

void TCustomVsListBox::DrawItemText(int Index, TRect& Rect) {
  const HDC DC = FCanvas->Handle();
  const WideString& S = FItems->StringRef(Index);
  SelectObject(DC, FDrawFont->Handle());
  SetTextColor(DC, ColorToRGB(FDrawColor));
  SetBkMode(DC, TRANSPARENT);
  UINT Flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  if (FTabWidth > 0) Flags |= DT_EXPANDTABS;
  VsDrawTextW(DC, S.c_str(), static_cast<int>(S.size()), Rect, Flags);
}

// --- horizontal extent -------------------------------------------------------

int TCustomVsListBox::GetItemWidth(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return 0;
  const WideString S = FItems->Strings(Index) + L"W";
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Font()->Handle());
  TRect R{0, 0, 0, 0};
  VsDrawTextW(DC, S.c_str(), static_cast<int>(S.size()), R, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  int Width = R.right - R.left;
  if (FTabWidth > 0) {
    SIZE Zero{};
    GetTextExtentPoint32W(DC, L"0", 1, &Zero);
    const int Tabs = static_cast<int>(std::count(S.begin(), S.end(), L'\t'));
    Width += Tabs * static_cast<int>(std::lround(Zero.cx * FTabWidth * 0.25));
  }
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return Width;
}

void TCustomVsListBox::SetHorizontalExtent() {
  if (HandleAllocated()) Perform(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(FMaxItemWidth), 0);
}

void TCustomVsListBox::ResetHorizontalExtent() {
  FMaxItemWidth = 0;
  for (int I = 0, N = FItems->Count(); I < N; ++I) FMaxItemWidth = std::max(FMaxItemWidth, GetItemWidth(I));
  SetHorizontalExtent();
}

void TCustomVsListBox::ListMessage(TMessage& Message) {
  switch (Message.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      TVsXPThemedControl::WndProc(Message);
      if (FHorizontalScroll && static_cast<int>(Message.Result) >= 0) {
        const int Width = GetItemWidth(static_cast<int>(Message.Result));
        if (Width > FMaxItemWidth) {
          FMaxItemWidth = Width;
          SetHorizontalExtent();
        }
      }
      return;
    case LB_DELETESTRING:
      if (FHorizontalScroll && GetItemWidth(static_cast<int>(Message.WParam)) >= FMaxItemWidth) {
        Perform(WM_HSCROLL, SB_TOP, 0);
        // Measured again once the string is gone from Items.
        FExtentDirty = true;
      }
      TVsXPThemedControl::WndProc(Message);
      return;
    case LB_RESETCONTENT:
      TVsXPThemedControl::WndProc(Message);
      if (FHorizontalScroll) {
        FMaxItemWidth = 0;
        Perform(WM_HSCROLL, SB_TOP, 0);
        SetHorizontalExtent();
      }
      return;
    default:
      TVsXPThemedControl::WndProc(Message);
      if (FHorizontalScroll) ResetHorizontalExtent();
      return;
  }
}

// --- search ------------------------------------------------------------------

bool TCustomVsListBox::CompareSearchText(const WideString& Text, int Index) {
  const WideString& Row = FItems->StringRef(Index);
  if (Row.size() < Text.size()) return false;
  const WideChar* Upper = UpperCaseTable();
  for (size_t I = 0; I < Text.size(); ++I)
    if (Upper[static_cast<Word>(Row[I])] != Upper[static_cast<Word>(Text[I])]) return false;
  return true;
}

void TCustomVsListBox::DoIncrementalSearch(const WideString& Text) {
  if (Text.empty()) return;
  const int Old = ItemIndex();
  for (int I = 0, N = FItems->Count(); I < N; ++I)
    if (CompareSearchText(Text, I)) {
      SetItemIndex(I);
      break;
    }
  ArmSearchTimeout();
  if (ItemIndex() != Old) Click();
}

void TCustomVsListBox::ArmSearchTimeout() {
  if (!FSearchThread) {
    // The thread frees itself when it ends; SearchTimedOut forgets it.
    FSearchThread = Create<TSearchTextTimeoutThread>(TNotifyEvent(this, &TCustomVsListBox::SearchTimedOut));
    FSearchThread->SetTimeout(FIncrementalSearchTimeout);
    FSearchThread->Start();
  } else {
    FSearchThread->SetKeepAlive(true);
    FSearchThread->SetTimeout(FIncrementalSearchTimeout);
  }
}

void TCustomVsListBox::SearchTimedOut(TObject* Sender) {
  if (Sender == FSearchThread) FSearchThread = nullptr;
  if (FInput) FInput->ClearText();
}

void TCustomVsListBox::StopSearchThread() {
  if (!FSearchThread) return;
  FSearchThread->OnTerminate = nullptr;
  FSearchThread->Terminate();
  FSearchThread = nullptr;
}

void TCustomVsListBox::WMKeyDown(TMessage& Message) {
  FClickedRow = -1;
  TVsXPThemedControl::WndProc(Message);
  // Space belongs to the system list box (it toggles a row); it is never
  // typed into the search.
  if (Message.WParam == VK_SPACE) return;
  FInput->WMKeyDown(Message);
  DoIncrementalSearch(FInput->Text());
}

void TCustomVsListBox::IMEStartComposition() {
  HIMC Context = ImmGetContext(Handle());
  if (!Context) return;
  LOGFONTA Font{};
  GetObjectA(FCanvas->Font()->Handle(), sizeof Font, &Font);
  ImmSetCompositionFontA(Context, &Font);
  COMPOSITIONFORM Form{};
  Form.dwStyle = CFS_RECT;
  Form.ptCurrentPos = POINT{0, 0};
  GetClientRect(Handle(), &Form.rcArea);
  ImmSetCompositionWindow(Context, &Form);
  ImmReleaseContext(Handle(), Context);
}

// --- mouse, check boxes and the line hint -----------------------------------

void TCustomVsListBox::CycleCheckBox(int Index) {
  TCheckBoxState Next = cbUnchecked;
  switch (State(Index)) {
    case cbUnchecked: Next = FAllowGrayed ? cbGrayed : cbChecked; break;
    case cbChecked: Next = cbUnchecked; break;
    case cbGrayed: Next = cbChecked; break;
  }
  FRows[Index].State = static_cast<unsigned char>(Next);
  const TRect R = ItemRect(Index);
  InvalidateRect(Handle(), &R, FALSE);
  DoCheckStateChange(Index);
  DoCheckBoxChange(Index, Next);
}

void TCustomVsListBox::DoCheckStateChange(int Index) {
  if (OnCheckStateChange) OnCheckStateChange(this, Index);
}

void TCustomVsListBox::DoCheckBoxChange(int Index, TCheckBoxState State) {
  if (OnCheckBoxChange) OnCheckBoxChange(this, Index, State);
}

void TCustomVsListBox::WMLButtonDown(TMessage& Message) {
  const TPoint Pos{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (FShowCheckBox) {
    const int Index = ItemAtPos(Pos, true);
    if (Index >= 0 && Index < static_cast<int>(FRows.size())) {
      const int Offset = FImages ? FImages->Width() + 2 : 0;
      const int X = Pos.x - ItemRect(Index).left;
      if (X >= Offset + 1 && X <= CheckBoxSize + Offset + 2) {
        CycleCheckBox(Index);
        Message.Result = 0;
        return;
      }
    }
  }
  const int Old = ItemIndex();
  FClickedRow = -1;
  TVsXPThemedControl::WndProc(Message);
  if (HandleAllocated() && ItemIndex() != Old) {
    FClickedRow = ItemIndex();
    Click();
  }
}

void TCustomVsListBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE:
      // The button-up of a click that already fired OnClick at button-down.
      if (FClickedRow >= 0 && FClickedRow == ItemIndex()) {
        FClickedRow = -1;
        break;
      }
      FClickedRow = -1;
      Click();
      break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
  Message.Result = 0;
}

TVsListBoxHintWindow* TCustomVsListBox::CreateHintWindow() { return Create<TVsListBoxHintWindow>(nullptr); }

void TCustomVsListBox::StopLineHint() {
  if (FLineHintTimer) FLineHintTimer->SetEnabled(false);
  if (FLineHintWindow) {
    FLineHintWindow->WindowProc = FHintSavedProc;
    FLineHintWindow.reset();
  }
}

void TCustomVsListBox::WMMouseMove(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  const int Top = TopIndex();
  const int Height = ItemHeight();
  if (Top == -1 || Height <= 0) return;
  const int Row = Top + GET_Y_LPARAM(Message.LParam) / Height;
  if (Row == FLineHintRow) return;
  StopLineHint();
  if (FShowLineHint && Row >= 0 && Row < FItems->Count()) {
    FLineHintRow = Row;
    if (!FLineHintTimer) {
      FLineHintTimer = new TTimer(this);
      FLineHintTimer->SetEnabled(false);
      FLineHintTimer->OnTimer = TNotifyEvent(this, &TCustomVsListBox::LineHintTimer);
    }
    FLineHintTimer->SetInterval(static_cast<Cardinal>(std::max(Application->HintPause(), 1)));
    FLineHintTimer->SetEnabled(true);
  } else {
    FLineHintRow = -1;
  }
}

void TCustomVsListBox::LineHintTimer(TObject*) {
  FLineHintTimer->SetEnabled(false);
  if (FLineHintWindow) {
    StopLineHint();
    return;
  }
  POINT Cursor{};
  GetCursorPos(&Cursor);
  const int Row = ItemAtPos(ScreenToClient(Cursor), true);
  if (Row < 0) {
    FLineHintRow = -1;
    return;
  }
  if (GetItemWidth(Row) < ClientWidth()) {
    FLineHintRow = -1;
    return;
  }
  if (Row != FLineHintRow) {
    FLineHintRow = Row;
    FLineHintTimer->SetEnabled(true);
    return;
  }
  FLineHintWindow.reset(CreateHintWindow());
  const TColor HintColor = FLineHintWindow->Font()->Color();
  FLineHintWindow->Font()->Assign(Font());
  FLineHintWindow->Font()->SetColor(HintColor);
  const WideString Text = FItems->Strings(Row);
  TRect R = FLineHintWindow->CalcHintRectW(10000, Text);
  const TRect Item = ItemRect(Row);
  const TPoint At = ClientToScreen(TPoint{Item.left - 3, Item.top - 3});
  OffsetRect(&R, At.x, At.y);
  FLineHintWindow->ActivateHintW(R, Text);
  FHintSavedProc = FLineHintWindow->WindowProc;
  FLineHintWindow->WindowProc = TWndMethod(this, &TCustomVsListBox::HintWindowProc);
  FLineHintTimer->SetInterval(static_cast<Cardinal>(std::max(Application->HintHidePause(), 1)));
  FLineHintTimer->SetEnabled(true);
}

void TCustomVsListBox::HintWindowProc(TMessage& Message) {
  FHintSavedProc(Message);
  if (Message.Msg == WM_SHOWWINDOW && Message.WParam == 0 && HandleAllocated())
    PostMessageW(Handle(), VS_LBRELEASEHINT, 0, 0);
}

void TCustomVsListBox::CMHintShow(TMessage& Message) {
  if (auto* Info = reinterpret_cast<THintInfo*>(Message.LParam)) PackHintInfo(*Info, TControl::Hint(), FHint);
}

// --- non-client area ---------------------------------------------------------

void TCustomVsListBox::RedrawBorder() {
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void TCustomVsListBox::WMNCCalcSize(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  if (FBorderStyle != bsSingle || ListViewThemed() || Message.WParam == 0) return;
  auto* Params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
  RECT& R = Params->rgrc[0];
  const int CX = GetSystemMetrics(Ctl3D() ? SM_CXEDGE : SM_CXBORDER);
  const int CY = GetSystemMetrics(Ctl3D() ? SM_CYEDGE : SM_CYBORDER);
  // Flat: each side of BorderSides keeps an edge for the control's frame;
  // otherwise the sides left out give theirs back.
  const int Sign = FFlat ? 1 : -1;
  const bool Want = FFlat;
  if (FBorderSides.Contains(ebsLeft) == Want) R.left += Sign * CX;
  if (FBorderSides.Contains(ebsRight) == Want) R.right -= Sign * CX;
  if (FBorderSides.Contains(ebsTop) == Want) R.top += Sign * CY;
  if (FBorderSides.Contains(ebsBottom) == Want) R.bottom -= Sign * CY;
}

void TCustomVsListBox::WMNCPaint(TMessage& Message) {
  if (FBorderStyle == bsSingle && ListViewThemed()) {
    const HWND Wnd = Handle();
    const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
    const LONG ExStyle = GetWindowLongW(Wnd, GWL_EXSTYLE);
    SetWindowLongW(Wnd, GWL_STYLE, Style & ~WS_BORDER);
    SetWindowLongW(Wnd, GWL_EXSTYLE, ExStyle & ~WS_EX_CLIENTEDGE);
    TVsXPThemedControl::WndProc(Message);
    SetWindowLongW(Wnd, GWL_STYLE, Style);
    SetWindowLongW(Wnd, GWL_EXSTYLE, ExStyle);
    HDC DC = GetWindowDC(Wnd);
    RECT W{}, C{};
    GetWindowRect(Wnd, &W);
    GetClientRect(Wnd, &C);
    MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&C), 2);
    OffsetRect(&C, -W.left, -W.top);
    OffsetRect(&W, -W.left, -W.top);
    if (Style & WS_VSCROLL) {
      if (ExStyle & WS_EX_LEFTSCROLLBAR)
        C.left -= FUseCustomScrollBars ? VertScrollBarStyles()->Width() : GetSystemMetrics(SM_CXVSCROLL);
      else
        C.right += FUseCustomScrollBars ? VertScrollBarStyles()->Width() : GetSystemMetrics(SM_CXVSCROLL);
    }
    if (Style & WS_HSCROLL) C.bottom += FUseCustomScrollBars ? HorzScrollBarStyles()->Width() : GetSystemMetrics(SM_CYHSCROLL);
    ExcludeClipRect(DC, C.left, C.top, C.right, C.bottom);
    DrawThemedClassBackground(L"LISTVIEW", DC, 0, 0, &W, nullptr);
    ReleaseDC(Wnd, DC);
    PaintThemedBevel();
    return;
  }
  TVsXPThemedControl::WndProc(Message);
  if (FBorderStyle != bsSingle || !FFlat) return;
  const HWND Wnd = Handle();
  HDC DC = GetWindowDC(Wnd);
  RECT W{};
  GetWindowRect(Wnd, &W);
  OffsetRect(&W, -W.left, -W.top);
  const TColor Line = CurrentLineBorderColor();
  DrawFlatFrame(DC, W, Line, Line, FBorderSides, CurrentBorderType());
  ReleaseDC(Wnd, DC);
}

void TCustomVsListBox::WMEraseBkgnd(TMessage& Message) {
  const bool Own = FTransparent || (FUseBackground && !FBackground->Empty()) ||
                   (FImageForm && FImageForm->BackgroundType() != bgtColorFill);
  if (!Own) {
    TVsXPThemedControl::WndProc(Message);
    return;
  }
  const HDC DC = reinterpret_cast<HDC>(Message.WParam);
  RECT R{};
  GetClientRect(Handle(), &R);
  TLentCanvas Lent(FCanvas.get(), DC);
  FCanvas->Brush()->SetColor(Color());
  FillRowBackground(FCanvas.get(), R);
  Message.Result = 1;
}

// --- dispatch ----------------------------------------------------------------

void TCustomVsListBox::WndProc(TMessage& Message) {
  // The input processor goes first when the list box is freed.
  if (!FInput) {
    TVsXPThemedControl::WndProc(Message);
    return;
  }
  switch (Message.Msg) {
    case CN_DRAWITEM: CNDrawItem(Message); return;
    case CN_MEASUREITEM: CNMeasureItem(Message); return;
    case CN_COMMAND: CNCommand(Message); return;
    case CN_DELETEITEM:
      // Emptying a long list sends one per row: nothing to free here.
      Message.Result = 1;
      return;
    case WM_KEYDOWN: WMKeyDown(Message); return;
    case WM_DEADCHAR:
      TVsXPThemedControl::WndProc(Message);
      FInput->WMDeadChar(Message);
      return;
    case WM_IME_COMPOSITION:
      TVsXPThemedControl::WndProc(Message);
      FInput->WMIMEComposition(Message);
      DoIncrementalSearch(FInput->Text());
      return;
    case WM_IME_STARTCOMPOSITION:
      TVsXPThemedControl::WndProc(Message);
      IMEStartComposition();
      return;
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); return;
    case WM_NCPAINT: WMNCPaint(Message); return;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); return;
    case WM_PAINT: WMPaint(Message); return;
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case WM_SETFONT: ListMessage(Message); return;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      bool& Tracking = Message.Msg == WM_HSCROLL ? FHThumbTracking : FVThumbTracking;
      Tracking = LOWORD(Message.WParam) == SB_THUMBTRACK;
      TVsXPThemedControl::WndProc(Message);
      Tracking = false;
      if (FFlat) RedrawBorder();
      if (TopIndex() != FLastTopIndex) {
        FLastTopIndex = TopIndex();
        RepaintIf(FTransparent || FUseBackground || FImageForm);
      }
      return;
    }
    case WM_MOUSEWHEEL:
      TVsXPThemedControl::WndProc(Message);
      FLastTopIndex = TopIndex();
      RepaintIf(true);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TVsXPThemedControl::WndProc(Message);
      if (FFlat) RedrawBorder();
      RepaintIf(SelectionDependsOnFocus());
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TVsXPThemedControl::WndProc(Message);
      FMouseInside = Message.Msg == CM_MOUSEENTER;
      if (FFlat) RedrawBorder();
      if (!FMouseInside) StopLineHint();
      return;
    case WM_SIZE:
      TVsXPThemedControl::WndProc(Message);
      SetColumnWidth();
      RepaintIf(true);
      return;
    case WM_WINDOWPOSCHANGED:
      TVsXPThemedControl::WndProc(Message);
      if (HandleAllocated()) Perform(VS_IMAGEFORMCHANGED, 0, 0);
      return;
    case VS_IMAGEFORMCHANGED:
      RepaintIf(FImageForm != nullptr);
      Message.Result = 0;
      return;
    case VS_LBRELEASEHINT:
      StopLineHint();
      return;
    case CM_COLORCHANGED:
      TVsXPThemedControl::WndProc(Message);
      FCanvasStale = true;
      return;
    case CM_FONTCHANGED:
      TVsXPThemedControl::WndProc(Message);
      FCanvas->Font()->Assign(Font());
      FCanvasStale = true;
      if (HandleAllocated()) {
        HDC DC = GetDC(Handle());
        HGDIOBJ Old = SelectObject(DC, Font()->Handle());
        TEXTMETRICW Metrics{};
        GetTextMetricsW(DC, &Metrics);
        SelectObject(DC, Old);
        ReleaseDC(Handle(), DC);
        Perform(LB_SETITEMHEIGHT, 0, std::clamp(static_cast<int>(Metrics.tmHeight), 1, MaxRowHeight));
      }
      return;
    case CM_PARENTFONTCHANGED:
      TVsXPThemedControl::WndProc(Message);
      if (ParentFont()) {
        FCopyingParentFont = true;
        FSelectedFont->Assign(Font());
        FSelectedFont->SetColor(clHighlightText);
        FCopyingParentFont = false;
      }
      return;
    case CM_PARENTCOLORCHANGED:
    case CM_CTL3DCHANGED:
      TVsXPThemedControl::WndProc(Message);
      RepaintIf(true);
      return;
    case CM_HINTSHOW:
      TVsXPThemedControl::WndProc(Message);
      CMHintShow(Message);
      return;
    default: break;
  }
  TVsXPThemedControl::WndProc(Message);
}

// ---------------------------------------------------------------------------

void InitializeVsListBox() {
  static const TEnumNames SideNames{"ebsLeft", "ebsRight", "ebsTop", "ebsBottom"};
  static const TEnumNames StyleNames{"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual",
                                     "lbVirtualOwnerDraw"};
  static const TEnumNames BorderNames{"bsNone", "bsSingle"};
  using L = TCustomVsListBox;
  InitializeVsThemedControl();
  RegisterClass<TCustomVsListBox, TVsXPThemedControl>();
  RegisterClass<TVsListBox, TCustomVsListBox>()
      .Bool("AllowGrayed", &L::AllowGrayed, &L::SetAllowGrayed, false)
      .Bool("ParentColor", &L::ParentColor, &L::SetParentColor, false)
      .Bool("TabStop", &L::TabStop, &L::SetTabStop, true)
      .Enum("BorderStyle", &L::BorderStyle, &L::SetBorderStyle, bsSingle, BorderNames)
      .Int("Columns", &L::Columns, &L::SetColumns, 0)
      .Bool("ExtendedSelect", &L::ExtendedSelect, &L::SetExtendedSelect, true)
      .Int("FocusedSelectColor", &L::FocusedSelectColor, &L::SetFocusedSelectColor, clHighlight, "TColor")
      .Int("FocusedSelectTextColor", &L::FocusedSelectTextColor, &L::SetFocusedSelectTextColor, clHighlightText,
           "TColor")
      .Bool("HideSelection", &L::HideSelection, &L::SetHideSelection, true)
      .Int("HideSelectColor", &L::HideSelectColor, &L::SetHideSelectColor, clBtnFace, "TColor")
      .Int("HideSelectTextColor", &L::HideSelectTextColor, &L::SetHideSelectTextColor, clBtnShadow, "TColor")
      .Bool("IntegralHeight", &L::IntegralHeight, &L::SetIntegralHeight, false)
      .Int("IncrementalSearchTimeout", &L::IncrementalSearchTimeout, &L::SetIncrementalSearchTimeout, 500)
      .Int("ItemHeight", &L::ItemHeight, &L::SetItemHeight)
      .Bool("MultiSelect", &L::MultiSelect, &L::SetMultiSelect, false)
      .Bool("Sorted", &L::Sorted, &L::SetSorted, false)
      .Int("TabWidth", &L::TabWidth, &L::SetTabWidth, 0)
      .Object("Items", &L::Items)
      .Int("TopIndex", &L::TopIndex, &L::SetTopIndex, 0)
      .Bool("ShowCheckBox", &L::ShowCheckBox, &L::SetShowCheckBox, false)
      .Enum("ActiveBorderType", &L::ActiveBorderType, &L::SetActiveBorderType, fbtSunken, FlatBorderTypeNames)
      .Object("Background", &L::Background)
      .Set("BorderSides", &L::BorderSides, &L::SetBorderSides, AllBorderSides, SideNames, "TVsBorderSides")
      .Bool("Flat", &L::Flat, &L::SetFlat, false)
      .Bool("FlatFocusedScrollBars", &L::FlatFocusedScrollBars, &L::SetFlatFocusedScrollBars, false)
      .Int("HighlightAlphaLevel", &L::HighlightAlphaLevel, &L::SetHighlightAlphaLevel, 255)
      .Bool("HorizontalScroll", &L::HorizontalScroll, &L::SetHorizontalScroll, false)
      .Object("Images", &L::Images, &L::SetImages)
      .Object("AlphaForImages", &L::AlphaForImages, &L::SetAlphaForImages)
      .Object("ImageForm", &L::ImageForm, &L::SetImageForm)
      .Enum("InactiveBorderType", &L::InactiveBorderType, &L::SetInactiveBorderType, fbtSunkenOuter,
            FlatBorderTypeNames)
      .Bool("InvertSelection", &L::InvertSelection, &L::SetInvertSelection, false)
      .Int("LineBorderActiveColor", &L::LineBorderActiveColor, &L::SetLineBorderActiveColor, 0, "TColor")
      .Int("LineBorderInactiveColor", &L::LineBorderInactiveColor, &L::SetLineBorderInactiveColor, 0, "TColor")
      .Object("SelectedFont", &L::SelectedFont)
      .Bool("ShowLineHint", &L::ShowLineHint, &L::SetShowLineHint, false)
      .Bool("Transparent", &L::Transparent, &L::SetTransparent, false)
      .Bool("TransparentSelection", &L::TransparentSelection, &L::SetTransparentSelection, false)
      .Bool("UseBackground", &L::UseBackground, &L::SetUseBackground, false)
      .Bool("UseSelectedFont", &L::UseSelectedFont, &L::SetUseSelectedFont, false)
      .Enum("Style", &L::Style, &L::SetStyle, lbStandard, StyleNames)
      .Bool("UseCustomScrollBars", &L::UseCustomScrollBars, &L::SetUseCustomScrollBars, true)
      .Object("HorzScrollBarStyles", &L::HorzScrollBarStyles, &L::SetHorzScrollBarStyles)
      .Object("VertScrollBarStyles", &L::VertScrollBarStyles, &L::SetVertScrollBarStyles)
      .Bool("RightAlignedView", &L::RightAlignedView, &L::SetRightAlignedView, false)
      .WStr("Hint", &L::Hint, &L::SetHint, "TVsFString")
      .Event("OnCheckStateChange", &L::OnCheckStateChange)
      .Event("OnCheckBoxChange", &L::OnCheckBoxChange)
      .Event("OnDrawItem", &L::OnDrawItem)
      .Event("OnMeasureItem", &L::OnMeasureItem);
}
