#include "ui/rx_window_hook.h"

#include <algorithm>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/utility_window.h"

namespace {

// The window property that leads a hooked window's messages to its control hook.
const wchar_t* const kHookProp = L"ZembrixControlHook";

THookList* HookList = nullptr;
bool HookListFinished = false;

// Frees the list when the program ends.
struct THookListFinalizer {
  ~THookListFinalizer() {
    HookListFinished = true;
    delete HookList;
    HookList = nullptr;
  }
} Finalizer;

void HandleHookException(TObject* Sender) {
  if (Application != nullptr) Application->HandleException(Sender);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The window procedure of hooked windows

LRESULT CALLBACK ControlHookWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (auto* Hook = static_cast<TControlHook*>(GetPropW(Wnd, kHookProp))) return Hook->WndProc(Wnd, Msg, WParam, LParam);
  // Unhooked while a later subclasser still calls us: go on to the class's procedure.
  auto ClassProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(Wnd, GCLP_WNDPROC));
  return CallWindowProcW(ClassProc, Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------------------
// TControlHook

TControlHook::TControlHook() = default;

TControlHook::~TControlHook() {
  FDestroying = true;
  if (HookList != nullptr) HookList->Remove(this);
  while (!FList.empty()) RemoveHook(FList.back());
  UnhookControl();
  FControl = nullptr;
}

bool TControlHook::ControlDestroying() const {
  return FControl != nullptr && FControl->ComponentState().Contains(csDestroying);
}

void TControlHook::SetWinControl(TWinControl* Value) {
  if (Value == FControl) return;
  UnhookControl();
  FControl = Value;
  if (!FList.empty()) HookControl();
}

void TControlHook::AddHook(TRxWindowHook* Hook) {
  if (std::find(FList.begin(), FList.end(), Hook) == FList.end()) {
    FList.push_back(Hook);
    Hook->FControlHook = this;
    FControl = Hook->FControl;
  }
  HookControl();
}

void TControlHook::RemoveHook(TRxWindowHook* Hook) {
  Hook->FControlHook = nullptr;
  FList.erase(std::remove(FList.begin(), FList.end(), Hook), FList.end());
  if (FList.empty()) UnhookControl();
}

void TControlHook::HookControl() {
  // Without hooks there is nothing to hook for; the control may even be gone already (its
  // hooks leave it when it is freed, and a CM_RECREATEWINDOW may still be on its way).
  if (FControl == nullptr || FDestroying || FList.empty()) return;
  TComponentState State = FControl->ComponentState();
  if (State.Contains(csDesigning) || State.Contains(csDestroying)) return;
  HWND Wnd = FControl->Handle();
  if (FPrevWndProc != nullptr && FHookedWnd == Wnd) return;
  auto Current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
  if (Current == ControlHookWndProc) return;
  FHookedWnd = Wnd;
  FPrevWndProc = Current;
  SetPropW(Wnd, kHookProp, this);
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlHookWndProc));
}

void TControlHook::UnhookControl() {
  if (FPrevWndProc != nullptr && FHookedWnd != nullptr && IsWindow(FHookedWnd)) {
    // A procedure installed after ours stays: tearing it out would break its owner.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FHookedWnd, GWLP_WNDPROC)) == ControlHookWndProc)
      SetWindowLongPtrW(FHookedWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevWndProc));
    if (GetPropW(FHookedWnd, kHookProp) == this) RemovePropW(FHookedWnd, kHookProp);
  }
  FPrevWndProc = nullptr;
  FHookedWnd = nullptr;
}

void TControlHook::NotifyHooks(bool Before, TMessage& Msg, bool& Handled) {
  // A handler may add or remove hooks: walk a copy, skipping the ones gone meanwhile.
  std::vector<TRxWindowHook*> Hooks = FList;
  for (auto It = Hooks.rbegin(); It != Hooks.rend(); ++It) {
    if (FList.empty() || FControl == nullptr || FDestroying || ControlDestroying()) return;
    if (std::find(FList.begin(), FList.end(), *It) == FList.end()) continue;
    try {
      if (Before)
        (*It)->DoBeforeMessage(Msg, Handled);
      else
        (*It)->DoAfterMessage(Msg, Handled);
    } catch (...) {
      HandleHookException(this);
    }
    if (Handled) return;
  }
}

LRESULT TControlHook::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  WNDPROC Prev = FPrevWndProc != nullptr ? FPrevWndProc : reinterpret_cast<WNDPROC>(GetClassLongPtrW(Wnd, GCLP_WNDPROC));
  if (FControl == nullptr) return CallWindowProcW(Prev, Wnd, Msg, WParam, LParam);
  TMessage M{Msg, WParam, LParam, 0};
  bool Handled = false;
  if (Msg != WM_QUIT) NotifyHooks(true, M, Handled);
  if (!Handled || Msg == WM_DESTROY) {
    M.Result = CallWindowProcW(Prev, Wnd, Msg, M.WParam, M.LParam);
    Handled = false;
    NotifyHooks(false, M, Handled);
  }
  if (Msg == WM_DESTROY) {
    UnhookControl();
    // The control's next window is hooked once this message is done.
    if (HookList != nullptr && !FDestroying && !ControlDestroying())
      PostMessageW(HookList->Handle(), CM_RECREATEWINDOW, 0, reinterpret_cast<LPARAM>(this));
  }
  return M.Result;
}

// ---------------------------------------------------------------------------------------
// THookList

THookList::THookList() {
  FHandle = AllocateHWnd([this](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return WndProc(Wnd, Msg, WParam, LParam);
  });
}

THookList::~THookList() {
  while (Count() > 0) {
    auto* Hook = static_cast<TControlHook*>(Last());
    Delete(Count() - 1);
    delete Hook;
  }
  if (FHandle != nullptr) DeallocateHWnd(FHandle);
}

TControlHook* THookList::FindControlHook(TWinControl* Control) const {
  if (Control == nullptr) return nullptr;
  for (int I = 0; I < Count(); ++I)
    if (ControlHooks(I)->Control() == Control) return ControlHooks(I);
  return nullptr;
}

TControlHook* THookList::GetControlHook(TWinControl* Control) {
  if (TControlHook* Found = FindControlHook(Control)) return Found;
  auto* Hook = new TControlHook;
  try {
    Add(Hook);
    Hook->SetWinControl(Control);
  } catch (...) {
    Remove(Hook);
    delete Hook;
    throw;
  }
  return Hook;
}

LRESULT THookList::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Hook = reinterpret_cast<TControlHook*>(LParam);
  try {
    switch (Msg) {
      case CM_RECREATEWINDOW:
        if (IndexOf(Hook) >= 0) Hook->HookControl();
        return 0;
      case CM_DESTROYHOOK:
        if (IndexOf(Hook) >= 0 && Hook->HookCount() == 0) delete Hook;
        return 0;
      default:
        break;
    }
  } catch (...) {
    HandleHookException(this);
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

THookList* GetHookList() {
  if (HookList == nullptr && !HookListFinished) HookList = new THookList;
  return HookList;
}

bool HookListExists() { return HookList != nullptr; }

// ---------------------------------------------------------------------------------------
// TRxWindowHook

const TClassInfo* TRxWindowHook::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxWindowHook, TComponent>("TRxWindowHook")
                                     .Prop("Active", &TRxWindowHook::Active, &TRxWindowHook::SetActive)
                                     .Prop("WinControl", &TRxWindowHook::WinControl, &TRxWindowHook::SetWinControl)
                                     .Prop("IsForm", &TRxWindowHook::IsForm, &TRxWindowHook::SetIsForm)
                                     .Prop("BeforeMessage", &TRxWindowHook::BeforeMessage)
                                     .Prop("AfterMessage", &TRxWindowHook::AfterMessage)
                                     .Build();
  return &Info;
}

TRxWindowHook::TRxWindowHook(TComponent* AOwner) : TComponent(AOwner) {}

TRxWindowHook::~TRxWindowHook() {
  Destroying();
  SetActive(false);
  SetWinControl(nullptr);
}

void TRxWindowHook::HookControl() {
  if (FControl != nullptr && !ComponentState().Contains(csDestroying))
    if (THookList* List = GetHookList()) List->GetControlHook(FControl)->AddHook(this);
  FActive = true;
}

void TRxWindowHook::UnhookControl() {
  if (FControlHook != nullptr) FControlHook->RemoveHook(this);
  FActive = false;
}

void TRxWindowHook::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value)
    HookControl();
  else
    UnhookControl();
}

TWinControl* TRxWindowHook::WinControl() const {
  return FControlHook != nullptr ? FControlHook->Control() : FControl;
}

void TRxWindowHook::SetWinControl(TWinControl* Value) {
  if (Value == WinControl()) return;
  bool WasActive = FActive;
  TControlHook* Old = FControlHook;
  if (Old != nullptr) Old->RemoveHook(this);
  FControl = Value;
  if (Value != nullptr) Value->FreeNotification(this);
  // The old control hook is freed later, never from inside a window procedure of its own.
  if (Old != nullptr && Old->HookCount() == 0 && HookList != nullptr)
    PostMessageW(HookList->Handle(), CM_DESTROYHOOK, 0, reinterpret_cast<LPARAM>(Old));
  if (WasActive) HookControl();
}

bool TRxWindowHook::IsForm() const {
  TWinControl* Control = WinControl();
  return Control != nullptr && Control == Owner() && dynamic_cast<TCustomForm*>(Control) != nullptr;
}

void TRxWindowHook::SetIsForm(bool Value) {
  if (Value)
    if (auto* Form = dynamic_cast<TCustomForm*>(Owner())) SetWinControl(Form);
}

void TRxWindowHook::DoBeforeMessage(TMessage& Msg, bool& Handled) {
  if (BeforeMessage) BeforeMessage(this, Msg, Handled);
}

void TRxWindowHook::DoAfterMessage(TMessage& Msg, bool& Handled) {
  if (AfterMessage) AfterMessage(this, Msg, Handled);
}

void TRxWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove &&
      (AComponent == WinControl() || AComponent == FControl || AComponent == Owner() || Owner() == nullptr))
    SetWinControl(nullptr);
}
