// ICMP echo ("ping") and IPv4 name resolution: the reachability test that
// the configuration tool makes before it talks to an array.
//
// Common semantics:
// - Addresses are IPv4 addresses as the 32-bit value of an in_addr, that is
//   in network byte order (127.0.0.1 is 0x0100007F on a little-endian
//   machine).
// - SendEcho sends exactly one echo request and counts the matching replies
//   that arrive before the time-out; it never retries.
// POSIX: inet_pton and getaddrinfo (AF_INET); the echo goes through an ICMP
// datagram socket (socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP)) and, when
// net.ipv4.ping_group_range refuses that to the caller, through a raw ICMP
// socket (CAP_NET_RAW, so root). Nothing has to be started first.
// Windows: WSAStartup 2.2 (once per call), inet_pton / getaddrinfo, and
// IcmpCreateFile with IcmpSendEcho.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class ResolveStatus {
  kLiteral,             // the text was a dotted IPv4 address
  kResolved,            // the name resolved to at least one IPv4 address
  kSocketsUnavailable,  // the socket library could not be started
  kNotFound,            // not an address, and the name did not resolve
};

enum class EchoStatus {
  kSent,        // the request went out; see |replies|
  kCannotOpen,  // no ICMP socket or handle could be opened
  kNoMemory,    // the reply buffer could not be allocated
};

class IcmpEcho {
 public:
  virtual ~IcmpEcho() = default;

  // Fills |addresses| (cleared first) in the resolver's order. |error| gets
  // the system's error number for kSocketsUnavailable.
  virtual ResolveStatus ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses,
                                    long* error) = 0;

  // Sends one echo request carrying |payload| to |address| and waits up to
  // |timeout_ms| for its reply. |replies| is the number of replies (0 or
  // 1) when the status is kSent; |error| the system's error number
  // otherwise.
  virtual EchoStatus SendEcho(uint32_t address, const std::vector<uint8_t>& payload,
                              uint32_t timeout_ms, int* replies, long* error) = 0;
};

// The operating system's facility; stateless, safe from any thread.
IcmpEcho& SystemIcmpEcho();

}  // namespace platform
