// IUnknown of a COM object that has one interface besides it, with a
// thread-safe reference count; the object deletes itself with its last
// reference. Windows only.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <atomic>

namespace platform {

template <typename Interface>
class ComObject : public Interface {
 public:
  // |iid| is the interface's identifier, alive as long as the object.
  explicit ComObject(const IID& iid) : iid_(iid) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == iid_) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --references_;
    if (count == 0) delete this;
    return count;
  }

 protected:
  virtual ~ComObject() = default;

 private:
  const IID& iid_;
  std::atomic<ULONG> references_{1};
};

}  // namespace platform
