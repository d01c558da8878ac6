// Typing characters the keyboard lacks: the shortcut manager with its list
// of single shortcuts and keypad digit sequences, and the routines that put
// a character into an answer edit.
#pragma once

#include "Controls.h"
#include "Lists.h"
#include "StdCtrls.h"
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

// Routines of the answer pages, needed without a page.
class TELearnPanel {
public:
  // The manager's entries, then Ctrl or Ctrl+Shift with a, e, i, o, u (the
  // vowels with a macron). Key is 0 afterwards when the key was used up.
  static void TranslateSpecialKey(TCustomVsEdit* Edit, Word& Key, TShiftState Shift);
  // Puts Ch into an answer edit (a TVsEdit, not a memo): at the caret, or
  // in place of the whole text when the edit's hint is "TELearnInputCR",
  // then fires the edit's OnChange. Refused when the edit is read-only or
  // full. True when the character went in.
  static bool PutCharIntoEdit(WideChar Ch, TCustomVsEdit* Edit);
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
