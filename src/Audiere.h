// The audio library "Audiere.dll" as the sound player sees it: its three
// entry points and the objects they return.
//
// The objects cross the library's boundary as tables of virtual operations,
// so the tables must be laid out the same on both sides: every operation is
// __stdcall (the object on the stack), the slots stand in the order declared
// here, and no interface declares a destructor (a virtual one would add two
// slots). Objects are reference counted: a new object starts at 0, ref adds
// one, unref takes one and frees the object when the count reaches 0. An
// output stream holds a reference to its device and to its sample source.
//
// This header is shared by the trainer, by the library in audio/ and by the
// stand-in library of the player's tests; it needs nothing but the compiler.
#pragma once

namespace Audiere {

class IRefCounted {
public:
  virtual void __stdcall ref() = 0;
  virtual void __stdcall unref() = 0;

protected:
  ~IRefCounted() = default;
};

// An opened sound output.
class IAudioDevice : public IRefCounted {
protected:
  ~IAudioDevice() = default;
};

// A decoded sound file: 16-bit signed samples, the channels of a frame
// interleaved.
class ISampleSource : public IRefCounted {
public:
  virtual void __stdcall getFormat(int& ChannelCount, int& SampleRate) = 0;
  // Frames in the whole sound.
  virtual int __stdcall getLength() = 0;
  // Copies up to FrameCount frames from the read position into Buffer and
  // moves the position on; returns the frames copied (0 at the end).
  virtual int __stdcall read(int FrameCount, void* Buffer) = 0;
  // Back to the first frame.
  virtual void __stdcall reset() = 0;

protected:
  ~ISampleSource() = default;
};

// A sound being played on a device.
class IOutputStream : public IRefCounted {
public:
  // Starts the sound, or goes on after stop.
  virtual void __stdcall play() = 0;
  // Pauses; play goes on from the same place.
  virtual void __stdcall stop() = 0;
  // True while sound is queued and not paused.
  virtual bool __stdcall isPlaying() = 0;
  // Back to the beginning; a playing sound keeps playing from there.
  virtual void __stdcall reset() = 0;
  // Whether the sound starts again when it ends.
  virtual void __stdcall setRepeat(bool Repeat) = 0;

protected:
  ~IOutputStream() = default;
};

// The file formats AdrOpenSampleSource knows.
constexpr int FF_MP3 = 4;

// The entry points, exported as "_AdrOpenDevice@8", "_AdrOpenSampleSource@8"
// and "_AdrOpenSound@12". Each returns nil when it fails.
using TAdrOpenDevice = IAudioDevice* __stdcall (*)(const char* Name, const char* Parameters);
using TAdrOpenSampleSource = ISampleSource* __stdcall (*)(const char* FileName, int FileFormat);
using TAdrOpenSound = IOutputStream* __stdcall (*)(IAudioDevice* Device, ISampleSource* Source,
                                                    bool Streaming);

// The entry points of the loaded library.
struct TAudioLibrary {
  TAdrOpenDevice OpenDevice = nullptr;
  TAdrOpenSampleSource OpenSampleSource = nullptr;
  TAdrOpenSound OpenSound = nullptr;
};

// Loads "Audiere.dll" (never unloaded: the objects it made may outlive the
// binding) and looks up its entry points. False, with Library left empty,
// when the file or an entry point is missing.
bool BindAudioLibrary(TAudioLibrary& Library);

}  // namespace Audiere
