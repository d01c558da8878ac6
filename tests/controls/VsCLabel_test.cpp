#include <gtest/gtest.h>

#include <windows.h>

#include <random>

#include "VsCLabel.h"

namespace {

using namespace std::string_literals;

AnsiString SystemCodePage(const WideString& Wide) {
  const int Size = WideCharToMultiByte(CP_ACP, 0, Wide.data(), static_cast<int>(Wide.size()), nullptr, 0, nullptr, nullptr);
  AnsiString Ansi(static_cast<size_t>(Size), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide.data(), static_cast<int>(Wide.size()), Ansi.data(), Size, nullptr, nullptr);
  return Ansi;
}

TEST(PackedHint, LayoutIsTheCodePageTextAZeroTheUtf16TextAndTheMarker) {
  EXPECT_EQ(PackWideHint(L"ab"), "ab\0a\0b\0\0\0\xFE\xFF"s);
  EXPECT_EQ(PackWideHint(L"ab").size(), 11u);
  EXPECT_EQ(PackWideHint(L""), "\0\0\0\xFE\xFF"s);

  // "ż" is 7C 01 in UTF-16LE: the bar byte inside the wide part.
  const WideString Polish = L"\u017C|opis";
  const AnsiString Packed = PackWideHint(Polish);
  const AnsiString Ansi = SystemCodePage(Polish);
  ASSERT_EQ(Packed.size(), Ansi.size() + 2 * Polish.size() + 5);
  EXPECT_EQ(Packed.substr(0, Ansi.size() + 1), Ansi + "\0"s);
  EXPECT_EQ(Packed.substr(Ansi.size() + 1, 4), "\x7C\x01|\0"s);
  EXPECT_EQ(Packed.substr(Packed.size() - 4), "\0\0\xFE\xFF"s);

  // An 8-bit part holding a zero would move the reader's split: it ends there.
  EXPECT_EQ(PackWideHint("a\0b"s, L"x"), "a\0x\0\0\0\xFE\xFF"s);
}

TEST(PackedHint, UnpacksWhatWasPackedWithBothParts) {
  for (const WideString& Wide : {WideString(L""), WideString(L"ab"), WideString(L"\u017C|opis"),
                                 WideString(L"m\u0101ja"), WideString(L"\xFFFE\0\0\xFFFE"s)}) {
    WideString Back = L"?";
    AnsiString Ansi = "?";
    ASSERT_TRUE(UnpackWideHint(PackWideHint("8-bit", Wide), Back, &Ansi));
    EXPECT_EQ(Back, Wide);
    EXPECT_EQ(Ansi, "8-bit");
  }
}

TEST(PackedHint, RejectsEverythingButTheExactLayout) {
  const AnsiString Cases[] = {
      "",
      "plain hint",
      "ab\0a\0b\0\0\0\xFE"s,              // cut in the marker
      "ab\0a\0b\0\0\0\xFE\xFF\0"s,        // a byte after the marker
      "ab\0a\0b\0\0\0\xFF\xFE"s,          // marker bytes swapped
      "ab\0a\0b\0\0\0\0\xFE\xFF"s,        // odd wide part
      "ab\0\0\xFE"s,                      // shorter than the marker
      "ab\0\0\xFE\xFF"s,                  // one zero short of the marker
  };
  for (const AnsiString& Case : Cases) {
    WideString Wide = L"unchanged";
    AnsiString Ansi = "unchanged";
    EXPECT_FALSE(UnpackWideHint(Case, Wide, &Ansi)) << testing::PrintToString(Case);
    EXPECT_EQ(Wide, L"unchanged");
    EXPECT_EQ(Ansi, "unchanged");
  }
}

// Random bytes, half of them mutated packed hints so that both answers come
// up: what is accepted packs back to the same bytes (nothing read from
// beyond them), and what is refused breaks the layout rule.
TEST(PackedHint, RandomBytesAreAcceptedOnlyWhenTheyRoundTrip) {
  std::mt19937 Random(2503);
  int Accepted = 0;
  for (int Run = 0; Run < 10000; ++Run) {
    AnsiString Bytes;
    if (Run % 2 == 0) {
      WideString Wide(Random() % 6, L'\0');
      for (wchar_t& Unit : Wide) Unit = static_cast<wchar_t>(Random() % 0x10000);
      Bytes = PackWideHint(AnsiString(Random() % 4, 'x'), Wide);
      const int Edits = static_cast<int>(Random() % 3);
      for (int E = 0; E < Edits && !Bytes.empty(); ++E) {
        const size_t At = Random() % Bytes.size();
        switch (Random() % 3) {
          case 0: Bytes[At] = static_cast<char>(Random()); break;
          case 1: Bytes.erase(At, 1); break;
          default: Bytes.insert(At, 1, static_cast<char>(Random() % 2 ? 0 : Random())); break;
        }
      }
    } else {
      Bytes.resize(Random() % 16);
      for (char& B : Bytes) B = static_cast<char>(Random() % 4 == 0 ? 0 : Random());
    }
    Bytes.shrink_to_fit();
    WideString Wide;
    AnsiString Ansi;
    if (UnpackWideHint(Bytes, Wide, &Ansi)) {
      ++Accepted;
      ASSERT_EQ(PackWideHint(Ansi, Wide), Bytes) << testing::PrintToString(Bytes);
    } else {
      ASSERT_FALSE(Bytes.find('\0') != AnsiString::npos && Bytes.size() >= Bytes.find('\0') + 5 &&
                   (Bytes.size() - Bytes.find('\0') - 5) % 2 == 0 && Bytes.substr(Bytes.size() - 4) == "\0\0\xFE\xFF"s)
          << testing::PrintToString(Bytes);
    }
  }
  EXPECT_GT(Accepted, 1000);
}

}  // namespace
