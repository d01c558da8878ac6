#include "VsCLabel.h"

#include "Forms.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"
#include "VsUxTheme.h"

namespace {

const char Trailer[4] = {'\0', '\0', '\xFE', '\xFF'};

}  // namespace

AnsiString PackWideHint(const AnsiString& Ansi, const WideString& Wide) {
  AnsiString Packed = Ansi.substr(0, Ansi.find('\0'));
  Packed.reserve(Packed.size() + 2 * Wide.size() + 5);
  Packed.push_back('\0');
  for (const wchar_t Unit : Wide) {
    Packed.push_back(static_cast<char>(Unit & 0xFF));
    Packed.push_back(static_cast<char>((Unit >> 8) & 0xFF));
  }
  Packed.append(Trailer, sizeof Trailer);
  return Packed;
}

AnsiString PackWideHint(const WideString& Wide) { return PackWideHint(WideToAnsi(Wide), Wide); }

bool UnpackWideHint(const AnsiString& Packed, WideString& Wide, AnsiString* Ansi) {
  const size_t Zero = Packed.find('\0');
  if (Zero == AnsiString::npos) return false;
  // After the 8-bit part and its zero: 2m bytes of text and the trailer.
  const size_t Rest = Packed.size() - Zero - 1;
  if (Rest < sizeof Trailer || (Rest - sizeof Trailer) % 2 != 0) return false;
  if (Packed.compare(Packed.size() - sizeof Trailer, sizeof Trailer, Trailer, sizeof Trailer) != 0) return false;
  const size_t Units = (Rest - sizeof Trailer) / 2;
  WideString Text(Units, L'\0');
  for (size_t I = 0; I < Units; ++I) {
    const unsigned char Low = static_cast<unsigned char>(Packed[Zero + 1 + 2 * I]);
    const unsigned char High = static_cast<unsigned char>(Packed[Zero + 2 + 2 * I]);
    Text[I] = static_cast<wchar_t>(Low | (High << 8));
  }
  Wide = std::move(Text);
  if (Ansi) *Ansi = Packed.substr(0, Zero);
  return true;
}

void PackHintInfo(THintInfo& Info, const AnsiString& Hint, const WideString& WideHint) {
  if (WideHint.empty()) {
    Info.HintStr.clear();
    return;
  }
  // Only the 8-bit parts are compared, each up to its first zero byte: a
  // hint window (or handler) sees no more, and the bar is never looked for
  // in the UTF-16 part ("ż" holds the byte 0x7C).
  const AnsiString Short = GetShortHint(Hint);
  const AnsiString ShortAnsi = Short.substr(0, Short.find('\0'));
  const AnsiString Shown = Info.HintStr.substr(0, Info.HintStr.find('\0'));
  Info.HintStr = Shown != ShortAnsi ? PackWideHint(WideHint) : PackWideHint(ShortAnsi, GetWideShortHint(WideHint));
}

TCustomVsLabel::TCustomVsLabel(TComponent* AOwner)
    : TCustomLabel(AOwner), FStyleLink(std::make_unique<TVsStyleMgrChangeLink>()) {
  SetTransparent(true);
  FStyleLink->OnChange = TNotifyEvent(this, &TCustomVsLabel::StyleMgrChanged);
}

TCustomVsLabel::~TCustomVsLabel() { SetStyleManager(nullptr); }

void TCustomVsLabel::SetUseXPThemes(bool Value) {
  if (FUseXPThemes == Value) return;
  FUseXPThemes = Value;
  if (ThemesAvailable) Invalidate();
}

void TCustomVsLabel::SetCaption(const WideString& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  const AnsiString Text = WideToAnsi(Value);
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomVsLabel::SetHint(const WideString& Value) {
  FHint = Value;
  TCustomLabel::SetHint(PackWideHint(Value));
}

void TCustomVsLabel::SetStyleManager(TVsStyleManager* Value) {
  if (RelinkStyleManager(this, FStyleLink.get(), FStyleManager, Value)) UpdateStyle();
}

void TCustomVsLabel::SetStyleName(const AnsiString& Value) {
  if (FStyleName == Value) return;
  FStyleName = Value;
  UpdateStyle();
}

void TCustomVsLabel::UpdateStyle() {
  if (!FStyleManager) return;
  TWinControl* Host = Parent();
  HWND Window = Host && Host->HandleAllocated() ? Host->Handle() : nullptr;
  if (Window) SendMessageW(Window, WM_SETREDRAW, 0, 0);
  try {
    FStyleManager->ApplyStyle(this, FStyleName);
  } catch (...) {
    if (Window && IsWindow(Window)) SendMessageW(Window, WM_SETREDRAW, 1, 0);
    throw;
  }
  if (Window) SendMessageW(Window, WM_SETREDRAW, 1, 0);
  Invalidate();
}

void TCustomVsLabel::StyleMgrChanged(TObject*) { UpdateStyle(); }

void TCustomVsLabel::Loaded() {
  TCustomLabel::Loaded();
  if (ParentColor()) {
    SetParentColor(false);
    SetParentColor(true);
  }
}

void TCustomVsLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FStyleManager) SetStyleManager(nullptr);
}

void TCustomVsLabel::CMHintShow(TMessage& Message) {
  if (auto* Info = reinterpret_cast<THintInfo*>(Message.LParam)) PackHintInfo(*Info, TCustomLabel::Hint(), FHint);
}

void TCustomVsLabel::WndProc(TMessage& Message) {
  TCustomLabel::WndProc(Message);
  if (Message.Msg == CM_HINTSHOW) CMHintShow(Message);
}

void InitializeVsCLabel() {
  InitializeVsStyleMgr();
  RegisterClass<TCustomVsLabel, TCustomLabel>()
      .Bool("UseXPThemes", &TCustomVsLabel::UseXPThemes, &TCustomVsLabel::SetUseXPThemes, true)
      .WStr("Hint", &TCustomVsLabel::Hint, &TCustomVsLabel::SetHint, "TVsFString")
      .WStr("Caption", &TCustomVsLabel::Caption, &TCustomVsLabel::SetCaption, "TVsFString")
      .Object("StyleManager", &TCustomVsLabel::StyleManager, &TCustomVsLabel::SetStyleManager)
      .Str("StyleName", &TCustomVsLabel::StyleName, &TCustomVsLabel::SetStyleName)
      .Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, true);
}
