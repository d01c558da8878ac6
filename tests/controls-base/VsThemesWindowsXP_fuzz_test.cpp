// Damaged style files: seeded mutations of the small test style -- its ini
// texts, name lists, bitmap headers and the sizes and places of its
// resources. Each case loads, activates, opens every class list, draws and
// measures every part of each class, reads every section as a part and
// queries the metrics; each step either works or
// raises one of the reader's errors. A crash, a hang or a huge allocation
// ends the run at once with the case and the seed, and the case's file is
// kept.
//
// Arguments: --cases=N (the suite runs a smaller number) and --seed=S.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#include "Classes.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "ThemePartSupport.h"
#include "VsIni.h"
#include "VsThemesWindowsXP.h"
#include "Win.h"

#include <psapi.h>

namespace {

using Bytes = std::string;

// ---------------------------------------------------------------------------
// The run's state, as the watchdog and the crash filter see it.

std::atomic<int> CurrentCase{-1};
std::atomic<DWORD> CaseStart{0};
std::atomic<bool> Running{false};
unsigned RunSeed = 0;
char CasePath[MAX_PATH];  // the file the case runs on
char SavedPath[MAX_PATH];

constexpr DWORD CaseDeadlineMs = 30000;       // a slow machine's worst case, many times over
constexpr size_t HugeAllocation = 64u << 20;  // no case needs a block this large
constexpr SIZE_T HugeCommit = static_cast<SIZE_T>(1) << 30;

// Keeps the file of the current case and ends the process: nothing after a
// crash, a hang or a runaway allocation can be trusted.
[[noreturn]] void Abandon(const char* What) {
  const int Case = CurrentCase.load();
  std::snprintf(SavedPath, sizeof SavedPath, "theme-fuzz-failed-%u-%d.msstyles", RunSeed, Case);
  CopyFileA(CasePath, SavedPath, FALSE);
  std::fprintf(stderr, "\n%s in case %d (seed %u); the case is kept in %s\n", What, Case, RunSeed, SavedPath);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  std::abort();
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* Info) {
  char What[64];
  std::snprintf(What, sizeof What, "exception 0x%08lX", Info->ExceptionRecord->ExceptionCode);
  Abandon(What);
}

DWORD WINAPI Watchdog(void*) {
  while (true) {
    Sleep(200);
    if (!Running.load()) continue;
    if (GetTickCount() - CaseStart.load() > CaseDeadlineMs) Abandon("no end within 30 s");
    PROCESS_MEMORY_COUNTERS Memory = {};
    Memory.cb = sizeof Memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &Memory, sizeof Memory) && Memory.PagefileUsage > HugeCommit)
      Abandon("more than 1 GB committed");
  }
}

}  // namespace

// Every C++ allocation of the program passes here: a block beyond any
// sensible size ends the run with its case.
// GCC pairs an inlined call of this operator new with the standard one and
// takes the free below for a mismatch; both sides are the ones written here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t Size) {
  if (Size > HugeAllocation && Running.load()) Abandon("an allocation beyond 64 MB");
  if (void* P = std::malloc(Size ? Size : 1)) return P;
  throw std::bad_alloc();
}
void operator delete(void* P) noexcept { std::free(P); }
void operator delete(void* P, size_t) noexcept { std::free(P); }
#pragma GCC diagnostic pop

namespace {

// ---------------------------------------------------------------------------
// Where the resources lie in the style's file.

uint32_t U32(const Bytes& B, size_t At) {
  uint32_t V = 0;
  if (At + 4 <= B.size()) std::memcpy(&V, B.data() + At, 4);
  return V;
}
uint16_t U16(const Bytes& B, size_t At) {
  uint16_t V = 0;
  if (At + 2 <= B.size()) std::memcpy(&V, B.data() + At, 2);
  return V;
}
void Put32(Bytes& B, size_t At, uint32_t V) {
  if (At + 4 <= B.size()) std::memcpy(B.data() + At, &V, 4);
}

enum class TSlotKind { Text, Names, Bitmap };

struct TSlot {
  TSlotKind Kind;
  std::wstring Name;
  size_t Entry;    // file offset of the data entry (address, size)
  size_t Data;     // file offset of the data
  uint32_t Size;   // bytes, room after the text included
  Bytes Original;  // the text without its room, or the whole data
};

struct TStyleImage {
  Bytes File;
  size_t DirectoryStart = 0, DirectoryEnd = 0;  // the resource directory, file offsets
  std::vector<TSlot> Slots;
};

std::wstring DirectoryName(const Bytes& B, size_t Root, uint32_t Name) {
  if (!(Name & 0x80000000u)) return L"#" + std::to_wstring(Name);
  const size_t At = Root + (Name & 0x7FFFFFFFu);
  std::wstring S(U16(B, At), L'\0');
  std::memcpy(S.data(), B.data() + At + 2, S.size() * 2);
  return S;
}

TStyleImage ReadStyleImage(const Bytes& File) {
  TStyleImage Image;
  Image.File = File;
  const size_t Pe = U32(File, 0x3C);
  const size_t Optional = Pe + 24;
  const uint32_t ResourceRva = U32(File, Optional + 96 + 2 * 8);
  const size_t Sections = Optional + U16(File, Pe + 20);
  size_t RvaBase = 0, RawBase = 0, RawSize = 0;
  for (int I = 0; I < U16(File, Pe + 6); ++I) {
    const size_t S = Sections + 40 * static_cast<size_t>(I);
    if (ResourceRva >= U32(File, S + 12) && ResourceRva < U32(File, S + 12) + U32(File, S + 16)) {
      RvaBase = U32(File, S + 12);
      RawBase = U32(File, S + 20);
      RawSize = U32(File, S + 16);
    }
  }
  const auto Offset = [&](uint32_t Rva) { return RawBase + (Rva - RvaBase); };
  const size_t Root = Offset(ResourceRva);
  Image.DirectoryStart = Root;
  Image.DirectoryEnd = Root;
  const auto Entries = [&](size_t Dir) {
    std::vector<std::pair<uint32_t, uint32_t>> E;
    const int Count = U16(File, Dir + 12) + U16(File, Dir + 14);
    for (int I = 0; I < Count; ++I)
      E.emplace_back(U32(File, Dir + 16 + 8 * static_cast<size_t>(I)),
                     U32(File, Dir + 20 + 8 * static_cast<size_t>(I)));
    return E;
  };
  for (const auto& [Type, TypeDir] : Entries(Root)) {
    const std::wstring TypeName = DirectoryName(File, Root, Type);
    for (const auto& [Name, NameDir] : Entries(Root + (TypeDir & 0x7FFFFFFFu)))
      for (const auto& [Lang, Leaf] : Entries(Root + (NameDir & 0x7FFFFFFFu))) {
        (void)Lang;
        TSlot Slot;
        Slot.Name = DirectoryName(File, Root, Name);
        Slot.Kind = TypeName == L"TEXTFILE" ? TSlotKind::Text
                    : TypeName == L"#2"     ? TSlotKind::Bitmap
                                            : TSlotKind::Names;
        Slot.Entry = Root + Leaf;
        Slot.Data = Offset(U32(File, Slot.Entry));
        Slot.Size = U32(File, Slot.Entry + 4);
        Slot.Original = File.substr(Slot.Data, Slot.Size);
        if (Slot.Kind == TSlotKind::Text)
          while (Slot.Original.size() >= 4 && Slot.Original.compare(Slot.Original.size() - 4, 4, "\r\0\n\0", 4) == 0)
            Slot.Original.resize(Slot.Original.size() - 4);
        Image.DirectoryEnd = std::max(Image.DirectoryEnd, Slot.Entry + 16);
        Image.Slots.push_back(Slot);
      }
  }
  (void)RawSize;
  return Image;
}

// ---------------------------------------------------------------------------
// The mutations.

class TMutator {
 public:
  explicit TMutator(unsigned Seed) : FRandom(Seed) {}

  Bytes Mutate(const TStyleImage& Style) {
    Bytes File = Style.File;
    const int Count = Below(3) + 1;
    for (int I = 0; I < Count; ++I) {
      const TSlot& Slot = Style.Slots[static_cast<size_t>(Below(static_cast<int>(Style.Slots.size())))];
      switch (Below(10)) {
        case 0:
        case 1:
        case 2:
        case 3:
          if (Slot.Kind == TSlotKind::Text)
            WriteText(File, Slot, MutateText(ToAnsi(Slot.Original)));
          else if (Slot.Kind == TSlotKind::Names)
            MutateNames(File, Slot);
          else
            MutateBitmap(File, Slot);
          break;
        case 4:
        case 5:
          MutateBitmapOrNames(File, Style);
          break;
        case 6:
        case 7:
          // The size or the place of a resource.
          Put32(File, Slot.Entry + 4 * static_cast<size_t>(Below(2)),
                Below(2) ? Interesting() : U32(File, Slot.Entry + 4) + static_cast<uint32_t>(Below(64) - 32));
          break;
        case 8:
          // The directory itself.
          for (int N = Below(4) + 1; N > 0; --N)
            File[Style.DirectoryStart +
                 static_cast<size_t>(Below(static_cast<int>(Style.DirectoryEnd - Style.DirectoryStart)))] =
                static_cast<char>(Below(256));
          break;
        default:
          // Random bytes in a resource.
          for (int N = Below(16) + 1; N > 0 && Slot.Size > 0; --N)
            File[Slot.Data + static_cast<size_t>(Below(static_cast<int>(Slot.Size)))] = static_cast<char>(Below(256));
          break;
      }
    }
    return File;
  }

 private:
  int Below(int N) { return N <= 0 ? 0 : std::uniform_int_distribution<int>(0, N - 1)(FRandom); }

  uint32_t Interesting() {
    static const uint32_t Values[] = {0,          1,          2,       3,          0x7F,       0x80,
                                      0xFF,       0xFFFF,     0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                      0xFFFFFFFE, 0x7FFFFFF0, 0x1000,  0x3FFFFFFF, 30000,      0xFFFF8000};
    return Below(4) ? Values[Below(static_cast<int>(std::size(Values)))] : static_cast<uint32_t>(FRandom());
  }

  static AnsiString ToAnsi(const Bytes& Utf16) {
    AnsiString S;
    for (size_t I = 0; I + 1 < Utf16.size(); I += 2) S += Utf16[I];
    return S;
  }

  // A text written into the resource's place, cut to its room, sometimes an
  // odd number of bytes long.
  void WriteText(Bytes& File, const TSlot& Slot, const AnsiString& Text) {
    Bytes Units;
    for (char C : Text) Units += Bytes{C, Below(50) ? '\0' : static_cast<char>(Below(256))};
    if (Units.size() > Slot.Size) Units.resize(Slot.Size);
    if (!Units.empty() && Below(8) == 0) Units.pop_back();
    std::memcpy(File.data() + Slot.Data, Units.data(), Units.size());
    Put32(File, Slot.Entry + 4, static_cast<uint32_t>(Units.size()));
  }

  AnsiString Number() {
    static const char* const Values[] = {"",
                                         "99999999999999999999",
                                         "-2147483648",
                                         "2147483647",
                                         "-1",
                                         "0",
                                         "-99999",
                                         "1, 2",
                                         "1,2,3,4,5",
                                         "$FFFFFFFF",
                                         "999999 999999 999999",
                                         "a b c",
                                         ",",
                                         ",,,",
                                         "-0",
                                         "1000000",
                                         "0x7FFFFFFF",
                                         " ,  , ",
                                         "-5, -5, -5, -5",
                                         "1e9"};
    return Values[Below(static_cast<int>(std::size(Values)))];
  }

  AnsiString MutateText(AnsiString Text) {
    std::vector<AnsiString> Lines;
    for (size_t Start = 0; Start <= Text.size();) {
      size_t End = Text.find("\r\n", Start);
      if (End == AnsiString::npos) End = Text.size();
      Lines.push_back(Text.substr(Start, End - Start));
      Start = End + 2;
    }
    for (int N = Below(4) + 1; N > 0 && !Lines.empty(); --N) {
      const size_t L = static_cast<size_t>(Below(static_cast<int>(Lines.size())));
      AnsiString& Line = Lines[L];
      switch (Below(7)) {
        case 0:
          Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(L));
          break;
        case 1:
          Lines.resize(L);  // cut the text here
          break;
        case 2:
        case 3: {
          const size_t Eq = Line.find('=');
          if (Eq != AnsiString::npos) Line = Line.substr(0, Eq + 1) + " " + Number();
          break;
        }
        case 4:
          Line.resize(static_cast<size_t>(Below(static_cast<int>(Line.size()) + 1)));
          break;
        case 5:
          for (int K = Below(6) + 1; K > 0; --K) {
            static const char Special[] = {'[', ']', '=', ',', ' ', '\t', '\0', '\xFF', '\x80', '#', ';', '\\'};
            const char C = Below(2) ? Special[Below(static_cast<int>(sizeof Special))] : static_cast<char>(Below(256));
            Line.insert(static_cast<size_t>(Below(static_cast<int>(Line.size()) + 1)), 1, C);
          }
          break;
        default:
          Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(L), Line);
          break;
      }
    }
    AnsiString Result;
    for (const AnsiString& Line : Lines) Result += Line + "\r\n";
    return Result;
  }

  void MutateNames(Bytes& File, const TSlot& Slot) {
    Bytes List = Slot.Original;
    switch (Below(4)) {
      case 0:  // no end
        while (List.size() >= 2 && List[List.size() - 1] == '\0' && List[List.size() - 2] == '\0')
          List.resize(List.size() - 2);
        break;
      case 1:  // odd length or cut
        List.resize(static_cast<size_t>(Below(static_cast<int>(List.size()) + 1)));
        break;
      case 2:  // names of nothing
        List.clear();
        for (int N = Below(8); N > 0; --N) {
          for (int K = Below(12) + 1; K > 0; --K) List += Bytes{static_cast<char>('A' + Below(26)), '\0'};
          List += Bytes(2, '\0');
        }
        break;
      default:
        for (int N = Below(6) + 1; N > 0 && !List.empty(); --N)
          List[static_cast<size_t>(Below(static_cast<int>(List.size())))] = static_cast<char>(Below(256));
        break;
    }
    if (List.size() > Slot.Size) List.resize(Slot.Size);
    std::memcpy(File.data() + Slot.Data, List.data(), List.size());
    Put32(File, Slot.Entry + 4, static_cast<uint32_t>(List.size()));
  }

  void MutateBitmap(Bytes& File, const TSlot& Slot) {
    // A field of the header: size, width, height, planes, bit count,
    // compression, image size, colours used; or a mask.
    static const size_t Fields[] = {0, 4, 8, 12, 14, 16, 20, 32, 40, 44, 48, 52};
    const size_t At = Fields[Below(static_cast<int>(std::size(Fields)))];
    if (At + 4 > Slot.Size) return;
    if (At == 12 || At == 14) {
      static const uint16_t Small[] = {0, 1, 2, 4, 8, 15, 16, 24, 32, 33, 64, 0xFFFF};
      const uint16_t V = Small[Below(static_cast<int>(std::size(Small)))];
      std::memcpy(File.data() + Slot.Data + At, &V, 2);
    } else {
      Put32(File, Slot.Data + At, Interesting());
    }
  }

  void MutateBitmapOrNames(Bytes& File, const TStyleImage& Style) {
    std::vector<const TSlot*> Candidates;
    for (const TSlot& S : Style.Slots)
      if (S.Kind != TSlotKind::Text) Candidates.push_back(&S);
    const TSlot& Slot = *Candidates[static_cast<size_t>(Below(static_cast<int>(Candidates.size())))];
    if (Slot.Kind == TSlotKind::Bitmap)
      MutateBitmap(File, Slot);
    else
      MutateNames(File, Slot);
  }

  std::mt19937 FRandom;
};

// ---------------------------------------------------------------------------
// One case.

const wchar_t* const ClassLists[] = {L"Globals",  L"Button",   L"ComboBox",  L"Edit",  L"ExplorerBar", L"Header",
                                     L"ListView", L"Progress", L"ScrollBar", L"Spin",  L"Status",      L"Tab",
                                     L"ToolBar",  L"TrackBar", L"TreeView",  L"Window"};

struct TTally {
  int Refused = 0;  // the file did not load or activate
  int Activated = 0;
  int Images = 0;  // images loaded over all cases
  std::string Failure;
};

// Runs Step; the reader's own errors are what a damaged file may give.
template <class F>
bool Allowed(F&& Step, TTally& Tally, const char* What) {
  try {
    Step();
    return true;
  } catch (const EThemeError&) {
  } catch (const EVsIniError&) {
  } catch (const EResNotFound&) {
  } catch (const std::exception& Err) {
    if (Tally.Failure.empty()) Tally.Failure = std::string(What) + ": " + typeid(Err).name() + " " + Err.what();
  }
  return false;
}

// Every part of Theme drawn in states 0-20 at a few sizes, from nothing to
// wider than any image, and its sizes of every kind asked for.
void DrawEveryPart(TTheme& Theme, TTally& Tally) {
  static const SIZE Sizes[] = {{0, 0}, {1, 1}, {17, 17}, {300, 40}};
  TVsBlitBuffer Canvas;
  const HDC DC = Canvas.Prepare(302, 42);
  for (int PartId = 0; PartId <= 32; ++PartId) {
    if (!Theme.GetPart(PartId)) continue;
    for (int State = 0; State <= 20; ++State)
      for (const SIZE& S : Sizes) {
        RECT R{1, 1, 1 + S.cx, 1 + S.cy};
        Allowed([&] { Theme.DrawThemeBackground(DC, PartId, State, &R, nullptr); }, Tally, "draw");
        for (int Kind = 0; Kind <= 3; ++Kind) {
          SIZE Size;
          Allowed([&] { Theme.GetThemePartSize(DC, PartId, State, &R, static_cast<THEMESIZE>(Kind), Size); }, Tally,
                  "part size");
          Allowed([&] { Theme.GetThemePartSize(DC, PartId, State, nullptr, static_cast<THEMESIZE>(Kind), Size); },
                  Tally, "part size");
        }
      }
  }
}

void RunCase(const WideString& Path, bool SecondScheme, TTally& Tally) {
  TWindowsXPThemeManager Manager;
  if (!Allowed([&] { Manager.LoadFromFile(Path); }, Tally, "load") ||
      !Allowed(
          [&] {
            Manager.Activate(SecondScheme && Manager.GetColorSchemeCount() > 1 ? Manager.GetColorScheme(1) : L"");
          },
          Tally, "activate")) {
    ++Tally.Refused;
    return;
  }
  ++Tally.Activated;
  Allowed([&] { Manager.GetDisplayName(); }, Tally, "display name");
  Allowed([&] { Manager.GetColorSchemeDisplayName(Manager.ColorSchemeName()); }, Tally, "scheme name");
  wchar_t Buffer[16];
  Allowed([&] { Manager.GetThemeDocumentationProperty(nullptr, L"ToolTip", Buffer, 16); }, Tally, "documentation");

  TWindowsXPTheme* Any = nullptr;
  for (const wchar_t* List : ClassLists) {
    TTheme* Theme = nullptr;
    Allowed([&] { Theme = Manager.OpenThemeData(nullptr, List); }, Tally, "open");
    if (!Theme) continue;
    Any = static_cast<TWindowsXPTheme*>(Theme);
    Allowed([&] { Theme->GetThemeSysBool(1001); }, Tally, "bool");
    for (int Id = 1600; Id <= 1632; ++Id) {
      Allowed([&] { Theme->GetThemeSysColor(Id); }, Tally, "colour");
      Allowed([&] { Theme->GetThemeSysColorBrush(Id); }, Tally, "brush");
    }
    for (int Id = 800; Id <= 807; ++Id) {
      LOGFONTW Font;
      Allowed([&] { Theme->GetThemeSysFont(Id, Font); }, Tally, "font");
    }
    for (int Id = 1300; Id <= 1304; ++Id) {
      int Value;
      Allowed([&] { Theme->GetThemeSysInt(Id, Value); }, Tally, "int");
    }
    for (int Id = 1200; Id <= 1210; ++Id) Allowed([&] { Theme->GetThemeSysSize(Id); }, Tally, "size");
    DrawEveryPart(*Theme, Tally);
  }
  if (!Any) return;

  // Every section as a part below the globals, every property asked for.
  TStringList Sections;
  Allowed([&] { Manager.SchemeIni().EnumSubKeys("", &Sections); }, Tally, "sections");
  std::vector<TOwned<TDataPart>> Parts;
  Allowed([&] { Parts.emplace_back(new TDataPart(Any, nullptr, "Globals")); }, Tally, "globals part");
  for (int I = 0; I < Sections.Count() && I < 64; ++I)
    Allowed(
        [&] { Parts.emplace_back(new TDataPart(Any, Parts.empty() ? nullptr : Parts[0].get(), Sections.Strings(I))); },
        Tally, "part");
  for (const auto& Part : Parts) {
    for (int Image = 0; Image < TWindowsXPThemePart::ImageCount; ++Image) {
      if (!Part->Image(Image)) continue;
      ++Tally.Images;
      const TBitmap* Bitmap = Part->Image(Image);
      for (const RECT& F : Part->Frames(Image))
        if (F.left < 0 || F.top < 0 || F.right > Bitmap->Width() || F.bottom > Bitmap->Height() || F.right <= F.left ||
            F.bottom <= F.top) {
          if (Tally.Failure.empty()) Tally.Failure = "a frame outside its image or empty";
        }
    }
    const auto Each = [&](TTmPropertyKind Kind, auto Get) {
      for (const TTmProperty& P : TmProperties(Kind)) Allowed([&] { Get(P.Id); }, Tally, P.Name);
    };
    Each(TTmPropertyKind::Boolean, [&](int Id) { Part->GetBool(Id); });
    Each(TTmPropertyKind::Color, [&](int Id) { Part->GetColor(Id); });
    Each(TTmPropertyKind::Integer, [&](int Id) { Part->GetInt(Id); });
    Each(TTmPropertyKind::Margins, [&](int Id) { Part->GetMargins(Id); });
    Each(TTmPropertyKind::Position, [&](int Id) { Part->GetPosition(Id); });
    Each(TTmPropertyKind::Size, [&](int Id) { Part->GetSize(Id); });
    Each(TTmPropertyKind::FileName, [&](int Id) { Part->GetFileName(Id); });
    for (int E = 0; E < 14; ++E) Allowed([&] { Part->GetEnum(static_cast<TTmEnumeration>(E)); }, Tally, "GetEnum");
  }
}

// --cases=N and --seed=S from the command line.
unsigned Argument(const char* Name, unsigned Default) {
  for (const std::string& A : ::testing::internal::GetArgvs())
    if (A.rfind(Name, 0) == 0) return static_cast<unsigned>(std::strtoul(A.c_str() + std::strlen(Name), nullptr, 10));
  return Default;
}

class ThemeFuzz : public ::testing::Test {
 protected:
  void SetUp() override {
    const AnsiString Path = TestTempPath("theme-fuzz", "case.msstyles");
    std::snprintf(CasePath, sizeof CasePath, "%s", Path.c_str());
    DeleteFileA(CasePath);
  }
  void TearDown() override {
    Running = false;
    DeleteFileA(CasePath);
  }
};

Bytes ReadFile(const char* Path) {
  TFileStream S(Path, fmOpenRead);
  Bytes Data(static_cast<size_t>(S.Size()), '\0');
  S.ReadBuffer(Data.data(), static_cast<int>(Data.size()));
  return Data;
}

TEST_F(ThemeFuzz, DamagedStylesLoadOrRaiseTheReadersErrors) {
  const unsigned Cases = Argument("--cases=", 1000);
  RunSeed = Argument("--seed=", 22);
  std::printf("seed %u, %u cases\n", RunSeed, Cases);

  const TStyleImage Style = ReadStyleImage(ReadFile(FIXTURE_STYLE));
  ASSERT_EQ(Style.Slots.size(), 13u);  // the style as its script makes it

  // The untouched style loads whole.
  {
    TFileStream S(CasePath, fmCreate);
    S.WriteBuffer(Style.File.data(), static_cast<int>(Style.File.size()));
  }
  TTally Clean;
  RunCase(AnsiToWide(CasePath), false, Clean);
  ASSERT_EQ(Clean.Activated, 1) << Clean.Failure;
  ASSERT_EQ(Clean.Failure, "");
  ASSERT_GE(Clean.Images, 4);

  SetUnhandledExceptionFilter(CrashFilter);
  CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
  TMutator Mutator(RunSeed);
  TTally Tally;
  const DWORD Started = GetTickCount();
  for (unsigned Case = 0; Case < Cases; ++Case) {
    const Bytes File = Mutator.Mutate(Style);
    {
      TFileStream S(CasePath, fmCreate);
      S.WriteBuffer(File.data(), static_cast<int>(File.size()));
    }
    CurrentCase = static_cast<int>(Case);
    CaseStart = GetTickCount();
    Running = true;
    RunCase(AnsiToWide(CasePath), Case % 2 == 1, Tally);
    Running = false;
    if (!Tally.Failure.empty()) {
      std::snprintf(SavedPath, sizeof SavedPath, "theme-fuzz-failed-%u-%u.msstyles", RunSeed, Case);
      CopyFileA(CasePath, SavedPath, FALSE);
      FAIL() << "case " << Case << " (seed " << RunSeed << "): " << Tally.Failure << "; the case is kept in "
             << SavedPath;
    }
  }
  const double Seconds = (GetTickCount() - Started) / 1000.0;
  std::printf("%u cases in %.1f s: %d activated, %d refused, %d images loaded\n", Cases, Seconds, Tally.Activated,
              Tally.Refused, Tally.Images);
  // Both outcomes occur, so the mutations reach both paths.
  EXPECT_GT(Tally.Activated, 0);
  EXPECT_GT(Tally.Refused, 0);
}

}  // namespace
