// The application object (message loop, exception handling, hints, the main form) and the
// screen (size, resolution, cursor, the program's forms).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/win/controls.h"
#include "classlib/win/hint_window.h"
#include "classlib/win/types.h"

class TCustomForm;

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize();
  // Shows the main form and runs the message loop until the program ends.
  void Run();
  // Handles every waiting message, then returns.
  void ProcessMessages();
  // Handles one message, or waits for one.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Inside a catch block: EAbort is ignored; other exceptions go to OnException or are
  // shown in a message box.
  void HandleException(TObject* Sender);
  void ShowException(const std::exception& E);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

  template <class F>
  void CreateForm(F*& Reference);
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* Form) { FMainForm = Form; }

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  std::string ExeName() const;
  // A hidden window of the program (owner of message boxes without a form, timers).
  HWND Handle();
  void Minimize();
  void Restore();

  // Hints: a control's Hint "short|long" shows the short part in a hint window after
  // HintPause milliseconds over the control; Hint takes the long part and OnHint fires.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  void HintMouseMessage(TControl* Control, TPoint ScreenPos);
  void CancelHint();
  // The control that the mouse is over, whose hint is pending or shown (nullptr when none).
  TControl* HintControl() const { return FHintControl; }
  // The hint window's text while it is shown, else empty.
  std::string HintShown() const { return FHintShown; }
  // The class of the hint window; a change makes the next hint in a window of the new class.
  void SetHintWindowClass(THintWindowClass Value);
  // The hint window, once a hint was shown (nullptr before).
  THintWindow* HintWindow() const { return FHintWindow.get(); }

  TNotifyEvent OnHint;
  TExceptionEvent OnException;
  TNotifyEvent OnIdle;

  // Dispatches one message with the key routing of the class library; false when the
  // queue was empty.
  bool ProcessMessage(MSG& Msg);

private:
  bool IsKeyMsg(MSG& Msg);
  void ShowHintNow();
  LRESULT AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  TCustomForm* FMainForm = nullptr;
  std::string FTitle;
  bool FTerminated = false;
  HWND FHandle = nullptr;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  int FHintPause = 500;
  int FHintHidePause = 2500;
  std::string FHint;
  TControl* FHintControl = nullptr;
  THintWindowClass FHintWindowClass;
  std::unique_ptr<THintWindow> FHintWindow;
  std::string FHintShown;
};

class TScreen : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TScreen(TComponent* AOwner);

  int Width() const;
  int Height() const;
  int PixelsPerInch() const;
  // A cursor for the whole program while it is not crDefault (crHourGlass during work).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  int FormCount() const { return int(FForms.size()); }
  TCustomForm* Forms(int Index) const { return FForms.at(Index); }
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;

  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);

private:
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
};

extern TApplication* Application;
extern TScreen* Screen;

// The hourglass for the whole program while work runs: the cursor before it comes back
// when the object goes, also when the work fails.
class THourGlass {
public:
  THourGlass() : FSaved(Screen != nullptr ? Screen->Cursor() : crDefault) {
    if (Screen != nullptr) Screen->SetCursor(crHourGlass);
  }
  ~THourGlass() {
    if (Screen != nullptr) Screen->SetCursor(FSaved);
  }
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;

private:
  TCursor FSaved;
};

#include "classlib/win/forms.h"

template <class F>
void TApplication::CreateForm(F*& Reference) {
  Reference = ::CreateForm<F>(this);
  if (FMainForm == nullptr) FMainForm = Reference;
}
