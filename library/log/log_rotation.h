// Rotation of a log file when a session starts: P.5 is deleted, P.4 to P.1
// move up by one, and P becomes P.1 (P.n is the path followed by "." and n).
// A missing file or a failed step is skipped and the rest goes on.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint64_t kLogRotationSize = 5242880;  // 5 MiB; rotate only above it
inline constexpr int kLogGenerations = 5;

// Rotates `path` when the file is larger than kLogRotationSize; returns
// whether it did.
bool RotateLogIfLarge(const std::string& path);

void RotateLog(const std::string& path);
