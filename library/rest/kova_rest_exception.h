// The array library's exception: one message, copied by value when thrown.
#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <exception>
#include <string>

namespace KovaStorage {

class KovaRestException : public std::exception {
 public:
  explicit KovaRestException(std::string message);
  // "HTTP Status Code: <status>\tJson Response:<compact JSON>\n"
  KovaRestException(uint16_t status, const web::json::value& response);

  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace KovaStorage
