#include "Dict_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "StdCtrls.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

using Bytes = std::string;

// A private folder under the system's temporary folder, removed with what
// it holds.
class TTempFolder {
public:
  TTempFolder() {
    char Dir[MAX_PATH];
    GetTempPathA(MAX_PATH, Dir);
    FPath = AnsiString(Dir) + "slovanta-dict-" + IntToStr(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(FPath.c_str(), nullptr);
  }
  ~TTempFolder() {
    TSearchRec F;
    if (FindFirst(FPath + "*", faAnyFile, F) == 0) {
      do {
        if (F.Attr & faDirectory)
          RemoveDir(FPath + F.Name);
        else
          DeleteFile(FPath + F.Name);
      } while (FindNext(F) == 0);
      FindClose(F);
    }
    RemoveDir(FPath);
  }
  AnsiString operator/(const AnsiString& Name) const { return FPath + Name; }

private:
  AnsiString FPath;
};

void WriteBytes(const AnsiString& Path, const Bytes& Data) {
  TFileStream S(Path, fmCreate);
  S.WriteBuffer(Data.data(), static_cast<int>(Data.size()));
}

Bytes ReadBytes(const AnsiString& Path) {
  TFileStream S(Path, fmOpenRead);
  Bytes Data(static_cast<size_t>(S.Size()), '\0');
  S.ReadBuffer(Data.data(), static_cast<int>(Data.size()));
  return Data;
}

// UTF-16LE bytes of Text, padded with zero units to Units units.
Bytes Utf16Field(const WideString& Text, size_t Units) {
  Bytes R;
  for (size_t i = 0; i < Units; ++i) {
    const Word U = i < Text.size() ? static_cast<Word>(Text[i]) : 0;
    R += static_cast<char>(U & 0xFF);
    R += static_cast<char>(U >> 8);
  }
  return R;
}

TQuestionRecord Entry(const WideString& Q, const WideString& A1 = L"", const WideString& A2 = L"",
                      const WideString& A3 = L"", const WideString& A4 = L"") {
  TQuestion E;
  E.SetQuestion(Q);
  E.SetAnswer(1, A1);
  E.SetAnswer(2, A2);
  E.SetAnswer(3, A3);
  E.SetAnswer(4, A4);
  return E.Record();
}

WideString Field(const TQuestionRecord& R, int I) { return ReadTextField(R.Fields[I], QuestionFieldSize); }

// The entries of a dictionary as "question|a1|a2|a3|a4" lines.
std::vector<WideString> Rows(const TDict& D) {
  std::vector<WideString> R;
  TQuestionRecord E;
  for (int i = 0; i < D.Count(); ++i) {
    D.Get(i, E);
    R.push_back(Field(E, 0) + L"|" + Field(E, 1) + L"|" + Field(E, 2) + L"|" + Field(E, 3) + L"|" + Field(E, 4));
  }
  return R;
}

std::vector<WideString> Lines(const TVsWideStrings& L) {
  std::vector<WideString> R;
  for (int i = 0; i < L.Count(); ++i) R.push_back(L.Strings(i));
  return R;
}

// A dictionary whose mirror lists are plain wide lists.
struct TMirroredDict {
  TMirroredDict() {
    Dict.SetQuestionsList(&Questions);
    Dict.SetAnswersList(&Answers);
  }
  // Each row i equals what Add of entry i would give.
  void ExpectInStep() const {
    ASSERT_EQ(Questions.Count(), Dict.Count());
    ASSERT_EQ(Answers.Count(), Dict.Count());
    for (int i = 0; i < Dict.Count(); ++i) {
      EXPECT_EQ(Questions.Strings(i), Dict.ItemText(0, i)) << i;
      EXPECT_EQ(Answers.Strings(i), Dict.ItemText(-1, i)) << i;
    }
  }
  TVsWideStringList Questions, Answers;
  TDict Dict;
};

// --- entries ---

TEST(Question, FieldsKeepUpTo81UnitsAndTerminateShorterTexts) {
  for (size_t Length : {0u, 1u, 80u, 81u, 82u}) {
    const WideString Text(Length, L'ż');
    for (int Index = 0; Index < QuestionFieldCount; ++Index) {
      TQuestion Q;
      std::fill(&Q.Record().Fields[0][0], &Q.Record().Fields[0][0] + sizeof(TQuestionRecord) / 2, L'#');
      Q.SetAnswer(Index, Text);
      const size_t Kept = std::min<size_t>(Length, 81);
      EXPECT_EQ(Q.GetAnswer(Index), Text.substr(0, Kept)) << Length;
      // A shorter text is zero-filled to the end of its field; no other
      // field is touched.
      for (size_t u = Kept; u < 81; ++u) ASSERT_EQ(Q.Record().Fields[Index][u], L'\0') << Length;
      const int Other = (Index + 1) % QuestionFieldCount;
      EXPECT_EQ(Q.Record().Fields[Other][0], L'#');
    }
  }
  TQuestion Q;
  EXPECT_EQ(Q.GetQuestion(), L"");
  EXPECT_EQ(Q.AnswerCount(), 0);
  EXPECT_THROW(Q.GetAnswer(5), EListError);
  EXPECT_THROW(Q.SetAnswer(-1, L"x"), EListError);
}

TEST(Question, ChecksTheTypedTextAgainstEveryFilledAnswer) {
  const struct {
    TQuestionRecord Record;
    const wchar_t* Typed;
    bool Exact;
    bool Accepted;
  } Cases[] = {
      {Entry(L"kot", L"cat"), L"cat", true, true},
      {Entry(L"kot", L"cat"), L"Cat", true, false},
      {Entry(L"kot", L"cat"), L"Cat", false, true},
      {Entry(L"żółw", L"Żółw"), L"żółw", false, true},
      {Entry(L"żółw", L"Żółw"), L"żółw", true, false},
      {Entry(L"kot", L"cat"), L"cat ", false, false},
      {Entry(L"kot", L"cat "), L"cat", true, false},
      {Entry(L"kot", L"cat"), L"ca", false, false},
      {Entry(L"pies", L"dog", L"hound", L"", L"cur"), L"cur", true, true},
      // Gaps: only the filled answers count, and an empty text never passes.
      {Entry(L"luka", L"", L"drugi"), L"drugi", true, true},
      {Entry(L"luka", L"", L"drugi"), L"", true, false},
      {Entry(L"luka", L"", L"drugi"), L"", false, false},
      {Entry(L"luka", L"", L"", L"", L"czwarty"), L"czwarty", false, true},
      {Entry(L"pusty"), L"", true, false},
  };
  for (const auto& C : Cases) {
    TQuestion Q;
    Q.Record() = C.Record;
    EXPECT_EQ(Q.CheckAnswer(C.Typed, C.Exact), C.Accepted)
        << WideToUTF8(Q.GetQuestion()) << " / '" << WideToUTF8(C.Typed) << "' exact " << C.Exact;
  }
  TQuestion Gap;
  Gap.Record() = Entry(L"luka", L"", L"drugi", L"", L"czwarty");
  EXPECT_EQ(Gap.AnswerCount(), 2);
}

TEST(Question, RoundPercentRoundsHalvesToEven) {
  const struct {
    Int64 Good, Total, Percent;
  } Cases[] = {{1, 8, 12}, {7, 8, 88}, {3, 8, 38}, {5, 8, 62}, {1, 40, 2}, {3, 40, 8}, {1, 2, 50},
               {1, 3, 33}, {2, 3, 67}, {0, 5, 0},  {5, 5, 100}, {9, 4, 225}, {-1, 8, -12}, {1, 0, 0}};
  for (const auto& C : Cases) EXPECT_EQ(RoundPercent(C.Good, C.Total), C.Percent) << C.Good << "/" << C.Total;
}

// --- dictionary header ---

TEST(Dict, TitleKeepsUpTo81Units) {
  for (size_t Length : {0u, 1u, 80u, 81u, 82u}) {
    TDict D;
    D.SetTitle(L"stary tytuł");
    D.SetTitle(WideString(Length, L'ą'));
    EXPECT_EQ(D.GetTitle(), WideString(std::min<size_t>(Length, 81), L'ą')) << Length;
  }
}

TEST(Dict, DescriptionCarriesTheLargeFontMark) {
  TDict D;
  EXPECT_FALSE(D.HasResizeFont());
  D.SetDescription(L"opis");
  D.SetDescription(L"");  // ignored
  EXPECT_EQ(D.GetDescription(), L"opis");
  EXPECT_FALSE(D.HasResizeFont());

  D.SetResizeFont(true);
  D.SetDescription(L"duże litery");
  EXPECT_TRUE(D.HasResizeFont());
  EXPECT_EQ(D.GetDescription(), L"duże litery");

  // The mark counts against the 161 units.
  for (size_t Length : {160u, 161u, 162u}) {
    D.SetDescription(WideString(Length, L'x'));
    EXPECT_EQ(D.GetDescription(), WideString(160, L'x')) << Length;
  }
  D.SetResizeFont(false);
  for (size_t Length : {0u, 1u, 160u, 161u, 162u}) {
    TDict Fresh;
    Fresh.SetDescription(WideString(Length, L'y'));
    EXPECT_EQ(Fresh.GetDescription(), WideString(std::min<size_t>(Length, 161), L'y')) << Length;
  }
}

// --- entries of a dictionary ---

TEST(Dict, ItemTextGivesColumnsAndJoinsTheFilledAnswers) {
  TDict D;
  D.Add(Entry(L"kot", L"cat", L"", L"puss"));
  D.Add(Entry(L"pies", L"dog", L"hound", L"cur", L"mutt"));
  D.Add(Entry(L"luka", L"", L"drugi"));
  D.Add(Entry(L"nic"));
  const struct {
    int Column, Index;
    const wchar_t* Text;
  } Cases[] = {{0, 0, L"kot"},  {1, 0, L"cat"},   {2, 0, L""},      {3, 0, L"puss"},
               {-1, 0, L"cat, puss"},             {-1, 1, L"dog, hound, cur, mutt"},
               {-1, 2, L"drugi"},                 {-1, 3, L""},     {4, 1, L"mutt"},
               {5, 1, L""},     {-2, 1, L""}};
  for (const auto& C : Cases) EXPECT_EQ(D.ItemText(C.Column, C.Index), C.Text) << C.Column << "," << C.Index;
  EXPECT_EQ(D.ItemText(-1, Entry(L"q", L"", L"", L"c", L"d")), L"c, d");
  EXPECT_EQ(D.Separator(), L", ");

  auto Answers = D.ColumnList(-1);
  EXPECT_EQ(Lines(*Answers), (std::vector<WideString>{L"cat, puss", L"dog, hound, cur, mutt", L"drugi", L""}));
}

TEST(Dict, EntriesAreCopiesAndIndexesOutsideTheChainRaise) {
  TDict D;
  TQuestionRecord R = Entry(L"kot", L"cat");
  D.Add(R);
  R.Fields[0][0] = L'X';  // the dictionary holds its own copy
  TQuestionRecord Out;
  D.Get(0, Out);
  EXPECT_EQ(Field(Out, 0), L"kot");

  for (int Bad : {-1, 1, 100}) {
    EXPECT_THROW(D.Get(Bad, Out), EListError) << Bad;
    EXPECT_THROW(D.Put(Bad, R), EListError) << Bad;
    EXPECT_THROW(D.Delete(Bad), EListError) << Bad;
  }
  EXPECT_EQ(D.Count(), 1);
  TDict Empty;
  EXPECT_THROW(Empty.Get(0, Out), EListError);
}

// Deleting at the ends and in the middle keeps both directions of the
// chain whole: reading walks from the first node for the lower half and
// from the last one for the upper half.
TEST(Dict, DeleteKeepsTheChainAndTheMirrorsInStep) {
  TMirroredDict M;
  for (int i = 0; i < 9; ++i) M.Dict.Add(Entry(L"q" + std::to_wstring(i), L"a" + std::to_wstring(i)));
  M.ExpectInStep();
  for (int Index : {0, 7, 3, 3, 4, 0}) {
    M.Dict.Delete(Index);
    M.ExpectInStep();
  }
  EXPECT_EQ(Rows(M.Dict), (std::vector<WideString>{L"q2|a2|||", L"q3|a3|||", L"q6|a6|||"}));
  M.Dict.Add(Entry(L"nowy", L"new"));
  M.Dict.Put(0, Entry(L"zmiana", L"change", L"", L"alter"));
  M.ExpectInStep();
  EXPECT_EQ(M.Answers.Strings(0), L"change, alter");
  EXPECT_EQ(Rows(M.Dict).back(), L"nowy|new|||");

  M.Dict.SetTitle(L"tytuł");
  M.Dict.Clear();
  EXPECT_EQ(M.Dict.Count(), 0);
  M.ExpectInStep();
  EXPECT_EQ(M.Dict.GetTitle(), L"tytuł");
  M.Dict.Add(Entry(L"po", L"after"));
  M.ExpectInStep();
}

// --- sorting ---

// The ordering rule of the dictionary's sort, written out directly: the
// middle entry's question as pivot, compared ignoring case by the locale.
void ReferenceSort(std::vector<TQuestionRecord>& E, int Low, int High) {
  int I = Low, J = High;
  const WideString Pivot = Field(E[static_cast<size_t>((Low + High) / 2)], 0);
  do {
    while (WideCompareText(Field(E[static_cast<size_t>(I)], 0), Pivot) < 0) ++I;
    while (WideCompareText(Field(E[static_cast<size_t>(J)], 0), Pivot) > 0) --J;
    if (I <= J) {
      std::swap(E[static_cast<size_t>(I)], E[static_cast<size_t>(J)]);
      ++I;
      --J;
    }
  } while (I <= J);
  if (Low < J) ReferenceSort(E, Low, J);
  if (I < High) ReferenceSort(E, I, High);
}

TEST(Dict, SortOrdersLikeTheLocaleComparisonAndRefillsTheMirrors) {
  std::vector<WideString> Words = {L"Kot",    L"kot",   L"KOT",   L"łódź", L"lody", L"Łza",  L"ćma",   L"cma",
                                   L"żaba",   L"zebra", L"źródło", L"co-op", L"coop", L"",    L"ą",     L"a",
                                   L"Ala ma", L"ala",   L"b",      L"kot",  L"Ćma",  L"żaba", L"zz",    L"ZZ"};
  // Many equal keys, so that the order of equal questions shows the rule.
  Cardinal Seed = 7;
  const WideString Alphabet = L"aAąĄbcćĆłŁ";
  for (int i = 0; i < 300; ++i) {
    WideString W;
    for (int k = 0; k < 2; ++k) {
      Seed = Seed * 1664525 + 1013904223;
      W += Alphabet[(Seed >> 16) % Alphabet.size()];
    }
    Words.push_back(W);
  }
  TMirroredDict M;
  std::vector<TQuestionRecord> Expected;
  for (size_t i = 0; i < Words.size(); ++i) {
    Expected.push_back(Entry(Words[i], L"#" + std::to_wstring(i), i % 3 ? L"" : L"x"));
    M.Dict.Add(Expected.back());
  }
  ReferenceSort(Expected, 0, static_cast<int>(Expected.size()) - 1);
  M.Dict.Sort();
  ASSERT_EQ(M.Dict.Count(), static_cast<int>(Expected.size()));
  TQuestionRecord Got;
  for (size_t i = 0; i < Expected.size(); ++i) {
    M.Dict.Get(static_cast<int>(i), Got);
    ASSERT_EQ(Field(Got, 0) + Field(Got, 1), Field(Expected[i], 0) + Field(Expected[i], 1)) << i;
  }
  M.ExpectInStep();
  // The chain runs both ways after relinking.
  M.Dict.Delete(M.Dict.Count() - 1);
  M.Dict.Delete(0);
  M.ExpectInStep();

  TMirroredDict Small;
  Small.Dict.Sort();
  EXPECT_EQ(Small.Dict.Count(), 0);
  Small.Dict.Add(Entry(L"jeden", L"one"));
  Small.Dict.Sort();
  EXPECT_EQ(Rows(Small.Dict), (std::vector<WideString>{L"jeden|one|||"}));
  Small.ExpectInStep();
}

// --- the .dic file ---

class DictFile : public ::testing::Test {
protected:
  TTempFolder Temp;
};

TEST_F(DictFile, SavesEveryByteAsLaidOut) {
  TDict D;
  D.SetTitle(L"Zwierzęta");
  D.SetResizeFont(true);
  D.SetDescription(L"Opis č");
  D.Add(Entry(L"kot", L"cat", L"", L"puss"));
  D.Add(Entry(WideString(81, L'q'), WideString(90, L'a'), L"b", L"c", L"d"));
  const AnsiString Path = Temp / "zwierzeta.dic";
  D.SaveToFile(Path);

  Bytes Expected = Utf16Field(L"Zwierzęta", 81) + Utf16Field(L"\nOpis č", 161);
  Expected += Utf16Field(L"kot", 81) + Utf16Field(L"cat", 81) + Utf16Field(L"", 81) + Utf16Field(L"puss", 81) +
              Utf16Field(L"", 81);
  Expected += Utf16Field(WideString(81, L'q'), 81) + Utf16Field(WideString(81, L'a'), 81) + Utf16Field(L"b", 81) +
              Utf16Field(L"c", 81) + Utf16Field(L"d", 81);
  ASSERT_EQ(Expected.size(), 484u + 2 * 810u);
  EXPECT_EQ(ReadBytes(Path), Expected);
  EXPECT_EQ(D.FileName(), "");
  EXPECT_FALSE(FileExists(Path + ".tmp"));

  TMirroredDict Back;
  Back.Dict.LoadFromFile(Path);
  EXPECT_EQ(Back.Dict.FileName(), Path);
  EXPECT_EQ(Back.Dict.GetTitle(), L"Zwierzęta");
  EXPECT_EQ(Back.Dict.GetDescription(), L"Opis č");
  EXPECT_TRUE(Back.Dict.HasResizeFont());
  EXPECT_EQ(Rows(Back.Dict), Rows(D));
  Back.ExpectInStep();
}

TEST_F(DictFile, LoadsTheSizesOfWholeEntriesAndRefusesOthers) {
  const Bytes Header = Utf16Field(L"Tytuł", 81) + Utf16Field(L"Opis", 161);
  const Bytes OneEntry = Utf16Field(L"kot", 81) + Utf16Field(L"cat", 81) + Bytes(3 * 162, '\0');
  const struct {
    const char* Name;
    Bytes Data;
    bool Loads;
    int Count;
  } Cases[] = {{"empty.dic", "", true, 0},
               {"header.dic", Header, true, 0},
               {"one.dic", Header + OneEntry, true, 1},
               {"short.dic", Header.substr(0, 483), false, 0},
               {"tiny.dic", "\x01", false, 0},
               {"extra.dic", Header + "x", false, 0},
               {"partial.dic", Header + OneEntry + OneEntry.substr(0, 809), false, 0},
               {"long.dic", Header + OneEntry + "x", false, 0}};
  for (const auto& C : Cases) {
    const AnsiString Path = Temp / C.Name;
    WriteBytes(Path, C.Data);
    // A previous dictionary with its title and mirrored rows.
    TMirroredDict M;
    M.Dict.SetTitle(L"poprzedni");
    M.Dict.SetDescription(L"poprzedni opis");
    M.Dict.Add(Entry(L"stary", L"old"));
    if (C.Loads) {
      M.Dict.LoadFromFile(Path);
    } else {
      EXPECT_THROW(M.Dict.LoadFromFile(Path), EReadError) << C.Name;
    }
    EXPECT_EQ(M.Dict.Count(), C.Count) << C.Name;
    EXPECT_EQ(M.Dict.FileName(), Path) << C.Name;
    EXPECT_EQ(M.Dict.GetTitle(), C.Data.size() >= 484 && C.Loads ? L"Tytuł" : L"") << C.Name;
    EXPECT_EQ(M.Dict.GetDescription(), C.Data.size() >= 484 && C.Loads ? L"Opis" : L"") << C.Name;
    M.ExpectInStep();
  }
}

TEST_F(DictFile, MissingFileLoadsNothingAndKeepsTheName) {
  TMirroredDict M;
  M.Dict.LoadFromFile(Temp / "one.dic");  // also missing: FileName stays empty
  WriteBytes(Temp / "real.dic", Bytes(484, '\0'));
  M.Dict.LoadFromFile(Temp / "real.dic");
  M.Dict.Add(Entry(L"kot", L"cat"));
  M.Dict.LoadFromFile(Temp / "missing.dic");
  EXPECT_EQ(M.Dict.Count(), 0);
  EXPECT_EQ(M.Dict.FileName(), Temp / "real.dic");
  M.ExpectInStep();
}

// A save that cannot complete leaves the previous file whole.
TEST_F(DictFile, FailedSaveKeepsThePreviousFile) {
  const AnsiString Path = Temp / "keep.dic";
  TDict D;
  D.SetTitle(L"pierwszy");
  D.SaveToFile(Path);
  const Bytes Before = ReadBytes(Path);

  ASSERT_TRUE(CreateDir(Path + ".tmp"));  // the new file cannot be created
  D.SetTitle(L"drugi");
  EXPECT_THROW(D.SaveToFile(Path), EFCreateError);
  EXPECT_EQ(ReadBytes(Path), Before);
  RemoveDir(Path + ".tmp");

  D.SaveToFile(Path);  // a save over an existing file replaces it
  TDict Back;
  Back.LoadFromFile(Path);
  EXPECT_EQ(Back.GetTitle(), L"drugi");

  EXPECT_THROW(D.SaveToFile(Temp / "no such folder\\x.dic"), EFCreateError);
}

// --- the text import ---

TEST_F(DictFile, ImportsTheSameEntriesFromUtf16AndCodePageText) {
  const std::vector<WideString> Expected = {
      L"kot|cat|||",      L"pies|dog|hound||",        L"\u010das|czas|||", L"dom|dom|||",
      L"cztery|a|b|c|d",  L"luka||drugi||",           L"||||",             WideString(80, L'y') + L"|z|||",
      L"ćma|moth|||"};
  for (const char* Name : {"import_utf16.txt", "import_cp1250.txt"}) {
    TMirroredDict M;
    M.Dict.Add(Entry(L"stary", L"old"));
    M.Dict.ImportFromFile(AnsiString(FIXTURES_DIR) + "/trainer/" + Name);
    EXPECT_EQ(Rows(M.Dict), Expected) << Name;
    M.ExpectInStep();
  }
}

TEST_F(DictFile, ImportSplitsLinesAndDropsWhatDoesNotFit) {
  const Bytes Utf16Mark = "\xFF\xFE";
  const WideString A81(81, L'a');
  const struct {
    Bytes Data;
    std::vector<WideString> Rows;
  } Cases[] = {
      {"", {}},
      {"\n", {L"||||"}},
      {"a\tb\nc\td", {L"a|b|||", L"c|d|||"}},
      {"a\rb\tc\r\n", {L"a\rb|c|||"}},
      {"a\tb\t\t\t\t\t\t", {L"a|b|||"}},
      {"a\tb\tc\td\te\tf", {}},
      {"a\t" + WideToAnsi(A81) + "\nb\tc", {L"b|c|||"}},
      {"a\t\t\t\td", {L"a||||d"}},
      {Utf16Mark, {}},
      {Utf16Mark + Utf16Field(L"\u0D0A\u010A\tx\r\n", 6), {L"\u0D0A\u010A|x|||"}},
      {Utf16Mark + Utf16Field(L"k\tc", 3) + "\x01", {L"k|c|||"}},  // an odd last byte
      {Utf16Mark + Utf16Field(L"one\r\ntwo", 8), {L"one|one|||", L"two|two|||"}},
  };
  int N = 0;
  for (const auto& C : Cases) {
    const AnsiString Path = Temp / ("case" + IntToStr(N++) + ".txt");
    WriteBytes(Path, C.Data);
    TDict D;
    D.ImportFromFile(Path);
    EXPECT_EQ(Rows(D), C.Rows) << N - 1;
  }
}

TEST_F(DictFile, ImportTakesOnlyLowerCaseTxtAndReportsMissingFiles) {
  WriteBytes(Temp / "upper.TXT", "kot\tcat\n");
  TDict D;
  D.Add(Entry(L"stary", L"old"));
  D.ImportFromFile(Temp / "upper.TXT");
  EXPECT_EQ(Rows(D), (std::vector<WideString>{L"stary|old|||"}));  // not even cleared

  EXPECT_THROW(D.ImportFromFile(Temp / "missing.txt"), EInOutError);
  EXPECT_EQ(D.Count(), 0);
}

// --- users and result files ---

AnsiString ResultPath(const AnsiString& Name) { return ExtractFilePath(ParamStr(0)) + UserFileName(Name); }

// A result record built by hand, byte for byte.
Bytes ResultRecord(Byte NameLength, const Bytes& Name, double Date, Integer Good, Integer Total) {
  Bytes R(168, '\0');
  R[0] = static_cast<char>(NameLength);
  R.replace(1, Name.size(), Name);
  std::memcpy(&R[152], &Date, 8);
  std::memcpy(&R[160], &Good, 4);
  std::memcpy(&R[164], &Total, 4);
  return R;
}

std::vector<AnsiString> Lines(TStringList* L) {
  std::vector<AnsiString> R;
  for (int i = 0; i < L->Count(); ++i) R.push_back(L->Strings(i));
  return R;
}

Bytes Contents(TMemoryStream* S) {
  return Bytes(static_cast<const char*>(S->Memory()), static_cast<size_t>(S->Size()));
}

class User : public ::testing::Test {
protected:
  // Names of this test program only, so that parallel programs never meet.
  const AnsiString Ala = "dict-test Ala", Ola = "dict-test Ola", Ela = "dict-test Ela";
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  void Clean() {
    for (const AnsiString& N : {Ala, Ola, Ela, AnsiString(300, 'x').substr(0, 255), AnsiString("noname"),
                                AnsiString()})
      DeleteFile(ResultPath(N));
  }
};

TEST_F(User, AddResultAppendsRecordsFieldByField) {
  TDUser U(Ala);
  const TDateTime Before = Now();
  U.AddResult("zwierzeta.dic", 7, 8);
  U.AddResult(AnsiString(200, 'd'), -1, 2147483647);
  const TDateTime After = Now();
  EXPECT_TRUE(U.Dirty());
  const Bytes R = Contents(U.Results());
  ASSERT_EQ(R.size(), 2u * 168);

  EXPECT_EQ(static_cast<Byte>(R[0]), 13);
  EXPECT_EQ(R.substr(1, 13), "zwierzeta.dic");
  double Date;
  std::memcpy(&Date, &R[152], 8);
  EXPECT_GE(Date, Before);
  EXPECT_LE(Date, After);
  Integer Good, Total;
  std::memcpy(&Good, &R[160], 4);
  std::memcpy(&Total, &R[164], 4);
  EXPECT_EQ(Good, 7);
  EXPECT_EQ(Total, 8);

  EXPECT_EQ(static_cast<Byte>(R[168]), 150);
  EXPECT_EQ(R.substr(169, 150), AnsiString(150, 'd'));
  std::memcpy(&Good, &R[168 + 160], 4);
  std::memcpy(&Total, &R[168 + 164], 4);
  EXPECT_EQ(Good, -1);
  EXPECT_EQ(Total, 2147483647);
  EXPECT_FALSE(FileExists(ResultPath(Ala)));  // adding does not save
}

TEST_F(User, SavesBesideTheExecutableAndSwitchesUsers) {
  TOwned<TLabel> Label(Create<TLabel>(nullptr));
  {
    TDUser U(Ala);
    U.SetLabel(Label.get());
    EXPECT_EQ(Label->Caption(), Ala);
    U.AddResult("a.dic", 1, 2);
    U.Save();
    EXPECT_FALSE(U.Dirty());
    EXPECT_EQ(ReadBytes(ResultPath(Ala)), Contents(U.Results()));

    U.AddResult("b.dic", 2, 2);
    U.SelectUser(Ola);  // saves Ala first
    EXPECT_EQ(ReadBytes(ResultPath(Ala)).size(), 2u * 168);
    EXPECT_EQ(U.Name(), Ola);
    EXPECT_EQ(Label->Caption(), Ola);
    EXPECT_EQ(U.Results()->Size(), 0);
    EXPECT_FALSE(FileExists(ResultPath(Ola)));

    U.SelectUser(Ala);
    EXPECT_EQ(U.Results()->Size(), 2 * 168);
    U.AddResult("c.dic", 0, 1);
    U.SetLabel(nullptr);
  }  // freeing saves
  EXPECT_EQ(ReadBytes(ResultPath(Ala)).size(), 3u * 168);

  TDUser Cleared(Ala);
  Cleared.ClearResults();
  Cleared.Save();
  EXPECT_EQ(ReadBytes(ResultPath(Ala)), "");
}

TEST_F(User, NoUserNeverGetsAFile) {
  TDUser U("");
  EXPECT_EQ(U.Name(), "noname");
  U.AddResult("a.dic", 1, 1);
  U.Save();
  EXPECT_FALSE(U.Dirty());
  EXPECT_FALSE(FileExists(ResultPath("noname")));

  // An empty selected name is no user either.
  U.SelectUser("");
  EXPECT_EQ(U.Name(), "");
  U.AddResult("a.dic", 1, 1);
  U.Save();
  EXPECT_FALSE(FileExists(ResultPath("")));

  // Naming the user later keeps the pending results under the new name.
  U.AddResult("b.dic", 1, 1);
  U.SetName(Ela);
  EXPECT_EQ(ReadBytes(ResultPath(Ela)).size(), 2u * 168);
}

TEST_F(User, LongNamesAreCutBeforeTheyAreDigested) {
  const AnsiString Long(300, 'x');
  const AnsiString Cut = Long.substr(0, 255);
  {
    TDUser U(Long);
    EXPECT_EQ(U.Name(), Cut);
    U.AddResult("a.dic", 1, 1);
  }
  ASSERT_TRUE(FileExists(ResultPath(Cut)));
  TDUser Again(Long);
  EXPECT_EQ(Again.Results()->Size(), 168);
}

TEST_F(User, FailedSaveKeepsTheFileAndThePendingResults) {
  TDUser U(Ala);
  U.AddResult("a.dic", 1, 1);
  U.Save();
  const Bytes Before = ReadBytes(ResultPath(Ala));
  ASSERT_TRUE(CreateDir(ResultPath(Ala) + ".tmp"));
  U.AddResult("b.dic", 1, 1);
  EXPECT_THROW(U.Save(), EFCreateError);
  EXPECT_TRUE(U.Dirty());
  EXPECT_EQ(ReadBytes(ResultPath(Ala)), Before);
  RemoveDir(ResultPath(Ala) + ".tmp");
  U.Save();
  EXPECT_EQ(ReadBytes(ResultPath(Ala)).size(), 2u * 168);
}

TEST_F(User, RenameMovesOnlyToAFreeNameAndFollowsOnlyTheCurrentUser) {
  WriteBytes(ResultPath(Ola), ResultRecord(5, "o.dic", 45000, 1, 1));
  TDUser U(Ala);
  U.AddResult("a.dic", 1, 1);
  U.Save();

  EXPECT_FALSE(U.RenameUser(Ala, Ola));  // Ola has a file: nothing moves
  EXPECT_EQ(U.Name(), Ala);
  EXPECT_EQ(ReadBytes(ResultPath(Ola)).substr(1, 5), "o.dic");
  EXPECT_TRUE(FileExists(ResultPath(Ala)));

  EXPECT_FALSE(U.RenameUser(Ela, "dict-test Ula"));  // Ela has no file
  EXPECT_FALSE(U.RenameUser(Ala, "noname"));
  EXPECT_FALSE(U.RenameUser(Ala, ""));

  EXPECT_TRUE(U.RenameUser(Ola, Ela));  // not the current user
  EXPECT_EQ(U.Name(), Ala);
  EXPECT_FALSE(FileExists(ResultPath(Ola)));
  EXPECT_TRUE(FileExists(ResultPath(Ela)));

  EXPECT_TRUE(U.RenameUser(Ala, Ola));  // the current user
  EXPECT_EQ(U.Name(), Ola);
  U.AddResult("b.dic", 1, 1);
  U.Save();
  EXPECT_EQ(ReadBytes(ResultPath(Ola)).size(), 2u * 168);
  EXPECT_FALSE(FileExists(ResultPath(Ala)));
}

TEST_F(User, DeleteResetsTheNameOnlyForTheCurrentUser) {
  WriteBytes(ResultPath(Ola), "");
  TDUser U(Ala);
  U.ClearResults();
  U.Save();
  EXPECT_TRUE(U.DeleteUser(Ola));
  EXPECT_EQ(U.Name(), Ala);
  EXPECT_FALSE(FileExists(ResultPath(Ola)));
  EXPECT_FALSE(U.DeleteUser(Ola));
  EXPECT_TRUE(U.DeleteUser(Ala));
  EXPECT_EQ(U.Name(), "noname");
  EXPECT_FALSE(FileExists(ResultPath(Ala)));
}

class Results : public User {
protected:
  // Loads Data as the user's result file.
  TOwned<TDUser> UserWith(const Bytes& Data) {
    WriteBytes(ResultPath(Ala), Data);
    return TOwned<TDUser>(Create<TDUser>(Ala));
  }
};

TEST_F(Results, GradeLinesUseTheLocaleDateAndIntegerPercent) {
  const double Afternoon = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
  const double Midnight = EncodeDate(2023, 12, 31);
  auto U = UserWith(ResultRecord(5, "a.dic", Afternoon, 1, 8) + ResultRecord(5, "b.dic", Afternoon, 1, 1) +
                    ResultRecord(5, "a.dic", Midnight, 7, 8) + ResultRecord(5, "a.dic", Midnight, 3, 0) +
                    ResultRecord(5, "A.dic", Midnight, 1, 2) + ResultRecord(5, "a.dic", Afternoon, 3, 40));
  // Polish short date and long time.
  ASSERT_EQ(DateTimeToStr(Afternoon), "5.03.2024 14:07:09");
  EXPECT_EQ(Lines(U->Grades("a.dic").get()),
            (std::vector<AnsiString>{"[5.03.2024 14:07:09] 1/8 = 12 %", "[31.12.2023] 7/8 = 88 %",
                                     "[5.03.2024 14:07:09] 3/40 = 8 %"}));
  EXPECT_EQ(Lines(U->Grades("A.dic").get()), (std::vector<AnsiString>{"[31.12.2023] 1/2 = 50 %"}));
  EXPECT_TRUE(Lines(U->Grades("c.dic").get()).empty());
}

TEST_F(Results, TestedDictionariesListsEachNameOnceIgnoringCase) {
  auto U = UserWith(ResultRecord(5, "A.dic", 45000, 1, 1) + ResultRecord(5, "B.dic", 45000, 1, 1) +
                    ResultRecord(5, "a.dic", 45000, 1, 1) + ResultRecord(5, "A.dic", 45000, 1, 1) +
                    ResultRecord(6, WideToAnsi(L"Łąka.d"), 45000, 1, 1) +
                    ResultRecord(6, WideToAnsi(L"łĄKA.D"), 45000, 1, 1));
  EXPECT_EQ(Lines(U->TestedDictionaries().get()), (std::vector<AnsiString>{"A.dic", "B.dic", WideToAnsi(L"Łąka.d")}));
}

// Damaged records are held to their fields and never stop the listing.
TEST_F(Results, DamagedRecordsAreClampedOrSkipped) {
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  const Bytes LongName = AnsiString(151, 'n');
  auto U = UserWith(ResultRecord(255, LongName, 45000, 1, 4) + ResultRecord(5, "a.dic", NaN, 1, 3) +
                    ResultRecord(5, "a.dic", 1e300, 2, 3) + ResultRecord(5, "a.dic", -1e9, 1, -5) +
                    ResultRecord(5, "a.dic", 45000, 1, 2).substr(0, 167));
  EXPECT_EQ(Lines(U->TestedDictionaries().get()), (std::vector<AnsiString>{AnsiString(150, 'n'), "a.dic"}));
  EXPECT_EQ(Lines(U->Grades("a.dic").get()), (std::vector<AnsiString>{"[] 1/3 = 33 %", "[] 2/3 = 67 %"}));
  EXPECT_EQ(Lines(U->Grades(AnsiString(150, 'n')).get()).size(), 1u);
}

// Result files under damage, locks and a second copy of the trainer. Every
// file a test makes is removed before and after it, copies included.
class SharedResults : public User {
protected:
  void SetUp() override { CleanCopies(); }
  void TearDown() override { CleanCopies(); }
  void CleanCopies() {
    Clean();
    for (const AnsiString& N : {Ala, Ola})
      for (const char* Extension : {".bak", ".tmp"}) DeleteFile(ResultPath(N) + Extension);
  }
  // Counts how often a user told that its file was damaged.
  struct TDamageWatch : TObject {
    int Count = 0;
    void Told(TObject*) { ++Count; }
  };
  // Held open with no sharing, as another program may hold a file.
  struct THeld {
    explicit THeld(const AnsiString& Path)
        : Handle(CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~THeld() { Release(); }
    void Release() {
      if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
      Handle = INVALID_HANDLE_VALUE;
    }
    HANDLE Handle;
  };
};

// A file cut off in the middle of a record (here two records and 164 bytes
// more, 500 in all) keeps its whole records; the next save writes whole
// records only, so what is added after them can be read back.
TEST_F(SharedResults, DamagedFileKeepsItsWholeRecordsAndACopyOfItself) {
  const Bytes Whole = ResultRecord(5, "a.dic", 45000, 1, 2) + ResultRecord(5, "b.dic", 45000, 2, 2);
  const Bytes Damaged = Whole + Bytes(164, '\x5A');
  WriteBytes(ResultPath(Ala), Damaged);
  TDUser U(Ola);
  TDamageWatch Watch;
  U.OnResultsDamaged = TNotifyEvent(&Watch, &TDamageWatch::Told);
  U.SelectUser(Ala);
  EXPECT_EQ(Contents(U.Results()), Whole);
  EXPECT_EQ(U.DamagedCopy(), ResultPath(Ala) + ".bak");
  EXPECT_EQ(ReadBytes(ResultPath(Ala) + ".bak"), Damaged);
  EXPECT_EQ(Watch.Count, 1);
  EXPECT_TRUE(U.Dirty()) << "the next save mends the file";

  // The save meets the damage on disk again, and says nothing twice.
  U.AddResult("c.dic", 3, 3);
  U.Save();
  EXPECT_EQ(Watch.Count, 1);
  const Bytes Saved = ReadBytes(ResultPath(Ala));
  ASSERT_EQ(Saved.size(), 3u * 168);
  EXPECT_EQ(Saved.substr(0, 2 * 168), Whole);
  EXPECT_EQ(Lines(TDUser(Ala).Grades("c.dic").get()).size(), 1u);
  EXPECT_EQ(ReadBytes(ResultPath(Ala) + ".bak"), Damaged);

  // A file damaged while it is current is kept and told about at the save.
  WriteBytes(ResultPath(Ola), ResultRecord(5, "o.dic", 45000, 1, 1) + "x");
  U.SelectUser(Ola);
  EXPECT_EQ(Watch.Count, 2);
  U.Save();
  WriteBytes(ResultPath(Ola), ReadBytes(ResultPath(Ola)) + "yy");
  U.AddResult("p.dic", 1, 1);
  U.Save();
  EXPECT_EQ(Watch.Count, 2) << "once per user";
  EXPECT_EQ(ReadBytes(ResultPath(Ola)).size(), 2u * 168);
  EXPECT_EQ(ReadBytes(ResultPath(Ola) + ".bak").size(), 168u + 2);
}

// A file that cannot be read never makes its user current with no results:
// the next save would put the new results in place of the unread ones.
TEST_F(SharedResults, UnreadableFileIsNeitherMadeCurrentNorWrittenOver) {
  const Bytes OlaRecord = ResultRecord(5, "o.dic", 45000, 1, 1);
  WriteBytes(ResultPath(Ola), OlaRecord);
  TDUser U(Ala);
  U.AddResult("a.dic", 1, 1);
  U.Save();
  {
    THeld Held(ResultPath(Ola));
    ASSERT_NE(Held.Handle, INVALID_HANDLE_VALUE);
    EXPECT_THROW(U.SelectUser(Ola), EFOpenError);
    EXPECT_EQ(U.Name(), Ala);
    EXPECT_EQ(Contents(U.Results()), ReadBytes(ResultPath(Ala)));
    U.AddResult("b.dic", 1, 1);
    U.Save();
  }
  EXPECT_EQ(ReadBytes(ResultPath(Ala)).size(), 2u * 168);
  EXPECT_EQ(ReadBytes(ResultPath(Ola)), OlaRecord);

  // The current user's own file held by another program past the wait: the
  // save gives up, the result stays pending and the file as it was.
  const Bytes Before = ReadBytes(ResultPath(Ala));
  THeld Held(ResultPath(Ala));
  U.AddResult("c.dic", 1, 1);
  EXPECT_THROW(U.Save(), EFOpenError);
  EXPECT_TRUE(U.Dirty());
  Held.Release();
  EXPECT_EQ(ReadBytes(ResultPath(Ala)), Before);
  U.Save();
  EXPECT_EQ(ReadBytes(ResultPath(Ala)).size(), 3u * 168);
}

// Two copies of the trainer keep one user each: a save adds this copy's new
// records to what is on disk, and a clear clears what is on disk.
TEST_F(SharedResults, TwoCopiesOfOneUserKeepEachOthersResults) {
  TDUser First(Ala), Second(Ala);
  First.AddResult("first.dic", 1, 1);
  First.Save();
  Second.AddResult("second.dic", 2, 2);
  Second.Save();
  EXPECT_EQ(Lines(TDUser(Ala).TestedDictionaries().get()), (std::vector<AnsiString>{"first.dic", "second.dic"}));
  EXPECT_EQ(Contents(Second.Results()), ReadBytes(ResultPath(Ala)));

  First.AddResult("third.dic", 3, 3);
  First.Save();
  EXPECT_EQ(Lines(TDUser(Ala).TestedDictionaries().get()),
            (std::vector<AnsiString>{"first.dic", "second.dic", "third.dic"}));

  Second.ClearResults();
  First.AddResult("fourth.dic", 4, 4);
  Second.Save();
  EXPECT_EQ(ReadBytes(ResultPath(Ala)), "");
  First.Save();
  EXPECT_EQ(Lines(TDUser(Ala).TestedDictionaries().get()), (std::vector<AnsiString>{"fourth.dic"}));
}

constexpr int SavesPerCopy = 40;
const char* const SecondCopyTest = "SecondCopy.DISABLED_StoresItsResults";

// The part of the second program in the test below, which starts it with
// this filter; without a fixture, so that it removes nothing the first
// program is still to read.
TEST(SecondCopy, DISABLED_StoresItsResults) {
  TDUser U("dict-test Ala");
  for (int I = 0; I < SavesPerCopy; ++I) {
    U.AddResult("second.dic", I, SavesPerCopy);
    U.Save();
  }
}

// Two programs on one folder store tests for the same user at the same
// time; the file then holds every result of both.
TEST_F(SharedResults, TwoProgramsStoringAtOnceLoseNothing) {
  AnsiString CommandLine = "\"" + ParamStr(0) + "\" --gtest_also_run_disabled_tests --gtest_filter=" + SecondCopyTest;
  STARTUPINFOA Startup{};
  Startup.cb = sizeof Startup;
  PROCESS_INFORMATION Second{};
  ASSERT_TRUE(CreateProcessA(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup,
                             &Second));
  struct TEnd {
    PROCESS_INFORMATION& P;
    ~TEnd() {
      if (WaitForSingleObject(P.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(P.hProcess, 1);
      CloseHandle(P.hThread);
      CloseHandle(P.hProcess);
    }
  } End{Second};

  // Once the second program has begun, this one stores its own.
  const DWORD Start = GetTickCount();
  while (!FileExists(ResultPath(Ala)) && WaitForSingleObject(Second.hProcess, 0) == WAIT_TIMEOUT) {
    ASSERT_LT(GetTickCount() - Start, 30000u) << "the second program stored nothing in 30 s";
    Sleep(5);
  }
  TDUser U(Ala);
  for (int I = 0; I < SavesPerCopy; ++I) {
    U.AddResult("first.dic", I, SavesPerCopy);
    U.Save();
  }
  ASSERT_EQ(WaitForSingleObject(Second.hProcess, 60000), WAIT_OBJECT_0) << "the second program did not end in 60 s";
  DWORD Code = 1;
  GetExitCodeProcess(Second.hProcess, &Code);
  EXPECT_EQ(Code, 0u) << "the second program failed";

  const Bytes File = ReadBytes(ResultPath(Ala));
  ASSERT_EQ(File.size(), 2u * SavesPerCopy * 168);
  int First = 0, Other = 0;
  for (size_t Offset = 0; Offset < File.size(); Offset += 168)
    (File.substr(Offset + 1, 9) == "first.dic" ? First : Other)++;
  EXPECT_EQ(First, SavesPerCopy);
  EXPECT_EQ(Other, SavesPerCopy);
}

}  // namespace
