// The class library's headers go before <windows.h>, whose macros would hide their names.
#include "archive/core/arc_base.h"
#include "archive/core/arc_file.h"
#include "archive/core/arc_globals.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/win/wide_string.h"

#include <windows.h>
#include <shellapi.h>

#include "archive/arc_win.h"

std::string ArcApplicationTitle;

namespace {

bool DriveAnswers(char Drive) {
  const wchar_t root[] = {static_cast<wchar_t>(static_cast<unsigned char>(Drive)), L':', L'\\', 0};
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  const BOOL ok = GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
  const DWORD error = ok ? 0 : GetLastError();
  SetErrorMode(oldMode);
  SetLastError(error);
  return ok != FALSE;
}

int ShellIconIndex(const std::string& FileName) {
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(ToWide(FileName).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    return -1;
  return info.iIcon;
}

std::string ShellTypeName(const std::string& FileName) {
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(ToWide(FileName).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
    return {};
  return FromWideBuf(info.szTypeName, sizeof info.szTypeName / sizeof info.szTypeName[0]);
}

}  // namespace

bool WinCheckDriveReady(char Drive) {
  while (!DriveAnswers(Drive)) {
    const std::string text = DriveNotReadyText(Drive, SysErrorMessage(static_cast<int>(GetLastError())));
    const int answer = MessageBoxW(GetActiveWindow(), ToWide(text).c_str(), ToWide(ArcApplicationTitle).c_str(),
                                   MB_RETRYCANCEL | MB_ICONERROR);
    if (answer != IDRETRY) return false;
  }
  return true;
}

void InstallArchiveWin(const std::string& Title, std::function<void()> ProcessMessages) {
  ArcApplicationTitle = Title;
  ArcDriveReadyProc = WinCheckDriveReady;
  ArcShellIconIndex = ShellIconIndex;
  ArcShellTypeName = ShellTypeName;
  ArcProcessMessages = std::move(ProcessMessages);
}

void AssignSystemImageLists(TComponent* Owner, TCustomListView* ListView) {
  // The shell's lists stay the shell's: the image lists only share their handles.
  for (UINT size : {UINT(SHGFI_LARGEICON), UINT(SHGFI_SMALLICON)}) {
    SHFILEINFOW info{};
    const auto handle = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
        L"*.*", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | size));
    auto* list = new TImageList(Owner);
    list->SetShareImages(true);
    list->SetHandle(handle);
    if (size == UINT(SHGFI_LARGEICON))
      ListView->SetLargeImages(list);
    else
      ListView->SetSmallImages(list);
  }
}

void FreeSystemImageLists(TCustomListView* ListView) {
  TCustomImageList* large = ListView->LargeImages();
  TCustomImageList* small = ListView->SmallImages();
  ListView->SetLargeImages(nullptr);
  ListView->SetSmallImages(nullptr);
  delete large;
  if (small != large) delete small;
}


HINSTANCE ShellExecuteFile(HWND Wnd, const std::string& FileName, const std::string& Params,
                           const std::string& DefaultDir, int ShowCmd) {
  return ShellExecuteW(Wnd, nullptr, ToWide(FileName).c_str(), Params.empty() ? nullptr : ToWide(Params).c_str(),
                       DefaultDir.empty() ? nullptr : ToWide(DefaultDir).c_str(), ShowCmd);
}
