#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Filer.h"
#include "Lists.h"
#include "Streams.h"
#include "TypInfo.h"
#include "UniClasses.h"
#include "UniSysUtils.h"
#include "UniSystem.h"

namespace {

class UniEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeUniSysUtils();
    InitializeUniSystem();
    InitializeUniClasses();
  }
  void TearDown() override {
    FinalizeUniSystem();
  }
};
::testing::Environment* const Environment = ::testing::AddGlobalTestEnvironment(new UniEnvironment);

using TLines = std::vector<WideString>;

TLines LinesOf(const TUniStrings& List) {
  TLines Lines;
  for (int I = 0; I < List.Count(); ++I) Lines.push_back(List.Strings(I));
  return Lines;
}

void Fill(TUniStrings& List, const TLines& Lines) {
  for (const WideString& Line : Lines) List.Add(Line);
}

// The message of the EStringListError that Body raises.
template <class F> std::string ListErrorOf(F&& Body) {
  try {
    Body();
  } catch (const EStringListError& E) {
    return E.Message();
  }
  return "no error";
}

// A file in the temporary folder, removed at the end.
class TTempFile {
public:
  explicit TTempFile(const WideString& Name) {
    WideChar Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    FName = WideString(Temp) + Name;
  }
  ~TTempFile() { DeleteFileW(FName.c_str()); }
  const WideString& Name() const { return FName; }
  void Write(const std::string& Bytes) const {
    TUniFileStream S(FName, fmCreate);
    S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  }
  std::string Read() const {
    TUniFileStream S(FName, fmOpenRead);
    std::string Bytes(static_cast<size_t>(S.Size()), '\0');
    S.ReadBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
    return Bytes;
  }

private:
  WideString FName;
};

TEST(UniClasses, TextIsLinesWithCRLF) {
  TUniStringList List;
  Fill(List, {L"a", L"b"});
  EXPECT_EQ(List.Text(), L"a\r\nb\r\n");
  TUniStrPtr Buffer = List.GetText();
  EXPECT_EQ(WideString(Buffer.get()), L"a\r\nb\r\n");

  struct {
    WideString Text;
    TLines Lines;
  } const Cases[] = {
      {L"a\r\nb\r\n", {L"a", L"b"}},
      {L"\r\n", {L""}},
      {L"", {}},
      {L"a\rb\nc", {L"a", L"b", L"c"}},
      {L"a\r\n\u2028b", {L"a", L"b"}},  // one break
      {L"a\n\u2028b", {L"a", L"b"}},
      {L"a\u2028b\u2028", {L"a", L"b"}},
      {L"a\r\rb", {L"a", L"", L"b"}},
      {L"a\n\rb", {L"a", L"", L"b"}},
      {WideString(L"a\0b\r\nc", 6), {L"a"}},  // a 0 ends the text
      {L"\u017C\u00F3\u0142w\r\n\u0101", {L"\u017C\u00F3\u0142w", L"\u0101"}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(WideToUTF8(C.Text));
    List.SetText(C.Text);
    EXPECT_EQ(LinesOf(List), C.Lines);
  }
}

TEST(UniClasses, LoadFromFileByByteOrderMark) {
  struct {
    std::string Bytes;
    TLines Lines;
    TUniFileCharSet CharSet;
  } const Cases[] = {
      {std::string("\xFE\xFF\x00\x41", 4), {L"A"}, fcsUTF16BE},
      {std::string("\xFE\xFF\xD8\x3D\xDE\x00\x00\x0D\x00\x0A\x00\x42", 12), {L"\U0001F600", L"B"}, fcsUTF16BE},
      {"\xEF\xBB\xBF\x41", {L"A"}, fcsUTF8},
      {"\xEF\xBB\xBF\xC5\xBC\xC3\xB3\r\nx", {L"\u017C\u00F3", L"x"}, fcsUTF8},
      {"\x41", {L"A"}, fcsAnsi},
      {"\xEF\xBB", {L"\u010F\u00BB"}, fcsAnsi},  // too short for a mark: 8-bit text
      {"\xB9\xBF\r\n\xE6", {L"\u0105\u017C", L"\u0107"}, fcsAnsi},
      {std::string("\xFF\xFE\x41\x00\x42", 5), {L"A"}, fcsUTF16LE},  // the odd byte is no unit
      {std::string("\xFF\xFE\x41\x00\x0D\x00\x0A\x00\x01\x01", 10), {L"A", L"\u0101"}, fcsUTF16LE},
      {"", {}, fcsAnsi},
  };
  TTempFile File(L"uni_bom.txt");
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::PrintToString(C.Bytes));
    File.Write(C.Bytes);
    TUniStringList List;
    List.Add(L"old");
    List.LoadFromFile(File.Name());
    EXPECT_EQ(LinesOf(List), C.Lines);
    EXPECT_EQ(List.LastFileCharSet(), C.CharSet);
  }
}

TEST(UniClasses, SaveToFileWritesUTF16LEWithMark) {
  TTempFile File(L"uni_save.txt");
  TUniStringList List;
  List.Add(L"A");
  List.SaveToFile(File.Name());
  EXPECT_EQ(File.Read(), std::string("\xFF\xFE\x41\x00\x0D\x00\x0A\x00", 8));

  const TLines Lines = {L"Za\u017C\u00F3\u0142\u0107", L"", L"\u0101\u0416\U0001F600", L"x"};
  List.Clear();
  Fill(List, Lines);
  List.SaveToFile(File.Name());
  TUniStringList Back;
  Back.LoadFromFile(File.Name());
  EXPECT_EQ(LinesOf(Back), Lines);
  EXPECT_EQ(Back.LastFileCharSet(), fcsUTF16LE);
}

TEST(UniClasses, FileErrorsNameTheFileAndKeepTheList) {
  TUniStringList List;
  List.Add(L"kept");
  try {
    List.LoadFromFile(L"Z:\\no\\such\\file.txt");
    ADD_FAILURE() << "no error";
  } catch (const EFOpenError& E) {
    EXPECT_EQ(E.Message(), "Cannot open file Z:\\no\\such\\file.txt");
  }
  try {
    List.SaveToFile(L"Z:\\no\\such\\file.txt");
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& E) {
    EXPECT_EQ(E.Message(), "Cannot create file Z:\\no\\such\\file.txt");
  }
  EXPECT_EQ(LinesOf(List), TLines{L"kept"});
  EXPECT_EQ(List.LastFileCharSet(), fcsUTF16LE);
}

// A stream that claims more bytes than it can give.
class TBrokenStream : public TStream {
public:
  int Read(void*, int) override { return 0; }
  int Write(const void*, int) override { return 0; }
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    if (Origin == soBeginning) FPosition = Offset;
    if (Origin == soCurrent) FPosition += Offset;
    return FPosition;
  }
  Int64 Size() override { return 100; }
  void SetSize(Int64) override {}

private:
  Int64 FPosition = 0;
};

TEST(UniClasses, LoadFromStream) {
  TUniStringList List;
  // Without detection the bytes are UTF-16LE, a mark included.
  TStringStream Marked(std::string("\xFF\xFE\x41\x00", 4));
  List.LoadFromStream(&Marked, false);
  EXPECT_EQ(LinesOf(List), TLines{L"\uFEFFA"});

  TStringStream BigEndian(std::string("\xFE\xFF\x00\x41", 4));
  List.LoadFromStream(&BigEndian, true);
  EXPECT_EQ(LinesOf(List), TLines{L"A"});
  EXPECT_EQ(List.LastFileCharSet(), fcsUTF16LE);  // only files set it

  // From the position on; a position beyond the end reads nothing.
  TMemoryStream Memory;
  Memory.WriteBuffer("\x41\x00\x42\x00", 4);
  Memory.SetPosition(2);
  List.LoadFromStream(&Memory, false);
  EXPECT_EQ(LinesOf(List), TLines{L"B"});
  Memory.SetPosition(10);
  List.LoadFromStream(&Memory, true);
  EXPECT_EQ(LinesOf(List), TLines{});

  List.Add(L"kept");
  TBrokenStream Broken;
  EXPECT_THROW(List.LoadFromStream(&Broken, true), EReadError);
  EXPECT_EQ(LinesOf(List), TLines{L"kept"});

  TMemoryStream Out;
  List.SaveToStream(&Out, false);
  EXPECT_EQ(std::string(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size())),
            std::string("k\0e\0p\0t\0\r\0\n\0", 12));
}

TEST(UniClasses, FileStreamByWideName) {
  TTempFile File(L"uni_stream.bin");
  {
    TUniFileStream S(File.Name(), fmCreate);
    S.WriteBuffer("abc", 3);
  }
  {
    // The handle of the first stream was closed: an exclusive open succeeds.
    TUniFileStream S(File.Name(), fmOpenReadWrite | fmShareExclusive);
    EXPECT_EQ(S.Size(), 3);
    EXPECT_THROW(TUniFileStream(File.Name(), fmOpenRead), EFOpenError);
  }
}

TEST(UniClasses, NamesAndValues) {
  TUniStringList List;
  Fill(List, {L"y=1", L"x=2", L"x", L"Z\u0105=3"});
  EXPECT_EQ(List.IndexOfName(L"x"), 1);
  EXPECT_EQ(List.IndexOfName(L"z\u0104"), 3);  // ignoring case
  EXPECT_EQ(List.IndexOfName(L"w"), -1);
  List.Delete(1);
  EXPECT_EQ(List.IndexOfName(L"x"), -1);  // "x" has no separator
  List.SetNameValueSeparator(L':');
  List.Add(L"k:v");
  EXPECT_EQ(List.IndexOfName(L"k"), 3);
  EXPECT_EQ(List.IndexOfName(L"y"), -1);

  TUniStringList Sorted;
  Fill(Sorted, {L"b=2", L"a=1", L"a", L"c=3"});
  Sorted.SetSorted(true);
  EXPECT_EQ(LinesOf(Sorted), (TLines{L"a", L"a=1", L"b=2", L"c=3"}));
  EXPECT_EQ(Sorted.IndexOfName(L"a"), 1);
  EXPECT_EQ(Sorted.IndexOfName(L"c"), 3);
  EXPECT_EQ(Sorted.IndexOfName(L"d"), -1);
  EXPECT_EQ(Sorted.IndexOf(L"B=2"), 2);
  EXPECT_EQ(Sorted.IndexOf(L"b"), -1);
}

TEST(UniClasses, SortedListsAndDuplicates) {
  TUniStringList List;
  List.SetSorted(true);
  for (const wchar_t* S : {L"m", L"b", L"z", L"a", L"\u0105"}) List.Add(S);
  EXPECT_EQ(LinesOf(List), (TLines{L"a", L"\u0105", L"b", L"m", L"z"}));
  int Index = -1;
  EXPECT_TRUE(List.Find(L"M", Index));
  EXPECT_EQ(Index, 3);
  EXPECT_FALSE(List.Find(L"c", Index));
  EXPECT_EQ(Index, 3);  // the insertion point

  EXPECT_EQ(List.Add(L"A"), 0);  // ignored: the index of the first "a"
  EXPECT_EQ(List.Count(), 5);
  List.SetDuplicates(dupError);
  EXPECT_EQ(ListErrorOf([&] { List.Add(L"a"); }), "String list does not allow duplicates");
  List.SetDuplicates(dupAccept);
  EXPECT_EQ(List.Add(L"B"), 2);
  EXPECT_EQ(List.Add(L"b"), 2);
  EXPECT_TRUE(List.Find(L"b", Index));
  EXPECT_EQ(Index, 2);  // the first of the equal lines
  EXPECT_EQ(List.Count(), 7);

  // Sorted again by the case-sensitive comparison: "b" before "B".
  List.SetCaseSensitive(true);
  EXPECT_EQ(LinesOf(List), (TLines{L"a", L"\u0105", L"b", L"b", L"B", L"m", L"z"}));
  EXPECT_EQ(List.IndexOf(L"B"), 4);

  // What a sorted list does not allow leaves the lines alone.
  const TLines Before = LinesOf(List);
  for (auto Op : {+[](TUniStringList& L) { L.Insert(0, L"x"); }, +[](TUniStringList& L) { L.Put(0, L"x"); },
                  +[](TUniStringList& L) { L.Move(0, 3); }})
    EXPECT_EQ(ListErrorOf([&] { Op(List); }), "Operation not allowed on sorted list");
  EXPECT_EQ(LinesOf(List), Before);
}

TEST(UniClasses, IndexErrors) {
  TUniStringList List;
  Fill(List, {L"a", L"b"});
  EXPECT_EQ(ListErrorOf([&] { List.Strings(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorOf([&] { List.Objects(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ListErrorOf([&] { List.PutObject(5, nullptr); }), "List index out of bounds (5)");
  EXPECT_EQ(ListErrorOf([&] { List.Put(2, L"x"); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorOf([&] { List.Delete(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorOf([&] { List.Insert(3, L"x"); }), "List index out of bounds (3)");
  EXPECT_EQ(ListErrorOf([&] { List.Exchange(7, 9); }), "List index out of bounds (7)");
  EXPECT_EQ(ListErrorOf([&] { List.Exchange(0, 9); }), "List index out of bounds (9)");
  EXPECT_EQ(ListErrorOf([&] { List.Move(0, 2); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorOf([&] { List.SetCapacity(1); }), "List capacity out of bounds (1)");
  List.Insert(2, L"c");  // at the end is allowed
  EXPECT_EQ(LinesOf(List), (TLines{L"a", L"b", L"c"}));
}

TEST(UniClasses, CapacityGrowth) {
  TUniStringList List;
  std::vector<int> Capacities = {List.Capacity()};
  for (int I = 0; I < 95; ++I) {
    List.Add(L"x");
    if (List.Capacity() != Capacities.back()) Capacities.push_back(List.Capacity());
  }
  EXPECT_EQ(Capacities, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95}));
  List.Clear();
  EXPECT_EQ(List.Capacity(), 0);
}

class TChangeCounter : public TObject {
public:
  void Changing(TObject*) { ++FChanging; }
  void Changed(TObject*) { ++FChanged; }
  int FChanging = 0, FChanged = 0;
};

TEST(UniClasses, ChangeEventsAndOperations) {
  TUniStringList List;
  TChangeCounter Counter;
  List.OnChanging = TNotifyEvent(&Counter, &TChangeCounter::Changing);
  List.OnChange = TNotifyEvent(&Counter, &TChangeCounter::Changed);
  TObject A, B;
  List.AddObject(L"a", &A);
  List.AddObject(L"b", &B);
  List.Add(L"c");
  EXPECT_EQ(Counter.FChanging, 3);
  EXPECT_EQ(Counter.FChanged, 3);

  List.Exchange(0, 2);
  EXPECT_EQ(LinesOf(List), (TLines{L"c", L"b", L"a"}));
  EXPECT_EQ(List.Objects(2), &A);
  List.Move(2, 0);
  EXPECT_EQ(LinesOf(List), (TLines{L"a", L"c", L"b"}));
  EXPECT_EQ(List.Objects(0), &A);
  EXPECT_EQ(List.IndexOfObject(&B), 2);
  List.Put(0, L"x");
  EXPECT_EQ(List.Objects(0), &A);  // Put keeps the object
  List.Sort();
  EXPECT_EQ(LinesOf(List), (TLines{L"b", L"c", L"x"}));
  EXPECT_EQ(List.Objects(2), &A);

  // A batch fires each event once; an empty list's Clear fires none.
  Counter.FChanging = Counter.FChanged = 0;
  List.BeginUpdate();
  List.Add(L"d");
  List.Delete(0);
  List.SetText(L"p\r\nq");
  List.EndUpdate();
  EXPECT_EQ(Counter.FChanging, 1);
  EXPECT_EQ(Counter.FChanged, 1);
  List.Clear();
  Counter.FChanging = Counter.FChanged = 0;
  List.Clear();
  EXPECT_EQ(Counter.FChanging + Counter.FChanged, 0);
}

TEST(UniClasses, SortingWithACarelessComparisonStaysInTheList) {
  TUniStringList List;
  for (int I = 0; I < 50; ++I) List.Add(WideString(1, static_cast<WideChar>(L'a' + I % 26)));
  for (TUniStringListSortCompare Compare :
       {+[](TUniStringList*, int, int) { return -1; }, +[](TUniStringList*, int, int) { return 1; },
        +[](TUniStringList*, int I, int J) { return (I + J) % 3 - 1; }}) {
    List.CustomSort(Compare);
    ASSERT_EQ(List.Count(), 50);
  }
  List.Sort();
  for (int I = 1; I < List.Count(); ++I) EXPECT_LE(List.Strings(I - 1), List.Strings(I));
}

TEST(UniClasses, AssignBetweenWideAndAnsiLists) {
  TUniStringList Wide;
  TObject A;
  Wide.AddObject(L"\u017C\u00F3\u0142w", &A);
  Wide.Add(L"\u0101");
  Wide.SetNameValueSeparator(L':');

  TUniStringList Copy;
  Copy.Add(L"old");
  Copy.Assign(&Wide);
  EXPECT_EQ(LinesOf(Copy), LinesOf(Wide));
  EXPECT_EQ(Copy.Objects(0), &A);
  EXPECT_EQ(Copy.NameValueSeparator(), L':');
  Copy.Assign(&Copy);  // itself: nothing lost
  Copy.AddStrings(&Copy);
  EXPECT_EQ(Copy.Count(), 4);

  // To the 8-bit framework list through the system code page ("a" best fit).
  TStringList Ansi;
  Ansi.Assign(&Wide);
  ASSERT_EQ(Ansi.Count(), 2);
  EXPECT_EQ(Ansi.Strings(0), "\xBF\xF3\xB3w");
  EXPECT_EQ(Ansi.Strings(1), "a");
  EXPECT_EQ(Ansi.Objects(0), &A);

  Ansi.Clear();
  Ansi.Add("\xB9\xE6");
  Wide.Assign(&Ansi);
  EXPECT_EQ(LinesOf(Wide), TLines{L"\u0105\u0107"});
  Wide.SetAnsiStrings(&Ansi);
  EXPECT_EQ(LinesOf(Wide), TLines{L"\u0105\u0107"});

  TPersistent Other;
  EXPECT_THROW(Wide.Assign(&Other), EConvertError);
}

TEST(UniClasses, AnsiView) {
  TUniStringList Wide;
  TAnsiStrings* View = Wide.AnsiStrings();
  EXPECT_EQ(GetObjectProp(&Wide, "AnsiStrings"), View);  // published
  View->Add("\xB9");
  View->Insert(0, "x");
  EXPECT_EQ(LinesOf(Wide), (TLines{L"x", L"\u0105"}));
  View->Put(0, "\xBF");
  EXPECT_EQ(Wide.Strings(0), L"\u017C");
  EXPECT_EQ(View->IndexOf("\xA5"), 1);  // the framework's case-insensitive search
  View->Delete(0);
  EXPECT_EQ(View->Text(), "\xB9\r\n");

  struct {
    Cardinal CodePage;
    std::string Bytes;
  } const Cases[] = {
      {CP_UTF8, "Za\xC5\xBC\r\n\xC4\x81\r\n"},
      {CP_UTF7, "Za+AXw-\r\n+AQE-\r\n"},
      {1250, "Za\xBF\r\na\r\n"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.CodePage);
    TStringStream In(C.Bytes);
    View->LoadFromStreamEx(&In, C.CodePage);
    EXPECT_EQ(LinesOf(Wide), (TLines{L"Za\u017C", C.CodePage == 1250 ? L"a" : L"\u0101"}));
  }
  TStringStream Out;
  View->SaveToStreamEx(&Out, CP_UTF8);
  EXPECT_EQ(Out.DataString(), "Za\xC5\xBC\r\na\r\n");

  // Text that is not valid in its code page changes nothing.
  TStringStream Bad("+AKN-");
  EXPECT_THROW(View->LoadFromStreamEx(&Bad, CP_UTF7), EUniGeneralError);
  EXPECT_EQ(LinesOf(Wide), (TLines{L"Za\u017C", L"a"}));
}

// A component with a wide caption and wide lists, as controls of the layer
// have them.
class TUniLayoutTest : public TComponent {
public:
  explicit TUniLayoutTest(TComponent* AOwner) : TComponent(AOwner) {}
  const WideString& Caption() const { return FCaption; }
  void SetCaption(const WideString& Value) { FCaption = Value; }
  TUniStringList* Items() { return &FItems; }
  TUniStringList* Lines() { return &FLines; }

protected:
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    TUniWideStringPropertyFiler::DefineProperties(Filer, this);
  }

private:
  WideString FCaption;
  TUniStringList FItems, FLines;
};

// The same, read as if a designer had it open.
class TUniDesignedLayoutTest : public TUniLayoutTest {
public:
  explicit TUniDesignedLayoutTest(TComponent* AOwner) : TUniLayoutTest(AOwner) { IncludeState(csDesigning); }
};

void RegisterLayoutClasses() {
  RegisterClass<TUniLayoutTest, TComponent>()
      .WStr("Caption", &TUniLayoutTest::Caption, &TUniLayoutTest::SetCaption)
      .Object("Items", &TUniLayoutTest::Items)
      .Object("Lines", &TUniLayoutTest::Lines);
  RegisterClass<TUniDesignedLayoutTest, TUniLayoutTest>();
}

const char* const Layout = R"(object Root: TUniLayoutTest
  Caption = 'Za'#380#243#322#263' '#257
  CaptionW = 'Za'#197#188
  Caption_UTF7 = '+AQU-'
  Items.Strings = (
    'one'
    'dwa'#380
    #185)
  Items.WideStringsW = (
    'x')
  Items.WideStrings_UTF7 = (
    '+AQU-')
  Lines.Strings = 'a'#13#10#185
  Lines.WideStringsW = (
    'Za'#197#188
    'b')
end
)";

template <class C> TOwned<C> ReadLayout(const std::string& Text) {
  RegisterLayoutClasses();
  TOwned<C> Root(new C(nullptr));
  TStringStream Stream(Text);
  ReadComponentLayout(&Stream, Root.get());
  return Root;
}

TEST(UniClasses, LayoutWithWideCaptionAndLists) {
  auto Root = ReadLayout<TUniLayoutTest>(Layout);
  // The published caption reads back as UTF-16, with a letter outside the
  // system code page; the "W" and "_UTF7" entries are dropped at run time.
  EXPECT_EQ(Root->Caption(), L"Za\u017C\u00F3\u0142\u0107 \u0101");
  EXPECT_EQ(LinesOf(*Root->Items()), (TLines{L"one", L"dwa\u017C", L"\u0105"}));
  // A single text value is the whole text; UTF-8 lines fill an empty list only.
  EXPECT_EQ(LinesOf(*Root->Lines()), (TLines{L"a", L"\u0105"}));

  auto Empty = ReadLayout<TUniLayoutTest>("object Root: TUniLayoutTest\n  Lines.WideStringsW = ('Za'#197#188 'b')\n"
                                          "  Items.WideStrings = ('Za'#380)\nend\n");
  EXPECT_EQ(LinesOf(*Empty->Lines()), (TLines{L"Za\u017C", L"b"}));
  EXPECT_EQ(LinesOf(*Empty->Items()), TLines{L"Za\u017C"});
}

TEST(UniClasses, LayoutReadWhileDesigning) {
  auto Root = ReadLayout<TUniDesignedLayoutTest>(
      std::string(Layout).replace(std::string(Layout).find("TUniLayoutTest"), 14, "TUniDesignedLayoutTest"));
  EXPECT_EQ(Root->Caption(), L"\u0105");  // the last of the three entries
  EXPECT_EQ(LinesOf(*Root->Items()), TLines{L"\u0105"});
  EXPECT_EQ(LinesOf(*Root->Lines()), (TLines{L"Za\u017C", L"b"}));

  std::string Bad = std::string(Layout).replace(std::string(Layout).find("'+AQU-'"), 7, "'+AKN-'");
  Bad.replace(Bad.find("TUniLayoutTest"), 14, "TUniDesignedLayoutTest");
  EXPECT_THROW(ReadLayout<TUniDesignedLayoutTest>(Bad), EReadError);
}

}  // namespace
