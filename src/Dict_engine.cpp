#include "Dict_engine.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Consts.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "UtilWindow.h"
#include "Win.h"
#include "md5.h"

namespace {

// Copies the first Size units of Text (Length units) into Field; a shorter
// text gets a zero unit after it, and with ZeroFill zeros to the end.
void WriteTextField(WideChar* Field, int Size, const WideChar* Text, size_t Length, bool ZeroFill) {
  const size_t N = std::min(Length, static_cast<size_t>(Size));
  std::copy_n(Text, N, Field);
  if (N == static_cast<size_t>(Size)) return;
  if (ZeroFill)
    std::fill(Field + N, Field + Size, L'\0');
  else
    Field[N] = L'\0';
}

void WriteTextField(WideChar* Field, int Size, const WideString& Text, bool ZeroFill) {
  WriteTextField(Field, Size, Text.data(), Text.size(), ZeroFill);
}

// Units of a field's text: up to the first zero unit or all of them.
int FieldLength(const WideChar* Field, int Size) {
  return static_cast<int>(std::find(Field, Field + Size, L'\0') - Field);
}

[[noreturn]] void IndexError(int Index) { throw EListError(Format("List index out of bounds (%d)", Index)); }

// UTF-16LE units to and from file bytes.
Byte* EncodeUnits(const WideChar* Units, int Count, Byte* P) {
  for (int i = 0; i < Count; ++i) {
    const Word U = static_cast<Word>(Units[i]);
    *P++ = static_cast<Byte>(U);
    *P++ = static_cast<Byte>(U >> 8);
  }
  return P;
}

const Byte* DecodeUnits(const Byte* P, WideChar* Units, int Count) {
  for (int i = 0; i < Count; ++i, P += 2) Units[i] = static_cast<WideChar>(P[0] | P[1] << 8);
  return P;
}

Byte* EncodeRecord(const TQuestionRecord& Entry, Byte* P) {
  for (const auto& Field : Entry.Fields) P = EncodeUnits(Field, QuestionFieldSize, P);
  return P;
}

const Byte* DecodeRecord(const Byte* P, TQuestionRecord& Entry) {
  for (auto& Field : Entry.Fields) P = DecodeUnits(P, Field, QuestionFieldSize);
  return P;
}

// Entries moved per read or write of a .dic file.
constexpr int RecordsPerChunk = 1024;

// Writes a file through Write into a new file beside Path, and puts the new
// file in Path's place only once it is complete: a failed save leaves the
// previous file as it was. Errors name Path, not the helper file.
template <class F> void SaveFileSafely(const AnsiString& Path, F Write) {
  const AnsiString Temp = Path + ".tmp";
  TOwned<TFileStream> Stream;
  try {
    Stream.reset(Create<TFileStream>(Temp, fmCreate));
  } catch (const EFCreateError&) {
    throw EFCreateError(FmtLoadStr(SFCreateError, Path));
  }
  try {
    Write(Stream.get());
    Stream.reset();
  } catch (...) {
    Stream.reset();
    DeleteFile(Temp);
    throw;
  }
  if (!MoveFileExA(Temp.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFile(Temp);
    throw EFCreateError(FmtLoadStr(SFCreateError, Path));
  }
}

// The locale's case-insensitive sort keys of the questions: comparing two
// keys byte by byte orders them as the locale's case-insensitive comparison
// does, at a fraction of its cost. The keys lie one after another in one
// block; an item refers to its key by offset and length.
class TSortKeys {
public:
  explicit TSortKeys(size_t Count) { FBlock.reserve(Count * 48); }

  // Appends the key of the Length units at Text; returns its offset.
  size_t Add(const WideChar* Text, int Length) {
    constexpr DWORD Flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    if (Length == 0) {  // the empty text has a key too, but only when zero-terminated
      Text = L"";
      Length = -1;
    }
    const size_t Offset = FBlock.size();
    char Buffer[1024];
    int N = LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text, Length, reinterpret_cast<LPWSTR>(Buffer), sizeof Buffer);
    if (N > 0) {
      FBlock.append(Buffer, static_cast<size_t>(N) - 1);  // without the terminating zero
      return Offset;
    }
    N = LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text, Length, nullptr, 0);
    if (N <= 0) RaiseLastOSError();
    FBlock.resize(Offset + static_cast<size_t>(N));
    if (LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text, Length, reinterpret_cast<LPWSTR>(&FBlock[Offset]), N) <= 0)
      RaiseLastOSError();
    FBlock.resize(Offset + static_cast<size_t>(N) - 1);
    return Offset;
  }
  std::string_view Key(size_t Offset, size_t Length) const { return {FBlock.data() + Offset, Length}; }
  size_t Size() const { return FBlock.size(); }

private:
  std::string FBlock;
};

struct TSortItem {
  std::string_view Key;
  int Index;  // the entry's index before sorting
};

// Quicksort with the pivot taken from the middle and read once; equal keys
// stop both scans. The two parts are independent, so sorting the smaller
// one first and the larger one in the loop gives the same order with a
// shallow stack.
void QuickSort(std::vector<TSortItem>& Items, int Low, int High) {
  while (Low < High) {
    const std::string_view Pivot = Items[static_cast<size_t>((Low + High) / 2)].Key;
    int I = Low, J = High;
    do {
      while (Items[static_cast<size_t>(I)].Key < Pivot) ++I;
      while (Items[static_cast<size_t>(J)].Key > Pivot) --J;
      if (I <= J) {
        std::swap(Items[static_cast<size_t>(I)], Items[static_cast<size_t>(J)]);
        ++I;
        --J;
      }
    } while (I <= J);
    if (J - Low < High - I) {
      QuickSort(Items, Low, J);
      Low = I;
    } else {
      QuickSort(Items, I, High);
      High = J;
    }
  }
}

// Splits one imported line into Entry; false when it does not fit (a field
// over 80 units, or text after the fourth answer).
bool ParseImportLine(const WideChar* Line, size_t Length, TQuestionRecord& Entry) {
  constexpr size_t MaxField = QuestionFieldSize - 1;
  std::memset(&Entry, 0, sizeof Entry);
  const WideChar* End = Line + Length;
  const WideChar* Tab = std::find(Line, End, L'\t');
  const size_t QuestionLength = static_cast<size_t>(Tab - Line);
  if (QuestionLength > MaxField) return false;
  WriteTextField(Entry.Fields[0], QuestionFieldSize, Line, QuestionLength, true);
  if (Tab == End) {
    WriteTextField(Entry.Fields[1], QuestionFieldSize, Line, QuestionLength, true);
    return true;
  }
  int Field = 1;
  for (const WideChar* Start = Tab + 1;; Start = Tab + 1, ++Field) {
    Tab = std::find(Start, End, L'\t');
    const size_t Units = static_cast<size_t>(Tab - Start);
    if (Field < QuestionFieldCount) {
      if (Units > MaxField) return false;
      WriteTextField(Entry.Fields[Field], QuestionFieldSize, Start, Units, true);
    } else if (Units > 0) {
      return false;
    }
    if (Tab == End) return true;
  }
}

// The whole of a text file to import; stream failures become the I/O error
// that text files report.
AnsiString ReadImportFile(const AnsiString& Path) {
  try {
    TFileStream Stream(Path, fmOpenRead | fmShareDenyWrite);
    const Int64 Size = Stream.Size();
    if (Size > INT_MAX) throw EInOutError("File too large: " + Path);
    AnsiString Bytes(static_cast<size_t>(Size), '\0');
    Stream.ReadBuffer(Bytes.data(), static_cast<int>(Size));
    return Bytes;
  } catch (const EStreamError& E) {
    throw EInOutError(E.Message());
  }
}

// UTF-16LE after FF FE (an odd last byte is ignored), else text in the
// system code page.
WideString DecodeImportText(const AnsiString& Bytes) {
  if (Bytes.size() < 2 || static_cast<Byte>(Bytes[0]) != 0xFF || static_cast<Byte>(Bytes[1]) != 0xFE)
    return AnsiToWide(Bytes);
  WideString Text((Bytes.size() - 2) / 2, L'\0');
  DecodeUnits(reinterpret_cast<const Byte*>(Bytes.data()) + 2, Text.data(), static_cast<int>(Text.size()));
  return Text;
}

}  // namespace

WideString ReadTextField(const WideChar* Field, int Size) { return WideString(Field, FieldLength(Field, Size)); }

Int64 RoundPercent(Int64 Good, Int64 Total) {
  if (Total <= 0) return 0;
  const Int64 Scaled = Good * 100;
  Int64 Quotient = Scaled / Total;
  const Int64 Remainder = Scaled % Total;  // takes the sign of Scaled
  const Int64 Twice = 2 * (Remainder < 0 ? -Remainder : Remainder);
  if (Twice > Total || (Twice == Total && Quotient % 2 != 0)) Quotient += Scaled < 0 ? -1 : 1;
  return Quotient;
}

// --- TQuestion ---

TQuestion::TQuestion() { Clear(); }

void TQuestion::Clear() { std::memset(&FRecord, 0, sizeof FRecord); }

WideString TQuestion::GetAnswer(int Index) const {
  if (Index < 0 || Index >= QuestionFieldCount) IndexError(Index);
  return ReadTextField(FRecord.Fields[Index], QuestionFieldSize);
}

void TQuestion::SetAnswer(int Index, const WideString& Text) {
  if (Index < 0 || Index >= QuestionFieldCount) IndexError(Index);
  WriteTextField(FRecord.Fields[Index], QuestionFieldSize, Text, true);
}

int TQuestion::AnswerCount() const {
  int N = 0;
  for (int i = 1; i < QuestionFieldCount; ++i)
    if (FRecord.Fields[i][0] != L'\0') ++N;
  return N;
}

bool TQuestion::CheckAnswer(const WideString& Text, bool Exact) const {
  for (int i = 1; i < QuestionFieldCount; ++i) {
    if (FRecord.Fields[i][0] == L'\0') continue;
    const WideString Answer = GetAnswer(i);
    if (Exact ? Text == Answer : WideSameText(Text, Answer)) return true;
  }
  return false;
}

// --- TDict ---

TDict::TDict() { ResetHeader(); }

TDict::~TDict() { Clear(); }

void TDict::ResetHeader() {
  std::fill(std::begin(FTitle), std::end(FTitle), L'\0');
  std::fill(std::begin(FDescription), std::end(FDescription), L'\0');
}

void TDict::SetTitle(const WideString& Text) { WriteTextField(FTitle, DictTitleSize, Text, false); }

WideString TDict::GetTitle() const { return ReadTextField(FTitle, DictTitleSize); }

void TDict::SetDescription(const WideString& Text) {
  if (Text.empty()) return;
  WriteTextField(FDescription, DictDescriptionSize, FResizeFont ? L'\n' + Text : Text, false);
}

WideString TDict::GetDescription() const {
  WideString Text = ReadTextField(FDescription, DictDescriptionSize);
  if (!Text.empty() && Text[0] == L'\n') Text.erase(0, 1);
  return Text;
}

bool TDict::HasResizeFont() const { return FDescription[0] == L'\n'; }

TDictNode* TDict::NodeAt(int Index) const {
  if (Index < 0 || Index >= FCount) IndexError(Index);
  TDictNode* Node;
  if (Index <= FCount / 2) {
    Node = FFirst.get();
    for (int i = 0; i < Index; ++i) Node = Node->Next.get();
  } else {
    Node = FLast;
    for (int i = FCount - 1; i > Index; --i) Node = Node->Prev;
  }
  return Node;
}

void TDict::Add(const TQuestionRecord& Entry) {
  auto Node = std::make_unique<TDictNode>(Entry, FLast);
  TDictNode* Added = Node.get();
  if (FLast)
    FLast->Next = std::move(Node);
  else
    FFirst = std::move(Node);
  FLast = Added;
  ++FCount;
  if (FQuestionsList) FQuestionsList->Add(ItemText(0, Entry));
  if (FAnswersList) FAnswersList->Add(ItemText(-1, Entry));
}

void TDict::Get(int Index, TQuestionRecord& Entry) const { Entry = NodeAt(Index)->Record; }

void TDict::Put(int Index, const TQuestionRecord& Entry) {
  NodeAt(Index)->Record = Entry;
  if (FQuestionsList) FQuestionsList->Put(Index, ItemText(0, Entry));
  if (FAnswersList) FAnswersList->Put(Index, ItemText(-1, Entry));
}

void TDict::Delete(int Index) {
  TDictNode* Node = NodeAt(Index);
  std::unique_ptr<TDictNode>& Owner = Node->Prev ? Node->Prev->Next : FFirst;
  if (Node->Next)
    Node->Next->Prev = Node->Prev;
  else
    FLast = Node->Prev;
  Owner = std::move(Node->Next);  // frees Node
  --FCount;
  if (FQuestionsList && Index < FQuestionsList->Count()) FQuestionsList->Delete(Index);
  if (FAnswersList && Index < FAnswersList->Count()) FAnswersList->Delete(Index);
}

void TDict::Clear() {
  if (FQuestionsList) FQuestionsList->Clear();
  if (FAnswersList) FAnswersList->Clear();
  // One node at a time: a long chain freed through its links would recurse.
  while (FFirst) FFirst = std::move(FFirst->Next);
  FLast = nullptr;
  FCount = 0;
}

WideString TDict::ItemText(int Column, int Index) const { return ItemText(Column, NodeAt(Index)->Record); }

WideString TDict::ItemText(int Column, const TQuestionRecord& Entry) const {
  if (Column >= 0 && Column < QuestionFieldCount) return ReadTextField(Entry.Fields[Column], QuestionFieldSize);
  if (Column != -1) return WideString();
  WideString Joined;
  for (int i = 1; i < QuestionFieldCount; ++i) {
    if (Entry.Fields[i][0] == L'\0') continue;
    if (!Joined.empty()) Joined += FSeparator;
    Joined += ReadTextField(Entry.Fields[i], QuestionFieldSize);
  }
  return Joined;
}

TOwned<TVsWideStringList> TDict::ColumnList(int Column) const {
  TOwned<TVsWideStringList> List(Create<TVsWideStringList>());
  List->SetCapacity(FCount);
  for (const TDictNode* Node = FFirst.get(); Node; Node = Node->Next.get()) List->Add(ItemText(Column, Node->Record));
  return List;
}

void TDict::Sort() {
  if (FCount > 1) {
    std::vector<TDictNode*> Chain;
    Chain.reserve(static_cast<size_t>(FCount));
    for (TDictNode* Node = FFirst.get(); Node; Node = Node->Next.get()) Chain.push_back(Node);

    // The keys first: the block may move while it grows.
    TSortKeys Keys(Chain.size());
    std::vector<size_t> Offsets;
    Offsets.reserve(Chain.size() + 1);
    for (const TDictNode* Node : Chain)
      Offsets.push_back(Keys.Add(Node->Record.Fields[0], FieldLength(Node->Record.Fields[0], QuestionFieldSize)));
    Offsets.push_back(Keys.Size());
    std::vector<TSortItem> Items;
    Items.reserve(Chain.size());
    for (size_t K = 0; K < Chain.size(); ++K)
      Items.push_back({Keys.Key(Offsets[K], Offsets[K + 1] - Offsets[K]), static_cast<int>(K)});
    QuickSort(Items, 0, FCount - 1);

    // Write the records back once, along the cycles of the permutation:
    // entry K takes the record that stood at Items[K].Index. The nodes stay
    // where they are, so the chain keeps its memory order.
    std::vector<bool> Placed(Chain.size());
    for (size_t Start = 0; Start < Chain.size(); ++Start) {
      if (Placed[Start]) continue;
      const TQuestionRecord Held = Chain[Start]->Record;
      size_t K = Start;
      for (;;) {
        Placed[K] = true;
        const size_t From = static_cast<size_t>(Items[K].Index);
        if (From == Start) break;
        Chain[K]->Record = Chain[From]->Record;
        K = From;
      }
      Chain[K]->Record = Held;
    }
  }
  if (FQuestionsList) RefillMirror(FQuestionsList, 0);
  if (FAnswersList) RefillMirror(FAnswersList, -1);
}

// Replaces a mirror's rows by ItemText(Column) of every entry, inside one
// update, so that a list box repaints once.
void TDict::RefillMirror(TVsWideStrings* List, int Column) const {
  List->BeginUpdate();
  try {
    List->Clear();
    List->SetCapacity(FCount);
    for (const TDictNode* Node = FFirst.get(); Node; Node = Node->Next.get()) List->Add(ItemText(Column, Node->Record));
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
}

void TDict::BeginMirrorUpdate() {
  if (FQuestionsList) FQuestionsList->BeginUpdate();
  if (FAnswersList) FAnswersList->BeginUpdate();
}

void TDict::EndMirrorUpdate() {
  if (FAnswersList) FAnswersList->EndUpdate();
  if (FQuestionsList) FQuestionsList->EndUpdate();
}

void TDict::LoadFromFile(const AnsiString& Path) {
  // The mirror lists are emptied and filled again in one update.
  BeginMirrorUpdate();
  try {
    Clear();
    if (FileExists(Path)) {
      FFileName = Path;
      ResetHeader();
      ReadDicFile(Path);
    }
  } catch (...) {
    Clear();
    ResetHeader();
    EndMirrorUpdate();
    throw;
  }
  EndMirrorUpdate();
}

void TDict::ReadDicFile(const AnsiString& Path) {
  TFileStream Stream(Path, fmOpenRead | fmShareDenyWrite);
  const Int64 Size = Stream.Size();
  if (Size == 0) return;
  if (Size < DictHeaderBytes || (Size - DictHeaderBytes) % QuestionRecordBytes != 0)
    throw EReadError(Format("The dictionary file %s is damaged (%d bytes)", Path, Size));

  Int64 Left = (Size - DictHeaderBytes) / QuestionRecordBytes;
  const Int64 ChunkRecords = std::min<Int64>(Left, RecordsPerChunk);
  std::vector<Byte> Buffer(static_cast<size_t>(std::max<Int64>(ChunkRecords * QuestionRecordBytes, DictHeaderBytes)));
  Stream.ReadBuffer(Buffer.data(), DictHeaderBytes);
  DecodeUnits(DecodeUnits(Buffer.data(), FTitle, DictTitleSize), FDescription, DictDescriptionSize);

  TQuestionRecord Entry;
  while (Left > 0) {
    const int N = static_cast<int>(std::min<Int64>(Left, RecordsPerChunk));
    Stream.ReadBuffer(Buffer.data(), N * QuestionRecordBytes);
    const Byte* P = Buffer.data();
    for (int i = 0; i < N; ++i) {
      P = DecodeRecord(P, Entry);
      Add(Entry);
    }
    Left -= N;
  }
}

void TDict::SaveToFile(const AnsiString& Path) const {
  SaveFileSafely(Path, [this](TStream* Stream) {
    std::vector<Byte> Buffer(static_cast<size_t>(std::max(std::min(FCount, RecordsPerChunk) * QuestionRecordBytes,
                                                          DictHeaderBytes)));
    Byte* P = EncodeUnits(FDescription, DictDescriptionSize, EncodeUnits(FTitle, DictTitleSize, Buffer.data()));
    Stream->WriteBuffer(Buffer.data(), static_cast<int>(P - Buffer.data()));
    P = Buffer.data();
    for (const TDictNode* Node = FFirst.get(); Node; Node = Node->Next.get()) {
      P = EncodeRecord(Node->Record, P);
      if (P == Buffer.data() + Buffer.size()) {
        Stream->WriteBuffer(Buffer.data(), static_cast<int>(Buffer.size()));
        P = Buffer.data();
      }
    }
    Stream->WriteBuffer(Buffer.data(), static_cast<int>(P - Buffer.data()));
  });
}

void TDict::ImportFromFile(const AnsiString& Path) {
  if (ExtractFileExt(Path) != ".txt") return;
  BeginMirrorUpdate();
  try {
    Clear();
    ImportLines(DecodeImportText(ReadImportFile(Path)));
  } catch (...) {
    Clear();
    EndMirrorUpdate();
    throw;
  }
  EndMirrorUpdate();
}

void TDict::ImportLines(const WideString& Text) {
  TQuestionRecord Entry;
  const size_t Size = Text.size();
  size_t Start = 0;
  while (Start < Size) {
    size_t End = Text.find(L'\n', Start);
    size_t Next = End + 1;
    if (End == WideString::npos) {
      End = Size;
      Next = Size;
    } else if (End > Start && Text[End - 1] == L'\r') {
      --End;
    }
    if (ParseImportLine(Text.data() + Start, End - Start, Entry)) Add(Entry);
    Start = Next;
  }
}

// --- users ---

namespace {

constexpr const char* NoUser = "noname";

// Names are short strings of at most 255 characters.
AnsiString CutName(const AnsiString& Name) { return Name.substr(0, 255); }

bool IsNoUser(const AnsiString& Name) { return Name.empty() || Name == NoUser; }

AnsiString ResultFilePath(const AnsiString& Name) { return ExtractFilePath(ParamStr(0)) + UserFileName(Name); }

Integer GetInt32(const Byte* P) {
  return static_cast<Integer>(std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
                              std::uint32_t(P[3]) << 24);
}

void PutInt32(Byte* P, Integer Value) {
  const auto U = static_cast<std::uint32_t>(Value);
  for (int i = 0; i < 4; ++i) P[i] = static_cast<Byte>(U >> (8 * i));
}

struct TResultEntry {
  AnsiString DictionaryName;
  TDateTime Date;
  Integer Good;
  Integer Total;
};

// Visits the whole records of a result image in file order; a damaged
// name length is held to the field, a part record at the end is skipped.
template <class F> void ForEachResult(TMemoryStream* Results, F Visit) {
  const Byte* Data = static_cast<const Byte*>(Results->Memory());
  const Int64 Size = Results->Size();
  for (Int64 Offset = 0; Offset + ResultRecordBytes <= Size; Offset += ResultRecordBytes) {
    const Byte* P = Data + Offset;
    TResultEntry Entry;
    const size_t Length = std::min<size_t>(P[0], ResultNameSize);
    Entry.DictionaryName.assign(reinterpret_cast<const char*>(P + 1), Length);
    std::uint64_t Bits = 0;
    for (int i = 7; i >= 0; --i) Bits = Bits << 8 | P[152 + i];
    std::memcpy(&Entry.Date, &Bits, sizeof Entry.Date);
    Entry.Good = GetInt32(P + 160);
    Entry.Total = GetInt32(P + 164);
    Visit(Entry);
  }
}

// The date of a grade line; a damaged date (not a number, or outside the
// years the framework knows) shows as nothing.
AnsiString GradeDate(TDateTime Date) {
  try {
    return DateTimeToStr(Date);
  } catch (const EConvertError&) {
    return AnsiString();
  }
}

// How long a save waits for another copy of the trainer (or a reader) to
// let go of a result file, and how often it looks again meanwhile.
constexpr DWORD ResultFileWaitMs = 2000;
constexpr DWORD ResultFileRetryMs = 15;

// The file is held by someone else for now.
bool IsBusy(DWORD Error) {
  return Error == ERROR_SHARING_VIOLATION || Error == ERROR_LOCK_VIOLATION || Error == ERROR_ACCESS_DENIED;
}

bool Expired(DWORD Start) { return GetTickCount() - Start >= ResultFileWaitMs; }

// Taken by a save for the time it reads, merges and replaces a result file:
// "<file>.lck" opened with no sharing, which another copy's save waits for.
// The system removes it when it is let go, also when the program dies.
class TResultFileLock {
public:
  TResultFileLock(const AnsiString& Path, DWORD Start) {
    const AnsiString LockPath = Path + ".lck";
    for (;;) {
      FHandle = CreateFileA(LockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
      if (FHandle != INVALID_HANDLE_VALUE) return;
      const DWORD Error = GetLastError();
      if (!IsBusy(Error) || Expired(Start))
        throw EFOpenError("Cannot open file \"" + Path + "\". " + SysErrorMessage(Error));
      Sleep(ResultFileRetryMs);
    }
  }
  ~TResultFileLock() { CloseHandle(FHandle); }
  TResultFileLock(const TResultFileLock&) = delete;
  TResultFileLock& operator=(const TResultFileLock&) = delete;

private:
  HANDLE FHandle;
};

// The whole bytes of a result file, read while nobody may write it; false
// when there is no such file. A file held by someone else (another copy's
// save replaces it in a moment) is tried again until the wait that began at
// Start is over. Raises EFOpenError when it cannot be opened (held by
// another program, no access) and EReadError when it cannot be read
// through.
bool ReadResultFile(const AnsiString& Path, AnsiString& Bytes, DWORD Start) {
  HANDLE File;
  while ((File = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) == INVALID_HANDLE_VALUE) {
    const DWORD Error = GetLastError();
    if (Error == ERROR_FILE_NOT_FOUND) return false;
    if (!IsBusy(Error) || Expired(Start))
      throw EFOpenError("Cannot open file \"" + Path + "\". " + SysErrorMessage(Error));
    Sleep(ResultFileRetryMs);
  }
  try {
    THandleStream Stream(File);
    const Int64 Size = Stream.Size();
    if (Size > INT_MAX) throw EReadError("Stream read error");
    Bytes.assign(static_cast<size_t>(Size), '\0');
    Stream.ReadBuffer(Bytes.data(), static_cast<int>(Size));
  } catch (...) {
    CloseHandle(File);
    throw;
  }
  CloseHandle(File);
  return true;
}

// The whole records of a user's result file, empty when there is none,
// waiting for it as ReadResultFile does. A file with part of a record after
// them is damaged: it is first kept as it was as "<file>.bak", and Damaged
// is set. Raises the stream errors when the file cannot be read or its
// copy cannot be written.
AnsiString ReadResultRecords(const AnsiString& Path, bool& Damaged, DWORD Start) {
  AnsiString Bytes;
  Damaged = false;
  if (!ReadResultFile(Path, Bytes, Start)) return Bytes;
  const size_t Whole = Bytes.size() - Bytes.size() % ResultRecordBytes;
  if (Whole == Bytes.size()) return Bytes;
  SaveFileSafely(Path + ".bak", [&Bytes](TStream* Stream) {
    Stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  });
  Damaged = true;
  Bytes.resize(Whole);
  return Bytes;
}

// Writes Records as the result file: into "<file>.tmp", put in the file's
// place once complete. While someone is reading the file it cannot be
// replaced; that is tried again until the wait that began at Start is over.
void ReplaceResultFile(const AnsiString& Path, const AnsiString& Records, DWORD Start) {
  const AnsiString Temp = Path + ".tmp";
  try {
    TFileStream Stream(Temp, fmCreate);
    Stream.WriteBuffer(Records.data(), static_cast<int>(Records.size()));
  } catch (const EFCreateError&) {
    throw EFCreateError("Cannot create file " + Path);
  } catch (...) {
    DeleteFile(Temp);
    throw;
  }
  while (!MoveFileExA(Temp.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD Error = GetLastError();
    if (!IsBusy(Error) || Expired(Start)) {
      DeleteFile(Temp);
      throw EFCreateError("Cannot create file \"" + Path + "\". " + SysErrorMessage(Error));
    }
    Sleep(ResultFileRetryMs);
  }
}

}  // namespace

AnsiString UserFileName(const AnsiString& Name) { return MD5DigestToStr(MD5Digest(Name)); }

TDUser::TDUser(const AnsiString& AName) : FResults(Create<TMemoryStream>()) {
  if (!AName.empty())
    SelectUser(AName);
  else
    SetName(AName);
}

TDUser::~TDUser() {
  try {
    Save();
  } catch (...) {
    HandleCallbackException();
  }
}

void TDUser::Save() {
  if (!FDirty) return;
  // No user keeps its records pending, for a name given later.
  if (IsNoUser(FName)) {
    FDirty = false;
    return;
  }
  const AnsiString Path = ResultFilePath(FName);
  const DWORD Start = GetTickCount();
  const TResultFileLock Lock(Path, Start);
  bool Damaged = false;
  AnsiString Records;
  if (!FCleared) Records = ReadResultRecords(Path, Damaged, Start);
  Records += FPending;
  ReplaceResultFile(Path, Records, Start);
  SetResults(Records);
  FPending.clear();
  FCleared = false;
  FDirty = false;
  if (Damaged) ReportDamage(Path);
}

void TDUser::SelectUser(const AnsiString& AName) {
  Save();
  const AnsiString Name = CutName(AName);
  const AnsiString Path = ResultFilePath(Name);
  bool Damaged = false;
  const AnsiString Records = IsNoUser(Name) ? AnsiString() : ReadResultRecords(Path, Damaged, GetTickCount());
  FName = Name;
  SetResults(Records);
  FPending.clear();
  FCleared = false;
  FDamageReported = false;
  // A damaged file is rewritten with its whole records at the next save.
  FDirty = Damaged;
  ShowName();
  if (Damaged) ReportDamage(Path);
}

void TDUser::SetName(const AnsiString& AName) {
  FName = AName.empty() ? NoUser : CutName(AName);
  FDamageReported = false;
  ShowName();
  Save();
}

bool TDUser::RenameUser(const AnsiString& OldName, const AnsiString& NewName) {
  const AnsiString Old = CutName(OldName), New = CutName(NewName);
  if (IsNoUser(New)) return false;
  const AnsiString OldPath = ResultFilePath(Old), NewPath = ResultFilePath(New);
  if (!FileExists(OldPath) || FileExists(NewPath) || !RenameFile(OldPath, NewPath)) return false;
  if (Old == FName) FName = New;
  return true;
}

bool TDUser::DeleteUser(const AnsiString& AName) {
  const AnsiString Name = CutName(AName);
  const AnsiString Path = ResultFilePath(Name);
  if (!FileExists(Path) || !DeleteFile(Path)) return false;
  if (Name == FName) FName = NoUser;
  return true;
}

void TDUser::ClearResults() {
  FResults->Clear();
  FPending.clear();
  FCleared = true;
  FDirty = true;
}

void TDUser::AddResult(const AnsiString& DictionaryName, Integer Good, Integer Total) {
  Byte Record[ResultRecordBytes] = {};
  const size_t Length = std::min<size_t>(DictionaryName.size(), ResultNameSize);
  Record[0] = static_cast<Byte>(Length);
  std::memcpy(Record + 1, DictionaryName.data(), Length);
  const TDateTime Date = Now();
  std::uint64_t Bits;
  std::memcpy(&Bits, &Date, sizeof Bits);
  for (int i = 0; i < 8; ++i) Record[152 + i] = static_cast<Byte>(Bits >> (8 * i));
  PutInt32(Record + 160, Good);
  PutInt32(Record + 164, Total);
  FResults->Seek(0, soEnd);
  FResults->WriteBuffer(Record, ResultRecordBytes);
  FPending.append(reinterpret_cast<const char*>(Record), ResultRecordBytes);
  FDirty = true;
}

TOwned<TStringList> TDUser::TestedDictionaries() const {
  TOwned<TStringList> Names(Create<TStringList>());
  ForEachResult(FResults.get(), [&](const TResultEntry& Entry) {
    if (Names->IndexOf(Entry.DictionaryName) < 0) Names->Add(Entry.DictionaryName);
  });
  return Names;
}

TOwned<TStringList> TDUser::Grades(const AnsiString& DictionaryName) const {
  TOwned<TStringList> Lines(Create<TStringList>());
  ForEachResult(FResults.get(), [&](const TResultEntry& Entry) {
    if (Entry.DictionaryName != DictionaryName || Entry.Total < 1) return;
    Lines->Add("[" + GradeDate(Entry.Date) + "] " + IntToStr(Entry.Good) + "/" + IntToStr(Entry.Total) + " = " +
               IntToStr(RoundPercent(Entry.Good, Entry.Total)) + " %");
  });
  return Lines;
}

void TDUser::SetLabel(TLabel* Value) {
  FNameLabel = Value;
  ShowName();
}

void TDUser::ShowName() {
  if (FNameLabel) FNameLabel->SetCaption(FName);
}

void TDUser::SetResults(const AnsiString& Records) {
  FResults->Clear();
  FResults->WriteBuffer(Records.data(), static_cast<int>(Records.size()));
}

void TDUser::ReportDamage(const AnsiString& Path) {
  FDamagedCopy = Path + ".bak";
  if (FDamageReported) return;
  FDamageReported = true;
  if (OnResultsDamaged) OnResultsDamaged(this);
}
