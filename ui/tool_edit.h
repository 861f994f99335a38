// Single-line edits with a small button at their right end: the base combo edit, and the
// file-name and folder edits whose button opens a file or folder dialog and which take
// files dropped from the shell.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/short_cut.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/controls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/std_ctrls.h"

ZX_EXCEPTION(EComboEditError, Exception);

// A flat-capable button without a window: a glyph of up to 5 images side by side (up,
// disabled, down...), a pressed state, and a click that sets the form's modal result.
class TRxSpeedButton : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxSpeedButton(TComponent* AOwner);
  ~TRxSpeedButton() override;

  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  // Shown pressed: the mouse is held on it.
  bool Pressed() const { return FPressed; }

  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void EnabledChanged() override;
  bool FPressed = false;

private:
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  bool FFlat = false;
  int FModalResult = 0;
  bool FTracking = false;
};

class TCustomComboEdit;

// The button inside a combo edit.
class TEditButton : public TRxSpeedButton {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TEditButton(TComponent* AOwner);
  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool FNoAction = false;
};

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
template <> const TTypeInfo* TypeInfoOf<TGlyphKind>();
enum TPopupAlign { epaRight, epaLeft };

class TCustomComboEdit : public TCustomEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCustomComboEdit(TComponent* AOwner);
  ~TCustomComboEdit() override;

  TEditButton* Button() const { return FButton; }
  int ButtonWidth() const;
  void SetButtonWidth(int Value);
  TBitmap* Glyph() const { return FButton->Glyph(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FButton->NumGlyphs(); }
  void SetNumGlyphs(int Value);
  TGlyphKind GlyphKind() const { return FGlyphKind; }
  void SetGlyphKind(TGlyphKind Value);
  TShortCut ClickKey() const { return FClickKey; }
  void SetClickKey(TShortCut Value) { FClickKey = Value; }
  bool DirectInput() const { return FDirectInput; }
  void SetDirectInput(bool Value);
  bool ReadOnly() const { return TCustomEdit::ReadOnly(); }
  void SetReadOnly(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool PopupVisible() const { return FPopupVisible; }

  // The button's action, as a click of the button or the click key does it.
  void DoClick();
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnButtonClick;

protected:
  friend class TEditButton;
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void Resize() override;
  void FontChanged() override;
  void EnabledChanged() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  // The glyph of gkDefault; DestroyNeeded tells the caller to free it.
  virtual TBitmap* GetDefaultBitmap(bool& DestroyNeeded) { DestroyNeeded = false; return nullptr; }
  // The kind's own action after OnButtonClick (a dialog).
  virtual void ButtonClick() {}
  virtual void PopupCloseUp(bool Accept) { FPopupVisible = false; }
  void UpdateEditRect();
  bool EditReadOnly() const { return TCustomEdit::ReadOnly() || !FDirectInput; }
  int TextHeight();

  TWinControl* FBtnControl;
  TEditButton* FButton;
  bool FAlwaysEnable = false;
  bool FPopupVisible = false;

private:
  void RecreateGlyph();
  TShortCut FClickKey = TShortCut(32808);  // Alt+Down
  bool FDirectInput = true;
  TAlignment FAlignment = taLeftJustify;
  TGlyphKind FGlyphKind = gkCustom;
  int FDefNumGlyphs = 1;
  bool FUpdating = false;
};

// Sender, the name as a changeable string, and whether to go on.
using TExecOpenDialogEvent = std::function<void(TObject* Sender, std::string& Name, bool& Action)>;

class TFileDirEdit : public TCustomComboEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFileDirEdit(TComponent* AOwner);

  bool AcceptFiles() const { return FAcceptFiles; }
  void SetAcceptFiles(bool Value);
  virtual std::string GetLongName() = 0;
  virtual std::string GetShortName() = 0;
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnDropFiles;
  TExecOpenDialogEvent OnBeforeDialog;
  TExecOpenDialogEvent OnAfterDialog;

protected:
  void InitWnd() override;
  void DestroyWnd() override;
  TBitmap* GetDefaultBitmap(bool& DestroyNeeded) override;
  virtual void TakeDroppedName(const std::string& Name) = 0;
  virtual void ClearDroppedNames() {}
  void DoBeforeDialog(std::string& Name, bool& Action);
  void DoAfterDialog(std::string& Name, bool& Action);
  bool FMultipleDirs = false;

private:
  bool FAcceptFiles = false;
};

enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
template <> const TTypeInfo* TypeInfoOf<TFileDialogKind>();
enum TFileEditStyle { fsEdit, fsComboBox };
template <> const TTypeInfo* TypeInfoOf<TFileEditStyle>();

class TFilenameEdit : public TFileDirEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFilenameEdit(TComponent* AOwner);

  // The text as a file name: the text itself when such a file exists, else the first
  // word of the text read as a command line.
  std::string FileName() const;
  // EComboEditError for an invalid name; a name with blanks is shown in double quotes.
  void SetFileName(const std::string& Value);
  TFileDialogKind DialogKind() const { return FDialogKind; }
  void SetDialogKind(TFileDialogKind Value);
  TOpenDialog* Dialog() const { return FDialog; }
  std::string DefaultExt() const { return FDialog->DefaultExt(); }
  void SetDefaultExt(const std::string& Value) { FDialog->SetDefaultExt(Value); }
  TFileEditStyle FileEditStyle() const { return FFileEditStyle; }
  void SetFileEditStyle(TFileEditStyle Value) { FFileEditStyle = Value; }
  std::string Filter() const { return FDialog->Filter(); }
  void SetFilter(const std::string& Value) { FDialog->SetFilter(Value); }
  int FilterIndex() const { return FDialog->FilterIndex(); }
  void SetFilterIndex(int Value) { FDialog->SetFilterIndex(Value); }
  std::string InitialDir() const { return FDialog->InitialDir(); }
  void SetInitialDir(const std::string& Value) { FDialog->SetInitialDir(Value); }
  TStrings* HistoryList() const { return FHistoryList.get(); }
  void SetHistoryList(TStrings* Value) { FHistoryList->Assign(Value); }
  TOpenOptions DialogOptions() const { return FDialog->Options(); }
  void SetDialogOptions(TOpenOptions Value) { FDialog->SetOptions(Value); }
  std::string DialogTitle() const { return FDialog->Title(); }
  void SetDialogTitle(const std::string& Value) { FDialog->SetTitle(Value); }
  // The dialog's file list, with every name dropped (more than one with multiple names).
  TStrings* DialogFiles() const { return FDialog->Files(); }
  std::string GetLongName() override;
  std::string GetShortName() override;

protected:
  void ButtonClick() override;
  // The file dialog as set up: true when confirmed.
  virtual bool ExecuteDialog();
  void TakeDroppedName(const std::string& Name) override;
  void ClearDroppedNames() override;

private:
  void CreateEditDialog(TFileDialogKind Kind);
  TFileDialogKind FDialogKind = dkOpen;
  TFileEditStyle FFileEditStyle = fsEdit;
  TOpenDialog* FDialog = nullptr;
  std::unique_ptr<TStringList> FHistoryList;
};

enum TDirDialogKind { dkVCL, dkWin32 };
template <> const TTypeInfo* TypeInfoOf<TDirDialogKind>();

class TDirectoryEdit : public TFileDirEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TDirectoryEdit(TComponent* AOwner);

  TSelectDirOpts DialogOptions() const { return FOptions; }
  void SetDialogOptions(TSelectDirOpts Value) { FOptions = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& DialogText() const { return FDialogText; }
  void SetDialogText(const std::string& Value) { FDialogText = Value; }
  TDirDialogKind DialogKind() const { return FDialogKind; }
  void SetDialogKind(TDirDialogKind Value) { FDialogKind = Value; }
  // The text holds several folders separated by ";".
  bool MultipleDirs() const { return FMultipleDirs; }
  void SetMultipleDirs(bool Value) { FMultipleDirs = Value; }
  std::string GetLongName() override;
  std::string GetShortName() override;

protected:
  void ButtonClick() override;
  // The kind's folder dialog started at Name: true and Name the choice when confirmed.
  virtual bool ExecuteDialog(std::string& Name);
  void TakeDroppedName(const std::string& Name) override;

private:
  TSelectDirOpts FOptions;
  std::string FInitialDir;
  std::string FDialogText;
  TDirDialogKind FDialogKind = dkVCL;
};

// Registers the edits for form resources (once).
void RegisterToolEdits();
