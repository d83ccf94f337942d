// One contract for the package file facility, run against the operating
// system's implementation and against the fake the flow tests use, so the
// fake cannot drift from what the system does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "platform/package_files.h"
#include "tests/installer/installer_fakes.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

class FilesUnderTest {
 public:
  virtual ~FilesUnderTest() = default;
  virtual platform::PackageFiles& files() = 0;
  virtual std::string folder() = 0;
  virtual Bytes Read(const std::string& path) = 0;
  virtual void MakeReadOnly(const std::string& path) = 0;
};

class SystemFilesUnderTest : public FilesUnderTest {
 public:
  platform::PackageFiles& files() override { return platform::SystemPackageFiles(); }
  std::string folder() override { return dir_.str(); }
  Bytes Read(const std::string& path) override {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void MakeReadOnly(const std::string& path) override {
    std::filesystem::permissions(std::filesystem::u8path(path),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
  }

 private:
  TempDir dir_;
};

class FakeFilesUnderTest : public FilesUnderTest {
 public:
  platform::PackageFiles& files() override { return fake_; }
  std::string folder() override { return "C:\\Work"; }
  Bytes Read(const std::string& path) override { return fake_.files[path].bytes; }
  void MakeReadOnly(const std::string& path) override { fake_.files[path].read_only = true; }

 private:
  FakePackageFiles fake_;
};

struct Factory {
  const char* name;
  std::function<std::unique_ptr<FilesUnderTest>()> make;
};

void PrintTo(const Factory& factory, std::ostream* out) { *out << factory.name; }

class PackageFilesContractTest : public testing::TestWithParam<Factory> {
 protected:
  void SetUp() override { under_test_ = GetParam().make(); }
  platform::PackageFiles& files() { return under_test_->files(); }
  std::string InFolder(const std::string& name) {
    std::string path;
    EXPECT_TRUE(files().JoinPath(under_test_->folder(), name, &path));
    return path;
  }
  bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::unique_ptr<platform::WritableFile> file = files().CreateReplacing(path);
    size_t written = 0;
    return file && file->Write(bytes.data(), bytes.size(), &written) && written == bytes.size();
  }

  std::unique_ptr<FilesUnderTest> under_test_;
};

TEST_P(PackageFilesContractTest, AJoinedPathNamesAFileInTheFolder) {
  const std::string path = InFolder("KovaVss.msi");
  EXPECT_FALSE(files().IsFile(path));
  ASSERT_TRUE(WriteFile(path, {1, 2, 3}));
  EXPECT_TRUE(files().IsFile(path));
  EXPECT_FALSE(files().IsDirectory(path));
  EXPECT_TRUE(files().IsDirectory(under_test_->folder()));
  EXPECT_FALSE(files().IsFile(under_test_->folder()));
  EXPECT_EQ(under_test_->Read(path), (Bytes{1, 2, 3}));
}

TEST_P(PackageFilesContractTest, JoiningIgnoresATrailingSeparator) {
  const std::string path = InFolder("a.msi");
  const char separator = path[under_test_->folder().size()];
  std::string again;
  ASSERT_TRUE(files().JoinPath(under_test_->folder() + separator, "a.msi", &again));
  EXPECT_EQ(again, path);
}

TEST_P(PackageFilesContractTest, CreatingReplacesTheWholeFile) {
  const std::string path = InFolder("a.msi");
  ASSERT_TRUE(WriteFile(path, {1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_TRUE(WriteFile(path, {9, 9}));
  EXPECT_EQ(under_test_->Read(path), (Bytes{9, 9}));
}

TEST_P(PackageFilesContractTest, ASecondWriterIsRefusedWhileTheFirstHoldsTheFile) {
  const std::string path = InFolder("a.msi");
  std::unique_ptr<platform::WritableFile> first = files().CreateReplacing(path);
  ASSERT_TRUE(first);
  const Bytes bytes = {4, 5, 6};
  size_t written = 0;
  ASSERT_TRUE(first->Write(bytes.data(), bytes.size(), &written));
  EXPECT_FALSE(files().CreateReplacing(path));
  first.reset();
  EXPECT_EQ(under_test_->Read(path), bytes);
}

TEST_P(PackageFilesContractTest, AReadOnlyFileIsReplaceableOnceArchiveOnly) {
  const std::string path = InFolder("a.msi");
  ASSERT_TRUE(WriteFile(path, {1}));
  under_test_->MakeReadOnly(path);
  files().SetArchiveOnly(path);
  EXPECT_TRUE(WriteFile(path, {2}));
  EXPECT_EQ(under_test_->Read(path), (Bytes{2}));
}

TEST_P(PackageFilesContractTest, DeletingTellsDeletedFromAbsent) {
  const std::string path = InFolder("a.msi");
  ASSERT_TRUE(WriteFile(path, {1}));
  EXPECT_EQ(files().Delete(path), platform::DeleteOutcome::kDeleted);
  EXPECT_FALSE(files().IsFile(path));
  EXPECT_EQ(files().Delete(path), platform::DeleteOutcome::kAbsent);
}

TEST_P(PackageFilesContractTest, NoFileIsCreatedInAMissingFolder) {
  std::string path;
  ASSERT_TRUE(files().JoinPath(InFolder("missing"), "a.msi", &path));
  EXPECT_FALSE(files().CreateReplacing(path));
  EXPECT_FALSE(files().IsFile(path));
}

TEST_P(PackageFilesContractTest, TheTempAndCurrentFoldersAreDirectories) {
  std::string folder;
  ASSERT_TRUE(files().TempFolder(&folder));
  EXPECT_TRUE(files().IsDirectory(folder)) << folder;
  ASSERT_TRUE(files().CurrentFolder(&folder));
  EXPECT_TRUE(files().IsDirectory(folder)) << folder;
}

INSTANTIATE_TEST_SUITE_P(
    SystemAndFake, PackageFilesContractTest,
    testing::Values(Factory{"System", [] { return std::make_unique<SystemFilesUnderTest>(); }},
                    Factory{"Fake", [] { return std::make_unique<FakeFilesUnderTest>(); }}),
    [](const testing::TestParamInfo<Factory>& param) { return std::string(param.param.name); });

}  // namespace
