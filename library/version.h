// The product's version strings, shown in the log banner and sent in the
// User-Agent of every array request.
#pragma once

namespace kova {

inline constexpr char kProductVersion[] = "1.0.3";
inline constexpr char kBuildString[] = ".717.2016-04-14_16-23-12 (64-bit Release)";

}  // namespace kova
