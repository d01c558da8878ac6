// Access to the Windows registry: a current key under a root key, typed
// values, and an ini-style face with sections as subkeys.
#pragma once

#include "Lists.h"
#include "System.h"
#include "Win.h"

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Key paths are relative to the current key when one is open, else to the
// root; a path beginning with "\" is always taken from the root. A trailing
// "\" is ignored. Readers raise ERegistryException "Invalid data type for
// '%s'" when the value is missing or of another type; writers raise
// "Failed to set data for '%s'" when the value cannot be stored.
class TRegistry : public TObject {
public:
  TRegistry();
  explicit TRegistry(REGSAM AAccess);
  ~TRegistry() override;

  HKEY RootKey() const { return FRootKey; }
  // Closes the current key.
  void SetRootKey(HKEY Value);
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM Value) { FAccess = Value; }
  HKEY CurrentKey() const { return FCurrentKey; }
  // The current key's path from the root, without a leading "\".
  const AnsiString& CurrentPath() const { return FCurrentPath; }
  // False: closing a key flushes it to disk (RegFlushKey).
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value) { FLazyWrite = Value; }

  // Makes Key the current key (created when missing and CanCreate); on
  // failure the current key stays as it was.
  bool OpenKey(const AnsiString& Key, bool CanCreate);
  // The same without creation and with KEY_READ, which becomes Access.
  bool OpenKeyReadOnly(const AnsiString& Key);
  void CloseKey();
  // Creates Key (and the keys above it) without opening it.
  bool CreateKey(const AnsiString& Key);
  // Deletes Key with everything below it.
  bool DeleteKey(const AnsiString& Key);
  bool KeyExists(const AnsiString& Key);
  // True when the current key has subkeys.
  bool HasSubKeys() const;
  // The names of the current key's subkeys / values; the list is cleared
  // first.
  void GetKeyNames(TStrings* Strings) const;
  void GetValueNames(TStrings* Strings) const;

  bool ValueExists(const AnsiString& Name) const;
  bool DeleteValue(const AnsiString& Name);
  // Copies the value under NewName and deletes the old one. Nothing happens
  // (false) when Name is missing or NewName exists, so no value is lost.
  bool RenameValue(const AnsiString& Name, const AnsiString& NewName);
  // rdUnknown when missing or of another type.
  TRegDataType GetDataType(const AnsiString& Name) const;
  // In bytes, -1 when missing.
  int GetDataSize(const AnsiString& Name) const;

  // REG_SZ or REG_EXPAND_SZ (not expanded).
  AnsiString ReadString(const AnsiString& Name) const;
  void WriteString(const AnsiString& Name, const AnsiString& Value);
  void WriteExpandString(const AnsiString& Name, const AnsiString& Value);
  // REG_DWORD.
  int ReadInteger(const AnsiString& Name) const;
  void WriteInteger(const AnsiString& Name, int Value);
  // An integer, true when not 0; written as 1 or 0.
  bool ReadBool(const AnsiString& Name) const;
  void WriteBool(const AnsiString& Name, bool Value);
  // REG_BINARY of the 8 bytes of the double.
  double ReadFloat(const AnsiString& Name) const;
  void WriteFloat(const AnsiString& Name, double Value);
  // REG_BINARY that fits in BufSize bytes; returns its size.
  int ReadBinaryData(const AnsiString& Name, void* Buffer, int BufSize) const;
  void WriteBinaryData(const AnsiString& Name, const void* Buffer, int BufSize);

private:
  // The key a path starts from and the path relative to it.
  HKEY BaseKey(const AnsiString& Key, AnsiString& SubKey) const;
  AnsiString FullPath(const AnsiString& Key) const;
  bool QueryValue(const AnsiString& Name, DWORD& Type, std::string& Data) const;
  void SetValue(const AnsiString& Name, DWORD Type, const void* Data, DWORD Size);
  [[noreturn]] static void ReadError(const AnsiString& Name);

  HKEY FRootKey = HKEY_CURRENT_USER;
  REGSAM FAccess = KEY_ALL_ACCESS;
  HKEY FCurrentKey = nullptr;
  AnsiString FCurrentPath;
  bool FLazyWrite = true;
};

// An ini file kept in the registry: the key FileName (relative to the root)
// holds one subkey per section and one value per name. Reads never raise:
// a missing or unsuitable value gives the default.
class TRegIniFile : public TRegistry {
public:
  explicit TRegIniFile(const AnsiString& AFileName);
  TRegIniFile(const AnsiString& AFileName, REGSAM AAccess);

  const AnsiString& FileName() const { return FFileName; }

  // A string value (REG_SZ or REG_EXPAND_SZ).
  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default);
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
  // A REG_DWORD, or a string value in decimal or "$"/"0x" hexadecimal.
  int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  // The value names of a section / the section names; lists cleared first.
  void ReadSection(const AnsiString& Section, TStrings* Strings);
  void ReadSections(TStrings* Strings);
  void EraseSection(const AnsiString& Section);
  using TRegistry::DeleteKey;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident);

private:
  AnsiString FFileName;
};
