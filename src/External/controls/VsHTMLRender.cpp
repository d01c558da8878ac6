#include "VsHTMLRender.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "Forms.h"
#include "VsFrameworkUtils.h"
#include "VsStrUtils.h"

namespace {

const char* const SInvalidHTML = "HTML engine error - the text is not valid HTML";

// Font heights beyond this make GDI fonts of absurd size; sizes of images,
// rules and indents are kept to what a 16-bit coordinate holds.
constexpr int MaxFontHeight = 1000;
constexpr int MaxItemSize = 32767;

int ClampInt(long long Value, int Low, int High) {
  return static_cast<int>(std::clamp<long long>(Value, Low, High));
}

// Sub- and superscript are drawn two pixels smaller, never crossing zero
// (a zero height would mean the font's default size).
int ScriptHeight(int Height) {
  if (Height < 0) return std::min(Height + 2, -1);
  if (Height > 0) return std::max(Height - 2, 1);
  return 0;
}

bool IsBlank(WideChar C) { return C == L' ' || C == L'\t' || C == L'\r' || C == L'\n'; }

// An optional sign and decimal digits, nothing else; huge values are kept
// at a bound far beyond any size used.
bool ParseNumber(const WideString& S, long long& Value) {
  const WideString T = WideTrim(S);
  size_t I = 0;
  bool Negative = false;
  if (I < T.size() && (T[I] == L'+' || T[I] == L'-')) Negative = T[I++] == L'-';
  if (I == T.size()) return false;
  long long N = 0;
  for (; I < T.size(); ++I) {
    if (T[I] < L'0' || T[I] > L'9') return false;
    N = std::min<long long>(N * 10 + (T[I] - L'0'), 1000000000LL);
  }
  Value = Negative ? -N : N;
  return true;
}

// "#RRGGBB" as a colour value (red in the low byte).
bool ParseHexColor(const WideString& S, TColor& Color) {
  if (S.size() != 7 || S[0] != L'#') return false;
  unsigned V = 0;
  for (size_t I = 1; I < 7; ++I) {
    const WideChar C = S[I];
    unsigned D;
    if (C >= L'0' && C <= L'9')
      D = C - L'0';
    else if (C >= L'a' && C <= L'f')
      D = C - L'a' + 10;
    else if (C >= L'A' && C <= L'F')
      D = C - L'A' + 10;
    else
      return false;
    V = V * 16 + D;
  }
  Color = static_cast<TColor>(((V & 0xFF) << 16) | (V & 0xFF00) | ((V >> 16) & 0xFF));
  return true;
}

// A colour word ("red", "clBtnFace") through the framework's colour names.
bool ParseColorWord(const WideString& S, TColor& Color) {
  AnsiString Word = WideToAnsi(S);
  if (Word.size() < 2 || !((Word[0] == 'c' || Word[0] == 'C') && (Word[1] == 'l' || Word[1] == 'L')))
    Word = "cl" + Word;
  Integer Value;
  if (!IdentToColor(Word, Value)) return false;
  Color = Value;
  return true;
}

// A tag's attributes: name=value pairs split at blanks outside quotes.
class TTagAttributes {
public:
  explicit TTagAttributes(const WideString& Text) {
    WideString Token;
    WideChar Quote = 0;
    auto Flush = [&] {
      const size_t Eq = Token.find(L'=');
      if (Eq != WideString::npos)
        FPairs.emplace_back(VsWideLowerCase(WideTrim(Token.substr(0, Eq))), WideTrim(Token.substr(Eq + 1)));
      Token.clear();
    };
    for (WideChar C : Text) {
      if (Quote) {
        if (C == Quote) Quote = 0;
      } else if (C == L'"' || C == L'\'') {
        Quote = C;
      } else if (IsBlank(C)) {
        Flush();
        continue;
      }
      Token += C;
    }
    Flush();
  }

  bool Empty() const { return FPairs.empty(); }
  // The value without the quotes around it.
  bool Find(const WideString& Name, WideString& Value) const {
    for (const auto& [N, V] : FPairs)
      if (N == Name) {
        Value = V;
        if (Value.size() >= 2 && (Value[0] == L'"' || Value[0] == L'\'') && Value.back() == Value[0])
          Value = Value.substr(1, Value.size() - 2);
        return true;
      }
    return false;
  }
  WideString Get(const WideString& Name) const {
    WideString Value;
    return Find(Name, Value) ? Value : WideString();
  }
  // A number kept to Low..High; Default when absent or no number.
  int Number(const WideString& Name, int Default, int Low, int High) const {
    WideString Value;
    long long N;
    if (!Find(Name, Value) || !ParseNumber(Value, N)) return Default;
    return ClampInt(N, Low, High);
  }

private:
  std::vector<std::pair<WideString, WideString>> FPairs;
};

// What a font tag saves and its closing tag restores.
struct TFontRecord {
  WideString Name;
  int Height;
  TFontStyles Style;
  Byte Charset;
  TColor Color;
  TColor BgColor;
};

struct TEntity {
  const wchar_t* Name;
  WideChar Char;
};

constexpr TEntity Entities[] = {{L"nbsp", L' '},      {L"amp", L'&'},       {L"quot", L'"'},
                                {L"gt", L'>'},        {L"lt", L'<'},        {L"euro", L'\u20AC'},
                                {L"sect", L'\u00A7'}, {L"reg", L'\u00AE'},  {L"copy", L'\u00A9'},
                                {L"para", L'\u00B6'}, {L"trade", L'\u2122'}};

class TParser {
public:
  TParser(TVsHTMLRender& ARender, const WideString& AText, int AMaxWidth, bool AAutoWrap)
      : FRender(ARender), FData(*ARender.Data()), FText(AText), FMaxWidth(AMaxWidth), FAutoWrap(AAutoWrap) {
    FRun = DefaultRun();
  }

  void Run() {
    while (FPos < FText.size()) {
      const WideChar C = FText[FPos];
      if (C == L'<')
        Tag();
      else if (C == L'&')
        Entity();
      else {
        ++FPos;
        // A zero unit would end the run for measuring but not for drawing.
        if (C == L'\r' || C == L'\0') continue;
        AddChar(C);
      }
    }
    if (!FRun->Text.empty()) FData.Add(FRun.release());
    if (FData.Count() == 0 || FData.Items(0)->Kind != hikParagraphBreak) {
      auto* First = new TVsHTMLBreakItem(&FData, hikParagraphBreak);
      CopyFont(*First, *DefaultRun());
      FData.Insert(0, First);
    }
  }

private:
  // A run in the data's default font and colours.
  TOwned<TVsHTMLItem> DefaultRun() {
    TOwned<TVsHTMLItem> Run(new TVsHTMLItem(&FData, hikText));
    Run->FontName = AnsiToWide(FData.DefaultFont);
    Run->FontHeight = ClampInt(FData.DefaultHeight, -MaxFontHeight, MaxFontHeight);
    Run->Style = FData.DefaultStyle;
    Run->Charset = FData.Charset;
    Run->Color = FData.DefaultColor;
    Run->BgColor = FData.DefaultBgColor;
    return Run;
  }

  static void CopyFont(TVsHTMLItem& To, const TVsHTMLItem& From) {
    To.FontName = From.FontName;
    To.FontHeight = From.FontHeight;
    To.Style = From.Style;
    To.Charset = From.Charset;
    To.Color = From.Color;
    To.BgColor = From.BgColor;
    To.Link = From.Link;
    To.Flags = From.Flags & (hifLink | hifSubscript | hifSuperscript);
  }

  // Ends the current run (kept when it holds text) and starts a new one
  // like it.
  void EndRun() {
    if (FRun->Text.empty()) return;
    auto* Next = new TVsHTMLItem(&FData, hikText);
    CopyFont(*Next, *FRun);
    FData.Add(FRun.release());
    FRun.reset(Next);
  }

  TVsHTMLBreakItem* AddBreak(Byte Kind) {
    EndRun();
    auto* Item = new TVsHTMLBreakItem(&FData, Kind);
    CopyFont(*Item, *FRun);
    Item->Flags &= ~hifLink;
    Item->Link.clear();
    Item->Indent = ClampInt(static_cast<long long>(FListIndent) + FParaIndent, 0, MaxItemSize);
    Item->Alignment = FAlign;
    FData.Add(Item);
    FLineStart = FData.Count() - 1;
    return Item;
  }

  TVsHTMLItem* AddItem(Byte Kind) {
    EndRun();
    auto* Item = new TVsHTMLItem(&FData, Kind);
    CopyFont(*Item, *FRun);
    FData.Add(Item);
    return Item;
  }

  void AddChar(WideChar C, bool Collapse = true) {
    if (Collapse && C == L' ' && !FRun->Text.empty() && FRun->Text.back() == L' ') return;
    FRun->Text += C;
    FRun->CachedWidth = -1;
    if (FAutoWrap) Wrap();
  }

  // The width of the line so far, without the current run.
  int LineWidth() {
    long long W = 0;
    int First = FLineStart;
    if (First >= 0 && First < FData.Count()) {
      W = static_cast<TVsHTMLBreakItem*>(FData.Items(First))->Indent;
      ++First;
    } else {
      First = 0;
    }
    for (int I = First; I < FData.Count(); ++I) {
      TVsHTMLItem* Item = FData.Items(I);
      if (Item->Kind != hikListLevel) W += Item->ItemWidth();
    }
    return ClampInt(W, 0, 0x3FFFFFFF);
  }

  void Wrap() {
    if (static_cast<long long>(LineWidth()) + FRun->ItemWidth() <= FMaxWidth) return;
    WideString& Text = FRun->Text;
    const size_t Space = Text.rfind(L' ');
    WideString Tail;
    if (Space != WideString::npos) {
      if (Space + 1 >= Text.size()) return;
      Tail = Text.substr(Space + 1);
      Text.erase(Space + 1);
    } else {
      if (Text.size() < 2) return;
      Tail = Text.substr(Text.size() - 1);
      Text.pop_back();
    }
    FRun->CachedWidth = -1;
    AddBreak(hikSoftBreak);
    FRun->Text = Tail;
    FRun->CachedWidth = -1;
  }

  void Entity() {
    // "&" with no ";" before the next blank, "<" or the end is itself.
    size_t End = FPos + 1;
    while (End < FText.size() && FText[End] != L';' && FText[End] != L' ' && FText[End] != L'<') ++End;
    if (End >= FText.size() || FText[End] != L';') {
      ++FPos;
      AddChar(L'&');
      return;
    }
    const WideString Name = FText.substr(FPos + 1, End - FPos - 1);
    FPos = End + 1;
    if (!Name.empty() && Name[0] == L'#') {
      long long N;
      const WideString Digits = Name.substr(1);
      const bool IsNumber = !Digits.empty() && std::all_of(Digits.begin(), Digits.end(), [](WideChar C) {
        return C >= L'0' && C <= L'9';
      });
      if (!IsNumber || !ParseNumber(Digits, N)) {
        AddChar(L' ');
        return;
      }
      if (N == 0 || N > 0x10FFFF) return;
      if (N > 0xFFFF) {
        N -= 0x10000;
        AddChar(static_cast<WideChar>(0xD800 + (N >> 10)));
        AddChar(static_cast<WideChar>(0xDC00 + (N & 0x3FF)));
        return;
      }
      AddChar(static_cast<WideChar>(N));
      return;
    }
    const WideString Lower = VsWideLowerCase(Name);
    for (const TEntity& E : Entities)
      if (Lower == E.Name) {
        // A non-breaking space is never merged with the space before it.
        AddChar(E.Char, Lower != L"nbsp");
        return;
      }
  }

  void Tag() {
    if (FText.compare(FPos + 1, 3, L"!--") == 0) {
      const size_t End = FText.find(L"-->", FPos + 4);
      FPos = End == WideString::npos ? FText.size() : End + 3;
      return;
    }
    size_t P = FPos + 1;
    while (P < FText.size() && !IsBlank(FText[P]) && FText[P] != L'>') ++P;
    const WideString Name = VsWideLowerCase(FText.substr(FPos + 1, P - FPos - 1));
    size_t Close = FText.find(L'>', P);
    if (Close == WideString::npos) Close = FText.size();
    const TTagAttributes Attributes(P < Close ? FText.substr(P, Close - P) : WideString());
    FPos = std::min(Close + 1, FText.size());
    Apply(Name, Attributes);
  }

  void SetStyle(TFontStyle Style, bool On) {
    EndRun();
    if (On)
      FRun->Style << Style;
    else
      FRun->Style >> Style;
  }

  void SetFlag(DWORD Flag, bool On) {
    EndRun();
    if (On)
      FRun->Flags |= Flag;
    else
      FRun->Flags &= ~Flag;
  }

  int ListStep() { return FRender.Measurer()->FontMetrics(FRun->DrawFont()).MaxCharWidth; }

  void Font(const TTagAttributes& A) {
    EndRun();
    FFonts.push_back({FRun->FontName, FRun->FontHeight, FRun->Style, FRun->Charset, FRun->Color, FRun->BgColor});
    WideString Value;
    if (A.Find(L"face", Value)) FRun->FontName = Value;
    if (A.Find(L"name", Value)) FRun->FontName = Value;
    if (A.Find(L"size", Value)) {
      long long N;
      const WideString T = WideTrim(Value);
      int Height = FData.DefaultHeight;
      if (ParseNumber(T, N)) {
        N = std::clamp<long long>(N, -100000, 100000);
        Height = T[0] == L'+' || T[0] == L'-'
                     ? FData.DefaultHeight - MulDiv(static_cast<int>(N), ScreenPixelsPerInch(), 72)
                     : static_cast<int>(N);
      }
      FRun->FontHeight = ClampInt(Height, -MaxFontHeight, MaxFontHeight);
    }
    for (auto [Attr, Target] : {std::pair{L"color", &FRun->Color}, std::pair{L"bgcolor", &FRun->BgColor}}) {
      if (!A.Find(Attr, Value)) continue;
      TColor Color;
      if (!Value.empty() && Value[0] == L'#') {
        if (ParseHexColor(Value, Color)) *Target = Color;
      } else if (ParseColorWord(Value, Color)) {
        *Target = Color;
      }
    }
  }

  void EndFont() {
    EndRun();
    if (FFonts.empty()) return;
    const TFontRecord R = FFonts.back();
    FFonts.pop_back();
    FRun->FontName = R.Name;
    FRun->FontHeight = R.Height;
    FRun->Style = R.Style;
    FRun->Charset = R.Charset;
    FRun->Color = R.Color;
    FRun->BgColor = R.BgColor;
  }

  void Image(const TTagAttributes& A) {
    const WideString Src = A.Get(L"src");
    if (Src.empty()) return;
    TVsHTMLItem* Item = AddItem(hikImage);
    Item->Text = Src;
    TBitmap* Bitmap = nullptr;
    FRender.DoImageNeeded(Src, Bitmap);
    Item->Width = A.Number(L"width", Bitmap ? Bitmap->Width() : 0, 0, MaxItemSize);
    Item->Height = A.Number(L"height", Bitmap ? Bitmap->Height() : 0, 0, MaxItemSize);
  }

  void Rule(const TTagAttributes& A) {
    AddBreak(hikLineBreak);
    TVsHTMLItem* Item = AddItem(hikRule);
    Item->Flags &= ~hifLink;
    Item->Link.clear();
    Item->Width = A.Number(L"width", 0, 0, MaxItemSize);
    Item->Height = VsHTMLRuleHeight;
    AddBreak(hikLineBreak);
  }

  void Paragraph(const TTagAttributes& A, bool Closing) {
    if (Closing) {
      FAlign = haLeft;
      FParaIndent = 0;
      AddBreak(hikParagraphBreak)->Flags |= hifClosingParagraph;
      return;
    }
    const WideString Align = VsWideLowerCase(WideTrim(A.Get(L"align")));
    FAlign = Align == L"center" ? haCenter : Align == L"right" ? haRight : haLeft;
    FParaIndent = A.Number(L"indent", 0, 0, MaxItemSize);
    AddBreak(hikParagraphBreak);
  }

  void List(bool Up) {
    TVsHTMLItem* Item = AddItem(hikListLevel);
    Item->Flags &= ~hifLink;
    Item->Link.clear();
    if (Up) {
      Item->Width = ListStep();
      FListSteps.push_back(Item->Width);
      FListIndent += Item->Width;
    } else if (!FListSteps.empty()) {
      Item->Width = FListSteps.back();
      FListSteps.pop_back();
      FListIndent -= Item->Width;
    }
    AddBreak(hikLineBreak);
  }

  void Bullet() {
    EndRun();
    const int Last = FData.Count() - 1;
    if (Last >= 0 && FData.Items(Last)->Kind == hikLineBreak) FData.Delete(Last);
    AddBreak(hikBullet);
  }

  void Apply(const WideString& Name, const TTagAttributes& A) {
    static const std::pair<const wchar_t*, TFontStyle> Styles[] = {
        {L"b", fsBold}, {L"i", fsItalic}, {L"u", fsUnderline}, {L"strikeout", fsStrikeOut}};
    for (const auto& [Tag, Style] : Styles) {
      if (Name == Tag) return SetStyle(Style, true);
      if (Name == WideString(L"/") + Tag) return SetStyle(Style, false);
    }
    if (Name == L"sub" || Name == L"/sub") return SetFlag(hifSubscript, Name[0] != L'/');
    if (Name == L"sup" || Name == L"/sup") return SetFlag(hifSuperscript, Name[0] != L'/');
    if (Name == L"font") return Font(A);
    if (Name == L"/font") return EndFont();
    if (Name == L"a") {
      WideString HRef;
      if (!A.Find(L"href", HRef)) return;
      EndRun();
      FRun->Flags |= hifLink;
      FRun->Link = HRef;
      return;
    }
    if (Name == L"/a") {
      EndRun();
      FRun->Flags &= ~hifLink;
      FRun->Link.clear();
      return;
    }
    if (Name == L"img") return Image(A);
    if (Name == L"hr") return Rule(A);
    if (Name == L"br") {
      AddBreak(hikLineBreak);
      return;
    }
    if (Name == L"p" || Name == L"/p") return Paragraph(A, Name[0] == L'/');
    if (Name == L"ul" || Name == L"/ul") return List(Name[0] != L'/');
    if (Name == L"li") return Bullet();
  }

  TVsHTMLRender& FRender;
  TVsHTMLData& FData;
  const WideString& FText;
  const int FMaxWidth;
  const bool FAutoWrap;
  size_t FPos = 0;
  TOwned<TVsHTMLItem> FRun;
  std::vector<TFontRecord> FFonts;
  std::vector<int> FListSteps;
  int FListIndent = 0;
  int FParaIndent = 0;
  Word FAlign = haLeft;
  // The index of the break that starts the current line (-1: the first
  // line, before any break).
  int FLineStart = -1;
};

// A line's items: its break item and those up to the next break.
template <class F> void ForEachLine(TVsHTMLData& Data, F&& Visit) {
  int I = 0;
  while (I < Data.Count()) {
    auto* Line = static_cast<TVsHTMLBreakItem*>(Data.Items(I));
    int End = I + 1;
    while (End < Data.Count() && !Data.Items(End)->IsBreak()) ++End;
    if (!Visit(Line, I + 1, End)) return;
    I = End;
  }
}

// The height of an item in its line and the descent it needs, with the
// shift of sub- and superscript.
struct TItemBox {
  int Height = 0;
  int Descent = 0;
  int TextHeight = 0;
};

TItemBox ItemBox(TVsHTMLItem* Item) {
  TItemBox Box;
  Box.TextHeight = Item->ItemHeight(Box.Descent);
  Box.Height = Box.TextHeight;
  if (Item->Kind == hikText) {
    if (Item->Flags & hifSubscript) {
      Box.Height += Box.TextHeight / 4;
      Box.Descent += Box.TextHeight / 4;
    } else if (Item->Flags & hifSuperscript) {
      Box.Height += Box.TextHeight * 2 / 3;
    }
  }
  return Box;
}

int SuperscriptShift(TVsHTMLItem* Item, int TextHeight) {
  return Item->Kind == hikText && (Item->Flags & hifSuperscript) && !(Item->Flags & hifSubscript) ? TextHeight / 2
                                                                                                  : 0;
}

}  // namespace

// --- measuring ---

TVsGDIHTMLMeasurer::TVsGDIHTMLMeasurer() : FFont(new TFont) {
  HWND Owner = Application ? Application->Handle() : nullptr;
  HDC WindowDC = GetDC(Owner);
  FDC = CreateCompatibleDC(WindowDC);
  ReleaseDC(Owner, WindowDC);
  if (!FDC) FDC = CreateCompatibleDC(nullptr);
}

TVsGDIHTMLMeasurer::~TVsGDIHTMLMeasurer() {
  if (FOldFont) SelectObject(FDC, FOldFont);
  if (FDC) DeleteDC(FDC);
}

HDC TVsGDIHTMLMeasurer::Select(const TVsHTMLFont& Font) {
  // A font the DC still holds cannot be deleted when a change remakes it.
  if (FOldFont) SelectObject(FDC, FOldFont);
  FFont->SetName(WideToAnsi(Font.Name));
  FFont->SetHeight(Font.Height);
  FFont->SetStyle(Font.Style);
  FFont->SetCharset(Font.Charset);
  FOldFont = SelectObject(FDC, FFont->Handle());
  return FDC;
}

int TVsGDIHTMLMeasurer::TextExtent(const TVsHTMLFont& Font, const WideString& Text) {
  TRect R = Rect(0, 0, 0, 0);
  VsDrawTextW(Select(Font), Text.c_str(), static_cast<int>(Text.size()), R,
              DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM);
  return R.right - R.left;
}

TVsHTMLFontMetrics TVsGDIHTMLMeasurer::FontMetrics(const TVsHTMLFont& Font) {
  TEXTMETRICW TM{};
  GetTextMetricsW(Select(Font), &TM);
  return {std::abs(static_cast<int>(TM.tmHeight)), static_cast<int>(TM.tmDescent),
          static_cast<int>(TM.tmAveCharWidth), static_cast<int>(TM.tmMaxCharWidth)};
}

// --- items ---

TVsHTMLFont TVsHTMLItem::DrawFont() const {
  TVsHTMLFont Font;
  Font.Name = FontName;
  Font.Height = Flags & (hifSubscript | hifSuperscript) ? ScriptHeight(FontHeight) : FontHeight;
  Font.Style = Style;
  if (Flags & hifLink) Font.Style = Font.Style + Data->LinkStyle;
  Font.Charset = Charset;
  return Font;
}

int TVsHTMLItem::ItemWidth() {
  switch (Kind) {
    case hikText:
      if (CachedWidth < 0)
        CachedWidth = ClampInt(static_cast<long long>(Data->Render->Measurer()->TextExtent(DrawFont(), Text)) + 1, 0,
                               0x3FFFFFFF);
      return CachedWidth;
    case hikImage:
    case hikRule:
    case hikListLevel:
      return Width;
    default:
      return 0;
  }
}

int TVsHTMLItem::ItemHeight(int& Descent) {
  Descent = 0;
  switch (Kind) {
    case hikText: {
      const TVsHTMLFontMetrics M = Data->Render->Measurer()->FontMetrics(DrawFont());
      Descent = M.Descent;
      return M.Height;
    }
    case hikImage:
    case hikRule:
      return Height;
    default:
      return 0;
  }
}

int TVsHTMLBreakItem::ItemWidth() {
  return Kind == hikBullet ? Data->Render->Measurer()->FontMetrics(DrawFont()).AveCharWidth : 0;
}

int TVsHTMLBreakItem::ItemHeight(int& Descent) {
  const TVsHTMLFontMetrics M = Data->Render->Measurer()->FontMetrics(DrawFont());
  Descent = M.Descent;
  return M.Height;
}

// --- data ---

TVsHTMLData::TVsHTMLData(TVsHTMLRender* ARender) : Render(ARender), FItems(new TVsList) {
  FItems->SetAutoClearObjects(true);
}

TVsHTMLData::~TVsHTMLData() = default;

void TVsHTMLData::Clear() {
  HighlightItem = nullptr;
  FItems->Clear();
  TextWidth = 0;
  TextHeight = 0;
}

// --- renderer ---

TVsHTMLRender::TVsHTMLRender()
    : FData(new TVsHTMLData(this)), FBitmap(new TBitmap), FMeasurer(new TVsGDIHTMLMeasurer) {}

TVsHTMLRender::~TVsHTMLRender() = default;

void TVsHTMLRender::SetMeasurer(std::unique_ptr<TVsHTMLMeasurer> Value) {
  if (Value) FMeasurer = std::move(Value);
}

void TVsHTMLRender::DoImageNeeded(const WideString& Src, TBitmap*& Image) {
  Image = nullptr;
  if (OnImageNeeded) OnImageNeeded(this, Src, Image);
}

void TVsHTMLRender::PrepareText(const WideString& Text, int MaxWidth, bool AutoWrap) {
  FData->Clear();
  try {
    TParser(*this, Text, MaxWidth, AutoWrap).Run();
    LayoutLines();
  } catch (...) {
    FData->Clear();
    throw EVsHTMLError(SInvalidHTML);
  }
}

void TVsHTMLRender::LayoutLines() {
  long long TextWidth = 0;
  long long TextHeight = 0;
  ForEachLine(*FData, [&](TVsHTMLBreakItem* Line, int First, int End) {
    long long Width = Line->Indent;
    int Height = 0;
    int Descent = 0;
    // An empty line (the break ends the text or another break follows) is
    // as high as its font.
    if (First == End) Height = Line->ItemHeight(Descent);
    for (int I = First; I < End; ++I) {
      TVsHTMLItem* Item = FData->Items(I);
      if (Item->Kind != hikListLevel) Width += Item->ItemWidth();
      const TItemBox Box = ItemBox(Item);
      Height = std::max(Height, Box.Height);
      Descent = std::max(Descent, Box.Descent);
    }
    Line->LineWidth = ClampInt(Width, 0, 0x3FFFFFFF);
    Line->LineHeight = Height;
    Line->LineDescent = Descent;
    TextWidth = std::max<long long>(TextWidth, Line->LineWidth);
    TextHeight += Height;
    return true;
  });
  FData->TextWidth = ClampInt(TextWidth, 0, 0x3FFFFFFF);
  FData->TextHeight = ClampInt(TextHeight, 0, 0x3FFFFFFF);
}

int TVsHTMLRender::LineStart(const TVsHTMLBreakItem* Line, const TRect& Rect) const {
  const int Room = std::max(Line->LineWidth, static_cast<int>(Rect.right - Rect.left));
  switch (Line->Alignment) {
    case haCenter:
      return (Room - Line->LineWidth - 1) / 2;
    case haRight:
      return Room - Line->LineWidth - 1;
    default:
      return Line->Indent;
  }
}

TColor AdjustTextColor(TColor Color, TColor AdjustColor) {
  const TColor HLS = ColorToHLS(ColorToRGB(AdjustColor));
  return VsGetGValue(HLS) > 128 ? DarkenColor(ColorToRGB(Color), 50) : LightenColor(ColorToRGB(Color), 50);
}

void TVsHTMLRender::DrawText(TCanvas* Canvas, const TPoint& Origin, const TRect& Rect, TColor AdjustColor) {
  DrawTextEx(Canvas, Origin, Rect, AdjustColor);
}

void TVsHTMLRender::DrawItem(HDC DC, TVsHTMLItem* Item, int X, int LineTop, const TVsHTMLBreakItem* Line,
                             int RectRight, TColor AdjustColor) {
  TCanvas* C = FBitmap->Canvas();
  switch (Item->Kind) {
    case hikImage: {
      TBitmap* Image = nullptr;
      DoImageNeeded(Item->Text, Image);
      if (!Image || Image->Empty() || Item->Width == 0 || Item->Height == 0) return;
      const TColor Transparent = Image->Canvas()->Pixels(0, Image->Height() - 1);
      const TRect Source = ::Rect(0, 0, std::min(Item->Width, Image->Width()), std::min(Item->Height, Image->Height()));
      DrawTransparentBitmapEx(DC, Image->Handle(), X, LineTop, Source, Transparent);
      return;
    }
    case hikRule: {
      const int Y = LineTop + Line->LineHeight / 2 - 1;
      const int Right = Item->Width > 0 ? X + Item->Width : RectRight;
      C->Pen()->SetColor(clBtnShadow);
      C->MoveTo(X, Y);
      C->LineTo(Right, Y);
      C->Pen()->SetColor(clBtnFace);
      C->MoveTo(X, Y + 1);
      C->LineTo(Right, Y + 1);
      return;
    }
    case hikText: {
      const bool Highlighted = Item == FData->HighlightItem;
      TColor Color = Item->Color;
      TColor Bg = Item->BgColor;
      if (Item->Flags & hifLink) Color = FData->LinkColor;
      if (Highlighted) {
        Color = FData->HighlightColor;
        Bg = FData->HighlightBgColor;
      }
      if (AdjustColor != clNone) Color = AdjustTextColor(Color, AdjustColor);
      const TVsHTMLFont Font = Item->DrawFont();
      TFont* F = C->Font();
      F->SetName(WideToAnsi(Font.Name));
      F->SetHeight(Font.Height);
      F->SetStyle(Font.Style);
      F->SetCharset(Font.Charset);
      F->SetColor(Color);
      C->RequiredState(TCanvasState{csHandleValid, csFontValid});
      SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(Color)));
      if (Bg == clNone) {
        SetBkMode(DC, TRANSPARENT);
      } else {
        SetBkMode(DC, OPAQUE);
        SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(Bg)));
      }
      int Descent;
      const int Height = Item->ItemHeight(Descent);
      int Baseline = LineTop + Line->LineHeight - Line->LineDescent;
      if (Item->Flags & hifSubscript)
        Baseline += Height / 4;
      else if (Item->Flags & hifSuperscript)
        Baseline -= Height / 2;
      TextOutW(DC, X, Baseline, Item->Text.c_str(), static_cast<int>(Item->Text.size()));
      return;
    }
    default:
      return;
  }
}

void TVsHTMLRender::DrawTextEx(TCanvas* Canvas, const TPoint& Origin, const TRect& Rect, TColor AdjustColor) {
  const int W = Rect.right - Rect.left;
  const int H = Rect.bottom - Rect.top;
  FData->LastRect = Rect;
  if (W <= 0 || H <= 0) return;
  HDC Target = Canvas->Handle();
  FBitmap->SetSize(W + 1, H + 1);
  TCanvas* C = FBitmap->Canvas();
  HDC DC = C->Handle();
  BitBlt(DC, 0, 0, W + 1, H + 1, Target, Rect.left, Rect.top, SRCCOPY);
  SetTextAlign(DC, TA_BASELINE);
  C->Font()->SetCharset(FData->Charset);
  const int BitmapHeight = FBitmap->Height();
  long long Top = -static_cast<long long>(Origin.y);
  ForEachLine(*FData, [&](TVsHTMLBreakItem* Line, int First, int End) {
    if (Top >= BitmapHeight) return false;
    const int LineTop = static_cast<int>(Top);
    Top += Line->LineHeight;
    if (Top <= 0) return true;
    int X = LineStart(Line, Rect) - Origin.x;
    if (Line->Kind == hikBullet) {
      const int BW = Line->ItemWidth();
      const int BTop = LineTop + (Line->LineHeight - BW) / 2;
      const TColor Color = AdjustColor != clNone ? AdjustTextColor(Line->Color, AdjustColor) : Line->Color;
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(Color);
      C->Pen()->SetColor(Color);
      C->Ellipse(X - 1 - BW, BTop, X - 1, BTop + BW);
    }
    const int RectRight = std::max(Line->LineWidth, W) - Origin.x;
    for (int I = First; I < End; ++I) {
      TVsHTMLItem* Item = FData->Items(I);
      DrawItem(DC, Item, X, LineTop, Line, RectRight, AdjustColor);
      if (Item->Kind != hikListLevel) X += Item->ItemWidth();
    }
    return true;
  });
  BitBlt(Target, Rect.left, Rect.top, W, H, DC, 0, 0, SRCCOPY);
}

TVsHTMLItem* TVsHTMLRender::FindItemAt(const TPoint& Point, const TPoint& Origin, const TRect& Rect) {
  const long long PX = static_cast<long long>(Point.x) + Origin.x;
  const long long PY = static_cast<long long>(Point.y) + Origin.y;
  TVsHTMLItem* Found = nullptr;
  long long Top = 0;
  ForEachLine(*FData, [&](TVsHTMLBreakItem* Line, int First, int End) {
    const long long Bottom = Top + Line->LineHeight;
    if (PY >= Bottom) {
      Top = Bottom;
      return true;
    }
    if (PY < Top) return false;
    long long X = LineStart(Line, Rect);
    for (int I = First; I < End; ++I) {
      TVsHTMLItem* Item = FData->Items(I);
      if (Item->Kind == hikListLevel) continue;
      const int W = Item->ItemWidth();
      const TItemBox Box = ItemBox(Item);
      const int Shift = SuperscriptShift(Item, Box.TextHeight);
      if (PX >= X && PX < X + W && PY >= Bottom - Box.TextHeight - Shift && PY < Bottom - Shift) {
        Found = Item;
        break;
      }
      X += W;
    }
    return false;
  });
  return Found;
}

bool TVsHTMLRender::IsCursorOverLink(const TPoint& Point, const TPoint& Origin, const TRect& Rect,
                                     WideString& HRef) {
  HRef.clear();
  TVsHTMLItem* Item = FindItemAt(Point, Origin, Rect);
  if (!Item || !(Item->Flags & hifLink)) return false;
  HRef = Item->Link;
  return true;
}
