#include "app/shared_routines.h"

#include <shellapi.h>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"

HINSTANCE ExecuteFile(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                      int ShowCmd) {
  HWND Owner = nullptr;
  if (Application != nullptr && Application->MainForm() != nullptr) Owner = Application->MainForm()->Handle();
  std::wstring File = ToWide(FileName), Args = ToWide(Params), Dir = ToWide(DefaultDir);
  // Empty parameters and folder are passed as none, as the shell expects.
  return ShellExecuteW(Owner, nullptr, File.c_str(), Args.empty() ? nullptr : Args.c_str(),
                       Dir.empty() ? nullptr : Dir.c_str(), ShowCmd);
}
