#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Forms.h"
#include "IniFiles.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "UtilWindow.h"

namespace {

std::vector<std::string> Log;
void Note(const std::string& S) { Log.push_back(S); }

// Handles the application's messages until Done() holds or the time is up.
void Click(HWND Wnd, int X = 5, int Y = 5) {
  PostMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(X, Y));
  PostMessageA(Wnd, WM_LBUTTONUP, 0, PointToLParam(X, Y));
}

// Frees a form at the end of a test unless it went already.
template <class T> struct TFormGuard {
  T*& Form;
  ~TFormGuard() { FreeAndNil(Form); }
};

}  // namespace

// ---- test components -------------------------------------------------------
//
// Outside the anonymous namespace: layouts and the class registry know them
// by their plain names.

// A focusable windowed control that notes the keys it gets.
class TTestBox : public TCustomControl {
public:
  explicit TTestBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetTabStop(true);
    SetControlStyle(ControlStyle() << csClickEvents << csCaptureMouse);
    SetBounds(0, 0, 60, 20);
  }

protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    Note(Name() + ".KeyDown " + std::to_string(Key));
    TCustomControl::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    Note(Name() + ".KeyPress " + std::string(1, Key));
    TCustomControl::KeyPress(Key);
  }
};

// A windowless control that can answer CM_HINTSHOW itself.
class TTestMark : public TGraphicControl {
public:
  explicit TTestMark(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 80, 40); }
  bool Refuse = false;
  AnsiString Replacement;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CM_HINTSHOW) {
      auto* Info = reinterpret_cast<THintInfo*>(Message.LParam);
      if (!Replacement.empty()) Info->HintStr = Replacement;
      Message.Result = Refuse ? 1 : 0;
      return;
    }
    TGraphicControl::WndProc(Message);
  }
};

// The main form of the test program: never closed before the last test.
class TTestMain : public TForm {
public:
  explicit TTestMain(TComponent* AOwner) : TForm(AOwner) { OnShow = TNotifyEvent(this, &TTestMain::FormShow); }
  void FormShow(TObject*) { Note("main show"); }
};
TTestMain* MainFormRef = nullptr;

// A form built from its layout (resource TTESTFORM).
class TTestForm;
TTestForm* TestFormRef = nullptr;

class TTestForm : public TForm {
public:
  explicit TTestForm(TComponent* AOwner) : TForm(AOwner), FField(42) {}
  TTestBox* Top1 = nullptr;
  TTestBox* Box1 = nullptr;
  TTestBox* Box2 = nullptr;
  int FField;

  void FormCreate(TObject*) {
    Note("create field=" + std::to_string(FField) + " box1=" + (Box1 ? "yes" : "no") +
         " ref=" + (TestFormRef == this ? "set" : "unset"));
  }
  void FormShow(TObject*) { Note("show"); }
  void FormKeyDown(TObject*, Word& Key, TShiftState) {
    Note("Form.KeyDown " + std::to_string(Key));
    if (Key == VK_F2) Key = 0;
  }
  void FormKeyPress(TObject*, char& Key) {
    Note("Form.KeyPress " + std::string(1, Key));
    if (Key == 'x') Key = '\0';
  }
};

// A form whose layout names a property that does not exist.
class TBadForm : public TForm {
public:
  using TForm::TForm;
};

void RegisterTestClasses() {
  RegisterClass<TTestBox, TCustomControl>();
  RegisterClass<TTestMark, TGraphicControl>();
  RegisterClass<TTestMain, TForm>();
  RegisterClass<TBadForm, TForm>();
  RegisterClass<TTestForm, TForm>()
      .Method("FormCreate", &TTestForm::FormCreate)
      .Method("FormShow", &TTestForm::FormShow)
      .Method("FormKeyDown", &TTestForm::FormKeyDown)
      .Method("FormKeyPress", &TTestForm::FormKeyPress)
      .Field("Top1", &TTestForm::Top1)
      .Field("Box1", &TTestForm::Box1)
      .Field("Box2", &TTestForm::Box2);
}

namespace {


class TFormsEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    RegisterTestClasses();
    Application->CreateForm(MainFormRef);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const FormsEnvironment = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment);

class FormsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Log.clear();
    Application->OnException = nullptr;
  }
};

// ---- construction and layouts ----------------------------------------------

TEST_F(FormsTest, LayoutBuildsTheFormAndOnCreateRunsBeforeOnShow) {
  Application->CreateForm(TestFormRef);
  TFormGuard<TTestForm> Guard{TestFormRef};
  ASSERT_NE(TestFormRef, nullptr);
  // OnCreate saw the constructor's field, the layout's children and the
  // program's reference to the form.
  EXPECT_EQ(Log, std::vector<std::string>{"create field=42 box1=yes ref=set"});
  EXPECT_NE(static_cast<TCustomForm*>(TestFormRef), Application->MainForm());
  EXPECT_FALSE(TestFormRef->Visible());

  ASSERT_NE(TestFormRef->Box1, nullptr);
  EXPECT_EQ(TestFormRef->Box1->Parent(), TestFormRef->Top1);
  EXPECT_EQ(TestFormRef->Caption(), "Okno testowe");

  TestFormRef->Show();
  PumpFor(100);
  EXPECT_EQ(Log, (std::vector<std::string>{"create field=42 box1=yes ref=set", "show"}));
  RECT Client;
  GetClientRect(TestFormRef->Handle(), &Client);
  EXPECT_EQ(Client.right, 300);
  EXPECT_EQ(Client.bottom, 200);
  EXPECT_EQ(TestFormRef->Top1->Width(), 300);
  char Text[64] = {};
  GetWindowTextA(TestFormRef->Handle(), Text, sizeof(Text));
  EXPECT_STREQ(Text, "Okno testowe");
  // The layout's ActiveControl has the focus once the form is up.
  EXPECT_EQ(GetFocus(), TestFormRef->Box2->Handle());
  EXPECT_EQ(Screen->ActiveControl(), TestFormRef->Box2);
  EXPECT_EQ(Screen->ActiveForm(), TestFormRef);
}

TEST_F(FormsTest, FailedLayoutLeavesNoFormBehind) {
  TBadForm* Bad = nullptr;
  const int Forms = Screen->FormCount();
  const int Components = Application->ComponentCount();
  try {
    Application->CreateForm(Bad);
    FAIL() << "the bad layout was accepted";
  } catch (const EReadError& E) {
    EXPECT_NE(E.Message().find("NoSuchProperty"), AnsiString::npos) << E.Message();
  }
  EXPECT_EQ(Bad, nullptr);
  EXPECT_EQ(Screen->FormCount(), Forms);
  EXPECT_EQ(Application->ComponentCount(), Components);
}

// Notes the order in which forms go.
class TOrderForm : public TForm {
public:
  explicit TOrderForm(TComponent* AOwner) : TForm(AOwner), FNumber(++Made) {
    OnDestroy = TNotifyEvent(this, &TOrderForm::FormDestroy);
  }
  void FormDestroy(TObject*) { Note("destroy " + std::to_string(FNumber) + " components=" + std::to_string(ComponentCount())); }
  static inline int Made = 0;

private:
  int FNumber;
};

TEST_F(FormsTest, ApplicationFreesItsFormsInReverseOrderOfCreation) {
  TOrderForm::Made = 0;
  TOwned<TApplication> App(new TApplication(nullptr));
  TOrderForm *A = nullptr, *B = nullptr, *C = nullptr;
  App->CreateForm(A);
  App->CreateForm(B);
  App->CreateForm(C);
  Create<TTestBox>(B);  // OnDestroy runs while the form's components exist
  EXPECT_EQ(App->MainForm(), A);
  App.reset();
  EXPECT_EQ(Log, (std::vector<std::string>{"destroy 3 components=0", "destroy 2 components=1", "destroy 1 components=0"}));
}

// ---- keys ------------------------------------------------------------------

TEST_F(FormsTest, KeyPreviewSeesKeysFirstAndClearedKeysStop) {
  Application->CreateForm(TestFormRef);
  TFormGuard<TTestForm> Guard{TestFormRef};
  TestFormRef->Show();
  PumpFor(50);
  const HWND Box = TestFormRef->Box2->Handle();
  struct TCase {
    UINT Msg;
    WPARAM Key;
    std::vector<std::string> Expected;
  };
  const TCase Cases[] = {
      {WM_KEYDOWN, VK_F2, {"Form.KeyDown 113"}},
      {WM_KEYDOWN, VK_F3, {"Form.KeyDown 114", "Box2.KeyDown 114"}},
      {WM_CHAR, 'x', {"Form.KeyPress x"}},
      {WM_CHAR, 'y', {"Form.KeyPress y", "Box2.KeyPress y"}},
  };
  for (const TCase& Case : Cases) {
    Log.clear();
    PostMessageA(Box, Case.Msg, Case.Key, 1);
    PumpFor(30);
    EXPECT_EQ(Log, Case.Expected) << "key " << Case.Key;
  }
}

// ---- modal forms -----------------------------------------------------------

const UINT WM_TEST_RESULT = WM_APP + 20;
const UINT WM_TEST_RELEASE = WM_APP + 21;

class TTestDialog : public TForm {
public:
  explicit TTestDialog(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    SetBounds(200, 200, 200, 120);
    OnCloseQuery = TCloseQueryEvent(this, &TTestDialog::FormCloseQuery);
    OnDestroy = TNotifyEvent(this, &TTestDialog::FormDestroy);
  }
  void FormDestroy(TObject*) { Note("dialog destroyed"); }
  int Refusals = 0;
  HWND Other = nullptr;
  bool VisibleWhenAsked = false;
  bool OtherDisabled = false;

  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_TEST_RESULT) {
      VisibleWhenAsked = IsWindowVisible(Handle());
      OtherDisabled = !IsWindowEnabled(Other);
      SetModalResult(static_cast<TModalResult>(Message.WParam));
      return;
    }
    if (Message.Msg == WM_TEST_RELEASE) {
      // The free is posted before the result: it arrives inside the loop.
      Release();
      PostMessageA(Handle(), WM_TEST_RESULT, mrOk, 0);
      return;
    }
    TForm::WndProc(Message);
  }
  void FormCloseQuery(TObject*, bool& CanClose) {
    Note("close query");
    if (Refusals > 0) {
      --Refusals;
      CanClose = false;
    }
  }
};

TEST_F(FormsTest, ShowModalReturnsTheModalResult) {
  TForm* Other = Create<TForm>(Application);
  TFormGuard<TForm> OtherGuard{Other};
  Other->SetBorderStyle(bsNone);
  Other->SetBounds(50, 50, 200, 100);
  Other->Show();
  PumpFor(30);
  struct TStep {
    UINT Msg;
    WPARAM WParam;
  };
  struct TCase {
    const char* Name;
    int Refusals;
    std::vector<TStep> Steps;
    int Expected;
    std::vector<std::string> Log;
  };
  const TCase Cases[] = {
      {"set by code", 0, {{WM_TEST_RESULT, mrOk}}, mrOk, {"close query"}},
      {"close box", 0, {{WM_SYSCOMMAND, SC_CLOSE}}, mrCancel, {"close query"}},
      {"WM_CLOSE", 0, {{WM_CLOSE, 0}}, mrCancel, {"close query"}},
      {"refused close keeps it open", 1, {{WM_SYSCOMMAND, SC_CLOSE}, {WM_TEST_RESULT, mrYes}}, mrYes,
       {"close query", "close query"}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Log.clear();
    TTestDialog* Dialog = Create<TTestDialog>(Application);
    TFormGuard<TTestDialog> Guard{Dialog};
    Dialog->Refusals = Case.Refusals;
    Dialog->Other = Other->Handle();
    for (const TStep& Step : Case.Steps) PostMessageA(Dialog->Handle(), Step.Msg, Step.WParam, 0);
    EXPECT_EQ(Dialog->ShowModal(), Case.Expected);
    EXPECT_EQ(Log, Case.Log);
    if (Case.Steps.back().Msg == WM_TEST_RESULT) {
      EXPECT_TRUE(Dialog->VisibleWhenAsked);
      EXPECT_TRUE(Dialog->OtherDisabled);
    }
    EXPECT_FALSE(IsWindowVisible(Dialog->Handle()));
    EXPECT_TRUE(IsWindowEnabled(Other->Handle()));
    EXPECT_FALSE(Dialog->FormState().Contains(fsModal));
  }
}

TEST_F(FormsTest, ReleaseInsideTheModalLoopFreesTheDialogAfterItReturns) {
  TTestDialog* Dialog = Create<TTestDialog>(Application);
  Dialog->Other = Application->Handle();
  PostMessageA(Dialog->Handle(), WM_TEST_RELEASE, 0, 0);
  EXPECT_EQ(Dialog->ShowModal(), mrOk);
  EXPECT_EQ(Log, std::vector<std::string>{"close query"});
  EXPECT_TRUE(PumpUntil([] { return !Log.empty() && Log.back() == "dialog destroyed"; }));
}

// ---- MDI ---------------------------------------------------------------------

class TTestFrame : public TForm {
public:
  explicit TTestFrame(TComponent* AOwner) : TForm(AOwner) {
    SetFormStyle(fsMDIForm);
    SetBorderStyle(bsNone);
    SetBounds(20, 20, 500, 400);
    Bar = Create<TTestBox>(this);
    Bar->SetParent(this);
    Bar->SetAlign(alTop);
    Bar->SetHeight(30);
  }
  TTestBox* Bar;
};

class TTestChild : public TForm {
public:
  explicit TTestChild(TComponent* AOwner) : TForm(AOwner) {
    SetFormStyle(fsMDIChild);
    SetBounds(10, 10, 200, 150);
    OnCreate = TNotifyEvent(this, &TTestChild::FormCreate);
    OnShow = TNotifyEvent(this, &TTestChild::FormShow);
    OnDestroy = TNotifyEvent(this, &TTestChild::FormDestroy);
  }
  void FreeOnClose() { OnClose = TCloseEvent(this, &TTestChild::FormClose); }
  void FormCreate(TObject*) { Note("child create"); }
  void FormShow(TObject*) { Note("child show"); }
  void FormClose(TObject*, TCloseAction& Action) { Action = caFree; }
  void FormDestroy(TObject*) { Note("child destroy"); }
};

TEST_F(FormsTest, MDIChildLivesInTheFrameAndClosesWithCaFree) {
  TTestFrame* Frame = Create<TTestFrame>(Application);
  TFormGuard<TTestFrame> FrameGuard{Frame};
  Frame->Show();
  PumpFor(30);
  ASSERT_NE(Frame->ClientHandle(), nullptr);
  // The client window fills what the top bar leaves.
  RECT Client;
  GetWindowRect(Frame->ClientHandle(), &Client);
  MapWindowPoints(HWND_DESKTOP, Frame->Handle(), reinterpret_cast<POINT*>(&Client), 2);
  EXPECT_EQ(Client.top, 30);
  EXPECT_EQ(Client.bottom, Frame->ClientHeight());

  TTestChild* Child = Create<TTestChild>(Application);
  Child->FreeOnClose();
  EXPECT_EQ(Log, (std::vector<std::string>{"child create", "child show"}));
  EXPECT_EQ(GetParent(Child->Handle()), Frame->ClientHandle());
  EXPECT_TRUE(IsWindowVisible(Child->Handle()));
  EXPECT_EQ(Frame->MDIChildCount(), 1);
  EXPECT_EQ(Frame->ActiveMDIChild(), Child);

  const HWND ChildWnd = Child->Handle();
  PostMessageA(ChildWnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([] { return !Log.empty() && Log.back() == "child destroy"; }));
  EXPECT_EQ(Frame->MDIChildCount(), 0);
  EXPECT_FALSE(IsWindow(ChildWnd));
  for (int I = 0; I < Screen->FormCount(); ++I) EXPECT_NE(Screen->Forms(I), static_cast<TCustomForm*>(Child));
}

// A windowless control filling its place with red.
class TRedFill : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;

protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  }
};

TEST_F(FormsTest, MDIClientBackgroundShowsTheFramesWindowlessControls) {
  struct TCase {
    bool WithFill;
    COLORREF Expected;
  };
  const TCase Cases[] = {{true, RGB(255, 0, 0)}, {false, GetSysColor(COLOR_APPWORKSPACE)}};
  for (const TCase& Case : Cases) {
    TTestFrame* Frame = Create<TTestFrame>(Application);
    TFormGuard<TTestFrame> Guard{Frame};
    if (Case.WithFill) {
      TRedFill* Fill = Create<TRedFill>(Frame);
      Fill->SetParent(Frame);
      Fill->SetAlign(alClient);
    }
    Frame->Show();
    PumpFor(30);
    HDC ScreenDC = GetDC(nullptr);
    HDC DC = CreateCompatibleDC(ScreenDC);
    HBITMAP Bitmap = CreateCompatibleBitmap(ScreenDC, 40, 40);
    ReleaseDC(nullptr, ScreenDC);
    HGDIOBJ Old = SelectObject(DC, Bitmap);
    SendMessageA(Frame->ClientHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    EXPECT_EQ(GetPixel(DC, 5, 5), Case.Expected) << (Case.WithFill ? "with" : "without") << " a windowless control";
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
}

TEST_F(FormsTest, MDIChildMinimisesOnCloseByDefault) {
  TTestFrame* Frame = Create<TTestFrame>(Application);
  TFormGuard<TTestFrame> FrameGuard{Frame};
  Frame->Show();
  TTestChild* Child = Create<TTestChild>(Application);
  TFormGuard<TTestChild> ChildGuard{Child};
  Child->Close();
  PumpFor(30);
  EXPECT_TRUE(IsIconic(Child->Handle()));
  EXPECT_EQ(Frame->MDIChildCount(), 1);
}

// ---- Release and exceptions --------------------------------------------------

class TReleaseForm : public TForm {
public:
  explicit TReleaseForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    SetBounds(100, 100, 200, 120);
    Button = Create<TTestBox>(this);
    Button->SetParent(this);
    Button->OnClick = TNotifyEvent(this, &TReleaseForm::ButtonClick);
    OnDestroy = TNotifyEvent(this, &TReleaseForm::FormDestroy);
  }
  TTestBox* Button;
  void ButtonClick(TObject*) {
    Release();
    // The form and its components are still there until the loop frees them.
    Button->SetCaption("still here");
    Note("clicked");
  }
  void FormDestroy(TObject*) { Note("destroyed"); }
};

TEST_F(FormsTest, ReleaseFromAChildHandlerFreesTheFormLater) {
  TReleaseForm* Form = Create<TReleaseForm>(Application);
  Form->Show();
  const HWND Wnd = Form->Handle();
  Click(Form->Button->Handle());
  ASSERT_TRUE(PumpUntil([] { return !Log.empty() && Log.back() == "destroyed"; }));
  EXPECT_EQ(Log, (std::vector<std::string>{"clicked", "destroyed"}));
  EXPECT_FALSE(IsWindow(Wnd));
}

// Records what reaches Application->OnException.
class TExceptionSpy : public TObject {
public:
  std::vector<std::string> Messages;
  void Handle(TObject*, Exception* E) { Messages.push_back(E->Message()); }
};

class TThrowForm : public TForm {
public:
  explicit TThrowForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    SetBounds(120, 120, 200, 120);
    Button = Create<TTestBox>(this);
    Button->SetParent(this);
    Button->OnClick = TNotifyEvent(this, &TThrowForm::ButtonClick);
  }
  TTestBox* Button;
  std::vector<std::function<void()>> Throws;
  int Clicks = 0;
  void ButtonClick(TObject*) {
    const size_t N = static_cast<size_t>(Clicks++);
    if (N < Throws.size()) Throws[N]();
  }
};

TEST_F(FormsTest, HandlerExceptionsAreReportedAndTheFormGoesOn) {
  TExceptionSpy Spy;
  Application->OnException = TExceptionEvent(&Spy, &TExceptionSpy::Handle);
  TThrowForm* Form = Create<TThrowForm>(Application);
  TFormGuard<TThrowForm> Guard{Form};
  Form->Show();
  Form->Throws = {
      [] { throw EConvertError("'abc' is not a valid integer value"); },
      [] { throw EAbort("silent"); },
      [] { throw std::runtime_error("runtime failure"); },
  };
  for (int I = 0; I < 4; ++I) Click(Form->Button->Handle());
  ASSERT_TRUE(PumpUntil([&] { return Form->Clicks == 4; }));
  EXPECT_EQ(Spy.Messages, (std::vector<std::string>{"'abc' is not a valid integer value", "runtime failure"}));
}

// Finds a message box of this thread, notes its caption and texts and
// presses its OK button.
class TBoxCloser : public TObject {
public:
  TBoxCloser() : FWnd(AllocateHWnd(TWndMethod(this, &TBoxCloser::WndProc))) { SetTimer(FWnd, 1, 50, nullptr); }
  ~TBoxCloser() override { DeallocateHWnd(FWnd); }
  std::string Caption;
  std::vector<std::string> Texts;

private:
  static BOOL CALLBACK FindBox(HWND Wnd, LPARAM Data) {
    char Class[32] = {};
    GetClassNameA(Wnd, Class, sizeof(Class));
    if (lstrcmpA(Class, "#32770") == 0 && IsWindowVisible(Wnd)) {
      *reinterpret_cast<HWND*>(Data) = Wnd;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK ReadText(HWND Wnd, LPARAM Data) {
    try {
      char Text[256] = {};
      GetWindowTextA(Wnd, Text, sizeof(Text));
      reinterpret_cast<std::vector<std::string>*>(Data)->push_back(Text);
      return TRUE;
    } catch (...) {
      return FALSE;
    }
  }
  void WndProc(TMessage& Message) {
    if (Message.Msg != WM_TIMER) {
      DefUtilWindowHandler(FWnd, Message);
      return;
    }
    HWND Box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&Box));
    if (!Box) return;
    char Text[256] = {};
    GetWindowTextA(Box, Text, sizeof(Text));
    Caption = Text;
    EnumChildWindows(Box, ReadText, reinterpret_cast<LPARAM>(&Texts));
    PostMessageA(Box, WM_COMMAND, IDOK, 0);
    KillTimer(FWnd, 1);
  }
  HWND FWnd;
};

TEST_F(FormsTest, WithoutAHandlerTheErrorBoxShowsTheMessage) {
  const AnsiString SavedTitle = Application->Title();
  Application->SetTitle("Tytul testu");
  TThrowForm* Form = Create<TThrowForm>(Application);
  TFormGuard<TThrowForm> Guard{Form};
  Form->Show();
  Form->Throws = {[] { throw EConvertError("Bad number"); }};
  TBoxCloser Closer;
  Click(Form->Button->Handle());
  EXPECT_TRUE(PumpUntil([&] { return Form->Clicks == 1 && !Closer.Caption.empty(); }));
  // The program goes on after the box.
  Click(Form->Button->Handle());
  EXPECT_TRUE(PumpUntil([&] { return Form->Clicks == 2; }));
  Application->SetTitle(SavedTitle);
  EXPECT_EQ(Closer.Caption, "Tytul testu");
  EXPECT_NE(std::find(Closer.Texts.begin(), Closer.Texts.end(), "Bad number"), Closer.Texts.end());
}

// ---- hints ---------------------------------------------------------------------

class THintForm : public TForm {
public:
  explicit THintForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    SetBounds(300, 300, 200, 120);
    Mark = Create<TTestMark>(this);
    Mark->SetParent(this);
    Mark->SetBounds(20, 20, 80, 40);
    Mark->SetHint("Zapisz|Zapisuje plik");
    Mark->SetShowHint(true);
  }
  TTestMark* Mark;
};

// Puts the mouse over a point of a control and tells its window.
void MoveMouseTo(TControl* Control, int X, int Y) {
  const TPoint P = Control->ClientToScreen(Point(X, Y));
  SetCursorPos(P.x, P.y);
  TWinControl* Wnd = Control->Parent();
  const TPoint C = Wnd->ScreenToClient(P);
  PostMessageA(Wnd->Handle(), WM_MOUSEMOVE, 0, PointToLParam(C.x, C.y));
}

TEST_F(FormsTest, HintShowsOverAWindowlessControlAfterThePause) {
  THintForm* Form = Create<THintForm>(Application);
  TFormGuard<THintForm> Guard{Form};
  Form->Show();
  PumpFor(50);
  const DWORD Start = GetTickCount();
  MoveMouseTo(Form->Mark, 10, 10);
  ASSERT_TRUE(PumpUntil([] { return VisibleHintWindow() != nullptr; }));
  EXPECT_GE(GetTickCount() - Start, static_cast<DWORD>(Application->HintPause() - 50));
  THintWindow* Hint = VisibleHintWindow();
  EXPECT_EQ(ClassInfoOf(Hint), ClassInfoOf<THintWindow>());
  EXPECT_EQ(Hint->Caption(), "Zapisz");
  EXPECT_EQ(Application->Hint(), "Zapisuje plik");
  RECT R;
  GetWindowRect(Hint->Handle(), &R);
  EXPECT_GT(R.top, Form->Mark->ClientToScreen(Point(10, 10)).y);

  // Leaving the control ends the hint; coming back brings it again, and a
  // click ends it.
  MoveMouseTo(Form->Mark, 150, 60);
  EXPECT_TRUE(PumpUntil([] { return VisibleHintWindow() == nullptr; }));
  EXPECT_EQ(Application->Hint(), "");
  MoveMouseTo(Form->Mark, 10, 10);
  ASSERT_TRUE(PumpUntil([] { return VisibleHintWindow() != nullptr; }));
  Click(Form->Handle(), 30, 30);
  EXPECT_TRUE(PumpUntil([] { return VisibleHintWindow() == nullptr; }));
}

TEST_F(FormsTest, TheControlMayChangeOrRefuseItsHint) {
  const int SavedPause = Application->HintPause();
  Application->SetHintPause(50);
  struct TCase {
    bool Refuse;
    const char* Replacement;
    const char* Shown;
  };
  const TCase Cases[] = {{false, "Inny tekst", "Inny tekst"}, {true, "", nullptr}};
  for (const TCase& Case : Cases) {
    THintForm* Form = Create<THintForm>(Application);
    TFormGuard<THintForm> Guard{Form};
    Form->Mark->Refuse = Case.Refuse;
    Form->Mark->Replacement = Case.Replacement;
    Form->Show();
    PumpFor(30);
    MoveMouseTo(Form->Mark, 12, 12);
    const bool Shown = PumpUntil([] { return VisibleHintWindow() != nullptr; }, Case.Shown ? 3000 : 600);
    EXPECT_EQ(Shown, Case.Shown != nullptr);
    if (Shown && Case.Shown) {
      EXPECT_EQ(VisibleHintWindow()->Caption(), Case.Shown);
    }
    Application->CancelHint();
  }
  Application->SetHintPause(SavedPause);
}

// ---- the application and the screen -------------------------------------------

class THookSpy : public TObject {
public:
  int Seen = 0;
  bool Hook(TMessage& Message) {
    if (Message.Msg != WM_APP + 7) return false;
    ++Seen;
    Message.Result = 99;
    return true;
  }
};

TEST_F(FormsTest, ApplicationWindowIsHiddenAndHooksSeeItsMessages) {
  const HWND Wnd = Application->Handle();
  EXPECT_FALSE(IsWindowVisible(Wnd));
  EXPECT_TRUE(GetWindowLongA(Wnd, GWL_STYLE) & WS_POPUP);
  const AnsiString SavedTitle = Application->Title();
  Application->SetTitle("Vardo");
  char Text[32] = {};
  GetWindowTextA(Wnd, Text, sizeof(Text));
  EXPECT_STREQ(Text, "Vardo");
  Application->SetTitle(SavedTitle);

  THookSpy Spy;
  const TWindowHook Hook(&Spy, &THookSpy::Hook);
  Application->HookMainWindow(Hook);
  EXPECT_EQ(SendMessageA(Wnd, WM_APP + 7, 0, 0), 99);
  Application->UnhookMainWindow(Hook);
  EXPECT_EQ(SendMessageA(Wnd, WM_APP + 7, 0, 0), 0);
  EXPECT_EQ(Spy.Seen, 1);
}

TEST_F(FormsTest, ScreenCursorOverridesTheControlsCursors) {
  TReleaseForm* Form = Create<TReleaseForm>(Application);
  TFormGuard<TReleaseForm> Guard{Form};
  Form->Button->SetCursor(crHandPoint);
  Form->Show();
  PumpFor(30);
  const HWND Button = Form->Button->Handle();
  auto CursorAfterSetCursor = [Button] {
    SendMessageA(Button, WM_SETCURSOR, reinterpret_cast<WPARAM>(Button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(CursorAfterSetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(CursorAfterSetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

// Runs last: the loop ends the application, which stays terminated.
TEST_F(FormsTest, RunShowsTheMainFormAndEndsWhenItCloses) {
  ASSERT_EQ(Application->MainForm(), MainFormRef);
  EXPECT_FALSE(MainFormRef->Visible());
  PostMessageA(MainFormRef->Handle(), WM_CLOSE, 0, 0);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Log, std::vector<std::string>{"main show"});
  EXPECT_EQ(Application->MainForm(), MainFormRef);
}

TEST_F(FormsTest, TheFrameworksErrorsReachTheUserInPolish) {
  TThrowForm* Form = Create<TThrowForm>(Application);
  TFormGuard<TThrowForm> Guard{Form};
  Form->Show();
  // A folder that does not exist: nothing is made there.
  const AnsiString Missing = "Z:\\no\\such\\folder\\";
  Form->Throws = {
      [Missing] { TFileStream File(Missing + "slownik.dic", fmCreate); },
      [] { StrToInt("abc"); },
      [Missing] { TIniFile(Missing + "dict.cfg").WriteString("global", "LastUser", "Ala"); },
  };
  const wchar_t* const Expected[] = {
      L"Nie można utworzyć pliku Z:\\no\\such\\folder\\slownik.dic",
      L"„abc” nie jest prawidłową liczbą całkowitą",
      L"Nie można zapisać pliku Z:\\no\\such\\folder\\dict.cfg",
  };
  for (int I = 0; I < 3; ++I) {
    SCOPED_TRACE(I);
    TBoxCloser Closer;
    Click(Form->Button->Handle());
    ASSERT_TRUE(PumpUntil([&] { return Form->Clicks == I + 1 && !Closer.Caption.empty(); })) << "no error box came";
    const std::string Text = WideToAnsi(Expected[I]);
    EXPECT_NE(std::find(Closer.Texts.begin(), Closer.Texts.end(), Text), Closer.Texts.end()) << Text;
  }
}

}  // namespace
