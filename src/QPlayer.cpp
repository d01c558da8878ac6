#include "QPlayer.h"

#include "Forms.h"
#include "Win.h"

namespace {

// System code page (1250) texts of the error box.
constexpr char ErrorCaption[] = "B\xB3\xB9" "d";
constexpr char ErrorText[] =
    "Wyst\xB9pi\xB3 problem podczas inicjalizacji odtwarzania d\x9Fwi\xEAku.\r"
    "Prosz\xEA sprawdzi\xE6 czy karta d\x9Fwi\xEAkowa jest poprawnie zainstalowana i dost\xEApna w systemie.";

}  // namespace

int ShowErrorBox(const AnsiString& Caption, const AnsiString& Text, UINT Flags) {
  return Application->MessageBox(Text.c_str(), Caption.c_str(), Flags);
}

TPlayer::TPlayer(bool ReportFailure) {
  Audiere::TAudioLibrary Library;
  if (Audiere::BindAudioLibrary(Library)) {
    Device = Library.OpenDevice("autodetect", "");
    if (Device) {
      Device->ref();
      OpenSampleSource = Library.OpenSampleSource;
      OpenSound = Library.OpenSound;
      FReady = true;
    }
  }
  if (!FReady && ReportFailure) ShowErrorBox(ErrorCaption, ErrorText, MB_OK | MB_ICONERROR);
}

TPlayer::~TPlayer() {
  if (!FReady) return;
  Close();
  Device->unref();
}

bool TPlayer::Playing() const { return FReady && Stream && Stream->isPlaying(); }

void TPlayer::Open(const AnsiString& Path) {
  if (!FReady) return;
  Close();
  Audiere::ISampleSource* Source = OpenSampleSource(Path.c_str(), Audiere::FF_MP3);
  if (!Source) return;
  // The sound holds the source from here; without a sound the source's
  // count goes from 0 to 1 and back, which frees it.
  Source->ref();
  Stream = OpenSound(Device, Source, true);
  Source->unref();
  if (!Stream) return;
  Stream->setRepeat(false);
  Stream->ref();
}

void TPlayer::Play() {
  if (!FReady || !Stream) return;
  if (Stream->isPlaying())
    Stream->reset();
  else
    Stream->play();
}

void TPlayer::Stop() {
  if (!FReady || !Stream) return;
  Stream->stop();
  Stream->reset();
}

void TPlayer::Close() {
  if (!FReady) return;
  Stop();
  if (Stream) Stream->unref();
  Stream = nullptr;
}
