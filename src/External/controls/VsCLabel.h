// The label base with a UTF-16 caption and hint, and the packed hint: the
// way a wide hint travels inside the framework's 8-bit Hint.
//
// Packed hint (n = length of the 8-bit text, m = UTF-16 units of the wide
// text): the 8-bit text, 0x00, the wide text as UTF-16LE, 0x00 0x00, 0xFE
// 0xFF; n + 2m + 5 bytes in all. A reader that knows nothing of it sees the
// 8-bit text up to the zero byte. This unit is the one place that builds and
// reads the layout; the edit and the list box use these two routines.
#pragma once

#include <memory>

#include "StdCtrls.h"
#include "System.h"
#include "VsStyleMgr.h"

// Packs Wide with Ansi as its 8-bit part. Ansi is cut at its first zero byte
// (a reader finds the 8-bit part by that byte).
AnsiString PackWideHint(const AnsiString& Ansi, const WideString& Wide);
// Packs Wide with its conversion to the system code page as the 8-bit part.
AnsiString PackWideHint(const WideString& Wide);

// Reads a packed hint: true, with its wide part in Wide (and its 8-bit part
// in *Ansi when given), only for the exact layout; anything else (a plain
// 8-bit hint, a cut or padded string) gives false and leaves both alone.
bool UnpackWideHint(const AnsiString& Packed, WideString& Wide, AnsiString* Ansi = nullptr);

// A control's answer to CM_HINTSHOW: the text about to be shown becomes the
// packed wide hint (Hint is the control's 8-bit hint holding its packed
// form): the short wide hint when the text shown is the short form of Hint,
// else the whole wide hint; an empty wide hint clears the text.
struct THintInfo;
void PackHintInfo(THintInfo& Info, const AnsiString& Hint, const WideString& WideHint);

// A windowless label with a UTF-16 caption and hint. The framework's 8-bit
// caption follows the wide one (in the system code page) and the 8-bit hint
// holds the packed hint.
class TCustomVsLabel : public TCustomLabel {
public:
  explicit TCustomVsLabel(TComponent* AOwner);
  ~TCustomVsLabel() override;

  bool UseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool Value);
  const WideString& Caption() const { return FCaption; }
  void SetCaption(const WideString& Value);
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& Value);
  TVsStyleManager* StyleManager() const { return FStyleManager; }
  void SetStyleManager(TVsStyleManager* Value);
  const AnsiString& StyleName() const { return FStyleName; }
  void SetStyleName(const AnsiString& Value);

  void WndProc(TMessage& Message) override;

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Applies the label's style with the parent's redrawing held off.
  void UpdateStyle();
  void StyleMgrChanged(TObject* Sender);

private:
  void CMHintShow(TMessage& Message);

  bool FUseXPThemes = true;
  WideString FHint;
  WideString FCaption;
  TVsStyleManager* FStyleManager = nullptr;
  AnsiString FStyleName;
  std::unique_ptr<TVsStyleMgrChangeLink> FStyleLink;
};

void InitializeVsCLabel();
