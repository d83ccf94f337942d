#include "provider/identity/prop_value.h"

#include <cstdio>
#include <locale>
#include <memory>
#include <sstream>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "platform/management_query.h"
#include "library/text/text_conversion.h"

namespace {

constexpr const char* kTag = kHostInfoProviderTag;
constexpr char kEmpty[] = "EMPTY";

using platform::ManagementObject;
using platform::ManagementValue;

void ExtractProperty(ManagementObject& object, const std::vector<std::string>& path, size_t index,
                     std::vector<std::string>& values);

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (uint8_t byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
    text += digits;
  }
  return text;
}

std::string RealText(double value) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << value;
  return text.str();
}

void AppendLogged(const std::string& text, std::vector<std::string>& values) {
  values.push_back(text);
  Logger::Write(LOG_DEBUG, kTag, "Obtained WMI Property value: %hs", text);
}

bool IsInteger(uint16_t type) {
  switch (type) {
    case platform::kVtI1:
    case platform::kVtI2:
    case platform::kVtI4:
    case platform::kVtI8:
    case platform::kVtUi1:
    case platform::kVtUi2:
    case platform::kVtUi4:
    case platform::kVtUi8:
    case platform::kVtInt:
    case platform::kVtUint:
      return true;
    default:
      return false;
  }
}

void AppendValue(ManagementValue& value, const std::vector<std::string>& path, size_t index,
                 std::vector<std::string>& values) {
  if (value.type == (platform::kVtUi1 | platform::kVtArray)) {
    AppendLogged(HexBytes(value.bytes), values);
    return;
  }
  if (value.type & platform::kVtArray) return;  // arrays of anything but bytes
  const uint16_t type = value.type & 0xFF;
  if (IsInteger(type)) {
    AppendLogged(std::to_string(value.integer), values);
    return;
  }
  switch (type) {
    case platform::kVtEmpty:
    case platform::kVtNull:
      values.push_back(kEmpty);
      break;
    case platform::kVtR4:
    case platform::kVtR8:
      AppendLogged(RealText(value.real), values);
      break;
    case platform::kVtBool:
      values.push_back(value.boolean ? "TRUE" : "FALSE");
      break;
    case platform::kVtUnknown:
      if (value.object) {
        ExtractProperty(*value.object, path, index + 1, values);
      } else {
        values.push_back(kEmpty);
      }
      break;
    case platform::kVtBstr:
      AppendLogged(value.text, values);
      break;
    default:
      break;
  }
}

void ExtractProperty(ManagementObject& object, const std::vector<std::string>& path, size_t index,
                     std::vector<std::string>& values) {
  if (index >= path.size()) {
    Logger::Write(LOG_DEBUG, kTag, "Unknown IWbemClassObject found, %ls", object.ObjectText());
    return;
  }
  ManagementValue value;
  const HRESULT result = object.Get(path[index], &value);
  Logger::Write(LOG_DEBUG, kTag, "VARIANT Type, %d, HR=%08x", static_cast<int>(value.type), result);
  AppendValue(value, path, index, values);
}

void Enumerate(platform::ManagementEnumerator& instances, const std::vector<std::string>& path,
               std::vector<std::string>& values) {
  HRESULT result = platform::kWbemNoError;
  do {
    std::unique_ptr<ManagementObject> object;
    result = instances.Next(&object);
    if (!object) break;
    if (SUCCEEDED(result)) ExtractProperty(*object, path, 0, values);
  } while (result == platform::kWbemNoError);
}

// The steps up to the enumerator; a status other than found ends the query.
int OpenQuery(const std::string& name_space, const std::string& query,
              std::unique_ptr<platform::ManagementEnumerator>* instances) {
  std::unique_ptr<platform::ManagementLocator> locator;
  HRESULT result = platform::CurrentManagement().CreateLocator(&locator);
  if (FAILED(result) || !locator) {
    Logger::Write(LOG_ERROR, kTag, "WMI Initialization failed for CoCreateInstance: %x", result);
    return kPropValueNoLocator;
  }
  Logger::Write(LOG_DEBUG, kTag, "WMI Initialization succeeded");
  std::unique_ptr<platform::ManagementServices> services;
  result = locator->ConnectServer(name_space, &services);
  if (FAILED(result) || !services) {
    Logger::Write(LOG_ERROR, kTag, "WMI Connection failed. Result: %x", result);
    return kPropValueNoConnection;
  }
  Logger::Write(LOG_DEBUG, kTag, "WMI Connection succeeded");
  result = services->SetProxySecurity();
  if (FAILED(result)) {
    Logger::Write(LOG_ERROR, kTag, "WMI Connection failed for CoSetProxyBlanket: %x", result);
    return kPropValueNoConnection;
  }
  Logger::Write(LOG_DEBUG, kTag, "IWbemServices proxy was set successfully. %x", result);
  result = services->ExecQuery(query, instances);
  if (FAILED(result) || !*instances) return kPropValueQueryFailed;
  return kPropValueFound;
}

}  // namespace

int GetPropValue(const utility::string_t& name_space, const utility::string_t& query,
                 const std::vector<utility::string_t>& property_path,
                 std::vector<std::string>& values) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: GetPropValue()");
  values.clear();
  std::unique_ptr<platform::ManagementEnumerator> instances;
  const int status = OpenQuery(kova::Utf8OfText(name_space), kova::Utf8OfText(query), &instances);
  if (status != kPropValueFound) return status;
  std::vector<std::string> path;
  for (const utility::string_t& name : property_path) path.push_back(kova::Utf8OfText(name));
  Enumerate(*instances, path, values);
  if (values.empty()) {
    Logger::Write(LOG_ERROR, kTag, "WMI property not found");
    return kPropValueNotFound;
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: GetPropValue()");
  return kPropValueFound;
}
