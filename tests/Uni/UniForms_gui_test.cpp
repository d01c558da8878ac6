// Wide hints, the wide application hint, the message hook for wide
// characters, the accelerator test and the popup list.
#include "GuiTestSupport.h"
#include "UniGuiTestSupport.h"
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Framework.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniSysUtils.h"
#include "UniSystem.h"

class TWideEdit : public TEdit {
public:
  using TEdit::TEdit;
  std::vector<int> Keys;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, L"EDIT"); }
  void KeyPress(char& Key) override { Keys.push_back(static_cast<unsigned char>(Key)); }
};

// A hint window class of other code.
class TOtherHintWindow : public THintWindow {
public:
  using THintWindow::THintWindow;
};

// Notes what the application's message event saw.
class TMessageLog : public TObject {
public:
  void OnMessage(MSG& Msg, bool&) {
    if (Msg.message == WM_CHAR) Chars.push_back(static_cast<int>(Msg.wParam));
    if (Throw && Msg.message == WM_CHAR && Msg.wParam >= 128) throw Exception("z haka");
  }
  void OnException(TObject*, Exception* E) { Errors.push_back(E->Message()); }
  std::vector<int> Chars;
  std::vector<std::string> Errors;
  bool Throw = false;
};

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TUniGuiEnvironment);


void TypeUnicode(const WideString& Text) {
  std::vector<INPUT> Inputs;
  for (WideChar Ch : Text) {
    for (DWORD Up : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
      INPUT In{};
      In.type = INPUT_KEYBOARD;
      In.ki.wScan = Ch;
      In.ki.dwFlags = KEYEVENTF_UNICODE | Up;
      Inputs.push_back(In);
    }
  }
  SendInput(static_cast<UINT>(Inputs.size()), Inputs.data(), sizeof(INPUT));
}

class UniFormsTest : public ::testing::Test {
protected:
  void SetUp() override {
    IsUnicodePlatform = true;
    Application->OnException = nullptr;
    Application->OnMessage = nullptr;
    Application->SetHint("");
    Application->CancelHint();
    Application->CreateForm(Form);
    Form->SetBounds(80, 80, 400, 300);
  }
  void TearDown() override {
    IsUnicodePlatform = true;
    Application->OnException = nullptr;
    Application->OnMessage = nullptr;
    Application->CancelHint();
    FreeAndNil(Form);
    SetCursorPos(2, 2);
  }
  template <class T> T* Make(int Top = 10) {
    T* C = new T(Form);  // owned by the form
    C->SetParent(Form);
    C->SetBounds(10, Top, 200, 24);
    return C;
  }
  THintInfo InfoFor(TControl* Control) {
    THintInfo Info;
    Info.HintControl = Control;
    Info.HintWindowClass = ClassInfoOf<THintWindow>();
    Info.HintStr = GetShortHint(Control->Hint());
    return Info;
  }

  TForm* Form = nullptr;
};

}  // namespace

TEST_F(UniFormsTest, TypedCharactersReachAUnicodeEditWhole) {
  TMessageLog Log;
  Application->OnMessage = TMessageEvent(&Log, &TMessageLog::OnMessage);
  auto* Edit = Make<TWideEdit>(10);
  auto* Plain = Make<TEdit>(50);
  Form->Show();
  SetForegroundWindow(Form->Handle());
  Edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Edit->Handle(); })) << "waiting for the focus on the edit";
  const WideString Typed = L"a\u00F1\u00F3\u0105\u0101\u00A1";
  TypeUnicode(Typed);
  ASSERT_TRUE(PumpUntil([&] { return WindowTextW(Edit->Handle()) == Typed; }))
      << "waiting for the typed text; the edit holds " << WideToUTF8(WindowTextW(Edit->Handle()));
  // The message event saw each character first, as the system gave it.
  EXPECT_EQ(Log.Chars, (std::vector<int>{'a', 0xF1, 0xF3, 0x105, 0x101, 0xA1}));
  // The 8-bit key handler sees 255 for every character the code page would
  // have to guess at.
  EXPECT_EQ(Edit->Keys, (std::vector<int>{'a', 255, 255, 255, 255, 255}));

  // An 8-bit window still gets its keys from the framework's loop.
  Plain->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Plain->Handle(); })) << "waiting for the focus on the 8-bit edit";
  Log.Chars.clear();
  TypeUnicode(L"\u0105");
  ASSERT_TRUE(PumpUntil([&] { return !Plain->Text().empty(); })) << "waiting for the 8-bit edit's text";
  EXPECT_EQ(Plain->Text(), "\xB9");
  EXPECT_EQ(Log.Chars, (std::vector<int>{0xB9}));
}

TEST_F(UniFormsTest, AnExceptionInTheHookGoesToTheApplication) {
  TMessageLog Log;
  Log.Throw = true;
  Application->OnMessage = TMessageEvent(&Log, &TMessageLog::OnMessage);
  Application->OnException = TExceptionEvent(&Log, &TMessageLog::OnException);
  auto* Edit = Make<TWideEdit>();
  PostMessageW(Edit->Handle(), WM_CHAR, 0x0101, 1);
  ASSERT_TRUE(PumpUntil([&] { return !Log.Errors.empty(); })) << "waiting for the reported error";
  EXPECT_EQ(Log.Errors, (std::vector<std::string>{"z haka"}));
  // Handled or not, the character was the hook's: not dispatched twice.
  PumpFor(50);
  EXPECT_LE(WindowTextW(Edit->Handle()).size(), 1u);
}

TEST_F(UniFormsTest, DialogWindowTakesTheCharacterOnce) {
  auto* Edit = Make<TWideEdit>();
  Application->SetDialogHandle(Form->Handle());
  PostMessageW(Edit->Handle(), WM_CHAR, 0x0101, 1);
  const bool Arrived = PumpUntil([&] { return !WindowTextW(Edit->Handle()).empty(); }, 1000);
  PumpFor(50);
  Application->SetDialogHandle(nullptr);
  ASSERT_TRUE(Arrived) << "waiting for the character through the dialog window";
  EXPECT_EQ(WindowTextW(Edit->Handle()), L"\u0101");
}

TEST_F(UniFormsTest, HintSubstitution) {
  auto* Edit = Make<TWideEdit>();
  WideSetControlHint(Edit, L"Zapisz \u00F1|Zapisuje s\u0142ownik");
  THintInfo Info = InfoFor(Edit);
  WideSubstituteHint(Info);
  EXPECT_EQ(Info.HintWindowClass, ClassInfoOf<TUniHintWindow>());
  EXPECT_EQ(Info.HintData, &Info);
  EXPECT_EQ(Info.HintStr, "Zapisz n");
  EXPECT_TRUE(IsWideHintData(&Info));
  EXPECT_EQ(WideHintText(Info), L"Zapisz \u00F1");
  // The record's text changed by others: that text is shown.
  Info.HintStr = "inny";
  EXPECT_EQ(WideHintText(Info), L"inny");

  // No hint of its own: the parent's.
  auto* Bare = Make<TWideEdit>(40);
  WideSetControlHint(Form, L"Formularz \u0101|d\u0142ugi");
  THintInfo Parent = InfoFor(Bare);
  WideSubstituteHint(Parent);
  EXPECT_EQ(WideHintText(Parent), L"Formularz \u0101");

  // Another hint window class keeps its 8-bit hint; none at all counts as
  // the framework's own.
  static const bool Registered = (RegisterClass<TOtherHintWindow, THintWindow>(), true);
  ASSERT_TRUE(Registered);
  THintInfo Other = InfoFor(Edit);
  Other.HintWindowClass = ClassInfoOf<TOtherHintWindow>();
  WideSubstituteHint(Other);
  EXPECT_EQ(Other.HintWindowClass, ClassInfoOf<TOtherHintWindow>());
  EXPECT_EQ(Other.HintData, nullptr);
  EXPECT_FALSE(IsWideHintData(&Other));
  THintInfo None = InfoFor(Edit);
  None.HintWindowClass = nullptr;
  WideSubstituteHint(None);
  EXPECT_EQ(None.HintWindowClass, ClassInfoOf<TUniHintWindow>());

  // Off the Unicode platform nothing changes.
  IsUnicodePlatform = false;
  THintInfo Ansi = InfoFor(Edit);
  WideSubstituteHint(Ansi);
  EXPECT_EQ(Ansi.HintWindowClass, ClassInfoOf<THintWindow>());
  EXPECT_EQ(Ansi.HintData, nullptr);
}

TEST_F(UniFormsTest, HintWindowMeasuresAndDrawsTheWideText) {
  auto* Edit = Make<TWideEdit>();
  WideSetControlHint(Edit, L"Zapisz \u00F1\u0101 d\u0142ugi tekst|Zapisuje s\u0142ownik");
  THintInfo Info = InfoFor(Edit);
  WideSubstituteHint(Info);
  auto* Hint = Create<TUniHintWindow>(Form);
  TFont* Font = Hint->Font();

  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Font->Handle());
  RECT Expected{0, 0, 300, 0};
  DrawTextW(DC, L"Zapisz \u00F1\u0101 d\u0142ugi tekst", -1, &Expected, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  const TRect R = Hint->CalcHintRect(300, Info.HintStr, Info.HintData);
  EXPECT_EQ(R.right, Expected.right + 6);
  EXPECT_EQ(R.bottom, Expected.bottom + 2);

  TRect At = R;
  OffsetRect(&At, 100, 100);
  Hint->ActivateHintData(At, Info.HintStr, Info.HintData);
  ASSERT_TRUE(Hint->HandleAllocated());
  EXPECT_TRUE(IsWindowUnicode(Hint->Handle()));
  EXPECT_EQ(WindowTextW(Hint->Handle()), L"Zapisz \u00F1\u0101 d\u0142ugi tekst");
  EXPECT_EQ(Hint->Width(), R.right);

  // The picture: the same text drawn by DrawTextW at (2, 2) of the client.
  TShot Shot(Hint);
  const RECT Client = Hint->ClientRect();
  HDC ScreenDC = GetDC(nullptr);
  HDC Ref = CreateCompatibleDC(ScreenDC);
  HBITMAP Bitmap = CreateCompatibleBitmap(ScreenDC, Client.right, Client.bottom);
  ReleaseDC(nullptr, ScreenDC);
  HGDIOBJ OldBitmap = SelectObject(Ref, Bitmap);
  HBRUSH Back = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clInfoBk)));
  FillRect(Ref, &Client, Back);
  DeleteObject(Back);
  HGDIOBJ OldFont = SelectObject(Ref, Font->Handle());
  SetBkMode(Ref, TRANSPARENT);
  const COLORREF Ink = static_cast<COLORREF>(ColorToRGB(Screen->HintFont()->Color()));
  SetTextColor(Ref, Ink);
  RECT Text = Client;
  Text.left += 2;
  Text.top += 2;
  DrawTextW(Ref, L"Zapisz \u00F1\u0101 d\u0142ugi tekst", -1, &Text, DT_NOPREFIX | DT_WORDBREAK);
  int RefInk = 0;
  for (int Y = 0; Y < Client.bottom; ++Y)
    for (int X = 0; X < Client.right; ++X) RefInk += GetPixel(Ref, X, Y) == Ink;
  SelectObject(Ref, OldFont);
  SelectObject(Ref, OldBitmap);
  DeleteObject(Bitmap);
  DeleteDC(Ref);
  EXPECT_GT(RefInk, 30);
  // Only the client area: the frame may be drawn in the same colour.
  POINT Origin{0, 0};
  ClientToScreen(Hint->Handle(), &Origin);
  RECT Frame;
  GetWindowRect(Hint->Handle(), &Frame);
  const int DX = Origin.x - Frame.left, DY = Origin.y - Frame.top;
  EXPECT_EQ(Shot.Count(Rect(DX, DY, DX + Client.right, DY + Client.bottom), Ink), RefInk);

  // And on the screen, painted by the window itself.
  ShowWindow(Hint->Handle(), SW_SHOWNOACTIVATE);
  PumpFor(100);
  HDC Desktop = GetDC(nullptr);
  int OnScreen = 0;
  for (int Y = Origin.y; Y < Origin.y + Client.bottom; ++Y)
    for (int X = Origin.x; X < Origin.x + Client.right; ++X) OnScreen += GetPixel(Desktop, X, Y) == Ink;
  ReleaseDC(nullptr, Desktop);
  EXPECT_EQ(OnScreen, RefInk);

  // Off the Unicode platform the framework's own measure.
  IsUnicodePlatform = false;
  auto* Plain = Create<THintWindow>(Form);
  const TRect Ansi = Hint->CalcHintRect(300, Info.HintStr, Info.HintData);
  const TRect Framework = Plain->CalcHintRect(300, Info.HintStr, nullptr);
  EXPECT_TRUE(EqualRect(&Ansi, &Framework));
  IsUnicodePlatform = true;

  // A packed hint shows up to its zero.
  Edit->SetHint(std::string("Zap\0isz|d", 9));
  THintInfo Packed = InfoFor(Edit);
  WideSubstituteHint(Packed);
  Hint->ActivateHintData(At, Packed.HintStr, Packed.HintData);
  EXPECT_EQ(WindowTextW(Hint->Handle()), L"Zap");
  Hint->ReleaseHandle();
}

TEST_F(UniFormsTest, HintShownByTheMouseOverAUnicodeWindow) {
  Application->SetHintPause(30);
  Application->SetHintHidePause(5000);
  auto* Edit = Make<TWideEdit>(40);
  Edit->SetShowHint(true);
  WideSetControlHint(Edit, L"Zapisz \u00F1|Zapisuje s\u0142ownik");
  Form->Show();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  const TPoint P = Edit->ClientToScreen(Point(20, 10));
  SetCursorPos(P.x, P.y);
  HWND HintWnd = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    HintWnd = FindWindowW(L"TUniHintWindow.UnicodeClass", nullptr);
    return HintWnd && IsWindowVisible(HintWnd);
  })) << "waiting for the hint window";
  EXPECT_EQ(WindowTextW(HintWnd), L"Zapisz \u00F1");
  UpdateWideAppHint();
  EXPECT_EQ(GetWideAppHint(), L"Zapisuje s\u0142ownik");
  Application->SetHintPause(500);
  Application->SetHintHidePause(2500);
}

TEST_F(UniFormsTest, RandomHintsThroughSubstitution) {
  std::mt19937 Random(2106);
  const char Bytes[] = {'\0', '|', 'a', 'Z', '\xB9', '\xF1', ' '};
  auto* Edit = Make<TWideEdit>();
  auto* Hint = Create<TUniHintWindow>(Form);
  for (int N = 0; N < 1000; ++N) {
    std::string H;
    const int Length = static_cast<int>(Random() % 12);
    for (int I = 0; I < Length; ++I) H += Bytes[Random() % sizeof Bytes];
    if (N % 2)
      Edit->SetHint(H);
    else
      WideSetControlHint(Edit, AnsiToWide(H) + L"\u0101");
    THintInfo Info = InfoFor(Edit);
    WideSubstituteHint(Info);
    const WideString Text = WideHintText(Info);
    EXPECT_EQ(WideToAnsi(Text), Info.HintStr);
    const TRect R = Hint->CalcHintRect(200, Info.HintStr, Info.HintData);
    EXPECT_GE(R.right, 6);
  }
}

TEST_F(UniFormsTest, WideApplicationHint) {
  SetWideAppHint(L"Zapisuje \u00F1");
  EXPECT_EQ(Application->Hint(), "Zapisuje n");
  EXPECT_EQ(GetWideAppHint(), L"Zapisuje \u00F1");
  Application->SetHint("inny");
  EXPECT_EQ(GetWideAppHint(), L"inny");
}

TEST_F(UniFormsTest, AcceleratorTest) {
  struct TCase {
    Word Code;
    const WideChar* Caption;
    bool Accel;
  };
  const TCase Cases[] = {
      {0xB9, L"&\u0104b", true},   {0x0104, L"&\u0104b", true}, {0xA5, L"&\u0105b", true},
      {'b', L"&\u0104b", false},   {'B', L"A&&B", false},       {'x', L"&X", true},
      {0x0101, L"Z&\u0100", true}, {'a', L"Z&\u0100", false},  {'a', L"", false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(WideToUTF8(C.Caption) + " " + std::to_string(C.Code));
    EXPECT_EQ(IsWideCharAccel(C.Code, C.Caption), C.Accel);
  }
}

TEST_F(UniFormsTest, PopupListSteps) {
  TPopupMenu* Popup = new TPopupMenu(Form);  // owned by the form
  auto* Item = new TUniMenuItem(Popup);
  Popup->Items()->Add(Item);
  Item->SetCaption(L"&Zapisz \u00F1");
  Item->SetHint(L"Zapisz|Zapisuje s\u0142ownik \u0101");
  UniPopupList->Add(Popup);
  HMENU Menu = Popup->Handle();
  SendMessageW(UniPopupList->Window(), WM_MENUSELECT, MAKEWPARAM(Item->Command(), MF_STRING), reinterpret_cast<LPARAM>(Menu));
  EXPECT_EQ(GetWideAppHint(), L"Zapisuje s\u0142ownik \u0101");
  SendMessageW(UniPopupList->Window(), WM_MENUSELECT, MAKEWPARAM(0xFFFF, 0xFFFF), 0);
  EXPECT_EQ(GetWideAppHint(), L"");

  // The entry text put back after the menu closed.
  MENUITEMINFOW Set{};
  Set.cbSize = sizeof(Set);
  Set.fMask = MIIM_STRING;
  Set.dwTypeData = const_cast<WideChar*>(L"obcy");
  ASSERT_TRUE(SetMenuItemInfoW(Menu, Item->Command(), FALSE, &Set));
  SendMessageW(UniPopupList->Window(), WM_EXITMENULOOP, TRUE, 0);
  WideChar Shown[64] = {};
  GetMenuStringW(Menu, Item->Command(), Shown, 64, MF_BYCOMMAND);
  EXPECT_EQ(WideString(Shown), L"&Zapisz \u00F1");
  Popup->Free();
  // The freed menu left the list.
  SendMessageW(UniPopupList->Window(), WM_EXITMENULOOP, TRUE, 0);
}
