// The effects label: a wide-text label that paints off-screen and can draw
// its text embossed, recessed, outlined, with a drop shadow or extruded, and
// takes a themed parent's background.
#pragma once

#include "Graphics.h"
#include "VsCLabel.h"

enum TVsLabelEffectStyle { lesNone, lesShadow, lesExtrude };
enum TVsLabelExtrudePosition {
  lepLeft, lepLeftTop, lepTop, lepRightTop, lepRight, lepRightBottom, lepBottom, lepLeftBottom
};
enum TVsLabelTextStyle { ltsNormal, ltsEmbossed, ltsRecessed, ltsOutlined };

class TVsLabel : public TCustomVsLabel {
public:
  explicit TVsLabel(TComponent* AOwner);

  TColor DarkColor() const { return FDarkColor; }
  void SetDarkColor(TColor Value);
  int Depth() const { return FDepth; }
  void SetDepth(int Value);
  TColor DisabledDarkColor() const { return FDisabledDarkColor; }
  void SetDisabledDarkColor(TColor Value);
  TColor DisabledLightColor() const { return FDisabledLightColor; }
  void SetDisabledLightColor(TColor Value);
  TVsLabelEffectStyle Effect() const { return FEffect; }
  void SetEffect(TVsLabelEffectStyle Value);
  TVsLabelExtrudePosition ExtrudePosition() const { return FExtrudePosition; }
  void SetExtrudePosition(TVsLabelExtrudePosition Value);
  TColor FarColor() const { return FFarColor; }
  void SetFarColor(TColor Value);
  TColor LightColor() const { return FLightColor; }
  void SetLightColor(TColor Value);
  TColor NearColor() const { return FNearColor; }
  void SetNearColor(TColor Value);
  TColor OutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor Value);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value);
  bool Striated() const { return FStriated; }
  void SetStriated(bool Value);
  TVsLabelTextStyle Style() const { return FStyle; }
  void SetStyle(TVsLabelTextStyle Value);
  int XOffset() const { return FXOffset; }
  void SetXOffset(int Value);
  int YOffset() const { return FYOffset; }
  void SetYOffset(int Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);

  void SetName(const AnsiString& NewName) override;
  void SetAutoSize(bool Value) override;

  // The colour of extrusion copy D of Depth, from NearColor to FarColor.
  TColor ExtrudeColor(int D) const;

protected:
  void Paint() override;
  void AdjustBounds() override;
  void DoDrawText(TRect& Rect, int Flags) override;
  virtual void DrawDisabledText(TRect& Rect, UINT Flags);
  virtual void DrawEffect(TRect& Rect, UINT Flags);
  virtual void DrawLabelText(TRect& Rect, UINT Flags);
  // The parent window draws with a theme (our own themed controls answer
  // VS_GETTHEMEHANDLE, others are asked through the theme table).
  bool ParentHasTheme() const;

private:
  // The canvas text goes to: the label's own while measuring, else the
  // off-screen bitmap's.
  TCanvas* TextCanvas(UINT Flags) const;
  WideString TextToDraw(UINT Flags) const;
  // Draws (or measures) Text into R in Color; R as the routine leaves it.
  // Platform: the system's DrawTextW instead of our own.
  TRect Output(const WideString& Text, TRect R, UINT Flags, TColor Color, bool Platform = false);
  void RepaintFor(bool Affected);
  void ResizeFor(bool Affected);

  TColor FDarkColor = clBtnShadow;
  int FDepth = 10;
  TColor FDisabledDarkColor = clBtnShadow;
  TColor FDisabledLightColor = clBtnHighlight;
  TVsLabelEffectStyle FEffect = lesNone;
  TVsLabelExtrudePosition FExtrudePosition = lepRightBottom;
  TColor FFarColor = 0;
  TColor FLightColor = clBtnHighlight;
  TColor FNearColor = 0;
  TColor FOutlineColor = 0xFFFFFF;
  TColor FShadowColor = clBtnShadow;
  bool FStriated = false;
  TVsLabelTextStyle FStyle = ltsNormal;
  int FXOffset = 2;
  int FYOffset = 2;
  bool FEndEllipsis = false;
  TBitmap* FBitmap = nullptr;  // only during Paint
};

void InitializeVsLabel();
