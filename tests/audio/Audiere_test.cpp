// The audio library beside the executable, through the trainer's binding:
// MP3 decoding against a host decoder's reading of the same file, and
// playback on the wave-out device (the ALSA null device under the test
// harness), with pause, rewind, repeat and the references a sound holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "Audiere.h"
#include "QPlayer.h"
#include "Win.h"

namespace {

using namespace Audiere;

const char* const Tone = FIXTURES_DIR "/audio/tone.mp3";
// The fixture is 2.4 s of a 440 Hz tone, mono, 44100 Hz, 64 kbit/s, made
// once by lame from synthesised samples, with an ID3v2 tag in front and the
// encoder's information frame first.
const DWORD ToneMs = 2400;

struct TOracle {
  int Frames = 0;
  int Peak = 0;
};

TOracle ReadOracle(const char* Path) {
  TOracle Oracle;
  if (FILE* File = std::fopen(Path, "r")) {
    if (std::fscanf(File, "%d %d", &Oracle.Frames, &Oracle.Peak) != 2) Oracle = TOracle();
    std::fclose(File);
  }
  return Oracle;
}

// The whole sound of a source, read in uneven pieces from where it stands.
std::vector<short> ReadAll(ISampleSource* Source) {
  int Channels = 0, Rate = 0;
  Source->getFormat(Channels, Rate);
  std::vector<short> Samples, Piece(777 * size_t(Channels));
  for (int Got; (Got = Source->read(777, Piece.data())) > 0;)
    Samples.insert(Samples.end(), Piece.begin(), Piece.begin() + long(Got) * Channels);
  return Samples;
}

int Peak(const std::vector<short>& Samples) {
  int Result = 0;
  for (short Sample : Samples) Result = std::max(Result, std::abs(int(Sample)));
  return Result;
}

// Milliseconds until Done() holds, or -1 after Limit.
long WaitFor(const std::function<bool()>& Done, DWORD Limit) {
  const DWORD Start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - Start > Limit) return -1;
    Sleep(5);
  }
  return long(GetTickCount() - Start);
}

class AudioLibrary : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(BindAudioLibrary(Library)); }

  // A device, the fixture's source and a sound of it, each with one
  // reference of ours.
  bool OpenTone() {
    Device = Library.OpenDevice("autodetect", "");
    Source = Library.OpenSampleSource(Tone, FF_MP3);
    if (!Device || !Source) return false;
    Device->ref();
    Source->ref();
    Stream = Library.OpenSound(Device, Source, true);
    if (!Stream) return false;
    Stream->ref();
    return true;
  }
  void TearDown() override {
    if (Stream) Stream->unref();
    if (Source) Source->unref();
    if (Device) Device->unref();
  }

  TAudioLibrary Library;
  IAudioDevice* Device = nullptr;
  ISampleSource* Source = nullptr;
  IOutputStream* Stream = nullptr;
};

// The fixture, and CRC-protected frames from the encoder as it writes them
// and with the information tag after the side information that the CRC
// moves: the same sound frames give the same samples, the table none.
TEST_F(AudioLibrary, DecodesAnMp3AsTheHostDecoderDoes) {
  struct TCase {
    const char* File;
    const char* Oracle;
  };
  const TCase Cases[] = {
      {Tone, AUDIO_ORACLE},
      {AUDIO_FIXTURES "/crc.mp3", AUDIO_FIXTURES "/crc.oracle"},
      {AUDIO_FIXTURES "/crc-moved.mp3", AUDIO_FIXTURES "/crc.oracle"},
  };
  std::vector<short> Protected;
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    const TOracle Oracle = ReadOracle(Case.Oracle);
    ASSERT_GT(Oracle.Frames, 0) << "no oracle at " << Case.Oracle;
    ISampleSource* Mp3 = Library.OpenSampleSource(Case.File, FF_MP3);
    ASSERT_NE(Mp3, nullptr);
    Mp3->ref();
    int Channels = 0, Rate = 0;
    Mp3->getFormat(Channels, Rate);
    EXPECT_EQ(Channels, 1);
    EXPECT_EQ(Rate, 44100);
    EXPECT_EQ(Mp3->getLength(), Oracle.Frames);

    // Read in uneven pieces, the pieces join up to the whole sound.
    const std::vector<short> Samples = ReadAll(Mp3);
    EXPECT_EQ(int(Samples.size()), Oracle.Frames);
    EXPECT_NEAR(Peak(Samples), Oracle.Peak, Oracle.Peak / 50);

    Mp3->reset();
    std::vector<short> Again(100);
    EXPECT_EQ(Mp3->read(100, Again.data()), 100);
    EXPECT_TRUE(std::equal(Again.begin(), Again.end(), Samples.begin()));
    Mp3->unref();

    if (Case.File == Tone) continue;
    if (Protected.empty())
      Protected = Samples;
    else
      EXPECT_TRUE(Samples == Protected);
  }
}

TEST_F(AudioLibrary, RefusesWhatItCannotOpen) {
  struct TCase {
    const char* What;
    const char* File;
    int Format;
  };
  const TCase Cases[] = {
      {"a missing file", FIXTURES_DIR "/audio/missing.mp3", FF_MP3},
      {"another format", Tone, 1},
      {"a file that is not MP3", AUDIO_ORACLE, FF_MP3},
      {"a folder", FIXTURES_DIR "/audio", FF_MP3},
  };
  for (const TCase& Case : Cases) EXPECT_EQ(Library.OpenSampleSource(Case.File, Case.Format), nullptr) << Case.What;
  EXPECT_EQ(Library.OpenDevice("no such output", ""), nullptr);
  EXPECT_EQ(Library.OpenSound(nullptr, nullptr, true), nullptr);
}

// The wave-out device sets the pace: the ALSA null device of the test
// harness takes the samples about four times faster than they would sound,
// so the times below are measured against one whole play on the same
// device, which must end within the sound's length (and some slack).
TEST_F(AudioLibrary, PlaysToTheEndAndAResetStartsFromTheBeginning) {
  ASSERT_TRUE(OpenTone());
  // The sound holds the device and the source: ours can go.
  Source->unref();
  Source = nullptr;
  Device->unref();
  Device = nullptr;

  EXPECT_FALSE(Stream->isPlaying());
  Stream->play();
  EXPECT_TRUE(Stream->isPlaying());
  const long Whole = WaitFor([this] { return !Stream->isPlaying(); }, 5000);
  EXPECT_GT(Whole, 20);
  EXPECT_LE(Whole, long(ToneMs) + 2500);

  // Played to the end, the next play starts from the beginning; a reset
  // halfway goes on from the beginning again.
  // The device's pace varies from play to play on a loaded machine, so the
  // reset comes early and the rest is only required to outlast half a play.
  Stream->play();
  EXPECT_TRUE(Stream->isPlaying());
  Sleep(Whole / 4);
  Stream->reset();
  EXPECT_TRUE(Stream->isPlaying());
  EXPECT_GE(WaitFor([this] { return !Stream->isPlaying(); }, 5000), Whole / 2);
}

TEST_F(AudioLibrary, StopPausesAndPlayGoesOn) {
  ASSERT_TRUE(OpenTone());
  Stream->play();
  const long Whole = WaitFor([this] { return !Stream->isPlaying(); }, 5000);
  ASSERT_GT(Whole, 20);

  Stream->play();
  Sleep(Whole / 3);
  Stream->stop();
  EXPECT_FALSE(Stream->isPlaying());
  Sleep(Whole * 2);
  EXPECT_FALSE(Stream->isPlaying());
  Stream->play();
  EXPECT_TRUE(Stream->isPlaying());
  EXPECT_GE(WaitFor([this] { return !Stream->isPlaying(); }, 5000), 0);

  // Stopped and rewound, as the player stops a sound, it plays whole.
  Stream->play();
  Sleep(Whole / 2);
  Stream->stop();
  Stream->reset();
  EXPECT_FALSE(Stream->isPlaying());
  Stream->play();
  EXPECT_TRUE(Stream->isPlaying());
  EXPECT_GE(WaitFor([this] { return !Stream->isPlaying(); }, 5000), Whole / 2);
}

TEST_F(AudioLibrary, RepeatsUntilRepeatIsTurnedOff) {
  ASSERT_TRUE(OpenTone());
  Stream->play();
  const long Whole = WaitFor([this] { return !Stream->isPlaying(); }, 5000);
  ASSERT_GT(Whole, 20);

  Stream->setRepeat(true);
  Stream->play();
  Sleep(Whole * 3);
  EXPECT_TRUE(Stream->isPlaying());
  Stream->setRepeat(false);
  EXPECT_GE(WaitFor([this] { return !Stream->isPlaying(); }, Whole + 2500), 0);
}

// Released while it plays, a sound stops and lets the device go: the next
// sound plays.
TEST_F(AudioLibrary, ASoundReleasedWhilePlayingStops) {
  ASSERT_TRUE(OpenTone());
  Stream->play();
  Sleep(50);
  ASSERT_TRUE(Stream->isPlaying());
  Stream->unref();
  Stream = nullptr;

  Stream = Library.OpenSound(Device, Source, true);
  ASSERT_NE(Stream, nullptr);
  Stream->ref();
  Stream->play();
  EXPECT_TRUE(Stream->isPlaying());
  EXPECT_GE(WaitFor([this] { return !Stream->isPlaying(); }, 5000), 0);
}

// The trainer's player on the library: the interfaces line up across the
// library's boundary.
TEST(PlayerWithTheLibrary, PlaysStopsAndDropsASoundItCannotOpen) {
  TPlayer Player(false);
  ASSERT_TRUE(Player.Ready());
  Player.Open(Tone);
  ASSERT_TRUE(Player.HasStream());
  Player.Play();
  EXPECT_TRUE(Player.Playing());
  Player.Stop();
  EXPECT_FALSE(Player.Playing());
  Player.Play();
  EXPECT_TRUE(Player.Playing());
  Player.Open(FIXTURES_DIR "/audio/missing.mp3");
  EXPECT_FALSE(Player.HasStream());
  EXPECT_FALSE(Player.Playing());
  Player.Play();
  EXPECT_FALSE(Player.Playing());
}

}  // namespace
