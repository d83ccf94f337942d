// LUN information records as VSS hands them to the provider, built for
// tests: the KOVA vendor and product fields, a serial, and optionally the
// vendor-specific identifier that carries the volume's name.
#pragma once

#include <string>
#include <vector>

#include "platform/vss_compat.h"
#include "provider/lun/lun_record.h"
#include "provider/lun/lun_record_array.h"

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

// A record made from |wanted| in task memory; release it with
// FreeLunInformation (which also frees what a provider put into it).
VDS_LUN_INFORMATION MakeLunRecord(const LunSpec& wanted);

// Appends the record of |wanted| with the device name |device|; an empty
// |device| gives the record no device name (a null pointer).
void AddLun(LunRecordArray& luns, const LunSpec& wanted, const std::string& device = "");
void AddLun(LunRecordArray& luns, const std::string& serial, const std::string& volume_name = "");
// Appends |count| zeroed records without device names, as VSS passes
// target records.
void AddEmptyLuns(LunRecordArray& luns, size_t count);
// One record for each wanted LUN, without device names.
LunRecordArray MakeLunRecords(const std::vector<LunSpec>& wanted);

// The text of identifier |index| (its bytes, without a trailing NUL).
std::string IdentifierText(const VDS_LUN_INFORMATION& lun, ULONG index);
