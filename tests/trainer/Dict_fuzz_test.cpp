// Damaged input for the loaders: seeded mutations of a dictionary file, of
// text files to import and of a result file. Each must load or raise the
// error documented for it, and leave a consistent object behind.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Dict_engine.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

using Bytes = std::string;

class Mutator {
public:
  explicit Mutator(Cardinal Seed) : FRandom(Seed) {}

  // Cut, lengthened, overwritten in places, or random altogether.
  Bytes Mutate(const Bytes& Sample) {
    Bytes R = Sample;
    switch (Below(5)) {
      case 0:
        R.resize(Below(R.size() + 1));
        break;
      case 1:
        R += RandomBytes(Below(2000) + 1);
        break;
      case 2:
        for (size_t n = Below(16) + 1; n > 0 && !R.empty(); --n) R[Below(R.size())] = static_cast<char>(Below(256));
        break;
      case 3:
        R.insert(Below(R.size() + 1), RandomBytes(Below(40) + 1));
        break;
      default:
        R = RandomBytes(Below(3000));
        break;
    }
    return R;
  }

private:
  size_t Below(size_t N) { return std::uniform_int_distribution<size_t>(0, N - 1)(FRandom); }
  Bytes RandomBytes(size_t N) {
    Bytes R(N, '\0');
    // Line ends, TABs and zeros come often, so that splitting is exercised.
    static const char Special[] = {'\t', '\r', '\n', '\0', '\xFF', '\xFE'};
    for (char& C : R) C = Below(4) == 0 ? Special[Below(sizeof Special)] : static_cast<char>(Below(256));
    return R;
  }
  std::mt19937 FRandom;
};

class Fuzz : public ::testing::Test {
protected:
  void SetUp() override {
    char Dir[MAX_PATH];
    GetTempPathA(MAX_PATH, Dir);
    FFolder = AnsiString(Dir) + "slovanta-fuzz-" + IntToStr(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(ForceDirectories(FFolder));
  }
  void TearDown() override {
    DeleteFile(Path("f.dic"));
    DeleteFile(Path("f.txt"));
    RemoveDir(FFolder);
  }
  AnsiString Path(const char* Name) const { return FFolder + Name; }
  void Write(const AnsiString& File, const Bytes& Data) const {
    TFileStream S(File, fmCreate);
    S.WriteBuffer(Data.data(), static_cast<int>(Data.size()));
  }
  Bytes Read(const AnsiString& File) const {
    TFileStream S(File, fmOpenRead);
    Bytes Data(static_cast<size_t>(S.Size()), '\0');
    S.ReadBuffer(Data.data(), static_cast<int>(Data.size()));
    return Data;
  }
  static void ExpectMirrorsInStep(const TDict& D, const TVsWideStringList& Q, const TVsWideStringList& A) {
    ASSERT_EQ(Q.Count(), D.Count());
    ASSERT_EQ(A.Count(), D.Count());
  }

  AnsiString FFolder;
};

constexpr int Rounds = 10000;

TEST_F(Fuzz, DamagedFilesLoadOrRaiseTheirDocumentedError) {
  // The samples: a dictionary file, two text files and a result image.
  Bytes DicSample, TextSample, ResultSample;
  {
    TDict D;
    D.SetTitle(L"Próba");
    D.SetDescription(L"opis");
    TQuestion Q;
    for (const wchar_t* W : {L"kot", L"żółw", L"pies"}) {
      Q.SetQuestion(W);
      Q.SetAnswer(1, W);
      D.Add(Q.Record());
    }
    D.SaveToFile(Path("f.dic"));
    DicSample = Read(Path("f.dic"));
  }
  const Bytes Text8 = "kot\tcat\r\npies\tdog\thound\r\n\r\nluka\t\tdrugi\nx\ta\tb\tc\td\t\t\n";
  Bytes Text16 = "\xFF\xFE";
  for (char C : Text8) Text16 += Bytes{C, '\0'};
  {
    TDUser U("");
    U.AddResult("a.dic", 1, 2);
    U.AddResult("b.dic", 3, 4);
    U.AddResult("a.dic", 5, 8);
    ResultSample = Bytes(static_cast<const char*>(U.Results()->Memory()), static_cast<size_t>(U.Results()->Size()));
  }

  Mutator M(20240305);
  TVsWideStringList Questions, Answers;
  TDict D;
  D.SetQuestionsList(&Questions);
  D.SetAnswersList(&Answers);
  TDUser User("");
  int Loaded = 0, Refused = 0;

  for (int Round = 0; Round < Rounds; ++Round) {
    SCOPED_TRACE(Round);
    switch (Round % 3) {
      case 0: {
        const Bytes Data = M.Mutate(DicSample);
        Write(Path("f.dic"), Data);
        try {
          D.LoadFromFile(Path("f.dic"));
          ++Loaded;
          EXPECT_EQ(D.Count(), Data.empty() ? 0 : static_cast<int>((Data.size() - 484) / 810));
        } catch (const EReadError&) {
          ++Refused;
          EXPECT_EQ(D.Count(), 0);
        }
        break;
      }
      case 1: {
        Write(Path("f.txt"), M.Mutate(Round % 2 ? Text8 : Text16));
        D.ImportFromFile(Path("f.txt"));  // every text imports
        break;
      }
      default: {
        const Bytes Data = M.Mutate(ResultSample);
        User.Results()->Clear();
        User.Results()->WriteBuffer(Data.data(), static_cast<int>(Data.size()));
        auto Names = User.TestedDictionaries();
        for (int i = 0; i < Names->Count(); ++i) User.Grades(Names->Strings(i));
        break;
      }
    }
    ExpectMirrorsInStep(D, Questions, Answers);
    if (HasFailure()) break;
  }
  // Both outcomes occur, so the mutations reach both paths.
  EXPECT_GT(Loaded, 0);
  EXPECT_GT(Refused, 0);
}

}  // namespace
