// Window messages as the framework passes them to controls and objects.
#pragma once

#include "System.h"
#include "Win.h"

// One message: its number, parameters and the result the handler sets.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = TMethodPtr<void(TMessage& Message)>;
