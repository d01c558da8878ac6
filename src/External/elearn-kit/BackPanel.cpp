#include "BackPanel.h"

#include <algorithm>

#include "ELFramedImage.h"
#include "ELMovie.h"
#include "Forms.h"
#include "TypInfo.h"

namespace {
CRITICAL_SECTION GLock;
bool GLockMade = false;

class TModuleLock {
public:
  TModuleLock() {
    if (!GLockMade) throw EInvalidOperation("TBackPanel: InitializeBackPanel was not called");
    EnterCriticalSection(&GLock);
  }
  ~TModuleLock() { LeaveCriticalSection(&GLock); }
  TModuleLock(const TModuleLock&) = delete;
  TModuleLock& operator=(const TModuleLock&) = delete;
};

bool IsBackgroundObject(TControl* C) {
  if (auto* Image = dynamic_cast<TELearnFramedImage*>(C)) return Image->IsBackground();
  if (auto* Movie = dynamic_cast<TELearnMovie*>(C)) return Movie->IsBackground();
  return false;
}

// The parts of Last that Now does not cover: bands above and below, then
// the pieces left and right of Now between them.
std::vector<TRect> Uncovered(const TRect& Last, const TRect& Now) {
  std::vector<TRect> Parts;
  TRect Both;
  if (!IntersectRect(&Both, &Last, &Now)) {
    if (!IsRectEmpty(&Last)) Parts.push_back(Last);
    return Parts;
  }
  const auto Add = [&Parts](int L, int T, int R, int B) {
    if (L < R && T < B) Parts.push_back(Rect(L, T, R, B));
  };
  Add(Last.left, Last.top, Last.right, Both.top);
  Add(Last.left, Both.bottom, Last.right, Last.bottom);
  Add(Last.left, Both.top, Both.left, Both.bottom);
  Add(Both.right, Both.top, Last.right, Both.bottom);
  return Parts;
}
}  // namespace

TBackPanel::TBackPanel(TComponent* AOwner) : TCustomPanel(AOwner), FBackground(new TBitmap()) {
  FBackground->SetPixelFormat(pf24bit);
}

TBackPanel::~TBackPanel() = default;

void TBackPanel::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  FRecompose = true;
  if (Showing()) Invalidate();
}

void TBackPanel::GetBackgroundObjects(std::vector<TControl*>& List) { List.assign(1, nullptr); }

bool TBackPanel::BackgroundObjectsPainted(bool) { return false; }

void TBackPanel::ResetMediaRange() {
  FFirstMedia = -1;
  FLastMedia = -1;
}

void TBackPanel::ReleaseBackground() {
  // Deleting the bitmap, not handing it out: nobody would free it.
  if (!FBackground->Empty()) FBackground->SetHandle(nullptr);
}

void TBackPanel::ComposeBackground(bool Force) {
  const int First = GetFirstMediaIndex(), Last = GetLastMediaIndex();
  const bool RangeChanged = First != FFirstMedia || Last != FLastMedia;
  const bool Due = (Force || FBackground->Empty()) && Showing();
  std::vector<TControl*> Objects;
  if (Due || RangeChanged) {
    GetBackgroundObjects(Objects);
    FHasBackgroundObjects = std::any_of(Objects.begin(), Objects.end(), IsBackgroundObject);
  } else {
    BackgroundObjectsPainted(false);
  }
  if (!FTransparent && !FHasBackgroundObjects) {
    FComposing = false;
    ReleaseBackground();
    return;
  }
  if (!(Due || RangeChanged) || !Showing()) return;

  TModuleLock Lock;
  FComposing = true;
  try {
    const int W = ClientWidth(), H = ClientHeight();
    if (FBackground->Width() != W || FBackground->Height() != H) FBackground->SetSize(W, H);
    TCanvas* C = FBackground->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    if (FTransparent && !DrawFormBackground(this, Rect(0, 0, W, H), 0, C)) FTransparent = false;
    // A bitmap that was just made or resized holds nothing yet: without the
    // form's picture it starts in the panel's colour.
    if (!FTransparent) C->FillRect(Rect(0, 0, W, H));
    if (FHasBackgroundObjects) {
      for (TControl* Object : Objects) {
        if (!IsBackgroundObject(Object)) continue;
        if (auto* Image = dynamic_cast<TELearnFramedImage*>(Object))
          Image->DrawBackgroundAt(C, Image->Left(), Image->Top());
        else if (auto* Movie = dynamic_cast<TELearnMovie*>(Object))
          Movie->PaintTo(C, Movie->Left(), Movie->Top());
      }
      BackgroundObjectsPainted(true);
    }
    FFirstMedia = First;
    FLastMedia = Last;
  } catch (...) {
    FComposing = false;
    FRecompose = false;
    throw;
  }
  FComposing = false;
  FRecompose = false;
}

void TBackPanel::CopyBackground(const TRect& R, TCanvas* Canvas, int DY, int DX) {
  if (!FFrozen && (FTransparent || FHasBackgroundObjects)) {
    ComposeBackground(FRecompose);
    if ((FTransparent || FHasBackgroundObjects) && !FBackground->Empty()) {
      Canvas->CopyRect(R, FBackground->Canvas(), Rect(R.left + DX, R.top + DY, R.right + DX, R.bottom + DY));
      return;
    }
  }
  Canvas->FillRect(R);
}

void TBackPanel::Paint() {
  if (!Showing() && !ComponentState().Contains(csDesigning)) return;
  TCanvas* C = Canvas();
  C->SetFont(Font());
  if (FComposing) return;
  const TRect Area = FRecompose ? ClientRect() : C->ClipRect();
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color());
  if (FTransparent || FHasBackgroundObjects)
    CopyBackground(Area, C, 0, 0);
  else
    C->FillRect(Area);
}

void TBackPanel::RepaintUncovered() {
  TWinControl* P = Parent();
  if (!P || !P->HandleAllocated()) return;
  for (const TRect& Part : Uncovered(FLastBounds, BoundsRect())) {
    if (auto* Back = dynamic_cast<TBackPanel*>(P)) {
      Back->Canvas()->Brush()->SetColor(Back->Color());
      Back->CopyBackground(Part, Back->Canvas(), 0, 0);
    } else {
      RedrawWindow(P->Handle(), &Part, nullptr, RDW_UPDATENOW | RDW_NOERASE | RDW_INTERNALPAINT | RDW_INVALIDATE);
    }
  }
}

void TBackPanel::WndProc(TMessage& Message) {
  const bool Destroying = ComponentState().Contains(csDestroying);
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_WINDOWPOSCHANGING:
      if (!Destroying) {
        auto* Pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
        if ((Pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
          const TRect Now = BoundsRect();
          if (IsRectEmpty(&FLastBounds))
            FLastBounds = Now;
          else
            UnionRect(&FLastBounds, &FLastBounds, &Now);
          Pos->flags |= SWP_NOREDRAW;
        }
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      TCustomPanel::WndProc(Message);
      if (Destroying) return;
      auto* Pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
      if ((Pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) && !FVisibilityChanged) {
        RepaintUncovered();
        FLastBounds = BoundsRect();
        FRecompose = true;
        ComposeBackground(true);
        Repaint();
      }
      FVisibilityChanged = false;
      return;
    }
    case CM_VISIBLECHANGED:
      TCustomPanel::WndProc(Message);
      if (Destroying) return;
      FVisibilityChanged = true;
      if (Visible())
        FRecompose = true;
      else
        ReleaseBackground();
      return;
    case WM_NCPAINT:
      if (!Destroying) ComposeBackground(FRecompose);
      break;
    default:
      break;
  }
  TCustomPanel::WndProc(Message);
}

bool DrawFormBackground(TControl* Panel, const TRect& R, int Brightness, TCanvas* Canvas) {
  // The panel's place in its form; a panel in no form has no background.
  int DX = 0, DY = 0;
  TControl* C = Panel;
  TCustomForm* Form = nullptr;
  while (C) {
    if ((Form = dynamic_cast<TCustomForm*>(C))) break;
    DX += C->Left();
    DY += C->Top();
    C = C->Parent();
  }
  auto* Back = Form ? dynamic_cast<TELearnFramedImage*>(Form->FindComponent("ELFBack")) : nullptr;
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (!Back || !Back->Visible() || !Back->Picture()->Graphic() || Back->Picture()->Graphic()->Empty() || W <= 0 ||
      H <= 0) {
    Canvas->FillRect(R);
    return false;
  }
  TOwned<TBitmap> Part(new TBitmap());
  Part->SetPixelFormat(pf24bit);
  Part->SetSize(W, H);
  Back->DrawCachedPart(Part.get(), Rect(R.left + DX, R.top + DY, R.right + DX, R.bottom + DY));
  if (Brightness != 0) {
    GdiFlush();
    for (int Y = 0; Y < H; ++Y) {
      auto* Row = static_cast<Byte*>(Part->ScanLine(Y));
      for (int I = 0; I < W * 3; ++I) Row[I] = static_cast<Byte>(std::clamp(Row[I] * 128 / 255 + Brightness, 0, 255));
    }
  }
  Canvas->Draw(R.left, R.top, Part.get());
  return true;
}

void InitializeBackPanel() {
  if (GLockMade) return;
  InitializeCriticalSection(&GLock);
  GLockMade = true;
}

void FinalizeBackPanel() {
  if (!GLockMade) return;
  DeleteCriticalSection(&GLock);
  GLockMade = false;
}

void RegisterBackPanel() {
  RegisterClass<TBackPanel, TCustomPanel>()
      .Int("Alpha", &TBackPanel::Alpha, &TBackPanel::SetAlpha, 0)
      .Bool("Transparent", &TBackPanel::Transparent, &TBackPanel::SetTransparent, true);
}
