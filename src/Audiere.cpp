#include "Audiere.h"

#include "Win.h"

namespace Audiere {

namespace {

template <class F> bool Lookup(HMODULE Module, const char* Name, F& Entry) {
  Entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
  return Entry != nullptr;
}

}  // namespace

bool BindAudioLibrary(TAudioLibrary& Library) {
  Library = TAudioLibrary();
  HMODULE Module = LoadLibraryA("Audiere.dll");
  if (!Module) return false;
  TAudioLibrary Found;
  if (!Lookup(Module, "_AdrOpenDevice@8", Found.OpenDevice) ||
      !Lookup(Module, "_AdrOpenSampleSource@8", Found.OpenSampleSource) ||
      !Lookup(Module, "_AdrOpenSound@12", Found.OpenSound))
    return false;
  Library = Found;
  return true;
}

}  // namespace Audiere
