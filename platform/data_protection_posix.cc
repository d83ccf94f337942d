#include "platform/data_protection.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <memory>

#include "platform/machine_key_posix.h"

namespace platform {
namespace {

constexpr uint8_t kMagic = 0x4B;  // 'K'
constexpr uint8_t kVersion = 1;
constexpr size_t kNonceSize = 12;
constexpr size_t kTagSize = 16;
constexpr size_t kHeaderSize = 2 + kNonceSize;  // authenticated, not secret

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// The machine key for the length of one call, zeroed when it goes.
class ScopedKey {
 public:
  ~ScopedKey() { OPENSSL_cleanse(key_.data(), key_.size()); }
  bool Load() { return LoadMachineKey(&key_); }
  const uint8_t* data() const { return key_.data(); }

 private:
  MachineKey key_{};
};

// Starts an AES-256-GCM context for |header| (magic, version, nonce) and
// feeds the header as associated data.
CipherContext StartCipher(bool encrypt, const ScopedKey& key, const uint8_t* header) {
  CipherContext ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!ctx) return ctx;
  const uint8_t* nonce = header + 2;
  int unused = 0;
  const bool ok =
      EVP_CipherInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr,
                        encrypt ? 1 : 0) == 1 &&
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN,
                          static_cast<int>(kNonceSize), nullptr) == 1 &&
      EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce, -1) == 1 &&
      EVP_CipherUpdate(ctx.get(), nullptr, &unused, header,
                       static_cast<int>(kHeaderSize)) == 1;
  if (!ok) ctx.reset();
  return ctx;
}

// Runs |size| bytes through the cipher into |out|.
bool Transform(EVP_CIPHER_CTX* ctx, const uint8_t* in, size_t size, uint8_t* out) {
  if (size == 0) return true;
  int written = 0;
  return EVP_CipherUpdate(ctx, out, &written, in, static_cast<int>(size)) == 1 &&
         static_cast<size_t>(written) == size;
}

}  // namespace

bool ProtectData(const std::vector<uint8_t>& clear, std::vector<uint8_t>* blob) {
  if (clear.size() > (1u << 30)) return false;
  ScopedKey key;
  if (!key.Load()) return false;
  std::vector<uint8_t> out(kHeaderSize + clear.size() + kTagSize);
  out[0] = kMagic;
  out[1] = kVersion;
  if (RAND_bytes(out.data() + 2, static_cast<int>(kNonceSize)) != 1) return false;
  CipherContext ctx = StartCipher(true, key, out.data());
  int final_size = 0;
  uint8_t* tag = out.data() + kHeaderSize + clear.size();
  if (!ctx || !Transform(ctx.get(), clear.data(), clear.size(), out.data() + kHeaderSize) ||
      EVP_EncryptFinal_ex(ctx.get(), tag, &final_size) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize),
                          tag) != 1) {
    return false;
  }
  *blob = std::move(out);
  return true;
}

bool UnprotectData(const std::vector<uint8_t>& blob, std::vector<uint8_t>* clear) {
  if (blob.size() < kHeaderSize + kTagSize || blob[0] != kMagic || blob[1] != kVersion) {
    return false;
  }
  ScopedKey key;
  if (!key.Load()) return false;
  const size_t size = blob.size() - kHeaderSize - kTagSize;
  std::vector<uint8_t> out(size);
  // The tag is only read by OpenSSL, but its interface takes a mutable one.
  uint8_t tag[kTagSize];
  std::copy(blob.end() - kTagSize, blob.end(), tag);
  CipherContext ctx = StartCipher(false, key, blob.data());
  int final_size = 0;
  const bool ok =
      ctx && Transform(ctx.get(), blob.data() + kHeaderSize, size, out.data()) &&
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize),
                          tag) == 1 &&
      EVP_DecryptFinal_ex(ctx.get(), nullptr, &final_size) == 1;
  if (!ok) {
    SecureZero(out.data(), out.size());
    return false;
  }
  SecureZero(clear->data(), clear->size());
  *clear = std::move(out);
  return true;
}

}  // namespace platform
