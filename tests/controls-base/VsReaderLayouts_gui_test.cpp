// The trainer's own layouts through the installed property reader: every
// layout reads to the same properties as with the framework's reader, and
// damaged copies of them read or fail with a read error (or the framework's
// refusal of a damaged component name), never worse.
#include "trainer/TrainerTestSupport.h"

#include <random>
#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"

namespace {

const char* const Layouts[] = {"TFMAIN", "TFSELDIC", "TFDICNAME", "TFSYMBOL", "TFBLEDY", "TENDLEARNDLG", "TABOUT",
                               "TFINFO", "TFDZIENN", "TFEDIT", "TFOPTIONS", "TFLEARN", "TFDISPLAY"};

std::string BinaryLayout(const char* Name) {
  TResourceStream Text(GetModuleHandleA(nullptr), Name, MAKEINTRESOURCEA(10));
  TMemoryStream Binary;
  ObjectTextToBinary(&Text, &Binary);
  std::string Bytes(static_cast<size_t>(Binary.Size()), '\0');
  Binary.SetPosition(0);
  Binary.ReadBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  return Bytes;
}

// Takes every error that may be skipped, so that the whole layout is read
// even into a plain form that has none of the layout's handlers.
class TErrorSink : public TObject {
public:
  std::vector<std::string> Messages;
  void Skip(TReader*, const AnsiString& Message, bool& Handled) {
    Messages.push_back(Message);
    Handled = true;
  }
};

void DumpObject(TObject* Obj, const std::string& Prefix, int Depth, std::vector<std::string>& Out) {
  for (const TPropInfo* P : GetPropList(Obj)) {
    const std::string Name = Prefix + P->Name();
    std::string Value;
    try {
      switch (P->Kind()) {
        case tkFloat: Value = std::to_string(GetFloatProp(Obj, P)); break;
        case tkString: Value = GetStrProp(Obj, P); break;
        case tkWString: Value = WideToUTF8(GetWideStrProp(Obj, P)); break;
        case tkMethod: Value = GetMethodProp(Obj, P) ? "set" : "nil"; break;
        case tkClass: {
          TObject* Sub = GetObjectProp(Obj, P);
          if (auto* C = dynamic_cast<TComponent*>(Sub))
            Value = "-> " + C->Name();
          else if (Sub && Depth < 2)
            DumpObject(Sub, Name + ".", Depth + 1, Out);
          else
            Value = Sub ? Sub->ClassName() : "nil";
          break;
        }
        default: Value = std::to_string(GetOrdProp(Obj, P));
      }
    } catch (const Exception& E) {
      Value = "error " + E.Message();
    }
    Out.push_back(Name + " = " + Value);
  }
}

struct TRead {
  std::vector<std::string> Properties;
  std::vector<std::string> Skipped;
};

TRead ReadIntoPlainForm(const std::string& Bytes) {
  TStringStream S(Bytes);
  TReader Reader(&S);
  TErrorSink Sink;
  Reader.OnError = TReaderError(&Sink, &TErrorSink::Skip);
  TOwned<TForm> Root(new TForm(nullptr));
  Reader.ReadRootComponent(Root.get());
  TRead R;
  R.Skipped = Sink.Messages;
  DumpObject(Root.get(), "", 0, R.Properties);
  for (int I = 0; I < Root->ComponentCount(); ++I) {
    TComponent* C = Root->Components(I);
    DumpObject(C, C->Name() + ": " + C->ClassName() + ".", 0, R.Properties);
  }
  return R;
}

class VsReaderLayoutsTest : public ::testing::Test {
protected:
  void SetUp() override {
    FinalizeVsFrameworkUtils();
    InitializeVsFrameworkUtils();
  }
  void TearDown() override { FinalizeVsFrameworkUtils(); }
};

}  // namespace

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

TEST_F(VsReaderLayoutsTest, EveryLayoutReadsAsWithTheFrameworksReader) {
  for (const char* Name : Layouts) {
    const std::string Bytes = BinaryLayout(Name);
    const TRead Patched = ReadIntoPlainForm(Bytes);
    FinalizeVsFrameworkUtils();
    const TRead Plain = ReadIntoPlainForm(Bytes);
    InitializeVsFrameworkUtils();
    EXPECT_GT(Plain.Properties.size(), 20u) << Name;
    EXPECT_EQ(Patched.Properties, Plain.Properties) << Name;
    EXPECT_EQ(Patched.Skipped, Plain.Skipped) << Name;
  }
}

TEST_F(VsReaderLayoutsTest, DamagedLayoutsReadOrFailWithAReadError) {
  std::vector<std::string> Sources;
  for (const char* Name : Layouts) Sources.push_back(BinaryLayout(Name));
  std::mt19937 Random(20261211);
  auto Below = [&](size_t N) { return static_cast<size_t>(Random() % N); };
  int Failed = 0, Read = 0, SkipsCompared = 0;
  for (int Round = 0; Round < 10000; ++Round) {
    std::string Bytes = Sources[static_cast<size_t>(Round) % Sources.size()];
    switch (Round % 3) {
      case 0:  // cut
        Bytes.resize(4 + Below(Bytes.size() - 4));
        break;
      case 1:  // bytes flipped
        for (int N = 1 + static_cast<int>(Below(4)); N > 0; --N)
          Bytes[4 + Below(Bytes.size() - 4)] ^= static_cast<char>(1 + Below(255));
        break;
      default: {  // a length enlarged: a short string's, or a 32-bit one
        const size_t At = 4 + Below(Bytes.size() - 8);
        if (Random() % 2)
          Bytes[At] = static_cast<char>(0xFF);
        else
          for (int I = 0; I < 4; ++I) Bytes[At + static_cast<size_t>(I)] = static_cast<char>(I == 3 ? Random() % 0x80 : Random());
      }
    }
    try {
      ReadIntoPlainForm(Bytes);
      ++Read;
    } catch (const EFilerError&) {
      ++Failed;
    } catch (const EComponentError&) {
      // A damaged component name is refused by the framework's name check.
      ++Failed;
    } catch (const std::exception& E) {
      ADD_FAILURE() << "round " << Round << ": " << E.what();
    }

    // Skipping a value from a random place ends where the framework's skip
    // ends, or both raise.
    const size_t From = Below(Bytes.size());
    TStringStream A(Bytes), B(Bytes);
    A.SetPosition(static_cast<Int64>(From));
    B.SetPosition(static_cast<Int64>(From));
    TReader Ours(&A), Theirs(&B);
    bool OursRaised = false, TheirsRaised = false;
    try {
      SkipStreamValue(&Ours);
    } catch (const EReadError&) {
      OursRaised = true;
    }
    try {
      Theirs.SkipValue();
    } catch (const EReadError&) {
      TheirsRaised = true;
    }
    EXPECT_EQ(OursRaised, TheirsRaised) << "round " << Round << " at " << From;
    if (!OursRaised && !TheirsRaised) {
      EXPECT_EQ(A.Position(), B.Position()) << "round " << Round << " at " << From;
      ++SkipsCompared;
    }
  }
  EXPECT_EQ(Read + Failed, 10000);
  EXPECT_GT(SkipsCompared, 100);
}
