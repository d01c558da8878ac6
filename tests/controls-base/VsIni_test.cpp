#include "TestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "Filer.h"
#include "Lists.h"
#include "Streams.h"
#include "VsIni.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "Win.h"

namespace {

std::string Fixture(const char* Name) { return std::string(FIXTURES_DIR) + "/controls-base/" + Name; }

std::string ReadFileBytes(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& Path, const std::string& Bytes) {
  std::ofstream F(Path, std::ios::binary | std::ios::trunc);
  F << Bytes;
}

AnsiString TempPath(const char* Name) { return TestTempPath("vsini", Name); }

// A store freed through Free, as components are.
TOwned<TVsIniFile> NewIni() { return TOwned<TVsIniFile>(Create<TVsIniFile>(nullptr)); }

std::string StreamBytes(TMemoryStream& S) {
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

void LoadBytes(TVsIniFile& Ini, const std::string& Bytes) {
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  S.SetPosition(0);
  Ini.LoadFromStream(&S);
}

std::string SavedBytes(TVsIniFile& Ini) {
  TMemoryStream S;
  Ini.SaveToStream(&S);
  return StreamBytes(S);
}

// Every key and value below Key, one line each: path|name|type|text.
void DumpKey(TVsIniFile& Ini, const AnsiString& Key, AnsiString& Out) {
  TStringList Names;
  Ini.EnumValues(Key, &Names);
  for (int I = 0; I < Names.Count(); ++I) {
    const AnsiString Name = Names.Strings(I);
    const TVsIniValueType Type = Ini.GetValueType(Key, Name);
    AnsiString Text;
    if (Type == ivtFloat) {
      double D;
      Ini.ReadFloat(Key, Name, D, 0);
      Text = FloatToDotStr(D);
    } else {
      Ini.ReadString(Key, Name, Text, "?");
    }
    Out += Key + "|" + Name + "|" + IntToStr(Type) + "|" + Text + "\n";
  }
  TStringList Keys;
  Ini.EnumSubKeys(Key, &Keys);
  for (int I = 0; I < Keys.Count(); ++I) {
    Out += Key + " key " + Keys.Strings(I) + "\n";
    DumpKey(Ini, (Key == "\\" ? Key : Key + "\\") + Keys.Strings(I), Out);
  }
}

AnsiString Dump(TVsIniFile& Ini) {
  AnsiString Out;
  DumpKey(Ini, "\\", Out);
  return Out;
}

// The lines of a dump in order, for stores that enumerate alphabetically.
std::vector<AnsiString> SortedLines(const AnsiString& Text) {
  std::vector<AnsiString> Lines;
  size_t Start = 0;
  for (size_t P = Text.find('\n'); P != AnsiString::npos; Start = P + 1, P = Text.find('\n', Start))
    Lines.push_back(Text.substr(Start, P - Start));
  std::sort(Lines.begin(), Lines.end());
  return Lines;
}

std::string Int32(int N) { return std::string(reinterpret_cast<const char*>(&N), 4); }
std::string LP(const std::string& S) { return Int32(static_cast<int>(S.size())) + S; }

// Writes one value of every type, in a nested key and at the root.
void FillEveryType(TVsIniFile& Ini) {
  const Byte Blob[] = {0x00, 0x7F, 0xFF};
  TStringList Lines;
  Lines.Add(WideToAnsi(L"pierwszy wiersz"));
  Lines.Add("");
  Lines.Add("third");
  ASSERT_TRUE(Ini.WriteInteger("", "Count", -17));
  ASSERT_TRUE(Ini.WriteBool("\\Page\\Options", "Visible", true));
  ASSERT_TRUE(Ini.WriteBool("\\Page\\Options", "Hidden", false));
  ASSERT_TRUE(Ini.WriteString("\\Page", "Title", WideToAnsi(L"Zażółć gęślą jaźń")));
  ASSERT_TRUE(Ini.WriteFloat("\\Page", "Zoom", 1.25));
  ASSERT_TRUE(Ini.WriteFloat("\\Page", "Tiny", 1e-20));
  ASSERT_TRUE(Ini.WriteBinary("\\Page\\Options", "Blob", sizeof Blob, Blob));
  ASSERT_TRUE(Ini.WriteBinary("\\Page\\Options", "Empty", 0, nullptr));
  ASSERT_TRUE(Ini.WriteMultiString("\\Page", "Lines", &Lines));
  ASSERT_TRUE(Ini.OpenKey("\\Page\\Empty key", true));
  ASSERT_TRUE(Ini.OpenKey("\\", false));
}

class TEventLog : public TObject {
public:
  std::string Log;
  void BeforeLoad(TObject*) { Log += "<load"; }
  void AfterLoad(TObject*) { Log += "load>"; }
  void BeforeSave(TObject*) { Log += "<save"; }
  void AfterSave(TObject*) { Log += "save>"; }
  void Attach(TVsIniFile& Ini) {
    Ini.OnBeforeLoad = TNotifyEvent(this, &TEventLog::BeforeLoad);
    Ini.OnAfterLoad = TNotifyEvent(this, &TEventLog::AfterLoad);
    Ini.OnBeforeSave = TNotifyEvent(this, &TEventLog::BeforeSave);
    Ini.OnAfterSave = TNotifyEvent(this, &TEventLog::AfterSave);
  }
};

}  // namespace

TEST(VsIniText, ValuesAreTypedByTheirCanonicalText) {
  auto Ini = NewIni();
  Ini->SetPath(Fixture("colors.ini"));
  ASSERT_TRUE(Ini->Load());
  EXPECT_FALSE(Ini->Modified());
  EXPECT_EQ(Ini->CurrentPath(), "\\");

  struct Case {
    const char* Key;
    const char* Name;
    TVsIniValueType Type;
    AnsiString Text;
  };
  const Case Cases[] = {
      {"\\", "Top", ivtInteger, "1"},
      {"\\Colors", "Back", ivtString, "clWindow"},
      {"\\Colors", "Size", ivtInteger, "31"},
      {"\\Colors", "Flag", ivtBoolean, "true"},
      {"\\Colors", "Bad", ivtString, "007"},
      {"\\Colors", "Hex", ivtString, "$1f"},    // canonical hexadecimal is $1F
      {"\\Colors", "Exp", ivtString, "1e3"},    // its float text is 1000
      {"\\Colors", "a", ivtInteger, "1"},       // the comment is cut
      {"\\Colors", "q", ivtString, "\"1;b\""},  // not inside quotes
      {"\\Colors", "#13", ivtString, "bare words"},
      {"\\Colors", "List", ivtMultiString, "x\r\ny\r\n"},
      {"Colors\\Dark", "Off", ivtBoolean, "false"},
      {"Colors\\Dark", "Blob", ivtBinary, "454C 3 01 AB FF "},
      {"Colors\\Dark", "name", ivtString, WideToAnsi(L"Zażółć")},  // names ignore case
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(Ini->GetValueType(C.Key, C.Name), C.Type) << C.Name;
    AnsiString Text;
    EXPECT_TRUE(Ini->ReadString(C.Key, C.Name, Text, "")) << C.Name;
    EXPECT_EQ(Text, C.Text) << C.Name;
  }
  double Ratio = 0;
  EXPECT_TRUE(Ini->ReadFloat("\\Colors", "Ratio", Ratio, 0));
  EXPECT_EQ(Ratio, 1.5);
  TStringList Keys;
  Ini->EnumSubKeys("\\", &Keys);
  EXPECT_EQ(Keys.CommaText(), "Colors");

  // Written back: canonical values, "#" names bare, list elements renumbered.
  const std::string Expected = std::string(";Automatically generated file. DO NOT MODIFY!!!\r\n") +
                               "Top=1\r\n\r\n[Colors]\r\nBack=clWindow\r\nSize=31\r\nFlag=true\r\nRatio=1.5\r\n"
                               "Bad=007\r\nHex=$1f\r\nExp=1e3\r\na=1\r\nq=\"1;b\"\r\nbare words\r\n"
                               "List[0]=x\r\nList[1]=y\r\n\r\n[Colors\\Dark]\r\nOff=false\r\n"
                               "Blob=454C 3 01 AB FF \r\nName=" +
                               WideToAnsi(L"Zażółć") + "\r\n";
  EXPECT_EQ(SavedBytes(*Ini), Expected);
}

TEST(VsIniText, LineParsingFollowsQuotesCommentsAndTrimming) {
  struct Case {
    bool TrimSpaces;
    const char* Comment;
    const char* Line;
    const char* Name;
    TVsIniValueType Type;
    const char* Text;
  };
  const Case Cases[] = {
      {false, ";", "a=b=c", "a", ivtString, "b=c"},
      {false, ";", "  k = 1 ", "k", ivtString, " 1 "},
      {true, ";", "  k = 1 ", "k", ivtInteger, "1"},
      {false, "//", "x=1;2//c", "x", ivtString, "1;2"},
      {false, ";", "\"k=1\"=v", "\"k=1\"", ivtString, "v"},
      {false, ";", "t=True", "t", ivtBoolean, "true"},
      {false, ";", "t=fALSE", "t", ivtBoolean, "false"},
      {false, ";", "n=-5", "n", ivtInteger, "-5"},
      {false, ";", "n=$FFFFFFFF", "n", ivtInteger, "-1"},
      {false, ";", "f=-0.25", "f", ivtFloat, "-0.25"},
      {false, ";", "f=1,5", "f", ivtString, "1,5"},      // the locale's comma is no float
  };
  for (const Case& C : Cases) {
    auto Ini = NewIni();
    Ini->SetTrimSpaces(C.TrimSpaces);
    Ini->SetComment(C.Comment);
    LoadBytes(*Ini, std::string("[s]\r\n") + C.Line + "\r\n");
    EXPECT_EQ(Ini->GetValueType("\\s", C.Name), C.Type) << C.Line;
    AnsiString Text;
    if (C.Type == ivtFloat) {
      double D = 0;
      Ini->ReadFloat("\\s", C.Name, D, 0);
      Text = FloatToDotStr(D);
    } else {
      Ini->ReadString("\\s", C.Name, Text, "?");
    }
    EXPECT_EQ(Text, C.Text) << C.Line;
  }
}

// Strings that begin like binary data without being what the store writes
// for binary data (with or without its last blank).
const char* const BinaryLookalikes[] = {
    "454Cx", "454C", "454C FFFFFFFF 01", "454C 7FFFFFFF 01 02", "454C 3 01 02", "454C 2 1 2", "454C 2 0a 0b",
    "454C 1 01 02",
};

// Strings that are exactly what the store writes for binary data (trimmed or
// not), or such a text in quotes: they are written quoted and stay Strings.
const char* const BinaryTexts[] = {"454C 2 41 42 ", "454C 2 41 42", "454C 0 ", "\"454C 0 \"", "\"\"454C 1 FF \"\""};

TEST(VsIni, EveryFormRoundTripsEveryTypeWithOrWithoutTrimming) {
  auto Source = NewIni();
  FillEveryType(*Source);
  for (const char* S : BinaryLookalikes) ASSERT_TRUE(Source->WriteString("\\Look", S, S));
  for (int I = 0; I < static_cast<int>(std::size(BinaryTexts)); ++I)
    ASSERT_TRUE(Source->WriteString("\\Look", "Exact" + IntToStr(I), BinaryTexts[I]));
  const AnsiString Expected = Dump(*Source);
  EXPECT_NE(Expected.find("|5|454C 3 00 7F FF "), AnsiString::npos);
  EXPECT_NE(Expected.find("|5|454C 0 "), AnsiString::npos);

  for (bool Binary : {false, true})
    for (bool Trim : {false, true}) {
      const std::string Form = std::string(Binary ? "binary" : "text") + (Trim ? ", trimmed" : "");
      Source->SetBinaryMode(Binary);
      Source->SetTrimSpaces(Trim);
      const std::string Bytes = SavedBytes(*Source);
      auto Copy = NewIni();
      Copy->SetBinaryMode(Binary);
      Copy->SetTrimSpaces(Trim);
      ASSERT_NO_THROW(LoadBytes(*Copy, Bytes)) << Form;
      EXPECT_EQ(Dump(*Copy), Expected) << Form;
      EXPECT_EQ(SavedBytes(*Copy), Bytes) << Form;
      double Tiny = 0;
      EXPECT_TRUE(Copy->ReadFloat("\\Page", "Tiny", Tiny, 0));
      EXPECT_EQ(Tiny, 1e-20);
    }
}

TEST(VsIniText, TextThatOnlyLooksBinaryIsAStringAndTheRestOfTheFileLoads) {
  std::vector<const char*> Strings(std::begin(BinaryLookalikes), std::end(BinaryLookalikes));
  Strings.insert(Strings.end(), {"454C ", "454C 0", "454C 2 0A FF"});  // a blank short, untrimmed
  for (const char* S : Strings) {
    auto Ini = NewIni();
    LoadBytes(*Ini, std::string("[x]\r\nb=") + S + "\r\nafter=1\r\n");
    EXPECT_EQ(Ini->GetValueType("\\x", "b"), ivtString) << S;
    AnsiString Text;
    EXPECT_TRUE(Ini->ReadString("\\x", "b", Text, "?"));
    EXPECT_EQ(Text, S);
    EXPECT_EQ(Ini->GetValueType("\\x", "after"), ivtInteger) << S;
  }
  // What the store writes for binary data is binary data, trimmed or not.
  for (bool Trim : {false, true}) {
    auto Ini = NewIni();
    Ini->SetTrimSpaces(Trim);
    LoadBytes(*Ini, "[x]\r\ne=454C 0 \r\nb=454C 2 0A FF \r\n");
    int Size = 2;
    Byte Bytes[2] = {};
    EXPECT_TRUE(Ini->ReadBinary("\\x", "b", Size, Bytes));
    EXPECT_EQ(Size, 2);
    EXPECT_EQ(Bytes[1], 0xFF);
    Size = 0;
    EXPECT_TRUE(Ini->ReadBinary("\\x", "e", Size, nullptr)) << Trim;
  }
}

TEST(VsIniBinary, RecordsAreLaidOutByteForByte) {
  auto Ini = NewIni();
  Ini->SetBinaryMode(true);
  Ini->WriteInteger("", "n", 5);
  Ini->WriteString("\\k\\m", "s", "ab");
  TStringList L;
  L.Add("x");
  L.Add("");
  Ini->WriteMultiString("\\k", "L", &L);
  Ini->CreateValue("\\k", "untyped");  // type none: not written
  const std::string Expected = "\x01" + LP("") + std::string("\0", 1) + LP("n") + "\x02" + Int32(4) + Int32(5) +
                               "\x01" + LP("k") + std::string("\0", 1) + LP("L") + "\x04" + Int32(9) + LP("x") +
                               LP("") + "\x01" + LP("k\\m") + std::string("\0", 1) + LP("s") + "\x03" + Int32(6) +
                               LP("ab");
  EXPECT_EQ(SavedBytes(*Ini), Expected);
}

TEST(VsIni, DamagedDataRaisesAndLeavesTheStoreAsItWas) {
  const std::string Good = "\x01" + LP("") + std::string("\0", 1) + LP("n") + "\x02" + Int32(4) + Int32(5);
  const std::string Value = std::string("\0", 1) + LP("v");
  const std::string BadBinary[] = {
      Good.substr(0, Good.size() - 2),                           // cut off
      Good + "\x07",                                             // no such record
      Good + Value + "\x02" + Int32(-4) + Int32(5),              // negative size
      Good + Value + "\x02" + Int32(0x7FFFFFFF) + Int32(5),      // more than there is
      Good + std::string("\0", 1) + Int32(0x7FFFFFF0) + "v",     // a name longer than the data
      Good + "\x01" + Int32(-1),                                 // a key path of negative length
      Good + Value + "\x09" + Int32(1) + "x",                    // no such type
      Good + Value + "\x02" + Int32(3) + "abc",                  // an integer of 3 bytes
      Good + Value + "\x03" + Int32(6) + Int32(7) + "ab",        // a string longer than its record
      Good + Value + "\x04" + Int32(6) + Int32(5) + "ab",        // a list element likewise
      Good + Value + "\x05" + Int32(4) + Int32(-1),              // binary data of negative length
  };
  auto Ini = NewIni();
  Ini->SetBinaryMode(true);
  Ini->WriteString("\\keep", "me", "here");
  Ini->OpenKey("\\keep", false);
  const AnsiString Before = Dump(*Ini);
  for (const std::string& Bytes : BadBinary) {
    EXPECT_THROW(LoadBytes(*Ini, Bytes), EVsIniError);
    EXPECT_EQ(Dump(*Ini), Before);
    EXPECT_EQ(Ini->CurrentPath(), "\\keep");
    EXPECT_TRUE(Ini->Modified());
  }
  LoadBytes(*Ini, Good);
  EXPECT_FALSE(Ini->KeyExists("\\keep"));


  // Through a file: the error propagates after the after-event.
  const AnsiString Path = TempPath("damaged.bin");
  WriteFileBytes(Path, BadBinary[2]);
  TEventLog Events;
  Events.Attach(*Ini);
  Ini->SetPath(Path);
  EXPECT_THROW(Ini->Load(), EVsIniError);
  EXPECT_EQ(Events.Log, "<loadload>");
  DeleteFileA(Path.c_str());
}

// "a\a\...\a", Depth names.
AnsiString DeepPath(int Depth) {
  AnsiString P = "a";
  for (int I = 1; I < Depth; ++I) P += "\\a";
  return P;
}

TEST(VsIniKeys, KeysAreNestedAtMostAThousandLevels) {
  // Deep enough to have exhausted the stack when the tree was freed.
  const int TooDeep = 14500;
  auto Ini = NewIni();
  Ini->WriteInteger("\\keep", "n", 1);
  const AnsiString Before = Dump(*Ini);
  EXPECT_EQ(MessageOf<EVsIniError>([&] { LoadBytes(*Ini, "; x\r\n[" + DeepPath(TooDeep) + "]\r\nv=1\r\n"); }),
            "Keys nested deeper than 1000 levels in line 2");
  EXPECT_EQ(Dump(*Ini), Before);
  Ini->SetBinaryMode(true);
  const std::string Record = "\x01" + LP("k") + "\x01" + LP(DeepPath(1001));
  EXPECT_EQ(MessageOf<EVsIniError>([&] { LoadBytes(*Ini, Record); }),
            "Keys nested deeper than 1000 levels at offset 6");
  EXPECT_EQ(Dump(*Ini), Before);

  // Nor can a program build them any deeper.
  auto Built = NewIni();
  EXPECT_TRUE(Built->OpenKey("\\" + DeepPath(1000), true));
  EXPECT_FALSE(Built->OpenKey("a", true));
  EXPECT_EQ(Built->CurrentPath(), "\\" + DeepPath(1000));
  EXPECT_FALSE(Built->WriteInteger("a", "n", 1));
  ASSERT_TRUE(Built->WriteInteger("", "n", 1000));

  // A thousand levels go through either form and are freed.
  for (bool Binary : {false, true}) {
    Built->SetBinaryMode(Binary);
    auto Copy = NewIni();
    Copy->SetBinaryMode(Binary);
    LoadBytes(*Copy, SavedBytes(*Built));
    Integer N = 0;
    EXPECT_TRUE(Copy->ReadInteger("\\" + DeepPath(1000), "n", N, 0));
    EXPECT_EQ(N, 1000);
  }
}

TEST(VsIniKeys, ManyValuesInOneKeyKeepTheFirstOfEachName) {
  auto Ini = NewIni();
  for (int I = 0; I < 3000; ++I) ASSERT_TRUE(Ini->WriteInteger("\\k", "v" + IntToStr(I), I));
  Integer N = 0;
  EXPECT_TRUE(Ini->ReadInteger("\\k", " V2999 ", N, -1));
  EXPECT_EQ(N, 2999);
  // A key renamed to a value's name: the earlier of the two is found.
  ASSERT_TRUE(Ini->OpenKey("\\k\\sub", true));
  ASSERT_TRUE(Ini->RenameKey("\\k\\sub", "v5"));
  EXPECT_EQ(Ini->GetValueType("\\k", "v5"), ivtInteger);
  EXPECT_TRUE(Ini->Delete("\\k", "v5"));
  EXPECT_TRUE(Ini->KeyExists("\\k\\v5"));
  EXPECT_TRUE(Ini->RenameValue("\\k", "v7", "w"));
  EXPECT_EQ(Ini->GetValueType("\\k", "v7"), ivtNone);
  EXPECT_TRUE(Ini->ReadInteger("\\k", "W", N, -1));
  EXPECT_EQ(N, 7);
}

TEST(VsIni, ASaveThatFailsKeepsTheFileAsItWas) {
  const AnsiString Path = TempPath("safe.ini");
  const AnsiString Temp = Path + ".tmp";
  RemoveDirectoryA(Temp.c_str());
  DeleteFileA(Temp.c_str());
  DeleteFileA(Path.c_str());
  auto Ini = NewIni();
  Ini->SetPath(Path);
  Ini->SetWarningMessage("");
  ASSERT_TRUE(Ini->WriteInteger("\\s", "n", 1));
  ASSERT_TRUE(Ini->Save());
  EXPECT_EQ(GetFileAttributesA(Temp.c_str()), INVALID_FILE_ATTRIBUTES);
  const std::string Saved = ReadFileBytes(Path);
  ASSERT_EQ(Saved, "\r\n[s]\r\nn=1\r\n");

  // Held open by a program that lets others read and write it, but not
  // replace it.
  ASSERT_TRUE(Ini->WriteInteger("\\s", "n", 2));
  HANDLE Held = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(Held, INVALID_HANDLE_VALUE);
  TEventLog Events;
  Events.Attach(*Ini);
  EXPECT_EQ(MessageOf<EFCreateError>([&] { Ini->Save(); }), "Cannot create file " + Path);
  CloseHandle(Held);
  EXPECT_EQ(Events.Log, "<savesave>");
  EXPECT_EQ(ReadFileBytes(Path), Saved);
  EXPECT_EQ(GetFileAttributesA(Temp.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Ini->Modified());

  // Where the new file cannot be made at all.
  ASSERT_TRUE(CreateDirectoryA(Temp.c_str(), nullptr));
  EXPECT_EQ(MessageOf<EFCreateError>([&] { Ini->Save(); }), "Cannot create file " + Path);
  EXPECT_EQ(ReadFileBytes(Path), Saved);
  RemoveDirectoryA(Temp.c_str());

  ASSERT_TRUE(Ini->Save());
  EXPECT_EQ(ReadFileBytes(Path), "\r\n[s]\r\nn=2\r\n");
  Ini->SetPath("");
  DeleteFileA(Path.c_str());
}

TEST(VsIniKeys, OpenKeyWalksCreatesAndStopsAtTheDeepestKey) {
  auto Ini = NewIni();
  EXPECT_FALSE(Ini->OpenKey("\\a\\b", false));
  EXPECT_EQ(Ini->CurrentPath(), "\\");
  EXPECT_FALSE(Ini->Modified());
  EXPECT_TRUE(Ini->OpenKey("\\a\\b\\", true));
  EXPECT_EQ(Ini->CurrentPath(), "\\a\\b");
  EXPECT_TRUE(Ini->Modified());
  EXPECT_TRUE(Ini->OpenKey("c", true));
  EXPECT_EQ(Ini->CurrentPath(), "\\a\\b\\c");
  EXPECT_TRUE(Ini->OpenKey("\\A\\B", false));  // names ignore case; the path is as asked
  EXPECT_EQ(Ini->CurrentPath(), "\\A\\B");

  EXPECT_FALSE(Ini->OpenKey("\\a\\x\\y", false));
  EXPECT_EQ(Ini->CurrentPath(), "\\a");
  EXPECT_FALSE(Ini->OpenKey("\\a\\\\b", true));  // an empty name
  EXPECT_EQ(Ini->CurrentPath(), "\\a");

  // A value is opened as a key only when keys may be made.
  Ini->WriteInteger("\\", "v", 3);
  EXPECT_FALSE(Ini->OpenKey("\\v", false));
  EXPECT_TRUE(Ini->OpenKey("\\v", true));
  Integer N = 0;
  EXPECT_TRUE(Ini->ReadInteger("\\", "v", N, 0));
  EXPECT_EQ(N, 3);

  // Operations on other keys leave the current one.
  Ini->OpenKey("\\a", false);
  Ini->WriteString("b\\deep", "s", "x");
  EXPECT_EQ(Ini->CurrentPath(), "\\a");
  EXPECT_EQ(Ini->SubKeysCount("b"), 2);  // c and deep
  EXPECT_EQ(Ini->SubKeysCount("nope"), -1);
  EXPECT_TRUE(Ini->KeyExists("\\a\\b\\deep"));
}

TEST(VsIniKeys, RemovingOrRenamingAKeyAboveTheCurrentOneKeepsItValid) {
  auto Ini = NewIni();
  ASSERT_TRUE(Ini->OpenKey("\\a\\b\\c", true));
  Ini->WriteInteger("", "n", 1);

  // Clearing an ancestor: the cleared key becomes current.
  EXPECT_TRUE(Ini->ClearKey("\\a"));
  EXPECT_EQ(Ini->CurrentPath(), "\\a");
  EXPECT_FALSE(Ini->KeyExists("\\a\\b"));
  EXPECT_TRUE(Ini->WriteInteger("", "here", 2));
  EXPECT_EQ(Ini->GetValueType("\\a", "here"), ivtInteger);

  // Deleting an ancestor: its parent becomes current.
  ASSERT_TRUE(Ini->OpenKey("\\a\\b\\c", true));
  EXPECT_TRUE(Ini->Delete("\\a", ""));
  EXPECT_EQ(Ini->CurrentPath(), "\\");
  EXPECT_TRUE(Ini->WriteInteger("", "root", 3));
  EXPECT_FALSE(Ini->KeyExists("\\a"));

  // Deleting the current key itself.
  ASSERT_TRUE(Ini->OpenKey("\\x\\y", true));
  EXPECT_TRUE(Ini->Delete("", ""));
  EXPECT_EQ(Ini->CurrentPath(), "\\x");

  // The root is never removed.
  EXPECT_FALSE(Ini->Delete("\\", ""));
  EXPECT_FALSE(Ini->ClearKey("\\"));
  EXPECT_EQ(Ini->GetValueType("\\", "root"), ivtInteger);

  // Renaming an ancestor renames the current path with it.
  ASSERT_TRUE(Ini->OpenKey("\\x\\y\\z", true));
  Ini->OpenKey("\\x\\w", true);
  Ini->OpenKey("\\x\\y\\z", false);
  EXPECT_FALSE(Ini->RenameKey("\\x\\y", "w"));     // a sibling key has that name
  EXPECT_FALSE(Ini->RenameKey("\\x\\y", "a\\b"));  // no delimiters in names
  EXPECT_FALSE(Ini->RenameKey("\\", "r"));
  EXPECT_TRUE(Ini->RenameKey("\\x\\y", "Y"));       // its own name in another case
  EXPECT_TRUE(Ini->RenameKey("\\x\\Y", "v"));
  EXPECT_EQ(Ini->CurrentPath(), "\\x\\v\\z");
  EXPECT_TRUE(Ini->OpenKey("\\x\\v\\z", false));

  Ini->WriteString("\\x", "one", "1");
  Ini->WriteString("\\x", "two", "2");
  EXPECT_FALSE(Ini->RenameValue("\\x", "one", "TWO"));
  EXPECT_FALSE(Ini->RenameValue("\\x", "none", "three"));
  EXPECT_FALSE(Ini->RenameValue("\\x", "one", "a\\b"));
  EXPECT_TRUE(Ini->RenameValue("\\x", "one", "three"));
  AnsiString S;
  EXPECT_TRUE(Ini->ReadString("\\x", "three", S, ""));
  EXPECT_EQ(S, "1");

  EXPECT_TRUE(Ini->Delete("\\x", "three"));
  EXPECT_FALSE(Ini->Delete("\\x", "three"));
  Ini->Clear();
  EXPECT_EQ(Ini->CurrentPath(), "\\");
  EXPECT_EQ(Dump(*Ini), "");
}

TEST(VsIniValues, ReadersConvertBetweenTypes) {
  auto Ini = NewIni();
  Ini->WriteFloat("", "half", 2.5);
  Ini->WriteFloat("", "odd", 3.5);
  Ini->WriteFloat("", "huge", 1e12);
  Ini->WriteBool("", "yes", true);
  Ini->WriteString("", "num", "12");
  Ini->WriteString("", "word", "abc");
  Ini->WriteString("", "dot", "0.5");
  Ini->WriteInteger("", "int", 7);
  Ini->WriteString("", "text", "a\r\nb");

  struct IntCase {
    const char* Name;
    bool Result;
    Integer Value;
  };
  for (const IntCase& C : {IntCase{"half", true, 2}, IntCase{"odd", true, 4}, IntCase{"huge", false, -9},
                           IntCase{"yes", true, 1}, IntCase{"num", false, 12}, IntCase{"word", false, -9},
                           IntCase{"missing", false, -9}}) {
    Integer V = 0;
    EXPECT_EQ(Ini->ReadInteger("", C.Name, V, -9), C.Result) << C.Name;
    EXPECT_EQ(V, C.Value) << C.Name;
  }
  double F = 0;
  EXPECT_TRUE(Ini->ReadFloat("", "int", F, 0));
  EXPECT_EQ(F, 7.0);
  EXPECT_FALSE(Ini->ReadFloat("", "dot", F, 9));
  EXPECT_EQ(F, 0.5);
  EXPECT_FALSE(Ini->ReadFloat("", "word", F, 9));
  EXPECT_EQ(F, 9.0);
  bool B = false;
  EXPECT_TRUE(Ini->ReadBool("", "int", B, false));
  EXPECT_TRUE(B);
  EXPECT_FALSE(Ini->ReadBool("", "word", B, false));
  AnsiString S;
  EXPECT_FALSE(Ini->ReadString("", "half", S, "dflt"));  // floats are not turned into text
  EXPECT_EQ(S, "dflt");
  TStringList L;
  EXPECT_TRUE(Ini->ReadMultiString("", "text", &L));
  EXPECT_EQ(L.CommaText(), "a,b");

  const Byte Ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  Ini->WriteBinary("", "ten", 10, Ten);
  Byte Out[10] = {};
  int Size = 0;
  EXPECT_FALSE(Ini->ReadBinary("", "ten", Size, Out));
  EXPECT_EQ(Size, 10);
  EXPECT_TRUE(Ini->ReadBinary("", "ten", Size, Out));
  EXPECT_EQ(std::memcmp(Out, Ten, 10), 0);
  EXPECT_FALSE(Ini->ReadBinary("", "int", Size, Out));

  // Copies keep the type.
  for (const char* Name : {"half", "yes", "num", "int", "ten"}) {
    EXPECT_TRUE(Ini->CopyValue("", Name, "\\copy")) << Name;
    EXPECT_EQ(Ini->GetValueType("\\copy", Name), Ini->GetValueType("", Name)) << Name;
  }
  Ini->WriteMultiString("", "list", &L);
  EXPECT_TRUE(Ini->CopyValue("", "list", "\\copy"));
  EXPECT_EQ(Ini->GetValueType("\\copy", "list"), ivtMultiString);
  EXPECT_FALSE(Ini->CopyValue("", "missing", "\\copy"));

  // A typed empty value, and the key itself as an entry.
  Ini->SetValueType("\\t", "m", ivtMultiString);
  ASSERT_NE(Ini->GetValueEntry("\\t", "m"), nullptr);
  EXPECT_EQ(Ini->GetValueEntry("\\t", "m")->AsMultiString()->Count(), 0);
  EXPECT_EQ(Ini->GetValueEntry("\\t", "")->Name(), "t");
  EXPECT_EQ(Ini->GetValueEntry("\\", ""), nullptr);

  // Simple stores keep no Booleans, binary data or lists.
  Ini->SetSimple(true);
  EXPECT_FALSE(Ini->WriteBool("", "b", true));
  EXPECT_FALSE(Ini->WriteBinary("", "b", 10, Ten));
  EXPECT_FALSE(Ini->WriteMultiString("", "b", &L));
  EXPECT_EQ(Ini->GetValueType("", "b"), ivtNone);
}

TEST(VsIni, LazyWriteDecidesWhenTheFileIsWritten) {
  const AnsiString Path = TempPath("lazy.ini");
  DeleteFileA(Path.c_str());
  {
    auto Ini = NewIni();
    Ini->SetPath(Path);
    Ini->SetLazyWrite(false);
    Ini->SetWarningMessage("");
    EXPECT_TRUE(Ini->WriteInteger("\\s", "n", 5));
    EXPECT_EQ(ReadFileBytes(Path), "\r\n[s]\r\nn=5\r\n");
    EXPECT_FALSE(Ini->Modified());
  }
  {
    auto Ini = NewIni();
    TEventLog Events;
    Events.Attach(*Ini);
    Ini->SetPath(Path);
    Ini->SetWarningMessage("");
    ASSERT_TRUE(Ini->Load());
    EXPECT_TRUE(Ini->WriteInteger("\\s", "n", 6));
    EXPECT_EQ(ReadFileBytes(Path), "\r\n[s]\r\nn=5\r\n");
    EXPECT_TRUE(Ini->Modified());
    Ini.reset();  // saved at destruction
    EXPECT_EQ(Events.Log, "<loadload><savesave>");
    EXPECT_EQ(ReadFileBytes(Path), "\r\n[s]\r\nn=6\r\n");
  }
  // A store that was only read leaves its file alone, comments and all.
  const std::string HandWritten = "; mine\r\n[s]\r\n  n=6   ; six\r\n";
  WriteFileBytes(Path, HandWritten);
  {
    auto Ini = NewIni();
    Ini->SetPath(Path);
    ASSERT_TRUE(Ini->Load());
    Ini->OpenKey("\\s", false);
    EXPECT_FALSE(Ini->Modified());
  }
  EXPECT_EQ(ReadFileBytes(Path), HandWritten);
  DeleteFileA(Path.c_str());

  // Without a path there is nothing to save to.
  auto Ini = NewIni();
  EXPECT_FALSE(Ini->Save());
  EXPECT_FALSE(Ini->Load());
}

TEST(VsIni, LoadedFromALayoutReadsItsFileAndLeavesItAlone) {
  InitializeVsIni();
  const AnsiString Path = TempPath("layout.ini");
  const std::string Content = "; kept\r\n[k]\r\nv=1\r\n";
  WriteFileBytes(Path, Content);
  const std::string Layout = "object Store: TVsIniFile\r\n  Path = '" + Path + "'\r\n  TrimSpaces = True\r\nend\r\n";
  {
    auto Ini = NewIni();
    TStringStream S(Layout);
    ReadComponentLayout(&S, Ini.get());
    EXPECT_TRUE(Ini->TrimSpaces());
    Integer V = 0;
    EXPECT_TRUE(Ini->ReadInteger("\\k", "v", V, 0));
    EXPECT_EQ(V, 1);
  }
  EXPECT_EQ(ReadFileBytes(Path), Content);
  DeleteFileA(Path.c_str());
}

TEST(VsIni, SimpleModeKeepsOneLevelOfKeysNamedByWholePaths) {
  auto Ini = NewIni();
  Ini->WriteInteger("\\a\\b", "n", 1);
  Ini->WriteBool("\\a", "flag", true);
  Ini->OpenKey("\\a\\b", false);

  Ini->SetSimple(true);
  EXPECT_EQ(Ini->CurrentPath(), "\\");
  TStringList Keys;
  Ini->EnumSubKeys("\\", &Keys);
  EXPECT_EQ(Keys.CommaText(), "a,a\\b");
  Integer N = 0;
  EXPECT_TRUE(Ini->ReadInteger("\\a\\b", "n", N, 0));  // one key named "a\b"
  EXPECT_EQ(N, 1);
  EXPECT_TRUE(Ini->OpenKey("a\\b", false));
  EXPECT_EQ(Ini->CurrentPath(), "\\a\\b");
  EXPECT_TRUE(Ini->OpenKey("\\c\\d", true));
  Ini->EnumSubKeys("\\", &Keys);
  EXPECT_EQ(Keys.CommaText(), "a,a\\b,c\\d");

  Ini->SetSimple(false);
  Ini->EnumSubKeys("\\a", &Keys);
  EXPECT_EQ(Keys.CommaText(), "b");
  EXPECT_TRUE(Ini->KeyExists("\\c\\d"));
  bool Flag = false;
  EXPECT_TRUE(Ini->ReadBool("\\a", "flag", Flag, false));  // written as 1 in simple form
  EXPECT_TRUE(Flag);
}

namespace {

const char* const TestKey = "Software\\SlovantaVsIniTest";

class VsIniRegistry : public ::testing::Test {
protected:
  void SetUp() override {
    TRegistry Reg;
    Reg.DeleteKey(AnsiString("\\") + TestKey);
    Ini = NewIni();
    Ini->SetPath(AnsiString("\\") + TestKey + "\\");
    Ini->SetUseRegistry(true);
  }
  void TearDown() override {
    Ini.reset();
    TRegistry Reg;
    Reg.DeleteKey(AnsiString("\\") + TestKey);
  }
  // The raw value, straight from the registry.
  bool Raw(const AnsiString& Key, const AnsiString& Name, DWORD& Type, std::string& Data) {
    HKEY K;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (AnsiString(TestKey) + Key).c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS)
      return false;
    char Buffer[256];
    DWORD Size = sizeof Buffer;
    const bool Ok = RegQueryValueExA(K, Name.c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(Buffer), &Size) ==
                    ERROR_SUCCESS;
    RegCloseKey(K);
    Data.assign(Buffer, Ok ? Size : 0);
    return Ok;
  }
  void SetRaw(const AnsiString& Key, const AnsiString& Name, DWORD Type, const std::string& Data) {
    HKEY K;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (AnsiString(TestKey) + Key).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &K, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(K, Name.c_str(), 0, Type, reinterpret_cast<const BYTE*>(Data.data()),
                   static_cast<DWORD>(Data.size()));
    RegCloseKey(K);
  }
  TOwned<TVsIniFile> Ini;
};

}  // namespace

TEST_F(VsIniRegistry, ValuesAreStoredAsRegistryTypes) {
  EXPECT_EQ(Ini->Path(), AnsiString("\\") + TestKey);
  EXPECT_EQ(Ini->RegRoot(), rrtHKEY_CURRENT_USER);
  FillEveryType(*Ini);
  EXPECT_EQ(Ini->CurrentPath(), "\\");

  struct Case {
    const char* Key;
    const char* Name;
    DWORD Type;
    std::string Data;
  };
  double Zoom = 1.25;
  const Case Cases[] = {
      {"", "Count", REG_DWORD, Int32(-17)},
      {"\\Page\\Options", "Visible", REG_DWORD, Int32(1)},
      {"\\Page\\Options", "Hidden", REG_DWORD, Int32(0)},
      {"\\Page", "Title", REG_SZ, WideToAnsi(L"Zażółć gęślą jaźń") + std::string("\0", 1)},
      {"\\Page", "Zoom", REG_BINARY, std::string(reinterpret_cast<const char*>(&Zoom), 8)},
      {"\\Page\\Options", "Blob", REG_BINARY, std::string("\x00\x7F\xFF", 3)},
      {"\\Page", "Lines", REG_MULTI_SZ, WideToAnsi(L"pierwszy wiersz") + std::string("\0\0third\0\0", 9)},
  };
  for (const Case& C : Cases) {
    DWORD Type = 0;
    std::string Data;
    ASSERT_TRUE(Raw(C.Key, C.Name, Type, Data)) << C.Name;
    EXPECT_EQ(Type, C.Type) << C.Name;
    EXPECT_EQ(Data, C.Data) << C.Name;
  }

  // Read back through the store (the registry lists names alphabetically).
  EXPECT_EQ(SortedLines(Dump(*Ini)), SortedLines(
            "\\|Count|2|-17\n"
            "\\ key Page\n"
            "\\Page|Title|3|" + WideToAnsi(L"Zażółć gęślą jaźń") + "\n"
            "\\Page|Zoom|5|454C 8 00 00 00 00 00 00 F4 3F \n"
            "\\Page|Tiny|5|" + [] {
              double T = 1e-20;
              return BinaryToHexText(&T, 8);
            }() + "\n"
            "\\Page|Lines|4|" + WideToAnsi(L"pierwszy wiersz") + "\r\n\r\nthird\n"
            "\\Page key Empty key\n"
            "\\Page key Options\n"
            "\\Page\\Options|Visible|2|1\n"
            "\\Page\\Options|Hidden|2|0\n"
            "\\Page\\Options|Blob|5|454C 3 00 7F FF \n"
            "\\Page\\Options|Empty|5|454C 0 \n"));
  double D = 0;
  EXPECT_TRUE(Ini->ReadFloat("\\Page", "Zoom", D, 0));
  EXPECT_EQ(D, 1.25);
  bool B = false;
  EXPECT_TRUE(Ini->ReadBool("Page\\Options", "Visible", B, false));
  EXPECT_TRUE(B);
  TStringList L;
  EXPECT_TRUE(Ini->ReadMultiString("\\Page", "Lines", &L));
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(Ini->GetValueType("\\Page\\Title", ""), ivtString);
  EXPECT_TRUE(Ini->OpenKey("Page", false));
  EXPECT_EQ(Ini->CurrentPath(), "\\Page");
  EXPECT_TRUE(Ini->OpenKey("Options", false));
  EXPECT_EQ(Ini->CurrentPath(), "\\Page\\Options");
  EXPECT_FALSE(Ini->OpenKey("Missing", false));
  EXPECT_EQ(Ini->CurrentPath(), "\\Page\\Options");
}

TEST_F(VsIniRegistry, KeysAreDeletedWithEverythingBelowThem) {
  Ini->WriteInteger("\\a\\b\\c", "n", 1);
  Ini->WriteInteger("\\a", "b", 2);  // a value named like the key
  Ini->WriteInteger("\\a", "keep", 3);
  EXPECT_EQ(Ini->SubKeysCount("\\a"), 1);
  TStringList Names;
  Ini->EnumValues("\\a", &Names);
  EXPECT_EQ(Names.CommaText(), "keep");  // names of subkeys are left out

  ASSERT_TRUE(Ini->OpenKey("\\a\\b\\c", false));
  EXPECT_TRUE(Ini->Delete("\\a\\b", ""));
  EXPECT_EQ(Ini->CurrentPath(), "\\a");  // the nearest key left
  EXPECT_FALSE(Ini->KeyExists("\\a\\b"));
  EXPECT_EQ(Ini->GetValueType("\\a", "b"), ivtNone);
  EXPECT_EQ(Ini->GetValueType("\\a", "keep"), ivtInteger);

  Ini->WriteString("\\a\\x\\y", "s", "t");
  EXPECT_TRUE(Ini->ClearKey("\\a"));
  EXPECT_EQ(Ini->SubKeysCount("\\a"), 0);
  EXPECT_EQ(Ini->GetValueType("\\a", "keep"), ivtNone);
  EXPECT_FALSE(Ini->ClearKey("\\"));
  EXPECT_FALSE(Ini->Delete("\\", ""));
  EXPECT_TRUE(Ini->KeyExists("\\a"));

  Ini->WriteString("\\a", "old", "v");
  EXPECT_TRUE(Ini->RenameValue("\\a", "old", "new"));
  EXPECT_FALSE(Ini->RenameValue("\\a", "old", "newer"));
  AnsiString S;
  EXPECT_TRUE(Ini->ReadString("\\a", "new", S, ""));
  EXPECT_EQ(S, "v");
}

TEST_F(VsIniRegistry, TreeOperationsAreRefusedAndDamagedValuesAreNotRead) {
  const std::pair<std::function<void()>, std::string> Refused[] = {
      {[&] { Ini->Clear(); }, "Clearing the whole registry is not allowed. Use ClearKey instead."},
      {[&] { Ini->CreateValue("", "x"); }, "CreateValue method is not available when using registry."},
      {[&] { Ini->GetValueEntry("", "x"); }, "GetValueEntry method is not available when using registry."},
      {[&] { Ini->SetValueType("", "x", ivtInteger); }, "SetValueType method is not available when using registry."},
      {[&] { Ini->RenameKey("\\a", "b"); }, "Key can not be renamed when using registry."},
      {[&] { Ini->SetDelimiter('/'); }, "Changing delimiter is not available when using registry."},
  };
  for (const auto& [Body, Message] : Refused) EXPECT_EQ(MessageOf<EVsIniError>(Body), Message);
  Ini->SetDelimiter('\\');

  SetRaw("\\d", "short", REG_DWORD, "\x01\x02");
  SetRaw("\\d", "seven", REG_BINARY, "1234567");
  SetRaw("\\d", "unended", REG_SZ, "abc");
  SetRaw("\\d", "terminator", REG_SZ, std::string("\0", 1));
  SetRaw("\\d", "list", REG_MULTI_SZ, std::string("a\0b", 3));
  Integer N = 5;
  EXPECT_FALSE(Ini->ReadInteger("\\d", "short", N, 5));
  EXPECT_EQ(N, 5);
  double D = 0;
  EXPECT_FALSE(Ini->ReadFloat("\\d", "seven", D, 2));
  EXPECT_EQ(D, 2.0);
  AnsiString S;
  EXPECT_TRUE(Ini->ReadString("\\d", "unended", S, ""));
  EXPECT_EQ(S, "abc");
  EXPECT_TRUE(Ini->ReadString("\\d", "terminator", S, "dflt"));
  EXPECT_EQ(S, "dflt");
  EXPECT_TRUE(Ini->ReadString("\\d", "list", S, ""));
  EXPECT_EQ(S, "a\r\nb");
  int Size = 0;
  EXPECT_FALSE(Ini->ReadBinary("\\d", "seven", Size, nullptr));
  EXPECT_EQ(Size, 7);
}
