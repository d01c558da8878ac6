// The class registry and published properties: every component class that a
// layout may create registers its name, its parent class, a factory and its
// published properties; forms also register their event handlers and the
// component fields the reader sets after a layout is read.
//
// Registration is explicit: a unit calls RegisterClass<C, Parent>() from its
// own initialisation function (or from a registration object in its .cpp).
// The registry itself is built on first use, so the order in which units
// register never matters, and a class may register before its parent.
// Beware that a registration object in a .cpp of a static library only runs
// when something else pulls that object file into the program; classes that
// are created only through layouts need an explicit registration call.
//
//   RegisterClass<TButton, TWinControl>()
//       .Int("Left", &TControl::Left, &TControl::SetLeft, 0)
//       .Int("Color", &TControl::Color, &TControl::SetColor, clBtnFace, "TColor")
//       .Enum("Align", &TControl::Align, &TControl::SetAlign, alNone, {"alNone", "alTop", ...})
//       .Object("Font", &TControl::Font)
//       .Event("OnClick", &TControl::OnClick);
//   RegisterClass<TFMain, TForm>()
//       .Method("Button1Click", &TFMain::Button1Click)
//       .Field("Button1", &TFMain::Button1);
//
// Getters and setters are member functions (Left() / SetLeft(int)) or fields
// (&TFoo::FCount for either); a property without a setter is read-only.
#pragma once

#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "Classes.h"
#include "SysUtils.h"
#include "System.h"

FRAMEWORK_EXCEPTION(EPropertyError, Exception)
FRAMEWORK_EXCEPTION(EPropertyConvertError, Exception)

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod, tkWChar,
  tkWString
};

// The names of an enumeration's values (or of a set's elements), in order.
using TEnumNames = std::vector<AnsiString>;

// Identifier mappers of an integer type ("clBtnFace" for TColor).
using TIdentToInt = bool (*)(const AnsiString& Ident, int& Value);
using TIntToIdent = bool (*)(int Value, AnsiString& Ident);

// Registers (or replaces) the identifier mappers of the integer type named
// TypeName; every integer property of that type name uses them.
void RegisterIntegerConsts(const AnsiString& TypeName, TIdentToInt IdentToInt, TIntToIdent IntToIdent);
TIdentToInt FindIdentToInt(const AnsiString& TypeName);
TIntToIdent FindIntToIdent(const AnsiString& TypeName);

// A method value of any event type: the object and its member function. The
// code is held as the event's own member-pointer type, so that a handler can
// only be stored in an event of the same signature.
struct TMethod {
  TObject* Data = nullptr;
  std::any Code;
  explicit operator bool() const { return Data != nullptr && Code.has_value(); }
};

using TComponentFactory = TComponent* (*)(TComponent* Owner);

class TClassInfo;

// One published property.
class TPropInfo {
public:
  const AnsiString& Name() const { return FName; }
  TTypeKind Kind() const { return FKind; }
  // The type's name: "Integer", "TColor", "Boolean", "TAlign", "TFontStyles",
  // "AnsiString", "WideString", "TFont", "TNotifyEvent"...
  const AnsiString& TypeName() const { return FTypeName; }
  // Enumerations and sets: the value or element names.
  const TEnumNames& EnumNames() const { return FEnumNames; }
  // The default of ordinal properties (sets as their bits), if they have one.
  const std::optional<int>& Default() const { return FDefault; }
  bool ReadOnly() const;
  // Class properties: whether Obj may be stored in the property.
  bool AcceptsObject(const TObject* Obj) const { return FAcceptsObject && FAcceptsObject(Obj); }
  // Method properties: whether a handler with this code fits the event.
  bool AcceptsCode(const std::any& Code) const { return FCodeType && Code.type() == *FCodeType; }

private:
  template <class C> friend class TClassBuilder;
  friend int GetOrdProp(TObject*, const TPropInfo*);
  friend void SetOrdProp(TObject*, const TPropInfo*, int);
  friend AnsiString GetStrProp(TObject*, const TPropInfo*);
  friend void SetStrProp(TObject*, const TPropInfo*, const AnsiString&);
  friend WideString GetWideStrProp(TObject*, const TPropInfo*);
  friend void SetWideStrProp(TObject*, const TPropInfo*, const WideString&);
  friend double GetFloatProp(TObject*, const TPropInfo*);
  friend void SetFloatProp(TObject*, const TPropInfo*, double);
  friend TObject* GetObjectProp(TObject*, const TPropInfo*);
  friend void SetObjectProp(TObject*, const TPropInfo*, TObject*);
  friend TMethod GetMethodProp(TObject*, const TPropInfo*);
  friend void SetMethodProp(TObject*, const TPropInfo*, const TMethod&);

  AnsiString FName;
  TTypeKind FKind = tkUnknown;
  AnsiString FTypeName;
  TEnumNames FEnumNames;
  std::optional<int> FDefault;
  bool (*FAcceptsObject)(const TObject*) = nullptr;
  const std::type_info* FCodeType = nullptr;

  std::function<int(TObject*)> FGetOrd;
  std::function<void(TObject*, int)> FSetOrd;
  std::function<double(TObject*)> FGetFloat;
  std::function<void(TObject*, double)> FSetFloat;
  std::function<AnsiString(TObject*)> FGetStr;
  std::function<void(TObject*, const AnsiString&)> FSetStr;
  std::function<WideString(TObject*)> FGetWStr;
  std::function<void(TObject*, const WideString&)> FSetWStr;
  std::function<TObject*(TObject*)> FGetObj;
  std::function<void(TObject*, TObject*)> FSetObj;
  std::function<TMethod(TObject*)> FGetMethod;
  std::function<void(TObject*, const TMethod&)> FSetMethod;
};

// A published event handler of a form class.
struct TMethodInfo {
  AnsiString Name;
  std::any Code;
};

// A published component field of a form class, set by the reader to the
// component of that name.
struct TFieldInfo {
  AnsiString Name;
  AnsiString ClassTypeName;
  bool (*Accepts)(const TComponent*) = nullptr;
  std::function<void(TObject* Instance, TComponent* Value)> Set;
};

// A registered class.
class TClassInfo {
public:
  TClassInfo(AnsiString Name, std::type_index Type, std::type_index ParentType, TComponentFactory Factory,
             bool (*IsInstance)(const TObject*));

  const AnsiString& ClassName() const { return FName; }
  std::type_index Type() const { return FType; }
  // The registered parent class, or nullptr at the top of the registered chain.
  const TClassInfo* Parent() const;
  bool InheritsFrom(const TClassInfo* Other) const;
  bool IsInstance(const TObject* Obj) const { return FIsInstance(Obj); }

  bool CanCreate() const { return FFactory != nullptr; }
  // A new component of this class owned by Owner; EClassNotFound when the
  // class has no factory (abstract or not a component class).
  TComponent* Create(TComponent* Owner) const;

  // Properties, handlers and fields of this class and its registered
  // parents, looked up case-insensitively; a class's own entry wins.
  const TPropInfo* FindProp(const AnsiString& Name) const;
  // Parents' properties first; a re-registered property keeps its place.
  std::vector<const TPropInfo*> PropList() const;
  const TMethodInfo* FindMethod(const AnsiString& Name) const;
  std::vector<const TFieldInfo*> FieldList() const;

  // Registration (through TClassBuilder).
  void AddProp(std::unique_ptr<TPropInfo> Prop);
  void AddMethod(TMethodInfo Method);
  void AddField(TFieldInfo Field);

private:
  AnsiString FName;
  std::type_index FType;
  std::type_index FParentType;
  TComponentFactory FFactory;
  bool (*FIsInstance)(const TObject*);
  std::vector<std::unique_ptr<TPropInfo>> FProps;
  std::vector<TMethodInfo> FMethods;
  std::vector<TFieldInfo> FFields;
};

// Adds a class to the registry (replacing an earlier registration of the
// same C++ class). A different class under a name already taken raises
// EFilerError "A class named %s already exists".
TClassInfo& RegisterClassInfo(const AnsiString& Name, std::type_index Type, std::type_index ParentType,
                              TComponentFactory Factory, bool (*IsInstance)(const TObject*));

// The class of that name (case-insensitive): GetClass gives nullptr when
// there is none, FindClass raises EClassNotFound "Class %s not found".
const TClassInfo* GetClass(const AnsiString& Name);
const TClassInfo* FindClass(const AnsiString& Name);
// The registration of a C++ class, or nullptr.
const TClassInfo* GetClassInfo(std::type_index Type);
template <class C> const TClassInfo* ClassInfoOf() { return GetClassInfo(typeid(C)); }
// The most derived registered class that Obj is an instance of, or nullptr.
const TClassInfo* ClassInfoOf(const TObject* Obj);

// The published property of that name (walking up the parent classes), or
// nullptr.
const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName);
const TPropInfo* GetPropInfo(const TClassInfo* Class, const AnsiString& PropName);
std::vector<const TPropInfo*> GetPropList(const TObject* Instance);
bool IsPublishedProp(const TObject* Instance, const AnsiString& PropName);

// Typed access. The forms taking a name raise EPropertyError "Property %s
// does not exist" for an unknown name; a property of an unsuitable kind
// raises EPropertyConvertError, a read-only one EPropertyError.
// Ordinal kinds: integers, characters, enumerations (the value's index;
// Boolean False 0, True 1) and sets (the bits of the elements).
int GetOrdProp(TObject* Instance, const TPropInfo* PropInfo);
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, int Value);
int GetOrdProp(TObject* Instance, const AnsiString& PropName);
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int Value);
// String kinds, 8-bit and UTF-16; the other width is converted through the
// system code page.
AnsiString GetStrProp(TObject* Instance, const TPropInfo* PropInfo);
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const AnsiString& Value);
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName);
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
WideString GetWideStrProp(TObject* Instance, const TPropInfo* PropInfo);
void SetWideStrProp(TObject* Instance, const TPropInfo* PropInfo, const WideString& Value);
WideString GetWideStrProp(TObject* Instance, const AnsiString& PropName);
void SetWideStrProp(TObject* Instance, const AnsiString& PropName, const WideString& Value);
double GetFloatProp(TObject* Instance, const TPropInfo* PropInfo);
void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value);
double GetFloatProp(TObject* Instance, const AnsiString& PropName);
void SetFloatProp(TObject* Instance, const AnsiString& PropName, double Value);
// Class kinds. Setting an object of another class raises
// EPropertyConvertError.
TObject* GetObjectProp(TObject* Instance, const TPropInfo* PropInfo);
void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value);
TObject* GetObjectProp(TObject* Instance, const AnsiString& PropName);
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value);
// Events. A handler of another signature raises EPropertyConvertError.
TMethod GetMethodProp(TObject* Instance, const TPropInfo* PropInfo);
void SetMethodProp(TObject* Instance, const TPropInfo* PropInfo, const TMethod& Value);
TMethod GetMethodProp(TObject* Instance, const AnsiString& PropName);
void SetMethodProp(TObject* Instance, const AnsiString& PropName, const TMethod& Value);
// Enumerations by value name (case-insensitive); an unknown name raises
// EPropertyConvertError "Invalid property element: %s".
AnsiString GetEnumProp(TObject* Instance, const TPropInfo* PropInfo);
void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const AnsiString& Value);
AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName);
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
// Sets as text: "[fsBold,fsItalic]" (without brackets when Brackets is
// false). Setting accepts the brackets or not, and blanks around names.
AnsiString GetSetProp(TObject* Instance, const TPropInfo* PropInfo, bool Brackets = true);
void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const AnsiString& Value);
AnsiString GetSetProp(TObject* Instance, const AnsiString& PropName, bool Brackets = true);
void SetSetProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);

// Name and index of an enumeration value (-1 for an unknown name), and the
// set text conversions of a set property.
AnsiString GetEnumName(const TPropInfo* PropInfo, int Value);
int GetEnumValue(const TPropInfo* PropInfo, const AnsiString& Name);
AnsiString SetToString(const TPropInfo* PropInfo, int Value, bool Brackets = true);
int StringToSet(const TPropInfo* PropInfo, const AnsiString& Value);

// The name of a C++ type without its namespaces ("TAlign"), as classes and
// types are known by in layouts.
AnsiString ShortTypeName(const std::type_info& Type);

namespace TypInfoDetail {

[[noreturn]] void RaiseNotAnObjectOf(const AnsiString& ClassName);
[[noreturn]] void RaiseIncompatibleMethod();

template <class T> struct IsMethodPtr : std::false_type {};
template <class S> struct IsMethodPtr<TMethodPtr<S>> : std::true_type {};

// The instance as the registering class; another class is a caller's error.
template <class C> C& Self(TObject* Obj) {
  C* P = dynamic_cast<C*>(Obj);
  if (!P) RaiseNotAnObjectOf(ShortTypeName(typeid(C)));
  return *P;
}

template <class C, class G> decltype(auto) Get(G Getter, TObject* Obj) {
  return std::invoke(Getter, Self<C>(Obj));
}

template <class C, class S, class V> void Set(S Setter, TObject* Obj, V&& Value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    std::invoke(Setter, Self<C>(Obj)) = std::forward<V>(Value);
  else
    std::invoke(Setter, Self<C>(Obj), std::forward<V>(Value));
}

template <class C, class G> using ValueOf = std::remove_cvref_t<std::invoke_result_t<G, C&>>;

}  // namespace TypInfoDetail

// Registers the published members of class C, one line each.
template <class C> class TClassBuilder {
public:
  explicit TClassBuilder(TClassInfo& Info) : FInfo(Info) {}
  TClassInfo& Info() const { return FInfo; }

  // Integer types (int, Word, TColor...); TypeName selects identifier
  // mappers registered with RegisterIntegerConsts.
  template <class G, class S>
  TClassBuilder& Int(const AnsiString& Name, G Get, S Set, std::optional<int> Default = std::nullopt,
                     const AnsiString& TypeName = "Integer") {
    return Ordinal(Name, tkInteger, TypeName, {}, Default, Get, Set);
  }
  template <class G, class S>
  TClassBuilder& Char(const AnsiString& Name, G Get, S Set, std::optional<int> Default = std::nullopt) {
    return Ordinal(Name, tkChar, "Char", {}, Default, Get, Set);
  }
  template <class G, class S>
  TClassBuilder& WChar(const AnsiString& Name, G Get, S Set, std::optional<int> Default = std::nullopt) {
    return Ordinal(Name, tkWChar, "WideChar", {}, Default, Get, Set);
  }
  template <class G, class S>
  TClassBuilder& Bool(const AnsiString& Name, G Get, S Set, std::optional<bool> Default = std::nullopt) {
    std::optional<int> D;
    if (Default) D = *Default ? 1 : 0;
    return Ordinal(Name, tkEnumeration, "Boolean", {"False", "True"}, D, Get, Set);
  }
  // An enumeration whose values are 0..n-1, named in order.
  template <class E, class G, class S>
  TClassBuilder& Enum(const AnsiString& Name, G Get, S Set, E Default, const TEnumNames& Names) {
    static_assert(std::is_enum_v<E>, "Enum needs an enumeration type");
    return Ordinal(Name, tkEnumeration, ShortTypeName(typeid(E)), Names, static_cast<int>(Default), Get, Set);
  }
  // A set of enumeration values (TSet<E>), its elements named in order.
  template <class E, class G, class S>
  TClassBuilder& Set(const AnsiString& Name, G Get, S Set, TSet<E> Default, const TEnumNames& Names,
                     const AnsiString& SetTypeName) {
    auto P = NewProp(Name, tkSet, SetTypeName);
    P->FEnumNames = Names;
    P->FDefault = static_cast<int>(Default.Bits());
    P->FGetOrd = [Get](TObject* O) { return static_cast<int>(TSet<E>(TypInfoDetail::Get<C>(Get, O)).Bits()); };
    if constexpr (!std::is_null_pointer_v<S>)
      P->FSetOrd = [Set](TObject* O, int V) {
        TypInfoDetail::Set<C>(Set, O, TSet<E>::FromBits(static_cast<std::uint32_t>(V)));
      };
    return Add(std::move(P));
  }
  template <class G, class S>
  TClassBuilder& Float(const AnsiString& Name, G Get, S Set, const AnsiString& FloatTypeName = "Double") {
    auto P = NewProp(Name, tkFloat, FloatTypeName);
    using V = TypInfoDetail::ValueOf<C, G>;
    P->FGetFloat = [Get](TObject* O) { return static_cast<double>(TypInfoDetail::Get<C>(Get, O)); };
    if constexpr (!std::is_null_pointer_v<S>)
      P->FSetFloat = [Set](TObject* O, double Value) { TypInfoDetail::Set<C>(Set, O, static_cast<V>(Value)); };
    return Add(std::move(P));
  }
  // 8-bit text in the system code page.
  template <class G, class S>
  TClassBuilder& Str(const AnsiString& Name, G Get, S Set, const AnsiString& StrTypeName = "AnsiString") {
    auto P = NewProp(Name, tkString, StrTypeName);
    P->FGetStr = [Get](TObject* O) { return AnsiString(TypInfoDetail::Get<C>(Get, O)); };
    if constexpr (!std::is_null_pointer_v<S>)
      P->FSetStr = [Set](TObject* O, const AnsiString& Value) { TypInfoDetail::Set<C>(Set, O, Value); };
    return Add(std::move(P));
  }
  // UTF-16 text.
  template <class G, class S>
  TClassBuilder& WStr(const AnsiString& Name, G Get, S Set, const AnsiString& StrTypeName = "WideString") {
    auto P = NewProp(Name, tkWString, StrTypeName);
    P->FGetWStr = [Get](TObject* O) { return WideString(TypInfoDetail::Get<C>(Get, O)); };
    if constexpr (!std::is_null_pointer_v<S>)
      P->FSetWStr = [Set](TObject* O, const WideString& Value) { TypInfoDetail::Set<C>(Set, O, Value); };
    return Add(std::move(P));
  }
  // A class-typed property. Without a setter the layout fills the object in
  // place (Font.Height = -11, a collection, a string list); with one it can
  // also be given a component reference (FocusControl = Edit1) or nil.
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Object(const AnsiString& Name, G Get, S Set = nullptr) {
    using V = TypInfoDetail::ValueOf<C, G>;
    static_assert(std::is_pointer_v<V>, "Object needs a getter of a pointer");
    using T = std::remove_cv_t<std::remove_pointer_t<V>>;
    static_assert(std::is_base_of_v<TObject, T>, "Object needs a framework class");
    auto P = NewProp(Name, tkClass, ShortTypeName(typeid(T)));
    P->FAcceptsObject = [](const TObject* Obj) { return dynamic_cast<const T*>(Obj) != nullptr; };
    P->FGetObj = [Get](TObject* O) -> TObject* { return TypInfoDetail::Get<C>(Get, O); };
    if constexpr (!std::is_null_pointer_v<S>)
      P->FSetObj = [Set](TObject* O, TObject* Value) { TypInfoDetail::Set<C>(Set, O, dynamic_cast<T*>(Value)); };
    return Add(std::move(P));
  }
  // An event: a public field of a TMethodPtr type.
  template <class M, class E>
  TClassBuilder& Event(const AnsiString& Name, E M::*Field, const AnsiString& EventTypeName = AnsiString()) {
    static_assert(TypInfoDetail::IsMethodPtr<E>::value, "Event needs a TMethodPtr field");
    static_assert(std::is_base_of_v<M, C>, "Event of another class");
    using TCode = typename E::TCode;
    auto P = NewProp(Name, tkMethod, EventTypeName.empty() ? ShortTypeName(typeid(E)) : EventTypeName);
    P->FCodeType = &typeid(TCode);
    P->FGetMethod = [Field](TObject* O) {
      const E& Value = TypInfoDetail::Self<C>(O).*Field;
      TMethod R;
      if (Value.Code()) R.Code = Value.Code();
      R.Data = Value.Data();
      return R;
    };
    P->FSetMethod = [Field](TObject* O, const TMethod& Value) {
      E& Target = TypInfoDetail::Self<C>(O).*Field;
      if (!Value) {
        Target = nullptr;
        return;
      }
      const TCode* Code = std::any_cast<TCode>(&Value.Code);
      if (!Code) TypInfoDetail::RaiseIncompatibleMethod();
      Target = E(Value.Data, *Code);
    };
    return Add(std::move(P));
  }
  // A published event handler, bound from layouts by its name.
  template <class M, class R, class... A>
  TClassBuilder& Method(const AnsiString& Name, R (M::*Handler)(A...)) {
    static_assert(std::is_base_of_v<M, C>, "Method of another class");
    using TCode = typename TMethodPtr<R(A...)>::TCode;
    FInfo.AddMethod(TMethodInfo{Name, std::any(static_cast<TCode>(Handler))});
    return *this;
  }
  // A component field, set after reading to the component of that name.
  template <class M, class T> TClassBuilder& Field(const AnsiString& Name, T* M::*Member) {
    static_assert(std::is_base_of_v<M, C>, "Field of another class");
    static_assert(std::is_base_of_v<TComponent, T>, "Field needs a component class");
    TFieldInfo F;
    F.Name = Name;
    F.ClassTypeName = ShortTypeName(typeid(T));
    F.Accepts = [](const TComponent* Obj) { return dynamic_cast<const T*>(Obj) != nullptr; };
    F.Set = [Member](TObject* O, TComponent* Value) { TypInfoDetail::Self<C>(O).*Member = dynamic_cast<T*>(Value); };
    FInfo.AddField(std::move(F));
    return *this;
  }

private:
  std::unique_ptr<TPropInfo> NewProp(const AnsiString& Name, TTypeKind Kind, const AnsiString& PropTypeName) {
    auto P = std::make_unique<TPropInfo>();
    P->FName = Name;
    P->FKind = Kind;
    P->FTypeName = PropTypeName;
    return P;
  }
  TClassBuilder& Add(std::unique_ptr<TPropInfo> P) {
    FInfo.AddProp(std::move(P));
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Ordinal(const AnsiString& Name, TTypeKind Kind, const AnsiString& OrdTypeName, const TEnumNames& Names,
                         std::optional<int> Default, G Get, S Set) {
    using V = TypInfoDetail::ValueOf<C, G>;
    static_assert(std::is_integral_v<V> || std::is_enum_v<V>, "an ordinal property needs an integer or enumeration");
    auto P = NewProp(Name, Kind, OrdTypeName);
    P->FEnumNames = Names;
    P->FDefault = Default;
    // Characters read as their code (0..255), not as a signed char.
    using Code = std::conditional_t<std::is_same_v<V, char>, unsigned char, V>;
    P->FGetOrd = [Get](TObject* O) { return static_cast<int>(static_cast<Code>(TypInfoDetail::Get<C>(Get, O))); };
    if constexpr (!std::is_null_pointer_v<S>)
      P->FSetOrd = [Set](TObject* O, int Value) { TypInfoDetail::Set<C>(Set, O, static_cast<V>(Value)); };
    return Add(std::move(P));
  }

  TClassInfo& FInfo;
};

// Registers class C (named Name, by default its source name) with Parent as
// its parent class. Components constructible from an owner get a factory.
template <class C, class Parent> TClassBuilder<C> RegisterClass(const AnsiString& Name = AnsiString()) {
  static_assert(std::is_base_of_v<Parent, C> && !std::is_same_v<Parent, C>, "Parent must be a base of C");
  static_assert(std::is_base_of_v<TObject, C>, "only framework classes register");
  TComponentFactory Factory = nullptr;
  if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> && std::is_constructible_v<C, TComponent*>)
    Factory = [](TComponent* Owner) -> TComponent* { return Create<C>(Owner); };
  auto IsInstance = [](const TObject* Obj) { return dynamic_cast<const C*>(Obj) != nullptr; };
  return TClassBuilder<C>(
      RegisterClassInfo(Name.empty() ? ShortTypeName(typeid(C)) : Name, typeid(C), typeid(Parent), Factory, IsInstance));
}
