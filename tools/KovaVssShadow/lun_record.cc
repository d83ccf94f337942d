#include "tools/KovaVssShadow/lun_record.h"

#include <cstring>
#include <new>

namespace {

template <typename T>
T* TaskMemoryArray(size_t count) {
  void* block = CoTaskMemAlloc(count * sizeof(T));
  if (block == nullptr) throw std::bad_alloc();
  std::memset(block, 0, count * sizeof(T));
  return static_cast<T*>(block);
}

template <typename T>
void FreeAndNull(T*& pointer) {
  CoTaskMemFree(pointer);
  pointer = nullptr;
}

BYTE* CopyBytes(const BYTE* bytes, ULONG size, ULONG* copied_size) {
  *copied_size = 0;
  if (bytes == nullptr || size == 0) return nullptr;
  BYTE* copy = TaskMemoryArray<BYTE>(size);
  std::memcpy(copy, bytes, size);
  *copied_size = size;
  return copy;
}

char* CopyString(const char* text) { return text == nullptr ? nullptr : TaskMemoryString(text); }

void CopyIdentifiers(const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& source,
                     VDS_STORAGE_DEVICE_ID_DESCRIPTOR* copy) {
  copy->m_version = source.m_version;
  if (source.m_rgIdentifiers == nullptr) return;
  copy->m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(source.m_cIdentifiers);
  copy->m_cIdentifiers = source.m_cIdentifiers;
  for (ULONG i = 0; i < source.m_cIdentifiers; ++i) {
    const VDS_STORAGE_IDENTIFIER& from = source.m_rgIdentifiers[i];
    VDS_STORAGE_IDENTIFIER& to = copy->m_rgIdentifiers[i];
    to.m_CodeSet = from.m_CodeSet;
    to.m_Type = from.m_Type;
    to.m_rgbIdentifier = CopyBytes(from.m_rgbIdentifier, from.m_cbIdentifier, &to.m_cbIdentifier);
  }
}

void CopyInterconnects(const VDS_LUN_INFORMATION& source, VDS_LUN_INFORMATION* copy) {
  if (source.m_rgInterconnects == nullptr) return;
  copy->m_rgInterconnects = TaskMemoryArray<VDS_INTERCONNECT>(source.m_cInterconnects);
  copy->m_cInterconnects = source.m_cInterconnects;
  for (ULONG i = 0; i < source.m_cInterconnects; ++i) {
    const VDS_INTERCONNECT& from = source.m_rgInterconnects[i];
    VDS_INTERCONNECT& to = copy->m_rgInterconnects[i];
    to.m_addressType = from.m_addressType;
    to.m_pbPort = CopyBytes(from.m_pbPort, from.m_cbPort, &to.m_cbPort);
    to.m_pbAddress = CopyBytes(from.m_pbAddress, from.m_cbAddress, &to.m_cbAddress);
  }
}

}  // namespace

char* TaskMemoryString(const std::string& text) {
  char* copy = TaskMemoryArray<char>(text.size() + 1);
  std::memcpy(copy, text.data(), text.size());
  return copy;
}

BYTE* TaskMemoryBytes(const std::vector<uint8_t>& bytes) {
  ULONG size = 0;
  return CopyBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &size);
}

void FreeLunFields(VDS_LUN_INFORMATION* record) {
  FreeAndNull(record->m_szVendorId);
  FreeAndNull(record->m_szProductId);
  FreeAndNull(record->m_szProductRevision);
  FreeAndNull(record->m_szSerialNumber);
  VDS_STORAGE_DEVICE_ID_DESCRIPTOR& descriptor = record->m_deviceIdDescriptor;
  for (ULONG i = 0; descriptor.m_rgIdentifiers != nullptr && i < descriptor.m_cIdentifiers; ++i) {
    FreeAndNull(descriptor.m_rgIdentifiers[i].m_rgbIdentifier);
  }
  FreeAndNull(descriptor.m_rgIdentifiers);
  descriptor.m_cIdentifiers = 0;
  for (ULONG i = 0; record->m_rgInterconnects != nullptr && i < record->m_cInterconnects; ++i) {
    FreeAndNull(record->m_rgInterconnects[i].m_pbPort);
    FreeAndNull(record->m_rgInterconnects[i].m_pbAddress);
  }
  FreeAndNull(record->m_rgInterconnects);
  record->m_cInterconnects = 0;
}

void CopyLunRecord(const VDS_LUN_INFORMATION& source, VDS_LUN_INFORMATION* copy) {
  VDS_LUN_INFORMATION built{};
  built.m_version = source.m_version;
  built.m_DeviceType = source.m_DeviceType;
  built.m_DeviceTypeModifier = source.m_DeviceTypeModifier;
  built.m_bCommandQueueing = source.m_bCommandQueueing;
  built.m_BusType = source.m_BusType;
  built.m_diskSignature = source.m_diskSignature;
  try {
    built.m_szVendorId = CopyString(source.m_szVendorId);
    built.m_szProductId = CopyString(source.m_szProductId);
    built.m_szProductRevision = CopyString(source.m_szProductRevision);
    built.m_szSerialNumber = CopyString(source.m_szSerialNumber);
    CopyIdentifiers(source.m_deviceIdDescriptor, &built.m_deviceIdDescriptor);
    CopyInterconnects(source, &built);
  } catch (const std::bad_alloc&) {
    FreeLunFields(&built);
    throw;
  }
  *copy = built;
}
