// The machine's configuration registry: keys under two roots holding typed
// values, with the semantics the configuration store depends on.
//
// Common semantics:
// - Key paths are backslash-separated, relative to a root, and may end with
//   a backslash ("SOFTWARE\KovaStorage\VSS\Provider\"). Key and value names
//   are compared without regard to ASCII case and kept as first written.
// - Values hold raw bytes with a type tag. String values hold UTF-16LE text
//   with its terminating zero character, exactly as Windows stores them;
//   EncodeRegistryString and DecodeRegistryString convert.
// - QueryValue follows RegQueryValueEx: with no buffer it reports the size;
//   with a buffer too small for the data it fails with kMoreData and reports
//   the size needed, leaving the buffer unspecified.
// - Subkeys and values enumerate in the registry's order: names sorted
//   without regard to case, as upper case (so "_" sorts after letters).
// - Each value write is atomic. Implementations are safe to use from several
//   threads; the persistent one also from several processes at once.
//
// Linux: the hive is a SQLite database (registry_hive_posix.cc); tests may
// install an in-memory registry with SetMachineRegistry.
// Windows: the native registry, 64-bit view.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class RegistryRoot { kLocalMachine, kClassesRoot };

enum RegistryType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
};

enum class RegistryStatus {
  kOk,
  kNotFound,      // key or value does not exist
  kMoreData,      // the caller's buffer is too small
  kNoMoreItems,   // enumeration index past the end
  kAccessDenied,  // the key's protection refuses this caller
  kFailed,        // the store could not be opened, read or written
};

// Who may open a key, kept with the key when it is created. A key made
// kAdministratorsOnly refuses OpenKey, CreateKey and DeleteTree (of it or a
// tree holding it) with kAccessDenied when the caller is no administrator;
// handles already open keep working, and subkey names stay enumerable.
enum class KeyProtection { kDefault, kAdministratorsOnly };

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // RegQueryValueEx: |type| and |data| may be null; |size| is in/out bytes.
  virtual RegistryStatus QueryValue(const std::string& name, uint32_t* type,
                                    uint8_t* data, uint32_t* size) = 0;
  virtual RegistryStatus SetValue(const std::string& name, uint32_t type,
                                  const uint8_t* data, uint32_t size) = 0;
  virtual RegistryStatus DeleteValue(const std::string& name) = 0;

  // Names of subkeys and values at |index| in enumeration order.
  virtual RegistryStatus EnumSubKey(uint32_t index, std::string* name) = 0;
  virtual RegistryStatus EnumValue(uint32_t index, std::string* name) = 0;
  virtual RegistryStatus CountSubKeys(uint32_t* count) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key; kNotFound when it does not exist.
  virtual RegistryStatus OpenKey(RegistryRoot root, const std::string& path,
                                 std::unique_ptr<RegistryKey>* key) = 0;
  // Opens a key, creating it and its missing parents. |protection| applies
  // only to a key this call creates; an existing key keeps its own.
  virtual RegistryStatus CreateKey(RegistryRoot root, const std::string& path,
                                   KeyProtection protection,
                                   std::unique_ptr<RegistryKey>* key) = 0;
  // Deletes a key with all its subkeys and values.
  virtual RegistryStatus DeleteTree(RegistryRoot root,
                                    const std::string& path) = 0;
};

// The registry every component of this process uses. On Linux it is the
// hive under $KOVA_STATE_DIR unless a test installed another.
Registry& MachineRegistry();
// Replaces the process's registry (tests); null restores the default.
void SetMachineRegistry(std::shared_ptr<Registry> registry);
// A new instance of the system's own registry (the Windows registry; on
// Linux the hive under $KOVA_STATE_DIR), whatever a test installed.
std::shared_ptr<Registry> CreateDefaultMachineRegistry();

// UTF-8 text to UTF-16LE bytes with the terminating zero character.
std::vector<uint8_t> EncodeRegistryString(const std::string& utf8);
// UTF-16LE bytes to UTF-8, up to the first zero character.
std::string DecodeRegistryString(const uint8_t* data, uint32_t size);

// Reads a string value into a buffer of |buffer_bytes| the way the system's
// readers do: any failure, including a value that does not fit, gives false.
bool ReadStringValue(RegistryKey& key, const std::string& name,
                     uint32_t buffer_bytes, std::string* text);
// Writes |utf8| as REG_SZ (length plus terminator).
RegistryStatus WriteStringValue(RegistryKey& key, const std::string& name,
                                const std::string& utf8);

}  // namespace platform
