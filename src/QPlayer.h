#pragma once

#include "Audiere.h"
#include "System.h"
#include "Win.h"

// The message box of the sound player: the application's message box with
// the caption, text and style flags; returns the button pressed.
int ShowErrorBox(const WideString& Caption, const WideString& Text, UINT Flags);

// Plays one MP3 file at a time through the audio library. Without the
// library or a sound device the player is not Ready and every operation
// does nothing.
class TPlayer : public TObject {
public:
  // Binds the library and opens the default device. When that fails the
  // player is not Ready and, with ReportFailure, says so in an error box.
  explicit TPlayer(bool ReportFailure = true);
  // Stops and releases the sound, then the device.
  ~TPlayer() override;

  // Stops and releases the current sound, then opens Path (an MP3 file). A
  // file the library cannot open leaves the player without a sound.
  void Open(const AnsiString& Path);
  // Plays the sound; a playing sound starts again from its beginning.
  void Play();
  // Stops the sound and rewinds it.
  void Stop();
  // Stops and releases the sound.
  void Close();

  bool Ready() const { return FReady; }
  bool HasStream() const { return Stream != nullptr; }
  bool Playing() const;

private:
  Audiere::IAudioDevice* Device = nullptr;
  Audiere::IOutputStream* Stream = nullptr;
  bool FReady = false;
  Audiere::TAdrOpenSampleSource OpenSampleSource = nullptr;
  Audiere::TAdrOpenSound OpenSound = nullptr;
};
