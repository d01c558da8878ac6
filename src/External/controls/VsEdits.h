// The text model of the themed edit and memo: paragraphs (hard lines) each
// broken into visual lines by word wrap, the measuring and wrapping rules,
// the mappings between caret points, paragraph positions and linear
// indexes, the editing primitives and the undo list.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "Classes.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "System.h"
#include "VsFrameworkUtils.h"
#include "VsImageForm.h"
#include "VsList.h"
#include "VsSBController.h"
#include "VsStack.h"
#include "VsThemedControl.h"
#include "VsUnicodeStrings.h"

// Raised with "List index outbound (%d)" (a visual line index).
FRAMEWORK_EXCEPTION(EVsEditorError, Exception)

// Column and visual line, both from 0.
struct TVsCaretPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TVsCaretPoint&) const = default;
};

// Paragraph index and character offset inside the paragraph, both from 0.
struct TVsParagraphPos {
  int Paragraph = 0;
  int Offset = 0;
  auto operator<=>(const TVsParagraphPos&) const = default;
};

// Measures text in one font.
class TVsTextMeasurer {
public:
  virtual ~TVsTextMeasurer() = default;
  virtual SIZE Extent(const WideString& S) = 0;
  // How many leading characters fit into MaxWidth together.
  virtual int FitCount(const WideString& S, int MaxWidth) = 0;
  // The width of each prefix: Result[i] is the width of the first i + 1.
  virtual std::vector<int> CharExtents(const WideString& S) = 0;
};

// Leading characters of S whose cumulative width does not exceed MaxWidth
// in the font selected into DC: with GetTextExtentExPointW when
// UseExtentEx, else by measuring ever longer prefixes.
int WideTextFit(HDC DC, const WideString& S, int MaxWidth, bool UseExtentEx);

// Measures with the font selected into a device context the caller owns.
class TVsGdiMeasurer : public TVsTextMeasurer {
public:
  // UseExtentEx chooses the NT path of WideTextFit.
  TVsGdiMeasurer(HDC DC, bool UseExtentEx) : FDC(DC), FUseExtentEx(UseExtentEx) {}
  SIZE Extent(const WideString& S) override;
  int FitCount(const WideString& S, int MaxWidth) override;
  std::vector<int> CharExtents(const WideString& S) override;

private:
  HDC FDC;
  bool FUseExtentEx;
};

// Every character is Advance pixels wide and Height high.
class TVsFixedMeasurer : public TVsTextMeasurer {
public:
  explicit TVsFixedMeasurer(int Advance, int Height = 16) : FAdvance(Advance), FHeight(Height) {}
  SIZE Extent(const WideString& S) override;
  int FitCount(const WideString& S, int MaxWidth) override;
  std::vector<int> CharExtents(const WideString& S) override;

private:
  int FAdvance;
  int FHeight;
};

// What an edit tells its text model and what the model changes in it.
class TVsActionList;
class TVsEditOwner {
public:
  virtual ~TVsEditOwner() = default;
  virtual bool Multiline() const = 0;
  virtual bool WordWrap() const = 0;
  virtual bool RightAlignedText() const = 0;
  virtual bool RightAlignedView() const = 0;
  virtual int TabSpaces() const = 0;
  // 0 when the text is shown as it is.
  virtual WideChar PasswordChar() const = 0;
  // The text area in client coordinates and the margins inside it.
  virtual RECT EditRect() const = 0;
  virtual int LeftMargin() const = 0;
  virtual int RightMargin() const = 0;
  // The measurer of the control's font; nullptr while there is no window.
  virtual TVsTextMeasurer* Measurer() = 0;

  virtual TVsCaretPoint Caret() const = 0;
  virtual void SetCaret(const TVsCaretPoint& P) = 0;
  virtual TVsCaretPoint Anchor() const = 0;
  virtual void SetAnchor(const TVsCaretPoint& P) = 0;
  virtual TVsCaretPoint SelStartPoint() const = 0;
  virtual TVsCaretPoint SelEndPoint() const = 0;
  virtual void SetSelection(const TVsCaretPoint& Start, const TVsCaretPoint& End) = 0;
  // First visible line and column back to 0.
  virtual void ResetView() = 0;

  virtual TVsActionList& UndoList() = 0;
  virtual void UpdateScrollBars() = 0;
  // The text changed: repaint the text area when there is a window.
  virtual void InvalidateText() = 0;
  virtual void TextChanged() = 0;
  virtual void Change() = 0;
  virtual bool NotifyUserChangeOnly() const = 0;
};

// Every character but CR and LF replaced by the owner's password character.
WideString MaskText(const TVsEditOwner& Owner, const WideString& S);
// Every tab replaced by TabSpaces blanks.
WideString ExpandTabs(const TVsEditOwner& Owner, const WideString& S);
// The size of the masked, expanded S; (0, 0) without a window.
SIZE TextExtent(TVsEditOwner& Owner, const WideString& S);
// How many characters of Line from Column on fit into Width: the characters
// whose expanded run ends within the fit. 0 without a window.
int CharsInWidth(TVsEditOwner& Owner, int Width, const WideString& Line, int Column);
// How many characters ending at Column fit into Width.
int CharsInWidthBackward(TVsEditOwner& Owner, int Width, const WideString& Line, int Column);

// One paragraph: its visual lines in order, their concatenation its text.
class TVsParagraph : public TVsWideStringList {
public:
  TVsParagraph() { Add(WideString()); }
  // An empty paragraph writes item 0 by adding it.
  void Put(int Index, const WideString& S) override;
  // The lines joined.
  WideString ParagraphText() const;
  int Length() const;

  int FirstLine = 0;
  // The length the unwrapped paragraph was counted with; -1 when not.
  int FLengthSeen = -1;

protected:
  // Item 0 of an empty paragraph reads as an empty line.
  WideString Get(int Index) const override;
};

// The paragraphs, owned.
class TVsParagraphList : public TVsList {
public:
  TVsParagraphList() { SetAutoClearObjects(true); }
  // Index 0 of an empty list first appends an empty paragraph.
  TVsParagraph* GetParagraph(int Index);
  void DeleteParagraph(int Index) { Delete(Index); }
};

// One undo step. Positions are paragraph positions, so a re-wrap between
// recording and undoing changes nothing.
class TVsAction : public TPersistent {
public:
  void Assign(TPersistent* Source) override;

  unsigned char Kind = 0;
  TVsParagraphPos StartPos;
  TVsParagraphPos EndPos;
  WideString Text;
};

// Step kinds.
constexpr unsigned char vsaInsert = 0;
constexpr unsigned char vsaDelete = 1;
constexpr unsigned char vsaGroup = 3;
constexpr unsigned char vsaBackspace = 5;
constexpr unsigned char vsaDeleteSelection = 6;

// The steps, newest on top; no redo.
class TVsActionList : public TPersistent {
public:
  ~TVsActionList() override;
  // Records a step unless locked.
  void AddAction(unsigned char Kind, const TVsParagraphPos& Start, const WideString& Text,
                 const TVsParagraphPos& End);
  // Takes the step; drops the oldest when the max level is reached.
  void PushAction(std::unique_ptr<TVsAction> Action);
  // The newest step, now the caller's; nullptr when none.
  std::unique_ptr<TVsAction> PopAction();
  virtual bool CanUndo() const { return !FSteps.Empty(); }
  int MaxLevel() const { return FMaxLevel; }
  // 0 keeps every step; a lower level drops the oldest; negative is ignored.
  virtual void SetMaxLevel(int Value);
  void LockUndo() { ++FLockCount; }
  void UnlockUndo() {
    if (FLockCount > 0) --FLockCount;
  }
  bool Locked() const { return FLockCount > 0; }
  int Count() const { return FSteps.Count(); }
  const TVsAction* Items(int Index) const { return static_cast<TVsAction*>(FSteps.Items(Index)); }
  void Clear();

private:
  void DropOldest();

  TVsStack FSteps;
  int FMaxLevel = 0;
  int FLockCount = 0;
};

// The lines of an edit: item i is the text of paragraph i. Objects are not
// kept. The public list operations re-wrap, renumber, clear the undo list
// and keep caret, anchor and selection inside the text.
class TVsEditStrings : public TVsWideStringList {
public:
  explicit TVsEditStrings(TVsEditOwner* Owner);
  ~TVsEditStrings() override;

  void Put(int Index, const WideString& S) override;
  void PutObject(int, TObject*) override {}
  int Add(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void Clear() override;
  // Rebuilds even when the text is unchanged (the owner's Multiline changed).
  void ReloadText(const WideString& S);

  TVsParagraphList& Paragraphs() { return FParagraphs; }
  TVsParagraph* Paragraph(int Index) { return FParagraphs.GetParagraph(Index); }
  int ParagraphCount() const { return FParagraphs.Count(); }
  int ParagraphLength(int Index) const;

  int VisualLineCount() const;
  WideString GetVisualLine(int Line) const;
  void SetVisualLine(int Line, const WideString& S);
  // (paragraph, line inside it); (0, 0) when nothing matches.
  void VisualLineToParagraph(int Line, int& Paragraph, int& LineInParagraph) const;
  TVsParagraphPos CaretToParagraphPos(const TVsCaretPoint& P) const;
  TVsCaretPoint ParagraphPosToCaret(const TVsParagraphPos& P) const;
  // Linear index with CR LF between paragraphs.
  int CaretToIndex(const TVsCaretPoint& P) const;
  int ParagraphPosToIndex(const TVsParagraphPos& P) const;
  // Beyond the text: the end of the text.
  TVsCaretPoint IndexToCaret(int Index) const;
  int TextLength() const;

  void WrapParagraph(int Index);
  void RewrapAll();
  void RenumberFrom(int Index);
  // Inserts S at P; P becomes the point just after it.
  void InsertText(TVsCaretPoint& P, const WideString& S);

  WideString GetSelText() const;
  // Deletes the selection (kind 6 step); the caret goes to its start.
  void DeleteSelection();
  // Typing, paste, Enter, Tab and input-method text: the selection is
  // replaced by S, one undo reverts both.
  void ReplaceSelection(const WideString& S);
  // Backspace and Delete without modifiers.
  void DeleteBackward();
  void DeleteForward();
  // A programmatic text assignment: one undo restores the old text.
  void AssignText(const WideString& S);
  // Records the step that makes the text Old again, after it was replaced
  // by the current text.
  void RecordAssignment(const WideString& Old);
  void Undo();

  int WidestLength() const { return FWidestLength; }
  int WidestIndex() const { return FWidestIndex; }
  const WideString& WidestText() const { return FWidestText; }
  // Decimal visual-line indexes, filled while RightAlignedView is on.
  const std::vector<AnsiString>& ViewLineMarkers() const { return FViewLineMarkers; }

protected:
  WideString Get(int Index) const override;
  int GetCount() const override { return FParagraphs.Count(); }
  TObject* GetObject(int) const override { return nullptr; }
  WideString GetTextStr() const override;
  void SetTextStr(const WideString& Value) override;
  void Changed() override;

private:
  void CheckParagraph(int Index) const;
  // Whole: every paragraph from Index, not only up to the first that is
  // already numbered right.
  void Renumber(int Index, bool Whole);
  void Rebuild(const WideString& S);
  void InsertParagraphs(int Index, const WideString& S);
  void SetParagraphText(int Index, const WideString& S);
  void SplitAtFit(WideString& T, int F, WideString& Rest) const;
  void RecomputeWidest();
  bool NeedsSplit(const WideString& T, int TestWidth, int FitWidth, int& F);
  void ForgetLength(TVsParagraph* P);
  // Deletes a paragraph, forgetting its length.
  void DropParagraph(int Index);
  void ClampPoints();
  TVsCaretPoint ClampPoint(const TVsCaretPoint& P) const;
  void CollapseAt(const TVsCaretPoint& P);
  void DeleteRange(const TVsParagraphPos& A, const TVsParagraphPos& B);
  void DeleteBeside(bool Forward);
  WideString RangeText(const TVsParagraphPos& A, const TVsParagraphPos& B) const;
  TVsParagraphPos CaretPos() const { return CaretToParagraphPos(FOwner->Caret()); }
  void InvalidateIndexes(int From) const;

  TVsEditOwner* FOwner;
  std::vector<AnsiString> FViewLineMarkers;
  TVsParagraphList FParagraphs;
  int FWidestLength = 0;
  int FWidestIndex = 0;
  WideString FWidestText;
  // Linear index of each paragraph's start, valid below FIndexValid.
  mutable std::vector<int> FIndexCache;
  mutable int FIndexValid = 0;
  // How many unwrapped paragraphs have each length.
  std::map<int, int> FLengths;
  // The paragraph VisualLineToParagraph found last.
  mutable int FLastFound = 0;
  // Set while Undo puts text back.
  bool FRestoring = false;
};

// ---------------------------------------------------------------------------
// The themed edit and memo

enum TVsEditCharCase { eecNormal, eecUpperCase, eecLowerCase };

// Where a linked control (a label) stands beside the edit: the side first,
// then its place along that side.
enum TVsLinkCtlPos {
  lcpLeftTop, lcpLeftBottom, lcpLeftCenter, lcpTopLeft, lcpTopRight, lcpTopCenter,
  lcpRightTop, lcpRightBottom, lcpRightCenter, lcpBottomLeft, lcpBottomRight, lcpBottomCenter
};

// Sender and the wide text about to be inserted, which the handler may change.
using TVsKeyPressExEvent = TMethodPtr<void(TObject* Sender, WideString& Key)>;

// The commands of the edit's context menu.
constexpr UINT vsEditMenuUndo = 772;
constexpr UINT vsEditMenuCut = 768;
constexpr UINT vsEditMenuCopy = 769;
constexpr UINT vsEditMenuPaste = 770;
constexpr UINT vsEditMenuDelete = 771;
constexpr UINT vsEditMenuSelectAll = 177;

class TCustomVsEdit : public TVsXPThemedControl, public TVsEditOwner {
public:
  explicit TCustomVsEdit(TComponent* AOwner);
  ~TCustomVsEdit() override;

  // The text, paragraphs joined by CR LF.
  WideString Text() const;
  void SetText(const WideString& S);
  int MaxLength() const { return FMaxLength; }
  virtual void SetMaxLength(int Value);
  // The caret's linear index (which is the selection's end when the
  // selection was made forwards).
  virtual int GetSelStart() const;
  virtual void SetSelStart(int Value);
  int SelStart() const { return GetSelStart(); }
  virtual int GetSelLength() const;
  virtual void SetSelLength(int Value);
  int SelLength() const { return GetSelLength(); }
  WideString SelText() const;
  virtual void SetSelText(const WideString& S);

  void SelectAll();
  void Deselect();
  void SelectTo(int X, int Y);
  void Undo();
  bool CanUndo() const { return FUndo.CanUndo(); }
  void CutToClipboard() { Perform(WM_CUT, 0, 0); }
  void CopyToClipboard() { Perform(WM_COPY, 0, 0); }
  void PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }

  // Word boundaries around a caret point (a run of characters other than
  // blanks and tabs is a word).
  TVsCaretPoint WordStart(const TVsCaretPoint& P) const;
  TVsCaretPoint WordEnd(const TVsCaretPoint& P) const;
  // Client point of a caret point; the caret point under a client point.
  virtual TPoint CaretPosToPoint(int X, int Y);
  virtual TVsCaretPoint PointToCaretPos(int X, int Y);
  void CreateEditCaret();
  void PlaceCaret(int X, int Y);
  void SetCaretX(int X);
  void SetCaretY(int Y);
  void MakeCaretVisible();
  int CaretX() const { return FCaret.X; }
  int CaretY() const { return FCaret.Y; }

  int TopLine() const { return FTopLine; }
  void SetTopLine(int Value);
  int LeftChar() const { return FLeftChar; }
  void SetLeftChar(int Value);
  int VisibleLines() const;
  int LineHeight() const;
  // The context menu as the edit would show it now: the system's edit menu
  // with its items greyed for the state; the caller destroys it.
  HMENU BuildEditMenu();

  TVsEditStrings* Lines() const { return FLines.get(); }
  void SetLines(TVsWideStrings* Value);

  // Published properties.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool HandleDialogKeys() const { return FHandleDialogKeys; }
  void SetHandleDialogKeys(bool Value) { FHandleDialogKeys = Value; }
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool NotifyUserChangeOnly() const override { return FNotifyUserChangeOnly; }
  void SetNotifyUserChangeOnly(bool Value) { FNotifyUserChangeOnly = Value; }
  bool UseSystemMenu() const { return FUseSystemMenu; }
  void SetUseSystemMenu(bool Value) { FUseSystemMenu = Value; }
  TVsEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TVsEditCharCase Value);
  WideString PasswordCharText() const { return FPasswordChar; }
  void SetPasswordCharText(const WideString& Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AlignBottom() const { return FAlignBottom; }
  void SetAlignBottom(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TVsBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TVsBorderSides Value);
  bool Flat() const { return FFlat; }
  virtual void SetFlat(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool HideSelection() const { return FHideSelection; }
  virtual void SetHideSelection(bool Value);
  TColor FocusedSelectColor() const { return FFocusedSelectColor; }
  virtual void SetFocusedSelectColor(TColor Value);
  TColor FocusedSelectTextColor() const { return FFocusedSelectTextColor; }
  virtual void SetFocusedSelectTextColor(TColor Value);
  TColor HideSelectColor() const { return FHideSelectColor; }
  virtual void SetHideSelectColor(TColor Value);
  TColor HideSelectTextColor() const { return FHideSelectTextColor; }
  virtual void SetHideSelectTextColor(TColor Value);
  int HighlightAlphaLevel() const { return FHighlightAlphaLevel; }
  virtual void SetHighlightAlphaLevel(int Value);
  int TabSpaces() const override { return FTabSpaces; }
  void SetTabSpaces(int Value);
  int LeftMargin() const override { return FLeftMargin; }
  void SetLeftMargin(int Value);
  int RightMargin() const override { return FRightMargin; }
  void SetRightMargin(int Value);
  int TopMargin() const { return FTopMargin; }
  void SetTopMargin(int Value);
  int MaxUndoLevel() const { return FUndo.MaxLevel(); }
  void SetMaxUndoLevel(int Value) { FUndo.SetMaxLevel(Value); }
  bool WordWrap() const override { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool Multiline() const override { return FMultiline; }
  void SetMultiline(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool UseDisabledColors() const { return FUseDisabledColors; }
  void SetUseDisabledColors(bool Value);
  TColor DisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor Value);
  TColor DisabledFontColor() const { return FDisabledFontColor; }
  void SetDisabledFontColor(TColor Value);
  bool RightAlignedText() const override { return FRightAlignedText; }
  virtual void SetRightAlignedText(bool Value);
  bool RightAlignedView() const override { return FRightAlignedView; }
  virtual void SetRightAlignedView(bool Value);
  TControl* LinkedControl() const { return FLinkedControl; }
  void SetLinkedControl(TControl* Value);
  TVsLinkCtlPos LinkedControlPosition() const { return FLinkedControlPosition; }
  void SetLinkedControlPosition(TVsLinkCtlPos Value);
  int LinkedControlSpacing() const { return FLinkedControlSpacing; }
  void SetLinkedControlSpacing(int Value);
  // Moves the linked control to its place beside the edit.
  void UpdateLinkedControl();
  // The wide hint, kept packed in the 8-bit one.
  const WideString& WideHint() const { return FWideHint; }
  void SetWideHint(const WideString& Value);

  // Background
  // The picture tiled under the text while UseBackground is on (owned).
  TBitmap* Background() const { return FBackground.get(); }
  bool UseBackground() const { return FUseBackground; }
  void SetUseBackground(bool Value);
  TVsImageForm* ImageForm() const { return FImageForm; }
  virtual void SetImageForm(TVsImageForm* Value);
  // Custom scroll bars and the frame
  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool Value);
  TVsSBController* Controller() const { return FController; }
  TVsCtrlScrollBarStyles* HorzScrollBarStyles() const { return FController->HorzScrollBarStyles(); }
  void SetHorzScrollBarStyles(TVsCtrlScrollBarStyles* Value);
  TVsCtrlScrollBarStyles* VertScrollBarStyles() const { return FController->VertScrollBarStyles(); }
  void SetVertScrollBarStyles(TVsCtrlScrollBarStyles* Value);
  // Whether a layout keeps the bar styles: only a multi-line edit's custom bars.
  bool IsScrollBarStylesStored() const { return FMultiline && FUseCustomScrollBars; }
  bool FlatFocusedScrollBars() const { return FFlatFocusedScrollBars; }
  void SetFlatFocusedScrollBars(bool Value);
  TVsFlatBorderType ActiveBorderType() const { return FActiveBorderType; }
  virtual void SetActiveBorderType(TVsFlatBorderType Value);
  TVsFlatBorderType InactiveBorderType() const { return FInactiveBorderType; }
  virtual void SetInactiveBorderType(TVsFlatBorderType Value);
  TColor LineBorderActiveColor() const { return FLineBorderActiveColor; }
  virtual void SetLineBorderActiveColor(TColor Value);
  TColor LineBorderInactiveColor() const { return FLineBorderInactiveColor; }
  virtual void SetLineBorderInactiveColor(TColor Value);
  void SetUseXPThemes(bool Value) override;
  // Redraws the frame at once: through the window's own non-client painting
  // when themed or with the system's bars, else the border straight away.
  void DrawFrame();
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();

  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;
  TVsKeyPressExEvent OnKeyPressEx;

  void WndProc(TMessage& Message) override;

  // The text model's view of the edit.
  WideChar PasswordChar() const override { return FPasswordChar.empty() ? 0 : FPasswordChar[0]; }
  RECT EditRect() const override { return FEditRect; }
  TVsTextMeasurer* Measurer() override;
  TVsCaretPoint Caret() const override { return FCaret; }
  void SetCaret(const TVsCaretPoint& P) override { FCaret = P; }
  TVsCaretPoint Anchor() const override { return FAnchor; }
  void SetAnchor(const TVsCaretPoint& P) override { FAnchor = P; }
  TVsCaretPoint SelStartPoint() const override { return FSelStart; }
  TVsCaretPoint SelEndPoint() const override { return FSelEnd; }
  void SetSelection(const TVsCaretPoint& Start, const TVsCaretPoint& End) override;
  void ResetView() override;
  TVsActionList& UndoList() override { return FUndo; }
  void UpdateScrollBars() override;
  void InvalidateText() override;
  void TextChanged() override {}
  void Change() override;

protected:
  WideString GetThemedClassName() const override { return L"EDIT"; }
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  // Paints the visible lines into DC (an off-screen bitmap of the client).
  virtual void DrawText(HDC DC);
  virtual void SelectionChange();
  virtual void DoKeyPressEx(WideString& S);
  virtual void UpdateEditRect();
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void AdjustHeight();

private:
  bool HasSelection() const { return FSelStart != FSelEnd; }
  // A setting whose window is made again, or whose text is painted again.
  template <class T> void SetRecreating(T& Field, const T& Value);
  template <class T> void SetRepainting(T& Field, const T& Value);
  bool Loading() const;
  void Repaint();
  void TextEdited(bool UserChange);
  void KeyboardChange();
  void ShowEdit();
  int Room() const;
  void ClampCaret();
  void MoveCaret(const TVsCaretPoint& P);
  void ExtendSelection();
  void CollapseSelection();
  WideString ApplyCharCase(const WideString& S) const;
  int LineLength(int Y) const;
  int ParagraphOf(int Y) const;
  bool ContinuesParagraph(int Y) const;
  void EditingKey(Word Key);
  TVsCaretPoint NavigationTarget(Word Key, bool Ctrl) const;
  void DeleteWordBeside(bool Forward);
  void ShowEditMenu(int X, int Y);
  void MenuCommand(UINT Id);
  void Copy();
  void Paste();
  void Cut();
  void ClearSelection();
  void CancelMouseSelect();
  void DropPending();
  void VertScroll(int Code, int Pos);
  void HorzScroll(int Code, int Pos);
  void MouseWheel(int Delta);
  int HorzPage();
  // What a scroll bar was last given; Set false until it was given anything.
  struct TBarState {
    bool Set = false;
    bool Enabled = false;
    int Max = 0, Page = 0, Pos = 0;
    bool operator==(const TBarState&) const = default;
  };
  // False when the bar already had these values.
  bool SetBar(int Bar, bool Enabled, int Max, int Page, int Pos);
  TBarState FVertState, FHorzState;
  int LineTextWidth(int Y, int From, int To);
  int LineStartX(int Y);

  void WMSetText(TMessage& Message);
  void WMGetText(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMImeComposition(TMessage& Message);
  void WMImeStartComposition(TMessage& Message);
  void EMSetSel(TMessage& Message);
  void EMGetSel(TMessage& Message);
  void EMGetLine(TMessage& Message);
  void EMReplaceSel(TMessage& Message);

  // Background
  // The flat frame the control draws itself, without the system's border.
  bool FlatClassic() const;
  // An image form that paints the background (not a plain colour fill).
  bool ImageFormActive() const;
  // The background is painted during erase and taken up by the paint step.
  bool ErasesBackground() const;
  void UpdateOpaque();
  void PaintParentBackground(HDC DC);
  void PaintBackground(HDC DC, HDC Screen, const RECT& Area);
  // Repaints when the value changed and Shown holds.
  template <class T> void SetShown(T& Field, const T& Value, bool Shown);
  // Draws the frame again when the value changed and Shown holds.
  template <class T> void SetFramed(T& Field, const T& Value, bool Shown);
  bool SelectionShown(bool WhenFocused) const;
  void BackgroundChanged(TObject* Sender);
  void ImageFormChanged(TCustomVsImageForm* Sender);
  void CMEnabledChanged(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void VSImageFormChanged(TMessage& Message);
  TOwned<TBitmap> FBackground;
  bool FUseBackground = false;
  TVsImageForm* FImageForm = nullptr;
  TOwned<TImgFormChangeLink> FImageFormLink;
  // Hint and right-to-left
  void CMHintShow(TMessage& Message);
  // The width of each character of S as placed in right-to-left reading,
  // in reading order.
  std::vector<int> PlacedWidths(const WideString& S);
  // The width of columns From .. To of line Y as LineTextWidth gives it,
  // placed as right-to-left text when RightAlignedText is on.
  int ReadingWidth(int Y, int From, int To);
  // Custom scroll bars and the frame
  void InitController();
  // Attaches the controller to the window, or turns the custom bars off
  // when they cannot work.
  void AttachController();
  void ConnectBars();
  // A bar style changed: ScrollBars follows the bars shown.
  void ScrollBarsChanged(TObject* Sender);
  void VertScrollHandler(int Target);
  void HorzScrollHandler(int Target);
  bool CustomBarsActive() const;
  bool FrameActive() const;
  RECT ClientInWindow() const;
  // The client area in window coordinates, with the bars beside it.
  RECT FrameClient() const;
  // The frame painted into DC, a DC of the whole window.
  void PaintFrame(HDC DC);
  void PaintUnthemedFrame(HDC DC);
  // A client point inside one of the custom bars.
  bool InCustomBar(int X, int Y) const;
  void WMPrint(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  TVsSBController* FController;
  bool FUseCustomScrollBars = true;
  bool FFlatFocusedScrollBars = false;
  TVsFlatBorderType FActiveBorderType = fbtSunken;
  TVsFlatBorderType FInactiveBorderType = fbtSunkenOuter;
  TColor FLineBorderActiveColor = clBlack;
  TColor FLineBorderInactiveColor = clBlack;

  std::unique_ptr<TVsEditStrings> FLines;
  TVsActionList FUndo;
  TVsCaretPoint FCaret, FAnchor, FSelStart, FSelEnd;
  int FTopLine = 0;
  int FLeftChar = 0;
  RECT FEditRect{};
  bool FCaretCreated = false;
  bool FMouseSelecting = false;
  bool FKeepAtLineEnd = false;
  bool FHover = false;
  // The text area is invalidated and not painted yet.
  bool FPaintPending = false;
  WideString FPendingText;
  bool FPending = false;
  unsigned char FDeadChar = 0;
  int FDeadCount = 1;
  HDC FMeasureDC = nullptr;
  HGDIOBJ FMeasureOldFont = nullptr;
  std::unique_ptr<TVsGdiMeasurer> FMeasurer;

  int FMaxLength = 0;
  bool FReadOnly = false;
  bool FWantTabs = false;
  bool FWantReturns = false;
  bool FHandleDialogKeys = false;
  bool FAutoSelect = false;
  bool FNotifyUserChangeOnly = true;
  bool FUseSystemMenu = true;
  TVsEditCharCase FCharCase = eecNormal;
  WideString FPasswordChar;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignBottom = true;
  TBorderStyle FBorderStyle = bsSingle;
  TVsBorderSides FBorderSides = AllBorderSides;
  bool FFlat = false;
  bool FTransparent = false;
  bool FHideSelection = true;
  TColor FFocusedSelectColor = clHighlight;
  TColor FFocusedSelectTextColor = clHighlightText;
  TColor FHideSelectColor = clBtnFace;
  TColor FHideSelectTextColor = clBtnShadow;
  int FHighlightAlphaLevel = 255;
  int FTabSpaces = 4;
  int FLeftMargin = 1;
  int FRightMargin = 1;
  int FTopMargin = 1;
  bool FWordWrap = false;
  bool FMultiline = false;
  TScrollStyle FScrollBars = ssNone;
  bool FUseDisabledColors = false;
  TColor FDisabledColor = clBtnFace;
  TColor FDisabledFontColor = clGrayText;
  bool FRightAlignedText = false;
  bool FRightAlignedView = false;
  WideString FWideHint;
  TControl* FLinkedControl = nullptr;
  TVsLinkCtlPos FLinkedControlPosition = lcpTopLeft;
  int FLinkedControlSpacing = 0;
};

class TVsEdit : public TCustomVsEdit {
public:
  explicit TVsEdit(TComponent* AOwner) : TCustomVsEdit(AOwner) {}
};

class TCustomVsMemo : public TCustomVsEdit {
public:
  explicit TCustomVsMemo(TComponent* AOwner);
};

class TVsMemo : public TCustomVsMemo {
public:
  explicit TVsMemo(TComponent* AOwner) : TCustomVsMemo(AOwner) {}
};

// Registers the edit classes and their published properties.
void InitializeVsEdits();
