// The bytes of an ICMP echo exchange (RFC 792), kept apart from the sockets
// so that they can be checked on their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

inline constexpr uint8_t kIcmpEchoReply = 0;
inline constexpr uint8_t kIcmpEchoRequest = 8;

// An echo request: type 8, code 0, checksum, |identifier| and |sequence|
// (both in network byte order), then |payload|.
std::vector<uint8_t> BuildEchoRequest(uint16_t identifier, uint16_t sequence,
                                      const std::vector<uint8_t>& payload);

// The Internet checksum of |size| bytes (one's complement of the one's
// complement sum of 16-bit words), as stored in the header.
uint16_t InternetChecksum(const uint8_t* data, size_t size);

struct EchoReplyMatch {
  uint16_t identifier = 0;
  uint16_t sequence = 0;
  bool check_identifier = true;  // datagram sockets: the kernel picks it
  bool with_ip_header = false;   // raw sockets deliver the IPv4 header too
};

// Whether |data| is the echo reply that |match| describes. Short, cut or
// foreign packets (another type, identifier or sequence) give false.
bool IsMatchingEchoReply(const uint8_t* data, size_t size, const EchoReplyMatch& match);

}  // namespace platform
