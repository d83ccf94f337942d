// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include <cstdlib>

#include "platform/icmp_echo.h"

namespace platform {

namespace {

class ScopedWinsock {
 public:
  ScopedWinsock() {
    WSADATA data{};
    error_ = WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~ScopedWinsock() {
    if (error_ == 0) WSACleanup();
  }
  int error() const { return error_; }

 private:
  int error_ = 0;
};

class WinIcmpEcho : public IcmpEcho {
 public:
  ResolveStatus ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses,
                            long* error) override {
    addresses->clear();
    ScopedWinsock winsock;
    if (winsock.error() != 0) {
      *error = winsock.error();
      return ResolveStatus::kSocketsUnavailable;
    }
    IN_ADDR literal{};
    if (inet_pton(AF_INET, host.c_str(), &literal) == 1) {
      addresses->push_back(literal.S_un.S_addr);
      return ResolveStatus::kLiteral;
    }
    if (host.empty()) return ResolveStatus::kNotFound;
    ADDRINFOA hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    ADDRINFOA* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return ResolveStatus::kNotFound;
    for (const ADDRINFOA* entry = found; entry; entry = entry->ai_next) {
      if (entry->ai_family != AF_INET || !entry->ai_addr) continue;
      addresses->push_back(
          reinterpret_cast<const SOCKADDR_IN*>(entry->ai_addr)->sin_addr.S_un.S_addr);
    }
    freeaddrinfo(found);
    return addresses->empty() ? ResolveStatus::kNotFound : ResolveStatus::kResolved;
  }

  EchoStatus SendEcho(uint32_t address, const std::vector<uint8_t>& payload, uint32_t timeout_ms,
                      int* replies, long* error) override {
    *replies = 0;
    HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
      *error = static_cast<long>(GetLastError());
      return EchoStatus::kCannotOpen;
    }
    const DWORD reply_size = static_cast<DWORD>(sizeof(ICMP_ECHO_REPLY) + payload.size());
    void* reply = std::malloc(reply_size);
    if (!reply) {
      IcmpCloseHandle(icmp);
      return EchoStatus::kNoMemory;
    }
    *replies = static_cast<int>(IcmpSendEcho(icmp, address, const_cast<uint8_t*>(payload.data()),
                                             static_cast<WORD>(payload.size()), nullptr, reply,
                                             reply_size, timeout_ms));
    std::free(reply);
    IcmpCloseHandle(icmp);
    return EchoStatus::kSent;
  }
};

}  // namespace

IcmpEcho& SystemIcmpEcho() {
  static WinIcmpEcho* const echo = new WinIcmpEcho;
  return *echo;
}

}  // namespace platform
