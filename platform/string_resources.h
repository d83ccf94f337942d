// The running program's string table.
//
// Windows: LoadStringW in the program's module, read in place, so texts of
// any length load whole.
// POSIX: programs carry no string table; Load answers false.
#pragma once

#include <string>

namespace platform {

class StringResources {
 public:
  virtual ~StringResources() = default;
  // False when the table has no (or an empty) string |id|. UTF-8.
  virtual bool Load(unsigned id, std::string* text) = 0;
};

StringResources& SystemStringResources();

}  // namespace platform
