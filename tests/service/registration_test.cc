// "/Service": the COM class and type library, the AppID, the service, the
// VSS provider and the event source, each compared with what registration
// must leave; the switch word's rules; and every failure branch with its
// message box, log line and exit code.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/guid.h"
#include "platform/program_identity.h"
#include "tests/service/service_host_fixture.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

namespace {

constexpr HRESULT kFailure = static_cast<HRESULT>(0x80004005);  // E_FAIL
// HRESULT_FROM_WIN32(ERROR_REGISTRY_IO_FAILED): a key that cannot be made.
constexpr HRESULT kRegistryFailure = static_cast<HRESULT>(0x800703F8);

std::string Description() {
  return "Kova Storage VSS Hardware Provider (64-bit) version 1.0.3.717.2016-04-14_16-23-12 "
         "(64-bit Release)\nHardware snapshots of Kova Storage Lumenstack volumes for the Volume "
         "Shadow Copy Service.\n\n";
}

class RegistrationTest : public ServiceHostTest {
 protected:
  RegistryTree ExpectedTypeLibrary() const {
    const std::string library = "TypeLib\\{ADE4E74B-C9A2-461B-A104-42917DCD7E02}";
    return {{"TypeLib", {}},
            {library, {}},
            {library + "\\1.0", {{"", Sz("KovaProvider 1.0 Type Library")}}},
            {library + "\\1.0\\0", {}},
            {library + "\\1.0\\0\\win64", {{"", Sz(program_path_)}}},
            {library + "\\1.0\\FLAGS", {{"", Sz("0")}}},
            {library + "\\1.0\\HELPDIR", {{"", Sz("/opt/kova/bin")}}}};
  }
  RegistryTree ExpectedInterface() const {
    const std::string key = "Interface\\{B71907E9-222C-4C9A-83E5-4FB75CC76537}";
    const RegistryValueText marshaler = Sz("{00020424-0000-0000-C000-000000000046}");
    return {{"Interface", {}},
            {key, {{"", Sz("IKovaVssProvider")}}},
            {key + "\\ProxyStubClsid", {{"", marshaler}}},
            {key + "\\ProxyStubClsid32", {{"", marshaler}}},
            {key + "\\TypeLib",
             {{"", Sz("{ADE4E74B-C9A2-461B-A104-42917DCD7E02}")}, {"Version", Sz("1.0")}}}};
  }
  void ExpectNothingAfterTheAppId() const {
    EXPECT_THAT(Classes("CLSID"), IsEmpty());
    EXPECT_THAT(Classes("TypeLib"), IsEmpty());
    EXPECT_THAT(Machine(kEventSourcePath), IsEmpty());
    EXPECT_THAT(Machine(kVssProviderPath), IsEmpty());
  }
  const FakeServiceRecord& Service() { return services_.services.at("KovaProvider"); }
};

TEST_F(RegistrationTest, TheServiceSwitchWritesEveryKeyAndConfiguresTheService) {
  EXPECT_EQ(0, RunEntry("\"C:\\Kova\\KovaProvider.exe\" /Service"));

  ExpectRegistered();
  EXPECT_EQ(ExpectedTypeLibrary(), Classes("TypeLib"));
  EXPECT_EQ(ExpectedInterface(), Classes("Interface"));
  const platform::ServiceDefinition& service = Service().definition;
  EXPECT_EQ("KovaProvider", service.name);
  EXPECT_EQ("Kova Storage VSS Hardware Provider (64-bit)", service.display_name);
  EXPECT_EQ("\"/opt/kova/bin/KovaProvider\"", service.binary_path);
  EXPECT_EQ(platform::ServiceStartType::kAutomatic, service.start_type);
  EXPECT_THAT(service.dependencies, ElementsAre("VSS"));
  EXPECT_EQ(Description(), Service().description);
  EXPECT_THAT(services_.calls,
              ElementsAre("Create KovaProvider", "Describe KovaProvider", "Change KovaProvider"));
  EXPECT_THAT(boxes_.shown, IsEmpty());
  // VSS is reached from a single-threaded apartment, balanced.
  EXPECT_THAT(com_.apartments, ElementsAre(false));
  EXPECT_EQ(1, com_.uninitialized);
}

TEST_F(RegistrationTest, TheRunIsOneLogSessionWithTheRegistrationSteps) {
  ASSERT_EQ(0, RunEntry("/Service"));
  char pid[16];
  std::snprintf(pid, sizeof pid, "%08x", platform::CurrentProcessId());
  const std::vector<std::string> host = LogMessages("Kova.KovaProvider");
  ASSERT_FALSE(host.empty());
  EXPECT_THAT(host[0], HasSubstr(std::string("Service Starting : ProcessID=") + pid +
                                 ". Running As: " + platform::CurrentUserName() + " on Machine:"));
  EXPECT_THAT(LogMessages("Kova.VssProvider"),
              ElementsAre("ENTERING : ParseCommandLine()", "ENTERING: RegisterKovaProvider()",
                          "KOVASTORAGE INFORM: Registration return code: 0",
                          "EXITING: RegisterKovaProvider()", "ENTERING : AddEventSource()",
                          "EXITING: AddEventSource()"));
  EXPECT_EQ(1u, LogCount("( LOG SESSION STARTED )"));
  EXPECT_EQ(1u, LogCount("( LOG SESSION ENDED )"));
}

class SwitchSpellingTest : public RegistrationTest,
                           public testing::WithParamInterface<const char*> {};

TEST_P(SwitchSpellingTest, RegistersInAnyCaseAfterASlashOrAHyphen) {
  EXPECT_EQ(0, RunEntry(GetParam()));
  ExpectRegistered();
  EXPECT_EQ(1u, services_.services.count("KovaProvider"));
}

INSTANTIATE_TEST_SUITE_P(Spellings, SwitchSpellingTest,
                         testing::Values("/Service", "/service", "-SERVICE", "-sErViCe",
                                         "KovaProvider.exe\t/Service\t", "x /ServiceX -Service",
                                         "/RegServer /Service"));

class NotASwitchTest : public RegistrationTest, public testing::WithParamInterface<const char*> {};

// A registered program that is not started by the service manager gets the
// dispatcher's error; nothing is registered or removed.
TEST_P(NotASwitchTest, TheProgramTriesToRunAndEndsWithTheDispatchersError) {
  ASSERT_EQ(0, RunEntry("/Service"));
  services_.calls.clear();
  dispatcher_.dispatch_error = 1063;
  EXPECT_EQ(1063, RunEntry(GetParam()));
  ExpectRegistered();
  EXPECT_THAT(services_.calls, IsEmpty());
  EXPECT_EQ(1u, LogCount("EXITING : ParseCommandLine()"));
}

INSTANTIATE_TEST_SUITE_P(Words, NotASwitchTest,
                         testing::Values("", "/ServiceX", "-Services", "/Servic", "Service",
                                         "/RegServer", "-RegServer -Embedding", "/Service-"));

TEST_F(RegistrationTest, ALongerWordOnAFreshMachineEndsWithTheMissingAppIdError) {
  EXPECT_EQ(2, RunEntry("/ServiceX"));
  EXPECT_THAT(Classes("AppID"), IsEmpty());
  EXPECT_THAT(services_.services, IsEmpty());
}

TEST_F(RegistrationTest, RegisteringTwiceStopsDeletesAndRecreatesTheRunningService) {
  ASSERT_EQ(0, RunEntry("/Service"));
  services_.services.at("KovaProvider").running = true;
  services_.calls.clear();

  EXPECT_EQ(0, RunEntry("/Service"));
  // Waiting for the stop lets the deletion complete before the creation.
  EXPECT_THAT(services_.calls,
              ElementsAre("Stop KovaProvider", "Wait KovaProvider", "Delete KovaProvider",
                          "Create KovaProvider", "Describe KovaProvider", "Change KovaProvider"));
  EXPECT_FALSE(Service().marked_for_delete);
  EXPECT_EQ(platform::ServiceStartType::kAutomatic, Service().definition.start_type);
  EXPECT_EQ(1u, LogCount("KOVASTORAGE INFORM: Registration return code: 80042303"));
  ExpectRegistered();
}

TEST_F(RegistrationTest, AStopThatFailsIsShownAndTheServiceIsReplacedAllTheSame) {
  ASSERT_EQ(0, RunEntry("/Service"));
  services_.stop_fails = true;
  services_.stop_failure = platform::ServiceStopResult::kFailed;
  EXPECT_EQ(0, RunEntry("/Service"));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ("Could not stop service", boxes_.shown[0].text);
  EXPECT_EQ("KovaProvider", boxes_.shown[0].caption);
  EXPECT_EQ(platform::MessageKind::kInformation, boxes_.shown[0].kind);
  ExpectRegistered();
}

TEST_F(RegistrationTest, AServiceAlreadyStoppingIsWaitedForWithoutAMessage) {
  ASSERT_EQ(0, RunEntry("/Service"));
  services_.stop_fails = true;
  services_.stop_failure = platform::ServiceStopResult::kAlreadyStopping;
  services_.calls.clear();
  EXPECT_EQ(0, RunEntry("/Service"));
  EXPECT_THAT(boxes_.shown, IsEmpty());
  EXPECT_EQ("Wait KovaProvider", services_.calls.at(1));
}

class UninstallFailureTest
    : public RegistrationTest,
      public testing::WithParamInterface<std::pair<const char*, void (*)(FakeServiceInstaller&)>> {};

// Before anything is written: the AppID key is not even made.
TEST_P(UninstallFailureTest, AnExistingServiceThatCannotBeRemovedEndsTheRegistration) {
  services_.services["KovaProvider"].definition.name = "KovaProvider";
  GetParam().second(services_);
  EXPECT_EQ(kFailure, RunEntry("/Service"));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(GetParam().first, boxes_.shown[0].text);
  EXPECT_EQ("KovaProvider", boxes_.shown[0].caption);
  EXPECT_THAT(Classes("AppID"), IsEmpty());
  ExpectNothingAfterTheAppId();
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, UninstallFailureTest,
    testing::Values(
        std::make_pair("Could not delete service",
                       +[](FakeServiceInstaller& services) { services.refuse_delete = true; }),
        std::make_pair("Could not open service",
                       +[](FakeServiceInstaller& services) { services.refuse_open_service = true; })));

TEST_F(RegistrationTest, AServiceManagerThatCannotBeOpenedFailsTheInstallation) {
  services_.reachable = false;
  EXPECT_EQ(kFailure, RunEntry("/Service"));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ("Could not open Service Manager", boxes_.shown[0].text);
  // The AppID was written before the service was to be made.
  EXPECT_EQ(Sz("KovaProvider"), Classes(kAppIdKey).at(kAppIdKey).at("LocalService"));
  ExpectNothingAfterTheAppId();
}

TEST_F(RegistrationTest, ARefusedCreationFailsTheInstallation) {
  services_.refuse_create = true;
  EXPECT_EQ(kFailure, RunEntry("/Service"));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ("Could not start service", boxes_.shown[0].text);
  ExpectNothingAfterTheAppId();
}

TEST_F(RegistrationTest, AProgramPathTooLongForTheServiceFailsTheInstallationSilently) {
  program_path_ = "/" + std::string(259, 'p');
  EXPECT_EQ(kFailure, RunEntry("/Service"));
  EXPECT_THAT(boxes_.shown, IsEmpty());
  EXPECT_THAT(services_.services, IsEmpty());
}

TEST_F(RegistrationTest, TheNewServiceIsConfiguredThroughTheHandleItsCreationGave) {
  services_.created_cannot_be_opened = true;
  EXPECT_EQ(0, RunEntry("/Service"));
  EXPECT_THAT(boxes_.shown, IsEmpty());
  EXPECT_EQ(platform::ServiceStartType::kAutomatic, Service().definition.start_type);
  EXPECT_EQ(Description(), Service().description);
}

TEST_F(RegistrationTest, ARefusedConfigurationShowsAnErrorBoxAndKeepsTheExitCode) {
  services_.refuse_change = true;
  EXPECT_EQ(0, RunEntry("/Service"));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ("Could not change service configuration", boxes_.shown[0].text);
  EXPECT_EQ("KovaProvider", boxes_.shown[0].caption);
  EXPECT_EQ(platform::MessageKind::kError, boxes_.shown[0].kind);
  EXPECT_EQ(platform::ServiceStartType::kDemand, Service().definition.start_type);
  EXPECT_THAT(Service().definition.dependencies, ElementsAre("RPCSS"));
  EXPECT_EQ(ExpectedVssRecord(), Machine(kVssProviderPath));
  EXPECT_EQ(ExpectedEventSource(), Machine(kEventSourcePath));
}

TEST_F(RegistrationTest, AClassRegistrationFailureIsTheExitCodeButTheLaterStepsRun) {
  registry_->fail_create.insert(kClsidKey);
  EXPECT_EQ(kRegistryFailure, RunEntry("/Service"));
  EXPECT_THAT(Classes("TypeLib"), IsEmpty());
  EXPECT_EQ(platform::ServiceStartType::kAutomatic, Service().definition.start_type);
  EXPECT_EQ(ExpectedVssRecord(), Machine(kVssProviderPath));
  EXPECT_EQ(ExpectedEventSource(), Machine(kEventSourcePath));
}

TEST_F(RegistrationTest, AnUnreachableCoordinatorIsLoggedAndDoesNotFailTheRun) {
  UnreachableVssCoordinator unreachable(static_cast<HRESULT>(0x80040154));
  vss_ = &unreachable;
  EXPECT_EQ(0, RunEntry("/Service"));
  EXPECT_EQ(1u, LogCount("KOVASTORAGE ERROR: Failed to get reference to IVssAdmin: 80040154"));
  EXPECT_EQ(0u, LogCount("Registration return code"));
  EXPECT_THAT(Machine(kVssProviderPath), IsEmpty());
  EXPECT_EQ(1, com_.uninitialized);
}

class EventSourceFailureTest
    : public RegistrationTest,
      public testing::WithParamInterface<std::pair<const char*, const char*>> {};

// The first failure ends the step; the values before it stay.
TEST_P(EventSourceFailureTest, TheFirstFailureIsLoggedAndEndsTheStep) {
  registry_->fail_set_value.insert(GetParam().first);
  EXPECT_EQ(0, RunEntry("/Service"));
  EXPECT_EQ(1u, LogCount(GetParam().second));
  EXPECT_EQ(0u, LogCount("EXITING: AddEventSource()"));
  const RegistryKeyValues written = Machine(kEventSourcePath)[kEventSourcePath];
  EXPECT_EQ(0u, written.count(GetParam().first));
  EXPECT_EQ(0u, written.count("CategoryCount"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, EventSourceFailureTest,
    testing::Values(std::make_pair("EventMessageFile", "Could not set the event message file"),
                    std::make_pair("CategoryMessageFile", "Could not set the category message file"),
                    std::make_pair("ParameterMessageFile", "Could not set the parameter message file"),
                    std::make_pair("TypesSupported", "Could not set the supported types"),
                    std::make_pair("CategoryCount", "Could not set the category count")));

TEST_F(RegistrationTest, AnEventSourceKeyThatCannotBeMadeIsLogged) {
  registry_->fail_create.insert(kEventSourcePath);
  EXPECT_EQ(0, RunEntry("/Service"));
  EXPECT_EQ(1u, LogCount("Could not create the registry key"));
  EXPECT_THAT(Machine(kEventSourcePath), IsEmpty());
}

TEST_F(RegistrationTest, AMessageFilePathTooLongIsTheEventMessageFilesFailure) {
  program_path_ = "/" + std::string(244, 'f') + "/KovaProvider";  // 258 characters
  EXPECT_EQ(0, RunEntry("/Service"));
  EXPECT_EQ(1u, LogCount("Could not set the event message file"));
  EXPECT_EQ((RegistryTree{{kEventSourcePath, {}}}), Machine(kEventSourcePath));
}

}  // namespace
