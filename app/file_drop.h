// Files dropped on a window from the shell or the panels: an OLE drop target that takes
// any drag and hands over the dropped file names.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/com_ptr.h"

// The file names of a dropped data object (CF_HDROP), in its order; none when it has none.
std::vector<std::string> DroppedFiles(IDataObject* Data);

class TFileDropTarget : public TComObject<IDropTarget> {
public:
  using TOnDrop = std::function<void(const std::vector<std::string>& Files)>;
  explicit TFileDropTarget(TOnDrop OnDrop) : FOnDrop(std::move(OnDrop)) {}
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* Data, DWORD, POINTL, DWORD* Effect) override;
  // The window goes before the target: later drops do nothing.
  void Detach() { FOnDrop = nullptr; }

private:
  TOnDrop FOnDrop;
};

// Registers a new target for Wnd; nil when the window takes no drops.
TComPtr<IDropTarget> RegisterFileDrop(HWND Wnd, TFileDropTarget::TOnDrop OnDrop);
// Revokes a target that RegisterFileDrop made (nil: nothing) and detaches it.
void RevokeFileDrop(HWND Wnd, TComPtr<IDropTarget>& Target);
