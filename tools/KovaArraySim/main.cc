// KovaArraySim: serves the array emulator until SIGINT or SIGTERM.
// Exit codes: 0 after a signal, 1 when the seed or the address is unusable,
// 2 for bad arguments.
#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>

#include <csignal>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/tls_process.h"
#include "tools/KovaArraySim/array_sim.h"
#include "tools/KovaArraySim/cli_options.h"
#include "tools/KovaArraySim/request_line.h"

namespace {

// Written to a temporary name and renamed, so a reader never sees half a port.
void WritePortFile(const std::string& path, uint16_t port) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << port << "\n";
    if (!out.flush()) throw std::runtime_error("cannot write the port file " + temporary);
  }
  std::filesystem::rename(temporary, path);
}

void WriteRequestLog(const std::string& path, const std::vector<kova_sim::RecordedRequest>& requests) {
  std::ofstream out(path, std::ios::trunc);
  for (const kova_sim::RecordedRequest& request : requests) out << kova_sim::DescribeRequest(request) << "\n";
  if (!out.flush()) throw std::runtime_error("cannot write the request log " + path);
}

int Serve(const kova_sim::CliOptions& options) {
  kova_sim::SimSeed seed = options.seed_file.empty() ? kova_sim::SimSeed::Default()
                                                     : kova_sim::ArraySim::LoadSeedFile(options.seed_file);
  if (options.request_latency_ms >= 0) seed.latency.request_ms = options.request_latency_ms;
  if (options.snapshot_latency_ms >= 0) seed.latency.snapshot_ms = options.snapshot_latency_ms;
  kova_sim::ArraySim sim(std::move(seed));
  // Signals are caught before the port is announced, so a signal sent as
  // soon as the line is read still ends the program cleanly.
  boost::asio::io_context io;
  boost::asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([](const boost::system::error_code&, int) {});
  sim.Start(options.port, options.address);
  if (!options.port_file.empty()) WritePortFile(options.port_file, sim.Port());
  std::cout << "KovaArraySim listening on " << sim.Url() << std::endl;
  io.run();
  sim.Stop();
  if (!options.request_log_file.empty()) WriteRequestLog(options.request_log_file, sim.Requests());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  const std::vector<std::string> args(argv + 1, argv + argc);
  kova_sim::CliOptions options;
  std::string error;
  if (!kova_sim::ParseCliOptions(args, &options, &error)) {
    std::cerr << "KovaArraySim: " << error << "\n" << kova_sim::CliUsage();
    return 2;
  }
  if (options.help) {
    std::cout << kova_sim::CliUsage();
    return 0;
  }
  try {
    return Serve(options);
  } catch (const std::exception& e) {
    std::cerr << "KovaArraySim: " << e.what() << "\n";
    return 1;
  }
}
