#include "UniWindows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "UniSysUtils.h"

namespace {

// The first Count units (all up to the 0 when Count is -1) as 8-bit text.
AnsiString ToAnsi(const WideChar* Text, int Count) {
  if (!Text) return {};
  size_t Length = Count < 0 ? UniStrLen(Text) : static_cast<size_t>(Count);
  return WideToAnsi(WideString(Text, Length));
}

}  // namespace

HANDLE CreateFileWOrA(const WideChar* FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* SecurityAttributes, DWORD CreationDisposition,
                      DWORD FlagsAndAttributes, HANDLE TemplateFile) {
  if (IsUnicodePlatform)
    return CreateFileW(FileName, DesiredAccess, ShareMode, SecurityAttributes, CreationDisposition,
                       FlagsAndAttributes, TemplateFile);
  return CreateFileA(ToAnsi(FileName, -1).c_str(), DesiredAccess, ShareMode, SecurityAttributes,
                     CreationDisposition, FlagsAndAttributes, TemplateFile);
}

DWORD GetFileAttributesWOrA(const WideChar* FileName) {
  if (IsUnicodePlatform) return GetFileAttributesW(FileName);
  return GetFileAttributesA(ToAnsi(FileName, -1).c_str());
}

int DrawTextWOrA(HDC DC, const WideChar* Text, int Count, RECT* Rect, UINT Format) {
  if (IsUnicodePlatform) return DrawTextW(DC, Text, Count, Rect, Format);
  // The 8-bit copy is ours: an ellipsis written into it could not reach the
  // caller, and it has no room for one.
  AnsiString Ansi = ToAnsi(Text, Count);
  return DrawTextA(DC, Ansi.c_str(), -1, Rect, Format & ~static_cast<UINT>(DT_MODIFYSTRING));
}

DWORD GetModuleFileNameWOrA(HMODULE Module, WideChar* FileName, DWORD Size) {
  if (IsUnicodePlatform) return GetModuleFileNameW(Module, FileName, Size);
  char Ansi[MAX_PATH];
  DWORD N = GetModuleFileNameA(Module, Ansi, MAX_PATH);
  if (N == 0) return 0;
  WideString Name = AnsiToWide(AnsiString(Ansi, std::min<DWORD>(N, MAX_PATH)));
  if (Name.size() < Size) {
    UniStrMove(FileName, Name.c_str(), static_cast<Cardinal>(Name.size() + 1));
    return static_cast<DWORD>(Name.size());
  }
  UniStrMove(FileName, Name.c_str(), Size);
  return Size;
}

WideChar* CharUpperWOrA(WideChar* Text) {
  if (IsUnicodePlatform) return CharUpperW(Text);
  for (WideChar* P = Text; *P; ++P) *P = CharUpperWOrA(*P);
  return Text;
}

WideChar CharUpperWOrA(WideChar Ch) {
  if (IsUnicodePlatform)
    return static_cast<WideChar>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<WideChar*>(static_cast<UINT_PTR>(Ch)))));
  if (!IsWideCharMappableToAnsi(Ch)) return Ch;
  // A best-fit byte ("a" for U+0101) is not the character: upper-casing it
  // would give another letter.
  AnsiString Ansi = WideToAnsi(WideString(1, Ch));
  if (AnsiToWide(Ansi) != WideString(1, Ch)) return Ch;
  CharUpperBuffA(Ansi.data(), static_cast<DWORD>(Ansi.size()));
  WideString Upper = AnsiToWide(Ansi);
  return Upper.size() == 1 ? Upper[0] : Ch;
}

DWORD CharUpperBuffWOrA(WideChar* Text, DWORD Length) {
  if (IsUnicodePlatform) return CharUpperBuffW(Text, Length);
  for (DWORD I = 0; I < Length; ++I) Text[I] = CharUpperWOrA(Text[I]);
  return Length;
}

BOOL GetStringTypeExWOrA(LCID Locale, DWORD InfoType, const WideChar* Text, int Count,
                         WORD* CharType) {
  if (IsUnicodePlatform) return GetStringTypeExW(Locale, InfoType, Text, Count, CharType);
  // The 8-bit text may be longer than the wide one (two-byte code pages),
  // and its types include the 0 behind it: they go to room of our own, and
  // the caller gets as many as it gave units.
  AnsiString Ansi = ToAnsi(Text, Count);
  std::vector<WORD> Types(Ansi.size() + 1);
  if (!GetStringTypeExA(Locale, InfoType, Ansi.c_str(), -1, Types.data())) return FALSE;
  size_t Wanted = Count < 0 ? UniStrLen(Text) + 1 : static_cast<size_t>(Count);
  std::fill_n(CharType, Wanted, 0);
  std::copy_n(Types.begin(), std::min(Wanted, Types.size()), CharType);
  return TRUE;
}

int LoadStringWOrA(HINSTANCE Instance, UINT ID, WideChar* Buffer, int BufferMax) {
  if (IsUnicodePlatform) return LoadStringW(Instance, ID, Buffer, BufferMax);
  return LoadStringFromResourceTable(Instance, ID, Buffer, BufferMax);
}

const char* const RT_STRING_A = MAKEINTRESOURCEA(6);

int LoadStringFromResourceTable(HINSTANCE Instance, UINT ID, WideChar* Buffer, int Size) {
  if ((ID & 0xFFFF0000u) == 0xFFFF0000u) ID = 0u - ID;
  // A block number above 16 bits is no resource ordinal.
  UINT Block = (ID >> 4) + 1;
  if (Block > 0xFFFF) return 0;
  HRSRC Info = FindResourceA(Instance, MAKEINTRESOURCEA(Block), RT_STRING_A);
  if (!Info) return 0;
  HGLOBAL Data = LoadResource(Instance, Info);
  if (!Data) return 0;
  const Byte* P = static_cast<const Byte*>(LockResource(Data));
  if (!P) return 0;
  const Byte* End = P + SizeofResource(Instance, Info);
  // 16 counted strings; a block that ends early holds no more of them.
  auto Counted = [&](const Byte*& At, Word& Length) {
    if (End - At < 2) return false;
    Length = static_cast<Word>(At[0] | (At[1] << 8));
    if ((End - At - 2) / 2 < Length) return false;
    At += 2;
    return true;
  };
  Word Length = 0;
  for (UINT I = 0; I < (ID & 15); ++I) {
    if (!Counted(P, Length)) return 0;
    P += size_t(Length) * 2;
  }
  if (!Counted(P, Length)) return 0;
  if (!Buffer || Size <= 0) return Length;
  int N = std::min<int>(Size - 1, Length);
  std::memcpy(Buffer, P, size_t(N) * sizeof(WideChar));
  Buffer[N] = 0;
  return N;
}
