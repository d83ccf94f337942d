// LUN information records as VSS hands them to the provider, built for
// tests: the KOVA vendor and product fields, a serial, and optionally the
// vendor-specific identifier that carries the volume's name.
#pragma once

#include <string>
#include <vector>

#include "platform/vss_compat.h"

struct LunSpec {
  std::string serial;
  std::string volume_name;  // the vendor-specific identifier; none when empty
  std::string vendor = "KOVA    ";
  std::string product = "Lumenstack      ";
  std::string revision = "8888";
  VDS_STORAGE_IDENTIFIER_CODE_SET name_code_set = VDSStorageIdCodeSetAscii;
  VDS_STORAGE_BUS_TYPE bus_type = VDSBusTypeiScsi;
  bool with_identifier_list = true;  // false: no identifier list at all
  bool with_interconnect = false;    // one iSCSI interconnect with port and address
};

// A contiguous array of records (the shape VSS passes) with their device
// names, all allocated with CoTaskMemAlloc and freed on destruction.
class LunRecordSet {
 public:
  LunRecordSet() = default;
  explicit LunRecordSet(const std::vector<LunSpec>& specs);
  ~LunRecordSet();
  LunRecordSet(const LunRecordSet&) = delete;
  LunRecordSet& operator=(const LunRecordSet&) = delete;

  // Appends a record; pointers from Records() and Devices() change.
  void Add(const LunSpec& wanted, const std::string& device = "");
  void Add(const std::string& serial, const std::string& volume_name = "");
  // |count| zeroed records, as VSS passes target records.
  void AddEmpty(size_t count);

  VDS_LUN_INFORMATION* Records() { return records_.empty() ? nullptr : records_.data(); }
  VDS_LUN_INFORMATION& operator[](size_t index) { return records_.at(index); }
  // Device names, null where none was given.
  VSS_PWSZ* Devices() { return devices_.empty() ? nullptr : devices_.data(); }
  LONG Count() const { return static_cast<LONG>(records_.size()); }

 private:
  std::vector<VDS_LUN_INFORMATION> records_;
  std::vector<VSS_PWSZ> devices_;
};

// A record made from |wanted| with task memory; release it with
// ReleaseLunRecord (which also frees what a provider put into it).
VDS_LUN_INFORMATION MakeLunRecord(const LunSpec& wanted);
void ReleaseLunRecord(VDS_LUN_INFORMATION& lun);

// The text of identifier |index| (its bytes, without a trailing NUL).
std::string IdentifierText(const VDS_LUN_INFORMATION& lun, ULONG index);
