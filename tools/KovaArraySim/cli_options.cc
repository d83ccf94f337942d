#include "tools/KovaArraySim/cli_options.h"

namespace kova_sim {
namespace {

bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error) {
  *options = CliOptions();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options->help = true;
      continue;
    }
    if (arg != "--address" && arg != "--port" && arg != "--seed" && arg != "--port-file" &&
        arg != "--request-log") {
      *error = "unknown argument \"" + arg + "\"";
      return false;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      *error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (arg == "--address") options->address = value;
    if (arg == "--seed") options->seed_file = value;
    if (arg == "--port-file") options->port_file = value;
    if (arg == "--request-log") options->request_log_file = value;
    if (arg == "--port" && !ParsePort(value, &options->port)) {
      *error = "--port needs a number from 0 to 65535, got \"" + value + "\"";
      return false;
    }
  }
  return true;
}

std::string CliUsage() {
  return "usage: KovaArraySim [--address A] [--port N] [--seed FILE] [--port-file FILE]\n"
         "                    [--request-log FILE]\n"
         "  --address A          IP address to listen on (default 127.0.0.1)\n"
         "  --port N             TCP port, 0 for any free one (default 0)\n"
         "  --seed FILE          JSON seed describing the array (default: the built-in demo array)\n"
         "  --port-file FILE     write the port number to FILE once listening\n"
         "  --request-log FILE   at exit, write one line per request received (secrets masked)\n"
         "Serves until SIGINT or SIGTERM.\n";
}

}  // namespace kova_sim
