// The operating system's major and minor version numbers, as the log banner
// and the User-Agent show them.
// POSIX: the kernel release ("6.1.0-18-amd64" gives 6.1); 0.0 when it cannot
// be read or parsed. Windows: GetVersionExW.
#pragma once

namespace platform {

struct OsVersion {
  long major = 0;
  long minor = 0;
};

OsVersion GetOsVersion();

// Parses the leading "major.minor" of a kernel release text.
OsVersion ParseKernelRelease(const char* release);

}  // namespace platform
