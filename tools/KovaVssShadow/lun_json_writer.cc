// The writing half of lun_json.h.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

std::string Hex(const BYTE* bytes, ULONG size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (ULONG i = 0; bytes != nullptr && i < size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

std::string Text(const char* text) { return JsonQuote(text == nullptr ? "" : text); }

// Printable ASCII ended by its only NUL: written as "data", which reads back
// to the same bytes.
bool IsAsciiData(const BYTE* bytes, ULONG size) {
  if (bytes == nullptr || size == 0 || bytes[size - 1] != 0) return false;
  for (ULONG i = 0; i + 1 < size; ++i) {
    if (bytes[i] < 0x20 || bytes[i] > 0x7E) return false;
  }
  return true;
}

std::string Identifier(const VDS_STORAGE_IDENTIFIER& identifier) {
  const BYTE* bytes = identifier.m_cbIdentifier > 0 ? identifier.m_rgbIdentifier : nullptr;
  std::string text = "{\"code_set\": " + std::to_string(identifier.m_CodeSet) +
                     ", \"type\": " + std::to_string(identifier.m_Type);
  if (IsAsciiData(bytes, identifier.m_cbIdentifier)) {
    text += ", \"data\": " + JsonQuote(std::string(reinterpret_cast<const char*>(bytes)));
  } else {
    text += ", \"hex\": \"" + Hex(bytes, identifier.m_cbIdentifier) + "\"";
  }
  return text + "}";
}

std::string Interconnect(const VDS_INTERCONNECT& interconnect) {
  return "{\"address_type\": " + std::to_string(interconnect.m_addressType) + ", \"port\": \"" +
         Hex(interconnect.m_pbPort, interconnect.m_cbPort) + "\", \"address\": \"" +
         Hex(interconnect.m_pbAddress, interconnect.m_cbAddress) + "\"}";
}

// "[a, b]" on one line, or one element per line indented below |pad|.
std::string List(const std::vector<std::string>& elements, const std::string* pad) {
  if (elements.empty()) return "[]";
  std::string text = "[";
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) text += ",";
    text += pad ? "\n" + *pad + "  " + elements[i] : (i > 0 ? " " : "") + elements[i];
  }
  return text + (pad ? "\n" + *pad + "]" : "]");
}

// The members of one record as "name": value texts, in their fixed order.
std::vector<std::string> Members(const VDS_LUN_INFORMATION& lun, const std::string* record_pad) {
  const std::string member_pad = record_pad ? *record_pad + "  " : "";
  const std::string* pad = record_pad ? &member_pad : nullptr;
  std::vector<std::string> members = {
      "\"vendor\": " + Text(lun.m_szVendorId),
      "\"product\": " + Text(lun.m_szProductId),
      "\"revision\": " + Text(lun.m_szProductRevision),
      "\"serial\": " + Text(lun.m_szSerialNumber),
      "\"bus_type\": " + std::to_string(lun.m_BusType),
      "\"device_type\": " + std::to_string(lun.m_DeviceType)};
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& descriptor = lun.m_deviceIdDescriptor;
  if (descriptor.m_rgIdentifiers != nullptr) {
    std::vector<std::string> identifiers;
    for (ULONG i = 0; i < descriptor.m_cIdentifiers; ++i) {
      identifiers.push_back(Identifier(descriptor.m_rgIdentifiers[i]));
    }
    members.push_back("\"identifiers\": " + List(identifiers, pad));
  }
  if (lun.m_rgInterconnects != nullptr) {
    std::vector<std::string> interconnects;
    for (ULONG i = 0; i < lun.m_cInterconnects; ++i) interconnects.push_back(Interconnect(lun.m_rgInterconnects[i]));
    members.push_back("\"interconnects\": " + List(interconnects, pad));
  }
  if (lun.m_version != VER_VDS_LUN_INFORMATION) members.push_back("\"version\": " + std::to_string(lun.m_version));
  if (descriptor.m_version != VER_VDS_LUN_INFORMATION) {
    members.push_back("\"descriptor_version\": " + std::to_string(descriptor.m_version));
  }
  if (lun.m_DeviceTypeModifier != 0) {
    members.push_back("\"device_type_modifier\": " + std::to_string(lun.m_DeviceTypeModifier));
  }
  if (lun.m_bCommandQueueing) members.push_back("\"command_queueing\": true");
  if (lun.m_diskSignature != GUID_NULL) {
    members.push_back("\"disk_signature\": \"" + platform::GuidToString(lun.m_diskSignature) + "\"");
  }
  return members;
}

std::string Record(const VDS_LUN_INFORMATION& lun, const std::string* pad) {
  const std::vector<std::string> members = Members(lun, pad);
  std::string text = "{";
  for (size_t i = 0; i < members.size(); ++i) {
    if (i > 0) text += ",";
    text += pad ? "\n" + *pad + "  " + members[i] : (i > 0 ? " " : "") + members[i];
  }
  return text + (pad ? "\n" + *pad + "}" : "}");
}

}  // namespace

std::string JsonQuote(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const unsigned char code = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (code < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", code);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string FormatLunRecords(const VDS_LUN_INFORMATION* records, size_t count, int indent) {
  const std::string outer(static_cast<size_t>(indent < 0 ? 0 : indent), ' ');
  const std::string inner = outer + "  ";
  std::vector<std::string> texts;
  for (size_t i = 0; i < count; ++i) texts.push_back(Record(records[i], &inner));
  return List(texts, &outer);
}

std::string FormatLunRecordsCompact(const VDS_LUN_INFORMATION* records, size_t count) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < count; ++i) texts.push_back(Record(records[i], nullptr));
  return List(texts, nullptr);
}
