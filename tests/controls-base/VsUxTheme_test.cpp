#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "TestSupport.h"
#include "VsUxTheme.h"

#include <vssym32.h>

namespace {

void TableEntries(FARPROC (&Entries)[VsUxThemeEntryCount]) { std::memcpy(Entries, &VsUxThemeApi, sizeof Entries); }

// Each test starts and ends with the table unbound.
class UxThemeTable : public ::testing::Test {
protected:
  void SetUp() override { UnbindUxTheme(); }
  void TearDown() override { UnbindUxTheme(); }
};

// A 32 x 32 bitmap selected into a memory DC, filled with one colour.
struct TCanvasDC {
  HDC DC = CreateCompatibleDC(nullptr);
  HBITMAP Bitmap = nullptr;
  HGDIOBJ Old = nullptr;
  TCanvasDC() {
    BITMAPINFO Info = {};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = 32;
    Info.bmiHeader.biHeight = 32;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    void* Bits = nullptr;
    Bitmap = CreateDIBSection(DC, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    Old = SelectObject(DC, Bitmap);
    const RECT R = {0, 0, 32, 32};
    HBRUSH Brush = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(DC, &R, Brush);
    DeleteObject(Brush);
  }
  ~TCanvasDC() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
  int ChangedPixels() const {
    int N = 0;
    for (int Y = 0; Y < 32; ++Y)
      for (int X = 0; X < 32; ++X)
        if (GetPixel(DC, X, Y) != RGB(1, 2, 3)) ++N;
    return N;
  }
};

}  // namespace

TEST_F(UxThemeTable, UnboundTableIsEmpty) {
  FARPROC Entries[VsUxThemeEntryCount];
  TableEntries(Entries);
  for (int I = 0; I < VsUxThemeEntryCount; ++I) EXPECT_EQ(Entries[I], nullptr) << VsUxThemeExportNames[I];
  EXPECT_FALSE(ThemesAvailable);

  TCanvasDC Canvas;
  const RECT R = {0, 0, 32, 32};
  EXPECT_EQ(DrawThemedClassBackground(L"BUTTON", Canvas.DC, BP_PUSHBUTTON, PBS_NORMAL, &R, nullptr), E_NOTIMPL);
  EXPECT_EQ(Canvas.ChangedPixels(), 0);
}

TEST_F(UxThemeTable, BindsEveryEntryToTheSystemLibrary) {
  BindUxTheme();
  ASSERT_TRUE(ThemesAvailable);
  const HMODULE Library = GetModuleHandleA("uxtheme.dll");
  ASSERT_NE(Library, nullptr);
  FARPROC Entries[VsUxThemeEntryCount];
  TableEntries(Entries);
  for (int I = 0; I < VsUxThemeEntryCount; ++I) {
    EXPECT_NE(Entries[I], nullptr) << VsUxThemeExportNames[I];
    EXPECT_EQ(Entries[I], GetProcAddress(Library, VsUxThemeExportNames[I])) << VsUxThemeExportNames[I];
  }
  EXPECT_EQ(reinterpret_cast<void*>(VsUxThemeApi.GetThemeFilename),
            reinterpret_cast<void*>(GetProcAddress(Library, "GetThemeFilename")));
  EXPECT_EQ(reinterpret_cast<void*>(VsUxThemeApi.GetThemeDocumentationProperty), reinterpret_cast<void*>(Entries[46]));

  BindUxTheme();  // a second bind changes nothing
  FARPROC Again[VsUxThemeEntryCount];
  TableEntries(Again);
  EXPECT_EQ(std::memcmp(Entries, Again, sizeof Again), 0);

  UnbindUxTheme();
  EXPECT_FALSE(ThemesAvailable);
  TableEntries(Entries);
  for (int I = 0; I < VsUxThemeEntryCount; ++I) EXPECT_EQ(Entries[I], nullptr) << VsUxThemeExportNames[I];
}

// The prefix runs its own style, so the bound entries answer from it.
TEST_F(UxThemeTable, BoundEntriesCallTheSystem) {
  BindUxTheme();
  const TVsUxThemeApi& Api = VsUxThemeApi;
  EXPECT_TRUE(Api.IsThemeActive());
  EXPECT_TRUE(Api.IsAppThemed());

  WCHAR File[MAX_PATH] = {}, Color[64] = {};
  ASSERT_EQ(Api.GetCurrentThemeName(File, MAX_PATH, Color, 64, nullptr, 0), S_OK);
  const std::wstring FileName(File);
  EXPECT_EQ(FileName.substr(FileName.size() - 14), L"light.msstyles");
  EXPECT_STREQ(Color, L"Blue");

  const HTHEME Theme = Api.OpenThemeData(nullptr, L"BUTTON");
  ASSERT_NE(Theme, nullptr);
  WCHAR Image[MAX_PATH] = {};
  EXPECT_EQ(Api.GetThemeFilename(Theme, BP_PUSHBUTTON, 0, TMT_IMAGEFILE, Image, MAX_PATH), S_OK);
  EXPECT_STREQ(Image, L"blue_button.bmp");
  MARGINS Margins = {};
  EXPECT_EQ(Api.GetThemeMargins(Theme, nullptr, BP_PUSHBUTTON, 0, TMT_SIZINGMARGINS, nullptr, &Margins), S_OK);
  EXPECT_EQ(Margins.cxLeftWidth, 8);
  EXPECT_EQ(Margins.cyBottomHeight, 8);
  EXPECT_TRUE(Api.IsThemePartDefined(Theme, BP_PUSHBUTTON, 0));
  EXPECT_EQ(Api.CloseThemeData(Theme), S_OK);

  EXPECT_EQ(Api.OpenThemeData(nullptr, L"NOSUCHCLASS"), nullptr);
}

TEST_F(UxThemeTable, DrawThemedClassBackground) {
  BindUxTheme();
  const RECT R = {0, 0, 32, 32};
  {
    TCanvasDC Canvas;
    EXPECT_EQ(DrawThemedClassBackground(L"BUTTON", Canvas.DC, BP_PUSHBUTTON, PBS_NORMAL, &R, nullptr), S_OK);
    EXPECT_GT(Canvas.ChangedPixels(), 0);
  }
  {
    TCanvasDC Canvas;
    EXPECT_EQ(DrawThemedClassBackground(L"NOSUCHCLASS", Canvas.DC, 1, 1, &R, nullptr), E_NOTIMPL);
    EXPECT_EQ(Canvas.ChangedPixels(), 0);
  }
}

// Run by OlderSystemsBindNothing in a copy of this program that the prefix
// makes believe it runs on an older system; passes only when nothing binds.
TEST(UxThemeVersions, ChildBindsNothing) {
  if (!std::getenv("VSUXTHEME_CHILD")) GTEST_SKIP() << "run by OlderSystemsBindNothing";
  BindUxTheme();
  EXPECT_FALSE(ThemesAvailable);
  FARPROC Entries[VsUxThemeEntryCount];
  TableEntries(Entries);
  for (int I = 0; I < VsUxThemeEntryCount; ++I) EXPECT_EQ(Entries[I], nullptr) << VsUxThemeExportNames[I];
}

TEST(UxThemeVersions, OlderSystemsBindNothing) {
  for (const char* Version : {"win2k", "win98"}) {
    DWORD Exit = 0;
    EXPECT_EQ(RunCopyOnVersion("vsuxtheme", Version, "UxThemeVersions.ChildBindsNothing", L"VSUXTHEME_CHILD", Exit),
              "")
        << Version;
    EXPECT_EQ(Exit, 0u) << Version;
  }
}
