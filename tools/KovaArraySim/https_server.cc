#include "tools/KovaArraySim/https_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include <algorithm>
#include <stdexcept>

#include "tools/KovaArraySim/self_signed_cert.h"

namespace kova_sim {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;

void ConfigureTls(asio::ssl::context& tls, const std::string& common_name) {
  tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                  asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                  asio::ssl::context::no_tlsv1_1);
  CertificateAndKey identity = MakeSelfSignedCertificate(common_name);
  tls.use_certificate_chain(asio::buffer(identity.certificate_pem));
  tls.use_private_key(asio::buffer(identity.private_key_pem), asio::ssl::context::pem);
  std::fill(identity.private_key_pem.begin(), identity.private_key_pem.end(), '\0');
}

}  // namespace

struct HttpsServer::Runtime {
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  asio::steady_timer retry{io};
  asio::ssl::context tls{asio::ssl::context::tls_server};
};

HttpsServer::HttpsServer(Handler handler) : handler_(std::move(handler)) {}

HttpsServer::~HttpsServer() { Stop(); }

void HttpsServer::Start(const std::string& address, uint16_t port) {
  if (runtime_) throw std::logic_error("the HTTPS server is already running");
  runtime_ = std::make_unique<Runtime>();
  try {
    ConfigureTls(runtime_->tls, "127.0.0.1");
    Listen(address, port);
  } catch (...) {
    runtime_.reset();
    throw;
  }
  AcceptNext();
  acceptor_thread_ = std::thread([this] { runtime_->io.run(); });
}

void HttpsServer::Listen(const std::string& address, uint16_t port) {
  boost::system::error_code error;
  const asio::ip::address ip = asio::ip::make_address(address, error);
  if (error) throw std::runtime_error("not an IP address: \"" + address + "\"");
  const tcp::endpoint endpoint(ip, port);
  tcp::acceptor& acceptor = runtime_->acceptor;
  acceptor.open(endpoint.protocol(), error);
  if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
  if (!error) acceptor.bind(endpoint, error);
  if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
  if (error) {
    throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " +
                             error.message());
  }
  port_ = acceptor.local_endpoint().port();
}

void HttpsServer::AcceptNext() {
  runtime_->acceptor.async_accept([this](const boost::system::error_code& error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !runtime_->acceptor.is_open()) return;
    if (!error) {
      Admit(std::move(socket));
      AcceptNext();
      return;
    }
    // Out of descriptors or similar: try again shortly instead of spinning.
    runtime_->retry.expires_after(std::chrono::milliseconds(50));
    runtime_->retry.async_wait([this](const boost::system::error_code& timer_error) {
      if (!timer_error) AcceptNext();
    });
  });
}

void HttpsServer::Admit(tcp::socket socket) {
  std::lock_guard<std::mutex> lock(connections_mutex_);
  ReapFinished();
  if (connections_.size() >= kMaxConnections && !EvictIdle()) {
    boost::system::error_code ignored;
    socket.close(ignored);
    return;
  }
  connections_.push_back(std::make_unique<HttpsConnection>(std::move(socket), runtime_->tls, handler_));
  connections_.back()->Start();
}

void HttpsServer::ReapFinished() {
  auto finished = std::stable_partition(connections_.begin(), connections_.end(),
                                        [](const auto& c) { return !c->Finished(); });
  connections_.erase(finished, connections_.end());  // joins them
}

bool HttpsServer::EvictIdle() {
  HttpsConnection* oldest = nullptr;
  for (const auto& connection : connections_) {
    if (connection->Idle() && (oldest == nullptr || connection->IdleSince() < oldest->IdleSince())) {
      oldest = connection.get();
    }
  }
  if (oldest != nullptr) oldest->Interrupt();
  return oldest != nullptr;
}

void HttpsServer::Stop() {
  if (!runtime_) return;
  asio::post(runtime_->io, [this] {
    boost::system::error_code ignored;
    runtime_->acceptor.close(ignored);
    runtime_->retry.cancel();
  });
  if (acceptor_thread_.joinable()) acceptor_thread_.join();
  std::vector<std::unique_ptr<HttpsConnection>> connections;
  {
    std::lock_guard<std::mutex> lock(connections_mutex_);
    connections.swap(connections_);
  }
  for (const auto& connection : connections) connection->Interrupt();
  connections.clear();  // joins; sockets close before their io_context goes
  runtime_.reset();
  port_ = 0;
}

size_t HttpsServer::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(connections_mutex_);
  return connections_.size();
}

}  // namespace kova_sim
