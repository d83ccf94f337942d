// Helpers of the data protection suites: clear data, protecting it, and
// unprotecting with a check that a failure leaves the output alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/data_protection.h"

inline std::vector<uint8_t> ClearBytes(size_t size) {
  std::vector<uint8_t> clear(size);
  for (size_t i = 0; i < size; ++i) clear[i] = static_cast<uint8_t>(i * 7 + 1);
  return clear;
}

inline std::vector<uint8_t> Protect(const std::vector<uint8_t>& clear) {
  std::vector<uint8_t> blob;
  EXPECT_TRUE(platform::ProtectData(clear, &blob));
  return blob;
}

// Unprotects into a buffer holding a sentinel, which a failure must leave.
inline bool Unprotects(const std::vector<uint8_t>& blob, std::vector<uint8_t>* clear = nullptr) {
  std::vector<uint8_t> out = {0xDE, 0xAD};
  const bool ok = platform::UnprotectData(blob, &out);
  if (!ok) {
    EXPECT_EQ((std::vector<uint8_t>{0xDE, 0xAD}), out) << "failure touched the output";
  }
  if (clear) *clear = out;
  return ok;
}
