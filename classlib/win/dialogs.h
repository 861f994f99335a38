// Dialogs: the system's common dialogs as components, message dialogs, input boxes and
// the shell's folder browser.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/forms.h"
#include "classlib/win/types.h"

// ---------------------------------------------------------------------------------------
// Message dialogs.

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
template <> const TTypeInfo* TypeInfoOf<TMsgDlgType>();
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
template <> const TTypeInfo* TypeInfoOf<TMsgDlgBtn>();
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Opens a help topic by context number; the application sets it (the Help buttons of
// message dialogs call it; without it they do nothing).
extern std::function<void(int HelpContext)> HelpContextProc;

// The texts of message dialogs and input boxes, in the application's language: the
// captions of the four dialog kinds (by TMsgDlgType) and of the buttons (by TMsgDlgBtn,
// with their "&" marks), and those of the folder browser: its caption and its question
// before it makes a folder ("%s" for the folder). English until the application sets its
// own; an empty text stands for the English one.
struct TMsgDlgTexts {
  std::string Captions[mtCustom];
  std::string Buttons[mbHelp + 1];
  std::string SelectDirectory, CreateDirectory;
};
TMsgDlgTexts DefaultMsgDlgTexts();
const TMsgDlgTexts& MsgDlgTexts();
void SetMsgDlgTexts(const TMsgDlgTexts& Texts);

// A modal box with the message, the type's icon and caption ("Warning", "Error",
// "Information", "Confirmation"; mtCustom: the application's title) and the buttons.
// Returns the modal result of the button pressed (mrYes, mrOk...); Escape and the close
// box answer as Cancel, else No, else OK would.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
// The message with an OK button, captioned with the application's title.
void ShowMessage(const std::string& Msg);
// An edit box under Prompt: true with the text in Value when the user presses OK.
bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value);
// InputQuery's text, or Default when the user cancels.
std::string InputBox(const std::string& Caption, const std::string& Prompt, const std::string& Default);

// The shell's folder browser, starting at Directory, below Root when that is not empty.
bool SelectDirectory(const std::string& Caption, const std::string& Root, std::string& Directory);
enum TSelectDirOpt { sdAllowCreate, sdPerformCreate, sdPrompt };
template <> const TTypeInfo* TypeInfoOf<TSelectDirOpt>();
using TSelectDirOpts = TSet<TSelectDirOpt>;
// The same browser for a folder that may not exist yet: sdAllowCreate lets the user type
// a new name, sdPerformCreate creates a missing folder (after asking, with sdPrompt).
// The shell's browser has no help button: HelpCtx is accepted for the callers' sake.
bool SelectDirectory(std::string& Directory, TSelectDirOpts Options, int HelpCtx);

// ---------------------------------------------------------------------------------------
// Common dialogs. Execute shows the dialog and returns whether the user confirmed it.

class TCommonDialog : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  virtual bool Execute() = 0;
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }

  TNotifyEvent OnShow;   // before the dialog appears
  TNotifyEvent OnClose;  // after it has gone

protected:
  // The window that owns the dialog: the active window of the program.
  static HWND OwnerWindow();

private:
  int FHelpContext = 0;
};

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
template <> const TTypeInfo* TypeInfoOf<TOpenOption>();
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TOpenDialog(TComponent* AOwner);

  bool Execute() override;

  // Without the dot ("PAL"): added to a name typed without an extension.
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  // Every name chosen (one unless ofAllowMultiSelect), with its folder.
  TStrings* Files() { return &FFiles; }
  // "Description|Mask|Description|Mask", masks separated by ";".
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  // 1-based; the filter the user left selected comes back here.
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }

protected:
  bool DoExecute(bool Save);

private:
  std::string FDefaultExt;
  std::string FFileName;
  TStringList FFiles;
  std::string FFilter;
  int FFilterIndex = 1;
  std::string FInitialDir;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  std::string FTitle;
};

class TSaveDialog : public TOpenDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TOpenDialog::TOpenDialog;
  bool Execute() override;
};

enum TFontDialogOption {
  fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
  fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
  fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton
};
template <> const TTypeInfo* TypeInfoOf<TFontDialogOption>();
using TFontDialogOptions = TSet<TFontDialogOption>;
enum TFontDialogDevice { fdScreen, fdPrinter, fdBoth };
template <> const TTypeInfo* TypeInfoOf<TFontDialogDevice>();

class TFontDialog : public TCommonDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFontDialog(TComponent* AOwner);

  bool Execute() override;

  // The font shown at the start and chosen at the end (with its colour under fdEffects).
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFontDialogDevice Device() const { return FDevice; }
  void SetDevice(TFontDialogDevice Value) { FDevice = Value; }
  // Point sizes offered under fdLimitSize (0: no limit).
  int MinFontSize() const { return FMinFontSize; }
  void SetMinFontSize(int Value) { FMinFontSize = Value; }
  int MaxFontSize() const { return FMaxFontSize; }
  void SetMaxFontSize(int Value) { FMaxFontSize = Value; }
  TFontDialogOptions Options() const { return FOptions; }
  void SetOptions(TFontDialogOptions Value) { FOptions = Value; }

private:
  std::unique_ptr<TFont> FFont;
  TFontDialogDevice FDevice = fdScreen;
  int FMinFontSize = 0;
  int FMaxFontSize = 0;
  TFontDialogOptions FOptions{fdEffects};
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
template <> const TTypeInfo* TypeInfoOf<TColorDialogOption>();
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TColorDialog(TComponent* AOwner);

  bool Execute() override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  // The sixteen custom colours as lines "ColorA=RRGGBB" .. "ColorP=RRGGBB" (hexadecimal,
  // in the BGR order of a colour value); missing lines are white. Written back on OK.
  TStrings* CustomColors() { return &FCustomColors; }
  void SetCustomColors(TStrings* Value) { FCustomColors.Assign(Value); }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions Value) { FOptions = Value; }

private:
  TColor FColor = clBlack;
  TStringList FCustomColors;
  TColorDialogOptions FOptions;
};

enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
template <> const TTypeInfo* TypeInfoOf<TPrintDialogOption>();
using TPrintDialogOptions = TSet<TPrintDialogOption>;
enum TPrintRange { prAllPages, prSelection, prPageNums };
template <> const TTypeInfo* TypeInfoOf<TPrintRange>();

class TPrintDialog : public TCommonDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCommonDialog::TCommonDialog;
  ~TPrintDialog() override;

  bool Execute() override;

  bool Collate() const { return FCollate; }
  void SetCollate(bool Value) { FCollate = Value; }
  int Copies() const { return FCopies; }
  void SetCopies(int Value) { FCopies = Value; }
  int FromPage() const { return FFromPage; }
  void SetFromPage(int Value) { FFromPage = Value; }
  int ToPage() const { return FToPage; }
  void SetToPage(int Value) { FToPage = Value; }
  int MinPage() const { return FMinPage; }
  void SetMinPage(int Value) { FMinPage = Value; }
  int MaxPage() const { return FMaxPage; }
  void SetMaxPage(int Value) { FMaxPage = Value; }
  TPrintDialogOptions Options() const { return FOptions; }
  void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }
  TPrintRange PrintRange() const { return FPrintRange; }
  void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
  bool PrintToFile() const { return FPrintToFile; }
  void SetPrintToFile(bool Value) { FPrintToFile = Value; }
  // The printer and its settings as the user chose them (global memory blocks, kept
  // for the next Execute and for printing; 0 before the first confirmed run).
  HGLOBAL DevMode() const { return FDevMode; }
  HGLOBAL DevNames() const { return FDevNames; }

private:
  bool FCollate = false;
  int FCopies = 1;
  int FFromPage = 0;
  int FToPage = 0;
  int FMinPage = 0;
  int FMaxPage = 0;
  TPrintDialogOptions FOptions;
  TPrintRange FPrintRange = prAllPages;
  bool FPrintToFile = false;
  HGLOBAL FDevMode = nullptr;
  HGLOBAL FDevNames = nullptr;
};

// The printer setup dialog: the printer and its paper, kept for the next run.
class TPrinterSetupDialog : public TCommonDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCommonDialog::TCommonDialog;
  ~TPrinterSetupDialog() override;

  // False when cancelled or when the system has no printer (its message then shown by
  // the system's dialog).
  bool Execute() override;
  HGLOBAL DevMode() const { return FDevMode; }
  HGLOBAL DevNames() const { return FDevNames; }

private:
  HGLOBAL FDevMode = nullptr;
  HGLOBAL FDevNames = nullptr;
};

enum TFindOption {
  frDown, frFindNext, frHideMatchCase, frHideWholeWord, frHideUpDown, frMatchCase,
  frDisableMatchCase, frDisableUpDown, frDisableWholeWord, frReplace, frReplaceAll,
  frWholeWord, frShowHelp
};
template <> const TTypeInfo* TypeInfoOf<TFindOption>();
using TFindOptions = TSet<TFindOption>;

// Modeless: Execute shows the dialog and returns at once (true when it is shown); the
// user's requests arrive as OnFind (and OnReplace), with FindText and Options updated.
class TFindDialog : public TCommonDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFindDialog(TComponent* AOwner);
  ~TFindDialog() override;

  bool Execute() override;
  void CloseDialog();
  HWND Handle() const { return FHandle; }

  const std::string& FindText() const { return FFindText; }
  void SetFindText(const std::string& Value);
  TFindOptions Options() const { return FOptions; }
  void SetOptions(TFindOptions Value) { FOptions = Value; }
  // Where the dialog appears (screen coordinates); (-1, -1): where the system puts it.
  TPoint Position() const { return FPosition; }
  void SetPosition(TPoint Value);

  TNotifyEvent OnFind;
  TNotifyEvent OnReplace;

protected:
  virtual HWND CreateDialogWindow(FINDREPLACEW& Fr);
  LRESULT Message(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  FINDREPLACEW FRecord{};
  wchar_t FFindBuf[256] = {};
  wchar_t FReplaceBuf[256] = {};
  std::string FReplaceText;
  HWND FHandle = nullptr;

private:
  std::string FFindText;
  TFindOptions FOptions{frDown};
  TPoint FPosition{-1, -1};
  HWND FOwner = nullptr;
};

class TReplaceDialog : public TFindDialog {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TFindDialog::TFindDialog;

  const std::string& ReplaceText() const { return FReplaceText; }
  void SetReplaceText(const std::string& Value);

protected:
  HWND CreateDialogWindow(FINDREPLACEW& Fr) override;
};
