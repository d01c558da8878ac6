// The MD5 message digest (RFC 1321) of a byte string, and its text form.
#pragma once

#include <array>

#include "System.h"

using TMD5Digest = std::array<Byte, 16>;

// The digest of the bytes of Data (no terminator, no length prefix).
TMD5Digest MD5Digest(const AnsiString& Data);

// 32 upper-case hexadecimal digits, two per byte, byte 0 first.
AnsiString MD5DigestToStr(const TMD5Digest& Digest);
