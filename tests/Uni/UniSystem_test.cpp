#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "UniSysUtils.h"
#include "UniSystem.h"

namespace {

// Started by the WideParamStr test with UNI_PARAM_OUT set, the program only
// writes its parameters 1..12 (each followed by U+0001) to that file.
const bool ParamChild = [] {
  WideChar Out[MAX_PATH];
  if (GetEnvironmentVariableW(L"UNI_PARAM_OUT", Out, MAX_PATH) == 0) return false;
  InitializeUniSysUtils();
  InitializeUniSystem();
  WideString Params;
  for (int I = 1; I <= 12; ++I) Params += WideParamStr(I) + L'\x0001';
  HANDLE File = CreateFileW(Out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD Written = 0;
  WriteFile(File, Params.data(), static_cast<DWORD>(Params.size() * 2), &Written, nullptr);
  CloseHandle(File);
  ExitProcess(0);
}();

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

// The platform's UTF-7 decoder.
WideString SystemUTF7ToWide(const AnsiString& S) {
  if (S.empty()) return {};
  int N = MultiByteToWideChar(CP_UTF7, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  WideString R(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CP_UTF7, 0, S.data(), static_cast<int>(S.size()), R.data(), N);
  return R;
}

TEST(UniSystem, PlatformStateAfterStartUp) {
  // Wine reports Windows XP of the NT family.
  EXPECT_TRUE(IsUnicodePlatform);
  EXPECT_TRUE(IsXPOrLater);
  EXPECT_EQ(DefaultSystemCodePage, Cardinal(CP_THREAD_ACP));
  DefaultSystemCodePage = 1252;
  FinalizeUniSystem();
  EXPECT_EQ(DefaultSystemCodePage, Cardinal(CP_THREAD_ACP));
}

struct TUTF7Case {
  const wchar_t* Wide;
  const char* UTF7;
};

// Both directions: the optionally direct set is written directly and a run
// is closed with "-" only before a base64 letter or "-".
const TUTF7Case UTF7Cases[] = {
    {L"", ""},
    {L"A+B", "A+-B"},
    {L"\u00A31", "+AKM-1"},
    {L"\u00E9.", "+AOk."},
    {L"\u00E9", "+AOk"},
    {L"\u00E9-", "+AOk--"},
    {L"\u00E9 a", "+AOk a"},
    {L"~", "+AH4"},
    {L"\\", "+AFw"},
    {L"\u0105\u0107", "+AQUBBw"},
    {L"!\"#$%&*;<=>@[]^_`{|}", "!\"#$%&*;<=>@[]^_`{|}"},
    {L"Hi Mom -\u263A-!", "Hi Mom -+Jjo--!"},
    {L"A\u2262\u0391.", "A+ImIDkQ."},
    {L"\u65E5\u672C\u8A9E", "+ZeVnLIqe"},
    {L"a\tb\r\nc d", "a\tb\r\nc d"},
    {L"\U0001F600", "+2D3eAA"},
};

TEST(UniSystem, UTF7KnownTexts) {
  for (const TUTF7Case& C : UTF7Cases) {
    SCOPED_TRACE(C.UTF7);
    EXPECT_EQ(WideToUTF7(C.Wide), C.UTF7);
    EXPECT_EQ(UTF7ToWide(C.UTF7), C.Wide);
    EXPECT_EQ(SystemUTF7ToWide(C.UTF7), C.Wide);
  }
}

TEST(UniSystem, UTF7DecodesWhatEncodersMayWrite) {
  // Runs closed with "-" before a direct character, and "+-" inside text.
  const TUTF7Case Cases[] = {
      {L"\u00A3", "+AKM-"},
      {L"\u65E5\u672C\u8A9E", "+ZeVnLIqe-"},
      {L"!@", "+ACEAQA-"},
      {L"1+1", "1+-1"},
      {L"+", "+-"},
      {L"\u00A3\u00A3", "+AKMAow-"},
  };
  for (const TUTF7Case& C : Cases) {
    SCOPED_TRACE(C.UTF7);
    EXPECT_EQ(UTF7ToWide(C.UTF7), C.Wide);
    EXPECT_EQ(SystemUTF7ToWide(C.UTF7), C.Wide);
  }
}

TEST(UniSystem, UTF7RejectsMalformedInput) {
  const char* const Cases[] = {
      "+",          // a shift with nothing behind it
      "a+",         //
      "+AK",        // 12 bits: no unit in the run
      "++",         // "+" is a base64 letter inside a run
      "+.",         // a run closed before any unit
      "+A-",        //
      "+AKN-",      // left-over bits that are not zero
      "+AKN",       //
      "\xE9",       // a byte above 127 outside a run
      "ab\x80",     //
      "+AKM\xE9",   // ... and one that ends a run
  };
  for (const char* C : Cases) {
    SCOPED_TRACE(C);
    try {
      UTF7ToWide(C);
      ADD_FAILURE() << "no error";
    } catch (const EUniGeneralError& E) {
      EXPECT_EQ(E.Message(), "Invalid UTF7");
    }
  }
}

TEST(UniSystem, UTF7RoundTripsRandomText) {
  // Direct, optionally direct and shifted characters, "+", "-", base64
  // letters right after runs, controls, surrogate pairs and lone surrogates.
  const WideString Pieces[] = {L"a", L"Z", L"0", L"-", L"+", L"/", L" ", L"\t", L"\r\n", L"!", L"@", L"~",
                               L"\\", L"\x0001", WideString(1, L'\0'), L"\u00E9", L"\u0105", L"\u263A",
                               L"\uFEFF", L"\U0001F600", L"\xD800", L"\xDFFF", L"\uFFFF"};
  std::mt19937 Random(2152);
  std::uniform_int_distribution<size_t> Piece(0, std::size(Pieces) - 1), Length(0, 24);
  for (int Round = 0; Round < 3000; ++Round) {
    WideString S;
    for (size_t N = Length(Random); N > 0; --N) S += Pieces[Piece(Random)];
    AnsiString Encoded = WideToUTF7(S);
    for (char Ch : Encoded) ASSERT_LT(static_cast<unsigned char>(Ch), 128u);
    ASSERT_EQ(Encoded.find_first_of("~\\"), AnsiString::npos);
    ASSERT_EQ(UTF7ToWide(Encoded), S) << Encoded;
    ASSERT_EQ(SystemUTF7ToWide(Encoded), S) << Encoded;
  }
}

TEST(UniSystem, WideLoadResStringFromTableOrText) {
  HINSTANCE Module = GetModuleHandleW(nullptr);
  TResStringRec Plain{Module, 101}, Polish{Module, 102}, Missing{Module, 999};
  EXPECT_EQ(WideLoadResString(&Plain), L"Plain text");
  EXPECT_EQ(WideLoadResString(&Polish), L"Za\u017C\u00F3\u0142\u0107 \u0101");
  EXPECT_EQ(WideLoadResString(&Missing), L"");
  EXPECT_EQ(WideLoadResString(nullptr), L"");

  struct {
    const char* Text;
    const wchar_t* Wide;
  } const Texts[] = {
      {"\xEF\xBB\xBF\xC5\xBC\xC4\x81", L"\u017C\u0101"},  // UTF-8 behind its mark
      {"\xEF\xBB\xBF", L"\u010F\u00BB\u017C"},            // the mark alone is 8-bit text
      {"\xB9 x", L"\u0105 x"},                            // code page 1250
      {"", L""},
  };
  for (const auto& T : Texts) {
    TResStringRec Rec{Module, reinterpret_cast<UINT_PTR>(T.Text)};
    EXPECT_EQ(WideLoadResString(&Rec), T.Wide) << T.Text;
  }
}

// Starts this program with the command line and returns what it reports as
// its parameters 1..12.
std::vector<WideString> ParamsOf(const WideString& CommandLine) {
  WideChar Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  WideString Out = WideString(Temp) + L"uni_params.bin";
  DeleteFileW(Out.c_str());
  SetEnvironmentVariableW(L"UNI_PARAM_OUT", Out.c_str());
  WideString Line = CommandLine;
  STARTUPINFOW Startup{};
  Startup.cb = sizeof(Startup);
  PROCESS_INFORMATION Process{};
  WideString Exe = WideGetModuleFileName(nullptr);
  BOOL Started = CreateProcessW(Exe.c_str(), Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &Startup, &Process);
  SetEnvironmentVariableW(L"UNI_PARAM_OUT", nullptr);
  if (!Started) return {L"<not started>"};
  WaitForSingleObject(Process.hProcess, 30000);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  HANDLE File = CreateFileW(Out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (File == INVALID_HANDLE_VALUE) return {L"<no output>"};
  std::vector<WideChar> Buffer(GetFileSize(File, nullptr) / 2);
  DWORD Read = 0;
  ReadFile(File, Buffer.data(), static_cast<DWORD>(Buffer.size() * 2), &Read, nullptr);
  CloseHandle(File);
  DeleteFileW(Out.c_str());
  std::vector<WideString> Params;
  WideString Param;
  for (WideChar Ch : Buffer) {
    if (Ch != 1) {
      Param += Ch;
      continue;
    }
    if (!Param.empty()) Params.push_back(Param);
    Param.clear();
  }
  return Params;
}

TEST(UniSystem, WideParamStrSplitsTheCommandLine) {
  struct {
    const wchar_t* Tail;
    std::vector<WideString> Params;
  } const Cases[] = {
      {L"a b", {L"a", L"b"}},
      {L"\"a b\" c", {L"a b", L"c"}},
      {L"a\"b c\"d e", {L"ab cd", L"e"}},
      {L"a\"\"b", {L"ab"}},
      {L"\"\" a", {L"a"}},
      {L"a \"\"\"\"  b", {L"a", L"b"}},
      {L"a\t\tb", {L"a", L"b"}},
      {L"\"unterminated x", {L"unterminated x"}},
      {L"\u017C\u00F3\u0142w \u0101", {L"\u017C\u00F3\u0142w", L"\u0101"}},
      {L"", {}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::PrintToString(WideToUTF8(C.Tail)));
    EXPECT_EQ(ParamsOf(WideString(L"prog ") + C.Tail), C.Params);
  }
  // A parameter holds at most 4096 units; the rest is the next one.
  std::vector<WideString> Long = ParamsOf(L"prog " + WideString(5000, L'x') + L" y");
  EXPECT_EQ(Long, (std::vector<WideString>{WideString(4096, L'x'), WideString(904, L'x'), L"y"}));
}

TEST(UniSystem, WideParamStrZeroIsTheExecutable) {
  EXPECT_EQ(WideParamStr(0), WideGetModuleFileName(nullptr));
  EXPECT_EQ(WideParamStr(1000), L"");
}

}  // namespace
