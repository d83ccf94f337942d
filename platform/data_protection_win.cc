#include "platform/data_protection.h"

#include <windows.h>
#include <dpapi.h>

namespace platform {
namespace {

// Flags value 4: any account of this machine may unprotect.
constexpr DWORD kProtectFlags = CRYPTPROTECT_LOCAL_MACHINE;

// Copies DPAPI's output into |out| and releases it; |secret| output is
// zeroed before LocalFree.
void TakeBlob(DATA_BLOB* blob, std::vector<uint8_t>* out, bool secret) {
  out->assign(blob->pbData, blob->pbData + blob->cbData);
  if (secret) SecureZeroMemory(blob->pbData, blob->cbData);
  LocalFree(blob->pbData);
}

// DPAPI refuses a null pointer even for no bytes, so empty data points at
// a byte that is never read.
DATA_BLOB InputBlob(const std::vector<uint8_t>& bytes) {
  static BYTE nothing = 0;
  DATA_BLOB in;
  in.cbData = static_cast<DWORD>(bytes.size());
  in.pbData = bytes.empty() ? &nothing : const_cast<BYTE*>(bytes.data());
  return in;
}

}  // namespace

bool ProtectData(const std::vector<uint8_t>& clear, std::vector<uint8_t>* blob) {
  DATA_BLOB in = InputBlob(clear);
  DATA_BLOB out = {};
  if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, kProtectFlags, &out)) {
    return false;
  }
  TakeBlob(&out, blob, false);
  return true;
}

bool UnprotectData(const std::vector<uint8_t>& blob, std::vector<uint8_t>* clear) {
  DATA_BLOB in = InputBlob(blob);
  DATA_BLOB out = {};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, kProtectFlags, &out)) {
    return false;
  }
  SecureZero(clear->data(), clear->size());
  TakeBlob(&out, clear, true);
  return true;
}

}  // namespace platform
