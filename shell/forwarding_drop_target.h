// The drop target a shell control registers for its window: it hands every call to the
// control's DoDragEnter, DoDragOver, DoDragLeave and DoDrop, where the drag's state lives.
// A call without its effect pointer is refused, no exception leaves a COM call, and once
// the control is gone the target refuses every drop.
#pragma once

#include <ole2.h>

#include "shell/com_ptr.h"

template <class TControl>
class TForwardingDropTarget : public TComObject<IDropTarget> {
public:
  explicit TForwardingDropTarget(TControl* Control) : FControl(Control) {}
  // The control goes before the target: later calls refuse the drop.
  void Detach() { FControl = nullptr; }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* Data, DWORD Keys, POINTL Pt, DWORD* Effect) override {
    if (Effect == nullptr) return E_POINTER;
    return Guard(Effect, [&] { return FControl->DoDragEnter(Data, Keys, Pt, Effect); });
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD Keys, POINTL Pt, DWORD* Effect) override {
    if (Effect == nullptr) return E_POINTER;
    return Guard(Effect, [&] { return FControl->DoDragOver(Keys, Pt, Effect); });
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    return Guard(nullptr, [&] { return FControl->DoDragLeave(); });
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* Data, DWORD Keys, POINTL Pt, DWORD* Effect) override {
    if (Effect == nullptr) return E_POINTER;
    return Guard(Effect, [&] { return FControl->DoDrop(Data, Keys, Pt, Effect); });
  }

private:
  template <class F>
  HRESULT Guard(DWORD* Effect, F Call) {
    try {
      if (FControl != nullptr) return Call();
    } catch (...) {
    }
    if (Effect != nullptr) *Effect = DROPEFFECT_NONE;
    return S_OK;
  }

  TControl* FControl;
};
