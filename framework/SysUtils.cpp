#include "SysUtils.h"

AnsiString Exception::ClassName() const { return TypeName(typeid(*this)); }
