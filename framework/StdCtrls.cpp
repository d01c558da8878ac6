#include "StdCtrls.h"

#include <algorithm>
#include <vector>

#include "Consts.h"
#include "SysUtils.h"
#include "TypInfo.h"

namespace {


// Lends a DC to a canvas for the length of a drawing step; the DC's own
// state comes back afterwards.
class TLentDC {
public:
  TLentDC(TCanvas* Canvas, HDC DC) : FCanvas(Canvas), FDC(DC), FSaved(SaveDC(DC)) {
    if (auto* C = dynamic_cast<TControlCanvas*>(FCanvas)) C->FreeHandle();
    FCanvas->SetHandle(DC);
  }
  ~TLentDC() {
    FCanvas->SetHandle(nullptr);
    RestoreDC(FDC, FSaved);
  }
  TLentDC(const TLentDC&) = delete;
  TLentDC& operator=(const TLentDC&) = delete;

private:
  TCanvas* FCanvas;
  HDC FDC;
  int FSaved;
};

// A DC of the screen, for measuring text outside painting.
class TScreenDC {
public:
  TScreenDC() : FDC(GetDC(nullptr)) {
    if (!FDC) throw EOutOfResources(LoadStr(SOutOfResources));
  }
  ~TScreenDC() { ReleaseDC(nullptr, FDC); }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Handle() const { return FDC; }

private:
  HDC FDC;
};

// The height of a line of text in Font.
int FontHeight(TFont* Font) {
  TScreenDC DC;
  HGDIOBJ Old = SelectObject(DC.Handle(), Font->Handle());
  TEXTMETRICA Metrics{};
  GetTextMetricsA(DC.Handle(), &Metrics);
  SelectObject(DC.Handle(), Old);
  return Metrics.tmHeight;
}

UINT AlignmentFlags(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

TWinControl* TopLevelOf(TControl* Control) {
  TWinControl* Top = dynamic_cast<TWinControl*>(Control);
  for (TWinControl* P = Control->Parent(); P; P = P->Parent()) Top = P;
  return Top;
}

// Writes Text into Rect the way list and combo boxes show their rows.
void DrawRowText(TCanvas* Canvas, TRect Rect, const AnsiString& Text) {
  Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  Rect.left += 2;
  DrawTextA(Canvas->Handle(), Text.data(), static_cast<int>(Text.size()), &Rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// Prepares the canvas of an owner-drawn row from its DRAWITEMSTRUCT.
void PrepareItemCanvas(TCanvas* Canvas, TWinControl* Control, const DRAWITEMSTRUCT& Item, TOwnerDrawState State) {
  Canvas->SetFont(Control->Font());
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Control->Color());
  if (static_cast<int>(Item.itemID) >= 0 && State.Contains(odSelected)) {
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->Font()->SetColor(clHighlightText);
  }
}

// ---------------------------------------------------------------------------
// Rows of a list or combo box

// The rows live in the window while it exists; without one they are kept
// here, and they move into a new window when it is made and back out
// before it is destroyed, so that nothing is lost across a re-creation.
class TItemStrings : public TStrings {
public:
  explicit TItemStrings(TWinControl* Control) : FControl(Control) {}

  int Add(const AnsiString& S) override;
  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;

  // The window was made: the kept rows go into it. Rows names kept rows
  // (the selection) and gets their places in the window (which a sorted
  // list chooses itself); -1 stays -1.
  void MoveToWindow(std::vector<int>& Rows);
  // The window goes: its rows are kept.
  void MoveFromWindow();

protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void SetUpdateState(bool Updating) override;

  // The list messages of the window class.
  struct TMessages {
    UINT AddString, InsertString, GetCount, GetText, GetTextLen, GetCurSel, SetCurSel;
  };
  virtual const TMessages& Messages() const = 0;
  virtual bool Sorted() const = 0;
  virtual void WndDelete(int Index) = 0;
  virtual void WndReset() = 0;
  virtual LRESULT WndGetData(int Index) const = 0;
  virtual void WndSetData(int Index, LRESULT Data) = 0;

  bool HasWindow() const { return FControl->HandleAllocated(); }
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const { return FControl->Perform(Msg, WParam, LParam); }
  void CheckIndex(int Index, int Limit) const {
    if (Index < 0 || Index > Limit) Error(SListIndexError, Index);
  }

private:
  // Where a sorted row goes among the kept ones (after its equals, as the
  // system's list does).
  int SortedPlace(const AnsiString& S) const;
  int WndInsert(UINT Msg, int Index, const AnsiString& S);

  TWinControl* FControl;
  TStringList FKept;
};

int TItemStrings::WndInsert(UINT Msg, int Index, const AnsiString& S) {
  const LRESULT R = Send(Msg, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str()));
  if (R < 0) throw EOutOfResources(LoadStr(SLineInsertError));
  return static_cast<int>(R);
}

int TItemStrings::SortedPlace(const AnsiString& S) const {
  int Lo = 0, Hi = FKept.Count();
  while (Lo < Hi) {
    const int Mid = (Lo + Hi) / 2;
    const AnsiString& T = FKept.Strings(Mid);
    const int R = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, T.data(), static_cast<int>(T.size()), S.data(),
                                 static_cast<int>(S.size()));
    if (R != 0 && R <= CSTR_EQUAL)
      Lo = Mid + 1;
    else
      Hi = Mid;
  }
  return Lo;
}

int TItemStrings::Add(const AnsiString& S) {
  if (HasWindow()) return WndInsert(Messages().AddString, 0, S);
  const int Index = Sorted() ? SortedPlace(S) : FKept.Count();
  FKept.Insert(Index, S);
  return Index;
}

void TItemStrings::Insert(int Index, const AnsiString& S) {
  CheckIndex(Index, GetCount());
  if (HasWindow())
    WndInsert(Messages().InsertString, Index, S);
  else
    FKept.Insert(Index, S);
}

void TItemStrings::Delete(int Index) {
  CheckIndex(Index, GetCount() - 1);
  if (HasWindow())
    WndDelete(Index);
  else
    FKept.Delete(Index);
}

void TItemStrings::Clear() {
  if (HasWindow())
    WndReset();
  else
    FKept.Clear();
}

void TItemStrings::Put(int Index, const AnsiString& S) {
  CheckIndex(Index, GetCount() - 1);
  if (!HasWindow()) {
    FKept.Put(Index, S);
    return;
  }
  // The row goes and comes back: its object and the selection stay.
  const LRESULT Selected = Send(Messages().GetCurSel, 0, 0);
  const LRESULT Data = WndGetData(Index);
  WndDelete(Index);
  WndInsert(Messages().InsertString, Index, S);
  WndSetData(Index, Data);
  if (Selected >= 0) Send(Messages().SetCurSel, static_cast<WPARAM>(Selected), 0);
}

void TItemStrings::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index, GetCount() - 1);
  if (HasWindow())
    WndSetData(Index, reinterpret_cast<LRESULT>(AObject));
  else
    FKept.PutObject(Index, AObject);
}

AnsiString TItemStrings::Get(int Index) const {
  if (!HasWindow()) return FKept.Strings(Index);
  const LRESULT Len = Send(Messages().GetTextLen, static_cast<WPARAM>(Index), 0);
  if (Len < 0) Error(SListIndexError, Index);
  std::vector<char> Buffer(static_cast<size_t>(Len) + 1, '\0');
  const LRESULT Got = Send(Messages().GetText, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Buffer.data()));
  if (Got < 0) return {};
  return AnsiString(Buffer.data(), static_cast<size_t>(std::min(Got, Len)));
}

int TItemStrings::GetCount() const {
  if (!HasWindow()) return FKept.Count();
  return static_cast<int>(Send(Messages().GetCount, 0, 0));
}

TObject* TItemStrings::GetObject(int Index) const {
  if (!HasWindow()) return FKept.Objects(Index);
  CheckIndex(Index, GetCount() - 1);
  const LRESULT Data = WndGetData(Index);
  return Data == LB_ERR ? nullptr : reinterpret_cast<TObject*>(Data);
}

void TItemStrings::SetUpdateState(bool Updating) {
  if (!HasWindow()) return;
  Send(WM_SETREDRAW, Updating ? 0 : 1, 0);
  if (!Updating) FControl->Invalidate();
}

void TItemStrings::MoveToWindow(std::vector<int>& Rows) {
  std::vector<int> Places(Rows.size(), -1);
  const int N = FKept.Count();
  for (int I = 0; I < N; ++I) {
    const int Index = WndInsert(Messages().AddString, 0, FKept.Strings(I));
    if (TObject* O = FKept.Objects(I)) WndSetData(Index, reinterpret_cast<LRESULT>(O));
    for (size_t K = 0; K < Rows.size(); ++K) {
      if (Places[K] >= Index) ++Places[K];
      if (Rows[K] == I) Places[K] = Index;
    }
  }
  FKept.Clear();
  Rows = Places;
}

void TItemStrings::MoveFromWindow() {
  FKept.Clear();
  const int N = GetCount();
  for (int I = 0; I < N; ++I) {
    const LRESULT Data = WndGetData(I);
    FKept.AddObject(Get(I), Data == LB_ERR ? nullptr : reinterpret_cast<TObject*>(Data));
  }
}

}  // namespace

// The rows of a list box (outside the anonymous namespace: the list box
// befriends it).
class TListBoxStrings : public TItemStrings {
public:
  explicit TListBoxStrings(TCustomListBox* ListBox) : TItemStrings(ListBox), FListBox(ListBox) {}

  // A virtual list box has only a count; its texts come from OnData.
  int Add(const AnsiString& S) override {
    CheckWritable();
    return TItemStrings::Add(S);
  }
  void Insert(int Index, const AnsiString& S) override {
    CheckWritable();
    TItemStrings::Insert(Index, S);
  }
  void Delete(int Index) override {
    CheckWritable();
    TItemStrings::Delete(Index);
  }
  void Put(int Index, const AnsiString& S) override {
    CheckWritable();
    TItemStrings::Put(Index, S);
  }
  void PutObject(int Index, TObject* AObject) override {
    CheckWritable();
    TItemStrings::PutObject(Index, AObject);
  }
  void Clear() override {
    if (FListBox->IsVirtual())
      FListBox->SetCount(0);
    else
      TItemStrings::Clear();
  }

protected:
  AnsiString Get(int Index) const override {
    if (!FListBox->IsVirtual()) return TItemStrings::Get(Index);
    CheckIndex(Index, FListBox->Count() - 1);
    return FListBox->GetData(Index);
  }
  int GetCount() const override { return FListBox->IsVirtual() ? FListBox->Count() : TItemStrings::GetCount(); }
  TObject* GetObject(int Index) const override { return FListBox->IsVirtual() ? nullptr : TItemStrings::GetObject(Index); }

  const TMessages& Messages() const override {
    static const TMessages M{LB_ADDSTRING, LB_INSERTSTRING, LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_GETCURSEL,
                             LB_SETCURSEL};
    return M;
  }
  bool Sorted() const override { return FListBox->Sorted(); }
  void WndDelete(int Index) override { FListBox->DeleteString(Index); }
  void WndReset() override { FListBox->ResetContent(); }
  LRESULT WndGetData(int Index) const override { return FListBox->GetItemData(Index); }
  void WndSetData(int Index, LRESULT Data) override { FListBox->SetItemData(Index, Data); }

private:
  void CheckWritable() const {
    if (FListBox->IsVirtual()) throw EStringListError(LoadStr(SVirtualListRows));
  }
  TCustomListBox* FListBox;
};

// The rows of a combo box.
class TComboBoxStrings : public TItemStrings {
public:
  explicit TComboBoxStrings(TCustomComboBox* ComboBox) : TItemStrings(ComboBox), FComboBox(ComboBox) {}

protected:
  const TMessages& Messages() const override {
    static const TMessages M{CB_ADDSTRING, CB_INSERTSTRING, CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_GETCURSEL,
                             CB_SETCURSEL};
    return M;
  }
  bool Sorted() const override { return FComboBox->Sorted(); }
  void WndDelete(int Index) override { Send(CB_DELETESTRING, static_cast<WPARAM>(Index), 0); }
  void WndReset() override { Send(CB_RESETCONTENT, 0, 0); }
  LRESULT WndGetData(int Index) const override { return Send(CB_GETITEMDATA, static_cast<WPARAM>(Index), 0); }
  void WndSetData(int Index, LRESULT Data) override { Send(CB_SETITEMDATA, static_cast<WPARAM>(Index), Data); }

private:
  TCustomComboBox* FComboBox;
};

namespace {

// ---------------------------------------------------------------------------
// Lines of a memo

// A memo's lines: line breaks are CR LF; a last empty line is not counted.
// The lines are worked on in the window while there is one, else in the
// memo's kept text, with the same results.
class TMemoStrings : public TStrings {
public:
  explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}

  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override { FMemo->Clear(); }
  void Put(int Index, const AnsiString& S) override;

protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  AnsiString GetTextStr() const override { return FMemo->Text(); }
  void SetTextStr(const AnsiString& Value) override;
  void SetUpdateState(bool Updating) override;

private:
  bool HasWindow() const { return FMemo->HandleAllocated(); }
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const { return FMemo->Perform(Msg, WParam, LParam); }
  // The edit's own line model: all lines (the last may be empty), the
  // character index where a line starts (-1 beyond the last) and the length
  // of the line holding a character index.
  int LineCount() const;
  int LineIndex(int Line) const;
  int LineLength(int CharIndex) const;
  void Replace(int Start, int End, const AnsiString& S);

  TCustomMemo* FMemo;
};

int TMemoStrings::LineCount() const {
  if (HasWindow()) return static_cast<int>(Send(EM_GETLINECOUNT, 0, 0));
  const AnsiString Text = FMemo->Text();
  int N = 1;
  for (size_t P = Text.find("\r\n"); P != AnsiString::npos; P = Text.find("\r\n", P + 2)) ++N;
  return N;
}

int TMemoStrings::LineIndex(int Line) const {
  if (HasWindow()) return static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(Line), 0));
  const AnsiString Text = FMemo->Text();
  size_t Start = 0;
  for (int I = 0; I < Line; ++I) {
    const size_t P = Text.find("\r\n", Start);
    if (P == AnsiString::npos) return -1;
    Start = P + 2;
  }
  return static_cast<int>(Start);
}

int TMemoStrings::LineLength(int CharIndex) const {
  if (HasWindow()) return static_cast<int>(Send(EM_LINELENGTH, static_cast<WPARAM>(CharIndex), 0));
  const AnsiString Text = FMemo->Text();
  const size_t At = static_cast<size_t>(std::max(CharIndex, 0));
  size_t Start = 0;
  for (size_t P = Text.find("\r\n"); P != AnsiString::npos && P + 2 <= At; P = Text.find("\r\n", P + 2)) Start = P + 2;
  size_t End = Text.find("\r\n", Start);
  if (End == AnsiString::npos) End = Text.size();
  return static_cast<int>(End - Start);
}

void TMemoStrings::Replace(int Start, int End, const AnsiString& S) {
  if (HasWindow()) {
    Send(EM_SETSEL, static_cast<WPARAM>(Start), End);
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
    return;
  }
  AnsiString Text = FMemo->Text();
  Text.replace(static_cast<size_t>(Start), static_cast<size_t>(End - Start), S);
  FMemo->SetText(Text);
}

int TMemoStrings::GetCount() const {
  int N = LineCount();
  if (N > 0 && LineLength(LineIndex(N - 1)) == 0) --N;
  return N;
}

AnsiString TMemoStrings::Get(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  const int Start = LineIndex(Index);
  const int Len = LineLength(Start);
  if (Len <= 0) return {};
  if (!HasWindow()) return FMemo->Text().substr(static_cast<size_t>(Start), static_cast<size_t>(Len));
  // EM_GETLINE takes the buffer's size in its first word.
  std::vector<char> Buffer(std::max<size_t>(static_cast<size_t>(Len), sizeof(WORD)) + 1, '\0');
  *reinterpret_cast<WORD*>(Buffer.data()) = static_cast<WORD>(std::min(Len, 0xFFFF));
  const LRESULT Got = Send(EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Buffer.data()));
  return AnsiString(Buffer.data(), static_cast<size_t>(std::clamp<LRESULT>(Got, 0, Len)));
}

void TMemoStrings::Insert(int Index, const AnsiString& S) {
  if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
  int Start = LineIndex(Index);
  if (Start >= 0) {
    Replace(Start, Start, S + "\r\n");
    return;
  }
  // After a last line without a line break.
  Start = LineIndex(Index - 1);
  Start += LineLength(Start);
  Replace(Start, Start, "\r\n" + S);
}

void TMemoStrings::Delete(int Index) {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  const int Start = LineIndex(Index);
  int End = LineIndex(Index + 1);
  if (End < 0) End = Start + LineLength(Start);
  Replace(Start, End, AnsiString());
}

void TMemoStrings::Put(int Index, const AnsiString& S) {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  const int Start = LineIndex(Index);
  Replace(Start, Start + LineLength(Start), S);
}

void TMemoStrings::SetTextStr(const AnsiString& Value) {
  // Up to a zero byte, with every line break made CR LF.
  AnsiString Text;
  Text.reserve(Value.size());
  for (size_t I = 0; I < Value.size() && Value[I] != '\0'; ++I) {
    const char C = Value[I];
    if (C == '\r' || C == '\n') {
      if (C == '\r' && I + 1 < Value.size() && Value[I + 1] == '\n') ++I;
      Text += "\r\n";
    } else {
      Text += C;
    }
  }
  FMemo->SetText(Text);
}

void TMemoStrings::SetUpdateState(bool Updating) {
  if (!HasWindow()) return;
  Send(WM_SETREDRAW, Updating ? 0 : 1, 0);
  if (!Updating) FMemo->Invalidate();
}

}  // namespace

bool IsAccel(Word Key, const AnsiString& Caption) {
  for (size_t I = 0; I + 1 < Caption.size(); ++I) {
    if (Caption[I] != '&') continue;
    if (Caption[I + 1] == '&') {
      ++I;
      continue;
    }
    char A = Caption[I + 1];
    char B = static_cast<char>(Key);
    CharUpperBuffA(&A, 1);
    CharUpperBuffA(&B, 1);
    return A == B;
  }
  return false;
}

// ---------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle << csOpaque << csReplicatable;
  SetBounds(0, 0, 65, 17);
  TControl::SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value)
    FControlStyle >> csOpaque;
  else
    FControlStyle << csOpaque;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TControl::SetAutoSize(Value);
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

AnsiString TCustomLabel::GetLabelText() const { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, int Flags) {
  DrawLabelText(GetLabelText(), Rect, Flags, [](HDC DC, const AnsiString& Text, RECT* R, UINT Format) {
    DrawTextA(DC, Text.data(), static_cast<int>(Text.size()), R, Format);
  });
}

void TCustomLabel::Paint() {
  TCanvas* C = Canvas();
  const TRect Client = ClientRect();
  if (!Transparent()) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(Client);
  }
  C->Brush()->SetStyle(bsClear);
  C->RequiredState({csHandleValid, csBrushValid});
  const int Flags = static_cast<int>(DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentFlags(FAlignment));
  TRect R = Client;
  if (FLayout != tlTop) {
    TRect Measured = R;
    DoDrawText(Measured, Flags | DT_CALCRECT);
    const int Room = Height() - Measured.bottom;
    OffsetRect(&R, 0, FLayout == tlBottom ? Room : Room / 2);
  }
  DoDrawText(R, Flags);
}

void TCustomLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  TRect R = ClientRect();
  {
    TScreenDC DC;
    TLentDC Lent(Canvas(), DC.Handle());
    DoDrawText(R, static_cast<int>(DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0)));
  }
  int X = Left();
  if (FAlignment == taRightJustify) X += Width() - R.right;
  SetBounds(X, Top(), R.right, R.bottom);
}

void TCustomLabel::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      TGraphicControl::WndProc(Message);
      AdjustBounds();
      return;
    case CM_DIALOGCHAR:
      if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(static_cast<Word>(Message.WParam), Caption()) &&
          FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TGraphicControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  // The system button reports clicks itself (BN_CLICKED); it also takes
  // the mouse capture itself.
  FControlStyle = {csSetCaption, csDoubleClicks};
  SetTabStop(true);
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 75, 25); }

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  TButtonControl::CreateWnd();
  FActive = FDefault;
}

void TButton::SetButtonStyle(bool ADefault) {
  if (!HandleAllocated()) return;
  const LONG Style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((GetWindowLongA(FHandle, GWL_STYLE) & 0xF) != Style) Perform(BM_SETSTYLE, static_cast<WPARAM>(Style), 1);
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  if (!HandleAllocated()) return;
  // Everyone works out again which button Enter goes to.
  TWinControl* Top = TopLevelOf(this);
  Top->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Top->FocusedControl()));
}

void TButton::Click() {
  if (TCustomForm* Form = GetParentForm(this)) Form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Click();
      Message.Result = 0;
      return;
    case CM_DIALOGKEY: {
      const TShiftState Shift = KeyDataToShiftState(Message.LParam);
      const bool Plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
      if (Plain && ((Message.WParam == VK_RETURN && FActive) || (Message.WParam == VK_ESCAPE && FCancel)) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      auto* Focused = dynamic_cast<TButton*>(reinterpret_cast<TControl*>(Message.LParam));
      FActive = Focused ? Focused == this : FDefault;
      SetButtonStyle(FActive);
      break;
    }
    default:
      break;
  }
  TButtonControl::WndProc(Message);
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 97, 17); }

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  Perform(BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  if (HandleAllocated()) Perform(BM_SETCHECK, static_cast<WPARAM>(FState), 0);
  if (!ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      Message.Result = 0;
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TButtonControl::WndProc(Message);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 113, 17);
  SetTabStop(false);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  Perform(BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  if (HandleAllocated()) Perform(BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Value) return;
  if (TWinControl* P = Parent()) {
    for (int I = 0; I < P->ControlCount(); ++I)
      if (auto* Sibling = dynamic_cast<TRadioButton*>(P->Controls(I)); Sibling && Sibling != this)
        Sibling->SetChecked(false);
  }
  if (!ComponentState().Contains(csLoading)) Click();
}

void TRadioButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED)
        SetChecked(true);
      else if (HIWORD(Message.WParam) == BN_DOUBLECLICKED)
        DblClick();
      Message.Result = 0;
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TButtonControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_GROUPBOX;
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TWinControl::AdjustClientRect(Rect);
  Rect.top += FontHeight(Font());
  InflateRect(&Rect, -1, -1);
  if (Ctl3D()) InflateRect(&Rect, -1, -1);
}

void TCustomGroupBox::DefaultHandler(void* Msg) {
  // The system group box is transparent to the mouse and takes the focus
  // when clicked; as a container it must see the mouse (its windowless
  // children do) and never take the focus.
  TMessage& M = *static_cast<TMessage*>(Msg);
  if (HandleAllocated() && (M.Msg == WM_NCHITTEST || (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MBUTTONDBLCLK))) {
    M.Result = DefWindowProcA(FHandle, M.Msg, M.WParam, M.LParam);
    return;
  }
  TWinControl::DefaultHandler(Msg);
}

void TCustomGroupBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
        if (TWinControl* First = FindNextControl(nullptr, true, true, false)) First->SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_FONTCHANGED:
      TWinControl::WndProc(Message);
      Realign();
      return;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(0, 0, 121, 25);
  SetTabStop(true);
  SetParentColor(false);
  TControl::SetAutoSize(true);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) Params.Style |= ES_OEMCONVERT;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FPasswordChar != '\0') Params.Style |= ES_PASSWORD;
}

void TCustomEdit::CreateWnd() {
  // The text the window starts with is no change of the user's.
  FCreating = true;
  try {
    TWinControl::CreateWnd();
  } catch (...) {
    FCreating = false;
    throw;
  }
  FCreating = false;
  Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FPasswordChar != '\0') Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
  Perform(EM_SETMODIFY, FModified ? 1 : 0, 0);
  UpdateHeight();
}

void TCustomEdit::DestroyWnd() {
  FModified = Modified();
  TWinControl::DestroyWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  UpdateHeight();
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
  Value = std::max(Value, 0);
  if (FMaxLength == Value) return;
  FMaxLength = Value;
  if (HandleAllocated()) Perform(EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SetOEMConvert(bool Value) {
  if (FOEMConvert == Value) return;
  FOEMConvert = Value;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (FPasswordChar == Value) return;
  const bool StyleChanges = (FPasswordChar == '\0') != (Value == '\0');
  FPasswordChar = Value;
  if (!HandleAllocated()) return;
  if (StyleChanges) {
    RecreateWnd();
    return;
  }
  Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (HandleAllocated()) Perform(EM_SETREADONLY, Value ? 1 : 0, 0);
}

bool TCustomEdit::Modified() const {
  if (!HandleAllocated()) return FModified;
  return const_cast<TCustomEdit*>(this)->Perform(EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value) {
  if (HandleAllocated())
    Perform(EM_SETMODIFY, Value ? 1 : 0, 0);
  else
    FModified = Value;
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TWinControl::SetAutoSize(Value);
  UpdateHeight();
}

void TCustomEdit::UpdateHeight() {
  if (AutoSize() && FBorderStyle == bsSingle) {
    FControlStyle << csFixedHeight;
    AdjustHeight();
  } else {
    FControlStyle >> csFixedHeight;
  }
}

void TCustomEdit::AdjustHeight() {
  const int Frame = GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
  SetHeight(FontHeight(Font()) + Frame);
}

int TCustomEdit::SelStart() {
  DWORD Start = 0;
  Handle();
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&Start), 0);
  return static_cast<int>(Start);
}

void TCustomEdit::SetSelStart(int Value) {
  Handle();
  Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::SelLength() {
  DWORD Start = 0, End = 0;
  Handle();
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
  return static_cast<int>(End - Start);
}

void TCustomEdit::SetSelLength(int Value) {
  const int Start = SelStart();
  Perform(EM_SETSEL, static_cast<WPARAM>(Start), Start + Value);
  Perform(EM_SCROLLCARET, 0, 0);
}

AnsiString TCustomEdit::SelText() {
  const int Start = SelStart();
  const int Len = SelLength();
  const AnsiString T = Text();
  if (Start < 0 || static_cast<size_t>(Start) >= T.size() || Len <= 0) return {};
  return T.substr(static_cast<size_t>(Start), static_cast<size_t>(Len));
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
  Handle();
  Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) Perform(EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE && !FCreating) Change();
      Message.Result = 0;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // A click places the caret itself: AutoSelect stays out of it.
      FControlState << csLButtonDown;
      break;
    case CM_ENTER:
      if (FAutoSelect && !FControlState.Contains(csLButtonDown) && HandleAllocated() &&
          !(GetWindowLongA(FHandle, GWL_STYLE) & ES_MULTILINE))
        SelectAll();
      break;
    case CM_FONTCHANGED:
      TWinControl::WndProc(Message);
      if (HandleAllocated()) UpdateHeight();
      return;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomMemo

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(new TMemoStrings(this)) {
  SetBounds(Left(), Top(), 185, 89);
  TControl::SetAutoSize(false);
  FControlStyle >> csFixedHeight;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE;
  if (FWordWrap) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  if (FAlignment == taCenter) Params.Style |= ES_CENTER;
  if (FAlignment == taRightJustify) Params.Style |= ES_RIGHT;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == '\r' && !FWantReturns) Key = '\0';
}

void TCustomMemo::WndProc(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::WndProc(Message);
    if (FWantTabs)
      Message.Result |= DLGC_WANTTAB;
    else
      Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
    if (!FWantReturns) Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    return;
  }
  TCustomEdit::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomListBox

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TListBoxStrings(this)), FCanvas(new TControlCanvas()) {
  // Clicks are LBN_SELCHANGE, double clicks LBN_DBLCLK.
  FControlStyle = {csSetCaption, csDoubleClicks};
  FCanvas->SetControl(this);
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  Params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  switch (FStyle) {
    case lbStandard: Params.Style |= LBS_HASSTRINGS; break;
    case lbOwnerDrawFixed: Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWFIXED; break;
    case lbOwnerDrawVariable: Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWVARIABLE; break;
    case lbVirtual:
    case lbVirtualOwnerDraw: Params.Style |= LBS_NODATA | LBS_OWNERDRAWFIXED; break;
  }
  if (FSorted && !IsVirtual()) Params.Style |= LBS_SORT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  // The system list box repaints what needs it.
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  // The selected rows, first the current one.
  std::vector<int> Rows{FItemIndex};
  for (size_t I = 0; I < FSelection.size(); ++I)
    if (FSelection[I]) Rows.push_back(static_cast<int>(I));
  if (IsVirtual())
    Perform(LB_SETCOUNT, static_cast<WPARAM>(FCount), 0);
  else
    static_cast<TListBoxStrings*>(FItems.get())->MoveToWindow(Rows);
  FItemIndex = Rows[0];
  if (FMultiSelect) {
    for (size_t I = 1; I < Rows.size(); ++I)
      if (Rows[I] >= 0) Perform(LB_SETSEL, TRUE, Rows[I]);
    if (FItemIndex >= 0) Perform(LB_SETCARETINDEX, static_cast<WPARAM>(FItemIndex), 0);
  } else if (FItemIndex >= 0) {
    Perform(LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  }
  Perform(LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
  FSelection.clear();
}

void TCustomListBox::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying)) {
    FItemIndex = ItemIndex();
    FTopIndex = TopIndex();
    FSelection.clear();
    for (int I = 0, N = Count(); I < N; ++I) FSelection.push_back(Selected(I));
    if (IsVirtual())
      FCount = Count();
    else
      static_cast<TListBoxStrings*>(FItems.get())->MoveFromWindow();
  }
  TWinControl::DestroyWnd();
}

int TCustomListBox::Count() const {
  if (IsVirtual()) return HandleAllocated() ? static_cast<int>(const_cast<TCustomListBox*>(this)->Perform(LB_GETCOUNT, 0, 0)) : FCount;
  return FItems->Count();
}

void TCustomListBox::SetCount(int Value) {
  if (!IsVirtual()) throw EInvalidOperation(LoadStr(SVirtualListCount));
  FCount = std::max(Value, 0);
  if (HandleAllocated()) Perform(LB_SETCOUNT, static_cast<WPARAM>(FCount), 0);
}

int TCustomListBox::ItemIndex() const {
  if (!HandleAllocated()) return FItemIndex >= 0 && FItemIndex < Count() ? FItemIndex : -1;
  auto* Self = const_cast<TCustomListBox*>(this);
  if (FMultiSelect) return Count() == 0 ? -1 : static_cast<int>(Self->Perform(LB_GETCARETINDEX, 0, 0));
  return static_cast<int>(Self->Perform(LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) {
    FItemIndex = Value;
    return;
  }
  if (FMultiSelect)
    Perform(LB_SETCARETINDEX, static_cast<WPARAM>(Value), 0);
  else
    Perform(LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

int TCustomListBox::TopIndex() const {
  if (!HandleAllocated()) return FTopIndex;
  return static_cast<int>(const_cast<TCustomListBox*>(this)->Perform(LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int Value) {
  if (HandleAllocated())
    Perform(LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
  else
    FTopIndex = Value;
}

int TCustomListBox::ItemHeight() const {
  if (FStyle == lbStandard && HandleAllocated())
    return static_cast<int>(const_cast<TCustomListBox*>(this)->Perform(LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || FItemHeight == Value) return;
  FItemHeight = Value;
  if (!HandleAllocated() || FStyle == lbStandard) return;
  if (FStyle == lbOwnerDrawVariable) {
    RecreateWnd();
    return;
  }
  Perform(LB_SETITEMHEIGHT, 0, Value);
  Invalidate();
}

void TCustomListBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (HandleAllocated()) {
    RecreateWnd();
    return;
  }
  if (Value && !IsVirtual()) {
    // The kept rows take the order the window would give them.
    TStringList Rows;
    for (int I = 0; I < FItems->Count(); ++I) Rows.AddObject(FItems->Strings(I), FItems->Objects(I));
    FItems->BeginUpdate();
    FItems->Clear();
    for (int I = 0; I < Rows.Count(); ++I) FItems->AddObject(Rows.Strings(I), Rows.Objects(I));
    FItems->EndUpdate();
  }
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  const bool ToVirtual = Value == lbVirtual || Value == lbVirtualOwnerDraw;
  // Only a list box that had its window, or sits on a parent, gets one again:
  // one without a parent would otherwise appear on its own on the desktop.
  const bool Placed = HandleAllocated() || Parent();
  if (HandleAllocated()) DestroyHandle();
  if (ToVirtual != IsVirtual()) {
    // Rows and count do not carry over between the virtual and the other
    // styles.
    if (!IsVirtual()) FItems->Clear();
    FCount = 0;
    FItemIndex = -1;
    FTopIndex = 0;
    FSelection.clear();
  }
  FStyle = Value;
  if (Placed) UpdateControlState();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  RecreateWnd();
}

bool TCustomListBox::Selected(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(FmtLoadStr(SListIndexError, Index));
  if (!HandleAllocated()) {
    if (!FMultiSelect) return Index == FItemIndex;
    return static_cast<size_t>(Index) < FSelection.size() && FSelection[static_cast<size_t>(Index)];
  }
  return const_cast<TCustomListBox*>(this)->Perform(LB_GETSEL, static_cast<WPARAM>(Index), 0) > 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= Count()) throw EListError(FmtLoadStr(SListIndexError, Index));
  if (HandleAllocated()) {
    if (FMultiSelect)
      Perform(LB_SETSEL, Value ? TRUE : FALSE, Index);
    else
      Perform(LB_SETCURSEL, Value ? static_cast<WPARAM>(Index) : static_cast<WPARAM>(-1), 0);
    return;
  }
  if (!FMultiSelect) {
    if (Value)
      FItemIndex = Index;
    else if (FItemIndex == Index)
      FItemIndex = -1;
    return;
  }
  if (FSelection.size() <= static_cast<size_t>(Index)) FSelection.resize(static_cast<size_t>(Index) + 1, false);
  FSelection[static_cast<size_t>(Index)] = Value;
}

int TCustomListBox::SelCount() const {
  if (!FMultiSelect) return -1;
  if (HandleAllocated()) return static_cast<int>(const_cast<TCustomListBox*>(this)->Perform(LB_GETSELCOUNT, 0, 0));
  return static_cast<int>(std::count(FSelection.begin(), FSelection.end(), true));
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) const {
  const TRect Client = ClientRect();
  if (PtInRect(&Client, Pos)) {
    const int N = Count();
    for (int I = TopIndex(); I < N; ++I) {
      const TRect R = ItemRect(I);
      if (PtInRect(&R, Pos)) return I;
    }
    if (!Existing) return N;
  }
  return -1;
}

TRect TCustomListBox::ItemRect(int Index) const {
  TRect R{};
  if (!HandleAllocated()) return R;
  auto* Self = const_cast<TCustomListBox*>(this);
  const int N = Count();
  if (Index == 0 || (Index > 0 && Index < N)) {
    Self->Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&R));
  } else if (Index == N) {
    Self->Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index - 1), reinterpret_cast<LPARAM>(&R));
    OffsetRect(&R, 0, R.bottom - R.top);
  }
  return R;
}

LRESULT TCustomListBox::GetItemData(int Index) { return Perform(LB_GETITEMDATA, static_cast<WPARAM>(Index), 0); }

void TCustomListBox::SetItemData(int Index, LRESULT Data) { Perform(LB_SETITEMDATA, static_cast<WPARAM>(Index), Data); }

void TCustomListBox::ResetContent() { Perform(LB_RESETCONTENT, 0, 0); }

void TCustomListBox::DeleteString(int Index) { Perform(LB_DELETESTRING, static_cast<WPARAM>(Index), 0); }

AnsiString TCustomListBox::GetData(int Index) {
  AnsiString Data;
  if (OnData) OnData(this, Index, Data);
  return Data;
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < Count()) DrawRowText(FCanvas.get(), Rect, FItems->Strings(Index));
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

namespace {

// The owner-drawn row of a list or combo box that WM_DRAWITEM asks for:
// the canvas lent the system's DC and prepared for the row's state, then
// DrawRow for a real row (an empty box gets its background), then the focus.
template <class F>
void DrawReflectedItem(TWinControl* Control, TCanvas* Canvas, TMessage& Message, F&& DrawRow) {
  const auto& Item = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  const TOwnerDrawState State = TOwnerDrawState::FromBits(LOWORD(Item.itemState));
  TLentDC Lent(Canvas, Item.hDC);
  PrepareItemCanvas(Canvas, Control, Item, State);
  if (static_cast<int>(Item.itemID) >= 0)
    DrawRow(static_cast<int>(Item.itemID), Item.rcItem, State);
  else
    Canvas->FillRect(Item.rcItem);
  if (State.Contains(odFocused)) ::DrawFocusRect(Item.hDC, &Item.rcItem);
  Message.Result = 1;
}

// The row height WM_MEASUREITEM asks for: the fixed height, or the one
// Measure gives when the rows vary.
template <class F> void MeasureReflectedItem(TMessage& Message, int Height, bool Variable, F&& Measure) {
  auto& Item = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (Variable) Measure(static_cast<int>(Item.itemID), Height);
  Item.itemHeight = static_cast<UINT>(std::max(Height, 1));
  Message.Result = 1;
}

}  // namespace

void TCustomListBox::CNDrawItem(TMessage& Message) {
  DrawReflectedItem(this, FCanvas.get(), Message,
                    [this](int Index, const TRect& Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
}

void TCustomListBox::CNMeasureItem(TMessage& Message) {
  MeasureReflectedItem(Message, FItemHeight, FStyle == lbOwnerDrawVariable,
                       [this](int Index, int& Height) { MeasureItem(Index, Height); });
}

void TCustomListBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE: Click(); break;
        case LBN_DBLCLK: DblClick(); break;
        default: break;
      }
      Message.Result = 0;
      return;
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case CN_MEASUREITEM:
      CNMeasureItem(Message);
      return;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TComboBoxStrings(this)), FCanvas(new TControlCanvas()) {
  // The system combo box takes the mouse capture itself (for its list).
  FControlStyle = {csSetCaption, csDoubleClicks, csFixedHeight};
  FCanvas->SetControl(this);
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetParentColor(false);
}

TCustomComboBox::~TCustomComboBox() = default;

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (FStyle) {
    case csDropDown: Params.Style |= CBS_DROPDOWN; break;
    case csSimple: Params.Style |= CBS_SIMPLE; break;
    case csDropDownList: Params.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    case csOwnerDrawVariable: Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE; break;
  }
  if (FSorted) Params.Style |= CBS_SORT;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomComboBox::CreateWnd() {
  // The edit's text goes in last: picking the row would replace it.
  const AnsiString Saved = FText;
  FCreating = true;
  try {
    TWinControl::CreateWnd();
    std::vector<int> Rows{FItemIndex};
    static_cast<TComboBoxStrings*>(FItems.get())->MoveToWindow(Rows);
    FItemIndex = Rows[0];
    if (FItemIndex >= 0) Perform(CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    if (HasEdit() && !Saved.empty()) Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Saved.c_str()));
  } catch (...) {
    FCreating = false;
    throw;
  }
  FCreating = false;
}

void TCustomComboBox::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying)) {
    FItemIndex = ItemIndex();
    static_cast<TComboBoxStrings*>(FItems.get())->MoveFromWindow();
  }
  TWinControl::DestroyWnd();
}

AnsiString TCustomComboBox::GetText() const {
  if (HandleAllocated() || HasEdit()) return TWinControl::GetText();
  const int Index = ItemIndex();
  return Index >= 0 ? FItems->Strings(Index) : AnsiString();
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  FItemIndex = -1;
  if (HasEdit()) SetText(AnsiString());
}

int TCustomComboBox::ItemIndex() const {
  if (!HandleAllocated()) return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItemIndex : -1;
  return static_cast<int>(const_cast<TCustomComboBox*>(this)->Perform(CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (HandleAllocated())
    Perform(CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
  else
    FItemIndex = Value;
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

int TCustomComboBox::ItemHeight() const {
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable || !HandleAllocated()) return FItemHeight;
  return static_cast<int>(const_cast<TCustomComboBox*>(this)->Perform(CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int Value) {
  if (Value <= 0 || FItemHeight == Value) return;
  FItemHeight = Value;
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (HandleAllocated()) {
    RecreateWnd();
    return;
  }
  if (Value) {
    TStringList Rows;
    for (int I = 0; I < FItems->Count(); ++I) Rows.AddObject(FItems->Strings(I), FItems->Objects(I));
    FItems->BeginUpdate();
    FItems->Clear();
    for (int I = 0; I < Rows.Count(); ++I) FItems->AddObject(Rows.Strings(I), Rows.Objects(I));
    FItems->EndUpdate();
  }
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && const_cast<TCustomComboBox*>(this)->Perform(CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  if (HandleAllocated()) Perform(CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::AdjustDropDown() {
  // A combo box's window height, when set larger than its field, becomes
  // the height of its dropped-down list.
  const int Rows = std::clamp(FItems->Count(), 1, std::max(FDropDownCount, 1));
  SetWindowPos(FHandle, nullptr, 0, 0, Width(), ItemHeight() * Rows + Height() + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) DrawRowText(FCanvas.get(), Rect, FItems->Strings(Index));
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::CNCommand(TMessage& Message) {
  Message.Result = 0;
  if (FCreating) return;
  switch (HIWORD(Message.WParam)) {
    case CBN_SELCHANGE: {
      // The edit shows the picked row only after this notification.
      const int Index = ItemIndex();
      if (HasEdit() && Index >= 0) SetText(FItems->Strings(Index));
      Click();
      Change();
      break;
    }
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN: AdjustDropDown(); break;
    case CBN_DBLCLK: DblClick(); break;
    default: break;
  }
}

void TCustomComboBox::CNDrawItem(TMessage& Message) {
  DrawReflectedItem(this, FCanvas.get(), Message,
                    [this](int Index, const TRect& Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
}

void TCustomComboBox::CNMeasureItem(TMessage& Message) {
  MeasureReflectedItem(Message, FItemHeight, FStyle == csOwnerDrawVariable,
                       [this](int Index, int& Height) { MeasureItem(Index, Height); });
}

void TCustomComboBox::SetListText(TMessage& Message) {
  // A list without an edit shows a row: setting the text picks the row of
  // that text (none when there is no such row).
  const char* Text = reinterpret_cast<const char*>(Message.LParam);
  const int Index = FItems->IndexOf(Text ? Text : "");
  SetItemIndex(Index);
  Message.Result = Index >= 0 ? TRUE : FALSE;
}

void TCustomComboBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case CN_MEASUREITEM:
      CNMeasureItem(Message);
      return;
    case WM_SETTEXT:
      if (!HasEdit()) {
        SetListText(Message);
        return;
      }
      break;
    case CM_WANTSPECIALKEY:
      // Enter and Esc close a dropped-down list before anything else.
      if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && DroppedDown()) {
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Published properties

namespace {

const TEnumNames AlignmentNames{"taLeftJustify", "taRightJustify", "taCenter"};
const TEnumNames LeftRightNames{"taLeftJustify", "taRightJustify"};
const TEnumNames BorderStyleNames{"bsNone", "bsSingle"};

}  // namespace

void InitializeStdCtrls() {
  InitializeGraphics();
  RegisterClass<TCustomLabel, TGraphicControl>()
      .Enum("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, taLeftJustify, AlignmentNames)
      .Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, true)
      .Object("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
      .Enum("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, tlTop, {"tlTop", "tlCenter", "tlBottom"})
      .Bool("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true)
      .Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false)
      .Bool("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
  RegisterClass<TLabel, TCustomLabel>();

  RegisterClass<TButtonControl, TWinControl>();
  RegisterClass<TButton, TButtonControl>()
      .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
      .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
      .Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone, "TModalResult");
  RegisterClass<TCustomCheckBox, TButtonControl>()
      .Enum("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment, taRightJustify, LeftRightNames)
      .Bool("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed, false)
      .Bool("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked, false)
      .Enum("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState, cbUnchecked,
            {"cbUnchecked", "cbChecked", "cbGrayed"});
  RegisterClass<TCheckBox, TCustomCheckBox>();
  RegisterClass<TRadioButton, TButtonControl>()
      .Enum("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment, taRightJustify, LeftRightNames)
      .Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false);
  RegisterClass<TCustomGroupBox, TWinControl>();
  RegisterClass<TGroupBox, TCustomGroupBox>();

  RegisterClass<TCustomEdit, TWinControl>()
      .Str("Text", &TControl::Text, &TControl::SetText, "TCaption")
      .Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true)
      .Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, true)
      .Enum("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle, BorderStyleNames)
      .Enum("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, ecNormal,
            {"ecNormal", "ecUpperCase", "ecLowerCase"})
      .Int("Color", &TControl::Color, &TControl::SetColor, clWindow, "TColor")
      .Bool("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, true)
      .Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0)
      .Bool("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert, false)
      .Char("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar, 0)
      .Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
      .Event("OnChange", &TCustomEdit::OnChange);
  RegisterClass<TEdit, TCustomEdit>();
  RegisterClass<TCustomMemo, TCustomEdit>()
      .Enum("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment, taLeftJustify, AlignmentNames)
      .Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, false)
      .Object("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines)
      .Enum("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, ssNone,
            {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
      .Bool("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns, true)
      .Bool("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs, false)
      .Bool("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, true);
  RegisterClass<TMemo, TCustomMemo>();

  RegisterClass<TCustomListBox, TWinControl>()
      .Enum("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle, bsSingle, BorderStyleNames)
      .Int("Color", &TControl::Color, &TControl::SetColor, clWindow, "TColor")
      .Bool("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect, true)
      .Int("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16)
      .Object("Items", &TCustomListBox::Items, &TCustomListBox::SetItems)
      .Bool("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, false)
      .Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, false)
      .Enum("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle, lbStandard,
            {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw"})
      .Event("OnData", &TCustomListBox::OnData)
      .Event("OnDrawItem", &TCustomListBox::OnDrawItem)
      .Event("OnMeasureItem", &TCustomListBox::OnMeasureItem);
  RegisterClass<TListBox, TCustomListBox>();

  RegisterClass<TCustomComboBox, TWinControl>()
      .Str("Text", &TControl::Text, &TControl::SetText, "TCaption")
      .Int("Color", &TControl::Color, &TControl::SetColor, clWindow, "TColor")
      .Int("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8)
      .Int("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight, 16)
      .Int("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex, -1)
      .Object("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems)
      .Bool("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, false)
      .Enum("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle, csDropDown,
            {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"})
      .Event("OnChange", &TCustomComboBox::OnChange)
      .Event("OnDrawItem", &TCustomComboBox::OnDrawItem)
      .Event("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
  RegisterClass<TComboBox, TCustomComboBox>();
}
