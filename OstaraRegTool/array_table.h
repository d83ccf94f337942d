// The table of arrays that list, add and setattr print.
#pragma once

#include "OstaraRegTool/array_config.h"

// Writes an empty line, the header and one line per record to the tool's
// console, each column left-aligned and padded to its width ("URL" 50,
// "Compatible" 12, "Online" 8, "Authenticated" 15, "Array Name" 26); a
// longer value is written whole. Empties |list|.
void ShowKovaArrays(ArrayConfigList& list);

// |text| followed by spaces up to |width| characters (UTF-16 code units).
utility::string_t PadColumn(const utility::string_t& text, size_t width);
