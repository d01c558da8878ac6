#include "ComCtrls.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "ActnList.h"
#include "Consts.h"
#include "TypInfo.h"
#include "UtilWindow.h"

namespace {

void InitCommonControlClasses(DWORD Classes) {
  INITCOMMONCONTROLSEX Init{sizeof(INITCOMMONCONTROLSEX), Classes};
  InitCommonControlsEx(&Init);
}

// riched20.dll, loaded with the first rich edit, and the rich edit windows
// that exist.
HMODULE GRichEditModule = nullptr;
int GRichEditWindows = 0;

void LoadRichEdit() {
  if (GRichEditModule) return;
  GRichEditModule = LoadLibraryA("riched20.dll");
  if (!GRichEditModule) throw EOSError(FmtLoadStr(SCannotLoadLibrary, "riched20.dll"), GetLastError());
}

// Navigation keys the hot-key control names as the extended keys (not as
// the keypad's).
bool IsExtendedKey(Byte Key) {
  return (Key >= VK_PRIOR && Key <= VK_DOWN) || Key == VK_INSERT || Key == VK_DELETE;
}

WORD ShortCutToHotKeyWord(TShortCut Value) {
  const Byte Key = static_cast<Byte>(Value & 0xFF);
  Byte Flags = 0;
  if (Value & scShift) Flags |= HOTKEYF_SHIFT;
  if (Value & scCtrl) Flags |= HOTKEYF_CONTROL;
  if (Value & scAlt) Flags |= HOTKEYF_ALT;
  if (IsExtendedKey(Key)) Flags |= HOTKEYF_EXT;
  return MAKEWORD(Key, Flags);
}

TShortCut HotKeyWordToShortCut(WORD Value) {
  const Byte Flags = HIBYTE(Value);
  TShortCut Result = LOBYTE(Value);
  if (Flags & HOTKEYF_SHIFT) Result |= scShift;
  if (Flags & HOTKEYF_CONTROL) Result |= scCtrl;
  if (Flags & HOTKEYF_ALT) Result |= scAlt;
  return Result;
}

// --- rich edit streaming ---

struct TStreamInState {
  const AnsiString* Data;
  size_t Position;
};

DWORD CALLBACK ReadChunk(DWORD_PTR Cookie, LPBYTE Buffer, LONG Size, LONG* Done) {
  try {
    auto* State = reinterpret_cast<TStreamInState*>(Cookie);
    const char* Data = State->Data->data() + State->Position;
    const size_t Left = State->Data->size() - State->Position;
    size_t N = std::min(Left, static_cast<size_t>(std::max<LONG>(Size, 0)));
    // A line break split between two chunks would be read as two.
    if (N > 1 && N < Left && Data[N - 1] == '\r' && Data[N] == '\n') --N;
    std::memcpy(Buffer, Data, N);
    State->Position += N;
    *Done = static_cast<LONG>(N);
    return 0;
  } catch (...) {
    *Done = 0;
    return 1;
  }
}

DWORD CALLBACK WriteChunk(DWORD_PTR Cookie, LPBYTE Buffer, LONG Size, LONG* Done) {
  try {
    auto* Out = reinterpret_cast<AnsiString*>(Cookie);
    Out->append(reinterpret_cast<const char*>(Buffer), static_cast<size_t>(std::max<LONG>(Size, 0)));
    *Done = Size;
    return 0;
  } catch (...) {
    *Done = 0;
    return 1;
  }
}

bool IsRichText(const AnsiString& S) { return S.compare(0, 5, "{\\rtf") == 0; }

}  // namespace

// ---------------------------------------------------------------------------
// TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner) {
  FWidth = 23;
  FHeight = 22;
}

TToolButton::~TToolButton() = default;

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const {
  const TToolBar* Bar = ToolBar();
  if (!Bar) return -1;
  auto It = std::find(Bar->FButtons.begin(), Bar->FButtons.end(), this);
  return It == Bar->FButtons.end() ? -1 : static_cast<int>(It - Bar->FButtons.begin());
}

void TToolButton::Changed() {
  if (TToolBar* Bar = ToolBar()) Bar->UpdateButton(this);
}

void TToolButton::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TToolButton::SetDown(bool Value) {
  if (FDown == Value) return;
  FDown = Value;
  TToolBar* Bar = ToolBar();
  if (Value && Bar) Bar->PressGroup(this);
  Changed();
}

void TToolButton::SetGrouped(bool Value) {
  if (FGrouped == Value) return;
  FGrouped = Value;
  Changed();
}

void TToolButton::SetWrap(bool Value) {
  if (FWrap == Value) return;
  FWrap = Value;
  Changed();
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
  if (FDropdownMenu == Value) return;
  if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
  FDropdownMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropdownMenu) FDropdownMenu = nullptr;
}

TAction* TToolButton::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TToolButton::SetAction(TAction* Value) {
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink.reset(new TActionLink(TNotifyEvent(this, &TToolButton::ActionChanged)));
  FActionLink->SetAction(Value);
  ActionChanged(Value);
}

void TToolButton::ActionChanged(TObject*) {
  const TAction* A = Action();
  if (!A) return;
  SetCaption(A->Caption());
  SetHint(A->Hint());
  SetEnabled(A->Enabled());
  SetVisible(A->Visible());
  SetDown(A->Checked());
}

void TToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool NewWidth = !FPlacing && AWidth != FWidth;
  if (NewWidth) FSeparatorWidth = std::max(AWidth, 0);
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (NewWidth && IsSeparator()) Changed();
}

void TToolButton::Click() {
  if (IsSeparator() || !Enabled()) return;
  if (OnClick)
    OnClick(this);
  else if (FActionLink)
    FActionLink->Execute();
}

void TToolButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_HITTEST:
      // Gaps belong to the tool bar (its hint, its clicks).
      Message.Result = IsSeparator() ? HTNOWHERE : HTCLIENT;
      return;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      TControl::WndProc(Message);
      Changed();
      return;
    default:
      break;
  }
  TControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner), FImageChangeLink(new TChangeLink()) {
  FImageChangeLink->OnChange = TNotifyEvent(this, &TToolBar::ImageListChange);
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
  SetColor(clBtnFace);
  UpdateEdges();
}

TToolBar::~TToolBar() = default;

TToolButton* TToolBar::Buttons(int Index) const {
  if (Index < 0 || Index >= ButtonCount())
    throw EListError(FmtLoadStr(SListIndexError, Index));
  return FButtons[static_cast<size_t>(Index)];
}

bool TToolBar::Ready() const {
  const TComponentState S = ComponentState();
  return HandleAllocated() && !S.Contains(csLoading) && !S.Contains(csDestroying);
}

void TToolBar::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  ImageListChange(FImages);
}

void TToolBar::ImageListChange(TObject*) {
  if (!HandleAllocated()) return;
  ApplyImages();
  for (TToolButton* Button : FButtons) UpdateButton(Button);
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    ImageListChange(nullptr);
  }
}

void TToolBar::SetButtonWidth(int Value) {
  if (FButtonWidth == Value) return;
  FButtonWidth = Value;
  RecreateWnd();
}

void TToolBar::SetButtonHeight(int Value) {
  if (FButtonHeight == Value) return;
  FButtonHeight = Value;
  RecreateWnd();
}

void TToolBar::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  RecreateWnd();
}

void TToolBar::SetWrapable(bool Value) {
  if (FWrapable == Value) return;
  FWrapable = Value;
  RecreateWnd();
}

void TToolBar::SetShowCaptions(bool Value) {
  if (FShowCaptions == Value) return;
  FShowCaptions = Value;
  RecreateWnd();
}

void TToolBar::SetEdgeBorders(TEdgeBorders Value) {
  if (FEdgeBorders == Value) return;
  FEdgeBorders = Value;
  UpdateEdges();
}

void TToolBar::SetEdgeInner(TEdgeStyle Value) {
  if (FEdgeInner == Value) return;
  FEdgeInner = Value;
  UpdateEdges();
}

void TToolBar::SetEdgeOuter(TEdgeStyle Value) {
  if (FEdgeOuter == Value) return;
  FEdgeOuter = Value;
  UpdateEdges();
}

// The edges are the windowed control's bevels.
void TToolBar::UpdateEdges() {
  static const TBevelCut Cuts[] = {bvNone, bvRaised, bvLowered};
  TBevelEdges Edges;
  if (FEdgeBorders.Contains(ebLeft)) Edges << beLeft;
  if (FEdgeBorders.Contains(ebTop)) Edges << beTop;
  if (FEdgeBorders.Contains(ebRight)) Edges << beRight;
  if (FEdgeBorders.Contains(ebBottom)) Edges << beBottom;
  SetBevelEdges(Edges);
  SetBevelInner(Cuts[FEdgeInner]);
  SetBevelOuter(Cuts[FEdgeOuter]);
  SetBevelKind(FEdgeBorders.Empty() ? bkNone : bkTile);
}

void TToolBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_BAR_CLASSES);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, TOOLBARCLASSNAMEA);
  // The framework places and sizes the window; the edges are its bevels.
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (FFlat) Params.Style |= TBSTYLE_FLAT;
  if (FWrapable) Params.Style |= TBSTYLE_WRAPABLE;
}

void TToolBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(FHandle, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  ApplyImages();
  for (size_t I = 0; I < FButtons.size(); ++I) InsertWindowButton(FButtons[I], static_cast<int>(I));
  ButtonsMoved();
}

void TToolBar::ApplyImages() {
  SendMessageA(FHandle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  if (FImages) SendMessageA(FHandle, TB_SETBITMAPSIZE, 0, MAKELONG(FImages->Width(), FImages->Height()));
  SendMessageA(FHandle, TB_SETBUTTONSIZE, 0, MAKELONG(FButtonWidth, FButtonHeight));
}

namespace {

// The window's description of a button; Text must outlive its use.
TBBUTTON ButtonData(const TToolButton* Button, bool HasImages, bool ShowCaptions, int SeparatorWidth,
                    Word Command, const AnsiString& Text) {
  TBBUTTON Data{};
  if (Button->IsSeparator()) {
    Data.iBitmap = SeparatorWidth;
    Data.fsStyle = TBSTYLE_SEP;
  } else {
    Data.iBitmap = HasImages && Button->ImageIndex() >= 0 ? Button->ImageIndex() : I_IMAGENONE;
    switch (Button->Style()) {
      case tbsCheck: Data.fsStyle = TBSTYLE_CHECK | (Button->Grouped() ? TBSTYLE_GROUP : 0); break;
      case tbsDropDown: Data.fsStyle = TBSTYLE_DROPDOWN; break;
      default: Data.fsStyle = TBSTYLE_BUTTON; break;
    }
  }
  Data.idCommand = Command;
  Data.fsState = static_cast<BYTE>((Button->Enabled() ? TBSTATE_ENABLED : 0) | (Button->Down() ? TBSTATE_CHECKED : 0) |
                                   (Button->Visible() ? 0 : TBSTATE_HIDDEN) | (Button->Wrap() ? TBSTATE_WRAP : 0));
  Data.iString = ShowCaptions && !Button->IsSeparator() ? reinterpret_cast<INT_PTR>(Text.c_str()) : -1;
  return Data;
}

}  // namespace

void TToolBar::InsertWindowButton(TToolButton* Button, int Index) {
  const AnsiString Text = Button->Caption();
  TBBUTTON Data = ButtonData(Button, FImages != nullptr, FShowCaptions, Button->FSeparatorWidth, Button->FCommand, Text);
  if (!SendMessageA(FHandle, TB_INSERTBUTTONA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Data)))
    throw EOutOfResources(LoadStr(SToolButtonError));
}

void TToolBar::UpdateButton(TToolButton* Button) {
  auto It = std::find(FButtons.begin(), FButtons.end(), Button);
  if (It == FButtons.end() || !HandleAllocated()) return;
  const int Index = static_cast<int>(It - FButtons.begin());
  const AnsiString Text = Button->Caption();
  TBBUTTON Wanted = ButtonData(Button, FImages != nullptr, FShowCaptions, Button->FSeparatorWidth, Button->FCommand, Text);
  TBBUTTON Current{};
  SendMessageA(FHandle, TB_GETBUTTON, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Current));
  if (Current.fsStyle != Wanted.fsStyle || (Button->IsSeparator() && Current.iBitmap != Wanted.iBitmap)) {
    // Another kind of button (or a separator's width): made anew.
    SendMessageA(FHandle, TB_DELETEBUTTON, static_cast<WPARAM>(Index), 0);
    InsertWindowButton(Button, Index);
  } else {
    // Changed in place: a click may be under way on this very button.
    TBBUTTONINFOA Info{};
    Info.cbSize = sizeof(Info);
    Info.dwMask = TBIF_IMAGE | TBIF_STATE | (FShowCaptions ? TBIF_TEXT : 0);
    Info.iImage = Wanted.iBitmap;
    Info.fsState = Wanted.fsState;
    Info.pszText = const_cast<char*>(Text.c_str());
    SendMessageA(FHandle, TB_SETBUTTONINFOA, Button->FCommand, reinterpret_cast<LPARAM>(&Info));
  }
  ButtonsMoved();
}

void TToolBar::ButtonInserted(TToolButton* Button) {
  // Ids stay unique among the buttons; 0 is never one.
  while (FNextCommand == 0 || ButtonOfCommand(FNextCommand)) ++FNextCommand;
  Button->FCommand = FNextCommand++;
  FButtons.push_back(Button);
  if (!HandleAllocated()) return;
  InsertWindowButton(Button, ButtonCount() - 1);
  ButtonsMoved();
}

void TToolBar::ButtonRemoved(TToolButton* Button) {
  auto It = std::find(FButtons.begin(), FButtons.end(), Button);
  if (It == FButtons.end()) return;
  const int Index = static_cast<int>(It - FButtons.begin());
  FButtons.erase(It);
  if (!HandleAllocated()) return;
  SendMessageA(FHandle, TB_DELETEBUTTON, static_cast<WPARAM>(Index), 0);
  ButtonsMoved();
}

void TToolBar::ButtonsMoved() {
  if (!Ready()) return;
  for (size_t I = 0; I < FButtons.size(); ++I) {
    RECT R{};
    if (!SendMessageA(FHandle, TB_GETITEMRECT, I, reinterpret_cast<LPARAM>(&R))) continue;
    TToolButton* Button = FButtons[I];
    Button->FPlacing = true;
    try {
      Button->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    } catch (...) {
      Button->FPlacing = false;
      throw;
    }
    Button->FPlacing = false;
  }
  AdjustSize();
}

void TToolBar::AlignControls(TControl*, TRect&) { ButtonsMoved(); }

bool TToolBar::CanAutoSize(int&, int& NewHeight) {
  if (!Ready()) return false;
  int Bottom = 0;
  for (size_t I = 0; I < FButtons.size(); ++I) {
    RECT R{};
    if (FButtons[I]->Visible() && SendMessageA(FHandle, TB_GETITEMRECT, I, reinterpret_cast<LPARAM>(&R)))
      Bottom = std::max(Bottom, static_cast<int>(R.bottom));
  }
  NewHeight = std::max(Bottom, FButtonHeight) + Height() - ClientHeight();
  return true;
}

void TToolBar::ReadDownStates() {
  for (TToolButton* Button : FButtons)
    if (Button->FStyle == tbsCheck)
      Button->FDown = SendMessageA(FHandle, TB_ISBUTTONCHECKED, Button->FCommand, 0) != 0;
}

void TToolBar::PressGroup(TToolButton* Button) {
  if (Button->FStyle != tbsCheck || !Button->FGrouped) return;
  auto InGroup = [](const TToolButton* B) { return B->FStyle == tbsCheck && B->FGrouped; };
  const int Index = Button->Index();
  if (Index < 0) return;
  // The group is the run of grouped check buttons around this one.
  std::vector<TToolButton*> Released;
  for (int I = Index - 1; I >= 0 && InGroup(FButtons[static_cast<size_t>(I)]); --I)
    Released.push_back(FButtons[static_cast<size_t>(I)]);
  for (int I = Index + 1; I < ButtonCount() && InGroup(FButtons[static_cast<size_t>(I)]); ++I)
    Released.push_back(FButtons[static_cast<size_t>(I)]);
  for (TToolButton* B : Released) {
    if (!B->FDown) continue;
    B->FDown = false;
    UpdateButton(B);
  }
}

TToolButton* TToolBar::ButtonOfCommand(int Command) const {
  for (TToolButton* Button : FButtons)
    if (Button->FCommand == Command) return Button;
  return nullptr;
}

TToolButton* TToolBar::ButtonAt(int X, int Y) const {
  return dynamic_cast<TToolButton*>(ControlAtPos(Point(X, Y), true));
}

void TToolBar::CNCommand(TMessage& Message) {
  Message.Result = 0;
  TToolButton* Button = ButtonOfCommand(LOWORD(Message.WParam));
  if (!Button) return;
  ReadDownStates();
  Button->Click();
}

void TToolBar::CNNotify(TMessage& Message) {
  Message.Result = 0;
  const auto* Header = reinterpret_cast<const NMHDR*>(Message.LParam);
  if (!Header || Header->code != TBN_DROPDOWN) return;
  const auto* Notify = reinterpret_cast<const NMTOOLBARA*>(Message.LParam);
  TToolButton* Button = ButtonOfCommand(Notify->iItem);
  if (!Button || !Button->FDropdownMenu) {
    // Without a menu the arrow is part of the button.
    Message.Result = TBDDRET_TREATPRESSED;
    return;
  }
  RECT R{};
  SendMessageA(FHandle, TB_GETRECT, Button->FCommand, reinterpret_cast<LPARAM>(&R));
  POINT P{R.left, R.bottom};
  ::ClientToScreen(FHandle, &P);
  TPopupMenu* Menu = Button->FDropdownMenu;
  Menu->SetPopupComponent(Button);
  Menu->Popup(P.x, P.y);
}

void TToolBar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      // The window presses and clicks its buttons itself.
      if (HandleAllocated()) {
        DefaultHandler(&Message);
        return;
      }
      break;
    case WM_MOUSEMOVE: {
      // The window tracks the hot button; the framework follows the mouse
      // to the button controls (for their hints) without passing it on.
      const TWMMouse M{Message};
      if (HandleAllocated() && GetCapture() != FHandle && ButtonAt(M.XPos(), M.YPos())) DefaultHandler(&Message);
      break;
    }
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case CM_CONTROLCHANGE:
      if (auto* Button = dynamic_cast<TToolButton*>(reinterpret_cast<TControl*>(Message.WParam))) {
        if (Message.LParam)
          ButtonInserted(Button);
        else
          ButtonRemoved(Button);
      }
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// THotKey

THotKey::THotKey(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 19);
  SetTabStop(true);
  SetColor(clWindow);
}

TShortCut THotKey::HotKey() const {
  if (FHandle) return HotKeyWordToShortCut(static_cast<WORD>(SendMessageA(FHandle, HKM_GETHOTKEY, 0, 0)));
  return FHotKey;
}

void THotKey::SetHotKey(TShortCut Value) {
  FHotKey = Value;
  if (FHandle) SendMessageA(FHandle, HKM_SETHOTKEY, ShortCutToHotKeyWord(Value), 0);
}

void THotKey::SetModifiers(THKModifiers Value) {
  FModifiers = Value;
  if (FHandle) ApplyRules();
}

void THotKey::SetInvalidKeys(THKInvalidKeys Value) {
  FInvalidKeys = Value;
  if (FHandle) ApplyRules();
}

void THotKey::ApplyRules() {
  static const WPARAM Combinations[] = {HKCOMB_NONE, HKCOMB_S,  HKCOMB_C,  HKCOMB_A,
                                        HKCOMB_SC,   HKCOMB_SA, HKCOMB_CA, HKCOMB_SCA};
  static const WORD ModifierFlags[] = {HOTKEYF_SHIFT, HOTKEYF_CONTROL, HOTKEYF_ALT, HOTKEYF_EXT};
  WPARAM Invalid = 0;
  for (int I = hcNone; I <= hcShiftCtrlAlt; ++I)
    if (FInvalidKeys.Contains(static_cast<THKInvalidKey>(I))) Invalid |= Combinations[I];
  WORD Default = 0;
  for (int I = hkShift; I <= hkExt; ++I)
    if (FModifiers.Contains(static_cast<THKModifier>(I))) Default |= ModifierFlags[I];
  SendMessageA(FHandle, HKM_SETRULES, Invalid, MAKELPARAM(Default, 0));
}

void THotKey::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_HOTKEY_CLASS);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, HOTKEY_CLASSA);
  if (Ctl3D())
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    Params.Style |= WS_BORDER;
}

void THotKey::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyRules();
  SendMessageA(FHandle, HKM_SETHOTKEY, ShortCutToHotKeyWord(FHotKey), 0);
}

void THotKey::DestroyWnd() {
  FHotKey = HotKey();
  TWinControl::DestroyWnd();
}

void THotKey::Change() {
  if (OnChange) OnChange(this);
}

void THotKey::WndProc(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE) Change();
    Message.Result = 0;
    return;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Rich edit lines

// The paragraphs of a rich edit: its window's text while it has one,
// otherwise the plain text kept as the control's text.
class TRichEditStrings : public TStrings {
public:
  explicit TRichEditStrings(TCustomRichEdit* Edit) : FEdit(Edit) {}

  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override;

protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  AnsiString GetTextStr() const override;
  void SetTextStr(const AnsiString& Value) override;

private:
  // True when the text is in the window (made for rich text kept without one).
  bool Live() const;
  void Split(TStringList& Lines) const;
  // The character position where paragraph Index starts (a paragraph break
  // is one character in the window).
  static int StartOf(const TStringList& Lines, int Index);
  void Replace(int Start, int End, const AnsiString& Text);

  TCustomRichEdit* FEdit;
};

bool TRichEditStrings::Live() const {
  if (FEdit->HandleAllocated()) return true;
  if (!FEdit->FStoredRtf) return false;
  FEdit->HandleNeeded();
  return true;
}

void TRichEditStrings::Split(TStringList& Lines) const { Lines.SetText(GetTextStr()); }

int TRichEditStrings::StartOf(const TStringList& Lines, int Index) {
  int Position = 0;
  for (int I = 0; I < Index; ++I) Position += static_cast<int>(Lines.Strings(I).size()) + 1;
  return Position;
}

void TRichEditStrings::Replace(int Start, int End, const AnsiString& Text) {
  CHARRANGE Range{Start, End};
  SendMessageA(FEdit->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&Range));
  SendMessageA(FEdit->Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Text.c_str()));
}

AnsiString TRichEditStrings::GetTextStr() const {
  Live();
  return FEdit->Text();
}

void TRichEditStrings::SetTextStr(const AnsiString& Value) {
  const bool Rtf = !FEdit->FPlainText && IsRichText(Value);
  if (FEdit->HandleAllocated()) {
    FEdit->StreamIn(Value, Rtf);
  } else if (Rtf) {
    FEdit->FText.clear();
    FEdit->FStored = Value;
    FEdit->FStoredRtf = true;
  } else {
    FEdit->FStored.clear();
    FEdit->FStoredRtf = false;
    FEdit->SetText(Value);
  }
}

AnsiString TRichEditStrings::Get(int Index) const {
  TStringList Lines;
  Split(Lines);
  if (Index < 0 || Index >= Lines.Count()) Error(SListIndexError, Index);
  return Lines.Strings(Index);
}

int TRichEditStrings::GetCount() const {
  TStringList Lines;
  Split(Lines);
  return Lines.Count();
}

void TRichEditStrings::Insert(int Index, const AnsiString& S) {
  TStringList Lines;
  Split(Lines);
  const int Count = Lines.Count();
  if (Index < 0 || Index > Count) Error(SListIndexError, Index);
  if (!Live()) {
    Lines.Insert(Index, S);
    FEdit->SetText(Lines.Text());
    return;
  }
  if (Index < Count) {
    const int Start = StartOf(Lines, Index);
    Replace(Start, Start, S + "\r\n");
    return;
  }
  // Appended: after a break that ends the text, or after a new one.
  const AnsiString Text = GetTextStr();
  const bool EndsWithBreak = !Text.empty() && (Text.back() == '\n' || Text.back() == '\r');
  const int End = StartOf(Lines, Count) - (Count > 0 && !EndsWithBreak ? 1 : 0);
  Replace(End, End, Count > 0 && !EndsWithBreak ? "\r\n" + S : S);
}

void TRichEditStrings::Delete(int Index) {
  TStringList Lines;
  Split(Lines);
  const int Count = Lines.Count();
  if (Index < 0 || Index >= Count) Error(SListIndexError, Index);
  if (!Live()) {
    Lines.Delete(Index);
    FEdit->SetText(Lines.Text());
    return;
  }
  int Start = StartOf(Lines, Index);
  int End = Start + static_cast<int>(Lines.Strings(Index).size()) + 1;
  if (Index == Count - 1) {
    const AnsiString Text = GetTextStr();
    const bool EndsWithBreak = !Text.empty() && (Text.back() == '\n' || Text.back() == '\r');
    if (!EndsWithBreak) {
      // The last paragraph goes with the break before it.
      --End;
      if (Index > 0) --Start;
    }
  }
  Replace(Start, End, AnsiString());
}

void TRichEditStrings::Clear() { FEdit->Clear(); }

// ---------------------------------------------------------------------------
// TCustomRichEdit

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TWinControl(AOwner), FLines(new TRichEditStrings(this)) {
  SetBounds(0, 0, 185, 89);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomRichEdit::~TCustomRichEdit() = default;

void TCustomRichEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (FHandle) SendMessageA(FHandle, EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

void TCustomRichEdit::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomRichEdit::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomRichEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

int TCustomRichEdit::SelStart() {
  CHARRANGE Range{};
  SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&Range));
  return Range.cpMin;
}

void TCustomRichEdit::SetSelStart(int Value) {
  CHARRANGE Range{Value, Value};
  SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&Range));
}

int TCustomRichEdit::SelLength() {
  CHARRANGE Range{};
  SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&Range));
  return Range.cpMax - Range.cpMin;
}

void TCustomRichEdit::SetSelLength(int Value) {
  CHARRANGE Range{};
  SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&Range));
  Range.cpMax = Range.cpMin + std::max(Value, 0);
  SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&Range));
}

void TCustomRichEdit::Clear() {
  if (!FHandle) {
    FStored.clear();
    FStoredRtf = false;
  }
  SetText(AnsiString());
}

void TCustomRichEdit::CreateParams(TCreateParams& Params) {
  LoadRichEdit();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, RICHEDIT_CLASSA);
  // The text is streamed in once the window exists.
  Params.Caption.clear();
  Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (!FWordWrap) Params.Style |= ES_AUTOHSCROLL;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TCustomRichEdit::CreateWnd() {
  TWinControl::CreateWnd();
  // The control's default limit (32K characters) would cut longer texts.
  SendMessageA(FHandle, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
  SendMessageA(FHandle, EM_SETTARGETDEVICE, 0, FWordWrap ? 0 : 1);
  ApplyColors();
  const bool Rtf = FStoredRtf;
  const AnsiString Stored = Rtf ? std::move(FStored) : std::move(FText);
  FStored.clear();
  FStoredRtf = false;
  FText.clear();
  if (!Stored.empty()) StreamIn(Stored, Rtf || (!FPlainText && IsRichText(Stored)));
}

void TCustomRichEdit::DestroyWnd() {
  // The text goes with its formatting into the next window.
  const bool Keep = !ComponentState().Contains(csDestroying);
  if (Keep) FStored = StreamOut();
  TWinControl::DestroyWnd();
  FStoredRtf = Keep;
  FText.clear();
}

void TCustomRichEdit::ApplyColors() {
  SendMessageA(FHandle, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  CHARFORMATA Format{};
  Format.cbSize = sizeof(Format);
  Format.dwMask = CFM_COLOR;
  Format.crTextColor = static_cast<COLORREF>(ColorToRGB(Font()->Color()));
  SendMessageA(FHandle, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&Format));
}

void TCustomRichEdit::StreamIn(const AnsiString& Data, bool Rtf) {
  TStreamInState State{&Data, 0};
  EDITSTREAM Stream{};
  Stream.dwCookie = reinterpret_cast<DWORD_PTR>(&State);
  Stream.pfnCallback = ReadChunk;
  SendMessageA(Handle(), EM_STREAMIN, Rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&Stream));
  if (Stream.dwError != 0) throw EReadError(FmtLoadStr(SRichEditReadError, Name().empty() ? ClassName() : Name()));
}

AnsiString TCustomRichEdit::StreamOut() {
  AnsiString Out;
  EDITSTREAM Stream{};
  Stream.dwCookie = reinterpret_cast<DWORD_PTR>(&Out);
  Stream.pfnCallback = WriteChunk;
  SendMessageA(FHandle, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&Stream));
  return Out;
}

void TCustomRichEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      // Rich text kept without a window is read from a window.
      if (!FHandle && FStoredRtf) HandleNeeded();
      break;
    case WM_SETTEXT:
      if (!FHandle) {
        FStored.clear();
        FStoredRtf = false;
      }
      break;
    case WM_GETDLGCODE:
      // Tab moves on and Esc reaches the form; Enter only breaks lines of
      // an editable text (CM_WANTSPECIALKEY).
      TWinControl::WndProc(Message);
      Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      return;
    case CM_WANTSPECIALKEY:
      Message.Result = Message.WParam == VK_RETURN && !FReadOnly ? 1 : 0;
      return;
    case WM_NCCREATE:
      ++GRichEditWindows;
      break;
    case WM_NCDESTROY:
      --GRichEditWindows;
      break;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      TWinControl::WndProc(Message);
      if (FHandle) ApplyColors();
      return;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Unit start-up

namespace {

const TEnumNames BorderStyleNames{"bsNone", "bsSingle"};

}  // namespace

void InitializeComCtrls() {
  InitCommonControlClasses(ICC_BAR_CLASSES | ICC_HOTKEY_CLASS);
  RegisterClass<TToolButton, TControl>()
      .Object("Action", &TToolButton::Action, &TToolButton::SetAction)
      .Object("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu)
      .Bool("Down", &TToolButton::Down, &TToolButton::SetDown, false)
      .Bool("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped, false)
      .Int("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex, -1, "TImageIndex")
      .Enum("Style", &TToolButton::Style, &TToolButton::SetStyle, tbsButton,
            {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"})
      .Bool("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap, false);
  RegisterClass<TToolBar, TWinControl>()
      .Int("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight, 22)
      .Int("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth, 23)
      .Set("EdgeBorders", &TToolBar::EdgeBorders, &TToolBar::SetEdgeBorders, TEdgeBorders{ebTop},
           {"ebLeft", "ebTop", "ebRight", "ebBottom"}, "TEdgeBorders")
      .Enum("EdgeInner", &TToolBar::EdgeInner, &TToolBar::SetEdgeInner, esRaised, {"esNone", "esRaised", "esLowered"})
      .Enum("EdgeOuter", &TToolBar::EdgeOuter, &TToolBar::SetEdgeOuter, esLowered, {"esNone", "esRaised", "esLowered"})
      .Bool("Flat", &TToolBar::Flat, &TToolBar::SetFlat, false)
      .Object("Images", &TToolBar::Images, &TToolBar::SetImages)
      .Bool("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions, false)
      .Bool("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable, true);
  RegisterClass<THotKey, TWinControl>()
      .Int("HotKey", &THotKey::HotKey, &THotKey::SetHotKey, scAlt | 'A', "TShortCut")
      .Set("InvalidKeys", &THotKey::InvalidKeys, &THotKey::SetInvalidKeys, THKInvalidKeys{hcNone, hcShift},
           {"hcNone", "hcShift", "hcCtrl", "hcAlt", "hcShiftCtrl", "hcShiftAlt", "hcCtrlAlt", "hcShiftCtrlAlt"},
           "THKInvalidKeys")
      .Set("Modifiers", &THotKey::Modifiers, &THotKey::SetModifiers, THKModifiers{hkAlt},
           {"hkShift", "hkCtrl", "hkAlt", "hkExt"}, "THKModifiers")
      .Event("OnChange", &THotKey::OnChange);
  RegisterClass<TCustomRichEdit, TWinControl>()
      .Enum("BorderStyle", &TCustomRichEdit::BorderStyle, &TCustomRichEdit::SetBorderStyle, bsSingle, BorderStyleNames)
      .Object("Lines", &TCustomRichEdit::Lines)
      .Bool("PlainText", &TCustomRichEdit::PlainText, &TCustomRichEdit::SetPlainText, false)
      .Bool("ReadOnly", &TCustomRichEdit::ReadOnly, &TCustomRichEdit::SetReadOnly, false)
      .Enum("ScrollBars", &TCustomRichEdit::ScrollBars, &TCustomRichEdit::SetScrollBars, ssNone,
            {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
      .Bool("WordWrap", &TCustomRichEdit::WordWrap, &TCustomRichEdit::SetWordWrap, true);
  RegisterClass<TRichEdit, TCustomRichEdit>();
}

void FinalizeComCtrls() {
  // The library's code runs every rich edit window still there.
  if (!GRichEditModule || GRichEditWindows > 0) return;
  FreeLibrary(GRichEditModule);
  GRichEditModule = nullptr;
}
