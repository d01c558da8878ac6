#include "VsTools.h"

#include <exception>

#include "SysUtils.h"

Cardinal SwapInt32(Cardinal X) {
  return (X >> 24) | ((X >> 8) & 0x0000FF00u) | ((X << 8) & 0x00FF0000u) | (X << 24);
}

void CenterRect(int W1, int W2, int H1, int H2, TRect& R) {
  R.left = VsMax(W2 / 2 - W1 / 2, 0);
  R.right = VsMin(R.left + W1 - 1, R.left + W2 - 1);
  R.top = VsMax(H2 / 2 - H1 / 2, 0);
  R.bottom = VsMin(R.top + H1 - 1, R.top + H2 - 1);
}

int VsSign(int X) { return X < 0 ? -1 : X > 0 ? 1 : 0; }

bool VsInRange(int Low, int High, int X) { return Low <= X && X <= High; }

int VsMax(int A, int B) { return A > B ? A : B; }

int VsMin(int A, int B) { return A < B ? A : B; }

bool WriteStringToStream(TStream* Stream, const AnsiString& S) {
  try {
    const Cardinal Length = static_cast<Cardinal>(S.size());
    const Byte Header[4] = {static_cast<Byte>(Length), static_cast<Byte>(Length >> 8),
                            static_cast<Byte>(Length >> 16), static_cast<Byte>(Length >> 24)};
    Stream->WriteBuffer(Header, 4);
    if (!S.empty()) Stream->WriteBuffer(S.data(), static_cast<int>(S.size()));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ReadStringFromStream(TStream* Stream, AnsiString& S) {
  Int64 Start = 0;
  try {
    Start = Stream->Position();
    Byte Header[4];
    Stream->ReadBuffer(Header, 4);
    const Integer Length = static_cast<Integer>(static_cast<Cardinal>(Header[0]) | (static_cast<Cardinal>(Header[1]) << 8) |
                                                (static_cast<Cardinal>(Header[2]) << 16) |
                                                (static_cast<Cardinal>(Header[3]) << 24));
    // A length the stream cannot hold is a damaged header: refused before
    // anything is allocated.
    if (Length < 0 || Length > Stream->Size() - Stream->Position())
      throw EReadError("Invalid string header read from the stream");
    AnsiString Value(static_cast<size_t>(Length), '\0');
    if (Length > 0) Stream->ReadBuffer(Value.data(), Length);
    S = std::move(Value);
    return true;
  } catch (const std::exception&) {
    try {
      Stream->SetPosition(Start);
    } catch (const std::exception&) {
      // The stream is broken beyond repositioning; the result says so already.
    }
    return false;
  }
}

void WriteTextLine(TStream* Stream, const AnsiString& S) {
  const bool Ended = S.size() >= 2 && S.compare(S.size() - 2, 2, "\r\n") == 0;
  const AnsiString Line = Ended ? S : S + "\r\n";
  Stream->WriteBuffer(Line.data(), static_cast<int>(Line.size()));
}

void DotStrToFloat(const AnsiString& S, double& Value, int& Code) {
  AnsiString T = S;
  const size_t Dot = T.find('.');
  if (Dot != AnsiString::npos) T[Dot] = DecimalSeparator;
  Code = TryStrToFloat(T, Value) ? 0 : 1;
}

AnsiString FloatToDotStr(double X) {
  AnsiString S = FloatToStr(X);
  const size_t P = S.find(static_cast<AnsiChar>(DecimalSeparator));
  if (P != AnsiString::npos) S[P] = '.';
  return S;
}

AnsiString AddTrailingBackslash(const AnsiString& Path) {
  if (Path.empty() || Path.back() == '\\' || Path.back() == '/') return Path;
  return Path + "\\";
}

AnsiString MakeTempFileName(const AnsiString& Folder) {
  AnsiString Dir = Folder;
  if (Dir.empty()) {
    char Buffer[MAX_PATH + 1];
    const DWORD Length = GetTempPathA(MAX_PATH, Buffer);
    if (Length > 0 && Length <= MAX_PATH) Dir = AddTrailingBackslash(AnsiString(Buffer, Length));
  }
  GUID Guid{};
  CoCreateGuid(&Guid);
  wchar_t Text[40];
  const int Units = StringFromGUID2(Guid, Text, 40);
  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}": the 36 characters inside the braces.
  AnsiString Name;
  for (int I = 1; I < Units - 2; ++I) Name += static_cast<char>(Text[I]);
  return AnsiLowerCaseFileName(Dir + Name);
}

TShiftState GetShiftStateNow() {
  TShiftState Result;
  if (GetKeyState(VK_SHIFT) < 0) Result << ssShift;
  if (GetKeyState(VK_MENU) < 0) Result << ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) Result << ssCtrl;
  return Result;
}

// ---------------------------------------------------------------------------
// Windows version flags

bool IsWinNT = false;
bool IsWinNTUp = false;
bool IsWin2000 = false;
bool IsWinXP = false;
bool IsWin2000Up = false;
bool IsWinXPUp = false;
bool IsWin98 = false;
bool IsWin98Up = false;

void SetVersionFlags(DWORD PlatformId, DWORD Major, DWORD Minor) {
  IsWinNT = PlatformId == VER_PLATFORM_WIN32_NT;
  IsWin2000 = IsWinNT && Major >= 5;
  IsWinXP = IsWinNT && Major == 5 && Minor == 1;
  IsWin2000Up = IsWin2000 || IsWinXP;
  IsWinNTUp = IsWinNT || IsWin2000Up;
  // Minor 1 or later at any major version from 5: so 6.0 is not counted.
  IsWinXPUp = IsWinNT && Major >= 5 && Minor >= 1;
  IsWin98 = PlatformId == VER_PLATFORM_WIN32_WINDOWS && Minor > 0;
  IsWin98Up = IsWin98;
}

void InitializeVsTools() {
  OSVERSIONINFOA Info{};
  Info.dwOSVersionInfoSize = sizeof(Info);
  if (GetVersionExA(&Info)) SetVersionFlags(Info.dwPlatformId, Info.dwMajorVersion, Info.dwMinorVersion);
  else SetVersionFlags(0, 0, 0);
}
