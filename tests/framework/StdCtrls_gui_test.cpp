// Standard controls on real windows: layouts, buttons and dialog keys,
// check boxes, edits, memos, list boxes, combo boxes and labels.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {

void PostClick(HWND Wnd, int X, int Y) {
  PostMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(X, Y));
  PostMessageA(Wnd, WM_LBUTTONUP, 0, PointToLParam(X, Y));
}

void PostKey(HWND Wnd, WORD Key) {
  PostMessageA(Wnd, WM_KEYDOWN, Key, 1);
  PostMessageA(Wnd, WM_KEYUP, Key, static_cast<LPARAM>(0xC0000001));
}

LONG StyleOf(TWinControl* C) { return GetWindowLongA(C->Handle(), GWL_STYLE); }

// "Zażółć gęślą jaźń" in code page 1250.
const char* const Polish = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";

COLORREF RGBOf(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

// Moves the real mouse over a point of a control and lets the system's
// mouse messages arrive.
void MoveMouse(TControl* Control, int X, int Y) {
  const TPoint P = Control->ClientToScreen(Point(X, Y));
  SetCursorPos(P.x, P.y);
  for (int I = 0; I < 10; ++I) {
    Sleep(10);
    Application->ProcessMessages();
  }
}

// The form run modally by RunModal, ended by the watchdog when nothing else
// ends it.
TCustomForm* GModalForm = nullptr;
void CALLBACK EndModal(HWND, UINT, UINT_PTR, DWORD) {
  if (GModalForm) GModalForm->SetModalResult(mrAbort);
}

}  // namespace

// ---- test classes (outside the anonymous namespace: the class registry and
// layouts know them by their plain names) ------------------------------------

// Notes the events of the controls it listens to.
class TRecorder : public TObject {
public:
  std::vector<std::string> Log;
  static std::string NameOf(TObject* Sender) {
    auto* C = dynamic_cast<TComponent*>(Sender);
    return C ? C->Name() : std::string("?");
  }
  void Clicked(TObject* Sender) { Log.push_back(NameOf(Sender) + " click"); }
  void DoubleClicked(TObject* Sender) { Log.push_back(NameOf(Sender) + " dblclick"); }
  void Changed(TObject* Sender) { Log.push_back(NameOf(Sender) + " change"); }
  void Entered(TObject* Sender) { Log.push_back(NameOf(Sender) + " enter"); }
  void Left(TObject* Sender) { Log.push_back(NameOf(Sender) + " leave"); }
  void Drawn(TWinControl* Control, int Index, const TRect&, TOwnerDrawState State) {
    Log.push_back(NameOf(Control) + " draw " + std::to_string(Index) + (State.Contains(odSelected) ? " selected" : ""));
  }
};

// A form whose handlers a layout binds by name.
class TLayoutForm : public TForm {
public:
  using TForm::TForm;
  int Clicks = 0;
  int Changes = 0;
  void OkClick(TObject*) { ++Clicks; }
  void NameChange(TObject*) { ++Changes; }
};

// A memo whose key step a subclass takes over.
class TDigitsMemo : public TMemo {
public:
  using TMemo::TMemo;

protected:
  void KeyPress(char& Key) override {
    if (Key != '\b' && (Key < '0' || Key > '9')) Key = '\0';
    TMemo::KeyPress(Key);
  }
};

namespace {

class TStdEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    RegisterClass<TLayoutForm, TForm>()
        .Method("OkClick", &TLayoutForm::OkClick)
        .Method("NameChange", &TLayoutForm::NameChange);
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    SetCursorPos(2, 2);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const StdEnvironment = ::testing::AddGlobalTestEnvironment(new TStdEnvironment);

class StdCtrlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = nullptr;
    Application->CreateForm(Form);
    Form->SetBounds(60, 60, 440, 340);
  }
  void TearDown() override { FreeAndNil(Form); }

  template <class T> T* Make(int X, int Y, int W, int H, const char* Name) {
    T* C = Create<T>(Form);
    C->SetName(Name);
    C->SetText(AnsiString());  // a control named in code shows its name
    C->SetBounds(X, Y, W, H);
    C->SetParent(Form);
    return C;
  }
  void ShowForm() {
    Form->Show();
    PumpFor(50);
  }
  // Runs the form modally; Post queues what the "user" does once it runs.
  int RunModal(const std::function<void()>& Post) {
    Post();
    GModalForm = Form;
    const UINT_PTR Watchdog = SetTimer(nullptr, 0, 3000, EndModal);
    const int Result = Form->ShowModal();
    KillTimer(nullptr, Watchdog);
    GModalForm = nullptr;
    return Result;
  }

  TForm* Form = nullptr;
  TRecorder Rec;
};

// ---- layouts ----------------------------------------------------------------

TEST_F(StdCtrlsTest, LayoutBuildsEveryControlWithItsProperties) {
  FreeAndNil(Form);
  TLayoutForm* F = nullptr;
  Application->CreateForm(F);
  Form = F;
  const std::string Layout = R"(object LayoutForm: TLayoutForm
  Left = 80
  Top = 80
  ClientWidth = 420
  ClientHeight = 320
  Caption = 'Kontrolki'
  object LName: TLabel
    Left = 8
    Top = 8
    Caption = 'Za'#380#243#322#263' &nazwa'
    FocusControl = EName
    Font.Color = clRed
  end
  object EName: TEdit
    Left = 8
    Top = 26
    Width = 120
    Height = 21
    MaxLength = 10
    Text = 'abc'
    OnChange = NameChange
  end
  object BOk: TButton
    Left = 140
    Top = 24
    Caption = 'OK'
    Default = True
    ModalResult = 1
    OnClick = OkClick
  end
  object CBRandom: TCheckBox
    Left = 8
    Top = 56
    Caption = 'Losuj'
    Checked = True
  end
  object GBUsers: TGroupBox
    Left = 8
    Top = 80
    Width = 180
    Height = 80
    Caption = 'Grupa'
    object R1: TRadioButton
      Left = 8
      Top = 20
      Caption = 'Jeden'
      Checked = True
    end
    object R2: TRadioButton
      Left = 8
      Top = 44
      Caption = 'Dwa'
    end
  end
  object MDesc: TMemo
    Left = 200
    Top = 60
    Width = 200
    Height = 80
    Lines.Strings = (
      'pierwsza'
      'Za'#380#243#322#263)
    ScrollBars = ssVertical
    WordWrap = False
    ReadOnly = True
  end
  object LBMenu: TListBox
    Left = 8
    Top = 170
    Width = 120
    Height = 80
    Items.Strings = (
      'b'
      'a'
      'c')
    Sorted = True
  end
  object CBUsers: TComboBox
    Left = 140
    Top = 170
    Style = csOwnerDrawFixed
    ItemHeight = 16
    ItemIndex = 1
    Items.Strings = (
      'jeden'
      'dwa')
  end
end
)";
  TStringStream S(Layout);
  ReadComponentLayout(&S, F);
  F->Show();
  PumpFor(50);

  auto* LName = dynamic_cast<TLabel*>(F->FindComponent("LName"));
  auto* EName = dynamic_cast<TEdit*>(F->FindComponent("EName"));
  auto* BOk = dynamic_cast<TButton*>(F->FindComponent("BOk"));
  auto* CBRandom = dynamic_cast<TCheckBox*>(F->FindComponent("CBRandom"));
  auto* GBUsers = dynamic_cast<TGroupBox*>(F->FindComponent("GBUsers"));
  auto* R1 = dynamic_cast<TRadioButton*>(F->FindComponent("R1"));
  auto* R2 = dynamic_cast<TRadioButton*>(F->FindComponent("R2"));
  auto* MDesc = dynamic_cast<TMemo*>(F->FindComponent("MDesc"));
  auto* LBMenu = dynamic_cast<TListBox*>(F->FindComponent("LBMenu"));
  auto* CBUsers = dynamic_cast<TComboBox*>(F->FindComponent("CBUsers"));
  ASSERT_TRUE(LName && EName && BOk && CBRandom && GBUsers && R1 && R2 && MDesc && LBMenu && CBUsers);

  EXPECT_EQ(LName->Caption(), "Za\xBF\xF3\xB3\xE6 &nazwa");
  EXPECT_EQ(LName->FocusControl(), EName);
  EXPECT_EQ(LName->Font()->Color(), clRed);

  EXPECT_EQ(EName->Text(), "abc");
  EXPECT_EQ(SendMessageA(EName->Handle(), EM_GETLIMITTEXT, 0, 0), 10);
  EXPECT_EQ(F->Changes, 0);  // the layout's text is no change of the user's

  EXPECT_EQ(StyleOf(BOk) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(BOk->ModalResult(), mrOk);
  SendMessageA(BOk->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(F->Clicks, 1);

  EXPECT_EQ(SendMessageA(CBRandom->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(R1->Parent(), GBUsers);
  EXPECT_TRUE(R1->Checked());
  EXPECT_FALSE(R2->Checked());
  EXPECT_EQ(SendMessageA(R1->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

  EXPECT_EQ(MDesc->Lines()->Count(), 2);
  EXPECT_EQ(MDesc->Lines()->Strings(1), "Za\xBF\xF3\xB3\xE6");
  EXPECT_TRUE(StyleOf(MDesc) & WS_VSCROLL);
  EXPECT_TRUE(StyleOf(MDesc) & ES_AUTOHSCROLL);  // no word wrap
  EXPECT_TRUE(StyleOf(MDesc) & ES_READONLY);

  ASSERT_EQ(LBMenu->Items()->Count(), 3);
  char Row[16] = {};
  SendMessageA(LBMenu->Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(Row));
  EXPECT_STREQ(Row, "a");
  EXPECT_EQ(LBMenu->Items()->Text(), "a\r\nb\r\nc\r\n");

  EXPECT_EQ(StyleOf(CBUsers) & (CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | 3), CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessageA(CBUsers->Handle(), CB_GETITEMHEIGHT, 0, 0), 16);
  EXPECT_EQ(CBUsers->ItemIndex(), 1);  // given before the rows, kept for them
  EXPECT_EQ(CBUsers->Text(), "dwa");
}

// ---- buttons and dialog keys -------------------------------------------------

TEST_F(StdCtrlsTest, ButtonsClickByMouseEnterAndEscAndSetTheModalResult) {
  auto* Edit = Make<TEdit>(8, 8, 120, 21, "Edit");
  auto* Ok = Make<TButton>(8, 40, 75, 25, "Ok");
  Ok->SetDefault(true);
  Ok->SetModalResult(mrOk);
  auto* Cancel = Make<TButton>(90, 40, 75, 25, "Cancel");
  Cancel->SetCancel(true);
  Cancel->SetModalResult(mrCancel);
  auto* Other = Make<TButton>(170, 40, 75, 25, "Other");
  for (TButton* B : {Ok, Cancel, Other}) B->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  const HWND EditWnd = Edit->Handle();

  // A real click on the button.
  EXPECT_EQ(RunModal([&] { PostClick(Ok->Handle(), 10, 10); }), mrOk);
  // Enter in an edit goes to the default button, Esc to the cancel button.
  Form->SetActiveControl(Edit);
  EXPECT_EQ(RunModal([&] { PostKey(EditWnd, VK_RETURN); }), mrOk);
  Form->SetActiveControl(Edit);
  EXPECT_EQ(RunModal([&] { PostKey(EditWnd, VK_ESCAPE); }), mrCancel);
  EXPECT_EQ(Rec.Log, (std::vector<std::string>{"Ok click", "Ok click", "Cancel click"}));

  // A focused button takes Enter itself and shows as the default one.
  Rec.Log.clear();
  Form->Show();
  PumpFor(30);
  Other->SetFocus();
  PumpFor(30);
  EXPECT_EQ(StyleOf(Other) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(StyleOf(Ok) & 0xF, BS_PUSHBUTTON);
  PostKey(Other->Handle(), VK_RETURN);
  PumpFor(50);
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"Other click"});
  Edit->SetFocus();
  PumpFor(30);
  EXPECT_EQ(StyleOf(Ok) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(StyleOf(Other) & 0xF, BS_PUSHBUTTON);

  // Click() from code sets the form's result too.
  Form->SetModalResult(mrNone);
  Cancel->Click();
  EXPECT_EQ(Form->ModalResult(), mrCancel);
}

TEST_F(StdCtrlsTest, CheckBoxAndRadioButtonsToggle) {
  auto* Box = Make<TCheckBox>(8, 8, 120, 17, "Box");
  Box->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  ShowForm();

  // A real click toggles; with AllowGrayed the grayed state comes between.
  PostClick(Box->Handle(), 5, 5);
  ASSERT_TRUE(PumpUntil([&] { return Box->Checked(); }));
  EXPECT_EQ(SendMessageA(Box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  Box->SetChecked(false);
  Box->SetAllowGrayed(true);
  const TCheckBoxState Cycle[] = {cbGrayed, cbChecked, cbUnchecked};
  for (TCheckBoxState Expected : Cycle) {
    SendMessageA(Box->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Box->State(), Expected);
    EXPECT_EQ(SendMessageA(Box->Handle(), BM_GETCHECK, 0, 0), static_cast<LRESULT>(Expected));
  }
  // Every change fires OnClick once (from code too); setting the same
  // state fires nothing.
  EXPECT_EQ(Rec.Log.size(), 5u);
  Box->SetChecked(false);
  EXPECT_EQ(Rec.Log.size(), 5u);

  // The state survives a new window.
  Box->SetState(cbGrayed);
  Box->SetAlignment(taLeftJustify);
  EXPECT_TRUE(StyleOf(Box) & BS_LEFTTEXT);
  EXPECT_EQ(SendMessageA(Box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);

  // Radio buttons of one parent exclude each other; other parents' not.
  auto* A = Make<TRadioButton>(8, 40, 100, 17, "A");
  auto* B = Make<TRadioButton>(8, 60, 100, 17, "B");
  auto* Group = Make<TGroupBox>(150, 40, 150, 60, "Group");
  auto* C = Create<TRadioButton>(Form);
  C->SetBounds(8, 20, 100, 17);
  C->SetParent(Group);
  PumpFor(30);
  A->SetChecked(true);
  C->SetChecked(true);
  SendMessageA(B->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(B->Checked());
  EXPECT_FALSE(A->Checked());
  EXPECT_EQ(SendMessageA(A->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(C->Checked());
  EXPECT_TRUE(B->TabStop());
  EXPECT_FALSE(A->TabStop());
}

TEST_F(StdCtrlsTest, GroupBoxPassesTheMouseToItsWindowlessChildren) {
  auto* Group = Make<TGroupBox>(8, 8, 200, 100, "Group");
  auto* Label = Create<TLabel>(Form);
  Label->SetName("Inner");
  Label->SetParent(Group);
  Label->SetBounds(20, 30, 80, 20);
  Label->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  ShowForm();
  EXPECT_EQ(SendMessageA(Group->Handle(), WM_NCHITTEST, 0, PointToLParam(Group->ClientOrigin().x + 30, Group->ClientOrigin().y + 40)),
            HTCLIENT);
  PostClick(Group->Handle(), 30, 40);
  ASSERT_TRUE(PumpUntil([&] { return !Rec.Log.empty(); }));
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"Inner click"});
  // A click on the frame does not take the focus away.
  auto* Edit = Make<TEdit>(250, 8, 100, 21, "Edit");
  Edit->SetFocus();
  PostClick(Group->Handle(), 150, 80);
  PumpFor(50);
  EXPECT_EQ(GetFocus(), Edit->Handle());
  // The client area for aligned children leaves the caption out.
  auto* Filler = Create<TLabel>(Form);
  Filler->SetParent(Group);
  Filler->SetAlign(alClient);
  EXPECT_GT(Filler->Top(), 8);
  EXPECT_LT(Filler->Top() + Filler->Height(), Group->ClientHeight());
}

// ---- edits and memos ---------------------------------------------------------

TEST_F(StdCtrlsTest, EditTextChangeSelectionAndLimits) {
  auto* Edit = Make<TEdit>(8, 8, 150, 21, "Edit");
  Edit->OnChange = TNotifyEvent(&Rec, &TRecorder::Changed);
  Edit->SetText("start");  // before any window: no notification yet
  EXPECT_TRUE(Rec.Log.empty());
  ShowForm();
  EXPECT_TRUE(Rec.Log.empty());
  EXPECT_EQ(Edit->Text(), "start");

  Edit->SetText(Polish);
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"Edit change"});
  EXPECT_EQ(Edit->Text(), Polish);
  EXPECT_FALSE(Edit->Modified());

  // Selection in characters.
  Edit->SetSelStart(2);
  Edit->SetSelLength(4);
  EXPECT_EQ(Edit->SelStart(), 2);
  EXPECT_EQ(Edit->SelLength(), 4);
  EXPECT_EQ(Edit->SelText(), "\xBF\xF3\xB3\xE6");
  Edit->SetSelText("--");
  EXPECT_EQ(Edit->Text().substr(0, 5), "Za-- ");
  Edit->SelectAll();
  EXPECT_EQ(Edit->SelLength(), static_cast<int>(Edit->Text().size()));

  // Focus from the keyboard selects the whole text (AutoSelect).
  auto* Other = Make<TEdit>(8, 40, 150, 21, "Other");
  Other->SetFocus();
  Edit->SetFocus();
  EXPECT_EQ(Edit->SelStart(), 0);
  EXPECT_EQ(Edit->SelLength(), static_cast<int>(Edit->Text().size()));
  Edit->SetAutoSelect(false);
  Edit->SetSelStart(1);
  Other->SetFocus();
  Edit->SetFocus();
  EXPECT_EQ(Edit->SelLength(), 0);

  // Typing: the user's change, within MaxLength, not while ReadOnly.
  Edit->Clear();
  Edit->SetMaxLength(3);
  Edit->SetFocus();
  Rec.Log.clear();
  for (char C : std::string("abcd")) PostMessageA(Edit->Handle(), WM_CHAR, static_cast<unsigned char>(C), 1);
  PumpFor(50);
  EXPECT_EQ(Edit->Text(), "abc");
  EXPECT_TRUE(Edit->Modified());
  EXPECT_GE(Rec.Log.size(), 3u);
  Edit->SetReadOnly(true);
  Edit->SetMaxLength(0);
  PostMessageA(Edit->Handle(), WM_CHAR, 'x', 1);
  PumpFor(30);
  EXPECT_EQ(Edit->Text(), "abc");

  // A new window (HideSelection makes one) keeps text and Modified.
  const HWND Old = Edit->Handle();
  Edit->SetHideSelection(false);
  EXPECT_NE(Edit->Handle(), Old);
  EXPECT_TRUE(StyleOf(Edit) & ES_NOHIDESEL);
  EXPECT_TRUE(StyleOf(Edit) & ES_READONLY);
  EXPECT_EQ(Edit->Text(), "abc");
  EXPECT_TRUE(Edit->Modified());

  Edit->SetPasswordChar('*');
  EXPECT_EQ(SendMessageA(Edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(Edit->Text(), "abc");
}

TEST_F(StdCtrlsTest, MemoLinesWorkAlikeWithAndWithoutAWindow) {
  // The same edits on a memo without a window and on one with a window
  // give the same text, line by line.
  auto* Kept = Create<TMemo>(Form);
  auto* Shown = Make<TMemo>(8, 8, 300, 120, "Shown");
  Shown->SetWordWrap(false);
  ShowForm();
  ASSERT_FALSE(Kept->HandleAllocated());
  ASSERT_TRUE(Shown->HandleAllocated());
  const std::function<void(TStrings*)> Steps[] = {
      [](TStrings* L) { L->Add(Polish); },
      [](TStrings* L) { L->Add(""); },
      [](TStrings* L) { L->Add("trzecia"); },
      [](TStrings* L) { L->Insert(0, "zero"); },
      [](TStrings* L) { L->Put(2, "pusta"); },
      [](TStrings* L) { L->Delete(3); },
      [](TStrings* L) { L->SetText("a\nb\rc"); },
      [](TStrings* L) { L->Add("d"); },
      [](TStrings* L) { L->Delete(0); },
  };
  for (const auto& Step : Steps) {
    Step(Kept->Lines());
    Step(Shown->Lines());
    ASSERT_EQ(Kept->Text(), Shown->Text());
    ASSERT_EQ(Kept->Lines()->Count(), Shown->Lines()->Count());
    for (int I = 0; I < Shown->Lines()->Count(); ++I) ASSERT_EQ(Kept->Lines()->Strings(I), Shown->Lines()->Strings(I));
  }
  EXPECT_EQ(Shown->Text(), "b\r\nc\r\nd");
  EXPECT_THROW(Shown->Lines()->Delete(5), EStringListError);
  EXPECT_THROW(Kept->Lines()->Strings(3), EStringListError);

  // Polish text round trip through the window and a stream, byte for byte.
  const std::string Bytes = std::string(Polish) + "\r\nDruga linia\r\n";
  TStringStream In(Bytes);
  Shown->Lines()->LoadFromStream(&In);
  EXPECT_EQ(Shown->Lines()->Strings(0), Polish);
  TStringStream Out;
  Shown->Lines()->SaveToStream(&Out);
  EXPECT_EQ(Out.DataString(), Bytes);
  char Raw[64] = {};
  GetWindowTextA(Shown->Handle(), Raw, sizeof Raw);
  EXPECT_EQ(std::string(Raw), Bytes);

  // The lines survive new windows (word wrap and scroll bars make them).
  Shown->SetWordWrap(true);
  Shown->SetScrollBars(ssBoth);
  EXPECT_TRUE((StyleOf(Shown) & (WS_HSCROLL | WS_VSCROLL)) == (WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(Shown->Lines()->Count(), 2);
  EXPECT_EQ(Shown->Lines()->Strings(1), "Druga linia");
  Shown->SetAlignment(taCenter);
  EXPECT_TRUE(StyleOf(Shown) & ES_CENTER);
  EXPECT_EQ(Shown->Text(), Bytes);
}

TEST_F(StdCtrlsTest, MemoKeysFollowWantReturnsWantTabsAndKeyPress) {
  auto* Memo = Make<TMemo>(8, 8, 200, 100, "Memo");
  auto* Ok = Make<TButton>(220, 8, 75, 25, "Ok");
  Ok->SetDefault(true);
  Ok->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  auto* Digits = Create<TDigitsMemo>(Form);
  Digits->SetParent(Form);
  Digits->SetBounds(8, 120, 200, 60);
  ShowForm();

  // Enter makes a new line; without WantReturns it clicks the default
  // button and the memo gets no line break. (The key step is what the
  // message loop does with WM_KEYDOWN: non-zero means consumed.)
  Memo->SetFocus();
  EXPECT_EQ(SendMessageA(Memo->Handle(), CN_KEYDOWN, VK_RETURN, 1), 0);
  PostMessageA(Memo->Handle(), WM_CHAR, '\r', 1);
  PumpFor(50);
  EXPECT_EQ(Memo->Text(), "\r\n");
  EXPECT_TRUE(Rec.Log.empty());
  Memo->Clear();
  Memo->SetWantReturns(false);
  EXPECT_NE(SendMessageA(Memo->Handle(), CN_KEYDOWN, VK_RETURN, 1), 0);
  PostMessageA(Memo->Handle(), WM_CHAR, '\r', 1);
  PumpFor(50);
  EXPECT_EQ(Memo->Text(), "");
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"Ok click"});

  // Tab moves on unless WantTabs.
  const LRESULT Code = SendMessageA(Memo->Handle(), WM_GETDLGCODE, 0, 0);
  EXPECT_FALSE(Code & DLGC_WANTTAB);
  Memo->SetWantTabs(true);
  EXPECT_TRUE(SendMessageA(Memo->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);

  // A subclass's KeyPress drops characters before the window sees them.
  Digits->SetFocus();
  for (char C : std::string("1a2 3")) PostMessageA(Digits->Handle(), WM_CHAR, static_cast<unsigned char>(C), 1);
  PumpFor(50);
  EXPECT_EQ(Digits->Text(), "123");
}

// ---- list boxes --------------------------------------------------------------

TEST_F(StdCtrlsTest, ListBoxItemsSelectionAndClicks) {
  auto* List = Make<TListBox>(8, 8, 150, 120, "List");
  List->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  List->OnDblClick = TNotifyEvent(&Rec, &TRecorder::DoubleClicked);
  TRecorder Tag1, Tag2;
  // Rows and the selection given before the window exists go into it.
  List->Items()->Add("zero");
  List->Items()->AddObject("jeden", &Tag1);
  List->Items()->Add("dwa");
  List->Items()->Insert(1, "p\xF3\xB3");
  List->SetItemIndex(2);
  EXPECT_EQ(List->ItemIndex(), 2);
  ShowForm();
  ASSERT_EQ(SendMessageA(List->Handle(), LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(List->Items()->Strings(1), "p\xF3\xB3");
  EXPECT_EQ(List->Items()->Objects(2), &Tag1);
  EXPECT_EQ(SendMessageA(List->Handle(), LB_GETCURSEL, 0, 0), 2);

  // Setting ItemIndex fires nothing; a real click on a row fires OnClick.
  List->SetItemIndex(0);
  EXPECT_TRUE(Rec.Log.empty());
  const TRect Row3 = List->ItemRect(3);
  PostClick(List->Handle(), Row3.left + 5, (Row3.top + Row3.bottom) / 2);
  ASSERT_TRUE(PumpUntil([&] { return !Rec.Log.empty(); }));
  EXPECT_EQ(List->ItemIndex(), 3);
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"List click"});
  PostMessageA(List->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, PointToLParam(Row3.left + 5, Row3.top + 2));
  PostMessageA(List->Handle(), WM_LBUTTONUP, 0, PointToLParam(Row3.left + 5, Row3.top + 2));
  ASSERT_TRUE(PumpUntil([&] { return Rec.Log.size() >= 2; }));
  EXPECT_EQ(Rec.Log.back(), "List dblclick");

  // Rows at points.
  EXPECT_EQ(List->ItemAtPos(Point(5, (Row3.top + Row3.bottom) / 2), true), 3);
  EXPECT_EQ(List->ItemAtPos(Point(5, Row3.bottom + 3), true), -1);
  EXPECT_EQ(List->ItemAtPos(Point(5, Row3.bottom + 3), false), 4);
  const TRect Below = List->ItemRect(4);
  EXPECT_EQ(Below.top, Row3.bottom);

  // Put keeps the object and the selection; Delete and errors.
  List->Items()->PutObject(3, &Tag2);
  List->Items()->Put(3, "trzy");
  EXPECT_EQ(List->Items()->Objects(3), &Tag2);
  EXPECT_EQ(List->ItemIndex(), 3);
  List->Items()->Delete(0);
  EXPECT_EQ(List->Count(), 3);
  EXPECT_THROW(List->Items()->Delete(3), EStringListError);
  EXPECT_THROW(List->Items()->Strings(7), EStringListError);

  // A new window keeps rows, objects, selection and top row.
  List->SetBorderStyle(bsNone);
  EXPECT_EQ(List->Items()->Text(), "p\xF3\xB3\r\njeden\r\ntrzy\r\n");
  EXPECT_EQ(List->Items()->Objects(1), &Tag1);
  EXPECT_EQ(List->Items()->Objects(2), &Tag2);
  EXPECT_EQ(List->ItemIndex(), 2);

  // Sorted: the window's order, also for rows added while none exists.
  List->SetSorted(true);
  List->Items()->Add("a");
  EXPECT_EQ(List->Items()->Strings(0), "a");
  auto* Hidden = Create<TListBox>(Form);
  Hidden->SetSorted(true);
  for (const char* S : {"c", "A", "b", "a"}) Hidden->Items()->Add(S);
  EXPECT_EQ(Hidden->Items()->Strings(0).size(), 1u);
  EXPECT_EQ(Hidden->Items()->Strings(2), "b");
  EXPECT_EQ(Hidden->Items()->Strings(3), "c");

  // Multi-selection: the selected row stays selected.
  const int Current = List->ItemIndex();
  List->SetMultiSelect(true);
  EXPECT_EQ(List->SelCount(), 1);
  EXPECT_TRUE(List->Selected(Current));
  List->SetSelected(Current, false);
  List->SetSelected(0, true);
  List->SetSelected(2, true);
  EXPECT_EQ(List->SelCount(), 2);
  EXPECT_TRUE(List->Selected(2));
  EXPECT_FALSE(List->Selected(1));
  List->Clear();
  EXPECT_EQ(List->Count(), 0);
}

TEST_F(StdCtrlsTest, OwnerDrawnListBoxDrawsDefaultRowsAndAsksTheHandler) {
  auto* List = Make<TListBox>(8, 8, 150, 100, "List");
  List->SetStyle(lbOwnerDrawFixed);
  List->SetItemHeight(20);
  List->SetBorderStyle(bsNone);
  List->Font()->SetColor(clBlack);
  for (const char* S : {"WWWW", "WWWW", "WWWW"}) List->Items()->Add(S);
  ShowForm();
  List->SetItemIndex(1);
  EXPECT_EQ(SendMessageA(List->Handle(), LB_GETITEMHEIGHT, 0, 0), 20);
  {
    TShot Shot(List);
    // Row 1 is selected: highlight background, highlight-coloured text.
    EXPECT_EQ(Shot.At(140, 30), RGBOf(clHighlight));
    EXPECT_GT(Shot.Count(Rect(2, 22, 60, 38), RGBOf(clHighlightText)), 0);
    // Row 0: window background with black text from 2 pixels in.
    EXPECT_EQ(Shot.At(140, 10), RGBOf(clWindow));
    EXPECT_EQ(Shot.Count(Rect(0, 0, 2, 20), RGB(0, 0, 0)), 0);
    EXPECT_GT(Shot.Count(Rect(2, 2, 60, 18), RGB(0, 0, 0)), 0);
    // Below the rows the list's own background.
    EXPECT_EQ(Shot.At(75, 80), RGBOf(clWindow));
  }
  List->OnDrawItem = TDrawItemEvent(&Rec, &TRecorder::Drawn);
  { TShot Shot(List); }
  ASSERT_GE(Rec.Log.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(Rec.Log.begin(), Rec.Log.begin() + 3),
            (std::vector<std::string>{"List draw 0", "List draw 1 selected", "List draw 2"}));

  // Rows of their own heights: asked while the new window is made.
  class TSizer : public TObject {
  public:
    void Measure(TWinControl*, int Index, int& Height) { Height = 10 + 5 * Index; }
  } Sizer;
  List->OnMeasureItem = TMeasureItemEvent(&Sizer, &TSizer::Measure);
  List->SetStyle(lbOwnerDrawVariable);
  ASSERT_EQ(List->Count(), 3);
  for (int I = 0; I < 3; ++I) {
    const TRect R = List->ItemRect(I);
    EXPECT_EQ(R.bottom - R.top, 10 + 5 * I);
  }
}

TEST_F(StdCtrlsTest, VirtualListBoxTakesItsTextsFromOnData) {
  class TSource : public TObject {
  public:
    void Data(TWinControl*, int Index, AnsiString& Text) { Text = "row " + std::to_string(Index); }
  } Source;
  auto* List = Make<TListBox>(8, 8, 150, 100, "List");
  List->SetStyle(lbVirtual);
  List->OnData = TLBGetDataEvent(&Source, &TSource::Data);
  List->SetCount(1000);
  ShowForm();
  EXPECT_EQ(SendMessageA(List->Handle(), LB_GETCOUNT, 0, 0), 1000);
  EXPECT_EQ(List->Items()->Count(), 1000);
  EXPECT_EQ(List->Items()->Strings(999), "row 999");
  EXPECT_THROW(List->Items()->Add("x"), EStringListError);
  EXPECT_THROW(List->Items()->Strings(1000), EStringListError);
  List->RecreateWnd();
  EXPECT_EQ(List->Count(), 1000);
  auto* Plain = Create<TListBox>(Form);
  EXPECT_THROW(Plain->SetCount(3), EInvalidOperation);
}

TEST_F(StdCtrlsTest, ListBoxWithoutParentMakesNoWindowWhenItsStyleChanges) {
  auto* List = Create<TListBox>(Form);
  List->SetStyle(lbOwnerDrawFixed);
  EXPECT_FALSE(List->HandleAllocated());
  List->SetParent(Form);
  ShowForm();
  ASSERT_TRUE(List->HandleAllocated());
  List->SetStyle(lbStandard);
  EXPECT_TRUE(List->HandleAllocated());
  EXPECT_EQ(GetParent(List->Handle()), Form->Handle());
}

// ---- combo boxes -------------------------------------------------------------

TEST_F(StdCtrlsTest, ComboBoxFiresOnChangeOnlyForTheUsersChoice) {
  auto* List = Make<TComboBox>(8, 8, 150, 21, "List");
  List->SetStyle(csDropDownList);
  for (const char* S : {"jeden", "dwa", "trzy"}) List->Items()->Add(S);
  List->OnChange = TNotifyEvent(&Rec, &TRecorder::Changed);
  List->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  ShowForm();

  // From code: no event.
  List->SetItemIndex(0);
  EXPECT_EQ(List->Text(), "jeden");
  List->SetText("trzy");
  EXPECT_EQ(List->ItemIndex(), 2);
  List->SetText("nic");
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_TRUE(Rec.Log.empty());

  // The user's choice (the arrow key in the closed list).
  List->SetItemIndex(0);
  List->SetFocus();
  PostKey(List->Handle(), VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return !Rec.Log.empty(); }));
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(List->Text(), "dwa");
  EXPECT_EQ(Rec.Log, (std::vector<std::string>{"List click", "List change"}));

  // Rows and the choice survive a new window.
  List->SetSorted(true);
  EXPECT_EQ(List->Items()->Strings(0), "dwa");
  EXPECT_EQ(List->Text(), "dwa");

  // A drop-down with an edit: the typed text is a change; the picked row
  // shows in the edit when OnChange runs.
  Rec.Log.clear();
  auto* Edit = Make<TComboBox>(8, 40, 150, 21, "Edit");
  Edit->Items()->Add("alfa");
  Edit->Items()->Add("beta");
  Edit->SetText("start");
  std::string SeenText;
  class TWatch : public TObject {
  public:
    TComboBox* Box = nullptr;
    std::string* Seen = nullptr;
    void Changed(TObject*) { *Seen = Box->Text(); }
  } Watch;
  Watch.Box = Edit;
  Watch.Seen = &SeenText;
  Edit->OnChange = TNotifyEvent(&Watch, &TWatch::Changed);
  PumpFor(30);
  EXPECT_EQ(Edit->Text(), "start");
  HWND Inner = FindWindowExA(Edit->Handle(), nullptr, "Edit", nullptr);
  ASSERT_NE(Inner, nullptr);
  SendMessageA(Inner, EM_SETSEL, 5, 5);
  PostMessageA(Inner, WM_CHAR, 'x', 1);
  ASSERT_TRUE(PumpUntil([&] { return !SeenText.empty(); }));
  EXPECT_EQ(SeenText, "startx");
  Edit->SetFocus();
  PostKey(Inner, VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return SeenText == "alfa"; }));
  EXPECT_EQ(Edit->ItemIndex(), 0);
}

TEST_F(StdCtrlsTest, ComboBoxDropsDownCountRowsAndKeepsEnterWhileDropped) {
  auto* Box = Make<TComboBox>(8, 8, 150, 21, "Box");
  Box->SetStyle(csDropDownList);
  for (int I = 0; I < 20; ++I) Box->Items()->Add("wiersz " + std::to_string(I));
  Box->SetDropDownCount(5);
  auto* Ok = Make<TButton>(200, 8, 75, 25, "Ok");
  Ok->SetDefault(true);
  Ok->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  ShowForm();
  Box->SetFocus();
  Box->SetDroppedDown(true);
  PumpFor(30);
  ASSERT_TRUE(Box->DroppedDown());
  COMBOBOXINFO Info{};
  Info.cbSize = sizeof Info;
  ASSERT_TRUE(GetComboBoxInfo(Box->Handle(), &Info));
  RECT List{};
  GetClientRect(Info.hwndList, &List);
  EXPECT_GE(List.bottom, 5 * Box->ItemHeight());
  EXPECT_LT(List.bottom, 6 * Box->ItemHeight());
  // Enter closes the list; it is not the default button's.
  EXPECT_EQ(SendMessageA(Box->Handle(), CN_KEYDOWN, VK_RETURN, 1), 0);
  Box->SetDroppedDown(false);
  EXPECT_NE(SendMessageA(Box->Handle(), CN_KEYDOWN, VK_RETURN, 1), 0);
  EXPECT_EQ(Rec.Log.back(), "Ok click");
}

TEST_F(StdCtrlsTest, OwnerDrawnComboBoxKeepsTextsAndDrawsRows) {
  auto* Box = Make<TComboBox>(8, 8, 150, 21, "Users");
  Box->SetStyle(csOwnerDrawFixed);
  for (const char* S : {"Ala", "Ola"}) Box->Items()->Add(S);
  Box->OnDrawItem = TDrawItemEvent(&Rec, &TRecorder::Drawn);
  ShowForm();
  EXPECT_EQ(Box->ItemHeight(), 16);
  Box->SetText("Ola");
  EXPECT_EQ(Box->ItemIndex(), 1);
  EXPECT_EQ(Box->Text(), "Ola");
  Rec.Log.clear();
  { TShot Shot(Box); }
  ASSERT_FALSE(Rec.Log.empty());
  EXPECT_EQ(Rec.Log.back().substr(0, 12), "Users draw 1");

  // Default drawing without a handler writes the row's text.
  Box->OnDrawItem = nullptr;
  Box->Font()->SetColor(clBlack);
  Box->SetColor(clWhite);
  TShot Shot(Box);
  const TRect Field = Rect(4, 4, Box->Width() - 24, Box->Height() - 4);
  EXPECT_GT(Shot.Count(Field, RGB(0, 0, 0)) + Shot.Count(Field, RGBOf(clHighlightText)), 0);
}

// ---- labels ------------------------------------------------------------------

TEST_F(StdCtrlsTest, LabelSizesItselfAndTellsOfTheMouse) {
  auto* Label = Make<TLabel>(20, 20, 10, 10, "Label");
  Label->SetCursor(crHandPoint);
  Label->OnMouseEnter = TNotifyEvent(&Rec, &TRecorder::Entered);
  Label->OnMouseLeave = TNotifyEvent(&Rec, &TRecorder::Left);
  Label->OnClick = TNotifyEvent(&Rec, &TRecorder::Clicked);
  ShowForm();

  // AutoSize: the text's size; a right-justified label keeps its right edge.
  Label->SetCaption("Kliknij tutaj");
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Label->Font()->Handle());
  SIZE Extent{};
  GetTextExtentPoint32A(DC, "Kliknij tutaj", 13, &Extent);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  EXPECT_EQ(Label->Width(), Extent.cx);
  EXPECT_EQ(Label->Height(), Extent.cy);
  Label->SetAlignment(taRightJustify);
  const int Right = Label->Left() + Label->Width();
  Label->SetCaption("Klik");
  EXPECT_EQ(Label->Left() + Label->Width(), Right);
  Label->SetCaption("");
  EXPECT_EQ(Label->Height(), Extent.cy);  // an empty label keeps a line

  // The mouse over the label and away from it; a click.
  Label->SetCaption("Kliknij tutaj");
  MoveMouse(Label, 3, 3);
  ASSERT_TRUE(PumpUntil([&] { return !Rec.Log.empty(); }));
  PostClick(Form->Handle(), Label->Left() + 3, Label->Top() + 3);
  PumpFor(30);
  MoveMouse(Form, Label->Left() + 3, Label->Top() + Label->Height() + 30);
  ASSERT_TRUE(PumpUntil([&] { return Rec.Log.size() >= 3; }));
  EXPECT_EQ(Rec.Log, (std::vector<std::string>{"Label enter", "Label click", "Label leave"}));
  // The hand cursor shows over the label.
  MoveMouse(Label, 3, 3);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

TEST_F(StdCtrlsTest, LabelAcceleratorFocusesItsControlAndDrawsItsText) {
  auto* Label = Make<TLabel>(8, 8, 100, 17, "Label");
  Label->SetCaption("&Nazwa");
  Label->SetTransparent(false);
  Label->SetColor(clWhite);
  Label->Font()->SetColor(clBlack);
  auto* First = Make<TEdit>(8, 30, 100, 21, "First");
  auto* Target = Make<TEdit>(8, 60, 100, 21, "Target");
  Label->SetFocusControl(Target);
  ShowForm();
  First->SetFocus();
  PostMessageA(First->Handle(), WM_SYSCHAR, 'n', static_cast<LPARAM>(0x20000001));
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Target->Handle(); }));
  // Without ShowAccelChar the "&" is text, not an accelerator.
  Label->SetShowAccelChar(false);
  First->SetFocus();
  PostMessageA(First->Handle(), WM_SYSCHAR, 'n', static_cast<LPARAM>(0x20000001));
  PumpFor(50);
  EXPECT_EQ(GetFocus(), First->Handle());
  // The focus control going clears the reference.
  FreeAndNil(Target);
  EXPECT_EQ(Label->FocusControl(), nullptr);

  // An opaque label fills its colour and writes black text; a layout
  // centres the text vertically.
  Label->SetAutoSize(false);
  Label->SetBounds(200, 8, 100, 40);
  Label->SetLayout(tlCenter);
  TShot Shot(Form);
  const TPoint O = Point(Form->ClientOrigin().x - Form->Left(), Form->ClientOrigin().y - Form->Top());
  auto At = [&](int X, int Y) { return Shot.At(O.x + X, O.y + Y); };
  EXPECT_EQ(At(290, 9), RGB(255, 255, 255));
  int Top = -1, Bottom = -1;
  for (int Y = 8; Y < 48; ++Y)
    for (int X = 200; X < 260; ++X)
      if (At(X, Y) == RGB(0, 0, 0)) {
        if (Top < 0) Top = Y;
        Bottom = Y;
      }
  ASSERT_GE(Top, 0);
  EXPECT_GT(Top, 8 + 8);
  EXPECT_LT(Bottom, 48 - 8);
}

TEST(StdCtrlsAccel, AcceleratorIsTheCharacterAfterASingleAmpersand) {
  struct TCase {
    char Key;
    const char* Caption;
    bool Expected;
  };
  const TCase Cases[] = {
      {'n', "&Nazwa", true}, {'N', "&nazwa", true}, {'a', "N&azwa", true},  {'n', "Nazwa", false},
      {'&', "A && B", false}, {'b', "A && &B", true}, {'x', "Koniec&", false}, {'\xB3', "&\xA3\xF3" "d\xBA", true},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(IsAccel(static_cast<unsigned char>(C.Key), C.Caption), C.Expected) << C.Caption;
}

}  // namespace
