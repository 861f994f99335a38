// An icon in the shell's notification area, optionally animated from a list of icons: the
// shell's mouse notifications become events, a right click pops up the menu and a double
// click runs the menu's default item. ShellAboutBox shows the system About box.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "classlib/core/component.h"
#include "classlib/win/controls.h"
#include "classlib/win/icon.h"
#include "classlib/win/menus.h"
#include "ui/icon_list.h"
#include "ui/rx_timer.h"

// The shell's callback message to the hidden window.
inline constexpr UINT CM_TRAYICON = 0xB054;

// The tip the shell shows for a hint: the part before "|", at most 63 characters.
std::string TrayTip(const std::string& Hint);

class TRxTrayIcon : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxTrayIcon(TComponent* AOwner);
  ~TRxTrayIcon() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  TIconList* Icons() const { return FIcons.get(); }
  void SetIcons(TIconList* Value);
  bool Animated() const { return FAnimated; }
  void SetAnimated(bool Value);
  // Milliseconds between frames.
  int Interval() const { return FInterval; }
  void SetInterval(int Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  // The icon is in the notification area.
  bool Added() const { return FAdded; }
  int FrameIndex() const { return FFrameIndex; }
  // The icon shown now: the animation's frame, else Icon (nullptr when none).
  TIcon* CurrentIcon() const;
  // The window the shell reports to.
  HWND Handle() const { return FHandle; }
  // The record given to the shell.
  const NOTIFYICONDATAW& NotifyData() const { return FData; }

  TMouseEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

protected:
  virtual void UpdateNotifyData();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

private:
  LRESULT WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void Activate();
  void Deactivate();
  void IconChanged();
  void Step();
  void UpdateTimer();
  void DoClick(TMouseButton Button, TShiftState Shift, int X, int Y);
  void DoDblClick();
  HWND FHandle = nullptr;
  NOTIFYICONDATAW FData{};
  bool FActive = true;
  bool FEnabled = true;
  std::string FHint;
  std::unique_ptr<TIcon> FIcon;
  std::unique_ptr<TIconList> FIcons;
  bool FAnimated = false;
  int FInterval = 150;
  TPopupMenu* FPopupMenu = nullptr;
  bool FAdded = false;
  int FFrameIndex = 0;
  // Frames are stepped by a timer of the main thread: the shell and the icons are only
  // ever touched there.
  TRxTimer* FTimer;
};

// The system About box with the main form as owner and the application's icon.
void ShellAboutBox(const std::string& Title, const std::string& Text);

// Registers the component for form resources (once).
void RegisterTrayIcon();
