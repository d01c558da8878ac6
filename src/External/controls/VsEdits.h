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
#include "SysUtils.h"
#include "System.h"
#include "VsList.h"
#include "VsStack.h"
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
