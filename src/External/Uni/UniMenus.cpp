#include "UniMenus.h"

#include "FileUtils.h"
#include "TypInfo.h"
#include "UniClasses.h"
#include <algorithm>

#include "ActnList.h"
#include "UniActnList.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniSysUtils.h"
#include "UtilWindow.h"

bool UniFarEastLocale = false;
TUniPopupList* UniPopupList = nullptr;

namespace {

// "(&X)" at Index: a Far-East accelerator group.
bool IsFarEastGroup(const WideString& S, size_t Index) {
  return UniFarEastLocale && Index + 3 < S.size() && S[Index] == L'(' && S[Index + 1] == L'&' && S[Index + 3] == L')';
}

// The wide caption with its accelerator marks where the 8-bit caption has
// them; the 8-bit caption converted when the two do not fit together.
WideString SyncHotKeyPosition(const AnsiString& Ansi, const WideString& Wide) {
  const WideString Marks = AnsiToWide(Ansi);
  const WideString Text = WideStripHotkey(Wide);
  WideString Result;
  size_t J = 0;
  bool Fits = true;
  for (size_t I = 0; I < Marks.size() && Fits; ++I) {
    if (IsFarEastGroup(Marks, I)) {
      Result.append(Marks, I, 4);
      I += 3;
    } else if (Marks[I] == L'&') {
      Result += L'&';
      if (I + 1 < Marks.size() && Marks[I + 1] == L'&') {
        Result += L'&';
        ++I;
        Fits = J < Text.size() && Text[J] == L'&';
        ++J;
      }
    } else if (J < Text.size()) {
      Result += Text[J++];
    } else {
      Fits = false;
    }
  }
  if (!Fits || J != Text.size() || WideToAnsi(Result) != Ansi) return Marks;
  return Result;
}

}  // namespace

int WideGetHotkeyPos(const WideString& Caption) {
  int Pos = 0;
  const size_t N = Caption.size();
  for (size_t I = 0; I + 1 < N; ++I) {
    if (Caption[I] != L'&') continue;
    if (Caption[I + 1] != L'&') Pos = static_cast<int>(I) + 2;
    ++I;
  }
  return Pos;
}

WideString WideGetHotkey(const WideString& Caption) {
  const int Pos = WideGetHotkeyPos(Caption);
  return Pos ? Caption.substr(static_cast<size_t>(Pos) - 1, 1) : WideString();
}

WideString WideStripHotkey(const WideString& Caption) {
  WideString Result;
  Result.reserve(Caption.size());
  for (size_t I = 0; I < Caption.size(); ++I) {
    if (IsFarEastGroup(Caption, I)) {
      I += 3;
    } else if (Caption[I] != L'&') {
      Result += Caption[I];
    } else if (I + 1 < Caption.size() && Caption[I + 1] == L'&') {
      Result += L'&';
      ++I;
    }
  }
  return Result;
}

bool WideSameCaption(const WideString& A, const WideString& B) {
  return UniSysUtils::WideUpperCase(WideStripHotkey(A)) == UniSysUtils::WideUpperCase(WideStripHotkey(B));
}

WideString WideShortCutToText(TShortCut ShortCut) {
  const Word Key = ShortCut & 0xFF;
  const bool Special = Key == VK_BACK || Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE ||
                       (Key >= VK_SPACE && Key <= VK_DOWN) || Key == VK_INSERT || Key == VK_DELETE ||
                       (Key >= VK_F1 && Key <= VK_F24);
  if (!IsUnicodePlatform || Special) return AnsiToWide(ShortCutToText(ShortCut));
  WideString KeyText;
  const bool Digit = (Key >= '0' && Key <= '9') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9);
  if (Digit || (Key >= 'A' && Key <= 'Z')) {
    if (const WideChar Ch = static_cast<WideChar>(MapVirtualKeyW(Key, 2) & 0xFFFF)) KeyText.assign(1, Ch);
  } else {
    WideChar Buffer[256] = {};
    const int N = GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(Key, 0) << 16), Buffer, 256);
    if (N > 0) KeyText.assign(Buffer, static_cast<size_t>(N));
  }
  // A keyboard without a character for the keypad digits: the framework
  // names them.
  if (KeyText.empty() && Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return AnsiToWide(::ShortCutToText(ShortCut));
  if (KeyText.empty()) return {};
  WideString Result;
  if (ShortCut & scShift) Result += L"Shift+";
  if (ShortCut & scCtrl) Result += L"Ctrl+";
  if (ShortCut & scAlt) Result += L"Alt+";
  return Result + KeyText;
}

// ---------------------------------------------------------------------------
// TUniMenuItem

WideString TUniMenuItem::Caption() {
  const AnsiString Ansi = TMenuItem::Caption();
  if (WideToAnsi(FWideCaption) != Ansi && WideSameCaption(AnsiToWide(Ansi), FWideCaption))
    FWideCaption = SyncHotKeyPosition(Ansi, FWideCaption);
  return SyncWideRead(FWideCaption, Ansi);
}

void TUniMenuItem::SetCaption(const WideString& Value) {
  SyncWideWrite(Value, FWideCaption, TMenuItem::Caption(), [this](const AnsiString& A) { TMenuItem::SetCaption(A); });
}

WideString TUniMenuItem::Hint() { return SyncWideRead(FWideHint, TMenuItem::Hint()); }

void TUniMenuItem::SetHint(const WideString& Value) {
  SyncWideWrite(Value, FWideHint, TMenuItem::Hint(), [this](const AnsiString& A) { TMenuItem::SetHint(A); });
}

bool TUniMenuItem::IsCaptionStored() const {
  const TActionLink* Link = ActionLink();
  return !(Link && Link->IsCaptionLinked());
}

bool TUniMenuItem::IsHintStored() const {
  const TActionLink* Link = ActionLink();
  return !(Link && Link->IsHintLinked());
}

void TUniMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* A = dynamic_cast<TAction*>(Sender);
  if (A && dynamic_cast<IUniAction*>(A)) {
    if (!CheckDefaults || Caption().empty()) SetCaption(WideGetActionCaption(A));
    if (!CheckDefaults || Hint().empty()) SetHint(WideGetActionHint(A));
  }
  TMenuItem::ActionChange(Sender, CheckDefaults);
}

const TActionLinkClass* TUniMenuItem::GetActionLinkClass() const {
  return ChooseUniActionLinkClass(const_cast<TUniMenuItem*>(this), TMenuItem::GetActionLinkClass());
}

void TUniMenuItem::DefineProperties(TFiler* Filer) {
  TMenuItem::DefineProperties(Filer);
  TUniWideStringPropertyFiler::DefineProperties(Filer, this);
}

WideString TUniMenuItem::WideMenuText() {
  WideString Text = Caption();
  TMenu* Menu = GetParentMenu();
  const bool OnBar = Parent() && Menu && Parent() == Menu->Items() && dynamic_cast<TMainMenu*>(Menu);
  if (Count() == 0 && ShortCut() != 0 && !OnBar) {
    const WideString Keys = WideShortCutToText(ShortCut());
    if (!Keys.empty()) Text += L"\t" + Keys;
  }
  return Text;
}

AnsiString TUniMenuItem::MenuText() const { return WideToAnsi(const_cast<TUniMenuItem*>(this)->WideMenuText()); }

void TUniMenuItem::InsertEntry(HMENU Menu, UINT Position) {
  if (!IsUnicodePlatform || IsLine()) {
    TMenuItem::InsertEntry(Menu, Position);
    return;
  }
  const WideString Text = WideMenuText();
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
  Info.fType = RadioItem() ? MFT_RADIOCHECK : MFT_STRING;
  Info.dwTypeData = const_cast<WideChar*>(Text.c_str());
  Info.cch = static_cast<UINT>(Text.size());
  if (Count() > 0) Info.hSubMenu = Handle();
  Info.fState = (Enabled() ? MFS_ENABLED : MFS_GRAYED) | (Checked() ? MFS_CHECKED : 0) | (Default() ? MFS_DEFAULT : 0);
  Info.wID = Command();
  Info.dwItemData = EntryMark;
  if (!InsertMenuItemW(Menu, Position, TRUE, &Info)) RaiseLastOSError();
}

void UpdateWideMenuEntries(TMenuItem* Root) {
  if (!IsUnicodePlatform || !Root->HandleAllocated()) return;
  HMENU Menu = Root->Handle();
  for (int I = 0; I < Root->Count(); ++I) {
    TMenuItem* Child = Root->Items(I);
    if (!Child->Visible()) continue;
    if (auto* Item = dynamic_cast<TUniMenuItem*>(Child)) {
      MENUITEMINFOW Info{};
      Info.cbSize = sizeof(Info);
      Info.fMask = MIIM_FTYPE;
      const bool PlainText = GetMenuItemInfoW(Menu, Item->Command(), FALSE, &Info) &&
                             !(Info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR));
      if (PlainText) {
        const WideString Text = Item->WideMenuText();
        WideChar Shown[1024] = {};
        GetMenuStringW(Menu, Item->Command(), Shown, 1024, MF_BYCOMMAND);
        if (Text != Shown) {
          MENUITEMINFOW Set{};
          Set.cbSize = sizeof(Set);
          Set.fMask = MIIM_STRING;
          Set.dwTypeData = const_cast<WideChar*>(Text.c_str());
          if (!SetMenuItemInfoW(Menu, Item->Command(), FALSE, &Set)) RaiseLastOSError();
        }
      }
    }
    UpdateWideMenuEntries(Child);
  }
}

// ---------------------------------------------------------------------------
// TUniPopupList

TUniPopupList::TUniPopupList() : TComponent(nullptr) { FWindow = AllocateHWnd(TWndMethod(this, &TUniPopupList::WndProc)); }

TUniPopupList::~TUniPopupList() {
  for (TPopupMenu* Menu : FMenus) Menu->RemoveFreeNotification(this);
  DeallocateHWnd(FWindow);
}

void TUniPopupList::Add(TPopupMenu* Menu) {
  if (std::find(FMenus.begin(), FMenus.end(), Menu) != FMenus.end()) return;
  FMenus.push_back(Menu);
  Menu->FreeNotification(this);
}

void TUniPopupList::Remove(TPopupMenu* Menu) {
  auto It = std::find(FMenus.begin(), FMenus.end(), Menu);
  if (It == FMenus.end()) return;
  FMenus.erase(It);
  Menu->RemoveFreeNotification(this);
}

void TUniPopupList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) FMenus.erase(std::remove(FMenus.begin(), FMenus.end(), AComponent), FMenus.end());
}

TMenuItem* TUniPopupList::FindItem(WORD Id, WORD Flags, HMENU Menu) const {
  for (TPopupMenu* Popup : FMenus) {
    TMenuItem* Item = (Flags & MF_POPUP) ? Popup->FindItemByHandle(GetSubMenu(Menu, Id)) : Popup->FindItem(Id);
    if (Item) return Item;
  }
  return nullptr;
}

void TUniPopupList::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MENUSELECT: {
      const WORD Flags = HIWORD(Message.WParam);
      TMenuItem* Item = (Flags == 0xFFFF && !Message.LParam)
                            ? nullptr
                            : FindItem(LOWORD(Message.WParam), Flags, reinterpret_cast<HMENU>(Message.LParam));
      WideString Hint;
      if (auto* Wide = dynamic_cast<TUniMenuItem*>(Item))
        Hint = Wide->Hint();
      else if (Item)
        Hint = AnsiToWide(Item->Hint());
      SetWideAppHint(WideGetLongHint(Hint));
      break;
    }
    case WM_EXITMENULOOP:
      for (TPopupMenu* Popup : FMenus) UpdateWideMenuEntries(Popup->Items());
      break;
    default:
      DefUtilWindowHandler(FWindow, Message);
  }
}

// ---------------------------------------------------------------------------

void InitializeUniMenus() {
  UniFarEastLocale = GetSystemMetrics(SM_DBCSENABLED) != 0;
  RegisterClass<TUniMenuItem, TMenuItem>()
      .WStr("Caption", &TUniMenuItem::Caption, &TUniMenuItem::SetCaption, "TWideCaption")
      .WStr("Hint", &TUniMenuItem::Hint, &TUniMenuItem::SetHint);
  if (!UniPopupList) UniPopupList = new TUniPopupList;  // freed by FinalizeUniMenus
}

void FinalizeUniMenus() {
  if (UniPopupList) UniPopupList->Free();
  UniPopupList = nullptr;
}
