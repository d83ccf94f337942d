// The platform facilities the tool and the identity code use, on Windows
// (under Wine here): ICMP echo to the loopback address, the service
// manager, the management instrumentation where Wine answers it and its
// failure path where it does not, hidden console input typed at a real
// console, and a process found by its image name and terminated.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/com_runtime.h"
#include "platform/console_input.h"
#include "platform/icmp_echo.h"
#include "platform/management_query.h"
#include "platform/process_terminator.h"
#include "platform/service_manager.h"
#include "platform/tick_clock.h"
#include "tests/support/console_typist_win.h"
#include "tests/support/temp_dir.h"

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

// console_keys.exe started on a console of its own (CREATE_NO_WINDOW gives
// it one without a window, under Wine too), at which the test types as a
// user at that console would. What the program reads comes back through
// Read().
class ConsoleKeysProgram {
 public:
  explicit ConsoleKeysProgram(const std::filesystem::path& program = KOVA_CONSOLE_KEYS_PATH)
      : output_(dir_.path() / "keys.txt") {
    std::wstring command_line = L"\"" + program.wstring() + L"\" \"" + output_.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process_)) {
      typist_ = std::make_unique<ConsoleTypist>(process_.dwProcessId);
    }
  }
  ~ConsoleKeysProgram() {
    typist_.reset();
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, 10000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }
  ConsoleKeysProgram(const ConsoleKeysProgram&) = delete;
  ConsoleKeysProgram& operator=(const ConsoleKeysProgram&) = delete;

  bool Started() const { return typist_ != nullptr && typist_->Attached(); }

  // True once the program waits for a key: the runtime then has the
  // console's processing and echo off, so that a Ctrl+C typed is a key
  // rather than an event for every process on the console.
  bool AwaitsKey() const {
    for (int i = 0; i < 1000; ++i) {
      if (!(typist_->Mode() & ENABLE_PROCESSED_INPUT)) return true;
      Sleep(10);
    }
    return false;
  }
  // Whether the console processes, echoes and edits lines as a new
  // console does, and as a prompt must leave it.
  bool Echoes() const {
    const DWORD line_mode = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;
    return (typist_->Mode() & line_mode) == line_mode;
  }
  DWORD Mode() const { return typist_->Mode(); }
  // |keys| typed once the program waits for them.
  bool Type(const std::u16string& keys) const { return AwaitsKey() && typist_->Type(keys); }
  // The program's exit code once it has ended; STILL_ACTIVE after the wait.
  DWORD Wait(DWORD timeout_ms) const {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_.hProcess, &code);
    }
    return code;
  }
  // The lines the program wrote: each character's UTF-8 bytes in hex.
  std::vector<std::string> Read() const {
    std::ifstream file(output_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

 private:
  TempDir dir_;
  std::filesystem::path output_;
  PROCESS_INFORMATION process_{};
  std::unique_ptr<ConsoleTypist> typist_;
};

TEST(ConsoleInputWindowsTest, KeysTypedAtTheConsoleArriveAsWholeUtf8Characters) {
  ConsoleKeysProgram program;
  ASSERT_TRUE(program.Started()) << GetLastError();
  // a, e acute, the euro sign, U+1F600 as its surrogate pair, Enter.
  ASSERT_TRUE(program.Type(u"a\u00e9\u20ac\xd83d\xde00\r"));
  EXPECT_EQ(0u, program.Wait(10000));
  EXPECT_EQ((std::vector<std::string>{"61", "c3a9", "e282ac", "f09f9880", "0d"}), program.Read());
  EXPECT_TRUE(program.Echoes()) << std::hex << program.Mode();
}

TEST(ConsoleInputWindowsTest, CtrlCEndsTheProgramAsTheConsolesCtrlCDoesAndJoinsNoSecret) {
  ConsoleKeysProgram program;
  ASSERT_TRUE(program.Started()) << GetLastError();
  ASSERT_TRUE(program.Type(u"s\x03t\r"));
  EXPECT_EQ(static_cast<DWORD>(STATUS_CONTROL_C_EXIT), program.Wait(10000));
  EXPECT_EQ(std::vector<std::string>{"73"}, program.Read());
  EXPECT_TRUE(program.Echoes()) << std::hex << program.Mode();
}

// While the program waits for a key the runtime has the console's echo
// off; a control event in that moment must not leave it so.
BOOL WINAPI IgnoreControlEvent(DWORD /*event*/) { return TRUE; }

TEST(ConsoleInputWindowsTest, AControlEventWhileAKeyIsAwaitedPutsTheConsoleModeBack) {
  ConsoleKeysProgram program;
  ASSERT_TRUE(program.Started()) << GetLastError();
  ASSERT_TRUE(program.AwaitsKey()) << "the runtime never changed the mode while waiting for a key";

  ASSERT_TRUE(SetConsoleCtrlHandler(IgnoreControlEvent, TRUE));  // the event reaches this process too
  // Wine's console sends no Ctrl+Break, and its default handler exits 0.
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
  const DWORD code = program.Wait(10000);
  EXPECT_TRUE(code == static_cast<DWORD>(STATUS_CONTROL_C_EXIT) || code == 0) << std::hex << code;
  SetConsoleCtrlHandler(IgnoreControlEvent, FALSE);
  EXPECT_TRUE(program.Echoes()) << std::hex << program.Mode();
  EXPECT_TRUE(program.Read().empty());
}

TEST(ConsoleInputWindowsTest, WithoutStandardInputThereIsNoConsoleInput) {
  const HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
  ASSERT_TRUE(SetStdHandle(STD_INPUT_HANDLE, nullptr));
  EXPECT_EQ(nullptr, platform::OpenHiddenConsoleInput());
  SetStdHandle(STD_INPUT_HANDLE, saved);
}

// The prompt reads the console's keys, never a redirected standard input:
// a process without a console reads nothing, whatever its input holds.
TEST(ConsoleInputWindowsTest, AProcessWithoutAConsoleReadsNoCharacter) {
  FreeConsole();
  auto console = platform::OpenHiddenConsoleInput();
  if (console == nullptr) GTEST_SKIP() << "this test process has no standard input";
  std::string character = "unchanged";
  EXPECT_FALSE(console->ReadCharacter(&character));
  EXPECT_EQ("unchanged", character);
}

TEST(ProcessTerminatorWindowsTest, TerminatesTheProcessWithTheImageNameInAnyCase) {
  TempDir dir;
  const std::string name = "kvterm" + std::to_string(GetCurrentProcessId()) + ".exe";
  std::filesystem::copy_file(KOVA_CONSOLE_KEYS_PATH, dir.path() / name);
  ConsoleKeysProgram program(dir.path() / name);  // waits for a key
  ASSERT_TRUE(program.Started()) << GetLastError();

  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(platform::TerminateResult::kTerminated,
            platform::SystemProcessTerminator().TerminateByImageName(upper, 10000));
  EXPECT_EQ(0xFFFFFFFFu, program.Wait(0));
  EXPECT_EQ(platform::TerminateResult::kNotFound,
            platform::SystemProcessTerminator().TerminateByImageName(name, 10000));
}

}  // namespace
