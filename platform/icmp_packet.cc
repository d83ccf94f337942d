#include "platform/icmp_packet.h"

namespace platform {

namespace {

constexpr size_t kIcmpHeaderBytes = 8;
constexpr size_t kMinIpHeaderBytes = 20;

uint16_t ReadBigEndian16(const uint8_t* data) {
  return static_cast<uint16_t>((data[0] << 8) | data[1]);
}

void WriteBigEndian16(uint16_t value, uint8_t* data) {
  data[0] = static_cast<uint8_t>(value >> 8);
  data[1] = static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

uint16_t InternetChecksum(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < size; i += 2) sum += ReadBigEndian16(data + i);
  if (size % 2 != 0) sum += static_cast<uint32_t>(data[size - 1]) << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum & 0xFFFF);
}

std::vector<uint8_t> BuildEchoRequest(uint16_t identifier, uint16_t sequence,
                                      const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> packet(kIcmpHeaderBytes + payload.size(), 0);
  packet[0] = kIcmpEchoRequest;
  WriteBigEndian16(identifier, &packet[4]);
  WriteBigEndian16(sequence, &packet[6]);
  for (size_t i = 0; i < payload.size(); ++i) packet[kIcmpHeaderBytes + i] = payload[i];
  WriteBigEndian16(InternetChecksum(packet.data(), packet.size()), &packet[2]);
  return packet;
}

bool IsMatchingEchoReply(const uint8_t* data, size_t size, const EchoReplyMatch& match) {
  if (match.with_ip_header) {
    if (size < kMinIpHeaderBytes || (data[0] >> 4) != 4) return false;
    const size_t ip_header = static_cast<size_t>(data[0] & 0x0F) * 4;
    if (ip_header < kMinIpHeaderBytes || size < ip_header) return false;
    data += ip_header;
    size -= ip_header;
  }
  if (size < kIcmpHeaderBytes) return false;
  if (data[0] != kIcmpEchoReply || data[1] != 0) return false;
  if (match.check_identifier && ReadBigEndian16(data + 4) != match.identifier) return false;
  return ReadBigEndian16(data + 6) == match.sequence;
}

}  // namespace platform
