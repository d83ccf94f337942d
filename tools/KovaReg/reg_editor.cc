#include "tools/KovaReg/reg_editor.h"

#include <istream>
#include <memory>
#include <ostream>

#include "tools/KovaReg/reg_help.h"
#include "tools/KovaReg/reg_values.h"

namespace kovareg {
namespace {

using platform::RegistryKey;
using platform::RegistryStatus;

constexpr char kSuccess[] = "The operation completed successfully.\n";
constexpr char kCanceled[] = "The operation was canceled by the user.\n";

// A value's type and bytes, read whole even if it grows between the size
// query and the read.
RegistryStatus ReadValue(RegistryKey& key, const std::string& name, uint32_t* type,
                         std::vector<uint8_t>* data) {
  RegistryStatus status = RegistryStatus::kMoreData;
  for (int attempt = 0; attempt < 3 && status == RegistryStatus::kMoreData; ++attempt) {
    uint32_t size = 0;
    status = key.QueryValue(name, type, nullptr, &size);
    if (status != RegistryStatus::kOk) return status;
    data->resize(size);
    status = key.QueryValue(name, type, data->data(), &size);
    if (status == RegistryStatus::kOk) data->resize(size);
  }
  return status;
}

std::string ShownName(const std::string& value_name) {
  return value_name.empty() ? "(Default)" : value_name;
}

class RegEditor {
 public:
  RegEditor(const RegCommand& command, platform::Registry& registry, std::istream& in,
            std::ostream& out, std::ostream& err)
      : command_(command), registry_(registry), in_(in), out_(out), err_(err) {}

  int Run() {
    switch (command_.operation) {
      case Operation::kQuery: return Query();
      case Operation::kAdd: return Add();
      case Operation::kDelete: return Delete();
      default:
        out_ << UsageText(command_.help_for);
        return 0;
    }
  }

 private:
  int Query();
  int QueryAll(RegistryKey& key, const std::string& path);
  int SearchValue(RegistryKey& key, const std::string& path, int* matches);
  int Add();
  int Delete();
  int DeleteAllValues(RegistryKey& key);

  int Fail(RegistryStatus status) {
    switch (status) {
      case RegistryStatus::kNotFound:
        err_ << "ERROR: The system was unable to find the specified registry key or value.\n";
        break;
      case RegistryStatus::kAccessDenied:
        err_ << "ERROR: Access is denied.\n";
        break;
      default:
        err_ << "ERROR: The registry hive cannot be opened or read.\n";
        break;
    }
    return 1;
  }

  void PrintValue(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
    out_ << "    " << ShownName(name) << "    " << TypeName(type) << "    "
         << FormatData(type, data) << "\n";
  }

  // Asks until the answer starts with Y or N; the end of input is No.
  bool Confirm(const std::string& prompt) {
    for (;;) {
      out_ << prompt << std::flush;
      std::string answer;
      if (!std::getline(in_, answer)) return false;
      const size_t first = answer.find_first_not_of(" \t\r");
      if (first == std::string::npos) continue;
      if (answer[first] == 'y' || answer[first] == 'Y') return true;
      if (answer[first] == 'n' || answer[first] == 'N') return false;
    }
  }

  RegistryStatus Open(std::unique_ptr<RegistryKey>* key) {
    return registry_.OpenKey(command_.root, command_.subkey, key);
  }

  // Opens a key by the name output shows ("HKEY_LOCAL_MACHINE\A\B").
  RegistryStatus OpenShown(const std::string& shown, std::unique_ptr<RegistryKey>* key) {
    const size_t slash = shown.find('\\');
    const std::string path = slash == std::string::npos ? "" : shown.substr(slash + 1);
    return registry_.OpenKey(command_.root, path, key);
  }

  const RegCommand& command_;
  platform::Registry& registry_;
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
};

int RegEditor::Query() {
  std::unique_ptr<RegistryKey> key;
  const RegistryStatus status = Open(&key);
  if (status != RegistryStatus::kOk) return Fail(status);
  if (command_.has_value && command_.recurse) {
    out_ << "\n";
    int matches = 0;
    if (SearchValue(*key, command_.display_name, &matches) != 0) return 1;
    out_ << "End of search: " << matches << " match(es) found.\n";
    return matches > 0 ? 0 : 1;
  }
  if (command_.has_value) {
    uint32_t type = platform::kRegSz;
    std::vector<uint8_t> data;
    const RegistryStatus read = ReadValue(*key, command_.value_name, &type, &data);
    const bool unset_default = read == RegistryStatus::kNotFound && command_.value_name.empty();
    if (read != RegistryStatus::kOk && !unset_default) return Fail(read);
    out_ << "\n" << command_.display_name << "\n";
    if (unset_default) {
      out_ << "    (Default)    REG_SZ    (value not set)\n";
    } else {
      PrintValue(command_.value_name, type, data);
    }
    out_ << "\n";
    return 0;
  }
  out_ << "\n";
  return QueryAll(*key, command_.display_name);
}

// The key's values, then its subkeys: their names, or with /s each subkey
// shown the same way in turn.
int RegEditor::QueryAll(RegistryKey& key, const std::string& path) {
  out_ << path << "\n";
  std::string name;
  uint32_t values = 0;
  RegistryStatus status;
  for (; (status = key.EnumValue(values, &name)) == RegistryStatus::kOk; ++values) {
    uint32_t type = platform::kRegNone;
    std::vector<uint8_t> data;
    const RegistryStatus read = ReadValue(key, name, &type, &data);
    if (read != RegistryStatus::kOk) return Fail(read);
    PrintValue(name, type, data);
  }
  if (status != RegistryStatus::kNoMoreItems) return Fail(status);
  if (values > 0 || command_.recurse) out_ << "\n";
  uint32_t subkeys = 0;
  for (; (status = key.EnumSubKey(subkeys, &name)) == RegistryStatus::kOk; ++subkeys) {
    const std::string subpath = path + "\\" + name;
    if (!command_.recurse) {
      out_ << subpath << "\n";
      continue;
    }
    std::unique_ptr<RegistryKey> subkey;
    const RegistryStatus opened = OpenShown(subpath, &subkey);
    if (opened != RegistryStatus::kOk) return Fail(opened);
    if (QueryAll(*subkey, subpath) != 0) return 1;
  }
  if (status != RegistryStatus::kNoMoreItems) return Fail(status);
  if (subkeys > 0 && !command_.recurse) out_ << "\n";
  return 0;
}

// /s with /v or /ve: every key of the tree that holds the value.
int RegEditor::SearchValue(RegistryKey& key, const std::string& path, int* matches) {
  uint32_t type = platform::kRegNone;
  std::vector<uint8_t> data;
  const RegistryStatus read = ReadValue(key, command_.value_name, &type, &data);
  if (read == RegistryStatus::kOk) {
    out_ << path << "\n";
    PrintValue(command_.value_name, type, data);
    out_ << "\n";
    ++*matches;
  } else if (read != RegistryStatus::kNotFound) {
    return Fail(read);
  }
  std::string name;
  RegistryStatus status;
  for (uint32_t i = 0; (status = key.EnumSubKey(i, &name)) == RegistryStatus::kOk; ++i) {
    const std::string subpath = path + "\\" + name;
    std::unique_ptr<RegistryKey> subkey;
    const RegistryStatus opened = OpenShown(subpath, &subkey);
    if (opened != RegistryStatus::kOk) return Fail(opened);
    if (SearchValue(*subkey, subpath, matches) != 0) return 1;
  }
  return status == RegistryStatus::kNoMoreItems ? 0 : Fail(status);
}

int RegEditor::Add() {
  std::vector<uint8_t> bytes;
  if (command_.has_value && !EncodeData(command_.type, command_.data, &bytes)) {
    err_ << "ERROR: Invalid syntax.\nType \"KovaReg ADD /?\" for usage.\n";
    return 1;
  }
  std::unique_ptr<RegistryKey> key;
  RegistryStatus status = registry_.CreateKey(command_.root, command_.subkey,
                                              platform::KeyProtection::kDefault, &key);
  if (status != RegistryStatus::kOk) return Fail(status);
  if (command_.has_value) {
    uint32_t size = 0;
    status = key->QueryValue(command_.value_name, nullptr, nullptr, &size);
    if (status != RegistryStatus::kOk && status != RegistryStatus::kNotFound) return Fail(status);
    if (status == RegistryStatus::kOk && !command_.force &&
        !Confirm("Value " + ShownName(command_.value_name) + " exists, overwrite(Yes/No)? ")) {
      out_ << kCanceled;
      return 0;
    }
    status = key->SetValue(command_.value_name, command_.type, bytes.data(),
                           static_cast<uint32_t>(bytes.size()));
    if (status != RegistryStatus::kOk) return Fail(status);
  }
  out_ << kSuccess;
  return 0;
}

int RegEditor::Delete() {
  if (!command_.has_value && !command_.all_values && command_.subkey.empty()) {
    err_ << "ERROR: Invalid key name.\nType \"KovaReg DELETE /?\" for usage.\n";
    return 1;
  }
  std::unique_ptr<RegistryKey> key;
  RegistryStatus status = Open(&key);
  if (status != RegistryStatus::kOk) return Fail(status);
  if (command_.all_values) {
    if (!command_.force &&
        !Confirm("Delete all values under the registry key " + command_.display_name +
                 " (Yes/No)? ")) {
      out_ << kCanceled;
      return 0;
    }
    return DeleteAllValues(*key);
  }
  if (command_.has_value) {
    uint32_t size = 0;
    status = key->QueryValue(command_.value_name, nullptr, nullptr, &size);
    if (status != RegistryStatus::kOk) return Fail(status);
    if (!command_.force && !Confirm("Delete the registry value " + ShownName(command_.value_name) +
                                     " (Yes/No)? ")) {
      out_ << kCanceled;
      return 0;
    }
    status = key->DeleteValue(command_.value_name);
  } else {
    key.reset();
    if (!command_.force &&
        !Confirm("Permanently delete the registry key " + command_.display_name +
                 " (Yes/No)? ")) {
      out_ << kCanceled;
      return 0;
    }
    status = registry_.DeleteTree(command_.root, command_.subkey);
  }
  if (status != RegistryStatus::kOk) return Fail(status);
  out_ << kSuccess;
  return 0;
}

int RegEditor::DeleteAllValues(RegistryKey& key) {
  std::vector<std::string> names;
  std::string name;
  RegistryStatus status;
  for (uint32_t i = 0; (status = key.EnumValue(i, &name)) == RegistryStatus::kOk; ++i) {
    names.push_back(name);
  }
  if (status != RegistryStatus::kNoMoreItems) return Fail(status);
  for (const std::string& value : names) {
    status = key.DeleteValue(value);
    if (status != RegistryStatus::kOk && status != RegistryStatus::kNotFound) return Fail(status);
  }
  out_ << kSuccess;
  return 0;
}

}  // namespace

int ExecuteRegCommand(const RegCommand& command, platform::Registry& registry, std::istream& in,
                      std::ostream& out, std::ostream& err) {
  return RegEditor(command, registry, in, out, err).Run();
}

int RunKovaReg(const std::vector<std::string>& args, platform::Registry& registry,
               std::istream& in, std::ostream& out, std::ostream& err) {
  const ParseResult parsed = ParseRegCommand(args);
  if (!parsed.ok) {
    err << parsed.error;
    return 1;
  }
  return ExecuteRegCommand(parsed.command, registry, in, out, err);
}

}  // namespace kovareg
