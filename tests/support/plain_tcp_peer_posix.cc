#include "tests/support/plain_tcp_peer.h"

#include <boost/asio.hpp>

using boost::asio::ip::tcp;

struct PlainTcpPeer::Impl {
  boost::asio::io_context io;
  tcp::acceptor acceptor{io, tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), 0)};
  std::atomic<bool> stopping{false};
};

namespace {

void Serve(tcp::acceptor& acceptor, const std::atomic<bool>& stopping) {
  static const char kAnswer[] =
      "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 2\r\n\r\n{}";
  for (;;) {
    boost::system::error_code error;
    tcp::socket socket(acceptor.get_executor());
    acceptor.accept(socket, error);
    if (error || stopping) return;
    char buffer[4096];
    socket.read_some(boost::asio::buffer(buffer), error);
    boost::asio::write(socket, boost::asio::buffer(kAnswer, sizeof kAnswer - 1), error);
    socket.close(error);
  }
}

}  // namespace

PlainTcpPeer::PlainTcpPeer() : impl_(std::make_unique<Impl>()) {
  port_ = impl_->acceptor.local_endpoint().port();
  thread_ = std::thread([this] { Serve(impl_->acceptor, impl_->stopping); });
}

PlainTcpPeer::~PlainTcpPeer() {
  // The acceptor belongs to the serving thread until it returns; a
  // connection wakes its blocking accept.
  impl_->stopping = true;
  boost::system::error_code ignored;
  tcp::socket poke(impl_->io);
  poke.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port_), ignored);
  thread_.join();
}

uint16_t PlainTcpPeer::ClosedPort() {
  boost::asio::io_context io;
  tcp::acceptor acceptor(io, tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), 0));
  return acceptor.local_endpoint().port();
}
