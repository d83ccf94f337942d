#include <gtest/gtest.h>

#include "platform/tls_process.h"

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
