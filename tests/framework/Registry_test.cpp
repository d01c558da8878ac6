#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "Registry.h"
#include "SysUtils.h"
#include "Win.h"

#include <shlwapi.h>

namespace {

const char TestKey[] = "Software\\SlovantaTest";

// Every test starts and ends without HKCU\Software\SlovantaTest.
class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    SHDeleteKeyA(HKEY_CURRENT_USER, TestKey);
    SHDeleteKeyA(HKEY_CURRENT_USER, "SlovantaTestOutside");
  }

  // The raw value as the system stores it, as the oracle.
  static bool RawValue(const char* SubKey, const char* Name, DWORD& Type, std::string& Data) {
    HKEY Key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(TestKey) + SubKey).c_str(), 0, KEY_READ, &Key) !=
        ERROR_SUCCESS)
      return false;
    BYTE Buffer[256];
    DWORD Size = sizeof Buffer;
    LONG Result = RegQueryValueExA(Key, Name, nullptr, &Type, Buffer, &Size);
    RegCloseKey(Key);
    Data.assign(reinterpret_cast<char*>(Buffer), Size);
    return Result == ERROR_SUCCESS;
  }

  static AnsiString Names(TStrings& List) {
    TStringList Sorted;
    Sorted.Assign(&List);
    Sorted.Sort();
    return Sorted.CommaText();
  }

  TRegistry Reg;
};

TEST_F(RegistryTest, EveryTypeRoundTripsWithTheSystemsLayout) {
  ASSERT_TRUE(Reg.OpenKey(TestKey, true));
  const AnsiString Polish = "za\xBF\xF3\xB3\xE6";  // "zażółć" in code page 1250
  Reg.WriteString("Str", Polish);
  Reg.WriteExpandString("Exp", "%WINDIR%\\x");
  Reg.WriteInteger("Int", -5);
  Reg.WriteBool("Yes", true);
  Reg.WriteBool("No", false);
  Reg.WriteFloat("Flt", 1.25);
  const unsigned char Bytes[] = {0, 1, 0xFF, 7};
  Reg.WriteBinaryData("Bin", Bytes, sizeof Bytes);

  EXPECT_EQ(Polish, Reg.ReadString("Str"));
  EXPECT_EQ("%WINDIR%\\x", Reg.ReadString("Exp"));  // not expanded
  EXPECT_EQ(-5, Reg.ReadInteger("Int"));
  EXPECT_TRUE(Reg.ReadBool("Yes"));
  EXPECT_FALSE(Reg.ReadBool("No"));
  EXPECT_EQ(1.25, Reg.ReadFloat("Flt"));
  unsigned char Back[8] = {};
  EXPECT_EQ(4, Reg.ReadBinaryData("Bin", Back, sizeof Back));
  EXPECT_EQ(0, std::memcmp(Bytes, Back, sizeof Bytes));

  EXPECT_EQ(rdString, Reg.GetDataType("Str"));
  EXPECT_EQ(rdExpandString, Reg.GetDataType("Exp"));
  EXPECT_EQ(rdInteger, Reg.GetDataType("Int"));
  EXPECT_EQ(rdBinary, Reg.GetDataType("Flt"));
  EXPECT_EQ(rdUnknown, Reg.GetDataType("Missing"));
  EXPECT_EQ(7, Reg.GetDataSize("Str"));  // with the terminator
  EXPECT_EQ(-1, Reg.GetDataSize("Missing"));

  DWORD Type;
  std::string Data;
  ASSERT_TRUE(RawValue("", "Str", Type, Data));
  EXPECT_EQ(DWORD(REG_SZ), Type);
  EXPECT_EQ(Polish + '\0', Data);
  ASSERT_TRUE(RawValue("", "Int", Type, Data));
  EXPECT_EQ(DWORD(REG_DWORD), Type);
  EXPECT_EQ(std::string("\xFB\xFF\xFF\xFF", 4), Data);
  ASSERT_TRUE(RawValue("", "Yes", Type, Data));
  EXPECT_EQ(std::string("\x01\0\0\0", 4), Data);
  ASSERT_TRUE(RawValue("", "Flt", Type, Data));
  EXPECT_EQ(DWORD(REG_BINARY), Type);
  EXPECT_EQ(std::string("\0\0\0\0\0\0\xF4\x3F", 8), Data);  // 1.25 as a little-endian double
}

TEST_F(RegistryTest, MissingOrMistypedValuesRaiseInvalidDataType) {
  ASSERT_TRUE(Reg.OpenKey(TestKey, true));
  Reg.WriteString("Str", "12");
  Reg.WriteInteger("Int", 1);
  const char Four[4] = {1, 2, 3, 4};
  Reg.WriteBinaryData("Bin4", Four, 4);
  char Small[2];
  struct TCase {
    const char* Name;
    std::function<void()> Read;
  } Cases[] = {
      {"Missing", [&] { Reg.ReadString("Missing"); }},
      {"Missing", [&] { Reg.ReadInteger("Missing"); }},
      {"Str", [&] { Reg.ReadInteger("Str"); }},
      {"Str", [&] { Reg.ReadBool("Str"); }},
      {"Int", [&] { Reg.ReadString("Int"); }},
      {"Bin4", [&] { Reg.ReadFloat("Bin4"); }},
      {"Int", [&] { Reg.ReadFloat("Int"); }},
      {"Bin4", [&] { Reg.ReadBinaryData("Bin4", Small, sizeof Small); }},  // does not fit
      {"Str", [&] { Reg.ReadBinaryData("Str", Small, sizeof Small); }},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    try {
      C.Read();
      ADD_FAILURE() << "no exception";
    } catch (const ERegistryException& E) {
      EXPECT_EQ(Format(WideToAnsi(L"Nieprawidłowy typ danych wartości „%s”"), C.Name), E.Message());
    }
  }
}

TEST_F(RegistryTest, FailedWritesRaise) {
  try {
    Reg.WriteString("x", "no key is open");
    ADD_FAILURE() << "no exception";
  } catch (const ERegistryException& E) {
    EXPECT_EQ(WideToAnsi(L"Nie można zapisać wartości „x”"), E.Message());
  }
  ASSERT_TRUE(Reg.CreateKey(TestKey));
  ASSERT_TRUE(Reg.OpenKeyReadOnly(TestKey));
  EXPECT_EQ(REGSAM(KEY_READ), Reg.Access());
  EXPECT_THROW(Reg.WriteInteger("y", 1), ERegistryException);
  EXPECT_FALSE(Reg.ValueExists("y"));
}

TEST_F(RegistryTest, RelativeAndAbsolutePaths) {
  ASSERT_TRUE(Reg.OpenKey(TestKey, true));
  EXPECT_EQ(TestKey, Reg.CurrentPath());
  ASSERT_TRUE(Reg.OpenKey("A\\B\\", true));  // relative to the current key
  EXPECT_EQ("Software\\SlovantaTest\\A\\B", Reg.CurrentPath());
  Reg.WriteInteger("v", 3);

  HKEY Before = Reg.CurrentKey();
  EXPECT_FALSE(Reg.OpenKey("Missing", false));
  EXPECT_EQ(Before, Reg.CurrentKey());  // a failed open keeps the current key
  EXPECT_EQ("Software\\SlovantaTest\\A\\B", Reg.CurrentPath());

  ASSERT_TRUE(Reg.OpenKey("\\Software\\SlovantaTest\\A", false));  // absolute, from the root
  EXPECT_EQ("Software\\SlovantaTest\\A", Reg.CurrentPath());
  EXPECT_TRUE(Reg.HasSubKeys());
  EXPECT_TRUE(Reg.KeyExists("B"));
  EXPECT_TRUE(Reg.KeyExists("\\Software\\SlovantaTest\\A\\B"));
  EXPECT_FALSE(Reg.KeyExists("C"));
  ASSERT_TRUE(Reg.OpenKey("B", false));
  EXPECT_EQ(3, Reg.ReadInteger("v"));
  EXPECT_FALSE(Reg.HasSubKeys());

  Reg.CloseKey();
  EXPECT_EQ(nullptr, Reg.CurrentKey());
  EXPECT_EQ("", Reg.CurrentPath());
  EXPECT_TRUE(Reg.KeyExists("Software\\SlovantaTest\\A"));  // relative to the root again
}

TEST_F(RegistryTest, RenameValueMovesTypeAndDataAndNeverOverwrites) {
  ASSERT_TRUE(Reg.OpenKey(TestKey, true));
  Reg.WriteInteger("Old", 77);
  Reg.WriteString("Taken", "keep me");

  EXPECT_TRUE(Reg.RenameValue("Old", "New"));
  EXPECT_FALSE(Reg.ValueExists("Old"));
  EXPECT_EQ(rdInteger, Reg.GetDataType("New"));
  EXPECT_EQ(77, Reg.ReadInteger("New"));

  EXPECT_FALSE(Reg.RenameValue("New", "Taken"));
  EXPECT_FALSE(Reg.RenameValue("New", "NEW"));  // the same value: names ignore case
  EXPECT_EQ(77, Reg.ReadInteger("New"));
  EXPECT_EQ("keep me", Reg.ReadString("Taken"));
  EXPECT_FALSE(Reg.RenameValue("Missing", "Other"));
  EXPECT_FALSE(Reg.ValueExists("Other"));
}

TEST_F(RegistryTest, DeleteKeyRemovesSubkeysAndNamesAreListed) {
  ASSERT_TRUE(Reg.OpenKey("\\Software\\SlovantaTest\\Tree\\Deep\\Deeper", true));
  Reg.WriteString("leaf", "x");
  ASSERT_TRUE(Reg.OpenKey("\\Software\\SlovantaTest\\Tree", false));
  Reg.WriteString("v1", "a");
  Reg.WriteInteger("v2", 2);
  ASSERT_TRUE(Reg.CreateKey("Second"));

  TStringList List;
  Reg.GetKeyNames(&List);
  EXPECT_EQ("Deep,Second", Names(List));
  Reg.GetValueNames(&List);
  EXPECT_EQ("v1,v2", Names(List));
  EXPECT_TRUE(Reg.DeleteValue("v1"));
  EXPECT_FALSE(Reg.DeleteValue("v1"));

  EXPECT_TRUE(Reg.DeleteKey("Deep"));
  EXPECT_FALSE(Reg.KeyExists("Deep"));
  EXPECT_TRUE(Reg.KeyExists("Second"));
  EXPECT_FALSE(Reg.DeleteKey("Deep"));
  EXPECT_FALSE(Reg.DeleteKey(""));  // the current key itself is not deleted this way
  Reg.CloseKey();
  EXPECT_TRUE(Reg.DeleteKey("\\Software\\SlovantaTest\\Tree"));
  EXPECT_FALSE(Reg.KeyExists("Software\\SlovantaTest\\Tree"));
}

TEST_F(RegistryTest, RegIniFileKeepsSectionsAsSubkeys) {
  TStringList List;
  {
    TRegIniFile Ini("Software\\SlovantaTest\\Ini");
    Ini.WriteString("Main", "Name", "Ala");
    Ini.WriteInteger("Main", "Count", 12);
    Ini.WriteBool("Other", "Flag", true);
    Ini.ReadSections(&List);
    EXPECT_EQ("Main,Other", Names(List));
    Ini.ReadSection("Main", &List);
    EXPECT_EQ("Count,Name", Names(List));
  }
  ASSERT_TRUE(Reg.OpenKey("\\Software\\SlovantaTest\\Ini\\Main", false));
  EXPECT_EQ(12, Reg.ReadInteger("Count"));
  Reg.WriteString("Hex", "$1F");
  Reg.CloseKey();

  TRegIniFile Ini("Software\\SlovantaTest\\Ini");
  EXPECT_EQ("Ala", Ini.ReadString("Main", "Name", "-"));
  EXPECT_EQ(12, Ini.ReadInteger("Main", "Count", 0));
  EXPECT_EQ(31, Ini.ReadInteger("Main", "Hex", 0));
  EXPECT_EQ(5, Ini.ReadInteger("Main", "Name", 5));   // not a number
  EXPECT_EQ("-", Ini.ReadString("Main", "Count", "-"));  // not a string
  EXPECT_EQ("-", Ini.ReadString("Nowhere", "Name", "-"));
  EXPECT_TRUE(Ini.ReadBool("Other", "Flag", false));
  EXPECT_TRUE(Ini.ReadBool("Other", "Missing", true));

  Ini.DeleteKey("Main", "Name");
  EXPECT_EQ("-", Ini.ReadString("Main", "Name", "-"));
  Ini.EraseSection("Other");
  Ini.ReadSections(&List);
  EXPECT_EQ("Main", Names(List));

  // Section names stay below the file's key, even when they look absolute.
  ASSERT_TRUE(Reg.CreateKey("\\SlovantaTestOutside"));
  Ini.EraseSection("\\SlovantaTestOutside");
  EXPECT_TRUE(Reg.KeyExists("\\SlovantaTestOutside"));
  Ini.WriteString("\\Abs", "x", "1");
  EXPECT_TRUE(Reg.KeyExists("\\Software\\SlovantaTest\\Ini\\Abs"));
}

}  // namespace
