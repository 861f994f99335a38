#include "classlib/win/forms.h"

#include <algorithm>
#include <cctype>

#include "classlib/core/form_reader.h"
#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TFormBorderStyle>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TBorderIcon>() {
  static const TTypeInfo Info = EnumTypeInfo("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TWindowState>() {
  static const TTypeInfo Info = EnumTypeInfo("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TFormStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TPosition>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                                 "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
  return &Info;
}

bool FindFormResource(const std::string& ClassName, std::string& Text) {
  std::wstring Name;
  for (char C : ClassName) Name += wchar_t(std::toupper(static_cast<unsigned char>(C)));
  HMODULE Module = GetModuleHandleW(nullptr);
  HRSRC Res = FindResourceW(Module, Name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (Res == nullptr) return false;
  HGLOBAL Data = LoadResource(Module, Res);
  DWORD Size = SizeofResource(Module, Res);
  const void* P = Data != nullptr ? LockResource(Data) : nullptr;
  if (P == nullptr) return false;
  Text.assign(static_cast<const char*>(P), Size);
  return true;
}

// ---------------------------------------------------------------------------------------

const TClassInfo* TCustomForm::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TCustomForm, TWinControl>("TCustomForm")
          .Prop("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption)
          .Prop("ClientWidth", [](const TCustomForm& F) { return const_cast<TCustomForm&>(F).ClientWidth(); },
                &TCustomForm::SetClientWidth)
          .Prop("ClientHeight", [](const TCustomForm& F) { return const_cast<TCustomForm&>(F).ClientHeight(); },
                &TCustomForm::SetClientHeight)
          .Prop("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
          .Prop("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
          .Prop("WindowState", [](const TCustomForm& F) { return const_cast<TCustomForm&>(F).WindowState(); },
                &TCustomForm::SetWindowState)
          .Prop("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle)
          .Prop("Position", &TCustomForm::Position, &TCustomForm::SetPosition)
          .Prop("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
          .Prop("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
          .Prop("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
          .Prop("OnCreate", &TCustomForm::OnCreate)
          .Prop("OnShow", &TCustomForm::OnShow)
          .Prop("OnHide", &TCustomForm::OnHide)
          .Prop("OnDestroy", &TCustomForm::OnDestroy)
          .Prop("OnPaint", &TCustomForm::OnPaint)
          .Prop("OnActivate", &TCustomForm::OnActivate)
          .Prop("OnDeactivate", &TCustomForm::OnDeactivate)
          .Prop("OnClose", &TCustomForm::OnClose)
          .Prop("OnCloseQuery", &TCustomForm::OnCloseQuery)
          .Build();
  return &Info;
}

const TClassInfo* TForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TForm, TCustomForm>("TForm").Build();
  return &Info;
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FWidth = 320;
  FHeight = 240;
  FLeft = CW_USEDEFAULT;
  FTop = CW_USEDEFAULT;
  if (Screen != nullptr) Screen->AddForm(this);
}

void TCustomForm::DoDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  Destroying();
  if (FCreated && OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application != nullptr) Application->HandleException(this);
    }
  }
}

TCustomForm::~TCustomForm() {
  DoDestroy();
  if (Screen != nullptr) Screen->RemoveForm(this);
  if (Application != nullptr && Application->MainForm() == this) Application->SetMainForm(nullptr);
  // The components go while the form is whole: their windows are children of ours.
  if (FMenu != nullptr) FMenu->SetWindow(nullptr);
  DestroyComponents();
}

void TCustomForm::AfterConstruction() {
  RegisterControlClasses();
  for (const TClassInfo* C = ClassInfo(); C != nullptr && C != TCustomForm::StaticClassInfo(); C = C->Parent) {
    std::string Text;
    if (FindFormResource(C->Name, Text)) {
      ReadFormText(this, Text, C->Name);
      break;
    }
  }
  DoCreate();
}

void TCustomForm::DoCreate() {
  FCreated = true;
  if (OnCreate) OnCreate(this);
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  ApplyClientSize();
  if (FMenu != nullptr && HandleAllocated()) FMenu->SetWindow(FHandle);
}

void TCustomForm::SetClientSize(int W, int H) {
  if (HandleAllocated()) {
    TWinControl::SetClientSize(W, H);
    return;
  }
  FAskedClientWidth = W;
  FAskedClientHeight = H;
  if (!Loading()) ApplyClientSize();
}

TRect TCustomForm::ClientRect() {
  if (HandleAllocated()) return TWinControl::ClientRect();
  if (FAskedClientWidth >= 0) return TRect(0, 0, FAskedClientWidth, FAskedClientHeight);
  // What the window will have inside its frame.
  TCreateParams P;
  CreateParams(P);
  RECT R{0, 0, 0, 0};
  AdjustWindowRectEx(&R, P.Style, FMenu != nullptr, P.ExStyle);
  return TRect(0, 0, std::max(0, FWidth - int(R.right - R.left)), std::max(0, FHeight - int(R.bottom - R.top)));
}

void TCustomForm::ApplyClientSize() {
  if (FAskedClientWidth < 0 || HandleAllocated()) return;
  TCreateParams P;
  CreateParams(P);
  RECT R{0, 0, FAskedClientWidth, FAskedClientHeight};
  AdjustWindowRectEx(&R, P.Style, FMenu != nullptr, P.ExStyle);
  FAskedClientWidth = FAskedClientHeight = -1;
  SetBounds(FLeft, FTop, R.right - R.left, R.bottom - R.top);
}

void TCustomForm::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.Style &= ~(WS_CHILD | WS_VISIBLE);
  P.Style |= WS_CLIPCHILDREN;
  P.WndParent = nullptr;
  switch (FBorderStyle) {
    case bsNone: P.Style |= WS_POPUP; break;
    case bsSingle: case bsToolWindow: P.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: case bsSizeToolWin: P.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: P.Style |= WS_POPUP | WS_CAPTION; P.ExStyle |= WS_EX_DLGMODALFRAME; break;
  }
  if (FBorderStyle != bsNone) {
    if (FBorderIcons.Contains(biSystemMenu)) P.Style |= WS_SYSMENU;
    if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
      if (FBorderIcons.Contains(biMinimize)) P.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize)) P.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) P.ExStyle |= WS_EX_TOOLWINDOW;
  if (FFormStyle == fsStayOnTop) P.ExStyle |= WS_EX_TOPMOST;
  if (FMenu != nullptr) P.Menu = FMenu->Handle();
}

void TCustomForm::InitWnd() {
  if (FMenu != nullptr) FMenu->SetWindow(FHandle);
  RECT R;
  GetWindowRect(FHandle, &R);
  FLeft = R.left;
  FTop = R.top;
  FWidth = R.right - R.left;
  FHeight = R.bottom - R.top;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateForm();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == FBorderIcons) return;
  FBorderIcons = Value;
  RecreateForm();
}

// A new window for new window styles, in the old one's place: the same normal bounds,
// the same state, shown when the old one was.
void TCustomForm::RecreateForm() {
  if (FHandle == nullptr) return;
  WINDOWPLACEMENT Place{};
  Place.length = sizeof Place;
  GetWindowPlacement(FHandle, &Place);
  bool Shown = IsWindowVisible(FHandle) != FALSE;
  TWindowState State = WindowState();
  TRect Normal(Place.rcNormalPosition);
  FLeft = Normal.Left;
  FTop = Normal.Top;
  FWidth = Normal.Width();
  FHeight = Normal.Height();
  RecreateWnd();
  FWindowState = State;
  if (!Shown) Place.showCmd = SW_HIDE;
  else if (State == wsMaximized) Place.showCmd = SW_SHOWMAXIMIZED;
  else if (State == wsMinimized) Place.showCmd = SW_SHOWMINIMIZED;
  else Place.showCmd = SW_SHOWNORMAL;
  SetWindowPlacement(FHandle, &Place);
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  FFormStyle = Value;
  if (FHandle != nullptr)
    SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() {
  if (FHandle != nullptr && IsWindowVisible(FHandle)) {
    if (IsZoomed(FHandle)) return wsMaximized;
    if (IsIconic(FHandle)) return wsMinimized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (FHandle != nullptr && IsWindowVisible(FHandle))
    ShowWindow(FHandle, Value == wsMaximized ? SW_MAXIMIZE : Value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (FMenu == Value) return;
  if (FMenu != nullptr) FMenu->SetWindow(nullptr);
  FMenu = Value;
  if (Value != nullptr) Value->FreeNotification(this);
  if (FHandle != nullptr) {
    if (Value != nullptr)
      Value->SetWindow(FHandle);
    else {
      ::SetMenu(FHandle, nullptr);
      DrawMenuBar(FHandle);
    }
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) {
    FMenu = nullptr;
    if (FHandle != nullptr && !Destroying()) ::SetMenu(FHandle, nullptr);
  }
  if (AComponent == FActiveControl) FActiveControl = nullptr;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control != nullptr && (Control == this || !ContainsControl(Control)))
    throw EInvalidOperation("The active control must be a control of the form");
  FActiveControl = Control;
  if (Control != nullptr) {
    Control->FreeNotification(this);
    if (FHandle != nullptr && IsWindowVisible(FHandle) && Control->CanFocus()) ::SetFocus(Control->Handle());
  }
}

void TCustomForm::FocusChanged(TWinControl* Control) {
  if (Control != FActiveControl) {
    FActiveControl = Control;
    if (Control != nullptr) Control->FreeNotification(this);
  }
}

TCanvas* TCustomForm::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TWindowCanvas>();
  FCanvas->SetWindow(HandleAllocated() ? FHandle : nullptr);
  return FCanvas.get();
}

void TCustomForm::PaintWindow(HDC DC) {
  if (OnPaint) {
    TCanvas* C = Canvas();
    C->SetHandle(DC);
    C->Font()->Assign(FFont.get());
    C->Brush()->SetColor(FColor);
    try {
      OnPaint(this);
    } catch (...) {
      C->SetHandle(nullptr);
      throw;
    }
    C->SetHandle(nullptr);
  }
  PaintControls(DC);
}

void TCustomForm::PlaceOnFirstShow() {
  if (FPlaced) return;
  FPlaced = true;
  if (FPosition == poScreenCenter || FPosition == poDesktopCenter || FPosition == poMainFormCenter ||
      FPosition == poOwnerFormCenter) {
    RECT Area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &Area, 0);
    TCustomForm* Main = Application != nullptr ? Application->MainForm() : nullptr;
    if ((FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) && Main != nullptr && Main != this &&
        Main->HandleAllocated())
      GetWindowRect(Main->Handle(), &Area);
    SetBounds(Area.left + (Area.right - Area.left - FWidth) / 2, Area.top + (Area.bottom - Area.top - FHeight) / 2,
              FWidth, FHeight);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::VisibleChanged() {
  if (FVisible) {
    HandleNeeded();
    PlaceOnFirstShow();
    DoShow();
    if (!FVisible) return;  // OnShow hid it again
    int Cmd = FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                                                                         : SW_SHOWNORMAL;
    ShowWindow(FHandle, Cmd);
    if (FActiveControl != nullptr && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
    else if (TWinControl* First = FindNextControl(nullptr, true, true)) ::SetFocus(First->Handle());
  } else {
    if (FHandle != nullptr) {
      FWindowState = WindowState();
      ShowWindow(FHandle, SW_HIDE);
    }
    DoHide();
  }
}

void TCustomForm::ShowForm() {
  SetVisible(true);
  if (FHandle != nullptr) {
    if (IsIconic(FHandle)) ShowWindow(FHandle, SW_RESTORE);
    SetForegroundWindow(FHandle);
    BringWindowToTop(FHandle);
  }
}

namespace {

struct TDisabledWindows {
  HWND Keep;
  std::vector<HWND> List;
};

BOOL CALLBACK DisableWindow(HWND Wnd, LPARAM LParam) {
  auto* D = reinterpret_cast<TDisabledWindows*>(LParam);
  if (Wnd != D->Keep && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
    D->List.push_back(Wnd);
    EnableWindow(Wnd, FALSE);
  }
  return TRUE;
}

}  // namespace

TModalResult TCustomForm::ShowModal() {
  if (FVisible || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture() != nullptr) ReleaseCapture();
  HWND Previous = GetActiveWindow();
  HandleNeeded();
  TDisabledWindows Disabled{FHandle, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&Disabled));
  FModal = true;
  FModalResult = mrNone;
  auto Restore = [&] {
    FModal = false;
    for (HWND W : Disabled.List)
      if (IsWindow(W)) EnableWindow(W, TRUE);
    if (Previous != nullptr && IsWindow(Previous)) SetActiveWindow(Previous);
  };
  try {
    ShowForm();
    while (FModalResult == mrNone) {
      Application->HandleMessage();
      if (Application->Terminated())
        FModalResult = mrCancel;
      else if (FModalResult != mrNone)
        CloseModal();
    }
    if (FVisible) SetVisible(false);
  } catch (...) {
    Restore();
    throw;
  }
  Restore();
  return FModalResult;
}

void TCustomForm::CloseModal() {
  TCloseAction Action = caNone;
  if (CloseQuery()) {
    Action = caHide;
    DoClose(Action);
  }
  switch (Action) {
    case caNone:
      FModalResult = mrNone;
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

bool TCustomForm::CloseQuery() {
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  return CanClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  bool IsMain = Application != nullptr && Application->MainForm() == this;
  TCloseAction Action = IsMain ? caFree : caHide;
  DoClose(Action);
  if (Action == caNone) return;
  if (IsMain) {
    Application->Terminate();
    if (FVisible) SetVisible(false);
    return;
  }
  switch (Action) {
    case caHide:
      SetVisible(false);
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      SetVisible(false);
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() {
  if (FHandle != nullptr) PostMessageW(FHandle, CM_RELEASE, 0, 0);
  else delete this;
}

bool TCustomForm::IsShortCut(TShortCut SC) {
  return FMenu != nullptr && FMenu->IsShortCut(SC);
}

namespace {

bool BroadcastDialogKey(TWinControl* Parent, uint16_t Key) {
  for (int I = 0; I < Parent->ControlCount(); ++I) {
    auto* W = dynamic_cast<TWinControl*>(Parent->Controls(I));
    if (W == nullptr || !W->Visible() || !W->Enabled()) continue;
    if (W->Perform(CM_DIALOGKEY, Key, 0) != 0) return true;
    if (BroadcastDialogKey(W, Key)) return true;
  }
  return false;
}

}  // namespace

bool TCustomForm::DialogKey(uint16_t Key, TShiftState Shift, TWinControl* Sender) {
  if (Key == VK_TAB) {
    SelectNext(FActiveControl != nullptr ? FActiveControl : Sender, !Shift.Contains(ssShift), true);
    return true;
  }
  return BroadcastDialogKey(this, Key);
}

void TCustomForm::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_CLOSE:
      Close();
      M.Result = 0;
      return;
    case WM_COMMAND:
      if (M.LParam == 0 && HIWORD(M.WParam) <= 1) {
        if (TMenuItem* Item = FindMenuItemByCommand(LOWORD(M.WParam))) {
          Item->Click();
          M.Result = 0;
          return;
        }
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(M.WParam) != WA_INACTIVE) {
        if (OnActivate) OnActivate(this);
        if (FActiveControl != nullptr && FActiveControl->HandleAllocated() && FActiveControl->CanFocus()) {
          ::SetFocus(FActiveControl->Handle());
          M.Result = 0;
          return;
        }
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      break;
    case WM_SIZE:
      TWinControl::WndProc(M);
      if (M.WParam == SIZE_MAXIMIZED) FWindowState = wsMaximized;
      else if (M.WParam == SIZE_MINIMIZED) FWindowState = wsMinimized;
      else if (M.WParam == SIZE_RESTORED) FWindowState = wsNormal;
      return;
    case CM_RELEASE:
      delete this;
      return;
  }
  TWinControl::WndProc(M);
}

#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/win/std_ctrls.h"
#include "classlib/win/timer.h"
#include "classlib/win/tree_view.h"

void RegisterControlClasses() {
  static const bool Done = [] {
    RegisterClasses<TForm, TMainMenu, TPopupMenu, TMenuItem, TLabel, TButton, TEdit, TMemo, TCheckBox, TRadioButton,
                    TGroupBox, TComboBox, TListBox, TPanel, TSplitter, TImage, TPageControl, TTabSheet, TToolBar,
                    TToolButton, TStatusBar, TStatusPanel, TProgressBar, TAnimate, TTrackBar, TListView, TTreeView, TListColumn>();
    // String lists, and the non-visual components that forms hold.
    RegisterClasses<TStrings, TStringList, TImageList, TTimer, TOpenDialog, TSaveDialog, TFontDialog, TColorDialog,
                    TPrintDialog, TPrinterSetupDialog, TFindDialog, TReplaceDialog>();
    return true;
  }();
  (void)Done;
}
