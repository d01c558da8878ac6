// A renderer for UTF-16 text written in a small HTML subset: the text is
// parsed into items (runs, breaks, images, rules, bullets, list steps), laid
// out in lines, drawn off-screen into a canvas and hit-tested for links.
//
// Tags: b, i, u, strikeout, sub, sup, font (face, name, size, color,
// bgcolor), a href, img (src, width, height), hr (width), br, p (align,
// indent), ul, li, html and comments; entities: nbsp amp quot gt lt euro sect
// reg copy para trade and decimal character codes.
#pragma once

#include <memory>

#include "Graphics.h"
#include "SysUtils.h"
#include "System.h"
#include "VsList.h"

// Raised by PrepareText with "HTML engine error - the text is not valid HTML".
FRAMEWORK_EXCEPTION(EVsHTMLError, Exception)

class TVsHTMLRender;

using TVsHTMLLinkClickEvent = TMethodPtr<void(TObject* Sender, const WideString& HRef)>;
// Image stays nullptr or becomes a bitmap the handler keeps owning.
using TVsHTMLImageNeededEvent = TMethodPtr<void(TObject* Sender, const WideString& Src, TBitmap*& Image)>;

// The font an item is measured and drawn with.
struct TVsHTMLFont {
  WideString Name;
  int Height = 0;
  TFontStyles Style;
  Byte Charset = DEFAULT_CHARSET;
};

struct TVsHTMLFontMetrics {
  int Height = 0;
  int Descent = 0;
  int AveCharWidth = 0;
  int MaxCharWidth = 0;
};

// How text is measured: GDI for the screen, a fixed advance in tests.
class TVsHTMLMeasurer {
public:
  virtual ~TVsHTMLMeasurer() = default;
  // The extent of a single line of Text in Font.
  virtual int TextExtent(const TVsHTMLFont& Font, const WideString& Text) = 0;
  virtual TVsHTMLFontMetrics FontMetrics(const TVsHTMLFont& Font) = 0;
};

// Measures through a memory DC of its own.
class TVsGDIHTMLMeasurer : public TVsHTMLMeasurer {
public:
  TVsGDIHTMLMeasurer();
  ~TVsGDIHTMLMeasurer() override;
  TVsGDIHTMLMeasurer(const TVsGDIHTMLMeasurer&) = delete;
  TVsGDIHTMLMeasurer& operator=(const TVsGDIHTMLMeasurer&) = delete;

  int TextExtent(const TVsHTMLFont& Font, const WideString& Text) override;
  TVsHTMLFontMetrics FontMetrics(const TVsHTMLFont& Font) override;

private:
  HDC Select(const TVsHTMLFont& Font);

  HDC FDC = nullptr;
  HGDIOBJ FOldFont = nullptr;
  TOwned<TFont> FFont;
};

// Item kinds.
constexpr Byte hikText = 0;
constexpr Byte hikSoftBreak = 1;
constexpr Byte hikLineBreak = 2;
constexpr Byte hikParagraphBreak = 3;
constexpr Byte hikImage = 4;
constexpr Byte hikRule = 5;
constexpr Byte hikBullet = 6;
constexpr Byte hikListLevel = 7;

// Item flags.
constexpr DWORD hifLink = 0x1;
constexpr DWORD hifSubscript = 0x2;
constexpr DWORD hifSuperscript = 0x4;
constexpr DWORD hifClosingParagraph = 0x80000000;

// Paragraph alignments.
constexpr Word haLeft = 0;
constexpr Word haCenter = 1;
constexpr Word haRight = 2;

// The height of a rule item.
constexpr int VsHTMLRuleHeight = 4;

class TVsHTMLData;

class TVsHTMLItem : public TObject {
public:
  TVsHTMLItem(TVsHTMLData* AData, Byte AKind) : Data(AData), Kind(AKind) {}

  // In pixels; a text run's width is measured once and cached.
  virtual int ItemWidth();
  virtual int ItemHeight(int& Descent);

  bool IsBreak() const {
    return Kind == hikSoftBreak || Kind == hikLineBreak || Kind == hikParagraphBreak || Kind == hikBullet;
  }
  // The font the item is measured and drawn with: a link adds the link
  // style, sub- and superscript are two pixels smaller.
  TVsHTMLFont DrawFont() const;

  TVsHTMLData* Data;
  Byte Kind;
  // The run's text, or the image's source.
  WideString Text;
  TFontStyles Style;
  int FontHeight = 0;
  Byte Charset = DEFAULT_CHARSET;
  TColor Color = clWindowText;
  TColor BgColor = clNone;
  WideString Link;
  WideString FontName;
  int CachedWidth = -1;
  // Image, rule and list-step sizes.
  int Width = 0;
  int Height = 0;
  DWORD Flags = 0;
};

// An item that starts a line; it carries the line's indent, alignment and,
// after the layout, its metrics.
class TVsHTMLBreakItem : public TVsHTMLItem {
public:
  using TVsHTMLItem::TVsHTMLItem;

  // A bullet is the font's average character wide; drawn left of the line.
  int ItemWidth() override;
  int ItemHeight(int& Descent) override;

  int Indent = 0;
  Word Alignment = haLeft;
  int LineWidth = 0;
  int LineHeight = 0;
  int LineDescent = 0;
};

class TVsHTMLData : public TObject {
public:
  explicit TVsHTMLData(TVsHTMLRender* ARender);
  ~TVsHTMLData() override;

  int Count() const { return FItems->Count(); }
  TVsHTMLItem* Items(int Index) const { return static_cast<TVsHTMLItem*>(FItems->Items(Index)); }
  // Takes ownership.
  void Add(TVsHTMLItem* Item) { FItems->Add(Item); }
  void Insert(int Index, TVsHTMLItem* Item) { FItems->Insert(Index, Item); }
  void Delete(int Index) { FItems->Delete(Index); }
  void Clear();

  TVsHTMLRender* Render;
  TColor LinkColor = 0xFF0000;
  TColor DefaultColor = clWindowText;
  TFontStyles LinkStyle = TFontStyles{fsUnderline};
  TFontStyles DefaultStyle;
  int DefaultHeight = -11;
  Byte Charset = DEFAULT_CHARSET;
  AnsiString DefaultFont = "MS Sans Serif";
  TColor DefaultBgColor = clNone;
  TColor HighlightBgColor = clHighlight;
  TColor HighlightColor = clHighlightText;
  // Drawn in the highlight colours; nullptr for none.
  TVsHTMLItem* HighlightItem = nullptr;
  TRect LastRect{};
  int TextWidth = 0;
  int TextHeight = 0;

private:
  TOwned<TVsList> FItems;
};

class TVsHTMLRender : public TObject {
public:
  TVsHTMLRender();
  ~TVsHTMLRender() override;

  // Parses Text and lays it out; with AutoWrap runs that pass MaxWidth are
  // wrapped at spaces. Raises EVsHTMLError (with the data cleared) when the
  // text cannot be parsed.
  void PrepareText(const WideString& Text, int MaxWidth, bool AutoWrap);
  void LayoutLines();
  // Draws the prepared text into Rect of Canvas, scrolled by Origin; an
  // AdjustColor other than clNone recolours every text against it.
  void DrawText(TCanvas* Canvas, const TPoint& Origin, const TRect& Rect, TColor AdjustColor = clNone);
  void DrawTextEx(TCanvas* Canvas, const TPoint& Origin, const TRect& Rect, TColor AdjustColor);
  // The item under Point (Rect's coordinates, scrolled by Origin), or nullptr.
  TVsHTMLItem* FindItemAt(const TPoint& Point, const TPoint& Origin, const TRect& Rect);
  bool IsCursorOverLink(const TPoint& Point, const TPoint& Origin, const TRect& Rect, WideString& HRef);
  virtual void DoImageNeeded(const WideString& Src, TBitmap*& Image);

  TVsHTMLData* Data() const { return FData.get(); }
  TVsHTMLMeasurer* Measurer() const { return FMeasurer.get(); }
  void SetMeasurer(std::unique_ptr<TVsHTMLMeasurer> Value);

  TVsHTMLImageNeededEvent OnImageNeeded;

private:
  void Parse(const WideString& Text, int MaxWidth, bool AutoWrap);
  // The x of a line's first item in content coordinates.
  int LineStart(const TVsHTMLBreakItem* Line, const TRect& Rect) const;
  void DrawItem(HDC DC, TVsHTMLItem* Item, int X, int LineTop, const TVsHTMLBreakItem* Line, int RectRight,
                TColor AdjustColor);

  TOwned<TVsHTMLData> FData;
  TOwned<TBitmap> FBitmap;
  std::unique_ptr<TVsHTMLMeasurer> FMeasurer;
};

// The colour a text is drawn in against a background of AdjustColor.
TColor AdjustTextColor(TColor Color, TColor AdjustColor);
