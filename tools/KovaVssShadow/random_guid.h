// New GUIDs for snapshot sets and snapshots, as VSS makes them.
#pragma once

#include "platform/guid.h"

// A random GUID (RFC 4122 version 4) from the standard library's
// non-deterministic source.
GUID NewRandomGuid();
