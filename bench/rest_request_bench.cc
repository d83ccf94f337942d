// Measures KovaREST::RequestSync against the array emulator and, in the same
// run, the same number of equal requests made by a bare HTTPS client (Beast
// over OpenSSL): once with a new connection per request, as the library
// makes them, and once over one kept connection. Prints the times and the
// ratios.
//
// Usage: rest_request_bench [REQUESTS]   (default 200)
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <chrono>
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

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

void Report(const char* what, double seconds, int count, double baseline) {
  std::printf("%-44s %8.3f s  %7.2f ms/request  ratio %5.2f\n", what, seconds,
              1000.0 * seconds / count, seconds / baseline);
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
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
  const double bare_new = Seconds([&] { bare.NewConnectionPerRequest(count); });
  const double bare_kept = Seconds([&] { bare.OneConnection(count); });
  const double library = Seconds([&] {
    for (int i = 0; i < count; ++i) {
      rest.RequestSync(kPath, KovaREST::kGet, nullptr, status, response);
      if (status != 200) throw std::runtime_error("RequestSync failed");
    }
  });
  // The same with OpenSSL's default CA store loaded for every new client,
  // as the HTTP library does unless the process points it elsewhere.
  unsetenv("SSL_CERT_FILE");
  const int ca_count = std::max(1, count / 4);
  const double library_ca = Seconds([&] {
    for (int i = 0; i < ca_count; ++i) rest.RequestSync(kPath, KovaREST::kGet, nullptr, status, response);
  });

  std::printf("%d GET %s against KovaArraySim on 127.0.0.1\n", count, kPath);
  Report("bare HTTPS client, new connection each", bare_new, count, bare_new);
  Report("bare HTTPS client, one kept connection", bare_kept, count, bare_new);
  Report("KovaREST::RequestSync", library, count, bare_new);
  Report("KovaREST::RequestSync, default CA store*", library_ca * count / ca_count, count, bare_new);
  std::printf("* measured over %d requests and scaled\n", ca_count);
  sim.Stop();
  Logger::Close();
  return 0;
}
