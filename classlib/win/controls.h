// Controls: the base classes of everything on a form, the one window procedure that routes
// every message to its object, and the reflection of parent notifications to the child
// control that they concern.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/color.h"
#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/short_cut.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/types.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TCanvas;
class TWindowCanvas;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// Notifications that a parent receives (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
// WM_MEASUREITEM, WM_CTLCOLOR...) reach the child they concern as CN_BASE + the message.
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
// Posted to a form by Release(): it deletes itself once the current message is done.
inline constexpr UINT CM_RELEASE = WM_APP + 0x3B01;
// Broadcast by a form to its controls for Enter and Esc (WParam: the key); a control that
// acts on it (the default or cancel button) returns non-zero.
inline constexpr UINT CM_DIALOGKEY = WM_APP + 0x3B02;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
template <> const TTypeInfo* TypeInfoOf<TAlign>();


enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Cursors: the platform's numbering (crDefault 0, crArrow -2, crHourGlass -11 ...).
enum TCursor : int32_t {};
template <> const TTypeInfo* TypeInfoOf<TCursor>();
inline constexpr TCursor crDefault = TCursor(0);
inline constexpr TCursor crNone = TCursor(-1);
inline constexpr TCursor crArrow = TCursor(-2);
inline constexpr TCursor crCross = TCursor(-3);
inline constexpr TCursor crIBeam = TCursor(-4);
inline constexpr TCursor crSizeNESW = TCursor(-6);
inline constexpr TCursor crSizeNS = TCursor(-7);
inline constexpr TCursor crSizeNWSE = TCursor(-8);
inline constexpr TCursor crSizeWE = TCursor(-9);
inline constexpr TCursor crUpArrow = TCursor(-10);
inline constexpr TCursor crHourGlass = TCursor(-11);
inline constexpr TCursor crDrag = TCursor(-12);
inline constexpr TCursor crNoDrop = TCursor(-13);
inline constexpr TCursor crHSplit = TCursor(-14);
inline constexpr TCursor crVSplit = TCursor(-15);
inline constexpr TCursor crNo = TCursor(-18);
inline constexpr TCursor crAppStart = TCursor(-19);
inline constexpr TCursor crHelp = TCursor(-20);
inline constexpr TCursor crHandPoint = TCursor(-21);
inline constexpr TCursor crSizeAll = TCursor(-22);
// The system cursor of a TCursor (nullptr for crNone).
HCURSOR CursorHandle(TCursor Cursor);

using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// The shift state of a key message (Alt from the message itself, Shift and Ctrl from the
// thread's key state) and of mouse message flags.
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState KeyboardStateToShiftState();
TShiftState MouseFlagsToShiftState(WPARAM Flags);

// The object of a window made by the class library; nullptr for any other window.
TWinControl* FindControl(HWND Wnd);
// The control of Wnd or of its nearest ancestor that has one (the edit inside a combo box).
TWinControl* FindVCLWindow(HWND Wnd);
TCustomForm* GetParentForm(const class TControl* Control);

class TControl : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  // Placing by a form resource: the enclosing control becomes the parent.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* AParent) override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  // The area inside the control, at (0, 0).
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().Width(); }
  int ClientHeight() { return ClientRect().Height(); }
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  virtual void SetClientSize(int W, int H);
  TPoint ClientToScreen(TPoint P);
  TPoint ScreenToClient(TPoint P);
  // The top-left corner of the client area in the parent's client coordinates.
  virtual TPoint ClientOrigin();

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and so are all parents.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  // Caption and Text are one value: the window text of windowed controls.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const;
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value) { FParentShowHint = Value; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }

  virtual void Invalidate();
  virtual void Repaint();
  virtual void Update();
  void BringToFront();
  void SendToBack();
  virtual void Click();

  // Runs a message through the control's handlers directly.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // One virtual handler per class: a class handles what it knows and passes on the rest.
  virtual void WndProc(TMessage& Message);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

protected:
  friend class TWinControl;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual std::string GetText() const { return FText; }
  virtual void TextChanged() {}
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void VisibleChanged();
  virtual void EnabledChanged();
  virtual void Resize();
  // Bounds changed by a parent's alignment or by the window itself: no SetWindowPos.
  void UpdateBoundsRect(const TRect& R);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void DblClick();
  void RequestAlign();
  void ParentFontChanged();
  void ParentColorChanged();
  // The colour painted behind the control's content: its Color as a GDI brush.
  HBRUSH ColorBrush();
  bool Loading() const { return ComponentState().Contains(csLoading); }
  bool Destroying() const { return ComponentState().Contains(csDestroying); }

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clBtnFace;
  bool FParentColor = false;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  std::string FText;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  TCursor FCursor = crDefault;
  // A click on mouse-up over the control (graphic controls, panels); windowed standard
  // controls click through their own notifications instead.
  bool FClickOnMouseUp = false;
  bool FMouseDown = false;

private:
  HBRUSH FBrush = nullptr;
  TColor FBrushColor = clNone;
  bool FSettingFont = false;
};

// A control without a window: its parent paints it and routes its mouse messages to it.
class TGraphicControl : public TControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas();
  void Invalidate() override;
  void Update() override;
  // Paints on the parent's device context, already moved to the control's origin.
  void PaintTo(HDC DC);

protected:
  virtual void Paint() {}

private:
  std::unique_ptr<TCanvas> FCanvas;
};

struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  std::wstring WinClassName;        // the class the window gets (registered on first use)
  const wchar_t* SysClass = nullptr;  // a system class it is made from (nullptr: our own)
  UINT ClassStyle = CS_DBLCLKS;
  HMENU Menu = nullptr;
};

class TWinControl : public TControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, made on first use (with the parents' windows).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window and makes it anew with the current create parameters.
  void RecreateWnd();

  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(Index); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* AControl) const;
  // The child control at a client point (graphic controls too); nullptr when none.
  TControl* ControlAtPos(TPoint P, bool AllowDisabled = false, bool AllowWinControls = true);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() override;
  void SetClientSize(int W, int H) override;
  TPoint ClientOrigin() override;
  void Invalidate() override;
  void Update() override;
  void SetEnabled(bool Value) override;

  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  // The next or previous control that takes the Tab key, among this one's children.
  TWinControl* FindNextControl(TWinControl* Current, bool GoForward, bool CheckTabStop);
  void SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop);

  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void Realign();

  void WndProc(TMessage& Message) override;
  // Passes the message to the window's own class procedure.
  void DefaultHandler(TMessage& Message);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  // Key routing, in the order the message loop applies it to a key-down message before
  // dispatching it: shortcuts of menus, then dialog keys (Tab, Enter, Esc).
  virtual bool IsMenuKey(const MSG& Msg);
  bool IsDialogKey(const MSG& Msg);

protected:
  friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class TControl;

  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // After the window exists: its font, colours and state are given to it.
  virtual void InitWnd() {}
  void CreateHandle();
  void DestroyHandle();
  std::string GetText() const override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  void VisibleChanged() override;
  void Loaded() override;

  // Lays the aligned children out in Rect (the client area, less any frame of its own).
  // True where AlignControls places the unaligned children too (a tool bar's row).
  virtual bool ArrangesChildren() const { return false; }
  virtual void AlignControls(TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect) {}
  // A child's bounds changed (aligned or not).
  virtual void ChildBoundsChanged(TControl* Child) {}
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();
  // Paints the window's own content (own window classes only) and the graphic children.
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC);
  // A key the control handles itself rather than the form (DLGC_* of WM_GETDLGCODE).
  virtual bool WantsKey(uint16_t Key);
  // The form's key preview first, then the control's own handler; true when consumed.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  int FAlignLevel = 0;
  bool FRecreating = false;

private:
  void UpdateBoundsFromWindow();
  void DispatchMouseToGraphic(TMessage& Message, bool& Handled);
  bool ReflectNotification(TMessage& Message);
};

// A windowed control that paints itself on a canvas (Paint).
class TCustomControl : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas* Canvas();

protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

private:
  std::unique_ptr<TWindowCanvas> FCanvas;
};

// The default font of new controls, shared; its handle through FontHandle.
TFont* DefaultControlFont();
// Calls made from the window procedure that raise land here (TApplication sets it).
extern void (*ControlExceptionHandler)(TObject* Sender);
