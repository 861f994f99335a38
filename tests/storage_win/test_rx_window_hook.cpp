// Window hooks: order of the hooks around the control's own window procedure, Handled,
// results changed afterwards, other subclassers, recreated windows, and dispatch tables.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/win/application.h"
#include "classlib/win/controls.h"
#include "classlib/win/forms.h"
#include "tests/support/form_test.h"
#include "ui/rx_window_hook.h"

namespace {

constexpr UINT WM_PROBE = WM_APP + 17;

std::vector<std::string> Log;

// A control that records the probe messages its own window procedure gets.
class TLogControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_PROBE) {
      Log.push_back("control");
      Message.Result = 7;
      return;
    }
    if (Message.Msg == WM_DESTROY) Log.push_back("control destroy");
    TCustomControl::WndProc(Message);
  }
};

struct THookedControl {
  std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
  TLogControl* Control;
  THookedControl() {
    Control = new TLogControl(Form.get());
    Control->SetParent(Form.get());
    Control->SetBounds(0, 0, 50, 50);
    Control->HandleNeeded();
    Log.clear();
  }
};

TRxWindowHook* LoggingHook(TComponent* Owner, TWinControl* Control, const std::string& Name) {
  auto* Hook = new TRxWindowHook(Owner);
  Hook->BeforeMessage = [Name](TObject*, TMessage& M, bool&) {
    if (M.Msg == WM_PROBE || M.Msg == WM_DESTROY || M.Msg == WM_QUIT) Log.push_back(Name + " before");
  };
  Hook->AfterMessage = [Name](TObject*, TMessage& M, bool&) {
    if (M.Msg == WM_PROBE || M.Msg == WM_DESTROY || M.Msg == WM_QUIT) Log.push_back(Name + " after");
  };
  Hook->SetWinControl(Control);
  return Hook;
}

LRESULT CALLBACK LaterSubclass(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto Prev = reinterpret_cast<WNDPROC>(GetPropW(Wnd, L"TestPrev"));
  if (Msg == WM_PROBE) Log.push_back("later");
  return CallWindowProcW(Prev, Wnd, Msg, WParam, LParam);
}

}  // namespace

TEST(RxWindowHook, NewestHookSeesMessagesFirstAndMayChangeTheResult) {
  THookedControl C;
  LoggingHook(C.Form.get(), C.Control, "h1");
  TRxWindowHook* H2 = LoggingHook(C.Form.get(), C.Control, "h2");
  EXPECT_EQ(SendMessageW(C.Control->Handle(), WM_PROBE, 0, 0), 7);
  EXPECT_EQ(Log, (std::vector<std::string>{"h2 before", "h1 before", "control", "h2 after", "h1 after"}));

  H2->AfterMessage = [](TObject*, TMessage& M, bool&) {
    if (M.Msg == WM_PROBE) M.Result = 42;
  };
  EXPECT_EQ(SendMessageW(C.Control->Handle(), WM_PROBE, 0, 0), 42);

  // Handled before: neither the control nor any after-handler sees the message.
  Log.clear();
  H2->BeforeMessage = [](TObject*, TMessage& M, bool& Handled) {
    if (M.Msg == WM_PROBE || M.Msg == WM_DESTROY) {
      Log.push_back("h2 handles");
      M.Result = 3;
      Handled = true;
    }
  };
  EXPECT_EQ(SendMessageW(C.Control->Handle(), WM_PROBE, 0, 0), 3);
  EXPECT_EQ(Log, std::vector<std::string>{"h2 handles"});

  // ...except WM_DESTROY, which always reaches the control.
  Log.clear();
  C.Control->RecreateWnd();
  EXPECT_EQ(Log, (std::vector<std::string>{"h2 handles", "control destroy", "h1 after"}));

  // WM_QUIT is shown only after the control.
  H2->SetActive(false);
  Log.clear();
  PumpMessages();
  SendMessageW(C.Control->Handle(), WM_QUIT, 0, 0);
  EXPECT_EQ(Log, std::vector<std::string>{"h1 after"});
}

TEST(RxWindowHook, RecreatedWindowsAreHookedAgain) {
  THookedControl C;
  LoggingHook(C.Form.get(), C.Control, "h");
  HWND Old = C.Control->Handle();
  C.Control->RecreateWnd();
  ASSERT_NE(C.Control->Handle(), Old);
  PumpMessages();  // the hook list handles CM_RECREATEWINDOW
  Log.clear();
  SendMessageW(C.Control->Handle(), WM_PROBE, 0, 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"h before", "control", "h after"}));
}

// The hook list hooks a control's next window only while hooks are attached: once the last
// one has gone, the control is left alone (and no window is made for it). A control that
// was freed meanwhile would otherwise be touched after it is gone.
TEST(RxWindowHook, AControlWithoutHooksIsNotHookedAgain) {
  THookedControl C;
  TRxWindowHook* H = LoggingHook(C.Form.get(), C.Control, "h");
  DestroyWindow(C.Control->Handle());  // posts CM_RECREATEWINDOW
  ASSERT_FALSE(C.Control->HandleAllocated());
  H->SetActive(false);
  PumpMessages();
  EXPECT_FALSE(C.Control->HandleAllocated());
  TControlHook* Unused = GetHookList()->FindControlHook(C.Control);
  EXPECT_TRUE(Unused == nullptr || !Unused->Hooked());

  // Attached again, the hook sees the control's messages as before.
  H->SetActive(true);
  Log.clear();
  SendMessageW(C.Control->Handle(), WM_PROBE, 0, 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"h before", "control", "h after"}));
}

TEST(RxWindowHook, RemovingTheLastHookGivesTheWindowBack) {
  THookedControl C;
  HWND Wnd = C.Control->Handle();
  LONG_PTR Own = GetWindowLongPtrW(Wnd, GWLP_WNDPROC);
  TRxWindowHook* H = LoggingHook(C.Form.get(), C.Control, "h");
  EXPECT_NE(GetWindowLongPtrW(Wnd, GWLP_WNDPROC), Own);
  H->SetActive(false);
  EXPECT_EQ(GetWindowLongPtrW(Wnd, GWLP_WNDPROC), Own);
  EXPECT_EQ(H->WinControl(), C.Control);
  H->SetActive(true);
  EXPECT_NE(GetWindowLongPtrW(Wnd, GWLP_WNDPROC), Own);

  // A procedure installed after the hook is not torn out when the hook goes.
  SetPropW(Wnd, L"TestPrev", reinterpret_cast<HANDLE>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)));
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclass));
  H->SetWinControl(nullptr);
  EXPECT_EQ(GetWindowLongPtrW(Wnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(LaterSubclass));
  Log.clear();
  EXPECT_EQ(SendMessageW(Wnd, WM_PROBE, 0, 0), 7);
  EXPECT_EQ(Log, (std::vector<std::string>{"later", "control"}));
  PumpMessages();  // CM_DESTROYHOOK frees the unused control hook
  EXPECT_EQ(GetHookList()->FindControlHook(C.Control), nullptr);
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropW(Wnd, L"TestPrev")));
  RemovePropW(Wnd, L"TestPrev");
}

TEST(RxWindowHook, FormsAndFreedControls) {
  THookedControl C;
  auto* Hook = new TRxWindowHook(C.Form.get());
  Hook->SetIsForm(true);
  EXPECT_EQ(Hook->WinControl(), C.Form.get());
  EXPECT_TRUE(Hook->IsForm());
  EXPECT_EQ(GetPropText(Hook, "IsForm"), "True");
  Hook->SetWinControl(C.Control);
  EXPECT_FALSE(Hook->IsForm());

  // A freed control leaves the hook without a control.
  delete C.Control;
  EXPECT_EQ(Hook->WinControl(), nullptr);
  PumpMessages();
}

TEST(RxWindowHook, AnExceptionInAHandlerGoesToTheApplicationAndTheWalkGoesOn) {
  THookedControl C;
  LoggingHook(C.Form.get(), C.Control, "h1");
  auto* Bad = new TRxWindowHook(C.Form.get());
  Bad->BeforeMessage = [](TObject*, TMessage& M, bool&) {
    if (M.Msg == WM_PROBE) throw Exception("bad hook");
  };
  Bad->SetWinControl(C.Control);
  std::vector<std::string> Errors;
  auto Saved = Application->OnException;
  Application->OnException = [&](TObject*, const std::exception& E) { Errors.push_back(E.what()); };
  SendMessageW(C.Control->Handle(), WM_PROBE, 0, 0);
  Application->OnException = Saved;
  EXPECT_EQ(Errors, std::vector<std::string>{"bad hook"});
  EXPECT_EQ(Log, (std::vector<std::string>{"h1 before", "control", "h1 after"}));
}
