#include "WaveStream.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

// Buffers on the device at a time, each a tenth of a second of sound.
constexpr int BufferCount = 6;
constexpr int BuffersPerSecond = 10;
// How long the worker waits for the device's signal before it looks at the
// buffers anyway.
constexpr DWORD WorkerPoll = 50;

}  // namespace

TWaveStream::TWaveStream(int Channels, int Rate)
    : FChannels(Channels),
      FBufferFrames(std::max(Rate / BuffersPerSecond, 256)),
      FBuffers(BufferCount) {
  InitializeCriticalSection(&FLock);
  for (TBuffer& Buffer : FBuffers) Buffer.Samples.resize(size_t(FBufferFrames) * size_t(Channels));
}

TWaveStream::~TWaveStream() {
  if (FThread) {
    {
      TGuard Guard(FLock);
      FQuit = true;
    }
    SetEvent(FWakeEvent);
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
  }
  if (FWave) {
    Unqueue();
    waveOutClose(FWave);
  }
  if (FWakeEvent) CloseHandle(FWakeEvent);
  if (FDoneEvent) CloseHandle(FDoneEvent);
  DeleteCriticalSection(&FLock);
  if (FSource) FSource->unref();
  if (FDevice) FDevice->unref();
}

TWaveStream* TWaveStream::Open(Audiere::IAudioDevice* Device, Audiere::ISampleSource* Source) {
  int Channels = 0, Rate = 0;
  Source->getFormat(Channels, Rate);
  if (Channels <= 0 || Channels > 2 || Rate <= 0) return nullptr;
  WAVEFORMATEX Pcm{};
  Pcm.wFormatTag = WAVE_FORMAT_PCM;
  Pcm.nChannels = WORD(Channels);
  Pcm.nSamplesPerSec = DWORD(Rate);
  Pcm.wBitsPerSample = 16;
  Pcm.nBlockAlign = WORD(2 * Channels);
  Pcm.nAvgBytesPerSec = Pcm.nSamplesPerSec * Pcm.nBlockAlign;
  std::unique_ptr<TWaveStream, void (*)(TWaveStream*)> Stream(
      new (std::nothrow) TWaveStream(Channels, Rate), [](TWaveStream* S) { delete S; });
  if (!Stream || !Stream->Start(Pcm)) return nullptr;
  // Held only once the sound is made: a sound that fails must not free
  // what its caller has not referenced yet.
  Stream->FDevice = Device;
  Stream->FSource = Source;
  Device->ref();
  Source->ref();
  Source->reset();
  return Stream.release();
}

bool TWaveStream::Start(WAVEFORMATEX& Format) {
  FDoneEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  FWakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!FDoneEvent || !FWakeEvent) return false;
  if (waveOutOpen(&FWave, WAVE_MAPPER, &Format, DWORD_PTR(FDoneEvent), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    FWave = nullptr;
    return false;
  }
  // The worker needs little stack.
  FThread = CreateThread(nullptr, 64 * 1024, Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  return FThread != nullptr;
}

DWORD WINAPI TWaveStream::Run(void* Stream) {
  try {
    static_cast<TWaveStream*>(Stream)->Work();
  } catch (...) {
    // The worker ends; the buffers on the device play out, and the sound
    // ends when the stream is released.
  }
  return 0;
}

void TWaveStream::Work() {
  const HANDLE Events[2] = {FDoneEvent, FWakeEvent};
  for (;;) {
    WaitForMultipleObjects(2, Events, FALSE, WorkerPoll);
    TGuard Guard(FLock);
    if (FQuit) return;
    Collect();
    if (FActive && !FPaused) Queue(BufferCount);
  }
}

void TWaveStream::Begin() {
  FSource->reset();
  FEnded = false;
  FActive = true;
  Queue(1);
  SetEvent(FWakeEvent);
}

void TWaveStream::Queue(int Count) {
  for (TBuffer& Buffer : FBuffers) {
    if (Count == 0 || FEnded) break;
    if (Buffer.Queued) continue;
    // A pass that ends inside the buffer goes on with the next pass when
    // the sound repeats; a source that gives nothing after a rewind ends.
    int Frames = 0;
    bool Rewound = false;
    while (Frames < FBufferFrames) {
      const int Read = FSource->read(FBufferFrames - Frames, Buffer.Samples.data() + size_t(Frames) * FChannels);
      if (Read > 0) {
        Frames += Read;
        Rewound = false;
        continue;
      }
      if (!FRepeat || Rewound) {
        FEnded = true;
        break;
      }
      FSource->reset();
      Rewound = true;
    }
    if (Frames == 0) break;
    Buffer.Header = WAVEHDR{};
    Buffer.Header.lpData = reinterpret_cast<LPSTR>(Buffer.Samples.data());
    Buffer.Header.dwBufferLength = DWORD(size_t(Frames) * FChannels * 2);
    if (waveOutPrepareHeader(FWave, &Buffer.Header, sizeof Buffer.Header) != MMSYSERR_NOERROR) {
      FEnded = true;
      break;
    }
    if (waveOutWrite(FWave, &Buffer.Header, sizeof Buffer.Header) != MMSYSERR_NOERROR) {
      waveOutUnprepareHeader(FWave, &Buffer.Header, sizeof Buffer.Header);
      FEnded = true;
      break;
    }
    Buffer.Queued = true;
    ++FQueued;
    --Count;
  }
  if (FEnded && FQueued == 0) FActive = false;
}

void TWaveStream::Collect() {
  for (TBuffer& Buffer : FBuffers) {
    if (!Buffer.Queued || !(Buffer.Header.dwFlags & WHDR_DONE)) continue;
    waveOutUnprepareHeader(FWave, &Buffer.Header, sizeof Buffer.Header);
    Buffer.Queued = false;
    --FQueued;
  }
  if (FEnded && FQueued == 0) FActive = false;
}

void TWaveStream::Unqueue() {
  if (FQueued) waveOutReset(FWave);
  Collect();
  FActive = false;
  FEnded = false;
}

void __stdcall TWaveStream::play() {
  TGuard Guard(FLock);
  if (!FActive) Begin();
  if (FPaused) {
    waveOutRestart(FWave);
    FPaused = false;
  }
}

void __stdcall TWaveStream::stop() {
  TGuard Guard(FLock);
  if (FPaused) return;
  waveOutPause(FWave);
  FPaused = true;
}

bool __stdcall TWaveStream::isPlaying() {
  TGuard Guard(FLock);
  return FActive && !FPaused;
}

void __stdcall TWaveStream::reset() {
  TGuard Guard(FLock);
  const bool WasPlaying = FActive && !FPaused;
  Unqueue();
  if (WasPlaying) Begin();
}

void __stdcall TWaveStream::setRepeat(bool Repeat) {
  TGuard Guard(FLock);
  FRepeat = Repeat;
}
