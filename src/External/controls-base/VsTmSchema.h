// The visual-style schema as the theme engine reads it: the part properties
// with their internal ids, published schema numbers and value kinds, and the
// parsers of the texts a style's ini holds.
//
// Every parser trims its text first: the style files write "Name = Value",
// and the settings store keeps the blank after "=".
#pragma once

#include <span>

#include "System.h"
#include "Win.h"

#include <uxtheme.h>

enum class TTmPropertyKind { Boolean, Color, Integer, Margins, Position, Size, FileName, Enumeration };

// One part property. Id is its position in the alphabetical list of the
// names (0..93); "IntegralSizing" and "IconEffect" share id 44, so one
// "defined" bit serves both. SchemaNumber is 0 for "NormalIndex", which the
// published schema does not have.
struct TTmProperty {
  const char* Name;
  int Id;
  int SchemaNumber;
};

constexpr int TmPropertyIdCount = 94;

// The properties of one kind, in the order the part stores their values.
std::span<const TTmProperty> TmProperties(TTmPropertyKind Kind);

// Position of SchemaNumber in the table of Kind; -1 when absent (0 is never
// found, so "NormalIndex" cannot be asked for by number).
int TmIndexOfSchemaNumber(TTmPropertyKind Kind, int SchemaNumber);

// The enumerations, in the order of their table.
enum class TTmEnumeration {
  BgType,
  BorderType,
  ContentAlignment,
  FillType,
  GlyphType,
  HAlign,
  IconEffect,
  ImageLayout,
  ImageSelectType,
  OffsetType,
  SizingType,
  TextShadowType,
  TrueSizeScalingType,
  VAlign
};

// ---------------------------------------------------------------------------
// Value parsers. Words are compared trimmed and lower-cased; a text that does
// not parse gives Default unless said otherwise.

// "true" 1, "false" 0.
int StrToTmBool(const AnsiString& S, int Default);
// "R G B", blank-separated; a bad number is 0; fewer than three parts give
// Default.
COLORREF StrToTmColor(const AnsiString& S, COLORREF Default);
// Decimal integer; 0 when it does not parse.
int StrToTmInt(const AnsiString& S);
// "left, right, top, bottom"; a bad number takes Default's field; fewer than
// four parts, or an empty fourth, give all of Default.
MARGINS StrToTmMargins(const AnsiString& S, const MARGINS& Default);
// "x, y" (positions and sizes); a bad number takes Default's field; no
// second part gives all of Default.
POINT StrToTmPoint(const AnsiString& S, const POINT& Default);

struct TTmFont {
  AnsiString FaceName;  // at most 31 characters
  int Size = 0;
  int Style = 0;        // 1 bold, 2 italic, 3 both
};
// "Face, Size[, Style]". False, Font unchanged, without the first comma; a
// bad size keeps Font.Size.
bool StrToTmFont(const AnsiString& S, TTmFont& Font);

// The value of an enumeration word. An unknown "BgType" word is 0 whatever
// Default is.
int StrToTmEnum(TTmEnumeration Enumeration, const AnsiString& S, int Default);

// The bitmap resource name of an image file name: trimmed, upper-cased, and
// every character other than 0-9, A-Z and "_" made "_".
AnsiString TmImageResourceName(const AnsiString& FileName);
