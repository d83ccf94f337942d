// Provider service control against a fake service manager, process list and
// clock: the waits and the 30-second stop time-out pass in fake time.
#include <gtest/gtest.h>

#include "OstaraRegTool/provider_service.h"
#include "OstaraRegTool/result_codes.h"
#include "tests/config_tool/tool_test_fixture.h"

namespace {

using platform::ServiceState;
using platform::TerminateResult;

class ProviderServiceTest : public ToolTest {
 protected:
  // Milliseconds between consecutive status queries.
  std::vector<uint64_t> QueryGaps() const {
    std::vector<uint64_t> gaps;
    for (size_t i = 1; i < world_.query_times.size(); ++i) {
      gaps.push_back(world_.query_times[i] - world_.query_times[i - 1]);
    }
    return gaps;
  }
};

TEST_F(ProviderServiceTest, ReportsWhetherTheServiceRuns) {
  bool running = false;
  EXPECT_EQ(RC_SUCCESS, IsProviderRunning(running));
  EXPECT_TRUE(running);
  EXPECT_EQ("KovaProvider", world_.opened_service);

  for (ServiceState state : {ServiceState::kStopped, ServiceState::kStartPending,
                             ServiceState::kStopPending, ServiceState::kPaused}) {
    world_.state = state;
    running = true;
    EXPECT_EQ(RC_SUCCESS, IsProviderRunning(running));
    EXPECT_FALSE(running) << static_cast<int>(state);
  }
  EXPECT_EQ(0, world_.open_handles);
}

TEST_F(ProviderServiceTest, AnUnreachableManagerServiceOrStatusIsAFailureThatLeavesTheAnswerAlone) {
  bool running = true;
  world_.manager_reachable = false;
  EXPECT_EQ(RC_SERVICE_FAILED, IsProviderRunning(running));
  world_.manager_reachable = true;
  world_.service_installed = false;
  EXPECT_EQ(RC_SERVICE_FAILED, IsProviderRunning(running));
  world_.service_installed = true;
  world_.query_fails = true;
  world_.state = ServiceState::kStopped;
  EXPECT_EQ(RC_SERVICE_FAILED, IsProviderRunning(running));
  EXPECT_TRUE(running);
  EXPECT_EQ(RC_SERVICE_FAILED, RestartProvider(true));
  EXPECT_EQ(0, world_.open_handles) << "every handle is closed again";
  EXPECT_EQ(0, world_.stop_requests);
}

TEST_F(ProviderServiceTest, AStoppedServiceIsLeftAlone) {
  world_.state = ServiceState::kStopped;
  EXPECT_EQ(RC_SUCCESS, RestartProvider(false));
  EXPECT_EQ(0, world_.stop_requests);
  EXPECT_EQ(0, world_.start_requests);
}

TEST_F(ProviderServiceTest, AServiceThatStopsInFiveSecondsIsRestartedAfterQueriesASecondApart) {
  world_.stop_takes_ms = 5000;
  world_.wait_hint_ms = 3000;  // a tenth is below the one-second floor
  EXPECT_EQ(RC_SUCCESS, RestartProvider(false));
  EXPECT_EQ(1, world_.stop_requests);
  EXPECT_EQ(1, world_.start_requests);
  EXPECT_EQ(ServiceState::kRunning, world_.state);
  // The first query finds it running, then one query a second until stopped.
  EXPECT_EQ((std::vector<uint64_t>{0, 1000, 1000, 1000, 1000, 1000}), QueryGaps());
  EXPECT_TRUE(world_.terminated_names.empty());
  EXPECT_EQ(0, world_.open_handles);
}

TEST_F(ProviderServiceTest, TheWaitBetweenQueriesIsATenthOfTheHintWithinOneToTenSeconds) {
  EXPECT_EQ(1000u, StatusPollIntervalMs(0));
  EXPECT_EQ(1000u, StatusPollIntervalMs(9999));
  EXPECT_EQ(4500u, StatusPollIntervalMs(45000));
  EXPECT_EQ(10000u, StatusPollIntervalMs(200000));

  world_.wait_hint_ms = 200000;
  world_.stop_takes_ms = 25000;
  EXPECT_EQ(RC_SUCCESS, RestartProvider(false));
  EXPECT_EQ((std::vector<uint32_t>{10000, 10000, 10000}), world_.clock.sleeps);
}

TEST_F(ProviderServiceTest, AnIgnoredStopFailsAfterThirtySecondsWithoutStartingAgain) {
  world_.ignore_stop = true;
  const uint64_t began = world_.clock.now_ms;
  EXPECT_EQ(RC_SERVICE_FAILED, RestartProvider(false));
  EXPECT_EQ(0, world_.start_requests);
  EXPECT_TRUE(world_.terminated_names.empty());
  // Queries go on while no more than 30 s have passed since the wait began.
  EXPECT_EQ(31000u, world_.clock.now_ms - began);
  EXPECT_EQ(32u, world_.query_times.size());
}

TEST_F(ProviderServiceTest, AnIgnoredStopWithForceTerminatesTheProcessAndStartsTheService) {
  world_.ignore_stop = true;
  EXPECT_EQ(RC_SUCCESS, RestartProvider(true));
  ASSERT_EQ(1u, world_.terminated_names.size());
  EXPECT_EQ(std::string("KovaProvider") + platform::kExecutableSuffix, world_.terminated_names[0]);
  EXPECT_EQ(10000u, world_.terminate_waits[0]);
  EXPECT_EQ(1, world_.start_requests);
  EXPECT_EQ(ServiceState::kRunning, world_.state);
  EXPECT_EQ(1u, log_.LinesContaining("W Kova.RegTool Implementation RestartProvider: "
                                     "SCM-initiated Stop failed after timeout. Forcefully "
                                     "terminating.").size());
  EXPECT_EQ(1u, log_.LinesContaining("RestartProvider: Forceful termination successful.").size());
}

TEST_F(ProviderServiceTest, ARefusedStopFailsOrWithForceKillsAndWaitsForTheStop) {
  world_.refuse_stop = true;
  EXPECT_EQ(RC_SERVICE_FAILED, RestartProvider(false));
  EXPECT_TRUE(world_.terminated_names.empty());

  EXPECT_EQ(RC_SUCCESS, RestartProvider(true));
  EXPECT_EQ(1u, world_.terminated_names.size());
  EXPECT_EQ(1, world_.start_requests);
  EXPECT_EQ(1u, log_.LinesContaining("RestartProvider: SCM-initiated Stop failed. Forcefully "
                                     "terminating.").size());
}

TEST_F(ProviderServiceTest, ARefusedOrUnfinishedTerminationIsCode21) {
  world_.refuse_stop = true;
  for (TerminateResult failure : {TerminateResult::kRefused, TerminateResult::kTimedOut}) {
    world_.termination = failure;
    EXPECT_EQ(RC_TERMINATE_FAILED, RestartProvider(true));
    EXPECT_EQ(RC_TERMINATE_FAILED, ForceKillProvider());
  }
  EXPECT_EQ(0, world_.start_requests);
  EXPECT_EQ(2u, log_.LinesContaining("E Kova.RegTool Implementation RestartProvider: Forceful "
                                     "termination failed.").size());
}

TEST_F(ProviderServiceTest, NothingToTerminateCountsAsDoneButTheStartOfARunningServiceFails) {
  world_.ignore_stop = true;
  world_.process_running = false;  // the service runs, its process is not found
  EXPECT_EQ(RC_SERVICE_FAILED, RestartProvider(true));
  EXPECT_EQ(1u, world_.terminated_names.size());
  EXPECT_EQ(1, world_.start_requests) << "the start is attempted";

  world_.termination = TerminateResult::kCannotOpen;
  world_.process_running = true;
  EXPECT_EQ(RC_SUCCESS, ForceKillProvider());
}

TEST_F(ProviderServiceTest, ARefusedStartOrAFailingQueryDuringTheWaitIsCode20) {
  world_.refuse_start = true;
  EXPECT_EQ(RC_SERVICE_FAILED, RestartProvider(false));
  EXPECT_EQ(1, world_.start_requests);

  world_.refuse_start = false;
  world_.state = ServiceState::kRunning;
  world_.stop_takes_ms = 3000;
  world_.query_times.clear();
  world_.queries_before_failure = 2;  // the running check and one wait query
  EXPECT_EQ(RC_SERVICE_FAILED, RestartProvider(true));
  EXPECT_EQ(3u, world_.query_times.size());
  EXPECT_EQ(1, world_.start_requests) << "no start after a failed wait";
  EXPECT_TRUE(world_.terminated_names.empty()) << "a failed query is no time-out";
}

}  // namespace
