#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UniSysUtils.h"
#include "UniSystem.h"
#include "UniWindows.h"

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

struct TAnsiPlatform {
  TAnsiPlatform() { IsUnicodePlatform = false; }
  ~TAnsiPlatform() { IsUnicodePlatform = true; }
};

TEST(UniWindows, StringTableReaderEqualsLoadStringW) {
  HINSTANCE Module = GetModuleHandleW(nullptr);
  for (UINT ID : {1u, 2u, 15u, 16u, 17u, 31u, 4000u, 4001u, 9999u}) {
    for (int Size : {100, 4, 1}) {
      SCOPED_TRACE(std::to_string(ID) + " size " + std::to_string(Size));
      WideChar Expected[100], Ours[100];
      std::fill(std::begin(Expected), std::end(Expected), L'#');
      std::fill(std::begin(Ours), std::end(Ours), L'#');
      int N = LoadStringW(Module, ID, Expected, Size);
      ASSERT_EQ(LoadStringFromResourceTable(Module, ID, Ours, Size), N);
      // Room for the 0 alone: ours writes the 0, Wine's leaves the room alone.
      if (Size > 1) {
        EXPECT_EQ(WideString(Ours, N + 1), WideString(Expected, N + 1));
      }
    }
  }
  {
    TAnsiPlatform Ansi;
    WideChar Buffer[100];
    EXPECT_EQ(LoadStringWOrA(Module, 16, Buffer, 100), 8);
    EXPECT_EQ(WideString(Buffer), L"Za\u017C\u00F3\u0142\u0107 \u0101");
  }
}

TEST(UniWindows, StringTableReaderEdges) {
  HINSTANCE Module = GetModuleHandleW(nullptr);
  WideChar Buffer[16];
  EXPECT_EQ(LoadStringFromResourceTable(Module, 15, nullptr, 0), 7);  // the length only
  EXPECT_EQ(LoadStringFromResourceTable(Module, 15, Buffer, 0), 7);
  // An id with all high bits set counts as negative: -1 is string 1.
  EXPECT_EQ(LoadStringFromResourceTable(Module, 0xFFFFFFFFu, Buffer, 16), 3);
  EXPECT_EQ(WideString(Buffer), L"one");
  // Block numbers beyond 16 bits are no resource ordinals.
  EXPECT_EQ(LoadStringFromResourceTable(Module, 0x00100000u, Buffer, 16), 0);
  // A block that ends early is not read beyond its end.
  EXPECT_EQ(LoadStringFromResourceTable(Module, 4784, Buffer, 16), 0);
  EXPECT_EQ(LoadStringFromResourceTable(Module, 4785, Buffer, 16), 0);
}

TEST(UniWindows, CharUpperAnsiPath) {
  TAnsiPlatform Ansi;
  EXPECT_EQ(CharUpperWOrA(L'\u0105'), L'\u0104');
  EXPECT_EQ(CharUpperWOrA(L'a'), L'A');
  EXPECT_EQ(CharUpperWOrA(L'\u0101'), L'\u0101');  // best fit "a" would give "A"
  EXPECT_EQ(CharUpperWOrA(L'\u0416'), L'\u0416');
  WideChar Text[] = L"\u017C\u00F3\u0142w \u0101";
  EXPECT_EQ(CharUpperWOrA(Text), Text);
  EXPECT_EQ(WideString(Text), L"\u017B\u00D3\u0141W \u0101");
  WideChar Buff[] = {L'a', L'b', L'c'};
  EXPECT_EQ(CharUpperBuffWOrA(Buff, 2), 2u);
  EXPECT_EQ(WideString(Buff, 3), L"ABc");
}

TEST(UniWindows, StringTypesAnsiPathStaysInTheCallersRoom) {
  const WideChar Text[] = L"a .\u0105";
  WORD Wide[4] = {};
  ASSERT_TRUE(GetStringTypeExWOrA(GetThreadLocale(), CT_CTYPE1, Text, 4, Wide));
  TAnsiPlatform Ansi;
  WORD Narrow[5] = {0, 0, 0, 0, 0xBEEF};
  ASSERT_TRUE(GetStringTypeExWOrA(GetThreadLocale(), CT_CTYPE1, Text, 4, Narrow));
  EXPECT_EQ(std::vector<WORD>(Narrow, Narrow + 4), std::vector<WORD>(Wide, Wide + 4));
  EXPECT_EQ(Narrow[4], 0xBEEF);  // the 0 behind the text has no room here
  WORD One[2] = {0, 0xBEEF};
  ASSERT_TRUE(GetStringTypeExWOrA(GetThreadLocale(), CT_CTYPE1, L"x", 1, One));
  EXPECT_NE(One[0] & C1_LOWER, 0);
  EXPECT_EQ(One[1], 0xBEEF);
}

TEST(UniWindows, ModuleFileNameAnsiPathCutsToTheRoom) {
  WideChar Expected[MAX_PATH];
  DWORD N = GetModuleFileNameW(nullptr, Expected, MAX_PATH);
  TAnsiPlatform Ansi;
  WideChar Buffer[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameWOrA(nullptr, Buffer, MAX_PATH), N);
  EXPECT_EQ(WideString(Buffer), WideString(Expected, N));
  WideChar Small[6] = {L'#', L'#', L'#', L'#', L'#', L'#'};
  EXPECT_EQ(GetModuleFileNameWOrA(nullptr, Small, 5), 5u);
  EXPECT_EQ(WideString(Small, 6), WideString(Expected, 5) + L"#");  // no 0 written
}

TEST(UniWindows, DrawTextAnsiPathDrawsTheCountedUnits) {
  HDC DC = CreateCompatibleDC(nullptr);
  auto Extent = [DC](const WideChar* Text, int Count) {
    RECT R{0, 0, 1000, 100};
    DrawTextWOrA(DC, Text, Count, &R, DT_CALCRECT | DT_SINGLELINE);
    return R.right;
  };
  LONG Wide = Extent(L"\u017C\u00F3\u0142w", -1), WidePart = Extent(L"\u017C\u00F3", -1);
  {
    TAnsiPlatform Ansi;
    EXPECT_EQ(Extent(L"\u017C\u00F3\u0142w", -1), Wide);
    EXPECT_EQ(Extent(L"\u017C\u00F3\u0142w", 2), WidePart);
  }
  DeleteDC(DC);
}

}  // namespace
