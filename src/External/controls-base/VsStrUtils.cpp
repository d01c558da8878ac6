#include "VsStrUtils.h"

#include <cstring>
#include <memory>

// ---------------------------------------------------------------------------
// 8-bit helpers

bool ReplaceFirst(AnsiString& S, const AnsiString& Old, const AnsiString& New) {
  const int P = Pos(Old, S);
  if (P == 0) return false;
  S.replace(static_cast<size_t>(P) - 1, Old.size(), New);
  return true;
}

int LastPos(const AnsiString& Sub, const AnsiString& S) {
  if (Sub.empty() || S.empty() || Sub.size() > S.size()) return 0;
  const size_t P = S.rfind(Sub);
  return P == AnsiString::npos ? 0 : static_cast<int>(P) + 1;
}

namespace {

[[noreturn]] void InvalidInteger(const AnsiString& S) {
  throw EConvertError(Format("'%s' is not a valid integer value", S));
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

// Extraction returns exactly what it removes: an Index outside S takes
// nothing, where a plain Copy would return text that Delete leaves in place.
template <class Str> Str ExtractFrom(Str& S, int Index, int Count) {
  if (Index < 1 || Index > static_cast<int>(S.size()) || Count <= 0) return Str();
  Str Result = S.substr(static_cast<size_t>(Index) - 1, static_cast<size_t>(Count));
  S.erase(static_cast<size_t>(Index) - 1, Result.size());
  return Result;
}

// The text up to the next blank, taken out of S with the blank. Without a
// blank: the whole rest when Rest is set (Last then becomes true), else empty.
AnsiString NextToken(AnsiString& S, bool Rest, bool& Last) {
  const size_t P = S.find(' ');
  if (P == AnsiString::npos) {
    if (!Rest) return AnsiString();
    Last = true;
    return std::exchange(S, AnsiString());
  }
  AnsiString Token = S.substr(0, P);
  S.erase(0, P + 1);
  return Token;
}

}  // namespace

Integer HexToInt(const AnsiString& S) {
  AnsiString T = S;
  if (!T.empty() && T[0] == '$') T.erase(0, 1);
  T = Trim(T);
  if (T.empty()) InvalidInteger(T);
  bool Negative = false;
  if (T[0] == '-' || T[0] == '+') {
    Negative = T[0] == '-';
    T.erase(0, 1);
  }
  if (T.empty()) InvalidInteger(T);
  Cardinal Value = 0;
  for (char C : T) {
    const int D = HexDigit(C);
    if (D < 0) InvalidInteger(T);
    Value = Value * 16 + static_cast<Cardinal>(D);
  }
  return static_cast<Integer>(Negative ? 0u - Value : Value);
}

Integer HexToIntDef(const AnsiString& S, Integer Default) {
  try {
    return HexToInt(S);
  } catch (const EConvertError&) {
    return Default;
  }
}

AnsiString ExtractStr(AnsiString& S, int Index, int Count) { return ExtractFrom(S, Index, Count); }

bool StrStartsWith(const char* P, const char* Prefix) {
  if (!Prefix) return true;
  if (!P) return false;
  return std::strncmp(P, Prefix, std::strlen(Prefix)) == 0;
}

bool ContainsAt(const AnsiString& S, int Index, const AnsiString& Sub) {
  if (Index < 1 || Index > static_cast<int>(S.size())) return false;
  return S.compare(static_cast<size_t>(Index) - 1, Sub.size(), Sub) == 0;
}

AnsiString BinaryToHexText(const void* Buffer, int Size) {
  AnsiString Result = "454C " + IntToHex(Size, 1) + " ";
  const Byte* Bytes = static_cast<const Byte*>(Buffer);
  for (int I = 0; I < Size; ++I) Result += IntToHex(Bytes[I], 2) + " ";
  return Result;
}

bool HexTextToBinary(const AnsiString& Text, std::vector<Byte>& Buffer, int& Size) {
  Size = -1;
  Buffer.clear();
  if (Text.compare(0, 4, "454C") != 0) return false;
  AnsiString Rest = Text.substr(Text.size() < 5 ? Text.size() : 5);
  bool Last = false;
  const AnsiString SizeToken = NextToken(Rest, false, Last);
  if (SizeToken.empty()) return false;
  Integer Wanted;
  try {
    Wanted = HexToInt(SizeToken);
  } catch (const EConvertError&) {
    return false;
  }
  // Every byte needs at least one digit and all but the last a blank: a size
  // the remaining text cannot hold is damaged data, refused before allocating.
  if (Wanted < 0 || static_cast<size_t>(Wanted) > (Rest.size() + 1) / 2) return false;
  Size = Wanted;
  Buffer.assign(static_cast<size_t>(Size), 0);
  int Read = 0;
  while (Read < Size && !Last) {
    const AnsiString Token = NextToken(Rest, true, Last);
    try {
      Buffer[static_cast<size_t>(Read)] = static_cast<Byte>(HexToInt(Token));
    } catch (const EConvertError&) {
      return false;
    }
    ++Read;
  }
  return Read == Size;
}

// ---------------------------------------------------------------------------
// UTF-16 strings

int WidePos(const WideString& Sub, const WideString& S) { return Pos(Sub, S); }

int WideLastPos(const WideString& Sub, const WideString& S) {
  if (Sub.empty() || S.empty() || Sub.size() > S.size()) return 0;
  const size_t P = S.rfind(Sub);
  return P == WideString::npos ? 0 : static_cast<int>(P) + 1;
}

WideString WideCopy(const WideString& S, int Index, int Count) { return Copy(S, Index, Count); }

void WideInsert(const WideString& Sub, WideString& S, int Index) { Insert(Sub, S, Index); }

void WideDelete(WideString& S, int Index, int Count) { Delete(S, Index, Count); }

WideString WideExtractStr(WideString& S, int Index, int Count) { return ExtractFrom(S, Index, Count); }

WideString WideStringOfChar(WideChar Ch, int Count) {
  return Count > 0 ? WideString(static_cast<size_t>(Count), Ch) : WideString();
}

void WideSetString(WideString& S, const WideChar* Buffer, int Length) {
  if (Length <= 0) S.clear();
  else if (!Buffer) S.assign(static_cast<size_t>(Length), L'\0');
  else S.assign(Buffer, static_cast<size_t>(Length));
}

WideString WideStrPas(const WideChar* P) { return P ? WideString(P) : WideString(); }

int VsWideCompareStr(const WideString& S1, const WideString& S2) {
  const int C = S1.compare(S2);
  return C < 0 ? -1 : C > 0 ? 1 : 0;
}

int WideCompareOrdinal(const WideString& S1, const WideString& S2) {
  return WideStrComp(S1.c_str(), S2.c_str());
}

bool VsWideSameText(const WideString& S1, const WideString& S2) {
  return VsWideCompareStr(VsWideUpperCase(S1), VsWideUpperCase(S2)) == 0;
}

// ---------------------------------------------------------------------------
// Zero-terminated UTF-16 strings

int WideStrLen(const WideChar* P) { return static_cast<int>(WideStrEnd(P) - P); }

const WideChar* WideStrEnd(const WideChar* P) {
  while (*P) ++P;
  return P;
}

WideChar* WideStrEnd(WideChar* P) { return const_cast<WideChar*>(WideStrEnd(static_cast<const WideChar*>(P))); }

WideChar* WideStrCopy(WideChar* Dest, const WideChar* Source) {
  WideChar* D = Dest;
  while ((*D++ = *Source++) != 0) {
  }
  return Dest;
}

WideChar* WideStrLCopy(WideChar* Dest, const WideChar* Source, int MaxLen) {
  WideChar* D = Dest;
  for (int I = 0; I < MaxLen && *Source; ++I) *D++ = *Source++;
  *D = 0;
  return Dest;
}

WideChar* WideStrCat(WideChar* Dest, const WideChar* Source) {
  WideStrCopy(WideStrEnd(Dest), Source);
  return Dest;
}

int WideStrComp(const WideChar* P1, const WideChar* P2) {
  while (*P1 && *P1 == *P2) {
    ++P1;
    ++P2;
  }
  return static_cast<int>(static_cast<Word>(*P1)) - static_cast<int>(static_cast<Word>(*P2));
}

const WideChar* WideStrScan(const WideChar* P, WideChar Ch) {
  for (;; ++P) {
    if (*P == Ch) return P;
    if (!*P) return nullptr;
  }
}

WideChar* WideStrScan(WideChar* P, WideChar Ch) {
  return const_cast<WideChar*>(WideStrScan(static_cast<const WideChar*>(P), Ch));
}

const WideChar* WideStrRScan(const WideChar* P, WideChar Ch) {
  const WideChar* Found = nullptr;
  for (;; ++P) {
    if (*P == Ch) Found = P;
    if (!*P) return Found;
  }
}

WideChar* WideStrRScan(WideChar* P, WideChar Ch) {
  return const_cast<WideChar*>(WideStrRScan(static_cast<const WideChar*>(P), Ch));
}

const WideChar* WideStrPos(const WideChar* P, const WideChar* Sub) {
  if (!P || !Sub || !*Sub) return nullptr;
  const int SubLen = WideStrLen(Sub);
  for (int Left = WideStrLen(P); Left >= SubLen; --Left, ++P)
    if (std::memcmp(P, Sub, static_cast<size_t>(SubLen) * sizeof(WideChar)) == 0) return P;
  return nullptr;
}

WideChar* WideStrPos(WideChar* P, const WideChar* Sub) {
  return const_cast<WideChar*>(WideStrPos(static_cast<const WideChar*>(P), Sub));
}

void WideMove(const WideChar* Source, WideChar* Dest, int Count) {
  if (Count > 0) std::memmove(Dest, Source, static_cast<size_t>(Count) * sizeof(WideChar));
}

void WideFillChar(WideChar* P, int Count, WideChar Ch) {
  for (int I = 0; I < Count; ++I) P[I] = Ch;
}

// ---------------------------------------------------------------------------
// Case mapping

const TCaseFoldEntry CaseFoldTable[] = {
#include "VsCaseTable.inc"
};
const int CaseFoldTableCount = static_cast<int>(sizeof(CaseFoldTable) / sizeof(CaseFoldTable[0]));

namespace {

// Per direction, the number (from 1; 0 for none) of the first row whose key
// is the unit and whose status the mapping uses. Lower-casing keys rows by
// their code, upper-casing by their folding. Only the row for CaseMapMask is
// ever read, so only that one is built.
using TCaseLookup = std::unique_ptr<Word[]>;
TCaseLookup LowerLookup;
TCaseLookup UpperLookup;

const Word* Lookup(bool Upper) {
  TCaseLookup& Table = Upper ? UpperLookup : LowerLookup;
  if (!Table) {
    Table = std::make_unique<Word[]>(0x10000);
    for (int I = 0; I < CaseFoldTableCount; ++I) {
      const TCaseFoldEntry& E = CaseFoldTable[I];
      Word& Cell = Table[Upper ? E.Map1 : E.Code];
      if ((E.Status & CaseMapMask) != 0 && Cell == 0) Cell = static_cast<Word>(I + 1);
    }
  }
  return Table.get();
}

WideString MapCase(const WideString& S, bool Upper) {
  if (S.empty()) return S;
  const Word* Table = Lookup(Upper);
  WideString R = S;
  for (WideChar& C : R) {
    const Word Entry = Table[static_cast<Word>(C)];
    if (Entry == 0) continue;
    const TCaseFoldEntry& E = CaseFoldTable[Entry - 1];
    C = static_cast<WideChar>(Upper ? E.Code : E.Map1);
  }
  return R;
}

}  // namespace

WideString VsWideUpperCase(const WideString& S) { return MapCase(S, true); }

WideString VsWideLowerCase(const WideString& S) { return MapCase(S, false); }

void FinalizeVsStrUtils() {
  LowerLookup.reset();
  UpperLookup.reset();
}

// ---------------------------------------------------------------------------
// UTF-8

bool IsLegalUtf8Sequence(const Byte* Bytes, int Length) {
  if (Length < 1 || Length > 4) return false;
  for (int I = 1; I < Length; ++I)
    if (Bytes[I] < 0x80 || Bytes[I] > 0xBF) return false;
  const Byte First = Bytes[0];
  if (Length >= 2) {
    const Byte Second = Bytes[1];
    if ((First == 0xE0 && Second < 0xA0) || (First == 0xF0 && Second < 0x90) ||
        (First == 0xF4 && Second > 0x8F))
      return false;
  }
  return !(First >= 0x80 && First < 0xC2) && First <= 0xF4;
}

TUtf8ConversionResult ConvertUtf8ToUtf16(const std::string& Source, WideString& Target, bool Lenient,
                                         bool AddByteOrderMark) {
  // What the lead bits of a sequence of 1..4 bytes add up to (longer ones
  // never pass the legality check).
  static const Cardinal Offsets[4] = {0x00000000, 0x00003080, 0x000E2080, 0x03C82080};
  Target.clear();
  TUtf8ConversionResult Result = crConverted;
  const Byte* P = reinterpret_cast<const Byte*>(Source.data());
  const Byte* End = P + Source.size();
  while (P < End) {
    const Byte First = *P;
    const int Extra = First < 0xC0 ? 0 : First < 0xE0 ? 1 : First < 0xF0 ? 2 : First < 0xF8 ? 3 : First < 0xFC ? 4 : 5;
    if (Extra >= End - P) {
      Result = crSourceExhausted;
      break;
    }
    if (!IsLegalUtf8Sequence(P, Extra + 1)) {
      Result = crSourceIllegal;
      break;
    }
    Cardinal Value = 0;
    for (int I = 0; I < Extra; ++I) Value = (Value + *P++) << 6;
    Value += *P++;
    Value -= Offsets[Extra];
    if (Value <= 0xFFFF) {
      if (Value >= 0xD800 && Value <= 0xDFFF && !Lenient) {
        Result = crSourceIllegal;
        break;
      }
      Target += static_cast<WideChar>(Value);
    } else {
      // The legality check keeps four-byte values at or below U+10FFFF.
      Value -= 0x10000;
      Target += static_cast<WideChar>(0xD800 + (Value >> 10));
      Target += static_cast<WideChar>(0xDC00 + (Value & 0x3FF));
    }
  }
  if (AddByteOrderMark && (Target.empty() || Target[0] != 0xFEFF)) Target.insert(Target.begin(), 0xFEFF);
  return Result;
}
