// Control actions and their links in the framework, and the wide actions,
// links and hint action of the Unicode layer.
#include "GuiTestSupport.h"
#include "UniGuiTestSupport.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActnList.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "Framework.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "UniActnList.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniStdActns.h"
#include "UniSysUtils.h"
#include "UniSystem.h"

// An edit with a Unicode window that takes wide actions, as the layer's
// controls do.
class TWideEdit : public TEdit {
public:
  using TEdit::TEdit;

protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, L"EDIT"); }
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    UniActionChange(this, Sender, CheckDefaults);
    TEdit::ActionChange(Sender, CheckDefaults);
  }
  const TActionLinkClass* GetActionLinkClass() const override {
    return ChooseUniActionLinkClass(const_cast<TWideEdit*>(this), TEdit::GetActionLinkClass());
  }
};

// Counts what actions do and what the application window's hooks see.
class TActionLog : public TObject {
public:
  void Execute(TObject*) { ++Executed; }
  void Update(TObject*) { ++Updated; }
  bool Hook(TMessage& M) {
    if (M.Msg != CM_ACTIONEXECUTE) return false;
    auto* A = reinterpret_cast<TAction*>(M.LParam);
    Seen.push_back(A);
    if (auto* H = dynamic_cast<TUniHintAction*>(A)) WideHints.push_back(H->Hint());
    if (Take) M.Result = 1;
    return Take;
  }
  int Executed = 0, Updated = 0;
  bool Take = false;
  std::vector<TAction*> Seen;
  std::vector<WideString> WideHints;
};

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TUniGuiEnvironment);


// One idle step of the application: HandleMessage with an empty queue runs
// the idle work and waits; a thread timer ends the wait.
void RunIdleOnce() {
  Application->ProcessMessages();
  const UINT_PTR Timer = SetTimer(nullptr, 0, 30, nullptr);
  Application->HandleMessage();
  KillTimer(nullptr, Timer);
  Application->ProcessMessages();
}

class UniActionsTest : public ::testing::Test {
protected:
  void SetUp() override {
    IsUnicodePlatform = true;
    Application->SetHintShortCuts(true);
    Application->CreateForm(Form);
    Form->SetBounds(80, 80, 400, 300);
  }
  void TearDown() override {
    Application->UnhookMainWindow(TWindowHook(&Log, &TActionLog::Hook));
    Application->SetHintShortCuts(true);
    Application->CancelHint();
    FreeAndNil(Form);
  }
  template <class T> T* Make(int Top = 10) {
    T* C = new T(Form);  // owned by the form
    C->SetParent(Form);
    C->SetBounds(10, Top, 200, 24);
    return C;
  }

  TForm* Form = nullptr;
  TActionLog Log;
};

}  // namespace

// ---- the framework's control actions ------------------------------------------

TEST_F(UniActionsTest, ControlShowsAndRunsItsAction) {
  auto* Action = new TAction(Form);  // owned by the form
  Action->SetCaption("Zapisz");
  Action->SetHint("Zapisz|Zapisuje s\xB3ownik");
  Action->OnExecute = TNotifyEvent(&Log, &TActionLog::Execute);
  auto* Button = Make<TButton>();
  Button->SetAction(Action);
  EXPECT_EQ(Button->Action(), Action);
  EXPECT_EQ(Button->Caption(), "Zapisz");
  EXPECT_EQ(Button->Hint(), "Zapisz|Zapisuje s\xB3ownik");
  EXPECT_TRUE(Button->ActionLink()->IsCaptionLinked());
  Action->SetCaption("Zapisz jako");
  EXPECT_EQ(Button->Caption(), "Zapisz jako");
  Action->SetEnabled(false);
  EXPECT_FALSE(Button->Enabled());
  Action->SetEnabled(true);
  Button->Click();
  EXPECT_EQ(Log.Executed, 1);
  // Set while the control has its own caption: only the defaults follow.
  auto* Label = Make<TLabel>(40);
  Label->SetCaption("w\xB3" "asny");
  Label->SetAction(Action);
  EXPECT_EQ(Label->Caption(), "Zapisz jako");  // not loading: everything follows
  Action->Free();
  EXPECT_EQ(Button->Action(), nullptr);
  EXPECT_EQ(Button->Caption(), "Zapisz jako");
}

TEST_F(UniActionsTest, LinkClassesByControlKind) {
  struct TCase {
    TControl* Control;
    const TActionLinkClass* Framework;
    const TActionLinkClass* Wide;
  };
  auto* Menu = new TMenuItem(Form);  // owned by the form
  auto* Tools = Make<TToolBar>(100);
  auto* Tool = new TToolButton(Form);  // owned by the form
  Tool->SetParent(Tools);
  const TCase Cases[] = {
      {Make<TEdit>(10), &TWinControlActionLink::Class, &TUniWinControlActionLink::Class},
      {Make<TButton>(40), &TButtonActionLink::Class, &TUniButtonActionLink::Class},
      {Make<TLabel>(70), &TControlActionLink::Class, &TUniControlActionLink::Class},
      {Make<TSpeedButton>(130), &TSpeedButtonActionLink::Class, &TUniSpeedButtonActionLink::Class},
      {Tool, &TToolButtonActionLink::Class, &TUniToolButtonActionLink::Class},
  };
  auto* Action = new TAction(Form);  // owned by the form
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Framework->ClassName());
    C.Control->SetAction(Action);
    ASSERT_NE(C.Control->ActionLink(), nullptr);
    EXPECT_EQ(ChooseUniActionLinkClass(C.Control, C.Framework), C.Wide);
    EXPECT_TRUE(C.Wide->InheritsFrom(C.Framework));
    EXPECT_TRUE(C.Wide->InheritsFrom(&TActionLink::Class));
    EXPECT_FALSE(C.Framework->InheritsFrom(C.Wide));
  }
  EXPECT_EQ(ChooseUniActionLinkClass(Menu, &TMenuActionLink::Class), &TUniMenuActionLink::Class);
  // A wide class that does not derive from the class asked for.
  EXPECT_THROW(ChooseUniActionLinkClass(Cases[0].Control, &TControlActionLink::Class), EUniInternalError);
}

TEST_F(UniActionsTest, ExecuteOffersTheActionToTheApplicationWindowFirst) {
  auto* Action = new TAction(Form);  // owned by the form
  Action->OnExecute = TNotifyEvent(&Log, &TActionLog::Execute);
  Application->HookMainWindow(TWindowHook(&Log, &TActionLog::Hook));
  Log.Take = true;
  EXPECT_TRUE(Action->Execute());
  EXPECT_EQ(Log.Executed, 0);
  Log.Take = false;
  EXPECT_TRUE(Action->Execute());
  EXPECT_EQ(Log.Executed, 1);
  EXPECT_EQ(Log.Seen, (std::vector<TAction*>{Action, Action}));
}

TEST_F(UniActionsTest, IdleUpdatesTheActionsOfVisibleControls) {
  auto* Shown = new TAction(Form);   // owned by the form
  auto* Hidden = new TAction(Form);  // owned by the form
  TActionLog HiddenLog;
  Shown->OnUpdate = TNotifyEvent(&Log, &TActionLog::Update);
  Hidden->OnUpdate = TNotifyEvent(&HiddenLog, &TActionLog::Update);
  Make<TButton>(10)->SetAction(Shown);
  auto* Off = Make<TButton>(40);
  Off->SetAction(Hidden);
  Off->SetVisible(false);
  Form->Show();
  RunIdleOnce();
  EXPECT_GE(Log.Updated, 1);
  EXPECT_EQ(HiddenLog.Updated, 0);
}

TEST_F(UniActionsTest, HintShowsTheActionsShortCut) {
  auto* Action = new TAction(Form);  // owned by the form
  Action->SetHint("Zapisz|Zapisuje");
  Action->SetShortCut(scCtrl | 'S');
  auto* Button = Make<TButton>(40);
  Button->SetShowHint(true);
  Button->SetAction(Action);
  Form->Show();
  const TPoint P = Button->ClientToScreen(Point(5, 5));
  auto HintText = [&]() -> std::string {
    Application->CancelHint();
    SetCursorPos(P.x, P.y);
    PumpFor(30);
    Application->ActivateHint(P);
    HWND Wnd = FindWindowA("THintWindow", nullptr);
    char Buffer[128] = {};
    if (Wnd && IsWindowVisible(Wnd)) GetWindowTextA(Wnd, Buffer, 128);
    return Buffer;
  };
  EXPECT_EQ(HintText(), "Zapisz (" + ShortCutToText(scCtrl | 'S') + ")");
  Application->SetHintShortCuts(false);
  EXPECT_EQ(HintText(), "Zapisz");
  SetCursorPos(2, 2);
}

TEST_F(UniActionsTest, WideHintShowsTheWideShortCut) {
  auto* Action = new TUniAction(Form);  // owned by the form
  Action->SetHint(L"Zapisz \u00F1|Zapisuje");
  Action->SetShortCut(scCtrl | 'S');
  auto* Edit = Make<TWideEdit>(40);
  Edit->SetShowHint(true);
  Edit->SetAction(Action);
  Form->Show();
  const TPoint P = Edit->ClientToScreen(Point(5, 5));
  SetCursorPos(P.x, P.y);
  PumpFor(30);
  Application->ActivateHint(P);
  HWND Wnd = FindWindowW(L"TUniHintWindow.UnicodeClass", nullptr);
  ASSERT_TRUE(Wnd && IsWindowVisible(Wnd));
  EXPECT_EQ(WindowTextW(Wnd), L"Zapisz \u00F1 (" + WideShortCutToText(scCtrl | 'S') + L")");
  SetCursorPos(2, 2);
}

// ---- wide actions ---------------------------------------------------------------

TEST_F(UniActionsTest, WideActionKeepsItsCaptionBesideThe8BitOne) {
  auto* Action = new TUniAction(Form);  // owned by the form
  Action->SetCaption(L"Zapisz \u00F1");
  Action->SetHint(L"Zapisz|Zapisuje \u0101");
  EXPECT_EQ(Action->TAction::Caption(), "Zapisz n");
  EXPECT_EQ(Action->Caption(), L"Zapisz \u00F1");
  EXPECT_EQ(Action->TAction::Hint(), "Zapisz|Zapisuje a");
  EXPECT_EQ(WideGetActionHint(Action), L"Zapisz|Zapisuje \u0101");
  Action->TAction::SetCaption("inny");
  EXPECT_EQ(Action->Caption(), L"inny");
  // A plain action converts.
  auto* Plain = new TAction(Form);  // owned by the form
  Plain->SetCaption("za\xBF\xF3\xB3\xE6");
  EXPECT_EQ(WideGetActionCaption(Plain), L"za\u017C\u00F3\u0142\u0107");

  // Assign from an action and from a control.
  auto* Copy = new TUniAction(Form);  // owned by the form
  Action->SetCaption(L"\u0101\u00F1");
  Copy->Assign(Action);
  EXPECT_EQ(Copy->Caption(), L"\u0101\u00F1");
  EXPECT_EQ(Copy->Hint(), L"Zapisz|Zapisuje \u0101");
  auto* Edit = Make<TWideEdit>();
  WideSetControlText(Edit, L"z kontrolki \u0101");
  WideSetControlHint(Edit, L"podpowied\u017A \u00F1");
  Copy->Assign(Edit);
  EXPECT_EQ(Copy->Caption(), L"z kontrolki \u0101");
  EXPECT_EQ(Copy->Hint(), L"podpowied\u017A \u00F1");
  EXPECT_THROW(Copy->Assign(Edit->Font()), EConvertError);
}

TEST_F(UniActionsTest, LinkedUnicodeControlFollowsTheWideCaption) {
  auto* Action = new TUniAction(Form);  // owned by the form
  Action->SetCaption(L"a\u0101");
  Action->SetHint(L"Podpowied\u017A \u00F1");
  auto* Edit = Make<TWideEdit>();
  Edit->HandleNeeded();
  Edit->SetAction(Action);
  EXPECT_EQ(Edit->ActionLink()->ClassName(), "TUniWinControlActionLink");
  EXPECT_EQ(WindowTextW(Edit->Handle()), L"a\u0101");
  EXPECT_EQ(WideGetControlHint(Edit), L"Podpowied\u017A \u00F1");
  EXPECT_TRUE(Edit->ActionLink()->IsCaptionLinked());
  EXPECT_FALSE(IsWideCaptionStored(Edit));
  EXPECT_FALSE(IsWideHintStored(Edit));
  // The new caption has the same 8-bit form ("aa"): it still reaches the
  // client.
  Action->SetCaption(L"\u0101a");
  EXPECT_EQ(Action->TAction::Caption(), "aa");
  EXPECT_EQ(Action->Caption(), L"\u0101a");
  EXPECT_EQ(WindowTextW(Edit->Handle()), L"\u0101a");
  Action->SetHint(L"Nowa \u0101");
  EXPECT_EQ(WideGetControlHint(Edit), L"Nowa \u0101");
  // The client's own text: no longer linked.
  WideSetControlText(Edit, L"w\u0142asny");
  EXPECT_FALSE(Edit->ActionLink()->IsCaptionLinked());
  EXPECT_TRUE(IsWideCaptionStored(Edit));
}

TEST_F(UniActionsTest, WideMenuItemTakesTheWideAction) {
  TPopupMenu* Popup = new TPopupMenu(Form);  // owned by the form
  auto* Item = new TUniMenuItem(Popup);
  Popup->Items()->Add(Item);
  auto* Action = new TUniAction(Form);  // owned by the form
  Action->SetCaption(L"&Zapisz \u00F1");
  Item->SetAction(Action);
  EXPECT_EQ(Item->ActionLink()->ClassName(), "TUniMenuActionLink");
  EXPECT_EQ(Item->Caption(), L"&Zapisz \u00F1");
  EXPECT_FALSE(Item->IsCaptionStored());
  HMENU Menu = Popup->Handle();
  Action->SetCaption(L"Zapi&sz \u0101");
  WideChar Shown[64] = {};
  GetMenuStringW(Menu, Item->Command(), Shown, 64, MF_BYCOMMAND);
  EXPECT_EQ(WideString(Shown), L"Zapi&sz \u0101");
}

TEST_F(UniActionsTest, HintActionCarryingTheWideHintIsRunWide) {
  Application->HookMainWindow(TWindowHook(&Log, &TActionLog::Hook));
  SetWideAppHint(L"Zapisuje s\u0142ownik \u00F1");
  auto* Hint = new THintAction(Form);  // owned by the form
  Hint->SetHint(Application->Hint());
  EXPECT_TRUE(Hint->Execute());
  ASSERT_EQ(Log.WideHints.size(), 1u);
  EXPECT_EQ(Log.WideHints[0], L"Zapisuje s\u0142ownik \u00F1");
  // Another hint is the framework's business.
  Hint->SetHint("inna");
  EXPECT_FALSE(Hint->Execute());
  EXPECT_EQ(Log.WideHints.size(), 1u);
}

TEST_F(UniActionsTest, IdleControlFollowsTheMouse) {
  PostMessageA(Application->Handle(), WM_NULL, 0, 0);
  Application->ProcessMessages();
  ASSERT_NE(UniApplication->IdleControl, nullptr);
  EXPECT_EQ(UniApplication->IdleControl->Parent(), Application->MainForm());
  EXPECT_EQ(UniApplication->IdleControl->Width(), 0);
  EXPECT_EQ(UniApplication->IdleControl->Height(), 0);
  EXPECT_NE(dynamic_cast<TUniAction*>(UniApplication->IdleControl->Action()), nullptr);

  Application->MainForm()->SetBounds(60, 60, 300, 200);
  Application->MainForm()->Show();
  auto* Edit = new TWideEdit(Application->MainForm());  // owned by the main form
  Edit->SetParent(Application->MainForm());
  Edit->SetBounds(10, 10, 200, 24);
  WideSetControlHint(Edit, L"Kr\u00F3tka|D\u0142uga \u00F1");
  const TPoint P = Edit->ClientToScreen(Point(5, 5));
  SetCursorPos(P.x, P.y);
  RunIdleOnce();
  EXPECT_EQ(GetWideAppHint(), L"D\u0142uga \u00F1");
  Edit->Free();
  Application->MainForm()->Hide();
  SetCursorPos(2, 2);
}
