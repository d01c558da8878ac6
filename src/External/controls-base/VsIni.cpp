#include "VsIni.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "Streams.h"
#include "TypInfo.h"
#include "VsStrUtils.h"
#include "VsTools.h"

namespace {

const char* const SClearRegistry = "Clearing the whole registry is not allowed. Use ClearKey instead.";
const char* const SCreateValue = "CreateValue method is not available when using registry.";
const char* const SGetValueEntry = "GetValueEntry method is not available when using registry.";
const char* const SSetValueType = "SetValueType method is not available when using registry.";
const char* const SRenameKey = "Key can not be renamed when using registry.";
const char* const SChangeDelimiter = "Changing delimiter is not available when using registry.";

AnsiString NameKey(const AnsiString& Name) { return UpperCase(Trim(Name)); }

bool StartsWith(const AnsiString& S, const AnsiString& Prefix) { return S.compare(0, Prefix.size(), Prefix) == 0; }

void AppendInt32(std::vector<Byte>& Bytes, Integer Value) {
  const auto U = static_cast<std::uint32_t>(Value);
  for (int Shift = 0; Shift < 32; Shift += 8) Bytes.push_back(static_cast<Byte>(U >> Shift));
}

Integer Int32At(const Byte* P) {
  return static_cast<Integer>(std::uint32_t(P[0]) | (std::uint32_t(P[1]) << 8) | (std::uint32_t(P[2]) << 16) |
                              (std::uint32_t(P[3]) << 24));
}

void AppendLP(std::vector<Byte>& Bytes, const AnsiString& S) {
  AppendInt32(Bytes, static_cast<Integer>(S.size()));
  Bytes.insert(Bytes.end(), S.begin(), S.end());
}

void AppendDouble(std::vector<Byte>& Bytes, double Value) {
  std::uint64_t Bits;
  std::memcpy(&Bits, &Value, sizeof Bits);
  for (int Shift = 0; Shift < 64; Shift += 8) Bytes.push_back(static_cast<Byte>(Bits >> Shift));
}

double DoubleAt(const Byte* P) {
  std::uint64_t Bits = 0;
  for (int I = 0; I < 8; ++I) Bits |= std::uint64_t(P[I]) << (8 * I);
  double Value;
  std::memcpy(&Value, &Bits, sizeof Value);
  return Value;
}

// Integer text as the writer produces it: decimal, or "0x"/"$" and the
// upper-case hexadecimal digits without leading zeros.
bool IsCanonicalInteger(Integer Value, const AnsiString& Text) {
  if (Text == IntToStr(Value)) return true;
  const AnsiString Hex = IntToHex(Value, 1);
  return Text == "0x" + Hex || Text == "$" + Hex;
}

// No settings file of ours comes near this depth of keys. No key is made
// deeper, and a file that goes beyond it is refused.
constexpr int MaxKeyDepth = 1000;

// The number of names in a key path.
int KeyDepth(const AnsiString& Path, AnsiChar Delimiter) {
  int Depth = 1;
  for (size_t I = 1; I + 1 < Path.size(); ++I)
    if (Path[I] == Delimiter) ++Depth;
  return Depth;
}

// Binary data as the writer produces it, so that any other text beginning
// with "454C" (a string that merely looks like it) stays a string and reads
// back as written. Trimmed lines have lost the blank that ends the text.
bool IsBinaryText(const AnsiString& Value, bool Trimmed, std::vector<Byte>& Bytes) {
  if (!StartsWith(Value, "454C")) return false;
  int Size;
  if (!HexTextToBinary(Trimmed ? Value + " " : Value, Bytes, Size)) return false;
  const AnsiString Canonical = BinaryToHexText(Bytes.data(), Size);
  return Canonical == Value || (Trimmed && Canonical == Value + " ");
}

// A String whose text the reader would take for binary data (or for such a
// quoted String) is written in double quotes, which the reader takes off
// again; every other text is written as it is.
bool NeedsQuotes(const AnsiString& Value, bool Trimmed) {
  std::vector<Byte> Bytes;
  if (IsBinaryText(Value, Trimmed, Bytes)) return true;
  return Value.size() >= 2 && Value.front() == '"' && Value.back() == '"' &&
         NeedsQuotes(Value.substr(1, Value.size() - 2), Trimmed);
}

[[noreturn]] void DamagedData(Int64 Offset) {
  throw EVsIniError(Format("Damaged settings data at offset %d", static_cast<int>(Offset)));
}

// The registry path without a trailing "\", beginning with one.
AnsiString RegistryBase(const AnsiString& Value) {
  AnsiString P = Value;
  if (!P.empty() && P.back() == '\\') P.pop_back();
  if (P.empty() || P[0] != '\\') P.insert(0, 1, '\\');
  return P;
}

// The text a string list was stored from as REG_MULTI_SZ (its lines ended
// by zero bytes, then the terminator). Read by the data's size rather than
// up to the first empty string, so that empty lines keep what follows them.
AnsiString MultiStringText(const std::vector<Byte>& Data) {
  size_t Size = Data.size();
  if (Size >= 2 && Data[Size - 1] == 0 && Data[Size - 2] == 0) --Size;
  AnsiString Text;
  for (size_t I = 0; I < Size; ++I)
    if (Data[I] == 0)
      Text += "\r\n";
    else
      Text += static_cast<char>(Data[I]);
  return Text;
}

struct TRootName {
  TRegRootType Type;
  HKEY Key;
};
const TRootName RootNames[] = {
    {rrtHKEY_CLASSES_ROOT, HKEY_CLASSES_ROOT},   {rrtHKEY_CURRENT_USER, HKEY_CURRENT_USER},
    {rrtHKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE}, {rrtHKEY_USERS, HKEY_USERS},
    {rrtHKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG},
};

}  // namespace

// ---------------------------------------------------------------------------
// TVsIniEntry

TVsIniEntry::TVsIniEntry(TVsIniEntry* AParent, const AnsiString& AName, bool AIsKey)
    : FIsKey(AIsKey), FParent(AParent), FName(AName) {
  FChildren.OnDelete = TVsListDeleteEvent(this, &TVsIniEntry::ChildDeleted);
}

TVsIniEntry::~TVsIniEntry() {
  // Everything below is freed from a list rather than by recursion, so that
  // no depth of keys can exhaust the stack.
  std::vector<TVsIniEntry*> Pending;
  TakeChildren(Pending);
  while (!Pending.empty()) {
    TVsIniEntry* Entry = Pending.back();
    Pending.pop_back();
    Entry->TakeChildren(Pending);
    Entry->Free();
  }
}

void TVsIniEntry::TakeChildren(std::vector<TVsIniEntry*>& Into) {
  for (int I = 0; I < ChildCount(); ++I) Into.push_back(Child(I));
  const TVsListDeleteEvent Handler = FChildren.OnDelete;
  FChildren.OnDelete = TVsListDeleteEvent();
  FChildren.Clear();
  FChildren.OnDelete = Handler;
  FIndex.clear();
  FSharedNames = false;
}

void TVsIniEntry::SetName(const AnsiString& Value) {
  if (!FParent) {
    FName = Value;
    return;
  }
  FParent->Unindex(this, NameKey(FName));
  FName = Value;
  const auto [It, Added] = FParent->FIndex.try_emplace(NameKey(Value), this);
  if (Added) return;
  FParent->FSharedNames = true;
  // The index keeps whichever of the two comes first.
  if (FParent->FChildren.IndexOf(this) < FParent->FChildren.IndexOf(It->second)) It->second = this;
}

void TVsIniEntry::Unindex(TVsIniEntry* AChild, const AnsiString& Key) {
  const auto It = FIndex.find(Key);
  if (It == FIndex.end() || It->second != AChild) return;
  FIndex.erase(It);
  if (!FSharedNames) return;
  for (int I = 0; I < ChildCount(); ++I)
    if (Child(I) != AChild && NameKey(Child(I)->FName) == Key) {
      FIndex.emplace(Key, Child(I));
      return;
    }
}

void TVsIniEntry::ChildDeleted(TObject*, void* Item) {
  auto* Entry = static_cast<TVsIniEntry*>(Item);
  Entry->ClearValue();
  Entry->Free();
}

void TVsIniEntry::ClearValue() {
  FValueType = ivtNone;
  FBoolean = false;
  FInteger = 0;
  FString.clear();
  FMultiString.reset();
  std::vector<Byte>().swap(FBinary);
  FFloat = 0;
}

void TVsIniEntry::SetBoolean(bool Value) {
  ClearValue();
  FValueType = ivtBoolean;
  FBoolean = Value;
}

void TVsIniEntry::SetInteger(Integer Value) {
  ClearValue();
  FValueType = ivtInteger;
  FInteger = Value;
}

void TVsIniEntry::SetString(const AnsiString& Value) {
  AnsiString Copy = Value;
  ClearValue();
  FValueType = ivtString;
  FString = std::move(Copy);
}

TStringList* TVsIniEntry::SetMultiString() {
  auto List = std::make_unique<TStringList>();
  ClearValue();
  FValueType = ivtMultiString;
  FMultiString = std::move(List);
  return FMultiString.get();
}

void TVsIniEntry::SetBinary(const void* Buffer, int Size) {
  std::vector<Byte> Bytes;
  if (Size > 0) Bytes.assign(static_cast<const Byte*>(Buffer), static_cast<const Byte*>(Buffer) + Size);
  ClearValue();
  FValueType = ivtBinary;
  FBinary = std::move(Bytes);
}

void TVsIniEntry::SetFloat(double Value) {
  ClearValue();
  FValueType = ivtFloat;
  FFloat = Value;
}

void TVsIniEntry::SetEmptyValue(TVsIniValueType Type) {
  if (Type == ivtMultiString) {
    SetMultiString();
    return;
  }
  ClearValue();
  FValueType = Type;
}

TVsIniEntry* TVsIniEntry::FindChild(const AnsiString& AName) const {
  const auto It = FIndex.find(NameKey(AName));
  return It == FIndex.end() ? nullptr : It->second;
}

TVsIniEntry* TVsIniEntry::AddChild(const AnsiString& AName, bool AIsKey) {
  auto Entry = std::make_unique<TVsIniEntry>(this, AName, AIsKey);
  FChildren.Add(Entry.get());
  if (!FIndex.try_emplace(NameKey(AName), Entry.get()).second) FSharedNames = true;
  return Entry.release();  // the children list owns it now
}

void TVsIniEntry::DeleteChild(TVsIniEntry* AChild) {
  const int Index = FChildren.IndexOf(AChild);
  if (Index < 0) return;
  Unindex(AChild, NameKey(AChild->FName));
  FChildren.Delete(Index);
}

void TVsIniEntry::ClearChildren() {
  FChildren.Clear();
  FIndex.clear();
  FSharedNames = false;
}

bool TVsIniEntry::IsWithin(const TVsIniEntry* Entry) const {
  for (const TVsIniEntry* E = this; E; E = E->FParent)
    if (E == Entry) return true;
  return false;
}

// ---------------------------------------------------------------------------
// TVsIniFile: construction, properties, events

TVsIniFile::TVsIniFile(TComponent* AOwner)
    : TComponent(AOwner), FRoot(std::make_unique<TVsIniEntry>(nullptr, AnsiString(), true)), FCurrent(FRoot.get()),
      FCurrentPath(1, FDelimiter) {}

TVsIniFile::~TVsIniFile() {
  FRegistry.reset();
  FCurrent = nullptr;
  FRoot.reset();
}

void TVsIniFile::BeforeDestruction() {
  if (FLazyWrite && FModified) {
    try {
      Save();
    } catch (...) {
      // A store going away has nobody left to report to.
    }
  }
  TComponent::BeforeDestruction();
}

void TVsIniFile::DoBeforeSave() {
  if (OnBeforeSave) OnBeforeSave(this);
}
void TVsIniFile::DoAfterLoad() {
  if (OnAfterLoad) OnAfterLoad(this);
}
void TVsIniFile::DoBeforeLoad() {
  if (OnBeforeLoad) OnBeforeLoad(this);
}
void TVsIniFile::DoAfterSave() {
  if (OnAfterSave) OnAfterSave(this);
}

void TVsIniFile::Loaded() {
  TComponent::Loaded();
  if (FPath.empty() || FRegistry) return;
  try {
    Load();
  } catch (...) {
    // A missing or damaged file leaves an empty store; the form still opens.
  }
}

void TVsIniFile::RegistryError(const char* Message) const { throw EVsIniError(Message); }

void TVsIniFile::SetDelimiter(AnsiChar Value) {
  if (FRegistry) {
    if (Value != '\\') RegistryError(SChangeDelimiter);
    return;
  }
  FDelimiter = Value;
  if (FCurrent == FRoot.get()) FCurrentPath.assign(1, Value);
  if (!FLazyWrite && !ComponentState().Contains(csLoading)) Save();
}

void TVsIniFile::SetLazyWrite(bool Value) {
  FLazyWrite = Value;
  if (FRegistry) FRegistry->SetLazyWrite(Value);
}

void TVsIniFile::SetPath(const AnsiString& Value) {
  if (!FRegistry) {
    FPath = Value;
    return;
  }
  const AnsiString Base = RegistryBase(Value);
  if (FRegistry->OpenKey(Base, true)) {
    FPath = Base;
    FCurrentPath = "\\";
  }
}

void TVsIniFile::SetSimple(bool Value) {
  if (FSimple == Value) return;
  if (FRegistry || ComponentState().Contains(csLoading)) {
    FSimple = Value;
    return;
  }
  // The tree is rebuilt through its own stored form: one level of keys
  // named by whole paths, or nested keys again.
  TMemoryStream Stored;
  SaveToStream(&Stored);
  Stored.SetPosition(0);
  const bool WasModified = FModified;
  const AnsiChar SavedDelimiter = FDelimiter;
  FSimple = Value;
  if (Value) FDelimiter = '\0';
  try {
    LoadFromStream(&Stored);
  } catch (...) {
    FDelimiter = SavedDelimiter;
    FSimple = !Value;
    throw;
  }
  FDelimiter = SavedDelimiter;
  SetCurrent(FRoot.get());
  FModified = WasModified;
}

TRegRootType TVsIniFile::RegRoot() const {
  for (const TRootName& R : RootNames)
    if (R.Key == FRegRootKey) return R.Type;
  return rrtHKEY_CURRENT_USER;
}

void TVsIniFile::SetRegRoot(TRegRootType Value) {
  FRegRootKey = HKEY_CURRENT_USER;
  for (const TRootName& R : RootNames)
    if (R.Type == Value) FRegRootKey = R.Key;
  if (!FRegistry) return;
  FRegistry->SetRootKey(FRegRootKey);
  FRegistry->OpenKey(FPath, true);
  FCurrentPath = "\\";
}

void TVsIniFile::SetUseRegistry(bool Value) {
  if (Value == UseRegistry()) return;
  if (!Value) {
    FRegistry.reset();
    SetCurrent(FRoot.get());
    return;
  }
  TOwned<TRegistry> Registry(Create<TRegistry>());
  Registry->SetRootKey(FRegRootKey);
  Registry->SetLazyWrite(FLazyWrite);
  FRegistry = std::move(Registry);
  FPath = RegistryBase(FPath.empty() ? AnsiString("\\SOFTWARE") : FPath);
  const AnsiString TreePath = FCurrentPath;
  FCurrentPath = "\\";
  if (TreePath.empty() || TreePath[0] != '\\' || !RegOpenKey(TreePath, true)) RegOpenKey("\\", true);
}

// ---------------------------------------------------------------------------
// Tree mode: keys and paths

void TVsIniFile::SetCurrent(TVsIniEntry* Entry) {
  FCurrent = Entry;
  FCurrentPath = PathOf(Entry);
}

AnsiString TVsIniFile::StoredPathOf(const TVsIniEntry* Entry) const {
  if (!Entry->Parent()) return AnsiString();
  if (!Entry->Parent()->Parent()) return Entry->Name();
  return StoredPathOf(Entry->Parent()) + FDelimiter + Entry->Name();
}

AnsiString TVsIniFile::PathOf(const TVsIniEntry* Entry) const {
  return AnsiString(1, FDelimiter) + StoredPathOf(Entry);
}

bool TVsIniFile::WalkKey(const AnsiString& APath, bool CanCreate, TVsIniEntry*& Entry, AnsiString& EntryPath) {
  Entry = FCurrent;
  EntryPath = FCurrentPath;
  if (APath.empty() || SameText(APath, FCurrentPath)) return true;
  const AnsiString Delim(1, FDelimiter);

  if (FSimple) {
    const AnsiString Name = APath[0] == FDelimiter ? APath.substr(1) : APath;
    if (Name.empty()) {
      Entry = FRoot.get();
      EntryPath = Delim;
      return true;
    }
    TVsIniEntry* Key = FRoot->FindChild(Name);
    if (!Key || !Key->IsKey()) {
      if (!CanCreate) return false;
      if (Key)
        Key->SetIsKey(true);
      else
        Key = FRoot->AddChild(Name, true);
      FModified = true;
    }
    Entry = Key;
    EntryPath = Delim + Name;
    return true;
  }

  AnsiString Rest = APath;
  TVsIniEntry* E;
  AnsiString P;
  if (Rest[0] == FDelimiter) {
    E = FRoot.get();
    P = Delim;
    Rest.erase(0, 1);
  } else {
    E = FCurrent;
    P = FCurrentPath;
    if (P != Delim) P += Delim;
  }
  if (!Rest.empty() && Rest.back() == FDelimiter) Rest.pop_back();
  int Depth = 0;
  for (const TVsIniEntry* Up = E; Up->Parent(); Up = Up->Parent()) ++Depth;
  bool Ok = true;
  size_t Start = 0;
  while (Ok && !Rest.empty()) {
    const size_t Stop = Rest.find(FDelimiter, Start);
    const AnsiString Name = Rest.substr(Start, Stop == AnsiString::npos ? AnsiString::npos : Stop - Start);
    TVsIniEntry* Child = Name.empty() ? nullptr : E->FindChild(Name);
    if (Name.empty() || ++Depth > MaxKeyDepth) {
      Ok = false;
    } else if (!Child || !Child->IsKey()) {
      if (!CanCreate) {
        Ok = false;
      } else {
        if (Child)
          Child->SetIsKey(true);
        else
          Child = E->AddChild(Name, true);
        FModified = true;
      }
    }
    if (!Ok) break;
    P += Name + Delim;
    E = Child;
    if (Stop == AnsiString::npos) break;
    Start = Stop + 1;
  }
  if (P.size() >= 2 && P.back() == FDelimiter) P.pop_back();
  Entry = E;
  EntryPath = P;
  return Ok;
}

TVsIniEntry* TVsIniFile::FindKey(const AnsiString& Key, bool CanCreate) {
  TVsIniEntry* Entry;
  AnsiString EntryPath;
  return WalkKey(Key, CanCreate, Entry, EntryPath) ? Entry : nullptr;
}

TVsIniEntry* TVsIniFile::FindValue(const AnsiString& Key, const AnsiString& Name) {
  TVsIniEntry* K = FindKey(Key, false);
  return K ? K->FindChild(Name) : nullptr;
}

TVsIniEntry* TVsIniFile::ValueForWrite(const AnsiString& Key, const AnsiString& Name) {
  TVsIniEntry* K = FindKey(Key, true);
  if (!K) return nullptr;
  TVsIniEntry* E = K->FindChild(Name);
  if (E)
    E->ClearValue();
  else
    E = K->AddChild(Name, false);
  return E;
}

void TVsIniFile::RemoveEntry(TVsIniEntry* Entry) {
  TVsIniEntry* Parent = Entry->Parent();
  // The current key may lie anywhere below what goes.
  if (FCurrent->IsWithin(Entry)) SetCurrent(Parent);
  Parent->DeleteChild(Entry);
}

bool TVsIniFile::Changed() {
  FModified = true;
  if (FLazyWrite || FRegistry || ComponentState().Contains(csLoading)) return true;
  try {
    Save();
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

bool TVsIniFile::OpenKey(const AnsiString& APath, bool CanCreate) {
  if (FRegistry) return RegOpenKey(APath, CanCreate);
  TVsIniEntry* Entry;
  AnsiString EntryPath;
  const bool Ok = WalkKey(APath, CanCreate, Entry, EntryPath);
  FCurrent = Entry;
  FCurrentPath = EntryPath;
  return Ok;
}

bool TVsIniFile::KeyExists(const AnsiString& Key) {
  if (FRegistry) return InRegKey(Key, false, [] { return true; });
  return FindKey(Key, false) != nullptr;
}

int TVsIniFile::SubKeysCount(const AnsiString& Key) {
  int Count = -1;
  if (FRegistry) {
    InRegKey(Key, false, [&] {
      DWORD SubKeys = 0;
      if (RegQueryInfoKeyA(FRegistry->CurrentKey(), nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
      Count = static_cast<int>(SubKeys);
      return true;
    });
    return Count;
  }
  if (TVsIniEntry* K = FindKey(Key, false)) {
    Count = 0;
    for (int I = 0; I < K->ChildCount(); ++I)
      if (K->Child(I)->IsKey()) ++Count;
  }
  return Count;
}

void TVsIniFile::EnumSubKeys(const AnsiString& Key, TStrings* List) {
  List->Clear();
  if (FRegistry) {
    InRegKey(Key, false, [&] {
      FRegistry->GetKeyNames(List);
      return true;
    });
    return;
  }
  if (TVsIniEntry* K = FindKey(Key, false))
    for (int I = 0; I < K->ChildCount(); ++I)
      if (K->Child(I)->IsKey()) List->Add(K->Child(I)->Name());
}

void TVsIniFile::EnumValues(const AnsiString& Key, TStrings* List) {
  List->Clear();
  if (FRegistry) {
    InRegKey(Key, false, [&] {
      FRegistry->GetValueNames(List);
      TStringList SubKeys;
      FRegistry->GetKeyNames(&SubKeys);
      for (int I = List->Count() - 1; I >= 0; --I)
        for (int J = 0; J < SubKeys.Count(); ++J)
          if (SameText(List->Strings(I), SubKeys.Strings(J))) {
            List->Delete(I);
            break;
          }
      return true;
    });
    return;
  }
  if (TVsIniEntry* K = FindKey(Key, false))
    for (int I = 0; I < K->ChildCount(); ++I)
      if (!K->Child(I)->IsKey()) List->Add(K->Child(I)->Name());
}

TVsIniValueType TVsIniFile::GetValueType(const AnsiString& Key, const AnsiString& Name) {
  if (!FRegistry) {
    const TVsIniEntry* E = FindValue(Key, Name);
    return E ? E->ValueType() : ivtNone;
  }
  AnsiString K = Key;
  AnsiString N = Name;
  if (N.empty()) {
    const size_t Last = K.rfind('\\');
    N = Last == AnsiString::npos ? K : K.substr(Last + 1);
    K = Last == AnsiString::npos ? AnsiString() : Last == 0 ? AnsiString("\\") : K.substr(0, Last);
  }
  TVsIniValueType Result = ivtNone;
  InRegKey(K, false, [&] {
    DWORD Type;
    std::vector<Byte> Data;
    if (!RegQuery(N, Type, Data)) return false;
    switch (Type) {
      case REG_SZ:
      case REG_EXPAND_SZ: Result = ivtString; break;
      case REG_BINARY: Result = ivtBinary; break;
      case REG_DWORD: Result = ivtInteger; break;
      case REG_MULTI_SZ: Result = ivtMultiString; break;
      default: break;
    }
    return true;
  });
  return Result;
}

TVsIniEntry* TVsIniFile::GetValueEntry(const AnsiString& Key, const AnsiString& Name) {
  if (FRegistry) RegistryError(SGetValueEntry);
  TVsIniEntry* K = FindKey(Key, false);
  if (!K) return nullptr;
  if (Name.empty()) return K == FRoot.get() ? nullptr : K;
  return K->FindChild(Name);
}

TVsIniEntry* TVsIniFile::CreateValue(const AnsiString& Key, const AnsiString& Name) {
  if (FRegistry) RegistryError(SCreateValue);
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (E) Changed();
  return E;
}

void TVsIniFile::SetValueType(const AnsiString& Key, const AnsiString& Name, TVsIniValueType Type) {
  if (FRegistry) RegistryError(SSetValueType);
  if (TVsIniEntry* E = ValueForWrite(Key, Name)) {
    E->SetEmptyValue(Type);
    Changed();
  }
}

// ---------------------------------------------------------------------------
// Readers

bool TVsIniFile::ReadBool(const AnsiString& Key, const AnsiString& Name, bool& Value, bool Default) {
  Value = Default;
  if (FRegistry)
    return InRegKey(Key, false, [&] {
      DWORD Type;
      std::vector<Byte> Data;
      if (!RegQuery(Name, Type, Data) || Type != REG_DWORD || Data.size() != 4) return false;
      Value = Int32At(Data.data()) != 0;
      return true;
    });
  const TVsIniEntry* E = FindValue(Key, Name);
  if (!E) return false;
  if (E->ValueType() == ivtBoolean) {
    Value = E->AsBoolean();
    return true;
  }
  if (E->ValueType() == ivtInteger) {
    Value = E->AsInteger() != 0;
    return true;
  }
  return false;
}

bool TVsIniFile::ReadInteger(const AnsiString& Key, const AnsiString& Name, Integer& Value, Integer Default) {
  Value = Default;
  if (FRegistry)
    return InRegKey(Key, false, [&] {
      DWORD Type;
      std::vector<Byte> Data;
      if (!RegQuery(Name, Type, Data) || Type != REG_DWORD || Data.size() != 4) return false;
      Value = Int32At(Data.data());
      return true;
    });
  const TVsIniEntry* E = FindValue(Key, Name);
  if (!E) return false;
  switch (E->ValueType()) {
    case ivtInteger: Value = E->AsInteger(); return true;
    case ivtBoolean: Value = E->AsBoolean() ? 1 : 0; return true;
    case ivtFloat: {
      // Round halves to even; a float no integer can hold is no integer.
      const double F = E->AsFloat();
      if (!(F > double(INT_MIN) - 0.5 && F < double(INT_MAX) + 0.5)) return false;
      const Int64 R = Round(F);
      if (R < INT_MIN || R > INT_MAX) return false;
      Value = static_cast<Integer>(R);
      return true;
    }
    case ivtString: Value = StrToIntDef(E->AsString(), Default); return false;
    default: return false;
  }
}

bool TVsIniFile::ReadFloat(const AnsiString& Key, const AnsiString& Name, double& Value, double Default) {
  Value = Default;
  if (FRegistry)
    return InRegKey(Key, false, [&] {
      DWORD Type;
      std::vector<Byte> Data;
      if (!RegQuery(Name, Type, Data) || Type != REG_BINARY || Data.size() != 8) return false;
      Value = DoubleAt(Data.data());
      return true;
    });
  const TVsIniEntry* E = FindValue(Key, Name);
  if (!E) return false;
  switch (E->ValueType()) {
    case ivtFloat: Value = E->AsFloat(); return true;
    case ivtInteger: Value = E->AsInteger(); return true;
    case ivtString: {
      double D;
      int Code;
      DotStrToFloat(E->AsString(), D, Code);
      if (Code == 0) Value = D;
      return false;
    }
    default: return false;
  }
}

bool TVsIniFile::ReadString(const AnsiString& Key, const AnsiString& Name, AnsiString& Value,
                            const AnsiString& Default) {
  Value = Default;
  if (FRegistry)
    return InRegKey(Key, false, [&] {
      DWORD Type;
      std::vector<Byte> Data;
      if (!RegQuery(Name, Type, Data)) return false;
      const char* Text = reinterpret_cast<const char*>(Data.data());
      switch (Type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
          // Stored without its terminator is no reason to read beyond the data.
          if (Data.size() > 1) Value = AnsiString(Text, strnlen(Text, Data.size()));
          return true;
        case REG_MULTI_SZ: {
          if (Data.size() <= 1) return true;
          TStringList Lines;
          Lines.SetText(MultiStringText(Data));
          AnsiString Joined;
          for (int I = 0; I < Lines.Count(); ++I) Joined += (I > 0 ? "\r\n" : "") + Lines.Strings(I);
          Value = Joined;
          return true;
        }
        case REG_DWORD:
          if (Data.size() != 4) return false;
          Value = IntToStr(Int32At(Data.data()));
          return true;
        case REG_BINARY: Value = BinaryToHexText(Data.data(), static_cast<int>(Data.size())); return true;
        default: return false;
      }
    });
  const TVsIniEntry* E = FindValue(Key, Name);
  if (!E) return false;
  switch (E->ValueType()) {
    case ivtString: Value = E->AsString(); return true;
    case ivtInteger: Value = IntToStr(E->AsInteger()); return true;
    case ivtBoolean: Value = E->AsBoolean() ? "true" : "false"; return true;
    case ivtMultiString: Value = E->AsMultiString()->Text(); return true;
    case ivtBinary:
      Value = BinaryToHexText(E->AsBinary().data(), static_cast<int>(E->AsBinary().size()));
      return true;
    default: return false;
  }
}

bool TVsIniFile::ReadMultiString(const AnsiString& Key, const AnsiString& Name, TStrings* List) {
  if (FRegistry)
    return InRegKey(Key, false, [&] {
      DWORD Type;
      std::vector<Byte> Data;
      if (!RegQuery(Name, Type, Data) || Type != REG_MULTI_SZ) return false;
      if (Data.size() <= 1)
        List->Clear();
      else
        List->SetText(MultiStringText(Data));
      return true;
    });
  const TVsIniEntry* E = FindValue(Key, Name);
  if (!E) return false;
  if (E->ValueType() == ivtMultiString) {
    List->Assign(E->AsMultiString());
    return true;
  }
  if (E->ValueType() == ivtString) {
    List->SetText(E->AsString());
    return true;
  }
  return false;
}

bool TVsIniFile::ReadBinary(const AnsiString& Key, const AnsiString& Name, int& Size, void* Buffer) {
  std::vector<Byte> Data;
  bool Found = false;
  if (FRegistry) {
    InRegKey(Key, false, [&] {
      DWORD Type;
      Found = RegQuery(Name, Type, Data) && Type == REG_BINARY;
      return Found;
    });
  } else if (const TVsIniEntry* E = FindValue(Key, Name); E && E->ValueType() == ivtBinary) {
    Data = E->AsBinary();
    Found = true;
  }
  if (!Found) return false;
  const int Needed = static_cast<int>(Data.size());
  if (Size < Needed || (!Buffer && Needed > 0)) {
    Size = Needed;
    return false;
  }
  if (Needed > 0) std::memcpy(Buffer, Data.data(), Data.size());
  Size = Needed;
  return true;
}

// ---------------------------------------------------------------------------
// Writers

bool TVsIniFile::WriteBool(const AnsiString& Key, const AnsiString& Name, bool Value) {
  if (FSimple) return false;
  if (FRegistry) {
    const DWORD D = Value ? 1 : 0;
    return InRegKey(Key, true, [&] { return RegSet(Name, REG_DWORD, &D, 4); }) && Changed();
  }
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (!E) return false;
  E->SetBoolean(Value);
  return Changed();
}

bool TVsIniFile::WriteInteger(const AnsiString& Key, const AnsiString& Name, Integer Value) {
  if (FRegistry) {
    const DWORD D = static_cast<DWORD>(Value);
    return InRegKey(Key, true, [&] { return RegSet(Name, REG_DWORD, &D, 4); }) && Changed();
  }
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (!E) return false;
  E->SetInteger(Value);
  return Changed();
}

bool TVsIniFile::WriteString(const AnsiString& Key, const AnsiString& Name, const AnsiString& Value) {
  if (FRegistry)
    return InRegKey(Key, true,
                    [&] { return RegSet(Name, REG_SZ, Value.c_str(), static_cast<DWORD>(Value.size() + 1)); }) &&
           Changed();
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (!E) return false;
  E->SetString(Value);
  return Changed();
}

bool TVsIniFile::WriteFloat(const AnsiString& Key, const AnsiString& Name, double Value) {
  if (FRegistry) {
    std::vector<Byte> Bytes;
    AppendDouble(Bytes, Value);
    return InRegKey(Key, true, [&] { return RegSet(Name, REG_BINARY, Bytes.data(), 8); }) && Changed();
  }
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (!E) return false;
  E->SetFloat(Value);
  return Changed();
}

bool TVsIniFile::WriteMultiString(const AnsiString& Key, const AnsiString& Name, TStrings* List) {
  if (FSimple) return false;
  if (FRegistry) {
    AnsiString Data = List->Text();
    for (size_t P = Data.find("\r\n"); P != AnsiString::npos; P = Data.find("\r\n", P + 1)) Data.replace(P, 2, 1, '\0');
    return InRegKey(Key, true,
                    [&] { return RegSet(Name, REG_MULTI_SZ, Data.c_str(), static_cast<DWORD>(Data.size() + 1)); }) &&
           Changed();
  }
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (!E) return false;
  E->SetMultiString()->Assign(List);
  return Changed();
}

bool TVsIniFile::WriteBinary(const AnsiString& Key, const AnsiString& Name, int Size, const void* Buffer) {
  if (FSimple || Size < 0 || (Size > 0 && !Buffer)) return false;
  if (FRegistry)
    return InRegKey(Key, true, [&] { return RegSet(Name, REG_BINARY, Buffer, static_cast<DWORD>(Size)); }) &&
           Changed();
  TVsIniEntry* E = ValueForWrite(Key, Name);
  if (!E) return false;
  E->SetBinary(Buffer, Size);
  return Changed();
}

bool TVsIniFile::CopyValue(const AnsiString& Key, const AnsiString& Name, const AnsiString& DestKey) {
  switch (GetValueType(Key, Name)) {
    case ivtBoolean: {
      bool V;
      return ReadBool(Key, Name, V, false) && WriteBool(DestKey, Name, V);
    }
    case ivtInteger: {
      Integer V;
      return ReadInteger(Key, Name, V, 0) && WriteInteger(DestKey, Name, V);
    }
    case ivtString: {
      AnsiString V;
      return ReadString(Key, Name, V, AnsiString()) && WriteString(DestKey, Name, V);
    }
    case ivtMultiString: {
      TStringList V;
      return ReadMultiString(Key, Name, &V) && WriteMultiString(DestKey, Name, &V);
    }
    case ivtBinary: {
      int Size = -1;
      ReadBinary(Key, Name, Size, nullptr);
      if (Size < 0) return false;
      std::vector<Byte> V(static_cast<size_t>(Size));
      return ReadBinary(Key, Name, Size, V.data()) && WriteBinary(DestKey, Name, Size, V.data());
    }
    case ivtFloat: {
      double V;
      return ReadFloat(Key, Name, V, 0) && WriteFloat(DestKey, Name, V);
    }
    default: return false;
  }
}

// ---------------------------------------------------------------------------
// Removing and renaming

bool TVsIniFile::Delete(const AnsiString& Key, const AnsiString& Name) {
  if (FRegistry) {
    if (!Name.empty())
      return InRegKey(Key, false, [&] { return RegDeleteValueA(FRegistry->CurrentKey(), Name.c_str()) == ERROR_SUCCESS; });
    AnsiString Target;
    if (!InRegKey(Key, false, [&] {
          Target = FCurrentPath;
          return true;
        }))
      return false;
    // The base key is where this store lives, not part of it.
    if (Target == "\\") return false;
    const size_t Last = Target.rfind('\\');
    const AnsiString Parent = Last == 0 ? AnsiString("\\") : Target.substr(0, Last);
    const AnsiString Leaf = Target.substr(Last + 1);
    // A current key inside the removed one is left by the restore that follows.
    return InRegKey(Parent, false, [&] {
      const bool Deleted = FRegistry->DeleteKey(Leaf);
      RegDeleteValueA(FRegistry->CurrentKey(), Leaf.c_str());
      return Deleted;
    });
  }
  TVsIniEntry* K = FindKey(Key, false);
  if (!K) return false;
  TVsIniEntry* E = Name.empty() ? K : K->FindChild(Name);
  if (!E || E == FRoot.get()) return false;
  RemoveEntry(E);
  return Changed();
}

bool TVsIniFile::ClearKey(const AnsiString& Key) {
  if (FRegistry) {
    // The base key is where this store lives, not part of it.
    return InRegKey(Key, false, [&] { return FCurrentPath != "\\" && RegClearCurrent(); });
  }
  TVsIniEntry* K = FindKey(Key, false);
  if (!K || K == FRoot.get()) return false;
  if (FCurrent != K && FCurrent->IsWithin(K)) SetCurrent(K);
  K->ClearChildren();
  return Changed();
}

void TVsIniFile::Clear() {
  if (FRegistry) RegistryError(SClearRegistry);
  SetCurrent(FRoot.get());
  FRoot->ClearChildren();
  Changed();
}

bool TVsIniFile::RenameKey(const AnsiString& Key, const AnsiString& NewName) {
  if (FRegistry) RegistryError(SRenameKey);
  TVsIniEntry* K = FindKey(Key, false);
  if (!K || K == FRoot.get() || NewName.find(FDelimiter) != AnsiString::npos) return false;
  const TVsIniEntry* Sibling = K->Parent()->FindChild(NewName);
  if (Sibling && Sibling != K && Sibling->IsKey()) return false;
  K->SetName(NewName);
  if (FCurrent->IsWithin(K)) FCurrentPath = PathOf(FCurrent);
  return Changed();
}

bool TVsIniFile::RenameValue(const AnsiString& Key, const AnsiString& Name, const AnsiString& NewName) {
  if (FRegistry) return InRegKey(Key, false, [&] { return FRegistry->RenameValue(Name, NewName); });
  TVsIniEntry* E = GetValueEntry(Key, Name);
  if (!E || NewName.find(FDelimiter) != AnsiString::npos) return false;
  const TVsIniEntry* Other = E->Parent()->FindChild(NewName);
  if (Other && Other != E) return false;
  E->SetName(NewName);
  if (FCurrent->IsWithin(E)) FCurrentPath = PathOf(FCurrent);
  return Changed();
}

// ---------------------------------------------------------------------------
// Loading and saving

bool TVsIniFile::Load() {
  if (FRegistry || FPath.empty()) return false;
  DoBeforeLoad();
  try {
    TFileStream File(FPath, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&File);
  } catch (...) {
    DoAfterLoad();
    throw;
  }
  DoAfterLoad();
  return true;
}

bool TVsIniFile::Save() {
  if (FRegistry || FPath.empty()) return false;
  DoBeforeSave();
  try {
    // Formatted in memory first, so that a store that cannot be written out
    // never leaves half a file.
    TMemoryStream Data;
    SaveToStream(&Data);
    // Written beside the file and put in its place only once complete, so
    // that a save that fails half way keeps the previous settings.
    const AnsiString Temp = FPath + ".tmp";
    try {
      TFileStream File(Temp, fmCreate);
      File.WriteBuffer(Data.Memory(), static_cast<int>(Data.Size()));
      FlushFileBuffers(File.Handle());
    } catch (const EFCreateError&) {
      throw EFCreateError("Cannot create file " + FPath);
    } catch (...) {
      DeleteFileA(Temp.c_str());
      throw;
    }
    if (!MoveFileExA(Temp.c_str(), FPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      DeleteFileA(Temp.c_str());
      throw EFCreateError("Cannot create file " + FPath);
    }
    FModified = false;
  } catch (...) {
    DoAfterSave();
    throw;
  }
  DoAfterSave();
  return true;
}

void TVsIniFile::LoadFromStream(TStream* Stream) {
  if (FRegistry) return;
  // Read into a fresh tree: damaged data leaves the old one as it was.
  std::unique_ptr<TVsIniEntry> OldRoot = std::move(FRoot);
  TVsIniEntry* OldCurrent = FCurrent;
  const AnsiString OldPath = FCurrentPath;
  const bool OldModified = FModified;
  FRoot = std::make_unique<TVsIniEntry>(nullptr, AnsiString(), true);
  SetCurrent(FRoot.get());
  try {
    if (FBinaryMode)
      ReadBinaryStream(Stream);
    else
      ReadText(Stream);
  } catch (...) {
    FRoot = std::move(OldRoot);
    FCurrent = OldCurrent;
    FCurrentPath = OldPath;
    FModified = OldModified;
    throw;
  }
  SetCurrent(FRoot.get());
  // What was just read is what the file holds.
  FModified = false;
}

void TVsIniFile::SaveToStream(TStream* Stream) {
  if (FRegistry) return;
  if (FBinaryMode) {
    WriteBinaryStream(Stream, FRoot.get());
    return;
  }
  if (!FWarningMessage.empty()) WriteTextLine(Stream, FComment + FWarningMessage);
  WriteText(Stream, FRoot.get());
}

void TVsIniFile::ParseLine(const AnsiString& Line, int LineNumber, AnsiString& Name, AnsiString& Value) {
  bool Quoted = false;
  size_t Div = AnsiString::npos;
  size_t End = Line.size();
  for (size_t I = 0; I < Line.size(); ++I) {
    if (Line[I] == '"') {
      Quoted = !Quoted;
    } else if (!Quoted) {
      if (!FComment.empty() && Line.compare(I, FComment.size(), FComment) == 0) {
        End = I;
        break;
      }
      if (Line[I] == FDivChar && Div == AnsiString::npos) Div = I;
    }
  }
  if (Div == AnsiString::npos) {
    Name = "#" + IntToStr(LineNumber);
    Value = Line.substr(0, End);
  } else {
    Name = Line.substr(0, Div);
    Value = Line.substr(Div + 1, End - Div - 1);
  }
  if (FTrimSpaces) {
    Name = Trim(Name);
    Value = Trim(Value);
  }
}

void TVsIniFile::ReadText(TStream* Stream) {
  TStringList Lines;
  Lines.LoadFromStream(Stream);
  TVsIniEntry* Section = FCurrent;
  for (int I = 0; I < Lines.Count(); ++I) {
    const int LineNumber = I + 1;
    AnsiString S = Lines.Strings(I);
    if (FTrimSpaces) S = Trim(S);
    if (S.empty() || (!FComment.empty() && StartsWith(S, FComment))) continue;

    if (S[0] == '[') {
      const size_t Semicolon = S.find(';');
      if (Semicolon != AnsiString::npos) S.erase(Semicolon);
      S = TrimRight(S);
      const AnsiString Name = S.size() >= 2 && S.back() == ']' ? S.substr(1, S.size() - 2) : S.substr(1);
      if (KeyDepth(Name, FDelimiter) > MaxKeyDepth)
        throw EVsIniError(Format("Keys nested deeper than %d levels in line %d", MaxKeyDepth, LineNumber));
      // A section that cannot be opened hides its values up to the next one.
      Section = FindKey(AnsiString(1, FDelimiter) + Name, true);
      continue;
    }
    if (!Section) continue;

    AnsiString Name, Value;
    ParseLine(S, LineNumber, Name, Value);
    bool Element = false;
    if (!Name.empty() && Name.back() == ']') {
      const size_t Open = Name.find('[');
      if (Open != AnsiString::npos) {
        Element = true;
        Name.erase(Open);
      }
    }
    TVsIniEntry* E = Section->FindChild(Name);
    if (!E) {
      if (Name.empty()) continue;
      E = Section->AddChild(Name, false);
    }
    if (Element) {
      TStringList* List = E->AsMultiString();
      (List ? List : E->SetMultiString())->Add(Value);
      continue;
    }

    if (Value.size() >= 2 && Value.front() == '"' && Value.back() == '"' &&
        NeedsQuotes(Value.substr(1, Value.size() - 2), FTrimSpaces)) {
      E->SetString(Value.substr(1, Value.size() - 2));
      continue;
    }
    if (SameText(Value, "true") || SameText(Value, "false")) {
      E->SetBoolean(SameText(Value, "true"));
      continue;
    }
    Integer IntValue;
    if (TryStrToInt(Value, IntValue) && IsCanonicalInteger(IntValue, Value)) {
      E->SetInteger(IntValue);
      continue;
    }
    double FloatValue;
    int Code;
    DotStrToFloat(Value, FloatValue, Code);
    if (Code == 0 && FloatToDotStr(FloatValue) == Value) {
      E->SetFloat(FloatValue);
      continue;
    }
    std::vector<Byte> Bytes;
    if (IsBinaryText(Value, FTrimSpaces, Bytes)) {
      E->SetBinary(Bytes.data(), static_cast<int>(Bytes.size()));
      continue;
    }
    E->SetString(Value);
  }
}

void TVsIniFile::WriteText(TStream* Stream, const TVsIniEntry* Entry) {
  if (Entry != FRoot.get()) {
    WriteTextLine(Stream, AnsiString());
    WriteTextLine(Stream, "[" + StoredPathOf(Entry) + "]");
  }
  const AnsiString Div(1, FDivChar);
  for (int I = 0; I < Entry->ChildCount(); ++I) {
    const TVsIniEntry* E = Entry->Child(I);
    const AnsiString& Name = E->Name();
    const AnsiString Prefix = Name.empty() || Name[0] == '#' ? AnsiString() : Name + Div;
    switch (E->ValueType()) {
      case ivtBoolean:
        WriteTextLine(Stream, Prefix + (FSimple ? (E->AsBoolean() ? "1" : "0") : (E->AsBoolean() ? "true" : "false")));
        break;
      case ivtInteger: WriteTextLine(Stream, Prefix + IntToStr(E->AsInteger())); break;
      case ivtString:
        WriteTextLine(Stream, Prefix + (NeedsQuotes(E->AsString(), FTrimSpaces) ? "\"" + E->AsString() + "\""
                                                                                  : E->AsString()));
        break;
      case ivtBinary:
        WriteTextLine(Stream, Prefix + BinaryToHexText(E->AsBinary().data(), static_cast<int>(E->AsBinary().size())));
        break;
      case ivtFloat: WriteTextLine(Stream, Prefix + FloatToDotStr(E->AsFloat())); break;
      case ivtMultiString: {
        const TStringList* List = E->AsMultiString();
        for (int J = 0; J < List->Count(); ++J)
          WriteTextLine(Stream, Name + "[" + IntToStr(J) + "]" + Div + List->Strings(J));
        break;
      }
      case ivtNone: break;
    }
  }
  for (int I = 0; I < Entry->ChildCount(); ++I)
    if (Entry->Child(I)->IsKey()) WriteText(Stream, Entry->Child(I));
}

void TVsIniFile::WriteBinaryStream(TStream* Stream, const TVsIniEntry* Entry) {
  std::vector<Byte> Bytes{1};
  AppendLP(Bytes, StoredPathOf(Entry));
  for (int I = 0; I < Entry->ChildCount(); ++I) {
    const TVsIniEntry* E = Entry->Child(I);
    if (E->ValueType() == ivtNone) continue;
    std::vector<Byte> Data;
    switch (E->ValueType()) {
      case ivtBoolean: Data.push_back(E->AsBoolean() ? 1 : 0); break;
      case ivtInteger: AppendInt32(Data, E->AsInteger()); break;
      case ivtString: AppendLP(Data, E->AsString()); break;
      case ivtMultiString:
        for (int J = 0; J < E->AsMultiString()->Count(); ++J) AppendLP(Data, E->AsMultiString()->Strings(J));
        break;
      case ivtBinary:
        AppendInt32(Data, static_cast<Integer>(E->AsBinary().size()));
        Data.insert(Data.end(), E->AsBinary().begin(), E->AsBinary().end());
        break;
      case ivtFloat: AppendDouble(Data, E->AsFloat()); break;
      case ivtNone: break;
    }
    Bytes.push_back(0);
    AppendLP(Bytes, E->Name());
    Bytes.push_back(E->ValueType());
    AppendInt32(Bytes, static_cast<Integer>(Data.size()));
    Bytes.insert(Bytes.end(), Data.begin(), Data.end());
  }
  Stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  for (int I = 0; I < Entry->ChildCount(); ++I)
    if (Entry->Child(I)->IsKey()) WriteBinaryStream(Stream, Entry->Child(I));
}

void TVsIniFile::ReadBinaryStream(TStream* Stream) {
  const Int64 Size = Stream->Size();
  auto ReadExactly = [&](void* Buffer, Int64 Count) {
    if (Count < 0 || Count > Size - Stream->Position() || Stream->Read(Buffer, static_cast<int>(Count)) != Count)
      DamagedData(Stream->Position());
  };
  TVsIniEntry* Section = FCurrent;
  while (Stream->Position() < Size) {
    const Int64 RecordStart = Stream->Position();
    Byte Tag;
    ReadExactly(&Tag, 1);
    if (Tag == 1) {
      AnsiString KeyPath;
      if (!ReadStringFromStream(Stream, KeyPath)) DamagedData(RecordStart);
      if (KeyPath.empty() || KeyPath[0] != FDelimiter) KeyPath.insert(0, 1, FDelimiter);
      if (KeyDepth(KeyPath, FDelimiter) > MaxKeyDepth)
        throw EVsIniError(Format("Keys nested deeper than %d levels at offset %d", MaxKeyDepth,
                                 static_cast<int>(RecordStart)));
      // The values of a key that cannot be opened are skipped by their sizes.
      Section = FindKey(KeyPath, true);
      continue;
    }
    if (Tag != 0) DamagedData(RecordStart);

    AnsiString Name;
    if (!ReadStringFromStream(Stream, Name)) DamagedData(RecordStart);
    Byte Header[5];
    ReadExactly(Header, 5);
    const Byte Type = Header[0];
    const Integer DataSize = Int32At(Header + 1);
    std::vector<Byte> Data(DataSize >= 0 && DataSize <= Size - Stream->Position() ? static_cast<size_t>(DataSize) : 0);
    ReadExactly(Data.data(), DataSize);
    if (!Section) continue;

    // The data must be exactly what its type takes before anything changes.
    const Byte* P = Data.data();
    std::vector<AnsiString> Elements;
    bool Valid;
    switch (Type) {
      case ivtBoolean: Valid = DataSize == 1; break;
      case ivtInteger: Valid = DataSize == 4; break;
      case ivtFloat: Valid = DataSize == 8; break;
      case ivtString:
      case ivtBinary: Valid = DataSize >= 4 && Int32At(P) == DataSize - 4; break;
      case ivtMultiString: {
        Valid = true;
        Integer At = 0;
        while (Valid && At < DataSize) {
          const Integer Length = DataSize - At >= 4 ? Int32At(P + At) : -1;
          Valid = Length >= 0 && Length <= DataSize - At - 4;
          if (Valid) Elements.emplace_back(reinterpret_cast<const char*>(P + At + 4), static_cast<size_t>(Length));
          At += 4 + (Valid ? Length : 0);
        }
        break;
      }
      default: Valid = false;
    }
    if (!Valid) DamagedData(RecordStart);

    TVsIniEntry* E = Section->FindChild(Name);
    if (!E) E = Section->AddChild(Name, false);
    switch (Type) {
      case ivtBoolean: E->SetBoolean(P[0] != 0); break;
      case ivtInteger: E->SetInteger(Int32At(P)); break;
      case ivtFloat: E->SetFloat(DoubleAt(P)); break;
      case ivtString: E->SetString(AnsiString(reinterpret_cast<const char*>(P + 4), static_cast<size_t>(DataSize - 4))); break;
      case ivtBinary: E->SetBinary(P + 4, DataSize - 4); break;
      case ivtMultiString: {
        TStringList* List = E->SetMultiString();
        for (const AnsiString& S : Elements) List->Add(S);
        break;
      }
      default: break;
    }
  }
}

// ---------------------------------------------------------------------------
// Registry mode

template <class F> bool TVsIniFile::InRegKey(const AnsiString& Key, bool CanCreate, F&& Body) {
  if (Key.empty()) return Body();
  const AnsiString Saved = FCurrentPath;
  if (!RegOpenKey(Key, CanCreate)) return false;
  bool Result;
  try {
    Result = Body();
  } catch (...) {
    RegRestore(Saved);
    throw;
  }
  RegRestore(Saved);
  return Result;
}

bool TVsIniFile::RegOpenKey(const AnsiString& APath, bool CanCreate) {
  if (APath.empty()) return true;
  AnsiString P = APath;
  if (P[0] != '\\') P = FCurrentPath + (!FCurrentPath.empty() && FCurrentPath.back() == '\\' ? "" : "\\") + P;
  if (P.size() > 1 && P.back() == '\\') P.pop_back();
  if (!FPath.empty() && FPath.back() == '\\' && !P.empty() && P[0] == '\\') P.erase(0, 1);
  if (!FRegistry->OpenKey(FPath + P, CanCreate)) return false;
  AnsiString Current = "\\" + FRegistry->CurrentPath();
  if (Current.size() >= FPath.size() && SameText(Current.substr(0, FPath.size()), FPath)) Current.erase(0, FPath.size());
  if (Current.empty() || Current[0] != '\\') Current.insert(0, 1, '\\');
  FCurrentPath = Current;
  return true;
}

void TVsIniFile::RegRestore(const AnsiString& SavedPath) {
  AnsiString P = SavedPath;
  while (!RegOpenKey(P, false)) {
    if (P.size() <= 1) {
      RegOpenKey("\\", true);
      return;
    }
    const size_t Last = P.rfind('\\');
    P = Last == 0 || Last == AnsiString::npos ? AnsiString("\\") : P.substr(0, Last);
  }
}

bool TVsIniFile::RegQuery(const AnsiString& Name, DWORD& Type, std::vector<Byte>& Data) {
  const HKEY Key = FRegistry->CurrentKey();
  if (!Key) return false;
  DWORD Size = 0;
  if (RegQueryValueExA(Key, Name.c_str(), nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return false;
  for (;;) {
    Data.resize(Size);
    const LONG Result = RegQueryValueExA(Key, Name.c_str(), nullptr, &Type, Data.empty() ? nullptr : Data.data(), &Size);
    if (Result == ERROR_SUCCESS) {
      Data.resize(Size);
      return true;
    }
    if (Result != ERROR_MORE_DATA) return false;
  }
}

bool TVsIniFile::RegSet(const AnsiString& Name, DWORD Type, const void* Data, DWORD Size) {
  const HKEY Key = FRegistry->CurrentKey();
  return Key && RegSetValueExA(Key, Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size) == ERROR_SUCCESS;
}

bool TVsIniFile::RegClearCurrent() {
  TStringList Names;
  FRegistry->GetKeyNames(&Names);
  bool Ok = true;
  for (int I = 0; I < Names.Count(); ++I) Ok = FRegistry->DeleteKey(Names.Strings(I)) && Ok;
  FRegistry->GetValueNames(&Names);
  for (int I = 0; I < Names.Count(); ++I) Ok = FRegistry->DeleteValue(Names.Strings(I)) && Ok;
  return Ok;
}

// ---------------------------------------------------------------------------

void InitializeVsIni() {
  RegisterClass<TVsIniFile, TComponent>()
      .Bool("BinaryMode", &TVsIniFile::BinaryMode, &TVsIniFile::SetBinaryMode, false)
      .Str("Comment", &TVsIniFile::Comment, &TVsIniFile::SetComment)
      .Char("Delimiter", &TVsIniFile::Delimiter, &TVsIniFile::SetDelimiter, '\\')
      .Char("DivChar", &TVsIniFile::DivChar, &TVsIniFile::SetDivChar, '=')
      .Bool("LazyWrite", &TVsIniFile::LazyWrite, &TVsIniFile::SetLazyWrite, true)
      .Str("Path", &TVsIniFile::Path, &TVsIniFile::SetPath)
      .Bool("Simple", &TVsIniFile::Simple, &TVsIniFile::SetSimple, false)
      .Enum("RegRoot", &TVsIniFile::RegRoot, &TVsIniFile::SetRegRoot, rrtHKEY_CURRENT_USER,
            {"rrtUnknown", "rrtHKEY_CLASSES_ROOT", "rrtHKEY_CURRENT_USER", "rrtHKEY_LOCAL_MACHINE", "rrtHKEY_USERS",
             "rrtHKEY_CURRENT_CONFIG"})
      .Bool("UseRegistry", &TVsIniFile::UseRegistry, &TVsIniFile::SetUseRegistry, false)
      .Str("WarningMessage", &TVsIniFile::WarningMessage, &TVsIniFile::SetWarningMessage)
      .Event("OnBeforeSave", &TVsIniFile::OnBeforeSave)
      .Event("OnAfterLoad", &TVsIniFile::OnAfterLoad)
      .Event("OnBeforeLoad", &TVsIniFile::OnBeforeLoad)
      .Event("OnAfterSave", &TVsIniFile::OnAfterSave)
      .Bool("TrimSpaces", &TVsIniFile::TrimSpaces, &TVsIniFile::SetTrimSpaces, false);
}
