// LUN records as JSON text, both ways: what `KovaVssShadow` reads from
// @FILE arguments and prints for the target LUNs of a shadow copy set.
//
// A record: {"vendor", "product", "revision", "serial": text,
// "bus_type", "device_type": number, "identifiers": [{"code_set", "type":
// number, "data": ASCII text | "hex": bytes}], "interconnects":
// [{"address_type": number, "port", "address": hex}]}, and, only where they
// differ from their defaults, "version" (1), "descriptor_version" (1),
// "device_type_modifier" (0), "command_queueing" (false) and
// "disk_signature" ("{00000000-0000-0000-0000-000000000000}").
// "data" stands for its ASCII bytes followed by one NUL, the way a provider
// stores ASCII identifiers; "hex" gives the bytes exactly. A missing
// "identifiers" or "interconnects" is a record without that list; a missing
// text is "". Unknown members are refused. Writing then reading a record
// gives back the same record.
#pragma once

#include <string>

#include "platform/vss_compat.h"
#include "provider/lun/lun_record_array.h"

// Appends to |records| the records of |text|: a JSON array of records, or an
// object {"snapshot_set_id"?, "targets": [records]} as `create` prints it.
// Records read from JSON name no device. False, with |records| unchanged and
// |error| naming the offending member (for example
// "[1].identifiers[0].hex: odd number of hex digits"), for any problem.
bool ParseLunRecords(const std::string& text, LunRecordArray* records, std::string* error);

// The records as a JSON array: one member per line, nested lines indented
// by |indent| more blanks. Ends without a line break.
std::string FormatLunRecords(const VDS_LUN_INFORMATION* records, size_t count, int indent = 0);
// The same on one line.
std::string FormatLunRecordsCompact(const VDS_LUN_INFORMATION* records, size_t count);

// |text| as a JSON string literal with its quotes.
std::string JsonQuote(const std::string& text);
