// Files, folders, paths, the command line and system errors (8-bit names in
// the system code page). Included by SysUtils.h.
#pragma once

#include "System.h"
#include "Win.h"

bool FileExists(const AnsiString& FileName);  // files only, not folders
bool DirectoryExists(const AnsiString& Directory);
bool DeleteFile(const AnsiString& FileName);
// Fails when NewName exists.
bool RenameFile(const AnsiString& OldName, const AnsiString& NewName);
bool CreateDir(const AnsiString& Dir);
bool RemoveDir(const AnsiString& Dir);
// Creates Dir and every missing folder above it; false on failure or for "".
bool ForceDirectories(const AnsiString& Dir);

// Path parts. The delimiters are "\", "/" and, for the drive, ":".
// Up to and including the last delimiter ("C:\dir\").
AnsiString ExtractFilePath(const AnsiString& FileName);
// The same without the final delimiter, unless that is the root ("C:\").
AnsiString ExtractFileDir(const AnsiString& FileName);
AnsiString ExtractFileName(const AnsiString& FileName);
// From the last dot of the name on (".txt"); "" when the name has none.
AnsiString ExtractFileExt(const AnsiString& FileName);
// "C:" or "\\server\share"; "" for other paths.
AnsiString ExtractFileDrive(const AnsiString& FileName);
AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension);
// Appends "\" unless S already ends in "\" or "/" ("" gives "\"); the
// Exclude pair removes one such final delimiter.
AnsiString IncludeTrailingPathDelimiter(const AnsiString& S);
AnsiString IncludeTrailingBackslash(const AnsiString& S);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& S);
AnsiString ExcludeTrailingBackslash(const AnsiString& S);
// The full path (GetFullPathNameA); "" for "".
AnsiString ExpandFileName(const AnsiString& FileName);
AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& Dir);

// The command-line parameters: separated by blanks, with double quotes
// grouping (and removed). ParamStr(0) is the executable's full path; an index
// beyond ParamCount gives "".
int ParamCount();
AnsiString ParamStr(int Index);

// The last write time as a local DOS date-time, -1 when FileName is not a file.
Integer FileAge(const AnsiString& FileName);

// File attributes as FindFirst reports and filters them.
constexpr Integer faReadOnly = 0x01;
constexpr Integer faHidden = 0x02;
constexpr Integer faSysFile = 0x04;
constexpr Integer faVolumeID = 0x08;
constexpr Integer faDirectory = 0x10;
constexpr Integer faArchive = 0x20;
constexpr Integer faAnyFile = 0x3F;

// One entry found by FindFirst/FindNext. The search handle is closed by
// FindClose, or at the latest when the record goes.
struct TSearchRec {
  TSearchRec() = default;
  TSearchRec(const TSearchRec&) = delete;
  TSearchRec& operator=(const TSearchRec&) = delete;
  ~TSearchRec();

  Integer Time = 0;  // last write time, local DOS date-time
  Int64 Size = 0;
  Integer Attr = 0;
  AnsiString Name;
  Integer ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA FindData{};
};

// Finds the first entry matching Path (with wildcards). Normal files always
// match; hidden, system, volume and directory entries only when Attr asks for
// them. 0 on success, else the system error code (and nothing stays open).
int FindFirst(const AnsiString& Path, Integer Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// The system's text for an error code, without the trailing line break.
AnsiString SysErrorMessage(Cardinal ErrorCode);
// Raises EOSError for GetLastError(): "System Error.  Code: %d." CR LF text.
[[noreturn]] void RaiseLastOSError();

// LoadLibraryA with the error box for missing files switched off (ErrorMode
// around the call); restores the error mode and the x87 control word, which
// some libraries change while they load.
HMODULE SafeLoadLibrary(const AnsiString& FileName, UINT ErrorMode = SEM_NOOPENFILEERRORBOX);
