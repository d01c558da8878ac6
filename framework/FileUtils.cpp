#include "FileUtils.h"

#include <vector>

#include "Consts.h"
#include "SysUtils.h"

namespace {

bool IsPathDelimiter(char C) { return C == '\\' || C == '/'; }
bool IsDelimiter(char C) { return IsPathDelimiter(C) || C == ':'; }

size_t LastDelimiter(const AnsiString& S) { return S.find_last_of("\\/:"); }

// The position of the extension's dot, or npos.
size_t ExtensionDot(const AnsiString& S) {
  const size_t P = S.find_last_of(".\\/:");
  return P != AnsiString::npos && S[P] == '.' ? P : AnsiString::npos;
}

// The error that a failed call left, never 0: callers read 0 as success.
int LastErrorOr(int Fallback) {
  const DWORD Code = GetLastError();
  return Code != 0 ? static_cast<int>(Code) : Fallback;
}

// The local DOS date-time of a file time, -1 when it has none (before 1980).
Integer DosDateTime(const FILETIME& Time) {
  FILETIME Local;
  WORD DosDate, DosTime;
  if (!FileTimeToLocalFileTime(&Time, &Local) || !FileTimeToDosDateTime(&Local, &DosDate, &DosTime)) return -1;
  return static_cast<Integer>((static_cast<DWORD>(DosDate) << 16) | DosTime);
}

}  // namespace

bool FileExists(const AnsiString& FileName) {
  const DWORD A = GetFileAttributesA(FileName.c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const AnsiString& Directory) {
  const DWORD A = GetFileAttributesA(Directory.c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DeleteFile(const AnsiString& FileName) { return DeleteFileA(FileName.c_str()) != 0; }

bool RenameFile(const AnsiString& OldName, const AnsiString& NewName) {
  return MoveFileA(OldName.c_str(), NewName.c_str()) != 0;
}

bool CreateDir(const AnsiString& Dir) { return CreateDirectoryA(Dir.c_str(), nullptr) != 0; }

bool RemoveDir(const AnsiString& Dir) { return RemoveDirectoryA(Dir.c_str()) != 0; }

bool ForceDirectories(const AnsiString& Dir) {
  if (Dir.empty()) return false;
  if (DirectoryExists(Dir)) return true;
  const AnsiString D = ExcludeTrailingPathDelimiter(Dir);
  if (D.empty()) return false;
  const AnsiString Parent = ExtractFilePath(D);
  if (!Parent.empty()) {
    // A parent no shorter than D ("C:" of a missing drive) cannot be made.
    if (ExcludeTrailingPathDelimiter(Parent).size() >= D.size()) return false;
    if (!ForceDirectories(Parent)) return false;
  }
  return CreateDir(D) || DirectoryExists(D);
}

AnsiString ExtractFilePath(const AnsiString& FileName) {
  const size_t P = LastDelimiter(FileName);
  return P == AnsiString::npos ? AnsiString() : FileName.substr(0, P + 1);
}

AnsiString ExtractFileDir(const AnsiString& FileName) {
  const size_t P = LastDelimiter(FileName);
  if (P == AnsiString::npos) return AnsiString();
  size_t Length = P + 1;
  if (P > 0 && IsPathDelimiter(FileName[P]) && !IsDelimiter(FileName[P - 1])) Length = P;
  return FileName.substr(0, Length);
}

AnsiString ExtractFileName(const AnsiString& FileName) {
  const size_t P = LastDelimiter(FileName);
  return P == AnsiString::npos ? FileName : FileName.substr(P + 1);
}

AnsiString ExtractFileExt(const AnsiString& FileName) {
  const size_t P = ExtensionDot(FileName);
  return P == AnsiString::npos ? AnsiString() : FileName.substr(P);
}

AnsiString ExtractFileDrive(const AnsiString& FileName) {
  if (FileName.size() >= 2 && FileName[1] == ':') return FileName.substr(0, 2);
  if (FileName.size() >= 2 && IsPathDelimiter(FileName[0]) && IsPathDelimiter(FileName[1])) {
    // "\\server\share": up to the delimiter after the share name.
    const size_t Server = FileName.find_first_of("\\/", 2);
    if (Server == AnsiString::npos) return FileName;
    return FileName.substr(0, FileName.find_first_of("\\/", Server + 1));
  }
  return AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension) {
  const size_t P = ExtensionDot(FileName);
  return (P == AnsiString::npos ? FileName : FileName.substr(0, P)) + Extension;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& S) {
  return !S.empty() && IsPathDelimiter(S.back()) ? S : S + '\\';
}

AnsiString IncludeTrailingBackslash(const AnsiString& S) { return IncludeTrailingPathDelimiter(S); }

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& S) {
  return !S.empty() && IsPathDelimiter(S.back()) ? S.substr(0, S.size() - 1) : S;
}

AnsiString ExcludeTrailingBackslash(const AnsiString& S) { return ExcludeTrailingPathDelimiter(S); }

AnsiString ExpandFileName(const AnsiString& FileName) {
  if (FileName.empty()) return AnsiString();
  const DWORD Needed = GetFullPathNameA(FileName.c_str(), 0, nullptr, nullptr);
  if (Needed == 0) return AnsiString();
  std::vector<char> Buffer(Needed);
  const DWORD N = GetFullPathNameA(FileName.c_str(), Needed, Buffer.data(), nullptr);
  return N > 0 && N < Needed ? AnsiString(Buffer.data(), N) : AnsiString();
}

AnsiString GetCurrentDir() {
  const DWORD Needed = GetCurrentDirectoryA(0, nullptr);
  if (Needed == 0) return AnsiString();
  std::vector<char> Buffer(Needed);
  const DWORD N = GetCurrentDirectoryA(Needed, Buffer.data());
  return N > 0 && N < Needed ? AnsiString(Buffer.data(), N) : AnsiString();
}

bool SetCurrentDir(const AnsiString& Dir) { return SetCurrentDirectoryA(Dir.c_str()) != 0; }

namespace {

// The command line split into words; word 0 is the program as started.
std::vector<AnsiString> CommandLineWords() {
  std::vector<AnsiString> Words;
  const char* P = GetCommandLineA();
  auto IsBlank = [](char C) { return static_cast<unsigned char>(C) <= ' '; };
  while (*P) {
    while (*P && IsBlank(*P)) ++P;
    if (!*P) break;
    AnsiString Word;
    bool Quoted = false;
    for (; *P && (Quoted || !IsBlank(*P)); ++P) {
      if (*P == '"') Quoted = !Quoted;
      else Word += *P;
    }
    Words.push_back(Word);
  }
  return Words;
}

AnsiString ModuleFileName() {
  std::vector<char> Buffer(MAX_PATH);
  for (;;) {
    const DWORD N = GetModuleFileNameA(nullptr, Buffer.data(), static_cast<DWORD>(Buffer.size()));
    if (N == 0) return AnsiString();
    if (N < Buffer.size()) return AnsiString(Buffer.data(), N);
    Buffer.resize(Buffer.size() * 2);
  }
}

}  // namespace

int ParamCount() {
  const size_t N = CommandLineWords().size();
  return N > 1 ? static_cast<int>(N) - 1 : 0;
}

AnsiString ParamStr(int Index) {
  if (Index == 0) return ModuleFileName();
  const std::vector<AnsiString> Words = CommandLineWords();
  return Index > 0 && static_cast<size_t>(Index) < Words.size() ? Words[static_cast<size_t>(Index)] : AnsiString();
}

Integer FileAge(const AnsiString& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA Data;
  if (!GetFileAttributesExA(FileName.c_str(), GetFileExInfoStandard, &Data) ||
      (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return -1;
  return DosDateTime(Data.ftLastWriteTime);
}

TSearchRec::~TSearchRec() { FindClose(*this); }

namespace {

// Skips the entries that the record's attributes exclude and fills in the
// first one that is left.
int FindMatchingFile(TSearchRec& F) {
  while ((F.FindData.dwFileAttributes & static_cast<DWORD>(F.ExcludeAttr)) != 0)
    if (!FindNextFileA(F.FindHandle, &F.FindData)) return LastErrorOr(ERROR_NO_MORE_FILES);
  F.Time = DosDateTime(F.FindData.ftLastWriteTime);
  F.Size = static_cast<Int64>((static_cast<std::uint64_t>(F.FindData.nFileSizeHigh) << 32) | F.FindData.nFileSizeLow);
  F.Attr = static_cast<Integer>(F.FindData.dwFileAttributes);
  F.Name = F.FindData.cFileName;
  return 0;
}

}  // namespace

int FindFirst(const AnsiString& Path, Integer Attr, TSearchRec& F) {
  FindClose(F);  // a record used again must not leak its earlier search
  F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  F.FindHandle = FindFirstFileA(Path.c_str(), &F.FindData);
  if (F.FindHandle == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_FILE_NOT_FOUND);
  const int R = FindMatchingFile(F);
  if (R != 0) FindClose(F);
  return R;
}

int FindNext(TSearchRec& F) {
  if (F.FindHandle == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
  if (!FindNextFileA(F.FindHandle, &F.FindData)) return LastErrorOr(ERROR_NO_MORE_FILES);
  return FindMatchingFile(F);
}

void FindClose(TSearchRec& F) {
  if (F.FindHandle != INVALID_HANDLE_VALUE) ::FindClose(F.FindHandle);
  F.FindHandle = INVALID_HANDLE_VALUE;
}

AnsiString SysErrorMessage(Cardinal ErrorCode) {
  char Buffer[512];
  DWORD N = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ErrorCode, 0, Buffer,
                           sizeof Buffer, nullptr);
  while (N > 0 && (static_cast<unsigned char>(Buffer[N - 1]) <= ' ' || Buffer[N - 1] == '.')) --N;
  return AnsiString(Buffer, N);
}

void RaiseLastOSError() {
  const DWORD Code = GetLastError();
  if (Code == 0) throw EOSError(LoadStr(SUnkOSError));
  throw EOSError(FmtLoadStr(SOSError, Code, SysErrorMessage(Code)), Code);
}

HMODULE SafeLoadLibrary(const AnsiString& FileName, UINT ErrorMode) {
  const UINT OldMode = SetErrorMode(ErrorMode);
  Word ControlWord;
  asm volatile("fnstcw %0" : "=m"(ControlWord));
  HMODULE Module = LoadLibraryA(FileName.c_str());
  asm volatile("fnclex\n\tfldcw %0" : : "m"(ControlWord));
  SetErrorMode(OldMode);
  return Module;
}
