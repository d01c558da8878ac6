// Exceptions, string, number, date and file routines of the framework.
//
// 8-bit strings hold text in the system code page. Routines that take a
// position count from 1, as the framework's strings always have.
#pragma once

#include <concepts>
#include <exception>
#include <initializer_list>
#include <type_traits>

#include "System.h"

// The base of every exception the framework and the program raise. The
// message is 8-bit text in the system code page.
class Exception : public std::exception {
public:
  explicit Exception(AnsiString Msg) : FMessage(std::move(Msg)) {}
  ~Exception() override = default;

  const AnsiString& Message() const { return FMessage; }
  void SetMessage(const AnsiString& Value) { FMessage = Value; }
  const char* what() const noexcept override { return FMessage.c_str(); }
  // The class name of the exception as raised ("EConvertError").
  AnsiString ClassName() const;

private:
  AnsiString FMessage;
};

#define FRAMEWORK_EXCEPTION(Name, Base) \
  class Name : public Base {            \
  public:                               \
    using Base::Base;                   \
  };

FRAMEWORK_EXCEPTION(EAbort, Exception)
FRAMEWORK_EXCEPTION(EConvertError, Exception)
FRAMEWORK_EXCEPTION(EListError, Exception)
FRAMEWORK_EXCEPTION(EStringListError, Exception)
FRAMEWORK_EXCEPTION(EStreamError, Exception)
FRAMEWORK_EXCEPTION(EFCreateError, EStreamError)
FRAMEWORK_EXCEPTION(EFOpenError, EStreamError)
FRAMEWORK_EXCEPTION(EFilerError, EStreamError)
FRAMEWORK_EXCEPTION(EReadError, EFilerError)
FRAMEWORK_EXCEPTION(EWriteError, EFilerError)
FRAMEWORK_EXCEPTION(EClassNotFound, EFilerError)
FRAMEWORK_EXCEPTION(EResNotFound, Exception)
FRAMEWORK_EXCEPTION(EComponentError, Exception)
FRAMEWORK_EXCEPTION(EInvalidOperation, Exception)
FRAMEWORK_EXCEPTION(EOutOfResources, Exception)
FRAMEWORK_EXCEPTION(EInvalidGraphic, Exception)
FRAMEWORK_EXCEPTION(EInvalidGraphicOperation, Exception)
FRAMEWORK_EXCEPTION(EInvalidPointer, Exception)
FRAMEWORK_EXCEPTION(EOutOfMemory, Exception)
FRAMEWORK_EXCEPTION(EAssertionFailed, Exception)
FRAMEWORK_EXCEPTION(EIntError, Exception)
FRAMEWORK_EXCEPTION(EMathError, Exception)
FRAMEWORK_EXCEPTION(EInvalidOp, EMathError)
FRAMEWORK_EXCEPTION(EThread, Exception)
FRAMEWORK_EXCEPTION(ERegistryException, Exception)
FRAMEWORK_EXCEPTION(EIniFileException, Exception)

// Errors of the operating system and of file input and output carry the
// system error code.
class EOSError : public Exception {
public:
  EOSError(AnsiString Msg, Cardinal Code = 0) : Exception(std::move(Msg)), ErrorCode(Code) {}
  Cardinal ErrorCode;
};

class EInOutError : public Exception {
public:
  EInOutError(AnsiString Msg, int Code = 0) : Exception(std::move(Msg)), ErrorCode(Code) {}
  int ErrorCode;
};

// ---------------------------------------------------------------------------
// Start-up and the locale's format settings

// Reads the user locale's format settings. The program body calls it once at
// start-up; every routine that needs the settings also reads them on first
// use, so nothing goes wrong when it was not called.
void InitializeSysUtils();

namespace SysUtilsInternal {
void ReadFormatSettings();
bool LoadFormatSettings();
}  // namespace SysUtilsInternal

// A format setting taken from the user locale. The first read or write of any
// setting fetches the locale's values; after that callers may change them.
template <class T> class TFormatSetting {
public:
  constexpr TFormatSetting() = default;
  TFormatSetting(const TFormatSetting&) = delete;
  operator const T&() const {
    SysUtilsInternal::ReadFormatSettings();
    return FValue;
  }
  TFormatSetting& operator=(const T& Value) {
    SysUtilsInternal::ReadFormatSettings();
    FValue = Value;
    return *this;
  }
  TFormatSetting& operator=(const TFormatSetting& Other) { return *this = static_cast<const T&>(Other); }

private:
  friend bool SysUtilsInternal::LoadFormatSettings();
  T FValue{};
};

// The decimal separator of float texts (LOCALE_SDECIMAL; "," for Polish).
extern TFormatSetting<AnsiChar> DecimalSeparator;
// What "/" and ":" stand for in date-time formats.
extern TFormatSetting<AnsiChar> DateSeparator;
extern TFormatSetting<AnsiChar> TimeSeparator;
// The locale's short date and long time formats, turned into the tokens of
// FormatDateTime ("d.mm.yyyy" and "hh:nn:ss" for Polish).
extern TFormatSetting<AnsiString> ShortDateFormat;
extern TFormatSetting<AnsiString> LongTimeFormat;

// Turns a Windows date or time picture (d, M, y, H, h, m, s, tt, quoted text)
// into the tokens of FormatDateTime.
AnsiString LocalePictureToFormat(const AnsiString& Picture);

// ---------------------------------------------------------------------------
// Integers and text

AnsiString IntToStr(Int64 Value);
// Upper-case hexadecimal, at least Digits digits. A negative 32-bit value
// shows its 32-bit pattern ("FFFFFFFF"), a negative Int64 its 64-bit one.
AnsiString IntToHex(Int64 Value, int Digits);
template <std::integral T>
  requires(sizeof(T) <= 4)
AnsiString IntToHex(T Value, int Digits) {
  return IntToHex(static_cast<Int64>(static_cast<std::make_unsigned_t<T>>(Value)), Digits);
}

// Optional leading blanks, an optional sign, then decimal digits or
// hexadecimal ones after "$" or "0x"; nothing may follow. Hexadecimal text
// may use all 32 bits ("$FFFFFFFF" is -1). Errors raise EConvertError
// "'%s' is not a valid integer value".
Integer StrToInt(const AnsiString& S);
Integer StrToIntDef(const AnsiString& S, Integer Default);
bool TryStrToInt(const AnsiString& S, Integer& Value);
Int64 StrToInt64(const AnsiString& S);

// ---------------------------------------------------------------------------
// Floats, written and read with DecimalSeparator

// General format with 15 significant digits and no trailing zeros; the
// scientific form ("1E20", "1,5E-7") when there are more than 15 integer
// digits or the value is below 0.0001.
AnsiString FloatToStr(double Value);
// Blanks around, an optional sign, digits with at most one separator, an
// optional exponent ("E" or "e", optional sign, digits). Errors raise
// EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const AnsiString& S);
bool TryStrToFloat(const AnsiString& S, double& Value);
double StrToFloatDef(const AnsiString& S, double Default);

// ---------------------------------------------------------------------------
// Format

// One argument of Format: an integer, a float or a string. It refers to the
// caller's string, so it lives only as long as the call.
class TFormatArg {
public:
  enum TKind { akInteger, akFloat, akAnsi, akWide };

  TFormatArg(int Value) : FKind(akInteger), FInteger(Value) {}
  TFormatArg(long Value) : FKind(akInteger), FInteger(Value) {}
  TFormatArg(long long Value) : FKind(akInteger), FInteger(Value), FIs64(true) {}
  TFormatArg(unsigned Value) : FKind(akInteger), FInteger(Value) {}
  TFormatArg(unsigned long Value) : FKind(akInteger), FInteger(Value) {}
  TFormatArg(unsigned long long Value)
      : FKind(akInteger), FInteger(static_cast<Int64>(Value)), FIs64(true) {}
  TFormatArg(double Value) : FKind(akFloat), FFloat(Value) {}
  TFormatArg(const char* Value) : FKind(akAnsi), FAnsi(Value ? Value : "") {}
  TFormatArg(const AnsiString& Value) : FKind(akAnsi), FAnsi(Value.c_str()), FLength(Value.size()) {
  }
  TFormatArg(const wchar_t* Value) : FKind(akWide), FWide(Value ? Value : L"") {}
  TFormatArg(const WideString& Value)
      : FKind(akWide), FWide(Value.c_str()), FLength(Value.size()) {}

  TKind Kind() const { return FKind; }
  Int64 AsInteger() const { return FInteger; }
  bool Is64() const { return FIs64; }
  double AsFloat() const { return FFloat; }
  AnsiString AsAnsi() const;
  WideString AsWide() const;

private:
  TKind FKind;
  Int64 FInteger = 0;
  bool FIs64 = false;
  double FFloat = 0;
  const char* FAnsi = nullptr;
  const wchar_t* FWide = nullptr;
  size_t FLength = size_t(-1);  // -1: zero-terminated
};

// Formats Args into Fmt: %d %u %x %X (upper-case hexadecimal) for integers,
// %f (default 2 decimals) %e %g (default 15 digits) for floats, %s for
// strings, %% for "%"; each with an optional "-" (left-justify), width and
// ".precision". A wrong specifier or argument raises EConvertError
// "Format '%s' invalid or incompatible with argument"; a missing one
// "No argument for format '%s'".
AnsiString FormatArgs(const AnsiString& Fmt, std::initializer_list<TFormatArg> Args);
WideString WideFormatArgs(const WideString& Fmt, std::initializer_list<TFormatArg> Args);

template <class... A> AnsiString Format(const AnsiString& Fmt, const A&... Args) {
  return FormatArgs(Fmt, {TFormatArg(Args)...});
}
template <class... A> WideString WideFormat(const WideString& Fmt, const A&... Args) {
  return WideFormatArgs(Fmt, {TFormatArg(Args)...});
}

// ---------------------------------------------------------------------------
// Strings

// Remove the characters up to and including the blank (control characters).
AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);
WideString Trim(const WideString& S);
WideString TrimLeft(const WideString& S);
WideString TrimRight(const WideString& S);
WideString WideTrim(const WideString& S);
WideString WideTrimLeft(const WideString& S);
WideString WideTrimRight(const WideString& S);

// ASCII letters only.
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);
// Every letter of the system code page / of UTF-16.
AnsiString AnsiUpperCase(const AnsiString& S);
AnsiString AnsiLowerCase(const AnsiString& S);
AnsiString AnsiLowerCaseFileName(const AnsiString& S);
WideString WideUpperCase(const WideString& S);
WideString WideLowerCase(const WideString& S);

// Comparisons return <0, 0 or >0. CompareText and CompareStr compare the
// bytes, CompareText with ASCII letters folded; the Ansi and Wide ones follow
// the user locale's collation (Text ignoring case).
int CompareStr(const AnsiString& S1, const AnsiString& S2);
int CompareText(const AnsiString& S1, const AnsiString& S2);
bool SameText(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2);
int WideCompareStr(const WideString& S1, const WideString& S2);
int WideCompareText(const WideString& S1, const WideString& S2);
bool WideSameStr(const WideString& S1, const WideString& S2);
bool WideSameText(const WideString& S1, const WideString& S2);

// The 1-based position of the first Sub in S; 0 when absent or Sub is empty.
int Pos(const AnsiString& Sub, const AnsiString& S);
int Pos(const WideString& Sub, const WideString& S);
// Count characters from Index, cut to what S holds; never raises.
AnsiString Copy(const AnsiString& S, int Index, int Count);
WideString Copy(const WideString& S, int Index, int Count);
// Removes Count characters from Index; nothing when Index lies outside S.
void Delete(AnsiString& S, int Index, int Count);
void Delete(WideString& S, int Index, int Count);
// Inserts Sub before position Index (cut into 1..length + 1).
void Insert(const AnsiString& Sub, AnsiString& S, int Index);
void Insert(const WideString& Sub, WideString& S, int Index);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
// Replaces the first (or every) OldPattern; rfIgnoreCase compares with the
// locale's upper case. An empty OldPattern replaces nothing.
AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags);
WideString StringReplace(const WideString& S, const WideString& OldPattern,
                         const WideString& NewPattern, TReplaceFlags Flags);

// S between Quote characters, with each Quote in S doubled.
AnsiString QuotedStr(const AnsiString& S);
AnsiString AnsiQuotedStr(const AnsiString& S, AnsiChar Quote);
// The reverse of AnsiQuotedStr; S unchanged when it is not a quoted text.
AnsiString AnsiDequotedStr(const AnsiString& S, AnsiChar Quote);

AnsiString StringOfChar(AnsiChar Ch, int Count);
WideString StringOfChar(WideChar Ch, int Count);

// ---------------------------------------------------------------------------
// Numbers

// To the nearest integer, halves to the even neighbour (12.5 gives 12).
// A value outside the Int64 range raises EInvalidOp.
Int64 Round(double X);
// Toward zero; outside the Int64 range raises EInvalidOp.
Int64 Trunc(double X);
double Frac(double X);

// The random generator: RandSeed steps by the linear congruence
// RandSeed * 1664525 + 1013904223 (mod 2^32). Setting it repeats a sequence.
extern Cardinal RandSeed;
// 0 .. Range - 1 (0 when Range <= 0).
int Random(int Range);
// [0, 1).
double Random();
// Seeds the generator from the clock.
void Randomize();

// ---------------------------------------------------------------------------
// Date and time: days since 1899-12-30, the fraction is the time of day.

using TDateTime = double;

// Year 1..9999; an invalid date raises EConvertError.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
// Hour < 24, Min < 60, Sec < 60, MSec < 1000; else EConvertError.
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
// To the nearest millisecond. A value outside years 1..9999 (or not a
// number) raises EConvertError.
void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);

TDateTime Now();
TDateTime Date();
TDateTime Time();

AnsiString DateToStr(TDateTime DateTime);
AnsiString TimeToStr(TDateTime DateTime);
// The short date, a blank and the long time; the time is left out at midnight.
AnsiString DateTimeToStr(TDateTime DateTime);
// Tokens (any case): d dd ddd dddd, m mm mmm mmmm (minutes right after an
// hour token), yy yyyy, h hh (12-hour when am/pm is present), n nn, s ss,
// z zzz, am/pm, "/" and ":" for the separators, '...' and "..." literals.
AnsiString FormatDateTime(const AnsiString& Fmt, TDateTime DateTime);

#include "FileUtils.h"
