// The patch shared between modules: two copies of a DLL that carries it
// share one block, and the second takes the patch over when the owner
// leaves. And the entry prefixes a trampoline may move.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "VsSBPatch.h"

namespace {

struct TPatchModule {
  HMODULE Module = nullptr;
  void (*Init)() = nullptr;
  void (*Done)() = nullptr;
  bool (*Owner)() = nullptr;
  bool (*Active)() = nullptr;
  int (*Hits)(int) = nullptr;
  const TVsSBPatchBlock* (*Block)() = nullptr;

  template <class F> void Bind(F& Fn, const char* Name) {
    Fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
  }
  bool Load(const std::string& Path) {
    Module = LoadLibraryA(Path.c_str());
    if (!Module) return false;
    Bind(Init, "TestInitPatch");
    Bind(Done, "TestDonePatch");
    Bind(Owner, "TestPatchOwner");
    Bind(Active, "TestPatchActive");
    Bind(Hits, "TestPatchHits");
    Bind(Block, "TestPatchBlock");
    return Init && Done && Owner && Active && Hits && Block;
  }
};

class VsSBPatchModules : public ::testing::Test {
protected:
  void SetUp() override {
    PathA = TestTempPath("sbpatch", "A.dll");
    PathB = TestTempPath("sbpatch", "B.dll");
    Remove();
    ASSERT_TRUE(CopyFileA(SBPATCH_DLL, PathA.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(SBPATCH_DLL, PathB.c_str(), FALSE));
  }
  void TearDown() override {
    for (TPatchModule* M : {&B, &A})
      if (M->Module) {
        if (M->Block && M->Block()) M->Done();
        FreeLibrary(M->Module);
        M->Module = nullptr;
      }
    Remove();
  }
  void Remove() {
    DeleteFileA(PathA.c_str());
    DeleteFileA(PathB.c_str());
  }

  std::string PathA, PathB;
  TPatchModule A, B;
};

// A window whose bar the system keeps; the patch passes its calls on.
int SetRangeOn(HWND Wnd, int Max) {
  SCROLLINFO Info{sizeof Info, SIF_RANGE, 0, Max, 0, 0, 0};
  return SetScrollInfo(Wnd, SB_VERT, &Info, FALSE);
}

}  // namespace

TEST_F(VsSBPatchModules, SecondModuleJoinsAndTakesThePatchOverWhenTheOwnerLeaves) {
  ASSERT_TRUE(A.Load(PathA));
  ASSERT_TRUE(B.Load(PathB));
  A.Init();
  B.Init();
  ASSERT_TRUE(A.Active() && B.Active());
  EXPECT_TRUE(A.Owner());
  EXPECT_FALSE(B.Owner());
  ASSERT_NE(A.Block(), nullptr);
  EXPECT_EQ(A.Block()->Count, 2);
  EXPECT_EQ(B.Block()->Count, 2);

  HWND Wnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_VSCROLL, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
  ASSERT_NE(Wnd, nullptr);
  const int Before = A.Hits(1);
  SetRangeOn(Wnd, 10);
  EXPECT_EQ(A.Hits(1), Before + 1);
  EXPECT_EQ(B.Hits(1), 0);

  // The owner leaves: its routines are restored and the flag is set; the
  // window it makes on the way out runs the other module's check.
  A.Done();
  EXPECT_TRUE(B.Owner());
  EXPECT_TRUE(B.Active());
  EXPECT_EQ(B.Block()->Count, 1);
  EXPECT_EQ(B.Block()->Repatch, 0);
  FreeLibrary(A.Module);
  A.Module = nullptr;
  SetRangeOn(Wnd, 20);
  EXPECT_EQ(B.Hits(1), 1);
  SCROLLINFO Info{sizeof Info, SIF_RANGE, 0, 0, 0, 0, 0};
  GetScrollInfo(Wnd, SB_VERT, &Info);
  EXPECT_EQ(Info.nMax, 20);
  DestroyWindow(Wnd);

  // The last module restores the routines for good.
  B.Done();
  EXPECT_EQ(B.Block(), nullptr);
  const auto* Entry = reinterpret_cast<const Byte*>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetScrollInfo")));
  EXPECT_NE(Entry[0], 0xE9);
}

TEST(VsSBPatchPrefix, OnlyWholeInstructionPrefixesThatMoveAreKnown) {
  const struct {
    Byte Code[8];
    int Prefix;
  } Cases[] = {
      {{0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D, 0xFF, 0x25}, 5},  // mov edi, edi; push ebp; mov ebp, esp
      {{0xB8, 0xEC, 0x10, 0x00, 0x00, 0xBA, 0x70, 0xC6}, 5},  // mov eax, imm32
      {{0xFF, 0x25, 0x9C, 0x51, 0x94, 0x68, 0x90, 0x90}, 6},  // jmp [abs32]
      {{0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10, 0x90, 0x90}, 0},  // push ebp without the filler
      {{0x8B, 0xFF, 0x55, 0x89, 0xE5, 0x90, 0x90, 0x90}, 0},  // the other encoding of mov ebp, esp
      {{0xE9, 0x00, 0x00, 0x00, 0x00, 0x90, 0x90, 0x90}, 0},  // a jump someone wrote already
      {{0xFF, 0x15, 0x00, 0x00, 0x00, 0x00, 0x90, 0x90}, 0},  // call [abs32]
  };
  for (const auto& C : Cases) EXPECT_EQ(ScrollEntryPrefix(C.Code), C.Prefix) << std::hex << int(C.Code[0]);
  EXPECT_EQ(ScrollEntryPrefix(nullptr), 0);
}
