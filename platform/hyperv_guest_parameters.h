// The parameters Hyper-V hands to its guests (the physical host's name, the
// virtual machine's identifier and name). Outside a Hyper-V guest there is
// no store.
//
// Windows: the values of the HKEY_LOCAL_MACHINE key
// "SOFTWARE\Microsoft\Virtual Machine\Guest\Parameters", each read into a
// buffer of 522 bytes.
// POSIX: the guest daemon's pool file kHyperVKvpPoolFile below the current
// host files (host_files.h), read once when the store is opened.
// On both, a value longer than kHyperVParameterMaxChars UTF-16 characters
// cannot be read.
#pragma once

#include <memory>
#include <string>

namespace platform {

inline constexpr size_t kHyperVParameterMaxChars = 260;

class HyperVGuestParameters {
 public:
  virtual ~HyperVGuestParameters() = default;

  // The value `name` as UTF-8 text; false when it is missing or too long.
  virtual bool Read(const std::string& name, std::string* value) = 0;
};

// The store, or nullptr when it cannot be opened.
std::unique_ptr<HyperVGuestParameters> OpenHyperVGuestParameters();

}  // namespace platform
