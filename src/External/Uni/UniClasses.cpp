#include "UniClasses.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "TypInfo.h"
#include "UniSystem.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SDuplicateString = "String list does not allow duplicates";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SListCapacityError = "List capacity out of bounds (%d)";

// The bytes from the stream's position to its end; none when the position
// lies at or beyond the end.
std::string ReadRest(TStream* Stream) {
  Int64 Rest = Stream->Size() - Stream->Position();
  if (Rest <= 0) return {};
  if (Rest > INT_MAX) throw EReadError("Stream read error");
  std::string Bytes(static_cast<size_t>(Rest), '\0');
  Stream->ReadBuffer(Bytes.data(), static_cast<int>(Rest));
  return Bytes;
}

// UTF-16 units from pairs of bytes; an odd last byte is no part of the text.
WideString UnitsFromBytes(const std::string& Bytes, bool BigEndian) {
  WideString W(Bytes.size() / 2, L'\0');
  for (size_t I = 0; I < W.size(); ++I) {
    Byte First = static_cast<Byte>(Bytes[2 * I]), Second = static_cast<Byte>(Bytes[2 * I + 1]);
    W[I] = static_cast<WideChar>(BigEndian ? (First << 8) | Second : First | (Second << 8));
  }
  return W;
}

// The byte-order mark at the stream's position: the mark is consumed when
// there is one, else the position stays.
TUniFileCharSet ReadByteOrderMark(TStream* Stream) {
  Int64 Rest = Stream->Size() - Stream->Position();
  if (Rest < 2) return fcsAnsi;
  Byte Mark[3];
  Stream->ReadBuffer(Mark, 2);
  if (Mark[0] == 0xFF && Mark[1] == 0xFE) return fcsUTF16LE;
  if (Mark[0] == 0xFE && Mark[1] == 0xFF) return fcsUTF16BE;
  Stream->Seek(-2, soCurrent);
  if (Rest < 3) return fcsAnsi;
  Stream->ReadBuffer(Mark, 3);
  if (Mark[0] == 0xEF && Mark[1] == 0xBB && Mark[2] == 0xBF) return fcsUTF8;
  Stream->Seek(-3, soCurrent);
  return fcsAnsi;
}

bool IsPlainAscii(const WideString& S) {
  return std::all_of(S.begin(), S.end(), [](WideChar Ch) { return Ch < 0x80; });
}

// Layout data that only a component being designed takes over: the owner
// of what is being read is in design mode.
bool IsDesigning(TReader* Reader) {
  return Reader->Owner() && Reader->Owner()->ComponentState().Contains(csDesigning);
}

// A text stored as UTF-8: an 8-bit value holds the UTF-8 bytes; a UTF-8 or
// UTF-16 value is taken as it is.
WideString ReadUTF8Text(TReader* Reader) {
  switch (Reader->NextValue()) {
    case vaString:
    case vaLString: return UTF8ToWide(Reader->ReadString());
    default: return Reader->ReadWideString();
  }
}

std::vector<WideString> ReadLines(TReader* Reader, WideString (*ReadLine)(TReader*)) {
  std::vector<WideString> Lines;
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) Lines.push_back(ReadLine(Reader));
  Reader->ReadListEnd();
  return Lines;
}

WideString ReadWideText(TReader* Reader) { return Reader->ReadWideString(); }

WideString ReadUTF7Text(TReader* Reader) { return UTF7ToWide(Reader->ReadString()); }

// Reads a list and drops it.
void SkipLines(TReader* Reader) {
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) Reader->SkipValue();
  Reader->ReadListEnd();
}

void SetLines(TUniStrings& Strings, const std::vector<WideString>& Lines) {
  InUpdate(Strings, [&] {
    Strings.Clear();
    for (const WideString& Line : Lines) Strings.Add(Line);
  });
}

}  // namespace

void InitializeUniClasses() {
  RegisterClass<TUniStrings, TPersistent>().Object("AnsiStrings", &TUniStrings::AnsiStrings);
  RegisterClass<TUniStringList, TUniStrings>();
}

// ---------------------------------------------------------------------------
// TUniStrings

TUniStrings::TUniStrings() : FAnsiStrings(std::make_unique<TAnsiStringsForWideStrings>(this)) {}

TUniStrings::~TUniStrings() = default;

void TUniStrings::ListError(const char* Msg, int Data) { throw EStringListError(Format(Msg, Data)); }

void TUniStrings::AssignTo(TPersistent* Dest) {
  if (auto* Strings = dynamic_cast<TStrings*>(Dest)) {
    Strings->Assign(FAnsiStrings.get());
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TUniStrings::Assign(TPersistent* Source) {
  if (auto* Strings = dynamic_cast<TUniStrings*>(Source)) {
    if (Strings == this) return;  // clearing first would lose the lines
    InUpdate(*this, [&] {
      Clear();
      FDelimiter = Strings->FDelimiter;
      FQuoteChar = Strings->FQuoteChar;
      FNameValueSeparator = Strings->FNameValueSeparator;
      AddStrings(Strings);
    });
    return;
  }
  if (auto* Strings = dynamic_cast<TStrings*>(Source)) {
    FAnsiStrings->Assign(Strings);
    return;
  }
  TPersistent::Assign(Source);
}

void TUniStrings::SetAnsiStrings(TStrings* Value) { FAnsiStrings->Assign(Value); }

void TUniStrings::DefineProperties(TFiler* Filer) {
  // A single text value sets the whole text; a list gives one line each.
  auto ReadStrings = [this](TReader* Reader) {
    switch (Reader->NextValue()) {
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String: SetTextStr(Reader->ReadWideString()); break;
      default: SetLines(*this, ReadLines(Reader, ReadWideText)); break;
    }
  };
  auto ReadStringsW = [this](TReader* Reader) {
    std::vector<WideString> Lines = ReadLines(Reader, ReadUTF8Text);
    if (IsDesigning(Reader) || Count() == 0) SetLines(*this, Lines);
  };
  auto ReadStringsUTF7 = [this](TReader* Reader) {
    if (!IsDesigning(Reader)) {
      SkipLines(Reader);
      return;
    }
    SetLines(*this, ReadLines(Reader, ReadUTF7Text));
  };
  // Layouts are only read: the write side states only whether there is data.
  bool HasLines = Count() > 0;
  bool HasWideLines = false;
  for (int I = 0; I < Count() && !HasWideLines; ++I) HasWideLines = !IsPlainAscii(Get(I));
  Filer->DefineProperty("Strings", ReadStrings, nullptr, false);
  Filer->DefineProperty("WideStrings", ReadStrings, nullptr, HasLines);
  Filer->DefineProperty("WideStringsW", ReadStringsW, nullptr, false);
  Filer->DefineProperty("WideStrings_UTF7", ReadStringsUTF7, nullptr, HasWideLines);
}

TObject* TUniStrings::GetObject(int) const { return nullptr; }

WideString TUniStrings::GetTextStr() const {
  int N = GetCount();
  size_t Size = 0;
  for (int I = 0; I < N; ++I) Size += Get(I).size() + 2;
  WideString R;
  R.reserve(Size);
  for (int I = 0; I < N; ++I) {
    R += Get(I);
    R += L"\r\n";
  }
  return R;
}

void TUniStrings::Put(int Index, const WideString& S) {
  TObject* AObject = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, AObject);
}

void TUniStrings::PutObject(int, TObject*) {}

void TUniStrings::SetCapacity(int) {}

void TUniStrings::SetTextStr(const WideString& Value) {
  InUpdate(*this, [&] {
    Clear();
    const size_t Length = Value.size();
    size_t P = 0;
    while (P < Length && Value[P] != 0) {
      size_t Start = P;
      while (P < Length && Value[P] != 0 && Value[P] != L'\r' && Value[P] != L'\n' && Value[P] != 0x2028) ++P;
      Add(Value.substr(Start, P - Start));
      if (P < Length && Value[P] == L'\r') ++P;
      if (P < Length && Value[P] == L'\n') ++P;
      if (P < Length && Value[P] == 0x2028) ++P;
    }
  });
}

void TUniStrings::SetUpdateState(bool) {}

int TUniStrings::CompareStrings(const WideString& S1, const WideString& S2) const {
  return WideCompareText(S1, S2);
}

int TUniStrings::Add(const WideString& S) {
  int Index = GetCount();
  Insert(Index, S);
  return Index;
}

int TUniStrings::AddObject(const WideString& S, TObject* AObject) {
  int Index = Add(S);
  PutObject(Index, AObject);
  return Index;
}

void TUniStrings::AddStrings(TUniStrings* Strings) {
  InUpdate(*this, [&] {
    // Adding a list to itself reads lines that the adding moves.
    std::vector<TWideStringItem> Lines;
    for (int I = 0; I < Strings->Count(); ++I) Lines.push_back({Strings->Get(I), Strings->GetObject(I)});
    for (const TWideStringItem& Line : Lines) AddObject(Line.FString, Line.FObject);
  });
}

void TUniStrings::Exchange(int Index1, int Index2) {
  InUpdate(*this, [&] {
    TObject* Object1 = GetObject(Index1);
    WideString S1 = Get(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, S1);
    PutObject(Index2, Object1);
  });
}

TUniStrPtr TUniStrings::GetText() const { return TUniStrPtr(UniStrNew(GetTextStr().c_str())); }

int TUniStrings::IndexOf(const WideString& S) const {
  for (int I = 0; I < GetCount(); ++I)
    if (CompareStrings(Get(I), S) == 0) return I;
  return -1;
}

int TUniStrings::IndexOfName(const WideString& Name) const {
  for (int I = 0; I < GetCount(); ++I) {
    WideString S = Get(I);
    size_t P = S.find(FNameValueSeparator);
    if (P != WideString::npos && CompareStrings(S.substr(0, P), Name) == 0) return I;
  }
  return -1;
}

int TUniStrings::IndexOfObject(TObject* AObject) const {
  for (int I = 0; I < GetCount(); ++I)
    if (GetObject(I) == AObject) return I;
  return -1;
}

void TUniStrings::InsertObject(int Index, const WideString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TUniStrings::LoadFromFile(const WideString& FileName) {
  TUniFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  TUniFileCharSet CharSet = ReadByteOrderMark(&Stream);
  Stream.SetPosition(0);
  LoadFromStream(&Stream, true);
  FLastFileCharSet = CharSet;
}

void TUniStrings::LoadFromStream(TStream* Stream, bool DetectBOM) {
  InUpdate(*this, [&] {
    TUniFileCharSet CharSet = DetectBOM ? ReadByteOrderMark(Stream) : fcsUTF16LE;
    std::string Bytes = ReadRest(Stream);
    WideString Text;
    switch (CharSet) {
      case fcsUTF16LE: Text = UnitsFromBytes(Bytes, false); break;
      case fcsUTF16BE: Text = UnitsFromBytes(Bytes, true); break;
      case fcsUTF8: Text = UTF8ToWide(Bytes); break;
      case fcsAnsi: Text = AnsiToWide(Bytes); break;
    }
    SetTextStr(Text);
  });
}

void TUniStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  int N = GetCount();
  if (CurIndex < 0 || CurIndex >= N) ListError(SListIndexError, CurIndex);
  if (NewIndex < 0 || NewIndex >= N) ListError(SListIndexError, NewIndex);
  InUpdate(*this, [&] {
    WideString S = Get(CurIndex);
    TObject* AObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, S, AObject);
  });
}

void TUniStrings::SaveToFile(const WideString& FileName) const {
  TUniFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream, true);
}

void TUniStrings::SaveToStream(TStream* Stream, bool WriteBOM) const {
  WideString Text = GetTextStr();
  std::string Bytes;
  Bytes.reserve(Text.size() * 2 + 2);
  if (WriteBOM) Bytes += "\xFF\xFE";
  for (WideChar Ch : Text) {
    Bytes += static_cast<char>(Ch & 0xFF);
    Bytes += static_cast<char>(Ch >> 8);
  }
  Stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

void TUniStrings::BeginUpdate() {
  // Told before the count rises, so that the list still fires its event.
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TUniStrings::EndUpdate() {
  if (--FUpdateCount == 0) SetUpdateState(false);
}

// ---------------------------------------------------------------------------
// TAnsiStringsForWideStrings

AnsiString TAnsiStringsForWideStrings::Get(int Index) const { return WideToAnsi(FWideStrings->Strings(Index)); }

int TAnsiStringsForWideStrings::GetCount() const { return FWideStrings->Count(); }

TObject* TAnsiStringsForWideStrings::GetObject(int Index) const { return FWideStrings->Objects(Index); }

void TAnsiStringsForWideStrings::Put(int Index, const AnsiString& S) { FWideStrings->Put(Index, AnsiToWide(S)); }

void TAnsiStringsForWideStrings::PutObject(int Index, TObject* AObject) { FWideStrings->PutObject(Index, AObject); }

void TAnsiStringsForWideStrings::Insert(int Index, const AnsiString& S) {
  FWideStrings->Insert(Index, AnsiToWide(S));
}

void TAnsiStringsForWideStrings::Delete(int Index) { FWideStrings->Delete(Index); }

void TAnsiStringsForWideStrings::Clear() { FWideStrings->Clear(); }

void TAnsiStringsForWideStrings::SetUpdateState(bool Updating) {
  if (Updating)
    FWideStrings->BeginUpdate();
  else
    FWideStrings->EndUpdate();
}

void TAnsiStringsForWideStrings::LoadFromStreamEx(TStream* Stream, Cardinal CodePage) {
  WideString Text = CodePageToWide(ReadRest(Stream), CodePage);
  InUpdate(*this, [&] { FWideStrings->SetText(Text); });
}

void TAnsiStringsForWideStrings::SaveToStreamEx(TStream* Stream, Cardinal CodePage) const {
  AnsiString Bytes = WideToCodePage(FWideStrings->Text(), CodePage);
  Stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

// ---------------------------------------------------------------------------
// TUniStringList

TUniStringList::~TUniStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TUniStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TUniStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TUniStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= FCount) ListError(SListIndexError, Index);
}

WideString TUniStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

TObject* TUniStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TUniStringList::Put(int Index, const WideString& S) {
  if (FSorted) ListError(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TUniStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = AObject;
  Changed();
}

void TUniStringList::SetCapacity(int NewCapacity) {
  // Fewer pairs than lines would drop lines.
  if (NewCapacity < FCount) ListError(SListCapacityError, NewCapacity);
  FList.resize(static_cast<size_t>(NewCapacity));
  FList.shrink_to_fit();
  FCapacity = NewCapacity;
}

void TUniStringList::Grow() {
  int Delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  SetCapacity(FCapacity + Delta);
}

void TUniStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

int TUniStringList::CompareStrings(const WideString& S1, const WideString& S2) const {
  return FCaseSensitive ? WideCompareStr(S1, S2) : WideCompareText(S1, S2);
}

int TUniStringList::Add(const WideString& S) { return AddObject(S, nullptr); }

int TUniStringList::AddObject(const WideString& S, TObject* AObject) {
  int Index = FCount;
  if (FSorted && Find(S, Index)) {
    switch (FDuplicates) {
      case dupIgnore: return Index;
      case dupError: ListError(SDuplicateString, 0);
      case dupAccept: break;
    }
  }
  InsertItem(Index, S, AObject);
  return Index;
}

void TUniStringList::InsertItem(int Index, const WideString& S, TObject* AObject) {
  Changing();
  if (FCount == FCapacity) Grow();
  auto At = FList.begin() + Index;
  std::move_backward(At, FList.begin() + FCount, FList.begin() + FCount + 1);
  *At = TWideStringItem{S, AObject};
  ++FCount;
  Changed();
}

void TUniStringList::Insert(int Index, const WideString& S) { InsertObject(Index, S, nullptr); }

void TUniStringList::InsertObject(int Index, const WideString& S, TObject* AObject) {
  if (FSorted) ListError(SSortedListError, 0);
  if (Index < 0 || Index > FCount) ListError(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TUniStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  auto At = FList.begin() + Index;
  std::move(At + 1, FList.begin() + FCount, At);
  --FCount;
  FList[static_cast<size_t>(FCount)] = TWideStringItem{};
  Changed();
}

void TUniStringList::Clear() {
  if (FCount == 0) return;
  Changing();
  FCount = 0;
  SetCapacity(0);
  Changed();
}

void TUniStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

void TUniStringList::Move(int CurIndex, int NewIndex) {
  // Taking a line out of a sorted list and failing to put it back would lose it.
  if (FSorted && CurIndex != NewIndex) ListError(SSortedListError, 0);
  TUniStrings::Move(CurIndex, NewIndex);
}

bool TUniStringList::Find(const WideString& S, int& Index) const {
  bool Found = false;
  int Low = 0, High = FCount - 1;
  while (Low <= High) {
    int Middle = (Low + High) >> 1;
    int C = CompareStrings(FList[static_cast<size_t>(Middle)].FString, S);
    if (C < 0) {
      Low = Middle + 1;
    } else {
      High = Middle - 1;
      if (C == 0) {
        Found = true;
        if (FDuplicates != dupAccept) Low = Middle;
      }
    }
  }
  Index = Low;
  return Found;
}

int TUniStringList::IndexOf(const WideString& S) const {
  if (!FSorted) return TUniStrings::IndexOf(S);
  int Index;
  return Find(S, Index) ? Index : -1;
}

int TUniStringList::IndexOfName(const WideString& Name) const {
  if (!FSorted) return TUniStrings::IndexOfName(Name);
  const WideString Key = Name + NameValueSeparator();
  int Index;
  Find(Key, Index);
  if (Index >= FCount) return -1;
  if (CompareStrings(FList[static_cast<size_t>(Index)].FString.substr(0, Key.size()), Key) != 0) return -1;
  return Index;
}

void TUniStringList::Sort() { CustomSort(CompareByStrings); }

void TUniStringList::CustomSort(TUniStringListSortCompare Compare) {
  if (FSorted) return;
  SortBy(Compare);
}

void TUniStringList::SortBy(TUniStringListSortCompare Compare) {
  if (FCount < 2) return;
  Changing();
  QuickSort(0, FCount - 1, Compare);
  Changed();
}

void TUniStringList::QuickSort(int Low, int High, TUniStringListSortCompare Compare) {
  int I;
  do {
    I = Low;
    int J = High;
    int P = (Low + High) >> 1;
    do {
      // The bounds never stop a consistent comparison (the pivot stops it
      // first); they keep a careless one inside the list.
      while (I < High && Compare(this, I, P) < 0) ++I;
      while (J > Low && Compare(this, J, P) > 0) --J;
      if (I <= J) {
        std::swap(FList[static_cast<size_t>(I)], FList[static_cast<size_t>(J)]);
        if (P == I)
          P = J;
        else if (P == J)
          P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (Low < J) QuickSort(Low, J, Compare);
    Low = I;
  } while (I < High);
}

void TUniStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) SortBy(CompareByStrings);
  FSorted = Value;
}

void TUniStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) SortBy(CompareByStrings);
}

int TUniStringList::CompareByStrings(TUniStringList* List, int Index1, int Index2) {
  return List->CompareStrings(List->FList[static_cast<size_t>(Index1)].FString,
                              List->FList[static_cast<size_t>(Index2)].FString);
}

// ---------------------------------------------------------------------------
// TUniFileStream

namespace {

HANDLE OpenUniFile(const WideString& FileName, Word Mode) {
  if (Mode == fmCreate) {
    HANDLE Handle = WideFileCreate(FileName);
    if (Handle == INVALID_HANDLE_VALUE) throw EFCreateError(Format("Cannot create file %s", FileName));
    return Handle;
  }
  HANDLE Handle = WideFileOpen(FileName, Mode);
  if (Handle == INVALID_HANDLE_VALUE) throw EFOpenError(Format("Cannot open file %s", FileName));
  return Handle;
}

}  // namespace

TUniFileStream::TUniFileStream(const WideString& FileName, Word Mode)
    : THandleStream(OpenUniFile(FileName, Mode)) {}

TUniFileStream::~TUniFileStream() { CloseHandle(FHandle); }

// ---------------------------------------------------------------------------
// TUniWideStringPropertyFiler

void TUniWideStringPropertyFiler::DefineProperties(TFiler* Filer, TPersistent* Instance) {
  for (const TPropInfo* Prop : GetPropList(Instance)) {
    if (Prop->Kind() != tkWString) continue;
    auto Take = [Instance, Prop](TReader* Reader, WideString (*ReadText)(TReader*)) {
      if (!IsDesigning(Reader)) {
        Reader->SkipValue();
        return;
      }
      SetWideStrProp(Instance, Prop, ReadText(Reader));
    };
    WideString Value = GetWideStrProp(Instance, Prop);
    Filer->DefineProperty(
        Prop->Name() + "W", [Take](TReader* Reader) { Take(Reader, ReadUTF8Text); }, nullptr, false);
    Filer->DefineProperty(
        Prop->Name() + "_UTF7", [Take](TReader* Reader) { Take(Reader, ReadUTF7Text); }, nullptr,
        !Value.empty() && !IsPlainAscii(Value));
  }
}
