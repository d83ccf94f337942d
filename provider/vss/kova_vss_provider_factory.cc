#include "provider/vss/kova_vss_provider_factory.h"

#include <new>

#include "provider/vss/kova_vss_provider.h"

HRESULT CreateKovaVssProviderInstance(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  CKovaVssProvider* provider = nullptr;
  try {
    provider = new CKovaVssProvider();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
  // The creation reference keeps the object alive through QueryInterface;
  // afterwards the interface handed out holds the only one, if any.
  provider->AddRef();
  const HRESULT result = provider->QueryInterface(iid, object);
  provider->Release();
  return result;
}
