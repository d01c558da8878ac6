#include "TestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "Filer.h"
#include "Lists.h"
#include "Streams.h"
#include "VsStrUtils.h"
#include "VsUnicodeStrings.h"
#include "Win.h"

namespace {

std::vector<WideString> Lines(const TVsWideStrings& L) {
  std::vector<WideString> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Strings(I));
  return R;
}

void Fill(TVsWideStrings& L, std::initializer_list<const wchar_t*> Items) {
  for (const wchar_t* S : Items) L.Add(S);
}

std::string ReadFileBytes(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>());
}

std::string Fixture(const char* Name) { return std::string(FIXTURES_DIR) + "/controls-base/" + Name; }

AnsiString TempPath(const char* Name) { return TestTempPath("vswide", Name); }

std::string StreamBytes(TMemoryStream& S) {
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

void LoadBytes(TVsWideStrings& L, const std::string& Bytes) {
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  S.SetPosition(0);
  L.LoadFromStream(&S);
}

// Counts the change events of a list.
class TEventCounter : public TObject {
public:
  int Changing = 0;
  int Changed = 0;
  void DoChanging(TObject*) { ++Changing; }
  void DoChanged(TObject*) { ++Changed; }
  void Reset() { Changing = Changed = 0; }
  void Attach(TVsWideStringList& L) {
    L.OnChanging = TNotifyEvent(this, &TEventCounter::DoChanging);
    L.OnChange = TNotifyEvent(this, &TEventCounter::DoChanged);
  }
};

// The least a descendant supplies, so that the base operations run on their
// own (as they do for the edit control's and the list box's lines).
class TPlainStrings : public TVsWideStrings {
public:
  void Insert(int Index, const WideString& S) override {
    if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
    FItems.insert(FItems.begin() + Index, {S, nullptr});
  }
  void Delete(int Index) override { FItems.erase(FItems.begin() + Check(Index)); }
  void Clear() override { FItems.clear(); }
  void PutObject(int Index, TObject* AObject) override { FItems[Check(Index)].second = AObject; }

protected:
  WideString Get(int Index) const override { return FItems[Check(Index)].first; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  TObject* GetObject(int Index) const override { return FItems[Check(Index)].second; }

private:
  int Check(int Index) const {
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
    return Index;
  }
  std::vector<std::pair<WideString, TObject*>> FItems;
};

// Distinct object pointers that are never dereferenced.
TObject* Obj(int N) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(0x1000 + 4 * N)); }
int ObjIndex(TObject* O) { return static_cast<int>((reinterpret_cast<intptr_t>(O) - 0x1000) / 4); }

}  // namespace

TEST(VsWideStrings, TextSplitsAtEveryLineEndAndStopsAtZero) {
  struct Case {
    WideString Text;
    std::vector<WideString> Lines;
  };
  const Case Cases[] = {
      {L"a\r\nb", {L"a", L"b"}},
      {L"a\r\n", {L"a"}},
      {L"a\n\rb", {L"a", L"", L"b"}},
      {WideString(L"a\0b", 3), {L"a"}},
      {L"a\rb\nc\r\n\r\nd", {L"a", L"b", L"c", L"", L"d"}},
      {L"\r\n", {L""}},
      {L"", {}},
  };
  TVsWideStringList L;
  for (const Case& C : Cases) {
    L.SetText(C.Text);
    EXPECT_EQ(Lines(L), C.Lines) << WideToUTF8(C.Text);
  }

  L.Clear();
  EXPECT_EQ(L.Text(), L"");
  Fill(L, {L"a", L"b"});
  EXPECT_EQ(L.Text(), L"a\r\nb\r\n");
  auto Buffer = L.GetText();
  EXPECT_STREQ(Buffer.get(), L"a\r\nb\r\n");
  L.SetText(L"x\ny");
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"x", L"y"}));
}

TEST(VsWideStrings, NamesAndValuesAreCaseSensitive) {
  TVsWideStringList L;
  Fill(L, {L"plain", L"Key=1", L"key=2=3", L"key"});
  EXPECT_EQ(L.IndexOfName(L"key"), 2);
  EXPECT_EQ(L.IndexOfName(L"KEY"), -1);
  EXPECT_EQ(L.Values(L"key"), L"2=3");
  EXPECT_EQ(L.Values(L"Key"), L"1");
  EXPECT_EQ(L.Values(L"plain"), L"");
  EXPECT_EQ(L.IndexOf(L"KEY=1"), -1);
  EXPECT_EQ(L.IndexOf(L"Key=1"), 1);
}

TEST(VsWideStringList, SortedAddFollowsTheDuplicatesPolicy) {
  TVsWideStringList L;
  L.SetSorted(true);
  Fill(L, {L"b", L"B", L"a"});
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"B", L"a", L"b"}));  // ordinal

  // Ignore: the existing index comes back, nothing is added.
  EXPECT_EQ(L.Add(L"a"), 1);
  EXPECT_EQ(L.Count(), 3);
  // Even AddObject of an ignored duplicate re-targets the existing line.
  L.AddObject(L"a", Obj(1));
  EXPECT_EQ(L.Objects(1), Obj(1));

  L.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Add(L"b"); }), "String list does not allow duplicates");
  EXPECT_EQ(L.Count(), 3);

  L.SetDuplicates(dupAccept);
  L.AddObject(L"a", Obj(2));
  L.AddObject(L"a", Obj(3));
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"B", L"a", L"a", L"a", L"b"}));
  int Index = -1;
  EXPECT_TRUE(L.Find(L"a", Index));
  EXPECT_EQ(Index, 1);
  EXPECT_EQ(L.IndexOf(L"a"), 1);
  EXPECT_FALSE(L.Find(L"ab", Index));
  EXPECT_EQ(Index, 4);
  EXPECT_EQ(L.IndexOf(L"ab"), -1);
}

TEST(VsWideStringList, SortedListRefusesPositionalChangesAndKeepsItsLines) {
  TVsWideStringList L;
  Fill(L, {L"c", L"a", L"b"});
  L.PutObject(0, Obj(7));
  L.SetSorted(true);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"a", L"b", L"c"}));
  EXPECT_EQ(L.Objects(2), Obj(7));

  const std::string Sorted = "Operation not allowed on sorted list";
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Insert(0, L"x"); }), Sorted);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Put(9, L"x"); }), Sorted);  // before the index check
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Move(2, 0); }), Sorted);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"a", L"b", L"c"}));
  EXPECT_EQ(L.Objects(2), Obj(7));

  // Sorting a sorted list does nothing, whatever the comparison.
  L.CustomSort([](TVsWideStringList*, int, int) { return -1; });
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"a", L"b", L"c"}));

  // Switching off keeps the order; then positional changes work again.
  L.SetSorted(false);
  L.Move(2, 0);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"c", L"a", L"b"}));
  EXPECT_EQ(L.Objects(0), Obj(7));
}

TEST(VsWideStringList, BadIndexesRaiseBeforeAnythingChanges) {
  TVsWideStringList L;
  TEventCounter Events;
  Fill(L, {L"a", L"b", L"c"});
  Events.Attach(L);

  L.Insert(3, L"d");  // Count appends
  EXPECT_EQ(L.Strings(3), L"d");
  Events.Reset();

  const std::pair<std::function<void()>, std::string> Cases[] = {
      {[&] { L.Insert(5, L"x"); }, "List index out of bounds (5)"},
      {[&] { L.Insert(-1, L"x"); }, "List index out of bounds (-1)"},
      {[&] { L.Strings(4); }, "List index out of bounds (4)"},
      {[&] { L.Objects(-1); }, "List index out of bounds (-1)"},
      {[&] { L.Put(4, L"x"); }, "List index out of bounds (4)"},
      {[&] { L.PutObject(4, nullptr); }, "List index out of bounds (4)"},
      {[&] { L.Delete(4); }, "List index out of bounds (4)"},
      {[&] { L.Exchange(7, 8); }, "List index out of bounds (7)"},
      {[&] { L.Exchange(0, 8); }, "List index out of bounds (8)"},
      {[&] { L.Move(0, 4); }, "List index out of bounds (4)"},
      {[&] { L.Move(-2, 1); }, "List index out of bounds (-2)"},
      {[&] { L.SetCapacity(3); }, "List capacity out of bounds (3)"},
  };
  for (const auto& [Body, Message] : Cases) EXPECT_EQ(MessageOf<EStringListError>(Body), Message);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(Events.Changing, 0);
  EXPECT_EQ(Events.Changed, 0);
}

TEST(VsWideStringList, ChangesFireOnePairAndAnOuterUpdateCollapsesThem) {
  TVsWideStringList L;
  TEventCounter Events;
  Events.Attach(L);

  L.Clear();  // empty: nothing
  EXPECT_EQ(Events.Changing + Events.Changed, 0);

  L.BeginUpdate();
  L.BeginUpdate();
  Fill(L, {L"a", L"b", L"c"});
  L.EndUpdate();
  EXPECT_EQ(Events.Changing, 1);
  EXPECT_EQ(Events.Changed, 0);
  L.EndUpdate();
  EXPECT_EQ(Events.Changing, 1);
  EXPECT_EQ(Events.Changed, 1);

  const std::function<void()> Changes[] = {
      [&] { L.Add(L"d"); },       [&] { L.Insert(0, L"e"); }, [&] { L.Put(0, L"f"); },
      [&] { L.PutObject(0, Obj(1)); }, [&] { L.Delete(0); },  [&] { L.Exchange(0, 1); },
      [&] { L.Sort(); },          [&] { L.Clear(); },
  };
  for (const auto& Change : Changes) {
    Events.Reset();
    Change();
    EXPECT_EQ(Events.Changing, 1);
    EXPECT_EQ(Events.Changed, 1);
  }

  // Text and stream loads are one update.
  Events.Reset();
  L.SetText(L"a\r\nb\r\nc");
  EXPECT_EQ(Events.Changing, 1);
  EXPECT_EQ(Events.Changed, 1);
}

TEST(VsWideStringList, CapacityGrowsInTheDocumentedSteps) {
  TVsWideStringList L;
  std::vector<int> Seen;
  for (int I = 0; I < 100; ++I) {
    L.Add(L"x");
    if (Seen.empty() || Seen.back() != L.Capacity()) Seen.push_back(L.Capacity());
  }
  // +4 up to 8, +16 up to 64, then a quarter.
  EXPECT_EQ(Seen, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
  L.SetCapacity(150);
  EXPECT_EQ(L.Capacity(), 150);
  EXPECT_EQ(L.Count(), 100);
  L.Clear();
  EXPECT_EQ(L.Capacity(), 0);
}

TEST(VsWideStringList, QuickSortMatchesStdSortAndObjectsFollowTheirLines) {
  TVsWideStringList L;
  std::vector<WideString> Original;
  RandSeed = 12345;
  for (int I = 0; I < 3000; ++I) {
    // Few distinct keys, so that runs of equal lines are common.
    Original.push_back(L"k" + std::to_wstring(Random(200)));
    L.AddObject(Original.back(), Obj(I));
  }
  L.Sort();
  std::vector<WideString> Expected = Original;
  std::sort(Expected.begin(), Expected.end());
  EXPECT_EQ(Lines(L), Expected);
  int Misplaced = 0;
  for (int I = 0; I < L.Count(); ++I)
    if (Original[ObjIndex(L.Objects(I))] != L.Strings(I)) ++Misplaced;
  EXPECT_EQ(Misplaced, 0);

  // A comparison of its own: by length, longest first.
  TVsWideStringList M;
  Fill(M, {L"bb", L"a", L"dddd", L"ccc", L""});
  M.CustomSort([](TVsWideStringList* List, int I1, int I2) {
    return static_cast<int>(List->Strings(I2).size()) - static_cast<int>(List->Strings(I1).size());
  });
  EXPECT_EQ(Lines(M), (std::vector<WideString>{L"dddd", L"ccc", L"bb", L"a", L""}));
}

TEST(VsWideStrings, BaseOperationsWorkOnAMinimalDescendant) {
  TPlainStrings L;
  Fill(L, {L"a", L"b", L"c"});
  L.PutObject(0, Obj(1));
  L.PutObject(2, Obj(3));

  L.Put(0, L"A");  // keeps the object
  EXPECT_EQ(L.Strings(0), L"A");
  EXPECT_EQ(L.Objects(0), Obj(1));

  L.Exchange(0, 2);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"c", L"b", L"A"}));
  EXPECT_EQ(L.Objects(0), Obj(3));
  EXPECT_EQ(L.Objects(2), Obj(1));

  L.Move(0, 2);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"b", L"A", L"c"}));
  EXPECT_EQ(L.Objects(2), Obj(3));
  EXPECT_EQ(L.IndexOfObject(Obj(3)), 2);

  // A move to a place that does not exist loses nothing.
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Move(1, 3); }), "List index out of bounds (3)");
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"b", L"A", L"c"}));

  TVsWideStringList Copy;
  Copy.Assign(&L);
  EXPECT_TRUE(Copy.Equals(&L));
  EXPECT_EQ(Copy.Objects(2), Obj(3));
  Copy.Put(1, L"a");
  EXPECT_FALSE(Copy.Equals(&L));
}

TEST(VsWideStrings, AssignsToAndFromFrameworkStringLists) {
  TStringList Ansi;
  Ansi.AddObject(WideToAnsi(L"żółw"), Obj(1));
  Ansi.AddObject("beta", Obj(2));
  Ansi.AddObject("alfa", Obj(3));

  // A sorted target: every line keeps its own object.
  TVsWideStringList Wide;
  Wide.SetSorted(true);
  Wide.Add(L"old");
  Wide.Assign(&Ansi);
  EXPECT_EQ(Lines(Wide), (std::vector<WideString>{L"alfa", L"beta", L"żółw"}));
  EXPECT_EQ(Wide.Objects(0), Obj(3));
  EXPECT_EQ(Wide.Objects(1), Obj(2));
  EXPECT_EQ(Wide.Objects(2), Obj(1));
  EXPECT_TRUE(Wide.Sorted());

  TStringList Back;
  Back.SetSorted(true);
  Back.Add("zzz");
  Back.Assign(&Wide);  // through AssignTo
  ASSERT_EQ(Back.Count(), 3);
  EXPECT_EQ(Back.Strings(2), WideToAnsi(L"żółw"));
  EXPECT_EQ(Back.Objects(2), Obj(1));

  Wide.Assign(&Wide);  // onto itself: nothing lost
  EXPECT_EQ(Wide.Count(), 3);

  class TOther : public TPersistent {} NotStrings;
  EXPECT_THROW(Wide.Assign(&NotStrings), EConvertError);
}

TEST(VsWideStrings, SavesWithTheChosenEncoding) {
  TVsWideStringList L;
  struct Case {
    bool Unicode;
    std::vector<WideString> Lines;
    std::string Bytes;
  };
  const Case Cases[] = {
      {true, {}, "\xFF\xFE"},
      {true, {L"A"}, std::string("\xFF\xFE" "A\0\r\0\n\0", 8)},
      {true, {L"ł"}, std::string("\xFF\xFE\x42\x01\r\0\n\0", 8)},
      {false, {}, ""},
      {false, {L"ł", L""}, "\xB3\r\n\r\n"},
  };
  for (const Case& C : Cases) {
    L.Clear();
    for (const auto& S : C.Lines) L.Add(S);
    L.SetSaveUnicode(C.Unicode);
    TMemoryStream S;
    L.SaveToStream(&S);
    EXPECT_EQ(StreamBytes(S), C.Bytes);
  }
}

TEST(VsWideStrings, LoadsByTheByteOrderMark) {
  struct Case {
    bool Unicode;
    std::string Bytes;
    std::vector<WideString> Lines;
  };
  const Case Cases[] = {
      {false, std::string("\xFE\xFF\0A\0\r\0\n", 8), {L"A"}},
      {false, std::string("\xFE\xFF\x01\x42\0\0\0B", 8), {L"ł"}},  // a zero unit ends the text
      {false, std::string("\xFF\xFE" "A\0B", 5), {L"A"}},         // the odd byte is ignored
      {false, "AB", {L"AB"}},
      {false, "A", {L"A"}},
      {false, "\xB3\xF3" "d\xBF", {L"łódż"}},
      {false, "", {}},
      {true, std::string("\xFF\xFE" "A\0", 4), {L"\xFEFF" L"A"}},  // no mark looked for
      {true, std::string("A\0\n\0B\0", 6), {L"A", L"B"}},
  };
  for (const Case& C : Cases) {
    TVsWideStringList L;
    L.Add(L"stale");
    L.SetSaveUnicode(C.Unicode);
    LoadBytes(L, C.Bytes);
    EXPECT_EQ(Lines(L), C.Lines) << C.Bytes;
  }

  // Only the rest of the stream from its position counts.
  TVsWideStringList L;
  TMemoryStream S;
  S.WriteBuffer("xx\xFF\xFE" "A\0", 6);
  S.SetPosition(2);
  L.LoadFromStream(&S);
  EXPECT_EQ(Lines(L), (std::vector<WideString>{L"A"}));
}

TEST(VsWideStrings, FilesRoundTripInEachEncoding) {
  const std::vector<WideString> Wide = {L"Zażółć gęślą jaźń", L"Добрый день", L"", L"koniec"};
  const std::vector<WideString> Polish = {L"Zażółć gęślą jaźń", L"łódź", L"", L"koniec"};
  struct Case {
    const char* Fixture;
    std::vector<WideString> Lines;
    bool SaveUnicode;
    const char* SavedAs;  // what saving back writes
  };
  const Case Cases[] = {
      {"lines-utf16le.txt", Wide, true, "lines-utf16le.txt"},
      {"lines-utf16be.txt", Wide, true, "lines-utf16le.txt"},
      {"lines-cp1250.txt", Polish, false, "lines-cp1250.txt"},
  };
  const AnsiString Temp = TempPath("roundtrip.txt");
  for (const Case& C : Cases) {
    TVsWideStringList L;
    L.LoadFromFile(Fixture(C.Fixture));
    EXPECT_EQ(Lines(L), C.Lines) << C.Fixture;
    L.SetSaveUnicode(C.SaveUnicode);
    L.SaveToFile(Temp);
    EXPECT_EQ(ReadFileBytes(Temp), ReadFileBytes(Fixture(C.SavedAs))) << C.Fixture;
    TVsWideStringList Again;
    Again.LoadFromFile(Temp);
    EXPECT_TRUE(Again.Equals(&L)) << C.Fixture;
  }
  DeleteFileA(Temp.c_str());
  EXPECT_THROW(TVsWideStringList().LoadFromFile(TempPath("missing.txt")), EFOpenError);
}

namespace {

class TStoredList : public TVsWideStringList {
public:
  using TVsWideStringList::DefineProperties;
};

// Takes what DefineProperties declares, to run its write procedure.
class TCaptureFiler : public TFiler {
public:
  using TFiler::TFiler;
  void DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData, bool Data) override {
    PropName = Name;
    Write = std::move(WriteData);
    HasData = Data;
  }
  void DefineBinaryProperty(const AnsiString&, TStreamProc, TStreamProc, bool) override {}
  AnsiString PropName;
  TWriterProc Write;
  bool HasData = false;
};

// Reads the "Strings" value in Bytes into L.
void ReadStored(TStoredList& L, const std::string& Bytes) {
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  S.SetPosition(0);
  TReader Reader(&S);
  Reader.SetPropName("Strings");
  L.DefineProperties(&Reader);
  EXPECT_EQ(Reader.PropName(), "");  // the list took the property
}

std::string Int32(int N) { return std::string(reinterpret_cast<const char*>(&N), 4); }

}  // namespace

TEST(VsWideStrings, StoredStringsPropertyRoundTripsAndReadsEveryStringTag) {
  TStoredList L;
  Fill(L, {L"Zażółć", L"", L"Добрый"});
  TMemoryStream Out;
  TCaptureFiler Filer(&Out);
  L.DefineProperties(&Filer);
  EXPECT_EQ(Filer.PropName, "Strings");
  EXPECT_TRUE(Filer.HasData);
  ASSERT_TRUE(Filer.Write);
  Filer.Write(&Filer);
  const std::string Written = StreamBytes(Out);
  EXPECT_EQ(Written.substr(0, 6), std::string("\x01\x12\x06\0\0\0", 6));
  EXPECT_EQ(Written.back(), '\0');

  TStoredList Read;
  ReadStored(Read, Written);
  EXPECT_TRUE(Read.Equals(&L));

  TStoredList Empty;
  Empty.DefineProperties(&Filer);
  EXPECT_FALSE(Filer.HasData);

  // Short and long 8-bit strings (system code page), UTF-16 and UTF-8.
  const std::string Tags = std::string("\x01") + "\x06\x02" "a\xB3" + "\x0C" + Int32(0) + "\x0C" + Int32(2) + "bc" +
                           "\x12" + Int32(1) + std::string("\x42\x01", 2) + "\x14" + Int32(3) + "\xC5\xBC" "d" +
                           "\x14" + Int32(2) + "x\xFF" + std::string("\0", 1);
  TStoredList Tagged;
  ReadStored(Tagged, Tags);
  EXPECT_EQ(Lines(Tagged), (std::vector<WideString>{L"ał", L"", L"bc", L"ł", L"żd", L"x"}));
}

TEST(VsWideStrings, DamagedStoredStringsRaiseAndKeepWhatWasRead) {
  const std::string Bad[] = {
      std::string("\x01\x06\x01" "a\x07\0", 6),               // an identifier among the lines
      std::string("\x01\x06\x01" "a\x12", 5) + Int32(-1),     // a negative count
      std::string("\x01\x06\x01" "a\x0C", 5) + Int32(0x7FFFFFFF) + "abc",  // more than the stream holds
      std::string("\x01\x06\x01" "a\x12", 5) + Int32(0x40000000) + "ab",
  };
  for (const std::string& Bytes : Bad) {
    TStoredList L;
    TEventCounter Events;
    Events.Attach(L);
    TMemoryStream S;
    S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
    S.SetPosition(0);
    TReader Reader(&S);
    Reader.SetPropName("Strings");
    EXPECT_EQ(MessageOf<EReadError>([&] { L.DefineProperties(&Reader); }), "Error while reading wide strings list");
    EXPECT_EQ(Lines(L), (std::vector<WideString>{L"a"}));
    // The update bracket was closed: the next change is reported again.
    EXPECT_EQ(Events.Changed, 1);
    L.Add(L"b");
    EXPECT_EQ(Events.Changed, 2);
  }
}

namespace {

// Comparisons that do not keep to any order. Each raises when asked about an
// index outside the list being sorted.
TVsWideStringList* GSorted = nullptr;
std::uint32_t GSeed = 1;

void CheckIndexes(TVsWideStringList* List, int Index1, int Index2) {
  if (List != GSorted || Index1 < 0 || Index2 < 0 || Index1 >= List->Count() || Index2 >= List->Count())
    throw std::out_of_range("compared outside the list: " + std::to_string(Index1) + ", " + std::to_string(Index2));
}

int RandomAnswer(TVsWideStringList* List, int Index1, int Index2) {
  CheckIndexes(List, Index1, Index2);
  GSeed = GSeed * 1664525u + 1013904223u;
  return static_cast<int>(GSeed >> 30) - 1;  // -1, 0, 1 or 2
}

int AlwaysLess(TVsWideStringList* List, int Index1, int Index2) {
  CheckIndexes(List, Index1, Index2);
  return -1;
}

int AlwaysGreater(TVsWideStringList* List, int Index1, int Index2) {
  CheckIndexes(List, Index1, Index2);
  return 1;
}

}  // namespace

TEST(VsWideStringList, CustomSortWithAComparisonThatLiesStaysInTheListAndKeepsEveryLine) {
  const struct {
    const char* Name;
    TVsWideStringListSortCompare Compare;
  } Cases[] = {{"random", RandomAnswer}, {"always less", AlwaysLess}, {"always greater", AlwaysGreater}};
  for (const auto& C : Cases)
    for (int Count : {2, 3, 17, 3000}) {
      TVsWideStringList L;
      std::vector<std::pair<WideString, TObject*>> Before;
      for (int I = 0; I < Count; ++I) {
        L.AddObject(L"line " + std::to_wstring(I % 500), reinterpret_cast<TObject*>(static_cast<intptr_t>(I + 1)));
        Before.emplace_back(L.Strings(I), L.Objects(I));
      }
      std::sort(Before.begin(), Before.end());
      GSorted = &L;
      GSeed = static_cast<std::uint32_t>(Count);
      EXPECT_NO_THROW(L.CustomSort(C.Compare)) << C.Name << ", " << Count << " lines";
      std::vector<std::pair<WideString, TObject*>> After;
      for (int I = 0; I < L.Count(); ++I) After.emplace_back(L.Strings(I), L.Objects(I));
      std::sort(After.begin(), After.end());
      EXPECT_EQ(After, Before) << C.Name << ", " << Count << " lines";
      GSorted = nullptr;
    }
}

// A list that keeps its lines in a vector of its own, as the edit's lines do.
class TOutsideLines : public TVsWideStringList {
public:
  TOutsideLines() { FHoldsOwnLines = false; }
  std::vector<WideString> Items;
  void Put(int Index, const WideString& S) override { Items.at(static_cast<size_t>(Index)) = S; }
  void Insert(int Index, const WideString& S) override { Items.insert(Items.begin() + Index, S); }
  void Delete(int Index) override { Items.erase(Items.begin() + Index); }
  void Clear() override { Items.clear(); }

protected:
  WideString Get(int Index) const override { return Items.at(static_cast<size_t>(Index)); }
  int GetCount() const override { return static_cast<int>(Items.size()); }
};

TEST(VsWideStringList, ListsKeepingTheirLinesElsewhereAreSearchedAndSortedThroughGet) {
  TOutsideLines L;
  L.Items = {L"pies", L"ąb", L"kot", L"ab", L"kot", L"zebra"};
  EXPECT_EQ(L.IndexOf(L"kot"), 2);
  EXPECT_EQ(L.IndexOf(L"brak"), -1);
  std::vector<WideString> Expected = L.Items;
  std::sort(Expected.begin(), Expected.end(), [](const WideString& A, const WideString& B) {
    return VsWideCompareStr(A, B) < 0;
  });
  L.Sort();
  EXPECT_EQ(L.Items, Expected);
  int Index = -1;
  EXPECT_TRUE(L.Find(L"kot", Index));
  EXPECT_EQ(L.Items[static_cast<size_t>(Index)], L"kot");
  EXPECT_FALSE(L.Find(L"lis", Index));
  EXPECT_EQ(Index, static_cast<int>(std::lower_bound(Expected.begin(), Expected.end(), WideString(L"lis"),
                                                      [](const WideString& A, const WideString& B) {
                                                        return VsWideCompareStr(A, B) < 0;
                                                      }) -
                                     Expected.begin()));
  // Index checks count the lines kept outside: a valid index passes, one
  // past the end raises.
  L.Exchange(0, 5);
  EXPECT_EQ(L.Items.front(), Expected.back());
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Exchange(0, 6); }), "List index out of bounds (6)");
}
