// The VSS and VDS types, constants and interfaces the provider uses, under
// their Windows names and with their Windows fields. Windows takes them from
// its own headers (vss.h, vsprov.h, vdslun.h); elsewhere they are declared
// here with the same layout and values. Device names (VSS_PWSZ) are UTF-16
// on Windows and UTF-8 elsewhere, like the rest of the system's wide text.
#pragma once

#ifdef _WIN32
// <vdslun.h> holds the VDS LUN types; mingw-w64's <vds.h> declares them a
// second time and cannot be included with it.
#include <objbase.h>
#include <vdslun.h>
#include <vsprov.h>
#include <vss.h>
#else
#include <cstddef>
#include <cstdint>

#include "platform/guid.h"
#include "platform/hresult.h"

typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint64_t ULONGLONG;
typedef int BOOL;
typedef uint8_t BYTE;
typedef GUID IID;
typedef GUID VSS_ID;
typedef const IID& REFIID;
typedef char* VSS_PWSZ;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT VSS_E_PROVIDER_VETO = static_cast<HRESULT>(0x80042306);
constexpr HRESULT VSS_E_OBJECT_NOT_FOUND = static_cast<HRESULT>(0x80042308);
constexpr HRESULT VSS_E_BAD_STATE = static_cast<HRESULT>(0x80042301);

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// --- VSS ------------------------------------------------------------------

enum VSS_SNAPSHOT_STATE {
  VSS_SS_UNKNOWN = 0,
  VSS_SS_PREPARING = 1,
  VSS_SS_PROCESSING_PREPARE = 2,
  VSS_SS_PREPARED = 3,
  VSS_SS_PROCESSING_PRECOMMIT = 4,
  VSS_SS_PRECOMMITTED = 5,
  VSS_SS_PROCESSING_COMMIT = 6,
  VSS_SS_COMMITTED = 7,
  VSS_SS_PROCESSING_POSTCOMMIT = 8,
  VSS_SS_PROCESSING_PREFINALCOMMIT = 9,
  VSS_SS_PREFINALCOMMITTED = 10,
  VSS_SS_PROCESSING_POSTFINALCOMMIT = 11,
  VSS_SS_CREATED = 12,
  VSS_SS_ABORTED = 13,
  VSS_SS_DELETED = 14,
  VSS_SS_POSTCOMMITTED = 15,
  VSS_SS_COUNT = 16,
};

enum VSS_PROVIDER_TYPE {
  VSS_PROV_UNKNOWN = 0,
  VSS_PROV_SYSTEM = 1,
  VSS_PROV_SOFTWARE = 2,
  VSS_PROV_HARDWARE = 3,
  VSS_PROV_FILESHARE = 4,
};

constexpr LONG VSS_VOLSNAP_ATTR_PLEX = 0x00040000;
constexpr DWORD VSS_ONLUNSTATECHANGE_NOTIFY_READ_WRITE = 0x100;
constexpr DWORD VSS_ONLUNSTATECHANGE_NOTIFY_LUN_PRE_RECOVERY = 0x200;
constexpr DWORD VSS_ONLUNSTATECHANGE_NOTIFY_LUN_POST_RECOVERY = 0x400;
constexpr DWORD VSS_ONLUNSTATECHANGE_DO_MASK_LUNS = 0x800;

// --- VDS ------------------------------------------------------------------

constexpr ULONG VER_VDS_LUN_INFORMATION = 1;

enum VDS_STORAGE_BUS_TYPE {
  VDSBusTypeUnknown = 0,
  VDSBusTypeScsi = 0x1,
  VDSBusTypeAtapi = 0x2,
  VDSBusTypeAta = 0x3,
  VDSBusType1394 = 0x4,
  VDSBusTypeSsa = 0x5,
  VDSBusTypeFibre = 0x6,
  VDSBusTypeUsb = 0x7,
  VDSBusTypeRAID = 0x8,
  VDSBusTypeiScsi = 0x9,
  VDSBusTypeSas = 0xa,
  VDSBusTypeSata = 0xb,
  VDSBusTypeSd = 0xc,
  VDSBusTypeMmc = 0xd,
  VDSBusTypeVirtual = 0xe,
  VDSBusTypeFileBackedVirtual = 0xf,
  VDSBusTypeSpaces = 0x10,
  VDSBusTypeNVMe = 0x11,
  VDSBusTypeScm = 0x12,
  VDSBusTypeUfs = 0x13,
  VDSBusTypeMaxReserved = 0x7f,
};

enum VDS_STORAGE_IDENTIFIER_CODE_SET {
  VDSStorageIdCodeSetReserved = 0,
  VDSStorageIdCodeSetBinary = 1,
  VDSStorageIdCodeSetAscii = 2,
  VDSStorageIdCodeSetUtf8 = 3,
};

enum VDS_STORAGE_IDENTIFIER_TYPE {
  VDSStorageIdTypeVendorSpecific = 0,
  VDSStorageIdTypeVendorId = 1,
  VDSStorageIdTypeEUI64 = 2,
  VDSStorageIdTypeFCPHName = 3,
  VDSStorageIdTypePortRelative = 4,
  VDSStorageIdTypeTargetPortGroup = 5,
  VDSStorageIdTypeLogicalUnitGroup = 6,
  VDSStorageIdTypeMD5LogicalUnitIdentifier = 7,
  VDSStorageIdTypeScsiNameString = 8,
};

enum VDS_INTERCONNECT_ADDRESS_TYPE {
  VDS_IA_UNKNOWN = 0,
  VDS_IA_FCFS = 1,
  VDS_IA_FCPH = 2,
  VDS_IA_FCPH3 = 3,
  VDS_IA_MAC = 4,
  VDS_IA_SCSI = 5,
};

struct VDS_STORAGE_IDENTIFIER {
  VDS_STORAGE_IDENTIFIER_CODE_SET m_CodeSet;
  VDS_STORAGE_IDENTIFIER_TYPE m_Type;
  ULONG m_cbIdentifier;
  BYTE* m_rgbIdentifier;
};

struct VDS_STORAGE_DEVICE_ID_DESCRIPTOR {
  ULONG m_version;
  ULONG m_cIdentifiers;
  VDS_STORAGE_IDENTIFIER* m_rgIdentifiers;
};

struct VDS_INTERCONNECT {
  VDS_INTERCONNECT_ADDRESS_TYPE m_addressType;
  ULONG m_cbPort;
  BYTE* m_pbPort;
  ULONG m_cbAddress;
  BYTE* m_pbAddress;
};

struct VDS_LUN_INFORMATION {
  ULONG m_version;
  BYTE m_DeviceType;
  BYTE m_DeviceTypeModifier;
  BOOL m_bCommandQueueing;
  VDS_STORAGE_BUS_TYPE m_BusType;
  char* m_szVendorId;
  char* m_szProductId;
  char* m_szProductRevision;
  char* m_szSerialNumber;
  GUID m_diskSignature;
  VDS_STORAGE_DEVICE_ID_DESCRIPTOR m_deviceIdDescriptor;
  ULONG m_cInterconnects;
  VDS_INTERCONNECT* m_rgInterconnects;
};

// --- COM ------------------------------------------------------------------

// Task memory: what the provider hands to VSS and VSS frees.
void* CoTaskMemAlloc(size_t size);
void CoTaskMemFree(void* memory);

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IVssAsync : IUnknown {
  virtual HRESULT Cancel() = 0;
  virtual HRESULT Wait(DWORD milliseconds = 0xFFFFFFFF) = 0;
  virtual HRESULT QueryStatus(HRESULT* status, int* reserved) = 0;
};

struct IVssHardwareSnapshotProvider : IUnknown {
  virtual HRESULT AreLunsSupported(LONG lun_count, LONG context, VSS_PWSZ* devices,
                                   VDS_LUN_INFORMATION* luns, BOOL* is_supported) = 0;
  virtual HRESULT FillInLunInfo(VSS_PWSZ device, VDS_LUN_INFORMATION* lun,
                                BOOL* is_supported) = 0;
  virtual HRESULT BeginPrepareSnapshot(VSS_ID snapshot_set_id, VSS_ID snapshot_id, LONG context,
                                       LONG lun_count, VSS_PWSZ* devices,
                                       VDS_LUN_INFORMATION* luns) = 0;
  virtual HRESULT GetTargetLuns(LONG lun_count, VSS_PWSZ* devices,
                                VDS_LUN_INFORMATION* source_luns,
                                VDS_LUN_INFORMATION* destination_luns) = 0;
  virtual HRESULT LocateLuns(LONG lun_count, VDS_LUN_INFORMATION* source_luns) = 0;
  virtual HRESULT OnLunEmpty(VSS_PWSZ device, VDS_LUN_INFORMATION* lun) = 0;
};

struct IVssHardwareSnapshotProviderEx : IVssHardwareSnapshotProvider {
  virtual HRESULT GetProviderCapabilities(ULONGLONG* original_capability_mask) = 0;
  virtual HRESULT OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns,
                                   VDS_LUN_INFORMATION* original_luns, DWORD count,
                                   DWORD flags) = 0;
  virtual HRESULT ResyncLuns(VDS_LUN_INFORMATION* source_luns, VDS_LUN_INFORMATION* target_luns,
                             DWORD count, IVssAsync** async) = 0;
  virtual HRESULT OnReuseLuns(VDS_LUN_INFORMATION* snapshot_luns,
                              VDS_LUN_INFORMATION* original_luns, DWORD count) = 0;
};

struct IVssProviderCreateSnapshotSet : IUnknown {
  virtual HRESULT EndPrepareSnapshots(VSS_ID snapshot_set_id) = 0;
  virtual HRESULT PreCommitSnapshots(VSS_ID snapshot_set_id) = 0;
  virtual HRESULT CommitSnapshots(VSS_ID snapshot_set_id) = 0;
  virtual HRESULT PostCommitSnapshots(VSS_ID snapshot_set_id, LONG snapshots_count) = 0;
  virtual HRESULT PreFinalCommitSnapshots(VSS_ID snapshot_set_id) = 0;
  virtual HRESULT PostFinalCommitSnapshots(VSS_ID snapshot_set_id) = 0;
  virtual HRESULT AbortSnapshots(VSS_ID snapshot_set_id) = 0;
};

struct IVssProviderNotifications : IUnknown {
  virtual HRESULT OnLoad(IUnknown* callback) = 0;
  virtual HRESULT OnUnload(BOOL force_unload) = 0;
};

// Interface identifiers, as Windows defines them.
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IVssHardwareSnapshotProvider = {
    0x9593A157, 0x44E9, 0x4344, {0xBB, 0xEB, 0x44, 0xFB, 0xF9, 0xB0, 0x6B, 0x10}};
inline constexpr IID IID_IVssHardwareSnapshotProviderEx = {
    0x7F5BA925, 0xCDB1, 0x4D11, {0xA7, 0x1F, 0x33, 0x9E, 0xB7, 0xE7, 0x09, 0xFD}};
inline constexpr IID IID_IVssProviderCreateSnapshotSet = {
    0x5F894E5B, 0x1E39, 0x4778, {0x8E, 0x23, 0x9A, 0xBA, 0xD9, 0xF0, 0xE0, 0x8C}};
inline constexpr IID IID_IVssProviderNotifications = {
    0xE561901F, 0x03A5, 0x4AFE, {0x86, 0xD0, 0x72, 0xBA, 0xEE, 0xCE, 0x70, 0x04}};
#endif  // _WIN32
