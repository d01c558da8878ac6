// Random editing against a plain string: every operation must leave the
// model's text equal to the string, and undoing everything must give back
// the text the sequence started from.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "VsEdits.h"
#include "controls/FakeEditOwner.h"

namespace {

const WideChar Alphabet[] = {L'a', L'b', L' ', L'\x0105', L'\t', L'\r', L'\n', L'\0', L'\xD800', L'\xDC00'};

WideString RandomText(std::mt19937& Rng, int MaxLength) {
  WideString S;
  const int N = std::uniform_int_distribution<int>(0, MaxLength)(Rng);
  for (int I = 0; I < N; ++I) S += Alphabet[std::uniform_int_distribution<size_t>(0, std::size(Alphabet) - 1)(Rng)];
  return S;
}

// What the model makes of inserted text: every break one CR LF, or on one
// line the text up to its first break.
WideString Normalized(const WideString& S, bool Multiline) {
  if (!Multiline) return S.substr(0, S.find_first_of(L"\r\n"));
  WideString R;
  for (size_t I = 0; I < S.size(); ++I) {
    if (S[I] == L'\r' || S[I] == L'\n') {
      if (S[I] == L'\r' && I + 1 < S.size() && S[I + 1] == L'\n') ++I;
      R += L"\r\n";
    } else {
      R += S[I];
    }
  }
  return R;
}

// The index a caret set to Index lands on: inside the text, and before the
// CR LF rather than between its halves.
int Landing(const WideString& Text, int Index, bool Multiline) {
  Index = std::clamp(Index, 0, static_cast<int>(Text.size()));
  if (Multiline && Index > 0 && Index < static_cast<int>(Text.size()) && Text[Index - 1] == L'\r' &&
      Text[Index] == L'\n')
    --Index;
  return Index;
}

// Each paragraph's visual lines join to its text and are numbered in order;
// unwrapped, the widest paragraph is known.
void ExpectConsistent(TVsEditStrings& L, const TFakeEditOwner& Owner) {
  int Line = 0;
  int Widest = 0;
  for (int P = 0; P < L.ParagraphCount(); ++P) Widest = std::max(Widest, static_cast<int>(L.Strings(P).size()));
  if (!Owner.FWordWrap || !Owner.FMultiline) {
    ASSERT_EQ(L.WidestLength(), Widest);
    if (L.ParagraphCount() > 0) {
      ASSERT_EQ(static_cast<int>(L.Strings(L.WidestIndex()).size()), Widest);
    }
  }
  for (int P = 0; P < L.ParagraphCount(); ++P) {
    TVsParagraph* Para = L.Paragraph(P);
    ASSERT_EQ(Para->FirstLine, Line) << P;
    ASSERT_EQ(Para->ParagraphText(), L.Strings(P));
    Line += std::max(Para->Count(), 1);
  }
  ASSERT_EQ(L.VisualLineCount(), Line);
}

TEST(VsEditStrings, RandomEditingMatchesAStringAndUndoesToTheStart) {
  std::mt19937 Rng(20240611);
  auto Pick = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Rng); };
  for (int Sequence = 0; Sequence < 20000; ++Sequence) {
    const auto Started = std::chrono::steady_clock::now();
    TFakeEditOwner Owner(Pick(1, 50), 5);
    Owner.FMultiline = Pick(0, 9) != 0;
    Owner.FWordWrap = Pick(0, 1) != 0;
    Owner.FTabSpaces = Pick(0, 8);
    TVsEditStrings L(&Owner);
    L.SetText(RandomText(Rng, 20));
    const WideString Start = L.Text();
    WideString Oracle = Start;
    const bool Multi = Owner.FMultiline;
    const int Operations = Pick(1, 50);
    for (int Op = 0; Op < Operations; ++Op) {
      const int Length = static_cast<int>(Oracle.size());
      const int A = Landing(Oracle, Pick(-3, Length + 3), Multi);
      const int B = Landing(Oracle, Pick(-3, Length + 3), Multi);
      const int Lo = std::min(A, B), Hi = std::max(A, B);
      switch (Pick(0, 6)) {
        case 0: {  // type or paste over a selection
          Owner.Select(L, A, B);
          ASSERT_EQ(L.GetSelText(), Oracle.substr(Lo, Hi - Lo));
          const WideString S = RandomText(Rng, 6);
          L.ReplaceSelection(S);
          Oracle = Oracle.substr(0, Lo) + Normalized(S, Multi) + Oracle.substr(Hi);
          ASSERT_EQ(L.CaretToIndex(Owner.FCaret), Lo + static_cast<int>(Normalized(S, Multi).size()));
          break;
        }
        case 1:
        case 2: {  // Backspace, with or without a selection
          Owner.Select(L, A, Pick(0, 1) ? B : A);
          const int SelLo = std::min(L.CaretToIndex(Owner.FSelStart), L.CaretToIndex(Owner.FSelEnd));
          const int SelHi = std::max(L.CaretToIndex(Owner.FSelStart), L.CaretToIndex(Owner.FSelEnd));
          L.DeleteBackward();
          if (SelLo != SelHi)
            Oracle.erase(SelLo, SelHi - SelLo);
          else if (SelLo > 0)
            Oracle.erase(SelLo - (Multi && SelLo >= 2 && Oracle.compare(SelLo - 2, 2, L"\r\n") == 0 ? 2 : 1),
                         Multi && SelLo >= 2 && Oracle.compare(SelLo - 2, 2, L"\r\n") == 0 ? 2 : 1);
          break;
        }
        case 3: {  // Delete
          Owner.PlaceCaret(L, A);
          L.DeleteForward();
          if (A < Length) Oracle.erase(A, Multi && Oracle.compare(A, 2, L"\r\n") == 0 ? 2 : 1);
          break;
        }
        case 4: {  // a new width, wrap or tab size, the caret kept where it was
          const TVsParagraphPos Caret = L.CaretToParagraphPos(Owner.FCaret);
          Owner.FWidth = Pick(1, 50);
          if (Pick(0, 3) == 0) Owner.FWordWrap = !Owner.FWordWrap;
          Owner.FTabSpaces = Pick(0, 8);
          L.RewrapAll();
          Owner.FCaret = L.ParagraphPosToCaret(Caret);
          ASSERT_EQ(L.CaretToParagraphPos(Owner.FCaret), Caret);
          break;
        }
        case 5: {  // index round trip
          ASSERT_EQ(L.CaretToIndex(L.IndexToCaret(A)), A) << A;
          break;
        }
        case 6: {  // undo the newest change
          if (Pick(0, 3) == 0) {
            L.Undo();
            Oracle = L.Text();  // checked against the start at the end
          }
          break;
        }
      }
      ASSERT_EQ(L.Text(), Oracle) << "sequence " << Sequence << " operation " << Op;
      if (Op % 8 == 0 && !Oracle.empty()) {
        // Wrapped as a model built from the text afresh.
        TFakeEditOwner Fresh(Owner.FWidth, 5);
        Fresh.FMultiline = Owner.FMultiline;
        Fresh.FWordWrap = Owner.FWordWrap;
        Fresh.FTabSpaces = Owner.FTabSpaces;
        TVsEditStrings F(&Fresh);
        F.SetText(L.Text());
        ASSERT_EQ(VisualLines(L), VisualLines(F)) << "sequence " << Sequence << " operation " << Op;
      }
      ASSERT_NO_FATAL_FAILURE(ExpectConsistent(L, Owner));
    }
    for (int Undos = 0; Owner.FUndo.CanUndo(); ++Undos) {
      ASSERT_LT(Undos, 10 * Operations + 10) << "undo does not end, sequence " << Sequence;
      L.Undo();
      ASSERT_NO_FATAL_FAILURE(ExpectConsistent(L, Owner));
    }
    ASSERT_EQ(L.Text(), Start) << "sequence " << Sequence;
    ASSERT_LT(std::chrono::steady_clock::now() - Started, std::chrono::seconds(5)) << "sequence " << Sequence;
  }
}

}  // namespace
