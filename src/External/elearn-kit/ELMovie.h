// The movie control of a page: the platform's ActiveX movie player, hosted
// in the system's ActiveX host window and driven late-bound through its
// automation interface. Where the player is not installed, making the
// control fails.
#pragma once

#include <ole2.h>

#include "Controls.h"
#include "Graphics.h"
#include "SysUtils.h"

FRAMEWORK_EXCEPTION(EMovieError, Exception)

// The player's class.
extern const CLSID CLSID_MoviePlayer;

class TELearnMovie : public TWinControl {
public:
  // Raises EMovieError when the player cannot be made.
  explicit TELearnMovie(TComponent* AOwner);
  ~TELearnMovie() override;

  // The movie the player shows.
  WideString Movie();
  void SetMovie(const WideString& Value);
  // Loads the movie file Path into Layer; false when the player refused.
  bool LoadMovie(int Layer, const WideString& Path);
  // The background colour as six hexadecimal digits, red, green, blue.
  void SetBGColor(const WideString& Value);
  bool IsPlaying();
  void Stop();

  // A background movie is painted by the back panel it stands on.
  bool IsBackground() const { return FIsBackground; }
  void SetIsBackground(bool Value) { FIsBackground = Value; }
  // Draws the player's picture onto Canvas at (X, Y) in the control's size;
  // nothing when the player cannot draw itself.
  void PaintTo(TCanvas* Canvas, int X, int Y);

protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;

private:
  // Calls the automation member Name; false when it failed.
  bool Invoke(const wchar_t* Name, WORD Flags, VARIANT* Args, int ArgCount, VARIANT* Result);

  IUnknown* FControl = nullptr;
  IDispatch* FDispatch = nullptr;
  HWND FHost = nullptr;
  bool FIsBackground = false;
};
