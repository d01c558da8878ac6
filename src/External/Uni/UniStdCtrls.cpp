#include "UniStdCtrls.h"

#include <algorithm>
#include <cstring>

#include "Lists.h"
#include "TypInfo.h"
#include "UniActnList.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniWindows.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SLineInsertError = "Unable to insert a line";

WideString CutAtZero(WideString S) {
  const size_t Zero = S.find(L'\0');
  if (Zero != WideString::npos) S.resize(Zero);
  return S;
}

}  // namespace

// ---------------------------------------------------------------------------
// TUniMemoStrings

bool TUniMemoStrings::UsesWindow() const { return FMemo->HandleAllocated() && IsWindowUnicode(FMemo->Handle()); }

LRESULT TUniMemoStrings::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
  return SendMessageW(FMemo->Handle(), Msg, WParam, LParam);
}

int TUniMemoStrings::GetCount() const { return FMemo->TCustomMemo::Lines()->Count(); }

WideString TUniMemoStrings::Get(int Index) const {
  if (!UsesWindow()) return AnsiToWide(FMemo->TCustomMemo::Lines()->Strings(Index));
  const LRESULT Start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  const LRESULT Len = Start < 0 ? 0 : Send(EM_LINELENGTH, static_cast<WPARAM>(Start), 0);
  if (Len <= 0) return {};
  // The first unit tells EM_GETLINE the buffer's size, which it reads as
  // 16 bits: a longer line comes back cut to what that says.
  const LRESULT Size = std::min<LRESULT>(Len, 0xFFFF);
  WideString Buffer(static_cast<size_t>(Len) + 1, L'\0');
  Buffer[0] = static_cast<WideChar>(Size);
  const LRESULT Got = Send(EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Buffer.data()));
  Buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(Got, 0, Size)));
  return Buffer;
}

void TUniMemoStrings::ReplaceRange(int Start, int End, const WideString& S) {
  Send(EM_SETSEL, static_cast<WPARAM>(Start), End);
  Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

void TUniMemoStrings::Put(int Index, const WideString& S) {
  if (!UsesWindow()) {
    FMemo->TCustomMemo::Lines()->Put(Index, WideToAnsi(S));
    return;
  }
  const LRESULT Start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  if (Start < 0) return;
  const LRESULT Len = Send(EM_LINELENGTH, static_cast<WPARAM>(Start), 0);
  ReplaceRange(static_cast<int>(Start), static_cast<int>(Start + Len), S);
}

void TUniMemoStrings::Insert(int Index, const WideString& S) {
  if (Index < 0) return;
  if (!UsesWindow()) {
    FMemo->TCustomMemo::Lines()->Insert(Index, WideToAnsi(S));
    return;
  }
  LRESULT Start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  if (Start >= 0) {
    ReplaceRange(static_cast<int>(Start), static_cast<int>(Start), S + L"\r\n");
    return;
  }
  Start = Send(EM_LINEINDEX, static_cast<WPARAM>(Index - 1), 0);
  if (Start < 0) return;
  const LRESULT Len = Send(EM_LINELENGTH, static_cast<WPARAM>(Start), 0);
  if (Len <= 0) return;
  ReplaceRange(static_cast<int>(Start + Len), static_cast<int>(Start + Len), L"\r\n" + S);
}

void TUniMemoStrings::Clear() { FMemo->TCustomMemo::Lines()->Clear(); }

void TUniMemoStrings::Delete(int Index) { FMemo->TCustomMemo::Lines()->Delete(Index); }

WideString TUniMemoStrings::GetTextStr() const { return WideGetControlText(FMemo); }

void TUniMemoStrings::SetTextStr(const WideString& Value) {
  WideSetControlText(FMemo, WideAdjustLineBreaks(Value, LineBreakStyle));
}

void TUniMemoStrings::SetUpdateState(bool Updating) {
  if (Updating)
    FMemo->TCustomMemo::Lines()->BeginUpdate();
  else
    FMemo->TCustomMemo::Lines()->EndUpdate();
}

// ---------------------------------------------------------------------------
// TUniCustomMemo

TUniCustomMemo::TUniCustomMemo(TComponent* AOwner) : TUniControlOf(AOwner) {
  FLines = std::make_unique<TUniMemoStrings>(this);
}

TUniCustomMemo::~TUniCustomMemo() = default;

void CreateUniEditHandle(TWinControl* Control, const TCreateParams& Params) {
  if (!(UniFarEastLocale && !IsUnicodePlatform && (Params.Style & ES_READONLY))) {
    CreateUnicodeHandle(Control, Params, L"EDIT");
    return;
  }
  // Such a system makes a read-only edit of this kind unusable; set
  // afterwards it works.
  TCreateParams Writable = Params;
  Writable.Style &= ~static_cast<DWORD>(ES_READONLY);
  CreateUnicodeHandle(Control, Writable, L"EDIT");
  SendMessageA(Control->Handle(), EM_SETREADONLY, 1, 0);
}

void TUniCustomMemo::CreateWindowHandle(const TCreateParams& Params) { CreateUniEditHandle(this, Params); }

int TUniCustomMemo::SelStart() {
  if (IsUnicodePlatform) return TCustomEdit::SelStart();
  const AnsiString Ansi = TCustomEdit::Text();
  const size_t N = std::min(static_cast<size_t>(std::max(TCustomEdit::SelStart(), 0)), Ansi.size());
  return static_cast<int>(AnsiToWide(Ansi.substr(0, N)).size());
}

void TUniCustomMemo::SetSelStart(int Value) {
  if (IsUnicodePlatform) {
    TCustomEdit::SetSelStart(Value);
    return;
  }
  const WideString Wide = Text();
  TCustomEdit::SetSelStart(
      static_cast<int>(WideToAnsi(Wide.substr(0, static_cast<size_t>(std::max(Value, 0)))).size()));
}

int TUniCustomMemo::SelLength() {
  if (IsUnicodePlatform) return TCustomEdit::SelLength();
  return static_cast<int>(SelText().size());
}

void TUniCustomMemo::SetSelLength(int Value) {
  if (IsUnicodePlatform) {
    TCustomEdit::SetSelLength(Value);
    return;
  }
  const WideString Wide = Text();
  const size_t Start = std::min(static_cast<size_t>(std::max(SelStart(), 0)), Wide.size());
  TCustomEdit::SetSelLength(
      static_cast<int>(WideToAnsi(Wide.substr(Start, static_cast<size_t>(std::max(Value, 0)))).size()));
}

WideString TUniCustomMemo::SelText() {
  if (!IsUnicodePlatform) return AnsiToWide(TCustomEdit::SelText());
  const WideString Wide = Text();
  const size_t Start = std::min(static_cast<size_t>(std::max(SelStart(), 0)), Wide.size());
  return Wide.substr(Start, static_cast<size_t>(std::max(SelLength(), 0)));
}

// ---------------------------------------------------------------------------
// TUniListBoxStrings

TUniListBoxStrings::TPath TUniListBoxStrings::Path() const {
  if (FListBox->HandleAllocated()) return FListBox->HasUnicodeWindow() ? pWindow : pAnsi;
  return IsUnicodePlatform && !FListBox->IsVirtual() ? pKept : pAnsi;
}

LRESULT TUniListBoxStrings::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
  return SendMessageW(FListBox->Handle(), Msg, WParam, LParam);
}

void TUniListBoxStrings::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) ListError(SListIndexError, Index);
}

void TUniListBoxStrings::Inserted(LRESULT Result) const {
  if (Result < 0) throw EOutOfResources(SLineInsertError);
}

int TUniListBoxStrings::GetCount() const {
  switch (Path()) {
    case pWindow: return static_cast<int>(Send(LB_GETCOUNT, 0, 0));
    case pKept: return FListBox->FSavedItems ? FListBox->FSavedItems->Count() : FListBox->TCustomListBox::Items()->Count();
    default: return FListBox->TCustomListBox::Items()->Count();
  }
}

WideString TUniListBoxStrings::Get(int Index) const {
  switch (Path()) {
    case pWindow: {
      const LRESULT Len = Send(LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
      if (Len < 0) ListError(SListIndexError, Index);
      WideString Buffer(static_cast<size_t>(Len) + 1, L'\0');
      const LRESULT Got = Send(LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Buffer.data()));
      if (Got < 0) return {};
      Buffer.resize(static_cast<size_t>(std::min(Got, Len)));
      return CutAtZero(std::move(Buffer));
    }
    case pKept:
      CheckIndex(Index);
      return FListBox->Kept()->Strings(Index);
    default:
      return AnsiToWide(FListBox->TCustomListBox::Items()->Strings(Index));
  }
}

TObject* TUniListBoxStrings::GetObject(int Index) const {
  if (Path() == pKept) {
    CheckIndex(Index);
    return FListBox->Kept()->Objects(Index);
  }
  return FListBox->TCustomListBox::Items()->Objects(Index);
}

void TUniListBoxStrings::PutObject(int Index, TObject* AObject) {
  if (Path() == pKept) {
    CheckIndex(Index);
    FListBox->Kept()->PutObject(Index, AObject);
    return;
  }
  FListBox->TCustomListBox::Items()->PutObject(Index, AObject);
}

int TUniListBoxStrings::Add(const WideString& S) {
  switch (Path()) {
    case pWindow: {
      const LRESULT R = Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
      Inserted(R);
      return static_cast<int>(R);
    }
    case pKept: return FListBox->Kept()->Add(S);
    default: return FListBox->TCustomListBox::Items()->Add(WideToAnsi(S));
  }
}

void TUniListBoxStrings::Insert(int Index, const WideString& S) {
  switch (Path()) {
    case pWindow: Inserted(Send(LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str()))); break;
    case pKept: FListBox->Kept()->Insert(Index, S); break;
    default: FListBox->TCustomListBox::Items()->Insert(Index, WideToAnsi(S)); break;
  }
}

void TUniListBoxStrings::Clear() {
  switch (Path()) {
    case pWindow: FListBox->ResetContent(); break;
    case pKept: FListBox->Kept()->Clear(); break;
    default: FListBox->TCustomListBox::Items()->Clear(); break;
  }
}

void TUniListBoxStrings::Delete(int Index) {
  switch (Path()) {
    case pWindow:
      CheckIndex(Index);
      FListBox->DeleteString(Index);
      break;
    case pKept: FListBox->Kept()->Delete(Index); break;
    default: FListBox->TCustomListBox::Items()->Delete(Index); break;
  }
}

void TUniListBoxStrings::Put(int Index, const WideString& S) {
  if (Path() == pKept) {
    FListBox->Kept()->Put(Index, S);
    return;
  }
  CheckIndex(Index);
  const int Selected = FListBox->ItemIndex();
  TObject* Data = GetObject(Index);
  PutObject(Index, nullptr);
  Delete(Index);
  InsertObject(Index, S, nullptr);
  PutObject(Index, Data);
  FListBox->SetItemIndex(Selected);
}

void TUniListBoxStrings::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  if (Index1 == Index2) return;
  InUpdate(*this, [&] {
    const int Selected = FListBox->ItemIndex();
    const WideString Text1 = Get(Index1);
    TObject* Data1 = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, Text1);
    PutObject(Index2, Data1);
    if (Selected == Index1)
      FListBox->SetItemIndex(Index2);
    else if (Selected == Index2)
      FListBox->SetItemIndex(Index1);
  });
}

void TUniListBoxStrings::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  InUpdate(*this, [&] {
    const WideString Text = Get(CurIndex);
    TObject* Data = GetObject(CurIndex);
    PutObject(CurIndex, nullptr);
    Delete(CurIndex);
    Insert(NewIndex, Text);
    PutObject(NewIndex, Data);
  });
}

int TUniListBoxStrings::IndexOf(const WideString& S) const {
  switch (Path()) {
    case pWindow: return static_cast<int>(Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
    case pKept: return FListBox->Kept()->IndexOf(S);
    default: return FListBox->TCustomListBox::Items()->IndexOf(WideToAnsi(S));
  }
}

void TUniListBoxStrings::SetUpdateState(bool Updating) {
  if (Path() == pKept) return;
  if (Updating)
    FListBox->TCustomListBox::Items()->BeginUpdate();
  else
    FListBox->TCustomListBox::Items()->EndUpdate();
}

// ---------------------------------------------------------------------------
// TUniCustomListBox

TUniCustomListBox::TUniCustomListBox(TComponent* AOwner) : TUniControlOf(AOwner) {
  FItems = std::make_unique<TUniListBoxStrings>(this);
}

TUniCustomListBox::~TUniCustomListBox() = default;

bool TUniCustomListBox::HasUnicodeWindow() const {
  return HandleAllocated() && IsWindowUnicode(const_cast<TUniCustomListBox*>(this)->Handle());
}

TUniStringList* TUniCustomListBox::Kept() {
  if (FSavedItems) return FSavedItems.get();
  FSavedItems = std::make_unique<TUniStringList>();
  TStrings* Ansi = TCustomListBox::Items();
  for (int I = 0; I < Ansi->Count(); ++I) FSavedItems->AddObject(AnsiToWide(Ansi->Strings(I)), Ansi->Objects(I));
  Ansi->Clear();
  return FSavedItems.get();
}

int TUniCustomListBox::Count() const { return IsVirtual() ? TCustomListBox::Count() : FItems->Count(); }

int TUniCustomListBox::ItemIndex() const {
  if (HandleAllocated() || !FSavedItems) return TCustomListBox::ItemIndex();
  return FSavedItemIndex >= 0 && FSavedItemIndex < FSavedItems->Count() ? FSavedItemIndex : -1;
}

void TUniCustomListBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) FSavedItemIndex = Value;
  TCustomListBox::SetItemIndex(Value);
}

int TUniCustomListBox::TopIndex() const {
  if (HandleAllocated() || !FSavedItems) return TCustomListBox::TopIndex();
  return FSavedTopIndex;
}

void TUniCustomListBox::SetTopIndex(int Value) {
  if (!HandleAllocated()) FSavedTopIndex = Value;
  TCustomListBox::SetTopIndex(Value);
}

void TUniCustomListBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"LISTBOX");
}

void TUniCustomListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  if (!FSavedItems) return;
  // The rows go into the new window; from here on the window holds them.
  const std::unique_ptr<TUniStringList> Saved = std::move(FSavedItems);
  FItems->Assign(Saved.get());
  SetTopIndex(FSavedTopIndex);
  SetItemIndex(FSavedItemIndex);
}

void TUniCustomListBox::DestroyWnd() {
  // The framework would keep the rows as 8-bit text: they are taken out
  // wide first, so that it finds none.
  if (!ComponentState().Contains(csDestroying) && !IsVirtual() && HasUnicodeWindow()) {
    FSavedTopIndex = TCustomListBox::TopIndex();
    FSavedItemIndex = TCustomListBox::ItemIndex();
    if (FItems->Count() > 0) {
      auto Saved = std::make_unique<TUniStringList>();
      Saved->Assign(FItems.get());
      TCustomListBox::Items()->Clear();
      FSavedItems = std::move(Saved);
    }
  }
  TCustomListBox::DestroyWnd();
}

bool TUniCustomListBox::VirtualData(int Index, WideString& Data) {
  if (Index < 0 || Index >= Count()) return false;
  if (OnData) {
    OnData(this, Index, Data);
    return true;
  }
  if (TCustomListBox::OnData) {
    AnsiString Ansi;
    TCustomListBox::OnData(this, Index, Ansi);
    Data = AnsiToWide(Ansi);
    return true;
  }
  return false;
}

void TUniCustomListBox::AnswerVirtualText(TMessage& Message) {
  WideString Data;
  if (!VirtualData(static_cast<int>(Message.WParam), Data)) {
    Message.Result = LB_ERR;
    return;
  }
  // Both answers give the length of the text LB_GETTEXT copies.
  const AnsiString Ansi = IsUnicodePlatform ? AnsiString() : WideToAnsi(Data);
  const size_t Length = IsUnicodePlatform ? Data.size() : Ansi.size();
  if (Message.Msg == LB_GETTEXT) {
    if (!Message.LParam) {
      Message.Result = LB_ERR;
      return;
    }
    if (IsUnicodePlatform)
      std::memcpy(reinterpret_cast<void*>(Message.LParam), Data.c_str(), (Length + 1) * sizeof(WideChar));
    else
      std::memcpy(reinterpret_cast<void*>(Message.LParam), Ansi.c_str(), Length + 1);
  }
  Message.Result = static_cast<LRESULT>(Length);
}

void TUniCustomListBox::WndProc(TMessage& Message) {
  if ((Message.Msg == LB_GETTEXT || Message.Msg == LB_GETTEXTLEN) && IsVirtual()) {
    AnswerVirtualText(Message);
    return;
  }
  TCustomListBox::WndProc(Message);
}

void TUniCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    TCustomListBox::DrawItem(Index, Rect, State);
    return;
  }
  TCanvas* C = Canvas();
  C->FillRect(Rect);
  if (Index >= Count()) return;
  const WideString Text = FItems->Strings(Index);
  C->RequiredState({csHandleValid, csFontValid, csBrushValid});
  RECT R = Rect;
  R.left += 2;
  DrawTextWOrA(C->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TUniCustomListBox::AddItem(const WideString& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

void TUniCustomListBox::CopySelection(TCustomListBox* Destination) {
  if (!Destination) return;
  auto Copy = [&](int Index) {
    const WideString Text = FItems->Strings(Index);
    TObject* Data = FItems->Objects(Index);
    if (auto* Wide = dynamic_cast<IUniAddItem*>(Destination))
      Wide->AddItem(Text, Data);
    else
      Destination->Items()->AddObject(WideToAnsi(Text), Data);
  };
  if (MultiSelect()) {
    for (int I = 0, N = Count(); I < N; ++I)
      if (Selected(I)) Copy(I);
  } else if (ItemIndex() >= 0) {
    Copy(ItemIndex());
  }
}

// ---------------------------------------------------------------------------
// TUniCustomLabel

WideString TUniCustomLabel::GetWideLabelText() const { return Caption(); }

void TUniCustomLabel::DoDrawText(TRect& Rect, int Flags) {
  if (!IsUnicodePlatform) {
    TCustomLabel::DoDrawText(Rect, Flags);
    return;
  }
  DrawLabelText(GetWideLabelText(), Rect, Flags, [](HDC DC, const WideString& Text, RECT* R, UINT Format) {
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), R, Format);
  });
}

void TUniCustomLabel::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: {
      // The wide caption's accelerator stands in for the framework's 8-bit
      // one, which may name another letter.
      TWinControl* Focus = FocusControl();
      if (Focus && Enabled() && ShowAccelChar() && IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) &&
          Focus->CanFocus()) {
        Focus->SetFocus();
        Message.Result = 1;
        return;
      }
      TGraphicControl::WndProc(Message);
      return;
    }
    case CM_HINTSHOW:
      if (Message.LParam) WideSubstituteHint(*reinterpret_cast<THintInfo*>(Message.LParam));
      break;
    default:
      break;
  }
  TCustomLabel::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TUniButton

void TUniButton::CreateWindowHandle(const TCreateParams& Params) { CreateUnicodeHandle(this, Params, L"BUTTON"); }

void TUniButton::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      Click();
      Message.Result = 1;
      return;
    }
    // Past the framework button's 8-bit accelerator, on to the children.
    TButtonControl::WndProc(Message);
    return;
  }
  TButton::WndProc(Message);
}

// ---------------------------------------------------------------------------

void InitializeUniStdCtrls() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  InitializeStdCtrls();
  RegisterClass<TUniCustomMemo, TCustomMemo>()
      .WStr("Text", &TUniCustomMemo::Text, &TUniCustomMemo::SetText, "TWideCaption")
      .WStr("Hint", &TUniCustomMemo::Hint, &TUniCustomMemo::SetHint);
  RegisterClass<TUniCustomListBox, TCustomListBox>()
      .WStr("Hint", &TUniCustomListBox::Hint, &TUniCustomListBox::SetHint)
      .Event("OnData", &TUniCustomListBox::OnData);
  RegisterClass<TUniListBox, TUniCustomListBox>().Object("Items", &TUniListBox::Items, &TUniListBox::SetItems);
  RegisterClass<TUniCustomLabel, TCustomLabel>().WStr("Hint", &TUniCustomLabel::Hint, &TUniCustomLabel::SetHint);
  RegisterClass<TUniLabel, TUniCustomLabel>().WStr("Caption", &TUniLabel::Caption, &TUniLabel::SetCaption,
                                                   "TWideCaption");
  RegisterClass<TUniButton, TButton>()
      .WStr("Caption", &TUniButton::Caption, &TUniButton::SetCaption, "TWideCaption")
      .WStr("Hint", &TUniButton::Hint, &TUniButton::SetHint);
}
