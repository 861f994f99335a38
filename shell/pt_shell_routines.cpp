#include "shell/pt_shell_routines.h"

#include <shellapi.h>

#include "classlib/core/exception.h"
#include "classlib/win/wide_string.h"
#include "shell/core/pt_shell_strings.h"

void RaiseSysError(int Code) { throw EOSError(SysErrorMessage(Code), static_cast<unsigned>(Code)); }

void CheckHResult(HRESULT Hr) {
  if (FAILED(Hr)) RaiseSysError(Hr);
}

HRESULT SplitPidl(PCItemIDList AbsList, TComPtr<IShellFolder>& ParentFolder, TPidl& ParentList,
                  TPidl& RelList) {
  ParentFolder.Reset();
  ParentList.Reset();
  RelList.Reset();
  TPTIdListArray Items(AbsList);
  int Count = Items.Count();
  if (Count == 0) {
    TPidl Desktop;
    HRESULT Hr = PathToPidl(GetSpecialFolderPath(nullptr, CSIDL_DESKTOP), *Desktop.Out());
    if (FAILED(Hr)) return Hr;
    // The desktop's folder is below the desktop, so this does not come back here.
    if (TPTIdListArray(Desktop.Get()).Count() == 0) return E_FAIL;
    return SplitPidl(Desktop.Get(), ParentFolder, ParentList, RelList);
  }
  if (Count == 1) {
    HRESULT Hr = SHGetDesktopFolder(ParentFolder.Out());
    if (FAILED(Hr)) return Hr;
    RelList.Reset(CopyPidl(nullptr, AbsList));
    return Hr;
  }
  ParentList.Reset(CopyPidl(nullptr, Items.AncestorIdList(1)));
  RelList.Reset(CopyPidl(nullptr, Items.Item(Count - 1)));
  return GetShellFolder(ParentList.Get(), ParentFolder.Out());
}

HRESULT GetUIObjectOfPidl(PCItemIDList AbsList, REFIID Iid, void** Object) {
  *Object = nullptr;
  TComPtr<IShellFolder> Parent;
  TPidl ParentList, RelList;
  HRESULT Hr = SplitPidl(AbsList, Parent, ParentList, RelList);
  if (FAILED(Hr)) return Hr;
  PCItemIDList Item = RelList.Get();
  Hr = Parent->GetUIObjectOf(nullptr, 1, &Item, Iid, nullptr, Object);
  if (FAILED(Hr)) *Object = nullptr;
  return Hr;
}

HRESULT GetDesktopDropTarget(IDropTarget** Target) {
  *Target = nullptr;
  TPidl Desktop;
  HRESULT Hr = PathToPidl(GetSpecialFolderPath(nullptr, CSIDL_DESKTOP), *Desktop.Out());
  if (FAILED(Hr)) return Hr;
  return GetUIObjectOfPidl(Desktop.Get(), IID_IDropTarget, reinterpret_cast<void**>(Target));
}

TDateTime FileTimeToDateTime(const FILETIME& Time) {
  FILETIME Local;
  SYSTEMTIME S;
  if (!FileTimeToLocalFileTime(&Time, &Local) || !FileTimeToSystemTime(&Local, &S)) return 0;
  TDateTime D = 0, T = 0;
  if (!TryEncodeDate(S.wYear, S.wMonth, S.wDay, D)) return 0;
  TryEncodeTime(S.wHour, S.wMinute, S.wSecond, S.wMilliseconds, T);
  return D + T;
}

std::string GetTypeNameText(PCItemIDList AbsList, ULONG Attributes) {
  if ((Attributes & SFGAO_FILESYSTEM) == 0) return PTShText(TPTShText::SystemFolderType);
  SHFILEINFOW Info{};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(AbsList), 0, &Info, sizeof(Info),
                     SHGFI_TYPENAME | SHGFI_PIDL) == 0)
    return {};
  return FromWideBuf(Info.szTypeName, 80);
}

void GetDetailTexts(PCItemIDList AbsList, ULONG Attributes, std::string& SizeText,
                    std::string& ModifiedText, std::string& TypeText) {
  SizeText.clear();
  ModifiedText.clear();
  std::string Path = PidlToPath(AbsList);
  if (Path.size() > 3) {
    WIN32_FIND_DATAW Data;
    HANDLE Find = FindFirstFileW(ToWide(Path).c_str(), &Data);
    if (Find != INVALID_HANDLE_VALUE) {
      FindClose(Find);
      if ((Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        SizeText = SizeToText((uint64_t(Data.nFileSizeHigh) << 32) | Data.nFileSizeLow);
      FILETIME T = Data.ftLastWriteTime;
      if (T.dwLowDateTime == 0 && T.dwHighDateTime == 0) T = Data.ftCreationTime;
      ModifiedText = FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, FileTimeToDateTime(T));
    }
  }
  TypeText = GetTypeNameText(AbsList, Attributes);
}
