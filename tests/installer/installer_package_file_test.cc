// Where the bootstrapper writes its package, how it writes it, and how it
// removes it again.
#include <gtest/gtest.h>

#include "tests/installer/installer_test_support.h"

namespace {

class PackageFileTest : public InstallerTest {
 protected:
  KovaVssInstaller installer_{fakes_.facilities()};
};

TEST_F(PackageFileTest, ExtractPartWithoutANameOrPathGives24) {
  EXPECT_EQ(installer_.ExtractPart("", "C:\\Work\\a.msi"), 24);
  EXPECT_EQ(installer_.ExtractPart(kPackageResource64, ""), 24);
  EXPECT_TRUE(fakes_.files.files.empty());
}

TEST_F(PackageFileTest, ExtractPartReplacesAReadOnlyFile) {
  fakes_.files.files["C:\\Work\\a.msi"] = {{'o', 'l', 'd', ' ', 'b', 'y', 't', 'e', 's', '!', '!',
                                           '!', '!', '!', '!', '!', '!', '!'},
                                          true,
                                          false};
  EXPECT_EQ(installer_.ExtractPart(kPackageResource64, "C:\\Work\\a.msi"), 0);
  EXPECT_EQ(fakes_.files.files["C:\\Work\\a.msi"].bytes, FakePackageBytes());
  EXPECT_FALSE(fakes_.files.files["C:\\Work\\a.msi"].read_only);
}

TEST_F(PackageFileTest, AShortWriteLeavesNoPartialPackage) {
  fakes_.files.write_limit = 5;
  EXPECT_EQ(installer_.ExtractPart(kPackageResource64, "C:\\Work\\a.msi"), 9);
  EXPECT_EQ(fakes_.files.files.count("C:\\Work\\a.msi"), 0u);
}

TEST_F(PackageFileTest, AFailedWriteLeavesNoPartialPackage) {
  fakes_.files.write_fails = true;
  EXPECT_EQ(installer_.ExtractPart(kPackageResource64, "C:\\Work\\a.msi"), 1);
  EXPECT_EQ(fakes_.files.files.count("C:\\Work\\a.msi"), 0u);
}

TEST_F(PackageFileTest, AFileThatCannotBeCreatedGives7AndTouchesNothing) {
  fakes_.files.files["C:\\Work\\a.msi"] = {{'k', 'e', 'e', 'p'}, false, true};  // held open
  EXPECT_EQ(installer_.ExtractPart(kPackageResource64, "C:\\Work\\a.msi"), 7);
  EXPECT_EQ(fakes_.files.files["C:\\Work\\a.msi"].bytes, (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(PackageFileTest, TheCurrentFolderServesWhenTheTempFolderIsNotADirectory) {
  fakes_.files.folders = {"C:\\Work"};
  std::string package_path;
  fakes_.launcher.while_running = [&](const std::string&) {
    package_path = fakes_.files.files.begin()->first;
  };
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(package_path, "C:\\Work\\KovaVss.msi");
  EXPECT_EQ(fakes_.launcher.commands,
            std::vector<std::string>{
                "msiexec.exe /l*v KovaVssProviderInstaller.log /quiet /i C:\\Work\\KovaVss.msi"});
}

TEST_F(PackageFileTest, TheCurrentFolderServesWhenTheTempFolderCannotBeRead) {
  fakes_.files.temp_readable = false;
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(fakes_.files.deleted, std::vector<std::string>{"C:\\Work\\KovaVss.msi"});
}

TEST_F(PackageFileTest, APackagePathWithBlanksIsQuotedInTheCommand) {
  fakes_.files.temp_folder = "C:\\Documents and Settings\\Admin\\Temp\\";
  fakes_.files.folders = {fakes_.files.temp_folder};
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(fakes_.launcher.commands,
            std::vector<std::string>{"msiexec.exe /l*v KovaVssProviderInstaller.log /quiet /i "
                                     "\"C:\\Documents and Settings\\Admin\\Temp\\KovaVss.msi\""});
}

TEST_F(PackageFileTest, ThePackageIsDeletedAfterAFailedInstallToo) {
  fakes_.launcher.outcomes = {{true, 1603}};
  EXPECT_EQ(Run("/s"), 32);
  EXPECT_EQ(fakes_.files.deleted, std::vector<std::string>{kTempPackagePath});
}

TEST_F(PackageFileTest, APackageThatCannotBeDeletedIsDeletedAtTheNextRestart) {
  fakes_.launcher.while_running = [&](const std::string&) { fakes_.files.delete_fails = true; };
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(fakes_.files.deleted_at_restart, std::vector<std::string>{kTempPackagePath});
}

TEST_F(PackageFileTest, AReadOnlyPackageIsStillDeleted) {
  fakes_.launcher.while_running = [&](const std::string&) {
    fakes_.files.files[kTempPackagePath].read_only = true;
  };
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(fakes_.files.deleted, std::vector<std::string>{kTempPackagePath});
  EXPECT_TRUE(fakes_.files.deleted_at_restart.empty());
}

TEST_F(PackageFileTest, DeletePackageFileLeavesFoldersAndMissingPathsAlone) {
  installer_.DeletePackageFile("");
  installer_.DeletePackageFile("C:\\Work");
  installer_.DeletePackageFile("C:\\Work\\absent.msi");
  EXPECT_TRUE(fakes_.files.deleted.empty());
  EXPECT_TRUE(fakes_.files.deleted_at_restart.empty());
  EXPECT_EQ(fakes_.files.folders.count("C:\\Work"), 1u);
}

TEST_F(PackageFileTest, RunAndWaitReportsAProgramThatDidNotStartWithExitCode0) {
  fakes_.launcher.outcomes = {{false, 0}, {true, 7}};
  uint32_t exit_code = 99;
  EXPECT_FALSE(installer_.RunAndWait("msiexec.exe", &exit_code));
  EXPECT_EQ(exit_code, 0u);
  EXPECT_TRUE(installer_.RunAndWait("msiexec.exe", &exit_code));
  EXPECT_EQ(exit_code, 7u);
}

}  // namespace
