// Wiping memory that held a secret (a clear API token, a password, the
// machine key), in a way the compiler cannot drop as a dead store.
#pragma once

#include <cstddef>

namespace platform {

// Overwrites |size| bytes at |data| with zeros; nothing for null or zero.
void SecureZero(void* data, size_t size);

// Overwrites every element of |secret| (a string or a byte vector) with
// zeros, then empties it.
template <typename Secret>
void SecureWipe(Secret* secret) {
  if (!secret) return;
  if (!secret->empty()) SecureZero(&(*secret)[0], secret->size() * sizeof((*secret)[0]));
  secret->clear();
}

// Wipes |secret| when the scope ends, on every path out of it.
template <typename Secret>
class ScopedSecureWipe {
 public:
  explicit ScopedSecureWipe(Secret* secret) : secret_(secret) {}
  ~ScopedSecureWipe() { SecureWipe(secret_); }
  ScopedSecureWipe(const ScopedSecureWipe&) = delete;
  ScopedSecureWipe& operator=(const ScopedSecureWipe&) = delete;

 private:
  Secret* secret_;
};

}  // namespace platform
