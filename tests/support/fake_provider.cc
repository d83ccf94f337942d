#include "tests/support/fake_provider.h"

#include "library/text/text_conversion.h"
#include "provider/lun/lun_record.h"
#include "provider/lun/lun_record_array.h"

namespace {

VDS_STORAGE_IDENTIFIER AsciiIdentifier(VDS_STORAGE_IDENTIFIER_TYPE type, const std::string& text) {
  VDS_STORAGE_IDENTIFIER identifier{};
  identifier.m_CodeSet = VDSStorageIdCodeSetAscii;
  identifier.m_Type = type;
  identifier.m_cbIdentifier = static_cast<ULONG>(text.size() + 1);
  identifier.m_rgbIdentifier = reinterpret_cast<BYTE*>(TaskMemoryString(text));
  return identifier;
}

// A target record as a provider describes a snapshot LUN.
void FillTarget(const VDS_LUN_INFORMATION& source, VDS_LUN_INFORMATION* target) {
  const std::string serial = FakeProvider::SnapshotSerial(source.m_szSerialNumber ? source.m_szSerialNumber : "");
  target->m_version = VER_VDS_LUN_INFORMATION;
  target->m_BusType = source.m_BusType;
  target->m_szVendorId = TaskMemoryString(source.m_szVendorId ? source.m_szVendorId : "");
  target->m_szProductId = TaskMemoryString(source.m_szProductId ? source.m_szProductId : "");
  target->m_szProductRevision = TaskMemoryString(source.m_szProductRevision ? source.m_szProductRevision : "");
  target->m_szSerialNumber = TaskMemoryString(serial);
  target->m_deviceIdDescriptor.m_version = VER_VDS_LUN_INFORMATION;
  target->m_deviceIdDescriptor.m_cIdentifiers = 2;
  target->m_deviceIdDescriptor.m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(2);
  target->m_deviceIdDescriptor.m_rgIdentifiers[0] =
      AsciiIdentifier(VDSStorageIdTypeVendorId, "KOVA    Lumenstack:" + serial);
  target->m_deviceIdDescriptor.m_rgIdentifiers[1] = AsciiIdentifier(VDSStorageIdTypeVendorSpecific, "snap-" + serial);
}

std::vector<std::string> Serials(const VDS_LUN_INFORMATION* luns, size_t count) {
  std::vector<std::string> serials;
  for (size_t i = 0; luns != nullptr && i < count; ++i) {
    serials.push_back(luns[i].m_szSerialNumber ? luns[i].m_szSerialNumber : "(null)");
  }
  return serials;
}

}  // namespace

std::vector<std::string> FakeProvider::Methods() const {
  std::vector<std::string> methods;
  for (const FakeCall& call : calls) methods.push_back(call.method);
  return methods;
}

const FakeCall* FakeProvider::Find(const std::string& method) const {
  for (const FakeCall& call : calls) {
    if (call.method == method) return &call;
  }
  return nullptr;
}

HRESULT FakeProvider::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IVssHardwareSnapshotProviderEx || iid == IID_IVssHardwareSnapshotProvider) {
    *object = static_cast<IVssHardwareSnapshotProviderEx*>(this);
  } else if (iid == IID_IVssProviderCreateSnapshotSet) {
    *object = static_cast<IVssProviderCreateSnapshotSet*>(this);
  } else if (iid == IID_IVssProviderNotifications) {
    *object = static_cast<IVssProviderNotifications*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT FakeProvider::Record(FakeCall call) {
  const auto answer = results.find(call.method);
  calls.push_back(std::move(call));
  return answer == results.end() ? S_OK : answer->second;
}

FakeCall FakeProvider::LunCall(const std::string& method, LONG count, VSS_PWSZ* devices,
                               const VDS_LUN_INFORMATION* luns) {
  FakeCall call;
  call.method = method;
  call.count = count;
  call.serials = Serials(luns, static_cast<size_t>(count));
  for (LONG i = 0; devices != nullptr && i < count; ++i) {
    call.devices.push_back(devices[i] ? kova::Utf8OfText(LunDeviceName(devices[i])) : "(null)");
  }
  return call;
}

HRESULT FakeProvider::SetCall(const std::string& method, const GUID& set_id) {
  FakeCall call;
  call.method = method;
  call.set_id = set_id;
  return Record(call);
}

HRESULT FakeProvider::AreLunsSupported(LONG lun_count, LONG context, VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns,
                                       BOOL* is_supported) {
  FakeCall call = LunCall("AreLunsSupported", lun_count, devices, luns);
  call.context = context;
  *is_supported = supported;
  return Record(call);
}

HRESULT FakeProvider::FillInLunInfo(VSS_PWSZ device, VDS_LUN_INFORMATION* lun, BOOL* is_supported) {
  *is_supported = supported;
  return Record(LunCall("FillInLunInfo", 1, &device, lun));
}

HRESULT FakeProvider::BeginPrepareSnapshot(VSS_ID snapshot_set_id, VSS_ID snapshot_id, LONG context, LONG lun_count,
                                           VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns) {
  FakeCall call = LunCall("BeginPrepareSnapshot", lun_count, devices, luns);
  call.set_id = snapshot_set_id;
  call.snapshot_id = snapshot_id;
  call.context = context;
  return Record(call);
}

HRESULT FakeProvider::GetTargetLuns(LONG lun_count, VSS_PWSZ* devices, VDS_LUN_INFORMATION* source_luns,
                                    VDS_LUN_INFORMATION* destination_luns) {
  const HRESULT result = Record(LunCall("GetTargetLuns", lun_count, devices, source_luns));
  // A failing provider may leave records filled before the failure for VSS to free.
  const LONG filled = FAILED(result) ? (lun_count > 0 ? 1 : 0) : lun_count;
  for (LONG i = 0; i < filled; ++i) FillTarget(source_luns[i], &destination_luns[i]);
  return result;
}

HRESULT FakeProvider::LocateLuns(LONG lun_count, VDS_LUN_INFORMATION* source_luns) {
  return Record(LunCall("LocateLuns", lun_count, nullptr, source_luns));
}

HRESULT FakeProvider::OnLunEmpty(VSS_PWSZ device, VDS_LUN_INFORMATION* lun) {
  return Record(LunCall("OnLunEmpty", 1, &device, lun));
}

HRESULT FakeProvider::GetProviderCapabilities(ULONGLONG* original_capability_mask) {
  *original_capability_mask = 0x123;
  FakeCall call;
  call.method = "GetProviderCapabilities";
  return Record(call);
}

HRESULT FakeProvider::OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns,
                                       DWORD count, DWORD flags) {
  FakeCall call = LunCall("OnLunStateChange", static_cast<LONG>(count), nullptr, snapshot_luns);
  call.flags = flags;
  call.originals_given = original_luns != nullptr;
  return Record(call);
}

HRESULT FakeProvider::ResyncLuns(VDS_LUN_INFORMATION* source_luns, VDS_LUN_INFORMATION* target_luns, DWORD count,
                                 IVssAsync** async) {
  FakeCall call = LunCall("ResyncLuns", static_cast<LONG>(count), nullptr, source_luns);
  call.targets = Serials(target_luns, count);
  (void)async;
  return Record(call);
}

HRESULT FakeProvider::OnReuseLuns(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns,
                                  DWORD count) {
  FakeCall call = LunCall("OnReuseLuns", static_cast<LONG>(count), nullptr, snapshot_luns);
  call.originals_given = original_luns != nullptr;
  return Record(call);
}

HRESULT FakeProvider::EndPrepareSnapshots(VSS_ID id) { return SetCall("EndPrepareSnapshots", id); }
HRESULT FakeProvider::PreCommitSnapshots(VSS_ID id) { return SetCall("PreCommitSnapshots", id); }
HRESULT FakeProvider::CommitSnapshots(VSS_ID id) { return SetCall("CommitSnapshots", id); }
HRESULT FakeProvider::PreFinalCommitSnapshots(VSS_ID id) { return SetCall("PreFinalCommitSnapshots", id); }
HRESULT FakeProvider::PostFinalCommitSnapshots(VSS_ID id) { return SetCall("PostFinalCommitSnapshots", id); }
HRESULT FakeProvider::AbortSnapshots(VSS_ID id) { return SetCall("AbortSnapshots", id); }

HRESULT FakeProvider::PostCommitSnapshots(VSS_ID snapshot_set_id, LONG snapshots_count) {
  FakeCall call;
  call.method = "PostCommitSnapshots";
  call.set_id = snapshot_set_id;
  call.count = snapshots_count;
  return Record(call);
}

HRESULT FakeProvider::OnLoad(IUnknown* callback) {
  FakeCall call;
  call.method = "OnLoad";
  return Record(call);
}

HRESULT FakeProvider::OnUnload(BOOL force_unload) {
  FakeCall call;
  call.method = "OnUnload";
  call.force = force_unload;
  return Record(call);
}
