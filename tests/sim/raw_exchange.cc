#include "tests/sim/raw_exchange.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/write.hpp>

#include <array>
#include <functional>

namespace {

namespace asio = boost::asio;
using asio::ip::tcp;

// Writes the bytes, then reads until the peer ends the stream.
template <typename Stream>
class WriteThenRead {
 public:
  WriteThenRead(Stream& stream, const std::string& bytes, RawExchange* result)
      : stream_(stream), bytes_(bytes), result_(result) {}

  void Begin() {
    asio::async_write(stream_, asio::buffer(bytes_),
                      [this](const boost::system::error_code& error, size_t) {
                        if (!error) ReadMore();
                      });
  }

 private:
  void ReadMore() {
    stream_.async_read_some(asio::buffer(chunk_), [this](const boost::system::error_code& error, size_t n) {
      result_->received.append(chunk_.data(), n);
      if (error) {
        result_->closed_by_peer = true;
        return;
      }
      ReadMore();
    });
  }

  Stream& stream_;
  const std::string& bytes_;
  RawExchange* result_;
  std::array<char, 4096> chunk_{};
};

}  // namespace

RawExchange ExchangeRaw(uint16_t port, const std::string& bytes, bool tls, std::chrono::milliseconds timeout) {
  asio::io_context io;
  asio::ssl::context context(asio::ssl::context::tls_client);
  context.set_verify_mode(asio::ssl::verify_none);
  asio::ssl::stream<tcp::socket> stream(io, context);
  RawExchange result;
  WriteThenRead<asio::ssl::stream<tcp::socket>> over_tls(stream, bytes, &result);
  WriteThenRead<tcp::socket> over_tcp(stream.next_layer(), bytes, &result);
  const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
  stream.next_layer().async_connect(endpoint, [&](const boost::system::error_code& error) {
    if (error) return;
    result.connected = true;
    if (!tls) return over_tcp.Begin();
    stream.async_handshake(asio::ssl::stream_base::client, [&](const boost::system::error_code& shake) {
      if (shake) return;
      result.handshake_done = true;
      over_tls.Begin();
    });
  });
  io.run_for(timeout);
  boost::system::error_code ignored;
  stream.next_layer().close(ignored);
  return result;
}
