// The audio library: an MP3 file is decoded whole when its sample source is
// opened (the files are short recordings of single words), and a sound plays
// the decoded samples as one wave-out buffer. Nothing here raises: an entry
// point that cannot do its work returns nil, and an operation that fails
// leaves the object as it was.
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "Audiere.h"

namespace {

using namespace Audiere;

// The count of one object; the object frees itself when it drops to 0.
template <class Interface> class TCounted : public Interface {
public:
  void __stdcall ref() override { InterlockedIncrement(&FCount); }
  void __stdcall unref() override {
    if (InterlockedDecrement(&FCount) <= 0) delete this;
  }

protected:
  virtual ~TCounted() = default;

private:
  LONG FCount = 0;
};

// The default wave-out device of the system.
class TDevice final : public TCounted<IAudioDevice> {};

// ---------------------------------------------------------------------------
// MP3 decoding

// What the header of an MPEG audio layer III frame tells.
struct TFrameHeader {
  int Version = 0;  // 3 MPEG 1, 2 MPEG 2, 0 MPEG 2.5
  int Bitrate = 0;  // kbit/s
  int Rate = 0;     // Hz
  int Channels = 0;
  int Padding = 0;
  int Length = 0;  // bytes, with the padding
};

bool ReadFrameHeader(const std::vector<unsigned char>& Data, size_t At, TFrameHeader& Header) {
  if (At + 4 > Data.size()) return false;
  const unsigned char* P = Data.data() + At;
  if (P[0] != 0xFF || (P[1] & 0xE0) != 0xE0) return false;
  const int Version = (P[1] >> 3) & 3;
  const int Layer = (P[1] >> 1) & 3;
  const int BitrateIndex = P[2] >> 4;
  const int RateIndex = (P[2] >> 2) & 3;
  // Layer III only; the free bit rate has no frame length to check.
  if (Version == 1 || Layer != 1 || BitrateIndex == 0 || BitrateIndex == 15 || RateIndex == 3) return false;
  static const int Bitrates[2][15] = {{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
                                      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
  static const int Rates[3] = {44100, 48000, 32000};
  const bool Mpeg1 = Version == 3;
  Header.Version = Version;
  Header.Bitrate = Bitrates[Mpeg1 ? 0 : 1][BitrateIndex];
  Header.Rate = Rates[RateIndex] >> (Mpeg1 ? 0 : Version == 2 ? 1 : 2);
  Header.Channels = (P[3] >> 6) == 3 ? 1 : 2;
  Header.Padding = (P[2] >> 1) & 1;
  Header.Length = (Mpeg1 ? 144000 : 72000) * Header.Bitrate / Header.Rate + Header.Padding;
  return true;
}

// Where the audio starts: after an ID3v2 tag (its size is stored in four
// bytes of seven bits each; a footer adds ten bytes).
size_t SkipId3v2(const std::vector<unsigned char>& Data) {
  if (Data.size() < 10 || std::memcmp(Data.data(), "ID3", 3) != 0) return 0;
  const size_t Size = (size_t(Data[6] & 0x7F) << 21) | (size_t(Data[7] & 0x7F) << 14) |
                      (size_t(Data[8] & 0x7F) << 7) | size_t(Data[9] & 0x7F);
  return 10 + Size + ((Data[5] & 0x10) ? 10 : 0);
}

// The first frame: a header whose successor (when the data goes on) is a
// header of the same stream, so that stray sync bits are not taken.
bool FindFirstFrame(const std::vector<unsigned char>& Data, size_t From, size_t& At, TFrameHeader& Header) {
  for (size_t I = From; I + 4 <= Data.size(); ++I) {
    if (!ReadFrameHeader(Data, I, Header)) continue;
    const size_t Next = I + Header.Length;
    TFrameHeader Following;
    if (Next + 4 > Data.size() ||
        (ReadFrameHeader(Data, Next, Following) && Following.Version == Header.Version &&
         Following.Rate == Header.Rate && Following.Channels == Header.Channels)) {
      At = I;
      return true;
    }
  }
  return false;
}

// A frame whose data, after the side information, starts with "Xing" or
// "Info": the encoder's table of the stream, not sound.
bool IsInformationFrame(const std::vector<unsigned char>& Data, size_t At, const TFrameHeader& Header) {
  const size_t SideInfo = Header.Version == 3 ? (Header.Channels == 1 ? 17 : 32) : (Header.Channels == 1 ? 9 : 17);
  const size_t Tag = At + 4 + SideInfo;
  if (Tag + 4 > Data.size() || Tag + 4 > At + Header.Length) return false;
  return std::memcmp(Data.data() + Tag, "Xing", 4) == 0 || std::memcmp(Data.data() + Tag, "Info", 4) == 0;
}

bool ReadWholeFile(const char* FileName, std::vector<unsigned char>& Data) {
  HANDLE File = CreateFileA(FileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  bool Ok = false;
  const DWORD Size = GetFileSize(File, nullptr);
  if (Size != INVALID_FILE_SIZE) {
    Data.resize(Size);
    DWORD Done = 0;
    Ok = Size == 0 || (ReadFile(File, Data.data(), Size, &Done, nullptr) && Done == Size);
  }
  CloseHandle(File);
  return Ok;
}

// Converts the frames from Data[From] on to 16-bit samples with the
// system's MP3 codec.
bool ConvertToPcm(const std::vector<unsigned char>& Data, size_t From, const TFrameHeader& First,
                  std::vector<short>& Samples) {
  MPEGLAYER3WAVEFORMAT Mp3{};
  Mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  Mp3.wfx.nChannels = WORD(First.Channels);
  Mp3.wfx.nSamplesPerSec = DWORD(First.Rate);
  Mp3.wfx.nAvgBytesPerSec = DWORD(First.Bitrate * 1000 / 8);
  Mp3.wfx.nBlockAlign = 1;
  Mp3.wfx.wBitsPerSample = 0;
  Mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  Mp3.wID = MPEGLAYER3_ID_MPEG;
  Mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  Mp3.nBlockSize = WORD(First.Length - First.Padding);
  Mp3.nFramesPerBlock = 1;
  Mp3.nCodecDelay = 1393;
  WAVEFORMATEX Pcm{};
  Pcm.wFormatTag = WAVE_FORMAT_PCM;
  Pcm.nChannels = WORD(First.Channels);
  Pcm.nSamplesPerSec = DWORD(First.Rate);
  Pcm.wBitsPerSample = 16;
  Pcm.nBlockAlign = WORD(2 * First.Channels);
  Pcm.nAvgBytesPerSec = Pcm.nSamplesPerSec * Pcm.nBlockAlign;

  HACMSTREAM Stream = nullptr;
  if (acmStreamOpen(&Stream, nullptr, &Mp3.wfx, &Pcm, nullptr, 0, 0, 0) != MMSYSERR_NOERROR) return false;
  const DWORD InSize = 16384;
  DWORD OutSize = 0;
  if (acmStreamSize(Stream, InSize, &OutSize, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR || OutSize == 0) {
    acmStreamClose(Stream, 0);
    return false;
  }
  std::vector<BYTE> In(InSize), Out(OutSize);
  ACMSTREAMHEADER Header{};
  Header.cbStruct = sizeof Header;
  Header.pbSrc = In.data();
  Header.cbSrcLength = InSize;
  Header.pbDst = Out.data();
  Header.cbDstLength = OutSize;
  if (acmStreamPrepareHeader(Stream, &Header, 0) != MMSYSERR_NOERROR) {
    acmStreamClose(Stream, 0);
    return false;
  }
  std::vector<BYTE> Bytes;
  size_t Next = From;
  DWORD Pending = 0;  // bytes at the front of In not taken yet
  bool Ok = true;
  bool Start = true;
  for (int Idle = 0; Idle < 4;) {
    const DWORD Fill = DWORD(std::min<size_t>(InSize - Pending, Data.size() - Next));
    std::memcpy(In.data() + Pending, Data.data() + Next, Fill);
    Next += Fill;
    const bool Last = Next == Data.size();
    Header.cbSrcLength = Pending + Fill;
    DWORD Flags = Last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN;
    if (Start) Flags |= ACM_STREAMCONVERTF_START;
    Start = false;
    if (acmStreamConvert(Stream, &Header, Flags) != MMSYSERR_NOERROR) {
      // A codec that takes no empty call to give what it still holds has
      // given everything before.
      Ok = Last && Header.cbSrcLength == 0;
      break;
    }
    Bytes.insert(Bytes.end(), Out.begin(), Out.begin() + Header.cbDstLengthUsed);
    const DWORD Used = std::min(Header.cbSrcLengthUsed, Header.cbSrcLength);
    Pending = Header.cbSrcLength - Used;
    std::memmove(In.data(), In.data() + Used, Pending);
    // At the end the codec may still hold samples: ask until it gives no
    // more. Before the end, a call that takes and gives nothing would
    // repeat itself for ever.
    if (Header.cbDstLengthUsed == 0 && (Last || Used == 0))
      ++Idle;
    else
      Idle = 0;
  }
  Header.cbSrcLength = InSize;
  acmStreamUnprepareHeader(Stream, &Header, 0);
  acmStreamClose(Stream, 0);
  if (!Ok) return false;
  Samples.resize(Bytes.size() / 2);
  for (size_t I = 0; I < Samples.size(); ++I) Samples[I] = short(Bytes[2 * I] | (Bytes[2 * I + 1] << 8));
  return true;
}

class TMp3Source final : public TCounted<ISampleSource> {
public:
  TMp3Source(int Channels, int Rate, std::vector<short>&& Samples)
      : FChannels(Channels), FRate(Rate), FSamples(std::move(Samples)) {}

  void __stdcall getFormat(int& ChannelCount, int& SampleRate) override {
    ChannelCount = FChannels;
    SampleRate = FRate;
  }
  int __stdcall getLength() override { return int(FSamples.size() / FChannels); }
  int __stdcall read(int FrameCount, void* Buffer) override {
    if (FrameCount <= 0 || !Buffer) return 0;
    const int Frames = std::min(FrameCount, getLength() - FPosition);
    std::memcpy(Buffer, FSamples.data() + size_t(FPosition) * FChannels, size_t(Frames) * FChannels * 2);
    FPosition += Frames;
    return Frames;
  }
  void __stdcall reset() override { FPosition = 0; }

private:
  int FChannels;
  int FRate;
  std::vector<short> FSamples;
  int FPosition = 0;
};

ISampleSource* OpenMp3(const char* FileName) {
  std::vector<unsigned char> Data;
  if (!ReadWholeFile(FileName, Data)) return nullptr;
  // An ID3v1 tag at the end is no audio.
  if (Data.size() >= 128 && std::memcmp(Data.data() + Data.size() - 128, "TAG", 3) == 0) Data.resize(Data.size() - 128);
  size_t At = 0;
  TFrameHeader First;
  if (!FindFirstFrame(Data, SkipId3v2(Data), At, First)) return nullptr;
  // An encoder's information frame heads the audio: it holds no sound, and
  // its bit rate need not be that of the frames after it.
  if (IsInformationFrame(Data, At, First)) {
    At += First.Length;
    if (!ReadFrameHeader(Data, At, First)) return nullptr;
  }
  std::vector<short> Samples;
  if (!ConvertToPcm(Data, At, First, Samples)) return nullptr;
  return new TMp3Source(First.Channels, First.Rate, std::move(Samples));
}

// ---------------------------------------------------------------------------
// Output

// The whole sound in one wave-out buffer. The device sets WHDR_DONE in the
// buffer's header when the buffer has played, which isPlaying looks at.
class TWaveStream final : public TCounted<IOutputStream> {
public:
  TWaveStream(IAudioDevice* Device, ISampleSource* Source, HWAVEOUT Wave, std::vector<short>&& Samples)
      : FDevice(Device), FSource(Source), FWave(Wave), FSamples(std::move(Samples)) {
    FDevice->ref();
    FSource->ref();
  }

  void __stdcall play() override {
    if (!FQueued || Done()) Queue();
    if (FPaused) {
      waveOutRestart(FWave);
      FPaused = false;
    }
  }
  void __stdcall stop() override {
    if (FPaused) return;
    waveOutPause(FWave);
    FPaused = true;
  }
  bool __stdcall isPlaying() override { return FQueued && !Done() && !FPaused; }
  void __stdcall reset() override {
    const bool WasPlaying = isPlaying();
    Unqueue();
    if (WasPlaying) Queue();
  }
  // Turned on, it holds from the next start; turned off while the sound
  // loops, the sound ends at the end of the pass it is in.
  void __stdcall setRepeat(bool Repeat) override {
    FRepeat = Repeat;
    if (!Repeat && FQueued && !Done()) waveOutBreakLoop(FWave);
  }

protected:
  ~TWaveStream() override {
    Unqueue();
    waveOutClose(FWave);
    FSource->unref();
    FDevice->unref();
  }

private:
  bool Done() const { return (FHeader.dwFlags & WHDR_DONE) != 0; }

  void Queue() {
    Unqueue();
    if (FSamples.empty()) return;
    FHeader = WAVEHDR{};
    FHeader.lpData = reinterpret_cast<LPSTR>(FSamples.data());
    FHeader.dwBufferLength = DWORD(FSamples.size() * 2);
    if (waveOutPrepareHeader(FWave, &FHeader, sizeof FHeader) != MMSYSERR_NOERROR) return;
    if (FRepeat) {
      FHeader.dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
      FHeader.dwLoops = 0xFFFFFFFF;
    }
    if (waveOutWrite(FWave, &FHeader, sizeof FHeader) != MMSYSERR_NOERROR) {
      waveOutUnprepareHeader(FWave, &FHeader, sizeof FHeader);
      return;
    }
    FQueued = true;
  }

  void Unqueue() {
    if (!FQueued) return;
    waveOutReset(FWave);
    waveOutUnprepareHeader(FWave, &FHeader, sizeof FHeader);
    FQueued = false;
  }

  IAudioDevice* FDevice;
  ISampleSource* FSource;
  HWAVEOUT FWave;
  std::vector<short> FSamples;
  WAVEHDR FHeader{};
  bool FQueued = false;
  bool FPaused = false;
  bool FRepeat = false;
};

bool IsDefaultDeviceName(const char* Name) {
  return !Name || !*Name || lstrcmpiA(Name, "autodetect") == 0 || lstrcmpiA(Name, "winmm") == 0;
}

}  // namespace

extern "C" {

// Opens the default output ("", "autodetect" or "winmm"); nil when the
// system has no wave-out device.
IAudioDevice* __stdcall AdrOpenDevice(const char* Name, const char* /*Parameters*/) {
  if (!IsDefaultDeviceName(Name) || waveOutGetNumDevs() == 0) return nullptr;
  return new (std::nothrow) TDevice();
}

// Decodes an MP3 file; nil for another format, a missing file or data that
// is not MP3.
ISampleSource* __stdcall AdrOpenSampleSource(const char* FileName, int FileFormat) {
  if (!FileName || FileFormat != FF_MP3) return nullptr;
  try {
    return OpenMp3(FileName);
  } catch (...) {
    return nullptr;
  }
}

// A sound of the source on the device. The samples are held in memory
// whether or not Streaming is asked for.
IOutputStream* __stdcall AdrOpenSound(IAudioDevice* Device, ISampleSource* Source, bool /*Streaming*/) {
  if (!Device || !Source) return nullptr;
  try {
    int Channels = 0, Rate = 0;
    Source->getFormat(Channels, Rate);
    if (Channels <= 0 || Rate <= 0) return nullptr;
    Source->reset();
    std::vector<short> Samples(size_t(Source->getLength()) * Channels);
    Samples.resize(size_t(Source->read(Source->getLength(), Samples.data())) * Channels);
    Source->reset();
    WAVEFORMATEX Pcm{};
    Pcm.wFormatTag = WAVE_FORMAT_PCM;
    Pcm.nChannels = WORD(Channels);
    Pcm.nSamplesPerSec = DWORD(Rate);
    Pcm.wBitsPerSample = 16;
    Pcm.nBlockAlign = WORD(2 * Channels);
    Pcm.nAvgBytesPerSec = Pcm.nSamplesPerSec * Pcm.nBlockAlign;
    HWAVEOUT Wave = nullptr;
    if (waveOutOpen(&Wave, WAVE_MAPPER, &Pcm, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
    IOutputStream* Stream = new (std::nothrow) TWaveStream(Device, Source, Wave, std::move(Samples));
    if (!Stream) waveOutClose(Wave);
    return Stream;
  } catch (...) {
    return nullptr;
  }
}

}  // extern "C"
