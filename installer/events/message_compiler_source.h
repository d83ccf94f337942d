// The message compiler source (.mc) of the event message file
// "ProviderEvents.dll", written from the log's message table so that the
// file and the catalogue cannot drift apart.
#pragma once

#include <cstddef>
#include <string>

#include "library/log/event_messages.h"

// One message block per table entry (severity, facility 0, the code of the
// identifier's low 16 bits, English text), with CR LF line ends, as the
// message compiler turns them into CR LF ends again. False, with |error|
// set, when a text cannot be expressed: one not ending with CR LF, one
// with a bare CR or LF, a line that is a lone "." (the end marker), a %
// that does not begin an insertion such as "%1", or an identifier with the
// customer bit or a facility set.
bool WriteMessageCompilerSource(const EventMessage* messages, size_t count, std::string* source,
                                std::string* error);
