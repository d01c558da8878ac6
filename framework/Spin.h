// The spin edit: an edit for a whole number with up and down buttons (the
// system's up-down control, inside the edit's window) and the Up and Down
// keys stepping the value.
#pragma once

#include "StdCtrls.h"

class TSpinEdit : public TCustomEdit {
public:
  explicit TSpinEdit(TComponent* AOwner);

  // The range of Value; with MinValue equal to MaxValue there is none.
  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value) { FMinValue = Value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { FMaxValue = Value; }
  // The text as a number (MinValue for a text that is none). Setting it
  // brings it into the range; leaving the control does the same to what
  // was typed.
  int Value() const;
  void SetValue(int Value);
  // One step of the buttons and keys.
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  // Off: nothing can be typed or pasted, the buttons and keys still step.
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  // A step up (Increment added) or down; nothing while ReadOnly.
  virtual void UpClick();
  virtual void DownClick();
  // Digits, signs and editing keys; with EditorEnabled off, no key that
  // changes the text.
  virtual bool IsValidChar(char Key) const;

private:
  // Value brought into the range.
  int CheckValue(Int64 Value) const;
  void Step(Int64 Delta);
  void PlaceButtons();

  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  bool FEditorEnabled = true;
  HWND FUpDown = nullptr;
};

// Unit start-up: registers the class for layouts.
void InitializeSpin();
