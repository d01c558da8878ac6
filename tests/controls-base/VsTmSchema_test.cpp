#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "SysUtils.h"
#include "VsTmSchema.h"

namespace {

const TTmPropertyKind AllKinds[] = {TTmPropertyKind::Boolean,  TTmPropertyKind::Color,
                                    TTmPropertyKind::Integer,  TTmPropertyKind::Margins,
                                    TTmPropertyKind::Position, TTmPropertyKind::Size,
                                    TTmPropertyKind::FileName, TTmPropertyKind::Enumeration};

std::set<int> Range(int First, int Last) {
  std::set<int> S;
  for (int I = First; I <= Last; ++I) S.insert(I);
  return S;
}

std::set<int> SchemaNumbers(TTmPropertyKind Kind) {
  std::set<int> S;
  for (const TTmProperty& P : TmProperties(Kind)) S.insert(P.SchemaNumber);
  return S;
}

bool SameMargins(const MARGINS& A, const MARGINS& B) {
  return A.cxLeftWidth == B.cxLeftWidth && A.cxRightWidth == B.cxRightWidth &&
         A.cyTopHeight == B.cyTopHeight && A.cyBottomHeight == B.cyBottomHeight;
}

}  // namespace

// The internal id of a name is its place in the alphabetical list; the one
// exception is "IntegralSizing", which shares "IconEffect"'s id.
TEST(VsTmSchema, IdsFollowTheAlphabeticalOrderOfTheNames) {
  std::vector<std::pair<std::string, int>> All;
  for (TTmPropertyKind Kind : AllKinds)
    for (const TTmProperty& P : TmProperties(Kind)) All.emplace_back(P.Name, P.Id);
  ASSERT_EQ(All.size(), 95u);

  std::vector<std::pair<std::string, int>> Sorted;
  for (const auto& [Name, Id] : All)
    if (Name != "IntegralSizing") Sorted.emplace_back(LowerCase(Name), Id);
  std::sort(Sorted.begin(), Sorted.end());
  for (size_t I = 0; I < Sorted.size(); ++I) EXPECT_EQ(Sorted[I].second, static_cast<int>(I)) << Sorted[I].first;
  EXPECT_EQ(Sorted.size(), static_cast<size_t>(TmPropertyIdCount));

  const auto Booleans = TmProperties(TTmPropertyKind::Boolean);
  const auto Integral = std::find_if(Booleans.begin(), Booleans.end(),
                                     [](const TTmProperty& P) { return std::string(P.Name) == "IntegralSizing"; });
  ASSERT_NE(Integral, Booleans.end());
  EXPECT_EQ(Integral->Id, TmProperties(TTmPropertyKind::Enumeration)[static_cast<int>(TTmEnumeration::IconEffect)].Id);
}

TEST(VsTmSchema, TablesHoldThePublishedSchemaNumbers) {
  EXPECT_EQ(TmProperties(TTmPropertyKind::Boolean).size(), 13u);
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Boolean), Range(2201, 2213));

  std::set<int> Colors = Range(3801, 3823);
  Colors.erase(3819);  // the glyph colours have no value slot
  Colors.erase(3820);
  Colors.insert(204);
  Colors.insert(1627);
  EXPECT_EQ(TmProperties(TTmPropertyKind::Color).size(), 23u);
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Color), Colors);

  std::set<int> Integers = Range(2401, 2424);
  Integers.insert(0);  // "NormalIndex"
  EXPECT_EQ(TmProperties(TTmPropertyKind::Integer).size(), 25u);
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Integer), Integers);

  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Margins), Range(3601, 3603));
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Position), Range(3401, 3402));
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Size), Range(3403, 3409));
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::FileName), Range(3001, 3008));
  std::set<int> Enumerations = Range(4001, 4015);
  Enumerations.erase(4014);
  EXPECT_EQ(SchemaNumbers(TTmPropertyKind::Enumeration), Enumerations);
}

TEST(VsTmSchema, SchemaNumberLookup) {
  struct Case {
    TTmPropertyKind Kind;
    int Number;
    const char* Name;  // nullptr: not found
  } Cases[] = {
      {TTmPropertyKind::Integer, 2401, "ImageCount"},
      {TTmPropertyKind::Integer, 0, nullptr},  // "NormalIndex" is never asked for
      {TTmPropertyKind::Color, 204, "Color"},
      {TTmPropertyKind::Color, 1627, "HotTracking"},
      {TTmPropertyKind::Color, 3819, nullptr},
      {TTmPropertyKind::FileName, 3001, "ImageFile"},
      {TTmPropertyKind::FileName, 3008, "GlyphImageFile"},
      {TTmPropertyKind::Enumeration, 4009, "IconEffect"},
      {TTmPropertyKind::Enumeration, 4015, "TrueSizeScalingType"},
      {TTmPropertyKind::Boolean, 2401, nullptr},  // a number of another kind
  };
  for (const Case& C : Cases) {
    const int I = TmIndexOfSchemaNumber(C.Kind, C.Number);
    if (!C.Name) {
      EXPECT_EQ(I, -1) << C.Number;
    } else {
      ASSERT_GE(I, 0) << C.Number;
      EXPECT_STREQ(TmProperties(C.Kind)[I].Name, C.Name);
    }
  }
  // The enumeration table is in the order of TTmEnumeration.
  EXPECT_STREQ(TmProperties(TTmPropertyKind::Enumeration)[static_cast<int>(TTmEnumeration::SizingType)].Name,
               "SizingType");
  EXPECT_STREQ(TmProperties(TTmPropertyKind::Enumeration)[static_cast<int>(TTmEnumeration::VAlign)].Name, "VAlign");
}

// Values arrive as the style writes them, after "Name =": with a leading blank.
TEST(VsTmSchema, NumbersBooleansAndColours) {
  EXPECT_EQ(StrToTmBool(" True", 7), 1);
  EXPECT_EQ(StrToTmBool("FALSE ", 7), 0);
  EXPECT_EQ(StrToTmBool(" yes", 7), 7);

  EXPECT_EQ(StrToTmInt(" 17"), 17);
  EXPECT_EQ(StrToTmInt(" -5 "), -5);
  EXPECT_EQ(StrToTmInt(" 17px"), 0);
  EXPECT_EQ(StrToTmInt(""), 0);

  const COLORREF Default = RGB(9, 9, 9);
  struct {
    const char* Text;
    COLORREF Value;
  } Colors[] = {
      {" 174 174 174", RGB(174, 174, 174)},  // the red is not lost
      {"1   2    3 ", RGB(1, 2, 3)},
      {" x 2 3", RGB(0, 2, 3)},
      {" 256 0 1", RGB(0, 0, 1)},
      {" 255 0", Default},
      {" 255", Default},
      {"", Default},
  };
  for (const auto& C : Colors) EXPECT_EQ(StrToTmColor(C.Text, Default), C.Value) << C.Text;
}

TEST(VsTmSchema, MarginsAndPoints) {
  const MARGINS Default = {9, 8, 7, 6};
  struct {
    const char* Text;
    MARGINS Value;
  } Margins[] = {
      {" 2, 2, 3, 3", {2, 2, 3, 3}},
      {"1,2,3,4", {1, 2, 3, 4}},
      {" 1, x, 3, 4", {1, 8, 3, 4}},
      {" 1, 2, 3", Default},
      {" 1, 2, 3, ", Default},
      {"", Default},
  };
  for (const auto& C : Margins) EXPECT_TRUE(SameMargins(StrToTmMargins(C.Text, Default), C.Value)) << C.Text;
  EXPECT_TRUE(SameMargins(StrToTmMargins(" 1, 2, 3", MARGINS{}), MARGINS{}));

  const POINT P0 = {4, 5};
  struct {
    const char* Text;
    POINT Value;
  } Points[] = {
      {" 13, 21", {13, 21}},
      {" a, 21", {4, 21}},
      {" 13, ", {13, 5}},
      {" 13", {4, 5}},
  };
  for (const auto& C : Points) {
    const POINT P = StrToTmPoint(C.Text, P0);
    EXPECT_EQ(P.x, C.Value.x) << C.Text;
    EXPECT_EQ(P.y, C.Value.y) << C.Text;
  }
}

TEST(VsTmSchema, Fonts) {
  TTmFont F;
  ASSERT_TRUE(StrToTmFont(" Tahoma, 8, Bold", F));
  EXPECT_EQ(F.FaceName, "Tahoma");
  EXPECT_EQ(F.Size, 8);
  EXPECT_EQ(F.Style, 1);

  ASSERT_TRUE(StrToTmFont(" Trebuchet MS , x, bold italic", F));
  EXPECT_EQ(F.FaceName, "Trebuchet MS");
  EXPECT_EQ(F.Size, 8);  // a bad size keeps the old one
  EXPECT_EQ(F.Style, 3);

  ASSERT_TRUE(StrToTmFont("Arial, 9", F));
  EXPECT_EQ(F.Size, 9);
  EXPECT_EQ(F.Style, 0);
  ASSERT_TRUE(StrToTmFont("Arial, 9, italic", F));
  EXPECT_EQ(F.Style, 2);

  ASSERT_TRUE(StrToTmFont(std::string(40, 'F') + ", 10", F));
  EXPECT_EQ(F.FaceName, std::string(31, 'F'));

  F = TTmFont{"Keep", 5, 1};
  EXPECT_FALSE(StrToTmFont(" Tahoma 8", F));
  EXPECT_EQ(F.FaceName, "Keep");
  EXPECT_EQ(F.Size, 5);
}

TEST(VsTmSchema, EnumerationWords) {
  struct {
    TTmEnumeration E;
    const char* Text;
    int Default;
    int Value;
  } Cases[] = {
      {TTmEnumeration::BgType, " ImageFile", 0, 2},
      {TTmEnumeration::BgType, " imagefile ", 0, 2},
      {TTmEnumeration::BgType, " Image File", 5, 0},  // unknown BgType words are none whatever the default
      {TTmEnumeration::BorderType, " Ellipse", 0, 3},
      {TTmEnumeration::ContentAlignment, " Right", 0, 2},
      {TTmEnumeration::FillType, " TileImage", 0, 5},
      {TTmEnumeration::GlyphType, " FontGlyph", 0, 2},
      {TTmEnumeration::HAlign, " Center", 0, 1},
      {TTmEnumeration::IconEffect, " Alpha", 0, 4},
      {TTmEnumeration::ImageLayout, " Vertical", 1, 0},
      {TTmEnumeration::ImageLayout, " Diagonal", 1, 1},
      {TTmEnumeration::ImageSelectType, " Dpi", 0, 1},
      {TTmEnumeration::OffsetType, " BelowLastButton", 0, 13},
      {TTmEnumeration::SizingType, " TILE", 0, 2},
      {TTmEnumeration::SizingType, " TrueSize", 0, 1},
      {TTmEnumeration::SizingType, " Tiles", 4, 4},
      {TTmEnumeration::TextShadowType, " Continuous", 0, 2},
      {TTmEnumeration::TrueSizeScalingType, " Size", 0, 2},
      {TTmEnumeration::VAlign, " VCenter", 0, 1},
      {TTmEnumeration::VAlign, " Center", 7, 7},
  };
  for (const auto& C : Cases) EXPECT_EQ(StrToTmEnum(C.E, C.Text, C.Default), C.Value) << C.Text;
}

TEST(VsTmSchema, ImageResourceNames) {
  EXPECT_EQ(TmImageResourceName(" blue\\button.bmp"), "BLUE_BUTTON_BMP");
  EXPECT_EQ(TmImageResourceName("Blue\\Scroll-Bar Arrows_96.bmp "), "BLUE_SCROLL_BAR_ARROWS_96_BMP");
  EXPECT_EQ(TmImageResourceName(""), "");
}
