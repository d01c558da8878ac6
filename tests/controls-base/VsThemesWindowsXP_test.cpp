#include <gtest/gtest.h>

#include <cstdint>
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
#include "VsIni.h"
#include "VsThemesWindowsXP.h"
#include "VsTmSchema.h"

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
