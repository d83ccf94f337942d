#include "tools/KovaArraySim/session_table.h"

#include <cstdio>

namespace kova_sim {
namespace {

bool IsCookieSeparator(char c) { return c == ';' || c == ',' || c == ' ' || c == '\t'; }

}  // namespace

SessionTable::SessionTable() {
  std::random_device device;
  std::seed_seq seed{device(), device(), device(), device()};
  random_.seed(seed);
}

std::string SessionTable::Open(const std::string& username) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (sessions_.size() >= kMaxSessions) DropOldest();
  std::string id = NewId();
  while (sessions_.count(id) != 0) id = NewId();
  sessions_[id] = Entry{username, next_sequence_++};
  return id;
}

std::optional<SessionTable::Session> SessionTable::Find(const std::string& cookie_header) const {
  static const std::string kKey = "session=";
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t at = cookie_header.find(kKey); at != std::string::npos;
       at = cookie_header.find(kKey, at + 1)) {
    if (at > 0 && !IsCookieSeparator(cookie_header[at - 1])) continue;  // e.g. "xsession="
    size_t end = at + kKey.size();
    while (end < cookie_header.size() && !IsCookieSeparator(cookie_header[end])) ++end;
    const std::string id = cookie_header.substr(at + kKey.size(), end - at - kKey.size());
    auto it = sessions_.find(id);
    if (it != sessions_.end()) return Session{id, it->second.username};
  }
  return std::nullopt;
}

bool SessionTable::Close(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.erase(id) != 0;
}

size_t SessionTable::ExpireAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t count = sessions_.size();
  sessions_.clear();
  return count;
}

size_t SessionTable::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.size();
}

std::string SessionTable::NewId() {
  char text[33];
  std::snprintf(text, sizeof(text), "%016llx%016llx", static_cast<unsigned long long>(random_()),
                static_cast<unsigned long long>(random_()));
  return text;
}

void SessionTable::DropOldest() {
  auto oldest = sessions_.begin();
  for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
    if (it->second.sequence < oldest->second.sequence) oldest = it;
  }
  if (oldest != sessions_.end()) sessions_.erase(oldest);
}

}  // namespace kova_sim
