// The logging stand-in of the audio library. Every entry point and object
// operation appends one line to the log ("OpenDevice autodetect", "play",
// "free stream", ...). AudiereLogReset empties the log and sets which
// entry points fail from now on: a text naming any of "device", "source"
// and "sound".
#include <windows.h>

#include <cstring>
#include <string>

#include "Audiere.h"

namespace {

using namespace Audiere;

std::string Log;
std::string Failing;

void Note(const std::string& Line) { Log += Line + "\n"; }

bool Fails(const char* What) { return Failing.find(What) != std::string::npos; }

// Logs ref and unref with the object's kind, and its freeing.
template <class Interface> class TLogged : public Interface {
public:
  explicit TLogged(const char* Kind) : FKind(Kind) {}
  void __stdcall ref() override {
    ++FCount;
    Note(std::string("ref ") + FKind);
  }
  void __stdcall unref() override {
    Note(std::string("unref ") + FKind);
    if (--FCount <= 0) {
      Note(std::string("free ") + FKind);
      delete this;
    }
  }

protected:
  virtual ~TLogged() = default;

private:
  const char* FKind;
  int FCount = 0;
};

class TDevice final : public TLogged<IAudioDevice> {
public:
  TDevice() : TLogged("device") {}
};

class TSource final : public TLogged<ISampleSource> {
public:
  TSource() : TLogged("source") {}
  void __stdcall getFormat(int& ChannelCount, int& SampleRate) override {
    ChannelCount = 1;
    SampleRate = 8000;
  }
  int __stdcall getLength() override { return 0; }
  int __stdcall read(int, void*) override { return 0; }
  void __stdcall reset() override {}
};

class TStream final : public TLogged<IOutputStream> {
public:
  TStream(IAudioDevice* Device, ISampleSource* Source) : TLogged("stream"), FDevice(Device), FSource(Source) {
    FDevice->ref();
    FSource->ref();
  }
  void __stdcall play() override {
    Note("play");
    FPlaying = true;
  }
  void __stdcall stop() override {
    Note("stop");
    FPlaying = false;
  }
  bool __stdcall isPlaying() override { return FPlaying; }
  void __stdcall reset() override { Note("reset"); }
  void __stdcall setRepeat(bool Repeat) override { Note(Repeat ? "setRepeat 1" : "setRepeat 0"); }

protected:
  ~TStream() override {
    FSource->unref();
    FDevice->unref();
  }

private:
  IAudioDevice* FDevice;
  ISampleSource* FSource;
  bool FPlaying = false;
};

}  // namespace

extern "C" {

IAudioDevice* __stdcall AdrOpenDevice(const char* Name, const char* Parameters) {
  Note(std::string("OpenDevice ") + Name + (Parameters && *Parameters ? std::string(" ") + Parameters : ""));
  return Fails("device") ? nullptr : new TDevice();
}

ISampleSource* __stdcall AdrOpenSampleSource(const char* FileName, int FileFormat) {
  Note(std::string("OpenSampleSource ") + FileName + " " + std::to_string(FileFormat));
  return Fails("source") ? nullptr : new TSource();
}

IOutputStream* __stdcall AdrOpenSound(IAudioDevice* Device, ISampleSource* Source, bool Streaming) {
  Note(std::string("OpenSound ") + (Streaming ? "streaming" : "buffered"));
  return Fails("sound") ? nullptr : new TStream(Device, Source);
}

const char* AudiereLogText() { return Log.c_str(); }

void AudiereLogReset(const char* FailingEntries) {
  Log.clear();
  Failing = FailingEntries ? FailingEntries : "";
}

}  // extern "C"
