// String routines of the control foundation: 8-bit helpers, the UTF-16
// family on WideString and on zero-terminated wide strings, the library's
// own table-driven case mapping and a UTF-8 decoder.
//
// Routines on strings take and return 1-based positions; routines on
// zero-terminated strings take pointers. Everything works on UTF-16 code
// units: a surrogate pair is two units, never one character.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "System.h"

// ---------------------------------------------------------------------------
// 8-bit helpers

// Replaces the first Old in S by New; false (S unchanged) when Old is absent.
bool ReplaceFirst(AnsiString& S, const AnsiString& Old, const AnsiString& New);
// Position of the last Sub in S; 0 when absent, either is empty or Sub is
// longer than S.
int LastPos(const AnsiString& Sub, const AnsiString& S);
// Hexadecimal text: an optional "$" at position 1, blanks around, an optional
// sign, then 0-9 A-F a-f, accumulated with 32-bit wrap-around. Anything else
// raises EConvertError "'%s' is not a valid integer value".
Integer HexToInt(const AnsiString& S);
Integer HexToIntDef(const AnsiString& S, Integer Default);
// Takes Count characters from Index out of S and returns them.
AnsiString ExtractStr(AnsiString& S, int Index, int Count);
// True when Prefix is nullptr, false when P is, else whether P begins with Prefix.
bool StrStartsWith(const char* P, const char* Prefix);
// True when Index lies in 1..Length(S) and S from Index begins with Sub.
bool ContainsAt(const AnsiString& S, int Index, const AnsiString& Sub);

// Binary data as text: "454C ", the size in hexadecimal, " ", then two
// hexadecimal digits and a blank per byte ("454C 2 01 AB ").
AnsiString BinaryToHexText(const void* Buffer, int Size);
// The reverse. Size is -1 (and Buffer empty) when Text has no valid header;
// else Buffer holds Size bytes, those not read being zero. True only when all
// Size bytes were read; text beyond them is ignored. A size the text cannot
// hold (negative, or more bytes than it has tokens) gives false with Size -1
// before anything is allocated.
bool HexTextToBinary(const AnsiString& Text, std::vector<Byte>& Buffer, int& Size);

// ---------------------------------------------------------------------------
// UTF-16 strings (1-based positions)

int WidePos(const WideString& Sub, const WideString& S);
// 0 when absent, either is empty or Sub is longer than S.
int WideLastPos(const WideString& Sub, const WideString& S);
// Count units from Index (an Index below 1 counts as 1), cut to what S holds.
WideString WideCopy(const WideString& S, int Index, int Count);
// Inserts Sub before Index (cut into 1..Length(S) + 1).
void WideInsert(const WideString& Sub, WideString& S, int Index);
// Removes Count units from Index; nothing when Index lies outside S.
void WideDelete(WideString& S, int Index, int Count);
WideString WideExtractStr(WideString& S, int Index, int Count);
// WideTrim (units up to U+0020 removed from both ends) is the framework's own
// (SysUtils.h).
WideString WideStringOfChar(WideChar Ch, int Count);
// S becomes Length units from Buffer; Length zero units for a nullptr Buffer;
// empty when Length <= 0.
void WideSetString(WideString& S, const WideChar* Buffer, int Length);
// The units before the terminator; nullptr gives the empty string.
WideString WideStrPas(const WideChar* P);

// Ordinal, unit by unit: -1, 0 or 1.
int VsWideCompareStr(const WideString& S1, const WideString& S2);
// Ordinal through WideStrComp (so it stops at an embedded zero unit): the
// difference of the first differing units, 0 when equal.
int WideCompareOrdinal(const WideString& S1, const WideString& S2);
// Equal after VsWideUpperCase of both.
bool VsWideSameText(const WideString& S1, const WideString& S2);

// The library's case mapping, one unit for one unit: the length never changes.
WideString VsWideUpperCase(const WideString& S);
WideString VsWideLowerCase(const WideString& S);

// ---------------------------------------------------------------------------
// Zero-terminated UTF-16 strings

int WideStrLen(const WideChar* P);
const WideChar* WideStrEnd(const WideChar* P);
WideChar* WideStrEnd(WideChar* P);
// Copies Source with its terminator; returns Dest.
WideChar* WideStrCopy(WideChar* Dest, const WideChar* Source);
// Copies at most MaxLen units (fewer at Source's terminator), then a
// terminator; returns Dest.
WideChar* WideStrLCopy(WideChar* Dest, const WideChar* Source, int MaxLen);
WideChar* WideStrCat(WideChar* Dest, const WideChar* Source);
// P1's unit minus P2's at the first difference or at the common terminator.
int WideStrComp(const WideChar* P1, const WideChar* P2);
// The first / last Ch (the terminator is found by searching for 0); nullptr
// when absent.
const WideChar* WideStrScan(const WideChar* P, WideChar Ch);
WideChar* WideStrScan(WideChar* P, WideChar Ch);
const WideChar* WideStrRScan(const WideChar* P, WideChar Ch);
WideChar* WideStrRScan(WideChar* P, WideChar Ch);
// The first Sub in P; nullptr when either is nullptr, Sub is empty or longer
// than P, or there is no match.
const WideChar* WideStrPos(const WideChar* P, const WideChar* Sub);
WideChar* WideStrPos(WideChar* P, const WideChar* Sub);
// Copies Count units; the ranges may overlap.
void WideMove(const WideChar* Source, WideChar* Dest, int Count);
// Count copies of Ch; nothing for Count <= 0.
void WideFillChar(WideChar* P, int Count, WideChar Ch);

// ---------------------------------------------------------------------------
// The case-folding table behind the case mapping

// Status bits of a row.
constexpr Word cfCommon = 1;  // one unit to one unit, for every mapping
constexpr Word cfSimple = 2;  // one to one where a full folding also exists
constexpr Word cfFull = 4;    // one unit to two or three
constexpr Word cfTurkic = 8;  // the dotted and dotless i

struct TCaseFoldEntry {
  Word Status;
  Word Code;  // the unit that folds
  Word Map1;  // its folding; Map2 and Map3 only for full foldings, else 0
  Word Map2;
  Word Map3;
};

// The rows in ascending order of Code (generated by scripts/gen_case_table.py).
extern const TCaseFoldEntry CaseFoldTable[];
extern const int CaseFoldTableCount;

// The statuses the case mapping uses: full foldings are never applied.
constexpr Word CaseMapMask = cfCommon | cfSimple | cfTurkic;

// Releases the lookup tables that the case mapping builds on first use.
void FinalizeVsStrUtils();

// ---------------------------------------------------------------------------
// UTF-8

enum TUtf8ConversionResult { crConverted = 0, crSourceExhausted = 1, crSourceIllegal = 3 };

// Whether the Length bytes at Bytes form one legal UTF-8 sequence (1 to 4 bytes).
bool IsLegalUtf8Sequence(const Byte* Bytes, int Length);
// Decodes the bytes of Source into Target (cleared first). Stops at the first
// sequence cut off by the end (crSourceExhausted) or illegal (crSourceIllegal),
// leaving what was decoded so far. Lenient keeps lone surrogate values as
// units. AddByteOrderMark puts U+FEFF in front unless it is there already.
TUtf8ConversionResult ConvertUtf8ToUtf16(const std::string& Source, WideString& Target, bool Lenient,
                                         bool AddByteOrderMark);
