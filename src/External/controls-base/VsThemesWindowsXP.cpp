#include "VsThemesWindowsXP.h"

#include <cstdint>
#include <cstring>

#include "Consts.h"
#include "Streams.h"

namespace {

// The span of memory the module's file is mapped at: from its base to the
// end of the last region of that one allocation.
void MappedRange(HMODULE Module, uintptr_t& First, uintptr_t& Last) {
  // A data-only module's handle is its base with the low bits set as a mark.
  First = reinterpret_cast<uintptr_t>(Module) & ~static_cast<uintptr_t>(3);
  Last = First;
  MEMORY_BASIC_INFORMATION Info;
  while (VirtualQuery(reinterpret_cast<const void*>(Last), &Info, sizeof Info) == sizeof Info &&
         reinterpret_cast<uintptr_t>(Info.AllocationBase) == First && Info.State == MEM_COMMIT) {
    Last = reinterpret_cast<uintptr_t>(Info.BaseAddress) + Info.RegionSize;
  }
}

bool InsideModule(HMODULE Module, const void* Data, DWORD Size) {
  uintptr_t First, Last;
  MappedRange(Module, First, Last);
  const uintptr_t P = reinterpret_cast<uintptr_t>(Data);
  return P >= First && P <= Last && Size <= Last - P;
}

AnsiString ShownName(LPCWSTR Name) {
  if (IS_INTRESOURCE(Name)) return "#" + IntToStr(static_cast<int>(reinterpret_cast<uintptr_t>(Name)));
  return WideToAnsi(Name);
}

WideString UnitsOf(const AnsiString& Bytes) {
  WideString Text(Bytes.size() / 2, L'\0');
  if (!Text.empty()) std::memcpy(Text.data(), Bytes.data(), Text.size() * 2);
  return Text;
}

}  // namespace

HMODULE OpenVisualStyleFile(const WideString& FileName) {
  const HMODULE Module = LoadLibraryExW(FileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!Module) throw EWindowsXPThemeError(Format("Invalid theme file name [%s]", WideToAnsi(FileName)));
  return Module;
}

AnsiString ReadStyleResource(HMODULE Module, LPCWSTR Type, LPCWSTR Name) {
  const HRSRC Info = FindResourceW(Module, Name, Type);
  if (!Info) throw EResNotFound(FmtLoadStr(SResNotFound, ShownName(Name)));
  if (!InsideModule(Module, Info, sizeof(IMAGE_RESOURCE_DATA_ENTRY)))
    throw EWindowsXPThemeError("Damaged visual style file");
  const DWORD Size = SizeofResource(Module, Info);
  const HGLOBAL Handle = LoadResource(Module, Info);
  const void* Data = Handle ? LockResource(Handle) : nullptr;
  if (!Data && Size == 0) return AnsiString();
  if (!Data || !InsideModule(Module, Data, Size)) throw EWindowsXPThemeError("Damaged visual style file");
  return AnsiString(static_cast<const char*>(Data), Size);
}

std::vector<WideString> ReadStyleNames(HMODULE Module, LPCWSTR Type) {
  const WideString Units = UnitsOf(ReadStyleResource(Module, Type, MAKEINTRESOURCEW(1)));
  std::vector<WideString> Names;
  size_t Start = 0;
  while (Start < Units.size()) {
    size_t End = Units.find(L'\0', Start);
    if (End == WideString::npos) End = Units.size();
    if (End == Start) break;
    Names.push_back(Units.substr(Start, End - Start));
    Start = End + 1;
  }
  return Names;
}

void ReadStyleIni(HMODULE Module, LPCWSTR Name, TVsIniFile& Ini) {
  TStringStream Text(WideToAnsi(UnitsOf(ReadStyleResource(Module, L"TEXTFILE", Name))));
  Ini.Clear();
  Ini.SetBinaryMode(false);
  Ini.SetTrimSpaces(true);
  Ini.LoadFromStream(&Text);
}
