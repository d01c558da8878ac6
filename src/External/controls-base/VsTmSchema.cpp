#include "VsTmSchema.h"

#include "SysUtils.h"

namespace {

const TTmProperty BooleanProperties[] = {
    {"AutoSize", 4, 2202},         {"AlwaysShowSizingBar", 3, 2208}, {"BgFill", 5, 2205},
    {"BorderOnly", 9, 2203},       {"Composited", 14, 2204},         {"GlyphOnly", 28, 2207},
    {"GlyphTransparent", 29, 2206}, {"IntegralSizing", 44, 2211},    {"MirrorImage", 65, 2209},
    {"SourceGrow", 78, 2212},      {"SourceShrink", 79, 2213},       {"Transparent", 87, 2201},
    {"UniformSizing", 91, 2210},
};

const TTmProperty ColorProperties[] = {
    {"AccentColorHint", 0, 3823},    {"BorderColor", 7, 3801},        {"BorderColorHint", 8, 3822},
    {"Color", 13, 204},              {"EdgeDkShadowColor", 17, 3807}, {"EdgeFillColor", 18, 3808},
    {"EdgeHighlightColor", 19, 3805}, {"EdgeLightColor", 20, 3804},   {"EdgeShadowColor", 21, 3806},
    {"FillColor", 22, 3802},         {"FillColorHint", 23, 3821},     {"GlowColor", 25, 3816},
    {"GradientColor1", 31, 3810},    {"GradientColor2", 32, 3811},    {"GradientColor3", 33, 3812},
    {"GradientColor4", 34, 3813},    {"GradientColor5", 35, 3814},    {"HotTracking", 43, 1627},
    {"ShadowColor", 75, 3815},       {"TextBorderColor", 81, 3817},   {"TextColor", 83, 3803},
    {"TextShadowColor", 84, 3818},   {"TransparentColor", 88, 3809},
};

const TTmProperty IntegerProperties[] = {
    {"AlphaLevel", 1, 2402},         {"AlphaThreshold", 2, 2415},      {"BorderSize", 10, 2403},
    {"GlyphIndex", 27, 2418},        {"GradientRatio1", 36, 2406},     {"GradientRatio2", 37, 2407},
    {"GradientRatio3", 38, 2408},    {"GradientRatio4", 39, 2409},     {"GradientRatio5", 40, 2410},
    {"Height", 42, 2417},            {"ImageCount", 45, 2401},         {"MinDpi1", 54, 2420},
    {"MinDpi2", 55, 2421},           {"MinDpi3", 56, 2422},            {"MinDpi4", 57, 2423},
    {"MinDpi5", 58, 2424},           {"NormalIndex", 66, 0},           {"ProgressChunkSize", 70, 2411},
    {"ProgressSpaceSize", 71, 2412}, {"RoundCornerHeight", 72, 2405},  {"RoundCornerWidth", 73, 2404},
    {"Saturation", 74, 2413},        {"TextBorderSize", 82, 2414},     {"TrueSizeStretchMark", 90, 2419},
    {"Width", 93, 2416},
};

const TTmProperty MarginsProperties[] = {
    {"CaptionMargins", 12, 3603}, {"ContentMargins", 16, 3602}, {"SizingMargins", 76, 3601},
};

const TTmProperty PositionProperties[] = {
    {"Offset", 68, 3401}, {"TextShadowOffset", 85, 3402},
};

const TTmProperty SizeProperties[] = {
    {"MinSize", 59, 3403},  {"MinSize1", 60, 3404}, {"MinSize2", 61, 3405}, {"MinSize3", 62, 3406},
    {"MinSize4", 63, 3407}, {"MinSize5", 64, 3408}, {"NormalSize", 67, 3409},
};

const TTmProperty FileNameProperties[] = {
    {"GlyphImageFile", 26, 3008}, {"ImageFile", 46, 3001},  {"ImageFile1", 47, 3002},
    {"ImageFile2", 48, 3003},     {"ImageFile3", 49, 3004}, {"ImageFile4", 50, 3005},
    {"ImageFile5", 51, 3006},     {"StockImageFile", 80, 3007},
};

// In the order of TTmEnumeration.
const TTmProperty EnumerationProperties[] = {
    {"BgType", 6, 4001},           {"BorderType", 11, 4002},          {"ContentAlignment", 15, 4006},
    {"FillType", 24, 4003},        {"GlyphType", 30, 4012},           {"HAlign", 41, 4005},
    {"IconEffect", 44, 4009},      {"ImageLayout", 52, 4011},         {"ImageSelectType", 53, 4013},
    {"OffsetType", 69, 4008},      {"SizingType", 77, 4004},          {"TextShadowType", 86, 4010},
    {"TrueSizeScalingType", 89, 4015}, {"VAlign", 92, 4007},
};

// The words of each enumeration; a word's value is its position.
const char* const BgTypeWords[] = {"none", "borderfill", "imagefile"};
const char* const BorderTypeWords[] = {"none", "rect", "roundrect", "ellipse"};
const char* const AlignmentWords[] = {"left", "center", "right"};
const char* const FillTypeWords[] = {"none", "solid", "vertgradient", "horzgradient", "radialgradient", "tileimage"};
const char* const GlyphTypeWords[] = {"none", "imageglyph", "fontglyph"};
const char* const IconEffectWords[] = {"none", "glow", "shadow", "pulse", "alpha"};
const char* const ImageLayoutWords[] = {"vertical", "horizontal"};
const char* const SelectTypeWords[] = {"none", "dpi", "size"};
const char* const OffsetTypeWords[] = {
    "topleft",        "topright",        "topmiddle",         "bottomleft",        "bottomright",
    "bottommiddle",   "middleleft",      "middleright",       "leftofcaption",     "rightofcaption",
    "leftoflastbutton", "rightoflastbutton", "abovelastbutton", "belowlastbutton"};
const char* const SizingTypeWords[] = {"stretch", "truesize", "tile", "tilehorz", "tilevert", "tilecenter"};
const char* const TextShadowTypeWords[] = {"none", "single", "continuous"};
const char* const VAlignWords[] = {"top", "vcenter", "bottom"};

// In the order of TTmEnumeration.
const std::span<const char* const> EnumerationWords[] = {
    BgTypeWords,     BorderTypeWords, AlignmentWords,  FillTypeWords,   GlyphTypeWords,
    AlignmentWords,  IconEffectWords, ImageLayoutWords, SelectTypeWords, OffsetTypeWords,
    SizingTypeWords, TextShadowTypeWords, SelectTypeWords, VAlignWords,
};

static_assert(std::size(EnumerationWords) == std::size(EnumerationProperties));

// The framework's integer conversion, with Default when the text is bad.
int IntOr(const AnsiString& S, int Default) { return StrToIntDef(Trim(S), Default); }

// Splits S at its first Separator: Head gets what stands before, S what
// follows. False, S unchanged, when there is no Separator.
bool SplitFirst(AnsiString& S, char Separator, AnsiString& Head) {
  const size_t P = S.find(Separator);
  if (P == AnsiString::npos) return false;
  Head = S.substr(0, P);
  S.erase(0, P + 1);
  return true;
}

AnsiString SkipBlanks(const AnsiString& S) {
  const size_t P = S.find_first_not_of(' ');
  return P == AnsiString::npos ? AnsiString() : S.substr(P);
}

}  // namespace

std::span<const TTmProperty> TmProperties(TTmPropertyKind Kind) {
  switch (Kind) {
    case TTmPropertyKind::Boolean: return BooleanProperties;
    case TTmPropertyKind::Color: return ColorProperties;
    case TTmPropertyKind::Integer: return IntegerProperties;
    case TTmPropertyKind::Margins: return MarginsProperties;
    case TTmPropertyKind::Position: return PositionProperties;
    case TTmPropertyKind::Size: return SizeProperties;
    case TTmPropertyKind::FileName: return FileNameProperties;
    case TTmPropertyKind::Enumeration: return EnumerationProperties;
  }
  return {};
}

int TmIndexOfSchemaNumber(TTmPropertyKind Kind, int SchemaNumber) {
  if (SchemaNumber == 0) return -1;
  const auto Table = TmProperties(Kind);
  for (size_t I = 0; I < Table.size(); ++I)
    if (Table[I].SchemaNumber == SchemaNumber) return static_cast<int>(I);
  return -1;
}

int StrToTmBool(const AnsiString& S, int Default) {
  const AnsiString W = LowerCase(Trim(S));
  if (W == "true") return 1;
  if (W == "false") return 0;
  return Default;
}

COLORREF StrToTmColor(const AnsiString& S, COLORREF Default) {
  AnsiString Rest = Trim(S), R, G;
  if (!SplitFirst(Rest, ' ', R)) return Default;
  Rest = SkipBlanks(Rest);
  if (!SplitFirst(Rest, ' ', G)) return Default;
  Rest = SkipBlanks(Rest);
  return RGB(static_cast<BYTE>(IntOr(R, 0)), static_cast<BYTE>(IntOr(G, 0)), static_cast<BYTE>(IntOr(Rest, 0)));
}

int StrToTmInt(const AnsiString& S) { return IntOr(S, 0); }

MARGINS StrToTmMargins(const AnsiString& S, const MARGINS& Default) {
  AnsiString Rest = Trim(S), Left, Right, Top;
  if (!SplitFirst(Rest, ',', Left) || !SplitFirst(Rest, ',', Right) || !SplitFirst(Rest, ',', Top) ||
      Trim(Rest).empty())
    return Default;
  MARGINS M;
  M.cxLeftWidth = IntOr(Left, Default.cxLeftWidth);
  M.cxRightWidth = IntOr(Right, Default.cxRightWidth);
  M.cyTopHeight = IntOr(Top, Default.cyTopHeight);
  M.cyBottomHeight = IntOr(Rest, Default.cyBottomHeight);
  return M;
}

POINT StrToTmPoint(const AnsiString& S, const POINT& Default) {
  AnsiString Rest = Trim(S), X;
  if (!SplitFirst(Rest, ',', X)) return Default;
  return POINT{IntOr(X, Default.x), IntOr(Rest, Default.y)};
}

bool StrToTmFont(const AnsiString& S, TTmFont& Font) {
  AnsiString Rest = Trim(S), Face, Size;
  if (!SplitFirst(Rest, ',', Face)) return false;
  Font.FaceName = Trim(Face).substr(0, 31);
  if (SplitFirst(Rest, ',', Size)) {
    const AnsiString Style = LowerCase(Trim(Rest));
    Font.Style = Style == "bold" ? 1 : Style == "italic" ? 2 : Style == "bold italic" ? 3 : 0;
  } else {
    Size = Rest;
    Font.Style = 0;
  }
  Font.Size = IntOr(Size, Font.Size);
  return true;
}

int StrToTmEnum(TTmEnumeration Enumeration, const AnsiString& S, int Default) {
  const AnsiString W = LowerCase(Trim(S));
  const auto Words = EnumerationWords[static_cast<int>(Enumeration)];
  for (size_t I = 0; I < Words.size(); ++I)
    if (W == Words[I]) return static_cast<int>(I);
  return Enumeration == TTmEnumeration::BgType ? 0 : Default;
}

AnsiString TmImageResourceName(const AnsiString& FileName) {
  AnsiString Name = UpperCase(Trim(FileName));
  for (char& C : Name)
    if (!((C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || C == '_')) C = '_';
  return Name;
}
