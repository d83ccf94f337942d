#include "provider/lun/lun_record.h"

namespace {

// The copy's byte count is the source's only when the bytes are there.
BYTE* CopyBytes(const BYTE* bytes, ULONG size, ULONG* copied_size) {
  BYTE* copy = TaskMemoryBytes(bytes, size);
  *copied_size = copy != nullptr ? size : 0;
  return copy;
}

// Copies the list |from| of |count| elements into task memory, each element
// by |copy_one|; an absent list stays absent with a count of zero.
template <typename T, typename CopyOne>
void CopyList(const T* from, ULONG count, T** to, ULONG* to_count, CopyOne copy_one) {
  if (from == nullptr) return;
  *to = TaskMemoryArray<T>(count);
  *to_count = count;
  for (ULONG i = 0; i < count; ++i) copy_one(from[i], (*to)[i]);
}

void CopyIdentifier(const VDS_STORAGE_IDENTIFIER& from, VDS_STORAGE_IDENTIFIER& to) {
  to.m_CodeSet = from.m_CodeSet;
  to.m_Type = from.m_Type;
  to.m_rgbIdentifier = CopyBytes(from.m_rgbIdentifier, from.m_cbIdentifier, &to.m_cbIdentifier);
}

void CopyInterconnect(const VDS_INTERCONNECT& from, VDS_INTERCONNECT& to) {
  to.m_addressType = from.m_addressType;
  to.m_pbPort = CopyBytes(from.m_pbPort, from.m_cbPort, &to.m_cbPort);
  to.m_pbAddress = CopyBytes(from.m_pbAddress, from.m_cbAddress, &to.m_cbAddress);
}

}  // namespace

char* TaskMemoryString(const std::string& text) {
  char* copy = TaskMemoryArray<char>(text.size() + 1);
  std::memcpy(copy, text.data(), text.size());
  return copy;
}

char* TaskMemoryString(const char* text) {
  return text == nullptr ? nullptr : TaskMemoryString(std::string(text));
}

BYTE* TaskMemoryBytes(const BYTE* bytes, size_t size) {
  if (bytes == nullptr || size == 0) return nullptr;
  BYTE* copy = TaskMemoryArray<BYTE>(size);
  std::memcpy(copy, bytes, size);
  return copy;
}

BYTE* TaskMemoryBytes(const std::vector<uint8_t>& bytes) {
  return TaskMemoryBytes(bytes.data(), bytes.size());
}

std::string TextOfBytes(const BYTE* bytes, size_t count) {
  if (bytes == nullptr) return std::string();
  const auto* text = reinterpret_cast<const char*>(bytes);
  size_t length = 0;
  while (length < count && text[length] != '\0') ++length;
  return std::string(text, length);
}

void CopyLunRecord(const VDS_LUN_INFORMATION& source, VDS_LUN_INFORMATION* copy) {
  VDS_LUN_INFORMATION built{};
  built.m_version = source.m_version;
  built.m_DeviceType = source.m_DeviceType;
  built.m_DeviceTypeModifier = source.m_DeviceTypeModifier;
  built.m_bCommandQueueing = source.m_bCommandQueueing;
  built.m_BusType = source.m_BusType;
  built.m_diskSignature = source.m_diskSignature;
  built.m_deviceIdDescriptor.m_version = source.m_deviceIdDescriptor.m_version;
  try {
    built.m_szVendorId = TaskMemoryString(source.m_szVendorId);
    built.m_szProductId = TaskMemoryString(source.m_szProductId);
    built.m_szProductRevision = TaskMemoryString(source.m_szProductRevision);
    built.m_szSerialNumber = TaskMemoryString(source.m_szSerialNumber);
    CopyList(source.m_deviceIdDescriptor.m_rgIdentifiers, source.m_deviceIdDescriptor.m_cIdentifiers,
             &built.m_deviceIdDescriptor.m_rgIdentifiers, &built.m_deviceIdDescriptor.m_cIdentifiers,
             CopyIdentifier);
    CopyList(source.m_rgInterconnects, source.m_cInterconnects, &built.m_rgInterconnects,
             &built.m_cInterconnects, CopyInterconnect);
  } catch (const std::bad_alloc&) {
    FreeLunInformation(built);
    throw;
  }
  *copy = built;
}

void FreeLunInformation(VDS_LUN_INFORMATION& lun) {
  CoTaskMemFree(lun.m_szVendorId);
  CoTaskMemFree(lun.m_szProductId);
  CoTaskMemFree(lun.m_szProductRevision);
  CoTaskMemFree(lun.m_szSerialNumber);
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  for (ULONG i = 0; ids.m_rgIdentifiers != nullptr && i < ids.m_cIdentifiers; ++i) {
    CoTaskMemFree(ids.m_rgIdentifiers[i].m_rgbIdentifier);
  }
  CoTaskMemFree(ids.m_rgIdentifiers);
  for (ULONG i = 0; lun.m_rgInterconnects != nullptr && i < lun.m_cInterconnects; ++i) {
    CoTaskMemFree(lun.m_rgInterconnects[i].m_pbPort);
    CoTaskMemFree(lun.m_rgInterconnects[i].m_pbAddress);
  }
  CoTaskMemFree(lun.m_rgInterconnects);
  lun = VDS_LUN_INFORMATION{};
}
