#include <gtest/gtest.h>

#include "Dict_Strings.h"
#include "Forms.h"
#include "Framework.h"

namespace {

class TMainWindow : public TForm {
public:
  using TForm::TForm;
};
TMainWindow* MainWindow = nullptr;

class TDialog : public TForm {
public:
  using TForm::TForm;
};

// What a box showed, read while it was up; then it is answered with Press.
struct TBoxSeen {
  WPARAM Press = IDOK;
  bool Found = false;
  HWND Owner = nullptr;
  bool OwnerEnabled = true;
  WideString Text;
  WideString Caption;
};
TBoxSeen* Seen = nullptr;

BOOL CALLBACK FindBox(HWND Wnd, LPARAM Data) {
  wchar_t Class[32] = {};
  GetClassNameW(Wnd, Class, 32);
  if (lstrcmpW(Class, L"#32770") != 0 || !IsWindowVisible(Wnd)) return TRUE;
  *reinterpret_cast<HWND*>(Data) = Wnd;
  return FALSE;
}

// A thread timer: the box's own message loop runs it.
VOID CALLBACK AnswerBox(HWND, UINT, UINT_PTR Id, DWORD) {
  try {
    HWND Box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&Box));
    if (!Box) return;
    KillTimer(nullptr, Id);
    wchar_t Buffer[512] = {};
    GetWindowTextW(Box, Buffer, 512);
    Seen->Caption = Buffer;
    GetDlgItemTextW(Box, 0xFFFF, Buffer, 512);
    Seen->Text = Buffer;
    Seen->Owner = GetWindow(Box, GW_OWNER);
    Seen->OwnerEnabled = Seen->Owner && IsWindowEnabled(Seen->Owner);
    Seen->Found = true;
    PostMessageW(Box, WM_COMMAND, Seen->Press, 0);
  } catch (...) {
  }
}

int ShowAndAnswer(TBoxSeen& Box, const WideString& Text, const WideString& Caption, UINT Flags) {
  Seen = &Box;
  SetTimer(nullptr, 0, 20, AnswerBox);
  return ShowAppMessage(Text, Caption, Flags);
}

class TGuiEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeFramework();
    InitializeDict_Strings();
    Application->CreateForm(MainWindow);
    MainWindow->SetBounds(50, 50, 300, 200);
    MainWindow->Show();
  }
  void TearDown() override {
    FinalizeFramework();
    FinalizeDict_Strings();
  }
};

[[maybe_unused]] const auto* const GuiEnvironment = ::testing::AddGlobalTestEnvironment(new TGuiEnvironment);

TEST(ShowAppMessage, ShowsTextAndCaptionOverTheMainWindowAndReturnsTheButton) {
  const struct {
    UINT Flags;
    WPARAM Press;
    int Expected;
  } Cases[] = {
      {MB_YESNO, IDYES, 6},
      {MB_YESNO, IDNO, IDNO},
      {MB_ICONERROR, IDOK, IDOK},
      {0, IDOK, IDOK},
  };
  for (const auto& Case : Cases) {
    TBoxSeen Box;
    Box.Press = Case.Press;
    EXPECT_EQ(ShowAndAnswer(Box, sMsgFileExists, sCapConfirmReplace, Case.Flags), Case.Expected) << Case.Flags;
    ASSERT_TRUE(Box.Found);
    EXPECT_EQ(Box.Owner, MainWindow->Handle());
    EXPECT_FALSE(Box.OwnerEnabled);
    EXPECT_EQ(Box.Text, L"Plik istnieje. Zast\u0105pi\u0107?");
    EXPECT_EQ(Box.Caption, L"Potwierd\u017A zast\u0119powanie");
  }
  EXPECT_TRUE(IsWindowEnabled(MainWindow->Handle()));
}

// A box raised from a modal dialog must disable that dialog, or a second
// click on it would stack another box.
TDialog* Dialog = nullptr;
TBoxSeen FromDialog;
int DialogResult = 0;

VOID CALLBACK RaiseFromDialog(HWND, UINT, UINT_PTR Id, DWORD) {
  try {
    KillTimer(nullptr, Id);
    FromDialog.Press = IDYES;
    DialogResult = ShowAndAnswer(FromDialog, sMsgCannotCreateDir, sCapError, MB_ICONERROR);
    Dialog->SetModalResult(mrOk);
  } catch (...) {
  }
}

TEST(ShowAppMessage, IsOwnedByTheModalDialogWhileOneIsUp) {
  TOwned<TDialog> Owned(Create<TDialog>(Application));
  Dialog = Owned.get();
  Dialog->SetBounds(100, 100, 200, 120);
  SetTimer(nullptr, 0, 20, RaiseFromDialog);
  EXPECT_EQ(Dialog->ShowModal(), mrOk);
  ASSERT_TRUE(FromDialog.Found);
  EXPECT_EQ(FromDialog.Owner, Dialog->Handle());
  EXPECT_FALSE(FromDialog.OwnerEnabled);
  EXPECT_EQ(DialogResult, IDYES);
  EXPECT_EQ(FromDialog.Caption, L"B\u0142\u0105d");

  // Once the dialog is gone the main window owns the boxes again.
  TBoxSeen After;
  ShowAndAnswer(After, sMsgDictCorrupt, sCapFileError, 0);
  EXPECT_EQ(After.Owner, MainWindow->Handle());
}

}  // namespace
