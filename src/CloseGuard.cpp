#include "CloseGuard.h"

TCloseAction TCloseGuard::CloseAction() {
  if (FReleased) return caNone;
  if (FDepth > 0) {
    FClosePending = true;
    return caNone;
  }
  // The framework releases the window on caFree.
  FReleased = true;
  return caFree;
}

void TCloseGuard::Release() {
  if (FReleased) return;
  FReleased = true;
  FForm.Release();
}

TCloseGuard::THold::~THold() {
  if (--FGuard.FDepth == 0 && FGuard.FClosePending) FGuard.Release();
}
