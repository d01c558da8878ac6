#include "TypInfo.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "Collections.h"
#include "Consts.h"

namespace {

char UpperChar(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }

// Identifiers are ASCII; names compare without regard to ASCII case.
AnsiString Upper(const AnsiString& S) {
  AnsiString R = S;
  std::transform(R.begin(), R.end(), R.begin(), UpperChar);
  return R;
}

bool SameName(const AnsiString& A, const AnsiString& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return UpperChar(X) == UpperChar(Y);
         });
}

// Types are looked up by hash and equality only: the ordering of type_info
// is not consistent for classes of anonymous namespaces.
struct TRegistry {
  std::vector<std::unique_ptr<TClassInfo>> Classes;
  std::unordered_map<std::type_index, TClassInfo*> ByType;
  std::map<AnsiString, TClassInfo*> ByName;
  // Unregistered C++ classes resolved to their nearest registered base.
  std::unordered_map<std::type_index, const TClassInfo*> Resolved;
  std::map<AnsiString, std::pair<TIdentToInt, TIntToIdent>> IntegerConsts;
  bool BaseClassesRegistered = false;
};

TRegistry& Store() {
  static TRegistry R;
  return R;
}

void RegisterBaseClasses() {
  RegisterClass<TPersistent, TObject>();
  RegisterClass<TComponent, TPersistent>()
      .Str("Name", &TComponent::Name, &TComponent::SetName)
      .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
  RegisterClass<TCollection, TPersistent>();
  RegisterClass<TCollectionItem, TPersistent>();
}

// The registry, with the framework's own base classes in it.
TRegistry& Registry() {
  TRegistry& R = Store();
  if (!R.BaseClassesRegistered) {
    R.BaseClassesRegistered = true;
    RegisterBaseClasses();
  }
  return R;
}

[[noreturn]] void NotOfKind(const TPropInfo* P, const wchar_t* What) {
  throw EPropertyConvertError(FmtLoadStr(SPropertyIsNot, P->Name(), LoadStr(What)));
}

[[noreturn]] void IsReadOnly(const TPropInfo* P) { throw EPropertyError(FmtLoadStr(SReadOnlyProperty, P->Name())); }

const TPropInfo* Need(TObject* Instance, const AnsiString& PropName) {
  const TPropInfo* P = GetPropInfo(Instance, PropName);
  if (!P) throw EPropertyError(FmtLoadStr(SUnknownProperty, PropName));
  return P;
}

bool IsOrdinal(TTypeKind Kind) {
  return Kind == tkInteger || Kind == tkChar || Kind == tkWChar || Kind == tkEnumeration || Kind == tkSet;
}

}  // namespace

void TypInfoDetail::RaiseNotAnObjectOf(const AnsiString& ClassName) {
  throw EPropertyError(FmtLoadStr(SNotAnObjectOf, ClassName));
}

void TypInfoDetail::RaiseIncompatibleMethod() { throw EPropertyConvertError(LoadStr(SIncompatibleMethod)); }

AnsiString ShortTypeName(const std::type_info& Type) {
  const AnsiString Full = TypeName(Type);
  size_t Start = 0;
  int Depth = 0;
  for (size_t I = 0; I + 1 < Full.size(); ++I) {
    if (Full[I] == '<') ++Depth;
    if (Full[I] == '>') --Depth;
    if (Depth == 0 && Full[I] == ':' && Full[I + 1] == ':') Start = I + 2;
  }
  return Full.substr(Start);
}

// --- integer identifiers ---

void RegisterIntegerConsts(const AnsiString& TypeName, TIdentToInt IdentToInt, TIntToIdent IntToIdent) {
  Registry().IntegerConsts[Upper(TypeName)] = {IdentToInt, IntToIdent};
}

TIdentToInt FindIdentToInt(const AnsiString& TypeName) {
  auto& Map = Registry().IntegerConsts;
  auto It = Map.find(Upper(TypeName));
  return It == Map.end() ? nullptr : It->second.first;
}

TIntToIdent FindIntToIdent(const AnsiString& TypeName) {
  auto& Map = Registry().IntegerConsts;
  auto It = Map.find(Upper(TypeName));
  return It == Map.end() ? nullptr : It->second.second;
}

// --- TPropInfo ---

bool TPropInfo::ReadOnly() const {
  switch (FKind) {
    case tkFloat: return !FSetFloat;
    case tkString: return !FSetStr;
    case tkWString: return !FSetWStr;
    case tkClass: return !FSetObj;
    case tkMethod: return !FSetMethod;
    default: return !FSetOrd;
  }
}

// --- TClassInfo ---

TClassInfo::TClassInfo(AnsiString Name, std::type_index Type, std::type_index ParentType, TComponentFactory Factory,
                       bool (*IsInstance)(const TObject*))
    : FName(std::move(Name)), FType(Type), FParentType(ParentType), FFactory(Factory), FIsInstance(IsInstance) {}

const TClassInfo* TClassInfo::Parent() const { return GetClassInfo(FParentType); }

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
  for (const TClassInfo* C = this; C; C = C->Parent())
    if (C == Other) return true;
  return false;
}

TComponent* TClassInfo::Create(TComponent* Owner) const {
  if (!FFactory) throw EClassNotFound(FmtLoadStr(SClassCannotBeCreated, FName));
  return FFactory(Owner);
}

const TPropInfo* TClassInfo::FindProp(const AnsiString& Name) const {
  for (const TClassInfo* C = this; C; C = C->Parent())
    for (auto It = C->FProps.rbegin(); It != C->FProps.rend(); ++It)
      if (SameName((*It)->Name(), Name)) return It->get();
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::PropList() const {
  std::vector<const TClassInfo*> Chain;
  for (const TClassInfo* C = this; C; C = C->Parent()) Chain.push_back(C);
  std::vector<const TPropInfo*> List;
  for (auto C = Chain.rbegin(); C != Chain.rend(); ++C)
    for (const auto& P : (*C)->FProps) {
      auto Same = std::find_if(List.begin(), List.end(), [&](const TPropInfo* Q) { return SameName(Q->Name(), P->Name()); });
      if (Same != List.end())
        *Same = P.get();
      else
        List.push_back(P.get());
    }
  return List;
}

const TMethodInfo* TClassInfo::FindMethod(const AnsiString& Name) const {
  for (const TClassInfo* C = this; C; C = C->Parent())
    for (const TMethodInfo& M : C->FMethods)
      if (SameName(M.Name, Name)) return &M;
  return nullptr;
}

std::vector<const TFieldInfo*> TClassInfo::FieldList() const {
  std::vector<const TFieldInfo*> List;
  for (const TClassInfo* C = this; C; C = C->Parent())
    for (const TFieldInfo& F : C->FFields) List.push_back(&F);
  return List;
}

void TClassInfo::AddProp(std::unique_ptr<TPropInfo> Prop) { FProps.push_back(std::move(Prop)); }
void TClassInfo::AddMethod(TMethodInfo Method) { FMethods.push_back(std::move(Method)); }
void TClassInfo::AddField(TFieldInfo Field) { FFields.push_back(std::move(Field)); }

// --- registry ---

TClassInfo& RegisterClassInfo(const AnsiString& Name, std::type_index Type, std::type_index ParentType,
                              TComponentFactory Factory, bool (*IsInstance)(const TObject*)) {
  TRegistry& R = Registry();
  const AnsiString Key = Upper(Name);
  auto Named = R.ByName.find(Key);
  if (Named != R.ByName.end() && Named->second->Type() != Type)
    throw EFilerError(FmtLoadStr(SDuplicateClass, Name));
  R.Resolved.clear();
  auto Known = R.ByType.find(Type);
  if (Known != R.ByType.end()) {
    // Registered again (a unit initialised twice): start over in place.
    TClassInfo* Info = Known->second;
    R.ByName.erase(Upper(Info->ClassName()));
    *Info = TClassInfo(Name, Type, ParentType, Factory, IsInstance);
    R.ByName[Key] = Info;
    return *Info;
  }
  R.Classes.push_back(std::make_unique<TClassInfo>(Name, Type, ParentType, Factory, IsInstance));
  TClassInfo* Info = R.Classes.back().get();
  R.ByType.emplace(Type, Info);
  R.ByName[Key] = Info;
  return *Info;
}

const TClassInfo* GetClass(const AnsiString& Name) {
  auto& Map = Registry().ByName;
  auto It = Map.find(Upper(Name));
  return It == Map.end() ? nullptr : It->second;
}

const TClassInfo* FindClass(const AnsiString& Name) {
  const TClassInfo* C = GetClass(Name);
  if (!C) throw EClassNotFound(FmtLoadStr(SClassNotFound, Name));
  return C;
}

const TClassInfo* GetClassInfo(std::type_index Type) {
  auto& Map = Registry().ByType;
  auto It = Map.find(Type);
  return It == Map.end() ? nullptr : It->second;
}

const TClassInfo* ClassInfoOf(const TObject* Obj) {
  if (!Obj) return nullptr;
  const std::type_index Type(typeid(*Obj));
  if (const TClassInfo* Exact = GetClassInfo(Type)) return Exact;
  TRegistry& R = Registry();
  auto Cached = R.Resolved.find(Type);
  if (Cached != R.Resolved.end()) return Cached->second;
  // The deepest registered class the object is an instance of.
  const TClassInfo* Best = nullptr;
  int BestDepth = -1;
  for (const auto& C : R.Classes) {
    if (!C->IsInstance(Obj)) continue;
    int Depth = 0;
    for (const TClassInfo* P = C->Parent(); P; P = P->Parent()) ++Depth;
    if (Depth > BestDepth) {
      Best = C.get();
      BestDepth = Depth;
    }
  }
  R.Resolved.emplace(Type, Best);
  return Best;
}

const TPropInfo* GetPropInfo(const TClassInfo* Class, const AnsiString& PropName) {
  return Class ? Class->FindProp(PropName) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName) {
  return GetPropInfo(ClassInfoOf(Instance), PropName);
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance) {
  const TClassInfo* C = ClassInfoOf(Instance);
  return C ? C->PropList() : std::vector<const TPropInfo*>();
}

bool IsPublishedProp(const TObject* Instance, const AnsiString& PropName) {
  return GetPropInfo(Instance, PropName) != nullptr;
}

// --- typed access ---

int GetOrdProp(TObject* Instance, const TPropInfo* P) {
  if (!IsOrdinal(P->Kind())) NotOfKind(P, SKindOrdinal);
  return P->FGetOrd(Instance);
}

void SetOrdProp(TObject* Instance, const TPropInfo* P, int Value) {
  if (!IsOrdinal(P->Kind())) NotOfKind(P, SKindOrdinal);
  if (!P->FSetOrd) IsReadOnly(P);
  const auto Count = P->EnumNames().size();
  if (P->Kind() == tkEnumeration && (Value < 0 || static_cast<size_t>(Value) >= Count))
    throw EPropertyConvertError(FmtLoadStr(SInvalidPropertyValueOf, Value, P->Name()));
  if (P->Kind() == tkSet && Count < 32 && (static_cast<std::uint32_t>(Value) >> Count) != 0)
    throw EPropertyConvertError(FmtLoadStr(SInvalidPropertyValueOf, Value, P->Name()));
  P->FSetOrd(Instance, Value);
}

AnsiString GetStrProp(TObject* Instance, const TPropInfo* P) {
  if (P->Kind() == tkString) return P->FGetStr(Instance);
  if (P->Kind() == tkWString) return WideToAnsi(P->FGetWStr(Instance));
  NotOfKind(P, SKindString);
}

void SetStrProp(TObject* Instance, const TPropInfo* P, const AnsiString& Value) {
  if (P->Kind() == tkString) {
    if (!P->FSetStr) IsReadOnly(P);
    P->FSetStr(Instance, Value);
  } else if (P->Kind() == tkWString) {
    if (!P->FSetWStr) IsReadOnly(P);
    P->FSetWStr(Instance, AnsiToWide(Value));
  } else {
    NotOfKind(P, SKindString);
  }
}

WideString GetWideStrProp(TObject* Instance, const TPropInfo* P) {
  if (P->Kind() == tkWString) return P->FGetWStr(Instance);
  if (P->Kind() == tkString) return AnsiToWide(P->FGetStr(Instance));
  NotOfKind(P, SKindString);
}

void SetWideStrProp(TObject* Instance, const TPropInfo* P, const WideString& Value) {
  if (P->Kind() == tkWString) {
    if (!P->FSetWStr) IsReadOnly(P);
    P->FSetWStr(Instance, Value);
  } else if (P->Kind() == tkString) {
    if (!P->FSetStr) IsReadOnly(P);
    P->FSetStr(Instance, WideToAnsi(Value));
  } else {
    NotOfKind(P, SKindString);
  }
}

double GetFloatProp(TObject* Instance, const TPropInfo* P) {
  if (P->Kind() != tkFloat) NotOfKind(P, SKindFloat);
  return P->FGetFloat(Instance);
}

void SetFloatProp(TObject* Instance, const TPropInfo* P, double Value) {
  if (P->Kind() != tkFloat) NotOfKind(P, SKindFloat);
  if (!P->FSetFloat) IsReadOnly(P);
  P->FSetFloat(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* P) {
  if (P->Kind() != tkClass) NotOfKind(P, SKindClass);
  return P->FGetObj(Instance);
}

void SetObjectProp(TObject* Instance, const TPropInfo* P, TObject* Value) {
  if (P->Kind() != tkClass) NotOfKind(P, SKindClass);
  if (!P->FSetObj) IsReadOnly(P);
  if (Value && !P->AcceptsObject(Value))
    throw EPropertyConvertError(FmtLoadStr(SObjectDoesNotFit, ShortTypeName(typeid(*Value)), P->Name(), P->TypeName()));
  P->FSetObj(Instance, Value);
}

TMethod GetMethodProp(TObject* Instance, const TPropInfo* P) {
  if (P->Kind() != tkMethod) NotOfKind(P, SKindEvent);
  return P->FGetMethod(Instance);
}

void SetMethodProp(TObject* Instance, const TPropInfo* P, const TMethod& Value) {
  if (P->Kind() != tkMethod) NotOfKind(P, SKindEvent);
  P->FSetMethod(Instance, Value);
}

AnsiString GetEnumName(const TPropInfo* P, int Value) {
  const TEnumNames& Names = P->EnumNames();
  return Value >= 0 && static_cast<size_t>(Value) < Names.size() ? Names[static_cast<size_t>(Value)] : AnsiString();
}

int GetEnumValue(const TPropInfo* P, const AnsiString& Name) {
  const TEnumNames& Names = P->EnumNames();
  for (size_t I = 0; I < Names.size(); ++I)
    if (SameName(Names[I], Name)) return static_cast<int>(I);
  return -1;
}

AnsiString GetEnumProp(TObject* Instance, const TPropInfo* P) {
  if (P->Kind() != tkEnumeration) NotOfKind(P, SKindEnum);
  return GetEnumName(P, GetOrdProp(Instance, P));
}

void SetEnumProp(TObject* Instance, const TPropInfo* P, const AnsiString& Value) {
  if (P->Kind() != tkEnumeration) NotOfKind(P, SKindEnum);
  const int Ord = GetEnumValue(P, Trim(Value));
  if (Ord < 0) throw EPropertyConvertError(FmtLoadStr(SInvalidPropertyElement, Value));
  SetOrdProp(Instance, P, Ord);
}

AnsiString SetToString(const TPropInfo* P, int Value, bool Brackets) {
  AnsiString R;
  const TEnumNames& Names = P->EnumNames();
  for (size_t I = 0; I < Names.size() && I < 32; ++I)
    if ((static_cast<std::uint32_t>(Value) >> I) & 1u) {
      if (!R.empty()) R += ',';
      R += Names[I];
    }
  return Brackets ? "[" + R + "]" : R;
}

int StringToSet(const TPropInfo* P, const AnsiString& Value) {
  AnsiString Text = Trim(Value);
  if (!Text.empty() && Text.front() == '[') {
    if (Text.back() != ']') throw EPropertyConvertError(FmtLoadStr(SInvalidSetValue, Value));
    Text = Text.substr(1, Text.size() - 2);
  }
  std::uint32_t Bits = 0;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t Comma = Text.find(',', Start);
    if (Comma == AnsiString::npos) Comma = Text.size();
    const AnsiString Name = Trim(Text.substr(Start, Comma - Start));
    if (!Name.empty()) {
      const int Ord = GetEnumValue(P, Name);
      if (Ord < 0 || Ord >= 32) throw EPropertyConvertError(FmtLoadStr(SInvalidPropertyElement, Name));
      Bits |= std::uint32_t(1) << Ord;
    }
    Start = Comma + 1;
  }
  return static_cast<int>(Bits);
}

AnsiString GetSetProp(TObject* Instance, const TPropInfo* P, bool Brackets) {
  if (P->Kind() != tkSet) NotOfKind(P, SKindSet);
  return SetToString(P, GetOrdProp(Instance, P), Brackets);
}

void SetSetProp(TObject* Instance, const TPropInfo* P, const AnsiString& Value) {
  if (P->Kind() != tkSet) NotOfKind(P, SKindSet);
  SetOrdProp(Instance, P, StringToSet(P, Value));
}

// --- by name ---

int GetOrdProp(TObject* Instance, const AnsiString& PropName) { return GetOrdProp(Instance, Need(Instance, PropName)); }
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int Value) {
  SetOrdProp(Instance, Need(Instance, PropName), Value);
}
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName) {
  return GetStrProp(Instance, Need(Instance, PropName));
}
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  SetStrProp(Instance, Need(Instance, PropName), Value);
}
WideString GetWideStrProp(TObject* Instance, const AnsiString& PropName) {
  return GetWideStrProp(Instance, Need(Instance, PropName));
}
void SetWideStrProp(TObject* Instance, const AnsiString& PropName, const WideString& Value) {
  SetWideStrProp(Instance, Need(Instance, PropName), Value);
}
double GetFloatProp(TObject* Instance, const AnsiString& PropName) {
  return GetFloatProp(Instance, Need(Instance, PropName));
}
void SetFloatProp(TObject* Instance, const AnsiString& PropName, double Value) {
  SetFloatProp(Instance, Need(Instance, PropName), Value);
}
TObject* GetObjectProp(TObject* Instance, const AnsiString& PropName) {
  return GetObjectProp(Instance, Need(Instance, PropName));
}
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value) {
  SetObjectProp(Instance, Need(Instance, PropName), Value);
}
TMethod GetMethodProp(TObject* Instance, const AnsiString& PropName) {
  return GetMethodProp(Instance, Need(Instance, PropName));
}
void SetMethodProp(TObject* Instance, const AnsiString& PropName, const TMethod& Value) {
  SetMethodProp(Instance, Need(Instance, PropName), Value);
}
AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName) {
  return GetEnumProp(Instance, Need(Instance, PropName));
}
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  SetEnumProp(Instance, Need(Instance, PropName), Value);
}
AnsiString GetSetProp(TObject* Instance, const AnsiString& PropName, bool Brackets) {
  return GetSetProp(Instance, Need(Instance, PropName), Brackets);
}
void SetSetProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  SetSetProp(Instance, Need(Instance, PropName), Value);
}
