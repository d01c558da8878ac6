#include "VsHintWindow.h"

#include "TypInfo.h"
#include "VsCLabel.h"
#include "VsFrameworkUtils.h"

namespace {

// The width the window fits itself to when its text changes.
constexpr int FitWidth = 10000;

// The wide part of a packed hint; any other text is in the system code page.
WideString HintToWide(const AnsiString& Hint) {
  WideString Wide;
  return UnpackWideHint(Hint, Wide) ? Wide : AnsiToWide(Hint);
}

}  // namespace

void InitializeVsHintWindow() {
  RegisterClass<TVsHintWindow, THintWindow>()
      .Bool("WordWrap", &TVsHintWindow::WordWrap, &TVsHintWindow::SetWordWrap, false)
      .WStr("WideCaption", &TVsHintWindow::WideCaption, &TVsHintWindow::SetWideCaption)
      .Bool("IsHTML", &TVsHintWindow::IsHTML, &TVsHintWindow::SetIsHTML, false)
      .Event("OnLinkClick", &TVsHintWindow::OnLinkClick, "TVsHTMLLinkClickEvent")
      .Event("OnImageNeeded", &TVsHintWindow::OnImageNeeded, "TVsHTMLImageNeededEvent");
}

TVsHintWindow::TVsHintWindow(TComponent* AOwner) : THintWindow(AOwner), FRender(new TVsHTMLRender) {
  FRender->OnImageNeeded = TVsHTMLImageNeededEvent(this, &TVsHintWindow::DoImageNeeded);
}

TVsHintWindow::TActivatingScope TVsHintWindow::BeginActivating() {
  FActivating = true;
  return TActivatingScope(&FActivating, [](bool* Flag) { *Flag = false; });
}

void TVsHintWindow::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  FitToText();
}

void TVsHintWindow::SetWideCaption(const WideString& Value) {
  FWideCaption = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TVsHintWindow::SetIsHTML(bool Value) {
  if (Value == FIsHTML) return;
  FIsHTML = Value;
  Invalidate();
}

void TVsHintWindow::FitToText() {
  if (FActivating) return;
  const TRect R = CalcHintRectW(FitWidth, FWideCaption);
  SetBounds(Left(), Top(), R.right - R.left, R.bottom - R.top);
}

void TVsHintWindow::WndProc(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    FitToText();
    return;
  }
  THintWindow::WndProc(Message);
}

void TVsHintWindow::SetRenderDefaults() {
  TVsHTMLData* Data = FRender->Data();
  Data->DefaultColor = Font()->Color();
  Data->DefaultBgColor = Color();
  Data->Charset = Font()->Charset();
  Data->DefaultStyle = Font()->Style();
  Data->DefaultHeight = Font()->Height();
  Data->DefaultFont = Font()->Name();
}

TRect TVsHintWindow::CalcHintRectW(int MaxWidth, const WideString& Text) {
  TRect R = Rect(0, 0, MaxWidth, 0);
  bool Measured = false;
  if (FIsHTML) {
    SetRenderDefaults();
    try {
      FRender->PrepareText(Text, MaxWidth, false);
      R = Rect(0, 0, FRender->Data()->TextWidth, FRender->Data()->TextHeight + 2);
      Measured = true;
    } catch (const EVsHTMLError&) {
      // Measured as plain text, as Paint then draws it.
    }
  }
  if (!Measured) {
    HDC DC = GetDC(nullptr);
    HGDIOBJ OldFont = SelectObject(DC, Font()->Handle());
    VsDrawTextW(DC, Text.c_str(), -1, R, DT_CALCRECT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0));
    SelectObject(DC, OldFont);
    ReleaseDC(nullptr, DC);
  }
  R.right += 6;
  R.bottom += 2;
  return R;
}

TRect TVsHintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  return CalcHintRectW(MaxWidth, HintToWide(AHint));
}

void TVsHintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  {
    // The framework's caption keeps the 8-bit hint as far as it shows.
    const TActivatingScope Activating = BeginActivating();
    SetCaption(AnsiString(AHint.c_str()));
  }
  ActivateHintW(Rect, HintToWide(AHint));
}

void TVsHintWindow::ActivateHintW(const TRect& Rect, const WideString& Text) {
  {
    const TActivatingScope Activating = BeginActivating();
    SetWideCaption(Text);
    TRect R = Rect;
    R.bottom += 4;
    const int W = R.right - R.left;
    const int H = R.bottom - R.top;
    const TRect Desktop = Screen ? Screen->DesktopRect()
                                 : ::Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int X = R.left;
    int Y = R.top;
    if (Y + H > Desktop.bottom) Y = Desktop.bottom - H;
    if (X + W > Desktop.right) X = Desktop.right - W;
    if (X < Desktop.left) X = Desktop.left;
    if (Y < Desktop.top) Y = Desktop.top;
    UpdateBoundsRect(Bounds(X, Y, W, H));
    SetWindowPos(Handle(), HWND_TOPMOST, X, Y, W, H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  }
  Invalidate();
}

void TVsHintWindow::Paint() {
  TRect R = ClientRect();
  R.left += 2;
  R.top += 2;
  TCanvas* C = Canvas();
  C->Font()->Assign(Font());
  if (FIsHTML) {
    SetRenderDefaults();
    try {
      FRender->PrepareText(FWideCaption, FitWidth, false);
      FRender->DrawText(C, Point(0, 0), R, clNone);
      return;
    } catch (const EVsHTMLError&) {
      // Text the renderer cannot take is shown as it stands.
    }
  }
  C->RequiredState(TCanvasState{csHandleValid, csFontValid});
  HDC DC = C->Handle();
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  VsDrawTextW(DC, FWideCaption.c_str(), -1, R, DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0));
}

void TVsHintWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FIsHTML) {
    SetRenderDefaults();
    WideString HRef;
    bool OverLink = false;
    try {
      FRender->PrepareText(FWideCaption, FitWidth, false);
      // The rectangle Paint draws into.
      OverLink = FRender->IsCursorOverLink(Point(X - 2, Y - 2), Point(0, 0), Rect(2, 2, ClientWidth(), ClientHeight()),
                                           HRef);
    } catch (const EVsHTMLError&) {
      // Drawn plainly: there are no links.
    }
    if (OverLink) {
      DoLinkClick(HRef);
      return;
    }
  }
  THintWindow::MouseDown(Button, Shift, X, Y);
}

void TVsHintWindow::DoLinkClick(const WideString& HRef) {
  if (OnLinkClick) OnLinkClick(this, HRef);
}

void TVsHintWindow::DoImageNeeded(TObject*, const WideString& Src, TBitmap*& Image) {
  if (OnImageNeeded) OnImageNeeded(this, Src, Image);
}
