#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/plain_tcp_peer.h"

struct PlainTcpPeer::Impl {
  SOCKET listener = INVALID_SOCKET;
  std::atomic<bool> stopping{false};
};

namespace {

// A socket bound to 127.0.0.1 on a free port, listening when |listen_too|.
SOCKET BoundSocket(bool listen_too, uint16_t* port) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      (listen_too && listen(s, 16) != 0) ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    return INVALID_SOCKET;
  }
  *port = ntohs(address.sin_port);
  return s;
}

void Serve(SOCKET listener, const std::atomic<bool>& stopping) {
  static const char kAnswer[] =
      "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 2\r\n\r\n{}";
  for (;;) {
    SOCKET connection = accept(listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET || stopping) {
      if (connection != INVALID_SOCKET) closesocket(connection);
      return;
    }
    char buffer[4096];
    recv(connection, buffer, sizeof buffer, 0);
    send(connection, kAnswer, static_cast<int>(sizeof kAnswer - 1), 0);
    closesocket(connection);
  }
}

}  // namespace

PlainTcpPeer::PlainTcpPeer() : impl_(std::make_unique<Impl>()) {
  impl_->listener = BoundSocket(true, &port_);
  thread_ = std::thread([this] { Serve(impl_->listener, impl_->stopping); });
}

PlainTcpPeer::~PlainTcpPeer() {
  // A connection wakes the serving thread's blocking accept.
  impl_->stopping = true;
  uint16_t ignored = 0;
  SOCKET poke = BoundSocket(false, &ignored);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port_);
  connect(poke, reinterpret_cast<sockaddr*>(&address), sizeof address);
  thread_.join();
  closesocket(poke);
  closesocket(impl_->listener);
  WSACleanup();
  WSACleanup();
}

uint16_t PlainTcpPeer::ClosedPort() {
  uint16_t port = 0;
  const SOCKET s = BoundSocket(false, &port);
  closesocket(s);
  WSACleanup();
  return port;
}
