#include "VsImageForm.h"

#include <algorithm>

#include "Forms.h"
#include "TypInfo.h"
#include "VsFrameworkUtils.h"

namespace {

// The signed screen point of a mouse message's LParam.
TPoint PointOf(LPARAM LParam) {
  return TPoint{static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
}

}  // namespace

// ---------------------------------------------------------------------------
// Change links

TImgFormChangeLink::~TImgFormChangeLink() {
  if (FForm) FForm->UnregisterChanges(this);
}

void TImgFormChangeLink::Change() {
  if (OnChange) OnChange(FForm);
}

// ---------------------------------------------------------------------------
// Shaping

HRGN CreateRegionFromBitmap(TGraphic* Graphic, TColor Transparent, int Tolerance) {
  if (!Graphic) return nullptr;
  const int W = Graphic->Width(), H = Graphic->Height();
  if (W <= 0 || H <= 0) return CreateRectRgn(0, 0, 0, 0);
  HDC Memory = CreateCompatibleDC(nullptr);
  if (!Memory) return nullptr;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = -H;  // top-down rows
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  HBITMAP Section = CreateDIBSection(Memory, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!Section || !Bits) {
    if (Section) DeleteObject(Section);
    DeleteDC(Memory);
    return nullptr;
  }
  HGDIOBJ Old = SelectObject(Memory, Section);
  HRGN Result = nullptr;
  try {
    {
      TCanvas Canvas;
      Canvas.SetHandle(Memory);
      Graphic->Draw(&Canvas, TRect{0, 0, W, H});
      Canvas.SetHandle(nullptr);
    }
    GdiFlush();
    const bool Keyed = Transparent != clNone;
    const Integer Key = Keyed ? ColorToRGB(Transparent) : 0;
    const int KeyR = GetRValue(Key), KeyG = GetGValue(Key), KeyB = GetBValue(Key);
    const auto Within = [Tolerance](int Part, int K) { return Part >= K && Part <= std::min(255, K + Tolerance); };
    const auto* Pixels = static_cast<const DWORD*>(Bits);
    const auto IsTransparent = [&](int X, int Y) {
      const DWORD P = Pixels[static_cast<size_t>(Y) * W + X];  // 0x00RRGGBB in a DIB
      return Keyed && Within((P >> 16) & 0xFF, KeyR) && Within((P >> 8) & 0xFF, KeyG) && Within(P & 0xFF, KeyB);
    };
    // Runs of opaque pixels become rectangles, turned into a region in
    // batches of 2000 and combined.
    constexpr int Batch = 2000;
    std::vector<RECT> Runs;
    Runs.reserve(100);
    Result = CreateRectRgn(0, 0, 0, 0);
    if (!Result) throw EOutOfResources("Cannot create a window region");
    const auto Flush = [&]() {
      if (Runs.empty()) return;
      std::vector<Byte> Data(sizeof(RGNDATAHEADER) + Runs.size() * sizeof(RECT));
      auto* Header = reinterpret_cast<RGNDATAHEADER*>(Data.data());
      Header->dwSize = sizeof(RGNDATAHEADER);
      Header->iType = RDH_RECTANGLES;
      Header->nCount = static_cast<DWORD>(Runs.size());
      Header->nRgnSize = 0;
      RECT Bounds = Runs.front();
      for (const RECT& R : Runs) UnionRect(&Bounds, &Bounds, &R);
      Header->rcBound = Bounds;
      std::copy(Runs.begin(), Runs.end(), reinterpret_cast<RECT*>(Data.data() + sizeof(RGNDATAHEADER)));
      HRGN Part = ExtCreateRegion(nullptr, static_cast<DWORD>(Data.size()), reinterpret_cast<RGNDATA*>(Data.data()));
      if (!Part) throw EAssertionFailed("ExtCreateRegion failed");
      CombineRgn(Result, Result, Part, RGN_OR);
      DeleteObject(Part);
      Runs.clear();
    };
    for (int Y = 0; Y < H; ++Y) {
      int X = 0;
      while (X < W) {
        while (X < W && IsTransparent(X, Y)) ++X;
        const int Start = X;
        while (X < W && !IsTransparent(X, Y)) ++X;
        if (X > Start) {
          Runs.push_back(RECT{Start, Y, X, Y + 1});
          if (static_cast<int>(Runs.size()) == Batch) Flush();
        }
      }
    }
    Flush();
  } catch (...) {
    if (Result) DeleteObject(Result);
    SelectObject(Memory, Old);
    DeleteObject(Section);
    DeleteDC(Memory);
    throw;
  }
  SelectObject(Memory, Old);
  DeleteObject(Section);
  DeleteDC(Memory);
  return Result;
}

// ---------------------------------------------------------------------------
// TCustomVsImageForm

TCustomVsImageForm::TCustomVsImageForm(TComponent* AOwner) : TComponent(AOwner), FBackground(new TBitmap()) {
  FBackground->OnChange = TNotifyEvent(this, &TCustomVsImageForm::BackgroundChanged);
  HookControl();
}

TCustomVsImageForm::~TCustomVsImageForm() {
  for (TImgFormChangeLink* Link : FLinks) Link->SetForm(nullptr);
  FLinks.clear();
  if (FRegion) DeleteObject(FRegion);
}

void TCustomVsImageForm::BeforeDestruction() {
  UnhookControl();
  RemoveFormRegion();
  if (FFormImage) {
    FFormImage->Picture()->OnChange = FSavedPictureChange;
    FFormImage->RemoveFreeNotification(this);
    FFormImage = nullptr;
  }
  TComponent::BeforeDestruction();
}

TWinControl* TCustomVsImageForm::GetRealControl() const {
  return FControl ? FControl : dynamic_cast<TWinControl*>(Owner());
}

void TCustomVsImageForm::SetControl(TWinControl* Value) {
  if (FControl == Value) return;
  UnhookControl();
  RemoveFormRegion();
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = Value;
  if (Value) Value->FreeNotification(this);
  if (ComponentState().Contains(csDestroying)) return;
  if (FChangeFormRegion) ApplyFormRegion();
  HookControl();
  RebuildStretched();
}

void TCustomVsImageForm::SetTransparentColor(TColor Value) {
  if (FTransparentColor == Value) return;
  FTransparentColor = Value;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  RemoveFormRegion();
  if (FChangeFormRegion) ApplyFormRegion();
  NotifyLinks();
}

void TCustomVsImageForm::SetCaptionControl(TGraphicControl* Value) {
  if (FCaptionControl == Value) return;
  if (FCaptionControl) FCaptionControl->RemoveFreeNotification(this);
  FCaptionControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomVsImageForm::SetChangeFormRegion(bool Value) {
  if (FChangeFormRegion == Value) return;
  FChangeFormRegion = Value;
  if (Value)
    ApplyFormRegion();
  else
    RemoveFormRegion();
}

void TCustomVsImageForm::SetFormImage(TImage* Value) {
  if (FFormImage == Value) return;
  if (FFormImage) {
    FFormImage->Picture()->OnChange = FSavedPictureChange;
    FFormImage->RemoveFreeNotification(this);
  }
  if (FChangeFormRegion) RemoveFormRegion();
  FFormImage = Value;
  FSavedPictureChange = nullptr;
  if (Value) {
    Value->FreeNotification(this);
    if (!Designing()) {
      FSavedPictureChange = Value->Picture()->OnChange;
      Value->Picture()->OnChange = TNotifyEvent(this, &TCustomVsImageForm::PictureChanged);
    }
  }
  if (FChangeFormRegion) ApplyFormRegion();
}

void TCustomVsImageForm::SetBackground(TBitmap* Value) {
  FBackground->Assign(Value);
  InvalidateControl(true);
}

void TCustomVsImageForm::SetBackgroundType(TVsBkGndType Value) {
  if (FBackgroundType == Value) return;
  FBackgroundType = Value;
  RebuildStretched();
  InvalidateControl(true);
  NotifyLinks();
}

void TCustomVsImageForm::SetGradientStartColor(TColor Value) {
  FGradientStartColor = Value;
  if (FBackgroundType == bgtHorzGradient || FBackgroundType == bgtVertGradient) InvalidateControl(true);
}

void TCustomVsImageForm::SetGradientEndColor(TColor Value) {
  FGradientEndColor = Value;
  if (FBackgroundType == bgtHorzGradient || FBackgroundType == bgtVertGradient) InvalidateControl(true);
}

void TCustomVsImageForm::SetGradientSteps(int Value) {
  FGradientSteps = Value;
  if (FBackgroundType == bgtHorzGradient || FBackgroundType == bgtVertGradient) InvalidateControl(true);
}

void TCustomVsImageForm::BackgroundChanged(TObject*) {
  RebuildStretched();
  InvalidateControl(true);
  NotifyLinks();
}

TColor TCustomVsImageForm::GetPictureCornerColor() const {
  if (!FFormImage) return clNone;
  TPicture* Picture = FFormImage->Picture();
  if (!Picture->Graphic() || Picture->Width() <= 0 || Picture->Height() <= 0) return clNone;
  return Picture->Bitmap()->Canvas()->Pixels(0, Picture->Height() - 1);
}

void TCustomVsImageForm::PictureChanged(TObject* Sender) {
  if (FSavedPictureChange) FSavedPictureChange(Sender);
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  RemoveFormRegion();
  FTransparentColor = GetPictureCornerColor();
  if (FChangeFormRegion && FFormImage && FFormImage->Picture()->Width() > 0 && FFormImage->Picture()->Height() > 0)
    ApplyFormRegion();
  NotifyLinks();
}

void TCustomVsImageForm::ApplyFormRegion() {
  RemoveFormRegion();
  TWinControl* Real = GetRealControl();
  if (!FFormImage || !Real || Designing()) return;
  TPicture* Picture = FFormImage->Picture();
  if (!Picture->Graphic() || Picture->Width() <= 0 || Picture->Height() <= 0) return;
  HRGN Region = CreateRegionFromBitmap(Picture->Graphic(), FTransparentColor, 0);
  if (!Region) return;
  // A region the window takes is the system's from then on; one it refuses
  // (or that waits for a window) stays ours to delete.
  if (Real->HandleAllocated() && SetWindowRgn(Real->Handle(), Region, TRUE)) return;
  FRegion = Region;
}

void TCustomVsImageForm::RemoveFormRegion() {
  TWinControl* Real = GetRealControl();
  if (Real && Real->HandleAllocated()) {
    HRGN Current = CreateRectRgn(0, 0, 0, 0);
    // Only a window that holds a region is told to drop it.
    if (Current && GetWindowRgn(Real->Handle(), Current) != ERROR) SetWindowRgn(Real->Handle(), nullptr, TRUE);
    if (Current) DeleteObject(Current);
  }
  if (FRegion) {
    DeleteObject(FRegion);
    FRegion = nullptr;
  }
}

void TCustomVsImageForm::HookControl() {
  TWinControl* Real = GetRealControl();
  if (!Real || Designing()) return;
  UnhookControl();
  FHook = new TVsHook(this);
  FHook->SetControl(Real);
  FHook->OnBeforeProcess = TVsHookEvent(this, &TCustomVsImageForm::BeforeMessage);
  FHook->OnAfterProcess = TVsHookEvent(this, &TCustomVsImageForm::AfterMessage);
  FHook->SetActive(true);
}

void TCustomVsImageForm::UnhookControl() {
  if (!FHook) return;
  TVsHook* Hook = FHook;
  FHook = nullptr;
  Hook->Free();
}

void TCustomVsImageForm::Loaded() {
  TComponent::Loaded();
  if (FFormImage) PictureChanged(FFormImage->Picture());
  HookControl();
}

void TCustomVsImageForm::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FCaptionControl) FCaptionControl = nullptr;
  if (AComponent == FFormImage) {
    FFormImage = nullptr;
    FSavedPictureChange = nullptr;
  }
  if (AComponent == FControl) SetControl(nullptr);
}

void TCustomVsImageForm::RegisterChanges(TImgFormChangeLink* Link) {
  Link->SetForm(this);
  FLinks.push_back(Link);
}

void TCustomVsImageForm::UnregisterChanges(TImgFormChangeLink* Link) {
  const auto Found = std::find(FLinks.begin(), FLinks.end(), Link);
  if (Found == FLinks.end()) return;
  FLinks.erase(Found);
  Link->SetForm(nullptr);
}

void TCustomVsImageForm::NotifyLinks() {
  const std::vector<TImgFormChangeLink*> Links = FLinks;
  for (TImgFormChangeLink* Link : Links)
    if (std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end()) Link->Change();
}

void TCustomVsImageForm::RebuildStretched() {
  TWinControl* Real = GetRealControl();
  if (FBackgroundType != bgtStretchBitmap || FBackground->Empty() || !Real || Real->ClientWidth() <= 0 ||
      Real->ClientHeight() <= 0) {
    FStretched.reset();
    return;
  }
  if (!FStretched) FStretched.reset(new TBitmap());
  FStretched->SetSize(Real->ClientWidth(), Real->ClientHeight());
  const HDC Target = FStretched->Canvas()->Handle();
  SetStretchBltMode(Target, COLORONCOLOR);
  StretchBlt(Target, 0, 0, FStretched->Width(), FStretched->Height(), FBackground->Canvas()->Handle(), 0, 0,
             FBackground->Width(), FBackground->Height(), SRCCOPY);
}

void TCustomVsImageForm::InvalidateControl(bool Erase) {
  TWinControl* Real = GetRealControl();
  if (Real && Real->HandleAllocated()) InvalidateRect(Real->Handle(), nullptr, Erase);
}

void TCustomVsImageForm::BroadcastChanged() {
  TWinControl* Real = GetRealControl();
  if (!Real) return;
  TMessage Message{};
  Message.Msg = VS_IMAGEFORMCHANGED;
  for (int I = 0; I < Real->ControlCount(); ++I) Real->Controls(I)->WindowProc(Message);
}

void TCustomVsImageForm::PaintBkgnd(HDC DC, const TRect& R, bool Whole, TPoint Offset) {
  TWinControl* Real = GetRealControl();
  if (!Real) return;
  TColor Fill = Real->Color();
  TRect Area{0, 0, Real->ClientWidth(), Real->ClientHeight()};
  if (Real->HandleAllocated()) {
    const HWND Window = Real->Handle();
    const LONG Style = GetWindowLongW(Window, GWL_STYLE);
    // Scrolled content takes its background along.
    for (const int Bar : {SB_HORZ, SB_VERT}) {
      if (!(Style & (Bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL))) continue;
      SCROLLINFO Info{};
      Info.cbSize = sizeof Info;
      Info.fMask = SIF_RANGE | SIF_POS;
      if (!GetScrollInfo(Window, Bar, &Info)) continue;
      if (Bar == SB_HORZ) {
        Area.right = Info.nMax == Info.nMin ? Real->ClientWidth() : Info.nMax - Info.nMin;
        Offset.x += Info.nPos;
      } else {
        Area.bottom = Info.nMax == Info.nMin ? Real->ClientHeight() : Info.nMax - Info.nMin;
        Offset.y += Info.nPos;
      }
    }
    SendMessageW(Window, VS_IMAGEFORMADJUSTRECT, 0, reinterpret_cast<LPARAM>(&Area));
  }
  switch (FBackgroundType) {
    case bgtColorFill:
      FillSolidRect(DC, R, Fill);
      return;
    case bgtHorzGradient:
    case bgtVertGradient:
      VsGradientFillEx(DC, R, Area, Offset, FGradientStartColor, FGradientEndColor, FGradientSteps,
                       FBackgroundType == bgtVertGradient);
      return;
    case bgtStretchBitmap:
    case bgtTileBitmap:
    case bgtCenterBitmap:
    case bgtTopLeftBitmap:
      break;
    default:
      return;
  }
  TBitmap* Picture = FBackground.get();
  TVsBkGndType Type = FBackgroundType;
  if (Type == bgtStretchBitmap) {
    if (!FStretched) {
      FillSolidRect(DC, R, Fill);
      return;
    }
    // The stretched copy already has the control's size.
    Picture = FStretched.get();
    Type = bgtTileBitmap;
  }
  if (Picture->Empty()) {
    FillSolidRect(DC, R, Fill);
    return;
  }
  if (Type == bgtTopLeftBitmap) Fill = Picture->Canvas()->Pixels(Picture->Width() - 1, Picture->Height() - 1);
  if (Whole)
    ExtDrawBkgndEx(DC, Area, Type, Picture, Fill, SRCCOPY);
  else
    ExtDrawBkgnd(DC, R, Area, Offset, Fill, Picture, Type);
}

void TCustomVsImageForm::BeforeMessage(TObject*, TMessage& Msg, bool& Handled) {
  if (Designing()) return;
  if (Msg.Msg == WM_SIZE) {
    FJustResized = true;
    return;
  }
  if (Msg.Msg != WM_ERASEBKGND) return;
  TWinControl* Real = GetRealControl();
  if (!Real || !Real->HandleAllocated()) return;
  if (SendMessageW(Real->Handle(), VS_IMAGEFORMOWNBKGND, 0, 0) != 0) return;
  // A form left as it came erases itself.
  if (!FControl && FBackgroundType == bgtColorFill) return;
  const HDC DC = reinterpret_cast<HDC>(Msg.WParam);
  TRect R;
  if (GetClipBox(DC, &R) == NULLREGION || IsRectEmpty(&R)) {
    R = TRect{0, 0, Real->ClientWidth(), Real->ClientHeight()};
    SendMessageW(Real->Handle(), VS_IMAGEFORMADJUSTRECT, 0, reinterpret_cast<LPARAM>(&R));
  }
  PaintBkgnd(DC, R, true, TPoint{0, 0});
  if (!FJustResized) {
    Msg.Result = 1;
    Handled = true;
  }
}

void TCustomVsImageForm::AfterMessage(TObject*, TMessage& Msg, bool&) {
  TWinControl* Real = GetRealControl();
  if (!Real) return;
  switch (Msg.Msg) {
    case WM_CREATE:
      // A new window has no region: the wanted one is built for it afresh.
      if (FChangeFormRegion) ApplyFormRegion();
      return;
    case WM_NCHITTEST: {
      // Only the client area drags: borders, scroll bars and the caption
      // keep what the window said.
      if (!FMoveForm || Designing() || Msg.Result != HTCLIENT) return;
      const TPoint Screen = PointOf(Msg.LParam);
      if (FCaptionControl) {
        const TPoint P = FCaptionControl->ScreenToClient(Screen);
        const TRect Client = FCaptionControl->ClientRect();
        if (PtInRect(&Client, P)) Msg.Result = HTCAPTION;
      } else {
        const TPoint P = Real->ScreenToClient(Screen);
        if (P.x >= 0 && P.y >= 0 && !Real->ControlAtPos(P, true, true)) Msg.Result = HTCAPTION;
      }
      return;
    }
    case WM_SIZE:
      FJustResized = false;
      if (Real->HandleAllocated()) InvalidateRect(Real->Handle(), nullptr, TRUE);
      RebuildStretched();
      BroadcastChanged();
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      InvalidateControl(false);
      BroadcastChanged();
      return;
    case WM_PALETTECHANGED:
      InvalidateControl(true);
      return;
    default:
      break;
  }
  if (FMoveForm && !FCaptionControl && !Designing() && Msg.Msg >= WM_NCRBUTTONDOWN && Msg.Msg <= WM_NCMBUTTONDBLCLK &&
      Real->HandleAllocated()) {
    // The dragged client area still gets its right and middle clicks.
    const TPoint P = Real->ScreenToClient(PointOf(Msg.LParam));
    const TRect Client = Real->ClientRect();
    if (!PtInRect(&Client, P)) return;
    WPARAM Keys = 0;
    if (GetKeyState(VK_CONTROL) < 0) Keys |= MK_CONTROL;
    if (GetKeyState(VK_SHIFT) < 0) Keys |= MK_SHIFT;
    SendMessageW(Real->Handle(), Msg.Msg - WM_NCRBUTTONDOWN + WM_RBUTTONDOWN, Keys, MAKELPARAM(P.x, P.y));
  }
}

bool RelinkImageForm(TComponent* Client, TImgFormChangeLink* Link, TVsImageForm*& Current, TVsImageForm* Value) {
  if (Current == Value) return false;
  if (Current) {
    Current->UnregisterChanges(Link);
    Current->RemoveFreeNotification(Client);
  }
  Current = Value;
  if (Value) {
    Value->RegisterChanges(Link);
    Value->FreeNotification(Client);
  }
  return true;
}

void InitializeVsImageForm() {
  const TEnumNames Types{"bgtTileBitmap",   "bgtStretchBitmap", "bgtColorFill",    "bgtCenterBitmap",
                         "bgtHorzGradient", "bgtVertGradient",  "bgtTopLeftBitmap"};
  RegisterClass<TCustomVsImageForm, TComponent>()
      .Object("Control", &TCustomVsImageForm::Control, &TCustomVsImageForm::SetControl)
      .Int("TransparentColor", &TCustomVsImageForm::TransparentColor, &TCustomVsImageForm::SetTransparentColor,
           clNone, "TColor")
      .Object("CaptionControl", &TCustomVsImageForm::CaptionControl, &TCustomVsImageForm::SetCaptionControl)
      .Bool("ChangeFormRegion", &TCustomVsImageForm::ChangeFormRegion, &TCustomVsImageForm::SetChangeFormRegion, false)
      .Object("FormImage", &TCustomVsImageForm::FormImage, &TCustomVsImageForm::SetFormImage)
      .Bool("MoveForm", &TCustomVsImageForm::MoveForm, &TCustomVsImageForm::SetMoveForm, false)
      .Object("Background", &TCustomVsImageForm::Background, &TCustomVsImageForm::SetBackground)
      .Enum("BackgroundType", &TCustomVsImageForm::BackgroundType, &TCustomVsImageForm::SetBackgroundType,
            bgtColorFill, Types)
      .Int("GradientStartColor", &TCustomVsImageForm::GradientStartColor, &TCustomVsImageForm::SetGradientStartColor,
           clBlack, "TColor")
      .Int("GradientEndColor", &TCustomVsImageForm::GradientEndColor, &TCustomVsImageForm::SetGradientEndColor,
           clWhite, "TColor")
      .Int("GradientSteps", &TCustomVsImageForm::GradientSteps, &TCustomVsImageForm::SetGradientSteps, 16);
  RegisterClass<TVsImageForm, TCustomVsImageForm>();
}
