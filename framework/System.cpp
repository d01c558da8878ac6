#include "System.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "Win.h"

AnsiString TObject::ClassName() const { return TypeName(typeid(*this)); }

AnsiString TypeName(const std::type_info& Type) {
  const char* Mangled = Type.name();
  int Status = 0;
  std::unique_ptr<char, void (*)(void*)> Name(abi::__cxa_demangle(Mangled, nullptr, nullptr, &Status), std::free);
  return Status == 0 && Name ? AnsiString(Name.get()) : AnsiString(Mangled);
}

void TObject::Dispatch(void* Message) { DefaultHandler(Message); }

void TObject::DefaultHandler(void*) {}

void TObject::Free() {
  BeforeDestruction();
  delete this;
}

namespace {

WideString ToWide(UINT CodePage, const std::string& S) {
  if (S.empty()) return {};
  int N = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  WideString R(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), R.data(), N);
  return R;
}

std::string FromWide(UINT CodePage, const WideString& S) {
  if (S.empty()) return {};
  int N = WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr, nullptr);
  std::string R(static_cast<size_t>(N), '\0');
  WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), R.data(), N, nullptr, nullptr);
  return R;
}

}  // namespace

WideString AnsiToWide(const AnsiString& S) { return ToWide(CP_ACP, S); }
AnsiString WideToAnsi(const WideString& S) { return FromWide(CP_ACP, S); }
WideString UTF8ToWide(const std::string& S) { return ToWide(CP_UTF8, S); }
std::string WideToUTF8(const WideString& S) { return FromWide(CP_UTF8, S); }
