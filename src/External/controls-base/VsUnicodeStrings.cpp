#include "VsUnicodeStrings.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "Filer.h"
#include "Streams.h"
#include "SysUtils.h"
#include "VsStrUtils.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SDuplicateString = "String list does not allow duplicates";
const char* const SReadWideStrings = "Error while reading wide strings list";

// UTF-16 text from little- or big-endian bytes; an odd last byte is ignored.
WideString UnitsFromBytes(const std::vector<Byte>& Bytes, bool BigEndian) {
  WideString Result(Bytes.size() / 2, L'\0');
  for (size_t I = 0; I < Result.size(); ++I) {
    const Byte Lo = Bytes[2 * I + (BigEndian ? 1 : 0)];
    const Byte Hi = Bytes[2 * I + (BigEndian ? 0 : 1)];
    Result[I] = static_cast<WideChar>(Lo | (Hi << 8));
  }
  return Result;
}

void AppendUnitsLE(std::vector<Byte>& Bytes, const WideString& S) {
  for (WideChar C : S) {
    Bytes.push_back(static_cast<Byte>(C & 0xFF));
    Bytes.push_back(static_cast<Byte>(C >> 8));
  }
}

void AppendInt32LE(std::vector<Byte>& Bytes, Integer Value) {
  const auto U = static_cast<std::uint32_t>(Value);
  for (int Shift = 0; Shift < 32; Shift += 8) Bytes.push_back(static_cast<Byte>(U >> Shift));
}

Integer ReadInt32LE(TReader* Reader) {
  Byte B[4];
  Reader->Read(B, 4);
  return static_cast<Integer>(std::uint32_t(B[0]) | (std::uint32_t(B[1]) << 8) | (std::uint32_t(B[2]) << 16) |
                              (std::uint32_t(B[3]) << 24));
}

// A length read from a layout, checked against what the stream still holds
// before anything is allocated for it.
int CheckedLength(TReader* Reader, Integer Length, int UnitSize) {
  TStream* Stream = Reader->Stream();
  if (Length < 0 || Int64(Length) * UnitSize > Stream->Size() - Stream->Position()) throw EReadError(SReadWideStrings);
  return Length;
}

AnsiString ReadBytes(TReader* Reader, int Length) {
  AnsiString Result(static_cast<size_t>(Length), '\0');
  Reader->Read(Result.data(), Length);
  return Result;
}

}  // namespace

// ---------------------------------------------------------------------------
// TVsWideStrings

void TVsWideStrings::SetCapacity(int) {}
void TVsWideStrings::PutObject(int, TObject*) {}
void TVsWideStrings::SetUpdateState(bool) {}
TObject* TVsWideStrings::GetObject(int) const { return nullptr; }

void TVsWideStrings::Error(const AnsiString& Msg, int Data) { throw EStringListError(Format(Msg, Data)); }

void TVsWideStrings::Put(int Index, const WideString& S) {
  TObject* AObject = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, AObject);
}

int TVsWideStrings::Add(const WideString& S) {
  const int Result = GetCount();
  Insert(Result, S);
  return Result;
}

int TVsWideStrings::AddObject(const WideString& S, TObject* AObject) {
  const int Result = Add(S);
  PutObject(Result, AObject);
  return Result;
}

void TVsWideStrings::AddStrings(TVsWideStrings* Strings) {
  InUpdate(*this, [&] {
    const int N = Strings->Count();
    for (int I = 0; I < N; ++I) AddObject(Strings->Get(I), Strings->GetObject(I));
  });
}

void TVsWideStrings::InsertObject(int Index, const WideString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TVsWideStrings::Exchange(int Index1, int Index2) {
  InUpdate(*this, [&] {
    const WideString S1 = Get(Index1);
    TObject* O1 = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, S1);
    PutObject(Index2, O1);
  });
}

void TVsWideStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Both checks come first: once the line is deleted, a failing insert
  // would lose it.
  const int N = GetCount();
  if (CurIndex < 0 || CurIndex >= N) Error(SListIndexError, CurIndex);
  if (NewIndex < 0 || NewIndex >= N) Error(SListIndexError, NewIndex);
  InUpdate(*this, [&] {
    const WideString S = Get(CurIndex);
    TObject* AObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, S, AObject);
  });
}

void TVsWideStrings::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* Wide = dynamic_cast<TVsWideStrings*>(Source)) {
    InUpdate(*this, [&] {
      Clear();
      AddStrings(Wide);
    });
    return;
  }
  if (auto* Ansi = dynamic_cast<TStrings*>(Source)) {
    // Line by line, so that every line keeps its own object even when this
    // list sorts or drops duplicates.
    InUpdate(*this, [&] {
      Clear();
      const int N = Ansi->Count();
      for (int I = 0; I < N; ++I) AddObject(AnsiToWide(Ansi->Strings(I)), Ansi->Objects(I));
    });
    return;
  }
  TPersistent::Assign(Source);
}

void TVsWideStrings::AssignTo(TPersistent* Dest) {
  if (auto* Wide = dynamic_cast<TVsWideStrings*>(Dest)) {
    Wide->Assign(this);
    return;
  }
  if (auto* Ansi = dynamic_cast<TStrings*>(Dest)) {
    Ansi->BeginUpdate();
    try {
      Ansi->Clear();
      const int N = GetCount();
      for (int I = 0; I < N; ++I) Ansi->AddObject(WideToAnsi(Get(I)), GetObject(I));
    } catch (...) {
      Ansi->EndUpdate();
      throw;
    }
    Ansi->EndUpdate();
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TVsWideStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TVsWideStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

bool TVsWideStrings::Equals(TVsWideStrings* Strings) const {
  const int N = GetCount();
  if (N != Strings->GetCount()) return false;
  for (int I = 0; I < N; ++I)
    if (Get(I) != Strings->Get(I)) return false;
  return true;
}

WideString TVsWideStrings::GetTextStr() const {
  const int N = GetCount();
  WideString Result;
  for (int I = 0; I < N; ++I) {
    Result += Get(I);
    Result += L"\r\n";
  }
  return Result;
}

void TVsWideStrings::SetTextStr(const WideString& Value) {
  InUpdate(*this, [&] {
    Clear();
    const WideChar* P = Value.c_str();
    const WideChar* End = P + Value.size();
    while (P < End && *P != 0) {
      const WideChar* Start = P;
      while (P < End && *P != 0 && *P != L'\r' && *P != L'\n') ++P;
      Add(WideString(Start, P));
      if (P < End && *P == L'\r') ++P;
      if (P < End && *P == L'\n') ++P;
    }
  });
}

std::unique_ptr<WideChar[]> TVsWideStrings::GetText() const {
  const WideString S = GetTextStr();
  auto Result = std::make_unique<WideChar[]>(S.size() + 1);
  std::memcpy(Result.get(), S.c_str(), (S.size() + 1) * sizeof(WideChar));
  return Result;
}

void TVsWideStrings::SetText(const WideChar* P) { SetTextStr(WideStrPas(P)); }

int TVsWideStrings::IndexOf(const WideString& S) const {
  const int N = GetCount();
  for (int I = 0; I < N; ++I)
    if (WideCompareOrdinal(Get(I), S) == 0) return I;
  return -1;
}

int TVsWideStrings::IndexOfName(const WideString& Name) const {
  const int N = GetCount();
  for (int I = 0; I < N; ++I) {
    const WideString S = Get(I);
    const size_t P = S.find(L'=');
    if (P != WideString::npos && S.compare(0, P, Name) == 0) return I;
  }
  return -1;
}

WideString TVsWideStrings::GetValue(const WideString& Name) const {
  const int I = IndexOfName(Name);
  if (I < 0) return WideString();
  return Get(I).substr(Name.size() + 1);
}

int TVsWideStrings::IndexOfObject(TObject* AObject) const {
  const int N = GetCount();
  for (int I = 0; I < N; ++I)
    if (GetObject(I) == AObject) return I;
  return -1;
}

void TVsWideStrings::LoadFromFile(const AnsiString& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

void TVsWideStrings::SaveToFile(const AnsiString& FileName) const {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TVsWideStrings::LoadFromStream(TStream* Stream) {
  InUpdate(*this, [&] {
    Clear();
    Int64 Size = Stream->Size() - Stream->Position();
    if (Size < 0 || Size > INT_MAX) throw Exception("Invalid string header read from the stream");
    if (Size == 0) return;
    bool Unicode = FSaveUnicode;
    bool BigEndian = false;
    if (!FSaveUnicode) {
      Byte Mark[2] = {0, 0};
      const int Got = Stream->Read(Mark, 2);
      if (Got == 2 && Mark[0] == 0xFF && Mark[1] == 0xFE) {
        Unicode = true;
      } else if (Got == 2 && Mark[0] == 0xFE && Mark[1] == 0xFF) {
        Unicode = true;
        BigEndian = true;
      } else {
        Stream->Seek(-Got, soCurrent);
      }
      if (Unicode) Size -= 2;
    }
    std::vector<Byte> Bytes(static_cast<size_t>(Size));
    Stream->ReadBuffer(Bytes.data(), static_cast<int>(Size));
    if (Unicode)
      SetTextStr(UnitsFromBytes(Bytes, BigEndian));
    else
      SetTextStr(AnsiToWide(AnsiString(Bytes.begin(), Bytes.end())));
  });
}

void TVsWideStrings::SaveToStream(TStream* Stream) const {
  const WideString S = GetTextStr();
  if (FSaveUnicode) {
    std::vector<Byte> Bytes{0xFF, 0xFE};
    AppendUnitsLE(Bytes, S);
    Stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  } else {
    const AnsiString A = WideToAnsi(S);
    Stream->WriteBuffer(A.data(), static_cast<int>(A.size()));
  }
}

void TVsWideStrings::DefineProperties(TFiler* Filer) {
  // Layouts are read without an ancestor, so the lines are stored whenever
  // there are any.
  Filer->DefineProperty(
      "Strings", [this](TReader* Reader) { ReadStrings(Reader); },
      [this](TFiler* Writer) { WriteStrings(Writer); }, GetCount() > 0);
}

void TVsWideStrings::ReadStrings(TReader* Reader) {
  Reader->ReadListBegin();
  InUpdate(*this, [&] {
    Clear();
    while (!Reader->EndOfList()) {
      switch (Reader->ReadValue()) {
        case vaString: {
          Byte Length;
          Reader->Read(&Length, 1);
          Add(AnsiToWide(ReadBytes(Reader, CheckedLength(Reader, Length, 1))));
          break;
        }
        case vaLString:
          Add(AnsiToWide(ReadBytes(Reader, CheckedLength(Reader, ReadInt32LE(Reader), 1))));
          break;
        case vaWString: {
          const int Length = CheckedLength(Reader, ReadInt32LE(Reader), 2);
          std::vector<Byte> Bytes(static_cast<size_t>(Length) * 2);
          Reader->Read(Bytes.data(), Length * 2);
          Add(UnitsFromBytes(Bytes, false));
          break;
        }
        case vaUTF8String: {
          const AnsiString Bytes = ReadBytes(Reader, CheckedLength(Reader, ReadInt32LE(Reader), 1));
          // What was decoded before a bad sequence is kept.
          WideString S;
          ConvertUtf8ToUtf16(Bytes, S, false, false);
          Add(S);
          break;
        }
        default:
          throw EReadError(SReadWideStrings);
      }
    }
  });
  Reader->ReadListEnd();
}

void TVsWideStrings::WriteStrings(TFiler* Writer) const {
  std::vector<Byte> Bytes{static_cast<Byte>(vaList)};
  const int N = GetCount();
  for (int I = 0; I < N; ++I) {
    const WideString S = Get(I);
    Bytes.push_back(static_cast<Byte>(vaWString));
    AppendInt32LE(Bytes, static_cast<Integer>(S.size()));
    AppendUnitsLE(Bytes, S);
  }
  Bytes.push_back(static_cast<Byte>(vaNull));
  Writer->Stream()->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

// ---------------------------------------------------------------------------
// TVsWideStringList

TVsWideStringList::~TVsWideStringList() {
  // Nothing may be told about a list that is going away.
  OnChange = nullptr;
  OnChanging = nullptr;
  FList.reset();
  FCount = 0;
  FCapacity = 0;
}

void TVsWideStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= (FHoldsOwnLines ? FCount : GetCount())) Error(SListIndexError, Index);
}

void TVsWideStringList::Changing() {
  if (OnChanging && UpdateCount() == 0) OnChanging(this);
}

void TVsWideStringList::Changed() {
  if (OnChange && UpdateCount() == 0) OnChange(this);
}

void TVsWideStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

WideString TVsWideStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[Index].FString;
}

const WideString& TVsWideStringList::StringRef(int Index) const {
  CheckIndex(Index);
  return FList[Index].FString;
}

TObject* TVsWideStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[Index].FObject;
}

void TVsWideStringList::SetCapacity(int NewCapacity) {
  // Fewer slots than lines would drop lines.
  if (NewCapacity < FCount) Error(SListCapacityError, NewCapacity);
  if (NewCapacity == FCapacity) return;
  auto NewList = std::make_unique<TVsWideStringItem[]>(static_cast<size_t>(NewCapacity));
  for (int I = 0; I < FCount; ++I) NewList[I] = std::move(FList[I]);
  FList = std::move(NewList);
  FCapacity = NewCapacity;
}

void TVsWideStringList::Grow() {
  const int Delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  SetCapacity(FCapacity + Delta);
}

void TVsWideStringList::InsertItem(int Index, const WideString& S) {
  Changing();
  if (FCount == FCapacity) Grow();
  WideString Line = S;
  std::move_backward(FList.get() + Index, FList.get() + FCount, FList.get() + FCount + 1);
  FList[Index].FString = std::move(Line);
  FList[Index].FObject = nullptr;
  ++FCount;
  Changed();
}

void TVsWideStringList::Put(int Index, const WideString& S) {
  if (FSorted) Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TVsWideStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

int TVsWideStringList::Add(const WideString& S) {
  int Result = FCount;
  if (FSorted && Find(S, Result)) {
    if (FDuplicates == dupIgnore) return Result;
    if (FDuplicates == dupError) Error(SDuplicateString, 0);
  }
  InsertItem(Result, S);
  return Result;
}

void TVsWideStringList::Insert(int Index, const WideString& S) {
  if (FSorted) Error(SSortedListError, 0);
  if (Index < 0 || Index > FCount) Error(SListIndexError, Index);
  InsertItem(Index, S);
}

void TVsWideStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  std::move(FList.get() + Index + 1, FList.get() + FCount, FList.get() + Index);
  --FCount;
  FList[FCount] = TVsWideStringItem();
  Changed();
}

void TVsWideStringList::Clear() {
  if (FCount == 0) return;
  Changing();
  FList.reset();
  FCount = 0;
  FCapacity = 0;
  Changed();
}

void TVsWideStringList::ExchangeItems(int Index1, int Index2) {
  if (FHoldsOwnLines) {
    std::swap(FList[Index1], FList[Index2]);
    return;
  }
  const WideString S = Get(Index1);
  Put(Index1, Get(Index2));
  Put(Index2, S);
}

void TVsWideStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  ExchangeItems(Index1, Index2);
  Changed();
}

void TVsWideStringList::Move(int CurIndex, int NewIndex) {
  // A sorted list refuses the insert; refusing first keeps the line.
  if (FSorted && CurIndex != NewIndex) Error(SSortedListError, 0);
  TVsWideStrings::Move(CurIndex, NewIndex);
}

int TVsWideStringList::IndexOf(const WideString& S) const {
  if (FSorted) {
    int Result;
    return Find(S, Result) ? Result : -1;
  }
  if (!FHoldsOwnLines) return TVsWideStrings::IndexOf(S);
  // The base search, on the lines in place rather than on copies.
  for (int I = 0; I < FCount; ++I)
    if (WideCompareOrdinal(FList[I].FString, S) == 0) return I;
  return -1;
}

bool TVsWideStringList::Find(const WideString& S, int& Index) const {
  bool Result = false;
  int L = 0;
  int H = GetCount() - 1;
  while (L <= H) {
    const int I = static_cast<int>((static_cast<unsigned>(L) + static_cast<unsigned>(H)) >> 1);
    const int C = VsWideCompareStr(FHoldsOwnLines ? FList[I].FString : Get(I), S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        Result = true;
        if (FDuplicates != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return Result;
}

int TVsWideStringList::CompareLines(TVsWideStringList* List, int Index1, int Index2) {
  if (!List->FHoldsOwnLines) return VsWideCompareStr(List->Get(Index1), List->Get(Index2));
  return VsWideCompareStr(List->FList[Index1].FString, List->FList[Index2].FString);
}

void TVsWideStringList::Sort() { CustomSort(&TVsWideStringList::CompareLines); }

void TVsWideStringList::CustomSort(TVsWideStringListSortCompare Compare) {
  const int Count = GetCount();
  if (FSorted || Count < 2) return;
  Changing();
  QuickSort(0, Count - 1, Compare);
  Changed();
}

void TVsWideStringList::QuickSort(int L, int R, TVsWideStringListSortCompare Compare) {
  int I;
  do {
    I = L;
    int J = R;
    int P = static_cast<int>((static_cast<unsigned>(L) + static_cast<unsigned>(R)) >> 1);
    do {
      // The bounds never stop a consistent comparison (the pivot stops it
      // first); they keep a careless one inside the list.
      while (I < R && Compare(this, I, P) < 0) ++I;
      while (J > L && Compare(this, J, P) > 0) --J;
      if (I <= J) {
        if (I != J) ExchangeItems(I, J);
        // The pivot is compared by index, so it follows its item.
        if (P == I)
          P = J;
        else if (P == J)
          P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    // The smaller part is sorted by recursion and the larger one by the
    // loop, so that a comparison splitting off one line at a time cannot
    // nest the calls as deep as the list is long.
    if (J - L < R - I) {
      if (L < J) QuickSort(L, J, Compare);
      L = I;
    } else {
      if (I < R) QuickSort(I, R, Compare);
      R = J;
      I = L;
    }
  } while (I < R);
}

void TVsWideStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}
