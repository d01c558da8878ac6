#include "QPlayer.h"

#include "Dict_Strings.h"
#include "Forms.h"
#include "Win.h"

int ShowErrorBox(const WideString& Caption, const WideString& Text, UINT Flags) {
  // Owned as the application's boxes are: by the active form, else the
  // main form.
  const auto Usable = [](TCustomForm* Form) { return Form && Form->HandleAllocated() && Form->Visible(); };
  HWND Owner = GetActiveWindow();
  if (Screen && Usable(Screen->ActiveForm()))
    Owner = Screen->ActiveForm()->Handle();
  else if (Application && Usable(Application->MainForm()))
    Owner = Application->MainForm()->Handle();
  return MessageBoxW(Owner, Text.c_str(), Caption.c_str(), Flags);
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
  if (!FReady && ReportFailure) ShowErrorBox(sPlayerErrorCaption, sPlayerErrorText, MB_OK | MB_ICONERROR);
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
