#include "VsThemesWindowsXP.h"

#include <cstdint>
#include <cstring>

#include "Consts.h"
#include "Streams.h"
#include "VsTmSchema.h"

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

const char* const ColorKeys[TWindowsXPThemeMetrics::ColorCount] = {
    "ScrollBar",     "Background",    "ActiveCaption",       "InactiveCaption",       "Menu",
    "Window",        "WindowFrame",   "MenuText",            "WindowText",            "CaptionText",
    "ActiveBorder",  "InactiveBorder", "AppWorkspace",       "Highlight",             "HighlightText",
    "BtnFace",       "BtnShadow",     "GrayText",            "BtnText",               "InactiveCaptionText",
    "BtnHighlight",  "DkShadow3D",    "Light3D",             "InfoText",              "InfoBk",
    "ButtonAlternateFace", "HotTracking", "GradientActiveCaption", "GradientInactiveCaption", "MenuHilight",
    "MenuBar"};
const char* const FontKeys[TWindowsXPThemeMetrics::FontCount] = {
    "CaptionFont", "SmallCaptionFont", "MenuFont", "StatusFont", "MsgBoxFont", "IconTitleFont"};
const char* const IntKeys[TWindowsXPThemeMetrics::IntCount] = {"DpiX", "DpiY", "MinColorDepth"};
const char* const SizeKeys[TWindowsXPThemeMetrics::SizeCount] = {
    "BorderWidth",       "ScrollbarWidth",     "ScrollbarHeight", "CaptionBarWidth", "CaptionBarHeight",
    "SMCaptionBarWidth", "SMCaptionBarHeight", "MenuBarWidth",    "MenuBarHeight"};

const char* const MetricsSection = "SysMetrics";

// The first id of each kind of metric.
constexpr int FlatMenusId = 1001;
constexpr int FirstColorId = 1601;
constexpr int FirstFontId = 801;
constexpr int FirstIntId = 1301;
constexpr int FirstSizeId = 1201;

[[noreturn]] void UndefinedMetric(int Id) {
  throw EWindowsXPThemeError(Format("System metrics property [%d] is undefined", Id));
}

// Index of Id among Count ids from First whose flag is set; else raises.
int DefinedIndex(int Id, int First, int Count, const bool* Defined) {
  const int I = Id - First;
  if (I < 0 || I >= Count || !Defined[I]) UndefinedMetric(Id);
  return I;
}

LOGFONTA LogicalFont(const TTmFont& Font) {
  LOGFONTA F = {};
  const HDC Screen = GetDC(nullptr);
  F.lfHeight = -MulDiv(Font.Size, GetDeviceCaps(Screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, Screen);
  F.lfWeight = (Font.Style & 1) ? FW_BOLD : FW_NORMAL;
  F.lfItalic = (Font.Style & 2) ? 1 : 0;
  F.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(F.lfFaceName, Font.FaceName.data(), Font.FaceName.size());  // at most 31 characters
  return F;
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

WideString SchemeIniName(HMODULE Module, int SchemeIndex) {
  const std::vector<WideString> Files = ReadStyleNames(Module, L"FILERESNAMES");
  if (Files.empty() || SchemeIndex < 0) throw EWindowsXPThemeError("Cannot find an appropriate scheme section");
  const Int64 Index = static_cast<Int64>(SchemeIndex) * static_cast<Int64>(ReadStyleNames(Module, L"SIZENAMES").size());
  if (Index < 0 || Index >= static_cast<Int64>(Files.size()))
    throw EWindowsXPThemeError("Cannot find an appropriate scheme section");
  return Files[static_cast<size_t>(Index)];
}

void ReadStyleIni(HMODULE Module, LPCWSTR Name, TVsIniFile& Ini) {
  TStringStream Text(WideToAnsi(UnitsOf(ReadStyleResource(Module, L"TEXTFILE", Name))));
  Ini.Clear();
  Ini.SetBinaryMode(false);
  Ini.SetTrimSpaces(true);
  Ini.LoadFromStream(&Text);
}

// ---------------------------------------------------------------------------
// TWindowsXPThemeMetrics

TWindowsXPThemeMetrics::~TWindowsXPThemeMetrics() { DeleteBrushes(); }

void TWindowsXPThemeMetrics::DeleteBrushes() {
  for (HBRUSH& Brush : FBrushes) {
    if (Brush) DeleteObject(Brush);
    Brush = nullptr;
  }
}

void TWindowsXPThemeMetrics::Load(TVsIniFile& Ini) {
  DeleteBrushes();
  AnsiString Value;
  FFlatMenusDefined = Ini.ReadString(MetricsSection, "FlatMenus", Value, "");
  FFlatMenus = FFlatMenusDefined && StrToTmBool(Value, 0) != 0;
  for (int I = 0; I < ColorCount; ++I) {
    FColorDefined[I] = Ini.ReadString(MetricsSection, ColorKeys[I], Value, "");
    FColors[I] = FColorDefined[I] ? StrToTmColor(Value, 0) : 0;
  }
  for (int I = 0; I < FontCount; ++I) {
    TTmFont Font;
    FFontDefined[I] = Ini.ReadString(MetricsSection, FontKeys[I], Value, "") && StrToTmFont(Value, Font);
    FFonts[I] = FFontDefined[I] ? LogicalFont(Font) : LOGFONTA{};
  }
  for (int I = 0; I < IntCount; ++I) {
    FIntDefined[I] = Ini.ReadString(MetricsSection, IntKeys[I], Value, "");
    FInts[I] = FIntDefined[I] ? StrToTmInt(Value) : 0;
  }
  for (int I = 0; I < SizeCount; ++I) {
    FSizeDefined[I] = Ini.ReadString(MetricsSection, SizeKeys[I], Value, "");
    FSizes[I] = FSizeDefined[I] ? StrToTmInt(Value) : 0;
  }
}

bool TWindowsXPThemeMetrics::GetBool(int Id) const {
  if (Id != FlatMenusId || !FFlatMenusDefined) UndefinedMetric(Id);
  return FFlatMenus;
}

COLORREF TWindowsXPThemeMetrics::GetColor(int Id) const {
  return FColors[DefinedIndex(Id, FirstColorId, ColorCount, FColorDefined)];
}

HBRUSH TWindowsXPThemeMetrics::GetColorBrush(int Id) {
  const int I = Id - FirstColorId;
  if (I < 0 || I >= ColorCount || !FColorDefined[I]) return nullptr;
  if (!FBrushes[I]) FBrushes[I] = CreateSolidBrush(FColors[I]);
  return FBrushes[I];
}

LOGFONTA TWindowsXPThemeMetrics::GetFont(int Id) const {
  return FFonts[DefinedIndex(Id, FirstFontId, FontCount, FFontDefined)];
}

int TWindowsXPThemeMetrics::GetInt(int Id) const {
  return FInts[DefinedIndex(Id, FirstIntId, IntCount, FIntDefined)];
}

int TWindowsXPThemeMetrics::GetSize(int Id) const {
  return FSizes[DefinedIndex(Id, FirstSizeId, SizeCount, FSizeDefined)];
}
