// What the provider benchmarks share: a private state folder, arrays in
// the machine registry the way the configuration tool stores them, and LUN
// records for emulated volumes.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "provider/lun/lun_record_array.h"

// Makes a new folder under the temporary folder and points KOVA_STATE_DIR
// and ALLUSERSPROFILE (machine key, log) at it.
std::filesystem::path MakeBenchStateFolder(const std::string& prefix);

// Writes "RestVersion" 1.1 and the array key |name| with its "URL" and
// protected "APIKey" into the machine registry. Throws std::runtime_error
// when the token cannot be protected.
void ConfigureBenchArray(const std::string& name, const std::string& url, const std::string& token);

// The records this host's disks would give for the volumes (name, serial).
LunRecordArray BenchVolumeLuns(const std::vector<std::pair<std::string, std::string>>& volumes);
