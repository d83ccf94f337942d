#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/host_files.h"
#include "platform/initiator_name_text.h"
#include "platform/management_query.h"

namespace platform {
namespace {

constexpr size_t kMaxFileBytes = 64 * 1024;
constexpr char kLocalNamespace[] = "root\\wmi";
constexpr char kIscsiClass[] = "MSiSCSIInitiator_MethodClass";
constexpr char kFcPortClass[] = "MSFC_FibrePortHBAAttributes";
constexpr char kFcAttributesClass[] = "MSFC_HBAPortAttributesResults";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool ReadSmallFile(const std::filesystem::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes(kMaxFileBytes, '\0');
  in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return false;
  bytes.resize(static_cast<size_t>(in.gcount()));
  *text = std::move(bytes);
  return true;
}

struct Instance;

struct Property {
  std::string name;
  uint16_t type = kVtNull;
  std::string text;
  std::vector<uint8_t> bytes;
  std::shared_ptr<const Instance> embedded;
};

struct Instance {
  std::string class_name;
  std::vector<Property> properties;
};

std::string RenderValue(const Property& property);

std::string RenderInstance(const Instance& instance) {
  std::ostringstream text;
  text << "\ninstance of " << instance.class_name << "\n{\n";
  for (const Property& property : instance.properties) {
    text << "\t" << property.name << " = " << RenderValue(property) << ";\n";
  }
  text << "};\n";
  return text.str();
}

std::string RenderValue(const Property& property) {
  switch (property.type) {
    case kVtBstr:
      return "\"" + property.text + "\"";
    case kVtUi1 | kVtArray: {
      std::string list;
      for (uint8_t byte : property.bytes) list += (list.empty() ? "" : ", ") + std::to_string(byte);
      return "{" + list + "}";
    }
    case kVtUnknown:
      return property.embedded ? RenderInstance(*property.embedded) : "NULL";
    default:
      return "NULL";
  }
}

class InstanceObject : public ManagementObject {
 public:
  explicit InstanceObject(std::shared_ptr<const Instance> instance)
      : instance_(std::move(instance)) {}

  HRESULT Get(const std::string& name, ManagementValue* value) override {
    *value = ManagementValue{};
    for (const Property& property : instance_->properties) {
      if (Lower(property.name) != Lower(name)) continue;
      value->type = property.type;
      value->text = property.text;
      value->bytes = property.bytes;
      if (property.embedded) value->object = std::make_unique<InstanceObject>(property.embedded);
      return S_OK;
    }
    return kWbemNotFound;
  }

  std::string ObjectText() override { return RenderInstance(*instance_); }

 private:
  std::shared_ptr<const Instance> instance_;
};

class InstanceEnumerator : public ManagementEnumerator {
 public:
  explicit InstanceEnumerator(std::vector<std::shared_ptr<const Instance>> instances)
      : instances_(std::move(instances)) {}

  HRESULT Next(std::unique_ptr<ManagementObject>* object) override {
    object->reset();
    if (next_ >= instances_.size()) return kWbemFalse;
    *object = std::make_unique<InstanceObject>(instances_[next_++]);
    return kWbemNoError;
  }

 private:
  std::vector<std::shared_ptr<const Instance>> instances_;
  size_t next_ = 0;
};

Property TextProperty(const std::string& name, const std::string& text) {
  Property property;
  property.name = name;
  property.type = kVtBstr;
  property.text = text;
  return property;
}

Property WwnProperty(const std::string& name, const std::filesystem::path& file) {
  Property property;
  property.name = name;
  std::string text;
  WorldWideName wwn{};
  if (ReadSmallFile(file, &text) && ParseFcPortName(text, &wwn)) {
    property.type = kVtUi1 | kVtArray;
    property.bytes.assign(wwn.begin(), wwn.end());
  }
  return property;
}

std::vector<std::shared_ptr<const Instance>> IscsiInitiators(const HostFiles& files) {
  std::string text;
  if (!ReadSmallFile(files.Path(kInitiatorNameFile), &text)) return {};
  const std::string name = ParseInitiatorNameFile(text);
  if (name.empty()) return {};
  auto instance = std::make_shared<Instance>();
  instance->class_name = kIscsiClass;
  instance->properties.push_back(TextProperty("iSCSINodeName", name));
  return {instance};
}

// "host<number>" entries of the fc_host class, by number.
std::vector<std::pair<unsigned long, std::string>> FcHostNames(const std::filesystem::path& dir) {
  std::vector<std::pair<unsigned long, std::string>> hosts;
  std::error_code error;
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    const std::string digits = name.substr(std::min<size_t>(4, name.size()));
    if (name.compare(0, 4, "host") != 0 || digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    hosts.emplace_back(std::stoul(digits), name);
  }
  std::sort(hosts.begin(), hosts.end());
  return hosts;
}

std::vector<std::shared_ptr<const Instance>> FcPorts(const HostFiles& files) {
  const std::filesystem::path dir = files.Path(kFcHostDirectory);
  std::vector<std::shared_ptr<const Instance>> instances;
  for (const auto& host : FcHostNames(dir)) {
    auto attributes = std::make_shared<Instance>();
    attributes->class_name = kFcAttributesClass;
    attributes->properties.push_back(WwnProperty("PortWWN", dir / host.second / "port_name"));
    attributes->properties.push_back(WwnProperty("NodeWWN", dir / host.second / "node_name"));
    auto instance = std::make_shared<Instance>();
    instance->class_name = kFcPortClass;
    instance->properties.push_back(TextProperty("InstanceName", host.second));
    Property embedded;
    embedded.name = "Attributes";
    embedded.type = kVtUnknown;
    embedded.embedded = attributes;
    instance->properties.push_back(embedded);
    instances.push_back(instance);
  }
  return instances;
}

// The class of "select * from <class>", or "" for any other query.
std::string QueriedClass(const std::string& wql) {
  std::istringstream words(wql);
  std::string select, star, from, class_name, rest;
  words >> select >> star >> from >> class_name >> rest;
  if (Lower(select) != "select" || star != "*" || Lower(from) != "from" || !rest.empty()) {
    return std::string();
  }
  return class_name;
}

class HostFileServices : public ManagementServices {
 public:
  explicit HostFileServices(HostFiles files) : files_(std::move(files)) {}

  HRESULT SetProxySecurity() override { return S_OK; }

  HRESULT ExecQuery(const std::string& wql,
                    std::unique_ptr<ManagementEnumerator>* enumerator) override {
    enumerator->reset();
    const std::string class_name = Lower(QueriedClass(wql));
    if (class_name.empty()) return kWbemInvalidQuery;
    if (class_name == Lower(kIscsiClass)) {
      *enumerator = std::make_unique<InstanceEnumerator>(IscsiInitiators(files_));
    } else if (class_name == Lower(kFcPortClass)) {
      *enumerator = std::make_unique<InstanceEnumerator>(FcPorts(files_));
    } else {
      return kWbemInvalidClass;
    }
    return S_OK;
  }

 private:
  HostFiles files_;
};

class HostFileLocator : public ManagementLocator {
 public:
  HRESULT ConnectServer(const std::string& namespace_path,
                        std::unique_ptr<ManagementServices>* services) override {
    services->reset();
    std::string path = Lower(namespace_path);
    if (path.compare(0, 4, "\\\\.\\") == 0) path.erase(0, 4);
    if (path == kLocalNamespace) {
      *services = std::make_unique<HostFileServices>(CurrentHostFiles());
      return S_OK;
    }
    return path.compare(0, 2, "\\\\") == 0 ? kRpcServerUnavailable : kWbemInvalidNamespace;
  }
};

class HostFileManagement : public Management {
 public:
  HRESULT CreateLocator(std::unique_ptr<ManagementLocator>* locator) override {
    *locator = std::make_unique<HostFileLocator>();
    return S_OK;
  }
};

}  // namespace

Management& SystemManagement() {
  static Management* const management = new HostFileManagement;
  return *management;
}

}  // namespace platform
