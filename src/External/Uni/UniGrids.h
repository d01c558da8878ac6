// Grids with UTF-16 cell texts: the string grid keeps each cell's text as
// UTF-8 in the framework's 8-bit cell and draws it wide; both grids edit
// through a Unicode in-place editor and hand wide edit texts to their events.
#pragma once

#include "Grids.h"
#include "System.h"
#include "UniControls.h"
#include "UniStdCtrls.h"
#include "UniSysUtils.h"

// Registers the grid classes and their wide properties (safe to call more
// than once).
void InitializeUniGrids();

using TUniGetEditEvent = TMethodPtr<void(TObject* Sender, int ACol, int ARow, WideString& Value)>;
using TUniSetEditEvent = TMethodPtr<void(TObject* Sender, int ACol, int ARow, const WideString& Value)>;

// The in-place editor: a Unicode "EDIT" that shows the grid's wide edit
// text. The framework has no edit masks, so the text always goes in wide.
class TUniInplaceEdit : public TInplaceEdit {
public:
  using TInplaceEdit::TInplaceEdit;

  void UpdateContents() override;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUniEditHandle(this, Params); }
};

// What the two grids share, over the framework's string grid or draw grid.
template <class Base> class TUniGridOf : public TUniControlOf<Base> {
public:
  using TUniControlOf<Base>::TUniControlOf;

  // A typed character (backspace, or 32 and up) opens the editor with goEditing
  // and is posted to it as the wide character it is.
  void WndProc(TMessage& Message) override;

  TUniGetEditEvent OnGetEditText;
  TUniSetEditEvent OnSetEditText;

protected:
  friend class TUniInplaceEdit;

  // The editor's text for a cell: the wide cell text (a draw grid has none),
  // then OnGetEditText.
  virtual WideString GetWideEditText(int ACol, int ARow);
  // The edited text: the string grid stores it (as UTF-8) under the
  // SettingEditText guard, then OnSetEditText.
  virtual void SetWideEditText(int ACol, int ARow, const WideString& Value);
  // The framework's 8-bit edit text, converted from the wide one.
  AnsiString GetEditText(int ACol, int ARow) override { return WideToAnsi(GetWideEditText(ACol, ARow)); }
  // An edit the framework ends goes the wide way, with the editor's wide
  // text.
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  TInplaceEdit* CreateEditor() override { return new TUniInplaceEdit(this); }  // owned by the grid
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, nullptr); }

  // Set while the wide edit text is being stored through the framework.
  bool SettingEditText = false;
};

// A string grid whose cells hold UTF-16 texts.
class TUniStringGrid : public TUniGridOf<TStringGrid> {
public:
  using TUniGridOf::TUniGridOf;

  // The cell's text: its 8-bit cell read as UTF-8 (bytes that are no UTF-8
  // read as U+FFFD); writing stores the UTF-8 form.
  WideString Cells(int ACol, int ARow) const { return UTF8ToWide(TStringGrid::Cells(ACol, ARow)); }
  void SetCells(int ACol, int ARow, const WideString& Value) { TStringGrid::SetCells(ACol, ARow, WideToUTF8(Value)); }

protected:
  // The wide text at (left + 2, top + 2), then the framework's drawing with
  // default drawing off, so that the UTF-8 bytes never show.
  void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) override;
};

class TUniCustomDrawGrid : public TUniGridOf<TDrawGrid> {
public:
  using TUniGridOf::TUniGridOf;
};

template <class Base> void TUniGridOf<Base>::WndProc(TMessage& Message) {
  const Word Low = static_cast<Word>(Message.WParam & 0xFF);
  if (Message.Msg == WM_CHAR && this->Options().Contains(goEditing) && (Low == 8 || Low >= 32)) {
    TMessage Char = Message;
    UnpackWideCharMessage(Char);
    if (!this->EditorMode()) this->ShowEditor();
    TInplaceEdit* Editor = this->InplaceEditor();
    if (this->EditorMode() && Editor && Editor->HandleAllocated()) {
      if (IsUnicodePlatform)
        PostMessageW(Editor->Handle(), WM_CHAR, Char.WParam, Message.LParam);
      else
        PostMessageA(Editor->Handle(), WM_CHAR, Char.WParam, Message.LParam);
      Message.Result = 0;
      return;
    }
  }
  Base::WndProc(Message);
}

template <class Base> WideString TUniGridOf<Base>::GetWideEditText(int ACol, int ARow) {
  WideString Value;
  if constexpr (std::is_base_of_v<TStringGrid, Base>) Value = UTF8ToWide(TStringGrid::Cells(ACol, ARow));
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, Value);
  return Value;
}

template <class Base> void TUniGridOf<Base>::SetWideEditText(int ACol, int ARow, const WideString& Value) {
  if constexpr (std::is_base_of_v<TStringGrid, Base>) {
    SettingEditText = true;
    try {
      Base::SetEditText(ACol, ARow, WideToUTF8(Value));
    } catch (...) {
      SettingEditText = false;
      throw;
    }
  }
  SettingEditText = false;
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

template <class Base> void TUniGridOf<Base>::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (SettingEditText) {
    Base::SetEditText(ACol, ARow, Value);
    return;
  }
  TInplaceEdit* Editor = this->InplaceEditor();
  SetWideEditText(ACol, ARow, Editor ? WideGetControlText(Editor) : AnsiToWide(Value));
}
