#include "Spin.h"

#include <algorithm>
#include <climits>

#include "Consts.h"
#include "TypInfo.h"

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 121, Height());
  SetText("0");
}

int TSpinEdit::Value() const {
  int Result = 0;
  return TryStrToInt(Trim(Text()), Result) ? Result : FMinValue;
}

void TSpinEdit::SetValue(int Value) { SetText(IntToStr(CheckValue(Value))); }

int TSpinEdit::CheckValue(Int64 Value) const {
  if (FMaxValue != FMinValue) {
    if (Value < FMinValue) return FMinValue;
    if (Value > FMaxValue) return FMaxValue;
  }
  return static_cast<int>(std::clamp<Int64>(Value, INT_MIN, INT_MAX));
}

void TSpinEdit::Step(Int64 Delta) {
  if (ReadOnly()) return;
  SetValue(CheckValue(static_cast<Int64>(Value()) + Delta));
}

void TSpinEdit::UpClick() { Step(FIncrement); }

void TSpinEdit::DownClick() { Step(-static_cast<Int64>(FIncrement)); }

bool TSpinEdit::IsValidChar(char Key) const {
  const bool Number = (Key >= '0' && Key <= '9') || Key == '+' || Key == '-';
  // Enter and Esc are the form's; other control characters edit the text.
  const bool Control = static_cast<unsigned char>(Key) < 32 && Key != '\r' && Key != '\x1B';
  if (!Number && !Control) return false;
  if (!FEditorEnabled && (Number || Key == '\b')) return false;
  return true;
}

void TSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == VK_UP) {
    UpClick();
    Key = 0;
  } else if (Key == VK_DOWN) {
    DownClick();
    Key = 0;
  }
}

void TSpinEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key != '\0' && !IsValidChar(Key)) Key = '\0';
}

void TSpinEdit::DoExit() {
  // What was typed becomes the number it stands for, in the range.
  const int Checked = CheckValue(Value());
  if (Text() != IntToStr(Checked)) SetValue(Checked);
  TCustomEdit::DoExit();
}

void TSpinEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  // The buttons are a child window the edit must not paint over.
  Params.Style |= WS_CLIPCHILDREN;
}

void TSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  INITCOMMONCONTROLSEX Init{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&Init);
  FUpDown = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, FHandle, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (!FUpDown) throw EOSError(FmtLoadStr(SSpinButtonsError, Name().empty() ? ClassName() : Name()), GetLastError());
  // Every step is refused (and done here), so the position never reaches
  // an end of this range.
  SendMessageA(FUpDown, UDM_SETRANGE32, 0, 2);
  SendMessageA(FUpDown, UDM_SETPOS32, 0, 1);
  PlaceButtons();
}

void TSpinEdit::PlaceButtons() {
  if (!FUpDown) return;
  RECT R{};
  GetClientRect(FHandle, &R);
  const int Width = GetSystemMetrics(SM_CXVSCROLL);
  MoveWindow(FUpDown, R.right - Width, 0, Width, R.bottom, TRUE);
  // The text stays left of the buttons.
  SendMessageA(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, Width + 1));
}

void TSpinEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NOTIFY: {
      const auto* Header = reinterpret_cast<const NMHDR*>(Message.LParam);
      if (FUpDown && Header && Header->hwndFrom == FUpDown) {
        if (Header->code == UDN_DELTAPOS) {
          const int Delta = reinterpret_cast<const NMUPDOWN*>(Message.LParam)->iDelta;
          if (CanFocus() && !Focused()) SetFocus();
          if (Delta > 0)
            UpClick();
          else if (Delta < 0)
            DownClick();
        }
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (!FEditorEnabled) return;
      break;
    case WM_SIZE:
      TCustomEdit::WndProc(Message);
      PlaceButtons();
      return;
    case WM_DESTROY:
      FUpDown = nullptr;
      break;
    default:
      break;
  }
  TCustomEdit::WndProc(Message);
}

void InitializeSpin() {
  RegisterClass<TSpinEdit, TCustomEdit>()
      .Bool("EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled, true)
      .Int("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement, 1)
      .Int("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue, 0)
      .Int("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue, 0)
      .Int("Value", &TSpinEdit::Value, &TSpinEdit::SetValue, 0);
}
