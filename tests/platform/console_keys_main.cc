// Reads keys from the hidden console input until Enter, for the Windows
// console suite, which types at this program's console:
//   console_keys OUTPUT_FILE
// Each character read is appended to OUTPUT_FILE as its UTF-8 bytes in hex,
// one line per character, as soon as it arrives. Exits 0 after Enter, 1 at
// the end of the input, 2 without a console input or an OUTPUT_FILE.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/console_input.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: console_keys OUTPUT_FILE\n");
    return 2;
  }
  std::unique_ptr<platform::HiddenConsoleInput> console = platform::OpenHiddenConsoleInput();
  std::FILE* output = std::fopen(argv[1], "w");
  if (console == nullptr || output == nullptr) return 2;
  std::string character;
  int code = 1;
  while (console->ReadCharacter(&character)) {
    for (const char byte : character) std::fprintf(output, "%02x", static_cast<unsigned char>(byte));
    std::fputc('\n', output);
    std::fflush(output);
    if (character == "\r") {
      code = 0;
      break;
    }
  }
  std::fclose(output);
  return code;
}
