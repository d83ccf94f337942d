#include "tests/installer/installer_fakes.h"

#include <algorithm>

#include "installer/installer_texts.h"
#include "tests/installer/rc_string_table.h"

using platform::MessageAnswer;
using platform::MessageKind;

platform::WindowsVersion NtVersion(unsigned long major, unsigned long minor,
                                   unsigned product_type) {
  platform::WindowsVersion version;
  version.nt_platform = true;
  version.major = major;
  version.minor = minor;
  version.product_type = product_type;
  return version;
}

bool FakeResources::Find(const std::string& type, const std::string& name,
                         platform::ResourceBytes* bytes) {
  const auto found = resources.find({type, name});
  if (found == resources.end() || !loadable) return false;
  bytes->data = found->second.data();
  bytes->size = found->second.size();
  return true;
}

RcStringTable::RcStringTable() : strings(ReadRcStringTable(KOVA_INSTALLER_RC)) {}

bool RcStringTable::Load(unsigned id, std::string* text) {
  const auto found = strings.find(id);
  if (found == strings.end() || missing.count(id) || found->second.empty()) return false;
  *text = found->second;
  return true;
}

MessageAnswer FakeBoxes::Show(MessageKind kind, const std::string& text,
                              const std::string& caption) {
  shown.push_back({kind, text, caption});
  return kind == MessageKind::kQuestion ? question_answer : MessageAnswer::kOk;
}

namespace {

class FakeWritableFile : public platform::WritableFile {
 public:
  FakeWritableFile(FakePackageFiles* files, std::string path) : files_(files), path_(path) {}
  ~FakeWritableFile() override {
    files_->files[path_].open = false;
    if (files_->files_vanish) files_->files.erase(path_);
  }

  bool Write(const uint8_t* data, size_t size, size_t* written) override {
    if (files_->write_fails) return false;
    *written = std::min(size, files_->write_limit);
    std::vector<uint8_t>& bytes = files_->files[path_].bytes;
    bytes.insert(bytes.end(), data, data + *written);
    return true;
  }

 private:
  FakePackageFiles* files_;
  std::string path_;
};

}  // namespace

bool FakePackageFiles::TempFolder(std::string* folder) {
  *folder = temp_folder;
  return temp_readable;
}

bool FakePackageFiles::CurrentFolder(std::string* folder) {
  *folder = current_folder;
  return current_readable;
}

bool FakePackageFiles::JoinPath(const std::string& folder, const std::string& name,
                                std::string* path) {
  if (join_fails || folder.empty()) return false;
  *path = folder.back() == '\\' ? folder + name : folder + "\\" + name;
  return true;
}

void FakePackageFiles::SetArchiveOnly(const std::string& path) {
  const auto found = files.find(path);
  if (found != files.end()) found->second.read_only = false;
}

std::unique_ptr<platform::WritableFile> FakePackageFiles::CreateReplacing(const std::string& path) {
  const size_t separator = path.find_last_of('\\');
  // A bare name is in the current folder.
  const bool folder_exists = separator == std::string::npos ||
                             folders.count(path.substr(0, separator + 1)) ||
                             folders.count(path.substr(0, separator));
  const auto existing = files.find(path);
  if (create_fails || !folder_exists || folders.count(path) ||
      (existing != files.end() && (existing->second.read_only || existing->second.open))) {
    return nullptr;
  }
  File& file = files[path];
  file.bytes.clear();
  file.open = true;
  return std::make_unique<FakeWritableFile>(this, path);
}

platform::DeleteOutcome FakePackageFiles::Delete(const std::string& path) {
  const auto found = files.find(path);
  if (found == files.end()) return platform::DeleteOutcome::kAbsent;
  if (delete_fails || found->second.read_only || found->second.open) {
    return platform::DeleteOutcome::kFailed;
  }
  files.erase(found);
  deleted.push_back(path);
  return platform::DeleteOutcome::kDeleted;
}

bool FakePackageFiles::DeleteAtRestart(const std::string& path) {
  deleted_at_restart.push_back(path);
  return true;
}

bool FakeLauncher::RunAndWait(const std::string& command_line, uint32_t* exit_code) {
  commands.push_back(command_line);
  const Outcome outcome = commands.size() <= outcomes.size() ? outcomes[commands.size() - 1]
                                                             : Outcome{};
  if (outcome.ran && while_running) while_running(command_line);
  *exit_code = outcome.ran ? outcome.exit_code : 0;
  return outcome.ran;
}

int FakeProducts::QueryState(const std::string& product_code) {
  queried.push_back(product_code);
  return state;
}

const std::vector<uint8_t>& FakePackageBytes() {
  static const std::vector<uint8_t> bytes = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1,
                                             'K',  'O',  'V',  'A',  '6',  '4'};
  return bytes;
}

FakeInstallerSystem::FakeInstallerSystem() {
  version.version = NtVersion(6, 3, platform::kProductTypeServer);
  resources.resources[{kPackageResourceType, kPackageResource64}] = FakePackageBytes();
}

InstallerFacilities FakeInstallerSystem::facilities() {
  return InstallerFacilities{version, wow64, resources, strings, boxes, files, launcher, products};
}
