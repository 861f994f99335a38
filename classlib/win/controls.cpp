#include "classlib/win/controls.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/win/menus.h"
#include "classlib/win/wide_string.h"

void (*ControlExceptionHandler)(TObject* Sender) = nullptr;

namespace {

std::unordered_map<HWND, TWinControl*>& ObjectMap() {
  static std::unordered_map<HWND, TWinControl*> Map;
  return Map;
}

// The object whose window CreateWindowEx is making: its first messages bind it.
TWinControl* CreationControl = nullptr;
// A graphic control that holds the mouse (through its parent's capture).
TControl* CaptureControl = nullptr;

// Superclassed system classes: our class name -> the system class's procedure.
std::map<std::wstring, WNDPROC>& BaseProcs() {
  static std::map<std::wstring, WNDPROC> Procs;
  return Procs;
}

LRESULT DefaultProcOf(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  wchar_t Name[128] = {};
  GetClassNameW(Wnd, Name, 128);
  auto It = BaseProcs().find(Name);
  if (It != BaseProcs().end()) return CallWindowProcW(It->second, Wnd, Msg, WParam, LParam);
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

bool IsMouseMessage(UINT Msg) { return Msg >= WM_MOUSEFIRST && Msg <= WM_MBUTTONDBLCLK; }

const char* const kCursorNames[] = {"crDefault", "crNone",     "crArrow",   "crCross",   "crIBeam",
                                    "crSize",    "crSizeNESW", "crSizeNS",  "crSizeNWSE", "crSizeWE",
                                    "crUpArrow", "crHourGlass", "crDrag",   "crNoDrop",  "crHSplit",
                                    "crVSplit",  "crMultiDrag", "crSQLWait", "crNo",     "crAppStart",
                                    "crHelp",    "crHandPoint", "crSizeAll"};

bool CursorToIdent(int32_t Value, std::string& Ident) {
  if (Value > 0 || Value < -22) return false;
  Ident = kCursorNames[-Value];
  return true;
}

bool IdentToCursor(std::string_view Ident, int32_t& Value) {
  for (int I = 0; I <= 22; ++I)
    if (SameIdent(Ident, kCursorNames[I])) {
      Value = -I;
      return true;
    }
  return false;
}

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TAlign>() {
  static const TTypeInfo Info = EnumTypeInfo("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
  return &Info;
}

template <> const TTypeInfo* TypeInfoOf<TCursor>() {
  static const TTypeInfo Info = IntegerTypeInfo("TCursor", otSWord, -32768, 32767, CursorToIdent, IdentToCursor);
  return &Info;
}

HCURSOR CursorHandle(TCursor Cursor) {
  const wchar_t* Id = IDC_ARROW;
  switch (Cursor) {
    case crNone: return nullptr;
    case crCross: Id = IDC_CROSS; break;
    case crIBeam: Id = IDC_IBEAM; break;
    case crSizeNESW: Id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: Id = IDC_SIZENS; break;
    case crSizeNWSE: Id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: Id = IDC_SIZEWE; break;
    case crUpArrow: Id = IDC_UPARROW; break;
    case crHourGlass: Id = IDC_WAIT; break;
    case crNo: case crNoDrop: Id = IDC_NO; break;
    case crAppStart: Id = IDC_APPSTARTING; break;
    case crHelp: Id = IDC_HELP; break;
    case crHandPoint: Id = IDC_HAND; break;
    case crSizeAll: Id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, Id);
}

TShiftState KeyboardStateToShiftState() {
  TShiftState S;
  if (GetKeyState(VK_SHIFT) < 0) S << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) S << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) S << ssAlt;
  return S;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState S = KeyboardStateToShiftState();
  if (KeyData & 0x20000000) S << ssAlt;
  return S;
}

TShiftState MouseFlagsToShiftState(WPARAM Flags) {
  TShiftState S;
  if (Flags & MK_SHIFT) S << ssShift;
  if (Flags & MK_CONTROL) S << ssCtrl;
  if (Flags & MK_LBUTTON) S << ssLeft;
  if (Flags & MK_RBUTTON) S << ssRight;
  if (Flags & MK_MBUTTON) S << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) S << ssAlt;
  return S;
}

TWinControl* FindControl(HWND Wnd) {
  if (Wnd == nullptr) return nullptr;
  auto It = ObjectMap().find(Wnd);
  return It == ObjectMap().end() ? nullptr : It->second;
}

TWinControl* FindVCLWindow(HWND Wnd) {
  while (Wnd != nullptr) {
    if (TWinControl* C = FindControl(Wnd)) return C;
    Wnd = GetParent(Wnd);
  }
  return nullptr;
}

TCustomForm* GetParentForm(const TControl* Control) {
  const TControl* C = Control;
  while (C != nullptr && C->Parent() != nullptr) C = C->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(C));
}

TFont* DefaultControlFont() {
  static TFont Font;
  return &Font;
}

// The one window procedure of every window the class library makes.
LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* C = FindControl(Wnd);
  if (C == nullptr) {
    if (CreationControl == nullptr) return DefaultProcOf(Wnd, Msg, WParam, LParam);
    C = CreationControl;
    CreationControl = nullptr;
    C->FHandle = Wnd;
    ObjectMap()[Wnd] = C;
  }
  TMessage M{Msg, WParam, LParam, 0};
  try {
    C->WndProc(M);
  } catch (...) {
    if (ControlExceptionHandler != nullptr) ControlExceptionHandler(C);
  }
  if (Msg == WM_NCDESTROY) {
    ObjectMap().erase(Wnd);
    if (C->FHandle == Wnd) C->FHandle = nullptr;
  }
  return M.Result;
}

// ---------------------------------------------------------------------------------------
// TControl

const TClassInfo* TControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TControl, TComponent>("TControl")
          .Prop("Left", &TControl::Left, &TControl::SetLeft)
          .Prop("Top", &TControl::Top, &TControl::SetTop)
          .Prop("Width", &TControl::Width, &TControl::SetWidth)
          .Prop("Height", &TControl::Height, &TControl::SetHeight)
          .Prop("Align", &TControl::Align, &TControl::SetAlign)
          .Prop("Visible", &TControl::Visible, &TControl::SetVisible)
          .Prop("Enabled", &TControl::Enabled, [](TControl& C, bool V) { C.SetEnabled(V); })
          .Prop("Color", &TControl::Color, &TControl::SetColor)
          .Prop("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
          .Prop("Font", &TControl::Font, nullptr)
          .Prop("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
          .Prop("Hint", [](const TControl& C) { return C.Hint(); }, &TControl::SetHint)
          .Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
          .Prop("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
          .Prop("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
          .Prop("Cursor", &TControl::Cursor, &TControl::SetCursor)
          .Prop("OnClick", &TControl::OnClick)
          .Prop("OnDblClick", &TControl::OnDblClick)
          .Prop("OnMouseDown", &TControl::OnMouseDown)
          .Prop("OnMouseUp", &TControl::OnMouseUp)
          .Prop("OnMouseMove", &TControl::OnMouseMove)
          .Prop("OnResize", &TControl::OnResize)
          .Build();
  return &Info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->Assign(DefaultControlFont());
  FFont->OnChange = [this](TObject*) {
    if (!FSettingFont) FParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  if (CaptureControl == this) CaptureControl = nullptr;
  // A pending hint must not come back to a control that is gone.
  if (Application != nullptr && Application->HintControl() == this) Application->CancelHint();
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (FBrush != nullptr) DeleteObject(FBrush);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot be its own parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (AParent != nullptr) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* AParent) {
  auto* P = dynamic_cast<TWinControl*>(AParent);
  if (P == nullptr) throw EInvalidOperation("a control needs a windowed control as its parent");
  SetParent(P);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  TRect Old = BoundsRect();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FParent != nullptr && FParent->HandleAllocated() && FVisible) {
    RECT R = Old;
    InvalidateRect(FParent->Handle(), &R, TRUE);
    Invalidate();
  }
  if (Old.Width() != AWidth || Old.Height() != AHeight) Resize();
  RequestAlign();
  if (FParent != nullptr) FParent->ChildBoundsChanged(this);
}

void TControl::UpdateBoundsRect(const TRect& R) {
  bool Sized = R.Width() != FWidth || R.Height() != FHeight;
  FLeft = R.Left;
  FTop = R.Top;
  FWidth = R.Width();
  FHeight = R.Height();
  if (Sized) Resize();
}

TRect TControl::ClientRect() { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientSize(int W, int H) { SetBounds(FLeft, FTop, W, H); }

TPoint TControl::ClientOrigin() {
  if (FParent == nullptr) return TPoint(FLeft, FTop);
  TPoint P = FParent->ClientOrigin();
  return TPoint(P.X + FLeft, P.Y + FTop);
}

TPoint TControl::ClientToScreen(TPoint P) {
  TPoint O = ClientOrigin();
  return TPoint(P.X + O.X, P.Y + O.Y);
}

TPoint TControl::ScreenToClient(TPoint P) {
  TPoint O = ClientOrigin();
  return TPoint(P.X - O.X, P.Y - O.Y);
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (FParent != nullptr) {
    if (FParent->HandleAllocated()) {
      RECT R = BoundsRect();
      InvalidateRect(FParent->Handle(), &R, TRUE);
    }
    if (FAlign != alNone) FParent->Realign();
  }
}

bool TControl::Showing() const {
  for (const TControl* C = this; C != nullptr; C = C->FParent)
    if (!C->FVisible) return false;
  return true;
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  EnabledChanged();
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::SetColor(TColor Value) {
  if (Value == FColor && !FParentColor) return;
  FColor = Value;
  FParentColor = false;
  ColorChanged();
}

void TControl::SetParentColor(bool Value) {
  FParentColor = Value;
  if (Value && FParent != nullptr) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || FParent == nullptr) return;
  FColor = FParent->Color();
  ColorChanged();
}

void TControl::ColorChanged() { Invalidate(); }

HBRUSH TControl::ColorBrush() {
  if (FBrush == nullptr || FBrushColor != FColor) {
    if (FBrush != nullptr) DeleteObject(FBrush);
    FBrush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(FColor)) & 0xFFFFFF);
    FBrushColor = FColor;
  }
  return FBrush;
}

void TControl::SetParentFont(bool Value) {
  FParentFont = Value;
  if (Value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  FSettingFont = true;
  FFont->Assign(FParent->Font());
  FSettingFont = false;
  FParentFont = true;
}

void TControl::FontChanged() { Invalidate(); }

void TControl::SetText(const std::string& Value) {
  if (Value == GetText()) return;
  FText = Value;
  TextChanged();
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent != nullptr) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  FParentShowHint = false;
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  FPopupMenu = Value;
  if (Value != nullptr) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParentFont) ParentFontChanged();
  if (FParentColor) ParentColorChanged();
  RequestAlign();
}

void TControl::Invalidate() {
  if (FParent != nullptr && FParent->HandleAllocated() && Showing()) {
    RECT R = BoundsRect();
    InvalidateRect(FParent->Handle(), &R, TRUE);
  }
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

void TControl::BringToFront() {
  if (FParent == nullptr) return;
  auto& L = FParent->FControls;
  L.erase(std::find(L.begin(), L.end(), this));
  L.push_back(this);
  if (auto* W = dynamic_cast<TWinControl*>(this); W && W->HandleAllocated())
    SetWindowPos(W->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (FParent == nullptr) return;
  auto& L = FParent->FControls;
  L.erase(std::find(L.begin(), L.end(), this));
  L.insert(L.begin(), this);
  if (auto* W = dynamic_cast<TWinControl*>(this); W && W->HandleAllocated())
    SetWindowPos(W->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize && !Loading()) OnResize(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage M{Msg, WParam, LParam, 0};
  WndProc(M);
  return M.Result;
}

void TControl::WndProc(TMessage& M) {
  if (!IsMouseMessage(M.Msg)) return;
  int X = GET_X_LPARAM(M.LParam), Y = GET_Y_LPARAM(M.LParam);
  TShiftState Shift = MouseFlagsToShiftState(M.WParam);
  switch (M.Msg) {
    case WM_MOUSEMOVE:
      if (Application != nullptr) Application->HintMouseMessage(this, ClientToScreen(TPoint(X, Y)));
      MouseMove(Shift, X, Y);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Application != nullptr) Application->CancelHint();
      FMouseDown = true;
      if (M.Msg == WM_LBUTTONDBLCLK) {
        Shift << ssDouble;
        DblClick();
      }
      MouseDown(mbLeft, Shift, X, Y);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, Shift, X, Y);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, Shift, X, Y);
      break;
    case WM_LBUTTONUP: {
      bool WasDown = FMouseDown;
      FMouseDown = false;
      if (FClickOnMouseUp && WasDown && X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) Click();
      MouseUp(mbLeft, Shift, X, Y);
      break;
    }
    case WM_RBUTTONUP:
      MouseUp(mbRight, Shift, X, Y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, Shift, X, Y);
      break;
  }
}

// ---------------------------------------------------------------------------------------
// TGraphicControl

const TClassInfo* TGraphicControl::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TGraphicControl, TControl>("TGraphicControl").Build();
  return &Info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) { FClickOnMouseUp = true; }

TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  return FCanvas.get();
}

void TGraphicControl::Invalidate() {
  if (FParent != nullptr && FParent->HandleAllocated() && Showing()) {
    RECT R = BoundsRect();
    InvalidateRect(FParent->Handle(), &R, TRUE);
  }
}

void TGraphicControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

void TGraphicControl::PaintTo(HDC DC) {
  TCanvas* C = Canvas();
  C->SetHandle(DC);
  C->Font()->Assign(FFont.get());
  try {
    Paint();
  } catch (...) {
    C->SetHandle(nullptr);
    throw;
  }
  C->SetHandle(nullptr);
}

// ---------------------------------------------------------------------------------------
// TWinControl

const TClassInfo* TWinControl::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TWinControl, TControl>("TWinControl")
                                     .Prop("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                     .Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                     .Prop("OnEnter", &TWinControl::OnEnter)
                                     .Prop("OnExit", &TWinControl::OnExit)
                                     .Prop("OnKeyDown", &TWinControl::OnKeyDown)
                                     .Prop("OnKeyPress", &TWinControl::OnKeyPress)
                                     .Prop("OnKeyUp", &TWinControl::OnKeyUp)
                                     .Build();
  return &Info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Children outlive their parent here when the owner deletes them later: cut them loose.
  for (TControl* C : FControls) C->FParent = nullptr;
  FControls.clear();
  FTabList.clear();
  if (FHandle != nullptr) {
    // The object is half gone: the window's last messages go to its class procedure.
    HWND Wnd = FHandle;
    ObjectMap().erase(Wnd);
    FHandle = nullptr;
    DestroyWindow(Wnd);
  }
}

HWND TWinControl::Handle() {
  if (FHandle == nullptr) {
    if (FParent != nullptr) FParent->HandleNeeded();
    CreateHandle();
  }
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& P) {
  P.Caption = ToWide(FText);
  P.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (FParent != nullptr) P.Style |= WS_CHILD;
  if (FVisible && (FParent == nullptr ? false : true)) P.Style |= WS_VISIBLE;
  if (!FEnabled) P.Style |= WS_DISABLED;
  if (FTabStop) P.Style |= WS_TABSTOP;
  P.X = FLeft;
  P.Y = FTop;
  P.Width = FWidth;
  P.Height = FHeight;
  P.WndParent = FParent != nullptr ? FParent->Handle() : nullptr;
  std::string Name = ClassName();
  P.WinClassName = std::wstring(Name.begin(), Name.end());
}

void TWinControl::CreateWnd() {
  TCreateParams P;
  CreateParams(P);
  HINSTANCE Inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW Existing{};
  Existing.cbSize = sizeof Existing;
  if (!GetClassInfoExW(Inst, P.WinClassName.c_str(), &Existing)) {
    WNDCLASSEXW WC{};
    WC.cbSize = sizeof WC;
    if (P.SysClass != nullptr) {
      WNDCLASSEXW Sys{};
      Sys.cbSize = sizeof Sys;
      if (!GetClassInfoExW(nullptr, P.SysClass, &Sys))
        throw EOSError("Window class " + FromWide(P.SysClass) + " is not available", GetLastError());
      WC = Sys;
      BaseProcs()[P.WinClassName] = Sys.lpfnWndProc;
      WC.style &= ~CS_GLOBALCLASS;
    } else {
      WC.style = P.ClassStyle;
      WC.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    }
    WC.cbSize = sizeof WC;
    WC.lpfnWndProc = ControlWndProc;
    WC.hInstance = Inst;
    WC.lpszClassName = P.WinClassName.c_str();
    WC.lpszMenuName = nullptr;
    if (!RegisterClassExW(&WC)) throw EOSError("Cannot register window class " + ClassName(), GetLastError());
  }
  FDefWndProc = P.SysClass != nullptr ? BaseProcs()[P.WinClassName] : DefWindowProcW;
  CreationControl = this;
  HWND Wnd = CreateWindowExW(P.ExStyle, P.WinClassName.c_str(), P.Caption.c_str(), P.Style, P.X, P.Y, P.Width,
                             P.Height, P.WndParent, P.Menu, Inst, nullptr);
  CreationControl = nullptr;
  if (Wnd == nullptr) throw EOSError("Cannot create window for " + ClassName() + " " + Name(), GetLastError());
  if (FHandle == nullptr) {
    FHandle = Wnd;
    ObjectMap()[Wnd] = this;
  }
}

void TWinControl::CreateHandle() {
  if (FHandle != nullptr) return;
  CreateWnd();
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(*FFont)), FALSE);
  InitWnd();
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C)) W->CreateHandle();
  Realign();
}

void TWinControl::DestroyWnd() {
  if (FHandle != nullptr) {
    FText = GetText();
    DestroyWindow(FHandle);
  }
}

void TWinControl::DestroyHandle() {
  if (FHandle == nullptr) return;
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C)) W->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (FHandle == nullptr) return;
  FRecreating = true;
  DestroyHandle();
  FRecreating = false;
  CreateHandle();
}

std::string TWinControl::GetText() const {
  if (FHandle == nullptr) return FText;
  int N = GetWindowTextLengthW(FHandle);
  std::wstring W(N + 1, L'\0');
  N = GetWindowTextW(FHandle, W.data(), N + 1);
  W.resize(N);
  return FromWide(W);
}

void TWinControl::TextChanged() {
  if (FHandle != nullptr) SetWindowTextW(FHandle, ToWide(FText).c_str());
}

void TWinControl::FontChanged() {
  if (FHandle != nullptr) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(*FFont)), TRUE);
  for (TControl* C : FControls) C->ParentFontChanged();
  Invalidate();
}

void TWinControl::ColorChanged() {
  for (TControl* C : FControls) C->ParentColorChanged();
  Invalidate();
}

void TWinControl::VisibleChanged() {
  if (FHandle != nullptr) ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
  if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

void TWinControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (FHandle != nullptr) EnableWindow(FHandle, Value);
  EnabledChanged();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

void TWinControl::InsertControl(TControl* C) {
  C->FParent = this;
  FControls.push_back(C);
  if (auto* W = dynamic_cast<TWinControl*>(C)) {
    FTabList.push_back(W);
    if (FHandle != nullptr && W->FHandle == nullptr)
      W->CreateHandle();
    else if (FHandle != nullptr)
      ::SetParent(W->FHandle, FHandle);
  }
  if (C->FParentFont) C->ParentFontChanged();
  if (C->FParentColor) C->ParentColorChanged();
  // A row arranged from the children's stored left edges waits until they all are read.
  if (C->FAlign != alNone || (ArrangesChildren() && !ComponentState().Contains(csLoading))) Realign();
  C->Invalidate();
}

void TWinControl::RemoveControl(TControl* C) {
  if (CaptureControl == C) CaptureControl = nullptr;
  C->Invalidate();
  FControls.erase(std::remove(FControls.begin(), FControls.end(), C), FControls.end());
  FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), C), FTabList.end());
  C->FParent = nullptr;
  if (auto* W = dynamic_cast<TWinControl*>(C); W != nullptr && W->FHandle != nullptr && !W->Destroying())
    W->DestroyHandle();
  if (C->FAlign != alNone && !Destroying()) Realign();
}

bool TWinControl::ContainsControl(const TControl* C) const {
  for (; C != nullptr; C = C->FParent)
    if (C == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) {
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
    TControl* C = *It;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(C) != nullptr) continue;
    if (!C->FVisible || (!AllowDisabled && !C->FEnabled)) continue;
    if (P.X >= C->FLeft && P.Y >= C->FTop && P.X < C->FLeft + C->FWidth && P.Y < C->FTop + C->FHeight) return C;
  }
  return nullptr;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool Sized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle != nullptr)
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  if (Sized) {
    Realign();
    Resize();
  }
  RequestAlign();
}

void TWinControl::UpdateBoundsFromWindow() {
  RECT R;
  GetWindowRect(FHandle, &R);
  if (FParent == nullptr && IsIconic(FHandle)) {
    // A minimised window's rectangle is its icon's: keep the bounds it will come back to.
    WINDOWPLACEMENT Place{};
    Place.length = sizeof Place;
    if (!GetWindowPlacement(FHandle, &Place)) return;
    R = Place.rcNormalPosition;
  } else if (FParent != nullptr || (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD)) {
    HWND P = GetParent(FHandle);
    MapWindowPoints(HWND_DESKTOP, P, reinterpret_cast<POINT*>(&R), 2);
  }
  TRect NewR(R);
  if (NewR == BoundsRect()) return;
  bool Sized = NewR.Width() != FWidth || NewR.Height() != FHeight;
  FLeft = NewR.Left;
  FTop = NewR.Top;
  FWidth = NewR.Width();
  FHeight = NewR.Height();
  if (Sized) {
    Realign();
    Resize();
  }
}

TRect TWinControl::ClientRect() {
  if (FHandle == nullptr) return TControl::ClientRect();
  RECT R;
  GetClientRect(FHandle, &R);
  return TRect(R);
}

void TWinControl::SetClientSize(int W, int H) {
  TRect C = ClientRect();
  SetBounds(FLeft, FTop, FWidth + W - C.Width(), FHeight + H - C.Height());
}

TPoint TWinControl::ClientOrigin() {
  if (FHandle == nullptr) return TControl::ClientOrigin();
  POINT P{0, 0};
  ::ClientToScreen(FHandle, &P);
  return TPoint(P);
}

void TWinControl::Invalidate() {
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle != nullptr) UpdateWindow(FHandle);
}

int TWinControl::TabOrder() const {
  if (FParent == nullptr) return -1;
  auto& L = FParent->FTabList;
  auto It = std::find(L.begin(), L.end(), this);
  return It == L.end() ? -1 : int(It - L.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (FParent == nullptr) return;
  auto& L = FParent->FTabList;
  auto It = std::find(L.begin(), L.end(), this);
  if (It == L.end()) return;
  L.erase(It);
  Value = std::clamp(Value, 0, int(L.size()));
  L.insert(L.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
  FTabStop = Value;
  if (FHandle != nullptr) {
    LONG S = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, Value ? (S | WS_TABSTOP) : (S & ~WS_TABSTOP));
  }
}

bool TWinControl::CanFocus() {
  for (TControl* C = this; C != nullptr; C = C->FParent)
    if (!C->FVisible || !C->FEnabled) return false;
  return true;
}

bool TWinControl::Focused() { return FHandle != nullptr && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TCustomForm* F = GetParentForm(this); F != nullptr && F != this) F->SetActiveControl(this);
  else ::SetFocus(Handle());
}

TWinControl* TWinControl::FindNextControl(TWinControl* Current, bool GoForward, bool CheckTabStop) {
  // Every windowed descendant in tab order, depth first.
  std::vector<TWinControl*> All;
  std::function<void(TWinControl*)> Collect = [&](TWinControl* P) {
    for (TWinControl* W : P->FTabList) {
      All.push_back(W);
      Collect(W);
    }
  };
  Collect(this);
  if (All.empty()) return nullptr;
  int Start = -1;
  for (int I = 0; I < int(All.size()); ++I)
    if (All[I] == Current) Start = I;
  int N = int(All.size());
  for (int Step = 1; Step <= N; ++Step) {
    int I = Start < 0 ? (GoForward ? Step - 1 : N - Step) : ((Start + (GoForward ? Step : -Step)) % N + N) % N;
    TWinControl* W = All[I];
    if (W == Current) continue;
    if ((!CheckTabStop || W->FTabStop) && W->CanFocus()) return W;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop) {
  if (TWinControl* W = FindNextControl(Current, GoForward, CheckTabStop)) W->SetFocus();
}

void TWinControl::EnableAlign() {
  if (--FAlignLevel <= 0) {
    FAlignLevel = 0;
    Realign();
  }
}

void TWinControl::Realign() {
  if (FAlignLevel > 0 || Destroying()) return;
  TRect R = ClientRect();
  AdjustClientRect(R);
  ++FAlignLevel;  // the children's own SetBounds must not realign us again
  try {
    AlignControls(R);
  } catch (...) {
    --FAlignLevel;
    throw;
  }
  --FAlignLevel;
}

void TWinControl::AlignControls(TRect& R) {
  const TAlign Order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign A : Order) {
    std::vector<TControl*> List;
    for (TControl* C : FControls)
      if (C->FAlign == A && C->FVisible) List.push_back(C);
    // Controls of one alignment keep their order on screen.
    std::stable_sort(List.begin(), List.end(), [A](TControl* X, TControl* Y) {
      switch (A) {
        case alTop: return X->FTop < Y->FTop;
        case alBottom: return X->FTop + X->FHeight > Y->FTop + Y->FHeight;
        case alLeft: return X->FLeft < Y->FLeft;
        case alRight: return X->FLeft + X->FWidth > Y->FLeft + Y->FWidth;
        default: return false;
      }
    });
    for (TControl* C : List) {
      int W = C->FWidth, H = C->FHeight;
      switch (A) {
        case alTop:
          C->SetBounds(R.Left, R.Top, R.Width(), H);
          R.Top += H;
          break;
        case alBottom:
          C->SetBounds(R.Left, R.Bottom - H, R.Width(), H);
          R.Bottom -= H;
          break;
        case alLeft:
          C->SetBounds(R.Left, R.Top, W, R.Height());
          R.Left += W;
          break;
        case alRight:
          C->SetBounds(R.Right - W, R.Top, W, R.Height());
          R.Right -= W;
          break;
        default:
          C->SetBounds(R.Left, R.Top, R.Width(), R.Height());
          break;
      }
      if (R.Bottom < R.Top) R.Bottom = R.Top;
      if (R.Right < R.Left) R.Right = R.Left;
    }
  }
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::DoKeyDown(TMessage& M) {
  uint16_t Key = static_cast<uint16_t>(M.WParam);
  TShiftState Shift = KeyDataToShiftState(M.LParam);
  TCustomForm* Form = GetParentForm(this);
  if (Form != nullptr && Form != this && Form->KeyPreview()) {
    static_cast<TWinControl*>(Form)->KeyDown(Key, Shift);
    if (Key == 0) return true;
  }
  KeyDown(Key, Shift);
  if (Key == 0) return true;
  M.WParam = Key;
  return false;
}

bool TWinControl::DoKeyUp(TMessage& M) {
  uint16_t Key = static_cast<uint16_t>(M.WParam);
  TShiftState Shift = KeyDataToShiftState(M.LParam);
  TCustomForm* Form = GetParentForm(this);
  if (Form != nullptr && Form != this && Form->KeyPreview()) {
    static_cast<TWinControl*>(Form)->KeyUp(Key, Shift);
    if (Key == 0) return true;
  }
  KeyUp(Key, Shift);
  if (Key == 0) return true;
  M.WParam = Key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& M) {
  wchar_t W = static_cast<wchar_t>(M.WParam);
  std::string S = FromWide(std::wstring_view(&W, 1));
  char Key = S.empty() ? 0 : S[0];
  if (Key == CodePageFallback && W != L'?') return false;  // not a 1251 character: as typed
  TCustomForm* Form = GetParentForm(this);
  if (Form != nullptr && Form != this && Form->KeyPreview()) {
    static_cast<TWinControl*>(Form)->KeyPress(Key);
    if (Key == 0) return true;
  }
  KeyPress(Key);
  if (Key == 0) return true;
  M.WParam = static_cast<WPARAM>(Cp1251ToUnicode(static_cast<unsigned char>(Key)));
  return false;
}

bool TWinControl::WantsKey(uint16_t Key) {
  LRESULT Code = SendMessageW(FHandle, WM_GETDLGCODE, Key, 0);
  if (Code & DLGC_WANTALLKEYS) return true;
  if (Key == VK_TAB) return (Code & DLGC_WANTTAB) != 0;
  return false;
}

bool TWinControl::IsMenuKey(const MSG& Msg) {
  uint16_t Key = static_cast<uint16_t>(Msg.wParam);
  if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU) return false;
  TShortCut SC = ShortCut(Key, KeyDataToShiftState(Msg.lParam));
  for (TControl* C = this; C != nullptr; C = C->FParent)
    if (C->FPopupMenu != nullptr && C->FPopupMenu->IsShortCut(SC)) return true;
  TCustomForm* Form = GetParentForm(this);
  return Form != nullptr && Form->IsShortCut(SC);
}

bool TWinControl::IsDialogKey(const MSG& Msg) {
  if (Msg.message != WM_KEYDOWN) return false;
  uint16_t Key = static_cast<uint16_t>(Msg.wParam);
  if (Key != VK_TAB && Key != VK_RETURN && Key != VK_ESCAPE) return false;
  TShiftState Shift = KeyDataToShiftState(Msg.lParam);
  if (Shift.Contains(ssAlt) || Shift.Contains(ssCtrl)) return false;
  HWND Focus = Msg.hwnd;
  LRESULT Code = SendMessageW(Focus, WM_GETDLGCODE, Key, reinterpret_cast<LPARAM>(&Msg));
  if (Code & DLGC_WANTALLKEYS) return false;
  if (Key == VK_TAB && (Code & DLGC_WANTTAB)) return false;
  TCustomForm* Form = GetParentForm(this);
  return Form != nullptr && Form->DialogKey(Key, Shift, this);
}

void TWinControl::PaintControls(HDC DC) {
  for (TControl* C : FControls) {
    auto* G = dynamic_cast<TGraphicControl*>(C);
    if (G == nullptr || !G->FVisible) continue;
    RECT R = G->BoundsRect();
    if (!RectVisible(DC, &R)) continue;
    int Saved = SaveDC(DC);
    IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
    SetViewportOrgEx(DC, R.left, R.top, nullptr);
    G->PaintTo(DC);
    RestoreDC(DC, Saved);
  }
}

void TWinControl::PaintWindow(HDC DC) { PaintControls(DC); }

void TWinControl::DefaultHandler(TMessage& M) {
  if (FHandle == nullptr) return;
  M.Result = CallWindowProcW(FDefWndProc != nullptr ? FDefWndProc : DefWindowProcW, FHandle, M.Msg, M.WParam,
                             M.LParam);
}

bool TWinControl::ReflectNotification(TMessage& M) {
  HWND Child = nullptr;
  switch (M.Msg) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
      Child = reinterpret_cast<HWND>(M.LParam);
      break;
    case WM_NOTIFY:
      Child = reinterpret_cast<NMHDR*>(M.LParam)->hwndFrom;
      break;
    case WM_DRAWITEM: {
      auto* D = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
      if (D->CtlType == ODT_MENU) return false;
      Child = D->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* D = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
      if (D->CtlType == ODT_MENU) return false;
      Child = GetDlgItem(FHandle, D->CtlID);
      break;
    }
    default:
      return false;
  }
  TWinControl* C = FindControl(Child);
  if (C == nullptr || C == this) return false;
  M.Result = C->Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
  return true;
}

void TWinControl::DispatchMouseToGraphic(TMessage& M, bool& Handled) {
  Handled = false;
  TPoint P(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
  TControl* Target = nullptr;
  if (CaptureControl != nullptr && CaptureControl->FParent == this)
    Target = CaptureControl;
  else
    Target = ControlAtPos(P, false, false);
  if (Target == nullptr) return;
  TMessage G{M.Msg, M.WParam, MAKELPARAM(P.X - Target->FLeft, P.Y - Target->FTop), 0};
  if (M.Msg == WM_LBUTTONDOWN || M.Msg == WM_RBUTTONDOWN || M.Msg == WM_LBUTTONDBLCLK) {
    CaptureControl = Target;
    SetCapture(FHandle);
  }
  Target->WndProc(G);
  if (M.Msg == WM_LBUTTONUP || M.Msg == WM_RBUTTONUP) {
    if (CaptureControl == Target) {
      CaptureControl = nullptr;
      ReleaseCapture();
    }
  }
  M.Result = G.Result;
  Handled = true;
}

void TWinControl::WndProc(TMessage& M) {
  if (ReflectNotification(M)) return;
  switch (M.Msg) {
    case WM_PAINT: {
      bool Own = FDefWndProc == DefWindowProcW;
      if (Own) {
        PAINTSTRUCT PS;
        HDC DC = BeginPaint(FHandle, &PS);
        PaintWindow(DC);
        EndPaint(FHandle, &PS);
        M.Result = 0;
      } else {
        DefaultHandler(M);
        bool HasGraphic = std::any_of(FControls.begin(), FControls.end(),
                                      [](TControl* C) { return dynamic_cast<TGraphicControl*>(C) != nullptr; });
        if (HasGraphic) {
          HDC DC = GetDCEx(FHandle, nullptr, DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS);
          PaintControls(DC);
          ReleaseDC(FHandle, DC);
        }
      }
      return;
    }
    case WM_ERASEBKGND:
      if (FDefWndProc == DefWindowProcW) {
        RECT R;
        GetClientRect(FHandle, &R);
        FillRect(reinterpret_cast<HDC>(M.WParam), &R, ColorBrush());
        M.Result = 1;
        return;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      DefaultHandler(M);
      UpdateBoundsFromWindow();
      return;
    case WM_SETFOCUS:
      DefaultHandler(M);
      if (TCustomForm* F = GetParentForm(this); F != nullptr && F != this) F->FocusChanged(this);
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DefaultHandler(M);
      DoExit();
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(M)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(M)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(M)) return;
      break;
    case WM_SETCURSOR:
      if (LOWORD(M.LParam) == HTCLIENT && reinterpret_cast<HWND>(M.WParam) == FHandle) {
        TCursor Cur = Screen != nullptr ? Screen->Cursor() : crDefault;
        if (Cur == crDefault) {
          POINT P;
          GetCursorPos(&P);
          ::ScreenToClient(FHandle, &P);
          TControl* G = ControlAtPos(TPoint(P), false, false);
          Cur = G != nullptr ? G->FCursor : FCursor;
        }
        if (Cur != crDefault) {
          ::SetCursor(CursorHandle(Cur));
          M.Result = TRUE;
          return;
        }
      }
      break;
    case WM_CONTEXTMENU: {
      TPoint P(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
      TControl* Owner = this;
      if (P.X != -1 || P.Y != -1) {
        if (TControl* G = ControlAtPos(ScreenToClient(P), false, false)) Owner = G;
      } else {
        P = ClientToScreen(TPoint(FWidth / 2, FHeight / 2));
      }
      if (Owner->FPopupMenu != nullptr && Owner->FPopupMenu->AutoPopup()) {
        Owner->FPopupMenu->SetPopupComponent(Owner);
        Owner->FPopupMenu->Popup(P.X, P.Y);
        M.Result = 0;
        return;
      }
      break;
    }
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC: {
      HDC DC = reinterpret_cast<HDC>(M.WParam);
      SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF);
      SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(FColor)) & 0xFFFFFF);
      M.Result = reinterpret_cast<LRESULT>(ColorBrush());
      return;
    }
    default:
      if (M.Msg >= CN_BASE && M.Msg < CN_BASE + 0x400) {
        M.Result = 0;  // a notification nobody wants here
        return;
      }
      if (IsMouseMessage(M.Msg)) {
        bool Handled;
        DispatchMouseToGraphic(M, Handled);
        if (Handled) return;
        DefaultHandler(M);
        TControl::WndProc(M);
        return;
      }
  }
  DefaultHandler(M);
}

// ---------------------------------------------------------------------------------------
// TCustomControl

const TClassInfo* TCustomControl::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCustomControl, TWinControl>("TCustomControl").Build();
  return &Info;
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) { FClickOnMouseUp = true; }

TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TWindowCanvas>();
  FCanvas->SetWindow(HandleAllocated() ? FHandle : nullptr);
  return FCanvas.get();
}

void TCustomControl::PaintWindow(HDC DC) {
  TCanvas* C = Canvas();
  C->SetHandle(DC);
  C->Font()->Assign(FFont.get());
  C->Brush()->SetColor(FColor);
  try {
    Paint();
  } catch (...) {
    C->SetHandle(nullptr);
    throw;
  }
  C->SetHandle(nullptr);
  PaintControls(DC);
}
