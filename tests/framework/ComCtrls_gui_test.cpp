#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "ActnList.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "Spin.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {

std::vector<std::string> Log;
void Note(const std::string& S) { Log.push_back(S); }

void ClickAt(HWND Wnd, int X, int Y) {
  PostMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(X, Y));
  PostMessageA(Wnd, WM_LBUTTONUP, 0, PointToLParam(X, Y));
  PumpFor(60);
}

void ClickControl(TControl* Control) {
  ClickAt(Control->Parent()->Handle(), Control->Left() + Control->Width() / 2, Control->Top() + Control->Height() / 2);
}

// Keys as the message loop gets them (it sends them through the controls'
// key steps first).
void PostKey(HWND Wnd, WPARAM Key) {
  PostMessageA(Wnd, WM_KEYDOWN, Key, 1);
  PostMessageA(Wnd, WM_KEYUP, Key, 0xC0000001);
  PumpFor(40);
}

void PostChar(HWND Wnd, char C) {
  PostMessageA(Wnd, WM_CHAR, static_cast<unsigned char>(C), 1);
  PumpFor(40);
}

TBBUTTON WindowButton(TToolBar* Bar, int Index) {
  TBBUTTON B{};
  SendMessageA(Bar->Handle(), TB_GETBUTTON, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&B));
  return B;
}

TRect ItemRect(TToolBar* Bar, int Index) {
  RECT R{};
  SendMessageA(Bar->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&R));
  return R;
}

bool SameRect(const TRect& A, const TRect& B) {
  return A.left == B.left && A.top == B.top && A.right == B.right && A.bottom == B.bottom;
}

// Picks the first item of the popup menu once it is open.
void CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR Id, DWORD) {
  HWND MenuWindow = FindWindowA("#32768", nullptr);
  if (!MenuWindow || !IsWindowVisible(MenuWindow)) return;
  KillTimer(nullptr, Id);
  PostMessageA(MenuWindow, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(MenuWindow, WM_KEYDOWN, VK_RETURN, 1);
}

}  // namespace

// ---- test components --------------------------------------------------------

class TToolForm : public TForm {
public:
  using TForm::TForm;
  TToolBar* ToolBar1 = nullptr;
  TToolButton* ToolButton1 = nullptr;
  TToolButton* ToolButton7 = nullptr;
  TToolButton* ToolButton2 = nullptr;
  TToolButton* Check1 = nullptr;
  TToolButton* Check2 = nullptr;
  TImageList* ImageList1 = nullptr;

  void ButtonClick(TObject* Sender) { Note("click " + dynamic_cast<TComponent*>(Sender)->Name()); }
};

class TComMain : public TForm {
public:
  using TForm::TForm;
};
TComMain* MainRef = nullptr;

class TComEvents : public TObject {
public:
  void Change(TObject* Sender) { Note("change " + dynamic_cast<TComponent*>(Sender)->Name()); }
  void Click(TObject* Sender) { Note("click " + dynamic_cast<TComponent*>(Sender)->Name()); }
  void Execute(TObject* Sender) { Note("execute " + dynamic_cast<TComponent*>(Sender)->Name()); }
};

namespace {

class TComCtrlsEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeImgList();
    InitializeMenus();
    InitializeComCtrls();
    InitializeSpin();
    InitializeActnList();
    RegisterClass<TComMain, TForm>();
    RegisterClass<TToolForm, TForm>()
        .Method("ButtonClick", &TToolForm::ButtonClick)
        .Field("ToolBar1", &TToolForm::ToolBar1)
        .Field("ToolButton1", &TToolForm::ToolButton1)
        .Field("ToolButton7", &TToolForm::ToolButton7)
        .Field("ToolButton2", &TToolForm::ToolButton2)
        .Field("Check1", &TToolForm::Check1)
        .Field("Check2", &TToolForm::Check2)
        .Field("ImageList1", &TToolForm::ImageList1);
    Application->CreateForm(MainRef);
  }
  void TearDown() override {
    FinalizeForms();
    FinalizeMenus();
    FinalizeComCtrls();
  }
};

[[maybe_unused]] const auto* const ComCtrlsEnvironment = ::testing::AddGlobalTestEnvironment(new TComCtrlsEnvironment);

// A shown form for controls made in code.
class FormTest : public ::testing::Test {
protected:
  void SetUp() override {
    Log.clear();
    Application->CreateForm(Form);
    Form->SetBounds(80, 80, 420, 260);
    Form->Show();
    PumpFor(30);
  }
  void TearDown() override { FreeAndNil(Form); }
  TForm* Form = nullptr;
};

class ToolFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    Log.clear();
    Application->CreateForm(Form);
    for (TColor Colour : {clRed, clGreen, clBlue}) {
      TOwned<TBitmap> Image(new TBitmap());
      Image->SetSize(32, 32);
      Image->Canvas()->Brush()->SetColor(Colour);
      Image->Canvas()->FillRect(Rect(0, 0, 32, 32));
      Form->ImageList1->Add(Image.get(), nullptr);
    }
    Form->Show();
    PumpFor(50);
  }
  void TearDown() override { FreeAndNil(Form); }
  TToolForm* Form = nullptr;
};

}  // namespace

// ---- tool bar -------------------------------------------------------------------

TEST_F(ToolFormTest, LayoutButtonsAreTheWindowsButtonsInOrder) {
  TToolBar* Bar = Form->ToolBar1;
  ASSERT_EQ(Bar->Images(), Form->ImageList1);
  ASSERT_EQ(Bar->ButtonCount(), 5);
  EXPECT_EQ(Bar->Buttons(2), Form->ToolButton2);
  EXPECT_EQ(Bar->Align(), alTop);
  EXPECT_EQ(SendMessageA(Bar->Handle(), TB_BUTTONCOUNT, 0, 0), 5);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(Bar->Handle(), TB_GETIMAGELIST, 0, 0)), Form->ImageList1->Handle());
  EXPECT_EQ(SendMessageA(Bar->Handle(), TB_GETBUTTONSIZE, 0, 0), MAKELONG(39, 38));
  EXPECT_TRUE(GetWindowLongA(Bar->Handle(), GWL_STYLE) & TBSTYLE_FLAT);

  const int Images[] = {0, 8, 1, 2, 2};
  std::vector<int> Ids;
  for (int I = 0; I < 5; ++I) {
    const TBBUTTON B = WindowButton(Bar, I);
    EXPECT_EQ(B.iBitmap, Images[I]) << I;
    EXPECT_EQ(std::count(Ids.begin(), Ids.end(), B.idCommand), 0) << I;
    Ids.push_back(B.idCommand);
    // Each button control lies where the window shows its button.
    EXPECT_TRUE(SameRect(Bar->Buttons(I)->BoundsRect(), ItemRect(Bar, I))) << I;
  }
  EXPECT_TRUE(WindowButton(Bar, 1).fsStyle & TBSTYLE_SEP);
  EXPECT_EQ(Form->ToolButton7->Width(), 8);
  EXPECT_EQ(Form->ToolButton1->Width(), 39);
  EXPECT_TRUE((WindowButton(Bar, 3).fsStyle & (TBSTYLE_CHECK | TBSTYLE_GROUP)) == (TBSTYLE_CHECK | TBSTYLE_GROUP));
}

TEST_F(ToolFormTest, ClicksReachTheButtonsButNotTheSeparator) {
  ClickControl(Form->ToolButton2);
  ClickControl(Form->ToolButton7);
  ClickControl(Form->ToolButton1);
  EXPECT_EQ(Log, (std::vector<std::string>{"click ToolButton2", "click ToolButton1"}));

  // Check buttons of a group: the click downs one and lets the other up.
  Log.clear();
  ClickControl(Form->Check1);
  EXPECT_TRUE(Form->Check1->Down());
  ClickControl(Form->Check2);
  EXPECT_TRUE(Form->Check2->Down());
  EXPECT_FALSE(Form->Check1->Down());
  EXPECT_EQ(Log, (std::vector<std::string>{"click Check1", "click Check2"}));
  Form->Check1->SetDown(true);
  EXPECT_FALSE(Form->Check2->Down());
  EXPECT_TRUE(SendMessageA(Form->ToolBar1->Handle(), TB_ISBUTTONCHECKED, WindowButton(Form->ToolBar1, 3).idCommand, 0));
  EXPECT_FALSE(SendMessageA(Form->ToolBar1->Handle(), TB_ISBUTTONCHECKED, WindowButton(Form->ToolBar1, 4).idCommand, 0));

  // A disabled button takes no click; a hidden one leaves its place.
  Log.clear();
  Form->ToolButton2->SetEnabled(false);
  EXPECT_FALSE(SendMessageA(Form->ToolBar1->Handle(), TB_ISBUTTONENABLED, WindowButton(Form->ToolBar1, 2).idCommand, 0));
  const TRect R = Form->ToolButton2->BoundsRect();
  ClickAt(Form->ToolBar1->Handle(), (R.left + R.right) / 2, (R.top + R.bottom) / 2);
  Form->ToolButton1->SetVisible(false);
  EXPECT_TRUE(SendMessageA(Form->ToolBar1->Handle(), TB_ISBUTTONHIDDEN, WindowButton(Form->ToolBar1, 0).idCommand, 0));
  EXPECT_LT(Form->ToolButton2->Left(), R.left);
  EXPECT_TRUE(Log.empty());
}

TEST_F(ToolFormTest, TheButtonUnderTheMouseGivesTheApplicationItsHint) {
  TToolButton* Button = Form->ToolButton2;
  const TPoint P = Button->ClientToScreen(Point(Button->Width() / 2, Button->Height() / 2));
  EXPECT_EQ(FindDragTarget(P, false), Button);
  SetCursorPos(P.x, P.y);
  PostMessageA(Form->ToolBar1->Handle(), WM_MOUSEMOVE, 0, PointToLParam(Button->Left() + 5, Button->Top() + 5));
  EXPECT_TRUE(PumpUntil([] { return Application->Hint() == "Ucz si\xEA"; })) << Application->Hint();
  // A separator's place belongs to the tool bar.
  const TPoint Gap = Form->ToolButton7->ClientToScreen(Point(3, 3));
  EXPECT_EQ(FindDragTarget(Gap, false), Form->ToolBar1);
}

TEST_F(FormTest, ToolBarMadeInCodeFollowsItsButtonsAndImages) {
  TComEvents Events;
  TToolBar* Bar = new TToolBar(Form);
  Bar->SetParent(Form);
  Bar->SetEdgeBorders({});
  Bar->SetAutoSize(true);
  TImageList* Images = new TImageList(Form);
  Bar->SetImages(Images);
  PumpFor(30);
  auto AddButton = [&](const char* Name, TToolButtonStyle Style) {
    TToolButton* B = new TToolButton(Form);
    B->SetName(Name);
    B->SetStyle(Style);
    B->SetImageIndex(0);
    B->OnClick = TNotifyEvent(&Events, &TComEvents::Click);
    B->SetParent(Bar);
    return B;
  };
  TToolButton* A = AddButton("A", tbsButton);
  TToolButton* Gap = AddButton("Gap", tbsDivider);
  TToolButton* Drop = AddButton("Drop", tbsDropDown);
  EXPECT_EQ(SendMessageA(Bar->Handle(), TB_BUTTONCOUNT, 0, 0), 3);
  // AutoSize: as high as the row of buttons.
  EXPECT_EQ(Bar->Height(), ItemRect(Bar, 0).bottom);
  EXPECT_LT(Bar->Height(), 29);
  EXPECT_TRUE(SameRect(Drop->BoundsRect(), ItemRect(Bar, 2)));

  // The drop-down arrow opens the button's menu.
  TPopupMenu* Menu = new TPopupMenu(Form);
  TMenuItem* Item = new TMenuItem(Form);
  Item->SetName("Item1");
  Item->SetCaption("Jeden");
  Item->OnClick = TNotifyEvent(&Events, &TComEvents::Click);
  Menu->Items()->Add(Item);
  Drop->SetDropdownMenu(Menu);
  const UINT_PTR Timer = SetTimer(nullptr, 0, 150, ChooseFirstMenuItem);
  ClickAt(Bar->Handle(), Drop->Left() + Drop->Width() - 3, Drop->Top() + Drop->Height() / 2);
  KillTimer(nullptr, Timer);
  EXPECT_EQ(Log, std::vector<std::string>{"click Item1"});
  EXPECT_EQ(Menu->PopupComponent(), Drop);

  // Buttons that go leave the window; so does a freed image list.
  Gap->Free();
  EXPECT_EQ(SendMessageA(Bar->Handle(), TB_BUTTONCOUNT, 0, 0), 2);
  EXPECT_TRUE(SameRect(Drop->BoundsRect(), ItemRect(Bar, 1)));
  Images->Free();
  EXPECT_EQ(Bar->Images(), nullptr);
  EXPECT_EQ(SendMessageA(Bar->Handle(), TB_GETIMAGELIST, 0, 0), 0);
  EXPECT_EQ(WindowButton(Bar, 0).iBitmap, I_IMAGENONE);
  Log.clear();
  ClickControl(A);
  EXPECT_EQ(Log, std::vector<std::string>{"click A"});

  // A button with an action shows its states and runs it.
  TAction* Action = new TAction(Form);
  Action->SetName("Action1");
  Action->SetHint("Zapisz");
  Action->OnExecute = TNotifyEvent(&Events, &TComEvents::Execute);
  A->OnClick = nullptr;
  A->SetAction(Action);
  EXPECT_EQ(A->Hint(), "Zapisz");
  Log.clear();
  ClickControl(A);
  Action->SetEnabled(false);
  EXPECT_FALSE(SendMessageA(Bar->Handle(), TB_ISBUTTONENABLED, WindowButton(Bar, 0).idCommand, 0));
  ClickControl(A);
  EXPECT_EQ(Log, std::vector<std::string>{"execute Action1"});
}

// ---- hot-key control -------------------------------------------------------------

TEST_F(FormTest, HotKeyRoundTripsShortCutsAndReportsTypedKeys) {
  TComEvents Events;
  THotKey* HK = new THotKey(Form);
  HK->SetName("HK");
  HK->SetModifiers({hkCtrl});
  HK->SetInvalidKeys({hcNone, hcShift});
  HK->SetHotKey(16449);
  HK->OnChange = TNotifyEvent(&Events, &TComEvents::Change);
  HK->SetParent(Form);
  PumpFor(30);
  EXPECT_EQ(SendMessageA(HK->Handle(), HKM_GETHOTKEY, 0, 0), MAKEWORD('A', HOTKEYF_CONTROL));
  EXPECT_EQ(HK->HotKey(), 16449);

  // An extended key shows as one; the flag is not part of the shortcut.
  HK->SetHotKey(ShortCut(VK_DELETE, {ssShift}));
  EXPECT_EQ(SendMessageA(HK->Handle(), HKM_GETHOTKEY, 0, 0), MAKEWORD(VK_DELETE, HOTKEYF_SHIFT | HOTKEYF_EXT));
  EXPECT_EQ(HK->HotKey(), ShortCut(VK_DELETE, {ssShift}));
  EXPECT_TRUE(Log.empty());

  // A bare key is a refused combination: the default modifier takes its place.
  HK->SetFocus();
  SendMessageA(HK->Handle(), WM_KEYDOWN, 'B', 1);
  SendMessageA(HK->Handle(), WM_KEYUP, 'B', 0xC0000001);
  EXPECT_EQ(HK->HotKey(), ShortCut('B', {ssCtrl}));
  ASSERT_FALSE(Log.empty());
  EXPECT_EQ(Log[0], "change HK");

  // The key survives a new window.
  HK->SetParent(nullptr);
  EXPECT_EQ(HK->HotKey(), ShortCut('B', {ssCtrl}));
  HK->SetParent(Form);
  EXPECT_EQ(SendMessageA(HK->Handle(), HKM_GETHOTKEY, 0, 0), MAKEWORD('B', HOTKEYF_CONTROL));
}

// ---- rich edit -------------------------------------------------------------------

TEST_F(FormTest, RichEditReadsPolishRichTextAndKeepsItsFormatting) {
  TRichEdit* RE = new TRichEdit(Form);
  RE->SetBounds(10, 10, 380, 100);
  RE->SetReadOnly(true);
  RE->SetScrollBars(ssVertical);
  {
    // Read before the window exists, and streamed into it once it does.
    TFileStream Stream(FIXTURES_DIR "/comctrls/info.rtf", fmOpenRead);
    RE->Lines()->LoadFromStream(&Stream);
  }
  EXPECT_FALSE(RE->HandleAllocated());
  RE->SetParent(Form);
  ASSERT_TRUE(RE->HandleAllocated());
  ASSERT_EQ(RE->Lines()->Count(), 2);
  EXPECT_EQ(RE->Lines()->Strings(0), "Zaj\xEA" "cia z j\xEAzyka polskiego i \xB9");
  EXPECT_EQ(RE->Lines()->Strings(1), "Druga linia");
  EXPECT_EQ(RE->Text().substr(0, 4), "Zaj\xEA");
  EXPECT_TRUE(GetWindowLongA(RE->Handle(), GWL_STYLE) & ES_READONLY);

  auto BoldAt = [&](int Start) {
    RE->SetSelStart(Start);
    RE->SetSelLength(3);
    CHARFORMATA Format{};
    Format.cbSize = sizeof(Format);
    SendMessageA(RE->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Format));
    return (Format.dwMask & CFM_BOLD) && (Format.dwEffects & CFE_BOLD);
  };
  const int Bold = static_cast<int>(RE->Lines()->Strings(0).find("polskiego"));
  EXPECT_TRUE(BoldAt(Bold));
  EXPECT_FALSE(BoldAt(0));
  EXPECT_EQ(RE->SelStart(), 0);
  EXPECT_EQ(RE->SelLength(), 3);

  // A new window keeps the text with its formatting.
  RE->SetWordWrap(false);
  EXPECT_EQ(RE->Lines()->Strings(1), "Druga linia");
  EXPECT_TRUE(BoldAt(Bold));

  // Tab and Esc are the form's while the text has the focus.
  TComEvents Events;
  TButton* Close = new TButton(Form);
  Close->SetName("Close");
  Close->SetTop(150);
  Close->SetCancel(true);
  Close->OnClick = TNotifyEvent(&Events, &TComEvents::Click);
  Close->SetParent(Form);
  RE->SetFocus();
  PostKey(RE->Handle(), VK_ESCAPE);
  EXPECT_EQ(Log, std::vector<std::string>{"click Close"});
  PostKey(RE->Handle(), VK_TAB);
  EXPECT_EQ(GetFocus(), Close->Handle());
}

TEST_F(FormTest, RichEditLinesEditTheParagraphs) {
  TRichEdit* RE = new TRichEdit(Form);
  // Before the window exists the lines are kept as plain text.
  RE->Lines()->Add("Pierwsza");
  RE->Lines()->Add("Trzecia");
  RE->Lines()->Insert(1, "Druga");
  EXPECT_EQ(RE->Lines()->Count(), 3);
  RE->SetParent(Form);
  PumpFor(20);
  ASSERT_TRUE(RE->HandleAllocated());
  EXPECT_EQ(RE->Lines()->Strings(2), "Trzecia");
  RE->Lines()->Add("Czwarta");
  RE->Lines()->Insert(0, "Zero");
  RE->Lines()->Delete(2);
  RE->Lines()->Delete(3);
  EXPECT_EQ(RE->Text(), "Zero\r\nPierwsza\r\nTrzecia");
  RE->Lines()->Delete(0);
  EXPECT_EQ(RE->Text(), "Pierwsza\r\nTrzecia");
  EXPECT_THROW(RE->Lines()->Delete(2), EStringListError);

  // Plain text mode shows rich text as it is written.
  RE->SetPlainText(true);
  RE->Lines()->SetText("{\\rtf1 tekst}");
  EXPECT_EQ(RE->Text(), "{\\rtf1 tekst}");
  RE->Clear();
  EXPECT_EQ(RE->Lines()->Count(), 0);

  // More than the control's default limit of 32K characters, streamed in
  // pieces (line breaks across their ends stay single).
  AnsiString Long;
  for (int I = 0; I < 4000; ++I) Long += "wiersz " + std::to_string(1000 + I) + "\r\n";
  RE->Lines()->SetText(Long);
  EXPECT_TRUE(RE->Text() == Long);
  EXPECT_EQ(RE->Lines()->Count(), 4000);
}

// ---- spin edit -------------------------------------------------------------------

TEST_F(FormTest, SpinEditClampsItsValueAndStepsWithKeysAndButtons) {
  TComEvents Events;
  TSpinEdit* Spin = new TSpinEdit(Form);
  Spin->SetName("Spin");
  Spin->SetMinValue(1);
  Spin->SetMaxValue(5);
  Spin->SetValue(1);
  Spin->SetParent(Form);
  TEdit* Other = new TEdit(Form);
  Other->SetTop(100);
  Other->SetParent(Form);
  PumpFor(30);

  Spin->SetValue(9);
  EXPECT_EQ(Spin->Text(), "5");
  Spin->SetValue(-3);
  EXPECT_EQ(Spin->Value(), 1);
  Spin->SetText("abc");
  EXPECT_EQ(Spin->Value(), 1);

  // Leaving the control turns what was typed into a number in the range.
  Spin->SetFocus();
  Spin->SetText("7");
  Other->SetFocus();
  EXPECT_EQ(Spin->Text(), "5");
  Spin->SetFocus();
  Spin->SetText("abc");
  Other->SetFocus();
  EXPECT_EQ(Spin->Text(), "1");

  Spin->OnChange = TNotifyEvent(&Events, &TComEvents::Change);
  Spin->SetFocus();
  PostKey(Spin->Handle(), VK_UP);
  PostKey(Spin->Handle(), VK_UP);
  EXPECT_EQ(Spin->Value(), 3);
  PostKey(Spin->Handle(), VK_DOWN);
  EXPECT_EQ(Spin->Value(), 2);
  EXPECT_EQ(Log.size(), 3u);

  // The buttons: the upper half steps up, the lower down; not past the ends.
  HWND UpDown = FindWindowExA(Spin->Handle(), nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_NE(UpDown, nullptr);
  RECT R{};
  GetClientRect(UpDown, &R);
  ClickAt(UpDown, R.right / 2, R.bottom / 4);
  EXPECT_EQ(Spin->Value(), 3);
  for (int I = 0; I < 4; ++I) ClickAt(UpDown, R.right / 2, R.bottom * 3 / 4);
  EXPECT_EQ(Spin->Value(), 1);

  // Only numbers are typed; with the editor off, nothing is.
  PostChar(Spin->Handle(), 'x');
  EXPECT_EQ(Spin->Text(), "1");
  Spin->SelectAll();
  PostChar(Spin->Handle(), '4');
  EXPECT_EQ(Spin->Text(), "4");
  Spin->SetEditorEnabled(false);
  Spin->SelectAll();
  PostChar(Spin->Handle(), '2');
  EXPECT_EQ(Spin->Text(), "4");
  PostKey(Spin->Handle(), VK_UP);
  EXPECT_EQ(Spin->Value(), 5);
}

TEST_F(FormTest, SpinEditWithoutARangeStopsAtTheIntegerLimits) {
  TSpinEdit* Spin = new TSpinEdit(Form);
  Spin->SetParent(Form);
  Spin->SetIncrement(10);
  Spin->SetValue(INT_MAX - 5);
  Spin->SetFocus();
  PostKey(Spin->Handle(), VK_UP);
  EXPECT_EQ(Spin->Value(), INT_MAX);
  Spin->SetValue(-100);
  PostKey(Spin->Handle(), VK_DOWN);
  EXPECT_EQ(Spin->Value(), -110);
}
