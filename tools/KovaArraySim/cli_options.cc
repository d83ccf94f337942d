#include "tools/KovaArraySim/cli_options.h"

#include "tools/KovaArraySim/seed_validator.h"

namespace kova_sim {
namespace {

// A decimal number from 0 to |max| (below a million); false for anything else.
bool ParseBounded(const std::string& text, unsigned max, unsigned* number) {
  if (text.empty() || text.size() > 6) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > max) return false;
  *number = value;
  return true;
}

// Stores |value| for the option |arg|; false with |error| for a bad value.
bool StoreValue(const std::string& arg, const std::string& value, CliOptions* options, std::string* error) {
  if (arg == "--address") options->address = value;
  if (arg == "--seed") options->seed_file = value;
  if (arg == "--port-file") options->port_file = value;
  if (arg == "--request-log") options->request_log_file = value;
  unsigned number = 0;
  if (arg == "--port") {
    if (!ParseBounded(value, 65535, &number)) {
      *error = "--port needs a number from 0 to 65535, got \"" + value + "\"";
      return false;
    }
    options->port = static_cast<uint16_t>(number);
  }
  if (arg == "--request-latency" || arg == "--snapshot-latency") {
    if (!ParseBounded(value, kMaxLatencyMs, &number)) {
      *error = arg + " needs milliseconds from 0 to " + std::to_string(kMaxLatencyMs) + ", got \"" + value + "\"";
      return false;
    }
    (arg == "--request-latency" ? options->request_latency_ms : options->snapshot_latency_ms) = static_cast<int>(number);
  }
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
        arg != "--request-log" && arg != "--request-latency" && arg != "--snapshot-latency") {
      *error = "unknown argument \"" + arg + "\"";
      return false;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      *error = arg + " needs a value";
      return false;
    }
    if (!StoreValue(arg, args[++i], options, error)) return false;
  }
  return true;
}

std::string CliUsage() {
  return "usage: KovaArraySim [--address A] [--port N] [--seed FILE] [--port-file FILE]\n"
         "                    [--request-log FILE] [--request-latency MS] [--snapshot-latency MS]\n"
         "  --address A          IP address to listen on (default 127.0.0.1)\n"
         "  --port N             TCP port, 0 for any free one (default 0)\n"
         "  --seed FILE          JSON seed describing the array (default: the built-in demo array)\n"
         "  --port-file FILE     write the port number to FILE once listening\n"
         "  --request-log FILE   at exit, write one line per request received (secrets masked)\n"
         "  --request-latency MS   answer every request MS milliseconds late (default: the seed's)\n"
         "  --snapshot-latency MS  and MS more per snapshot a request creates (default: the seed's)\n"
         "Serves until SIGINT or SIGTERM.\n";
}

}  // namespace kova_sim
