#include <gtest/gtest.h>

#include "platform/tls_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_environment.h"

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  // No test touches the machine's own state or log folders.
  TempDir state;
  SetTestEnv("KOVA_STATE_DIR", state.str());
  SetTestEnv("ALLUSERSPROFILE", state.str());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
