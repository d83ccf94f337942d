// Messages of an event message file, rendered as the event viewer renders
// them: the file's text for an identifier with its insertion strings.
//
// Windows: LoadLibraryExW(LOAD_LIBRARY_AS_DATAFILE), so a message file of
// either bitness loads, then FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE |
// FORMAT_MESSAGE_ARGUMENT_ARRAY) in US English with the insertions as
// %1, %2 and so on.
// Windows only: elsewhere the log renders events from its own catalogue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// False when the file cannot be loaded or holds no message |id|. UTF-8.
bool FormatFileMessage(const std::string& file, uint32_t id,
                       const std::vector<std::string>& insertions, std::string* text);

}  // namespace platform
