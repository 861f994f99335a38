#include "app/file_drop.h"

#include <shellapi.h>

#include "classlib/win/wide_string.h"

std::vector<std::string> DroppedFiles(IDataObject* Data) {
  std::vector<std::string> Files;
  FORMATETC Format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM Medium{};
  if (Data == nullptr || FAILED(Data->GetData(&Format, &Medium))) return Files;
  if (auto Drop = static_cast<HDROP>(GlobalLock(Medium.hGlobal))) {
    const UINT Count = DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT I = 0; I < Count; ++I) {
      std::wstring Name(DragQueryFileW(Drop, I, nullptr, 0) + 1, L'\0');
      Name.resize(DragQueryFileW(Drop, I, Name.data(), UINT(Name.size())));
      Files.push_back(FromWide(Name));
    }
    GlobalUnlock(Medium.hGlobal);
  }
  ReleaseStgMedium(&Medium);
  return Files;
}

HRESULT TFileDropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* Effect) {
  *Effect = DROPEFFECT_COPY;
  return S_OK;
}

HRESULT TFileDropTarget::DragOver(DWORD, POINTL, DWORD* Effect) {
  *Effect = DROPEFFECT_COPY;
  return S_OK;
}

HRESULT TFileDropTarget::Drop(IDataObject* Data, DWORD, POINTL, DWORD* Effect) {
  *Effect = DROPEFFECT_COPY;
  if (FOnDrop) FOnDrop(DroppedFiles(Data));
  return S_OK;
}

TComPtr<IDropTarget> RegisterFileDrop(HWND Wnd, TFileDropTarget::TOnDrop OnDrop) {
  TComPtr<IDropTarget> Target(new TFileDropTarget(std::move(OnDrop)));
  if (FAILED(RegisterDragDrop(Wnd, Target.Get()))) return {};
  return Target;
}

void RevokeFileDrop(HWND Wnd, TComPtr<IDropTarget>& Target) {
  if (!Target) return;
  if (IsWindow(Wnd)) RevokeDragDrop(Wnd);
  static_cast<TFileDropTarget*>(Target.Get())->Detach();
  Target.Reset();
}
