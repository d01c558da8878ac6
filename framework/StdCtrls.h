// Standard controls: labels, push buttons, check boxes and radio buttons,
// group boxes, edits and memos, list boxes and combo boxes.
//
// Buttons, edits, list and combo boxes are the system's BUTTON, EDIT,
// LISTBOX and COMBOBOX classes, made with the 8-bit API (texts in the system
// code page); their notifications reach them reflected (CN_COMMAND,
// CN_DRAWITEM, CN_MEASUREITEM). Labels are windowless and drawn here.
//
// Start-up: InitializeStdCtrls() registers the classes with the class
// registry so that layouts can create them.
#pragma once

#include "Controls.h"
#include "Forms.h"
#include "Lists.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// The state of an owner-drawn item: the bits of DRAWITEMSTRUCT.itemState.
enum TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
  odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TDrawItemEvent = TMethodPtr<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TMethodPtr<void(TWinControl* Control, int Index, int& Height)>;
// The text of row Index of a virtual list box.
using TLBGetDataEvent = TMethodPtr<void(TWinControl* Control, int Index, AnsiString& Data)>;

// True when Key (a character in the system code page) is the accelerator
// of Caption: the character after a single "&", compared case-insensitively.
bool IsAccel(Word Key, const AnsiString& Caption);

// ---------------------------------------------------------------------------
// Labels

class TCustomLabel : public TGraphicControl {
public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // A transparent label draws only its text over the parent.
  bool Transparent() const { return !FControlStyle.Contains(csOpaque); }
  void SetTransparent(bool Value);
  // "&" marks the accelerator (and "&&" is a plain "&"); off, "&" is text.
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // The control that gets the focus when the accelerator is pressed.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  // With AutoSize the label takes the size of its text.
  void SetAutoSize(bool Value) override;

  void WndProc(TMessage& Message) override;

protected:
  // The text drawn (the caption).
  virtual AnsiString GetLabelText() const;
  // Draws the text into Rect with DrawText Flags on the canvas; with
  // DT_CALCRECT only measures (Rect gets the text's extent).
  virtual void DoDrawText(TRect& Rect, int Flags);
  // DoDrawText's steps for a text of either width, each pass written by
  // Draw(DC, Text, Rect, Flags): measuring an empty text, or a lone "&"
  // shown as an accelerator, measures one space; a disabled label is drawn
  // engraved.
  template <class S, class F> void DrawLabelText(S Text, TRect& Rect, int Flags, F&& Draw);
  // Applies AutoSize: the size of the text, the right edge kept for a
  // right-justified label.
  virtual void AdjustBounds();
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

template <class S, class F> void TCustomLabel::DrawLabelText(S Text, TRect& Rect, int Flags, F&& Draw) {
  if ((Flags & DT_CALCRECT) && (Text.empty() || (FShowAccelChar && Text.size() == 1 && Text[0] == '&'))) Text += ' ';
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  TCanvas* C = Canvas();
  C->SetFont(Font());
  C->RequiredState({csHandleValid, csFontValid});
  if (!Enabled() && !(Flags & DT_CALCRECT)) {
    // The engraved look of disabled text.
    OffsetRect(&Rect, 1, 1);
    C->Font()->SetColor(clBtnHighlight);
    C->RequiredState({csFontValid});
    Draw(C->Handle(), Text, &Rect, static_cast<UINT>(Flags));
    OffsetRect(&Rect, -1, -1);
    C->Font()->SetColor(clBtnShadow);
    C->RequiredState({csFontValid});
  }
  Draw(C->Handle(), Text, &Rect, static_cast<UINT>(Flags));
}

class TLabel : public TCustomLabel {
public:
  using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------
// Buttons

// The common base of push buttons, check boxes and radio buttons.
class TButtonControl : public TWinControl {
public:
  explicit TButtonControl(TComponent* AOwner);
};

class TButton : public TButtonControl {
public:
  explicit TButton(TComponent* AOwner);

  // Enter clicks the default button unless another button has the focus.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Esc clicks the cancel button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Clicking sets the form's ModalResult to this.
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  void Click() override;
  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Shows the button as the default one (BS_DEFPUSHBUTTON) or not.
  virtual void SetButtonStyle(bool ADefault);

private:
  bool FDefault = false;
  bool FCancel = false;
  // Enter goes to this button now: it has the focus, or it is the default
  // one and no other button has it.
  bool FActive = false;
  TModalResult FModalResult = mrNone;
};

class TCustomCheckBox : public TButtonControl {
public:
  explicit TCustomCheckBox(TComponent* AOwner);

  // taRightJustify (the default) puts the caption right of the box.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TCheckBoxState State() const { return FState; }
  // A change fires OnClick, also when made from code (not while the
  // layout is read).
  void SetState(TCheckBoxState Value);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value);

  void WndProc(TMessage& Message) override;

protected:
  // The next state of a click: unchecked, (grayed,) checked.
  virtual void Toggle();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

private:
  TAlignment FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
public:
  using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
public:
  explicit TRadioButton(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Checked() const { return FChecked; }
  // Checking clears the other radio buttons of the same parent and fires
  // OnClick; the checked button is the tab stop of its group.
  void SetChecked(bool Value);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

private:
  TAlignment FAlignment = taRightJustify;
  bool FChecked = false;
};

// A frame with a caption that holds other controls.
class TCustomGroupBox : public TWinControl {
public:
  explicit TCustomGroupBox(TComponent* AOwner);

  void WndProc(TMessage& Message) override;
  void DefaultHandler(void* Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
};

class TGroupBox : public TCustomGroupBox {
public:
  using TCustomGroupBox::TCustomGroupBox;
};

// ---------------------------------------------------------------------------
// Edits

class TCustomEdit : public TWinControl {
public:
  explicit TCustomEdit(TComponent* AOwner);

  // Selects the whole text when the edit gets the focus from the keyboard.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  // 0: no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  // #0: the text shows.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // The user changed the text since it was last set.
  bool Modified() const;
  void SetModified(bool Value);
  // With AutoSize (and a single border) the height follows the font.
  void SetAutoSize(bool Value) override;

  // Selection in characters; these make the window when there is none.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  AnsiString SelText();
  void SetSelText(const AnsiString& Value);
  void SelectAll();
  void Clear() { SetText(AnsiString()); }

  void WndProc(TMessage& Message) override;

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // The text changed (EN_CHANGE): fires OnChange.
  virtual void Change();
  // The height for the font with a single border.
  virtual void AdjustHeight();

private:
  void UpdateHeight();

  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  TEditCharCase FCharCase = ecNormal;
  bool FHideSelection = true;
  int FMaxLength = 0;
  bool FOEMConvert = false;
  char FPasswordChar = '\0';
  bool FReadOnly = false;
  bool FModified = false;
  bool FCreating = false;
};

class TEdit : public TCustomEdit {
public:
  using TCustomEdit::TCustomEdit;
};

class TCustomMemo : public TCustomEdit {
public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  // The lines of the text (a view of the window's text; kept when the
  // window is made again). With WordWrap they are the displayed lines.
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Enter starts a new line (off: Enter goes to the form's default button).
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  // Tab is typed into the text (off: Tab moves the focus).
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;

private:
  TOwned<TStrings> FLines;
  TAlignment FAlignment = taLeftJustify;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
  using TCustomMemo::TCustomMemo;
};

// ---------------------------------------------------------------------------
// List boxes

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

class TCustomListBox : public TWinControl {
public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  // The rows (in the window while it exists; kept across its re-creation).
  // A virtual list box has Count rows whose texts come from OnData.
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  int Count() const;
  // Virtual styles only; others raise EInvalidOperation.
  void SetCount(int Value);
  void Clear() { FItems->Clear(); }

  // The selected row (the focused one with MultiSelect), -1 for none.
  // Setting it fires nothing.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  int TopIndex() const;
  void SetTopIndex(int Value);
  // The row height of the owner-drawn fixed styles (and the default one
  // of the variable style); the system's for lbStandard.
  int ItemHeight() const;
  void SetItemHeight(int Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  // With MultiSelect: Shift and Ctrl extend the selection (on), or each
  // click toggles a row (off).
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool Selected(int Index) const;
  void SetSelected(int Index, bool Value);
  int SelCount() const;

  // The row at Pos (client coordinates): -1 outside the rows, or Count
  // below the last row when Existing is false.
  int ItemAtPos(const TPoint& Pos, bool Existing) const;
  // The rectangle of row Index; for Index == Count the place below the
  // last row; empty beyond.
  TRect ItemRect(int Index) const;

  TCanvas* Canvas() const { return FCanvas.get(); }
  void WndProc(TMessage& Message) override;

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TLBGetDataEvent OnData;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Owner drawing: the canvas has the item's DC, the control's font and
  // brush (the highlight colours for a selected row). The default, without
  // OnDrawItem, fills the rectangle and writes the row's text.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  // The height of row Index of the variable style (OnMeasureItem).
  virtual void MeasureItem(int Index, int& Height);
  // The list messages the rows are kept with.
  virtual LRESULT GetItemData(int Index);
  virtual void SetItemData(int Index, LRESULT Data);
  virtual void ResetContent();
  virtual void DeleteString(int Index);
  bool IsVirtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
  // The text of a row of a virtual list box (OnData).
  virtual AnsiString GetData(int Index);

private:
  friend class TListBoxStrings;
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);

  TOwned<TStrings> FItems;
  TOwned<TControlCanvas> FCanvas;
  TListBoxStyle FStyle = lbStandard;
  TBorderStyle FBorderStyle = bsSingle;
  bool FSorted = false;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  int FItemHeight = 16;
  // Kept while there is no window (and across a re-creation).
  int FItemIndex = -1;
  int FTopIndex = 0;
  int FCount = 0;
  std::vector<bool> FSelection;
};

class TListBox : public TCustomListBox {
public:
  using TCustomListBox::TCustomListBox;
};

// ---------------------------------------------------------------------------
// Combo boxes

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox : public TWinControl {
public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  void Clear();
  // Setting it fires no OnChange.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  // The owner-drawn styles keep the texts too (CBS_HASSTRINGS), so Text
  // works with every style. A drop-down list takes the row of that text.
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  // 16 for the owner-drawn styles by default; the system's otherwise.
  int ItemHeight() const;
  void SetItemHeight(int Value);
  // Rows shown by the dropped-down list.
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool DroppedDown() const;
  void SetDroppedDown(bool Value);

  TCanvas* Canvas() const { return FCanvas.get(); }
  void WndProc(TMessage& Message) override;

  // The user picked a row or typed into the edit.
  TNotifyEvent OnChange;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  AnsiString GetText() const override;
  virtual void Change();
  // As the list box's (odComboBoxEdit marks the selection field).
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  bool HasEdit() const { return FStyle == csDropDown || FStyle == csSimple; }

private:
  friend class TComboBoxStrings;
  void CNCommand(TMessage& Message);
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void AdjustDropDown();
  void SetListText(TMessage& Message);

  TOwned<TStrings> FItems;
  TOwned<TControlCanvas> FCanvas;
  TComboBoxStyle FStyle = csDropDown;
  int FItemHeight = 16;
  int FDropDownCount = 8;
  bool FSorted = false;
  int FItemIndex = -1;
  bool FCreating = false;
};

class TComboBox : public TCustomComboBox {
public:
  using TCustomComboBox::TCustomComboBox;
};

// ---------------------------------------------------------------------------
// Start-up of the unit

// Registers the unit's classes and their published properties with the
// class registry (safe to call more than once).
void InitializeStdCtrls();
