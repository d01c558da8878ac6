#include "VsEdits.h"

#include <algorithm>
#include <string>

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
  TVsActionList& U = FOwner->UndoList();
  U.AddAction(vsaGroup, {}, WideString(), {});
  U.AddAction(vsaDelete, {}, Old, {});
  const int Last = FParagraphs.Count() - 1;
  U.AddAction(vsaInsert, {}, S, {std::max(Last, 0), Last >= 0 ? ParagraphLength(Last) : 0});
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
