#include "TestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "Lists.h"
#include "Streams.h"
#include "Win.h"

namespace {

// 8-bit text in the system code page (1250 under the tests).
AnsiString A(const wchar_t* S) { return WideToAnsi(S); }

std::vector<AnsiString> Lines(const TStrings& L) {
  std::vector<AnsiString> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Strings(I));
  return R;
}

void Fill(TStrings& L, std::initializer_list<AnsiString> Items) {
  for (const auto& S : Items) L.Add(S);
}

std::string ReadFileBytes(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>());
}

AnsiString TempPath(const char* Name) { return TestTempPath("lists", Name); }

}  // namespace

// --- TList ---

TEST(List, EditsKeepTheOrder) {
  int V[5] = {};
  TList L;
  L.Add(&V[0]);
  L.Add(&V[1]);
  L.Insert(0, &V[2]);   // 2 0 1
  L.Insert(3, &V[3]);   // 2 0 1 3
  L.Move(0, 3);         // 0 1 3 2
  L.Exchange(0, 1);     // 1 0 3 2
  EXPECT_EQ(L.Remove(&V[3]), 2);
  EXPECT_EQ(L.Remove(&V[4]), -1);
  ASSERT_EQ(L.Count(), 3);
  EXPECT_EQ(L.First(), &V[1]);
  EXPECT_EQ(L.Items(1), &V[0]);
  EXPECT_EQ(L.Last(), &V[2]);
  EXPECT_EQ(L.IndexOf(&V[2]), 2);
}

TEST(List, IndexOutOfBoundsNamesTheIndex) {
  int V = 0;
  TList L;
  L.Add(&V);
  L.Add(&V);
  struct Case {
    const wchar_t* Expected;
    std::function<void()> Body;
  } Cases[] = {
      {L"Indeks listy poza zakresem (2)", [&] { L.Items(2); }},
      {L"Indeks listy poza zakresem (-1)", [&] { L.Items(-1); }},
      {L"Indeks listy poza zakresem (3)", [&] { L.Insert(3, &V); }},
      {L"Indeks listy poza zakresem (2)", [&] { L.Delete(2); }},
      {L"Indeks listy poza zakresem (5)", [&] { L.SetItem(5, &V); }},
      {L"Indeks listy poza zakresem (2)", [&] { L.Exchange(0, 2); }},
      {L"Indeks listy poza zakresem (-1)", [&] { L.Move(-1, 0); }},
      {L"Pojemność listy poza zakresem (1)", [&] { L.SetCapacity(1); }},
  };
  for (auto& C : Cases) EXPECT_EQ(MessageOf<EListError>(C.Body), WideToAnsi(C.Expected));
  EXPECT_EQ(L.Count(), 2);
  TList Empty;
  EXPECT_EQ(MessageOf<EListError>([&] { Empty.First(); }), "Indeks listy poza zakresem (0)");
  EXPECT_EQ(MessageOf<EListError>([&] { Empty.Last(); }), "Indeks listy poza zakresem (-1)");
}

TEST(List, SortIsStableAndSurvivesAnInconsistentCompare) {
  struct Item { int Key, Seq; };
  std::vector<Item> Items;
  for (int I = 0; I < 40; ++I) Items.push_back({(I * 7) % 5, I});
  TList L;
  for (auto& It : Items) L.Add(&It);
  L.Sort([](void* A, void* B) { return static_cast<Item*>(A)->Key - static_cast<Item*>(B)->Key; });
  for (int I = 1; I < L.Count(); ++I) {
    auto* P = static_cast<Item*>(L.Items(I - 1));
    auto* Q = static_cast<Item*>(L.Items(I));
    ASSERT_TRUE(P->Key < Q->Key || (P->Key == Q->Key && P->Seq < Q->Seq)) << I;
  }
  // A compare function that contradicts itself gives some order of the same
  // items, never a walk outside the list.
  std::srand(7);
  L.Sort([](void*, void*) { return std::rand() % 3 - 1; });
  ASSERT_EQ(L.Count(), 40);
  std::vector<bool> Seen(40);
  for (int I = 0; I < L.Count(); ++I) Seen[static_cast<Item*>(L.Items(I))->Seq] = true;
  EXPECT_EQ(std::count(Seen.begin(), Seen.end(), true), 40);
}

// --- TStringList: sorting, Find, duplicates ---

TEST(StringList, SortedAddAppliesTheDuplicatesPolicy) {
  struct Case {
    TDuplicates Dup;
    std::vector<AnsiString> Adds;
    std::vector<AnsiString> Expected;
    std::vector<int> Returned;
    bool Raises;
  } Cases[] = {
      {dupIgnore, {"b", "a", "B", "c"}, {"a", "b", "c"}, {0, 0, 1, 2}, false},
      {dupAccept, {"b", "a", "B", "c"}, {"a", "B", "b", "c"}, {0, 0, 1, 3}, false},
      {dupError, {"b", "a", "B"}, {"a", "b"}, {0, 0}, true},
  };
  for (auto& C : Cases) {
    TStringList L;
    L.SetSorted(true);
    L.SetDuplicates(C.Dup);
    std::vector<int> Returned;
    std::string Error;
    for (auto& S : C.Adds) {
      try {
        Returned.push_back(L.Add(S));
      } catch (const EStringListError& E) {
        Error = E.Message();
      }
    }
    EXPECT_EQ(Lines(L), C.Expected) << C.Dup;
    EXPECT_EQ(Returned, C.Returned) << C.Dup;
    EXPECT_EQ(Error, C.Raises ? WideToAnsi(L"Lista nie dopuszcza powtórzeń") : "") << C.Dup;
  }
}

TEST(StringList, FindYieldsTheFirstOfEqualLinesAndTheInsertionPoint) {
  TStringList L;
  L.SetDuplicates(dupAccept);
  Fill(L, {"x", "abc", "m", "ABC", "Abc", "aBC", "b"});
  L.SetSorted(true);
  int Index = -1;
  EXPECT_TRUE(L.Find("abC", Index));
  EXPECT_EQ(Index, 0);
  // Stable: equal lines keep the order they were added in.
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"abc", "ABC", "Abc", "aBC", "b", "m", "x"}));
  EXPECT_FALSE(L.Find("c", Index));
  EXPECT_EQ(Index, 5);
  EXPECT_FALSE(L.Find("zz", Index));
  EXPECT_EQ(Index, 7);
  EXPECT_EQ(L.IndexOf("M"), 5);
  EXPECT_EQ(L.IndexOf("c"), -1);
}

TEST(StringList, SortsByTheLocale) {
  TStringList L;
  Fill(L, {A(L"z"), A(L"ł"), A(L"b"), A(L"Ą"), A(L"l"), A(L"a"), A(L"ą")});
  L.SetSorted(true);
  // In code page 1250 the bytes of ą and ł lie above z; the locale puts them
  // after a and l.
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{A(L"a"), A(L"Ą"), A(L"ą"), A(L"b"), A(L"l"), A(L"ł"), A(L"z")}));
  EXPECT_EQ(L.IndexOf(A(L"ą")), 1);  // the first of Ą, ą
  EXPECT_EQ(L.IndexOf(A(L"Ł")), 5);
  L.SetCaseSensitive(true);
  EXPECT_EQ(L.IndexOf(A(L"Ł")), -1);
  int Small = L.IndexOf(A(L"ą")), Capital = L.IndexOf(A(L"Ą"));
  ASSERT_GE(Small, 0);
  ASSERT_GE(Capital, 0);
  EXPECT_EQ(L.Strings(Small), A(L"ą"));
  EXPECT_EQ(L.Strings(Capital), A(L"Ą"));
}

TEST(StringList, SwitchingCaseSensitivityKeepsFindWorking) {
  TStringList L;
  L.SetSorted(true);
  L.SetDuplicates(dupAccept);
  L.Add("b");
  L.Add("B");  // inserted before the equal "b"
  L.SetCaseSensitive(true);
  EXPECT_EQ(L.Strings(L.IndexOf("b")), "b");
  EXPECT_EQ(L.Strings(L.IndexOf("B")), "B");
}

TEST(StringList, SortedListRefusesPositionalChangesWithoutLosingLines) {
  TStringList L;
  Fill(L, {"c", "a", "b"});
  L.SetSorted(true);
  const AnsiString Msg = WideToAnsi(L"Ta operacja jest niedozwolona na liście posortowanej");
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Insert(0, "z"); }), Msg);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Put(0, "z"); }), Msg);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Move(0, 2); }), Msg);
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"a", "b", "c"}));
  // CustomSort leaves a sorted list alone.
  L.CustomSort([](TStringList*, int A, int B) { return B - A; });
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"a", "b", "c"}));
  L.SetSorted(false);
  L.CustomSort([](TStringList*, int A, int B) { return B - A; });
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"c", "b", "a"}));
}

TEST(StringList, IndexErrorsLeaveTheListUnchanged) {
  TStringList L;
  Fill(L, {"a", "b"});
  std::function<void()> Bodies[] = {
      [&] { L.Strings(2); },      [&] { L.Objects(-1); },        [&] { L.Put(2, "x"); },
      [&] { L.PutObject(2, &L); }, [&] { L.Delete(-1); },         [&] { L.Insert(3, "x"); },
      [&] { L.Exchange(0, 2); },   [&] { L.Move(2, 0); },         [&] { L.Move(0, 2); },
      [&] { L.Names(5); },
  };
  for (auto& Body : Bodies)
    EXPECT_NE(MessageOf<EStringListError>(Body).find("Indeks listy poza zakresem ("), std::string::npos);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Insert(3, "x"); }), "Indeks listy poza zakresem (3)");
  L.Insert(2, "c");  // at Count appends
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"a", "b", "c"}));
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.SetCapacity(2); }), WideToAnsi(L"Pojemność listy poza zakresem (2)"));
}

// --- names and values ---

TEST(Strings, NamesAndValues) {
  TStringList L;
  Fill(L, {A(L"Klucz=Wartość"), "a=b=c", "plain", "=nameless", "klucz=second"});
  EXPECT_EQ(L.IndexOfName("KLUCZ"), 0);  // names ignore case; the first wins
  EXPECT_EQ(L.IndexOfName(A(L"ą")), -1);
  EXPECT_EQ(L.IndexOfName("plain"), -1);  // a line without "=" has no name
  EXPECT_EQ(L.IndexOfName(""), 3);
  EXPECT_EQ(L.Names(1), "a");
  EXPECT_EQ(L.ValueFromIndex(1), "b=c");
  EXPECT_EQ(L.Names(2), "");
  EXPECT_EQ(L.ValueFromIndex(2), "");
  EXPECT_EQ(L.Values("klucz"), A(L"Wartość"));
  EXPECT_EQ(L.Values("missing"), "");

  L.SetValue("a", "new");     // replaces in place
  L.SetValue("fresh", "1");   // appends
  L.SetValue("plain", "");    // no such name: nothing
  L.SetValue("KLUCZ", "");    // deletes the first
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"a=new", "plain", "=nameless", "klucz=second", "fresh=1"}));

  L.SetNameValueSeparator(':');
  L.Add("host:example:80");
  EXPECT_EQ(L.Values("HOST"), "example:80");
  EXPECT_EQ(L.IndexOfName("a"), -1);
}

// --- text formats ---

TEST(Strings, TextSplitsAtEveryLineEndAndJoinsWithCrLf) {
  struct Case {
    AnsiString Text;
    std::vector<AnsiString> Lines;
  } Cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\n", {"a"}},
      {"\r\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\rb\nc\r\n\r\nd", {"a", "b", "c", "", "d"}},
      {AnsiString("a\0b", 3), {"a"}},
  };
  for (auto& C : Cases) {
    TStringList L;
    L.SetText(C.Text);
    EXPECT_EQ(Lines(L), C.Lines) << C.Text;
  }
  TStringList L;
  Fill(L, {"a", "", "b"});
  EXPECT_EQ(L.Text(), "a\r\n\r\nb\r\n");
}

TEST(Strings, CommaTextRoundTrips) {
  struct Case {
    std::vector<AnsiString> Lines;
    AnsiString Comma;
  } Cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"a", "b"}, "a,b"},
      {{"two words", "x"}, "\"two words\",x"},
      {{"a,b", "say \"hi\""}, "\"a,b\",\"say \"\"hi\"\"\""},
      {{"a", "", "b", ""}, "a,,b,"},
      {{"", "a"}, ",a"},
      {{"tab\there"}, "\"tab\there\""},
      // Bytes above 127 are letters, not blanks.
      {{A(L"żółw"), A(L"łąka")}, A(L"żółw,łąka")},
  };
  for (auto& C : Cases) {
    TStringList L;
    for (auto& S : C.Lines) L.Add(S);
    EXPECT_EQ(L.CommaText(), C.Comma);
    TStringList Back;
    Back.SetCommaText(C.Comma);
    EXPECT_EQ(Lines(Back), C.Lines) << C.Comma;
  }
  // Unquoted blanks separate items; blanks around items are dropped.
  TStringList L;
  L.SetCommaText("  a b , \"c d\" ,e\"f");
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"a", "b", "c d", "e\"f"}));
  L.SetCommaText("\"open");
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"open"}));
}

TEST(Strings, DelimitedTextUsesItsOwnDelimiterAndQuote) {
  TStringList L;
  L.SetDelimiter(';');
  L.SetQuoteChar('\'');
  Fill(L, {"a,b", "it's", "c;d"});
  EXPECT_EQ(L.DelimitedText(), "a,b;'it''s';'c;d'");
  EXPECT_EQ(L.CommaText(), "\"a,b\",it's,c;d");
  L.SetDelimitedText("x;'y;z';w");
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"x", "y;z", "w"}));
  L.SetCommaText("p,q");
  EXPECT_EQ(L.Delimiter(), ';');
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"p", "q"}));
}

TEST(Strings, LoadAndSaveCodePage1250ByteForByte) {
  const std::string Fixture = FIXTURES_DIR "/lists/polish1250.txt";
  TStringList L;
  L.LoadFromFile(Fixture);
  ASSERT_EQ(L.Count(), 5);
  EXPECT_EQ(AnsiToWide(L.Strings(0)), L"Zażółć gęślą jaźń");
  EXPECT_EQ(AnsiToWide(L.Strings(1)), L"ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
  EXPECT_EQ(AnsiToWide(L.Values(A(L"KLUCZ"))), L"wartość");
  EXPECT_EQ(L.Strings(3), "");
  EXPECT_EQ(L.IndexOf(L.Strings(1)), 0);  // the same words in capitals

  const AnsiString Out = TempPath("save.txt");
  L.SaveToFile(Out);
  EXPECT_EQ(ReadFileBytes(Out), ReadFileBytes(Fixture));
  DeleteFileA(Out.c_str());

  EXPECT_EQ(MessageOf<EFOpenError>([&] { L.LoadFromFile("Z:/no/such/file.txt"); }),
            WideToAnsi(L"Nie można otworzyć pliku Z:/no/such/file.txt"));
  EXPECT_EQ(L.Count(), 5);
}

TEST(Strings, LoadFromStreamReadsFromThePosition) {
  TStringStream S("skip\r\nkeep\nthis");
  S.SetPosition(6);
  TStringList L;
  L.Add("old");
  L.LoadFromStream(&S);
  EXPECT_EQ(Lines(L), (std::vector<AnsiString>{"keep", "this"}));
  TStringStream Out;
  L.SaveToStream(&Out);
  EXPECT_EQ(Out.DataString(), "keep\r\nthis\r\n");
}

// --- change events ---

namespace {

class TWatcher : public TObject {
public:
  explicit TWatcher(TStringList& L) : FList(L) {
    L.OnChanging = TNotifyEvent(this, &TWatcher::Changing);
    L.OnChange = TNotifyEvent(this, &TWatcher::Change);
  }
  void Changing(TObject* Sender) {
    EXPECT_EQ(Sender, &FList);
    Log += "<" + std::to_string(FList.Count());
  }
  void Change(TObject*) { Log += ">" + std::to_string(FList.Count()); }
  std::string Log;

private:
  TStringList& FList;
};

}  // namespace

TEST(StringList, ChangeEventsBracketEachChangeOrTheOutermostUpdate) {
  struct Case {
    const char* Name;
    std::function<void(TStringList&)> Body;
    const char* Log;
  } Cases[] = {
      {"add", [](TStringList& L) { L.Add("x"); }, "<2>3"},
      {"delete", [](TStringList& L) { L.Delete(0); }, "<2>1"},
      {"put object", [](TStringList& L) { L.PutObject(0, &L); }, "<2>2"},
      {"exchange", [](TStringList& L) { L.Exchange(0, 1); }, "<2>2"},
      {"clear", [](TStringList& L) { L.Clear(); }, "<2>0"},
      {"clear empty", [](TStringList& L) { L.Clear(); L.Clear(); }, "<2>0"},
      {"nested update",
       [](TStringList& L) {
         L.BeginUpdate();
         L.Add("x");
         L.BeginUpdate();
         L.Add("y");
         L.EndUpdate();
         L.Add("z");
         L.EndUpdate();
       },
       "<2>5"},
      {"text", [](TStringList& L) { L.SetText("p\r\nq\r\nr"); }, "<2>3"},
      {"sort", [](TStringList& L) { L.Sort(); }, "<2>2"},
      {"bad index", [](TStringList& L) { EXPECT_THROW(L.Delete(5), EStringListError); }, ""},
      {"unbalanced end", [](TStringList& L) { L.EndUpdate(); L.Add("x"); }, "<2>3"},
  };
  for (auto& C : Cases) {
    TStringList L;
    Fill(L, {"b", "a"});
    TWatcher W(L);
    C.Body(L);
    EXPECT_EQ(W.Log, C.Log) << C.Name;
  }
}

TEST(StringList, FailedUpdateStillClosesTheBracket) {
  TStringList L;
  L.SetSorted(true);
  L.SetDuplicates(dupError);
  TWatcher W(L);
  EXPECT_THROW(L.SetText("a\r\nb\r\na"), EStringListError);
  EXPECT_EQ(W.Log, "<0>2");
  W.Log.clear();
  L.Add("c");
  EXPECT_EQ(W.Log, "<2>3");
}

// --- copying ---

TEST(Strings, AssignCopiesLinesAndObjects) {
  TStringList Source, Dest;
  TObject Marker;
  Source.AddObject("one", &Marker);
  Source.Add("two");
  Dest.Add("old");
  Dest.Assign(&Source);
  EXPECT_EQ(Lines(Dest), (std::vector<AnsiString>{"one", "two"}));
  EXPECT_EQ(Dest.Objects(0), &Marker);
  EXPECT_EQ(Dest.Objects(1), nullptr);
  EXPECT_TRUE(Dest.Equals(&Source));

  Dest.Assign(&Dest);  // keeps its lines
  EXPECT_TRUE(Dest.Equals(&Source));
  Dest.AddStrings(&Dest);
  EXPECT_EQ(Lines(Dest), (std::vector<AnsiString>{"one", "two", "one", "two"}));
  EXPECT_EQ(Dest.IndexOfObject(&Marker), 0);
  EXPECT_FALSE(Dest.Equals(&Source));

  TPersistent Other;
  EXPECT_THROW(Dest.Assign(&Other), EConvertError);
}

// A list with only the abstract operations, as controls supply them: the
// base class's Put, Move and Exchange work through them.
class TPlainStrings : public TStrings {
public:
  std::vector<AnsiString> Items;
  void Insert(int Index, const AnsiString& S) override {
    if (Index < 0 || Index > Count()) Error(L"Indeks listy poza zakresem (%d)", Index);
    Items.insert(Items.begin() + Index, S);
  }
  void Delete(int Index) override { Items.erase(Items.begin() + Index); }
  void Clear() override { Items.clear(); }

protected:
  AnsiString Get(int Index) const override { return Items.at(static_cast<size_t>(Index)); }
  int GetCount() const override { return static_cast<int>(Items.size()); }
};

TEST(Strings, BaseOperationsWorkThroughTheAbstractOnes) {
  TPlainStrings L;
  Fill(L, {"a", "b", "c", "d"});
  L.Move(0, 2);
  L.Exchange(0, 3);
  L.Put(1, "C");
  EXPECT_EQ(L.Items, (std::vector<AnsiString>{"d", "C", "a", "b"}));
  EXPECT_EQ(L.IndexOf("c"), 1);  // the base compares ignoring case
  // A bad target is refused before the line is taken out.
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.Move(1, 4); }), "Indeks listy poza zakresem (4)");
  EXPECT_EQ(L.Items, (std::vector<AnsiString>{"d", "C", "a", "b"}));
}

// --- THashedStringList ---

TEST(HashedStringList, AnswersLikeThePlainList) {
  // A soft hyphen (0xAD) alone compares equal to the empty line.
  std::vector<AnsiString> Data = {"Alpha=1", "beta=2", "ALPHA=3", A(L"Żółw=4"), A(L"żółw"), "\xAD", "", "gamma",
                                  "x=", "=y"};
  std::vector<AnsiString> Queries = {"alpha=1", "ALPHA=3", "Alpha", "alpha", A(L"ŻÓŁW"), A(L"żółw=4"), "",
                                     "gamma", "GAMMA", "x", "X=", "=Y", "missing", A(L"zolw")};
  THashedStringList H;
  TStringList P;
  auto Check = [&](const char* When) {
    for (auto& Q : Queries) {
      EXPECT_EQ(H.IndexOf(Q), P.IndexOf(Q)) << When << " IndexOf " << Q;
      EXPECT_EQ(H.IndexOfName(Q), P.IndexOfName(Q)) << When << " IndexOfName " << Q;
    }
  };
  for (auto& S : Data) {
    H.Add(S);
    P.Add(S);
  }
  Check("filled");
  for (TStringList* L : {static_cast<TStringList*>(&H), &P}) {
    L->BeginUpdate();
    L->Exchange(0, 2);
    L->Delete(1);
    L->Insert(0, "GAMMA=0");
    L->Put(4, "beta");
    L->EndUpdate();
  }
  Check("changed");
  H.SetCaseSensitive(true);
  P.SetCaseSensitive(true);
  Check("case-sensitive");
  H.SetNameValueSeparator('a');
  P.SetNameValueSeparator('a');
  Check("other separator");
}
