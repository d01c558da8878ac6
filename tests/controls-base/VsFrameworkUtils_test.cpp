// The property reader installed by the drawing unit: paths through
// unpublished elements, the framework's errors kept, OnError, and skipping
// every kind of stored value.
#include "TestSupport.h"
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Filer.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"

// Outside the anonymous namespace: layouts name these classes.
class TPart : public TPersistent {
public:
  int Size = 0;
};

class TGadget : public TComponent {
public:
  explicit TGadget(TComponent* AOwner) : TComponent(AOwner) {}
  int Count = 0;
  TPart* Part() { return &FPart; }
  std::vector<std::string> Log;

protected:
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty("Sub.X", [this](TReader* R) { Log.push_back("Sub.X " + std::to_string(R->ReadInteger())); },
                          nullptr, false);
    Filer->DefineProperty("Old", [this](TReader* R) { Log.push_back("Old " + R->ReadString()); }, nullptr, false);
    Filer->DefineProperty("Legacy", [](TReader* R) { GetVsReader()->SkipBoolean(R); }, nullptr, false);
  }

private:
  TPart FPart;
};

namespace {

void EnsureRegistered() {
  static const bool Done = [] {
    RegisterClass<TPart, TPersistent>().Int("Size", &TPart::Size, &TPart::Size);
    RegisterClass<TGadget, TComponent>().Int("Count", &TGadget::Count, &TGadget::Count).Object("Part", &TGadget::Part);
    return true;
  }();
  (void)Done;
}

class TErrorSink : public TObject {
public:
  std::vector<std::string> Messages;
  void Skip(TReader*, const AnsiString& Message, bool& Handled) {
    Messages.push_back(Message);
    Handled = true;
  }
};

struct TReadResult {
  std::string Error;  // empty: read
  bool CanHandleAfter = true;
};

TReadResult ReadLayout(const std::string& Body, TGadget* Root, TErrorSink* Sink = nullptr) {
  TStringStream Source("object G: TGadget\n" + Body + "end\n");
  TMemoryStream Binary;
  TLayoutLines Lines;
  ObjectTextToBinary(&Source, &Binary, Lines);
  Binary.SetPosition(0);
  TReader Reader(&Binary);
  Reader.SetLayoutLines(Lines);
  if (Sink) Reader.OnError = TReaderError(Sink, &TErrorSink::Skip);
  TReadResult R;
  try {
    Reader.ReadRootComponent(Root);
  } catch (const EReadError& E) {
    R.Error = E.Message();
  }
  R.CanHandleAfter = Reader.CanHandleExceptions();
  return R;
}

class VsReaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureRegistered();
    FinalizeVsFrameworkUtils();
    InitializeVsFrameworkUtils();
  }
  void TearDown() override { FinalizeVsFrameworkUtils(); }
  TOwned<TGadget> NewGadget() { return TOwned<TGadget>(new TGadget(nullptr)); }
};

}  // namespace

TEST_F(VsReaderTest, PathThroughAnUnpublishedElementReachesDefineProperties) {
  auto G = NewGadget();
  const TReadResult R = ReadLayout("  Sub.X = 5\n  Old.Y = 'stare'\n  Legacy = True\n  Part.Size = 3\n  Count = 2\n", G.get());
  EXPECT_EQ(R.Error, "");
  // The whole path first; then the element where the walk stopped.
  EXPECT_EQ(G->Log, (std::vector<std::string>{"Sub.X 5", "Old stare"}));
  EXPECT_EQ(G->Part()->Size, 3);
  EXPECT_EQ(G->Count, 2);

  // The framework's own reader knows no Sub.
  FinalizeVsFrameworkUtils();
  auto Plain = NewGadget();
  EXPECT_EQ(ReadLayout("  Sub.X = 5\n", Plain.get()).Error, WideToAnsi(L"Wiersz 2: Błąd odczytu G.Sub.X: Właściwość Sub nie istnieje"));
}

TEST_F(VsReaderTest, ErrorsOfOrdinaryPathsAreTheFrameworksOwn) {
  const char* const Bodies[] = {
      "  Count.X = 1\n",       // through an Integer
      "  Part.Gone = 1\n",     // last element not published
      "  Count = 'text'\n",    // wrong value
      "  Part.Size = 'x'\n",
  };
  for (const char* Body : Bodies) {
    auto Patched = NewGadget();
    const std::string WithPatch = ReadLayout(Body, Patched.get()).Error;
    FinalizeVsFrameworkUtils();
    auto Plain = NewGadget();
    EXPECT_EQ(WithPatch, ReadLayout(Body, Plain.get()).Error) << Body;
    InitializeVsFrameworkUtils();
  }
  auto G = NewGadget();
  EXPECT_EQ(ReadLayout("  Count = 1\n  Count.X = 1\n", G.get()).Error,
            WideToAnsi(L"Wiersz 3: Błąd odczytu G.Count.X: Nieprawidłowa ścieżka właściwości"));
}

TEST_F(VsReaderTest, APathNobodyTakesMayBeSkippedThroughOnError) {
  auto G = NewGadget();
  EXPECT_EQ(ReadLayout("  Count = 1\n  Nope.Z = 1\n", G.get()).Error,
            WideToAnsi(L"Wiersz 3: Błąd odczytu G.Nope.Z: Właściwość Nope nie istnieje"));

  TErrorSink Sink;
  auto H = NewGadget();
  const TReadResult R = ReadLayout("  Nope.Z = (\n    1\n    'two')\n  Count = 3\n", H.get(), &Sink);
  EXPECT_EQ(R.Error, "");
  EXPECT_EQ(Sink.Messages, (std::vector<std::string>{WideToAnsi(L"Błąd odczytu G.Nope.Z: Właściwość Nope nie istnieje")}));
  EXPECT_EQ(H->Count, 3);  // the list was skipped whole
}

TEST_F(VsReaderTest, AnErrorInsideDefinePropertiesIsNeverSkipped) {
  TErrorSink Sink;
  auto G = NewGadget();
  const TReadResult R = ReadLayout("  Sub.X = 'abc'\n  Count = 3\n", G.get(), &Sink);
  EXPECT_EQ(R.Error, WideToAnsi(L"Wiersz 2: Błąd odczytu G.Sub.X: Nieprawidłowa wartość właściwości"));
  EXPECT_TRUE(Sink.Messages.empty());
  EXPECT_TRUE(R.CanHandleAfter);
  EXPECT_EQ(G->Count, 0);
}

TEST_F(VsReaderTest, FinalizePutsThePreviousReaderBack) {
  FinalizeVsFrameworkUtils();
  const TReader::TPropertyReader Before = TReader::SetPropertyReader(nullptr);
  TReader::SetPropertyReader(Before);
  InitializeVsFrameworkUtils();
  EXPECT_EQ(TReader::SetPropertyReader(PatchedReadProperty), PatchedReadProperty);
  FinalizeVsFrameworkUtils();
  EXPECT_EQ(TReader::SetPropertyReader(Before), Before);
}

// ---- skipping values --------------------------------------------------------

namespace {

std::string Le32(std::int32_t V) {
  std::string S(4, '\0');
  for (int I = 0; I < 4; ++I) S[static_cast<size_t>(I)] = static_cast<char>((static_cast<std::uint32_t>(V) >> (8 * I)) & 0xFF);
  return S;
}
std::string Bytes(size_t N) { return std::string(N, '\x5A'); }

struct TSkipCase {
  const char* Name;
  std::string Value;
};

// Where each skip ends, or "raised".
std::string SkipEnd(const std::string& Data, bool Framework) {
  TStringStream S(Data);
  TReader Reader(&S);
  try {
    if (Framework)
      Reader.SkipValue();
    else
      SkipStreamValue(&Reader);
  } catch (const EReadError&) {
    return "raised at " + std::to_string(S.Position());
  }
  return std::to_string(S.Position());
}

}  // namespace

TEST(SkipStreamValue, EveryTagEndsWhereTheFrameworksSkipEnds) {
  const std::string Collection = std::string("\x0E") + "\x02\x01" + "\x01" + "\x05Width" + "\x02\x0A" + "\x04Name" +
                                 "\x06\x01" "a" + std::string(1, '\0') + "\x01" + std::string(1, '\0') +
                                 "\x04" + Le32(7) + "\x01" + "\x01X" + "\x01\x01\x02\x05" + std::string(2, '\0') +
                                 std::string(2, '\0');
  const TSkipCase Cases[] = {
      {"null", std::string(1, '\0')},
      {"nested lists", std::string("\x01\x02\x05\x01\x06\x01" "a") + std::string(1, '\0') + "\x01" + std::string(2, '\0')},
      {"int8", "\x02\x05"},
      {"int16", "\x03\x01\x02"},
      {"int32", "\x04" + Bytes(4)},
      {"extended", "\x05" + Bytes(10)},
      {"string", "\x06\x03" "abc"},
      {"ident", "\x07\x02" "ok"},
      {"false", "\x08"},
      {"true", "\x09"},
      {"binary", "\x0A" + Le32(600) + Bytes(600)},
      {"set", std::string("\x0B\x02" "ab\x01" "c") + std::string(1, '\0')},
      {"long string", "\x0C" + Le32(2) + "hi"},
      {"nil", "\x0D"},
      {"collection", Collection},
      {"single", "\x0F" + Bytes(4)},
      {"currency", "\x10" + Bytes(8)},
      {"date", "\x11" + Bytes(8)},
      {"wide string", "\x12" + Le32(3) + Bytes(6)},
      {"int64", "\x13" + Bytes(8)},
      {"utf-8 string", "\x14" + Le32(3) + "abc"},
  };
  for (const TSkipCase& C : Cases) {
    const std::string Data = C.Value + "\x06\x01" "z";  // a value after it
    EXPECT_EQ(SkipEnd(Data, false), std::to_string(C.Value.size())) << C.Name;
    EXPECT_EQ(SkipEnd(Data, false), SkipEnd(Data, true)) << C.Name;
  }
}

TEST(SkipStreamValue, BadTagsAndLengthsRaiseBeforeReadingTheData) {
  const TSkipCase Cases[] = {
      {"unknown tag", "\x15" + Bytes(8)},
      {"negative length", "\x0A" + Le32(-1) + Bytes(8)},
      {"length past the end", "\x0C" + Le32(9) + Bytes(8)},
      {"wide count past the end", "\x12" + Le32(5) + Bytes(8)},
      {"short string past the end", "\x06\x20" "ab"},
      {"cut int32", "\x04\x01"},
      {"collection item without its list", "\x0E\x06\x01" "a"},
  };
  for (const TSkipCase& C : Cases) {
    EXPECT_EQ(SkipEnd(C.Value, false), "raised at 0") << C.Name;
    EXPECT_EQ(SkipEnd(C.Value, true).substr(0, 6), "raised") << C.Name;
    TStringStream S(C.Value);
    TReader Reader(&S);
    EXPECT_EQ(MessageOf<EReadError>([&] { SkipStreamValue(&Reader); }), "Invalid property value") << C.Name;
  }
  // Nesting: deep enough for any layout, refused long before the stack ends.
  const std::string Deep = std::string(900, '\x01') + std::string(900, '\0');
  EXPECT_EQ(SkipEnd(Deep, false), "1800");
  EXPECT_EQ(SkipEnd(std::string(100000, '\x01') + std::string(100000, '\0'), false), "raised at 0");
}
