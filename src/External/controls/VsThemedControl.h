// The base of the windowed themed controls: it owns the control's theme
// handle (opened for the class name the subclass gives, closed with the
// window, reopened when the visual style changes), paints the framework's
// bevel and border through the theme table, and links the control to a
// style manager.
#pragma once

#include <memory>

#include "Controls.h"
#include "VsStyleMgr.h"
#include "VsThemesMain.h"
#include "Win.h"

#include <uxtheme.h>

// Asks a control for its theme handle (0 without one).
constexpr UINT VS_GETTHEMEHANDLE = 0x0D5E;
// VS_THEMECHANGED (VsThemesMain.h) reopens the theme handle; answered with 1.

class TVsXPThemedControl : public TCustomControl {
public:
  explicit TVsXPThemedControl(TComponent* AOwner);
  ~TVsXPThemedControl() override;

  bool UseXPThemes() const { return FUseXPThemes; }
  virtual void SetUseXPThemes(bool Value);
  // Themes are on and a theme handle is open.
  bool IsThemeApplied() const { return FUseXPThemes && FTheme != nullptr; }
  HTHEME Theme() const { return FTheme; }

  TVsStyleManager* StyleManager() const { return FStyleManager; }
  virtual void SetStyleManager(TVsStyleManager* Value);
  const AnsiString& StyleName() const { return FStyleName; }
  virtual void SetStyleName(const AnsiString& Value);

  void WndProc(TMessage& Message) override;

protected:
  // The window class whose theme the control draws with ("EDIT").
  virtual WideString GetThemedClassName() const = 0;
  virtual void FreeThemeHandle();
  virtual void CreateThemeHandle();
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Applies the control's style from its manager with redrawing held off.
  void UpdateStyle();
  void StyleMgrChanged(TObject* Sender);
  // The themed bevel and border in the non-client area (only with a bevel
  // or a border width). The edit and the list box paint their own
  // non-client area first and call this after.
  void PaintThemedBevel();

private:
  bool FUseXPThemes = true;
  HTHEME FTheme = nullptr;
  std::unique_ptr<TVsStyleMgrChangeLink> FStyleLink;
  TVsStyleManager* FStyleManager = nullptr;
  AnsiString FStyleName;
};

// The bevel flags of DrawThemeEdge for a control's bevel settings.
UINT ThemedBevelEdge(TBevelCut Inner, TBevelCut Outer);
UINT ThemedBevelFlags(TBevelKind Kind, TBevelEdges Edges, bool Ctl3D);

void InitializeVsThemedControl();
