// Measures KovaREST::RequestSync against the array emulator and, in the same
// run, the same number of equal requests made by a bare HTTPS client (Beast
// over OpenSSL): once with a new connection per request, as the library
// makes them, and once over one kept connection. Prints the times and the
// ratios.
//
// Usage: rest_request_bench [REQUESTS] [bare|library]   (default 200, both;
// naming one client runs only its loop, for profiling)
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "library/log/logger.h"
#include "library/rest/kova_rest.h"
#include "platform/memory_registry.h"
#include "platform/tls_process.h"
#include "tools/KovaArraySim/array_sim.h"

namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;

namespace {

constexpr char kPath[] = "/api/1.1/volume/db01";

// Wall-clock and process CPU time of one loop. The emulator runs in this
// process, so the CPU time includes its side of every request.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

Timing Measure(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpu_start = std::clock();
  work();
  Timing timing;
  timing.cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return timing;
}

// One GET over |stream|; throws on any failure or a status other than 200.
template <typename Stream>
void BareGet(Stream& stream, const std::string& cookie, bool keep_alive) {
  http::request<http::empty_body> request{http::verb::get, kPath, 11};
  request.set(http::field::host, "127.0.0.1");
  request.set(http::field::cookie, cookie);
  request.keep_alive(keep_alive);
  http::write(stream, request);
  beast::flat_buffer buffer;
  http::response<http::string_body> response;
  http::read(stream, buffer, response);
  if (response.result_int() != 200) throw std::runtime_error("bare GET failed");
}

class BareClient {
 public:
  BareClient(uint16_t port, std::string cookie) : port_(port), cookie_(std::move(cookie)) {
    context_.set_verify_mode(ssl::verify_none);
  }

  void NewConnectionPerRequest(int count) {
    for (int i = 0; i < count; ++i) {
      beast::ssl_stream<beast::tcp_stream> stream(io_, context_);
      Connect(stream);
      BareGet(stream, cookie_, false);
      beast::error_code ignored;
      stream.shutdown(ignored);
    }
  }

  void OneConnection(int count) {
    beast::ssl_stream<beast::tcp_stream> stream(io_, context_);
    Connect(stream);
    for (int i = 0; i < count; ++i) BareGet(stream, cookie_, true);
  }

 private:
  void Connect(beast::ssl_stream<beast::tcp_stream>& stream) {
    beast::get_lowest_layer(stream).connect(
        tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port_));
    beast::get_lowest_layer(stream).socket().set_option(tcp::no_delay(true));
    stream.handshake(ssl::stream_base::client);
  }

  boost::asio::io_context io_;
  ssl::context context_{ssl::context::tls_client};
  uint16_t port_;
  std::string cookie_;
};

void Report(const char* what, const Timing& timing, int count, const Timing& baseline) {
  std::printf("%-44s %7.2f ms wall %7.2f ms CPU per request  ratio %5.2f wall %5.2f CPU\n", what,
              1000.0 * timing.wall / count, 1000.0 * timing.cpu / count, timing.wall / baseline.wall,
              timing.cpu / baseline.cpu);
}

void LibraryGets(KovaREST& rest, int count) {
  uint16_t status = 0;
  web::json::value response;
  for (int i = 0; i < count; ++i) {
    rest.RequestSync(kPath, KovaREST::kGet, nullptr, status, response);
    if (status != 200) throw std::runtime_error("RequestSync failed");
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const std::string only = argc > 2 ? argv[2] : "";
  platform::SetMachineRegistry(platform::CreateMemoryRegistry());
  Logger::Open(false, LOG_ERROR);

  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  kova_sim::ArraySim sim(seed);
  sim.Start();
  KovaREST rest(10);
  rest.Configure(sim.Url(), seed.users.at(0).api_token, "1.1");
  uint16_t status = 0;
  web::json::value response;
  rest.RequestSync(kPath, KovaREST::kGet, nullptr, status, response);  // opens the session

  BareClient bare(sim.Port(), rest.SessionCookie());
  if (only == "bare") {
    bare.NewConnectionPerRequest(count);
  } else if (only == "library") {
    LibraryGets(rest, count);
  } else {
    const Timing bare_new = Measure([&] { bare.NewConnectionPerRequest(count); });
    const Timing bare_kept = Measure([&] { bare.OneConnection(count); });
    const Timing library = Measure([&] { LibraryGets(rest, count); });
    // The same with OpenSSL's default CA store loaded for every new client,
    // as the HTTP library does unless the process points it elsewhere.
    unsetenv("SSL_CERT_FILE");
    const int ca_count = std::max(1, count / 4);
    Timing library_ca = Measure([&] { LibraryGets(rest, ca_count); });
    library_ca.wall *= static_cast<double>(count) / ca_count;
    library_ca.cpu *= static_cast<double>(count) / ca_count;

    std::printf("%d GET %s against KovaArraySim on 127.0.0.1\n", count, kPath);
    Report("bare HTTPS client, new connection each", bare_new, count, bare_new);
    Report("bare HTTPS client, one kept connection", bare_kept, count, bare_new);
    Report("KovaREST::RequestSync", library, count, bare_new);
    Report("KovaREST::RequestSync, default CA store*", library_ca, count, bare_new);
    std::printf("* measured over %d requests and scaled\n", ca_count);
  }
  sim.Stop();
  Logger::Close();
  return 0;
}
