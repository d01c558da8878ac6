#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <tuple>

#include "IniFiles.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

std::string ReadBytes(const AnsiString& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

void WriteBytes(const AnsiString& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary) << Bytes;
}

AnsiString TempFolder() {
  char Path[MAX_PATH];
  DWORD Len = GetTempPathA(MAX_PATH, Path);
  return AnsiString(Path, Len);
}

// A scratch ini file in the temporary folder, removed before and after.
class IniFileTest : public ::testing::Test {
protected:
  void SetUp() override { DeleteFileA(Path.c_str()); }
  void TearDown() override { DeleteFileA(Path.c_str()); }
  const AnsiString Path = TempFolder() + "slovanta_ini_test.ini";
};

TEST_F(IniFileTest, EveryTypeRoundTrips) {
  const AnsiString Polish = "za\xBF\xF3\xB3\xE6";  // "zażółć" in code page 1250
  {
    TIniFile Ini(Path);
    Ini.WriteString("Types", "Str", Polish);
    Ini.WriteInteger("Types", "Int", -7);
    Ini.WriteBool("Types", "On", true);
    Ini.WriteBool("Types", "Off", false);
    Ini.WriteFloat("Types", "Flt", 2.5);
  }
  std::string Bytes = ReadBytes(Path);
  EXPECT_NE(std::string::npos, Bytes.find("On=1\r\n"));
  EXPECT_NE(std::string::npos, Bytes.find("Off=0\r\n"));
  EXPECT_NE(std::string::npos, Bytes.find("Str=" + Polish + "\r\n"));

  TIniFile Ini(Path);
  EXPECT_EQ(Polish, Ini.ReadString("Types", "Str", ""));
  EXPECT_EQ(-7, Ini.ReadInteger("Types", "Int", 0));
  EXPECT_TRUE(Ini.ReadBool("Types", "On", false));
  EXPECT_FALSE(Ini.ReadBool("Types", "Off", true));
  EXPECT_EQ(2.5, Ini.ReadFloat("Types", "Flt", 0));
  EXPECT_EQ("dflt", Ini.ReadString("Types", "Missing", "dflt"));
  EXPECT_EQ(1.5, Ini.ReadFloat("Types", "Str", 1.5));
}

TEST_F(IniFileTest, IntegersAndBooleansFromText) {
  struct TCase {
    const char* Text;
    int Integer;  // read with the default 99
    bool Bool;    // read with the default true
  } Cases[] = {
      {"12", 12, true},   {"-3", -3, true},   {"0", 0, false},         {"$1F", 31, true},
      {"0x1f", 31, true}, {"2", 2, true},     {"abc", 99, true},       {"", 99, true},
      {"12x", 99, true},  {"1.5", 99, true},  {"99999999999", 99, true},
  };
  TIniFile Ini(Path);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    Ini.WriteString("n", "v", C.Text);
    EXPECT_EQ(C.Integer, Ini.ReadInteger("n", "v", 99));
    EXPECT_EQ(C.Bool, Ini.ReadBool("n", "v", true));
  }
}

TEST_F(IniFileTest, LongValuesAreReadCompletely) {
  AnsiString Long;
  for (int I = 0; Long.size() < 5000; ++I) Long += IntToStr(I) + ",";
  TIniFile Ini(Path);
  Ini.WriteString("s", "long", Long);
  EXPECT_EQ(Long, Ini.ReadString("s", "long", ""));
  AnsiString Exact(2047, 'x');  // exactly fills the first buffer
  Ini.WriteString("s", "exact", Exact);
  EXPECT_EQ(Exact, Ini.ReadString("s", "exact", ""));
}

TEST(IniFile, BareFileNameLiesInTheWindowsFolder) {
  char Windows[MAX_PATH];
  UINT Len = GetWindowsDirectoryA(Windows, MAX_PATH);
  AnsiString Expected = AnsiString(Windows, Len) + "\\slovanta_bare_test.ini";
  DeleteFileA(Expected.c_str());
  {
    TIniFile Ini("slovanta_bare_test.ini");
    Ini.WriteInteger("x", "y", 5);
  }
  EXPECT_NE(std::string::npos, ReadBytes(Expected).find("y=5"));
  EXPECT_EQ(5, TIniFile("slovanta_bare_test.ini").ReadInteger("x", "y", 0));
  DeleteFileA(Expected.c_str());
}

TEST_F(IniFileTest, SectionOperations) {
  WriteBytes(Path,
             "[users]\r\n0 =  Ala  \r\n1=\"Ola Nowak\"\r\n2='x'\r\n\r\n"
             "[test]\r\nrepeat count=3\r\n\r\n[empty]\r\n");
  TIniFile Ini(Path);
  TStringList List;
  Ini.ReadSectionValues("users", &List);
  EXPECT_EQ("0=Ala\r\n1=Ola Nowak\r\n2=x\r\n", List.Text());  // as the system reads them
  Ini.ReadSection("USERS", &List);
  EXPECT_EQ("0\r\n1\r\n2\r\n", List.Text());
  Ini.ReadSections(&List);
  EXPECT_EQ("users\r\ntest\r\nempty\r\n", List.Text());
  EXPECT_TRUE(Ini.SectionExists("test"));
  EXPECT_FALSE(Ini.SectionExists("nowhere"));
  EXPECT_TRUE(Ini.ValueExists("test", "Repeat Count"));
  EXPECT_FALSE(Ini.ValueExists("test", "repeat"));

  Ini.EraseSection("users");
  Ini.DeleteKey("test", "repeat count");
  Ini.WriteString("test", "randomize", "0");
  Ini.ReadSectionValues("users", &List);
  EXPECT_EQ(0, List.Count());
  Ini.ReadSectionValues("test", &List);
  EXPECT_EQ("randomize=0\r\n", List.Text());
  Ini.UpdateFile();
  EXPECT_EQ(std::string::npos, ReadBytes(Path).find("Ala"));
}

TEST_F(IniFileTest, LineBreaksAreRefusedByBothKinds) {
  TIniFile Ini(Path);
  Ini.WriteString("s", "k", "before");
  TMemIniFile Mem("");
  for (auto [Section, Ident, Value] : {std::tuple{"s", "k", "a\r\n[s]\r\nk=injected"},
                                       std::tuple{"s", "k\n", "v"}, std::tuple{"s\r", "k", "v"}}) {
    EXPECT_THROW(Ini.WriteString(Section, Ident, Value), EIniFileException);
    EXPECT_THROW(Mem.WriteString(Section, Ident, Value), EIniFileException);
  }
  EXPECT_EQ("before", Ini.ReadString("s", "k", ""));
}

// ---- TMemIniFile --------------------------------------------------------------

const AnsiString OddFixture = FIXTURES_DIR "/inifiles/odd_spacing.ini";

TEST_F(IniFileTest, MemIniParsesOddSpacingAndCase) {
  TMemIniFile Ini(OddFixture);
  EXPECT_EQ("Value with  inner  spaces", Ini.ReadString("main", "NAME", ""));  // the first one wins
  EXPECT_EQ("x=y", Ini.ReadString("MAIN", "key2", ""));
  EXPECT_EQ("merged", Ini.ReadString("Main", "late", ""));  // a repeated section joins the first
  EXPECT_EQ("\xBF\xF3\xB3w", Ini.ReadString("main", "polish", ""));
  EXPECT_EQ("1", Ini.ReadString("Other", "a", ""));
  EXPECT_EQ("-", Ini.ReadString("main", "bare line", "-"));
  EXPECT_EQ("-", Ini.ReadString("", "orphan", "-"));  // before any section: no key

  TStringList List;
  Ini.ReadSections(&List);
  EXPECT_EQ("Main\r\nother\r\n", List.Text());
  Ini.ReadSection("main", &List);
  EXPECT_EQ("Name\r\nKEY2\r\nlate\r\nname\r\nPolish\r\n", List.Text());
  Ini.ReadSectionValues("other", &List);
  EXPECT_EQ("a=1\r\n", List.Text());

  // Written back tidied, with nothing but blank lines and trailing comments lost.
  Ini.Rename(Path, false);
  Ini.UpdateFile();
  EXPECT_EQ(
      "; settings of a test\r\norphan=before any section\r\n\r\n"
      "[Main]\r\nName=Value with  inner  spaces\r\nKEY2=x=y\r\nbare line\r\nlate=merged\r\nname=shadowed\r\n"
      "Polish=\xBF\xF3\xB3w\r\n\r\n"
      "[other]\r\na=1\r\n\r\n",
      ReadBytes(Path));
}

TEST_F(IniFileTest, MemIniEditsReachTheFileOnlyOnUpdate) {
  TMemIniFile Ini(Path);  // no such file yet: empty
  TStringList List;
  Ini.ReadSections(&List);
  EXPECT_EQ(0, List.Count());

  Ini.WriteString("A", "k", " v1 ");
  Ini.WriteString("a", "K", "v2");  // the same key
  Ini.WriteInteger("B", "n", 5);
  Ini.WriteBool("B", "gone", true);
  EXPECT_EQ("v2", Ini.ReadString("A", "k", ""));
  Ini.DeleteKey("b", "GONE");
  EXPECT_FALSE(Ini.ValueExists("B", "gone"));
  EXPECT_TRUE(Ini.SectionExists("b"));
  EXPECT_FALSE(FileExists(Path));

  Ini.UpdateFile();
  EXPECT_EQ("[A]\r\nk=v2\r\n\r\n[B]\r\nn=5\r\n\r\n", ReadBytes(Path));

  Ini.EraseSection("a");
  EXPECT_EQ(5, Ini.ReadInteger("b", "n", 0));  // found where it moved to
  Ini.WriteString("\xBF\xF3\xB3w", "k", "1");
  EXPECT_EQ("1", Ini.ReadString("\xAF\xD3\xA3W", "k", ""));  // Polish letters in either case
  Ini.EraseSection("\xBF\xF3\xB3w");
  Ini.GetStrings(&List);
  EXPECT_EQ("[B]\r\nn=5\r\n\r\n", List.Text());
  List.SetText("[C]\r\nx = 1\r\n");
  Ini.SetStrings(&List);
  EXPECT_FALSE(Ini.SectionExists("B"));
  EXPECT_EQ(1, Ini.ReadInteger("c", "x", 0));

  Ini.Rename(Path, true);  // back to the file's content
  EXPECT_EQ(5, Ini.ReadInteger("B", "n", 0));
  EXPECT_FALSE(Ini.SectionExists("C"));
  Ini.Clear();
  Ini.ReadSections(&List);
  EXPECT_EQ(0, List.Count());
}

}  // namespace
