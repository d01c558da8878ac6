// The files the build puts beside the program: the sample dictionaries in
// "slowniki" and the two help files.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "Dict_engine.h"
#include "FileUtils.h"
#include "Win.h"

namespace {

AnsiString ProgramFolder() { return ExtractFilePath(ParamStr(0)); }

// Every .dic below Folder, searched through all subfolders.
void FindDictionaries(const AnsiString& Folder, std::vector<AnsiString>& Found) {
  WIN32_FIND_DATAA Data;
  HANDLE Find = FindFirstFileA((Folder + "*").c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) return;
  do {
    const AnsiString Name = Data.cFileName;
    if (Name == "." || Name == "..") continue;
    if (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      FindDictionaries(Folder + Name + "\\", Found);
    else if (Name.size() > 4 && Name.substr(Name.size() - 4) == ".dic")
      Found.push_back(Folder + Name);
  } while (FindNextFileA(Find, &Data));
  FindClose(Find);
}

struct TSampleEntry {
  const wchar_t* Question;
  std::vector<const wchar_t*> Answers;
};

struct TSample {
  const char* File;
  const wchar_t* Title;
  const wchar_t* Description;
  int Count;
  std::vector<TSampleEntry> Entries;
};

const std::vector<TSample> Samples = {
  {"Angielski\\podstawy.dic", L"Angielski - podstawy",
   L"Podstawowe s\u0142\u00f3wka angielskie z t\u0142umaczeniem na polski.", 40,
   {{L"house", {L"dom"}},
    {L"book", {L"ksi\u0105\u017cka"}},
    {L"friend", {L"przyjaciel", L"przyjaci\u00f3\u0142ka", L"kolega"}},
    {L"thank you", {L"dzi\u0119kuj\u0119"}}}},
  {"Niemiecki\\podstawy.dic", L"Niemiecki - podstawy",
   L"Podstawowe s\u0142\u00f3wka niemieckie z t\u0142umaczeniem na polski.", 40,
   {{L"das Haus", {L"dom"}},
    {L"die Stra\u00dfe", {L"ulica"}},
    {L"\u00fcber", {L"nad", L"ponad"}},
    {L"das \u00d6l", {L"olej", L"oliwa"}},
    {L"b\u00f6se", {L"z\u0142y", L"gniewny"}}}},
};

// The entry whose question is Question, or -1.
int FindQuestion(const TDict& Dict, const WideString& Question) {
  for (int i = 0; i < Dict.Count(); ++i)
    if (Dict.ItemText(0, i) == Question) return i;
  return -1;
}

TEST(SampleDictionaries, HoldTheirTitlesDescriptionsAndEntries) {
  for (const TSample& Sample : Samples) {
    SCOPED_TRACE(Sample.File);
    TDict Dict;
    Dict.LoadFromFile(ProgramFolder() + "slowniki\\" + Sample.File);
    ASSERT_EQ(Dict.Count(), Sample.Count);
    EXPECT_EQ(Dict.GetTitle(), Sample.Title);
    EXPECT_EQ(Dict.GetDescription(), Sample.Description);
    EXPECT_FALSE(Dict.HasResizeFont());
    for (const TSampleEntry& Entry : Sample.Entries) {
      const int Index = FindQuestion(Dict, Entry.Question);
      ASSERT_GE(Index, 0) << WideToUTF8(Entry.Question);
      TQuestionRecord Record;
      Dict.Get(Index, Record);
      TQuestion Question;
      Question.Record() = Record;
      ASSERT_EQ(Question.AnswerCount(), static_cast<int>(Entry.Answers.size())) << WideToUTF8(Entry.Question);
      for (size_t a = 0; a < Entry.Answers.size(); ++a)
        EXPECT_EQ(Question.GetAnswer(static_cast<int>(a) + 1), Entry.Answers[a]);
    }
  }
}

// Whatever else lies in the folder must load too and be a real dictionary:
// no empty entry (a blank source line) and every question answered.
TEST(SampleDictionaries, EveryShippedDictionaryLoadsWithoutEmptyEntries) {
  std::vector<AnsiString> Found;
  FindDictionaries(ProgramFolder() + "slowniki\\", Found);
  ASSERT_GE(Found.size(), Samples.size());
  for (const AnsiString& Path : Found) {
    SCOPED_TRACE(Path);
    TDict Dict;
    Dict.LoadFromFile(Path);
    EXPECT_GT(Dict.Count(), 0);
    EXPECT_FALSE(Dict.GetTitle().empty());
    EXPECT_FALSE(Dict.GetDescription().empty());
    for (int i = 0; i < Dict.Count(); ++i) {
      TQuestionRecord Record;
      Dict.Get(i, Record);
      TQuestion Question;
      Question.Record() = Record;
      EXPECT_FALSE(Question.GetQuestion().empty()) << "entry " << i;
      EXPECT_GT(Question.AnswerCount(), 0) << "entry " << i;
      EXPECT_FALSE(Question.GetAnswer(1).empty()) << "entry " << i;
    }
  }
}

TEST(SampleDictionaries, HelpFilesAreCompiled) {
  for (const char* Name : {"Slovanta.chm", "Info.chm"}) {
    SCOPED_TRACE(Name);
    std::ifstream File(ProgramFolder() + Name, std::ios::binary);
    ASSERT_TRUE(File.is_open());
    char Signature[4] = {};
    File.read(Signature, sizeof Signature);
    EXPECT_EQ(std::string(Signature, 4), "ITSF");
  }
}

}  // namespace
