// Sends raw bytes to a local port, over TLS or plain TCP, and collects what
// comes back, for requests an HTTP library refuses to send.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct RawExchange {
  bool connected = false;
  bool handshake_done = false;  // TLS only
  bool closed_by_peer = false;  // the peer ended the stream before the time-out
  std::string received;
};

RawExchange ExchangeRaw(uint16_t port, const std::string& bytes, bool tls,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));
