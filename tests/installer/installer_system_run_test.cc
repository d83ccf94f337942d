// The bootstrapper's flows on this system's own files and processes: the
// package goes into TMPDIR, a stand-in msiexec.exe found in PATH sees it
// and its arguments, and the file is gone afterwards. POSIX only: under
// Wine the real program is run by the Wine checks instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "installer/installer_result.h"
#include "installer/installer_texts.h"
#include "installer/kova_vss_installer.h"
#include "tests/installer/installer_fakes.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InstallerSystemRunTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(work_.path() / "tmp");
    fs::create_directories(work_.path() / "bin");
    saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    const char* tmpdir = std::getenv("TMPDIR");
    saved_tmpdir_ = tmpdir ? tmpdir : "";
    had_tmpdir_ = tmpdir != nullptr;
    setenv("PATH", ((work_.path() / "bin").string() + ":" + saved_path_).c_str(), 1);
    setenv("TMPDIR", (work_.path() / "tmp").c_str(), 1);
    saved_cwd_ = fs::current_path();
    fs::current_path(work_.path());
  }
  void TearDown() override {
    fs::current_path(saved_cwd_);
    setenv("PATH", saved_path_.c_str(), 1);
    if (had_tmpdir_) {
      setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  // A msiexec.exe that records its arguments, copies the package it is
  // given and ends with |exit_code|.
  void InstallStandInMsiexec(int exit_code) {
    const fs::path script = work_.path() / "bin" / "msiexec.exe";
    std::ofstream out(script);
    out << "#!/bin/sh\n"
        << "printf '%s\\n' \"$@\" > '" << (work_.path() / "args").string() << "'\n"
        << "for last; do :; done\n"
        << "cp \"$last\" '" << (work_.path() / "seen.msi").string() << "' 2>/dev/null\n"
        << "exit " << exit_code << "\n";
    out.close();
    fs::permissions(script, fs::perms::owner_all);
  }

  int Run(const std::string& arguments) {
    const InstallerFacilities facilities{
        fakes_.version, fakes_.wow64,  fakes_.resources,
        fakes_.strings, fakes_.boxes,  platform::SystemPackageFiles(),
        platform::SystemProcessLauncher(), fakes_.products};
    KovaVssInstaller installer(facilities);
    return installer.Run(arguments);
  }

  std::string PackageBytes() const {
    return std::string(FakePackageBytes().begin(), FakePackageBytes().end());
  }

  TempDir work_;
  FakeInstallerSystem fakes_;
  std::string saved_path_;
  std::string saved_tmpdir_;
  bool had_tmpdir_ = false;
  fs::path saved_cwd_;
};

TEST_F(InstallerSystemRunTest, InstallHandsThePackageInTmpdirToMsiexecAndDeletesIt) {
  InstallStandInMsiexec(0);
  EXPECT_EQ(Run("/s"), 0);
  const std::string package = (work_.path() / "tmp" / "KovaVss.msi").string();
  EXPECT_EQ(ReadText(work_.path() / "args"),
            "/l*v\nKovaVssProviderInstaller.log\n/quiet\n/i\n" + package + "\n");
  EXPECT_EQ(ReadText(work_.path() / "seen.msi"), PackageBytes());
  EXPECT_FALSE(fs::exists(package));
}

TEST_F(InstallerSystemRunTest, AFailedInstallGives32AndStillDeletesThePackage) {
  InstallStandInMsiexec(1);
  EXPECT_EQ(Run("/s"), kResultInstallerFailed);
  EXPECT_FALSE(fs::exists(work_.path() / "tmp" / "KovaVss.msi"));
}

TEST_F(InstallerSystemRunTest, AMissingMsiexecGives32) {
  setenv("PATH", (work_.path() / "bin").c_str(), 1);
  EXPECT_EQ(Run("/s"), kResultInstallerFailed);
  EXPECT_FALSE(fs::exists(work_.path() / "tmp" / "KovaVss.msi"));
}

TEST_F(InstallerSystemRunTest, RemovalRunsTheUninstallCommand) {
  InstallStandInMsiexec(0);
  fakes_.products.state = platform::kProductStateInstalled;
  EXPECT_EQ(Run("/x"), 0);
  EXPECT_EQ(ReadText(work_.path() / "args"), std::string("/l*v\nKovaVssProviderUninstaller.log\n/X\n") +
                                                 kProductCode + "\n");
}

TEST_F(InstallerSystemRunTest, ExtractionWritesKovaVSSmsiIntoTheCurrentFolder) {
  EXPECT_EQ(Run("/e"), 0);
  EXPECT_EQ(ReadText(work_.path() / kExtractedPackageFileName), PackageBytes());
}

TEST_F(InstallerSystemRunTest, ExtractionIntoAnUnwritableFolderFails) {
  fs::create_directories(work_.path() / kExtractedPackageFileName);  // a folder in the way
  EXPECT_EQ(Run("/e /s"), kResultPackageFileNotCreated);
}

}  // namespace
