// Live REST sessions, keyed by the id that the "session" cookie carries.
// Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>

namespace kova_sim {

class SessionTable {
 public:
  struct Session {
    std::string id;
    std::string username;
  };

  SessionTable();

  // Opens a session and returns its id: 32 random lower-case hex digits.
  // Beyond kMaxSessions the oldest session is dropped.
  std::string Open(const std::string& username);
  // The live session named by a "cookie" header: any "session=<id>" in it.
  std::optional<Session> Find(const std::string& cookie_header) const;
  bool Close(const std::string& id);
  size_t ExpireAll();
  size_t Count() const;

  static constexpr size_t kMaxSessions = 4096;

 private:
  struct Entry {
    std::string username;
    uint64_t sequence;
  };
  std::string NewId();
  void DropOldest();

  mutable std::mutex mutex_;
  std::mt19937_64 random_;
  uint64_t next_sequence_ = 0;
  std::map<std::string, Entry> sessions_;
};

}  // namespace kova_sim
