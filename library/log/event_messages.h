// The message table of the event message file "ProviderEvents.dll": the
// category names and the text of every event identifier, in which "%1" is
// the event's insertion string. Texts are as the message file holds them:
// lines joined by CR LF, and a CR LF at the end of every message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct EventMessage {
  uint32_t id;
  const char* text;
};

// The whole table, categories first, in identifier order.
const EventMessage* EventMessages(size_t* count);

// The text of `id`; nullptr when the table has none.
const char* EventMessageText(uint32_t id);

// The text of `id` with each "%1" replaced by `insertion` (which is not
// scanned again). An identifier the table lacks renders as the insertion
// string alone, so the event's own words are never lost.
std::string RenderEventMessage(uint32_t id, const std::string& insertion);

// A rendered message as one line, for logs that keep one line per record:
// the lines with their trailing blanks removed, empty lines dropped, the
// rest joined by one space.
std::string FlattenEventMessage(const std::string& text);
