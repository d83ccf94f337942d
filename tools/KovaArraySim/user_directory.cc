#include "tools/KovaArraySim/user_directory.h"

#include <stdexcept>

namespace kova_sim {

UserDirectory::UserDirectory(std::vector<SimSeed::User> users) : users_(std::move(users)) {}

std::optional<std::string> UserDirectory::TokenFor(const std::string& username,
                                                   const std::string& password) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const SimSeed::User& user : users_) {
    if (user.username == username && user.password == password) return user.api_token;
  }
  return std::nullopt;
}

std::optional<std::string> UserDirectory::UserForToken(const std::string& api_token) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const SimSeed::User& user : users_) {
    if (user.api_token == api_token) return user.username;
  }
  return std::nullopt;
}

void UserDirectory::Add(const SimSeed::User& user) {
  if (user.username.empty() || user.password.empty() || user.api_token.empty()) {
    throw std::invalid_argument("a user needs a name, a password and an API token");
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (const SimSeed::User& known : users_) {
    if (known.username == user.username) throw std::invalid_argument("user exists: " + user.username);
    if (known.api_token == user.api_token) throw std::invalid_argument("API token is already used");
  }
  users_.push_back(user);
}

void UserDirectory::Replace(std::vector<SimSeed::User> users) {
  std::lock_guard<std::mutex> lock(mutex_);
  users_ = std::move(users);
}

}  // namespace kova_sim
