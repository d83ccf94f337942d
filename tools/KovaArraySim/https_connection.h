// One accepted TLS connection, served on its own thread with blocking I/O:
// handshake, then HTTP/1.1 requests until the peer closes, asks to close,
// sends something unusable, or the connection is interrupted.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "tools/KovaArraySim/http_reply.h"
#include "tools/KovaArraySim/recorded_request.h"

namespace kova_sim {

class HttpsConnection {
 public:
  using Handler = std::function<HttpReply(const RecordedRequest&)>;

  // Request bodies above this answer 413; headers above kMaxHeaderBytes 431.
  static constexpr size_t kMaxBodyBytes = 1 << 20;
  static constexpr size_t kMaxHeaderBytes = 16 << 10;

  // `tls` and `handler` must outlive the connection.
  HttpsConnection(boost::asio::ip::tcp::socket socket, boost::asio::ssl::context& tls, const Handler& handler);
  ~HttpsConnection();  // interrupts and joins
  HttpsConnection(const HttpsConnection&) = delete;
  HttpsConnection& operator=(const HttpsConnection&) = delete;

  void Start();
  // Makes the blocked I/O of the connection's thread fail, so the thread
  // ends soon. Safe from any thread, any number of times.
  void Interrupt();
  void Join();
  bool Finished() const { return finished_; }
  // Waiting for the peer (handshake or the next request), not in a handler.
  bool Idle() const { return idle_; }
  std::chrono::steady_clock::time_point IdleSince() const;

 private:
  void Run();
  void ServeRequests();
  HttpReply CallHandler(const boost::beast::http::request<boost::beast::http::string_body>& request) const;
  // False when the connection must end after this reply.
  bool Send(const HttpReply& reply, bool keep_alive, unsigned version);
  void SetIdle(bool idle);

  // The socket is shut down but never closed before the thread is joined,
  // so Interrupt() always acts on this connection's own descriptor.
  boost::asio::ssl::stream<boost::asio::ip::tcp::socket> stream_;
  const Handler& handler_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> idle_{true};
  std::atomic<int64_t> idle_since_ns_{0};
  std::thread thread_;
};

}  // namespace kova_sim
