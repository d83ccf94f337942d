// The platform facilities the tool and the identity code use, on Windows
// (under Wine here): ICMP echo to the loopback address, the service
// manager, and the management instrumentation where Wine answers it and
// its failure path where it does not.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/com_runtime.h"
#include "platform/icmp_echo.h"
#include "platform/management_query.h"
#include "platform/service_manager.h"
#include "platform/tick_clock.h"

namespace {

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 in network order

TEST(IcmpEchoWindowsTest, TheLoopbackAddressAnswersOneEcho) {
  int replies = -1;
  long error = 0;
  const platform::EchoStatus status = platform::SystemIcmpEcho().SendEcho(
      kLoopback, std::vector<uint8_t>(32, 0x61), 2000, &replies, &error);
  if (status == platform::EchoStatus::kCannotOpen) {
    GTEST_SKIP() << "no ICMP handle for this user (error " << error << ")";
  }
  ASSERT_EQ(platform::EchoStatus::kSent, status);
  EXPECT_EQ(1, replies);
}

TEST(IcmpEchoWindowsTest, LiteralsNeedNoResolverAndUnknownNamesResolveToNothing) {
  std::vector<uint32_t> addresses;
  long error = 0;
  EXPECT_EQ(platform::ResolveStatus::kLiteral,
            platform::SystemIcmpEcho().ResolveIPv4("127.0.0.1", &addresses, &error));
  EXPECT_EQ(std::vector<uint32_t>{kLoopback}, addresses);
  EXPECT_EQ(platform::ResolveStatus::kNotFound,
            platform::SystemIcmpEcho().ResolveIPv4("no-such-host.invalid", &addresses, &error));
  EXPECT_TRUE(addresses.empty());
}

TEST(ServiceManagerWindowsTest, FindsTheSystemsOwnServiceAndNoUnknownOne) {
  auto connection = platform::SystemServiceManager().Connect();
  ASSERT_NE(nullptr, connection);
  EXPECT_EQ(nullptr, connection->OpenServiceByName("KovaNoSuchService"));
  auto service = connection->OpenServiceByName("PlugPlay");
  ASSERT_NE(nullptr, service);
  platform::ServiceStatus status;
  EXPECT_TRUE(service->QueryStatus(&status));
}

// COM's multithreaded apartment for one test, as the identity code has it.
class ManagementWindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    const HRESULT result = platform::SystemComRuntime().InitializeApartment(true);
    ASSERT_TRUE(result == 0 || result == 1) << std::hex << result;
  }
  void TearDown() override { platform::SystemComRuntime().UninitializeApartment(); }

  // Connects to |namespace_path| and runs |wql|; the first failure's
  // HRESULT, or the enumerator.
  HRESULT Query(const std::string& namespace_path, const std::string& wql,
                std::unique_ptr<platform::ManagementEnumerator>* enumerator) {
    std::unique_ptr<platform::ManagementLocator> locator;
    HRESULT result = platform::SystemManagement().CreateLocator(&locator);
    if (result < 0) return result;
    std::unique_ptr<platform::ManagementServices> services;
    result = locator->ConnectServer(namespace_path, &services);
    if (result < 0) return result;
    result = services->SetProxySecurity();
    if (result < 0) return result;
    return services->ExecQuery(wql, enumerator);
  }
};

TEST_F(ManagementWindowsTest, TheOperatingSystemInstanceCarriesItsCaption) {
  std::unique_ptr<platform::ManagementEnumerator> enumerator;
  ASSERT_EQ(platform::kWbemNoError,
            Query("root\\cimv2", "select * from Win32_OperatingSystem", &enumerator));
  std::unique_ptr<platform::ManagementObject> os;
  ASSERT_EQ(platform::kWbemNoError, enumerator->Next(&os));
  platform::ManagementValue caption;
  ASSERT_EQ(platform::kWbemNoError, os->Get("Caption", &caption));
  EXPECT_EQ(platform::kVtBstr, caption.type);
  EXPECT_FALSE(caption.text.empty());
  platform::ManagementValue missing;
  EXPECT_LT(os->Get("NoSuchProperty", &missing), 0);
  EXPECT_EQ(platform::kVtEmpty, missing.type);
  std::unique_ptr<platform::ManagementObject> none;
  EXPECT_EQ(platform::kWbemFalse, enumerator->Next(&none));
  EXPECT_EQ(nullptr, none);
}

// Wine serves no iSCSI initiator class: the identity code must meet a
// failure there, not a crash or an empty success.
TEST_F(ManagementWindowsTest, TheInitiatorClassWineLacksIsAFailure) {
  std::unique_ptr<platform::ManagementEnumerator> enumerator;
  HRESULT result = Query("root\\WMI", "select * from MSiSCSIInitiator_MethodClass", &enumerator);
  if (result >= 0) {
    std::unique_ptr<platform::ManagementObject> instance;
    result = enumerator->Next(&instance);
    if (result == platform::kWbemNoError) {
      GTEST_SKIP() << "this system serves the iSCSI initiator class";
    }
    EXPECT_EQ(nullptr, instance);
  }
  EXPECT_TRUE(result < 0 || result == platform::kWbemFalse) << std::hex << result;
}

// The system's ticks advance in steps of 10 to 16 ms.
TEST(TickClockWindowsTest, SleepingAdvancesTheTicksToWithinOneStep) {
  platform::TickClock& clock = platform::SystemTickClock();
  const uint64_t before = clock.NowMs();
  clock.SleepMs(50);
  EXPECT_GE(clock.NowMs() - before, 34u);
}

}  // namespace
