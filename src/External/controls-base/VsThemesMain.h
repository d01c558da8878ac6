// Applying a loaded style: the theme-API table is pointed at the engine's
// wrappers, the system colours are answered from the style, and every window
// of the thread is told. At start-up the engine takes up the style the system
// runs; once the system's theme changes it leaves drawing to the system
// library for good.
#pragma once

#include "Messages.h"
#include "System.h"
#include "VsThemesGeneral.h"
#include "Win.h"

// Sent to every window (and child) when a style is applied or removed or the
// system's theme changes; themed controls reopen their theme handles on it.
constexpr UINT VS_THEMECHANGED = 0xB528;

// A manager loaded from FileName; nil when the file does not load.
TOwned<TThemeManager> LoadTheme(LPCWSTR FileName);
// The manager the table serves from; nil when none is applied.
TThemeManager* CurrentTheme();

// Makes Manager current with colour scheme SchemeName (nil: the first).
// With no style applied before, the table is redirected to the engine and
// the system colours are hooked; a manager applied before is freed. Then
// the four theme-change messages go to every window of the thread. A
// manager that becomes current is the engine's from then on (the caller
// releases it; UnloadTheme or RemoveTheme and the end free it); on failure
// the caller keeps it and nothing changes.
HRESULT ApplyTheme(TThemeManager* Manager, LPCWSTR SchemeName);
// Takes the applied style away: the system colours and every table entry
// that was set before come back (an entry that was nil stays the engine's
// wrapper), the manager is deactivated and the windows are told. The
// engine's own themes still open in controls are freed when they close
// them. On Windows XP and later the system's style is taken up again unless
// a theme change has dropped it.
void RemoveTheme();
// Frees Manager, removing it first when it is the applied one. 0 for nil,
// E_FAIL when anything raised.
HRESULT UnloadTheme(TThemeManager* Manager);
// Applies the style the system runs with its colour scheme, unless one was
// taken up already or the system runs none. Nothing changes when it fails.
void LoadSystemTheme();
// Removes and frees the system's style for good: it is not taken up again.
void DropSystemTheme();
// Sends Msg to every top-level window of the calling thread and to all
// their children, each before its own children.
void BroadcastThreadMessage(UINT Msg, WPARAM WParam, LPARAM LParam);

// The replacements of user32's GetSysColor and GetSysColorBrush while a
// style is applied: indexes 0..30 from the style's system colours, except
// those the style does not define (and COLOR_BTNALTFACE, 25), which keep the
// values they had before the hooks; other indexes give 0.
extern "C" DWORD WINAPI ThemedGetSysColor(int Index) noexcept;
extern "C" HBRUSH WINAPI ThemedGetSysColorBrush(int Index) noexcept;

// The hidden window that follows the system's theme changes: a change drops
// the system's style (the table then serves the system library) and tells
// every window.
class TVsThemeWatcher : public TObject {
public:
  TVsThemeWatcher();
  ~TVsThemeWatcher() override;

  HWND Handle() const { return FHandle; }

private:
  void WndProc(TMessage& Message);

  HWND FHandle;
};

// The watcher while the unit runs; nil otherwise.
TVsThemeWatcher* ThemeWatcher();

// Start: binds the table, makes the watcher and, on Windows XP and later,
// takes up the system's style. End: drops it, frees the watcher and unbinds
// the table.
void InitializeVsThemesMain();
void FinalizeVsThemesMain();
