#include "UniSystem.h"

#include <array>
#include <initializer_list>

#include "SysUtils.h"
#include "UniSysUtils.h"
#include "UniWindows.h"

Cardinal DefaultSystemCodePage = CP_ACP;

namespace {

Cardinal SavedDefaultSystemCodePage = CP_ACP;

// ---------------------------------------------------------------------------
// UTF-7 character classes

constexpr char Base64Chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char SetD[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
constexpr char SetO[] = "!\"#$%&*;<=>@[]^_`{|}";
constexpr char WhiteSpace[] = "\t\r\n ";

struct TUTF7Tables {
  // The character is written inside a base64 run (the optionally direct set
  // is written directly).
  std::array<bool, 128> MustShiftOptional{};
  // The value of a base64 letter; -1 for every other character.
  std::array<signed char, 128> Base64Value{};
};

constexpr TUTF7Tables BuildUTF7Tables() {
  TUTF7Tables T;
  for (int I = 0; I < 128; ++I) {
    T.MustShiftOptional[I] = true;
    T.Base64Value[I] = -1;
  }
  for (const char* Set : {SetD, SetO, WhiteSpace})
    for (const char* P = Set; *P; ++P) T.MustShiftOptional[static_cast<unsigned char>(*P)] = false;
  for (int I = 0; I < 64; ++I) T.Base64Value[static_cast<unsigned char>(Base64Chars[I])] = static_cast<signed char>(I);
  return T;
}

constexpr TUTF7Tables UTF7 = BuildUTF7Tables();

bool IsBase64Letter(unsigned Ch) { return Ch < 128 && UTF7.Base64Value[Ch] >= 0; }

// ---------------------------------------------------------------------------
// Command line

constexpr size_t MaxParamLength = 4096;

// One parameter from P on; P is left where the scan stopped.
WideString ParseWideParam(const WideChar*& P) {
  for (;;) {
    while (*P >= 1 && *P <= L' ') ++P;
    if (P[0] == L'"' && P[1] == L'"')
      P += 2;
    else
      break;
  }
  WideString Param;
  while (*P > L' ' && Param.size() < MaxParamLength) {
    if (*P != L'"') {
      Param += *P++;
      continue;
    }
    ++P;
    while (*P != 0 && *P != L'"' && Param.size() < MaxParamLength) Param += *P++;
    if (*P == L'"') ++P;
  }
  return Param;
}

}  // namespace

void InitializeUniSystem() {
  OSVERSIONINFOA Info{};
  Info.dwOSVersionInfoSize = sizeof(Info);
  GetVersionExA(&Info);
  if (Info.dwPlatformId == VER_PLATFORM_WIN32_NT && Info.dwMajorVersion > 4)
    DefaultSystemCodePage = CP_THREAD_ACP;
  else
    DefaultSystemCodePage = LocaleAnsiCodePage(GetThreadLocale());
  SavedDefaultSystemCodePage = DefaultSystemCodePage;
}

void FinalizeUniSystem() { DefaultSystemCodePage = SavedDefaultSystemCodePage; }

WideString WideLoadResString(const TResStringRec* ResStringRec) {
  if (!ResStringRec) return {};
  if (ResStringRec->Identifier < 0x10000) {
    WideChar Buffer[4097];
    int Length = LoadStringWOrA(ResStringRec->Module, static_cast<UINT>(ResStringRec->Identifier),
                                Buffer, 4097);
    return WideString(Buffer, static_cast<size_t>(Length > 0 ? Length : 0));
  }
  AnsiString Text(reinterpret_cast<const char*>(ResStringRec->Identifier));
  if (Text.size() > 3 && Text.compare(0, 3, "\xEF\xBB\xBF") == 0) return UTF8ToWide(Text.substr(3));
  return AnsiToWide(Text);
}

WideString WideParamStr(Integer Index) {
  if (Index == 0) return WideGetModuleFileName(nullptr);
  const WideChar* P = GetCommandLineW();
  WideString Param;
  for (Integer I = 0; I <= Index; ++I) {
    Param = ParseWideParam(P);
    if (Param.empty()) break;
  }
  return Param;
}

AnsiString WideToUTF7(const WideString& S) {
  AnsiString R;
  if (S.empty()) return R;
  R.reserve(S.size() * 3);
  bool InRun = false;
  Cardinal Bits = 0;
  int BitCount = 0;
  auto CloseRun = [&] {
    if (BitCount > 0) R += Base64Chars[(Bits << (6 - BitCount)) & 0x3F];
    Bits = 0;
    BitCount = 0;
    InRun = false;
  };
  for (WideChar Ch : S) {
    bool NeedsEncoding = Ch > 127 || UTF7.MustShiftOptional[Ch];
    if (!NeedsEncoding) {
      if (InRun) {
        CloseRun();
        // Only where the next character would be read as part of the run.
        if (IsBase64Letter(Ch) || Ch == L'-') R += '-';
      }
      R += static_cast<char>(Ch);
      continue;
    }
    if (!InRun) {
      R += '+';
      if (Ch == L'+') {
        R += '-';
        continue;
      }
      InRun = true;
    }
    Bits = (Bits << 16) | Ch;
    BitCount += 16;
    while (BitCount >= 6) {
      BitCount -= 6;
      R += Base64Chars[(Bits >> BitCount) & 0x3F];
    }
    Bits &= (1u << BitCount) - 1;
  }
  if (InRun) CloseRun();
  return R;
}

WideString UTF7ToWide(const AnsiString& S) {
  WideString R;
  if (S.empty()) return R;
  R.reserve(S.size());
  bool Invalid = false;
  bool InRun = false;
  bool JustOpened = false;
  bool UnitWritten = false;
  Cardinal Bits = 0;
  int BitCount = 0;
  // Closes a run at Ch (0 at the end of the input); true when Ch is consumed.
  auto CloseRun = [&](unsigned Ch) {
    bool Consumed = false;
    if (Ch == '-') {
      Consumed = true;
      if (JustOpened)
        R += L'+';
      else if (!UnitWritten)
        Invalid = true;
    } else if (!UnitWritten) {
      Invalid = true;
    }
    if ((Bits & ((1u << BitCount) - 1)) != 0) Invalid = true;
    InRun = false;
    Bits = 0;
    BitCount = 0;
    return Consumed;
  };
  for (size_t I = 0; I < S.size(); ++I) {
    unsigned Ch = static_cast<unsigned char>(S[I]);
    if (InRun) {
      if (IsBase64Letter(Ch)) {
        Bits = (Bits << 6) | static_cast<Cardinal>(UTF7.Base64Value[Ch]);
        BitCount += 6;
        JustOpened = false;
        if (BitCount >= 16) {
          BitCount -= 16;
          R += static_cast<WideChar>((Bits >> BitCount) & 0xFFFF);
          Bits &= (1u << BitCount) - 1;
          UnitWritten = true;
        }
        continue;
      }
      if (CloseRun(Ch)) continue;
    }
    if (Ch == '+') {
      InRun = true;
      JustOpened = true;
      UnitWritten = false;
      continue;
    }
    if (Ch > 127) Invalid = true;
    R += static_cast<WideChar>(Ch);
  }
  if (InRun) CloseRun(0);
  if (Invalid) throw EUniGeneralError("Invalid UTF7");
  return R;
}
