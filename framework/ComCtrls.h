// Common controls: the tool bar with its buttons, the hot-key control and
// the rich edit.
//
// The tool bar is the system's ToolbarWindow32; its buttons are windowless
// controls that stand for the window's buttons (the window draws and
// presses them, the controls keep their properties, bounds and hints, so
// the application's hint machinery shows a button's Hint). The hot-key
// control is msctls_hotkey32, the rich edit RichEdit20A of riched20.dll.
//
// Start-up: InitializeComCtrls() registers the classes for layouts and the
// common control classes with the system; FinalizeComCtrls() (after the
// forms are gone) releases riched20.dll unless a rich edit window is left.
#pragma once

#include <vector>

#include "Controls.h"
#include "ImgList.h"
#include "Lists.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "Win.h"

class TToolBar;

// ---------------------------------------------------------------------------
// Tool bar

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TControl {
public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;

  // The image of the tool bar's Images shown (-1: none).
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // Separators and dividers are gaps of the button's Width that take no
  // clicks.
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  // A check button's state (the user's click toggles it). Of neighbouring
  // Grouped check buttons only one is down.
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool Value);
  // The next button starts a new row.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool Value);
  // The menu a drop-down button's arrow opens.
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  // An action the button shows (caption, hint, enabled, visible, checked as
  // Down) and runs when clicked without an OnClick of its own.
  TAction* Action() const;
  void SetAction(TAction* Value);

  TToolBar* ToolBar() const;
  // The place among the tool bar's buttons (-1 on none).
  int Index() const;
  bool IsSeparator() const { return FStyle == tbsSeparator || FStyle == tbsDivider; }

  // A width set from outside is a separator's width; the tool bar places
  // the button where its window shows it.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // Fires OnClick (or runs the action); nothing for separators.
  void Click() override;
  void WndProc(TMessage& Message) override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TToolBar;
  void Changed();
  void ActionChanged(TObject* Sender);

  int FImageIndex = -1;
  TToolButtonStyle FStyle = tbsButton;
  bool FDown = false;
  bool FGrouped = false;
  bool FWrap = false;
  int FSeparatorWidth = 8;
  TPopupMenu* FDropdownMenu = nullptr;
  TOwned<TActionLink> FActionLink;
  // The window's id of the button.
  Word FCommand = 0;
  // Set while the tool bar moves the button to its place.
  bool FPlacing = false;
};

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
enum TEdgeStyle { esNone, esRaised, esLowered };

class TToolBar : public TWinControl {
public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  // The buttons in the order they were put on the tool bar.
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TToolButton* Buttons(int Index) const;

  // The button images (ImageIndex); cleared when the list goes.
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int Value);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int Value);
  // Buttons without a frame until the mouse is over them.
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // Buttons that do not fit go to a new row.
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool Value);
  // The buttons' captions show under their images.
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  // Edges drawn around the tool bar, and their look.
  TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
  void SetEdgeBorders(TEdgeBorders Value);
  TEdgeStyle EdgeInner() const { return FEdgeInner; }
  void SetEdgeInner(TEdgeStyle Value);
  TEdgeStyle EdgeOuter() const { return FEdgeOuter; }
  void SetEdgeOuter(TEdgeStyle Value);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Places the buttons where the window shows them.
  void AlignControls(TControl* AControl, TRect& Rect) override;
  // AutoSize: the height of the rows of buttons.
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TToolButton;
  void ButtonInserted(TToolButton* Button);
  void ButtonRemoved(TToolButton* Button);
  // Shows the button's current properties in the window.
  void UpdateButton(TToolButton* Button);
  void InsertWindowButton(TToolButton* Button, int Index);
  void ApplyImages();
  void UpdateEdges();
  void ButtonsMoved();
  void ReadDownStates();
  void PressGroup(TToolButton* Button);
  void ImageListChange(TObject* Sender);
  void CNCommand(TMessage& Message);
  void CNNotify(TMessage& Message);
  TToolButton* ButtonOfCommand(int Command) const;
  TToolButton* ButtonAt(int X, int Y) const;
  bool Ready() const;

  std::vector<TToolButton*> FButtons;
  Word FNextCommand = 1;
  TCustomImageList* FImages = nullptr;
  TOwned<TChangeLink> FImageChangeLink;
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  bool FFlat = false;
  bool FWrapable = true;
  bool FShowCaptions = false;
  TEdgeBorders FEdgeBorders{ebTop};
  TEdgeStyle FEdgeInner = esRaised;
  TEdgeStyle FEdgeOuter = esLowered;
};

// ---------------------------------------------------------------------------
// Hot-key control

enum THKModifier { hkShift, hkCtrl, hkAlt, hkExt };
using THKModifiers = TSet<THKModifier>;
// Combinations of shift keys the control refuses (it puts Modifiers in
// their place).
enum THKInvalidKey { hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt };
using THKInvalidKeys = TSet<THKInvalidKey>;

class THotKey : public TWinControl {
public:
  explicit THotKey(TComponent* AOwner);

  // The key shown, as a shortcut (the control's extended-key flag is left
  // out). Setting it fires no OnChange.
  TShortCut HotKey() const;
  void SetHotKey(TShortCut Value);
  // The shift keys put in place of a refused combination.
  THKModifiers Modifiers() const { return FModifiers; }
  void SetModifiers(THKModifiers Value);
  THKInvalidKeys InvalidKeys() const { return FInvalidKeys; }
  void SetInvalidKeys(THKInvalidKeys Value);

  void WndProc(TMessage& Message) override;

  // The user changed the key.
  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();

private:
  void ApplyRules();

  TShortCut FHotKey = scAlt | 'A';
  THKModifiers FModifiers{hkAlt};
  THKInvalidKeys FInvalidKeys{hcNone, hcShift};
};

// ---------------------------------------------------------------------------
// Rich edit

class TCustomRichEdit : public TWinControl {
public:
  explicit TCustomRichEdit(TComponent* AOwner);
  ~TCustomRichEdit() override;

  // The paragraphs of the text. Setting the text (Text, LoadFromStream...)
  // reads rich text (RTF, starting "{\rtf") unless PlainText; anything else
  // is plain text. Kept, formatting included, when the window is made
  // again; rich text given before the window exists makes the window once
  // the lines are read.
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool Value) { FPlainText = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The selection in characters (a paragraph break counts one); these make
  // the window when there is none.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  void Clear();

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

private:
  friend class TRichEditStrings;
  // EM_STREAMIN of Data as SF_RTF or SF_TEXT; raises EReadError when the
  // control reports an error.
  void StreamIn(const AnsiString& Data, bool Rtf);
  AnsiString StreamOut();
  void ApplyColors();

  TOwned<TStrings> FLines;
  bool FPlainText = false;
  bool FReadOnly = false;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  TBorderStyle FBorderStyle = bsSingle;
  // The content while there is no window.
  AnsiString FStored;
  bool FStoredRtf = false;
};

class TRichEdit : public TCustomRichEdit {
public:
  using TCustomRichEdit::TCustomRichEdit;
};

// ---------------------------------------------------------------------------
// Unit start-up and shut-down

void InitializeComCtrls();
void FinalizeComCtrls();
