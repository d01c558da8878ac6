#include "UniStdActns.h"

#include "TypInfo.h"
#include "UniClasses.h"

void TUniHintAction::Assign(TPersistent* Source) {
  if (!AssignWideAction(this, Source)) THintAction::Assign(Source);
}

void TUniHintAction::DefineProperties(TFiler* Filer) {
  THintAction::DefineProperties(Filer);
  TUniWideStringPropertyFiler::DefineProperties(Filer, this);
}

void InitializeUniStdActns() {
  RegisterClass<TUniHintAction, THintAction>().WStr("Hint", &TUniHintAction::Hint, &TUniHintAction::SetHint);
}
