// The POSIX implementation of machine data protection: its blob format,
// the machine key made on first use (and agreed on by racing processes),
// and its refusal of another key's blobs or a broken key file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/data_protection.h"
#include "tests/platform/data_protection_blobs.h"
#include "tests/support/scoped_state_dir.h"

namespace platform {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class DataProtectionPosixTest : public testing::Test {
 protected:
  ScopedStateDir state_;
};

TEST_F(DataProtectionPosixTest, RoundTripsUnderAKeyMadeOnFirstUse) {
  const std::string dir = state_.File("fresh");
  ScopedStateDir::Point(dir);
  for (size_t size : {0u, 1u, 15u, 16u, 17u, 1000u}) {
    const std::vector<uint8_t> blob = Protect(ClearBytes(size));
    ASSERT_EQ(size + 30, blob.size());
    EXPECT_EQ(0x4B, blob[0]);
    EXPECT_EQ(1, blob[1]);
    std::vector<uint8_t> clear;
    ASSERT_TRUE(Unprotects(blob, &clear)) << size;
    EXPECT_EQ(ClearBytes(size), clear);
  }
  EXPECT_NE(Protect(ClearBytes(8)), Protect(ClearBytes(8))) << "every blob has its own nonce";
  EXPECT_EQ(0700u, ModeOf(dir));
  EXPECT_EQ(0600u, ModeOf(dir + "/machine.key"));
  EXPECT_EQ(32u, std::filesystem::file_size(dir + "/machine.key"));
}

TEST_F(DataProtectionPosixTest, AnUnknownVersionIsRefused) {
  std::vector<uint8_t> version2 = Protect(ClearBytes(20));
  version2[1] = 2;
  EXPECT_FALSE(Unprotects(version2));
}

TEST_F(DataProtectionPosixTest, AnotherMachinesBlobIsRefused) {
  const std::vector<uint8_t> here = Protect(ClearBytes(12));
  ScopedStateDir other_machine;
  EXPECT_FALSE(Unprotects(here));
  EXPECT_TRUE(Unprotects(Protect(ClearBytes(12))));
}

TEST_F(DataProtectionPosixTest, ABrokenKeyFileIsNeitherUsedNorReplaced) {
  const std::string key = state_.File("machine.key");
  { std::ofstream(key, std::ios::binary) << std::string(31, 'k'); }
  std::vector<uint8_t> blob;
  EXPECT_FALSE(ProtectData(ClearBytes(4), &blob));
  EXPECT_EQ(31u, std::filesystem::file_size(key));

  { std::ofstream(key, std::ios::binary) << std::string(33, 'k'); }
  EXPECT_FALSE(ProtectData(ClearBytes(4), &blob));
}

// Processes that all find no key at once must end up with one key, so that
// each can unprotect what any other protected.
TEST_F(DataProtectionPosixTest, ConcurrentFirstUsesAgreeOnOneKey) {
  constexpr int kChildren = 4;
  int go[2];
  ASSERT_EQ(0, pipe(go));
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(go[1]);
      char byte;
      if (read(go[0], &byte, 1) != 0) _exit(2);  // released by the close below
      std::vector<uint8_t> blob;
      if (!ProtectData(ClearBytes(16 + c), &blob)) _exit(1);
      std::ofstream(state_.File("blob" + std::to_string(c)), std::ios::binary)
          .write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));
      _exit(0);
    }
    children.push_back(pid);
  }
  close(go[0]);
  close(go[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(0, WEXITSTATUS(status));
  }
  for (int c = 0; c < kChildren; ++c) {
    std::ifstream file(state_.File("blob" + std::to_string(c)), std::ios::binary);
    const std::vector<uint8_t> blob{std::istreambuf_iterator<char>(file), {}};
    std::vector<uint8_t> clear;
    EXPECT_TRUE(Unprotects(blob, &clear)) << "child " << c;
    EXPECT_EQ(ClearBytes(16 + c), clear);
  }
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(state_.str())) {
    entries += entry.path().filename().string().rfind("machine.key", 0) == 0;
  }
  EXPECT_EQ(1, entries) << "no temporary key file is left behind";
}

}  // namespace
}  // namespace platform
