// Management instrumentation queries: connect to a namespace of a machine,
// run a WQL query, walk the instances and read their properties. The
// interfaces follow the Windows ones step by step (locator, services with
// their proxy security, enumerator, class object) so that callers report
// each step's failure the same way on every system. Results are HRESULTs as
// Windows gives them.
//
// Values carry the Windows VARIANT type number (kVt..., with kVtArray for
// arrays) and the payload in the member that type uses. Text is narrow:
// the system's ANSI code page on Windows, UTF-8 elsewhere.
//
// Windows: WMI through COM (CLSID_WbemLocator); needs COM initialised on
// the calling thread.
// POSIX: the host's initiator names from the host files (host_files.h), as
// the local namespace "root\WMI" serves them:
// - "select * from MSiSCSIInitiator_MethodClass": one instance with the
//   text property "iSCSINodeName" when the initiator name file names one;
// - "select * from MSFC_FibrePortHBAAttributes": one instance per
//   Fibre Channel host in ascending host number, with "InstanceName" (the
//   host's name) and the embedded object "Attributes" holding the byte
//   arrays "PortWWN" and "NodeWWN" (null when the file is unreadable).
// Other machines cannot be reached (RPC_S_SERVER_UNAVAILABLE), other
// namespaces and classes do not exist.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/hresult.h"

namespace platform {

enum VariantType : uint16_t {
  kVtEmpty = 0,
  kVtNull = 1,
  kVtI2 = 2,
  kVtI4 = 3,
  kVtR4 = 4,
  kVtR8 = 5,
  kVtBstr = 8,
  kVtBool = 11,
  kVtUnknown = 13,
  kVtI1 = 16,
  kVtUi1 = 17,
  kVtUi2 = 18,
  kVtUi4 = 19,
  kVtI8 = 20,
  kVtUi8 = 21,
  kVtInt = 22,
  kVtUint = 23,
  kVtArray = 0x2000,
};

inline constexpr HRESULT kWbemNoError = 0;  // WBEM_S_NO_ERROR
inline constexpr HRESULT kWbemFalse = 1;    // WBEM_S_FALSE: no more objects
inline constexpr HRESULT kWbemNotFound = static_cast<HRESULT>(0x80041002);
inline constexpr HRESULT kWbemInvalidNamespace = static_cast<HRESULT>(0x8004100E);
inline constexpr HRESULT kWbemInvalidClass = static_cast<HRESULT>(0x80041010);
inline constexpr HRESULT kWbemInvalidQuery = static_cast<HRESULT>(0x80041017);
inline constexpr HRESULT kRpcServerUnavailable = static_cast<HRESULT>(0x800706BA);

class ManagementObject;

struct ManagementValue {
  uint16_t type = kVtEmpty;
  int64_t integer = 0;                       // the integer types
  double real = 0;                           // kVtR4, kVtR8
  bool boolean = false;                      // kVtBool
  std::string text;                          // kVtBstr
  std::vector<uint8_t> bytes;                // kVtUi1 | kVtArray
  std::unique_ptr<ManagementObject> object;  // kVtUnknown
};

// One instance (or embedded object).
class ManagementObject {
 public:
  virtual ~ManagementObject() = default;
  // Fills `value` (type kVtEmpty on failure) and returns the HRESULT.
  virtual HRESULT Get(const std::string& name, ManagementValue* value) = 0;
  // The object in MOF text form.
  virtual std::string ObjectText() = 0;
};

class ManagementEnumerator {
 public:
  virtual ~ManagementEnumerator() = default;
  // The next instance, waiting without limit: kWbemNoError with an object,
  // kWbemFalse with none at the end, or a failure.
  virtual HRESULT Next(std::unique_ptr<ManagementObject>* object) = 0;
};

class ManagementServices {
 public:
  virtual ~ManagementServices() = default;
  // Call-level authentication with impersonation on the connection.
  virtual HRESULT SetProxySecurity() = 0;
  // A forward-only query that returns immediately.
  virtual HRESULT ExecQuery(const std::string& wql,
                            std::unique_ptr<ManagementEnumerator>* enumerator) = 0;
};

class ManagementLocator {
 public:
  virtual ~ManagementLocator() = default;
  // Connects with the caller's own identity to a namespace path:
  // "root\WMI" locally, "\\machine\root\WMI" on another machine.
  virtual HRESULT ConnectServer(const std::string& namespace_path,
                                std::unique_ptr<ManagementServices>* services) = 0;
};

class Management {
 public:
  virtual ~Management() = default;
  virtual HRESULT CreateLocator(std::unique_ptr<ManagementLocator>* locator) = 0;
};

// The operating system's instrumentation, alive for the whole process.
Management& SystemManagement();

// What callers use: the system's unless a test installed another.
Management& CurrentManagement();
// Installs `management` (not owned) for the process; nullptr restores the
// system's.
void SetManagement(Management* management);

}  // namespace platform
