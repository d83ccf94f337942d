// LUN information records held in task memory (CoTaskMemAlloc), the form in
// which VSS and a provider exchange them: every string, identifier list,
// identifier byte array, interconnect list and port or address byte array
// is a separate task-memory block that FreeLunFields releases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vss_compat.h"

// Frees every block of |record| with CoTaskMemFree, nulls the pointers and
// zeroes the counts; the scalar fields stay. Safe on a zeroed record.
void FreeLunFields(VDS_LUN_INFORMATION* record);

// A deep copy of |source| in task memory. A list or byte array whose pointer
// is null is copied as absent with a count of zero. Throws std::bad_alloc;
// |copy| then holds nothing that needs freeing.
void CopyLunRecord(const VDS_LUN_INFORMATION& source, VDS_LUN_INFORMATION* copy);

// Task-memory copies; both throw std::bad_alloc.
char* TaskMemoryString(const std::string& text);
// Null for an empty |bytes|.
BYTE* TaskMemoryBytes(const std::vector<uint8_t>& bytes);
