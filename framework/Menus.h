// Menus: menu items, the main menu of a form, popup menus, and keyboard
// shortcuts with their display texts.
//
// Items form a tree: a TMenu holds a root item (Items()), whose children are
// the entries of the menu bar or of the popup; an item with children opens a
// submenu. Each item that has children (and the root) keeps a Win32 HMENU,
// made on first use and filled with the visible children; every change of
// an item refills the HMENU it shows in, so that hidden items are left out
// and captions, checks and states are always current. Items made by a
// layout belong to the layout's root (a form), nested items are children of
// the item they are written in.
//
// Start-up: InitializeMenus() registers the classes for layouts, installs
// the main-menu hooks of the forms and the popup-menu hook of the controls.
// FinalizeMenus() takes the hooks away again.
#pragma once

#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "SysUtils.h"
#include "Win.h"

class TMenu;
class TAction;
class TActionLink;
class TActionLinkClass;

FRAMEWORK_EXCEPTION(EMenuError, Exception)

// ---------------------------------------------------------------------------
// Shortcuts: a virtual key in the low byte, plus the shift keys.

using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// The shortcut of Key with Shift's Shift, Ctrl and Alt; 0 for a key above
// 255.
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Shift+", "Ctrl+", "Alt+" and the key's name ("Ctrl+A", "Shift+F5",
// "Alt+Num 1"); empty when the key has no name.
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse, case-insensitive; 0 when the text names no key.
TShortCut TextToShortCut(const AnsiString& Text);
// The caption without its accelerator marks ("&Plik" gives "Plik", "&&" one
// "&").
AnsiString StripHotkey(const AnsiString& Caption);

// ---------------------------------------------------------------------------
// Menu items

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;
  // The sub-items go with their item, whoever owns them.
  void BeforeDestruction() override;

  // "-" makes a separator; "&" marks the accelerator key.
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  // Kept as data; the long part shows as the application's hint while the
  // item is highlighted.
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  // A hidden item is left out of its menu.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Checking a radio item unchecks the radio items of the same group among
  // its siblings.
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  Byte GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte Value);
  // Shown after a tab in the entry; works as an accelerator of the form
  // whose main menu holds the item.
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  // Shown in bold; the entry a double click on a window's icon would pick.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool IsLine() const { return FCaption == "-"; }

  // The sub-items. Insert and Add raise EMenuError for an item that already
  // has a parent (or would contain itself) and for an index out of range;
  // Delete and Remove take an item out without freeing it; Clear frees them.
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Delete(int Index);
  void Remove(TMenuItem* Item);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  // The first sub-item whose caption equals ACaption, accelerator marks
  // ignored and case-insensitive; nullptr if none.
  TMenuItem* Find(const AnsiString& ACaption) const;
  TMenuItem* Parent() const { return FParent; }
  // The place among the parent's items (-1 without a parent).
  int MenuIndex() const;
  void SetMenuIndex(int Value);
  // The menu this item is in (through its parents), or nullptr.
  TMenu* GetParentMenu() const;

  // The WM_COMMAND id of the item's entry, unique in the program.
  Word Command() const { return FCommand; }
  // The item's submenu (the bar or popup for a menu's root item), made and
  // filled on first use.
  HMENU Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // An action the item shows (caption, hint, enabled, visible, checked,
  // shortcut) and runs when clicked without an OnClick of its own.
  TAction* Action() const;
  void SetAction(TAction* Value);
  TActionLink* ActionLink() const { return FActionLink.get(); }

  // Fires OnClick (or runs the action) when the item is enabled.
  virtual void Click();

  TNotifyEvent OnClick;

  // Marks the entries this item puts into an HMENU (dwItemData), so that a
  // refill keeps entries others put there (an MDI child's system menu).
  static constexpr ULONG_PTR EntryMark = 0x564D4E55;

protected:
  // Something this item shows changed: refills the HMENU its entry is in
  // and, with Rebuild, its own submenu; the menu is told. Nothing happens
  // while loading or destroying.
  virtual void MenuChanged(bool Rebuild);
  void Loaded() override;
  void SetParentComponent(TComponent* Value) override;
  // The entry's text: the caption, then a tab and the shortcut's text.
  virtual AnsiString MenuText() const;
  // Inserts this item's entry into Menu at Position (by position), marked
  // with EntryMark.
  virtual void InsertEntry(HMENU Menu, UINT Position);
  // Refills the submenu with the entries of the visible sub-items.
  void RebuildHandle();
  // The action (Sender) changed or was just given: the item takes its
  // caption, hint, states and shortcut.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The class of the link SetAction makes.
  virtual const TActionLinkClass* GetActionLinkClass() const;

private:
  friend class TMenu;
  void ActionChanged(TObject* Sender);
  void TakeFromAction();
  bool Quiet() const;

  AnsiString FCaption;
  AnsiString FHint;
  bool FVisible = true;
  bool FEnabled = true;
  bool FChecked = false;
  bool FRadioItem = false;
  Byte FGroupIndex = 0;
  TShortCut FShortCut = 0;
  bool FDefault = false;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  // Set on the root item of a menu.
  TMenu* FMenu = nullptr;
  Word FCommand = 0;
  HMENU FHandle = nullptr;
  TOwned<TActionLink> FActionLink;
};

// ---------------------------------------------------------------------------
// Menus

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item: its children are the menu's entries.
  TMenuItem* Items() const { return FItems; }
  HMENU Handle() { return FItems->Handle(); }
  bool HandleAllocated() const { return FItems->HandleAllocated(); }

  // The item with that command id, or whose submenu is Menu, anywhere in
  // the menu; nullptr if none.
  TMenuItem* FindItem(Word Command) const;
  TMenuItem* FindItemByHandle(HMENU Menu) const;
  // Clicks the item with that shortcut when it and its parents are visible
  // and enabled; true when such an item took the key.
  bool IsShortCut(Word Key, TShiftState Shift);

protected:
  // The root item's HMENU: a menu bar or a popup menu.
  virtual HMENU CreateMenuHandle() = 0;
  // The menu's HMENU was refilled.
  virtual void MenuChanged() {}
  // Takes the root's HMENU away from the menu (nullptr when it has none);
  // the caller destroys it.
  HMENU DetachHandle();

private:
  friend class TMenuItem;
  TMenuItem* FItems;
};

// The menu bar of the form whose Menu it is.
class TMainMenu : public TMenu {
public:
  using TMenu::TMenu;

protected:
  HMENU CreateMenuHandle() override;
  // Redraws the bar of the forms showing it.
  void MenuChanged() override;
};

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  void BeforeDestruction() override;

  // Fires OnPopup, then shows the menu with its top-left corner at the
  // screen point and clicks the item chosen. Returns when the menu closed.
  virtual void Popup(int X, int Y);
  // Whether a right click on a control whose PopupMenu this is shows it.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  // The control the menu was last shown for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);

  TNotifyEvent OnPopup;

protected:
  HMENU CreateMenuHandle() override;
  virtual void DoPopup();
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
};

// ---------------------------------------------------------------------------
// Unit start-up and shut-down

void InitializeMenus();
void FinalizeMenus();
