#include "Mp3Frames.h"

#include <cstring>

namespace Mp3 {

bool ReadFrameHeader(const unsigned char* P, size_t Available, TFrameHeader& Header) {
  if (Available < 4) return false;
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
  Header.Protected = (P[1] & 1) == 0;
  Header.Length = (Mpeg1 ? 144000 : 72000) * Header.Bitrate / Header.Rate + Header.Padding;
  Header.Samples = Mpeg1 ? 1152 : 576;
  return true;
}

size_t Id3v2Length(const unsigned char* P, size_t Available) {
  if (Available < 10 || std::memcmp(P, "ID3", 3) != 0) return 0;
  // The size is stored in four bytes of seven bits each.
  const size_t Size = (size_t(P[6] & 0x7F) << 21) | (size_t(P[7] & 0x7F) << 14) | (size_t(P[8] & 0x7F) << 7) |
                      size_t(P[9] & 0x7F);
  return 10 + Size + ((P[5] & 0x10) ? 10 : 0);
}

bool IsFirstFrame(const unsigned char* P, size_t Available, TFrameHeader& Header) {
  if (!ReadFrameHeader(P, Available, Header)) return false;
  const size_t Next = size_t(Header.Length);
  if (Next + 4 > Available) return true;
  TFrameHeader Following;
  return ReadFrameHeader(P + Next, Available - Next, Following) && Following.Version == Header.Version &&
         Following.Rate == Header.Rate && Following.Channels == Header.Channels;
}

bool IsInformationFrame(const unsigned char* P, size_t Available, const TFrameHeader& Header) {
  const size_t SideInfo = Header.Version == 3 ? (Header.Channels == 1 ? 17 : 32) : (Header.Channels == 1 ? 9 : 17);
  const size_t End = Available < size_t(Header.Length) ? Available : size_t(Header.Length);
  auto TagAt = [&](size_t Tag) {
    return Tag + 4 <= End && (std::memcmp(P + Tag, "Xing", 4) == 0 || std::memcmp(P + Tag, "Info", 4) == 0);
  };
  // In a protected frame the CRC after the header moves the side
  // information, and the tag, two bytes on; some encoders leave the tag
  // where it would stand without the CRC.
  if (Header.Protected && TagAt(4 + 2 + SideInfo)) return true;
  return TagAt(4 + SideInfo);
}

bool FindSound(const unsigned char* P, size_t Available, size_t& Start, TFrameHeader& Header) {
  Start = 0;
  if (!ReadFrameHeader(P, Available, Header)) return false;
  if (!IsInformationFrame(P, Available, Header)) return true;
  Start = size_t(Header.Length);
  return Start < Available && ReadFrameHeader(P + Start, Available - Start, Header);
}

}  // namespace Mp3
