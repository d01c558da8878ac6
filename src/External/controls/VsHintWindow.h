// A hint window for UTF-16 text, drawn plainly or, with IsHTML, through the
// HTML renderer, whose links report clicks.
#pragma once

#include <memory>

#include "Forms.h"
#include "VsHTMLRender.h"

class TVsHintWindow : public THintWindow {
public:
  explicit TVsHintWindow(TComponent* AOwner);

  // Shows Text in Rect (screen coordinates), kept on the desktop, without
  // taking the activation.
  virtual void ActivateHintW(const TRect& Rect, const WideString& Text);
  // The size Text needs at (0, 0), with the border.
  TRect CalcHintRectW(int MaxWidth, const WideString& Text);
  // The 8-bit hint: a packed hint shows its wide part, any other text is
  // taken in the system code page.
  void ActivateHint(const TRect& Rect, const AnsiString& AHint) override;
  TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;

  void WndProc(TMessage& Message) override;

  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  const WideString& WideCaption() const { return FWideCaption; }
  // Tells the window (CM_TEXTCHANGED), which then fits itself to the text.
  void SetWideCaption(const WideString& Value);
  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool Value);
  TVsHTMLRender* Render() const { return FRender.get(); }

  TVsHTMLLinkClickEvent OnLinkClick;
  TVsHTMLImageNeededEvent OnImageNeeded;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  virtual void DoLinkClick(const WideString& HRef);
  virtual void DoImageNeeded(TObject* Sender, const WideString& Src, TBitmap*& Image);

private:
  // Sets the activating flag until the scope ends.
  using TActivatingScope = std::unique_ptr<bool, void (*)(bool*)>;
  TActivatingScope BeginActivating();
  // The renderer's fonts and colours from the window's.
  void SetRenderDefaults();
  // Fits the window to the text unless an activation is under way.
  void FitToText();

  TOwned<TVsHTMLRender> FRender;
  bool FWordWrap = false;
  bool FIsHTML = false;
  WideString FWideCaption;
  bool FActivating = false;
};

// Registers TVsHintWindow with the class registry.
void InitializeVsHintWindow();
