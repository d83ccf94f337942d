// The array's users and their API tokens. Thread-safe.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/KovaArraySim/sim_seed.h"

namespace kova_sim {

class UserDirectory {
 public:
  explicit UserDirectory(std::vector<SimSeed::User> users);

  // The user's API token when the password matches.
  std::optional<std::string> TokenFor(const std::string& username, const std::string& password) const;
  // The user an API token belongs to.
  std::optional<std::string> UserForToken(const std::string& api_token) const;
  // Throws std::invalid_argument for empty fields or a name or token in use.
  void Add(const SimSeed::User& user);
  // The seed's users and no others.
  void Replace(std::vector<SimSeed::User> users);

 private:
  mutable std::mutex mutex_;
  std::vector<SimSeed::User> users_;
};

}  // namespace kova_sim
