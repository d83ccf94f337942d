// Creation of a provider object, the work of the coclass KovaVssProvider's
// class factory.
#pragma once

#include "platform/vss_compat.h"
#include "provider/vss/ikova_vss_provider.h"

// Creates a CKovaVssProvider (which reads the configured arrays and opens a
// session with each) and returns the interface |iid| of it in |*object|,
// holding one reference. E_POINTER for a null |object|; E_NOINTERFACE (and
// no object) for an interface it does not implement; E_OUTOFMEMORY when it
// cannot be made. Never throws.
HRESULT CreateKovaVssProviderInstance(REFIID iid, void** object);
