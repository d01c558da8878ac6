// The themed owner-drawn list box with UTF-16 rows. The system "LISTBOX"
// holds one empty row per item and asks the control to draw each one; the
// texts, check states and image indices live in Items. On top of the system
// list box come its own selection colours, check boxes and images per row,
// transparent and tiled backgrounds, a flat border, a line hint for rows
// wider than the control, custom scroll bars and search by typing.
#pragma once

#include <memory>
#include <vector>

#include "ExtCtrls.h"
#include "Graphics.h"
#include "ImgList.h"
#include "StdCtrls.h"
#include "VsFrameworkUtils.h"
#include "VsHintWindow.h"
#include "VsImageForm.h"
#include "VsKeyboardInput.h"
#include "VsSBController.h"
#include "VsThemedControl.h"
#include "VsUnicodeStrings.h"

class TCustomVsListBox;

using TVsCheckStateChangeEvent = TMethodPtr<void(TObject* Sender, int Index)>;
using TVsCheckBoxChangeEvent = TMethodPtr<void(TObject* aSender, int aItemIndex, TCheckBoxState aItemState)>;

// The rows of a list box: every change reaches the window's placeholder
// rows, and each row's check state and image index go where the row goes.
class TVsListBoxStrings : public TVsWideStringList {
public:
  explicit TVsListBoxStrings(TCustomVsListBox* AListBox) : FListBox(AListBox) {}

  TCustomVsListBox* ListBox() const { return FListBox; }

  int Add(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

protected:
  void SetUpdateState(bool Updating) override;

private:
  friend class TCustomVsListBox;
  // One placeholder row at Index; a refused row takes the string out again.
  void InsertRow(int Index);
  // The window's rows afresh, one per item.
  void Refill();

  TCustomVsListBox* FListBox;
};

// The line hint's window: the wide hint window under a class of its own.
class TVsListBoxHintWindow : public TVsHintWindow {
public:
  using TVsHintWindow::TVsHintWindow;
};

class TCustomVsListBox : public TVsXPThemedControl {
public:
  explicit TCustomVsListBox(TComponent* AOwner);
  ~TCustomVsListBox() override;

  TVsListBoxStrings* Items() const { return FItems.get(); }
  void SetItems(TVsWideStrings* Value) { FItems->Assign(Value); }
  void Clear() { FItems->Clear(); }

  // The selected row (the caret row with MultiSelect), -1 for none.
  // Setting it to its current value sends nothing; it fires no OnClick.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  int TopIndex() const;
  void SetTopIndex(int Value);
  int SelCount() const;
  // LB_GETSEL; a bad index raises EListError.
  bool Selected(int Index) const;
  int ItemHeight() const;
  void SetItemHeight(int Value);

  // Outside 0..Count-1 reads give unchecked and -1, writes do nothing.
  TCheckBoxState State(int Index) const;
  void SetState(int Index, TCheckBoxState Value);
  bool Checked(int Index) const { return State(Index) == cbChecked; }
  int ImageIndex(int Index) const;
  void SetImageIndex(int Index, int Value);

  // The row at a client point: -1 outside, or Count below the last row
  // when Existing is false.
  int ItemAtPos(const TPoint& Pos, bool Existing) const;
  TRect ItemRect(int Index) const;

  TCanvas* Canvas() const { return FCanvas.get(); }

  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool Value);
  TVsSBController* Controller() const { return FController; }
  TVsCtrlScrollBarStyles* HorzScrollBarStyles() const { return FController->HorzScrollBarStyles(); }
  void SetHorzScrollBarStyles(TVsCtrlScrollBarStyles* Value) { FController->SetHorzScrollBarStyles(Value); }
  TVsCtrlScrollBarStyles* VertScrollBarStyles() const { return FController->VertScrollBarStyles(); }
  void SetVertScrollBarStyles(TVsCtrlScrollBarStyles* Value) { FController->SetVertScrollBarStyles(Value); }

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);

  TVsFlatBorderType ActiveBorderType() const { return FActiveBorderType; }
  void SetActiveBorderType(TVsFlatBorderType Value);
  TVsFlatBorderType InactiveBorderType() const { return FInactiveBorderType; }
  void SetInactiveBorderType(TVsFlatBorderType Value);
  TBitmap* Background() const { return FBackground.get(); }
  void SetBackground(TBitmap* Value) { FBackground->Assign(Value); }
  TVsBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TVsBorderSides Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool FlatFocusedScrollBars() const { return FFlatFocusedScrollBars; }
  void SetFlatFocusedScrollBars(bool Value);
  bool HorizontalScroll() const { return FHorizontalScroll; }
  void SetHorizontalScroll(bool Value);
  bool InvertSelection() const { return FInvertSelection; }
  void SetInvertSelection(bool Value);
  TFont* SelectedFont() const { return FSelectedFont.get(); }
  void SetSelectedFont(TFont* Value) { FSelectedFont->Assign(Value); }
  bool ShowLineHint() const { return FShowLineHint; }
  void SetShowLineHint(bool Value) { FShowLineHint = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool TransparentSelection() const { return FTransparentSelection; }
  void SetTransparentSelection(bool Value);
  bool UseBackground() const { return FUseBackground; }
  void SetUseBackground(bool Value);
  TVsImageForm* ImageForm() const { return FImageForm; }
  void SetImageForm(TVsImageForm* Value);
  TColor LineBorderActiveColor() const { return FLineBorderActiveColor; }
  void SetLineBorderActiveColor(TColor Value);
  TColor LineBorderInactiveColor() const { return FLineBorderInactiveColor; }
  void SetLineBorderInactiveColor(TColor Value);
  bool ShowCheckBox() const { return FShowCheckBox; }
  void SetShowCheckBox(bool Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* AlphaForImages() const { return FAlphaForImages; }
  void SetAlphaForImages(TCustomImageList* Value);
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& Value);
  bool UseSelectedFont() const { return FUseSelectedFont; }
  void SetUseSelectedFont(bool Value);
  bool RightAlignedView() const { return FRightAlignedView; }
  void SetRightAlignedView(bool Value);
  TColor FocusedSelectColor() const { return FFocusedSelectColor; }
  void SetFocusedSelectColor(TColor Value);
  TColor FocusedSelectTextColor() const { return FFocusedSelectTextColor; }
  void SetFocusedSelectTextColor(TColor Value);
  TColor HideSelectColor() const { return FHideSelectColor; }
  void SetHideSelectColor(TColor Value);
  TColor HideSelectTextColor() const { return FHideSelectTextColor; }
  void SetHideSelectTextColor(TColor Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  int HighlightAlphaLevel() const { return FHighlightAlphaLevel; }
  void SetHighlightAlphaLevel(int Value);
  int IncrementalSearchTimeout() const { return FIncrementalSearchTimeout; }
  void SetIncrementalSearchTimeout(int Value) { FIncrementalSearchTimeout = Value; }

  // The search text typed so far (until a pause ends it).
  const WideString& SearchText() const { return FInput->Text(); }
  // The running search thread, nullptr between searches.
  TSearchTextTimeoutThread* SearchThread() const { return FSearchThread; }
  // The widest row (for the horizontal extent), in pixels.
  int MaxItemWidth() const { return FMaxItemWidth; }

  void SetUseXPThemes(bool Value) override;
  void WndProc(TMessage& Message) override;

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TVsCheckStateChangeEvent OnCheckStateChange;
  TVsCheckBoxChangeEvent OnCheckBoxChange;

protected:
  virtual void ResetHorizontalExtent();
  virtual void SetHorizontalExtent();
  // The parent's background drawn into DC under R (the control's client
  // coordinates).
  virtual void GetBackground(HDC DC, const TRect& R);
  virtual TVsListBoxHintWindow* CreateHintWindow();
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  // The row's text followed by "W", measured with the row font, plus the
  // tab widths.
  virtual int GetItemWidth(int Index);
  virtual int GetImageFormClientHeight();
  virtual int GetImageFormClientWidth();
  virtual TPoint ImageFormScreenToClient(const TPoint& P);
  virtual void ResetItemHeight();
  // Selects the first row from the top that starts with Text.
  virtual void DoIncrementalSearch(const WideString& Text);
  // Row Index starts with Text, case-insensitively.
  virtual bool CompareSearchText(const WideString& Text, int Index);
  virtual void DrawItemText(int Index, TRect& Rect);
  virtual void MeasureItem(int Index, int& Height);
  virtual void DoCheckStateChange(int Index);
  virtual void DoCheckBoxChange(int Index, TCheckBoxState State);

  LRESULT GetItemData(int Index);
  void SetItemData(int Index, LRESULT Data);
  void ResetContent();
  void DeleteString(int Index);

  WideString GetThemedClassName() const override { return L"BUTTON"; }
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;

private:
  friend class TVsListBoxStrings;
  struct TRowData {
    unsigned char State = cbUnchecked;
    int Image = -1;
  };

  void CNDrawItem(TMessage& Message);
  // One row on DC: the canvas lent to it, DrawItem, the focus rectangle.
  // The canvas takes the control's font again only when it changed (or for
  // a handler that may change it).
  void DrawRow(HDC DC, int Index, const TRect& Rect, TOwnerDrawState State);
  void WMPaint(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void CNCommand(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void ListMessage(TMessage& Message);
  void IMEStartComposition();

  // LB_INSERTSTRING of an empty row, with the horizontal extent kept.
  LRESULT InsertPlaceholder(int Index);
  // Makes the window when there is a parent to make it in.
  void HandleNeededIfParented();
  // The placeholder rows' parallel data follows Items.
  TRowData RowAt(int Index) const;
  void SetRowAt(int Index, const TRowData& Row);
  void RowInserted(int Index);
  void RowDeleted(int Index);
  void RowsExchanged(int Index1, int Index2);
  void RowMoved(int CurIndex, int NewIndex);
  void RowsCleared() { FRows.clear(); }

  void ArmSearchTimeout();
  void SearchTimedOut(TObject* Sender);
  void StopSearchThread();
  void StopLineHint();
  void LineHintTimer(TObject* Sender);
  void HintWindowProc(TMessage& Message);
  void CycleCheckBox(int Index);
  void SetColumnWidth();
  void UpdateHorizontalExtent(int Width);
  bool SelectionDependsOnFocus() const;
  bool ListViewThemed() const;
  void RedrawBorder();
  void RepaintIf(bool Condition);
  void ImagesChanged(TObject* Sender);
  void BackgroundChanged(TObject* Sender);
  void SelectedFontChanged(TObject* Sender);
  void ImageFormChanged(TCustomVsImageForm* Sender);
  TVsFlatBorderType CurrentBorderType() const;
  TColor CurrentLineBorderColor() const;
  void DrawCheckBox(TCanvas* Canvas, const TRect& R, TCheckBoxState State, int& TextLeft);
  void DrawImage(TCanvas* Canvas, const TRect& R, int Image);
  void FillRowBackground(TCanvas* Canvas, const TRect& R);

  bool FUseCustomScrollBars = true;
  TVsSBController* FController;
  std::vector<TRowData> FRows;
  TBorderStyle FBorderStyle = bsSingle;
  TOwned<TControlCanvas> FCanvas;
  int FColumns = 0;
  bool FExtendedSelect = true;
  bool FIntegralHeight = false;
  int FItemHeight = 16;
  bool FMultiSelect = false;
  bool FSorted = false;
  int FTabWidth = 0;
  int FLineHintRow = -1;
  int FLastTopIndex = 0;
  TOwned<TImgFormChangeLink> FImageFormLink;
  TOwned<TVsListBoxStrings> FItems;
  TVsFlatBorderType FActiveBorderType = fbtSunken;
  TOwned<TBitmap> FBackground;
  TVsBorderSides FBorderSides = AllBorderSides;
  bool FFlat = false;
  bool FFlatFocusedScrollBars = false;
  bool FHorizontalScroll = false;
  TVsFlatBorderType FInactiveBorderType = fbtSunkenOuter;
  bool FInvertSelection = false;
  TOwned<TFont> FSelectedFont;
  bool FShowLineHint = false;
  bool FTransparent = false;
  bool FTransparentSelection = false;
  bool FUseBackground = false;
  TVsImageForm* FImageForm = nullptr;
  TTimer* FLineHintTimer = nullptr;
  TOwned<TVsListBoxHintWindow> FLineHintWindow;
  TWndMethod FHintSavedProc;
  int FMaxItemWidth = 0;
  bool FVThumbTracking = false;
  bool FHThumbTracking = false;
  bool FMouseInside = false;
  TColor FLineBorderActiveColor = 0;
  TColor FLineBorderInactiveColor = 0;
  bool FShowCheckBox = false;
  bool FAllowGrayed = false;
  TCustomImageList* FImages = nullptr;
  TOwned<TChangeLink> FImagesLink;
  TCustomImageList* FAlphaForImages = nullptr;
  TOwned<TChangeLink> FAlphaLink;
  WideString FHint;
  TListBoxStyle FStyle = lbStandard;
  bool FUseSelectedFont = false;
  bool FRightAlignedView = false;
  TColor FFocusedSelectColor = clHighlight;
  TColor FFocusedSelectTextColor = clHighlightText;
  TColor FHideSelectColor = clBtnFace;
  TColor FHideSelectTextColor = clBtnShadow;
  bool FHideSelection = true;
  int FHighlightAlphaLevel = 255;
  TOwned<TVsKeyboardInput> FInput;
  TSearchTextTimeoutThread* FSearchThread = nullptr;
  int FIncrementalSearchTimeout = 500;
  // The row a button-down selected and already reported with OnClick: the
  // LBN_SELCHANGE that follows at button-up is the same click.
  int FClickedRow = -1;
  // A deleted row was the widest: measured again once it is gone.
  bool FExtentDirty = false;
  // The canvas must take the control's font and colour again.
  bool FCanvasStale = true;
  // The font and colour DrawItemText writes the row with.
  TFont* FDrawFont = nullptr;
  TColor FDrawColor = clWindowText;
  // The parent's font is being copied into SelectedFont.
  bool FCopyingParentFont = false;
};

class TVsListBox : public TCustomVsListBox {
public:
  using TCustomVsListBox::TCustomVsListBox;
};

void InitializeVsListBox();
