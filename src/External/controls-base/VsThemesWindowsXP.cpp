#include "VsThemesWindowsXP.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "Consts.h"
#include "Streams.h"
#include "VsFrameworkUtils.h"
#include "VsTmSchema.h"
#include "VsThemesWindowsXPButton.h"
#include "VsThemesWindowsXPComboBox.h"
#include "VsThemesWindowsXPEdit.h"
#include "VsThemesWindowsXPExplorerBar.h"
#include "VsThemesWindowsXPHeader.h"
#include "VsThemesWindowsXPListView.h"
#include "VsThemesWindowsXPProgress.h"
#include "VsThemesWindowsXPScrollBar.h"
#include "VsThemesWindowsXPSpin.h"
#include "VsThemesWindowsXPStatus.h"
#include "VsThemesWindowsXPTab.h"
#include "VsThemesWindowsXPToolbar.h"
#include "VsThemesWindowsXPTrackBar.h"
#include "VsThemesWindowsXPTreeView.h"
#include "VsThemesWindowsXPWindow.h"

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

namespace {

// The data of resource Name of Type and its size, checked to lie wholly
// inside the mapped file (nullptr for an empty resource).
const void* StyleResourceData(HMODULE Module, LPCWSTR Type, LPCWSTR Name, DWORD& Size) {
  const HRSRC Info = FindResourceW(Module, Name, Type);
  if (!Info) throw EResNotFound(FmtLoadStr(SResNotFound, ShownName(Name)));
  if (!InsideModule(Module, Info, sizeof(IMAGE_RESOURCE_DATA_ENTRY)))
    throw EWindowsXPThemeError("Damaged visual style file");
  Size = SizeofResource(Module, Info);
  const HGLOBAL Handle = LoadResource(Module, Info);
  const void* Data = Handle ? LockResource(Handle) : nullptr;
  if (!Data && Size == 0) return nullptr;
  if (!Data || !InsideModule(Module, Data, Size)) throw EWindowsXPThemeError("Damaged visual style file");
  return Data;
}

}  // namespace

AnsiString ReadStyleResource(HMODULE Module, LPCWSTR Type, LPCWSTR Name) {
  DWORD Size = 0;
  const void* Data = StyleResourceData(Module, Type, Name, Size);
  return Data ? AnsiString(static_cast<const char*>(Data), Size) : AnsiString();
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

// ---------------------------------------------------------------------------
// Class lists and their themes

namespace {

const char* const ClassNames[WindowsXPThemeClassCount] = {
    "GLOBALS", "BUTTON",   "COMBOBOX", "EDIT",      "EXPLORERBAR", "HEADER",   "LISTVIEW", "PROGRESS",
    "SCROLLBAR", "SPIN",   "STATUS",   "TAB",       "TOOLBAR",     "TRACKBAR", "TREEVIEW", "WINDOW"};

}  // namespace

bool WindowsXPThemeClassOf(const WideString& ClassList, TWindowsXPThemeClass& Class) {
  const AnsiString List = UpperCase(WideToAnsi(ClassList));
  for (int I = 0; I < WindowsXPThemeClassCount; ++I)
    if (List.compare(0, std::strlen(ClassNames[I]), ClassNames[I]) == 0) {
      Class = static_cast<TWindowsXPThemeClass>(I);
      return true;
    }
  return false;
}

TTheme* CreateWindowsXPClassTheme(TWindowsXPThemeManager* Manager, TWindowsXPThemeClass Class) {
  switch (Class) {
    case TWindowsXPThemeClass::Globals: return new TWindowsXPThemeGlobals(Manager);
    case TWindowsXPThemeClass::Button: return new TWindowsXPThemeButton(Manager);
    case TWindowsXPThemeClass::ComboBox: return new TWindowsXPThemeComboBox(Manager);
    case TWindowsXPThemeClass::Edit: return new TWindowsXPThemeEdit(Manager);
    case TWindowsXPThemeClass::ExplorerBar: return new TWindowsXPThemeExplorerBar(Manager);
    case TWindowsXPThemeClass::Header: return new TWindowsXPThemeHeader(Manager);
    case TWindowsXPThemeClass::ListView: return new TWindowsXPThemeListView(Manager);
    case TWindowsXPThemeClass::Progress: return new TWindowsXPThemeProgress(Manager);
    case TWindowsXPThemeClass::ScrollBar: return new TWindowsXPThemeScrollBar(Manager);
    case TWindowsXPThemeClass::Spin: return new TWindowsXPThemeSpin(Manager);
    case TWindowsXPThemeClass::Status: return new TWindowsXPThemeStatus(Manager);
    case TWindowsXPThemeClass::Tab: return new TWindowsXPThemeTab(Manager);
    case TWindowsXPThemeClass::ToolBar: return new TWindowsXPThemeToolbar(Manager);
    case TWindowsXPThemeClass::TrackBar: return new TWindowsXPThemeTrackBar(Manager);
    case TWindowsXPThemeClass::TreeView: return new TWindowsXPThemeTreeView(Manager);
    case TWindowsXPThemeClass::Window: return new TWindowsXPThemeWindow(Manager);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TWindowsXPTheme

TWindowsXPTheme::TWindowsXPTheme(TWindowsXPThemeManager* Manager) : TTheme(Manager) {}

TWindowsXPThemeManager* TWindowsXPTheme::XPManager() const {
  return dynamic_cast<TWindowsXPThemeManager*>(Manager());
}

bool TWindowsXPTheme::GetThemeSysBool(int BoolId) {
  if (TWindowsXPThemeManager* M = XPManager()) return M->Metrics().GetBool(BoolId);
  return TTheme::GetThemeSysBool(BoolId);
}

COLORREF TWindowsXPTheme::GetThemeSysColor(int ColorId) {
  if (TWindowsXPThemeManager* M = XPManager()) return M->Metrics().GetColor(ColorId);
  return TTheme::GetThemeSysColor(ColorId);
}

HBRUSH TWindowsXPTheme::GetThemeSysColorBrush(int ColorId) {
  if (TWindowsXPThemeManager* M = XPManager()) return M->Metrics().GetColorBrush(ColorId);
  return TTheme::GetThemeSysColorBrush(ColorId);
}

void TWindowsXPTheme::GetThemeSysFont(int FontId, LOGFONTW& Font) {
  TWindowsXPThemeManager* M = XPManager();
  if (!M) return TTheme::GetThemeSysFont(FontId, Font);
  const LOGFONTA A = M->Metrics().GetFont(FontId);
  Font = LOGFONTW{};
  std::memcpy(&Font, &A, offsetof(LOGFONTA, lfFaceName));
  MultiByteToWideChar(CP_ACP, 0, A.lfFaceName, -1, Font.lfFaceName, LF_FACESIZE);
  Font.lfFaceName[LF_FACESIZE - 1] = L'\0';
}

void TWindowsXPTheme::GetThemeSysInt(int IntId, int& Value) {
  if (TWindowsXPThemeManager* M = XPManager()) Value = M->Metrics().GetInt(IntId);
  else TTheme::GetThemeSysInt(IntId, Value);
}

int TWindowsXPTheme::GetThemeSysSize(int SizeId) {
  if (TWindowsXPThemeManager* M = XPManager()) return M->Metrics().GetSize(SizeId);
  return TTheme::GetThemeSysSize(SizeId);
}

// ---------------------------------------------------------------------------
// TWindowsXPThemeManager

namespace {

const char* const DocumentationSection = "Documentation";

// Value into Buffer of Chars units, cut so that it and its terminator fit.
void CopyToBuffer(const WideString& Value, LPWSTR Buffer, int Chars) {
  const size_t N = std::min(Value.size(), static_cast<size_t>(Chars - 1));
  std::memcpy(Buffer, Value.data(), N * sizeof(wchar_t));
  Buffer[N] = L'\0';
}

}  // namespace

TWindowsXPThemeManager::TWindowsXPThemeManager()
    : FMetrics(std::make_unique<TWindowsXPThemeMetrics>()),
      FSchemeIni(new TVsIniFile(nullptr)),
      FMasterIni(new TVsIniFile(nullptr)) {
  FSchemeIni->SetSimple(true);
}

TWindowsXPThemeManager::~TWindowsXPThemeManager() {
  // The themes go while the inis, the metrics and the file are still here.
  Unload();
}

WideString TWindowsXPThemeManager::GetDisplayName() {
  AnsiString Name;
  if (!FMasterIni->ReadString(DocumentationSection, "DisplayName", Name, ""))
    throw EWindowsXPThemeError("No display name for this theme");
  return AnsiToWide(Trim(Name));
}

TTheme* TWindowsXPThemeManager::CreateTheme(const WideString& ClassList) {
  TWindowsXPThemeClass Class;
  return WindowsXPThemeClassOf(ClassList, Class) ? CreateWindowsXPClassTheme(this, Class) : nullptr;
}

void TWindowsXPThemeManager::GetThemeDocumentationProperty(LPCWSTR, LPCWSTR PropertyName, LPWSTR Buffer,
                                                           int BufferChars) {
  if (!Buffer || BufferChars <= 0 || !PropertyName) throw EWindowsXPThemeError("Invalid function parameter");
  const AnsiString Name = WideToAnsi(PropertyName);
  AnsiString Value;
  if (!FMasterIni->ReadString(DocumentationSection, Name, Value, ""))
    throw EWindowsXPThemeError(Format("Documenation property [%s] is undefined", Name));
  CopyToBuffer(AnsiToWide(Trim(Value)), Buffer, BufferChars);
}

COLORREF TWindowsXPThemeManager::GetThemeSysColor(HTHEME Theme, int ColorId) {
  if (!Theme) return FMetrics->GetColor(ColorId);
  return TThemeManager::GetThemeSysColor(Theme, ColorId);
}

HBRUSH TWindowsXPThemeManager::GetThemeSysColorBrush(HTHEME Theme, int ColorId) {
  if (!Theme) return FMetrics->GetColorBrush(ColorId);
  return TThemeManager::GetThemeSysColorBrush(Theme, ColorId);
}

WideString TWindowsXPThemeManager::GetColorSchemeDisplayName(const WideString& SchemeName) {
  AnsiString Name;
  FMasterIni->ReadString("ColorScheme." + WideToAnsi(SchemeName), "DisplayName", Name, "");
  return AnsiToWide(Trim(Name));
}

void TWindowsXPThemeManager::LoadFromFile(const WideString& FileName) {
  if (FModule) Unload();
  FModule = OpenVisualStyleFile(FileName);
  ReadStyleIni(FModule, L"THEMES_INI", *FMasterIni);
  ColorSchemes().Clear();
  for (const WideString& Name : ReadStyleNames(FModule, L"COLORNAMES")) ColorSchemes().Add(Name);
  TThemeManager::LoadFromFile(FileName);
}

void TWindowsXPThemeManager::Unload() {
  if (FBlitBuffers) FBlitBuffers->Free();
  TThemeManager::Unload();
  FSchemeIni->Clear();
  FMasterIni->Clear();
  if (FModule) FreeLibrary(FModule);
  FModule = nullptr;
}

void TWindowsXPThemeManager::SetColorScheme(const WideString& SchemeName) {
  WideString Name = SchemeName;
  if (Name.empty() && ColorSchemes().Count() > 0) Name = ColorSchemes().Strings(0);
  if (!Name.empty() && ColorSchemes().IndexOf(Name) < 0)
    throw EThemeError(Format("Unknown theme color scheme [%s]", WideToAnsi(Name)));
  if (!FModule) throw EWindowsXPThemeError("Cannot find an appropriate scheme section");
  const WideString IniName = SchemeIniName(FModule, ColorSchemes().IndexOf(Name));
  ReadStyleIni(FModule, IniName.c_str(), *FSchemeIni);
  FreeThemes();
  FMetrics->Load(*FSchemeIni);
  TThemeManager::SetColorScheme(Name);
}

// ---------------------------------------------------------------------------
// TWindowsXPThemePart

namespace {

constexpr int KindCount = 8;

// Where each internal id stands in the table of each kind (-1: not of it).
struct TIdIndexes {
  signed char Index[KindCount][TmPropertyIdCount];
  TIdIndexes() {
    std::memset(Index, -1, sizeof Index);
    for (int K = 0; K < KindCount; ++K) {
      const auto Table = TmProperties(static_cast<TTmPropertyKind>(K));
      for (size_t I = 0; I < Table.size(); ++I) Index[K][Table[I].Id] = static_cast<signed char>(I);
    }
  }
};

const TIdIndexes& IdIndexes() {
  static const TIdIndexes Indexes;
  return Indexes;
}

[[noreturn]] void UndefinedProperty(int SchemaNumber) {
  throw EWindowsXPThemeError(Format("Theme property [%d] is undefined", SchemaNumber));
}

const TTmProperty& Property(TTmPropertyKind Kind, int Index) { return TmProperties(Kind)[static_cast<size_t>(Index)]; }

constexpr int ImageCountIndex = 10;  // "ImageCount" among the integers

}  // namespace

TWindowsXPThemePart::TWindowsXPThemePart(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                         const AnsiString& SectionName)
    : TThemePart(Theme, ParentPart), FParent(ParentPart) {
  if (TWindowsXPTheme* T = dynamic_cast<TWindowsXPTheme*>(Theme))
    if (TWindowsXPThemeManager* M = T->XPManager()) LoadSection(M->SchemeIni(), SectionName);
}

bool TWindowsXPThemePart::IsOwnPropertyDefined(int Id) const {
  return Id >= 0 && Id < TmPropertyIdCount && FDefined[static_cast<size_t>(Id)];
}

bool TWindowsXPThemePart::IsPropertyDefined(int Id) const {
  for (const TWindowsXPThemePart* P = this; P; P = P->FParent)
    if (P->IsOwnPropertyDefined(Id)) return true;
  return false;
}

int TWindowsXPThemePart::IndexOf(TTmPropertyKind Kind, int Id) {
  const int I = Id >= 0 && Id < TmPropertyIdCount ? IdIndexes().Index[static_cast<int>(Kind)][Id] : -1;
  if (I < 0) throw EWindowsXPThemeError("Invalid function parameter");
  return I;
}

const TWindowsXPThemePart* TWindowsXPThemePart::Definer(TTmPropertyKind Kind, int Index) const {
  const TTmProperty& P = Property(Kind, Index);
  for (const TWindowsXPThemePart* Part = this; Part; Part = Part->FParent)
    if (Part->FDefined[static_cast<size_t>(P.Id)]) return Part;
  UndefinedProperty(P.SchemaNumber);
}

template <class T, size_t N>
const T& TWindowsXPThemePart::Value(TTmPropertyKind Kind, T (TWindowsXPThemePart::*Values)[N], int Id) const {
  const int I = IndexOf(Kind, Id);
  return (Definer(Kind, I)->*Values)[I];
}

bool TWindowsXPThemePart::GetBool(int Id) const {
  return Value(TTmPropertyKind::Boolean, &TWindowsXPThemePart::FBools, Id);
}
COLORREF TWindowsXPThemePart::GetColor(int Id) const {
  return Value(TTmPropertyKind::Color, &TWindowsXPThemePart::FColors, Id);
}
int TWindowsXPThemePart::GetInt(int Id) const {
  return Value(TTmPropertyKind::Integer, &TWindowsXPThemePart::FInts, Id);
}
MARGINS TWindowsXPThemePart::GetMargins(int Id) const {
  return Value(TTmPropertyKind::Margins, &TWindowsXPThemePart::FMargins, Id);
}
POINT TWindowsXPThemePart::GetPosition(int Id) const {
  return Value(TTmPropertyKind::Position, &TWindowsXPThemePart::FPositions, Id);
}
POINT TWindowsXPThemePart::GetSize(int Id) const {
  return Value(TTmPropertyKind::Size, &TWindowsXPThemePart::FSizes, Id);
}
AnsiString TWindowsXPThemePart::GetFileName(int Id) const {
  return Value(TTmPropertyKind::FileName, &TWindowsXPThemePart::FFileNames, Id);
}

int TWindowsXPThemePart::GetEnum(TTmEnumeration Enumeration) const {
  const int I = static_cast<int>(Enumeration);
  return Definer(TTmPropertyKind::Enumeration, I)->FEnums[I];
}

int TWindowsXPThemePart::OwnPropertyId(TTmPropertyKind Kind, int SchemaNumber) const {
  const int I = TmIndexOfSchemaNumber(Kind, SchemaNumber);
  if (I < 0) UndefinedProperty(SchemaNumber);
  const int Id = Property(Kind, I).Id;
  if (!FDefined[static_cast<size_t>(Id)]) UndefinedProperty(SchemaNumber);
  return Id;
}

void TWindowsXPThemePart::SplitImageFrames(TBitmap* Bitmap, int Count, std::vector<RECT>& Frames) {
  const bool Vertical = IsPropertyDefined(Property(TTmPropertyKind::Enumeration,
                                                   static_cast<int>(TTmEnumeration::ImageLayout)).Id) &&
                        ImageLayout() == 0;
  const int Width = Bitmap->Width(), Height = Bitmap->Height();
  const int Length = Vertical ? Height : Width;
  Count = std::min(std::max(Count, 1), Length);
  Frames.clear();
  if (Count <= 0) return;
  const int Step = Length / Count;
  Frames.reserve(static_cast<size_t>(Count));
  for (int I = 0; I < Count; ++I)
    Frames.push_back(Vertical ? RECT{0, I * Step, Width, (I + 1) * Step} : RECT{I * Step, 0, (I + 1) * Step, Height});
}

void TWindowsXPThemePart::SplitAllImages() {
  const int CountId = Property(TTmPropertyKind::Integer, ImageCountIndex).Id;
  const int Count = IsPropertyDefined(CountId) ? GetInt(CountId) : 1;
  for (int I = 0; I < ImageCount; ++I) {
    FFrames[I].clear();
    if (FImages[I]) SplitImageFrames(FImages[I].get(), Count, FFrames[I]);
  }
}

int TWindowsXPThemePart::StateToFrame(int) { return 0; }

void TWindowsXPThemePart::LoadSection(TVsIniFile& Ini, const AnsiString& SectionName) {
  if (Ini.KeyExists(SectionName)) {
    AnsiString Value;
    // Reads each name of Kind present in the section into Values by Parse.
    auto ReadAll = [&](TTmPropertyKind Kind, auto* Values, auto Parse) {
      const auto Table = TmProperties(Kind);
      for (size_t I = 0; I < Table.size(); ++I)
        if (Ini.ReadString(SectionName, Table[I].Name, Value, "")) {
          Values[I] = Parse(Value);
          FDefined.set(static_cast<size_t>(Table[I].Id));
        }
    };
    ReadAll(TTmPropertyKind::Boolean, FBools, [](const AnsiString& V) { return StrToTmBool(V, 0) != 0; });
    ReadAll(TTmPropertyKind::Color, FColors, [](const AnsiString& V) { return StrToTmColor(V, 0); });
    ReadAll(TTmPropertyKind::Integer, FInts, [](const AnsiString& V) { return StrToTmInt(V); });
    ReadAll(TTmPropertyKind::Margins, FMargins, [](const AnsiString& V) { return StrToTmMargins(V, MARGINS{}); });
    ReadAll(TTmPropertyKind::Position, FPositions, [](const AnsiString& V) { return StrToTmPoint(V, POINT{}); });
    ReadAll(TTmPropertyKind::Size, FSizes, [](const AnsiString& V) { return StrToTmPoint(V, POINT{}); });
    ReadAll(TTmPropertyKind::FileName, FFileNames, [](const AnsiString& V) { return Trim(V); });
    const auto Enums = TmProperties(TTmPropertyKind::Enumeration);
    for (size_t I = 0; I < Enums.size(); ++I)
      if (Ini.ReadString(SectionName, Enums[I].Name, Value, "")) {
        const auto E = static_cast<TTmEnumeration>(I);
        FEnums[I] = StrToTmEnum(E, Value, E == TTmEnumeration::ImageLayout ? 1 : 0);
        FDefined.set(static_cast<size_t>(Enums[I].Id));
      }
  }
  LoadImages();
}

void TWindowsXPThemePart::LoadImages() {
  TWindowsXPTheme* T = dynamic_cast<TWindowsXPTheme*>(Theme());
  TWindowsXPThemeManager* M = T ? T->XPManager() : nullptr;
  if (!M || !M->Module()) return;
  const auto Files = TmProperties(TTmPropertyKind::FileName);
  for (int I = 0; I < ImageCount; ++I) {
    FImages[I].reset();
    if (!IsPropertyDefined(Files[static_cast<size_t>(I)].Id)) continue;
    try {
      const AnsiString Name = TmImageResourceName(GetFileName(Files[static_cast<size_t>(I)].Id));
      DWORD Size = 0;
      StyleResourceData(M->Module(), MAKEINTRESOURCEW(2), AnsiToWide(Name).c_str(), Size);
      TOwned<TBitmap> Bitmap(new TBitmap);
      Bitmap->LoadFromResourceName(M->Module(), Name);
      FImages[I] = std::move(Bitmap);
    } catch (const std::exception&) {
      // The part works without the image.
    }
  }
  SplitAllImages();
}

// ---------------------------------------------------------------------------
// Blitters

namespace {

const COLORREF NoColor = static_cast<COLORREF>(clNone);

// The largest scratch bitmap a blitter makes: 64 M pixels. A larger
// destination draws nothing rather than asking for gigabytes.
constexpr Int64 MaxBlitPixels = Int64(1) << 26;

int RectWidth(const RECT& R) { return R.right - R.left; }
int RectHeight(const RECT& R) { return R.bottom - R.top; }

// A COLORREF (0x00BBGGRR) as a DIB pixel (0x00RRGGBB).
DWORD PixelOf(COLORREF Color) {
  return ((Color & 0xFF) << 16) | (Color & 0xFF00) | ((Color >> 16) & 0xFF);
}

// The rows of a frame as 32-bit pixels, copied into Scratch: row Y of the
// frame starts at First + Y x Stride. False when there is nothing to read.
bool FramePixels(HDC Source, const RECT& Frame, TVsBlitBuffer& Scratch, const DWORD*& First, ptrdiff_t& Stride) {
  const HDC Copy = Scratch.Prepare(RectWidth(Frame), RectHeight(Frame));
  if (!Copy) return false;
  BitBlt(Copy, 0, 0, RectWidth(Frame), RectHeight(Frame), Source, Frame.left, Frame.top, SRCCOPY);
  GdiFlush();
  First = Scratch.Row(0);
  Stride = Scratch.Stride();
  return true;
}

// Combines W x H source pixels into the destination area at (X, Y): each
// destination pixel D becomes Mix(S, D).
template <class TMix>
void CombineInto(HDC Dest, int X, int Y, int W, int H, const DWORD* First, ptrdiff_t Stride, TVsBlitBuffer& Copy,
                 TMix Mix) {
  const HDC Area = Copy.Prepare(W, H);
  if (!Area) return;
  BitBlt(Area, 0, 0, W, H, Dest, X, Y, SRCCOPY);
  GdiFlush();
  for (int Row = 0; Row < H; ++Row) {
    const DWORD* S = First + Row * Stride;
    DWORD* D = Copy.Row(Row);
    for (int Col = 0; Col < W; ++Col) D[Col] = Mix(S[Col], D[Col]);
  }
  BitBlt(Dest, X, Y, W, H, Area, 0, 0, SRCCOPY);
}

void MaskedInto(HDC Dest, int X, int Y, int W, int H, const DWORD* First, ptrdiff_t Stride, COLORREF Transparent,
                TVsBlitBuffer& Copy) {
  const DWORD Key = PixelOf(Transparent);
  CombineInto(Dest, X, Y, W, H, First, Stride, Copy,
              [Key](DWORD S, DWORD D) { return (S & 0xFFFFFF) == Key ? D : S; });
}

void BlendInto(HDC Dest, int X, int Y, int W, int H, const DWORD* First, ptrdiff_t Stride, TVsBlitBuffer& Copy) {
  CombineInto(Dest, X, Y, W, H, First, Stride, Copy, [](DWORD S, DWORD D) {
    const DWORD A = S >> 24, B = 256 - A;
    const DWORD R = ((((S >> 16) & 0xFF) * A + ((D >> 16) & 0xFF) * B) >> 8) << 16;
    const DWORD G = ((((S >> 8) & 0xFF) * A + ((D >> 8) & 0xFF) * B) >> 8) << 8;
    const DWORD Bl = ((S & 0xFF) * A + (D & 0xFF) * B) >> 8;
    return R | G | Bl;
  });
}

bool WithinBlitLimit(int W, int H) { return W > 0 && H > 0 && Int64(W) * H <= MaxBlitPixels; }

// One piece of a nine-grid: where it comes from in the frame and where it
// goes in the destination, both relative to their origins.
struct TGridPiece {
  RECT Source;
  RECT Dest;
};

// The nine-grid pieces of a frame of FW x FH onto W x H, in drawing order:
// corners, top and bottom edges, left and right edges, centre. Pieces with
// no extent are left out.
std::vector<TGridPiece> GridPieces(int FW, int FH, int W, int H, MARGINS M, bool BorderOnly) {
  std::vector<TGridPiece> Pieces;
  auto Add = [&Pieces](RECT S, RECT D) {
    if (S.right > S.left && S.bottom > S.top && D.right > D.left && D.bottom > D.top) Pieces.push_back({S, D});
  };
  const int L = std::clamp(M.cxLeftWidth, 0, FW);
  const int R = std::clamp(M.cxRightWidth, 0, FW - L);
  const int T = std::clamp(M.cyTopHeight, 0, FH);
  const int B = std::clamp(M.cyBottomHeight, 0, FH - T);
  if (L == 0 && R == 0 && T == 0 && B == 0) {
    Add({0, 0, FW, FH}, {0, 0, W, H});
    return Pieces;
  }
  Add({0, 0, L, T}, {0, 0, L, T});
  Add({FW - R, 0, FW, T}, {W - R, 0, W, T});
  Add({0, FH - B, L, FH}, {0, H - B, L, H});
  Add({FW - R, FH - B, FW, FH}, {W - R, H - B, W, H});
  Add({L, 0, FW - R, T}, {L, 0, W - R, T});
  Add({L, FH - B, FW - R, FH}, {L, H - B, W - R, H});
  Add({0, T, L, FH - B}, {0, T, L, H - B});
  Add({FW - R, T, FW, FH - B}, {W - R, T, W, H - B});
  if (!BorderOnly) Add({L, T, FW - R, FH - B}, {L, T, W - R, H - B});
  return Pieces;
}

// Stretches each piece from the frame at (SX, SY) of Source onto Dest at
// (DX, DY) with COLORONCOLOR, the DC's own mode put back afterwards.
void StretchPieces(HDC Dest, int DX, int DY, HDC Source, int SX, int SY, const std::vector<TGridPiece>& Pieces) {
  const int OldMode = SetStretchBltMode(Dest, COLORONCOLOR);
  for (const TGridPiece& P : Pieces) {
    const int SW = RectWidth(P.Source), SH = RectHeight(P.Source);
    const int DW = RectWidth(P.Dest), DH = RectHeight(P.Dest);
    if (SW == DW && SH == DH)
      BitBlt(Dest, DX + P.Dest.left, DY + P.Dest.top, DW, DH, Source, SX + P.Source.left, SY + P.Source.top, SRCCOPY);
    else
      StretchBlt(Dest, DX + P.Dest.left, DY + P.Dest.top, DW, DH, Source, SX + P.Source.left, SY + P.Source.top, SW,
                 SH, SRCCOPY);
  }
  if (OldMode) SetStretchBltMode(Dest, OldMode);
}

// Fills each piece with copies of its source piece, the last of a row or
// column cut to what is left.
void TilePieces(HDC Dest, int DX, int DY, HDC Source, int SX, int SY, const std::vector<TGridPiece>& Pieces) {
  for (const TGridPiece& P : Pieces) {
    const int SW = RectWidth(P.Source), SH = RectHeight(P.Source);
    for (int Y = P.Dest.top; Y < P.Dest.bottom; Y += SH)
      for (int X = P.Dest.left; X < P.Dest.right; X += SW)
        BitBlt(Dest, DX + X, DY + Y, std::min<int>(SW, P.Dest.right - X), std::min<int>(SH, P.Dest.bottom - Y), Source,
               SX + P.Source.left, SY + P.Source.top, SRCCOPY);
  }
}

using TPiecesDraw = void (*)(HDC, int, int, HDC, int, int, const std::vector<TGridPiece>&);

// The nine-grid blitters' common path: pieces drawn straight onto the
// destination for a plain copy, else into a buffer first filled with the
// key colour (so that what no piece covers stays as it was) and then
// copied by the mask.
void NineGrid(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins, bool BorderOnly,
              COLORREF Transparent, TVsBlitBuffers& Buffers, TPiecesDraw Draw) {
  const int W = RectWidth(DestRect), H = RectHeight(DestRect);
  if (!WithinBlitLimit(W, H) || RectWidth(Frame) <= 0 || RectHeight(Frame) <= 0) return;
  const std::vector<TGridPiece> Pieces = GridPieces(RectWidth(Frame), RectHeight(Frame), W, H, Margins, BorderOnly);
  if (Transparent == NoColor) {
    // Pieces wider or higher than a small destination stop at its edge.
    const bool Spills = std::any_of(Pieces.begin(), Pieces.end(), [W, H](const TGridPiece& P) {
      return P.Dest.right > W || P.Dest.bottom > H;
    });
    const int Saved = Spills ? SaveDC(Dest) : 0;
    if (Saved) IntersectClipRect(Dest, DestRect.left, DestRect.top, DestRect.right, DestRect.bottom);
    Draw(Dest, DestRect.left, DestRect.top, Source, Frame.left, Frame.top, Pieces);
    if (Saved) RestoreDC(Dest, Saved);
    return;
  }
  const HDC Image = Buffers.Image.Prepare(W, H);
  if (!Image) return;
  GdiFlush();
  const DWORD Key = PixelOf(Transparent);
  for (int Y = 0; Y < H; ++Y) std::fill_n(Buffers.Image.Row(Y), W, Key);
  Draw(Image, 0, 0, Source, Frame.left, Frame.top, Pieces);
  GdiFlush();
  MaskedInto(Dest, DestRect.left, DestRect.top, W, H, Buffers.Image.Row(0), Buffers.Image.Stride(), Transparent,
             Buffers.Dest);
}

}  // namespace

HDC TVsBlitBuffer::Prepare(int Width, int Height) {
  if (!WithinBlitLimit(Width, Height)) return nullptr;
  if (FDC && Width <= FWidth && Height <= FHeight) return FDC;
  const int NewWidth = std::max(Width, FWidth), NewHeight = std::max(Height, FHeight);
  if (!WithinBlitLimit(NewWidth, NewHeight)) return nullptr;
  Free();
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = NewWidth;
  Info.bmiHeader.biHeight = -NewHeight;
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  FDC = CreateCompatibleDC(nullptr);
  if (FDC) FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!FBitmap) {
    Free();
    return nullptr;
  }
  FOldBitmap = SelectObject(FDC, FBitmap);
  FBits = static_cast<DWORD*>(Bits);
  FWidth = NewWidth;
  FHeight = NewHeight;
  return FDC;
}

void TVsBlitBuffer::Free() {
  if (FDC && FOldBitmap) SelectObject(FDC, FOldBitmap);
  if (FBitmap) DeleteObject(FBitmap);
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
  FBitmap = nullptr;
  FOldBitmap = nullptr;
  FBits = nullptr;
  FWidth = 0;
  FHeight = 0;
}

void TVsBlitBuffers::Free() {
  Image.Free();
  Source.Free();
  Dest.Free();
}

void VsTransparentBlt(HDC Dest, int X, int Y, HDC Source, const RECT& Frame, COLORREF Transparent,
                      TVsBlitBuffers& Buffers) {
  const int W = RectWidth(Frame), H = RectHeight(Frame);
  if (!WithinBlitLimit(W, H)) return;
  if (Transparent == NoColor) {
    BitBlt(Dest, X, Y, W, H, Source, Frame.left, Frame.top, SRCCOPY);
    return;
  }
  const DWORD* First;
  ptrdiff_t Stride;
  if (FramePixels(Source, Frame, Buffers.Source, First, Stride))
    MaskedInto(Dest, X, Y, W, H, First, Stride, Transparent, Buffers.Dest);
}

void VsNineGridStretchBlt(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins,
                          bool BorderOnly, COLORREF Transparent, TVsBlitBuffers& Buffers) {
  NineGrid(Dest, DestRect, Source, Frame, Margins, BorderOnly, Transparent, Buffers, StretchPieces);
}

void VsNineGridTileBlt(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins,
                       bool BorderOnly, COLORREF Transparent, TVsBlitBuffers& Buffers) {
  NineGrid(Dest, DestRect, Source, Frame, Margins, BorderOnly, Transparent, Buffers, TilePieces);
}

void VsAlphaBlt(HDC Dest, int X, int Y, HDC Source, const RECT& Frame, TVsBlitBuffers& Buffers) {
  const int W = RectWidth(Frame), H = RectHeight(Frame);
  if (!WithinBlitLimit(W, H)) return;
  const DWORD* First;
  ptrdiff_t Stride;
  if (FramePixels(Source, Frame, Buffers.Source, First, Stride)) BlendInto(Dest, X, Y, W, H, First, Stride, Buffers.Dest);
}

void VsAlphaNineGridBlt(HDC Dest, const RECT& DestRect, HDC Source, const RECT& Frame, const MARGINS& Margins,
                        bool BorderOnly, TVsBlitBuffers& Buffers) {
  const int W = RectWidth(DestRect), H = RectHeight(DestRect);
  if (!WithinBlitLimit(W, H) || RectWidth(Frame) <= 0 || RectHeight(Frame) <= 0) return;
  if (W == RectWidth(Frame) && H == RectHeight(Frame)) {
    VsAlphaBlt(Dest, DestRect.left, DestRect.top, Source, Frame, Buffers);
    return;
  }
  const HDC Image = Buffers.Image.Prepare(W, H);
  if (!Image) return;
  GdiFlush();
  for (int Y = 0; Y < H; ++Y) std::fill_n(Buffers.Image.Row(Y), W, DWORD(0));
  StretchPieces(Image, 0, 0, Source, Frame.left, Frame.top,
                GridPieces(RectWidth(Frame), RectHeight(Frame), W, H, Margins, BorderOnly));
  GdiFlush();
  BlendInto(Dest, DestRect.left, DestRect.top, W, H, Buffers.Image.Row(0), Buffers.Image.Stride(), Buffers.Dest);
}

// ---------------------------------------------------------------------------
// TWindowsXPThemePart: drawing and measuring

namespace {

const COLORREF MagentaKey = RGB(255, 0, 255);

// Internal values of the enumerations the renderer reads.
enum { BgBorderFill = 1, BgImageFile = 2 };
enum { BorderRect = 1, BorderRoundRect = 2, BorderEllipse = 3 };
enum { FillSolid = 1, FillVertGradient = 2, FillHorzGradient = 3 };
enum { GlyphImageGlyph = 1 };
enum { AlignCenter = 1, AlignFar = 2 };
enum { SelectDpi = 1, SelectSize = 2 };
enum { SizingStretch = 0, SizingTrueSize = 1, SizingTile = 2 };

[[noreturn]] void UndefinedThemeProperty(int SchemaNumber) {
  throw EWindowsXPThemeError(Format("Theme property [%d] is undefined", SchemaNumber));
}

// Copies Text into Buffer, cut so that it and its terminator fit.
void CopyToBuffer(const AnsiString& Text, LPWSTR Buffer, int BufferChars) {
  const WideString Wide = AnsiToWide(Text);
  const size_t Count = std::min(Wide.size(), static_cast<size_t>(BufferChars - 1));
  std::copy_n(Wide.data(), Count, Buffer);
  Buffer[Count] = L'\0';
}

// The published value of an internal enumeration value; -1 for one the
// published numbering does not have.
int PublishedEnumValue(TTmEnumeration Enumeration, int Value) {
  switch (Enumeration) {
    case TTmEnumeration::BgType:  // imagefile 0, borderfill 1, none 2
      return Value == BgImageFile ? 0 : Value == BgBorderFill ? 1 : 2;
    case TTmEnumeration::BorderType:  // rect 0, roundrect 1, ellipse 2
    case TTmEnumeration::FillType:    // solid 0 ... tileimage 4
      return Value - 1;
    case TTmEnumeration::SizingType:  // truesize 0, stretch 1, tile 2 ...
      return Value == SizingStretch ? 1 : Value == SizingTrueSize ? 0 : Value;
    case TTmEnumeration::ImageSelectType:  // size 1, dpi 2
    case TTmEnumeration::TrueSizeScalingType:
      return Value == SelectDpi ? 2 : Value == SelectSize ? 1 : Value;
    default:
      return Value;
  }
}

int Width(const RECT& R) { return R.right - R.left; }
int Height(const RECT& R) { return R.bottom - R.top; }

// Sums of a style's numbers stay within int, however large the numbers.
int Saturated(Int64 Value) {
  return static_cast<int>(std::clamp<Int64>(Value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Size grown by the margins' widths and heights.
void AddMargins(SIZE& Size, const MARGINS& M) {
  Size.cx = Saturated(Int64(Size.cx) + M.cxLeftWidth + M.cxRightWidth);
  Size.cy = Saturated(Int64(Size.cy) + M.cyTopHeight + M.cyBottomHeight);
}

// True when Bitmap is a 32-bpp DIB whose every pixel, alpha and all, is 0.
bool IsAllZeroBitmap(HBITMAP Bitmap) {
  DIBSECTION Section{};
  if (GetObjectW(Bitmap, sizeof Section, &Section) != sizeof Section || Section.dsBm.bmBitsPixel != 32 ||
      !Section.dsBm.bmBits)
    return false;
  GdiFlush();
  const DWORD* Pixels = static_cast<const DWORD*>(Section.dsBm.bmBits);
  const size_t Count = static_cast<size_t>(Section.dsBm.bmWidthBytes / 4) * static_cast<size_t>(Section.dsBm.bmHeight);
  return std::all_of(Pixels, Pixels + Count, [](DWORD P) { return P == 0; });
}

}  // namespace

void MoveInByMargins(RECT& Rect, const MARGINS& Margins) {
  Rect.left = Saturated(Int64(Rect.left) + Margins.cxLeftWidth);
  Rect.top = Saturated(Int64(Rect.top) + Margins.cyTopHeight);
  Rect.right = Saturated(Int64(Rect.right) - Margins.cxRightWidth);
  Rect.bottom = Saturated(Int64(Rect.bottom) - Margins.cyBottomHeight);
}

void MoveOutByMargins(RECT& Rect, const MARGINS& Margins) {
  Rect.left = Saturated(Int64(Rect.left) - Margins.cxLeftWidth);
  Rect.top = Saturated(Int64(Rect.top) - Margins.cyTopHeight);
  Rect.right = Saturated(Int64(Rect.right) + Margins.cxRightWidth);
  Rect.bottom = Saturated(Int64(Rect.bottom) + Margins.cyBottomHeight);
}

TWindowsXPThemePart::TDrawnImage::~TDrawnImage() { Free(); }

void TWindowsXPThemePart::TDrawnImage::Free() {
  if (DC) {
    SelectObject(DC, OldBitmap);
    DeleteDC(DC);
  }
  Bitmap = nullptr;
  DC = nullptr;
  OldBitmap = nullptr;
  HasAlpha = false;
  AllZero = false;
}

const TWindowsXPThemePart::TDrawnImage* TWindowsXPThemePart::DrawnImage(int Index) {
  if (Index < 0 || Index >= ImageCount) return nullptr;
  TBitmap* Bitmap = Image(Index);
  if (!Bitmap || !Bitmap->Handle() || Frames(Index).empty()) return nullptr;
  TDrawnImage& Drawn = FDrawnImages[Index];
  if (Drawn.Bitmap != Bitmap) {
    Drawn.Free();
    Drawn.DC = CreateCompatibleDC(nullptr);
    if (!Drawn.DC) return nullptr;
    Drawn.Bitmap = Bitmap;
    Drawn.OldBitmap = SelectObject(Drawn.DC, Bitmap->Handle());
    Drawn.HasAlpha = !HasNoAlphaChannel(Bitmap->Handle());
    Drawn.AllZero = IsAllZeroBitmap(Bitmap->Handle());
  }
  return Drawn.AllZero ? nullptr : &Drawn;
}

const RECT& TWindowsXPThemePart::StateFrame(int Index, int StateId) {
  const std::vector<RECT>& List = Frames(Index);
  const int Frame = StateToFrame(StateId);
  return List[Frame >= 0 && Frame < static_cast<int>(List.size()) ? Frame : 0];
}

bool TWindowsXPThemePart::StateFrameSize(int Index, int StateId, SIZE& Size) {
  if (Index < 0 || !Image(Index)) return false;
  const std::vector<RECT>& List = Frames(Index);
  const int Frame = StateToFrame(StateId);
  if (Frame < 0 || Frame >= static_cast<int>(List.size())) return false;
  Size = SIZE{Width(List[Frame]), Height(List[Frame])};
  return true;
}

COLORREF TWindowsXPThemePart::TransparentColor(int Flag) const {
  if ((IsPropertyDefined(Flag) && GetBool(Flag)) || IsPropertyDefined(TmId::TransparentColor))
    return IsPropertyDefined(TmId::TransparentColor) ? GetColor(TmId::TransparentColor) : MagentaKey;
  return static_cast<COLORREF>(clNone);
}

TVsBlitBuffers* TWindowsXPThemePart::BlitBuffers() const {
  const TWindowsXPTheme* T = dynamic_cast<const TWindowsXPTheme*>(Theme());
  TWindowsXPThemeManager* M = T ? T->XPManager() : nullptr;
  return M ? &M->BlitBuffers() : nullptr;
}

void TWindowsXPThemePart::DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT*) {
  if (!Rect) return;
  if (IsPropertyDefined(TmId::BgType)) {
    if (BgType() == BgBorderFill)
      DrawBorderFillBackground(DC, StateId, *Rect);
    else if (BgType() == BgImageFile)
      DrawImage(DC, StateId, *Rect);
  }
  if (IsPropertyDefined(TmId::GlyphType) && GlyphType() == GlyphImageGlyph) DrawGlyph(DC, StateId, *Rect);
}

void TWindowsXPThemePart::DrawBorderFillBackground(HDC DC, int StateId, const RECT& Rect) {
  if (!IsPropertyDefined(TmId::FillType)) {
    DrawBorderAndFill(DC, StateId, Rect);
    return;
  }
  switch (FillType()) {
    case FillSolid: DrawBorderAndFill(DC, StateId, Rect); break;
    case FillVertGradient: DrawGradientFill(DC, StateId, true, Rect); break;
    case FillHorzGradient: DrawGradientFill(DC, StateId, false, Rect); break;
    default: break;
  }
}

void TWindowsXPThemePart::DrawBorderAndFill(HDC DC, int, const RECT& Rect) {
  const COLORREF None = static_cast<COLORREF>(clNone);
  const int BorderWidth = IsPropertyDefined(TmId::BorderSize) ? GetInt(TmId::BorderSize) : 1;
  const COLORREF Border = IsPropertyDefined(TmId::BorderColor) ? GetColor(TmId::BorderColor) : None;
  COLORREF Fill = IsPropertyDefined(TmId::FillColor) ? GetColor(TmId::FillColor) : None;
  if (IsPropertyDefined(TmId::BorderOnly) && GetBool(TmId::BorderOnly)) Fill = None;

  // Without a pen of its own the shape has no outline: the DC's own pen is
  // never drawn with.
  const HPEN Pen = Border != None && BorderWidth != 0 ? CreatePen(PS_SOLID, BorderWidth, Border) : nullptr;
  const HBRUSH Brush = Fill != None ? CreateSolidBrush(Fill) : static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  const HGDIOBJ OldPen = SelectObject(DC, Pen ? static_cast<HGDIOBJ>(Pen) : GetStockObject(NULL_PEN));
  const HGDIOBJ OldBrush = SelectObject(DC, Brush);
  if (IsPropertyDefined(TmId::BorderType)) {
    switch (BorderType()) {
      case BorderRect: Rectangle(DC, Rect.left, Rect.top, Rect.right, Rect.bottom); break;
      case BorderRoundRect:
        if (IsPropertyDefined(TmId::RoundCornerWidth) && IsPropertyDefined(TmId::RoundCornerHeight))
          RoundRect(DC, Rect.left, Rect.top, Rect.right, Rect.bottom, GetInt(TmId::RoundCornerWidth),
                    GetInt(TmId::RoundCornerHeight));
        else
          Rectangle(DC, Rect.left, Rect.top, Rect.right, Rect.bottom);
        break;
      case BorderEllipse: Ellipse(DC, Rect.left, Rect.top, Rect.right, Rect.bottom); break;
      default: break;
    }
  } else if (Pen) {
    Rectangle(DC, Rect.left, Rect.top, Rect.right, Rect.bottom);
  } else {
    FillRect(DC, &Rect, Brush);
  }
  SelectObject(DC, OldBrush);
  SelectObject(DC, OldPen);
  if (Pen) DeleteObject(Pen);
  if (Fill != None) DeleteObject(Brush);
}

void TWindowsXPThemePart::DrawGradientFill(HDC DC, int, bool Vertical, const RECT& Rect) {
  if (!IsPropertyDefined(TmId::GradientColor1) || !IsPropertyDefined(TmId::GradientColor2)) return;
  const COLORREF C1 = GetColor(TmId::GradientColor1), C2 = GetColor(TmId::GradientColor2);
  const int Extent = std::max(Vertical ? Height(Rect) : Width(Rect), 0);
  Int64 Bands = Extent;
  if (IsPropertyDefined(TmId::GradientRatio1) && IsPropertyDefined(TmId::GradientRatio2))
    Bands = std::abs(Int64(GetInt(TmId::GradientRatio2)) - GetInt(TmId::GradientRatio1));
  if (C1 == C2) {
    const HBRUSH Brush = CreateSolidBrush(C1);
    FillRect(DC, &Rect, Brush);
    DeleteObject(Brush);
    return;
  }
  // More bands than pixels would only paint some of them again.
  const int N = static_cast<int>(std::min<Int64>(Bands, Extent));
  const int Origin = Vertical ? Rect.top : Rect.left;
  for (int I = 0; I < N; ++I) {
    // One band has the first colour: there is no step to divide.
    auto Channel = [&](int Shift) {
      const int A = (C1 >> Shift) & 0xFF, B = (C2 >> Shift) & 0xFF;
      return N == 1 ? A : A + MulDiv(I, B - A, N - 1);
    };
    const int From = Origin + MulDiv(I, Extent, N), To = Origin + MulDiv(I + 1, Extent, N);
    const HBRUSH Brush = CreateSolidBrush(RGB(Channel(0), Channel(8), Channel(16)));
    const HGDIOBJ Old = SelectObject(DC, Brush);
    if (Vertical)
      PatBlt(DC, Rect.left, From, Width(Rect), To - From, PATCOPY);
    else
      PatBlt(DC, From, Rect.top, To - From, Height(Rect), PATCOPY);
    SelectObject(DC, Old);
    DeleteObject(Brush);
  }
}

int TWindowsXPThemePart::BackgroundImage(HDC DC, const RECT& Rect) {
  if (IsPropertyDefined(TmId::ImageFile)) return MainImage;
  if (IsPropertyDefined(TmId::ImageSelectType)) return ChooseSizedImage(DC, Rect);
  return -1;
}

int TWindowsXPThemePart::GlyphImageOf(HDC DC, const RECT& Rect) {
  if (IsPropertyDefined(TmId::GlyphImageFile)) return GlyphImage;
  if (IsPropertyDefined(TmId::ImageSelectType)) return ChooseSizedImage(DC, Rect);
  return -1;
}

void TWindowsXPThemePart::DrawImage(HDC DC, int StateId, const RECT& Rect) {
  const int Index = BackgroundImage(DC, Rect);
  const TDrawnImage* Drawn = DrawnImage(Index);
  if (!Drawn) return;
  const RECT& Frame = StateFrame(Index, StateId);
  const COLORREF Transparent = TransparentColor(TmId::Transparent);
  switch (IsPropertyDefined(TmId::SizingType) ? SizingType() : SizingStretch) {
    case SizingStretch: DrawStretched(DC, Rect, *Drawn, Frame, Transparent); break;
    case SizingTrueSize: DrawTrueSize(DC, Rect, *Drawn, Frame, Transparent); break;
    case SizingTile: DrawTiled(DC, Rect, *Drawn, Frame, Transparent); break;
    default: break;  // tilehorz, tilevert and tilecenter are not drawn
  }
}

void TWindowsXPThemePart::DrawStretched(HDC DC, const RECT& Rect, const TDrawnImage& Image, const RECT& Frame,
                                        COLORREF Transparent) {
  TVsBlitBuffers* Buffers = BlitBuffers();
  if (!Buffers) return;
  const MARGINS Margins = IsPropertyDefined(TmId::SizingMargins) ? GetMargins(TmId::SizingMargins) : MARGINS{};
  const bool BorderOnly = IsPropertyDefined(TmId::BorderOnly) && GetBool(TmId::BorderOnly);
  if (Image.HasAlpha)
    VsAlphaNineGridBlt(DC, Rect, Image.DC, Frame, Margins, BorderOnly, *Buffers);
  else
    VsNineGridStretchBlt(DC, Rect, Image.DC, Frame, Margins, BorderOnly, Transparent, *Buffers);
}

void TWindowsXPThemePart::DrawTiled(HDC DC, const RECT& Rect, const TDrawnImage& Image, const RECT& Frame,
                                    COLORREF Transparent) {
  TVsBlitBuffers* Buffers = BlitBuffers();
  if (!Buffers || Image.HasAlpha) return;  // alpha images are not tiled
  const MARGINS Margins = IsPropertyDefined(TmId::SizingMargins) ? GetMargins(TmId::SizingMargins) : MARGINS{};
  const bool BorderOnly = IsPropertyDefined(TmId::BorderOnly) && GetBool(TmId::BorderOnly);
  VsNineGridTileBlt(DC, Rect, Image.DC, Frame, Margins, BorderOnly, Transparent, *Buffers);
}

void TWindowsXPThemePart::DrawTrueSize(HDC DC, const RECT& Rect, const TDrawnImage& Image, const RECT& Frame,
                                       COLORREF Transparent) {
  TVsBlitBuffers* Buffers = BlitBuffers();
  if (!Buffers) return;
  const int W = Width(Frame), H = Height(Frame);
  int X = Rect.left, Y = Rect.top;
  if (W < Width(Rect)) {
    const int Align = IsPropertyDefined(TmId::HAlign) ? HAlign() : AlignCenter;
    if (Align == AlignCenter) X += (Width(Rect) - W) / 2;
    else if (Align == AlignFar) X = Rect.right - W;
  }
  if (H < Height(Rect)) {
    const int Align = IsPropertyDefined(TmId::VAlign) ? VAlign() : AlignCenter;
    if (Align == AlignCenter) Y += (Height(Rect) - H) / 2;
    else if (Align == AlignFar) Y = Rect.bottom - H;
  }
  if (Image.HasAlpha)
    VsAlphaBlt(DC, X, Y, Image.DC, Frame, *Buffers);
  else
    VsTransparentBlt(DC, X, Y, Image.DC, Frame, Transparent, *Buffers);
}

void TWindowsXPThemePart::DrawGlyph(HDC DC, int StateId, const RECT& Rect) {
  RECT Area = Rect;
  int Index = -1;
  if (IsPropertyDefined(TmId::GlyphImageFile)) {
    Index = GlyphImage;
  } else if (IsPropertyDefined(TmId::ImageSelectType)) {
    if (IsPropertyDefined(TmId::ContentMargins)) MoveInByMargins(Area, GetMargins(TmId::ContentMargins));
    Index = ChooseSizedImage(DC, Area);
  }
  const TDrawnImage* Drawn = DrawnImage(Index);
  if (!Drawn) return;
  DrawTrueSize(DC, Area, *Drawn, StateFrame(Index, StateId), TransparentColor(TmId::GlyphTransparent));
}

int TWindowsXPThemePart::ChooseSizedImage(HDC DC, const RECT& Rect) {
  if (!IsPropertyDefined(TmId::ImageSelectType)) return -1;
  const auto FileDefined = [this](int K) { return IsPropertyDefined(TmId::ImageFile1 + K - 1); };
  int Chosen = -1;
  switch (ImageSelectType()) {
    case SelectDpi: {
      // Without a DC the screen's resolution counts.
      const HDC Screen = DC ? nullptr : GetDC(nullptr);
      const HDC Asked = DC ? DC : Screen;
      const int Dpi = std::min(GetDeviceCaps(Asked, LOGPIXELSX), GetDeviceCaps(Asked, LOGPIXELSY));
      if (Screen) ReleaseDC(nullptr, Screen);
      for (int K = 1; K <= 5; ++K) {
        const int MinDpi = TmId::MinDpi1 + K - 1;
        if (!IsPropertyDefined(MinDpi) || !FileDefined(K) || Dpi < GetInt(MinDpi)) break;
        Chosen = SizedImage(K);
      }
      break;
    }
    case SelectSize: {
      // Image 1 serves any rectangle too small for it, as small scroll
      // arrows still need their arrow.
      if (!IsPropertyDefined(TmId::MinSize1) || !Image(SizedImage(1))) break;
      Chosen = SizedImage(1);
      for (int K = 2; K <= 5; ++K) {
        const int MinSize = TmId::MinSize1 + K - 1;
        if (!IsPropertyDefined(MinSize) || !Image(SizedImage(K))) break;
        const POINT Min = GetSize(MinSize);
        if (Width(Rect) < Min.x || Height(Rect) < Min.y) break;
        Chosen = SizedImage(K);
      }
      break;
    }
    default: break;
  }
  return Chosen;
}

void TWindowsXPThemePart::DrawThemeEdge(HDC DC, int, const RECT* DestRect, UINT Edge, UINT Flags, RECT* ContentRect) {
  if (!DestRect) return;
  TRect R = *DestRect;
  VsDrawEdge(DC, R, Edge, Flags);
  if (ContentRect && (Flags & BF_ADJUST)) *ContentRect = R;
}

void TWindowsXPThemePart::DrawThemeIcon(HDC DC, int, const RECT* Rect, HIMAGELIST ImageList, int ImageIndex) {
  if (Rect) ImageList_Draw(ImageList, ImageIndex, DC, Rect->left, Rect->top, ILD_NORMAL);
}

void TWindowsXPThemePart::DrawThemeText(HDC DC, int, LPCWSTR Text, int CharCount, DWORD TextFlags, DWORD,
                                        const RECT* Rect) {
  if (!Text || CharCount == 0 || !Rect) return;
  const COLORREF OldColor =
      IsPropertyDefined(TmId::TextColor) ? SetTextColor(DC, GetColor(TmId::TextColor)) : CLR_INVALID;
  const int OldMode = SetBkMode(DC, TRANSPARENT);
  TRect R = *Rect;
  VsDrawTextW(DC, Text, CharCount, R, TextFlags);
  if (OldMode) SetBkMode(DC, OldMode);
  if (OldColor != CLR_INVALID) SetTextColor(DC, OldColor);
}

void TWindowsXPThemePart::GetThemeBackgroundContentRect(HDC, int, const RECT* BoundingRect, RECT* ContentRect) {
  if (!BoundingRect || !ContentRect) return;
  *ContentRect = *BoundingRect;
  if (IsOwnPropertyDefined(TmId::ContentMargins)) MoveInByMargins(*ContentRect, GetMargins(TmId::ContentMargins));
}

void TWindowsXPThemePart::GetThemeBackgroundExtent(HDC, int, const RECT* ContentRect, RECT* ExtentRect) {
  if (!ContentRect || !ExtentRect) return;
  *ExtentRect = *ContentRect;
  if (IsOwnPropertyDefined(TmId::ContentMargins)) MoveOutByMargins(*ExtentRect, GetMargins(TmId::ContentMargins));
}

void TWindowsXPThemePart::GetThemeBackgroundRegion(HDC, int, const RECT* Rect, HRGN* Region) {
  if (!Rect || !Region) throw EThemeError("Invalid function parameter");
  *Region = CreateRectRgnIndirect(Rect);
}

void TWindowsXPThemePart::GetThemeBool(int, int PropId, bool& Value) {
  Value = GetBool(OwnPropertyId(TTmPropertyKind::Boolean, PropId));
}

void TWindowsXPThemePart::GetThemeColor(int, int PropId, COLORREF& Color) {
  Color = GetColor(OwnPropertyId(TTmPropertyKind::Color, PropId));
}

void TWindowsXPThemePart::GetThemeEnumValue(int, int PropId, int& Value) {
  OwnPropertyId(TTmPropertyKind::Enumeration, PropId);
  const auto Enumeration =
      static_cast<TTmEnumeration>(TmIndexOfSchemaNumber(TTmPropertyKind::Enumeration, PropId));
  const int Published = PublishedEnumValue(Enumeration, GetEnum(Enumeration));
  if (Published < 0) UndefinedThemeProperty(PropId);
  Value = Published;
}

void TWindowsXPThemePart::GetThemeFilename(int, int PropId, LPWSTR Buffer, int BufferChars) {
  if (!Buffer || BufferChars <= 0) throw EThemeError("Invalid function parameter");
  CopyToBuffer(GetFileName(OwnPropertyId(TTmPropertyKind::FileName, PropId)), Buffer, BufferChars);
}

void TWindowsXPThemePart::GetThemeString(int, int PropId, LPWSTR Buffer, int BufferChars) {
  if (!Buffer || BufferChars <= 0) throw EThemeError("Invalid function parameter");
  CopyToBuffer(GetFileName(OwnPropertyId(TTmPropertyKind::FileName, PropId)), Buffer, BufferChars);
}

void TWindowsXPThemePart::GetThemeInt(int, int PropId, int& Value) {
  Value = GetInt(OwnPropertyId(TTmPropertyKind::Integer, PropId));
}

void TWindowsXPThemePart::GetThemeMargins(HDC, int, int PropId, RECT*, MARGINS& Margins) {
  Margins = GetMargins(OwnPropertyId(TTmPropertyKind::Margins, PropId));
}

void TWindowsXPThemePart::GetThemePosition(int, int PropId, POINT& Point) {
  Point = GetPosition(OwnPropertyId(TTmPropertyKind::Position, PropId));
}

void TWindowsXPThemePart::GetThemeFont(HDC, int, int PropId, LOGFONTW&) { UndefinedThemeProperty(PropId); }
void TWindowsXPThemePart::GetThemeIntList(int, int PropId, INTLIST&) { UndefinedThemeProperty(PropId); }
void TWindowsXPThemePart::GetThemeMetric(HDC, int, int PropId, int&) { UndefinedThemeProperty(PropId); }
void TWindowsXPThemePart::GetThemePropertyOrigin(int, int PropId, PROPERTYORIGIN&) { UndefinedThemeProperty(PropId); }
void TWindowsXPThemePart::GetThemeRect(int, int PropId, RECT&) { UndefinedThemeProperty(PropId); }

void TWindowsXPThemePart::GetThemePartSize(HDC DC, int StateId, RECT* Rect, THEMESIZE Kind, SIZE& Size) {
  Size = SIZE{0, 0};
  const RECT Area = Rect ? *Rect : RECT{};
  SIZE Frame{};
  switch (Kind) {
    case TS_MIN: {
      if (IsPropertyDefined(TmId::BgType) && BgType() == BgImageFile) {
        const int Index = BackgroundImage(DC, Area);
        if (Index >= 0 && Image(Index)) {
          const int Sizing = IsPropertyDefined(TmId::SizingType) ? SizingType() : SizingStretch;
          if (Sizing == SizingStretch || Sizing == SizingTile) {
            if (IsPropertyDefined(TmId::SizingMargins)) AddMargins(Size, GetMargins(TmId::SizingMargins));
          } else if (StateFrameSize(Index, StateId, Frame)) {
            AddMargins(Size, MARGINS{0, static_cast<int>(Frame.cx), 0, static_cast<int>(Frame.cy)});
          }
        }
      }
      if (IsPropertyDefined(TmId::GlyphType)) {
        if (IsPropertyDefined(TmId::ContentMargins)) AddMargins(Size, GetMargins(TmId::ContentMargins));
        if (GlyphType() == GlyphImageGlyph && StateFrameSize(GlyphImageOf(DC, Area), StateId, Frame))
          AddMargins(Size, MARGINS{0, static_cast<int>(Frame.cx), 0, static_cast<int>(Frame.cy)});
      }
      break;
    }
    case TS_TRUE:
      if (IsPropertyDefined(TmId::BgType)) {
        if (BgType() == BgImageFile && StateFrameSize(BackgroundImage(DC, Area), StateId, Frame)) Size = Frame;
      } else if (IsPropertyDefined(TmId::GlyphType) && GlyphType() == GlyphImageGlyph &&
                 StateFrameSize(GlyphImageOf(DC, Area), StateId, Frame)) {
        Size = Frame;
      }
      break;
    case TS_DRAW:
      if (Rect) Size = SIZE{Width(*Rect), Height(*Rect)};
      break;
    default: break;
  }
}

void TWindowsXPThemePart::GetThemeTextExtent(HDC DC, int, LPCWSTR Text, int CharCount, DWORD TextFlags,
                                             const RECT* BoundingRect, RECT& ExtentRect) {
  ExtentRect = BoundingRect ? *BoundingRect : RECT{};
  if (!Text) return;
  TRect R = ExtentRect;
  VsDrawTextW(DC, Text, CharCount, R, TextFlags | DT_CALCRECT);
  ExtentRect = R;
}

void TWindowsXPThemePart::GetThemeTextMetrics(HDC, int, TEXTMETRIC&) {
  throw EWindowsXPThemeError("Failed to get text metric");
}

void TWindowsXPThemePart::HitTestThemeBackground(HDC, int, DWORD, const RECT* Rect, HRGN, POINT Point,
                                                 WORD& HitTestCode) {
  HitTestCode = Rect && PtInRect(Rect, Point) ? HTCLIENT : HTNOWHERE;
}

bool TWindowsXPThemePart::IsThemeBackgroundPartiallyTransparent(int) { return false; }
bool TWindowsXPThemePart::IsThemePartDefined(int) { return false; }

TVsBlitBuffers& TWindowsXPThemeManager::BlitBuffers() {
  if (!FBlitBuffers) FBlitBuffers = std::make_unique<TVsBlitBuffers>();
  return *FBlitBuffers;
}

// ---------------------------------------------------------------------------
// Class themes

TWindowsXPThemeStatePart::TWindowsXPThemeStatePart(TTheme* Theme, TWindowsXPThemePart* ParentPart,
                                                   const AnsiString& SectionName, int States)
    : TWindowsXPThemePart(Theme, ParentPart, SectionName), FStates(States) {}

int TWindowsXPThemeStatePart::StateToFrame(int StateId) {
  return StateId >= 1 && StateId <= FStates ? StateId - 1 : 0;
}

void TWindowsXPThemeStatePart::AddCompanion(int StateId, TOwned<TWindowsXPThemePart> Part) {
  FCompanions.emplace_back(StateId, std::move(Part));
}

TWindowsXPThemePart* TWindowsXPThemeStatePart::Companion(int StateId) const {
  for (const auto& [State, Part] : FCompanions)
    if (State == StateId) return Part.get();
  return nullptr;
}

void TWindowsXPThemeStatePart::DrawThemeBackground(HDC DC, int StateId, const RECT* Rect, const RECT* ClipRect) {
  if (TWindowsXPThemePart* Part = Companion(StateId))
    Part->DrawThemeBackground(DC, StateId, Rect, ClipRect);
  else
    TWindowsXPThemePart::DrawThemeBackground(DC, StateId, Rect, ClipRect);
}

void TWindowsXPThemeStatePart::DrawThemeText(HDC DC, int StateId, LPCWSTR Text, int CharCount, DWORD TextFlags,
                                             DWORD TextFlags2, const RECT* Rect) {
  if (TWindowsXPThemePart* Part = Companion(StateId))
    Part->DrawThemeText(DC, StateId, Text, CharCount, TextFlags, TextFlags2, Rect);
  else
    TWindowsXPThemePart::DrawThemeText(DC, StateId, Text, CharCount, TextFlags, TextFlags2, Rect);
}

void AddWindowsXPParts(TTheme& Theme, std::span<const TWindowsXPPartEntry> Entries) {
  TWindowsXPThemePart* Root = nullptr;
  for (const TWindowsXPPartEntry& Entry : Entries) {
    TOwned<TWindowsXPThemePart> Part =
        Entry.Create(&Theme, Entry.Parent == TWindowsXPPartEntry::Root ? Root : nullptr, Entry.Section, Entry.States);
    if (Entry.PartId == 0) Root = Part.get();
    Theme.AddPart(Entry.PartId, Part.release());
  }
}

TWindowsXPThemeGlobals::TWindowsXPThemeGlobals(TWindowsXPThemeManager* Manager) : TWindowsXPTheme(Manager) {
  static const TWindowsXPPartEntry Parts[] = {
      {0, "Globals", MakeWindowsXPPart<TWindowsXPThemeGlobalsPart>, 0, TWindowsXPPartEntry::NoParent}};
  AddWindowsXPParts(*this, Parts);
}

TThemePart* TWindowsXPThemeGlobals::GetPart(int PartId) const {
  if (PartId != 0 && (PartId < 30 || PartId > 32)) return nullptr;
  FPartId = PartId;
  return TWindowsXPTheme::GetPart(0);
}

int TWindowsXPThemeGlobalsPart::PartId() const {
  const auto* Globals = dynamic_cast<const TWindowsXPThemeGlobals*>(Theme());
  return Globals ? Globals->PartId() : 0;
}

void TWindowsXPThemeGlobalsPart::DrawEdgeOf(HDC DC, int StateId, RECT& R) const {
  UINT Sides;
  switch (PartId()) {
    case 30: Sides = BF_LEFT; break;
    case 31: Sides = BF_TOP; break;
    case 32: Sides = BF_RECT; break;
    default: return;
  }
  UINT Edge = 0;
  switch (StateId) {
    case 1:
      Edge = BDR_RAISEDOUTER;
      Sides |= BF_FLAT;
      break;
    case 2: Edge = EDGE_RAISED; break;
    case 3: Edge = EDGE_SUNKEN; break;
    default: break;
  }
  TRect Adjusted = R;
  VsDrawEdge(DC, Adjusted, Edge, Sides | BF_ADJUST);
  R = Adjusted;
}

void TWindowsXPThemeGlobalsPart::DrawThemeBackground(HDC DC, int, const RECT* Rect, const RECT*) {
  const HBRUSH Face = VsThemeWrapperApi.GetThemeSysColorBrush(nullptr, 1616);
  if (Rect && Face) FillRect(DC, Rect, Face);
}

void TWindowsXPThemeGlobalsPart::GetThemeBackgroundContentRect(HDC DC, int StateId, const RECT* BoundingRect,
                                                               RECT* ContentRect) {
  if (!BoundingRect || !ContentRect) return;
  *ContentRect = *BoundingRect;
  DrawEdgeOf(DC, StateId, *ContentRect);
}

void TWindowsXPThemeGlobalsPart::GetThemeBackgroundExtent(HDC DC, int StateId, const RECT* ContentRect,
                                                          RECT* ExtentRect) {
  if (!ContentRect || !ExtentRect) return;
  RECT Inner = *ContentRect;
  DrawEdgeOf(DC, StateId, Inner);
  *ExtentRect = RECT{ContentRect->left - (Inner.left - ContentRect->left),
                     ContentRect->top - (Inner.top - ContentRect->top),
                     ContentRect->right + (ContentRect->right - Inner.right),
                     ContentRect->bottom + (ContentRect->bottom - Inner.bottom)};
}

void TWindowsXPThemeGlobalsPart::HitTestThemeBackground(HDC, int, DWORD, const RECT*, HRGN, POINT,
                                                        WORD& HitTestCode) {
  HitTestCode = HTCLIENT;
}

bool TWindowsXPThemeGlobalsPart::IsThemeBackgroundPartiallyTransparent(int) { return PartId() != 0; }

bool TWindowsXPThemeGlobalsPart::IsThemePartDefined(int StateId) {
  if (PartId() == 0) return StateId == 1;
  return StateId >= 1 && StateId <= 3;
}
