// Times the dictionary's file work for 100,000 entries beside plain reading
// and writing of the same bytes, and its sort. Each figure is the best of a
// few runs.
#include "BenchSupport.h"
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Dict_engine.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

constexpr int EntryCount = 100000;

std::string ReadAll(const AnsiString& Path) {
  TFileStream S(Path, fmOpenRead | fmShareDenyWrite);
  std::string Data(static_cast<size_t>(S.Size()), '\0');
  S.ReadBuffer(Data.data(), static_cast<int>(Data.size()));
  return Data;
}

void WriteAll(const AnsiString& Path, const std::string& Data) {
  TFileStream S(Path, fmCreate);
  S.WriteBuffer(Data.data(), static_cast<int>(Data.size()));
}

void Report(const char* What, double Time, const char* Raw, double RawTime) {
  std::printf("%-8s %7.3f s   %-11s %7.3f s   ratio %.2f\n", What, Time, Raw, RawTime, Time / RawTime);
}

}  // namespace

int main() {
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  const AnsiString Folder = AnsiString(Dir) + "slovanta-bench\\";
  ForceDirectories(Folder);
  const AnsiString DicPath = Folder + "bench.dic", RawPath = Folder + "raw.bin", TextPath = Folder + "bench.txt";

  // Words of Polish letters, many sharing their first letters as real
  // dictionaries do.
  std::mt19937 Random(1);
  const WideString Letters = L"aąbcćdeęfghijklłmnńoóprsśtuwyzźżAĄBCĆKLŁMŚŻ";
  auto Word = [&](int MinLength, int MaxLength) {
    WideString W;
    const int Length = std::uniform_int_distribution<int>(MinLength, MaxLength)(Random);
    for (int i = 0; i < Length; ++i)
      W += Letters[std::uniform_int_distribution<size_t>(0, Letters.size() - 1)(Random)];
    return W;
  };

  TDict Dict;
  Dict.SetTitle(L"Słownik do pomiarów");
  Dict.SetDescription(L"100 000 haseł");
  WideString Text;
  TQuestion Q;
  for (int i = 0; i < EntryCount; ++i) {
    Q.Clear();
    Q.SetQuestion(Word(3, 14));
    Q.SetAnswer(1, Word(3, 12));
    if (i % 2) Q.SetAnswer(2, Word(3, 12));
    Dict.Add(Q.Record());
    Text += Q.GetQuestion() + L"\t" + Q.GetAnswer(1) + (i % 2 ? L"\t" + Q.GetAnswer(2) : L"") + L"\r\n";
  }
  std::string TextBytes = "\xFF\xFE";
  for (WideChar C : Text) {
    TextBytes += static_cast<char>(C & 0xFF);
    TextBytes += static_cast<char>(C >> 8);
  }
  WriteAll(TextPath, TextBytes);

  Dict.SaveToFile(DicPath);
  const std::string DicBytes = ReadAll(DicPath);
  std::printf("%d entries: .dic file %u bytes, text file %u bytes (UTF-16)\n", EntryCount,
              static_cast<unsigned>(DicBytes.size()), static_cast<unsigned>(TextBytes.size()));

  const double Save = Best([&] { Dict.SaveToFile(DicPath); });
  const double RawWrite = Best([&] { WriteAll(RawPath, DicBytes); });
  Report("save", Save, "raw write", RawWrite);

  TDict Loaded;
  const double Load = Best([&] { Loaded.LoadFromFile(DicPath); });
  const double RawRead = Best([&] { ReadAll(DicPath); });
  Report("load", Load, "raw read", RawRead);

  TDict Imported;
  const double Import = Best([&] { Imported.ImportFromFile(TextPath); });
  const double RawText = Best([&] { ReadAll(TextPath); });
  Report("import", Import, "raw read", RawText);

  const double Sort = Best([&] { Loaded.Sort(); }, [&] { Loaded.LoadFromFile(DicPath); });
  TVsWideStringList Questions, Answers;
  Loaded.SetQuestionsList(&Questions);
  Loaded.SetAnswersList(&Answers);
  const double MirroredSort = Best([&] { Loaded.Sort(); }, [&] { Loaded.LoadFromFile(DicPath); });
  std::printf("sort     %7.3f s   with mirror lists %.3f s\n", Sort, MirroredSort);
  Loaded.Clear();
  Loaded.SetQuestionsList(nullptr);
  Loaded.SetAnswersList(nullptr);

  DeleteFile(DicPath);
  DeleteFile(RawPath);
  DeleteFile(TextPath);
  RemoveDir(Folder);
  return 0;
}
