#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Forms.h"
#include "Menus.h"
#include "SysUtils.h"
#include "TypInfo.h"

namespace {

std::vector<std::string> Log;
void Note(const std::string& S) { Log.push_back(S); }

// Steps run one per timer tick, also inside modal loops (a popup menu's).
std::vector<std::function<void()>> Steps;
size_t NextStep = 0;
UINT_PTR StepTimer = 0;

void CALLBACK RunStep(HWND, UINT, UINT_PTR Id, DWORD) {
  if (NextStep >= Steps.size()) {
    KillTimer(nullptr, Id);
    if (Id == StepTimer) StepTimer = 0;
    return;
  }
  Steps[NextStep++]();
}

void StartSteps(std::vector<std::function<void()>> List) {
  if (StepTimer) KillTimer(nullptr, StepTimer);
  Steps = std::move(List);
  NextStep = 0;
  StepTimer = SetTimer(nullptr, 0, 60, RunStep);
}

// Steps a failed test left go with it: they hold its locals.
[[maybe_unused]] const bool StepsCleared = AfterEachTest([] {
  if (StepTimer) KillTimer(nullptr, StepTimer);
  StepTimer = 0;
  Steps.clear();
  NextStep = 0;
});

// The open menu's window (a popup menu being tracked), or the focus.
void PostKey(WPARAM Key) {
  HWND Target = FindWindowA("#32768", nullptr);
  if (!Target) Target = GetFocus();
  PostMessageA(Target, WM_KEYDOWN, Key, 1);
  PostMessageA(Target, WM_KEYUP, Key, 0xC0000001);
}

AnsiString EntryText(HMENU Menu, int Position) {
  char Buffer[256] = {};
  const int N = GetMenuStringA(Menu, static_cast<UINT>(Position), Buffer, sizeof(Buffer), MF_BYPOSITION);
  return AnsiString(Buffer, static_cast<size_t>(std::max(N, 0)));
}

std::vector<AnsiString> EntryTexts(HMENU Menu) {
  std::vector<AnsiString> Texts;
  for (int I = 0; I < GetMenuItemCount(Menu); ++I) Texts.push_back(EntryText(Menu, I));
  return Texts;
}

UINT EntryState(HMENU Menu, int Position) { return GetMenuState(Menu, static_cast<UINT>(Position), MF_BYPOSITION); }

template <class T> struct TGuard {
  T*& Object;
  ~TGuard() { FreeAndNil(Object); }
};

}  // namespace

// ---- test components (plain names: the registry and layouts know them) ----

class TMenuForm : public TForm {
public:
  using TForm::TForm;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* Open1 = nullptr;
  TMenuItem* Recent1 = nullptr;
  TMenuItem* Recent2 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TMenuItem* Courses1 = nullptr;

  void ItemClick(TObject* Sender) {
    auto* Item = dynamic_cast<TMenuItem*>(Sender);
    Note("click " + Item->Name() + " tag=" + std::to_string(Item->Tag()) + " hint=" + Item->Hint());
  }
};

// A focusable control that can carry a popup menu.
class TMenuBox : public TCustomControl {
public:
  explicit TMenuBox(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(10, 10, 100, 60); }
};

class TMenuMain : public TForm {
public:
  using TForm::TForm;
};
TMenuMain* MainRef = nullptr;

// Handlers for items and actions made in code.
class TEvents : public TObject {
public:
  void Click(TObject* Sender) { Note("click " + dynamic_cast<TComponent*>(Sender)->Name()); }
  void Popup(TObject*) { Note("popup"); }
  void Execute(TObject* Sender) { Note("execute " + dynamic_cast<TComponent*>(Sender)->Name()); }
  void Update(TObject* Sender) {
    Note("update");
    if (DisableOnUpdate) dynamic_cast<TAction*>(Sender)->SetEnabled(false);
  }
  bool DisableOnUpdate = false;
};

namespace {

class TMenusEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeMenus();
    InitializeActnList();
    RegisterClass<TMenuBox, TCustomControl>();
    RegisterClass<TMenuMain, TForm>();
    RegisterClass<TMenuForm, TForm>()
        .Method("ItemClick", &TMenuForm::ItemClick)
        .Field("MainMenu1", &TMenuForm::MainMenu1)
        .Field("File1", &TMenuForm::File1)
        .Field("Open1", &TMenuForm::Open1)
        .Field("Recent1", &TMenuForm::Recent1)
        .Field("Recent2", &TMenuForm::Recent2)
        .Field("Exit1", &TMenuForm::Exit1)
        .Field("Courses1", &TMenuForm::Courses1);
    Application->CreateForm(MainRef);
    MainRef->SetFormStyle(fsMDIForm);
    MainRef->SetBounds(0, 0, 640, 480);
    MainRef->Show();
  }
  void TearDown() override {
    FinalizeForms();
    FinalizeMenus();
  }
};

[[maybe_unused]] const auto* const MenusEnvironment = ::testing::AddGlobalTestEnvironment(new TMenusEnvironment);

class MenuFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    Log.clear();
    Application->CreateForm(Form);
    Form->Show();
    PumpFor(50);
  }
  void TearDown() override { FreeAndNil(Form); }

  HMENU Bar() const { return GetMenu(Form->Handle()); }
  HMENU FileMenu() const { return GetSubMenu(Bar(), 0); }
  void Command(TMenuItem* Item) { SendMessageA(Form->Handle(), WM_COMMAND, MAKEWPARAM(Item->Command(), 0), 0); }

  TMenuForm* Form = nullptr;
};

}  // namespace

// ---- shortcuts ----------------------------------------------------------------

TEST(ShortCuts, TextsOfKeysAndShiftStates) {
  struct TCase {
    TShortCut ShortCut;
    const char* Text;
  };
  const TCase Cases[] = {
      {ShortCut('A', {ssCtrl}), "Ctrl+A"},
      {ShortCut(VK_F5, {ssShift}), "Shift+F5"},
      {ShortCut(VK_NUMPAD1, {ssAlt}), "Alt+Num 1"},
      {ShortCut(VK_DELETE, {ssCtrl, ssShift}), "Shift+Ctrl+Del"},
      {ShortCut('7', {ssCtrl, ssAlt}), "Ctrl+Alt+7"},
      {VK_BACK, "BkSp"},
      {VK_TAB, "Tab"},
      {VK_ESCAPE, "Esc"},
      {VK_RETURN, "Enter"},
      {VK_SPACE, "Space"},
      {VK_PRIOR, "PgUp"},
      {VK_NEXT, "PgDn"},
      {VK_HOME, "Home"},
      {VK_END, "End"},
      {VK_LEFT, "Left"},
      {VK_UP, "Up"},
      {VK_RIGHT, "Right"},
      {VK_DOWN, "Down"},
      {VK_INSERT, "Ins"},
      {VK_F12, "F12"},
      {VK_NUMPAD0, "Num 0"},
      {VK_NUMPAD9, "Num 9"},
  };
  EXPECT_EQ(ShortCut('A', {ssCtrl}), 16449);
  for (const TCase& C : Cases) {
    EXPECT_EQ(ShortCutToText(C.ShortCut), C.Text);
    EXPECT_EQ(TextToShortCut(C.Text), C.ShortCut) << C.Text;
  }
  Word Key = 0;
  TShiftState Shift;
  ShortCutToKey(ShortCut(VK_F5, {ssShift, ssCtrl}), Key, Shift);
  EXPECT_EQ(Key, VK_F5);
  EXPECT_TRUE(Shift == (TShiftState{ssShift, ssCtrl}));
}

TEST(ShortCuts, ParsingIsCaseInsensitiveAndRejectsUnknownKeys) {
  EXPECT_EQ(TextToShortCut("ctrl+shift+a"), ShortCut('A', {ssCtrl, ssShift}));
  EXPECT_EQ(TextToShortCut(""), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(ShortCut(0x141, {ssCtrl}), 0);
  EXPECT_EQ(ShortCutToText(0), "");
  // A key named by the system survives the round trip too.
  const AnsiString Caps = ShortCutToText(ShortCut(VK_CAPITAL, {ssCtrl}));
  ASSERT_FALSE(Caps.empty());
  EXPECT_EQ(TextToShortCut(Caps), ShortCut(VK_CAPITAL, {ssCtrl}));
}

TEST(ShortCuts, StripHotkeyKeepsDoubledAmpersands) {
  EXPECT_EQ(StripHotkey("&Plik"), "Plik");
  EXPECT_EQ(StripHotkey("Zapisz && wyjd&"), "Zapisz & wyjd");
}

// ---- the main menu from a layout -----------------------------------------------

TEST_F(MenuFormTest, LayoutMenuIsTheFormsBarWithoutHiddenItems) {
  ASSERT_NE(Form->MainMenu1, nullptr);
  ASSERT_NE(Bar(), nullptr);
  EXPECT_EQ(Bar(), Form->MainMenu1->Handle());
  EXPECT_EQ(EntryTexts(Bar()), (std::vector<AnsiString>{"&Plik", "Kursy j\xEAzykowe"}));
  EXPECT_EQ(FileMenu(), Form->File1->Handle());
  // Recent1 is hidden; the shortcut follows a tab; the separator has no text.
  EXPECT_EQ(EntryTexts(FileMenu()), (std::vector<AnsiString>{"&Otw\xF3rz...\tCtrl+O", "", "Drugi", "Zamknij"}));
  EXPECT_TRUE(EntryState(FileMenu(), 1) & MF_SEPARATOR);
  EXPECT_TRUE(EntryState(FileMenu(), 3) & MF_GRAYED);
  EXPECT_EQ(GetMenuItemID(FileMenu(), 0), Form->Open1->Command());
  // Items belong to the form, nested in their parents.
  EXPECT_EQ(Form->FindComponent("Recent2"), Form->Recent2);
  EXPECT_EQ(Form->Recent2->Parent(), Form->File1);
  EXPECT_EQ(Form->File1->Parent(), Form->MainMenu1->Items());
  EXPECT_EQ(Form->MainMenu1->Items()->Find("plik"), Form->File1);
}

TEST_F(MenuFormTest, CommandsReachTheSharedHandlerWithTheItemAsSender) {
  Command(Form->Open1);
  Command(Form->Recent2);
  Command(Form->Courses1);
  // A disabled item takes no click; an unknown id is left alone.
  Command(Form->Exit1);
  SendMessageA(Form->Handle(), WM_COMMAND, MAKEWPARAM(0xEFFF, 0), 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"click Open1 tag=0 hint=", "click Recent2 tag=2 hint=C:\\s\xB3owniki\\drugi.dic",
                                           "click Courses1 tag=0 hint="}));
}

TEST_F(MenuFormTest, ChangedItemsRefillTheirMenu) {
  Form->Recent1->SetVisible(true);
  EXPECT_EQ(EntryTexts(FileMenu()),
            (std::vector<AnsiString>{"&Otw\xF3rz...\tCtrl+O", "", "Pierwszy", "Drugi", "Zamknij"}));
  Command(Form->Recent1);
  EXPECT_EQ(Log, (std::vector<std::string>{"click Recent1 tag=1 hint=C:\\s\xB3owniki\\pierwszy.dic"}));

  Form->Recent2->SetCaption("Trzeci");
  Form->Recent2->SetChecked(true);
  Form->Exit1->SetEnabled(true);
  Form->Open1->SetShortCut(ShortCut(VK_F3, {}));
  EXPECT_EQ(EntryText(FileMenu(), 0), "&Otw\xF3rz...\tF3");
  EXPECT_EQ(EntryText(FileMenu(), 3), "Trzeci");
  EXPECT_TRUE(EntryState(FileMenu(), 3) & MF_CHECKED);
  EXPECT_FALSE(EntryState(FileMenu(), 4) & MF_GRAYED);

  Form->Recent1->SetVisible(false);
  Form->Courses1->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(FileMenu()), 4);
  EXPECT_EQ(EntryTexts(Bar()), std::vector<AnsiString>{"&Plik"});

  // An item that goes leaves its menu.
  Form->Recent2->Free();
  Form->Recent2 = nullptr;
  EXPECT_EQ(EntryTexts(FileMenu()), (std::vector<AnsiString>{"&Otw\xF3rz...\tF3", "", "Zamknij"}));
}

TEST_F(MenuFormTest, RadioItemsOfAGroupExcludeEachOther) {
  TMenuItem* Items[3];
  for (TMenuItem*& Item : Items) {
    Item = new TMenuItem(Form);
    Item->SetCaption("R");
    Item->SetRadioItem(true);
    Item->SetGroupIndex(1);
    Form->File1->Add(Item);
  }
  Items[2]->SetGroupIndex(2);
  Items[0]->SetChecked(true);
  Items[2]->SetChecked(true);
  Items[1]->SetChecked(true);
  EXPECT_FALSE(Items[0]->Checked());
  EXPECT_TRUE(Items[1]->Checked());
  EXPECT_TRUE(Items[2]->Checked());
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE | MIIM_STATE;
  GetMenuItemInfoA(FileMenu(), Items[1]->Command(), FALSE, &Info);
  EXPECT_TRUE(Info.fType & MFT_RADIOCHECK);
  EXPECT_TRUE(Info.fState & MFS_CHECKED);
}

TEST_F(MenuFormTest, HighlightedItemsLongHintBecomesTheApplicationHint) {
  Form->Recent2->SetHint("Drugi|C:\\drugi.dic");
  SendMessageA(Form->Handle(), WM_MENUSELECT, MAKEWPARAM(Form->Recent2->Command(), MF_STRING),
               reinterpret_cast<LPARAM>(FileMenu()));
  EXPECT_EQ(Application->Hint(), "C:\\drugi.dic");
  SendMessageA(Form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(Bar()));
  EXPECT_EQ(Application->Hint(), "");
  Form->File1->SetHint("Pliki");
  SendMessageA(Form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), reinterpret_cast<LPARAM>(Bar()));
  EXPECT_EQ(Application->Hint(), "Pliki");
  SendMessageA(Form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(Application->Hint(), "");
}

TEST_F(MenuFormTest, ShortCutsClickEnabledVisibleItems) {
  EXPECT_TRUE(Form->MainMenu1->IsShortCut('O', {ssCtrl}));
  EXPECT_FALSE(Form->MainMenu1->IsShortCut('O', {}));
  Form->Exit1->SetShortCut(ShortCut('Q', {ssCtrl}));
  EXPECT_FALSE(Form->MainMenu1->IsShortCut('Q', {ssCtrl}));
  Form->Exit1->SetEnabled(true);
  Form->File1->SetVisible(false);
  EXPECT_FALSE(Form->MainMenu1->IsShortCut('Q', {ssCtrl}));
  Form->File1->SetVisible(true);
  EXPECT_TRUE(Form->MainMenu1->IsShortCut('Q', {ssCtrl}));
  EXPECT_EQ(Log, (std::vector<std::string>{"click Open1 tag=0 hint=", "click Exit1 tag=0 hint="}));
}

TEST_F(MenuFormTest, ShortCutKeysTypedOnTheFormClickTheirItems) {
  BYTE Keys[256] = {};
  GetKeyboardState(Keys);
  Keys[VK_CONTROL] = 0x80;
  SetKeyboardState(Keys);
  PostMessageA(Form->Handle(), WM_KEYDOWN, 'O', 1);
  PumpFor(50);
  Keys[VK_CONTROL] = 0;
  SetKeyboardState(Keys);
  PostMessageA(Form->Handle(), WM_KEYDOWN, 'O', 1);
  Form->Exit1->SetEnabled(true);
  Form->Exit1->SetShortCut(ShortCut('X', {ssAlt}));
  PostMessageA(Form->Handle(), WM_SYSKEYDOWN, 'X', 0x20000001);
  PumpFor(50);
  EXPECT_EQ(Log, (std::vector<std::string>{"click Open1 tag=0 hint=", "click Exit1 tag=0 hint="}));
}

TEST_F(MenuFormTest, FreeingTheMenuTakesTheBarOffTheForm) {
  ASSERT_NE(Bar(), nullptr);
  Form->MainMenu1->Free();
  EXPECT_EQ(Form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(Form->Handle()), nullptr);
  // The items went with it, although the form owned them.
  EXPECT_EQ(Form->FindComponent("File1"), nullptr);
  EXPECT_EQ(Form->FindComponent("Open1"), nullptr);
}

// ---- item trees ------------------------------------------------------------------

TEST(MenuItems, TreeOperationsAndTheirErrors) {
  TOwned<TPopupMenu> Menu(new TPopupMenu(nullptr));
  TMenuItem* Root = Menu->Items();
  TMenuItem* A = new TMenuItem(Menu.get());
  TMenuItem* B = new TMenuItem(Menu.get());
  TMenuItem* C = new TMenuItem(Menu.get());
  A->SetCaption("&Alfa");
  B->SetCaption("Beta");
  C->SetCaption("Gamma");
  Root->Add(A);
  Root->Insert(0, B);
  A->Add(C);
  EXPECT_EQ(Root->IndexOf(B), 0);
  EXPECT_EQ(A->MenuIndex(), 1);
  EXPECT_EQ(C->GetParentMenu(), Menu.get());
  EXPECT_EQ(Root->Find("alfa"), A);
  EXPECT_EQ(Root->Find("Gamma"), nullptr);

  EXPECT_THROW(Root->Add(C), EMenuError);         // already has a parent
  EXPECT_THROW(Root->Insert(5, new TMenuItem(Menu.get())), EMenuError);
  Root->Remove(A);
  EXPECT_THROW(C->Add(A), EMenuError);            // A would contain itself
  EXPECT_THROW(Root->Remove(A), EMenuError);
  EXPECT_THROW(Root->Items(3), EMenuError);
  Root->Add(A);
  A->SetMenuIndex(0);
  EXPECT_EQ(Root->Items(0), A);

  // Delete takes out, Clear frees (with the sub-items).
  Root->Delete(1);
  EXPECT_EQ(B->Parent(), nullptr);
  Root->Add(B);
  HMENU Handle = Menu->Handle();
  EXPECT_EQ(GetMenuItemCount(Handle), 2);
  Root->Clear();
  EXPECT_EQ(Root->Count(), 0);
  EXPECT_EQ(GetMenuItemCount(Handle), 0);
  EXPECT_EQ(Menu->ComponentCount(), 2);  // the root and the item never inserted
}

TEST(MenuItems, CommandsAreUniqueAndFoundOnlyInTheirMenu) {
  TOwned<TPopupMenu> M1(new TPopupMenu(nullptr));
  TOwned<TPopupMenu> M2(new TPopupMenu(nullptr));
  TMenuItem* A = new TMenuItem(M1.get());
  TMenuItem* B = new TMenuItem(M2.get());
  M1->Items()->Add(A);
  M2->Items()->Add(B);
  EXPECT_NE(A->Command(), B->Command());
  EXPECT_EQ(M1->FindItem(A->Command()), A);
  EXPECT_EQ(M1->FindItem(B->Command()), nullptr);
  EXPECT_EQ(M2->FindItemByHandle(M2->Handle()), M2->Items());
}

// ---- MDI -----------------------------------------------------------------------

TEST(MdiMenus, AMaximisedChildsEntriesSurviveARefillOfTheBar) {
  TEvents Events;
  Log.clear();
  TMainMenu* Menu = new TMainMenu(MainRef);
  for (const char* Caption : {"Nauka", "Pomoc"}) {
    TMenuItem* Item = new TMenuItem(MainRef);
    Item->SetName(Caption);
    Item->SetCaption(Caption);
    Item->OnClick = TNotifyEvent(&Events, &TEvents::Click);
    Menu->Items()->Add(Item);
  }
  Menu->Items()->Items(1)->SetShortCut(ShortCut(VK_F7, {}));
  MainRef->SetMenu(Menu);
  TForm* Child = new TForm(MainRef);
  Child->SetFormStyle(fsMDIChild);
  Child->SetWindowState(wsMaximized);
  Child->AfterConstruction();
  PumpFor(100);
  HMENU Bar = GetMenu(MainRef->Handle());
  ASSERT_EQ(Bar, Menu->Handle());
  const int Extra = GetMenuItemCount(Bar) - 2;
  ASSERT_GT(Extra, 0) << "the MDI client added nothing for the maximised child";
  const std::vector<AnsiString> Before = EntryTexts(Bar);

  Menu->Items()->Items(1)->SetVisible(false);
  Menu->Items()->Items(1)->SetVisible(true);
  EXPECT_EQ(EntryTexts(Bar), Before);
  EXPECT_EQ(GetMenuItemCount(Bar), 2 + Extra);
  // The child's system menu is still the first entry.
  EXPECT_EQ(GetSubMenu(Bar, 0), GetSystemMenu(Child->Handle(), FALSE));
  // A key typed on the child is a shortcut of the frame's menu.
  PostMessageA(Child->Handle(), WM_KEYDOWN, VK_F7, 1);
  PumpFor(50);
  EXPECT_EQ(Log, std::vector<std::string>{"click Pomoc"});

  Child->Free();
  PumpFor(50);
  EXPECT_EQ(GetMenuItemCount(Bar), 2);
  Menu->Free();
  EXPECT_EQ(GetMenu(MainRef->Handle()), nullptr);
}

// ---- popup menus ----------------------------------------------------------------

TEST(PopupMenus, RightClickShowsTheControlsMenuAndClicksTheChosenItem) {
  Log.clear();
  TEvents Events;
  TForm* Form = nullptr;
  Application->CreateForm(Form);
  TGuard<TForm> Guard{Form};
  TMenuBox* Box = new TMenuBox(Form);
  Box->SetParent(Form);
  TPopupMenu* Menu = new TPopupMenu(Form);
  Menu->OnPopup = TNotifyEvent(&Events, &TEvents::Popup);
  for (const char* Name : {"Copy1", "Paste1"}) {
    TMenuItem* Item = new TMenuItem(Form);
    Item->SetName(Name);
    Item->SetCaption(Name);
    Item->SetHint(std::string(Name) + "|Hint of " + Name);
    Item->OnClick = TNotifyEvent(&Events, &TEvents::Click);
    Menu->Items()->Add(Item);
  }
  Box->SetPopupMenu(Menu);
  Form->Show();
  PumpFor(50);

  AnsiString HintWhileOpen;
  StartSteps({[] { PostKey(VK_DOWN); }, [] { PostKey(VK_DOWN); }, [&] { HintWhileOpen = Application->Hint(); },
              [] { PostKey(VK_RETURN); }});
  const TPoint P = Box->ClientToScreen(Point(5, 5));
  SendMessageA(Box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Box->Handle()), PointToLParam(P.x, P.y));
  EXPECT_EQ(Log, (std::vector<std::string>{"popup", "click Paste1"}));
  EXPECT_EQ(HintWhileOpen, "Hint of Paste1");
  EXPECT_EQ(Menu->PopupComponent(), Box);

  // Without AutoPopup the right click is the control's own.
  Log.clear();
  Menu->SetAutoPopup(false);
  SendMessageA(Box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Box->Handle()), PointToLParam(P.x, P.y));
  EXPECT_TRUE(Log.empty());
  Box->Free();
  EXPECT_EQ(Menu->PopupComponent(), nullptr);
}

TEST(PopupMenus, AMenuFreedWhileOpenIsNotTouchedAfterwards) {
  Log.clear();
  TEvents Events;
  TPopupMenu* Menu = new TPopupMenu(nullptr);
  TMenuItem* Item = new TMenuItem(Menu);
  Item->SetCaption("Jeden");
  Item->OnClick = TNotifyEvent(&Events, &TEvents::Click);
  Menu->Items()->Add(Item);
  StartSteps({[] { PostKey(VK_DOWN); }, [&] { Menu->Free(); }, [] { PostKey(VK_RETURN); }});
  Menu->Popup(100, 100);
  PumpFor(100);
  EXPECT_TRUE(Log.empty());
}

// ---- actions --------------------------------------------------------------------

TEST(Actions, AMenuItemShowsAndRunsItsAction) {
  Log.clear();
  TEvents Events;
  TOwned<TComponent> Owner(new TComponent(nullptr));
  TActionList* List = new TActionList(Owner.get());
  TAction* Action = new TAction(Owner.get());
  Action->SetName("Action1");
  Action->SetActionList(List);
  Action->SetCaption("&Zapisz");
  Action->SetShortCut(ShortCut('S', {ssCtrl}));
  Action->OnExecute = TNotifyEvent(&Events, &TEvents::Execute);
  Action->OnUpdate = TNotifyEvent(&Events, &TEvents::Update);
  EXPECT_EQ(List->ActionCount(), 1);
  EXPECT_EQ(Action->Index(), 0);

  TPopupMenu* Menu = new TPopupMenu(Owner.get());
  TMenuItem* Item = new TMenuItem(Owner.get());
  Menu->Items()->Add(Item);
  Item->SetAction(Action);
  EXPECT_EQ(Item->Caption(), "&Zapisz");
  EXPECT_EQ(EntryText(Menu->Handle(), 0), "&Zapisz\tCtrl+S");

  Action->SetCaption("Zapisz &jako");
  Action->SetEnabled(false);
  EXPECT_EQ(EntryText(Menu->Handle(), 0), "Zapisz &jako\tCtrl+S");
  EXPECT_TRUE(EntryState(Menu->Handle(), 0) & MF_GRAYED);

  Action->SetEnabled(true);
  Item->Click();
  EXPECT_EQ(Log, (std::vector<std::string>{"update", "execute Action1"}));
  // OnUpdate may refuse the run.
  Log.clear();
  Events.DisableOnUpdate = true;
  EXPECT_FALSE(Action->Execute());
  EXPECT_EQ(Log, std::vector<std::string>{"update"});
  EXPECT_FALSE(Item->Enabled());

  // The item outlives its action and keeps what it showed.
  Action->Free();
  EXPECT_EQ(Item->Action(), nullptr);
  EXPECT_EQ(Item->Caption(), "Zapisz &jako");
  EXPECT_EQ(List->ActionCount(), 0);
}
