// Small tools of the control foundation: byte order, rectangles, integer
// helpers, length-prefixed strings on streams, float text independent of the
// locale, paths and temporary names, the keyboard state, and the Windows
// version flags.
#pragma once

#include "Controls.h"
#include "Graphics.h"
#include "Streams.h"
#include "System.h"
#include "Win.h"

// The four bytes of X in reverse order.
Cardinal SwapInt32(Cardinal X);
// A W1 x H1 box centred in a W2 x H2 area; Right and Bottom are inclusive.
void CenterRect(int W1, int W2, int H1, int H2, TRect& R);

int VsSign(int X);
bool VsInRange(int Low, int High, int X);
int VsMax(int A, int B);
int VsMin(int A, int B);

// The length as a signed 32-bit little-endian integer, then the bytes. False
// when the stream raised.
bool WriteStringToStream(TStream* Stream, const AnsiString& S);
// The reverse. False, with S and the stream's position unchanged, when the
// header is damaged (negative, or more bytes than the stream has left) or
// the stream raised.
bool ReadStringFromStream(TStream* Stream, AnsiString& S);
// S, then CR LF unless S already ends with it.
void WriteTextLine(TStream* Stream, const AnsiString& S);

// Float text with "." whatever the locale's decimal separator. Code is 0 on
// success, 1 when S is not a number (Value then undefined).
void DotStrToFloat(const AnsiString& S, double& Value, int& Code);
AnsiString FloatToDotStr(double X);

// Path with "\" appended unless it is empty or already ends in "\" or "/".
AnsiString AddTrailingBackslash(const AnsiString& Path);
// Folder (the system temporary folder when empty) plus the 36 characters of a
// new GUID, lower-cased, with no extension.
AnsiString MakeTempFileName(const AnsiString& Folder);

// Shift, Alt and Ctrl as they are down now.
TShiftState GetShiftStateNow();

// ---------------------------------------------------------------------------
// Windows version flags, set by InitializeVsTools before any control exists.

extern bool IsWinNT;      // the NT platform
extern bool IsWinNTUp;    // IsWinNT or IsWin2000Up
extern bool IsWin2000;    // NT, major version 5 or later
extern bool IsWinXP;      // NT 5.1
extern bool IsWin2000Up;  // IsWin2000 or IsWinXP
extern bool IsWinXPUp;    // NT, major 5 or later and minor 1 or later
extern bool IsWin98;      // the Windows 9x platform, minor version above 0
extern bool IsWin98Up;    // IsWin98

// Sets the flags from GetVersionExA.
void InitializeVsTools();
// Sets the flags for the given platform id and version.
void SetVersionFlags(DWORD PlatformId, DWORD Major, DWORD Minor);
