#include "tools/KovaVssShadow/lun_arguments.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "library/text/text_conversion.h"
#include "provider/lun/lun_record.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

bool ReadWholeFile(const std::string& path, std::string* text, std::string* error) {
  std::error_code code;
  const std::filesystem::file_status status = std::filesystem::status(path, code);
  if (!std::filesystem::exists(status)) return *error = "cannot read " + path + ": no such file", false;
  if (std::filesystem::is_directory(status)) return *error = "cannot read " + path + ": is a directory", false;
  const uintmax_t size = std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path, code) : 0;
  if (size > kMaxLunFileBytes) return *error = "cannot read " + path + ": larger than 16 MiB", false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return *error = "cannot read " + path + ": cannot open it", false;
  // Read in pieces up to the limit: a FIFO or a device has no size to check first.
  text->clear();
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text->append(chunk, static_cast<size_t>(in.gcount()));
    if (text->size() > kMaxLunFileBytes) return *error = "cannot read " + path + ": larger than 16 MiB", false;
  }
  if (in.bad()) return *error = "cannot read " + path + ": read error", false;
  return true;
}

bool LoadOne(const std::string& arg, const LunDeviceReader& reader, LunRecordArray* luns,
             std::string* error) {
  if (!arg.empty() && arg[0] == '@') {
    const std::string path = arg.substr(1);
    std::string text;
    if (!ReadWholeFile(path, &text, error)) return false;
    std::string reason;
    if (!ParseLunRecords(text, luns, &reason)) return *error = path + ": " + reason, false;
    return true;
  }
  if (arg.empty()) return *error = "an empty LUN argument", false;
  VDS_LUN_INFORMATION lun{};
  std::string reason;
  if (!reader || !reader(arg, &lun, &reason)) {
    FreeLunInformation(lun);
    if (reason.empty()) reason = "cannot read the device's LUN information";
    // The device reader's messages usually name the device already.
    return *error = reason.find(arg) == std::string::npos ? arg + ": " + reason : reason, false;
  }
  try {
    luns->Append(&lun, kova::TextOfUtf8(arg));
  } catch (...) {
    FreeLunInformation(lun);
    throw;
  }
  return true;
}

}  // namespace

bool LoadLunArguments(const std::vector<std::string>& args, const LunDeviceReader& reader,
                      LunRecordArray* luns, std::string* error) {
  LunRecordArray loaded;
  for (const std::string& arg : args) {
    if (!LoadOne(arg, reader, &loaded, error)) return false;
  }
  luns->Append(std::move(loaded));
  return true;
}

bool LoadSingleLunArguments(const std::vector<std::string>& args, const LunDeviceReader& reader,
                            std::vector<LunRecordArray>* records, std::string* error) {
  std::vector<LunRecordArray> loaded;
  for (const std::string& arg : args) {
    LunRecordArray one;
    if (!LoadOne(arg, reader, &one, error)) return false;
    if (one.size() != 1) {
      *error = arg + ": holds " + std::to_string(one.size()) + " LUN records where one is needed";
      return false;
    }
    loaded.push_back(std::move(one));
  }
  for (LunRecordArray& one : loaded) records->push_back(std::move(one));
  return true;
}
