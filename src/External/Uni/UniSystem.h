// The Unicode layer's system routines: the default code page, resource
// strings and command-line parameters as UTF-16, and the UTF-7 codec. UTF-8
// is the framework's own conversion (WideToUTF8 and UTF8ToWide, System.h).
#pragma once

#include "System.h"
#include "Win.h"

// The code page that 8-bit text of the layer is in: CP_THREAD_ACP on the NT
// family from Windows 2000 on, else the thread locale's ANSI code page.
extern Cardinal DefaultSystemCodePage;

// Sets DefaultSystemCodePage and keeps its value; Finalize writes it back.
void InitializeUniSystem();
void FinalizeUniSystem();

// A resource string: a string-table identifier (below 0x10000) in Module, or
// the address of a 0-terminated 8-bit string that the program itself holds.
struct TResStringRec {
  HINSTANCE Module;
  UINT_PTR Identifier;
};

// The string as UTF-16; "" for nullptr. A string-table entry may hold up to
// 4096 units. An 8-bit string that starts with EF BB BF and has more behind
// it is UTF-8; any other is in the system code page.
WideString WideLoadResString(const TResStringRec* ResStringRec);

// Command-line parameter Index (0: the executable's full name). Parameters are
// separated by blanks and control characters; double quotes group and are
// removed; a pair "" between parameters is skipped. "" for an index beyond
// the last parameter.
WideString WideParamStr(Integer Index);

// UTF-7 (RFC 2152). The encoder writes the optionally direct characters
// directly and closes a base64 run with "-" only where the next character
// would otherwise be read as part of it. The decoder is strict: malformed
// input raises EUniGeneralError "Invalid UTF7" and returns nothing.
AnsiString WideToUTF7(const WideString& S);
WideString UTF7ToWide(const AnsiString& S);
