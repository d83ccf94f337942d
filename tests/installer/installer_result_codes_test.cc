// Every result code of the bootstrapper, with the box an interactive run
// shows for it and the silence of a silent run.
#include <gtest/gtest.h>

#include "tests/installer/installer_test_support.h"

using platform::MessageKind;

namespace {

struct ResultCase {
  const char* name;
  int result;
  std::function<void(FakeInstallerSystem&)> arrange;
};

void PrintTo(const ResultCase& result_case, std::ostream* out) { *out << result_case.name; }

void MissingPackage(FakeInstallerSystem& f) { f.resources.resources.clear(); }
void EmptyPackage(FakeInstallerSystem& f) {
  f.resources.resources[{"PART", "KOVA64.MSI"}].clear();
}
void UnloadablePackage(FakeInstallerSystem& f) { f.resources.loadable = false; }
void FailingWrite(FakeInstallerSystem& f) { f.files.write_fails = true; }
void UncreatableFile(FakeInstallerSystem& f) { f.files.create_fails = true; }
void ShortWrite(FakeInstallerSystem& f) { f.files.write_limit = 3; }
void NoFolder(FakeInstallerSystem& f) {
  f.files.temp_readable = false;
  f.files.current_readable = false;
}
void NoFolderThatIsADirectory(FakeInstallerSystem& f) { f.files.folders = {}; }
void UnjoinablePath(FakeInstallerSystem& f) { f.files.join_fails = true; }
void VanishingPackage(FakeInstallerSystem& f) { f.files.files_vanish = true; }
void Windows10(FakeInstallerSystem& f) {
  f.version.version = NtVersion(10, 0, platform::kProductTypeServer);
}
void NotNt(FakeInstallerSystem& f) { f.version.version = platform::WindowsVersion{}; }
void Declined2003(FakeInstallerSystem& f) {
  f.version.version = NtVersion(5, 2, platform::kProductTypeServer);
  f.boxes.question_answer = platform::MessageAnswer::kNo;
}
void InstallerDoesNotStart(FakeInstallerSystem& f) { f.launcher.outcomes = {{false, 0}}; }
void InstallerFails(FakeInstallerSystem& f) { f.launcher.outcomes = {{true, 1603}}; }
void InstallerCancelled(FakeInstallerSystem& f) { f.launcher.outcomes = {{true, 1602}}; }
void RestartNeeded(FakeInstallerSystem& f) { f.launcher.outcomes = {{true, 3010}}; }
void RestartInitiated(FakeInstallerSystem& f) { f.launcher.outcomes = {{true, 1641}}; }

const ResultCase kInstallCases[] = {
    {"MissingPackage", 1, MissingPackage},
    {"EmptyPackage", 1, EmptyPackage},
    {"UnloadablePackage", 1, UnloadablePackage},
    {"FailingWrite", 1, FailingWrite},
    {"UncreatableFile", 7, UncreatableFile},
    {"ShortWrite", 9, ShortWrite},
    {"NoFolder", 22, NoFolder},
    {"NoFolderThatIsADirectory", 22, NoFolderThatIsADirectory},
    {"UnjoinablePath", 22, UnjoinablePath},
    {"VanishingPackage", 22, VanishingPackage},
    {"Windows10", 30, Windows10},
    {"NotNt", 30, NotNt},
    {"Declined2003", 31, Declined2003},
    {"InstallerDoesNotStart", 32, InstallerDoesNotStart},
    {"InstallerFails", 32, InstallerFails},
    {"InstallerCancelled", 33, InstallerCancelled},
    {"RestartNeeded", 34, RestartNeeded},
    {"RestartInitiated", 0, RestartInitiated},
};

class InstallResultTest : public InstallerTest, public testing::WithParamInterface<ResultCase> {};

TEST_P(InstallResultTest, SilentRunExitsWithTheCodeAndShowsNoResultBox) {
  GetParam().arrange(fakes_);
  EXPECT_EQ(Run("/s"), GetParam().result);
  for (const FakeBoxes::Shown& box : fakes_.boxes.shown) {
    EXPECT_EQ(box.kind, MessageKind::kQuestion) << box.text;
  }
}

TEST_P(InstallResultTest, InteractiveRunShowsTheCodesBox) {
  GetParam().arrange(fakes_);
  const int result = GetParam().result;
  const int exit_code = Run("");
  std::vector<FakeBoxes::Shown> result_boxes;
  for (const FakeBoxes::Shown& box : fakes_.boxes.shown) {
    if (box.kind != MessageKind::kQuestion) result_boxes.push_back(box);
  }
  if (result == 0 || result == 31 || result == 33 || result == 34) {
    EXPECT_EQ(exit_code, result == 31 ? 31 : 0);
    EXPECT_TRUE(result_boxes.empty());
    return;
  }
  EXPECT_EQ(exit_code, result);
  ASSERT_EQ(result_boxes.size(), 1u);
  EXPECT_EQ(result_boxes[0].kind, MessageKind::kError);
  EXPECT_EQ(result_boxes[0].caption, kInstallerCaption);
  EXPECT_EQ(result_boxes[0].text, result == 30 ? kUnsupportedWindowsText : kInstallFailedText);
}

TEST_P(InstallResultTest, LeavesNoPackageFileBehind) {
  GetParam().arrange(fakes_);
  Run("/s");
  EXPECT_EQ(fakes_.files.files.count(kTempPackagePath), 0u);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, InstallResultTest, testing::ValuesIn(kInstallCases),
                         [](const testing::TestParamInfo<ResultCase>& param) {
                           return std::string(param.param.name);
                         });

class UninstallResultTest : public InstallerTest {
 protected:
  void SetUp() override { fakes_.products.state = platform::kProductStateInstalled; }
};

TEST_F(UninstallResultTest, AFailedRemovalShowsString108UnderTheUninstallerCaption) {
  fakes_.launcher.outcomes = {{true, 1603}};
  EXPECT_EQ(Run("/x"), 32);
  const FakeBoxes::Shown box = OnlyBox();
  EXPECT_EQ(box.kind, MessageKind::kError);
  EXPECT_EQ(box.text, kUninstallFailedText);
  EXPECT_EQ(box.caption, kUninstallerCaption);
}

TEST_F(UninstallResultTest, ARemovalThatDoesNotStartGives32) {
  fakes_.launcher.outcomes = {{false, 0}};
  EXPECT_EQ(Run("/x /s"), 32);
  ExpectNoBox();
}

TEST_F(UninstallResultTest, CancelAndRestartCodesAreSilentExitCodesOnly) {
  for (const uint32_t msi_exit : {kMsiUserExit, kMsiRestartRequired}) {
    SCOPED_TRACE(msi_exit);
    const int expected = msi_exit == kMsiUserExit ? 33 : 34;
    fakes_.launcher = FakeLauncher();
    fakes_.launcher.outcomes = {{true, msi_exit}};
    EXPECT_EQ(Run("/x /s"), expected);
    fakes_.launcher = FakeLauncher();
    fakes_.launcher.outcomes = {{true, msi_exit}};
    EXPECT_EQ(Run("/x"), 0);
    EXPECT_EQ(fakes_.launcher.commands.size(), 1u);
  }
  ExpectNoBox();
}

TEST_F(UninstallResultTest, RestartInitiatedCountsAsDone) {
  fakes_.launcher.outcomes = {{true, kMsiRestartInitiated}};
  EXPECT_EQ(Run("/x"), 0);
  ExpectNoBox();
}

TEST_F(UninstallResultTest, AFailedRemovalBeforeInstallingShowsString107) {
  fakes_.launcher.outcomes = {{true, 1603}};
  EXPECT_EQ(Run("/r"), 32);
  EXPECT_EQ(fakes_.launcher.commands.size(), 1u);
  const FakeBoxes::Shown box = OnlyBox();
  EXPECT_EQ(box.text, kInstallFailedText);
  EXPECT_EQ(box.caption, kInstallerCaption);
}

class ExtractResultTest : public InstallerTest {};

TEST_F(ExtractResultTest, AFailedExtractionReportsItsCode) {
  fakes_.files.write_limit = 2;
  EXPECT_EQ(Run("/e /s"), 9);
  ExpectNoBox();
  EXPECT_EQ(fakes_.files.files.count(kExtractedPackageFileName), 0u);
  EXPECT_EQ(Run("/e"), 9);
  EXPECT_EQ(OnlyBox().text, kInstallFailedText);
}

TEST_F(ExtractResultTest, AMissingPackageFailsTheExtraction) {
  fakes_.resources.resources.clear();
  EXPECT_EQ(Run("/e /s"), 1);
}

class FallbackTextTest : public InstallerTest {};

TEST_F(FallbackTextTest, AStringThatCannotBeLoadedIsReplacedByTheFallbackText) {
  fakes_.strings.missing = {kStringInstallerCaption, kStringUnsupportedWindows};
  fakes_.version.version = NtVersion(6, 1, platform::kProductTypeWorkstation);
  EXPECT_EQ(Run(""), 30);
  const FakeBoxes::Shown box = OnlyBox();
  EXPECT_EQ(box.text, kFallbackMessageText);
  EXPECT_EQ(box.caption, kFallbackMessageText);
}

}  // namespace
