// Times the readers on wide input: a form layout of 20,000 sibling objects
// (text and binary), an ini file of 20,000 sections in memory, and a
// settings store of 20,000 values in one key (text and binary). Each figure
// is reading and freeing, the best of a few runs, beside reading the same
// bytes raw (from the same kind of source, split into lines or copied); the
// ratio is reader time / raw time.
#include "BenchSupport.h"
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Classes.h"
#include "Filer.h"
#include "Framework.h"
#include "IniFiles.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsIni.h"
#include "Win.h"

namespace {

constexpr int Count = 20000;

class TBenchNode : public TComponent {
public:
  using TComponent::TComponent;
  int Number() const { return FNumber; }
  void SetNumber(int Value) { FNumber = Value; }

private:
  int FNumber = 0;
};

int Sink = 0;

void Report(const char* What, size_t Bytes, double Reader, double Raw) {
  std::printf("%-40s %8zu bytes   reader %9.2f ms   raw %7.2f ms   ratio %7.1f\n", What, Bytes, Reader * 1000,
              Raw * 1000, Reader / Raw);
}

// The lines of the bytes, as the least a line reader does.
std::vector<std::string> SplitLines(const std::string& Bytes) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  for (size_t P = Bytes.find('\n'); P != std::string::npos; P = Bytes.find('\n', Start)) {
    Lines.push_back(Bytes.substr(Start, P - Start));
    Start = P + 1;
  }
  return Lines;
}

double RawLines(const std::string& Bytes) {
  return Best([&] {
    TStringStream S(Bytes);
    std::string Copy(static_cast<size_t>(S.Size()), '\0');
    S.ReadBuffer(Copy.data(), static_cast<int>(Copy.size()));
    Sink += static_cast<int>(SplitLines(Copy).size());
  });
}

std::string FileBytes(const AnsiString& Path) {
  std::ifstream F(Path.c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
}

void BenchLayouts() {
  RegisterClass<TBenchNode, TComponent>().Int("Number", &TBenchNode::Number, &TBenchNode::SetNumber, 0);
  std::string Text = "object Root: TBenchNode\n  Number = 1\n";
  for (int I = 1; I <= Count; ++I)
    Text += "  object N" + std::to_string(I) + ": TBenchNode\n    Number = " + std::to_string(I) + "\n  end\n";
  Text += "end\n";
  TStringStream TextStream(Text);
  TMemoryStream BinaryStream;
  ObjectTextToBinary(&TextStream, &BinaryStream);
  const std::string Binary(static_cast<const char*>(BinaryStream.Memory()), static_cast<size_t>(BinaryStream.Size()));

  auto ReadAndFree = [](const std::string& Bytes) {
    TOwned<TBenchNode> Root(new TBenchNode(nullptr));
    TStringStream S(Bytes);
    ReadComponentLayout(&S, Root.get());
    Sink += Root->ComponentCount() + static_cast<TBenchNode*>(Root->FindComponent("N20000"))->Number();
  };
  Report("layout, 20,000 siblings (text)", Text.size(), Best([&] { ReadAndFree(Text); }), RawLines(Text));
  const double RawBinary = Best([&] {
    TStringStream S(Binary);
    std::string Copy(static_cast<size_t>(S.Size()), '\0');
    S.ReadBuffer(Copy.data(), static_cast<int>(Copy.size()));
    for (char C : Copy) Sink += C == 0;
  });
  Report("layout, 20,000 siblings (binary)", Binary.size(), Best([&] { ReadAndFree(Binary); }), RawBinary);
}

void BenchIniSections(const AnsiString& Path) {
  std::string Text;
  for (int I = 0; I < Count; ++I) Text += "[Section" + std::to_string(I) + "]\r\nKey=Value " + std::to_string(I) + "\r\n\r\n";
  std::ofstream(Path.c_str(), std::ios::binary | std::ios::trunc) << Text;
  const double Reader = Best([&] {
    TMemIniFile Ini(Path);
    Sink += Ini.ReadString("Section19999", "Key", "").size();
  });
  const double Raw = Best([&] { Sink += static_cast<int>(SplitLines(FileBytes(Path)).size()); });
  Report("ini in memory, 20,000 sections", Text.size(), Reader, Raw);
  DeleteFileA(Path.c_str());
}

void BenchStoreValues() {
  for (bool Binary : {false, true}) {
    TOwned<TVsIniFile> Source(Create<TVsIniFile>(nullptr));
    Source->SetBinaryMode(Binary);
    for (int I = 0; I < Count; ++I) Source->WriteInteger("\\Values", "Value" + std::to_string(I), I);
    TMemoryStream Saved;
    Source->SaveToStream(&Saved);
    const std::string Bytes(static_cast<const char*>(Saved.Memory()), static_cast<size_t>(Saved.Size()));
    const double Reader = Best([&] {
      TOwned<TVsIniFile> Ini(Create<TVsIniFile>(nullptr));
      Ini->SetBinaryMode(Binary);
      TStringStream S(Bytes);
      Ini->LoadFromStream(&S);
      Integer N = 0;
      Ini->ReadInteger("\\Values", "Value19999", N, 0);
      Sink += N;
    });
    Report(Binary ? "settings store, 20,000 values (binary)" : "settings store, 20,000 values (text)", Bytes.size(),
           Reader, RawLines(Bytes));
  }
}

}  // namespace

int main() {
  InitializeFramework();
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  BenchLayouts();
  BenchIniSections(AnsiString(Dir) + "slovanta-bench-sections.ini");
  BenchStoreValues();
  std::printf("(checksum %d)\n", Sink);
  FinalizeFramework();
  return 0;
}
