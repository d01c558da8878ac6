#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Streams.h"
#include "UniSysUtils.h"
#include "UniSystem.h"

namespace {

class UniEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeUniSysUtils();
    InitializeUniSystem();
  }
  void TearDown() override {
    FinalizeUniSystem();
  }
};
::testing::Environment* const Environment = ::testing::AddGlobalTestEnvironment(new UniEnvironment);

// Takes the 8-bit paths of the wrappers while it lives.
struct TAnsiPlatform {
  TAnsiPlatform() { IsUnicodePlatform = false; }
  ~TAnsiPlatform() { IsUnicodePlatform = true; }
};

// A folder of its own under the temporary folder, removed with its files.
class TTempFolder {
public:
  TTempFolder() {
    WideChar Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    FPath = WideString(Temp) + L"uni_sysutils_test\\";
    CreateDirectoryW(FPath.c_str(), nullptr);
  }
  ~TTempFolder() {
    for (const WideString& F : FFiles) DeleteFileW(F.c_str());
    RemoveDirectoryW(FPath.c_str());
  }
  const WideString& Path() const { return FPath; }
  WideString File(const WideString& Name, const std::string& Bytes = "x") {
    WideString Full = FPath + Name;
    HANDLE H = CreateFileW(Full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD Written = 0;
    WriteFile(H, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr);
    CloseHandle(H);
    FFiles.push_back(Full);
    return Full;
  }

private:
  WideString FPath;
  std::vector<WideString> FFiles;
};

TEST(UniSysUtils, ZeroTerminatedBuffers) {
  const WideChar* Text = L"abc";
  EXPECT_EQ(UniStrLen(Text), 3u);
  EXPECT_EQ(UniStrEnd(Text), Text + 3);
  EXPECT_EQ(UniStrScan(Text, L'b'), Text + 1);
  EXPECT_EQ(UniStrScan(Text, 0), Text + 3);  // the terminator counts
  EXPECT_EQ(UniStrScan(Text, L'x'), nullptr);

  WideChar Dest[8] = {L'#', L'#', L'#', L'#', L'#', L'#', L'#', L'#'};
  UniStrLCopy(Dest, L"abcdef", 3);
  EXPECT_EQ(WideString(Dest), L"abc");
  UniStrCopy(Dest, L"xy");
  EXPECT_EQ(WideString(Dest), L"xy");
  EXPECT_EQ(Dest[4], L'#');

  WideChar Overlap[] = L"abcdef";
  UniStrMove(Overlap + 2, Overlap, 3);
  EXPECT_EQ(WideString(Overlap), L"ababcf");

  TUniStrPtr Copy(UniStrNew(L"\u017C\u00F3\u0142w"));
  EXPECT_EQ(WideString(Copy.get()), L"\u017C\u00F3\u0142w");
  // The block's size in bytes sits in the word before the text: 5 units * 2 + 4.
  EXPECT_EQ(reinterpret_cast<const Cardinal*>(Copy.get())[-1], 14u);
  EXPECT_EQ(UniStrNew(nullptr), nullptr);
}

TEST(UniSysUtils, WideStringReplace) {
  const Integer All = wrfReplaceAll, Case = wrfIgnoreCase;
  struct {
    const wchar_t *S, *Old, *New;
    bool WholeWord;
    Integer Flags;
    const wchar_t* Result;
  } const Cases[] = {
      {L"ab cab ab.", L"ab", L"x", true, All, L"x cab x."},
      {L"ab cab ab.", L"ab", L"x", false, All, L"x cx x."},
      {L"ab cab ab.", L"ab", L"x", false, 0, L"x cab ab."},
      {L"cab ab", L"ab", L"x", true, 0, L"cab x"},  // the first whole word, not the first match
      {L"AB cab Ab", L"ab", L"x", false, All | Case, L"x cx x"},
      {L"Za\u017C\u00F3\u0142\u0107 \u017B\u00D3\u0141W", L"\u017C\u00F3\u0142", L"-", false, All | Case,
       L"Za-\u0107 -W"},
      {L"AB ab", L"ab", L"x", false, All, L"AB x"},
      {L"aa", L"a", L"aa", false, All, L"aaaa"},  // the new text is not searched again
      {L"a.b", L"a", L"x", true, All, L"x.b"},
      {L"a_b a", L"a", L"x", true, All, L"x_b x"},
      {L"abc", L"", L"x", false, All, L"abc"},  // an empty pattern matches nothing
      {L"abc", L"", L"x", true, All | Case, L"abc"},
      {L"", L"a", L"x", false, All, L""},
      {L"ab", L"abc", L"x", false, All, L"ab"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(WideToUTF8(C.S) + " / " + WideToUTF8(C.Old));
    EXPECT_EQ(WideStringReplace(C.S, C.Old, C.New, C.WholeWord, C.Flags), C.Result);
  }
}

TEST(UniSysUtils, WideAdjustLineBreaks) {
  struct {
    const wchar_t* S;
    TTextLineBreakStyle Style;
    const wchar_t* Result;
  } const Cases[] = {
      {L"a\rb\nc\r\nd", tlbsCRLF, L"a\r\nb\r\nc\r\nd"},
      {L"a\rb\nc\r\nd", tlbsLF, L"a\nb\nc\nd"},
      {L"a\rb\nc\r\nd", tlbsCR, L"a\rb\rc\rd"},
      {L"a\u2028b", tlbsCRLF, L"a\r\nb"},
      {L"\n\r", tlbsCRLF, L"\r\n\r\n"},  // LF CR is two breaks
      {L"\r\r\n", tlbsLF, L"\n\n"},
      {L"x\r", tlbsCRLF, L"x\r\n"},
      {L"", tlbsCRLF, L""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(WideToUTF8(C.S));
    WideString R = WideAdjustLineBreaks(C.S, C.Style);
    EXPECT_EQ(R, C.Result);
    EXPECT_EQ(WideAdjustLineBreaksLength(C.S, C.Style), static_cast<Integer>(R.size()));
  }
}

TEST(UniSysUtils, DelimitersAndFileNames) {
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"C:\\dir\\file.txt"), 7);
  EXPECT_EQ(WideLastDelimiter(L".", L"abc"), 0);
  EXPECT_EQ(WideLastDelimiter(L".", WideString(L"a.b\0c", 5)), 2);  // a 0 in the text never matches
  EXPECT_EQ(WideExtractFileName(L"C:\\dir\\\u017C\u00F3\u0142w.txt"), L"\u017C\u00F3\u0142w.txt");
  EXPECT_EQ(WideExtractFileName(L"C:file"), L"file");
  EXPECT_EQ(WideExtractFileName(L"file"), L"file");
  EXPECT_EQ(WideExtractFileName(L"dir\\"), L"");
}

TEST(UniSysUtils, CharacterClasses) {
  struct {
    WideChar Ch;
    bool Boundary;
  } const Cases[] = {
      {0, true}, {L' ', true}, {L'\t', true}, {0x00A0, true}, {0x2028, true}, {L'.', true},
      {L'!', true}, {L'_', true}, {0x2013, true}, {L'a', false}, {0x0105, false}, {L'7', false},
  };
  for (const auto& C : Cases) EXPECT_EQ(IsWideWordBoundary(C.Ch), C.Boundary) << int(C.Ch);
  EXPECT_TRUE(IsWideCharSpace(L' '));
  EXPECT_FALSE(IsWideCharSpace(L'.'));
  EXPECT_TRUE(IsWideCharPunct(L'.'));
  EXPECT_FALSE(IsWideCharPunct(L' '));

  EXPECT_TRUE(IsWideCharMappableToAnsi(L'a'));
  EXPECT_TRUE(IsWideCharMappableToAnsi(0x0105));   // in code page 1250
  EXPECT_TRUE(IsWideCharMappableToAnsi(0x0101));   // best fit "a" counts as mapped
  EXPECT_FALSE(IsWideCharMappableToAnsi(0x0416));  // Cyrillic
}

TEST(UniSysUtils, UpperCaseBothPaths) {
  const WideString Text = L"za\u017C\u00F3\u0142\u0107 \u0101 \u0416";
  EXPECT_EQ(UniSysUtils::WideUpperCase(Text), L"ZA\u017B\u00D3\u0141\u0106 \u0100 \u0416");
  EXPECT_EQ(UniSysUtils::WideUpperCase(L""), L"");
  TAnsiPlatform Ansi;
  // The 8-bit path knows only the code page's letters; a best-fit byte is
  // not upper-cased into another letter.
  EXPECT_EQ(UniSysUtils::WideUpperCase(Text), L"ZA\u017B\u00D3\u0141\u0106 \u0101 \u0416");
}

TEST(UniSysUtils, FileHelpers) {
  TTempFolder Folder;
  // Plain names: the Wine of the test harness runs without the host locale
  // it names, so its file system takes no names outside ASCII.
  WideString Wide = Folder.File(L"wide.txt");
  WideString Polish = Folder.File(L"ansi.txt");
  EXPECT_TRUE(WideFileExists(Wide));
  EXPECT_TRUE(WideFileExists(Polish));
  EXPECT_FALSE(WideFileExists(Folder.Path()));  // a folder is no file
  EXPECT_FALSE(WideFileExists(Folder.Path() + L"missing"));
  EXPECT_NE(WideFileGetAttr(Folder.Path()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  {
    TAnsiPlatform Ansi;
    EXPECT_TRUE(WideFileExists(Polish));
    EXPECT_FALSE(WideFileExists(Folder.Path()));
  }

  HANDLE Reader = WideFileOpen(Wide, fmOpenRead | fmShareDenyWrite);
  ASSERT_NE(Reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(Wide, fmOpenWrite | fmShareDenyNone), INVALID_HANDLE_VALUE);
  HANDLE Second = WideFileOpen(Wide, fmOpenRead | fmShareDenyWrite);
  EXPECT_NE(Second, INVALID_HANDLE_VALUE);
  CloseHandle(Second);
  CloseHandle(Reader);

  // Access 3 and share modes beyond deny-none name no mode.
  for (Cardinal Mode : {3u, 0x50u, 0xF2u}) {
    SetLastError(0);
    EXPECT_EQ(WideFileOpen(Wide, Mode), INVALID_HANDLE_VALUE) << Mode;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }

  HANDLE Created = WideFileCreate(Wide);
  ASSERT_NE(Created, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(Created, nullptr), 0u);  // emptied
  CloseHandle(Created);
}

TEST(UniSysUtils, ModuleFileName) {
  WideChar Expected[MAX_PATH];
  DWORD N = GetModuleFileNameW(nullptr, Expected, MAX_PATH);
  EXPECT_EQ(WideGetModuleFileName(nullptr), WideString(Expected, N));
  TAnsiPlatform Ansi;
  EXPECT_EQ(WideGetModuleFileName(nullptr), WideString(Expected, N));
}

TEST(UniSysUtils, CodePagesOfLocalesAndKeyboard) {
  EXPECT_EQ(LocaleAnsiCodePage(0x0415), 1250u);
  EXPECT_EQ(LocaleAnsiCodePage(0x0409), 1252u);
  EXPECT_EQ(LocaleAnsiCodePage(0x0411), 932u);
  EXPECT_EQ(LocaleAnsiCodePage(0x7777), GetACP());  // no such locale
  EXPECT_EQ(KeyboardCodePage(), 1250u);
  EXPECT_EQ(KeyCharToWide(0xB9), L'\u0105');
  EXPECT_EQ(KeyCharToWide(L'A'), L'A');
  EXPECT_EQ(KeyCharToWide(0x0101), L'\u0101');
}

TEST(UniSysUtils, SwapByteOrderStopsAtZero) {
  WideChar Units[] = {0x4100, 0x0042, 0, 0x1234};
  WideSwapByteOrder(Units);
  EXPECT_EQ(Units[0], 0x0041);
  EXPECT_EQ(Units[1], 0x4200);
  EXPECT_EQ(Units[3], 0x1234);
}

// The platform's conversions, which ours must equal.
WideString SystemToWide(const std::string& S, UINT CodePage) {
  int N = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  WideString R(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), R.data(), N);
  return R;
}

std::string SystemFromWide(const WideString& S, UINT CodePage) {
  int N = WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr, nullptr);
  std::string R(static_cast<size_t>(N), '\0');
  WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), R.data(), N, nullptr, nullptr);
  return R;
}

TEST(UniSysUtils, CodePageConversionEqualsThePlatforms) {
  for (Cardinal CodePage : {1250u, 1252u, 932u, 65001u}) {
    SCOPED_TRACE(CodePage);
    for (int B = 0; B < 256; ++B) {
      std::string Byte(1, static_cast<char>(B));
      ASSERT_EQ(CodePageToWide(Byte, CodePage), SystemToWide(Byte, CodePage)) << B;
    }
    for (int U = 0; U < 0x10000; ++U) {
      WideString Unit(1, static_cast<WideChar>(U));
      ASSERT_EQ(WideToCodePage(Unit, CodePage), SystemFromWide(Unit, CodePage)) << U;
    }
    const WideString Mixed = L"Za\u017C\u00F3\u0142\u0107 \u65E5\u672C \u0101\U0001F600 \r\n";
    EXPECT_EQ(WideToCodePage(Mixed, CodePage), SystemFromWide(Mixed, CodePage));
    std::string Bytes = SystemFromWide(Mixed, CodePage);
    EXPECT_EQ(CodePageToWide(Bytes, CodePage), SystemToWide(Bytes, CodePage));
  }
  // Two-byte characters of code page 932.
  EXPECT_EQ(CodePageToWide("\x93\xfa\x96\x7b", 932), L"\u65E5\u672C");
  EXPECT_EQ(CodePageToWide("", 1250), L"");
  EXPECT_EQ(WideToCodePage(L"", 932), "");
}

TEST(UniSysUtils, CodePageConversionOfUTF7AndUnknownCodePages) {
  EXPECT_EQ(CodePageToWide("+AQUBBw-", CP_UTF7), L"\u0105\u0107");
  EXPECT_EQ(WideToCodePage(L"\u0105\u0107", CP_UTF7), "+AQUBBw");
  EXPECT_THROW(CodePageToWide("+AKN-", CP_UTF7), EUniGeneralError);
  // A code page the system does not know converts nothing: an error, not "".
  EXPECT_THROW(CodePageToWide("abc", 12345), EOSError);
  EXPECT_THROW(WideToCodePage(L"abc", 12345), EOSError);
}

}  // namespace
