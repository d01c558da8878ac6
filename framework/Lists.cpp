#include "Lists.h"

#include <algorithm>

#include "Consts.h"
#include "Filer.h"
#include "Streams.h"
#include "Win.h"

namespace {

// A stable bottom-up merge sort. Unlike the standard sorts it stays within
// the array even when IsLess is no strict weak order (a careless compare
// function gives a strange order, never a crash).
template <class T, class Less> void MergeSort(std::vector<T>& V, Less IsLess) {
  const size_t N = V.size();
  std::vector<T> Tmp(N);
  for (size_t Width = 1; Width < N; Width *= 2) {
    for (size_t Lo = 0; Lo < N; Lo += 2 * Width) {
      size_t Mid = std::min(Lo + Width, N), Hi = std::min(Lo + 2 * Width, N);
      size_t I = Lo, J = Mid, K = Lo;
      while (I < Mid && J < Hi) Tmp[K++] = IsLess(V[J], V[I]) ? V[J++] : V[I++];
      while (I < Mid) Tmp[K++] = V[I++];
      while (J < Hi) Tmp[K++] = V[J++];
    }
    V.swap(Tmp);
  }
}

// Locale comparison of two 8-bit strings: < 0, 0 or > 0.
int CompareLocale(const AnsiString& S1, const AnsiString& S2, DWORD Flags) {
  int R = CompareStringA(LOCALE_USER_DEFAULT, Flags, S1.data(), static_cast<int>(S1.size()), S2.data(),
                         static_cast<int>(S2.size()));
  if (R == 0) return S1.compare(S2);  // the call failed: keep a consistent order
  return R - CSTR_EQUAL;
}

// The locale's sort key: two strings compare equal exactly when their keys
// are equal.
AnsiString SortKey(const AnsiString& S, DWORD Flags) {
  const DWORD MapFlags = LCMAP_SORTKEY | Flags;
  // A length of 0 is refused; the empty string goes in as "" with its
  // terminator, so that it keys like the strings that compare equal to it.
  const int Length = S.empty() ? -1 : static_cast<int>(S.size());
  int N = LCMapStringA(LOCALE_USER_DEFAULT, MapFlags, S.c_str(), Length, nullptr, 0);
  if (N <= 0) return S;
  AnsiString Key(static_cast<size_t>(N), '\0');
  N = LCMapStringA(LOCALE_USER_DEFAULT, MapFlags, S.c_str(), Length, Key.data(), N);
  Key.resize(static_cast<size_t>(std::max(N, 0)));
  return Key;
}

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

// Text up to the first zero byte: the 8-bit text formats end there.
AnsiString UpToZero(const AnsiString& S) {
  size_t P = S.find('\0');
  return P == AnsiString::npos ? S : S.substr(0, P);
}

}  // namespace

// --- TList ---

void TList::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index >= Limit) throw EListError(FmtLoadStr(SListIndexError, Index));
}

int TList::Add(void* Item) {
  FList.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  CheckIndex(Index, Count() + 1);
  FList.insert(FList.begin() + Index, Item);
}

void TList::Delete(int Index) {
  CheckIndex(Index, Count());
  FList.erase(FList.begin() + Index);
}

int TList::Remove(void* Item) {
  int Index = IndexOf(Item);
  if (Index >= 0) Delete(Index);
  return Index;
}

int TList::IndexOf(void* Item) const {
  auto It = std::find(FList.begin(), FList.end(), Item);
  return It == FList.end() ? -1 : static_cast<int>(It - FList.begin());
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, Count());
  CheckIndex(Index2, Count());
  std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex, Count());
  CheckIndex(NewIndex, Count());
  void* Item = FList[CurIndex];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Clear() { std::vector<void*>().swap(FList); }

void* TList::Items(int Index) const {
  CheckIndex(Index, Count());
  return FList[Index];
}

void TList::SetItem(int Index, void* Item) {
  CheckIndex(Index, Count());
  FList[Index] = Item;
}

void TList::Sort(TListSortCompare Compare) {
  if (Compare) MergeSort(FList, [Compare](void* A, void* B) { return Compare(A, B) < 0; });
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) throw EListError(FmtLoadStr(SListCapacityError, NewCapacity));
  std::vector<void*> Items;
  Items.reserve(static_cast<size_t>(NewCapacity));
  Items.assign(FList.begin(), FList.end());
  FList.swap(Items);
}

// --- TStrings ---

void TStrings::Error(const wchar_t* Msg, int Data) { throw EStringListError(FmtLoadStr(Msg, Data)); }

void TStrings::Put(int Index, const AnsiString& S) {
  TObject* AObject = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, AObject);
}

void TStrings::PutObject(int, TObject*) {}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::SetCapacity(int) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::Add(const AnsiString& S) {
  int Result = GetCount();
  Insert(Result, S);
  return Result;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  int Result = Add(S);
  PutObject(Result, AObject);
  return Result;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Both indexes are checked first: the line is out of the list in between.
  int N = GetCount();
  if (CurIndex < 0 || CurIndex >= N) Error(SListIndexError, CurIndex);
  if (NewIndex < 0 || NewIndex >= N) Error(SListIndexError, NewIndex);
  InUpdate(*this, [&] {
    AnsiString S = Get(CurIndex);
    TObject* AObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, S, AObject);
  });
}

void TStrings::Exchange(int Index1, int Index2) {
  InUpdate(*this, [&] {
    AnsiString S1 = Get(Index1);
    TObject* O1 = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, S1);
    PutObject(Index2, O1);
  });
}

void TStrings::AddStrings(TStrings* Strings) {
  InUpdate(*this, [&] {
    if (Strings == this) {
      // Adding to a sorted list moves the lines being read.
      std::vector<std::pair<AnsiString, TObject*>> Lines;
      for (int I = 0; I < GetCount(); ++I) Lines.emplace_back(Get(I), GetObject(I));
      for (auto& Line : Lines) AddObject(Line.first, Line.second);
      return;
    }
    int N = Strings->Count();
    for (int I = 0; I < N; ++I) AddObject(Strings->Get(I), Strings->GetObject(I));
  });
}

void TStrings::Assign(TPersistent* Source) {
  auto* Strings = dynamic_cast<TStrings*>(Source);
  if (!Strings) {
    TPersistent::Assign(Source);
    return;
  }
  if (Strings == this) return;  // clearing first would lose the lines
  InUpdate(*this, [&] {
    Clear();
    AddStrings(Strings);
  });
}

void TStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "Strings",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        InUpdate(*this, [&] {
          Clear();
          while (!Reader->EndOfList()) Add(Reader->ReadString());
        });
        Reader->ReadListEnd();
      },
      nullptr, Count() > 0);
}

bool TStrings::Equals(TStrings* Strings) const {
  int N = GetCount();
  if (N != Strings->Count()) return false;
  for (int I = 0; I < N; ++I)
    if (Get(I) != Strings->Get(I)) return false;
  return true;
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
  return CompareLocale(S1, S2, NORM_IGNORECASE);
}

int TStrings::IndexOf(const AnsiString& S) const {
  int N = GetCount();
  for (int I = 0; I < N; ++I)
    if (CompareStrings(Get(I), S) == 0) return I;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  int N = GetCount();
  for (int I = 0; I < N; ++I) {
    AnsiString S = Get(I);
    size_t P = S.find(FNameValueSeparator);
    if (P != AnsiString::npos && CompareLocale(S.substr(0, P), Name, NORM_IGNORECASE) == 0) return I;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  int N = GetCount();
  for (int I = 0; I < N; ++I)
    if (GetObject(I) == AObject) return I;
  return -1;
}

AnsiString TStrings::Names(int Index) const {
  AnsiString S = Get(Index);
  size_t P = S.find(FNameValueSeparator);
  return P == AnsiString::npos ? AnsiString() : S.substr(0, P);
}

AnsiString TStrings::ValueFromIndex(int Index) const {
  AnsiString S = Get(Index);
  size_t P = S.find(FNameValueSeparator);
  return P == AnsiString::npos ? AnsiString() : S.substr(P + 1);
}

AnsiString TStrings::Values(const AnsiString& Name) const {
  int Index = IndexOfName(Name);
  return Index >= 0 ? ValueFromIndex(Index) : AnsiString();
}

void TStrings::SetValue(const AnsiString& Name, const AnsiString& Value) {
  int Index = IndexOfName(Name);
  if (!Value.empty()) {
    AnsiString Line = Name + FNameValueSeparator + Value;
    if (Index < 0)
      Add(Line);
    else
      Put(Index, Line);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

AnsiString TStrings::GetTextStr() const {
  AnsiString Result;
  int N = GetCount();
  for (int I = 0; I < N; ++I) {
    Result += Get(I);
    Result += "\r\n";
  }
  return Result;
}

void TStrings::SetTextStr(const AnsiString& Value) {
  const AnsiString Text = UpToZero(Value);
  InUpdate(*this, [&] {
    Clear();
    size_t I = 0;
    const size_t N = Text.size();
    while (I < N) {
      size_t Start = I;
      while (I < N && Text[I] != '\r' && Text[I] != '\n') ++I;
      Add(Text.substr(Start, I - Start));
      if (I < N) {
        if (Text[I] == '\r' && I + 1 < N && Text[I + 1] == '\n') ++I;
        ++I;
      }
    }
  });
}

namespace {

AnsiString Quoted(const AnsiString& S, char Quote) {
  AnsiString Result(1, Quote);
  for (char C : S) {
    Result += C;
    if (C == Quote) Result += C;
  }
  Result += Quote;
  return Result;
}

}  // namespace

AnsiString TStrings::DelimitedText() const { return FormatDelimited(FDelimiter, FQuoteChar); }

void TStrings::SetDelimitedText(const AnsiString& Value) { ParseDelimited(Value, FDelimiter, FQuoteChar); }

AnsiString TStrings::CommaText() const { return FormatDelimited(',', '"'); }

void TStrings::SetCommaText(const AnsiString& Value) { ParseDelimited(Value, ',', '"'); }

AnsiString TStrings::FormatDelimited(char Delim, char Quote) const {
  int N = GetCount();
  if (N == 1 && Get(0).empty()) return AnsiString(2, Quote);
  AnsiString Result;
  for (int I = 0; I < N; ++I) {
    AnsiString S = Get(I);
    bool NeedsQuotes =
        std::any_of(S.begin(), S.end(), [=](char C) { return IsBlank(C) || C == Quote || C == Delim; });
    if (I > 0) Result += Delim;
    Result += NeedsQuotes ? Quoted(S, Quote) : S;
  }
  return Result;
}

void TStrings::ParseDelimited(const AnsiString& Value, char Delim, char Quote) {
  const AnsiString Text = UpToZero(Value);
  const size_t N = Text.size();
  InUpdate(*this, [&] {
    Clear();
    size_t I = 0;
    auto SkipBlanks = [&] {
      while (I < N && IsBlank(Text[I])) ++I;
    };
    SkipBlanks();
    while (I < N) {
      AnsiString S;
      if (Text[I] == Quote) {
        // Up to the closing quote (or the end); doubled quotes are one.
        ++I;
        while (I < N) {
          if (Text[I] == Quote) {
            if (I + 1 < N && Text[I + 1] == Quote) {
              S += Quote;
              I += 2;
              continue;
            }
            ++I;
            break;
          }
          S += Text[I++];
        }
      } else {
        size_t Start = I;
        while (I < N && !IsBlank(Text[I]) && Text[I] != Delim) ++I;
        S = Text.substr(Start, I - Start);
      }
      Add(S);
      SkipBlanks();
      if (I < N && Text[I] == Delim) {
        if (I + 1 == N) Add(AnsiString());  // a delimiter at the very end ends an empty item
        ++I;
        SkipBlanks();
      }
    }
  });
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;  // unbalanced: nothing to end
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

void TStrings::LoadFromStream(TStream* Stream) {
  Int64 Left = Stream->Size() - Stream->Position();
  AnsiString Buffer;
  if (Left > 0) {
    if (Left > INT32_MAX) throw EReadError(LoadStr(SReadError));
    Buffer.resize(static_cast<size_t>(Left));
    Stream->ReadBuffer(Buffer.data(), static_cast<int>(Left));
  }
  SetTextStr(Buffer);
}

void TStrings::SaveToFile(const AnsiString& FileName) const {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TStrings::SaveToStream(TStream* Stream) const {
  AnsiString S = GetTextStr();
  Stream->WriteBuffer(S.data(), static_cast<int>(S.size()));
}

// --- TStringList ---

TStringList::~TStringList() {
  // No event fires while the list goes.
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
}

AnsiString TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[Index].FString;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[Index].FObject;
}

void TStringList::Put(int Index, const AnsiString& S) {
  if (FSorted) Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

int TStringList::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
  if (FSorted) return AddSorted(S, AObject);
  int Index = GetCount();
  InsertItem(Index, S, AObject);
  return Index;
}

int TStringList::AddSorted(const AnsiString& S, TObject* AObject) {
  int Index = 0;
  if (Find(S, Index)) {
    if (FDuplicates == dupIgnore) return Index;
    if (FDuplicates == dupError) Error(SDuplicateString, 0);
  }
  InsertItem(Index, S, AObject);
  return Index;
}

void TStringList::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  if (FSorted) Error(SSortedListError, 0);
  if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
  Changing();
  if (FList.size() == FList.capacity()) {
    size_t Cap = FList.capacity();
    FList.reserve(Cap + (Cap > 64 ? Cap / 4 : Cap > 8 ? 16 : 4));
  }
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TStringItem>().swap(FList);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Moving would break the order; refused before the line leaves the list.
  if (FSorted) Error(SSortedListError, 0);
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  Changing();
  TStringItem Item = std::move(FList[CurIndex]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(Item));
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int Index = 0;
  return Find(S, Index) ? Index : -1;
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  // The lower bound: the first line not below S.
  int L = 0, H = GetCount();
  while (L < H) {
    int Mid = L + (H - L) / 2;
    if (CompareStrings(FList[Mid].FString, S) < 0)
      L = Mid + 1;
    else
      H = Mid;
  }
  Index = L;
  return L < GetCount() && CompareStrings(FList[L].FString, S) == 0;
}

void TStringList::Sort() {
  SortBy([](TStringList* List, int Index1, int Index2) {
    return List->CompareStrings(List->FList[Index1].FString, List->FList[Index2].FString);
  });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (!FSorted && Compare) SortBy(Compare);
}

void TStringList::SortBy(TStringListSortCompare Compare) {
  if (GetCount() < 2) return;
  Changing();
  // The permutation is sorted, so Compare always sees the list as it was.
  std::vector<int> Order(FList.size());
  for (size_t I = 0; I < Order.size(); ++I) Order[I] = static_cast<int>(I);
  MergeSort(Order, [this, Compare](int A, int B) { return Compare(this, A, B) < 0; });
  std::vector<TStringItem> Items;
  Items.reserve(FList.capacity());
  for (int I : Order) Items.push_back(std::move(FList[I]));
  FList.swap(Items);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  // Find relies on the order of the comparison now in force.
  if (FSorted) Sort();
}

void TStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < GetCount()) Error(SListCapacityError, NewCapacity);
  std::vector<TStringItem> Items;
  Items.reserve(static_cast<size_t>(NewCapacity));
  for (auto& Item : FList) Items.push_back(std::move(Item));
  FList.swap(Items);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
  return CompareLocale(S1, S2, FCaseSensitive ? 0 : NORM_IGNORECASE);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

// --- THashedStringList ---

void THashedStringList::Changed() {
  FValueHashValid = false;
  FNameHashValid = false;
  TStringList::Changed();
}

AnsiString THashedStringList::ValueKey(const AnsiString& S) const {
  return SortKey(S, CaseSensitive() ? 0 : NORM_IGNORECASE);
}

AnsiString THashedStringList::NameKey(const AnsiString& Name) { return SortKey(Name, NORM_IGNORECASE); }

int THashedStringList::IndexOf(const AnsiString& S) const {
  if (!FValueHashValid || FValueHashCaseSensitive != CaseSensitive()) {
    FValueHash.clear();
    int N = GetCount();
    for (int I = 0; I < N; ++I) FValueHash.emplace(ValueKey(Get(I)), I);
    FValueHashCaseSensitive = CaseSensitive();
    FValueHashValid = true;
  }
  auto It = FValueHash.find(ValueKey(S));
  return It == FValueHash.end() ? -1 : It->second;
}

int THashedStringList::IndexOfName(const AnsiString& Name) const {
  if (!FNameHashValid || FNameHashSeparator != NameValueSeparator()) {
    FNameHash.clear();
    int N = GetCount();
    for (int I = 0; I < N; ++I) {
      AnsiString S = Get(I);
      size_t P = S.find(NameValueSeparator());
      if (P != AnsiString::npos) FNameHash.emplace(NameKey(S.substr(0, P)), I);
    }
    FNameHashSeparator = NameValueSeparator();
    FNameHashValid = true;
  }
  auto It = FNameHash.find(NameKey(Name));
  return It == FNameHash.end() ? -1 : It->second;
}
