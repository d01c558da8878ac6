// The standard controls with UTF-16 text: the memo base, the list box, the
// label and the push button. Each has a Unicode window of the system class
// (the label none), a wide Caption or Text and a wide Hint beside the
// framework's 8-bit ones, the wide layout entries, and wide action links.
#pragma once

#include <memory>

#include "StdCtrls.h"
#include "System.h"
#include "UniActnList.h"
#include "UniClasses.h"
#include "UniControls.h"
#include "UniSysUtils.h"

// Registers the unit's classes and their wide properties (safe to call more
// than once).
void InitializeUniStdCtrls();

// What each control of the layer adds to its framework class: the wide
// hint, the wide layout entries after the framework's, and the wide action
// links (a wide action's caption and hint taken first).
template <class Base> class TUniControlOf : public Base {
public:
  using Base::Base;

  WideString Hint() const { return WideGetControlHint(const_cast<TUniControlOf*>(this)); }
  void SetHint(const WideString& Value) { WideSetControlHint(this, Value); }

protected:
  void DefineProperties(TFiler* Filer) override {
    Base::DefineProperties(Filer);
    TUniWideStringPropertyFiler::DefineProperties(Filer, this);
  }
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    UniActionChange(this, Sender, CheckDefaults);
    Base::ActionChange(Sender, CheckDefaults);
  }
  const TActionLinkClass* GetActionLinkClass() const override {
    return ChooseUniActionLinkClass(const_cast<TUniControlOf*>(this), Base::GetActionLinkClass());
  }
};

class TUniCustomMemo;
class TUniCustomListBox;

// ---------------------------------------------------------------------------
// Memo

// The lines of a memo, read and written through its Unicode window. Without
// a Unicode window they are the framework's 8-bit lines, converted.
class TUniMemoStrings : public TUniStrings {
public:
  explicit TUniMemoStrings(TUniCustomMemo* AMemo) : FMemo(AMemo) {}

  // The line breaks the text is given when set as a whole.
  TTextLineBreakStyle LineBreakStyle = tlbsCRLF;

  void Put(int Index, const WideString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  // At a line: S and CR LF go in front of it. Past the last line: CR LF and
  // S go behind it, unless that line is empty (or there is none): then
  // nothing happens, as with the framework's memo.
  void Insert(int Index, const WideString& S) override;

protected:
  // The line's text; a line of 65,536 units or more comes back cut to
  // 65,535 (the size word of EM_GETLINE is 16 bits).
  WideString Get(int Index) const override;
  int GetCount() const override;
  WideString GetTextStr() const override;
  void SetTextStr(const WideString& Value) override;
  void SetUpdateState(bool Updating) override;

private:
  bool UsesWindow() const;
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  void ReplaceRange(int Start, int End, const WideString& S);

  TUniCustomMemo* FMemo;
};

// The framework's memo with a Unicode "EDIT" window and wide lines, text and
// selection (in UTF-16 units).
class TUniCustomMemo : public TUniControlOf<TCustomMemo> {
public:
  explicit TUniCustomMemo(TComponent* AOwner);
  ~TUniCustomMemo() override;

  TUniStrings* Lines() const { return FLines.get(); }
  void SetLines(TUniStrings* Value) { FLines->Assign(Value); }
  WideString Text() const { return WideGetControlText(const_cast<TUniCustomMemo*>(this)); }
  void SetText(const WideString& Value) { WideSetControlText(this, Value); }

  // On the Unicode platform the window counts in UTF-16 units already; off
  // it, the 8-bit positions are converted.
  virtual int SelStart();
  virtual void SetSelStart(int Value);
  virtual int SelLength();
  virtual void SetSelLength(int Value);
  WideString SelText();

protected:
  // With a Far-East locale off the Unicode platform a read-only window is
  // made writable and then set read-only by an 8-bit EM_SETREADONLY.
  void CreateWindowHandle(const TCreateParams& Params) override;

private:
  std::unique_ptr<TUniMemoStrings> FLines;
};

// Makes Params' window for an "EDIT" control under the Far-East rule above
// (the memo and the grid's in-place editor).
void CreateUniEditHandle(TWinControl* Control, const TCreateParams& Params);

// ---------------------------------------------------------------------------
// List box

// The rows of a Unicode list box: in its window while it has one (wide list
// messages), kept wide while it has none, and the framework's 8-bit rows,
// converted, for an 8-bit window.
class TUniListBoxStrings : public TUniStrings {
public:
  explicit TUniListBoxStrings(TUniCustomListBox* AListBox) : FListBox(AListBox) {}

  // A negative answer of the window raises EOutOfResources.
  int Add(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  // The row's object and the list's ItemIndex stay.
  void Put(int Index, const WideString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  // Texts and objects swap; an ItemIndex on one of the rows goes with it.
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  // By the system's comparison, which ignores case.
  int IndexOf(const WideString& S) const override;

protected:
  // An index the window has no row for raises "List index out of bounds
  // (%d)"; the text is cut at its first 0.
  WideString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void SetUpdateState(bool Updating) override;

private:
  enum TPath { pWindow, pKept, pAnsi };
  TPath Path() const;
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  void CheckIndex(int Index) const;
  void Inserted(LRESULT Result) const;

  TUniCustomListBox* FListBox;
};

// The row text of a virtual list box, for the wide OnData.
using TLBGetWideDataEvent = TMethodPtr<void(TWinControl* Control, int Index, WideString& Data)>;

// What a list can be given rows with wide text by CopySelection.
class IUniAddItem {
public:
  virtual ~IUniAddItem() = default;
  virtual void AddItem(const WideString& Item, TObject* AObject) = 0;
};

// The framework's list box with a Unicode "LISTBOX" window and wide rows.
// The rows, TopIndex and ItemIndex survive a re-creation of the window.
class TUniCustomListBox : public TUniControlOf<TCustomListBox>, public IUniAddItem {
public:
  explicit TUniCustomListBox(TComponent* AOwner);
  ~TUniCustomListBox() override;

  TUniStrings* Items() const { return FItems.get(); }
  void SetItems(TUniStrings* Value) { FItems->Assign(Value); }
  int Count() const;
  void Clear() { FItems->Clear(); }
  // Kept while there is no window.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  int TopIndex() const;
  void SetTopIndex(int Value);

  void AddItem(const WideString& Item, TObject* AObject) override;
  // The selected rows (multi-select) or the ItemIndex row, with their
  // objects, added to Destination: wide when it takes wide rows, else
  // through its 8-bit rows.
  void CopySelection(TCustomListBox* Destination);

  void WndProc(TMessage& Message) override;

  // The row texts of the virtual styles; without it the framework's 8-bit
  // OnData gives them.
  TLBGetWideDataEvent OnData;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Without OnDrawItem: the rectangle filled, the wide row text 2 pixels in.
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;

private:
  friend class TUniListBoxStrings;
  // The wide rows while there is no window, made on first need (taking up
  // any 8-bit rows the framework kept).
  TUniStringList* Kept();
  bool HasUnicodeWindow() const;
  // The wide text of row Index of a virtual style; false when there is none.
  bool VirtualData(int Index, WideString& Data);
  void AnswerVirtualText(TMessage& Message);

  std::unique_ptr<TUniListBoxStrings> FItems;
  std::unique_ptr<TUniStringList> FSavedItems;
  int FSavedTopIndex = 0;
  int FSavedItemIndex = -1;
};

class TUniListBox : public TUniCustomListBox {
public:
  using TUniCustomListBox::TUniCustomListBox;
};

// ---------------------------------------------------------------------------
// Label

// The framework's label drawing its wide caption.
class TUniCustomLabel : public TUniControlOf<TCustomLabel> {
public:
  using TUniControlOf::TUniControlOf;

  WideString Caption() const { return WideGetControlText(const_cast<TUniCustomLabel*>(this)); }
  void SetCaption(const WideString& Value) { WideSetControlText(this, Value); }

  void WndProc(TMessage& Message) override;

protected:
  // The wide text drawn (the caption).
  virtual WideString GetWideLabelText() const;
  // Measuring an empty text, or a lone "&" shown as an accelerator, measures
  // one space; a disabled label is drawn engraved.
  void DoDrawText(TRect& Rect, int Flags) override;
};

class TUniLabel : public TUniCustomLabel {
public:
  using TUniCustomLabel::TUniCustomLabel;
};

// ---------------------------------------------------------------------------
// Button

// The framework's push button with a Unicode "BUTTON" window; its wide
// caption's accelerator clicks it.
class TUniButton : public TUniControlOf<TButton> {
public:
  using TUniControlOf::TUniControlOf;

  WideString Caption() const { return WideGetControlText(const_cast<TUniButton*>(this)); }
  void SetCaption(const WideString& Value) { WideSetControlText(this, Value); }

  void WndProc(TMessage& Message) override;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
};
