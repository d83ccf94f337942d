// Build tool: writes the event message file's .mc source from the log's
// message table to the path given as its one argument.
#include <cstdio>
#include <fstream>
#include <string>

#include "installer/events/message_compiler_source.h"
#include "library/log/event_messages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.mc\n", argv[0]);
    return 2;
  }
  size_t count = 0;
  const EventMessage* messages = EventMessages(&count);
  std::string source;
  std::string error;
  if (!WriteMessageCompilerSource(messages, count, &source, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << source;
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
