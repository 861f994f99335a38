// The drop target of the shell list and tree: calls reach the control, a call without its
// effect pointer is refused before the control sees it, a failing control and a control
// already gone refuse the drop without an exception leaving the COM call.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "shell/forwarding_drop_target.h"

namespace {

struct TFakeControl {
  std::string Calls;
  bool Fail = false;
  DWORD Answer = DROPEFFECT_COPY;
  HRESULT Reply(char Call, DWORD* Effect) {
    Calls += Call;
    if (Fail) throw std::runtime_error("control failed");
    if (Effect != nullptr) *Effect = Answer;
    return S_OK;
  }
  HRESULT DoDragEnter(IDataObject*, DWORD, POINTL, DWORD* Effect) { return Reply('E', Effect); }
  HRESULT DoDragOver(DWORD, POINTL, DWORD* Effect) { return Reply('O', Effect); }
  HRESULT DoDragLeave() { return Reply('L', nullptr); }
  HRESULT DoDrop(IDataObject*, DWORD, POINTL, DWORD* Effect) { return Reply('D', Effect); }
};

// Calls every method of the target once, each with the given effect pointer; the effects
// they leave.
std::string CallAll(IDropTarget* Target, bool WithEffect, HRESULT Expected) {
  std::string Left;
  const POINTL Pt{1, 2};
  DWORD E = DROPEFFECT_MOVE;
  EXPECT_EQ(Target->DragEnter(nullptr, MK_LBUTTON, Pt, WithEffect ? &E : nullptr), Expected);
  Left += std::to_string(E) + " ";
  E = DROPEFFECT_MOVE;
  EXPECT_EQ(Target->DragOver(MK_LBUTTON, Pt, WithEffect ? &E : nullptr), Expected);
  Left += std::to_string(E) + " ";
  EXPECT_EQ(Target->DragLeave(), S_OK);
  E = DROPEFFECT_MOVE;
  EXPECT_EQ(Target->Drop(nullptr, 0, Pt, WithEffect ? &E : nullptr), Expected);
  Left += std::to_string(E);
  return Left;
}

TEST(ForwardingDropTarget, ForwardsRefusesMissingEffectsAndSurvivesItsControl) {
  TFakeControl Control;
  auto* Target = new TForwardingDropTarget<TFakeControl>(&Control);

  EXPECT_EQ(CallAll(Target, true, S_OK), "1 1 1");  // the control's copy
  EXPECT_EQ(Control.Calls, "EOLD");

  // Without an effect pointer only the leave reaches the control.
  Control.Calls.clear();
  EXPECT_EQ(CallAll(Target, false, E_POINTER), "2 2 2");
  EXPECT_EQ(Control.Calls, "L");

  // A failing control: no drop, and the call still answers.
  Control.Calls.clear();
  Control.Fail = true;
  EXPECT_EQ(CallAll(Target, true, S_OK), "0 0 0");
  EXPECT_EQ(Control.Calls, "EOLD");

  // The control gone: nothing reaches it, every drop is refused.
  Control.Fail = false;
  Control.Calls.clear();
  Target->Detach();
  EXPECT_EQ(CallAll(Target, true, S_OK), "0 0 0");
  EXPECT_EQ(Control.Calls, "");
  Target->Release();
}

}  // namespace
