// Times the audio library from play to the first buffer on the device and
// measures the peak private memory, for a 10-minute MP3 beside a 3-second
// one (both 128 kbit/s stereo tones that lame made when the bench was
// built). play returns once the first buffer is queued, so its time is the
// time to the first buffer. Each file is measured in a process of its own
// (this program, started again with the file), so that the peak of one does
// not hide the other's. Times are the best, memory the most of three
// rounds.
#include "BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "Audiere.h"
#include "Win.h"

namespace {

using namespace Audiere;

struct TFigures {
  double OpenMs = 0;    // opening the source and the sound
  double PlayMs = 0;    // play, best of 50 starts
  double PeakMb = 0;    // the process's peak private memory
  double GrowthMb = 0;  // of it, above the memory before the file was opened
  double WorkingMb = 0;  // the peak working set
};

PROCESS_MEMORY_COUNTERS_EX Counters() {
  PROCESS_MEMORY_COUNTERS_EX Result{};
  Result.cb = sizeof Result;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&Result), sizeof Result);
  return Result;
}

// The private memory now. Wine reports no PrivateUsage and keeps no peak of
// the pagefile usage, which is its private memory: the peak is sampled.
double PrivateMb() {
  const PROCESS_MEMORY_COUNTERS_EX Now = Counters();
  return double(std::max(Now.PrivateUsage, Now.PagefileUsage)) / 1048576.0;
}

// Plays File: a few starts, then two seconds of playing (about eight
// seconds of sound on the harness's null device) with the memory sampled.
int MeasureOne(const char* File) {
  TAudioLibrary Library;
  if (!BindAudioLibrary(Library)) {
    std::fprintf(stderr, "Audiere.dll not found\n");
    return 1;
  }
  IAudioDevice* Device = Library.OpenDevice("autodetect", "");
  if (!Device) {
    std::fprintf(stderr, "no wave-out device\n");
    return 1;
  }
  Device->ref();
  const double Base = PrivateMb();
  TFigures Figures;
  double Start = Seconds();
  ISampleSource* Source = Library.OpenSampleSource(File, FF_MP3);
  IOutputStream* Stream = Source ? Library.OpenSound(Device, Source, true) : nullptr;
  Figures.OpenMs = (Seconds() - Start) * 1000;
  double Top = PrivateMb();
  if (!Stream) {
    std::fprintf(stderr, "%s: cannot be opened\n", File);
    return 1;
  }
  Stream->ref();
  Figures.PlayMs = 1e9;
  for (int Run = 0; Run < 50; ++Run) {
    Start = Seconds();
    Stream->play();
    Figures.PlayMs = std::min(Figures.PlayMs, (Seconds() - Start) * 1000);
    Top = std::max(Top, PrivateMb());
    if (!Stream->isPlaying()) {
      std::fprintf(stderr, "%s: does not play\n", File);
      return 1;
    }
    Sleep(30);
    Stream->stop();
    Stream->reset();
  }
  Stream->play();
  Start = Seconds();
  while (Seconds() - Start < 2 && Stream->isPlaying()) {
    Top = std::max(Top, PrivateMb());
    Sleep(10);
  }
  Stream->unref();
  Device->unref();
  const PROCESS_MEMORY_COUNTERS_EX End = Counters();
  Figures.PeakMb = std::max(double(End.PeakPagefileUsage) / 1048576.0, Top);
  Figures.GrowthMb = Top - Base;
  Figures.WorkingMb = double(End.PeakWorkingSetSize) / 1048576.0;
  std::printf("%.3f %.3f %.2f %.2f %.2f\n", Figures.OpenMs, Figures.PlayMs, Figures.PeakMb, Figures.GrowthMb,
              Figures.WorkingMb);
  return 0;
}

// Runs this program again on File and reads its figures.
bool Measure(const char* File, TFigures& Figures) {
  char Self[MAX_PATH];
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  std::string Command = std::string("\"") + Self + "\" --one \"" + File + "\"";
  SECURITY_ATTRIBUTES Inherit{sizeof Inherit, nullptr, TRUE};
  HANDLE Read = nullptr, Write = nullptr;
  if (!CreatePipe(&Read, &Write, &Inherit, 0)) return false;
  SetHandleInformation(Read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA Startup{};
  Startup.cb = sizeof Startup;
  Startup.dwFlags = STARTF_USESTDHANDLES;
  Startup.hStdOutput = Write;
  Startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  Startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION Process{};
  const bool Started =
      CreateProcessA(nullptr, Command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &Startup, &Process);
  CloseHandle(Write);
  std::string Output;
  if (Started) {
    char Buffer[256];
    DWORD Done = 0;
    while (ReadFile(Read, Buffer, sizeof Buffer, &Done, nullptr) && Done) Output.append(Buffer, Done);
    WaitForSingleObject(Process.hProcess, 60000);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
  }
  CloseHandle(Read);
  return std::sscanf(Output.c_str(), "%lf %lf %lf %lf %lf", &Figures.OpenMs, &Figures.PlayMs, &Figures.PeakMb,
                     &Figures.GrowthMb, &Figures.WorkingMb) == 5;
}

void Report(const char* What, const TFigures& F) {
  std::printf("%-7s %9.2f %12.2f %14.2f %12.2f %12.2f\n", What, F.OpenMs, F.PlayMs, F.PeakMb, F.GrowthMb,
              F.WorkingMb);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--one") == 0) return MeasureOne(argv[2]);
  // Three rounds of both files in turn, each figure the best of its three:
  // the times are fractions of a millisecond, which a busy machine blurs.
  TFigures Short, Long;
  for (int Round = 0; Round < 3; ++Round) {
    for (TFigures* Best : {&Short, &Long}) {
      TFigures Figures;
      if (!Measure(Best == &Short ? BENCH_AUDIO_DIR "/short.mp3" : BENCH_AUDIO_DIR "/long.mp3", Figures)) {
        std::fprintf(stderr, "a measurement failed\n");
        return 1;
      }
      if (Round == 0) *Best = Figures;
      Best->OpenMs = std::min(Best->OpenMs, Figures.OpenMs);
      Best->PlayMs = std::min(Best->PlayMs, Figures.PlayMs);
      Best->PeakMb = std::max(Best->PeakMb, Figures.PeakMb);
      Best->GrowthMb = std::max(Best->GrowthMb, Figures.GrowthMb);
      Best->WorkingMb = std::max(Best->WorkingMb, Figures.WorkingMb);
    }
  }
  std::printf("file    open (ms) play to first  peak private  growth (MB) peak working\n");
  std::printf("                  buffer (ms)    memory (MB)               set (MB)\n");
  Report("3 s", Short);
  Report("10 min", Long);
  std::printf("ratio 10 min / 3 s: play to first buffer %.2f, peak private memory %.2f, peak working set %.2f"
              " (goal: under 1.5)\n",
              Long.PlayMs / Short.PlayMs, Long.PeakMb / Short.PeakMb, Long.WorkingMb / Short.WorkingMb);
  return 0;
}
