#include "TestSupport.h"
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "Streams.h"
#include "Win.h"

namespace {

AnsiString TempPath(const char* Name) { return TestTempPath("streams", Name); }

std::string Contents(TCustomMemoryStream& S) {
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

const char* const RcData = MAKEINTRESOURCEA(10);

}  // namespace

// --- memory streams ---

TEST(MemoryStream, GrowsSeeksAndStopsReadingAtTheEnd) {
  TMemoryStream S;
  S.WriteBuffer("hello world", 11);
  EXPECT_EQ(S.Size(), 11);
  EXPECT_EQ(S.Position(), 11);
  EXPECT_EQ(S.Seek(-5, soEnd), 6);
  S.WriteBuffer("there!", 6);  // overwrites and grows by one
  EXPECT_EQ(Contents(S), "hello there!");
  EXPECT_EQ(S.Seek(2, soFromBeginning), 2);
  EXPECT_EQ(S.Seek(3, soCurrent), 5);

  char Buf[32] = {};
  S.SetPosition(8);
  EXPECT_EQ(S.Read(Buf, sizeof Buf), 4);  // only what is there
  EXPECT_STREQ(Buf, "ere!");
  EXPECT_EQ(S.Read(Buf, 1), 0);
  S.SetPosition(10);
  EXPECT_EQ(MessageOf<EReadError>([&] { S.ReadBuffer(Buf, 3); }), WideToAnsi(L"Błąd odczytu strumienia"));

  // Beyond the end: nothing to read; a write there fills the gap with zeros.
  S.SetPosition(14);
  EXPECT_EQ(S.Read(Buf, 1), 0);
  S.WriteBuffer("x", 1);
  EXPECT_EQ(Contents(S), std::string("hello there!\0\0x", 15));
}

TEST(MemoryStream, NegativeOrHugeSizesAndPositionsAreRefused) {
  TMemoryStream S;
  S.WriteBuffer("abc", 3);
  std::function<void()> Bodies[] = {
      [&] { S.SetPosition(-1); },
      [&] { S.Seek(-4, soCurrent); },
      [&] { S.Seek(-4, soEnd); },
      [&] { S.Seek(Int64(1) << 32, soBeginning); },
      [&] { S.Seek(INT64_MAX, soCurrent); },
      [&] { S.Seek(0, static_cast<TSeekOrigin>(7)); },
      [&] { S.SetSize(-1); },
      [&] { S.SetSize(Int64(1) << 31); },
  };
  for (auto& Body : Bodies) EXPECT_THROW(Body(), EStreamError);
  EXPECT_EQ(S.Position(), 3);
  EXPECT_EQ(Contents(S), "abc");
  char C = 0;
  EXPECT_EQ(S.Read(&C, -5), 0);
  EXPECT_EQ(S.Write(&C, -5), 0);
}

TEST(MemoryStream, ShrinkingThenGrowingReadsZeros) {
  TMemoryStream S;
  S.WriteBuffer("abcdef", 6);
  S.SetSize(2);
  EXPECT_EQ(S.Position(), 2);  // pulled back to the new end
  S.SetSize(4);
  EXPECT_EQ(Contents(S), std::string("ab\0\0", 4));
  S.Clear();
  EXPECT_EQ(S.Size(), 0);
  EXPECT_EQ(S.Position(), 0);
  EXPECT_EQ(S.Memory(), nullptr);
}

TEST(Stream, CopyFromCopiesAllFromTheStartOrCountFromThePosition) {
  TStringStream Source("0123456789");
  Source.SetPosition(7);
  TMemoryStream All;
  EXPECT_EQ(All.CopyFrom(&Source, 0), 10);
  EXPECT_EQ(Contents(All), "0123456789");

  Source.SetPosition(3);
  TMemoryStream Part;
  EXPECT_EQ(Part.CopyFrom(&Source, 4), 4);
  EXPECT_EQ(Contents(Part), "3456");
  EXPECT_EQ(Source.Position(), 7);
  EXPECT_THROW(Part.CopyFrom(&Source, 4), EReadError);
  EXPECT_THROW(Part.CopyFrom(&Source, -1), EReadError);

  // Larger than one copy buffer.
  TMemoryStream Big, Copy;
  std::string Data(200000, '\0');
  for (size_t I = 0; I < Data.size(); ++I) Data[I] = static_cast<char>(I * 31);
  Big.WriteBuffer(Data.data(), static_cast<int>(Data.size()));
  Copy.CopyFrom(&Big, 0);
  EXPECT_EQ(Contents(Copy), Data);
}

TEST(MemoryStream, LoadsFromAStreamAndItself) {
  TStringStream Source("payload");
  Source.SetPosition(4);
  TMemoryStream S;
  S.WriteBuffer("previous contents", 17);
  S.LoadFromStream(&Source);
  EXPECT_EQ(Contents(S), "payload");
  EXPECT_EQ(S.Position(), 0);
  S.LoadFromStream(&S);
  EXPECT_EQ(Contents(S), "payload");
}

// --- file streams ---

TEST(FileStream, WritesReadsAndTruncates) {
  const AnsiString Name = TempPath("file.bin");
  {
    TFileStream F(Name, fmCreate);
    F.WriteBuffer("0123456789", 10);
    EXPECT_EQ(F.Size(), 10);
    F.SetPosition(8);
    F.SetSize(4);
    EXPECT_EQ(F.Position(), 4);
    F.WriteBuffer("AB", 2);
  }
  {
    TFileStream F(Name, fmOpenRead | fmShareDenyWrite);
    char Buf[16] = {};
    EXPECT_EQ(F.Size(), 6);
    EXPECT_EQ(F.Read(Buf, sizeof Buf), 6);
    EXPECT_STREQ(Buf, "0123AB");
    EXPECT_EQ(F.Read(Buf, 4), 0);
    EXPECT_EQ(F.Seek(-2, soEnd), 4);
    EXPECT_EQ(F.Write("x", 1), 0);  // opened for reading only
    EXPECT_THROW(F.WriteBuffer("x", 1), EWriteError);
    EXPECT_THROW(F.SetPosition(-1), EStreamError);
  }
  {
    TMemoryStream M;
    M.LoadFromFile(Name);
    EXPECT_EQ(Contents(M), "0123AB");
    M.Seek(0, soEnd);
    M.WriteBuffer("CD", 2);
    M.SaveToFile(Name);
  }
  TStringStream Check;
  {
    TFileStream F(Name, fmOpenReadWrite | fmShareDenyNone);
    Check.CopyFrom(&F, 0);
  }
  EXPECT_EQ(Check.DataString(), "0123ABCD");
  DeleteFileA(Name.c_str());
}

TEST(FileStream, FailuresNameTheFile) {
  EXPECT_EQ(MessageOf<EFOpenError>([] { TFileStream F("Z:/no/such/dir/file.txt", fmOpenRead); }),
            WideToAnsi(L"Nie można otworzyć pliku Z:/no/such/dir/file.txt"));
  EXPECT_EQ(MessageOf<EFCreateError>([] { TFileStream F("Z:/no/such/dir/file.txt", fmCreate); }),
            WideToAnsi(L"Nie można utworzyć pliku Z:/no/such/dir/file.txt"));

  const AnsiString Name = TempPath("shared.bin");
  { TFileStream Create(Name, fmCreate); }
  {
    TFileStream Reader(Name, fmOpenRead | fmShareDenyWrite);
    // Others may read alongside, but not write.
    TFileStream Another(Name, fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(TFileStream(Name, fmOpenWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream Exclusive(Name, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(Name, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  // Access 3 and share modes above deny-none are no modes.
  EXPECT_THROW(TFileStream(Name, 0x0003), EFOpenError);
  EXPECT_THROW(TFileStream(Name, 0x0050), EFOpenError);
  DeleteFileA(Name.c_str());
}

// --- string streams ---

TEST(StringStream, OverwritesInPlaceAndReadsStrings) {
  TStringStream S("abcdef");
  EXPECT_EQ(S.ReadString(2), "ab");
  S.WriteString("XY");  // at 2: the rest of the string stays
  EXPECT_EQ(S.DataString(), "abXYef");
  EXPECT_EQ(S.ReadString(10), "ef");
  EXPECT_EQ(S.ReadString(1), "");
  S.Seek(2, soCurrent);
  S.WriteString("!");
  EXPECT_EQ(S.DataString(), std::string("abXYef\0\0!", 9));
  S.SetSize(3);
  EXPECT_EQ(S.DataString(), "abX");
  EXPECT_EQ(S.Position(), 3);
  EXPECT_THROW(S.SetPosition(-1), EStreamError);
}

// --- resource streams ---

TEST(ResourceStream, ReadsAResourceByNameOrId) {
  HINSTANCE Module = GetModuleHandleA(nullptr);
  TResourceStream ByName(Module, "SAMPLE", RcData);
  char Buf[64] = {};
  EXPECT_EQ(ByName.Size(), 15);
  EXPECT_EQ(ByName.Read(Buf, sizeof Buf), 15);
  EXPECT_STREQ(Buf, "Hello, resource");
  ByName.SetPosition(7);
  TStringStream Copy;
  Copy.CopyFrom(&ByName, 8);
  EXPECT_EQ(Copy.DataString(), "resource");

  TResourceStream ById(Module, 101, RcData);
  EXPECT_EQ(std::string(static_cast<const char*>(ById.Memory()), static_cast<size_t>(ById.Size())), "by id");

  const std::string ReadOnly = WideToAnsi(L"Nie można zapisywać do strumienia zasobu, który jest tylko do odczytu");
  EXPECT_EQ(MessageOf<EStreamError>([&] { ById.Write("x", 1); }), ReadOnly);
  EXPECT_EQ(MessageOf<EStreamError>([&] { ById.SetSize(1); }), ReadOnly);
  EXPECT_EQ(ById.Size(), 5);
}

TEST(ResourceStream, MissingResourceIsReported) {
  HINSTANCE Module = GetModuleHandleA(nullptr);
  EXPECT_EQ(MessageOf<EResNotFound>([&] { TResourceStream S(Module, "NOPE", RcData); }),
            "Nie znaleziono zasobu NOPE");
  EXPECT_EQ(MessageOf<EResNotFound>([&] { TResourceStream S(Module, 102, RcData); }), "Nie znaleziono zasobu 102");
  EXPECT_EQ(MessageOf<EResNotFound>([&] { TResourceStream S(Module, 101 + 0x10000, RcData); }),
            "Nie znaleziono zasobu 65637");
  EXPECT_EQ(MessageOf<EResNotFound>([&] { TResourceStream S(Module, "SAMPLE", MAKEINTRESOURCEA(2)); }),
            "Nie znaleziono zasobu SAMPLE");
}
