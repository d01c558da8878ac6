// Times the wide string list on 100,000 lines beside the same work done on a
// std::vector<std::wstring> with std::sort and binary search, with the same
// ordinal comparison. Each figure is the best of a few runs; the ratio is
// list time / vector time.
#include "BenchSupport.h"
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "Streams.h"
#include "VsStrUtils.h"
#include "VsUnicodeStrings.h"
#include "Win.h"

namespace {

constexpr int LineCount = 100000;
// Unsorted IndexOf is a linear search: this many look-ups, not one per line.
constexpr int LinearLookups = 1000;

void Report(const char* What, double List, double Vector) {
  std::printf("%-34s list %9.2f ms   vector %9.2f ms   ratio %5.2f\n", What, List * 1000, Vector * 1000,
              List / Vector);
}

std::string FileBytes(const AnsiString& Path) {
  std::ifstream F(Path.c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
}

bool Less(const WideString& A, const WideString& B) { return VsWideCompareStr(A, B) < 0; }

// Distinct lines in random order: Polish letters, digits, lengths 6 to 16.
std::vector<WideString> MakeLines() {
  const WideString Letters = L"aąbcćdeęfghijklłmnńoóprsśtuwyzźż0123456789";
  std::vector<WideString> Lines;
  std::uint32_t Seed = 20240501;
  auto Next = [&] { return Seed = Seed * 1664525u + 1013904223u; };
  for (int I = 0; I < LineCount; ++I) {
    WideString S;
    const int Length = 6 + static_cast<int>(Next() % 11);
    for (int J = 0; J < Length; ++J) S += Letters[(Next() >> 8) % Letters.size()];
    S += L'#' + std::to_wstring(I);  // keeps every line distinct
    Lines.push_back(S);
  }
  return Lines;
}

}  // namespace

int main() {
  const std::vector<WideString> Lines = MakeLines();
  std::vector<WideString> Sorted = Lines;
  std::sort(Sorted.begin(), Sorted.end(), Less);
  int Sink = 0;

  // Sorted insert of every line, in random order.
  TVsWideStringList List;
  const double ListInsert = Best(
      [&] {
        for (const WideString& S : Lines) List.Add(S);
      },
      [&] {
        List.Clear();
        List.SetSorted(true);
      });
  std::vector<WideString> Vector;
  const double VectorInsert = Best(
      [&] {
        for (const WideString& S : Lines) Vector.insert(std::lower_bound(Vector.begin(), Vector.end(), S, Less), S);
      },
      [&] { Vector.clear(); });
  Report("sorted insert (100,000 lines)", ListInsert, VectorInsert);

  // Find of every line in the sorted list.
  const double ListFind = Best([&] {
    for (const WideString& S : Lines) {
      int Index;
      Sink += List.Find(S, Index) ? Index : 0;
    }
  });
  const double VectorFind = Best([&] {
    for (const WideString& S : Lines) Sink += static_cast<int>(std::lower_bound(Vector.begin(), Vector.end(), S, Less) - Vector.begin());
  });
  Report("Find (100,000 look-ups)", ListFind, VectorFind);

  // IndexOf on the sorted list goes through Find.
  const double ListIndexOfSorted = Best([&] {
    for (const WideString& S : Lines) Sink += List.IndexOf(S);
  });
  Report("IndexOf sorted (100,000 look-ups)", ListIndexOfSorted, VectorFind);

  // IndexOf on an unsorted list is a linear search, as std::find.
  TVsWideStringList Unsorted;
  for (const WideString& S : Lines) Unsorted.Add(S);
  const double ListIndexOf = Best([&] {
    for (int I = 0; I < LinearLookups; ++I) Sink += Unsorted.IndexOf(Lines[(I * 97) % LineCount]);
  });
  const double VectorIndexOf = Best([&] {
    for (int I = 0; I < LinearLookups; ++I)
      Sink += static_cast<int>(std::find(Lines.begin(), Lines.end(), Lines[(I * 97) % LineCount]) - Lines.begin());
  });
  Report("IndexOf unsorted (1,000 look-ups)", ListIndexOf, VectorIndexOf);

  // Sort of the lines in random order.
  TVsWideStringList ToSort;
  const double ListSort = Best([&] { ToSort.Sort(); },
                               [&] {
                                 ToSort.Clear();
                                 for (const WideString& S : Lines) ToSort.Add(S);
                               });
  std::vector<WideString> VectorToSort;
  const double VectorSort = Best([&] { std::sort(VectorToSort.begin(), VectorToSort.end(), Less); },
                                 [&] { VectorToSort = Lines; });
  Report("Sort (100,000 lines)", ListSort, VectorSort);
  bool SameOrder = ToSort.Count() == LineCount;
  for (int I = 0; SameOrder && I < LineCount; ++I) SameOrder = ToSort.Strings(I) == Sorted[I];
  std::printf("  sorted order equal to std::sort: %s\n", SameOrder ? "yes" : "NO");

  // Saving and loading a UTF-16 file (byte-order mark, CR LF line ends).
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  const AnsiString ListFile = AnsiString(Dir) + "slovanta-bench-list.txt";
  const AnsiString VectorFile = AnsiString(Dir) + "slovanta-bench-vector.txt";
  Unsorted.SetSaveUnicode(true);
  const double ListSave = Best([&] { Unsorted.SaveToFile(ListFile); });
  const double VectorSave = Best([&] {
    std::wstring Text = L"\xFEFF";
    for (const WideString& S : Lines) Text += S + L"\r\n";
    std::ofstream F(VectorFile.c_str(), std::ios::binary | std::ios::trunc);
    F.write(reinterpret_cast<const char*>(Text.data()), static_cast<std::streamsize>(Text.size() * 2));
  });
  Report("save UTF-16 file", ListSave, VectorSave);

  TVsWideStringList Loaded;
  const double ListLoad = Best([&] { Loaded.LoadFromFile(ListFile); });
  std::vector<WideString> VectorLoaded;
  const double VectorLoad = Best([&] {
    std::ifstream F(VectorFile.c_str(), std::ios::binary);
    const std::string Bytes((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
    std::wstring Text(Bytes.size() / 2, L'\0');
    std::copy(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(Text.size() * 2),
              reinterpret_cast<char*>(Text.data()));
    VectorLoaded.clear();
    size_t Start = 1;  // after the mark
    for (size_t P = Text.find(L"\r\n", Start); P != std::wstring::npos; P = Text.find(L"\r\n", Start)) {
      VectorLoaded.push_back(Text.substr(Start, P - Start));
      Start = P + 2;
    }
  });
  Report("load UTF-16 file", ListLoad, VectorLoad);
  std::printf("  file bytes equal: %s, lines loaded equal: %s\n",
              FileBytes(ListFile) == FileBytes(VectorFile) ? "yes" : "NO",
              Loaded.Count() == LineCount && Loaded.Strings(LineCount - 1) == VectorLoaded.back() ? "yes" : "NO");
  DeleteFileA(ListFile.c_str());
  DeleteFileA(VectorFile.c_str());

  std::printf("(checksum %d)\n", Sink);
  return 0;
}
