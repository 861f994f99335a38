// Forms: top-level windows with their components read from a form resource, modal runs,
// closing with its query and actions, key preview and menu shortcuts.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/form_reader.h"
#include "classlib/win/controls.h"
#include "classlib/win/menus.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
template <> const TTypeInfo* TypeInfoOf<TFormBorderStyle>();
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
template <> const TTypeInfo* TypeInfoOf<TBorderIcon>();
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
template <> const TTypeInfo* TypeInfoOf<TWindowState>();
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
template <> const TTypeInfo* TypeInfoOf<TFormStyle>();
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
template <> const TTypeInfo* TypeInfoOf<TPosition>();
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = IDOK;
inline constexpr TModalResult mrCancel = IDCANCEL;
inline constexpr TModalResult mrAbort = IDABORT;
inline constexpr TModalResult mrRetry = IDRETRY;
inline constexpr TModalResult mrIgnore = IDIGNORE;
inline constexpr TModalResult mrYes = IDYES;
inline constexpr TModalResult mrNo = IDNO;
inline constexpr TModalResult mrAll = mrNo + 1;
inline constexpr TModalResult mrNoToAll = mrAll + 1;
inline constexpr TModalResult mrYesToAll = mrNoToAll + 1;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // A form without its resource; CreateForm<F>() reads the resource and fires OnCreate.
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Reads the form resource of the class (or of the nearest ancestor that has one; none is
  // no error) and fires OnCreate. CreateForm<F>() calls it right after construction.
  virtual void AfterConstruction();

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TWindowState WindowState();
  void SetWindowState(TWindowState Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TMainMenu* Menu() const { return FMenu; }
  // Before the window exists, the client size asked is kept and made good through the
  // frame of the form's final style.
  void SetClientSize(int W, int H) override;
  TRect ClientRect() override;
  void SetMenu(TMainMenu* Value);
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const { return FModal; }
  TCanvas* Canvas();

  // Shows the form and brings it forward.
  void ShowForm();
  // Runs the form until ModalResult is set (or Close is called: mrCancel); other windows
  // of the program are disabled meanwhile. Returns the ModalResult.
  virtual TModalResult ShowModal();
  // OnCloseQuery may refuse; then OnClose chooses what happens (caHide by default, caFree
  // for a form that asks for it; closing the main form ends the program).
  void Close();
  virtual bool CloseQuery();
  // Deletes the form once the message being handled is done.
  void Release();

  bool IsShortCut(TShortCut SC);
  // Tab, Enter (the default button) and Esc (the cancel button); true when consumed.
  bool DialogKey(uint16_t Key, TShiftState Shift, TWinControl* Sender);
  void FocusChanged(TWinControl* Control);

  void WndProc(TMessage& Message) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnPaint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void VisibleChanged() override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoCreate();
  // Fires OnDestroy once (only after OnCreate), before the components go. A form made by
  // CreateForm runs it before any destructor of its classes; the base destructor runs it
  // for a form made otherwise.
  void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  void Loaded() override;

private:
  void PlaceOnFirstShow();
  // A client size asked before the window exists, made good through the frame that the
  // form's final style gives it (the border style may be read after the size).
  void ApplyClientSize();
  int FAskedClientWidth = -1, FAskedClientHeight = -1;
  void CloseModal();
  void RecreateForm();

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TWindowState FWindowState = wsNormal;
  TFormStyle FFormStyle = fsNormal;
  TPosition FPosition = poDesigned;
  bool FKeyPreview = false;
  TMainMenu* FMenu = nullptr;
  TWinControl* FActiveControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
  bool FPlaced = false;
  bool FCreated = false;
  bool FDestroyed = false;
  std::unique_ptr<TWindowCanvas> FCanvas;
};

class TForm : public TCustomForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

namespace forms_detail {
// The object CreateForm makes: the form class itself, whose destruction starts by firing
// OnDestroy, so that the handler sees the whole form however it is deleted (by its owner,
// by Release, by delete or by a smart pointer).
template <class F>
class TCreatedForm final : public F {
public:
  using F::F;
  ~TCreatedForm() override { this->DoDestroy(); }
};
}  // namespace forms_detail

// Makes a form of class F, reads its resource and fires its OnCreate.
template <class F>
F* CreateForm(TComponent* Owner) {
  F* Form = new forms_detail::TCreatedForm<F>(Owner);
  try {
    Form->AfterConstruction();
  } catch (...) {
    delete Form;
    throw;
  }
  return Form;
}

// The text of a form resource compiled into the program (RCDATA named after the class in
// upper case, "TMAINFORM"); false when there is none.
bool FindFormResource(const std::string& ClassName, std::string& Text);

// Registers the class library's control classes for form resources (once).
void RegisterControlClasses();
