// Where the sound of an MP3 starts and what its first frame tells, on files
// of the encoder: with an ID3v2 tag, and with CRC-protected frames whose
// information tag stands where the encoder puts it or two bytes on, after
// the side information that the CRC moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Mp3Frames.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& Path) {
  std::ifstream File(Path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

TEST(Mp3Frames, FindsTheFirstFrameOfSoundPastTheInformationFrame) {
  struct TCase {
    const char* File;
    bool Protected;
  };
  const TCase Cases[] = {
      {FIXTURES_DIR "/audio/tone.mp3", false},
      {AUDIO_FIXTURES "/crc.mp3", true},
      {AUDIO_FIXTURES "/crc-moved.mp3", true},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    const std::vector<unsigned char> Data = ReadFile(Case.File);
    ASSERT_GT(Data.size(), 2000u);
    const size_t First = Mp3::Id3v2Length(Data.data(), Data.size());
    const unsigned char* P = Data.data() + First;
    const size_t Available = Data.size() - First;

    Mp3::TFrameHeader Info;
    ASSERT_TRUE(Mp3::IsFirstFrame(P, Available, Info));
    EXPECT_EQ(Info.Protected, Case.Protected);
    EXPECT_TRUE(Mp3::IsInformationFrame(P, Available, Info));

    // The sound starts with the frame after the information frame, and its
    // header gives the format (the encoder wrote every file mono at
    // 44100 Hz) and the bit rate of the sound, not of the table.
    size_t Start = 0;
    Mp3::TFrameHeader Sound;
    ASSERT_TRUE(Mp3::FindSound(P, Available, Start, Sound));
    EXPECT_EQ(Start, size_t(Info.Length));
    Mp3::TFrameHeader Next;
    ASSERT_TRUE(Mp3::ReadFrameHeader(P + Info.Length, Available - Info.Length, Next));
    EXPECT_EQ(Sound.Bitrate, Next.Bitrate);
    EXPECT_EQ(Sound.Channels, 1);
    EXPECT_EQ(Sound.Rate, 44100);
    EXPECT_EQ(Sound.Samples, 1152);
    EXPECT_FALSE(Mp3::IsInformationFrame(P + Start, Available - Start, Sound));
  }
}

// The variable bit rate fixture: the encoder's table stands in a frame of
// another bit rate than the sound's first, and the sound frames of the two
// CRC fixtures are the same bytes.
TEST(Mp3Frames, TheProtectedFixturesShareTheirSound) {
  const std::vector<unsigned char> Crc = ReadFile(AUDIO_FIXTURES "/crc.mp3");
  const std::vector<unsigned char> Moved = ReadFile(AUDIO_FIXTURES "/crc-moved.mp3");
  size_t Start = 0, MovedStart = 0;
  Mp3::TFrameHeader Sound, MovedSound, Info;
  ASSERT_TRUE(Mp3::FindSound(Crc.data(), Crc.size(), Start, Sound));
  ASSERT_TRUE(Mp3::FindSound(Moved.data(), Moved.size(), MovedStart, MovedSound));
  ASSERT_TRUE(Mp3::ReadFrameHeader(Crc.data(), Crc.size(), Info));
  EXPECT_NE(Sound.Bitrate, Info.Bitrate);
  EXPECT_EQ(MovedStart, Start);
  EXPECT_EQ(MovedSound.Bitrate, Sound.Bitrate);
  EXPECT_TRUE(std::equal(Crc.begin() + long(Start), Crc.end(), Moved.begin() + long(MovedStart), Moved.end()));
}

TEST(Mp3Frames, RefusesWhatIsNoLayerThreeFrame) {
  struct TCase {
    const char* What;
    unsigned char Bytes[4];
  };
  const TCase Cases[] = {
      {"no sync", {0xFF, 0x1B, 0x90, 0xC4}},
      {"layer II", {0xFF, 0xFD, 0x90, 0xC4}},
      {"reserved version", {0xFF, 0xEB, 0x90, 0xC4}},
      {"free bit rate", {0xFF, 0xFB, 0x00, 0xC4}},
      {"bad bit rate", {0xFF, 0xFB, 0xF0, 0xC4}},
      {"reserved rate", {0xFF, 0xFB, 0x9C, 0xC4}},
  };
  Mp3::TFrameHeader Header;
  for (const TCase& Case : Cases) EXPECT_FALSE(Mp3::ReadFrameHeader(Case.Bytes, 4, Header)) << Case.What;
  const unsigned char Good[4] = {0xFF, 0xFB, 0x90, 0xC4};
  EXPECT_FALSE(Mp3::ReadFrameHeader(Good, 3, Header));
  ASSERT_TRUE(Mp3::ReadFrameHeader(Good, 4, Header));
  EXPECT_EQ(Header.Bitrate, 128);
  EXPECT_EQ(Header.Length, 417);
  EXPECT_FALSE(Header.Protected);
}

}  // namespace
