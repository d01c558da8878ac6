// Basic types of the class framework: integer and string types, the root
// object, and method pointers for events.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>

using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using LongWord = std::uint32_t;
using Integer = std::int32_t;
using Int64 = std::int64_t;
using AnsiChar = char;
using WideChar = wchar_t;

// 8-bit text in the system code page, and UTF-16 text.
using AnsiString = std::string;
using WideString = std::wstring;
static_assert(sizeof(WideChar) == 2, "WideChar must be a UTF-16 unit");

// A set of enumeration values (the enumeration's values are bit numbers
// 0..31), as the framework's set properties are.
template <typename E> class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Items) {
    for (E Item : Items) FBits |= Bit(Item);
  }
  static constexpr TSet FromBits(std::uint32_t Bits) { TSet S; S.FBits = Bits; return S; }

  constexpr bool Contains(E Item) const { return (FBits & Bit(Item)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr std::uint32_t Bits() const { return FBits; }

  constexpr TSet& operator<<(E Item) { FBits |= Bit(Item); return *this; }  // include
  constexpr TSet& operator>>(E Item) { FBits &= ~Bit(Item); return *this; }  // exclude
  constexpr TSet operator+(TSet O) const { return FromBits(FBits | O.FBits); }
  constexpr TSet operator-(TSet O) const { return FromBits(FBits & ~O.FBits); }
  constexpr TSet operator*(TSet O) const { return FromBits(FBits & O.FBits); }
  constexpr bool operator==(const TSet& O) const = default;

private:
  static constexpr std::uint32_t Bit(E Item) { return std::uint32_t(1) << static_cast<unsigned>(Item); }
  std::uint32_t FBits = 0;
};

// The source name of a C++ type ("TButton").
AnsiString TypeName(const std::type_info& Type);

// The root of every framework class. Objects are not copyable; they are
// freed through Free(), which runs BeforeDestruction() while the whole object
// still exists and only then deletes it.
class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The class name as written in the source ("TButton").
  AnsiString ClassName() const;
  template <class C> bool InheritsFrom() const { return dynamic_cast<const C*>(this) != nullptr; }

  // Message dispatch for objects that are not windows: the message's first
  // field is its number; the default hands it to DefaultHandler.
  virtual void Dispatch(void* Message);
  virtual void DefaultHandler(void* Message);

  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}

  // Frees the object (nothing for nullptr). Never call delete on a component.
  void Free();
};

// Deleter for std::unique_ptr of framework objects.
struct TObjectDeleter {
  void operator()(TObject* Obj) const { if (Obj) Obj->Free(); }
};
template <class T> using TOwned = std::unique_ptr<T, TObjectDeleter>;

// Frees *Obj and sets it to nullptr.
template <class T> void FreeAndNil(T*& Obj) {
  T* Tmp = Obj;
  Obj = nullptr;
  if (Tmp) Tmp->Free();
}

// Creates a framework object with post-construction steps run (for
// components this is where a form's OnCreate fires).
template <class T, class... A> T* Create(A&&... Args) {
  T* Obj = new T(std::forward<A>(Args)...);
  Obj->AfterConstruction();
  return Obj;
}

// A method pointer: an object and one of its member functions. Assignable,
// comparable, testable ("assigned") and callable. The member may belong to
// any class derived from TObject.
template <typename Signature> class TMethodPtr;

template <typename R, typename... A> class TMethodPtr<R(A...)> {
public:
  using TCode = R (TObject::*)(A...);

  TMethodPtr() = default;
  TMethodPtr(std::nullptr_t) {}
  template <class C, class M>
  TMethodPtr(C* Obj, R (M::*Method)(A...))
      : FData(static_cast<TObject*>(static_cast<M*>(Obj))), FCode(static_cast<TCode>(Method)) {}
  TMethodPtr(TObject* Obj, TCode Code) : FData(Obj), FCode(Code) {}

  explicit operator bool() const { return FData != nullptr && FCode != nullptr; }
  bool operator==(const TMethodPtr& Other) const { return FData == Other.FData && FCode == Other.FCode; }
  bool operator!=(const TMethodPtr& Other) const { return !(*this == Other); }

  R operator()(A... Args) const { return (FData->*FCode)(std::forward<A>(Args)...); }

  TObject* Data() const { return FData; }
  TCode Code() const { return FCode; }

private:
  TObject* FData = nullptr;
  TCode FCode = nullptr;
};

using TNotifyEvent = TMethodPtr<void(TObject* Sender)>;

// Conversions between the system code page and UTF-16, and UTF-8.
WideString AnsiToWide(const AnsiString& S);
AnsiString WideToAnsi(const WideString& S);
WideString UTF8ToWide(const std::string& S);
std::string WideToUTF8(const WideString& S);
