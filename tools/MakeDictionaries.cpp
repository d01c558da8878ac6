// Build-time tool: makes one sample dictionary from a tab-separated text file
// through the trainer's own import, so the shipped .dic files are exactly
// what a user would get by importing the same text in the editor.
//
//   MakeDictionaries <source.txt> <target.dic> <title> <description>
//
// Arguments are read from the wide command line: titles and descriptions
// may hold Polish letters whatever the console's code page.
#include <cstdio>
#include <memory>
#include <vector>

#include "Dict_engine.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

std::vector<WideString> WideArguments() {
  int Count = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> List(CommandLineToArgvW(GetCommandLineW(), &Count), &LocalFree);
  std::vector<WideString> Result;
  if (List)
    for (int i = 0; i < Count; ++i) Result.emplace_back(List.get()[i]);
  return Result;
}

// Title and description are fixed-size fields that silently cut a longer
// text; a sample dictionary must not ship a cut one.
void CheckFits(const WideString& Text, int Size, const char* What) {
  if (Text.empty()) throw Exception(AnsiString(What) + " is empty");
  if (Text.size() > static_cast<size_t>(Size))
    throw Exception(AnsiString(What) + " is longer than " + std::to_string(Size) + " characters");
}

void MakeDictionary(const std::vector<WideString>& Args) {
  const AnsiString Source = WideToAnsi(Args[1]);
  const AnsiString Target = WideToAnsi(Args[2]);
  CheckFits(Args[3], DictTitleSize, "title");
  CheckFits(Args[4], DictDescriptionSize, "description");
  TDict Dict;
  Dict.ImportFromFile(Source);
  if (Dict.Count() == 0) throw Exception("no entries imported from " + Source);
  Dict.SetTitle(Args[3]);
  Dict.SetDescription(Args[4]);
  Dict.SaveToFile(Target);
  std::printf("%s: %d entries\n", Target.c_str(), Dict.Count());
}

}  // namespace

int main() {
  try {
    const std::vector<WideString> Args = WideArguments();
    if (Args.size() != 5) {
      std::fprintf(stderr, "usage: MakeDictionaries <source.txt> <target.dic> <title> <description>\n");
      return 2;
    }
    MakeDictionary(Args);
    return 0;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "MakeDictionaries: %s\n", E.what());
    return 1;
  }
}
