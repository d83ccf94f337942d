#include "OstaraRegTool/array_table.h"

#include <cpprest/asyncrt_utils.h>
#include <ostream>

#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"

namespace {

constexpr size_t kUrlWidth = 50;
constexpr size_t kCompatibleWidth = 12;
constexpr size_t kOnlineWidth = 8;
constexpr size_t kAuthenticatedWidth = 15;
constexpr size_t kNameWidth = 26;

std::string Column(const utility::string_t& text, size_t width) {
  return kova::Utf8OfText(PadColumn(text, width));
}

}  // namespace

utility::string_t PadColumn(const utility::string_t& text, size_t width) {
  const size_t length = Utf16Length(text);
  return length >= width ? text : text + utility::string_t(width - length, U(' '));
}

void ShowKovaArrays(ArrayConfigList& list) {
  Logger::Write(LOG_DEBUG, kArrayTableTag, "ENTERING: ShowKovaArrays()");
  std::ostream& out = ToolOut();
  out << std::endl;
  out << Column(U("URL"), kUrlWidth) << Column(U("Compatible"), kCompatibleWidth)
      << Column(U("Online"), kOnlineWidth) << Column(U("Authenticated"), kAuthenticatedWidth)
      << Column(U("Array Name"), kNameWidth) << std::endl;
  for (const ArrayConfig& array : list) {
    out << Column(array.url, kUrlWidth) << Column(array.compatible, kCompatibleWidth)
        << Column(array.online, kOnlineWidth) << Column(array.authenticated, kAuthenticatedWidth)
        << Column(array.name, kNameWidth) << std::endl;
  }
  list.clear();
  Logger::Write(LOG_DEBUG, kArrayTableTag, "Exiting: ShowKovaArrays()");
}
