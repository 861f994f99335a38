#include "classlib/win/application.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/win/forms.h"
#include "classlib/win/thread.h"
#include "classlib/win/utility_window.h"
#include "classlib/win/wide_string.h"

namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

void HandleControlException(TObject* Sender) {
  if (Application != nullptr) Application->HandleException(Sender);
}

}  // namespace

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

// The two globals exist from start-up to the end of the program.
struct TGlobals {
  TGlobals() {
    INITCOMMONCONTROLSEX Icc{sizeof Icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                             ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_USEREX_CLASSES};
    InitCommonControlsEx(&Icc);
    Application = new TApplication(nullptr);
    Screen = new TScreen(nullptr);
    ControlExceptionHandler = HandleControlException;
  }
} Globals;

}  // namespace

// ---------------------------------------------------------------------------------------
// TApplication

const TClassInfo* TApplication::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TApplication, TComponent>("TApplication").Build();
  return &Info;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  std::string Exe = ExeName();
  size_t Slash = Exe.find_last_of("\\/");
  std::string Base = Slash == std::string::npos ? Exe : Exe.substr(Slash + 1);
  size_t Dot = Base.rfind('.');
  FTitle = Dot == std::string::npos ? Base : Base.substr(0, Dot);
}

TApplication::~TApplication() {
  FHintWindow.reset();
  if (FHandle != nullptr) DeallocateHWnd(FHandle);
}

void TApplication::Initialize() {}

std::string TApplication::ExeName() const {
  wchar_t Buf[MAX_PATH + 1] = {};
  DWORD N = GetModuleFileNameW(nullptr, Buf, MAX_PATH);
  return FromWide(std::wstring_view(Buf, N));
}

HWND TApplication::Handle() {
  if (FHandle == nullptr)
    FHandle = AllocateHWnd([this](HWND W, UINT M, WPARAM WP, LPARAM LP) { return AppWndProc(W, M, WP, LP); });
  return FHandle;
}

LRESULT TApplication::AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_TIMER) {
    KillTimer(Wnd, WParam);
    if (WParam == kHintShowTimer) ShowHintNow();
    else if (WParam == kHintHideTimer) CancelHint();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void TApplication::Run() {
  if (FMainForm != nullptr) FMainForm->ShowForm();
  while (!FTerminated) HandleMessage();
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return false;
  TWinControl* Control = FindVCLWindow(Msg.hwnd);
  if (Control == nullptr) {
    // No control has the focus: the active form takes the key.
    Control = FindControl(GetActiveWindow());
    if (Control == nullptr) return false;
  }
  if (Control->IsMenuKey(Msg)) return true;
  return Control->IsDialogKey(Msg);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool Handled = false;
  try {
    Handled = IsKeyMsg(Msg);
  } catch (...) {
    HandleException(this);
    Handled = true;
  }
  if (!Handled) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG Msg;
  while (ProcessMessage(Msg)) {
  }
  CheckSynchronize();
}

void TApplication::HandleMessage() {
  MSG Msg;
  if (!ProcessMessage(Msg)) {
    CheckSynchronize();
    if (OnIdle) OnIdle(this);
    if (!FTerminated) WaitMessage();
  }
}

void TApplication::Terminate() {
  if (!FTerminated) PostQuitMessage(0);
  FTerminated = true;
}

void TApplication::HandleException(TObject* Sender) {
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const std::exception& E) {
    if (OnException)
      OnException(Sender, E);
    else
      ShowException(E);
  } catch (...) {
    Exception E("Unknown exception");
    if (OnException)
      OnException(Sender, E);
    else
      ShowException(E);
  }
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  HWND Owner = GetActiveWindow();
  if (Owner == nullptr && FMainForm != nullptr && FMainForm->HandleAllocated()) Owner = FMainForm->Handle();
  return ::MessageBoxW(Owner, ToWide(Text).c_str(), ToWide(Caption).c_str(), Flags);
}

void TApplication::ShowException(const std::exception& E) {
  std::string Text = E.what();
  if (!Text.empty() && Text.back() != '.') Text += '.';
  MessageBox(Text, FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::Minimize() {
  if (FMainForm != nullptr && FMainForm->HandleAllocated()) ShowWindow(FMainForm->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (FMainForm != nullptr && FMainForm->HandleAllocated()) ShowWindow(FMainForm->Handle(), SW_RESTORE);
}

void TApplication::SetShowHint(bool Value) {
  FShowHint = Value;
  if (!Value) CancelHint();
}

void TApplication::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  FHint = Value;
  if (OnHint) OnHint(this);
}

namespace {

std::string ShortHint(const std::string& H) { return H.substr(0, H.find('|')); }
std::string LongHint(const std::string& H) {
  size_t Bar = H.find('|');
  return Bar == std::string::npos ? H : H.substr(Bar + 1);
}

}  // namespace

void TApplication::HintMouseMessage(TControl* Control, TPoint) {
  if (Control == FHintControl) return;
  CancelHint();
  FHintControl = Control;
  SetHint(Control != nullptr ? LongHint(Control->Hint()) : std::string());
  if (FShowHint && Control != nullptr && Control->ShowHint() && !ShortHint(Control->Hint()).empty())
    SetTimer(Handle(), kHintShowTimer, static_cast<UINT>(FHintPause), nullptr);
}

void TApplication::ShowHintNow() {
  if (FHintControl == nullptr) return;
  // Still over the control?
  POINT P;
  GetCursorPos(&P);
  TPoint Local = FHintControl->ScreenToClient(TPoint(P));
  if (Local.X < 0 || Local.Y < 0 || Local.X >= FHintControl->Width() || Local.Y >= FHintControl->Height()) {
    FHintControl = nullptr;
    return;
  }
  if (FHintWindow == nullptr)
    FHintWindow = FHintWindowClass ? FHintWindowClass() : std::make_unique<THintWindow>(nullptr);
  FHintShown = ShortHint(FHintControl->Hint());
  // Below the cursor, as wide as the screen allows.
  TRect R = FHintWindow->CalcHintRect(Screen != nullptr ? Screen->Width() : 0, FHintShown, nullptr);
  int Below = GetSystemMetrics(SM_CYCURSOR) * 2 / 3;
  FHintWindow->ActivateHint(TRect(P.x, P.y + Below, P.x + R.Width(), P.y + Below + R.Height()), FHintShown);
  SetTimer(Handle(), kHintHideTimer, static_cast<UINT>(FHintHidePause), nullptr);
}

void TApplication::SetHintWindowClass(THintWindowClass Value) {
  FHintWindowClass = std::move(Value);
  // Off and on again: the window of the old class goes, the next hint makes a new one.
  if (FShowHint) {
    SetShowHint(false);
    FHintWindow.reset();
    SetShowHint(true);
  } else {
    FHintWindow.reset();
  }
}

void TApplication::CancelHint() {
  if (FHandle != nullptr) {
    KillTimer(FHandle, kHintShowTimer);
    KillTimer(FHandle, kHintHideTimer);
  }
  if (FHintWindow != nullptr) FHintWindow->ReleaseHint();
  FHintShown.clear();
  FHintControl = nullptr;
}

// ---------------------------------------------------------------------------------------
// TScreen

const TClassInfo* TScreen::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TScreen, TComponent>("TScreen").Build();
  return &Info;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

int TScreen::PixelsPerInch() const {
  HDC DC = GetDC(nullptr);
  int N = GetDeviceCaps(DC, LOGPIXELSY);
  ReleaseDC(nullptr, DC);
  return N;
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  if (Value != crDefault) {
    ::SetCursor(CursorHandle(Value));
  } else {
    POINT P;
    GetCursorPos(&P);
    SetCursorPos(P.x, P.y);  // lets the window under the mouse set its own again
  }
}

TCustomForm* TScreen::ActiveForm() const {
  TWinControl* C = FindControl(GetActiveWindow());
  return dynamic_cast<TCustomForm*>(C);
}

TWinControl* TScreen::ActiveControl() const { return FindVCLWindow(GetFocus()); }

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) { FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end()); }
