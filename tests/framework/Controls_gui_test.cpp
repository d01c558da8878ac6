// Controls on real windows: creation, alignment, painting, mouse, keys,
// focus, exceptions at the window procedure and lifetime.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Controls.h"
#include "Filer.h"
#include "Streams.h"
#include "TypInfo.h"
#include "UtilWindow.h"

namespace {

// The message loop's shape: the key step first, then translate and dispatch.
void Pump() {
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    if (IsKeyMsg(Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

template <class F> bool PumpUntil(F Done, DWORD TimeoutMs = 2000) {
  const DWORD Start = GetTickCount();
  for (;;) {
    Pump();
    if (Done()) return true;
    if (GetTickCount() - Start > TimeoutMs) return false;
    Sleep(5);
  }
}

// Lets messages that the system queues by itself (mouse moves after a
// SetCursorPos) arrive.
void Settle() {
  for (int I = 0; I < 10; ++I) {
    Sleep(10);
    Pump();
  }
}

void SetKeys(std::initializer_list<int> Down) {
  BYTE State[256] = {};
  for (int Key : Down) State[Key] = 0x80;
  SetKeyboardState(State);
}

std::string RectText(const TRect& R) {
  return std::to_string(R.left) + "," + std::to_string(R.top) + "," + std::to_string(R.right) + "," +
         std::to_string(R.bottom);
}

// A top-level host window (a plain pop-up) that logs what it is told.
class THost : public TWinControl {
public:
  explicit THost(TComponent* AOwner = nullptr) : TWinControl(AOwner) {
    FControlStyle << csAcceptsControls;
    SetColor(clWhite);
    SetBounds(100, 100, 300, 200);
  }
  std::vector<std::string>* Log = nullptr;
  bool Preview = false;
  bool PreviewsKeys() const override { return Preview; }

protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    if (Log) Log->push_back("host key " + std::to_string(Key));
    if (Key == VK_F6) Key = 0;
    TWinControl::KeyDown(Key, Shift);
  }
};

// A windowed child that paints itself and records what reaches its window's
// default handling.
class TBox : public TCustomControl {
public:
  explicit TBox(TComponent* AOwner) : TCustomControl(AOwner) { SetColor(clBlue); }
  std::vector<TMessage> Defaults;
  LRESULT DlgCode = 0;      // its answer to WM_GETDLGCODE, when not 0
  bool TakesReturn = false;  // answers the dialog key Enter (a default button)
  int Returns = 0;
  static int Destroyed;
  ~TBox() override { ++Destroyed; }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_GETDLGCODE && DlgCode) {
      Message.Result = DlgCode;
      return;
    }
    if (Message.Msg == CM_DIALOGKEY && TakesReturn && Message.WParam == VK_RETURN) {
      ++Returns;
      Message.Result = 1;
      return;
    }
    TCustomControl::WndProc(Message);
  }
  void DefaultHandler(void* Message) override {
    const TMessage& M = *static_cast<TMessage*>(Message);
    if (M.Msg == WM_KEYDOWN || M.Msg == WM_SYSKEYDOWN || M.Msg == WM_CHAR) Defaults.push_back(M);
    TCustomControl::DefaultHandler(Message);
  }
};
int TBox::Destroyed = 0;

// A windowless child painting a solid colour (deliberately past its bounds,
// so that the clipping shows).
class TSpot : public TGraphicControl {
public:
  explicit TSpot(TComponent* AOwner) : TGraphicControl(AOwner) {}
  TColor PaintColor = clRed;
  int Paints = 0;
  static int Destroyed;
  ~TSpot() override { ++Destroyed; }

protected:
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(PaintColor);
    Canvas()->FillRect(Rect(-50, -50, 200, 200));
  }
};
int TSpot::Destroyed = 0;

// Receives events of the controls under test and writes them down.
class TListener : public TObject {
public:
  std::vector<std::string> Log;
  int Clicks = 0;
  bool Throw = false;
  void Enter(TObject* Sender) { Log.push_back("enter " + static_cast<TComponent*>(Sender)->Name()); }
  void Leave(TObject* Sender) { Log.push_back("leave " + static_cast<TComponent*>(Sender)->Name()); }
  void Click(TObject*) {
    ++Clicks;
    if (Throw) throw Exception("boom " + std::to_string(Clicks));
  }
  void FocusIn(TObject* Sender) { Log.push_back("in " + static_cast<TComponent*>(Sender)->Name()); }
  void FocusOut(TObject* Sender) { Log.push_back("out " + static_cast<TComponent*>(Sender)->Name()); }
  Word LastKey = 0;
  TShiftState LastShift;
  void KeyDown(TObject*, Word& Key, TShiftState Shift) {
    LastKey = Key;
    LastShift = Shift;
    Log.push_back("key " + std::to_string(Key));
    if (Key == VK_F5) Key = 0;
  }
  TPoint PopupAt{};
  bool HandlePopup = false;
  void ContextPopup(TObject*, TPoint MousePos, bool& Handled) {
    PopupAt = MousePos;
    Handled = HandlePopup;
  }
  void KeyPress(TObject*, char& Key) {
    if (Key == 'x') Key = 'y';
    if (Key == '#') Key = '\0';
  }
};

class ControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The cursor stays where an earlier test or program left it: over the
    // host, the host's first real mouse move would come before a test's own.
    SetCursorPos(0, 0);
    Settle();
    Host.reset(Create<THost>());
    SetKeys({});
  }
  void TearDown() override {
    Host.reset();
    SetKeys({});
    Pump();
  }
  // Puts the real cursor there too, so that the system's own mouse
  // tracking agrees with the messages sent.
  void MouseMove(int X, int Y, WPARAM Keys = 0) {
    SetCursorPos(Host->Left() + X, Host->Top() + Y);
    SendMessageA(Host->Handle(), WM_MOUSEMOVE, Keys, PointToLParam(X, Y));
  }
  void Mouse(UINT Msg, int X, int Y, WPARAM Keys = 0) {
    SendMessageA(Host->Handle(), Msg, Keys, PointToLParam(X, Y));
  }
  TSpot* AddSpot(const char* Name, int L, int T, int W, int H) {
    auto* S = new TSpot(Host.get());
    S->SetName(Name);
    S->SetBounds(L, T, W, H);
    S->SetParent(Host.get());
    return S;
  }
  TBox* AddBox(TWinControl* Parent, const char* Name, int L, int T) {
    auto* B = new TBox(Host.get());
    B->SetName(Name);
    B->SetBounds(L, T, 40, 20);
    B->SetTabStop(true);
    B->SetParent(Parent);
    return B;
  }

  TOwned<THost> Host;
  TListener Events;
};

// --- creation ---

class TCreationSpy : public TWinControl {
public:
  TCreationSpy() : TWinControl(nullptr) { SetBounds(10, 10, 120, 80); }
  std::vector<std::string> Seen;
  void WndProc(TMessage& Message) override {
    const char* Name = Message.Msg == WM_NCCREATE ? "NCCREATE"
                       : Message.Msg == WM_CREATE ? "CREATE"
                       : Message.Msg == WM_SIZE   ? "SIZE"
                                                  : nullptr;
    if (Name) {
      // Inside CreateWindowExA: the window is already bound to this object.
      const bool Bound = HandleAllocated() && FindControl(FHandle) == this && CreationControl() == this;
      Seen.push_back(std::string(Name) + (Bound ? "" : " unbound"));
    }
    TWinControl::WndProc(Message);
  }
};

TEST_F(ControlsTest, MessagesSentDuringCreateWindowReachTheObject) {
  TOwned<TCreationSpy> Spy(Create<TCreationSpy>());
  Spy->HandleNeeded();
  ASSERT_GE(Spy->Seen.size(), 3u);
  EXPECT_EQ(Spy->Seen[0], "NCCREATE");
  EXPECT_EQ(Spy->Seen[1], "CREATE");
  EXPECT_NE(std::find(Spy->Seen.begin(), Spy->Seen.end(), "SIZE"), Spy->Seen.end());
  for (const std::string& S : Spy->Seen) EXPECT_EQ(S.find("unbound"), std::string::npos) << S;
  EXPECT_EQ(CreationControl(), nullptr);
  EXPECT_FALSE(Spy->Showing());  // a window made on demand is not shown
  RECT R;
  GetWindowRect(Spy->Handle(), &R);
  EXPECT_EQ(RectText(R), "10,10,130,90");
}

// A system button under our own class: its default procedure is the
// system's, its notifications come back reflected, its text survives a new
// window.
class TSysButton : public TWinControl {
public:
  explicit TSysButton(TComponent* AOwner) : TWinControl(AOwner) {}
  int Commands = 0;
  bool CommandFromWindow = false;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == BN_CLICKED) {
      ++Commands;
      CommandFromWindow = IsWindowMessage(Message);
    }
    TWinControl::WndProc(Message);
  }

protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    Params.Style |= BS_PUSHBUTTON;
  }
};

TEST_F(ControlsTest, SuperclassedSystemControlKeepsTextAndGetsReflectedNotifications) {
  auto* Button = new TSysButton(Host.get());
  Button->SetBounds(10, 10, 80, 24);
  Button->SetCaption("Za\xBF\xF3\xB3\xE6");  // set before any window exists (code page 1250)
  Button->SetParent(Host.get());
  Host->Show();
  ASSERT_TRUE(Button->HandleAllocated());
  char Text[32] = {};
  GetWindowTextA(Button->Handle(), Text, sizeof Text);
  EXPECT_STREQ(Text, "Za\xBF\xF3\xB3\xE6");
  EXPECT_NE(Button->DefWndProc(), nullptr);

  // The parent answers a child's colour question with the child's colours.
  Button->SetColor(clYellow);
  Button->Font()->SetColor(clNavy);
  HDC DC = GetDC(Button->Handle());
  const LRESULT Brush = SendMessageA(Host->Handle(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(DC),
                                     reinterpret_cast<LPARAM>(Button->Handle()));
  EXPECT_NE(Brush, 0);
  EXPECT_EQ(GetTextColor(DC), RGB(0, 0, 128));
  EXPECT_EQ(GetBkColor(DC), RGB(255, 255, 0));
  ReleaseDC(Button->Handle(), DC);

  SendMessageA(Button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Button->Commands, 1);
  EXPECT_FALSE(Button->CommandFromWindow);  // reflected through Perform, not the window procedure

  HWND Old = Button->Handle();
  Button->SetCaption("Nowy");
  Button->RecreateWnd();
  EXPECT_NE(Button->Handle(), Old);
  EXPECT_FALSE(IsWindow(Old));
  EXPECT_EQ(Button->Caption(), "Nowy");
  EXPECT_TRUE(IsWindowVisible(Button->Handle()));
}

// A control whose window is a Unicode one, made by its own
// CreateWindowHandle (the way the Unicode layer does it).
class TWideBox : public TWinControl {
public:
  explicit TWideBox(TComponent* AOwner) : TWinControl(AOwner) {}
  int Creates = 0;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_CREATE) ++Creates;
    TWinControl::WndProc(Message);
  }

protected:
  void CreateWindowHandle(const TCreateParams& Params) override {
    WNDCLASSW Class{};
    Class.style = Params.WindowClass.style;
    Class.lpfnWndProc = InitWndProc;
    Class.hInstance = Params.WindowClass.hInstance;
    Class.hCursor = Params.WindowClass.hCursor;
    Class.lpszClassName = L"TWideBox";
    WNDCLASSW Existing;
    if (!GetClassInfoW(Class.hInstance, Class.lpszClassName, &Existing)) RegisterClassW(&Class);
    CreateWindowExW(Params.ExStyle, Class.lpszClassName, AnsiToWide(Params.Caption).c_str(), Params.Style, Params.X,
                    Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr, Class.hInstance, Params.Param);
  }
};

TEST_F(ControlsTest, UnicodeWindowFromAnOverrideIsBoundAndKeepsEightBitTextSafe) {
  auto* Box = new TWideBox(Host.get());
  Box->SetBounds(10, 10, 80, 20);
  Box->SetCaption("Za\xBF");  // "Zaż" in code page 1250
  Box->SetParent(Host.get());
  Host->Show();
  ASSERT_TRUE(Box->HandleAllocated());
  EXPECT_TRUE(IsWindowUnicode(Box->Handle()));
  EXPECT_EQ(Box->Creates, 1);
  wchar_t Wide[16] = {};
  GetWindowTextW(Box->Handle(), Wide, 16);
  EXPECT_STREQ(Wide, L"Za\u017C");

  SetWindowTextW(Box->Handle(), L"\u0105\u0119!");
  EXPECT_EQ(Box->Caption(), "\xB9\xEA!");
  EXPECT_EQ(Box->GetTextLen(), 3);
  char Small[3] = {'x', 'x', 'x'};
  EXPECT_EQ(Box->GetTextBuf(Small, 3), 2);  // cut to the buffer, never past it
  EXPECT_EQ(std::string(Small, 3), std::string("\xB9\xEA\0", 3));
}

// --- alignment ---

TEST_F(ControlsTest, ChildrenAreAlignedAndAnchoredAndFollowTheParent) {
  auto Make = [&](const char* Name, TAlign Align, int L, int T, int W, int H, TAnchors Anchors = {akLeft, akTop}) {
    auto* B = new TBox(Host.get());
    B->SetName(Name);
    B->SetBounds(L, T, W, H);
    B->SetAlign(Align);
    B->SetAnchors(Anchors);
    B->SetParent(Host.get());
    return B;
  };
  TBox* Top = Make("Top", alTop, 0, 0, 10, 20);
  TBox* Bottom = Make("Bottom", alBottom, 0, 0, 10, 30);
  TBox* Left = Make("Left", alLeft, 0, 0, 40, 10);
  TBox* Client = Make("Client", alClient, 0, 0, 10, 10);
  TBox* Corner = Make("Corner", alNone, 250, 150, 20, 20, {akRight, akBottom});
  TBox* Stretch = Make("Stretch", alNone, 100, 50, 100, 10, {akLeft, akTop, akRight});
  Host->Show();

  struct Expect {
    TControl* Control;
    const char* Bounds;
  };
  auto Check = [](const char* Step, std::initializer_list<Expect> List) {
    for (const Expect& E : List) EXPECT_EQ(RectText(E.Control->BoundsRect()), E.Bounds) << Step << " " << E.Control->Name();
  };
  Check("shown", {{Top, "0,0,300,20"},
                  {Bottom, "0,170,300,200"},
                  {Left, "0,20,40,170"},
                  {Client, "40,20,300,170"},
                  {Corner, "250,150,270,170"},
                  {Stretch, "100,50,200,60"}});
  // The windows are where the objects say.
  RECT R;
  GetWindowRect(Client->Handle(), &R);
  MapWindowPoints(HWND_DESKTOP, Host->Handle(), reinterpret_cast<POINT*>(&R), 2);
  EXPECT_EQ(RectText(R), "40,20,300,170");

  Host->SetBounds(100, 100, 400, 300);
  Check("resized", {{Top, "0,0,400,20"},
                    {Bottom, "0,270,400,300"},
                    {Left, "0,20,40,270"},
                    {Client, "40,20,400,270"},
                    {Corner, "350,250,370,270"},
                    {Stretch, "100,50,300,60"}});

  Top->Hide();
  Check("top hidden", {{Left, "0,0,40,270"}, {Client, "40,0,400,270"}});
  Bottom->SetHeight(50);
  Check("bottom taller", {{Bottom, "0,250,400,300"}, {Client, "40,0,400,250"}});
}

TEST_F(ControlsTest, BorderWidthAndBevelsReserveRoomAroundTheClientArea) {
  struct Case {
    int BorderWidth;
    TBevelKind Kind;
    TBevelCut Inner, Outer;
    TBevelEdges Edges;
    int BevelWidth;
    const char* Client;  // size of the client area of a 100 x 60 control
  };
  const TBevelEdges All{beLeft, beTop, beRight, beBottom};
  const Case Cases[] = {
      {0, bkNone, bvRaised, bvLowered, All, 1, "100x60"},
      {5, bkNone, bvRaised, bvLowered, All, 1, "90x50"},
      {0, bkSoft, bvRaised, bvLowered, All, 1, "96x56"},
      {0, bkFlat, bvNone, bvRaised, {beLeft, beTop}, 3, "97x57"},
      {2, bkTile, bvSpace, bvNone, {beBottom}, 2, "96x54"},
  };
  Host->Show();
  for (const Case& C : Cases) {
    auto* Box = new TBox(Host.get());
    Box->SetBounds(0, 0, 100, 60);
    Box->SetBorderWidth(C.BorderWidth);
    Box->SetBevelKind(C.Kind);
    Box->SetBevelInner(C.Inner);
    Box->SetBevelOuter(C.Outer);
    Box->SetBevelEdges(C.Edges);
    Box->SetBevelWidth(C.BevelWidth);
    auto Size = [&] { return std::to_string(Box->ClientWidth()) + "x" + std::to_string(Box->ClientHeight()); };
    EXPECT_EQ(Size(), C.Client) << "without a window, case " << C.Client;
    Box->SetParent(Host.get());
    ASSERT_TRUE(Box->HandleAllocated());
    EXPECT_EQ(Size(), C.Client) << "with its window";
    Box->SetBorderWidth(C.BorderWidth + 1);  // the frame follows a change
    const int W = std::stoi(C.Client), H = std::stoi(std::string(C.Client).substr(std::string(C.Client).find('x') + 1));
    EXPECT_EQ(Size(), std::to_string(W - 2) + "x" + std::to_string(H - 2));
    Box->Free();
  }
}

// --- painting ---

TEST_F(ControlsTest, WindowlessChildIsPaintedByItsParentClippedToItself) {
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  Host->Show();
  Pump();

  // Into a DC of our own.
  HDC Screen = GetDC(nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HBITMAP Bmp = CreateCompatibleBitmap(Screen, 300, 200);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ Old = SelectObject(DC, Bmp);
  Host->PaintTo(DC, 0, 0);
  EXPECT_EQ(GetPixel(DC, 15, 15), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(DC, 5, 5), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(DC, 35, 35), RGB(255, 255, 255));
  SelectObject(DC, Old);
  DeleteObject(Bmp);
  DeleteDC(DC);

  // On the window itself, through WM_PAINT.
  Spot->PaintColor = clLime;
  const int Before = Spot->Paints;
  Spot->Repaint();
  EXPECT_GT(Spot->Paints, Before);
  HDC WindowDC = GetDC(Host->Handle());
  EXPECT_EQ(GetPixel(WindowDC, 15, 15), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(WindowDC, 35, 15), RGB(255, 255, 255));
  ReleaseDC(Host->Handle(), WindowDC);

  // A hidden one is not painted.
  Spot->Hide();
  const int Hidden = Spot->Paints;
  Host->Repaint();
  EXPECT_EQ(Spot->Paints, Hidden);
}

// --- mouse ---

TEST_F(ControlsTest, MouseEnterAndLeaveReachAWindowlessControlAlsoWhenDraggedOut) {
  Host->SetName("Host");
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  for (TControl* C : {static_cast<TControl*>(Host.get()), static_cast<TControl*>(Spot)}) {
    C->OnMouseEnter = TNotifyEvent(&Events, &TListener::Enter);
    C->OnMouseLeave = TNotifyEvent(&Events, &TListener::Leave);
  }
  Spot->OnClick = TNotifyEvent(&Events, &TListener::Click);
  Host->Show();
  Pump();
  Events.Log.clear();

  MouseMove(100, 100);
  MouseMove(15, 15);
  MouseMove(100, 100);
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"enter Host", "leave Host", "enter Spot", "leave Spot", "enter Host"}));

  // Pressed on the spot and dragged out of the window with the button held.
  Events.Log.clear();
  MouseMove(15, 15);
  Mouse(WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), Host->Handle());
  MouseMove(-60, -60, MK_LBUTTON);
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"leave Host", "enter Spot", "leave Spot"}));
  Mouse(WM_LBUTTONUP, -60, -60);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Events.Clicks, 0);

  // The cursor leaving the window (seen by the system) ends the hover too.
  MouseMove(15, 15);
  Settle();  // the system's own mouse messages for the moves so far
  ASSERT_FALSE(Events.Log.empty());
  ASSERT_EQ(Events.Log.back(), "enter Spot");
  Events.Log.clear();
  SetCursorPos(20, 20);
  EXPECT_TRUE(PumpUntil([&] { return !Events.Log.empty(); }));
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"leave Spot"}));
}

TEST_F(ControlsTest, ClickOnAWindowlessControlNeedsPressAndReleaseInside) {
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  Spot->OnClick = TNotifyEvent(&Events, &TListener::Click);
  Host->Show();
  struct Case {
    POINT Down, Up;
    int Clicks;
  };
  const Case Cases[] = {
      {{15, 15}, {20, 25}, 1},   // inside, inside
      {{15, 15}, {50, 50}, 0},   // released outside
      {{50, 50}, {15, 15}, 0},   // pressed outside
      {{10, 10}, {29, 29}, 1},   // the edges belong to it
  };
  for (const Case& C : Cases) {
    Events.Clicks = 0;
    Mouse(WM_LBUTTONDOWN, C.Down.x, C.Down.y, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, C.Up.x, C.Up.y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, C.Up.x, C.Up.y);
    EXPECT_EQ(Events.Clicks, C.Clicks) << C.Down.x << "," << C.Down.y << " -> " << C.Up.x << "," << C.Up.y;
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

// --- exceptions at the window procedure ---

std::vector<std::string> HookedMessages;
void RecordException() { HookedMessages.push_back(CurrentExceptionMessage()); }

TEST_F(ControlsTest, ExceptionFromAHandlerReachesTheHookAndTheNextClickStillWorks) {
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  Spot->OnClick = TNotifyEvent(&Events, &TListener::Click);
  Events.Throw = true;
  Host->Show();
  HookedMessages.clear();
  void (*Saved)() = HandleCallbackException;
  HandleCallbackException = RecordException;
  for (int I = 0; I < 2; ++I) {
    Mouse(WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 15, 15);
  }
  HandleCallbackException = Saved;
  EXPECT_EQ(Events.Clicks, 2);
  EXPECT_EQ(HookedMessages, (std::vector<std::string>{"boom 1", "boom 2"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

// --- keys and focus ---

TEST_F(ControlsTest, KeysReachTheFocusedControlWithShiftStateAndClearedKeysStop) {
  Host->Log = &Events.Log;
  TBox* Box = AddBox(Host.get(), "Box", 10, 10);
  Box->OnKeyDown = TKeyEvent(&Events, &TListener::KeyDown);
  Box->OnKeyPress = TKeyPressEvent(&Events, &TListener::KeyPress);
  Host->Show();
  Box->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return Box->Focused(); }));
  auto Post = [&](UINT Msg, WPARAM Key, LPARAM Data = 1) {
    Box->Defaults.clear();
    PostMessageA(Box->Handle(), Msg, Key, Data);
    Pump();
  };
  auto DefaultSaw = [&](UINT Msg, WPARAM Key) {
    for (const TMessage& M : Box->Defaults)
      if (M.Msg == Msg && M.WParam == Key) return true;
    return false;
  };

  SetKeys({VK_SHIFT, VK_CONTROL});
  Post(WM_KEYDOWN, 'A');
  EXPECT_EQ(Events.LastKey, 'A');
  EXPECT_EQ(Events.LastShift, (TShiftState{ssShift, ssCtrl}));
  EXPECT_TRUE(DefaultSaw(WM_KEYDOWN, 'A'));

  SetKeys({});
  Post(WM_SYSKEYDOWN, 'B', 1 | 0x20000000);  // Alt held
  EXPECT_EQ(Events.LastShift, (TShiftState{ssAlt}));
  EXPECT_TRUE(DefaultSaw(WM_SYSKEYDOWN, 'B'));

  Post(WM_KEYDOWN, VK_F5);  // cleared by the handler
  EXPECT_EQ(Events.LastKey, VK_F5);
  EXPECT_FALSE(DefaultSaw(WM_KEYDOWN, VK_F5));
  EXPECT_FALSE(DefaultSaw(WM_KEYDOWN, 0));

  Post(WM_CHAR, 'x');  // changed by the handler
  EXPECT_TRUE(DefaultSaw(WM_CHAR, 'y'));
  Post(WM_CHAR, '#');  // dropped by the handler
  EXPECT_TRUE(Box->Defaults.empty());

  // With the preview on, the top-level container sees the key first and
  // may stop it.
  Host->Preview = true;
  Events.Log.clear();
  Post(WM_KEYDOWN, VK_F6);
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"host key " + std::to_string(VK_F6)}));
  EXPECT_FALSE(DefaultSaw(WM_KEYDOWN, VK_F6));
  Events.Log.clear();
  Post(WM_KEYDOWN, 'C');
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"host key 67", "key 67"}));
}

TEST_F(ControlsTest, TabMovesTheFocusInTabOrderThroughNestedContainers) {
  TBox* A = AddBox(Host.get(), "A", 10, 10);
  auto* Panel = new TBox(Host.get());
  Panel->SetName("Panel");
  Panel->SetBounds(10, 40, 100, 50);
  Panel->SetParent(Host.get());  // a container without a tab stop
  TBox* B = AddBox(Panel, "B", 5, 5);
  TBox* C = AddBox(Host.get(), "C", 10, 100);
  TBox* Off = AddBox(Host.get(), "Off", 60, 100);
  Off->SetEnabled(false);
  C->SetTabOrder(0);
  for (TBox* W : {A, B, C, Panel}) {
    W->OnEnter = TNotifyEvent(&Events, &TListener::FocusIn);
    W->OnExit = TNotifyEvent(&Events, &TListener::FocusOut);
  }
  Host->Show();
  C->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return C->Focused(); }));
  EXPECT_EQ(Host->FocusedControl(), C);
  Events.Log.clear();

  auto Tab = [&] {
    HWND Focus = GetFocus();
    PostMessageA(Focus, WM_KEYDOWN, VK_TAB, 1);
    Pump();
    return FindControl(GetFocus());
  };
  EXPECT_EQ(Tab(), A);
  EXPECT_EQ(Tab(), B);
  EXPECT_EQ(Tab(), C);
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"out C", "in A", "out A", "in Panel", "in B", "out B", "out Panel", "in C"}));
  SetKeys({VK_SHIFT});
  EXPECT_EQ(Tab(), B);
  SetKeys({});
  // Tab never reached the controls' own key handling.
  for (TBox* Box : {A, B, C})
    for (const TMessage& M : Box->Defaults) EXPECT_NE(M.WParam, static_cast<WPARAM>(VK_TAB)) << Box->Name();
}

TEST_F(ControlsTest, DialogKeysGoToTheContainerUnlessTheControlWantsThem) {
  TBox* Plain = AddBox(Host.get(), "Plain", 10, 10);
  TBox* Wants = AddBox(Host.get(), "Wants", 10, 40);
  Wants->DlgCode = DLGC_WANTTAB;
  TBox* Default = AddBox(Host.get(), "Default", 10, 70);
  Default->TakesReturn = true;
  Host->Show();
  auto Press = [](TBox* Box, WPARAM Key) {
    Box->SetFocus();
    EXPECT_TRUE(PumpUntil([&] { return Box->Focused(); }));
    Box->Defaults.clear();
    PostMessageA(Box->Handle(), WM_KEYDOWN, Key, 1);
    Pump();
    for (const TMessage& M : Box->Defaults)
      if (M.Msg == WM_KEYDOWN && M.WParam == Key) return true;
    return false;
  };
  EXPECT_FALSE(Press(Plain, VK_RETURN));  // taken by the default button
  EXPECT_EQ(Default->Returns, 1);
  EXPECT_TRUE(Press(Plain, VK_ESCAPE));  // nobody takes it: the control gets it
  EXPECT_TRUE(Press(Wants, VK_TAB));     // the control wants Tab: the focus stays
  EXPECT_TRUE(Wants->Focused());
  EXPECT_FALSE(Press(Plain, VK_TAB));
  EXPECT_TRUE(Wants->Focused());
}

// --- context menu ---

std::vector<std::string> Popups;
bool RecordPopup(TComponent* Menu, TControl* Control, const TPoint& Pos) {
  Popups.push_back(Menu->Name() + " for " + Control->Name() + " at " + std::to_string(Pos.x) + "," + std::to_string(Pos.y));
  return true;
}

TEST_F(ControlsTest, ContextMenuGoesToTheWindowlessControlAndItsPopupMenu) {
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  Spot->OnContextPopup = TContextPopupEvent(&Events, &TListener::ContextPopup);
  TOwned<TComponent> Menu(Create<TComponent>(nullptr));
  Menu->SetName("Menu");
  Spot->SetPopupMenu(Menu.get());
  Host->Show();
  Popups.clear();
  TPopupMenuHandler Saved = PopupMenuHandler;
  PopupMenuHandler = RecordPopup;
  auto RightClick = [&] {
    const TPoint At = Host->ClientToScreen(Point(15, 16));
    SendMessageA(Host->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Host->Handle()), MAKELPARAM(At.x, At.y));
  };
  RightClick();
  EXPECT_EQ(Events.PopupAt.x, 5);
  EXPECT_EQ(Events.PopupAt.y, 6);
  const TPoint At = Host->ClientToScreen(Point(15, 16));
  EXPECT_EQ(Popups, (std::vector<std::string>{"Menu for Spot at " + std::to_string(At.x) + "," + std::to_string(At.y)}));

  Events.HandlePopup = true;  // the handler keeps the menu from showing
  RightClick();
  EXPECT_EQ(Popups.size(), 1u);
  PopupMenuHandler = Saved;

  Menu.reset();  // the control lets go of a menu that is freed
  EXPECT_EQ(Spot->PopupMenu(), nullptr);
}

// --- lifetime ---

TEST_F(ControlsTest, FreeingAParentFreesItsChildrenAndDestroysTheirWindows) {
  TBox::Destroyed = TSpot::Destroyed = 0;
  // Children without an owner: the parent is the one that frees them.
  auto* Panel = new TBox(nullptr);
  Panel->SetBounds(0, 0, 100, 100);
  Panel->SetParent(Host.get());
  auto* Inner = new TBox(nullptr);
  Inner->SetParent(Panel);
  Inner->SetBounds(50, 50, 20, 20);
  auto* Spot = new TSpot(nullptr);
  Spot->SetBounds(10, 10, 20, 20);
  Spot->SetParent(Panel);
  Host->Show();
  HWND PanelWnd = Panel->Handle(), InnerWnd = Inner->Handle(), HostWnd = Host->Handle();
  ASSERT_TRUE(IsWindow(InnerWnd));
  SendMessageA(PanelWnd, WM_MOUSEMOVE, 0, PointToLParam(15, 15));  // the mouse is over the spot

  // A child freed on its own leaves its parent, and the mouse forgets it.
  Spot->Free();
  EXPECT_EQ(Panel->ControlCount(), 1);
  EXPECT_EQ(TSpot::Destroyed, 1);
  SendMessageA(PanelWnd, WM_MOUSEMOVE, 0, PointToLParam(5, 5));

  Host.reset();
  EXPECT_EQ(TBox::Destroyed, 2);
  EXPECT_FALSE(IsWindow(PanelWnd));
  EXPECT_FALSE(IsWindow(InnerWnd));
  EXPECT_FALSE(IsWindow(HostWnd));
  EXPECT_EQ(FindControl(PanelWnd), nullptr);
  Pump();  // nothing queued for the freed objects may reach them
}

// --- message routing ---

class TSpy : public TObject {
public:
  explicit TSpy(TControl* Control) : FControl(Control), FOld(Control->WindowProc) {
    Control->WindowProc = TWndMethod(this, &TSpy::Proc);
  }
  ~TSpy() override { FControl->WindowProc = FOld; }
  std::vector<UINT> Seen;
  void Proc(TMessage& Message) {
    Seen.push_back(Message.Msg);
    FOld(Message);
  }

private:
  TControl* FControl;
  TWndMethod FOld;
};

TEST_F(ControlsTest, PerformAndRoutedMouseMessagesPassThroughAReplacedWindowProc) {
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  Spot->OnClick = TNotifyEvent(&Events, &TListener::Click);
  Host->Show();
  TOwned<TSpy> Spy(new TSpy(Spot));
  auto Saw = [&](UINT Msg) { return std::find(Spy->Seen.begin(), Spy->Seen.end(), Msg) != Spy->Seen.end(); };

  Spot->SetCaption("abc");
  EXPECT_TRUE(Saw(WM_SETTEXT));
  EXPECT_TRUE(Saw(CM_TEXTCHANGED));
  EXPECT_EQ(Spot->Caption(), "abc");  // the control's own handling still ran
  Spy->Seen.clear();
  Spot->SetCaption("abc");  // unchanged: nothing is sent
  EXPECT_FALSE(Saw(CM_TEXTCHANGED));

  Mouse(WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 15, 15);
  EXPECT_TRUE(Saw(WM_LBUTTONDOWN));
  EXPECT_TRUE(Saw(WM_LBUTTONUP));
  EXPECT_EQ(Events.Clicks, 1);
}

// --- cursors ---

TCursor Hourglass() { return crHourGlass; }

TEST_F(ControlsTest, CursorOfTheControlUnderTheMouseAndTheScreenCursorWins) {
  TSpot* Spot = AddSpot("Spot", 10, 10, 20, 20);
  Spot->SetCursor(crHandPoint);
  Host->SetCursor(crIBeam);
  Host->Show();
  auto CursorAt = [&](int X, int Y) {
    SetCursorPos(Host->Left() + X, Host->Top() + Y);
    SendMessageA(Host->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Host->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  EXPECT_EQ(CursorAt(15, 15), LoadCursorA(nullptr, IDC_HAND));
  EXPECT_EQ(CursorAt(100, 100), LoadCursorA(nullptr, IDC_IBEAM));
  TCursor (*Saved)() = GetScreenCursor;
  GetScreenCursor = Hourglass;
  EXPECT_EQ(CursorAt(15, 15), LoadCursorA(nullptr, IDC_WAIT));
  GetScreenCursor = Saved;
}

// --- layouts ---

TEST_F(ControlsTest, LayoutSetsPublishedPropertiesParentsAndTabOrder) {
  RegisterClass<TBox, TCustomControl>("TBox");
  TStringStream Layout(
      "object Host: THost\n"
      "  ClientWidth = 320\n"
      "  ClientHeight = 240\n"
      "  object Header: TBox\n"
      "    Height = 25\n"
      "    Align = alTop\n"
      "    Caption = 'Header'\n"
      "  end\n"
      "  object Second: TBox\n"
      "    Left = 10\n"
      "    Top = 40\n"
      "    Width = 100\n"
      "    Height = 20\n"
      "    TabStop = True\n"
      "    TabOrder = 1\n"
      "  end\n"
      "  object First: TBox\n"
      "    Left = 10\n"
      "    Top = 70\n"
      "    Width = 100\n"
      "    Height = 20\n"
      "    Anchors = [akLeft, akTop, akRight]\n"
      "    Constraints.MinWidth = 50\n"
      "    Hint = 'short|long'\n"
      "    ShowHint = True\n"
      "    TabStop = True\n"
      "    TabOrder = 0\n"
      "  end\n"
      "end\n");
  ReadComponentLayout(&Layout, Host.get());
  auto* Header = dynamic_cast<TBox*>(Host->FindComponent("Header"));
  auto* First = dynamic_cast<TBox*>(Host->FindComponent("First"));
  auto* Second = dynamic_cast<TBox*>(Host->FindComponent("Second"));
  ASSERT_TRUE(Header && First && Second);
  EXPECT_EQ(Header->Parent(), Host.get());
  EXPECT_EQ(RectText(Header->BoundsRect()), "0,0,320,25");
  EXPECT_EQ(Header->Caption(), "Header");
  EXPECT_EQ(First->TabOrder(), 0);
  EXPECT_EQ(Second->TabOrder(), 1);
  EXPECT_EQ(First->Hint(), "short|long");
  EXPECT_TRUE(First->ShowHint());
  EXPECT_EQ(First->Constraints()->MinWidth(), 50);
  Host->SetWidth(420);
  EXPECT_EQ(RectText(First->BoundsRect()), "10,70,210,90");
  Host->SetWidth(100);
  EXPECT_EQ(First->Width(), 50);  // anchored, but held by its constraint
}

// --- hints ---

TEST(ControlsHints, ShortAndLongHintSplitAtTheFirstBarBeforeAnyZeroByte) {
  using namespace std::string_literals;
  struct Case {
    AnsiString Hint, Short, Long;
  };
  const Case Cases[] = {
      {"", "", ""},
      {"tylko", "tylko", "tylko"},
      {"krótka|długa", "krótka", "długa"},
      {"a|b|c", "a", "b|c"},
      {"|opis", "", "opis"},
      {"a|b\0c"s, "a", "b\0c"s},
      // A bar after the zero byte is part of packed UTF-16 ("\u017C" is 7C 01).
      {"\xBF\0\x7C\x01\0\0\xFE\xFF"s, "\xBF\0\x7C\x01\0\0\xFE\xFF"s, "\xBF\0\x7C\x01\0\0\xFE\xFF"s},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(GetShortHint(C.Hint), C.Short);
    EXPECT_EQ(GetLongHint(C.Hint), C.Long);
  }
  TOwned<TSpot> Spot(Create<TSpot>(nullptr));
  Spot->SetHint("\xBF\0packed"s);
  EXPECT_EQ(Spot->Hint().size(), 8u);
}

}  // namespace
