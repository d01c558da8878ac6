// Win32 calls of the Unicode layer, each taking the wide function on the NT
// family (IsUnicodePlatform) and the 8-bit one otherwise, with the text
// converted to and from the system code page. They return what the Win32
// function returns and raise nothing themselves.
#pragma once

#include "System.h"
#include "Win.h"

HANDLE CreateFileWOrA(const WideChar* FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* SecurityAttributes, DWORD CreationDisposition,
                      DWORD FlagsAndAttributes, HANDLE TemplateFile);
DWORD GetFileAttributesWOrA(const WideChar* FileName);
// Count -1: the text up to its 0.
int DrawTextWOrA(HDC DC, const WideChar* Text, int Count, RECT* Rect, UINT Format);
// The 8-bit path copies the converted name with its 0 when it is shorter than
// Size units, else exactly Size units without a 0.
DWORD GetModuleFileNameWOrA(HMODULE Module, WideChar* FileName, DWORD Size);
// Upper-cases the text in place and returns it. The 8-bit path maps each unit
// that the system code page holds and leaves the others alone.
WideChar* CharUpperWOrA(WideChar* Text);
// One unit upper-cased.
WideChar CharUpperWOrA(WideChar Ch);
DWORD CharUpperBuffWOrA(WideChar* Text, DWORD Length);
BOOL GetStringTypeExWOrA(LCID Locale, DWORD InfoType, const WideChar* Text, int Count,
                         WORD* CharType);
int LoadStringWOrA(HINSTANCE Instance, UINT ID, WideChar* Buffer, int BufferMax);

// Reads a string of a module's string table without the wide LoadString: the
// block of 16 counted UTF-16 strings that holds ID. Size 0 or less (or no
// buffer): the string's length. Otherwise up to Size - 1 units are copied and
// a 0 put behind them; the result is the units copied. A missing block, or
// an ID that names no block, gives 0.
int LoadStringFromResourceTable(HINSTANCE Instance, UINT ID, WideChar* Buffer, int Size);
