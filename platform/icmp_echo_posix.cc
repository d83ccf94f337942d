#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/icmp_echo.h"
#include "platform/icmp_packet.h"

namespace platform {

namespace {

// More packets than this in one wait (other pings, our own request seen on
// a raw socket) end the wait as if it had timed out.
constexpr int kMaxPacketsPerWait = 256;

int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

uint16_t NextSequence() {
  static std::atomic<uint16_t> sequence{static_cast<uint16_t>(MonotonicMs())};
  return sequence.fetch_add(1);
}

class ScopedSocket {
 public:
  explicit ScopedSocket(int fd) : fd_(fd) {}
  ~ScopedSocket() {
    if (fd_ >= 0) close(fd_);
  }
  ScopedSocket(const ScopedSocket&) = delete;
  ScopedSocket& operator=(const ScopedSocket&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Datagram ICMP needs no privilege where ping_group_range allows the
// caller's group; otherwise a raw socket, which needs CAP_NET_RAW.
int OpenEchoSocket(bool* raw, long* error) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  *raw = false;
  if (fd >= 0) return fd;
  fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  *raw = true;
  if (fd < 0) *error = errno;
  return fd;
}

bool SendRequest(int fd, uint32_t address, const std::vector<uint8_t>& packet) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  const ssize_t sent = sendto(fd, packet.data(), packet.size(), 0,
                              reinterpret_cast<const sockaddr*>(&target), sizeof target);
  return sent == static_cast<ssize_t>(packet.size());
}

// Waits for the reply that |match| describes from |address| until the
// deadline; other packets are read and ignored.
int AwaitReply(int fd, uint32_t address, const EchoReplyMatch& match, int64_t deadline_ms) {
  uint8_t buffer[1500];
  for (int packets = 0; packets < kMaxPacketsPerWait; ++packets) {
    const int64_t left = deadline_ms - MonotonicMs();
    if (left <= 0) return 0;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return 0;
    sockaddr_in from{};
    socklen_t from_size = sizeof from;
    const ssize_t got = recvfrom(fd, buffer, sizeof buffer, 0,
                                 reinterpret_cast<sockaddr*>(&from), &from_size);
    if (got < 0) continue;
    if (from.sin_addr.s_addr != address) continue;
    if (IsMatchingEchoReply(buffer, static_cast<size_t>(got), match)) return 1;
  }
  return 0;
}

class PosixIcmpEcho : public IcmpEcho {
 public:
  ResolveStatus ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses,
                            long* error) override {
    addresses->clear();
    in_addr literal{};
    if (inet_pton(AF_INET, host.c_str(), &literal) == 1) {
      addresses->push_back(literal.s_addr);
      return ResolveStatus::kLiteral;
    }
    if (host.empty()) return ResolveStatus::kNotFound;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;  // one entry per address, not per socket type
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return ResolveStatus::kNotFound;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
      if (entry->ai_family != AF_INET || !entry->ai_addr) continue;
      addresses->push_back(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
    }
    freeaddrinfo(found);
    return addresses->empty() ? ResolveStatus::kNotFound : ResolveStatus::kResolved;
  }

  EchoStatus SendEcho(uint32_t address, const std::vector<uint8_t>& payload, uint32_t timeout_ms,
                      int* replies, long* error) override {
    *replies = 0;
    bool raw = false;
    ScopedSocket socket_fd(OpenEchoSocket(&raw, error));
    if (socket_fd.get() < 0) return EchoStatus::kCannotOpen;
    EchoReplyMatch match;
    match.identifier = static_cast<uint16_t>(getpid());
    match.sequence = NextSequence();
    match.check_identifier = raw;  // a datagram socket's identifier is its port
    match.with_ip_header = raw;
    const int64_t deadline = MonotonicMs() + timeout_ms;
    // A request that cannot be sent (no route) simply gets no reply.
    if (SendRequest(socket_fd.get(), address,
                    BuildEchoRequest(match.identifier, match.sequence, payload))) {
      *replies = AwaitReply(socket_fd.get(), address, match, deadline);
    }
    return EchoStatus::kSent;
  }
};

}  // namespace

IcmpEcho& SystemIcmpEcho() {
  static PosixIcmpEcho* const echo = new PosixIcmpEcho;
  return *echo;
}

}  // namespace platform
