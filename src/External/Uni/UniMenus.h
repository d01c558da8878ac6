// Accelerator and shortcut texts in UTF-16, and a menu item with a wide
// caption and hint.
#pragma once

#include <vector>

#include "Menus.h"
#include "System.h"

// Start-up: reads whether the system locale is a Far-East one, registers
// TUniMenuItem for layouts and makes UniPopupList. Shut-down frees it.
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

  // The entry's text: the wide caption, then a tab and the shortcut's text
  // for an item without sub-items (not on a main menu's bar).
  WideString WideMenuText();
  // False while the action link supplies the caption (hint).
  bool IsCaptionStored() const;
  bool IsHintStored() const;

protected:
  void DefineProperties(TFiler* Filer) override;
  // A wide action's wide caption and hint first.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  const TActionLinkClass* GetActionLinkClass() const override;
  AnsiString MenuText() const override;
  void InsertEntry(HMENU Menu, UINT Position) override;

private:
  WideString FWideCaption;
  WideString FWideHint;
};

// Puts the wide caption (and shortcut text) of every visible wide item under
// Root into the entry of its menu where the entry shows something else.
void UpdateWideMenuEntries(TMenuItem* Root);

// A window for the messages of popup menus, kept beside the framework's
// menus but installed nowhere. WM_MENUSELECT sets the wide application hint
// to the long part of the highlighted item's wide hint (empty for no item);
// WM_EXITMENULOOP brings the wide captions of its menus up to date.
class TUniPopupList : public TComponent {
public:
  TUniPopupList();
  ~TUniPopupList() override;

  HWND Window() const { return FWindow; }
  // The menus whose items it looks for; a menu that goes leaves the list.
  void Add(TPopupMenu* Menu);
  void Remove(TPopupMenu* Menu);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void WndProc(TMessage& Message);
  TMenuItem* FindItem(WORD Id, WORD Flags, HMENU Menu) const;

  HWND FWindow = nullptr;
  std::vector<TPopupMenu*> FMenus;
};

extern TUniPopupList* UniPopupList;
