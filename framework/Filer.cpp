#include "Filer.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "Collections.h"
#include "Consts.h"
#include "Streams.h"
#include "Win.h"

namespace {

char UpperChar(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }

bool SameName(const AnsiString& A, const AnsiString& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (UpperChar(A[I]) != UpperChar(B[I])) return false;
  return true;
}

AnsiString Upper(AnsiString S) {
  for (char& C : S) C = UpperChar(C);
  return S;
}

AnsiString Describe(TPersistent* Instance) {
  auto* Component = dynamic_cast<TComponent*>(Instance);
  if (Component && !Component->Name().empty()) return Component->Name();
  return ShortTypeName(typeid(*Instance));
}

TReader::TPropertyReader GPropertyReader = nullptr;

// No layout comes near this many levels of nested objects, lists and
// collections; deeper ones are refused before they exhaust the stack.
constexpr int MaxLayoutNesting = 1000;

// The 10-byte x87 extended format of float values: a 64-bit mantissa with
// its integer bit, then 15 exponent bits (bias 16383) and the sign.
void EncodeExtended(double Value, Byte* Out) {
  const std::uint64_t Bits = std::bit_cast<std::uint64_t>(Value);
  const unsigned Sign = static_cast<unsigned>(Bits >> 63);
  const int Exp = static_cast<int>((Bits >> 52) & 0x7FF);
  std::uint64_t Fraction = Bits & ((std::uint64_t(1) << 52) - 1);
  std::uint64_t Mantissa = 0;
  unsigned Exponent = 0;
  if (Exp == 0x7FF) {
    Exponent = 0x7FFF;
    Mantissa = (std::uint64_t(1) << 63) | (Fraction << 11);
  } else if (Exp != 0 || Fraction != 0) {
    int E = Exp - 1023;
    if (Exp == 0) {
      // Subnormal: normalise so that the integer bit is set.
      E = -1022;
      while (!(Fraction & (std::uint64_t(1) << 52))) {
        Fraction <<= 1;
        --E;
      }
    } else {
      Fraction |= std::uint64_t(1) << 52;
    }
    Mantissa = Fraction << 11;
    Exponent = static_cast<unsigned>(E + 16383);
  }
  for (int I = 0; I < 8; ++I) Out[I] = static_cast<Byte>(Mantissa >> (8 * I));
  const unsigned Top = Exponent | (Sign << 15);
  Out[8] = static_cast<Byte>(Top);
  Out[9] = static_cast<Byte>(Top >> 8);
}

double DecodeExtended(const Byte* In) {
  std::uint64_t Mantissa = 0;
  for (int I = 0; I < 8; ++I) Mantissa |= std::uint64_t(In[I]) << (8 * I);
  const unsigned Top = In[8] | (unsigned(In[9]) << 8);
  const bool Negative = (Top & 0x8000) != 0;
  const int Exponent = static_cast<int>(Top & 0x7FFF);
  double R;
  if (Exponent == 0 && Mantissa == 0)
    R = 0.0;
  else if (Exponent == 0x7FFF)
    R = (Mantissa << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
  else
    R = std::ldexp(static_cast<double>(Mantissa), Exponent - 16383 - 63);
  return Negative ? -R : R;
}

// --- the text layout syntax ---

// Builds the binary form stream in memory.
class TBinaryBuilder {
public:
  void Put(unsigned B) { FData.push_back(static_cast<char>(B & 0xFF)); }
  void Int32(std::int32_t V) {
    for (int I = 0; I < 4; ++I) Put(static_cast<std::uint32_t>(V) >> (8 * I));
  }
  void Bytes(const std::string& S) { FData += S; }
  void Integer(Int64 V) {
    if (V >= -128 && V <= 127) {
      Put(vaInt8);
      Put(static_cast<unsigned>(V));
    } else if (V >= -32768 && V <= 32767) {
      Put(vaInt16);
      Put(static_cast<unsigned>(V));
      Put(static_cast<unsigned>(V >> 8));
    } else if (V >= std::numeric_limits<std::int32_t>::min() && V <= std::numeric_limits<std::int32_t>::max()) {
      Put(vaInt32);
      Int32(static_cast<std::int32_t>(V));
    } else {
      Put(vaInt64);
      for (int I = 0; I < 8; ++I) Put(static_cast<unsigned>(static_cast<std::uint64_t>(V) >> (8 * I)));
    }
  }
  Int64 Size() const { return static_cast<Int64>(FData.size()); }
  const std::string& Data() const { return FData; }

private:
  std::string FData;
};

class TLayoutParser {
public:
  TLayoutParser(const std::string& Text, TLayoutLines* Lines) : FText(Text), FLines(Lines) {
    if (FText.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = 3;
  }

  std::string Convert() {
    FOut.Bytes("TPF0");
    Next();
    if (!IsObjectKeyword()) Error(FmtLoadStr(SLayoutExpected, "\"object\""));
    ParseObject();
    if (FKind != kEnd) Error(LoadStr(SLayoutTextAfterEnd));
    return FOut.Data();
  }

private:
  enum TKind { kEnd, kIdent, kString, kInteger, kFloat, kSymbol, kBinary };

  [[noreturn]] void Error(const AnsiString& Message) const {
    throw EParserError(FmtLoadStr(SLayoutLine, FTokenLine, Message));
  }

  void Mark() {
    if (FLines) FLines->push_back({FOut.Size(), FTokenLine});
  }

  // One more level of nested objects, lists or collections for as long as
  // it lives.
  class TNesting {
  public:
    explicit TNesting(TLayoutParser& Parser) : FParser(Parser) {
      if (++FParser.FDepth > MaxLayoutNesting) {
        --FParser.FDepth;
        FParser.Error(LoadStr(SLayoutTooDeep));
      }
    }
    ~TNesting() { --FParser.FDepth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

  private:
    TLayoutParser& FParser;
  };

  // --- tokens ---

  static bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
  static bool IsDigit(char C) { return C >= '0' && C <= '9'; }
  static bool IsHexDigit(char C) {
    return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
  }
  static int HexValue(char C) {
    if (IsDigit(C)) return C - '0';
    return (UpperChar(C) - 'A') + 10;
  }
  char At(size_t I) const { return I < FText.size() ? FText[I] : '\0'; }
  static bool IsOneOf(char C, const char* Set) { return C != '\0' && std::strchr(Set, C) != nullptr; }

  void SkipBlanks() {
    while (FPos < FText.size()) {
      const char C = FText[FPos];
      if (C == '\n') {
        ++FLine;
      } else if (C != ' ' && C != '\t' && C != '\r') {
        break;
      }
      ++FPos;
    }
  }

  void Next() {
    SkipBlanks();
    FTokenLine = FLine;
    FToken.clear();
    if (FPos >= FText.size()) {
      FKind = kEnd;
      return;
    }
    const char C = FText[FPos];
    if (IsIdentStart(C)) {
      LexIdent();
    } else if (C == '\'' || C == '#') {
      LexString();
    } else if (IsDigit(C) || C == '$' || (C == '-' && (IsDigit(At(FPos + 1)) || At(FPos + 1) == '$'))) {
      LexNumber();
    } else if (C == '{') {
      LexBinary();
    } else if (IsOneOf(C, "=:[](),+<>")) {
      FKind = kSymbol;
      FToken = C;
      ++FPos;
    } else {
      Error(LoadStr(SLayoutInvalidChar));
    }
  }

  void LexIdent() {
    FKind = kIdent;
    for (;;) {
      while (FPos < FText.size() && (IsIdentStart(FText[FPos]) || IsDigit(FText[FPos]))) FToken += FText[FPos++];
      if (At(FPos) == '.' && IsIdentStart(At(FPos + 1))) {
        FToken += '.';
        ++FPos;
      } else {
        break;
      }
    }
  }

  // Appends one code point as UTF-16 units.
  void AppendCodePoint(std::uint32_t CP) {
    if (CP >= 0x10000) {
      CP -= 0x10000;
      FUnits.push_back(static_cast<wchar_t>(0xD800 + (CP >> 10)));
      FUnits.push_back(static_cast<wchar_t>(0xDC00 + (CP & 0x3FF)));
    } else {
      FUnits.push_back(static_cast<wchar_t>(CP));
    }
  }

  // One character of UTF-8 text inside quotes.
  void DecodeUtf8Char() {
    const auto Lead = static_cast<unsigned char>(FText[FPos]);
    int Extra;
    std::uint32_t CP;
    if (Lead < 0x80) {
      FUnits.push_back(static_cast<wchar_t>(Lead));
      ++FPos;
      return;
    }
    if ((Lead & 0xE0) == 0xC0) {
      Extra = 1;
      CP = Lead & 0x1F;
    } else if ((Lead & 0xF0) == 0xE0) {
      Extra = 2;
      CP = Lead & 0x0F;
    } else if ((Lead & 0xF8) == 0xF0) {
      Extra = 3;
      CP = Lead & 0x07;
    } else {
      Error(LoadStr(SLayoutInvalidUTF8));
    }
    for (int I = 1; I <= Extra; ++I) {
      const auto Cont = static_cast<unsigned char>(At(FPos + static_cast<size_t>(I)));
      if ((Cont & 0xC0) != 0x80) Error(LoadStr(SLayoutInvalidUTF8));
      CP = (CP << 6) | (Cont & 0x3F);
    }
    static const std::uint32_t Least[] = {0, 0x80, 0x800, 0x10000};
    if (CP < Least[Extra] || CP > 0x10FFFF || (CP >= 0xD800 && CP <= 0xDFFF)) Error(LoadStr(SLayoutInvalidUTF8));
    FPos += static_cast<size_t>(Extra) + 1;
    AppendCodePoint(CP);
    FWide = true;
  }

  // Quoted parts and #codes, without blanks between them.
  void LexString() {
    FKind = kString;
    FUnits.clear();
    FWide = false;
    for (;;) {
      const char C = At(FPos);
      if (C == '\'') {
        ++FPos;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r') Error(LoadStr(SLayoutUnterminatedString));
          if (FText[FPos] == '\'') {
            if (At(FPos + 1) != '\'') break;
            ++FPos;
          }
          DecodeUtf8Char();
        }
        ++FPos;
      } else if (C == '#') {
        ++FPos;
        std::uint32_t Code = 0;
        int Digits = 0;
        if (At(FPos) == '$') {
          ++FPos;
          while (IsHexDigit(At(FPos)) && Code <= 0xFFFF) {
            Code = Code * 16 + static_cast<std::uint32_t>(HexValue(FText[FPos++]));
            ++Digits;
          }
        } else {
          while (IsDigit(At(FPos)) && Code <= 0xFFFF) {
            Code = Code * 10 + static_cast<std::uint32_t>(FText[FPos++] - '0');
            ++Digits;
          }
        }
        if (Digits == 0 || Code > 0xFFFF) Error(LoadStr(SLayoutInvalidCharCode));
        if (Code > 0xFF) FWide = true;
        FUnits.push_back(static_cast<wchar_t>(Code));
      } else {
        break;
      }
    }
  }

  void LexNumber() {
    const bool Negative = FText[FPos] == '-';
    if (Negative) ++FPos;
    if (At(FPos) == '$') {
      ++FPos;
      std::uint64_t V = 0;
      int Digits = 0;
      while (IsHexDigit(At(FPos))) {
        if (++Digits > 16) Error(LoadStr(SLayoutNumberTooLarge));
        V = V * 16 + static_cast<std::uint64_t>(HexValue(FText[FPos++]));
      }
      if (Digits == 0) Error(LoadStr(SLayoutInvalidNumber));
      // Up to eight digits are a 32-bit pattern, as colours are written.
      Int64 Value = Digits <= 8 ? static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(V)))
                                : static_cast<Int64>(V);
      FInteger = Negative ? -Value : Value;
      FKind = kInteger;
      return;
    }
    const size_t Start = FPos;
    while (IsDigit(At(FPos))) ++FPos;
    bool Float = false;
    if (At(FPos) == '.' && IsDigit(At(FPos + 1))) {
      Float = true;
      ++FPos;
      while (IsDigit(At(FPos))) ++FPos;
    }
    if (UpperChar(At(FPos)) == 'E') {
      size_t E = FPos + 1;
      if (At(E) == '+' || At(E) == '-') ++E;
      if (!IsDigit(At(E))) Error(LoadStr(SLayoutInvalidNumber));
      Float = true;
      FPos = E;
      while (IsDigit(At(FPos))) ++FPos;
    }
    if (IsIdentStart(At(FPos))) Error(LoadStr(SLayoutInvalidNumber));
    const std::string Text = FText.substr(Start, FPos - Start);
    if (Float) {
      FKind = kFloat;
      // Independent of the locale's decimal separator.
      const auto Result = std::from_chars(Text.data(), Text.data() + Text.size(), FFloat);
      if (Result.ec == std::errc::result_out_of_range || !std::isfinite(FFloat)) Error(LoadStr(SLayoutNumberTooLarge));
      if (Result.ec != std::errc()) Error(LoadStr(SLayoutInvalidNumber));
      if (Negative) FFloat = -FFloat;
      return;
    }
    std::uint64_t V = 0;
    for (char D : Text) {
      const std::uint64_t Digit = static_cast<std::uint64_t>(D - '0');
      if (V > (std::uint64_t(std::numeric_limits<Int64>::max()) - Digit) / 10) Error(LoadStr(SLayoutNumberTooLarge));
      V = V * 10 + Digit;
    }
    FKind = kInteger;
    FInteger = Negative ? -static_cast<Int64>(V) : static_cast<Int64>(V);
  }

  void LexBinary() {
    FKind = kBinary;
    ++FPos;
    int High = -1;
    for (;;) {
      if (FPos >= FText.size()) Error(LoadStr(SLayoutUnterminatedBinary));
      const char C = FText[FPos++];
      if (C == '}') break;
      if (C == '\n') {
        ++FLine;
      } else if (IsHexDigit(C)) {
        if (High < 0) {
          High = HexValue(C);
        } else {
          FToken += static_cast<char>(High * 16 + HexValue(C));
          High = -1;
        }
      } else if (!IsOneOf(C, " \t\r")) {
        Error(LoadStr(SLayoutInvalidBinary));
      }
    }
    if (High >= 0) Error(LoadStr(SLayoutOddBinary));
  }

  bool IsSymbol(char C) const { return FKind == kSymbol && FToken[0] == C; }
  bool IsKeyword(const char* Word) const { return FKind == kIdent && SameName(FToken, Word); }
  bool IsObjectKeyword() const { return IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline"); }

  void Expect(char C) {
    if (!IsSymbol(C)) Error(AnsiString("\"") + C + "\" expected");
    Next();
  }

  AnsiString ExpectIdent(const wchar_t* What) {
    if (FKind != kIdent) Error(FmtLoadStr(SLayoutExpected, LoadStr(What)));
    AnsiString Name = FToken;
    Next();
    return Name;
  }

  void ShortString(const AnsiString& S) {
    if (S.size() > 255) Error(LoadStr(SLayoutNameTooLong));
    FOut.Put(static_cast<unsigned>(S.size()));
    FOut.Bytes(S);
  }

  // --- grammar ---

  void ParseObject() {
    const TNesting Level(*this);
    Mark();
    Next();
    AnsiString Name = ExpectIdent(SLayoutObjectName);
    AnsiString ClassName;
    if (IsSymbol(':')) {
      Next();
      ClassName = ExpectIdent(SLayoutClassName);
    } else {
      ClassName = Name;
      Name.clear();
    }
    ShortString(ClassName);
    ShortString(Name);
    bool InChildren = false;
    while (!IsKeyword("end")) {
      if (FKind == kEnd) Error(FmtLoadStr(SLayoutExpected, "\"end\""));
      if (IsObjectKeyword()) {
        if (!InChildren) FOut.Put(vaNull);
        InChildren = true;
        ParseObject();
      } else {
        if (InChildren) Error(LoadStr(SLayoutPropsFirst));
        ParseProperty();
      }
    }
    if (!InChildren) FOut.Put(vaNull);
    FOut.Put(vaNull);
    Next();
  }

  void ParseProperty() {
    Mark();
    ShortString(ExpectIdent(SLayoutPropertyName));
    Expect('=');
    ParseValue();
  }

  void ParseValue() {
    switch (FKind) {
      case kInteger:
        FOut.Integer(FInteger);
        Next();
        return;
      case kFloat: {
        Byte Data[10];
        EncodeExtended(FFloat, Data);
        FOut.Put(vaExtended);
        FOut.Bytes(std::string(reinterpret_cast<const char*>(Data), 10));
        Next();
        return;
      }
      case kString:
        ParseString();
        return;
      case kBinary:
        FOut.Put(vaBinary);
        FOut.Int32(static_cast<std::int32_t>(FToken.size()));
        FOut.Bytes(FToken);
        Next();
        return;
      case kIdent:
        if (IsKeyword("True")) {
          FOut.Put(vaTrue);
        } else if (IsKeyword("False")) {
          FOut.Put(vaFalse);
        } else if (IsKeyword("nil")) {
          FOut.Put(vaNil);
        } else {
          FOut.Put(vaIdent);
          ShortString(FToken);
        }
        Next();
        return;
      case kSymbol:
        if (IsSymbol('[')) return ParseSet();
        if (IsSymbol('(')) return ParseList();
        if (IsSymbol('<')) return ParseCollection();
        break;
      case kEnd:
        break;
    }
    Error(LoadStr(SLayoutValueExpected));
  }

  // A string and the strings joined to it with +.
  void ParseString() {
    WideString Units;
    bool Wide = false;
    for (;;) {
      Units += FUnits;
      Wide = Wide || FWide;
      Next();
      if (!IsSymbol('+')) break;
      Next();
      if (FKind != kString) Error(LoadStr(SLayoutStringAfterPlus));
    }
    WriteString(Units, Wide);
  }

  void WriteString(const WideString& Units, bool Wide) {
    if (Wide) {
      FOut.Put(vaWString);
      FOut.Int32(static_cast<std::int32_t>(Units.size()));
      for (wchar_t U : Units) {
        FOut.Put(static_cast<unsigned>(U));
        FOut.Put(static_cast<unsigned>(U) >> 8);
      }
      return;
    }
    std::string Bytes;
    for (wchar_t U : Units) Bytes += static_cast<char>(U);
    if (Bytes.size() <= 255) {
      FOut.Put(vaString);
      FOut.Put(static_cast<unsigned>(Bytes.size()));
    } else {
      FOut.Put(vaLString);
      FOut.Int32(static_cast<std::int32_t>(Bytes.size()));
    }
    FOut.Bytes(Bytes);
  }

  void ParseSet() {
    FOut.Put(vaSet);
    Next();
    if (!IsSymbol(']')) {
      for (;;) {
        ShortString(ExpectIdent(SLayoutSetElement));
        if (IsSymbol(']')) break;
        Expect(',');
      }
    }
    FOut.Put(0);
    Next();
  }

  void ParseList() {
    const TNesting Level(*this);
    FOut.Put(vaList);
    Next();
    while (!IsSymbol(')')) ParseValue();
    FOut.Put(vaNull);
    Next();
  }

  void ParseCollection() {
    const TNesting Level(*this);
    FOut.Put(vaCollection);
    Next();
    while (!IsSymbol('>')) {
      if (!IsKeyword("item")) Error(FmtLoadStr(SLayoutExpected, "\"item\""));
      Mark();
      Next();
      FOut.Put(vaList);
      while (!IsKeyword("end")) {
        if (FKind == kEnd) Error(FmtLoadStr(SLayoutExpected, "\"end\""));
        ParseProperty();
      }
      FOut.Put(vaNull);
      Next();
    }
    FOut.Put(vaNull);
    Next();
  }

  const std::string& FText;
  TLayoutLines* FLines;
  TBinaryBuilder FOut;
  size_t FPos = 0;
  int FLine = 1;
  int FTokenLine = 1;
  TKind FKind = kEnd;
  std::string FToken;
  Int64 FInteger = 0;
  double FFloat = 0;
  // The units of the string token, and whether it must be UTF-16.
  WideString FUnits;
  bool FWide = false;
  int FDepth = 0;
};

void ConvertText(TStream* Text, TStream* Binary, TLayoutLines* Lines) {
  const Int64 Size = Text->Size() - Text->Position();
  std::string Source(static_cast<size_t>(Size > 0 ? Size : 0), '\0');
  if (!Source.empty()) Text->ReadBuffer(Source.data(), static_cast<int>(Source.size()));
  const std::string Data = TLayoutParser(Source, Lines).Convert();
  Binary->WriteBuffer(Data.data(), static_cast<int>(Data.size()));
}

HMODULE ExeModule() { return GetModuleHandleA(nullptr); }

}  // namespace

void ObjectTextToBinary(TStream* Text, TStream* Binary) { ConvertText(Text, Binary, nullptr); }

void ObjectTextToBinary(TStream* Text, TStream* Binary, TLayoutLines& Lines) {
  Lines.clear();
  ConvertText(Text, Binary, &Lines);
}

// --- TReader: values ---

void TReader::FormatError(const AnsiString& Message) {
  FFormatBroken = true;
  throw EReadError(Message);
}

void TReader::ValueError() { throw EReadError(LoadStr(SInvalidPropertyValue)); }

TReader::TNesting::TNesting(TReader& Reader) : FReader(Reader) {
  if (++FReader.FDepth > MaxLayoutNesting) {
    --FReader.FDepth;
    FReader.FormatError(LoadStr(SLayoutTooDeep));
  }
}

void TReader::Read(void* Buffer, int Count) {
  if (Count > 0 && FStream->Read(Buffer, Count) != Count) FormatError(LoadStr(SReadError));
}

void TReader::SkipBytes(Int64 Count) {
  const Int64 Position = FStream->Position();
  if (Count < 0 || Count > FStream->Size() - Position) FormatError(LoadStr(SReadError));
  FStream->SetPosition(Position + Count);
}

void TReader::ReadSignature() {
  char Signature[4];
  Read(Signature, 4);
  if (std::memcmp(Signature, "TPF0", 4) != 0) FormatError(LoadStr(SInvalidStreamFormat));
}

TValueType TReader::ReadValue() {
  Byte B;
  Read(&B, 1);
  if (B > vaUTF8String) FormatError(FmtLoadStr(SInvalidValueType, static_cast<int>(B)));
  return static_cast<TValueType>(B);
}

TValueType TReader::NextValue() {
  const TValueType V = ReadValue();
  FStream->Seek(-1, soCurrent);
  return V;
}

void TReader::CheckValue(TValueType Value) {
  if (NextValue() != Value) {
    SkipValue();
    ValueError();
  }
  ReadValue();
}

bool TReader::EndOfList() {
  // Only peeks at the byte: between properties it is the length of the next
  // property name, which may be any value, not a value tag.
  Byte B;
  Read(&B, 1);
  FStream->Seek(-1, soCurrent);
  return B == vaNull;
}
void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

namespace {
template <class T> T LittleEndian(const Byte* B) {
  std::uint64_t V = 0;
  for (size_t I = 0; I < sizeof(T); ++I) V |= std::uint64_t(B[I]) << (8 * I);
  return static_cast<T>(V);
}
}  // namespace

Int64 TReader::ReadInt64() {
  Byte B[8];
  switch (NextValue()) {
    case vaInt8:
      ReadValue();
      Read(B, 1);
      return static_cast<std::int8_t>(B[0]);
    case vaInt16:
      ReadValue();
      Read(B, 2);
      return static_cast<std::int16_t>(LittleEndian<std::uint16_t>(B));
    case vaInt32:
      ReadValue();
      Read(B, 4);
      return static_cast<std::int32_t>(LittleEndian<std::uint32_t>(B));
    case vaInt64:
      ReadValue();
      Read(B, 8);
      return static_cast<Int64>(LittleEndian<std::uint64_t>(B));
    default:
      SkipValue();
      ValueError();
  }
}

int TReader::ReadInteger() {
  const Int64 V = ReadInt64();
  if (V < std::numeric_limits<std::int32_t>::min() || V > std::numeric_limits<std::int32_t>::max())
    throw EReadError(FmtLoadStr(SIntegerOutOfRange, std::to_string(V)));
  return static_cast<int>(V);
}

bool TReader::ReadBoolean() {
  const TValueType V = NextValue();
  if (V != vaTrue && V != vaFalse) {
    SkipValue();
    ValueError();
  }
  ReadValue();
  return V == vaTrue;
}

double TReader::ReadFloat() {
  Byte B[10];
  switch (NextValue()) {
    case vaExtended:
      ReadValue();
      Read(B, 10);
      return DecodeExtended(B);
    case vaSingle:
      ReadValue();
      Read(B, 4);
      return std::bit_cast<float>(LittleEndian<std::uint32_t>(B));
    case vaCurrency:
      ReadValue();
      Read(B, 8);
      return static_cast<double>(static_cast<Int64>(LittleEndian<std::uint64_t>(B))) / 10000.0;
    case vaDate:
      ReadValue();
      Read(B, 8);
      return std::bit_cast<double>(LittleEndian<std::uint64_t>(B));
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      return static_cast<double>(ReadInt64());
    default:
      SkipValue();
      ValueError();
  }
}

AnsiString TReader::ReadStr() {
  Byte Length;
  Read(&Length, 1);
  AnsiString S(Length, '\0');
  Read(S.data(), Length);
  return S;
}

namespace {
// The bytes or units of a string value whose 32-bit length was just read.
int CheckedLength(std::int32_t Length, Int64 Left, int UnitSize) {
  if (Length < 0 || static_cast<Int64>(Length) * UnitSize > Left) return -1;
  return Length;
}
}  // namespace

AnsiString TReader::ReadString() {
  Byte B[4];
  switch (NextValue()) {
    case vaString:
      ReadValue();
      return ReadStr();
    case vaLString:
    case vaUTF8String: {
      const TValueType V = ReadValue();
      Read(B, 4);
      const int Length = CheckedLength(LittleEndian<std::int32_t>(B), FStream->Size() - FStream->Position(), 1);
      if (Length < 0) FormatError(LoadStr(SInvalidStringLength));
      AnsiString S(static_cast<size_t>(Length), '\0');
      Read(S.data(), Length);
      return V == vaUTF8String ? WideToAnsi(UTF8ToWide(S)) : S;
    }
    case vaWString:
      return WideToAnsi(ReadWideString());
    default:
      SkipValue();
      ValueError();
  }
}

WideString TReader::ReadWideString() {
  if (NextValue() != vaWString) {
    if (NextValue() == vaUTF8String) {
      Byte B[4];
      ReadValue();
      Read(B, 4);
      const int Length = CheckedLength(LittleEndian<std::int32_t>(B), FStream->Size() - FStream->Position(), 1);
      if (Length < 0) FormatError(LoadStr(SInvalidStringLength));
      std::string S(static_cast<size_t>(Length), '\0');
      Read(S.data(), Length);
      return UTF8ToWide(S);
    }
    return AnsiToWide(ReadString());
  }
  Byte B[4];
  ReadValue();
  Read(B, 4);
  const int Count = CheckedLength(LittleEndian<std::int32_t>(B), FStream->Size() - FStream->Position(), 2);
  if (Count < 0) FormatError(LoadStr(SInvalidStringLength));
  std::string Bytes(static_cast<size_t>(Count) * 2, '\0');
  Read(Bytes.data(), static_cast<int>(Bytes.size()));
  WideString W(static_cast<size_t>(Count), L'\0');
  for (int I = 0; I < Count; ++I)
    W[static_cast<size_t>(I)] = static_cast<wchar_t>(static_cast<Byte>(Bytes[2 * I]) |
                                                     (static_cast<Byte>(Bytes[2 * I + 1]) << 8));
  return W;
}

char TReader::ReadChar() {
  const AnsiString S = ReadString();
  if (S.size() != 1) ValueError();
  return S[0];
}

WideChar TReader::ReadWideChar() {
  const WideString S = ReadWideString();
  if (S.size() != 1) ValueError();
  return S[0];
}

AnsiString TReader::ReadIdent() {
  switch (NextValue()) {
    case vaIdent:
      ReadValue();
      return ReadStr();
    case vaFalse:
      ReadValue();
      return "False";
    case vaTrue:
      ReadValue();
      return "True";
    case vaNil:
      ReadValue();
      return "nil";
    default:
      SkipValue();
      ValueError();
  }
}

std::vector<AnsiString> TReader::ReadSetNames() {
  std::vector<AnsiString> Names;
  for (;;) {
    AnsiString Name = ReadStr();
    if (Name.empty()) return Names;
    Names.push_back(std::move(Name));
  }
}

void TReader::ReadPrefix(TFilerFlags& Flags, int& ChildPos) {
  Flags = TFilerFlags();
  ChildPos = 0;
  Byte B;
  Read(&B, 1);
  if ((B & 0xF0) != 0xF0) {
    FStream->Seek(-1, soCurrent);
    return;
  }
  Flags = TFilerFlags::FromBits(B & 0x0F);
  if (Flags.Contains(ffChildPos)) ChildPos = ReadInteger();
}

void TReader::SkipSetBody() {
  while (!ReadStr().empty()) {
  }
}

void TReader::SkipCollectionBody() {
  while (!EndOfList()) {
    const TValueType V = NextValue();
    if (V == vaInt8 || V == vaInt16 || V == vaInt32) ReadInteger();
    ReadListBegin();
    while (!EndOfList()) {
      ReadStr();
      SkipValue();
    }
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::SkipValue() {
  Byte B[4];
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList: {
      const TNesting Level(*this);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    }
    case vaInt8: return SkipBytes(1);
    case vaInt16: return SkipBytes(2);
    case vaInt32:
    case vaSingle: return SkipBytes(4);
    case vaExtended: return SkipBytes(10);
    case vaCurrency:
    case vaDate:
    case vaInt64: return SkipBytes(8);
    case vaString:
    case vaIdent:
      ReadStr();
      return;
    case vaSet: return SkipSetBody();
    case vaBinary:
    case vaLString:
    case vaUTF8String:
      Read(B, 4);
      return SkipBytes(LittleEndian<std::int32_t>(B));
    case vaWString:
      Read(B, 4);
      return SkipBytes(static_cast<Int64>(LittleEndian<std::int32_t>(B)) * 2);
    case vaCollection: {
      const TNesting Level(*this);
      return SkipCollectionBody();
    }
  }
}

// --- TReader: properties ---

TReader::TPropertyReader TReader::SetPropertyReader(TPropertyReader Proc) {
  TPropertyReader Previous = GPropertyReader;
  GPropertyReader = Proc;
  return Previous;
}

bool TReader::Error(const AnsiString& Message) {
  bool Handled = false;
  if (OnError) OnError(this, Message, Handled);
  return Handled;
}

void TReader::PropertyError(const AnsiString& Name) {
  SkipValue();
  throw EReadError(FmtLoadStr(SUnknownProperty, Name));
}

void TReader::ReadProperty(TPersistent* Instance) {
  if (GPropertyReader)
    GPropertyReader(this, Instance);
  else
    DefaultReadProperty(Instance);
}

void TReader::DefaultReadProperty(TPersistent* AInstance) {
  AnsiString PropPath;
  // An error inside a defined property leaves its value half read.
  bool Recoverable = true;
  try {
    try {
      MarkItem();
      PropPath = ReadStr();
      TPersistent* Instance = AInstance;
      size_t Start = 0;
      for (;;) {
        const size_t Dot = PropPath.find('.', Start);
        FPropName = PropPath.substr(Start, Dot == AnsiString::npos ? AnsiString::npos : Dot - Start);
        if (Dot == AnsiString::npos) break;
        const TPropInfo* P = GetPropInfo(Instance, FPropName);
        if (!P) PropertyError(FPropName);
        auto* Next = P->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(Instance, P)) : nullptr;
        if (!Next) {
          SkipValue();
          throw EReadError(LoadStr(SInvalidPropertyPath));
        }
        Instance = Next;
        Start = Dot + 1;
      }
      if (const TPropInfo* P = GetPropInfo(Instance, FPropName)) {
        ReadPropValue(Instance, P);
      } else {
        const bool Saved = FCanHandleExceptions;
        FCanHandleExceptions = false;
        try {
          Instance->DefineProperties(this);
        } catch (...) {
          FCanHandleExceptions = Saved;
          Recoverable = false;
          throw;
        }
        FCanHandleExceptions = Saved;
        if (!FPropName.empty()) PropertyError(FPropName);
      }
    } catch (const Exception& E) {
      throw EReadError(FmtLoadStr(SErrorReadingProperty, Describe(AInstance), PropPath, E.Message()));
    }
  } catch (const Exception& E) {
    if (!Recoverable || FFormatBroken || !FCanHandleExceptions || !Error(E.Message())) throw;
  }
}

void TReader::ReadIntegerProp(TPersistent* Instance, const TPropInfo* P) {
  if (NextValue() != vaIdent) {
    SetOrdProp(Instance, P, ReadInteger());
    return;
  }
  const AnsiString Ident = ReadIdent();
  const TIdentToInt Map = FindIdentToInt(P->TypeName());
  int Value = 0;
  if (!Map || !Map(Ident, Value)) throw EReadError(FmtLoadStr(SInvalidPropertyValueIdent, Ident));
  SetOrdProp(Instance, P, Value);
}

void TReader::ReadClassProp(TPersistent* Instance, const TPropInfo* P) {
  switch (NextValue()) {
    case vaNil:
      ReadValue();
      SetObjectProp(Instance, P, nullptr);
      return;
    case vaIdent: {
      if (P->ReadOnly()) {
        SkipValue();
        throw EReadError(FmtLoadStr(SReadOnlyProperty, P->Name()));
      }
      // Resolved once the whole tree exists.
      FFixups.push_back(TFixup{Instance, P, ReadIdent(), Describe(Instance) + "." + P->Name(), FItemOffset});
      return;
    }
    case vaCollection: {
      auto* Collection = dynamic_cast<TCollection*>(GetObjectProp(Instance, P));
      if (!Collection) break;
      ReadValue();
      ReadCollection(Collection);
      return;
    }
    default:
      break;
  }
  SkipValue();
  ValueError();
}

void TReader::ReadMethodProp(TPersistent* Instance, const TPropInfo* P) {
  const TValueType V = NextValue();
  if (V == vaNil) {
    ReadValue();
    SetMethodProp(Instance, P, TMethod());
    return;
  }
  if (V != vaIdent) {
    SkipValue();
    ValueError();
  }
  const AnsiString Name = ReadIdent();
  const TClassInfo* RootClass = ClassInfoOf(FRoot);
  const TMethodInfo* Method = RootClass ? RootClass->FindMethod(Name) : nullptr;
  if (!Method)
    throw EReadError(FmtLoadStr(SMethodNotFound, Name, FRoot ? ShortTypeName(typeid(*FRoot)) : LoadStr(SLayoutThisForm)));
  if (!P->AcceptsCode(Method->Code))
    throw EReadError(FmtLoadStr(SMethodSignature, Name, P->Name(), P->TypeName()));
  TMethod M;
  M.Data = FRoot;
  M.Code = Method->Code;
  SetMethodProp(Instance, P, M);
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* P) {
  switch (P->Kind()) {
    case tkInteger:
      return ReadIntegerProp(Instance, P);
    case tkChar:
      return SetOrdProp(Instance, P, static_cast<unsigned char>(ReadChar()));
    case tkWChar:
      return SetOrdProp(Instance, P, ReadWideChar());
    case tkEnumeration: {
      const TValueType V = NextValue();
      if (V != vaIdent && V != vaFalse && V != vaTrue) {
        SkipValue();
        ValueError();
      }
      const AnsiString Ident = ReadIdent();
      const int Ord = GetEnumValue(P, Ident);
      if (Ord < 0) throw EReadError(FmtLoadStr(SInvalidPropertyValueIdent, Ident));
      return SetOrdProp(Instance, P, Ord);
    }
    case tkSet: {
      if (NextValue() != vaSet) {
        SkipValue();
        ValueError();
      }
      ReadValue();
      std::uint32_t Bits = 0;
      for (const AnsiString& Name : ReadSetNames()) {
        const int Ord = GetEnumValue(P, Name);
        if (Ord < 0 || Ord >= 32) throw EReadError(FmtLoadStr(SInvalidPropertyElement, Name));
        Bits |= std::uint32_t(1) << Ord;
      }
      return SetOrdProp(Instance, P, static_cast<int>(Bits));
    }
    case tkFloat:
      return SetFloatProp(Instance, P, ReadFloat());
    case tkString:
      return SetStrProp(Instance, P, ReadString());
    case tkWString:
      return SetWideStrProp(Instance, P, ReadWideString());
    case tkClass:
      return ReadClassProp(Instance, P);
    case tkMethod:
      return ReadMethodProp(Instance, P);
    case tkUnknown:
      break;
  }
  SkipValue();
  throw EReadError(FmtLoadStr(SPropertyCannotBeRead, P->Name()));
}

void TReader::ReadCollection(TCollection* Collection) {
  const TNesting Level(*this);
  Collection->BeginUpdate();
  try {
    Collection->Clear();
    while (!EndOfList()) {
      MarkItem();
      const TValueType V = NextValue();
      if (V == vaInt8 || V == vaInt16 || V == vaInt32) ReadInteger();
      TCollectionItem* Item = Collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(Item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (!ReadData || !SameName(Name, FPropName)) return;
  ReadData(this);
  FPropName.clear();
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (!ReadData || !SameName(Name, FPropName)) return;
  if (NextValue() != vaBinary) {
    SkipValue();
    ValueError();
  }
  ReadValue();
  Byte B[4];
  Read(B, 4);
  const int Count = CheckedLength(LittleEndian<std::int32_t>(B), FStream->Size() - FStream->Position(), 1);
  if (Count < 0) FormatError(LoadStr(SInvalidBinaryLength));
  TMemoryStream Data;
  Data.SetSize(Count);
  Read(Data.Memory(), Count);
  Data.SetPosition(0);
  ReadData(&Data);
  FPropName.clear();
}

// --- TReader: components ---

void TReader::MarkItem() { FItemOffset = FStream->Position() - FStart; }

AnsiString TReader::Location(Int64 Offset) const {
  if (Offset < 0) return AnsiString();
  if (FLines.empty()) return FmtLoadStr(SLayoutOffset, Offset);
  int Line = FLines.front().Line;
  for (const TLayoutLine& L : FLines) {
    if (L.Offset > Offset) break;
    Line = L.Line;
  }
  return FmtLoadStr(SLayoutLine, Line, "");
}

void TReader::ReadComponent() {
  const TNesting Level(*this);
  MarkItem();
  TFilerFlags Flags;
  int ChildPos;
  ReadPrefix(Flags, ChildPos);
  const AnsiString ClassName = ReadStr();
  const AnsiString Name = ReadStr();
  // Created owned, so that an error further on leaves it to its owner.
  TComponent* Component = FindClass(ClassName)->Create(FOwner);
  Component->SetLoadingState(true);
  FLoaded.push_back(Component);
  if (!Name.empty()) Component->SetName(Name);
  Component->SetParentComponent(FParent);
  Component->ReadState(this);
  Component->SetLoadingState(false);
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TComponent* const SavedOwner = FOwner;
  TComponent* const SavedParent = FParent;
  FParent = Instance->GetChildParent();
  FOwner = Instance->GetChildOwner();
  if (!FOwner) FOwner = FRoot;
  try {
    while (!EndOfList()) ReadComponent();
    ReadListEnd();
  } catch (...) {
    FOwner = SavedOwner;
    FParent = SavedParent;
    throw;
  }
  FOwner = SavedOwner;
  FParent = SavedParent;
}

TComponent* TReader::FindReference(const AnsiString& Path) const {
  const size_t Dot = Path.find('.');
  const AnsiString Head = Path.substr(0, Dot);
  TComponent* Found = nullptr;
  if (SameName(Head, FRoot->Name()) || SameName(Head, FRootName))
    Found = FRoot;
  else if (TComponent* Own = FRoot->FindComponent(Head))
    Found = Own;
  else if (FRoot->Owner())
    Found = FRoot->Owner()->FindComponent(Head);
  size_t Start = Dot;
  while (Found && Start != AnsiString::npos) {
    const size_t Next = Path.find('.', Start + 1);
    Found = Found->FindComponent(Path.substr(Start + 1, Next == AnsiString::npos ? AnsiString::npos : Next - Start - 1));
    Start = Next;
  }
  return Found;
}

void TReader::ResolveFixups() {
  const std::vector<TFixup> Fixups = std::move(FFixups);
  FFixups.clear();
  for (const TFixup& F : Fixups) {
    FItemOffset = F.Offset;
    TComponent* Target = FindReference(F.Path);
    if (!Target) throw EReadError(FmtLoadStr(SFixupNotFound, F.Where, F.Path));
    try {
      SetObjectProp(F.Instance, F.Prop, Target);
    } catch (const Exception& E) {
      throw EReadError(FmtLoadStr(SErrorReading, F.Where, E.Message()));
    }
  }
}

void TReader::SetFields() {
  FItemOffset = -1;
  const TClassInfo* RootClass = ClassInfoOf(FRoot);
  if (!RootClass) return;
  for (const TFieldInfo* F : RootClass->FieldList()) {
    TComponent* Component = FRoot->FindComponent(F->Name);
    if (!Component)
      throw EReadError(FmtLoadStr(SLayoutNoComponent, ShortTypeName(typeid(*FRoot)), F->Name));
    if (!F->Accepts(Component))
      throw EReadError(FmtLoadStr(SLayoutWrongClass, F->Name, ShortTypeName(typeid(*Component)), F->ClassTypeName));
    F->Set(FRoot, Component);
  }
}

void TReader::EndLoadingOnError() {
  for (TComponent* Component : FLoaded) {
    Component->ExcludeState(csReading);
    Component->ExcludeState(csLoading);
  }
  FLoaded.clear();
  FFixups.clear();
}

void TReader::ReadRootComponent(TComponent* ARoot) {
  if (!ARoot) throw EReadError(LoadStr(SLayoutNoRoot));
  FRoot = ARoot;
  FOwner = ARoot;
  FParent = nullptr;
  FStart = FStream->Position();
  FItemOffset = -1;
  try {
    ReadSignature();
    MarkItem();
    TFilerFlags Flags;
    int ChildPos;
    ReadPrefix(Flags, ChildPos);
    ReadStr();  // the class name: the instance is given
    const AnsiString Name = ReadStr();
    FRootName = Name;
    ARoot->SetLoadingState(true);
    FLoaded.push_back(ARoot);
    if (!Name.empty() && !SameName(Name, ARoot->Name())) {
      // A second form of the same class gets a name of its own (FMain_1).
      AnsiString Unique = Name;
      TComponent* Owner = ARoot->Owner();
      for (int I = 1; Owner && Owner->FindComponent(Unique) && Owner->FindComponent(Unique) != ARoot; ++I)
        Unique = Name + "_" + std::to_string(I);
      ARoot->SetName(Unique);
    }
    ARoot->ReadState(this);
    ARoot->SetLoadingState(false);
    ResolveFixups();
    SetFields();
  } catch (Exception& E) {
    EndLoadingOnError();
    E.SetMessage(Location(FItemOffset) + E.Message());
    throw;
  } catch (...) {
    EndLoadingOnError();
    throw;
  }
  const std::vector<TComponent*> Loaded = std::move(FLoaded);
  FLoaded.clear();
  for (size_t I = 0; I < Loaded.size(); ++I) {
    try {
      Loaded[I]->Loaded();
    } catch (...) {
      // The others are not told; they must not stay loading either.
      for (size_t J = I + 1; J < Loaded.size(); ++J) Loaded[J]->ExcludeState(csLoading);
      throw;
    }
  }
}

// --- loading layouts ---

void ReadComponentLayout(TStream* Stream, TComponent* Instance) {
  const Int64 Start = Stream->Position();
  char Signature[4] = {};
  const int Got = Stream->Read(Signature, 4);
  Stream->SetPosition(Start);
  if (Got == 4 && std::memcmp(Signature, "TPF0", 4) == 0) {
    TReader Reader(Stream);
    Reader.ReadRootComponent(Instance);
    return;
  }
  TMemoryStream Binary;
  TLayoutLines Lines;
  ObjectTextToBinary(Stream, &Binary, Lines);
  Binary.SetPosition(0);
  TReader Reader(&Binary);
  Reader.SetLayoutLines(std::move(Lines));
  Reader.ReadRootComponent(Instance);
}

TComponent* ReadComponentRes(const AnsiString& ResName, TComponent* Instance) {
  TResourceStream Stream(ExeModule(), ResName, MAKEINTRESOURCEA(10));
  ReadComponentLayout(&Stream, Instance);
  return Instance;
}

bool InitInheritedComponent(TComponent* Instance) {
  const TClassInfo* Class = GetClassInfo(typeid(*Instance));
  const AnsiString ResName = Upper(Class ? Class->ClassName() : ShortTypeName(typeid(*Instance)));
  if (!FindResourceA(ExeModule(), ResName.c_str(), MAKEINTRESOURCEA(10))) return false;
  ReadComponentRes(ResName, Instance);
  return true;
}
