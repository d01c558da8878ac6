#include "TestSupport.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VsEdits.h"
#include "controls/FakeEditOwner.h"

namespace {

using Lines = std::vector<WideString>;

Lines Paragraphs(const TVsEditStrings& L) {
  Lines R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Strings(I));
  return R;
}

TEST(VsEditStrings, SetTextSplitsAtEachBreakAndKeepsOnlyATrailingCrLf) {
  struct Case {
    const wchar_t* Text;
    Lines Expected;
    const wchar_t* ReadBack;
  };
  const Case Cases[] = {
      {L"a\r\nb\r\n", {L"a", L"b", L""}, L"a\r\nb\r\n"},
      {L"a\n", {L"a"}, L"a"},
      {L"a\rb\nc", {L"a", L"b", L"c"}, L"a\r\nb\r\nc"},
      {L"\r\n\r\n", {L"", L"", L""}, L"\r\n\r\n"},
      {L"", {}, L""},
      {L"x\ty", {L"x\ty"}, L"x\ty"},
  };
  for (const Case& C : Cases) {
    TFakeEditOwner Owner;
    TVsEditStrings L(&Owner);
    L.SetText(C.Text);
    EXPECT_EQ(Paragraphs(L), C.Expected) << testing::PrintToString(WideString(C.Text));
    EXPECT_EQ(L.Text(), C.ReadBack);
  }
  // One line: breaks stay inside it; insert and add do nothing.
  TFakeEditOwner Single;
  Single.FMultiline = false;
  TVsEditStrings S(&Single);
  S.SetText(L"a\r\nb");
  EXPECT_EQ(Paragraphs(S), Lines{L"a\r\nb"});
  S.Add(L"c");
  S.Insert(0, L"d");
  EXPECT_EQ(Paragraphs(S), Lines{L"a\r\nb"});
}

TEST(VsEditStrings, SetTextPutsCaretAnchorAndSelectionAtTheStart) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  L.SetText(L"abc\r\ndef");
  Owner.Select(L, 1, 7);
  L.SetText(L"abc\r\ndef");
  EXPECT_EQ(Owner.FCaret, TVsCaretPoint{});
  EXPECT_EQ(Owner.FAnchor, TVsCaretPoint{});
  EXPECT_EQ(Owner.FSelStart, Owner.FSelEnd);
  EXPECT_EQ(Owner.FViewResets, 2);
}

TEST(VsEditStrings, WrapsAtBlanksCutsLongWordsAndEndsOnTooNarrowWidths) {
  struct Case {
    int Width;
    int TabSpaces;
    const wchar_t* Text;
    Lines Expected;
  };
  // 10 px per character.
  const Case Cases[] = {
      {85, 4, L"hello world", {L"hello ", L"world"}},
      {85, 4, L"hello", {L"hello"}},
      {45, 4, L"abcdefghij", {L"abcd", L"efgh", L"ij"}},
      {65, 4, L"a\tb c", {L"a\t", L"b c"}},
      {65, 2, L"a\tbcdef", {L"a\t", L"bcdef"}},
      // The wrap test and the fit agree on one character: no endless split.
      {11, 4, L"abc", {L"a", L"b", L"c"}},
      {5, 4, L"abc", {L"abc"}},
      {1, 4, L"a b", {L"a b"}},
  };
  for (const Case& C : Cases) {
    TFakeEditOwner Owner(C.Width);
    Owner.FWordWrap = true;
    Owner.FTabSpaces = C.TabSpaces;
    TVsEditStrings L(&Owner);
    L.SetText(C.Text);
    EXPECT_EQ(VisualLines(L), C.Expected) << C.Width << " " << testing::PrintToString(WideString(C.Text));
  }
}

TEST(VsEditStrings, LongParagraphsWrapLineByLine) {
  WideString Words;
  for (int I = 0; I < 100; ++I) Words += L"abcd ";
  TFakeEditOwner Owner(300);
  Owner.FWordWrap = true;
  TVsEditStrings L(&Owner);
  L.SetText(Words);
  Lines Expected(16, Words.substr(0, 30));
  Expected.push_back(Words.substr(0, 20));
  EXPECT_EQ(VisualLines(L), Expected);
  // Characters without width never wrap.
  TFakeEditOwner Flat(300, 0);
  Flat.FWordWrap = true;
  TVsEditStrings F(&Flat);
  F.SetText(Words);
  EXPECT_EQ(VisualLines(F), Lines{Words});
}

TEST(VsEditStrings, RightToLeftCutKeepsEveryCharacter) {
  TFakeEditOwner Owner(55);
  Owner.FWordWrap = true;
  Owner.FRightAligned = true;
  TVsEditStrings L(&Owner);
  // The blank at the break stays, and a cut without one loses nothing.
  L.SetText(L"abcdefg hij");
  EXPECT_EQ(VisualLines(L), (Lines{L"abcdefg ", L"hij"}));
  L.RewrapAll();
  EXPECT_EQ(L.Text(), L"abcdefg hij");
  L.SetText(L"abcdefghij");
  EXPECT_EQ(L.Text(), L"abcdefghij");
  EXPECT_EQ(L.Strings(0), L"abcdefghij");
}

TEST(VsEditStrings, CharsInWidthCountsCharactersWhoseExpandedRunFits) {
  struct Case {
    const wchar_t* Line;
    int Column;
    int Width;
    int Forward;
    int Backward;  // ending at the column
  };
  // 10 px per character, tabs are four blanks.
  const Case Cases[] = {
      {L"abc\td", 0, 50, 3, 0},   // the tab straddles the fit: "abc" fits
      {L"\tab", 0, 20, 0, 0},     // never negative
      {L"\tab", 0, 60, 3, 0},
      {L"ab\tcd", 5, 50, 0, 2},
      {L"ab\t", 3, 20, 0, 0},
      {L"abcdef", 2, 30, 3, 2},   // from column 2 / the two before it
      {L"abc", 0, 0, 0, 0},
      {L"abc", 3, 50, 0, 3},
  };
  for (const Case& C : Cases) {
    TFakeEditOwner Owner;
    EXPECT_EQ(CharsInWidth(Owner, C.Width, C.Line, C.Column), C.Forward) << testing::PrintToString(WideString(C.Line));
    EXPECT_EQ(CharsInWidthBackward(Owner, C.Width, C.Line, C.Column), C.Backward)
        << testing::PrintToString(WideString(C.Line));
  }
  TFakeEditOwner NoWindow;
  NoWindow.FWindow = false;
  EXPECT_EQ(CharsInWidth(NoWindow, 100, L"abc", 0), 0);
  EXPECT_EQ(TextExtent(NoWindow, L"abc").cx, 0);
  TFakeEditOwner Masked;
  Masked.FPasswordChar = L'*';
  EXPECT_EQ(MaskText(Masked, L"a\tb\r\n"), L"***\r\n");
  EXPECT_EQ(TextExtent(Masked, L"a\tb").cx, 30);
}

TEST(VsEditStrings, IndexesAndCaretPointsMapBothWays) {
  TFakeEditOwner Owner(45);
  Owner.FWordWrap = true;
  TVsEditStrings L(&Owner);
  L.SetText(L"ab\r\ncd");
  EXPECT_EQ(L.CaretToIndex({0, 1}), 4);
  EXPECT_EQ(L.IndexToCaret(4), (TVsCaretPoint{0, 1}));
  // On the CR LF: past the end of the first line.
  EXPECT_EQ(L.IndexToCaret(3), (TVsCaretPoint{3, 0}));
  // Beyond the text: its end.
  EXPECT_EQ(L.IndexToCaret(1000), (TVsCaretPoint{2, 1}));
  L.SetText(L"abcdefghij\r\nxy");  // lines abcd efgh ij xy
  ASSERT_EQ(VisualLines(L), (Lines{L"abcd", L"efgh", L"ij", L"xy"}));
  // The end of a visual line stays on it.
  EXPECT_EQ(L.ParagraphPosToCaret({0, 4}), (TVsCaretPoint{4, 0}));
  EXPECT_EQ(L.CaretToParagraphPos({0, 1}), (TVsParagraphPos{0, 4}));
  for (int I = 0; I <= L.TextLength(); ++I) {
    if (I == 11) continue;  // between CR and LF
    EXPECT_EQ(L.CaretToIndex(L.IndexToCaret(I)), I) << I;
  }
}

TEST(VsEditStrings, InsertTextIsHeadPlusTextPlusTail) {
  struct Case {
    bool Multiline;
    const wchar_t* Text;
    int At;
    const wchar_t* Inserted;
    const wchar_t* Result;
    int IndexAfter;
  };
  const Case Cases[] = {
      {true, L"ABCD", 2, L"x", L"ABxCD", 3},
      {true, L"ABCD", 2, L"x\r\ny", L"ABx\r\nyCD", 6},
      {true, L"ABCD", 2, L"x\r\n", L"ABx\r\nCD", 5},
      {true, L"ABCD", 2, L"x\r\ny\r\n", L"ABx\r\ny\r\nCD", 8},
      {true, L"ABCD", 2, L"\r\n", L"AB\r\nCD", 4},
      {true, L"ABCD", 2, L"x\ry\nz", L"ABx\r\ny\r\nzCD", 9},
      {true, L"", 0, L"a\r\nb", L"a\r\nb", 4},
      {false, L"ABCD", 2, L"x\r\ny", L"ABxCD", 3},
      {false, L"ABCD", 2, L"\ny", L"ABCD", 2},
  };
  for (const Case& C : Cases) {
    TFakeEditOwner Owner;
    Owner.FMultiline = C.Multiline;
    TVsEditStrings L(&Owner);
    L.SetText(C.Text);
    TVsCaretPoint P = L.IndexToCaret(C.At);
    L.InsertText(P, C.Inserted);
    EXPECT_EQ(L.Text(), C.Result) << testing::PrintToString(WideString(C.Inserted));
    EXPECT_EQ(L.CaretToIndex(P), C.IndexAfter) << testing::PrintToString(WideString(C.Inserted));
  }
}

TEST(VsActionList, MaxLevelKeepsTheNewestAndLockRecordsNothing) {
  TVsActionList U;
  U.SetMaxLevel(2);
  for (int I = 0; I < 3; ++I) U.AddAction(vsaInsert, {I, 0}, L"x", {I, 1});
  ASSERT_EQ(U.Count(), 2);
  EXPECT_EQ(U.Items(0)->StartPos.Paragraph, 1);
  U.SetMaxLevel(0);
  for (int I = 0; I < 6; ++I) U.AddAction(vsaInsert, {I + 10, 0}, L"x", {});
  U.SetMaxLevel(5);
  ASSERT_EQ(U.Count(), 5);
  EXPECT_EQ(U.Items(0)->StartPos.Paragraph, 11);
  U.SetMaxLevel(10);
  U.SetMaxLevel(-1);
  EXPECT_EQ(U.MaxLevel(), 10);
  EXPECT_EQ(U.Count(), 5);
  U.LockUndo();
  U.LockUndo();
  U.UnlockUndo();
  U.AddAction(vsaInsert, {}, L"y", {});
  EXPECT_EQ(U.Count(), 5);
  U.UnlockUndo();
  U.UnlockUndo();
  U.AddAction(vsaInsert, {}, L"y", {});
  EXPECT_EQ(U.Count(), 6);
  TVsAction Copy;
  Copy.Assign(const_cast<TVsAction*>(U.Items(5)));
  EXPECT_EQ(Copy.Text, L"y");
}

TEST(VsEditStrings, TypingOverASelectionUndoesAsOneStepAndReselects) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  L.SetText(L"one two\r\nthree");
  Owner.Select(L, 4, 11);  // "two\r\nth"
  EXPECT_EQ(L.GetSelText(), L"two\r\nth");
  L.ReplaceSelection(L"x");
  EXPECT_EQ(L.Text(), L"one xree");
  L.Undo();
  EXPECT_EQ(L.Text(), L"one two\r\nthree");
  EXPECT_EQ(L.GetSelText(), L"two\r\nth");
  EXPECT_FALSE(Owner.FUndo.CanUndo());
  L.Undo();  // nothing left: nothing changes
  EXPECT_EQ(L.Text(), L"one two\r\nthree");
}

TEST(VsEditStrings, BackspaceJoiningParagraphsUndoesWithTheCaretAfterTheBreak) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  L.SetText(L"ab\r\ncd");
  Owner.PlaceCaret(L, 4);
  L.DeleteBackward();
  EXPECT_EQ(L.Text(), L"abcd");
  EXPECT_EQ(L.CaretToIndex(Owner.FCaret), 2);
  Owner.PlaceCaret(L, 0);
  L.DeleteBackward();  // at the start: nothing, nothing recorded
  EXPECT_EQ(Owner.FUndo.Count(), 1);
  L.Undo();
  EXPECT_EQ(L.Text(), L"ab\r\ncd");
  EXPECT_EQ(Owner.FCaret, (TVsCaretPoint{0, 1}));
}

TEST(VsEditStrings, EnterAtTheStartOfAContinuationLineInsertsOneBreak) {
  TFakeEditOwner Owner(45);
  Owner.FWordWrap = true;
  TVsEditStrings L(&Owner);
  L.SetText(L"abcdefgh");
  ASSERT_EQ(VisualLines(L), (Lines{L"abcd", L"efgh"}));
  Owner.FCaret = Owner.FAnchor = Owner.FSelStart = Owner.FSelEnd = TVsCaretPoint{0, 1};
  L.ReplaceSelection(L"\r\n");
  EXPECT_EQ(L.Text(), L"abcd\r\nefgh");
  EXPECT_EQ(L.CaretToIndex(Owner.FCaret), 6);
  for (int I = 0; I < Owner.FUndo.Count(); ++I) EXPECT_NE(Owner.FUndo.Items(I)->Kind, 2) << I;
  L.Undo();
  EXPECT_EQ(L.Text(), L"abcdefgh");
  EXPECT_FALSE(Owner.FUndo.CanUndo());
}

TEST(VsEditStrings, UndoAfterAWidthChangeRestoresTheSameCharacters) {
  TFakeEditOwner Owner(1000);
  Owner.FWordWrap = true;
  TVsEditStrings L(&Owner);
  L.SetText(L"alpha beta gamma delta");
  Owner.PlaceCaret(L, 11);
  L.ReplaceSelection(L"XY");
  Owner.PlaceCaret(L, 2);
  L.DeleteForward();
  Owner.FWidth = 65;
  L.RewrapAll();
  ASSERT_GT(L.VisualLineCount(), 2);
  L.Undo();
  EXPECT_EQ(L.Text(), L"alpha beta XYgamma delta");
  L.Undo();
  EXPECT_EQ(L.Text(), L"alpha beta gamma delta");
}

TEST(VsEditStrings, TextAssignmentUndoesToTheOldText) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  L.SetText(L"old\r\ntext");
  Owner.PlaceCaret(L, 3);
  L.ReplaceSelection(L"!");
  L.AssignText(L"new");
  EXPECT_TRUE(Owner.FUndo.CanUndo());
  L.Undo();
  EXPECT_EQ(L.Text(), L"old!\r\ntext");
  // Older steps went with the assignment.
  EXPECT_FALSE(Owner.FUndo.CanUndo());
}

TEST(VsEditStrings, LinesOperationsRewrapRenumberClearUndoAndClampTheCaret) {
  TFakeEditOwner Owner(45);
  Owner.FWordWrap = true;
  TVsEditStrings L(&Owner);
  L.SetText(L"a\r\nb\r\nc\r\nabcdefghij");
  Owner.Select(L, 11, 17);
  L.ReplaceSelection(L"z");
  ASSERT_TRUE(Owner.FUndo.CanUndo());
  L.Put(0, L"abcdefgh");
  EXPECT_FALSE(Owner.FUndo.CanUndo());
  EXPECT_EQ(VisualLines(L), (Lines{L"abcd", L"efgh", L"b", L"c", L"abzi", L"j"}));
  EXPECT_EQ(L.Paragraph(3)->FirstLine, 4);
  L.Exchange(0, 3);
  EXPECT_EQ(VisualLines(L), (Lines{L"abzi", L"j", L"b", L"c", L"abcd", L"efgh"}));
  Owner.FCaret = Owner.FAnchor = Owner.FSelStart = Owner.FSelEnd = TVsCaretPoint{3, 5};
  L.Delete(3);
  EXPECT_EQ(L.VisualLineCount(), 4);
  EXPECT_LT(Owner.FCaret.Y, 4);
  EXPECT_LT(Owner.FSelEnd.Y, 4);
  L.Clear();
  EXPECT_EQ(Owner.FCaret, TVsCaretPoint{});
  L.ReplaceSelection(L"q");  // typing into the emptied list
  EXPECT_EQ(L.Text(), L"q");
  L.Insert(1, L"r\r\n");
  EXPECT_EQ(Paragraphs(L), (Lines{L"q", L"r", L""}));
}

TEST(VsEditStrings, SetVisualLineRefusesLinesThatDoNotExist) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  EXPECT_EQ(MessageOf<EVsEditorError>([&] { L.SetVisualLine(1, L"x"); }), "List index outbound (1)");
  L.SetVisualLine(0, L"x");
  EXPECT_EQ(L.Text(), L"x");
  EXPECT_EQ(MessageOf<EVsEditorError>([&] { L.SetVisualLine(3, L"y"); }), "List index outbound (3)");
  EXPECT_EQ(L.Text(), L"x");
}

TEST(VsEditStrings, WidestParagraphFollowsShrinkingAndRemoval) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  L.SetText(L"abc\r\nabcdef\r\nabcde");
  EXPECT_EQ(L.WidestIndex(), 1);
  Owner.Select(L, 5, 9);  // "abcd" of the widest
  L.DeleteBackward();
  EXPECT_EQ(L.WidestLength(), 5);
  EXPECT_EQ(L.WidestText(), L"abcde");
  L.Delete(2);
  EXPECT_EQ(L.WidestLength(), 3);
  EXPECT_EQ(L.WidestIndex(), 0);
}

TEST(VsEditStrings, FindIndexOfAndSortWorkOnTheParagraphs) {
  TFakeEditOwner Owner;
  TVsEditStrings L(&Owner);
  L.SetText(L"pies\r\nkot\r\nąb\r\nab");
  EXPECT_EQ(L.IndexOf(L"kot"), 1);
  EXPECT_EQ(L.IndexOf(L"lis"), -1);
  TVsWideStringList Plain;
  Plain.SetText(L.Text());
  Plain.Sort();
  L.Sort();
  EXPECT_EQ(Paragraphs(L), (Lines{Plain.Strings(0), Plain.Strings(1), Plain.Strings(2), Plain.Strings(3)}));
  int Index = -1;
  EXPECT_TRUE(L.Find(L"pies", Index));
  EXPECT_EQ(L.Strings(Index), L"pies");
  EXPECT_EQ(L.VisualLineCount(), 4);
  EXPECT_EQ(L.Paragraph(3)->FirstLine, 3);
}

}  // namespace
