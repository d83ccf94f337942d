// Builders of the byte answers a SCSI device gives, for the parser tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vss_compat.h"

namespace identity_test {

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// One designation descriptor of page 0x83.
inline Bytes Descriptor(uint8_t code_set, uint8_t type, const Bytes& id, uint8_t association = 0,
                        uint8_t protocol = 0) {
  Bytes d = {static_cast<uint8_t>((protocol << 4) | code_set),
             static_cast<uint8_t>((association << 4) | type), 0, static_cast<uint8_t>(id.size())};
  d.insert(d.end(), id.begin(), id.end());
  return d;
}

// A VPD page with `body`, whose length field says `claimed` (default: the
// body's size).
inline Bytes VpdPage(uint8_t page, const Bytes& body, long claimed = -1) {
  const size_t length = claimed < 0 ? body.size() : static_cast<size_t>(claimed);
  Bytes p = {0x00, page, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length & 0xFF)};
  p.insert(p.end(), body.begin(), body.end());
  return p;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A standard INQUIRY answer of 36 bytes (additional length 31 unless
// given), direct-access, command queueing on.
inline Bytes InquiryAnswer(const std::string& vendor, const std::string& product,
                           const std::string& revision, long additional = 31) {
  Bytes d(36, 0);
  d[0] = 0x00;
  d[2] = 0x06;
  d[3] = 0x02;
  d[4] = static_cast<uint8_t>(additional);
  d[7] = 0x02;
  auto put = [&d](size_t at, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) d[at + i] = i < text.size() ? text[i] : ' ';
  };
  put(8, vendor, 8);
  put(16, product, 16);
  put(32, revision, 4);
  return d;
}

// The bytes of one identifier of a LUN record.
inline Bytes IdentifierBytes(const VDS_STORAGE_IDENTIFIER& id) {
  return Bytes(id.m_rgbIdentifier, id.m_rgbIdentifier + id.m_cbIdentifier);
}

}  // namespace identity_test
