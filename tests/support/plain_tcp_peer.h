// A loopback TCP peer that does not speak TLS: it answers every connection
// with a plain HTTP response and closes it. Also hands out ports on which
// nothing listens.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

class PlainTcpPeer {
 public:
  PlainTcpPeer();
  ~PlainTcpPeer();

  uint16_t Port() const { return port_; }
  // A port that was free a moment ago; connections to it are refused.
  static uint16_t ClosedPort();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  uint16_t port_ = 0;
  std::thread thread_;
};
