#include "installer/events/message_compiler_source.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kSeverityNames[4][14] = {"Success", "Informational", "Warning", "Error"};

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::string Header() {
  std::string header;
  for (const char* line :
       {"; ProviderEvents.dll: written by the build from the event catalogue.",
        "MessageIdTypedef=DWORD",
        "SeverityNames=(Success=0x0 Informational=0x1 Warning=0x2 Error=0x3)",
        "FacilityNames=(Application=0x0)", "LanguageNames=(English=0x409:MSG00409)", ""}) {
    header += line;
    header += kLineEnd;
  }
  return header;
}

bool Fail(const char* reason, std::string* error) {
  *error = reason;
  return false;
}

// Every % must begin an insertion ("%1" to "%99"): any other would be
// read as a formatting escape where the event is shown.
bool OnlyInsertions(const std::string& line) {
  for (size_t i = line.find('%'); i != std::string::npos; i = line.find('%', i + 1)) {
    if (i + 1 >= line.size() || line[i + 1] < '1' || line[i + 1] > '9') return false;
  }
  return true;
}

// The text's lines without their CR LF ends; false when it has none.
bool SplitLines(const std::string& text, std::string* lines, std::string* error) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find(kLineEnd, start);
    if (end == std::string::npos) return Fail("does not end with CR LF", error);
    const std::string line = text.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos) return Fail("bare CR or LF", error);
    if (line == ".") return Fail("a line is a lone \".\"", error);
    if (!OnlyInsertions(line)) return Fail("a % that is not an insertion", error);
    *lines += line + kLineEnd;
    start = end + 2;
  }
  if (lines->empty()) return Fail("empty text", error);
  return true;
}

bool WriteBlock(const EventMessage& message, std::string* source, std::string* error) {
  if ((message.id & 0x3FFF0000u) != 0) return Fail("customer bit or facility set", error);
  std::string lines;
  if (!SplitLines(message.text, &lines, error)) return false;
  *source += "MessageId=" + Hex(message.id & 0xFFFFu) + kLineEnd;
  *source += std::string("Severity=") + kSeverityNames[message.id >> 30] + kLineEnd;
  *source += std::string("Facility=Application") + kLineEnd;
  *source += std::string("Language=English") + kLineEnd;
  *source += lines + "." + kLineEnd + kLineEnd;
  return true;
}

}  // namespace

bool WriteMessageCompilerSource(const EventMessage* messages, size_t count, std::string* source,
                                std::string* error) {
  *source = Header();
  for (size_t i = 0; i < count; ++i) {
    if (!WriteBlock(messages[i], source, error)) {
      *error = "message " + Hex(messages[i].id) + ": " + *error;
      return false;
    }
  }
  return true;
}
