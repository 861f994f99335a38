#include "app/shared_routines.h"

#include <shellapi.h>

#include "app/core/lng_strings.h"
#include "app/core/zemb_rout.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/picture.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "storage/form_placement.h"

HINSTANCE ExecuteFile(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                      int ShowCmd) {
  HWND Owner = nullptr;
  if (Application != nullptr && Application->MainForm() != nullptr) Owner = Application->MainForm()->Handle();
  TCommandLine Line{FileName, Params};
  // A path with blanks in it that names something is taken whole, as the user gave it.
  if (Params.empty() && !FileExists(FileName) && !DirectoryExists(FileName)) Line = SplitCommandLine(FileName);
  std::wstring File = ToWide(Line.Program), Args = ToWide(Line.Params), Dir = ToWide(DefaultDir);
  SHELLEXECUTEINFOW Info{};
  Info.cbSize = sizeof Info;
  // The shell's own failure box is replaced by ours, which says which file failed.
  Info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  Info.hwnd = Owner;
  Info.lpFile = File.c_str();
  // Empty parameters and folder are passed as none, as the shell expects.
  Info.lpParameters = Args.empty() ? nullptr : Args.c_str();
  Info.lpDirectory = Dir.empty() ? nullptr : Dir.c_str();
  Info.nShow = ShowCmd;
  if (ShellExecuteExW(&Info)) {
    // Callers test the result against 32, as with the shell's older call.
    return reinterpret_cast<INT_PTR>(Info.hInstApp) > 32 ? Info.hInstApp : reinterpret_cast<HINSTANCE>(INT_PTR(33));
  }
  DWORD Error = GetLastError();
  if (Error == ERROR_SUCCESS) Error = ERROR_FILE_NOT_FOUND;
  INT_PTR Code = reinterpret_cast<INT_PTR>(Info.hInstApp);
  if (Code <= 0 || Code > 32) Code = Error <= 32 ? static_cast<INT_PTR>(Error) : SE_ERR_NOASSOC;
  MessageDlg(FileName + "\n\n" + SysErrorMessage(static_cast<int>(Error)), mtError, TMsgDlgButtons{mbOK}, 0);
  HINSTANCE Result = reinterpret_cast<HINSTANCE>(Code);
  return Result;
}

void FitPicture(TControl* Page, TImage* Image, const std::string& FileName) {
  Image->SetAutoSize(true);
  Image->SetStretch(false);
  Image->Picture()->LoadFromFile(FileName);
  TGraphic* G = Image->Picture()->Graphic();
  if (G == nullptr) return;
  const TPictureSize S = FitPictureSize(G->Width(), G->Height(), Page->Width(), Page->Height());
  if (!S.Stretch) return;
  Image->SetAutoSize(false);
  Image->SetWidth(S.Width);
  Image->SetHeight(S.Height);
  Image->SetStretch(true);
}

void UseLanguageFile(TComponent* Form, bool Now) {
  if (Form == nullptr) return;
  for (int I = 0; I < Form->ComponentCount(); ++I) {
    auto* Lang = dynamic_cast<TFormStorage*>(Form->Components(I));
    if (Lang == nullptr || Lang->UseRegistry()) continue;
    Lang->SetIniFileName(LngFileName());
    if (!Now) continue;
    Lang->RestoreFormPlacement();
    Lang->SetActive(false);
  }
}
