#include "Mp3Source.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Bytes of frames the codec is given at a time.
constexpr DWORD CodecInput = 16384;

bool ReadAt(HANDLE File, uint64_t Offset, void* Buffer, DWORD Count, DWORD& Done) {
  Done = 0;
  LARGE_INTEGER At;
  At.QuadPart = LONGLONG(Offset);
  return SetFilePointerEx(File, At, nullptr, FILE_BEGIN) && ReadFile(File, Buffer, Count, &Done, nullptr);
}

}  // namespace

const unsigned char* TMp3Source::TWindow::At(uint64_t Offset, size_t Need, size_t& Available) {
  Available = 0;
  if (Offset >= FEnd) return FData.data();
  const size_t Wanted = size_t(std::min<uint64_t>(Need, FEnd - Offset));
  if (Offset < FStart || Offset + Wanted > FStart + FLength) {
    const DWORD Count = DWORD(std::min<uint64_t>(FData.size(), FEnd - Offset));
    DWORD Done = 0;
    if (!ReadAt(FFile, Offset, FData.data(), Count, Done)) return nullptr;
    FStart = Offset;
    FLength = Done;
    if (FLength < Wanted) return nullptr;
  }
  Available = size_t(std::min<uint64_t>(FStart + FLength, FEnd) - Offset);
  return FData.data() + (Offset - FStart);
}

TMp3Source::TMp3Source(HANDLE File) : FFile(File), FIn(CodecInput) { InitializeCriticalSection(&FLock); }

TMp3Source::~TMp3Source() {
  CloseCodec();
  CloseHandle(FFile);
  DeleteCriticalSection(&FLock);
}

TMp3Source* TMp3Source::Open(const char* FileName) {
  HANDLE File = CreateFileA(FileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<TMp3Source, void (*)(TMp3Source*)> Source(new (std::nothrow) TMp3Source(File),
                                                            [](TMp3Source* S) { delete S; });
  if (!Source) {
    CloseHandle(File);
    return nullptr;
  }
  if (!Source->Locate() || !Source->OpenCodec() || !Source->Decode()) return nullptr;
  return Source.release();
}

// Finds the sound between the tags: after an ID3v2 tag, from the first
// frame, past an encoder's information frame, up to an ID3v1 tag.
bool TMp3Source::Locate() {
  LARGE_INTEGER Size;
  if (!GetFileSizeEx(FFile, &Size)) return false;
  FAudioEnd = uint64_t(Size.QuadPart);
  unsigned char Tag[128];
  DWORD Done = 0;
  if (FAudioEnd >= 128 && ReadAt(FFile, FAudioEnd - 128, Tag, 128, Done) && Done == 128 &&
      std::memcmp(Tag, "TAG", 3) == 0)
    FAudioEnd -= 128;
  TWindow Window(FFile, FAudioEnd);
  size_t Available = 0;
  const unsigned char* P = Window.At(0, 10, Available);
  if (!P) return false;
  uint64_t At = Mp3::Id3v2Length(P, Available);
  for (;; ++At) {
    P = Window.At(At, Mp3::FrameWindow, Available);
    if (!P || Available < 4) return false;
    if (Mp3::IsFirstFrame(P, Available, FFirst)) break;
  }
  size_t Start = 0;
  if (!Mp3::FindSound(P, Available, Start, FFirst)) return false;
  At += Start;
  FAudioStart = FNext = At;
  return true;
}

bool TMp3Source::OpenCodec() {
  MPEGLAYER3WAVEFORMAT Mp3{};
  Mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  Mp3.wfx.nChannels = WORD(FFirst.Channels);
  Mp3.wfx.nSamplesPerSec = DWORD(FFirst.Rate);
  Mp3.wfx.nAvgBytesPerSec = DWORD(FFirst.Bitrate * 1000 / 8);
  Mp3.wfx.nBlockAlign = 1;
  Mp3.wfx.wBitsPerSample = 0;
  Mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  Mp3.wID = MPEGLAYER3_ID_MPEG;
  Mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  Mp3.nBlockSize = WORD(FFirst.Length - FFirst.Padding);
  Mp3.nFramesPerBlock = 1;
  Mp3.nCodecDelay = 1393;
  WAVEFORMATEX Pcm{};
  Pcm.wFormatTag = WAVE_FORMAT_PCM;
  Pcm.nChannels = WORD(FFirst.Channels);
  Pcm.nSamplesPerSec = DWORD(FFirst.Rate);
  Pcm.wBitsPerSample = 16;
  Pcm.nBlockAlign = WORD(2 * FFirst.Channels);
  Pcm.nAvgBytesPerSec = Pcm.nSamplesPerSec * Pcm.nBlockAlign;

  if (acmStreamOpen(&FCodec, nullptr, &Mp3.wfx, &Pcm, nullptr, 0, 0, 0) != MMSYSERR_NOERROR) {
    FCodec = nullptr;
    return false;
  }
  DWORD OutSize = 0;
  if (acmStreamSize(FCodec, CodecInput, &OutSize, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR || OutSize == 0)
    return false;
  FOut.resize(OutSize);
  FHeader = ACMSTREAMHEADER{};
  FHeader.cbStruct = sizeof FHeader;
  FHeader.pbSrc = FIn.data();
  FHeader.cbSrcLength = CodecInput;
  FHeader.pbDst = FOut.data();
  FHeader.cbDstLength = OutSize;
  if (acmStreamPrepareHeader(FCodec, &FHeader, 0) != MMSYSERR_NOERROR) return false;
  FPrepared = true;
  FNext = FAudioStart;
  FPending = 0;
  FStart = true;
  FIdle = 0;
  FDone = false;
  FOutAt = FOutLength = 0;
  return true;
}

void TMp3Source::CloseCodec() {
  if (FPrepared) {
    FHeader.cbSrcLength = CodecInput;
    acmStreamUnprepareHeader(FCodec, &FHeader, 0);
    FPrepared = false;
  }
  if (FCodec) acmStreamClose(FCodec, 0);
  FCodec = nullptr;
}

bool TMp3Source::Decode() {
  if (FDone || !FPrepared) return false;
  DWORD Fill = DWORD(std::min<uint64_t>(CodecInput - FPending, FAudioEnd - FNext));
  DWORD Done = 0;
  if (Fill && (!ReadAt(FFile, FNext, FIn.data() + FPending, Fill, Done) || Done < Fill)) {
    // The file got shorter while it played: its sound ends where it ends.
    FAudioEnd = FNext + Done;
    Fill = Done;
  }
  FNext += Fill;
  const bool Last = FNext == FAudioEnd;
  FHeader.cbSrcLength = FPending + Fill;
  DWORD Flags = Last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN;
  if (FStart) Flags |= ACM_STREAMCONVERTF_START;
  FStart = false;
  FOutAt = FOutLength = 0;
  // A codec that takes no empty call to give what it still holds has given
  // everything before; a failure before the end ends the sound there.
  if (acmStreamConvert(FCodec, &FHeader, Flags) != MMSYSERR_NOERROR) {
    FDone = true;
    return false;
  }
  FOutLength = FHeader.cbDstLengthUsed;
  const DWORD Used = std::min(FHeader.cbSrcLengthUsed, FHeader.cbSrcLength);
  FPending = FHeader.cbSrcLength - Used;
  std::memmove(FIn.data(), FIn.data() + Used, FPending);
  // At the end the codec may still hold samples: ask until it gives no
  // more. Before the end, a call that takes and gives nothing would repeat
  // itself for ever.
  if (FOutLength == 0 && (Last || Used == 0))
    ++FIdle;
  else
    FIdle = 0;
  if (FIdle >= 4) FDone = true;
  return true;
}

void __stdcall TMp3Source::getFormat(int& ChannelCount, int& SampleRate) {
  ChannelCount = FFirst.Channels;
  SampleRate = FFirst.Rate;
}

int __stdcall TMp3Source::getLength() {
  TGuard Guard(FLock);
  if (FLength >= 0) return FLength;
  // Frame by frame from the first sound frame. Bytes that are no frame are
  // stepped over up to a header that a frame of the stream follows, and a
  // last frame cut short gives no sound.
  TWindow Window(FFile, FAudioEnd);
  int64_t Frames = 0;
  uint64_t At = FAudioStart;
  bool Synced = true;
  for (;;) {
    size_t Available = 0;
    const unsigned char* P = Window.At(At, Mp3::FrameWindow, Available);
    if (!P || Available < 4) break;
    Mp3::TFrameHeader Header;
    if (!(Synced ? Mp3::ReadFrameHeader(P, Available, Header) : Mp3::IsFirstFrame(P, Available, Header))) {
      Synced = false;
      ++At;
      continue;
    }
    if (size_t(Header.Length) > Available) break;
    Synced = true;
    Frames += Header.Samples;
    At += uint64_t(Header.Length);
  }
  FLength = int(std::min<int64_t>(Frames, 0x7FFFFFFF));
  return FLength;
}

int __stdcall TMp3Source::read(int FrameCount, void* Buffer) {
  if (FrameCount <= 0 || !Buffer) return 0;
  TGuard Guard(FLock);
  const size_t FrameBytes = size_t(2 * FFirst.Channels);
  const size_t Wanted = size_t(FrameCount) * FrameBytes;
  unsigned char* To = static_cast<unsigned char*>(Buffer);
  size_t Copied = 0;
  while (Copied < Wanted) {
    if (FOutAt == FOutLength) {
      if (!Decode()) break;
      continue;
    }
    const size_t Count = std::min<size_t>(Wanted - Copied, FOutLength - FOutAt);
    std::memcpy(To + Copied, FOut.data() + FOutAt, Count);
    FOutAt += DWORD(Count);
    Copied += Count;
  }
  if (Copied) FAtStart = false;
  return int(Copied / FrameBytes);
}

void __stdcall TMp3Source::reset() {
  TGuard Guard(FLock);
  if (FAtStart) return;
  // A new codec: the samples from the first frame come out as they did the
  // first time.
  CloseCodec();
  if (OpenCodec()) Decode();
  FAtStart = true;
}
