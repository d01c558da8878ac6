// The audio library's entry points. An MP3 file is decoded as it plays, a
// few buffers ahead of the device (Mp3Source, WaveStream), so that opening
// and starting a sound take the same short time and the same memory
// whatever its length. Nothing here raises: an entry point that cannot do
// its work returns nil.
#include <windows.h>

#include <new>

#include "Audiere.h"
#include "Mp3Source.h"
#include "Objects.h"
#include "WaveStream.h"

namespace {

// The default wave-out device of the system.
class TDevice final : public TCounted<Audiere::IAudioDevice> {};

bool IsDefaultDeviceName(const char* Name) {
  return !Name || !*Name || lstrcmpiA(Name, "autodetect") == 0 || lstrcmpiA(Name, "winmm") == 0;
}

}  // namespace

extern "C" {

// Opens the default output ("", "autodetect" or "winmm"); nil when the
// system has no wave-out device.
Audiere::IAudioDevice* __stdcall AdrOpenDevice(const char* Name, const char* /*Parameters*/) {
  if (!IsDefaultDeviceName(Name) || waveOutGetNumDevs() == 0) return nullptr;
  return new (std::nothrow) TDevice();
}

// An MP3 file as a source decoded as it is read; nil for another format, a
// missing file or data that is not MP3.
Audiere::ISampleSource* __stdcall AdrOpenSampleSource(const char* FileName, int FileFormat) {
  if (!FileName || FileFormat != Audiere::FF_MP3) return nullptr;
  try {
    return TMp3Source::Open(FileName);
  } catch (...) {
    return nullptr;
  }
}

// A sound of the source on the device. It is read as it plays whether or
// not Streaming is asked for: a sound held whole would grow with its length.
Audiere::IOutputStream* __stdcall AdrOpenSound(Audiere::IAudioDevice* Device, Audiere::ISampleSource* Source,
                                               bool /*Streaming*/) {
  if (!Device || !Source) return nullptr;
  try {
    return TWaveStream::Open(Device, Source);
  } catch (...) {
    return nullptr;
  }
}

}  // extern "C"
