#include "md5.h"

#include <cstring>

namespace {

using TWord = std::uint32_t;

constexpr TWord RotateLeft(TWord X, int N) { return (X << N) | (X >> (32 - N)); }

// The per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr TWord T[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Shift amounts, four per round.
constexpr int S[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void Transform(TWord State[4], const Byte* Block) {
  TWord X[16];
  for (int i = 0; i < 16; ++i)
    X[i] = TWord(Block[4 * i]) | TWord(Block[4 * i + 1]) << 8 | TWord(Block[4 * i + 2]) << 16 |
           TWord(Block[4 * i + 3]) << 24;

  TWord A = State[0], B = State[1], C = State[2], D = State[3];
  for (int i = 0; i < 64; ++i) {
    const int Round = i / 16;
    TWord F;
    int K;
    switch (Round) {
      case 0: F = (B & C) | (~B & D); K = i; break;
      case 1: F = (B & D) | (C & ~D); K = (1 + 5 * i) % 16; break;
      case 2: F = B ^ C ^ D; K = (5 + 3 * i) % 16; break;
      default: F = C ^ (B | ~D); K = (7 * i) % 16; break;
    }
    const TWord Next = B + RotateLeft(A + F + X[K] + T[i], S[Round][i % 4]);
    A = D;
    D = C;
    C = B;
    B = Next;
  }
  State[0] += A;
  State[1] += B;
  State[2] += C;
  State[3] += D;
}

}  // namespace

TMD5Digest MD5Digest(const AnsiString& Data) {
  TWord State[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  const Byte* P = reinterpret_cast<const Byte*>(Data.data());
  const size_t Length = Data.size();

  size_t Done = 0;
  for (; Length - Done >= 64; Done += 64) Transform(State, P + Done);

  // The tail, the 0x80 marker, zero padding to 56 mod 64, then the bit
  // length as 64 bits little-endian.
  Byte Tail[128] = {};
  const size_t Rest = Length - Done;
  std::memcpy(Tail, P + Done, Rest);
  Tail[Rest] = 0x80;
  const size_t TailSize = Rest < 56 ? 64 : 128;
  const std::uint64_t Bits = static_cast<std::uint64_t>(Length) * 8;
  for (int i = 0; i < 8; ++i) Tail[TailSize - 8 + i] = static_cast<Byte>(Bits >> (8 * i));
  for (size_t Off = 0; Off < TailSize; Off += 64) Transform(State, Tail + Off);

  TMD5Digest Digest;
  for (int i = 0; i < 16; ++i) Digest[i] = static_cast<Byte>(State[i / 4] >> (8 * (i % 4)));
  return Digest;
}

AnsiString MD5DigestToStr(const TMD5Digest& Digest) {
  static const char Hex[] = "0123456789ABCDEF";
  AnsiString R;
  R.reserve(32);
  for (Byte B : Digest) {
    R += Hex[B >> 4];
    R += Hex[B & 15];
  }
  return R;
}
