// The platform facilities the tool adds, on this machine: ICMP echo to the
// loopback address only, a real process terminated by its name, console
// input from a pipe, helper programs, and the parsers behind them.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/console_input.h"
#include "platform/icmp_echo.h"
#include "platform/icmp_packet.h"
#include "platform/os_description.h"
#include "platform/process_terminator.h"
#include "platform/program_runner_posix.h"
#include "platform/service_manager.h"
#include "platform/tick_clock.h"

namespace {

uint32_t Loopback() {
  in_addr address{};
  inet_pton(AF_INET, "127.0.0.1", &address);
  return address.s_addr;
}

TEST(IcmpEchoTest, TheLoopbackAddressAnswersOneEcho) {
  platform::IcmpEcho& echo = platform::SystemIcmpEcho();
  std::vector<uint32_t> addresses;
  long error = 0;
  ASSERT_EQ(platform::ResolveStatus::kLiteral, echo.ResolveIPv4("127.0.0.1", &addresses, &error));
  ASSERT_EQ((std::vector<uint32_t>{Loopback()}), addresses);

  int replies = -1;
  const std::vector<uint8_t> payload{'D', 'a', 't', 'a', 0, 0, 0, 0};
  const platform::EchoStatus status = echo.SendEcho(Loopback(), payload, 1000, &replies, &error);
  if (status == platform::EchoStatus::kCannotOpen && (error == EPERM || error == EACCES)) {
    GTEST_SKIP() << "neither ICMP socket is allowed to this user (the suite runs as root)";
  }
  ASSERT_EQ(platform::EchoStatus::kSent, status);
  EXPECT_EQ(1, replies);
}

TEST(IcmpEchoTest, NamesResolveToIPv4AddressesOrNotAtAll) {
  platform::IcmpEcho& echo = platform::SystemIcmpEcho();
  std::vector<uint32_t> addresses{1, 2};
  long error = 0;
  EXPECT_EQ(platform::ResolveStatus::kNotFound,
            echo.ResolveIPv4("no-such-host.invalid", &addresses, &error));
  EXPECT_TRUE(addresses.empty());
  EXPECT_EQ(platform::ResolveStatus::kNotFound, echo.ResolveIPv4("", &addresses, &error));
  ASSERT_EQ(platform::ResolveStatus::kResolved, echo.ResolveIPv4("localhost", &addresses, &error));
  EXPECT_NE(addresses.end(), std::find(addresses.begin(), addresses.end(), Loopback()));
}

TEST(IcmpPacketTest, TheRequestCarriesItsIdentifiersPayloadAndAValidChecksum) {
  const uint8_t sample[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
  EXPECT_EQ(0x220D, platform::InternetChecksum(sample, sizeof sample));
  EXPECT_EQ(0x0DFF, platform::InternetChecksum(sample + 2, 1)) << "an odd byte is padded";

  const std::vector<uint8_t> packet = platform::BuildEchoRequest(0x1234, 0xABCD, {'h', 'i', '!'});
  EXPECT_EQ((std::vector<uint8_t>{8, 0, packet[2], packet[3], 0x12, 0x34, 0xAB, 0xCD, 'h', 'i', '!'}),
            packet);
  EXPECT_EQ(0, platform::InternetChecksum(packet.data(), packet.size()));
}

TEST(IcmpPacketTest, OnlyTheAwaitedReplyMatches) {
  std::vector<uint8_t> reply{0, 0, 0, 0, 0x12, 0x34, 0xAB, 0xCD, 'x'};
  platform::EchoReplyMatch match;
  match.identifier = 0x1234;
  match.sequence = 0xABCD;
  EXPECT_TRUE(platform::IsMatchingEchoReply(reply.data(), reply.size(), match));
  EXPECT_FALSE(platform::IsMatchingEchoReply(reply.data(), 7, match)) << "cut short";
  match.sequence = 0xABCE;
  EXPECT_FALSE(platform::IsMatchingEchoReply(reply.data(), reply.size(), match));
  match.sequence = 0xABCD;
  match.identifier = 1;
  EXPECT_FALSE(platform::IsMatchingEchoReply(reply.data(), reply.size(), match));
  match.check_identifier = false;  // a datagram socket's kernel-chosen identifier
  EXPECT_TRUE(platform::IsMatchingEchoReply(reply.data(), reply.size(), match));
  reply[0] = 8;
  EXPECT_FALSE(platform::IsMatchingEchoReply(reply.data(), reply.size(), match)) << "a request";
  reply[0] = 0;

  std::vector<uint8_t> raw(20, 0);
  raw[0] = 0x45;  // IPv4, 20-byte header
  raw.insert(raw.end(), reply.begin(), reply.end());
  match.with_ip_header = true;
  EXPECT_TRUE(platform::IsMatchingEchoReply(raw.data(), raw.size(), match));
  raw[0] = 0x4F;  // a header longer than the packet
  EXPECT_FALSE(platform::IsMatchingEchoReply(raw.data(), raw.size(), match));
  raw[0] = 0x65;  // not IPv4
  EXPECT_FALSE(platform::IsMatchingEchoReply(raw.data(), raw.size(), match));
}

TEST(ProcessTerminatorTest, TerminatesTheFirstProcessWithTheNameInAnyCase) {
  const std::string name = "kvterm" + std::to_string(getpid() % 100000);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    prctl(PR_SET_NAME, name.c_str());
    for (;;) pause();
  }
  const std::string comm = "/proc/" + std::to_string(child) + "/comm";
  std::string seen;
  for (int i = 0; i < 500 && seen != name; ++i) {
    std::ifstream(comm) >> seen;
    if (seen != name) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(name, seen);

  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  EXPECT_EQ(platform::TerminateResult::kTerminated,
            platform::SystemProcessTerminator().TerminateByImageName(upper, 10000));
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(platform::TerminateResult::kNotFound,
            platform::SystemProcessTerminator().TerminateByImageName(name, 10000));
}

// Standard input replaced by a pipe holding |text| for one test.
class PipedStandardInput {
 public:
  explicit PipedStandardInput(const std::string& text) : saved_(dup(0)) {
    int fds[2];
    EXPECT_EQ(0, pipe(fds));
    EXPECT_EQ(static_cast<ssize_t>(text.size()), write(fds[1], text.data(), text.size()));
    close(fds[1]);
    dup2(fds[0], 0);
    close(fds[0]);
  }
  ~PipedStandardInput() {
    dup2(saved_, 0);
    close(saved_);
  }

 private:
  int saved_;
};

TEST(ConsoleInputTest, ReadsWholeCharactersUntilTheInputEnds) {
  PipedStandardInput input("a\xC3\xA9\xE2\x82\xAC\n");
  auto console = platform::OpenHiddenConsoleInput();
  ASSERT_NE(nullptr, console);
  std::string c;
  std::vector<std::string> read;
  while (console->ReadCharacter(&c)) read.push_back(c);
  EXPECT_EQ((std::vector<std::string>{"a", "\xC3\xA9", "\xE2\x82\xAC", "\n"}), read);
}

TEST(ConsoleInputTest, ClosedStandardInputIsNoConsole) {
  const int saved = dup(0);
  close(0);
  EXPECT_EQ(nullptr, platform::OpenHiddenConsoleInput());
  dup2(saved, 0);
  close(saved);
}

TEST(ProgramRunnerTest, CollectsOutputAndExitCodeAndStopsAProgramThatOverruns) {
  platform::ProgramRun run;
  ASSERT_TRUE(platform::RunProgram("echo", {"hi", "there"}, 5000, &run));
  EXPECT_EQ(0, run.exit_code);
  EXPECT_EQ("hi there\n", run.output);
  ASSERT_TRUE(platform::RunProgram("false", {}, 5000, &run));
  EXPECT_EQ(1, run.exit_code);
  EXPECT_FALSE(platform::RunProgram("no-such-program-kova", {}, 5000, &run));

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(platform::RunProgram("sleep", {"5"}, 100, &run));
  EXPECT_EQ(-1, run.exit_code);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(ServiceManagerTest, SystemdStatesMapToServiceStates) {
  using platform::ServiceState;
  EXPECT_EQ(ServiceState::kRunning, platform::ServiceStateFromSystemd("active"));
  EXPECT_EQ(ServiceState::kRunning, platform::ServiceStateFromSystemd("reloading"));
  EXPECT_EQ(ServiceState::kStartPending, platform::ServiceStateFromSystemd("activating"));
  EXPECT_EQ(ServiceState::kStopPending, platform::ServiceStateFromSystemd("deactivating"));
  EXPECT_EQ(ServiceState::kStopped, platform::ServiceStateFromSystemd("inactive"));
  EXPECT_EQ(ServiceState::kStopped, platform::ServiceStateFromSystemd("failed"));
  EXPECT_EQ(ServiceState::kStopPending, platform::ServiceStateFromSystemd("maintenance"));
}

TEST(ServiceManagerTest, WithoutSystemdTheManagerCannotBeReached) {
  if (std::filesystem::exists("/run/systemd/system")) GTEST_SKIP() << "systemd runs here";
  EXPECT_EQ(nullptr, platform::SystemServiceManager().Connect());
}

TEST(TickClockTest, SleepingAdvancesTheTicks) {
  platform::TickClock& clock = platform::SystemTickClock();
  const uint64_t before = clock.NowMs();
  clock.SleepMs(5);
  EXPECT_GE(clock.NowMs() - before, 5u);
}

TEST(OsDescriptionTest, TheNameComesFromPrettyNameElseName) {
  EXPECT_EQ("Debian GNU/Linux 12 (bookworm)",
            platform::ParseOsReleaseName("NAME=\"Debian GNU/Linux\"\n"
                                         "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"));
  EXPECT_EQ("Alpine", platform::ParseOsReleaseName("ID=alpine\r\nNAME=Alpine\r\n"));
  EXPECT_EQ("It's \"quoted\"", platform::ParseOsReleaseName("PRETTY_NAME='It's \"quoted\"'"));
  EXPECT_EQ("a\"b", platform::ParseOsReleaseName("PRETTY_NAME=\"a\\\"b\""));
  EXPECT_EQ("", platform::ParseOsReleaseName("ID=none\n#PRETTY_NAME=x\n"));

  const platform::OsDescription os = platform::GetOsDescription();
  EXPECT_FALSE(os.computer_name.empty());
  EXPECT_FALSE(os.os_name.empty());
  EXPECT_GT(os.major, 0);
  EXPECT_EQ(0u, os.build.find(std::to_string(os.major) + "." + std::to_string(os.minor)));
}

}  // namespace
