// What only the persistent hive promises: it survives its process, keeps
// protection with the key, shares the file between processes, loses no
// committed write when a writer dies, and reports a bad file as a failed
// open instead of crashing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/registry_hive.h"
#include "tests/support/scoped_state_dir.h"

namespace platform {
namespace {

constexpr RegistryRoot kHklm = RegistryRoot::kLocalMachine;
constexpr char kRoot[] = "SOFTWARE\\KovaStorage\\VSS\\Provider\\";

std::shared_ptr<Registry> Hive(const std::string& path, bool administrator = true) {
  HiveOptions options;
  options.path = path;
  options.is_administrator = [administrator] { return administrator; };
  return OpenRegistryHive(options);
}

std::unique_ptr<RegistryKey> CreateRoot(Registry& registry) {
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(RegistryStatus::kOk,
            registry.CreateKey(kHklm, kRoot, KeyProtection::kDefault, &key));
  return key;
}

std::string ReadString(Registry& registry, const std::string& name) {
  std::unique_ptr<RegistryKey> key;
  std::string text = "<no key>";
  if (registry.OpenKey(kHklm, kRoot, &key) != RegistryStatus::kOk) return text;
  if (!ReadStringValue(*key, name, 4096, &text)) return "<no value>";
  return text;
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Waits for |pid| at most |seconds|; -1 when it did not end in time.
int WaitBounded(pid_t pid, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(2000);
  }
  return status;
}

void Overwrite(const std::string& path, std::streamoff offset, const std::string& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(offset);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class RegistryHiveTest : public testing::Test {
 protected:
  std::string DbPath() const { return state_.File("registry.db"); }
  ScopedStateDir state_;
};

TEST_F(RegistryHiveTest, ContentAndProtectionOutliveTheConnection) {
  {
    auto hive = Hive(DbPath());
    auto root = CreateRoot(*hive);
    ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*root, "RestVersion", "1.1"));
    std::unique_ptr<RegistryKey> array;
    ASSERT_EQ(RegistryStatus::kOk, hive->CreateKey(kHklm, std::string(kRoot) + "Array1",
                                                   KeyProtection::kAdministratorsOnly, &array));
  }
  auto as_user = Hive(DbPath(), false);
  EXPECT_EQ("1.1", ReadString(*as_user, "RestVersion"));
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(RegistryStatus::kAccessDenied,
            as_user->OpenKey(kHklm, std::string(kRoot) + "array1", &key));
  EXPECT_EQ(RegistryStatus::kOk,
            Hive(DbPath(), true)->OpenKey(kHklm, std::string(kRoot) + "array1", &key));
}

TEST_F(RegistryHiveTest, FilesArePrivateAndTheDefaultPathFollowsTheStateDir) {
  const std::string dir = state_.File("state");
  ScopedStateDir::Point(dir);
  EXPECT_EQ(dir + "/registry.db", DefaultHivePath());

  // The process-wide registry is this hive unless a test installs another.
  SetMachineRegistry(nullptr);
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(RegistryStatus::kOk,
            MachineRegistry().CreateKey(kHklm, kRoot, KeyProtection::kDefault, &key));
  ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*key, "Logging", "Enabled"));
  EXPECT_EQ(0700u, ModeOf(dir));
  EXPECT_EQ(0600u, ModeOf(dir + "/registry.db"));
  // The journal files exist while a connection is open and share the mode.
  EXPECT_EQ(0600u, ModeOf(dir + "/registry.db-wal"));
  EXPECT_EQ(0600u, ModeOf(dir + "/registry.db-shm"));
  EXPECT_EQ("Enabled", ReadString(*Hive(dir + "/registry.db"), "Logging"));
  key.reset();
  SetMachineRegistry(nullptr);
}

TEST_F(RegistryHiveTest, AnUnsoundFileIsAFailedOpenUntilItIsRepaired) {
  {
    auto hive = Hive(DbPath());
    auto root = CreateRoot(*hive);
    // Enough rows to spread the tables over several pages.
    for (int i = 0; i < 60; ++i) {
      ASSERT_EQ(RegistryStatus::kOk,
                WriteStringValue(*root, "Value" + std::to_string(i), std::string(400, 'x')));
    }
  }
  const std::string pristine = DbPath() + ".copy";
  std::filesystem::copy_file(DbPath(), pristine);

  std::unique_ptr<RegistryKey> key;
  Overwrite(DbPath(), 8192, std::string(4096, '\xEE'));  // an inner page
  auto hive = Hive(DbPath());
  EXPECT_EQ(RegistryStatus::kFailed, hive->OpenKey(kHklm, kRoot, &key));
  EXPECT_EQ(RegistryStatus::kFailed,
            hive->CreateKey(kHklm, kRoot, KeyProtection::kDefault, &key));

  Overwrite(DbPath(), 0, "this is not a database at all");  // the header
  EXPECT_EQ(RegistryStatus::kFailed, Hive(DbPath())->OpenKey(kHklm, kRoot, &key));

  std::filesystem::copy_file(pristine, DbPath(), std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(RegistryStatus::kOk, hive->OpenKey(kHklm, kRoot, &key))
      << "the same registry object opens the file once it is sound";
}

TEST_F(RegistryHiveTest, AFileThatCannotBeOpenedIsAFailedOpen) {
  std::filesystem::create_directory(DbPath());  // not a file at all
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(RegistryStatus::kFailed, Hive(DbPath())->OpenKey(kHklm, kRoot, &key));
  std::filesystem::remove(DbPath());

  CreateRoot(*Hive(DbPath()));
  // A reader that is not the file's owner, as an unprivileged account sees
  // the root-owned hive. As root that needs a child that gives up root.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    } else {
      chmod(DbPath().c_str(), 0);
    }
    std::unique_ptr<RegistryKey> child_key;
    const RegistryStatus status = Hive(DbPath())->OpenKey(kHklm, kRoot, &child_key);
    _exit(status == RegistryStatus::kFailed ? 0 : 1);
  }
  const int status = WaitBounded(child, 30);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
}

// Two processes write their own values and read each other's at once; no
// call may fail (the busy timeout absorbs the other writer) and no read may
// see a partly written value.
TEST_F(RegistryHiveTest, TwoProcessesShareTheHive) {
  CreateRoot(*Hive(DbPath()));
  constexpr int kWrites = 40;
  auto work = [&](char self, char other) {
    auto hive = Hive(DbPath());
    auto root = CreateRoot(*hive);
    int failures = 0;
    for (int i = 0; i < kWrites; ++i) {
      const std::string text(300 + i, self);
      if (WriteStringValue(*root, std::string(1, self) + std::to_string(i), text) != RegistryStatus::kOk) ++failures;
      std::string seen;
      const std::string theirs = std::string(1, other) + std::to_string(i);
      uint32_t size = 0;
      const RegistryStatus status = root->QueryValue(theirs, nullptr, nullptr, &size);
      if (status == RegistryStatus::kOk) {
        if (!ReadStringValue(*root, theirs, 4096, &seen) || seen != std::string(300 + i, other)) ++failures;
      } else if (status != RegistryStatus::kNotFound) {
        ++failures;
      }
    }
    return failures;
  };
  int go[2];
  ASSERT_EQ(0, pipe(go));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char byte;
    close(go[1]);
    if (read(go[0], &byte, 1) != 1) _exit(2);
    _exit(work('b', 'a') == 0 ? 0 : 1);
  }
  close(go[0]);
  ASSERT_EQ(1, write(go[1], "x", 1));
  close(go[1]);
  EXPECT_EQ(0, work('a', 'b'));
  const int status = WaitBounded(child, 60);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));

  auto hive = Hive(DbPath());
  for (int i = 0; i < kWrites; ++i) {
    EXPECT_EQ(std::string(300 + i, 'a'), ReadString(*hive, "a" + std::to_string(i)));
    EXPECT_EQ(std::string(300 + i, 'b'), ReadString(*hive, "b" + std::to_string(i)));
  }
}

// A child commits some writes, then dies inside the transaction of one
// more; the parent must find the committed state exactly.
void KillDuringWrite(const std::string& db, void (*last_write)(Registry&)) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool armed = false;
    HiveOptions options;
    options.path = db;
    options.before_commit = [&armed] {
      if (armed) raise(SIGKILL);
    };
    auto hive = OpenRegistryHive(options);
    std::unique_ptr<RegistryKey> root;
    hive->CreateKey(kHklm, kRoot, KeyProtection::kDefault, &root);
    WriteStringValue(*root, "Before", "kept");
    WriteStringValue(*root, "Changed", "old");
    hive->CreateKey(kHklm, std::string(kRoot) + "Array\\Sub", KeyProtection::kDefault, &root);
    armed = true;
    last_write(*hive);
    _exit(0);
  }
  const int status = WaitBounded(child, 30);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(SIGKILL, WTERMSIG(status));
}

TEST_F(RegistryHiveTest, AWriterKilledInsideATransactionLosesOnlyThatWrite) {
  KillDuringWrite(DbPath(), [](Registry& hive) {
    std::unique_ptr<RegistryKey> root;
    hive.OpenKey(kHklm, kRoot, &root);
    WriteStringValue(*root, "Changed", "new");
  });
  auto hive = Hive(DbPath());
  EXPECT_EQ("kept", ReadString(*hive, "Before"));
  EXPECT_EQ("old", ReadString(*hive, "Changed"));
  auto root = CreateRoot(*hive);
  EXPECT_EQ(RegistryStatus::kOk, WriteStringValue(*root, "After", "ok"));
  EXPECT_EQ("ok", ReadString(*hive, "After"));
}

TEST_F(RegistryHiveTest, AKeyTreeDeletedByAKilledWriterIsStillWhole) {
  KillDuringWrite(DbPath(), [](Registry& hive) {
    hive.DeleteTree(kHklm, "SOFTWARE\\KovaStorage");
  });
  auto hive = Hive(DbPath());
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(RegistryStatus::kOk, hive->OpenKey(kHklm, std::string(kRoot) + "Array\\Sub", &key));
  EXPECT_EQ("kept", ReadString(*hive, "Before"));
}

}  // namespace
}  // namespace platform
