// The hint action with a wide hint.
#pragma once

#include "ActnList.h"
#include "UniActnList.h"

// Start-up: registers TUniHintAction for layouts.
void InitializeUniStdActns();

class TUniHintAction : public THintAction, public IUniAction {
public:
  using THintAction::THintAction;

  WideString Hint() { return ActionHelper()->Hint(); }
  void SetHint(const WideString& Value) { ActionHelper()->SetHint(Value); }

  // From an action: its wide caption and hint. From a control: its wide
  // text and hint.
  void Assign(TPersistent* Source) override;
  TCustomActionHelper* ActionHelper() override { return FindActionHelper(this, true); }

protected:
  void DefineProperties(TFiler* Filer) override;
};
