#include "VsFrameworkUtils.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "Consts.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsTools.h"

namespace {

std::unique_ptr<TMemoryStream> GVsReaderStream;
TOwned<TVsReader> GVsReader;
TReader::TPropertyReader GPreviousReader = nullptr;
bool GReaderInstalled = false;

// DefineProperties is protected; this names it through a class that makes
// it public.
struct TDefineAccess : TPersistent {
  using TPersistent::DefineProperties;
};

void CallDefineProperties(TPersistent* Instance, TReader* Reader) {
  (Instance->*(&TDefineAccess::DefineProperties))(Reader);
}

// Errors inside DefineProperties are never skipped by OnError (the value may
// be half read); the flag comes back however the call ends.
class TNoErrorHandling {
public:
  explicit TNoErrorHandling(TReader* AReader) : FReader(AReader), FSaved(AReader->CanHandleExceptions()) {
    FReader->SetCanHandleExceptions(false);
  }
  ~TNoErrorHandling() { FReader->SetCanHandleExceptions(FSaved); }
  TNoErrorHandling(const TNoErrorHandling&) = delete;
  TNoErrorHandling& operator=(const TNoErrorHandling&) = delete;

private:
  TReader* FReader;
  bool FSaved;
};

AnsiString Describe(TPersistent* Instance) {
  auto* Component = dynamic_cast<TComponent*>(Instance);
  if (Component && !Component->Name().empty()) return Component->Name();
  return Instance->ClassName();
}

// --- skipping values ---

[[noreturn]] void InvalidValue(TReader* Reader, Int64 Start) {
  Reader->Stream()->SetPosition(Start);
  throw EReadError("Invalid property value");
}

Byte PeekByte(TReader* Reader) {
  Byte B;
  Reader->Read(&B, 1);
  Reader->Stream()->Seek(-1, soCurrent);
  return B;
}

void SkipCount(TReader* Reader, Int64 Count, Int64 Start) {
  TStream* S = Reader->Stream();
  if (Count < 0 || Count > S->Size() - S->Position()) InvalidValue(Reader, Start);
  Byte Buffer[256];
  while (Count > 0) {
    const int N = static_cast<int>(std::min<Int64>(Count, sizeof Buffer));
    Reader->Read(Buffer, N);
    Count -= N;
  }
}

std::int32_t ReadLength(TReader* Reader) {
  Byte B[4];
  Reader->Read(B, 4);
  return static_cast<std::int32_t>(B[0] | (B[1] << 8) | (B[2] << 16) | (static_cast<std::uint32_t>(B[3]) << 24));
}

void SkipShortString(TReader* Reader, Int64 Start) {
  Byte Length;
  Reader->Read(&Length, 1);
  SkipCount(Reader, Length, Start);
}

bool AtEndMarker(TReader* Reader) { return PeekByte(Reader) == vaNull; }

void SkipEndMarker(TReader* Reader, Int64 Start) {
  if (PeekByte(Reader) != vaNull) InvalidValue(Reader, Start);
  Reader->Stream()->Seek(1, soCurrent);
}

}  // namespace

namespace {

// No layout comes near this many levels of nested lists and collections;
// deeper ones are refused before they exhaust the stack.
constexpr int MaxValueNesting = 1000;

void SkipValueAt(TReader* Reader, int Depth) {
  TStream* S = Reader->Stream();
  const Int64 Start = S->Position();
  Byte Tag;
  Reader->Read(&Tag, 1);
  if (Tag > vaUTF8String) InvalidValue(Reader, Start);
  if ((Tag == vaList || Tag == vaCollection) && Depth >= MaxValueNesting) InvalidValue(Reader, Start);
  switch (static_cast<TValueType>(Tag)) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!AtEndMarker(Reader)) SkipValueAt(Reader, Depth + 1);
      return SkipEndMarker(Reader, Start);
    case vaInt8: return SkipCount(Reader, 1, Start);
    case vaInt16: return SkipCount(Reader, 2, Start);
    case vaInt32:
    case vaSingle: return SkipCount(Reader, 4, Start);
    case vaExtended: return SkipCount(Reader, 10, Start);
    case vaCurrency:
    case vaDate:
    case vaInt64: return SkipCount(Reader, 8, Start);
    case vaString:
    case vaIdent: return SkipShortString(Reader, Start);
    case vaSet: {
      Byte Length;
      do {
        Reader->Read(&Length, 1);
        SkipCount(Reader, Length, Start);
      } while (Length != 0);
      return;
    }
    case vaBinary:
    case vaLString:
    case vaUTF8String: {
      const std::int32_t Length = ReadLength(Reader);
      return SkipCount(Reader, Length, Start);
    }
    case vaWString: {
      const std::int32_t Length = ReadLength(Reader);
      return SkipCount(Reader, static_cast<Int64>(Length) * 2, Start);
    }
    case vaCollection:
      while (!AtEndMarker(Reader)) {
        const Byte Order = PeekByte(Reader);
        if (Order == vaInt8 || Order == vaInt16 || Order == vaInt32) SkipValueAt(Reader, Depth + 1);
        if (PeekByte(Reader) != vaList) InvalidValue(Reader, Start);
        S->Seek(1, soCurrent);
        while (!AtEndMarker(Reader)) {
          SkipShortString(Reader, Start);
          SkipValueAt(Reader, Depth + 1);
        }
        SkipEndMarker(Reader, Start);
      }
      return SkipEndMarker(Reader, Start);
  }
}

}  // namespace

void SkipStreamValue(TReader* Reader) {
  const Int64 Start = Reader->Stream()->Position();
  try {
    SkipValueAt(Reader, 0);
  } catch (const EReadError&) {
    // However deep the fault, the stream stays where the value began.
    Reader->Stream()->SetPosition(Start);
    throw;
  }
}

void TVsReader::SkipBoolean(TReader* Reader) { Reader->ReadBoolean(); }

TVsReader* GetVsReader() {
  if (!GVsReader) {
    GVsReaderStream = std::make_unique<TMemoryStream>();
    GVsReader.reset(new TVsReader(GVsReaderStream.get()));
  }
  return GVsReader.get();
}

void PatchedReadProperty(TReader* Reader, TPersistent* AInstance) {
  TStream* S = Reader->Stream();
  const Int64 Start = S->Position();
  // Walk the path; anything but a stop at an unpublished element (and any
  // damage to the stream) is the framework's to read and to report.
  AnsiString Path;
  AnsiString Element;
  TPersistent* Instance = AInstance;
  bool Stopped = false;
  try {
    Path = Reader->ReadStr();
    size_t From = 0;
    for (size_t Dot; (Dot = Path.find('.', From)) != AnsiString::npos; From = Dot + 1) {
      Element = Path.substr(From, Dot - From);
      const TPropInfo* P = GetPropInfo(Instance, Element);
      if (!P) {
        Stopped = true;
        break;
      }
      auto* Next = P->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(Instance, P)) : nullptr;
      if (!Next) break;
      Instance = Next;
    }
  } catch (const Exception&) {
    Stopped = false;
  }
  if (!Stopped) {
    S->SetPosition(Start);
    Reader->DefaultReadProperty(AInstance);
    return;
  }

  S->SetPosition(Start);
  Reader->MarkItem();
  S->SetPosition(Start + 1 + static_cast<Int64>(Path.size()));
  // A value half read by DefineProperties, or a stream too damaged to skip
  // the value, cannot be stepped over.
  bool Recoverable = true;
  try {
    try {
      for (const AnsiString& Name : {Path, Element}) {
        Reader->SetPropName(Name);
        TNoErrorHandling Guard(Reader);
        try {
          CallDefineProperties(Instance, Reader);
        } catch (...) {
          Recoverable = false;
          throw;
        }
        if (Reader->PropName().empty()) return;
      }
      const AnsiString Missing = Reader->PropName();
      Recoverable = false;
      SkipStreamValue(Reader);
      Recoverable = true;
      throw EReadError(FmtLoadStr(SUnknownProperty, Missing));
    } catch (const Exception& E) {
      throw EReadError(FmtLoadStr(SErrorReadingProperty, Describe(AInstance), Path, E.Message()));
    }
  } catch (const Exception& E) {
    if (!Recoverable || !Reader->CanHandleExceptions() || !Reader->Error(E.Message())) throw;
  }
}

// ===========================================================================
// Drawing

TGradientFillProc GradientFillProc = nullptr;

namespace {

HMODULE GMsimg32 = nullptr;

int Part(Integer RGBValue, int Shift) { return (RGBValue >> Shift) & 0xFF; }
TColor Pack(int R, int G, int B) { return (R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16); }
COLORREF RGBOf(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)); }

int Width(const TRect& R) { return R.right - R.left; }
int Height(const TRect& R) { return R.bottom - R.top; }

TRect Shrunk(const TRect& R, TVsBorderSides Sides) {
  TRect S = R;
  if (Sides.Contains(ebsLeft)) ++S.left;
  if (Sides.Contains(ebsTop)) ++S.top;
  if (Sides.Contains(ebsRight)) --S.right;
  if (Sides.Contains(ebsBottom)) --S.bottom;
  return S;
}

// A one-pixel strip (or any rectangle) in a system colour.
void SysFill(HDC DC, int Left, int Top, int Right, int Bottom, int SysColor) {
  const RECT R{Left, Top, Right, Bottom};
  FillRect(DC, &R, GetSysColorBrush(SysColor));
}

void FillWithBrush(HDC DC, const TRect& R, COLORREF Color, bool Pattern) {
  HBRUSH Brush = CreateSolidBrush(Color);
  if (Pattern) {
    HGDIOBJ Old = SelectObject(DC, Brush);
    PatBlt(DC, R.left, R.top, Width(R), Height(R), PATCOPY);
    SelectObject(DC, Old);
  } else {
    FillRect(DC, &R, Brush);
  }
  DeleteObject(Brush);
}

// Band I of Steps over Length: its start and end along the axis and its
// colour.
struct TBand {
  int From, To;
  COLORREF Color;
};

TBand GradientBand(int I, int Steps, int Length, COLORREF S, COLORREF E) {
  auto Mix = [&](int Shift) {
    const int A = Part(static_cast<Integer>(S), Shift), B = Part(static_cast<Integer>(E), Shift);
    return Steps == 1 ? A : (A + MulDiv(I, B - A, Steps - 1)) & 0xFF;
  };
  return TBand{MulDiv(I, Length, Steps), MulDiv(I + 1, Length, Steps), RGB(Mix(0), Mix(8), Mix(16))};
}

}  // namespace

Byte VsGetRValue(TColor Color) { return static_cast<Byte>(Part(ColorToRGB(Color), 0)); }
Byte VsGetGValue(TColor Color) { return static_cast<Byte>(Part(ColorToRGB(Color), 8)); }
Byte VsGetBValue(TColor Color) { return static_cast<Byte>(Part(ColorToRGB(Color), 16)); }
TColor VsRGBToColor(Byte R, Byte G, Byte B) { return Pack(R, G, B); }

TColor LightenColor(TColor Color, Byte Percent) {
  const Integer C = ColorToRGB(Color);
  auto L = [&](int Shift) { const int P = Part(C, Shift); return P + MulDiv(255 - P, Percent, 100); };
  return Pack(L(0), L(8), L(16));
}

TColor DarkenColor(TColor Color, Byte Percent) {
  const Integer C = ColorToRGB(Color);
  auto D = [&](int Shift) { return std::max(0, MulDiv(Part(C, Shift), Percent, 100)); };
  return Pack(D(0), D(8), D(16));
}

void WrapHue(int& Hue) {
  if (Hue < 0)
    Hue += HLSMax;
  else if (Hue > HLSMax)
    Hue -= HLSMax;
}

TColor ColorToHLS(TColor Color) {
  const Integer C = ColorToRGB(Color);
  const int R = Part(C, 0), G = Part(C, 8), B = Part(C, 16);
  const int Max = std::max({R, G, B}), Min = std::min({R, G, B});
  const int L = ((Max + Min) * HLSMax + 255) / 510;
  int H = 2 * HLSMax / 3, S = 0;
  if (Max != Min) {
    const int D = Max - Min;
    if (L <= HLSMax / 2)
      S = (D * HLSMax + (Max + Min) / 2) / (Max + Min);
    else
      S = (D * HLSMax + (510 - Max - Min) / 2) / (510 - Max - Min);
    const int Rd = ((Max - R) * (HLSMax / 6) + D / 2) / D;
    const int Gd = ((Max - G) * (HLSMax / 6) + D / 2) / D;
    const int Bd = ((Max - B) * (HLSMax / 6) + D / 2) / D;
    if (R == Max)
      H = Bd - Gd;
    else if (G == Max)
      H = HLSMax / 3 + Rd - Bd;
    else
      H = 2 * HLSMax / 3 + Gd - Rd;
    WrapHue(H);
  }
  return Pack(H, L, S);
}

int HueToRGBPart(int Low, int High, int Hue) {
  WrapHue(Hue);
  if (Hue < HLSMax / 6) return Low + ((High - Low) * Hue + HLSMax / 12) / (HLSMax / 6);
  if (Hue < HLSMax / 2) return High;
  if (Hue < 2 * HLSMax / 3) return Low + ((High - Low) * (2 * HLSMax / 3 - Hue) + HLSMax / 12) / (HLSMax / 6);
  return Low;
}

TColor HLSToColor(TColor HLS) {
  const int H = Part(HLS, 0), L = Part(HLS, 8), S = Part(HLS, 16);
  if (S == 0) {
    const int Grey = L * 255 / HLSMax;
    return Pack(Grey, Grey, Grey);
  }
  const int M2 = L <= HLSMax / 2 ? (L * (HLSMax + S) + HLSMax / 2) / HLSMax : L + S - (L * S + HLSMax / 2) / HLSMax;
  const int M1 = 2 * L - M2;
  auto Channel = [&](int Hue) { return std::clamp((HueToRGBPart(M1, M2, Hue) * 255 + HLSMax / 2) / HLSMax, 0, 255); };
  return Pack(Channel(H + HLSMax / 3), Channel(H), Channel(H - HLSMax / 3));
}

int GetKeybTimes(UINT Action) {
  int X = 0;
  SystemParametersInfoA(Action, 0, &X, 0);
  if (Action == SPI_GETKEYBOARDSPEED) return 1000 / (X + 1);
  if (Action == SPI_GETKEYBOARDDELAY) return 250 * X + 250;
  return X;
}

// --- rectangles and edges ---

void FillSolidRect(HDC DC, const TRect& R, TColor Color) {
  const COLORREF Old = SetBkColor(DC, RGBOf(Color));
  ExtTextOutA(DC, 0, 0, ETO_OPAQUE, &R, nullptr, 0, nullptr);
  SetBkColor(DC, Old);
}

void FillSolidRectXY(HDC DC, int X, int Y, int CX, int CY, TColor Color) {
  FillSolidRect(DC, Rect(X, Y, X + CX, Y + CY), Color);
}

void Draw3dRectSides(HDC DC, int X, int Y, int CX, int CY, TColor TopLeft, TColor BottomRight, TVsBorderSides Sides) {
  if (Sides.Contains(ebsTop)) FillSolidRectXY(DC, X, Y, CX - (Sides.Contains(ebsRight) ? 1 : 0), 1, TopLeft);
  if (Sides.Contains(ebsLeft)) FillSolidRectXY(DC, X, Y, 1, CY - (Sides.Contains(ebsBottom) ? 1 : 0), TopLeft);
  if (Sides.Contains(ebsRight)) FillSolidRectXY(DC, X + CX, Y, -1, CY, BottomRight);
  if (Sides.Contains(ebsBottom)) FillSolidRectXY(DC, X, Y + CY, CX, -1, BottomRight);
}

void Draw3dRect(HDC DC, int X, int Y, int CX, int CY, TColor TopLeft, TColor BottomRight) {
  Draw3dRectSides(DC, X, Y, CX, CY, TopLeft, BottomRight, AllBorderSides);
}

namespace {
void Draw3dRectOn(HDC DC, const TRect& R, TColor TopLeft, TColor BottomRight, TVsBorderSides Sides = AllBorderSides) {
  Draw3dRectSides(DC, R.left, R.top, Width(R), Height(R), TopLeft, BottomRight, Sides);
}
}  // namespace

void DrawSystemEdgeRect(HDC DC, const TRect& R, int OuterTopLeft, int OuterBottomRight, int InnerTopLeft,
                        int InnerBottomRight) {
  auto Sys = [](int Index) { return static_cast<TColor>(GetSysColor(Index)); };
  Draw3dRectOn(DC, R, Sys(OuterTopLeft), Sys(OuterBottomRight));
  Draw3dRectOn(DC, Shrunk(R, AllBorderSides), Sys(InnerTopLeft), Sys(InnerBottomRight));
}

void DrawLinesBySides(HDC DC, const TRect& R, TColor First, TColor Second, TVsBorderSides Sides, TRect& Inner) {
  auto Line = [&](TColor Color, int X1, int Y1, int X2, int Y2) {
    HPEN Pen = CreatePen(PS_SOLID, 1, RGBOf(Color));
    HGDIOBJ Old = SelectObject(DC, Pen);
    MoveToEx(DC, X1, Y1, nullptr);
    LineTo(DC, X2, Y2);
    SelectObject(DC, Old);
    DeleteObject(Pen);
  };
  if (Sides.Contains(ebsLeft)) Line(First, R.left, R.top, R.left, R.bottom);
  if (Sides.Contains(ebsTop)) Line(First, R.left, R.top, R.right, R.top);
  if (Sides.Contains(ebsRight)) Line(Second, R.right - 1, R.top, R.right - 1, R.bottom);
  if (Sides.Contains(ebsBottom)) Line(Second, R.left, R.bottom - 1, R.right, R.bottom - 1);
  Inner = Shrunk(R, Sides);
}

bool VsDrawEdge(HDC DC, TRect& R, UINT Edge, UINT Flags) {
  if (Flags & BF_DIAGONAL) return DrawEdge(DC, &R, Edge, Flags) != FALSE;
  // Rows: raised outer, sunken outer, raised inner, sunken inner.
  TColor TL[4] = {clBtnFace, clBtnShadow, clBtnHighlight, cl3DDkShadow};
  TColor BR[4] = {cl3DDkShadow, clBtnHighlight, clBtnShadow, clBtnFace};
  if (Flags & (BF_MONO | BF_FLAT)) {
    const TColor Dark = (Flags & BF_MONO) ? cl3DDkShadow : clBtnShadow;
    TL[0] = BR[0] = TL[3] = BR[3] = Dark;
    TL[1] = BR[1] = TL[2] = BR[2] = clBtnFace;
  }
  TVsBorderSides Sides;
  if (Flags & BF_LEFT) Sides << ebsLeft;
  if (Flags & BF_TOP) Sides << ebsTop;
  if (Flags & BF_RIGHT) Sides << ebsRight;
  if (Flags & BF_BOTTOM) Sides << ebsBottom;
  TRect Work = R;
  auto Border = [&](int Row) {
    Draw3dRectOn(DC, Work, TL[Row], BR[Row], Sides);
    Work = Shrunk(Work, Sides);
  };
  if (Edge & BDR_RAISEDOUTER)
    Border(0);
  else if (Edge & BDR_SUNKENOUTER)
    Border(1);
  if (Edge & BDR_RAISEDINNER)
    Border(2);
  else if (Edge & BDR_SUNKENINNER)
    Border(3);
  if (Flags & BF_MIDDLE) FillSolidRectXY(DC, Work.left, Work.top, Width(Work), Height(Work), clBtnFace);
  if (Flags & BF_ADJUST) R = Work;
  return true;
}

const TEnumNames FlatBorderTypeNames{"fbtFlat",       "fbtSunken",      "fbtSunkenInner", "fbtSunkenOuter",
                                     "fbtRaised",     "fbtRaisedInner", "fbtRaisedOuter", "fbtBump",
                                     "fbtBigBump",    "fbtEtched",      "fbtFramed",      "fbtLine",
                                     "fbtLineBorder", "fbtNone",        "fbtColorLineBorder"};

void DrawFlatFrame(HDC DC, const TRect& Rc, TColor ColorA, TColor ColorB, TVsBorderSides Sides,
                   TVsFlatBorderType BorderType) {
  TRect R = Rc;
  if (BorderType == fbtFlat) {
    TRect Inner;
    DrawLinesBySides(DC, R, clBtnShadow, clBtnHighlight, Sides, Inner);
    DrawLinesBySides(DC, Inner, ColorB, ColorB, Sides, Inner);
    return;
  }
  if (BorderType < fbtLine) {
    static constexpr UINT Edges[] = {0, EDGE_SUNKEN, BDR_SUNKENINNER, BDR_SUNKENOUTER, EDGE_RAISED, BDR_RAISEDINNER,
                                     BDR_RAISEDOUTER, EDGE_BUMP, EDGE_BUMP, EDGE_ETCHED, EDGE_BUMP};
    UINT Flags = BF_ADJUST;
    if (Sides.Contains(ebsLeft)) Flags |= BF_LEFT;
    if (Sides.Contains(ebsTop)) Flags |= BF_TOP;
    if (Sides.Contains(ebsRight)) Flags |= BF_RIGHT;
    if (Sides.Contains(ebsBottom)) Flags |= BF_BOTTOM;
    VsDrawEdge(DC, R, Edges[BorderType], Flags);
    const bool L = Sides.Contains(ebsLeft), T = Sides.Contains(ebsTop), Rt = Sides.Contains(ebsRight),
               B = Sides.Contains(ebsBottom);
    // The lines just inside R and the strips just outside it.
    auto InnerLines = [&](int Color, int Shorter) {
      if (L) SysFill(DC, R.left, R.top, R.left + 1, R.bottom - Shorter, Color);
      if (T) SysFill(DC, R.left, R.top, R.right - Shorter, R.top + 1, Color);
    };
    auto InnerRightBottom = [&](int Color) {
      if (Rt) SysFill(DC, R.right - 1, R.top, R.right, R.bottom, Color);
      if (B) SysFill(DC, R.left, R.bottom - 1, R.right, R.bottom, Color);
    };
    // The ring just outside R, its top and left before its right and bottom
    // (which take the corners).
    const TRect Outside = Rect(R.left - 1, R.top - 1, R.right + 1, R.bottom + 1);
    auto OutsideRightBottom = [&](int Color) {
      const TColor C = static_cast<TColor>(GetSysColor(Color));
      Draw3dRectOn(DC, Outside, C, C, Sides * TVsBorderSides{ebsRight, ebsBottom});
    };
    auto OutsideLeftTop = [&](int Color) {
      const TColor C = static_cast<TColor>(GetSysColor(Color));
      Draw3dRectOn(DC, Outside, C, C, Sides * TVsBorderSides{ebsLeft, ebsTop});
    };
    switch (BorderType) {
      case fbtSunkenInner:
        InnerLines(COLOR_BTNFACE, 0);
        InnerRightBottom(COLOR_BTNFACE);
        OutsideRightBottom(COLOR_BTNFACE);
        break;
      case fbtSunkenOuter:
        InnerLines(COLOR_BTNFACE, 1);
        InnerRightBottom(COLOR_BTNFACE);
        OutsideRightBottom(COLOR_WINDOW);
        break;
      case fbtRaised:
        Draw3dRectOn(DC, R, clBtnShadow, clBtnHighlight, Sides);
        Draw3dRectOn(DC, Shrunk(R, Sides), ColorB, ColorB, Sides);
        break;
      case fbtRaisedInner:
        InnerLines(COLOR_BTNFACE, 0);
        InnerRightBottom(COLOR_BTNFACE);
        break;
      case fbtRaisedOuter:
        InnerLines(COLOR_BTNFACE, 0);
        InnerRightBottom(COLOR_BTNFACE);
        OutsideRightBottom(COLOR_BTNSHADOW);
        break;
      case fbtBump:
        OutsideLeftTop(COLOR_BTNSHADOW);
        OutsideRightBottom(COLOR_BTNSHADOW);
        break;
      case fbtBigBump:
        OutsideLeftTop(COLOR_BTNSHADOW);
        OutsideRightBottom(COLOR_BTNSHADOW);
        InnerLines(COLOR_WINDOW, 0);
        InnerRightBottom(COLOR_WINDOW);
        break;
      case fbtEtched:
        if (T) SysFill(DC, R.left - (L ? 1 : 0), R.top - 1, R.right, R.top, COLOR_BTNFACE);
        break;
      case fbtFramed:
        OutsideLeftTop(COLOR_BTNFACE);
        OutsideRightBottom(COLOR_BTNSHADOW);
        break;
      default:
        break;
    }
    return;
  }
  if (BorderType == fbtColorLineBorder) {
    Draw3dRectOn(DC, R, ColorA, ColorA, Sides);
    Draw3dRectOn(DC, Shrunk(R, Sides), ColorB, ColorB, Sides);
    return;
  }
  Draw3dRectOn(DC, R, ColorB, ColorB, Sides);
  Draw3dRectOn(DC, Shrunk(R, Sides), ColorB, ColorB, Sides);
  if (BorderType == fbtLine)
    FillSolidRectXY(DC, R.left, R.bottom - 1, Width(R), 1, clWindowFrame);
  else if (BorderType == fbtLineBorder)
    Draw3dRectOn(DC, R, clWindowFrame, clWindowFrame, Sides);
}

void DrawFlatFrameEx(HDC DC, const TRect& R, TColor Color, bool InnerEdge) {
  Draw3dRectOn(DC, R, clBtnShadow, clBtnHighlight);
  const TRect Inner = Shrunk(R, AllBorderSides);
  if (InnerEdge)
    Draw3dRectOn(DC, Inner, clBtnText, cl3DLight);
  else
    Draw3dRectOn(DC, Inner, Color, Color);
}

void VsDrawArrow(TCanvas* Canvas, int Direction, const TRect& R, TColor Color, bool Enabled) {
  const bool Horizontal = Direction == 0 || Direction == 2;
  const int W = Width(R), H = Height(R);
  if (Horizontal ? (W < 3 || H < 6) : (W < 6 || H < 3)) return;
  const int BoxW = Horizontal ? 4 : 7, BoxH = Horizontal ? 7 : 4;
  TRect Box;
  CenterRect(BoxW, W, BoxH, H, Box);
  const int X0 = R.left + Box.left, Y0 = R.top + Box.top;
  const TColor OldColor = Canvas->Pen()->Color();
  auto Glyph = [&](int X, int Y, TColor C) {
    Canvas->Pen()->SetColor(C);
    for (int I = 0; I < 4; ++I) {
      const int Length = 7 - 2 * I;
      // The stroke's offset across the box, from its back (7 long) to its tip.
      const int At = (Direction == 0 || Direction == 1) ? 3 - I : I;
      if (Horizontal) {
        Canvas->MoveTo(X + At, Y + I);
        Canvas->LineTo(X + At, Y + I + Length);
      } else {
        Canvas->MoveTo(X + I, Y + At);
        Canvas->LineTo(X + I + Length, Y + At);
      }
    }
  };
  if (Enabled) {
    Glyph(X0, Y0, Color);
  } else {
    Glyph(X0 + 1, Y0 + 1, clBtnHighlight);
    Glyph(X0, Y0, clBtnShadow);
  }
  Canvas->Pen()->SetColor(OldColor);
}

void DrawButtonFrameEx(HDC DC, const TRect& R, bool Is3D, bool Pressed, TColor BaseColor, bool SingleFrame,
                       TVsBorderSides Sides) {
  TColor Light = clBtnHighlight, Dark = cl3DDkShadow, Shadow = clBtnShadow;
  const TColor Base = BaseColor;
  const TColor HLS = ColorToHLS(BaseColor);
  const int L = Part(HLS, 8);
  if (BaseColor != clBtnFace && L != 0) {
    const int H = Part(HLS, 0), S = Part(HLS, 16);
    auto Variant = [&](int Lightness) { return HLSToColor(Pack(H, std::min(239, Lightness), S)); };
    Light = Variant(L + L / 3);
    Dark = Variant(L - L / 2);
    Shadow = Variant(L - L / 3);
  }
  TColor OuterTL, OuterBR, InnerTL, InnerBR;
  if (Pressed) {
    OuterTL = Shadow, OuterBR = Light, InnerTL = Dark, InnerBR = Base;
  } else if (Is3D) {
    OuterTL = Light, OuterBR = Dark, InnerTL = Base, InnerBR = Shadow;
  } else {
    OuterTL = Light, OuterBR = Shadow, InnerTL = Base, InnerBR = Base;
  }
  Draw3dRectOn(DC, R, OuterTL, OuterBR, Sides);
  if (!SingleFrame) Draw3dRectOn(DC, Shrunk(R, Sides), InnerTL, InnerBR, Sides);
}

namespace {

void DrawScrollPartEdge(HDC DC, const TRect& R, bool Raised) {
  if (Raised) {
    Draw3dRectOn(DC, R, clBtnFace, cl3DDkShadow);
    Draw3dRectOn(DC, Shrunk(R, AllBorderSides), clBtnHighlight, clBtnShadow);
  } else {
    Draw3dRectOn(DC, R, clBtnHighlight, clBtnShadow);
    Draw3dRectOn(DC, Shrunk(R, AllBorderSides), clBtnFace, clBtnFace);
  }
}

// One bar; Tracking draws no arrow boxes and puts the thumb at the track
// position.
void DrawFlatScrollbar(HWND Wnd, HDC DC, const TRect& R, bool Vertical, bool Raised, bool Tracking, bool ControlMode) {
  const int Length = Vertical ? Height(R) : Width(R);
  int Button = GetSystemMetrics(SM_CXHSCROLL);
  if (Length < 2 * Button) {
    if (Vertical || Length % 2 == 0)
      Button = Length / 2;
    else  // a half goes to the even neighbour
      Button = (Length / 2) % 2 == 0 ? Length / 2 : Length / 2 + 1;
  }
  auto Part = [&](int From, int Size) {
    return Vertical ? Rect(R.left, R.top + From, R.right, R.top + From + Size)
                    : Rect(R.left + From, R.top, R.left + From + Size, R.bottom);
  };
  if (!Tracking) {
    DrawScrollPartEdge(DC, Part(0, Button), Raised);
    DrawScrollPartEdge(DC, Part(Length - Button, Button), Raised);
  }
  if (ControlMode && !IsWindowEnabled(Wnd)) return;
  SCROLLINFO Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  if (!GetScrollInfo(Wnd, ControlMode ? SB_CTL : (Vertical ? SB_VERT : SB_HORZ), &Info)) return;
  const int Range = Info.nMax - Info.nMin + 1;
  if (Info.nPage == 0 || Range <= 0) return;
  const int Track = Length - 2 * Button;
  const int BarWidth = Vertical ? Width(R) : Height(R);
  int Thumb = std::max(MulDiv(static_cast<int>(Info.nPage), Track, Range), IsWin98 ? BarWidth / 2 : 8);
  if (Thumb >= Track) {
    if (!ControlMode) return;
    Thumb = Track;
  }
  int Offset = 0;
  if (static_cast<int>(Info.nPage) == Range) {
    --Thumb;
  } else {
    const int Pos = Tracking ? Info.nTrackPos : Info.nPos;
    Offset = MulDiv(Pos - Info.nMin, Track - Thumb, Range - static_cast<int>(Info.nPage));
  }
  DrawScrollPartEdge(DC, Part(Button + Offset, Thumb), Raised);
}

}  // namespace

void DrawFlatScrollbars(HWND Wnd, HDC DC, const TRect& R, bool Raised, TVsScrollBarKind Kind, bool HTracking,
                        bool VTracking, bool ControlMode, LONG Style, LONG ExStyle) {
  const int E = (Style & WS_BORDER) ? GetSystemMetrics(SM_CXBORDER)
                : (ExStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE)
                                               : 0;
  const int VBar = GetSystemMetrics(SM_CXHSCROLL), HBar = GetSystemMetrics(SM_CYVSCROLL);
  const TRect In = Rect(R.left + E, R.top + E, R.right - E, R.bottom - E);
  const bool Left = (ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  const bool VFits = Width(In) >= VBar, HFits = Height(In) >= HBar;
  const bool VShown = (Style & WS_VSCROLL) != 0, HShown = (Style & WS_HSCROLL) != 0;
  const int VLeft = Left ? In.left : In.right - VBar;
  if (VShown && HShown && VFits && HFits) SysFill(DC, VLeft, In.bottom - HBar, VLeft + VBar, In.bottom, COLOR_BTNFACE);
  if (Kind == sbkNone) return;
  const bool V = VShown && Kind != sbkHorizontal, H = HShown && Kind != sbkVertical;
  if (V && H && VFits && HFits) {
    DrawFlatScrollbar(Wnd, DC, Rect(Left ? In.left + VBar : In.left, In.bottom - HBar, Left ? In.right : In.right - VBar,
                                    In.bottom),
                      false, Raised, HTracking, ControlMode);
    DrawFlatScrollbar(Wnd, DC, Rect(VLeft, In.top, VLeft + VBar, In.bottom - HBar), true, Raised, VTracking,
                      ControlMode);
  } else if (V && VFits) {
    DrawFlatScrollbar(Wnd, DC, Rect(VLeft, In.top, VLeft + VBar, In.bottom), true, Raised, VTracking, ControlMode);
  } else if (H && HFits) {
    DrawFlatScrollbar(Wnd, DC, Rect(In.left, In.bottom - HBar, In.right, In.bottom), false, Raised, HTracking,
                      ControlMode);
  }
}

// --- gradients and bitmaps ---

void VsGradientFill(HDC DC, const TRect& R, TColor StartColor, TColor EndColor, int Steps, bool Vertical) {
  const COLORREF S = RGBOf(StartColor), E = RGBOf(EndColor);
  if (S == E) {
    FillWithBrush(DC, R, S, false);
    return;
  }
  if ((IsWin98Up || IsWin2000Up) && GradientFillProc) {
    auto Channel = [](COLORREF C, int Shift) { return static_cast<COLOR16>(((C >> Shift) & 0xFF) << 8); };
    TRIVERTEX V[2] = {{R.left, R.top, Channel(S, 0), Channel(S, 8), Channel(S, 16), 0},
                      {R.right, R.bottom, Channel(E, 0), Channel(E, 8), Channel(E, 16), 0}};
    GRADIENT_RECT Mesh{0, 1};
    GradientFillProc(DC, V, 2, &Mesh, 1, Vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    return;
  }
  const int Length = Vertical ? Height(R) : Width(R);
  for (int I = 0; I < Steps; ++I) {
    const TBand B = GradientBand(I, Steps, Length, S, E);
    const TRect Band = Vertical ? Rect(R.left, R.top + B.From, R.right, R.top + B.To)
                                : Rect(R.left + B.From, R.top, R.left + B.To, R.bottom);
    FillWithBrush(DC, Band, B.Color, true);
  }
}

void VsGradientFillEx(HDC DC, const TRect& PaintRect, const TRect& GradRect, const TPoint& Offset, TColor StartColor,
                      TColor EndColor, int Steps, bool Vertical) {
  const COLORREF S = RGBOf(StartColor), E = RGBOf(EndColor);
  if (S == E) {
    FillWithBrush(DC, GradRect, S, false);
    return;
  }
  TRect Shifted = PaintRect;
  OffsetRect(&Shifted, Offset.x, Offset.y);
  const int Length = Vertical ? Height(GradRect) : Width(GradRect);
  for (int I = 0; I < Steps; ++I) {
    const TBand B = GradientBand(I, Steps, Length, S, E);
    const TRect Band = Vertical ? Rect(GradRect.left, GradRect.top + B.From, GradRect.right, GradRect.top + B.To)
                                : Rect(GradRect.left + B.From, GradRect.top, GradRect.left + B.To, GradRect.bottom);
    TRect Part;
    if (!IntersectRect(&Part, &Shifted, &Band)) continue;
    OffsetRect(&Part, -Offset.x, -Offset.y);
    FillWithBrush(DC, Part, B.Color, true);
  }
}

void DrawTransparentBitmapEx(HDC DC, HBITMAP Bitmap, int X, int Y, const TRect& SrcRect, TColor TransparentColor) {
  const int W = Width(SrcRect), H = Height(SrcRect);
  const int SX = SrcRect.left, SY = SrcRect.top;
  HDC Src = CreateCompatibleDC(DC), Back = CreateCompatibleDC(DC), Object = CreateCompatibleDC(DC),
      Mem = CreateCompatibleDC(DC), Save = CreateCompatibleDC(DC);
  HGDIOBJ OldSrc = SelectObject(Src, Bitmap);
  SetMapMode(Src, GetMapMode(DC));
  HBITMAP BackBmp = CreateBitmap(W, H, 1, 1, nullptr), ObjectBmp = CreateBitmap(W, H, 1, 1, nullptr);
  HBITMAP MemBmp = CreateCompatibleBitmap(DC, W, H), SaveBmp = CreateCompatibleBitmap(DC, W, H);
  HGDIOBJ OldBack = SelectObject(Back, BackBmp), OldObject = SelectObject(Object, ObjectBmp),
          OldMem = SelectObject(Mem, MemBmp), OldSave = SelectObject(Save, SaveBmp);
  BitBlt(Save, 0, 0, W, H, Src, SX, SY, SRCCOPY);
  // The mask: white where the bitmap has the transparent colour.
  const COLORREF OldBk = SetBkColor(Src, RGBOf(TransparentColor));
  BitBlt(Object, 0, 0, W, H, Src, SX, SY, SRCCOPY);
  SetBkColor(Src, OldBk);
  BitBlt(Back, 0, 0, W, H, Object, 0, 0, NOTSRCCOPY);
  BitBlt(Mem, 0, 0, W, H, DC, X, Y, SRCCOPY);
  BitBlt(Mem, 0, 0, W, H, Object, 0, 0, SRCAND);
  BitBlt(Src, SX, SY, W, H, Back, 0, 0, SRCAND);
  BitBlt(Mem, 0, 0, W, H, Src, SX, SY, SRCPAINT);
  BitBlt(DC, X, Y, W, H, Mem, 0, 0, SRCCOPY);
  BitBlt(Src, SX, SY, W, H, Save, 0, 0, SRCCOPY);
  SelectObject(Back, OldBack);
  SelectObject(Object, OldObject);
  SelectObject(Mem, OldMem);
  SelectObject(Save, OldSave);
  SelectObject(Src, OldSrc);
  DeleteObject(BackBmp);
  DeleteObject(ObjectBmp);
  DeleteObject(MemBmp);
  DeleteObject(SaveBmp);
  DeleteDC(Src);
  DeleteDC(Back);
  DeleteDC(Object);
  DeleteDC(Mem);
  DeleteDC(Save);
}

namespace {

// A top-down 32-bit DIB section selected into its own memory DC.
class TDib {
public:
  TDib(HDC Like, int W, int H) : FDC(CreateCompatibleDC(Like)) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = -H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    void* Bits = nullptr;
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    FBits = static_cast<Byte*>(Bits);
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TDib() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TDib(const TDib&) = delete;
  TDib& operator=(const TDib&) = delete;
  HDC DC() const { return FDC; }
  Byte* Bits() const { return FBits; }
  bool Valid() const { return FBits != nullptr; }
  void CopyFrom(HDC Src, const TRect& SrcRect, int W, int H) const {
    GdiFlush();
    if (Width(SrcRect) == W && Height(SrcRect) == H)
      BitBlt(FDC, 0, 0, W, H, Src, SrcRect.left, SrcRect.top, SRCCOPY);
    else
      StretchBlt(FDC, 0, 0, W, H, Src, SrcRect.left, SrcRect.top, Width(SrcRect), Height(SrcRect), SRCCOPY);
    GdiFlush();
  }

private:
  HDC FDC;
  HBITMAP FBitmap;
  Byte* FBits = nullptr;
  HGDIOBJ FOld;
};

}  // namespace

void DrawBitmapBlended(HDC DC, const TRect& DestRect, HDC SrcDC, const TRect& SrcRect, HBITMAP Mask, Byte Alpha) {
  const int W = Width(DestRect), H = Height(DestRect);
  if (W <= 0 || H <= 0) return;
  TDib Source(DC, W, H), MaskBits(DC, W, H), Dest(DC, W, H);
  if (!Source.Valid() || !MaskBits.Valid() || !Dest.Valid()) return;
  Source.CopyFrom(SrcDC, SrcRect, W, H);
  HDC MaskDC = CreateCompatibleDC(DC);
  HGDIOBJ OldMask = SelectObject(MaskDC, Mask);
  MaskBits.CopyFrom(MaskDC, SrcRect, W, H);
  SelectObject(MaskDC, OldMask);
  DeleteDC(MaskDC);
  Dest.CopyFrom(DC, DestRect, W, H);
  const int A = Alpha + 1;
  for (int I = 0; I < W * H; ++I) {
    const Byte* S = Source.Bits() + 4 * I;
    Byte* D = Dest.Bits() + 4 * I;
    const int M = (A * MaskBits.Bits()[4 * I]) >> 8;
    const double X = M / 255.0;
    for (int C = 0; C < 3; ++C)
      D[C] = static_cast<Byte>(std::lround(((A * S[C]) >> 8) * X + (1 - X) * D[C]));
    D[3] = static_cast<Byte>(std::min(255L, std::lround((1 - X) * D[3] + M)));
  }
  BitBlt(DC, DestRect.left, DestRect.top, W, H, Dest.DC(), 0, 0, SRCCOPY);
}

bool HasNoAlphaChannel(HBITMAP Bitmap) {
  BITMAP Info{};
  if (!GetObjectA(Bitmap, sizeof Info, &Info) || Info.bmBitsPixel != 32) return true;
  BITMAPINFO Header{};
  Header.bmiHeader.biSize = sizeof Header.bmiHeader;
  Header.bmiHeader.biWidth = Info.bmWidth;
  Header.bmiHeader.biHeight = -Info.bmHeight;
  Header.bmiHeader.biPlanes = 1;
  Header.bmiHeader.biBitCount = 32;
  Header.bmiHeader.biCompression = BI_RGB;
  std::vector<Byte> Pixels(static_cast<size_t>(Info.bmWidth) * static_cast<size_t>(Info.bmHeight) * 4);
  HDC Screen = GetDC(nullptr);
  const int Lines = GetDIBits(Screen, Bitmap, 0, static_cast<UINT>(Info.bmHeight), Pixels.data(), &Header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, Screen);
  if (Lines <= 0) return true;
  for (size_t I = 3; I < Pixels.size(); I += 4)
    if (Pixels[I] != 0) return false;
  return true;
}

void AlphaFillRect(TCanvas* Canvas, const TRect& R, TColor Color, Byte Alpha) {
  const Integer C = ColorToRGB(Color);
  for (int Y = R.top; Y < R.bottom; ++Y)
    for (int X = R.left; X < R.right; ++X) {
      const Integer P = ColorToRGB(Canvas->Pixels(X, Y));
      auto Mix = [&](int Shift) { return ((256 - Alpha) * Part(P, Shift) + Alpha * Part(C, Shift)) >> 8; };
      Canvas->SetPixel(X, Y, Pack(Mix(0), Mix(8), Mix(16)));
    }
}

// --- wide text ---

namespace {

// Texts up to this many units are laid out in buffers of LineBufferSize.
constexpr int ShortTextLimit = 8187;
constexpr int LineBufferSize = 8192;

struct TTextLayout {
  HDC DC;
  const wchar_t* Text;
  int Count;
  UINT Format;
  int Available;   // width
  int Capacity;    // units a line may hold
  int Overhang;
  int SpaceWidth;
  int TabWidth;
};

int Extent(HDC DC, const wchar_t* S, int N, bool& Ok) {
  if (N <= 0) return 0;
  SIZE Size{};
  if (!GetTextExtentPoint32W(DC, S, N, &Size)) Ok = false;
  return Size.cx;
}

// Lays out the line starting at Text[From] into Line: prefixes resolved,
// tabs expanded, broken at the width with DT_WORDBREAK. Returns where the
// next line starts; Underline is the index of the underlined unit, or -1.
int VsDrawTextLine(const TTextLayout& T, int From, wchar_t* Line, int& Length, int& Underline, bool& Ok) {
  const bool SingleLine = T.Format & DT_SINGLELINE, NoPrefix = T.Format & DT_NOPREFIX,
             ExpandTabs = T.Format & DT_EXPANDTABS, WordBreak = T.Format & DT_WORDBREAK;
  // Where in the text each unit of the line ends, for breaking.
  thread_local std::vector<int> SourceEnd;
  SourceEnd.resize(static_cast<size_t>(T.Capacity) + 1);
  Length = 0;
  Underline = -1;
  int TabStart = 0;
  int P = From;
  int Measured = 0;  // units whose fit was checked
  auto Append = [&](wchar_t C, int End) {
    Line[Length] = C;
    SourceEnd[static_cast<size_t>(Length)] = End;
    ++Length;
  };
  // Checks the units added since the last check; on the first that passes
  // the width, cuts the line after the last space before it (consuming the
  // space) or, with none, after that unit. True when the line was cut.
  auto Fits = [&]() {
    if (!WordBreak || Length == Measured) return false;
    SIZE Size{};
    int Fit = 0;
    if (!GetTextExtentExPointW(T.DC, Line, Length, T.Available, &Fit, nullptr, &Size)) {
      Ok = false;
      return true;
    }
    Measured = Length;
    if (Fit >= Length) return false;
    // The unit that passes the width counts as seen: a space there ends a
    // line that fits exactly.
    int Space = -1;
    for (int I = Fit; I >= 0; --I)
      if (Line[I] == L' ') {
        Space = I;
        break;
      }
    if (Space >= 0) {
      P = SourceEnd[static_cast<size_t>(Space)];
      Length = Space;
    } else {
      P = SourceEnd[static_cast<size_t>(Fit)];
      Length = Fit + 1;
    }
    if (Underline >= Length) Underline = -1;
    return true;
  };
  // Checks in steps that never let the unmeasured part grow past the width
  // in pixels, so that a long paragraph is not measured again per line.
  const int Step = std::max(16, T.Available + 2);
  while (P < T.Count && Length < T.Capacity) {
    const wchar_t C = T.Text[P];
    if (!SingleLine && (C == L'\r' || C == L'\n')) {
      if (Fits()) return P;
      ++P;
      if (C == L'\r' && P < T.Count && T.Text[P] == L'\n') ++P;
      return P;
    }
    if (C == L'\t' && ExpandTabs) {
      if (Fits()) return P;
      int Spaces = 0;
      if (T.SpaceWidth > 0)
        Spaces = (T.TabWidth + T.Overhang - Extent(T.DC, Line + TabStart, Length - TabStart, Ok)) / T.SpaceWidth;
      ++P;
      for (int I = 0; I < Spaces && Length < T.Capacity; ++I) Append(L' ', P);
      TabStart = Length;
    } else if (C == L'&' && !NoPrefix) {
      if (P + 1 < T.Count && T.Text[P + 1] == L'&') {
        P += 2;
        Append(L'&', P);
      } else {
        ++P;
        if (P < T.Count) Underline = Length;
      }
    } else {
      ++P;
      Append(C, P);
    }
    if (Length - Measured >= Step && Fits()) return P;
  }
  Fits();
  return P;
}

// Shortens Line to the width with "..." where the format asks for it.
void Ellipsize(const TTextLayout& T, wchar_t* Line, int& Length, int& Underline, bool& Ok) {
  const wchar_t Dots[] = L"...";
  const bool Path = T.Format & DT_PATH_ELLIPSIS;
  int Tail = 0;  // units kept at the end: the part after the last separator
  if (Path)
    for (int I = Length - 1; I >= 0; --I)
      if (Line[I] == L'\\' || Line[I] == L'/') {
        Tail = Length - 1 - I;
        break;
      }
  const int Head = Length - Tail;
  std::wstring Work(Dots);
  Work.append(Line + Head, static_cast<size_t>(Tail));
  Work.append(Line, static_cast<size_t>(Head));
  int Fit = 0;
  SIZE Size{};
  if (!GetTextExtentExPointW(T.DC, Work.c_str(), static_cast<int>(Work.size()), T.Available, &Fit, nullptr, &Size)) {
    Ok = false;
    return;
  }
  const int Kept = std::clamp(Fit - 3 - Tail, 0, Head);
  std::wstring Result(Line, static_cast<size_t>(Kept));
  Result += Dots;
  Result.append(Line + Head, static_cast<size_t>(Tail));
  Length = std::min(static_cast<int>(Result.size()), T.Capacity);
  std::copy_n(Result.begin(), Length, Line);
  if (Underline >= Kept) Underline = -1;
}

}  // namespace

int VsDrawTextExW(HDC DC, const wchar_t* Text, int Count, TRect& R, UINT Format, DRAWTEXTPARAMS* Params) {
  if (Count < 0) Count = Text ? static_cast<int>(std::wcslen(Text)) : 0;
  if (!Text || Count == 0) {
    R.right = R.left;
    R.bottom = R.top;
    return 0;
  }
  const int Capacity = Count <= ShortTextLimit ? LineBufferSize : Count;
  auto Line = std::make_unique_for_overwrite<wchar_t[]>(static_cast<size_t>(Capacity) + 4);
  std::vector<wchar_t> Private;
  const wchar_t* Source = Text;
  if (!IsWinNTUp && Count > ShortTextLimit) {
    Private.assign(Text, Text + Count);
    Source = Private.data();
  }

  int TabLength = 8;
  if (Format & DT_TABSTOP) {
    if (Params) {
      TabLength = Params->iTabLength;
    } else {
      TabLength = (Format >> 8) & 0xFF;
      Format &= ~0xFF00u;
    }
  }
  if (Format & DT_CALCRECT) {
    if (R.right == 0) R.right = 0x7FFF;
    if (R.bottom == 0) R.bottom = 0x7FFF;
    Format |= DT_NOCLIP;
  }
  TEXTMETRICA Metrics{};
  GetTextMetricsA(DC, &Metrics);
  const int LineHeight = Metrics.tmHeight + ((Format & DT_EXTERNALLEADING) ? Metrics.tmExternalLeading : 0);
  int LeftMargin = 0, RightMargin = 0;
  if (Params) {
    LeftMargin = Params->iLeftMargin * Metrics.tmAveCharWidth;
    RightMargin = Params->iRightMargin * Metrics.tmAveCharWidth;
    Params->uiLengthDrawn = 0;
  }
  bool Ok = true;
  TTextLayout T{DC, Source, Count, Format, R.right - R.left, Capacity, Metrics.tmOverhang, 0, 0};
  if (Format & DT_EXPANDTABS) {
    T.SpaceWidth = Extent(DC, L" ", 1, Ok) - Metrics.tmOverhang;
    T.TabWidth = (Extent(DC, L"o", 1, Ok) - Metrics.tmOverhang) * TabLength;
  }
  const bool CalcRect = Format & DT_CALCRECT, NoClip = Format & DT_NOCLIP, SingleLine = Format & DT_SINGLELINE;
  const UINT Ellipses = Format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);

  int Y = R.top;
  int Widest = 0;
  int P = 0;
  do {
    int Length = 0, Underline = -1;
    const int From = P;
    P = VsDrawTextLine(T, P, Line.get(), Length, Underline, Ok);
    if (!Ok) break;
    if (SingleLine) {
      if (Format & DT_VCENTER)
        Y = R.top + (R.bottom - R.top) / 2 - LineHeight / 2;
      else if (Format & DT_BOTTOM)
        Y = R.bottom - LineHeight;
    }
    int LineWidth = Extent(DC, Line.get(), Length, Ok) + Metrics.tmOverhang;
    const bool LastLine = P >= Count || (!CalcRect && !NoClip && R.bottom - 2 * LineHeight < Y);
    const bool Shorten = SingleLine ? Ellipses != 0 : ((Format & DT_WORD_ELLIPSIS) || ((Format & DT_END_ELLIPSIS) && LastLine));
    if (Shorten && LineWidth > T.Available) {
      Ellipsize(T, Line.get(), Length, Underline, Ok);
      LineWidth = Extent(DC, Line.get(), Length, Ok) + Metrics.tmOverhang;
      // Written back only where nothing after it is still to be read.
      if ((Format & DT_MODIFYSTRING) && (SingleLine || P >= Count)) {
        auto* Writable = const_cast<wchar_t*>(Text);
        std::copy_n(Line.get(), Length, Writable + From);
        Writable[From + Length] = L'\0';
      }
    }
    if (!Ok) break;
    Widest = std::max(Widest, LineWidth);
    int X = R.left;
    if (!CalcRect && (Format & DT_CENTER))
      X = std::max(R.left, R.left + (R.right - R.left - LineWidth) / 2);
    else if (!CalcRect && (Format & DT_RIGHT))
      X = std::max(R.left, R.right - LineWidth);
    else if (!(Format & (DT_CENTER | DT_RIGHT)))
      X += LeftMargin;
    if (!CalcRect) {
      if (!(Format & DT_PREFIXONLY)) {
        const UINT Options = (NoClip ? 0 : ETO_CLIPPED) | ((Format & DT_RTLREADING) ? ETO_RTLREADING : 0);
        const RECT Clip{R.left - 1, R.top - 1, R.right + 1, R.bottom + 1};
        if (!ExtTextOutW(DC, X, Y, Options, NoClip ? nullptr : &Clip, Line.get(), static_cast<UINT>(Length), nullptr))
          break;
      }
      if (Underline >= 0 && !(Format & DT_HIDEPREFIX)) {
        const int Left = X + Extent(DC, Line.get(), Underline, Ok);
        // Like the system's: up to the pixel before the letter's right edge.
        const int Right = X + Extent(DC, Line.get(), Underline + 1, Ok) - 1;
        FillWithBrush(DC, Rect(Left, Y + Metrics.tmAscent + 1, Right, Y + Metrics.tmAscent + 2), GetTextColor(DC),
                      false);
      }
    }
    Y += LineHeight;
    if (Params) Params->uiLengthDrawn += static_cast<UINT>(P - From);
  } while (Ok && P < Count && (CalcRect || NoClip || R.bottom - LineHeight >= Y));

  if (CalcRect) {
    R.right = R.left + Widest + LeftMargin + RightMargin;
    R.bottom = Y;
  }
  return Y - R.top;
}

int VsDrawTextW(HDC DC, const wchar_t* Text, int Count, TRect& R, UINT Format) {
  return VsDrawTextExW(DC, Text, Count, R, Format, nullptr);
}

WideString GetWideShortHint(const WideString& Hint) { return Hint.substr(0, Hint.find(L'|')); }

// ===========================================================================

void InitializeVsFrameworkUtils() {
  if (!GMsimg32) {
    GMsimg32 = LoadLibraryA("msimg32.dll");
    if (GMsimg32) {
      GradientFillProc = reinterpret_cast<TGradientFillProc>(
          reinterpret_cast<void*>(GetProcAddress(GMsimg32, "GradientFill")));
      if (!GradientFillProc) {
        FreeLibrary(GMsimg32);
        GMsimg32 = nullptr;
      }
    }
  }
  if (GReaderInstalled) return;
  GPreviousReader = TReader::SetPropertyReader(PatchedReadProperty);
  GReaderInstalled = true;
}

void FinalizeVsFrameworkUtils() {
  GradientFillProc = nullptr;
  if (GMsimg32) FreeLibrary(GMsimg32);
  GMsimg32 = nullptr;
  if (GReaderInstalled) TReader::SetPropertyReader(GPreviousReader);
  GReaderInstalled = false;
  GPreviousReader = nullptr;
  GVsReader.reset();
  GVsReaderStream.reset();
}
