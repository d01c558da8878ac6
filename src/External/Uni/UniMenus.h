// Accelerator and shortcut texts in UTF-16, and a menu item with a wide
// caption and hint.
#pragma once

#include "Menus.h"
#include "System.h"

// Start-up: reads whether the system locale is a Far-East one and registers
// TUniMenuItem for layouts.
void InitializeUniMenus();
void FinalizeUniMenus();

// A Far-East system locale: a caption's accelerator may be written as a
// group "(&X)" behind the text, which stripping removes whole.
extern bool UniFarEastLocale;

// The 1-based position of the character behind the last single "&" ("&&"
// is a literal "&"; a "&" at the very end counts not); 0 when none.
int WideGetHotkeyPos(const WideString& Caption);
// That character as a text of one unit, or empty.
WideString WideGetHotkey(const WideString& Caption);
// The caption without its accelerator marks ("&&" leaves one "&").
WideString WideStripHotkey(const WideString& Caption);
// Equal, ignoring case, once both are stripped.
bool WideSameCaption(const WideString& A, const WideString& B);
// "Shift+", "Ctrl+", "Alt+" and the key's text in UTF-16. Special keys
// (editing and moving keys, F1-F24), and everything off the Unicode
// platform, take the framework's shortcut text; a key without a text
// gives an empty result.
WideString WideShortCutToText(TShortCut ShortCut);

// A menu item whose entry shows a wide caption (and the shortcut's wide
// text behind a tab); its wide caption and hint are kept beside the 8-bit
// ones under the layer's sync rule.
class TUniMenuItem : public TMenuItem {
public:
  using TMenuItem::TMenuItem;

  // The wide caption, its accelerator marks first moved to where the
  // 8-bit caption has them when only those differ.
  WideString Caption();
  void SetCaption(const WideString& Value);
  WideString Hint();
  void SetHint(const WideString& Value);

protected:
  void DefineProperties(TFiler* Filer) override;
  AnsiString MenuText() const override;
  void InsertEntry(HMENU Menu, UINT Position) override;

private:
  // The entry's text: the wide caption, then a tab and the shortcut's text
  // for an item without sub-items (not on a main menu's bar).
  WideString WideMenuText();

  WideString FWideCaption;
  WideString FWideHint;
};
