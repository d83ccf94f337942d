// The status part of reading an array: what the array itself says.
#pragma once

#include "OstaraRegTool/array_config.h"

// Sets "online", "compatible" and "authenticated" of a record that holds
// the array's URL and clear token, asking the array through a transient
// KovaREST. Never throws; a failure leaves the fields as far as they got.
void CheckArrayStatus(ArrayConfig& config);

// The REST version shared by the array's list and "RestVersion"; empty
// when there is none (logged as "Incompatible REST Version" by callers that
// refuse it).
utility::string_t ChooseRestVersion(const utility::string_t& array_versions);
