// A sound of a sample source on the wave-out device, read as it plays: a
// few buffers of samples are queued ahead, and a worker thread refills each
// one the device is done with, so that the memory held is the same for a
// word and for an hour. The device signals an event when a buffer is done;
// the worker waits on it. Every operation is guarded by one lock, which the
// worker holds while it reads and queues.
#pragma once

#include <windows.h>

#include <vector>

#include "Audiere.h"
#include "Objects.h"

class TWaveStream final : public TCounted<Audiere::IOutputStream> {
public:
  // A sound of Source on Device, from its beginning; both get a reference.
  // Nil when the device does not take the source's format.
  static TWaveStream* Open(Audiere::IAudioDevice* Device, Audiere::ISampleSource* Source);

  // Queues the first buffer before it returns and leaves the rest to the
  // worker; after a stop it goes on where the sound was.
  void __stdcall play() override;
  void __stdcall stop() override;
  bool __stdcall isPlaying() override;
  void __stdcall reset() override;
  // Holds from the end of the pass that is playing.
  void __stdcall setRepeat(bool Repeat) override;

  TWaveStream(const TWaveStream&) = delete;
  TWaveStream& operator=(const TWaveStream&) = delete;

protected:
  ~TWaveStream() override;

private:
  struct TBuffer {
    WAVEHDR Header{};
    std::vector<short> Samples;
    bool Queued = false;
  };

  TWaveStream(int Channels, int Rate);
  bool Start(WAVEFORMATEX& Format);
  static DWORD WINAPI Run(void* Stream);
  void Work();

  // The following run under FLock.
  // From the beginning: rewinds the source and queues the first buffer.
  void Begin();
  // Queues up to Count free buffers while there is sound to read.
  void Queue(int Count);
  // Takes back the buffers the device is done with.
  void Collect();
  // Takes back every buffer; the sound is over.
  void Unqueue();

  Audiere::IAudioDevice* FDevice = nullptr;
  Audiere::ISampleSource* FSource = nullptr;
  int FChannels;
  int FBufferFrames;
  HWAVEOUT FWave = nullptr;
  HANDLE FDoneEvent = nullptr;  // set by the device
  HANDLE FWakeEvent = nullptr;  // set to have the worker look now
  HANDLE FThread = nullptr;
  CRITICAL_SECTION FLock;
  std::vector<TBuffer> FBuffers;
  int FQueued = 0;       // buffers on the device
  bool FActive = false;  // between the start of the sound and its end
  bool FEnded = false;   // the source has given its last samples
  bool FPaused = false;
  bool FRepeat = false;
  bool FQuit = false;
};
