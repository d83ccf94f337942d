// A small HTTPS server: an acceptor thread and one thread per connection
// (HttpsConnection), with a self-signed certificate made at Start.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/KovaArraySim/https_connection.h"

namespace kova_sim {

class HttpsServer {
 public:
  using Handler = HttpsConnection::Handler;

  // At most this many connections are served at once. When a new one
  // arrives at the limit, the longest-idle connection is closed to make
  // room; if none is idle, the new one is refused.
  static constexpr size_t kMaxConnections = 64;

  // `handler` runs on connection threads, concurrently; it must not throw.
  explicit HttpsServer(Handler handler);
  ~HttpsServer();  // Stop()
  HttpsServer(const HttpsServer&) = delete;
  HttpsServer& operator=(const HttpsServer&) = delete;

  // Listens on address:port (0 = ephemeral) and starts accepting. Throws
  // std::runtime_error when the address is not an IP address or cannot be
  // bound, and std::logic_error when already started.
  void Start(const std::string& address, uint16_t port);
  // Stops accepting, interrupts every connection and joins every thread.
  // Handlers still running must return by themselves. Idempotent.
  void Stop();
  uint16_t Port() const { return port_; }
  size_t ConnectionCount() const;

 private:
  struct Runtime;  // the io_context, acceptor and TLS context of one run

  void Listen(const std::string& address, uint16_t port);
  void AcceptNext();
  void Admit(boost::asio::ip::tcp::socket socket);
  void ReapFinished();
  bool EvictIdle();

  Handler handler_;
  std::unique_ptr<Runtime> runtime_;
  std::thread acceptor_thread_;
  uint16_t port_ = 0;
  mutable std::mutex connections_mutex_;
  std::vector<std::unique_ptr<HttpsConnection>> connections_;
};

}  // namespace kova_sim
