#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "SysUtils.h"

namespace {

// Text in the system code page (1250 under the test locale).
AnsiString Cp(const wchar_t* S) { return WideToAnsi(S); }

}  // namespace

// ---------------------------------------------------------------------------
// Integers

TEST(IntegerText, StrToIntAcceptsDecimalAndHexWithinTheRange) {
  struct Case {
    const char* Text;
    bool Valid;
    Integer Value;
  };
  const Case Cases[] = {
      {"0", true, 0},
      {"  12", true, 12},
      {"+7", true, 7},
      {"-45", true, -45},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"$1F", true, 31},
      {"-$1f", true, -31},
      {"0x10", true, 16},
      {"0X7fffffff", true, 2147483647},
      {"$FFFFFFFF", true, -1},
      {"$80000000", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"$100000000", false, 0},
      {"12 ", false, 0},
      {"1 2", false, 0},
      {"", false, 0},
      {"  ", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"0x", false, 0},
      {"1e3", false, 0},
      {"$G", false, 0},
      {"\t5", false, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    Integer V = 99;
    EXPECT_EQ(TryStrToInt(C.Text, V), C.Valid);
    if (C.Valid) {
      EXPECT_EQ(V, C.Value);
      EXPECT_EQ(StrToInt(C.Text), C.Value);
    } else {
      EXPECT_EQ(StrToIntDef(C.Text, -7), -7);
      EXPECT_THROW(StrToInt(C.Text), EConvertError);
    }
  }
}

TEST(IntegerText, ErrorsNameTheText) {
  try {
    StrToInt("12 ");
    FAIL() << "no exception";
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"„12 ” nie jest prawidłową liczbą całkowitą"));
  }
}

TEST(IntegerText, Int64RangeAndHexPatterns) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);

  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToStr(-5), "-5");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-1), 0), "FFFFFFFFFFFFFFFF");
  // Negative values written as hexadecimal read back as themselves.
  EXPECT_EQ(StrToInt("$" + IntToHex(-123456, 0)), -123456);
}

// ---------------------------------------------------------------------------
// Floats (the tests run under the Polish locale: decimal comma)

TEST(FloatText, FloatToStrUsesTheDecimalCommaAndTheGeneralForm) {
  ASSERT_EQ(static_cast<AnsiChar>(DecimalSeparator), ',');
  struct Case {
    double Value;
    const char* Text;
  };
  const Case Cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {1.5, "1,5"},
      {-0.25, "-0,25"},
      {100, "100"},
      {1.0 / 3, "0,333333333333333"},
      {2.0 / 3, "0,666666666666667"},
      {0.1 + 0.2, "0,3"},
      {123456789012345.0, "123456789012345"},
      {999999999999999.0, "999999999999999"},
      {1234567890123456.0, "1,23456789012346E15"},
      {1e15, "1E15"},
      {1e20, "1E20"},
      {-2.5e100, "-2,5E100"},
      {0.0001, "0,0001"},
      {0.00001, "1E-5"},
      {1.5e-7, "1,5E-7"},
      {123.456, "123,456"},
      {NAN, "NAN"},
      {-INFINITY, "-INF"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(FloatToStr(C.Value), C.Text);
  }
}

TEST(FloatText, StrToFloatAcceptsOnlyTheLocaleSyntax) {
  struct Case {
    const char* Text;
    bool Valid;
    double Value;
  };
  const Case Cases[] = {
      {"1,5", true, 1.5},
      {"-2,5e3", true, -2500},
      {" +2,5E-2 ", true, 0.025},
      {",5", true, 0.5},
      {"7,", true, 7},
      {"12", true, 12},
      {"1e-400", true, 0},
      {"1.5", false, 0},
      {"1,5,0", false, 0},
      {"", false, 0},
      {",", false, 0},
      {"e5", false, 0},
      {"1e", false, 0},
      {"1e+", false, 0},
      {"1e400", false, 0},
      {"1,5x", false, 0},
      {"INF", false, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    double V = -1;
    EXPECT_EQ(TryStrToFloat(C.Text, V), C.Valid);
    if (C.Valid) EXPECT_EQ(V, C.Value);
    else EXPECT_EQ(StrToFloatDef(C.Text, 42), 42);
  }
  try {
    StrToFloat("1.5");
    FAIL() << "no exception";
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"„1.5” nie jest prawidłową liczbą"));
  }
  // Values with at most 15 significant digits survive the round trip.
  for (double V : {0.1, 3.25, -1234.5678, 6.02214076e23, 1.602176634e-19})
    EXPECT_EQ(StrToFloat(FloatToStr(V)), V) << V;
}

TEST(FloatText, CallersMaySetTheSeparator) {
  DecimalSeparator = '.';
  EXPECT_EQ(FloatToStr(1.5), "1.5");
  EXPECT_EQ(StrToFloat("2.25"), 2.25);
  double V;
  EXPECT_FALSE(TryStrToFloat("2,25", V));
  EXPECT_EQ(Format("%.1f", 0.5), "0.5");
  DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(1.5), "1,5");
}

// ---------------------------------------------------------------------------
// Format

TEST(FormatText, SpecifiersWidthsAndPrecisions) {
  const std::pair<AnsiString, AnsiString> Cases[] = {
      {Format("%d|%5d|%-5d|%.3d|%.3d", 42, 42, 42, 7, -7), "42|   42|42   |007|-007"},
      {Format("%u %u", -1, 7u), "4294967295 7"},
      {Format("%x %X %.4x %x", 255, 255, 10, -1), "FF FF 000A FFFFFFFF"},
      {Format("%d %x", Int64(-1), Int64(-1)), "-1 FFFFFFFFFFFFFFFF"},
      {Format("%d", 9000000000LL), "9000000000"},
      {Format("%f|%5.2f|%.0f|%.1f|%.2f", 1.5, 3.14159, 2.5, 0.25, 0.125), "1,50| 3,14|3|0,3|0,13"},
      {Format("%.2f|%.2f", -0.001, 1.005), "0,00|1,00"},
      {Format("%e|%.3e", 1234.5, -0.000123), "1,23450000000000E+003|-1,23E-004"},
      {Format("%g|%g|%.3g", 0.5, 1e20, 1234.5), "0,5|1E20|1,23E3"},
      {Format("[%s|%6s|%-6s|%.2s]", "abc", AnsiString("abc"), "abc", "abc"), "[abc|   abc|abc   |ab]"},
      {Format("%s", WideString(L"żółw")), Cp(L"żółw")},
      {Format("100%% %s", ""), "100% "},
      {Format(Cp(L"Twoja efektywność wynosi: %d %%."), 12), Cp(L"Twoja efektywność wynosi: 12 %.")},
      {Format("no args"), "no args"},
      {Format("%d", 'A'), "65"},
  };
  for (const auto& C : Cases) EXPECT_EQ(C.first, C.second);
}

TEST(FormatText, WrongOrMissingArgumentsRaise) {
  struct Case {
    AnsiString Fmt;
    std::function<void()> Call;
  };
  const Case Mismatches[] = {
      {"%d", [] { Format("%d", "x"); }},
      {"%d", [] { Format("%d", 1.5); }},
      {"%s", [] { Format("%s", 5); }},
      {"%f", [] { Format("%f", 1); }},
      {"%q", [] { Format("%q", 1); }},
      {"50%", [] { Format("50%"); }},
      {"%5.", [] { Format("%5.", 1); }},
  };
  for (const Case& C : Mismatches) {
    SCOPED_TRACE(C.Fmt);
    try {
      C.Call();
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& E) {
      EXPECT_EQ(E.Message(), Format(WideToAnsi(L"Format „%s” jest nieprawidłowy lub nie pasuje do argumentu"), C.Fmt));
    }
  }
  try {
    Format("%d and %d", 1);
    FAIL() << "no exception";
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"Brak argumentu dla formatu „%d and %d”"));
  }
}

TEST(FormatText, WideFormatTakesWideAndAnsiStrings) {
  EXPECT_EQ(WideFormat(L"%s ma %d lat, %-4s|%s", L"Zażółć", 5, WideString(L"ąę"), Cp(L"ł")),
            L"Zażółć ma 5 lat, ąę  |ł");
  EXPECT_EQ(WideFormat(L"%5.1f", 2.25), L"  2,3");
  EXPECT_THROW(WideFormat(L"%d", L"x"), EConvertError);
}

// ---------------------------------------------------------------------------
// Strings

TEST(Strings, TrimKeepsPolishLettersAndDropsControlCharacters) {
  const AnsiString A = Cp(L"ą");  // 0xB9: a negative char, but no blank
  EXPECT_EQ(Trim(" \t" + A + "b\r\n"), A + "b");
  EXPECT_EQ(Trim(A + " " + A), A + " " + A);
  EXPECT_EQ(TrimLeft("  x  "), "x  ");
  EXPECT_EQ(TrimRight("  x  "), "  x");
  EXPECT_EQ(Trim(AnsiString("   ")), "");
  EXPECT_EQ(WideTrim(L"\x01 ż \x1F"), L"ż");
  EXPECT_EQ(WideTrimLeft(L" ż "), L"ż ");
  EXPECT_EQ(WideTrimRight(L" ż "), L" ż");
  EXPECT_EQ(Trim(WideString(L"\u00A0x\u00A0")), L"\u00A0x\u00A0");  // no-break space is not a blank
}

TEST(Strings, CaseMappingInCodePage1250) {
  const AnsiString Lower = Cp(L"zażółć gęślą jaźń");
  EXPECT_EQ(AnsiUpperCase(Lower), Cp(L"ZAŻÓŁĆ GĘŚLĄ JAŹŃ"));
  EXPECT_EQ(AnsiLowerCase(Cp(L"ZAŻÓŁĆ")), Cp(L"zażółć"));
  EXPECT_EQ(UpperCase(Lower), Cp(L"ZAżółć GęśLą JAźń"));  // ASCII letters only
  EXPECT_EQ(LowerCase(Cp(L"ŁÓDŹ Ab")), Cp(L"ŁÓdŹ ab"));
  EXPECT_EQ(AnsiLowerCaseFileName(Cp(L"C:\\SŁOWNIKI\\Plik.DIC")), Cp(L"c:\\słowniki\\plik.dic"));
  EXPECT_EQ(WideUpperCase(L"gęślą jaźń"), L"GĘŚLĄ JAŹŃ");
  EXPECT_EQ(WideLowerCase(L"ŻÓŁW"), L"żółw");
}

TEST(Strings, ComparisonsOrdinalAgainstLocale) {
  const AnsiString L = "l", LStroke = Cp(L"ł"), M = "m";
  // The locale puts ł between l and m; the byte order (0xB3) puts it after m.
  EXPECT_LT(AnsiCompareText(L, LStroke), 0);
  EXPECT_LT(AnsiCompareText(LStroke, M), 0);
  EXPECT_GT(CompareText(LStroke, M), 0);
  EXPECT_GT(CompareStr(LStroke, M), 0);
  EXPECT_EQ(AnsiCompareText(Cp(L"ŁÓDŹ"), Cp(L"łódź")), 0);
  EXPECT_TRUE(AnsiSameText(Cp(L"Żółw"), Cp(L"żÓŁW")));
  EXPECT_FALSE(AnsiSameStr(Cp(L"Żółw"), Cp(L"żółw")));
  EXPECT_NE(AnsiCompareStr("a", "A"), 0);
  EXPECT_TRUE(AnsiSameStr("abc", "abc"));
  // CompareText folds only ASCII.
  EXPECT_EQ(CompareText("ABC", "abc"), 0);
  EXPECT_TRUE(SameText("Dict.CFG", "dict.cfg"));
  EXPECT_FALSE(SameText(Cp(L"Ł"), Cp(L"ł")));
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_GT(CompareStr("b", "abc"), 0);
  EXPECT_LT(WideCompareText(L"ł", L"m"), 0);
  EXPECT_GT(WideCompareText(L"ł", L"L"), 0);
  EXPECT_TRUE(WideSameText(L"ĄĘ", L"ąę"));
  EXPECT_FALSE(WideSameStr(L"ĄĘ", L"ąę"));
  EXPECT_LT(WideCompareStr(L"a", L"b"), 0);
}

TEST(Strings, OneBasedPositionsAreClamped) {
  EXPECT_EQ(Pos("cd", "abcdcd"), 3);
  EXPECT_EQ(Pos("z", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos(WideString(L"ł"), WideString(L"żółw")), 3);

  const std::pair<AnsiString, const char*> Copies[] = {
      {Copy("abcdef", 2, 3), "bcd"},  {Copy("abcdef", 0, 2), "ab"},  {Copy("abcdef", -5, 3), "abc"},
      {Copy("abcdef", 5, 100), "ef"}, {Copy("abcdef", 7, 1), ""},    {Copy("abcdef", 2, -1), ""},
      {Copy("abcdef", 6, 1), "f"},    {Copy("", 1, 1), ""},
  };
  for (const auto& C : Copies) EXPECT_EQ(C.first, C.second);
  EXPECT_EQ(Copy(WideString(L"żółw"), 2, 2), L"ół");

  struct Edit {
    int Index, Count;
    const char* Deleted;
    const char* Inserted;  // "XY" inserted at Index
  };
  const Edit Edits[] = {
      {2, 2, "adef", "aXYbcdef"}, {1, 1, "bcdef", "XYabcdef"}, {0, 2, "abcdef", "XYabcdef"},
      {5, 100, "abcd", "abcdXYef"}, {7, 1, "abcdef", "abcdefXY"}, {3, 0, "abcdef", "abXYcdef"},
      {20, 1, "abcdef", "abcdefXY"},
  };
  for (const Edit& E : Edits) {
    SCOPED_TRACE(E.Index);
    AnsiString S = "abcdef";
    Delete(S, E.Index, E.Count);
    EXPECT_EQ(S, E.Deleted);
    S = "abcdef";
    Insert("XY", S, E.Index);
    EXPECT_EQ(S, E.Inserted);
  }
  WideString W = L"żółw";
  Delete(W, 2, 2);
  Insert(WideString(L"ą"), W, 2);
  EXPECT_EQ(W, L"żąw");
}

TEST(Strings, StringReplace) {
  const TReplaceFlags All{rfReplaceAll}, AllIgnoringCase{rfReplaceAll, rfIgnoreCase};
  EXPECT_EQ(StringReplace("aAbA", "a", "x", {}), "xAbA");
  EXPECT_EQ(StringReplace("aAba", "a", "x", All), "xAbx");
  EXPECT_EQ(StringReplace("aAbA", "a", "x", AllIgnoringCase), "xxbx");
  EXPECT_EQ(StringReplace("aAbA", "A", "x", {rfIgnoreCase}), "xAbA");
  EXPECT_EQ(StringReplace("aaa", "aa", "b", All), "ba");
  EXPECT_EQ(StringReplace("a-a", "a", "aa", All), "aa-aa");  // the new text is not searched again
  EXPECT_EQ(StringReplace("abc", "", "x", All), "abc");
  EXPECT_EQ(StringReplace(Cp(L"Łódź i łódź"), Cp(L"ŁÓDŹ"), "X", AllIgnoringCase), "X i X");
  EXPECT_EQ(StringReplace(WideString(L"Żółw żółw"), WideString(L"ŻÓŁW"), WideString(L"kot"), AllIgnoringCase),
            L"kot kot");
  EXPECT_EQ(StringReplace(WideString(L"a b c"), WideString(L" "), WideString(L"_"), All), L"a_b_c");
}

TEST(Strings, QuotingAndRepeatedCharacters) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  const std::pair<const char*, const char*> Dequoted[] = {
      {"'it''s'", "it's"}, {"''", ""},       {"'abc'", "abc"}, {"abc", "abc"},
      {"'abc", "'abc"},    {"'a'b", "'a'b"}, {"'", "'"},       {"", ""},
  };
  for (const auto& D : Dequoted) EXPECT_EQ(AnsiDequotedStr(D.first, '\''), D.second) << D.first;
  for (const char* S : {"", "x", "it's", "''"}) EXPECT_EQ(AnsiDequotedStr(QuotedStr(S), '\''), S);

  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', 0), "");
  EXPECT_EQ(StringOfChar('-', -2), "");
  EXPECT_EQ(StringOfChar(L'ż', 2), L"żż");
}

// ---------------------------------------------------------------------------
// Numbers

TEST(Numbers, RoundHalvesToEven) {
  const std::pair<double, Int64> Cases[] = {
      {12.5, 12},  {13.5, 14},  {-2.5, -2},  {-3.5, -4}, {0.5, 0},         {1.5, 2},
      {2.4999, 2}, {2.5001, 3}, {-0.4, 0},   {-0.6, -1}, {1e15 + 0.5, 1000000000000000}, {4503599627370497.0, 4503599627370497},
      {7.0, 7},    {-7.0, -7},  {0.49999999999999994, 0},
  };
  for (const auto& C : Cases) EXPECT_EQ(Round(C.first), C.second) << C.first;
  EXPECT_EQ(Round(3.0 / 40 * 100), 8);  // exactly 7.5 in doubles
  EXPECT_THROW(Round(NAN), EInvalidOp);
  EXPECT_THROW(Round(1e19), EInvalidOp);
  EXPECT_THROW(Trunc(-INFINITY), EInvalidOp);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_DOUBLE_EQ(Frac(2.75), 0.75);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
}

TEST(Numbers, SeededRandomSequenceRepeats) {
  auto Draw = [] {
    std::vector<double> V;
    for (int I = 0; I < 50; ++I) V.push_back(Random(10));
    for (int I = 0; I < 10; ++I) V.push_back(Random());
    return V;
  };
  RandSeed = 12345;
  const std::vector<double> First = Draw();
  RandSeed = 12345;
  EXPECT_EQ(Draw(), First);
  RandSeed = 54321;
  EXPECT_NE(Draw(), First);

  std::set<int> Seen;
  for (int I = 0; I < 1000; ++I) {
    const int R = Random(7);
    ASSERT_GE(R, 0);
    ASSERT_LT(R, 7);
    Seen.insert(R);
    const double D = Random();
    ASSERT_GE(D, 0.0);
    ASSERT_LT(D, 1.0);
  }
  EXPECT_EQ(Seen.size(), 7u);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-3), 0);
  EXPECT_EQ(Random(1), 0);
}

// ---------------------------------------------------------------------------
// Date and time

TEST(DateTime, EncodeAndDecodeAcrossTheCalendar) {
  struct Case {
    Word Y, M, D;
    double Serial;
  };
  const Case Cases[] = {
      {1899, 12, 30, 0},     {1899, 12, 29, -1},    {1900, 1, 1, 2},      {1900, 3, 1, 61},
      {2000, 2, 29, 36585},  {2024, 3, 5, 45356},   {1, 1, 1, -693593},   {9999, 12, 31, 2958465},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Serial);
    EXPECT_EQ(EncodeDate(C.Y, C.M, C.D), C.Serial);
    Word Y, M, D;
    DecodeDate(C.Serial, Y, M, D);
    EXPECT_EQ(std::vector<Word>({Y, M, D}), std::vector<Word>({C.Y, C.M, C.D}));
  }
  TDateTime Out = 5;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, Out));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, Out));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, Out));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, Out));
  EXPECT_FALSE(TryEncodeDate(2024, 4, 31, Out));
  EXPECT_EQ(Out, 5);
  EXPECT_THROW(EncodeDate(2024, 0, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(1, 60, 0, 0), EConvertError);
}

TEST(DateTime, TimeDecodesToTheNearestMillisecond) {
  Word H, N, S, MS;
  DecodeTime(EncodeTime(10, 20, 30, 0), H, N, S, MS);
  EXPECT_EQ(std::vector<Word>({H, N, S, MS}), std::vector<Word>({10, 20, 30, 0}));
  DecodeTime(EncodeDate(2024, 3, 5) + EncodeTime(23, 59, 59, 999), H, N, S, MS);
  EXPECT_EQ(std::vector<Word>({H, N, S, MS}), std::vector<Word>({23, 59, 59, 999}));
  // A hair before midnight is midnight of the next day, date and time alike.
  Word Y, M, D;
  const TDateTime AlmostNextDay = EncodeDate(2024, 2, 29) + 0.9999999999;
  DecodeDate(AlmostNextDay, Y, M, D);
  DecodeTime(AlmostNextDay, H, N, S, MS);
  EXPECT_EQ(std::vector<Word>({Y, M, D, H, N, S, MS}), std::vector<Word>({2024, 3, 1, 0, 0, 0, 0}));
  // Before day 0 the day counts down, the fraction still forward.
  DecodeDate(-1.25, Y, M, D);
  DecodeTime(-1.25, H, N, S, MS);
  EXPECT_EQ(std::vector<Word>({Y, M, D, H, N}), std::vector<Word>({1899, 12, 29, 6, 0}));
  for (double Bad : {double(NAN), double(INFINITY), 3e6, -7e5}) {
    EXPECT_THROW(DecodeDate(Bad, Y, M, D), EConvertError) << Bad;
    EXPECT_THROW(DateTimeToStr(Bad), EConvertError) << Bad;
  }
}

TEST(DateTime, NowDateAndTimeAgree) {
  const TDateTime Before = Now();
  const TDateTime Today = Date();
  const TDateTime T = Time();
  const TDateTime After = Now();
  EXPECT_EQ(Today, std::floor(Before));
  EXPECT_LE(Before, After);
  EXPECT_NEAR(Today + T, After, 2.0 / 86400);
  EXPECT_GT(Before, EncodeDate(2020, 1, 1));
}

TEST(DateTime, PolishFormatsAndMidnight) {
  EXPECT_EQ(static_cast<const AnsiString&>(ShortDateFormat), "d.mm.yyyy");
  EXPECT_EQ(static_cast<const AnsiString&>(LongTimeFormat), "hh:nn:ss");
  const TDateTime Day = EncodeDate(2024, 3, 5);
  EXPECT_EQ(DateTimeToStr(Day), "5.03.2024");
  EXPECT_EQ(DateTimeToStr(Day + EncodeTime(7, 8, 9, 0)), "5.03.2024 07:08:09");
  EXPECT_EQ(DateTimeToStr(Day + EncodeTime(0, 0, 0, 1)), "5.03.2024 00:00:00");
  EXPECT_EQ(DateToStr(Day + 0.75), "5.03.2024");
  EXPECT_EQ(TimeToStr(Day + 0.75), "18:00:00");

  // The platform's own formatting is the oracle for the locale's formats.
  for (Word D : {1, 9, 10, 31}) {
    SYSTEMTIME ST{};
    ST.wYear = 2023;
    ST.wMonth = 12;
    ST.wDay = D;
    ST.wHour = 9;
    ST.wMinute = 5;
    ST.wSecond = 7;
    char Date[64], Time[64], DayName[64], MonthName[64];
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &ST, nullptr, Date, sizeof Date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &ST, nullptr, Time, sizeof Time);
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &ST, "dddd", DayName, sizeof DayName);
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &ST, "MMMM", MonthName, sizeof MonthName);
    const TDateTime V = EncodeDate(2023, 12, D) + EncodeTime(9, 5, 7, 0);
    EXPECT_EQ(DateTimeToStr(V), AnsiString(Date) + " " + Time);
    EXPECT_EQ(FormatDateTime("dddd", V), DayName);
    EXPECT_EQ(FormatDateTime("mmmm", V), MonthName);
  }
}

TEST(DateTime, FormatDateTimeTokens) {
  const TDateTime Morning = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 45);
  const TDateTime Evening = EncodeDate(2009, 11, 25) + EncodeTime(19, 0, 5, 0);
  struct Case {
    const char* Fmt;
    TDateTime Value;
    const char* Text;
  };
  const Case Cases[] = {
      {"yyyy-mm-dd hh:nn:ss.zzz", Morning, "2024-03-05 07:08:09.045"},
      {"d/m/yy h:n:s z", Morning, "5.3.24 7:8:9 45"},
      {"YYYY MM DD", Morning, "2024 03 05"},
      {"hh:mm", Morning, "07:08"},
      {"h.mm", Evening, "19.00"},
      {"mm hh", Morning, "03 07"},
      {"h:mm am/pm", Morning, "7:08 am"},
      {"hh:nn AM/PM", Evening, "07:00 PM"},
      {"h am/pm", EncodeTime(0, 30, 0, 0), "12 am"},
      {"h Am/Pm", EncodeTime(12, 0, 0, 0), "12 Pm"},
      {"'m' \"d\" m d", Morning, "m d 3 5"},
      {"'hh:mm' hh", Morning, "hh:mm 07"},
      {"dd 'unterminated", Morning, "05 unterminated"},
      {"yy", EncodeDate(2005, 1, 1), "05"},
      {"ab/cd", Morning, "ab.c5"},
  };
  for (const Case& C : Cases) EXPECT_EQ(FormatDateTime(C.Fmt, C.Value), C.Text) << C.Fmt;
}

TEST(DateTime, WindowsPicturesBecomeFormats) {
  const std::pair<const char*, const char*> Cases[] = {
      {"d.MM.yyyy", "d.mm.yyyy"},
      {"HH:mm:ss", "hh:nn:ss"},
      {"M/d/yyyy", "m/d/yyyy"},
      {"h:mm:ss tt", "h:nn:ss AM/PM"},
      {"dd MMMM yyyy 'r.'", "dd mmmm yyyy \"r\"."},
      {"yy-MM-dd gg", "yy-mm-dd "},
      {"'It''s' H", "\"It's\" h"},
      {"dddd, d MMM", "dddd, d mmm"},
  };
  for (const auto& C : Cases) EXPECT_EQ(LocalePictureToFormat(C.first), C.second) << C.first;
  // An American time picture shows the 12-hour clock.
  EXPECT_EQ(FormatDateTime(LocalePictureToFormat("h:mm:ss tt"), EncodeTime(13, 5, 9, 0)), "1:05:09 PM");
  EXPECT_EQ(FormatDateTime(LocalePictureToFormat("'It''s' H"), EncodeTime(13, 5, 9, 0)), "It's 13");
}

// ---------------------------------------------------------------------------
// Paths

TEST(Paths, SplittingTable) {
  struct Case {
    const char* Name;
    const char* Path;
    const char* Dir;
    const char* File;
    const char* Ext;
    const char* Drive;
  };
  const Case Cases[] = {
      {"C:\\dir\\file.txt", "C:\\dir\\", "C:\\dir", "file.txt", ".txt", "C:"},
      {"C:\\file", "C:\\", "C:\\", "file", "", "C:"},
      {"C:\\dir.d\\file", "C:\\dir.d\\", "C:\\dir.d", "file", "", "C:"},
      {"C:file.tar.gz", "C:", "C:", "file.tar.gz", ".gz", "C:"},
      {"\\\\srv\\share\\a.b", "\\\\srv\\share\\", "\\\\srv\\share", "a.b", ".b", "\\\\srv\\share"},
      {"\\\\srv\\share", "\\\\srv\\", "\\\\srv", "share", "", "\\\\srv\\share"},
      {"dir/sub/f.txt", "dir/sub/", "dir/sub", "f.txt", ".txt", ""},
      {"Z:/work/a.dic", "Z:/work/", "Z:/work", "a.dic", ".dic", "Z:"},
      {"\\file.x", "\\", "\\", "file.x", ".x", ""},
      {"file", "", "", "file", "", ""},
      {"dir\\", "dir\\", "dir", "", "", ""},
      {"", "", "", "", "", ""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(ExtractFilePath(C.Name), C.Path);
    EXPECT_EQ(ExtractFileDir(C.Name), C.Dir);
    EXPECT_EQ(ExtractFileName(C.Name), C.File);
    EXPECT_EQ(ExtractFileExt(C.Name), C.Ext);
    EXPECT_EQ(ExtractFileDrive(C.Name), C.Drive);
  }
  EXPECT_EQ(ChangeFileExt("a\\b.txt", ".dic"), "a\\b.dic");
  EXPECT_EQ(ChangeFileExt("a.d\\b", ".x"), "a.d\\b.x");
  EXPECT_EQ(ChangeFileExt("b.tar.gz", ""), "b.tar");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:/a/"), "C:/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a"), "C:\\a");
}

// ---------------------------------------------------------------------------
// Files

namespace {

void RemoveTree(const AnsiString& Dir) {
  WIN32_FIND_DATAA D;
  HANDLE H = FindFirstFileA((Dir + "\\*").c_str(), &D);
  if (H != INVALID_HANDLE_VALUE) {
    do {
      const AnsiString Name = D.cFileName;
      if (Name == "." || Name == "..") continue;
      const AnsiString Full = Dir + "\\" + Name;
      SetFileAttributesA(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(Full);
      else DeleteFileA(Full.c_str());
    } while (FindNextFileA(H, &D));
    ::FindClose(H);
  }
  RemoveDirectoryA(Dir.c_str());
}

void WriteBytes(const AnsiString& Name, const std::string& Bytes) {
  std::ofstream(Name, std::ios::binary) << Bytes;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir : public ::testing::Test {
protected:
  void SetUp() override {
    char Temp[MAX_PATH];
    GetTempPathA(sizeof Temp, Temp);
    static int Counter = 0;
    Dir = AnsiString(Temp) + "sysutils_" + IntToStr(GetCurrentProcessId()) + "_" + IntToStr(++Counter);
    ASSERT_TRUE(CreateDirectoryA(Dir.c_str(), nullptr));
  }
  void TearDown() override { RemoveTree(Dir); }
  AnsiString In(const AnsiString& Name) const { return Dir + "\\" + Name; }

  AnsiString Dir;
};

}  // namespace

TEST_F(TempDir, FilesAndFolders) {
  WriteBytes(In("a.txt"), "abc");
  EXPECT_TRUE(FileExists(In("a.txt")));
  EXPECT_FALSE(FileExists(Dir));
  EXPECT_FALSE(FileExists(In("*.txt")));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(DirectoryExists(Dir));
  EXPECT_FALSE(DirectoryExists(In("a.txt")));

  WriteBytes(In("b.txt"), "b");
  EXPECT_FALSE(RenameFile(In("a.txt"), In("b.txt")));  // never over an existing file
  EXPECT_TRUE(FileExists(In("a.txt")));
  EXPECT_TRUE(RenameFile(In("a.txt"), In("c.txt")));
  EXPECT_FALSE(FileExists(In("a.txt")));
  EXPECT_TRUE(FileExists(In("c.txt")));
  EXPECT_TRUE(DeleteFile(In("c.txt")));
  EXPECT_FALSE(DeleteFile(In("c.txt")));

  EXPECT_TRUE(CreateDir(In("sub")));
  EXPECT_FALSE(CreateDir(In("sub")));
  WriteBytes(In("sub\\x"), "x");
  EXPECT_FALSE(RemoveDir(In("sub")));
  EXPECT_TRUE(DeleteFile(In("sub\\x")));
  EXPECT_TRUE(RemoveDir(In("sub")));
  EXPECT_FALSE(DirectoryExists(In("sub")));
}

TEST_F(TempDir, ForceDirectoriesCreatesEveryLevel) {
  EXPECT_TRUE(ForceDirectories(In("a\\b\\c\\")));
  EXPECT_TRUE(DirectoryExists(In("a\\b\\c")));
  EXPECT_TRUE(ForceDirectories(In("a\\b\\c")));
  EXPECT_TRUE(ForceDirectories(In("a/d/e")));
  EXPECT_TRUE(DirectoryExists(In("a\\d\\e")));
  EXPECT_FALSE(ForceDirectories(""));
  WriteBytes(In("file"), "x");
  EXPECT_FALSE(ForceDirectories(In("file")));
  EXPECT_FALSE(ForceDirectories(In("file\\below")));
  EXPECT_FALSE(ForceDirectories("Q:\\no\\such\\drive"));

  const AnsiString Old = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(Dir));
  EXPECT_TRUE(ForceDirectories("r1\\r2"));
  EXPECT_TRUE(ForceDirectories("r3"));
  EXPECT_EQ(ExpandFileName("r1\\..\\r3\\x.txt"), In("r3\\x.txt"));
  EXPECT_EQ(ExpandFileName(""), "");
  EXPECT_TRUE(SetCurrentDir(Old));
  EXPECT_TRUE(DirectoryExists(In("r1\\r2")));
  EXPECT_TRUE(DirectoryExists(In("r3")));
  EXPECT_FALSE(SetCurrentDir(In("missing")));
}

TEST_F(TempDir, FindFirstFiltersByAttributes) {
  WriteBytes(In("a.txt"), "12345");
  WriteBytes(In("b.dat"), "");
  WriteBytes(In("h.txt"), "h");
  ASSERT_TRUE(CreateDirectoryA(In("sub").c_str(), nullptr));
  SetFileAttributesA(In("b.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(In("h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

  auto Find = [&](const AnsiString& Mask, Integer Attr) {
    std::set<AnsiString> Names;
    TSearchRec F;
    int R = FindFirst(In(Mask), Attr, F);
    for (; R == 0; R = FindNext(F)) Names.insert(F.Name);
    EXPECT_NE(FindNext(F), 0);
    FindClose(F);
    return Names;
  };
  using Names = std::set<AnsiString>;
  EXPECT_EQ(Find("*", 0), (Names{"a.txt", "b.dat"}));
  EXPECT_EQ(Find("*", faReadOnly), (Names{"a.txt", "b.dat"}));
  EXPECT_EQ(Find("*", faHidden), (Names{"a.txt", "b.dat", "h.txt"}));
  EXPECT_EQ(Find("*", faDirectory), (Names{".", "..", "a.txt", "b.dat", "sub"}));
  EXPECT_EQ(Find("*", faAnyFile), (Names{".", "..", "a.txt", "b.dat", "h.txt", "sub"}));
  EXPECT_EQ(Find("*.txt", 0), (Names{"a.txt"}));
  EXPECT_EQ(Find("h*", 0), Names{});  // the only match is excluded

  TSearchRec F;
  EXPECT_NE(FindFirst(In("nothing*"), faAnyFile, F), 0);
  EXPECT_EQ(F.FindHandle, INVALID_HANDLE_VALUE);
  ASSERT_EQ(FindFirst(In("a.txt"), 0, F), 0);
  EXPECT_EQ(F.Size, 5);
  EXPECT_EQ(F.Time, FileAge(In("a.txt")));
  EXPECT_EQ(F.Attr & faDirectory, 0);
  ASSERT_EQ(FindFirst(In("sub"), faDirectory, F), 0);  // again, on the same record
  EXPECT_NE(F.Attr & faDirectory, 0);
  FindClose(F);
  SetFileAttributesA(In("b.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TempDir, FileAgeIsTheLocalDosTime) {
  WriteBytes(In("a.txt"), "x");
  SYSTEMTIME Local{};
  Local.wYear = 2024;
  Local.wMonth = 3;
  Local.wDay = 5;
  Local.wHour = 10;
  Local.wMinute = 20;
  Local.wSecond = 30;
  FILETIME LocalTime, UtcTime;
  ASSERT_TRUE(SystemTimeToFileTime(&Local, &LocalTime));
  ASSERT_TRUE(LocalFileTimeToFileTime(&LocalTime, &UtcTime));
  HANDLE H = CreateFileA(In("a.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE);
  SetFileTime(H, nullptr, nullptr, &UtcTime);
  CloseHandle(H);
  const Integer Expected = ((2024 - 1980) << 25) | (3 << 21) | (5 << 16) | (10 << 11) | (20 << 5) | (30 / 2);
  EXPECT_EQ(FileAge(In("a.txt")), Expected);
  EXPECT_EQ(FileAge(In("missing")), -1);
  EXPECT_EQ(FileAge(Dir), -1);
}

// ---------------------------------------------------------------------------
// Command line, system errors, libraries

TEST(CommandLine, ParamsAreSplitAtBlanksAndGroupedByQuotes) {
  char Out[MAX_PATH];
  if (GetEnvironmentVariableA("SYSUTILS_PARAMS_OUT", Out, sizeof Out) > 0) {
    // The child run: report what it was given.
    std::ofstream F(Out, std::ios::binary);
    F << ParamCount() << '\n';
    for (int I = 0; I <= ParamCount() + 1; ++I) F << '[' << ParamStr(I) << "]\n";
    return;
  }
  const AnsiString Exe = ParamStr(0);
  EXPECT_TRUE(FileExists(Exe));
  EXPECT_EQ(ExtractFileName(Exe), "framework_SysUtils.exe");
  EXPECT_EQ(ParamStr(-1), "");

  char Temp[MAX_PATH];
  GetTempPathA(sizeof Temp, Temp);
  const AnsiString Report = AnsiString(Temp) + "sysutils_params_" + IntToStr(GetCurrentProcessId()) + ".txt";
  AnsiString Line = "\"" + Exe + "\" --gtest_filter=CommandLine.* \"two words\"  plain \"\" a\"b c\"d";
  SetEnvironmentVariableA("SYSUTILS_PARAMS_OUT", Report.c_str());
  STARTUPINFOA SI{};
  SI.cb = sizeof SI;
  PROCESS_INFORMATION PI{};
  const BOOL Started = CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &SI, &PI);
  SetEnvironmentVariableA("SYSUTILS_PARAMS_OUT", nullptr);
  ASSERT_TRUE(Started);
  WaitForSingleObject(PI.hProcess, 60000);
  CloseHandle(PI.hThread);
  CloseHandle(PI.hProcess);
  std::ifstream F(Report, std::ios::binary);
  const std::string Text((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  F.close();
  DeleteFile(Report);
  EXPECT_EQ(Text, "5\n[" + Exe + "]\n[--gtest_filter=CommandLine.*]\n[two words]\n[plain]\n[]\n[ab cd]\n[]\n");
}

TEST(SystemErrors, MessagesAndRaiseLastOSError) {
  const AnsiString Text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(Text.empty());
  EXPECT_GT(static_cast<unsigned char>(Text.back()), ' ');
  EXPECT_NE(Text.back(), '.');
  try {
    SetLastError(ERROR_ACCESS_DENIED);
    RaiseLastOSError();
  } catch (const EOSError& E) {
    EXPECT_EQ(E.ErrorCode, 5u);
    EXPECT_EQ(E.Message(), WideToAnsi(L"Błąd systemu. Kod: 5.\r\n") + SysErrorMessage(ERROR_ACCESS_DENIED));
  }
  SetLastError(0);
  EXPECT_THROW(RaiseLastOSError(), EOSError);
}

TEST(SystemErrors, SafeLoadLibraryRestoresModeAndControlWord) {
  auto ControlWord = [] {
    Word CW;
    asm volatile("fnstcw %0" : "=m"(CW));
    return CW;
  };
  const UINT Before = SetErrorMode(SEM_FAILCRITICALERRORS);
  const Word CW = ControlWord();
  HMODULE Lib = SafeLoadLibrary("msacm32.dll");
  EXPECT_NE(Lib, nullptr);
  if (Lib) FreeLibrary(Lib);
  EXPECT_EQ(SafeLoadLibrary("no_such_library_here.dll"), nullptr);
  EXPECT_EQ(ControlWord(), CW);
  EXPECT_EQ(SetErrorMode(Before), static_cast<UINT>(SEM_FAILCRITICALERRORS));
}
