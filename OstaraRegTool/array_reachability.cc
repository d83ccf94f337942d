#include "OstaraRegTool/array_reachability.h"

#include <cpprest/asyncrt_utils.h>
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"

namespace {

constexpr size_t kEchoPayloadBytes = 32;
constexpr char kEchoText[] = "Data Buffer";

// The address to ping; false (logged) when there is none.
bool ResolveTarget(platform::IcmpEcho& echo, const std::string& host, uint32_t* address) {
  std::vector<uint32_t> addresses;
  long error = 0;
  const platform::ResolveStatus status = echo.ResolveIPv4(host, &addresses, &error);
  if (status == platform::ResolveStatus::kSocketsUnavailable) {
    Logger::Write(LOG_ERROR, kImplementationTag, "WSAStartup failed: %d", error);
    return false;
  }
  if (status == platform::ResolveStatus::kNotFound || addresses.empty()) return false;
  if (status == platform::ResolveStatus::kResolved) {
    Logger::Write(LOG_DEBUG, kImplementationTag, "IP Address %d: %lu", 1,
                  static_cast<unsigned long>(addresses.front()));
  }
  *address = addresses.front();
  return true;
}

int SendOneEcho(platform::IcmpEcho& echo, uint32_t address) {
  int replies = 0;
  long error = 0;
  switch (echo.SendEcho(address, EchoPayload(), kEchoTimeoutMs, &replies, &error)) {
    case platform::EchoStatus::kSent:
      return replies;
    case platform::EchoStatus::kCannotOpen:
      Logger::Write(LOG_ERROR, kImplementationTag,
                    "Unable to open IcmpCreateFile handle. ERRORCODE: %ld", error);
      return 0;
    case platform::EchoStatus::kNoMemory:
      Logger::Write(LOG_ERROR, kImplementationTag, "Unable to allocate memory for ICMPECHO");
      return 0;
  }
  return 0;
}

}  // namespace

std::string EchoHostFromUrl(const utility::string_t& url) {
  std::string host = kova::Utf8OfText(url);
  const std::string scheme = "https://";
  for (size_t at = host.find(scheme); at != std::string::npos; at = host.find(scheme, at)) {
    host.erase(at, scheme.size());
  }
  const size_t colon = host.find(':');
  if (colon != std::string::npos) host.erase(colon);
  return host;
}

std::vector<uint8_t> EchoPayload() {
  std::vector<uint8_t> payload(kEchoPayloadBytes, 0);
  for (size_t i = 0; kEchoText[i] != '\0'; ++i) payload[i] = static_cast<uint8_t>(kEchoText[i]);
  return payload;
}

bool IsArrayExists(utility::string_t url) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: IsArrayExists()");
  platform::IcmpEcho& echo = *CurrentToolFacilities().echo;
  uint32_t address = 0;
  int replies = 0;
  if (ResolveTarget(echo, EchoHostFromUrl(url), &address)) replies = SendOneEcho(echo, address);
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: IsArrayExists() Result: %d", replies);
  return replies != 0;
}
