#include "app/shell_dialogs.h"

#include <shlobj.h>

#include "app/core/lng_strings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"

namespace {

HWND OwnerWindow(TComponent* C) {
  auto* F = dynamic_cast<TCustomForm*>(C->Owner());
  return F != nullptr ? F->Handle() : nullptr;
}

// Not every system has every shell dialog: the library is asked for it by name.
template <class F>
F ShellFunction(const char* NameOrOrdinal) {
  HMODULE Shell = GetModuleHandleW(L"shell32.dll");
  if (Shell == nullptr) Shell = LoadLibraryW(L"shell32.dll");
  return Shell == nullptr ? nullptr : reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Shell, NameOrOrdinal)));
}

}  // namespace

const TClassInfo* TCopyDiskDlg::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCopyDiskDlg, TComponent>("TCopyDiskDlg").Build();
  return &Info;
}

bool TCopyDiskDlg::Execute() {
  // rundll32 starts whether or not the applet's library exists; its absence is known here.
  HMODULE Lib = LoadLibraryExW(L"diskcopy.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (Lib == nullptr) {
    const DWORD Error = GetLastError();
    MessageDlg(LngStringOr("No_copy_disk", "Copy disk is not available: Diskcopy.dll cannot be loaded.") + "\n" + SysErrorMessage(static_cast<int>(Error)),
               mtError, TMsgDlgButtons{mbOK}, 0);
    return false;
  }
  FreeLibrary(Lib);
  std::wstring Command = L"rundll32.exe Diskcopy.dll,DiskCopyRunDll";
  STARTUPINFOW Si{};
  Si.cb = sizeof Si;
  Si.dwFlags = STARTF_USESHOWWINDOW;
  Si.wShowWindow = SW_SHOWDEFAULT;
  PROCESS_INFORMATION Pi{};
  if (!CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Si, &Pi)) {
    const DWORD Error = GetLastError();
    MessageDlg(LngStringOr("No_rundll", "rundll32.exe cannot be started.") + "\n" + SysErrorMessage(static_cast<int>(Error)), mtError,
               TMsgDlgButtons{mbOK}, 0);
    return false;
  }
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  return true;
}

const TClassInfo* TRunDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRunDialog, TComponent>("TRunDialog")
                                     .Prop("Title", &TRunDialog::Title, &TRunDialog::SetTitle)
                                     .Prop("Prompt", &TRunDialog::Prompt, &TRunDialog::SetPrompt)
                                     .Prop("ShowLastPrompt", &TRunDialog::ShowLastPrompt, &TRunDialog::SetShowLastPrompt)
                                     .Build();
  return &Info;
}

bool TRunDialog::Execute() {
  // Exported by number only; its strings are wide on the NT platform.
  using TRunFileDlg = void(WINAPI*)(HWND, HICON, LPCWSTR, LPCWSTR, LPCWSTR, UINT);
  auto RunFileDlg = ShellFunction<TRunFileDlg>(MAKEINTRESOURCEA(61));
  if (RunFileDlg == nullptr) return false;
  const std::wstring Title = ToWide(FTitle), Prompt = ToWide(FPrompt);
  RunFileDlg(OwnerWindow(this), nullptr, nullptr, Title.empty() ? nullptr : Title.c_str(),
             Prompt.empty() ? nullptr : Prompt.c_str(), Flags());
  return true;
}

template <> const TTypeInfo* TypeInfoOf<TFormatCapacity>() {
  static const TTypeInfo Info = EnumTypeInfo("TFormatCapacity", {"fcDefault", "fc360k", "fc720k"});
  return &Info;
}

template <> const TTypeInfo* TypeInfoOf<TFormatType>() {
  static const TTypeInfo Info = EnumTypeInfo("TFormatType", {"fmQuick", "fmFull", "fmSysOnly"});
  return &Info;
}

const TClassInfo* TFormatDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFormatDialog, TComponent>("TFormatDialog")
                                     .Prop("Drive", &TFormatDialog::Drive, &TFormatDialog::SetDrive)
                                     .Prop("Capacity", &TFormatDialog::Capacity, &TFormatDialog::SetCapacity)
                                     .Prop("FormatType", &TFormatDialog::FormatType, &TFormatDialog::SetFormatType)
                                     .Build();
  return &Info;
}

unsigned TFormatDialog::CapacityId() const {
  static const unsigned Ids[] = {0, 3, 5};
  return Ids[FCapacity];
}

unsigned TFormatDialog::Options(bool NTPlatform) const {
  static const unsigned NT[] = {0, 1, 1}, Other[] = {0, 1, 2};
  return NTPlatform ? NT[FFormatType] : Other[FFormatType];
}

bool TFormatDialog::Execute() {
  OSVERSIONINFOW Version{};
  Version.dwOSVersionInfoSize = sizeof Version;
  GetVersionExW(&Version);
  const bool NT = Version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  FLastResult = SHFormatDrive(OwnerWindow(this), static_cast<UINT>(FDrive), CapacityId(), Options(NT));
  switch (FLastResult) {
    case SHFMT_CANCEL:
      return false;
    case SHFMT_ERROR:
      MessageDlg(LngStringOr("Format_failed", "The drive was not formatted: the last format failed."), mtError, TMsgDlgButtons{mbOK}, 0);
      return false;
    case SHFMT_NOFORMAT:
      MessageDlg(LngStringOr("No_format", "The drive cannot be formatted."), mtError, TMsgDlgButtons{mbOK}, 0);
      return false;
    default:
      return true;
  }
}

void RegisterShellDialogs() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TCopyDiskDlg, TRunDialog, TFormatDialog>();
}
