#include "SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "Consts.h"
#include "Win.h"

AnsiString Exception::ClassName() const { return TypeName(typeid(*this)); }

// ---------------------------------------------------------------------------
// Format settings

TFormatSetting<AnsiChar> DecimalSeparator;
TFormatSetting<AnsiChar> DateSeparator;
TFormatSetting<AnsiChar> TimeSeparator;
TFormatSetting<AnsiString> ShortDateFormat;
TFormatSetting<AnsiString> LongTimeFormat;

namespace {

// Day and month names of the locale; index 0 of the day names is Sunday.
struct TLocaleNames {
  AnsiString ShortMonth[12];
  AnsiString LongMonth[12];
  AnsiString ShortDay[7];
  AnsiString LongDay[7];
};
TLocaleNames LocaleNames;

AnsiString LocaleInfo(LCTYPE Type, const char* Default) {
  char Buffer[256];
  int N = GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, Buffer, sizeof Buffer);
  return N > 1 ? AnsiString(Buffer, static_cast<size_t>(N - 1)) : AnsiString(Default);
}

AnsiChar LocaleChar(LCTYPE Type, AnsiChar Default) {
  AnsiString S = LocaleInfo(Type, "");
  return S.empty() ? Default : S[0];
}

bool IsLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
char LowerAscii(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C + ('a' - 'A')) : C; }
char UpperAscii(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - ('a' - 'A')) : C; }

// Appends literal text of a locale picture so that FormatDateTime copies it
// as it stands: letters and quote characters are quoted.
void AppendLiteral(AnsiString& Out, const AnsiString& Text) {
  AnsiString Group;
  auto Flush = [&] {
    if (!Group.empty()) Out += '"' + Group + '"';
    Group.clear();
  };
  for (char C : Text) {
    if (C == '"') {
      Flush();
      Out += "'\"'";
    } else if (IsLetter(C) || C == '\'' || C == '/' || C == ':') {
      Group += C;
    } else {
      Flush();
      Out += C;
    }
  }
  Flush();
}

}  // namespace

AnsiString LocalePictureToFormat(const AnsiString& Picture) {
  AnsiString R;
  size_t I = 0;
  const size_t N = Picture.size();
  while (I < N) {
    const char C = Picture[I];
    if (C == '\'') {
      // Quoted text; '' inside stands for one quote.
      AnsiString Text;
      ++I;
      while (I < N) {
        if (Picture[I] == '\'') {
          if (I + 1 < N && Picture[I + 1] == '\'') {
            Text += '\'';
            I += 2;
            continue;
          }
          ++I;
          break;
        }
        Text += Picture[I++];
      }
      AppendLiteral(R, Text);
      continue;
    }
    size_t Count = 1;
    while (I + Count < N && Picture[I + Count] == C) ++Count;
    switch (C) {
      case 'd': R.append(std::min<size_t>(Count, 4), 'd'); break;
      case 'M': R.append(std::min<size_t>(Count, 4), 'm'); break;
      case 'y': R += Count <= 2 ? "yy" : "yyyy"; break;
      case 'g': break;  // era: the Gregorian calendar has no text worth showing
      case 'h':
      case 'H': R.append(std::min<size_t>(Count, 2), 'h'); break;
      case 'm': R.append(std::min<size_t>(Count, 2), 'n'); break;
      case 's': R.append(std::min<size_t>(Count, 2), 's'); break;
      case 't': R += "AM/PM"; break;
      case '/':
      case ':': R.append(Count, C); break;
      default: AppendLiteral(R, AnsiString(Count, C)); break;
    }
    I += Count;
  }
  return R;
}

bool SysUtilsInternal::LoadFormatSettings() {
  DecimalSeparator.FValue = LocaleChar(LOCALE_SDECIMAL, '.');
  DateSeparator.FValue = LocaleChar(LOCALE_SDATE, '/');
  TimeSeparator.FValue = LocaleChar(LOCALE_STIME, ':');
  ShortDateFormat.FValue = LocalePictureToFormat(LocaleInfo(LOCALE_SSHORTDATE, "yyyy-MM-dd"));
  LongTimeFormat.FValue = LocalePictureToFormat(LocaleInfo(LOCALE_STIMEFORMAT, "HH:mm:ss"));
  for (int I = 0; I < 12; ++I) {
    LocaleNames.ShortMonth[I] = LocaleInfo(LOCALE_SABBREVMONTHNAME1 + I, "");
    LocaleNames.LongMonth[I] = LocaleInfo(LOCALE_SMONTHNAME1 + I, "");
  }
  // Windows counts the days from Monday, the names here from Sunday.
  for (int I = 0; I < 7; ++I) {
    const int FromMonday = (I + 6) % 7;
    LocaleNames.ShortDay[I] = LocaleInfo(LOCALE_SABBREVDAYNAME1 + FromMonday, "");
    LocaleNames.LongDay[I] = LocaleInfo(LOCALE_SDAYNAME1 + FromMonday, "");
  }
  return true;
}

void SysUtilsInternal::ReadFormatSettings() {
  static const bool Loaded = LoadFormatSettings();
  (void)Loaded;
}

void InitializeSysUtils() { SysUtilsInternal::ReadFormatSettings(); }

// ---------------------------------------------------------------------------
// Integers

namespace {

int DigitValue(char C, int Base) {
  int D = -1;
  if (C >= '0' && C <= '9') D = C - '0';
  else if (C >= 'a' && C <= 'f') D = C - 'a' + 10;
  else if (C >= 'A' && C <= 'F') D = C - 'A' + 10;
  return D < Base ? D : -1;
}

// The integer syntax of StrToInt. Decimal text must fit the signed range;
// hexadecimal text may use every bit, read as two's complement.
bool ParseInteger(const AnsiString& S, bool Is64, Int64& Result) {
  size_t I = 0;
  const size_t N = S.size();
  while (I < N && S[I] == ' ') ++I;
  bool Negative = false;
  if (I < N && (S[I] == '+' || S[I] == '-')) Negative = S[I++] == '-';
  bool Hex = false;
  if (I < N && S[I] == '$') {
    Hex = true;
    ++I;
  } else if (I + 1 < N && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
    Hex = true;
    I += 2;
  }
  if (I == N) return false;
  const std::uint64_t Base = Hex ? 16 : 10;
  std::uint64_t Limit;
  if (Hex) Limit = Is64 ? UINT64_MAX : UINT32_MAX;
  else Limit = (Is64 ? std::uint64_t(INT64_MAX) : std::uint64_t(INT32_MAX)) + (Negative ? 1 : 0);
  std::uint64_t V = 0;
  for (; I < N; ++I) {
    const int D = DigitValue(S[I], static_cast<int>(Base));
    if (D < 0 || V > (Limit - static_cast<std::uint64_t>(D)) / Base) return false;
    V = V * Base + static_cast<std::uint64_t>(D);
  }
  if (Negative) V = std::uint64_t(0) - V;
  Result = Is64 ? static_cast<Int64>(V) : static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(V)));
  return true;
}

[[noreturn]] void InvalidInteger(const AnsiString& S) {
  throw EConvertError(FmtLoadStr(SInvalidInteger, S));
}

}  // namespace

AnsiString IntToStr(Int64 Value) {
  char Buffer[24];
  auto R = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
  return AnsiString(Buffer, R.ptr);
}

AnsiString IntToHex(Int64 Value, int Digits) {
  char Buffer[24];
  auto R = std::to_chars(Buffer, Buffer + sizeof Buffer, static_cast<std::uint64_t>(Value), 16);
  AnsiString S(Buffer, R.ptr);
  for (char& C : S) C = UpperAscii(C);
  if (static_cast<int>(S.size()) < Digits) S.insert(0, static_cast<size_t>(Digits) - S.size(), '0');
  return S;
}

bool TryStrToInt(const AnsiString& S, Integer& Value) {
  Int64 V;
  if (!ParseInteger(S, false, V)) return false;
  Value = static_cast<Integer>(V);
  return true;
}

Integer StrToInt(const AnsiString& S) {
  Integer V;
  if (!TryStrToInt(S, V)) InvalidInteger(S);
  return V;
}

Integer StrToIntDef(const AnsiString& S, Integer Default) {
  Integer V;
  return TryStrToInt(S, V) ? V : Default;
}

Int64 StrToInt64(const AnsiString& S) {
  Int64 V;
  if (!ParseInteger(S, true, V)) InvalidInteger(S);
  return V;
}

// ---------------------------------------------------------------------------
// Floats

namespace {

// A finite value as decimal digits: 0.Digits × 10^Exponent, no trailing
// zeros in Digits; zero has no digits.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
};

// 18 significant digits, correctly rounded; the texts below round these once
// more, halves away from zero, so 0.125 shows as "0,13" with two decimals.
TDecimal ToDecimal(double V) {
  TDecimal D;
  D.Negative = std::signbit(V);
  if (V == 0) return D;
  char Buffer[40];
  auto R = std::to_chars(Buffer, Buffer + sizeof Buffer, std::fabs(V), std::chars_format::scientific, 17);
  const std::string Text(Buffer, R.ptr);  // d.ddddddddddddddddde±XX
  const size_t E = Text.find('e');
  D.Digits = Text.substr(0, 1) + Text.substr(2, E - 2);
  D.Exponent = std::stoi(Text.substr(E + 1)) + 1;
  while (!D.Digits.empty() && D.Digits.back() == '0') D.Digits.pop_back();
  return D;
}

// Keeps Count significant digits (none when Count <= 0), rounding half up.
void RoundDigits(TDecimal& D, int Count) {
  if (static_cast<int>(D.Digits.size()) <= Count) return;
  if (Count < 0) {
    D.Digits.clear();
    return;
  }
  const bool Up = D.Digits[static_cast<size_t>(Count)] >= '5';
  D.Digits.resize(static_cast<size_t>(Count));
  if (Up) {
    while (!D.Digits.empty() && D.Digits.back() == '9') D.Digits.pop_back();
    if (D.Digits.empty()) {
      D.Digits = "1";
      ++D.Exponent;
    } else {
      ++D.Digits.back();
    }
  }
  while (!D.Digits.empty() && D.Digits.back() == '0') D.Digits.pop_back();
}

char Separator() { return static_cast<const AnsiChar&>(DecimalSeparator); }

// Digit I of the decimal's digits (counted from the first), 0 outside them.
char DigitAt(const TDecimal& D, int I) {
  return I >= 0 && I < static_cast<int>(D.Digits.size()) ? D.Digits[static_cast<size_t>(I)] : '0';
}

AnsiString FixedText(const TDecimal& D, int Decimals) {
  AnsiString R;
  if (D.Digits.empty() || D.Exponent <= 0) R = "0";
  else for (int I = 0; I < D.Exponent; ++I) R += DigitAt(D, I);
  if (Decimals > 0) {
    R += Separator();
    for (int I = 0; I < Decimals; ++I) R += DigitAt(D, D.Digits.empty() ? -1 : D.Exponent + I);
  }
  if (D.Negative && !D.Digits.empty()) R.insert(0, 1, '-');
  return R;
}

AnsiString SpecialText(double V) {
  if (std::isnan(V)) return "NAN";
  return V < 0 ? "-INF" : "INF";
}

// Fixed form while the integer digits fit Precision and the value is not
// below 0.0001, else "d,dddE-x".
AnsiString GeneralText(double V, int Precision) {
  if (!std::isfinite(V)) return SpecialText(V);
  TDecimal D = ToDecimal(V);
  RoundDigits(D, Precision);
  if (D.Digits.empty()) return "0";
  if (D.Exponent > Precision || D.Exponent < -3) {
    AnsiString R = D.Negative ? "-" : "";
    R += D.Digits[0];
    if (D.Digits.size() > 1) R += Separator() + D.Digits.substr(1);
    return R + "E" + IntToStr(D.Exponent - 1);
  }
  return FixedText(D, std::max(0, static_cast<int>(D.Digits.size()) - D.Exponent));
}

AnsiString FixedFloatText(double V, int Decimals) {
  if (!std::isfinite(V)) return SpecialText(V);
  TDecimal D = ToDecimal(V);
  RoundDigits(D, D.Exponent + Decimals);
  return FixedText(D, Decimals);
}

// "d,ddd…E+ddd": Precision significant digits, a signed exponent of at least
// three digits.
AnsiString ExponentText(double V, int Precision) {
  if (!std::isfinite(V)) return SpecialText(V);
  TDecimal D = ToDecimal(V);
  RoundDigits(D, Precision);
  AnsiString R = D.Negative && !D.Digits.empty() ? "-" : "";
  R += DigitAt(D, 0);
  if (Precision > 1) {
    R += Separator();
    for (int I = 1; I < Precision; ++I) R += DigitAt(D, I);
  }
  const int Exponent = D.Digits.empty() ? 0 : D.Exponent - 1;
  AnsiString E = IntToStr(std::abs(Exponent));
  if (E.size() < 3) E.insert(0, 3 - E.size(), '0');
  return R + "E" + (Exponent < 0 ? "-" : "+") + E;
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

bool ParseFloat(const AnsiString& S, double& Value) {
  const char Sep = Separator();
  size_t I = 0;
  const size_t N = S.size();
  while (I < N && S[I] == ' ') ++I;
  std::string Text;  // the same number in the syntax of from_chars
  if (I < N && (S[I] == '+' || S[I] == '-')) {
    if (S[I] == '-') Text += '-';
    ++I;
  }
  Text += '0';
  int Digits = 0;
  int IntegerDigits = 0;      // significant ones, for telling underflow from overflow
  int LeadingFractionZeros = 0;
  while (I < N && IsDigit(S[I])) {
    if (IntegerDigits > 0 || S[I] != '0') ++IntegerDigits;
    Text += S[I++];
    ++Digits;
  }
  if (I < N && S[I] == Sep) {
    Text += '.';
    ++I;
    bool Significant = IntegerDigits > 0;
    while (I < N && IsDigit(S[I])) {
      if (!Significant && S[I] == '0') ++LeadingFractionZeros;
      else Significant = true;
      Text += S[I++];
      ++Digits;
    }
  }
  if (Digits == 0) return false;
  long Exponent = 0;
  if (I < N && (S[I] == 'e' || S[I] == 'E')) {
    Text += 'e';
    ++I;
    bool NegativeExponent = false;
    if (I < N && (S[I] == '+' || S[I] == '-')) {
      NegativeExponent = S[I] == '-';
      Text += S[I++];
    }
    if (I == N || !IsDigit(S[I])) return false;
    while (I < N && IsDigit(S[I])) {
      if (Exponent < 100000) Exponent = Exponent * 10 + (S[I] - '0');
      Text += S[I++];
    }
    if (NegativeExponent) Exponent = -Exponent;
  }
  while (I < N && S[I] == ' ') ++I;
  if (I != N) return false;
  double V = 0;
  auto R = std::from_chars(Text.data(), Text.data() + Text.size(), V);
  if (R.ec == std::errc::result_out_of_range) {
    // Too small for a double is zero; too large is an error.
    const long Magnitude = (IntegerDigits > 0 ? IntegerDigits : -LeadingFractionZeros) + Exponent;
    if (Magnitude > 0) return false;
    V = Text[0] == '-' ? -0.0 : 0.0;
  } else if (R.ec != std::errc() || R.ptr != Text.data() + Text.size()) {
    return false;
  }
  Value = V;
  return true;
}

}  // namespace

AnsiString FloatToStr(double Value) { return GeneralText(Value, 15); }

bool TryStrToFloat(const AnsiString& S, double& Value) { return ParseFloat(S, Value); }

double StrToFloat(const AnsiString& S) {
  double V;
  if (!ParseFloat(S, V)) throw EConvertError(FmtLoadStr(SInvalidFloat, S));
  return V;
}

double StrToFloatDef(const AnsiString& S, double Default) {
  double V;
  return ParseFloat(S, V) ? V : Default;
}

// ---------------------------------------------------------------------------
// Format

AnsiString TFormatArg::AsAnsi() const {
  if (FKind == akAnsi) return FLength == size_t(-1) ? AnsiString(FAnsi) : AnsiString(FAnsi, FLength);
  return WideToAnsi(AsWide());
}

WideString TFormatArg::AsWide() const {
  if (FKind == akWide) return FLength == size_t(-1) ? WideString(FWide) : WideString(FWide, FLength);
  return AnsiToWide(AsAnsi());
}

namespace {

template <class Str> Str FromAnsi(const AnsiString& S);
template <> AnsiString FromAnsi<AnsiString>(const AnsiString& S) { return S; }
template <> WideString FromAnsi<WideString>(const AnsiString& S) { return AnsiToWide(S); }

template <class Str> Str StringArg(const TFormatArg& A);
template <> AnsiString StringArg<AnsiString>(const TFormatArg& A) { return A.AsAnsi(); }
template <> WideString StringArg<WideString>(const TFormatArg& A) { return A.AsWide(); }

// Integer digits with at least Precision digits, after the sign.
AnsiString PadDigits(AnsiString Digits, int Precision) {
  const bool Negative = !Digits.empty() && Digits[0] == '-';
  if (Negative) Digits.erase(0, 1);
  if (static_cast<int>(Digits.size()) < Precision) Digits.insert(0, static_cast<size_t>(Precision) - Digits.size(), '0');
  return Negative ? "-" + Digits : Digits;
}

std::uint64_t UnsignedBits(const TFormatArg& A) {
  const auto V = static_cast<std::uint64_t>(A.AsInteger());
  return A.Is64() ? V : (V & 0xFFFFFFFFu);
}

template <class Str> [[noreturn]] void FormatError(const Str& Fmt, bool Missing) {
  AnsiString Shown;
  if constexpr (std::is_same_v<Str, AnsiString>) Shown = Fmt;
  else Shown = WideToAnsi(Fmt);
  throw EConvertError(FmtLoadStr(Missing ? SArgumentMissing : SInvalidFormat, Shown));
}

template <class Str> Str DoFormat(const Str& Fmt, std::initializer_list<TFormatArg> Args) {
  using C = typename Str::value_type;
  auto Invalid = [&] { FormatError(Fmt, false); };
  Str R;
  auto Next = Args.begin();
  const size_t N = Fmt.size();
  size_t I = 0;
  auto ReadNumber = [&]() -> int {
    int V = -1;
    while (I < N && Fmt[I] >= C('0') && Fmt[I] <= C('9')) {
      V = (V < 0 ? 0 : V) * 10 + static_cast<int>(Fmt[I++] - C('0'));
      if (V > 1000000) Invalid();
    }
    return V;
  };
  while (I < N) {
    if (Fmt[I] != C('%')) {
      R += Fmt[I++];
      continue;
    }
    ++I;
    if (I < N && Fmt[I] == C('%')) {
      R += C('%');
      ++I;
      continue;
    }
    bool Left = false;
    if (I < N && Fmt[I] == C('-')) {
      Left = true;
      ++I;
    }
    const int Width = ReadNumber();
    int Precision = -1;
    if (I < N && Fmt[I] == C('.')) {
      ++I;
      Precision = std::max(0, ReadNumber());
    }
    if (I == N || static_cast<std::make_unsigned_t<C>>(Fmt[I]) > 0x7F) Invalid();
    const char Type = LowerAscii(static_cast<char>(Fmt[I++]));
    if (Next == Args.end()) FormatError(Fmt, true);
    const TFormatArg& A = *Next++;
    const bool IsInteger = A.Kind() == TFormatArg::akInteger;
    const bool IsFloat = A.Kind() == TFormatArg::akFloat;
    const bool IsString = A.Kind() == TFormatArg::akAnsi || A.Kind() == TFormatArg::akWide;
    Str Piece;
    switch (Type) {
      case 'd':
        if (!IsInteger) Invalid();
        Piece = FromAnsi<Str>(PadDigits(IntToStr(A.AsInteger()), Precision));
        break;
      case 'u':
      case 'x': {
        if (!IsInteger) Invalid();
        char Buffer[24];
        auto Conv = std::to_chars(Buffer, Buffer + sizeof Buffer, UnsignedBits(A), Type == 'x' ? 16 : 10);
        AnsiString Digits(Buffer, Conv.ptr);
        for (char& Ch : Digits) Ch = UpperAscii(Ch);
        Piece = FromAnsi<Str>(PadDigits(Digits, Precision));
        break;
      }
      case 'f':
        if (!IsFloat) Invalid();
        Piece = FromAnsi<Str>(FixedFloatText(A.AsFloat(), Precision < 0 ? 2 : std::min(Precision, 18)));
        break;
      case 'e':
        if (!IsFloat) Invalid();
        Piece = FromAnsi<Str>(ExponentText(A.AsFloat(), Precision < 0 ? 15 : std::clamp(Precision, 1, 18)));
        break;
      case 'g':
        if (!IsFloat) Invalid();
        Piece = FromAnsi<Str>(GeneralText(A.AsFloat(), Precision < 0 ? 15 : std::clamp(Precision, 1, 18)));
        break;
      case 's':
        if (!IsString) Invalid();
        Piece = StringArg<Str>(A);
        if (Precision >= 0 && static_cast<size_t>(Precision) < Piece.size()) Piece.resize(static_cast<size_t>(Precision));
        break;
      default: Invalid();
    }
    if (Width > 0 && Piece.size() < static_cast<size_t>(Width)) {
      const size_t Pad = static_cast<size_t>(Width) - Piece.size();
      if (Left) Piece.append(Pad, C(' '));
      else Piece.insert(0, Pad, C(' '));
    }
    R += Piece;
  }
  return R;
}

}  // namespace

AnsiString FormatArgs(const AnsiString& Fmt, std::initializer_list<TFormatArg> Args) {
  return DoFormat(Fmt, Args);
}

WideString WideFormatArgs(const WideString& Fmt, std::initializer_list<TFormatArg> Args) {
  return DoFormat(Fmt, Args);
}

// ---------------------------------------------------------------------------
// Strings

namespace {

template <class Str> bool IsBlank(typename Str::value_type C) {
  if constexpr (std::is_same_v<Str, AnsiString>) return static_cast<unsigned char>(C) <= ' ';
  else return C <= L' ';
}

template <class Str> Str TrimLeftOf(const Str& S) {
  size_t I = 0;
  while (I < S.size() && IsBlank<Str>(S[I])) ++I;
  return S.substr(I);
}

template <class Str> Str TrimRightOf(const Str& S) {
  size_t N = S.size();
  while (N > 0 && IsBlank<Str>(S[N - 1])) --N;
  return S.substr(0, N);
}

template <class Str> Str TrimOf(const Str& S) { return TrimLeftOf(TrimRightOf(S)); }

}  // namespace

AnsiString Trim(const AnsiString& S) { return TrimOf(S); }
AnsiString TrimLeft(const AnsiString& S) { return TrimLeftOf(S); }
AnsiString TrimRight(const AnsiString& S) { return TrimRightOf(S); }
WideString Trim(const WideString& S) { return TrimOf(S); }
WideString TrimLeft(const WideString& S) { return TrimLeftOf(S); }
WideString TrimRight(const WideString& S) { return TrimRightOf(S); }
WideString WideTrim(const WideString& S) { return TrimOf(S); }
WideString WideTrimLeft(const WideString& S) { return TrimLeftOf(S); }
WideString WideTrimRight(const WideString& S) { return TrimRightOf(S); }

AnsiString UpperCase(const AnsiString& S) {
  AnsiString R = S;
  for (char& C : R) C = UpperAscii(C);
  return R;
}

AnsiString LowerCase(const AnsiString& S) {
  AnsiString R = S;
  for (char& C : R) C = LowerAscii(C);
  return R;
}

AnsiString AnsiUpperCase(const AnsiString& S) {
  AnsiString R = S;
  if (!R.empty()) CharUpperBuffA(R.data(), static_cast<DWORD>(R.size()));
  return R;
}

AnsiString AnsiLowerCase(const AnsiString& S) {
  AnsiString R = S;
  if (!R.empty()) CharLowerBuffA(R.data(), static_cast<DWORD>(R.size()));
  return R;
}

AnsiString AnsiLowerCaseFileName(const AnsiString& S) { return AnsiLowerCase(S); }

WideString WideUpperCase(const WideString& S) {
  WideString R = S;
  if (!R.empty()) CharUpperBuffW(R.data(), static_cast<DWORD>(R.size()));
  return R;
}

WideString WideLowerCase(const WideString& S) {
  WideString R = S;
  if (!R.empty()) CharLowerBuffW(R.data(), static_cast<DWORD>(R.size()));
  return R;
}

int CompareStr(const AnsiString& S1, const AnsiString& S2) { return S1.compare(S2); }

int CompareText(const AnsiString& S1, const AnsiString& S2) {
  const size_t N = std::min(S1.size(), S2.size());
  for (size_t I = 0; I < N; ++I) {
    const int C1 = static_cast<unsigned char>(UpperAscii(S1[I]));
    const int C2 = static_cast<unsigned char>(UpperAscii(S2[I]));
    if (C1 != C2) return C1 - C2;
  }
  return S1.size() < S2.size() ? -1 : (S1.size() > S2.size() ? 1 : 0);
}

bool SameText(const AnsiString& S1, const AnsiString& S2) { return CompareText(S1, S2) == 0; }

namespace {

// CompareString gives 1, 2, 3 for less, equal, greater; 0 only on bad
// arguments, when the ordinal comparison decides.
int LocaleCompare(const AnsiString& S1, const AnsiString& S2, DWORD Flags) {
  const int R = CompareStringA(LOCALE_USER_DEFAULT, Flags, S1.data(), static_cast<int>(S1.size()), S2.data(),
                               static_cast<int>(S2.size()));
  return R == 0 ? S1.compare(S2) : R - CSTR_EQUAL;
}

int LocaleCompare(const WideString& S1, const WideString& S2, DWORD Flags) {
  const int R = CompareStringW(LOCALE_USER_DEFAULT, Flags, S1.data(), static_cast<int>(S1.size()), S2.data(),
                               static_cast<int>(S2.size()));
  return R == 0 ? S1.compare(S2) : R - CSTR_EQUAL;
}

}  // namespace

int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2) { return LocaleCompare(S1, S2, 0); }
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2) { return LocaleCompare(S1, S2, NORM_IGNORECASE); }
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareStr(S1, S2) == 0; }
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareText(S1, S2) == 0; }
int WideCompareStr(const WideString& S1, const WideString& S2) { return LocaleCompare(S1, S2, 0); }
int WideCompareText(const WideString& S1, const WideString& S2) { return LocaleCompare(S1, S2, NORM_IGNORECASE); }
bool WideSameStr(const WideString& S1, const WideString& S2) { return WideCompareStr(S1, S2) == 0; }
bool WideSameText(const WideString& S1, const WideString& S2) { return WideCompareText(S1, S2) == 0; }

namespace {

template <class Str> int PosOf(const Str& Sub, const Str& S) {
  if (Sub.empty()) return 0;
  const size_t P = S.find(Sub);
  return P == Str::npos ? 0 : static_cast<int>(P) + 1;
}

template <class Str> Str CopyOf(const Str& S, int Index, int Count) {
  if (Index < 1) Index = 1;
  if (Count <= 0 || Index > static_cast<int>(S.size())) return Str();
  return S.substr(static_cast<size_t>(Index) - 1, static_cast<size_t>(Count));
}

template <class Str> void DeleteFrom(Str& S, int Index, int Count) {
  if (Index < 1 || Index > static_cast<int>(S.size()) || Count <= 0) return;
  S.erase(static_cast<size_t>(Index) - 1, static_cast<size_t>(Count));
}

template <class Str> void InsertInto(const Str& Sub, Str& S, int Index) {
  const int Last = static_cast<int>(S.size()) + 1;
  S.insert(static_cast<size_t>(std::clamp(Index, 1, Last)) - 1, Sub);
}

// Case folding keeps every character in place, so positions found in the
// folded copies hold for the originals.
template <class Str, class Fold>
Str ReplaceIn(const Str& S, const Str& OldPattern, const Str& NewPattern, TReplaceFlags Flags, Fold ToUpper) {
  if (OldPattern.empty()) return S;
  const bool IgnoreCase = Flags.Contains(rfIgnoreCase);
  const Str Haystack = IgnoreCase ? ToUpper(S) : S;
  const Str Needle = IgnoreCase ? ToUpper(OldPattern) : OldPattern;
  Str R;
  size_t Start = 0;
  for (;;) {
    const size_t P = Haystack.find(Needle, Start);
    if (P == Str::npos) break;
    R.append(S, Start, P - Start);
    R += NewPattern;
    Start = P + Needle.size();
    if (!Flags.Contains(rfReplaceAll)) break;
  }
  R.append(S, Start, Str::npos);
  return R;
}

}  // namespace

int Pos(const AnsiString& Sub, const AnsiString& S) { return PosOf(Sub, S); }
int Pos(const WideString& Sub, const WideString& S) { return PosOf(Sub, S); }
AnsiString Copy(const AnsiString& S, int Index, int Count) { return CopyOf(S, Index, Count); }
WideString Copy(const WideString& S, int Index, int Count) { return CopyOf(S, Index, Count); }
void Delete(AnsiString& S, int Index, int Count) { DeleteFrom(S, Index, Count); }
void Delete(WideString& S, int Index, int Count) { DeleteFrom(S, Index, Count); }
void Insert(const AnsiString& Sub, AnsiString& S, int Index) { InsertInto(Sub, S, Index); }
void Insert(const WideString& Sub, WideString& S, int Index) { InsertInto(Sub, S, Index); }

AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern, const AnsiString& NewPattern,
                         TReplaceFlags Flags) {
  return ReplaceIn(S, OldPattern, NewPattern, Flags, AnsiUpperCase);
}

WideString StringReplace(const WideString& S, const WideString& OldPattern, const WideString& NewPattern,
                         TReplaceFlags Flags) {
  return ReplaceIn(S, OldPattern, NewPattern, Flags, WideUpperCase);
}

AnsiString QuotedStr(const AnsiString& S) { return AnsiQuotedStr(S, '\''); }

AnsiString AnsiQuotedStr(const AnsiString& S, AnsiChar Quote) {
  AnsiString R(1, Quote);
  for (char C : S) {
    R += C;
    if (C == Quote) R += C;
  }
  return R + Quote;
}

AnsiString AnsiDequotedStr(const AnsiString& S, AnsiChar Quote) {
  if (S.size() < 2 || S[0] != Quote) return S;
  AnsiString R;
  for (size_t I = 1; I < S.size(); ++I) {
    if (S[I] != Quote) {
      R += S[I];
    } else if (I + 1 < S.size() && S[I + 1] == Quote) {
      R += Quote;
      ++I;
    } else {
      // The closing quote must end the text.
      return I + 1 == S.size() ? R : S;
    }
  }
  return S;
}

AnsiString StringOfChar(AnsiChar Ch, int Count) { return Count > 0 ? AnsiString(static_cast<size_t>(Count), Ch) : AnsiString(); }
WideString StringOfChar(WideChar Ch, int Count) { return Count > 0 ? WideString(static_cast<size_t>(Count), Ch) : WideString(); }

// ---------------------------------------------------------------------------
// Numbers

namespace {

// |X| < 2^63, so that the integer part fits an Int64.
void CheckInt64Range(double X) {
  if (!(std::fabs(X) < 9223372036854775808.0)) throw EInvalidOp(LoadStr(SInvalidOp));
}

}  // namespace

Int64 Round(double X) {
  CheckInt64Range(X);
  double F = std::floor(X);
  const double Rest = X - F;  // exact: X and F are close doubles
  if (Rest > 0.5 || (Rest == 0.5 && std::fmod(F, 2.0) != 0)) F += 1;
  return static_cast<Int64>(F);
}

Int64 Trunc(double X) {
  CheckInt64Range(X);
  return static_cast<Int64>(std::trunc(X));
}

double Frac(double X) { return X - std::trunc(X); }

Cardinal RandSeed = 0;

namespace {

Cardinal NextRandom() {
  RandSeed = RandSeed * 1664525u + 1013904223u;
  return RandSeed;
}

}  // namespace

int Random(int Range) {
  if (Range <= 0) return 0;
  // The high bits of the product: the low bits of the congruence are weak.
  return static_cast<int>((static_cast<std::uint64_t>(NextRandom()) * static_cast<std::uint32_t>(Range)) >> 32);
}

double Random() { return NextRandom() / 4294967296.0; }

void Randomize() {
  LARGE_INTEGER Counter;
  QueryPerformanceCounter(&Counter);
  RandSeed = static_cast<Cardinal>(Counter.LowPart) ^ static_cast<Cardinal>(Counter.HighPart) ^ GetTickCount();
}

// ---------------------------------------------------------------------------
// Date and time

namespace {

constexpr Int64 MSecsPerDay = 86400000;
// The day numbers of 0001-01-01 and 9999-12-31.
constexpr Int64 MinDay = -693593;
constexpr Int64 MaxDay = 2958465;
// Day 0 (1899-12-30) counted from 1970-01-01.
constexpr Int64 DayZeroFrom1970 = -25569;

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInMonth(int Year, int Month) {
  static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && IsLeapYear(Year) ? 29 : Days[Month - 1];
}

// Days from 1970-01-01 in the proleptic Gregorian calendar, and back.
Int64 DaysFromCivil(int Y, int M, int D) {
  Y -= M <= 2;
  const Int64 Era = (Y >= 0 ? Y : Y - 399) / 400;
  const Int64 YearOfEra = Y - Era * 400;
  const Int64 DayOfYear = (153 * (M > 2 ? M - 3 : M + 9) + 2) / 5 + D - 1;
  const Int64 DayOfEra = YearOfEra * 365 + YearOfEra / 4 - YearOfEra / 100 + DayOfYear;
  return Era * 146097 + DayOfEra - 719468;
}

void CivilFromDays(Int64 Z, int& Y, int& M, int& D) {
  Z += 719468;
  const Int64 Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const Int64 DayOfEra = Z - Era * 146097;
  const Int64 YearOfEra = (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
  const Int64 DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
  const Int64 MP = (5 * DayOfYear + 2) / 153;
  D = static_cast<int>(DayOfYear - (153 * MP + 2) / 5 + 1);
  M = static_cast<int>(MP < 10 ? MP + 3 : MP - 9);
  Y = static_cast<int>(YearOfEra + Era * 400 + (M <= 2));
}

// A date-time as its day and the milliseconds of that day. Before day 0 the
// day counts down while the fraction still counts the time forward.
struct TStamp {
  Int64 Day;
  Int64 MSec;
};

[[noreturn]] void DateTimeOutOfRange() { throw EConvertError(LoadStr(SDateTimeRange)); }

TStamp ToStamp(TDateTime V) {
  if (!(V > double(MinDay - 1) && V < double(MaxDay + 1))) DateTimeOutOfRange();
  TStamp T;
  T.Day = static_cast<Int64>(std::trunc(V));
  T.MSec = std::llround(std::fabs(V - std::trunc(V)) * MSecsPerDay);
  if (T.MSec >= MSecsPerDay) {
    T.MSec -= MSecsPerDay;
    ++T.Day;
    if (T.Day > MaxDay) DateTimeOutOfRange();
  }
  return T;
}

struct TParts {
  int Year, Month, Day, Hour, Min, Sec, MSec, DayOfWeek;  // DayOfWeek 0 = Sunday
};

TParts Split(TDateTime V) {
  const TStamp T = ToStamp(V);
  TParts P;
  CivilFromDays(T.Day + DayZeroFrom1970, P.Year, P.Month, P.Day);
  P.Hour = static_cast<int>(T.MSec / 3600000);
  P.Min = static_cast<int>(T.MSec / 60000 % 60);
  P.Sec = static_cast<int>(T.MSec / 1000 % 60);
  P.MSec = static_cast<int>(T.MSec % 1000);
  P.DayOfWeek = static_cast<int>(((T.Day + 6) % 7 + 7) % 7);  // day 0 was a Saturday
  return P;
}

}  // namespace

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
  Date = static_cast<double>(DaysFromCivil(Year, Month, Day) - DayZeroFrom1970);
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime D;
  if (!TryEncodeDate(Year, Month, Day, D)) throw EConvertError(LoadStr(SDateEncodeError));
  return D;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) throw EConvertError(LoadStr(STimeEncodeError));
  return (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
}

void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day) {
  const TParts P = Split(DateTime);
  Year = static_cast<Word>(P.Year);
  Month = static_cast<Word>(P.Month);
  Day = static_cast<Word>(P.Day);
}

void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  const TParts P = Split(DateTime);
  Hour = static_cast<Word>(P.Hour);
  Min = static_cast<Word>(P.Min);
  Sec = static_cast<Word>(P.Sec);
  MSec = static_cast<Word>(P.MSec);
}

TDateTime Now() {
  SYSTEMTIME T;
  GetLocalTime(&T);
  return EncodeDate(T.wYear, T.wMonth, T.wDay) + EncodeTime(T.wHour, T.wMinute, T.wSecond, T.wMilliseconds);
}

TDateTime Date() {
  SYSTEMTIME T;
  GetLocalTime(&T);
  return EncodeDate(T.wYear, T.wMonth, T.wDay);
}

TDateTime Time() {
  SYSTEMTIME T;
  GetLocalTime(&T);
  return EncodeTime(T.wHour, T.wMinute, T.wSecond, T.wMilliseconds);
}

AnsiString DateToStr(TDateTime DateTime) { return FormatDateTime(ShortDateFormat, DateTime); }

AnsiString TimeToStr(TDateTime DateTime) { return FormatDateTime(LongTimeFormat, DateTime); }

AnsiString DateTimeToStr(TDateTime DateTime) {
  const TParts P = Split(DateTime);
  AnsiString R = DateToStr(DateTime);
  if (P.Hour != 0 || P.Min != 0 || P.Sec != 0 || P.MSec != 0) R += ' ' + TimeToStr(DateTime);
  return R;
}

namespace {

bool IsAmPmAt(const AnsiString& Fmt, size_t I) {
  static const char Token[] = "am/pm";
  if (I + 5 > Fmt.size()) return false;
  for (size_t K = 0; K < 5; ++K)
    if (LowerAscii(Fmt[I + K]) != Token[K]) return false;
  return true;
}

// Whether Fmt holds an am/pm token outside its quoted literals.
bool HasAmPm(const AnsiString& Fmt) {
  for (size_t I = 0; I < Fmt.size(); ++I) {
    if (Fmt[I] == '\'' || Fmt[I] == '"') {
      const size_t End = Fmt.find(Fmt[I], I + 1);
      if (End == AnsiString::npos) return false;
      I = End;
    } else if (IsAmPmAt(Fmt, I)) {
      return true;
    }
  }
  return false;
}

AnsiString TwoDigits(int V) { return PadDigits(IntToStr(V), 2); }

}  // namespace

AnsiString FormatDateTime(const AnsiString& Fmt, TDateTime DateTime) {
  SysUtilsInternal::ReadFormatSettings();
  const TParts P = Split(DateTime);
  const bool TwelveHour = HasAmPm(Fmt);
  AnsiString R;
  char LastToken = 0;  // "m" right after an hour token means minutes
  size_t I = 0;
  const size_t N = Fmt.size();
  while (I < N) {
    const char C = Fmt[I];
    const char L = LowerAscii(C);
    if (C == '\'' || C == '"') {
      size_t End = Fmt.find(C, I + 1);
      if (End == AnsiString::npos) End = N;
      R.append(Fmt, I + 1, End - I - 1);
      I = End + 1;
      continue;
    }
    if (L == 'a' && IsAmPmAt(Fmt, I)) {
      R.append(Fmt, P.Hour < 12 ? I : I + 3, 2);
      I += 5;
      LastToken = 'a';
      continue;
    }
    if (L != 'd' && L != 'm' && L != 'y' && L != 'h' && L != 'n' && L != 's' && L != 'z') {
      if (C == '/') R += static_cast<const AnsiChar&>(DateSeparator);
      else if (C == ':') R += static_cast<const AnsiChar&>(TimeSeparator);
      else R += C;
      ++I;
      continue;
    }
    size_t Count = 1;
    while (I + Count < N && LowerAscii(Fmt[I + Count]) == L) ++Count;
    I += Count;
    switch (L) {
      case 'd':
        if (Count == 1) R += IntToStr(P.Day);
        else if (Count == 2) R += TwoDigits(P.Day);
        else if (Count == 3) R += LocaleNames.ShortDay[P.DayOfWeek];
        else R += LocaleNames.LongDay[P.DayOfWeek];
        break;
      case 'm':
        if (LastToken == 'h' && Count <= 2) R += Count == 1 ? IntToStr(P.Min) : TwoDigits(P.Min);
        else if (Count == 1) R += IntToStr(P.Month);
        else if (Count == 2) R += TwoDigits(P.Month);
        else if (Count == 3) R += LocaleNames.ShortMonth[P.Month - 1];
        else R += LocaleNames.LongMonth[P.Month - 1];
        break;
      case 'y': R += Count <= 2 ? TwoDigits(P.Year % 100) : PadDigits(IntToStr(P.Year), 4); break;
      case 'h': {
        int Hour = P.Hour;
        if (TwelveHour) Hour = Hour % 12 == 0 ? 12 : Hour % 12;
        R += Count == 1 ? IntToStr(Hour) : TwoDigits(Hour);
        break;
      }
      case 'n': R += Count == 1 ? IntToStr(P.Min) : TwoDigits(P.Min); break;
      case 's': R += Count == 1 ? IntToStr(P.Sec) : TwoDigits(P.Sec); break;
      case 'z': R += Count == 1 ? IntToStr(P.MSec) : PadDigits(IntToStr(P.MSec), 3); break;
    }
    LastToken = L;
  }
  return R;
}
