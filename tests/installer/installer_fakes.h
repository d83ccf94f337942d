// Fakes of the installer bootstrapper's facilities: a Windows that reports
// a chosen version, an in-memory file system with failures to inject, a
// Windows Installer that records its command lines, and boxes that record
// what they showed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "installer/installer_facilities.h"

class FakeWindowsVersion : public platform::WindowsVersionSource {
 public:
  platform::WindowsVersion Read() override { return version; }
  platform::WindowsVersion version;
};

// A version as the system would report it.
platform::WindowsVersion NtVersion(unsigned long major, unsigned long minor,
                                   unsigned product_type);

class FakeWow64 : public platform::Wow64State {
 public:
  bool ProcessRunsUnderWow64() override { return wow64; }
  bool wow64 = true;
};

class FakeResources : public platform::EmbeddedResources {
 public:
  bool Find(const std::string& type, const std::string& name,
            platform::ResourceBytes* bytes) override;
  std::map<std::pair<std::string, std::string>, std::vector<uint8_t>> resources;
  bool loadable = true;
};

// The string table of KovaVssInstaller.rc, less the ids in |missing|.
class RcStringTable : public platform::StringResources {
 public:
  RcStringTable();
  bool Load(unsigned id, std::string* text) override;
  std::map<unsigned, std::string> strings;
  std::set<unsigned> missing;
};

class FakeBoxes : public platform::MessageBoxes {
 public:
  struct Shown {
    platform::MessageKind kind;
    std::string text;
    std::string caption;
  };
  platform::MessageAnswer Show(platform::MessageKind kind, const std::string& text,
                               const std::string& caption) override;
  std::vector<Shown> shown;
  platform::MessageAnswer question_answer = platform::MessageAnswer::kYes;
};

// Paths use "\" as Windows does; folders exist when listed in |folders|.
class FakePackageFiles : public platform::PackageFiles {
 public:
  struct File {
    std::vector<uint8_t> bytes;
    bool read_only = false;
    bool open = false;
  };
  bool TempFolder(std::string* folder) override;
  bool CurrentFolder(std::string* folder) override;
  bool IsDirectory(const std::string& path) override { return folders.count(path) > 0; }
  bool IsFile(const std::string& path) override { return files.count(path) > 0; }
  bool JoinPath(const std::string& folder, const std::string& name, std::string* path) override;
  void SetArchiveOnly(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> CreateReplacing(const std::string& path) override;
  platform::DeleteOutcome Delete(const std::string& path) override;
  bool DeleteAtRestart(const std::string& path) override;

  std::string temp_folder = "C:\\Temp\\";
  bool temp_readable = true;
  std::string current_folder = "C:\\Work";
  bool current_readable = true;
  std::set<std::string> folders = {"C:\\Temp\\", "C:\\Work"};
  std::map<std::string, File> files;
  bool join_fails = false;
  bool create_fails = false;
  bool write_fails = false;
  size_t write_limit = static_cast<size_t>(-1);  // a write stops after this many bytes
  bool files_vanish = false;                     // a created file is gone once closed
  bool delete_fails = false;
  std::vector<std::string> deleted;
  std::vector<std::string> deleted_at_restart;
};

class FakeLauncher : public platform::ProcessLauncher {
 public:
  struct Outcome {
    bool ran = true;
    uint32_t exit_code = 0;
  };
  bool RunAndWait(const std::string& command_line, uint32_t* exit_code) override;
  std::vector<std::string> commands;
  // Outcomes in order of the runs; a run beyond them ends with 0.
  std::vector<Outcome> outcomes;
  std::function<void(const std::string&)> while_running;
};

class FakeProducts : public platform::InstalledProducts {
 public:
  int QueryState(const std::string& product_code) override;
  int state = -1;  // INSTALLSTATE_UNKNOWN
  std::vector<std::string> queried;
};

// All fakes, and facilities made of them.
struct FakeInstallerSystem {
  FakeInstallerSystem();
  InstallerFacilities facilities();

  FakeWindowsVersion version;
  FakeWow64 wow64;
  FakeResources resources;
  RcStringTable strings;
  FakeBoxes boxes;
  FakePackageFiles files;
  FakeLauncher launcher;
  FakeProducts products;
};

// The bytes of the fake package resource "PART"/"KOVA64.MSI".
const std::vector<uint8_t>& FakePackageBytes();
