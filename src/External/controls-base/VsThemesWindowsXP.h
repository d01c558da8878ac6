// Reading a visual-style file: a data-only module whose resources hold the
// master ini ("TEXTFILE" "THEMES_INI"), the colour-scheme, scheme-file and
// size name lists (id 1 of "COLORNAMES", "FILERESNAMES", "SIZENAMES") and
// one scheme ini per colour and size.
//
// Style files come from outside the program, so every resource is checked
// against the mapped file before a byte of it is read.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "System.h"
#include "VsIni.h"
#include "Win.h"

// Errors of the style-file reader.
FRAMEWORK_EXCEPTION(EWindowsXPThemeError, Exception)

// Opens FileName as a data-only module; EWindowsXPThemeError "Invalid theme
// file name [%s]" when it does not open. Free it with FreeLibrary.
HMODULE OpenVisualStyleFile(const WideString& FileName);

// The bytes of resource Name of Type. A missing resource raises
// EResNotFound; one whose data does not lie wholly inside the mapped file
// raises EWindowsXPThemeError "Damaged visual style file".
AnsiString ReadStyleResource(HMODULE Module, LPCWSTR Type, LPCWSTR Name);

// The strings of the name list Type (id 1): UTF-16 strings each ended by a
// zero unit, up to the first empty one. A list without its end stops at the
// resource's end; an odd last byte is dropped.
std::vector<WideString> ReadStyleNames(HMODULE Module, LPCWSTR Type);

// Loads the UTF-16 text resource "TEXTFILE" Name, converted to the system
// code page, into Ini (emptied first) as text, with the blanks around names
// and values trimmed: the files write "Name = Value".
void ReadStyleIni(HMODULE Module, LPCWSTR Name, TVsIniFile& Ini);
