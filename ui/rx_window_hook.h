// Window hooks: any number of components watch the messages of one windowed control, each
// before and after the control's own window procedure, without the control's cooperation.
//
// A TRxWindowHook names a control (WinControl); all hooks of one control share one
// TControlHook, which subclasses the control's window while at least one hook is attached
// and the window exists. The newest hook sees each message first. When the window is
// destroyed (a changed border style recreates it), the hook is put on the new window once
// the posted CM_RECREATEWINDOW is handled.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/core/list.h"
#include "classlib/win/controls.h"

// Posted to the hook list's window, the control hook in LParam.
inline constexpr UINT CM_RECREATEWINDOW = 0xB052;  // hook the control's new window
inline constexpr UINT CM_DESTROYHOOK = 0xB053;     // free a control hook that has no hooks left

using THookMessageEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TRxWindowHook;

// One per hooked control: the saved window procedure and the hooks, oldest first.
class TControlHook : public TObject {
public:
  TControlHook();
  ~TControlHook() override;

  TWinControl* Control() const { return FControl; }
  void SetWinControl(TWinControl* Value);
  void AddHook(TRxWindowHook* Hook);
  void RemoveHook(TRxWindowHook* Hook);
  int HookCount() const { return static_cast<int>(FList.size()); }
  // Subclasses the control's window (making it when needed) while hooks are attached /
  // gives the window back its procedure when that is still ours.
  void HookControl();
  void UnhookControl();
  bool Hooked() const { return FPrevWndProc != nullptr; }

private:
  friend LRESULT CALLBACK ControlHookWndProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void NotifyHooks(bool Before, TMessage& Msg, bool& Handled);
  bool ControlDestroying() const;

  TWinControl* FControl = nullptr;
  HWND FHookedWnd = nullptr;
  WNDPROC FPrevWndProc = nullptr;
  std::vector<TRxWindowHook*> FList;
  bool FDestroying = false;
};

// The control hooks of the process, and a hidden window for the messages posted to them.
class THookList : public TList {
public:
  THookList();
  ~THookList() override;  // frees every control hook still listed

  TControlHook* FindControlHook(TWinControl* Control) const;
  TControlHook* GetControlHook(TWinControl* Control);
  TControlHook* ControlHooks(int Index) const { return static_cast<TControlHook*>(Items(Index)); }
  HWND Handle() const { return FHandle; }

private:
  LRESULT WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FHandle = nullptr;
};

// The single hook list, made on first use; nullptr once the program is ending.
THookList* GetHookList();
// Whether the list exists, without making it.
bool HookListExists();

class TRxWindowHook : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TRxWindowHook(TComponent* AOwner);  // active, no control
  ~TRxWindowHook() override;

  void HookControl();
  void UnhookControl();

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  TWinControl* WinControl() const;
  void SetWinControl(TWinControl* Value);
  // True when the hooked control is the hook's owner form; in form data it stands for
  // WinControl, so a form never refers to itself by name.
  bool IsForm() const;
  void SetIsForm(bool Value);

  // Sender is the hook; a handler that sets Handled stops the walk (and, before, keeps the
  // message from the control; WM_DESTROY always reaches it).
  THookMessageEvent BeforeMessage;
  THookMessageEvent AfterMessage;

protected:
  virtual void DoBeforeMessage(TMessage& Msg, bool& Handled);
  virtual void DoAfterMessage(TMessage& Msg, bool& Handled);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TControlHook;
  bool FActive = true;
  TWinControl* FControl = nullptr;
  TControlHook* FControlHook = nullptr;
};
