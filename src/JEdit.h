// A one-line edit made from a memo (so that it can centre its text), which
// can be limited to digits.
#pragma once

#include "UniStdCtrls.h"

class TJEdit : public TUniCustomMemo {
public:
  explicit TJEdit(TComponent* AOwner);

  // Only the digits and backspace are typed in; text pasted through the
  // context menu or Shift+Insert is not filtered. A character beyond the
  // system code page arrives packed as 255 and is dropped too.
  bool NumericOnly() const { return FNumericOnly; }
  void SetNumericOnly(bool Value) { FNumericOnly = Value; }

protected:
  void KeyPress(char& Key) override;

private:
  bool FNumericOnly = false;
};

// Registers TJEdit and its published properties with the class registry.
void RegisterJEdit();
