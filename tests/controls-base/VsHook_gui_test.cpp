// Message hooks on a real edit control: the order of the handlers, Handled,
// detaching and re-attaching, and handlers that detach while they run.
#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsHook.h"

namespace {

constexpr UINT MsgPlain = WM_USER + 7;
constexpr UINT MsgStop = WM_USER + 8;
constexpr UINT MsgStopAfter = WM_USER + 9;
constexpr UINT MsgDetach = WM_USER + 10;

// Stands in front of the edit's own procedure, so that the log shows when
// the control's procedure ran; and handles the hooks' events.
class TLog : public TObject {
public:
  std::vector<std::string> Lines;
  TWndMethod Original;
  TVsHook* A = nullptr;
  TVsHook* B = nullptr;

  void Own(TMessage& Msg) {
    if (Msg.Msg >= MsgPlain && Msg.Msg <= MsgDetach) Lines.push_back("own");
    Original(Msg);
  }
  std::string Name(TObject* Sender) const { return Sender == A ? "A" : "B"; }
  void Before(TObject* Sender, TMessage& Msg, bool& Handled) {
    if (Msg.Msg < MsgPlain || Msg.Msg > MsgDetach) return;
    Lines.push_back(Name(Sender) + " before");
    if (Msg.Msg == MsgStop && Sender == B) Handled = true;
    if (Msg.Msg == MsgDetach) static_cast<TVsHook*>(Sender)->SetActive(false);
  }
  void After(TObject* Sender, TMessage& Msg, bool& Handled) {
    if (Msg.Msg < MsgPlain || Msg.Msg > MsgDetach) return;
    Lines.push_back(Name(Sender) + " after");
    if (Msg.Msg == MsgStopAfter && Sender == B) Handled = true;
  }
};

using TLines = std::vector<std::string>;

class VsHookTest : public ::testing::Test {
protected:
  void SetUp() override {
    FinalizeVsHook();
    Application->CreateForm(Form);
    Edit = Create<TEdit>(Form);
    Edit->SetParent(Form);
    Log.Original = Edit->WindowProc;
    Own = TWndMethod(&Log, &TLog::Own);
    Edit->WindowProc = Own;
    Log.A = MakeHook();
    Log.B = MakeHook();
  }
  void TearDown() override {
    FreeAndNil(Form);
    FinalizeVsHook();
  }
  TVsHook* MakeHook() {
    auto* H = Create<TVsHook>(Form);
    H->OnBeforeProcess = TVsHookEvent(&Log, &TLog::Before);
    H->OnAfterProcess = TVsHookEvent(&Log, &TLog::After);
    return H;
  }
  TLines Run(UINT Msg) {
    Log.Lines.clear();
    SendMessageA(Edit->Handle(), Msg, 0, 0);
    return Log.Lines;
  }
  void AttachBoth() {
    Log.A->SetControl(Edit);
    Log.A->SetActive(true);
    Log.B->SetControl(Edit);
    Log.B->SetActive(true);
  }

  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  TLog Log;
  TWndMethod Own;
};

}  // namespace

TEST_F(VsHookTest, LastAttachedRunsFirstAndHandledStopsTheRest) {
  AttachBoth();
  EXPECT_EQ(Run(MsgPlain), (TLines{"B before", "A before", "own", "B after", "A after"}));
  EXPECT_EQ(Run(MsgStop), (TLines{"B before", "B after", "A after"}));
  EXPECT_EQ(Run(MsgStopAfter), (TLines{"B before", "A before", "own", "B after"}));
  // Perform goes through the same procedure as the window's messages.
  Log.Lines.clear();
  Edit->Perform(MsgPlain, 0, 0);
  EXPECT_EQ(Log.Lines.size(), 5u);
}

TEST_F(VsHookTest, DetachingTheLastHookRestoresTheProcedureAndReattachingHooksAgain) {
  AttachBoth();
  TCtlHook* Ctl = VsHookList()->FindHook(Edit);
  ASSERT_NE(Ctl, nullptr);
  EXPECT_FALSE(Edit->WindowProc == Own);
  Log.B->SetActive(false);
  EXPECT_EQ(Run(MsgPlain), (TLines{"A before", "own", "A after"}));
  Log.A->SetActive(false);
  EXPECT_TRUE(Edit->WindowProc == Own);
  EXPECT_EQ(Run(MsgPlain), (TLines{"own"}));
  Log.A->SetActive(true);
  EXPECT_EQ(VsHookList()->FindHook(Edit), Ctl);
  EXPECT_EQ(Run(MsgPlain), (TLines{"A before", "own", "A after"}));
}

TEST_F(VsHookTest, ActiveBeforeControlAttachesWhenTheControlComes) {
  Log.A->SetActive(true);
  EXPECT_EQ(VsHookList(), nullptr);
  EXPECT_TRUE(Edit->WindowProc == Own);
  Log.A->SetControl(Edit);
  EXPECT_EQ(Run(MsgPlain), (TLines{"A before", "own", "A after"}));
  // Moving the hook to another control takes it off the first one.
  TEdit* Other = Create<TEdit>(Form);
  Log.A->SetControl(Other);
  EXPECT_TRUE(Edit->WindowProc == Own);
  EXPECT_TRUE(Log.A->Active());
}

TEST_F(VsHookTest, AHookForgetsItsControlWhenTheControlGoes) {
  AttachBoth();
  FreeAndNil(Edit);
  EXPECT_EQ(Log.A->Control(), nullptr);
  EXPECT_EQ(Log.B->Control(), nullptr);
  EXPECT_TRUE(Log.A->Active());
}

TEST_F(VsHookTest, FreeingAHookDetachesIt) {
  AttachBoth();
  FreeAndNil(Log.B);
  EXPECT_EQ(Run(MsgPlain), (TLines{"A before", "own", "A after"}));
  FreeAndNil(Log.A);
  EXPECT_TRUE(Edit->WindowProc == Own);
}

TEST_F(VsHookTest, AHandlerThatDetachesItselfLetsTheMessageGoOn) {
  // Only hook: detaching it puts the saved procedure back and forgets it
  // while the hook procedure still runs.
  Log.A->SetControl(Edit);
  Log.A->SetActive(true);
  EXPECT_EQ(Run(MsgDetach), (TLines{"A before", "own"}));
  EXPECT_TRUE(Edit->WindowProc == Own);

  // The later of two detaches itself: the earlier still runs in both phases.
  AttachBoth();
  EXPECT_EQ(Run(MsgDetach), (TLines{"B before", "A before", "own"}));
  EXPECT_TRUE(Edit->WindowProc == Own);
}

TEST_F(VsHookTest, TheListWindowFreesEmptyControlHooksAndReinstalls) {
  AttachBoth();
  TVsHookList* List = VsHookList();
  TCtlHook* Ctl = List->FindHook(Edit);
  EXPECT_EQ(SendMessageA(List->Handle(), WM_QUERYENDSESSION, 0, 0), 1);

  // Someone else took the window procedure over: 0x474 puts the hooks in
  // front of it again.
  Edit->WindowProc = Own;
  SendMessageA(List->Handle(), VSM_REINSTALLHOOK, 0, reinterpret_cast<LPARAM>(Ctl));
  EXPECT_EQ(Run(MsgPlain), (TLines{"B before", "A before", "own", "B after", "A after"}));

  // A control hook that still has hooks is kept; an unknown one is ignored.
  SendMessageA(List->Handle(), VSM_FREECTLHOOK, 0, reinterpret_cast<LPARAM>(Ctl));
  SendMessageA(List->Handle(), VSM_FREECTLHOOK, 0, 12345);
  EXPECT_EQ(List->FindHook(Edit), Ctl);

  Log.A->SetActive(false);
  Log.B->SetActive(false);
  SendMessageA(List->Handle(), VSM_FREECTLHOOK, 0, reinterpret_cast<LPARAM>(Ctl));
  EXPECT_EQ(VsHookList(), nullptr);
  EXPECT_TRUE(Edit->WindowProc == Own);
  // The next hook makes a new list.
  Log.A->SetActive(true);
  ASSERT_NE(VsHookList(), nullptr);
  EXPECT_EQ(Run(MsgPlain), (TLines{"A before", "own", "A after"}));
}

TEST_F(VsHookTest, ALayoutHooksItsControlOnceTheReferenceIsResolved) {
  // Active is read before the reference to the edit is resolved.
  TStringStream Layout(
      "object F: TForm\n"
      "  object Hooked: TEdit\n  end\n"
      "  object Hook: TVsHook\n    Active = True\n    Control = Hooked\n  end\n"
      "end\n");
  TOwned<TForm> Read(new TForm(nullptr));
  ReadComponentLayout(&Layout, Read.get());
  auto* Hook = static_cast<TVsHook*>(Read->FindComponent("Hook"));
  auto* Hooked = static_cast<TEdit*>(Read->FindComponent("Hooked"));
  ASSERT_TRUE(Hook && Hooked);
  EXPECT_EQ(Hook->Control(), Hooked);
  ASSERT_NE(VsHookList(), nullptr);
  EXPECT_NE(VsHookList()->FindHook(Hooked), nullptr);
  EXPECT_EQ(GetPropInfo(Hook, "OnBeforeProcess")->TypeName(), "TVsHookEvent");
  Read.reset();
  EXPECT_EQ(VsHookList()->FindHook(Hooked)->HookCount(), 0);
}

class TVsHookEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeForms();
    InitializeStdCtrls();
    InitializeVsHook();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const HookEnvironment = ::testing::AddGlobalTestEnvironment(new TVsHookEnvironment);
