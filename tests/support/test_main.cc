#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/tls_process.h"
#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  // No test touches the machine's own state or log folders.
  TempDir state;
  setenv("KOVA_STATE_DIR", state.str().c_str(), 1);
  setenv("ALLUSERSPROFILE", state.str().c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
