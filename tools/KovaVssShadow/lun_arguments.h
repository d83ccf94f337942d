// LUN arguments of the command line and of scripts: "@FILE" names a JSON
// file of LUN records (lun_json.h); any other argument is a block device
// whose record the device reader supplies.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/vss_compat.h"
#include "provider/lun/lun_record_array.h"

// Fills |lun| (zeroed on entry) with the record of |device| in task memory;
// false with |error| when the device cannot be read.
using LunDeviceReader =
    std::function<bool(const std::string& device, VDS_LUN_INFORMATION* lun, std::string* error)>;

// Files larger than this are refused rather than read.
inline constexpr size_t kMaxLunFileBytes = 16 * 1024 * 1024;

// Appends the records of every argument, in order, to |luns|. False, with
// |luns| unchanged and |error| naming the argument ("luns.json: [0].serial:
// not a JSON string", "cannot read missing.json: no such file"), for the
// first argument that cannot be read.
bool LoadLunArguments(const std::vector<std::string>& args, const LunDeviceReader& reader,
                      LunRecordArray* luns, std::string* error);

// Each argument as exactly one record: |records| gets one per argument.
// False when an argument cannot be read or holds another number of records.
bool LoadSingleLunArguments(const std::vector<std::string>& args, const LunDeviceReader& reader,
                            std::vector<LunRecordArray>* records, std::string* error);
