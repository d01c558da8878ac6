// An MP3 file as a sample source, decoded as it is read: the file stays
// open, and the system's MP3 codec (the audio compression manager) turns a
// few kilobytes of frames at a time into 16-bit samples, so that the memory
// held does not grow with the length of the sound. Every operation is
// guarded: a sound reads the source from its own thread.
#pragma once

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstdint>
#include <vector>

#include "Audiere.h"
#include "Objects.h"
#include "Mp3Frames.h"

class TMp3Source final : public TCounted<Audiere::ISampleSource> {
public:
  // Opens FileName: reads the tags and the first frames for the format and
  // decodes the first piece, so that a file the codec refuses fails here.
  // Nil when the file is missing, is no MP3 or cannot be decoded.
  static TMp3Source* Open(const char* FileName);

  void __stdcall getFormat(int& ChannelCount, int& SampleRate) override;
  // Counted from the frame headers (once, on the first call), not decoded.
  int __stdcall getLength() override;
  int __stdcall read(int FrameCount, void* Buffer) override;
  void __stdcall reset() override;

  TMp3Source(const TMp3Source&) = delete;
  TMp3Source& operator=(const TMp3Source&) = delete;

protected:
  ~TMp3Source() override;

private:
  // The file's bytes from an offset on, a window of them at a time.
  class TWindow {
  public:
    TWindow(HANDLE File, uint64_t End) : FFile(File), FEnd(End), FData(65536) {}
    // The bytes at Offset: at least Need of them when the data goes on that
    // far (Available tells how many); nil when the file cannot be read.
    const unsigned char* At(uint64_t Offset, size_t Need, size_t& Available);

  private:
    HANDLE FFile;
    uint64_t FEnd;
    std::vector<unsigned char> FData;
    uint64_t FStart = 0;
    size_t FLength = 0;
  };

  explicit TMp3Source(HANDLE File);
  bool Locate();
  bool OpenCodec();
  void CloseCodec();
  // Converts the next piece of frames; false once the codec has given all.
  bool Decode();

  HANDLE FFile;
  CRITICAL_SECTION FLock;
  uint64_t FAudioStart = 0;  // the first frame of sound
  uint64_t FAudioEnd = 0;    // past the last frame (before an ID3v1 tag)
  Mp3::TFrameHeader FFirst;
  int FLength = -1;  // frames, once counted

  // The codec and where it stands.
  HACMSTREAM FCodec = nullptr;
  ACMSTREAMHEADER FHeader{};
  bool FPrepared = false;
  std::vector<BYTE> FIn, FOut;
  uint64_t FNext = 0;    // the file offset of the next bytes for the codec
  DWORD FPending = 0;    // bytes at the front of FIn the codec has not taken
  bool FStart = true;    // the next conversion starts the stream
  int FIdle = 0;         // conversions in a row that gave nothing
  bool FDone = false;    // the codec has given everything
  DWORD FOutAt = 0;      // bytes of FOut already read out
  DWORD FOutLength = 0;  // bytes the last conversion gave
  bool FAtStart = true;  // nothing read since the first frame
};
