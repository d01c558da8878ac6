// Typing characters the keyboard lacks: the shortcut manager with its list
// of single shortcuts and keypad digit sequences, and the routines that put
// a character into an answer edit; and the page panel the exercise pages
// are built on.
#pragma once

#include <vector>

#include "BackPanel.h"
#include "Controls.h"
#include "Lists.h"
#include "PageNode.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "VsEdits.h"

// The modifier part of a shortcut code: 0x2000 for Shift, 0x4000 for Ctrl,
// 0x8000 for Alt, summed. Mouse buttons and double clicks do not count.
Word ShiftStateToShortcutBits(TShiftState Shift);

// A name=value list of shortcut codes and character codes ("16449=261"),
// plus keypad sequences: lines named "$" and 1 to 4 digits, typed on the
// numeric keypad while Ctrl is held.
class TShortcutManager : public THashedStringList {
public:
  // The key's shortcut names an entry whose value is a usable character
  // code: Key becomes that code.
  bool TranslateKey(TShiftState Shift, Word& Key);
  // Ctrl with a keypad digit extends the pending digits; once they name an
  // entry, Key becomes its code and a new sequence starts. Anything else
  // starts the sequence again.
  bool TranslateKeypadSequence(TShiftState Shift, Word& Key);
  // A keypad digit (Num Lock on) is appended; a fifth digit empties the
  // pending digits. Any other key empties them and gives false.
  bool AppendKeypadDigit(Word Key);
  void ResetKeypadSequence() { FKeypadSequence.clear(); }
  const AnsiString& KeypadSequence() const { return FKeypadSequence; }

private:
  // The entry's value as a character: false when there is no entry, the
  // value is not a number, or it gives code 0 or half a surrogate pair.
  bool LookUp(const AnsiString& Name, Word& Key) const;

  AnsiString FKeypadSequence;
};

// The one manager, or nullptr before the main window made it.
TShortcutManager* ShortcutManager();
// Makes the manager, filled from ListFile when that file exists.
void CreateShortcutManager(const AnsiString& ListFile);
void FreeShortcutManager();

using TGetStream = TMethodPtr<void(TObject* Sender, const AnsiString& FName, TMemoryStream* AStream)>;

// The base of an exercise page: a back panel that reads its layout from a
// page-settings node, places still pictures and movies on itself, loads
// their contents through OnGetStream, and scales itself. The pages proper
// derive from it; the trainer itself uses only its two class routines.
class TELearnPanel : public TBackPanel {
public:
  explicit TELearnPanel(TComponent* AOwner);
  // Playing movies are stopped, then every media object is freed.
  void BeforeDestruction() override;

  // The manager's entries, then Ctrl or Ctrl+Shift with a, e, i, o, u (the
  // vowels with a macron). Key is 0 afterwards when the key was used up.
  static void TranslateSpecialKey(TCustomVsEdit* Edit, Word& Key, TShiftState Shift);
  // Puts Ch into an answer edit (a TVsEdit, not a memo): at the caret, or
  // in place of the whole text when the edit's hint is "TELearnInputCR",
  // then fires the edit's OnChange. Refused when the edit is read-only or
  // full. True when the character went in.
  static bool PutCharIntoEdit(WideChar Ch, TCustomVsEdit* Edit);

  // Asked for the contents of a media file; the stream is the panel's.
  TGetStream OnGetStream;
  // Stored at once; a loaded page is told of a change.
  bool AlternativeText() const { return FAlternativeText; }
  void SetAlternativeText(bool Value);
  TColor PageLabelColor() const { return FPageLabelColor; }
  void SetPageLabelColor(TColor Value) { FPageLabelColor = Value; }

  // The other media, then the still objects that were made.
  virtual void GetMediaObjects(std::vector<TControl*>& List);
  // Adds a media object: Still ones to the still objects (always made),
  // others as a new entry of the other media (empty unless Create). The
  // kind follows the file name's extension: ".swf" a movie, anything else
  // a framed image. An object that cannot be made stays an empty entry.
  virtual void AddMedia(bool Create, const AnsiString& FileName, const TPageNode& Node, bool IsBackground,
                        TColor FrameColor, bool HasFrame, const AnsiString& Hint, bool Still, bool Transparent,
                        bool Stretch, const TRect& R);
  // Multiplies the page's scale by Factor: the margins follow the scale
  // as a whole, the still objects this step.
  virtual void Scale(double Factor);
  // Margins, options and still pictures, each group read on its own: a
  // group with a bad value is left out (objects it made stay).
  virtual void ReadPageSettings(const TPageNode& Node);
  // Frees every media object.
  virtual void FreeMedia();

  const std::vector<TControl*>& StillObjects() const { return FStillObjects; }
  const std::vector<TControl*>& OtherMedia() const { return FOtherMedia; }
  bool MultilineInputs() const { return FMultilineInputs; }
  bool IgnoreEnters() const { return FIgnoreEnters; }
  bool StopAllSounds() const { return FStopAllSounds; }
  bool PauseSounds() const { return FPauseSounds; }
  const TPageNode& PageSettings() const { return FPageSettings; }
  int Margin() const { return FMargin; }
  int MarginLR() const { return FMarginLR; }
  int MarginTB() const { return FMarginTB; }
  double PageScale() const { return FPageScale; }
  double ScaleFactor() const { return FScaleFactor; }
  bool Reloading() const { return FReloading; }

  void WndProc(TMessage& Message) override;

protected:
  void GetBackgroundObjects(std::vector<TControl*>& List) override;
  // A media object freed elsewhere leaves an empty entry.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Loads Stream into Object by the file name's extension; a movie goes
  // through a temporary file and gets PanelColor as its background.
  void LoadMedia(TControl* Object, const AnsiString& FileName, TColor PanelColor, TMemoryStream* Stream);

  // What the pages built on the panel do: when the page is hidden, when
  // AlternativeText changes, and five operations of their own.
  virtual void PageHidden() = 0;
  virtual void AlternativeTextChanged() = 0;
  virtual void PageOperation1() = 0;
  virtual void PageOperation2() = 0;
  virtual void PageOperation3() = 0;
  virtual void PageOperation4() = 0;
  virtual void PageOperation5() = 0;

private:
  TControl* MakeMedia(const AnsiString& FileName, const TPageNode& Node, bool Still);
  // Asks OnGetStream for FileName and loads what comes into Object; a
  // broken file leaves the object without content.
  void FetchContent(TControl* Object, const AnsiString& FileName);
  void ChildMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void ReloadMedia();
  void ReleaseMedia();
  void ReadStillImages(const TPageNode& Node);

  std::vector<TControl*> FStillObjects;
  std::vector<TControl*> FOtherMedia;
  bool FMultilineInputs = false;
  bool FIgnoreEnters = false;
  bool FStopAllSounds = false;
  bool FPauseSounds = false;
  TPageNode FPageSettings;
  int FMargin = 0;
  int FMarginLR = 0;
  int FMarginTB = 0;
  // The margins as read, which every scale starts from.
  int FBaseMarginLR = 0;
  int FBaseMarginTB = 0;
  double FPageScale = 1.0;
  double FScaleFactor = 1.0;
  bool FReloading = false;
  bool FLoaded = false;
  int FPageOffset = 0;
  bool FAlternativeText = false;
  TColor FPageLabelColor = clBlack;
};

// The vowel with a macron that Key types with exactly Ctrl (small) or
// Ctrl+Shift (capital): the keys of a, e, i, o, u on the keyboard layout.
// 0 for any other key or shift state.
WideChar MacronVowel(Word Key, TShiftState Shift);

// The character of a shortcut-list value: code 0 and halves of surrogate
// pairs are no characters. Codes above 65535 keep their low 16 bits.
bool ShortcutCharacter(Integer Value, WideChar& Ch);

// Inserts Ch at the caret (with a selection, at the end the caret stands
// on; the selected text stays), then the caret goes behind it with nothing
// selected, and the edit's OnChange fires. Refused when the edit is
// read-only or at its MaxLength. True when the character went in.
bool InsertCharAtCaret(WideChar Ch, TCustomVsEdit* Edit);
