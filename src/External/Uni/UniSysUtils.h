// The bottom of the Unicode layer: its exceptions, the platform flags,
// routines on 0-terminated wide buffers and on wide strings, wide file names,
// and conversion by code page.
#pragma once

#include "SysUtils.h"
#include "System.h"
#include "Win.h"

// Bad input, such as text that is not valid UTF-7.
FRAMEWORK_EXCEPTION(EUniGeneralError, Exception)
// A state that must not occur, such as a codec running out of output room.
FRAMEWORK_EXCEPTION(EUniInternalError, Exception)

// The system is of the NT family: the wrappers of UniWindows.h call the wide
// Win32 functions. When clear they take the 8-bit path in the system code page.
extern bool IsUnicodePlatform;
// Windows XP (5.1) or later.
extern bool IsXPOrLater;

// Sets IsUnicodePlatform and IsXPOrLater from the system version (nothing
// to undo at shut-down).
void InitializeUniSysUtils();

// ---------------------------------------------------------------------------
// 0-terminated wide buffers; lengths in UTF-16 units.

WideChar* UniStrEnd(const WideChar* Str);
Cardinal UniStrLen(const WideChar* Str);
// Copies up to MaxLen units, stops at a 0 and always writes the 0.
WideChar* UniStrLCopy(WideChar* Dest, const WideChar* Source, Cardinal MaxLen);
WideChar* UniStrCopy(WideChar* Dest, const WideChar* Source);
// The first Chr in Str; the terminating 0 counts as an occurrence of 0.
// nullptr when there is none.
WideChar* UniStrScan(const WideChar* Str, WideChar Chr);
// Moves Count units; the two ranges may overlap.
WideChar* UniStrMove(WideChar* Dest, const WideChar* Source, Cardinal Count);
// A buffer of Size units, released with UniStrDispose. A 32-bit word before
// the first unit holds the whole block's size in bytes (units * 2 + 4).
WideChar* UniStrAlloc(Cardinal Size);
// nullptr for nullptr, else a UniStrAlloc copy of Str with its 0.
WideChar* UniStrNew(const WideChar* Str);
void UniStrDispose(WideChar* Str);

// Owner of a UniStrAlloc buffer.
struct TUniStrDeleter {
  void operator()(WideChar* Str) const { UniStrDispose(Str); }
};
using TUniStrPtr = std::unique_ptr<WideChar, TUniStrDeleter>;

// ---------------------------------------------------------------------------
// Wide strings

namespace UniSysUtils {
// A copy of S upper-cased through CharUpperBuffWOrA (the framework's own
// WideUpperCase always takes the wide call, hence the unit's name here).
WideString WideUpperCase(const WideString& S);
}  // namespace UniSysUtils

// The last unit of S; 0 when S is empty.
WideChar WideLastChar(const WideString& S);
// 0, or a unit of the thread locale's space or punctuation type.
bool IsWideWordBoundary(WideChar Ch);
// The unit's CT_CTYPE1 type in the thread locale has C1_SPACE / C1_PUNCT.
// A failing type query raises the system error.
bool IsWideCharSpace(WideChar Ch);
bool IsWideCharPunct(WideChar Ch);
// WideCharToMultiByte in DefaultSystemCodePage did not need the default
// character. Best-fit mappings count as mappable.
bool IsWideCharMappableToAnsi(WideChar Ch);

// Flags of WideStringReplace.
constexpr Integer wrfReplaceAll = 1;
constexpr Integer wrfIgnoreCase = 2;
// Replaces the first (or with wrfReplaceAll every) OldPattern in S by
// NewPattern. WholeWord takes only matches with a word boundary on either
// side. wrfIgnoreCase compares upper-cased copies; the text that is kept
// keeps its case. An empty OldPattern matches nothing: S comes back as it is.
WideString WideStringReplace(const WideString& S, const WideString& OldPattern,
                             const WideString& NewPattern, bool WholeWord, Integer Flags);

// Line-break styles: LF, CR LF, CR.
enum TTextLineBreakStyle { tlbsLF = 0, tlbsCRLF = 1, tlbsCR = 2 };
// Every line break (CR LF, CR, LF or U+2028) becomes the style's break.
WideString WideAdjustLineBreaks(const WideString& S, TTextLineBreakStyle Style = tlbsCRLF);
// The length WideAdjustLineBreaks will give.
Integer WideAdjustLineBreaksLength(const WideString& S, TTextLineBreakStyle Style = tlbsCRLF);

// The 1-based index of the last unit of S found in Delimiters (a 0 in S
// never matches); 0 when there is none.
Integer WideLastDelimiter(const WideString& Delimiters, const WideString& S);
// The part of FileName behind the last "\" or ":".
WideString WideExtractFileName(const WideString& FileName);

// ---------------------------------------------------------------------------
// Files by wide name

// Creates (or empties) the file for reading and writing, unshared.
// INVALID_HANDLE_VALUE on failure.
HANDLE WideFileCreate(const WideString& FileName);
// Opens an existing file. Mode: an access (fmOpenRead, fmOpenWrite,
// fmOpenReadWrite) or-ed with a share mode (fmShareCompat .. fmShareDenyNone,
// Streams.h). Any other access or share value fails with
// ERROR_INVALID_PARAMETER.
HANDLE WideFileOpen(const WideString& FileName, Cardinal Mode);
DWORD WideFileGetAttr(const WideString& FileName);
// Exists and is not a folder.
bool WideFileExists(const WideString& FileName);
// The full name of the module's file; a failure raises the system error.
WideString WideGetModuleFileName(HINSTANCE Module);

// ---------------------------------------------------------------------------
// Code pages

// The default ANSI code page of a locale; GetACP when the locale has none.
Cardinal LocaleAnsiCodePage(LCID Locale);
// The code page of the current keyboard layout's language.
Cardinal KeyboardCodePage();
// A key's character code as UTF-16: codes from 256 up are UTF-16 already,
// lower ones are bytes in the keyboard's code page.
WideChar KeyCharToWide(Word CharCode);
// Swaps the two bytes of every unit up to the first 0 unit.
void WideSwapByteOrder(WideChar* Str);

// 8-bit text in CodePage as UTF-16, and back. 65000 is UTF-7 and 65001 UTF-8
// (the codecs of UniSystem.h); other code pages go through the system.
WideString CodePageToWide(const AnsiString& S, Cardinal CodePage);
AnsiString WideToCodePage(const WideString& S, Cardinal CodePage);
