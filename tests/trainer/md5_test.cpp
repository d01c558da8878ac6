#include "md5.h"

#include <gtest/gtest.h>

#include "Dict_engine.h"

namespace {

struct TVector {
  AnsiString Data;
  const char* Digest;
};

// The test suite of RFC 1321.
const TVector RfcVectors[] = {
    {"", "D41D8CD98F00B204E9800998ECF8427E"},
    {"a", "0CC175B9C0F1B6A831C399E269772661"},
    {"abc", "900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57EDF4A22BE3C955AC49DA2E2107B67A"},
};

TEST(MD5, MatchesTheRfcVectors) {
  for (const TVector& V : RfcVectors) EXPECT_EQ(MD5DigestToStr(MD5Digest(V.Data)), V.Digest) << V.Data;
}

// Lengths around the padding boundaries (one or two final blocks), with
// bytes of every value; digests from an independent implementation.
TEST(MD5, PadsEveryLengthAroundTheBlockBoundaries) {
  const struct {
    size_t Length;
    const char* Digest;
  } Cases[] = {{55, "52C0E574E1198DE5FE3F8F11440DCB1B"},  {56, "46C9907FC908EE68B1E7B8E71286A518"},
               {63, "A62F6D59E837867693F042F5B8F5A236"},  {64, "7160B8FB5E9E4023D549C3971FBAEEAD"},
               {65, "70BD662E7AEFBDA85A0F7244167B7897"},  {119, "E84905D4214F4D1CA56C2CDCC152B143"},
               {120, "E3EB5A6C8669EA01A8C185B8ABC8A5DC"}};
  for (const auto& C : Cases) {
    AnsiString Data;
    for (size_t i = 0; i < C.Length; ++i) Data += static_cast<char>((i * 7 + 3) % 256);
    EXPECT_EQ(MD5DigestToStr(MD5Digest(Data)), C.Digest) << C.Length;
  }
}

TEST(MD5, DigestBytesComeInOrderAsUpperCaseHex) {
  const TMD5Digest Digest = MD5Digest("abc");
  EXPECT_EQ(Digest[0], 0x90);
  EXPECT_EQ(Digest[15], 0x72);
  TMD5Digest Counting;
  for (int i = 0; i < 16; ++i) Counting[i] = static_cast<Byte>(i * 17);
  EXPECT_EQ(MD5DigestToStr(Counting), "00112233445566778899AABBCCDDEEFF");
}

// A user's file is named by the digest of the name's code page 1250 bytes.
TEST(MD5, UserFileNameDigestsTheSystemCodePageBytes) {
  const AnsiString Name = WideToAnsi(L"Łukasz Żółć");
  ASSERT_EQ(Name, "\xA3ukasz \xAF\xF3\xB3\xE6");
  EXPECT_EQ(UserFileName(Name), "2570B5459CCA647AC4283EAC5C576BC4");
  EXPECT_EQ(UserFileName("Ala"), "5C3BB83961C60315165392EBD7410E6F");
}

}  // namespace
