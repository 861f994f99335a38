// An owned reference to a COM interface: released when the holder goes.
#pragma once

#include <objbase.h>

#include <utility>

template <class I>
class TComPtr {
public:
  TComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit TComPtr(I* P) : FPtr(P) {}
  TComPtr(const TComPtr& Other) : FPtr(Other.FPtr) {
    if (FPtr != nullptr) FPtr->AddRef();
  }
  TComPtr(TComPtr&& Other) noexcept : FPtr(std::exchange(Other.FPtr, nullptr)) {}
  TComPtr& operator=(TComPtr Other) noexcept {
    std::swap(FPtr, Other.FPtr);
    return *this;
  }
  ~TComPtr() { Reset(); }

  // A new reference to P (AddRef).
  static TComPtr Share(I* P) {
    if (P != nullptr) P->AddRef();
    return TComPtr(P);
  }

  I* Get() const { return FPtr; }
  I* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  void Reset() {
    if (I* P = std::exchange(FPtr, nullptr)) P->Release();
  }
  // Gives up the reference to the caller.
  I* Detach() { return std::exchange(FPtr, nullptr); }
  // For out parameters: drops the held reference and gives its place.
  I** Out() {
    Reset();
    return &FPtr;
  }
  template <class Q>
  HRESULT As(TComPtr<Q>& Result) const {
    if (FPtr == nullptr) {
      Result.Reset();
      return E_POINTER;
    }
    return FPtr->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(Result.Out()));
  }

private:
  I* FPtr = nullptr;
};

// A COM object of our own with one interface I besides IUnknown: counts its references
// and deletes itself at 0.
template <class I>
class TComObject : public I {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    if (Object == nullptr) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == __uuidof(I)) {
      *Object = static_cast<I*>(this);
      AddRef();
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&FRefs); }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG N = InterlockedDecrement(&FRefs);
    if (N == 0) delete this;
    return N;
  }

protected:
  virtual ~TComObject() = default;

private:
  LONG FRefs = 1;
};
