// The themed control base (theme handle life, the themed bevel beside the
// platform's theme calls) and the style manager that sets its properties.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Forms.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsStyleMgr.h"
#include "VsThemedControl.h"
#include "VsUxTheme.h"

namespace {

enum TMode { mdOne, mdTwo, mdThree };

// A themed control with a property of every kind the styles can set.
class TStyled : public TVsXPThemedControl {
public:
  explicit TStyled(TComponent* AOwner) : TVsXPThemedControl(AOwner), Lines(new TStringList()), Glyph(new TBitmap()) {}
  DWORD ExtraStyle = 0, ExtraExStyle = 0;
  TOwned<TStringList> Lines;
  TOwned<TBitmap> Glyph;
  double Ratio = 0;
  char Letter = 'a';
  TMode Mode = mdOne;
  TControl* Buddy = nullptr;
  AnsiString Words;

  TStringList* GetLines() const { return Lines.get(); }
  TBitmap* GetGlyph() const { return Glyph.get(); }
  TControl* GetBuddy() const { return Buddy; }
  using TVsXPThemedControl::DestroyHandle;
  void SetBuddy(TControl* Value) { Buddy = Value; }

protected:
  WideString GetThemedClassName() const override { return L"EDIT"; }
  void CreateParams(TCreateParams& Params) override {
    TVsXPThemedControl::CreateParams(Params);
    Params.Style |= ExtraStyle;
    Params.ExStyle |= ExtraExStyle;
  }
};

class ThemedControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    UnbindUxTheme();
    Application->CreateForm(Form);
    Form->SetBounds(0, 0, 320, 240);
    Control = Create<TStyled>(Form);
    Control->SetBounds(20, 20, 120, 60);
    Control->SetParent(Form);
    Manager = Create<TVsStyleManager>(Form);
  }
  void TearDown() override {
    Form->Free();
    UnbindUxTheme();
  }

  TForm* Form = nullptr;
  TStyled* Control = nullptr;
  TVsStyleManager* Manager = nullptr;
};

TEST_F(ThemedControlTest, WithoutThemesThereIsNoHandleAndThemeChangesAreStillAnswered) {
  Control->HandleNeeded();
  EXPECT_EQ(Control->Theme(), nullptr);
  EXPECT_FALSE(Control->IsThemeApplied());
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_GETTHEMEHANDLE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(Control->Theme(), nullptr);
  const HWND Before = Control->Handle();
  Control->SetUseXPThemes(false);
  EXPECT_EQ(Control->Handle(), Before);  // nothing to recreate without themes
}

TEST_F(ThemedControlTest, ThemeHandleLivesWithTheWindowAndFollowsUseXPThemes) {
  BindUxTheme();
  ASSERT_TRUE(ThemesAvailable);
  EXPECT_EQ(Control->Theme(), nullptr);  // no window yet
  Control->SetUseXPThemes(false);        // no window: only stored
  Control->SetUseXPThemes(true);
  EXPECT_FALSE(Control->HandleAllocated());

  Control->HandleNeeded();
  ASSERT_TRUE(Control->IsThemeApplied()) << "the platform opened no EDIT theme";
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_GETTHEMEHANDLE, 0, 0), reinterpret_cast<LRESULT>(Control->Theme()));
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_THEMECHANGED, 0, 0), 1);
  EXPECT_TRUE(Control->IsThemeApplied());

  Control->SetUseXPThemes(true);  // unchanged: nothing happens
  EXPECT_TRUE(Control->IsThemeApplied());
  const HWND First = Control->Handle();
  Control->SetUseXPThemes(false);
  EXPECT_EQ(Control->Theme(), nullptr);
  EXPECT_FALSE(IsWindow(First));  // recreated
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_GETTHEMEHANDLE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(Control->Theme(), nullptr);  // themes off: not reopened
  Control->SetUseXPThemes(true);
  Control->HandleNeeded();  // the hidden control's window comes back on use
  EXPECT_TRUE(Control->IsThemeApplied());
  EXPECT_EQ(SendMessageW(Control->Handle(), VS_GETTHEMEHANDLE, 0, 0), reinterpret_cast<LRESULT>(Control->Theme()));
  Control->DestroyHandle();
  EXPECT_EQ(Control->Theme(), nullptr);
}

// The non-client area as the window shows it, in window coordinates.
std::vector<COLORREF> WindowPixels(HWND Window, int& Width, int& Height) {
  RECT W;
  GetWindowRect(Window, &W);
  Width = W.right - W.left;
  Height = W.bottom - W.top;
  HDC DC = GetWindowDC(Window);
  std::vector<COLORREF> Pixels;
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) Pixels.push_back(GetPixel(DC, X, Y));
  ReleaseDC(Window, DC);
  return Pixels;
}

TEST_F(ThemedControlTest, BevelIsTheThemesEdgeAndBackgroundOnTheSameRectangles) {
  BindUxTheme();
  Form->Show();
  struct Case {
    TBevelKind Kind;
    TBevelEdges Edges;
    bool Ctl3D;
    int BorderWidth;
    DWORD Style, ExStyle;
  };
  const Case Cases[] = {
      {bkTile, {beLeft, beTop, beRight, beBottom}, true, 0, 0, 0},
      {bkSoft, {beLeft, beTop}, true, 2, 0, 0},
      {bkFlat, {beRight, beBottom}, false, 0, 0, 0},
      {bkNone, {beLeft, beTop, beRight, beBottom}, true, 3, 0, 0},
      {bkTile, {beLeft, beTop, beRight, beBottom}, true, 1, WS_VSCROLL, 0},
      {bkTile, {beLeft, beTop, beRight, beBottom}, true, 1, WS_VSCROLL, WS_EX_LEFTSCROLLBAR},
  };
  for (const Case& C : Cases) {
    const std::string What = "kind " + std::to_string(C.Kind) + " edges " + std::to_string(C.Edges.Bits()) +
                             (C.Ctl3D ? " 3D" : " flat") + " border " + std::to_string(C.BorderWidth) +
                             (C.ExStyle ? " left bar" : C.Style ? " right bar" : "");
    Control->ExtraStyle = C.Style;
    Control->ExtraExStyle = C.ExStyle;
    Control->SetBevelKind(C.Kind);
    Control->SetBevelEdges(C.Edges);
    Control->SetCtl3D(C.Ctl3D);
    Control->SetBorderWidth(C.BorderWidth);
    Control->SetBevelInner(bvRaised);
    Control->SetBevelOuter(bvLowered);
    Control->RecreateWnd();
    const HWND Window = Control->Handle();
    ASSERT_TRUE(Control->IsThemeApplied());
    RedrawWindow(Window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    int Width = 0, Height = 0;
    const std::vector<COLORREF> Shown = WindowPixels(Window, Width, Height);

    // The rectangles from the window's geometry: client area, then the
    // border, then the bevel's edges and the scroll bar's side.
    RECT Client, Frame;
    GetClientRect(Window, &Client);
    GetWindowRect(Window, &Frame);
    MapWindowPoints(Window, nullptr, reinterpret_cast<POINT*>(&Client), 2);
    OffsetRect(&Client, -Frame.left, -Frame.top);
    RECT Bar = Client;
    RECT RC = Client;
    InflateRect(&RC, C.BorderWidth, C.BorderWidth);
    RECT RW = RC;
    const int Edge = C.Kind == bkNone ? 0 : 2;
    if (C.Edges.Contains(beLeft)) RW.left -= Edge;
    if (C.Edges.Contains(beTop)) RW.top -= Edge;
    if (C.Edges.Contains(beRight)) RW.right += Edge;
    if (C.Edges.Contains(beBottom)) RW.bottom += Edge;
    if (C.Style & WS_VSCROLL) {
      const int Cx = GetSystemMetrics(SM_CXVSCROLL);
      if (C.ExStyle) {
        RW.left -= Cx;
        Bar.right = Bar.left;
        Bar.left -= Cx;
      } else {
        RW.right += Cx;
        Bar.left = Bar.right;
        Bar.right += Cx;
      }
    } else {
      SetRectEmpty(&Bar);
    }
    TMemoryDC Reference(Width, Height);
    const HDC DC = Reference.DC();
    {
      const int N = static_cast<int>(Shown.size());
      for (int I = 0; I < N; ++I) SetPixel(DC, I % Width, I / Width, Shown[static_cast<size_t>(I)]);
    }
    HRGN Clip = CreateRectRgn(0, 0, Width, Height);
    SelectClipRgn(DC, Clip);
    DeleteObject(Clip);
    ExcludeClipRect(DC, Client.left, Client.top, Client.right, Client.bottom);
    if (C.Kind != bkNone)
      VsUxThemeApi.DrawThemeEdge(Control->Theme(), DC, 0, 0, &RW, BDR_RAISEDINNER | BDR_SUNKENOUTER,
                                 ThemedBevelFlags(C.Kind, C.Edges, C.Ctl3D), &RC);
    IntersectClipRect(DC, RW.left, RW.top, RW.right, RW.bottom);
    VsUxThemeApi.DrawThemeBackground(Control->Theme(), DC, 0, 0, &RC, nullptr);
    SelectClipRgn(DC, nullptr);
    int Different = 0, Compared = 0;
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X) {
        const POINT P{X, Y};
        if (PtInRect(&Client, P) || PtInRect(&Bar, P)) continue;
        ++Compared;
        Different += GetPixel(DC, X, Y) != Shown[static_cast<size_t>(Y * Width + X)];
      }
    EXPECT_GT(Compared, 0) << What;
    EXPECT_EQ(Different, 0) << What;
  }
}

// --- the style manager ---

void WriteStyle(TVsIniFile* Store, const AnsiString& Key, const AnsiString& Name, const AnsiString& Value) {
  ASSERT_TRUE(Store->WriteString("\\" + Key, Name, Value));
}

TEST_F(ThemedControlTest, StyleNamesPickTheClassKeyTheStyleClassAndInheritance) {
  TVsIniFile* S = Manager->Store();
  WriteStyle(S, "(Default)", "Hint", "domy\xB6lny");
  S->WriteInteger("\\(Default)", "Tag", 1);
  S->WriteInteger("\\TStyled", "Tag", 2);
  WriteStyle(S, "TStyled", "InheritsFrom", "Base");
  WriteStyle(S, "Base", "Words", "z bazy");
  WriteStyle(S, "Base", "Hint", "baza");
  S->WriteInteger("\\.Warning", "Tag", 3);
  WriteStyle(S, ".Warning", "Color", "clRed");
  // A cycle: each of the two keys is merged once.
  WriteStyle(S, ".Ping", "InheritsFrom", ".Pong");
  WriteStyle(S, ".Pong", "InheritsFrom", ".Ping");
  WriteStyle(S, ".Ping", "Words", "ping");
  WriteStyle(S, ".Pong", "Words", "pong");
  WriteStyle(S, ".Pong", "Hint", "pong");

  Control->SetStyleManager(Manager);  // empty name: "(Default)" alone
  EXPECT_EQ(Control->Tag(), 1);
  EXPECT_EQ(Control->Hint(), "domy\xB6lny");
  EXPECT_EQ(Control->Words, "");

  Control->SetStyleName("Warning");  // no dot: the class key and its chain
  EXPECT_EQ(Control->Tag(), 2);
  EXPECT_EQ(Control->Hint(), "baza");
  EXPECT_EQ(Control->Words, "z bazy");
  EXPECT_NE(Control->Color(), clRed);

  Control->SetStyleName(".Warning");  // the class key, then the style class
  EXPECT_EQ(Control->Tag(), 3);
  EXPECT_EQ(Control->Color(), clRed);
  EXPECT_EQ(Control->Hint(), "baza");  // "(Default)" does not come back over the class key

  Control->SetStyleName(".Ping");
  EXPECT_EQ(Control->Words, "ping");
  EXPECT_EQ(Control->Hint(), "pong");
  EXPECT_FALSE(S->KeyExists("\\...Temp"));
}

TEST_F(ThemedControlTest, ValueNamesReachObjectPropertiesTypesAndEveryStoreType) {
  TStyled* Other = Create<TStyled>(Form);
  Control->SetBuddy(Other);
  TVsIniFile* S = Manager->Store();
  const AnsiString K = "\\.All";
  WriteStyle(S, ".All", "Font.Color", "$00123456");
  WriteStyle(S, ".All", "Color|TColor", "clBtnFace");
  S->WriteInteger(K, "Tag|TColor", 77);           // Tag is an Integer: skipped
  S->WriteInteger(K, "Buddy.Tag", 5);             // a component: skipped
  S->WriteInteger(K, "Font.Name.Size", 30);       // two dots: skipped
  S->WriteInteger(K, "NoSuchProperty", 1);        // skipped
  S->WriteBool(K, "ShowHint", true);
  S->WriteInteger(K, "Mode", 2);
  WriteStyle(S, ".All", "Anchors", "[akRight,akBottom]");
  WriteStyle(S, ".All", "Letter", "q");
  S->WriteFloat(K, "Ratio", 2.5);
  TStringList Lines;
  Lines.Add("jeden");
  Lines.Add("dwa");
  S->WriteMultiString(K, "Lines", &Lines);
  TBitmap Picture;
  Picture.SetSize(3, 2);
  TMemoryStream Bytes;
  Picture.SaveToStream(&Bytes);
  S->WriteBinary(K, "Glyph", static_cast<int>(Bytes.Size()), Bytes.Memory());
  S->WriteBool(K, "Hint", true);  // a Boolean for a string property: skipped

  Control->SetStyleManager(Manager);
  Control->SetStyleName(".All");
  EXPECT_EQ(Control->Font()->Color(), 0x00123456);
  EXPECT_EQ(Control->Color(), clBtnFace);
  EXPECT_EQ(Control->Tag(), 0);
  EXPECT_EQ(Other->Tag(), 0);
  EXPECT_TRUE(Control->ShowHint());
  EXPECT_EQ(Control->Mode, mdThree);
  EXPECT_EQ(Control->Anchors(), (TAnchors{akRight, akBottom}));
  EXPECT_EQ(Control->Letter, 'q');
  EXPECT_DOUBLE_EQ(Control->Ratio, 2.5);
  EXPECT_EQ(Control->Lines->Text(), "jeden\r\ndwa\r\n");
  EXPECT_EQ(Control->Glyph->Width(), 3);
  EXPECT_EQ(Control->Glyph->Height(), 2);
  EXPECT_EQ(Control->Hint(), "");
}

TEST_F(ThemedControlTest, AStyleAskedForWhileOneIsAppliedRunsAfterIt) {
  TVsIniFile* S = Manager->Store();
  // Setting StyleName from a style applies another style from the setter.
  WriteStyle(S, ".First", "StyleName", ".Second");
  S->WriteInteger("\\.First", "Tag", 5);
  WriteStyle(S, ".Second", "Color", "clLime");
  S->WriteInteger("\\.Second", "Tag", 6);
  WriteStyle(S, ".Second", "Hint", "drugi");
  Control->SetStyleManager(Manager);
  Control->SetStyleName(".First");
  EXPECT_EQ(Control->StyleName(), ".Second");
  EXPECT_EQ(Control->Color(), clLime);
  EXPECT_EQ(Control->Tag(), 6);  // the second ran after the whole first one
  EXPECT_EQ(Control->Hint(), "drugi");
  EXPECT_FALSE(S->KeyExists("\\...Temp"));
}

TEST_F(ThemedControlTest, ManagersCopyAndStreamTheirStylesAndLinksFollowTheirLives) {
  TVsIniFile* S = Manager->Store();
  EXPECT_EQ(S->SubKeysCount("\\"), 1);  // "(Default)": the Style data is stored
  WriteStyle(S, ".Hex", "Hint", "454C0100 not binary");
  WriteStyle(S, ".Hex", "Words", "454C");
  S->WriteInteger("\\.Hex", "Tag", 9);

  TVsStyleManager* Copy = Create<TVsStyleManager>(Form);
  int Changes = 0;
  struct TCounter : TObject {
    int* Count;
    void Changed(TObject*) { ++*Count; }
  } Counter;
  Counter.Count = &Changes;
  Copy->OnChange = TNotifyEvent(&Counter, &TCounter::Changed);
  Copy->Assign(Manager);
  EXPECT_EQ(Changes, 1);
  TMemoryStream Stream;
  Copy->SaveStyleData(&Stream);
  Stream.SetPosition(0);
  TVsStyleManager* Loaded = Create<TVsStyleManager>(Form);
  Loaded->LoadStyleData(&Stream);
  AnsiString Text;
  EXPECT_TRUE(Loaded->Store()->ReadString("\\.Hex", "Hint", Text, ""));
  EXPECT_EQ(Text, "454C0100 not binary");
  EXPECT_TRUE(Loaded->Store()->ReadString("\\.Hex", "Words", Text, ""));
  EXPECT_EQ(Text, "454C");
  TFont Font;
  EXPECT_THROW(Font.Assign(Copy), EConvertError);

  Control->SetStyleName(".Hex");
  Control->SetStyleManager(Loaded);
  EXPECT_EQ(Control->Tag(), 9);
  EXPECT_EQ(Control->Words, "454C");
  // The manager's changes reach the control through its link.
  Loaded->BeginUpdate();
  Loaded->Store()->WriteInteger("\\.Hex", "Tag", 10);
  EXPECT_EQ(Control->Tag(), 9);
  Loaded->EndUpdate();
  EXPECT_EQ(Control->Tag(), 10);
  // Freed in either order: the control forgets the manager, the manager its link.
  Loaded->Free();
  EXPECT_EQ(Control->StyleManager(), nullptr);
  TStyled* Second = Create<TStyled>(Form);
  Second->SetStyleManager(Copy);
  Second->Free();
  EXPECT_NO_THROW(Copy->BeginUpdate());
  EXPECT_NO_THROW(Copy->EndUpdate());
}

// Random style keys of every shape applied to a control: each apply ends
// normally or with a conversion or store error, the control stays usable
// and no scratch key is left after an apply that completed.
TEST_F(ThemedControlTest, RandomStyleKeysApplyOrRaiseAConversionError) {
  Control->SetStyleManager(Manager);
  std::mt19937 Random(2504);
  const char* const Names[] = {"Color", "Font.Color", "Font", "Font.", ".Color", "Color|", "Color|TColor",
                               "Color|Integer", "Tag", "Mode", "Anchors", "Letter", "Ratio", "Lines", "Glyph",
                               "Buddy.Tag", "Font.Name", "Font.Style", "Hint", "Left", "|", ".", "..", "Unknown",
                               "Visible", "Font.Height|Integer", "Words"};
  const char* const Texts[] = {"clRed", "$FF", "0x10", "-1", "clNoSuch", "", "[akLeft]", "[bad", "12", "q",
                               "2.5", "454C", "[fsBold,fsItalic]", "TRUE"};
  int Raised = 0;
  for (int Run = 0; Run < 300; ++Run) {
    TVsIniFile* S = Manager->Store();
    S->ClearKey("\\.R");
    S->WriteInteger("\\.R", "Tag", 0);
    for (int V = 0; V < 3; ++V) {
      const AnsiString Name = Names[Random() % std::size(Names)];
      switch (Random() % 5) {
        case 0: S->WriteBool("\\.R", Name, Random() % 2 == 0); break;
        case 1: S->WriteInteger("\\.R", Name, static_cast<Integer>(Random() % 2000) - 1000); break;
        case 2: S->WriteFloat("\\.R", Name, (Random() % 100) / 7.0); break;
        case 3: {
          const Byte Junk[4] = {1, 2, 3, static_cast<Byte>(Random())};
          S->WriteBinary("\\.R", Name, 4, Junk);
          break;
        }
        default: S->WriteString("\\.R", Name, Texts[Random() % std::size(Texts)]); break;
      }
    }
    try {
      Control->SetStyleName(Run % 2 ? ".R" : "");
      Control->SetStyleName(".R");
      EXPECT_FALSE(S->KeyExists("\\...Temp")) << Run;
    } catch (const EConvertError&) {
      ++Raised;
    } catch (const EVsIniError&) {
      ++Raised;
    } catch (const EPropertyConvertError&) {
      ++Raised;
    } catch (const EInvalidGraphic&) {
      ++Raised;
    }
    Control->SetStyleName(AnsiString());
    Control->SetBounds(20, 20, 120, 60);
    Control->HandleNeeded();
    EXPECT_TRUE(IsWindow(Control->Handle()));
  }
  EXPECT_GT(Raised, 0);
}

// 10,000 mutated "Style" streams: each loads or raises the store's error.
TEST_F(ThemedControlTest, MutatedStyleStreamsLoadOrRaiseTheStoresError) {
  TVsIniFile* S = Manager->Store();
  WriteStyle(S, ".A", "Color", "clRed");
  S->WriteInteger("\\.A", "Tag", 3);
  WriteStyle(S, "TStyled", "InheritsFrom", ".A");
  TMemoryStream Original;
  Manager->SaveStyleData(&Original);
  const std::string Bytes(static_cast<const char*>(Original.Memory()), static_cast<size_t>(Original.Size()));
  std::mt19937 Random(2505);
  TVsStyleManager* Target = Create<TVsStyleManager>(Form);
  Control->SetStyleManager(Target);
  int Loaded = 0;
  for (int Run = 0; Run < 10000; ++Run) {
    std::string Mutant = Bytes;
    const int Edits = 1 + static_cast<int>(Random() % 4);
    for (int E = 0; E < Edits && !Mutant.empty(); ++E) {
      const size_t At = Random() % Mutant.size();
      switch (Random() % 3) {
        case 0: Mutant[At] = static_cast<char>(Random()); break;
        case 1: Mutant.erase(At, 1 + Random() % 8); break;
        default: Mutant.insert(At, 1, "[]=\\\r\n\0$"[Random() % 8]); break;
      }
    }
    TMemoryStream Stream;
    Stream.Write(Mutant.data(), static_cast<int>(Mutant.size()));
    Stream.SetPosition(0);
    try {
      Target->LoadStyleData(&Stream);
      ++Loaded;
    } catch (const EVsIniError&) {
    } catch (const EConvertError&) {
    } catch (const EPropertyConvertError&) {
    }
  }
  EXPECT_GT(Loaded, 0);
  EXPECT_FALSE(Target->Store()->KeyExists("\\...Temp"));
  Control->SetStyleManager(nullptr);
  Control->HandleNeeded();
  EXPECT_TRUE(IsWindow(Control->Handle()));
}

class TThemedEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeVsThemedControl();
    RegisterClass<TStyled, TVsXPThemedControl>()
        .Object("Lines", &TStyled::GetLines)
        .Object("Glyph", &TStyled::GetGlyph)
        .Float("Ratio", &TStyled::Ratio, &TStyled::Ratio)
        .Char("Letter", &TStyled::Letter, &TStyled::Letter)
        .Enum("Mode", &TStyled::Mode, &TStyled::Mode, mdOne, {"mdOne", "mdTwo", "mdThree"})
        .Object("Buddy", &TStyled::GetBuddy, &TStyled::SetBuddy)
        .Str("Words", &TStyled::Words, &TStyled::Words);
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const ThemedEnvironment = ::testing::AddGlobalTestEnvironment(new TThemedEnvironment);

}  // namespace
