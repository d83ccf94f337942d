/* The memory layout of the VDS LUN records as a list of sizes and field
 * offsets, for C and C++: the proxy/stub's records (KovaVssProxy.h) and
 * those of the Windows headers the programs use (<vdslun.h>) must agree.
 * KOVA_RECORD_TYPES(X) calls X(type); KOVA_RECORD_FIELDS(X) X(type, field). */
#ifndef KOVA_RECORD_LAYOUT_H
#define KOVA_RECORD_LAYOUT_H

#include <stddef.h>

#define KOVA_RECORD_TYPES(X) \
  X(VDS_STORAGE_IDENTIFIER) X(VDS_STORAGE_DEVICE_ID_DESCRIPTOR) X(VDS_INTERCONNECT) X(VDS_LUN_INFORMATION)

#define KOVA_RECORD_FIELDS(X) \
  X(VDS_STORAGE_IDENTIFIER, m_CodeSet) X(VDS_STORAGE_IDENTIFIER, m_Type) \
  X(VDS_STORAGE_IDENTIFIER, m_cbIdentifier) X(VDS_STORAGE_IDENTIFIER, m_rgbIdentifier) \
  X(VDS_STORAGE_DEVICE_ID_DESCRIPTOR, m_version) X(VDS_STORAGE_DEVICE_ID_DESCRIPTOR, m_cIdentifiers) \
  X(VDS_STORAGE_DEVICE_ID_DESCRIPTOR, m_rgIdentifiers) \
  X(VDS_INTERCONNECT, m_addressType) X(VDS_INTERCONNECT, m_cbPort) X(VDS_INTERCONNECT, m_pbPort) \
  X(VDS_INTERCONNECT, m_cbAddress) X(VDS_INTERCONNECT, m_pbAddress) \
  X(VDS_LUN_INFORMATION, m_version) X(VDS_LUN_INFORMATION, m_DeviceType) \
  X(VDS_LUN_INFORMATION, m_DeviceTypeModifier) X(VDS_LUN_INFORMATION, m_bCommandQueueing) \
  X(VDS_LUN_INFORMATION, m_BusType) X(VDS_LUN_INFORMATION, m_szVendorId) \
  X(VDS_LUN_INFORMATION, m_szProductId) X(VDS_LUN_INFORMATION, m_szProductRevision) \
  X(VDS_LUN_INFORMATION, m_szSerialNumber) X(VDS_LUN_INFORMATION, m_diskSignature) \
  X(VDS_LUN_INFORMATION, m_deviceIdDescriptor) X(VDS_LUN_INFORMATION, m_cInterconnects) \
  X(VDS_LUN_INFORMATION, m_rgInterconnects)

#define KOVA_RECORD_SIZE(type) sizeof(type),
#define KOVA_RECORD_OFFSET(type, field) offsetof(type, field),

#ifdef __cplusplus
extern "C" {
#endif
/* The proxy/stub's layout: the sizes of KOVA_RECORD_TYPES, then the
 * offsets of KOVA_RECORD_FIELDS, kova_proxy_record_layout_count in all. */
extern const size_t kova_proxy_record_layout[];
extern const size_t kova_proxy_record_layout_count;
#ifdef __cplusplus
}
#endif

#endif
