#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Classes.h"
#include "Consts.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "ThemePartSupport.h"
#include "VsIni.h"
#include "VsThemesWindowsXP.h"
#include "VsTmSchema.h"
#include "VsUxTheme.h"

namespace {

const wchar_t LightStyle[] = L"C:\\windows\\resources\\themes\\light\\light.msstyles";

// A module opened by the test, freed at the end of its scope.
struct TStyleModule {
  HMODULE Module;
  explicit TStyleModule(const WideString& FileName) : Module(OpenVisualStyleFile(FileName)) {}
  ~TStyleModule() { FreeLibrary(Module); }
};

// A small module made for one test: a copy of a system DLL with the given
// resources added, deleted at the end of the test.
class TMadeStyle {
public:
  explicit TMadeStyle(const char* Name) : FPath(AnsiToWide(TestTempPath("theme", Name))) {
    wchar_t System[MAX_PATH];
    GetSystemDirectoryW(System, MAX_PATH);
    CopyFileW((WideString(System) + L"\\sfc.dll").c_str(), FPath.c_str(), FALSE);
  }
  ~TMadeStyle() { DeleteFileW(FPath.c_str()); }

  void Add(const std::vector<std::pair<std::pair<LPCWSTR, LPCWSTR>, std::string>>& Resources) {
    HANDLE Update = BeginUpdateResourceW(FPath.c_str(), FALSE);
    ASSERT_NE(Update, nullptr);
    for (const auto& [Id, Bytes] : Resources)
      ASSERT_TRUE(UpdateResourceW(Update, Id.first, Id.second, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                  const_cast<char*>(Bytes.data()), static_cast<DWORD>(Bytes.size())));
    ASSERT_TRUE(EndUpdateResourceW(Update, FALSE));
  }

  // Overwrites field Field (0 the data's address, 1 its size) of the
  // resource's directory entry in the file.
  void Damage(LPCWSTR Type, LPCWSTR Name, int Field, DWORD Value) {
    DWORD Offset;
    {
      TStyleModule Style(FPath);
      const HRSRC Info = FindResourceW(Style.Module, Name, Type);
      ASSERT_NE(Info, nullptr);
      Offset = static_cast<DWORD>(reinterpret_cast<uintptr_t>(Info) -
                                  (reinterpret_cast<uintptr_t>(Style.Module) & ~static_cast<uintptr_t>(3)));
    }
    HANDLE File = CreateFileW(FPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    SetFilePointer(File, static_cast<LONG>(Offset + 4 * Field), nullptr, FILE_BEGIN);
    DWORD Written = 0;
    WriteFile(File, &Value, 4, &Written, nullptr);
    CloseHandle(File);
    ASSERT_EQ(Written, 4u);
  }

  const WideString& Path() const { return FPath; }

private:
  WideString FPath;
};

std::string Utf16(const std::wstring& S) { return std::string(reinterpret_cast<const char*>(S.data()), S.size() * 2); }

}  // namespace

TEST(VsThemesWindowsXP, ReadsTheSystemStyle) {
  TStyleModule Style(LightStyle);
  EXPECT_EQ(ReadStyleNames(Style.Module, L"COLORNAMES"), std::vector<WideString>{L"Blue"});
  EXPECT_EQ(ReadStyleNames(Style.Module, L"FILERESNAMES"), std::vector<WideString>{L"BLUE_INI"});
  EXPECT_EQ(ReadStyleNames(Style.Module, L"SIZENAMES"), std::vector<WideString>{L"NormalSize"});

  TVsIniFile Master(nullptr);
  ReadStyleIni(Style.Module, L"THEMES_INI", Master);
  AnsiString Value;
  EXPECT_TRUE(Master.ReadString("Documentation", "DisplayName", Value, ""));
  EXPECT_EQ(Value, "Light");
  EXPECT_TRUE(Master.ReadString("Documentation", "ToolTip", Value, ""));
  EXPECT_EQ(Value, "Light Visual Style");

  TVsIniFile Scheme(nullptr);
  Scheme.SetSimple(true);
  ReadStyleIni(Style.Module, L"BLUE_INI", Scheme);
  EXPECT_EQ(Scheme.SubKeysCount(""), 242);
  EXPECT_TRUE(Scheme.ReadString("Globals", "EdgeShadowColor", Value, ""));
  EXPECT_EQ(Value, "189 189 189");
  EXPECT_TRUE(Scheme.ReadString("SysMetrics", "ScrollbarWidth", Value, ""));
  EXPECT_EQ(StrToTmInt(Value), 17);

  // Every image a section names is a bitmap of the file: 383 names on the
  // lines, 381 as read, since "Explorer::TreeView.Glyph" gives ImageFile4
  // and ImageFile5 twice each.
  TStringList Sections;
  Scheme.EnumSubKeys("", &Sections);
  std::set<AnsiString> Images;
  for (int I = 0; I < Sections.Count(); ++I)
    for (const TTmProperty& P : TmProperties(TTmPropertyKind::FileName))
      if (Scheme.ReadString(Sections.Strings(I), P.Name, Value, "")) Images.insert(TmImageResourceName(Value));
  EXPECT_EQ(Images.size(), 381u);
  for (const AnsiString& Image : Images)
    EXPECT_NE(FindResourceA(Style.Module, Image.c_str(), MAKEINTRESOURCEA(2)), nullptr) << Image;
}

TEST(VsThemesWindowsXP, MissingFilesAndResources) {
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([] { OpenVisualStyleFile(L"C:\\no\\such.msstyles"); }),
            "Invalid theme file name [C:\\no\\such.msstyles]");
  TStyleModule Style(LightStyle);
  TVsIniFile Ini(nullptr);
  EXPECT_EQ(MessageOf<EResNotFound>([&] { ReadStyleIni(Style.Module, L"GREEN_INI", Ini); }),
            FmtLoadStr(SResNotFound, AnsiString("GREEN_INI")));
  EXPECT_EQ(MessageOf<EResNotFound>([&] { ReadStyleNames(Style.Module, L"NOLIST"); }),
            FmtLoadStr(SResNotFound, AnsiString("#1")));
}

TEST(VsThemesWindowsXP, NameListsEndAtTheResourceEnd) {
  TMadeStyle Made("lists.dll");
  Made.Add({
      {{L"COLORNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"Red\0Green", 9))},           // no end at all
      {{L"SIZENAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"Small\0\0Large\0", 14))},   // ended early
      {{L"FILERESNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"RED_INI\0", 8)) + "R"},  // odd byte
      {{L"EMPTY", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"\0Red\0", 5))},
  });
  TStyleModule Style(Made.Path());
  EXPECT_EQ(ReadStyleNames(Style.Module, L"COLORNAMES"), (std::vector<WideString>{L"Red", L"Green"}));
  EXPECT_EQ(ReadStyleNames(Style.Module, L"SIZENAMES"), std::vector<WideString>{L"Small"});
  EXPECT_EQ(ReadStyleNames(Style.Module, L"FILERESNAMES"), std::vector<WideString>{L"RED_INI"});
  EXPECT_TRUE(ReadStyleNames(Style.Module, L"EMPTY").empty());
}

TEST(VsThemesWindowsXP, DamagedResourcesAreRefused) {
  const std::string Ini = Utf16(L"[Globals]\r\nTextColor = 1 2 3\r\n");
  struct {
    const char* File;
    int Field;
    DWORD Value;
  } Cases[] = {
      {"long.dll", 1, 0x7FFFFFF0},   // a size past the file's end
      {"wrapped.dll", 1, 0xFFFFFFF0}, // a size that wraps the address round
      {"far.dll", 0, 0x7FFF0000},     // data far outside the file
  };
  for (const auto& C : Cases) {
    TMadeStyle Made(C.File);
    Made.Add({{{L"TEXTFILE", L"RED_INI"}, Ini}, {{L"COLORNAMES", MAKEINTRESOURCEW(1)}, Utf16(L"Red")}});
    Made.Damage(L"TEXTFILE", L"RED_INI", C.Field, C.Value);
    TStyleModule Style(Made.Path());
    TVsIniFile Scheme(nullptr);
    EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { ReadStyleIni(Style.Module, L"RED_INI", Scheme); }),
              "Damaged visual style file")
        << C.File;
    // The other resources of the file still read.
    EXPECT_EQ(ReadStyleNames(Style.Module, L"COLORNAMES"), std::vector<WideString>{L"Red"}) << C.File;
  }
}

namespace {

std::unique_ptr<TVsIniFile> SchemeIni(const AnsiString& Text) {
  auto Ini = std::make_unique<TVsIniFile>(nullptr);
  Ini->SetSimple(true);
  Ini->SetTrimSpaces(true);
  TStringStream Stream(Text);
  Ini->LoadFromStream(&Stream);
  return Ini;
}

COLORREF BrushColor(HBRUSH Brush) {
  LOGBRUSH Log = {};
  return GetObjectA(Brush, sizeof Log, &Log) == sizeof Log ? Log.lbColor : CLR_INVALID;
}

}  // namespace

TEST(VsThemesWindowsXP, MetricsOfTheSystemStyle) {
  TStyleModule Style(LightStyle);
  TVsIniFile Scheme(nullptr);
  Scheme.SetSimple(true);
  ReadStyleIni(Style.Module, L"BLUE_INI", Scheme);
  TWindowsXPThemeMetrics Metrics;
  Metrics.Load(Scheme);

  EXPECT_TRUE(Metrics.GetBool(1001));
  // The style's system colours are those the prefix already shows.
  for (int I = 0; I < 31; ++I) {
    EXPECT_EQ(Metrics.GetColor(1601 + I), GetSysColor(I)) << I;
    const HBRUSH Brush = Metrics.GetColorBrush(1601 + I);
    EXPECT_EQ(BrushColor(Brush), GetSysColor(I)) << I;
    EXPECT_EQ(Metrics.GetColorBrush(1601 + I), Brush) << I;  // made once, kept
  }
  EXPECT_EQ(Metrics.GetSize(1202), 17);
  EXPECT_EQ(Metrics.GetSize(1203), 17);

  // What the style leaves out, and ids outside each range.
  struct {
    int Id;
    std::function<void()> Query;
  } Undefined[] = {
      {1201, [&] { Metrics.GetSize(1201); }},  {1210, [&] { Metrics.GetSize(1210); }},
      {801, [&] { Metrics.GetFont(801); }},    {1301, [&] { Metrics.GetInt(1301); }},
      {1600, [&] { Metrics.GetColor(1600); }}, {1632, [&] { Metrics.GetColor(1632); }},
      {1002, [&] { Metrics.GetBool(1002); }},
  };
  for (const auto& U : Undefined)
    EXPECT_EQ(MessageOf<EWindowsXPThemeError>(U.Query), Format("System metrics property [%d] is undefined", U.Id));
  EXPECT_EQ(Metrics.GetColorBrush(1600), nullptr);
  EXPECT_EQ(Metrics.GetColorBrush(1632), nullptr);
}

TEST(VsThemesWindowsXP, MetricsFontsAndReloading) {
  const HDC Screen = GetDC(nullptr);
  const int Dpi = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);

  TWindowsXPThemeMetrics Metrics;
  Metrics.Load(*SchemeIni("[SysMetrics]\r\n"
                          "CaptionFont = Trebuchet MS, 10, Bold\r\n"
                          "SmallCaptionFont = Tahoma, 8, bold italic\r\n"
                          "MenuFont = Tahoma 8\r\n"
                          "IconTitleFont = " + std::string(40, 'F') + ", 9\r\n"
                          "DpiY = 120\r\n"
                          "BorderWidth = x\r\n"
                          "FlatMenus = maybe\r\n"
                          "Window = 10 20 30\r\n"));
  const LOGFONTA Caption = Metrics.GetFont(801);
  EXPECT_EQ(Caption.lfHeight, -MulDiv(10, Dpi, 72));
  EXPECT_EQ(Caption.lfWeight, 700);
  EXPECT_EQ(Caption.lfItalic, 0);
  EXPECT_EQ(Caption.lfCharSet, DEFAULT_CHARSET);
  EXPECT_STREQ(Caption.lfFaceName, "Trebuchet MS");
  const LOGFONTA Small = Metrics.GetFont(802);
  EXPECT_EQ(Small.lfWeight, 700);
  EXPECT_EQ(Small.lfItalic, 1);
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Metrics.GetFont(803); }),
            "System metrics property [803] is undefined");  // no comma: not a font
  EXPECT_EQ(Metrics.GetFont(806).lfFaceName, std::string(31, 'F'));
  EXPECT_EQ(Metrics.GetFont(806).lfWeight, 400);
  EXPECT_EQ(Metrics.GetInt(1302), 120);
  EXPECT_EQ(Metrics.GetSize(1201), 0);
  EXPECT_FALSE(Metrics.GetBool(1001));

  // Loading again drops what the new text leaves out, and the old brushes.
  const HBRUSH Old = Metrics.GetColorBrush(1606);
  EXPECT_EQ(BrushColor(Old), RGB(10, 20, 30));
  Metrics.Load(*SchemeIni("[SysMetrics]\r\nMenu = 1 2 3\r\n"));
  EXPECT_EQ(BrushColor(Old), CLR_INVALID);
  EXPECT_EQ(Metrics.GetColorBrush(1606), nullptr);
  EXPECT_EQ(Metrics.GetColor(1605), RGB(1, 2, 3));
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Metrics.GetFont(801); }),
            "System metrics property [801] is undefined");
}

// Two colours in three sizes: the scheme inis stand colour by colour.
TEST(VsThemesWindowsXP, SchemeIniOfAColour) {
  {
    TStyleModule Style(LightStyle);
    EXPECT_EQ(SchemeIniName(Style.Module, 0), L"BLUE_INI");
  }
  TMadeStyle Made("schemes.dll");
  Made.Add({
      {{L"FILERESNAMES", MAKEINTRESOURCEW(1)},
       Utf16(std::wstring(L"RED_S\0RED_M\0RED_L\0GREEN_S\0GREEN_M\0GREEN_L\0\0", 44))},
      {{L"SIZENAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"S\0M\0L\0\0", 8))},
  });
  TStyleModule Style(Made.Path());
  EXPECT_EQ(SchemeIniName(Style.Module, 0), L"RED_S");
  EXPECT_EQ(SchemeIniName(Style.Module, 1), L"GREEN_S");
  for (int Index : {2, -1, 0x7FFFFFFF})
    EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { SchemeIniName(Style.Module, Index); }),
              "Cannot find an appropriate scheme section")
        << Index;

  TMadeStyle NoFiles("nofiles.dll");
  NoFiles.Add({{{L"FILERESNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"\0", 1))},
               {{L"SIZENAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"S\0", 2))}});
  TStyleModule Empty(NoFiles.Path());
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { SchemeIniName(Empty.Module, 0); }),
            "Cannot find an appropriate scheme section");
}

// ---------------------------------------------------------------------------
// The style-file manager, its themes and parts

namespace {

// The internal id of property Name.
int IdOf(const char* Name) {
  for (int K = 0; K < 8; ++K)
    for (const TTmProperty& P : TmProperties(static_cast<TTmPropertyKind>(K)))
      if (std::string(P.Name) == Name) return P.Id;
  ADD_FAILURE() << "no property " << Name;
  return -1;
}

// A packed BMP (no file header) of W x H at Bpp 24 or 32, bottom-up, each
// pixel Pixel(x, y) as 0xAARRGGBB. With V5 the 32-bpp form is the style
// files' own: a 124-byte header with 8888 bit fields.
std::string Dib(int W, int H, int Bpp, const std::function<uint32_t(int, int)>& Pixel, bool V5 = false) {
  const int HeaderSize = V5 ? 124 : 40;
  std::string B(static_cast<size_t>(HeaderSize), '\0');
  auto Put = [&](size_t At, uint32_t V, int Bytes) {
    for (int I = 0; I < Bytes; ++I) B[At + I] = static_cast<char>(V >> (8 * I));
  };
  Put(0, HeaderSize, 4);
  Put(4, static_cast<uint32_t>(W), 4);
  Put(8, static_cast<uint32_t>(H), 4);
  Put(12, 1, 2);
  Put(14, static_cast<uint32_t>(Bpp), 2);
  if (V5) {
    Put(16, BI_BITFIELDS, 4);
    Put(40, 0x00FF0000, 4);
    Put(44, 0x0000FF00, 4);
    Put(48, 0x000000FF, 4);
    Put(52, 0xFF000000, 4);
  }
  const int Stride = (W * Bpp / 8 + 3) & ~3;
  for (int Y = H - 1; Y >= 0; --Y) {
    std::string Row(static_cast<size_t>(Stride), '\0');
    for (int X = 0; X < W; ++X) {
      const uint32_t P = Pixel(X, Y);
      for (int I = 0; I < Bpp / 8; ++I) Row[static_cast<size_t>(X * Bpp / 8 + I)] = static_cast<char>(P >> (8 * I));
    }
    B += Row;
  }
  return B;
}

using TResources = std::vector<std::pair<std::pair<LPCWSTR, LPCWSTR>, std::string>>;

// A style of one colour scheme "Red" (one size) whose scheme ini is Scheme,
// with the bitmaps Images.
void AddStyle(TMadeStyle& Made, const std::wstring& Scheme, const TResources& Images = {}) {
  TResources R = {
      {{L"TEXTFILE", L"THEMES_INI"},
       Utf16(L"[documentation]\r\nDisplayName =  Made \r\nAuthor = Someone\r\n"
             L"[ColorScheme.Red]\r\nDisplayName = Deep Red \r\n")},
      {{L"COLORNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"Red\0\0", 5))},
      {{L"FILERESNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"RED_INI\0\0", 9))},
      {{L"SIZENAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"Normal\0\0", 8))},
      {{L"TEXTFILE", L"RED_INI"}, Utf16(Scheme)},
  };
  R.insert(R.end(), Images.begin(), Images.end());
  Made.Add(R);
}

std::unique_ptr<TWindowsXPThemeManager> ActiveManager(const WideString& FileName) {
  auto M = std::make_unique<TWindowsXPThemeManager>();
  M->LoadFromFile(FileName);
  M->SetColorScheme(L"");
  return M;
}

}  // namespace

TEST(WindowsXPThemeManager, TheSystemStyle) {
  TWindowsXPThemeManager Manager;
  Manager.LoadFromFile(LightStyle);
  EXPECT_EQ(Manager.GetDisplayName(), L"Light");
  ASSERT_EQ(Manager.GetColorSchemeCount(), 1);
  EXPECT_EQ(Manager.GetColorScheme(0), L"Blue");
  EXPECT_EQ(Manager.GetColorSchemeDisplayName(L"Blue"), L"");

  wchar_t Buffer[32];
  Manager.GetThemeDocumentationProperty(nullptr, L"ToolTip", Buffer, 32);
  EXPECT_STREQ(Buffer, L"Light Visual Style");
  Manager.GetThemeDocumentationProperty(nullptr, L"ToolTip", Buffer, 6);
  EXPECT_STREQ(Buffer, L"Light");
  EXPECT_EQ(
      MessageOf<EWindowsXPThemeError>([&] { Manager.GetThemeDocumentationProperty(nullptr, L"Author", Buffer, 32); }),
      "Documenation property [Author] is undefined");
  for (int Chars : {0, -1})
    EXPECT_EQ(MessageOf<EWindowsXPThemeError>(
                  [&] { Manager.GetThemeDocumentationProperty(nullptr, L"ToolTip", Buffer, Chars); }),
              "Invalid function parameter");
  EXPECT_EQ(
      MessageOf<EWindowsXPThemeError>([&] { Manager.GetThemeDocumentationProperty(nullptr, L"ToolTip", nullptr, 32); }),
      "Invalid function parameter");

  EXPECT_EQ(MessageOf<EThemeError>([&] { Manager.SetColorScheme(L"Green"); }), "Unknown theme color scheme [Green]");
  Manager.Activate(L"");
  EXPECT_EQ(Manager.ColorSchemeName(), L"Blue");
  // The engine's ids, with and without a theme.
  TTheme* Edit = Manager.GetTheme(L"Edit");
  ASSERT_NE(Edit, nullptr);
  for (int I = 0; I < 31; ++I) {
    EXPECT_EQ(Manager.GetThemeSysColor(nullptr, 1601 + I), GetSysColor(I)) << I;
    EXPECT_EQ(Manager.GetThemeSysColor(Edit->Handle(), 1601 + I), GetSysColor(I)) << I;
  }
  EXPECT_EQ(Manager.GetThemeSysColorBrush(nullptr, 1606), Manager.GetThemeSysColorBrush(Edit->Handle(), 1606));
  EXPECT_EQ(Manager.GetThemeSysSize(Edit->Handle(), 1202), 17);
  EXPECT_TRUE(Manager.GetThemeSysBool(Edit->Handle(), 1001));
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Manager.GetThemeSysColor(nullptr, 5); }),
            "System metrics property [5] is undefined");

  Manager.Unload();
  EXPECT_EQ(Manager.Module(), nullptr);
  EXPECT_EQ(Manager.GetColorSchemeCount(), 0);
  EXPECT_EQ(Manager.SchemeIni().SubKeysCount(""), 0);
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Manager.GetDisplayName(); }), "No display name for this theme");
}

TEST(WindowsXPThemeManager, ClassListsChooseTheirTheme) {
  const struct {
    const wchar_t* List;
    bool Themed;
    TWindowsXPThemeClass Class;
  } Cases[] = {
      {L"Button", true, TWindowsXPThemeClass::Button},       {L"edit;combobox", true, TWindowsXPThemeClass::Edit},
      {L"ScrollBarX", true, TWindowsXPThemeClass::ScrollBar}, {L"TabX", true, TWindowsXPThemeClass::Tab},
      {L"ToolBar", true, TWindowsXPThemeClass::ToolBar},      {L"Window", true, TWindowsXPThemeClass::Window},
      {L"globals", true, TWindowsXPThemeClass::Globals},      {L"ExplorerBar", true, TWindowsXPThemeClass::ExplorerBar},
      {L"Rebar", false, {}},                                  {L"", false, {}},
      {L" Button", false, {}},                                {L"Butto", false, {}},
  };
  TWindowsXPThemeManager Manager;
  Manager.LoadFromFile(LightStyle);
  Manager.Activate(L"Blue");
  for (const auto& C : Cases) {
    TWindowsXPThemeClass Class = TWindowsXPThemeClass::Globals;
    EXPECT_EQ(WindowsXPThemeClassOf(C.List, Class), C.Themed) << WideToAnsi(C.List);
    if (C.Themed) {
      EXPECT_EQ(Class, C.Class) << WideToAnsi(C.List);
    }
    TTheme* Theme = Manager.OpenThemeData(nullptr, C.List);
    EXPECT_EQ(Theme != nullptr, C.Themed) << WideToAnsi(C.List);
    if (Theme) {
      EXPECT_EQ(Theme->Manager(), &Manager);
    }
  }
}

// Colour 1 of two in three sizes reads entry 3 of the scheme files; every
// value is read trimmed.
TEST(WindowsXPThemeManager, SchemesAndTheirMetrics) {
  TMadeStyle Made("twocolours.dll");
  Made.Add({
      {{L"TEXTFILE", L"THEMES_INI"}, Utf16(L"[Documentation]\r\nDisplayName =   Two  \r\n")},
      {{L"COLORNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"Red\0Green\0\0", 11))},
      {{L"FILERESNAMES", MAKEINTRESOURCEW(1)},
       Utf16(std::wstring(L"RED_S\0RED_M\0RED_L\0GREEN_S\0GREEN_M\0GREEN_L\0\0", 44))},
      {{L"SIZENAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"S\0M\0L\0\0", 8))},
      {{L"TEXTFILE", L"RED_S"}, Utf16(L"[SysMetrics]\r\nWindow = 200 10 20\r\n")},
      {{L"TEXTFILE", L"GREEN_S"}, Utf16(L"[SysMetrics]\r\nWindow =   10 200 20  \r\nScrollbarWidth = 21\r\n")},
  });
  TWindowsXPThemeManager Manager;
  Manager.LoadFromFile(Made.Path());
  EXPECT_EQ(Manager.GetDisplayName(), L"Two");
  Manager.SetColorScheme(L"");
  EXPECT_EQ(Manager.ColorSchemeName(), L"Red");
  EXPECT_EQ(Manager.GetThemeSysColor(nullptr, 1606), RGB(200, 10, 20));
  TTheme* Theme = Manager.GetTheme(L"BUTTON");
  Manager.SetColorScheme(L"Green");
  EXPECT_FALSE(IsThemeHandle(reinterpret_cast<HTHEME>(Theme)));  // themes of the old scheme are gone
  EXPECT_EQ(Manager.GetThemeSysColor(nullptr, 1606), RGB(10, 200, 20));
  EXPECT_EQ(Manager.GetTheme(L"BUTTON")->GetThemeSysSize(1202), 21);

  // A style without schemes has no scheme ini to choose.
  TMadeStyle NoSchemes("noschemes.dll");
  NoSchemes.Add({{{L"TEXTFILE", L"THEMES_INI"}, Utf16(L"[Documentation]\r\n")},
                 {{L"COLORNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"\0", 1))},
                 {{L"FILERESNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"A_INI\0\0", 7))},
                 {{L"SIZENAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"S\0\0", 3))}});
  TWindowsXPThemeManager Empty;
  Empty.LoadFromFile(NoSchemes.Path());
  EXPECT_EQ(MessageOf<EWindowsXPThemeError>([&] { Empty.SetColorScheme(L""); }),
            "Cannot find an appropriate scheme section");

  // Without its master ini the file does not load, and is let go.
  TMadeStyle NoMaster("nomaster.dll");
  NoMaster.Add({{{L"COLORNAMES", MAKEINTRESOURCEW(1)}, Utf16(std::wstring(L"Red\0\0", 5))}});
  EXPECT_EQ(CreateThemeManager(NoMaster.Path().c_str()), nullptr);
  EXPECT_TRUE(DeleteFileW(NoMaster.Path().c_str()));
}

TEST(WindowsXPThemePart, PartsOfTheSystemStyle) {
  auto Manager = ActiveManager(LightStyle);
  auto* Theme = static_cast<TWindowsXPTheme*>(Manager->GetTheme(L"BUTTON"));
  TDataPart Push(Theme, nullptr, "Button.Pushbutton");
  const MARGINS Sizing = Push.GetMargins(IdOf("SizingMargins"));
  EXPECT_EQ((std::vector<int>{Sizing.cxLeftWidth, Sizing.cxRightWidth, Sizing.cyTopHeight, Sizing.cyBottomHeight}),
            (std::vector<int>{8, 8, 8, 8}));
  EXPECT_EQ(Push.GetFileName(IdOf("ImageFile")), "blue_button.bmp");
  EXPECT_EQ(Push.GetInt(IdOf("ImageCount")), 6);
  EXPECT_EQ(Push.GetColor(IdOf("TextColor")), RGB(0, 0, 0));
  EXPECT_EQ(Push.BgType(), 2);
  EXPECT_EQ(Push.SizingType(), 0);
  EXPECT_EQ(Push.ImageLayout(), 0);
  ASSERT_NE(Push.Image(TWindowsXPThemePart::MainImage), nullptr);
  const int Height = Push.Image(TWindowsXPThemePart::MainImage)->Height();
  const auto& Frames = Push.Frames(TWindowsXPThemePart::MainImage);
  ASSERT_EQ(Frames.size(), 6u);
  EXPECT_EQ(Frames[5].bottom, Height / 6 * 6);
  EXPECT_EQ(Push.Image(TWindowsXPThemePart::GlyphImage), nullptr);

  TDataPart Check(Theme, nullptr, "Button.Checkbox");
  EXPECT_EQ(Check.GetInt(IdOf("ImageCount")), 20);
  for (int K = 1; K <= 5; ++K) {
    ASSERT_NE(Check.Image(TWindowsXPThemePart::SizedImage(K)), nullptr) << K;
    EXPECT_EQ(Check.Frames(TWindowsXPThemePart::SizedImage(K)).size(), 20u) << K;
  }
  EXPECT_EQ(Check.ImageSelectType(), 1);
}

// Sections whose values show the parsers, the inheritance and the defined
// bits; the schema number in every message.
TEST(WindowsXPThemePart, ValuesAndInheritance) {
  TMadeStyle Made("values.dll");
  AddStyle(Made, L"[Parent]\r\n"
                 L"ImageCount = 5\r\n"
                 L"TextColor = 1 2 3\r\n"
                 L"ContentMargins = 4, 5, 6, 7\r\n"
                 L"BgType = ImageFile\r\n"
                 L"[Child]\r\n"
                 L"SizingMargins = 1, 2, 3\r\n"
                 L"ContentMargins = 2, 2, 3, 3\r\n"
                 L"BgType = Image File\r\n"
                 L"SizingType =  TILE \r\n"
                 L"IntegralSizing = true\r\n"
                 L"Offset = 3, x\r\n"
                 L"MinSize = 7\r\n"
                 L"NormalIndex = 9\r\n"
                 L"Transparent = yes\r\n"
                 L"ImageFile =  a b.bmp \r\n");
  auto Manager = ActiveManager(Made.Path());
  auto* Theme = static_cast<TWindowsXPTheme*>(Manager->GetTheme(L"BUTTON"));
  TDataPart Parent(Theme, nullptr, "parent");
  TDataPart Child(Theme, &Parent, "Child");
  TDataPart Missing(Theme, &Child, "NoSuchSection");

  auto Fields = [](const MARGINS& M) {
    return std::vector<int>{M.cxLeftWidth, M.cxRightWidth, M.cyTopHeight, M.cyBottomHeight};
  };
  EXPECT_EQ(Fields(Child.GetMargins(IdOf("SizingMargins"))), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(Fields(Child.GetMargins(IdOf("ContentMargins"))), (std::vector<int>{2, 2, 3, 3}));
  EXPECT_EQ(Fields(Parent.GetMargins(IdOf("ContentMargins"))), (std::vector<int>{4, 5, 6, 7}));
  EXPECT_EQ(Child.BgType(), 0);
  EXPECT_EQ(Child.SizingType(), 2);
  EXPECT_EQ(Child.GetPosition(IdOf("Offset")).x, 3);
  EXPECT_EQ(Child.GetSize(IdOf("MinSize")).x, 0);  // no second part: all of the default
  EXPECT_FALSE(Child.GetBool(IdOf("Transparent")));
  EXPECT_EQ(Child.GetFileName(IdOf("ImageFile")), "a b.bmp");
  EXPECT_TRUE(Child.IsOwnPropertyDefined(IdOf("IconEffect")));  // one bit with IntegralSizing

  // Inherited through a section that does not exist.
  EXPECT_EQ(Missing.GetInt(IdOf("ImageCount")), 5);
  EXPECT_EQ(Missing.GetColor(IdOf("TextColor")), RGB(1, 2, 3));
  EXPECT_EQ(Missing.SizingType(), 2);
  EXPECT_TRUE(Missing.IsPropertyDefined(IdOf("ImageCount")));
  EXPECT_FALSE(Missing.IsOwnPropertyDefined(IdOf("ImageCount")));
  EXPECT_FALSE(Missing.IsPropertyDefined(IdOf("Width")));
  EXPECT_FALSE(Missing.IsPropertyDefined(-1));
  EXPECT_FALSE(Missing.IsPropertyDefined(TmPropertyIdCount));

  const struct {
    std::function<void()> Query;
    const char* Message;
  } Errors[] = {
      {[&] { Missing.GetInt(IdOf("Width")); }, "Theme property [2416] is undefined"},
      {[&] { Parent.GetInt(IdOf("NormalIndex")); }, "Theme property [0] is undefined"},
      {[&] { Parent.VAlign(); }, "Theme property [4007] is undefined"},
      {[&] { Parent.GetInt(IdOf("TextColor")); }, "Invalid function parameter"},
      {[&] { Parent.GetColor(IdOf("ImageCount")); }, "Invalid function parameter"},
      {[&] { Parent.GetBool(IdOf("IconEffect")); }, "Theme property [2211] is undefined"},
      {[&] { Parent.GetBool(-5); }, "Invalid function parameter"},
      {[&] { Parent.GetFileName(TmPropertyIdCount); }, "Invalid function parameter"},
      // By schema number only the part's own values count.
      {[&] { Missing.OwnPropertyId(TTmPropertyKind::Integer, 2401); }, "Theme property [2401] is undefined"},
      {[&] { Child.OwnPropertyId(TTmPropertyKind::Integer, 0); }, "Theme property [0] is undefined"},
      {[&] { Child.OwnPropertyId(TTmPropertyKind::Color, 2401); }, "Theme property [2401] is undefined"},
  };
  for (const auto& E : Errors) EXPECT_EQ(MessageOf<EWindowsXPThemeError>(E.Query), E.Message);
  EXPECT_EQ(Parent.OwnPropertyId(TTmPropertyKind::Integer, 2401), IdOf("ImageCount"));
  EXPECT_EQ(Child.GetInt(IdOf("NormalIndex")), 9);
}

// Images come from the style's bitmaps, cut into ImageCount frames along the
// layout; a count that cannot be cut is made one that can.
TEST(WindowsXPThemePart, ImagesAndFrames) {
  TMadeStyle Made("images.dll");
  const auto Grey = [](int, int) { return 0x00808080u; };
  AddStyle(Made,
           L"[Root]\r\nImageCount = 5\r\nImageFile = wide.bmp\r\n"
           L"[Inherits]\r\n"
           L"[Tall]\r\nImageFile = tall.bmp\r\nImageLayout = vertical\r\nImageCount = 4\r\n"
           L"[Zero]\r\nImageFile = wide.bmp\r\nImageCount = 0\r\n"
           L"[Negative]\r\nImageFile = wide.bmp\r\nImageCount = -3\r\n"
           L"[Many]\r\nImageFile = Wide.BMP\r\nImageCount = 1000\r\n"
           L"[Uneven]\r\nImageFile = wide.bmp\r\nImageCount = 7\r\n"
           L"[Absent]\r\nImageFile = none.bmp\r\nGlyphImageFile = wide.bmp\r\n"
           L"[Broken]\r\nImageFile = broken.bmp\r\n",
           {{{MAKEINTRESOURCEW(2), L"WIDE_BMP"}, Dib(60, 4, 24, Grey)},
            {{MAKEINTRESOURCEW(2), L"TALL_BMP"}, Dib(3, 10, 24, Grey)},
            {{MAKEINTRESOURCEW(2), L"BROKEN_BMP"}, Dib(60, 4, 24, Grey).substr(0, 60)}});
  auto Manager = ActiveManager(Made.Path());
  auto* Theme = static_cast<TWindowsXPTheme*>(Manager->GetTheme(L"BUTTON"));
  TDataPart Root(Theme, nullptr, "Root");
  const struct {
    const char* Section;
    std::vector<RECT> Frames;
  } Cases[] = {
      {"Root", {{0, 0, 12, 4}, {12, 0, 24, 4}, {24, 0, 36, 4}, {36, 0, 48, 4}, {48, 0, 60, 4}}},
      {"Inherits", {{0, 0, 12, 4}, {12, 0, 24, 4}, {24, 0, 36, 4}, {36, 0, 48, 4}, {48, 0, 60, 4}}},
      {"Tall", {{0, 0, 3, 2}, {0, 2, 3, 4}, {0, 4, 3, 6}, {0, 6, 3, 8}}},
      {"Zero", {{0, 0, 60, 4}}},
      {"Negative", {{0, 0, 60, 4}}},
      {"Uneven", {{0, 0, 8, 4}, {8, 0, 16, 4}, {16, 0, 24, 4}, {24, 0, 32, 4}, {32, 0, 40, 4}, {40, 0, 48, 4},
                  {48, 0, 56, 4}}},
  };
  for (const auto& C : Cases) {
    TDataPart Part(Theme, &Root, C.Section);
    ASSERT_NE(Part.Image(TWindowsXPThemePart::MainImage), nullptr) << C.Section;
    const auto& F = Part.Frames(TWindowsXPThemePart::MainImage);
    ASSERT_EQ(F.size(), C.Frames.size()) << C.Section;
    for (size_t I = 0; I < F.size(); ++I)
      EXPECT_TRUE(EqualRect(&F[I], &C.Frames[I])) << C.Section << " frame " << I;
  }
  TDataPart Many(Theme, &Root, "Many");
  ASSERT_EQ(Many.Frames(TWindowsXPThemePart::MainImage).size(), 60u);
  EXPECT_EQ(Many.Frames(TWindowsXPThemePart::MainImage)[59].left, 59);

  // An image that is not there or does not read stays nil; the rest loads.
  TDataPart Absent(Theme, &Root, "Absent");
  EXPECT_EQ(Absent.Image(TWindowsXPThemePart::MainImage), nullptr);
  EXPECT_TRUE(Absent.Frames(TWindowsXPThemePart::MainImage).empty());
  ASSERT_NE(Absent.Image(TWindowsXPThemePart::GlyphImage), nullptr);
  EXPECT_EQ(Absent.Frames(TWindowsXPThemePart::GlyphImage).size(), 5u);
  TDataPart Broken(Theme, &Root, "Broken");
  EXPECT_EQ(Broken.Image(TWindowsXPThemePart::MainImage), nullptr);

  // A part whose theme has no manager reads nothing.
  TWindowsXPTheme Orphan(nullptr);
  TDataPart Alone(&Orphan, nullptr, "Root");
  EXPECT_FALSE(Alone.IsOwnPropertyDefined(IdOf("ImageCount")));
  EXPECT_EQ(Alone.Image(TWindowsXPThemePart::MainImage), nullptr);
}

// A 32-bpp image keeps its alpha bytes, in the style files' own header form
// and the plain one; an image of zeros stays zeros.
TEST(WindowsXPThemePart, ImagesKeepTheirAlpha) {
  TMadeStyle Made("alpha.dll");
  const auto Alpha = [](int X, int Y) { return (static_cast<uint32_t>(0x20 + 0x30 * X) << 24) | (0x00C08040u + Y); };
  AddStyle(Made,
           L"[V5]\r\nImageFile = v5.bmp\r\n[Plain]\r\nImageFile = plain.bmp\r\n[Zero]\r\nImageFile = zero.bmp\r\n",
           {{{MAKEINTRESOURCEW(2), L"V5_BMP"}, Dib(4, 2, 32, Alpha, true)},
            {{MAKEINTRESOURCEW(2), L"PLAIN_BMP"}, Dib(4, 2, 32, Alpha)},
            {{MAKEINTRESOURCEW(2), L"ZERO_BMP"},
             Dib(
                 4, 2, 32, [](int, int) { return 0u; }, true)}});
  auto Manager = ActiveManager(Made.Path());
  auto* Theme = static_cast<TWindowsXPTheme*>(Manager->GetTheme(L"BUTTON"));
  for (const char* Section : {"V5", "Plain", "Zero"}) {
    TDataPart Part(Theme, nullptr, Section);
    TBitmap* Image = Part.Image(TWindowsXPThemePart::MainImage);
    ASSERT_NE(Image, nullptr) << Section;
    ASSERT_EQ(Image->PixelFormat(), pf32bit) << Section;
    for (int Y = 0; Y < 2; ++Y) {
      const auto* Row = static_cast<const uint32_t*>(Image->ScanLine(Y));
      for (int X = 0; X < 4; ++X)
        EXPECT_EQ(Row[X], std::string(Section) == "Zero" ? 0u : Alpha(X, Y)) << Section << " " << X << "," << Y;
    }
  }
}

// The small test style: two colours in three sizes, each scheme with system
// colours of its own that no prefix shows, and its three kinds of image.
TEST(WindowsXPThemeManager, TheTestStyle) {
  TWindowsXPThemeManager Manager;
  Manager.LoadFromFile(AnsiToWide(FIXTURE_STYLE));
  EXPECT_EQ(Manager.GetDisplayName(), L"Fixture");
  EXPECT_EQ(Manager.GetColorSchemeDisplayName(L"Dusk"), L"Dusk at night");
  Manager.Activate(L"Dusk");  // colour 1 of 3 sizes: scheme file 3, "DUSK_SMALL_INI"
  const COLORREF Dusk = Manager.GetThemeSysColor(nullptr, 1601);
  EXPECT_EQ(Dusk, RGB(7, 43, 251));
  EXPECT_TRUE(Manager.GetThemeSysBool(Manager.GetTheme(L"Window")->Handle(), 1001));
  Manager.Activate(L"");
  EXPECT_EQ(Manager.ColorSchemeName(), L"Dawn");
  std::set<COLORREF> Colors;
  for (int I = 0; I < 31; ++I) {
    const COLORREF C = Manager.GetThemeSysColor(nullptr, 1601 + I);
    EXPECT_NE(C, GetSysColor(I)) << I;
    Colors.insert(C);
  }
  EXPECT_EQ(Colors.size(), 31u);
  EXPECT_EQ(Colors.count(Dusk), 0u);

  auto* Theme = static_cast<TWindowsXPTheme*>(Manager.GetTheme(L"Button"));
  EXPECT_EQ(Theme->GetThemeSysSize(1202), 15);
  LOGFONTW Font;
  Theme->GetThemeSysFont(801, Font);
  EXPECT_STREQ(Font.lfFaceName, L"Tahoma");
  EXPECT_EQ(Font.lfWeight, 700);
  const struct {
    const char* Section;
    int Image;
    TPixelFormat Format;
    size_t Frames;
  } Images[] = {
      {"Button.Pushbutton", TWindowsXPThemePart::MainImage, pf24bit, 4},
      {"Button.Checkbox", TWindowsXPThemePart::SizedImage(1), pf32bit, 2},
      {"ScrollBar.GripperHorz", TWindowsXPThemePart::MainImage, pf32bit, 1},
  };
  for (const auto& I : Images) {
    TDataPart Part(Theme, nullptr, I.Section);
    ASSERT_NE(Part.Image(I.Image), nullptr) << I.Section;
    EXPECT_EQ(Part.Image(I.Image)->PixelFormat(), I.Format) << I.Section;
    EXPECT_EQ(Part.Frames(I.Image).size(), I.Frames) << I.Section;
  }
}

// Every section of the system style reads, and every image a section names
// or inherits loads; the values the platform's library reads from its own
// sections are the part's own.
TEST(WindowsXPThemePart, EverySectionOfTheSystemStyle) {
  auto Manager = ActiveManager(LightStyle);
  auto* Theme = static_cast<TWindowsXPTheme*>(Manager->GetTheme(L"GLOBALS"));
  TStringList Sections;
  Manager->SchemeIni().EnumSubKeys("", &Sections);
  ASSERT_EQ(Sections.Count(), 242);
  TDataPart Globals(Theme, nullptr, "Globals");
  int Images = 0;
  for (int S = 0; S < Sections.Count(); ++S) {
    TDataPart Part(Theme, &Globals, Sections.Strings(S));
    for (int I = 0; I < TWindowsXPThemePart::ImageCount; ++I) {
      if (!Part.IsPropertyDefined(TmProperties(TTmPropertyKind::FileName)[static_cast<size_t>(I)].Id)) continue;
      ++Images;
      ASSERT_NE(Part.Image(I), nullptr) << Sections.Strings(S) << " image " << I;
      EXPECT_FALSE(Part.Frames(I).empty()) << Sections.Strings(S) << " image " << I;
    }
  }
  EXPECT_GT(Images, 380);

  BindUxTheme();
  ASSERT_TRUE(ThemesAvailable);
  const HTHEME Button = VsUxThemeApi.OpenThemeData(nullptr, L"BUTTON");
  ASSERT_NE(Button, nullptr);
  TDataPart Push(Theme, nullptr, "Button.Pushbutton"), Check(Theme, nullptr, "Button.Checkbox");
  MARGINS Platform = {};
  ASSERT_EQ(VsUxThemeApi.GetThemeMargins(Button, nullptr, 1, 0, 3601, nullptr, &Platform), S_OK);
  const MARGINS Own = Push.GetMargins(IdOf("SizingMargins"));
  EXPECT_EQ(std::memcmp(&Own, &Platform, sizeof Own), 0);
  int Count = 0;
  ASSERT_EQ(VsUxThemeApi.GetThemeInt(Button, 3, 0, 2401, &Count), S_OK);
  EXPECT_EQ(Check.GetInt(IdOf("ImageCount")), Count);
  EXPECT_EQ(Count, 20);
  wchar_t File[MAX_PATH];
  ASSERT_EQ(VsUxThemeApi.GetThemeFilename(Button, 1, 0, 3001, File, MAX_PATH), S_OK);
  EXPECT_EQ(AnsiToWide(Push.GetFileName(IdOf("ImageFile"))), File);
  VsUxThemeApi.CloseThemeData(Button);
}
