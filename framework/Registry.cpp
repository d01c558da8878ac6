#include "Registry.h"

#include <cstring>
#include <vector>

#include "Consts.h"
#include "SysUtils.h"

namespace {

AnsiString DropTrailingBackslash(AnsiString S) {
  if (!S.empty() && S.back() == '\\') S.pop_back();
  return S;
}

// The names of the subkeys or of the values of Key.
std::vector<AnsiString> EnumNames(HKEY Key, bool Values) {
  std::vector<AnsiString> Names;
  DWORD MaxKey = 0, MaxValue = 0;
  if (RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, nullptr, &MaxKey, nullptr, nullptr, &MaxValue, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return Names;
  std::vector<char> Buffer((Values ? MaxValue : MaxKey) + 1);
  for (DWORD Index = 0;;) {
    DWORD Len = static_cast<DWORD>(Buffer.size());
    LONG Result = Values ? RegEnumValueA(Key, Index, Buffer.data(), &Len, nullptr, nullptr, nullptr, nullptr)
                         : RegEnumKeyExA(Key, Index, Buffer.data(), &Len, nullptr, nullptr, nullptr, nullptr);
    if (Result == ERROR_MORE_DATA) {  // a longer name was added meanwhile
      Buffer.resize(Buffer.size() * 2);
      continue;
    }
    if (Result != ERROR_SUCCESS) break;
    Names.emplace_back(Buffer.data(), Len);
    ++Index;
  }
  return Names;
}

void FillStrings(TStrings* Strings, const std::vector<AnsiString>& Names) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const AnsiString& Name : Names) Strings->Add(Name);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

// The system refuses to delete a key that has subkeys, so they go first.
bool DeleteTree(HKEY Parent, const AnsiString& SubKey) {
  HKEY Key = nullptr;
  if (RegOpenKeyExA(Parent, SubKey.c_str(), 0, KEY_READ, &Key) != ERROR_SUCCESS) return false;
  for (const AnsiString& Child : EnumNames(Key, false)) DeleteTree(Key, Child);
  RegCloseKey(Key);
  return RegDeleteKeyA(Parent, SubKey.c_str()) == ERROR_SUCCESS;
}

TRegDataType DataTypeOf(DWORD Type) {
  switch (Type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM AAccess) : FAccess(AAccess) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value) {
  CloseKey();
  FRootKey = Value;
}

HKEY TRegistry::BaseKey(const AnsiString& Key, AnsiString& SubKey) const {
  bool Absolute = !Key.empty() && Key[0] == '\\';
  SubKey = DropTrailingBackslash(Absolute ? Key.substr(1) : Key);
  return Absolute || !FCurrentKey ? FRootKey : FCurrentKey;
}

AnsiString TRegistry::FullPath(const AnsiString& Key) const {
  AnsiString SubKey;
  if (BaseKey(Key, SubKey) == FRootKey || FCurrentPath.empty()) return SubKey;
  return SubKey.empty() ? FCurrentPath : FCurrentPath + "\\" + SubKey;
}

bool TRegistry::OpenKey(const AnsiString& Key, bool CanCreate) {
  AnsiString SubKey;
  HKEY Base = BaseKey(Key, SubKey);
  HKEY NewKey = nullptr;
  LONG Result = CanCreate ? RegCreateKeyExA(Base, SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess,
                                            nullptr, &NewKey, nullptr)
                          : RegOpenKeyExA(Base, SubKey.c_str(), 0, FAccess, &NewKey);
  if (Result != ERROR_SUCCESS) return false;
  AnsiString Path = FullPath(Key);
  CloseKey();
  FCurrentKey = NewKey;
  FCurrentPath = Path;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& Key) {
  REGSAM Saved = FAccess;
  FAccess = KEY_READ;
  if (OpenKey(Key, false)) return true;
  FAccess = Saved;
  return false;
}

void TRegistry::CloseKey() {
  if (!FCurrentKey) return;
  if (!FLazyWrite) RegFlushKey(FCurrentKey);
  RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

bool TRegistry::CreateKey(const AnsiString& Key) {
  AnsiString SubKey;
  HKEY Base = BaseKey(Key, SubKey);
  HKEY NewKey = nullptr;
  if (RegCreateKeyExA(Base, SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &NewKey,
                      nullptr) != ERROR_SUCCESS)
    return false;
  if (!FLazyWrite) RegFlushKey(NewKey);
  RegCloseKey(NewKey);
  return true;
}

bool TRegistry::DeleteKey(const AnsiString& Key) {
  AnsiString SubKey;
  HKEY Base = BaseKey(Key, SubKey);
  if (SubKey.empty()) return false;  // the base key itself: the root or the current key
  return DeleteTree(Base, SubKey);
}

bool TRegistry::KeyExists(const AnsiString& Key) {
  AnsiString SubKey;
  HKEY Base = BaseKey(Key, SubKey);
  HKEY Found = nullptr;
  LONG Result = RegOpenKeyExA(Base, SubKey.c_str(), 0, KEY_READ, &Found);
  if (Result == ERROR_SUCCESS) RegCloseKey(Found);
  return Result == ERROR_SUCCESS || Result == ERROR_ACCESS_DENIED;
}

bool TRegistry::HasSubKeys() const {
  DWORD SubKeys = 0;
  return FCurrentKey &&
         RegQueryInfoKeyA(FCurrentKey, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         SubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings* Strings) const {
  FillStrings(Strings, FCurrentKey ? EnumNames(FCurrentKey, false) : std::vector<AnsiString>());
}

void TRegistry::GetValueNames(TStrings* Strings) const {
  FillStrings(Strings, FCurrentKey ? EnumNames(FCurrentKey, true) : std::vector<AnsiString>());
}

bool TRegistry::ValueExists(const AnsiString& Name) const {
  return FCurrentKey &&
         RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const AnsiString& Name) {
  return FCurrentKey && RegDeleteValueA(FCurrentKey, Name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::RenameValue(const AnsiString& Name, const AnsiString& NewName) {
  DWORD Type = 0;
  std::string Data;
  if (ValueExists(NewName) || !QueryValue(Name, Type, Data)) return false;
  SetValue(NewName, Type, Data.data(), static_cast<DWORD>(Data.size()));
  DeleteValue(Name);
  return true;
}

bool TRegistry::QueryValue(const AnsiString& Name, DWORD& Type, std::string& Data) const {
  if (!FCurrentKey) return false;
  DWORD Size = 0;
  if (RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return false;
  for (;;) {
    Data.resize(Size);
    LONG Result = RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &Type,
                                   reinterpret_cast<BYTE*>(Data.data()), &Size);
    if (Result == ERROR_SUCCESS) {
      Data.resize(Size);
      return true;
    }
    if (Result != ERROR_MORE_DATA) return false;  // else it grew meanwhile: Size is the new size
  }
}

TRegDataType TRegistry::GetDataType(const AnsiString& Name) const {
  DWORD Type = REG_NONE;
  if (!FCurrentKey ||
      RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &Type, nullptr, nullptr) != ERROR_SUCCESS)
    return rdUnknown;
  return DataTypeOf(Type);
}

int TRegistry::GetDataSize(const AnsiString& Name) const {
  DWORD Size = 0;
  if (!FCurrentKey ||
      RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, nullptr, nullptr, &Size) != ERROR_SUCCESS)
    return -1;
  return static_cast<int>(Size);
}

void TRegistry::SetValue(const AnsiString& Name, DWORD Type, const void* Data, DWORD Size) {
  if (!FCurrentKey ||
      RegSetValueExA(FCurrentKey, Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size) != ERROR_SUCCESS)
    throw ERegistryException(FmtLoadStr(SRegSetDataFailed, Name));
}

void TRegistry::ReadError(const AnsiString& Name) {
  throw ERegistryException(FmtLoadStr(SRegInvalidDataType, Name));
}

AnsiString TRegistry::ReadString(const AnsiString& Name) const {
  DWORD Type = 0;
  std::string Data;
  if (!QueryValue(Name, Type, Data) || (Type != REG_SZ && Type != REG_EXPAND_SZ)) ReadError(Name);
  return Data.substr(0, Data.find('\0'));  // the stored terminator, if any, and what follows it
}

void TRegistry::WriteString(const AnsiString& Name, const AnsiString& Value) {
  SetValue(Name, REG_SZ, Value.c_str(), static_cast<DWORD>(Value.size() + 1));
}

void TRegistry::WriteExpandString(const AnsiString& Name, const AnsiString& Value) {
  SetValue(Name, REG_EXPAND_SZ, Value.c_str(), static_cast<DWORD>(Value.size() + 1));
}

int TRegistry::ReadInteger(const AnsiString& Name) const {
  DWORD Type = 0;
  std::string Data;
  if (!QueryValue(Name, Type, Data) || Type != REG_DWORD || Data.size() != 4) ReadError(Name);
  DWORD Value = 0;
  for (int I = 3; I >= 0; --I) Value = (Value << 8) | static_cast<Byte>(Data[I]);
  return static_cast<int>(Value);
}

void TRegistry::WriteInteger(const AnsiString& Name, int Value) {
  DWORD Data = static_cast<DWORD>(Value);
  SetValue(Name, REG_DWORD, &Data, sizeof Data);
}

bool TRegistry::ReadBool(const AnsiString& Name) const { return ReadInteger(Name) != 0; }

void TRegistry::WriteBool(const AnsiString& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

double TRegistry::ReadFloat(const AnsiString& Name) const {
  DWORD Type = 0;
  std::string Data;
  if (!QueryValue(Name, Type, Data) || Type != REG_BINARY || Data.size() != sizeof(double)) ReadError(Name);
  double Value = 0;
  std::memcpy(&Value, Data.data(), sizeof Value);
  return Value;
}

void TRegistry::WriteFloat(const AnsiString& Name, double Value) {
  SetValue(Name, REG_BINARY, &Value, sizeof Value);
}

int TRegistry::ReadBinaryData(const AnsiString& Name, void* Buffer, int BufSize) const {
  DWORD Type = 0;
  std::string Data;
  // Raw bytes of a binary value, or of a type this class does not interpret.
  if (!QueryValue(Name, Type, Data) || (Type != REG_BINARY && DataTypeOf(Type) != rdUnknown) || BufSize < 0 ||
      Data.size() > static_cast<size_t>(BufSize))
    ReadError(Name);
  if (!Data.empty()) std::memcpy(Buffer, Data.data(), Data.size());
  return static_cast<int>(Data.size());
}

void TRegistry::WriteBinaryData(const AnsiString& Name, const void* Buffer, int BufSize) {
  if (BufSize < 0) throw ERegistryException(FmtLoadStr(SRegSetDataFailed, Name));
  SetValue(Name, REG_BINARY, Buffer, static_cast<DWORD>(BufSize));
}

// ---- TRegIniFile ------------------------------------------------------------

namespace {

// A registry whose root is the ini file's key, so no section name can reach
// outside it.
class TSectionKey : public TRegistry {
public:
  explicit TSectionKey(const TRegistry& File) : TRegistry(File.Access()) {
    SetRootKey(File.CurrentKey());
    SetLazyWrite(File.LazyWrite());
  }
  bool Open(const AnsiString& Section, bool CanCreate) { return RootKey() && OpenKey(Section, CanCreate); }
};

}  // namespace

TRegIniFile::TRegIniFile(const AnsiString& AFileName) : TRegIniFile(AFileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const AnsiString& AFileName, REGSAM AAccess) : TRegistry(AAccess), FFileName(AFileName) {
  // When the key cannot be opened, reads give their defaults and writes fail.
  OpenKey(AFileName, true);
}

AnsiString TRegIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  TSectionKey Key(*this);
  if (!Key.Open(Section, false)) return Default;
  TRegDataType Type = Key.GetDataType(Ident);
  return Type == rdString || Type == rdExpandString ? Key.ReadString(Ident) : Default;
}

void TRegIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  TSectionKey Key(*this);
  if (!Key.Open(Section, true)) throw ERegistryException(FmtLoadStr(SRegSetDataFailed, Ident));
  Key.WriteString(Ident, Value);
}

int TRegIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) {
  TSectionKey Key(*this);
  if (!Key.Open(Section, false)) return Default;
  switch (Key.GetDataType(Ident)) {
    case rdInteger:
      return Key.GetDataSize(Ident) == 4 ? Key.ReadInteger(Ident) : Default;
    case rdString:
    case rdExpandString:
      return StrToIntDef(Key.ReadString(Ident), Default);
    default:
      return Default;
  }
}

void TRegIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  TSectionKey Key(*this);
  if (!Key.Open(Section, true)) throw ERegistryException(FmtLoadStr(SRegSetDataFailed, Ident));
  Key.WriteInteger(Ident, Value);
}

bool TRegIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteInteger(Section, Ident, Value ? 1 : 0);
}

void TRegIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  TSectionKey Key(*this);
  if (Key.Open(Section, false))
    Key.GetValueNames(Strings);
  else
    Strings->Clear();
}

void TRegIniFile::ReadSections(TStrings* Strings) { GetKeyNames(Strings); }

void TRegIniFile::EraseSection(const AnsiString& Section) {
  TSectionKey Key(*this);
  if (Key.RootKey()) Key.DeleteKey(Section);
}

void TRegIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  TSectionKey Key(*this);
  if (Key.Open(Section, false)) Key.DeleteValue(Ident);
}
