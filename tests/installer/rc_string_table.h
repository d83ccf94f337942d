// Reads the STRINGTABLE of a resource script, so tests see the texts that
// the program's own string table holds.
#pragma once

#include <map>
#include <string>

// Entries of the form `ID "text"` between the BEGIN and END of each
// STRINGTABLE block, with the resource compiler's escapes ("" and \", \\,
// \n, \t) undone. Empty when the file cannot be read.
std::map<unsigned, std::string> ReadRcStringTable(const std::string& rc_path);
