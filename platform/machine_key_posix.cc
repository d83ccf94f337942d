#include "platform/machine_key_posix.h"

#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/rand.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/state_dir.h"

namespace platform {
namespace {

std::string KeyPath() { return StateDirectory() + "/machine.key"; }

// 0 when read, ENOENT when there is no key file, another errno otherwise.
int ReadKeyFile(const std::string& path, MachineKey* key) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno;
  // One byte more than a key, to notice a file that is too long.
  uint8_t buffer[33];
  size_t got = 0;
  while (got < sizeof(buffer)) {
    const ssize_t n = read(fd, buffer + got, sizeof(buffer) - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  const bool whole = got == key->size();
  if (whole) std::copy(buffer, buffer + key->size(), key->begin());
  OPENSSL_cleanse(buffer, sizeof(buffer));
  return whole ? 0 : EINVAL;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Makes the new directory entry durable; a failure only weakens durability.
void SyncDirectory(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Writes a fresh key under a temporary name and links it to |path|; losing
// the race to another process (EEXIST) is success: its key is then read.
bool CreateKeyFile(const std::string& path) {
  if (!EnsureStateDirectory(StateDirectory())) return false;
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(&temp[0]);  // mode 0600
  if (fd < 0) return false;
  MachineKey fresh;
  bool ok = RAND_bytes(fresh.data(), static_cast<int>(fresh.size())) == 1 &&
            WriteAll(fd, fresh.data(), fresh.size()) && fsync(fd) == 0;
  OPENSSL_cleanse(fresh.data(), fresh.size());
  ok = close(fd) == 0 && ok;
  if (ok && link(temp.c_str(), path.c_str()) != 0 && errno != EEXIST) ok = false;
  unlink(temp.c_str());
  if (ok) SyncDirectory(StateDirectory());
  return ok;
}

}  // namespace

bool LoadMachineKey(MachineKey* key) {
  const std::string path = KeyPath();
  int error = ReadKeyFile(path, key);
  if (error == ENOENT && CreateKeyFile(path)) error = ReadKeyFile(path, key);
  return error == 0;
}

}  // namespace platform
