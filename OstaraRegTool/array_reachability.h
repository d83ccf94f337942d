// Whether an array's address answers an ICMP echo request: the first check
// made before the tool talks to an array.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kEchoTimeoutMs = 1000;

// The host that the echo goes to: |url| with every "https://" removed, cut
// at the first ":" (so a port and what follows it go).
std::string EchoHostFromUrl(const utility::string_t& url);

// The echo request's 32 bytes: "Data Buffer" followed by zeros.
std::vector<uint8_t> EchoPayload();

// True when one echo request sent to the URL's host (a dotted IPv4 address,
// or else the first IPv4 address the name resolves to) was answered within
// kEchoTimeoutMs.
bool IsArrayExists(utility::string_t url);
