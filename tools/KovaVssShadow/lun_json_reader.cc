// The reading half of lun_json.h.
#include <cpprest/json.h>

#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "provider/lun/lun_record.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

// A member that is not what a record needs; `what` is "<path>: <reason>".
class MemberError : public std::runtime_error {
 public:
  MemberError(const std::string& path, const std::string& reason)
      : std::runtime_error(path + ": " + reason) {}
};

using Object = web::json::object;
using utility::conversions::to_string_t;
using utility::conversions::to_utf8string;

void RefuseUnknownMembers(const Object& object, const std::string& path,
                          const std::vector<std::string>& known) {
  for (const auto& member : object) {
    const std::string member_name = to_utf8string(member.first);
    bool found = false;
    for (const std::string& name : known) found = found || member_name == name;
    if (!found) throw MemberError(path, "unknown member \"" + member_name + "\"");
  }
}

const Object& AsObject(const web::json::value& value, const std::string& path) {
  if (!value.is_object()) throw MemberError(path, "not a JSON object");
  return value.as_object();
}

const web::json::array& AsArray(const web::json::value& value, const std::string& path) {
  if (!value.is_array()) throw MemberError(path, "not a JSON array");
  return value.as_array();
}

const web::json::value* Find(const Object& object, const char* name) {
  const auto found = object.find(to_string_t(name));
  return found == object.end() ? nullptr : &found->second;
}

uint64_t ReadNumber(const Object& object, const std::string& path, const char* name, uint64_t max,
                    uint64_t fallback) {
  const web::json::value* value = Find(object, name);
  if (value == nullptr) return fallback;
  const std::string where = path + "." + name;
  if (!value->is_integer() || !value->as_number().is_uint64()) {
    throw MemberError(where, "not a whole number from 0 to " + std::to_string(max));
  }
  const uint64_t number = value->as_number().to_uint64();
  if (number > max) throw MemberError(where, "not a whole number from 0 to " + std::to_string(max));
  return number;
}

std::string ReadText(const web::json::value& value, const std::string& where) {
  if (!value.is_string()) throw MemberError(where, "not a JSON string");
  const std::string text = to_utf8string(value.as_string());
  if (text.find('\0') != std::string::npos) throw MemberError(where, "contains a NUL character");
  return text;
}

std::string ReadOptionalText(const Object& object, const std::string& path, const char* name,
                             const std::string& fallback) {
  const web::json::value* value = Find(object, name);
  return value == nullptr ? fallback : ReadText(*value, path + "." + name);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<uint8_t> ReadHex(const web::json::value& value, const std::string& where) {
  const std::string text = ReadText(value, where);
  if (text.size() % 2 != 0) throw MemberError(where, "odd number of hex digits");
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) throw MemberError(where, "not a hex digit at offset " + std::to_string(i));
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return bytes;
}

std::vector<uint8_t> ReadIdentifierBytes(const Object& object, const std::string& path) {
  const web::json::value* data = Find(object, "data");
  const web::json::value* hex = Find(object, "hex");
  if ((data == nullptr) == (hex == nullptr)) throw MemberError(path, "needs exactly one of \"data\" and \"hex\"");
  if (hex != nullptr) return ReadHex(*hex, path + ".hex");
  const std::string text = ReadText(*data, path + ".data");
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

void ReadIdentifiers(const web::json::value& value, const std::string& path,
                     VDS_STORAGE_DEVICE_ID_DESCRIPTOR* descriptor) {
  const web::json::array& list = AsArray(value, path);
  descriptor->m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(list.size());
  descriptor->m_cIdentifiers = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string where = path + "[" + std::to_string(i) + "]";
    const Object& object = AsObject(list.at(i), where);
    RefuseUnknownMembers(object, where, {"code_set", "type", "data", "hex"});
    // Counted before it is filled, so that a failure part way frees what it holds.
    VDS_STORAGE_IDENTIFIER& identifier = descriptor->m_rgIdentifiers[descriptor->m_cIdentifiers++];
    identifier = VDS_STORAGE_IDENTIFIER{};
    identifier.m_CodeSet = static_cast<VDS_STORAGE_IDENTIFIER_CODE_SET>(
        ReadNumber(object, where, "code_set", VDSStorageIdCodeSetUtf8, VDSStorageIdCodeSetAscii));
    identifier.m_Type = static_cast<VDS_STORAGE_IDENTIFIER_TYPE>(
        ReadNumber(object, where, "type", VDSStorageIdTypeScsiNameString, VDSStorageIdTypeVendorSpecific));
    const std::vector<uint8_t> bytes = ReadIdentifierBytes(object, where);
    identifier.m_rgbIdentifier = TaskMemoryBytes(bytes);
    identifier.m_cbIdentifier = static_cast<ULONG>(bytes.size());
  }
}

void ReadInterconnects(const web::json::value& value, const std::string& path, VDS_LUN_INFORMATION* lun) {
  const web::json::array& list = AsArray(value, path);
  lun->m_rgInterconnects = TaskMemoryArray<VDS_INTERCONNECT>(list.size());
  lun->m_cInterconnects = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string where = path + "[" + std::to_string(i) + "]";
    const Object& object = AsObject(list.at(i), where);
    RefuseUnknownMembers(object, where, {"address_type", "port", "address"});
    VDS_INTERCONNECT& interconnect = lun->m_rgInterconnects[lun->m_cInterconnects++];
    interconnect = VDS_INTERCONNECT{};
    interconnect.m_addressType = static_cast<VDS_INTERCONNECT_ADDRESS_TYPE>(
        ReadNumber(object, where, "address_type", VDS_IA_SCSI, VDS_IA_UNKNOWN));
    const web::json::value* port = Find(object, "port");
    const web::json::value* address = Find(object, "address");
    const std::vector<uint8_t> port_bytes = port ? ReadHex(*port, where + ".port") : std::vector<uint8_t>();
    const std::vector<uint8_t> address_bytes =
        address ? ReadHex(*address, where + ".address") : std::vector<uint8_t>();
    interconnect.m_pbPort = TaskMemoryBytes(port_bytes);
    interconnect.m_cbPort = static_cast<ULONG>(port_bytes.size());
    interconnect.m_pbAddress = TaskMemoryBytes(address_bytes);
    interconnect.m_cbAddress = static_cast<ULONG>(address_bytes.size());
  }
}

GUID ReadGuid(const Object& object, const std::string& path, const char* name) {
  const web::json::value* value = Find(object, name);
  if (value == nullptr) return GUID_NULL;
  GUID guid{};
  if (!platform::GuidFromString(ReadText(*value, path + "." + name), &guid)) {
    throw MemberError(path + "." + name, "not a GUID");
  }
  return guid;
}

void ReadScalars(const Object& object, const std::string& path, VDS_LUN_INFORMATION* lun) {
  const uint64_t kLongMax = std::numeric_limits<ULONG>::max();
  lun->m_version = static_cast<ULONG>(ReadNumber(object, path, "version", kLongMax, VER_VDS_LUN_INFORMATION));
  lun->m_deviceIdDescriptor.m_version =
      static_cast<ULONG>(ReadNumber(object, path, "descriptor_version", kLongMax, VER_VDS_LUN_INFORMATION));
  lun->m_BusType = static_cast<VDS_STORAGE_BUS_TYPE>(
      ReadNumber(object, path, "bus_type", VDSBusTypeMaxReserved, VDSBusTypeUnknown));
  lun->m_DeviceType = static_cast<BYTE>(ReadNumber(object, path, "device_type", 255, 0));
  lun->m_DeviceTypeModifier = static_cast<BYTE>(ReadNumber(object, path, "device_type_modifier", 255, 0));
  if (const web::json::value* queueing = Find(object, "command_queueing")) {
    if (!queueing->is_boolean()) throw MemberError(path + ".command_queueing", "not true or false");
    lun->m_bCommandQueueing = queueing->as_bool() ? TRUE : FALSE;
  }
  lun->m_diskSignature = ReadGuid(object, path, "disk_signature");
}

void ReadRecord(const web::json::value& value, const std::string& path, VDS_LUN_INFORMATION* lun) {
  const Object& object = AsObject(value, path);
  RefuseUnknownMembers(object, path,
                       {"vendor", "product", "revision", "serial", "bus_type", "device_type",
                        "identifiers", "interconnects", "version", "descriptor_version",
                        "device_type_modifier", "command_queueing", "disk_signature"});
  ReadScalars(object, path, lun);
  lun->m_szVendorId = TaskMemoryString(ReadOptionalText(object, path, "vendor", ""));
  lun->m_szProductId = TaskMemoryString(ReadOptionalText(object, path, "product", ""));
  lun->m_szProductRevision = TaskMemoryString(ReadOptionalText(object, path, "revision", ""));
  lun->m_szSerialNumber = TaskMemoryString(ReadOptionalText(object, path, "serial", ""));
  if (const web::json::value* identifiers = Find(object, "identifiers")) {
    ReadIdentifiers(*identifiers, path + ".identifiers", &lun->m_deviceIdDescriptor);
  }
  if (const web::json::value* interconnects = Find(object, "interconnects")) {
    ReadInterconnects(*interconnects, path + ".interconnects", lun);
  }
}

const web::json::array& RecordList(const web::json::value& document) {
  if (document.is_array()) return document.as_array();
  if (!document.is_object()) {
    throw MemberError("(top)", "neither an array of LUN records nor an object with \"targets\"");
  }
  const Object& object = document.as_object();
  RefuseUnknownMembers(object, "(top)", {"snapshot_set_id", "targets"});
  const web::json::value* targets = Find(object, "targets");
  if (targets == nullptr) throw MemberError("(top)", "no member \"targets\"");
  return AsArray(*targets, "targets");
}

}  // namespace

bool ParseLunRecords(const std::string& text, LunRecordArray* records, std::string* error) {
  web::json::value document;
  try {
    document = web::json::value::parse(to_string_t(text));
  } catch (const web::json::json_exception& e) {
    *error = std::string("not JSON: ") + e.what();
    return false;
  } catch (const std::range_error& e) {  // not UTF-8, where wide text is UTF-16
    *error = std::string("not JSON: ") + e.what();
    return false;
  }
  LunRecordArray parsed;
  try {
    const web::json::array& list = RecordList(document);
    const std::string prefix = document.is_array() ? "" : "targets";
    for (size_t i = 0; i < list.size(); ++i) {
      VDS_LUN_INFORMATION lun{};
      try {
        ReadRecord(list.at(i), prefix + "[" + std::to_string(i) + "]", &lun);
      } catch (...) {
        FreeLunInformation(lun);
        throw;
      }
      parsed.Append(&lun, LunDeviceName());
    }
  } catch (const MemberError& e) {
    *error = e.what();
    return false;
  } catch (const std::bad_alloc&) {
    *error = "out of memory";
    return false;
  }
  records->Append(std::move(parsed));
  return true;
}
