// The two ways the theme table is served: bound to the platform's theme
// library, or redirected to the built-in engine with the system's style
// taken up at start, as the trainer runs. Api is the table the drawing
// oracles call directly: the platform's functions or the engine's wrappers.
#pragma once

#include "VsThemesGeneral.h"
#include "VsThemesMain.h"
#include "VsTools.h"
#include "VsUxTheme.h"

struct TThemeBinding {
  const char* Name;
  bool Engine;
  const TVsUxThemeApi& Api() const { return Engine ? VsThemeWrapperApi : VsUxThemeApi; }
};

inline const TThemeBinding ThemeBindings[] = {{"platform", false}, {"engine", true}};

// Leaves the table unbound and no style applied.
inline void UnbindThemes() {
  FinalizeVsThemesMain();
  UnbindUxTheme();
}

// Binds the table as Binding says; false when it could not be done.
inline bool BindThemes(const TThemeBinding& Binding) {
  UnbindThemes();
  if (!Binding.Engine) {
    BindUxTheme();
    return ThemesAvailable;
  }
  InitializeVsTools();
  InitializeVsThemesMain();
  return ThemesAvailable && CurrentTheme() != nullptr;
}
