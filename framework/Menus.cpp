#include "Menus.h"

#include <algorithm>
#include <unordered_map>

#include "ActnList.h"
#include "Consts.h"
#include "Forms.h"
#include "TypInfo.h"
#include "UtilWindow.h"

namespace {

// --- command ids ---

// Ids of menu entries: below the range of system commands (SC_...) and of
// an MDI frame's window list.
constexpr Word FirstCommand = 1;
constexpr Word LastCommand = 0xEFFF;

std::unordered_map<Word, TMenuItem*>& CommandTable() {
  static std::unordered_map<Word, TMenuItem*> Table;
  return Table;
}

Word GNextCommand = FirstCommand;

Word AllocateCommand(TMenuItem* Item) {
  auto& Table = CommandTable();
  for (int Tries = 0; Tries <= LastCommand - FirstCommand; ++Tries) {
    const Word Command = GNextCommand;
    GNextCommand = Command == LastCommand ? FirstCommand : static_cast<Word>(Command + 1);
    if (Table.emplace(Command, Item).second) return Command;
  }
  throw EMenuError(LoadStr(STooManyMenuItems));
}

void ReleaseCommand(Word Command) { CommandTable().erase(Command); }

// --- HMENU entries ---

bool IsOwnEntry(HMENU Menu, int Position) {
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_DATA;
  return GetMenuItemInfoA(Menu, static_cast<UINT>(Position), TRUE, &Info) && Info.dwItemData == TMenuItem::EntryMark;
}

// The icon of a maximised MDI child's system menu, which its client puts
// first on the frame's menu bar.
bool IsBitmapEntry(HMENU Menu, int Position) {
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE;
  return GetMenuItemInfoA(Menu, static_cast<UINT>(Position), TRUE, &Info) && (Info.fType & MFT_BITMAP);
}

// --- shortcut texts ---

struct TKeyName {
  Word Key;
  const char* Name;
};

const TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},   {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},       {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

AnsiString KeyName(Word Key) {
  for (const TKeyName& K : KeyNames)
    if (K.Key == Key) return K.Name;
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return AnsiString(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F12) return "F" + std::to_string(Key - VK_F1 + 1);
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return "Num " + std::to_string(Key - VK_NUMPAD0);
  const UINT Scan = MapVirtualKeyA(Key, 0);
  if (Scan == 0) return {};
  char Buffer[64] = {};
  const int Length = GetKeyNameTextA(static_cast<LONG>(Scan << 16), Buffer, sizeof(Buffer));
  return Length > 0 ? AnsiString(Buffer, static_cast<size_t>(Length)) : AnsiString();
}

bool StartsWithText(const AnsiString& S, size_t From, const char* Prefix) {
  const AnsiString P = Prefix;
  return S.size() - From >= P.size() && SameText(S.substr(From, P.size()), P);
}

// --- popup menus ---

TMenuItem* FindByHandle(TMenuItem* Item, HMENU Menu) {
  if (Item->HandleAllocated() && Item->Handle() == Menu) return Item;
  for (int I = 0; I < Item->Count(); ++I)
    if (TMenuItem* Found = FindByHandle(Item->Items(I), Menu)) return Found;
  return nullptr;
}

TMenuItem* FindShortCut(TMenuItem* Parent, TShortCut Key) {
  for (int I = 0; I < Parent->Count(); ++I) {
    TMenuItem* Item = Parent->Items(I);
    if (!Item->Visible() || !Item->Enabled()) continue;
    if (Item->ShortCut() == Key) return Item;
    if (TMenuItem* Found = FindShortCut(Item, Key)) return Found;
  }
  return nullptr;
}

// A submenu is about to open: its items' actions are brought up to date and
// the item that opens it hears of it as a click.
void InitPopup(TMenu* Menu, HMENU Popup) {
  TMenuItem* Item = Menu->FindItemByHandle(Popup);
  if (!Item) return;
  for (int I = 0; I < Item->Count(); ++I)
    if (TAction* Action = Item->Items(I)->Action()) Action->Update();
  if (Item->Enabled() && Item->OnClick) Item->OnClick(Item);
}

// The long hint of the highlighted item becomes the application's hint.
void SelectItem(TMenu* Menu, WORD ItemId, WORD Flags, HMENU SubMenu) {
  if (!Application) return;
  if (Flags == 0xFFFF && !SubMenu) {
    Application->SetHint(AnsiString());
    return;
  }
  TMenuItem* Item = nullptr;
  if (Flags & MF_POPUP)
    Item = Menu->FindItemByHandle(GetSubMenu(SubMenu, ItemId));
  else if (!(Flags & MF_SEPARATOR))
    Item = Menu->FindItem(ItemId);
  Application->SetHint(Item ? GetLongHint(Item->Hint()) : AnsiString());
}

// The popup menu being shown (cleared when it is freed meanwhile), and the
// HMENU such a menu left behind: the system still shows it until the menu
// loop ends.
TPopupMenu* GTrackedPopup = nullptr;
HMENU GOrphanedPopup = nullptr;

void DestroyOwnHandle(HMENU Menu) {
  // Only this HMENU goes: the submenus in it belong to the sub-items (or,
  // on an MDI frame's bar, to the maximised child).
  while (GetMenuItemCount(Menu) > 0) RemoveMenu(Menu, 0, MF_BYPOSITION);
  DestroyMenu(Menu);
}

// The hidden window popup menus are shown for: it gets their
// WM_INITMENUPOPUP and WM_MENUSELECT.
class TPopupWindow : public TObject {
public:
  TPopupWindow() : FHandle(AllocateHWnd(TWndMethod(this, &TPopupWindow::WndProc))) {}
  ~TPopupWindow() override { DeallocateHWnd(FHandle); }
  HWND Handle() const { return FHandle; }

private:
  void WndProc(TMessage& Message) {
    switch (Message.Msg) {
      case WM_INITMENUPOPUP:
        if (GTrackedPopup && !HIWORD(Message.LParam)) InitPopup(GTrackedPopup, reinterpret_cast<HMENU>(Message.WParam));
        return;
      case WM_MENUSELECT:
        if (GTrackedPopup)
          SelectItem(GTrackedPopup, LOWORD(Message.WParam), HIWORD(Message.WParam),
                     reinterpret_cast<HMENU>(Message.LParam));
        return;
      default:
        DefUtilWindowHandler(FHandle, Message);
    }
  }

  HWND FHandle;
};

TOwned<TPopupWindow> GPopupWindow;

HWND PopupWindow() {
  if (!GPopupWindow) GPopupWindow.reset(new TPopupWindow());
  return GPopupWindow->Handle();
}

// --- hooks of the forms and controls ---

HMENU MainMenuHandle(TComponent* Menu) {
  auto* M = dynamic_cast<TMainMenu*>(Menu);
  return M ? M->Handle() : nullptr;
}

bool MainMenuCommand(TComponent* Menu, WORD CommandId) {
  auto* M = dynamic_cast<TMenu*>(Menu);
  TMenuItem* Item = M ? M->FindItem(CommandId) : nullptr;
  if (!Item) return false;
  Item->Click();
  return true;
}

void MainMenuSelect(TComponent* Menu, WORD ItemId, WORD Flags, HMENU SubMenu) {
  if (auto* M = dynamic_cast<TMenu*>(Menu)) SelectItem(M, ItemId, Flags, SubMenu);
}

void MainMenuInitPopup(TComponent* Menu, HMENU Popup) {
  if (auto* M = dynamic_cast<TMenu*>(Menu)) InitPopup(M, Popup);
}

bool MainMenuShortCut(TComponent* Menu, Word Key, TShiftState Shift) {
  auto* M = dynamic_cast<TMenu*>(Menu);
  return M && M->IsShortCut(Key, Shift);
}

bool ShowControlPopup(TComponent* PopupMenu, TControl* Control, const TPoint& ScreenPos) {
  auto* Menu = dynamic_cast<TPopupMenu*>(PopupMenu);
  if (!Menu || !Menu->AutoPopup()) return false;
  Menu->SetPopupComponent(Control);
  Menu->Popup(ScreenPos.x, ScreenPos.y);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Shortcuts

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key > 0xFF) return 0;
  TShortCut Result = Key;
  if (Shift.Contains(ssShift)) Result |= scShift;
  if (Shift.Contains(ssCtrl)) Result |= scCtrl;
  if (Shift.Contains(ssAlt)) Result |= scAlt;
  return Result;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
  Key = ShortCut & 0xFF;
  Shift = {};
  if (ShortCut & scShift) Shift << ssShift;
  if (ShortCut & scCtrl) Shift << ssCtrl;
  if (ShortCut & scAlt) Shift << ssAlt;
}

AnsiString ShortCutToText(TShortCut ShortCut) {
  const AnsiString Name = KeyName(ShortCut & 0xFF);
  if (Name.empty()) return {};
  AnsiString Result;
  if (ShortCut & scShift) Result += "Shift+";
  if (ShortCut & scCtrl) Result += "Ctrl+";
  if (ShortCut & scAlt) Result += "Alt+";
  return Result + Name;
}

TShortCut TextToShortCut(const AnsiString& Text) {
  TShortCut Shift = 0;
  size_t From = 0;
  for (;;) {
    if (StartsWithText(Text, From, "Shift+")) {
      Shift |= scShift;
      From += 6;
    } else if (StartsWithText(Text, From, "Ctrl+")) {
      Shift |= scCtrl;
      From += 5;
    } else if (StartsWithText(Text, From, "Alt+")) {
      Shift |= scAlt;
      From += 4;
    } else {
      break;
    }
  }
  const AnsiString Rest = Text.substr(From);
  if (Rest.empty()) return 0;
  for (Word Key = 0x08; Key <= 0xFF; ++Key)
    if (SameText(KeyName(Key), Rest)) return static_cast<TShortCut>(Key | Shift);
  return 0;
}

AnsiString StripHotkey(const AnsiString& Caption) {
  AnsiString Result;
  Result.reserve(Caption.size());
  for (size_t I = 0; I < Caption.size(); ++I) {
    if (Caption[I] != '&') {
      Result += Caption[I];
    } else if (I + 1 < Caption.size() && Caption[I + 1] == '&') {
      Result += '&';
      ++I;
    }
  }
  return Result;
}

// ---------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) { FCommand = AllocateCommand(this); }

TMenuItem::~TMenuItem() {
  if (FHandle) DestroyOwnHandle(FHandle);
  ReleaseCommand(FCommand);
}

void TMenuItem::BeforeDestruction() {
  Destroying();
  while (!FItems.empty()) FItems.back()->Free();
  if (FParent) FParent->Remove(this);
  FActionLink.reset();
  TComponent::BeforeDestruction();
}

bool TMenuItem::Quiet() const {
  const TComponentState S = ComponentState();
  return S.Contains(csLoading) || S.Contains(csDestroying);
}

void TMenuItem::SetCaption(const AnsiString& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  MenuChanged(false);
}

void TMenuItem::SetHint(const AnsiString& Value) { FHint = Value; }

void TMenuItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  MenuChanged(false);
}

void TMenuItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  MenuChanged(false);
}

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (Value && FRadioItem && FParent)
    for (TMenuItem* Sibling : FParent->FItems)
      if (Sibling != this && Sibling->FRadioItem && Sibling->FGroupIndex == FGroupIndex) Sibling->FChecked = false;
  MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (FRadioItem == Value) return;
  FRadioItem = Value;
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte Value) { FGroupIndex = Value; }

void TMenuItem::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  FShortCut = Value;
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  MenuChanged(false);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(LoadStr(SMenuIndexError));
  return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) throw EMenuError(LoadStr(SNoMenuItem));
  if (Item->FParent || Item->FMenu) throw EMenuError(LoadStr(SMenuReinserted));
  for (const TMenuItem* P = this; P; P = P->FParent)
    if (P == Item) throw EMenuError(LoadStr(SMenuInItself));
  if (Index < 0 || Index > Count()) throw EMenuError(LoadStr(SMenuIndexError));
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
  TMenuItem* Item = Items(Index);
  FItems.erase(FItems.begin() + Index);
  Item->FParent = nullptr;
  MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
  const int Index = IndexOf(Item);
  if (Index < 0) throw EMenuError(LoadStr(SMenuNotFound));
  Delete(Index);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
  const AnsiString Wanted = StripHotkey(ACaption);
  for (TMenuItem* Item : FItems)
    if (AnsiSameText(StripHotkey(Item->FCaption), Wanted)) return Item;
  return nullptr;
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
  if (!FParent) return;
  auto& Siblings = FParent->FItems;
  const int Last = static_cast<int>(Siblings.size()) - 1;
  Value = std::clamp(Value, 0, Last);
  const int Current = MenuIndex();
  if (Value == Current) return;
  Siblings.erase(Siblings.begin() + Current);
  Siblings.insert(Siblings.begin() + Value, this);
  MenuChanged(false);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* Item = this;
  while (Item->FParent) Item = Item->FParent;
  return Item->FMenu;
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    HMENU Menu = FMenu ? FMenu->CreateMenuHandle() : CreatePopupMenu();
    if (!Menu) throw EOutOfResources(LoadStr(SMenuCreateError));
    FHandle = Menu;
    RebuildHandle();
  }
  return FHandle;
}

TAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TMenuItem::SetAction(TAction* Value) {
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) {
    FActionLink = GetActionLinkClass()->Create(this);
    FActionLink->OnChange = TNotifyEvent(this, &TMenuItem::ActionChanged);
  }
  FActionLink->SetAction(Value);
  ActionChange(Value, false);
}

void TMenuItem::ActionChanged(TObject* Sender) { ActionChange(Sender, false); }

void TMenuItem::ActionChange(TObject*, bool) { TakeFromAction(); }

const TActionLinkClass* TMenuItem::GetActionLinkClass() const { return &TMenuActionLink::Class; }

void TMenuItem::TakeFromAction() {
  const TAction* A = Action();
  if (!A) return;
  FCaption = A->Caption();
  FHint = A->Hint();
  FEnabled = A->Enabled();
  FVisible = A->Visible();
  FChecked = A->Checked();
  FShortCut = A->ShortCut();
  MenuChanged(false);
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (OnClick)
    OnClick(this);
  else if (FActionLink)
    FActionLink->Execute();
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (Quiet()) return;
  if (Rebuild) RebuildHandle();
  if (FParent && !FParent->Quiet()) FParent->RebuildHandle();
  TMenu* Menu = GetParentMenu();
  if (Menu && !Menu->ComponentState().Contains(csDestroying)) Menu->MenuChanged();
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  MenuChanged(true);
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (auto* Menu = dynamic_cast<TMenu*>(Value))
    Menu->Items()->Add(this);
  else if (auto* Item = dynamic_cast<TMenuItem*>(Value))
    Item->Add(this);
}

AnsiString TMenuItem::MenuText() const {
  const AnsiString Keys = ShortCutToText(FShortCut);
  return Keys.empty() ? FCaption : FCaption + "\t" + Keys;
}

void TMenuItem::InsertEntry(HMENU Menu, UINT Position) {
  const AnsiString Text = MenuText();
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (IsLine()) {
    Info.fType = MFT_SEPARATOR;
  } else {
    Info.fMask |= MIIM_STRING;
    Info.fType = FRadioItem ? MFT_RADIOCHECK : MFT_STRING;
    Info.dwTypeData = const_cast<char*>(Text.c_str());
    Info.cch = static_cast<UINT>(Text.size());
    if (!FItems.empty()) Info.hSubMenu = Handle();
  }
  Info.fState = (FEnabled ? MFS_ENABLED : MFS_GRAYED) | (FChecked ? MFS_CHECKED : 0) | (FDefault ? MFS_DEFAULT : 0);
  Info.wID = FCommand;
  Info.dwItemData = EntryMark;
  if (!InsertMenuItemA(Menu, Position, TRUE, &Info))
    throw EMenuError(FmtLoadStr(SMenuItemInsertError, Name().empty() ? FCaption : Name()));
}

void TMenuItem::RebuildHandle() {
  if (!FHandle) return;
  // Entries of others stay: in front what an MDI client puts first (the
  // maximised child's system menu), behind ours its window buttons.
  for (int I = GetMenuItemCount(FHandle) - 1; I >= 0; --I)
    if (IsOwnEntry(FHandle, I)) RemoveMenu(FHandle, static_cast<UINT>(I), MF_BYPOSITION);
  int Position = 0;
  const int Count = GetMenuItemCount(FHandle);
  while (Position < Count && IsBitmapEntry(FHandle, Position)) ++Position;
  for (TMenuItem* Item : FItems)
    if (Item->FVisible) Item->InsertEntry(FHandle, static_cast<UINT>(Position++));
}

// ---------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(Create<TMenuItem>(this)) { FItems->FMenu = this; }

TMenu::~TMenu() = default;

HMENU TMenu::DetachHandle() {
  HMENU Handle = FItems->FHandle;
  FItems->FHandle = nullptr;
  return Handle;
}

TMenuItem* TMenu::FindItem(Word Command) const {
  const auto& Table = CommandTable();
  auto It = Table.find(Command);
  if (It == Table.end() || It->second->GetParentMenu() != this) return nullptr;
  return It->second;
}

TMenuItem* TMenu::FindItemByHandle(HMENU Menu) const { return Menu ? FindByHandle(FItems, Menu) : nullptr; }

bool TMenu::IsShortCut(Word Key, TShiftState Shift) {
  const TShortCut Wanted = ShortCut(Key, Shift);
  if (Wanted == 0) return false;
  TMenuItem* Item = FindShortCut(FItems, Wanted);
  if (!Item) return false;
  Item->Click();
  return true;
}

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

void TMainMenu::MenuChanged() {
  if (!Screen || !HandleAllocated()) return;
  for (int I = 0; I < Screen->FormCount(); ++I) {
    TCustomForm* Form = Screen->Forms(I);
    if (Form->Menu() == this && !Form->ComponentState().Contains(csDestroying)) Form->MenuChanged();
  }
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() {
  if (GTrackedPopup == this) GTrackedPopup = nullptr;
}

void TPopupMenu::BeforeDestruction() {
  if (GTrackedPopup == this) {
    GTrackedPopup = nullptr;
    EndMenu();
    GOrphanedPopup = DetachHandle();
  }
  TMenu::BeforeDestruction();
}

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (FPopupComponent == Value) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = Value;
  if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup() {
  if (OnPopup) OnPopup(this);
}

void TPopupMenu::Popup(int X, int Y) {
  DoPopup();
  HMENU Menu = Handle();
  HWND Owner = PopupWindow();
  GTrackedPopup = this;
  const UINT Command = static_cast<UINT>(
      TrackPopupMenu(Menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, X, Y, 0, Owner, nullptr));
  // A handler run while the menu was open may have freed it.
  if (GTrackedPopup != this) {
    if (GOrphanedPopup == Menu) {
      GOrphanedPopup = nullptr;
      DestroyOwnHandle(Menu);
    }
    return;
  }
  GTrackedPopup = nullptr;
  if (Application) Application->SetHint(AnsiString());
  if (Command == 0) return;
  if (TMenuItem* Item = FindItem(static_cast<Word>(Command))) Item->Click();
}

// ---------------------------------------------------------------------------
// Unit start-up

void InitializeMenus() {
  RegisterClass<TMenuItem, TComponent>()
      .Object("Action", &TMenuItem::Action, &TMenuItem::SetAction)
      .Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, "TCaption")
      .Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
      .Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
      .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
      .Int("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, 0, "Byte")
      .Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
      .Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false)
      .Int("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, 0, "TShortCut")
      .Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
      .Event("OnClick", &TMenuItem::OnClick);
  RegisterClass<TMenu, TComponent>();
  RegisterClass<TMainMenu, TMenu>();
  RegisterClass<TPopupMenu, TMenu>()
      .Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
      .Event("OnPopup", &TPopupMenu::OnPopup);
  MainMenuHooks.Handle = MainMenuHandle;
  MainMenuHooks.Command = MainMenuCommand;
  MainMenuHooks.Select = MainMenuSelect;
  MainMenuHooks.InitPopup = MainMenuInitPopup;
  MainMenuHooks.ShortCut = MainMenuShortCut;
  PopupMenuHandler = ShowControlPopup;
}

void FinalizeMenus() {
  MainMenuHooks = TMainMenuHooks();
  PopupMenuHandler = nullptr;
  GPopupWindow.reset();
}
