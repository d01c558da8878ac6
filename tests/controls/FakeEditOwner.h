// An edit owner without a window for the text model's tests and benchmark:
// fixed-advance measuring unless given another measurer, caret, anchor and
// selection as plain fields.
#pragma once

#include <string>

#include "VsEdits.h"

class TFakeEditOwner : public TVsEditOwner {
public:
  // Each character Advance pixels wide; the text area Width pixels wide.
  explicit TFakeEditOwner(int Width = 1000, int Advance = 10) : FWidth(Width), FMeasurer(Advance) {}

  bool Multiline() const override { return FMultiline; }
  bool WordWrap() const override { return FWordWrap; }
  bool RightAlignedText() const override { return FRightAligned; }
  bool RightAlignedView() const override { return false; }
  int TabSpaces() const override { return FTabSpaces; }
  WideChar PasswordChar() const override { return FPasswordChar; }
  RECT EditRect() const override { return RECT{0, 0, FWidth, 100}; }
  int LeftMargin() const override { return 0; }
  int RightMargin() const override { return 0; }
  TVsTextMeasurer* Measurer() override {
    if (!FWindow) return nullptr;
    return FOtherMeasurer ? FOtherMeasurer : &FMeasurer;
  }

  TVsCaretPoint Caret() const override { return FCaret; }
  void SetCaret(const TVsCaretPoint& P) override { FCaret = P; }
  TVsCaretPoint Anchor() const override { return FAnchor; }
  void SetAnchor(const TVsCaretPoint& P) override { FAnchor = P; }
  TVsCaretPoint SelStartPoint() const override { return FSelStart; }
  TVsCaretPoint SelEndPoint() const override { return FSelEnd; }
  void SetSelection(const TVsCaretPoint& Start, const TVsCaretPoint& End) override {
    FSelStart = Start;
    FSelEnd = End;
  }
  void ResetView() override { ++FViewResets; }

  TVsActionList& UndoList() override { return FUndo; }
  void UpdateScrollBars() override {}
  void InvalidateText() override {}
  void TextChanged() override { ++FTextChanges; }
  void Change() override {}
  bool NotifyUserChangeOnly() const override { return false; }

  // Caret, anchor and selection onto linear indexes A..B (caret at B).
  void Select(TVsEditStrings& L, int A, int B) {
    FAnchor = FSelStart = L.IndexToCaret(A);
    FCaret = FSelEnd = L.IndexToCaret(B);
  }
  void PlaceCaret(TVsEditStrings& L, int Index) { Select(L, Index, Index); }

  bool FMultiline = true;
  bool FWordWrap = false;
  bool FRightAligned = false;
  bool FWindow = true;
  int FTabSpaces = 4;
  WideChar FPasswordChar = 0;
  int FWidth;
  TVsFixedMeasurer FMeasurer;
  TVsTextMeasurer* FOtherMeasurer = nullptr;
  TVsCaretPoint FCaret, FAnchor, FSelStart, FSelEnd;
  int FViewResets = 0;
  int FTextChanges = 0;
  TVsActionList FUndo;
};

// The visual lines of a model, in order.
inline std::vector<WideString> VisualLines(const TVsEditStrings& L) {
  std::vector<WideString> R;
  for (int I = 0; I < L.VisualLineCount(); ++I) R.push_back(L.GetVisualLine(I));
  return R;
}
