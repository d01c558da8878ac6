// The frame layout of MPEG audio layer III: frame headers, the ID3v2 tag in
// front of the audio, and the encoder's information frame. Plain functions
// on bytes; the reading of files is the caller's.
#pragma once

#include <cstddef>

namespace Mp3 {

// What the header of a layer III frame tells.
struct TFrameHeader {
  int Version = 0;  // 3 MPEG 1, 2 MPEG 2, 0 MPEG 2.5
  int Bitrate = 0;  // kbit/s
  int Rate = 0;     // Hz
  int Channels = 0;
  int Padding = 0;
  bool Protected = false;  // a 16-bit CRC follows the header
  int Length = 0;          // bytes, with the padding
  int Samples = 0;         // sample frames the frame decodes to
};

// Bytes from the start of a frame to its end that a reader must have at
// hand to read the header, check the frame after it and look for an
// information tag: the longest frame and the next header.
constexpr size_t FrameWindow = 1441 + 4;

// Reads the header at P (Available bytes there). False when the bytes are
// no header of a layer III frame with a bit rate.
bool ReadFrameHeader(const unsigned char* P, size_t Available, TFrameHeader& Header);

// The length of an ID3v2 tag at P (10 bytes are enough), with its footer;
// 0 when P holds no such tag.
size_t Id3v2Length(const unsigned char* P, size_t Available);

// Whether a frame is the first of a stream: its successor, when the bytes
// go on that far, is a frame of the same stream, so that stray sync bits
// are not taken for a header. Available counts the bytes from P on.
bool IsFirstFrame(const unsigned char* P, size_t Available, TFrameHeader& Header);

// Whether the frame at P (Available bytes there, Header read from it) is
// the encoder's table of the stream ("Xing" or "Info" after the side
// information), which holds no sound.
bool IsInformationFrame(const unsigned char* P, size_t Available, const TFrameHeader& Header);

// Where the sound starts in frames that begin at P (FrameWindow bytes there,
// or the rest of the data): past an encoder's information frame, which
// holds no sound and whose bit rate need not be that of the frames after
// it. Start gets the offset from P and Header the header of the first frame
// of sound; false when P holds no frame or the one after the information
// frame is none.
bool FindSound(const unsigned char* P, size_t Available, size_t& Start, TFrameHeader& Header);

}  // namespace Mp3
