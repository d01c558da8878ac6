// A module of the test process with its own copy of the scroll-bar patch,
// for the tests of ownership and hand-over between modules.
#include "VsInprocHookAPI.h"
#include "VsSBPatch.h"

extern "C" {
__declspec(dllexport) void TestInitPatch() {
  InitializeVsInprocHookAPI();
  InitScrollBarPatch();
}
__declspec(dllexport) void TestDonePatch() {
  DoneScrollBarPatch();
  FinalizeVsInprocHookAPI();
}
__declspec(dllexport) bool TestPatchOwner() { return ScrollBarPatchOwner(); }
__declspec(dllexport) bool TestPatchActive() { return ScrollBarPatchActive(); }
__declspec(dllexport) int TestPatchHits(int Index) { return ScrollBarPatchHits(Index); }
__declspec(dllexport) const TVsSBPatchBlock* TestPatchBlock() { return ScrollBarPatchBlock(); }
}
