#include "ui/tray_icon.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/utility_window.h"
#include "classlib/win/wide_string.h"

std::string TrayTip(const std::string& Hint) {
  std::string Short = Hint.substr(0, Hint.find('|'));
  if (Short.size() > 63) Short.resize(63);
  return Short;
}

const TClassInfo* TRxTrayIcon::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxTrayIcon, TComponent>("TRxTrayIcon")
                                     .Prop("Active", &TRxTrayIcon::Active, &TRxTrayIcon::SetActive)
                                     .Prop("Enabled", &TRxTrayIcon::Enabled, &TRxTrayIcon::SetEnabled)
                                     .Prop("Hint", &TRxTrayIcon::Hint, &TRxTrayIcon::SetHint)
                                     .Prop("Icon", &TRxTrayIcon::Icon, &TRxTrayIcon::SetIcon)
                                     .Prop("Icons", &TRxTrayIcon::Icons, &TRxTrayIcon::SetIcons)
                                     .Prop("Animated", &TRxTrayIcon::Animated, &TRxTrayIcon::SetAnimated)
                                     .Prop("Interval", &TRxTrayIcon::Interval, &TRxTrayIcon::SetInterval)
                                     .Prop("PopupMenu", &TRxTrayIcon::PopupMenu, &TRxTrayIcon::SetPopupMenu)
                                     .Prop("OnClick", &TRxTrayIcon::OnClick)
                                     .Prop("OnDblClick", &TRxTrayIcon::OnDblClick)
                                     .Prop("OnMouseMove", &TRxTrayIcon::OnMouseMove)
                                     .Prop("OnMouseDown", &TRxTrayIcon::OnMouseDown)
                                     .Prop("OnMouseUp", &TRxTrayIcon::OnMouseUp)
                                     .Build();
  return &Info;
}

void RegisterTrayIcon() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TRxTrayIcon>();
}

TRxTrayIcon::TRxTrayIcon(TComponent* AOwner)
    : TComponent(AOwner), FIcon(std::make_unique<TIcon>()), FIcons(std::make_unique<TIconList>()),
      FTimer(new TRxTimer(this)) {
  FHandle = AllocateHWnd([this](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return WndProc(Wnd, Msg, WParam, LParam);
  });
  FTimer->SetThreaded(false);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(unsigned(FInterval));
  FTimer->SetOnTimer([this](TObject*) { Step(); });
  FIcon->OnChange = [this](TObject*) { IconChanged(); };
  FIcons->OnChange = [this](TObject*) { IconChanged(); };
}

TRxTrayIcon::~TRxTrayIcon() {
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer({});
  FIcon->OnChange = nullptr;
  FIcons->OnChange = nullptr;
  Deactivate();
  if (FHandle != nullptr) DeallocateHWnd(FHandle);
}

void TRxTrayIcon::Loaded() {
  TComponent::Loaded();
  if (FActive && !ComponentState().Contains(csDesigning)) Activate();
}

void TRxTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TRxTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  FPopupMenu = Value;
  if (Value != nullptr) Value->FreeNotification(this);
}

TIcon* TRxTrayIcon::CurrentIcon() const {
  if (FAnimated && FIcons->Count() > 0) return FIcons->Icons(std::clamp(FFrameIndex, 0, FIcons->Count() - 1));
  return FIcon.get();
}

void TRxTrayIcon::UpdateNotifyData() {
  std::memset(&FData, 0, sizeof FData);
  FData.cbSize = NOTIFYICONDATAW_V1_SIZE;
  FData.hWnd = FHandle;
  FData.uID = 0;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = CM_TRAYICON;
  TIcon* I = CurrentIcon();
  FData.hIcon = I != nullptr ? I->Handle() : nullptr;
  std::wstring Tip = ToWide(TrayTip(FHint));
  std::size_t N = std::min<std::size_t>(Tip.size(), 63);
  std::memcpy(FData.szTip, Tip.data(), N * sizeof(wchar_t));
  FData.szTip[N] = 0;
}

void TRxTrayIcon::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (ComponentState().Contains(csDesigning) || ComponentState().Contains(csLoading)) return;
  if (Value) Activate();
  else Deactivate();
}

void TRxTrayIcon::Activate() {
  Deactivate();
  TIcon* I = CurrentIcon();
  if (I == nullptr || I->Empty()) return;
  FFrameIndex = 0;
  UpdateNotifyData();
  FAdded = Shell_NotifyIconW(NIM_ADD, &FData) != FALSE;
  UpdateTimer();
}

void TRxTrayIcon::Deactivate() {
  if (FAdded) {
    UpdateNotifyData();
    Shell_NotifyIconW(NIM_DELETE, &FData);
  }
  FAdded = false;
  FFrameIndex = 0;
  UpdateTimer();
}

void TRxTrayIcon::UpdateTimer() {
  FTimer->SetInterval(unsigned(std::max(FInterval, 1)));
  FTimer->SetEnabled(FAdded && FAnimated && FIcons->Count() > 0);
}

void TRxTrayIcon::IconChanged() {
  // Nothing to animate: the plain icon shows.
  if (FIcons->Count() == 0) FAnimated = false;
  if (FAdded) {
    TIcon* I = CurrentIcon();
    if (I == nullptr || I->Empty()) {
      Deactivate();
    } else {
      UpdateNotifyData();
      Shell_NotifyIconW(NIM_MODIFY, &FData);
    }
  } else if (FActive && !ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading)) {
    Activate();
  }
  UpdateTimer();
}

void TRxTrayIcon::Step() {
  if (ComponentState().Contains(csDestroying) || !FAnimated || FIcons->Count() == 0) {
    UpdateTimer();
    return;
  }
  FFrameIndex = FFrameIndex + 1 >= FIcons->Count() ? 0 : FFrameIndex + 1;
  IconChanged();
}

void TRxTrayIcon::SetHint(const std::string& Value) {
  FHint = Value;
  IconChanged();
}

void TRxTrayIcon::SetIcon(TIcon* Value) { FIcon->Assign(Value); }

void TRxTrayIcon::SetIcons(TIconList* Value) { FIcons->Assign(Value); }

void TRxTrayIcon::SetAnimated(bool Value) {
  FAnimated = Value && FIcons->Count() > 0;
  if (!FAnimated) FFrameIndex = 0;
  IconChanged();
}

void TRxTrayIcon::SetInterval(int Value) {
  FInterval = std::clamp(Value, 1, 65535);
  UpdateTimer();
}

namespace {

TShiftState KeyShift() {
  TShiftState S;
  if (GetKeyState(VK_SHIFT) < 0) S << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) S << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) S << ssAlt;
  return S;
}

}  // namespace

void TRxTrayIcon::DoClick(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbRight && !ComponentState().Contains(csDesigning) && FActive && FPopupMenu != nullptr &&
      FPopupMenu->AutoPopup()) {
    FPopupMenu->SetPopupComponent(this);
    if (Application != nullptr) {
      TCustomForm* F = Screen != nullptr ? Screen->ActiveForm() : nullptr;
      if (F == nullptr) F = Application->MainForm();
      if (F != nullptr && F->HandleAllocated()) SetActiveWindow(F->Handle());
    }
    // The shell's menus close when the user clicks elsewhere only for the foreground window.
    SetForegroundWindow(FHandle);
    if (Application != nullptr) Application->ProcessMessages();
    FPopupMenu->Popup(X, Y);
    PostMessageW(FHandle, WM_NULL, 0, 0);
    return;
  }
  if (OnClick) OnClick(this, Button, Shift, X, Y);
}

void TRxTrayIcon::DoDblClick() {
  if (!ComponentState().Contains(csDesigning) && FActive && FPopupMenu != nullptr) {
    TMenuItem* Root = FPopupMenu->Items();
    for (int I = 0; Root != nullptr && I < Root->Count(); ++I) {
      TMenuItem* Item = Root->Items(I);
      if (Item->Default() && Item->Enabled()) {
        Item->Click();
        return;
      }
    }
  }
  if (OnDblClick) OnDblClick(this);
}

LRESULT TRxTrayIcon::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != CM_TRAYICON) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  if (!FEnabled) return 0;
  POINT P;
  GetCursorPos(&P);
  TShiftState Shift = KeyShift();
  try {
    switch (UINT(LParam)) {
      case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(this, Shift, P.x, P.y);
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: {
        TMouseButton B = LParam == WM_LBUTTONDOWN ? mbLeft : LParam == WM_RBUTTONDOWN ? mbRight : mbMiddle;
        if (OnMouseDown) OnMouseDown(this, B, Shift, P.x, P.y);
        break;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP: {
        TMouseButton B = LParam == WM_LBUTTONUP ? mbLeft : mbRight;
        DoClick(B, Shift, P.x, P.y);
        if (OnMouseUp) OnMouseUp(this, B, Shift, P.x, P.y);
        break;
      }
      case WM_MBUTTONUP:
        if (OnMouseUp) OnMouseUp(this, mbMiddle, Shift, P.x, P.y);
        break;
      case WM_LBUTTONDBLCLK:
        DoDblClick();
        if (OnMouseDown) OnMouseDown(this, mbLeft, Shift, P.x, P.y);
        break;
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(this, LParam == WM_RBUTTONDBLCLK ? mbRight : mbMiddle, Shift, P.x, P.y);
        break;
    }
  } catch (...) {
    if (Application != nullptr) Application->HandleException(this);
  }
  return 0;
}

void ShellAboutBox(const std::string& Title, const std::string& Text) {
  HWND Owner = Application != nullptr && Application->MainForm() != nullptr && Application->MainForm()->HandleAllocated()
                   ? Application->MainForm()->Handle()
                   : nullptr;
  HICON Icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (Icon == nullptr) Icon = LoadIconW(nullptr, IDI_APPLICATION);
  ShellAboutW(Owner, ToWide(Title).c_str(), ToWide(Text).c_str(), Icon);
}
