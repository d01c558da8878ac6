#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "VsStrUtils.h"
#include "Win.h"

namespace {

std::string Hex(unsigned U) {
  char B[8];
  std::snprintf(B, sizeof B, "%04X", U);
  return B;
}

std::string Units(const WideString& S) {
  std::string R;
  for (WideChar C : S) R += (R.empty() ? "" : " ") + Hex(static_cast<Word>(C));
  return R;
}

WideString W(std::initializer_list<unsigned> Units) {
  WideString R;
  for (unsigned U : Units) R += static_cast<WideChar>(U);
  return R;
}

// 80 letters and a surrogate pair: a cut after 81 units splits the pair.
const WideString Long81 = WideString(80, L'a') + W({0xD83D, 0xDE00});

}  // namespace

// --- 8-bit helpers ---

TEST(VsAnsiHelpers, FindReplaceAndExtract) {
  struct Case { AnsiString S, Old, New; bool Found; AnsiString After; };
  for (const Case& C : std::vector<Case>{
           {"abcabc", "bc", "X", true, "aXabc"},
           {"abc", "bc", "", true, "a"},
           {"abc", "x", "Y", false, "abc"},
           {"abc", "", "Y", false, "abc"},
           {"", "a", "Y", false, ""},
       }) {
    AnsiString S = C.S;
    EXPECT_EQ(ReplaceFirst(S, C.Old, C.New), C.Found) << C.S << " / " << C.Old;
    EXPECT_EQ(S, C.After) << C.S << " / " << C.Old;
  }

  struct PosCase { AnsiString Sub, S; int Expected; };
  for (const PosCase& C : std::vector<PosCase>{
           {"ab", "abxab", 4}, {"a", "a", 1}, {"x", "abc", 0}, {"", "abc", 0}, {"abc", "", 0}, {"abcd", "abc", 0}}) {
    EXPECT_EQ(LastPos(C.Sub, C.S), C.Expected) << C.Sub << " in " << C.S;
    EXPECT_EQ(WideLastPos(AnsiToWide(C.Sub), AnsiToWide(C.S)), C.Expected) << C.Sub << " in " << C.S;
  }

  // What comes out is exactly what is removed, also at the edges.
  struct ExtractCase { AnsiString S; int Index, Count; AnsiString Taken, Left; };
  for (const ExtractCase& C : std::vector<ExtractCase>{
           {"abcdef", 2, 3, "bcd", "aef"},
           {"abcdef", 5, 10, "ef", "abcd"},
           {"abcdef", 0, 2, "", "abcdef"},
           {"abcdef", 7, 1, "", "abcdef"},
           {"abcdef", 1, 0, "", "abcdef"},
           {"abcdef", 1, -1, "", "abcdef"},
       }) {
    AnsiString S = C.S;
    EXPECT_EQ(ExtractStr(S, C.Index, C.Count), C.Taken) << C.Index << "," << C.Count;
    EXPECT_EQ(S, C.Left) << C.Index << "," << C.Count;
    WideString WS = AnsiToWide(C.S);
    EXPECT_EQ(WideExtractStr(WS, C.Index, C.Count), AnsiToWide(C.Taken)) << C.Index << "," << C.Count;
    EXPECT_EQ(WS, AnsiToWide(C.Left)) << C.Index << "," << C.Count;
  }
}

TEST(VsAnsiHelpers, PrefixTests) {
  EXPECT_TRUE(StrStartsWith("abc", "ab"));
  EXPECT_TRUE(StrStartsWith("abc", ""));
  EXPECT_FALSE(StrStartsWith("ab", "abc"));
  EXPECT_TRUE(StrStartsWith(nullptr, nullptr));
  EXPECT_TRUE(StrStartsWith("abc", nullptr));
  EXPECT_FALSE(StrStartsWith(nullptr, "a"));

  struct Case { int Index; AnsiString Sub; bool Expected; };
  for (const Case& C : std::vector<Case>{
           {1, "ab", true}, {2, "bc", true}, {3, "c", true}, {3, "cd", false}, {0, "a", false}, {4, "", false},
           {3, "", true}, {-1, "", false}}) {
    EXPECT_EQ(ContainsAt("abc", C.Index, C.Sub), C.Expected) << C.Index << " " << C.Sub;
  }
}

TEST(VsAnsiHelpers, HexToInt) {
  struct Case { AnsiString S; Integer Value; AnsiString Error; };
  for (const Case& C : std::vector<Case>{
           {"1F", 0x1F, ""},
           {"$1f", 0x1F, ""},
           {"$-1f", -31, ""},
           {"+a", 10, ""},
           {"  ff  ", 255, ""},
           {"$ 10 ", 16, ""},
           {"FFFFFFFF", -1, ""},
           {"100000001", 1, ""},  // wraps past eight digits
           {"", 0, "''"},
           {"   ", 0, "''"},
           {"$", 0, "''"},
           {"-", 0, "''"},
           {" $1F", 0, "'$1F'"},  // "$" only counts at position 1
           {"-1G", 0, "'1G'"},
           {"1 2", 0, "'1 2'"},
           {"$$1", 0, "'$1'"},
       }) {
    if (C.Error.empty()) {
      EXPECT_EQ(HexToInt(C.S), C.Value) << C.S;
      EXPECT_EQ(HexToIntDef(C.S, 77), C.Value) << C.S;
      continue;
    }
    try {
      HexToInt(C.S);
      ADD_FAILURE() << C.S << " did not raise";
    } catch (const EConvertError& E) {
      EXPECT_EQ(E.Message(), C.Error + " is not a valid integer value") << C.S;
    }
    EXPECT_EQ(HexToIntDef(C.S, 77), 77) << C.S;
  }
}

TEST(VsAnsiHelpers, BinaryAsText) {
  const Byte Two[] = {0x00, 0xFF};
  EXPECT_EQ(BinaryToHexText(Two, 2), "454C 2 00 FF ");
  EXPECT_EQ(BinaryToHexText(nullptr, 0), "454C 0 ");

  std::vector<Byte> All(300);
  for (size_t I = 0; I < All.size(); ++I) All[I] = static_cast<Byte>(I * 7);
  const AnsiString Text = BinaryToHexText(All.data(), 300);
  EXPECT_EQ(Text.substr(0, 9), "454C 12C ");
  std::vector<Byte> Back;
  int Size = 0;
  EXPECT_TRUE(HexTextToBinary(Text, Back, Size));
  EXPECT_EQ(Size, 300);
  EXPECT_EQ(Back, All);

  struct Case { AnsiString Text; bool Ok; int Size; std::vector<Byte> Bytes; };
  for (const Case& C : std::vector<Case>{
           {"454C 2 01 AB ", true, 2, {0x01, 0xAB}},
           {"454C 2 01 AB", true, 2, {0x01, 0xAB}},
           {"454C 1 1 2 3", true, 1, {0x01}},  // text beyond the size is ignored
           {"454C 0 ", true, 0, {}},
           {"454C 3 01 02", false, 3, {0x01, 0x02, 0x00}},
           {"454C 3 01 02 ", false, 3, {0x01, 0x02, 0x00}},
           {"454C 2 01 ZZ ", false, 2, {0x01, 0x00}},
           {"454C 2 01  02", false, 2, {0x01, 0x00}},
           {"454D 1 00 ", false, -1, {}},
           {"454C 1", false, -1, {}},  // no blank after the size
           {"454C  01", false, -1, {}},
           {"454C X 01 ", false, -1, {}},
           {"454C", false, -1, {}},
           {"", false, -1, {}},
           // Damaged sizes: refused before anything is allocated.
           {"454C FFFFFFFF 00 ", false, -1, {}},
           {"454C 7FFFFFFF 00 ", false, -1, {}},
           {"454C 5 01 02 03", false, -1, {}},
       }) {
    std::vector<Byte> Buffer{0x55};
    int Size = 12345;
    EXPECT_EQ(HexTextToBinary(C.Text, Buffer, Size), C.Ok) << C.Text;
    EXPECT_EQ(Size, C.Size) << C.Text;
    EXPECT_EQ(Buffer, C.Bytes) << C.Text;
  }
}

// --- UTF-16 strings ---

TEST(VsWideStrings, PositionsAndEdits) {
  struct PosCase { WideString Sub, S; int First, Last; };
  for (const PosCase& C : std::vector<PosCase>{
           {L"ab", L"abxab", 1, 4},
           {L"x", L"abc", 0, 0},
           {L"", L"abc", 0, 0},
           {L"a", L"", 0, 0},
           {L"abcd", L"abc", 0, 0},
           {W({0xDE00}), W({'a', 0xD83D, 0xDE00}), 3, 3},  // half a pair is a unit like any other
       }) {
    EXPECT_EQ(WidePos(C.Sub, C.S), C.First) << Units(C.Sub) << " in " << Units(C.S);
    EXPECT_EQ(WideLastPos(C.Sub, C.S), C.Last) << Units(C.Sub) << " in " << Units(C.S);
  }

  struct CopyCase { int Index, Count; WideString Expected; };
  for (const CopyCase& C : std::vector<CopyCase>{
           {1, 3, L"abc"}, {0, 2, L"ab"}, {-5, 2, L"ab"}, {4, 10, L"de"}, {6, 1, L""}, {2, 0, L""}, {2, -1, L""}}) {
    EXPECT_EQ(WideCopy(L"abcde", C.Index, C.Count), C.Expected) << C.Index << "," << C.Count;
  }
  EXPECT_EQ(WideCopy(Long81, 1, 81), WideString(80, L'a') + W({0xD83D}));

  struct InsertCase { int Index; WideString Expected; };
  for (const InsertCase& C : std::vector<InsertCase>{
           {1, L"XYabc"}, {2, L"aXYbc"}, {4, L"abcXY"}, {0, L"XYabc"}, {-3, L"XYabc"}, {99, L"abcXY"}}) {
    WideString S = L"abc";
    WideInsert(L"XY", S, C.Index);
    EXPECT_EQ(S, C.Expected) << C.Index;
  }

  struct DeleteCase { int Index, Count; WideString Expected; };
  for (const DeleteCase& C : std::vector<DeleteCase>{
           {2, 2, L"ade"}, {4, 99, L"abc"}, {0, 2, L"abcde"}, {6, 1, L"abcde"}, {1, 0, L"abcde"}}) {
    WideString S = L"abcde";
    WideDelete(S, C.Index, C.Count);
    EXPECT_EQ(S, C.Expected) << C.Index << "," << C.Count;
  }
  WideString S = Long81;
  WideDelete(S, 82, 1);
  EXPECT_EQ(S, WideString(80, L'a') + W({0xD83D}));
}

TEST(VsWideStrings, BuildingStrings) {
  EXPECT_EQ(WideTrim(L"   "), L"");
  EXPECT_EQ(WideTrim(W({0, ' ', 'a', ' ', 'b', 0x1F, 0x20})), L"a b");
  EXPECT_EQ(WideTrim(W({0xA0, 'a', 0x21})), W({0xA0, 'a', 0x21}));

  EXPECT_EQ(WideStringOfChar(L'x', 3), L"xxx");
  EXPECT_EQ(WideStringOfChar(L'x', 0), L"");
  EXPECT_EQ(WideStringOfChar(L'x', -2), L"");

  WideString T = L"old";
  WideSetString(T, L"abcdef", 3);
  EXPECT_EQ(T, L"abc");
  WideSetString(T, nullptr, 2);
  EXPECT_EQ(T, W({0, 0}));
  WideSetString(T, L"abc", 0);
  EXPECT_EQ(T, L"");
  T = L"old";
  WideSetString(T, L"abc", -1);
  EXPECT_EQ(T, L"");

  EXPECT_EQ(WideStrPas(L"abc"), L"abc");
  EXPECT_EQ(WideStrPas(nullptr), L"");
}

TEST(VsWideStrings, Comparisons) {
  struct Case { WideString S1, S2; int Ordered, Ordinal; };
  for (const Case& C : std::vector<Case>{
           {L"abc", L"abc", 0, 0},
           {L"abc", L"abd", -1, 'c' - 'd'},
           {L"b", L"a", 1, 1},
           {L"ab", L"abc", -1, -'c'},
           {L"", L"a", -1, -'a'},
           {L"", L"", 0, 0},
           {L"a", L"A", 1, 'a' - 'A'},
           // Units compare unsigned: a surrogate lies below U+FFFD.
           {W({0xD800}), W({0xFFFD}), -1, 0xD800 - 0xFFFD},
           // The ordinal comparison stops at a zero unit, the other does not.
           {W({'a', 0, 'x'}), W({'a', 0, 'y'}), -1, 0},
       }) {
    EXPECT_EQ(VsWideCompareStr(C.S1, C.S2), C.Ordered) << Units(C.S1) << " / " << Units(C.S2);
    EXPECT_EQ(WideCompareOrdinal(C.S1, C.S2), C.Ordinal) << Units(C.S1) << " / " << Units(C.S2);
  }
}

TEST(VsWideStrings, ZeroTerminated) {
  WideChar Buf[32];
  EXPECT_EQ(WideStrLen(L""), 0);
  EXPECT_EQ(WideStrLen(L"abc"), 3);
  const WideChar* P = L"abc";
  EXPECT_EQ(WideStrEnd(P), P + 3);

  EXPECT_EQ(WideStrCopy(Buf, L"hello"), Buf);
  EXPECT_EQ(WideString(Buf), L"hello");
  EXPECT_EQ(WideStrCat(Buf, L" you"), Buf);
  EXPECT_EQ(WideString(Buf), L"hello you");
  WideFillChar(Buf, 32, L'#');
  EXPECT_EQ(WideStrLCopy(Buf, L"hello", 3), Buf);
  EXPECT_EQ(WideString(Buf), L"hel");
  WideFillChar(Buf, 32, L'#');
  WideStrLCopy(Buf, L"hi", 10);
  EXPECT_EQ(WideString(Buf), L"hi");
  EXPECT_EQ(Buf[3], L'#');  // nothing written past the terminator
  WideStrLCopy(Buf, L"hi", 0);
  EXPECT_EQ(WideString(Buf), L"");

  std::vector<WideChar> Big(Long81.begin(), Long81.end());
  Big.push_back(0);
  std::vector<WideChar> Cut(100, L'#');
  WideStrLCopy(Cut.data(), Big.data(), 81);
  EXPECT_EQ(WideString(Cut.data()), WideString(80, L'a') + W({0xD83D}));

  EXPECT_EQ(WideStrComp(L"abc", L"abc"), 0);
  EXPECT_EQ(WideStrComp(L"abc", L"ab"), 'c');
  EXPECT_EQ(WideStrComp(L"", L"b"), -'b');
  const WideString HighUnit = W({0xFFFF});
  EXPECT_EQ(WideStrComp(HighUnit.c_str(), L"a"), 0xFFFF - 'a');

  const WideChar* S = L"abcabc";
  EXPECT_EQ(WideStrScan(S, L'b'), S + 1);
  EXPECT_EQ(WideStrScan(S, L'x'), nullptr);
  EXPECT_EQ(WideStrScan(S, 0), S + 6);
  EXPECT_EQ(WideStrRScan(S, L'b'), S + 4);
  EXPECT_EQ(WideStrRScan(S, L'x'), nullptr);
  EXPECT_EQ(WideStrRScan(S, 0), S + 6);

  EXPECT_EQ(WideStrPos(S, L"ca"), S + 2);
  EXPECT_EQ(WideStrPos(S, L"abc"), S);
  EXPECT_EQ(WideStrPos(S, L"bcx"), nullptr);
  EXPECT_EQ(WideStrPos(S, L""), nullptr);
  EXPECT_EQ(WideStrPos(L"ab", L"abc"), nullptr);
  EXPECT_EQ(WideStrPos(static_cast<const WideChar*>(nullptr), L"a"), nullptr);
  EXPECT_EQ(WideStrPos(S, nullptr), nullptr);

  // Overlapping moves in both directions.
  WideStrCopy(Buf, L"abcdef");
  WideMove(Buf, Buf + 2, 4);
  EXPECT_EQ(WideString(Buf), L"ababcd");
  WideStrCopy(Buf, L"abcdef");
  WideMove(Buf + 2, Buf, 4);
  EXPECT_EQ(WideString(Buf), L"cdefef");
  WideMove(Buf + 1, Buf, 0);
  WideMove(Buf + 1, Buf, -3);
  EXPECT_EQ(WideString(Buf), L"cdefef");

  WideStrCopy(Buf, L"abc");
  WideFillChar(Buf, 2, L'z');
  WideFillChar(Buf, -1, L'y');
  EXPECT_EQ(WideString(Buf), L"zzc");
}

// --- Case mapping ---

namespace {

struct TRow { Word Status, Code, Map1, Map2, Map3; };

TRow RowAt(int I) {
  const TCaseFoldEntry& E = CaseFoldTable[I];
  return {E.Status, E.Code, E.Map1, E.Map2, E.Map3};
}

bool operator==(const TRow& A, const TRow& B) {
  return A.Status == B.Status && A.Code == B.Code && A.Map1 == B.Map1 && A.Map2 == B.Map2 && A.Map3 == B.Map3;
}

std::ostream& operator<<(std::ostream& O, const TRow& R) {
  return O << R.Status << " " << Hex(R.Code) << " " << Hex(R.Map1) << " " << Hex(R.Map2) << " " << Hex(R.Map3);
}

// The rows that stand outside the ascending order of codes: U+0345 and U+00B5
// sit behind their capitals, each followed by an added row back to it.
bool IsGreekSpecial(const TRow& R) {
  return (R.Code == 0x0345 && R.Map1 == 0x03B9) || (R.Code == 0x00B5 && R.Map1 == 0x03BC) ||
         (R.Code == 0x0399 && R.Map1 == 0x0345) || (R.Code == 0x039C && R.Map1 == 0x00B5);
}

Word Upper(Word U) { return static_cast<Word>(VsWideUpperCase(WideString(1, static_cast<WideChar>(U)))[0]); }
Word Lower(Word U) { return static_cast<Word>(VsWideLowerCase(WideString(1, static_cast<WideChar>(U)))[0]); }

}  // namespace

TEST(VsCaseTable, RowsStatusesAndOrder) {
  ASSERT_GT(CaseFoldTableCount, 0);
  std::map<Word, int> PerStatus;
  for (int I = 0; I < CaseFoldTableCount; ++I) {
    const TRow R = RowAt(I);
    ++PerStatus[R.Status];
    // Only full foldings use the second and third unit, and they always do.
    if (R.Status == cfFull) {
      EXPECT_NE(R.Map2, 0) << R;
    } else {
      EXPECT_TRUE(R.Map2 == 0 && R.Map3 == 0) << R;
    }
    EXPECT_NE(R.Map1, 0) << R;
    if (R.Status == cfSimple) {
      EXPECT_TRUE(R.Code >= 0x1F88 && R.Code <= 0x1FFC) << R;
    }
  }
  // The Unicode 3.2 repertoire with two added Greek rows.
  EXPECT_EQ(PerStatus, (std::map<Word, int>{{cfCommon, 698}, {cfSimple, 27}, {cfFull, 102}, {cfTurkic, 2}}));
  EXPECT_EQ(CaseFoldTableCount, 829);

  EXPECT_EQ(RowAt(0), (TRow{1, 0x0041, 0x0061, 0, 0}));
  EXPECT_EQ(RowAt(CaseFoldTableCount - 1), (TRow{1, 0xFF3A, 0xFF5A, 0, 0}));

  // Ascending codes apart from the Greek rows; a full folding comes before the
  // simple one of the same code.
  const TRow* Prev = nullptr;
  std::vector<TRow> Kept;
  for (int I = 0; I < CaseFoldTableCount; ++I) {
    const TRow R = RowAt(I);
    if (IsGreekSpecial(R)) continue;
    Kept.push_back(R);
  }
  for (const TRow& R : Kept) {
    if (Prev) {
      EXPECT_LE(Prev->Code, R.Code) << *Prev << " before " << R;
      if (Prev->Code == R.Code) {
        EXPECT_TRUE(Prev->Status == cfFull && R.Status == cfSimple) << *Prev << " / " << R;
      }
    }
    Prev = &R;
  }

  int Iota = -1;
  for (int I = 0; I < CaseFoldTableCount && Iota < 0; ++I)
    if (CaseFoldTable[I].Code == 0x0399) Iota = I;
  ASSERT_GE(Iota, 0);
  const std::vector<TRow> Greek = {
      {1, 0x0399, 0x03B9, 0, 0}, {1, 0x0345, 0x03B9, 0, 0}, {1, 0x0399, 0x0345, 0, 0},
      {1, 0x039A, 0x03BA, 0, 0}, {1, 0x039B, 0x03BB, 0, 0}, {1, 0x039C, 0x03BC, 0, 0},
      {1, 0x00B5, 0x03BC, 0, 0}, {1, 0x039C, 0x00B5, 0, 0}, {1, 0x039D, 0x03BD, 0, 0}};
  for (size_t K = 0; K < Greek.size(); ++K) EXPECT_EQ(RowAt(Iota + static_cast<int>(K)), Greek[K]) << K;

  // The Turkic rows, and no other row for U+0130.
  std::vector<TRow> Turkic, Of0130;
  for (int I = 0; I < CaseFoldTableCount; ++I) {
    const TRow R = RowAt(I);
    if (R.Status == cfTurkic) Turkic.push_back(R);
    if (R.Code == 0x0130) Of0130.push_back(R);
  }
  EXPECT_EQ(Turkic, (std::vector<TRow>{{8, 0x0130, 0x0069, 0, 0}, {8, 0x0131, 0x0069, 0, 0}}));
  EXPECT_EQ(Of0130.size(), 1u);
}

TEST(VsCaseTable, OnlyTheKnownTiesAndTheFirstRowWins) {
  // Units that more than one usable row could map, and where they go.
  const std::map<Word, Word> UpperTies = {
      {0x0069, 0x0049}, {0x006B, 0x004B}, {0x0073, 0x0053}, {0x00E5, 0x00C5}, {0x01C6, 0x01C4},
      {0x01C9, 0x01C7}, {0x01CC, 0x01CA}, {0x01F3, 0x01F1}, {0x03B2, 0x0392}, {0x03B5, 0x0395},
      {0x03B8, 0x0398}, {0x03B9, 0x0399}, {0x03BA, 0x039A}, {0x03BC, 0x039C}, {0x03C0, 0x03A0},
      {0x03C1, 0x03A1}, {0x03C3, 0x03A3}, {0x03C6, 0x03A6}, {0x03C9, 0x03A9}, {0x1E61, 0x1E60}};
  const std::map<Word, Word> LowerTies = {{0x0399, 0x03B9}, {0x039C, 0x03BC}};

  std::map<Word, int> ByMap1, ByCode;
  for (int I = 0; I < CaseFoldTableCount; ++I) {
    const TCaseFoldEntry& E = CaseFoldTable[I];
    if ((E.Status & CaseMapMask) == 0) continue;
    ++ByMap1[E.Map1];
    ++ByCode[E.Code];
  }
  std::set<Word> FoundUpper, FoundLower;
  for (const auto& [U, N] : ByMap1)
    if (N > 1) FoundUpper.insert(U);
  for (const auto& [U, N] : ByCode)
    if (N > 1) FoundLower.insert(U);
  std::set<Word> WantUpper, WantLower;
  for (const auto& [U, To] : UpperTies) WantUpper.insert(U);
  for (const auto& [U, To] : LowerTies) WantLower.insert(U);
  EXPECT_EQ(FoundUpper, WantUpper);
  EXPECT_EQ(FoundLower, WantLower);

  for (const auto& [U, To] : UpperTies) EXPECT_EQ(Hex(Upper(U)), Hex(To)) << "upper " << Hex(U);
  for (const auto& [U, To] : LowerTies) EXPECT_EQ(Hex(Lower(U)), Hex(To)) << "lower " << Hex(U);
}

TEST(VsCaseMapping, SingleUnits) {
  struct Case { Word Unit, Upper, Lower; };
  for (const Case& C : std::vector<Case>{
           {'a', 'A', 'a'},
           {'Z', 'Z', 'z'},
           {0x0105, 0x0104, 0x0105},  // Polish letters
           {0x0104, 0x0104, 0x0105},
           {0x017C, 0x017B, 0x017C},
           {0x0141, 0x0141, 0x0142},
           {0x00F3, 0x00D3, 0x00F3},
           {0x00B5, 0x039C, 0x03BC},  // through the added row
           {0x0345, 0x0399, 0x03B9},  // through the added row
           {0x0130, 0x0130, 0x0069},
           {0x0131, 0x0131, 0x0069},  // no row leads up to the dotless i
           {0x017F, 0x017F, 0x0073},
           {0x212A, 0x212A, 0x006B},
           {0x03C2, 0x03C2, 0x03C3},
           {0x00DF, 0x00DF, 0x00DF},  // only a full folding
           {0x1F80, 0x1F88, 0x1F80},  // a simple folding
           {0x1F88, 0x1F88, 0x1F80},
           {0x01C5, 0x01C5, 0x01C6},
           {0xFF41, 0xFF21, 0xFF41},
           {0x0000, 0x0000, 0x0000},
           {0xD800, 0xD800, 0xD800},
           {0xFFFF, 0xFFFF, 0xFFFF},
       }) {
    EXPECT_EQ(Hex(Upper(C.Unit)), Hex(C.Upper)) << "upper " << Hex(C.Unit);
    EXPECT_EQ(Hex(Lower(C.Unit)), Hex(C.Lower)) << "lower " << Hex(C.Unit);
  }
}

TEST(VsCaseMapping, StringsKeepTheirLength) {
  EXPECT_EQ(VsWideUpperCase(L""), L"");
  EXPECT_EQ(VsWideLowerCase(L""), L"");
  EXPECT_EQ(VsWideUpperCase(L"Zażółć gęślą jaźń"), L"ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
  EXPECT_EQ(VsWideLowerCase(L"ZAŻÓŁĆ GĘŚLĄ JAŹŃ"), L"zażółć gęślą jaźń");
  EXPECT_EQ(VsWideUpperCase(L"Straße"), L"STRAßE");
  const WideString Mixed = W({'a', 0xD83D, 0xDE00, 0, 'b'});
  EXPECT_EQ(VsWideUpperCase(Mixed), W({'A', 0xD83D, 0xDE00, 0, 'B'}));

  EXPECT_TRUE(VsWideSameText(W({0x00B5}), W({0x03BC})));
  EXPECT_TRUE(VsWideSameText(L"Łódź", L"ŁÓDŹ"));
  EXPECT_FALSE(VsWideSameText(L"Straße", L"STRASSE"));
  EXPECT_FALSE(VsWideSameText(L"ab", L"abc"));

  // The tables are built again after being released.
  FinalizeVsStrUtils();
  EXPECT_EQ(VsWideUpperCase(L"ą"), L"Ą");
  EXPECT_EQ(VsWideLowerCase(L"Ą"), L"ą");
}

// Where our upper-casing and the platform's differ, over the whole Basic
// Multilingual Plane. Our rows are those of the Unicode 3.2 repertoire; the
// platform's tables are of a later version.
TEST(VsCaseMapping, UpperCaseAgainstThePlatform) {
  struct TDifference {
    Word First, Last;
    Word Ours;  // what we give for First..Last; 0: the unit unchanged
    const char* Why;
  };
  const std::vector<TDifference> Expected = {
      // Our added rows upper-case these to the Greek capitals; the platform
      // leaves them as they are.
      {0x00B5, 0x00B5, 0x039C, "micro sign"},
      {0x0345, 0x0345, 0x0399, "combining ypogegrammeni"},
      // Lower-case letters of 3.2 whose capitals came later (B, L, U with
      // strokes and bars; turned and hooked IPA letters), and the letters
      // 023C-024F, which came later themselves.
      {0x0180, 0x029E, 0, "Latin capitals added after 3.2"},
      // Letters added after 3.2: ours has no rows for them at all.
      {0x0371, 0x03FB, 0, "Greek (also kai, lunate sigma and yot, whose capitals came later)"},
      {0x04CF, 0x052F, 0, "Cyrillic and Cyrillic Supplement"},
      {0x10D0, 0x10FF, 0, "Georgian: the Mtavruli capitals came later"},
      {0x13F8, 0x13FD, 0, "Cherokee small letters"},
      {0x1D79, 0x1D8E, 0, "phonetic extensions with later capitals"},
      {0x1EFB, 0x1EFF, 0, "Latin Extended Additional"},
      {0x214E, 0x214E, 0, "turned small f"},
      {0x2184, 0x2184, 0, "reversed c"},
      {0x2C30, 0x2CF3, 0, "Glagolitic, Latin Extended-C, Coptic"},
      {0x2D00, 0x2D2D, 0, "Georgian Nuskhuri"},
      {0xA641, 0xA69B, 0, "Cyrillic Extended-B"},
      {0xA723, 0xA7F6, 0, "Latin Extended-D"},
      {0xAB53, 0xABBF, 0, "Latin Extended-E chi, Cherokee small letters"},
  };
  std::vector<int> Seen(Expected.size(), 0);
  std::string Unexpected;
  WideString All;
  for (unsigned U = 1; U < 0x10000; ++U) All += static_cast<WideChar>(U);
  const WideString Ours = VsWideUpperCase(All);
  for (unsigned U = 1; U < 0x10000; ++U) {
    const Word Platform = static_cast<Word>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(U))));
    const Word Mine = static_cast<Word>(Ours[U - 1]);
    if (Mine == Platform) continue;
    size_t K = 0;
    while (K < Expected.size() && !(U >= Expected[K].First && U <= Expected[K].Last)) ++K;
    const Word Want = K < Expected.size() ? (Expected[K].Ours ? Expected[K].Ours : static_cast<Word>(U)) : 0;
    if (K == Expected.size() || Mine != Want) {
      Unexpected += " " + Hex(U) + ":" + Hex(Mine) + "/" + Hex(Platform);
      continue;
    }
    ++Seen[K];
  }
  EXPECT_EQ(Unexpected, "") << "unit:ours/platform";
  for (size_t K = 0; K < Expected.size(); ++K)
    EXPECT_GT(Seen[K], 0) << "no difference left in " << Hex(Expected[K].First) << ".." << Hex(Expected[K].Last)
                          << " (" << Expected[K].Why << ")";
}

// --- UTF-8 ---

TEST(VsUtf8, LegalSequences) {
  struct Case { std::vector<Byte> Bytes; bool Legal; };
  for (const Case& C : std::vector<Case>{
           {{0x41}, true},
           {{0x7F}, true},
           {{0x80}, false},
           {{0xC1, 0xBF}, false},
           {{0xC2, 0x80}, true},
           {{0xC2, 0x7F}, false},
           {{0xC2, 0xC0}, false},
           {{0xE0, 0x9F, 0x80}, false},
           {{0xE0, 0xA0, 0x80}, true},
           {{0xE1, 0x80, 0x7F}, false},
           {{0xED, 0xA0, 0x80}, true},  // surrogate values are judged when decoding
           {{0xF0, 0x8F, 0x80, 0x80}, false},
           {{0xF0, 0x90, 0x80, 0x80}, true},
           {{0xF4, 0x8F, 0xBF, 0xBF}, true},
           {{0xF4, 0x90, 0x80, 0x80}, false},
           {{0xF5, 0x80, 0x80, 0x80}, false},
           {{0xF1, 0x80, 0x80, 0xC0}, false},
           {{0xF8, 0x88, 0x80, 0x80, 0x80}, false},
           {{}, false},
       }) {
    std::string Shown;
    for (Byte B : C.Bytes) Shown += Hex(B) + " ";
    EXPECT_EQ(IsLegalUtf8Sequence(C.Bytes.data(), static_cast<int>(C.Bytes.size())), C.Legal) << Shown;
  }
}

TEST(VsUtf8, Decoding) {
  struct Case {
    std::string Bytes;
    TUtf8ConversionResult Strict;
    WideString StrictText;
    TUtf8ConversionResult Lenient;
    WideString LenientText;
  };
  for (const Case& C : std::vector<Case>{
           {"", crConverted, L"", crConverted, L""},
           {"Abc", crConverted, L"Abc", crConverted, L"Abc"},
           {"\xC5\x82\xC3\xB3", crConverted, L"łó", crConverted, L"łó"},
           {"\xE2\x82\xAC", crConverted, W({0x20AC}), crConverted, W({0x20AC})},
           {"\xEF\xBB\xBFx", crConverted, W({0xFEFF, 'x'}), crConverted, W({0xFEFF, 'x'})},
           {"\xF0\x9F\x98\x80", crConverted, W({0xD83D, 0xDE00}), crConverted, W({0xD83D, 0xDE00})},
           {"\xF4\x8F\xBF\xBF", crConverted, W({0xDBFF, 0xDFFF}), crConverted, W({0xDBFF, 0xDFFF})},
           {"\xEF\xBF\xBF", crConverted, W({0xFFFF}), crConverted, W({0xFFFF})},
           {"a\xED\xA0\x80z", crSourceIllegal, L"a", crConverted, W({'a', 0xD800, 'z'})},
           {"\xC3", crSourceExhausted, L"", crSourceExhausted, L""},
           {"ab\xE2\x82", crSourceExhausted, L"ab", crSourceExhausted, L"ab"},
           {"ab\xFF", crSourceExhausted, L"ab", crSourceExhausted, L"ab"},
           {"\xC0\x80", crSourceIllegal, L"", crSourceIllegal, L""},
           {"a\x80z", crSourceIllegal, L"a", crSourceIllegal, L"a"},
           {"\xC3\x28", crSourceIllegal, L"", crSourceIllegal, L""},
           {"\xE0\x80\xAF", crSourceIllegal, L"", crSourceIllegal, L""},
           {"\xF4\x90\x80\x80", crSourceIllegal, L"", crSourceIllegal, L""},
           {"\xF8\x88\x80\x80\x80", crSourceIllegal, L"", crSourceIllegal, L""},
       }) {
    WideString Target = L"stale";
    EXPECT_EQ(ConvertUtf8ToUtf16(C.Bytes, Target, false, false), C.Strict) << C.Bytes;
    EXPECT_EQ(Units(Target), Units(C.StrictText)) << C.Bytes;
    Target = L"stale";
    EXPECT_EQ(ConvertUtf8ToUtf16(C.Bytes, Target, true, false), C.Lenient) << C.Bytes;
    EXPECT_EQ(Units(Target), Units(C.LenientText)) << C.Bytes;

    // The platform's own decoder agrees wherever the input is valid for it.
    if (C.Strict == crConverted && !C.Bytes.empty()) {
      wchar_t Buf[16];
      const int N = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, C.Bytes.data(),
                                        static_cast<int>(C.Bytes.size()), Buf, 16);
      EXPECT_EQ(Units(WideString(Buf, static_cast<size_t>(N))), Units(C.StrictText)) << C.Bytes;
    }
  }
}

TEST(VsUtf8, ByteOrderMark) {
  WideString Target;
  EXPECT_EQ(ConvertUtf8ToUtf16("ab", Target, false, true), crConverted);
  EXPECT_EQ(Units(Target), Units(W({0xFEFF, 'a', 'b'})));
  EXPECT_EQ(ConvertUtf8ToUtf16("\xEF\xBB\xBF" "ab", Target, false, true), crConverted);
  EXPECT_EQ(Units(Target), Units(W({0xFEFF, 'a', 'b'})));
  EXPECT_EQ(ConvertUtf8ToUtf16("", Target, false, true), crConverted);
  EXPECT_EQ(Units(Target), Units(W({0xFEFF})));
}
