#include "UniSysUtils.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "UniSystem.h"
#include "UniWindows.h"

bool IsUnicodePlatform = false;
bool IsXPOrLater = false;

void InitializeUniSysUtils() {
  OSVERSIONINFOA Info{};
  Info.dwOSVersionInfoSize = sizeof(Info);
  GetVersionExA(&Info);
  IsUnicodePlatform = Info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  IsXPOrLater = (Info.dwMajorVersion == 5 && Info.dwMinorVersion > 0) || Info.dwMajorVersion > 5;
}

// ---------------------------------------------------------------------------
// 0-terminated wide buffers

WideChar* UniStrEnd(const WideChar* Str) {
  while (*Str) ++Str;
  return const_cast<WideChar*>(Str);
}

Cardinal UniStrLen(const WideChar* Str) { return static_cast<Cardinal>(UniStrEnd(Str) - Str); }

WideChar* UniStrLCopy(WideChar* Dest, const WideChar* Source, Cardinal MaxLen) {
  WideChar* D = Dest;
  while (MaxLen > 0 && *Source) {
    *D++ = *Source++;
    --MaxLen;
  }
  *D = 0;
  return Dest;
}

WideChar* UniStrCopy(WideChar* Dest, const WideChar* Source) {
  return UniStrLCopy(Dest, Source, UniStrLen(Source));
}

WideChar* UniStrScan(const WideChar* Str, WideChar Chr) {
  for (;; ++Str) {
    if (*Str == Chr) return const_cast<WideChar*>(Str);
    if (*Str == 0) return nullptr;
  }
}

WideChar* UniStrMove(WideChar* Dest, const WideChar* Source, Cardinal Count) {
  std::memmove(Dest, Source, size_t(Count) * sizeof(WideChar));
  return Dest;
}

WideChar* UniStrAlloc(Cardinal Size) {
  Cardinal Bytes = Size * 2 + 4;
  // Held by the caller (TUniStrPtr) and released by UniStrDispose.
  Cardinal* Block = new Cardinal[(Bytes + 3) / 4]();
  Block[0] = Bytes;
  return reinterpret_cast<WideChar*>(Block + 1);
}

WideChar* UniStrNew(const WideChar* Str) {
  if (!Str) return nullptr;
  Cardinal Length = UniStrLen(Str);
  return UniStrMove(UniStrAlloc(Length + 1), Str, Length + 1);
}

void UniStrDispose(WideChar* Str) {
  if (Str) delete[] (reinterpret_cast<Cardinal*>(Str) - 1);
}

// ---------------------------------------------------------------------------
// Wide strings

WideString UniSysUtils::WideUpperCase(const WideString& S) {
  WideString R = S;
  if (!R.empty()) CharUpperBuffWOrA(R.data(), static_cast<DWORD>(R.size()));
  return R;
}

WideChar WideLastChar(const WideString& S) { return S.empty() ? 0 : S.back(); }

namespace {

WORD CharType1(WideChar Ch) {
  WORD Type = 0;
  if (!GetStringTypeExWOrA(GetThreadLocale(), CT_CTYPE1, &Ch, 1, &Type)) RaiseLastOSError();
  return Type;
}

}  // namespace

bool IsWideCharSpace(WideChar Ch) { return (CharType1(Ch) & C1_SPACE) != 0; }

bool IsWideCharPunct(WideChar Ch) { return (CharType1(Ch) & C1_PUNCT) != 0; }

bool IsWideWordBoundary(WideChar Ch) { return Ch == 0 || (CharType1(Ch) & (C1_SPACE | C1_PUNCT)) != 0; }

bool IsWideCharMappableToAnsi(WideChar Ch) {
  char Bytes[8];
  BOOL UsedDefault = FALSE;
  int N = WideCharToMultiByte(DefaultSystemCodePage, 0, &Ch, 1, Bytes, sizeof(Bytes), nullptr, &UsedDefault);
  return N > 0 && !UsedDefault;
}

WideString WideStringReplace(const WideString& S, const WideString& OldPattern,
                             const WideString& NewPattern, bool WholeWord, Integer Flags) {
  if (OldPattern.empty()) return S;
  bool IgnoreCase = (Flags & wrfIgnoreCase) != 0;
  // Upper-casing keeps the length, so positions in the search text are
  // positions in S.
  const WideString SearchText = IgnoreCase ? UniSysUtils::WideUpperCase(S) : S;
  const WideString Pattern = IgnoreCase ? UniSysUtils::WideUpperCase(OldPattern) : OldPattern;
  WideString Result;
  size_t Rest = 0;
  while (Rest < SearchText.size()) {
    size_t P = SearchText.find(Pattern, Rest);
    if (P == WideString::npos) break;
    size_t End = P + Pattern.size();
    if (WholeWord) {
      WideChar Before = P == Rest ? WideLastChar(Result) : S[P - 1];
      WideChar After = End < S.size() ? S[End] : 0;
      if (!IsWideWordBoundary(Before) || !IsWideWordBoundary(After)) {
        Result.append(S, Rest, End - Rest);
        Rest = End;
        continue;
      }
    }
    Result.append(S, Rest, P - Rest);
    Result += NewPattern;
    Rest = End;
    if ((Flags & wrfReplaceAll) == 0) break;
  }
  if (Rest < S.size()) Result.append(S, Rest, WideString::npos);
  return Result;
}

namespace {

const WideChar* LineBreakOf(TTextLineBreakStyle Style) {
  switch (Style) {
    case tlbsLF: return L"\n";
    case tlbsCR: return L"\r";
    case tlbsCRLF: break;
  }
  return L"\r\n";
}

// Calls Emit for every run of text between breaks and for every break, and
// gives the resulting length.
template <class F> size_t WalkLineBreaks(const WideString& S, size_t BreakLength, F Emit) {
  size_t Length = 0;
  size_t Start = 0;
  for (size_t I = 0; I < S.size();) {
    WideChar Ch = S[I];
    if (Ch != L'\r' && Ch != L'\n' && Ch != 0x2028) {
      ++I;
      continue;
    }
    Emit(Start, I - Start, true);
    Length += I - Start + BreakLength;
    I += (Ch == L'\r' && I + 1 < S.size() && S[I + 1] == L'\n') ? 2 : 1;
    Start = I;
  }
  Emit(Start, S.size() - Start, false);
  return Length + S.size() - Start;
}

}  // namespace

Integer WideAdjustLineBreaksLength(const WideString& S, TTextLineBreakStyle Style) {
  size_t BreakLength = UniStrLen(LineBreakOf(Style));
  return static_cast<Integer>(WalkLineBreaks(S, BreakLength, [](size_t, size_t, bool) {}));
}

WideString WideAdjustLineBreaks(const WideString& S, TTextLineBreakStyle Style) {
  const WideChar* Break = LineBreakOf(Style);
  WideString R;
  R.reserve(static_cast<size_t>(WideAdjustLineBreaksLength(S, Style)));
  WalkLineBreaks(S, UniStrLen(Break), [&](size_t Start, size_t Count, bool WithBreak) {
    R.append(S, Start, Count);
    if (WithBreak) R += Break;
  });
  return R;
}

Integer WideLastDelimiter(const WideString& Delimiters, const WideString& S) {
  for (size_t I = S.size(); I > 0; --I)
    if (S[I - 1] != 0 && Delimiters.find(S[I - 1]) != WideString::npos) return static_cast<Integer>(I);
  return 0;
}

WideString WideExtractFileName(const WideString& FileName) {
  return FileName.substr(static_cast<size_t>(WideLastDelimiter(L"\\:", FileName)));
}

// ---------------------------------------------------------------------------
// Files

HANDLE WideFileCreate(const WideString& FileName) {
  return CreateFileWOrA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const WideString& FileName, Cardinal Mode) {
  static constexpr DWORD AccessMode[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static constexpr DWORD ShareMode[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE};
  Cardinal Access = Mode & 3;
  Cardinal Share = (Mode >> 4) & 0xF;
  if (Access >= std::size(AccessMode) || Share >= std::size(ShareMode)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileWOrA(FileName.c_str(), AccessMode[Access], ShareMode[Share], nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD WideFileGetAttr(const WideString& FileName) { return GetFileAttributesWOrA(FileName.c_str()); }

bool WideFileExists(const WideString& FileName) {
  DWORD Attr = WideFileGetAttr(FileName);
  return Attr != INVALID_FILE_ATTRIBUTES && (Attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

WideString WideGetModuleFileName(HINSTANCE Module) {
  // A name that fills the room may come without its 0, so the room grows
  // until the name is shorter than it.
  std::vector<WideChar> Buffer(MAX_PATH);
  for (;;) {
    DWORD N = GetModuleFileNameWOrA(Module, Buffer.data(), static_cast<DWORD>(Buffer.size()));
    if (N == 0) RaiseLastOSError();
    if (N < Buffer.size()) {
      WideString Name(Buffer.data(), N);
      return Name.substr(0, Name.find(L'\0'));
    }
    Buffer.resize(Buffer.size() * 2);
  }
}

// ---------------------------------------------------------------------------
// Code pages

Cardinal LocaleAnsiCodePage(LCID Locale) {
  char Text[6];
  int N = GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, Text, sizeof(Text));
  if (N <= 1) return GetACP();
  Cardinal CodePage = 0;
  for (int I = 0; I < N - 1; ++I) {
    if (Text[I] < '0' || Text[I] > '9') return GetACP();
    CodePage = CodePage * 10 + static_cast<Cardinal>(Text[I] - '0');
  }
  return CodePage;
}

Cardinal KeyboardCodePage() {
  return LocaleAnsiCodePage(LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0))));
}

WideChar KeyCharToWide(Word CharCode) {
  if (CharCode >= 256) return static_cast<WideChar>(CharCode);
  char Byte = static_cast<char>(CharCode);
  WideChar Ch = 0;
  if (MultiByteToWideChar(KeyboardCodePage(), MB_USEGLYPHCHARS, &Byte, 1, &Ch, 1) != 1)
    return static_cast<WideChar>(CharCode);
  return Ch;
}

void WideSwapByteOrder(WideChar* Str) {
  for (; *Str; ++Str) *Str = static_cast<WideChar>((*Str << 8) | (*Str >> 8));
}

WideString CodePageToWide(const AnsiString& S, Cardinal CodePage) {
  if (CodePage == CP_UTF7) return UTF7ToWide(S);
  if (CodePage == CP_UTF8) return UTF8ToWide(S);
  if (S.empty()) return {};
  int Size = static_cast<int>(S.size());
  int N = MultiByteToWideChar(CodePage, 0, S.data(), Size, nullptr, 0);
  // Only a code page the system does not know converts nothing at all.
  if (N <= 0) RaiseLastOSError();
  WideString R(static_cast<size_t>(N), L'\0');
  R.resize(static_cast<size_t>(MultiByteToWideChar(CodePage, 0, S.data(), Size, R.data(), N)));
  return R;
}

AnsiString WideToCodePage(const WideString& S, Cardinal CodePage) {
  if (CodePage == CP_UTF7) return WideToUTF7(S);
  if (CodePage == CP_UTF8) return WideToUTF8(S);
  if (S.empty()) return {};
  int Size = static_cast<int>(S.size());
  int N = WideCharToMultiByte(CodePage, 0, S.data(), Size, nullptr, 0, nullptr, nullptr);
  if (N <= 0) RaiseLastOSError();
  AnsiString R(static_cast<size_t>(N), '\0');
  R.resize(static_cast<size_t>(WideCharToMultiByte(CodePage, 0, S.data(), Size, R.data(), N, nullptr, nullptr)));
  return R;
}
