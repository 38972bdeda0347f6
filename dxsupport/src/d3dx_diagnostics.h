// The extension library's one-line diagnostics on the debugger output, and
// the reference counting its COM objects share.
#pragma once

#include <d3d8.h>

#include <atomic>
#include <initializer_list>

namespace dxsupport {

// Writes `text` (a complete line) to the debugger output and returns
// D3DERR_INVALIDCALL, the result of every call with a missing argument.
HRESULT InvalidCall(const char* text);

template <typename Interface>
class RefCounted : public Interface {
 public:
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  HRESULT Answer(REFIID riid, void** object, std::initializer_list<const GUID*> ids) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const GUID* id : ids) {
      if (riid == *id) {
        *object = this;
        AddRef();
        return S_OK;
      }
    }
    return E_NOINTERFACE;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace dxsupport
