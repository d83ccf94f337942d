/* What widl's proxies include for their exception frames: Wine's own
 * header, over mingw-w64's names of the same record and flags. */
#pragma once
#include <windows.h>
#include <excpt.h>
#ifndef EH_UNWINDING
#define EH_NONCONTINUABLE 0x01
#define EH_UNWINDING 0x02
#define EH_EXIT_UNWIND 0x04
#define EH_STACK_INVALID 0x08
#define EH_NESTED_CALL 0x10
#endif
#define Prev prev
#define Handler handler
#include "/usr/include/wine/wine/exception.h"

/* rpcrt4's IUnknown proxies; mingw-w64's <unknwn.h> declares them for C++ only. */
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown *This, REFIID riid, void **ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown *This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown *This);
