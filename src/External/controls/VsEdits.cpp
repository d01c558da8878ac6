#include "VsEdits.h"

#include <windowsx.h>
#include <imm.h>
#include <vsstyle.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Filer.h"
#include "Forms.h"
#include "TypInfo.h"
#include "VsCLabel.h"
#include "VsKeyboardInput.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "VsUxTheme.h"

namespace {

const WideString CrLf = L"\r\n";

bool IsBreak(WideChar C) { return C == L'\r' || C == L'\n'; }

// The runs of S between its breaks; CR LF, a lone CR and a lone LF are each
// one break, so N breaks give N + 1 runs.
std::vector<WideString> SplitRuns(const WideString& S) {
  std::vector<WideString> Runs(1);
  for (size_t I = 0; I < S.size(); ++I) {
    if (!IsBreak(S[I])) {
      Runs.back() += S[I];
      continue;
    }
    if (S[I] == L'\r' && I + 1 < S.size() && S[I + 1] == L'\n') ++I;
    Runs.emplace_back();
  }
  return Runs;
}

// Characters of Text (unexpanded) whose expanded runs end within Fit.
int CountWithinFit(const WideString& Text, int Fit, int TabSpaces) {
  int Expanded = 0;
  int Count = 0;
  for (WideChar C : Text) {
    const int Run = C == L'\t' ? TabSpaces : 1;
    if (Expanded + Run > Fit) break;
    Expanded += Run;
    ++Count;
  }
  return Count;
}

int Len(const WideString& S) { return static_cast<int>(S.size()); }

}  // namespace

// ---- measuring

int WideTextFit(HDC DC, const WideString& S, int MaxWidth, bool UseExtentEx) {
  // A negative width would mean "no limit" to GetTextExtentExPointW.
  if (S.empty() || MaxWidth < 0) return 0;
  if (UseExtentEx) {
    int Fit = 0;
    SIZE Size;
    if (GetTextExtentExPointW(DC, S.c_str(), Len(S), MaxWidth, &Fit, nullptr, &Size)) return Fit;
    return 0;
  }
  int N = 0;
  while (N < Len(S)) {
    SIZE Size;
    if (!GetTextExtentPoint32W(DC, S.c_str(), N + 1, &Size) || Size.cx > MaxWidth) break;
    ++N;
  }
  return N;
}

SIZE TVsGdiMeasurer::Extent(const WideString& S) {
  SIZE Size{0, 0};
  if (!GetTextExtentPoint32W(FDC, S.c_str(), Len(S), &Size)) Size = SIZE{0, 0};
  return Size;
}

int TVsGdiMeasurer::FitCount(const WideString& S, int MaxWidth) {
  return WideTextFit(FDC, S, MaxWidth, FUseExtentEx);
}

std::vector<int> TVsGdiMeasurer::CharExtents(const WideString& S) {
  std::vector<int> Result(S.size());
  if (S.empty()) return Result;
  int Fit = 0;
  SIZE Size;
  if (!GetTextExtentExPointW(FDC, S.c_str(), Len(S), 0x7FFFFFFF, &Fit, Result.data(), &Size))
    std::fill(Result.begin(), Result.end(), 0);
  return Result;
}

SIZE TVsFixedMeasurer::Extent(const WideString& S) { return SIZE{FAdvance * Len(S), S.empty() ? 0 : FHeight}; }

int TVsFixedMeasurer::FitCount(const WideString& S, int MaxWidth) {
  if (FAdvance <= 0) return Len(S);
  return std::clamp(MaxWidth / FAdvance, 0, Len(S));
}

std::vector<int> TVsFixedMeasurer::CharExtents(const WideString& S) {
  std::vector<int> Result(S.size());
  for (size_t I = 0; I < S.size(); ++I) Result[I] = FAdvance * static_cast<int>(I + 1);
  return Result;
}

WideString MaskText(const TVsEditOwner& Owner, const WideString& S) {
  const WideChar P = Owner.PasswordChar();
  if (P == 0) return S;
  WideString Result = S;
  for (WideChar& C : Result)
    if (!IsBreak(C)) C = P;
  return Result;
}

WideString ExpandTabs(const TVsEditOwner& Owner, const WideString& S) {
  if (S.find(L'\t') == WideString::npos) return S;
  const WideString Blanks(static_cast<size_t>(std::max(Owner.TabSpaces(), 0)), L' ');
  WideString Result;
  Result.reserve(S.size());
  for (WideChar C : S)
    if (C == L'\t')
      Result += Blanks;
    else
      Result += C;
  return Result;
}

SIZE TextExtent(TVsEditOwner& Owner, const WideString& S) {
  TVsTextMeasurer* M = Owner.Measurer();
  if (!M) return SIZE{0, 0};
  return M->Extent(ExpandTabs(Owner, MaskText(Owner, S)));
}

int CharsInWidth(TVsEditOwner& Owner, int Width, const WideString& Line, int Column) {
  TVsTextMeasurer* M = Owner.Measurer();
  if (!M || Width <= 0) return 0;
  const WideString Masked = MaskText(Owner, Line);
  if (Column < 0) Column = 0;
  if (Column >= Len(Masked)) return 0;
  const WideString Rest = Masked.substr(static_cast<size_t>(Column));
  const int Fit = M->FitCount(ExpandTabs(Owner, Rest), Width);
  return CountWithinFit(Rest, Fit, std::max(Owner.TabSpaces(), 0));
}

int CharsInWidthBackward(TVsEditOwner& Owner, int Width, const WideString& Line, int Column) {
  TVsTextMeasurer* M = Owner.Measurer();
  if (!M || Width <= 0) return 0;
  const WideString Masked = MaskText(Owner, Line);
  Column = std::clamp(Column, 0, Len(Masked));
  if (Column == 0) return 0;
  WideString Head(Masked.rbegin() + (Len(Masked) - Column), Masked.rend());
  const int Fit = M->FitCount(ExpandTabs(Owner, Head), Width);
  return CountWithinFit(Head, Fit, std::max(Owner.TabSpaces(), 0));
}

// ---- paragraphs

void TVsParagraph::Put(int Index, const WideString& S) {
  if (Index == 0 && Count() == 0) {
    TVsWideStringList::Add(S);
    return;
  }
  TVsWideStringList::Put(Index, S);
}

WideString TVsParagraph::Get(int Index) const {
  if (Index == 0 && Count() == 0) return WideString();
  return TVsWideStringList::Get(Index);
}

WideString TVsParagraph::ParagraphText() const {
  const int N = Count();
  if (N == 1) return TVsWideStringList::Get(0);
  WideString Result;
  for (int I = 0; I < N; ++I) Result += TVsWideStringList::Get(I);
  return Result;
}

int TVsParagraph::Length() const {
  int Result = 0;
  for (int I = 0; I < Count(); ++I) Result += Len(TVsWideStringList::Get(I));
  return Result;
}

TVsParagraph* TVsParagraphList::GetParagraph(int Index) {
  if (Index == 0 && Count() == 0) {
    auto P = std::make_unique<TVsParagraph>();
    Add(P.get());
    P.release();
  }
  return static_cast<TVsParagraph*>(Items(Index));
}

// ---- undo list

void TVsAction::Assign(TPersistent* Source) {
  if (auto* A = dynamic_cast<TVsAction*>(Source)) {
    Kind = A->Kind;
    StartPos = A->StartPos;
    EndPos = A->EndPos;
    Text = A->Text;
    return;
  }
  TPersistent::Assign(Source);
}

TVsActionList::~TVsActionList() { Clear(); }

void TVsActionList::Clear() {
  while (!FSteps.Empty()) delete static_cast<TVsAction*>(FSteps.Pop());
}

void TVsActionList::DropOldest() {
  delete static_cast<TVsAction*>(FSteps.Items(0));
  FSteps.Shift(1);
}

void TVsActionList::AddAction(unsigned char Kind, const TVsParagraphPos& Start, const WideString& Text,
                              const TVsParagraphPos& End) {
  if (FLockCount > 0) return;
  auto A = std::make_unique<TVsAction>();
  A->Kind = Kind;
  A->StartPos = Start;
  A->EndPos = End;
  A->Text = Text;
  PushAction(std::move(A));
}

void TVsActionList::PushAction(std::unique_ptr<TVsAction> Action) {
  if (FMaxLevel > 0 && FSteps.Count() >= FMaxLevel) DropOldest();
  FSteps.Push(Action.get());
  Action.release();
}

std::unique_ptr<TVsAction> TVsActionList::PopAction() {
  if (FSteps.Empty()) return nullptr;
  return std::unique_ptr<TVsAction>(static_cast<TVsAction*>(FSteps.Pop()));
}

void TVsActionList::SetMaxLevel(int Value) {
  if (Value < 0 || Value == FMaxLevel) return;
  while (Value > 0 && FSteps.Count() > Value) DropOldest();
  FMaxLevel = Value;
}

// ---- the lines

TVsEditStrings::TVsEditStrings(TVsEditOwner* Owner) : FOwner(Owner) { FHoldsOwnLines = false; }

TVsEditStrings::~TVsEditStrings() = default;

void TVsEditStrings::Changed() {
  TVsWideStringList::Changed();
  FOwner->InvalidateText();
}

int TVsEditStrings::ParagraphLength(int Index) const {
  return static_cast<TVsParagraph*>(FParagraphs.Items(Index))->Length();
}

void TVsEditStrings::CheckParagraph(int Index) const {
  if (Index < 0 || Index >= FParagraphs.Count()) Error("List index out of bounds (%d)", Index);
}

WideString TVsEditStrings::Get(int Index) const {
  CheckParagraph(Index);
  return static_cast<TVsParagraph*>(FParagraphs.Items(Index))->ParagraphText();
}

WideString TVsEditStrings::GetTextStr() const {
  WideString Result;
  for (int I = 0; I < FParagraphs.Count(); ++I) {
    if (I > 0) Result += CrLf;
    Result += Get(I);
  }
  return Result;
}

int TVsEditStrings::TextLength() const {
  const int N = FParagraphs.Count();
  if (N == 0) return 0;
  return ParagraphPosToIndex({N - 1, ParagraphLength(N - 1)});
}

void TVsEditStrings::InvalidateIndexes(int From) const { FIndexValid = std::min(FIndexValid, std::max(From, 0)); }

void TVsEditStrings::SetParagraphText(int Index, const WideString& S) {
  TVsParagraph* P = Paragraph(Index);
  P->Clear();
  P->Add(S);
  InvalidateIndexes(Index + 1);
}

void TVsEditStrings::Rebuild(const WideString& S) {
  BeginUpdate();
  try {
    FParagraphs.Clear();
    FLengths.clear();
    FViewLineMarkers.clear();
    FIndexValid = 0;
    if (FOwner->Multiline()) {
      if (!S.empty()) {
        std::vector<WideString> Runs = SplitRuns(S);
        // A break at the very end adds an empty paragraph only when it is CR LF.
        const size_t N = S.size();
        const bool EndsWithCrLf = N >= 2 && S[N - 2] == L'\r' && S[N - 1] == L'\n';
        if (IsBreak(S[N - 1]) && !EndsWithCrLf) Runs.pop_back();
        for (const WideString& R : Runs) {
          auto P = std::make_unique<TVsParagraph>();
          P->Put(0, R);
          FParagraphs.Add(P.get());
          P.release();
        }
      }
      RewrapAll();
      RenumberFrom(0);
    } else {
      FWidestLength = 0;
      FWidestIndex = 0;
      FWidestText.clear();
      Paragraph(0)->Put(0, S);
      WrapParagraph(0);
      RenumberFrom(0);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TVsEditStrings::SetTextStr(const WideString& Value) {
  if (Value != GetTextStr()) Rebuild(Value);
  FOwner->UndoList().Clear();
  FOwner->ResetView();
  CollapseAt(TVsCaretPoint{});
}

void TVsEditStrings::ReloadText(const WideString& S) {
  Rebuild(S);
  FOwner->UndoList().Clear();
  FOwner->ResetView();
  CollapseAt(TVsCaretPoint{});
}

void TVsEditStrings::AssignText(const WideString& S) {
  const WideString Old = GetTextStr();
  SetTextStr(S);
  RecordAssignment(Old);
}

void TVsEditStrings::RecordAssignment(const WideString& Old) {
  TVsActionList& U = FOwner->UndoList();
  U.AddAction(vsaGroup, {}, WideString(), {});
  U.AddAction(vsaDelete, {}, Old, {});
  const int Last = FParagraphs.Count() - 1;
  U.AddAction(vsaInsert, {}, GetTextStr(), {std::max(Last, 0), Last >= 0 ? ParagraphLength(Last) : 0});
  U.AddAction(vsaGroup, {}, WideString(), {});
}

void TVsEditStrings::InsertParagraphs(int Index, const WideString& S) {
  std::vector<WideString> Runs = SplitRuns(S);
  // A lone CR or LF at the end adds nothing; CR LF adds an empty paragraph.
  const size_t N = S.size();
  if (N > 0 && IsBreak(S[N - 1]) && !(N >= 2 && S[N - 2] == L'\r' && S[N - 1] == L'\n')) Runs.pop_back();
  for (size_t K = 0; K < Runs.size(); ++K) {
    auto P = std::make_unique<TVsParagraph>();
    P->Put(0, Runs[K]);
    const int At = Index + static_cast<int>(K);
    FParagraphs.Insert(At, P.get());
    P.release();
    if (FWidestIndex >= At && FParagraphs.Count() > 1) ++FWidestIndex;
    WrapParagraph(At);
  }
  InvalidateIndexes(Index);
}

void TVsEditStrings::Put(int Index, const WideString& S) {
  CheckParagraph(Index);
  Changing();
  SetParagraphText(Index, S);
  WrapParagraph(Index);
  RenumberFrom(Index);
  FOwner->UndoList().Clear();
  ClampPoints();
  Changed();
}

void TVsEditStrings::Insert(int Index, const WideString& S) {
  if (!FOwner->Multiline()) return;
  if (Index < 0 || Index > FParagraphs.Count()) Error("List index out of bounds (%d)", Index);
  Changing();
  InsertParagraphs(Index, S);
  RenumberFrom(Index);
  FOwner->UndoList().Clear();
  ClampPoints();
  Changed();
}

int TVsEditStrings::Add(const WideString& S) {
  const int Index = FParagraphs.Count();
  Insert(Index, S);
  return Index;
}

void TVsEditStrings::Delete(int Index) {
  CheckParagraph(Index);
  Changing();
  DropParagraph(Index);
  InvalidateIndexes(Index);
  if (Index == FWidestIndex)
    RecomputeWidest();
  else if (Index < FWidestIndex)
    --FWidestIndex;
  if (Index < FParagraphs.Count()) RenumberFrom(Index);
  FOwner->UpdateScrollBars();
  FOwner->UndoList().Clear();
  ClampPoints();
  Changed();
}

void TVsEditStrings::Exchange(int Index1, int Index2) {
  CheckParagraph(Index1);
  CheckParagraph(Index2);
  Changing();
  FParagraphs.Exchange(Index1, Index2);
  if (FWidestIndex == Index1)
    FWidestIndex = Index2;
  else if (FWidestIndex == Index2)
    FWidestIndex = Index1;
  InvalidateIndexes(std::min(Index1, Index2));
  // Moved paragraphs keep numbers that may look right where they are not.
  Renumber(std::min(Index1, Index2), true);
  FOwner->UndoList().Clear();
  ClampPoints();
  Changed();
}

void TVsEditStrings::Clear() {
  Changing();
  FParagraphs.Clear();
  FLengths.clear();
  FViewLineMarkers.clear();
  FIndexValid = 0;
  FWidestLength = 0;
  FWidestIndex = 0;
  FWidestText.clear();
  FOwner->UpdateScrollBars();
  FOwner->UndoList().Clear();
  ClampPoints();
  Changed();
}

// ---- visual lines and mappings

int TVsEditStrings::VisualLineCount() const {
  const int N = FParagraphs.Count();
  if (N == 0) return 0;
  const auto* Last = static_cast<TVsParagraph*>(FParagraphs.Items(N - 1));
  return Last->FirstLine + std::max(Last->Count(), 1);
}

void TVsEditStrings::VisualLineToParagraph(int Line, int& Paragraph, int& LineInParagraph) const {
  Paragraph = 0;
  LineInParagraph = 0;
  // Lines are asked for near the last one found: its paragraph first.
  if (FLastFound < FParagraphs.Count()) {
    const auto* P = static_cast<TVsParagraph*>(FParagraphs.Items(FLastFound));
    if (P->FirstLine <= Line && Line < P->FirstLine + std::max(P->Count(), 1)) {
      Paragraph = FLastFound;
      LineInParagraph = Line - P->FirstLine;
      return;
    }
  }
  int Lo = 0;
  int Hi = FParagraphs.Count() - 1;
  while (Lo <= Hi) {
    const int Mid = (Lo + Hi) / 2;
    const auto* P = static_cast<TVsParagraph*>(FParagraphs.Items(Mid));
    if (P->FirstLine + std::max(P->Count(), 1) - 1 < Line) {
      Lo = Mid + 1;
    } else {
      Hi = Mid - 1;
      if (P->FirstLine <= Line) {
        Paragraph = Mid;
        LineInParagraph = Line - P->FirstLine;
        FLastFound = Mid;
      }
    }
  }
}

WideString TVsEditStrings::GetVisualLine(int Line) const {
  if (FParagraphs.Count() == 0 || Line < 0 || Line >= VisualLineCount()) return WideString();
  int P, K;
  VisualLineToParagraph(Line, P, K);
  return static_cast<TVsParagraph*>(FParagraphs.Items(P))->Strings(K);
}

void TVsEditStrings::SetVisualLine(int Line, const WideString& S) {
  const bool Empty = FParagraphs.Count() == 0;
  // A line that does not exist would otherwise overwrite line 0.
  if ((Empty && Line != 0) || (!Empty && (Line < 0 || Line >= VisualLineCount())))
    throw EVsEditorError("List index outbound (" + std::to_string(Line) + ")");
  int P = 0, K = 0;
  if (!Empty) VisualLineToParagraph(Line, P, K);
  Paragraph(P)->Put(K, S);
  InvalidateIndexes(P + 1);
  WrapParagraph(P);
  RenumberFrom(P);
}

TVsParagraphPos TVsEditStrings::CaretToParagraphPos(const TVsCaretPoint& Pt) const {
  if (FParagraphs.Count() == 0) return {};
  int P, K;
  VisualLineToParagraph(Pt.Y, P, K);
  const auto* Para = static_cast<TVsParagraph*>(FParagraphs.Items(P));
  int Offset = Pt.X;
  for (int I = 0; I < K && I < Para->Count(); ++I) Offset += Len(Para->Strings(I));
  return {P, std::clamp(Offset, 0, Para->Length())};
}

TVsCaretPoint TVsEditStrings::ParagraphPosToCaret(const TVsParagraphPos& Pos) const {
  if (FParagraphs.Count() == 0) return {};
  const int PIndex = std::clamp(Pos.Paragraph, 0, FParagraphs.Count() - 1);
  const auto* Para = static_cast<TVsParagraph*>(FParagraphs.Items(PIndex));
  const int Lines = std::max(Para->Count(), 1);
  int Total = Len(Para->Strings(0));
  int Before = 0;
  int Added = 1;
  while (Total < Pos.Offset && Added < Lines) {
    Before = Total;
    Total += Len(Para->Strings(Added));
    ++Added;
  }
  return {Pos.Offset - Before, Para->FirstLine + Added - 1};
}

int TVsEditStrings::ParagraphPosToIndex(const TVsParagraphPos& Pos) const {
  const int N = FParagraphs.Count();
  if (N == 0) return 0;
  const int P = std::clamp(Pos.Paragraph, 0, N - 1);
  if (static_cast<int>(FIndexCache.size()) < N) FIndexCache.resize(static_cast<size_t>(N));
  if (FIndexValid == 0) {
    FIndexCache[0] = 0;
    FIndexValid = 1;
  }
  while (FIndexValid <= P) {
    FIndexCache[static_cast<size_t>(FIndexValid)] =
        FIndexCache[static_cast<size_t>(FIndexValid - 1)] + ParagraphLength(FIndexValid - 1) + 2;
    ++FIndexValid;
  }
  return FIndexCache[static_cast<size_t>(P)] + Pos.Offset;
}

int TVsEditStrings::CaretToIndex(const TVsCaretPoint& Pt) const { return ParagraphPosToIndex(CaretToParagraphPos(Pt)); }

TVsCaretPoint TVsEditStrings::IndexToCaret(int Index) const {
  const int N = FParagraphs.Count();
  if (N == 0) return {};
  if (Index < 0) Index = 0;
  // The paragraph holding the index: the last one starting at or before it.
  int Lo = 0, Hi = N - 1;
  while (Lo < Hi) {
    const int Mid = (Lo + Hi + 1) / 2;
    if (ParagraphPosToIndex({Mid, 0}) <= Index)
      Lo = Mid;
    else
      Hi = Mid - 1;
  }
  const int Offset = Index - ParagraphPosToIndex({Lo, 0});
  const int Length = ParagraphLength(Lo);
  // Beyond the text: its end. On the CR LF: past the paragraph's end.
  if (Lo == N - 1 && Offset > Length) return ParagraphPosToCaret({Lo, Length});
  return ParagraphPosToCaret({Lo, Offset});
}

// ---- wrapping

void TVsEditStrings::SplitAtFit(WideString& T, int F, WideString& Rest) const {
  Rest.clear();
  const int L = Len(T);
  if (F < 1) return;
  if (FOwner->RightAlignedText()) {
    // The break is looked for from the far side; every character stays.
    int P = std::max(L - F, 1);
    while (P < L && T[static_cast<size_t>(P - 1)] != L' ') ++P;
    Rest = T.substr(static_cast<size_t>(P));
    T.resize(static_cast<size_t>(P));
    return;
  }
  if (F >= L) F = L - 1;
  // The head keeps at least one character, or the wrap would never end.
  if (F < 1) return;
  const size_t Cr = T.find(L'\r');
  int P = Cr == WideString::npos ? 0 : static_cast<int>(Cr) + 1;
  if ((P == 0 || F < P) && FOwner->WordWrap() && FOwner->Multiline() && F < L) {
    P = F;
    while (P > 1 && T[static_cast<size_t>(P - 1)] != L' ' && T[static_cast<size_t>(P - 1)] != L'\t') --P;
    if (P == 1) P = F;
  }
  Rest = T.substr(static_cast<size_t>(P));
  T.resize(static_cast<size_t>(P));
}

void TVsEditStrings::ForgetLength(TVsParagraph* P) {
  if (P->FLengthSeen < 0) return;
  auto It = FLengths.find(P->FLengthSeen);
  if (It != FLengths.end() && --It->second == 0) FLengths.erase(It);
  P->FLengthSeen = -1;
}

void TVsEditStrings::DropParagraph(int Index) {
  ForgetLength(Paragraph(Index));
  FParagraphs.DeleteParagraph(Index);
}

void TVsEditStrings::RecomputeWidest() {
  FWidestLength = 0;
  FWidestIndex = 0;
  FWidestText.clear();
  if (FOwner->WordWrap() && FOwner->Multiline()) return;
  // Every unwrapped paragraph is counted in FLengths with its length, so
  // the first paragraph of the longest length counted ends the search.
  const int Longest = FLengths.empty() ? 0 : FLengths.rbegin()->first;
  for (int I = 0; I < FParagraphs.Count() && FWidestLength < Longest; ++I) {
    const int L = ParagraphLength(I);
    if (L > FWidestLength) {
      FWidestLength = L;
      FWidestIndex = I;
    }
  }
  if (FParagraphs.Count() > 0) FWidestText = Get(FWidestIndex);
}

bool TVsEditStrings::NeedsSplit(const WideString& T, int TestWidth, int FitWidth, int& F) {
  // A fit shorter than a measured head is the fit of the whole text (the
  // fit of a prefix depends on nothing after it), so ever longer heads are
  // measured before the whole.
  for (size_t Head = 64; Head < T.size(); Head *= 2) {
    const WideString S = T.substr(0, Head);
    if (TextExtent(*FOwner, S).cx + 2 >= TestWidth) {
      F = CharsInWidth(*FOwner, FitWidth, S, 0);
      if (F < static_cast<int>(Head)) return true;
    }
  }
  if (TextExtent(*FOwner, T).cx + 2 < TestWidth) return false;
  F = CharsInWidth(*FOwner, FitWidth, T, 0);
  return true;
}

void TVsEditStrings::WrapParagraph(int Index) {
  TVsParagraph* Para = Paragraph(Index);
  WideString T = Para->ParagraphText();
  Para->Clear();
  Para->Add(WideString());
  InvalidateIndexes(Index + 1);
  ForgetLength(Para);
  if (!FOwner->WordWrap() || !FOwner->Multiline()) {
    Para->Put(0, T);
    Para->FLengthSeen = Len(T);
    ++FLengths[Len(T)];
    const int Longest = FLengths.rbegin()->first;
    if (Len(T) == Longest && (Len(T) > FWidestLength || Index == FWidestIndex)) {
      FWidestLength = Len(T);
      FWidestIndex = Index;
      FWidestText = T;
    } else if (Index == FWidestIndex) {
      // The widest shrank below another paragraph.
      RecomputeWidest();
    }
    return;
  }
  const RECT R = FOwner->EditRect();
  const int TestWidth = R.right - FOwner->RightMargin();
  const int FitWidth = R.right - FOwner->RightMargin() - R.left - FOwner->LeftMargin();
  for (int K = 0; K < Para->Count(); ++K) {
    int F = 0;
    if (NeedsSplit(T, TestWidth, FitWidth, F)) {
      WideString Rest;
      SplitAtFit(T, F, Rest);
      Para->Put(K, T);
      if (Rest.empty()) break;
      Para->Insert(K + 1, Rest);
      if (FOwner->RightAlignedView())
        FViewLineMarkers.insert(FViewLineMarkers.begin() + std::min<size_t>(K, FViewLineMarkers.size()),
                                AnsiString(std::to_string(K)));
      T = Rest;
    } else {
      if (K == 0) Para->Put(0, T);
      break;
    }
  }
}

void TVsEditStrings::RewrapAll() {
  FLengths.clear();
  for (int I = 0; I < FParagraphs.Count(); ++I) Paragraph(I)->FLengthSeen = -1;
  FWidestLength = 0;
  FWidestIndex = 0;
  FWidestText.clear();
  FViewLineMarkers.clear();
  for (int I = 0; I < FParagraphs.Count(); ++I) WrapParagraph(I);
  Renumber(0, true);
  FOwner->UpdateScrollBars();
}

void TVsEditStrings::RenumberFrom(int Index) { Renumber(Index, false); }

void TVsEditStrings::Renumber(int Index, bool Whole) {
  const int N = FParagraphs.Count();
  for (int J = std::max(Index, 0); J < N; ++J) {
    auto* P = static_cast<TVsParagraph*>(FParagraphs.Items(J));
    int First = 0;
    if (J > 0) {
      const auto* Prev = static_cast<TVsParagraph*>(FParagraphs.Items(J - 1));
      First = Prev->FirstLine + std::max(Prev->Count(), 1);
    }
    // Past the changed paragraph, the rest are already numbered alike.
    if (!Whole && J > Index && P->FirstLine == First) break;
    P->FirstLine = First;
  }
  FOwner->UpdateScrollBars();
}

// ---- editing

void TVsEditStrings::InsertText(TVsCaretPoint& Pt, const WideString& S) {
  Changing();
  const TVsParagraphPos Pos = CaretToParagraphPos(Pt);
  TVsParagraph* Para = Paragraph(Pos.Paragraph);
  const WideString Old = Para->ParagraphText();
  const size_t At = static_cast<size_t>(Pos.Offset);
  TVsParagraphPos After;
  if (!FOwner->Multiline()) {
    // One line only: S up to its first break, the rest of the line kept.
    const size_t Break = S.find_first_of(L"\r\n");
    // Undo puts back characters as they were, breaks included.
    const WideString Run = FRestoring ? S : S.substr(0, Break);
    SetParagraphText(Pos.Paragraph, Old.substr(0, At) + Run + Old.substr(At));
    WrapParagraph(Pos.Paragraph);
    RenumberFrom(Pos.Paragraph);
    After = {Pos.Paragraph, Pos.Offset + Len(Run)};
  } else {
    const std::vector<WideString> Runs = SplitRuns(S);
    if (Runs.size() == 1) {
      SetParagraphText(Pos.Paragraph, Old.substr(0, At) + S + Old.substr(At));
      WrapParagraph(Pos.Paragraph);
      After = {Pos.Paragraph, Pos.Offset + Len(S)};
    } else {
      const WideString Tail = Old.substr(At);
      SetParagraphText(Pos.Paragraph, Old.substr(0, At) + Runs.front());
      WrapParagraph(Pos.Paragraph);
      for (size_t K = 1; K < Runs.size(); ++K) {
        auto P = std::make_unique<TVsParagraph>();
        P->Put(0, K + 1 == Runs.size() ? Runs[K] + Tail : Runs[K]);
        const int Index = Pos.Paragraph + static_cast<int>(K);
        FParagraphs.Insert(Index, P.get());
        P.release();
        if (FWidestIndex >= Index) ++FWidestIndex;
        WrapParagraph(Index);
      }
      InvalidateIndexes(Pos.Paragraph + 1);
      After = {Pos.Paragraph + static_cast<int>(Runs.size()) - 1, Len(Runs.back())};
    }
    RenumberFrom(Pos.Paragraph);
  }
  Pt = ParagraphPosToCaret(After);
  Changed();
}

WideString TVsEditStrings::RangeText(const TVsParagraphPos& A, const TVsParagraphPos& B) const {
  if (FParagraphs.Count() == 0) return WideString();
  if (A.Paragraph == B.Paragraph)
    return Get(A.Paragraph).substr(static_cast<size_t>(A.Offset), static_cast<size_t>(B.Offset - A.Offset));
  WideString Result = Get(A.Paragraph).substr(static_cast<size_t>(A.Offset)) + CrLf;
  for (int P = A.Paragraph + 1; P < B.Paragraph; ++P) Result += Get(P) + CrLf;
  return Result + Get(B.Paragraph).substr(0, static_cast<size_t>(B.Offset));
}

WideString TVsEditStrings::GetSelText() const {
  TVsParagraphPos A = CaretToParagraphPos(FOwner->SelStartPoint());
  TVsParagraphPos B = CaretToParagraphPos(FOwner->SelEndPoint());
  if (B < A) std::swap(A, B);
  return RangeText(A, B);
}

void TVsEditStrings::DeleteRange(const TVsParagraphPos& A, const TVsParagraphPos& B) {
  const WideString First = Get(A.Paragraph);
  bool WidestGone = false;
  if (A.Paragraph == B.Paragraph) {
    SetParagraphText(A.Paragraph, First.substr(0, static_cast<size_t>(A.Offset)) + First.substr(static_cast<size_t>(B.Offset)));
  } else {
    const WideString Last = Get(B.Paragraph);
    SetParagraphText(A.Paragraph, First.substr(0, static_cast<size_t>(A.Offset)) + Last.substr(static_cast<size_t>(B.Offset)));
    for (int P = B.Paragraph; P > A.Paragraph; --P) {
      DropParagraph(P);
      if (P == FWidestIndex)
        WidestGone = true;
      else if (P < FWidestIndex)
        --FWidestIndex;
    }
    InvalidateIndexes(A.Paragraph + 1);
  }
  WrapParagraph(A.Paragraph);
  // After the wrap has counted the joined paragraph's length: the search
  // for the widest trusts every length counted.
  if (WidestGone) RecomputeWidest();
  RenumberFrom(A.Paragraph);
}

void TVsEditStrings::DeleteSelection() {
  TVsParagraphPos A = CaretToParagraphPos(FOwner->SelStartPoint());
  TVsParagraphPos B = CaretToParagraphPos(FOwner->SelEndPoint());
  if (B < A) std::swap(A, B);
  if (A == B || FParagraphs.Count() == 0) return;
  const TVsParagraphPos Caret = CaretPos();
  const WideString Deleted = RangeText(A, B);
  Changing();
  DeleteRange(A, B);
  Changed();
  FOwner->UndoList().AddAction(vsaDeleteSelection, Caret, Deleted, A);
  CollapseAt(ParagraphPosToCaret(A));
}

void TVsEditStrings::CollapseAt(const TVsCaretPoint& P) {
  FOwner->SetCaret(P);
  FOwner->SetAnchor(P);
  FOwner->SetSelection(P, P);
}

void TVsEditStrings::ReplaceSelection(const WideString& S) {
  TVsActionList& U = FOwner->UndoList();
  U.AddAction(vsaGroup, {}, WideString(), {});
  DeleteSelection();
  const TVsParagraphPos Before = CaretPos();
  TVsCaretPoint Pt = FOwner->Caret();
  InsertText(Pt, S);
  CollapseAt(Pt);
  const TVsParagraphPos After = CaretToParagraphPos(Pt);
  if (After != Before) U.AddAction(vsaInsert, Before, S, After);
  U.AddAction(vsaGroup, {}, WideString(), {});
  FOwner->TextChanged();
  FOwner->Change();
}

void TVsEditStrings::DeleteBackward() { DeleteBeside(false); }

void TVsEditStrings::DeleteForward() { DeleteBeside(true); }

void TVsEditStrings::DeleteBeside(bool Forward) {
  if (CaretToParagraphPos(FOwner->SelStartPoint()) != CaretToParagraphPos(FOwner->SelEndPoint())) {
    DeleteSelection();
  } else {
    if (FParagraphs.Count() == 0) return;
    const TVsParagraphPos Pos = CaretPos();
    // The character (or the CR LF between paragraphs) before or after.
    TVsParagraphPos Other;
    if (!Forward && Pos.Offset > 0)
      Other = {Pos.Paragraph, Pos.Offset - 1};
    else if (!Forward && Pos.Paragraph > 0)
      Other = {Pos.Paragraph - 1, ParagraphLength(Pos.Paragraph - 1)};
    else if (Forward && Pos.Offset < ParagraphLength(Pos.Paragraph))
      Other = {Pos.Paragraph, Pos.Offset + 1};
    else if (Forward && Pos.Paragraph + 1 < FParagraphs.Count())
      Other = {Pos.Paragraph + 1, 0};
    else
      return;
    const TVsParagraphPos From = Forward ? Pos : Other;
    const TVsParagraphPos To = Forward ? Other : Pos;
    const WideString Removed = RangeText(From, To);
    Changing();
    DeleteRange(From, To);
    Changed();
    // Backspace: from the caret before to the caret after; Delete: at the caret.
    FOwner->UndoList().AddAction(Forward ? vsaDelete : vsaBackspace, Pos, Removed, From);
    CollapseAt(ParagraphPosToCaret(From));
  }
  FOwner->TextChanged();
  FOwner->Change();
}

TVsCaretPoint TVsEditStrings::ClampPoint(const TVsCaretPoint& P) const {
  const int Lines = VisualLineCount();
  if (Lines == 0) return {};
  TVsCaretPoint R = P;
  R.Y = std::clamp(R.Y, 0, Lines - 1);
  R.X = std::clamp(R.X, 0, Len(GetVisualLine(R.Y)));
  return R;
}

void TVsEditStrings::ClampPoints() {
  const TVsCaretPoint Start = ClampPoint(FOwner->SelStartPoint());
  const TVsCaretPoint End = ClampPoint(FOwner->SelEndPoint());
  FOwner->SetCaret(ClampPoint(FOwner->Caret()));
  FOwner->SetAnchor(ClampPoint(FOwner->Anchor()));
  FOwner->SetSelection(Start, End);
}

void TVsEditStrings::Undo() {
  TVsActionList& U = FOwner->UndoList();
  bool GroupOpen = false;
  U.LockUndo();
  FRestoring = true;
  try {
    do {
      std::unique_ptr<TVsAction> A = U.PopAction();
      if (!A) break;
      switch (A->Kind) {
        case vsaInsert: {
          const TVsCaretPoint Start = ParagraphPosToCaret(A->StartPos);
          FOwner->SetCaret(Start);
          FOwner->SetAnchor(Start);
          FOwner->SetSelection(Start, ParagraphPosToCaret(A->EndPos));
          DeleteSelection();
          break;
        }
        case vsaDelete:
        case vsaBackspace:
        case vsaDeleteSelection: {
          TVsCaretPoint After = ParagraphPosToCaret(A->EndPos);
          InsertText(After, A->Text);
          const TVsParagraphPos AfterPos = CaretToParagraphPos(After);
          const TVsCaretPoint Start = ParagraphPosToCaret(A->StartPos);
          FOwner->SetCaret(Start);
          FOwner->SetAnchor(Start);
          if (A->Kind == vsaDeleteSelection)
            FOwner->SetSelection(Start, AfterPos <= A->StartPos ? ParagraphPosToCaret(A->EndPos) : After);
          else
            FOwner->SetSelection(Start, Start);
          break;
        }
        case vsaGroup:
          GroupOpen = !GroupOpen;
          break;
        default:
          break;
      }
      FOwner->InvalidateText();
    } while (GroupOpen);
  } catch (...) {
    FRestoring = false;
    U.UnlockUndo();
    throw;
  }
  FRestoring = false;
  U.UnlockUndo();
  FOwner->TextChanged();
  if (!FOwner->NotifyUserChangeOnly()) FOwner->Change();
}

// ---------------------------------------------------------------------------
// TCustomVsEdit

namespace {

int Clamp0(int V, int Hi) { return std::max(0, std::min(V, Hi)); }

// 8-bit text of the system code page as UTF-16.
WideString FromAnsi(const char* S, int Length = -1) {
  if (!S) return WideString();
  const int N = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED | MB_USEGLYPHCHARS, S, Length, nullptr, 0);
  if (N <= 0) return WideString();
  WideString R(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED | MB_USEGLYPHCHARS, S, Length, R.data(), N);
  if (Length < 0 && !R.empty() && R.back() == L'\0') R.pop_back();
  return R;
}

AnsiString ToAnsi(const WideString& S) { return WideToAnsi(S); }

// At most Room bytes of S, never ending inside a double-byte character.
size_t AnsiFit(const AnsiString& S, size_t Room) {
  if (S.size() <= Room) return S.size();
  size_t I = 0;
  while (I < Room) {
    const size_t Step = IsDBCSLeadByte(static_cast<BYTE>(S[I])) ? 2 : 1;
    if (I + Step > Room) break;
    I += Step;
  }
  return I;
}

bool IsBlank(WideChar C) { return C == L' ' || C == L'\t'; }

const TEnumNames LinkPositionNames{"lcpLeftTop",    "lcpLeftBottom",  "lcpLeftCenter", "lcpTopLeft",
                                   "lcpTopRight",   "lcpTopCenter",   "lcpRightTop",   "lcpRightBottom",
                                   "lcpRightCenter", "lcpBottomLeft", "lcpBottomRight", "lcpBottomCenter"};

}  // namespace

TCustomVsEdit::TCustomVsEdit(TComponent* AOwner) : TVsXPThemedControl(AOwner) {
  FLines = std::make_unique<TVsEditStrings>(this);
  InitController();
  SetControlStyle(ControlStyle() + TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
  SetBounds(Left(), Top(), 200, 100);
  SetCursor(crIBeam);
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  SetAutoSize(true);
  FBackground.reset(new TBitmap());
  FBackground->OnChange = TNotifyEvent(this, &TCustomVsEdit::BackgroundChanged);
  FImageFormLink.reset(new TImgFormChangeLink());
  FImageFormLink->OnChange = TImgFormChangeEvent(this, &TCustomVsEdit::ImageFormChanged);
}

TCustomVsEdit::~TCustomVsEdit() {
  if (FImageForm) FImageForm->UnregisterChanges(FImageFormLink.get());
  if (FMeasureDC) {
    SelectObject(FMeasureDC, FMeasureOldFont);
    DeleteDC(FMeasureDC);
  }
}

bool TCustomVsEdit::Loading() const {
  const TComponentState S = ComponentState();
  return S.Contains(csLoading) || S.Contains(csReading) || S.Contains(csDestroying);
}

TVsTextMeasurer* TCustomVsEdit::Measurer() {
  if (!HandleAllocated()) return nullptr;
  if (!FMeasureDC) {
    FMeasureDC = CreateCompatibleDC(nullptr);
    FMeasureOldFont = SelectObject(FMeasureDC, Font()->Handle());
    FMeasurer = std::make_unique<TVsGdiMeasurer>(FMeasureDC, IsWinNT);
  } else {
    SelectObject(FMeasureDC, Font()->Handle());
  }
  return FMeasurer.get();
}

void TCustomVsEdit::CreateParams(TCreateParams& Params) {
  TVsXPThemedControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
    if (FlatClassic()) {
      Params.Style &= ~static_cast<DWORD>(WS_BORDER);
      Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    }
  }
  if (FMultiline) {
    Params.Style |= ES_MULTILINE;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  }
  if (FRightAlignedView) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (FRightAlignedText) Params.ExStyle |= WS_EX_RTLREADING | WS_EX_RIGHT;
  if (FTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
  // Everything is painted from the edit's own state: a resize repaints
  // only what the new size uncovers.
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomVsEdit::CreateWnd() {
  FVertState = FHorzState = TBarState{};
  FPaintPending = false;
  TVsXPThemedControl::CreateWnd();
  AttachController();
  if (!Multiline() && AutoSize() && !Loading()) AdjustHeight();
  UpdateEditRect();
  FLines->RewrapAll();
  ClampCaret();
  UpdateScrollBars();
}

void TCustomVsEdit::DestroyWnd() {
  if (FCaretCreated) {
    DestroyCaret();
    FCaretCreated = false;
  }
  TVsXPThemedControl::DestroyWnd();
  FController->SetControl(nullptr);
}

void TCustomVsEdit::Loaded() {
  TVsXPThemedControl::Loaded();
  AdjustHeight();
  UpdateEditRect();
  FLines->RewrapAll();
  UpdateScrollBars();
  UpdateLinkedControl();
}

int TCustomVsEdit::LineHeight() const { return std::abs(Font()->Height()) + 2; }

int TCustomVsEdit::VisibleLines() const {
  const int H = FEditRect.bottom - FEditRect.top - FTopMargin;
  return std::max(1, H / LineHeight());
}

void TCustomVsEdit::AdjustHeight() {
  if (Multiline() || !AutoSize() || Loading()) return;
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Font()->Handle());
  TEXTMETRICW TM{};
  GetTextMetricsW(DC, &TM);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  int H = TM.tmHeight;
  if (FBorderStyle == bsSingle) H += Ctl3D() ? 4 * GetSystemMetrics(SM_CYEDGE) : 6 * GetSystemMetrics(SM_CYBORDER);
  if (H != Height()) SetBounds(Left(), Top(), Width(), H);
}

void TCustomVsEdit::UpdateEditRect() {
  RECT R{};
  if (HandleAllocated()) GetClientRect(FHandle, &R);
  if (!Multiline()) {
    // One line, centred in the client area.
    const int H = LineHeight() + FTopMargin;
    const int Top = std::max(0, static_cast<int>(R.bottom - R.top - H) / 2);
    R.top = Top;
    R.bottom = std::max(static_cast<int>(R.bottom), Top + H);
  }
  FEditRect = R;
}

void TCustomVsEdit::SetSelection(const TVsCaretPoint& Start, const TVsCaretPoint& End) {
  FSelStart = Start;
  FSelEnd = End;
}

void TCustomVsEdit::ResetView() {
  FTopLine = 0;
  FLeftChar = 0;
}

void TCustomVsEdit::InvalidateText() {
  // Once is enough until the next paint.
  if (!HandleAllocated() || FPaintPending) return;
  FPaintPending = true;
  InvalidateRect(FHandle, nullptr, ErasesBackground() ? TRUE : FALSE);
}

void TCustomVsEdit::Repaint() { InvalidateText(); }

void TCustomVsEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomVsEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomVsEdit::DoKeyPressEx(WideString& S) {
  if (OnKeyPressEx) OnKeyPressEx(this, S);
}

// A change that came as a message or from the menu: OnChange only when
// every change counts.
void TCustomVsEdit::TextEdited(bool UserChange) {
  TextChanged();
  if (UserChange || !FNotifyUserChangeOnly) Change();
  UpdateScrollBars();
  MakeCaretVisible();
  if (FCaretCreated) PlaceCaret(FCaret.X, FCaret.Y);
  Repaint();
}

// After an edit: caret and selection inside the text, shown, the bars and
// the text brought up to date.
void TCustomVsEdit::ShowEdit() {
  ClampCaret();
  SelectionChange();
  UpdateScrollBars();
  MakeCaretVisible();
  PlaceCaret(FCaret.X, FCaret.Y);
  Repaint();
}

// What MaxLength leaves for an insertion that replaces the selection.
int TCustomVsEdit::Room() const {
  return std::max(0, FMaxLength - (static_cast<int>(Text().size()) - GetSelLength()));
}

// The keyboard commands that work through messages fire the one OnChange
// the message left out.
void TCustomVsEdit::KeyboardChange() {
  if (FNotifyUserChangeOnly) Change();
}

// ---- text ----

WideString TCustomVsEdit::Text() const { return FLines->Text(); }

WideString TCustomVsEdit::ApplyCharCase(const WideString& S) const {
  if (FCharCase == eecUpperCase) return VsWideUpperCase(S);
  if (FCharCase == eecLowerCase) return VsWideLowerCase(S);
  return S;
}

void TCustomVsEdit::SetText(const WideString& Value) {
  if (Loading()) {
    FLines->SetText(Value);
    return;
  }
  const WideString Old = Text();
  if (Value == Old) return;
  const WideString S = ApplyCharCase(Value);
  // Once there is a line to go back to, one undo step brings the old text back.
  const bool Undoable = FLines->VisualLineCount() > 0;
  if (HandleAllocated()) {
    // An 8-bit window: the A form passes the UTF-16 text on unconverted.
    SendMessageA(FHandle, WM_SETTEXT, 1, reinterpret_cast<LPARAM>(S.c_str()));
  } else {
    FLines->SetText(S);
    TextChanged();
    if (!FNotifyUserChangeOnly) Change();
  }
  if (Undoable) FLines->RecordAssignment(Old);
  UpdateScrollBars();
}

void TCustomVsEdit::SetMaxLength(int Value) {
  if (Value == FMaxLength || Value < 0) return;
  FMaxLength = Value;
  if (Value > 0 && static_cast<int>(Text().size()) > Value) SetText(Text().substr(0, static_cast<size_t>(Value)));
}

void TCustomVsEdit::SetLines(TVsWideStrings* Value) {
  if (Value) FLines->Assign(Value);
}

int TCustomVsEdit::GetSelStart() const { return FLines->CaretToIndex(FCaret); }

void TCustomVsEdit::SetSelStart(int Value) {
  const TVsCaretPoint P = FLines->IndexToCaret(std::max(0, Value));
  Deselect();
  FKeepAtLineEnd = true;
  SetCaretY(P.Y);
  FCaret.X = -1;
  SetCaretX(P.X);
  FKeepAtLineEnd = false;
  FAnchor = FCaret;
  FSelStart = FSelEnd = FCaret;
}

int TCustomVsEdit::GetSelLength() const { return static_cast<int>(FLines->GetSelText().size()); }

void TCustomVsEdit::SetSelLength(int Value) {
  if (Value != 0) {
    const TVsCaretPoint P = FLines->IndexToCaret(std::max(0, GetSelStart() + Value));
    FAnchor = FCaret;
    SelectTo(P.X, P.Y);
    FCaret = P;
    MakeCaretVisible();
    if (FCaretCreated) PlaceCaret(FCaret.X, FCaret.Y);
  } else {
    Deselect();
  }
  SelectionChange();
  Repaint();
}

WideString TCustomVsEdit::SelText() const { return FLines->GetSelText(); }

void TCustomVsEdit::SetSelText(const WideString& S) {
  // One step for the replacement: undo takes the text out and puts the
  // selection back.
  FUndo.AddAction(vsaGroup, {}, WideString(), {});
  FLines->DeleteSelection();
  const TVsParagraphPos Before = FLines->CaretToParagraphPos(FCaret);
  TVsCaretPoint P = FCaret;
  const WideString T = ApplyCharCase(S);
  FLines->InsertText(P, T);
  const TVsParagraphPos After = FLines->CaretToParagraphPos(P);
  if (After != Before) FUndo.AddAction(vsaInsert, Before, T, After);
  FUndo.AddAction(vsaGroup, {}, WideString(), {});
  SelectTo(P.X, P.Y);
  FCaret = P;
  TextEdited(false);
}

void TCustomVsEdit::ClampCaret() {
  const int Lines = FLines->VisualLineCount();
  auto Fix = [&](TVsCaretPoint& P) {
    P.Y = Clamp0(P.Y, std::max(0, Lines - 1));
    P.X = Clamp0(P.X, LineLength(P.Y));
  };
  Fix(FCaret);
  Fix(FAnchor);
  Fix(FSelStart);
  Fix(FSelEnd);
}

int TCustomVsEdit::LineLength(int Y) const {
  if (Y < 0 || Y >= FLines->VisualLineCount()) return 0;
  return static_cast<int>(FLines->GetVisualLine(Y).size());
}

int TCustomVsEdit::ParagraphOf(int Y) const {
  int Para = 0, InPara = 0;
  FLines->VisualLineToParagraph(Y, Para, InPara);
  return Para;
}

// Visual line Y continues the paragraph of line Y - 1.
bool TCustomVsEdit::ContinuesParagraph(int Y) const {
  int Para = 0, InPara = 0;
  FLines->VisualLineToParagraph(Y, Para, InPara);
  return InPara > 0;
}

void TCustomVsEdit::Undo() {
  if (FReadOnly) return;
  FLines->Undo();
  ClampCaret();
  UpdateScrollBars();
  MakeCaretVisible();
  if (FCaretCreated) PlaceCaret(FCaret.X, FCaret.Y);
  SelectionChange();
  Repaint();
}

// ---- selection ----

void TCustomVsEdit::SelectTo(int X, int Y) {
  const TVsCaretPoint P{X, Y};
  auto Before = [](const TVsCaretPoint& A, const TVsCaretPoint& B) { return A.Y < B.Y || (A.Y == B.Y && A.X < B.X); };
  if (Before(P, FAnchor)) {
    FSelStart = P;
    FSelEnd = FAnchor;
  } else {
    FSelStart = FAnchor;
    FSelEnd = P;
  }
}

void TCustomVsEdit::Deselect() {
  if (!HasSelection()) return;
  FSelStart = FSelEnd = FAnchor;
  SelectionChange();
  Repaint();
}

void TCustomVsEdit::CollapseSelection() {
  FAnchor = FCaret;
  FSelStart = FSelEnd = FCaret;
}

void TCustomVsEdit::SelectAll() {
  FAnchor = TVsCaretPoint{};
  const int Last = std::max(0, FLines->VisualLineCount() - 1);
  FCaret = TVsCaretPoint{LineLength(Last), Last};
  SelectTo(FCaret.X, FCaret.Y);
  if (FCaret.Y >= FTopLine + VisibleLines()) {
    if (FCaretCreated) SetCaretPos(-100, -100);
  } else {
    MakeCaretVisible();
    if (FCaretCreated) PlaceCaret(FCaret.X, FCaret.Y);
  }
  SelectionChange();
  Repaint();
}

TVsCaretPoint TCustomVsEdit::WordEnd(const TVsCaretPoint& P) const {
  const TVsParagraphPos Pos = FLines->CaretToParagraphPos(P);
  const WideString Para = FLines->ParagraphCount() > 0 ? FLines->Strings(Pos.Paragraph) : WideString();
  const int N = static_cast<int>(Para.size());
  int I = Pos.Offset;
  if (I >= N) {
    if (Pos.Paragraph + 1 < FLines->ParagraphCount())
      return FLines->ParagraphPosToCaret({Pos.Paragraph + 1, 0});
    return P;
  }
  const bool Gap = IsBlank(Para[static_cast<size_t>(I)]);
  while (I < N && IsBlank(Para[static_cast<size_t>(I)]) == Gap) ++I;
  while (I < N && IsBlank(Para[static_cast<size_t>(I)])) ++I;
  return FLines->ParagraphPosToCaret({Pos.Paragraph, I});
}

TVsCaretPoint TCustomVsEdit::WordStart(const TVsCaretPoint& P) const {
  const TVsParagraphPos Pos = FLines->CaretToParagraphPos(P);
  if (Pos.Offset <= 0) {
    if (Pos.Paragraph == 0) return TVsCaretPoint{};
    return FLines->ParagraphPosToCaret({Pos.Paragraph - 1, FLines->ParagraphLength(Pos.Paragraph - 1)});
  }
  const WideString Para = FLines->Strings(Pos.Paragraph);
  int I = std::min(Pos.Offset, static_cast<int>(Para.size()));
  // Inside a gap: back to the word before it.
  while (I > 0 && IsBlank(Para[static_cast<size_t>(I - 1)])) --I;
  while (I > 0 && !IsBlank(Para[static_cast<size_t>(I - 1)])) --I;
  return FLines->ParagraphPosToCaret({Pos.Paragraph, I});
}

// ---- caret ----

void TCustomVsEdit::CreateEditCaret() {
  if (!HandleAllocated()) return;
  HDC DC = GetDC(FHandle);
  HGDIOBJ Old = SelectObject(DC, Font()->Handle());
  TEXTMETRICW TM{};
  GetTextMetricsW(DC, &TM);
  SelectObject(DC, Old);
  ReleaseDC(FHandle, DC);
  const int W = GetSystemMetrics(SM_CXBORDER) * (TM.tmWeight >= FW_BOLD ? 2 : 1);
  FCaretCreated = CreateCaret(FHandle, nullptr, W, TM.tmHeight) != FALSE;
}

int TCustomVsEdit::LineTextWidth(int Y, int From, int To) {
  if (Y < 0 || Y >= FLines->VisualLineCount() || To <= From) return 0;
  const WideString L = FLines->GetVisualLine(Y);
  From = Clamp0(From, static_cast<int>(L.size()));
  To = Clamp0(To, static_cast<int>(L.size()));
  return TextExtent(*this, L.substr(static_cast<size_t>(From), static_cast<size_t>(To - From))).cx;
}

int TCustomVsEdit::LineStartX(int Y) {
  const int Width = ReadingWidth(Y, FLeftChar, LineLength(Y));
  const int Right = FEditRect.right - FRightMargin;
  if (FAlignment == taCenter) return std::abs(Right / 2 - Width / 2);
  if (FAlignment == taRightJustify) return std::abs(Right - Width) - 2;
  return FEditRect.left + FLeftMargin;
}

TPoint TCustomVsEdit::CaretPosToPoint(int X, int Y) {
  if (Y > FLines->VisualLineCount()) throw EVsEditorError(Format("Invalid Y position (%d)", Y));
  TPoint P;
  P.y = (Y - FTopLine) * LineHeight() + FTopMargin + FEditRect.top;
  if (X < FLeftChar) {
    P.x = -2;
  } else {
    P.x = LineStartX(Y) + ReadingWidth(Y, FLeftChar, X);
    if (P.x > FEditRect.right - FRightMargin) P.x = -2;
  }
  if (Y >= FTopLine + VisibleLines()) P.y += FEditRect.bottom;
  return P;
}

TVsCaretPoint TCustomVsEdit::PointToCaretPos(int X, int Y) {
  const int Lines = FLines->VisualLineCount();
  TVsCaretPoint R;
  R.Y = Clamp0((Y - FEditRect.top - FTopMargin) / LineHeight() + FTopLine, std::max(0, Lines - 1));
  if (Y < FEditRect.top + FTopMargin && FTopLine > 0) R.Y = std::max(0, FTopLine - 1);
  const WideString Line = Lines > 0 ? FLines->GetVisualLine(R.Y) : WideString();
  if (static_cast<int>(Line.size()) <= FLeftChar) {
    R.X = std::min(FLeftChar, static_cast<int>(Line.size()));
    return R;
  }
  const WideString Visible = MaskText(*this, Line.substr(static_cast<size_t>(FLeftChar)));
  const int Start = LineStartX(R.Y);
  const std::vector<int> Placed = FRightAlignedText ? PlacedWidths(Visible) : std::vector<int>();
  int Left = 0;
  for (size_t I = 0; I < Visible.size(); ++I) {
    const int Right = FRightAlignedText ? Left + Placed[I] : TextExtent(*this, Visible.substr(0, I + 1)).cx;
    if (Start + Right - (Right - Left) / 2 > X) {
      R.X = static_cast<int>(I) + FLeftChar;
      return R;
    }
    Left = Right;
  }
  R.X = static_cast<int>(Visible.size()) + FLeftChar;
  return R;
}

void TCustomVsEdit::PlaceCaret(int X, int Y) {
  if (!FCaretCreated || !HandleAllocated()) return;
  const TPoint P = CaretPosToPoint(X, Y);
  if (FTransparent) InvalidateText();
  HideCaret(FHandle);
  SetCaretPos(P.x, P.y);
  ShowCaret(FHandle);
}

void TCustomVsEdit::SetCaretY(int Y) {
  if (Y == FCaret.Y) return;
  const int Lines = FLines->VisualLineCount();
  Y = Clamp0(Y, std::max(0, Lines - 1));
  if (Y < FTopLine)
    SetTopLine(Y);
  else if (Y >= FTopLine + VisibleLines())
    SetTopLine(Y - VisibleLines() + 1);
  FCaret.Y = Y;
  FCaret.X = std::min(FCaret.X, LineLength(Y));
  MakeCaretVisible();
  PlaceCaret(FCaret.X, FCaret.Y);
}

void TCustomVsEdit::SetCaretX(int X) {
  if (X == FCaret.X && FAlignment == taLeftJustify) return;
  const int Lines = FLines->VisualLineCount();
  const int Len = LineLength(FCaret.Y);
  if (X > Len) {
    if (FCaret.Y < Lines - 1 && !FKeepAtLineEnd) {
      const int Next = FCaret.Y + 1;
      const bool Same = ContinuesParagraph(Next);
      SetCaretY(Next);
      FCaret.X = Same ? std::min(1, LineLength(Next)) : 0;
    } else {
      FCaret.X = Len;
    }
  } else if (X < 0) {
    if (FCaret.Y > 0) {
      const bool Same = ContinuesParagraph(FCaret.Y);
      const int Prev = FCaret.Y - 1;
      SetCaretY(Prev);
      FCaret.X = Same ? std::max(0, LineLength(Prev) - 1) : LineLength(Prev);
    } else {
      FCaret.X = 0;
    }
  } else {
    FCaret.X = X;
  }
  MakeCaretVisible();
  PlaceCaret(FCaret.X, FCaret.Y);
}

void TCustomVsEdit::MakeCaretVisible() {
  if (!Measurer()) return;
  if (FMultiline && FWordWrap) return;
  const int W = FEditRect.right - FEditRect.left - FLeftMargin - FRightMargin;
  if (W <= 0) return;
  const WideString Line = FLines->VisualLineCount() > 0 ? FLines->GetVisualLine(FCaret.Y) : WideString();
  const int Old = FLeftChar;
  const bool Wide = TextExtent(*this, Line).cx > W;
  if (!Wide && FAlignment != taLeftJustify) {
    FLeftChar = 0;
  } else {
    const int N = CharsInWidth(*this, W, Line, FLeftChar);
    if (FCaret.X > FLeftChar + N || (FCaret.X > FLeftChar && LineTextWidth(FCaret.Y, FLeftChar, FCaret.X) >= W)) {
      FLeftChar = std::max(0, FCaret.X - CharsInWidthBackward(*this, W / 4 * 3, Line, FCaret.X));
    } else if (FCaret.X <= FLeftChar && FLeftChar > 0) {
      FLeftChar = std::max(0, FCaret.X - CharsInWidthBackward(*this, W / 4, Line, FCaret.X));
    }
  }
  if (FLeftChar != Old) {
    UpdateScrollBars();
    Repaint();
  }
}

void TCustomVsEdit::MoveCaret(const TVsCaretPoint& P) {
  SetCaretY(P.Y);
  FCaret.X = -2;
  const bool Keep = FKeepAtLineEnd;
  FKeepAtLineEnd = true;
  SetCaretX(Clamp0(P.X, LineLength(FCaret.Y)));
  FKeepAtLineEnd = Keep;
}

void TCustomVsEdit::ExtendSelection() {
  SelectTo(FCaret.X, FCaret.Y);
  SelectionChange();
  Repaint();
}

// ---- scrolling ----

void TCustomVsEdit::SetTopLine(int Value) {
  if (Value == FTopLine) return;
  const int Lines = FLines->VisualLineCount();
  const int Visible = VisibleLines();
  int N = std::max(0, Value);
  if (N + Visible > Lines) {
    if (FTopLine == Lines - Visible && FTopLine > 0) return;
    N = std::max(0, std::min(N, Lines - Visible));
  }
  if (N == FTopLine) return;
  FTopLine = N;
  PlaceCaret(FCaret.X, FCaret.Y);
  Repaint();
  UpdateScrollBars();
}

void TCustomVsEdit::SetLeftChar(int Value) {
  if (Value == FLeftChar || (FMultiline && FWordWrap)) return;
  FLeftChar = Clamp0(Value, FLines->WidestLength());
  PlaceCaret(FCaret.X, FCaret.Y);
  Repaint();
  UpdateScrollBars();
}

int TCustomVsEdit::HorzPage() {
  const int W = FEditRect.right - FEditRect.left - FLeftMargin - FRightMargin;
  // Never below one character, so a page always moves.
  return std::max(1, CharsInWidth(*this, W, FLines->WidestText(), 0) - 4);
}

bool TCustomVsEdit::SetBar(int Bar, bool Enabled, int Max, int Page, int Pos) {
  TBarState& Last = Bar == SB_VERT ? FVertState : FHorzState;
  const TBarState Now{true, Enabled, Max, Page, Pos};
  // Every keystroke asks; the bar only hears of a change.
  if (Last == Now) return false;
  Last = Now;
  SCROLLINFO SI{};
  SI.cbSize = sizeof(SI);
  if (Enabled) {
    SI.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    SI.nMax = Max;
    SI.nPage = static_cast<UINT>(Page);
    SI.nPos = Pos;
    EnableScrollBar(FHandle, Bar, ESB_ENABLE_BOTH);
    SetScrollInfo(FHandle, Bar, &SI, TRUE);
  } else {
    EnableScrollBar(FHandle, Bar, ESB_DISABLE_BOTH);
    SI.fMask = SIF_RANGE | SIF_DISABLENOSCROLL;
    SetScrollInfo(FHandle, Bar, &SI, TRUE);
  }
  return true;
}

void TCustomVsEdit::UpdateScrollBars() {
  if (!HandleAllocated() || !FMultiline) return;
  const int Lines = FLines->VisualLineCount();
  bool Changed = false;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
    if (Lines <= VisibleLines())
      Changed |= SetBar(SB_VERT, false, 0, 0, 0);
    else
      Changed |= SetBar(SB_VERT, true, Lines - 1, VisibleLines(), FTopLine);
  }
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    const int W = FEditRect.right - FEditRect.left - FLeftMargin - FRightMargin;
    if (TextExtent(*this, FLines->WidestText()).cx > W) {
      Changed |= SetBar(SB_HORZ, true, FLines->WidestLength(), HorzPage(), FLeftChar);
    } else {
      if (FLeftChar != 0) {
        FLeftChar = 0;
        Repaint();
      }
      Changed |= SetBar(SB_HORZ, false, 0, 0, 0);
    }
  }
  // The frame and the flat bars drawn over the system's bars follow them;
  // bars that did not change leave the frame as it is.
  const bool FlatBars = FFlat && (!FrameActive() || (FFlatFocusedScrollBars && !CustomBarsActive()));
  if (Changed && (FlatBars || IsThemeApplied())) DrawFrame();
}

void TCustomVsEdit::VertScroll(int Code, int Pos) {
  const int Lines = FLines->VisualLineCount();
  int T = FTopLine;
  switch (Code) {
    case SB_LINEUP: T = FTopLine - 1; break;
    case SB_LINEDOWN: T = FTopLine + 1; break;
    case SB_PAGEUP: T = FTopLine - VisibleLines(); break;
    case SB_PAGEDOWN: T = FTopLine + VisibleLines(); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: T = Pos; break;
    case SB_TOP: T = 0; break;
    case SB_BOTTOM: T = Lines - VisibleLines(); break;
    default: return;
  }
  T = Clamp0(T, std::max(0, Lines - 1));
  VertScrollHandler(T);
}

void TCustomVsEdit::HorzScroll(int Code, int Pos) {
  const int Widest = FLines->WidestLength();
  const int Page = HorzPage();
  const int Half = (FEditRect.right - FEditRect.left) / 2;
  int T = FLeftChar;
  switch (Code) {
    case SB_LINELEFT: T = FLeftChar - 5; break;
    case SB_LINERIGHT: T = FLeftChar + 5; break;
    case SB_PAGELEFT: T = FLeftChar - Half; break;
    case SB_PAGERIGHT: T = FLeftChar + Half; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: T = Pos; break;
    case SB_LEFT: T = 0; break;
    case SB_RIGHT: T = Widest - Page - 1; break;
    default: return;
  }
  T = Clamp0(T, Widest);
  if (T + Page > Widest) T = std::max(0, Widest - Page + 1);
  HorzScrollHandler(T);
}

void TCustomVsEdit::MouseWheel(int Delta) {
  if (!FMultiline) return;
  UINT Lines = 3;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &Lines, 0)) Lines = 3;
  int N;
  if (Lines == WHEEL_PAGESCROLL)
    N = Delta / WHEEL_DELTA * VisibleLines();
  else
    N = static_cast<int>(static_cast<long long>(Delta) * std::max<UINT>(Lines, 1) / WHEEL_DELTA);
  if (N != 0) SetTopLine(std::max(0, FTopLine - N));
}

// ---- clipboard ----

void TCustomVsEdit::Copy() {
  if (!FPasswordChar.empty() || !HasSelection() || !HandleAllocated()) return;
  const WideString S = SelText();
  if (!OpenClipboard(FHandle)) return;
  // Our text replaces every format, so no stale CF_TEXT stays behind.
  EmptyClipboard();
  const size_t Bytes = (S.size() + 1) * sizeof(WideChar);
  if (HGLOBAL Block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, Bytes)) {
    if (void* Data = GlobalLock(Block)) {
      std::memcpy(Data, S.c_str(), Bytes);
      GlobalUnlock(Block);
      if (!SetClipboardData(CF_UNICODETEXT, Block)) GlobalFree(Block);
    } else {
      GlobalFree(Block);
    }
  }
  CloseClipboard();
}

namespace {

// The clipboard's text up to its first zero, never past the block's end.
bool ClipboardText(HWND Wnd, WideString& Text) {
  if (!OpenClipboard(Wnd)) return false;
  bool Found = false;
  if (HANDLE Block = GetClipboardData(CF_UNICODETEXT)) {
    const size_t Units = GlobalSize(Block) / sizeof(WideChar);
    if (const auto* Data = static_cast<const WideChar*>(GlobalLock(Block))) {
      size_t N = 0;
      while (N < Units && Data[N]) ++N;
      Text.assign(Data, N);
      GlobalUnlock(Block);
      Found = true;
    }
  }
  if (!Found) {
    if (HANDLE Block = GetClipboardData(CF_TEXT)) {
      const size_t Size = GlobalSize(Block);
      if (const auto* Data = static_cast<const char*>(GlobalLock(Block))) {
        size_t N = 0;
        while (N < Size && Data[N]) ++N;
        Text = FromAnsi(Data, static_cast<int>(N));
        GlobalUnlock(Block);
        Found = true;
      }
    }
  }
  CloseClipboard();
  return Found;
}

}  // namespace

void TCustomVsEdit::Paste() {
  if (FReadOnly || !HandleAllocated()) return;
  WideString S;
  if (!ClipboardText(FHandle, S)) return;
  if (!FMultiline) S = S.substr(0, S.find_first_of(L"\r\n"));
  S = ApplyCharCase(S);
  if (FMaxLength > 0) {
    // The selection gives its room back.
    S.resize(std::min(S.size(), static_cast<size_t>(Room())));
  }
  if (S.empty()) return;
  FUndo.AddAction(vsaGroup, {}, WideString(), {});
  FLines->DeleteSelection();
  const TVsParagraphPos Before = FLines->CaretToParagraphPos(FCaret);
  TVsCaretPoint P = FCaret;
  FLines->InsertText(P, S);
  FCaret = P;
  CollapseSelection();
  FUndo.AddAction(vsaInsert, Before, S, FLines->CaretToParagraphPos(P));
  FUndo.AddAction(vsaGroup, {}, WideString(), {});
  TextEdited(false);
  SelectionChange();
}

void TCustomVsEdit::Cut() {
  if (!FPasswordChar.empty()) return;
  Copy();
  if (FReadOnly || !HasSelection()) return;
  FLines->DeleteSelection();
  TextEdited(false);
  SelectionChange();
}

void TCustomVsEdit::ClearSelection() {
  if (FReadOnly || !HasSelection()) return;
  FLines->DeleteSelection();
  TextEdited(false);
  SelectionChange();
}

// ---- context menu ----

HMENU TCustomVsEdit::BuildEditMenu() {
  HMENU Popup = nullptr;
  UINT SelectAllId = vsEditMenuSelectAll;
  if (HMODULE User = GetModuleHandleW(L"user32.dll")) {
    HMENU Bar = LoadMenuW(User, MAKEINTRESOURCEW(1));
    if (!Bar) Bar = LoadMenuW(User, L"EDITMENU");
    if (Bar) {
      Popup = GetSubMenu(Bar, 0);
      // The popup leaves the bar before the bar goes.
      if (Popup) RemoveMenu(Bar, 0, MF_BYPOSITION);
      DestroyMenu(Bar);
    }
  }
  if (Popup) {
    // Some systems give Undo the id of EM_UNDO.
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_ID;
    Info.wID = vsEditMenuUndo;
    SetMenuItemInfoW(Popup, EM_UNDO, FALSE, &Info);
    RemoveMenu(Popup, 32768, MF_BYCOMMAND);
    RemoveMenu(Popup, 32769, MF_BYCOMMAND);
    RemoveMenu(Popup, 32787, MF_BYCOMMAND);
  } else {
    Popup = CreatePopupMenu();
    AppendMenuW(Popup, MF_STRING, vsEditMenuUndo, L"&Cofnij");
    AppendMenuW(Popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(Popup, MF_STRING, vsEditMenuCut, L"Wy&tnij");
    AppendMenuW(Popup, MF_STRING, vsEditMenuCopy, L"&Kopiuj");
    AppendMenuW(Popup, MF_STRING, vsEditMenuPaste, L"Wk&lej");
    AppendMenuW(Popup, MF_STRING, vsEditMenuDelete, L"&Usuń");
    AppendMenuW(Popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(Popup, MF_STRING, SelectAllId, L"Zaznacz &wszystko");
  }
  const bool Selected = HasSelection();
  const bool Grey[] = {!CanUndo() || FReadOnly, !Selected || FReadOnly || !FPasswordChar.empty(),
                       !Selected || !FPasswordChar.empty(),
                       FReadOnly || (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_UNICODETEXT)),
                       !Selected || FReadOnly, GetSelLength() == static_cast<int>(Text().size())};
  const UINT Ids[] = {vsEditMenuUndo, vsEditMenuCut, vsEditMenuCopy, vsEditMenuPaste, vsEditMenuDelete, SelectAllId};
  for (size_t I = 0; I < 6; ++I)
    EnableMenuItem(Popup, Ids[I], MF_BYCOMMAND | (Grey[I] ? MF_GRAYED : MF_ENABLED));
  return Popup;
}

void TCustomVsEdit::ShowEditMenu(int X, int Y) {
  HMENU Menu = BuildEditMenu();
  if (!Menu) return;
  const UINT Id = static_cast<UINT>(
      TrackPopupMenu(Menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, X, Y, 0, FHandle, nullptr));
  DestroyMenu(Menu);
  if (Id) MenuCommand(Id);
}

void TCustomVsEdit::MenuCommand(UINT Id) {
  switch (Id) {
    case vsEditMenuSelectAll: SelectAll(); break;
    case vsEditMenuCut: Cut(); break;
    case vsEditMenuCopy: Copy(); break;
    case vsEditMenuPaste: Paste(); break;
    case vsEditMenuDelete: ClearSelection(); break;
    case vsEditMenuUndo:
      if (!FReadOnly) {
        Undo();
        TextEdited(false);
      }
      break;
    default: break;
  }
}

// ---- keys ----

void TCustomVsEdit::DropPending() {
  FPendingText.clear();
  FPending = false;
}

void TCustomVsEdit::WMKeyDown(TMessage& Message) {
  DropPending();
  const auto Key = static_cast<UINT>(Message.WParam);
  int N = 0;
  TVsKeyboardApi& Api = VsKeyboardApi();
  BYTE State[256]{};
  const bool HaveState = Api.GetKeyboardState && Api.GetKeyboardState(State);
  if (IsWinNT && Api.ToUnicode && HaveState && Key != VK_BACK && Key != VK_TAB && Key != VK_RETURN &&
      Key != VK_ESCAPE && !(State[VK_CONTROL] & 0x80)) {
    WideChar Buffer[5]{};
    N = Api.ToUnicode(Key, static_cast<UINT>(Message.LParam >> 16) & 0xFF, State, Buffer, 5, 0);
    if (N >= 2) {
      if (FDeadChar) {
        if (FDeadCount <= 0) {
          ++FDeadCount;
        } else {
          FPendingText.assign(Buffer, static_cast<size_t>(std::min(N, 5)));
          FPending = true;
          const unsigned char Dead = FDeadChar;
          FDeadChar = 0;
          FDeadCount = 0;
          SendMessageA(FHandle, WM_CHAR, Dead, 0);
        }
      } else {
        FPendingText.assign(Buffer, static_cast<size_t>(std::min(N, 5)));
        FPending = true;
      }
    } else if (N == 1) {
      if (FDeadChar) {
        WideString Composed = ComposeDeadKey(FDeadChar, Buffer[0]);
        FPendingText = Composed.empty() ? WideString(1, Buffer[0]) : Composed;
        FDeadChar = 0;
      } else {
        FPendingText.assign(1, Buffer[0]);
      }
      FPending = true;
    }
  }
  TVsXPThemedControl::WndProc(Message);
  if (N > 0) Message.Result = 0;
}

void TCustomVsEdit::WMGetDlgCode(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  LRESULT Code = Message.Result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
  Code |= DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
  if (FWantTabs) Code |= DLGC_WANTTAB;
  if (FHandleDialogKeys || (FMultiline && FWantReturns)) Code |= DLGC_WANTALLKEYS;
  Message.Result = Code;
}

void TCustomVsEdit::DeleteWordBeside(bool Forward) {
  FLines->DeleteSelection();
  const TVsCaretPoint To = Forward ? WordEnd(FCaret) : WordStart(TVsCaretPoint{FCaret.X - 1, FCaret.Y});
  if (Forward ? To == FCaret : (FCaret == TVsCaretPoint{})) return;
  FAnchor = FCaret;
  SelectTo(To.X, To.Y);
  FLines->DeleteSelection();
}

void TCustomVsEdit::EditingKey(Word Key) {
  const WideString Before = Text();
  const int Length = static_cast<int>(Before.size());
  switch (Key) {
    case VK_BACK:
    case VK_DELETE:
      if (Key == VK_BACK)
        FLines->DeleteBackward();
      else
        FLines->DeleteForward();
      // Nothing to delete: the key still reports, as every editing key does.
      if (Text() == Before) TextChanged(), Change();
      break;
    case VK_RETURN:
      if (FMultiline && (FMaxLength == 0 || Length < FMaxLength - 1))
        FLines->ReplaceSelection(CrLf);
      else
        TextChanged(), Change();
      break;
    case VK_TAB:
      if (FMaxLength == 0 || Length < FMaxLength)
        FLines->ReplaceSelection(L"\t");
      else
        TextChanged(), Change();
      break;
    default:
      return;
  }
  if (FLines->VisualLineCount() <= VisibleLines()) FTopLine = 0;
  ShowEdit();
}

// Where a navigation key takes the caret; with Ctrl, Home and End go to the
// ends of the text and Left and Right by words.
TVsCaretPoint TCustomVsEdit::NavigationTarget(Word Key, bool Ctrl) const {
  const int Last = std::max(0, FLines->VisualLineCount() - 1);
  TVsCaretPoint P = FCaret;
  switch (Key) {
    case VK_PRIOR: P.Y -= VisibleLines(); break;
    case VK_NEXT: P.Y += VisibleLines(); break;
    case VK_END:
      if (Ctrl) P.Y = Last;
      P.X = LineLength(Clamp0(P.Y, Last));
      break;
    case VK_HOME:
      if (Ctrl) P.Y = 0;
      P.X = 0;
      break;
    // Across a wrap a step passes a character: the end of a line and the
    // start of the line that continues it are the same place in the text.
    case VK_LEFT:
      if (Ctrl)
        P = WordStart(TVsCaretPoint{P.X - 1, P.Y});
      else if (P.X > 0)
        P.X -= 1;
      else if (P.Y > 0)
        P = TVsCaretPoint{LineLength(P.Y - 1) - (ContinuesParagraph(P.Y) ? 1 : 0), P.Y - 1};
      break;
    case VK_RIGHT:
      if (Ctrl)
        P = WordEnd(P);
      else if (P.X < LineLength(P.Y))
        P.X += 1;
      else if (P.Y < Last)
        P = TVsCaretPoint{ContinuesParagraph(P.Y + 1) ? 1 : 0, P.Y + 1};
      break;
    case VK_UP: P.Y -= 1; break;
    case VK_DOWN: P.Y += 1; break;
    default: break;
  }
  P.Y = Clamp0(P.Y, Last);
  P.X = Clamp0(P.X, LineLength(P.Y));
  return P;
}

void TCustomVsEdit::KeyDown(Word& Key, TShiftState Shift) {
  TVsXPThemedControl::KeyDown(Key, Shift);
  if (Key == 0 || FMouseSelecting) return;
  // The keep-at-line-end of End lasts until the next caret command.
  FKeepAtLineEnd = false;
  if (!FMultiline) {
    if (Key == VK_PRIOR) Key = VK_HOME;
    else if (Key == VK_NEXT) Key = VK_END;
    else if (Key == VK_UP) Key = VK_LEFT;
    else if (Key == VK_DOWN) Key = VK_RIGHT;
  }
  if (FRightAlignedText) {
    if (Key == VK_END) Key = VK_HOME;
    else if (Key == VK_HOME) Key = VK_END;
    else if (Key == VK_LEFT) Key = VK_RIGHT;
    else if (Key == VK_RIGHT) Key = VK_LEFT;
  }
  TShiftState Mods = Shift * TShiftState{ssShift, ssAlt, ssCtrl};
  if (Key == VK_RETURN && (Mods == TShiftState{ssCtrl} || Mods == TShiftState{ssShift})) Mods = TShiftState{};
  const bool None = Mods == TShiftState{};
  const bool CtrlOnly = Mods == TShiftState{ssCtrl};
  const bool ShiftOnly = Mods == TShiftState{ssShift};
  const bool ShiftCtrl = Mods == TShiftState{ssShift, ssCtrl};
  const bool Navigation = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_LEFT ||
                          Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
  auto Moved = [&](const TVsCaretPoint& P, bool Extend) {
    MoveCaret(P);
    if (Extend) {
      ExtendSelection();
    } else {
      const bool Had = HasSelection();
      CollapseSelection();
      SelectionChange();
      if (Had) Repaint();
    }
  };
  if (ShiftOnly && Key == VK_BACK) {
    if (!FReadOnly) EditingKey(VK_BACK);
    Key = 0;
  } else if (ShiftOnly && Key == VK_DELETE) {
    Perform(WM_CUT, 0, 0);
    if (!FReadOnly) KeyboardChange();
    Key = 0;
  } else if (ShiftOnly && Key == VK_INSERT) {
    Perform(WM_PASTE, 0, 0);
    if (!FReadOnly) KeyboardChange();
    Key = 0;
  } else if ((ShiftOnly || ShiftCtrl) && Navigation) {
    Moved(NavigationTarget(Key, ShiftCtrl), true);
    Key = 0;
  } else if (CtrlOnly && (Key == 'C' || Key == VK_INSERT)) {
    Perform(WM_COPY, 0, 0);
    Key = 0;
  } else if (CtrlOnly && Key == 'X') {
    Perform(WM_CUT, 0, 0);
    if (!FReadOnly) KeyboardChange();
    Key = 0;
  } else if (CtrlOnly && Key == 'Z') {
    if (!FReadOnly) {
      Perform(WM_UNDO, 0, 0);
      KeyboardChange();
    }
    Key = 0;
  } else if (CtrlOnly && Key == 'V') {
    Perform(WM_PASTE, 0, 0);
    if (!FReadOnly) KeyboardChange();
    Key = 0;
  } else if (CtrlOnly && Key == 'A') {
    SelectAll();
    Key = 0;
  } else if (CtrlOnly && (Key == VK_BACK || Key == VK_DELETE)) {
    if (!FReadOnly) {
      DeleteWordBeside(Key == VK_DELETE);
      // Like Backspace and Delete: the user changed the text.
      TextChanged();
      Change();
      ShowEdit();
    }
    Key = 0;
  } else if (CtrlOnly && (Key == VK_END || Key == VK_HOME || Key == VK_LEFT || Key == VK_RIGHT)) {
    Moved(NavigationTarget(Key, true), false);
    Key = 0;
  } else if (None && (Key == VK_BACK || Key == VK_DELETE || Key == VK_RETURN || Key == VK_TAB)) {
    if (!FReadOnly) EditingKey(Key);
    Key = 0;
  } else if (None && Navigation) {
    Moved(NavigationTarget(Key, false), false);
    if (Key == VK_END) FKeepAtLineEnd = true;
    Key = 0;
  }
  // Modifier sets other than none and Ctrl alone see the key once more, as
  // it now stands; a consumed key is not reported again.
  if (!None && !CtrlOnly && Key != 0 && OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TCustomVsEdit::KeyPress(char& Key) {
  TVsXPThemedControl::KeyPress(Key);
  const auto Ch = static_cast<unsigned char>(Key);
  if (Ch == 0 || Ch == 8 || Ch == 9 || Ch == 13 || Ch == 27 || Ch == 127) {
    DropPending();
    return;
  }
  if (FMouseSelecting || FReadOnly || Ch < 32) {
    DropPending();
    return;
  }
  if (FMaxLength > 0 && static_cast<int>(Text().size()) >= FMaxLength && !HasSelection()) {
    DropPending();
    return;
  }
  WideString S;
  if (IsWinNT && FPending) {
    S = ApplyCharCase(FPendingText);
    DoKeyPressEx(S);
  } else {
    S = ApplyCharCase(FromAnsi(&Key, 1));
  }
  DropPending();
  if (S.empty()) return;
  if (FMaxLength > 0) {
    S.resize(std::min(S.size(), static_cast<size_t>(Room())));
    if (S.empty()) return;
  }
  FLines->ReplaceSelection(S);
  ShowEdit();
}

// ---- input method ----

void TCustomVsEdit::WMImeStartComposition(TMessage& Message) {
  TVsKeyboardApi& Api = VsKeyboardApi();
  if (Api.ImmGetContext) {
    if (HIMC Context = Api.ImmGetContext(FHandle)) {
      LOGFONTA LF{};
      GetObjectA(Font()->Handle(), sizeof(LF), &LF);
      ImmSetCompositionFontA(Context, &LF);
      COMPOSITIONFORM Form{};
      Form.dwStyle = CFS_RECT;
      const TPoint P = CaretPosToPoint(FCaret.X, FCaret.Y);
      Form.ptCurrentPos = POINT{P.x, P.y};
      Form.rcArea = FEditRect;
      Form.rcArea.left += FLeftMargin;
      Form.rcArea.right -= FRightMargin;
      ImmSetCompositionWindow(Context, &Form);
      if (Api.ImmReleaseContext) Api.ImmReleaseContext(FHandle, Context);
    }
  }
  TVsXPThemedControl::WndProc(Message);
}

void TCustomVsEdit::WMImeComposition(TMessage& Message) {
  if (!(Message.LParam & GCS_RESULTSTR)) {
    TVsXPThemedControl::WndProc(Message);
    return;
  }
  Message.Result = 0;
  TVsKeyboardApi& Api = VsKeyboardApi();
  if (!Api.ImmGetContext || FReadOnly) return;
  HIMC Context = Api.ImmGetContext(FHandle);
  if (!Context) return;
  WideString S;
  if (IsWinNT) {
    if (Api.ImmGetCompositionStringW) {
      const LONG Bytes = Api.ImmGetCompositionStringW(Context, GCS_RESULTSTR, nullptr, 0);
      if (Bytes > 0) {
        std::vector<WideChar> Buffer(static_cast<size_t>(Bytes) / sizeof(WideChar) + 1, 0);
        Api.ImmGetCompositionStringW(Context, GCS_RESULTSTR, Buffer.data(), static_cast<DWORD>(Bytes));
        S = Buffer.data();
      }
    }
  } else if (Api.ImmGetCompositionStringA) {
    const LONG Bytes = Api.ImmGetCompositionStringA(Context, GCS_RESULTSTR, nullptr, 0);
    if (Bytes > 0) {
      std::vector<char> Buffer(static_cast<size_t>(Bytes) + 1, 0);
      Api.ImmGetCompositionStringA(Context, GCS_RESULTSTR, Buffer.data(), static_cast<DWORD>(Bytes));
      S = AnsiToWideKeyboardCP(Buffer.data());
    }
  }
  if (Api.ImmReleaseContext) Api.ImmReleaseContext(FHandle, Context);
  S = ApplyCharCase(S);
  DoKeyPressEx(S);
  if (FMaxLength > 0) {
    S.resize(std::min(S.size(), static_cast<size_t>(Room())));
  }
  if (S.empty()) return;
  // One undo step takes the composed text out again.
  FLines->ReplaceSelection(S);
  ShowEdit();
}

// ---- mouse ----

void TCustomVsEdit::CancelMouseSelect() {
  FMouseSelecting = false;
}

void TCustomVsEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled() && !InCustomBar(X, Y)) {
    const bool Focusing = HandleAllocated() && GetFocus() != FHandle && CanFocus();
    const TVsCaretPoint Hit = PointToCaretPos(X, Y);
    if (Focusing) {
      MoveCaret(Hit);
      CollapseSelection();
      if (FAutoSelect) SelectAll();
      SetFocus();
    } else if (Shift.Contains(ssDouble)) {
      const TVsCaretPoint Start = WordStart(TVsCaretPoint{Hit.X + 1, Hit.Y});
      const TVsCaretPoint End = WordEnd(Start);
      FAnchor = Start;
      MoveCaret(End);
      SelectTo(FCaret.X, FCaret.Y);
    } else {
      MoveCaret(Hit);
      if (Shift.Contains(ssShift))
        SelectTo(FCaret.X, FCaret.Y);
      else
        CollapseSelection();
    }
    FMouseSelecting = true;
    SelectionChange();
    Repaint();
  }
  TVsXPThemedControl::MouseDown(Button, Shift, X, Y);
}

void TCustomVsEdit::MouseMove(TShiftState Shift, int X, int Y) {
  if (FMouseSelecting && Shift.Contains(ssLeft)) {
    const TVsCaretPoint Hit = PointToCaretPos(X, Y);
    if (!(Hit == FCaret)) {
      MoveCaret(Hit);
      SelectTo(FCaret.X, FCaret.Y);
      SelectionChange();
      Repaint();
    }
  }
  TVsXPThemedControl::MouseMove(Shift, X, Y);
}

void TCustomVsEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) FMouseSelecting = false;
  TVsXPThemedControl::MouseUp(Button, Shift, X, Y);
}

// ---- messages ----

void TCustomVsEdit::WMSetText(TMessage& Message) {
  WideString S;
  if (Message.LParam) {
    if (Message.WParam == 1)
      S = reinterpret_cast<const WideChar*>(Message.LParam);
    else
      S = FromAnsi(reinterpret_cast<const char*>(Message.LParam));
  }
  FLines->SetText(S);
  FTopLine = 0;
  FLeftChar = 0;
  PlaceCaret(0, 0);
  Message.Result = 1;
  TextEdited(false);
  SelectionChange();
}

void TCustomVsEdit::WMGetText(TMessage& Message) {
  Message.Result = 0;
  if (Message.WParam == 0 || !Message.LParam) return;
  const AnsiString A = ToAnsi(Text());
  const size_t N = AnsiFit(A, static_cast<size_t>(Message.WParam) - 1);
  char* Out = reinterpret_cast<char*>(Message.LParam);
  std::memcpy(Out, A.data(), N);
  Out[N] = '\0';
  Message.Result = static_cast<LRESULT>(N);
}

void TCustomVsEdit::EMGetSel(TMessage& Message) {
  const int A = FLines->CaretToIndex(FAnchor);
  const int C = FLines->CaretToIndex(FCaret);
  const int Start = HasSelection() ? std::min(A, C) : C;
  const int End = HasSelection() ? std::max(A, C) : C;
  if (Message.WParam) *reinterpret_cast<DWORD*>(Message.WParam) = static_cast<DWORD>(Start);
  if (Message.LParam) *reinterpret_cast<DWORD*>(Message.LParam) = static_cast<DWORD>(End);
  Message.Result = MAKELONG(std::min(Start, 0xFFFF), std::min(End, 0xFFFF));
}

void TCustomVsEdit::EMSetSel(TMessage& Message) {
  const int Length = FLines->TextLength();
  int A = static_cast<int>(Message.WParam);
  int B = static_cast<int>(Message.LParam);
  if (A == -1) {
    // A start of -1 only drops the selection; the caret stays.
    Deselect();
    CollapseSelection();
    Repaint();
    return;
  }
  if (A == 0 && B == -1) {
    SelectAll();
    return;
  }
  // Positions are unsigned to the system: any negative one is the end.
  A = A < 0 ? Length : std::min(A, Length);
  B = B < 0 ? Length : std::min(B, Length);
  // As the system's edit: the anchor at the start, the caret at the end.
  SetSelStart(A);
  SetSelLength(B - A);
}

void TCustomVsEdit::EMGetLine(TMessage& Message) {
  Message.Result = 0;
  auto* Buffer = reinterpret_cast<char*>(Message.LParam);
  const int Index = static_cast<int>(Message.WParam);
  if (!Buffer) return;
  WORD Room = 0;
  std::memcpy(&Room, Buffer, sizeof(Room));
  if (Index < 0 || Index >= FLines->ParagraphCount()) return;
  const AnsiString A = ToAnsi(FLines->Strings(Index));
  const size_t N = AnsiFit(A, Room);
  std::memcpy(Buffer, A.data(), N);
  Message.Result = static_cast<LRESULT>(N);
}

void TCustomVsEdit::EMReplaceSel(TMessage& Message) {
  if (!Message.LParam) return;
  SetSelText(FromAnsi(reinterpret_cast<const char*>(Message.LParam)));
}

void TCustomVsEdit::WMSetFocus(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  CreateEditCaret();
  if (FAutoSelect) {
    SelectAll();
    SetTopLine(0);
    SetLeftChar(0);
  }
  MakeCaretVisible();
  if (FCaretCreated) {
    PlaceCaret(FCaret.X, FCaret.Y);
    ShowCaret(FHandle);
  }
  if (FHideSelection) Repaint();
  if (FFlat && !IsThemeApplied()) DrawFrame();
}

void TCustomVsEdit::WMKillFocus(TMessage& Message) {
  if (FCaretCreated) {
    DestroyCaret();
    FCaretCreated = false;
  }
  CancelMouseSelect();
  DropPending();
  // A dead key pressed before the focus went composes with nothing typed after.
  FDeadChar = 0;
  TVsXPThemedControl::WndProc(Message);
  if (FHideSelection) Repaint();
  if (FFlat && !IsThemeApplied()) DrawFrame();
}

void TCustomVsEdit::WMNCCalcSize(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  if (FBorderStyle != bsSingle || !Message.LParam) return;
  // Either form of the message starts with the rectangle to fill.
  auto* R = reinterpret_cast<RECT*>(Message.LParam);
  const int W = Ctl3D() ? GetSystemMetrics(SM_CXEDGE) : GetSystemMetrics(SM_CXBORDER);
  const int H = Ctl3D() ? GetSystemMetrics(SM_CYEDGE) : GetSystemMetrics(SM_CYBORDER);
  const LONG Style = GetWindowLongW(FHandle, GWL_STYLE);
  const LONG ExStyle = GetWindowLongW(FHandle, GWL_EXSTYLE);
  if (FlatClassic() && !(Style & WS_BORDER) && !(ExStyle & WS_EX_CLIENTEDGE)) {
    // The system left no border for the flat frame: each drawn side takes
    // its width from the client.
    if (FBorderSides.Contains(ebsLeft)) R->left += W;
    if (FBorderSides.Contains(ebsRight)) R->right -= W;
    if (FBorderSides.Contains(ebsTop)) R->top += H;
    if (FBorderSides.Contains(ebsBottom)) R->bottom -= H;
  } else {
    // A side that is not drawn gives its width back to the client.
    if (!FBorderSides.Contains(ebsLeft)) R->left -= W;
    if (!FBorderSides.Contains(ebsRight)) R->right += W;
    if (!FBorderSides.Contains(ebsTop)) R->top -= H;
    if (!FBorderSides.Contains(ebsBottom)) R->bottom += H;
  }
  if (R->right < R->left) R->right = R->left;
  if (R->bottom < R->top) R->bottom = R->top;
}

void TCustomVsEdit::WMNCPaint(TMessage& Message) {
  if (!HandleAllocated()) {
    TVsXPThemedControl::WndProc(Message);
    return;
  }
  // The custom bars' controller has already taken the scroll styles away
  // and paints its bars itself; otherwise the system paints its bars, but
  // without the border, which is the edit's to draw.
  if (!CustomBarsActive()) {
    const LONG Style = GetWindowLongW(FHandle, GWL_STYLE);
    const LONG ExStyle = GetWindowLongW(FHandle, GWL_EXSTYLE);
    const bool Edge = (ExStyle & WS_EX_CLIENTEDGE) != 0;
    const bool Border = FBorderStyle == bsSingle && (Edge || (Style & WS_BORDER));
    if (Border) {
      if (Edge)
        SetWindowLongW(FHandle, GWL_EXSTYLE, ExStyle & ~WS_EX_CLIENTEDGE);
      else
        SetWindowLongW(FHandle, GWL_STYLE, Style & ~WS_BORDER);
    }
    try {
      TVsXPThemedControl::WndProc(Message);
    } catch (...) {
      if (Border) SetWindowLongW(FHandle, Edge ? GWL_EXSTYLE : GWL_STYLE, Edge ? ExStyle : Style);
      throw;
    }
    if (Border) SetWindowLongW(FHandle, Edge ? GWL_EXSTYLE : GWL_STYLE, Edge ? ExStyle : Style);
  }
  HDC DC = GetWindowDC(FHandle);
  if (!DC) return;
  PaintFrame(DC);
  ReleaseDC(FHandle, DC);
  Message.Result = 0;
}

void TCustomVsEdit::WndProc(TMessage& Message) {
  try {
    switch (Message.Msg) {
      case WM_SETTEXT: WMSetText(Message); return;
      case WM_GETTEXT: WMGetText(Message); return;
      case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(ToAnsi(Text()).size());
        return;
      case WM_CUT: Cut(); return;
      case WM_COPY: Copy(); return;
      case WM_PASTE: Paste(); return;
      case WM_CLEAR: ClearSelection(); return;
      case WM_UNDO:
      case EM_UNDO:
        Message.Result = CanUndo() && !FReadOnly;
        if (!FReadOnly && CanUndo()) {
          Undo();
          TextEdited(false);
        }
        return;
      case EM_CANUNDO: Message.Result = CanUndo() ? 1 : 0; return;
      case EM_GETSEL: EMGetSel(Message); return;
      case EM_SETSEL: EMSetSel(Message); return;
      case EM_REPLACESEL: EMReplaceSel(Message); return;
      case EM_GETLINECOUNT: Message.Result = std::max(1, FLines->ParagraphCount()); return;
      case EM_GETLINE: EMGetLine(Message); return;
      case EM_LINEINDEX: {
        const int P = static_cast<int>(Message.WParam);
        if (P == -1)
          Message.Result = FLines->ParagraphPosToIndex({FLines->CaretToParagraphPos(FCaret).Paragraph, 0});
        else if (P >= 0 && P < std::max(1, FLines->ParagraphCount()))
          Message.Result = FLines->ParagraphCount() > 0 ? FLines->ParagraphPosToIndex({P, 0}) : 0;
        else
          Message.Result = -1;
        return;
      }
      case EM_LINEFROMCHAR: {
        const int I = static_cast<int>(Message.WParam);
        const TVsCaretPoint P = I < 0 ? FCaret : FLines->IndexToCaret(I);
        Message.Result = FLines->CaretToParagraphPos(P).Paragraph;
        return;
      }
      case EM_LINELENGTH: {
        const int I = static_cast<int>(Message.WParam);
        const TVsParagraphPos P = FLines->CaretToParagraphPos(I < 0 ? FCaret : FLines->IndexToCaret(I));
        Message.Result = FLines->ParagraphCount() > 0 ? FLines->ParagraphLength(P.Paragraph) : 0;
        return;
      }
      case EM_POSFROMCHAR: {
        const TVsCaretPoint C = FLines->IndexToCaret(std::max(0, static_cast<int>(Message.WParam)));
        const TPoint P = CaretPosToPoint(C.X, C.Y);
        Message.Result = MAKELONG(static_cast<WORD>(P.x), static_cast<WORD>(P.y));
        return;
      }
      case EM_GETFIRSTVISIBLELINE: Message.Result = FTopLine; return;
      case EM_GETRECT:
        if (Message.LParam) *reinterpret_cast<RECT*>(Message.LParam) = FEditRect;
        return;
      case EM_SCROLL:
        if (FMultiline) VertScroll(static_cast<int>(Message.WParam), 0);
        Message.Result = MAKELONG(0, 1);
        return;
      case EM_LINESCROLL:
        if (FMultiline) {
          SetTopLine(FTopLine + static_cast<int>(Message.LParam));
          SetLeftChar(FLeftChar + static_cast<int>(Message.WParam));
        }
        Message.Result = 1;
        return;
      case EM_SCROLLCARET:
        MakeCaretVisible();
        if (FCaret.Y < FTopLine)
          SetTopLine(FCaret.Y);
        else if (FCaret.Y >= FTopLine + VisibleLines())
          SetTopLine(FCaret.Y - VisibleLines() + 1);
        Message.Result = 1;
        return;
      case EM_SETREADONLY:
        SetReadOnly(Message.WParam != 0);
        Message.Result = 1;
        return;
      case EM_LIMITTEXT: SetMaxLength(static_cast<int>(Message.WParam)); return;
      case WM_SETFOCUS: WMSetFocus(Message); return;
      case WM_KILLFOCUS: WMKillFocus(Message); return;
      case WM_ENABLE:
        TVsXPThemedControl::WndProc(Message);
        if (Message.WParam && HandleAllocated() && GetFocus() == FHandle) {
          CreateEditCaret();
          PlaceCaret(FCaret.X, FCaret.Y);
        } else if (!Message.WParam && FCaretCreated) {
          DestroyCaret();
          FCaretCreated = false;
        }
        return;
      case WM_CAPTURECHANGED:
      case WM_CANCELMODE:
        CancelMouseSelect();
        break;
      case WM_COMMAND:
        if (Message.LParam == 0 && HIWORD(Message.WParam) == 0) {
          MenuCommand(LOWORD(Message.WParam));
          return;
        }
        break;
      case WM_CONTEXTMENU:
        if (!PopupMenu() && FUseSystemMenu) {
          int X = GET_X_LPARAM(Message.LParam);
          int Y = GET_Y_LPARAM(Message.LParam);
          if (X == -1 && Y == -1) {
            const TPoint P = CaretPosToPoint(FCaret.X, FCaret.Y);
            POINT S{std::max(0, static_cast<int>(P.x)), std::max(0, static_cast<int>(P.y)) + LineHeight()};
            ::ClientToScreen(FHandle, &S);
            X = S.x;
            Y = S.y;
          }
          ShowEditMenu(X, Y);
          Message.Result = 0;
          return;
        }
        break;
      case WM_INPUTLANGCHANGE: Message.Result = 1; return;
      case CM_HINTSHOW: CMHintShow(Message); return;
      case WM_KEYDOWN: WMKeyDown(Message); return;
      case WM_DEADCHAR:
        FDeadChar = static_cast<unsigned char>(Message.WParam);
        FDeadCount = 1;
        Message.Result = 0;
        return;
      case WM_GETDLGCODE: WMGetDlgCode(Message); return;
      case WM_IME_STARTCOMPOSITION: WMImeStartComposition(Message); return;
      case WM_IME_COMPOSITION: WMImeComposition(Message); return;
      case WM_NCCALCSIZE: WMNCCalcSize(Message); return;
      case WM_NCPAINT: WMNCPaint(Message); return;
      case WM_ERASEBKGND: WMEraseBkgnd(Message); return;
      case WM_SIZE: {
        TVsXPThemedControl::WndProc(Message);
        if (Loading()) return;
        UpdateEditRect();
        const TVsParagraphPos Pos = FLines->CaretToParagraphPos(FCaret);
        FLines->RewrapAll();
        FCaret = FLines->ParagraphPosToCaret(Pos);
        ClampCaret();
        UpdateScrollBars();
        PlaceCaret(FCaret.X, FCaret.Y);
        Repaint();
        return;
      }
      case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); return;
      case VS_IMAGEFORMCHANGED: VSImageFormChanged(Message); return;
      case WM_VSCROLL:
        VertScroll(LOWORD(Message.WParam), static_cast<short>(HIWORD(Message.WParam)));
        Message.Result = 0;
        return;
      case WM_HSCROLL:
        HorzScroll(LOWORD(Message.WParam), static_cast<short>(HIWORD(Message.WParam)));
        Message.Result = 0;
        return;
      case WM_MOUSEWHEEL:
        MouseWheel(GET_WHEEL_DELTA_WPARAM(Message.WParam));
        Message.Result = 0;
        return;
      case CM_FONTCHANGED:
        TVsXPThemedControl::WndProc(Message);
        AdjustHeight();
        UpdateEditRect();
        FLines->RewrapAll();
        ClampCaret();
        UpdateScrollBars();
        if (FCaretCreated) {
          DestroyCaret();
          CreateEditCaret();
          PlaceCaret(FCaret.X, FCaret.Y);
        }
        Repaint();
        return;
      case CM_MOUSEENTER: CMMouseEnter(Message); return;
      case CM_MOUSELEAVE: CMMouseLeave(Message); return;
      case WM_PRINT: WMPrint(Message); return;
      case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
      default:
        break;
    }
    TVsXPThemedControl::WndProc(Message);
  } catch (const EVsEditorError&) {
    // A position outside the text leaves the message unanswered.
    Message.Result = 0;
  }
}

// ---- painting ----

void TCustomVsEdit::Paint() {
  FPaintPending = false;
  if (!HandleAllocated()) return;
  HDC Target = Canvas()->Handle();
  RECT Client{};
  GetClientRect(FHandle, &Client);
  const int W = std::max(1, static_cast<int>(Client.right));
  const int H = std::max(1, static_cast<int>(Client.bottom));
  HDC DC = CreateCompatibleDC(Target);
  HBITMAP Bitmap = CreateCompatibleBitmap(Target, W, H);
  HGDIOBJ OldBitmap = SelectObject(DC, Bitmap);
  RECT Area = Canvas()->ClipRect();
  if (IsRectEmpty(&Area)) Area = FEditRect;
  PaintBackground(DC, Target, Area);
  HGDIOBJ OldFont = SelectObject(DC, Font()->Handle());
  DrawText(DC);
  SelectObject(DC, OldFont);
  BitBlt(Target, Area.left, Area.top, Area.right - Area.left, Area.bottom - Area.top, DC, Area.left, Area.top,
         SRCCOPY);
  SelectObject(DC, OldBitmap);
  DeleteObject(Bitmap);
  DeleteDC(DC);
}

void TCustomVsEdit::DrawText(HDC DC) {
  if (FCaretCreated) HideCaret(FHandle);
  const bool Disabled = !Enabled();
  const COLORREF TextColor = ColorToRGB((FUseDisabledColors && Disabled) ? FDisabledFontColor : Font()->Color());
  const bool Focused = GetFocus() == FHandle;
  const bool ShowSel = HasSelection() && (Focused || !FHideSelection);
  const COLORREF SelBack = ColorToRGB(Focused ? FFocusedSelectColor : FHideSelectColor);
  const COLORREF SelText = ColorToRGB(Focused ? FFocusedSelectTextColor : FHideSelectTextColor);
  const RECT Clip{FEditRect.left + FLeftMargin, FEditRect.top, FEditRect.right - FRightMargin, FEditRect.bottom};
  SetTextAlign(DC, TA_BOTTOM | TA_LEFT);
  SetBkMode(DC, TRANSPARENT);
  const int Lines = FLines->VisualLineCount();
  const int LastShown = std::min(FTopLine + VisibleLines() - 1, Lines - 1);
  const int TextWidth = Clip.right - Clip.left;
  auto Run = [&](int X, int Y, const WideString& S, COLORREF Fore, const COLORREF* BackColor) {
    if (S.empty()) return 0;
    const WideString T = ExpandTabs(*this, S);
    SIZE Size{};
    GetTextExtentPoint32W(DC, T.c_str(), static_cast<int>(T.size()), &Size);
    SetTextColor(DC, Fore);
    if (BackColor && FHighlightAlphaLevel >= 255) {
      SetBkMode(DC, OPAQUE);
      SetBkColor(DC, *BackColor);
    }
    ExtTextOutW(DC, X, Y, ETO_CLIPPED, &Clip, T.c_str(), static_cast<UINT>(T.size()), nullptr);
    SetBkMode(DC, TRANSPARENT);
    if (BackColor && FHighlightAlphaLevel < 255) {
      TCanvas C;
      C.SetHandle(DC);
      const TRect Cell{X, Y - std::abs(Font()->Height()), X + Size.cx, Y};
      AlphaFillRect(&C, Cell, static_cast<TColor>(*BackColor), static_cast<Byte>(FHighlightAlphaLevel));
      C.SetHandle(nullptr);
    }
    return static_cast<int>(Size.cx);
  };
  for (int I = FTopLine; I <= LastShown; ++I) {
    const WideString Line = MaskText(*this, FLines->GetVisualLine(I));
    const WideString From = FLeftChar < static_cast<int>(Line.size()) ? Line.substr(static_cast<size_t>(FLeftChar))
                                                                      : WideString();
    const WideString Shown = From.substr(0, static_cast<size_t>(std::max(0, CharsInWidth(*this, TextWidth + 1000, Line, FLeftChar))));
    const int Y = (I - FTopLine + 1) * LineHeight() + FTopMargin + FEditRect.top;
    const int X = LineStartX(I);
    if (!ShowSel || I < FSelStart.Y || I > FSelEnd.Y) {
      Run(X, Y, Shown, TextColor, nullptr);
      continue;
    }
    const int N = static_cast<int>(Shown.size());
    const int A = Clamp0((I == FSelStart.Y ? FSelStart.X : 0) - FLeftChar, N);
    const int B = Clamp0((I == FSelEnd.Y ? FSelEnd.X : N + FLeftChar) - FLeftChar, N);
    int At = X;
    At += Run(At, Y, Shown.substr(0, static_cast<size_t>(A)), TextColor, nullptr);
    At += Run(At, Y, Shown.substr(static_cast<size_t>(A), static_cast<size_t>(B - A)), SelText, &SelBack);
    Run(At, Y, Shown.substr(static_cast<size_t>(B)), TextColor, nullptr);
  }
  if (FCaretCreated) ShowCaret(FHandle);
}

void TCustomVsEdit::DefineProperties(TFiler* Filer) {
  TVsXPThemedControl::DefineProperties(Filer);
  // Names of older layouts: read, never written again.
  Filer->DefineProperty("RTLContent", [this](TReader* R) { SetRightAlignedText(R->ReadBoolean()); }, nullptr, false);
  Filer->DefineProperty(
      "LinkControlPosition",
      [this](TReader* R) {
        const AnsiString Name = R->ReadIdent();
        const auto It = std::find(LinkPositionNames.begin(), LinkPositionNames.end(), Name);
        if (It != LinkPositionNames.end())
          SetLinkedControlPosition(static_cast<TVsLinkCtlPos>(It - LinkPositionNames.begin()));
      },
      nullptr, false);
  Filer->DefineProperty("ChangeDisabledText", [this](TReader* R) { SetUseDisabledColors(R->ReadBoolean()); }, nullptr,
                        false);
}

// ---- linked control ----

namespace {

// Edits linked to each other in a ring would move each other for ever: a
// move made while another is placing its control stops there.
int GLinkDepth = 0;

}  // namespace

void TCustomVsEdit::SetLinkedControl(TControl* Value) {
  if (Value == static_cast<TControl*>(this) || Value == FLinkedControl) return;
  if (FLinkedControl) FLinkedControl->RemoveFreeNotification(this);
  FLinkedControl = Value;
  if (Value) Value->FreeNotification(this);
  UpdateLinkedControl();
}

void TCustomVsEdit::SetLinkedControlPosition(TVsLinkCtlPos Value) {
  FLinkedControlPosition = Value;
  UpdateLinkedControl();
}

void TCustomVsEdit::SetLinkedControlSpacing(int Value) {
  FLinkedControlSpacing = Value;
  UpdateLinkedControl();
}

void TCustomVsEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TVsXPThemedControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == static_cast<TComponent*>(FLinkedControl)) FLinkedControl = nullptr;
  if (Operation == opRemove && AComponent == static_cast<TComponent*>(FImageForm)) {
    FImageForm = nullptr;
    UpdateOpaque();
    Repaint();
  }
}

void TCustomVsEdit::UpdateLinkedControl() {
  if (!FLinkedControl || Loading() || GLinkDepth > 0) return;
  const int S = FLinkedControlSpacing;
  const int W = FLinkedControl->Width();
  const int H = FLinkedControl->Height();
  const int L = Left(), T = Top(), EW = Width(), EH = Height();
  int X = L, Y = T;
  switch (FLinkedControlPosition) {
    case lcpLeftTop: X = L - W - S; Y = T; break;
    case lcpLeftBottom: X = L - W - S; Y = T + EH - H; break;
    case lcpLeftCenter: X = L - W - S; Y = T + (EH - H) / 2; break;
    case lcpTopLeft: X = L; Y = T - H - S; break;
    case lcpTopRight: X = L + EW - W; Y = T - H - S; break;
    case lcpTopCenter: X = L + (EW - W) / 2; Y = T - H - S; break;
    case lcpRightTop: X = L + EW + S; Y = T; break;
    case lcpRightBottom: X = L + EW + S; Y = T + EH - H; break;
    case lcpRightCenter: X = L + EW + S; Y = T + (EH - H) / 2; break;
    case lcpBottomLeft: X = L; Y = T + EH + S; break;
    case lcpBottomRight: X = L + EW - W; Y = T + EH + S; break;
    case lcpBottomCenter: X = L + (EW - W) / 2; Y = T + EH + S; break;
  }
  ++GLinkDepth;
  try {
    FLinkedControl->SetBounds(X, Y, W, H);
  } catch (...) {
    --GLinkDepth;
    throw;
  }
  --GLinkDepth;
}

// ---- setters ----

template <class T> void TCustomVsEdit::SetRecreating(T& Field, const T& Value) {
  if (Value == Field) return;
  Field = Value;
  if (HandleAllocated()) RecreateWnd();
}

template <class T> void TCustomVsEdit::SetRepainting(T& Field, const T& Value) {
  Field = Value;
  Repaint();
}

void TCustomVsEdit::SetReadOnly(bool Value) { SetRepainting(FReadOnly, Value); }

void TCustomVsEdit::SetCharCase(TVsEditCharCase Value) {
  if (Value == FCharCase) return;
  FCharCase = Value;
  if (Value != eecNormal) SetText(ApplyCharCase(Text()));
}

void TCustomVsEdit::SetPasswordCharText(const WideString& Value) { SetRepainting(FPasswordChar, Value); }

void TCustomVsEdit::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  if (Value != taLeftJustify && !FRightAlignedText) SetWordWrap(true);
  Repaint();
}

void TCustomVsEdit::SetAlignBottom(bool Value) {
  FAlignBottom = Value;
  // Only a single line has a bottom to keep to.
  if (!FMultiline && HandleAllocated() && Value) {
    RECT R{};
    GetClientRect(FHandle, &R);
    FEditRect.bottom = R.bottom;
    FEditRect.top = std::max<LONG>(0, R.bottom - LineHeight() - FTopMargin);
    Repaint();
  }
}

void TCustomVsEdit::SetBorderStyle(TBorderStyle Value) { SetRecreating(FBorderStyle, Value); }

void TCustomVsEdit::SetBorderSides(TVsBorderSides Value) { SetRecreating(FBorderSides, Value); }

void TCustomVsEdit::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  if (HandleAllocated()) {
    if (Value)
      RedrawWindow(FHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    else
      RecreateWnd();
  }
}

void TCustomVsEdit::SetHideSelection(bool Value) { SetRepainting(FHideSelection, Value); }

void TCustomVsEdit::SetTabSpaces(int Value) {
  if (Value <= 0 || Value == FTabSpaces) return;
  FTabSpaces = Value;
  FLines->RewrapAll();
  ClampCaret();
  Repaint();
}

void TCustomVsEdit::SetLeftMargin(int Value) { SetRepainting(FLeftMargin, Value); }

void TCustomVsEdit::SetRightMargin(int Value) { SetRepainting(FRightMargin, Value); }

void TCustomVsEdit::SetTopMargin(int Value) { SetRepainting(FTopMargin, Value); }

void TCustomVsEdit::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  if (FWordWrap) FLeftChar = 0;
  FLines->RewrapAll();
  ClampCaret();
  UpdateScrollBars();
  Repaint();
}

void TCustomVsEdit::SetMultiline(bool Value) {
  if (Value == FMultiline) return;
  const WideString S = Text();
  FMultiline = Value;
  FLines->ReloadText(S);
  if (HandleAllocated() && !Loading()) RecreateWnd();
  UpdateEditRect();
}

void TCustomVsEdit::SetScrollBars(TScrollStyle Value) {
  const TScrollStyle V = FMultiline ? Value : ssNone;
  if (V == FScrollBars) return;
  FScrollBars = V;
  if (HandleAllocated() && !Loading()) RecreateWnd();
}

void TCustomVsEdit::SetRightAlignedText(bool Value) { SetRecreating(FRightAlignedText, Value); }

void TCustomVsEdit::SetRightAlignedView(bool Value) { SetRecreating(FRightAlignedView, Value); }

void TCustomVsEdit::SetWideHint(const WideString& Value) {
  FWideHint = Value;
  SetHint(PackWideHint(Value));
}

// ---- background ----

bool TCustomVsEdit::FlatClassic() const { return FFlat && !(ThemesAvailable && UseXPThemes()); }

bool TCustomVsEdit::ImageFormActive() const {
  return FImageForm && FImageForm->BackgroundType() != bgtColorFill && !ComponentState().Contains(csDesigning);
}

bool TCustomVsEdit::ErasesBackground() const { return FTransparent || ImageFormActive(); }

void TCustomVsEdit::WMEraseBkgnd(TMessage& Message) {
  Message.Result = 1;
  const HDC DC = reinterpret_cast<HDC>(Message.WParam);
  if (!DC || !HandleAllocated()) return;
  const TRect Client = ClientRect();
  if (ImageFormActive()) {
    // The image form of this very edit paints through its own hook.
    TWinControl* Real = FImageForm->GetRealControl();
    if (!Real || Real == static_cast<TWinControl*>(this)) return;
    const TPoint Offset = Real->ScreenToClient(ClientToScreen(TPoint{0, 0}));
    FImageForm->PaintBkgnd(DC, Client, false, Offset);
    return;
  }
  const bool ThemedFrame = IsThemeApplied() && FBorderStyle == bsSingle;
  if (FTransparent && !ThemedFrame) {
    PaintParentBackground(DC);
  } else if (!IsThemeApplied()) {
    RECT Clip{};
    if (GetClipBox(DC, &Clip) == ERROR) Clip = Client;
    IntersectRect(&Clip, &Clip, &Client);
    FillSolidRect(DC, Clip, (FUseDisabledColors && !Enabled()) ? FDisabledColor : Color());
  } else if (ThemedFrame && VsUxThemeApi.DrawThemeBackground) {
    int State = ETS_NORMAL;
    if (!Enabled())
      State = ETS_DISABLED;
    else if (GetFocus() == FHandle)
      State = ETS_FOCUSED;
    else if (FReadOnly)
      State = ETS_READONLY;
    const RECT Bounds{0, 0, Width(), Height()};
    VsUxThemeApi.DrawThemeBackground(Theme(), DC, EP_EDITTEXT, State, &Bounds, nullptr);
  }
}

// The parent paints what lies under the edit into the edit's DC, at the
// edit's place in the parent.
void TCustomVsEdit::PaintParentBackground(HDC DC) {
  TWinControl* P = Parent();
  if (!P || !P->HandleAllocated()) {
    FillSolidRect(DC, ClientRect(), Color());
    return;
  }
  const TRect Client = ClientRect();
  const TPoint Origin = P->ScreenToClient(ClientToScreen(TPoint{0, 0}));
  // The whole client, not only the text band: nothing else paints the
  // rest of a transparent edit.
  const int Saved = SaveDC(DC);
  IntersectClipRect(DC, Client.left, Client.top, Client.right, Client.bottom);
  OffsetViewportOrgEx(DC, -Origin.x, -Origin.y, nullptr);
  try {
    // The parent's paint with a DC given paints its graphic controls too.
    P->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    P->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  } catch (...) {
    RestoreDC(DC, Saved);
    throw;
  }
  RestoreDC(DC, Saved);
}

// The background of Area in the off-screen bitmap DC; Screen is the
// control's canvas, which erasing has painted.
void TCustomVsEdit::PaintBackground(HDC DC, HDC Screen, const RECT& Area) {
  const int W = Area.right - Area.left, H = Area.bottom - Area.top;
  if (ImageFormActive() || FTransparent) {
    BitBlt(DC, Area.left, Area.top, W, H, Screen, Area.left, Area.top, SRCCOPY);
  } else if (FUseBackground && !FBackground->Empty()) {
    const int Saved = SaveDC(DC);
    IntersectClipRect(DC, Area.left, Area.top, Area.right, Area.bottom);
    const int BW = FBackground->Width(), BH = FBackground->Height();
    const HDC Source = FBackground->Canvas()->Handle();
    for (int Y = Area.top / BH * BH; Y < Area.bottom; Y += BH)
      for (int X = Area.left / BW * BW; X < Area.right; X += BW) BitBlt(DC, X, Y, BW, BH, Source, 0, 0, SRCCOPY);
    RestoreDC(DC, Saved);
  } else {
    FillSolidRect(DC, Area, (FUseDisabledColors && !Enabled()) ? FDisabledColor : Color());
  }
}

template <class T> void TCustomVsEdit::SetShown(T& Field, const T& Value, bool Shown) {
  if (Value == Field) return;
  Field = Value;
  if (Shown) Repaint();
}

bool TCustomVsEdit::SelectionShown(bool WhenFocused) const {
  if (!HasSelection() || !HandleAllocated()) return false;
  const bool Focused = GetFocus() == FHandle;
  return WhenFocused ? Focused : !Focused && !FHideSelection;
}

void TCustomVsEdit::SetFocusedSelectColor(TColor Value) {
  SetShown(FFocusedSelectColor, Value, SelectionShown(true));
}

void TCustomVsEdit::SetFocusedSelectTextColor(TColor Value) {
  SetShown(FFocusedSelectTextColor, Value, SelectionShown(true));
}

void TCustomVsEdit::SetHideSelectColor(TColor Value) { SetShown(FHideSelectColor, Value, SelectionShown(false)); }

void TCustomVsEdit::SetHideSelectTextColor(TColor Value) {
  SetShown(FHideSelectTextColor, Value, SelectionShown(false));
}

void TCustomVsEdit::SetHighlightAlphaLevel(int Value) {
  // The blend takes a byte: anything else would wrap into another level.
  SetShown(FHighlightAlphaLevel, std::clamp(Value, 0, 255), SelectionShown(true) || SelectionShown(false));
}

void TCustomVsEdit::SetUseDisabledColors(bool Value) { SetShown(FUseDisabledColors, Value, !Enabled()); }

void TCustomVsEdit::SetDisabledColor(TColor Value) {
  SetShown(FDisabledColor, Value, !Enabled() && FUseDisabledColors);
}

void TCustomVsEdit::SetDisabledFontColor(TColor Value) {
  SetShown(FDisabledFontColor, Value, !Enabled() && FUseDisabledColors);
}

void TCustomVsEdit::UpdateOpaque() {
  // An edit whose paint takes up the erased background is erased before
  // every paint, the framework's too.
  if (ErasesBackground())
    FControlStyle >> csOpaque;
  else
    FControlStyle << csOpaque;
}

void TCustomVsEdit::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  UpdateOpaque();
  if (HandleAllocated()) RecreateWnd();
}

void TCustomVsEdit::SetUseBackground(bool Value) {
  if (Value == FUseBackground) return;
  FUseBackground = Value;
  if (HandleAllocated()) RecreateWnd();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomVsEdit::SetImageForm(TVsImageForm* Value) {
  if (!RelinkImageForm(this, FImageFormLink.get(), FImageForm, Value)) return;
  UpdateOpaque();
  if (HandleAllocated()) RecreateWnd();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomVsEdit::BackgroundChanged(TObject*) {
  Repaint();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomVsEdit::ImageFormChanged(TCustomVsImageForm*) {
  UpdateOpaque();
  Repaint();
}

void TCustomVsEdit::CMEnabledChanged(TMessage& Message) {
  if (IsThemeApplied() || FUseDisabledColors || !HandleAllocated()) {
    TVsXPThemedControl::WndProc(Message);
    Repaint();
    return;
  }
  // The inherited handling repaints every control; this one looks the same
  // either way, so only what was already due is painted.
  HRGN Pending = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(FHandle, Pending, FALSE);
  try {
    TVsXPThemedControl::WndProc(Message);
  } catch (...) {
    DeleteObject(Pending);
    throw;
  }
  if (HandleAllocated()) {
    ValidateRect(FHandle, nullptr);
    InvalidateRgn(FHandle, Pending, ErasesBackground() ? TRUE : FALSE);
  }
  DeleteObject(Pending);
}

void TCustomVsEdit::WMWindowPosChanged(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  UpdateLinkedControl();
  // What lies under the edit may have changed with its place.
  if (HandleAllocated()) Perform(VS_IMAGEFORMCHANGED, 0, 0);
}

void TCustomVsEdit::VSImageFormChanged(TMessage& Message) {
  Message.Result = 0;
  if (!FImageForm || ComponentState().Contains(csDesigning)) return;
  Repaint();
  Broadcast(Message);
}

// ---- custom scroll bars and the frame ----

void TCustomVsEdit::InitController() {
  FController = Create<TVsSBController>(this);
  FController->SetUseXPThemes(true);
  ConnectBars();
}

void TCustomVsEdit::ConnectBars() {
  HorzScrollBarStyles()->OnChange = TNotifyEvent(this, &TCustomVsEdit::ScrollBarsChanged);
  VertScrollBarStyles()->OnChange = TNotifyEvent(this, &TCustomVsEdit::ScrollBarsChanged);
}

// Assigning a style copies its change handler too: the bars keep reporting
// to this edit.
void TCustomVsEdit::SetHorzScrollBarStyles(TVsCtrlScrollBarStyles* Value) {
  FController->SetHorzScrollBarStyles(Value);
  ConnectBars();
}

void TCustomVsEdit::SetVertScrollBarStyles(TVsCtrlScrollBarStyles* Value) {
  FController->SetVertScrollBarStyles(Value);
  ConnectBars();
}

void TCustomVsEdit::AttachController() {
  if (!FUseCustomScrollBars || !HandleAllocated()) {
    FController->SetControl(nullptr);
    return;
  }
  FController->SetControl(this);
  if (!FController->IsActive()) {
    FUseCustomScrollBars = false;
    FController->SetControl(nullptr);
    return;
  }
  HorzScrollBarStyles()->SetVisible(FMultiline && (FScrollBars == ssHorizontal || FScrollBars == ssBoth));
  VertScrollBarStyles()->SetVisible(FMultiline && (FScrollBars == ssVertical || FScrollBars == ssBoth));
}

bool TCustomVsEdit::CustomBarsActive() const { return FUseCustomScrollBars && FController->IsActive(); }

void TCustomVsEdit::SetUseCustomScrollBars(bool Value) {
  if (Value == FUseCustomScrollBars) return;
  FUseCustomScrollBars = Value;
  if (!HandleAllocated()) return;
  // A new window attaches (or reverts) the bars and gives them the state.
  if (FMultiline)
    RecreateWnd();
  else
    AttachController();
}

void TCustomVsEdit::SetUseXPThemes(bool Value) {
  TVsXPThemedControl::SetUseXPThemes(Value);
  FController->SetUseXPThemes(Value);
}

void TCustomVsEdit::ScrollBarsChanged(TObject*) {
  // The window shows the bars the style names; the property follows them
  // without making the window again.
  if (FUseCustomScrollBars && FMultiline) {
    const bool H = HorzScrollBarStyles()->Visible(), V = VertScrollBarStyles()->Visible();
    FScrollBars = H && V ? ssBoth : V ? ssVertical : H ? ssHorizontal : ssNone;
  }
  UpdateScrollBars();
  Repaint();
}

void TCustomVsEdit::VertScrollHandler(int Target) {
  if (Target == FTopLine) return;
  SetTopLine(Target);
  DrawFrame();
}

void TCustomVsEdit::HorzScrollHandler(int Target) {
  if (Target == FLeftChar) return;
  SetLeftChar(Target);
  DrawFrame();
}

bool TCustomVsEdit::InCustomBar(int X, int Y) const {
  if (!HandleAllocated() || !CustomBarsActive()) return false;
  POINT Origin{0, 0};
  ::ClientToScreen(FHandle, &Origin);
  RECT Window{};
  GetWindowRect(FHandle, &Window);
  const int WX = X + Origin.x - Window.left, WY = Y + Origin.y - Window.top;
  for (TVsCtrlScrollBarStyles* B : {HorzScrollBarStyles(), VertScrollBarStyles()}) {
    const TRect& R = B->BarRect();
    if (B->Visible() && WX >= R.left && WX <= R.right && WY >= R.top && WY <= R.bottom) return true;
  }
  return false;
}

bool TCustomVsEdit::FrameActive() const {
  return FHover || (HandleAllocated() && GetFocus() == FHandle);
}

RECT TCustomVsEdit::ClientInWindow() const {
  RECT Window{}, C{};
  GetWindowRect(FHandle, &Window);
  GetClientRect(FHandle, &C);
  MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&C), 2);
  OffsetRect(&C, -Window.left, -Window.top);
  return C;
}

RECT TCustomVsEdit::FrameClient() const {
  if (CustomBarsActive()) {
    // Inside the window's own border: the client and the custom bars.
    RECT Window{};
    GetWindowRect(FHandle, &Window);
    const TRect& B = FController->Borders();
    return RECT{B.left, B.top, Window.right - Window.left - B.right, Window.bottom - Window.top - B.bottom};
  }
  RECT C = ClientInWindow();
  const LONG Style = GetWindowLongW(FHandle, GWL_STYLE);
  if (Style & WS_VSCROLL) {
    if (FRightAlignedView)
      C.left -= GetSystemMetrics(SM_CXVSCROLL);
    else
      C.right += GetSystemMetrics(SM_CXVSCROLL);
  }
  if (Style & WS_HSCROLL) C.bottom += GetSystemMetrics(SM_CYHSCROLL);
  return C;
}

void TCustomVsEdit::PaintUnthemedFrame(HDC DC) {
  RECT Window{};
  GetWindowRect(FHandle, &Window);
  OffsetRect(&Window, -Window.left, -Window.top);
  const RECT Client = ClientInWindow();
  const int Saved = SaveDC(DC);
  ExcludeClipRect(DC, Client.left, Client.top, Client.right, Client.bottom);
  const bool Active = FrameActive();
  if (FBorderStyle == bsSingle) {
    const TVsFlatBorderType Type = !FFlat ? fbtSunken : Active ? FActiveBorderType : FInactiveBorderType;
    const TColor Line = Active ? FLineBorderActiveColor : FLineBorderInactiveColor;
    DrawFlatFrame(DC, Window, Line, Color(), FBorderSides, Type);
  }
  if (!CustomBarsActive() && (FFlatFocusedScrollBars || !Active)) {
    const LONG Style = GetWindowLongW(FHandle, GWL_STYLE);
    const bool H = (Style & WS_HSCROLL) != 0, V = (Style & WS_VSCROLL) != 0;
    const TVsScrollBarKind Kind = H && V ? sbkBoth : V ? sbkVertical : H ? sbkHorizontal : sbkNone;
    if (Kind != sbkNone)
      DrawFlatScrollbars(FHandle, DC, Window, false, Kind, false, false, false, Style,
                         GetWindowLongW(FHandle, GWL_EXSTYLE));
  }
  RestoreDC(DC, Saved);
}

void TCustomVsEdit::PaintFrame(HDC DC) {
  const LONG Style = GetWindowLongW(FHandle, GWL_STYLE);
  const RECT Inner = FrameClient();
  const bool Themed = IsThemeApplied() && FBorderStyle == bsSingle;
  // A themed window without a border has only the system's bars.
  if (Themed) {
    RECT Window{};
    GetWindowRect(FHandle, &Window);
    OffsetRect(&Window, -Window.left, -Window.top);
    const int Saved = SaveDC(DC);
    ExcludeClipRect(DC, Inner.left, Inner.top, Inner.right, Inner.bottom);
    if (VsUxThemeApi.DrawThemeBackground) VsUxThemeApi.DrawThemeBackground(Theme(), DC, 0, 0, &Window, nullptr);
    RestoreDC(DC, Saved);
  } else if (!IsThemeApplied()) {
    PaintUnthemedFrame(DC);
  }
  // The square between two system bars; the custom bars' controller paints
  // its own.
  const bool BothStandard = !CustomBarsActive() && (Style & WS_VSCROLL) && (Style & WS_HSCROLL);
  if (BothStandard && (Themed || (!IsThemeApplied() && FRightAlignedView))) {
    const int CX = GetSystemMetrics(SM_CXVSCROLL), CY = GetSystemMetrics(SM_CYHSCROLL);
    RECT Corner{FRightAlignedView ? Inner.left : Inner.right - CX, Inner.bottom - CY,
                FRightAlignedView ? Inner.left + CX : Inner.right, Inner.bottom};
    DrawEdge(DC, &Corner, EDGE_SUNKEN, BF_MIDDLE);
  }
}

void TCustomVsEdit::DrawFrame() {
  if (!HandleAllocated() || !IsWindowVisible(FHandle)) return;
  // The whole non-client area painted again at once, but not the text:
  // the themed frame lies over the system's painting, and flat bars drawn
  // over the system's go only when the system paints its bars again.
  const bool SystemBars = !CustomBarsActive() && (GetWindowLongW(FHandle, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
  if (IsThemeApplied() || SystemBars) {
    SendMessageW(FHandle, WM_NCPAINT, 1, 0);
    return;
  }
  HDC DC = GetWindowDC(FHandle);
  if (!DC) return;
  PaintUnthemedFrame(DC);
  ReleaseDC(FHandle, DC);
}

void TCustomVsEdit::WMPrint(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  const auto Flags = static_cast<DWORD>(Message.LParam);
  if (!(Flags & PRF_NONCLIENT) || !HandleAllocated() || !Message.WParam) return;
  if ((Flags & PRF_CHECKVISIBLE) && !IsWindowVisible(FHandle)) return;
  PaintFrame(reinterpret_cast<HDC>(Message.WParam));
}

void TCustomVsEdit::SetFlatFocusedScrollBars(bool Value) {
  if (Value == FFlatFocusedScrollBars) return;
  FFlatFocusedScrollBars = Value;
  if (FMultiline && HandleAllocated() && GetFocus() == FHandle) DrawFrame();
}

template <class T> void TCustomVsEdit::SetFramed(T& Field, const T& Value, bool Shown) {
  if (Value == Field) return;
  Field = Value;
  if (Shown) DrawFrame();
}

void TCustomVsEdit::SetActiveBorderType(TVsFlatBorderType Value) { SetFramed(FActiveBorderType, Value, FrameActive()); }

void TCustomVsEdit::SetInactiveBorderType(TVsFlatBorderType Value) {
  SetFramed(FInactiveBorderType, Value, !FrameActive());
}

void TCustomVsEdit::SetLineBorderActiveColor(TColor Value) { SetFramed(FLineBorderActiveColor, Value, FrameActive()); }

void TCustomVsEdit::SetLineBorderInactiveColor(TColor Value) {
  SetFramed(FLineBorderInactiveColor, Value, !FrameActive());
}

void TCustomVsEdit::DoMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TCustomVsEdit::DoMouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TCustomVsEdit::CMMouseEnter(TMessage& Message) {
  FHover = true;
  DoMouseEnter();
  if (FFlat && !IsThemeApplied() && HandleAllocated() && GetFocus() != FHandle) DrawFrame();
  // The parent hears of it too, as from every control.
  if (TWinControl* P = Parent())
    P->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

void TCustomVsEdit::CMMouseLeave(TMessage& Message) {
  FHover = false;
  const auto* Leaving = reinterpret_cast<const TControl*>(Message.LParam);
  if (!Leaving || Leaving == this) {
    if (FFlat && !IsThemeApplied() && HandleAllocated() && GetFocus() != FHandle) DrawFrame();
    DoMouseLeave();
  }
  if (TWinControl* P = Parent())
    P->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

// ---------------------------------------------------------------------------
// TCustomVsMemo

TCustomVsMemo::TCustomVsMemo(TComponent* AOwner) : TCustomVsEdit(AOwner) {
  SetWantReturns(true);
  SetMultiline(true);
  SetAlignBottom(false);
  SetBounds(Left(), Top(), 185, 89);
}

// ---- hint and right-to-left ----

void TCustomVsEdit::CMHintShow(TMessage& Message) {
  TVsXPThemedControl::WndProc(Message);
  if (auto* Info = reinterpret_cast<THintInfo*>(Message.LParam)) PackHintInfo(*Info, Hint(), FWideHint);
}

std::vector<int> TCustomVsEdit::PlacedWidths(const WideString& S) {
  std::vector<int> Widths(S.size(), 0);
  if (S.empty() || !Measurer()) return Widths;
  // A tab is placed as a blank and is as wide as TabSpaces of them.
  WideString T = S;
  std::replace(T.begin(), T.end(), L'\t', L' ');
  GCP_RESULTSW Results{};
  Results.lStructSize = sizeof(Results);
  Results.lpDx = Widths.data();
  Results.nGlyphs = static_cast<UINT>(T.size());
  const DWORD Flags = GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_DIACRITIC;
  if (!GetCharacterPlacementW(FMeasureDC, T.c_str(), Len(T), 0, &Results, Flags)) {
    // Without a placement the characters stand as a left-to-right text would.
    const std::vector<int> Extents = FMeasurer->CharExtents(T);
    for (size_t I = 0; I < T.size(); ++I) Widths[I] = Extents[I] - (I > 0 ? Extents[I - 1] : 0);
  }
  for (size_t I = 0; I < S.size(); ++I)
    if (S[I] == L'\t') Widths[I] *= std::max(FTabSpaces, 0);
  return Widths;
}

int TCustomVsEdit::ReadingWidth(int Y, int From, int To) {
  if (!FRightAlignedText) return LineTextWidth(Y, From, To);
  if (Y < 0 || Y >= FLines->VisualLineCount() || To <= From) return 0;
  const WideString L = MaskText(*this, FLines->GetVisualLine(Y));
  From = Clamp0(From, Len(L));
  To = Clamp0(To, Len(L));
  // The whole rest of the line is placed: a letter's shape depends on its neighbours.
  const std::vector<int> Widths = PlacedWidths(L.substr(static_cast<size_t>(From)));
  int Width = 0;
  for (int I = 0; I < To - From; ++I) Width += Widths[static_cast<size_t>(I)];
  return Width;
}

// ---------------------------------------------------------------------------

void InitializeVsEdits() {
  InitializeVsThemedControl();
  InitializeVsSBController();
  const TEnumNames Alignments{"taLeftJustify", "taRightJustify", "taCenter"};
  const TEnumNames CharCases{"eecNormal", "eecUpperCase", "eecLowerCase"};
  const TEnumNames BorderStyles{"bsNone", "bsSingle"};
  const TEnumNames ScrollStyles{"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
  const TEnumNames Sides{"ebsLeft", "ebsRight", "ebsTop", "ebsBottom"};
  RegisterClass<TCustomVsEdit, TVsXPThemedControl>()
      .Bool("AutoSize", &TCustomVsEdit::AutoSize, &TCustomVsEdit::SetAutoSize, true)
      .Enum("Alignment", &TCustomVsEdit::Alignment, &TCustomVsEdit::SetAlignment, taLeftJustify, Alignments)
      .Bool("AlignBottom", &TCustomVsEdit::AlignBottom, &TCustomVsEdit::SetAlignBottom, true)
      .Set("BorderSides", &TCustomVsEdit::BorderSides, &TCustomVsEdit::SetBorderSides, AllBorderSides, Sides,
           "TVsBorderSides")
      .Enum("CharCase", &TCustomVsEdit::CharCase, &TCustomVsEdit::SetCharCase, eecNormal, CharCases)
      .Bool("RightAlignedText", &TCustomVsEdit::RightAlignedText, &TCustomVsEdit::SetRightAlignedText, false)
      .Bool("RightAlignedView", &TCustomVsEdit::RightAlignedView, &TCustomVsEdit::SetRightAlignedView, false)
      .WStr("PasswordChar", &TCustomVsEdit::PasswordCharText, &TCustomVsEdit::SetPasswordCharText, "TVsFString")
      .Int("MaxLength", &TCustomVsEdit::MaxLength, &TCustomVsEdit::SetMaxLength, 0)
      .Bool("Transparent", &TCustomVsEdit::Transparent, &TCustomVsEdit::SetTransparent, false)
      .Bool("ReadOnly", &TCustomVsEdit::ReadOnly, &TCustomVsEdit::SetReadOnly, false)
      .Bool("WantTabs", &TCustomVsEdit::WantTabs, &TCustomVsEdit::SetWantTabs, false)
      .Int("LeftMargin", &TCustomVsEdit::LeftMargin, &TCustomVsEdit::SetLeftMargin, 1)
      .Int("RightMargin", &TCustomVsEdit::RightMargin, &TCustomVsEdit::SetRightMargin, 2)
      .Int("TopMargin", &TCustomVsEdit::TopMargin, &TCustomVsEdit::SetTopMargin, 1)
      .Enum("BorderStyle", &TCustomVsEdit::BorderStyle, &TCustomVsEdit::SetBorderStyle, bsSingle, BorderStyles)
      .Bool("AutoSelect", &TCustomVsEdit::AutoSelect, &TCustomVsEdit::SetAutoSelect, false)
      .Bool("HandleDialogKeys", &TCustomVsEdit::HandleDialogKeys, &TCustomVsEdit::SetHandleDialogKeys, false)
      .Int("FocusedSelectColor", &TCustomVsEdit::FocusedSelectColor, &TCustomVsEdit::SetFocusedSelectColor,
           clHighlight, "TColor")
      .Int("FocusedSelectTextColor", &TCustomVsEdit::FocusedSelectTextColor,
           &TCustomVsEdit::SetFocusedSelectTextColor, clHighlightText, "TColor")
      .Bool("HideSelection", &TCustomVsEdit::HideSelection, &TCustomVsEdit::SetHideSelection, true)
      .Int("HideSelectColor", &TCustomVsEdit::HideSelectColor, &TCustomVsEdit::SetHideSelectColor, clBtnFace,
           "TColor")
      .Int("HideSelectTextColor", &TCustomVsEdit::HideSelectTextColor, &TCustomVsEdit::SetHideSelectTextColor,
           clBtnShadow, "TColor")
      .Int("HighlightAlphaLevel", &TCustomVsEdit::HighlightAlphaLevel, &TCustomVsEdit::SetHighlightAlphaLevel, 255)
      .Int("TabSpaces", &TCustomVsEdit::TabSpaces, &TCustomVsEdit::SetTabSpaces, 4)
      .Bool("UseDisabledColors", &TCustomVsEdit::UseDisabledColors, &TCustomVsEdit::SetUseDisabledColors, false)
      .Int("DisabledColor", &TCustomVsEdit::DisabledColor, &TCustomVsEdit::SetDisabledColor, clBtnFace, "TColor")
      .Int("DisabledFontColor", &TCustomVsEdit::DisabledFontColor, &TCustomVsEdit::SetDisabledFontColor, clGrayText,
           "TColor")
      .WStr("Text", &TCustomVsEdit::Text, &TCustomVsEdit::SetText, "TVsFString")
      .WStr("Hint", &TCustomVsEdit::WideHint, &TCustomVsEdit::SetWideHint, "TVsFString")
      .Bool("Flat", &TCustomVsEdit::Flat, &TCustomVsEdit::SetFlat, false)
      .Object("LinkedControl", &TCustomVsEdit::LinkedControl, &TCustomVsEdit::SetLinkedControl)
      .Enum("LinkedControlPosition", &TCustomVsEdit::LinkedControlPosition, &TCustomVsEdit::SetLinkedControlPosition,
            lcpTopLeft, LinkPositionNames)
      .Int("LinkedControlSpacing", &TCustomVsEdit::LinkedControlSpacing, &TCustomVsEdit::SetLinkedControlSpacing, 0)
      .Int("MaxUndoLevel", &TCustomVsEdit::MaxUndoLevel, &TCustomVsEdit::SetMaxUndoLevel, 10)
      .Bool("WantReturns", &TCustomVsEdit::WantReturns, &TCustomVsEdit::SetWantReturns, false)
      .Bool("WordWrap", &TCustomVsEdit::WordWrap, &TCustomVsEdit::SetWordWrap, false)
      .Enum("ScrollBars", &TCustomVsEdit::ScrollBars, &TCustomVsEdit::SetScrollBars, ssNone, ScrollStyles)
      .Bool("UseSystemMenu", &TCustomVsEdit::UseSystemMenu, &TCustomVsEdit::SetUseSystemMenu, true)
      .Bool("NotifyUserChangeOnly", &TCustomVsEdit::NotifyUserChangeOnly, &TCustomVsEdit::SetNotifyUserChangeOnly,
            true)
      .Bool("ParentColor", &TCustomVsEdit::ParentColor, &TCustomVsEdit::SetParentColor, false)
      .Bool("TabStop", &TCustomVsEdit::TabStop, &TCustomVsEdit::SetTabStop, true)
      .Object("Background", &TCustomVsEdit::Background)
      .Bool("UseBackground", &TCustomVsEdit::UseBackground, &TCustomVsEdit::SetUseBackground, false)
      .Object("ImageForm", &TCustomVsEdit::ImageForm, &TCustomVsEdit::SetImageForm)
      .Bool("UseCustomScrollBars", &TCustomVsEdit::UseCustomScrollBars, &TCustomVsEdit::SetUseCustomScrollBars, true)
      .Object("HorzScrollBarStyles", &TCustomVsEdit::HorzScrollBarStyles, &TCustomVsEdit::SetHorzScrollBarStyles)
      .Object("VertScrollBarStyles", &TCustomVsEdit::VertScrollBarStyles, &TCustomVsEdit::SetVertScrollBarStyles)
      .Bool("FlatFocusedScrollBars", &TCustomVsEdit::FlatFocusedScrollBars, &TCustomVsEdit::SetFlatFocusedScrollBars,
            false)
      .Enum("ActiveBorderType", &TCustomVsEdit::ActiveBorderType, &TCustomVsEdit::SetActiveBorderType, fbtSunken,
            FlatBorderTypeNames)
      .Enum("InactiveBorderType", &TCustomVsEdit::InactiveBorderType, &TCustomVsEdit::SetInactiveBorderType,
            fbtSunkenOuter, FlatBorderTypeNames)
      .Int("LineBorderActiveColor", &TCustomVsEdit::LineBorderActiveColor, &TCustomVsEdit::SetLineBorderActiveColor,
           clBlack, "TColor")
      .Int("LineBorderInactiveColor", &TCustomVsEdit::LineBorderInactiveColor,
           &TCustomVsEdit::SetLineBorderInactiveColor, clBlack, "TColor")
      .Event("OnChange", &TCustomVsEdit::OnChange)
      .Event("OnSelectionChange", &TCustomVsEdit::OnSelectionChange)
      .Event("OnKeyPressEx", &TCustomVsEdit::OnKeyPressEx);
  RegisterClass<TVsEdit, TCustomVsEdit>().Bool("Multiline", &TVsEdit::Multiline, &TVsEdit::SetMultiline, false);
  RegisterClass<TCustomVsMemo, TCustomVsEdit>();
  RegisterClass<TVsMemo, TCustomVsMemo>()
      .Bool("WantReturns", &TVsMemo::WantReturns, &TVsMemo::SetWantReturns, true)
      .Bool("AlignBottom", &TVsMemo::AlignBottom, &TVsMemo::SetAlignBottom, false);
}
