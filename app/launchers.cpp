// The main window's launchers that stand beside the panels: the tray and the caption
// button that leads to it, the plug-in pages' close command, the encryption of the current
// file, and the shell's run, format and copy-disk dialogs.
#include <windows.h>
#include <shellapi.h>
#include <commdlg.h>
#include <cderr.h>

#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/shell_dialogs.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/icon.h"
#include "classlib/win/wide_string.h"
#include "tools/crypt_it.h"
#include "ui/caption_button.h"
#include "ui/tray_icon.h"

void TMainForm::MakeLaunchers() {
  if (Tray != nullptr) return;
  Tray = new TRxTrayIcon(this);
  Tray->SetName("Tray");
  Tray->SetActive(false);
  Tray->SetHint("Zembrix");
  // The program's own icon, else the system's application icon.
  wchar_t Exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, Exe, MAX_PATH);
  HICON Icon = ExtractIconW(GetModuleHandleW(nullptr), Exe, 0);
  if (Icon == nullptr || Icon == reinterpret_cast<HICON>(1)) Icon = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  TIcon I;
  I.SetHandle(Icon);
  Tray->SetIcon(&I);
  Tray->SetPopupMenu(TrayMenu);
  Tray->OnDblClick = [this](TObject* S) { TrayRestore(S); };

  CaptionButton1 = new TCaptionButton(this);
  CaptionButton1->SetName("CaptionButton1");
  CaptionButton1->SetRightMargin(CaptionMargin);
  CaptionButton1->OnClick = [this](TObject* S) { CaptionButton1Click(S); };
}

// To the tray: no window and no task-bar button, only the icon.
void TMainForm::CaptionButton1Click(TObject*) {
  Application->Minimize();
  ShowWindow(Application->Handle(), SW_HIDE);
  Tray->SetActive(true);
}

void TMainForm::TrayRestore(TObject*) {
  Application->Restore();
  ShowWindow(Application->Handle(), SW_RESTORE);
  Tray->SetActive(false);
}

void TMainForm::cryptClick(TObject*) {
  std::string Name = CurrentFile();
  if (Name.empty()) return;
  try {
    ShowEncryptDialog(Name);
  } catch (const std::exception&) {
    ShowLittleError();
  }
}

void TMainForm::decryptClick(TObject*) {
  std::string Name = CurrentFile();
  if (Name.empty()) return;
  try {
    ShowDecryptDialog(Name);
  } catch (const std::exception&) {
    ShowLittleError();
  }
}

// The printer setup dialog; its choice is the platform's for the session.
void TMainForm::N2Click(TObject*) {
  PRINTDLGW D{};
  D.lStructSize = sizeof D;
  D.hwndOwner = Handle();
  D.Flags = PD_PRINTSETUP;
  if (PrintDlgW(&D)) {
    if (D.hDevMode != nullptr) GlobalFree(D.hDevMode);
    if (D.hDevNames != nullptr) GlobalFree(D.hDevNames);
    return;
  }
  const DWORD Error = CommDlgExtendedError();
  if (Error == PDERR_NODEFAULTPRN || Error == PDERR_NODEVICES)
    ShowMessage(LngStringOr("No_printer", "No printer is installed."));
  else if (Error != 0)
    ShowMessage(LngStringOr("Printer_setup_failed", "The printer setup cannot be shown. Error") + " " + std::to_string(Error));
}
