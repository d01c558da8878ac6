#include <gtest/gtest.h>

#include <set>

#include "Dict_Strings.h"
#include "SysUtils.h"

namespace {

class DictStringsTest : public ::testing::Test {
protected:
  void SetUp() override { InitializeDict_Strings(); }
  void TearDown() override { FinalizeDict_Strings(); }
};

TEST_F(DictStringsTest, EveryTextIsFilledOnceAtStartUpAndClearedAtShutDown) {
  std::set<const WideString*> Seen;
  for (const TDictString& Entry : DictStrings()) {
    EXPECT_TRUE(Seen.insert(Entry.Variable).second) << "filled twice: " << WideToUTF8(Entry.Literal);
    EXPECT_FALSE(Entry.Variable->empty()) << WideToUTF8(Entry.Literal);
  }
  // The phrase arrays are filled in full.
  for (const WideString* Array : {sGoodAnswer, sBadAnswer, sCorrection})
    for (int I = 0; I < 3; ++I) EXPECT_TRUE(Seen.count(&Array[I])) << I;

  FinalizeDict_Strings();
  for (const TDictString& Entry : DictStrings()) EXPECT_TRUE(Entry.Variable->empty()) << WideToUTF8(Entry.Literal);
}

// Written out here again, so that a wrong letter, a lost "\r" or a source
// read in the wrong encoding shows.
TEST_F(DictStringsTest, TextsHoldTheirExactWording) {
  const struct {
    const WideString& Variable;
    const wchar_t* Expected;
  } Cases[] = {
      {sMsgNoUsers, L"Przed rozpocz\u0119ciem pracy musisz utworzy\u0107 u\u017Cytkownika."},
      {sMsgFileExists, L"Plik istnieje. Zast\u0105pi\u0107?"},
      {sCapError, L"B\u0142\u0105d"},
      {sEndLearnMsg, L"Gratulacje! Opanowa\u0142e\u015B wszystkie s\u0142\u00F3wka z tego s\u0142ownika.\x000D\x000D"
                     L"Czy chcesz jeszcze raz przerobi\u0107 ten s\u0142ownik?"},
      {sEndTestCaption, L"Test zako\u0144czony"},
      {sQuestionOf, L" z "},
      {sMenuEllipsis, L"..."},
      {sMenuCourses, L"Kursy j\u0119zykowe"},
      {sGoodAnswer[1], L"\u015Awietnie!"},
      {sBadAnswer[0], L"\u0179le."},
      {sCorrection[2], L"Niestety. Chodzi\u0142o o"},
      {sOptionsRepeats, L"ilo\u015B\u0107 powt\u00F3rze\u0144 zestawu podczas nauki"},
      {sDziennClear, L"Wyczy\u015B\u0107"},
      {sHintInfo, L"Wa\u017Cne informacje"},
      {sMsgReservedUserName, L"Imi\u0119 \u201Enoname\u201D jest zastrze\u017Cone. Wpisz inne imi\u0119."},
      {sMsgQuoteInUserName, L"Imi\u0119 u\u017Cytkownika nie mo\u017Ce zawiera\u0107 cudzys\u0142owu (\")."},
      {sInfoAboutCaption, L"O Vardo"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Case.Variable, Case.Expected) << WideToUTF8(Case.Expected);
}

TEST_F(DictStringsTest, TestEndMessageTakesThePercentage) {
  EXPECT_EQ(WideFormat(sEndTestMsg, 75),
            L"Twoja efektywno\u015B\u0107 wynosi: 75 %.\r\r"
            L"Czy chcesz jeszcze raz sprawdzi\u0107 znajomo\u015B\u0107 s\u0142\u00F3wek z tego s\u0142ownika?");
}

// The 8-bit constants are code page 1250 bytes: the platform's own
// conversion of the wording gives the same bytes.
TEST(DictStrings8Bit, ConstantsAreCentralEuropeanBytes) {
  const struct {
    const char* Constant;
    const wchar_t* Wording;
  } Cases[] = {
      {sNewFolderPrompt, L"Podaj nazw\u0119 katalogu"},
      {sNewFolderCaption, L"Nowy katalog"},
      {sImportFilter, L"Pliki tekstowe separowane tabulatorami (*.txt)|*.txt"},
  };
  for (const auto& Case : Cases) {
    char Bytes[128] = {};
    ASSERT_GT(WideCharToMultiByte(1250, 0, Case.Wording, -1, Bytes, sizeof(Bytes), nullptr, nullptr), 0);
    EXPECT_STREQ(Case.Constant, Bytes);
  }
}

}  // namespace
